#ifndef SHEETREADER_H
#define SHEETREADER_H

#include <QList>
#include <QString>
#include <QStringList>

// A spreadsheet as a shop brings it: the first row its header, then one row per
// record, every cell as text. Read from a CSV file (UTF-8 with or without a
// byte-order mark, UTF-16 as Excel's "Unicode text", or GB18030/GBK as Excel
// and WPS save "CSV" on a Chinese system; comma, semicolon or tab) or from an
// .xlsx workbook (its first sheet). A file that cannot be read gives a
// sentence for the cashier in `error`, never a crash.
struct Sheet
{
    QStringList header;
    QList<QStringList> rows;   // every row as long as the header (short rows padded)
    QList<int> rowNumbers;     // the row number a person sees in the spreadsheet (the header is row 1)
    QString encoding;          // "UTF-8", "GB18030", "UTF-16", "xlsx"
    QChar separator;           // for CSV
    QString error;             // empty when the file was read

    bool ok() const { return error.isEmpty(); }
};

namespace SheetReader {

// Files larger than this are refused with a message rather than read whole.
constexpr qint64 kMaxBytes = 200LL * 1024 * 1024;

// By content, not by the name's suffix: a workbook saved with a ".csv" name is
// still read as a workbook.
Sheet readFile(const QString &path);
Sheet readBytes(const QByteArray &bytes);
Sheet readCsv(const QByteArray &bytes);

// The text as decoded, and which encoding it was found to be in; an empty
// encoding when the bytes are no text this reader knows.
QString decodeText(const QByteArray &bytes, QString *encoding);
// The separator of the first record: whichever of , ; and tab it holds most
// outside quotes (a comma when none).
QChar detectSeparator(const QString &text);

} // namespace SheetReader

#endif
