#include "tableregistry.h"
#include "dbsetconfig.h"

#include <QSqlQueryModel>
#include <QSqlTableModel>

TableEntry::TableEntry(const QString &n, const QStringList &cols)
    : name(n), columns(cols), queryModel(new QSqlQueryModel), tableModel(new QSqlTableModel)
{
    tableModel->setTable(name);
}

TableEntry::~TableEntry()
{
    delete queryModel;
    delete tableModel;
}

TableRegistry::TableRegistry()
{
    const DbsetMap map = readDbset();
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        if (it.value().userType() != qMetaTypeId<Tableinfo>())
            continue;
        const Tableinfo info = it.value().value<Tableinfo>();
        m_entries.insert(info.name, std::make_shared<TableEntry>(info.name, info.row_name));
    }
}

const TableEntry *TableRegistry::find(const QString &table) const
{
    const auto it = m_entries.constFind(table);
    return it == m_entries.cend() ? nullptr : it->get();
}

QStringList TableRegistry::tableNames() const { return m_entries.keys(); }
