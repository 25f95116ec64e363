#include "lineprices.h"

#include "amounts.h"
#include "ledgersql.h"

#include <cmath>

using LedgerSql::value;

LinePrices::Offer LinePrices::offer(const QString &type, const QString &itemId, const QString &name,
                                    const QString &cardType)
{
    Offer o;
    const bool product = type == QStringLiteral("产品");
    const QVariant list = value(product ? QStringLiteral("select coalesce(xiaoshoujiage,0) from chanpin where ID=?")
                                        : QStringLiteral("select coalesce(xiaoshoujiage,0) from fuwuxiangmu where ID=?"),
                                {itemId});
    if (!list.isValid())
        return o;
    o.found = true;
    o.listCents = yuanToCents(list.toDouble());
    const QVariant promoted = value(QStringLiteral("select zuizhongjiage from cuxiao where xiangmuID=? and "
                                                   "xiangmumingcheng=? and huiyuanleixing=?"),
                                    {itemId, name, cardType});
    if (promoted.isValid() && !promoted.isNull()) {
        o.unitCents = yuanToCents(promoted.toDouble());
        return o;
    }
    double factor = 1;
    if (type != QStringLiteral("套餐消费") && !cardType.isEmpty()) {
        const QVariant card = value(product ? QStringLiteral("select chanpinzekou from huiyuanka where name=?")
                                            : QStringLiteral("select fuwuzekou from huiyuanka where name=?"),
                                    {cardType});
        bool ok = false;
        const double f = card.toString().trimmed().toDouble(&ok);
        if (ok && f >= 0 && std::isfinite(f))
            factor = f;
    }
    o.unitCents = qint64(std::llround(centsToYuan(o.listCents) * factor * 100.0));
    return o;
}

QString LinePrices::cardTypeOf(const QString &memberId)
{
    return value(QStringLiteral("select type from huiyuan where ID=?"), {memberId}).toString();
}
