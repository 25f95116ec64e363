-- The daily summaries against the records they sum: every row returned is one
-- day (and source and method) where they differ, as (问题, 明细). Run by
-- scripts/check-db.sh and, with the books, at the end of every test that moves
-- money. Amounts in cents; a sale's document counts on the day of its first row
-- (per member and day too, a void's document likewise), and a member's day with
-- no header row left has no summary row; per document and day, the day's first
-- time, sums and whether the document has rows on other days; per document and
-- employee, the commission rows on the day of the document's first header row
-- (a sale's, else a card payment's); per member and year, the sums of the
-- member's days; per sale document and employee, the lines of their 消费提成 rows,
-- the lines' money shared among the lines of the same item (thousandths of a
-- cent), whether the customer asked for them, on the day and with the customer
-- of the document's first header row, for a sale not voided and not a void.
-- per member on file, day and payment kind, the payment rows of that day;
-- per day, the points and balance rows of the members on file; per year, the
-- members' years of the members on file; per member and year and per year, the
-- members' payment days; per member (as the rows name them), the payments into
-- the card (充值, 升级, 退储值), the sales, the open debts of every source and
-- the package uses left.
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
  GROUP BY riqi),
members_rows AS (
  SELECT coalesce(substr(a.xiaofeiriqi, 1, 10), '') AS riqi, coalesce(a.huiyuanid, '') AS huiyuanid,
         CASE WHEN EXISTS (SELECT 1 FROM huiyuanxiaofei e WHERE e.ID = a.ID AND e.rowid < a.rowid) THEN 0 ELSE 1 END AS n,
         CASE WHEN a.beizhu = '作废冲销' AND NOT EXISTS (SELECT 1 FROM huiyuanxiaofei e WHERE e.ID = a.ID AND e.rowid < a.rowid)
              THEN 1 ELSE 0 END AS zf,
         CAST(round(coalesce(a.xiaofeijine, 0) * 100) AS INTEGER) AS xf,
         CAST(round(coalesce(a.shishoujine, 0) * 100) AS INTEGER) AS ss
  FROM huiyuanxiaofei a),
members AS (
  SELECT riqi AS riqi, huiyuanid AS huiyuanid, sum(s_n) AS s_n, sum(s_b) AS s_b, sum(r_b) AS r_b, sum(n) AS n,
         sum(zf) AS zf, sum(xf) AS xf, sum(ss) AS ss
  FROM (SELECT riqi, huiyuanid, 1 AS s_n, bishu AS s_b, 0 AS r_b, danshu AS n, zuofei AS zf, xiaofei_fen AS xf, shishou_fen AS ss
        FROM rihuizong_huiyuan
        UNION ALL
        SELECT riqi, huiyuanid, 0, 0, 1, -n, -zf, -xf, -ss FROM members_rows) AS m
  GROUP BY riqi, huiyuanid),
documents_grouped AS (
  SELECT a.ID AS ID, coalesce(substr(a.xiaofeiriqi, 1, 10), '') AS riqi, coalesce(min(a.xiaofeiriqi), '') AS shijian,
         min(a.huiyuanid) AS huiyuanid, count(*) AS bishu,
         sum(CAST(round(coalesce(a.xiaofeijine, 0) * 100) AS INTEGER)) AS xf,
         sum(CAST(round(coalesce(a.shishoujine, 0) * 100) AS INTEGER)) AS ss,
         sum(CAST(round(coalesce(a.qiankuanjine, 0) * 100) AS INTEGER)) AS qk,
         sum(coalesce(a.suodejifen, 0)) AS jf
  FROM huiyuanxiaofei a
  GROUP BY a.ID, coalesce(substr(a.xiaofeiriqi, 1, 10), '')),
documents_rows AS (
  SELECT g.ID AS ID, g.riqi AS riqi, g.shijian AS shijian, g.huiyuanid AS huiyuanid, g.bishu AS bishu,
         CASE WHEN EXISTS (SELECT 1 FROM huiyuanxiaofei e WHERE e.ID = g.ID
                           AND coalesce(substr(e.xiaofeiriqi, 1, 10), '') <> g.riqi) THEN 1 ELSE 0 END AS duori,
         g.xf AS xf, g.ss AS ss, g.qk AS qk, g.jf AS jf
  FROM documents_grouped g),
documents AS (
  SELECT coalesce(r.ID, s.ID) AS ID, coalesce(r.riqi, s.riqi) AS riqi
  FROM documents_rows r FULL OUTER JOIN rihuizong_danju s ON s.ID = r.ID AND s.riqi = r.riqi
  WHERE r.ID IS NULL OR s.ID IS NULL OR s.shijian <> r.shijian OR coalesce(s.huiyuanid, '') <> coalesce(r.huiyuanid, '')
     OR s.bishu <> r.bishu OR s.duori <> r.duori OR s.xiaofei_fen <> r.xf OR s.shishou_fen <> r.ss
     OR s.qiankuan_fen <> r.qk OR abs(s.jifen - r.jf) > 0.0005),
member_years AS (
  SELECT nian AS nian, huiyuanid AS huiyuanid, sum(s_t) AS s_t, sum(r_t) AS r_t, sum(n) AS n, sum(zf) AS zf,
         sum(xf) AS xf, sum(ss) AS ss
  FROM (SELECT nian, huiyuanid, tianshu AS s_t, 0 AS r_t, danshu AS n, zuofei AS zf, xiaofei_fen AS xf, shishou_fen AS ss
        FROM rihuizong_huiyuan_nian
        UNION ALL
        SELECT substr(riqi, 1, 4), huiyuanid, 0, 1, -danshu, -zuofei, -xiaofei_fen, -shishou_fen FROM rihuizong_huiyuan) AS y
  GROUP BY nian, huiyuanid),
commissions_rows AS (
  SELECT t.xiaofeiID AS xiaofeiID, coalesce(t.yuangongID, '') AS yuangongid,
         coalesce((SELECT coalesce(substr(e.xiaofeiriqi, 1, 10), '') FROM huiyuanxiaofei e WHERE e.ID = t.xiaofeiID
                   ORDER BY e.rowid LIMIT 1),
                  (SELECT coalesce(substr(j.jiaofeiriqi, 1, 10), '') FROM huiyuanjiaofei j WHERE j.ID = t.xiaofeiID
                   ORDER BY j.rowid LIMIT 1)) AS riqi,
         count(*) AS n, sum(CASE WHEN t.beizhu = '作废冲销' THEN -1 ELSE 1 END) AS b,
         sum(CAST(round(coalesce(t.tichengjine, 0) * 100) AS INTEGER)) AS f
  FROM tichengmingxi t
  GROUP BY t.xiaofeiID, coalesce(t.yuangongID, '')),
commissions AS (
  SELECT coalesce(r.xiaofeiID, s.xiaofeiID) AS xiaofeiID, coalesce(r.yuangongid, s.yuangongid) AS yuangongid
  FROM (SELECT c.xiaofeiID AS xiaofeiID, c.yuangongid AS yuangongid, c.riqi AS riqi, c.n AS n, c.b AS b, c.f AS f
        FROM commissions_rows c WHERE c.riqi IS NOT NULL) r
       FULL OUTER JOIN rihuizong_ticheng s ON s.xiaofeiID = r.xiaofeiID AND s.yuangongid = r.yuangongid
  WHERE r.xiaofeiID IS NULL OR s.xiaofeiID IS NULL OR s.riqi <> r.riqi OR s.hangshu <> r.n OR s.bishu <> r.b
     OR s.jine_fen <> r.f),
-- The lines per day and item, on the day of their document's first header row
-- ('' without one), and that day recorded for each document with header rows.
first_rows AS (
  SELECT a.ID AS ID, coalesce(substr(a.xiaofeiriqi, 1, 10), '') AS riqi
  FROM huiyuanxiaofei a
  WHERE a.ID IS NOT NULL AND a.rowid = (SELECT min(e.rowid) FROM huiyuanxiaofei e WHERE e.ID = a.ID)),
item_rows AS (
  SELECT coalesce(f.riqi, '') AS riqi, coalesce(m.xiaofeileixing, '') AS leixing, coalesce(m.xiangmuID, '') AS xiangmuid,
         coalesce(m.shuliang, 0) AS sl, CAST(round(coalesce(m.jine, 0) * 100) AS INTEGER) AS fen
  FROM xiaofeimingxi m LEFT JOIN first_rows f ON f.ID = m.ID),
items AS (
  SELECT riqi AS riqi, leixing AS leixing, xiangmuid AS xiangmuid, sum(s_r) AS s_r, sum(s_n) AS s_n, sum(r_n) AS r_n,
         sum(sl) AS sl, sum(fen) AS fen
  FROM (SELECT riqi, leixing, xiangmuid, 1 AS s_r, hangshu AS s_n, 0 AS r_n, shuliang AS sl, jine_fen AS fen FROM rihuizong_xiangmu
        UNION ALL
        SELECT riqi, leixing, xiangmuid, 0, 0, 1, -sl, -fen FROM item_rows) AS i
  GROUP BY riqi, leixing, xiangmuid),
payment_rows AS (
  SELECT coalesce(substr(jiaofeiriqi, 1, 10), '') AS riqi, coalesce(huiyuanid, '') AS huiyuanid,
         coalesce(jiaofeileixing, '') AS leixing, CAST(round(coalesce(shifujine, 0) * 100) AS INTEGER) AS fen
  FROM huiyuanjiaofei a WHERE EXISTS (SELECT 1 FROM huiyuan b WHERE b.ID = a.huiyuanid)),
payments AS (
  SELECT riqi AS riqi, huiyuanid AS huiyuanid, leixing AS leixing, sum(s_r) AS s_r, sum(s_n) AS s_n, sum(r_n) AS r_n,
         sum(fen) AS fen
  FROM (SELECT riqi, huiyuanid, leixing, 1 AS s_r, bishu AS s_n, 0 AS r_n, shifu_fen AS fen FROM rihuizong_jiaofei
        UNION ALL
        SELECT riqi, huiyuanid, leixing, 0, 0, 1, -fen FROM payment_rows) AS p
  GROUP BY riqi, huiyuanid, leixing),
points AS (
  SELECT riqi AS riqi, sum(s_r) AS s_r, sum(n) AS n, sum(zj) AS zj, sum(js) AS js, sum(sy) AS sy
  FROM (SELECT riqi, 1 AS s_r, bishu AS n, zengjia AS zj, jianshao AS js, shengyu AS sy FROM rihuizong_jifen
        UNION ALL
        SELECT coalesce(substr(a.biandongriqi, 1, 10), ''), 0, -1, -coalesce(a.jifenzengjia, 0), -coalesce(a.jifenjianshao, 0),
               -coalesce(a.shengyujifen, 0)
        FROM huiyuanjifen a JOIN huiyuan b ON b.ID = a.huiyuanid) AS j
  GROUP BY riqi),
balance_days AS (
  SELECT riqi AS riqi, sum(s_r) AS s_r, sum(n) AS n, sum(zj) AS zj, sum(js) AS js, sum(sy) AS sy
  FROM (SELECT riqi, 1 AS s_r, bishu AS n, cishu_zj AS zj, cishu_js AS js, cishu_sy AS sy FROM rihuizong_biandong
        UNION ALL
        SELECT coalesce(substr(a.biandongriqi, 1, 10), ''), 0, -1, -coalesce(a.cishuzengjia, 0), -coalesce(a.cishujianshao, 0),
               -coalesce(a.dangshikaneicishu, 0)
        FROM huiyuanyuebiandong a JOIN huiyuan b ON b.ID = a.huiyuanid) AS d
  GROUP BY riqi),
year_totals AS (
  SELECT nian AS nian, sum(n) AS n, sum(dn) AS dn, sum(zf) AS zf, sum(xf) AS xf, sum(ss) AS ss
  FROM (SELECT nian, huiyuanshu AS n, danshu AS dn, zuofei AS zf, xiaofei_fen AS xf, shishou_fen AS ss FROM rihuizong_nianheji
        UNION ALL
        SELECT y.nian, -1, -y.danshu, -y.zuofei, -y.xiaofei_fen, -y.shishou_fen
        FROM rihuizong_huiyuan_nian y JOIN huiyuan b ON b.ID = y.huiyuanid) AS y
  GROUP BY nian),
payment_years AS (
  SELECT nian AS nian, huiyuanid AS huiyuanid, sum(t) AS t, sum(n) AS n, sum(fen) AS fen
  FROM (SELECT nian, huiyuanid, tianshu AS t, bishu AS n, shifu_fen AS fen FROM rihuizong_jiaofei_nian
        UNION ALL
        SELECT substr(riqi, 1, 4), huiyuanid, -1, -bishu, -shifu_fen FROM rihuizong_jiaofei) AS y
  GROUP BY nian, huiyuanid),
payment_year_totals AS (
  SELECT nian AS nian, sum(m) AS m, sum(n) AS n, sum(fen) AS fen
  FROM (SELECT nian, huiyuanshu AS m, bishu AS n, shifu_fen AS fen FROM rihuizong_jiaofei_nianheji
        UNION ALL
        SELECT nian, -1, -bishu, -shifu_fen FROM rihuizong_jiaofei_nian) AS y
  GROUP BY nian),
member_totals AS (
  SELECT huiyuanid AS huiyuanid, sum(jf) AS jf, sum(xf) AS xf, sum(qk) AS qk, sum(cs) AS cs
  FROM (SELECT huiyuanid, jiaofei_fen AS jf, xiaofei_fen AS xf, qiankuan_fen AS qk, shengyucishu AS cs FROM rihuizong_huiyuanleiji
        UNION ALL
        SELECT coalesce(a.huiyuanid, ''), 0, -CAST(round(coalesce(a.jine, 0) * 100) AS BIGINT),
               -CAST(round(coalesce(a.qiankuanjine, 0) * 100) AS BIGINT), 0
        FROM huiyuanxiaofei a
        UNION ALL
        SELECT coalesce(b.huiyuanid, ''),
               CASE WHEN b.jiaofeileixing IN ('会员充值', '会员卡升级', '退储值')
                    THEN -CAST(round(coalesce(b.yingjiaojine, 0) * 100) AS BIGINT) ELSE 0 END,
               0, -CAST(round(coalesce(b.qiankuanjine, 0) * 100) AS BIGINT), 0
        FROM huiyuanjiaofei b
        UNION ALL
        SELECT coalesce(m.duixiang, ''), 0, 0, -CAST(round(coalesce(m.qiankuanweihuan, 0) * 100) AS BIGINT), 0
        FROM qichudaorumingxi m WHERE m.qiankuandanhao IS NOT NULL
        UNION ALL
        SELECT coalesce(t.huiyuanID, ''), 0, 0, 0, -coalesce(t.shengyucishu, 0) FROM huiyuantaocan t) AS t
  GROUP BY huiyuanid),
line_days AS (
  SELECT coalesce(r.ID, s.ID) AS ID
  FROM first_rows r FULL OUTER JOIN rihuizong_danjuri s ON s.ID = r.ID
  WHERE r.ID IS NULL OR s.ID IS NULL OR s.riqi <> r.riqi),
work_lines AS (
  SELECT t.xiaofeiID AS xiaofeiID, coalesce(t.yuangongID, '') AS yuangongid, coalesce(max(t.xiangmuID), '') AS xiangmuid,
         max(CASE WHEN t.tichengfangshi = '点单提成' THEN 1 ELSE 0 END) AS dd
  FROM tichengmingxi t WHERE t.beizhu = '消费提成'
  GROUP BY t.xiaofeiID, coalesce(t.yuangongID, ''), t.titleID),
work_items AS (
  SELECT m.ID AS ID, coalesce(m.xiangmuID, '') AS xiangmuid, sum(CAST(round(coalesce(m.jine, 0) * 100) AS INTEGER)) AS fen,
         count(*) AS n
  FROM xiaofeimingxi m GROUP BY m.ID, coalesce(m.xiangmuID, '')),
work_first AS (
  SELECT a.ID AS ID, coalesce(substr(a.xiaofeiriqi, 1, 10), '') AS riqi, coalesce(a.huiyuanid, '') AS huiyuanid
  FROM huiyuanxiaofei a
  WHERE a.ID IS NOT NULL AND a.rowid = (SELECT min(e.rowid) FROM huiyuanxiaofei e WHERE e.ID = a.ID)),
work_rows AS (
  SELECT l.xiaofeiID AS xiaofeiID, l.yuangongid AS yuangongid, max(f.riqi) AS riqi, max(f.huiyuanid) AS huiyuanid,
         count(*) AS fuwu, sum(coalesce(CAST(round(i.fen * 1000.0 / i.n) AS BIGINT), 0)) AS li, max(l.dd) AS dd
  FROM work_lines l JOIN work_first f ON f.ID = l.xiaofeiID
       LEFT JOIN work_items i ON i.ID = l.xiaofeiID AND i.xiangmuid = l.xiangmuid
  WHERE NOT EXISTS (SELECT 1 FROM xiaofeizuofei z WHERE z.ID = l.xiaofeiID OR z.zuofeiID = l.xiaofeiID)
    AND EXISTS (SELECT 1 FROM huiyuanxiaofei e WHERE e.ID = l.xiaofeiID
                AND NOT (coalesce(e.beizhu, '') = '会员还款' AND coalesce(e.xiaofeijine, 0) = 0))
  GROUP BY l.xiaofeiID, l.yuangongid),
work AS (
  SELECT coalesce(r.xiaofeiID, s.xiaofeiID) AS xiaofeiID, coalesce(r.yuangongid, s.yuangongid) AS yuangongid
  FROM work_rows r FULL OUTER JOIN rihuizong_yeji s ON s.xiaofeiID = r.xiaofeiID AND s.yuangongid = r.yuangongid
  WHERE r.xiaofeiID IS NULL OR s.xiaofeiID IS NULL OR s.riqi <> r.riqi OR s.huiyuanid <> r.huiyuanid
     OR s.fuwu <> r.fuwu OR s.jine_li <> r.li OR s.diandan <> r.dd)
SELECT '日汇总收银与记录不符', riqi || ' | ' || laiyuan || ' | ' || fangshi || ' | 汇总 ' || s_n || ' 笔 ' || s_fen
    || ' 分 | 记录 ' || r_n || ' 笔 ' || r_fen || ' 分'
  FROM takings WHERE s_fen <> r_fen OR s_n <> r_n
UNION ALL
SELECT '日汇总消费与记录不符', riqi || ' | 差 单数 ' || n || ' 消费 ' || xf || ' 实收 ' || ss || ' 欠款 ' || qk
    || ' 分 积分 ' || round(jf, 3)
  FROM sales WHERE n <> 0 OR xf <> 0 OR ss <> 0 OR qk <> 0 OR abs(jf) > 0.0005
UNION ALL
SELECT '会员日汇总与记录不符', riqi || ' | ' || huiyuanid || ' | 汇总 ' || s_b || ' 笔 | 记录 ' || r_b || ' 笔 | 差 单数 ' || n
    || ' 作废单 ' || zf || ' 消费 ' || xf || ' 实收 ' || ss || ' 分'
  FROM members WHERE s_b <> r_b OR (s_n > 0 AND r_b = 0) OR n <> 0 OR zf <> 0 OR xf <> 0 OR ss <> 0
UNION ALL
SELECT '单据日汇总与记录不符', ID || ' | ' || riqi FROM documents
UNION ALL
SELECT '会员年汇总与日汇总不符', nian || ' | ' || huiyuanid || ' | 年 ' || s_t || ' 天 | 日汇总 ' || r_t || ' 天'
  FROM member_years WHERE s_t <> r_t OR n <> 0 OR zf <> 0 OR xf <> 0 OR ss <> 0
UNION ALL
SELECT '提成汇总与记录不符', xiaofeiID || ' | ' || yuangongid FROM commissions
UNION ALL
SELECT '项目日汇总与记录不符', riqi || ' | ' || leixing || ' | ' || xiangmuid || ' | 汇总 ' || s_n || ' 行 | 记录 ' || r_n
    || ' 行 | 差 数量 ' || round(sl, 3) || ' 金额 ' || fen || ' 分'
  FROM items WHERE s_n <> r_n OR (s_r > 0 AND r_n = 0) OR fen <> 0 OR abs(sl) > 0.0005
UNION ALL
SELECT '单据明细日期与记录不符', ID FROM line_days
UNION ALL
SELECT '员工业绩汇总与记录不符', xiaofeiID || ' | ' || yuangongid FROM work
UNION ALL
SELECT '会员交费日汇总与记录不符', riqi || ' | ' || huiyuanid || ' | ' || leixing || ' | 汇总 ' || s_n || ' 笔 | 记录 ' || r_n
    || ' 笔 | 差 ' || fen || ' 分'
  FROM payments WHERE s_n <> r_n OR (s_r > 0 AND r_n = 0) OR fen <> 0
UNION ALL
SELECT '积分日汇总与记录不符', riqi || ' | 差 ' || n || ' 笔 增加 ' || round(zj, 3) || ' 减少 ' || round(js, 3)
    || ' 剩余 ' || round(sy, 3)
  FROM points WHERE n <> 0 OR abs(zj) > 0.005 OR abs(js) > 0.005 OR abs(sy) > 0.005
UNION ALL
SELECT '余额变动日汇总与记录不符', riqi || ' | 差 ' || n || ' 笔 次数增加 ' || round(zj, 3) || ' 次数减少 ' || round(js, 3)
    || ' 当时剩余次数 ' || round(sy, 3)
  FROM balance_days WHERE n <> 0 OR abs(zj) > 0.005 OR abs(js) > 0.005 OR abs(sy) > 0.005
UNION ALL
SELECT '会员年合计与年汇总不符', nian || ' | 差 会员 ' || n || ' 单数 ' || dn || ' 作废单 ' || zf || ' 消费 ' || xf || ' 实收 ' || ss || ' 分'
  FROM year_totals WHERE n <> 0 OR dn <> 0 OR zf <> 0 OR xf <> 0 OR ss <> 0
UNION ALL
SELECT '会员交费年汇总与日汇总不符', nian || ' | ' || huiyuanid || ' | 差 ' || t || ' 行 ' || n || ' 笔 ' || fen || ' 分'
  FROM payment_years WHERE t <> 0 OR n <> 0 OR fen <> 0
UNION ALL
SELECT '交费年合计与年汇总不符', nian || ' | 差 会员 ' || m || ' 笔数 ' || n || ' 金额 ' || fen || ' 分'
  FROM payment_year_totals WHERE m <> 0 OR n <> 0 OR fen <> 0
UNION ALL
SELECT '会员累计与记录不符', huiyuanid || ' | 差 交费 ' || jf || ' 消费 ' || xf || ' 欠款 ' || qk || ' 分 套餐剩余次数 ' || round(cs, 3)
  FROM member_totals WHERE jf <> 0 OR xf <> 0 OR qk <> 0 OR abs(cs) > 0.0005;
