#ifndef DBBACKUP_H
#define DBBACKUP_H

#include <QString>

// A consistent copy of the open database into backup/ beside it, at most one a
// day (named by date), keeping the newest `keep`. Returns "" on success or when
// today's copy exists, otherwise what went wrong.
QString backupDatabaseDaily(const QString &folder = QStringLiteral("backup"), int keep = 30);

#endif
