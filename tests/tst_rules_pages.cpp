#include <QtTest>

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableView>

#include "addtichengdlg.h"
#include "ctrluiclass.h"
#include "fuwuxiaofeidlg.h"
#include "mainwindow.h"
#include "operatorsession.h"
#include "ruleslists.h"
#include "commissionrules.h"
#include "testsupport.h"

// The two settings pages of the main window, driven as the owner uses them:
// navigate, click an item, double-click it, set its rules, and read the rows.
class TestRulesPages : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void commissionPage();
    void promotionPage();
    void rulesReachTheCounter();

private:
    static int rowOf(QTableView *view, int column, const QString &text);

    TestWorkdir *m_dir = nullptr;
    PromptRecorder *m_prompts = nullptr;
    MainWindow *m_window = nullptr;
};

void TestRulesPages::init()
{
    m_dir = new TestWorkdir;
    m_prompts = new PromptRecorder;
    operatorSession().loginName = "admin";
    operatorSession().xitongshezhi = "是";
    m_window = new MainWindow;
    // added after start-up: the pages must pick them up when they are opened
    sqlExec("insert into fuwuxiangmu(ID,name,xiaoshoujiage,chengbenjiage,beizhu) values('F1','洗剪吹',100,20,'')");
    sqlExec("insert into chanpin(ID,name,xiaoshoujiage,jinhuojiage,beizhu) values('P1','洗发水',50,30,'')");
    sqlExec("insert into huiyuanka(name,kaneijine,jiage,fuwuzekou,chanpinzekou,taocanzekou,beizhu) values"
            "('金卡',1000,1000,0.9,0.9,0.9,''),('银卡',500,500,0.95,0.95,0.95,'')");
    sqlExec("insert into leibie(mingchen,leibiestr,beizhu) values('发型师','员工类别','')");
}

void TestRulesPages::cleanup()
{
    delete m_window;
    delete m_prompts;
    delete m_dir;
}

int TestRulesPages::rowOf(QTableView *view, int column, const QString &text)
{
    for (int r = 0; r < view->model()->rowCount(); ++r)
        if (view->model()->index(r, column).data().toString() == text)
            return r;
    return -1;
}

void TestRulesPages::commissionPage()
{
    auto *list = m_window->findChild<QTableView *>("tableView_39");
    auto *detail = m_window->findChild<QTableView *>("tableView_40");
    QVERIFY(list && detail);
    QCOMPARE(detail->model() ? detail->model()->rowCount() : 0, 0); // nothing before a click

    QVERIFY(m_window->navigateTo("提成策略"));
    const int row = rowOf(list, 0, "F1");
    QVERIFY(row >= 0);
    QCOMPARE(list->model()->index(row, 4).data().toString(), QString("服务项目"));
    QCOMPARE(list->model()->rowCount(), 4); // the service item, the product and the two card types
    QCOMPARE(list->model()->index(rowOf(list, 0, "金卡"), 4).data().toString(), QString("会员卡"));

    bool seen = false;
    onNextModal([&seen](QWidget *w) {
        seen = true;
        QCOMPARE(w->windowTitle(), QString("服务提成设置"));
        QCOMPARE(w->findChild<QLineEdit *>("lineEdit")->text(), QString("F1"));
        w->findChild<QLineEdit *>("lineEdit_5")->setText("10");
        w->findChild<QLineEdit *>("lineEdit_6")->setText("10");
        w->findChild<QLineEdit *>("lineEdit_7")->setText("5");
        clickButton(w, "toolButton_2");
    });
    emit list->doubleClicked(list->model()->index(row, 0));
    QVERIFY(seen);
    QCOMPARE(sqlRows("select yuangongleixing,tichengfangshi,jisuanfanshi,tichengbili from tichengshezhi order by tichengfangshi"),
             (QList<QStringList>{{"所有员工", "其他提成", "按比例提成", "5"},
                                 {"所有员工", "点单提成", "按比例提成", "10"},
                                 {"所有员工", "轮单提成", "按比例提成", "10"}}));
    // the detail follows the item: one row per employee type
    QCOMPARE(detail->model()->rowCount(), 1);
    QCOMPARE(detail->model()->index(0, 0).data().toString(), QString("所有员工"));
    QCOMPARE(detail->model()->index(0, 2).data().toString(), QString("10"));

    const int product = rowOf(list, 0, "P1");
    emit list->clicked(list->model()->index(product, 0));
    QCOMPARE(detail->model()->rowCount(), 0);
    emit list->clicked(list->model()->index(row, 0));
    QCOMPARE(detail->model()->rowCount(), 1);

    QCOMPARE(CommissionRules::find("F1", "服务项目", "轮单提成", "发型师").rate, 10.0);
}

void TestRulesPages::promotionPage()
{
    auto *list = m_window->findChild<QTableView *>("tableView_44");
    auto *detail = m_window->findChild<QTableView *>("tableView_43");
    QVERIFY(list && detail);
    QVERIFY(m_window->navigateTo("促销方案"));
    const int row = rowOf(list, 0, "F1");
    QVERIFY(row >= 0);
    QCOMPARE(list->model()->index(row, 4).data().toString(), QString("项目"));

    bool seen = false, inner = false;
    onNextModal([&seen, &inner](QWidget *w) {
        seen = true;
        QCOMPARE(w->windowTitle(), QString("促销设置"));
        w->findChild<QRadioButton *>("radioButton_2")->click();
        auto *types = w->findChild<QTableView *>("tableView");
        const int gold = rowOf(types, 0, "金卡");
        QVERIFY(gold >= 0);
        types->selectRow(gold);
        onNextModal([&inner](QWidget *small) {
            inner = true;
            auto *box = small->findChild<QComboBox *>("comboBox");
            box->setCurrentIndex(box->findText("按固定金额促销"));
            small->findChild<QLineEdit *>("lineEdit")->setText("80");
            clickButton(small, "toolButton");
        });
        clickButton(w, "toolButton");
        clickButton(w, "toolButton_2");
    });
    emit list->doubleClicked(list->model()->index(row, 0));
    QVERIFY(seen && inner);
    QCOMPARE(sqlRows("select huiyuanleixing,cuxiaofangshi,cuxiaobili,cuxiaojiner from cuxiaoshezhi order by huiyuanleixing"),
             (QList<QStringList>{{"金卡", "按固定金额促销", "0.8", "80"}, {"银卡", "无优惠", "1", "100"}}));
    // the detail shows the item's promotions once the dialog is closed
    QCOMPARE(detail->model()->rowCount(), 2);
    const int gold = rowOf(detail, 0, "金卡");
    QVERIFY(gold >= 0);
    QCOMPARE(detail->model()->index(gold, 3).data().toString(), QString("80"));
    QCOMPARE(detail->model()->index(gold, 6).data().toString(), QString("有效"));

    ctrlUiClass ui;
    QCOMPARE(findPromotion("F1", "洗剪吹", "金卡").value(6), QString("80"));
}

// What the owner set on the two pages is what the cashier gets: a 10 % rule for
// every employee and a price of 80 for 金卡 give a line at 80 and a commission of 8.
void TestRulesPages::rulesReachTheCounter()
{
    sqlExec("insert into yuangong(ID,name,type,phone,jinyong,beizhu) values('E1','张三','发型师','','否','')");
    QVERIFY(m_window->navigateTo("提成策略"));
    auto *commissions = m_window->findChild<QTableView *>("tableView_39");
    onNextModal([](QWidget *w) {
        w->findChild<QLineEdit *>("lineEdit_5")->setText("10");
        w->findChild<QLineEdit *>("lineEdit_6")->setText("10");
        clickButton(w, "toolButton_2");
    });
    emit commissions->doubleClicked(commissions->model()->index(rowOf(commissions, 0, "F1"), 0));

    QVERIFY(m_window->navigateTo("促销方案"));
    auto *promotions = m_window->findChild<QTableView *>("tableView_44");
    onNextModal([](QWidget *w) {
        w->findChild<QRadioButton *>("radioButton_2")->click();
        auto *types = w->findChild<QTableView *>("tableView");
        types->selectRow(rowOf(types, 0, "金卡"));
        onNextModal([](QWidget *small) {
            auto *box = small->findChild<QComboBox *>("comboBox");
            box->setCurrentIndex(box->findText("按固定金额促销"));
            small->findChild<QLineEdit *>("lineEdit")->setText("80");
            clickButton(small, "toolButton");
        });
        clickButton(w, "toolButton");
        clickButton(w, "toolButton_2");
    });
    emit promotions->doubleClicked(promotions->model()->index(rowOf(promotions, 0, "F1"), 0));
    QCOMPARE(sqlValue("select count(*) from cuxiaoshezhi"), QString("2"));

    for (const QString &card : {QString("金卡"), QString("银卡")}) {
        sqlExec("delete from temptichengmingxi");
        FuwuxiaofeiDlg line;
        line.setup({"F1", "洗剪吹", "", "100", card}, "服务项目选择", "xf_test");
        const bool gold = card == "金卡";
        // 金卡 has the promotion; 银卡 falls back to its card discount 0.95
        QCOMPARE(line.findChild<QLineEdit *>("lineEdit_3")->text(), QString(gold ? "80" : "95"));
        QString amount;
        onNextModal([&amount](QWidget *w) {
            auto *dlg = qobject_cast<addtichengDlg *>(w);
            QVERIFY(dlg);
            dlg->DlgRecv("员工管理", QVariant(QStringList{"E1", "张三", "发型师", "", "否", ""}));
            amount = w->findChild<QLineEdit *>("lineEdit_2")->text();
            clickButton(w, "toolButton");
        });
        clickButton(&line, "toolButton");
        QCOMPARE(amount, QString(gold ? "8" : "9.5"));
        // Compared as numbers: the server writes 10.0000 where SQLite writes 10.0.
        const auto rows = sqlRows("select yuangongID,tichengfangshi,tichengbili,tichengjine from temptichengmingxi order by rowid");
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows.at(0).mid(0, 2), (QStringList{"E1", "轮单提成"}));
        QCOMPARE(rows.at(0).at(2).toDouble(), 10.0);
        QCOMPARE(rows.at(0).at(3).toDouble(), gold ? 8.0 : 9.5);
    }
}

QTEST_MAIN(TestRulesPages)
#include "tst_rules_pages.moc"
