#include "dbhealth.h"
#include "dbfailure.h"
#include "sqllog.h"

#include <QAtomicInt>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

namespace {
QString where() { return QDir::currentPath(); }

QString cannotWrite(const QString &error)
{
    QString cause = dbFailureCause(error);
    if (cause.isEmpty())
        cause = QStringLiteral("原因：") + error;
    return QStringLiteral("数据库文件 mochenxinxi.db 无法写入（工作目录：%1）。\n%2\n"
                          "为避免收银数据无法保存，程序将退出。")
        .arg(where(), cause);
}

// The first rows of a check's answer, joined: "ok" when all is well.
QString checkAnswer(QSqlQuery &q)
{
    QStringList lines;
    while (q.next() && lines.size() < 5)
        lines << q.value(0).toString();
    return lines.join(QStringLiteral("; "));
}
} // namespace

qint64 databaseFileBytes()
{
    const QString file = QSqlDatabase::database().databaseName();
    return QFileInfo(file).size() + QFileInfo(file + QStringLiteral("-wal")).size();
}

QString schemaReadError()
{
    QSqlQuery q(QSqlDatabase::database());
    if (!q.exec(QStringLiteral("select count(*) from sqlite_master")))
        return q.lastError().text();
    return QString();
}

QString databaseHealthProblem(qint64 inlinePageCheckBytes)
{
    QSqlDatabase db = QSqlDatabase::database();
    QSqlQuery q(db);
    // A read-only file opens and even begins a transaction; only a real write
    // shows it. The probe table never outlives the rollback.
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return cannotWrite(q.lastError().text());
    const bool wrote = q.exec(QStringLiteral("CREATE TABLE mochen_write_probe (x)"))
                       && q.exec(QStringLiteral("INSERT INTO mochen_write_probe VALUES (1)"));
    const QString writeError = q.lastError().text();
    q.exec(QStringLiteral("ROLLBACK"));
    if (!wrote)
        return cannotWrite(writeError);

    // Without the write-ahead log a committed sale is not safe from a power cut
    // and a report would block the counter.
    if (!q.exec(QStringLiteral("PRAGMA journal_mode")) || !q.next()
        || q.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0) {
        const QString mode = q.isValid() ? q.value(0).toString() : q.lastError().text();
        return QStringLiteral("数据库文件 mochenxinxi.db 无法切换到预写日志模式（当前：%1，工作目录：%2）。\n"
                              "请检查文件和文件夹的写入权限，以及文件是否放在网络共享上。\n"
                              "为避免收银数据在断电时丢失，程序将退出。")
            .arg(mode, where());
    }
    q.finish();

    if (databaseFileBytes() > inlinePageCheckBytes)
        return QString();
    if (!q.exec(QStringLiteral("PRAGMA quick_check")))
        return damagedDatabaseText(q.lastError().text());
    const QString answer = checkAnswer(q);
    q.finish();
    if (answer != QLatin1String("ok"))
        return damagedDatabaseText(answer);
    return QString();
}

PageCheck::PageCheck(QObject *parent) : QObject(parent) {}

PageCheck::~PageCheck()
{
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
    }
}

void PageCheck::start(const QString &backupFolder)
{
    if (m_thread)
        return;
    const QString file = QFileInfo(QSqlDatabase::database().databaseName()).absoluteFilePath();
    const QString folder = QFileInfo(backupFolder).absoluteFilePath();
    m_thread = QThread::create([this, file, folder]() {
        const QString finding = checkDatabaseFile(file, false);
        emit finished(finding.isEmpty() ? QString() : damagedDatabaseText(finding, folder));
    });
    m_thread->start(QThread::LowPriority);
}

QString checkDatabaseFile(const QString &path, bool full)
{
    static QAtomicInt counter;
    const QString name = QStringLiteral("mochen_check_%1").arg(counter.fetchAndAddRelaxed(1));
    QString result;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!QFileInfo(path).isFile() || !db.open()) {
            result = QStringLiteral("无法打开 ") + path;
        } else {
            QSqlQuery q(db);
            if (!q.exec(full ? QStringLiteral("PRAGMA integrity_check") : QStringLiteral("PRAGMA quick_check")))
                result = q.lastError().text();
            else
                result = checkAnswer(q);
            if (result == QLatin1String("ok"))
                result.clear();
            else if (result.isEmpty())
                result = QStringLiteral("无法读取");
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return result;
}

QString newestGoodBackup(const QString &folder)
{
    const QDir dir(folder);
    const QStringList copies =
        dir.entryList({QStringLiteral("mochenxinxi-*.db"), QStringLiteral("upgrade-*.db")}, QDir::Files, QDir::Time);
    for (const QString &copy : copies) { // newest first
        const QString path = dir.absoluteFilePath(copy);
        if (checkDatabaseFile(path, false).isEmpty())
            return path;
    }
    return QString();
}

QString damagedDatabaseText(const QString &finding, const QString &backupFolder)
{
    qCWarning(lcSql) << "数据库损坏" << finding;
    QString text = QStringLiteral("数据库文件 mochenxinxi.db 已损坏（工作目录：%1）。\n检查结果：%2\n"
                                  "为免损坏扩大、账目出错，程序将退出。\n\n")
                       .arg(where(), finding.left(300));
    const QString backup = newestGoodBackup(backupFolder);
    if (backup.isEmpty()) {
        text += QStringLiteral("备份文件夹 %1 中没有找到完好的备份。\n"
                               "请不要删除或覆盖损坏的文件，联系技术支持修复。")
                    .arg(QDir(backupFolder).absolutePath());
        return text;
    }
    text += QStringLiteral("最新的完好备份：%1（%2）\n"
                           "恢复方法：\n"
                           "1. 关闭本程序；\n"
                           "2. 把工作目录中的 mochenxinxi.db、mochenxinxi.db-wal、mochenxinxi.db-shm 移到别的文件夹保存（不要删除）；\n"
                           "3. 把上面的备份文件复制到工作目录，并改名为 mochenxinxi.db；\n"
                           "4. 重新启动程序。备份之后录入的业务需要重新录入。")
                .arg(QDir::toNativeSeparators(backup),
                     QFileInfo(backup).lastModified().toString(QStringLiteral("yyyy-MM-dd hh:mm")));
    return text;
}
