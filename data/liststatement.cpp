#include "liststatement.h"
#include "listmodel.h"
#include "preparedqueries.h"
#include "sqldialect.h"

#include <QSqlDriver>

bool ListStatement::run(const QString &sql, const QVariantList &values)
{
    return runAs(sql, SqlDialect::translate(sql), values);
}

bool ListStatement::runAs(const QString &sql, const QString &engineSql, const QVariantList &values)
{
    m_query.finish();
    const quint64 generation = PreparedQueries::generation();
    if (m_sql != sql || m_generation != generation) {
        m_query = QSqlQuery();
        m_sql.clear();
        if (!m_query.prepare(engineSql))
            return false;
        m_sql = sql;
        m_generation = generation;
    }
    for (int i = 0; i < values.size(); ++i)
        m_query.bindValue(i, values.at(i));
    if (m_query.exec())
        return true;
    m_sql.clear(); // prepared afresh next time, in case it went stale
    return false;
}

void ListStatement::release()
{
    m_query.finish();
}

void ListStatement::finish(QSqlQueryModel *model)
{
    QSqlQuery q = model->query(); // shares the model's result
    // A server's result is in the program already: nothing of it holds the
    // connection, and finishing it would drop the rows the list shows.
    if (q.driver() && q.driver()->dbmsType() == QSqlDriver::PostgreSQL)
        return;
    q.finish();
}

void ListStatement::fill(ListModel *model, const QString &sql, const QVariantList &values)
{
    if (!SqlDialect::isPostgres()) {
        if (values.isEmpty()) {
            fillOnce(model, sql);
            return;
        }
        model->clear();
        run(sql, values);
        model->show(m_query);
        return;
    }
    // The server ships a whole result: the list reads its first rows, and the
    // rest only when it is scrolled to them.
    const QString whole = SqlDialect::translate(sql);
    const QString first = ListModel::firstRowsOf(whole);
    model->clear();
    if (values.isEmpty()) {
        QSqlQuery once;
        once.exec(first);
        model->show(once, whole);
        return;
    }
    runAs(first, first, values);
    model->show(m_query, whole, values);
}

void ListStatement::fillOnce(QSqlQueryModel *model, const QString &sql)
{
    model->setQuery(SqlDialect::translate(sql));
}
