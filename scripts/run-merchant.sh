#!/usr/bin/env bash
# Builds the merchant program and starts it. Without a display (no DISPLAY or WAYLAND_DISPLAY)
# it runs on Qt's offscreen platform; its log is also printed on standard output.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELKOR_BUILD_TESTS=OFF
cmake --build build -j2 --target velkor-merchant
exec build/src/ui/velkor-merchant
