#ifndef CSVEXPORT_H
#define CSVEXPORT_H

#include <QVariantList>
#include <QString>
#include <QStringList>

#include <functional>

// Lists written as CSV files that a spreadsheet opens as they are: UTF-8 with a
// byte-order mark, CRLF line ends, no trailing separator, and codes made of
// digits kept as text.
namespace CsvExport {

// One field. Quoted when it holds the separator, a quote or a line break (quotes
// doubled). A code of digits that a spreadsheet would turn into a number and
// spoil (a leading zero, or more than 11 digits: barcodes, card numbers) is
// written as a text formula ="…".
QString field(const QString &text);
// The fields joined by commas, ended by CRLF.
QString line(const QStringList &fields);

// The path with ".csv" added unless it already ends so (any case).
QString withCsvSuffix(const QString &path);
// Where the save dialog opens: the user's documents folder (home when there is none).
QString defaultFolder();

struct Result
{
    bool ok = false;
    bool cancelled = false;
    qint64 rows = 0;
    QString error; // why the file could not be written, when known
};

// Told how far a long export has come (rows written, rows in all): once before
// the first row, every few hundred rows and once at the end, and only when the
// export is long enough to be worth a progress bar. Returning false stops it.
using Progress = std::function<bool(qint64 done, qint64 total)>;

// Writes the header and every row of the statement into the file. The rows are
// read from the database as they are written (never all held at once). The
// file is replaced only when everything was written: a failed or cancelled
// export leaves an earlier file of that name untouched.
// Every row of the statement handed to `take` as texts, read as they are
// handed on; `take` returning false stops (ok is then false). The rows and
// the progress as write() counts them.
Result forEachRow(const QString &sql, const QVariantList &values, const Progress &progress,
                  const std::function<bool(const QStringList &row)> &take);

Result write(const QString &path, const QStringList &header, const QString &sql,
             const QVariantList &values = QVariantList(), // bound to the ? marks of sql
             const Progress &progress = Progress());

} // namespace CsvExport

#endif
