#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTextEdit>
#include <QtTest>

#include "addhuiyuandlg.h"
#include "memberstestkit.h"
#include "operatorsession.h"

namespace {
QLineEdit *edit(QWidget *d, const char *name) { return d->findChild<QLineEdit *>(QLatin1String(name)); }
QComboBox *combo(QWidget *d, const char *name) { return d->findChild<QComboBox *>(QLatin1String(name)); }
QString labelText(QWidget *d, const char *name) { return d->findChild<QLabel *>(QLatin1String(name))->text(); }

// Answers the payment dialog that the save opens. A payment the card issue
// refuses leaves the dialog open with its amount; it is then closed with 退出.
void payWith(const QString &received, bool *opened = nullptr, bool *stayedOpen = nullptr)
{
    onNextModal([received, opened, stayedOpen](QWidget *w) {
        if (opened)
            *opened = true;
        QCOMPARE(w->windowTitle(), QStringLiteral("付费"));
        w->findChild<QLineEdit *>(QStringLiteral("lineEdit"))->setText(received);
        clickButton(w, QStringLiteral("toolButton_3"));
        if (stayedOpen)
            *stayedOpen = w->isVisible() && w->findChild<QLineEdit *>(QStringLiteral("lineEdit"))->text() == received;
        if (w->isVisible())
            clickButton(w, QStringLiteral("toolButton_2"));
    });
}

// Cancels the payment dialog if one opens within a short while; the caller
// waits that while out, so no watcher outlives the check.
void cancelPayment(bool *opened, int timeoutMs = 5000)
{
    onNextModal([opened](QWidget *w) {
        *opened = true;
        clickButton(w, QStringLiteral("toolButton_2"));
    }, timeoutMs);
}

void expectNoPayment(QWidget *dlg, bool *opened)
{
    *opened = false;
    cancelPayment(opened, 300);
    clickButton(dlg, QStringLiteral("toolButton"));
    QTest::qWait(400);
    QVERIFY(!*opened);
}

QStringList row(const QString &sql)
{
    const QList<QStringList> rows = sqlRows(sql);
    return rows.size() == 1 ? rows.first() : QStringList{QStringLiteral("rows: %1").arg(rows.size())};
}
} // namespace

class TestCardIssue : public QObject
{
    Q_OBJECT
private slots:
    void init() { operatorSession().loginName = QStringLiteral("admin"); operatorSession().xiugaibankajiage = QStringLiteral("是"); }
    void issueWithoutPackage();
    void issueWithPackageDebtAndCommission();
    void cancelledPaymentAndBadCardTypeWriteNothing();
    void failureRollsBackEverything_data();
    void failureRollsBackEverything();
    void editKeepsStoredDataAndMoney();
    void hurriedEntryLeavesBirthdayAndSexEmpty();
};

void TestCardIssue::issueWithoutPackage()
{
    TestWorkdir wd;
    PromptRecorder prompts;
    DispatchStub main;
    seedShop();
    seedMembers(8);

    addhuiyuandlg dlg;
    main.attach(&dlg);
    dlg.setup(1, {});
    QCOMPARE(edit(&dlg, "lineEdit")->text(), QStringLiteral("9"));
    QVERIFY(!edit(&dlg, "lineEdit")->isEnabled());
    edit(&dlg, "lineEdit_2")->setText(QStringLiteral("张'三"));
    edit(&dlg, "lineEdit_3")->setText(QStringLiteral("13912345678"));
    combo(&dlg, "comboBox_3")->setCurrentText(QStringLiteral("金卡"));
    QCOMPARE(edit(&dlg, "lineEdit_12")->text(), QStringLiteral("500"));
    QVERIFY(!edit(&dlg, "lineEdit_12")->isEnabled());
    QCOMPARE(edit(&dlg, "lineEdit_13")->text(), QStringLiteral("400"));
    QCOMPARE(labelText(&dlg, "label_22"), QStringLiteral("0.8"));
    QCOMPARE(labelText(&dlg, "label_23"), QStringLiteral("0.9"));
    QCOMPARE(combo(&dlg, "comboBox_4")->currentText(), QStringLiteral("无"));
    QCOMPARE(labelText(&dlg, "label_26"), QStringLiteral("0"));
    dlg.findChild<QDateEdit *>(QStringLiteral("dateEdit"))->setDate(QDate(1990, 5, 1));

    payWith(QStringLiteral("400"));
    clickButton(&dlg, QStringLiteral("toolButton"));
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QVERIFY(prompts.texts().isEmpty());

    QCOMPARE(row(QStringLiteral("select name,phone,type,jiaofeijinE,leijixiaofei,shengyujine,jifen,taocanID,birthday,"
                                "substr(login_time,1,4)='%1',tichengyuangong from huiyuan where ID='9'")
                     .arg(QDate::currentDate().year())),
             (QStringList{QStringLiteral("张'三"), QStringLiteral("13912345678"), QStringLiteral("金卡"),
                          QStringLiteral("400"), QStringLiteral("0"), QStringLiteral("500"), QStringLiteral("200"),
                          QStringLiteral("0"), QStringLiteral("1990-05-01 00:00:00"), QStringLiteral("1"), QString()}));
    const QStringList pay = row(QStringLiteral(
        "select ID,jiaofeileixing,yingjiaojine,shifujine,zengsongjine,zengsongjine2,kaneijine,kaneijine2,"
        "qiankuanjine,fukuanleixing,caozuoyuan,beizhu from huiyuanjiaofei where huiyuanid='9'"));
    QCOMPARE(pay.size(), 12);
    QVERIFY(pay.at(0).startsWith(QLatin1String("BK")));
    QCOMPARE(pay.at(0).size(), 19);
    QCOMPARE(pay.mid(1), (QStringList{QStringLiteral("办卡交费"), QStringLiteral("400"), QStringLiteral("400"),
                                      QStringLiteral("100"), QStringLiteral("0"), QStringLiteral("500"),
                                      QStringLiteral("500"), QStringLiteral("0"), QStringLiteral("现金"),
                                      QStringLiteral("admin"), QStringLiteral("卡内金额:500")}));
    QCOMPARE(sqlValue(QStringLiteral("select count(*) from huiyuantaocan")), QStringLiteral("0"));
    QCOMPARE(sqlValue(QStringLiteral("select count(*) from tichengmingxi")), QStringLiteral("0"));
    // The opening balance has its own ledger row.
    QCOMPARE(sqlRows(QStringLiteral("select biandongleixing,xiangmumingchen,yuezengjia,yuejianshao,cishuzengjia,"
                                    "dangshikaneiyue,dangshikaneicishu,caozuoyuan,beizhu from huiyuanyuebiandong where huiyuanid='9'")),
             (QList<QStringList>{{QStringLiteral("会员办卡"), QString(), QStringLiteral("500"), QStringLiteral("0"),
                                  QStringLiteral("0"), QStringLiteral("500"), QStringLiteral("0"), QStringLiteral("admin"),
                                  QStringLiteral("交费单：") + pay.at(0)}}));
    QVERIFY(ledgerAgrees(QStringLiteral("9")));
    QCOMPARE(sqlRows(QStringLiteral("select \"user\",log from log")),
             (QList<QStringList>{{QStringLiteral("admin"), QStringLiteral("增加会员套餐  会员号：9")}}));

    // Numbering goes on numerically: 10 after 9.
    addhuiyuandlg next;
    main.attach(&next);
    next.setup(1, {});
    QCOMPARE(edit(&next, "lineEdit")->text(), QStringLiteral("10"));
}

void TestCardIssue::issueWithPackageDebtAndCommission()
{
    TestWorkdir wd;
    PromptRecorder prompts;
    DispatchStub main;
    seedShop();

    addhuiyuandlg dlg;
    main.attach(&dlg);
    dlg.setup(1, {});
    QCOMPARE(edit(&dlg, "lineEdit")->text(), QStringLiteral("1"));
    edit(&dlg, "lineEdit_2")->setText(QStringLiteral("李四"));
    combo(&dlg, "comboBox_3")->setCurrentText(QStringLiteral("金卡"));
    combo(&dlg, "comboBox_4")->setCurrentText(QStringLiteral("洗护套餐"));
    QCOMPARE(labelText(&dlg, "label_26"), QStringLiteral("300"));
    QCOMPARE(dlg.findChild<QTableView *>(QStringLiteral("tableView"))->model()->rowCount(), 2);
    edit(&dlg, "lineEdit_11")->setText(QStringLiteral("A01"));

    // Due 400 + 300; 600 paid, the rest accepted as debt.
    payWith(QStringLiteral("600"));
    clickButton(&dlg, QStringLiteral("toolButton"));
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(prompts.texts(), QStringList{QStringLiteral("欠款金额为：100 是否允许欠款?")});

    QCOMPARE(row(QStringLiteral("select shengyujine,jiaofeijinE,jifen,taocanID,tichengyuangong from huiyuan where ID='1'")),
             (QStringList{QStringLiteral("500"), QStringLiteral("400"), QStringLiteral("200"), QStringLiteral("T1"),
                          QStringLiteral("A01")}));
    // What is owed is the card and the package; the employee by name, as every payment row has it.
    const QStringList pay = row(QStringLiteral("select ID,yingjiaojine,shifujine,qiankuanjine,yuangongName,beizhu from huiyuanjiaofei"));
    QCOMPARE(pay.mid(1), (QStringList{QStringLiteral("700"), QStringLiteral("600"), QStringLiteral("100"),
                                      QStringLiteral("王美发"), QStringLiteral("卡内金额:500 洗发:10 护理:2")}));
    QCOMPARE(sqlRows(QStringLiteral("select huiyuanID,xiangmuID,zongcishu,shengyucishu,xiaofeicishu from huiyuantaocan order by xiangmuID")),
             (QList<QStringList>{{QStringLiteral("1"), QStringLiteral("X1"), QStringLiteral("10"), QStringLiteral("10"), QStringLiteral("0")},
                                 {QStringLiteral("1"), QStringLiteral("X2"), QStringLiteral("2"), QStringLiteral("2"), QStringLiteral("0")}}));
    // The card value, then one row per item, each chaining on the one before.
    QCOMPARE(sqlRows(QStringLiteral("select biandongleixing,xiangmumingchen,yuezengjia,cishuzengjia,dangshikaneiyue,"
                                    "dangshikaneicishu,beizhu from huiyuanyuebiandong order by ID")),
             (QList<QStringList>{{QStringLiteral("会员办卡"), QString(), QStringLiteral("500"), QStringLiteral("0"),
                                  QStringLiteral("500"), QStringLiteral("0"), QStringLiteral("交费单：") + pay.at(0)},
                                 {QStringLiteral("会员办卡"), QStringLiteral("X1"), QStringLiteral("0"), QStringLiteral("10"),
                                  QStringLiteral("500"), QStringLiteral("10"), QStringLiteral("交费单：") + pay.at(0)},
                                 {QStringLiteral("会员办卡"), QStringLiteral("X2"), QStringLiteral("0"), QStringLiteral("2"),
                                  QStringLiteral("500"), QStringLiteral("2"), QStringLiteral("交费单：") + pay.at(0)}}));
    QVERIFY(ledgerAgrees(QStringLiteral("1")));
    // The card's points are a ledger row like any other.
    QCOMPARE(sqlRows(QStringLiteral("select biandongleixing,jifenzengjia,shengyujifen from huiyuanjifen")),
             (QList<QStringList>{{QStringLiteral("会员办卡"), QStringLiteral("200"), QStringLiteral("200")}}));
    // The opening commission follows the card type's rule for a 发型师: 10 % of
    // the card price, the rate kept apart from the amount.
    const QStringList tc = row(QStringLiteral("select titleID,yuangongID,xiangmuID,xiangmumingcheng,xiaofeiID,jisuanfangshi,"
                                              "tichengbili,tichengjine,beizhu from tichengmingxi"));
    QVERIFY(tc.value(0).startsWith(QLatin1String("tc")));
    QCOMPARE(tc.mid(1), (QStringList{QStringLiteral("A01"), QStringLiteral("1"), QStringLiteral("李四"), pay.at(0),
                                     QStringLiteral("按比例提成"), QStringLiteral("10"), QStringLiteral("40"),
                                     QStringLiteral("开卡提成")}));
    verifyBooks();
}

void TestCardIssue::cancelledPaymentAndBadCardTypeWriteNothing()
{
    TestWorkdir wd;
    PromptRecorder prompts;
    DispatchStub main;
    seedShop();
    const auto before = moneySnapshot();
    {
        addhuiyuandlg dlg;
        main.attach(&dlg);
        dlg.setup(1, {});
        dlg.show();
        edit(&dlg, "lineEdit_2")->setText(QStringLiteral("王五"));
        combo(&dlg, "comboBox_3")->setCurrentText(QStringLiteral("银卡"));
        combo(&dlg, "comboBox_4")->setCurrentText(QStringLiteral("剪发卡"));

        bool opened = false;
        cancelPayment(&opened);
        clickButton(&dlg, QStringLiteral("toolButton"));
        QVERIFY(opened);
        QVERIFY(dlg.isVisible());
        QVERIFY(main.keys.isEmpty());
        QCOMPARE(moneySnapshot(), before);

        // The card type was renamed meanwhile: the lookup finds no row, the four
        // fields are emptied and the save refuses before asking for money.
        sqlExec(QStringLiteral("update huiyuanka set name='银卡2' where name='银卡'"));
        combo(&dlg, "comboBox_3")->setCurrentText(QStringLiteral("金卡"));
        combo(&dlg, "comboBox_3")->setCurrentText(QStringLiteral("银卡"));
        QCOMPARE(edit(&dlg, "lineEdit_12")->text(), QString());
        QCOMPARE(edit(&dlg, "lineEdit_13")->text(), QString());
        QCOMPARE(labelText(&dlg, "label_22"), QString());
        QCOMPARE(labelText(&dlg, "label_23"), QString());
        expectNoPayment(&dlg, &opened);
        QCOMPARE(prompts.last(), QStringLiteral("请选择一个有效的会员卡类型"));

        // A negative card price is refused too.
        combo(&dlg, "comboBox_3")->setCurrentText(QStringLiteral("金卡"));
        edit(&dlg, "lineEdit_13")->setText(QStringLiteral("-400"));
        expectNoPayment(&dlg, &opened);
        QCOMPARE(prompts.last(), QStringLiteral("交费金额必须是不小于0的数字"));

        // Empty name: the system's plain box, no payment.
        edit(&dlg, "lineEdit_13")->setText(QStringLiteral("400"));
        edit(&dlg, "lineEdit_2")->clear();
        expectNoPayment(&dlg, &opened);
        QCOMPARE(prompts.last(), QStringLiteral("员工名不能为空"));
        QCOMPARE(moneySnapshot(), before);
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from temphuiyuantaocan")), QStringLiteral("1"));
    }
    // The scratch table is emptied with the dialog.
    QCOMPARE(sqlValue(QStringLiteral("select count(*) from temphuiyuantaocan")), QStringLiteral("0"));
}

void TestCardIssue::failureRollsBackEverything_data()
{
    QTest::addColumn<QString>("table");
    for (const char *t : {"huiyuan", "huiyuanjiaofei", "tichengmingxi", "huiyuantaocan", "huiyuanyuebiandong", "log"})
        QTest::newRow(t) << QString::fromLatin1(t);
}

void TestCardIssue::failureRollsBackEverything()
{
    QFETCH(QString, table);
    TestWorkdir wd;
    PromptRecorder prompts;
    DispatchStub main;
    seedShop();
    seedMembers(2, 100);
    breakTable(table);
    const auto before = moneySnapshot();

    addhuiyuandlg dlg;
    main.attach(&dlg);
    dlg.setup(1, {});
    dlg.show();
    edit(&dlg, "lineEdit_2")->setText(QStringLiteral("赵六"));
    combo(&dlg, "comboBox_3")->setCurrentText(QStringLiteral("金卡"));
    combo(&dlg, "comboBox_4")->setCurrentText(QStringLiteral("洗护套餐"));
    edit(&dlg, "lineEdit_11")->setText(QStringLiteral("A01"));
    bool stayedOpen = false;
    payWith(QStringLiteral("700"), nullptr, &stayedOpen);
    clickButton(&dlg, QStringLiteral("toolButton"));

    QCOMPARE(prompts.last(), QStringLiteral("会员办卡保存失败，本次操作未保存"));
    QVERIFY(stayedOpen); // the cashier's payment is still there to try again
    QVERIFY(dlg.isVisible());
    QCOMPARE(edit(&dlg, "lineEdit_2")->text(), QStringLiteral("赵六"));
    QCOMPARE(moneySnapshot(), before);
}

void TestCardIssue::editKeepsStoredDataAndMoney()
{
    TestWorkdir wd;
    PromptRecorder prompts;
    DispatchStub main;
    seedShop();
    seedMembers(3, 250);
    sqlExec(QStringLiteral("update huiyuan set birthday='1990-05-01 00:00:00', daoqi_time='2027-01-01', password1='123', "
                           "password2='123', beizhu='老客', guwenrenyuan='A01', height='165' where ID='2'"));
    const auto moneyBefore = sqlRows(QStringLiteral("select ID,type,jiaofeijinE,shengyujine,jifen,taocanID from huiyuan order by ID"));
    const auto ledgerBefore = sqlRows(QStringLiteral("select * from huiyuanyuebiandong"));

    // A row of the member list as the main window hands it over (dates as shown there).
    const QStringList listRow{QStringLiteral("2"), QStringLiteral("会员2"), QStringLiteral("女"), QStringLiteral("1990-05-01"),
                              QStringLiteral("13800000002"), QStringLiteral("2027-01-01"), QString(), QStringLiteral("165"),
                              QString(), QString(), QStringLiteral("王美发"), QString(), QString(),
                              QString(), QStringLiteral("250"), QString(), QString()};
    {
        addhuiyuandlg dlg;
        main.attach(&dlg);
        dlg.setup(2, listRow);
        QVERIFY(dlg.findChild<QTabWidget *>(QStringLiteral("tabWidget"))->isHidden());
        QCOMPARE(combo(&dlg, "comboBox_2")->currentText(), QStringLiteral("王美发"));
        QCOMPARE(dlg.findChild<QDateEdit *>(QStringLiteral("dateEdit"))->text(), QStringLiteral("1990-05-01"));
        edit(&dlg, "lineEdit_2")->setText(QStringLiteral("会员二"));
        clickButton(&dlg, QStringLiteral("toolButton"));
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
    }
    QCOMPARE(main.keys, QStringList{QStringLiteral("修改数据")});
    QCOMPARE(row(QStringLiteral("select name,birthday,daoqi_time,password1,password2,beizhu,guwenrenyuan,height from huiyuan where ID='2'")),
             (QStringList{QStringLiteral("会员二"), QStringLiteral("1990-05-01 00:00:00"), QStringLiteral("2027-01-01"),
                          QStringLiteral("123"), QStringLiteral("123"), QStringLiteral("老客"), QStringLiteral("A01"),
                          QStringLiteral("165")}));

    // A date the operator changes is stored as shown; no money table moves.
    {
        addhuiyuandlg dlg;
        main.attach(&dlg);
        dlg.setup(2, listRow);
        dlg.findChild<QDateEdit *>(QStringLiteral("dateEdit_2"))->setDate(QDate(2028, 3, 4));
        clickButton(&dlg, QStringLiteral("toolButton"));
    }
    QCOMPARE(sqlValue(QStringLiteral("select daoqi_time from huiyuan where ID='2'")), QStringLiteral("2028-03-04"));
    QCOMPARE(sqlValue(QStringLiteral("select birthday from huiyuan where ID='2'")), QStringLiteral("1990-05-01 00:00:00"));
    QCOMPARE(sqlRows(QStringLiteral("select ID,type,jiaofeijinE,shengyujine,jifen,taocanID from huiyuan order by ID")), moneyBefore);
    QCOMPARE(sqlRows(QStringLiteral("select * from huiyuanyuebiandong")), ledgerBefore);
    for (const char *t : {"huiyuanjiaofei", "huiyuantaocan", "tichengmingxi", "log"})
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from ") + QLatin1String(t)), QStringLiteral("0"));

    // A change the disk cannot take is told, and the dialog keeps what was typed.
    refuseRows("full_disk", "BEFORE UPDATE", "huiyuan", "database or disk is full");
    {
        addhuiyuandlg dlg;
        main.attach(&dlg);
        dlg.setup(2, listRow);
        edit(&dlg, "lineEdit_2")->setText(QStringLiteral("会员贰"));
        clickButton(&dlg, QStringLiteral("toolButton"));
        QCOMPARE(prompts.last(), QStringLiteral("保存失败，本次操作未保存\n原因：磁盘空间已满，请清理磁盘后再试。"));
        QVERIFY(dlg.result() != QDialog::Accepted);
        QCOMPARE(edit(&dlg, "lineEdit_2")->text(), QStringLiteral("会员贰"));
    }
    QCOMPARE(sqlValue(QStringLiteral("select name from huiyuan where ID='2'")), QStringLiteral("会员2"));
}

// A member entered in a hurry gets no made-up birthday (and so no greeting
// today) and no sex.
void TestCardIssue::hurriedEntryLeavesBirthdayAndSexEmpty()
{
    TestWorkdir wd;
    PromptRecorder prompts;
    DispatchStub main;
    seedShop();
    seedMembers(1);
    addhuiyuandlg dlg;
    main.attach(&dlg);
    dlg.setup(1, {});
    QCOMPARE(combo(&dlg, "comboBox")->currentText(), QString());
    auto *birthday = dlg.findChild<QDateEdit *>(QStringLiteral("dateEdit"));
    QCOMPARE(birthday->date(), birthday->minimumDate());
    edit(&dlg, "lineEdit_2")->setText(QStringLiteral("急客"));
    combo(&dlg, "comboBox_3")->setCurrentText(QStringLiteral("金卡"));
    payWith(QStringLiteral("400"));
    clickButton(&dlg, QStringLiteral("toolButton"));
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(row(QStringLiteral("select coalesce(sex,''),coalesce(birthday,'') from huiyuan where ID='2'")),
             (QStringList{QString(), QString()}));
}

QTEST_MAIN(TestCardIssue)
#include "tst_members_issue.moc"
