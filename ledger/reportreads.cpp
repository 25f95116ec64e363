#include "reportreads.h"
#include "sqltext.h"

#include "ledgersql.h"
#include "viewdeclarations.h"

#include <QSqlQuery>

namespace {
QString quotedName(const QString &name)
{
    QString n = name;
    n.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + n + QLatin1Char('"');
}

QString counted(const QString &listSql)
{
    return QStringLiteral("select count(*) from (") + listSql + QStringLiteral(") t");
}
} // namespace

QString ReportReads::totalsStatement(const QString &listSql, const QStringList &columns)
{
    QString s = QStringLiteral("select count(*)");
    for (const QString &c : columns)
        s += QStringLiteral(", round(total(") + quotedName(c) + QStringLiteral("),2)");
    return s + QStringLiteral(" from (") + listSql + QStringLiteral(") t");
}

QStringList ReportReads::totals(const QString &listSql, const QVariantList &values, const QStringList &columns)
{
    const QList<QVariantList> rows = LedgerSql::rows(totalsStatement(listSql, columns), values);
    QStringList out;
    for (const QVariant &v : rows.value(0))
        out << v.toString();
    return out;
}

QStringList ReportReads::declaredTotals(const QString &listName, const ViewFilter &filter)
{
    const QString sql = ViewDeclarations::totalsStatement(listName, filter);
    if (sql.isEmpty())
        return {};
    QStringList out;
    for (const QVariant &v : LedgerSql::rows(sql, filter.values).value(0))
        out << v.toString();
    return out;
}

int ReportReads::rowCount(const QString &listSql)
{
    return LedgerSql::value(counted(listSql)).toInt();
}

int ReportReads::rowCount(const QString &listSql, const QSqlDatabase &db)
{
    QSqlQuery q(db);
    return q.exec(counted(listSql)) && q.next() ? q.value(0).toInt() : 0;
}

QString ReportReads::searched(const QString &listSql, const QStringList &columns, const QString &text,
                              QVariantList *values)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || columns.isEmpty())
        return listSql;
    QStringList parts;
    for (const QString &c : columns) {
        parts << QStringLiteral("lower(") + quotedName(c) + QStringLiteral(") like lower(?)") + QLatin1String(kLikeEscape);
        *values << likeContaining(t);
    }
    return QStringLiteral("select * from (") + listSql + QStringLiteral(") t where ") + parts.join(QStringLiteral(" or "));
}
