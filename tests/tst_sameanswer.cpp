#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardItemModel>
#include <QTableView>
#include <QtTest>
#include <algorithm>
#include <cmath>

#include "ctrluiclass.h"
#include "dbsetconfig.h"
#include "enginedriver.h"
#include "ownerfigures.h"
#include "reportquery.h"
#include "shopgenerator.h"
#include "enginedriver.h"
#include "sqltext.h"
#include "takingsread.h"
#include "takingstree.h"
#include "viewdeclarations.h"
#include "testsupport.h"

// The statements are written once for both engines: on one generated shop,
// every list of dbset.xml as the windows run it (whole history, default
// condition, a month, one member's front-desk lists), every 合计 and the
// takings tree give the same answers on the file and, moved there, on the
// server (MOCHEN_TEST_PG). Without a server the file's answers are checked
// alone: every statement runs and every 合计 counts the rows of its list.
class TestSameAnswer : public QObject
{
    Q_OBJECT
private slots:
    void listsTotalsAndTakings();
};

namespace {

const QDate kEnd(2026, 3, 31);

struct Asked
{
    QString name;
    QString sql;
    QVariantList values;
    QString list; // the list whose 合计 this is (empty for a list)
};

// A number as both engines print it (7, 7.0 and 7.00 are one answer; SQLite's
// float sums carry noise in the last places); a cell that joins several values
// (付款方式 "现金,储蓄卡") in the order the engine met them is sorted.
QString cell(const QVariant &v)
{
    if (v.isNull())
        return QStringLiteral("∅");
    const QString t = v.toString();
    bool number = false;
    const double d = t.toDouble(&number);
    if (number && std::isfinite(d))
        return QString::number(std::round(d * 10000) / 10000, 'f', 4);
    if (t.contains(QLatin1Char(',')) || t.contains(QLatin1Char('+'))) {
        QStringList parts = t.split(QRegularExpression(QStringLiteral("[,+]")));
        parts.sort();
        return parts.join(QLatin1Char(','));
    }
    return t;
}

// The rows as a sorted list: the order of rows the statement leaves open
// (ties) is no answer.
QStringList answer(const Asked &a, QString *error)
{
    QSqlQuery q;
    q.setForwardOnly(true);
    if (!q.prepare(a.sql)) {
        *error = q.lastError().text();
        return {};
    }
    for (int i = 0; i < a.values.size(); ++i)
        q.bindValue(i, a.values.at(i));
    if (!q.exec()) {
        *error = q.lastError().text();
        return {};
    }
    QStringList rows;
    while (q.next()) {
        QStringList r;
        for (int c = 0; c < q.record().count(); ++c)
            r << cell(q.value(c));
        rows << r.join(QStringLiteral(" | "));
    }
    rows.sort();
    return rows;
}

// The member with the most sales: their front-desk lists have rows.
QString busiestMember()
{
    QSqlQuery q;
    q.exec(QStringLiteral("select huiyuanid from huiyuanxiaofei where huiyuanid<>'0000' group by huiyuanid "
                          "order by count(*) desc, huiyuanid limit 1"));
    return q.next() ? q.value(0).toString() : QString();
}

// The analyses per item, read from the lines per day and item.
const QStringList kAnalyses = {QStringLiteral("服务消费分析"), QStringLiteral("产品消费分析")};

// Each analysis gives the same rows from its summary as from the lines, for
// every day and for a month.
QStringList summaryAgainstRows(const QMap<QString, QStringList> &answers)
{
    QStringList differ;
    for (const QString &list : kAnalyses)
        for (const QString &period : {QStringLiteral("全部"), QStringLiteral("本月")}) {
            const QString key = list + QLatin1Char('/') + period;
            if (answers.value(key).isEmpty() || answers.value(key) != answers.value(key + QStringLiteral("/行")))
                differ << key + QStringLiteral(": ") + answers.value(key).join(QLatin1Char(';')) + QStringLiteral(" / ")
                              + answers.value(key + QStringLiteral("/行")).join(QLatin1Char(';'));
        }
    // 员工业绩 from the work per document and employee.
    for (const QString &period : {QStringLiteral("全部"), QStringLiteral("本月")}) {
        const QString key = QStringLiteral("员工业绩/") + period;
        if (answers.value(key).isEmpty() || answers.value(key) != answers.value(key + QStringLiteral("/行")))
            differ << key + QStringLiteral(": ") + answers.value(key).join(QLatin1Char(';')) + QStringLiteral(" / ")
                          + answers.value(key + QStringLiteral("/行")).join(QLatin1Char(';'));
    }
    // 消费明细's 合计 of a month from the same cells.
    const QStringList fromCells = answers.value(QStringLiteral("统计消费明细/本月/合计"));
    if (fromCells.isEmpty() || fromCells != answers.value(QStringLiteral("统计消费明细/本月/行/合计")))
        differ << QStringLiteral("统计消费明细/本月/合计: ") + fromCells.join(QLatin1Char(';')) + QStringLiteral(" / ")
                      + answers.value(QStringLiteral("统计消费明细/本月/行/合计")).join(QLatin1Char(';'));
    // The 合计 of a month from the payments per member and day and from the
    // ledgers' days, as from the rows.
    for (const char *list : {"会员交费统计/本月/汇总/合计|会员交费统计/本月/合计", "会员套餐排行/本月/汇总/合计|会员套餐排行/本月/合计",
                             "积分变动/本月/合计|积分变动/本月/行/合计", "余额变动/本月/合计|余额变动/本月/行/合计",
                             "会员消费排行/本年/汇总/合计|会员消费排行/本年/会员汇总/合计",
                             "会员交费统计/本年/汇总/合计|会员交费统计/本年/会员汇总/合计"}) {
        const QStringList keys = QString::fromUtf8(list).split(QLatin1Char('|'));
        const QStringList summed = answers.value(keys.at(0)), rows = answers.value(keys.at(1));
        if (summed.isEmpty() || summed.value(0).startsWith(QStringLiteral("0.0000")) || summed != rows)
            differ << keys.at(0) + QStringLiteral(": ") + summed.join(QLatin1Char(';')) + QStringLiteral(" / ")
                          + rows.join(QLatin1Char(';'));
    }
    // 会员套餐排行 of a month of every member, from the same days: the same rows.
    const QStringList packages = answers.value(QStringLiteral("会员套餐排行/本月/汇总"));
    if (packages.isEmpty() || packages != answers.value(QStringLiteral("会员套餐排行/本月")))
        differ << QStringLiteral("会员套餐排行/本月/汇总: ") + packages.join(QLatin1Char(';')) + QStringLiteral(" / ")
                      + answers.value(QStringLiteral("会员套餐排行/本月")).join(QLatin1Char(';'));
    return differ;
}

// 员工业绩 of a period from the work per document and employee, and from the
// records: each line credited once per employee, its item's money shared among
// the item's lines, a walk-in sale a customer of its own, a sale on the day of
// its first header row, no void and no voided sale.
QStringList stylists(const QDate &from, const QDate &to)
{
    QStringList out;
    for (const StylistFigures &f : OwnerFigures::stylists(from, to))
        out << QStringLiteral("%1 | %2 | %3 | %4 | %5 | %6").arg(f.employeeId, f.name).arg(f.services).arg(f.takingsCents)
                   .arg(f.customers).arg(f.requested);
    out.sort();
    return out;
}

QStringList stylistsFromRecords(const QDate &from, const QDate &to)
{
    const QString sql = QStringLiteral(
        "WITH lines AS (SELECT t.xiaofeiID AS ID, coalesce(t.yuangongID,'') AS yg, coalesce(max(t.xiangmuID),'') AS xm, "
        "max(CASE WHEN t.tichengfangshi='点单提成' THEN 1 ELSE 0 END) AS dd FROM tichengmingxi t WHERE t.beizhu='消费提成' "
        "GROUP BY t.xiaofeiID, coalesce(t.yuangongID,''), t.titleID), "
        "docs AS (SELECT a.ID AS ID, CASE WHEN coalesce(a.huiyuanid,'') IN ('','0000') THEN '散客:' || a.ID ELSE a.huiyuanid END AS kehu "
        "FROM huiyuanxiaofei a WHERE a.rowid = (SELECT min(e.rowid) FROM huiyuanxiaofei e WHERE e.ID=a.ID) "
        "AND a.xiaofeiriqi >= '%1 00:00:00' AND a.xiaofeiriqi <= '%2 23:59:59' "
        "AND NOT EXISTS (SELECT 1 FROM xiaofeizuofei z WHERE z.ID=a.ID OR z.zuofeiID=a.ID) "
        "AND EXISTS (SELECT 1 FROM huiyuanxiaofei e WHERE e.ID=a.ID AND NOT (coalesce(e.beizhu,'')='会员还款' AND coalesce(e.xiaofeijine,0)=0))), "
        "money AS (SELECT m.ID AS ID, coalesce(m.xiangmuID,'') AS xm, sum(CAST(round(coalesce(m.jine,0)*100) AS INTEGER)) AS fen, "
        "count(*) AS n FROM xiaofeimingxi m GROUP BY m.ID, coalesce(m.xiangmuID,'')) "
        "SELECT l.yg, coalesce((SELECT max(y.name) FROM yuangong y WHERE y.ID=l.yg),''), count(*), "
        "sum(coalesce(CAST(round(g.fen*1000.0/g.n) AS BIGINT),0)), count(DISTINCT d.kehu), count(DISTINCT CASE WHEN l.dd=1 THEN d.kehu END) "
        "FROM lines l JOIN docs d ON d.ID=l.ID LEFT JOIN money g ON g.ID=l.ID AND g.xm=l.xm GROUP BY l.yg ORDER BY l.yg")
                            .arg(from.toString(Qt::ISODate), to.toString(Qt::ISODate));
    QStringList out;
    for (const QStringList &r : sqlRows(sql))
        out << QStringLiteral("%1 | %2 | %3 | %4 | %5 | %6").arg(r.value(0), r.value(1).isEmpty() ? r.value(0) : r.value(1), r.value(2))
                   .arg(qRound64(r.value(3).toDouble() / 1000.0)).arg(r.value(4), r.value(5));
    out.sort();
    return out;
}

QList<Asked> everything()
{
    const DbsetMap map = readDbset();
    const QString member = busiestMember();
    const QString monthStart = QStringLiteral("2026-03-01");
    const QString monthEnd = kEnd.toString(Qt::ISODate);
    const QStringList memberLists = {QStringLiteral("会员消费"), QStringLiteral("会员交费"), QStringLiteral("会员套餐"),
                                     QStringLiteral("会员积分"), QStringLiteral("会员余额变动")};
    QList<Asked> out;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        if (it.value().userType() != qMetaTypeId<TableViewinfo>())
            continue;
        const QString name = it.key();
        const QString base = it.value().value<TableViewinfo>().SqlStr;
        const ViewDeclaration *d = ViewDeclarations::find(name);
        // The lists of a dialog's working tables are empty here; they run all the same.
        if (!d) {
            out << Asked{name, base, {}, {}};
            continue;
        }
        QList<QPair<QString, ViewFilter>> filters = {{QStringLiteral("全部"), ViewFilter()},
                                                     {QStringLiteral("默认"), d->defaultFilter()}};
        if (kAnalyses.contains(name)) {
            // From the lines per day and item, and from the lines themselves.
            filters << qMakePair(QStringLiteral("本月"),
                                 ReportQuery::itemsOfPeriod(ReportQuery::dateFilter(QStringLiteral("其他"), d->summaryDate,
                                                                                    monthStart, monthEnd),
                                                            ViewFilter()))
                    << qMakePair(QStringLiteral("全部/行"), ViewFilter(QStringLiteral("1=1")))
                    << qMakePair(QStringLiteral("本月/行"),
                                 ReportQuery::salesOfPeriod(QStringLiteral("其他"), monthStart, monthEnd)
                                     + ViewFilter(QStringLiteral("1=1")));
        } else if (!d->summaryDate.isEmpty()) {
            const ViewFilter month = ReportQuery::dateFilter(QStringLiteral("其他"), d->summaryDate, monthStart, monthEnd);
            filters << qMakePair(QStringLiteral("本月"), month);
            // A 合计 that a summary answers for the list's own first-row condition:
            // the same from the rows.
            if (d->summaryHasFixed)
                filters << qMakePair(QStringLiteral("本月/行"), month + ViewFilter(QStringLiteral("1=1")));
            // A ranking's month as its page asks it: from the summary per member and day.
            if (!d->memberTotals.isEmpty()) {
                ViewFilter bySummary = month;
                bySummary.memberSummary = true;
                bySummary.memberPeriodOf = d->summaryDate;
                filters << qMakePair(QStringLiteral("本月/汇总"), bySummary);
            }
            // A year of every member from its one row, and from the members' years.
            if (!d->yearTotals.isEmpty()) {
                ViewFilter year = ReportQuery::dateFilter(QStringLiteral("其他"), d->summaryDate, QStringLiteral("2026-01-01"),
                                                          QStringLiteral("2026-12-31"));
                year.memberSummary = true;
                year.memberPeriodOf = d->summaryDate;
                ViewFilter members = year + ViewFilter(QStringLiteral("1=1"));
                members.memberSummary = true;
                members.memberPeriodOf = d->summaryDate;
                filters << qMakePair(QStringLiteral("本年/汇总"), year) << qMakePair(QStringLiteral("本年/会员汇总"), members);
            }
        }
        if (memberLists.contains(name))
            filters << qMakePair(QStringLiteral("会员"),
                                 ViewFilter(name == QStringLiteral("会员套餐") ? QStringLiteral("a.huiyuanID=?")
                                                                              : QStringLiteral("huiyuanid=?"),
                                            {member}));
        for (const auto &f : filters) {
            const QString label = name + QLatin1Char('/') + f.first;
            out << Asked{label, ViewDeclarations::statement(base, name, f.second), f.second.values, {}};
            const QString totals = ViewDeclarations::totalsStatement(name, f.second);
            if (!totals.isEmpty())
                out << Asked{label + QStringLiteral("/合计"), totals, f.second.values, out.last().sql};
        }
    }
    return out;
}

// "收银总计/现金" → "1234.5" for every line of the tree.
QStringList takings(const QString &from, const QString &to)
{
    QStandardItemModel model;
    TakingsTree::build(&model, TakingsRead::period(from, to));
    QStringList out;
    for (int r = 0; r < model.rowCount(); ++r) {
        const QString top = model.item(r, 0)->text();
        out << top + QStringLiteral(" = ") + cell(model.item(r, 1)->text());
        for (int c = 0; c < model.item(r, 0)->rowCount(); ++c)
            out << top + QLatin1Char('/') + model.item(r, 0)->child(c, 0)->text() + QStringLiteral(" = ")
                       + cell(model.item(r, 0)->child(c, 1)->text());
    }
    return out;
}

using Answers = QMap<QString, QStringList>;

// Long lists as a window shows them: how many rows the first read brings (a
// server must not ship the whole result for a screenful), then every row once
// the list is scrolled to its end, each exactly once.
const char *const kLongLists[] = {"消费统计", "统计消费明细", "会员积分"};

Answers shownLists(QMap<QString, int> *firstRead)
{
    Answers out;
    for (const char *list : kLongLists) {
        const QString name = QString::fromUtf8(list);
        ctrlUiClass ctrl;
        QTableView view;
        ctrl.bindView(readDbset(), &view, name);
        ctrl.refreshView(name, ViewFilter());
        firstRead->insert(name, ctrl.viewRowCount(name));
        // Scrolled to its end first: the rows of the first read may stand in
        // another order among those that sort alike once the whole is read.
        ctrl.rowValues(name, 1 << 30);
        QStringList rows;
        for (QStringList values = ctrl.rowValues(name, 0); !values.isEmpty(); values = ctrl.rowValues(name, rows.size())) {
            QStringList cells;
            for (const QString &v : qAsConst(values))
                cells << cell(v);
            rows << cells.join(QStringLiteral(" | "));
        }
        rows.sort();
        out.insert(name, rows);
    }
    return out;
}

// Each long list reads its first screenfuls only and then, scrolled, as many
// rows as its statement gives.
void checkShown(const Answers &shown, const QMap<QString, int> &firstRead, const Answers &statements)
{
    for (const char *list : kLongLists) {
        const QString name = QString::fromUtf8(list);
        const int all = statements.value(name + QStringLiteral("/全部")).size();
        QVERIFY2(all > 256, list); // the shop is large enough for the list to be read in parts
        QCOMPARE(firstRead.value(name), 256);
        QCOMPARE(shown.value(name).size(), all);
    }
}

Answers askAll(const QList<Asked> &asked, QStringList *failures)
{
    createTables(); // the working tables of the lists and the tree
    Answers out;
    for (const Asked &a : asked) {
        QString error;
        const QStringList rows = answer(a, &error);
        if (!error.isEmpty())
            *failures << a.name + QStringLiteral("：") + error;
        out.insert(a.name, rows);
    }
    out.insert(QStringLiteral("综合统计/全部"), takings(QStringLiteral("2000-01-01"), QStringLiteral("2099-12-31 23:59:59")));
    const QDate first(2000, 1, 1), last(2099, 12, 31), month(kEnd.year(), kEnd.month(), 1);
    out.insert(QStringLiteral("员工业绩/全部"), stylists(first, last));
    out.insert(QStringLiteral("员工业绩/全部/行"), stylistsFromRecords(first, last));
    out.insert(QStringLiteral("员工业绩/本月"), stylists(month, kEnd));
    out.insert(QStringLiteral("员工业绩/本月/行"), stylistsFromRecords(month, kEnd));
    out.insert(QStringLiteral("综合统计/一天"), takings(kEnd.toString(Qt::ISODate), kEnd.toString(Qt::ISODate) + QStringLiteral(" 23:59:59")));
    return out;
}

// The summaries' reads find their rows by their indexes on this engine (on the
// server with sequential scans priced out: a small shop's tables are read whole
// otherwise): the statement, the index it must name.
QStringList summaryReadsMissTheirIndexes()
{
    const QString year = QString::number(kEnd.year());
    const ViewFilter commissions = ReportQuery::commissions(QStringLiteral("本年"), "", "", QStringLiteral("所有"));
    const ViewFilter lines = ReportQuery::commissionLines(QStringLiteral("其他"), year + QStringLiteral("-01-01"), kEnd.toString(Qt::ISODate))
                             + ViewFilter(QStringLiteral("s.yuangongid=?"), {QStringLiteral("E01")});
    const ViewFilter ranking = ReportQuery::consumptionRanking(QStringLiteral("其他"), year + QStringLiteral("-01-01"),
                                                               year + QStringLiteral("-12-31"), "", QStringLiteral("所有"));
    const ViewFilter gold = ReportQuery::consumptionRanking(QStringLiteral("其他"), year + QStringLiteral("-01-01"),
                                                            year + QStringLiteral("-12-31"), "", QStringLiteral("金卡"));
    const DbsetMap map = readDbset();
    const auto base = [&map](const char *list) {
        return dbsetEntry<TableViewinfo>(map, QString::fromUtf8(list)).SqlStr;
    };
    const QList<Asked> reads = {
        {QStringLiteral("idx_rihuizong_ticheng_yuangong"), ViewDeclarations::statement(base("员工提成"), QStringLiteral("员工提成"), commissions), commissions.values, {}},
        {QStringLiteral("idx_rihuizong_ticheng_yuangong"), ViewDeclarations::statement(base("提成明细"), QStringLiteral("提成明细"), lines), lines.values, {}},
        {QStringLiteral("idx_rihuizong_ticheng_yuangong"), ViewDeclarations::totalsStatement(QStringLiteral("提成明细"), lines), lines.values, {}},
        // (In which of the year's indexes: tst_plans, by the size of the shop.)
        {QStringLiteral("idx_rihuizong_huiyuan_nian_"), ViewDeclarations::statement(base("会员消费排行"), QStringLiteral("会员消费排行"), ranking), ranking.values, {}},
        {QStringLiteral("rihuizong_nianheji_"), ViewDeclarations::totalsStatement(QStringLiteral("会员消费排行"), ranking), ranking.values, {}},
        {QStringLiteral("idx_rihuizong_huiyuan_nian_"), ViewDeclarations::totalsStatement(QStringLiteral("会员消费排行"), gold), gold.values, {}},
        {QStringLiteral("idx_rihuizong_yeji_riqi"), OwnerFigures::stylistsStatement(),
         OwnerFigures::stylistsValues(QDate(kEnd.year(), 1, 1), QDate(kEnd.year(), 12, 31)), {}},
    };
    const bool server = EngineDriver::current().isServer();
    QSqlQuery q;
    if (server)
        q.exec(QStringLiteral("SET enable_seqscan = off"));
    QStringList missed;
    for (const Asked &r : reads) {
        QStringList plan;
        bool ran = false;
        if (server) {
            // The server explains no prepared statement: the values are written in.
            const QStringList parts = r.sql.split(QLatin1Char('?'));
            QString sql = parts.first();
            for (int i = 1; i < parts.size(); ++i)
                sql += sqlLiteral(r.values.value(i - 1).toString()) + parts.at(i);
            ran = q.exec(QStringLiteral("EXPLAIN ") + sql);
        } else if (q.prepare(QStringLiteral("EXPLAIN QUERY PLAN ") + r.sql)) {
            for (int i = 0; i < r.values.size(); ++i)
                q.bindValue(i, r.values.at(i));
            ran = q.exec();
        }
        while (ran && q.next())
            plan << q.value(server ? 0 : 3).toString();
        if (!plan.join(QLatin1Char('\n')).contains(r.name, Qt::CaseInsensitive))
            missed << r.name + QStringLiteral(" not in the plan of ") + r.sql + QStringLiteral("\n") + plan.join(QLatin1Char('\n'))
                          + q.lastError().text();
    }
    if (server)
        q.exec(QStringLiteral("RESET enable_seqscan"));
    return missed;
}

} // namespace

void TestSameAnswer::listsTotalsAndTakings()
{
    const QString server = qEnvironmentVariable("MOCHEN_TEST_PG");
    TestWorkdir wd(false);

    // The shop in its own SQLite file: a small generated history ending on kEnd.
    const QString fileShop = wd.openFileShop();
    QVERIFY(!fileShop.isEmpty());
    ShopScale scale;
    scale.name = QStringLiteral("same-answer");
    scale.members = 80;
    scale.days = 75;
    scale.sales = 500;
    scale.topups = 60;
    scale.renewals = 20;
    scale.serviceItems = 12;
    scale.products = 8;
    scale.employees = 4;
    ShopGenerator gen(scale, 11, kEnd);
    QString error;
    QVERIFY2(gen.run(&error), qPrintable(error));

    const QList<Asked> asked = everything();
    QVERIFY(asked.size() > 100);
    QStringList failures;
    const Answers file = askAll(asked, &failures);
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));
    // The answers are worth comparing: the main lists have rows, and each 合计
    // counts the rows (or documents) of its list.
    for (const char *busy : {"消费统计/全部", "统计消费明细/全部", "会员消费/会员", "会员余额变动/会员", "消费统计/本月"})
        QVERIFY2(!file.value(QString::fromUtf8(busy)).isEmpty(), busy);
    QVERIFY(file.value(QStringLiteral("综合统计/全部")).join(QLatin1Char(' ')).contains(QStringLiteral("收银总计")));
    QVERIFY2(summaryAgainstRows(file).isEmpty(), qPrintable(summaryAgainstRows(file).join(QLatin1Char('\n'))));
    QVERIFY2(summaryDifferences().isEmpty(), qPrintable(summaryDifferences()));
    QCOMPARE(file.value(QStringLiteral("消费统计/全部/合计")).value(0).section(QStringLiteral(" | "), 0, 0),
             cell(file.value(QStringLiteral("消费统计/全部")).size()));
    QVERIFY2(summaryReadsMissTheirIndexes().isEmpty(), qPrintable(summaryReadsMissTheirIndexes().join(QLatin1Char('\n'))));
    QMap<QString, int> fileFirst;
    const Answers fileShown = shownLists(&fileFirst);
    checkShown(fileShown, fileFirst, file);
    if (QTest::currentTestFailed())
        return;

    if (server.isEmpty())
        QSKIP("the server's answers need a server (MOCHEN_TEST_PG, see scripts/test-pg.sh)");

    // Moved with the owner's command into this test's schema, then asked again.
    wd.migrateToServer(fileShop);
    if (QTest::currentTestFailed())
        return;
    const Answers onServer = askAll(asked, &failures);
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));
    QVERIFY2(summaryReadsMissTheirIndexes().isEmpty(), qPrintable(summaryReadsMissTheirIndexes().join(QLatin1Char('\n'))));
    QVERIFY2(summaryAgainstRows(onServer).isEmpty(), qPrintable(summaryAgainstRows(onServer).join(QLatin1Char('\n'))));
    QVERIFY2(summaryDifferences().isEmpty(), qPrintable(summaryDifferences()));
    QMap<QString, int> serverFirst;
    const Answers serverShown = shownLists(&serverFirst);
    checkShown(serverShown, serverFirst, onServer);
    if (QTest::currentTestFailed())
        return;
    for (const char *list : kLongLists) {
        const QStringList there = serverShown.value(QString::fromUtf8(list));
        const QStringList here = fileShown.value(QString::fromUtf8(list));
        int i = 0;
        while (i < here.size() && i < there.size() && here.at(i) == there.at(i))
            ++i;
        QVERIFY2(there == here, qPrintable(QStringLiteral("%1: file %2 / server %3").arg(QString::fromUtf8(list), here.value(i), there.value(i))));
    }

    QStringList differ;
    for (auto it = file.cbegin(); it != file.cend(); ++it) {
        const QStringList there = onServer.value(it.key());
        if (there == it.value())
            continue;
        int i = 0;
        while (i < it.value().size() && i < there.size() && it.value().at(i) == there.at(i))
            ++i;
        differ << QStringLiteral("%1: %2 rows on the file, %3 on the server; first difference:\n  file   %4\n  server %5")
                      .arg(it.key())
                      .arg(it.value().size())
                      .arg(there.size())
                      .arg(it.value().value(i), there.value(i));
    }
    QVERIFY2(differ.isEmpty(), qPrintable(differ.join(QLatin1Char('\n'))));
}

QTEST_MAIN(TestSameAnswer)
#include "tst_sameanswer.moc"
