#!/usr/bin/env bash
# Starts a throw-away PostgreSQL cluster for the tests: its own directory, a
# local socket only (no TCP), trust for the local user, no fsync. Prints the
# line to export so that tests run against it, e.g.
#   eval "$(bash scripts/pg-throwaway.sh start /tmp/mochen-pg)"   (MOCHEN_TEST_PG, MOCHEN_TEST_PG_CTL)
#   ...
#   bash scripts/pg-throwaway.sh stop /tmp/mochen-pg
# PostgreSQL refuses to run as root, so as root the cluster belongs to the
# unprivileged "postgres" user of Debian's package (or "nobody" without it).
set -euo pipefail
cmd=${1:-start}
dir=${2:-/tmp/mochen-pg-$$}
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)
if [ -z "$bin" ] || [ ! -x "$bin/initdb" ]; then
  echo "PostgreSQL server programs not found (apt-get install postgresql)" >&2
  exit 1
fi
as_owner() {
  if [ "$(id -u)" = 0 ]; then
    local u=postgres
    id "$u" >/dev/null 2>&1 || u=nobody
    runuser -u "$u" -- "$@"
  else
    "$@"
  fi
}
case "$cmd" in
  start)
    mkdir -p "$dir"
    if [ "$(id -u)" = 0 ]; then
      u=postgres; id "$u" >/dev/null 2>&1 || u=nobody
      chown "$u" "$dir"
    fi
    if [ ! -f "$dir/data/PG_VERSION" ]; then
      as_owner "$bin/initdb" -D "$dir/data" -A trust -U mochen -E UTF8 --locale=C.UTF-8 --no-sync >"$dir/initdb.log" 2>&1 \
        || { cat "$dir/initdb.log" >&2; exit 1; }
    fi
    # No fsync (nothing here outlives the machine), but every COMMIT is written
    # out before it is answered, as on a shop's server: tst_faults stops the
    # server with -m immediate and holds the desk to what it was told.
    opts="-k $dir -c listen_addresses= -c fsync=off -c full_page_writes=off -c max_connections=60"
    as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -o "$opts" \
      start >/dev/null || { cat "$dir/server.log" >&2; exit 1; }
    as_owner "$bin/psql" -h "$dir" -U mochen -d postgres -qAtc "select 1 from pg_database where datname='mochen_test'" | grep -q 1 \
      || as_owner "$bin/createdb" -h "$dir" -U mochen mochen_test
    chmod 755 "$dir"
    echo "export MOCHEN_TEST_PG='host=$dir;port=5432;database=mochen_test;user=mochen'"
    # How a test stops and starts this server (add "stop -m fast", "start",
    # "restart -m immediate"); tests that need it skip without it.
    owner=""
    if [ "$(id -u)" = 0 ]; then owner="runuser -u $u -- "; fi
    echo "export MOCHEN_TEST_PG_CTL='$owner$bin/pg_ctl -D $dir/data -l $dir/server.log -w -o \"$opts\"'"
    ;;
  stop)
    as_owner "$bin/pg_ctl" -D "$dir/data" -m fast stop >/dev/null || true
    rm -rf "$dir"
    ;;
  *) echo "usage: $0 start|stop DIR" >&2; exit 2 ;;
esac
