#ifndef BENCHSHOP_H
#define BENCHSHOP_H

#include "dbsetconfig.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <cstdio>

// A fresh, empty shop for a benchmark in `dir` (made the current folder): its
// own SQLite file, or with MOCHEN_TEST_PG set a schema of its own on that
// server, dropped and made again. The tables are created as start-up creates them.
inline bool openEmptyBenchShop(const QString &dir, const QByteArray &schema)
{
    QDir().mkpath(dir);
    QDir::setCurrent(dir);
    for (const char *f : {"mochenxinxi.db", "mochenxinxi.db-wal", "mochenxinxi.db-shm", "dbset.xml"})
        QFile::remove(QString::fromLatin1(f));
    const QByteArray server = qgetenv("MOCHEN_TEST_PG");
    if (!server.isEmpty()) {
        QFile ini(QStringLiteral("mochen-db.ini"));
        if (ini.open(QIODevice::WriteOnly))
            ini.write("engine=postgresql\n" + QByteArray(server).replace(';', '\n') + "\ndesk=bench\nschema=" + schema + "\n");
    } else {
        QFile::remove(QStringLiteral("mochen-db.ini"));
    }
    if (!QFile::copy(QStringLiteral(MOCHEN_SOURCE_DIR "/dbset.xml"), QStringLiteral("dbset.xml"))) {
        std::fprintf(stderr, "dbset.xml not found\n");
        return false;
    }
    if (!openDatabase()) {
        std::fprintf(stderr, "the shop cannot be opened\n");
        return false;
    }
    if (!server.isEmpty()) {
        QSqlQuery q;
        q.exec(QStringLiteral("DROP SCHEMA IF EXISTS ") + QString::fromLatin1(schema) + QStringLiteral(" CASCADE"));
        q.exec(QStringLiteral("CREATE SCHEMA ") + QString::fromLatin1(schema));
        QSqlDatabase::database().close();
        openDatabase();
    }
    createTables();
    return true;
}

#endif
