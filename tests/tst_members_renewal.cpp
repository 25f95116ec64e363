#include <QAbstractItemModel>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QtTest>

#include "memberstestkit.h"
#include "operatorsession.h"
#include "taocanxufeidlg.h"

namespace {
QLineEdit *edit(QWidget *d, const char *name) { return d->findChild<QLineEdit *>(QLatin1String(name)); }

// Chooses a package in the package picker that "添加套餐" opens.
void pickPackage(taocanxufeidlg &dlg, const QString &packageId)
{
    onNextModal([packageId](QWidget *w) {
        auto *view = w->findChild<QTableView *>(QStringLiteral("tableView"));
        QAbstractItemModel *m = view->model();
        for (int r = 0; m && r < m->rowCount(); ++r) {
            if (m->index(r, 0).data().toString() == packageId) {
                view->setCurrentIndex(m->index(r, 0));
                clickButton(w, QStringLiteral("toolButton_3"));
                return;
            }
        }
        qWarning("package %s is not listed", qPrintable(packageId));
        clickButton(w, QStringLiteral("toolButton_4"));
    });
    clickButton(&dlg, QStringLiteral("toolButton_3"));
}

// Adds a single service item through the package line dialog.
void addItem(taocanxufeidlg &dlg, const QString &code, const QString &uses, const QString &price)
{
    onNextModal([=](QWidget *w) {
        auto *codeEdit = w->findChild<QLineEdit *>(QStringLiteral("lineEdit"));
        codeEdit->setText(code);
        QMetaObject::invokeMethod(codeEdit, "editingFinished");
        w->findChild<QLineEdit *>(QStringLiteral("lineEdit_2"))->setText(uses);
        w->findChild<QLineEdit *>(QStringLiteral("lineEdit_4"))->setText(price);
        clickButton(w, QStringLiteral("toolButton"));
    });
    clickButton(&dlg, QStringLiteral("toolButton_2"));
}

QStringList frontDeskRow(const QString &id, const QString &balance)
{
    return {id, QStringLiteral("会员") + id, QStringLiteral("金卡"), QStringLiteral("0"), QStringLiteral("0"), balance};
}

// Member 1 holds 4 of 10 washes and has 100 on the card.
void seedHolder()
{
    seedShop();
    seedMembers(2, 100);
    sqlExec(QStringLiteral("insert into huiyuantaocan(huiyuanID,xiangmuID,zongcishu,shengyucishu,xiaofeicishu) values('1','X1',10,4,6)"));
}
} // namespace

class TestRenewal : public QObject
{
    Q_OBJECT
private slots:
    void init() { operatorSession().loginName = QStringLiteral("admin"); }
    void renewHeldPackageAddsUses();
    void severalPackagesAndAnItemMakeTheAmountDue();
    void combinedPaymentSharesOneDocument();
    void refusalsAndFailureWriteNothing();
    void renewTheChosenItemAtTheShownPrice();
};

void TestRenewal::renewHeldPackageAddsUses()
{
    TestWorkdir wd;
    PromptRecorder prompts;
    DispatchStub main;
    seedHolder();
    {
        taocanxufeidlg dlg;
        main.attach(&dlg);
        dlg.setup(QStringLiteral("会员交费"), frontDeskRow(QStringLiteral("1"), QStringLiteral("100")));
        dlg.show();
        QCOMPARE(dlg.findChild<QTableView *>(QStringLiteral("tableView"))->model()->rowCount(), 1);
        pickPackage(dlg, QStringLiteral("T1"));
        QCOMPARE(dlg.findChild<QTableView *>(QStringLiteral("tableView"))->model()->rowCount(), 3);
        QCOMPARE(edit(&dlg, "lineEdit")->text(), QStringLiteral("300.00"));
        QCOMPARE(edit(&dlg, "lineEdit_2")->text(), QStringLiteral("300.00"));
        dlg.findChild<QComboBox *>(QStringLiteral("comboBox"))->setCurrentText(QStringLiteral("李助理"));
        clickButton(&dlg, QStringLiteral("toolButton_4"));
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
    }
    QVERIFY(prompts.texts().isEmpty());
    QCOMPARE(sqlRows(QStringLiteral("select huiyuanID,xiangmuID,zongcishu,shengyucishu,xiaofeicishu from huiyuantaocan order by xiangmuID")),
             (QList<QStringList>{{QStringLiteral("1"), QStringLiteral("X1"), QStringLiteral("20"), QStringLiteral("14"), QStringLiteral("6")},
                                 {QStringLiteral("1"), QStringLiteral("X2"), QStringLiteral("2"), QStringLiteral("2"), QStringLiteral("0")}}));
    const QList<QStringList> pay = sqlRows(QStringLiteral(
        "select ID,huiyuanid,jiaofeileixing,yingjiaojine,shifujine,zengsongjine,zengsongjine2,kaneijine,kaneijine2,"
        "qiankuanjine,fukuanleixing,yuangongName,caozuoyuan,beizhu from huiyuanjiaofei"));
    QCOMPARE(pay.size(), 1);
    QVERIFY(pay.first().at(0).startsWith(QLatin1String("tcxf")));
    QCOMPARE(pay.first().mid(1), (QStringList{QStringLiteral("1"), QStringLiteral("套餐交费"), QStringLiteral("300"),
                                              QStringLiteral("300"), QStringLiteral("0"), QStringLiteral("0"),
                                              QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"),
                                              QStringLiteral("现金"), QStringLiteral("李助理"), QStringLiteral("admin"),
                                              QStringLiteral("会员套餐交费:300 洗发:10 护理:2")}));
    QCOMPARE(sqlRows(QStringLiteral("select biandongleixing,xiangmumingchen,yuezengjia,yuejianshao,cishuzengjia,dangshikaneiyue,"
                                    "dangshikaneicishu,beizhu from huiyuanyuebiandong where huiyuanid='1' and ID>2 order by ID")),
             (QList<QStringList>{{QStringLiteral("会员套餐充值"), QStringLiteral("X1"), QStringLiteral("0"), QStringLiteral("0"),
                                  QStringLiteral("10"), QStringLiteral("100"), QStringLiteral("14"),
                                  QStringLiteral("消费单：") + pay.first().at(0)},
                                 {QStringLiteral("会员套餐充值"), QStringLiteral("X2"), QStringLiteral("0"), QStringLiteral("0"),
                                  QStringLiteral("2"), QStringLiteral("100"), QStringLiteral("2"),
                                  QStringLiteral("消费单：") + pay.first().at(0)}}));
    QVERIFY(ledgerAgrees(QStringLiteral("1")));
    QCOMPARE(sqlValue(QStringLiteral("select shengyujine from huiyuan where ID='1'")), QStringLiteral("100"));
    QCOMPARE(sqlValue(QStringLiteral("select log from log")), QStringLiteral("会员套餐  会员号：1")); // which member
    QCOMPARE(sqlValue(QStringLiteral("select count(*) from temphuiyuantaocan")), QStringLiteral("0"));
}

void TestRenewal::severalPackagesAndAnItemMakeTheAmountDue()
{
    TestWorkdir wd;
    PromptRecorder prompts;
    DispatchStub main;
    seedHolder();
    {
        taocanxufeidlg dlg;
        main.attach(&dlg);
        dlg.setup(QStringLiteral("会员交费"), frontDeskRow(QStringLiteral("2"), QStringLiteral("100")));
        dlg.show();
        pickPackage(dlg, QStringLiteral("T1"));
        QCOMPARE(edit(&dlg, "lineEdit")->text(), QStringLiteral("300.00"));
        pickPackage(dlg, QStringLiteral("T2"));
        QCOMPARE(edit(&dlg, "lineEdit")->text(), QStringLiteral("700.00"));
        addItem(dlg, QStringLiteral("X3"), QStringLiteral("3"), QStringLiteral("40"));
        QCOMPARE(edit(&dlg, "lineEdit")->text(), QStringLiteral("820.00"));
        // The same package once more is owed once more.
        pickPackage(dlg, QStringLiteral("T1"));
        QCOMPARE(edit(&dlg, "lineEdit")->text(), QStringLiteral("1120.00"));
        QCOMPARE(edit(&dlg, "lineEdit_2")->text(), QStringLiteral("1120.00"));

        edit(&dlg, "lineEdit_2")->setText(QStringLiteral("1100"));
        prompts.answer(QStringLiteral("否"));
        clickButton(&dlg, QStringLiteral("toolButton_4"));
        QCOMPARE(prompts.last(), QStringLiteral("欠款20.00,确定吗"));
        QVERIFY(dlg.isVisible());
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from huiyuanjiaofei")), QStringLiteral("0"));
        clickButton(&dlg, QStringLiteral("toolButton_4"));
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
    }
    QCOMPARE(sqlRows(QStringLiteral("select yingjiaojine,shifujine,qiankuanjine,beizhu from huiyuanjiaofei")),
             (QList<QStringList>{{QStringLiteral("1120"), QStringLiteral("1100"), QStringLiteral("20"),
                                  QStringLiteral("会员套餐交费:1100 洗发:20 护理:4 剪发:13")}}));
    QCOMPARE(sqlRows(QStringLiteral("select xiangmuID,zongcishu,shengyucishu from huiyuantaocan where huiyuanID='2' order by xiangmuID")),
             (QList<QStringList>{{QStringLiteral("X1"), QStringLiteral("20"), QStringLiteral("20")},
                                 {QStringLiteral("X2"), QStringLiteral("4"), QStringLiteral("4")},
                                 {QStringLiteral("X3"), QStringLiteral("13"), QStringLiteral("13")}}));
    // Member 1's packages are not touched by member 2's renewal.
    QCOMPARE(sqlRows(QStringLiteral("select xiangmuID,zongcishu,shengyucishu from huiyuantaocan where huiyuanID='1'")),
             (QList<QStringList>{{QStringLiteral("X1"), QStringLiteral("10"), QStringLiteral("4")}}));
    QVERIFY(ledgerAgrees(QStringLiteral("2")));
}

void TestRenewal::combinedPaymentSharesOneDocument()
{
    TestWorkdir wd;
    PromptRecorder prompts;
    DispatchStub main;
    seedHolder();
    {
        taocanxufeidlg dlg;
        main.attach(&dlg);
        dlg.setup(QStringLiteral("会员交费"), frontDeskRow(QStringLiteral("1"), QStringLiteral("100")));
        dlg.show();
        pickPackage(dlg, QStringLiteral("T1"));
        // A failing write keeps the payment dialog open with its ticks; the next try lands.
        QString told;
        bool kept = false;
        onNextModal([&](QWidget *w) {
            QCOMPARE(w->windowTitle(), QStringLiteral("联合付款"));
            w->findChild<QCheckBox *>(QStringLiteral("checkBox_4"))->click(); // 储蓄卡: the whole balance
            w->findChild<QCheckBox *>(QStringLiteral("checkBox_3"))->click(); // 现金: the rest
            breakTable(QStringLiteral("huiyuanjiaofei"));
            clickButton(w, QStringLiteral("toolButton_4"));
            told = prompts.last();
            kept = w->isVisible() && w->findChild<QCheckBox *>(QStringLiteral("checkBox_4"))->isChecked()
                   && w->findChild<QCheckBox *>(QStringLiteral("checkBox_3"))->isChecked();
            dropTrigger("break_huiyuanjiaofei", "huiyuanjiaofei");
            clickButton(w, QStringLiteral("toolButton_4"));
        });
        clickButton(&dlg, QStringLiteral("toolButton_5"));
        QVERIFY2(told.startsWith(QStringLiteral("套餐续费保存失败，本次操作未保存")), qPrintable(told));
        QVERIFY(kept);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
    }
    const QList<QStringList> rows = sqlRows(QStringLiteral(
        "select ID,jiaofeileixing,yingjiaojine,shifujine,qiankuanjine,fukuanleixing from huiyuanjiaofei order by rowid"));
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows.at(0).at(0), rows.at(1).at(0));
    // Methods come in the payment dialog's fixed order; only the first row carries the amount due.
    QCOMPARE(rows.at(0).mid(1), (QStringList{QStringLiteral("套餐交费"), QStringLiteral("300"), QStringLiteral("200"),
                                             QStringLiteral("0"), QStringLiteral("现金")}));
    QCOMPARE(rows.at(1).mid(1), (QStringList{QStringLiteral("套餐交费"), QStringLiteral("0"), QStringLiteral("100"),
                                             QStringLiteral("0"), QStringLiteral("储蓄卡")}));
    // What the card paid leaves the balance, and the ledger says so.
    QCOMPARE(sqlValue(QStringLiteral("select shengyujine from huiyuan where ID='1'")), QStringLiteral("0"));
    QCOMPARE(sqlRows(QStringLiteral("select biandongleixing,yuejianshao,dangshikaneiyue,dangshikaneicishu from huiyuanyuebiandong "
                                    "where huiyuanid='1' order by ID desc limit 1")),
             (QList<QStringList>{{QStringLiteral("会员套餐交费"), QStringLiteral("100"), QStringLiteral("0"), QStringLiteral("2")}}));
    QVERIFY(ledgerAgrees(QStringLiteral("1")));
}

void TestRenewal::refusalsAndFailureWriteNothing()
{
    TestWorkdir wd;
    PromptRecorder prompts;
    DispatchStub main;
    seedHolder();
    const auto before = moneySnapshot();

    {
        // Opened from the member list, each label shows its own column.
        taocanxufeidlg fromList;
        QStringList listRow;
        for (int i = 0; i < 18; ++i)
            listRow << QStringLiteral("c%1").arg(i);
        listRow[0] = QStringLiteral("1");
        fromList.setup(QStringLiteral("会员管理"), listRow);
        const auto text = [&](const char *n) { return fromList.findChild<QLabel *>(QLatin1String(n))->text(); };
        QCOMPARE((QStringList{text("label_7"), text("label_10"), text("label_12"), text("label_11"), text("label_9"), text("label_8")}),
                 (QStringList{QStringLiteral("1"), QStringLiteral("c1"), QStringLiteral("c13"), QStringLiteral("c14"),
                              QStringLiteral("c15"), QStringLiteral("0.00")}));
    }

    taocanxufeidlg walkIn;
    main.attach(&walkIn);
    walkIn.setup(QStringLiteral("会员交费"), frontDeskRow(QStringLiteral("0000"), QStringLiteral("00")));
    clickButton(&walkIn, QStringLiteral("toolButton_4"));
    QCOMPARE(prompts.last(), QStringLiteral("只能给已登记的会员续费套餐，请先选择一个会员"));
    walkIn.close();

    taocanxufeidlg dlg;
    main.attach(&dlg);
    dlg.setup(QStringLiteral("会员交费"), frontDeskRow(QStringLiteral("1"), QStringLiteral("100")));
    dlg.show();
    clickButton(&dlg, QStringLiteral("toolButton_4"));
    QCOMPARE(prompts.last(), QStringLiteral("请先添加套餐或服务项目"));

    pickPackage(dlg, QStringLiteral("T2"));
    edit(&dlg, "lineEdit_2")->setText(QStringLiteral("500"));
    clickButton(&dlg, QStringLiteral("toolButton_4"));
    QCOMPARE(prompts.last(), QStringLiteral("实际付款金额大于需付金额，请确认"));
    edit(&dlg, "lineEdit_2")->setText(QStringLiteral("-1"));
    clickButton(&dlg, QStringLiteral("toolButton_4"));
    QCOMPARE(prompts.last(), QStringLiteral("支付金额必须是不小于0的数字"));
    QCOMPARE(moneySnapshot(), before);

    // A statement failing halfway leaves every table as it was; the dialog keeps what was added.
    breakTable(QStringLiteral("huiyuanyuebiandong"));
    edit(&dlg, "lineEdit_2")->setText(QStringLiteral("400"));
    clickButton(&dlg, QStringLiteral("toolButton_4"));
    QCOMPARE(prompts.last(), QStringLiteral("套餐续费保存失败，本次操作未保存"));
    QVERIFY(dlg.isVisible());
    QCOMPARE(moneySnapshot(), before);
    QCOMPARE(edit(&dlg, "lineEdit")->text(), QStringLiteral("400.00"));

    dropTrigger("break_huiyuanyuebiandong", "huiyuanyuebiandong");
    clickButton(&dlg, QStringLiteral("toolButton_4"));
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(sqlValue(QStringLiteral("select shengyucishu from huiyuantaocan where huiyuanID='1' and xiangmuID='X3'")), QStringLiteral("10"));
}

// 续费 renews the item chosen in the list without its code being typed again;
// Enter after a typed code goes on to 服务次数 instead of a wrong message; and
// the 实收价格 shown is exactly what the payment row charges.
void TestRenewal::renewTheChosenItemAtTheShownPrice()
{
    TestWorkdir wd;
    PromptRecorder prompts;
    DispatchStub main;
    seedHolder();
    taocanxufeidlg dlg;
    main.attach(&dlg);
    dlg.setup(QStringLiteral("会员交费"), frontDeskRow(QStringLiteral("1"), QStringLiteral("100")));
    dlg.show();
    clickButton(&dlg, QStringLiteral("toolButton"));
    QVERIFY2(prompts.last().startsWith(QStringLiteral("请先在列表中选择要续费的项目")), qPrintable(prompts.last()));

    auto *list = dlg.findChild<QTableView *>(QStringLiteral("tableView"));
    list->setCurrentIndex(list->model()->index(0, 0));
    QString shownTotal;
    onNextModal([&](QWidget *w) {
        QCOMPARE(edit(w, "lineEdit")->text(), QStringLiteral("X1"));
        QCOMPARE(w->findChild<QLabel *>(QStringLiteral("label_5"))->text(), QStringLiteral("洗发"));
        QCOMPARE(w->focusWidget(), edit(w, "lineEdit_2"));
        QCOMPARE(edit(w, "lineEdit_5")->focusPolicy(), Qt::NoFocus);
        QVERIFY(edit(w, "lineEdit_5")->isReadOnly());
        edit(w, "lineEdit_2")->setText(QStringLiteral("5"));
        edit(w, "lineEdit_4")->setText(QStringLiteral("25.5"));
        shownTotal = edit(w, "lineEdit_5")->text();
        clickButton(w, QStringLiteral("toolButton"));
    });
    clickButton(&dlg, QStringLiteral("toolButton"));
    QCOMPARE(shownTotal, QStringLiteral("127.5"));
    QCOMPARE(edit(&dlg, "lineEdit")->text(), QStringLiteral("127.50"));

    onNextModal([&](QWidget *w) {
        QLineEdit *code = edit(w, "lineEdit");
        code->setFocus();
        QTest::keyClicks(code, QStringLiteral("X2"));
        QTest::keyClick(code, Qt::Key_Return);
        QVERIFY(w->isVisible());
        QCOMPARE(w->findChild<QLabel *>(QStringLiteral("label_5"))->text(), QStringLiteral("护理"));
        QCOMPARE(w->focusWidget(), edit(w, "lineEdit_2"));
        edit(w, "lineEdit_2")->clear();
        clickButton(w, QStringLiteral("toolButton"));
        QCOMPARE(prompts.last(), QStringLiteral("请输入服务次数"));
        qobject_cast<QDialog *>(w)->reject();
    });
    clickButton(&dlg, QStringLiteral("toolButton_2"));
    QVERIFY(!prompts.texts().join(QLatin1Char(';')).contains(QStringLiteral("员工")));

    clickButton(&dlg, QStringLiteral("toolButton_4"));
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(sqlRows(QStringLiteral("select yingjiaojine,shifujine from huiyuanjiaofei")),
             (QList<QStringList>{{QStringLiteral("127.5"), QStringLiteral("127.5")}}));
    QCOMPARE(sqlValue(QStringLiteral("select shengyucishu from huiyuantaocan where huiyuanID='1' and xiangmuID='X1'")),
             QStringLiteral("9"));
    QVERIFY(ledgerAgrees(QStringLiteral("1")));
}

QTEST_MAIN(TestRenewal)
#include "tst_members_renewal.moc"
