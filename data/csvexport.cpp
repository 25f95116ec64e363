#include "csvexport.h"
#include "enginedriver.h"
#include "sqllog.h"

#include <QCoreApplication>
#include <QDir>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardPaths>

namespace CsvExport {

namespace {
bool isDigits(const QString &text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

// Rows between two looks at the progress dialog: often enough to stay responsive,
// rare enough that the dialog costs nothing next to the writing.
constexpr int kProgressStep = 256;
} // namespace

QString field(const QString &text)
{
    if (isDigits(text) && ((text.size() > 1 && text.at(0) == QLatin1Char('0')) || text.size() > 11))
        return QStringLiteral("=\"") + text + QLatin1Char('"');
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"'))
        && !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    QString out = text;
    out.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + out + QLatin1Char('"');
}

QString line(const QStringList &fields)
{
    QStringList out;
    out.reserve(fields.size());
    for (const QString &f : fields)
        out << field(f);
    return out.join(QLatin1Char(',')) + QStringLiteral("\r\n");
}

QString withCsvSuffix(const QString &path)
{
    if (path.isEmpty() || path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
        return path;
    return path + QStringLiteral(".csv");
}

QString defaultFolder()
{
    const QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!docs.isEmpty() && QDir(docs).exists())
        return docs;
    return QDir::homePath();
}

namespace {
bool execBound(QSqlQuery &q, const QString &sql, const QVariantList &values)
{
    if (values.isEmpty())
        return q.exec(sql);
    if (!q.prepare(sql))
        return false;
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values.at(i));
    return q.exec();
}
} // namespace

Result forEachRow(const QString &sql, const QVariantList &values, const Progress &progress,
                  const std::function<bool(const QStringList &row)> &take)
{
    Result result;
    // How many rows to expect, for the progress bar; cheap next to the export itself.
    int total = 0;
    {
        QSqlQuery count;
        count.setForwardOnly(true);
        if (execBound(count, QStringLiteral("select count(*) from (") + sql + QStringLiteral(") as export_rows"), values)
            && count.next())
            total = count.value(0).toInt();
    }
    const bool told = progress && total > kProgressStep;
    if (told && !progress(0, total)) {
        result.cancelled = true;
        return result;
    }

    QSqlQuery q;
    q.setForwardOnly(true);
    if (!execBound(q, sql, values)) {
        qCWarning(lcSql).noquote() << QStringLiteral("数据库操作错误：") + sql << q.lastError().text();
        result.error = q.lastError().text();
        return result;
    }
    qCDebug(lcSql).noquote() << sql;
    const int columns = q.record().count();
    QStringList row;
    bool taken = true;
    while (taken && q.next()) {
        row.clear();
        for (int c = 0; c < columns; ++c)
            row << q.value(c).toString();
        taken = take(row);
        ++result.rows;
        if (told && result.rows % kProgressStep == 0 && !progress(qMin<qint64>(result.rows, total), total)) {
            result.cancelled = true;
            break;
        }
    }
    // Read to the end or stopped: the statement must not stay open on the connection.
    q.finish();
    if (told && !result.cancelled)
        progress(total, total);
    result.ok = taken && !result.cancelled;
    return result;
}

Result write(const QString &path, const QStringList &header, const QString &sql,
             const QVariantList &values, const Progress &progress)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        Result result;
        result.error = file.errorString();
        return result;
    }
    const auto put = [&file](const QString &text) { return file.write(text.toUtf8()) >= 0; };
    const bool started = file.write("\xEF\xBB\xBF", 3) == 3 && put(line(header));
    Result result = forEachRow(sql, values, progress, [&](const QStringList &row) { return started && put(line(row)); });
    if (!started || (!result.ok && !result.cancelled && result.error.isEmpty())) {
        result.ok = false;
        result.error = file.errorString();
    }
    if (!result.ok) {
        file.cancelWriting();
        return result;
    }
    if (!file.commit()) {
        result.ok = false;
        result.error = file.errorString();
        return result;
    }
    return result;
}

} // namespace CsvExport
