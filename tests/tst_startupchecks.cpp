#include <QtTest>
#include <QProcess>
#include <QSignalSpy>
#include <QLineEdit>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include "adddlg.h"
#include "dbfailure.h"
#include "dbhealth.h"
#include "enginedriver.h"
#include "operatorsession.h"
#include "schemaupgrade.h"
#include "startup.h"
#include "testsupport.h"

#include <sys/wait.h>
#include <unistd.h>

// What the program finds wrong with its database before anyone logs in, and
// how it tells it: a file it cannot write, a damaged file, a full disk, tables
// of an older version or a dbset.xml that does not fit.
class TestStartupChecks : public QObject
{
    Q_OBJECT
private slots:
    void readOnlyFileStops();
    void walSwitchFailureStops();
    void damagedFileNamesNewestGoodBackup();
    void fullDiskIsToldAsFullDisk();
    void failureCauses_data();
    void failureCauses();
    void olderTablesGetTheirColumns();
    void unfitLayoutStops_data();
    void unfitLayoutStops();
};

namespace {
void closeDefault()
{
    QSqlDatabase db = QSqlDatabase::database(QSqlDatabase::defaultConnection, false);
    if (db.isValid())
        db.close();
}

// Runs the program's start, which must stop before the login; returns the one
// message it showed.
QString startupMessage()
{
    closeDefault();
    operatorSession() = OperatorSession();
    PromptRecorder prompts;
    const int exit = runMochen(*qApp);
    if (exit != 1)
        return QStringLiteral("<exit %1>").arg(exit);
    if (prompts.texts().size() != 1 || prompts.titles().value(0) != QStringLiteral("错误"))
        return QStringLiteral("<prompts: %1>").arg(prompts.texts().join(" | "));
    return prompts.last();
}

QString schemaOf(const QString &table)
{
    return sqlRows("select sql from sqlite_master where name='" + table + "'").value(0).value(0);
}

void runScript(const QString &path)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QString script;
    for (const QString &line : QString::fromUtf8(f.readAll()).split('\n'))
        if (!line.startsWith("--"))
            script += line + '\n';
    for (const QString &sql : script.split(";\n", Qt::SkipEmptyParts))
        if (!sql.trimmed().isEmpty())
            sqlExec(sql);
}
} // namespace

void TestStartupChecks::readOnlyFileStops()
{
    TestWorkdir wd;
    closeDefault();
    QVERIFY(QFile::setPermissions("mochenxinxi.db", QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    QVERIFY(QFile::setPermissions(wd.path(), QFileDevice::Permissions(0x7777)));
    QString message;
    if (geteuid() != 0) {
        message = startupMessage();
    } else {
        // Root writes through any permission: the check runs as an ordinary user.
        int fds[2];
        QVERIFY(pipe(fds) == 0);
        const pid_t pid = fork();
        if (pid == 0) {
            close(fds[0]);
            if (setgid(65534) != 0 || setuid(65534) != 0)
                _exit(3);
            const QByteArray text = installationProblem().toUtf8();
            if (write(fds[1], text.constData(), size_t(text.size())) < 0)
                _exit(4);
            _exit(0);
        }
        close(fds[1]);
        QByteArray text;
        char buf[4096];
        for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;)
            text.append(buf, int(n));
        close(fds[0]);
        int status = 0;
        waitpid(pid, &status, 0);
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        message = QString::fromUtf8(text);
    }
    QVERIFY2(message.contains("无法写入") && message.contains("只读"), qPrintable(message));
}

void TestStartupChecks::walSwitchFailureStops()
{
    TestWorkdir wd(false);
    {
        // A database left in the old journal mode, and another program reading it
        // at start: the switch to the write-ahead log cannot happen.
        QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "other");
        other.setDatabaseName("mochenxinxi.db");
        QVERIFY(other.open());
        QSqlQuery q(other);
        QVERIFY(q.exec("create table t(x)"));
        QVERIFY(q.exec("insert into t values(1)"));
        QVERIFY(q.exec("begin"));
        QVERIFY(q.exec("select * from t"));
        QVERIFY(q.next());
        const QString message = startupMessage();
        QVERIFY2(message.contains("无法切换到预写日志模式"), qPrintable(message));
        q.finish();
        q.exec("rollback");
        other.close();
    }
    QSqlDatabase::removeDatabase("other");
}

void TestStartupChecks::damagedFileNamesNewestGoodBackup()
{
    TestWorkdir wd;
    for (int i = 0; i < 50; ++i)
        sqlExec(QString("insert into huiyuan(ID,name,shengyujine) values('%1','会员%1',100)").arg(1000 + i));
    QDir().mkpath("backup");
    sqlExec("vacuum into 'backup/mochenxinxi-20261201.db'");
    sqlExec("vacuum into 'backup/mochenxinxi-20261130.db'");
    {
        QFile junk("backup/mochenxinxi-20261205.db"); // newest, but not a database
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray(8192, 'x'));
    }
    const QDateTime now = QDateTime::currentDateTime();
    auto touch = [](const QString &name, const QDateTime &when) {
        QFile f(name);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(when, QFileDevice::FileModificationTime));
    };
    touch("backup/mochenxinxi-20261130.db", now.addDays(-8));
    touch("backup/mochenxinxi-20261201.db", now.addDays(-7));
    touch("backup/mochenxinxi-20261205.db", now.addDays(-3));

    const int root = sqlValue("select rootpage from sqlite_master where name='huiyuan'").toInt();
    const int pageSize = sqlValue("pragma page_size").toInt();
    sqlExec("pragma wal_checkpoint(TRUNCATE)");
    closeDefault();
    {
        QFile db("mochenxinxi.db");
        QVERIFY(db.open(QIODevice::ReadWrite));
        QVERIFY(db.seek(qint64(root - 1) * pageSize));
        db.write(QByteArray(16, '\x07')); // no valid page type, nonsense cell counts
    }
    const QString message = startupMessage();
    QVERIFY2(message.contains("已损坏"), qPrintable(message));
    QVERIFY2(message.contains("mochenxinxi-20261201.db"), qPrintable(message));
    QVERIFY(!message.contains("mochenxinxi-20261205.db"));
    QVERIFY(message.contains("改名为 mochenxinxi.db"));

    // A large file is let through to the login and its pages read beside the
    // counter: the same damage and the same backup are told from there.
    openDatabase();
    QCOMPARE(databaseHealthProblem(0), QString());
    {
        PageCheck pages;
        QSignalSpy done(&pages, &PageCheck::finished);
        pages.start();
        QVERIFY(done.wait(20000));
        const QString later = done.first().first().toString();
        QVERIFY2(later.contains("已损坏") && later.contains("mochenxinxi-20261201.db"), qPrintable(later));
    }
    closeDefault();

    // A damaged first page makes the file no database at all: the same words.
    {
        QFile db("mochenxinxi.db");
        QVERIFY(db.open(QIODevice::ReadWrite));
        db.write(QByteArray(16, 'x'));
    }
    const QString header = startupMessage();
    QVERIFY2(header.contains("已损坏") && header.contains("mochenxinxi-20261201.db"), qPrintable(header));

    // Without a usable copy it says so instead of pointing at junk.
    QVERIFY(QFile::remove("backup/mochenxinxi-20261201.db"));
    QVERIFY(QFile::remove("backup/mochenxinxi-20261130.db"));
    const QString alone = startupMessage();
    QVERIFY2(alone.contains("已损坏") && alone.contains("没有找到完好的备份"), qPrintable(alone));
}

void TestStartupChecks::fullDiskIsToldAsFullDisk()
{
    TestWorkdir wd;
    PromptRecorder prompts;
    QLoggingCategory::setFilterRules("mochen.sql.warning=false"); // the statement is long
    operatorSession().loginName = QStringLiteral("admin");
    sqlExec("pragma max_page_count=" + sqlValue("pragma page_count"));
    addDlg dlg;
    dlg.setData("产品类型");
    dlg.findChild<QLineEdit *>("lineEdit")->setText(QString(20000, QChar(0x6D17)));
    clickButton(&dlg, "toolButton");
    QVERIFY2(prompts.last().startsWith("保存失败，本次操作未保存\n原因：磁盘空间已满"), qPrintable(prompts.last()));
    QCOMPARE(sqlValue("select count(*) from leibie where leibiestr='产品类型'"), QString("0"));
    QVERIFY(dlg.result() != QDialog::Accepted);
    QLoggingCategory::setFilterRules(QString());
}

void TestStartupChecks::failureCauses_data()
{
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("cause");
    QTest::newRow("full") << "database or disk is full Unable to fetch row" << "磁盘空间已满";
    QTest::newRow("read-only") << "attempt to write a readonly database Unable to fetch row" << "只读";
    QTest::newRow("locked") << "database is locked Unable to begin transaction" << "另一台收银机";
    QTest::newRow("damaged") << "database disk image is malformed" << "已损坏";
    QTest::newRow("unknown") << "UNIQUE constraint failed: huiyuan.ID" << "";
}

void TestStartupChecks::failureCauses()
{
    QFETCH(QString, error);
    QFETCH(QString, cause);
    const QString text = dbFailureCause(error);
    QCOMPARE(text.isEmpty(), cause.isEmpty());
    QVERIFY2(text.contains(cause), qPrintable(text));
}

void TestStartupChecks::olderTablesGetTheirColumns()
{
    TestWorkdir wd(false);
    openDatabase();
    runScript(QStringLiteral(MOCHEN_SOURCE_DIR "/tests/data/firstrelease.sql"));
    sqlExec("insert into huiyuan(ID,name,shengyujine,jifen) values('1001','甲',300,12)");
    QCOMPARE(sqlValue("pragma user_version"), QString("0"));

    // The first release's tables start without a word and get the version.
    closeDefault();
    QCOMPARE(installationProblem(), QString());
    QCOMPARE(sqlValue("pragma user_version"), QString::number(kSchemaVersion));
    QCOMPARE(sqlValue("select shengyujine+jifen from huiyuan order by rowid"), QString("312"));

    // An older layout: two columns the program writes are missing.
    closeDefault();
    QFile::remove("mochenxinxi.db");
    QVERIFY(QDir("backup").removeRecursively());
    openDatabase();
    sqlExec("create table huiyuan (ID TEXT PRIMARY KEY, name TEXT, shengyujine REAL)");
    sqlExec("create table user (ID INTEGER PRIMARY KEY AUTOINCREMENT, name TEXT, password TEXT)");
    sqlExec("insert into huiyuan values('1001','甲',300)");
    sqlExec("insert into \"user\"(name,password) values('admin','fhjlom')");
    closeDefault();
    QCOMPARE(installationProblem(), QString());
    const QString huiyuan = schemaOf("huiyuan");
    QVERIFY2(huiyuan.contains("jifen REAL") && huiyuan.contains("leijixiaofei REAL"), qPrintable(huiyuan));
    QVERIFY(schemaOf("user").contains("xitongshezhi TEXT"));
    QCOMPARE(sqlRows("select name, shengyujine, jifen is null from huiyuan order by rowid"), (QList<QStringList>{{"甲", "300", "1"}}));
    QCOMPARE(sqlValue("pragma user_version"), QString::number(kSchemaVersion));
    // The copy taken before holds the old layout.
    const QStringList copies = QDir("backup").entryList({"upgrade-v0-*.db"});
    QCOMPARE(copies.size(), 1);
    {
        QSqlDatabase old = QSqlDatabase::addDatabase("QSQLITE", "old");
        old.setDatabaseName("backup/" + copies.first());
        QVERIFY(old.open());
        QSqlQuery q(old);
        QVERIFY(q.exec("select sql from sqlite_master where name='huiyuan'") && q.next());
        QVERIFY(!q.value(0).toString().contains("jifen"));
        old.close();
    }
    QSqlDatabase::removeDatabase("old");
    // The program then runs on it: the columns are there for the indexes and lists.
    createTables();
    QVERIFY(EngineDriver::current().hasIndex("idx_huiyuan_phone"));

    // The members' number, kept by SQLite itself with its own CAST: the
    // sqlite3 command line still writes members and checks the file.
    QVERIFY2(huiyuan.contains("bianhao_shu INTEGER GENERATED ALWAYS AS (CAST(ID AS INTEGER)) VIRTUAL"), qPrintable(huiyuan));
    QVERIFY(EngineDriver::current().hasIndex("idx_huiyuan_bianhao"));
    closeDefault();
    QProcess cli;
    cli.start("sqlite3", {"mochenxinxi.db", "insert into huiyuan(ID,name) values('12abc','乙'); pragma integrity_check;"});
    QVERIFY(cli.waitForFinished(10000));
    QCOMPARE(QString::fromUtf8(cli.readAllStandardOutput() + cli.readAllStandardError()).trimmed(), QString("ok"));
    // A second start finds the layout whole: nothing to add, no new copy.
    QCOMPARE(installationProblem(), QString());
    QCOMPARE(QDir("backup").entryList({"upgrade-v*.db"}).size(), 1);
    QCOMPARE(sqlRows("select ID, bianhao_shu from huiyuan order by bianhao_shu"),
             (QList<QStringList>{{"12abc", "12"}, {"1001", "1001"}}));
}

void TestStartupChecks::unfitLayoutStops_data()
{
    QTest::addColumn<QString>("setup");   // statements run on the database first
    QTest::addColumn<QString>("dbsetFrom"); // text in dbset.xml replaced ...
    QTest::addColumn<QString>("dbsetTo");   // ... by this
    QTest::addColumn<QString>("message");
    QTest::newRow("broken definition") << "" << "CREATE TABLE IF NOT EXISTS yuangong (ID TEXT PRIMARY KEY,"
                                       << "CREATE TABLE IF NOT EXISTS yuangong (ID TEXT PRIMARY KEY,,"
                                       << "表定义“create_yuangong”无法执行";
    QTest::newRow("column list names a missing column")
        << "" << "name=\"yuangong\" row_name=\"ID、name" << "name=\"yuangong\" row_name=\"ID、mingzi"
        << "没有的列“mingzi”";
    QTest::newRow("key column missing") << "create table yuangong (name TEXT, type TEXT)" << "" << ""
                                        << "缺少列 ID";
    QTest::newRow("type differs") << "create table yuangong (ID TEXT PRIMARY KEY, name REAL)" << "" << ""
                                  << "列 name 的类型是 REAL";
    QTest::newRow("newer program") << "pragma user_version=99" << "" << "" << "较新版本的程序";
}

void TestStartupChecks::unfitLayoutStops()
{
    QFETCH(QString, setup);
    QFETCH(QString, dbsetFrom);
    QFETCH(QString, dbsetTo);
    QFETCH(QString, message);
    TestWorkdir wd(false);
    if (!dbsetFrom.isEmpty()) {
        QFile f("dbset.xml");
        QVERIFY(f.open(QIODevice::ReadOnly));
        QString xml = QString::fromUtf8(f.readAll());
        f.close();
        QVERIFY(xml.contains(dbsetFrom));
        wd.writeDbset(xml.replace(dbsetFrom, dbsetTo).toUtf8());
    }
    openDatabase();
    if (!setup.isEmpty())
        sqlExec(setup);
    const QString before = sqlValue("select group_concat(sql,';') from sqlite_master");
    const QString text = startupMessage();
    QVERIFY2(text.contains(message), qPrintable(text));
    QVERIFY(text.contains("程序将退出"));
    // Nothing was changed or created.
    QCOMPARE(sqlValue("select group_concat(sql,';') from sqlite_master"), before);
    QVERIFY(!QDir("backup").exists() || QDir("backup").isEmpty());
}

QTEST_MAIN(TestStartupChecks)
#include "tst_startupchecks.moc"
