#include "lineprices.h"

#include "amounts.h"
#include "ledgersql.h"
#include "sqltext.h"

#include <cmath>

using LedgerSql::value;

namespace {

bool isProduct(const QString &type)
{
    return type == QStringLiteral("产品");
}

} // namespace

LinePrices::Offer LinePrices::offer(const QString &type, const QString &itemId, const QString &name,
                                    const QString &cardType)
{
    const QVariantList item =
        LedgerSql::rows(isProduct(type) ? QStringLiteral("select coalesce(xiaoshoujiage,0),coalesce(dijia,0) from chanpin "
                                                         "where ID=?")
                                        : QStringLiteral("select coalesce(xiaoshoujiage,0),coalesce(dijia,0) from "
                                                         "fuwuxiangmu where ID=?"),
                        {itemId})
            .value(0);
    if (item.isEmpty())
        return Offer();
    Offer o = offerAt(type, itemId, name, cardType, yuanToCents(item.value(0).toDouble()));
    o.found = true;
    o.floorCents = yuanToCents(item.value(1).toDouble());
    return o;
}

LinePrices::Offer LinePrices::offerAt(const QString &type, const QString &itemId, const QString &name,
                                      const QString &cardType, qint64 listCents)
{
    Offer o;
    o.listCents = listCents;
    const QVariantList promoted = LedgerSql::rows(QStringLiteral("select zuizhongjiage,youhuifangshi,youhuizekou from "
                                                                 "cuxiao where xiangmuID=? and xiangmumingcheng=? and "
                                                                 "huiyuanleixing=?"),
                                                  {itemId, name, cardType})
                                      .value(0);
    if (!promoted.isEmpty() && !promoted.value(0).isNull()) {
        o.promoted = true;
        o.unitCents = yuanToCents(promoted.value(0).toDouble());
        o.promotionKind = promoted.value(1).toString();
        o.discountText = promoted.value(2).toString();
        return o;
    }
    double factor = 1;
    if (type != QStringLiteral("套餐消费") && !cardType.isEmpty()) {
        const QVariant card = value(isProduct(type) ? QStringLiteral("select chanpinzekou from huiyuanka where name=?")
                                                    : QStringLiteral("select fuwuzekou from huiyuanka where name=?"),
                                    {cardType});
        bool ok = false;
        const double f = card.toString().trimmed().toDouble(&ok);
        if (ok && f >= 0 && std::isfinite(f))
            factor = f;
    }
    o.discountText = numberText(factor);
    o.unitCents = qint64(std::llround(centsToYuan(o.listCents) * factor * 100.0));
    return o;
}

QString LinePrices::cardTypeOf(const QString &memberId)
{
    return value(QStringLiteral("select type from huiyuan where ID=?"), {memberId}).toString();
}
