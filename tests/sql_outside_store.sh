#!/bin/sh
# Counts, per file above the store, the lines that run a query (QSqlQuery,
# execSql, the generic runners queryRow/queryRows/countRows/insertSelect,
# LedgerSql's, a model's setQuery) or hold a statement text; comments do not
# count. Prints "path count" for every file that has any. With --lines FILE,
# prints that file's counted lines instead.
cd "$1" || exit 2
pattern='QSqlQuery([^M]|$)|execSql|(queryRows?|countRows|insertSelect|setQuery|LedgerSql::(exec|execSingle|execOne|value|rows|each))[[:space:]]*\(|"[[:space:]]*(select|insert|update|delete|create|drop|alter|replace|pragma|with|begin|commit|rollback|savepoint|where|and|or|group by|order by|having|limit|from|set|values|join|left join|union)[[:space:](]'
if [ "$2" = "--lines" ]; then
  grep -nE -i "$pattern" "$3" | grep -vE '^[0-9]+:[[:space:]]*(//|\*)'
  exit 0
fi
for f in $(find app checkout members catalogue rules mainwindow receipts -name '*.cpp' -o -name '*.h' | sort); do
  n=$(grep -E -i "$pattern" "$f" | grep -cvE '^[[:space:]]*(//|\*)')
  [ "$n" -gt 0 ] && echo "$f $n"
done
exit 0
