#include <QtTest>
#include <limits>
#include <QAbstractButton>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QStandardItemModel>
#include <QSplitter>
#include <QTableView>
#include <QTreeView>

#include "addchanpindlg.h"
#include "sqlstatements.h"
#include "businesscharts.h"
#include "enginedriver.h"

#include <QChartView>
#include <QValueAxis>
#include <QPieSeries>
#include "changelogtext.h"
#include "ctrluiclass.h"
#include "mainwindow.h"
#include "meiritixingdlg.h"
#include "ledgersql.h"
#include "membersummary.h"
#include "memberwriter.h"
#include "operatorsession.h"
#include "periodfilter.h"
#include "reportreads.h"
#include "testsupport.h"
#include "totalsline.h"
#include "listcelldelegate.h"
#include "sqltext.h"

// The owner's month-end look at the reports: periods and dates that agree, totals
// that match the rows, details that follow their master, takings of now, members
// in number order, stock at cost, and log rows for catalogue changes.
class TestReportsOwner : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void periodRangeMatchesTheListFilter_data();
    void periodRangeMatchesTheListFilter();
    void periodCombosAndDatesAgree();
    void firstLoadAndTotalsAgreeWithSql();
    void detailsFollowTheMastersPeriod();
    void analysisPagesHavePeriodAndAll();
    void detailsFollowTheirMaster();
    void takingsRecomputedWhenShown();
    void membersSortedByNumber();
    void stockAtPurchasePrice();
    void catalogueChangesAreLogged();
    void dailyReminders();
    void productLowStockLevel();
    void businessCharts();
    void listsShowWhatThePersonMustSee();

private:
    template <typename T> T *w(const char *name) { return widgetNamed<T>(m_win, name); }
    void choose(const char *combo, const QString &text)
    {
        auto *box = w<QComboBox>(combo);
        const int i = box->findText(text);
        QVERIFY2(i >= 0, qPrintable(QString(combo) + " has no " + text));
        box->setCurrentIndex(i);
    }
    int rows(const char *view) { return w<QTableView>(view)->model()->rowCount(); }
    QString cell(const char *view, int row, int col)
    {
        const QAbstractItemModel *m = w<QTableView>(view)->model();
        return m->data(m->index(row, col)).toString();
    }
    void click(const char *view, int row)
    {
        auto *v = w<QTableView>(view);
        const QModelIndex index = v->model()->index(row, 0);
        v->setCurrentIndex(index);
        emit v->clicked(index);
    }
    void sale(const QString &id, const QString &member, const QString &when, double amount);
    void makeWindow();

    TestWorkdir *m_dir = nullptr;
    MainWindow *m_win = nullptr;
    QString m_now;
};

void TestReportsOwner::init()
{
    m_dir = new TestWorkdir;
    operatorSession() = OperatorSession();
    operatorSession().loginName = "admin";
    operatorSession().xitongshezhi = "是";
    m_now = ctrlUiClass::nowText();
}

void TestReportsOwner::cleanup()
{
    delete m_win;
    m_win = nullptr;
    delete m_dir;
}

void TestReportsOwner::makeWindow()
{
    m_win = new MainWindow;
}

void TestReportsOwner::sale(const QString &id, const QString &member, const QString &when, double amount)
{
    sqlExec(QString("insert into huiyuanxiaofei(ID,huiyuanid,xiaofeiriqi,shishoujine,fukuanfangshi,jine,xiaofeijine,"
                    "yingshoujine,qiankuanjine,suodejifen,caozuoyuan) values('%1','%2','%3',%4,'现金',%4,%4,%4,0,0,'admin')")
                .arg(id, member, when)
                .arg(amount));
    sqlExec(QString("insert into xiaofeimingxi(ID,xiaofeileixing,xiangmuID,name,xiaoshoujiage,youhuijiage,shuliang,jine)"
                    " values('%1','服务项目','S1','洗剪吹',%2,%2,1,%2)")
                .arg(id)
                .arg(amount));
}

void TestReportsOwner::periodRangeMatchesTheListFilter_data()
{
    QTest::addColumn<QString>("period");
    for (const char *p : {"今天", "昨天", "本周", "上周", "本月", "上月", "本季", "上季", "本年", "上年"})
        QTest::newRow(p) << QString::fromUtf8(p);
}

// The dates a period shows are exactly the days its list filter selects.
void TestReportsOwner::periodRangeMatchesTheListFilter()
{
    QFETCH(QString, period);
    QDate from, to;
    QVERIFY(PeriodFilter::range(period, QDate::currentDate(), &from, &to));
    QVERIFY(from <= to);
    sqlExec("create temp table d(t text)");
    for (const QDate &day : {from.addDays(-1), from, to, to.addDays(1)}) {
        const QString t = day.toString("yyyy-MM-dd");
        sqlExec("insert into d values('" + t + " 00:00:00'),('" + t + " 23:59:59')");
    }
    const QStringList inside = {from.toString("yyyy-MM-dd") + " 00:00:00", from.toString("yyyy-MM-dd") + " 23:59:59",
                                to.toString("yyyy-MM-dd") + " 00:00:00", to.toString("yyyy-MM-dd") + " 23:59:59"};
    QStringList selected;
    QVariantList bounds;
    const QString where = SqlStatements::periodWhere(period, "t", &bounds);
    for (const QStringList &r : sqlRows("select distinct t from d" + where + " order by t", bounds))
        selected << r.value(0);
    QStringList expected = inside;
    expected.removeDuplicates();
    QCOMPARE(selected, expected);
    sqlExec("drop table d");
}

void TestReportsOwner::periodCombosAndDatesAgree()
{
    makeWindow();
    const QDate today = QDate::currentDate();
    const QDate monthStart(today.year(), today.month(), 1);
    // Every period combo opens on 本月 with the month's first and last day.
    const QList<QPair<const char *, QPair<const char *, const char *>>> pages = {
        {"comboBox_4", {"dateEdit", "dateEdit_2"}},       {"comboBox_6", {"dateEdit_3", "dateEdit_4"}},
        {"comboBox_9", {"dateEdit_7", "dateEdit_8"}},     {"comboBox_12", {"dateEdit_11", "dateEdit_12"}},
        {"comboBox_11", {"dateEdit_9", "dateEdit_10"}},   {"comboBox_29", {"dateEdit_27", "dateEdit_28"}},
        {"comboBox_30", {"dateEdit_29", "dateEdit_30"}},  {"comboBox_27", {"dateEdit_23", "dateEdit_24"}},
        {"comboBox_servicePeriod", {"dateEdit_serviceFrom", "dateEdit_serviceTo"}},
        {"comboBox_productPeriod", {"dateEdit_productFrom", "dateEdit_productTo"}},
    };
    for (const auto &p : pages) {
        QCOMPARE(w<QComboBox>(p.first)->currentText(), QString("本月"));
        QCOMPARE(w<QDateEdit>(p.second.first)->date(), monthStart);
        QCOMPARE(w<QDateEdit>(p.second.second)->date(), monthStart.addMonths(1).addDays(-1));
        QVERIFY(w<QComboBox>(p.first)->findText("所有") >= 0);
    }
    // Choosing a period sets the dates; editing a date selects "其他".
    choose("comboBox_4", "上月");
    QCOMPARE(w<QDateEdit>("dateEdit")->date(), monthStart.addMonths(-1));
    QCOMPARE(w<QDateEdit>("dateEdit_2")->date(), monthStart.addDays(-1));
    w<QDateEdit>("dateEdit")->setDate(monthStart.addMonths(-1).addDays(3));
    QCOMPARE(w<QComboBox>("comboBox_4")->currentText(), QString("其他"));
    QCOMPARE(w<QDateEdit>("dateEdit")->date(), monthStart.addMonths(-1).addDays(3)); // kept
    choose("comboBox_4", "所有");
    QVERIFY(!w<QDateEdit>("dateEdit")->isEnabled());
    choose("comboBox_4", "今天");
    QVERIFY(w<QDateEdit>("dateEdit")->isEnabled());
    QCOMPARE(w<QDateEdit>("dateEdit")->date(), today);
    QCOMPARE(w<QDateEdit>("dateEdit_2")->date(), today);
}

// A click on an employee's or a member's row lists the commissions and payments
// that row sums (this month's), not those of every year.
void TestReportsOwner::detailsFollowTheMastersPeriod()
{
    sqlExec("insert into huiyuan(ID,name,type) values('1001','张三','金卡')");
    sqlExec("insert into yuangong(ID,name,type) values('E1','小李','发型师')");
    sale("xf_now", "1001", m_now, 100);
    sale("xf_old", "1001", "2001-01-01 10:00:00", 500);
    for (const char *id : {"xf_now", "xf_old"})
        sqlExec(QString("insert into tichengmingxi(yuangongID,xiangmuID,xiaofeiID,tichengjine,beizhu) "
                        "values('E1','S1','%1',10,'')").arg(id));
    for (const char *row : {"('CZ_now','1001','%1','会员充值',50,'现金')", "('CZ_old','1001','2001-01-01 10:00:00','会员充值',70,'现金')"})
        sqlExec(QString("insert into huiyuanjiaofei(ID,huiyuanid,jiaofeiriqi,jiaofeileixing,shifujine,fukuanleixing) values")
                + QString(row).arg(m_now));
    makeWindow();
    m_win->show();
    const auto clickFirst = [this](const char *view) {
        auto *v = w<QTableView>(view);
        QVERIFY(v->model()->rowCount() > 0);
        v->setCurrentIndex(v->model()->index(0, 0));
        emit v->clicked(v->model()->index(0, 0));
    };
    QVERIFY(m_win->navigateTo("员工提成查询"));
    QCOMPARE(rows("tableView_41"), 1);
    clickFirst("tableView_41");
    QCOMPARE(rows("tableView_42"), 1); // this month's commission only
    QVERIFY(m_win->navigateTo("会员交费统计"));
    QCOMPARE(rows("tableView_10"), 1);
    clickFirst("tableView_10");
    QCOMPARE(rows("tableView_11"), 1);
    QCOMPARE(w<QTableView>("tableView_11")->model()->index(0, 0).data().toString(), QString("CZ_now"));
}

// A page opened for the first time lists what its controls say, and its 合计 line
// holds the sums sqlite3 gives for the same rows.
void TestReportsOwner::firstLoadAndTotalsAgreeWithSql()
{
    sqlExec("insert into huiyuan(ID,name,type) values('1001','张三','金卡')");
    sale("xf_now", "1001", m_now, 88.8);
    sale("xf_now2", "0000", m_now, 11.25);
    sale("xf_old", "1001", "2001-01-01 10:00:00", 500);
    makeWindow();
    m_win->show();
    QVERIFY(m_win->navigateTo("会员消费统计"));
    QCOMPARE(rows("tableView_14"), 2); // this month, not every sale ever
    const QString expected = sqlValue("select round(total(shishoujine),2) from huiyuanxiaofei "
                                      "where xiaofeiriqi>='"
                                      + QDate(QDate::currentDate().year(), QDate::currentDate().month(), 1).toString(Qt::ISODate)
                                      + "'");
    QCOMPARE(expected, QString("100.05"));
    const QString totals = w<QLabel>("totals_tableView_14")->text();
    QVERIFY2(totals.startsWith("合计：2 条"), qPrintable(totals));
    QVERIFY2(totals.contains("实收金额 100.05"), qPrintable(totals));
    QVERIFY2(!totals.contains("消费单号"), qPrintable(totals));
    choose("comboBox_4", "所有");
    clickButton(m_win, "toolButton_79");
    QCOMPARE(rows("tableView_14"), 3);
    QVERIFY(w<QLabel>("totals_tableView_14")->text().contains("实收金额 600.05"));

    // More sales than the list fetches at once: the 合计 line still counts them all.
    for (int i = 0; i < 300; ++i)
        sale(QString("xf_many%1").arg(i), i % 3 ? "1001" : "0000", m_now, 0.01 * (i + 1));
    clickButton(m_win, "toolButton_79");
    // Only its first rows are in; Qt's driver for the shop server reads a result whole.
    if (!EngineDriver::current().isServer())
        QVERIFY(w<QTableView>("tableView_14")->model()->canFetchMore(QModelIndex()));
    const QString many = w<QLabel>("totals_tableView_14")->text();
    QVERIFY2(many.startsWith("合计：303 条"), qPrintable(many));
    QVERIFY2(many.contains("实收金额 1051.55"), qPrintable(many)); // 600.05 + 0.01 × (1 + … + 300)

    // The aggregate is over the list's statement, columns named as it names them.
    QCOMPARE(ReportReads::totalsStatement("select a as \"x\"\"y\" from t", {"x\"y"}),
             QString("select count(*), round(total(\"x\"\"y\"),2) from (select a as \"x\"\"y\" from t) t"));
    QVERIFY(TotalsLine::isTotalled("库存金额（进价）"));
    QVERIFY(!TotalsLine::isTotalled("单价"));
    QVERIFY(!TotalsLine::isTotalled("会员卡号"));
    QVERIFY(!TotalsLine::isTotalled("提成员工"));
    QVERIFY(!TotalsLine::isTotalled("提成方式"));
    QVERIFY(TotalsLine::isTotalled("提成金额"));
}

void TestReportsOwner::analysisPagesHavePeriodAndAll()
{
    sqlExec("insert into fuwuxiangmu(ID,name,leibie,xiaoshoujiage) values('S1','洗剪吹','美发',40)");
    sale("xf_now", "0000", m_now, 40);
    sale("xf_old", "0000", "2001-01-01 10:00:00", 40);
    makeWindow();
    QCOMPARE(w<QComboBox>("comboBox_15")->currentText(), QString("所有"));
    QCOMPARE(w<QComboBox>("comboBox_17")->currentText(), QString("所有"));
    clickButton(m_win, "toolButton_52");
    QCOMPARE(rows("tableView_20"), 1);
    QCOMPARE(cell("tableView_20", 0, 3), QString("1")); // this month's one use
    click("tableView_20", 0);
    QCOMPARE(rows("tableView_21"), 1);
    choose("comboBox_servicePeriod", "所有");
    clickButton(m_win, "toolButton_52");
    QCOMPARE(cell("tableView_20", 0, 3), QString("2"));
    choose("comboBox_servicePeriod", "上年");
    clickButton(m_win, "toolButton_52");
    QCOMPARE(rows("tableView_20"), 0);
}

void TestReportsOwner::detailsFollowTheirMaster()
{
    sqlExec("insert into huiyuan(ID,name,type) values('1001','张三','金卡')");
    sale("xf_now", "1001", m_now, 40);
    makeWindow();
    choose("comboBox_4", "今天");
    clickButton(m_win, "toolButton_79");
    click("tableView_14", 0);
    QCOMPARE(rows("tableView_15"), 1);
    clickButton(m_win, "toolButton_79"); // a new result: its old detail goes
    QCOMPARE(rows("tableView_15"), 0);

    // Front desk: the member's sale lines, then a walk-in clears them.
    m_win->DlgRecv("会员选择", QStringList({"1001", "张三", "金卡", "", "0", "0", "", "0", ""}));
    click("tableView", 0);
    QCOMPARE(rows("tableView_2"), 1);
    clickButton(m_win, "toolButton_28"); // 散客
    QCOMPARE(rows("tableView_2"), 0);
}

void TestReportsOwner::takingsRecomputedWhenShown()
{
    makeWindow();
    sale("xf_later", "0000", m_now, 12.5);
    QVERIFY(m_win->navigateTo("综合统计"));
    auto *model = qobject_cast<QStandardItemModel *>(w<QTreeView>("treeView")->model());
    QCOMPARE(model->item(1, 0)->text(), QString("消费收银合计"));
    QCOMPARE(model->item(1, 1)->text(), QString("12.5"));
}

// By the number a card code begins with (none: 0), codes alike in number by
// their text; a code past the range of whole numbers counts as the highest.
// Written by a writer or by hand (the sqlite3 command line), each sorts at once.
void TestReportsOwner::membersSortedByNumber()
{
    const QString huge = QStringLiteral("99999999999999999999");
    for (const QString &id : {QStringLiteral("10"), QStringLiteral("2"), QStringLiteral("100"), QStringLiteral("1"),
                              QStringLiteral("11"), QStringLiteral("9"), QStringLiteral("VIP01"), QStringLiteral("abc"),
                              QStringLiteral("007"), QStringLiteral("12abc"), QStringLiteral("-5"), huge,
                              QStringLiteral(" 3")})
        sqlExec(QString("insert into huiyuan(ID,name) values('%1','会员%1')").arg(id));
    makeWindow();
    QVERIFY(m_win->navigateTo("会员管理"));
    QStringList ids;
    for (int r = 0; r < rows("tableView_9"); ++r)
        ids << cell("tableView_9", r, 0);
    QCOMPARE(ids, QStringList({"-5", "VIP01", "abc", "1", "2", " 3", "007", "9", "10", "11", "12abc", "100", huge}));
    QCOMPARE(MemberSummary::nextNumber(), std::numeric_limits<qlonglong>::max());
    sqlExec(QString("delete from huiyuan where ID in ('%1','12abc','-5','VIP01','abc','007','9','100',' 3')").arg(huge));
    QCOMPARE(MemberSummary::nextNumber(), 12);
    m_win->refreshByTable("huiyuan");
    ids.clear();
    for (int r = 0; r < rows("tableView_9"); ++r)
        ids << cell("tableView_9", r, 0);
    QCOMPARE(ids, QStringList({"1", "2", "10", "11"}));
    w<QLineEdit>("lineEdit_3")->setText("1");
    clickButton(m_win, "toolButton_32");
    QCOMPARE(cell("tableView_9", 0, 0), QString("1"));
    QCOMPARE(cell("tableView_9", 1, 0), QString("10"));
}

// Goods come in at cost, stock is valued at cost, and a new document is listed at once.
void TestReportsOwner::stockAtPurchasePrice()
{
    sqlExec("insert into chanpin(ID,name,leibie,jinhuojiage,xiaoshoujiage) values('P1','洗发水','洗护',20,50)");
    sqlExec("insert into chanpinrukumingxi(rukuID,time,type,chanpinID,xiaoshoujiage,shuliang,jine,rukutype,\"user\",beizhu)"
            " values('000000','" + m_now + "','入库明细','P1',0,0,0,'0','0','0')");
    makeWindow();
    m_win->show();
    QVERIFY(m_win->navigateTo("入库查询"));
    QCOMPARE(rows("tableView_33"), 0);
    QString shownPrice;
    onNextModal([&](QWidget *doc) {
        auto *products = doc->findChild<QTableView *>("tableView");
        QVERIFY(products && products->model()->rowCount() == 1);
        onNextModal([&](QWidget *line) {
            shownPrice = line->findChild<QLineEdit *>("lineEdit")->text();
            line->findChild<QLineEdit *>("lineEdit_2")->setText("3");
            clickButton(line, "toolButton");
        });
        const QModelIndex index = products->model()->index(0, 0);
        products->setCurrentIndex(index);
        emit products->doubleClicked(index);
        doc->close();
    });
    clickButton(m_win, "toolButton_153");
    QCOMPARE(shownPrice, QString("20"));
    QCOMPARE(sqlValue("select jine from chanpinrukumingxi where rukuID like '入库ID: rk%' order by rowid"), QString("60"));
    QCOMPARE(rows("tableView_33"), 1); // listed without pressing 查询
    // 3 in, 1 sold: 2 on hand worth 2 x 20
    sqlExec("insert into chanpinrukumingxi(rukuID,time,type,chanpinID,xiaoshoujiage,shuliang,jine,rukutype,\"user\",beizhu)"
            " values('xf_1','" + m_now + "','出库明细','P1',50,-1,-50,'产品销售','admin','')");
    QVERIFY(m_win->navigateTo("库存管理"));
    // The totals line keeps the list in its place: stock above, its movements below.
    auto *split = w<QSplitter>("splitter_5");
    QVERIFY(split->widget(0)->isAncestorOf(w<QTableView>("tableView_37")));
    QVERIFY(w<QTableView>("tableView_37")->isVisible());
    clickButton(m_win, "toolButton_144");
    QCOMPARE(cell("tableView_37", 0, 6), QString("2"));
    QCOMPARE(cell("tableView_37", 0, 7), QString("40"));
}

void TestReportsOwner::catalogueChangesAreLogged()
{
    makeWindow();
    m_win->DlgRecv("添加数据", QVariant::fromValue(dbctrlstruct{
        "chanpin", {"P'9", "护发素", "6901234567890", "洗护", "瓶", "", "10", "30", "0", "否", ""}}));
    m_win->DlgRecv("修改数据", QVariant::fromValue(redbctrlstruct{"chanpin", {"name", "ID"}, {"护发素2", "P'9"}, 1}));
    m_win->DlgRecv("添加数据", QVariant::fromValue(dbctrlstruct{
        "chanpinrukumingxi", {"000000", m_now, "入库明细", "P'9", "0", "0", "0", "0", "0", "0"}}));
    m_win->DlgRecv("添加数据", QVariant::fromValue(dbctrlstruct{
        "chanpinrukumingxi", {"出库ID: ck1", m_now, "出库明细", "P'9", "30", "-1", "-30", "报损", "admin", ""}}));
    QStringList logged;
    for (const QStringList &r : sqlRows("select \"user\", log from log order by rowid"))
        logged << r.join("|");
    QCOMPARE(logged, QStringList({"admin|增加产品  产品编号：P'9", "admin|修改产品  产品编号：P'9",
                                  "admin|增加出库明细  单号：出库ID: ck1  产品编号：P'9"}));
    QCOMPARE(ChangeLogText::text(true, "huiyuanxiaofei", {"ID"}, {"x"}), QString());
}

// Each reminder list holds what it promises and nothing else; the search and the
// double-click work on every member list.
void TestReportsOwner::dailyReminders()
{
    const QDate today = QDate::currentDate();
    const auto day = [&](int offset) { return today.addDays(offset).toString("yyyy-MM-dd"); };
    const QString member = "insert into huiyuan(ID,name,phone,type,birthday,daoqi_time,login_time) values";
    // Stored as the member dialog stores it, with a time of day.
    sqlExec(member + "('1','生日近','139','金卡','" + today.addDays(3).addYears(-30).toString("yyyy-MM-dd")
            + " 00:00:00','" + day(400) + "','" + day(-1) + "')");
    sqlExec(member + "('2','生日过','138','金卡','" + today.addDays(-1).addYears(-30).toString("yyyy-MM-dd")
            + "','" + day(31) + "','" + day(-1) + "')");
    sqlExec(member + "('3','卡''到期','137','银卡','','" + day(30) + "','" + day(-100) + "')");
    sqlExec(member + "('4','常来','136','银卡','','','" + day(-100) + "')");
    sale("xf_recent", "4", m_now, 10);
    sale("xf_debt", "3", day(-100) + " 10:00:00", 50);
    sqlExec("update huiyuanxiaofei set qiankuanjine=20 where ID='xf_debt'");
    sqlExec("insert into huiyuanjiaofei(ID,huiyuanid,jiaofeiriqi,jiaofeileixing,shifujine,qiankuanjine) values"
            "('CZ1','2','" + m_now + "','会员充值',100,50),('CZ1','2','" + m_now + "','会员还款',50,-50)");
    sqlExec("insert into huiyuantaocan(huiyuanID,xiangmuID,zongcishu,shengyucishu,xiaofeicishu) values"
            "('1','S1',10,1,9),('2','S1',10,2,8)");
    sqlExec("insert into chanpin(ID,name,kucunxiaxian) values('P1','洗发水',5),('P2','护发素',0)");
    sqlExec("insert into chanpinrukumingxi(rukuID,chanpinID,shuliang) values('000000','P1',0),('rk','P1',5),"
            "('000000','P2',0),('rk','P2',3)");

    makeWindow();
    // A partial repayment through the rules layer: the debt row shows what was
    // owed, what came back and what is left, and the repayment has a row of its own.
    // Paid back 99 days ago, so the member still counts as not seen for 60 days.
    const QDateTime repaidAt(today.addDays(-99), QTime(11, 0));
    LedgerSql::setClock([repaidAt]() { return repaidAt; });
    QVERIFY(MemberWriter::repay(Repayment{"xf_debt", 500, "现金", "admin"}).ok);
    LedgerSql::setClock({});
    ctrlUiClass ctrl;
    QMap<QString, int> counts;
    for (const auto &c : meiritixingDlg::counts(ctrl))
        counts.insert(c.first, c.second);
    QCOMPARE(counts.value("生日提醒"), 1);
    QCOMPARE(counts.value("套餐将用完提醒"), 1);
    QCOMPARE(counts.value("会员卡到期提醒"), 1);
    QCOMPARE(counts.value("久未到店提醒"), 1); // registered or last seen 100 days ago
    QCOMPARE(counts.value("欠款提醒"), 1);      // the repaid top-up is settled
    QCOMPARE(counts.value("库存不足提醒"), 1);  // 5 of at least 5, not 3 of at least 0
    QVERIFY(meiritixingDlg::noticeText(ctrl).startsWith("今日提醒：1位会员近期生日"));
    m_win->noticeDailyReminders(); // after login: said without a box, counted beside the window
    QTRY_VERIFY(w<QAbstractButton>("toolButton_6")->toolTip().startsWith("今日提醒：1位会员近期生日"));
    QTRY_VERIFY(w<QLabel>("statusLabel")->text().contains("1张会员卡30天内到期"));

    bool seen = false;
    onNextModal([&](QWidget *dlg) {
        seen = true;
        auto *r = qobject_cast<meiritixingDlg *>(dlg);
        QVERIFY(r);
        QCOMPARE(r->rowCount("欠款提醒"), 1);
        r->findChild<QLineEdit *>("lineEdit")->setText("137");
        QCOMPARE(r->rowCount("久未到店提醒"), 1);
        QCOMPARE(r->rowCount("生日提醒"), 0);
        // A quote typed into the search is looked for, not read as the statement's end.
        r->findChild<QLineEdit *>("lineEdit")->setText("卡'到");
        QCOMPARE(r->rowCount("会员卡到期提醒"), 1);
        QCOMPARE(r->rowCount("久未到店提醒"), 1);
        QCOMPARE(r->rowCount("欠款提醒"), 1);
        r->findChild<QLineEdit *>("lineEdit")->setText("137");
        auto *debts = r->findChild<QTableView *>("tableView_欠款提醒");
        QVERIFY(debts);
        const auto cells = [](QTableView *v, int row) {
            QStringList out;
            for (int c = 0; c < v->model()->columnCount(); ++c)
                out << v->model()->index(row, c).data().toString();
            return out;
        };
        QCOMPARE(cells(debts, 0).mid(3, 6), (QStringList{"消费", "xf_debt", day(-100) + " 10:00:00", "15", "20", "5"}));
        r->findChild<QLineEdit *>("lineEdit")->setText("");
        auto *repaid = r->findChild<QTableView *>("tableView_还款记录");
        QVERIFY(repaid);
        QCOMPARE(repaid->model()->rowCount(), 2);
        QMap<QString, QStringList> byDocument; // source, amount, method, still owed
        for (int row = 0; row < 2; ++row) {
            const QStringList c = cells(repaid, row);
            byDocument.insert(c.value(4), {c.value(3), c.value(6), c.value(7), c.value(9)});
        }
        QCOMPARE(byDocument.value("xf_debt"), (QStringList{"消费", "5", "现金", "15"}));
        QCOMPARE(byDocument.value("CZ1"), (QStringList{"交费", "50", "", "0"}));
        r->findChild<QLineEdit *>("lineEdit")->setText("137");
        emit debts->doubleClicked(debts->model()->index(0, 0));
    });
    clickButton(m_win, "toolButton_6");
    QVERIFY(seen);
    QCOMPARE(m_win->currentMemberId(), QString("3"));
    QCOMPARE(w<QTabWidget>("tabWidget")->currentIndex(), 0);
}

// The level the stock reminder compares with is kept per product.
void TestReportsOwner::productLowStockLevel()
{
    makeWindow();
    PromptRecorder prompts;
    const auto save = [&](int mode, const QStringList &row, const QString &level) {
        addchanpinDlg dlg;
        connect(&dlg, &addchanpinDlg::DlgSend, m_win, &MainWindow::DlgRecv);
        dlg.setData(mode, row);
        if (mode == 1) {
            dlg.findChild<QLineEdit *>("lineEdit")->setText("P1");
            dlg.findChild<QLineEdit *>("lineEdit_2")->setText("洗发水");
        }
        QCOMPARE(dlg.findChild<QLineEdit *>("lineEdit_lowStock")->text(), mode == 1 ? QString("0") : QString("5"));
        dlg.findChild<QLineEdit *>("lineEdit_lowStock")->setText(level);
        clickButton(&dlg, "toolButton");
    };
    save(1, {}, "-1");
    QCOMPARE(sqlValue("select count(*) from chanpin"), QString("0"));
    save(1, {}, "5");
    QCOMPARE(sqlValue("select kucunxiaxian from chanpin where ID='P1'"), QString("5"));
    const QStringList row = {"P1", "洗发水", "", "", "", "", "否", "0", "0", "0", ""};
    save(2, row, "2.5");
    QCOMPARE(sqlValue("select kucunxiaxian from chanpin where ID='P1'"), QString("2.5"));
    QCOMPARE(sqlValue("select count(*) from chanpin"), QString("1"));
}

// The charts draw the month's figures when their page is shown, the same as sqlite3 sums them.
void TestReportsOwner::businessCharts()
{
    const QString today = m_now.left(10);
    sqlExec("insert into fuwuxiangmu(ID,name,leibie,xiaoshoujiage) values('S1','洗剪吹','美发',40)");
    sqlExec("insert into yuangong(ID,name) values('A01','小王')");
    sqlExec("insert into huiyuan(ID,name,login_time) values('1','张三','" + m_now + "')");
    sale("xf_1", "1", m_now, 40);
    sale("xf_old", "1", "2001-01-01 10:00:00", 999);
    sqlExec("insert into huiyuanxiaofei(ID,huiyuanid,xiaofeiriqi,shishoujine,fukuanfangshi) values"
            "('xf_2','1','" + m_now + "',25.5,'储蓄卡')");
    sqlExec("insert into huiyuanjiaofei(ID,huiyuanid,jiaofeiriqi,jiaofeileixing,shifujine,fukuanleixing) values"
            "('CZ1','1','" + m_now + "','会员充值',100,'微信')");
    sqlExec("insert into tichengmingxi(yuangongID,xiaofeiID,tichengjine) values('A01','xf_1',4),('A01','CZ1',10),"
            "('A01','xf_old',50)");
    makeWindow();
    m_win->show();
    QVERIFY(m_win->navigateTo("经营分析"));
    auto *charts = m_win->findChild<BusinessCharts *>("businessCharts");
    QVERIFY(charts && charts->isVisible());
    QMap<QString, BusinessCharts::Series> shown;
    for (const auto &c : charts->shown())
        shown.insert(c.first, c.second);
    QCOMPARE(shown.size(), 6);
    using S = BusinessCharts::Series;
    QCOMPARE(shown.value("每日实际收入（不含储蓄卡）"), S({{today, 140}}));
    QCOMPARE(shown.value("各付款方式收款"), S({{"微信", 100}, {"现金", 40}, {"储蓄卡", 25.5}}));
    QCOMPARE(shown.value("服务项目前十（金额）"), S({{"洗剪吹", 40}}));
    QCOMPARE(shown.value("员工提成"), S({{"小王", 14}}));
    QCOMPARE(shown.value("每周新会员（人）").size(), 1);
    QCOMPARE(shown.value("每周新会员（人）").value(0).second, 1.0);
    // Every tick says the value it stands at: a count of 1 under ticks cut in four
    // was drawn beside labels "0 0 1 1 1".
    for (auto *view : charts->findChildren<QtCharts::QChartView *>())
        for (auto *axis : view->chart()->axes())
            if (auto *values = qobject_cast<QtCharts::QValueAxis *>(axis)) {
                const double step = (values->max() - values->min()) / (values->tickCount() - 1);
                for (int i = 0; i < values->tickCount(); ++i) {
                    const double at = values->min() + i * step;
                    const QString label = QString::asprintf(values->labelFormat().toLatin1().constData(), at);
                    QVERIFY2(qAbs(label.toDouble() - at) < 1e-9, qPrintable(view->chart()->title() + ": " + label));
                }
            }
    // 所有 takes every year in; 查询 redraws.
    auto *period = m_win->findChild<QComboBox *>("comboBox_chartsPeriod");
    period->setCurrentIndex(period->findText("所有"));
    clickButton(m_win, "toolButton_charts");
    shown.clear();
    for (const auto &c : charts->shown())
        shown.insert(c.first, c.second);
    QCOMPARE(shown.value("员工提成"), S({{"小王", 64}}));
    QCOMPARE(shown.value("每日实际收入（不含储蓄卡）").size(), 2);
    // The greyed dates say what 所有 covers, not a period left from before.
    QCOMPARE(w<QDateEdit>("dateEdit_chartsFrom")->date(), QDate(2001, 1, 1));
    QCOMPARE(w<QDateEdit>("dateEdit_chartsTo")->date(), QDate::fromString(today, "yyyy-MM-dd"));
    // The pie's slices can be told apart.
    QSet<QRgb> colours;
    int slices = 0;
    for (auto *view : charts->findChildren<QtCharts::QChartView *>())
        for (auto *series : view->chart()->series())
            if (auto *pie = qobject_cast<QtCharts::QPieSeries *>(series))
                for (auto *slice : pie->slices()) {
                    colours.insert(slice->color().rgb());
                    ++slices;
                }
    QCOMPARE(slices, 3);
    QCOMPARE(colours.size(), 3);
    // A period without sales draws no axes over nothing.
    period->setCurrentIndex(period->findText("其他"));
    w<QDateEdit>("dateEdit_chartsFrom")->setDate(QDate(1990, 1, 1));
    w<QDateEdit>("dateEdit_chartsTo")->setDate(QDate(1990, 1, 31));
    clickButton(m_win, "toolButton_charts");
    for (auto *view : charts->findChildren<QtCharts::QChartView *>()) {
        if (!view->chart()->title().startsWith("每") && !view->chart()->title().contains("前十")
            && !view->chart()->title().startsWith("各") && !view->chart()->title().startsWith("员工"))
            continue;
        QVERIFY2(view->chart()->title().endsWith("本期没有数据"), qPrintable(view->chart()->title()));
        QVERIFY2(view->chart()->axes().isEmpty(), qPrintable(view->chart()->title()));
    }
    // A year of days is drawn by month.
    S year;
    for (QDate d(2025, 1, 1); d.year() == 2025; d = d.addDays(1))
        year << qMakePair(d.toString("yyyy-MM-dd"), 1.5);
    const S months = BusinessCharts::perMonthBeyondTwoMonths(year);
    QCOMPARE(months.size(), 12);
    QCOMPARE(months.value(1), qMakePair(QString("2025-02"), 42.0));
}


// What the eye meets in the lists at 1366 x 768: money with its cents, the
// void struck through and its reversal in its place in time, the old
// 代金卷 as 代金券, the cash detail beside its tree at a width to read, and a
// handover's lines following the arrow keys.
void TestReportsOwner::listsShowWhatThePersonMustSee()
{
    sqlExec("insert into huiyuan(ID,name,login_time) values('1','张三','" + m_now + "')");
    const QString earlier = QDateTime::currentDateTime().addSecs(-7200).toString("yyyy-MM-dd hh:mm:ss");
    sale("xf_1", "1", earlier, 36.1);
    sale("xf_2", "1", earlier, 38);
    sqlExec("update huiyuanxiaofei set fukuanfangshi='代金卷' where ID='xf_2'");
    sqlExec("insert into xiaofeizuofei(ID,zuofeiID,huiyuanid,zuofeiriqi,caozuoyuan,shouquanren,quxiaoqiankuan,yuanyin) "
            "values('xf_1','ZF1','1','" + m_now + "','admin','admin',0,'点错')");
    sale("ZF1", "1", m_now, -36.1);
    sqlExec("update huiyuanxiaofei set beizhu='作废冲销' where ID='ZF1'");
    sqlExec("insert into jiaoban(jiaobanID,\"user\",starttime,endtime,shijishouru,xunishouru) values"
            "('jb_1','admin','" + earlier + "','" + earlier + "',1,0),('jb_2','admin','" + earlier + "','" + m_now
            + "',2,0)");
    sqlExec("insert into jiaobanmingxi(jiaobanID,\"user\",fukuanfangshi,jine) values('jb_1','admin','现金',1),"
            "('jb_2','admin','现金',2),('jb_2','admin','实际收入',2)");
    makeWindow();
    m_win->setWindowState(Qt::WindowNoState);
    m_win->resize(1366, 768);
    m_win->show();

    QVERIFY(m_win->navigateTo("会员消费统计"));
    clickButton(m_win, "toolButton_79");
    auto *sales = w<QTableView>("tableView_14");
    QVERIFY(qobject_cast<ListCellDelegate *>(sales->itemDelegate()));
    QCOMPARE(rows("tableView_14"), 3);
    // In the order rung up: the reversal after the sales it follows.
    QCOMPARE(cell("tableView_14", 0, 1) + cell("tableView_14", 1, 1) + cell("tableView_14", 2, 1), QString("xf_1xf_2ZF1"));
    const QAbstractItemModel *m = sales->model();
    QCOMPARE(ListCellDelegate::rowState(m->index(0, 0)), 1);
    QCOMPARE(ListCellDelegate::rowState(m->index(1, 0)), 0);
    QCOMPARE(ListCellDelegate::rowState(m->index(2, 0)), 2);
    QCOMPARE(ListCellDelegate::shownText(m->headerData(4, Qt::Horizontal).toString(), m->index(0, 4).data()),
             QString("36.10"));
    QCOMPARE(ListCellDelegate::shownText(m->headerData(6, Qt::Horizontal).toString(), m->index(1, 6).data()),
             QString("代金券"));
    QCOMPARE(ListCellDelegate::shownText("所得积分", 12), QString("12"));
    QVERIFY(w<QLabel>("totals_tableView_14")->text().contains("消费金额 38.00"));

    QVERIFY(m_win->navigateTo("综合统计"));
    QApplication::processEvents();
    QVERIFY2(w<QTableView>("tableView_12")->width() > 2 * w<QTreeView>("treeView")->width(),
             qPrintable(QString("%1 %2 %3").arg(w<QTableView>("tableView_12")->width()).arg(w<QTreeView>("treeView")->width()).arg(m_win->width())));
    // The rows stored as 代金卷 are found as 代金券, and counted under it.
    choose("comboBox_32", "代金券");
    clickButton(m_win, "toolButton_86");
    QCOMPARE(rows("tableView_12"), 1);
    QCOMPARE(cell("tableView_12", 0, 0), QString("xf_2"));
    const QAbstractItemModel *tree = w<QTreeView>("treeView")->model();
    QStringList methods;
    for (int r = 0; r < tree->rowCount(); ++r)
        for (int c = 0; c < tree->rowCount(tree->index(r, 0)); ++c)
            methods << tree->index(c, 0, tree->index(r, 0)).data().toString();
    QVERIFY2(methods.contains("代金券") && !methods.contains("代金卷"), qPrintable(methods.join(",")));
    // Its amounts are shown with their cents.
    auto *treeDelegate = qobject_cast<ListCellDelegate *>(w<QTreeView>("treeView")->itemDelegate());
    QVERIFY(treeDelegate);
    QCOMPARE(ListCellDelegate::shownText(tree->headerData(1, Qt::Horizontal).toString(), tree->index(0, 1).data()),
             moneyShown(tree->index(0, 1).data().toDouble()));

    QVERIFY(m_win->navigateTo("交班历史查询"));
    w<QDateEdit>("dateEdit_25")->setDate(QDate::currentDate().addDays(-1));
    w<QDateEdit>("dateEdit_26")->setDate(QDate::currentDate().addDays(1));
    clickButton(m_win, "toolButton_66");
    QCOMPARE(rows("tableView_46"), 2);
    auto *shifts = w<QTableView>("tableView_46");
    shifts->setFocus();
    QTest::keyClick(shifts, Qt::Key_Down);
    QTest::keyClick(shifts, Qt::Key_Down);
    QCOMPARE(shifts->currentIndex().row(), 1);
    QCOMPARE(rows("tableView_47"), 2);
    QTest::keyClick(shifts, Qt::Key_Up);
    QCOMPARE(rows("tableView_47"), 1);
}

QTEST_MAIN(TestReportsOwner)
#include "tst_reports_owner.moc"
