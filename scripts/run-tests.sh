#!/usr/bin/env bash
# Builds everything (warnings as errors, benchmarks and the peer programs included) and runs
# every test: unit tests, corpus replays and the end-to-end exchange over loopback UDP. Then
# builds it all again with clang under AddressSanitizer and UndefinedBehaviorSanitizer and runs
# the same tests there (VELKOR_SANITIZE=0 skips that second build), and fuzzes every fuzz target
# for two seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh test

jobs=${VELKOR_JOBS:-2}
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  # Paths relative to the checkout, so that a fresh clone anywhere reuses earlier compilations.
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD}
fi

cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELKOR_WERROR=ON \
  -DVELKOR_BUILD_BENCH=ON "${launcher[@]}"
cmake --build build-test -j"$jobs"
ctest --test-dir build-test --output-on-failure -j"$jobs"

if [[ "${VELKOR_SANITIZE:-1}" != 0 ]]; then
  # Undefined behaviour aborts the program (the build says so); the stack shows where.
  export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
  cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELKOR_WERROR=ON \
    -DCMAKE_CXX_COMPILER=clang++-14 -DVELKOR_SANITIZE=ON "${launcher[@]}"
  cmake --build build-asan -j"$jobs"
  ctest --test-dir build-asan --output-on-failure -j"$jobs"
fi

# Every fuzz target for a few seconds under the sanitizers, when clang is there (the corpus
# replays ran above in both builds). VELKOR_FUZZ=0 skips it.
if [[ "${VELKOR_FUZZ:-1}" != 0 ]] && command -v clang++ >/dev/null; then
  scripts/fuzz.sh 2
fi
