#ifndef LISTCOUNTS_H
#define LISTCOUNTS_H

#include <QList>
#include <QStringList>
#include <functional>

class QObject;

// How many rows lists hold (TableView entries of dbset.xml), read for a notice
// rather than shown: the daily reminders after login.
namespace ListCounts {
// On the program's connection, now; 0 for a list without a statement or whose statement failed.
QList<int> now(const QStringList &lists);
// Counting the reminders reads every member and every open debt (0.5 s at
// 50,000 members, 2 s at 200,000). On a shop file that is done on a read-only
// connection of its own in a worker thread, so that the window is at the
// cashier's disposal at once; done then runs in receiver's thread when the
// counts are ready, and not at all once receiver is gone (which waits for the
// worker); the counts are empty when the file could not be read. On a shop server, or a database without a file, they are counted
// now, and done runs before this returns.
void aside(const QStringList &lists, QObject *receiver, std::function<void(const QList<int> &)> done);
} // namespace ListCounts

#endif
