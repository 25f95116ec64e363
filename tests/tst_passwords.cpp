#include <QtTest>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "adduserdlg.h"
#include "logdlg.h"
#include "mainwindow.h"
#include "operatorsession.h"
#include "passwordhash.h"
#include "testsupport.h"

// Passwords an operator can change, the default one that opens the shop only
// once, resets by the settings operator, and stored forms that prove nothing.
class TestPasswords : public QObject
{
    Q_OBJECT
private slots:
    void init() { operatorSession() = OperatorSession(); }
    void firstLoginWithDefaultPasswordSetsANewOne();
    void changeFromTheMainWindow();
    void storedFormsThatProveNothing_data();
    void storedFormsThatProveNothing();
    void newOperatorsAndResets();
    void lastSettingsOperatorStays();
    void failedUpdateIsAFailure();
};

namespace {
QString hint(logDlg &dlg) { return dlg.findChild<QLabel *>("label_3")->text(); }

// Chooses the operator, types the password and clicks "登录".
void login(logDlg &dlg, const QString &name, const QString &password)
{
    auto *combo = dlg.findChild<QComboBox *>("comboBox");
    combo->setCurrentIndex(combo->findText(name));
    dlg.findChild<QLineEdit *>("lineEdit")->setText(password);
    clickButton(&dlg, "toolButton_3");
}

// Fills the password dialog (the old password only where it is shown) and saves.
void fillPasswords(QWidget *dlg, const QString &old, const QString &fresh, const QString &repeat)
{
    if (dlg->findChild<QLineEdit *>("oldPasswordEdit")->isVisible())
        dlg->findChild<QLineEdit *>("oldPasswordEdit")->setText(old);
    dlg->findChild<QLineEdit *>("newPasswordEdit")->setText(fresh);
    dlg->findChild<QLineEdit *>("repeatPasswordEdit")->setText(repeat);
    clickButton(dlg, "saveButton");
}

QString storedOf(const QString &name) { return sqlValue("select password from \"user\" where name='" + name + "'"); }

void addOperator(const QString &name, const QString &stored, const QString &settings = "否",
                 const QString &disabled = "否")
{
    sqlExec("insert into \"user\"(name,password,xitongshezhi,jinyong) values('" + name + "','" + stored + "','" + settings
            + "','" + disabled + "')");
}

// Opens the operator editor from the "用户管理" page on the row of name
// (mode 2) or empty (mode 1) and runs action on it.
void editOperator(MainWindow &w, const QString &name, std::function<void(QWidget *)> action)
{
    auto *users = w.findChild<QTableView *>("tableView_29");
    if (!name.isEmpty()) {
        for (int r = 0; r < users->model()->rowCount(); ++r)
            if (users->model()->index(r, 0).data().toString() == name)
                users->setCurrentIndex(users->model()->index(r, 0));
    }
    onNextModal([action](QWidget *dlg) {
        action(dlg);
        clickButton(dlg, "toolButton_2");
    });
    clickButton(&w, name.isEmpty() ? "toolButton_138" : "toolButton_140");
}
} // namespace

void TestPasswords::firstLoginWithDefaultPasswordSetsANewOne()
{
    TestWorkdir wd;
    PromptRecorder prompts;
    {
        // Leaving the new-password dialog leaves the shop closed.
        logDlg dlg;
        QVERIFY(hint(dlg).contains("864213"));
        onNextModal([](QWidget *change) { clickButton(change, "cancelButton"); });
        login(dlg, "admin", "864213");
        QVERIFY(operatorSession().loginName.isEmpty());
        QCOMPARE(prompts.last(), QString("请先设置新密码，然后才能使用本系统"));
        QCOMPARE(storedOf("admin"), QString("fhjlom"));

        // Too short, the default again, two different texts; then a good one.
        prompts.clear();
        onNextModal([](QWidget *change) {
            QVERIFY(!change->findChild<QLineEdit *>("oldPasswordEdit")->isVisible());
            fillPasswords(change, "", "12345", "12345");
            fillPasswords(change, "", "864213", "864213");
            fillPasswords(change, "", "店长的密码1", "店长的密码2");
            fillPasswords(change, "", "店长的密码1", "店长的密码1");
        });
        login(dlg, "admin", "864213");
        QCOMPARE(prompts.texts(), (QStringList{"新密码至少要6位", "不能使用默认密码，请换一个新密码", "两次输入的新密码不一致",
                                               "密码已修改，下次登录请使用新密码"}));
        QCOMPARE(operatorSession().loginName, QString("admin"));
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
    }
    QVERIFY(verifyPassword("店长的密码1", storedOf("admin")));
    QCOMPARE(sqlRows("select \"user\", log from log"),
             (QList<QStringList>{{"admin", "首次登录，设置新密码"}, {"admin", "系统登录成功"}}));

    // From now on the default is neither shown nor accepted.
    operatorSession() = OperatorSession();
    prompts.clear();
    logDlg again;
    QVERIFY2(!hint(again).contains("864213"), qPrintable(hint(again)));
    login(again, "admin", "864213");
    QCOMPARE(prompts.last(), QString("你输入的密码错误!请输入正确的密码"));
    login(again, "admin", "店长的密码1");
    QCOMPARE(operatorSession().loginName, QString("admin"));
}

void TestPasswords::changeFromTheMainWindow()
{
    TestWorkdir wd;
    addOperator("小王", encodePassword("xiaowang1"));
    operatorSession().loginName = "小王";
    PromptRecorder prompts;
    MainWindow w;
    onNextModal([](QWidget *change) {
        QCOMPARE(change->findChild<QLabel *>("operatorLabel")->text(), QString("小王"));
        fillPasswords(change, "xiaowang2", "newsecret", "newsecret");
        fillPasswords(change, "xiaowang1", "", "");
        fillPasswords(change, "xiaowang1", "newsecret", "newsecret");
    });
    clickButton(&w, "changePasswordButton");
    QCOMPARE(prompts.texts(), (QStringList{"原密码错误，请重新输入", "新密码不能为空，也不能只有空格", "密码已修改，下次登录请使用新密码"}));
    QVERIFY(verifyPassword("newsecret", storedOf("小王")));
    QVERIFY(!verifyPassword("xiaowang1", storedOf("小王")));
    QCOMPARE(sqlRows("select \"user\", log from log"), (QList<QStringList>{{"小王", "修改密码"}}));
}

void TestPasswords::storedFormsThatProveNothing_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("opens");
    const QString chinese = PasswordHash::legacyForm("张三丰"); // every character became "?"
    QTest::newRow("old form, other Chinese of the same length") << chinese << "李四光" << false;
    QTest::newRow("old form, the same Chinese") << chinese << "张三丰" << false;
    QTest::newRow("old form, Latin-1 password") << PasswordHash::legacyForm("abc123") << "abc123" << true;
    QTest::newRow("empty stored, empty typed") << "" << "" << false;
    QTest::newRow("empty stored, something typed") << "" << "x" << false;
}

void TestPasswords::storedFormsThatProveNothing()
{
    QFETCH(QString, stored);
    QFETCH(QString, typed);
    QFETCH(bool, opens);
    TestWorkdir wd;
    addOperator("甲", stored);
    PromptRecorder prompts;
    logDlg dlg;
    login(dlg, "甲", typed);
    QCOMPARE(operatorSession().loginName, opens ? QString("甲") : QString());
    if (!opens) {
        QVERIFY2(prompts.last().contains("请让有系统设置权限的操作员为您重置密码"), qPrintable(prompts.last()));
        QCOMPARE(sqlValue("select log from log"), QString("系统登录失败，密码需要重置"));
        QCOMPARE(storedOf("甲"), stored); // nothing was migrated
    } else {
        QVERIFY(storedOf("甲").startsWith("pbkdf2-sha256$"));
    }
}

void TestPasswords::newOperatorsAndResets()
{
    TestWorkdir wd;
    operatorSession().loginName = "admin";
    operatorSession().xitongshezhi = "是";
    PromptRecorder prompts;
    MainWindow w;
    w.loadDeferredViews();

    // A new operator needs a password of six characters or more.
    editOperator(w, "", [](QWidget *dlg) {
        dlg->findChild<QLineEdit *>("lineEdit")->setText("小李");
        clickButton(dlg, "toolButton");
        dlg->findChild<QLineEdit *>("lineEdit_2")->setText("12345");
        clickButton(dlg, "toolButton");
        dlg->findChild<QLineEdit *>("lineEdit_2")->setText("xiaoli1");
        clickButton(dlg, "toolButton");
    });
    QCOMPARE(prompts.texts(), (QStringList{"密码不能为空，也不能只有空格", "密码至少要6位", "保存成功"}));
    QVERIFY(verifyPassword("xiaoli1", storedOf("小李")));

    // Changing rights keeps the password; typing one resets it, with a log row.
    const QString before = storedOf("小李");
    prompts.clear();
    editOperator(w, "小李", [](QWidget *dlg) {
        QVERIFY(dlg->findChild<QLineEdit *>("lineEdit_2")->isEnabled());
        QVERIFY(dlg->findChild<QLineEdit *>("lineEdit_2")->text().isEmpty());
        dlg->findChild<QCheckBox *>("checkBox")->setChecked(true);
        clickButton(dlg, "toolButton");
    });
    QCOMPARE(storedOf("小李"), before);
    editOperator(w, "小李", [](QWidget *dlg) {
        dlg->findChild<QLineEdit *>("lineEdit_2")->setText("forgotten2");
        clickButton(dlg, "toolButton");
    });
    QCOMPARE(prompts.texts(), (QStringList{"保存成功", "保存成功"}));
    QVERIFY(verifyPassword("forgotten2", storedOf("小李")));
    QCOMPARE(sqlValue("select xiugaixiaoshoudanjia from \"user\" where name='小李'"), QString("是"));
    QCOMPARE(sqlRows("select \"user\", log from log"), (QList<QStringList>{{"admin", "重置操作员密码：小李"}}));
}

void TestPasswords::lastSettingsOperatorStays()
{
    TestWorkdir wd;
    addOperator("停用的店长", encodePassword("boss123"), "是", "是"); // cannot log in: does not count
    operatorSession().loginName = "admin";
    PromptRecorder prompts;
    MainWindow w;
    w.loadDeferredViews();
    const QString keep = "至少要保留一个未禁用、有系统设置权限的操作员";
    const QString rights = "select xitongshezhi||jinyong from \"user\" where name='admin'";

    editOperator(w, "admin", [](QWidget *dlg) {
        dlg->findChild<QCheckBox *>("checkBox_6")->setChecked(true); // disable
        clickButton(dlg, "toolButton");
        dlg->findChild<QCheckBox *>("checkBox_6")->setChecked(false);
        dlg->findChild<QCheckBox *>("checkBox_5")->setChecked(false); // strip the settings right
        clickButton(dlg, "toolButton");
    });
    QCOMPARE(prompts.texts(), (QStringList{keep, keep}));
    QCOMPARE(sqlValue(rights), QString("是否"));

    prompts.clear();
    auto *users = w.findChild<QTableView *>("tableView_29");
    for (int r = 0; r < users->model()->rowCount(); ++r)
        if (users->model()->index(r, 0).data().toString() == "admin")
            users->setCurrentIndex(users->model()->index(r, 0));
    // Only an operator with the right may delete one, so the last one can only
    // be the one at work, who stays.
    clickButton(&w, "toolButton_137");
    QCOMPARE(prompts.texts(), QStringList{"不能删除当前登录的操作员"});
    QCOMPARE(sqlValue("select count(*) from \"user\" where name='admin'"), QString("1"));

    // With a second enabled settings operator, admin may lose the right.
    sqlExec("update \"user\" set jinyong='否' where name='停用的店长'");
    prompts.clear();
    editOperator(w, "admin", [](QWidget *dlg) {
        dlg->findChild<QCheckBox *>("checkBox_5")->setChecked(false);
        clickButton(dlg, "toolButton");
    });
    QCOMPARE(prompts.texts(), QStringList{"保存成功"});
    QCOMPARE(sqlValue(rights), QString("否否"));
}

void TestPasswords::failedUpdateIsAFailure()
{
    TestWorkdir wd;
    operatorSession().loginName = "admin";
    addOperator("小李", encodePassword("xiaoli1"));
    refuseRows("no_update", "BEFORE UPDATE", "user", "refused");
    PromptRecorder prompts;
    MainWindow w;
    w.loadDeferredViews();
    editOperator(w, "小李", [](QWidget *dlg) {
        dlg->findChild<QCheckBox *>("checkBox")->setChecked(true);
        dlg->findChild<QLineEdit *>("lineEdit_2")->setText("another1");
        clickButton(dlg, "toolButton");
    });
    QCOMPARE(prompts.texts(), QStringList{"保存失败，本次操作未保存"});
    QCOMPARE(sqlValue("select count(*) from log"), QString("0"));
    QVERIFY(verifyPassword("xiaoli1", storedOf("小李")));

    // The operator's own change fails the same way and says so.
    operatorSession().loginName = "小李";
    prompts.clear();
    onNextModal([](QWidget *change) {
        fillPasswords(change, "xiaoli1", "another1", "another1");
        clickButton(change, "cancelButton");
    });
    clickButton(&w, "changePasswordButton");
    QCOMPARE(prompts.texts(), QStringList{"修改密码失败，本次操作未保存"});
    QVERIFY(verifyPassword("xiaoli1", storedOf("小李")));
}

QTEST_MAIN(TestPasswords)
#include "tst_passwords.moc"
