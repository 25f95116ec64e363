#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (offscreen), then the
# tests labelled "pg" again on a throw-away PostgreSQL server (MOCHEN_SKIP_PG=1
# skips that pass, and leaves PostgreSQL uninstalled).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ "${MOCHEN_SKIP_PG:-}" != 1 ]; then
  bash "$root/scripts/deps.sh" --server
else
  bash "$root/scripts/deps.sh"
fi
bash "$root/scripts/build.sh"
cd "$root/build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
# The same program on a PostgreSQL server.
if [ "${MOCHEN_SKIP_PG:-}" != 1 ]; then
  bash "$root/scripts/test-pg.sh"
fi
