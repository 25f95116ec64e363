#include "dbbackup.h"
#include "dbsetconfig.h"
#include "sqllog.h"
#include "sqltext.h"

#include <QDate>
#include <QDir>
#include <QSqlError>
#include <QSqlQuery>

QString backupDatabaseDaily(const QString &folder, int keep)
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
    QSqlQuery q;
    if (!q.exec(QStringLiteral("VACUUM INTO ") + sqlLiteral(partial))) {
        QFile::remove(partial);
        qCWarning(lcSql) << "备份失败" << q.lastError().text();
        return q.lastError().text();
    }
    if (!QFile::rename(partial, target)) {
        QFile::remove(partial);
        return QStringLiteral("无法写入 %1").arg(target);
    }
    optimizeDatabase(true); // once a day: statistics that follow the shop's growth
    QStringList copies = dir.entryList({QStringLiteral("mochenxinxi-????????.db")}, QDir::Files, QDir::Name);
    while (copies.size() > keep)
        dir.remove(copies.takeFirst());
    return QString();
}
