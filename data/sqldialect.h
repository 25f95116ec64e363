#ifndef SQLDIALECT_H
#define SQLDIALECT_H

#include <QString>

class QSqlDatabase;
class QSqlError;

// What differs between the two engines a shop can run on. Every statement in
// the program and in dbset.xml is written in SQLite's dialect; on a PostgreSQL
// server the data layer hands it through translate() first, so dbset.xml stays
// one file and no dialog knows which engine it talks to.
namespace SqlDialect {

enum class Engine { Sqlite, Postgres };

// The engine of Qt's default connection (SQLite when none is open yet).
Engine engine();
bool isPostgres();
bool isPostgres(const QSqlDatabase &db);

// The statement for the default connection's engine; unchanged on SQLite.
QString translate(const QString &sql);
// The statement for PostgreSQL, whatever the default connection is.
QString toPostgres(const QString &sql);

// The answers of the connection's EngineDriver, for the callers that still ask here.
QString beginWrite();
QString errorText(const QSqlError &e);
bool isRetryable(const QSqlError &e);
bool isRetryableText(const QString &errorText);
bool isConnectionLost(const QSqlError &e);
bool isConnectionLostText(const QString &errorText);
bool isWorkingTableMissingText(const QString &errorText);

} // namespace SqlDialect

#endif
