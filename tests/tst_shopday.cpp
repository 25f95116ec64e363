#include <QtTest>

#include "accountbooks.h"
#include "amounts.h"
#include "businesscharts.h"
#include "chartreads.h"
#include "ledgersql.h"
#include "checkoutfixture.h"
#include "deskprocess.h"
#include "reportquery.h"
#include "takingstree.h"
#include "dbsetconfig.h"
#include "enginedriver.h"
#include "ownerfigures.h"
#include "viewdeclarations.h"
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardItemModel>

using namespace checkout_fixture;

// A shop's whole day at two desks, each its own process on the same shop (file
// or server): sales on the card, in cash, split and on credit, top-ups with
// bonus and with debt, a card issue with commission, repayments, a balance
// refund of each kind of member, package refunds onto the card and in cash,
// voids of the other desk's sales, a renewal, and three handovers. Every step
// says here what it moves; the day's end must be the sum of those steps:
// takings of the shop and of each handover, balances, debts, uses, stock,
// commission and points, and the chain check clean.
class TestShopDay : public QObject
{
    Q_OBJECT
private slots:
    void aDayAtTwoDesks();
};

namespace {

const QStringList kDesks = {QStringLiteral("前台1"), QStringLiteral("前台2")};

// One step of the day: the desk that does it, the operation as the desk reads
// it ({LABEL} stands for the document of an earlier step), and what it moves:
// "s:METHOD:CENTS" sales takings, "p:METHOD:CENTS" payment takings,
// "bal:MEMBER:CENTS", "debt:MEMBER:CENTS", "pts:MEMBER:POINTS",
// "com:EMPLOYEE:CENTS", "use:MEMBER:ITEM:USES", "stock:PRODUCT:PIECES".
struct Step
{
    int desk;
    QString label;
    QString operation;
    QString moves;
};

// Takings by source ('s' sales, 'p' payments) and method, in cents.
using Moves = QMap<QString, qint64>;

struct Expected
{
    QMap<QString, qint64> balance, debt, commission;
    QMap<QString, double> points;
    QMap<QString, double> uses, stock;
    Moves shop;
    Moves desk[2];
    QList<QPair<int, Moves>> handovers; // desk, its shift's takings
};

QString op(const QJsonObject &o)
{
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

QJsonObject line(const QString &type, const QString &item, qint64 unit, qint64 qty, const QString &employee = QString(),
                 qint64 commission = 0)
{
    QJsonObject l{{"type", type}, {"item", item}, {"unit", double(unit)}, {"qty", double(qty)}};
    if (!employee.isEmpty()) {
        l.insert("employee", employee);
        l.insert("commission", double(commission));
    }
    return l;
}

QJsonArray pay(std::initializer_list<std::pair<const char *, qint64>> parts)
{
    QJsonArray out;
    for (const auto &p : parts)
        out.append(QJsonArray{QString::fromUtf8(p.first), double(p.second)});
    return out;
}

const QString kService = QStringLiteral("服务项目");
const QString kProduct = QStringLiteral("产品");
const QString kUse = QStringLiteral("套餐消费");

// The day, in the order it happens. Member 1001 (金卡, 500 on the card, 5 uses
// of 烫发 S02 from a card issue with no payment on file, 40 points), 1002
// (普通卡, 80), 2001 issued today; 张三 E01 earns 10 % on 金卡 issues.
QList<Step> theDay()
{
    const auto sale = [](const QString &member, QJsonArray lines, QJsonArray payments, qint64 debt = 0) {
        return op({{"op", "sale"}, {"member", member}, {"lines", lines}, {"payments", payments}, {"debt", double(debt)}});
    };
    return {
        {0, "A1", sale("1001", {line(kService, "S01", 8000, 1, "E01", 800)}, pay({{"储蓄卡", 8000}})),
         "s:储蓄卡:8000 bal:1001:-8000 pts:1001:80 com:E01:800"},
        {1, "B1", sale("1002", {line(kService, "S01", 10000, 1, "E02", 1000)}, pay({{"现金", 6000}}), 4000),
         "s:现金:6000 debt:1002:4000 pts:1002:100 com:E02:1000"},
        {0, "A2",
         op({{"op", "topup"}, {"member", "1002"}, {"paidIn", 100000}, {"bonus", 20000}, {"received", 100000},
             {"method", "现金"}}),
         "p:现金:100000 bal:1002:120000"},
        {1, "B2",
         op({{"op", "issue"}, {"member", "2001"}, {"name", "孙七"}, {"card", "金卡"}, {"employee", "E01"},
             {"price", 50000}, {"received", 30000}, {"method", "现金"}}),
         "p:现金:30000 bal:2001:50000 debt:2001:20000 pts:2001:250 com:E01:5000"},
        // The other desk's sale debt, repaid here.
        {0, "A3", op({{"op", "repay"}, {"doc", "{B1}"}, {"cents", 2000}, {"method", "微信"}}),
         "s:微信:2000 debt:1002:-2000"},
        {1, "B3",
         sale("1001", {line(kUse, "S02", 20000, 1), line(kProduct, "P01", 4500, 2)}, pay({{"储蓄卡", 9000}})),
         "s:储蓄卡:9000 bal:1001:-9000 pts:1001:90 use:1001:S02:-1 stock:P01:-2"},
        {0, "A4",
         op({{"op", "topup"}, {"member", "1001"}, {"paidIn", 50000}, {"bonus", 5000}, {"received", 30000},
             {"method", "现金"}}),
         "p:现金:30000 bal:1001:55000 debt:1001:20000"},
        // A void is the voiding desk's takings, whoever rang the sale up.
        {1, "B4", op({{"op", "void"}, {"sale", "{A1}"}}), "s:储蓄卡:-8000 bal:1001:8000 pts:1001:-80 com:E01:-800"},
        // 1280 on the card: 1080 paid, 200 bonus, 20 owed. The debt is repaid
        // from the card (the sale's takings by the card), 1060 paid out, the
        // bonus kept; a top-up without commission or points has none to give back.
        {0, "A5", op({{"op", "refundBalance"}, {"member", "1002"}, {"taken", 128000}, {"back", 106000}, {"method", "现金"}}),
         "p:现金:-106000 s:储蓄卡:2000 bal:1002:-128000 debt:1002:-2000"},
        // 500 on the card, 200 owed: 200 paid out and the debt repaid from the
        // card (a payment's takings by the card), 400 of the 500 paid in, so
        // 80 % of the commission and points go back.
        {1, "B5", op({{"op", "refundBalance"}, {"member", "2001"}, {"taken", 40000}, {"back", 20000}, {"method", "现金"}}),
         "p:现金:-20000 p:储蓄卡:20000 bal:2001:-40000 debt:2001:-20000 com:E01:-4000 pts:2001:-200"},
        // Onto the card: no money moves, so no takings.
        {0, "A6",
         op({{"op", "refundPackage"}, {"member", "1001"}, {"item", "S02"}, {"uses", 1}, {"back", 20000},
             {"method", "储蓄卡"}}),
         "bal:1001:20000 use:1001:S02:-1"},
        {1, "B6",
         op({{"op", "refundPackage"}, {"member", "1001"}, {"item", "S02"}, {"uses", 1}, {"back", 15000},
             {"method", "现金"}}),
         "p:现金:-15000 use:1001:S02:-1"},
        {0, "A7",
         op({{"op", "renew"}, {"member", "1001"}, {"items", QJsonArray{QJsonArray{"S03", 2}}}, {"due", 30000},
             {"payments", pay({{"现金", 30000}})}}),
         "p:现金:30000 use:1001:S03:2"},
        {0, "A8", op({{"op", "handover"}}), "handover"},
        {0, "A9", sale("0000", {line(kProduct, "P01", 5000, 1)}, pay({{"现金", 5000}})), "s:现金:5000 stock:P01:-1"},
        {1, "B7", op({{"op", "repay"}, {"doc", "{A4}"}, {"cents", 15000}, {"method", "现金"}}),
         "p:现金:15000 debt:1001:-15000"},
        {1, "B8",
         sale("1001", {line(kService, "S01", 8000, 1, "E02", 800)}, pay({{"现金", 4000}, {"储蓄卡", 3000}}), 1000),
         "s:现金:4000 s:储蓄卡:3000 bal:1001:-3000 debt:1001:1000 pts:1001:80 com:E02:800"},
        {0, "A10", op({{"op", "void"}, {"sale", "{B3}"}}),
         "s:储蓄卡:-9000 bal:1001:9000 pts:1001:-90 use:1001:S02:1 stock:P01:2"},
        {0, "A11", op({{"op", "handover"}}), "handover"},
        {1, "B9", op({{"op", "handover"}}), "handover"},
    };
}

// The figures the day starts from, and the sum of every step's moves.
Expected expectedOf(const QList<Step> &steps)
{
    Expected e;
    e.balance = {{"1001", 50000}, {"1002", 8000}, {"2001", 0}};
    e.debt = {{"1001", 0}, {"1002", 0}, {"2001", 0}};
    e.points = {{"1001", 40}, {"1002", 0}, {"2001", 0}};
    e.commission = {{"E01", 0}, {"E02", 0}};
    e.uses = {{"1001:S02", 5}, {"1001:S03", 0}};
    e.stock = {{"P01", 10}};
    Moves shift[2];
    for (const Step &s : steps) {
        if (s.moves == QLatin1String("handover")) {
            e.handovers << qMakePair(s.desk, shift[s.desk]);
            shift[s.desk].clear();
            continue;
        }
        for (const QString &move : s.moves.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QStringList w = move.split(QLatin1Char(':'));
            const QString kind = w.at(0);
            if (kind == "s" || kind == "p") {
                const QString key = kind + QLatin1Char(':') + w.at(1);
                const qint64 cents = w.at(2).toLongLong();
                e.shop[key] += cents;
                e.desk[s.desk][key] += cents;
                shift[s.desk][key] += cents;
            } else if (kind == "bal") {
                e.balance[w.at(1)] += w.at(2).toLongLong();
            } else if (kind == "debt") {
                e.debt[w.at(1)] += w.at(2).toLongLong();
            } else if (kind == "pts") {
                e.points[w.at(1)] += w.at(2).toDouble();
            } else if (kind == "com") {
                e.commission[w.at(1)] += w.at(2).toLongLong();
            } else if (kind == "use") {
                e.uses[w.at(1) + QLatin1Char(':') + w.at(2)] += w.at(3).toDouble();
            } else if (kind == "stock") {
                e.stock[w.at(1)] += w.at(2).toDouble();
            }
        }
    }
    return e;
}

qint64 realOf(const Moves &t)
{
    qint64 sum = 0;
    for (auto it = t.cbegin(); it != t.cend(); ++it)
        if (!it.key().endsWith(QStringLiteral(":储蓄卡")))
            sum += it.value();
    return sum;
}

qint64 virtualOf(const Moves &t)
{
    return t.value(QStringLiteral("s:储蓄卡")) + t.value(QStringLiteral("p:储蓄卡"));
}

// Without the lines that moved nothing: a method that came in and went out
// again the same shift may be listed with 0.
Moves moved(Moves t)
{
    for (auto it = t.begin(); it != t.end();)
        it = it.value() == 0 ? t.erase(it) : std::next(it);
    return t;
}

// The takings of the rows themselves, summed here: the sales' and payments'
// amounts by method, of one desk (or all) and a period.
Moves rowsTakings(const QString &desk, const QString &from, const QString &to)
{
    Moves t;
    const QString where = (desk.isEmpty() ? QString() : " and shouyintai='" + desk + "'");
    for (const QStringList &r : sqlRows("select fukuanfangshi, CAST(ROUND(sum(shishoujine)*100) AS INTEGER) from "
                                        "huiyuanxiaofei where xiaofeiriqi>='" + from + "' and xiaofeiriqi<='" + to
                                        + "'" + where + " group by fukuanfangshi"))
        t["s:" + r.value(0)] += r.value(1).toLongLong();
    for (const QStringList &r : sqlRows("select fukuanleixing, CAST(ROUND(sum(shifujine)*100) AS INTEGER) from "
                                        "huiyuanjiaofei where jiaofeiriqi>='" + from + "' and jiaofeiriqi<='" + to
                                        + "'" + where + " group by fukuanleixing"))
        t["p:" + r.value(0)] += r.value(1).toLongLong();
    return moved(t);
}

// A handover's detail lines back into takings by source: the lines after
// 充值交费合计 are payments, after 消费收银合计 sales, up to 收银合计.
Moves handoverLines(const QString &handover)
{
    Moves t;
    QString source;
    for (const QStringList &r : sqlRows("select fukuanfangshi, CAST(ROUND(jine*100) AS INTEGER) from jiaobanmingxi "
                                        "where jiaobanID='" + handover + "' order by rowid")) {
        if (r.value(0) == QStringLiteral("充值交费合计"))
            source = "p:";
        else if (r.value(0) == QStringLiteral("消费收银合计"))
            source = "s:";
        else if (r.value(0) == QStringLiteral("收银合计"))
            break;
        else
            t[source + r.value(0)] += r.value(1).toLongLong();
    }
    return moved(t);
}

QString text(const Moves &t)
{
    QStringList out;
    for (auto it = t.cbegin(); it != t.cend(); ++it)
        out << it.key() + QLatin1Char('=') + centsText(it.value());
    return out.join(QLatin1Char(' '));
}

} // namespace

void TestShopDay::aDayAtTwoDesks()
{
    TestWorkdir wd;
    seedShop();
    sqlExec("update huiyuan set jifen=40 where ID='1001'");
    sqlExec("insert into tichengshezhi(xiangmuID,xiangmuleixing,yuangongleixing,tichengfangshi,jisuanfanshi,"
            "tichengbili,tichengjiner) values('金卡','会员卡','所有员工','轮单提成','按比例提成',10,0)");
    const QString dayStart = LedgerSql::now();

    DeskProcess desks[2];
    for (int d = 0; d < 2; ++d)
        QVERIFY2(desks[d].start(wd.path(), kDesks[d]), qPrintable(kDesks[d]));
    const QList<Step> steps = theDay();
    QMap<QString, QString> documents;
    QStringList handovers;
    for (const Step &s : steps) {
        QString operation = s.operation;
        for (auto it = documents.cbegin(); it != documents.cend(); ++it)
            operation.replace("{" + it.key() + "}", it.value());
        const QString answer = desks[s.desk].run(operation);
        QVERIFY2(answer.startsWith(QStringLiteral("ok ")), qPrintable(s.label + ": " + answer));
        documents.insert(s.label, answer.mid(3));
        if (s.moves == QLatin1String("handover"))
            handovers << answer.mid(3);
    }
    for (DeskProcess &d : desks)
        QVERIFY(d.finish());
    const QString dayEnd = LedgerSql::now();
    const Expected e = expectedOf(steps);

    // The shop's day: 综合统计's tree, 收银明细 and the chart per method, and
    // the rows summed here, all the sum of the steps.
    QCOMPARE(text(rowsTakings(QString(), dayStart, dayEnd)), text(moved(e.shop)));
    QStandardItemModel tree;
    TakingsTree::build(&tree, TakingsRead::period(dayStart, dayEnd));
    QMap<QString, QString> shown;
    for (int r = 0; r < tree.rowCount(); ++r)
        shown.insert(tree.index(r, 0).data().toString(), tree.index(r, 1).data().toString());
    QCOMPARE(shown.value(QStringLiteral("实际收入")), centsText(realOf(e.shop)));
    QCOMPARE(shown.value(QStringLiteral("虚拟收入")), centsText(virtualOf(e.shop)));
    qint64 payments = 0, sales = 0;
    for (auto it = e.shop.cbegin(); it != e.shop.cend(); ++it)
        (it.key().startsWith("p:") ? payments : sales) += it.value();
    QCOMPARE(shown.value(QStringLiteral("充值交费合计")), centsText(payments));
    QCOMPARE(shown.value(QStringLiteral("消费收银合计")), centsText(sales));
    QCOMPARE(shown.value(QStringLiteral("收银总计")), centsText(payments + sales));
    ctrlUiClass ctrl;
    const QString day = dayStart.left(10);
    if (dayEnd.left(10) == day) { // the day's lists need the day not to have turned meanwhile
        QVERIFY(ReportQuery::fillCashDetail(day, day));
        QCOMPARE(sqlValue("select CAST(ROUND(coalesce(sum(jine),0)*100) AS INTEGER) from tempshouyinmingxi where "
                          "fukuanfangshi<>'储蓄卡'"),
                 QString::number(realOf(e.shop)));
        QMap<QString, qint64> perMethod, expectedPerMethod;
        for (const auto &m : ChartReads::takingsPerMethod(day, day))
            perMethod[m.first] += yuanToCents(m.second);
        for (auto it = e.shop.cbegin(); it != e.shop.cend(); ++it)
            expectedPerMethod[it.key().mid(2)] += it.value();
        for (auto it = expectedPerMethod.cbegin(); it != expectedPerMethod.cend(); ++it)
            QCOMPARE(perMethod.value(it.key()), it.value());
    }

    // Each desk's rows are its own steps, and each handover holds its own
    // shift: the detail lines and the totals of its row.
    for (int d = 0; d < 2; ++d)
        QCOMPARE(text(rowsTakings(kDesks[d], dayStart, dayEnd)), text(moved(e.desk[d])));
    QCOMPARE(handovers.size(), e.handovers.size());
    for (int h = 0; h < handovers.size(); ++h) {
        const QStringList row = sqlRows("select shouyintai, CAST(ROUND(shijishouru*100) AS INTEGER), "
                                        "CAST(ROUND(xunishouru*100) AS INTEGER) from jiaoban where jiaobanID='"
                                        + handovers[h] + "' order by rowid")
                                    .value(0);
        const Moves &want = e.handovers[h].second;
        QCOMPARE(row.value(0), kDesks[e.handovers[h].first]);
        QCOMPARE(row.value(1).toLongLong(), realOf(want));
        QCOMPARE(row.value(2).toLongLong(), virtualOf(want));
        QCOMPARE(text(handoverLines(handovers[h])), text(moved(want)));
    }
    // Desk 1's second shift starts the second after its first ended.
    QCOMPARE(sqlValue("select starttime from jiaoban where jiaobanID='" + handovers[1] + "' order by rowid"),
             QDateTime::fromString(sqlValue("select endtime from jiaoban where jiaobanID='" + handovers[0] + "' order by rowid"),
                                   "yyyy-MM-dd hh:mm:ss")
                 .addSecs(1)
                 .toString("yyyy-MM-dd hh:mm:ss"));

    // The members, the staff and the shelf.
    for (auto it = e.balance.cbegin(); it != e.balance.cend(); ++it)
        QCOMPARE(BalanceBook::balance(it.key()), it.value());
    for (auto it = e.debt.cbegin(); it != e.debt.cend(); ++it)
        QCOMPARE(DebtBook::memberDebt(it.key()), it.value());
    for (auto it = e.points.cbegin(); it != e.points.cend(); ++it) {
        QCOMPARE(PointsBook::points(it.key()), it.value());
        QCOMPARE(sqlValue("select shengyujifen from huiyuanjifen where huiyuanid='" + it.key() + "' order by ID desc LIMIT 1")
                     .toDouble(),
                 it.value());
    }
    for (auto it = e.commission.cbegin(); it != e.commission.cend(); ++it)
        QCOMPARE(qRound64(sqlValue("select coalesce(sum(tichengjine),0) from tichengmingxi where yuangongID='" + it.key()
                                   + "'")
                              .toDouble()
                          * 100),
                 it.value());
    for (auto it = e.uses.cbegin(); it != e.uses.cend(); ++it) {
        const QStringList key = it.key().split(QLatin1Char(':'));
        QCOMPARE(UsesBook::left(key[0], key[1]), it.value());
    }
    for (auto it = e.stock.cbegin(); it != e.stock.cend(); ++it)
        QCOMPARE(sqlValue("select sum(shuliang) from chanpinrukumingxi where chanpinID='" + it.key() + "'").toDouble(),
                 it.value());
    verifyBooks();

    // The day's lists of documents and of members, read from the day summaries,
    // show what the day's header rows show.
    auto rows = [](const QString &view, const ViewFilter &f) {
        const QString sql = ViewDeclarations::statement(dbsetEntry<TableViewinfo>(readDbset(), view).SqlStr, view, f);
        QSqlQuery q;
        bool ok = q.prepare(sql);
        for (int i = 0; ok && i < f.values.size(); ++i)
            q.bindValue(i, f.values.at(i));
        QList<QStringList> out;
        if (!ok || !q.exec()) {
            out << QStringList{q.lastError().text(), sql};
            return out;
        }
        while (q.next()) {
            QStringList r;
            for (int c = 0; c < q.record().count(); ++c)
                r << q.value(c).toString();
            out << r.mid(0, 6) + r.mid(7, 2); // the methods' order and a document's operator differ on a server
        }
        return out;
    };
    const ViewFilter periodDocs = ReportQuery::consumptionStats(QStringLiteral("今天"), "", "", "", "", QStringLiteral("所有"));
    QVERIFY(ViewDeclarations::statement(QString(), QStringLiteral("消费统计"), periodDocs).contains(QLatin1String("rihuizong_danju")));
    const QList<QStringList> fromDays = rows(QStringLiteral("消费统计"), periodDocs);
    QCOMPARE(fromDays.size(), sqlValue("select count(distinct ID) from huiyuanxiaofei where xiaofeiriqi>='" + dayStart.left(10)
                                           + "'").toInt());
    QVERIFY(!fromDays.isEmpty());
    QCOMPARE(fromDays, rows(QStringLiteral("消费统计"), periodDocs + ViewFilter(QStringLiteral("1=1"))));
    ViewFilter members = ReportQuery::consumptionRanking(QStringLiteral("今天"), "", "", "", QStringLiteral("所有"));
    QVERIFY(members.memberSummary);
    const QList<QStringList> ranking = rows(QStringLiteral("会员消费排行"), members);
    members.memberSummary = false;
    QCOMPARE(ranking, rows(QStringLiteral("会员消费排行"), members));
    QVERIFY(!ranking.isEmpty());
    // The day's analyses per item, from the lines per day and item, show what the
    // lines of the day's documents show (voids and refunds among them).
    const ViewFilter today = ReportQuery::dateFilter(QStringLiteral("今天"), QStringLiteral("xiaofeiriqi"), "", "");
    const ViewFilter todaysLines = ReportQuery::salesOfPeriod(QStringLiteral("今天"), "", "") + ViewFilter(QStringLiteral("1=1"));
    for (const QString &view : {QStringLiteral("服务消费分析"), QStringLiteral("产品消费分析")}) {
        const ViewFilter items = ReportQuery::itemsOfPeriod(today, ViewFilter());
        QVERIFY(ViewDeclarations::statement(QString(), view, items).contains(QLatin1String("rihuizong_xiangmu")));
        const QList<QStringList> fromItems = rows(view, items);
        QVERIFY2(!fromItems.isEmpty(), qPrintable(view));
        QCOMPARE(fromItems, rows(view, todaysLines));
    }
    // 员工业绩 of the day, from the work per document and employee: every line
    // credited on a sale the day kept, none of the two voided sales'.
    const QDate first = QDate::fromString(day, QStringLiteral("yyyy-MM-dd"));
    qint64 services = 0;
    for (const StylistFigures &f : OwnerFigures::stylists(first, first))
        services += f.services;
    QVERIFY(services > 0);
    QCOMPARE(QString::number(services),
             sqlValue("select count(*) from (select distinct t.yuangongID, t.xiaofeiID, t.titleID from tichengmingxi t where "
                      "t.beizhu='消费提成' and exists (select 1 from huiyuanxiaofei a where a.ID=t.xiaofeiID) and not exists "
                      "(select 1 from xiaofeizuofei z where z.ID=t.xiaofeiID)) l"));
    QCOMPARE(sqlValue("select count(*) from rihuizong_yeji s join xiaofeizuofei z on z.ID=s.xiaofeiID"), QString("0"));
}

QTEST_MAIN(TestShopDay)
#include "tst_shopday.moc"
