#include "viewdeclarations.h"

#include "enginedriver.h"

#include <QDate>
#include <QRegularExpression>

namespace {

struct Row
{
    const char *name;
    const char *widget;
    const char *fixed;
    bool whereOpen;
    const char *defaultCondition; // nullptr: bound only, run by its page (or, a detail, by a click)
    const char *grouping;
    const char *keys;             // "、" between several
    const char *detail;
    const char *detailCondition;
    const char *totals = "";
    const char *summary = "";     // the totals from the daily summaries, ending inside its WHERE
    const char *summaryDate = ""; // the list's date column the summaries' days stand for
    const char *memberList = "";  // the list from the sales per member and day (see the header)
    const char *memberTotals = "";
    const char *periodList = "";  // the list from the sales per document and day (see the header)
    const char *memberYearList = "";  // the list from the sales per member and year (see the header)
    const char *memberYearTotals = "";
    const char *summaryList = "";  // the list from its summary's rows gathered first (see the header)
    bool summaryHasFixed = false; // the summary counts only the rows the fixed conditions keep
    const char *yearTotals = "";  // the 合计 of a whole year of every member (see the header)
    const char *everyTotals = ""; // the 合计 of a period of every member (see the header)
    const char *linesTotals = ""; // the 合计 of an item's lines of a period (see the header)
    const char *everyList = "";   // the list of a period of every member (see the header)
};

const char *const kStockLines = "a.chanpinID=b.ID and a.rukuID!='000000'";
const char *const kMemberJoin = "a.huiyuanid=b.ID";
// The 合计 of the payment rankings: members, payments, amount paid.
const char *const kPaymentTotals =
    "select count(distinct a.huiyuanid), count(*), round(total(a.shifujine),2) from huiyuanjiaofei a, huiyuan b";
// The same from the payments per member, day and kind (%1 the period on the
// summary's days, %2 the conditions on the member), the kinds the list keeps
// given first: the members of the period grouped once, then found by their key.
#define PAYMENT_DAYS_TOTALS(kinds)                                                                              \
    "select count(*), coalesce(sum(t.n),0), round(coalesce(sum(t.fen),0)/100.0,2) "                             \
    "from (select s.huiyuanid as huiyuanid, sum(s.bishu) as n, sum(s.shifu_fen) as fen from rihuizong_jiaofei s " \
    "where " kinds "%1 group by s.huiyuanid) t join huiyuan b on b.ID=t.huiyuanid%2"
const char *const kPaymentDaysTotals = PAYMENT_DAYS_TOTALS("1=1");
const char *const kPackageDaysTotals = PAYMENT_DAYS_TOTALS("s.leixing='套餐交费'");
#undef PAYMENT_DAYS_TOTALS
// Of every member: the summary holds the members on file alone, so no row is joined.
#define PAYMENT_DAYS_EVERY(kinds)                                                                               \
    "select count(distinct s.huiyuanid), coalesce(sum(s.bishu),0), round(coalesce(sum(s.shifu_fen),0)/100.0,2) " \
    "from rihuizong_jiaofei s where " kinds "%1%2"
const char *const kPaymentDaysEvery = PAYMENT_DAYS_EVERY("1=1");
const char *const kPackageDaysEvery = PAYMENT_DAYS_EVERY("s.leixing='套餐交费'");
#undef PAYMENT_DAYS_EVERY

// The analyses per item from the lines per day and item: the period's days
// grouped by item first (%1 the period on the summary's days), then each item
// named once (%2 the conditions on the item), in the order of the codes.
const char *const kServiceDays =
    "select b.ID as 项目编号, b.name as 项目名称, b.leibie as 项目类别, ROUND(t.sl,3) as 消费次数, "
    "ROUND(t.fen/100.0,3) as 消费金额 from (select s.xiangmuid as xiangmuid, sum(s.shuliang) as sl, "
    "sum(s.jine_fen) as fen from rihuizong_xiangmu s where s.leixing in ('服务项目','套餐消费')%1 "
    "group by s.xiangmuid) t join fuwuxiangmu b on b.ID=t.xiangmuid%2 ORDER BY b.ID";
const char *const kProductDays =
    "select b.ID as 产品编号, b.name as 产品名称, b.leibie as 产品类别, ROUND(t.sl,3) as 销售数量, "
    "ROUND(t.fen/100.0,3) as 销售金额 from (select s.xiangmuid as xiangmuid, sum(s.shuliang) as sl, "
    "sum(s.jine_fen) as fen from rihuizong_xiangmu s where s.leixing='产品'%1 "
    "group by s.xiangmuid) t join chanpin b on b.ID=t.xiangmuid%2 ORDER BY b.ID";

// An analysis detail's 合计 of a period from the same cells: the item's days
// (a.riqi, a.xiangmuID: the summary stands where the lines stood). The lines
// of the period's documents would be every line of the period, read to sum one
// item's (a year at four times the large shop: 0.5 s against 8 ms).
const char *const kServiceLinesTotals =
    "select coalesce(sum(a.hangshu),0), round(coalesce(sum(a.shuliang),0),2), round(coalesce(sum(a.jine_fen),0)/100.0,2) "
    "from rihuizong_xiangmu a join fuwuxiangmu b on b.ID=a.xiangmuid where a.leixing in ('服务项目','套餐消费')";
const char *const kProductLinesTotals =
    "select coalesce(sum(a.hangshu),0), round(coalesce(sum(a.shuliang),0),2), round(coalesce(sum(a.jine_fen),0)/100.0,2) "
    "from rihuizong_xiangmu a join chanpin b on b.ID=a.xiangmuid where a.leixing='产品'";
// The analysis details' period: the documents of the days recorded for them.
const char *const kDocumentsOnDaysHead = "a.ID in (select d.ID from rihuizong_danjuri d where ";
const char *const kDocumentsOnDaysTail = ")";
const char *const kItemCondition = "a.xiangmuID=?";

// One row per list of the main window.
const Row kRows[] = {
    // front desk: the current member's lists, run for a member at once
    // In the order they were rung up: a void's reversing document ("ZF…") sorted
    // by its number stood above every older sale ("xf_…").
    {"会员消费", "tableView", "", false, nullptr, "GROUP BY ID ORDER BY min(xiaofeiriqi), ID", "消费单号", "消费明细",
     "a.ID=?"},
    {"消费明细", "tableView_2", "", false, "a.ID=''", "GROUP BY xiangmuID ORDER BY xiangmuID", "", "", ""},
    {"会员交费", "tableView_3", "", false, nullptr, "GROUP BY ID ORDER BY ID", "", "", ""},
    {"会员套餐", "tableView_4", "a.xiangmuID=b.ID", false, nullptr, "GROUP BY xiangmuID ORDER BY xiangmuID", "", "", ""},
    {"会员积分", "tableView_5", "", false, nullptr, "ORDER BY a.ID", "", "", ""},
    {"会员余额变动", "tableView_6", "a.xiangmumingchen=b.ID or xiangmumingchen = ''", false, "huiyuanid='0'",
     "ORDER BY a.ID", "", "", ""},
    // members page
    // In the order of the numbers the cards begin with (9 before 10), from its
    // index: bianhao_shu is the engine's mochen_int(ID).
    {"会员管理", "tableView_9", "", false, "", "ORDER BY a.bianhao_shu, a.ID", "会员编号",
     "会员套餐管理", "huiyuanID=?"},
    {"会员套餐管理", "tableView_8", "", false, nullptr, "GROUP BY xiangmuID ORDER BY xiangmuID", "", "", ""},
    // stock
    {"入库统计", "tableView_33", kStockLines, false, "a.type='入库明细'", "GROUP BY a.rukuID ORDER BY a.rukuID", "入库单号", "入库明细",
     "a.rukuID=?"},
    {"入库明细", "tableView_34", kStockLines, false, nullptr, "", "", "", ""},
    {"出库统计", "tableView_36", kStockLines, false, "a.type='出库明细'", "GROUP BY a.rukuID ORDER BY a.rukuID", "出库单号", "出库明细",
     "a.rukuID=?"},
    {"出库明细", "tableView_35", kStockLines, false, nullptr, "", "", "", ""},
    {"产品库存", "tableView_37", "a.chanpinID=b.ID", false, "", "GROUP BY a.chanpinID ORDER BY a.chanpinID", "chanpinID", "库存变动",
     "A.chanpinID=?"},
    {"库存变动", "tableView_48", "A.rukuID!='000000'", false, "A.chanpinID='0'", "group by A.time order by A.time",
     "", "", ""},
    // statistics
    {"消费统计", "tableView_14", "", false, "", "GROUP BY a.ID ORDER BY min(a.xiaofeiriqi), a.ID", "消费单号", "会员统计消费明细", "a.ID=?",
     "select count(distinct a.ID), round(total(a.xiaofeijine),2), round(total(a.shishoujine),2), "
     "round(total(a.qiankuanjine),2), round(total(a.suodejifen),2) "
     "from huiyuanxiaofei a left join huiyuan b on b.ID=a.huiyuanid",
     "select coalesce(sum(danshu),0), round(coalesce(sum(xiaofei_fen),0)/100.0,2), round(coalesce(sum(shishou_fen),0)/100.0,2), "
     "round(coalesce(sum(qiankuan_fen),0)/100.0,2), round(total(jifen),2) from rihuizong_xiaofei where 1=1",
     "a.xiaofeiriqi", "", "",
     // A document's day rows of the period, in time order from the index; the few
     // documents with rows on several days of the period are summed over them, and
     // listed at their first.
     "WITH q AS NOT MATERIALIZED (SELECT s.ID, s.riqi, s.shijian, s.huiyuanid, s.duori, s.xiaofei_fen, s.shishou_fen, "
     "s.qiankuan_fen, s.jifen, s.fangshi, s.caozuoyuan, s.beizhu FROM rihuizong_danju s WHERE 1=1%1) "
     "SELECT q.shijian AS 消费时间, q.ID AS 消费单号, q.huiyuanid AS 会员卡号, "
     "CASE WHEN q.huiyuanid='0000' THEN '散客' ELSE b.name END AS 会员姓名, "
     "ROUND(CASE WHEN q.duori=0 THEN q.xiaofei_fen ELSE (SELECT sum(d.xiaofei_fen) FROM q d WHERE d.ID=q.ID) END/100.0,3) AS 消费金额, "
     "ROUND(CASE WHEN q.duori=0 THEN q.shishou_fen ELSE (SELECT sum(d.shishou_fen) FROM q d WHERE d.ID=q.ID) END/100.0,3) AS 实收金额, "
     "CASE WHEN q.duori=0 THEN q.fangshi ELSE (SELECT group_concat(t.fangshi,'+') FROM "
     "(SELECT d.fangshi AS fangshi FROM q d WHERE d.ID=q.ID ORDER BY d.riqi) t) END AS 付款方式, "
     "ROUND(CASE WHEN q.duori=0 THEN q.qiankuan_fen ELSE (SELECT sum(d.qiankuan_fen) FROM q d WHERE d.ID=q.ID) END/100.0,3) AS 欠款金额, "
     "ROUND(CASE WHEN q.duori=0 THEN q.jifen ELSE (SELECT sum(d.jifen) FROM q d WHERE d.ID=q.ID) END,3) AS 所得积分, "
     // A document of several days names its first row's operator and remark, as
     // the header rows' statement does, whichever of its days the period holds.
     "CASE WHEN q.duori=0 THEN q.caozuoyuan ELSE (SELECT f.caozuoyuan FROM huiyuanxiaofei f WHERE f.ID=q.ID "
     "ORDER BY f.rowid LIMIT 1) END AS 操作员, coalesce((SELECT '已作废' FROM xiaofeizuofei z WHERE z.ID=q.ID), "
     "CASE WHEN q.duori=0 THEN q.beizhu ELSE (SELECT f.beizhu FROM huiyuanxiaofei f WHERE f.ID=q.ID "
     "ORDER BY f.rowid LIMIT 1) END) AS 备注 "
     "FROM q LEFT JOIN huiyuan b ON b.ID=q.huiyuanid "
     "WHERE q.duori=0 OR NOT EXISTS (SELECT 1 FROM q d WHERE d.ID=q.ID AND d.riqi<q.riqi) "
     "ORDER BY q.shijian, q.ID"},
    {"会员统计消费明细", "tableView_15", "", false, "a.ID='t001'", "ORDER BY i", "", "", ""},
    // A sale paid in several ways (or repaid later) has several header rows: its
    // lines are listed once, with the first of them, and stream in date order.
    // The first row is asked of each row of the period by its document's
    // index: "no earlier row" as an anti-join made the server hash every
    // header row of the shop's history, and then every line.
    // Its 合计 of a period: the lines per day and item count a document's lines on
    // its first header row's day, as the list does.
    {"统计消费明细", "tableView_16", "b.rowid=(select min(e.rowid) from huiyuanxiaofei e where e.ID=b.ID)",
     false, "", "", "", "", "",
     "select count(*), round(total(a.shuliang),2), round(total(a.jine),2) "
     "from huiyuanxiaofei b join xiaofeimingxi a on a.ID=b.ID left join huiyuan c on c.ID=b.huiyuanid",
     "select coalesce(sum(hangshu),0), round(coalesce(sum(shuliang),0),2), round(coalesce(sum(jine_fen),0)/100.0,2) "
     "from rihuizong_xiangmu where 1=1",
     "b.xiaofeiriqi", "", "", "", "", "", "", true},
    // Members with equal sums in the order of their numbers, however the list is read.
    {"会员消费排行", "tableView_19", kMemberJoin, false, "", "GROUP BY a.huiyuanid ORDER BY 消费金额 DESC, a.huiyuanid", "",
     "", "",
     "select count(distinct a.huiyuanid), "
     "count(distinct a.ID)-2*count(distinct CASE WHEN a.beizhu='作废冲销' THEN a.ID END), "
     "round(total(a.xiaofeijine),2), round(total(a.shishoujine),2) from huiyuanxiaofei a, huiyuan b",
     "", "xiaofeiriqi",
     // The period's days grouped by member first, then each member named once.
     "select t.huiyuanid as 会员卡号, b.name as 会员姓名, b.type as 会员类别, b.phone as 电话, t.n as 消费次数, "
     "ROUND(t.xf/100.0,3) as 消费金额, ROUND(t.ss/100.0,3) as 实收金额 "
     "from (select s.huiyuanid as huiyuanid, sum(s.danshu)-2*sum(s.zuofei) as n, sum(s.xiaofei_fen) as xf, "
     "sum(s.shishou_fen) as ss from rihuizong_huiyuan s where 1=1%1 group by s.huiyuanid) t "
     "join huiyuan b on b.ID=t.huiyuanid%2 ORDER BY 消费金额 DESC, t.huiyuanid",
     "select count(*), coalesce(sum(t.n),0), round(coalesce(sum(t.xf),0)/100.0,2), round(coalesce(sum(t.ss),0)/100.0,2) "
     "from (select s.huiyuanid as huiyuanid, sum(s.danshu)-2*sum(s.zuofei) as n, sum(s.xiaofei_fen) as xf, "
     "sum(s.shishou_fen) as ss from rihuizong_huiyuan s where 1=1%1 group by s.huiyuanid) t "
     "join huiyuan b on b.ID=t.huiyuanid%2",
     "",
     // A whole year: its one row per member, in the order of the year's index by amount
     // (cents sort as the rounded yuan do), so the first screen is read without sorting.
     "select t.huiyuanid as 会员卡号, b.name as 会员姓名, b.type as 会员类别, b.phone as 电话, t.n as 消费次数, "
     "ROUND(t.xf/100.0,3) as 消费金额, ROUND(t.ss/100.0,3) as 实收金额 "
     "from (select s.huiyuanid as huiyuanid, s.danshu-2*s.zuofei as n, s.xiaofei_fen as xf, s.shishou_fen as ss "
     "from rihuizong_huiyuan_nian s where 1=1%1) t join huiyuan b on b.ID=t.huiyuanid%2 ORDER BY t.xf DESC, t.huiyuanid",
     "select count(*), coalesce(sum(t.n),0), round(coalesce(sum(t.xf),0)/100.0,2), round(coalesce(sum(t.ss),0)/100.0,2) "
     "from (select s.huiyuanid as huiyuanid, s.danshu-2*s.zuofei as n, s.xiaofei_fen as xf, s.shishou_fen as ss "
     "from rihuizong_huiyuan_nian s where 1=1%1) t join huiyuan b on b.ID=t.huiyuanid%2",
     "", false,
     // A whole year of every member: one row.
     "select coalesce(sum(s.huiyuanshu),0), coalesce(sum(s.danshu),0)-2*coalesce(sum(s.zuofei),0), "
     "round(coalesce(sum(s.xiaofei_fen),0)/100.0,2), round(coalesce(sum(s.shishou_fen),0)/100.0,2) "
     "from rihuizong_nianheji s where 1=1%1%2"},
    // A whole year: its one row per member on file (the list's join keeps no other),
    // read in the order of the year's index by amount.
    {"会员交费统计", "tableView_10", kMemberJoin, false, "", "GROUP BY huiyuanid ORDER BY 实付金额 DESC, huiyuanid", "会员卡号",
     "会员交费统计明细", "huiyuanid=?", kPaymentTotals, "", "jiaofeiriqi", "", kPaymentDaysTotals, "",
     "select t.huiyuanid as 会员卡号, b.name as 会员姓名, b.type as 会员类别, t.n as 交费次数, ROUND(t.fen/100.0,3) as 实付金额 "
     "from (select s.huiyuanid as huiyuanid, s.bishu as n, s.shifu_fen as fen from rihuizong_jiaofei_nian s where 1=1%1) t "
     "join huiyuan b on b.ID=t.huiyuanid%2 ORDER BY t.fen DESC, t.huiyuanid",
     "", "", false,
     // A whole year of every member: one row.
     "select coalesce(sum(s.huiyuanshu),0), coalesce(sum(s.bishu),0), round(coalesce(sum(s.shifu_fen),0)/100.0,2) "
     "from rihuizong_jiaofei_nianheji s where 1=1%1%2",
     kPaymentDaysEvery},
    {"会员交费统计明细", "tableView_11", "", false, nullptr, "order by jiaofeiriqi", "", "", ""},
    // Of every member, from the package payments per member and day: the summary
    // holds the members on file alone, so none is joined (the server hashed all
    // of them for the few hundred who paid), each named as its row is listed.
    {"会员套餐排行", "tableView_13", "a.huiyuanid=b.ID and jiaofeileixing='套餐交费'", false, "",
     "GROUP BY huiyuanid ORDER BY 实付金额 DESC, huiyuanid", "", "", "", kPaymentTotals, "", "jiaofeiriqi", "",
     kPackageDaysTotals, "", "", "", "", false, "", kPackageDaysEvery, "",
     "select t.huiyuanid as 会员卡号, (select b.name from huiyuan b where b.ID=t.huiyuanid) as 会员姓名, "
     "(select b.type from huiyuan b where b.ID=t.huiyuanid) as 会员类别, t.n as 交费次数, ROUND(t.fen/100.0,3) as 实付金额 "
     "from (select s.huiyuanid as huiyuanid, sum(s.bishu) as n, sum(s.shifu_fen) as fen from rihuizong_jiaofei s "
     "where s.leixing='套餐交费'%1 group by s.huiyuanid) t%2 ORDER BY 实付金额 DESC, t.huiyuanid"},
    // A period (or none) and conditions on the item (b) alone are read from the
    // lines per day and item, as a ranking is from the sales per member and day.
    {"服务消费分析", "tableView_20", "", true, "", "GROUP BY b.ID ORDER BY b.ID", "项目编号", "服务消费分析明细", "a.xiangmuID=?",
     "", "", "xiaofeiriqi", kServiceDays},
    // Of a period, the item's 合计 from its days, not from every line of the period's documents.
    {"服务消费分析明细", "tableView_21", "", true, nullptr, "", "", "", "",
     "select count(*), round(total(a.shuliang),2), round(total(a.jine),2) from xiaofeimingxi a "
     "join fuwuxiangmu b on a.xiangmuID=b.ID where a.xiaofeileixing in ('服务项目','套餐消费')",
     "", "", "", "", "", "", "", "", false, "", "", kServiceLinesTotals},
    {"产品消费分析", "tableView_22", "", true, "", "GROUP BY b.ID ORDER BY b.ID", "产品编号", "产品消费分析明细", "a.xiangmuID=?",
     "", "", "xiaofeiriqi", kProductDays},
    {"产品消费分析明细", "tableView_23", "", true, nullptr, "", "", "", "",
     "select count(*), round(total(a.shuliang),2), round(total(a.jine),2) from xiaofeimingxi a "
     "join chanpin b on a.xiangmuID=b.ID where a.xiaofeileixing='产品'",
     "", "", "", "", "", "", "", "", false, "", "", kProductLinesTotals},
    {"交班查询", "tableView_46", "", false, "", "order by endtime", "交班单号", "交班明细查询", "jiaobanID=?"},
    {"交班明细查询", "tableView_47", "", false, nullptr, "ORDER BY rowid", "", "", ""},
    // The ledgers are listed one row per change: the date index gives them in
    // order (the ID breaks the ties), so they stream.
    {"余额变动", "tableView_27", kMemberJoin, false, "", "order by a.biandongriqi, a.ID", "", "", "",
     "select count(*), round(total(a.cishuzengjia),2), round(total(a.cishujianshao),2), "
     "round(total(a.dangshikaneicishu),2) from huiyuanyuebiandong a, huiyuan b",
     // A period alone: one row a day, which counts only the rows of members on file.
     "select coalesce(sum(bishu),0), round(coalesce(sum(cishu_zj),0),2), round(coalesce(sum(cishu_js),0),2), "
     "round(coalesce(sum(cishu_sy),0),2) from rihuizong_biandong where 1=1",
     "a.biandongriqi", "", "", "", "", "", "", true},
    {"积分变动", "tableView_28", kMemberJoin, false, "", "order by a.biandongriqi, a.ID", "", "", "",
     "select count(*), round(total(a.jifenzengjia),2), round(total(a.jifenjianshao),2), "
     "round(total(a.shengyujifen),2) from huiyuanjifen a, huiyuan b",
     // A period alone: one row a day, which counts only the rows of members on file.
     "select coalesce(sum(bishu),0), round(coalesce(sum(zengjia),0),2), round(coalesce(sum(jianshao),0),2), "
     "round(coalesce(sum(shengyu),0),2) from rihuizong_jifen where 1=1",
     "a.biandongriqi", "", "", "", "", "", "", true},
    // Each employee in turn, their documents of the period from the summary's index.
    {"员工提成", "tableView_41", "s.yuangongid=b.ID", false, "", "GROUP BY b.ID ORDER BY b.ID", "员工编号", "提成明细",
     "s.yuangongid=?"},
    // The employee's documents in time order, each document's rows as they were written;
    // the 合计 from the summary's rows alone.
    // The employee's documents lead, so that no engine starts from the commission
    // rows of the whole history (the server did, trusting its guess of how few rows
    // an employee has). Gathered first, the file sorted the whole period for the
    // first screen (every 时间 looked up before the sort); in line, it walks the
    // documents' index in the list's order and orders only each document's rows.
    {"提成明细", "tableView_42", "", true, nullptr, "ORDER BY s.riqi, s.xiaofeiID, a.rowid", "", "", "",
     "select coalesce(sum(s.hangshu),0), round(coalesce(sum(s.jine_fen),0)/100.0,2) from rihuizong_ticheng s where 1=1",
     "", "", "", "", "", "", "",
     "WITH s AS %2 (SELECT s.xiaofeiID AS xiaofeiID, s.yuangongid AS yuangongid, s.riqi AS riqi "
     "FROM rihuizong_ticheng s WHERE 1=1%1) "
     "select a.yuangongID as 员工编号, b.name as 员工姓名, a.xiaofeiID as 单号, "
     "coalesce((select min(h.xiaofeiriqi) from huiyuanxiaofei h where h.ID=a.xiaofeiID), "
     "(select min(j.jiaofeiriqi) from huiyuanjiaofei j where j.ID=a.xiaofeiID)) as 时间, a.xiangmuID as 项目编号, "
     "a.xiangmumingcheng as 项目名称, a.tichengfangshi as 提成方式, a.jisuanfangshi as 计算方式, "
     "a.tichengbili as 提成比例, a.tichengjine as 提成金额, a.beizhu as 备注 "
     "from s CROSS JOIN tichengmingxi a CROSS JOIN yuangong b "
     "where a.xiaofeiID=s.xiaofeiID and coalesce(a.yuangongID,'')=s.yuangongid and b.ID=s.yuangongid "
     "ORDER BY s.riqi, s.xiaofeiID, a.rowid"},
    // Empty until 查询 gives it a period (the 合计 of no period would be every day's).
    {"收银明细查询", "tableView_12", "", false, "1=0", "order by time", "", "", "",
     "select count(*), round(total(jine),2) from tempshouyinmingxi",
     "select coalesce(sum(bishu),0), round(coalesce(sum(jine_fen),0)/100.0,2) from rihuizong_shouyin where 1=1", "time"},
    // settings
    {"服务项目列表", "tableView_24", "", false, "", "ORDER BY ID", "", "", ""},
    {"产品管理", "tableView_25", "", false, "", "ORDER BY b.ID", "", "", ""},
    {"套餐列表", "tableView_26", "", false, "", "", "taocanID", "套餐明细", "taocanID=?"},
    {"套餐明细", "tableView_45", "", false, "taocanID='0'", "", "", "", ""},
    {"提成策略临时列表", "tableView_39", "", false, "", "", "", "", ""},
    // The rules of the item clicked in the list beside: none before a click.
    {"提成策略明细", "tableView_40", "", true, "1=0", "GROUP BY yuangongleixing ORDER BY yuangongleixing", "", "", ""},
    {"促销策略临时列表", "tableView_44", "", false, "", "", "", "", ""},
    {"促销策略明细", "tableView_43", "", true, "1=0", "ORDER BY a.rowid", "", "", ""},
    {"会员卡信息", "tableView_32", "", false, "", "ORDER BY ID", "", "", ""},
    {"用户管理", "tableView_29", "", false, "", "ORDER BY ID", "", "", ""},
    {"员工管理", "tableView_30", "", false, "", "ORDER BY rowid", "", "", ""},
};

// The dialogs' own lists that take bound conditions: not on the main window, so
// not among all(), but composed the same way. A picker's rows are capped here
// (PickerFilter::kMemberLimit, kItemLimit): its search shows the first matches.
const Row kDialogRows[] = {
    {"会员选择", "", "", false, nullptr, "ORDER BY rowid LIMIT 200", "", "", ""},
    {"服务项目选择", "", "", true, nullptr, "ORDER BY rowid LIMIT 2000", "", "", ""},
    {"产品选择", "", "", false, nullptr, "LIMIT 2000", "", "", ""},
    // The stock documents' products: every product in stock, one row each.
    {"产品信息", "", "", false, nullptr, "GROUP BY a.chanpinID ORDER BY a.chanpinID", "", "", ""},
    {"挂单列表", "", "", false, nullptr, "order by guadanriqi, ID", "", "", ""},
    // The checkout's package items of its member, with the uses in the basket.
    {"套餐消费", "", "a.xiangmuID=b.ID", false, "", "GROUP BY xiangmuID ORDER BY xiangmuID", "", "", ""},
    // The commission rows of one line of the basket.
    {"提成明细临时表", "", "a.yuangongID=b.ID", false, nullptr, "", "", "", ""},
    // The package editor's lines, in the order they were made.
    {"套餐明细临时列表", "", "", false, nullptr, "order by hanghao", "", "", ""},
    // The operation log, in the order it was written.
    {"日志查询", "", "", false, nullptr, "ORDER BY rowid", "", "", ""},
};

// How the main window wires a list besides its statement: its first load when
// that is not its default condition's, its page's query buttons and its export
// button, its 合计 line, the front desk's member column, the tables whose
// changes re-run it (object names and tables with a space between several),
// the navigation entry that shows its page and its page's 删除 button.
// A list not named here loads by its default condition (or waits for its page,
// its master or its member when it has none) and has no buttons of its own.
enum class Load { ByDefault, AtOnce, PageQuery };

struct Wiring
{
    const char *name;
    Load load;
    const char *queryButtons;
    const char *exportButton;
    bool totalled;
    const char *memberColumn;
    const char *refreshedBy;
    const char *page = "";
    const char *deleteButton = "";
};

// A sale lands in huiyuanxiaofei, a card issue, top-up, renewal or refund in
// huiyuanjiaofei: either moves the member's balance, points and uses.
const char *const kMemberTables = "huiyuanxiaofei huiyuanjiaofei";

const Wiring kWiring[] = {
    // front desk: the member chosen, run at once for nobody
    {"会员消费", Load::AtOnce, "", "", false, "huiyuanid", kMemberTables},
    {"会员交费", Load::AtOnce, "", "toolButton_18", false, "huiyuanid", kMemberTables},
    {"会员套餐", Load::AtOnce, "", "toolButton_20", false, "huiyuanid", kMemberTables},
    {"会员积分", Load::AtOnce, "", "", false, "huiyuanid", kMemberTables},
    {"会员余额变动", Load::AtOnce, "", "toolButton_24", false, "huiyuanid", kMemberTables},
    // members page: a top-up or refund changes the balance column
    {"会员管理", Load::ByDefault, "toolButton_32", "", false, "", "huiyuan huiyuanjiaofei", "会员管理"},
    // stock: the documents list a new one at once; their details follow their
    // masters (a re-run master empties its detail)
    {"入库统计", Load::PageQuery, "toolButton_54", "", true, "", "chanpinrukumingxi", "入库查询"},
    {"出库统计", Load::PageQuery, "toolButton_139", "", true, "", "chanpinrukumingxi", "出库查询"},
    {"产品库存", Load::ByDefault, "toolButton_144", "", true, "", "chanpinrukumingxi", "库存管理", "toolButton_152"},
    // statistics: read for the page's period, never re-run behind the cashier's back
    {"消费统计", Load::PageQuery, "toolButton_79", "toolButton_77", true, "", "", "会员消费统计"},
    {"会员统计消费明细", Load::ByDefault, "", "", true, "", ""},
    {"统计消费明细", Load::PageQuery, "toolButton_83", "toolButton_81", true, "", ""},
    {"会员消费排行", Load::PageQuery, "toolButton_91", "toolButton_89", true, "", ""},
    {"会员交费统计", Load::PageQuery, "toolButton_48", "toolButton_93", true, "", "", "会员交费统计"},
    {"会员交费统计明细", Load::ByDefault, "", "", true, "", ""},
    {"会员套餐排行", Load::PageQuery, "toolButton_75", "toolButton_73", true, "", ""},
    {"服务消费分析", Load::PageQuery, "toolButton_52", "toolButton_99", true, "", "", "消费分析"},
    {"服务消费分析明细", Load::ByDefault, "", "", true, "", ""},
    {"产品消费分析", Load::PageQuery, "toolButton_65", "toolButton_102", true, "", ""},
    {"产品消费分析明细", Load::ByDefault, "", "", true, "", ""},
    {"交班查询", Load::PageQuery, "toolButton_66", "", true, "", "", "交班历史查询"},
    {"余额变动", Load::PageQuery, "toolButton_123", "toolButton_121", true, "", "", "变动统计"},
    {"积分变动", Load::PageQuery, "toolButton_136", "toolButton_134", true, "", ""},
    {"员工提成", Load::PageQuery, "toolButton_111", "toolButton_110", true, "", "", "员工提成查询"},
    {"提成明细", Load::ByDefault, "", "", true, "", ""},
    {"收银明细查询", Load::ByDefault, "toolButton_86", "", true, "", "", "综合统计"},
    // settings
    {"服务项目列表", Load::ByDefault, "toolButton_36", "toolButton_42", false, "", "fuwuxiangmu", "服务项目", "toolButton_39"},
    {"产品管理", Load::ByDefault, "toolButton_55", "toolButton_51", false, "", "chanpin", "产品管理", "toolButton_46"},
    {"套餐列表", Load::ByDefault, "", "toolButton_109", false, "", "taocanmingxi", "套餐设置", "toolButton_106"},
    {"提成策略临时列表", Load::ByDefault, "", "", false, "", "", "提成策略"},
    {"促销策略临时列表", Load::ByDefault, "", "", false, "", "", "促销方案"},
    {"会员卡信息", Load::ByDefault, "", "", false, "", "huiyuanka", "会员卡设置", "toolButton_151"},
    {"用户管理", Load::ByDefault, "", "", false, "", "user", "操作员设置", "toolButton_137"},
    {"员工管理", Load::ByDefault, "", "", false, "", "yuangong", "员工管理", "toolButton_143"},
};

QStringList words(const char *text)
{
    return QString::fromUtf8(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

void wire(ViewDeclaration &d)
{
    d.firstLoad = d.hasDefault ? ViewDeclaration::FirstLoad::Shown : ViewDeclaration::FirstLoad::Waits;
    for (const Wiring &w : kWiring) {
        if (d.name != QString::fromUtf8(w.name))
            continue;
        if (w.load == Load::AtOnce)
            d.firstLoad = ViewDeclaration::FirstLoad::AtOnce;
        else if (w.load == Load::PageQuery)
            d.firstLoad = ViewDeclaration::FirstLoad::PageQuery;
        d.queryButtons = words(w.queryButtons);
        d.exportButton = QString::fromUtf8(w.exportButton);
        d.totalled = w.totalled;
        d.memberColumn = QString::fromUtf8(w.memberColumn);
        d.refreshedBy = words(w.refreshedBy);
        d.page = QString::fromUtf8(w.page);
        d.deleteButton = QString::fromUtf8(w.deleteButton);
        return;
    }
}

template <typename Rows> QVector<ViewDeclaration> build(const Rows &rows)
{
    QVector<ViewDeclaration> all;
    for (const Row &r : rows) {
        ViewDeclaration d;
        d.name = QString::fromUtf8(r.name);
        d.widget = QString::fromUtf8(r.widget);
        d.fixed = QString::fromUtf8(r.fixed);
        d.whereOpen = r.whereOpen;
        d.hasDefault = r.defaultCondition != nullptr;
        d.defaultCondition = r.defaultCondition ? QString::fromUtf8(r.defaultCondition) : QString();
        d.grouping = QString::fromUtf8(r.grouping);
        d.keys = QString::fromUtf8(r.keys).split(QStringLiteral("、"), Qt::SkipEmptyParts);
        d.detail = QString::fromUtf8(r.detail);
        d.detailCondition = QString::fromUtf8(r.detailCondition);
        d.totals = QString::fromUtf8(r.totals);
        d.summaryDate = QString::fromUtf8(r.summaryDate);
        d.summaryTotals = QString::fromUtf8(r.summary);
        d.memberList = QString::fromUtf8(r.memberList);
        d.memberTotals = QString::fromUtf8(r.memberTotals);
        d.periodList = QString::fromUtf8(r.periodList);
        d.memberYearList = QString::fromUtf8(r.memberYearList);
        d.memberYearTotals = QString::fromUtf8(r.memberYearTotals);
        d.summaryList = QString::fromUtf8(r.summaryList);
        d.summaryHasFixed = r.summaryHasFixed;
        d.yearTotals = QString::fromUtf8(r.yearTotals);
        d.everyTotals = QString::fromUtf8(r.everyTotals);
        d.linesTotals = QString::fromUtf8(r.linesTotals);
        d.everyList = QString::fromUtf8(r.everyList);
        wire(d);
        all << d;
    }
    return all;
}

} // namespace

namespace ViewDeclarations {

const QVector<ViewDeclaration> &all()
{
    static const QVector<ViewDeclaration> declarations = build(kRows);
    return declarations;
}

QVector<const ViewDeclaration *> refreshedBy(const QStringList &tables)
{
    QVector<const ViewDeclaration *> lists;
    for (const ViewDeclaration &d : all())
        for (const QString &table : tables)
            if (d.refreshedBy.contains(table)) {
                lists << &d;
                break;
            }
    return lists;
}

const ViewDeclaration *find(const QString &name)
{
    static const QVector<ViewDeclaration> dialogLists = build(kDialogRows);
    for (const QVector<ViewDeclaration> *declared : {&all(), &dialogLists})
        for (const ViewDeclaration &d : *declared)
            if (d.name == name)
                return &d;
    return nullptr;
}

// A ranking's statement from the sales per member and day: its period (whole
// days) inside, on the summary's days; its conditions on the member outside.
// A filter with no condition at all is every day. Empty when the filter holds
// anything else. The values stay in their order:
// the period's come first in both.
// Whether the filter's period (its first two values: a first day, and the day
// after the last or the last day's end) is one calendar year.
static bool periodIsOneYear(const ViewFilter &filter)
{
    if (filter.memberPeriodOf.isEmpty() || filter.conditions.isEmpty() || filter.values.size() < 2)
        return false;
    const QString from = filter.values.at(0).toString(), to = filter.values.at(1).toString();
    const QDate first = QDate::fromString(from.left(10), QStringLiteral("yyyy-MM-dd"));
    if (!first.isValid() || first.month() != 1 || first.day() != 1
        || (from.size() > 10 && from.mid(10) != QLatin1String(" 00:00:00")))
        return false;
    return to == first.addYears(1).toString(QStringLiteral("yyyy-MM-dd"))
        || to == QString::number(first.year()) + QStringLiteral("-12-31 23:59:59");
}

enum class YearRows { AnyOrder, InIndexOrder };

static QString fromMemberSummary(const ViewDeclaration *d, QString text, const ViewFilter &filter,
                                 const QString &yearText = QString(), YearRows order = YearRows::AnyOrder)
{
    if (!d || (text.isEmpty() && yearText.isEmpty()) || (!filter.memberSummary && !filter.isEmpty())
        || (!filter.memberPeriodOf.isEmpty() && filter.memberPeriodOf != d->summaryDate))
        return QString();
    QStringList conditions = filter.conditions;
    QString period;
    // A list may be read from its years alone: any other period from its rows.
    const bool year = !yearText.isEmpty() && periodIsOneYear(filter);
    if (!year && text.isEmpty())
        return QString();
    // A whole year is its rows per member and year: the same values, compared as years.
    // A list asks its first bound, the year itself, as equal: the year's index then gives
    // its rows in the order of its next columns (a ranking by amount sorts nothing). A
    // 合计 keeps the range, which leaves the planner its start from the year's rows
    // (asked as equal, a card type's 合计 was planned from every member).
    if (year) {
        static const QRegularExpression from(QStringLiteral("^s\\.nian\\s*>=\\s*"));
        text = yearText;
        QString years = conditions.takeFirst()
                            .replace(d->summaryDate, QStringLiteral("s.nian"))
                            .replace(QLatin1Char('?'), QStringLiteral("substr(?,1,4)"));
        if (order == YearRows::InIndexOrder)
            years.replace(from, QStringLiteral("s.nian = "));
        period = QStringLiteral(" and (") + years + QStringLiteral(")");
    } else if (!filter.memberPeriodOf.isEmpty() && !conditions.isEmpty())
        period = QStringLiteral(" and (") + conditions.takeFirst().replace(d->summaryDate, QStringLiteral("s.riqi"))
            + QStringLiteral(")");
    const QString member = conditions.isEmpty() ? QString()
                                                : QStringLiteral(" where (") + conditions.join(QStringLiteral(") and ("))
                                                      + QStringLiteral(")");
    return text.arg(period, member);
}

// Whether every column the filter names is the summary's (s.…).
static bool onSummaryAlone(const ViewFilter &filter)
{
    static const QRegularExpression other(QStringLiteral("(?<![\\w.])(?!s\\.)[A-Za-z_]\\w*\\.\\w"));
    for (const QString &c : filter.conditions)
        if (other.match(c).hasMatch())
            return false;
    return true;
}

QString statement(const QString &base, const QString &name, const ViewFilter &filter)
{
    const ViewDeclaration *d = find(name);
    // No condition on the member: from the summary's rows of the members on file.
    if (d && !d->everyList.isEmpty() && (filter.memberSummary || filter.isEmpty())
        && filter.conditions.size() == (filter.memberPeriodOf.isEmpty() ? 0 : 1)) {
        const QString every = fromMemberSummary(d, d->everyList, filter);
        if (!every.isEmpty())
            return every;
    }
    const QString summary = fromMemberSummary(d, d ? d->memberList : QString(), filter, d ? d->memberYearList : QString(),
                                              YearRows::InIndexOrder);
    if (!summary.isEmpty())
        return summary;
    // Conditions on the summary's rows alone: those rows first.
    if (d && !d->summaryList.isEmpty() && d->fixed.isEmpty() && onSummaryAlone(filter))
        return d->summaryList.arg(filter.isEmpty() ? QString() : QStringLiteral(" and ") + filter.text(),
                                  EngineDriver::current().drivingRowsFirst());
    // A period alone (whole days) of a list of documents: their day rows.
    if (d && !d->periodList.isEmpty() && d->fixed.isEmpty()
        && (filter.isEmpty() || (filter.periodOf == d->summaryDate && filter.conditions.size() == 1)))
        return d->periodList.arg(filter.isEmpty() ? QString()
                                                  : QStringLiteral(" and (")
                                                        + QString(filter.conditions.first()).replace(d->summaryDate, QStringLiteral("s.shijian"))
                                                        + QStringLiteral(")"));
    ViewFilter all;
    if (d)
        all.where(d->fixed);
    all += filter;
    QString sql = base;
    if (!all.isEmpty())
        sql += (d && d->whereOpen ? QStringLiteral(" and ") : QStringLiteral(" where ")) + all.text();
    if (d && !d->grouping.isEmpty())
        sql += QStringLiteral(" ") + d->grouping;
    return sql;
}

QString totalsStatement(const QString &name, const ViewFilter &filter)
{
    const ViewDeclaration *d = find(name);
    if (!d || d->totals.isEmpty())
        return QString();
    // No condition on the member: the members on file alone, when the list has them.
    const bool everyMember = filter.conditions.size() == (filter.memberPeriodOf.isEmpty() ? 0 : 1);
    const QString members = fromMemberSummary(
        d, everyMember && !d->everyTotals.isEmpty() ? d->everyTotals : d->memberTotals, filter,
        everyMember && !d->yearTotals.isEmpty() ? d->yearTotals : d->memberYearTotals);
    if (!members.isEmpty())
        return members;
    // A period alone (a sale's header rows counted by their days, the document
    // on its first row's day) is summed from one summary row a day.
    // A summary that stands for the fixed conditions too (a document's first
    // header row) holds no day for the rows of none: it answers a period only.
    const bool period = filter.isEmpty() ? !d->summaryHasFixed : filter.periodOf == d->summaryDate;
    if (!d->summaryTotals.isEmpty() && (d->fixed.isEmpty() || d->summaryHasFixed) && period) {
        if (filter.isEmpty())
            return d->summaryTotals;
        return d->summaryTotals + QStringLiteral(" and ")
            + filter.text().replace(d->summaryDate, QStringLiteral("riqi"));
    }
    // The period's documents by their recorded days, then one item: the item's days.
    if (!d->linesTotals.isEmpty() && d->fixed.isEmpty() && filter.conditions.size() == 2
        && filter.conditions.at(1) == QLatin1String(kItemCondition)) {
        const QString head = QString::fromUtf8(kDocumentsOnDaysHead), tail = QString::fromUtf8(kDocumentsOnDaysTail);
        const QString &documents = filter.conditions.at(0);
        if (documents.startsWith(head) && documents.endsWith(tail)) {
            const QString days = documents.mid(head.size(), documents.size() - head.size() - tail.size());
            // Only a condition on the day: anything else stays on the lines.
            if (QString(days).remove(QStringLiteral("d.riqi")).indexOf(QRegularExpression(QStringLiteral("\\w\\."))) < 0)
                return d->linesTotals + QStringLiteral(" and (") + QString(days).replace(QStringLiteral("d.riqi"), QStringLiteral("a.riqi"))
                    + QStringLiteral(") and (") + filter.conditions.at(1) + QStringLiteral(")");
        }
    }
    ViewFilter all;
    all.where(d->fixed);
    all += filter;
    if (all.isEmpty())
        return d->totals;
    return d->totals + (d->whereOpen ? QStringLiteral(" and ") : QStringLiteral(" where ")) + all.text();
}

QString documentsOnDays(const QString &dayCondition)
{
    return QString::fromUtf8(kDocumentsOnDaysHead) + dayCondition + QString::fromUtf8(kDocumentsOnDaysTail);
}

std::optional<ViewFilter> detailFilter(const QString &master, const QVariantMap &row)
{
    const ViewDeclaration *d = find(master);
    if (!d || d->detail.isEmpty() || d->keys.isEmpty())
        return std::nullopt;
    QVariantList values;
    for (const QString &key : d->keys) {
        if (!row.contains(key))
            return std::nullopt;
        // Codes are typed by people ("A01", "王'记"): compared as text, never as numbers.
        values << row.value(key).toString();
    }
    return ViewFilter(d->detailCondition, values);
}

} // namespace ViewDeclarations
