#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

#include "huiyuankachongchi.h"
#include "memberstestkit.h"
#include "operatorsession.h"

namespace {
QLineEdit *edit(QWidget *d, const char *name) { return d->findChild<QLineEdit *>(QLatin1String(name)); }

struct TopUp
{
    huiyuankachongchi dlg;
    explicit TopUp(DispatchStub &main, const QStringList &member)
    {
        main.attach(&dlg);
        dlg.setup(member);
        dlg.show();
    }
    void enter(const QString &paid, const QString &bonus, const QString &received = QString())
    {
        edit(&dlg, "lineEdit")->setText(paid);
        edit(&dlg, "lineEdit_2")->setText(bonus);
        if (!received.isNull())
            edit(&dlg, "lineEdit_4")->setText(received);
    }
    void pay() { clickButton(&dlg, QStringLiteral("toolButton")); }
};

QList<QStringList> ledger(const QString &id)
{
    return sqlRows(QStringLiteral("select biandongleixing,xiangmumingchen,yuezengjia,yuejianshao,cishuzengjia,cishujianshao,"
                                  "dangshikaneiyue,dangshikaneicishu,caozuoyuan,substr(beizhu,1,6) from huiyuanyuebiandong "
                                  "where huiyuanid='%1' order by ID").arg(id));
}
} // namespace

class TestTopUp : public QObject
{
    Q_OBJECT
private slots:
    void init() { operatorSession().loginName = QStringLiteral("cashier"); }
    void typingAndLabels();
    void topUpWithBonusFirstAndLaterLedgerRows();
    void debtAcceptedAndRefused();
    void nullBalanceAndRefusals();
    void failureRollsBack_data();
    void failureRollsBack();
    void combinedPaymentOneCreditSeveralRows();
};

void TestTopUp::typingAndLabels()
{
    TestWorkdir wd;
    DispatchStub main;
    TopUp t(main, {QStringLiteral("5"), QStringLiteral("会员5"), QStringLiteral("88.5"), QStringLiteral("13800000005")});
    QCOMPARE(t.dlg.findChild<QLabel *>(QStringLiteral("label_9"))->text(), QStringLiteral("5"));
    QCOMPARE(t.dlg.findChild<QLabel *>(QStringLiteral("label_10"))->text(), QStringLiteral("会员5"));
    QCOMPARE(t.dlg.findChild<QLabel *>(QStringLiteral("label_13"))->text(), QStringLiteral("88.5"));
    QCOMPARE(t.dlg.findChild<QLabel *>(QStringLiteral("label_15"))->text(), QStringLiteral("13800000005"));
    QVERIFY(!t.dlg.findChild<QWidget *>(QStringLiteral("toolButton_3"))->isHidden());
    QVERIFY(t.dlg.findChild<QComboBox *>(QStringLiteral("comboBox_2"))->count() > 0);

    edit(&t.dlg, "lineEdit")->setText(QStringLiteral("1000"));
    QCOMPARE(edit(&t.dlg, "lineEdit_4")->text(), QStringLiteral("1000"));
    QCOMPARE(edit(&t.dlg, "lineEdit_3")->text(), QStringLiteral("1000"));
    edit(&t.dlg, "lineEdit_4")->setText(QStringLiteral("900"));
    // The bonus changes what is credited, never the amount received by hand.
    edit(&t.dlg, "lineEdit_2")->setText(QStringLiteral("200.5"));
    QCOMPARE(edit(&t.dlg, "lineEdit_3")->text(), QStringLiteral("1200.5"));
    QCOMPARE(edit(&t.dlg, "lineEdit_4")->text(), QStringLiteral("900"));
}

void TestTopUp::topUpWithBonusFirstAndLaterLedgerRows()
{
    TestWorkdir wd;
    PromptRecorder prompts;
    DispatchStub main;
    seedShop();
    seedMembers(2);
    sqlExec(QStringLiteral("update huiyuan set shengyujine=300 where ID='1'"));

    // First top-up of a member without any ledger row: count carried is 0.
    {
        TopUp t(main, {QStringLiteral("1"), QStringLiteral("会员1"), QStringLiteral("300"), QString()});
        t.enter(QStringLiteral("1000"), QStringLiteral("200"));
        t.dlg.findChild<QComboBox *>(QStringLiteral("comboBox"))->setCurrentText(QStringLiteral("李助理"));
        t.pay();
        QCOMPARE(t.dlg.result(), int(QDialog::Accepted));
    }
    QVERIFY(prompts.texts().isEmpty());
    QCOMPARE(sqlValue(QStringLiteral("select shengyujine from huiyuan where ID='1'")), QStringLiteral("1500"));
    QCOMPARE(ledger(QStringLiteral("1")),
             (QList<QStringList>{{QStringLiteral("会员充值"), QString(), QStringLiteral("1200"), QStringLiteral("0"),
                                  QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("1500"), QStringLiteral("0"),
                                  QStringLiteral("cashier"), QStringLiteral("充值单：CZ")}}));
    const QList<QStringList> pay = sqlRows(QStringLiteral(
        "select ID,huiyuanid,jiaofeileixing,yingjiaojine,shifujine,zengsongjine,zengsongjine2,kaneijine,kaneijine2,"
        "qiankuanjine,fukuanleixing,yuangongName,caozuoyuan,beizhu from huiyuanjiaofei"));
    QCOMPARE(pay.size(), 1);
    QVERIFY(pay.first().at(0).startsWith(QLatin1String("CZ")));
    QCOMPARE(pay.first().mid(1), (QStringList{QStringLiteral("1"), QStringLiteral("会员充值"), QStringLiteral("1000"),
                                              QStringLiteral("1000"), QStringLiteral("200"), QStringLiteral("200"),
                                              QStringLiteral("1200"), QStringLiteral("1200"), QStringLiteral("0"),
                                              QStringLiteral("现金"), QStringLiteral("李助理"), QStringLiteral("cashier"),
                                              QStringLiteral("会员卡充值:1200")}));
    QCOMPARE(sqlValue(QStringLiteral("select substr(beizhu,5) from huiyuanyuebiandong")), pay.first().at(0));
    QCOMPARE(sqlRows(QStringLiteral("select \"user\",log from log")),
             (QList<QStringList>{{QStringLiteral("cashier"), QStringLiteral("会员卡充值  会员号：1")}}));
    QVERIFY(main.keys.contains(QStringLiteral("刷新数据列表")));
    QVERIFY(ledgerAgrees(QStringLiteral("1")));

    // A later top-up carries the member's last count forward.
    sqlExec(QStringLiteral("insert into huiyuanyuebiandong(huiyuanid,biandongleixing,xiangmumingchen,cishuzengjia,dangshikaneiyue,dangshikaneicishu) "
                           "values('1','会员套餐充值','X1',6,1500,6)"));
    {
        TopUp t(main, {QStringLiteral("1"), QStringLiteral("会员1"), QStringLiteral("1500"), QString()});
        t.enter(QStringLiteral("0.1"), QStringLiteral("0.2"));
        t.pay();
    }
    QCOMPARE(sqlValue(QStringLiteral("select shengyujine from huiyuan where ID='1'")), QStringLiteral("1500.3"));
    QCOMPARE(ledger(QStringLiteral("1")).last().mid(2, 6),
             (QStringList{QStringLiteral("0.3"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"),
                          QStringLiteral("1500.3"), QStringLiteral("6")}));
    QVERIFY(ledgerAgrees(QStringLiteral("1")));
    // Member 2 was not touched.
    QCOMPARE(sqlValue(QStringLiteral("select shengyujine from huiyuan where ID='2'")), QStringLiteral("0"));
}

void TestTopUp::debtAcceptedAndRefused()
{
    TestWorkdir wd;
    PromptRecorder prompts;
    DispatchStub main;
    seedShop();
    seedMembers(1, 50);
    const auto before = moneySnapshot();
    {
        TopUp t(main, {QStringLiteral("1"), QStringLiteral("会员1"), QStringLiteral("50"), QString()});
        t.enter(QStringLiteral("1000"), QString(), QStringLiteral("800"));
        prompts.answer(QStringLiteral("否"));
        t.pay();
        QCOMPARE(prompts.texts(), QStringList{QStringLiteral("欠款200.00,确定吗")});
        QVERIFY(t.dlg.isVisible());
        QCOMPARE(moneySnapshot(), before);

        prompts.answer(QStringLiteral("是"));
        t.pay();
        QCOMPARE(t.dlg.result(), int(QDialog::Accepted));
    }
    // The card is credited in full; the payment row carries the debt.
    QCOMPARE(sqlValue(QStringLiteral("select shengyujine from huiyuan where ID='1'")), QStringLiteral("1050"));
    QCOMPARE(sqlRows(QStringLiteral("select shifujine,kaneijine,qiankuanjine from huiyuanjiaofei")),
             (QList<QStringList>{{QStringLiteral("800"), QStringLiteral("1000"), QStringLiteral("200")}}));
    QVERIFY(ledgerAgrees(QStringLiteral("1")));
}

void TestTopUp::nullBalanceAndRefusals()
{
    TestWorkdir wd;
    PromptRecorder prompts;
    DispatchStub main;
    seedShop();
    seedMembers(1);
    sqlExec(QStringLiteral("update huiyuan set shengyujine=NULL where ID='1'"));
    const auto before = moneySnapshot();

    TopUp walkIn(main, {QStringLiteral("0000"), QStringLiteral("散客"), QStringLiteral("00"), QStringLiteral("00")});
    walkIn.enter(QStringLiteral("100"), QString());
    walkIn.pay();
    QCOMPARE(prompts.last(), QStringLiteral("只能给已登记的会员充值，请先选择一个会员"));

    TopUp t(main, {QStringLiteral("1"), QStringLiteral("会员1"), QString(), QString()});
    struct Case { const char *paid, *bonus, *received, *message; };
    for (const Case &c : {Case{"-100", "", "-100", "金额不能为负数"}, Case{"100", "-5", "100", "金额不能为负数"},
                          Case{"100--50", "", "100", "交费金额、赠送金额和实际付款必须是数字"},
                          Case{"", "", "", "请输入交费金额"},
                          Case{"100", "1e308", "100", "赠送金额不能超过1000000000"},
                          Case{"nan", "", "", "交费金额、赠送金额和实际付款必须是数字"},
                          Case{"100", "", "120", "实际付款金额大于交费金额，请确认"}}) {
        t.enter(QString::fromUtf8(c.paid), QString::fromUtf8(c.bonus), QString::fromUtf8(c.received));
        t.pay();
        QCOMPARE(prompts.last(), QString::fromUtf8(c.message));
        QVERIFY(t.dlg.isVisible());
    }
    QCOMPARE(moneySnapshot(), before);

    t.enter(QStringLiteral("100"), QStringLiteral("10"), QStringLiteral("100"));
    t.pay();
    QCOMPARE(sqlValue(QStringLiteral("select shengyujine from huiyuan where ID='1'")), QStringLiteral("110"));
    QVERIFY(ledgerAgrees(QStringLiteral("1")));
}

void TestTopUp::failureRollsBack_data()
{
    QTest::addColumn<QString>("table");
    for (const char *t : {"huiyuanyuebiandong", "huiyuanjiaofei", "log"})
        QTest::newRow(t) << QString::fromLatin1(t);
}

void TestTopUp::failureRollsBack()
{
    QFETCH(QString, table);
    TestWorkdir wd;
    PromptRecorder prompts;
    DispatchStub main;
    seedShop();
    seedMembers(1, 50);
    breakTable(table);
    const auto before = moneySnapshot();

    TopUp t(main, {QStringLiteral("1"), QStringLiteral("会员1"), QStringLiteral("50"), QString()});
    t.enter(QStringLiteral("100"), QStringLiteral("20"));
    t.pay();
    QCOMPARE(prompts.last(), QStringLiteral("会员充值保存失败，本次操作未保存"));
    QVERIFY(t.dlg.isVisible());
    QCOMPARE(edit(&t.dlg, "lineEdit")->text(), QStringLiteral("100"));
    QCOMPARE(moneySnapshot(), before);
}

// Part by card terminal, part in cash: the card is credited once, each method
// has its row under one document, the card itself is not offered.
void TestTopUp::combinedPaymentOneCreditSeveralRows()
{
    TestWorkdir wd;
    PromptRecorder prompts;
    DispatchStub main;
    seedShop();
    seedMembers(1);
    sqlExec(QStringLiteral("update huiyuan set shengyujine=300 where ID='1'"));
    {
        TopUp t(main, {QStringLiteral("1"), QStringLiteral("会员1"), QStringLiteral("300"), QString()});
        t.enter(QStringLiteral("1000"), QStringLiteral("100"));
        onNextModal([](QWidget *pay) {
            QVERIFY(!pay->findChild<QWidget *>(QStringLiteral("checkBox_4"))->isEnabled());
            clickButton(pay, QStringLiteral("checkBox")); // 支付宝 takes the whole remainder
            pay->findChild<QLineEdit *>(QStringLiteral("lineEdit"))->setText(QStringLiteral("600"));
            clickButton(pay, QStringLiteral("checkBox_3")); // 现金 the rest
            clickButton(pay, QStringLiteral("toolButton_4"));
        });
        clickButton(&t.dlg, QStringLiteral("toolButton_3"));
        QCOMPARE(t.dlg.result(), int(QDialog::Accepted));
    }
    QVERIFY2(prompts.texts().isEmpty(), qPrintable(prompts.texts().join(QLatin1Char(';'))));
    QCOMPARE(sqlValue(QStringLiteral("select shengyujine from huiyuan where ID='1'")), QStringLiteral("1400"));
    QCOMPARE(sqlRows(QStringLiteral("select fukuanleixing,yingjiaojine,shifujine,zengsongjine,kaneijine,qiankuanjine "
                                    "from huiyuanjiaofei order by rowid")),
             (QList<QStringList>{{QStringLiteral("支付宝"), QStringLiteral("1000"), QStringLiteral("600"),
                                  QStringLiteral("100"), QStringLiteral("1100"), QStringLiteral("0")},
                                 {QStringLiteral("现金"), QStringLiteral("0"), QStringLiteral("400"), QStringLiteral("0"),
                                  QStringLiteral("0"), QStringLiteral("0")}}));
    QCOMPARE(sqlValue(QStringLiteral("select count(distinct ID) from huiyuanjiaofei")), QStringLiteral("1"));
    QVERIFY(ledgerAgrees(QStringLiteral("1")));
}

QTEST_MAIN(TestTopUp)
#include "tst_members_topup.moc"
