#!/usr/bin/env bash
# Builds everything (warnings as errors, benchmarks and the peer programs included) and runs
# every test: unit tests, corpus replays and the end-to-end exchange over loopback UDP.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh test
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELKOR_WERROR=ON -DVELKOR_BUILD_BENCH=ON
cmake --build build-test -j2
ctest --test-dir build-test --output-on-failure
# Every fuzz target for a few seconds under the sanitizers, when clang is there.
if command -v clang++ >/dev/null; then scripts/fuzz.sh 2; fi
