#include <QtTest>
#include <QComboBox>
#include <QLineEdit>

#include "enginedriver.h"
#include "logdlg.h"
#include "operatorsession.h"
#include "passwordhash.h"
#include "startup.h"
#include "testsupport.h"

// Login outcomes with their messages and log rows, and the cancelled start.
class TestLogin : public QObject
{
    Q_OBJECT
private slots:
    void outcomes_data();
    void outcomes();
    void encodedForm();
    void titleFromConfig();
    void cancelledStartCreatesTablesAndExitsZero();
};

void TestLogin::outcomes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("logText");
    QTest::addColumn<bool>("loggedIn");
    const QString wrong = "你输入的密码错误!请输入正确的密码";
    const QString disabled = "你的账号已被禁用!请联系管理人员";
    QTest::newRow("right") << "admin" << "admin864" << "" << "系统登录成功" << true;
    QTest::newRow("wrong") << "admin" << "864214" << wrong << "系统登录失败，密码错误" << false;
    QTest::newRow("disabled, wrong pw") << "停用" << "x" << disabled << "系统登录失败，账号已被禁用" << false;
    QTest::newRow("disabled, right pw") << "停用" << "1" << disabled << "系统登录失败，账号已被禁用" << false;
    QTest::newRow("flag empty") << "空标志" << "1" << wrong << "系统登录失败，密码错误" << false;
    QTest::newRow("quote in name") << "O'Brien" << "q'1" << "" << "系统登录成功" << true;
    QTest::newRow("non-latin-1") << "中文" << "密码" << "" << "系统登录成功" << true;
}

void TestLogin::outcomes()
{
    QFETCH(QString, name);
    QFETCH(QString, password);
    QFETCH(QString, message);
    QFETCH(QString, logText);
    QFETCH(bool, loggedIn);

    TestWorkdir wd;
    operatorSession() = OperatorSession();
    const QString cols = "insert into \"user\"(name,password,zuidizekou,qiandanjine,xiugaixiaoshoudanjia,xiugaibankajiage,"
                         "tupodijia,xiugaitaocanxiaofeicishu,xitongshezhi,jinyong) values(";
    sqlExec(cols + "'停用','" + encodePassword("1") + "',0,0,'否','否','否','否','否','是')");
    sqlExec(cols + "'空标志','" + encodePassword("1") + "',0,0,'否','否','否','否','否','')");
    sqlExec(cols + "'O''Brien','" + encodePassword("q'1").replace("'", "''") + "',0.8,100,'是','否','否','否','否','否')");
    sqlExec(cols + "'中文','" + encodePassword("密码") + "',0,0,'否','否','否','否','否','否')");
    sqlExec("update \"user\" set password='" + encodePassword("admin864") + "' where name='admin'");

    PromptRecorder prompts;
    logDlg dlg;
    auto *combo = dlg.findChild<QComboBox *>("comboBox");
    QVERIFY(combo);
    QCOMPARE(combo->itemText(0), QString("admin"));
    combo->setCurrentIndex(combo->findText(name));
    QCOMPARE(combo->currentText(), name);
    dlg.findChild<QLineEdit *>("lineEdit")->setText(password);
    clickButton(&dlg, "toolButton_3");

    QCOMPARE(prompts.last(), message);
    const auto rows = sqlRows("select \"user\",log from log order by rowid");
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0], QStringList({name, logText}));
    QCOMPARE(operatorSession().loginName, loggedIn ? name : QString());
    QCOMPARE(dlg.result(), loggedIn ? int(QDialog::Accepted) : int(QDialog::Rejected));
    if (name == "O'Brien") {
        QCOMPARE(operatorSession().zuidizekou, 0.8f);
        QCOMPARE(operatorSession().xiugaixiaoshoudanjia, QString("是"));
    }
}

void TestLogin::encodedForm()
{
    // The old reversible form is still understood.
    QCOMPARE(PasswordHash::legacyForm("864213"), QString("fhjlom"));
    QCOMPARE(PasswordHash::legacyForm("\u00e9").at(0).unicode(), ushort(0xE9 ^ 0x5E));
    QVERIFY(verifyPassword("864213", "fhjlom"));
    QVERIFY(!verifyPassword("864214", "fhjlom"));

    // Unknown user (an empty user table): the notice and the log row.
    TestWorkdir wd;
    sqlExec("delete from \"user\"");
    operatorSession() = OperatorSession();
    PromptRecorder prompts;
    logDlg dlg;
    clickButton(&dlg, "toolButton_3");
    QCOMPARE(prompts.last(), QString("你输入的用户名不存在!请输入正确的用户名"));
    QCOMPARE(sqlValue("select log from log order by rowid"), QString("系统登录失败，用户名不存在"));
    QVERIFY(operatorSession().loginName.isEmpty());
}

void TestLogin::titleFromConfig()
{
    TestWorkdir wd;
    wd.writeDbset("<r><g><Software name=\"logoDlgTitle\" info=\"X\"/></g></r>");
    logDlg dlg;
    QCOMPARE(dlg.windowTitle(), QString("X"));
    wd.writeDbset("<r/>");
    logDlg plain;
    QCOMPARE(plain.windowTitle(), QString("用户登录"));
}

void TestLogin::cancelledStartCreatesTablesAndExitsZero()
{
    TestWorkdir wd(false);
    operatorSession() = OperatorSession();
    QVERIFY(!QFile::exists("mochenxinxi.db"));
    onNextModal([](QWidget *dlg) { clickButton(dlg, "toolButton_4"); });
    const int code = runMochen(*qApp);
    QCOMPARE(code, 0);
    // A shop on a server has no file of its own: its tables are there.
    QCOMPARE(QFile::exists("mochenxinxi.db"), !EngineDriver::current().isServer());
    QVERIFY(EngineDriver::current().hasTable("huiyuanxiaofei"));
    QCOMPARE(sqlValue("select name from \"user\""), QString("admin"));
    QCOMPARE(sqlValue("select count(*) from log"), QString("0"));
    QVERIFY(!QDir("backup").exists()); // the day's copy waits for the main window
}

QTEST_MAIN(TestLogin)
#include "tst_login.moc"
