#include "deletionlog.h"

QString deletionLogText(const QString &what, const QString &key, const QString &name)
{
    QString text = QStringLiteral("删除") + what;
    if (!key.isEmpty())
        text += QStringLiteral("  编号：") + key;
    if (!name.isEmpty())
        text += QStringLiteral("  名称：") + name;
    return text;
}
