#ifndef SQLLOG_H
#define SQLLOG_H

#include <QLoggingCategory>
#include <QStringList>
#include <QVariantList>

// Every statement and every failure of the data layer is written here.
Q_DECLARE_LOGGING_CATEGORY(lcSql)

// What of a statement's values and results may be written out. A statement that
// reads or writes operator passwords shows none of them: a stored hash lets
// anyone with the log try guesses at leisure, and a bound value may be the typed
// password itself.
namespace SqlLog {
bool touchesSecrets(const QString &sql);
QVariantList shown(const QString &sql, const QVariantList &values);
QStringList shown(const QString &sql, const QStringList &row);
}

#endif
