#include "navmodel.h"

NavModel::NavModel(QObject *parent) : QAbstractListModel(parent) {}

NavModel::~NavModel() = default;

int NavModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows.size();
}

QVariant NavModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= m_rows.size())
        return QVariant();
    const TreeNode *node = m_rows.at(index.row());
    if (role == Qt::DisplayRole)
        return node->text;
    if (role == Qt::UserRole)
        return QVariant::fromValue(node);
    return QVariant();
}

const NavModel::TreeNode *NavModel::nodeAt(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows.at(row) : nullptr;
}

void NavModel::setData(const QStringList &listItem)
{
    beginResetModel();
    m_rows.clear();
    m_tree.clear();

    // Categories first, so that a page may be listed before its category; a
    // page whose category does not exist is dropped.
    for (const QString &item : listItem) {
        const QStringList f = item.split(QLatin1Char('|'));
        if (f.size() < 4 || !f.at(1).isEmpty())
            continue;
        auto node = std::make_unique<TreeNode>();
        node->text = f.at(0);
        node->collapsed = f.at(2).toInt() != 0;
        node->info = f.at(3);
        node->level = 1;
        m_tree.push_back(std::move(node));
    }
    for (int i = 0; i < listItem.size(); ++i) {
        const QStringList f = listItem.at(i).split(QLatin1Char('|'));
        if (f.size() < 4 || f.at(1).isEmpty())
            continue;
        for (auto &category : m_tree) {
            if (category->text != f.at(1))
                continue;
            auto child = std::make_unique<TreeNode>();
            child->text = f.at(0);
            child->parentText = f.at(1);
            child->info = f.at(3);
            child->level = 2;
            child->last = (i == listItem.size() - 1);
            category->children.push_back(std::move(child));
            break;
        }
    }
    for (auto &category : m_tree) {
        m_rows.append(category.get());
        if (!category->collapsed)
            for (auto &child : category->children)
                m_rows.append(child.get());
    }
    endResetModel();
}

void NavModel::collapse(const QModelIndex &index)
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return;
    const int row = index.row();
    TreeNode *node = m_rows.at(row);
    if (node->level != 1 || node->children.empty())
        return;
    const int count = int(node->children.size());
    if (node->collapsed) {
        beginInsertRows(QModelIndex(), row + 1, row + count);
        node->collapsed = false;
        for (int i = 0; i < count; ++i)
            m_rows.insert(row + 1 + i, node->children.at(size_t(i)).get());
        endInsertRows();
    } else {
        beginRemoveRows(QModelIndex(), row + 1, row + count);
        node->collapsed = true;
        for (int i = 0; i < count; ++i)
            m_rows.removeAt(row + 1);
        endRemoveRows();
    }
}
