#include "startup.h"

#include "dbrecords.h"
#include "logdlg.h"
#include "mainwindow.h"
#include "operatorsession.h"

#include "dbbackup.h"
#include "dbfailure.h"
#include "dbhealth.h"
#include "dbsetconfig.h"
#include "sessionwarmup.h"
#include "dialogkeys.h"
#include "prompt.h"
#include "schemaupgrade.h"
#include "shopconnection.h"
#include "enginedriver.h"
#include "sqllog.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QTimer>

QString installationProblem()
{
    const QString where = QDir::currentPath();
    if (!QFile::exists(QStringLiteral("dbset.xml")))
        return QStringLiteral("找不到配置文件 dbset.xml（工作目录：%1）。\n程序无法启动，请检查安装。").arg(where);
    const DbsetMap map = readDbset();
    bool hasTables = false;
    for (const QVariant &v : map)
        hasTables = hasTables || v.userType() == qMetaTypeId<CreateTableinfo>();
    if (!hasTables)
        return QStringLiteral("配置文件 dbset.xml 无法读取或已损坏（工作目录：%1）。\n程序无法启动，请检查安装。").arg(where);

    // A file whose very first page is damaged is no database at all: told as
    // damage, with the copy to put back, like damage found deeper in.
    const auto unusable = [&where](const QString &error) {
        if (isDamageError(error))
            return damagedDatabaseText(error);
        return QStringLiteral("无法使用数据库文件 mochenxinxi.db（工作目录：%1）：%2\n"
                              "为避免收银数据无法保存，程序将退出。")
            .arg(where, error);
    };
    if (!openDatabase()) {
        if (!shopOpenProblem().isEmpty())
            return shopOpenProblem() + QStringLiteral("\n为避免收银数据无法保存，程序将退出。");
        return unusable(QSqlDatabase::database(QSqlDatabase::defaultConnection, false).lastError().text());
    }
    // A shop server keeps its own files and copies (pg_dump, the owner's
    // administrator): the checks of the shop file do not apply, the tables of
    // an older program still get their new columns.
    if (EngineDriver::current().isServer())
        return upgradeServerSchema(map);
    const QString unreadable = schemaReadError();
    if (!unreadable.isEmpty())
        return unusable(unreadable);
    const QString health = databaseHealthProblem();
    if (!health.isEmpty())
        return health;
    return upgradeSchema(map);
}

int runMochen(QApplication &app)
{
    registerRecordTypes();
    DialogKeys::install();

    // A cashier must never take sales that are not saved: stop at once when the
    // configuration or the database cannot be used.
    const QString problem = installationProblem();
    if (!problem.isEmpty()) {
        qCWarning(lcSql).noquote() << problem;
        Prompt::ask({QStringLiteral("错误"), problem, {QStringLiteral("确定")}, nullptr});
        return 1;
    }
    // The main window opens the database and creates the tables before anyone logs in.
    MainWindow w;
    {
        logDlg login;
        login.exec();
    }
    if (operatorSession().loginName.isEmpty())
        return 0;

    w.showMaximized();
    // On a shop server the first sales of a session would compile and plan the
    // summaries' triggers: done now, by sales rolled back, before the first customer.
    QTimer::singleShot(0, &w, [] { SessionWarmUp::run(operatorSession().name); });
    // Birthdays, packages running out, debts…: said once the window is up.
    QTimer::singleShot(0, &w, &MainWindow::noticeDailyReminders);
    // The day's copy is made once the counter is open, beside it.
    DailyBackup backup;
    QObject::connect(&backup, &DailyBackup::finished, &w, [&w](const QString &problem) {
        if (!problem.isEmpty())
            Prompt::ask({QStringLiteral("提示"),
                         QStringLiteral("今日数据库备份失败：%1\n可以继续收银，请尽快检查磁盘空间和备份文件夹的权限。").arg(problem),
                         {QStringLiteral("确定")}, &w});
    });
    const auto startBackup = [&backup]() { QTimer::singleShot(2000, &backup, [&backup]() { backup.start(); }); };
    // Damage found beside the counter stops the program as it would have at start.
    const auto stop = [&w](const QString &damage) {
        qCWarning(lcSql).noquote() << damage;
        Prompt::ask({QStringLiteral("错误"), damage, {QStringLiteral("确定")}, &w});
        QCoreApplication::exit(1);
    };
    QObject::connect(&backup, &DailyBackup::damaged, &w, stop);
    // A large file's pages were not read before the login: they are read now.
    PageCheck pages;
    QObject::connect(&pages, &PageCheck::finished, &w, [startBackup, stop](const QString &damage) {
        if (damage.isEmpty())
            startBackup();
        else
            stop(damage);
    });
    // On a shop server the backup is the server's (pg_dump), not each desk's,
    // and so are the checks of its pages.
    if (!EngineDriver::current().isServer()) {
        if (databaseFileBytes() > kInlinePageCheckBytes)
            pages.start();
        else
            startBackup();
    }
    return app.exec();
}
