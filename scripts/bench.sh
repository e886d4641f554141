#!/usr/bin/env bash
# Builds the side-by-side benchmark in Release (build-bench/) and prints its table: our
# primitives beside OpenSSL's libcrypto in the same run on the same inputs, then the merchant's
# handling of each message type.
#   scripts/bench.sh               the full table (five rounds, a few minutes)
#   scripts/bench.sh --quick       the same table from one short round (under a minute)
#   scripts/bench.sh --algorithms  one throughput row per registered hash and cipher class
# Further arguments go to the program (Google Benchmark flags such as --benchmark_filter=md5).
# The progress of the runs goes to standard error, the table to standard output.
set -euo pipefail
cd "$(dirname "$0")/.."
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(cd .. && pwd)}"
fi
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DVELKOR_BUILD_BENCH=ON \
  -DVELKOR_BUILD_TESTS=OFF -DVELKOR_BUILD_UI=OFF -DVELKOR_WERROR=ON "${launcher[@]}" >&2
cmake --build build-bench -j2 --target velkor_compare_bench >&2
exec build-bench/bench/compare/velkor_compare_bench "$@"
