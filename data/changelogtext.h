#ifndef CHANGELOGTEXT_H
#define CHANGELOGTEXT_H

#include <QString>
#include <QStringList>

// The operation-log text of an add or a change made through the generic record
// requests of the catalogue, staff, card type and stock dialogs ("增加产品
// 产品编号：P01"); "" for tables whose changes are logged elsewhere or not at all.
namespace ChangeLogText {
// columns: the table's column list for an add, the changed fields (keys last) for a change.
QString text(bool isAdd, const QString &table, const QStringList &columns, const QStringList &values);
}

#endif
