#include "operatorstore.h"

#include "passwordhash.h"
#include "sqldialect.h"
#include "sqllog.h"
#include "transactionscope.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariantList>

const char OperatorStore::kDefaultPassword[] = "864213";

namespace {

const QString kActiveWithSettings =
    QStringLiteral("xitongshezhi='是' and jinyong='否'"); // as the login lets them in

// The first row of a read, as texts; a failing read fails the open transaction
// (a right that could not be looked up is not held).
QStringList firstRow(const QString &sql, const QVariantList &values, bool onlyRow = false)
{
    QSqlQuery q;
    q.setForwardOnly(true);
    if (!q.prepare(SqlDialect::translate(sql))) {
        qCWarning(lcSql).noquote() << QStringLiteral("数据库操作错误：") + sql << q.lastError().text();
        TransactionScope::noteFailure(sql, SqlDialect::errorText(q.lastError()));
        return {};
    }
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values.at(i));
    if (!q.exec()) {
        qCWarning(lcSql).noquote() << QStringLiteral("数据库操作错误：") + sql << q.lastError().text();
        TransactionScope::noteFailure(sql, SqlDialect::errorText(q.lastError()));
        return {};
    }
    QStringList row;
    if (q.next())
        for (int i = 0; i < q.record().count(); ++i)
            row << q.value(i).toString();
    if (onlyRow && q.next())
        row.clear(); // two operators of one name: neither is the one meant
    qCDebug(lcSql).noquote() << sql << SqlLog::shown(sql, values) << QStringLiteral(":查询结果")
                             << SqlLog::shown(sql, row);
    return row;
}

} // namespace

QString OperatorStore::noRightText()
{
    return QStringLiteral("你的权限不够，请使用管理员权限登录");
}

bool OperatorStore::holdsSettingsRight(const QString &name)
{
    if (name.isEmpty())
        return false;
    return !firstRow(QStringLiteral("select 1 from \"user\" where name=? and ") + kActiveWithSettings, {name}).isEmpty();
}

bool OperatorStore::requireSettingsRight(const QString &name)
{
    if (holdsSettingsRight(name))
        return true;
    qCWarning(lcSql).noquote() << QStringLiteral("操作被拒绝：") + noRightText() + QStringLiteral(" 操作员：") + name;
    TransactionScope::noteFailure(QStringLiteral("REFUSED"), noRightText());
    return false;
}

bool OperatorStore::isWeakPassword(const QString &typed)
{
    return typed.trimmed().isEmpty() || typed == QLatin1String(kDefaultPassword);
}

bool OperatorStore::mayAuthorize(const QString &name)
{
    if (!holdsSettingsRight(name))
        return false;
    // Whoever knows the manual knows the default: an account still holding it
    // (or no password at all) is nobody's signature.
    const QString stored = storedPassword(name);
    return !stored.isEmpty() && !PasswordHash::verify(QLatin1String(kDefaultPassword), stored)
           && !PasswordHash::verify(QString(), stored);
}

bool OperatorStore::exists(const QString &name)
{
    return !firstRow(QStringLiteral("select 1 from \"user\" where name=?"), {name}).isEmpty();
}

QString OperatorStore::storedPassword(const QString &name)
{
    return firstRow(QStringLiteral("select password from \"user\" where name=?"), {name}).value(0);
}

QStringList OperatorStore::loginRow(const QString &name)
{
    return firstRow(QStringLiteral("select password, name, zuidizekou, qiandanjine, xiugaixiaoshoudanjia, "
                                   "xiugaibankajiage, tupodijia, xiugaitaocanxiaofeicishu, xitongshezhi, jinyong "
                                   "from \"user\" where name=?"),
                    {name}, true);
}

bool OperatorStore::defaultAdminPasswordInUse()
{
    const QString stored = storedPassword(QStringLiteral("admin"));
    return !stored.isEmpty() && PasswordHash::verify(QLatin1String(kDefaultPassword), stored);
}

bool OperatorStore::isLastSettingsOperator(const QString &name)
{
    const QStringList row = firstRow(QStringLiteral("select sum(case when name=? then 1 else 0 end), count(*) "
                                                    "from \"user\" where ")
                                         + kActiveWithSettings,
                                     {name});
    return row.value(0).toInt() > 0 && row.value(1).toInt() == 1;
}
