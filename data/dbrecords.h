#ifndef DBRECORDS_H
#define DBRECORDS_H

#include <QMetaType>
#include <QString>
#include <QStringList>

// Requests a dialog hands to its opener through DlgSend(QString,QVariant).

// Insert request; also names a table to refresh ("刷新数据列表").
struct dbctrlstruct
{
    QString table;
    QStringList values; // one per column of the table's Table entry; "" stands for NULL
};

// Insert-from-query request.
struct dbctrlsqlstruct
{
    QString table;
    QString select; // text that follows the column list, usually a SELECT
};

// Update or delete request.
struct redbctrlstruct
{
    QString table;
    QStringList fields;  // update: columns to set, then key columns; delete: key columns
    QStringList values;  // one per field
    int whereCount = 0;  // update only: how many trailing fields are keys
};

// Item data of id/name drop-down lists.
struct ComboBoxdata
{
    QString text;
    int id = 0;
};

Q_DECLARE_METATYPE(dbctrlstruct)
Q_DECLARE_METATYPE(dbctrlsqlstruct)
Q_DECLARE_METATYPE(redbctrlstruct)
Q_DECLARE_METATYPE(ComboBoxdata)

// Registers the records above under their own names; called once at start-up
// (and by the test fixture). Safe to call more than once.
void registerRecordTypes();

#endif
