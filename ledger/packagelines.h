#ifndef PACKAGELINES_H
#define PACKAGELINES_H

#include "cataloguebook.h"

#include <QList>
#include <QString>

// The lines of the package being edited, in the connection's own working table
// (temptaocanxiangmuliebiao) while the package editor is open: another desk's
// editor has its own. Each line carries its number (hanghao), so the list and
// the save keep the order in which the lines were made on either engine; a
// line that is changed is made again, and moves to the end.
namespace PackageLines {

// Empties the lines (what a dialog left behind never joins another package).
void clear();
// The stored package's lines, with the list price and remark the catalogue
// has now; a line whose service item was deleted since is kept as stored.
bool loadPackage(const QString &packageId);
bool add(const PackageLine &line);
// Every line of the service item: the lines of one item share its code.
bool removeItem(const QString &itemId);
QList<PackageLine> lines();
// The sum of the line totals, as the label shows it ("0" for none).
QString totalText();

} // namespace PackageLines

#endif
