#ifndef CSVEXPORT_H
#define CSVEXPORT_H

#include <QVariantList>
#include <QString>
#include <QStringList>

class QWidget;

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

// Writes the header and every row of the statement into the file. The rows are
// read from the database as they are written (never all held at once); a
// progress dialog with a cancel button appears over parent when it takes a
// moment. The file is replaced only when everything was written: a failed or
// cancelled export leaves an earlier file of that name untouched.
Result write(const QString &path, const QStringList &header, const QString &sql, QWidget *parent,
             const QVariantList &values = QVariantList()); // bound to the ? marks of sql

} // namespace CsvExport

#endif
