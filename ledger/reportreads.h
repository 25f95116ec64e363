#ifndef REPORTREADS_H
#define REPORTREADS_H

#include <QList>
#include <QPair>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariantList>

struct ViewFilter;

// Reads over a list's own statement (a TableView entry of dbset.xml, with the
// values bound to it): its 合计 line, its number of rows, a search over its
// columns.
class ReportReads
{
public:
    // The number of the list's rows, then round(sum, 2) of each column named.
    static QString totalsStatement(const QString &listSql, const QStringList &columns);
    // Those figures as text; empty when the statement failed.
    static QStringList totals(const QString &listSql, const QVariantList &values, const QStringList &columns);
    // The declared list's own 合计 (see ViewDeclarations::totalsStatement) for
    // the filter it was run with: the count, then one sum per totalled column.
    // Empty when the list declares none or the statement failed.
    static QStringList declaredTotals(const QString &listName, const ViewFilter &filter);

    // How many rows the list's statement gives, on the program's connection or
    // on another (a reminder count in a worker thread); 0 when it failed.
    static int rowCount(const QString &listSql);
    static int rowCount(const QString &listSql, const QSqlDatabase &db);

    // The list's rows that hold the text in any of the columns (by name): the
    // text bound, its % and _ kept as wildcards. The list itself for no text.
    static QString searched(const QString &listSql, const QStringList &columns, const QString &text,
                            QVariantList *values);
};

#endif
