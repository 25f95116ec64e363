-- The shop's books, checked whole: every row returned is one problem, as
-- (问题, 明细). The same statement runs in scripts/check-db.sh and at the end of
-- every test that moves money.
WITH
bal AS (
  SELECT huiyuanid, ID, dangshikaneiyue AS now_,
         coalesce(LAG(dangshikaneiyue) OVER (PARTITION BY huiyuanid ORDER BY ID), 0)
           + coalesce(yuezengjia, 0) - coalesce(yuejianshao, 0) AS expected
  FROM huiyuanyuebiandong),
uses AS (
  SELECT huiyuanid, xiangmumingchen AS item, ID, dangshikaneicishu AS now_,
         coalesce(LAG(dangshikaneicishu) OVER (PARTITION BY huiyuanid, xiangmumingchen ORDER BY ID), 0)
           + coalesce(cishuzengjia, 0) - coalesce(cishujianshao, 0) AS expected
  FROM huiyuanyuebiandong WHERE coalesce(xiangmumingchen, '') <> ''),
pts AS (
  SELECT huiyuanid, ID, shengyujifen AS now_,
         coalesce(LAG(shengyujifen) OVER (PARTITION BY huiyuanid ORDER BY ID), 0)
           + coalesce(jifenzengjia, 0) - coalesce(jifenjianshao, 0) AS expected
  FROM huiyuanjifen),
lastbal AS (
  SELECT huiyuanid, dangshikaneiyue AS v FROM huiyuanyuebiandong y
  WHERE ID = (SELECT MAX(ID) FROM huiyuanyuebiandong WHERE huiyuanid = y.huiyuanid)),
lastuses AS (
  SELECT huiyuanid, xiangmumingchen AS item, dangshikaneicishu AS v FROM huiyuanyuebiandong y
  WHERE ID = (SELECT MAX(ID) FROM huiyuanyuebiandong
              WHERE huiyuanid = y.huiyuanid AND xiangmumingchen = y.xiangmumingchen)
    AND coalesce(xiangmumingchen, '') <> ''),
lastpts AS (
  SELECT huiyuanid, shengyujifen AS v FROM huiyuanjifen j
  WHERE ID = (SELECT MAX(ID) FROM huiyuanjifen WHERE huiyuanid = j.huiyuanid)),
-- 代金券: each voucher's ledger, and its rest against its latest row.
vq AS (
  SELECT quanID, ID, dangshiyue AS now_,
         coalesce(LAG(dangshiyue) OVER (PARTITION BY quanID ORDER BY ID), 0)
           + coalesce(zengjia, 0) - coalesce(jianshao, 0) AS expected
  FROM daijinquanbiandong),
lastvq AS (
  SELECT quanID, dangshiyue AS v FROM daijinquanbiandong q
  WHERE ID = (SELECT MAX(ID) FROM daijinquanbiandong WHERE quanID = q.quanID)),
sales AS (
  SELECT DISTINCT ID FROM xiaofeimingxi),
-- A voided sale and its void document, taken together, leave nothing behind.
voids AS (
  SELECT z.ID, z.zuofeiID, z.huiyuanid,
    (SELECT coalesce(sum(shishoujine), 0) FROM huiyuanxiaofei x WHERE x.ID IN (z.ID, z.zuofeiID)) AS takings,
    (SELECT coalesce(sum(qiankuanjine), 0) FROM huiyuanxiaofei x WHERE x.ID IN (z.ID, z.zuofeiID)) AS debt,
    (SELECT coalesce(sum(jine), 0) FROM xiaofeimingxi m WHERE m.ID IN (z.ID, z.zuofeiID)) AS lines_,
    (SELECT coalesce(sum(tichengjine), 0) FROM tichengmingxi t WHERE t.xiaofeiID IN (z.ID, z.zuofeiID)) AS commission,
    (SELECT coalesce(sum(shuliang), 0) FROM chanpinrukumingxi r WHERE r.rukuID IN (z.ID, z.zuofeiID)) AS stock,
    (SELECT coalesce(sum(coalesce(yuezengjia, 0) - coalesce(yuejianshao, 0)), 0) FROM huiyuanyuebiandong y
      WHERE y.huiyuanid = z.huiyuanid AND y.beizhu IN ('消费单：' || z.ID, '作废单：' || z.zuofeiID)
        AND coalesce(y.xiangmumingchen, '') = '') AS money,
    (SELECT coalesce(sum(coalesce(cishuzengjia, 0) - coalesce(cishujianshao, 0)), 0) FROM huiyuanyuebiandong y
      WHERE y.huiyuanid = z.huiyuanid AND y.beizhu IN ('消费单：' || z.ID, '作废单：' || z.zuofeiID)
        AND coalesce(y.xiangmumingchen, '') <> '') AS uses,
    (SELECT coalesce(sum(coalesce(jifenzengjia, 0) - coalesce(jifenjianshao, 0)), 0) FROM huiyuanjifen j
      WHERE j.huiyuanid = z.huiyuanid AND j.beizhu IN ('消费单：' || z.ID, '作废单：' || z.zuofeiID)) AS points
  FROM xiaofeizuofei z)
SELECT '余额变动不连贯', huiyuanid || ' | 记录' || ID || ' | ' || round(now_, 2) || ' | 应为 ' || round(expected, 2)
  FROM bal WHERE abs(coalesce(now_, 0) - expected) > 0.005
UNION ALL
SELECT '次数变动不连贯', huiyuanid || ' | ' || item || ' | 记录' || ID || ' | ' || round(now_, 3) || ' | 应为 ' || round(expected, 3)
  FROM uses WHERE abs(coalesce(now_, 0) - expected) > 0.0005
UNION ALL
SELECT '积分变动不连贯', huiyuanid || ' | 记录' || ID || ' | ' || round(now_, 3) || ' | 应为 ' || round(expected, 3)
  FROM pts WHERE abs(coalesce(now_, 0) - expected) > 0.0005
UNION ALL
SELECT '余额与余额变动最新记录不符', h.ID || ' | ' || coalesce(h.name, '') || ' | ' || coalesce(h.shengyujine, 0) || ' | ' || coalesce(b.v, 0)
  FROM huiyuan h JOIN lastbal b ON b.huiyuanid = h.ID
  WHERE abs(coalesce(h.shengyujine, 0) - coalesce(b.v, 0)) > 0.005
UNION ALL
SELECT '剩余次数与变动记录不符', u.huiyuanid || ' | ' || u.item || ' | ' || coalesce(t.left_, 0) || ' | ' || coalesce(u.v, 0)
  FROM lastuses u LEFT JOIN (SELECT huiyuanID, xiangmuID, sum(shengyucishu) AS left_ FROM huiyuantaocan
                             GROUP BY huiyuanID, xiangmuID) t
    ON t.huiyuanID = u.huiyuanid AND t.xiangmuID = u.item
  WHERE u.huiyuanid IN (SELECT ID FROM huiyuan) AND abs(coalesce(t.left_, 0) - coalesce(u.v, 0)) > 0.0005
UNION ALL
SELECT '积分与积分记录不符', h.ID || ' | ' || coalesce(h.name, '') || ' | ' || coalesce(h.jifen, 0) || ' | ' || coalesce(p.v, 0)
  FROM huiyuan h JOIN lastpts p ON p.huiyuanid = h.ID
  WHERE abs(coalesce(h.jifen, 0) - coalesce(p.v, 0)) > 0.0005
UNION ALL
SELECT '代金券变动不连贯', quanID || ' | 记录' || ID || ' | ' || round(now_, 2) || ' | 应为 ' || round(expected, 2)
  FROM vq WHERE abs(coalesce(now_, 0) - expected) > 0.005
UNION ALL
SELECT '代金券余额与变动记录不符', v.ID || ' | ' || coalesce(v.yue, 0) || ' | ' || coalesce(l.v, 0)
  FROM daijinquan v LEFT JOIN lastvq l ON l.quanID = v.ID
  WHERE abs(coalesce(v.yue, 0) - coalesce(l.v, 0)) > 0.005 OR v.yue < -0.005
UNION ALL
SELECT '消费单没有单头', s.ID FROM sales s
  WHERE NOT EXISTS (SELECT 1 FROM huiyuanxiaofei x WHERE x.ID = s.ID)
UNION ALL
SELECT '消费单没有明细', x.ID FROM huiyuanxiaofei x
  WHERE coalesce(x.beizhu, '') <> '会员还款' AND NOT EXISTS (SELECT 1 FROM xiaofeimingxi m WHERE m.ID = x.ID)
  GROUP BY x.ID
UNION ALL
-- A sale's points row is its member's: looked up by member and document, as
-- the void does. By the document alone no index serves it, and every sale
-- would walk the points of every member.
SELECT '消费单没有积分记录', s.ID FROM sales s
  WHERE EXISTS (SELECT 1 FROM danjuhao d WHERE d.ID = s.ID)
    AND NOT EXISTS (SELECT 1 FROM huiyuanxiaofei x JOIN huiyuanjifen j ON j.huiyuanid = x.huiyuanid
                    WHERE x.ID = s.ID AND j.beizhu IN ('消费单：' || s.ID, '作废单：' || s.ID))
UNION ALL
SELECT '作废单与原单不相抵', ID || ' | ' || zuofeiID || ' | 收银' || round(takings, 2) || ' 欠款' || round(debt, 2)
    || ' 明细' || round(lines_, 2) || ' 提成' || round(commission, 2) || ' 库存' || round(stock, 3)
    || ' 余额' || round(money, 2) || ' 次数' || round(uses, 3) || ' 积分' || round(points, 3)
  FROM voids
  WHERE abs(takings) > 0.005 OR abs(debt) > 0.005 OR abs(lines_) > 0.005 OR abs(commission) > 0.005
    OR abs(stock) > 0.0005 OR abs(money) > 0.005 OR abs(uses) > 0.0005 OR abs(points) > 0.0005
    OR NOT EXISTS (SELECT 1 FROM huiyuanxiaofei x WHERE x.ID = voids.zuofeiID)
UNION ALL
SELECT '退款单没有变动记录', ID FROM huiyuanjiaofei
  WHERE jiaofeileixing IN ('退储值', '退套餐')
    AND NOT EXISTS (SELECT 1 FROM huiyuanyuebiandong y WHERE y.huiyuanid = huiyuanjiaofei.huiyuanid
                    AND y.beizhu = '退款单：' || huiyuanjiaofei.ID)
UNION ALL
SELECT '单号重复', ID || ' | ' || group_concat(DISTINCT huiyuanid) FROM huiyuanxiaofei
  GROUP BY ID HAVING count(DISTINCT huiyuanid) > 1
    OR sum(CASE WHEN coalesce(beizhu, '') <> '会员还款' AND xiaofeijine IS NOT NULL AND yingshoujine <> 0 THEN 1 ELSE 0 END) > 1
UNION ALL
SELECT '单号重复', ID || ' | ' || group_concat(DISTINCT huiyuanid) FROM huiyuanjiaofei
  GROUP BY ID HAVING count(DISTINCT huiyuanid) > 1
    OR sum(CASE WHEN jiaofeileixing <> '会员还款' AND yingjiaojine <> 0 THEN 1 ELSE 0 END) > 1;
