#!/usr/bin/env bash
# Checks a shop database: SQLite's integrity check, and every member whose balance
# or remaining package uses disagree with the latest row of the change ledger.
# Usage: bash scripts/check-db.sh [path/to/mochenxinxi.db]   (exit 0 = all well)
set -uo pipefail
db="${1:-shop/mochenxinxi.db}"
if [ ! -f "$db" ]; then echo "没有找到数据库文件: $db"; exit 2; fi
problems=0

integrity=$(sqlite3 -readonly "$db" "PRAGMA integrity_check;" 2>&1)
if [ "$integrity" = "ok" ]; then
  echo "完整性检查: ok"
else
  echo "完整性检查失败:"; echo "$integrity"; problems=1
fi

balances=$(sqlite3 -readonly -separator ' | ' "$db" "
SELECT h.ID, h.name, ifnull(h.shengyujine,0), ifnull(y.dangshikaneiyue,0)
FROM huiyuan h JOIN huiyuanyuebiandong y
  ON y.ID = (SELECT MAX(ID) FROM huiyuanyuebiandong WHERE huiyuanid = h.ID)
WHERE abs(ifnull(h.shengyujine,0) - ifnull(y.dangshikaneiyue,0)) > 0.005
ORDER BY h.ID;" 2>&1)
if [ -n "$balances" ]; then
  echo "余额与余额变动最新记录不符的会员 (会员编号 | 姓名 | 卡内余额 | 变动记录余额):"
  echo "$balances"; problems=1
else
  echo "会员余额: 与余额变动记录一致"
fi

uses=$(sqlite3 -readonly -separator ' | ' "$db" "
SELECT t.huiyuanID, t.xiangmuID, ifnull(t.shengyucishu,0), ifnull(y.dangshikaneicishu,0)
FROM huiyuantaocan t JOIN huiyuanyuebiandong y
  ON y.ID = (SELECT MAX(ID) FROM huiyuanyuebiandong
             WHERE huiyuanid = t.huiyuanID AND xiangmumingchen = t.xiangmuID)
WHERE abs(ifnull(t.shengyucishu,0) - ifnull(y.dangshikaneicishu,0)) > 0.005
ORDER BY t.huiyuanID, t.xiangmuID;" 2>&1)
if [ -n "$uses" ]; then
  echo "剩余次数与变动记录不符的套餐项目 (会员编号 | 项目 | 剩余次数 | 变动记录次数):"
  echo "$uses"; problems=1
else
  echo "套餐剩余次数: 与变动记录一致"
fi
exit $problems
