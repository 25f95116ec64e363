#include "choicelists.h"

#include "ledgersql.h"

namespace {

// The kinds of a ledger, one index step per kind: a GROUP BY would read every
// row of the ledger at each start.
QList<QVariantList> distinctKinds(const QString &table)
{
    return LedgerSql::rows(QStringLiteral("with recursive t(v) as (select min(biandongleixing) from %1 union all "
                                          "select (select min(biandongleixing) from %1 where biandongleixing > t.v) "
                                          "from t where t.v is not null) "
                                          "select 0, v from t where v is not null")
                               .arg(table));
}

} // namespace

namespace ChoiceLists {

QList<QVariantList> operators()
{
    return LedgerSql::rows(QStringLiteral("select ID, name from \"user\" order by ID"));
}

QList<QVariantList> categories(const QString &kind)
{
    return LedgerSql::rows(QStringLiteral("select ID, mingchen from leibie where leibiestr=? order by ID"), {kind});
}

QList<QVariantList> cardTypes()
{
    return LedgerSql::rows(QStringLiteral("select ID, name from huiyuanka order by ID"));
}

QList<QVariantList> balanceChangeKinds()
{
    return distinctKinds(QStringLiteral("huiyuanyuebiandong"));
}

QList<QVariantList> pointsChangeKinds()
{
    return distinctKinds(QStringLiteral("huiyuanjifen"));
}

QList<QVariantList> employees()
{
    return LedgerSql::rows(QStringLiteral("select ID, name from yuangong order by rowid"));
}

QList<QVariantList> packages()
{
    return LedgerSql::rows(QStringLiteral("select taocanID, min(name) from taocanmingxi group by taocanID order by min(rowid)"));
}

QStringList cardTypeNames()
{
    QStringList out;
    for (const QVariantList &r : LedgerSql::rows(QStringLiteral("select name from huiyuanka order by ID")))
        out << r.value(0).toString();
    return out;
}

bool cardTypeExists(const QString &name)
{
    return LedgerSql::value(QStringLiteral("select 1 from huiyuanka where name=? LIMIT 1"), {name}).isValid();
}

std::optional<CardTerms> cardTerms(const QString &name)
{
    const QList<QVariantList> rows = LedgerSql::rows(
        QStringLiteral("select kaneijine, jiage, fuwuzekou, chanpinzekou from huiyuanka where name=? LIMIT 2"), {name});
    if (rows.size() != 1)
        return std::nullopt;
    const QVariantList &r = rows.first();
    return CardTerms{r.value(0).toString(), r.value(1).toString(), r.value(2).toString(), r.value(3).toString()};
}

} // namespace ChoiceLists
