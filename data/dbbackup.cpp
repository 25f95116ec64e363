#include "dbbackup.h"
#include "dbfailure.h"
#include "dbhealth.h"
#include "dbsetconfig.h"
#include "sqllog.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QThread>
#include <QSqlError>
#include <QSqlQuery>

QString backupDatabaseDaily(const QString &folder, int keep, const QString &connection)
{
    QDir dir(folder);
    if (!dir.exists() && !QDir().mkpath(folder))
        return QStringLiteral("无法创建备份文件夹 %1").arg(QDir(folder).absolutePath());
    const QString name = QStringLiteral("mochenxinxi-%1.db").arg(QDate::currentDate().toString(QStringLiteral("yyyyMMdd")));
    if (dir.exists(name))
        return QString();
    const QString target = dir.absoluteFilePath(name);
    const QString partial = target + QStringLiteral(".part");
    QFile::remove(partial);
    // VACUUM INTO writes a consistent snapshot even while the WAL holds recent commits.
    QSqlQuery q(connection.isEmpty() ? QSqlDatabase::database() : QSqlDatabase::database(connection));
    // The file's name is bound: a folder may hold a quote.
    bool copied = q.prepare(QStringLiteral("VACUUM INTO ?"));
    if (copied) {
        q.addBindValue(partial);
        copied = q.exec();
    }
    if (!copied) {
        QFile::remove(partial);
        qCWarning(lcSql) << "备份失败" << q.lastError().text();
        const QString cause = dbFailureCause(q.lastError().text());
        return cause.isEmpty() ? q.lastError().text() : q.lastError().text() + QLatin1Char('\n') + cause;
    }
    // A copy that is not whole must never push out a good old one.
    const QString damage = checkDatabaseFile(partial, true);
    if (!damage.isEmpty()) {
        QFile::remove(partial);
        qCWarning(lcSql) << "备份未通过完整性检查" << damage;
        return QStringLiteral("备份副本未通过完整性检查（%1），数据库可能已损坏，请联系技术支持。").arg(damage.left(200));
    }
    if (!QFile::rename(partial, target)) {
        QFile::remove(partial);
        return QStringLiteral("无法写入 %1").arg(target);
    }
    // Once a day: statistics that follow the shop's growth. They are written
    // through the counter's own connection, which belongs to its thread alone.
    if (connection.isEmpty())
        optimizeDatabase(true);
    QStringList copies = dir.entryList({QStringLiteral("mochenxinxi-????????.db")}, QDir::Files, QDir::Name);
    while (copies.size() > keep)
        dir.remove(copies.takeFirst());
    return QString();
}

DailyBackup::DailyBackup(QObject *parent) : QObject(parent)
{
    // Queued back to the counter's thread, before anyone else hears of it.
    connect(this, &DailyBackup::finished, this, [](const QString &problem) {
        if (problem.isEmpty())
            optimizeDatabase(true);
    });
}

DailyBackup::~DailyBackup()
{
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
    }
}

void DailyBackup::start(const QString &folder, int keep)
{
    if (m_thread)
        return;
    const QString file = QFileInfo(QSqlDatabase::database().databaseName()).absoluteFilePath();
    const QString target = QFileInfo(folder).absoluteFilePath();
    m_thread = QThread::create([this, file, target, keep]() {
        const QString name = QStringLiteral("mochen_daily_backup");
        QString problem;
        {
            // A connection of its own, reading only: the copy is one read
            // transaction, and in the write-ahead log the counter writes on.
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(file);
            db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000"));
            if (!db.open())
                problem = db.lastError().text();
            else
                problem = backupDatabaseDaily(target, keep, name);
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
        // A copy that fails its check may come from a damaged shop file: then
        // the counter must stop as it would at start, not write on into it.
        if (!problem.isEmpty()) {
            const QString finding = checkDatabaseFile(file, false);
            if (!finding.isEmpty()) {
                emit damaged(damagedDatabaseText(finding, target));
                return;
            }
        }
        emit finished(problem);
    });
    m_thread->start(QThread::LowPriority);
}

bool DailyBackup::isRunning() const { return m_thread && m_thread->isRunning(); }
