#ifndef SHOPFUNCTIONS_H
#define SHOPFUNCTIONS_H

#include <QDate>
#include <QString>
#include <QStringList>

// The few functions the shop's statements call beyond what both engines share,
// under the same names on both: registered with SQLite for every connection the
// process opens, created on the server with its tables. A statement written
// with them runs unchanged on either engine.
//
//   mochen_today(n)       today plus n days, as the text 'yyyy-MM-dd' (local time)
//   mochen_day_number(t)  the day of the date text t counted from 1970-01-01;
//                         NULL when t holds no date; a day past its month's end
//                         rolls over ('2027-02-29' is 1 March)
//   mochen_int(x)         the whole number x begins with, 0 when it begins with
//                         none, NULL for NULL: SQLite's CAST(x AS INTEGER), which
//                         the server refuses for a text that is no number
//   total(x)              (server) the sum, 0 when there are no rows
//   group_concat(x[,sep]) (server) the texts joined, ',' by default
//   round(x,n)            (server) also for a floating-point x
namespace ShopFunctions {

// Registers the SQLite half once per process (before any connection opens);
// true when it is in place.
bool registerWithSqlite();

// The statements that create the server half (CREATE OR REPLACE, so running
// them again is harmless).
QStringList serverDefinitions();

// What mochen_day_number answers for a date text (exposed for the tests).
QDate dayOf(const QString &text, bool *ok);

} // namespace ShopFunctions

#endif
