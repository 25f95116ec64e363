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

// A column of dbset.xml as the server declares it (money as numeric).
QString columnDeclaration(const QString &name, const QString &sqliteType);

// Functions the translated statements call on the server, created with the tables.
QStringList serverFunctions();

// The statement that opens a writing transaction: on SQLite it takes the write
// lock at once (two desks queue up); on the server it asks for serialisable
// isolation, and a conflict makes the whole operation run again.
QString beginWrite();

// The error as the data layer records it; on the server its SQLSTATE is
// appended ("[SQLSTATE 40001]"), so that the kind of failure is known from the
// text whatever language the server speaks.
QString errorText(const QSqlError &e);

// A failure that running the whole operation again may cure: another desk's
// concurrent transaction (serialisation failure, deadlock, a document ID taken
// in the same instant).
bool isRetryable(const QSqlError &e);
bool isRetryableText(const QString &errorText);
// The connection to the server is gone.
bool isConnectionLost(const QSqlError &e);
bool isConnectionLostText(const QString &errorText);
// On the server: the connection's own working table (temp…) is not there,
// because the connection was made anew without them (Qt reopens a dropped
// connection by itself).
bool isWorkingTableMissingText(const QString &errorText);

} // namespace SqlDialect

#endif
