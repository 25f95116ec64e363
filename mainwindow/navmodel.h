#ifndef NAVMODEL_H
#define NAVMODEL_H

#include <QAbstractListModel>
#include <QList>
#include <QStringList>
#include <memory>
#include <vector>

// The flat model behind the navigation list: one node per category with its
// pages as children; a category's children are rows only while it is expanded.
class NavModel : public QAbstractListModel
{
    Q_OBJECT
public:
    struct TreeNode
    {
        QString text;
        QString parentText;
        QString info;
        int level = 1;          // 1 = category, 2 = page
        bool collapsed = false; // categories only
        bool last = false;      // page built from the very last item string
        std::vector<std::unique_ptr<TreeNode>> children;
    };

    explicit NavModel(QObject *parent = nullptr);
    ~NavModel() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    using QAbstractListModel::setData;

    // The node shown in a row (also reachable as the row's Qt::UserRole data).
    const TreeNode *nodeAt(int row) const;

public slots:
    // Item strings "text|parent|collapsed|info"; shorter strings are skipped.
    void setData(const QStringList &listItem);
    // Shows or hides the children of the category in that row.
    void collapse(const QModelIndex &index);

private:
    std::vector<std::unique_ptr<TreeNode>> m_tree;
    QList<TreeNode *> m_rows;
};

Q_DECLARE_METATYPE(const NavModel::TreeNode *)

#endif
