#ifndef DBHEALTH_H
#define DBHEALTH_H

#include <QString>

// Checks of the open default connection before anyone may take a sale.
// Each returns "" when all is well, otherwise the whole message for the person
// at the counter (the program stops after showing it).

// The file can really be written (a probe write, rolled back), the write-ahead
// log is on, and a quick check of every page finds no damage.
QString databaseHealthProblem();

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
