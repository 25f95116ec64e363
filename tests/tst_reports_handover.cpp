#include <QtTest>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QStandardItemModel>
#include <QTableView>

#include "enginedriver.h"
#include "ctrluiclass.h"
#include "jiaobandlg.h"
#include "amounts.h"
#include "handoverwriter.h"
#include "ledgersql.h"
#include "salewriter.h"
#include "shopconnection.h"
#include "logdlg.h"
#include "operatorsession.h"
#include "reportquery.h"
#include "takingstree.h"
#include "testsupport.h"

// Takings per payment method, the cash-register detail and the shift handover.
class TestReportsHandover : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void takingsTree();
    void takingsTreeEmptyPeriod();
    void cashDetailListsRecordsTakenLater();
    void handover();
    void handoverCancelledAtLogin();
    void handoverFailureWritesNothing();
    void eachDeskHandsOverItsOwnShift();

private:
    void pay(const QString &id, const QString &when, double amount, const QString &method);
    void sale(const QString &id, const QString &when, double amount, const QString &method);
    // caption -> amount, and "caption/method" -> amount for the children
    QMap<QString, QString> treeOf(QStandardItemModel *model);
    void loginAs(QWidget *dialog, const QString &name, const QString &password);

    TestWorkdir *m_dir = nullptr;
    QString m_today;
};

void TestReportsHandover::init()
{
    m_dir = new TestWorkdir;
    m_today = QDate::currentDate().toString("yyyy-MM-dd");
    operatorSession() = OperatorSession();
    operatorSession().loginName = "admin";
    sqlExec("insert into \"user\"(name,password,jinyong) values('小红','" + encodePassword("1") + "','否')");
}

void TestReportsHandover::cleanup()
{
    delete m_dir;
}

void TestReportsHandover::pay(const QString &id, const QString &when, double amount, const QString &method)
{
    sqlExec(QString("insert into huiyuanjiaofei(ID,huiyuanid,jiaofeiriqi,jiaofeileixing,shifujine,fukuanleixing,"
                    "caozuoyuan) values('%1','1001','%2','会员充值',%3,'%4','admin')")
                .arg(id, when).arg(amount).arg(method));
}

void TestReportsHandover::sale(const QString &id, const QString &when, double amount, const QString &method)
{
    sqlExec(QString("insert into huiyuanxiaofei(ID,huiyuanid,xiaofeiriqi,shishoujine,fukuanfangshi,jine,xiaofeijine,"
                    "caozuoyuan) values('%1','1001','%2',%3,'%4',%3,%3,'admin')")
                .arg(id, when).arg(amount).arg(method));
}

QMap<QString, QString> TestReportsHandover::treeOf(QStandardItemModel *model)
{
    QMap<QString, QString> out;
    for (int r = 0; r < model->rowCount(); ++r) {
        const QString caption = model->item(r, 0)->text();
        out.insert(caption, model->item(r, 1)->text());
        QStandardItem *parent = model->item(r, 0);
        for (int c = 0; c < parent->rowCount(); ++c)
            out.insert(caption + "/" + parent->child(c, 0)->text(), parent->child(c, 1)->text());
    }
    return out;
}

void TestReportsHandover::loginAs(QWidget *dialog, const QString &name, const QString &password)
{
    auto *box = dialog->findChild<QComboBox *>("comboBox");
    auto *edit = dialog->findChild<QLineEdit *>("lineEdit");
    QVERIFY(box && edit);
    box->setCurrentIndex(box->findText(name));
    edit->setText(password);
    clickButton(dialog, "toolButton_3");
}

// A card payment ("储蓄卡") is counted in the consumption total and in the grand
// total, and as virtual income only.
void TestReportsHandover::takingsTree()
{
    pay("CZ1", m_today + " 09:00:00", 100, "现金");
    pay("BK1", m_today + " 10:00:00", 300, "微信");
    sale("xf1", m_today + " 11:00:00", 50, "现金");
    sale("xf2", m_today + " 12:00:00", 80, "储蓄卡");
    sale("xf2", m_today + " 12:00:00", 20.5, "微信");
    sale("xf_old", "2001-01-01 10:00:00", 999, "现金");
    pay("CZ_old", "2001-01-01 10:00:00", 999, "储蓄卡");

    QStandardItemModel model;
    TakingsTree::build(&model, TakingsRead::period(m_today, m_today + " 23:59:59"));
    QCOMPARE(model.rowCount(), 5);
    QCOMPARE(model.horizontalHeaderItem(0)->text(), QString("项目"));
    QCOMPARE(model.horizontalHeaderItem(1)->text(), QString("金额"));
    QStringList captions;
    for (int r = 0; r < 5; ++r)
        captions << model.item(r, 0)->text();
    QCOMPARE(captions, QStringList({"充值交费合计", "消费收银合计", "收银总计", "实际收入", "虚拟收入"}));
    const QMap<QString, QString> expected = {
        {"充值交费合计", "400"}, {"充值交费合计/现金", "100"}, {"充值交费合计/微信", "300"},
        {"消费收银合计", "150.5"}, {"消费收银合计/现金", "50"}, {"消费收银合计/储蓄卡", "80"},
        {"消费收银合计/微信", "20.5"},
        {"收银总计", "550.5"}, {"收银总计/现金", "150"}, {"收银总计/微信", "320.5"}, {"收银总计/储蓄卡", "80"},
        {"实际收入", "470.5"}, {"虚拟收入", "80"},
    };
    QCOMPARE(treeOf(&model), expected);
}

void TestReportsHandover::takingsTreeEmptyPeriod()
{
    sale("xf_old", "2001-01-01 10:00:00", 999, "现金");
    QStandardItemModel model;
    TakingsTree::build(&model, TakingsRead::period(m_today, m_today + " 23:59:59"));
    const QMap<QString, QString> expected = {
        {"充值交费合计", "0"}, {"消费收银合计", "0"}, {"收银总计", "0"}, {"实际收入", "0"}, {"虚拟收入", "0"},
    };
    QCOMPARE(treeOf(&model), expected);
}

// The detail is filled for the period each time it is asked for: a payment taken
// after the first fill is listed by the next query, and the method filter holds.
void TestReportsHandover::cashDetailListsRecordsTakenLater()
{
    pay("CZ1", m_today + " 09:00:00", 100, "现金");
    sale("xf1", m_today + " 11:00:00", 50, "储蓄卡");
    sale("xf_old", "2001-01-01 10:00:00", 999, "现金");
    ctrlUiClass ctrl;
    QTableView view;
    ctrl.setupView(readDbset(), &view, "收银明细查询");
    QVERIFY(ReportQuery::fillCashDetail(m_today, m_today));
    ctrl.refreshView("收银明细查询", ReportQuery::cashDetail(m_today, m_today, "所有"));
    QCOMPARE(ctrl.viewRowCount("收银明细查询"), 2);
    QCOMPARE(ctrl.rowValues("收银明细查询", 0).mid(0, 5),
             QStringList({"CZ1", m_today + " 09:00:00", "客户交费", "现金", "100"}));
    QCOMPARE(ctrl.rowValues("收银明细查询", 1).value(2), QString("客户消费"));

    pay("CZ2", ctrlUiClass::nowText(), 30, "支付宝");
    QVERIFY(ReportQuery::fillCashDetail(m_today, m_today));
    ctrl.refreshView("收银明细查询", ReportQuery::cashDetail(m_today, m_today, "所有"));
    QCOMPARE(ctrl.viewRowCount("收银明细查询"), 3);
    ctrl.refreshView("收银明细查询", ReportQuery::cashDetail(m_today, m_today, "支付宝"));
    QCOMPARE(ctrl.viewRowCount("收银明细查询"), 1);
    QCOMPARE(ctrl.rowValues("收银明细查询", 0).value(0), QString("CZ2"));
    // an old period only holds the old record
    QVERIFY(ReportQuery::fillCashDetail("2001-01-01", "2001-01-01"));
    ctrl.refreshView("收银明细查询", ReportQuery::cashDetail("2001-01-01", "2001-01-01", "所有"));
    QCOMPARE(ctrl.viewRowCount("收银明细查询"), 1);
    QCOMPARE(sqlValue("select count(*) from tempshouyinmingxi"), QString("1"));
}

// The shift runs from the newest successful login to now; the handover is written
// after the next operator logged in: the shift row, its detail lines and "交班".
void TestReportsHandover::handover()
{
    PromptRecorder prompts;
    const QDateTime loginAt = QDateTime::currentDateTime().addSecs(-3600);
    const QString loginText = loginAt.toString("yyyy-MM-dd hh:mm:ss");
    const QString before = loginAt.addSecs(-60).toString("yyyy-MM-dd hh:mm:ss");
    const QString during = loginAt.addSecs(60).toString("yyyy-MM-dd hh:mm:ss");
    sqlExec("insert into log(time,\"user\",log) values('" + loginAt.addDays(-1).toString("yyyy-MM-dd hh:mm:ss")
            + "','admin','系统登录成功')");
    sqlExec("insert into log(time,\"user\",log) values('" + loginText + "','admin','系统登录成功')");
    pay("CZ_before", before, 1000, "现金");
    pay("CZ1", during, 200, "现金");
    sale("xf1", during, 50, "微信");
    sale("xf2", during, 30, "储蓄卡");

    auto *dlg = new jiaobanDlg;
    QCOMPARE(dlg->startText(), loginText);
    const QDateTime end = QDateTime::fromString(dlg->endText(), "yyyy-MM-dd hh:mm:ss");
    QVERIFY(qAbs(end.secsTo(QDateTime::currentDateTime())) <= 2); // now, not a minute ahead
    QMap<QString, QString> tree = treeOf(dlg->treeModel());
    QCOMPARE(tree.value("收银总计"), QString("280"));
    QCOMPARE(tree.value("实际收入"), QString("250"));
    QCOMPARE(tree.value("虚拟收入"), QString("30"));
    QCOMPARE(tree.value("充值交费合计/现金"), QString("200"));
    // nothing is recorded before the handover
    QCOMPARE(sqlValue("select count(*) from jiaoban"), QString("0"));

    // The counted cash must be money: anything else is refused before the login.
    auto *cash = dlg->findChild<QLineEdit *>("lineEdit_cash");
    QVERIFY(cash);
    for (const char *bad : {"abc", "-5", "190.555", "1e308", "nan"}) {
        cash->setText(bad);
        clickButton(dlg, "toolButton_84");
        QVERIFY(prompts.last().startsWith("实点现金请填写金额"));
        QCOMPARE(operatorSession().loginName, QString("admin"));
    }
    cash->setText("190");
    QCOMPARE(dlg->findChild<QLabel *>("label_cashDifference")->text(), QString("差额：-10.00（短款）"));

    onNextModal([this](QWidget *login) { loginAs(login, "小红", "1"); });
    clickButton(dlg, "toolButton_84");

    QCOMPARE(operatorSession().loginName, QString("小红"));
    const auto shift = sqlRows("select jiaobanID,\"user\",starttime,endtime,shijishouru,xunishouru from jiaoban");
    QCOMPARE(shift.size(), 1);
    QVERIFY(shift[0][0].startsWith("jb"));
    QCOMPARE(shift[0][0].size(), 19);
    QCOMPARE(shift[0].mid(1), QStringList({"admin", loginText, dlg->endText(), "250", "30"}));
    const auto lines = sqlRows("select jiaobanID,\"user\",fukuanfangshi,jine from jiaobanmingxi order by rowid");
    QStringList texts;
    for (const QStringList &l : lines) {
        QCOMPARE(l[0], shift[0][0]);
        QCOMPARE(l[1], QString("admin"));
        texts << l[2] + "=" + l[3];
    }
    QCOMPARE(texts, QStringList({"充值交费合计=200", "现金=200", "消费收银合计=80", "储蓄卡=30", "微信=50",
                                 "收银合计=280", "储蓄卡=30", "微信=50", "现金=200", "实际收入=250",
                                 "虚拟收入=30", "实点现金=190", "现金差额=-10"}));
    ctrlUiClass history;
    QTableView historyView;
    history.setupView(readDbset(), &historyView, "交班查询");
    // The shift history shows the count and the difference beside the takings, and the desk.
    QCOMPARE(history.rowValues("交班查询", 0).mid(4), QStringList({"250", "30", "190", "-10", LedgerSql::desk()}));
    QCOMPARE(sqlValue("select count(*) from log where log='交班' and \"user\"='admin'"), QString("1"));
    QVERIFY(prompts.last().contains("交班成功"));
    QCOMPARE(dlg->result(), int(QDialog::Accepted));
    delete dlg;

    // Closing clears the working rows: the next handover copies only its own.
    QCOMPARE(sqlValue("select count(*) from tempjiaoban"), QString("0"));
    QCOMPARE(sqlValue("select count(*) from tempjiaobanmingxi"), QString("0"));
    QVERIFY(!EngineDriver::current().hasTable("tongji"));
    // The next shift starts the second after the handover: a sale of the handover's
    // own second was counted in the shift handed over, never again.
    const QString handedOverAt = shift[0][3];
    sale("xf_edge", handedOverAt, 7, "现金");
    dlg = new jiaobanDlg;
    QCOMPARE(dlg->startText(),
             QDateTime::fromString(handedOverAt, "yyyy-MM-dd hh:mm:ss").addSecs(1).toString("yyyy-MM-dd hh:mm:ss"));
    QVERIFY(!treeOf(dlg->treeModel()).contains("收银总计/现金"));
    sqlExec("update \"user\" set password='" + encodePassword("admin864") + "' where name='admin'");
    onNextModal([this](QWidget *login) { loginAs(login, "admin", "admin864"); });
    clickButton(dlg, "toolButton_84");
    delete dlg;
    QCOMPARE(sqlValue("select count(*) from jiaoban"), QString("2"));
    QCOMPARE(sqlValue("select count(distinct jiaobanID) from jiaobanmingxi"), QString("2"));
    QCOMPARE(sqlValue("select \"user\" from jiaoban order by rowid desc limit 1"), QString("小红"));
}

// Leaving the login without logging in hands nothing over.
void TestReportsHandover::handoverCancelledAtLogin()
{
    PromptRecorder prompts;
    sale("xf1", ctrlUiClass::nowText(), 50, "现金");
    auto *dlg = new jiaobanDlg;
    onNextModal([](QWidget *login) { clickButton(login, "toolButton_4"); });
    clickButton(dlg, "toolButton_84");
    QCOMPARE(operatorSession().loginName, QString("admin"));
    QCOMPARE(sqlValue("select count(*) from jiaoban"), QString("0"));
    QCOMPARE(sqlValue("select count(*) from jiaobanmingxi"), QString("0"));
    QCOMPARE(sqlValue("select count(*) from log where log='交班'"), QString("0"));
    QVERIFY(dlg->result() != QDialog::Accepted);
    // a wrong password keeps the login open; leaving it then still writes nothing
    onNextModal([this](QWidget *login) {
        loginAs(login, "小红", "wrong");
        clickButton(login, "toolButton_4");
    });
    clickButton(dlg, "toolButton_84");
    QCOMPARE(sqlValue("select count(*) from jiaoban"), QString("0"));
    QCOMPARE(prompts.texts(), QStringList({"你输入的密码错误!请输入正确的密码"}));
    delete dlg;
}

// When a statement of the handover fails, none of its rows and no "交班" entry stay.
void TestReportsHandover::handoverFailureWritesNothing()
{
    PromptRecorder prompts;
    sale("xf1", ctrlUiClass::nowText(), 50, "现金");
    auto *dlg = new jiaobanDlg;
    refuseRows("full_disk", "BEFORE INSERT", "jiaoban", "database or disk is full");
    onNextModal([this](QWidget *login) { loginAs(login, "小红", "1"); });
    clickButton(dlg, "toolButton_84");
    QCOMPARE(prompts.last(), QString("交班记录保存失败，本次操作未保存\n原因：磁盘空间已满，请清理磁盘后再试。"));
    QCOMPARE(sqlValue("select count(*) from jiaobanmingxi"), QString("0"));
    QCOMPARE(sqlValue("select count(*) from log where log='交班'"), QString("0"));
    QVERIFY(dlg->result() != QDialog::Accepted);
    delete dlg;
}

namespace {

void atDesk(const QString &name)
{
    ShopConnection c = currentShopConnection();
    c.desk = name;
    setCurrentShopConnection(c);
}

// A walk-in sale of one line through the sale writer, as a desk rings it up.
QString walkInSale(qint64 cents, const QString &method)
{
    static int serial = 0;
    Sale s;
    s.memberId = QString::fromUtf8(kWalkInId);
    s.operatorName = "admin";
    s.lineMethod = method;
    SaleLine l;
    l.key = QString("k%1").arg(++serial);
    l.type = "服务项目";
    l.itemId = "S01";
    l.name = "洗剪吹";
    l.listCents = l.unitCents = l.amountCents = cents;
    l.quantity = 1;
    l.enteredBy = "admin";
    s.lines << l;
    s.payments << PaymentPart{method, cents};
    const LedgerResult r = SaleWriter::commit(s);
    return r.ok ? r.documentId : r.error;
}

} // namespace

// Two desks on one shop: 小王 takes 80 cash at 前台1, 小李 100 by WeChat at
// 前台2. Each desk's handover counts its own takings only, and one desk's
// handover does not end the other's shift.
void TestReportsHandover::eachDeskHandsOverItsOwnShift()
{
    PromptRecorder prompts;
    // A handover of an older program, without a desk, ended every desk's shift.
    sqlExec("insert into jiaoban(jiaobanID,\"user\",starttime,endtime,shijishouru,xunishouru) values('jb_old','admin',"
            "'2001-01-01 08:00:00','2001-01-01 10:00:00',0,0)");
    QCOMPARE(HandoverWriter::shiftStart("前台9"), QString("2001-01-01 10:00:01"));

    atDesk("前台1");
    const QString first = walkInSale(8000, "现金");
    atDesk("前台2");
    const QString second = walkInSale(10000, "微信");
    QCOMPARE(sqlValue("select shouyintai from huiyuanxiaofei where ID='" + first + "'"), QString("前台1"));
    QCOMPARE(sqlValue("select shouyintai from danjuhao where ID='" + second + "'"), QString("前台2"));

    atDesk("前台1");
    auto *dlg = new jiaobanDlg;
    QCOMPARE(dlg->findChild<QLabel *>("label_desk")->text(), QString("收银台：前台1"));
    QCOMPARE(dlg->findChild<QLabel *>("label_cashTakings")->text(), QString("现金收入：80.00"));
    QCOMPARE(treeOf(dlg->treeModel()).value("收银总计"), QString("80"));
    onNextModal([this](QWidget *login) { loginAs(login, "小红", "1"); });
    clickButton(dlg, "toolButton_84");
    QVERIFY(prompts.last().contains("交班成功"));
    delete dlg;
    QCOMPARE(sqlRows("select shouyintai,shijishouru,xunishouru from jiaoban where jiaobanID<>'jb_old'"),
             (QList<QStringList>{{"前台1", "80", "0"}}));
    const QString handedOver = sqlValue("select endtime from jiaoban where shouyintai='前台1'");
    // The number is registered like every other document.
    QCOMPARE(sqlValue("select d.shouyintai from danjuhao d join jiaoban j on j.jiaobanID=d.ID"), QString("前台1"));

    atDesk("前台2");
    dlg = new jiaobanDlg;
    QVERIFY2(dlg->startText() <= sqlValue("select xiaofeiriqi from huiyuanxiaofei where ID='" + second + "'"),
             qPrintable(dlg->startText()));
    QMap<QString, QString> tree = treeOf(dlg->treeModel());
    QCOMPARE(tree.value("收银总计"), QString("100"));
    QVERIFY(!tree.contains("收银总计/现金"));
    QCOMPARE(dlg->findChild<QLabel *>("label_cashTakings")->text(), QString("现金收入：0.00"));
    onNextModal([this](QWidget *login) { loginAs(login, "admin", "admin"); });
    sqlExec("update \"user\" set password='" + encodePassword("admin") + "' where name='admin'");
    clickButton(dlg, "toolButton_84");
    delete dlg;
    QCOMPARE(sqlValue("select shijishouru from jiaoban where shouyintai='前台2'"), QString("100"));
    // The two handovers together are the shop's takings, none counted twice.
    const QString day = handedOver.left(10);
    QCOMPARE(sqlValue("select sum(shijishouru+xunishouru) from jiaoban"),
             centsText(TakingsRead::period(day, day + " 23:59:59").totalCents()));

    // A desk's next shift starts after its own handover, and a start inside
    // the shift already handed over is refused.
    atDesk("前台1");
    QCOMPARE(HandoverWriter::shiftStart("前台1"),
             QDateTime::fromString(handedOver, "yyyy-MM-dd hh:mm:ss").addSecs(1).toString("yyyy-MM-dd hh:mm:ss"));
    Handover again;
    again.desk = "前台1";
    again.operatorName = "小红";
    again.from = handedOver;
    again.to = LedgerSql::now();
    const LedgerResult overlap = HandoverWriter::write(again);
    QVERIFY(!overlap.ok);
    QVERIFY2(overlap.error.startsWith("开始时间早于本收银台上次交班的结束时间"), qPrintable(overlap.error));
    QCOMPARE(sqlValue("select count(*) from jiaoban"), QString("3"));
    atDesk(QString());
}

QTEST_MAIN(TestReportsHandover)
#include "tst_reports_handover.moc"
