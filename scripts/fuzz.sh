#!/usr/bin/env bash
# Builds every fuzz target with clang, libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer
# (in build-fuzz) and fuzzes each for SECONDS, one after the other, starting from its seeds in
# fuzz/corpus/<target>.
#   scripts/fuzz.sh SECONDS [TARGET...]      all targets, or only those named
# New inputs go to build-fuzz/corpus/<target> (the committed seeds are only read); crashes,
# leaks and timeouts go to build-fuzz/crashes/<target>-*, each target's output to
# build-fuzz/logs/<target>.log. Exits 1 when any target found a fault.
# FUZZ_BUILD_DIR and FUZZ_NICE (the nice level of the fuzzers) may be set in the environment.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:?usage: scripts/fuzz.sh SECONDS [TARGET...]}
shift
build=${FUZZ_BUILD_DIR:-build-fuzz}
scripts/install-deps.sh fuzz

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(dirname "$PWD")}
fi
if [ ! -f "$build/CMakeCache.txt" ]; then
  CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELKOR_WERROR=ON \
    -DVELKOR_BUILD_FUZZ=ON -DVELKOR_BUILD_UI=OFF -DVELKOR_BUILD_TESTS=OFF \
    -DVELKOR_BUILD_BENCH=OFF "${launcher[@]}" >/dev/null
fi

if [ $# -gt 0 ]; then
  targets=("$@")
else
  mapfile -t targets <"$build/fuzz-targets.txt"
fi
nice -n 5 cmake --build "$build" -j2 --target "${targets[@]}" >/dev/null

# Undefined behaviour stops the run like a crash, so that the fuzzer keeps the input.
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
crashes=$build/crashes
mkdir -p "$crashes" "$build/logs"
echo "fuzzing ${#targets[@]} targets for ${seconds}s each; faults go to $crashes/"
failed=0
for t in "${targets[@]}"; do
  binary=$(find "$build/fuzz" -type f -name "$t" -perm -u+x | head -1)
  mkdir -p "$build/corpus/$t"
  log=$build/logs/$t.log
  if nice -n "${FUZZ_NICE:-0}" "$binary" -max_total_time="$seconds" -timeout=25 \
      -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$crashes/$t-" \
      "$build/corpus/$t" "fuzz/corpus/$t" >"$log" 2>&1; then
    # The last status line: executions, coverage, features, speed.
    status=$(grep -E '^#[0-9]+' "$log" | tail -1 | sed -E 's/^#([0-9]+)\s+\w+\s+/runs \1 /')
    speed=$(grep -E '^stat::average_exec_per_sec' "$log" | awk '{print $2}')
    echo "$t: $status, ${speed:-?} exec/s"
  else
    failed=1
    echo "$t: FAULT, see $log and $crashes/$t-*"
    grep -E '^(==[0-9]+==ERROR|SUMMARY|property broken)|runtime error' "$log" | head -3 || true
  fi
done
exit $failed
