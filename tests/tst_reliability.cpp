#include <QtTest>
#include <QComboBox>
#include <QLineEdit>

#include "dbbackup.h"
#include "dbhealth.h"
#include "dbsetconfig.h"
#include "logdlg.h"
#include "operatorsession.h"
#include "passwordhash.h"
#include "startup.h"
#include "testsupport.h"

#include <QSqlDatabase>
#include <QSqlQuery>

// Passwords, a broken installation, durability settings and daily backups.
class TestReliability : public QObject
{
    Q_OBJECT
private slots:
    void passwordHashes();
    void legacyPasswordIsRewrittenAtLogin();
    void brokenInstallation_data();
    void brokenInstallation();
    void durableConnection();
    void dailyBackupKeepsThirty();
    void dailyBackupBesideTheCounter();
    void copyThatFailsItsCheckReplacesNothing();
};

void TestReliability::passwordHashes()
{
    // RFC 7914 test vector for PBKDF2-HMAC-SHA256.
    QCOMPARE(PasswordHash::pbkdf2Sha256("passwd", "salt", 1, 64).toHex(),
             QByteArray("55ac046e56e3089fec1691c22544b605f94185216dde0465e68b9d57c20dacbc"
                        "49ca9cccf179b645991664b39d77ef317c71b845b1e30bd509112041d3a19783"));
    const QString a = encodePassword("密码");
    const QString b = encodePassword("密码");
    QVERIFY(a.startsWith("pbkdf2-sha256$"));
    QVERIFY(a != b); // a salt of its own
    QVERIFY(verifyPassword("密码", a));
    QVERIFY(!verifyPassword("口令", a)); // same length, other characters
    QVERIFY(!verifyPassword("", a));
    QVERIFY(!verifyPassword("密码", "pbkdf2-sha256$x$y$z"));
    QVERIFY(!verifyPassword("密码", "pbkdf2-sha256$100$$"));
    QVERIFY(a.split('$').value(1).toInt() >= 100000);
}

void TestReliability::legacyPasswordIsRewrittenAtLogin()
{
    TestWorkdir wd;
    operatorSession() = OperatorSession();
    QCOMPARE(sqlValue("select password from user where name='admin'"), QString("fhjlom"));
    sqlExec("update user set password='" + PasswordHash::legacyForm("abc123") + "' where name='admin'");
    PromptRecorder prompts;
    {
        logDlg dlg;
        dlg.findChild<QLineEdit *>("lineEdit")->setText("abc123");
        clickButton(&dlg, "toolButton_3");
    }
    QCOMPARE(operatorSession().loginName, QString("admin"));
    const QString stored = sqlValue("select password from user where name='admin'");
    QVERIFY(stored.startsWith("pbkdf2-sha256$"));
    QVERIFY(verifyPassword("abc123", stored));
    QVERIFY(prompts.texts().isEmpty());
    QCOMPARE(sqlValue("select log from log"), QString("系统登录成功"));

    // The next login compares against the hash.
    operatorSession() = OperatorSession();
    logDlg again;
    again.findChild<QLineEdit *>("lineEdit")->setText("abc123");
    clickButton(&again, "toolButton_3");
    QCOMPARE(operatorSession().loginName, QString("admin"));
    QCOMPARE(sqlValue("select password from user where name='admin'"), stored);
}

void TestReliability::brokenInstallation_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("message");
    QTest::newRow("no dbset.xml") << "nodbset" << "找不到配置文件 dbset.xml";
    QTest::newRow("broken dbset.xml") << "brokendbset" << "dbset.xml 无法读取或已损坏";
    QTest::newRow("not a database") << "garbage" << "数据库文件 mochenxinxi.db 已损坏";
    QTest::newRow("database is a folder") << "folder" << "无法使用数据库文件 mochenxinxi.db";
}

void TestReliability::brokenInstallation()
{
    QFETCH(QString, damage);
    QFETCH(QString, message);
    TestWorkdir wd(false);
    {
        QSqlDatabase db = QSqlDatabase::database(QSqlDatabase::defaultConnection, false);
        if (db.isValid())
            db.close();
    }
    if (damage == "nodbset")
        QFile::remove("dbset.xml");
    if (damage == "brokendbset")
        wd.writeDbset("<dbset><Tables><CreateTable name=\"x\"");
    if (damage == "garbage") {
        QFile f("mochenxinxi.db");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
    }
    if (damage == "folder")
        QVERIFY(QDir().mkdir("mochenxinxi.db"));

    operatorSession() = OperatorSession();
    PromptRecorder prompts;
    QCOMPARE(runMochen(*qApp), 1); // no login dialog is shown: the run ends at once
    QCOMPARE(prompts.texts().size(), 1);
    QCOMPARE(prompts.titles().value(0), QString("错误"));
    QVERIFY2(prompts.last().contains(message), qPrintable(prompts.last()));
    if (damage == "garbage") {
        QFile f("mochenxinxi.db");
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray(4096, 'x')); // the file was not touched
    }
}

void TestReliability::durableConnection()
{
    TestWorkdir wd;
    QCOMPARE(sqlValue("pragma journal_mode"), QString("wal"));
    QCOMPARE(sqlValue("pragma synchronous"), QString("2")); // FULL
    QVERIFY(sqlValue("pragma busy_timeout").toInt() >= 5000);
    QVERIFY(openDatabase()); // a second call keeps the connection
    QCOMPARE(sqlValue("select count(*) from user"), QString("1"));
}

void TestReliability::dailyBackupKeepsThirty()
{
    TestWorkdir wd;
    sqlExec("insert into huiyuan(ID,name,shengyujine) values('1001','甲',500)");
    QDir().mkpath("backup");
    for (int i = 1; i <= 35; ++i) {
        QFile f(QString("backup/mochenxinxi-2020%1.db").arg(1000 + i, 4, 10, QChar('0')));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    QCOMPARE(backupDatabaseDaily(), QString());
    const QString today = "backup/mochenxinxi-" + QDate::currentDate().toString("yyyyMMdd") + ".db";
    QVERIFY(QFile::exists(today));
    QStringList kept = QDir("backup").entryList({"mochenxinxi-*.db"}, QDir::Files, QDir::Name);
    QCOMPARE(kept.size(), 30);
    QVERIFY(!kept.contains("mochenxinxi-20201001.db")); // the oldest went first
    QVERIFY(kept.contains(today.mid(7)));

    // The copy is a database holding the rows.
    {
        QSqlDatabase copy = QSqlDatabase::addDatabase("QSQLITE", "copy");
        copy.setDatabaseName(today);
        QVERIFY(copy.open());
        QSqlQuery q(copy);
        QVERIFY(q.exec("select shengyujine from huiyuan where ID='1001'"));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toDouble(), 500.0);
    }
    QSqlDatabase::removeDatabase("copy");

    // Once a day: a second run leaves today's copy alone.
    const QDateTime before = QFileInfo(today).lastModified();
    sqlExec("update huiyuan set shengyujine=1");
    QCOMPARE(backupDatabaseDaily(), QString());
    QCOMPARE(QFileInfo(today).lastModified(), before);

    // A backup that cannot be written is reported, not fatal.
    QFile blocker("blocked");
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QVERIFY(!backupDatabaseDaily("blocked/backup").isEmpty());
}

void TestReliability::dailyBackupBesideTheCounter()
{
    TestWorkdir wd;
    for (int i = 0; i < 2000; ++i)
        sqlExec(QString("insert into log(time,user,log) values('2026-01-01','admin','%1')").arg(QString(200, 'x')));
    // The outcome comes back to this thread, queued.
    QStringList outcomes;
    DailyBackup backup;
    connect(&backup, &DailyBackup::finished, this, [&outcomes](const QString &problem) { outcomes << problem; });
    backup.start();
    // The counter keeps writing while the copy is made: no write waits for it.
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 50; ++i)
        sqlExec(QString("insert into huiyuan(ID,name) values('%1','甲')").arg(i));
    QVERIFY(clock.elapsed() < 4000);
    QTRY_COMPARE_WITH_TIMEOUT(outcomes.size(), 1, 30000);
    QCOMPARE(outcomes.first(), QString());
    // The day's statistics are gathered on the counter's connection, not from
    // the copying thread (which may not touch it).
    QCOMPARE(sqlValue("select count(*) from sqlite_master where name='sqlite_stat1'"), QString("1"));
    const QString today = "backup/mochenxinxi-" + QDate::currentDate().toString("yyyyMMdd") + ".db";
    QCOMPARE(checkDatabaseFile(today, true), QString());

    // A copy that cannot be written is told, and the thread ends.
    QFile blocker("blocked");
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    DailyBackup failing;
    connect(&failing, &DailyBackup::finished, this, [&outcomes](const QString &problem) { outcomes << problem; });
    failing.start("blocked/backup");
    QTRY_COMPARE_WITH_TIMEOUT(outcomes.size(), 2, 30000);
    QVERIFY(!outcomes.last().isEmpty());
}

void TestReliability::copyThatFailsItsCheckReplacesNothing()
{
    TestWorkdir wd;
    sqlExec("insert into huiyuan(ID,name,shengyujine) values('1001','甲',500)");
    QDir().mkpath("backup");
    sqlExec("vacuum into 'backup/mochenxinxi-20201001.db'"); // the one good copy, the oldest too
    // A row its table forbids, as damage can leave behind: no copy of it is
    // whole (the copy is refused, or would fail the full check).
    sqlExec("create table broken(x)");
    sqlExec("insert into broken values(null)");
    sqlExec("pragma writable_schema=1");
    sqlExec("update sqlite_master set sql='CREATE TABLE broken(x NOT NULL)' where name='broken'");
    sqlExec("pragma writable_schema=0");
    const QStringList before = QDir("backup").entryList(QDir::Files);

    // Keeping one copy, a good new one would push the old one out.
    const QString problem = backupDatabaseDaily("backup", 1);
    QVERIFY(!problem.isEmpty());
    QCOMPARE(QDir("backup").entryList(QDir::Files), before);

    // Beside the counter the same damage stops the work, naming the good copy.
    QStringList finished, damaged;
    DailyBackup backup;
    connect(&backup, &DailyBackup::finished, this, [&finished](const QString &p) { finished << p; });
    connect(&backup, &DailyBackup::damaged, this, [&damaged](const QString &m) { damaged << m; });
    backup.start("backup", 1);
    QTRY_COMPARE_WITH_TIMEOUT(damaged.size(), 1, 30000);
    QVERIFY2(damaged.first().contains("已损坏") && damaged.first().contains("mochenxinxi-20201001.db"),
             qPrintable(damaged.first()));
    QVERIFY(finished.isEmpty());
    QCOMPARE(QDir("backup").entryList(QDir::Files), before);
}

QTEST_MAIN(TestReliability)
#include "tst_reliability.moc"
