#!/bin/sh
# Source rules that the compiler cannot see. Run by CTest from the source tree.
cd "$1" || exit 2
status=0
# QLatin1String holds Latin-1: Chinese text in it never compares equal to anything.
hits=$(grep -rnE 'QLatin1(String|Char)\("[^"]*[^ -~][^"]*"\)' --include='*.cpp' --include='*.h' app data ledger checkout members catalogue rules mainwindow receipts tests tools bench 2>/dev/null)
if [ -n "$hits" ]; then
  echo "Chinese text inside QLatin1String (use QStringLiteral):"; echo "$hits"; status=1
fi

# Every statement belongs to the store (data/, ledger/). Above it, a line that
# runs a query (QSqlQuery, execSql) or holds a statement text is counted per
# file; tests/sql_outside_store.txt lists what was still left above the store,
# and a file may only go down from there: a statement added above the store
# fails here. When a file's count goes down, lower its line in the list too.
baseline=tests/sql_outside_store.txt
counts=$(sh tests/sql_outside_store.sh .)
over=$(printf '%s\n' "$counts" | awk -v base="$baseline" '
  BEGIN { while ((getline line < base) > 0) { if (line ~ /^#/ || line == "") continue; split(line, f, " "); allowed[f[1]] = f[2] } }
  NF == 2 { a = ($1 in allowed) ? allowed[$1] : 0; if ($2 > a) printf "  %s: %d (allowed %d)\n", $1, $2, a;
            else if ($2 < a) printf "note: %s is down to %d from %d; lower its line in %s\n", $1, $2, a, base > "/dev/stderr" }')
if [ -n "$over" ]; then
  echo "SQL above the store (move it into data/ or ledger/; the lines: sh tests/sql_outside_store.sh . --lines FILE):"
  echo "$over"; status=1
fi
# The main window wires its areas; what their widgets do lives in each area's
# own class (mainwindow/frontdesk.*, reportpages.*, ...). It must not grow back
# into the hub of everything.
lines=$(cat mainwindow/mainwindow.h mainwindow/mainwindow*.cpp | wc -l)
if [ "$lines" -ge 1200 ]; then
  echo "MainWindow is $lines lines (mainwindow/mainwindow.h and mainwindow/mainwindow*.cpp): move a page's behaviour into its own class"
  status=1
fi
exit $status
