// mochen-migrate: copies a SQLite shop into an empty PostgreSQL database.
// mochen-check:   the books checked whole, on either engine.
//
//   mochen-migrate SHOPDIR "host=…;port=…;database=…;user=…[;schema=…]"
//   mochen-check [SHOPDIR] [--statements]
//   mochen-check --rebuild-summaries [SHOPDIR]   (the daily summaries made again from the records)
//
// The server's password comes as for the program: MOCHEN_DB_PASSWORD, or
// password_file= in the connection text. One program, two names: what it does
// follows the name it was called by (or --migrate / --check first).

#include "amounts.h"
#include "dbrecords.h"
#include "dbsetconfig.h"
#include "shopconnection.h"
#include "enginedriver.h"
#include "summarybook.h"
#include "viewdeclarations.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTextStream>

#include <cstdio>

namespace {

// Chinese text to a terminal whatever the locale of the session.
struct Utf8Stream
{
    FILE *file;
    Utf8Stream &operator<<(const QString &s)
    {
        std::fputs(s.toUtf8().constData(), file);
        return *this;
    }
    Utf8Stream &operator<<(const char *s) { return *this << QString::fromUtf8(s); }
    Utf8Stream &operator<<(qint64 n) { return *this << QString::number(n); }
    Utf8Stream &operator<<(int n) { return *this << QString::number(n); }
    Utf8Stream &operator<<(QTextStream &(*)(QTextStream &))
    {
        std::fputs("\n", file);
        std::fflush(file);
        return *this;
    }
};
Utf8Stream out{stdout};
Utf8Stream err{stderr};

QString checkSql(const QString &file = QStringLiteral("check-db.sql"))
{
    const QStringList places = {QCoreApplication::applicationDirPath() + QLatin1Char('/') + file,
                                QCoreApplication::applicationDirPath() + QStringLiteral("/../scripts/") + file,
                                QStringLiteral(MOCHEN_SOURCE_DIR "/scripts/") + file};
    for (const QString &p : places) {
        QFile f(p);
        if (f.open(QIODevice::ReadOnly))
            return QString::fromUtf8(f.readAll());
    }
    return QString();
}

// The books' problems on one connection (check-db.sql, then the daily summaries
// against the records, check-summaries.sql, written for both engines).
QStringList bookProblems(QSqlDatabase db)
{
    QStringList problems;
    // The desk's bound on a statement is for a cashier waiting at the counter;
    // the whole books of a large shop take longer than that on a server.
    if (EngineDriver::of(db).isServer())
        QSqlQuery(db).exec(QStringLiteral("SET statement_timeout = 0"));
    for (const QString &file : {QStringLiteral("check-db.sql"), QStringLiteral("check-summaries.sql")}) {
        const QString sql = checkSql(file);
        if (sql.isEmpty())
            return {QStringLiteral("找不到 ") + file};
        QSqlQuery q(db);
        if (!q.exec(sql))
            return {QStringLiteral("检查语句失败：") + q.lastError().text()};
        while (q.next())
            problems << q.value(0).toString() + QStringLiteral(" | ") + q.value(1).toString();
    }
    return problems;
}

// The shop's own tables, in the order dbset.xml creates them.
QStringList shopTables(const DbsetMap &map)
{
    static const QRegularExpression create(QStringLiteral("^\\s*CREATE\\s+TABLE\\s+IF\\s+NOT\\s+EXISTS\\s+(\\w+)"),
                                           QRegularExpression::CaseInsensitiveOption);
    QStringList tables;
    for (const QVariant &v : map) {
        if (v.userType() != qMetaTypeId<CreateTableinfo>())
            continue;
        const auto m = create.match(v.value<CreateTableinfo>().SqlStr);
        if (m.hasMatch())
            tables << m.captured(1);
    }
    return tables;
}

QStringList columnsOf(QSqlDatabase src, const QString &table)
{
    QStringList cols;
    QSqlQuery q(src);
    q.exec(QStringLiteral("PRAGMA table_info(%1)").arg(table));
    while (q.next())
        cols << q.value(1).toString();
    return cols;
}

QStringList numericColumns(QSqlDatabase src, const QString &table)
{
    QStringList cols;
    QSqlQuery q(src);
    q.exec(QStringLiteral("PRAGMA table_info(%1)").arg(table));
    while (q.next())
        if (q.value(2).toString().toUpper().contains(QLatin1String("REAL")))
            cols << q.value(1).toString();
    return cols;
}

QString quoted(const QString &column)
{
    return QLatin1Char('"') + column.toLower() + QLatin1Char('"');
}

// Count and sums of one table: "rows 1234, jine 56789.12, …".
QString fingerprint(QSqlDatabase db, const QString &table, const QStringList &money)
{
    const bool pg = EngineDriver::of(db).isServer();
    QStringList parts{QStringLiteral("count(*)")};
    // Summed in whole cents: a floating-point total over a few hundred thousand
    // rows drifts by more than a cent, and would report a difference that is none.
    for (const QString &c : money)
        parts << (pg ? QStringLiteral("coalesce(sum(round(%1*100)),0)").arg(quoted(c))
                     : QStringLiteral("coalesce(sum(cast(round(%1*100) as integer)),0)").arg(c));
    QSqlQuery q(db);
    const QString name = pg ? quoted(table) : table;
    if (!q.exec(QStringLiteral("select %1 from %2").arg(parts.join(QLatin1Char(',')), name)) || !q.next())
        return QStringLiteral("失败：") + q.lastError().text();
    QStringList values{QStringLiteral("%1 行").arg(q.value(0).toLongLong())};
    for (int i = 0; i < money.size(); ++i)
        values << money.at(i) + QLatin1Char(' ') + centsText(q.value(i + 1).toLongLong());
    return values.join(QStringLiteral(", "));
}

int migrate(const QString &shopDir, const QString &target)
{
    QElapsedTimer clock;
    clock.start();
    const QString file = QDir(shopDir).filePath(QStringLiteral("mochenxinxi.db"));
    if (!QFileInfo::exists(file) || !QFileInfo::exists(QDir(shopDir).filePath(QStringLiteral("dbset.xml")))) {
        err << "在 " << shopDir << " 没有找到 mochenxinxi.db 和 dbset.xml" << Qt::endl;
        return 2;
    }
    QSqlDatabase src = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("source"));
    src.setDatabaseName(file);
    src.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    if (!src.open()) {
        err << "无法打开 " << file << "：" << src.lastError().text() << Qt::endl;
        return 2;
    }
    ShopConnection server = ShopConnection::parse(QStringLiteral("engine=postgresql;") + target);
    if (!server.problem.isEmpty()) {
        err << server.problem << Qt::endl;
        return 2;
    }
    QString error;
    if (!server.openServer(QString::fromLatin1(QSqlDatabase::defaultConnection), &error)) {
        err << "无法连接 " << server.engineText() << "：" << error << Qt::endl;
        return 2;
    }
    QSqlDatabase dst = QSqlDatabase::database();
    QSqlQuery q(dst);
    if (!server.schema.isEmpty())
        q.exec(QStringLiteral("CREATE SCHEMA IF NOT EXISTS %1").arg(server.schema));
    q.exec(QStringLiteral("select count(*) from information_schema.tables where table_schema = current_schema()"));
    if (q.next() && q.value(0).toInt() > 0) {
        err << "目标数据库不是空的（已有 " << q.value(0).toInt() << " 张表）：只迁移到空数据库，什么也没有写。" << Qt::endl;
        return 3;
    }
    q.finish();

    QDir::setCurrent(shopDir);
    const DbsetMap map = readDbset();
    createTables();
    const QStringList tables = shopTables(map);
    out << "迁移 " << file << " → " << server.engineText() << Qt::endl;

    // One transaction: a copy that fails half-way leaves an empty database.
    if (!dst.transaction()) {
        err << "无法开始事务：" << dst.lastError().text() << Qt::endl;
        return 4;
    }
    bool ok = true;
    // The stock table follows the movements through a trigger; it is copied
    // last, over what the trigger made of the copied movements.
    QStringList order = tables;
    if (order.removeAll(QStringLiteral("chanpinkucun")))
        order << QStringLiteral("chanpinkucun");
    // The stock trigger would update the same few stock rows once per copied
    // movement, inside one transaction: the server keeps every version of
    // them and each copied row grows slower. The stock table is copied as it
    // stands instead; the triggers are back on before the commit.
    for (const QString &table : order) {
        QSqlQuery off(dst);
        if (!columnsOf(src, table).isEmpty() && !off.exec(QStringLiteral("ALTER TABLE %1 DISABLE TRIGGER USER").arg(quoted(table)))) {
            ok = false;
            err << table << "：" << off.lastError().text() << Qt::endl;
        }
    }
    for (const QString &table : order) {
        QStringList cols = columnsOf(src, table);
        if (cols.isEmpty())
            continue; // the old shop did not have it yet
        QSqlQuery del(dst);
        ok = ok && del.exec(QStringLiteral("delete from %1").arg(quoted(table)));
        if (!ok)
            err << table << "：" << del.lastError().text() << Qt::endl;
        // SQLite's rowid goes into the server's rowid column: lines keep the
        // order they were rung up in.
        cols.prepend(QStringLiteral("rowid"));
        QStringList names;
        for (const QString &c : cols)
            names << quoted(c);
        constexpr int kBatch = 200;
        QStringList one;
        for (int i = 0; i < cols.size(); ++i)
            one << QStringLiteral("?");
        const QString marks = QLatin1Char('(') + one.join(QLatin1Char(',')) + QLatin1Char(')');
        QSqlQuery read(src);
        read.setForwardOnly(true);
        ok = ok && read.exec(QStringLiteral("select %1 from %2").arg(cols.join(QLatin1Char(',')), table));
        if (!ok)
            err << table << "：" << read.lastError().text() << Qt::endl;
        qint64 copied = 0;
        QVariantList pending;
        int pendingRows = 0;
        auto flush = [&]() {
            if (pendingRows == 0 || !ok)
                return;
            QStringList rows;
            for (int i = 0; i < pendingRows; ++i)
                rows << marks;
            QSqlQuery ins(dst);
            ok = ins.prepare(QStringLiteral("insert into %1(%2) values %3")
                                 .arg(quoted(table), names.join(QLatin1Char(',')), rows.join(QLatin1Char(','))));
            for (int i = 0; ok && i < pending.size(); ++i)
                ins.bindValue(i, pending.at(i));
            ok = ok && ins.exec();
            if (!ok)
                err << table << "：" << ins.lastError().text() << Qt::endl;
            copied += pendingRows;
            pending.clear();
            pendingRows = 0;
        };
        while (ok && read.next()) {
            for (int i = 0; i < cols.size(); ++i)
                pending << read.value(i);
            if (++pendingRows == kBatch)
                flush();
        }
        flush();
        out << "  " << table << "：" << copied << " 行" << Qt::endl;
    }
    for (const QString &table : order) {
        QSqlQuery on(dst);
        if (ok && !columnsOf(src, table).isEmpty() && !on.exec(QStringLiteral("ALTER TABLE %1 ENABLE TRIGGER USER").arg(quoted(table)))) {
            ok = false;
            err << table << "：" << on.lastError().text() << Qt::endl;
        }
    }
    // Identity columns and row counters go on from the highest copied value.
    QSqlQuery identities(dst);
    identities.exec(QStringLiteral("select table_name, column_name from information_schema.columns "
                                   "where table_schema = current_schema() "
                                   "and (is_identity = 'YES' or column_default like 'nextval(%')"));
    QList<QPair<QString, QString>> idColumns;
    while (identities.next())
        idColumns << qMakePair(identities.value(0).toString(), identities.value(1).toString());
    for (const auto &c : idColumns) {
        QSqlQuery set(dst);
        ok = ok && set.exec(QStringLiteral("select setval(pg_get_serial_sequence('%1','%2'), "
                                           "coalesce((select max(%2) from %1),0)+1, false)")
                                .arg(quoted(c.first), c.second));
        if (!ok)
            err << c.first << "：" << set.lastError().text() << Qt::endl;
    }
    if (!ok || !dst.commit()) {
        err << dst.lastError().text() << Qt::endl;
        dst.rollback();
        err << "迁移失败，服务器上什么也没有留下。" << Qt::endl;
        return 4;
    }

    // A table just filled in one transaction has no statistics until
    // autovacuum comes by: the checks below, and the shop's first hour on the
    // server, would be planned blind.
    QSqlQuery analyze(dst);
    if (!analyze.exec(QStringLiteral("ANALYZE")))
        err << "ANALYZE：" << analyze.lastError().text() << Qt::endl;

    // The same shop on both sides: counts, sums and the books.
    int differences = 0;
    for (const QString &table : tables) {
        if (columnsOf(src, table).isEmpty())
            continue;
        const QStringList money = numericColumns(src, table);
        const QString a = fingerprint(src, table, money);
        const QString b = fingerprint(dst, table, money);
        if (a != b) {
            ++differences;
            out << "  不一致 " << table << "：SQLite " << a << "；PostgreSQL " << b << Qt::endl;
        }
    }
    const QStringList before = bookProblems(src);
    const QStringList after = bookProblems(dst);
    out << "账目检查：SQLite " << before.size() << " 个问题，PostgreSQL " << after.size() << " 个问题" << Qt::endl;
    for (const QString &p : after.mid(0, 10))
        out << "  " << p << Qt::endl;
    out << (differences == 0 ? "各表行数与金额合计一致。" : "有表不一致。") << " 用时 "
        << QString::number(clock.elapsed() / 1000.0, 'f', 1) << " 秒" << Qt::endl;
    return differences == 0 && after.size() == before.size() ? 0 : 1;
}

int check(const QString &shopDir, bool statements)
{
    QDir::setCurrent(shopDir);
    if (!openDatabase()) {
        err << "无法打开数据库：" << shopOpenProblem() << Qt::endl;
        return 2;
    }
    out << currentShopConnection().statusText() << Qt::endl;
    int problems = 0;
    if (statements) {
        // Every list and choice of dbset.xml, run once without rows, on this engine.
        createTables();
        const DbsetMap map = readDbset();
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            QString sql;
            // A declared list runs with its joins, grouping and default condition:
            // its entry alone is not a statement the server accepts.
            if (it.value().userType() == qMetaTypeId<TableViewinfo>()) {
                sql = it.value().value<TableViewinfo>().SqlStr;
                if (const ViewDeclaration *d = ViewDeclarations::find(it.key()))
                    sql = ViewDeclarations::statement(sql, it.key(), d->defaultFilter());
            }
            else if (it.value().userType() == qMetaTypeId<ComBoxinfo>())
                sql = it.value().value<ComBoxinfo>().SqlStr;
            if (sql.trimmed().isEmpty())
                continue;
            QSqlQuery q;
            const QString run = QStringLiteral("select * from (%1) as t limit 0").arg(sql);
            if (!q.exec(run)) {
                ++problems;
                out << "语句失败 " << it.key() << "：" << q.lastError().databaseText().section(QLatin1Char('\n'), 0, 0)
                    << Qt::endl;
            }
        }
        out << "语句：" << problems << " 条在此数据库上失败" << Qt::endl;
    }
    const QStringList found = bookProblems(QSqlDatabase::database());
    for (const QString &p : found)
        out << p << Qt::endl;
    out << (found.isEmpty() ? "账目检查：余额、次数、积分的变动记录连贯，与会员一致；消费单完整；单号不重复"
                            : "账目检查发现问题")
        << Qt::endl;
    return found.isEmpty() && problems == 0 ? 0 : 1;
}

// The daily summaries made again from the records, in one transaction, then
// compared with them.
int rebuildSummaries(const QString &shopDir)
{
    QDir::setCurrent(shopDir);
    if (!openDatabase()) {
        err << "无法打开数据库：" << shopOpenProblem() << Qt::endl;
        return 2;
    }
    createTables();
    const LedgerResult r = SummaryBook::rebuild(readDbset());
    if (!r.ok) {
        err << r.error << Qt::endl;
        return 1;
    }
    const QStringList found = bookProblems(QSqlDatabase::database());
    for (const QString &p : found)
        out << p << Qt::endl;
    out << "日汇总已重建" << (found.isEmpty() ? "，账目检查无问题" : "，账目检查发现问题") << Qt::endl;
    return found.isEmpty() ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("mochen.sql.debug=false\nmochen.sql.warning=false"));
    registerRecordTypes();
    QStringList args = app.arguments().mid(1);
    QString mode = QFileInfo(app.applicationFilePath()).fileName().contains(QLatin1String("migrate"))
                       ? QStringLiteral("--migrate")
                       : QStringLiteral("--check");
    if (!args.isEmpty() && (args.first() == QLatin1String("--migrate") || args.first() == QLatin1String("--check")))
        mode = args.takeFirst();
    if (mode == QLatin1String("--migrate")) {
        if (args.size() != 2) {
            err << "用法：mochen-migrate 店铺文件夹 \"host=…;port=5432;database=…;user=…[;schema=…]\"" << Qt::endl;
            return 2;
        }
        return migrate(QFileInfo(args.at(0)).absoluteFilePath(), args.at(1));
    }
    const bool statements = args.removeAll(QStringLiteral("--statements")) > 0;
    if (args.removeAll(QStringLiteral("--rebuild-summaries")) > 0)
        return rebuildSummaries(args.isEmpty() ? QStringLiteral(".") : QFileInfo(args.first()).absoluteFilePath());
    return check(args.isEmpty() ? QStringLiteral(".") : QFileInfo(args.first()).absoluteFilePath(), statements);
}
