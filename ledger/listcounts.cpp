#include "listcounts.h"

#include "dbsetconfig.h"
#include "reportreads.h"

#include <QFileInfo>
#include <QObject>
#include <QSqlDatabase>
#include <QThread>

namespace {
QStringList statementsOf(const QStringList &lists)
{
    const DbsetMap map = readDbset();
    QStringList statements;
    for (const QString &name : lists)
        statements << dbsetEntry<TableViewinfo>(map, name).SqlStr;
    return statements;
}

QList<int> countEach(const QStringList &statements, const std::function<int(const QString &)> &count)
{
    QList<int> counts;
    for (const QString &sql : statements)
        counts << (sql.isEmpty() ? 0 : count(sql));
    return counts;
}
} // namespace

namespace ListCounts {

QList<int> now(const QStringList &lists)
{
    return countEach(statementsOf(lists), [](const QString &sql) { return ReportReads::rowCount(sql); });
}

void aside(const QStringList &lists, QObject *receiver, std::function<void(const QList<int> &)> done)
{
    const QSqlDatabase main = QSqlDatabase::database();
    const QString file = main.databaseName();
    if (main.driverName() != QLatin1String("QSQLITE") || file.isEmpty() || file == QLatin1String(":memory:")) {
        done(now(lists));
        return;
    }
    const QString path = QFileInfo(file).absoluteFilePath();
    const QStringList statements = statementsOf(lists); // dbset.xml is read here, not beside the window's work
    QThread *worker = QThread::create([path, statements, receiver, done]() {
        QList<int> counts;
        const QString name = QStringLiteral("mochen-counts-%1").arg(quintptr(QThread::currentThreadId()));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(path);
            db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000"));
            if (db.open())
                counts = countEach(statements, [&db](const QString &sql) { return ReportReads::rowCount(sql, db); });
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
        // Dropped when the receiver went before its turn came.
        QMetaObject::invokeMethod(receiver, [done, counts]() { done(counts); }, Qt::QueuedConnection);
    });
    // A child of the receiver, which waits for it before its children go.
    worker->setParent(receiver);
    QObject::connect(receiver, &QObject::destroyed, worker, [worker]() { worker->wait(); }, Qt::DirectConnection);
    QObject::connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    worker->start(QThread::LowPriority);
}

} // namespace ListCounts
