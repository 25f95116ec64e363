#!/usr/bin/env bash
# Checks a shop database: SQLite's integrity check, then the books whole
# (scripts/check-db.sql): every ledger chain (previous + increase − decrease =
# this row) for balances, package uses and points, the member's figures against
# the latest ledger rows, sales with their header, lines and points row, and
# document IDs that two desks must never share; then the daily summaries
# against the records they sum (scripts/check-summaries.sql).
# Usage: bash scripts/check-db.sh [path/to/mochenxinxi.db]   (exit 0 = all well)
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
db="${1:-shop/mochenxinxi.db}"
if [ ! -f "$db" ]; then echo "没有找到数据库文件: $db"; exit 2; fi
problems=0

integrity=$(sqlite3 -readonly "$db" "PRAGMA integrity_check;" 2>&1)
if [ "$integrity" = "ok" ]; then
  echo "完整性检查: ok"
else
  echo "完整性检查失败:"; echo "$integrity"; problems=1
fi

# A shop made before the document table existed has no danjuhao: its sales
# cannot be tied to their points rows, and nothing is written to find out.
sql=$(cat "$here/check-db.sql")
if [ -z "$(sqlite3 -readonly "$db" "SELECT 1 FROM sqlite_master WHERE name='danjuhao'" 2>/dev/null)" ]; then
  sql=${sql//FROM danjuhao d/FROM (SELECT NULL AS ID WHERE 0) d}
fi
# A shop from before numbered vouchers has neither of their tables.
if [ -z "$(sqlite3 -readonly "$db" "SELECT 1 FROM sqlite_master WHERE name='daijinquanbiandong'" 2>/dev/null)" ]; then
  sql=${sql//FROM daijinquanbiandong/FROM (SELECT NULL AS quanID, NULL AS ID, NULL AS dangshiyue, NULL AS zengjia, NULL AS jianshao WHERE 0)}
  sql=${sql//FROM daijinquan v/FROM (SELECT NULL AS ID, NULL AS yue WHERE 0) v}
fi
found=$(printf '%s\n' "$sql" | sqlite3 -readonly -separator ' | ' "$db" 2>&1)
if [ -n "$found" ]; then
  echo "账目检查发现问题 (问题 | 明细):"
  echo "$found"; problems=1
else
  echo "账目检查: 余额、次数、积分的变动记录连贯，与会员一致；消费单完整；单号不重复"
fi
# The daily summaries against the records (a shop the program has not opened
# since they were added has none yet: its next start builds them).
if [ -n "$(sqlite3 -readonly "$db" "SELECT 1 FROM sqlite_master WHERE name='rihuizong_xiaofei'" 2>/dev/null)" ]; then
  found=$(sqlite3 -readonly -separator ' | ' "$db" < "$here/check-summaries.sql" 2>&1)
  if [ -n "$found" ]; then
    echo "日汇总检查发现问题 (问题 | 明细):"
    echo "$found"; problems=1
  else
    echo "日汇总检查: 每日收银与消费汇总与单据一致"
  fi
else
  echo "日汇总检查: 尚未建立（程序下次启动时建立）"
fi
exit $problems
