#include "sqllog.h"

Q_LOGGING_CATEGORY(lcSql, "mochen.sql")

namespace {
const QString kHidden = QStringLiteral("<已隐藏>");
}

bool SqlLog::touchesSecrets(const QString &sql)
{
    return sql.contains(QLatin1String("password"), Qt::CaseInsensitive);
}

QVariantList SqlLog::shown(const QString &sql, const QVariantList &values)
{
    if (!touchesSecrets(sql))
        return values;
    QVariantList hidden;
    for (int i = 0; i < values.size(); ++i)
        hidden << kHidden;
    return hidden;
}

QStringList SqlLog::shown(const QString &sql, const QStringList &row)
{
    if (!touchesSecrets(sql))
        return row;
    QStringList hidden;
    for (int i = 0; i < row.size(); ++i)
        hidden << kHidden;
    return hidden;
}
