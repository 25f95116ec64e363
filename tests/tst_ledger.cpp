#include <QtTest>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableView>

#include "accountbooks.h"
#include "amounts.h"
#include "basket.h"
#include "checkoutfixture.h"
#include "enginedriver.h"
#include "ctrluiclass.h"
#include "dbsetconfig.h"
#include "ledgersql.h"
#include "memberwriter.h"
#include "refundwriter.h"
#include "membersummary.h"
#include "salewriter.h"
#include "sessionwarmup.h"
#include "sqltext.h"
#include "summarybook.h"
#include "transactionscope.h"

using namespace checkout_fixture;

// The rules layer on its own, without a window: what each writer refuses, what
// it writes, and that the books still hold together afterwards.
class TestLedger : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void moneyInput_data();
    void moneyInput();
    void saleRefusalsWriteNothing();
    void cardIssue();
    void cardIssuePackageByCode();
    void renewalAddsToWhatIsHeld();
    void debtsOfEverySource();
    void memberSummaryIsWhatItsRowsAdd();
    void memberTotalsFollowEveryDocument();
    void warmUpLeavesNothing();
    void deletionsKeepPrepaidValue();
    void documentIdsAreUnique();
    void bookRefusalsNameTheirCause_data();
    void bookRefusalsNameTheirCause();
    void basketBelongsToItsConnection();
    void writeWhileAListIsReading();

private:
    std::unique_ptr<TestWorkdir> m_wd;
    int rowsOfMoney();
};

void TestLedger::init()
{
    m_wd = std::make_unique<TestWorkdir>();
    seedShop();
}

void TestLedger::cleanup()
{
    m_wd.reset();
}

// Every row a money operation may write, counted together.
int TestLedger::rowsOfMoney()
{
    return sqlValue("select (select count(*) from huiyuanxiaofei)+(select count(*) from xiaofeimingxi)+"
                    "(select count(*) from huiyuanjiaofei)+(select count(*) from huiyuanyuebiandong)+"
                    "(select count(*) from huiyuanjifen)+(select count(*) from tichengmingxi)+"
                    "(select count(*) from chanpinrukumingxi)+(select count(*) from huiyuan)+"
                    "(select count(*) from danjuhao)")
        .toInt();
}

void TestLedger::moneyInput_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<qint64>("cents");
    QTest::newRow("plain") << "12345.67" << true << qint64(1234567);
    QTest::newRow("empty is nothing") << "" << true << qint64(0);
    QTest::newRow("trailing zeros") << "33.330" << true << qint64(3333);
    QTest::newRow("a third of a cent") << "33.334" << false << qint64(0);
    QTest::newRow("exponent, whole cents") << "1e3" << true << qint64(100000);
    QTest::newRow("too large") << "1e308" << false << qint64(0);
    QTest::newRow("above the bound") << "1000000000.01" << false << qint64(0);
    QTest::newRow("negative") << "-5" << false << qint64(0);
    QTest::newRow("not a number") << "五十" << false << qint64(0);
    QTest::newRow("comment trick") << "500--50" << false << qint64(0);
}

void TestLedger::moneyInput()
{
    QFETCH(QString, typed);
    QFETCH(bool, ok);
    QFETCH(qint64, cents);
    const MoneyInput m = parseMoneyInput(typed, QStringLiteral("金额"));
    QCOMPARE(m.ok, ok);
    QCOMPARE(m.cents, cents);
    if (!ok)
        QVERIFY(m.error.startsWith(QStringLiteral("金额")));
}

void TestLedger::saleRefusalsWriteNothing()
{
    const int before = rowsOfMoney();
    Basket basket(QStringLiteral("xf_test1"));
    basket.open(QStringLiteral("1002"));
    SaleLine line;
    line.key = QStringLiteral("k1");
    line.type = QStringLiteral("服务项目");
    line.itemId = QStringLiteral("S01");
    line.name = QStringLiteral("洗剪吹");
    line.listCents = 10000;
    line.unitCents = 3333;
    line.quantity = 3;
    QVERIFY(basket.addLine(line).ok);
    // 33.33 × 3 is 99.99, not 100: the line amount is the unit in cents times the quantity.
    QCOMPARE(basket.moneyCents(), qint64(9999));

    Sale sale = basket.toSale();
    sale.memberId = QStringLiteral("1002");
    sale.operatorName = QStringLiteral("admin");
    sale.lineMethod = QStringLiteral("储蓄卡");
    // 80 on the card does not pay 99.99.
    sale.payments = {PaymentPart{QStringLiteral("储蓄卡"), 9999}};
    LedgerResult r = SaleWriter::commit(sale);
    QVERIFY(!r.ok);
    QVERIFY2(r.error.contains(QStringLiteral("卡内余额不足")), qPrintable(r.error));
    // Payments that do not add up to the receivable.
    sale.payments = {PaymentPart{QStringLiteral("现金"), 9998}};
    r = SaleWriter::commit(sale);
    QVERIFY(!r.ok);
    // The walk-in customer never owes.
    sale.memberId = QStringLiteral("0000");
    sale.payments = {PaymentPart{QStringLiteral("现金"), 9000}};
    sale.debtCents = 999;
    QCOMPARE(SaleWriter::commit(sale).error, QStringLiteral("散客不能欠费"));
    QCOMPARE(rowsOfMoney(), before);
    QCOMPARE(sqlValue("select shengyujine from huiyuan where ID='1002'"), QString("80"));

    // Paid in full: written once; the same basket cannot be committed again.
    sale.memberId = QStringLiteral("1002");
    sale.debtCents = 1999;
    sale.payments = {PaymentPart{QStringLiteral("储蓄卡"), 8000}};
    r = SaleWriter::commit(sale);
    QVERIFY2(r.ok, qPrintable(r.error));
    QCOMPARE(sqlValue("select shengyujine from huiyuan where ID='1002'"), QString("0"));
    QCOMPARE(sqlValue("select qiankuanjine from huiyuanxiaofei where ID='" + r.documentId + "' order by rowid"), QString("19.99"));
    QVERIFY(!SaleWriter::commit(sale).ok);
    QCOMPARE(sqlValue("select count(*) from huiyuanxiaofei"), QString("1"));
    QCOMPARE(DebtBook::memberDebt(QStringLiteral("1002")), qint64(1999));
    verifyBooks();
}

void TestLedger::cardIssue()
{
    // 10 % of the card price for a 发型师, the "所有员工" 5 % for everybody else.
    sqlExec("insert into tichengshezhi values('金卡','会员卡','发型师','轮单提成','按比例提成',10,0)");
    sqlExec("insert into tichengshezhi values('金卡','会员卡','所有员工','轮单提成','按比例提成',5,0)");
    sqlExec("insert into tichengshezhi values('S01','服务项目','发型师','轮单提成','按固定金额提成',0,30)");
    CardIssue c;
    c.memberId = QStringLiteral("2001");
    c.name = QStringLiteral("孙七");
    c.cardType = QStringLiteral("金卡");
    c.employeeId = QStringLiteral("E01");
    c.priceCents = 40000;
    c.receivedCents = 30000;
    c.method = QStringLiteral("现金");
    c.operatorName = QStringLiteral("admin");
    const LedgerResult r = MemberWriter::issueCard(c);
    QVERIFY2(r.ok, qPrintable(r.error));
    QCOMPARE(sqlRows("select tichengbili,tichengjine,jisuanfangshi,xiaofeiID from tichengmingxi order by rowid"),
             (QList<QStringList>{{"10", "40", "按比例提成", r.documentId}}));
    // The employee by name, as top-ups and renewals store it; the debt on the payment row.
    QCOMPARE(sqlRows("select yuangongName,qiankuanjine,shifujine from huiyuanjiaofei order by rowid"),
             (QList<QStringList>{{"张三", "100", "300"}}));
    QCOMPARE(DebtBook::memberDebt(QStringLiteral("2001")), qint64(10000));
    // One points total: the card's points are a ledger row, and the member row follows it.
    QCOMPARE(sqlValue("select jifen from huiyuan where ID='2001'"), QString("200"));
    QCOMPARE(sqlValue("select shengyujifen from huiyuanjifen where huiyuanid='2001' order by rowid"), QString("200"));

    c.memberId = QStringLiteral("2002");
    c.employeeId = QStringLiteral("E02");
    c.receivedCents = 40000;
    QVERIFY(MemberWriter::issueCard(c).ok);
    QCOMPARE(sqlValue("select tichengjine from tichengmingxi where xiangmuID='2002' order by rowid"), QString("20"));
    // A member number is issued once.
    QVERIFY(!MemberWriter::issueCard(c).ok);
    verifyBooks();
}

void TestLedger::cardIssuePackageByCode()
{
    // Two packages of one name; the second holds an item no longer in the catalogue.
    sqlExec("insert into taocanmingxi(taocanID,name,zongjia,xiangmuID,fuwucishu) values('T1','护理套餐',300,'S01',3)");
    sqlExec("insert into taocanmingxi(taocanID,name,zongjia,xiangmuID,fuwucishu) values('T2','护理套餐',800,'S03',4)");
    sqlExec("insert into taocanmingxi(taocanID,name,zongjia,xiangmuID,fuwucishu) values('T2','护理套餐',800,'S09',2)");
    CardIssue c;
    c.memberId = QStringLiteral("2003");
    c.cardType = QStringLiteral("普通卡");
    c.packageId = QStringLiteral("T2");
    c.receivedCents = 80000;
    c.method = QStringLiteral("现金");
    c.operatorName = QStringLiteral("admin");
    const LedgerResult r = MemberWriter::issueCard(c);
    QVERIFY2(r.ok, qPrintable(r.error));
    QCOMPARE(sqlValue("select yingjiaojine from huiyuanjiaofei order by rowid"), QString("800"));
    QCOMPARE(sqlRows("select xiangmuID,shengyucishu from huiyuantaocan where huiyuanID='2003' order by xiangmuID"),
             (QList<QStringList>{{"S03", "4"}, {"S09", "2"}}));
    // Paying for T1's price does not buy T2.
    c.memberId = QStringLiteral("2004");
    c.receivedCents = 90000;
    QVERIFY(!MemberWriter::issueCard(c).ok);
    verifyBooks();
}

void TestLedger::renewalAddsToWhatIsHeld()
{
    // 烫发 left the catalogue while 1001 still holds 5 prepaid uses of it.
    sqlExec("delete from fuwuxiangmu where ID='S02'");
    Renewal r;
    r.memberId = QStringLiteral("1001");
    r.items = {PackageItem{QStringLiteral("S01"), 3}, PackageItem{QStringLiteral("S02"), 2}};
    r.dueCents = 25000;
    r.payments = {PaymentPart{QStringLiteral("储蓄卡"), 5000}, PaymentPart{QStringLiteral("现金"), 15000}};
    r.debtCents = 5000;
    r.employee = QStringLiteral("李四");
    r.operatorName = QStringLiteral("admin");
    const LedgerResult done = MemberWriter::renew(r);
    QVERIFY2(done.ok, qPrintable(done.error));
    QCOMPARE(sqlRows("select xiangmuID,sum(shengyucishu) from huiyuantaocan where huiyuanID='1001' group by xiangmuID"),
             (QList<QStringList>{{"S01", "3"}, {"S02", "7"}}));
    QCOMPARE(sqlValue("select shengyujine from huiyuan where ID='1001'"), QString("450"));
    QCOMPARE(sqlValue("select log from log order by rowid desc limit 1"), QString("会员套餐  会员号：1001"));
    // Payments short of the due and no debt to cover it: refused whole.
    const int before = rowsOfMoney();
    r.debtCents = 0;
    QVERIFY(!MemberWriter::renew(r).ok);
    QCOMPARE(rowsOfMoney(), before);
    verifyBooks();
}

void TestLedger::debtsOfEverySource()
{
    TopUp t;
    t.memberId = QStringLiteral("1002");
    t.paidInCents = 100000;
    t.bonusCents = 5000;
    t.receivedCents = 80000;
    t.method = QStringLiteral("现金");
    t.employee = QStringLiteral("E01");
    t.operatorName = QStringLiteral("admin");
    const LedgerResult top = MemberWriter::topUp(t);
    QVERIFY2(top.ok, qPrintable(top.error));
    QCOMPARE(sqlValue("select yuangongName from huiyuanjiaofei order by rowid"), QString("张三"));
    QCOMPARE(DebtBook::memberDebt(QStringLiteral("1002")), qint64(20000));

    Repayment pay;
    pay.documentId = top.documentId;
    pay.cents = 25000;
    pay.method = QStringLiteral("微信");
    pay.operatorName = QStringLiteral("admin");
    const int before = rowsOfMoney();
    QVERIFY2(MemberWriter::repay(pay).error.contains(QStringLiteral("还款金额大于该单欠款金额")),
             qPrintable(MemberWriter::repay(pay).error));
    QCOMPARE(rowsOfMoney(), before);
    pay.cents = 15000;
    QVERIFY(MemberWriter::repay(pay).ok);
    QCOMPARE(DebtBook::memberDebt(QStringLiteral("1002")), qint64(5000));
    // The repayment is takings of its day and method, under the top-up's document.
    QCOMPARE(sqlRows("select jiaofeileixing,shifujine,fukuanleixing from huiyuanjiaofei where ID='" + top.documentId
                     + "' order by rowid"),
             (QList<QStringList>{{"会员充值", "800", "现金"}, {"会员还款", "150", "微信"}}));
    pay.documentId = QStringLiteral("nothing");
    QVERIFY(!MemberWriter::repay(pay).ok);
    verifyBooks();
}

// The counter's one read of a member against the books and the rows it sums:
// a top-up with a debt, a sale on the card with points and a debt, a
// repayment, an opening debt, a package.
void TestLedger::memberSummaryIsWhatItsRowsAdd()
{
    const QString id = QStringLiteral("1002");
    TopUp t;
    t.memberId = id;
    t.paidInCents = 100000;
    t.bonusCents = 5000;
    t.receivedCents = 80000;
    t.method = QStringLiteral("现金");
    t.operatorName = QStringLiteral("admin");
    const LedgerResult top = MemberWriter::topUp(t);
    QVERIFY2(top.ok, qPrintable(top.error));
    Basket basket(QStringLiteral("xf_summary"));
    basket.open(id);
    SaleLine line;
    line.key = QStringLiteral("k1");
    line.type = QStringLiteral("服务项目");
    line.itemId = QStringLiteral("S01");
    line.name = QStringLiteral("洗剪吹");
    line.listCents = line.unitCents = 3333;
    line.quantity = 3;
    QVERIFY(basket.addLine(line).ok);
    Sale sale = basket.toSale();
    sale.memberId = id;
    sale.operatorName = QStringLiteral("admin");
    sale.lineMethod = QStringLiteral("储蓄卡");
    sale.debtCents = 999;
    sale.payments = {PaymentPart{QStringLiteral("储蓄卡"), 9000}};
    const LedgerResult sold = SaleWriter::commit(sale);
    QVERIFY2(sold.ok, qPrintable(sold.error));
    Repayment pay;
    pay.documentId = top.documentId;
    pay.cents = 15001;
    pay.method = QStringLiteral("微信");
    pay.operatorName = QStringLiteral("admin");
    QVERIFY(MemberWriter::repay(pay).ok);
    sqlExec("insert into qichudaorumingxi(duixiang,qiankuanweihuan,qiankuandanhao) values('1002',12.34,'QC1')");
    sqlExec("update huiyuan set guwenrenyuan='E01' where ID='1002'");

    const MemberSummary m = MemberSummary::read(id);
    QVERIFY(m.found() && !m.walkIn);
    QCOMPARE(m.name, sqlValue("select name from huiyuan where ID='1002'"));
    QCOMPARE(m.balanceCents, BalanceBook::balance(id));
    QCOMPARE(m.paidInCents, BalanceBook::paidInCents(id));
    QCOMPARE(m.debtCents, DebtBook::memberDebt(id));
    QCOMPARE(m.debtCents, qint64(100000 - 80000 - 15001 + 999 + 1234));
    QCOMPARE(m.spentCents, yuanToCents(sqlValue("select sum(jine) from huiyuanxiaofei where huiyuanid='1002'").toDouble()));
    QVERIFY(m.spentCents > 0);
    QCOMPARE(m.points, PointsBook::points(id));
    QCOMPARE(m.cardPoints, sqlValue("select jifen from huiyuan where ID='1002'").toDouble());
    QCOMPARE(m.adviserName, QStringLiteral("张三"));
    const MemberSummary held = MemberSummary::read(QStringLiteral("1001"));
    QCOMPARE(held.usesLeft, 5.0);
    QCOMPARE(held.cardType, QStringLiteral("金卡"));

    // No points ledger yet: the card's own points; nobody and the walk-in have nothing.
    sqlExec("insert into huiyuan(ID,name,shengyujine,jifen) values('1005','新',0,12)");
    QCOMPARE(MemberSummary::read(QStringLiteral("1005")).points, 12.0);
    QVERIFY(!MemberSummary::read(QStringLiteral("nobody")).found());
    QVERIFY(!MemberSummary::exists(QString()));
    const MemberSummary walkIn = MemberSummary::of(QStringLiteral("0000"));
    QVERIFY(walkIn.walkIn && walkIn.balanceCents == 0 && walkIn.debtCents == 0);

    // The search: a card number names one member; else a name or phone that
    // begins with the text; else one that contains it; quotes are text.
    sqlExec("insert into huiyuan(ID,name,phone,shengyujine,jifen) values('1003','张''三','13911112222',0,0),"
            "('139','李四','0571',0,0)");
    QCOMPARE(MemberSummary::search(QStringLiteral("139"), 2), QStringList{"139"});
    QCOMPARE(MemberSummary::search(QStringLiteral("张'"), 2), QStringList{"1003"});
    QCOMPARE(MemberSummary::search(QStringLiteral("1111"), 2), QStringList{"1003"});
    QCOMPARE(MemberSummary::search(QStringLiteral("没有"), 2), QStringList());
    QCOMPARE(MemberSummary::search(QString(), 2).size(), 2);
    verifyBooks();
}

// The panel's running totals are kept beside the rows; after every kind of
// document they must be what the rows add up to, summed here from the rows
// themselves as the counter once did at every search.
// A service line of one at its list price, entered by admin.
static SaleLine serviceLine(const QString &key, const QString &itemId, const QString &name, qint64 cents)
{
    SaleLine l;
    l.key = key;
    l.type = QStringLiteral("服务项目");
    l.itemId = itemId;
    l.name = name;
    l.listCents = l.unitCents = l.amountCents = cents;
    l.quantity = 1;
    l.enteredBy = QStringLiteral("admin");
    return l;
}

void TestLedger::memberTotalsFollowEveryDocument()
{
    const QString id = QStringLiteral("1001");
    const auto fromRows = [&id] {
        const QStringList r = sqlRows(
            "select coalesce(h.jiaofeijinE,0)+coalesce((select sum(yingjiaojine) from huiyuanjiaofei where huiyuanid=h.ID "
            "and jiaofeileixing in ('会员充值','会员卡升级','退储值')),0),coalesce((select sum(jine) from huiyuanxiaofei "
            "where huiyuanid=h.ID),0),coalesce((select sum(qiankuanjine) from huiyuanxiaofei where huiyuanid=h.ID),0)"
            "+coalesce((select sum(qiankuanjine) from huiyuanjiaofei where huiyuanid=h.ID),0)+coalesce((select "
            "sum(qiankuanweihuan) from qichudaorumingxi where duixiang=h.ID and qiankuandanhao is not null),0),"
            "coalesce((select sum(shengyucishu) from huiyuantaocan where huiyuanID=h.ID),0) from huiyuan h where h.ID='"
            + id + "'").value(0);
        return QStringList{centsText(yuanToCents(r.value(0).toDouble())), centsText(yuanToCents(r.value(1).toDouble())),
                           centsText(yuanToCents(r.value(2).toDouble())), numberText(r.value(3).toDouble())};
    };
    const auto shown = [&id] {
        const MemberSummary m = MemberSummary::read(id);
        return QStringList{centsText(m.paidInCents), centsText(m.spentCents), centsText(m.debtCents), numberText(m.usesLeft)};
    };
    const auto step = [&](const char *what, const LedgerResult &done) {
        QVERIFY2(done.ok, qPrintable(QString::fromUtf8(what) + QLatin1Char(' ') + done.error));
        QCOMPARE(shown(), fromRows());
        QVERIFY2(summaryDifferences().isEmpty(), qPrintable(QString::fromUtf8(what) + '\n' + summaryDifferences()));
    };
    QCOMPARE(shown(), (QStringList{"0", "0", "0", "5"}));

    TopUp t;
    t.memberId = id;
    t.paidInCents = 30000;
    t.receivedCents = 25000;
    t.method = QStringLiteral("现金");
    t.operatorName = QStringLiteral("admin");
    const LedgerResult top = MemberWriter::topUp(t);
    step("top-up", top);
    QCOMPARE(shown(), (QStringList{"300", "0", "50", "5"}));

    // On the card with a debt, and one use of the package.
    Sale sale;
    sale.memberId = id;
    sale.operatorName = QStringLiteral("admin");
    sale.lineMethod = QStringLiteral("储蓄卡");
    const SaleLine cut = serviceLine(QStringLiteral("s1"), QStringLiteral("S01"), QStringLiteral("洗剪吹"), 8000);
    SaleLine use = cut;
    use.key = QStringLiteral("s2");
    use.type = QStringLiteral("套餐消费");
    use.itemId = QStringLiteral("S02");
    use.name = QStringLiteral("烫发");
    use.amountCents = 0;
    sale.lines = {cut, use};
    sale.debtCents = 1500;
    sale.payments = {PaymentPart{QStringLiteral("储蓄卡"), 6500}};
    const LedgerResult sold = SaleWriter::commit(sale);
    step("sale", sold);
    QCOMPARE(shown().value(3), QString("4"));

    Repayment pay;
    pay.documentId = sold.documentId;
    pay.cents = 1000;
    pay.method = QStringLiteral("微信");
    pay.operatorName = QStringLiteral("admin");
    step("repayment", MemberWriter::repay(pay));

    BalanceRefund back;
    back.memberId = id;
    back.takenCents = 10000;
    back.paidBackCents = 4000; // the open debt (55) is repaid from the card first
    back.method = QStringLiteral("现金");
    back.reason = QStringLiteral("顾客搬家");
    back.operatorName = back.authorizedBy = QStringLiteral("admin");
    step("balance refund", RefundWriter::refundBalance(back));

    PackageRefund uses;
    uses.memberId = id;
    uses.itemId = QStringLiteral("S02");
    uses.uses = 2;
    uses.method = QStringLiteral("现金");
    uses.reason = QStringLiteral("不再烫发");
    uses.operatorName = uses.authorizedBy = QStringLiteral("admin");
    step("package refund", RefundWriter::refundPackage(uses));
    QCOMPARE(shown().value(3), QString("2"));

    step("void", RefundWriter::voidSale(SaleVoid{sold.documentId, QStringLiteral("收银员点错了项目"), QStringLiteral("admin"),
                                                 QStringLiteral("admin")}));
    QCOMPARE(shown().value(3), QString("3"));
    verifyBooks();

    // Rows changed or deleted by hand (the generic editor, a repair) follow too.
    sqlExec("update huiyuanxiaofei set jine=jine+1, huiyuanid='1002' where ID='" + sold.documentId + "'");
    sqlExec("delete from huiyuanxiaofei where beizhu='会员还款'");
    sqlExec("update huiyuanjiaofei set yingjiaojine=yingjiaojine+7, qiankuanjine=0 where ID='" + top.documentId + "'");
    sqlExec("delete from huiyuanjiaofei where ID<>'" + top.documentId + "'");
    sqlExec("insert into qichudaorumingxi(duixiang,qiankuanweihuan,qiankuandanhao) values('1001',12.34,'QC1')");
    sqlExec("update huiyuantaocan set huiyuanID='1002' where huiyuanID='1001'");
    QCOMPARE(shown(), fromRows());
    QVERIFY2(summaryDifferences().isEmpty(), qPrintable(summaryDifferences()));

    // Changed behind the triggers' back: the check names the member, the rebuild mends it.
    sqlExec("update rihuizong_huiyuanleiji set qiankuan_fen = qiankuan_fen + 1 where huiyuanid = '1001'");
    QVERIFY2(summaryDifferences().contains(QStringLiteral("会员累计与记录不符 | 1001")), qPrintable(summaryDifferences()));
    QVERIFY(SummaryBook::rebuild(readDbset()).ok);
    QCOMPARE(shown(), fromRows());
    // A shop made before the totals: the upgrade fills them from the rows.
    sqlExec("delete from rihuizong_huiyuanleiji");
    createTables();
    QCOMPARE(shown(), fromRows());
    QVERIFY2(summaryDifferences().isEmpty(), qPrintable(summaryDifferences()));
}

// The login's warm-up on a shop server writes two sales and takes them back:
// not a row, a document number or a summary's cent of them may stay.
void TestLedger::warmUpLeavesNothing()
{
    const auto everything = [] {
        QStringList all;
        for (const QStringList &t : sqlRows(
                 EngineDriver::current().isServer()
                     ? "select table_name from information_schema.tables where table_schema=current_schema() and "
                       "table_type='BASE TABLE' order by 1"
                     : "select name from sqlite_master where type='table' and name not like 'sqlite%' order by 1"))
            all << t.first() + ':' + sqlValue("select count(*) from " + t.first());
        for (const char *sql : {"select huiyuanid, jiaofei_fen, xiaofei_fen, qiankuan_fen from rihuizong_huiyuanleiji "
                                "order by huiyuanid",
                                "select riqi, laiyuan, fangshi, jine_fen, bishu from rihuizong_shouyin order by 1, 2, 3",
                                "select ID, shengyujine, jifen from huiyuan order by ID"})
            for (const QStringList &r : sqlRows(QString::fromUtf8(sql)))
                all << r.join(QLatin1Char('|'));
        return all;
    };
    const QStringList before = everything();
    const int written = SessionWarmUp::run(QStringLiteral("admin"));
    QCOMPARE(written, EngineDriver::current().isServer() ? 2 : 0);
    QCOMPARE(everything(), before);
    // The first search of the session already runs on the plan the server keeps.
    if (EngineDriver::current().isServer()) {
        QCOMPARE(MemberSummary::find(QStringLiteral("1001"), 2).value(0).id, QStringLiteral("1001"));
        const QString plans =
            sqlValue("select max(generic_plans) from pg_prepared_statements where statement like '%with v(t, upto, lim)%'");
        QVERIFY2(plans.toInt() >= 1, qPrintable(plans));
    }
    // The desk sells as before, the first document number included.
    Sale s;
    s.memberId = QStringLiteral("1001");
    s.operatorName = QStringLiteral("admin");
    s.lineMethod = QStringLiteral("现金");
    s.lines << serviceLine(QStringLiteral("k"), QStringLiteral("S01"), QStringLiteral("洗剪吹"), 10000);
    s.payments << PaymentPart{QStringLiteral("现金"), 10000};
    const LedgerResult sold = SaleWriter::commit(s);
    QVERIFY2(sold.ok, qPrintable(sold.error));
    QCOMPARE(sqlValue("select count(*) from danjuhao"), QString("1"));
    verifyBooks();
}

void TestLedger::deletionsKeepPrepaidValue()
{
    // 1001: balance and uses; 1003: nothing left but a debt; 1004: nothing at all.
    sqlExec("insert into huiyuan(ID,name,shengyujine,jifen) values('1003','欠','0',0),('1004','空','0',0)");
    sqlExec("insert into huiyuanjiaofei(ID,huiyuanid,jiaofeileixing,qiankuanjine) values('CZ9','1003','会员充值',20)");
    QVERIFY(MemberWriter::deleteMember(QStringLiteral("1001"), QStringLiteral("admin")).error.contains(QStringLiteral("余额")));
    sqlExec("update huiyuan set shengyujine=0 where ID='1001'");
    QVERIFY(MemberWriter::deleteMember(QStringLiteral("1001"), QStringLiteral("admin")).error.contains(QStringLiteral("套餐次数")));
    QVERIFY(MemberWriter::deleteMember(QStringLiteral("1003"), QStringLiteral("admin")).error.contains(QStringLiteral("欠款")));
    QCOMPARE(sqlValue("select count(*) from huiyuan where ID in ('1001','1003')"), QString("2"));
    QVERIFY(MemberWriter::deleteMember(QStringLiteral("1004"), QStringLiteral("admin")).ok);
    QCOMPARE(sqlValue("select count(*) from huiyuan where ID='1004'"), QString("0"));
    QVERIFY(sqlValue("select log from log order by rowid desc limit 1").contains(QStringLiteral("1004")));

    QVERIFY(!MemberWriter::serviceItemInUse(QStringLiteral("S02")).isEmpty()); // 1001 holds uses
    sqlExec("insert into taocanmingxi(taocanID,name,xiangmuID,fuwucishu) values('T1','套','S03',2)");
    QVERIFY(!MemberWriter::serviceItemInUse(QStringLiteral("S03")).isEmpty()); // a package sells it
    QVERIFY(MemberWriter::serviceItemInUse(QStringLiteral("S01")).isEmpty());
}

void TestLedger::documentIdsAreUnique()
{
    QString first, second;
    {
        TransactionScope tx;
        first = LedgerSql::newDocumentId(QStringLiteral("CZ"), QStringLiteral("会员充值"), QStringLiteral("admin"),
                                         QStringLiteral("CZ20260101000000000"));
        // Another desk asking for the same number gets a new one.
        second = LedgerSql::newDocumentId(QStringLiteral("CZ"), QStringLiteral("会员充值"), QStringLiteral("admin"),
                                          QStringLiteral("CZ20260101000000000"));
        QVERIFY(tx.commit());
    }
    QCOMPARE(first, QString("CZ20260101000000000"));
    QVERIFY(second.startsWith("CZ") && second != first);
    // The table itself refuses a second row of one number.
    QSqlQuery q;
    QVERIFY(!q.exec("insert into danjuhao(ID) values('CZ20260101000000000')"));
}

// The books ask whether the member is there only after their guard refused:
// the cashier still reads why, and nothing is written either way.
void TestLedger::bookRefusalsNameTheirCause_data()
{
    QTest::addColumn<bool>("points");
    QTest::addColumn<QString>("member");
    QTest::addColumn<QString>("why");
    QTest::newRow("card, too little on it") << false << "1002" << "卡内余额不足请采用别的方式付款";
    QTest::newRow("card, member gone") << false << "9999" << "找不到该会员";
    QTest::newRow("points, too few") << true << "1002" << "积分不足";
    QTest::newRow("points, member gone") << true << "9999" << "找不到该会员";
}

void TestLedger::bookRefusalsNameTheirCause()
{
    QFETCH(bool, points);
    QFETCH(QString, member);
    QFETCH(QString, why);
    const int before = rowsOfMoney();
    const Entry e{QStringLiteral("会员消费"), QStringLiteral("admin"), QStringLiteral("消费单：xf_x")};
    TransactionScope tx;
    QVERIFY(!(points ? PointsBook::change(member, -1e6, e) : BalanceBook::change(member, -100000000, e)));
    QVERIFY(!tx.commit());
    QCOMPARE(LedgerSql::failureText(QStringLiteral("保存失败"), tx.firstError()), why);
    QCOMPARE(rowsOfMoney(), before);
}

void TestLedger::basketBelongsToItsConnection()
{
    Basket basket(QStringLiteral("xf_mine"));
    basket.open(QStringLiteral("1001"));
    SaleLine line;
    line.key = QStringLiteral("k");
    line.type = QStringLiteral("产品");
    line.itemId = QStringLiteral("P01");
    line.unitCents = 5000;
    line.quantity = 1;
    QVERIFY(basket.addLine(line).ok);
    {
        // A second desk on the same file sees a working table of its own, empty.
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("desk2"));
        other.setDatabaseName(m_wd->path() + "/mochenxinxi.db");
        QVERIFY(other.open());
        QSqlQuery q(other);
        QVERIFY(q.exec(EngineDriver::sqlite().createTable(
            dbsetEntry<tempCreateTableinfo>(readDbset(), QStringLiteral("tempxiaofeimingxi_db")).SqlStr)));
        QVERIFY(q.exec("select count(*) from tempxiaofeimingxi") && q.next());
        QCOMPARE(q.value(0).toInt(), 0);
        q.finish();
        other.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("desk2"));
    QCOMPARE(basket.toSale().lines.size(), 1);
}

// A long list fetched only in part holds the connection's read snapshot; once
// another desk has committed, no write could begin on this connection. The
// write ends such reads and goes through.
void TestLedger::writeWhileAListIsReading()
{
    if (EngineDriver::current().isServer())
        QSKIP("the server's driver reads a list whole: no reader holds a snapshot");
    sqlExec("begin");
    for (int i = 0; i < 600; ++i)
        sqlExec(QStringLiteral("insert into log(time,\"user\",log) values('2026-01-01 10:00:00','admin','行%1')").arg(i));
    sqlExec("commit");
    ctrlUiClass ctrl;
    QTableView view;
    ctrl.setupView(readDbset(), &view, QStringLiteral("日志查询"));
    QVERIFY(view.model() && view.model()->canFetchMore(QModelIndex()));
    {
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("desk2"));
        other.setDatabaseName(m_wd->path() + "/mochenxinxi.db");
        QVERIFY(other.open());
        QSqlQuery q(other);
        QVERIFY(q.exec("insert into log(time,\"user\",log) values('2026-01-01 11:00:00','小王','另一台收银台')"));
        other.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("desk2"));
    TopUp t;
    t.memberId = QStringLiteral("1002");
    t.paidInCents = 10000;
    t.receivedCents = 10000;
    t.method = QStringLiteral("现金");
    t.operatorName = QStringLiteral("admin");
    const LedgerResult r = MemberWriter::topUp(t);
    QVERIFY2(r.ok, qPrintable(r.error));
    QCOMPARE(sqlValue("select shengyujine from huiyuan where ID='1002'"), QString("180"));
    // The list is read again, up to date.
    ctrl.refreshView(QStringLiteral("日志查询"), QString());
    QVERIFY(sqlValue("select count(*) from log").toInt() >= 602);
}

QTEST_MAIN(TestLedger)
#include "tst_ledger.moc"
