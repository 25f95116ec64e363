#ifndef PINYININITIALS_H
#define PINYININITIALS_H

#include <QString>

// The pinyin initials of a text, as cashiers type them to find a name: "王五"
// gives "ww", "洗剪吹" gives "xjc". Latin letters and digits are kept (lower
// case); other characters, and Chinese characters outside the common set of
// GB2312's first level, are left out.
QString pinyinInitials(const QString &text);

// Whether typed text could be initials: one or more Latin letters only.
bool looksLikeInitials(const QString &typed);

#endif
