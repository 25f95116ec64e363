#include <QtTest>

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableView>

#include "ctrluiclass.h"
#include "cuxiaodlg.h"
#include "enginedriver.h"
#include "operatorsession.h"
#include "rulebook.h"
#include "ruleslists.h"
#include "shopconnection.h"
#include "testsupport.h"

// The promotion settings of one item, and what the checkout then finds in cuxiao.
class TestRulesCuxiao : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void uniformSaveComputesRatioAndPrice_data();
    void uniformSaveComputesRatioAndPrice();
    void uniformFigureChecks_data();
    void uniformFigureChecks();
    void byTypeSeedsOnceAndEditsOneCardType();
    void reopenKeepsOneAllMembersRowAndThePeriod();
    void failedSaveKeepsTheOldPromotions();
    void reconnectWhileOpenSavesNothing();
    void storeRefusesWhatItCannotKeep();
    void lookupHonoursPeriodAndPrecedence();
    void itemLists();

private:
    cuxiaoDlg *openDialog(const QString &id = "F1", const QString &type = "项目");
    void setMethod(QWidget *dlg, const QString &method);
    void saveUniform(const QString &method, const QString &value, const QDate &start, const QDate &end);

    TestWorkdir *m_dir = nullptr;
    PromptRecorder *m_prompts = nullptr;
};

void TestRulesCuxiao::init()
{
    m_dir = new TestWorkdir;
    m_prompts = new PromptRecorder;
    operatorSession().loginName = "admin";
    sqlExec("insert into fuwuxiangmu(ID,name,xiaoshoujiage,chengbenjiage,beizhu) values('F1','洗剪吹',100,20,'')");
    sqlExec("insert into chanpin(ID,name,xiaoshoujiage,jinhuojiage,beizhu) values('P1','洗发水',50,30,'')");
    sqlExec("insert into huiyuanka(name,kaneijine,jiage,fuwuzekou,chanpinzekou,taocanzekou,beizhu) values"
            "('金卡',1000,1000,0.9,0.9,0.9,''),('银卡',500,500,0.95,0.95,0.95,'')");
}

void TestRulesCuxiao::cleanup()
{
    delete m_prompts;
    delete m_dir;
}

cuxiaoDlg *TestRulesCuxiao::openDialog(const QString &id, const QString &type)
{
    refillCuxiaoList();
    const QStringList row = sqlRows("select xiangmuID,xiangmuming,xiaoshoujiage,chengbenjiage,type,beizhu from tempcuxiaoliebiao where xiangmuID='"
                                    + id + "' and type='" + type + "'").value(0);
    auto *dlg = new cuxiaoDlg;
    dlg->init(2, row);
    return dlg;
}

void TestRulesCuxiao::setMethod(QWidget *dlg, const QString &method)
{
    auto *box = dlg->findChild<QComboBox *>("comboBox");
    const int idx = box->findText(method);
    QVERIFY(idx >= 0);
    box->setCurrentIndex(idx);
}

void TestRulesCuxiao::saveUniform(const QString &method, const QString &value, const QDate &start, const QDate &end)
{
    std::unique_ptr<cuxiaoDlg> dlg(openDialog());
    dlg->findChild<QRadioButton *>("radioButton")->click();
    setMethod(dlg.get(), method);
    dlg->findChild<QLineEdit *>("lineEdit_5")->setText(value);
    dlg->findChild<QDateEdit *>("dateEdit")->setDate(start);
    dlg->findChild<QDateEdit *>("dateEdit_2")->setDate(end);
    clickButton(dlg.get(), "toolButton_2");
    QCOMPARE(dlg->result(), int(QDialog::Accepted));
}

void TestRulesCuxiao::uniformSaveComputesRatioAndPrice_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("ratio");
    QTest::addColumn<QString>("price");
    QTest::newRow("ratio") << "按比例促销" << "0.85" << "0.85" << "85";
    QTest::newRow("ratio of 1 keeps the full price") << "按比例促销" << "1" << "1" << "100";
    QTest::newRow("fixed price") << "按固定金额促销" << "80" << "0.8" << "80";
    QTest::newRow("fixed price equal to the price") << "按固定金额促销" << "100" << "1" << "100";
    QTest::newRow("no discount") << "无优惠" << "" << "1" << "100";
}

void TestRulesCuxiao::uniformSaveComputesRatioAndPrice()
{
    QFETCH(QString, method);
    QFETCH(QString, value);
    QFETCH(QString, ratio);
    QFETCH(QString, price);
    const QDate today = QDate::currentDate();
    saveUniform(method, value, today.addDays(-3), today.addDays(10));
    const QList<QStringList> rows = sqlRows("select xiangmuID,xiangmuleixing,starttime,endtime,huiyuanleixing,cuxiaofangshi,cuxiaobili,cuxiaojiner from cuxiaoshezhi");
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0], (QStringList{"F1", "项目", today.addDays(-3).toString("yyyy-MM-dd"),
                                   today.addDays(10).toString("yyyy-MM-dd"), "所有会员", method, ratio, price}));
    QCOMPARE(sqlValue("select log from log order by rowid desc limit 1"), QString("促销设置  项目：F1"));
    QVERIFY(!EngineDriver::current().hasTable("tempcuxiaoshezhi"));
    QVERIFY(!EngineDriver::current().hasTable("tempcuxiaoliebiao2"));
}

void TestRulesCuxiao::uniformFigureChecks_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("endOffset");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty ratio") << "按比例促销" << "" << 5 << "请输入促销折扣，例如0.9表示9折";
    QTest::newRow("9 meant as 9折") << "按比例促销" << "9" << 5 << "促销折扣应在0到1之间，0.9表示9折";
    QTest::newRow("negative") << "按固定金额促销" << "-80" << 5 << "促销数值不能小于0";
    QTest::newRow("above the price") << "按固定金额促销" << "120" << 5 << "促销固定金额不能高于销售价格100";
    QTest::newRow("not a number") << "按固定金额促销" << "80元" << 5 << "促销数值请输入数字";
    QTest::newRow("period backwards") << "按比例促销" << "0.8" << -1 << "促销开始日期不能晚于结束日期";
}

void TestRulesCuxiao::uniformFigureChecks()
{
    QFETCH(QString, method);
    QFETCH(QString, value);
    QFETCH(int, endOffset);
    QFETCH(QString, message);
    sqlExec("insert into cuxiaoshezhi values('F1','项目','2020-01-01','2099-12-31','所有会员','按比例促销',0.5,50)");
    std::unique_ptr<cuxiaoDlg> dlg(openDialog());
    setMethod(dlg.get(), method);
    dlg->findChild<QLineEdit *>("lineEdit_5")->setText(value);
    dlg->findChild<QDateEdit *>("dateEdit")->setDate(QDate::currentDate());
    dlg->findChild<QDateEdit *>("dateEdit_2")->setDate(QDate::currentDate().addDays(endOffset));
    clickButton(dlg.get(), "toolButton_2");
    QCOMPARE(m_prompts->last(), message);
    QVERIFY(dlg->result() != QDialog::Accepted);
    QCOMPARE(sqlRows("select cuxiaobili,cuxiaojiner from cuxiaoshezhi"), (QList<QStringList>{{"0.5", "50"}}));
}

void TestRulesCuxiao::byTypeSeedsOnceAndEditsOneCardType()
{
    std::unique_ptr<cuxiaoDlg> dlg(openDialog());
    QVERIFY(dlg->findChild<QRadioButton *>("radioButton")->isChecked()); // nothing stored yet
    clickButton(dlg.get(), "toolButton");
    QCOMPARE(m_prompts->last(), QString("请选择列表中一个促销方式后点击修改"));

    auto *byType = dlg->findChild<QRadioButton *>("radioButton_2");
    byType->click();
    dlg->findChild<QRadioButton *>("radioButton")->click();
    byType->click();
    QCOMPARE(sqlRows("select huiyuanleixing,cuxiaofangshi,cuxiaobili,cuxiaojiner from tempcuxiaoshezhi order by huiyuanleixing"),
             (QList<QStringList>{{"金卡", "无优惠", "1", "100"}, {"银卡", "无优惠", "1", "100"}}));

    auto *view = dlg->findChild<QTableView *>("tableView");
    QCOMPARE(view->model()->rowCount(), 2);
    int row = -1;
    for (int r = 0; r < view->model()->rowCount(); ++r)
        if (view->model()->index(r, 0).data().toString() == "金卡")
            row = r;
    QVERIFY(row >= 0);
    view->selectRow(row);
    bool seen = false;
    onNextModal([&seen, this](QWidget *w) {
        seen = true;
        setMethod(w, "按固定金额促销");
        w->findChild<QLineEdit *>("lineEdit")->setText("80");
        clickButton(w, "toolButton");
    });
    clickButton(dlg.get(), "toolButton");
    QVERIFY(seen);
    QCOMPARE(sqlRows("select cuxiaofangshi,cuxiaobili,cuxiaojiner from tempcuxiaoshezhi where huiyuanleixing='金卡'"),
             (QList<QStringList>{{"按固定金额促销", "0.8", "80"}}));

    clickButton(dlg.get(), "toolButton_2");
    QCOMPARE(dlg->result(), int(QDialog::Accepted));
    QCOMPARE(sqlRows("select huiyuanleixing,cuxiaofangshi,cuxiaobili,cuxiaojiner from cuxiaoshezhi order by huiyuanleixing"),
             (QList<QStringList>{{"金卡", "按固定金额促销", "0.8", "80"}, {"银卡", "无优惠", "1", "100"}}));

    // the checkout finds the card-type price for 金卡 and nothing for 银卡 (its card discount applies)
    ctrlUiClass ui;
    QCOMPARE(findPromotion("F1", "洗剪吹", "金卡").value(6), QString("80"));
    QVERIFY(findPromotion("F1", "洗剪吹", "银卡").isEmpty());
}

void TestRulesCuxiao::reopenKeepsOneAllMembersRowAndThePeriod()
{
    const QDate start = QDate::currentDate().addDays(-1);
    const QDate end = QDate::currentDate().addDays(30);
    saveUniform("按固定金额促销", "75", start, end);
    {
        std::unique_ptr<cuxiaoDlg> dlg(openDialog());
        QVERIFY(dlg->findChild<QRadioButton *>("radioButton")->isChecked());
        QCOMPARE(dlg->findChild<QComboBox *>("comboBox")->currentText(), QString("按固定金额促销"));
        QCOMPARE(dlg->findChild<QLineEdit *>("lineEdit_5")->text(), QString("75"));
        QCOMPARE(dlg->findChild<QDateEdit *>("dateEdit")->text(), start.toString("yyyy-MM-dd"));
        QCOMPARE(dlg->findChild<QDateEdit *>("dateEdit_2")->text(), end.toString("yyyy-MM-dd"));
        clickButton(dlg.get(), "toolButton_2");
        QCOMPARE(dlg->result(), int(QDialog::Accepted));
    }
    QCOMPARE(sqlRows("select huiyuanleixing,cuxiaofangshi,cuxiaobili,cuxiaojiner,starttime,endtime from cuxiaoshezhi"),
             (QList<QStringList>{{"所有会员", "按固定金额促销", "0.75", "75", start.toString("yyyy-MM-dd"),
                                  end.toString("yyyy-MM-dd")}}));
}

void TestRulesCuxiao::failedSaveKeepsTheOldPromotions()
{
    sqlExec("insert into cuxiaoshezhi values('F1','项目','2020-01-01','2099-12-31','所有会员','按比例促销',0.5,50)");
    // SQLite's own words for a full disk, so that the message names the cause.
    refuseRows("refuse_promotions", "BEFORE INSERT", "cuxiaoshezhi", "database or disk is full");
    std::unique_ptr<cuxiaoDlg> dlg(openDialog());
    setMethod(dlg.get(), "按比例促销");
    dlg->findChild<QLineEdit *>("lineEdit_5")->setText("0.8");
    clickButton(dlg.get(), "toolButton_2");
    QCOMPARE(m_prompts->last(), QString("保存促销设置失败，本次操作未保存\n原因：磁盘空间已满，请清理磁盘后再试。"));
    QVERIFY(dlg->result() != QDialog::Accepted);
    QCOMPARE(sqlRows("select cuxiaobili,cuxiaojiner from cuxiaoshezhi"), (QList<QStringList>{{"0.5", "50"}}));
    QCOMPARE(sqlValue("select count(*) from log"), QString("0"));
}

// The connection was made anew while the editor was open (a shop server's
// restart): its working rows are gone, and saving would put nothing in place
// of the item's promotions.
void TestRulesCuxiao::reconnectWhileOpenSavesNothing()
{
    sqlExec("insert into cuxiaoshezhi values('F1','项目','2020-01-01','2099-12-31','所有会员','按比例促销',0.5,50)");
    std::unique_ptr<cuxiaoDlg> dlg(openDialog());
    setMethod(dlg.get(), "按比例促销");
    dlg->findChild<QLineEdit *>("lineEdit_5")->setText("0.8");
    QVERIFY(ShopLink::reopen());
    clickButton(dlg.get(), "toolButton_2");
    QCOMPARE(m_prompts->last(), ShopLink::staleWindowText());
    QVERIFY(dlg->result() != QDialog::Accepted);
    QCOMPARE(sqlRows("select cuxiaobili,cuxiaojiner from cuxiaoshezhi"), (QList<QStringList>{{"0.5", "50"}}));
}

// The plan as a value, without the window: refused whole, with a word, when it
// cannot be kept as asked.
void TestRulesCuxiao::storeRefusesWhatItCannotKeep()
{
    sqlExec("insert into cuxiaoshezhi values('F1','项目','2020-01-01','2099-12-31','所有会员','按比例促销',0.5,50)");
    sqlExec("insert into \"user\"(name,password,xitongshezhi,jinyong) values('小王','x','否','否')");
    const auto plan = [](const QString &item, const QDate &start, const QString &cardType) {
        PromotionPlan p;
        p.itemId = item;
        p.itemType = QStringLiteral("项目");
        p.start = start;
        p.end = QDate(2026, 12, 31);
        p.rules = {PromotionRule{cardType, QStringLiteral("按比例促销"), 0.8, 80}};
        return p;
    };
    const QDate start(2026, 1, 1);
    QCOMPARE(RuleBook::savePromotions(plan("F9", start, "所有会员"), "admin").error,
             QString("该项目已被删除，促销设置未保存"));
    QCOMPARE(RuleBook::savePromotions(plan("F1", QDate(2027, 1, 1), "所有会员"), "admin").error,
             QString("促销开始日期不能晚于结束日期"));
    QCOMPARE(RuleBook::savePromotions(plan("F1", start, QString(31, QChar(0x5361))), "admin").error,
             QString("类型名称不能超过30个字"));
    QVERIFY(RuleBook::savePromotions(plan("F1", start, "所有会员"), "小王").error.contains(QStringLiteral("你的权限不够")));
    QCOMPARE(sqlRows("select cuxiaobili,cuxiaojiner from cuxiaoshezhi"), (QList<QStringList>{{"0.5", "50"}}));
    QCOMPARE(sqlValue("select count(*) from log"), QString("0"));
    // Card-type rules replace the uniform one whole, with their period.
    PromotionPlan byType = plan("F1", start, "金卡");
    byType.rules << PromotionRule{QStringLiteral("银卡"), QStringLiteral("无优惠"), 1, 100};
    QVERIFY(RuleBook::savePromotions(byType, "admin").ok);
    QCOMPARE(sqlRows("select huiyuanleixing,starttime,endtime,cuxiaobili,cuxiaojiner from cuxiaoshezhi order by huiyuanleixing"),
             (QList<QStringList>{{"金卡", "2026-01-01", "2026-12-31", "0.8", "80"},
                                 {"银卡", "2026-01-01", "2026-12-31", "1", "100"}}));
}

// cuxiao against real rows: the period, the card-type precedence, "无优惠", current prices.
void TestRulesCuxiao::lookupHonoursPeriodAndPrecedence()
{
    ctrlUiClass ui;
    const QDate today = QDate::currentDate();
    auto day = [&today](int offset) { return today.addDays(offset).toString("yyyy-MM-dd"); };

    // inside its period, the end day included: every card type gets the all-members price
    saveUniform("按比例促销", "0.8", today.addDays(-5), today);
    QCOMPARE(findPromotion("F1", "洗剪吹", "金卡"),
             (QStringList{"F1", "洗剪吹", "金卡", "100", "按比例促销", "0.8", "80"}));
    QCOMPARE(findPromotion("F1", "洗剪吹", "银卡").value(6), QString("80"));
    // not for a name that is no card type (the walk-in customer), nor under another name
    QVERIFY(findPromotion("F1", "洗剪吹", "00").isEmpty());
    QVERIFY(findPromotion("F1", "烫发", "金卡").isEmpty());

    // a ratio follows the item's current price
    sqlExec("update fuwuxiangmu set xiaoshoujiage=120 where ID='F1'");
    QCOMPARE(findPromotion("F1", "洗剪吹", "金卡").value(6), QString("96"));
    sqlExec("update fuwuxiangmu set xiaoshoujiage=100 where ID='F1'");

    // a card-type rule wins over the all-members rule
    sqlExec("insert into cuxiaoshezhi values('F1','项目','" + day(-5) + "','" + day(0) + "','金卡','按固定金额促销',0.7,70)");
    QCOMPARE(findPromotion("F1", "洗剪吹", "金卡").value(6), QString("70"));
    QCOMPARE(findPromotion("F1", "洗剪吹", "银卡").value(6), QString("80"));
    // ... unless it has expired
    sqlExec("update cuxiaoshezhi set endtime='" + day(-1) + "' where huiyuanleixing='金卡'");
    QCOMPARE(findPromotion("F1", "洗剪吹", "金卡").value(6), QString("80"));
    // a valid "无优惠" rule for the card type gives no row: the card discount applies
    sqlExec("update cuxiaoshezhi set endtime='" + day(3) + "', cuxiaofangshi='无优惠', cuxiaobili=1, cuxiaojiner=100 where huiyuanleixing='金卡'");
    QVERIFY(findPromotion("F1", "洗剪吹", "金卡").isEmpty());

    // outside the period nothing applies: one not begun, one ended yesterday
    sqlExec("delete from cuxiaoshezhi");
    sqlExec("insert into cuxiaoshezhi values('F1','项目','" + day(1) + "','" + day(9) + "','所有会员','按比例促销',0.5,50)");
    sqlExec("insert into cuxiaoshezhi values('P1','产品','" + day(-9) + "','" + day(-1) + "','所有会员','按比例促销',0.5,25)");
    QVERIFY(findPromotion("F1", "洗剪吹", "金卡").isEmpty());
    QVERIFY(findPromotion("P1", "洗发水", "金卡").isEmpty());
    // a product under its own kind
    sqlExec("update cuxiaoshezhi set endtime='" + day(2) + "' where xiangmuID='P1'");
    QCOMPARE(findPromotion("P1", "洗发水", "金卡").value(6), QString("25"));
    // never more than one row per item, name and card type
    QCOMPARE(sqlValue("select count(*) from (select 1 from cuxiao group by xiangmuID,xiangmumingcheng,huiyuanleixing having count(*)>1)"),
             QString("0"));
}

void TestRulesCuxiao::itemLists()
{
    // a package of two lines sold at 300
    sqlExec("insert into taocanmingxi(taocanID,name,youxiaoqi,zongjia,xiangmuID,yuanjia,fuwucishu,youhuijiage,heji,zhouqi,beizhu) values"
            "('T1','护理套餐','365',300,'F1',100,2,80,160,0,''),('T1','护理套餐','365',300,'F1',100,2,70,140,0,'')");
    refillTichengList();
    refillCuxiaoList();
    refillCuxiaoList(); // refilled, never doubled
    // Card types are commission items too (the card issue's commission); promotions have no use for them.
    QCOMPARE(sqlRows("select xiangmuID,type,xiaoshoujiage from temptichengliebiao order by type,xiangmuID"),
             (QList<QStringList>{{"P1", "产品", "50"}, {"金卡", "会员卡", "1000"}, {"银卡", "会员卡", "500"},
                                 {"T1", "套餐", "300"}, {"F1", "服务项目", "100"}}));
    QCOMPARE(sqlRows("select xiangmuID,type,xiaoshoujiage from tempcuxiaoliebiao order by xiangmuID"),
             (QList<QStringList>{{"F1", "项目", "100"}, {"P1", "产品", "50"}, {"T1", "套餐", "300"}}));

    // the package is priced at its selling price in the dialog, not once per line
    std::unique_ptr<cuxiaoDlg> dlg(openDialog("T1", "套餐"));
    setMethod(dlg.get(), "按比例促销");
    dlg->findChild<QLineEdit *>("lineEdit_5")->setText("0.9");
    clickButton(dlg.get(), "toolButton_2");
    QCOMPARE(sqlValue("select cuxiaojiner from cuxiaoshezhi where xiangmuID='T1'"), QString("270"));

    // createTables fills both lists through the hooks the main window installs
    installRulesListRefills();
    sqlExec("delete from temptichengliebiao");
    sqlExec("delete from tempcuxiaoliebiao");
    createTables();
    QCOMPARE(sqlValue("select count(*) from temptichengliebiao"), QString("5"));
    QCOMPARE(sqlValue("select count(*) from tempcuxiaoliebiao"), QString("3"));
    setTempTableRefill("temptichengliebiao_db", {});
    setTempTableRefill("tempcuxiaoliebiao_db", {});
}

QTEST_MAIN(TestRulesCuxiao)
#include "tst_rules_cuxiao.moc"
