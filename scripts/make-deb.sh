#!/usr/bin/env bash
# Builds the programs and makes the Debian package build/velkor_<version>_<arch>.deb, whose
# dependencies are Debian's run-time packages (installs the packages building needs when they
# are missing). Install it with: sudo apt install ./build/velkor_<version>_<arch>.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh package
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELKOR_BUILD_TESTS=OFF "${launcher[@]}"
cmake --build build -j"${VELKOR_JOBS:-2}"
(cd build && cpack)
