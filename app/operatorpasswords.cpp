#include "operatorpasswords.h"
#include "sqldialect.h"

#include "ctrluiclass.h"
#include "logdlg.h"
#include "operatorsession.h"
#include "sqltext.h"
#include "transactionscope.h"

#include <QSqlError>
#include <QSqlQuery>

const char kDefaultAdminPassword[] = "864213";

QString newPasswordProblem(const QString &password, const QString &repeat)
{
    if (password.isEmpty())
        return QStringLiteral("新密码不能为空");
    if (password.size() < kMinPasswordLength)
        return QStringLiteral("新密码至少要%1位").arg(kMinPasswordLength);
    if (password == QLatin1String(kDefaultAdminPassword))
        return QStringLiteral("不能使用默认密码，请换一个新密码");
    if (password != repeat)
        return QStringLiteral("两次输入的新密码不一致");
    return QString();
}

bool storeOperatorPassword(const QString &name, const QString &password, const QString &logText,
                           QString *error)
{
    const QString stored = encodePassword(password);
    TransactionScope tx;
    QSqlQuery q;
    q.prepare(SqlDialect::translate(QStringLiteral("update user set password=? where name=?")));
    q.addBindValue(stored);
    q.addBindValue(name);
    const bool changed = q.exec() && q.numRowsAffected() == 1;
    if (!changed) {
        *error = q.lastError().isValid() ? q.lastError().text() : QStringLiteral("没有找到该操作员");
        tx.rollback();
        return false;
    }
    q.finish();
    const QString by = operatorSession().loginName.isEmpty() ? name : operatorSession().loginName;
    ctrlUiClass().writeLog(by, logText);
    if (!tx.commit()) {
        *error = tx.firstError();
        return false;
    }
    return true;
}

bool defaultAdminPasswordInUse()
{
    QSqlQuery q;
    q.prepare(SqlDialect::translate(QStringLiteral("select password from user where name='admin'")));
    if (!q.exec() || !q.next())
        return false;
    return verifyPassword(QLatin1String(kDefaultAdminPassword), q.value(0).toString());
}

bool isLastSettingsOperator(const QString &name)
{
    QSqlQuery q;
    q.prepare(SqlDialect::translate(QStringLiteral("select sum(case when name=? then 1 else 0 end), count(*) from user where xitongshezhi='是' and jinyong='否'")));
    q.addBindValue(name);
    if (!q.exec() || !q.next())
        return false;
    return q.value(0).toInt() > 0 && q.value(1).toInt() == 1;
}

QString keepOneSettingsOperatorText()
{
    return QStringLiteral("至少要保留一个未禁用、有系统设置权限的操作员");
}
