#include <QtTest>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardItemModel>
#include <QTableView>
#include <tuple>

#include "ctrluiclass.h"
#include "dbsetconfig.h"
#include "ledgersql.h"
#include "listmodel.h"
#include "membersummary.h"
#include "ownerfigures.h"
#include "reportquery.h"
#include "summarybook.h"
#include "takingsread.h"
#include "takingstree.h"
#include "reportreads.h"
#include "enginedriver.h"
#include "viewdeclarations.h"
#include "testsupport.h"

// The heavy statements of the lists and pickers, planned by SQLite as they would be
// at a large shop: the table statistics of a generated shop of 50,000 members and
// 500,000 sales are loaded into sqlite_stat1 of an empty database. A statement
// that reads a whole history table row by row fails here.
class TestPlans : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void serverDetailFollowsThePeriod();
    void serverAnalysesFollowThePeriod();
    void serverMembersFirstScreenFromTheirIndex();
    void membersFirstScreenFromTheirIndex();
    void indexServesStatement_data();
    void indexServesStatement();
    void memberPickerTries();
    void declarationsHoldTogether();
    void stockTableFollowsMovements();
    void summariesFollowRecords();
    void voidFindsItsPointsByKey();
    void refundFindsCommissionSharesByLine();
    void bookCheckLooksUpByKey();
    void liabilityReadsOnlyItsIndexes();
    void periodListsNameTheirMembersFromAnIndex_data();
    void periodListsNameTheirMembersFromAnIndex();
    void commissionsReadTheirSummary();
    void stylistsReadTheirSummary();
    void serverStylistsReadTheirSummary();
    void serverCommissionLinesGatherTheDocumentsFirst();
    void cashDetailStreamsTheRecords();
    void analysisDetailTotalsReadTheItemsDays();
    void serverAnalysisDetailTotalsReadTheItemsDays();
    void paymentsOfAYearReadTheirYears();
    void serverPaymentsOfAYearReadTheirYears();
    void documentsStreamFromTheirDays();
    void rankingOfAYearGroupsNothing();
    void serverCashDetailStreamsTheRecords();
    void serverPackageRankingJoinsNoMember();
    void serverDeskReadsKeepOnePlan();
    void packageRankingReadsItsKindsDays();

private:
    QStringList plan(const QString &sql, const QVariantList &values = QVariantList());
    static QString serverPlan(const QString &sql, const QVariantList &values);
    TestWorkdir *m_dir = nullptr;
    ctrlUiClass *m_ctrl = nullptr;
};

namespace {
// sqlite_stat1 of the benchmark's large shop (ANALYZE with analysis_limit=400).
const char *const kLargeShopStats[][3] = {
    {"chanpin", "sqlite_autoindex_chanpin_1", "30 1"},
    {"chanpinkucun", "sqlite_autoindex_chanpinkucun_1", "30 1"},
    {"chanpinrukumingxi", "idx_chanpinrukumingxi_chanpinID_time", "233640 401 1 1 1"},
    {"chanpinrukumingxi", "idx_chanpinrukumingxi_rukuID", "296352 2"},
    {"chanpinrukumingxi", "idx_chanpinrukumingxi_time", "272320 2"},
    {"cuxiaoshezhi", "idx_cuxiaoshezhi_xiangmuID", "21 1"},
    {"fuwuxiangmu", "sqlite_autoindex_fuwuxiangmu_1", "40 1"},
    {"huiyuan", "idx_huiyuan_name", "27071 3"},
    {"huiyuan", "idx_huiyuan_phone", "27248 1"},
    {"huiyuan", "idx_huiyuan_lists", "49104 1 1 1 1"},
    {"huiyuan", "idx_huiyuan_bianhao", "49104 2 1"},
    {"huiyuan", "sqlite_autoindex_huiyuan_1", "49104 1"},
    {"huiyuanjiaofei", "idx_huiyuanjiaofei_credit", "95220 4 2 2 1 1"},
    {"huiyuanjiaofei", "idx_huiyuanjiaofei_ID", "95220 1"},
    {"huiyuanjiaofei", "idx_huiyuanjiaofei_huiyuanid", "42504 4"},
    {"huiyuanjiaofei", "idx_huiyuanjiaofei_jiaofeiriqi", "95220 4"},
    {"huiyuanjifen", "idx_huiyuanjifen_biandongriqi", "523710 1"},
    {"huiyuanjifen", "idx_huiyuanjifen_huiyuanid_ID", "549666 26 1"},
    {"huiyuanjifen", "idx_huiyuanjifen_huiyuanid_beizhu", "549666 26 1"},
    {"huiyuanjifen", "idx_huiyuanjifen_leixing", "548856 401 401"},
    {"huiyuanka", "sqlite_autoindex_huiyuanka_1", "5 1"},
    {"huiyuantaocan", "idx_huiyuantaocan_huiyuanID_xiangmuID", "18693 3 1"},
    {"huiyuanxiaofei", "idx_huiyuanxiaofei_ID", "555296 1"},
    {"huiyuanxiaofei", "idx_huiyuanxiaofei_huiyuanid_riqi", "638120 28 1"},
    {"huiyuanxiaofei", "idx_huiyuanxiaofei_xiaofeiriqi", "555450 1"},
    {"huiyuanyuebiandong", "idx_huiyuanyuebiandong_biandongriqi", "412620 5"},
    {"huiyuanyuebiandong", "idx_huiyuanyuebiandong_huiyuanid_ID", "391440 15 1"},
    {"huiyuanyuebiandong", "idx_huiyuanyuebiandong_lastrow", "412620 15 8 1 1 1 1"},
    {"huiyuanyuebiandong", "idx_huiyuanyuebiandong_uses", "41580 3 1 1 1 1 1"},
    {"huiyuanyuebiandong", "idx_huiyuanyuebiandong_leixing", "499746 401 2"},
    {"jiaoban", "idx_jiaoban_endtime", "3588 1"},
    {"jiaoban", "idx_jiaoban_jiaobanID", "3588 1"},
    {"jiaobanmingxi", "idx_jiaobanmingxi_jiaobanID", "63480 21"},
    {"leibie", nullptr, "16"},
    {"log", "idx_log_time", "666540 4"},
    {"taocanmingxi", "idx_taocanmingxi_taocanID", "11 2"},
    {"tichengmingxi", "idx_tichengmingxi_xiaofeiID", "1034034 1"},
    {"tichengmingxi", "idx_tichengmingxi_yuangongID", "831900 401"},
    {"tichengmingxi", "idx_tichengmingxi_titleID", "1034034 2 1"},
    {"tichengshezhi", "idx_tichengshezhi_xiangmuID", "300 5"},
    {"user", nullptr, "3"},
    {"xiaofeimingxi", "idx_xiaofeimingxi_ID", "1340640 3"},
    {"xiaofeimingxi", "idx_xiaofeimingxi_fenxi", "1477832 401 401 401 267"},
    {"xiaofeimingxi", "idx_xiaofeimingxi_xiangmuID", "1208039 401"},
    {"yuangong", "sqlite_autoindex_yuangong_1", "20 1"},
    {"rihuizong_shouyin", "sqlite_autoindex_rihuizong_shouyin_1", "14600 4 2 1"},
    {"rihuizong_xiaofei", "sqlite_autoindex_rihuizong_xiaofei_1", "3650 1"},
    {"rihuizong_huiyuan", "idx_rihuizong_huiyuan_lists", "385018 106 1 1 1 1 1"},
    {"rihuizong_huiyuan", "sqlite_autoindex_rihuizong_huiyuan_1", "385018 106 1"},
    {"rihuizong_danju", "idx_rihuizong_danju_shijian", "515797 1 1"},
    {"rihuizong_danju", "sqlite_autoindex_rihuizong_danju_1", "515797 1 1"},
    {"rihuizong_ticheng", "idx_rihuizong_ticheng_yuangong", "838316 41916 12 1 1 1"},
    {"rihuizong_huiyuan_nian", "idx_rihuizong_huiyuan_nian_lists", "208312 18938 1 1 1 1 1"},
    {"rihuizong_huiyuan_nian", "idx_rihuizong_huiyuan_nian_paiming", "208312 18938 2 1 1 1 1"},
    {"rihuizong_huiyuan_nian", "sqlite_autoindex_rihuizong_huiyuan_nian_1", "208312 18938 1"},
    {"rihuizong_ticheng", "sqlite_autoindex_rihuizong_ticheng_1", "838316 2 1"},
    {"rihuizong_xiangmu", "idx_rihuizong_xiangmu_fenxi", "263156 87719 24 1 1 1"},
    {"rihuizong_xiangmu", "sqlite_autoindex_rihuizong_xiangmu_1", "263156 72 24 1"},
    {"rihuizong_danjuri", "idx_rihuizong_danjuri_riqi", "508019 140 1"},
    {"rihuizong_danjuri", "sqlite_autoindex_rihuizong_danjuri_1", "508019 1"},
    {"rihuizong_yeji", "idx_rihuizong_yeji_riqi", "839808 134 10 2 2 2 1"},
    {"rihuizong_yeji", "sqlite_autoindex_rihuizong_yeji_1", "835200 2 1"},
    {"rihuizong_jiaofei", "idx_rihuizong_jiaofei_lists", "115200 51 1 1 1 1"},
    {"rihuizong_jiaofei", "idx_rihuizong_jiaofei_leixing", "115200 28800 51 1 1 1"},
    {"rihuizong_jiaofei", "sqlite_autoindex_rihuizong_jiaofei_1", "119340 51 1 1"},
    {"rihuizong_jifen", "sqlite_autoindex_rihuizong_jifen_1", "3519 1"},
    {"rihuizong_biandong", "sqlite_autoindex_rihuizong_biandong_1", "3519 1"},
    {"rihuizong_nianheji", "sqlite_autoindex_rihuizong_nianheji_1", "11 1"},
    {"rihuizong_jiaofei_nian", "sqlite_autoindex_rihuizong_jiaofei_nian_1", "105000 9545 1"},
    {"rihuizong_jiaofei_nian", "idx_rihuizong_jiaofei_nian_paiming", "105000 9545 9 1 1"},
    {"rihuizong_jiaofei_nianheji", "sqlite_autoindex_rihuizong_jiaofei_nianheji_1", "11 1"},
};

const QStringList kHistoryTables = {
    QStringLiteral("huiyuanxiaofei"), QStringLiteral("xiaofeimingxi"), QStringLiteral("huiyuanjiaofei"),
    QStringLiteral("huiyuanyuebiandong"), QStringLiteral("huiyuanjifen"), QStringLiteral("tichengmingxi"),
    QStringLiteral("chanpinrukumingxi"), QStringLiteral("huiyuan"), QStringLiteral("rihuizong_huiyuan"),
    QStringLiteral("rihuizong_danju"), QStringLiteral("rihuizong_ticheng"), QStringLiteral("rihuizong_xiangmu"),
    QStringLiteral("rihuizong_danjuri"), QStringLiteral("rihuizong_huiyuan_nian"), QStringLiteral("rihuizong_jiaofei"),
    QStringLiteral("rihuizong_jifen"), QStringLiteral("rihuizong_biandong"), QStringLiteral("rihuizong_nianheji"),
    QStringLiteral("rihuizong_jiaofei_nian"), QStringLiteral("rihuizong_jiaofei_nianheji"), QStringLiteral("rihuizong_yeji")};

QString base(const QString &view)
{
    return dbsetEntry<TableViewinfo>(readDbset(), view).SqlStr;
}
} // namespace

void TestPlans::initTestCase()
{
    m_dir = new TestWorkdir;
    m_ctrl = new ctrlUiClass;
    // A server keeps statistics of its own: only its own plan test runs there.
    if (EngineDriver::current().isServer())
        return;
    sqlExec(QStringLiteral("ANALYZE"));
    sqlExec(QStringLiteral("delete from sqlite_stat1"));
    QSqlQuery q;
    QVERIFY(q.prepare(QStringLiteral("insert into sqlite_stat1(tbl, idx, stat) values (?, ?, ?)")));
    for (const auto &row : kLargeShopStats) {
        q.addBindValue(QString::fromUtf8(row[0]));
        q.addBindValue(row[1] ? QVariant(QString::fromUtf8(row[1])) : QVariant(QVariant::String));
        q.addBindValue(QString::fromUtf8(row[2]));
        QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
    }
    // The planner reads the statistics again.
    sqlExec(QStringLiteral("ANALYZE sqlite_schema"));
}

void TestPlans::cleanupTestCase()
{
    delete m_ctrl;
    delete m_dir;
}

void TestPlans::init()
{
    const bool serverTest = QByteArray(QTest::currentTestFunction()).startsWith("server");
    if (EngineDriver::current().isServer() && !serverTest)
        QSKIP("SQLite's plans (EXPLAIN QUERY PLAN with the large shop's statistics)");
    if (!EngineDriver::current().isServer() && serverTest)
        QSKIP("the server's plans (MOCHEN_TEST_PG); the file's are indexServesStatement's");
}

// 统计消费明细 lists each sale's lines with its first header row. Asked as "no
// earlier header row", the server planned an anti-join over every header row
// of the history and then every line (600-700 ms for a year at a large
// shop); the period's rows must drive it, each looking its document up. The
// test shop is small, so the server is kept off whole-table scans to show the
// plan's shape.
void TestPlans::serverDetailFollowsThePeriod()
{
    const ViewFilter f = ReportQuery::consumptionDetail(QStringLiteral("本年"), QStringLiteral("2026-01-01"),
                                                        QStringLiteral("2026-12-31"), QString(), QStringLiteral("所有"), QString());
    const QString list = ViewDeclarations::statement(base(QStringLiteral("统计消费明细")), QStringLiteral("统计消费明细"), f);
    // Its 合计 line sums the list's own statement (the count, 数量 and 金额).
    const QString totals = ReportReads::totalsStatement(list, {QStringLiteral("数量"), QStringLiteral("金额")});
    QSqlQuery q;
    QVERIFY(q.exec(QStringLiteral("SET enable_seqscan = off")));
    for (const QString &sql : {list, totals}) {
        const QString plan = serverPlan(sql, f.values);
        QVERIFY2(!plan.contains(QLatin1String("Anti Join")) && plan.contains(QLatin1String("idx_huiyuanxiaofei_xiaofeiriqi"))
                     && plan.contains(QLatin1String("idx_huiyuanxiaofei_id")),
                 qPrintable(plan));
    }
    QVERIFY(q.exec(QStringLiteral("RESET enable_seqscan")));
}

// 服务消费分析 and 产品消费分析 of a year: the lines per day and item of the
// period's days, through its index by kind and day; no line of the history is
// read (the lines' own statement walked every product line on the server).
// 消费明细's 合计 reads the same days.
void TestPlans::serverAnalysesFollowThePeriod()
{
    QSqlQuery q;
    QVERIFY(q.exec(QStringLiteral("SET enable_seqscan = off")));
    const ViewFilter days = ReportQuery::dateFilter(QStringLiteral("本年"), QStringLiteral("xiaofeiriqi"), QString(), QString());
    for (const QString &view : {QStringLiteral("服务消费分析"), QStringLiteral("产品消费分析")}) {
        const ViewFilter f = ReportQuery::itemsOfPeriod(days, ViewFilter());
        const QString plan = serverPlan(ViewDeclarations::statement(base(view), view, f), f.values);
        QVERIFY2(plan.contains(QLatin1String("idx_rihuizong_xiangmu_fenxi")) && plan.contains(QLatin1String("riqi >="))
                     && !plan.contains(QLatin1String("xiaofeimingxi")),
                 qPrintable(plan));
    }
    // 消费明细's 合计 of the year from the same cells, by day.
    const ViewFilter lines = ReportQuery::consumptionDetail(QStringLiteral("本年"), QString(), QString(), QString(),
                                                            QStringLiteral("所有"), QString());
    const QString plan = serverPlan(ViewDeclarations::totalsStatement(QStringLiteral("统计消费明细"), lines), lines.values);
    QVERIFY2(plan.contains(QLatin1String("rihuizong_xiangmu_pkey")) && plan.contains(QLatin1String("riqi >="))
                 && !plan.contains(QLatin1String("xiaofeimingxi")),
             qPrintable(plan));
    QVERIFY(q.exec(QStringLiteral("RESET enable_seqscan")));
}

// 会员管理 in the order of the members' numbers: its first screen is read from
// the index of that order, not sorted from every member (each row's paid-in
// sum a look-up of its own). On the server the list asks for its first rows.
QString membersStatement()
{
    const ViewDeclaration *d = ViewDeclarations::find(QStringLiteral("会员管理"));
    return d ? ViewDeclarations::statement(base(d->name), d->name, d->defaultFilter()) : QString();
}

void TestPlans::serverMembersFirstScreenFromTheirIndex()
{
    QSqlQuery q;
    QVERIFY(q.exec(QStringLiteral("SET enable_seqscan = off")));
    QVERIFY(q.exec(QStringLiteral("SET enable_sort = off")));
    const QString plan = serverPlan(ListModel::firstRowsOf(membersStatement()), {});
    QVERIFY(q.exec(QStringLiteral("RESET enable_sort")));
    QVERIFY(q.exec(QStringLiteral("RESET enable_seqscan")));
    QVERIFY2(plan.contains(QLatin1String("idx_huiyuan_bianhao")) && !plan.contains(QLatin1String("Sort"))
                 && plan.contains(QLatin1String("Limit")),
             qPrintable(plan));
}

void TestPlans::membersFirstScreenFromTheirIndex()
{
    const QStringList lines = plan(membersStatement());
    QVERIFY2(lines.contains(QStringLiteral("SCAN a USING INDEX idx_huiyuan_bianhao"))
                 && !lines.join('\n').contains(QLatin1String("TEMP B-TREE")),
             qPrintable(lines.join('\n')));
}

// The server's plan of a statement: EXPLAIN takes no parameters there, the
// test's own values are written in. The plan, then the statement.
QString TestPlans::serverPlan(const QString &sql, const QVariantList &values)
{
    const QStringList parts = sql.split(QLatin1Char('?'));
    if (parts.size() != values.size() + 1)
        return QStringLiteral("FAILED: %1 values for %2 parameters\n").arg(values.size()).arg(parts.size() - 1) + sql;
    QString text = parts.first();
    for (int i = 0; i < values.size(); ++i)
        text += QLatin1Char('\'') + values.at(i).toString() + QLatin1Char('\'') + parts.at(i + 1);
    QSqlQuery q;
    if (!q.exec(QStringLiteral("EXPLAIN ") + text))
        return QStringLiteral("FAILED: ") + q.lastError().text() + QLatin1Char('\n') + text;
    QStringList lines;
    while (q.next())
        lines << q.value(0).toString();
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n') + text;
}

QStringList TestPlans::plan(const QString &sql, const QVariantList &values)
{
    QStringList lines;
    QSqlQuery q;
    bool ok = q.prepare(QStringLiteral("EXPLAIN QUERY PLAN ") + sql);
    for (int i = 0; ok && i < values.size(); ++i)
        q.bindValue(i, values.at(i));
    if (!ok || !q.exec()) {
        lines << QStringLiteral("FAILED: ") + q.lastError().text();
        return lines;
    }
    while (q.next())
        lines << q.value(3).toString();
    return lines;
}

void TestPlans::indexServesStatement_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QVariantList>("values");
    const QString y = QStringLiteral("本年");
    const QString s = QStringLiteral("2026-01-01"), e = QStringLiteral("2026-12-31");
    // The statement exactly as the list runs it: its declaration around the filter.
    auto row = [](const char *name, const QString &view, const ViewFilter &f) {
        QTest::newRow(name) << ViewDeclarations::statement(base(view), view, f) << f.values;
    };
    auto detail = [&row](const char *name, const QString &master, const QVariantMap &r) {
        const std::optional<ViewFilter> f = ReportQuery::drillDown(master, r);
        QVERIFY2(f.has_value(), name);
        row(name, ReportQuery::detailViewOf(master), *f);
    };
    auto plain = [](const char *name, const QString &sql) { QTest::newRow(name) << sql << QVariantList(); };

    row("消费统计", "消费统计", ReportQuery::consumptionStats(y, s, e, "", "", "所有"));
    row("消费统计 member", "消费统计", ReportQuery::consumptionStats(y, s, e, "王", "", "所有"));
    row("消费统计 其他", "消费统计", ReportQuery::consumptionStats("其他", s, e, "", "", "所有"));
    row("统计消费明细", "统计消费明细", ReportQuery::consumptionDetail(y, s, e, "", "所有", ""));
    row("会员消费排行", "会员消费排行", ReportQuery::consumptionRanking(y, s, e, "", "所有"));
    row("会员消费排行 其他 金卡", "会员消费排行", ReportQuery::consumptionRanking("其他", s, e, "", "金卡"));
    row("会员消费排行 member", "会员消费排行", ReportQuery::consumptionRanking(y, s, e, "王", "所有"));
    row("会员消费排行 上月", "会员消费排行", ReportQuery::consumptionRanking("上月", s, e, "", "所有"));
    for (const QString &period : {y, QStringLiteral("其他")}) {
        const ViewFilter f = ReportQuery::consumptionRanking(period, s, e, "", "所有");
        const QString totals = ViewDeclarations::totalsStatement(QStringLiteral("会员消费排行"), f);
        QVERIFY2(totals.contains(QLatin1String("rihuizong_nianheji")), qPrintable(totals));
        QTest::newRow(qPrintable(QStringLiteral("会员消费排行 合计 ") + period)) << totals << f.values;
        const ViewFilter gold = ReportQuery::consumptionRanking(period, s, e, "", "金卡");
        const QString ofGold = ViewDeclarations::totalsStatement(QStringLiteral("会员消费排行"), gold);
        QVERIFY2(ofGold.contains(QLatin1String("rihuizong_huiyuan_nian ")), qPrintable(ofGold));
        QTest::newRow(qPrintable(QStringLiteral("会员消费排行 合计 金卡 ") + period)) << ofGold << gold.values;
    }
    row("会员交费统计", "会员交费统计", ReportQuery::paymentStats(y, s, e, "", "", "所有", "所有"));
    row("会员套餐排行", "会员套餐排行", ReportQuery::packageRanking(y, s, e, "所有"));
    row("余额变动", "余额变动", ReportQuery::balanceChanges(y, s, e, "", "所有"));
    row("积分变动", "积分变动", ReportQuery::pointsChanges(y, s, e, "", "所有"));
    // Their 合计 of a period: the payments per member and day, the ledgers' days.
    const QList<std::tuple<const char *, const char *, ViewFilter>> fromDays = {
        {"会员交费统计", "rihuizong_jiaofei_nianheji", ReportQuery::paymentStats(y, s, e, "", "", "所有", "所有")},
        {"会员交费统计", "rihuizong_jiaofei ", ReportQuery::paymentStats("上月", s, e, "", "", "所有", "所有")},
        {"会员套餐排行", "rihuizong_jiaofei", ReportQuery::packageRanking("其他", s, e, "金卡")},
        {"余额变动", "rihuizong_biandong", ReportQuery::balanceChanges(y, s, e, "", "所有")},
        {"积分变动", "rihuizong_jifen", ReportQuery::pointsChanges("其他", s, e, "", "所有")}};
    for (const auto &[view, summary, f] : fromDays) {
        const QString totals = ViewDeclarations::totalsStatement(QString::fromUtf8(view), f);
        QVERIFY2(totals.contains(QLatin1String(summary)), qPrintable(totals));
        QTest::newRow(qPrintable(QString::fromUtf8(view) + QStringLiteral(" 合计 ") + QString::fromUtf8(summary).trimmed())) << totals << f.values;
    }
    // The members' triggers look up a member's ledger rows by the member.
    plain("points of a member", QStringLiteral("select 1 from huiyuanjifen j where j.huiyuanid='M1'"));
    plain("balance changes of a member", QStringLiteral("select 1 from huiyuanyuebiandong j where j.huiyuanid='M1'"));
    plain("payments of a member", QStringLiteral("select 1 from huiyuanjiaofei j where j.huiyuanid='M1'"));
    plain("years of a member", QStringLiteral("select y.nian from rihuizong_huiyuan_nian y where y.huiyuanid='M1' and y.nian in "
                                              "(select coalesce(substr(x.xiaofeiriqi,1,4),'') from huiyuanxiaofei x "
                                              "where x.huiyuanid='M1')"));
    row("员工提成", "员工提成", ReportQuery::commissions(y, s, e, "所有"));
    row("员工提成 其他", "员工提成", ReportQuery::commissions("其他", s, e, "所有"));
    // The analyses read the period's days of the lines per day and item; their
    // details the lines of the period's documents.
    for (const QString &period : {y, QStringLiteral("其他")}) {
        const ViewFilter days = ReportQuery::dateFilter(period, QStringLiteral("xiaofeiriqi"), s, e);
        for (const char *view : {"服务消费分析", "产品消费分析"}) {
            const ViewFilter f = ReportQuery::itemsOfPeriod(days, QString::fromUtf8(view) == QStringLiteral("服务消费分析")
                                                                      ? ReportQuery::serviceAnalysis("", "美发")
                                                                      : ReportQuery::productAnalysis("洗", "所有"));
            const QString sql = ViewDeclarations::statement(base(view), view, f);
            QVERIFY2(sql.contains(QLatin1String("rihuizong_xiangmu")), qPrintable(sql));
            QTest::newRow(qPrintable(QString::fromUtf8(view) + QLatin1Char(' ') + period)) << sql << f.values;
        }
    }
    for (const QString &period : {y, QStringLiteral("其他")}) {
        const ViewFilter f = ReportQuery::consumptionDetail(period, s, e, "", "所有", "");
        const QString totals = ViewDeclarations::totalsStatement(QStringLiteral("统计消费明细"), f);
        QVERIFY2(totals.contains(QLatin1String("rihuizong_xiangmu")), qPrintable(totals));
        QTest::newRow(qPrintable(QStringLiteral("统计消费明细 合计 ") + period)) << totals << f.values;
    }
    row("服务消费分析→明细 本年", "服务消费分析明细",
        ReportQuery::documentsOfPeriod(y, s, e) + *ReportQuery::drillDown("服务消费分析", {{"项目编号", "S1"}}));
    row("产品消费分析→明细 本年", "产品消费分析明细",
        ReportQuery::documentsOfPeriod(y, s, e) + *ReportQuery::drillDown("产品消费分析", {{"产品编号", "P1"}}));
    row("入库统计", "入库统计", ReportQuery::stockDocuments("入库明细", s, e, "所有类型", ""));
    row("交班查询", "交班查询", ReportQuery::shiftHistory(s, e, "所有"));
    detail("消费统计→明细", "消费统计", {{"消费单号", "X1"}});
    detail("会员交费统计→明细", "会员交费统计", {{"会员卡号", "M1"}});
    detail("服务消费分析→明细", "服务消费分析", {{"项目编号", "S1"}});
    detail("产品消费分析→明细", "产品消费分析", {{"产品编号", "P1"}});
    detail("员工提成→明细", "员工提成", {{"员工编号", "E1"}});
    detail("产品库存→库存变动", "产品库存", {{"chanpinID", "P1"}});
    detail("会员消费→消费明细", "会员消费", {{"消费单号", "X1"}});
    detail("入库统计→入库明细", "入库统计", {{"入库单号", "R1"}});
    row("产品库存", "产品库存", ReportQuery::stockQuery("", "所有"));
    plain("产品选择", base("产品选择"));
    plain("欠款提醒", base("欠款提醒"));
    for (const char *view : {"会员消费", "会员交费", "会员积分", "会员套餐", "会员余额变动"})
        row(view, view, ViewDeclarations::find(QString::fromUtf8(view))->memberFilter(QStringLiteral("M1")));
    // The cash-register detail of a year and its 合计 (from the daily summaries).
    const ViewFilter cash = ReportQuery::cashDetail(s, e, QStringLiteral("所有"));
    row("收银明细查询", "收银明细查询", cash);
    QVERIFY(ViewDeclarations::totalsStatement(QStringLiteral("收银明细查询"), cash).contains(QLatin1String("rihuizong_shouyin")));
    QTest::newRow("收银明细查询 合计") << ViewDeclarations::totalsStatement(QStringLiteral("收银明细查询"), cash) << cash.values;
    // What the totals read from the daily summaries: the takings of whole days (综合统计,
    // the charts), a handover's hours around them, the 合计 of 消费统计 for a period.
    auto source = [](const char *name, const QString &from, const QString &to) {
        QVariantList bounds;
        QTest::newRow(name) << QStringLiteral("select fangshi, ROUND(SUM(jine),3) from (") + SummaryBook::takingsSource(from, to, &bounds)
                                   + QStringLiteral(") s WHERE laiyuan='消费' GROUP BY fangshi")
                            << bounds;
    };
    source("takings 本年", s, e + QStringLiteral(" 23:59:59"));
    source("takings handover", QStringLiteral("2026-03-01 09:12:00"), QStringLiteral("2026-03-04 18:00:00"));
    source("takings within a day", QStringLiteral("2026-03-01 09:12:00"), QStringLiteral("2026-03-01 18:00:00"));
    QVariantList days;
    const QString perDay = SummaryBook::dailyTakings(s, e, &days);
    QTest::newRow("charts per day") << QStringLiteral("select day, ROUND(SUM(amount),2) from (") + perDay
                                           + QStringLiteral(") d where method<>'储蓄卡' group by day order by day")
                                    << days;
    for (const QString &period : {y, QStringLiteral("其他")}) {
        const ViewFilter f = ReportQuery::consumptionStats(period, s, e, "", "", "所有");
        const QString totals = ViewDeclarations::totalsStatement(QStringLiteral("消费统计"), f);
        QVERIFY2(totals.contains(QLatin1String("rihuizong_xiaofei")), qPrintable(totals));
        QTest::newRow(qPrintable(QStringLiteral("消费统计 合计 ") + period)) << totals << f.values;
    }
    // 员工业绩 of a year: the work per document and employee of the year's days.
    QTest::newRow("员工业绩 本年") << OwnerFigures::stylistsStatement()
                                 << OwnerFigures::stylistsValues(QDate(2026, 1, 1), QDate(2026, 12, 31));
    // The item summary's look-up of a document's cells when its day changes.
    plain("item days of a document", QStringLiteral("select hangshu from rihuizong_xiangmu where riqi=coalesce((select d.riqi "
                                                    "from rihuizong_danjuri d where d.ID='X1'),'') and exists (select 1 from "
                                                    "xiaofeimingxi m where m.ID='X1' and coalesce(m.xiaofeileixing,'')="
                                                    "rihuizong_xiangmu.leixing and coalesce(m.xiangmuID,'')=rihuizong_xiangmu.xiangmuid)"));
    // The triggers' own look-up: is this row the first of its document?
    plain("first header row", QStringLiteral("select 1 from huiyuanxiaofei e where e.ID='X1' and e.rowid<5"));
    plain("ledger kinds", QStringLiteral("with recursive t(v) as (select min(biandongleixing) from huiyuanjifen union all "
                                         "select (select min(biandongleixing) from huiyuanjifen where biandongleixing > t.v) "
                                         "from t where t.v is not null) select 0, v from t where v is not null"));
}

// "SCAN x" without an index is a walk of every row of x; x an alias of a history table.
void TestPlans::indexServesStatement()
{
    QFETCH(QString, sql);
    QFETCH(QVariantList, values);
    QSet<QString> names;
    for (const QString &t : kHistoryTables) {
        names << t;
        const QRegularExpression alias(QStringLiteral("\\b") + t + QStringLiteral("\\s+(?:as\\s+)?(\\w+)"),
                                       QRegularExpression::CaseInsensitiveOption);
        auto it = alias.globalMatch(sql);
        while (it.hasNext()) {
            const QString a = it.next().captured(1);
            static const QStringList keywords = {"where", "on", "join", "left", "group", "order", "union", "limit"};
            if (!keywords.contains(a.toLower()))
                names << a;
        }
    }
    const QStringList lines = plan(sql, values);
    QVERIFY2(!lines.isEmpty() && !lines.first().startsWith("FAILED"), qPrintable(lines.join('\n') + "\n" + sql));
    // A walk of a whole index is a walk of every row too; a partial index holds
    // only the rows it is for (open debts, repayments).
    const QRegularExpression scan(QStringLiteral("^SCAN (\\w+)(?: USING (?:COVERING )?INDEX (\\w+))?$"));
    const QStringList partial = {QStringLiteral("idx_huiyuanxiaofei_repaid"), QStringLiteral("idx_huiyuanjiaofei_repaid"),
                                 QStringLiteral("idx_huiyuanxiaofei_debt"), QStringLiteral("idx_huiyuanjiaofei_debt")};
    // Rows gathered first (WITH … AS MATERIALIZED, searched from their index) are
    // read whole: they are the period's, not the history's.
    static const QRegularExpression gathered(QStringLiteral("^MATERIALIZE (\\w+)$"));
    for (const QString &line : lines)
        if (const QRegularExpressionMatch g = gathered.match(line); g.hasMatch())
            names.remove(g.captured(1));
    for (const QString &line : lines) {
        QRegularExpressionMatch m = scan.match(line);
        if (m.hasMatch() && partial.contains(m.captured(2)))
            m = QRegularExpressionMatch();
        QVERIFY2(!m.hasMatch() || !names.contains(m.captured(1)),
                 qPrintable(QStringLiteral("full scan of %1:\n%2\n%3").arg(m.captured(1), lines.join('\n'), sql)));
    }
}

// Every list of the main window: its statement is in dbset.xml and runs with its
// default condition, its view is on the window's form, its detail is a declared
// list, and the columns a click hands on are columns of the list. A name that is
// not declared is said in the log and runs nothing.
void TestPlans::declarationsHoldTogether()
{
    QFile form(QStringLiteral(MOCHEN_SOURCE_DIR "/forms/mainwindow.ui"));
    QVERIFY(form.open(QIODevice::ReadOnly));
    const QString ui = QString::fromUtf8(form.readAll());
    const DbsetMap map = readDbset();
    QSet<QString> seenWidgets;
    for (const ViewDeclaration &d : ViewDeclarations::all()) {
        QVERIFY2(map.contains(d.name), qPrintable(d.name));
        QVERIFY2(ui.contains(QStringLiteral("name=\"%1\"").arg(d.widget)), qPrintable(d.widget));
        QVERIFY2(!seenWidgets.contains(d.widget), qPrintable(d.widget));
        seenWidgets << d.widget;
        const QString sql = ViewDeclarations::statement(base(d.name), d.name, d.defaultFilter());
        QSqlQuery q;
        QVERIFY2(q.exec(sql), qPrintable(sql + "\n" + q.lastError().text()));
        if (d.detail.isEmpty())
            continue;
        QVERIFY2(ViewDeclarations::find(d.detail), qPrintable(d.detail));
        QCOMPARE(d.detailCondition.count(QLatin1Char('?')), d.keys.size());
        for (const QString &key : d.keys)
            QVERIFY2(q.record().indexOf(key) >= 0, qPrintable(d.name + ": " + key));
    }
    QVERIFY(ViewDeclarations::find(QStringLiteral("消费统计")));
    QVERIFY(!ViewDeclarations::find(QStringLiteral("消费统计 ")));

    QTableView view;
    m_ctrl->setupDeclaredView(map, &view, QStringLiteral("消费统计"));
    QTest::ignoreMessage(QtWarningMsg, "没有这个列表：消费统讦");
    m_ctrl->refreshView(QStringLiteral("消费统讦"), ViewFilter());
    QTest::ignoreMessage(QtWarningMsg, "没有这个列表：会员管 理");
    m_ctrl->showDefault(QStringLiteral("会员管 理"));
    QCOMPARE(m_ctrl->currentSql(QStringLiteral("消费统讦")), QString());
    // A row without the key column hands nothing on.
    QVERIFY(!m_ctrl->showDetail(QStringLiteral("消费统计"), 0));
}

// The picker's search goes through the name and phone indexes before a substring scan.
void TestPlans::memberPickerTries()
{
    sqlExec("insert into huiyuan(ID, name, phone) values ('M1', '王小明', '13800000001'), "
            "('M2', '李王芳', '13900000002'), ('M3', '王''五', '13700000003')");
    auto members = [](const QString &text) {
        const ViewFilter f = ReportQuery::memberPickerFilter(text);
        QStringList ids;
        for (const QVariantList &r : LedgerSql::rows("select ID from huiyuan where " + f.text() + " order by ID", f.values))
            ids << r.at(0).toString();
        return qMakePair(f.text(), ids);
    };
    const auto exact = members("13700000003");
    QCOMPARE(exact.second, QStringList{"M3"});
    const auto prefix = members("王");
    QCOMPARE(prefix.second, (QStringList{"M1", "M3"})); // the name that begins with it
    const auto quoted = members("王'五");
    QCOMPARE(quoted.second, QStringList{"M3"});
    const auto inside = members("王芳");
    QCOMPARE(inside.second, QStringList{"M2"});
    const auto phonePrefix = members("139");
    QCOMPARE(phonePrefix.second, QStringList{"M2"});
    QCOMPARE(members("王小明").second, QStringList{"M1"});
    // A card number typed at the counter finds its member.
    const auto card = members("M2");
    QCOMPARE(card.second, QStringList{"M2"});
    for (const auto &p : {exact, prefix, phonePrefix, card}) {
        const QString lines = plan("select ID from huiyuan where " + p.first).join('\n');
        QVERIFY2(!lines.contains(QRegularExpression("^SCAN huiyuan$", QRegularExpression::MultilineOption)),
                 qPrintable(lines));
    }
}

// The picker's stock figure: filled once when an older shop first starts with the
// table, then kept by the triggers through every insert, correction and deletion.
void TestPlans::stockTableFollowsMovements()
{
    const QString stock = QStringLiteral("select chanpinID, ROUND(shuliang,3), ROUND(jine,3) from chanpinkucun order by chanpinID");
    const QString sums = QStringLiteral("select chanpinID, ROUND(sum(shuliang),3), ROUND(sum(jine),3) from chanpinrukumingxi "
                                        "group by chanpinID order by chanpinID");
    // A shop from before the table, with movements.
    for (const char *trigger : {"chanpinkucun_insert", "chanpinkucun_delete", "chanpinkucun_update"})
        sqlExec(QStringLiteral("drop trigger %1").arg(trigger));
    sqlExec("drop table chanpinkucun");
    sqlExec("insert into chanpinrukumingxi(rukuID, time, chanpinID, shuliang, jine) values "
            "('000000', '2026-01-01 08:00:00', 'P1', 0, 0), ('R1', '2026-01-02 08:00:00', 'P1', 10, 100), "
            "('R1', '2026-01-02 08:00:00', 'P''2', 3, 30.5), ('C1', '2026-01-03 08:00:00', 'P1', -4, -40)");
    createTables();
    QCOMPARE(sqlRows(stock), (QList<QStringList>{{"P'2", "3", "30.5"}, {"P1", "6", "60"}}));
    createTables(); // a second start adds nothing
    QCOMPARE(sqlRows(stock), sqlRows(sums));

    sqlExec("insert into chanpinrukumingxi(rukuID, time, chanpinID, shuliang, jine) values ('R2', '2026-01-04 08:00:00', 'P3', 2, 8)");
    sqlExec("update chanpinrukumingxi set shuliang = -5, jine = -50 where rukuID = 'C1'");
    sqlExec("update chanpinrukumingxi set chanpinID = 'P3' where rukuID = 'R1' and chanpinID = 'P''2'");
    sqlExec("delete from chanpinrukumingxi where rukuID = 'R2'");
    QCOMPARE(sqlRows(stock), (QList<QStringList>{{"P'2", "0", "0"}, {"P1", "5", "50"}, {"P3", "3", "30.5"}}));

    // 库存变动: the stock after each movement is the running sum up to it.
    const QList<QStringList> changes = sqlRows(ViewDeclarations::statement(
        base("库存变动"), "库存变动", ViewFilter(QStringLiteral("A.chanpinID='P1'"))));
    QCOMPARE(changes, (QList<QStringList>{{"2026-01-02 08:00:00", "P1", "10", "10"},
                                          {"2026-01-03 08:00:00", "P1", "-5", "5"}}));
    sqlExec("delete from chanpinrukumingxi");
    sqlExec("delete from chanpinkucun");
}

// The daily summaries: built from the records when an older shop first starts
// with them, then kept by the triggers through every insert, correction and
// deletion, equal to the records (the check every money test ends with), and
// what the takings tree and the 合计 line show.
void TestPlans::summariesFollowRecords()
{
    // The sales here are header rows alone: the summaries' own check, not the whole books'.
    const auto differences = [] { return summaryDifferences(); };
#define verifySummaries() QVERIFY2(differences().isEmpty(), qPrintable(differences()))
    const QString takings = QStringLiteral("select riqi, laiyuan, fangshi, jine_fen, bishu from rihuizong_shouyin "
                                           "where bishu<>0 order by riqi, laiyuan, fangshi");
    const QString sales = QStringLiteral("select riqi, danshu, xiaofei_fen, shishou_fen, qiankuan_fen from rihuizong_xiaofei "
                                         "order by riqi");
    // A shop from before the summaries: a sale paid two ways with a debt, repaid two days later.
    for (const char *trigger : {"rihuizong_xiaofei_insert", "rihuizong_xiaofei_delete", "rihuizong_xiaofei_update",
                                "rihuizong_jiaofei_insert", "rihuizong_jiaofei_delete", "rihuizong_jiaofei_update",
                                "rihuizong_huiyuan_insert", "rihuizong_huiyuan_delete", "rihuizong_huiyuan_update",
                                "rihuizong_danju_insert", "rihuizong_danju_delete", "rihuizong_danju_update",
                                "rihuizong_ticheng_insert", "rihuizong_ticheng_delete", "rihuizong_ticheng_update",
                                "rihuizong_ticheng_xf_insert", "rihuizong_ticheng_xf_delete", "rihuizong_ticheng_xf_update",
                                "rihuizong_ticheng_jf_insert", "rihuizong_ticheng_jf_delete", "rihuizong_ticheng_jf_update",
                                "rihuizong_huiyuan_nian_insert", "rihuizong_huiyuan_nian_delete", "rihuizong_huiyuan_nian_update"})
        sqlExec(QStringLiteral("drop trigger %1").arg(trigger));
    sqlExec("drop table rihuizong_huiyuan_nian");
    sqlExec("drop table rihuizong_ticheng");
    sqlExec("drop table rihuizong_danju");
    sqlExec("drop table rihuizong_shouyin");
    sqlExec("drop table rihuizong_xiaofei");
    sqlExec("drop table rihuizong_huiyuan");
    sqlExec("insert into huiyuanxiaofei(ID, huiyuanid, xiaofeiriqi, shishoujine, fukuanfangshi, xiaofeijine, qiankuanjine, suodejifen) values "
            "('X1', 'M1', '2026-03-01 23:59:30', 30, '储蓄卡', 100, 50, 10), ('X1', 'M1', '2026-03-01 23:59:30', 20, '现金', 0, 0, 0), "
            "('X1', 'M1', '2026-03-03 10:00:00', 50, '微信', 0, 0, 0)");
    sqlExec("insert into huiyuanjiaofei(ID, huiyuanid, jiaofeiriqi, shifujine, fukuanleixing) values "
            "('J1', 'M1', '2026-03-01 09:00:00', 500.1, '现金'), ('J2', 'M2', '2026-03-03 11:00:00', 0.07, '现金')");
    const QString commission = QStringLiteral("insert into tichengmingxi(yuangongID, xiaofeiID, tichengjine, beizhu, titleID) values ");
    sqlExec(commission + "('E1', 'X1', 4.5, '消费提成', '1'), ('E1', 'X1', 0.25, '消费提成', '2'), ('E2', 'X1', 3, '消费提成', '1'), "
                         "('E2', 'J1', 25.01, '开卡提成', 'k'), ('E3', 'nothing', 9, '消费提成', '1')");
    createTables();
    QCOMPARE(sqlRows(takings), (QList<QStringList>{{"2026-03-01", "交费", "现金", "50010", "1"},
                                                   {"2026-03-01", "消费", "储蓄卡", "3000", "1"},
                                                   {"2026-03-01", "消费", "现金", "2000", "1"},
                                                   {"2026-03-03", "交费", "现金", "7", "1"},
                                                   {"2026-03-03", "消费", "微信", "5000", "1"}}));
    // The sale is one document, on the day of its first row; its repayment's takings on their own day.
    QCOMPARE(sqlRows(sales), (QList<QStringList>{{"2026-03-01", "1", "10000", "5000", "5000"},
                                                 {"2026-03-03", "0", "0", "5000", "0"}}));
    // Per document and day: the day's first time, its methods in order, the other day known.
    QCOMPARE(sqlRows("select ID, riqi, shijian, huiyuanid, bishu, duori, xiaofei_fen, shishou_fen, qiankuan_fen, fangshi "
                     "from rihuizong_danju order by ID, riqi"),
             (QList<QStringList>{{"X1", "2026-03-01", "2026-03-01 23:59:30", "M1", "2", "1", "10000", "5000", "5000", "储蓄卡+现金"},
                                 {"X1", "2026-03-03", "2026-03-03 10:00:00", "M1", "1", "1", "0", "5000", "0", "微信"}}));
    // Per member and day: the document on its first day, its repayment's money on its own.
    QCOMPARE(sqlRows("select riqi, huiyuanid, bishu, danshu, zuofei, xiaofei_fen, shishou_fen from rihuizong_huiyuan "
                     "order by riqi, huiyuanid"),
             (QList<QStringList>{{"2026-03-01", "M1", "2", "1", "0", "10000", "5000"},
                                 {"2026-03-03", "M1", "1", "0", "0", "0", "5000"}}));
    // Per document and employee on the document's first day; a commission without its document counts nowhere.
    const QString commissions = QStringLiteral("select xiaofeiID, yuangongid, riqi, hangshu, bishu, jine_fen from rihuizong_ticheng "
                                               "order by xiaofeiID, yuangongid");
    QCOMPARE(sqlRows(commissions), (QList<QStringList>{{"J1", "E2", "2026-03-01", "1", "1", "2501"},
                                                       {"X1", "E1", "2026-03-01", "2", "2", "475"},
                                                       {"X1", "E2", "2026-03-01", "1", "1", "300"}}));
    // Per member and year, the member's days summed.
    QCOMPARE(sqlRows("select nian, huiyuanid, tianshu, danshu, xiaofei_fen, shishou_fen from rihuizong_huiyuan_nian"),
             (QList<QStringList>{{"2026", "M1", "2", "1", "10000", "10000"}}));
    createTables(); // a second start adds nothing
    verifySummaries();
    // The sale writer writes the commission rows before the header rows; a void
    // reverses them under its own document, on its own day.
    sqlExec(commission + "('E1', 'X9', 6, '消费提成', '1')");
    QCOMPARE(sqlValue("select count(*) from rihuizong_ticheng where xiaofeiID = 'X9'"), QString("0"));
    sqlExec("insert into huiyuanxiaofei(ID, huiyuanid, xiaofeiriqi, shishoujine, fukuanfangshi, xiaofeijine) values "
            "('X9', 'M2', '2026-03-05 10:00:00', 60, '现金', 60), ('X9', 'M2', '2026-03-06 10:00:00', 0, '现金', 0)");
    sqlExec("insert into huiyuanxiaofei(ID, huiyuanid, xiaofeiriqi, shishoujine, fukuanfangshi, xiaofeijine, beizhu) values "
            "('ZF9', 'M2', '2026-03-06 12:00:00', -60, '现金', -60, '作废冲销')");
    sqlExec(commission + "('E1', 'ZF9', -6, '作废冲销', '1')");
    QCOMPARE(sqlRows("select xiaofeiID, riqi, bishu, jine_fen from rihuizong_ticheng where yuangongid = 'E1' and xiaofeiID like '%9' "
                     "order by xiaofeiID"),
             (QList<QStringList>{{"X9", "2026-03-05", "1", "600"}, {"ZF9", "2026-03-06", "-1", "-600"}}));
    verifySummaries();
    // Its first row moved or gone, the document stands on its next first day; its rows gone, it leaves.
    sqlExec("update huiyuanxiaofei set xiaofeiriqi = '2026-03-07 10:00:00' where ID = 'X9' and xiaofeiriqi = '2026-03-05 10:00:00'");
    QCOMPARE(sqlValue("select riqi from rihuizong_ticheng where xiaofeiID = 'X9' order by rowid"), QString("2026-03-07"));
    sqlExec("delete from huiyuanxiaofei where ID = 'X9' and xiaofeiriqi = '2026-03-07 10:00:00'");
    QCOMPARE(sqlValue("select riqi from rihuizong_ticheng where xiaofeiID = 'X9' order by rowid"), QString("2026-03-06"));
    sqlExec("update tichengmingxi set yuangongID = 'E2', tichengjine = 7 where xiaofeiID = 'X9'");
    sqlExec("update huiyuanxiaofei set ID = 'X8' where ID = 'ZF9'");
    verifySummaries();
    sqlExec("delete from huiyuanxiaofei where ID in ('X9', 'X8')");
    sqlExec("delete from tichengmingxi where xiaofeiID in ('ZF9', 'X8')");
    QCOMPARE(sqlValue("select count(*) from rihuizong_ticheng where xiaofeiID in ('X9', 'ZF9', 'X8')"), QString("0"));
    verifySummaries();

    // Kept through the writes of every path: the debt repaid, a row corrected, moved, deleted.
    sqlExec("update huiyuanxiaofei set qiankuanjine = 0 where ID = 'X1' and qiankuanjine <> 0");
    sqlExec("update huiyuanjiaofei set shifujine = 480, fukuanleixing = '刷卡' where ID = 'J1'");
    sqlExec("insert into huiyuanxiaofei(ID, huiyuanid, xiaofeiriqi, shishoujine, fukuanfangshi, xiaofeijine) values "
            "('X2', '0000', '2026-03-02 08:00:00', 12.34, '现金', 12.34)");
    sqlExec("update huiyuanxiaofei set xiaofeiriqi = '2026-03-04 08:00:00' where ID = 'X2'");
    verifySummaries();
    QCOMPARE(sqlValue("select danshu from rihuizong_xiaofei where riqi = '2026-03-04'"), QString("1"));
    QCOMPARE(sqlValue("select danshu from rihuizong_xiaofei where riqi = '2026-03-02'"), QString("0"));
    // The first row of X1 goes: the document now stands on the day of its next row.
    sqlExec("delete from huiyuanxiaofei where ID = 'X1' and fukuanfangshi = '储蓄卡'");
    verifySummaries();
    sqlExec("delete from huiyuanxiaofei where ID = 'X1'");
    sqlExec("delete from huiyuanjiaofei where ID = 'J2'");
    verifySummaries();
    QCOMPARE(sqlValue("select coalesce(sum(danshu),0) from rihuizong_xiaofei"), QString("1"));

    // A summary changed behind the triggers' back is reported, and the rebuild mends it.
    sqlExec("update rihuizong_shouyin set jine_fen = jine_fen + 1 where laiyuan = '交费'");
    QVERIFY(differences().contains(QStringLiteral("日汇总收银与记录不符")));
    sqlExec("insert into rihuizong_nianheji(nian, huiyuanshu) values ('2020', 1)");
    sqlExec("insert into rihuizong_jifen(riqi, bishu) values ('2020-01-01', 1)");
    QVERIFY(differences().contains(QStringLiteral("会员年合计与年汇总不符")));
    QVERIFY(differences().contains(QStringLiteral("积分日汇总与记录不符")));
    QVERIFY(SummaryBook::rebuild(readDbset()).ok);
    verifySummaries();

    // What the pages read: the takings of whole days and of a handover's hours agree
    // with the records; the 合计 of 消费统计 for a period comes from the summary.
    sqlExec("insert into huiyuanxiaofei(ID, huiyuanid, xiaofeiriqi, shishoujine, fukuanfangshi, xiaofeijine, qiankuanjine, suodejifen) values "
            "('X3', 'M1', '2026-03-04 19:00:00', 8, '现金', 8, 0, 1)");
    auto tree = [this](const QString &from, const QString &to) {
        sqlExec("create temp table if not exists tongji(ID INTEGER PRIMARY KEY, fukuanfangshi TEXT, jine REAL)");
        QStandardItemModel model;
        TakingsTree::build(&model, TakingsRead::period(from, to));
        QStringList shown;
        for (int r = 0; r < model.rowCount(); ++r) {
            QString line = model.item(r, 0)->text() + '=' + model.item(r, 1)->text();
            for (int c = 0; c < model.item(r, 0)->rowCount(); ++c)
                line += ' ' + model.item(r, 0)->child(c, 0)->text() + ':' + model.item(r, 0)->child(c, 1)->text();
            shown << line;
        }
        return shown.join(QStringLiteral("; "));
    };
    QCOMPARE(tree("2026-03-01 00:00:00", "2026-03-04 23:59:59"),
             QString("充值交费合计=480 刷卡:480; 消费收银合计=20.34 现金:20.34; 收银总计=500.34 刷卡:480 现金:20.34; "
                     "实际收入=500.34; 虚拟收入=0"));
    // A handover from the evening of the 1st to the morning of the 4th: the whole days
    // between from the summary, the hours at both ends from the records.
    QCOMPARE(tree("2026-03-01 10:00:00", "2026-03-04 18:00:00"),
             QString("充值交费合计=0; 消费收银合计=12.34 现金:12.34; 收银总计=12.34 现金:12.34; 实际收入=12.34; 虚拟收入=0"));
    const ViewFilter period = ReportQuery::consumptionStats(QStringLiteral("其他"), QStringLiteral("2026-03-01"),
                                                            QStringLiteral("2026-03-04"), "", "", "所有");
    QCOMPARE(ReportReads::declaredTotals(QStringLiteral("消费统计"), period),
             (QStringList{"2", "20.34", "20.34", "0", "1"}));
    // A member typed in: the summaries cannot tell members apart, the records answer.
    const ViewFilter member = ReportQuery::consumptionStats(QStringLiteral("其他"), QStringLiteral("2026-03-01"),
                                                            QStringLiteral("2026-03-04"), "M1", "", "所有");
    QVERIFY(!ViewDeclarations::totalsStatement(QStringLiteral("消费统计"), member).contains("rihuizong"));
    sqlExec("delete from huiyuanxiaofei");
    sqlExec("delete from huiyuanjiaofei");
    verifySummaries();
#undef verifySummaries
}

// A void reads the points its sale gave: among a walk-in customer's 100,000
// rows and more, by member and document, never the member's rows one by one.
void TestPlans::voidFindsItsPointsByKey()
{
    const QStringList lines = plan(QStringLiteral("select coalesce(sum(coalesce(jifenzengjia,0)-coalesce(jifenjianshao,0)),0) "
                                                  "from huiyuanjifen where huiyuanid=? and beizhu=?"),
                                   {QStringLiteral("0000"), QStringLiteral("消费单：xf_1")});
    QVERIFY2(lines.size() == 1 && lines.first().contains(QLatin1String("(huiyuanid=? AND beizhu=?)")),
             qPrintable(lines.join('\n')));
}

// The books' check runs its correlated look-ups once per sale, member or row:
// each must find its rows by key. A scan there, or a skip-scan that walks
// every member's part of an index (ANY(huiyuanid)), makes the check of a large
// shop run for hours (the points of each sale looked up by document alone).
// A balance refund takes back a share of each commission row, less the shares
// taken before: those rows carry the line's key. By the employee instead, a
// refund read every commission the employee ever earned, once per row.
void TestPlans::refundFindsCommissionSharesByLine()
{
    const QStringList lines = plan(QStringLiteral("select yuangongID,xiangmuID,xiangmumingcheng,tichengfangshi,jisuanfangshi,"
                                                  "tichengbili,tichengjine,titleID,(select sum(x.tichengjine) from tichengmingxi x "
                                                  "where x.titleID=t.titleID and x.yuangongID=t.yuangongID) from tichengmingxi t "
                                                  "where xiaofeiID=? and tichengjine>0 order by rowid"),
                                   {QStringLiteral("CZ1")});
    QVERIFY2(lines.join('\n').contains(QLatin1String("idx_tichengmingxi_titleID")), qPrintable(lines.join('\n')));
    QVERIFY2(!lines.join('\n').contains(QLatin1String("idx_tichengmingxi_yuangongID")), qPrintable(lines.join('\n')));
}

void TestPlans::bookCheckLooksUpByKey()
{
    for (const char *file : {"check-db.sql", "check-summaries.sql"}) {
        QFile f(QStringLiteral(MOCHEN_SOURCE_DIR "/scripts/") + QLatin1String(file));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QSqlQuery q;
        QVERIFY2(q.exec(QStringLiteral("EXPLAIN QUERY PLAN ") + QString::fromUtf8(f.readAll())),
                 qPrintable(q.lastError().text()));
        QHash<int, int> parent;
        QHash<int, QString> detail;
        QList<int> order;
        while (q.next()) {
            const int id = q.value(0).toInt();
            parent.insert(id, q.value(1).toInt());
            detail.insert(id, q.value(3).toString());
            order << id;
        }
        QVERIFY(!order.isEmpty());
        QStringList all;
        for (int id : order)
            all << detail.value(id);
        for (int id : order) {
            bool correlated = false;
            for (int up = parent.value(id); up != 0 && !correlated; up = parent.value(up))
                correlated = detail.value(up).startsWith(QLatin1String("CORRELATED"));
            const QString &line = detail.value(id);
            QVERIFY2(!correlated || (!line.startsWith(QLatin1String("SCAN ")) && !line.contains(QLatin1String("ANY("))),
                     qPrintable(QStringLiteral("%1: %2\n%3").arg(QLatin1String(file), line, all.join('\n'))));
        }
    }
}

// The shop's 预收款 at a past moment takes every member's and item's last ledger row up to then,
// prices uses from the few rows that put uses on a card, and sums what each
// card was credited: each reads an index
// alone, in the order it lies (no sort, no table row).
void TestPlans::liabilityReadsOnlyItsIndexes()
{
    const QStringList last = plan(QStringLiteral("select ID, huiyuanid, coalesce(xiangmumingchen,''), dangshikaneiyue, "
                                                 "dangshikaneicishu from (select ID, huiyuanid, xiangmumingchen, "
                                                 "dangshikaneiyue, dangshikaneicishu, lead(ID) over (partition by "
                                                 "huiyuanid, xiangmumingchen order by ID) as later from huiyuanyuebiandong "
                                                 "where biandongriqi<=?) t where later is null"),
                                  {QStringLiteral("2026-06-30 23:59:59")});
    QVERIFY2(last.join('\n').contains(QLatin1String("COVERING INDEX idx_huiyuanyuebiandong_lastrow"))
                 && !last.join('\n').contains(QLatin1String("TEMP B-TREE")),
             qPrintable(last.join('\n')));
    const QStringList sold = plan(QStringLiteral("select ID, huiyuanid, coalesce(xiangmumingchen,''), coalesce(beizhu,''), "
                                                 "CASE WHEN biandongleixing in ('会员办卡','会员套餐充值') THEN 1 ELSE 0 "
                                                 "END, biandongriqi, cishuzengjia from huiyuanyuebiandong where "
                                                 "cishuzengjia>0"));
    QVERIFY2(sold.size() == 1 && sold.first().contains(QLatin1String("COVERING INDEX idx_huiyuanyuebiandong_uses")),
             qPrintable(sold.join('\n')));
    // Grouped by an expression on purpose (BalanceBook::creditSums): with a sampled
    // ANALYZE the member index looks cheaper, and costs a lookup per row.
    const QStringList credits = plan(QStringLiteral("select huiyuanid||'', sum(CASE WHEN jiaofeileixing='会员充值' THEN "
                                                    "zengsongjine ELSE 0 END), sum(kaneijine) from huiyuanjiaofei "
                                                    "group by huiyuanid||''"));
    QVERIFY2(credits.join('\n').contains(QLatin1String("COVERING INDEX idx_huiyuanjiaofei_credit")),
             qPrintable(credits.join('\n')));
    // Today's bonus reads only the rows that give or take bonus, never a
    // lookup per row through the member index.
    const QStringList bonus = plan(QStringLiteral("select huiyuanid||'', sum(zengsongjine) from huiyuanjiaofei where "
                                                  "zengsongjine<>0 and jiaofeileixing in ('办卡交费','会员充值') group by "
                                                  "huiyuanid||''"));
    for (const QString &line : bonus)
        QVERIFY2(line == QLatin1String("SCAN huiyuanjiaofei") || line.contains(QLatin1String("COVERING INDEX"))
                     || line.contains(QLatin1String("TEMP B-TREE")),
                 qPrintable(bonus.join('\n')));
}

// The period lists name the member of every row they read: from the member index
// that holds name, card type and phone, not from the member's whole row.
void TestPlans::periodListsNameTheirMembersFromAnIndex_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QVariantList>("values");
    const QString y = QStringLiteral("本年");
    const QList<QPair<QString, ViewFilter>> lists = {
        {"消费统计", ReportQuery::consumptionStats(y, "", "", "", "", "所有")},
        {"会员消费排行", ReportQuery::consumptionRanking(y, "", "", "", "所有")},
        {"会员交费统计", ReportQuery::paymentStats(y, "", "", "", "", "所有", "所有")},
        {"余额变动", ReportQuery::balanceChanges(y, "", "", "", "所有")},
        {"积分变动", ReportQuery::pointsChanges(y, "", "", "", "所有")},
    };
    for (const auto &l : lists) {
        QTest::newRow(qPrintable(l.first)) << ViewDeclarations::statement(base(l.first), l.first, l.second)
                                          << l.second.values;
        const QString totals = ViewDeclarations::totalsStatement(l.first, l.second);
        if (!totals.contains(QLatin1String("rihuizong")))
            QTest::newRow(qPrintable(l.first + QStringLiteral(" 合计"))) << totals << l.second.values;
    }
}

void TestPlans::periodListsNameTheirMembersFromAnIndex()
{
    QFETCH(QString, sql);
    QFETCH(QVariantList, values);
    const QString lines = plan(sql, values).join('\n');
    QVERIFY2(lines.contains(QLatin1String("SEARCH b USING COVERING INDEX idx_huiyuan_lists (ID=?)")),
             qPrintable(lines + "\n" + sql));
}

// 员工提成→明细 of E01 for this year, as the drill-down asks it.
static ViewFilter commissionLinesOfE01()
{
    return ReportQuery::commissionLines(QStringLiteral("本年"), "", "")
           + *ReportQuery::drillDown(QStringLiteral("员工提成"), {{QStringLiteral("员工编号"), QStringLiteral("E01")}});
}

// 员工提成 looks each commission row of the period's documents up once: an OR of
// two document lists was tested again against both on every row it found.
void TestPlans::commissionsReadTheirSummary()
{
    // The totals: each employee's documents of the period from the summary's index
    // alone, already in the employees' order.
    for (const QString &period : {QStringLiteral("本年"), QStringLiteral("其他"), QString()}) {
        const ViewFilter f = ReportQuery::commissions(period, QStringLiteral("2026-01-01"), QStringLiteral("2026-12-31"),
                                                      QStringLiteral("所有"));
        const QString sql = ViewDeclarations::statement(base(QStringLiteral("员工提成")), QStringLiteral("员工提成"), f);
        const QString lines = plan(sql, f.values).join('\n');
        QVERIFY2(lines.contains(QLatin1String("SEARCH s USING COVERING INDEX idx_rihuizong_ticheng_yuangong"))
                     && !lines.contains(QLatin1String("TEMP B-TREE")) && !lines.contains(QLatin1String("tichengmingxi")),
                 qPrintable(lines + "\n" + sql));
    }
    // The detail: the employee's documents of the period from the same index, in
    // the list's order, then their rows; only each document's rows are put in order
    // (sorting the whole period first looked up every row's 时间 before the first
    // screen). Its 合计 from the summary alone.
    const ViewFilter f = commissionLinesOfE01();
    const QString sql = ViewDeclarations::statement(base(QStringLiteral("提成明细")), QStringLiteral("提成明细"), f);
    const QStringList lines = plan(sql, f.values);
    const int documents = lines.indexOf(
        QStringLiteral("SEARCH s USING COVERING INDEX idx_rihuizong_ticheng_yuangong (yuangongid=? AND riqi>? AND riqi<?)"));
    const int rows = lines.indexOf(QStringLiteral("SEARCH a USING INDEX idx_tichengmingxi_xiaofeiID (xiaofeiID=?)"));
    QVERIFY2(documents == 0 && rows > documents && lines.contains(QLatin1String("USE TEMP B-TREE FOR RIGHT PART OF ORDER BY"))
                 && !lines.contains(QLatin1String("USE TEMP B-TREE FOR ORDER BY")) && !lines.contains(QLatin1String("SCAN a"))
                 && !lines.contains(QLatin1String("SCAN tichengmingxi")),
             qPrintable(lines.join('\n') + "\n" + sql));
    const QString totals = ViewDeclarations::totalsStatement(QStringLiteral("提成明细"), f);
    QVERIFY2(!totals.contains(QLatin1String("tichengmingxi")), qPrintable(totals));
    QVERIFY2(plan(totals, f.values).join('\n').contains(QLatin1String("idx_rihuizong_ticheng_yuangong")), qPrintable(totals));
}

// On the server the employee's documents are gathered before their rows are read:
// taking them in line, it hashed every commission row of the history against them
// (a year of E01 at the large shop: 213 ms against 78), trusting its guess of how
// few rows match the employee.
void TestPlans::serverCommissionLinesGatherTheDocumentsFirst()
{
    const ViewFilter f = commissionLinesOfE01();
    QSqlQuery q;
    QVERIFY(q.exec(QStringLiteral("SET enable_seqscan = off"))); // the test shop is small
    const QString plan = serverPlan(
        ListModel::firstRowsOf(ViewDeclarations::statement(base(QStringLiteral("提成明细")), QStringLiteral("提成明细"), f)),
        f.values);
    QVERIFY(q.exec(QStringLiteral("RESET enable_seqscan")));
    QVERIFY2(plan.contains(QLatin1String("CTE s")) && plan.contains(QLatin1String("CTE Scan on s"))
                 && plan.contains(QLatin1String("idx_rihuizong_ticheng_yuangong"))
                 && !plan.contains(QLatin1String("Seq Scan on tichengmingxi")),
             qPrintable(plan));
}

// 员工业绩 of a year: the year's work per document and employee from one range of
// its index, no commission row of the history.
void TestPlans::stylistsReadTheirSummary()
{
    const QString sql = OwnerFigures::stylistsStatement();
    const QString lines = plan(sql, OwnerFigures::stylistsValues(QDate(2026, 1, 1), QDate(2026, 12, 31))).join('\n');
    QVERIFY2(lines.contains(QLatin1String("SEARCH s USING COVERING INDEX idx_rihuizong_yeji_riqi (riqi>? AND riqi<?)"))
                 && !lines.contains(QLatin1String("tichengmingxi")) && !lines.contains(QLatin1String("xiaofeimingxi")),
             qPrintable(lines + "\n" + sql));
}

void TestPlans::serverStylistsReadTheirSummary()
{
    QSqlQuery q;
    QVERIFY(q.exec(QStringLiteral("SET enable_seqscan = off")));
    const QString plan = serverPlan(OwnerFigures::stylistsStatement(),
                                    OwnerFigures::stylistsValues(QDate(2026, 1, 1), QDate(2026, 12, 31)));
    QVERIFY2(plan.contains(QLatin1String("idx_rihuizong_yeji_riqi")) && plan.contains(QLatin1String("riqi >="))
                 && !plan.contains(QLatin1String("tichengmingxi")),
             qPrintable(plan));
    QVERIFY(q.exec(QStringLiteral("RESET enable_seqscan")));
}

// The documents of a period stream from the day rows' time index: the first screen
// is read without grouping or sorting the period.
// A year's ranking and its 合计 of a card type read the year's one row per member
// from the index, grouping nothing; the ranking, of every member or of a card type,
// in the order of the year's index by amount, sorting nothing; its 合计 of every
// member the year's one row; any other period groups its days.
void TestPlans::rankingOfAYearGroupsNothing()
{
    for (const QString &period : {QStringLiteral("本年"), QStringLiteral("其他")}) {
        const ViewFilter f = ReportQuery::consumptionRanking(period, QStringLiteral("2026-01-01"), QStringLiteral("2026-12-31"),
                                                             "", QStringLiteral("所有"));
        const ViewFilter gold = ReportQuery::consumptionRanking(period, QStringLiteral("2026-01-01"),
                                                                QStringLiteral("2026-12-31"), "", QStringLiteral("金卡"));
        const QString year = plan(ViewDeclarations::totalsStatement(QStringLiteral("会员消费排行"), f), f.values).join('\n');
        QVERIFY2(year.contains(QLatin1String("SEARCH s USING INDEX sqlite_autoindex_rihuizong_nianheji_1 (nian>? AND nian<")),
                 qPrintable(year));
        const QString totals = ViewDeclarations::totalsStatement(QStringLiteral("会员消费排行"), gold);
        const QString totalsPlan = plan(totals, gold.values).join('\n');
        QVERIFY2(totalsPlan.contains(QLatin1String("SEARCH s USING COVERING INDEX idx_rihuizong_huiyuan_nian_"))
                     && totalsPlan.contains(QLatin1String("(nian>? AND nian<")) && !totalsPlan.contains(QLatin1String("GROUP BY")),
                 qPrintable(totalsPlan + "\n" + totals));
        for (const ViewFilter &list : {f, gold}) {
            const QString sql = ViewDeclarations::statement(base(QStringLiteral("会员消费排行")), QStringLiteral("会员消费排行"), list);
            const QString lines = plan(sql, list.values).join('\n');
            QVERIFY2(lines.contains(QLatin1String("SEARCH s USING COVERING INDEX idx_rihuizong_huiyuan_nian_paiming (nian=?)"))
                         && !lines.contains(QLatin1String("GROUP BY")) && !lines.contains(QLatin1String("TEMP B-TREE")),
                     qPrintable(lines + "\n" + sql));
        }
    }
    const ViewFilter month = ReportQuery::consumptionRanking(QStringLiteral("本月"), "", "", "", QStringLiteral("所有"));
    QVERIFY(!ViewDeclarations::statement(base(QStringLiteral("会员消费排行")), QStringLiteral("会员消费排行"), month)
                 .contains(QLatin1String("rihuizong_huiyuan_nian")));
}

void TestPlans::documentsStreamFromTheirDays()
{
    for (const QString &period : {QStringLiteral("本年"), QStringLiteral("其他"), QString()}) {
        const ViewFilter f = ReportQuery::consumptionStats(period, QStringLiteral("2026-01-01"), QStringLiteral("2026-12-31"),
                                                           "", "", QStringLiteral("所有"));
        const QString sql = ViewDeclarations::statement(base(QStringLiteral("消费统计")), QStringLiteral("消费统计"), f);
        const QString lines = plan(sql, f.values).join('\n');
        QVERIFY2(lines.contains(QLatin1String("USING INDEX idx_rihuizong_danju_shijian")) && !lines.contains(QLatin1String("TEMP B-TREE")),
                 qPrintable(lines + "\n" + sql));
    }
}

// The cash-register detail is a view of the period's records: its first screen comes
// from the two date indexes merged in date order, with nothing copied or sorted.
void TestPlans::cashDetailStreamsTheRecords()
{
    QVERIFY(ReportQuery::fillCashDetail(QStringLiteral("2026-01-01"), QStringLiteral("2026-12-31")));
    const ViewFilter f = ReportQuery::cashDetail(QStringLiteral("2026-01-01"), QStringLiteral("2026-12-31"),
                                                 QStringLiteral("所有"));
    const QString sql = ViewDeclarations::statement(base(QStringLiteral("收银明细查询")), QStringLiteral("收银明细查询"), f);
    const QString lines = plan(sql, f.values).join('\n');
    QVERIFY2(lines.contains(QLatin1String("MERGE (UNION ALL)")) && !lines.contains(QLatin1String("TEMP B-TREE"))
                 && lines.contains(QLatin1String("SEARCH a USING INDEX idx_huiyuanjiaofei_jiaofeiriqi"))
                 && lines.contains(QLatin1String("SEARCH a USING INDEX idx_huiyuanxiaofei_xiaofeiriqi")),
             qPrintable(lines + "\n" + sql));
}

// The same on the server, as a list there asks for its first rows. With the
// period on each arm of the union the server could not merge the two date
// indexes and sorted every record of the period (100 ms for a year at a
// large shop); kept off sorts, the test shop shows whether a merge is there.
void TestPlans::serverCashDetailStreamsTheRecords()
{
    QVERIFY(ReportQuery::fillCashDetail(QStringLiteral("2026-01-01"), QStringLiteral("2026-12-31")));
    const ViewFilter f = ReportQuery::cashDetail(QStringLiteral("2026-01-01"), QStringLiteral("2026-12-31"),
                                                 QStringLiteral("所有"));
    const QString sql = ViewDeclarations::statement(base(QStringLiteral("收银明细查询")), QStringLiteral("收银明细查询"), f);
    QSqlQuery q;
    QVERIFY(q.exec(QStringLiteral("SET enable_seqscan = off")));
    QVERIFY(q.exec(QStringLiteral("SET enable_sort = off")));
    const QString plan = serverPlan(ListModel::firstRowsOf(sql), f.values);
    QVERIFY(q.exec(QStringLiteral("RESET enable_sort")));
    QVERIFY(q.exec(QStringLiteral("RESET enable_seqscan")));
    QVERIFY2(plan.contains(QLatin1String("Merge Append")) && !plan.contains(QLatin1String("->  Sort"))
                 && plan.contains(QLatin1String("idx_huiyuanjiaofei_jiaofeiriqi"))
                 && plan.contains(QLatin1String("idx_huiyuanxiaofei_xiaofeiriqi")),
             qPrintable(plan));
}

// 会员套餐排行 of a period and its 合计 read the package payments' days alone, from
// the index by kind (the period's days of every kind were read to keep a few hundred).
void TestPlans::packageRankingReadsItsKindsDays()
{
    for (const QString &period : {QStringLiteral("本年"), QStringLiteral("本月")}) {
        const ViewFilter f = ReportQuery::packageRanking(period, QString(), QString(), QStringLiteral("所有"));
        for (const QString &sql : {ViewDeclarations::statement(base(QStringLiteral("会员套餐排行")), QStringLiteral("会员套餐排行"), f),
                                   ViewDeclarations::totalsStatement(QStringLiteral("会员套餐排行"), f)}) {
            const QString lines = plan(sql, f.values).join('\n');
            QVERIFY2(lines.contains(QLatin1String("SEARCH s USING COVERING INDEX idx_rihuizong_jiaofei_leixing (leixing=? AND riqi>? AND riqi<?)")),
                     qPrintable(lines + "\n" + sql));
        }
    }
}

// 会员套餐排行 of a year of every member: the few hundred members who paid for
// a package are named one by one, no member row is joined (the server hashed
// every member of the shop for them).
void TestPlans::serverPackageRankingJoinsNoMember()
{
    const ViewFilter f = ReportQuery::packageRanking(QStringLiteral("本年"), QString(), QString(), QStringLiteral("所有"));
    const QString plan = serverPlan(ListModel::firstRowsOf(ViewDeclarations::statement(base(QStringLiteral("会员套餐排行")),
                                                                                       QStringLiteral("会员套餐排行"), f)),
                                    f.values);
    QVERIFY2(plan.contains(QLatin1String("rihuizong_jiaofei")) && !plan.contains(QLatin1String("Join"))
                 && !plan.contains(QLatin1String("huiyuanjiaofei")),
             qPrintable(plan));
}

// 服务消费分析→明细's 合计 of a period: the item's days from the lines per day and
// item, not every line of the period's documents read to find the item's.
static QList<QPair<QString, ViewFilter>> analysisDetailTotals()
{
    QList<QPair<QString, ViewFilter>> read;
    for (const QString &period : {QStringLiteral("本年"), QStringLiteral("其他")})
        for (const char *master : {"服务消费分析", "产品消费分析"}) {
            const ViewFilter f = ReportQuery::documentsOfPeriod(period, QStringLiteral("2026-01-01"), QStringLiteral("2026-12-31"))
                                 + *ReportQuery::drillDown(QString::fromUtf8(master), {{QStringLiteral("项目编号"), QStringLiteral("S1")},
                                                                                      {QStringLiteral("产品编号"), QStringLiteral("P1")}});
            read << qMakePair(ViewDeclarations::totalsStatement(ReportQuery::detailViewOf(QString::fromUtf8(master)), f), f);
        }
    return read;
}

void TestPlans::analysisDetailTotalsReadTheItemsDays()
{
    for (const auto &[sql, f] : analysisDetailTotals()) {
        const QString lines = plan(sql, f.values).join('\n');
        QVERIFY2(lines.contains(QLatin1String("SEARCH a USING INDEX idx_rihuizong_xiangmu_fenxi (leixing=? AND riqi>? AND riqi<"))
                     && !sql.contains(QLatin1String("xiaofeimingxi")),
                 qPrintable(lines + "\n" + sql));
    }
}

void TestPlans::serverAnalysisDetailTotalsReadTheItemsDays()
{
    QSqlQuery q;
    QVERIFY(q.exec(QStringLiteral("SET enable_seqscan = off")));
    for (const auto &[sql, f] : analysisDetailTotals()) {
        const QString plan = serverPlan(sql, f.values);
        QVERIFY2(plan.contains(QLatin1String("rihuizong_xiangmu")) && plan.contains(QLatin1String("riqi >="))
                     && !plan.contains(QLatin1String("xiaofeimingxi")),
                 qPrintable(plan));
    }
    QVERIFY(q.exec(QStringLiteral("RESET enable_seqscan")));
}

// 会员交费统计 of a year: the year's rows per member from their index by amount, no payment row.
static QString paymentsOfAYear(ViewFilter *f)
{
    *f = ReportQuery::paymentStats(QStringLiteral("本年"), QString(), QString(), QString(), QString(), QStringLiteral("所有"),
                                   QStringLiteral("所有"));
    return ViewDeclarations::statement(base(QStringLiteral("会员交费统计")), QStringLiteral("会员交费统计"), *f);
}

void TestPlans::paymentsOfAYearReadTheirYears()
{
    ViewFilter f;
    const QString sql = paymentsOfAYear(&f);
    const QString lines = plan(sql, f.values).join('\n');
    QVERIFY2(lines.contains(QLatin1String("SEARCH s USING COVERING INDEX idx_rihuizong_jiaofei_nian_paiming (nian=?)"))
                 && lines.contains(QLatin1String("SEARCH b USING")) && !lines.contains(QLatin1String("TEMP B-TREE"))
                 && !sql.contains(QLatin1String("huiyuanjiaofei")),
             qPrintable(lines + "\n" + sql));
}

void TestPlans::serverPaymentsOfAYearReadTheirYears()
{
    // The first screen, as the list asks it there, of 会员交费统计 and 会员消费排行 of the year:
    // the year's index by amount, nothing sorted.
    QSqlQuery q;
    QVERIFY(q.exec(QStringLiteral("SET enable_seqscan = off")));
    QVERIFY(q.exec(QStringLiteral("SET enable_sort = off")));
    ViewFilter f;
    const QString payments = serverPlan(ListModel::firstRowsOf(paymentsOfAYear(&f)), f.values);
    const ViewFilter r = ReportQuery::consumptionRanking(QStringLiteral("本年"), QString(), QString(), "", QStringLiteral("所有"));
    const QString ranking = serverPlan(
        ListModel::firstRowsOf(ViewDeclarations::statement(base(QStringLiteral("会员消费排行")), QStringLiteral("会员消费排行"), r)),
        r.values);
    QVERIFY(q.exec(QStringLiteral("RESET enable_sort")));
    QVERIFY(q.exec(QStringLiteral("RESET enable_seqscan")));
    QVERIFY2(payments.contains(QLatin1String("idx_rihuizong_jiaofei_nian_paiming")) && payments.contains(QLatin1String("nian ="))
                 && !payments.contains(QLatin1String("Sort")) && !payments.contains(QLatin1String("huiyuanjiaofei")),
             qPrintable(payments));
    QVERIFY2(ranking.contains(QLatin1String("idx_rihuizong_huiyuan_nian_paiming")) && ranking.contains(QLatin1String("nian ="))
                 && !ranking.contains(QLatin1String("Sort")) && !ranking.contains(QLatin1String("huiyuanxiaofei")),
             qPrintable(ranking));
}

QTEST_MAIN(TestPlans)
// The front desk's reads of a member (the search with the panel's booking line
// and warnings, the member's sales list) keep one plan on the server. Values
// the server sees when it plans (a phone number's range, the limit, the
// member) made it plan them anew at every search: most of their time there.
void TestPlans::serverDeskReadsKeepOnePlan()
{
    sqlExec(QStringLiteral("with recursive n(i) as (select 1 union all select i+1 from n where i<2000) "
                           "insert into huiyuan(ID,name,phone,shengyujine,jifen) select 'M'||substr(cast(100000+i as text),2), "
                           "substr('王李张刘陈',i%5+1,1)||substr('伟芳娜敏静丽强磊军洋',i/5%10+1,1), "
                           "'139'||substr(cast(100000000+i as text),2), 0, 0 from n"));
    sqlExec(QStringLiteral("ANALYZE"));
    const ViewDeclaration *sales = ViewDeclarations::find(QStringLiteral("会员消费"));
    QVERIFY(sales);
    const ViewFilter f = sales->memberFilter(QStringLiteral("M00042"));
    const QString list = ListModel::firstRowsOf(ViewDeclarations::statement(base(sales->name), sales->name, f));
    for (int i = 0; i < 8; ++i) {
        const QList<MemberSummary> found = MemberSummary::find(QStringLiteral("13900000042"), 2);
        QCOMPARE(found.size(), 1);
        QCOMPARE(found.first().id, QStringLiteral("M00042"));
        LedgerSql::rows(list, f.values);
    }
    // The server's own count of the plans it used for each kept statement of this session.
    int searched = 0;
    int listed = 0;
    for (const QStringList &r : sqlRows(QStringLiteral("select statement, generic_plans from pg_prepared_statements order by name"))) {
        const QString text = r.value(0);
        if (text.contains(QLatin1String("with v(t, upto, lim)")))
            searched = r.value(1).toInt();
        else if (text.contains(QLatin1String("from huiyuanxiaofei where")) && text.contains(QLatin1String("(select cast($1 as text))")))
            listed = r.value(1).toInt();
    }
    QVERIFY2(searched >= 2, qPrintable(QString::number(searched)));
    QVERIFY2(listed >= 2, qPrintable(QString::number(listed)));
}

#include "tst_plans.moc"
