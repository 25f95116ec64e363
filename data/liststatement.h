#ifndef LISTSTATEMENT_H
#define LISTSTATEMENT_H

#include <QSqlQuery>
#include <QString>
#include <QVariantList>

class ListModel;
class QSqlQueryModel;

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
    // Runs the list into its model: with values, bound to this kept statement
    // (the model lets go of last time's result first); without, as it stands.
    // On a server only its first rows are read (see ListModel).
    void fill(ListModel *model, const QString &sql, const QVariantList &values);
    // A statement without values run once into a model (a drop-down list).
    static void fillOnce(QSqlQueryModel *model, const QString &sql);
    // Ends the read of a model that has not fetched to its end (it keeps the
    // rows it has), so that the connection can write.
    static void finish(QSqlQueryModel *model);

private:
    // sql is the key the statement is kept by, engineSql what is prepared.
    bool runAs(const QString &sql, const QString &engineSql, const QVariantList &values);

    QSqlQuery m_query;
    QString m_sql;
    quint64 m_generation = 0;
};

#endif
