#include "pinyininitials.h"

#include <QHash>

namespace {

struct Group
{
    char initial;
    const char *characters; // UTF-8
};

const Group kGroups[] = {
#include "pinyininitials_table.inc"
};

const QHash<QChar, QChar> &table()
{
    static const QHash<QChar, QChar> t = [] {
        QHash<QChar, QChar> h;
        h.reserve(4000);
        for (const Group &g : kGroups)
            for (const QChar c : QString::fromUtf8(g.characters))
                h.insert(c, QLatin1Char(g.initial));
        return h;
    }();
    return t;
}

} // namespace

QString pinyinInitials(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c.unicode() < 128) {
            if (c.isLetterOrNumber())
                out += c.toLower();
            continue;
        }
        const auto it = table().constFind(c);
        if (it != table().cend())
            out += *it;
    }
    return out;
}

bool looksLikeInitials(const QString &typed)
{
    if (typed.isEmpty())
        return false;
    for (const QChar c : typed)
        if (c.unicode() >= 128 || !c.isLetter())
            return false;
    return true;
}
