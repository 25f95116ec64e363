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
# The daily summaries against the records. A shop last opened by an older
# program lacks the summaries added since: its next start builds and fills
# them. Those are named and left out; the others are checked. One line per
# summary table: its name, then the labels (first column) of the checks in
# check-summaries.sql that read it. A new summary adds its line here
# (tests/tst_checkdb.cpp holds the list to the statement).
summaries='
rihuizong_shouyin      日汇总收银与记录不符
rihuizong_xiaofei      日汇总消费与记录不符
rihuizong_huiyuan      会员日汇总与记录不符 会员年汇总与日汇总不符
rihuizong_huiyuan_nian 会员年汇总与日汇总不符 会员年合计与年汇总不符
rihuizong_danju        单据日汇总与记录不符
rihuizong_ticheng      提成汇总与记录不符
rihuizong_xiangmu      项目日汇总与记录不符
rihuizong_danjuri      单据明细日期与记录不符
rihuizong_yeji         员工业绩汇总与记录不符
rihuizong_jiaofei      会员交费日汇总与记录不符 会员交费年汇总与日汇总不符
rihuizong_jiaofei_nian 会员交费年汇总与日汇总不符 交费年合计与年汇总不符
rihuizong_jiaofei_nianheji 交费年合计与年汇总不符
rihuizong_jifen        积分日汇总与记录不符
rihuizong_biandong     余额变动日汇总与记录不符
rihuizong_nianheji     会员年合计与年汇总不符
rihuizong_huiyuanleiji 会员累计与记录不符
'
summary_sql=$(cat "$here/check-summaries.sql")
# The tables as this version defines them (the shop's own dbset.xml may be older).
dbset="$here/../dbset.xml"
[ -f "$dbset" ] || dbset="$(dirname "$db")/dbset.xml"
read_tables=$(printf '%s\n' "$summary_sql" | grep -o 'rihuizong_[a-z_]*' | sort -u)
missing=()
unlisted=0
skipped=""
standins=""
for t in $read_tables; do
  [ -n "$(sqlite3 -readonly "$db" "SELECT 1 FROM sqlite_master WHERE type='table' AND name='$t'" 2>/dev/null)" ] && continue
  missing+=("$t")
  labels=$(printf '%s\n' "$summaries" | awk -v t="$t" '$1 == t {$1 = ""; print}')
  [ -n "$labels" ] || unlisted=1
  skipped+=" $labels"
  # An empty stand-in of the connection's own, so that the checks of the
  # other summaries run; what it answers is not reported.
  def=$(grep -o "SqlStr=\"CREATE TABLE IF NOT EXISTS $t ([^\"]*\"" "$dbset" 2>/dev/null | head -n 1 \
        | sed -e 's/^SqlStr="CREATE TABLE IF NOT EXISTS /CREATE TEMP TABLE /' -e 's/"$//' \
              -e 's/&lt;/</g' -e 's/&gt;/>/g' -e 's/&quot;/"/g' -e "s/&apos;/'/g" -e 's/&amp;/\&/g')
  standins+="${def:-CREATE TEMP TABLE $t (riqi TEXT)};"$'\n'
done
names=$(IFS='、'; echo "${missing[*]}")
# Every summary missing, or one whose checks are not known here: nothing of
# them can be told apart, so none is checked rather than one reported wrongly.
if [ "${#missing[@]}" -gt 0 ] && { [ "$unlisted" = 1 ] || [ "${#missing[@]}" -eq "$(printf '%s\n' "$read_tables" | wc -l)" ]; }; then
  echo "日汇总检查: ${names} 尚未建立（程序下次启动时建立），日汇总未核对"
else
  found=$(printf '%s\n%s\n' "$standins" "$summary_sql" | sqlite3 -readonly -separator ' | ' "$db" 2>&1 \
          | awk -F ' [|] ' -v skip="$skipped" 'BEGIN { n = split(skip, s, " "); for (i = 1; i <= n; i++) left[s[i]] = 1 }
                                              !($1 in left)')
  if [ -n "$found" ]; then
    echo "日汇总检查发现问题 (问题 | 明细):"
    echo "$found"; problems=1
  elif [ "${#missing[@]}" -eq 0 ]; then
    echo "日汇总检查: 每日收银与消费汇总与单据一致"
  else
    echo "日汇总检查: 已建立的汇总与单据一致"
  fi
  if [ "${#missing[@]}" -gt 0 ]; then
    echo "日汇总检查: ${names} 尚未建立（程序下次启动时建立），未核对"
  fi
fi
exit $problems
