#ifndef DBFAILURE_H
#define DBFAILURE_H

#include <QString>

// What a failed statement's error text means for the person at the counter:
// a full disk, a database locked by another desk, a read-only file or a damaged
// file. Returns a sentence such as "原因：磁盘空间已满，请清理磁盘后再试。", or
// "" when the text names no cause we can explain.
QString dbFailureCause(const QString &errorText);

// Whether the error text says the database file itself is damaged (or is no
// database at all).
bool isDamageError(const QString &errorText);

// "<what>，本次操作未保存" followed (on a line of its own) by the cause when it is known: the one
// wording of a save that did not land.
QString saveFailureText(const QString &what, const QString &errorText);

#endif
