#ifndef LINEPRICES_H
#define LINEPRICES_H

#include <QString>

// The price the checkout offers for a line, worked out as the line editor
// does: the promotion for the item, its name and the card type wins;
// otherwise the list price times the card's discount (services and package
// uses take the service discount, products the product discount).
class LinePrices
{
public:
    struct Offer
    {
        bool found = false; // the item still exists
        qint64 listCents = 0;
        qint64 unitCents = 0;
    };
    // type: 服务项目, 产品 or 套餐消费.
    static Offer offer(const QString &type, const QString &itemId, const QString &name, const QString &cardType);
    // The member's card type now; empty for a walk-in customer or a member gone.
    static QString cardTypeOf(const QString &memberId);
};

#endif
