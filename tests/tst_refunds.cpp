#include <QtTest>

#include "accountbooks.h"
#include "amounts.h"
#include "checkoutfixture.h"
#include "passwordhash.h"
#include "takingstree.h"
#include "tuichuzhidlg.h"
#include "zuofeidlg.h"
#include "memberwriter.h"
#include "refundwriter.h"
#include "salewriter.h"
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
    ctrlUiClass ctrl;
    QStandardItemModel model;
    const QString day = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
    TakingsTree::refill(ctrl, QStringLiteral("tempzonghetongji"), day, day + QStringLiteral(" 23:59:59"));
    TakingsTree::build(ctrl, &model, QStringLiteral("tempzonghetongji"), day, day + QStringLiteral(" 23:59:59"));
    QMap<QString, QString> t;
    for (int r = 0; r < model.rowCount(); ++r)
        t.insert(model.index(r, 0).data().toString(), model.index(r, 1).data().toString());
    return t;
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
                   "(select ROUND(ifnull(sum(shishoujine),0),2) from huiyuanxiaofei),"
                   "(select ROUND(ifnull(sum(qiankuanjine),0),2) from huiyuanxiaofei where huiyuanid='" + member + "'),"
                   "(select ROUND(ifnull(sum(tichengjine),0),2) from tichengmingxi),"
                   "(select ROUND(ifnull(sum(jine),0),2) from xiaofeimingxi)")
        .value(0)
        .join(QLatin1Char('|'));
}

} // namespace

void TestRefunds::init()
{
    m_wd = std::make_unique<TestWorkdir>();
    seedShop();
    // As in every shop after its first login: the default password authorises nothing.
    sqlExec("update user set password='" + PasswordHash::legacyForm("boss-2026") + "' where name='admin'");
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
    QCOMPARE(sqlValue("select 备注 from (select min(xiaofeiriqi),ID,ifnull((select '已作废' from xiaofeizuofei z "
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
    QCOMPARE(sqlValue("select ifnull(ROUND(sum(shishoujine),2),0) from huiyuanxiaofei where fukuanfangshi='微信'"),
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
    sqlExec("insert into user(name,password,xitongshezhi,jinyong) values('小李','x','否','否')");
    sqlExec("insert into user(name,password,xitongshezhi,jinyong) values('老板','x','是','是')");
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
    PackageRefund r{QStringLiteral("1001"), QStringLiteral("S02"), 2, 30000, QStringLiteral("现金"),
                    QStringLiteral("不做了"), kAdmin, kAdmin};
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
    sqlExec("insert into user(name,password,xitongshezhi,jinyong) values('老板','"
            + PasswordHash::hash(QStringLiteral("boss-2026"), 1000) + "','是','否')");
    operatorSession().loginName = operatorSession().name = QStringLiteral("小李");
    operatorSession().xitongshezhi = QStringLiteral("否");
    PromptRecorder prompts;

    zuofeidlg dlg;
    QVERIFY(dlg.setup(sale).isEmpty());
    QCOMPARE(text(&dlg, "label_card"), QString("100"));
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

QTEST_MAIN(TestRefunds)
#include "tst_refunds.moc"
