#include "liststatement.h"
#include "preparedqueries.h"
#include "sqldialect.h"

#include <QSqlQueryModel>

bool ListStatement::run(const QString &sql, const QVariantList &values)
{
    m_query.finish();
    const quint64 generation = PreparedQueries::generation();
    if (m_sql != sql || m_generation != generation) {
        m_query = QSqlQuery();
        m_sql.clear();
        if (!m_query.prepare(SqlDialect::translate(sql)))
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
    q.finish();
}

void ListStatement::fill(QSqlQueryModel *model, const QString &sql, const QVariantList &values)
{
    if (values.isEmpty()) {
        fillOnce(model, sql);
        return;
    }
    model->clear();
    run(sql, values);
    model->setQuery(m_query);
}

void ListStatement::fillOnce(QSqlQueryModel *model, const QString &sql)
{
    model->setQuery(SqlDialect::translate(sql));
}
