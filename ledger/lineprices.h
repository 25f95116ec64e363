#ifndef LINEPRICES_H
#define LINEPRICES_H

#include <QString>

// The price the checkout offers for a line, worked out as the line editor
// does: the promotion for the item, its name and the card type wins;
// otherwise the list price times the card's discount (services take the
// service discount, products the product discount; a package use is priced
// at its list price, for the commission it earns).
class LinePrices
{
public:
    struct Offer
    {
        bool found = false; // the item still exists
        qint64 listCents = 0;
        qint64 unitCents = 0;
        qint64 floorCents = 0;    // the item's lowest price (底价); 0 for none
        bool promoted = false;    // a promotion set the price
        QString promotionKind;    // its 优惠方式, as the promotion names it
        QString discountText = QStringLiteral("1"); // the factor shown beside the price: the promotion's, the card's, or "1"
    };
    // type: 服务项目, 产品 or 套餐消费.
    static Offer offer(const QString &type, const QString &itemId, const QString &name, const QString &cardType);
    // The same for a list price given (an item no longer on file keeps the
    // price it was picked at).
    static Offer offerAt(const QString &type, const QString &itemId, const QString &name, const QString &cardType,
                         qint64 listCents);
    // The member's card type now; empty for a walk-in customer or a member gone.
    static QString cardTypeOf(const QString &memberId);
};

#endif
