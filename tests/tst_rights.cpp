// A cashier without the settings right, at every door a keyboard or a mouse
// reaches: nothing opens, nothing is written. The supervisor box and the
// writers that move money back out refuse a default or blank password.
#include <QAbstractButton>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QTableView>
#include <QtTest>

#include "addxiaofeidlg.h"
#include "adduserdlg.h"
#include "dbrecords.h"
#include "heldbills.h"
#include "logdlg.h"
#include "mainwindow.h"
#include "operatorpasswords.h"
#include "operatorsession.h"
#include "passwordhash.h"
#include "receiptsettings.h"
#include "refundwriter.h"
#include "salewriter.h"
#include "shouquandlg.h"
#include "stockwriter.h"
#include "testsupport.h"

namespace {

const QString kNoRight = QStringLiteral("你的权限不够，请使用管理员权限登录");

void loginAs(const QString &name)
{
    operatorSession() = OperatorSession();
    operatorSession().loginName = operatorSession().name = name;
    operatorSession().xitongshezhi = sqlValue("select xitongshezhi from \"user\" where name='" + name + "'");
}

// Clicks the button; the class of the modal dialog it opened (closed again at
// once), empty when none opened.
QString dialogOpenedBy(QWidget *root, const QString &button)
{
    QString opened;
    onNextModal(
        [&opened](QWidget *d) {
            opened = QString::fromLatin1(d->metaObject()->className());
            if (auto *dlg = qobject_cast<QDialog *>(d))
                dlg->reject();
        },
        150);
    clickButton(root, button);
    QTest::qWait(200);
    return opened;
}

void selectFirstRow(QWidget *w, const QString &view)
{
    auto *table = w->findChild<QTableView *>(view);
    QVERIFY2(table && table->model() && table->model()->rowCount() > 0, qPrintable(view));
    table->setCurrentIndex(table->model()->index(0, 0));
}

// Everything a refused action might have touched, in one text.
QString shopState()
{
    QStringList parts;
    for (const char *sql : {"select count(*) from \"user\"", "select group_concat(xitongshezhi) from \"user\"",
                            "select count(*) from huiyuanka", "select count(*) from fuwuxiangmu",
                            "select count(*) from chanpin", "select count(*) from taocanmingxi",
                            "select count(*) from yuangong", "select count(*) from chanpinrukumingxi",
                            "select count(*) from guadan", "select count(*) from dianpushezhi",
                            "select count(*) from huiyuanjiaofei", "select count(*) from log"})
        parts << sqlValue(QString::fromLatin1(sql));
    return parts.join(QLatin1Char('|'));
}

void seedSettingsRows()
{
    sqlExec("insert into \"user\"(name,password,zuidizekou,qiandanjine,xiugaixiaoshoudanjia,xiugaibankajiage,tupodijia,"
            "xiugaitaocanxiaofeicishu,xitongshezhi,jinyong) values('小王','" + PasswordHash::legacyForm("wang-2026")
            + "',0,0,'是','是','是','是','否','否')");
    sqlExec("update \"user\" set password='" + PasswordHash::legacyForm("boss-2026") + "' where name='admin'");
    sqlExec("insert into huiyuanka(name,jiage) values('金卡',100)");
    sqlExec("insert into fuwuxiangmu(ID,name) values('S01','洗剪吹')");
    sqlExec("insert into chanpin(ID,name,jinhuojiage) values('P01','洗发水',10)");
    sqlExec("insert into chanpinrukumingxi(rukuID,time,type,chanpinID,xiaoshoujiage,shuliang,jine,rukutype,\"user\",beizhu) "
            "values('rk1','2026-01-01','入库明细','P01',10,5,50,'采购入库','admin','')");
    sqlExec("insert into taocanmingxi(taocanID,name,xiangmuID) values('TC1','护理套餐','S01')");
    sqlExec("insert into yuangong(ID,name) values('E01','小张')");
}

QString heldBill()
{
    const QString basket = QStringLiteral("xf_basket1");
    sqlExec("insert into tempxiaofeimingxi(ID,xiaofeileixing,xiangmuID,name,xiaoshoujiage,youhuijiage,shuliang,"
            "jine,jifen,hangID) values('" + basket + "','服务项目','S01','洗剪吹',80,80,1,80,80,'h1')");
    const LedgerResult held = HeldBills::hold(basket, "0000", "散客", "小王");
    return held.ok ? held.documentId : QString();
}

// The main window shown with its lists loaded and the keys going to it.
bool showAtTheCounter(MainWindow &w)
{
    w.show();
    w.loadDeferredViews();
    w.activateWindow();
    return QTest::qWaitForWindowActive(&w);
}

// A walk-in cash sale of 80 rung up by 小王, as the counter would leave it.
QString walkInSale()
{
    SaleLine l;
    l.key = l.itemId = QStringLiteral("S01");
    l.type = QStringLiteral("服务项目");
    l.name = QStringLiteral("洗剪吹");
    l.listCents = l.unitCents = l.amountCents = 8000;
    l.quantity = 1;
    l.points = 80;
    l.enteredBy = QStringLiteral("小王");
    Sale s;
    s.memberId = QString::fromLatin1(kWalkInId);
    s.lines = {l};
    s.payments = {PaymentPart{QStringLiteral("现金"), 8000}};
    s.lineMethod = QStringLiteral("现金");
    s.operatorName = QStringLiteral("小王");
    const LedgerResult r = SaleWriter::commit(s);
    return r.ok ? r.documentId : QString();
}

} // namespace

class TestRights : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { operatorSession() = OperatorSession(); }
    void cashierReachesNoSettings();
    void everyGuardedButtonRefusesACashier();
    void storeRefusesWithoutRight();
    void supervisorBoxRefusesDefaultAndBlank();
    void heldBillDeletionNeedsAuthoriser();
    void counterF8DeletesNoBillWithoutAuthoriser();
    void counterF12VoidsNothingWithoutAuthoriser();
    void blankPasswordsRefused();
    void debugOutputHoldsNoPassword();
};

// Every key and button that leads to a settings page or its actions, pressed
// by a cashier whose 系统设置 is 否.
void TestRights::cashierReachesNoSettings()
{
    TestWorkdir wd;
    seedSettingsRows();
    loginAs("小王");
    MainWindow w;
    w.show();
    w.loadDeferredViews();
    PromptRecorder prompts;
    const QString before = shopState();

    // The hidden tab bars take no keys: Ctrl+Tab and Ctrl+Shift+Tab from the
    // search box leave the front desk where it is.
    auto *pages = w.findChild<QTabWidget *>("tabWidget");
    auto *search = w.findChild<QLineEdit *>("lineEdit");
    QVERIFY(pages && search);
    QTest::keyClick(&w, Qt::Key_F2); // to the search box, as at the counter
    search->setFocus();
    for (int i = 0; i < 6; ++i) {
        QTest::keyClick(search, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        QTest::keyClick(search, Qt::Key_Tab, Qt::ControlModifier);
    }
    QCOMPARE(pages->currentIndex(), 0);
    QVERIFY(!w.navigateTo("操作员设置"));
    QCOMPARE(pages->currentIndex(), 0);

    // The buttons of the settings pages, should anything still show them.
    for (const char *b : {"toolButton_138", "toolButton_149", "toolButton_37", "toolButton_44", "toolButton_104",
                          "toolButton_141"}) {
        prompts.clear();
        QCOMPARE(dialogOpenedBy(&w, b), QString());
        QCOMPARE(prompts.texts(), QStringList{kNoRight});
    }
    // Changing and deleting a selected row, stock written off, lists exported.
    const QList<QPair<const char *, const char *>> withRow = {
        {"toolButton_140", "tableView_29"}, {"toolButton_150", "tableView_32"}, {"toolButton_38", "tableView_24"},
        {"toolButton_45", "tableView_25"},  {"toolButton_142", "tableView_30"}, {"toolButton_137", "tableView_29"},
        {"toolButton_151", "tableView_32"}, {"toolButton_39", "tableView_24"},  {"toolButton_46", "tableView_25"},
        {"toolButton_106", "tableView_26"}, {"toolButton_143", "tableView_30"}, {"toolButton_152", "tableView_37"},
        {"toolButton_42", "tableView_24"},  {"toolButton_51", "tableView_25"}};
    for (const auto &c : withRow) {
        selectFirstRow(&w, c.second);
        prompts.clear();
        prompts.answer("是");
        prompts.saveFileName(wd.path() + "/out.csv");
        QCOMPARE(dialogOpenedBy(&w, c.first), QString());
        QCOMPARE(prompts.texts(), QStringList{kNoRight});
    }
    QVERIFY(!QFile::exists(wd.path() + "/out.csv"));

    // Requests reaching the hub by any other way: an operator with every right,
    // a change of one's own right, a card type.
    prompts.clear();
    w.DlgRecv("添加数据", QVariant::fromValue(dbctrlstruct{
        "user", {"黑客", "x", "", "", "是", "是", "是", "是", "是", "否"}}));
    redbctrlstruct self;
    self.table = "user";
    self.fields = QStringList{"xitongshezhi", "name"};
    self.values = QStringList{"是", "小王"};
    self.whereCount = 1;
    w.DlgRecv("修改数据", QVariant::fromValue(self));
    w.DlgRecv("添加数据", QVariant::fromValue(dbctrlsqlstruct{"huiyuanka", "select '银卡',50"}));
    QCOMPARE(prompts.texts(), (QStringList{kNoRight, kNoRight, kNoRight}));

    // The operator editor itself, however it was reached, saves nothing.
    addUserDlg dlg;
    QObject::connect(&dlg, &addUserDlg::DlgSend, &w, &MainWindow::DlgRecv);
    dlg.setData(1, QStringList());
    dlg.findChild<QLineEdit *>("lineEdit")->setText("黑客");
    dlg.findChild<QLineEdit *>("lineEdit_2")->setText("hacker-1");
    prompts.clear();
    clickButton(&dlg, "toolButton");
    QCOMPARE(prompts.texts(), QStringList{"保存失败，本次操作未保存\n" + kNoRight});
    QCOMPARE(shopState(), before);
}

// Every button of every page the settings right guards, and every delete and
// export button of the window, pressed from the keyboard (focus and Space) by
// a cashier who got there anyway, with a row chosen in each list: nothing opens,
// nothing is written. The pages and buttons come from the window itself, so a
// new button on a guarded page is pressed too.
void TestRights::everyGuardedButtonRefusesACashier()
{
    TestWorkdir wd;
    seedSettingsRows();
    MainWindow w;
    QVERIFY(showAtTheCounter(w));
    PromptRecorder prompts;
    const QString before = shopState();
    auto *settings = w.findChild<QTabWidget *>("tabWidget_6");
    QVERIFY(settings);

    // Whatever modal window a press opens is noted and shut at once.
    QStringList opened;
    QString pressing;
    QTimer watcher;
    watcher.setInterval(5);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        opened << pressing + QStringLiteral(" → ") + QString::fromLatin1(modal->metaObject()->className());
        if (auto *dlg = qobject_cast<QDialog *>(modal))
            dlg->reject();
        else
            modal->close();
    });
    watcher.start();

    QStringList refusedSilently;
    int pressed = 0;
    const auto press = [&](QAbstractButton *b, const QString &where) {
        pressing = where + QLatin1Char(' ') + b->objectName() + QLatin1Char(' ') + b->text();
        prompts.clear();
        prompts.answer("是");
        prompts.answer("是");
        prompts.saveFileName(wd.path() + "/out.csv");
        if (b->isVisible()) {
            b->setFocus();
            QTest::keyClick(b, Qt::Key_Space);
        } else {
            b->click(); // a page not shown now: what a shortcut or a stray event would do
        }
        QCoreApplication::processEvents();
        ++pressed;
        for (const QString &text : prompts.texts())
            QVERIFY2(text.contains(kNoRight) || text.startsWith(QStringLiteral("请")),
                     qPrintable(pressing + QStringLiteral(": ") + text));
    };
    for (const QString &page : MainWindow::settingsPages()) {
        // The manager opens the page (its lists loaded), then the cashier takes the desk.
        loginAs("admin");
        QVERIFY2(w.navigateTo(page), qPrintable(page));
        loginAs("小王");
        QWidget *shown = settings->currentWidget();
        for (QTableView *list : shown->findChildren<QTableView *>())
            if (list->model() && list->model()->rowCount() > 0)
                list->setCurrentIndex(list->model()->index(0, 0));
        for (QAbstractButton *b : shown->findChildren<QAbstractButton *>())
            if (b->isVisible() && b->isEnabled() && !qobject_cast<QTabBar *>(b->parentWidget()))
                press(b, page);
        // A double-click on a row opens its editor on some pages.
        for (QTableView *list : shown->findChildren<QTableView *>()) {
            if (!list->model() || list->model()->rowCount() == 0 || !list->isVisible())
                continue;
            pressing = page + QStringLiteral(" double-click ") + list->objectName();
            const QRect cell = list->visualRect(list->model()->index(0, 0));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
            QCoreApplication::processEvents();
        }
    }
    loginAs("小王");
    for (QAbstractButton *b : w.guardedButtons())
        press(b, QStringLiteral("guarded"));
    watcher.stop();
    QVERIFY2(opened.isEmpty(), qPrintable(opened.join(QStringLiteral("\n"))));
    QVERIFY(!QFile::exists(wd.path() + "/out.csv"));
    QCOMPARE(shopState(), before);
    QVERIFY2(pressed >= 40, qPrintable(QString::number(pressed)));
}

// The writers and the store's own entries look the right up themselves.
void TestRights::storeRefusesWithoutRight()
{
    TestWorkdir wd;
    seedSettingsRows();
    const QString before = shopState();
    QCOMPARE(StockWriter::clearStock("P01", "小王").error, kNoRight);
    ReceiptSettings settings;
    settings.shopName = "别人的店";
    QString error;
    QVERIFY(!settings.save("小王", &error));
    QCOMPARE(error, kNoRight);
    // A right taken away at another desk counts at once.
    sqlExec("update \"user\" set jinyong='是' where name='admin'");
    QCOMPARE(StockWriter::clearStock("P01", "admin").error, kNoRight);
    QCOMPARE(shopState(), before);
    sqlExec("update \"user\" set jinyong='否' where name='admin'");
    QVERIFY(StockWriter::clearStock("P01", "admin").ok);
    QCOMPARE(sqlValue("select count(*) from chanpinrukumingxi"), QString("2"));
}

void TestRights::supervisorBoxRefusesDefaultAndBlank()
{
    TestWorkdir wd;
    sqlExec("insert into huiyuan(ID,name,shengyujine,jifen) values('1001','张三',500,0)");
    sqlExec("insert into huiyuanyuebiandong(huiyuanid,biandongriqi,biandongleixing,xiangmumingchen,yuezengjia,"
            "yuejianshao,dangshikaneiyue,caozuoyuan,beizhu) values('1001','2026-01-01','会员充值','',500,0,500,'admin','')");
    sqlExec("insert into \"user\"(name,password,xitongshezhi,jinyong) values('小王','"
            + PasswordHash::legacyForm("wang-2026") + "','否','否')");
    sqlExec("insert into \"user\"(name,password,xitongshezhi,jinyong) values('店长','','是','否')");
    loginAs("小王");
    PromptRecorder prompts;
    const QString before = shopState();

    // admin still holds 864213, the password the manual prints.
    const QList<QPair<QString, QString>> tries = {
        {"admin", "864213"}, {"admin", ""}, {"店长", ""}, {"店长", "      "}};
    for (const auto &t : tries) {
        QString confirmed = "none";
        onNextModal([&](QWidget *box) {
            box->findChild<QLineEdit *>("lineEdit_name")->setText(t.first);
            box->findChild<QLineEdit *>("lineEdit_password")->setText(t.second);
            clickButton(box, "toolButton_ok");
            QVERIFY(box->isVisible());
            clickButton(box, "toolButton_cancel");
        });
        confirmed = shouquandlg::authorizer(nullptr);
        QCOMPARE(confirmed, QString());
    }
    QCOMPARE(prompts.texts().size(), tries.size());
    for (const QString &text : prompts.texts())
        QCOMPARE(text, QString("空密码或默认密码不能用于确认，请该操作员先修改自己的密码"));

    // The writer asks the same of whoever is named as the authoriser.
    BalanceRefund r{"1001", 10000, 10000, "现金", "会员搬家", "小王", "admin"};
    QVERIFY(!RefundWriter::refundBalance(r).ok);
    r.authorizedBy = "店长";
    QVERIFY(!RefundWriter::refundBalance(r).ok);
    QCOMPARE(shopState(), before);

    // Once admin has a password of their own, it works.
    sqlExec("update \"user\" set password='" + PasswordHash::legacyForm("boss-2026") + "' where name='admin'");
    prompts.clear();
    onNextModal([](QWidget *box) {
        box->findChild<QLineEdit *>("lineEdit_name")->setText("admin");
        box->findChild<QLineEdit *>("lineEdit_password")->setText("boss-2026");
        clickButton(box, "toolButton_ok");
    });
    QCOMPARE(shouquandlg::authorizer(nullptr), QString("admin"));
    r.authorizedBy = "admin";
    QVERIFY(RefundWriter::refundBalance(r).ok);
    verifyBooks();
}

void TestRights::heldBillDeletionNeedsAuthoriser()
{
    TestWorkdir wd;
    seedSettingsRows();
    const QString id = heldBill();
    QVERIFY(!id.isEmpty());
    const QString logRows = sqlValue("select count(*) from log");
    QVERIFY(!HeldBills::discard(id, "小王", "小王").ok);
    QVERIFY(!HeldBills::discard(id, "小王", QString()).ok);
    sqlExec("update \"user\" set password='fhjlom' where name='admin'"); // the default again
    QVERIFY(!HeldBills::discard(id, "小王", "admin").ok);
    QCOMPARE(HeldBills::count(), 1);
    QCOMPARE(sqlValue("select count(*) from log"), logRows);

    sqlExec("update \"user\" set password='" + PasswordHash::legacyForm("boss-2026") + "' where name='admin'");

    QVERIFY(HeldBills::discard(id, "小王", "admin").ok);
    QCOMPARE(HeldBills::count(), 0);
    QCOMPARE(sqlValue("select count(*) from guadanmingxi"), QString("0"));
    QCOMPARE(sqlRows("select \"user\", log from log where log like '删除挂单%'"),
             (QList<QStringList>{{"小王", "删除挂单  挂单号：" + id
                                            + "  会员号：0000  会员：散客  金额：80  套餐次数：0  明细：洗剪吹×1 80  确认人：admin"}}));

    // Taken up in the checkout and given up there: the same authoriser, or
    // resuming first would be the way round the held-bill list.
    const QString again = heldBill();
    loginAs("小王");
    PromptRecorder prompts;
    AddXiaofeiDlg checkout;
    checkout.setHuiyuanInfo({"0000", "散客", "00", "01-01", "00", "00"});
    checkout.show();
    QVERIFY(checkout.resumeHeld(again).ok);
    bool asked = false;
    prompts.answer("放弃");
    onNextModal([&asked](QWidget *box) {
        asked = box->inherits("shouquandlg");
        qobject_cast<QDialog *>(box)->reject();
    });
    checkout.reject();
    QVERIFY(asked);
    QVERIFY(checkout.isVisible());
    QCOMPARE(HeldBills::count(), 1);

    prompts.answer("放弃");
    onNextModal([](QWidget *box) {
        box->findChild<QLineEdit *>("lineEdit_name")->setText("admin");
        box->findChild<QLineEdit *>("lineEdit_password")->setText("boss-2026");
        clickButton(box, "toolButton_ok");
    });
    checkout.reject();
    QVERIFY(!checkout.isVisible());
    QCOMPARE(HeldBills::count(), 0);
    QCOMPARE(sqlValue("select count(*) from log where log like '删除挂单  挂单号：" + again + "%确认人：admin'"), QString("1"));
}

void TestRights::blankPasswordsRefused()
{
    TestWorkdir wd;
    loginAs("admin");
    PromptRecorder prompts;
    MainWindow w;
    addUserDlg dlg;
    QObject::connect(&dlg, &addUserDlg::DlgSend, &w, &MainWindow::DlgRecv);
    dlg.setData(1, QStringList());
    dlg.findChild<QLineEdit *>("lineEdit")->setText("甲");
    for (const QString &pw : {QString("      "), QString("\t\t\t\t\t\t"), QString(65, QChar('x'))}) {
        prompts.clear();
        dlg.findChild<QLineEdit *>("lineEdit_2")->setText(pw);
        clickButton(&dlg, "toolButton");
        QCOMPARE(prompts.texts().size(), 1);
        QVERIFY2(prompts.last().startsWith("密码"), qPrintable(prompts.last()));
    }
    QCOMPARE(sqlValue("select count(*) from \"user\" where name='甲'"), QString("0"));
    QVERIFY(!newPasswordProblem("      ", "      ").isEmpty());
    QVERIFY(newPasswordProblem("a b c d", "a b c d").isEmpty());
}

namespace {
QStringList g_output;
void recordOutput(QtMsgType, const QMessageLogContext &, const QString &text)
{
    g_output << text;
}
// The debug output on, whatever QT_LOGGING_RULES the test runs under.
QLoggingCategory::CategoryFilter g_previousFilter = nullptr;
void sqlDebugOn(QLoggingCategory *category)
{
    if (g_previousFilter)
        g_previousFilter(category);
    if (qstrcmp(category->categoryName(), "mochen.sql") == 0)
        category->setEnabled(QtDebugMsg, true);
}
} // namespace

// No password, hash or old stored form reaches the debug output: not at the
// login, not when a password is changed or an operator is added.
void TestRights::debugOutputHoldsNoPassword()
{
    TestWorkdir wd;
    sqlExec("update \"user\" set password='" + PasswordHash::legacyForm("boss-2026") + "' where name='admin'");
    g_previousFilter = QLoggingCategory::installFilter(sqlDebugOn);
    g_output.clear();
    const QtMessageHandler old = qInstallMessageHandler(recordOutput);
    PromptRecorder prompts;
    {
        logDlg login;
        login.findChild<QLineEdit *>("lineEdit")->setText("boss-2026");
        clickButton(&login, "toolButton_3"); // and the old form is upgraded to a hash
    }
    QString error;
    QVERIFY(storeOperatorPassword("admin", "boss-2027", "修改密码", &error));
    {
        MainWindow w;
        w.DlgRecv("添加数据", QVariant::fromValue(dbctrlstruct{
            "user", {"甲", encodePassword("jia-2026"), "", "", "否", "否", "否", "否", "否", "否"}}));
    }
    qInstallMessageHandler(old);
    QLoggingCategory::installFilter(g_previousFilter);
    QCOMPARE(operatorSession().loginName, QString("admin"));
    QVERIFY(g_output.size() > 10);
    const QString all = g_output.join('\n');
    for (const QString &secret : {QString("pbkdf2"), PasswordHash::legacyForm("boss-2026"), QString("boss-202"),
                                  QString("jia-2026")})
        QVERIFY2(!all.contains(secret), qPrintable(secret));
    for (const QStringList &row : sqlRows("select password from \"user\""))
        QVERIFY2(!all.contains(row.value(0).mid(20, 16)), qPrintable(row.value(0)));
}

// At the counter, a cashier without the right presses F8 and deletes the held
// bill: the supervisor box asks, the default password and a cancel delete
// nothing, the owner's password does.
void TestRights::counterF8DeletesNoBillWithoutAuthoriser()
{
    TestWorkdir wd;
    seedSettingsRows();
    const QString id = heldBill();
    QVERIFY(!id.isEmpty());
    loginAs("小王");
    MainWindow w;
    QVERIFY(showAtTheCounter(w));
    PromptRecorder prompts;
    const auto deleteAtF8 = [&w](const QString &password) {
        onNextModal([password](QWidget *list) {
            selectFirstRow(list, "tableView");
            onNextModal([password](QWidget *box) {
                box->findChild<QLineEdit *>("lineEdit_name")->setText(QStringLiteral("admin"));
                box->findChild<QLineEdit *>("lineEdit_password")->setText(password);
                clickButton(box, "toolButton_ok");
                if (box->isVisible())
                    clickButton(box, "toolButton_cancel");
            });
            clickButton(list, "toolButton_2");
            if (list->isVisible())
                qobject_cast<QDialog *>(list)->reject();
        });
        // A button's key presses it as a click shows, a moment later.
        QTest::keyClick(w.windowHandle(), Qt::Key_F8);
        QTest::qWait(300);
    };
    deleteAtF8(QStringLiteral("864213"));
    QVERIFY2(prompts.texts().join("|").contains(QStringLiteral("你确定要删除挂单")), qPrintable(prompts.texts().join("|")));
    QCOMPARE(sqlValue("select count(*) from guadan"), QString("1"));
    deleteAtF8(QStringLiteral("boss-2026"));
    QCOMPARE(sqlValue("select count(*) from guadan"), QString("0"));
    const QString logged = sqlValue("select log from log where log like '删除挂单%'");
    QVERIFY2(logged.contains(id) && logged.contains(QStringLiteral("金额：80")) && logged.contains(QStringLiteral("确认人：admin")),
             qPrintable(logged));
}

// F12 at the main window by a cashier without the right: the void asks the
// supervisor box, and neither a blank nor the default password nor the
// cashier's own undoes anything; the owner's does, once.
void TestRights::counterF12VoidsNothingWithoutAuthoriser()
{
    TestWorkdir wd;
    seedSettingsRows();
    const QString sale = walkInSale();
    QVERIFY(!sale.isEmpty());
    loginAs("小王");
    MainWindow w;
    QVERIFY(showAtTheCounter(w));
    w.refreshMemberViews(QString::fromLatin1(kWalkInId));
    selectFirstRow(&w, "tableView");
    PromptRecorder prompts;
    const QString before = shopState() + sqlValue("select count(*) from xiaofeizuofei")
                           + sqlValue("select count(*) from huiyuanjifen");
    bool boxAsked = false;
    const auto voidAtF12 = [&](const QString &name, const QString &password) {
        boxAsked = false;
        prompts.answer("是");
        onNextModal([&, name, password](QWidget *voiding) {
            voiding->findChild<QLineEdit *>("lineEdit_reason")->setText(QStringLiteral("点错项目"));
            onNextModal([&, name, password](QWidget *box) {
                boxAsked = true;
                box->findChild<QLineEdit *>("lineEdit_name")->setText(name);
                box->findChild<QLineEdit *>("lineEdit_password")->setText(password);
                clickButton(box, "toolButton_ok");
                if (box->isVisible())
                    clickButton(box, "toolButton_cancel");
            });
            clickButton(voiding, "toolButton_ok");
            if (voiding->isVisible())
                qobject_cast<QDialog *>(voiding)->reject();
        });
        QTest::keyClick(w.windowHandle(), Qt::Key_F12);
        QTest::qWait(300);
    };
    const QList<QPair<QString, QString>> refused = {{"admin", ""},
                                                    {"admin", "   "},
                                                    {"admin", "864213"},
                                                    {"小王", "wang-2026"},
                                                    {"admin", "guess"}};
    for (const auto &who : refused) {
        prompts.clear();
        voidAtF12(who.first, who.second);
        QVERIFY2(boxAsked, qPrintable(who.first + "/" + who.second));
        const QString told = prompts.texts().join("|");
        QVERIFY2(told.contains(QStringLiteral("默认密码不能用于确认")) || told.contains(QStringLiteral("操作员或密码不对")),
                 qPrintable(told));
        QCOMPARE(shopState() + sqlValue("select count(*) from xiaofeizuofei")
                     + sqlValue("select count(*) from huiyuanjifen"),
                 before);
    }
    voidAtF12(QStringLiteral("admin"), QStringLiteral("boss-2026"));
    QVERIFY(boxAsked);
    QCOMPARE(sqlValue("select caozuoyuan||'|'||shouquanren from xiaofeizuofei where ID='" + sale + "'"),
             QString("小王|admin"));
    QCOMPARE(sqlValue("select count(*) from xiaofeizuofei"), QString("1"));
    verifyBooks();
}

QTEST_MAIN(TestRights)
#include "tst_rights.moc"
