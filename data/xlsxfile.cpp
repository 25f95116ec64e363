#include "xlsxfile.h"

#include "amounts.h"
#include "csvexport.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QMap>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <QXmlStreamReader>
#include <QtMath>

#include <zip.h>

#include <memory>

namespace XlsxFile {

namespace {

// A workbook part larger than this is refused: a small file that inflates to
// gigabytes is no member list.
constexpr zip_uint64_t kMaxPartBytes = 400ULL * 1024 * 1024;

const QString kUnreadable = QStringLiteral("无法读取该 Excel 文件：");

struct ZipCloser
{
    void operator()(zip_t *z) const { zip_discard(z); }
};

class Package
{
public:
    explicit Package(const QByteArray &bytes) : m_bytes(bytes)
    {
        zip_error_t err;
        zip_error_init(&err);
        zip_source_t *src = zip_source_buffer_create(m_bytes.constData(), zip_uint64_t(m_bytes.size()), 0, &err);
        if (src) {
            zip_t *z = zip_open_from_source(src, ZIP_RDONLY, &err);
            if (z)
                m_zip.reset(z);
            else
                zip_source_free(src);
        }
        zip_error_fini(&err);
    }
    bool ok() const { return bool(m_zip); }
    bool has(const QString &name) const
    {
        return m_zip && zip_name_locate(m_zip.get(), name.toUtf8().constData(), 0) >= 0;
    }
    // The part's bytes; false (and why) when it is missing, too large or damaged.
    bool read(const QString &name, QByteArray *out, QString *why) const
    {
        if (!m_zip)
            return false;
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat(m_zip.get(), name.toUtf8().constData(), 0, &st) != 0) {
            *why = QStringLiteral("缺少 %1").arg(name);
            return false;
        }
        if (!(st.valid & ZIP_STAT_SIZE) || st.size > kMaxPartBytes) {
            *why = QStringLiteral("%1 太大").arg(name);
            return false;
        }
        zip_file_t *f = zip_fopen(m_zip.get(), name.toUtf8().constData(), 0);
        if (!f) {
            *why = QStringLiteral("%1 无法解压").arg(name);
            return false;
        }
        out->resize(int(st.size));
        const zip_int64_t n = st.size ? zip_fread(f, out->data(), st.size) : 0;
        zip_fclose(f);
        if (n < 0 || zip_uint64_t(n) != st.size) {
            *why = QStringLiteral("%1 已损坏").arg(name);
            return false;
        }
        return true;
    }

private:
    QByteArray m_bytes; // the buffer source reads from it for the package's whole life
    std::unique_ptr<zip_t, ZipCloser> m_zip;
};

// "xl/worksheets/sheet1.xml" from a relationship target, which may be relative
// to xl/ or absolute in the package.
QString partPath(const QString &target)
{
    if (target.startsWith(QLatin1Char('/')))
        return target.mid(1);
    QString t = target;
    while (t.startsWith(QLatin1String("./")))
        t = t.mid(2);
    return QStringLiteral("xl/") + t;
}

// The first sheet's part, as the workbook and its relationships name it.
QString firstSheetPart(const Package &pkg, bool *date1904)
{
    QByteArray wb, rels;
    QString why;
    QString rid;
    *date1904 = false;
    if (pkg.read(QStringLiteral("xl/workbook.xml"), &wb, &why)) {
        QXmlStreamReader x(wb);
        while (!x.atEnd()) {
            if (x.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (x.name() == QLatin1String("workbookPr")) {
                const QString v = x.attributes().value(QLatin1String("date1904")).toString();
                *date1904 = v == QLatin1String("1") || v == QLatin1String("true");
            } else if (x.name() == QLatin1String("sheet") && rid.isEmpty()) {
                for (const QXmlStreamAttribute &a : x.attributes())
                    if (a.name() == QLatin1String("id"))
                        rid = a.value().toString();
            }
        }
    }
    if (!rid.isEmpty() && pkg.read(QStringLiteral("xl/_rels/workbook.xml.rels"), &rels, &why)) {
        QXmlStreamReader x(rels);
        while (!x.atEnd()) {
            if (x.readNext() == QXmlStreamReader::StartElement && x.name() == QLatin1String("Relationship")
                && x.attributes().value(QLatin1String("Id")) == rid)
                return partPath(x.attributes().value(QLatin1String("Target")).toString());
        }
    }
    return QStringLiteral("xl/worksheets/sheet1.xml");
}

QStringList sharedStrings(const Package &pkg)
{
    QStringList out;
    QByteArray data;
    QString why;
    if (!pkg.read(QStringLiteral("xl/sharedStrings.xml"), &data, &why))
        return out;
    QXmlStreamReader x(data);
    QString current;
    bool inSi = false, inT = false, inPhonetic = false;
    while (!x.atEnd()) {
        const auto t = x.readNext();
        if (t == QXmlStreamReader::StartElement) {
            if (x.name() == QLatin1String("si")) {
                inSi = true;
                current.clear();
            } else if (x.name() == QLatin1String("rPh")) {
                inPhonetic = true; // the reading aid of East Asian text, not the text
            } else if (x.name() == QLatin1String("t")) {
                inT = true;
            }
        } else if (t == QXmlStreamReader::EndElement) {
            if (x.name() == QLatin1String("si")) {
                out << current;
                inSi = false;
            } else if (x.name() == QLatin1String("rPh")) {
                inPhonetic = false;
            } else if (x.name() == QLatin1String("t")) {
                inT = false;
            }
        } else if (t == QXmlStreamReader::Characters && inSi && inT && !inPhonetic) {
            current += x.text();
        }
    }
    return out;
}

bool isDateFormatCode(QString code)
{
    code.remove(QRegularExpression(QStringLiteral("\"[^\"]*\"")));
    code.remove(QRegularExpression(QStringLiteral("\\[[^\\]]*\\]")));
    code.remove(QRegularExpression(QStringLiteral("\\\\.")));
    const QString c = code.toLower();
    if (c.contains(QLatin1String("general")))
        return false;
    return c.contains(QLatin1Char('y')) || c.contains(QLatin1Char('d')) || c.contains(QLatin1Char('h'))
           || (c.contains(QLatin1Char('m')) && c.contains(QLatin1Char('s')));
}

// For each cell style index: whether it shows a date.
QList<bool> dateStyles(const Package &pkg)
{
    QList<bool> out;
    QByteArray data;
    QString why;
    if (!pkg.read(QStringLiteral("xl/styles.xml"), &data, &why))
        return out;
    QHash<int, bool> custom;
    QXmlStreamReader x(data);
    bool inCellXfs = false;
    while (!x.atEnd()) {
        const auto t = x.readNext();
        if (t == QXmlStreamReader::StartElement) {
            if (x.name() == QLatin1String("numFmt")) {
                custom.insert(x.attributes().value(QLatin1String("numFmtId")).toInt(),
                              isDateFormatCode(x.attributes().value(QLatin1String("formatCode")).toString()));
            } else if (x.name() == QLatin1String("cellXfs")) {
                inCellXfs = true;
            } else if (x.name() == QLatin1String("xf") && inCellXfs) {
                const int id = x.attributes().value(QLatin1String("numFmtId")).toInt();
                const bool builtinDate = (id >= 14 && id <= 22) || (id >= 45 && id <= 47) || (id >= 27 && id <= 36)
                                         || (id >= 50 && id <= 58);
                out << (custom.contains(id) ? custom.value(id) : builtinDate);
            }
        } else if (t == QXmlStreamReader::EndElement && x.name() == QLatin1String("cellXfs")) {
            inCellXfs = false;
        }
    }
    return out;
}

// "BC12" → column 54 (0-based); -1 when the reference holds no letters.
int columnOf(const QStringRef &ref)
{
    int col = 0;
    int letters = 0;
    for (const QChar c : ref) {
        const char l = c.toUpper().toLatin1();
        if (l < 'A' || l > 'Z')
            break;
        col = col * 26 + (l - 'A' + 1);
        if (++letters > 3)
            return -1;
    }
    return letters ? col - 1 : -1;
}

QString numberText(const QString &raw)
{
    bool ok = false;
    const double v = raw.toDouble(&ok);
    if (!ok || !qIsFinite(v))
        return raw;
    // Whole numbers as digits (a phone typed as a number stays 13800138000);
    // the rest with the digits Excel shows.
    if (qAbs(v) < 1e15 && v == std::floor(v))
        return QString::number(qint64(v));
    return QString::number(v, 'g', 15);
}

QString dateText(double serial, bool date1904)
{
    const QDate base = date1904 ? QDate(1904, 1, 1) : QDate(1899, 12, 30);
    const qint64 days = qint64(std::floor(serial));
    const int secs = int(qRound((serial - double(days)) * 86400.0));
    const QDateTime dt = QDateTime(base.addDays(days), QTime(0, 0)).addSecs(secs);
    if (!dt.isValid())
        return QString();
    if (dt.time() == QTime(0, 0))
        return dt.date().toString(QStringLiteral("yyyy-MM-dd"));
    return dt.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

} // namespace

Sheet readFirstSheet(const QByteArray &bytes)
{
    Sheet sheet;
    sheet.encoding = QStringLiteral("xlsx");
    Package pkg(bytes);
    if (!pkg.ok()) {
        sheet.error = kUnreadable + QStringLiteral("文件已损坏或不完整（可能下载或复制时被截断）。请在 Excel 或 WPS 中打开后重新保存。");
        return sheet;
    }
    bool date1904 = false;
    const QString part = firstSheetPart(pkg, &date1904);
    QByteArray data;
    QString why;
    if (!pkg.read(part, &data, &why)) {
        sheet.error = kUnreadable + (pkg.has(QStringLiteral("word/document.xml"))
                                         ? QStringLiteral("这是 Word 文档，不是 Excel 表格。")
                                         : QStringLiteral("找不到工作表（%1）。").arg(why));
        return sheet;
    }
    const QStringList strings = sharedStrings(pkg);
    const QList<bool> dates = dateStyles(pkg);

    QMap<int, QStringList> rows; // spreadsheet row number → cells
    QXmlStreamReader x(data);
    int rowNumber = 0;
    QStringList row;
    int col = 0;
    QString type, value, inlineText;
    int style = 0;
    bool inValue = false, inInline = false, inRow = false;
    while (!x.atEnd()) {
        const auto t = x.readNext();
        if (t == QXmlStreamReader::StartElement) {
            const QStringRef name = x.name();
            if (name == QLatin1String("row")) {
                const int r = x.attributes().value(QLatin1String("r")).toInt();
                rowNumber = r > 0 ? r : rowNumber + 1;
                row.clear();
                col = 0;
                inRow = true;
            } else if (name == QLatin1String("c") && inRow) {
                const QStringRef ref = x.attributes().value(QLatin1String("r"));
                const int c = ref.isEmpty() ? col : columnOf(ref);
                col = c < 0 ? col : c;
                type = x.attributes().value(QLatin1String("t")).toString();
                style = x.attributes().value(QLatin1String("s")).toInt();
                value.clear();
                inlineText.clear();
            } else if (name == QLatin1String("v")) {
                inValue = true;
            } else if (name == QLatin1String("is")) {
                inInline = true;
            }
        } else if (t == QXmlStreamReader::Characters) {
            if (inValue)
                value += x.text();
            else if (inInline)
                inlineText += x.text();
        } else if (t == QXmlStreamReader::EndElement) {
            const QStringRef name = x.name();
            if (name == QLatin1String("v")) {
                inValue = false;
            } else if (name == QLatin1String("is")) {
                inInline = false;
            } else if (name == QLatin1String("c") && inRow) {
                QString cell;
                if (type == QLatin1String("s")) {
                    const int i = value.toInt();
                    cell = i >= 0 && i < strings.size() ? strings.at(i) : QString();
                } else if (type == QLatin1String("inlineStr")) {
                    cell = inlineText;
                } else if (type == QLatin1String("str") || type == QLatin1String("e")) {
                    cell = value;
                } else if (type == QLatin1String("b")) {
                    cell = value == QLatin1String("1") ? QStringLiteral("是") : QStringLiteral("否");
                } else if (!value.isEmpty() && style >= 0 && style < dates.size() && dates.at(style)) {
                    bool ok = false;
                    const double serial = value.toDouble(&ok);
                    cell = ok ? dateText(serial, date1904) : value;
                } else {
                    cell = numberText(value);
                }
                if (col >= 0 && col < 500) {
                    while (row.size() <= col)
                        row << QString();
                    row[col] = cell;
                }
                ++col;
            } else if (name == QLatin1String("row")) {
                rows.insert(rowNumber, row);
                inRow = false;
            }
        }
    }
    if (x.hasError()) {
        sheet.error = kUnreadable + QStringLiteral("工作表内容有误（%1，第 %2 行）。请在 Excel 或 WPS 中打开后重新保存。")
                                        .arg(x.errorString())
                                        .arg(x.lineNumber());
        return sheet;
    }
    bool haveHeader = false;
    for (auto it = rows.cbegin(); it != rows.cend(); ++it) {
        bool blank = true;
        for (const QString &c : it.value())
            if (!c.trimmed().isEmpty()) {
                blank = false;
                break;
            }
        if (blank)
            continue;
        if (!haveHeader) {
            for (const QString &h : it.value())
                sheet.header << h.trimmed();
            haveHeader = true;
            continue;
        }
        QStringList r = it.value();
        while (r.size() < sheet.header.size())
            r << QString();
        sheet.rows << r;
        sheet.rowNumbers << it.key();
    }
    if (!haveHeader)
        sheet.error = QStringLiteral("工作表是空的：没有表头，也没有数据行。");
    return sheet;
}

// ---------------------------------------------------------------- writing

namespace {

QString xmlEscaped(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if (c == QLatin1Char('&'))
            out += QLatin1String("&amp;");
        else if (c == QLatin1Char('<'))
            out += QLatin1String("&lt;");
        else if (c == QLatin1Char('>'))
            out += QLatin1String("&gt;");
        else if (c == QLatin1Char('"'))
            out += QLatin1String("&quot;");
        else if (u < 0x20 && u != 0x9 && u != 0xA && u != 0xD)
            continue; // not allowed in XML at all
        else
            out += c;
    }
    return out;
}

QString cellRef(int col, qint64 row)
{
    QString letters;
    int c = col + 1;
    while (c > 0) {
        const int rem = (c - 1) % 26;
        letters.prepend(QChar('A' + rem));
        c = (c - 1) / 26;
    }
    return letters + QString::number(row);
}

// Style indices of styles.xml below.
enum Style { kPlain = 0, kMoney = 1, kDate = 2, kDateTime = 3, kHeader = 4, kText = 5, kTotal = 6 };

const char kStyles[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
    "<numFmts count=\"2\"><numFmt numFmtId=\"164\" formatCode=\"yyyy\\-mm\\-dd\"/>"
    "<numFmt numFmtId=\"165\" formatCode=\"yyyy\\-mm\\-dd\\ hh:mm:ss\"/></numFmts>"
    "<fonts count=\"2\"><font><sz val=\"11\"/><name val=\"宋体\"/><family val=\"2\"/></font>"
    "<font><b/><sz val=\"11\"/><name val=\"宋体\"/><family val=\"2\"/></font></fonts>"
    "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill><fill><patternFill patternType=\"gray125\"/></fill></fills>"
    "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
    "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs>"
    "<cellXfs count=\"7\">"
    "<xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/>"
    "<xf numFmtId=\"2\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyNumberFormat=\"1\"/>"
    "<xf numFmtId=\"164\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyNumberFormat=\"1\"/>"
    "<xf numFmtId=\"165\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyNumberFormat=\"1\"/>"
    "<xf numFmtId=\"49\" fontId=\"1\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyFont=\"1\"/>"
    "<xf numFmtId=\"49\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyNumberFormat=\"1\"/>"
    "<xf numFmtId=\"2\" fontId=\"1\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyNumberFormat=\"1\" applyFont=\"1\"/>"
    "</cellXfs>"
    "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles>"
    "</styleSheet>";

const char kContentTypes[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
    "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
    "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
    "<Override PartName=\"/xl/workbook.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
    "<Override PartName=\"/xl/worksheets/sheet1.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
    "<Override PartName=\"/xl/styles.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>"
    "</Types>";

const char kRootRels[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
    "Target=\"xl/workbook.xml\"/></Relationships>";

const char kWorkbookRels[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
    "Target=\"worksheets/sheet1.xml\"/>"
    "<Relationship Id=\"rId2\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" "
    "Target=\"styles.xml\"/></Relationships>";

// A display width in characters: a Chinese character takes two.
int widthOf(const QString &text)
{
    int w = 0;
    for (const QChar c : text)
        w += c.unicode() >= 0x2E80 ? 2 : 1;
    return w;
}

bool isNumberText(const QString &text, double *v)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 24)
        return false;
    static const QRegularExpression number(QStringLiteral("^-?(\\d+(\\.\\d*)?|\\.\\d+)$"));
    if (!number.match(t).hasMatch())
        return false;
    bool ok = false;
    *v = t.toDouble(&ok);
    return ok && qIsFinite(*v);
}

// Digits a spreadsheet must not turn into a number: a leading zero, or more
// than 11 digits (barcodes, card numbers), or a phone.
bool looksLikeCode(const QString &text)
{
    const QString t = text.trimmed();
    if (t.startsWith(QLatin1Char('-')) || t.contains(QLatin1Char('.')))
        return t.startsWith(QLatin1String("0")) && t.size() > 1 && t.at(1) != QLatin1Char('.');
    return (t.size() > 1 && t.startsWith(QLatin1Char('0'))) || t.size() > 11;
}

} // namespace

bool serialOf(const QString &text, double *serial, bool *withTime)
{
    const QString t = text.trimmed();
    QDateTime dt;
    *withTime = false;
    if (t.size() == 10) {
        const QDate d = QDate::fromString(t, QStringLiteral("yyyy-MM-dd"));
        if (!d.isValid())
            return false;
        dt = QDateTime(d, QTime(0, 0));
    } else if (t.size() == 19) {
        dt = QDateTime::fromString(t, QStringLiteral("yyyy-MM-dd hh:mm:ss"));
        if (!dt.isValid())
            return false;
        *withTime = true;
    } else {
        return false;
    }
    const QDate base(1899, 12, 30);
    const qint64 days = base.daysTo(dt.date());
    if (days < 61) // before 1900-03-01 Excel counts a day that never was
        return false;
    *serial = double(days) + double(dt.time().msecsSinceStartOfDay()) / 86400000.0;
    return true;
}

CellKind kindForCaption(const QString &caption)
{
    static const QStringList money{QStringLiteral("金额"), QStringLiteral("价格"), QStringLiteral("价"),
                                   QStringLiteral("余额"), QStringLiteral("实收"), QStringLiteral("实付"),
                                   QStringLiteral("应收"), QStringLiteral("应交"), QStringLiteral("欠款"),
                                   QStringLiteral("提成"), QStringLiteral("收入"), QStringLiteral("合计"),
                                   QStringLiteral("赠送"), QStringLiteral("交费"), QStringLiteral("还款"),
                                   QStringLiteral("消费额"), QStringLiteral("营业额"), QStringLiteral("现金")};
    static const QStringList dates{QStringLiteral("日期"), QStringLiteral("时间"), QStringLiteral("生日"),
                                   QStringLiteral("到期")};
    static const QStringList numbers{QStringLiteral("积分"), QStringLiteral("次数"), QStringLiteral("数量"),
                                     QStringLiteral("库存"), QStringLiteral("笔数"), QStringLiteral("单数"),
                                     QStringLiteral("人数"), QStringLiteral("比例"), QStringLiteral("折扣")};
    // Codes, phones and numbers of documents are text whatever they hold.
    static const QStringList text{QStringLiteral("编号"), QStringLiteral("电话"), QStringLiteral("手机"),
                                  QStringLiteral("单号"), QStringLiteral("卡号"), QStringLiteral("条码"),
                                  QStringLiteral("编码"), QStringLiteral("ID"), QStringLiteral("内码"),
                                  QStringLiteral("服务时间")};
    for (const QString &w : text)
        if (caption.contains(w))
            return CellKind::Text;
    for (const QString &w : dates)
        if (caption.contains(w))
            return CellKind::Date;
    for (const QString &w : numbers)
        if (caption.contains(w))
            return CellKind::Number;
    for (const QString &w : money)
        if (caption.contains(w))
            return CellKind::Money;
    return CellKind::Auto;
}

CsvExport::Result writeQuery(const QString &path, const QStringList &header, const QString &sql, const QVariantList &values,
                       const std::function<bool(qint64 done, qint64 total)> &progress, const QString &sheetName)
{
    QList<Column> columns;
    for (const QString &h : header)
        columns << Column{h, kindForCaption(h)};
    Writer w(columns, sheetName);
    CsvExport::Result result = CsvExport::forEachRow(sql, values, progress, [&](const QStringList &row) {
        w.addRow(row);
        return true;
    });
    if (!result.ok)
        return result;
    w.addTotalsRow();
    result.ok = w.save(path, &result.error);
    return result;
}

Writer::Writer(const QList<Column> &columns, const QString &sheetName) : m_columns(columns), m_sheetName(sheetName)
{
    for (const Column &c : m_columns) {
        m_sumCents << 0;
        m_widths << qMax(6, widthOf(c.caption) + 2);
    }
    QString header = QStringLiteral("<row r=\"1\">");
    for (int i = 0; i < m_columns.size(); ++i)
        header += QStringLiteral("<c r=\"%1\" s=\"%2\" t=\"inlineStr\"><is><t>%3</t></is></c>")
                      .arg(cellRef(i, 1))
                      .arg(kHeader)
                      .arg(xmlEscaped(m_columns.at(i).caption));
    header += QStringLiteral("</row>");
    m_sheetData += header.toUtf8();
}

void Writer::addRow(const QStringList &cells)
{
    const qint64 r = m_rows + 2;
    QString xml = QStringLiteral("<row r=\"%1\">").arg(r);
    for (int i = 0; i < cells.size() && i < m_columns.size(); ++i) {
        const QString &text = cells.at(i);
        if (text.isEmpty())
            continue;
        const QString ref = cellRef(i, r);
        const CellKind kind = m_columns.at(i).kind;
        double v = 0, serial = 0;
        bool withTime = false;
        if ((kind == CellKind::Money || kind == CellKind::Number) && isNumberText(text, &v)) {
            if (kind == CellKind::Money) {
                // The amount as it stands (never rounded here); shown with two decimals.
                m_sumCents[i] += yuanToCents(v);
                xml += QStringLiteral("<c r=\"%1\" s=\"%2\"><v>%3</v></c>").arg(ref).arg(kMoney).arg(QString::number(v, 'g', 15));
            } else {
                xml += QStringLiteral("<c r=\"%1\"><v>%2</v></c>").arg(ref, QString::number(v, 'g', 15));
            }
        } else if (kind == CellKind::Auto && isNumberText(text, &v) && !looksLikeCode(text)) {
            xml += QStringLiteral("<c r=\"%1\"><v>%2</v></c>").arg(ref, QString::number(v, 'g', 15));
        } else if ((kind == CellKind::Date || kind == CellKind::Auto) && serialOf(text, &serial, &withTime)) {
            xml += QStringLiteral("<c r=\"%1\" s=\"%2\"><v>%3</v></c>")
                       .arg(ref)
                       .arg(withTime ? kDateTime : kDate)
                       .arg(QString::number(serial, 'f', withTime ? 8 : 0));
            m_widths[i] = qMax(m_widths[i], withTime ? 20 : 12);
        } else {
            xml += QStringLiteral("<c r=\"%1\" s=\"%2\" t=\"inlineStr\"><is><t xml:space=\"preserve\">%3</t></is></c>")
                       .arg(ref)
                       .arg(kind == CellKind::Text ? kText : kPlain)
                       .arg(xmlEscaped(text));
        }
        m_widths[i] = qMin(60, qMax(m_widths[i], widthOf(text) + 2));
    }
    xml += QStringLiteral("</row>");
    m_sheetData += xml.toUtf8();
    ++m_rows;
}

void Writer::addTotalsRow()
{
    const qint64 r = m_rows + 2;
    QString xml = QStringLiteral("<row r=\"%1\">").arg(r);
    bool labelled = false;
    for (int i = 0; i < m_columns.size(); ++i) {
        const QString ref = cellRef(i, r);
        if (m_columns.at(i).kind == CellKind::Money) {
            xml += QStringLiteral("<c r=\"%1\" s=\"%2\"><v>%3</v></c>").arg(ref).arg(kTotal).arg(centsText(m_sumCents.at(i)));
        } else if (!labelled) {
            xml += QStringLiteral("<c r=\"%1\" s=\"%2\" t=\"inlineStr\"><is><t>合计</t></is></c>").arg(ref).arg(kHeader);
            labelled = true;
        }
    }
    xml += QStringLiteral("</row>");
    m_sheetData += xml.toUtf8();
}

QByteArray Writer::package(QString *error)
{
    QString cols = QStringLiteral("<cols>");
    for (int i = 0; i < m_widths.size(); ++i)
        cols += QStringLiteral("<col min=\"%1\" max=\"%1\" width=\"%2\" customWidth=\"1\"/>").arg(i + 1).arg(m_widths.at(i));
    cols += QStringLiteral("</cols>");
    QByteArray sheet =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
        "<sheetViews><sheetView workbookViewId=\"0\"><pane ySplit=\"1\" topLeftCell=\"A2\" activePane=\"bottomLeft\" "
        "state=\"frozen\"/></sheetView></sheetViews>";
    if (!m_widths.isEmpty())
        sheet += cols.toUtf8();
    sheet += "<sheetData>" + m_sheetData + "</sheetData></worksheet>";
    QString name = m_sheetName;
    name.remove(QRegularExpression(QStringLiteral("[\\\\/?*\\[\\]:]")));
    name = name.left(31);
    if (name.isEmpty())
        name = QStringLiteral("Sheet1");
    const QByteArray workbook =
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                       "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                       "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
                       "<sheets><sheet name=\"%1\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>")
            .arg(xmlEscaped(name))
            .toUtf8();

    const QList<QPair<const char *, QByteArray>> parts{
        {"[Content_Types].xml", QByteArray(kContentTypes)},
        {"_rels/.rels", QByteArray(kRootRels)},
        {"xl/workbook.xml", workbook},
        {"xl/_rels/workbook.xml.rels", QByteArray(kWorkbookRels)},
        {"xl/styles.xml", QByteArray(kStyles)},
        {"xl/worksheets/sheet1.xml", sheet},
    };
    zip_error_t err;
    zip_error_init(&err);
    zip_source_t *out = zip_source_buffer_create(nullptr, 0, 0, &err);
    zip_t *z = out ? zip_open_from_source(out, ZIP_TRUNCATE, &err) : nullptr;
    if (!z) {
        *error = QString::fromUtf8(zip_error_strerror(&err));
        zip_error_fini(&err);
        if (out)
            zip_source_free(out);
        return QByteArray();
    }
    zip_error_fini(&err);
    zip_source_keep(out); // read back after zip_close
    bool ok = true;
    for (const auto &p : parts) {
        zip_source_t *s = zip_source_buffer(z, p.second.constData(), zip_uint64_t(p.second.size()), 0);
        if (!s || zip_file_add(z, p.first, s, ZIP_FL_ENC_UTF_8) < 0) {
            if (s)
                zip_source_free(s);
            ok = false;
            break;
        }
    }
    if (!ok || zip_close(z) != 0) {
        *error = QString::fromUtf8(zip_strerror(z));
        zip_discard(z);
        zip_source_free(out);
        return QByteArray();
    }
    QByteArray bytes;
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_source_stat(out, &st) == 0 && zip_source_open(out) == 0) {
        bytes.resize(int(st.size));
        const zip_int64_t n = zip_source_read(out, bytes.data(), st.size);
        zip_source_close(out);
        if (n < 0 || zip_uint64_t(n) != st.size)
            bytes.clear();
    }
    zip_source_free(out);
    if (bytes.isEmpty())
        *error = QStringLiteral("无法生成 Excel 文件");
    return bytes;
}

bool Writer::save(const QString &path, QString *error)
{
    const QByteArray bytes = package(error);
    if (bytes.isEmpty())
        return false;
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit()) {
        *error = f.errorString();
        return false;
    }
    return true;
}

} // namespace XlsxFile
