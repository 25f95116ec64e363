#ifndef SHOPCATALOGUE_H
#define SHOPCATALOGUE_H

#include <QString>

// What the open shop's tables hold, asked of the engine's own catalogue
// through Qt's driver, so that no statement names one engine's system tables.
namespace ShopCatalogue {

// Whether the default connection's table has that column (names compare
// without case: the server keeps them in lower case).
bool hasColumn(const QString &table, const QString &column);

} // namespace ShopCatalogue

#endif
