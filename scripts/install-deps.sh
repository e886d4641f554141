#!/usr/bin/env bash
# Installs the Debian packages that building (and, with "test", testing; with "package", making
# the .deb; with "fuzz", fuzzing) Velkor needs, but only when one of them is missing: apt-get
# update, then apt-get install.
set -euo pipefail

# SQLite (headers and the run-time library) for the order book.
packages=(cmake g++ make pkg-config qt6-base-dev fonts-liberation libsqlite3-dev libsqlite3-0)
if [[ "${1:-}" == test ]]; then
  packages+=(libgtest-dev libgmock-dev libssl-dev libbenchmark-dev)
  # Independent implementations that the algorithm tests compare with (tests only).
  packages+=(libcrypto++-dev libbotan-2-dev libmhash-dev librhash-dev)
  # Three builds run one after the other; the compiler cache spares the unchanged files.
  packages+=(ccache)
  # The package test: man and desktop-file-validate for the .deb's man pages and desktop entry.
  packages+=(man-db desktop-file-utils)
  # The sanitizer build: clang 14, its sanitizer runtimes, and llvm-symbolizer for the reports.
  packages+=(clang-14 libclang-rt-14-dev llvm-14)
  # The short fuzzing run at the end of the test command.
  packages+=(clang libclang-rt-dev)
fi
# The Debian package (scripts/make-deb.sh, and the package test): dpkg-shlibdeps names the
# run-time packages the programs need.
if [[ "${1:-}" == test || "${1:-}" == package ]]; then
  packages+=(dpkg-dev)
fi
# scripts/fuzz.sh: clang with libFuzzer and the sanitizer runtimes.
if [[ "${1:-}" == fuzz ]]; then
  packages+=(clang libclang-rt-dev)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=()
[[ $(id -u) -ne 0 ]] && sudo=(sudo)
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
