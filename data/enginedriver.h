#ifndef ENGINEDRIVER_H
#define ENGINEDRIVER_H

#include <QMap>
#include <QString>
#include <QStringList>

class QRegularExpressionMatch;
class QSqlDatabase;
class QSqlError;
struct CreateTriggerinfo;

// What truly differs between the two engines a shop can run on, answered by one
// small class per engine (SqliteDriver, PostgresDriver). The shop's statements
// are written once for both; the column types, the identity column, the write
// transaction, the catalogue, the kinds of failure, the server's own functions
// and the few DDL texts (tables, triggers) are what each engine writes its own way.
//
// Column types in dbset.xml are declared by what the column holds:
//   MONEY    yuan and cents (a balance, a price, a payment)
//   REAL     any other number that may carry a fraction: points, rates and
//            discounts, quantities, package uses, minutes
//   INTEGER  a whole number (a count, cents)
//   TEXT     text
// and "INTEGER PRIMARY KEY AUTOINCREMENT" is the identity column. A column
// declared "TYPE GENERATED ALWAYS AS (expression)" is kept by the engine from
// the row's other columns (written with the shop's functions, as statements are).
class EngineDriver
{
public:
    virtual ~EngineDriver() = default;

    // The driver of Qt's default connection (SQLite when none is open yet).
    static const EngineDriver &current();
    static const EngineDriver &of(const QSqlDatabase &db);
    static const EngineDriver &sqlite();
    static const EngineDriver &postgres();

    virtual bool isServer() const = 0;

    // ---- Tables ----
    // The engine's type of a column declared `declared` in dbset.xml; a type
    // outside the declared ones is kept as written.
    virtual QString columnType(const QString &declared) const = 0;
    // A table or column name as this engine's statements must write it.
    virtual QString quotedName(const QString &name) const = 0;
    // The table of a CREATE TABLE statement of dbset.xml, as this engine
    // creates it. Any other statement is handed back unchanged.
    virtual QString createTable(const QString &declaredSql) const = 0;
    static bool isCreateTable(const QString &sql);
    // A view made only where it is missing ("CREATE [TEMP] VIEW IF NOT
    // EXISTS name AS select…"): its name, whether it is the connection's own,
    // and its query; false for any other statement.
    static bool splitCreateViewIfMissing(const QString &sql, QString *name, bool *temp, QString *select);
    // What comes before the query of such a view on this engine (the server
    // replaces a view that is there).
    virtual QString createViewHead(const QString &name, bool temp) const = 0;
    // "ALTER TABLE … ADD COLUMN …" for a column declared `declared` (NOT NULL
    // and DEFAULT as dbset.xml gives them).
    // A computed column (generated: its expression) takes neither.
    QString addColumn(const QString &table, const QString &column, const QString &declared, bool notNull,
                      const QString &defaultValue, const QString &generated = QString()) const;
    // The clause after a computed column's type, for an expression written
    // with the shop's functions.
    virtual QString generatedClause(const QString &expression) const = 0;
    // The computed columns of a CREATE TABLE statement: name in lower case → expression.
    static QMap<QString, QString> generatedColumns(const QString &createSql);

    // ---- Triggers ----
    // The statements that create (or on the server replace) a trigger of dbset.xml.
    virtual QStringList createTrigger(const CreateTriggerinfo &trigger) const = 0;
    virtual QString dropTrigger(const QString &name, const QString &table) const = 0;

    // ---- Transactions ----
    // The statement that opens a writing transaction: on SQLite it takes the
    // write lock at once (two desks queue up); on the server it opens a
    // snapshot transaction that writeLock() queues, and a conflict makes the
    // whole operation run again.
    virtual QString beginWrite() const = 0;
    // The statement run right after beginWrite(), before anything reads: on
    // the server the desks queue here one behind the other, as SQLite's BEGIN
    // IMMEDIATE makes them, so that each transaction's snapshot is taken after
    // the one ahead of it committed. Empty where BEGIN takes the lock itself.
    virtual QString writeLock() const { return QString(); }

    // ---- Catalogue ----
    // Whether the connection sees a table (its own temporary ones included),
    // a view or an index of that name; names compare without case.
    virtual bool hasTable(const QSqlDatabase &db, const QString &name) const = 0;
    virtual bool hasView(const QSqlDatabase &db, const QString &name) const = 0;
    virtual bool hasIndex(const QSqlDatabase &db, const QString &name) const = 0;
    virtual bool hasTrigger(const QSqlDatabase &db, const QString &name) const = 0;
    // The table's columns in their order, in lower case; empty when there is no such table.
    virtual QStringList columns(const QSqlDatabase &db, const QString &table) const = 0;
    bool hasColumn(const QSqlDatabase &db, const QString &table, const QString &column) const;
    // The same on the default connection.
    bool hasTable(const QString &name) const;
    bool hasView(const QString &name) const;
    bool hasIndex(const QString &name) const;
    bool hasColumn(const QString &table, const QString &column) const;

    // ---- Failures ----
    // The error as the data layer records it; a server's SQLSTATE is appended
    // ("[SQLSTATE 40001]"), so that the kind of failure is known from the text
    // whatever language the server speaks. The kinds below are read from such
    // a text, which says itself which engine wrote it (SQLite's codes are no
    // SQLSTATEs); a fault a test makes up reads the same on either engine.
    static QString errorText(const QSqlError &e);
    // A failure that running the whole operation again may cure: another
    // desk's concurrent transaction (serialisation failure, deadlock, a
    // document ID taken in the same instant).
    static bool isRetryable(const QString &errorText);
    // The connection to the server is gone.
    static bool isConnectionLost(const QString &errorText);
    static bool isRetryable(const QSqlError &e) { return isRetryable(errorText(e)); }
    static bool isConnectionLost(const QSqlError &e) { return isConnectionLost(errorText(e)); }
    // The connection's own working table (temp…) or a statement prepared on
    // it is not there, because the server's connection was made anew without
    // them (Qt reopens a dropped connection by itself). Never on a file.
    virtual bool isWorkingTableMissing(const QString &errorText) const = 0;

    // ---- Functions ----
    // The functions the shop's statements call that the engine lacks (and on
    // the server the table writeLock() queues on), created before any table,
    // view or trigger; empty where they are registered on the connection itself.
    virtual QStringList serverFunctions() const = 0;

protected:
    // The parts of a CREATE TABLE statement: "CREATE TEMP TABLE IF NOT EXISTS"
    // and the like, the table's name, and its column and constraint items.
    struct TableParts
    {
        QString head;
        QString name;
        QStringList items;
        QList<int> itemStarts; // where each item begins in the statement
        QString tail;          // what follows the closing parenthesis
    };
    static bool splitCreateTable(const QString &sql, TableParts *parts);
    // A column item "name TYPE constraints…": its name, declared type and the
    // rest; false for a table constraint (PRIMARY KEY (…), UNIQUE (…), …).
    static bool splitColumn(const QString &item, QString *name, QString *declared, QString *rest, int *typeStart = nullptr);
    // The body of a trigger as its statements, each without its semicolon.
    static QStringList triggerStatements(const QString &body);
    // "GENERATED ALWAYS AS (…) [VIRTUAL|STORED]" in a column's constraints:
    // the clause (capturedStart() where it begins) and the expression (captured(1)).
    static QRegularExpressionMatch generatedIn(const QString &rest);
};

#endif
