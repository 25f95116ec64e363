#ifndef DBBACKUP_H
#define DBBACKUP_H

#include <QObject>
#include <QString>

class QThread;

// A consistent copy of the database into backup/ beside it, at most one a day
// (named by date), keeping the newest `keep`. The copy must pass the full
// integrity check before it takes its place (and before an old one goes).
// Runs on the named connection (default: Qt's default connection). Returns ""
// on success or when today's copy exists, otherwise what went wrong.
QString backupDatabaseDaily(const QString &folder = QStringLiteral("backup"), int keep = 30,
                            const QString &connection = QString());

// The daily backup away from the counter: on a read-only connection of its own
// in a worker thread, so that start-up and sales never wait for it.
class DailyBackup : public QObject
{
    Q_OBJECT
public:
    explicit DailyBackup(QObject *parent = nullptr);
    ~DailyBackup() override; // waits for a copy in progress

    // Starts the copy of the default connection's database file (once).
    void start(const QString &folder = QStringLiteral("backup"), int keep = 30);
    bool isRunning() const;

signals:
    // Delivered in the thread that owns this object; "" when all went well.
    void finished(const QString &problem);
    // Instead of finished: the copy failed and the shop file itself does not
    // pass the page check. The whole damaged-database message.
    void damaged(const QString &message);

private:
    QThread *m_thread = nullptr;
};

#endif
