#include "pickersearch.h"

#include "ledgersql.h"
#include "pinyininitials.h"
#include "sqltext.h"

#include <QKeyEvent>
#include <QTableView>

PickerSearch::PickerSearch(const QString &viewName)
{
    if (viewName == QStringLiteral("会员选择")) {
        m_table = QStringLiteral("huiyuan");
        m_join = QStringLiteral(" where ");
        m_prefixColumns = QStringList{QStringLiteral("ID"), QStringLiteral("phone")};
        m_nameColumn = QStringLiteral("name");
        m_exactColumns = QStringList{QStringLiteral("ID")};
    } else if (viewName == QStringLiteral("员工管理")) {
        m_table = QStringLiteral("yuangong");
        m_join = QStringLiteral(" where ");
        m_prefixColumns = QStringList{QStringLiteral("ID"), QStringLiteral("phone")};
        m_nameColumn = QStringLiteral("name");
        m_exactColumns = QStringList{QStringLiteral("ID")};
    } else if (viewName == QStringLiteral("服务项目选择")) {
        m_table = QStringLiteral("fuwuxiangmu");
        m_join = QStringLiteral(" and ");
        m_prefixColumns = QStringList{QStringLiteral("ID")};
        m_nameColumn = QStringLiteral("name");
        m_exactColumns = QStringList{QStringLiteral("ID")};
    } else if (viewName == QStringLiteral("产品选择")) {
        m_table = QStringLiteral("chanpin");
        m_alias = QStringLiteral("c.");
        m_join = QStringLiteral(" where ");
        m_prefixColumns = QStringList{QStringLiteral("ID"), QStringLiteral("tiaoma")};
        m_nameColumn = QStringLiteral("name");
        m_exactColumns = QStringList{QStringLiteral("ID"), QStringLiteral("tiaoma")};
    } else if (viewName == QStringLiteral("产品信息")) {
        // The stock documents' product list: a join of stock and products.
        m_table = QStringLiteral("chanpin");
        m_alias = QStringLiteral("b.");
        m_join = QStringLiteral(" WHERE a.chanpinID=b.ID and ");
        m_all = QStringLiteral(" WHERE a.chanpinID=b.ID");
        m_tail = QStringLiteral(" GROUP BY a.chanpinID ");
        m_prefixColumns = QStringList{QStringLiteral("ID"), QStringLiteral("tiaoma")};
        m_nameColumn = QStringLiteral("name");
        m_exactColumns = QStringList{QStringLiteral("ID"), QStringLiteral("tiaoma")};
    }
}

QString PickerSearch::suffix(const QString &typed)
{
    const int limit = m_table == QLatin1String("huiyuan") ? kMemberLimit : kItemLimit;
    const QString t = typed.trimmed();
    const QString limitText = QStringLiteral(" LIMIT ") + QString::number(limit);
    if (t.isEmpty())
        return m_all + m_tail + limitText;
    const QString lit = sqlLiteral(t);
    QStringList terms;
    // "Begins with" as a range, so that the column's index finds it.
    for (const QString &c : m_prefixColumns)
        terms << QStringLiteral("(%1%2 >= %3 and %1%2 < %3 || char(1114111))").arg(m_alias, c, lit);
    terms << QStringLiteral("%1%2 like %3").arg(m_alias, m_nameColumn, sqlLiteral(QStringLiteral("%") + t + QStringLiteral("%")));
    const QStringList codes = initialsMatches(t, limit);
    if (!codes.isEmpty()) {
        QStringList lits;
        for (const QString &code : codes)
            lits << sqlLiteral(code);
        terms << QStringLiteral("%1ID in (%2)").arg(m_alias, lits.join(QLatin1Char(',')));
    }
    return m_join + QStringLiteral("(") + terms.join(QStringLiteral(" or ")) + QStringLiteral(")") + m_tail + limitText;
}

QString PickerSearch::exactCode(const QString &typed) const
{
    const QString t = typed.trimmed();
    if (t.isEmpty() || m_table.isEmpty())
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
QStringList PickerSearch::initialsMatches(const QString &typed, int limit)
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

bool PickerSearch::walkList(QTableView *view, int rows, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<QKeyEvent *>(event)->key();
    if (key != Qt::Key_Down && key != Qt::Key_Up)
        return false;
    if (rows > 0) {
        const int now = view->currentIndex().isValid() ? view->currentIndex().row() : -1;
        view->selectRow(qBound(0, now + (key == Qt::Key_Down ? 1 : -1), rows - 1));
    }
    return true;
}
