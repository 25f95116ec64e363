-- The daily summaries against the records they sum: every row returned is one
-- day (and source and method) where they differ, as (问题, 明细). Run by
-- scripts/check-db.sh and, with the books, at the end of every test that moves
-- money. Amounts in cents; a sale's document counts on the day of its first row.
WITH
takings_rows AS (
  SELECT coalesce(substr(xiaofeiriqi, 1, 10), '') AS riqi, '消费' AS laiyuan, coalesce(fukuanfangshi, '') AS fangshi,
         CAST(round(coalesce(shishoujine, 0) * 100) AS INTEGER) AS fen
  FROM huiyuanxiaofei
  UNION ALL
  SELECT coalesce(substr(jiaofeiriqi, 1, 10), ''), '交费', coalesce(fukuanleixing, ''),
         CAST(round(coalesce(shifujine, 0) * 100) AS INTEGER)
  FROM huiyuanjiaofei),
takings AS (
  SELECT riqi AS riqi, laiyuan AS laiyuan, fangshi AS fangshi, sum(s_fen) AS s_fen, sum(r_fen) AS r_fen, sum(s_n) AS s_n, sum(r_n) AS r_n
  FROM (SELECT riqi, laiyuan, fangshi, jine_fen AS s_fen, 0 AS r_fen, bishu AS s_n, 0 AS r_n FROM rihuizong_shouyin
        UNION ALL
        SELECT riqi, laiyuan, fangshi, 0, fen, 0, 1 FROM takings_rows) AS t
  GROUP BY riqi, laiyuan, fangshi),
sales_rows AS (
  SELECT coalesce(substr(a.xiaofeiriqi, 1, 10), '') AS riqi,
         CASE WHEN EXISTS (SELECT 1 FROM huiyuanxiaofei e WHERE e.ID = a.ID AND e.rowid < a.rowid) THEN 0 ELSE 1 END AS n,
         CAST(round(coalesce(a.xiaofeijine, 0) * 100) AS INTEGER) AS xf,
         CAST(round(coalesce(a.shishoujine, 0) * 100) AS INTEGER) AS ss,
         CAST(round(coalesce(a.qiankuanjine, 0) * 100) AS INTEGER) AS qk,
         coalesce(a.suodejifen, 0) AS jf
  FROM huiyuanxiaofei a),
sales AS (
  SELECT riqi AS riqi, sum(n) AS n, sum(xf) AS xf, sum(ss) AS ss, sum(qk) AS qk, sum(jf) AS jf
  FROM (SELECT riqi, danshu AS n, xiaofei_fen AS xf, shishou_fen AS ss, qiankuan_fen AS qk, jifen AS jf
        FROM rihuizong_xiaofei
        UNION ALL
        SELECT riqi, -n, -xf, -ss, -qk, -jf FROM sales_rows) AS s
  GROUP BY riqi)
SELECT '日汇总收银与记录不符', riqi || ' | ' || laiyuan || ' | ' || fangshi || ' | 汇总 ' || s_n || ' 笔 ' || s_fen
    || ' 分 | 记录 ' || r_n || ' 笔 ' || r_fen || ' 分'
  FROM takings WHERE s_fen <> r_fen OR s_n <> r_n
UNION ALL
SELECT '日汇总消费与记录不符', riqi || ' | 差 单数 ' || n || ' 消费 ' || xf || ' 实收 ' || ss || ' 欠款 ' || qk
    || ' 分 积分 ' || round(jf, 3)
  FROM sales WHERE n <> 0 OR xf <> 0 OR ss <> 0 OR qk <> 0 OR abs(jf) > 0.0005;
