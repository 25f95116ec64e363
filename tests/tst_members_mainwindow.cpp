// The main-window buttons that open the member dialogs, driven through the
// real window and its request dispatch.
#include <QAbstractButton>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QtTest>

#include "mainwindow.h"
#include "memberstestkit.h"
#include "operatorsession.h"

namespace {
QString labelOf(QWidget *w, const char *name) { return w->findChild<QLabel *>(QLatin1String(name))->text(); }
void setLabel(QWidget *w, const char *name, const QString &text) { w->findChild<QLabel *>(QLatin1String(name))->setText(text); }

void selectRow(QWidget *w, const char *view, const QString &column0)
{
    auto *v = w->findChild<QTableView *>(QLatin1String(view));
    for (int r = 0; r < v->model()->rowCount(); ++r) {
        if (v->model()->index(r, 0).data().toString() == column0) {
            v->setCurrentIndex(v->model()->index(r, 0));
            return;
        }
    }
    QFAIL(qPrintable(QStringLiteral("no row ") + column0));
}

// Tops up on the dialog that opens next, after checking what it shows.
void topUpOnNext(const QStringList &expectedLabels, const QString &amount)
{
    onNextModal([=](QWidget *d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("会员充值"));
        QCOMPARE((QStringList{labelOf(d, "label_9"), labelOf(d, "label_10"), labelOf(d, "label_13"), labelOf(d, "label_15")}),
                 expectedLabels);
        d->findChild<QLineEdit *>(QStringLiteral("lineEdit"))->setText(amount);
        clickButton(d, QStringLiteral("toolButton"));
    });
}
} // namespace

class TestMembersMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        operatorSession() = OperatorSession();
        operatorSession().loginName = QStringLiteral("admin");
        operatorSession().xitongshezhi = QStringLiteral("是");
        operatorSession().xiugaibankajiage = QStringLiteral("是");
    }
    void topUpOpenersShowEachValueUnderItsCaption();
    void cardIssueThroughTheWindow();
    void cardTypeButtonsAndDoubleClick();
    void renewalFromTheMemberListShowsTheNewBalance();
};

void TestMembersMainWindow::topUpOpenersShowEachValueUnderItsCaption()
{
    TestWorkdir wd;
    PromptRecorder prompts;
    seedShop();
    seedMembers(2, 100);
    MainWindow w;
    w.loadDeferredViews(); // the member list loads when first shown

    w.selectMember(QStringList());
    clickButton(&w, QStringLiteral("toolButton_15"));
    QCOMPARE(prompts.last(), QStringLiteral("请选择一个会员或散户！"));

    // Front desk: the current member, as stored (a panel label edited by hand is not read back).
    w.selectMember(QStringList{QStringLiteral("1")});
    setLabel(&w, "label_11", QStringLiteral("999"));
    topUpOnNext({QStringLiteral("1"), QStringLiteral("会员1"), QStringLiteral("100.00"), QStringLiteral("13800000001")},
                QStringLiteral("50"));
    clickButton(&w, QStringLiteral("toolButton_15"));
    QCOMPARE(sqlValue(QStringLiteral("select shengyujine from huiyuan where ID='1'")), QStringLiteral("150"));
    QCOMPARE(sqlValue(QStringLiteral("select count(*) from huiyuanjiaofei where huiyuanid='1' and jiaofeileixing='会员充值'")),
             QStringLiteral("1"));
    QVERIFY(ledgerAgrees(QStringLiteral("1")));

    // Member page: without a selected row the message, with one the row's values.
    prompts.clear();
    w.findChild<QTableView *>(QStringLiteral("tableView_9"))->setCurrentIndex(QModelIndex());
    clickButton(&w, QStringLiteral("toolButton_4"));
    QCOMPARE(prompts.last(), QStringLiteral("请选择一个会员！"));
    selectRow(&w, "tableView_9", QStringLiteral("2"));
    topUpOnNext({QStringLiteral("2"), QStringLiteral("会员2"), QStringLiteral("100.00"), QStringLiteral("13800000002")},
                QStringLiteral("20"));
    clickButton(&w, QStringLiteral("toolButton_4"));
    QCOMPARE(sqlValue(QStringLiteral("select shengyujine from huiyuan where ID='2'")), QStringLiteral("120"));
    QVERIFY(ledgerAgrees(QStringLiteral("2")));

    // The list was re-run: a current row that nobody selected (the view puts
    // one on the first row when it gets the focus back) opens nothing.
    auto *list = w.findChild<QTableView *>(QStringLiteral("tableView_9"));
    list->selectionModel()->setCurrentIndex(list->model()->index(0, 0), QItemSelectionModel::NoUpdate);
    prompts.clear();
    clickButton(&w, QStringLiteral("toolButton_33"));
    QCOMPARE(prompts.last(), QStringLiteral("请先选择一个会员"));
    clickButton(&w, QStringLiteral("toolButton_4"));
    QCOMPARE(prompts.last(), QStringLiteral("请选择一个会员！"));
}

void TestMembersMainWindow::cardIssueThroughTheWindow()
{
    TestWorkdir wd;
    PromptRecorder prompts;
    seedShop();
    MainWindow w;
    w.loadDeferredViews(); // the member list loads when first shown

    onNextModal([](QWidget *d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("会员编辑"));
        d->findChild<QLineEdit *>(QStringLiteral("lineEdit_2"))->setText(QStringLiteral("新会员"));
        d->findChild<QComboBox *>(QStringLiteral("comboBox_3"))->setCurrentText(QStringLiteral("银卡"));
        d->findChild<QComboBox *>(QStringLiteral("comboBox_4"))->setCurrentText(QStringLiteral("剪发卡"));
        onNextModal([](QWidget *pay) {
            pay->findChild<QLineEdit *>(QStringLiteral("lineEdit"))->setText(QStringLiteral("1400"));
            clickButton(pay, QStringLiteral("toolButton_3"));
        });
        clickButton(d, QStringLiteral("toolButton"));
    });
    clickButton(&w, QStringLiteral("toolButton_29"));

    QCOMPARE(sqlRows(QStringLiteral("select ID,name,type,shengyujine,taocanID from huiyuan")),
             (QList<QStringList>{{QStringLiteral("1"), QStringLiteral("新会员"), QStringLiteral("银卡"), QStringLiteral("1000"),
                                  QStringLiteral("T2")}}));
    QCOMPARE(sqlValue(QStringLiteral("select shifujine from huiyuanjiaofei where huiyuanid='1'")), QStringLiteral("1400"));
    QCOMPARE(sqlValue(QStringLiteral("select shengyucishu from huiyuantaocan where huiyuanID='1'")), QStringLiteral("10"));
    QVERIFY(ledgerAgrees(QStringLiteral("1")));
    // The member list shows the new member at once.
    QCOMPARE(w.findChild<QTableView *>(QStringLiteral("tableView_9"))->model()->rowCount(), 1);
}

void TestMembersMainWindow::cardTypeButtonsAndDoubleClick()
{
    TestWorkdir wd;
    PromptRecorder prompts;
    seedShop();
    MainWindow w;
    w.loadDeferredViews(); // the settings lists load when first shown
    auto *list = w.findChild<QTableView *>(QStringLiteral("tableView_32"));
    QCOMPARE(list->model()->rowCount(), 2);

    onNextModal([](QWidget *d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("会员卡设置"));
        d->findChild<QLineEdit *>(QStringLiteral("lineEdit"))->setText(QStringLiteral("钻石卡"));
        d->findChild<QLineEdit *>(QStringLiteral("lineEdit_2"))->setText(QStringLiteral("3000"));
        d->findChild<QLineEdit *>(QStringLiteral("lineEdit_3"))->setText(QStringLiteral("2500"));
        clickButton(d, QStringLiteral("toolButton"));
    });
    clickButton(&w, QStringLiteral("toolButton_149"));
    QCOMPARE(sqlValue(QStringLiteral("select jiage from huiyuanka where name='钻石卡'")), QStringLiteral("2500"));
    QCOMPARE(list->model()->rowCount(), 3);

    // 修改 without a selected row refuses; a double-click edits the clicked card type.
    list->setCurrentIndex(QModelIndex());
    clickButton(&w, QStringLiteral("toolButton_150"));
    QCOMPARE(prompts.last(), QStringLiteral("请先选择一个会员卡"));
    selectRow(&w, "tableView_32", QStringLiteral("银卡"));
    onNextModal([](QWidget *d) {
        QCOMPARE(d->findChild<QLineEdit *>(QStringLiteral("lineEdit"))->text(), QStringLiteral("银卡"));
        d->findChild<QLineEdit *>(QStringLiteral("lineEdit_3"))->setText(QStringLiteral("900"));
        clickButton(d, QStringLiteral("toolButton"));
    });
    emit list->doubleClicked(list->currentIndex());
    QCOMPARE(sqlValue(QStringLiteral("select jiage from huiyuanka where name='银卡'")), QStringLiteral("900"));
}

void TestMembersMainWindow::renewalFromTheMemberListShowsTheNewBalance()
{
    TestWorkdir wd;
    PromptRecorder prompts;
    seedShop();
    seedMembers(2, 100);
    MainWindow w;
    w.loadDeferredViews(); // the member list loads when first shown
    selectRow(&w, "tableView_9", QStringLiteral("2"));

    onNextModal([](QWidget *d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("会员套餐设置"));
        onNextModal([](QWidget *picker) {
            auto *view = picker->findChild<QTableView *>(QStringLiteral("tableView"));
            for (int r = 0; r < view->model()->rowCount(); ++r)
                if (view->model()->index(r, 0).data().toString() == QLatin1String("T1"))
                    view->setCurrentIndex(view->model()->index(r, 0));
            clickButton(picker, QStringLiteral("toolButton_3"));
        });
        clickButton(d, QStringLiteral("toolButton_3"));
        QCOMPARE(d->findChild<QLineEdit *>(QStringLiteral("lineEdit"))->text(), QStringLiteral("300.00"));
        onNextModal([](QWidget *pay) {
            pay->findChild<QAbstractButton *>(QStringLiteral("checkBox_4"))->click(); // 储蓄卡 100
            pay->findChild<QAbstractButton *>(QStringLiteral("checkBox_3"))->click(); // 现金 200
            clickButton(pay, QStringLiteral("toolButton_4"));
        });
        clickButton(d, QStringLiteral("toolButton_5"));
    });
    clickButton(&w, QStringLiteral("toolButton_33"));

    QCOMPARE(sqlValue(QStringLiteral("select shengyujine from huiyuan where ID='2'")), QStringLiteral("0"));
    QVERIFY(ledgerAgrees(QStringLiteral("2")));
    auto *list = w.findChild<QTableView *>(QStringLiteral("tableView_9"));
    bool shown = false;
    for (int r = 0; r < list->model()->rowCount(); ++r) {
        if (list->model()->index(r, 0).data().toString() == QLatin1String("2")) {
            QCOMPARE(list->model()->index(r, 14).data().toString(), QStringLiteral("0"));
            shown = true;
        }
    }
    QVERIFY(shown);
}

QTEST_MAIN(TestMembersMainWindow)
#include "tst_members_mainwindow.moc"
