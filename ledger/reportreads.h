#ifndef REPORTREADS_H
#define REPORTREADS_H

#include <QList>
#include <QPair>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariantList>

// Reads over a list's own statement (a TableView entry of dbset.xml, with the
// values bound to it): its 合计 line, its number of rows, a search over its
// columns, and the member row a reminder opens.
class ReportReads
{
public:
    // The number of the list's rows, then round(sum, 2) of each column named.
    static QString totalsStatement(const QString &listSql, const QStringList &columns);
    // Those figures as text; empty when the statement failed.
    static QStringList totals(const QString &listSql, const QVariantList &values, const QStringList &columns);

    // How many rows the list's statement gives, on the program's connection or
    // on another (a reminder count in a worker thread); 0 when it failed.
    static int rowCount(const QString &listSql);
    static int rowCount(const QString &listSql, const QSqlDatabase &db);

    // The list's rows that hold the text in any of the columns (by name): the
    // text bound, its % and _ kept as wildcards. The list itself for no text.
    static QString searched(const QString &listSql, const QStringList &columns, const QString &text,
                            QVariantList *values);

    // The member as the front desk's 会员选择 hands it on (card, name, card type,
    // birthday, paid, balance, phone, points, adviser); empty for no member.
    static QStringList memberPick(const QString &memberId);
};

#endif
