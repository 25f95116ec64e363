#ifndef RULEVALUES_H
#define RULEVALUES_H

#include <QString>

// Checks and arithmetic shared by the commission and promotion settings.

// Method words as stored in tichengshezhi / cuxiaoshezhi.
namespace RuleWords {
inline QString byRatio() { return QStringLiteral("按比例提成"); }
inline QString byAmount() { return QStringLiteral("按固定金额提成"); }
inline QString noCommission() { return QStringLiteral("不参与提成"); }
inline QString allEmployees() { return QStringLiteral("所有员工"); }
inline QString promoRatio() { return QStringLiteral("按比例促销"); }
inline QString promoPrice() { return QStringLiteral("按固定金额促销"); }
inline QString noPromotion() { return QStringLiteral("无优惠"); }
inline QString allMembers() { return QStringLiteral("所有会员"); }
}

// A percentage or amount typed into a commission field. Empty text counts as 0.
// Returns "" when the text is usable, else the message to show.
QString checkCommissionValue(const QString &text, double *value);

// The value typed for a promotion (a ratio for "按比例促销", a final price for
// "按固定金额促销") against the item price. Returns "" or the message to show.
QString checkPromotionValue(const QString &method, double price, const QString &text,
                            double *value);

// Ratio and final price of a promotion, as they are stored: a ratio rule gives
// price × ratio, a fixed price gives price / item price, anything else ratio 1 at
// the item price.
void promotionFigures(const QString &method, double price, double value,
                      QString *ratio, QString *finalPrice);

#endif
