#ifndef SCHEMAUPGRADE_H
#define SCHEMAUPGRADE_H

#include <QString>

#include "dbsetconfig.h"

// The version of the table layout this program writes, kept in the database's
// "PRAGMA user_version" (0: a database from before versions were recorded).
// 6: huiyuantaocan.daoqiriqi, the expiry of a member's package uses, and the
// member-life tables (visit notes, card changes, top-up tiers, rewards, vouchers).
constexpr int kSchemaVersion = 6;

// Brings the open database to the tables of dbset.xml before anything else runs:
// every table that exists gets the columns it lacks (ALTER TABLE ... ADD COLUMN)
// and rows an older version wrote wrongly are corrected, all in one
// transaction, after a copy into backupFolder; then the version is recorded.
// Returns "" when the database fits (or was made to fit), otherwise the message that stops the program: a definition in dbset.xml that does not
// run or does not match its column list, a column that cannot be added, a type
// that differs, a database from a newer program, or a failed upgrade.
QString upgradeSchema(const DbsetMap &map, const QString &backupFolder = QStringLiteral("backup"));

// The same for a shop on a PostgreSQL server: tables made by an older program
// get the columns they lack (and the row number every table has there) and
// the same row corrections, in one transaction, one desk at a time; the
// version is a line of dianpushezhi there. The server's copies are the owner's
// pg_dump, so none is made here.
QString upgradeServerSchema(const DbsetMap &map);

#endif
