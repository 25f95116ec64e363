#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (offscreen).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/deps.sh"
bash "$root/scripts/build.sh"
cd "$root/build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
# The same program on a PostgreSQL server, where one is installed.
if [ "${MOCHEN_SKIP_PG:-}" != 1 ]; then
  bash "$root/scripts/test-pg.sh"
fi
