#!/usr/bin/env bash
# package.Deb: makes the Debian package of a complete build with cpack, checks its control data
# (Debian's run-time packages, nothing of a build) and its files, unpacks it with dpkg-deb -x
# into a scratch root, and runs what it unpacked: every console program's --help and
# --version, and the merchant headless, with nothing of a desktop session, up to its start-up
# banner and SIGTERM, with nothing on standard error and exit status 0.
# Usage: deb-test.sh CPACK BUILD_DIR VERSION [PROGRAM...]  (the programs the build installs)
set -euo pipefail
cpack=$1 build=$2 version=$3
shift 3
programs=("$@")

scratch=$(mktemp -d "${TMPDIR:-/tmp}/velkor-deb-XXXXXX")
merchant_pid=
cleanup() {
  [[ -n $merchant_pid ]] && kill -KILL "$merchant_pid" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() {
  echo "package.Deb: $*" >&2
  exit 1
}

# --- the package ----------------------------------------------------------------------------
if ! "$cpack" --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1; then
  cat "$scratch/cpack.log" >&2
  fail "cpack could not make the package"
fi
deb=$scratch/out/velkor_${version}_$(dpkg --print-architecture).deb
[[ -f $deb ]] || fail "cpack made no $(basename "$deb"): $(ls "$scratch/out")"
echo "made $(basename "$deb") ($(stat -c %s "$deb") bytes)"

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
needed=(libqt6widgets6 libqt6gui6 libqt6core6 libc6 libstdc++6 fonts-liberation)
for program in "${programs[@]}"; do
  # The order book's program reads SQLite through its C library.
  [[ $program == velkor-orders ]] && needed+=(libsqlite3-0)
done
# The package names alone, one a line, without their versions.
names=$(sed -e 's/ *([^)]*)//g' -e 's/, */\n/g' <<<"$depends")
for package in "${needed[@]}"; do
  grep -qxF -- "$package" <<<"$names" || fail "Depends lacks $package"
done
if grep -q -- '-dev$' <<<"$names"; then fail "Depends names a development package"; fi

# --- its files ------------------------------------------------------------------------------
dpkg-deb -x "$deb" "$scratch/root"
usr=$scratch/root/usr
files=(
  share/applications/velkor-merchant.desktop
  share/icons/hicolor/scalable/apps/velkor-merchant.svg
  share/icons/hicolor/48x48/apps/velkor-merchant.png
  share/icons/hicolor/128x128/apps/velkor-merchant.png
  lib/systemd/user/velkor-merchant.service
)
for program in "${programs[@]}"; do
  files+=("bin/$program" "share/man/man1/$program.1.gz")
done
for file in "${files[@]}"; do
  [[ -f $usr/$file ]] || fail "the package lacks /usr/$file"
done
for program in "${programs[@]}"; do
  [[ -x $usr/bin/$program ]] || fail "/usr/bin/$program is not executable"
  # A man page that groff warns about renders wrongly somewhere.
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$usr/share/man/man1/$program.1.gz" 2>&1 >/dev/null)
  [[ -z $warnings ]] || fail "the man page of $program: $warnings"
done
desktop-file-validate "$usr/share/applications/velkor-merchant.desktop" ||
  fail "the desktop entry is not valid"
grep -qx 'Name=Program Velkor' "$usr/share/applications/velkor-merchant.desktop" ||
  fail "the desktop entry's title is not \"Program Velkor\""
grep -qx 'ExecStart=/usr/bin/velkor-merchant' "$usr/lib/systemd/user/velkor-merchant.service" ||
  fail "the user unit does not start /usr/bin/velkor-merchant"
grep -qx 'Environment=QT_QPA_PLATFORM=offscreen' "$usr/lib/systemd/user/velkor-merchant.service" ||
  fail "the user unit does not run the merchant headless"

# --- the unpacked programs ------------------------------------------------------------------
for program in "${programs[@]}"; do
  out=$("$usr/bin/$program" --version 2>"$scratch/err") || fail "$program --version failed"
  [[ $out == "$program "*" $version" && $out != *$'\n'* && ! -s $scratch/err ]] ||
    fail "$program --version said '$out', on standard error '$(cat "$scratch/err")'"
  [[ $program == velkor-merchant ]] && continue
  "$usr/bin/$program" --help >"$scratch/help" 2>"$scratch/err" || fail "$program --help failed"
  [[ -s $scratch/help && ! -s $scratch/err ]] || fail "$program --help wrote no help, or errors"
  echo "$program --help: $(head -1 "$scratch/help")"
done

# The merchant as the user unit runs it: headless, with nothing of a desktop session.
mkdir "$scratch/home"
env -i HOME="$scratch/home" PATH=/usr/bin:/bin QT_QPA_PLATFORM=offscreen \
  "$usr/bin/velkor-merchant" >"$scratch/merchant.out" 2>"$scratch/merchant.err" &
merchant_pid=$!
banner='   Hotovo , doba generování: '
for _ in $(seq 300); do
  grep -q "^$banner" "$scratch/merchant.out" && break
  kill -0 "$merchant_pid" 2>/dev/null || break
  sleep 0.1
done
if ! grep -q "^$banner" "$scratch/merchant.out"; then
  cat "$scratch/merchant.out" "$scratch/merchant.err" >&2
  fail "the unpacked merchant wrote no start-up banner within 30 s"
fi
# A datagram of 12 bytes and its arrival line show that it runs its event loop, where SIGTERM
# closes it as "Konec" does.
printf 010006414243 >/dev/udp/127.0.0.1/2004
arrival='Přijata data od 127.0.0.1, Délka: 12 bajtů'
for _ in $(seq 100); do
  grep -qx "$arrival" "$scratch/merchant.out" && break
  sleep 0.1
done
grep -qx "$arrival" "$scratch/merchant.out" || fail "the unpacked merchant did not log a datagram"
kill -TERM "$merchant_pid"
status=0
wait "$merchant_pid" || status=$?
merchant_pid=
[[ $status -eq 0 ]] || fail "the unpacked merchant ended with status $status after SIGTERM"
if [[ -s $scratch/merchant.err ]]; then
  cat "$scratch/merchant.err" >&2
  fail "the unpacked merchant wrote on standard error"
fi
echo "the unpacked merchant started headless, logged a datagram and ended on SIGTERM, quietly"
