#include <QtTest>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QStandardItemModel>
#include <QTableView>
#include <QTreeView>

#include "logdlg.h"
#include "mainwindow.h"
#include "operatorsession.h"
#include "testsupport.h"

// The query pages of the main window driven through their controls, after a day
// of sales, payments and ledger rows written as the front desk writes them.
class TestReportsMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void queryButtons();
    void drillDowns();
    void statisticsAndCashDetail();
    void shiftHistoryAndHandover();

private:
    template <typename T> T *w(const char *name) { return widgetNamed<T>(m_win, name); }
    void setText(const char *edit, const QString &text) { w<QLineEdit>(edit)->setText(text); }
    void choose(const char *combo, const QString &text)
    {
        auto *box = w<QComboBox>(combo);
        const int i = box->findText(text);
        QVERIFY2(i >= 0, qPrintable(QString(combo) + " has no " + text));
        box->setCurrentIndex(i);
    }
    int rows(const char *view)
    {
        const QAbstractItemModel *m = w<QTableView>(view)->model();
        return m ? m->rowCount() : -1; // -1: the list was never set up
    }
    QString cell(const char *view, int row, int col)
    {
        const QAbstractItemModel *m = w<QTableView>(view)->model();
        return m ? m->data(m->index(row, col)).toString() : QString();
    }
    void click(const char *view, int row)
    {
        auto *v = w<QTableView>(view);
        if (!v->model())
            return;
        const QModelIndex index = v->model()->index(row, 0);
        v->setCurrentIndex(index);
        emit v->clicked(index);
    }
    void seedDay();
    // A time of today that has already passed, about minutesAgo before now, in
    // the same order as minutesAgo even just after midnight.
    static QString at(int minutesAgo)
    {
        const QDateTime now = QDateTime::currentDateTime();
        QDateTime t = now.addSecs(-60 * minutesAgo);
        // Just after midnight "minutes ago" is yesterday: the rows stay today, in
        // the same order, and never later than now (at worst all at midnight).
        if (t.date() != now.date()) {
            const int sinceMidnight = now.time().msecsSinceStartOfDay() / 1000;
            t = QDateTime(now.date(), QTime(0, 0).addSecs(qMax(0, sinceMidnight - minutesAgo)));
        }
        return t.toString("yyyy-MM-dd hh:mm:ss");
    }

    TestWorkdir *m_dir = nullptr;
    MainWindow *m_win = nullptr;
    QString m_today;
};

// Today: two members, a walk-in, a split payment, a card payment, a top-up, a card
// issue, a package payment, a debt repayment, ledger rows, commissions and stock.
void TestReportsMainWindow::seedDay()
{
    sqlExec("insert into huiyuan(ID,name,type,phone,shengyujine,jifen) values('1001','张三','金卡','139',470,0)");
    sqlExec("insert into huiyuan(ID,name,type,phone,shengyujine,jifen) values('1002','李''四','银卡','138',80,0)");
    sqlExec("insert into huiyuanka(name,kaneijine,jiage) values('金卡',500,500)");
    sqlExec("insert into huiyuanka(name,kaneijine,jiage) values('银卡',100,100)");
    sqlExec("insert into fuwuxiangmu(ID,name,leibie,xiaoshoujiage) values('S1','洗剪吹','美发',40)");
    sqlExec("insert into chanpin(ID,name,leibie,xiaoshoujiage) values('P1','洗发水','洗护',50)");
    sqlExec("insert into yuangong(ID,name,type,jinyong) values('A01','小王','发型师','否')");
    for (const char *entry : {"('美发','项目类型','')", "('儿童','项目类型','')", "('洗护','产品类型','')",
                              "('赠品','产品类型','')"})
        sqlExec(QString("insert into leibie(mingchen,leibiestr,beizhu) values") + entry);
    const char *sale = "insert into huiyuanxiaofei(ID,huiyuanid,xiaofeiriqi,shishoujine,fukuanfangshi,jine,xiaofeijine,"
                       "yingshoujine,qiandanjine,qiankuanjine,shengyujine,suodejifen,caozuoyuan,beizhu) values";
    sqlExec(QString(sale) + "('xf_1','1001','" + at(300) + "',60,'现金',60,90,90,0,0,470,90,'admin','')");
    sqlExec(QString(sale) + "('xf_1','1001','" + at(300) + "',30,'储蓄卡',30,0,0,0,0,470,0,'admin','')");
    sqlExec(QString(sale) + "('xf_2','1002','" + at(240) + "',20,'微信',20,50,50,0,30,80,50,'admin','会员欠费')");
    sqlExec(QString(sale) + "('xf_3','0000','" + at(180) + "',40,'现金',40,40,40,0,0,0,40,'admin','')");
    // the repayment of xf_2's debt
    sqlExec(QString(sale) + "('xf_2','1002','" + at(60) + "',30,'现金',30,0,0,0,0,0,0,NULL,'会员还款')");
    const char *line = "insert into xiaofeimingxi(ID,xiaofeileixing,xiangmuID,name,xiaoshoujiage,youhuijiage,shuliang,"
                       "jine,jifen,fukuanfangshi,tichengyuangongID,fuwugonghao,beizhu) values";
    sqlExec(QString(line) + "('xf_1','服务项目','S1','洗剪吹',40,40,1,40,40,'现金','A01','admin','服务项目')");
    sqlExec(QString(line) + "('xf_1','产品','P1','洗发水',50,50,1,50,50,'现金','','admin','产品')");
    sqlExec(QString(line) + "('xf_2','产品','P1','洗发水',50,50,1,50,50,'微信','','admin','产品')");
    sqlExec(QString(line) + "('xf_3','服务项目','S1','洗剪吹',40,40,1,40,40,'现金','A01','admin','服务项目')");
    const char *pay = "insert into huiyuanjiaofei(ID,huiyuanid,jiaofeiriqi,jiaofeileixing,shifujine,fukuanleixing,"
                      "yuangongName,caozuoyuan) values";
    sqlExec(QString(pay) + "('BK1','1002','" + at(360) + "','办卡交费',100,'现金','A01','admin')");
    sqlExec(QString(pay) + "('CZ1','1001','" + at(330) + "','会员充值',200,'支付宝','小王','admin')");
    sqlExec(QString(pay) + "('TC1','1001','" + at(120) + "','套餐交费',300,'刷卡','小王','admin')");
    const char *ye = "insert into huiyuanyuebiandong(huiyuanid,biandongriqi,biandongleixing,xiangmumingchen,yuezengjia,"
                     "yuejianshao,cishuzengjia,cishujianshao,dangshikaneiyue,dangshikaneicishu,caozuoyuan,beizhu) values";
    sqlExec(QString(ye) + "('1001','" + at(330) + "','会员充值','',200,0,0,0,500,0,'admin','充值单：CZ1')");
    sqlExec(QString(ye) + "('1001','" + at(300) + "','会员消费','',0,30,0,0,470,0,'admin','消费单：xf_1')");
    sqlExec("insert into huiyuanjifen(huiyuanid,biandongriqi,biandongleixing,jifenzengjia,jifenjianshao,shengyujifen,"
            "caozuoyuan,beizhu) values('1001','" + at(300) + "','会员消费',90,0,90,'admin','会员消费')");
    const char *tc = "insert into tichengmingxi(yuangongID,xiangmuID,xiangmumingcheng,xiaofeiID,tichengfangshi,"
                     "jisuanfangshi,tichengbili,tichengjine,beizhu,titleID) values";
    sqlExec(QString(tc) + "('A01','S1','洗剪吹','xf_1','点单提成','按比例提成',10,4,'消费提成','1')");
    sqlExec(QString(tc) + "('A01','S1','洗剪吹','xf_3','点单提成','按比例提成',10,4,'消费提成','1')");
    sqlExec(QString(tc) + "('A01','1002','李''四','BK1','','按固定金额提成',10,10,'开卡提成','tc1')");
    const char *stock = "insert into chanpinrukumingxi(rukuID,time,type,chanpinID,xiaoshoujiage,shuliang,jine,rukutype,"
                        "\"user\",beizhu) values";
    sqlExec(QString(stock) + "('000000','" + at(400) + "','入库明细','P1',0,0,0,'','admin','')");
    sqlExec(QString(stock) + "('入库ID: rk1','" + at(390) + "','入库明细','P1',20,10,200,'采购入库','admin','')");
    sqlExec(QString(stock) + "('xf_1','" + at(300) + "','出库明细','P1',50,-1,-50,'产品销售','admin','')");
    sqlExec(QString(stock) + "('xf_2','" + at(240) + "','出库明细','P1',50,-1,-50,'产品销售','admin','')");
}

void TestReportsMainWindow::init()
{
    m_dir = new TestWorkdir;
    m_today = QDate::currentDate().toString("yyyy-MM-dd");
    operatorSession() = OperatorSession();
    operatorSession().loginName = "admin";
    operatorSession().xitongshezhi = "是";
    seedDay();
    m_win = new MainWindow;
}

void TestReportsMainWindow::cleanup()
{
    delete m_win;
    delete m_dir;
}

// Every query button with and without its conditions, counts and sums by hand.
void TestReportsMainWindow::queryButtons()
{
    // sale documents, today
    choose("comboBox_4", "今天");
    clickButton(m_win, "toolButton_79");
    QCOMPARE(rows("tableView_14"), 3);
    setText("lineEdit_8", "李'四");
    clickButton(m_win, "toolButton_79");
    QCOMPARE(rows("tableView_14"), 1);
    QCOMPARE(cell("tableView_14", 0, 1), QString("xf_2"));
    setText("lineEdit_8", "");
    setText("lineEdit_9", "xf_3");
    clickButton(m_win, "toolButton_79");
    QCOMPARE(rows("tableView_14"), 1);
    QCOMPARE(cell("tableView_14", 0, 3), QString("散客"));
    setText("lineEdit_9", "");
    choose("comboBox_4", "昨天");
    clickButton(m_win, "toolButton_79");
    QCOMPARE(rows("tableView_14"), 0);

    // sale lines: all, products only, one item name
    choose("comboBox_6", "本月");
    clickButton(m_win, "toolButton_83");
    QCOMPARE(rows("tableView_16"), 4);
    choose("comboBox_7", "产品");
    clickButton(m_win, "toolButton_83");
    QCOMPARE(rows("tableView_16"), 2);
    choose("comboBox_7", "所有");
    setText("lineEdit_11", "洗剪吹");
    setText("lineEdit_10", "散客");
    clickButton(m_win, "toolButton_83");
    QCOMPARE(rows("tableView_16"), 1);

    // ranking: 1001 bought 90, 1002 bought 50 (the repayment adds no sale amount)
    choose("comboBox_9", "今天");
    clickButton(m_win, "toolButton_91");
    QCOMPARE(rows("tableView_19"), 2);
    QCOMPARE(cell("tableView_19", 0, 0), QString("1001"));
    QCOMPARE(cell("tableView_19", 0, 5), QString("90"));
    choose("comboBox_10", "银卡");
    clickButton(m_win, "toolButton_91");
    QCOMPARE(rows("tableView_19"), 1);
    QCOMPARE(cell("tableView_19", 0, 5), QString("50"));

    // payments: 1001 paid 500, 1002 paid 100
    choose("comboBox_12", "今天");
    clickButton(m_win, "toolButton_48");
    QCOMPARE(rows("tableView_10"), 2);
    QCOMPARE(cell("tableView_10", 0, 4), QString("500"));
    choose("comboBox_2", "办卡交费");
    clickButton(m_win, "toolButton_48");
    QCOMPARE(rows("tableView_10"), 1);
    QCOMPARE(cell("tableView_10", 0, 0), QString("1002"));
    choose("comboBox_2", "所有");
    setText("lineEdit_5", "小王");
    clickButton(m_win, "toolButton_48");
    QCOMPARE(cell("tableView_10", 0, 4), QString("500"));
    setText("lineEdit_4", "1002");
    clickButton(m_win, "toolButton_48");
    QCOMPARE(rows("tableView_10"), 0);

    // package payments
    choose("comboBox_11", "今天");
    clickButton(m_win, "toolButton_75");
    QCOMPARE(rows("tableView_13"), 1);
    QCOMPARE(cell("tableView_13", 0, 4), QString("300"));
    choose("comboBox_3", "银卡");
    clickButton(m_win, "toolButton_75");
    QCOMPARE(rows("tableView_13"), 0);

    // service and product analysis
    choose("comboBox_15", "美发");
    clickButton(m_win, "toolButton_52");
    QCOMPARE(rows("tableView_20"), 1);
    QCOMPARE(cell("tableView_20", 0, 3), QString("2"));
    choose("comboBox_17", "洗护");
    setText("lineEdit_16", "P1");
    clickButton(m_win, "toolButton_65");
    QCOMPARE(rows("tableView_22"), 1);
    QCOMPARE(cell("tableView_22", 0, 4), QString("100"));

    // ledgers
    choose("comboBox_29", "今天");
    clickButton(m_win, "toolButton_123");
    QCOMPARE(rows("tableView_27"), 2);
    choose("comboBox_22", "会员消费");
    clickButton(m_win, "toolButton_123");
    QCOMPARE(rows("tableView_27"), 1);
    choose("comboBox_30", "今天");
    clickButton(m_win, "toolButton_136");
    QCOMPARE(rows("tableView_28"), 1);

    // commissions: 4 + 4 + 10, the split sale counted once
    choose("comboBox_27", "今天");
    clickButton(m_win, "toolButton_111");
    QCOMPARE(rows("tableView_41"), 1);
    QCOMPARE(cell("tableView_41", 0, 4), QString("18"));

    // member search: name or ID, quotes found
    setText("lineEdit_3", "李'");
    clickButton(m_win, "toolButton_32");
    QCOMPARE(rows("tableView_9"), 1);
    setText("lineEdit_3", "100");
    clickButton(m_win, "toolButton_32");
    QCOMPARE(rows("tableView_9"), 2);

    // stock documents: one stock-in, two sale stock-outs
    clickButton(m_win, "toolButton_54");
    QCOMPARE(rows("tableView_33"), 1);
    QCOMPARE(cell("tableView_33", 0, 0), QString("入库ID: rk1"));
    setText("lineEdit_23", "nothing");
    clickButton(m_win, "toolButton_54");
    QCOMPARE(rows("tableView_33"), 0);
    clickButton(m_win, "toolButton_139");
    QCOMPARE(rows("tableView_36"), 2);

    // stock on hand, products and service items: the category applies to every match
    sqlExec("insert into chanpin(ID,name,leibie,xiaoshoujiage) values('P2','洗发水旅行装','赠品',5)");
    sqlExec("insert into chanpinrukumingxi(rukuID,time,type,chanpinID,xiaoshoujiage,shuliang,jine,rukutype,\"user\",beizhu)"
            " values('000000','" + at(400) + "','入库明细','P2',0,0,0,'','admin','')");
    setText("lineEdit_25", "洗发水");
    clickButton(m_win, "toolButton_144");
    QCOMPARE(rows("tableView_37"), 2);
    choose("comboBox_26", "洗护");
    clickButton(m_win, "toolButton_144");
    QCOMPARE(rows("tableView_37"), 1);
    setText("lineEdit_18", "洗发水");
    clickButton(m_win, "toolButton_55");
    QCOMPARE(rows("tableView_25"), 2);
    choose("comboBox_19", "赠品");
    clickButton(m_win, "toolButton_55");
    QCOMPARE(rows("tableView_25"), 1);
    sqlExec("insert into fuwuxiangmu(ID,name,leibie,xiaoshoujiage) values('S2','洗剪吹(儿童)','儿童',20)");
    setText("lineEdit_17", "洗剪吹");
    clickButton(m_win, "toolButton_36");
    QCOMPARE(rows("tableView_24"), 2);
    choose("comboBox_18", "美发");
    clickButton(m_win, "toolButton_36");
    QCOMPARE(rows("tableView_24"), 1);
}

void TestReportsMainWindow::drillDowns()
{
    choose("comboBox_4", "今天");
    clickButton(m_win, "toolButton_79");
    int row = -1;
    for (int r = 0; r < rows("tableView_14"); ++r)
        if (cell("tableView_14", r, 1) == "xf_1")
            row = r;
    QVERIFY(row >= 0);
    click("tableView_14", row);
    QCOMPARE(rows("tableView_15"), 2);

    choose("comboBox_12", "今天");
    clickButton(m_win, "toolButton_48");
    click("tableView_10", 0); // 1001
    QCOMPARE(rows("tableView_11"), 2);

    clickButton(m_win, "toolButton_52");
    click("tableView_20", 0);
    QCOMPARE(rows("tableView_21"), 2);
    clickButton(m_win, "toolButton_65");
    click("tableView_22", 0);
    QCOMPARE(rows("tableView_23"), 2);

    choose("comboBox_27", "今天");
    clickButton(m_win, "toolButton_111");
    click("tableView_41", 0);
    QCOMPARE(rows("tableView_42"), 3);

    clickButton(m_win, "toolButton_54");
    click("tableView_33", 0);
    QCOMPARE(rows("tableView_34"), 1);
    clickButton(m_win, "toolButton_139");
    click("tableView_36", 0);
    QCOMPARE(rows("tableView_35"), 1);
}

// The tree is made at construction for the default period; the cash-register
// detail is not filled at start-up but for the period asked, with later records.
void TestReportsMainWindow::statisticsAndCashDetail()
{
    auto *model = qobject_cast<QStandardItemModel *>(w<QTreeView>("treeView")->model());
    QVERIFY(model);
    QMap<QString, QString> totals;
    for (int r = 0; r < model->rowCount(); ++r)
        totals.insert(model->item(r, 0)->text(), model->item(r, 1)->text());
    // payments 600; sales 60+30+20+40+30 = 180 (30 of it from the card)
    QCOMPARE(totals.value("充值交费合计"), QString("600"));
    QCOMPARE(totals.value("消费收银合计"), QString("180"));
    QCOMPARE(totals.value("收银总计"), QString("780"));
    QCOMPARE(totals.value("实际收入"), QString("750"));
    QCOMPARE(totals.value("虚拟收入"), QString("30"));
    QCOMPARE(model->item(2, 0)->rowCount(), 5); // 现金 微信 储蓄卡 支付宝 刷卡
    QCOMPARE(sqlValue("select count(*) from tempshouyinmingxi"), QString("0"));

    clickButton(m_win, "toolButton_86");
    QCOMPARE(rows("tableView_12"), 8);
    sqlExec("insert into huiyuanjiaofei(ID,huiyuanid,jiaofeiriqi,jiaofeileixing,shifujine,fukuanleixing,caozuoyuan) "
            "values('CZ9','1001','" + ctrlUiClass::nowText() + "','会员充值',10,'现金','admin')");
    clickButton(m_win, "toolButton_86");
    QCOMPARE(rows("tableView_12"), 9);
    QCOMPARE(model->item(0, 1)->text(), QString("610"));
    auto *method = w<QComboBox>("comboBox_32");
    method->setCurrentIndex(method->findText("储蓄卡"));
    emit method->activated(method->currentIndex());
    QCOMPARE(rows("tableView_12"), 1);
    QCOMPARE(cell("tableView_12", 0, 0), QString("xf_1"));
}

void TestReportsMainWindow::shiftHistoryAndHandover()
{
    PromptRecorder prompts;
    sqlExec("insert into \"user\"(name,password,jinyong) values('小红','" + encodePassword("1") + "','否')");
    sqlExec("insert into log(time,\"user\",log) values('" + m_today + " 00:00:00','admin','系统登录成功')");
    sqlExec("insert into jiaoban(jiaobanID,\"user\",starttime,endtime,shijishouru,xunishouru) values('jb_old','admin','2001-01-01 08:00:00','2001-01-01 20:00:00',1,0)");
    w<QDateEdit>("dateEdit_26")->setDate(QDate::currentDate());
    clickButton(m_win, "toolButton_66");
    QCOMPARE(rows("tableView_46"), 0);

    onNextModal([](QWidget *shift) {
        onNextModal([](QWidget *login) {
            login->findChild<QComboBox *>("comboBox")->setCurrentText("小红");
            login->findChild<QLineEdit *>("lineEdit")->setText("1");
            clickButton(login, "toolButton_3");
        });
        clickButton(shift, "toolButton_84");
    });
    clickButton(m_win, "toolButton_8");
    QCOMPARE(sqlValue("select count(*) from jiaoban"), QString("2"));
    QVERIFY(w<QLabel>("statusLabel")->text().contains("当前操作员：小红"));
    // the history (today inclusive) shows the new handover at once
    QCOMPARE(rows("tableView_46"), 1);
    QCOMPARE(cell("tableView_46", 0, 4), QString("750"));
    QCOMPARE(cell("tableView_46", 0, 5), QString("30"));
    click("tableView_46", 0);
    QCOMPARE(rows("tableView_47"), sqlValue("select count(*) from jiaobanmingxi").toInt());
    QVERIFY(rows("tableView_47") >= 8);
}

QTEST_MAIN(TestReportsMainWindow)
#include "tst_reports_mainwindow.moc"
