#ifndef DBSETCONFIG_H
#define DBSETCONFIG_H

#include <QMap>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>

// Records of the configuration file dbset.xml. The QVariant's type is the tag.
struct Tableinfo { QString name; QStringList row_name; };
struct CreateTableinfo { QString name; QString SqlStr; };
struct tempCreateTableinfo { QString name; QString SqlStr; };
// A trigger, written by each engine its own way (see EngineDriver): its SQL
// name, the table, the event ("AFTER INSERT", "AFTER UPDATE OF a, b"), an
// optional condition on NEW/OLD, the statements of its body, and a message
// with which it refuses the row before them (a guard), if any.
struct CreateTriggerinfo { QString name; QString trigger; QString table; QString event; QString when; QString body; QString refusal; };
struct ComBoxinfo { QString name; QString type; QString SqlStr; QStringList row_name; };
struct TableViewinfo { QString name; QString SqlStr; QStringList row_name; };
struct Softwareinfo { QString name; QString info; };

Q_DECLARE_METATYPE(Tableinfo)
Q_DECLARE_METATYPE(CreateTableinfo)
Q_DECLARE_METATYPE(tempCreateTableinfo)
Q_DECLARE_METATYPE(CreateTriggerinfo)
Q_DECLARE_METATYPE(ComBoxinfo)
Q_DECLARE_METATYPE(TableViewinfo)
Q_DECLARE_METATYPE(Softwareinfo)

// Entry name -> one of the records above, ordered by name.
using DbsetMap = QMap<QString, QVariant>;

// Reads the file on every call, so the entries are always those the file holds
// now; contents already parsed in this process are not parsed again. An empty
// map when the file is missing or not well-formed.
DbsetMap readDbset(const QString &fileName = QStringLiteral("dbset.xml"));

// Unpacks an entry of a given kind; an empty record when the entry is of another kind.
template <typename T> T dbsetEntry(const DbsetMap &map, const QString &name)
{
    const QVariant v = map.value(name);
    return v.canConvert<T>() && v.userType() == qMetaTypeId<T>() ? v.value<T>() : T();
}

// Opens Qt's default connection on "mochenxinxi.db" in the working directory.
// Returns whether it opened (callers that must not run on a dead database check it).
bool openDatabase();
// Table statistics for the query planner: gathered when the database has none
// or `full` is set (after the daily backup), else PRAGMA optimize.
void optimizeDatabase(bool full = false);

// Runs every CreateTable/tempCreateTable statement of dbset.xml in map order.
// After the working tables "temptichengliebiao_db" and "tempcuxiaoliebiao_db"
// the matching refill hook runs (installed by the rules pages).
void createTables();

// Runs one tempCreateTable entry of dbset.xml again (CREATE TEMP TABLE IF NOT
// EXISTS): a dialog whose working table must be there before its first row.
void createWorkingTable(const QString &entryName);

// The two refill hooks of createTables(); an empty function removes the hook.
void setTempTableRefill(const QString &entryName, std::function<void()> refill);

#endif
