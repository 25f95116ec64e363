#ifndef SQLSTATEMENTS_H
#define SQLSTATEMENTS_H

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

class QDate;
class QSqlQuery;
struct TableEntry;

// The statement side of the windows' data-layer object: running statements on
// Qt's default connection, the operation log, the generic builders, time texts
// and period filters. Failures go to the debug output and mark an open
// TransactionScope failed; the result tells whether the statement worked.
// No widget is needed for any of it (ctrlUiClass hands these on for the windows).
class SqlStatements
{
public:
    static bool execSql(const QString &sql);
    static bool execSql(const QString &sql, const QVariantList &values); // one ? per value
    static QStringList queryRow(const QString &sql);          // exactly one row, else empty
    static QStringList queryRow(const QString &sql, const QVariantList &values);
    static QList<QStringList> queryRows(const QString &sql);
    static int countRows(const QString &sql);
    static void writeLog(const QString &user, const QString &text); // quotes are safe
    static int rowCountOf(QSqlQuery &query);

    static QString nowText();    // yyyy-MM-dd hh:mm:ss, local
    static QString todayText();  // yyyy-MM-dd
    static QString serialNow();  // yyyyMMddhhmmsszzz

    // The four generic statement builders; values are always bound.
    static bool insertRecord(const TableEntry *table, const QStringList &values);
    static bool insertSelect(const TableEntry *table, const QString &select);
    static bool updateRecord(const TableEntry *table, const QStringList &fields,
                             const QStringList &values, int whereCount);
    static bool deleteRecord(const TableEntry *table, const QStringList &fields,
                             const QStringList &values);

    // WHERE fragment for a named period ("今天" … "上年", "其他"), local time;
    // its bounds are appended to *values.
    static QString periodWhere(const QString &period, const QString &column, QVariantList *values);
    // The period's half-open range of days [from, to) for `today`; false for
    // "其他" and for a period not known.
    static bool periodRange(const QString &period, const QDate &today, QString *from, QString *to);
};

#endif
