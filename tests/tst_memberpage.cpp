// The member page of the main window: choosing the current member, the panel
// and its totals, member deletion and the repayment of a sale's debt.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>

#include "accountbooks.h"
#include "mainwindow.h"
#include "memberwriter.h"
#include "operatorsession.h"
#include "openingimport.h"
#include "refundwriter.h"
#include "sheetreader.h"
#include "sqltext.h"
#include "testsupport.h"

namespace {
QString labelText(QWidget *w, const char *name)
{
    return widgetNamed<QLabel>(w, name)->text();
}

void addMember(const QString &id, const QString &name, const QString &phone, const QString &balance,
               const QString &birthday = QStringLiteral("1990-05-06 00:00:00"))
{
    sqlExec(QStringLiteral("insert into huiyuan(ID,name,sex,type,birthday,jiaofeijinE,shengyujine,phone,jifen,"
                           "guwenrenyuan,login_time) values('%1','%2','男','金卡','%5',500,%4,'%3',12,'E01',"
                           "'2026-01-01 10:00:00')")
                .arg(id, QString(name).replace("'", "''"), phone, balance, birthday));
}

// One sale header row (a split payment writes several rows with one ID).
void addSale(const QString &id, const QString &member, const QString &when, const QString &paid,
             const QString &method, const QString &amount, const QString &debt, const QString &points)
{
    sqlExec(QStringLiteral("insert into huiyuanxiaofei(ID,huiyuanid,xiaofeiriqi,shishoujine,fukuanfangshi,jine,"
                           "xiaofeijine,yingshoujine,qiandanjine,qiankuanjine,shengyujine,suodejifen,caozuoyuan,beizhu) "
                           "values('%1','%2','%3',%4,'%5',%4,%6,%6,0,%7,0,%8,'收银员','%9')")
                .arg(id, member, when, paid, method, amount, debt, points,
                     debt == QLatin1String("0") ? QString() : QStringLiteral("会员欠费")));
}

// The text of a row's cell under the column captioned `caption` ("" when there is none).
QString cellOf(QTableView *view, int row, const QString &caption)
{
    for (int c = 0; row >= 0 && c < view->model()->columnCount(); ++c)
        if (view->model()->headerData(c, Qt::Horizontal).toString() == caption)
            return view->model()->index(row, c).data().toString();
    return QString();
}

int selectRowWith(QTableView *view, int column, const QString &text)
{
    for (int r = 0; r < view->model()->rowCount(); ++r) {
        if (view->model()->index(r, column).data().toString() == text) {
            view->selectRow(r);
            view->setCurrentIndex(view->model()->index(r, 0));
            return r;
        }
    }
    return -1;
}
}

class tst_MemberPage : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void searchWithOneMatch();
    void searchWithSeveralMatchesOpensThePicker();
    void searchWithoutMatchKeepsTheMember();
    void walkInClearsTheLists();
    void totalsShowTheOpenDebt();
    void deletionRules();
    void repayWholeDebt();
    void repayPartOfASplitSale();
    void repaymentRefusals();
    void repaymentThatFailsWritesNothing();
    void topUpDebtRepaidOnThePanel();
    void paidInFollowsTopUpsAndRefunds();
    void openingDebtRepaidWithoutADocument();

private:
    void search(const QString &text);
    TestWorkdir *m_work = nullptr;
    MainWindow *m_main = nullptr;
};

// One main window for the whole program (building it is the slow part); every
// test starts from the same four members and no current member.
void tst_MemberPage::initTestCase()
{
    m_work = new TestWorkdir;
    operatorSession().loginName = QStringLiteral("cashier");
    operatorSession().name = QStringLiteral("收银员");
    m_main = new MainWindow;
}

void tst_MemberPage::cleanupTestCase()
{
    delete m_main;
    m_main = nullptr;
    delete m_work;
    m_work = nullptr;
}

void tst_MemberPage::init()
{
    dropTrigger("no_update", "huiyuanxiaofei");
    for (const char *table : {"huiyuan", "huiyuanxiaofei", "huiyuanjiaofei", "log"})
        sqlExec(QStringLiteral("delete from ") + QString::fromLatin1(table));
    addMember("1", "张三", "13800000001", "320.5");
    addMember("2", "张三丰", "13900000002", "0", "1985-12-31 00:00:00");
    addMember("3", "O'Brien", "13700000003", "-5");
    addMember("4", "李四", "13600000004", "0.01");
    m_main->selectMember(QStringList());
    m_main->findChild<QLineEdit *>("lineEdit_3")->clear();
}

void tst_MemberPage::search(const QString &text)
{
    m_main->findChild<QLineEdit *>("lineEdit")->setText(text);
    clickButton(m_main, "toolButton_27");
}

void tst_MemberPage::searchWithOneMatch()
{
    addSale("xf_1", "2", "2026-02-01 09:00:00", "80", "现金", "100", "20", "100");
    search("O'B");
    QCOMPARE(labelText(m_main, "label_18"), QString("3"));
    QCOMPARE(labelText(m_main, "label_15"), QString("O'Brien"));

    search("13900000002"); // by phone
    QCOMPARE(labelText(m_main, "label_18"), QString("2"));
    QCOMPARE(labelText(m_main, "label_15"), QString("张三丰"));
    QCOMPARE(labelText(m_main, "label_10"), QString("金卡"));
    QCOMPARE(labelText(m_main, "label_16"), QString("12-31"));
    QCOMPARE(labelText(m_main, "label_17"), QString("13900000002"));
    QCOMPARE(labelText(m_main, "label_12"), QString("E01"));
    // The member's own lists follow.
    auto *sales = m_main->findChild<QTableView *>("tableView");
    QCOMPARE(sales->model()->rowCount(), 1);
    QCOMPARE(sales->model()->index(0, 1).data().toString(), QString("xf_1"));
}

void tst_MemberPage::searchWithSeveralMatchesOpensThePicker()
{
    QSize pickerSize;
    QString pickerTitle;
    int listed = -1;
    onNextModal([&](QWidget *dlg) {
        pickerSize = dlg->size();
        pickerTitle = dlg->windowTitle();
        auto *view = dlg->findChild<QTableView *>("tableView");
        listed = view->model()->rowCount();
        selectRowWith(view, 0, "2");
        clickButton(dlg, "toolButton");
    });
    search("张三");
    QCOMPARE(listed, 2);
    QCOMPARE(pickerTitle, QString("会员选择"));
    QCOMPARE(pickerSize, QSize(630, 400));
    QCOMPARE(labelText(m_main, "label_18"), QString("2"));
    QCOMPARE(labelText(m_main, "label_15"), QString("张三丰"));

    // An empty search lists everybody.
    onNextModal([&](QWidget *dlg) {
        listed = dlg->findChild<QTableView *>("tableView")->model()->rowCount();
        clickButton(dlg, "toolButton_2");
    });
    search("");
    QCOMPARE(listed, 4);
    QCOMPARE(labelText(m_main, "label_18"), QString("2")); // cancelled: unchanged
}

void tst_MemberPage::searchWithoutMatchKeepsTheMember()
{
    PromptRecorder prompts;
    search("李四");
    QCOMPARE(labelText(m_main, "label_18"), QString("4"));
    search("王五");
    QCOMPARE(prompts.texts(), QStringList{"没有找到与“王五”相符的会员"});
    QCOMPARE(labelText(m_main, "label_18"), QString("4"));
    QCOMPARE(labelText(m_main, "label_15"), QString("李四"));
}

void tst_MemberPage::walkInClearsTheLists()
{
    addSale("xf_1", "1", "2026-02-01 09:00:00", "100", "现金", "100", "0", "100");
    search("13800000001");
    auto *sales = m_main->findChild<QTableView *>("tableView");
    QCOMPARE(sales->model()->rowCount(), 1);
    clickButton(m_main, "toolButton_28");
    QCOMPARE(labelText(m_main, "label_18"), QString("0000"));
    QCOMPARE(labelText(m_main, "label_15"), QString("散客"));
    // No card, birthday or balance of its own: nothing is shown rather than "00".
    QCOMPARE(labelText(m_main, "label_10"), QString());
    QCOMPARE(labelText(m_main, "label_16"), QString());
    QCOMPARE(labelText(m_main, "label_11"), QString());
    QCOMPARE(sales->model()->rowCount(), 0); // the previous member's sales do not stay
    QCOMPARE(labelText(m_main, "label_20"), QString("0.00"));
}

void tst_MemberPage::totalsShowTheOpenDebt()
{
    addSale("xf_1", "1", "2026-02-01 09:00:00", "80", "现金", "100", "20", "100");
    addSale("xf_2", "1", "2026-02-02 09:00:00", "50", "储蓄卡", "150.5", "50.5", "150");
    addSale("xf_2", "1", "2026-02-02 09:00:00", "50", "现金", "0", "0", "0");
    addSale("xf_3", "2", "2026-02-03 09:00:00", "10", "现金", "30", "20", "30");
    search("13800000001");
    QCOMPARE(labelText(m_main, "label_19"), QString("累计消费：180.00"));
    QCOMPARE(labelText(m_main, "label_13"), QString("500.00")); // the member's own 交费金额
    QCOMPARE(labelText(m_main, "label_14"), QString("12"));
    QCOMPARE(labelText(m_main, "label_20"), QString("70.50"));
    // One row per sale, with what is still open in column 9.
    auto *sales = m_main->findChild<QTableView *>("tableView");
    QCOMPARE(sales->model()->rowCount(), 2);
    QCOMPARE(sales->model()->index(1, 9).data().toString(), QString("50.5"));
}

void tst_MemberPage::deletionRules()
{
    PromptRecorder prompts;
    m_main->loadDeferredViews(); // the member list loads when first shown
    m_main->refreshByTable("huiyuan");
    auto *members = m_main->findChild<QTableView *>("tableView_9");
    QCOMPARE(members->model()->rowCount(), 4);

    members->setCurrentIndex(QModelIndex());
    clickButton(m_main, "toolButton_3");
    QCOMPARE(prompts.last(), QString("请先选择一个需要删除的会员！"));

    QVERIFY(selectRowWith(members, 0, "4") >= 0); // balance 0.01
    clickButton(m_main, "toolButton_3");
    QCOMPARE(prompts.last(), QString("会员：李四余额不为0不能删除"));
    QCOMPARE(sqlValue("select count(*) from huiyuan where ID='4'"), QString("1"));

    // The list is older than the card: the stored balance decides.
    sqlExec("update huiyuan set shengyujine=12 where ID='2'");
    QVERIFY(selectRowWith(members, 0, "2") >= 0);
    clickButton(m_main, "toolButton_3");
    QCOMPARE(prompts.last(), QString("会员：张三丰余额不为0不能删除"));

    QVERIFY(selectRowWith(members, 0, "3") >= 0); // negative balance may go
    prompts.answer("否");
    clickButton(m_main, "toolButton_3");
    QCOMPARE(prompts.last(), QString("是否真的要删除会员:O'Brien?"));
    QCOMPARE(sqlValue("select count(*) from huiyuan where ID='3'"), QString("1"));

    search("O'Brien");
    QCOMPARE(labelText(m_main, "label_18"), QString("3"));
    addSale("xf_9", "3", "2026-02-01 09:00:00", "10", "现金", "10", "0", "10");
    prompts.answer("是");
    clickButton(m_main, "toolButton_3");
    QCOMPARE(sqlValue("select count(*) from huiyuan where ID='3'"), QString("0"));
    QCOMPARE(sqlValue("select count(*) from huiyuanxiaofei where huiyuanid='3'"), QString("1"));
    QCOMPARE(sqlValue("select log from log order by rowid desc limit 1"), QString("删除会员  编号：3  名称：O'Brien"));
    QCOMPARE(members->model()->rowCount(), 3);
    QCOMPARE(labelText(m_main, "label_18"), QString()); // no longer the current member
}

void tst_MemberPage::repayWholeDebt()
{
    addSale("xf_1", "1", "2026-02-01 09:00:00", "80", "现金", "100", "20", "100");
    search("13800000001");
    QCOMPARE(labelText(m_main, "label_20"), QString("20.00"));
    auto *sales = m_main->findChild<QTableView *>("tableView");
    QVERIFY(selectRowWith(sales, 1, "xf_1") >= 0);
    QString due;
    onNextModal([&](QWidget *dlg) {
        due = dlg->findChild<QLabel *>("label_4")->text();
        dlg->findChild<QLineEdit *>("lineEdit")->setText("20");
        clickButton(dlg, "toolButton_3");
    });
    clickButton(m_main, "toolButton_14");
    QCOMPARE(due, QString("20"));

    const auto rows = sqlRows("select shishoujine,fukuanfangshi,jine,xiaofeijine,qiankuanjine,beizhu,caozuoyuan "
                              "from huiyuanxiaofei where ID='xf_1' order by xiaofeiriqi");
    QCOMPARE(rows.size(), 2);
    // The sale keeps what was paid at the counter; only its debt is settled.
    QCOMPARE(rows.at(0), QStringList({"80", "现金", "80", "100", "0", "会员还款", "收银员"}));
    QCOMPARE(rows.at(1).mid(0, 6), QStringList({"20", "现金", "20", "0", "0", "会员还款"}));
    QCOMPARE(sqlValue("select huiyuanid from huiyuanxiaofei where ID='xf_1' and xiaofeijine=0 order by rowid"), QString("1"));
    QCOMPARE(sqlValue("select ROUND(sum(shishoujine),3) from huiyuanxiaofei where ID='xf_1'"), QString("100"));
    QCOMPARE(sqlValue("select count(*) from log where log like '会员还款%'"), QString("1"));
    // The panel follows at once.
    QCOMPARE(labelText(m_main, "label_20"), QString("0.00"));
    QCOMPARE(sales->model()->index(0, 9).data().toString(), QString("0"));
}

void tst_MemberPage::repayPartOfASplitSale()
{
    PromptRecorder prompts;
    addSale("xf_2", "1", "2026-02-02 09:00:00", "40", "储蓄卡", "100", "30", "100");
    sqlExec("insert into huiyuanxiaofei(ID,huiyuanid,xiaofeiriqi,shishoujine,fukuanfangshi,jine,xiaofeijine,"
            "yingshoujine,qiandanjine,qiankuanjine,shengyujine,suodejifen,caozuoyuan,beizhu) "
            "values('xf_2','1','2026-02-02 09:00:00',30,'现金',30,0,0,0,0,0,0,'收银员','')");
    search("13800000001");
    auto *sales = m_main->findChild<QTableView *>("tableView");
    QVERIFY(selectRowWith(sales, 1, "xf_2") >= 0);
    prompts.answer("是");
    onNextModal([&](QWidget *dlg) {
        dlg->findChild<QLineEdit *>("lineEdit")->setText("10");
        clickButton(dlg, "toolButton_3");
    });
    clickButton(m_main, "toolButton_14");
    QCOMPARE(prompts.last(), QString("欠款金额为：20 是否允许欠款?"));
    QCOMPARE(sqlValue("select ROUND(sum(qiankuanjine),3) from huiyuanxiaofei where ID='xf_2'"), QString("20"));
    QCOMPARE(sqlValue("select count(*) from huiyuanxiaofei where ID='xf_2'"), QString("3"));
    QCOMPARE(sqlValue("select shishoujine from huiyuanxiaofei where ID='xf_2' and fukuanfangshi='储蓄卡' order by rowid"), QString("40"));
    QCOMPARE(labelText(m_main, "label_20"), QString("20.00"));
}

void tst_MemberPage::repaymentRefusals()
{
    PromptRecorder prompts;
    addSale("xf_1", "1", "2026-02-01 09:00:00", "100", "现金", "100", "0", "100");
    clickButton(m_main, "toolButton_14");
    QCOMPARE(prompts.last(), QString("请选择一个会员！"));

    search("13800000001");
    auto *sales = m_main->findChild<QTableView *>("tableView");
    QVERIFY(selectRowWith(sales, 1, "xf_1") >= 0);
    clickButton(m_main, "toolButton_14");
    QCOMPARE(prompts.last(), QString("请选择欠费金额大于0的订单"));

    // A reply for a sale whose debt is already smaller than the amount is refused.
    addSale("xf_3", "1", "2026-02-03 09:00:00", "90", "现金", "100", "10", "100");
    m_main->DlgRecv("收款", QStringList({"15", "0", "现金", "xf_3", "2026-02-03 09:00:00"}));
    QCOMPARE(prompts.last(), QString("还款金额大于该单欠款金额，本次还款未保存"));
    m_main->DlgRecv("收款", QStringList({"0", "10", "现金", "xf_3", "2026-02-03 09:00:00"}));
    QCOMPARE(prompts.last(), QString("还款金额必须大于0，本次还款未保存"));
    QCOMPARE(sqlValue("select count(*) from huiyuanxiaofei where ID='xf_3'"), QString("1"));
    QCOMPARE(sqlValue("select qiankuanjine from huiyuanxiaofei where ID='xf_3' order by rowid"), QString("10"));
}

void tst_MemberPage::repaymentThatFailsWritesNothing()
{
    PromptRecorder prompts;
    addSale("xf_1", "1", "2026-02-01 09:00:00", "80", "现金", "100", "20", "100");
    search("13800000001");
    refuseRows("no_update", "BEFORE UPDATE", "huiyuanxiaofei", "locked");
    m_main->DlgRecv("收款", QStringList({"20", "0", "微信", "xf_1", "2026-02-01 09:00:00"}));
    QVERIFY2(prompts.last().startsWith(QString("还款保存失败，本次还款未保存")), qPrintable(prompts.last()));
    QCOMPARE(sqlValue("select count(*) from huiyuanxiaofei where ID='xf_1'"), QString("1"));
    QCOMPARE(sqlValue("select qiankuanjine from huiyuanxiaofei where ID='xf_1' order by rowid"), QString("20"));
    QCOMPARE(sqlValue("select count(*) from log where log like '会员还款%'"), QString("0"));
}

// A top-up's debt is on the panel like a sale's and is repaid from the payment
// list. When the desk's repayment is refused (another desk repaid part of it
// meanwhile), the payment dialog stays open with the amount typed.
void tst_MemberPage::topUpDebtRepaidOnThePanel()
{
    PromptRecorder prompts;
    TopUp t;
    t.memberId = QStringLiteral("1");
    t.paidInCents = 10000;
    t.receivedCents = 8000;
    t.method = QStringLiteral("现金");
    t.operatorName = QStringLiteral("cashier");
    const LedgerResult top = MemberWriter::topUp(t);
    QVERIFY2(top.ok, qPrintable(top.error));
    search("13800000001");
    QCOMPARE(labelText(m_main, "label_20"), QString("20.00"));

    m_main->show();
    auto *tabs = m_main->findChild<QTabWidget *>("tabWidget_2");
    QWidget *shownBefore = tabs->currentWidget();
    tabs->setCurrentWidget(m_main->findChild<QWidget *>("tab_jiaofei"));
    auto *payments = m_main->findChild<QTableView *>("tableView_3");
    QVERIFY(selectRowWith(payments, 0, top.documentId) >= 0);
    QString due, firstTold, kept;
    bool stayed = false;
    onNextModal([&](QWidget *dlg) {
        due = dlg->findChild<QLabel *>("label_4")->text();
        Repayment elsewhere;
        elsewhere.documentId = top.documentId;
        elsewhere.cents = 1500;
        elsewhere.method = QStringLiteral("微信");
        elsewhere.operatorName = QStringLiteral("desk2");
        QVERIFY(MemberWriter::repay(elsewhere).ok);
        dlg->findChild<QLineEdit *>("lineEdit")->setText("20");
        clickButton(dlg, "toolButton_3");
        firstTold = prompts.last();
        stayed = dlg->isVisible();
        kept = dlg->findChild<QLineEdit *>("lineEdit")->text();
        dlg->findChild<QLineEdit *>("lineEdit")->setText("5");
        clickButton(dlg, "toolButton_3");
    });
    clickButton(m_main, "toolButton_14");
    tabs->setCurrentWidget(shownBefore);
    m_main->hide();
    QCOMPARE(due, QString("20"));
    QCOMPARE(firstTold, QString("还款金额大于该单欠款金额，本次还款未保存"));
    QVERIFY(stayed);
    QCOMPARE(kept, QString("20"));
    QCOMPARE(sqlRows("select jiaofeileixing,shifujine,qiankuanjine from huiyuanjiaofei where ID='" + top.documentId
                     + "' order by rowid"),
             (QList<QStringList>{{"会员充值", "80", "0"}, {"会员还款", "15", "0"}, {"会员还款", "5", "0"}}));
    QCOMPARE(labelText(m_main, "label_20"), QString("0.00"));
}

// 交费金额 on the panel is what the member paid for the card and onto it: a
// top-up through its window moves it at once, a stored-value refund takes back
// what was handed back, a sale does not touch it.
void tst_MemberPage::paidInFollowsTopUpsAndRefunds()
{
    PromptRecorder prompts;
    sqlExec("update \"user\" set password='x', xitongshezhi='是' where name='admin'");
    search("13800000001");
    QCOMPARE(labelText(m_main, "label_13"), QString("500.00"));
    onNextModal([](QWidget *dlg) {
        dlg->findChild<QLineEdit *>("lineEdit")->setText("100");
        dlg->findChild<QLineEdit *>("lineEdit_2")->setText("20");
        clickButton(dlg, "toolButton");
    });
    clickButton(m_main, "toolButton_15");
    QCOMPARE(labelText(m_main, "label_11"), QString("440.50"));
    QCOMPARE(labelText(m_main, "label_13"), QString("600.00"));
    addSale("xf_9", "1", "2026-02-01 09:00:00", "80", "现金", "80", "0", "80");
    const LedgerResult back = RefundWriter::refundBalance(BalanceRefund{"1", 5000, 3000, QStringLiteral("现金"),
                                                                        QStringLiteral("搬家"), QStringLiteral("cashier"),
                                                                        QStringLiteral("admin")});
    QVERIFY2(back.ok, qPrintable(back.error));
    search("13800000001");
    QCOMPARE(labelText(m_main, "label_13"), QString("570.00"));
    QCOMPARE(BalanceBook::paidInCents("1"), qint64(57000));
    QCOMPARE(BalanceBook::paidInCents("2"), qint64(50000));

    // The picker and the member list say 交费金额 too: the same figure.
    QString picked;
    onNextModal([&](QWidget *dlg) {
        auto *view = dlg->findChild<QTableView *>("tableView");
        picked = cellOf(view, selectRowWith(view, 0, "1"), "交费金额");
        clickButton(dlg, "toolButton_2");
    });
    search("张三");
    QCOMPARE(parseNumber(picked), 570.0);
    QVERIFY(m_main->navigateTo("会员管理"));
    auto *members = m_main->findChild<QTableView *>("tableView_9");
    QCOMPARE(parseNumber(cellOf(members, selectRowWith(members, 0, "1"), "交费金额")), 570.0);
    QCOMPARE(parseNumber(cellOf(members, selectRowWith(members, 0, "2"), "交费金额")), 500.0);
    QVERIFY(m_main->navigateTo("前台收银"));
}

// A debt brought along by the opening import sits in no list: 还款 with no
// document chosen repays it.
void tst_MemberPage::openingDebtRepaidWithoutADocument()
{
    PromptRecorder prompts;
    const Sheet sheet = SheetReader::readCsv(QByteArray("会员卡号,姓名,电话,会员卡类型,欠款\r\n9,期初,13500000009,金卡,49.50\r\n"));
    sqlExec("insert into huiyuanka(name,kaneijine,jiage,fuwuzekou,chanpinzekou,taocanzekou,beizhu) "
            "select '金卡',0,0,1,1,1,'' where not exists (select 1 from huiyuanka where name='金卡')");
    OpeningImport im = OpeningImportWriter::fromSheet(ImportKind::Members, sheet,
                                                      OpeningImportFields::guess(ImportKind::Members, sheet.header));
    im.operatorName = QStringLiteral("admin");
    QVERIFY(OpeningImportWriter::write(im).ok);
    search("13500000009");
    QCOMPARE(labelText(m_main, "label_20"), QString("49.50"));
    QString due;
    onNextModal([&](QWidget *dlg) {
        due = dlg->findChild<QLabel *>("label_4")->text();
        dlg->findChild<QLineEdit *>("lineEdit")->setText("30");
        clickButton(dlg, "toolButton_3");
    });
    prompts.answer("是"); // the rest stays owed
    clickButton(m_main, "toolButton_14");
    QCOMPARE(prompts.texts(), QStringList{"欠款金额为：19.5 是否允许欠款?"});
    QCOMPARE(due, QString("49.5"));
    QCOMPARE(labelText(m_main, "label_20"), QString("19.50"));
    QCOMPARE(sqlValue("select CAST(shifujine*100 AS INTEGER)||'|'||jiaofeileixing from huiyuanjiaofei where huiyuanid='9' order by rowid"), QString("3000|会员还款"));
    QCOMPARE(DebtBook::memberDebt("9"), qint64(1950));
    sqlExec("delete from qichudaorumingxi");
    sqlExec("delete from qichudaoru");
}

QTEST_MAIN(tst_MemberPage)
#include "tst_memberpage.moc"
