#ifndef POSTGRESDRIVER_H
#define POSTGRESDRIVER_H

#include "enginedriver.h"

// A shop on a PostgreSQL server. Money is numeric(14,2) there, every other
// number numeric, so that a value keeps what SQLite keeps (no point or rate
// rounded to two places); every table carries a row number "rowid", which the
// shop orders lines by; a trigger is a function and the trigger that calls it.
class PostgresDriver : public EngineDriver
{
public:
    bool isServer() const override { return true; }

    QString columnType(const QString &declared) const override;
    QString quotedName(const QString &name) const override;
    QString createTable(const QString &declaredSql) const override;
    QString generatedClause(const QString &expression) const override;
    // The identity column and the row number every table has here.
    static QString identityColumn();
    static QString rowNumberColumn();

    QString createViewHead(const QString &name, bool temp) const override
    {
        return QStringLiteral("CREATE OR REPLACE %1VIEW %2 AS").arg(temp ? QStringLiteral("TEMP ") : QString(), name);
    }

    QStringList createTrigger(const CreateTriggerinfo &trigger) const override;
    QString dropTrigger(const QString &name, const QString &table) const override;

    // Repeatable read, not serialisable: every writer holds the write lock
    // before its first statement, so no two of them overlap and serialisable
    // isolation's read locks bought nothing. They are kept while any older
    // serialisable transaction on the server lives (a desk stuck in a lock
    // wait, or gone from the network), and four busy desks then ran the
    // server out of shared memory for them (53200). A write that meets a row
    // changed since its snapshot still fails with 40001 and runs again whole.
    QString beginWrite() const override { return QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ"); }
    // A lock on a table nobody writes: it queues the writers and nothing else
    // (lists read past it), and as a statement that takes no snapshot it holds
    // the transaction's snapshot back until the desk's turn has come.
    QString writeLock() const override { return QStringLiteral("LOCK TABLE mochen_writelock IN EXCLUSIVE MODE"); }

    bool hasTable(const QSqlDatabase &db, const QString &name) const override;
    bool hasView(const QSqlDatabase &db, const QString &name) const override;
    bool hasIndex(const QSqlDatabase &db, const QString &name) const override;
    bool hasTrigger(const QSqlDatabase &db, const QString &name) const override;
    QStringList columns(const QSqlDatabase &db, const QString &table) const override;
    using EngineDriver::hasIndex;
    using EngineDriver::hasTable;
    using EngineDriver::hasView;
    // The server's own type of each column ("numeric(14,2)", "bigint", …), by lower-case name.
    QMap<QString, QString> columnTypes(const QSqlDatabase &db, const QString &table) const;

    bool isWorkingTableMissing(const QString &errorText) const override;

    QStringList serverFunctions() const override;

private:
    bool inCatalogue(const QSqlDatabase &db, const QString &kinds, const QString &name) const;
};

#endif
