#include "textlimits.h"

namespace TextLimits {

QString refusal(const QString &caption, const QString &text, int limit)
{
    if (text.trimmed().size() <= limit)
        return QString();
    return QStringLiteral("%1不能超过%2个字").arg(caption).arg(limit);
}

QString firstRefusal(std::initializer_list<Check> checks)
{
    for (const Check &c : checks) {
        const QString why = refusal(c.caption, c.text, c.limit);
        if (!why.isEmpty())
            return why;
    }
    return QString();
}

} // namespace TextLimits
