#ifndef PRODUCTBOOK_H
#define PRODUCTBOOK_H

#include <QString>
#include <optional>

// What the product dialog reads and writes beside the product row itself:
// whether a code is free, and the low-stock level of the daily reminder.
namespace ProductBook {

bool exists(const QString &productId);
// Whether the code still carries real stock movements (of a deleted product);
// the zero movement of a product's creation does not count.
bool codeHasMovements(const QString &productId);
// What the shop pays for the product; none for an unknown product or one
// without a purchase price.
std::optional<double> purchasePrice(const QString &productId);
// The product's low-stock level; none for an unknown product.
std::optional<double> stockLevel(const QString &productId);
// Sets it, inside the open transaction. A shop file from before the level has
// no such column and keeps none (true: nothing to do).
bool setStockLevel(const QString &productId, double level);

} // namespace ProductBook

#endif
