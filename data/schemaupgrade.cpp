#include "schemaupgrade.h"
#include "dbfailure.h"
#include "enginedriver.h"
#include "postgresdriver.h"
#include "sqllog.h"
#include "sqltext.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace {

struct Column
{
    QString name;
    QString type;
    bool notNull = false;
    QString defaultValue;
    bool primaryKey = false;
    QString generated; // a computed column's expression, as dbset.xml writes it
};

// The columns of a table, computed ones among them (table_info leaves those out).
QList<Column> columnsOf(QSqlDatabase &db, const QString &table, const QString &schema = QStringLiteral("main"))
{
    QList<Column> out;
    QSqlQuery q(db);
    // The pragma as a table: the table's and the schema's names are bound.
    if (!q.prepare(QStringLiteral("select cid, name, type, \"notnull\", dflt_value, pk, hidden from pragma_table_xinfo(?, ?)")))
        return out;
    q.addBindValue(table);
    q.addBindValue(schema);
    if (!q.exec())
        return out;
    QMap<QString, QString> generated;
    bool generatedRead = false;
    while (q.next()) {
        const int hidden = q.value(6).toInt();
        if (hidden == 1)
            continue; // a virtual table's own
        Column c;
        if (hidden != 0) {
            if (!generatedRead) {
                QSqlQuery s(db);
                s.prepare(QStringLiteral("select sql from %1.sqlite_master where type='table' and name=?").arg(schema));
                s.addBindValue(table);
                if (s.exec() && s.next())
                    generated = EngineDriver::generatedColumns(s.value(0).toString());
                generatedRead = true;
            }
            c.generated = generated.value(q.value(1).toString().toLower());
        }
        c.name = q.value(1).toString();
        c.type = q.value(2).toString();
        c.notNull = q.value(3).toInt() != 0;
        c.defaultValue = q.value(4).isNull() ? QString() : q.value(4).toString();
        c.primaryKey = q.value(5).toInt() != 0;
        out << c;
    }
    return out;
}

// Columns that carry a UNIQUE constraint of their own (an automatic index).
QStringList uniqueColumns(QSqlDatabase &db, const QString &table)
{
    QStringList out;
    QSqlQuery q(db);
    if (!q.prepare(QStringLiteral("select seq, name, \"unique\", origin from pragma_index_list(?)")))
        return out;
    q.addBindValue(table);
    if (!q.exec())
        return out;
    QStringList indexes;
    while (q.next())
        if (q.value(2).toInt() != 0 && q.value(3).toString() == QLatin1String("u"))
            indexes << q.value(1).toString();
    for (const QString &index : indexes) {
        QSqlQuery c(db);
        c.prepare(QStringLiteral("select seqno, cid, name from pragma_index_info(?)"));
        c.addBindValue(index);
        if (c.exec())
            while (c.next())
                out << c.value(2).toString().toLower();
    }
    return out;
}

// SQLite's type affinity of a declared type: what decides how values compare.
QString affinity(const QString &declared)
{
    const QString t = declared.toUpper();
    if (t.contains(QLatin1String("INT")))
        return QStringLiteral("INTEGER");
    if (t.contains(QLatin1String("CHAR")) || t.contains(QLatin1String("CLOB")) || t.contains(QLatin1String("TEXT")))
        return QStringLiteral("TEXT");
    if (t.isEmpty() || t.contains(QLatin1String("BLOB")))
        return QStringLiteral("BLOB");
    if (t.contains(QLatin1String("REAL")) || t.contains(QLatin1String("FLOA")) || t.contains(QLatin1String("DOUB")))
        return QStringLiteral("REAL");
    return QStringLiteral("NUMERIC");
}

QString stopText(const QString &what)
{
    return what + QStringLiteral("\n程序将退出，数据库没有改动。请使用与数据库配套的程序和 dbset.xml，或联系技术支持。");
}

// The tables dbset.xml describes, built in an empty database of their own so
// that SQLite itself reads the definitions.
class Blueprint
{
public:
    Blueprint() : m_name(QStringLiteral("mochen_schema_blueprint"))
    {
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        m_db.setDatabaseName(QStringLiteral(":memory:"));
        m_db.open();
    }
    ~Blueprint()
    {
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
    }
    QSqlDatabase &db() { return m_db; }

private:
    QString m_name;
    QSqlDatabase m_db;
};

// Runs the column additions in order inside the caller's transaction; the
// first failure (statement and cause) stops them, empty when all ran.
QString runAlters(QSqlQuery &q, const QStringList &alters)
{
    for (const QString &sql : alters) {
        if (!q.exec(sql))
            return sql + QStringLiteral(" : ") + q.lastError().text();
        qCDebug(lcSql).noquote() << sql;
    }
    return QString();
}

// Corrections of rows that an older program wrote wrongly, each for the
// versions before the one that stopped writing the fault. They run after the
// columns are added, in the same transaction; the summaries follow the
// corrected rows through their triggers.
struct DataStep
{
    int fixedIn;   // the first version that no longer writes the fault
    QString table; // the step is skipped when the table does not exist yet
    QString count; // how many rows the step would change
    QString sql;
};

// A package refund onto the card moved no money, but before version 4 it was
// written with its amount as negative takings (shifujine), so the day showed
// negative virtual takings. Such a row is told apart by its kind and method:
// since then it is always written with shifujine 0.
const QList<DataStep> &dataSteps()
{
    static const QList<DataStep> steps{
        {4, QStringLiteral("huiyuanjiaofei"),
         QStringLiteral("select count(*) from huiyuanjiaofei where jiaofeileixing='退套餐' and fukuanleixing='储蓄卡' "
                        "and shifujine<>0"),
         QStringLiteral("update huiyuanjiaofei set shifujine=0 where jiaofeileixing='退套餐' and "
                        "fukuanleixing='储蓄卡' and shifujine<>0")},
    };
    return steps;
}

const QString kServerVersionKey = QStringLiteral("数据结构版本");

// The server's version line of the shop settings, in the upgrade's transaction;
// empty when written, else the failure.
QString writeServerVersion(QSqlDatabase &db)
{
    QSqlQuery q(db);
    for (const auto &[sql, values] : {std::pair<QString, QVariantList>{QStringLiteral("delete from dianpushezhi where mingcheng=?"),
                                                                      {kServerVersionKey}},
                                      {QStringLiteral("insert into dianpushezhi(mingcheng,zhi) values(?,?)"),
                                       {kServerVersionKey, QString::number(kSchemaVersion)}}}) {
        bool ok = q.prepare(sql);
        for (const QVariant &v : values)
            q.addBindValue(v);
        if (!ok || !q.exec())
            return sql + QStringLiteral(" : ") + q.lastError().text();
        qCDebug(lcSql).noquote() << sql;
    }
    return QString();
}

// The steps a database of `version` still needs that have rows to change.
QStringList pendingDataSteps(QSqlDatabase &db, int version)
{
    QStringList out;
    for (const DataStep &step : dataSteps()) {
        if (version >= step.fixedIn)
            continue;
        if (!EngineDriver::of(db).hasTable(db, step.table))
            continue;
        QSqlQuery q(db);
        if (q.exec(step.count) && q.next() && q.value(0).toLongLong() > 0)
            out << step.sql;
    }
    return out;
}

} // namespace

QString upgradeSchema(const DbsetMap &map, const QString &backupFolder)
{
    QSqlDatabase live = QSqlDatabase::database();
    QSqlQuery q(live);
    int version = 0;
    if (q.exec(QStringLiteral("PRAGMA user_version")) && q.next())
        version = q.value(0).toInt();
    q.finish();
    if (version > kSchemaVersion)
        return stopText(QStringLiteral("数据库 mochenxinxi.db 由较新版本的程序建立（结构版本 %1，本程序为 %2）。")
                            .arg(version)
                            .arg(kSchemaVersion));

    Blueprint blueprint;
    QSqlDatabase &plan = blueprint.db();
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        // Working tables are private scratch space rebuilt at every start: one
        // that fails costs a page, not the shop's data, so only the permanent
        // definitions stop the program.
        // The tables keep their declared types here (MONEY…): what each
        // engine makes of them is its driver's.
        const bool permanent = it.value().userType() == qMetaTypeId<CreateTableinfo>()
                               || it.value().userType() == qMetaTypeId<CreateTriggerinfo>();
        QStringList statements;
        if (it.value().userType() == qMetaTypeId<CreateTableinfo>())
            statements << it.value().value<CreateTableinfo>().SqlStr;
        else if (it.value().userType() == qMetaTypeId<CreateTriggerinfo>())
            statements = EngineDriver::sqlite().createTrigger(it.value().value<CreateTriggerinfo>());
        else if (it.value().userType() == qMetaTypeId<tempCreateTableinfo>())
            statements << it.value().value<tempCreateTableinfo>().SqlStr;
        else
            continue;
        for (const QString &sql : statements) {
            QSqlQuery p(plan);
            if (!p.exec(sql) && permanent)
                return stopText(QStringLiteral("配置文件 dbset.xml 中的表定义“%1”无法执行：%2")
                                    .arg(it.key(), p.lastError().databaseText()));
        }
    }
    // Every column list the generic insert uses must name real columns.
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        if (it.value().userType() != qMetaTypeId<Tableinfo>())
            continue;
        const Tableinfo info = it.value().value<Tableinfo>();
        QList<Column> cols = columnsOf(plan, info.name);
        if (cols.isEmpty())
            cols = columnsOf(plan, info.name, QStringLiteral("temp"));
        if (cols.isEmpty())
            continue; // a list without a table of ours: the insert finds nothing to do
        QStringList have;
        for (const Column &c : cols)
            have << c.name.toLower();
        for (const QString &col : info.row_name)
            if (!have.contains(col.toLower()))
                return stopText(QStringLiteral("配置文件 dbset.xml 中表 %1 的列清单含有表定义里没有的列“%2”。")
                                    .arg(info.name, col));
    }

    const EngineDriver &file = EngineDriver::sqlite();
    QStringList alters;
    QStringList tables;
    {
        QSqlQuery t(plan);
        t.exec(QStringLiteral("select name from sqlite_master where type='table' and name not like 'sqlite_%' order by name"));
        while (t.next())
            tables << t.value(0).toString();
    }
    for (const QString &table : tables) {
        const QList<Column> have = columnsOf(live, table);
        if (have.isEmpty())
            continue; // created afresh at start-up
        QMap<QString, Column> existing;
        for (const Column &c : have)
            existing.insert(c.name.toLower(), c);
        const QStringList unique = uniqueColumns(plan, table);
        for (const Column &want : columnsOf(plan, table)) {
            const auto found = existing.constFind(want.name.toLower());
            if (found != existing.cend()) {
                if (affinity(found->type) != affinity(file.columnType(want.type)))
                    return stopText(QStringLiteral("数据库中表 %1 的列 %2 的类型是 %3，而 dbset.xml 中是 %4，无法自动调整。")
                                        .arg(table, want.name, found->type, file.columnType(want.type)));
                continue;
            }
            if (want.primaryKey || unique.contains(want.name.toLower())
                || (want.notNull && want.defaultValue.isEmpty()))
                return stopText(QStringLiteral("数据库中表 %1 缺少列 %2，而该列带有主键、唯一或非空约束，无法自动补上。")
                                    .arg(table, want.name));
            alters << file.addColumn(table, want.name, want.type, want.notNull, want.defaultValue, want.generated);
        }
    }

    // Rows of an older program are corrected with the same care as its columns.
    // A step's count reads the table before its columns are added; the step
    // names only columns that every version had.
    const QStringList steps = pendingDataSteps(live, version);
    if (alters.isEmpty() && steps.isEmpty()) {
        if (version != kSchemaVersion && !q.exec(QStringLiteral("PRAGMA user_version = %1").arg(kSchemaVersion)))
            qCWarning(lcSql) << "PRAGMA user_version" << q.lastError().text();
        return QString();
    }

    // A copy of the database as it was, before any column is added.
    if (!QDir().mkpath(backupFolder))
        return stopText(QStringLiteral("数据库需要升级，但无法建立备份文件夹 %1。").arg(QDir(backupFolder).absolutePath()));
    // Never over an earlier copy: two upgrades within one second must both keep theirs.
    const QString stem = QDir(backupFolder).absoluteFilePath(
        QStringLiteral("upgrade-v%1-%2").arg(version).arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddhhmmss"))));
    QString copy = stem + QStringLiteral(".db");
    for (int n = 2; QFile::exists(copy); ++n)
        copy = stem + QStringLiteral("-%1.db").arg(n);
    bool copied = q.prepare(QStringLiteral("VACUUM INTO ?"));
    if (copied) {
        q.addBindValue(copy);
        copied = q.exec();
    }
    if (!copied)
        return stopText(QStringLiteral("数据库需要升级，但升级前的备份失败：%1\n%2")
                            .arg(q.lastError().text(), dbFailureCause(q.lastError().text())));

    QString failed;
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        failed = q.lastError().text();
    } else {
        failed = runAlters(q, alters + steps);
        if (failed.isEmpty() && !q.exec(QStringLiteral("PRAGMA user_version = %1").arg(kSchemaVersion)))
            failed = q.lastError().text();
        if (failed.isEmpty() && !q.exec(QStringLiteral("COMMIT")))
            failed = q.lastError().text();
        if (!failed.isEmpty())
            q.exec(QStringLiteral("ROLLBACK"));
    }
    if (!failed.isEmpty())
        return stopText(QStringLiteral("数据库升级失败，已全部撤销：%1\n%2").arg(failed, dbFailureCause(failed)));
    qCInfo(lcSql).noquote() << QStringLiteral("数据库已升级到结构版本 %1，升级前的备份：%2").arg(kSchemaVersion).arg(copy);
    return QString();
}

QString upgradeServerSchema(const DbsetMap &map)
{
    Blueprint blueprint;
    QSqlDatabase &plan = blueprint.db();
    QStringList tables;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        if (it.value().userType() != qMetaTypeId<CreateTableinfo>())
            continue;
        QSqlQuery p(plan);
        if (!p.exec(it.value().value<CreateTableinfo>().SqlStr))
            return stopText(QStringLiteral("配置文件 dbset.xml 中的表定义“%1”无法执行：%2")
                                .arg(it.key(), p.lastError().databaseText()));
    }
    {
        QSqlQuery t(plan);
        t.exec(QStringLiteral("select name from sqlite_master where type='table' and name not like 'sqlite_%' order by name"));
        while (t.next())
            tables << t.value(0).toString();
    }
    QSqlDatabase live = QSqlDatabase::database();
    QSqlQuery q(live);
    // Desks starting together take turns, as with the tables themselves.
    q.exec(QStringLiteral("SELECT pg_advisory_lock(724301)"));
    QStringList alters;
    QString refusal;
    const PostgresDriver server;
    QStringList widened;
    bool computed = false;
    for (const QString &table : tables) {
        const QMap<QString, QString> have = server.columnTypes(live, table);
        if (have.isEmpty())
            continue; // created afresh at start-up
        const QString name = server.quotedName(table);
        const QStringList unique = uniqueColumns(plan, table);
        for (const Column &want : columnsOf(plan, table)) {
            const auto found = have.constFind(want.name.toLower());
            if (found != have.cend()) {
                // Earlier versions rounded every number to two places (four
                // for a rate) on the server alone: points, uses and rates
                // become numbers kept as written, which loses nothing.
                if (server.columnType(want.type) == QLatin1String("numeric")
                    && found.value().startsWith(QLatin1String("numeric(")))
                    widened << QStringLiteral("ALTER TABLE %1 ALTER COLUMN %2 TYPE numeric")
                                   .arg(name, server.quotedName(want.name.toLower()));
                continue;
            }
            if (want.primaryKey || unique.contains(want.name.toLower()) || (want.notNull && want.defaultValue.isEmpty())) {
                refusal = QStringLiteral("数据库中表 %1 缺少列 %2，而该列带有主键、唯一或非空约束，无法自动补上。").arg(table, want.name);
                break;
            }
            computed = computed || !want.generated.isEmpty();
            alters << server.addColumn(table, want.name, want.type, want.notNull, want.defaultValue, want.generated);
        }
        if (!refusal.isEmpty())
            break;
        if (!have.contains(QStringLiteral("rowid")))
            alters << QStringLiteral("ALTER TABLE %1 ADD COLUMN IF NOT EXISTS %2").arg(name, PostgresDriver::rowNumberColumn());
    }
    // A computed column reads the shop's functions: they are in place before
    // it (the start-up makes them again after the upgrade).
    if (computed)
        alters = server.serverFunctions() + alters;
    // A view stands in the way of a column's new type: the shop's views go
    // first and are made again by the start-up that follows.
    if (!widened.isEmpty()) {
        static const QRegularExpression view(
            QStringLiteral("^\\s*CREATE\\s+(?:OR\\s+REPLACE\\s+)?(?:TEMP\\s+|TEMPORARY\\s+)?VIEW\\s+(?:IF\\s+NOT\\s+EXISTS\\s+)?(\\w+)"),
            QRegularExpression::CaseInsensitiveOption);
        for (const QVariant &v : map) {
            if (v.userType() != qMetaTypeId<CreateTableinfo>())
                continue;
            const auto m = view.match(v.value<CreateTableinfo>().SqlStr);
            if (m.hasMatch())
                alters << QStringLiteral("DROP VIEW IF EXISTS %1").arg(m.captured(1));
        }
        alters << widened;
    }
    // The server keeps no user_version: the version its rows were last
    // corrected to is a line of the shop settings, written with the corrections.
    QStringList steps;
    bool newVersion = false;
    if (refusal.isEmpty() && tables.contains(QStringLiteral("dianpushezhi"))) {
        QSqlQuery v(live);
        int version = 0;
        bool settings = v.prepare(QStringLiteral("select zhi from dianpushezhi where mingcheng=?"));
        v.addBindValue(kServerVersionKey);
        settings = settings && v.exec();
        if (settings && v.next())
            version = v.value(0).toInt();
        if (settings && version < kSchemaVersion) {
            steps = pendingDataSteps(live, version);
            newVersion = true;
        }
    }
    const int added = alters.size();
    alters << steps;
    QString failed;
    if (refusal.isEmpty() && !alters.isEmpty()) {
        if (!q.exec(QStringLiteral("BEGIN"))) {
            failed = q.lastError().text();
        } else {
            failed = runAlters(q, alters);
            if (failed.isEmpty() && newVersion)
                failed = writeServerVersion(live);
            if (failed.isEmpty() && !q.exec(QStringLiteral("COMMIT")))
                failed = q.lastError().text();
            if (!failed.isEmpty())
                q.exec(QStringLiteral("ROLLBACK"));
        }
    }
    q.exec(QStringLiteral("SELECT pg_advisory_unlock(724301)"));
    if (!refusal.isEmpty())
        return stopText(refusal);
    if (!failed.isEmpty())
        return stopText(QStringLiteral("数据库升级失败，已全部撤销：%1").arg(failed));
    if (added > 0)
        qCInfo(lcSql).noquote() << QStringLiteral("服务器上的表结构已更新（%1 项）").arg(added);
    return QString();
}
