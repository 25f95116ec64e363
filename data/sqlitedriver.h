#ifndef SQLITEDRIVER_H
#define SQLITEDRIVER_H

#include "enginedriver.h"

// A shop in its own SQLite file. Its tables keep the affinity the files of
// every earlier version have (money is REAL there as it always was), and the
// shop's few functions are registered on the connection, not created.
class SqliteDriver : public EngineDriver
{
public:
    bool isServer() const override { return false; }

    QString columnType(const QString &declared) const override;
    QString quotedName(const QString &name) const override { return name; }
    QString createTable(const QString &declaredSql) const override;
    QString generatedClause(const QString &expression) const override;

    QString createViewHead(const QString &name, bool temp) const override
    {
        return QStringLiteral("CREATE %1VIEW IF NOT EXISTS %2 AS").arg(temp ? QStringLiteral("TEMP ") : QString(), name);
    }

    QStringList createTrigger(const CreateTriggerinfo &trigger) const override;
    QString dropTrigger(const QString &name, const QString &table) const override;

    QString beginWrite() const override { return QStringLiteral("BEGIN IMMEDIATE"); }
    QString drivingRowsFirst() const override { return QStringLiteral("NOT MATERIALIZED"); }

    bool hasTable(const QSqlDatabase &db, const QString &name) const override;
    bool hasView(const QSqlDatabase &db, const QString &name) const override;
    bool hasIndex(const QSqlDatabase &db, const QString &name) const override;
    bool hasTrigger(const QSqlDatabase &db, const QString &name) const override;
    QStringList columns(const QSqlDatabase &db, const QString &table) const override;
    using EngineDriver::hasIndex;
    using EngineDriver::hasTable;
    using EngineDriver::hasView;

    bool isWorkingTableMissing(const QString &) const override { return false; }

    QStringList serverFunctions() const override { return {}; }

private:
    bool inCatalogue(const QSqlDatabase &db, const QString &type, const QString &name) const;
};

#endif
