#include "rulevalues.h"

#include "amounts.h"
#include "sqltext.h"

QString checkCommissionValue(const QString &text, double *value)
{
    *value = 0;
    if (text.trimmed().isEmpty())
        return QString();
    bool ok = false;
    const double v = parseNumber(text, &ok);
    if (!ok)
        return QStringLiteral("提成数值请输入数字");
    if (v < 0)
        return QStringLiteral("提成数值不能小于0");
    if (v > centsToYuan(kMaxMoneyCents))
        return QStringLiteral("提成数值不能超过1000000000");
    *value = v;
    return QString();
}

QString checkPromotionValue(const QString &method, double price, const QString &text,
                            double *value)
{
    *value = 0;
    const bool ratio = method == RuleWords::promoRatio();
    const bool fixed = method == RuleWords::promoPrice();
    if (!ratio && !fixed)
        return QString(); // no figure to check: "无优惠" keeps the full price
    if (text.trimmed().isEmpty())
        return ratio ? QStringLiteral("请输入促销折扣，例如0.9表示9折")
                     : QStringLiteral("请输入促销后的固定金额");
    bool ok = false;
    const double v = parseNumber(text, &ok);
    if (!ok)
        return QStringLiteral("促销数值请输入数字");
    if (v < 0)
        return QStringLiteral("促销数值不能小于0");
    // A ratio above 1 or a "promotion" above the list price would raise the
    // price at the counter; typing 9 for 9折 is the usual slip.
    if (ratio && v > 1)
        return QStringLiteral("促销折扣应在0到1之间，0.9表示9折");
    if (fixed && v > price)
        return QStringLiteral("促销固定金额不能高于销售价格") + moneyText(price);
    *value = v;
    return QString();
}

void promotionFigures(const QString &method, double price, double value,
                      QString *ratio, QString *finalPrice)
{
    if (method == RuleWords::promoRatio()) {
        *ratio = numberText(value);
        *finalPrice = moneyText(price * value);
    } else if (method == RuleWords::promoPrice()) {
        *ratio = price > 0 ? numberText(value / price) : QStringLiteral("1");
        *finalPrice = moneyText(value);
    } else {
        *ratio = QStringLiteral("1");
        *finalPrice = moneyText(price);
    }
}
