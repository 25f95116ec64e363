#ifndef TABLEREGISTRY_H
#define TABLEREGISTRY_H

#include <QMap>
#include <QString>
#include <QStringList>
#include <memory>

class QSqlQueryModel;
class QSqlTableModel;

// One table known to the generic statement builders.
struct TableEntry
{
    QString name;
    QStringList columns;              // the Table entry's row_name, in order
    QSqlQueryModel *queryModel = nullptr;  // owned by the entry
    QSqlTableModel *tableModel = nullptr;  // owned by the entry
    TableEntry(const QString &n, const QStringList &cols);
    ~TableEntry();
    TableEntry(const TableEntry &) = delete;
    TableEntry &operator=(const TableEntry &) = delete;
};

// Table name -> column list, built from the Table entries of dbset.xml.
class TableRegistry
{
public:
    TableRegistry(); // reads "dbset.xml"
    const TableEntry *find(const QString &table) const; // nullptr when unknown
    QStringList tableNames() const;
private:
    QMap<QString, std::shared_ptr<TableEntry>> m_entries;
};

#endif
