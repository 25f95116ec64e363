#ifndef LISTSTATEMENT_H
#define LISTSTATEMENT_H

#include <QSqlQuery>
#include <QString>
#include <QVariantList>

// A list's bound statement, kept prepared while the list is run again with
// other values (another member, another period): one round trip on a server
// instead of three. It belongs to one list, so no other list's run can change
// the rows its model shows. Prepared again after the connection was opened anew.
class ListStatement
{
public:
    // Runs sql with the values bound to its ? marks; the result is query().
    // A failed run leaves its error in query() and prepares afresh next time.
    bool run(const QString &sql, const QVariantList &values);
    // Lets go of the last result (a model should have let go of it first).
    void release();
    const QSqlQuery &query() const { return m_query; }

private:
    QSqlQuery m_query;
    QString m_sql;
    quint64 m_generation = 0;
};

#endif
