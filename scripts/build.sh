#!/usr/bin/env bash
# Configures once and builds incrementally into build/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ ! -f "$root/build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$root/build" -j"$(nproc)"
