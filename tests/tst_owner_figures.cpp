#include <QtTest>
#include <QProcess>
#include <QBarSeries>
#include <QBarSet>
#include <QChartView>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>

#include "accountbooks.h"
#include "amounts.h"
#include "checkoutfixture.h"
#include "ctrluiclass.h"
#include "ledgersql.h"
#include "cardupgrade.h"
#include "memberwriter.h"
#include "openingimport.h"
#include "pointsredemption.h"
#include "ownerfigures.h"
#include "ownerreport.h"
#include "receipts/handoverslip.h"
#include "refundwriter.h"
#include "salewriter.h"

using namespace checkout_fixture;

// The owner's figures against sums the test makes from the rows itself: a
// month of sales with voids, refunds, a renewal and a top-up, the month before
// and the same month a year earlier.
class TestOwnerFigures : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void stylistsTakingsAndRequests();
    void anItemTwiceOnOneSale();
    void customersAndComeBacks();
    void periodAgainstEarlierOnes();
    void whatTheShopOwesItsMembers();
    void liabilityReadWholeEqualsMemberByMember();
    void refundsAndVoidsWithWhoAllowedThem();
    void followUpCallsAfterAService();
    void ownerPageListsTheFigures();
    void handoverSlipSaysWhatTheShiftDid();

private:
    std::unique_ptr<TestWorkdir> m_wd;
};

namespace {

const QDate kFrom(2026, 3, 1);
const QDate kTo(2026, 3, 31);
const QString kMarch = QStringLiteral("xiaofeiriqi between '2026-03-01 00:00:00' and '2026-03-31 23:59:59'");

void at(const QString &when)
{
    const QDateTime t = QDateTime::fromString(when, QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    LedgerSql::setClock([t]() { return t; });
}

SaleLine service(const QString &item, qint64 cents, QList<CommissionRow> by, bool use = false)
{
    SaleLine l;
    static int lines = 0;
    l.key = item + QString::number(++lines);
    l.type = use ? QStringLiteral("套餐消费") : QStringLiteral("服务项目");
    l.itemId = item;
    l.name = item;
    l.listCents = l.unitCents = cents;
    l.quantity = 1;
    l.amountCents = use ? 0 : cents;
    l.points = use ? 0 : double(cents) / 100;
    l.employeeId = by.size() == 1 ? by.first().employeeId : QString();
    l.enteredBy = QStringLiteral("admin");
    l.commissions = by;
    return l;
}

CommissionRow asked(const QString &e)
{
    return CommissionRow{e, QStringLiteral("点单提成"), QStringLiteral("按固定金额提成"), 0, 1500};
}

CommissionRow turn(const QString &e)
{
    return CommissionRow{e, QStringLiteral("轮单提成"), QStringLiteral("按比例提成"), 10, 1000};
}

QString sell(const QString &when, const QString &member, QList<SaleLine> lines, const QString &method = "现金")
{
    at(when);
    Sale s;
    s.memberId = member;
    s.lines = lines;
    qint64 total = 0;
    for (const SaleLine &l : lines)
        total += l.amountCents;
    s.payments = {PaymentPart{method, total}};
    s.lineMethod = method;
    s.operatorName = QStringLiteral("admin");
    const LedgerResult r = SaleWriter::commit(s);
    if (!r.ok)
        qWarning() << r.error;
    return r.documentId;
}

// The shop's history: see the comments beside each day.
void history()
{
    sqlExec("insert into huiyuan(ID,name,type,shengyujine,jifen,login_time,phone) "
            "values('1003','钱七','普通卡',0,0,'2026-03-10 09:00:00','13900000003')");
    sqlExec("update huiyuan set phone='13900000002' where ID='1002'");
    sqlExec("update fuwuxiangmu set shifouhuifan='是', huifangshijian=7 where ID='S03'");
    sqlExec("insert into \"user\"(name,password,xitongshezhi,jinyong) values('小王','x','否','否')");
    // a year ago and the month before
    sell("2025-03-10 10:00:00", "1001", {service("S01", 10000, {turn("E01")})});
    sell("2026-02-15 10:00:00", "1002", {service("S01", 10000, {turn("E02")})});
    // March: 1001 asks for 张三, and buys a product, from the card
    SaleLine shampoo;
    shampoo.key = QStringLiteral("p1");
    shampoo.type = QStringLiteral("产品");
    shampoo.itemId = shampoo.name = QStringLiteral("P01");
    shampoo.listCents = shampoo.unitCents = shampoo.amountCents = 5000;
    shampoo.quantity = 1;
    shampoo.enteredBy = QStringLiteral("admin");
    sell("2026-03-02 10:00:00", "1001", {service("S01", 10000, {asked("E01")}), shampoo}, "储蓄卡");
    // 1002 tops up 100 with 20 bonus, renews 4 uses of 染发 for 480
    at("2026-03-03 11:00:00");
    TopUp t;
    t.memberId = QStringLiteral("1002");
    t.paidInCents = t.receivedCents = 10000;
    t.bonusCents = 2000;
    t.method = QStringLiteral("现金");
    t.operatorName = QStringLiteral("admin");
    QVERIFY2(MemberWriter::topUp(t).ok, "top-up");
    at("2026-03-04 11:00:00");
    Renewal r;
    r.memberId = QStringLiteral("1002");
    r.items = {PackageItem{QStringLiteral("S03"), 4}};
    r.dueCents = 48000;
    r.payments = {PaymentPart{QStringLiteral("现金"), 48000}};
    r.remark = QStringLiteral("染发4次");
    r.operatorName = QStringLiteral("admin");
    const LedgerResult renewed = MemberWriter::renew(r);
    QVERIFY2(renewed.ok, qPrintable(renewed.error));
    sell("2026-03-05 10:00:00", QString::fromUtf8(kWalkInId), {service("S03", 15000, {turn("E02")})});
    // a new member, two employees on one line
    sell("2026-03-10 10:00:00", "1003", {service("S03", 15000, {asked("E01"), turn("E02")})});
    sell("2026-03-12 10:00:00", "1002", {service("S03", 15000, {turn("E02")}, true)});
    sell("2026-03-20 10:00:00", "1001", {service("S01", 10000, {turn("E02")})});
    const QString voided = sell("2026-03-25 10:00:00", "1002", {service("S01", 10000, {asked("E01")})});
    at("2026-03-25 10:30:00");
    QVERIFY(RefundWriter::voidSale(SaleVoid{voided, QStringLiteral("点错了"), QStringLiteral("小王"),
                                            QStringLiteral("admin")})
                .ok);
    at("2026-03-26 10:00:00");
    QVERIFY(RefundWriter::refundBalance(BalanceRefund{"1001", 5000, 5000, QStringLiteral("现金"),
                                                      QStringLiteral("搬家"), QStringLiteral("小王"),
                                                      QStringLiteral("admin")})
                .ok);
    // 1003 comes back 36 days later
    sell("2026-04-15 10:00:00", "1003", {service("S01", 10000, {turn("E01")})});
    at("2026-04-20 18:00:00");
}

// The sales that count, each once, as a sub-select: no void, no reversal, no repayment row.
const QString kCounted = QStringLiteral(
    "(select ID, max(huiyuanid) as huiyuanid, min(xiaofeiriqi) as riqi, sum(xiaofeijine) as jine from huiyuanxiaofei "
    "where ID not in (select ID from xiaofeizuofei) and ID not in (select zuofeiID from xiaofeizuofei) "
    "and coalesce(beizhu,'') not in ('会员还款','作废冲销') group by ID)");


// One member's liability as the refund dialogs price it: the stored value and
// each item's uses, member by member.
MemberLiability memberByMember(const QString &id, const QString &asOf)
{
    MemberLiability m;
    m.memberId = id;
    const StoredValue v = BalanceBook::storedValue(id, asOf);
    m.paidCents = v.paidCents;
    m.bonusCents = v.bonusCents;
    for (const PackageQuote &q : RefundWriter::packagesOf(id, asOf)) {
        m.usesLeft += q.usesLeft;
        m.packageCents += qRound64(q.perUseCents * q.usesLeft);
    }
    return m;
}

// Everything that moves what a member is owed, after the month of history():
// a card issued with a package and bonus, a card upgrade, stored value
// redeemed for points, an opening import with uses, a package refund in cash
// and onto the card, a void of a sale from the card and of a package use.
void moreHistory()
{
    sqlExec("insert into huiyuanka(name,kaneijine,jiage,fuwuzekou,chanpinzekou,taocanzekou,beizhu) "
            "values('银卡',650,500,0.9,0.95,1,'')");
    sqlExec("insert into taocanmingxi(taocanID,name,zongjia,xiangmuID,yuanjia,fuwucishu) values"
            "('T1','烫染套餐',900,'S02',200,3),('T1','烫染套餐',900,'S03',150,4)");
    at("2026-04-02 09:30:00");
    CardIssue c;
    c.memberId = QStringLiteral("1004");
    c.name = QStringLiteral("孙八");
    c.cardType = QStringLiteral("银卡");
    c.packageId = QStringLiteral("T1");
    c.priceCents = 50000;
    c.receivedCents = 140000;
    c.method = QStringLiteral("现金");
    c.operatorName = QStringLiteral("admin");
    const LedgerResult issued = MemberWriter::issueCard(c);
    QVERIFY2(issued.ok, qPrintable(issued.error));
    at("2026-04-03 10:00:00");
    const CardUpgradeQuote q = CardUpgrades::quote(QStringLiteral("1003"), QStringLiteral("银卡"));
    QVERIFY2(q.ok, qPrintable(q.error));
    CardUpgrade u;
    u.memberId = QStringLiteral("1003");
    u.fromType = q.oldType;
    u.newType = q.newType;
    u.dueCents = u.receivedCents = q.dueCents;
    u.method = QStringLiteral("现金");
    u.operatorName = QStringLiteral("admin");
    const LedgerResult upgraded = CardUpgrades::upgrade(u);
    QVERIFY2(upgraded.ok, qPrintable(upgraded.error));
    at("2026-04-04 10:00:00");
    Reward value;
    value.id = QStringLiteral("R1");
    value.name = QStringLiteral("储值30元");
    value.kind = QString::fromUtf8(kRewardValue);
    value.amount = 3000;
    value.points = 50;
    QVERIFY(PointsRedemption::saveReward(value, QStringLiteral("admin")).ok);
    const LedgerResult redeemed = PointsRedemption::redeem(QStringLiteral("1001"), QStringLiteral("R1"), 1,
                                                           QStringLiteral("admin"));
    QVERIFY2(redeemed.ok, qPrintable(redeemed.error));
    at("2026-04-05 10:00:00");
    OpeningImport im;
    im.kind = ImportKind::Members;
    im.fileName = QStringLiteral("会员.csv");
    im.sheetRows = 1;
    im.operatorName = QStringLiteral("admin");
    MemberOpening o;
    o.row = 2;
    o.memberId = QStringLiteral("2001");
    o.name = QStringLiteral("老客");
    o.cardType = QStringLiteral("金卡");
    o.balanceCents = 32050;
    o.bonusCents = 4000;
    o.uses = {{QStringLiteral("S01"), 6}};
    im.members = {o};
    const LedgerResult imported = OpeningImportWriter::write(im);
    QVERIFY2(imported.ok, qPrintable(imported.error));
    at("2026-04-06 10:00:00");
    const QString fromCard = sell("2026-04-06 10:00:00", "1004", {service("S01", 9000, {turn("E01")})}, "储蓄卡");
    const QString used = sell("2026-04-07 10:00:00", "1004", {service("S02", 20000, {turn("E01")}, true)});
    sell("2026-04-08 10:00:00", "2001", {service("S01", 10000, {turn("E02")}, true)});
    int minute = 0;
    for (const QString &sale : {fromCard, used}) {
        at(QString("2026-04-09 10:0%1:00").arg(minute++));
        QVERIFY(RefundWriter::voidSale(SaleVoid{sale, QStringLiteral("记错了"), QStringLiteral("小王"),
                                                QStringLiteral("admin")})
                    .ok);
    }
    at("2026-04-10 10:00:00");
    const qint64 limit = RefundWriter::quotePackage("1004", "S03").limitCents(1);
    LedgerResult back = RefundWriter::refundPackage(PackageRefund{"1004", "S03", 1, limit, QStringLiteral("现金"),
                                                                  QStringLiteral("不做了"), QStringLiteral("小王"),
                                                                  QStringLiteral("admin"), QString()});
    QVERIFY2(back.ok, qPrintable(back.error));
    at("2026-04-11 10:00:00");
    back = RefundWriter::refundPackage(PackageRefund{"1004", "S02", 1, RefundWriter::quotePackage("1004", "S02").limitCents(1),
                                                     QStringLiteral("储蓄卡"), QStringLiteral("换项目"),
                                                     QStringLiteral("小王"), QStringLiteral("admin"), QString()});
    QVERIFY2(back.ok, qPrintable(back.error));
    // Two more uses dearer than the package's: a use is worth more from then on.
    at("2026-04-13 10:00:00");
    Renewal r;
    r.memberId = QStringLiteral("1004");
    r.items = {PackageItem{QStringLiteral("S03"), 2}};
    r.dueCents = 40000;
    r.payments = {PaymentPart{QStringLiteral("储蓄卡"), 10000}, PaymentPart{QStringLiteral("现金"), 30000}};
    r.operatorName = QStringLiteral("admin");
    const LedgerResult renewed = MemberWriter::renew(r);
    QVERIFY2(renewed.ok, qPrintable(renewed.error));
    at("2026-04-20 18:00:00");
}

} // namespace

void TestOwnerFigures::init()
{
    m_wd = std::make_unique<TestWorkdir>();
    seedShop();
    history();
}

void TestOwnerFigures::cleanup()
{
    LedgerSql::setClock({});
    m_wd.reset();
}

void TestOwnerFigures::stylistsTakingsAndRequests()
{
    const QList<StylistFigures> figures = OwnerFigures::stylists(kFrom, kTo);
    QCOMPARE(figures.size(), 2);
    for (const StylistFigures &f : figures) {
        // Every line an employee was credited on, with its money, its customer
        // (a walk-in sale is one) and whether the customer asked for them.
        const QStringList sums = sqlRows(
            "select round(sum(m.jine),2), count(*), count(distinct CASE WHEN c.huiyuanid='0000' THEN c.ID ELSE "
            "c.huiyuanid END), count(distinct CASE WHEN t.tichengfangshi='点单提成' THEN c.huiyuanid END) from "
            "tichengmingxi t join xiaofeimingxi m on m.ID=t.xiaofeiID and m.xiangmuID=t.xiangmuID join " + kCounted
            + " c on c.ID=t.xiaofeiID where c.riqi between '2026-03-01' and '2026-03-31 23:59:59' and t.yuangongID='"
            + f.employeeId + "'").value(0);
        QCOMPARE(centsText(f.takingsCents), centsText(yuanToCents(sums.value(0).toDouble())));
        QCOMPARE(QString::number(f.services), sums.value(1));
        QCOMPARE(QString::number(f.customers), sums.value(2));
        QCOMPARE(QString::number(f.requested), sums.value(3));
    }
    // 张三 was asked for by both his customers; the void of 03-25 counts nowhere.
    QCOMPARE(figures.value(0).employeeId + figures.value(1).employeeId, QString("E02E01"));
    QCOMPARE(figures.value(1).requestRate(), 1.0);
    QCOMPARE(figures.value(1).services, qint64(2));
    QCOMPARE(figures.value(0).requested, qint64(0));
}

// Two 洗剪吹 on one bill, one by each: each has one service and one line's
// money, not both lines' (the lines of a sale are told apart by their
// commission rows alone).
void TestOwnerFigures::anItemTwiceOnOneSale()
{
    const QList<StylistFigures> before = OwnerFigures::stylists(QDate(2026, 4, 16), QDate(2026, 4, 16));
    QVERIFY(before.isEmpty());
    sell("2026-04-16 10:00:00", "1002", {service("S01", 10000, {turn("E01")}), service("S01", 10000, {turn("E02")})});
    const QList<StylistFigures> day = OwnerFigures::stylists(QDate(2026, 4, 16), QDate(2026, 4, 16));
    QCOMPARE(day.size(), 2);
    for (const StylistFigures &f : day) {
        QCOMPARE(f.services, qint64(1));
        QCOMPARE(f.takingsCents, qint64(10000));
        QCOMPARE(f.customers, qint64(1));
    }
}

void TestOwnerFigures::customersAndComeBacks()
{
    const CustomerFigures c = OwnerFigures::customers(kFrom, kTo);
    const QStringList sums = sqlRows("select count(*), round(sum(jine),2), count(distinct CASE WHEN huiyuanid='0000' "
                                     "THEN ID ELSE huiyuanid END), count(distinct CASE WHEN huiyuanid<>'0000' THEN "
                                     "huiyuanid END) from " + kCounted + " c where riqi between '2026-03-01' and "
                                     "'2026-03-31 23:59:59'").value(0);
    QCOMPARE(QString::number(c.bills), sums.value(0));
    QCOMPARE(centsText(c.takingsCents), centsText(yuanToCents(sums.value(1).toDouble())));
    QCOMPARE(QString::number(c.customers), sums.value(2));
    QCOMPARE(QString::number(c.members), sums.value(3));
    QCOMPARE(c.averageBillCents(), qRound64(double(c.takingsCents) / double(c.bills)));
    // New: no counted sale before the month.
    QCOMPARE(QString::number(c.newMembers),
             sqlValue("select count(distinct huiyuanid) from " + kCounted + " c where riqi between '2026-03-01' and "
                      "'2026-03-31 23:59:59' and huiyuanid<>'0000' and not exists (select 1 from " + kCounted
                      + " d where d.huiyuanid=c.huiyuanid and d.riqi<'2026-03-01')"));
    QCOMPARE(c.newMembers + c.returningMembers, c.members);
    // Came back: days from the first visit of the month to the next visit on a later day.
    const QString gaps = "select f.huiyuanid, (select min(mochen_day_number(n.riqi)) from " + kCounted
                         + " n where n.huiyuanid=f.huiyuanid and substr(n.riqi,1,10)>substr(f.first,1,10)) - mochen_day_number(f.first) "
                           "as gap from (select huiyuanid, min(riqi) as first from " + kCounted
                         + " c where riqi between '2026-03-01' and '2026-03-31 23:59:59' and huiyuanid<>'0000' group by "
                           "huiyuanid) f";
    for (const int days : {30, 60, 90}) {
        const qint64 shown = days == 30 ? c.back30 : days == 60 ? c.back60 : c.back90;
        QCOMPARE(QString::number(shown),
                 sqlValue("select count(*) from (" + gaps + ") where gap<=" + QString::number(days)));
    }
    QCOMPARE(c.back30, qint64(1)); // 1001: 03-02 and 03-20
    QCOMPARE(c.back60, qint64(2)); // 1003: 03-10 and 04-15
    // Real income: every method but the card, top-ups and renewals included, the refund out.
    QCOMPARE(centsText(c.realIncomeCents),
             centsText(yuanToCents(sqlValue("select round((select coalesce(sum(shishoujine),0) from huiyuanxiaofei "
                                            "where fukuanfangshi<>'储蓄卡' and " + kMarch + ")+(select "
                                            "coalesce(sum(shifujine),0) from huiyuanjiaofei where fukuanleixing<>'储蓄卡' "
                                            "and jiaofeiriqi between '2026-03-01' and '2026-03-31 23:59:59'),2)")
                                       .toDouble())));
}

void TestOwnerFigures::periodAgainstEarlierOnes()
{
    const PeriodComparison p = OwnerFigures::compare(kFrom, kTo);
    QCOMPARE(p.previous.from, QDate(2026, 2, 1));
    QCOMPARE(p.previous.to, QDate(2026, 2, 28));
    QCOMPARE(p.lastYear.from, QDate(2025, 3, 1));
    const auto takings = [](const QString &from, const QString &to) {
        return yuanToCents(sqlValue("select coalesce(sum(jine),0) from " + kCounted + " c where riqi between '" + from
                                    + "' and '" + to + " 23:59:59'").toDouble());
    };
    QCOMPARE(p.now.takingsCents, takings("2026-03-01", "2026-03-31"));
    QCOMPARE(p.previous.takingsCents, takings("2026-02-01", "2026-02-28"));
    QCOMPARE(p.lastYear.takingsCents, takings("2025-03-01", "2025-03-31"));
    QCOMPARE(p.previous.bills, qint64(1));
    QCOMPARE(p.lastYear.bills, qint64(1));
    // The month running (today is 04-20): its first twenty days against the first twenty of March.
    const PeriodComparison april = OwnerFigures::compare(QDate(2026, 4, 1), QDate(2026, 4, 30));
    QCOMPARE(april.now.to, QDate(2026, 4, 20));
    QCOMPARE(april.previous.from, QDate(2026, 3, 1));
    QCOMPARE(april.previous.to, QDate(2026, 3, 20));
    QCOMPARE(april.previous.takingsCents, takings("2026-03-01", "2026-03-20"));
    // Other periods against as many days before.
    const PeriodComparison days = OwnerFigures::compare(QDate(2026, 3, 10), QDate(2026, 3, 19));
    QCOMPARE(days.previous.from, QDate(2026, 2, 28));
    QCOMPARE(days.previous.to, QDate(2026, 3, 9));
}

void TestOwnerFigures::whatTheShopOwesItsMembers()
{
    // Stored value: each member's balance as the ledger last recorded it.
    const auto balances = [](const QString &asOf) {
        return yuanToCents(sqlValue("select coalesce(sum(dangshikaneiyue),0) from huiyuanyuebiandong y where ID=(select "
                                    "max(ID) from huiyuanyuebiandong x where x.huiyuanid=y.huiyuanid and "
                                    "x.biandongriqi<='" + asOf + "')").toDouble());
    };
    const Liability now = OwnerFigures::liability();
    QCOMPARE(now.paidCents() + now.bonusCents(), balances("9999"));
    QCOMPARE(now.paidCents() + now.bonusCents(),
             yuanToCents(sqlValue("select sum(shengyujine) from huiyuan").toDouble()));
    QCOMPARE(now.bonusCents(), qint64(2000));
    // Uses left at what was paid for them: the renewal's money over its uses;
    // the seed's uses, bought before any payment row, at the list price.
    const qint64 renewed = yuanToCents(sqlValue("select sum(yingjiaojine) from huiyuanjiaofei where "
                                                "jiaofeileixing='套餐交费' and huiyuanid='1002'").toDouble());
    const double left1002 = sqlValue("select sum(shengyucishu) from huiyuantaocan where huiyuanID='1002'").toDouble();
    const double left1001 = sqlValue("select sum(shengyucishu) from huiyuantaocan where huiyuanID='1001'").toDouble();
    const qint64 listS02 = yuanToCents(sqlValue("select xiaoshoujiage from fuwuxiangmu where ID='S02'").toDouble());
    QCOMPARE(now.packageCents(), qRound64(renewed / 4.0 * left1002) + qRound64(listS02 * left1001));
    QCOMPARE(RefundWriter::quotePackage("1002", "S03").limitCents(3), qRound64(renewed / 4.0 * left1002));

    // At the end of February: before the top-up, the renewal and the refund.
    const Liability feb = OwnerFigures::liability("2026-02-28 23:59:59");
    QCOMPARE(feb.paidCents() + feb.bonusCents(), balances("2026-02-28 23:59:59"));
    QCOMPARE(feb.bonusCents(), qint64(0));
    QCOMPARE(feb.packageCents(), qRound64(listS02 * 5.0));
    // Mid-March: the renewal's four uses, one taken on the 12th.
    const Liability mid = OwnerFigures::liability("2026-03-11 23:59:59");
    QCOMPARE(mid.packageCents() - feb.packageCents(), renewed);

    // Month by month: each month's end, its change against the month before.
    const QList<LiabilityMonth> months = OwnerFigures::liabilityByMonth(QDate(2026, 2, 1), QDate(2026, 4, 30));
    QCOMPARE(months.size(), 3);
    QCOMPARE(months.at(0).month, QString("2026-02"));
    QCOMPARE(months.at(0).totalCents(), feb.totalCents());
    QCOMPARE(months.at(1).totalCents(), OwnerFigures::liability("2026-03-31 23:59:59").totalCents());
    QCOMPARE(months.at(1).changeCents, months.at(1).totalCents() - months.at(0).totalCents());
    QCOMPARE(months.at(2).totalCents(), now.totalCents()); // the month still running: now
    // Read member by member where they moved, each month equals the whole read.
    const QList<LiabilityMonth> year = OwnerFigures::liabilityByMonth(QDate(2025, 5, 1), QDate(2026, 3, 31));
    QCOMPARE(year.size(), 11);
    for (const LiabilityMonth &m : year) {
        const QDate first = QDate::fromString(m.month + "-01", "yyyy-MM-dd");
        const Liability whole =
            OwnerFigures::liability(first.addMonths(1).addDays(-1).toString("yyyy-MM-dd") + " 23:59:59");
        QCOMPARE(m.totalCents(), whole.totalCents());
        QCOMPARE(m.bonusCents, whole.bonusCents());
    }
    verifyBooks();
}

// The whole shop read at once gives every member what the refund dialogs
// would: at each week's end of the history, at each month's end, and now.
void TestOwnerFigures::liabilityReadWholeEqualsMemberByMember()
{
    moreHistory();
    if (QTest::currentTestFailed())
        return;
    QStringList moments;
    for (QDate d(2026, 1, 4); d <= QDate(2026, 4, 19); d = d.addDays(7))
        moments << d.toString("yyyy-MM-dd") + " 23:59:59";
    moments << "2026-04-07 10:00:00" << "2026-04-09 10:00:00" << QString(); // a moment of a write; now
    QStringList members;
    for (const QStringList &r : sqlRows("select ID from huiyuan order by ID"))
        members << r.value(0);
    QCOMPARE(members.size(), 5);
    bool sawBonus = false, sawUses = false, sawImport = false;
    for (const QString &asOf : moments) {
        const Liability whole = OwnerFigures::liability(asOf);
        QHash<QString, MemberLiability> read;
        for (const MemberLiability &m : whole.members)
            read.insert(m.memberId, m);
        qint64 total = 0;
        for (const QString &id : members) {
            const MemberLiability one = memberByMember(id, asOf);
            const MemberLiability got = read.value(id);
            const QString at = id + " @ " + (asOf.isEmpty() ? QString("now") : asOf);
            QVERIFY2(one.totalCents() != 0 || !read.contains(id), qPrintable(at));
            QVERIFY2(got.paidCents == one.paidCents, qPrintable(at + QString(" paid %1 / %2").arg(got.paidCents).arg(one.paidCents)));
            QVERIFY2(got.bonusCents == one.bonusCents, qPrintable(at + QString(" bonus %1 / %2").arg(got.bonusCents).arg(one.bonusCents)));
            QVERIFY2(got.packageCents == one.packageCents,
                     qPrintable(at + QString(" uses %1 / %2").arg(got.packageCents).arg(one.packageCents)));
            QCOMPARE(got.usesLeft, one.usesLeft);
            total += one.totalCents();
            sawBonus = sawBonus || one.bonusCents > 0;
            sawUses = sawUses || (id == "1004" && one.packageCents > 0);
            sawImport = sawImport || (id == "2001" && one.totalCents() > 0);
        }
        QCOMPARE(whole.totalCents(), total);
    }
    QVERIFY(sawBonus && sawUses && sawImport);
    // A card brought over from before the ledger, registered in January: owed
    // from then on, though no row of it ever moves.
    sqlExec("insert into huiyuan(ID,name,type,shengyujine,jifen,login_time) "
            "values('3001','旧客','普通卡',88,0,'2026-01-15 09:00:00')");
    // Month by month in one pass: each month's end as read on its own.
    const QList<LiabilityMonth> months = OwnerFigures::liabilityByMonth(QDate(2025, 12, 1), QDate(2026, 4, 30));
    QCOMPARE(months.size(), 5);
    qint64 before = OwnerFigures::liability("2025-11-30 23:59:59").totalCents();
    for (const LiabilityMonth &m : months) {
        const QDate first = QDate::fromString(m.month + "-01", "yyyy-MM-dd");
        const Liability alone = m.month == "2026-04" ? OwnerFigures::liability(LedgerSql::now())
                                                     : OwnerFigures::liability(first.addMonths(1).addDays(-1).toString("yyyy-MM-dd") + " 23:59:59");
        QCOMPARE(m.paidCents, alone.paidCents());
        QCOMPARE(m.bonusCents, alone.bonusCents());
        QCOMPARE(m.packageCents, alone.packageCents());
        QCOMPARE(m.changeCents, m.totalCents() - before);
        before = m.totalCents();
    }
    QCOMPARE(months.last().totalCents(), OwnerFigures::liability().totalCents());
    verifyBooks();
}

void TestOwnerFigures::refundsAndVoidsWithWhoAllowedThem()
{
    const QList<Reversal> list = OwnerFigures::reversals("2026-03-01 00:00:00", "2026-03-31 23:59:59");
    QCOMPARE(list.size(), 2);
    QCOMPARE(list.at(0).kind, QString("作废"));
    QCOMPARE(list.at(1).kind, QString("退储值"));
    qint64 total = 0;
    for (const Reversal &r : list) {
        QCOMPARE(r.operatorName, QString("小王"));
        QCOMPARE(r.authorizedBy, QString("admin"));
        total += r.cents;
    }
    QCOMPARE(list.at(0).originalId, sqlValue("select ID from xiaofeizuofei"));
    QCOMPARE(list.at(1).reason, QString("搬家"));
    // What left the takings: the void's reversing rows and the refund's payment row.
    QCOMPARE(total, -yuanToCents(sqlValue("select (select sum(shishoujine) from huiyuanxiaofei where beizhu='作废冲销')"
                                          "+(select sum(shifujine) from huiyuanjiaofei where jiaofeileixing='退储值')")
                                     .toDouble()));
    QVERIFY(OwnerFigures::reversals("2026-03-26 00:00:00", "2026-03-26 23:59:59").size() == 1);
    QVERIFY(OwnerFigures::reversals("2026-03-01 00:00:00", "2026-03-31 23:59:59", "另一台").isEmpty());
}

void TestOwnerFigures::followUpCallsAfterAService()
{
    const QList<FollowUp> calls = OwnerFigures::followUps(kFrom, kTo);
    // A member's 染发 (a follow-up item, 7 days) in the month, a package use
    // included; the walk-in has nobody to call, the void is not a service.
    const QList<QStringList> expected =
        sqlRows("select substr(c.riqi,1,10), c.huiyuanid, m.xiangmuID from " + kCounted
                + " c join xiaofeimingxi m on m.ID=c.ID where m.xiangmuID='S03' and c.huiyuanid<>'0000' and "
                  "mochen_day_number(c.riqi)+7 between mochen_day_number('2026-03-01') and mochen_day_number('2026-03-31') "
                  "order by 1");
    QCOMPARE(calls.size(), expected.size());
    QCOMPARE(calls.size(), 2);
    for (int i = 0; i < calls.size(); ++i) {
        QCOMPARE(calls.at(i).dueDate, QDate::fromString(expected.at(i).value(0), Qt::ISODate).addDays(7).toString(Qt::ISODate));
        QCOMPARE(calls.at(i).memberId, expected.at(i).value(1));
    }
    QCOMPARE(calls.at(0).phone, QString("13900000003"));
    QCOMPARE(calls.at(0).employee, QString("张三、李四")); // both on the line
    QVERIFY(OwnerFigures::followUps(QDate(2026, 3, 18), QDate(2026, 3, 18)).isEmpty());
}

void TestOwnerFigures::ownerPageListsTheFigures()
{
    ctrlUiClass ctrl;
    OwnerReport page(&ctrl);
    page.resize(1300, 700);
    page.setPeriod(kFrom, kTo);
    page.setLiabilityDate(QDate(2026, 3, 31));
    page.show();
    QTest::mouseClick(page.findChild<QPushButton *>("toolButton_ownerQuery"), Qt::LeftButton);
    // Each page is read when it is opened; each list holds its figures, with the 合计 line under it.
    auto *tabs = page.findChild<QTabWidget *>("ownerReportTabs");
    QCOMPARE(ctrl.viewRowCount("退款作废"), 0);
    for (int i = tabs->count() - 1; i >= 0; --i)
        tabs->setCurrentIndex(i);
    const auto rows = [&ctrl](const QString &name) {
        QList<QStringList> out;
        for (int r = 0; r < ctrl.viewRowCount(name); ++r)
            out << ctrl.rowValues(name, r);
        return out;
    };
    const QList<StylistFigures> stylists = OwnerFigures::stylists(kFrom, kTo);
    QCOMPARE(rows("员工业绩").size(), stylists.size());
    QCOMPARE(rows("员工业绩").at(0).value(0), stylists.at(0).employeeId);
    QCOMPARE(rows("员工业绩").at(1).value(6), QString("100.0%"));
    auto *totals = page.findChild<QLabel *>("totals_tableView_ownerStylists");
    QVERIFY(totals);
    QVERIFY2(totals->text().contains("业绩金额 " + centsShown(stylists.at(0).takingsCents + stylists.at(1).takingsCents)),
             qPrintable(totals->text()));
    const QList<QStringList> comparison = rows("客户分析");
    QCOMPARE(comparison.value(0).value(0), QString("消费金额"));
    QCOMPARE(comparison.value(0).value(1), centsShown(OwnerFigures::customers(kFrom, kTo).takingsCents));
    const Liability march = OwnerFigures::liability("2026-03-31 23:59:59");
    auto *owed = page.findChild<QLabel *>("totals_tableView_ownerLiability");
    QVERIFY2(owed->text().contains("预收款金额 " + centsShown(march.totalCents())), qPrintable(owed->text()));
    // Twelve months up to the date asked, each its month's end and change.
    const QList<QStringList> months = rows("预收款月度");
    QCOMPARE(months.size(), 12);
    QCOMPARE(months.last().value(0), QString("2026-03"));
    QCOMPARE(yuanToCents(months.last().value(4).toDouble()), march.totalCents());
    // The charts beside the lists draw what the lists say: 消费金额 and 实际收入
    // of 本期, 上期 and 去年同期; each month's 月末预收款.
    const auto bars = [&page](const char *chart) {
        QList<QList<double>> out;
        for (auto *series : page.findChild<QtCharts::QChartView *>(chart)->chart()->series())
            for (QtCharts::QBarSet *set : static_cast<QtCharts::QBarSeries *>(series)->barSets()) {
                QList<double> values;
                for (int i = 0; i < set->count(); ++i)
                    values << set->at(i);
                out << values;
            }
        return out;
    };
    const QList<QList<double>> compared = bars("ownerComparisonChart");
    QCOMPARE(compared.size(), 3);
    const int columnOf[] = {1, 2, 4};
    for (int p = 0; p < 3; ++p)
        QCOMPARE(compared.at(p), (QList<double>{comparison.at(0).value(columnOf[p]).toDouble(),
                                                comparison.at(1).value(columnOf[p]).toDouble()}));
    QVERIFY(compared.at(0).at(0) > 0);
    QList<double> monthEnds;
    for (const QStringList &m : months)
        monthEnds << m.value(4).toDouble();
    QCOMPARE(bars("ownerLiabilityChart"), QList<QList<double>>{monthEnds});
    QVERIFY(page.findChild<QtCharts::QChartView *>("ownerLiabilityChart")->chart()->title().contains("至 2026-03 各月"));
    QCOMPARE(rows("退款作废").size(), 2);
    QCOMPARE(rows("回访提醒").size(), 2);
    QVERIFY(tabs->tabText(2).contains(centsShown(march.totalCents())));

    // Exported as shown.
    PromptRecorder prompts;
    const QString file = m_wd->path() + "/yeji.csv";
    prompts.saveFileName(file);
    QTest::mouseClick(page.findChild<QPushButton *>("toolButton_ownerExport"), Qt::LeftButton);
    QFile csv(file);
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(csv.readAll());
    QVERIFY2(text.contains("员工编号") && text.contains(stylists.at(1).name), qPrintable(text));
}

void TestOwnerFigures::handoverSlipSaysWhatTheShiftDid()
{
    const QString from = "2026-03-20 00:00:00", to = "2026-03-26 23:59:59";
    const HandoverSlip slip =
        HandoverSlip::read(LedgerSql::desk(), "小王", from, to, true, 12345);
    const QString pdf = m_wd->path() + "/slip.pdf";
    for (const QString &paper : {QStringLiteral("58mm"), QStringLiteral("80mm"), QStringLiteral("A4")}) {
        QString error;
        QVERIFY2(slip.savePdf(paper, pdf, &error), qPrintable(error));
        QProcess p;
        p.start("pdftotext", {"-layout", pdf, "-"});
        QVERIFY(p.waitForFinished(30000));
        const QString text = QString::fromUtf8(p.readAllStandardOutput()).simplified();
        const auto sum = [](const QString &sql) { return centsShown(yuanToCents(sqlValue(sql).toDouble())); };
        const QString period = " between '" + from + "' and '" + to + "'";
        // Cash of the shift from the rows: sales (the void's reversal too) and payments (the refund too).
        const QString cash = sum("select (select coalesce(sum(shishoujine),0) from huiyuanxiaofei where "
                                 "fukuanfangshi='现金' and xiaofeiriqi" + period + ")+(select coalesce(sum(shifujine),0) "
                                 "from huiyuanjiaofei where fukuanleixing='现金' and jiaofeiriqi" + period + ")");
        for (const QString &expected : QStringList{QString("交班单"), QString("交班人 小王"), "消费收银 " + sum("select sum(shishoujine) from huiyuanxiaofei "
                                                                        "where xiaofeiriqi" + period),
              "充值交费 " + sum("select sum(shifujine) from huiyuanjiaofei where jiaofeiriqi" + period),
              QString("退款 1 笔 50.00"), QString("作废 1 笔 100.00"), "现金收入 " + cash, QString("实点现金 123.45"),
              "现金差额 " + centsShown(12345 - yuanToCents(cash.toDouble())), QString("确认：admin")})
            QVERIFY2(text.contains(expected), qPrintable(paper + ": " + expected + "\n" + text));
    }
}

QTEST_MAIN(TestOwnerFigures)
#include "tst_owner_figures.moc"
