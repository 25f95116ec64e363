#ifndef PREPAREDQUERIES_H
#define PREPAREDQUERIES_H

#include <QString>

class QSqlQuery;

// Statements prepared once per connection and kept by their text, so that a
// statement run again costs one round trip (on a server, Qt's driver would
// otherwise send PREPARE, EXECUTE and DEALLOCATE every time).
//
//   QSqlQuery q;
//   if (PreparedQueries::prepare(q, sql)) { bind…; q.exec(); read…; }
//   q.finish(); // hands the statement back for the next use
//
// A statement still in use (a caller reading its rows while the same text is
// wanted again) is not shared: the second caller gets a query of its own.
// Only Qt's default connection is served. Statements spliced with values make
// a new text every time; the store keeps the most recently used ones only.
class PreparedQueries
{
public:
    // q becomes the prepared statement for sql; false (q holding the error)
    // when it cannot be prepared. The caller finishes q when done with it.
    // The query reads forward only (the store reads its rows once, in order).
    static bool prepare(QSqlQuery &q, const QString &sql);

    // Drops every kept statement: to be called when the connection is opened
    // again (a new shop file, a reconnect to the server), whose statements
    // the old ones no longer belong to. Also drops the one statement whose
    // text is given, when it failed and may be stale (a table recreated).
    // A statement of a server session that ended is not freed through its
    // driver (which would speak to no session, or to another one): it waits,
    // parked, until that driver is gone.
    static void forgetAll();
    static void forget(const QString &sql);
    static int parked();

    // How many statements are kept, and how many preparations were saved
    // since the start (for the bench and the tests).
    static int size();
    // Changes whenever the kept statements are dropped: a window that keeps a
    // prepared statement of its own (a list) prepares it again when this moved.
    static quint64 generation();
    static qint64 reused();
};

#endif
