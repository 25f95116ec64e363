#!/usr/bin/env bash
# Configures once and builds incrementally into build/. With target names
# (build.sh mochen mochen-gen) only those are built; without, everything.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ ! -f "$root/build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
if [ "$#" -gt 0 ]; then
  cmake --build "$root/build" -j"$(nproc)" --target "$@"
else
  cmake --build "$root/build" -j"$(nproc)"
fi
