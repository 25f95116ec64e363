#ifndef DBHEALTH_H
#define DBHEALTH_H

#include <QObject>
#include <QString>

class QThread;

// Checks of the open default connection before anyone may take a sale.
// Each returns "" when all is well, otherwise the whole message for the person
// at the counter (the program stops after showing it).

// Reading every page of a large shop takes seconds, so above this size the page
// check runs after the counter has opened (PageCheck) instead of before the login.
constexpr qint64 kInlinePageCheckBytes = qint64(64) << 20;

// The database file and its write-ahead log, in bytes.
qint64 databaseFileBytes();

// Reading the schema catches a file that is not a database: "" when it can be
// read, else the driver's error.
QString schemaReadError();

// The file can really be written (a probe write, rolled back), the write-ahead
// log is on, and, for a file of at most `inlinePageCheckBytes`, a quick check
// of every page finds no damage.
QString databaseHealthProblem(qint64 inlinePageCheckBytes = kInlinePageCheckBytes);

// The quick check of every page away from the counter: on a read-only
// connection of its own in a worker thread.
class PageCheck : public QObject
{
    Q_OBJECT
public:
    explicit PageCheck(QObject *parent = nullptr);
    ~PageCheck() override; // waits for a check in progress

    // Checks the default connection's database file (once).
    void start(const QString &backupFolder = QStringLiteral("backup"));

signals:
    // "" when no damage was found, else the whole damaged-database message.
    void finished(const QString &problem);

private:
    QThread *m_thread = nullptr;
};

// Runs "pragma integrity_check" (full) or "pragma quick_check" on a database
// file through a connection of its own. Returns "" when it says ok, otherwise
// what it found (or why the file could not be read).
QString checkDatabaseFile(const QString &path, bool full);

// The newest backup copy in the folder that passes the quick check, as an
// absolute path; "" when there is none.
QString newestGoodBackup(const QString &folder = QStringLiteral("backup"));

// The message for a damaged database: what was found, the newest good backup
// and how to put it back.
QString damagedDatabaseText(const QString &finding, const QString &backupFolder = QStringLiteral("backup"));

#endif
