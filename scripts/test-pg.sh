#!/usr/bin/env bash
# The second pass: the tests labelled "pg" (money, members, rules, the rules
# layer, the desks) against a throw-away PostgreSQL cluster. Skipped, with a
# note, where PostgreSQL or Qt's driver for it is not installed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if ! ls /usr/lib/postgresql/*/bin/initdb >/dev/null 2>&1; then
  echo "PostgreSQL is not installed: the server pass is skipped (apt-get install postgresql libqt5sql5-psql)."
  exit 0
fi
if ! ls /usr/lib/*/qt5/plugins/sqldrivers/libqsqlpsql.so >/dev/null 2>&1; then
  echo "Qt's PostgreSQL driver is not installed: the server pass is skipped (apt-get install libqt5sql5-psql)."
  exit 0
fi
dir=$(mktemp -d /tmp/mochen-pg.XXXXXX)
trap 'bash "$root/scripts/pg-throwaway.sh" stop "$dir"' EXIT
eval "$(bash "$root/scripts/pg-throwaway.sh" start "$dir")"
export MOCHEN_TEST_PG MOCHEN_TEST_PG_CTL
cd "$root/build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" -L '^pg$'
