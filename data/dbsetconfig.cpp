#include "dbsetconfig.h"
#include "enginedriver.h"
#include "postgresdriver.h"
#include "preparedqueries.h"
#include "shopconnection.h"
#include "sqldialect.h"
#include "sqllog.h"
#include "transactionscope.h"

#include <QCryptographicHash>
#include <QFile>
#include <QMutex>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QXmlStreamReader>

namespace {
const QString kListSeparator = QStringLiteral("\u3001"); // 、

// Empty parts are kept: an empty attribute is a list with one empty string.
QStringList splitList(const QString &text)
{
    return text.split(kListSeparator, Qt::KeepEmptyParts, Qt::CaseSensitive);
}

QMap<QString, std::function<void()>> &refills()
{
    static QMap<QString, std::function<void()>> m;
    return m;
}

DbsetMap parseDbset(const QByteArray &contents)
{
    DbsetMap map;
    // Entries are the elements two levels below the root (root > group > entry);
    // a file that is not well-formed XML gives no entries at all.
    QXmlStreamReader xml(contents);
    xml.setNamespaceProcessing(false);
    DbsetMap read;
    int depth = 0;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement) {
            --depth;
            continue;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        ++depth;
        if (depth == 1)
            qCDebug(lcSql) << xml.qualifiedName().toString();
        if (depth != 3)
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        const auto attribute = [&attributes](const char *key) {
            return attributes.value(QLatin1String(key)).toString();
        };
        const QStringRef tag = xml.qualifiedName();
        const QString name = attribute("name");
        if (tag == QLatin1String("Table")) {
            read.insert(name, QVariant::fromValue(Tableinfo{name, splitList(attribute("row_name"))}));
        } else if (tag == QLatin1String("CreateTable")) {
            read.insert(name, QVariant::fromValue(CreateTableinfo{name, attribute("SqlStr")}));
        } else if (tag == QLatin1String("tempCreateTable")) {
            read.insert(name, QVariant::fromValue(tempCreateTableinfo{name, attribute("SqlStr")}));
        } else if (tag == QLatin1String("CreateTrigger")) {
            read.insert(name, QVariant::fromValue(CreateTriggerinfo{name, attribute("trigger"), attribute("table"),
                                                                    attribute("event"), attribute("when"),
                                                                    attribute("body"), attribute("refuse")}));
        } else if (tag == QLatin1String("ComBox")) {
            ComBoxinfo info;
            info.name = name;
            info.type = attribute("type");
            if (info.type == QLatin1String("row_name"))
                info.row_name = splitList(attribute("row_name"));
            else if (info.type == QLatin1String("SqlStr"))
                info.SqlStr = attribute("SqlStr");
            read.insert(name, QVariant::fromValue(info));
        } else if (tag == QLatin1String("TableView")) {
            read.insert(name, QVariant::fromValue(
                                  TableViewinfo{name, attribute("SqlStr"), splitList(attribute("row_name"))}));
        } else if (tag == QLatin1String("Software")) {
            read.insert(name, QVariant::fromValue(Softwareinfo{name, attribute("info")}));
        }
    }
    if (xml.hasError())
        return map;
    return read;
}
} // namespace

// Every window reads the file again when it binds its lists (dozens at start-up,
// a few per dialog), and what it reads is what the file holds now; but the file
// almost never changes, so the contents are compared with the last ones parsed
// and the same contents are parsed once per process.
DbsetMap readDbset(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return DbsetMap();
    const QByteArray contents = file.readAll();
    static QMutex lock;
    static QByteArray lastContents;
    static DbsetMap lastMap;
    static bool parsed = false;
    QMutexLocker locked(&lock);
    if (!parsed || contents != lastContents) {
        lastMap = parseDbset(contents);
        lastContents = contents;
        parsed = true;
    }
    return lastMap;
}

namespace {
QString &openProblem()
{
    static QString p;
    return p;
}

bool openShopServer(const ShopConnection &shop)
{
    const QString name = QString::fromLatin1(QSqlDatabase::defaultConnection);
    if (QSqlDatabase::contains(name)) {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        if (db.isOpen() && SqlDialect::isPostgres(db) && db.databaseName() == shop.database
            && db.hostName() == shop.host)
            return true;
        if (!SqlDialect::isPostgres(db)) {
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(name);
        }
    }
    QString error;
    if (shop.openServer(name, &error))
        return true;
    openProblem() = QStringLiteral("无法连接数据库服务器 %1：%2").arg(shop.engineText(), error);
    qCWarning(lcSql).noquote() << openProblem();
    return false;
}
} // namespace

QString shopOpenProblem()
{
    return openProblem();
}

bool openDatabase()
{
    openProblem().clear();
    // Statements kept for the connection as it was open belong to it alone.
    PreparedQueries::forgetAll();
    PostgresDriver::forgetRowNumbers();
    const ShopConnection shop = ShopConnection::load();
    setCurrentShopConnection(shop);
    if (!shop.problem.isEmpty()) {
        openProblem() = QStringLiteral("设置文件 %1 有误：%2").arg(ShopConnection::fileName(), shop.problem);
        qCWarning(lcSql).noquote() << openProblem();
        return false;
    }
    if (shop.postgres)
        return openShopServer(shop);
    const QString fileName = QStringLiteral("mochenxinxi.db");
    if (QSqlDatabase::contains(QSqlDatabase::defaultConnection)
        && SqlDialect::isPostgres(QSqlDatabase::database(QSqlDatabase::defaultConnection, false)))
        QSqlDatabase::removeDatabase(QString::fromLatin1(QSqlDatabase::defaultConnection));
    QSqlDatabase db = QSqlDatabase::contains(QSqlDatabase::defaultConnection)
                          ? QSqlDatabase::database(QSqlDatabase::defaultConnection, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
    // Opened once per process; the start-up check may already have done it.
    if (db.isOpen() && db.databaseName() == fileName)
        return true;
    db.setDatabaseName(fileName);
    // A second copy of the program on the same file waits for the lock instead
    // of failing: within one budget per operation (see TransactionScope).
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(TransactionScope::busyBudgetMs()));
    if (db.open()) {
        qCDebug(lcSql) << "Succeed to connect database.";
        // Write-ahead log with a full sync at every commit: a committed sale survives a
        // crash or a power cut, and readers never block the cashier's writes.
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("PRAGMA journal_mode=WAL")))
            qCWarning(lcSql) << "PRAGMA journal_mode" << q.lastError().text();
        if (!q.exec(QStringLiteral("PRAGMA synchronous=FULL")))
            qCWarning(lcSql) << "PRAGMA synchronous" << q.lastError().text();
        return true;
    }
    qCWarning(lcSql) << "Error: Failed to connect database." << db.lastError().text();
    return false;
}

// A statement of dbset.xml as the engine runs it: a table from its declared
// columns, a view's query as it is written (for both engines), any other
// statement as the data layer runs statements.
static QString engineStatement(const QString &statement)
{
    const EngineDriver &driver = EngineDriver::current();
    if (EngineDriver::isCreateTable(statement))
        return driver.createTable(statement);
    QString view;
    QString select;
    bool temp = false;
    if (EngineDriver::splitCreateViewIfMissing(statement, &view, &temp, &select))
        return driver.createViewHead(view, temp) + QLatin1Char(' ') + select;
    static const QRegularExpression createView(QStringLiteral("^\\s*CREATE\\s+(?:TEMP\\s+|TEMPORARY\\s+)?VIEW\\b"),
                                               QRegularExpression::CaseInsensitiveOption);
    if (createView.match(statement).hasMatch())
        return statement;
    return SqlDialect::translate(statement);
}

static void runCreate(const QString &sql)
{
    QSqlQuery q;
    // On the server a failing statement would spoil the rest of the
    // transaction: each one gets its own savepoint.
    const bool savepoint = SqlDialect::isPostgres() && TransactionScope::active()
                           && q.exec(QStringLiteral("SAVEPOINT create_one"));
    const bool ok = q.exec(sql);
    if (savepoint) {
        const QSqlError error = q.lastError();
        QSqlQuery end;
        end.exec(QString::fromLatin1(ok ? "RELEASE SAVEPOINT create_one" : "ROLLBACK TO SAVEPOINT create_one"));
        if (!ok) {
            qCWarning(lcSql).noquote() << QStringLiteral("创建表错误 故障") + sql << error.text();
            TransactionScope::noteFailure(sql, error.text());
            return;
        }
    }
    if (ok) {
        qCDebug(lcSql).noquote() << sql;
    } else {
        qCWarning(lcSql).noquote() << QStringLiteral("创建表错误 故障") + sql << q.lastError().text();
        TransactionScope::noteFailure(sql, q.lastError().text());
    }
}

// The statements that make one trigger or view, and the record of what made
// it, as one step: a desk already selling never writes a row in the instant
// between a trigger's drop and its create (its summaries would miss the row),
// and a step that fails leaves the old object and its record as they were.
// On the server outside a transaction it is one of its own; inside the walk's
// transaction (the file's) a savepoint.
static void runTogether(const QStringList &statements, const QString &object, const QString &hash)
{
    QSqlDatabase db = QSqlDatabase::database(QSqlDatabase::defaultConnection, false);
    const bool own = SqlDialect::isPostgres() && !TransactionScope::active();
    QSqlQuery q(db);
    if (!q.exec(own ? QStringLiteral("BEGIN") : QStringLiteral("SAVEPOINT make_object"))) {
        qCWarning(lcSql).noquote() << QStringLiteral("创建表错误 故障") + statements.value(0) << q.lastError().text();
        return;
    }
    QString failed;
    QSqlError error;
    for (const QString &sql : statements) {
        if (!q.exec(sql)) {
            failed = sql;
            error = q.lastError();
            break;
        }
        qCDebug(lcSql).noquote() << sql;
    }
    if (failed.isEmpty() && !object.isEmpty()) {
        q.prepare(QStringLiteral("INSERT INTO mochen_objects(name, hash) VALUES (?, ?) "
                                 "ON CONFLICT (name) DO UPDATE SET hash = excluded.hash"));
        q.addBindValue(object);
        q.addBindValue(hash);
        if (!q.exec()) {
            failed = q.lastQuery();
            error = q.lastError();
        }
    }
    QSqlQuery end(db);
    if (failed.isEmpty()) {
        end.exec(own ? QStringLiteral("COMMIT") : QStringLiteral("RELEASE SAVEPOINT make_object"));
        return;
    }
    qCWarning(lcSql).noquote() << QStringLiteral("创建表错误 故障") + failed << error.text();
    if (own) {
        end.exec(QStringLiteral("ROLLBACK"));
    } else {
        end.exec(QStringLiteral("ROLLBACK TO SAVEPOINT make_object"));
        end.exec(QStringLiteral("RELEASE SAVEPOINT make_object"));
    }
    TransactionScope::noteFailure(failed, error.text());
}

// What made a trigger or view last time, as mochen_objects holds it (empty
// when nothing is recorded, as in a shop from before the record).
static QString madeWith(const QSqlDatabase &db, const QString &object)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("select hash from mochen_objects where name = ?"));
    q.addBindValue(object);
    return q.exec() && q.next() ? q.value(0).toString() : QString();
}

static QString hashOf(const QStringList &statements)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(statements.join(QLatin1Char('\n')).toUtf8(), QCryptographicHash::Sha1).toHex());
}

// A trigger or view is made again only where it is missing or the statements
// that make it on this engine are no longer those that made it: a changed
// definition in dbset.xml reaches a shop made before it, and an unchanged one
// is left alone (no drop at each start under the desks that are selling).
static void makeObject(const QString &object, bool exists, const QString &drop, const QStringList &make)
{
    const QSqlDatabase db = QSqlDatabase::database(QSqlDatabase::defaultConnection, false);
    const QString hash = hashOf(make);
    if (exists && madeWith(db, object) == hash)
        return;
    runTogether(QStringList{drop} + make, object, hash);
}

// "CREATE [TEMP] VIEW [IF NOT EXISTS] name AS …": the view's name.
static QString viewName(const QString &statement)
{
    static const QRegularExpression head(
        QStringLiteral("^\\s*CREATE\\s+(?:TEMP\\s+|TEMPORARY\\s+)?VIEW\\s+(?:IF\\s+NOT\\s+EXISTS\\s+)?(\\w+)\\s+AS\\b"),
        QRegularExpression::CaseInsensitiveOption);
    return head.match(statement).captured(1);
}

void createTables()
{
    const DbsetMap map = readDbset();
    // One transaction for the whole walk: one sync to disk instead of one per
    // statement. A failing statement fails alone and the rest still run.
    QSqlDatabase db = QSqlDatabase::database();
    // On a shop server each statement stands alone (a failed one would spoil
    // the transaction, the desk's working tables with it), and desks starting
    // at the same moment take turns.
    const bool server = SqlDialect::isPostgres();
    if (server)
        QSqlQuery(db).exec(QStringLiteral("SELECT pg_advisory_lock(724301)"));
    // A summary's fill for a shop that had none reads every header row once
    // (13 s for a document's days at a large shop): it must not meet the desk's
    // statement limit, or the summary would stay empty while its triggers go on.
    if (server)
        QSqlQuery(db).exec(QStringLiteral("SET statement_timeout = 0"));
    if (server)
        for (const QString &f : EngineDriver::current().serverFunctions()) {
            QSqlQuery q(db);
            if (!q.exec(f))
                qCWarning(lcSql).noquote() << QStringLiteral("创建表错误 故障") + f << q.lastError().text();
        }
    const bool own = !TransactionScope::active() && !server && db.transaction();
    const EngineDriver &driver = EngineDriver::current();
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        const QVariant &v = it.value();
        if (v.userType() == qMetaTypeId<CreateTableinfo>()) {
            const QString sql = v.value<CreateTableinfo>().SqlStr;
            const QString view = viewName(sql);
            if (view.isEmpty())
                runCreate(engineStatement(sql));
            else
                makeObject(view, driver.hasView(db, view), QStringLiteral("DROP VIEW IF EXISTS ") + view,
                           {engineStatement(sql)});
        } else if (v.userType() == qMetaTypeId<CreateTriggerinfo>()) {
            // SQLite's CREATE TRIGGER IF NOT EXISTS keeps a trigger that is
            // there: the old one goes first on both engines.
            const CreateTriggerinfo t = v.value<CreateTriggerinfo>();
            makeObject(t.trigger, driver.hasTrigger(db, t.trigger), driver.dropTrigger(t.trigger, t.table),
                       driver.createTrigger(t));
        } else if (v.userType() == qMetaTypeId<tempCreateTableinfo>()) {
            const tempCreateTableinfo info = v.value<tempCreateTableinfo>();
            runCreate(engineStatement(info.SqlStr));
            const auto hook = refills().value(info.name);
            if (hook)
                hook();
        }
    }
    if (own && !db.commit())
        qCWarning(lcSql) << "创建表错误 故障" << db.lastError().text();
    PostgresDriver::forgetRowNumbers();
    if (server) {
        for (const QString &limit : ShopConnection::serverTimeouts())
            QSqlQuery(db).exec(limit);
        QSqlQuery(db).exec(QStringLiteral("SELECT pg_advisory_unlock(724301)"));
    }
}

void createWorkingTable(const QString &entryName)
{
    const QString sql = dbsetEntry<tempCreateTableinfo>(readDbset(), entryName).SqlStr;
    if (sql.isEmpty())
        qCWarning(lcSql).noquote() << QStringLiteral("没有这个临时表：") + entryName;
    else
        runCreate(engineStatement(sql));
}

void setTempTableRefill(const QString &entryName, std::function<void()> refill)
{
    if (refill)
        refills().insert(entryName, std::move(refill));
    else
        refills().remove(entryName);
}

void optimizeDatabase(bool full)
{
    // Table statistics let the planner choose the date range over a walk of a
    // member index. analysis_limit bounds ANALYZE to a sample of each index, so
    // it costs the same at any size of shop.
    QSqlQuery q;
    if (SqlDialect::isPostgres()) {
        // The server's autovacuum keeps its statistics; a full pass after the backup.
        if (full && !q.exec(QStringLiteral("ANALYZE")))
            qCWarning(lcSql) << "ANALYZE" << q.lastError().text();
        return;
    }
    q.exec(QStringLiteral("PRAGMA analysis_limit=400"));
    const bool haveStats = EngineDriver::current().hasTable(QStringLiteral("sqlite_stat1"));
    const QString sql = full || !haveStats ? QStringLiteral("ANALYZE") : QStringLiteral("PRAGMA optimize");
    if (q.exec(sql))
        qCDebug(lcSql).noquote() << sql;
    else
        qCWarning(lcSql).noquote() << sql << q.lastError().text();
}
