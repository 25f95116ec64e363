#include "listmodel.h"

#include "sqldialect.h"
#include "sqllog.h"
#include "transactionscope.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

QString ListModel::firstRowsOf(const QString &serverSql)
{
    QString sql = serverSql.trimmed();
    while (sql.endsWith(QLatin1Char(';')))
        sql.chop(1);
    // A subquery keeps its own ORDER BY and LIMIT, and the server plans it for
    // the rows asked (an index walk instead of a sort of every row).
    return QStringLiteral("select * from (") + sql + QStringLiteral(") mochen_list limit ")
           + QString::number(kFirstRows);
}

void ListModel::show(const QSqlQuery &result, const QString &rest, const QVariantList &values)
{
    // Cleared first: setQuery asks rowCount() and fetchMore() of the new result.
    m_more = false;
    m_whole = false;
    m_rows.clear();
    m_rest.clear();
    m_values.clear();
    setQuery(result);
    if (rest.isEmpty() || lastError().isValid() || QSqlQueryModel::rowCount() < kFirstRows)
        return;
    m_rest = rest;
    m_values = values;
    m_more = true;
}

int ListModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return m_whole ? m_rows.size() : QSqlQueryModel::rowCount(parent);
}

QVariant ListModel::data(const QModelIndex &item, int role) const
{
    if (!m_whole)
        return QSqlQueryModel::data(item, role);
    if (!item.isValid() || item.row() >= m_rows.size() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return QVariant();
    return m_rows.at(item.row()).value(item.column());
}

bool ListModel::canFetchMore(const QModelIndex &parent) const
{
    return m_more || (!m_whole && QSqlQueryModel::canFetchMore(parent));
}

void ListModel::fetchMore(const QModelIndex &parent)
{
    if (m_more)
        readRest();
    else if (!m_whole)
        QSqlQueryModel::fetchMore(parent);
}

void ListModel::clear()
{
    m_more = false;
    m_whole = false;
    m_rows.clear();
    m_rest.clear();
    m_values.clear();
    // A result read on a server session that has since been replaced (the
    // desk connected again) has lost its driver with it, and clearing it asks
    // that driver for a new result: it is let go of instead. On a file the
    // driver outlives a reopen.
    if (!query().driver())
        QSqlQueryModel::setQuery(QSqlQuery());
    QSqlQueryModel::clear();
}

void ListModel::readRest()
{
    m_more = false;
    if (!TransactionScope::admits(m_rest)) {
        qCWarning(lcSql).noquote() << QStringLiteral("列表未读取：") + m_rest;
        return;
    }
    QSqlQuery q;
    q.setForwardOnly(true);
    bool ok = false;
    if (m_values.isEmpty()) {
        ok = q.exec(m_rest);
    } else if (q.prepare(m_rest)) {
        for (int i = 0; i < m_values.size(); ++i)
            q.bindValue(i, m_values.at(i));
        ok = q.exec();
    }
    if (!ok) {
        // The list keeps the rows it shows; the next run of it reads again.
        qCWarning(lcSql).noquote() << QStringLiteral("数据库操作错误：") + m_rest
                                   << SqlLog::shown(m_rest, m_values) << SqlDialect::errorText(q.lastError());
        return;
    }
    qCDebug(lcSql).noquote() << m_rest << SqlLog::shown(m_rest, m_values);
    QVector<QVariantList> rows;
    const int columns = q.record().count();
    while (q.next()) {
        QVariantList row;
        row.reserve(columns);
        for (int c = 0; c < columns; ++c)
            row << q.value(c);
        rows << row;
    }
    q.finish();
    // The whole result replaces the first rows: rows that sort alike may come
    // in another order than in the first read, each of them once.
    const int shown = rowCount();
    const int now = rows.size();
    if (now < shown) {
        beginRemoveRows(QModelIndex(), now, shown - 1);
        m_rows = rows;
        m_whole = true;
        endRemoveRows();
    } else if (now > shown) {
        beginInsertRows(QModelIndex(), shown, now - 1);
        m_rows = rows;
        m_whole = true;
        endInsertRows();
    } else {
        m_rows = rows;
        m_whole = true;
    }
    const int first = qMin(shown, now);
    if (first > 0)
        emit dataChanged(index(0, 0), index(first - 1, columnCount() - 1));
}
