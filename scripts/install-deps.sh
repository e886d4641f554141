#!/usr/bin/env bash
# Installs the Debian packages that building (and, with "test", testing; with "fuzz", fuzzing)
# Velkor needs, but only when one of them is missing: apt-get update, then apt-get install.
set -euo pipefail

# SQLite (headers and the run-time library) for the order book.
packages=(cmake g++ make pkg-config qt6-base-dev fonts-liberation libsqlite3-dev libsqlite3-0)
if [[ "${1:-}" == test ]]; then
  packages+=(libgtest-dev libgmock-dev libssl-dev libbenchmark-dev)
  # The sanitizer build: clang 14, its sanitizer runtimes, and llvm-symbolizer for the reports.
  packages+=(clang-14 libclang-rt-14-dev llvm-14)
  # The short fuzzing run at the end of the test command.
  packages+=(clang libclang-rt-dev)
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
