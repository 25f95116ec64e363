#include <QtTest>

#include "accountbooks.h"
#include "amounts.h"
#include "checkoutfixture.h"
#include "passwordhash.h"
#include "businesscharts.h"
#include "chartreads.h"
#include "meiritixingdlg.h"
#include "receiptsettings.h"
#include "reportquery.h"
#include "takingstree.h"
#include "tuichuzhidlg.h"
#include "tuitaocandlg.h"
#include "zuofeidlg.h"
#include "memberwriter.h"
#include "refundwriter.h"
#include "salewriter.h"
#include "bookingwriter.h"
#include "dbrecords.h"
#include "recordrequests.h"
#include "tableregistry.h"
#include "schemaupgrade.h"
#include "sqldialect.h"
#include "transactionscope.h"

#include <QSqlQuery>
#include <QStandardItemModel>

using namespace checkout_fixture;

// Refunds and voids in the rules layer, without a window: what they give back,
// what they refuse, and that the books hold together afterwards.
class TestRefunds : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void voidGivesEverythingBack();
    void voidOfASaleWithDebt_data();
    void voidOfASaleWithDebt();
    void voidOfAWalkInSale();
    void voidRefusals();
    void balanceRefund();
    void packageRefund();
    void dialogsAskForTheRight();
    void balanceRefundPaysBackWhatWasPaid();
    void cardRefundTakesCommissionAndPointsBack();
    void packageRefundIsPricedByTheUses();
    void takingsSayWhatHappened();
    void voidOfADeletedMembersSale();
    void refundDialogsShowTheLimits();
    void packageReminderListsTheLastUses();
    void oldCardPackageRefundsAreCorrected();
    void longTextsAreRefused();

private:
    std::unique_ptr<TestWorkdir> m_wd;
};

namespace {

const QString kAdmin = QStringLiteral("admin");

SaleLine line(const QString &type, const QString &item, qint64 unitCents, qint64 quantity)
{
    SaleLine l;
    l.key = type + item;
    l.type = type;
    l.itemId = item;
    l.name = item;
    l.listCents = unitCents;
    l.unitCents = unitCents;
    l.quantity = quantity;
    l.amountCents = type == QStringLiteral("套餐消费") ? 0 : unitCents * quantity;
    l.points = type == QStringLiteral("套餐消费") ? 0 : double(unitCents * quantity) / 100;
    l.enteredBy = kAdmin;
    return l;
}

QString commit(Sale s)
{
    s.operatorName = kAdmin;
    s.lineMethod = s.payments.value(0).method;
    const LedgerResult r = SaleWriter::commit(s);
    if (!r.ok)
        qWarning() << r.error;
    return r.documentId;
}

// The 综合统计 tree of today (as the handover builds it): caption → amount.
QMap<QString, QString> takingsToday()
{
    QStandardItemModel model;
    const QString day = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
    TakingsTree::build(&model, TakingsRead::period(day, day + QStringLiteral(" 23:59:59")));
    QMap<QString, QString> t;
    for (int r = 0; r < model.rowCount(); ++r)
        t.insert(model.index(r, 0).data().toString(), model.index(r, 1).data().toString());
    return t;
}

BalanceRefund cashBack(const QString &member, qint64 taken, qint64 back)
{
    return BalanceRefund{member, taken, back, QStringLiteral("现金"), QStringLiteral("会员退卡"), kAdmin, kAdmin};
}

PackageRefund usesBack(const QString &item, qint64 uses, qint64 back, const QString &method,
                            const QString &aboveBy = QString())
{
    return PackageRefund{QStringLiteral("1001"), item, uses, back, method, QStringLiteral("不做了"), kAdmin, kAdmin,
                         aboveBy};
}

LedgerResult topUp(const QString &member, qint64 paidIn, qint64 bonus, qint64 received)
{
    TopUp t;
    t.memberId = member;
    t.paidInCents = paidIn;
    t.bonusCents = bonus;
    t.receivedCents = received;
    t.method = QStringLiteral("现金");
    t.operatorName = kAdmin;
    return MemberWriter::topUp(t);
}

// 金卡 (price and value 500) for 2001, 200 paid, 300 owed, 张三 credited 10 %.
QString issueGoldCardWithDebt()
{
    sqlExec("insert into tichengshezhi(xiangmuID,xiangmuleixing,yuangongleixing,tichengfangshi,jisuanfanshi,"
            "tichengbili,tichengjiner) values('金卡','会员卡','所有员工','轮单提成','按比例提成',10,0)");
    CardIssue c;
    c.memberId = QStringLiteral("2001");
    c.name = QStringLiteral("孙七");
    c.cardType = QStringLiteral("金卡");
    c.employeeId = QStringLiteral("E01");
    c.priceCents = 50000;
    c.receivedCents = 20000;
    c.method = QStringLiteral("现金");
    c.operatorName = kAdmin;
    const LedgerResult r = MemberWriter::issueCard(c);
    if (!r.ok)
        qWarning() << r.error;
    return r.documentId;
}

QString storedText(const QString &member)
{
    const StoredValue v = BalanceBook::storedValue(member);
    return QStringList{centsText(v.balanceCents), centsText(v.paidCents), centsText(v.bonusCents),
                       centsText(v.debtCents), centsText(v.refundableCents)}
        .join(QLatin1Char('|'));
}

SaleVoid voidOf(const QString &saleId)
{
    return SaleVoid{saleId, QStringLiteral("收银员点错了项目"), kAdmin, kAdmin};
}

// Every figure a void must put back, as one comparable text.
QString figures(const QString &member)
{
    return sqlRows("select (select shengyujine from huiyuan where ID='" + member + "'),"
                   "(select jifen from huiyuan where ID='" + member + "'),"
                   "(select group_concat(xiangmuID||':'||shengyucishu) from huiyuantaocan where huiyuanID='" + member
                   + "'),(select sum(shuliang) from chanpinrukumingxi where chanpinID='P01'),"
                   "(select ROUND(coalesce(sum(shishoujine),0),2) from huiyuanxiaofei),"
                   "(select ROUND(coalesce(sum(qiankuanjine),0),2) from huiyuanxiaofei where huiyuanid='" + member + "'),"
                   "(select ROUND(coalesce(sum(tichengjine),0),2) from tichengmingxi),"
                   "(select ROUND(coalesce(sum(jine),0),2) from xiaofeimingxi)")
        .value(0)
        .join(QLatin1Char('|'));
}

} // namespace

void TestRefunds::init()
{
    m_wd = std::make_unique<TestWorkdir>();
    seedShop();
    // As in every shop after its first login: the default password authorises nothing.
    sqlExec("update \"user\" set password='" + PasswordHash::legacyForm("boss-2026") + "' where name='admin'");
}

void TestRefunds::cleanup()
{
    m_wd.reset();
}

void TestRefunds::voidGivesEverythingBack()
{
    const QString before = figures(QStringLiteral("1001"));
    Sale s;
    s.memberId = QStringLiteral("1001");
    SaleLine cut = line(QStringLiteral("服务项目"), QStringLiteral("S01"), 8000, 1);
    cut.commissions = {CommissionRow{QStringLiteral("E01"), QStringLiteral("轮单提成"), QStringLiteral("按比例提成"), 10, 800}};
    s.lines = {cut, line(QStringLiteral("产品"), QStringLiteral("P01"), 4500, 2),
               line(QStringLiteral("套餐消费"), QStringLiteral("S02"), 20000, 1)};
    s.payments = {PaymentPart{QStringLiteral("储蓄卡"), 10000}, PaymentPart{QStringLiteral("现金"), 7000}};
    const QString sale = commit(s);
    QVERIFY(!sale.isEmpty());
    QVERIFY(figures(QStringLiteral("1001")) != before);
    QCOMPARE(takingsToday().value(QStringLiteral("实际收入")), QString("70"));
    QCOMPARE(takingsToday().value(QStringLiteral("虚拟收入")), QString("100"));

    const SaleVoidPreview p = RefundWriter::previewVoid(sale);
    QVERIFY2(p.problem.isEmpty(), qPrintable(p.problem));
    QCOMPARE(p.cardCents, qint64(10000));
    QCOMPARE(p.cashCents, qint64(7000));
    QCOMPARE(p.points, 170.0);

    const LedgerResult v = RefundWriter::voidSale(voidOf(sale));
    QVERIFY2(v.ok, qPrintable(v.error));
    QVERIFY(v.documentId.startsWith(QStringLiteral("ZF")));
    QCOMPARE(figures(QStringLiteral("1001")), before);
    QCOMPARE(sqlValue("select xiaofeicishu from huiyuantaocan where huiyuanID='1001'"), QString("0"));
    // Takings and the handover net the void out on the day it was made.
    for (const char *caption : {"消费收银合计", "收银总计", "实际收入", "虚拟收入"})
        QCOMPARE(takingsToday().value(QString::fromUtf8(caption)), QString("0"));
    // The sale stays as it was; the void is its own document, paid back by the
    // methods the money came in.
    QCOMPARE(sqlValue("select count(*) from huiyuanxiaofei where ID='" + sale + "'"), QString("2"));
    QCOMPARE(sqlRows("select fukuanfangshi,shishoujine,xiaofeijine,suodejifen,beizhu from huiyuanxiaofei where ID='"
                     + v.documentId + "' order by rowid"),
             (QList<QStringList>{{"储蓄卡", "-100", "-170", "-170", "作废冲销"}, {"现金", "-70", "0", "0", "作废冲销"}}));
    QCOMPARE(sqlValue("select zuofeiID||'|'||yuanyin||'|'||shouquanren from xiaofeizuofei where ID='" + sale + "'"),
             v.documentId + "|收银员点错了项目|admin");
    QCOMPARE(sqlValue("select count(*) from huiyuanyuebiandong where biandongleixing='消费作废'"), QString("2"));
    QCOMPARE(sqlRows("select shuliang,rukutype from chanpinrukumingxi where rukuID='" + v.documentId + "'"),
             (QList<QStringList>{{"2", "消费作废"}}));
    QVERIFY(sqlValue("select log from log where log like '作废会员消费%'").contains(sale));
    // What the lists show: the sale marked, both documents in the member's
    // list, and a void does not count as a visit.
    QCOMPARE(sqlValue("select 备注 from (select min(xiaofeiriqi),ID,coalesce((select '已作废' from xiaofeizuofei z "
                      "where z.ID=huiyuanxiaofei.ID),group_concat(DISTINCT NULLIF(beizhu,''))) as 备注 from "
                      "huiyuanxiaofei where ID='" + sale + "' group by ID)"),
             QString("已作废"));
    verifyBooks();

    // Once only, and never the void itself.
    const int rows = sqlValue("select count(*) from huiyuanxiaofei").toInt();
    QCOMPARE(RefundWriter::voidSale(voidOf(sale)).error, QString("该消费单已经作废，不能再次作废"));
    QCOMPARE(RefundWriter::voidSale(voidOf(v.documentId)).error, QString("这是一张作废单，不能作废"));
    QCOMPARE(sqlValue("select count(*) from huiyuanxiaofei").toInt(), rows);
    // The register's key holds even against a desk that skipped the check.
    QSqlQuery q;
    QVERIFY(!q.exec("insert into xiaofeizuofei(ID,zuofeiID) values('" + sale + "','ZF-other')"));
    verifyBooks();

    // The chain check sees a void that does not cancel its sale.
    sqlExec("delete from tichengmingxi where beizhu='作废冲销'");
    QVERIFY(bookProblems().join(QLatin1Char('\n')).contains(QStringLiteral("作废单与原单不相抵")));
}

void TestRefunds::voidOfASaleWithDebt_data()
{
    QTest::addColumn<qint64>("repaid");
    QTest::newRow("debt open") << qint64(0);
    QTest::newRow("partly repaid") << qint64(3000);
    QTest::newRow("repaid whole") << qint64(15000);
}

// The open debt is cancelled with the sale; what was repaid on it is paid back
// by the repayment's method.
void TestRefunds::voidOfASaleWithDebt()
{
    QFETCH(qint64, repaid);
    const QString before = figures(QStringLiteral("1002"));
    Sale s;
    s.memberId = QStringLiteral("1002");
    s.lines = {line(QStringLiteral("服务项目"), QStringLiteral("S02"), 20000, 1)};
    s.payments = {PaymentPart{QStringLiteral("现金"), 5000}};
    s.debtCents = 15000;
    const QString sale = commit(s);
    QVERIFY(!sale.isEmpty());
    if (repaid > 0) {
        const LedgerResult r = MemberWriter::repay(Repayment{sale, repaid, QStringLiteral("微信"), kAdmin});
        QVERIFY2(r.ok, qPrintable(r.error));
    }
    const SaleVoidPreview p = RefundWriter::previewVoid(sale);
    QCOMPARE(p.openDebtCents, 15000 - repaid);
    QCOMPARE(p.repaidCents, repaid);
    QCOMPARE(p.cashCents, 5000 + repaid);

    const LedgerResult v = RefundWriter::voidSale(voidOf(sale));
    QVERIFY2(v.ok, qPrintable(v.error));
    QCOMPARE(figures(QStringLiteral("1002")), before);
    QCOMPARE(DebtBook::memberDebt(QStringLiteral("1002")), qint64(0));
    QCOMPARE(sqlValue("select quxiaoqiankuan from xiaofeizuofei"), centsText(15000 - repaid));
    // Takings of each method net out, the repayment's method included.
    QCOMPARE(sqlValue("select ROUND(sum(shishoujine),2) from huiyuanxiaofei where fukuanfangshi='现金'"), QString("0"));
    QCOMPARE(sqlValue("select coalesce(ROUND(sum(shishoujine),2),0) from huiyuanxiaofei where fukuanfangshi='微信'"),
             QString("0"));
    // No repayment can be taken on a voided sale.
    QVERIFY(!MemberWriter::repay(Repayment{sale, 100, QStringLiteral("现金"), kAdmin}).ok);
    verifyBooks();
}

void TestRefunds::voidOfAWalkInSale()
{
    Sale s;
    s.memberId = QStringLiteral("0000");
    s.lines = {line(QStringLiteral("产品"), QStringLiteral("P01"), 5000, 3)};
    s.payments = {PaymentPart{QStringLiteral("微信"), 15000}};
    const QString sale = commit(s);
    QVERIFY(!sale.isEmpty());
    QCOMPARE(sqlValue("select sum(shuliang) from chanpinrukumingxi where chanpinID='P01'"), QString("7"));
    const LedgerResult v = RefundWriter::voidSale(voidOf(sale));
    QVERIFY2(v.ok, qPrintable(v.error));
    QCOMPARE(sqlValue("select sum(shuliang) from chanpinrukumingxi where chanpinID='P01'"), QString("10"));
    QCOMPARE(sqlValue("select ROUND(sum(shishoujine),2) from huiyuanxiaofei"), QString("0"));
    QCOMPARE(sqlValue("select shengyujifen from huiyuanjifen where huiyuanid='0000' order by ID desc LIMIT 1"),
             QString("0"));
    verifyBooks();
}

void TestRefunds::voidRefusals()
{
    Sale s;
    s.memberId = QStringLiteral("1001");
    s.lines = {line(QStringLiteral("服务项目"), QStringLiteral("S01"), 10000, 1)};
    s.payments = {PaymentPart{QStringLiteral("现金"), 10000}};
    const QString sale = commit(s);
    sqlExec("insert into \"user\"(name,password,xitongshezhi,jinyong) values('小李','x','否','否')");
    sqlExec("insert into \"user\"(name,password,xitongshezhi,jinyong) values('老板','x','是','是')");
    const int rows = sqlValue("select count(*) from huiyuanxiaofei").toInt();

    SaleVoid v = voidOf(sale);
    v.reason = QStringLiteral("  ");
    QCOMPARE(RefundWriter::voidSale(v).error, QString("请填写退款或作废的原因"));
    v = voidOf(sale);
    v.authorizedBy = QStringLiteral("小李");
    QVERIFY(RefundWriter::voidSale(v).error.contains(QStringLiteral("没有系统设置权限")));
    v.authorizedBy = QStringLiteral("老板"); // disabled
    QVERIFY(RefundWriter::voidSale(v).error.contains(QStringLiteral("没有系统设置权限")));
    QCOMPARE(RefundWriter::voidSale(voidOf(QStringLiteral("xf_nothing"))).error, QString("找不到该消费单"));
    // Points spent since the sale cannot be taken back twice.
    QVERIFY(PointsBook::points(QStringLiteral("1001")) > 100);
    {
        TransactionScope tx;
        PointsBook::change(QStringLiteral("1001"), -PointsBook::points(QStringLiteral("1001")) + 50,
                           {QStringLiteral("积分兑换"), kAdmin, QString()});
        QVERIFY(tx.commit());
    }
    QCOMPARE(RefundWriter::voidSale(voidOf(sale)).error, QString("该会员现有积分少于本单所得积分，不能作废"));
    QCOMPARE(sqlValue("select count(*) from huiyuanxiaofei").toInt(), rows);
    QCOMPARE(sqlValue("select count(*) from xiaofeizuofei"), QString("0"));
    verifyBooks();
}

void TestRefunds::balanceRefund()
{
    BalanceRefund r{QStringLiteral("1001"), 30000, 25000, QStringLiteral("现金"), QStringLiteral("会员搬家"), kAdmin, kAdmin};
    const LedgerResult done = RefundWriter::refundBalance(r);
    QVERIFY2(done.ok, qPrintable(done.error));
    QCOMPARE(BalanceBook::balance(QStringLiteral("1001")), qint64(20000));
    QCOMPARE(sqlRows("select jiaofeileixing,shifujine,kaneijine,fukuanleixing from huiyuanjiaofei where ID='"
                     + done.documentId + "'"),
             (QList<QStringList>{{"退储值", "-250", "-300", "现金"}}));
    QCOMPARE(sqlRows("select yuejianshao,dangshikaneiyue from huiyuanyuebiandong where beizhu='退款单：" + done.documentId
                     + "'"),
             (QList<QStringList>{{"300", "200"}}));

    const int rows = sqlValue("select count(*) from huiyuanjiaofei").toInt();
    r.takenCents = 20001;
    r.paidBackCents = 20001;
    QVERIFY(RefundWriter::refundBalance(r).error.startsWith(QStringLiteral("退款金额大于卡内余额")));
    r.takenCents = 1000;
    r.paidBackCents = 1001;
    QVERIFY(!RefundWriter::refundBalance(r).ok);
    r.paidBackCents = 1000;
    r.method = QStringLiteral("储蓄卡");
    QVERIFY(!RefundWriter::refundBalance(r).ok);
    r.method = QStringLiteral("现金");
    r.memberId = QStringLiteral("0000");
    QVERIFY(!RefundWriter::refundBalance(r).ok);
    QCOMPARE(sqlValue("select count(*) from huiyuanjiaofei").toInt(), rows);
    // All of it: the card stands at zero.
    r.memberId = QStringLiteral("1001");
    r.takenCents = r.paidBackCents = 20000;
    QVERIFY(RefundWriter::refundBalance(r).ok);
    QCOMPARE(BalanceBook::balance(QStringLiteral("1001")), qint64(0));
    verifyBooks();
}

void TestRefunds::packageRefund()
{
    PackageRefund r = usesBack(QStringLiteral("S02"), 2, 30000, QStringLiteral("现金"));
    const LedgerResult done = RefundWriter::refundPackage(r);
    QVERIFY2(done.ok, qPrintable(done.error));
    QCOMPARE(sqlRows("select zongcishu,shengyucishu,xiaofeicishu from huiyuantaocan where huiyuanID='1001'"),
             (QList<QStringList>{{"3", "3", "0"}}));
    QCOMPARE(sqlRows("select shifujine,fukuanleixing from huiyuanjiaofei where ID='" + done.documentId + "'"),
             (QList<QStringList>{{"-300", "现金"}}));
    QCOMPARE(BalanceBook::balance(QStringLiteral("1001")), qint64(50000));

    const int rows = sqlValue("select count(*) from huiyuanjiaofei").toInt();
    r.uses = 4;
    QCOMPARE(RefundWriter::refundPackage(r).error.contains(QStringLiteral("退回次数大于剩余次数")), true);
    r.uses = 1;
    r.itemId = QStringLiteral("S01");
    QVERIFY(!RefundWriter::refundPackage(r).ok);
    QCOMPARE(sqlValue("select count(*) from huiyuanjiaofei").toInt(), rows);

    // Back onto the card: the balance takes the money, virtual takings go down.
    r.itemId = QStringLiteral("S02");
    r.uses = 3;
    r.paidBackCents = 45000;
    r.method = QStringLiteral("储蓄卡");
    QVERIFY(RefundWriter::refundPackage(r).ok);
    QCOMPARE(BalanceBook::balance(QStringLiteral("1001")), qint64(95000));
    QCOMPARE(UsesBook::left(QStringLiteral("1001"), QStringLiteral("S02")), 0.0);
    verifyBooks();
}

// At the counter: a cashier without the settings right has the owner confirm
// with their password; wrong input writes nothing and leaves the dialog open.
void TestRefunds::dialogsAskForTheRight()
{
    Sale s;
    s.memberId = QStringLiteral("1001");
    s.lines = {line(QStringLiteral("服务项目"), QStringLiteral("S01"), 10000, 1)};
    s.payments = {PaymentPart{QStringLiteral("储蓄卡"), 10000}};
    const QString sale = commit(s);
    sqlExec("insert into \"user\"(name,password,xitongshezhi,jinyong) values('老板','"
            + PasswordHash::hash(QStringLiteral("boss-2026"), 1000) + "','是','否')");
    operatorSession().loginName = operatorSession().name = QStringLiteral("小李");
    operatorSession().xitongshezhi = QStringLiteral("否");
    PromptRecorder prompts;

    zuofeidlg dlg;
    QVERIFY(dlg.setup(sale).isEmpty());
    QCOMPARE(text(&dlg, "label_card"), QString("100.00"));
    clickButton(&dlg, "toolButton_ok");
    QCOMPARE(prompts.last(), QString("请填写退款或作废的原因"));
    setText(&dlg, "lineEdit_reason", QStringLiteral("点错项目"));
    // The wrong password first: told, and asked again; then cancelled.
    onNextModal([](QWidget *who) {
        setText(who, "lineEdit_name", QStringLiteral("老板"));
        setText(who, "lineEdit_password", QStringLiteral("guess"));
        clickButton(who, "toolButton_ok");
        QVERIFY(who->isVisible());
        clickButton(who, "toolButton_cancel");
    });
    clickButton(&dlg, "toolButton_ok");
    QVERIFY(prompts.texts().contains(QStringLiteral("操作员或密码不对，或该操作员没有系统设置权限")));
    QCOMPARE(sqlValue("select count(*) from xiaofeizuofei"), QString("0"));
    onNextModal([](QWidget *who) {
        setText(who, "lineEdit_name", QStringLiteral("老板"));
        setText(who, "lineEdit_password", QStringLiteral("boss-2026"));
        clickButton(who, "toolButton_ok");
    });
    clickButton(&dlg, "toolButton_ok");
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(sqlValue("select caozuoyuan||'|'||shouquanren from xiaofeizuofei where ID='" + sale + "'"),
             QString("小李|老板"));
    QCOMPARE(BalanceBook::balance(QStringLiteral("1001")), qint64(50000));
    zuofeidlg again;
    QCOMPARE(again.setup(sale), QString("该消费单已经作废，不能再次作废"));

    // Amounts the cashier mistypes never reach the books.
    operatorSession().xitongshezhi = QStringLiteral("是");
    operatorSession().loginName = kAdmin;
    tuichuzhidlg refund;
    refund.setup(QStringLiteral("1001"));
    QCOMPARE(text(&refund, "lineEdit_taken"), QString("500"));
    QVERIFY(text(&refund, "comboBox_method") != QStringLiteral("储蓄卡"));
    setText(&refund, "lineEdit_reason", QStringLiteral("搬家"));
    for (const QString &typed : {QStringLiteral("12.345"), QStringLiteral("五十"), QStringLiteral("0"),
                                 QStringLiteral("500.01")}) {
        setText(&refund, "lineEdit_taken", typed);
        clickButton(&refund, "toolButton_ok");
    }
    QCOMPARE(sqlValue("select count(*) from huiyuanjiaofei"), QString("0"));
    setText(&refund, "lineEdit_taken", QStringLiteral("200"));
    setText(&refund, "lineEdit_paidBack", QStringLiteral("180"));
    clickButton(&refund, "toolButton_ok");
    QCOMPARE(refund.result(), int(QDialog::Accepted));
    QCOMPARE(BalanceBook::balance(QStringLiteral("1001")), qint64(30000));
    QCOMPARE(sqlValue("select shifujine from huiyuanjiaofei where ID='" + refund.documentId() + "'"), QString("-180"));
    verifyBooks();
}

// Paid value, bonus and debt: only what the member paid and does not owe is
// handed back; bonus comes off the card unpaid; the debt is repaid from it first.
void TestRefunds::balanceRefundPaysBackWhatWasPaid()
{
    QVERIFY(topUp(QStringLiteral("1002"), 100000, 20000, 100000).ok);
    // balance | paid | bonus | debt | refundable (80 from before counts as paid)
    QCOMPARE(storedText(QStringLiteral("1002")), QString("1280|1080|200|0|1080"));
    const int rows = sqlValue("select count(*) from huiyuanjiaofei").toInt();
    const QString refused = RefundWriter::refundBalance(cashBack(QStringLiteral("1002"), 128000, 128000)).error;
    QVERIFY2(refused.contains(QStringLiteral("可退金额1080元")) && refused.contains(QStringLiteral("赠送200元不退现")),
             qPrintable(refused));
    QCOMPARE(sqlValue("select count(*) from huiyuanjiaofei").toInt(), rows);
    const LedgerResult done = RefundWriter::refundBalance(cashBack(QStringLiteral("1002"), 128000, 108000));
    QVERIFY2(done.ok, qPrintable(done.error));
    QCOMPARE(sqlRows("select shifujine,zengsongjine,kaneijine from huiyuanjiaofei where ID='" + done.documentId + "'"),
             (QList<QStringList>{{"-1080", "-200", "-1280"}}));
    QCOMPARE(storedText(QStringLiteral("1002")), QString("0|0|0|0|0"));

    // A top-up taken wholly as debt pays nothing out: the card repays the debt.
    QVERIFY(topUp(QStringLiteral("1002"), 100000, 8000, 0).ok);
    QCOMPARE(storedText(QStringLiteral("1002")), QString("1080|1000|80|1000|0"));
    QVERIFY(RefundWriter::refundBalance(cashBack(QStringLiteral("1002"), 108000, 100)).error
                .contains(QStringLiteral("可退金额0元")));
    QVERIFY(RefundWriter::refundBalance(cashBack(QStringLiteral("1002"), 50000, 0)).error
                .contains(QStringLiteral("先从卡内还清欠款")));
    QVERIFY(RefundWriter::refundBalance(cashBack(QStringLiteral("1002"), 108000, 0)).ok);
    QCOMPARE(storedText(QStringLiteral("1002")), QString("0|0|0|0|0"));
    QCOMPARE(sqlRows("select fukuanleixing,shifujine from huiyuanjiaofei where jiaofeileixing='会员还款'"),
             (QList<QStringList>{{"储蓄卡", "1000"}}));

    // The shop may let bonus be paid out; only an operator with the right may say so.
    ReceiptSettings set = ReceiptSettings::load();
    set.bonusRefundable = true;
    QString error;
    QVERIFY(!set.save(QStringLiteral("小李"), &error));
    QVERIFY(set.save(kAdmin, &error));
    QVERIFY(topUp(QStringLiteral("1002"), 10000, 2000, 10000).ok);
    QCOMPARE(storedText(QStringLiteral("1002")), QString("120|100|20|0|120"));
    QVERIFY(RefundWriter::refundBalance(cashBack(QStringLiteral("1002"), 12000, 12000)).ok);
    verifyBooks();
}

// A card issue of 500 with 10 % commission and 250 points, refunded in two
// steps: each takes its share back, the debt repaid counting as undone.
void TestRefunds::cardRefundTakesCommissionAndPointsBack()
{
    const QString card = issueGoldCardWithDebt();
    QVERIFY(!card.isEmpty());
    QCOMPARE(storedText(QStringLiteral("2001")), QString("500|500|0|300|200"));
    const auto commission = [] {
        return sqlValue("select ROUND(sum(tichengjine),2) from tichengmingxi where yuangongID='E01'");
    };
    QCOMPARE(commission(), QString("50"));
    QCOMPARE(PointsBook::points(QStringLiteral("2001")), 250.0);

    const LedgerResult first = RefundWriter::refundBalance(cashBack(QStringLiteral("2001"), 40000, 10000));
    QVERIFY2(first.ok, qPrintable(first.error));
    QCOMPARE(commission(), QString("10"));
    QCOMPARE(PointsBook::points(QStringLiteral("2001")), 50.0);
    QCOMPARE(DebtBook::memberDebt(QStringLiteral("2001")), qint64(0));
    QCOMPARE(sqlValue("select beizhu from tichengmingxi where xiaofeiID='" + first.documentId + "'"),
             QString("退款冲销"));
    QVERIFY(RefundWriter::refundBalance(cashBack(QStringLiteral("2001"), 10000, 10000)).ok);
    QCOMPARE(commission(), QString("0"));
    QCOMPARE(PointsBook::points(QStringLiteral("2001")), 0.0);
    QCOMPARE(BalanceBook::balance(QStringLiteral("2001")), qint64(0));
    // Cash in 200, out 100 + 100: the card issue nets to nothing.
    QCOMPARE(sqlValue("select ROUND(sum(shifujine),2) from huiyuanjiaofei where huiyuanid='2001' and "
                      "fukuanleixing<>'储蓄卡'"),
             QString("0"));
    verifyBooks();
}

void TestRefunds::packageRefundIsPricedByTheUses()
{
    // A renewal of 2 × 洗剪吹 (list 100) and 2 × 烫发 (list 200) for 500: 烫发
    // had 400 of the 600 list value, so a use of it cost 500 × 2/3 / 2.
    Renewal rn;
    rn.memberId = QStringLiteral("1001");
    rn.items = {PackageItem{QStringLiteral("S01"), 2}, PackageItem{QStringLiteral("S02"), 2}};
    rn.dueCents = 50000;
    rn.payments = {PaymentPart{QStringLiteral("现金"), 50000}};
    rn.operatorName = kAdmin;
    QVERIFY(MemberWriter::renew(rn).ok);
    const PackageQuote q = RefundWriter::quotePackage(QStringLiteral("1001"), QStringLiteral("S02"));
    QVERIFY(!q.fromListPrice);
    QCOMPARE(q.limitCents(2), qint64(33333));
    QCOMPARE(RefundWriter::quotePackage(QStringLiteral("1001"), QStringLiteral("S01")).limitCents(2), qint64(16667));
    sqlExec("insert into \"user\"(name,password,xitongshezhi,jinyong) values('小李','x','否','否')");

    const int rows = sqlValue("select count(*) from huiyuanjiaofei").toInt();
    const QString limited =
        RefundWriter::refundPackage(usesBack(QStringLiteral("S02"), 1, 999900, QStringLiteral("储蓄卡"))).error;
    QVERIFY2(limited.startsWith(QStringLiteral("退款金额不能大于166.67元")), qPrintable(limited));
    QVERIFY(!RefundWriter::refundPackage(
                 usesBack(QStringLiteral("S02"), 1, 999900, QStringLiteral("储蓄卡"), QStringLiteral("小李")))
                 .ok);
    QCOMPARE(sqlValue("select count(*) from huiyuanjiaofei").toInt(), rows);
    const LedgerResult above = RefundWriter::refundPackage(
        usesBack(QStringLiteral("S02"), 1, 20000, QStringLiteral("储蓄卡"), kAdmin));
    QVERIFY2(above.ok, qPrintable(above.error));
    QVERIFY(sqlValue("select beizhu from huiyuanjiaofei where ID='" + above.documentId + "'")
                .contains(QStringLiteral("超出按次计价33.33元，确认人：admin")));
    QCOMPARE(BalanceBook::balance(QStringLiteral("1001")), qint64(70000));
    // Uses with no sale on file are priced at the list price.
    QVERIFY(RefundWriter::quotePackage(QStringLiteral("1002"), QStringLiteral("S03")).fromListPrice);
    QCOMPARE(RefundWriter::quotePackage(QStringLiteral("1002"), QStringLiteral("S03")).limitCents(1), qint64(15000));
    verifyBooks();
}

// One day of every kind of money in and out: the tree, the cash detail and the
// charts agree with sums made here from what each operation moved.
void TestRefunds::takingsSayWhatHappened()
{
    Sale cash;
    cash.memberId = QStringLiteral("1002");
    cash.lines = {line(QStringLiteral("服务项目"), QStringLiteral("S01"), 10000, 1)};
    cash.payments = {PaymentPart{QStringLiteral("现金"), 10000}};
    QVERIFY(!commit(cash).isEmpty());
    Sale card = cash;
    card.memberId = QStringLiteral("1001");
    card.lines = {line(QStringLiteral("服务项目"), QStringLiteral("S01"), 5000, 1)};
    card.payments = {PaymentPart{QStringLiteral("储蓄卡"), 5000}};
    QVERIFY(!commit(card).isEmpty());
    QVERIFY(topUp(QStringLiteral("1001"), 100000, 20000, 100000).ok);
    QVERIFY(RefundWriter::refundBalance(cashBack(QStringLiteral("1001"), 30000, 30000)).ok);
    QVERIFY(RefundWriter::refundPackage(usesBack(QStringLiteral("S02"), 1, 15000, QStringLiteral("现金"))).ok);
    QVERIFY(RefundWriter::refundPackage(usesBack(QStringLiteral("S02"), 1, 20000, QStringLiteral("储蓄卡"))).ok);

    const qint64 real = 10000 + 100000 - 30000 - 15000; // the card refund moved no money
    const qint64 virtualIn = 5000;
    const QMap<QString, QString> t = takingsToday();
    QCOMPARE(t.value(QStringLiteral("实际收入")), centsText(real));
    QCOMPARE(t.value(QStringLiteral("虚拟收入")), centsText(virtualIn));
    QCOMPARE(t.value(QStringLiteral("充值交费合计")), centsText(100000 - 30000 - 15000));
    QCOMPARE(t.value(QStringLiteral("消费收银合计")), centsText(15000));
    QCOMPARE(t.value(QStringLiteral("收银总计")), centsText(real + virtualIn));

    ctrlUiClass ctrl;
    const QString day = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
    QVERIFY(ReportQuery::fillCashDetail(day, day));
    QCOMPARE(sqlValue("select ROUND(sum(jine),2) from tempshouyinmingxi where fukuanfangshi<>'储蓄卡'"), centsText(real));
    QCOMPARE(sqlValue("select ROUND(sum(jine),2) from tempshouyinmingxi where fukuanfangshi='储蓄卡'"),
             centsText(virtualIn));
    QMap<QString, qint64> perMethod;
    for (const auto &m : ChartReads::takingsPerMethod(day, day))
        perMethod[m.first] += yuanToCents(m.second);
    QCOMPARE(perMethod.value(QStringLiteral("现金")), real);
    QCOMPARE(perMethod.value(QStringLiteral("储蓄卡")), virtualIn);
    verifyBooks();
}

// A member deleted after their sale (balance 0 first): the cash sale voids and
// its points chain closes; the card part has no card to go back to.
void TestRefunds::voidOfADeletedMembersSale()
{
    Sale cash;
    cash.memberId = QStringLiteral("1002");
    cash.lines = {line(QStringLiteral("服务项目"), QStringLiteral("S01"), 5000, 1)};
    cash.payments = {PaymentPart{QStringLiteral("现金"), 5000}};
    const QString cashSale = commit(cash);
    Sale card = cash;
    card.payments = {PaymentPart{QStringLiteral("储蓄卡"), 3000}, PaymentPart{QStringLiteral("现金"), 2000}};
    const QString cardSale = commit(card);
    QVERIFY(!cashSale.isEmpty() && !cardSale.isEmpty());
    QVERIFY(RefundWriter::refundBalance(cashBack(QStringLiteral("1002"), 5000, 5000)).ok);
    const LedgerResult gone = MemberWriter::deleteMember(QStringLiteral("1002"), kAdmin);
    QVERIFY2(gone.ok, qPrintable(gone.error));

    const LedgerResult v = RefundWriter::voidSale(voidOf(cashSale));
    QVERIFY2(v.ok, qPrintable(v.error));
    QCOMPARE(sqlValue("select ROUND(sum(shishoujine),2) from huiyuanxiaofei where ID in ('" + cashSale + "','"
                      + v.documentId + "')"),
             QString("0"));
    QCOMPARE(RefundWriter::voidSale(voidOf(cardSale)).error, QString("该会员已删除，本单储蓄卡支付的30元无法退回卡内，不能作废"));
    verifyBooks();
}

// At the counter: the balance split, the refundable amount proposed and held
// to; the package price per use and the amount following the uses.
void TestRefunds::refundDialogsShowTheLimits()
{
    QVERIFY(!issueGoldCardWithDebt().isEmpty());
    PromptRecorder prompts;
    tuichuzhidlg refund;
    refund.setup(QStringLiteral("2001"));
    QCOMPARE(QStringList({text(&refund, "label_balance"), text(&refund, "label_paid"), text(&refund, "label_bonus"),
                          text(&refund, "label_debt"), text(&refund, "label_refundable"),
                          text(&refund, "lineEdit_taken"), text(&refund, "lineEdit_paidBack")}),
             QStringList({"500.00", "500.00", "0.00", "300.00", "200.00", "500", "200"}));
    QVERIFY(text(&refund, "label_rule").contains(QStringLiteral("300.00元先从卡内还清")));
    setText(&refund, "lineEdit_reason", QStringLiteral("退卡"));
    setText(&refund, "lineEdit_paidBack", QStringLiteral("200.01"));
    clickButton(&refund, "toolButton_ok");
    QVERIFY2(prompts.last().startsWith(QStringLiteral("实退金额不能大于可退金额200元")), qPrintable(prompts.last()));
    QCOMPARE(BalanceBook::balance(QStringLiteral("2001")), qint64(50000));
    // Handing back less keeps the rest on the card: only the debt and the amount leave it.
    auto *back = refund.findChild<QLineEdit *>(QStringLiteral("lineEdit_paidBack"));
    back->clear();
    QTest::keyClicks(back, QStringLiteral("50"));
    QCOMPARE(text(&refund, "lineEdit_taken"), QString("350"));
    clickButton(&refund, "toolButton_ok");
    QCOMPARE(refund.result(), int(QDialog::Accepted));
    QCOMPARE(storedText(QStringLiteral("2001")), QString("150|150|0|0|150"));

    tuitaocandlg package;
    package.setup(QStringLiteral("1001"), QStringLiteral("S02"));
    QVERIFY(text(&package, "label_perUse").startsWith(QStringLiteral("200")));
    setText(&package, "lineEdit_uses", QStringLiteral("2"));
    QCOMPARE(text(&package, "lineEdit_amount"), QString("400"));
    QCOMPARE(text(&package, "label_limit"), QString("400"));
    verifyBooks();
}

void TestRefunds::packageReminderListsTheLastUses()
{
    sqlExec("insert into huiyuantaocan(huiyuanID,xiangmuID,zongcishu,shengyucishu,xiaofeicishu) values"
            "('1002','S01',5,1,4),('1002','S03',5,0,5),('1001','S01',5,2,3)");
    const auto listed = [] {
        ctrlUiClass ctrl;
        for (const auto &c : meiritixingDlg::counts(ctrl))
            if (c.first == QStringLiteral("套餐将用完提醒"))
                return c.second;
        return -1;
    };
    QCOMPARE(listed(), 1); // the exhausted 染发 is no reminder
    ReceiptSettings s = ReceiptSettings::load();
    s.packageLowUses = 2;
    QString error;
    QVERIFY(s.save(kAdmin, &error));
    QCOMPARE(listed(), 2);
}

// Package refunds onto the card written by the program before they stopped
// counting as takings: the upgrade corrects them once, the day's figures
// follow, and a cash refund keeps its takings.
void TestRefunds::oldCardPackageRefundsAreCorrected()
{
    const LedgerResult toCard = RefundWriter::refundPackage(usesBack(QStringLiteral("S02"), 1, 20000, QStringLiteral("储蓄卡")));
    const LedgerResult inCash = RefundWriter::refundPackage(usesBack(QStringLiteral("S02"), 1, 15000, QStringLiteral("现金")));
    QVERIFY(toCard.ok && inCash.ok);
    // As the older program wrote it: the amount as negative takings.
    sqlExec("update huiyuanjiaofei set shifujine=yingjiaojine where ID='" + toCard.documentId + "'");
    QCOMPARE(takingsToday().value(QStringLiteral("虚拟收入")), QString("-200"));
    const bool server = SqlDialect::isPostgres();
    const auto upgrade = [server] {
        return server ? upgradeServerSchema(readDbset()) : upgradeSchema(readDbset(), QStringLiteral("backup"));
    };
    const auto version = [server] {
        return server ? sqlValue("select zhi from dianpushezhi where mingcheng='数据结构版本'")
                      : sqlValue("pragma user_version");
    };
    if (server)
        sqlExec("delete from dianpushezhi where mingcheng='数据结构版本'");
    else
        sqlExec("pragma user_version=3");
    QCOMPARE(upgrade(), QString());
    QCOMPARE(version(), QString::number(kSchemaVersion));
    QCOMPARE(sqlRows("select fukuanleixing,shifujine,kaneijine from huiyuanjiaofei where jiaofeileixing='退套餐' order by "
                     "fukuanleixing"),
             (QList<QStringList>{{"储蓄卡", "0", "200"}, {"现金", "-150", "0"}}));
    const QMap<QString, QString> t = takingsToday();
    QCOMPARE(t.value(QStringLiteral("虚拟收入")), QString("0"));
    QCOMPARE(t.value(QStringLiteral("实际收入")), QString("-150"));
    if (!server)
        QCOMPARE(QDir(QStringLiteral("backup")).entryList({QStringLiteral("upgrade-v3-*.db")}).size(), 1);
    // The correction is for older files only: a second start leaves the rows alone.
    sqlExec("update huiyuanjiaofei set shifujine=yingjiaojine where ID='" + toCard.documentId + "'");
    QCOMPARE(upgrade(), QString());
    QCOMPARE(sqlValue("select shifujine from huiyuanjiaofei where ID='" + toCard.documentId + "'"), QString("-200"));
    verifyBooks();
}

// Reasons, names and remarks longer than the lists and slips hold are
// refused with a message, whichever door they come by; nothing is written.
void TestRefunds::longTextsAreRefused()
{
    Sale s;
    s.memberId = QStringLiteral("1001");
    s.lines = {line(QStringLiteral("服务项目"), QStringLiteral("S01"), 10000, 1)};
    s.payments = {PaymentPart{QStringLiteral("现金"), 10000}};
    const QString sale = commit(s);
    const QString before = figures(QStringLiteral("1001")) + sqlValue("select count(*) from huiyuanjiaofei");
    const QString reason(101, QChar(0x9519)); // 101 × 错
    SaleVoid v = voidOf(sale);
    v.reason = reason;
    QCOMPARE(RefundWriter::voidSale(v).error, QString("原因不能超过100个字"));
    BalanceRefund b = cashBack(QStringLiteral("1001"), 1000, 1000);
    b.reason = reason;
    QCOMPARE(RefundWriter::refundBalance(b).error, QString("原因不能超过100个字"));
    PackageRefund p = usesBack(QStringLiteral("S02"), 1, 100, QStringLiteral("现金"));
    p.reason = reason;
    QCOMPARE(RefundWriter::refundPackage(p).error, QString("原因不能超过100个字"));
    QCOMPARE(figures(QStringLiteral("1001")) + sqlValue("select count(*) from huiyuanjiaofei"), before);
    v.reason = reason.left(100); // exactly the limit is kept whole
    QVERIFY(RefundWriter::voidSale(v).ok);
    QCOMPARE(sqlValue("select length(yuanyin) from xiaofeizuofei"), QString("100"));

    CardIssue c;
    c.memberId = QStringLiteral("2001");
    c.name = QString(31, QChar(0x5f20)); // 31 × 张
    c.cardType = QStringLiteral("金卡");
    c.priceCents = c.receivedCents = 50000;
    c.method = QStringLiteral("现金");
    c.operatorName = kAdmin;
    QCOMPARE(MemberWriter::issueCard(c).error, QString("会员姓名不能超过30个字"));
    c.name = QStringLiteral("张三");
    c.remark = QString(201, QLatin1Char('x'));
    QCOMPARE(MemberWriter::issueCard(c).error, QString("备注不能超过200个字"));
    QCOMPARE(BookingWriter::cancel(QStringLiteral("yy1"), reason, kAdmin).error, QString("取消原因不能超过100个字"));

    // The generic edit requests (member, catalogue, staff): told, not stored.
    TestDispatch dispatch;
    redbctrlstruct rename;
    rename.table = QStringLiteral("huiyuan");
    rename.fields = QStringList{QStringLiteral("name"), QStringLiteral("ID")};
    rename.values = QStringList{QString(31, QChar(0x5f20)), QStringLiteral("1002")};
    rename.whereCount = 1;
    QCOMPARE(RecordRequests(*dispatch.registry).carryOut(QStringLiteral("修改数据"), QVariant::fromValue(rename), kAdmin).refused,
             QString("名称不能超过30个字，未保存"));
    QCOMPARE(sqlValue("select name from huiyuan where ID='1002'"), QString("赵六"));
    QCOMPARE(sqlValue("select count(*) from huiyuan where ID='2001'"), QString("0"));
    verifyBooks();
}

QTEST_MAIN(TestRefunds)
#include "tst_refunds.moc"
