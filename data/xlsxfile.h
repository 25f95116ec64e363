#ifndef XLSXFILE_H
#define XLSXFILE_H

#include "csvexport.h"
#include "sheetreader.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>

// Excel workbooks (.xlsx, the Office Open XML zip package) read and written
// with libzip for the package and Qt's XML stream reader for the sheets.
namespace XlsxFile {

// The first sheet of the workbook: text cells as they are, numbers as typed
// (13800138000, 12.5), cells formatted as dates as "yyyy-MM-dd" (with the time
// when they carry one), booleans as 是/否, formulas by their last value.
Sheet readFirstSheet(const QByteArray &bytes);

// How a column's cells are written out.
enum class CellKind {
    Text,     // always a text cell: codes, phones, card numbers keep their zeros
    Number,   // a number when the text is one, else text
    Money,    // a number shown with two decimals, summed on the 合计 line
    Date,     // yyyy-MM-dd as a date, yyyy-MM-dd hh:mm:ss as a date and time
    Auto,     // a date or a number when it is one, text otherwise (a code with a leading zero stays text)
};

struct Column
{
    QString caption;
    CellKind kind = CellKind::Text;
};

// A workbook of one sheet, built row by row in memory and written whole.
class Writer
{
public:
    explicit Writer(const QList<Column> &columns, const QString &sheetName = QStringLiteral("Sheet1"));
    void addRow(const QStringList &cells);
    // The 合计 line under the rows: the first cell "合计", each money column's sum.
    void addTotalsRow();
    qint64 rows() const { return m_rows; }
    // Writes the package to `path` (replaced only when the whole file was written).
    bool save(const QString &path, QString *error);
    QByteArray package(QString *error);

private:
    QList<Column> m_columns;
    QString m_sheetName;
    QByteArray m_sheetData;
    QList<qint64> m_sumCents;
    QList<int> m_widths;
    qint64 m_rows = 0;
};

// The kind a list's column gets from its caption: codes and phones text,
// money (金额, 价格, 余额 …), dates (日期, 时间), numbers (积分, 次数, 数量 …);
// any other column Auto.
CellKind kindForCaption(const QString &caption);

// A list written as a workbook: the header, every row of the statement (read
// as they are written) and the 合计 line of its money columns. The file is
// replaced only when all of it was written. The same answer as the CSV export.
CsvExport::Result writeQuery(const QString &path, const QStringList &header, const QString &sql, const QVariantList &values,
                       const std::function<bool(qint64 done, qint64 total)> &progress, const QString &sheetName);

// A date or date-time text as Excel's serial day number; false when it is none.
bool serialOf(const QString &text, double *serial, bool *withTime);

} // namespace XlsxFile

#endif
