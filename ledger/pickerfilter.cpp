#include "pickerfilter.h"
#include "sqltext.h"

#include "ledgersql.h"
#include "pinyininitials.h"

PickerFilter::PickerFilter(const QString &viewName)
{
    m_nameColumn = QStringLiteral("name");
    m_exactColumns = QStringList{QStringLiteral("ID")};
    if (viewName == QStringLiteral("会员选择")) {
        m_table = QStringLiteral("huiyuan");
        m_prefixColumns = QStringList{QStringLiteral("ID"), QStringLiteral("phone")};
    } else if (viewName == QStringLiteral("员工管理")) {
        m_table = QStringLiteral("yuangong");
        m_prefixColumns = QStringList{QStringLiteral("ID"), QStringLiteral("phone")};
    } else if (viewName == QStringLiteral("服务项目选择")) {
        m_table = QStringLiteral("fuwuxiangmu");
        m_prefixColumns = QStringList{QStringLiteral("ID")};
    } else if (viewName == QStringLiteral("产品选择") || viewName == QStringLiteral("产品信息")) {
        // 产品信息 is the stock documents' product list: stock joined to products.
        m_table = QStringLiteral("chanpin");
        m_alias = viewName == QStringLiteral("产品选择") ? QStringLiteral("c.") : QStringLiteral("b.");
        m_prefixColumns = QStringList{QStringLiteral("ID"), QStringLiteral("tiaoma")};
        m_exactColumns = QStringList{QStringLiteral("ID"), QStringLiteral("tiaoma")};
    }
}

ViewFilter PickerFilter::filter(const QString &typed)
{
    const QString t = typed.trimmed();
    if (t.isEmpty() || !isValid())
        return ViewFilter();
    QStringList terms;
    QVariantList values;
    // "Begins with" as a range, so that the column's index finds it: every text
    // that begins with t sorts from t up to t followed by the last code point.
    const QString upTo = t + QString::fromUcs4(U"\U0010FFFF");
    for (const QString &c : qAsConst(m_prefixColumns)) {
        terms << QStringLiteral("(%1%2 >= ? and %1%2 < ?)").arg(m_alias, c);
        values << t << upTo;
    }
    // Bound, so a quote is only a quote; "%" and "_" stay wildcards, as in every
    // other search of the program, so the same typed text finds the same names.
    terms << QStringLiteral("lower(%1%2) like lower(?)").arg(m_alias, m_nameColumn) + QLatin1String(kLikeEscape);
    values << likeContaining(t);
    const QStringList codes =
        initialsMatches(t, m_table == QLatin1String("huiyuan") ? kMemberLimit : kItemLimit);
    if (!codes.isEmpty()) {
        QStringList marks;
        for (const QString &code : codes) {
            marks << QStringLiteral("?");
            values << code;
        }
        terms << QStringLiteral("%1ID in (%2)").arg(m_alias, marks.join(QLatin1Char(',')));
    }
    return ViewFilter(terms.join(QStringLiteral(" or ")), values);
}

QString PickerFilter::exactCode(const QString &typed) const
{
    const QString t = typed.trimmed();
    if (t.isEmpty() || !isValid())
        return QString();
    QStringList terms;
    QVariantList values;
    for (const QString &c : m_exactColumns) {
        terms << c + QStringLiteral("=?");
        values << t;
    }
    const QList<QVariantList> rows = LedgerSql::rows(QStringLiteral("select ID from %1 where %2 LIMIT 2")
                                                         .arg(m_table, terms.join(QStringLiteral(" or "))),
                                                     values);
    return rows.size() == 1 ? rows.first().value(0).toString() : QString();
}

// The initials of every name are worked out once per picker, the first time
// letters are typed: SQL cannot read pinyin.
QStringList PickerFilter::initialsMatches(const QString &typed, int limit)
{
    QStringList out;
    if (!looksLikeInitials(typed))
        return out;
    if (!m_indexed) {
        m_indexed = true;
        const QList<QVariantList> rows =
            LedgerSql::rows(QStringLiteral("select ID,%1 from %2").arg(m_nameColumn, m_table));
        m_initials.reserve(rows.size());
        for (const QVariantList &r : rows) {
            const QString initials = pinyinInitials(r.value(1).toString());
            // Names without Chinese characters are found by the name filter already.
            if (!initials.isEmpty() && initials != r.value(1).toString().toLower())
                m_initials.append({r.value(0).toString(), initials});
        }
    }
    const QString wanted = typed.toLower();
    for (const auto &entry : qAsConst(m_initials)) {
        if (entry.second.contains(wanted)) {
            out << entry.first;
            if (out.size() >= limit)
                break;
        }
    }
    return out;
}
