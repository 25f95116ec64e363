#include "operatorpasswords.h"

#include "logdlg.h"
#include "operatorsession.h"
#include "operatorwriter.h"

QString newPasswordProblem(const QString &password, const QString &repeat)
{
    // Six blanks are six characters, and no password at all.
    if (password.trimmed().isEmpty())
        return QStringLiteral("新密码不能为空，也不能只有空格");
    if (password.size() < kMinPasswordLength)
        return QStringLiteral("新密码至少要%1位").arg(kMinPasswordLength);
    if (password.size() > kMaxPasswordLength)
        return QStringLiteral("新密码不能超过%1位").arg(kMaxPasswordLength);
    if (password == QLatin1String(kDefaultAdminPassword))
        return QStringLiteral("不能使用默认密码，请换一个新密码");
    if (password != repeat)
        return QStringLiteral("两次输入的新密码不一致");
    return QString();
}

bool storeOperatorPassword(const QString &name, const QString &password, const QString &logText,
                           QString *error)
{
    const QString by = operatorSession().loginName.isEmpty() ? name : operatorSession().loginName;
    const LedgerResult r = OperatorWriter::storePassword(name, encodePassword(password), by, logText);
    if (!r.ok)
        *error = r.error;
    return r.ok;
}

QString keepOneSettingsOperatorText()
{
    return QStringLiteral("至少要保留一个未禁用、有系统设置权限的操作员");
}
