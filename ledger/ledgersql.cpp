#include "ledgersql.h"

#include "ctrluiclass.h"
#include "dbfailure.h"
#include "sqldialect.h"
#include "sqllog.h"
#include "transactionscope.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>

namespace LedgerSql {

namespace {

QString &lastErrorText()
{
    static QString text;
    return text;
}

bool prepareAndRun(QSqlQuery &q, const QString &sql, const QVariantList &values)
{
    if (!q.prepare(SqlDialect::translate(sql))) {
        qCWarning(lcSql).noquote() << QStringLiteral("数据库操作错误：") + sql << q.lastError().text();
        lastErrorText() = SqlDialect::errorText(q.lastError());
        TransactionScope::noteFailure(sql, SqlDialect::errorText(q.lastError()));
        return false;
    }
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values.at(i));
    if (!q.exec()) {
        qCWarning(lcSql).noquote() << QStringLiteral("数据库操作错误：") + sql << q.lastError().text();
        lastErrorText() = SqlDialect::errorText(q.lastError());
        TransactionScope::noteFailure(sql, SqlDialect::errorText(q.lastError()));
        return false;
    }
    qCDebug(lcSql).noquote() << sql << SqlLog::shown(sql, values);
    return true;
}

} // namespace

int exec(const QString &sql, const QVariantList &values)
{
    QSqlQuery q;
    if (!prepareAndRun(q, sql, values))
        return -1;
    return q.numRowsAffected();
}

bool execOne(const QString &sql, const QVariantList &values, const QString &why)
{
    const int n = exec(sql, values);
    if (n == 1)
        return true;
    if (n >= 0)
        refuse(why);
    return false;
}

QVariant value(const QString &sql, const QVariantList &values)
{
    QSqlQuery q;
    q.setForwardOnly(true);
    if (!prepareAndRun(q, sql, values) || !q.next())
        return QVariant();
    return q.value(0);
}

QList<QVariantList> rows(const QString &sql, const QVariantList &values)
{
    QList<QVariantList> out;
    QSqlQuery q;
    q.setForwardOnly(true);
    if (!prepareAndRun(q, sql, values))
        return out;
    while (q.next()) {
        QVariantList row;
        for (int i = 0; i < q.record().count(); ++i)
            row << q.value(i);
        out << row;
    }
    return out;
}

QString lastError() { return lastErrorText(); }

void refuse(const QString &why)
{
    qCWarning(lcSql).noquote() << QStringLiteral("操作被拒绝：") + why;
    TransactionScope::noteFailure(QStringLiteral("REFUSED"), why);
}

QString failureText(const QString &what, const QString &error, const QString &nothingSaved)
{
    // A refusal of the rules is a whole sentence of its own.
    if (error.startsWith(QLatin1String("REFUSED : ")))
        return error.mid(10);
    QString text = saveFailureText(what, error);
    if (nothingSaved != QStringLiteral("本次操作未保存"))
        text.replace(QStringLiteral("本次操作未保存"), nothingSaved);
    return text;
}

QString newDocumentId(const QString &prefix, const QString &kind, const QString &operatorName,
                      const QString &wanted)
{
    QString id = wanted;
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (id.isEmpty())
            id = prefix + serialNow();
        // Inside BEGIN IMMEDIATE no other desk can register between this look and the insert.
        if (!value(QStringLiteral("select 1 from danjuhao where ID=?"), {id}).isValid()) {
            if (exec(QStringLiteral("insert into danjuhao(ID,leixing,riqi,caozuoyuan) values(?,?,?,?)"),
                     {id, kind, now(), operatorName}) == 1)
                return id;
            return QString();
        }
        id.clear();
        QThread::msleep(1);
    }
    refuse(QStringLiteral("无法生成单号"));
    return QString();
}

namespace {
Clock &clockRef()
{
    static Clock c;
    return c;
}
QDateTime clockNow()
{
    return clockRef() ? clockRef()() : QDateTime::currentDateTime();
}
} // namespace

void setClock(Clock clock)
{
    clockRef() = std::move(clock);
}

QString now()
{
    return clockNow().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

QString today()
{
    return clockNow().toString(QStringLiteral("yyyy-MM-dd"));
}

QString serialNow()
{
    return clockNow().toString(QStringLiteral("yyyyMMddhhmmsszzz"));
}

bool log(const QString &user, const QString &text)
{
    return execOne(QStringLiteral("insert into log(time,user,log) values(?,?,?)"), {now(), user, text},
                   QStringLiteral("日志未写入"));
}

} // namespace LedgerSql
