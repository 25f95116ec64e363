#ifndef LISTMODEL_H
#define LISTMODEL_H

#include <QSqlQueryModel>
#include <QString>
#include <QVariantList>
#include <QVector>

// The rows of a list as its view asks for them. On a shop file the statement
// is stepped as the list scrolls (QSqlQueryModel's own way). Qt's server
// driver reads a whole result at once, whatever the list shows: a year of sale
// lines, every member of the shop. So on a server a list reads its first
// screenfuls only (its statement under a LIMIT), and its whole result when it
// is scrolled past them, in one read, so that no row is shown twice or left
// out between two reads of rows that sort alike.
class ListModel : public QSqlQueryModel
{
    Q_OBJECT
public:
    // What a server list reads first: as many rows as a file list fetches
    // before it is scrolled.
    static constexpr int kFirstRows = 256;

    using QSqlQueryModel::QSqlQueryModel;

    // The statement (as the server takes it) reading its first rows only.
    static QString firstRowsOf(const QString &serverSql);

    // Shows the result of a statement: the whole of it, or (rest not empty)
    // its first rows, the rest read from `rest` with `values` when the list is
    // scrolled past them.
    void show(const QSqlQuery &result, const QString &rest = QString(), const QVariantList &values = QVariantList());
    // Whether rows of its statement are still unread on the server.
    bool hasUnreadRest() const { return m_more; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &item, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex &parent = QModelIndex()) const override;
    void fetchMore(const QModelIndex &parent = QModelIndex()) override;
    void clear() override;

private:
    void readRest();

    QString m_rest;
    QVariantList m_values;
    bool m_more = false;
    bool m_whole = false;            // m_rows holds the whole result
    QVector<QVariantList> m_rows;    // every row, once read whole
};

#endif
