#include <QtTest>

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableView>

#include "ctrluiclass.h"
#include "enginedriver.h"
#include "dbrecords.h"
#include "operatorsession.h"
#include "sqltext.h"
#include "amounts.h"
#include "commissionrules.h"
#include "ruleslists.h"
#include "shezhitichengdlg.h"
#include "tableregistry.h"
#include "testsupport.h"

// The commission settings of one item, saved through the generic requests of
// the opener, and the rule the counter looks up afterwards.
class TestRulesTicheng : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void newItemOpensUniformAndRefusesEmptyFields();
    void uniformSaveWritesThreeRowsAndReopens();
    void uniformFigureChecks_data();
    void uniformFigureChecks();
    void byTypeSeedsOnceAndSavesThreePerCategory();
    void editOneTypeThroughTheSmallDialog();
    void failedSaveKeepsTheOldRules();
    void savedByTheStoreWhoeverOpenedIt();
    void ruleLookup();

private:
    shezhitichengDlg *openDialog(const QString &id = "F1", const QString &type = "服务项目");
    void setMethod(shezhitichengDlg *dlg, const QString &method);
    QList<QStringList> rules(const QString &id = "F1");

    TestWorkdir *m_dir = nullptr;
    PromptRecorder *m_prompts = nullptr;
    TestDispatch *m_dispatch = nullptr;
};

void TestRulesTicheng::init()
{
    m_dir = new TestWorkdir;
    m_prompts = new PromptRecorder;
    m_dispatch = new TestDispatch;
    operatorSession().loginName = "admin";
    sqlExec("insert into fuwuxiangmu(ID,name,xiaoshoujiage,chengbenjiage,beizhu) values('F1','洗剪吹',100,20,'')");
    sqlExec("insert into fuwuxiangmu(ID,name,xiaoshoujiage,chengbenjiage,beizhu) values('F2','烫发',300,60,'')");
    sqlExec("insert into leibie(mingchen,leibiestr,beizhu) values('发型师','员工类别',''),('助理','员工类别',''),('烫发','项目类型','')");
}

void TestRulesTicheng::cleanup()
{
    delete m_dispatch;
    delete m_prompts;
    delete m_dir;
}

// The dialog as the main window opens it, its requests carried out as the main
// window carries them out.
shezhitichengDlg *TestRulesTicheng::openDialog(const QString &id, const QString &type)
{
    refillTichengList();
    const QStringList row = sqlRows("select xiangmuID,xiangmuming,xiaoshoujiage,chengbenjiage,type,beizhu from temptichengliebiao where xiangmuID='"
                                    + id + "' and type='" + type + "'").value(0);
    auto *dlg = new shezhitichengDlg;
    m_dispatch->attach(dlg);
    dlg->init(2, row);
    return dlg;
}

void TestRulesTicheng::setMethod(shezhitichengDlg *dlg, const QString &method)
{
    auto *box = dlg->findChild<QComboBox *>("comboBox");
    const int idx = box->findText(method);
    QVERIFY(idx >= 0);
    box->setCurrentIndex(idx);
}

QList<QStringList> TestRulesTicheng::rules(const QString &id)
{
    return sqlRows("select yuangongleixing,tichengfangshi,jisuanfanshi,tichengbili,tichengjiner from tichengshezhi where xiangmuID='"
                   + id + "' order by yuangongleixing,tichengfangshi");
}

void TestRulesTicheng::newItemOpensUniformAndRefusesEmptyFields()
{
    std::unique_ptr<shezhitichengDlg> dlg(openDialog());
    QVERIFY(dlg->findChild<QRadioButton *>("radioButton")->isChecked());
    QCOMPARE(dlg->findChild<QLineEdit *>("lineEdit")->text(), QString("F1"));
    QCOMPARE(dlg->findChild<QLineEdit *>("lineEdit_3")->text(), QString("100"));
    QVERIFY(dlg->findChild<QLineEdit *>("lineEdit_5")->text().isEmpty());
    QVERIFY(dlg->findChild<QLineEdit *>("lineEdit_6")->text().isEmpty());

    clickButton(dlg.get(), "toolButton_2");
    QCOMPARE(m_prompts->last(), QString("员工编号不能为空"));
    dlg->findChild<QLineEdit *>("lineEdit_5")->setText("10");
    clickButton(dlg.get(), "toolButton_2");
    QCOMPARE(m_prompts->last(), QString("员工名不能为空"));
    QVERIFY(dlg->result() != QDialog::Accepted);
    QCOMPARE(sqlValue("select count(*) from tichengshezhi"), QString("0"));

    // "不参与提成" leaves the fields disabled and empty: that must still save.
    setMethod(dlg.get(), "不参与提成");
    QVERIFY(!dlg->findChild<QLineEdit *>("lineEdit_6")->isEnabled());
    dlg->findChild<QLineEdit *>("lineEdit_5")->clear();
    clickButton(dlg.get(), "toolButton_2");
    QCOMPARE(dlg->result(), int(QDialog::Accepted));
    QCOMPARE(sqlValue("select count(*) from tichengshezhi where jisuanfanshi='不参与提成' and tichengbili=0 and tichengjiner=0"),
             QString("3"));
}

void TestRulesTicheng::uniformSaveWritesThreeRowsAndReopens()
{
    // a stale by-type rule of the item goes when the uniform rules are saved
    sqlExec("insert into tichengshezhi values('F1','服务项目','助理','轮单提成','按比例提成',3,0)");
    {
        std::unique_ptr<shezhitichengDlg> dlg(openDialog());
        QVERIFY(dlg->findChild<QRadioButton *>("radioButton_2")->isChecked()); // the stored by-type rule
        dlg->findChild<QRadioButton *>("radioButton")->click();
        setMethod(dlg.get(), "按比例提成");
        dlg->findChild<QLineEdit *>("lineEdit_5")->setText("10");
        dlg->findChild<QLineEdit *>("lineEdit_6")->setText("12.5");
        dlg->findChild<QLineEdit *>("lineEdit_7")->setText("");
        clickButton(dlg.get(), "toolButton_2");
        QCOMPARE(dlg->result(), int(QDialog::Accepted));
    }
    const QList<QStringList> expected = {
        {"所有员工", "其他提成", "按比例提成", "0", "0"},
        {"所有员工", "点单提成", "按比例提成", "12.5", "0"},
        {"所有员工", "轮单提成", "按比例提成", "10", "0"},
    };
    QCOMPARE(rules(), expected);
    QCOMPARE(sqlValue("select log from log order by rowid desc limit 1"), QString("提成设置  项目：F1"));
    // the dialog's working tables are gone once it is closed
    QVERIFY(!EngineDriver::current().hasTable("temptichengshezhi"));
    QVERIFY(!EngineDriver::current().hasTable("temptichengliebiao2"));

    // Reopened, the stored uniform rules fill the fields; a fixed amount shows its amounts.
    {
        std::unique_ptr<shezhitichengDlg> dlg(openDialog());
        QVERIFY(dlg->findChild<QRadioButton *>("radioButton")->isChecked());
        QCOMPARE(dlg->findChild<QLineEdit *>("lineEdit_5")->text(), QString("10"));
        QCOMPARE(dlg->findChild<QLineEdit *>("lineEdit_6")->text(), QString("12.5"));
        setMethod(dlg.get(), "按固定金额提成");
        dlg->findChild<QLineEdit *>("lineEdit_5")->setText("8");
        dlg->findChild<QLineEdit *>("lineEdit_6")->setText("9");
        dlg->findChild<QLineEdit *>("lineEdit_7")->setText("1.5");
        clickButton(dlg.get(), "toolButton_2");
    }
    {
        std::unique_ptr<shezhitichengDlg> dlg(openDialog());
        QCOMPARE(dlg->findChild<QComboBox *>("comboBox")->currentText(), QString("按固定金额提成"));
        QCOMPARE(dlg->findChild<QLineEdit *>("lineEdit_5")->text(), QString("8"));
        QCOMPARE(dlg->findChild<QLineEdit *>("lineEdit_7")->text(), QString("1.5"));
        clickButton(dlg.get(), "toolButton_2"); // saved again unchanged
    }
    QCOMPARE(sqlRows("select tichengjiner, tichengbili from tichengshezhi order by tichengfangshi"),
             (QList<QStringList>{{"1.5", "0"}, {"9", "0"}, {"8", "0"}}));
    QCOMPARE(sqlValue("select count(*) from tichengshezhi"), QString("3"));
}

void TestRulesTicheng::uniformFigureChecks_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("message");
    QTest::newRow("negative") << "-5" << "提成数值不能小于0";
    QTest::newRow("not a number") << "10%" << "提成数值请输入数字";
    QTest::newRow("comment trick") << "500--50" << "提成数值请输入数字";
}

void TestRulesTicheng::uniformFigureChecks()
{
    QFETCH(QString, first);
    QFETCH(QString, message);
    std::unique_ptr<shezhitichengDlg> dlg(openDialog());
    dlg->findChild<QLineEdit *>("lineEdit_5")->setText(first);
    dlg->findChild<QLineEdit *>("lineEdit_6")->setText("5");
    clickButton(dlg.get(), "toolButton_2");
    QCOMPARE(m_prompts->last(), message);
    QVERIFY(dlg->result() != QDialog::Accepted);
    QCOMPARE(sqlValue("select count(*) from tichengshezhi"), QString("0"));
}

void TestRulesTicheng::byTypeSeedsOnceAndSavesThreePerCategory()
{
    sqlExec("insert into tichengshezhi values('F1','服务项目','所有员工','轮单提成','按比例提成',10,0),"
            "('F1','服务项目','所有员工','点单提成','按比例提成',10,0),('F1','服务项目','所有员工','其他提成','按比例提成',10,0),"
            "('F2','服务项目','所有员工','轮单提成','按比例提成',7,0)");
    std::unique_ptr<shezhitichengDlg> dlg(openDialog());
    auto *byType = dlg->findChild<QRadioButton *>("radioButton_2");
    byType->click();
    dlg->findChild<QRadioButton *>("radioButton")->click();
    byType->click(); // chosen again: nothing doubles
    auto *view = dlg->findChild<QTableView *>("tableView");
    QCOMPARE(view->model()->rowCount(), 2);
    QCOMPARE(sqlValue("select count(*) from temptichengshezhi where yuangongleixing!='所有员工'"), QString("6"));

    clickButton(dlg.get(), "toolButton_2");
    QCOMPARE(dlg->result(), int(QDialog::Accepted));
    const QList<QStringList> expected = {
        {"助理", "其他提成", "按比例提成", "0", "0"}, {"助理", "点单提成", "按比例提成", "0", "0"},
        {"助理", "轮单提成", "按比例提成", "0", "0"}, {"发型师", "其他提成", "按比例提成", "0", "0"},
        {"发型师", "点单提成", "按比例提成", "0", "0"}, {"发型师", "轮单提成", "按比例提成", "0", "0"},
    };
    QCOMPARE(sqlRows("select yuangongleixing,tichengfangshi,jisuanfanshi,cast(tichengbili as int),cast(tichengjiner as int) "
                     "from tichengshezhi where xiangmuID='F1' order by yuangongleixing,tichengfangshi"),
             expected);
    // the other item's rule is untouched
    QCOMPARE(rules("F2").size(), 1);
}

void TestRulesTicheng::editOneTypeThroughTheSmallDialog()
{
    std::unique_ptr<shezhitichengDlg> dlg(openDialog());
    clickButton(dlg.get(), "toolButton");
    QCOMPARE(m_prompts->last(), QString("请先选择一个提成设置！"));

    dlg->findChild<QRadioButton *>("radioButton_2")->click();
    auto *view = dlg->findChild<QTableView *>("tableView");
    int row = -1;
    for (int r = 0; r < view->model()->rowCount(); ++r)
        if (view->model()->index(r, 0).data().toString() == "发型师")
            row = r;
    QVERIFY(row >= 0);
    view->selectRow(row);

    bool seen = false;
    onNextModal([&seen](QWidget *w) {
        seen = true;
        QCOMPARE(w->windowTitle(), QString("提成方式设置"));
        auto *box = w->findChild<QComboBox *>("comboBox");
        box->setCurrentIndex(box->findText("按固定金额提成"));
        w->findChild<QLineEdit *>("lineEdit")->setText("-1");
        clickButton(w, "toolButton"); // refused, stays open
        w->findChild<QLineEdit *>("lineEdit")->setText("20");
        w->findChild<QLineEdit *>("lineEdit_2")->setText("30");
        w->findChild<QLineEdit *>("lineEdit_3")->setText("");
        clickButton(w, "toolButton");
    });
    clickButton(dlg.get(), "toolButton");
    QVERIFY(seen);
    QVERIFY(m_prompts->texts().contains("提成数值不能小于0"));
    QCOMPARE(sqlRows("select tichengfangshi,jisuanfanshi,tichengbili,tichengjiner from temptichengshezhi "
                     "where yuangongleixing='发型师' order by tichengfangshi"),
             (QList<QStringList>{{"其他提成", "按固定金额提成", "0", "0"},
                                 {"点单提成", "按固定金额提成", "0", "30"},
                                 {"轮单提成", "按固定金额提成", "0", "20"}}));
    clickButton(dlg.get(), "toolButton_2");
    QCOMPARE(sqlValue("select tichengjiner from tichengshezhi where yuangongleixing='发型师' and tichengfangshi='点单提成'"),
             QString("30"));
    QCOMPARE(sqlValue("select count(*) from tichengshezhi where yuangongleixing='助理'"), QString("3"));
}

void TestRulesTicheng::failedSaveKeepsTheOldRules()
{
    sqlExec("insert into tichengshezhi values('F1','服务项目','所有员工','轮单提成','按比例提成',10,0)");
    // Any new rule for the item is refused by the database half-way through the save.
    refuseRows("refuse_rules", "BEFORE INSERT", "tichengshezhi", "database or disk is full");
    for (bool byType : {false, true}) {
        std::unique_ptr<shezhitichengDlg> dlg(openDialog());
        if (byType) {
            dlg->findChild<QRadioButton *>("radioButton_2")->click();
        } else {
            dlg->findChild<QLineEdit *>("lineEdit_5")->setText("20");
            dlg->findChild<QLineEdit *>("lineEdit_6")->setText("20");
        }
        clickButton(dlg.get(), "toolButton_2");
        QCOMPARE(m_prompts->last(), QString("保存提成设置失败，本次操作未保存\n原因：磁盘空间已满，请清理磁盘后再试。"));
        QVERIFY(dlg->result() != QDialog::Accepted);
        QCOMPARE(rules(), (QList<QStringList>{{"所有员工", "轮单提成", "按比例提成", "10", "0"}}));
    }
}

void TestRulesTicheng::savedByTheStoreWhoeverOpenedIt()
{
    // No opener to carry requests: the dialog saves through the store, which
    // looks the right up at the save and keeps no rules for a deleted item.
    sqlExec("insert into \"user\"(name,password,xitongshezhi,jinyong) values('小王','x','否','否')");
    sqlExec("insert into tichengshezhi values('F1','服务项目','所有员工','轮单提成','按比例提成',10,0)");
    refillTichengList();
    const QStringList row = sqlRows("select * from temptichengliebiao where xiangmuID='F1'").value(0);
    const auto save = [&row](const QString &who) {
        operatorSession().loginName = who;
        shezhitichengDlg dlg;
        dlg.init(2, row);
        dlg.findChild<QLineEdit *>("lineEdit_5")->setText("15");
        dlg.findChild<QLineEdit *>("lineEdit_6")->setText("15");
        clickButton(&dlg, "toolButton_2");
        return dlg.result() == QDialog::Accepted;
    };
    QVERIFY(!save("小王"));
    QVERIFY2(m_prompts->last().contains(QStringLiteral("你的权限不够")), qPrintable(m_prompts->last()));
    QCOMPARE(rules(), (QList<QStringList>{{"所有员工", "轮单提成", "按比例提成", "10", "0"}}));
    QCOMPARE(sqlValue("select count(*) from log"), QString("0"));

    QVERIFY(save("admin"));
    QCOMPARE(rules(), (QList<QStringList>{{"所有员工", "其他提成", "按比例提成", "0", "0"},
                                          {"所有员工", "点单提成", "按比例提成", "15", "0"},
                                          {"所有员工", "轮单提成", "按比例提成", "15", "0"}}));
    QCOMPARE(sqlValue("select \"user\"||' '||log from log"), QString("admin 提成设置  项目：F1"));

    // Deleted at another desk while the editor was open.
    operatorSession().loginName = "admin";
    shezhitichengDlg dlg;
    dlg.init(2, row);
    sqlExec("delete from fuwuxiangmu where ID='F1'");
    dlg.findChild<QLineEdit *>("lineEdit_5")->setText("20");
    dlg.findChild<QLineEdit *>("lineEdit_6")->setText("20");
    clickButton(&dlg, "toolButton_2");
    QVERIFY2(m_prompts->last().contains(QStringLiteral("该项目已被删除")), qPrintable(m_prompts->last()));
    QVERIFY(dlg.result() != QDialog::Accepted);
    QCOMPARE(rules().value(1), (QStringList{"所有员工", "点单提成", "按比例提成", "15", "0"}));
}

void TestRulesTicheng::ruleLookup()
{
    const auto find = [](const char *type, const char *mode, const QString &employeeType) {
        const CommissionRule r = CommissionRules::find("F1", type, mode, employeeType);
        return r.found ? QStringList{r.method, numberText(r.rate), centsText(r.fixedCents)} : QStringList();
    };
    QVERIFY(find("服务项目", "轮单提成", "发型师").isEmpty());
    // one uniform rule applies to every employee type
    {
        std::unique_ptr<shezhitichengDlg> dlg(openDialog());
        dlg->findChild<QLineEdit *>("lineEdit_5")->setText("10");
        dlg->findChild<QLineEdit *>("lineEdit_6")->setText("15");
        clickButton(dlg.get(), "toolButton_2");
    }
    QCOMPARE(find("服务项目", "轮单提成", "发型师"), (QStringList{"按比例提成", "10", "0"}));
    QCOMPARE(find("服务项目", "点单提成", "助理").value(1), QString("15"));
    // the item type is part of the key
    QVERIFY(find("产品", "轮单提成", "发型师").isEmpty());
    // the employee type's own rule wins over the "所有员工" rule of the same mode
    sqlExec("insert into tichengshezhi values('F1','服务项目','发型师','轮单提成','按比例提成',20,0)");
    QCOMPARE(find("服务项目", "轮单提成", "发型师").value(1), QString("20"));
    QCOMPARE(find("服务项目", "轮单提成", "助理").value(1), QString("10"));
    // a quote in a category name is only a character
    QCOMPARE(find("服务项目", "轮单提成", "O'Brien").value(1), QString("10"));
}

QTEST_MAIN(TestRulesTicheng)
#include "tst_rules_ticheng.moc"
