#include "sheetreader.h"

#include "xlsxfile.h"

#include <QFile>
#include <QFileInfo>
#include <QTextCodec>

namespace SheetReader {

namespace {

constexpr int kMaxColumns = 500;

bool looksLikeZip(const QByteArray &b)
{
    return b.startsWith(QByteArray("PK\x03\x04", 4));
}

// Strict decoding: any byte sequence the codec cannot take counts against it.
bool decodeWith(const char *codecName, const QByteArray &bytes, QString *out)
{
    QTextCodec *codec = QTextCodec::codecForName(codecName);
    if (!codec)
        return false;
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    *out = codec->toUnicode(bytes.constData(), bytes.size(), &state);
    return state.invalidChars == 0 && state.remainingChars == 0;
}

// Excel's ="0123" keeps a code's leading zeros (our own export writes codes
// so); the cell means the text inside.
QString unwrapTextFormula(const QString &field)
{
    if (field.size() >= 3 && field.startsWith(QLatin1String("=\"")) && field.endsWith(QLatin1Char('"'))) {
        const QString inner = field.mid(2, field.size() - 3);
        if (!inner.contains(QLatin1Char('"')))
            return inner;
    }
    return field;
}

} // namespace

QString decodeText(const QByteArray &bytes, QString *encoding)
{
    QString text;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        if (decodeWith("UTF-8", bytes.mid(3), &text)) {
            *encoding = QStringLiteral("UTF-8");
            return text;
        }
        encoding->clear();
        return QString();
    }
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        const bool le = bytes.startsWith("\xFF\xFE");
        if (bytes.size() % 2 == 0 && decodeWith(le ? "UTF-16LE" : "UTF-16BE", bytes.mid(2), &text)) {
            *encoding = QStringLiteral("UTF-16");
            return text;
        }
        encoding->clear();
        return QString();
    }
    // A NUL byte is in no text file of these encodings.
    if (bytes.contains('\0')) {
        encoding->clear();
        return QString();
    }
    if (decodeWith("UTF-8", bytes, &text)) {
        *encoding = QStringLiteral("UTF-8");
        return text;
    }
    if (decodeWith("GB18030", bytes, &text)) {
        *encoding = QStringLiteral("GB18030");
        return text;
    }
    encoding->clear();
    return QString();
}

QChar detectSeparator(const QString &text)
{
    int comma = 0, semicolon = 0, tab = 0;
    bool quoted = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (quoted)
            continue;
        else if (c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            break;
        else if (c == QLatin1Char(','))
            ++comma;
        else if (c == QLatin1Char(';'))
            ++semicolon;
        else if (c == QLatin1Char('\t'))
            ++tab;
    }
    if (tab > comma && tab >= semicolon)
        return QLatin1Char('\t');
    if (semicolon > comma)
        return QLatin1Char(';');
    return QLatin1Char(',');
}

Sheet readCsv(const QByteArray &bytes)
{
    Sheet sheet;
    QString encoding;
    const QString text = decodeText(bytes, &encoding);
    if (encoding.isEmpty()) {
        sheet.error = QStringLiteral("无法读取该文件：它不是文本表格（CSV），或者编码不是 UTF-8、GBK/GB18030。"
                                     "请在 Excel 或 WPS 中另存为“CSV（逗号分隔）”或 .xlsx 后再导入。");
        return sheet;
    }
    sheet.encoding = encoding;
    const QChar sep = detectSeparator(text);
    sheet.separator = sep;

    QList<QStringList> records;
    QStringList record;
    QString field;
    bool quoted = false;      // inside a quoted field
    bool wasQuoted = false;   // the current field began with a quote
    int line = 1;
    int recordLine = 1;
    const int n = text.size();
    auto endField = [&]() {
        record << (wasQuoted ? field : unwrapTextFormula(field));
        field.clear();
        wasQuoted = false;
    };
    auto endRecord = [&]() {
        endField();
        records << record;
        record.clear();
    };
    for (int i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < n && text.at(i + 1) == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else if (c == QLatin1Char('\r')) {
                // A line break inside a cell is one \n, as a spreadsheet keeps it.
                if (i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
                    ++i;
                ++line;
                field += QLatin1Char('\n');
            } else {
                if (c == QLatin1Char('\n'))
                    ++line;
                field += c;
            }
            continue;
        }
        if (c == QLatin1Char('"') && field.isEmpty() && !wasQuoted) {
            quoted = true;
            wasQuoted = true;
        } else if (c == sep) {
            endField();
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            endRecord();
            ++line;
            recordLine = line;
        } else {
            // Text after a closing quote ("ab"c) is kept as it stands.
            field += c;
        }
        if (record.size() > kMaxColumns) {
            sheet.error = QStringLiteral("第 %1 行的列数超过 %2 列，这不像是一张会员或商品表格，请检查文件。")
                              .arg(recordLine)
                              .arg(kMaxColumns);
            return sheet;
        }
    }
    if (quoted) {
        sheet.error = QStringLiteral("文件不完整：从第 %1 行开始的引号没有结束（文件可能被截断或格式有误）。")
                          .arg(recordLine);
        return sheet;
    }
    if (!field.isEmpty() || wasQuoted || !record.isEmpty())
        endRecord();

    // Rows with nothing in them (the blank lines a spreadsheet leaves at its end)
    // are no records.
    int first = -1;
    QList<QStringList> kept;
    QList<int> keptNumbers;
    for (int r = 0; r < records.size(); ++r) {
        bool blank = true;
        for (const QString &f : records.at(r))
            if (!f.trimmed().isEmpty()) {
                blank = false;
                break;
            }
        if (blank)
            continue;
        if (first < 0) {
            first = r;
            continue;
        }
        kept << records.at(r);
        keptNumbers << r + 1;
    }
    if (first < 0) {
        sheet.error = QStringLiteral("文件是空的：没有表头，也没有数据行。");
        return sheet;
    }
    for (QString h : records.at(first))
        sheet.header << h.trimmed();
    for (int r = 0; r < kept.size(); ++r) {
        QStringList row = kept.at(r);
        while (row.size() < sheet.header.size())
            row << QString();
        sheet.rows << row;
        // Blank rows still count: the number is the one the spreadsheet shows.
        sheet.rowNumbers << keptNumbers.at(r);
    }
    return sheet;
}

Sheet readBytes(const QByteArray &bytes)
{
    if (looksLikeZip(bytes))
        return XlsxFile::readFirstSheet(bytes);
    return readCsv(bytes);
}

Sheet readFile(const QString &path)
{
    Sheet sheet;
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile()) {
        sheet.error = QStringLiteral("找不到文件：%1").arg(path);
        return sheet;
    }
    if (info.size() > kMaxBytes) {
        sheet.error = QStringLiteral("文件太大（%1 MB），一次最多导入 %2 MB，请分成几个文件导入。")
                          .arg(info.size() / (1024 * 1024))
                          .arg(kMaxBytes / (1024 * 1024));
        return sheet;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        sheet.error = QStringLiteral("无法打开文件 %1：%2（文件可能正被 Excel 或 WPS 打开，请先关闭它）")
                          .arg(info.fileName(), f.errorString());
        return sheet;
    }
    return readBytes(f.readAll());
}

} // namespace SheetReader
