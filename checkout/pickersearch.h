#ifndef PICKERSEARCH_H
#define PICKERSEARCH_H

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

class QEvent;
class QTableView;

// What a picker finds for the text typed into its search field: rows whose
// code begins with it, whose name holds it, whose phone or barcode begins with
// it, or whose name's pinyin initials hold it ("xjc" finds 洗剪吹). The search
// is a filter appended to the list's own statement, with a LIMIT, so a shop
// with a hundred thousand members shows the first matches at once.
class PickerSearch
{
public:
    // The list the picker shows: "会员选择", "员工管理", "服务项目选择", "产品选择",
    // "产品信息". Other lists get no search (isValid() is false).
    explicit PickerSearch(const QString &viewName);

    bool isValid() const { return !m_table.isEmpty(); }
    // The text to append to the list's base statement; the whole list (up to
    // the limit) when nothing is typed.
    QString suffix(const QString &typed);
    // The one row whose code (or barcode, for products) is exactly the text:
    // its code, or "" when there is none or more than one.
    QString exactCode(const QString &typed) const;

    // Members are many: the first matches are enough to choose from. The
    // catalogue is small enough to show whole.
    // Up and down in a search field walk the list below it, so the hands stay
    // on the keys. True when the key was used.
    static bool walkList(QTableView *view, int rows, QEvent *event);

    static constexpr int kMemberLimit = 200;
    static constexpr int kItemLimit = 2000;

private:
    QStringList initialsMatches(const QString &typed, int limit);

    QString m_table;      // the table searched
    QString m_alias;      // column prefix the list's statement uses ("c." or "")
    QString m_join;       // " where " or " and ", after the list's own statement
    QString m_tail;       // what the list's statement needs after the filter
    QString m_all;        // the list's own condition, when nothing is typed
    QStringList m_prefixColumns; // code, phone, barcode: begins with the text
    QString m_nameColumn;
    QStringList m_exactColumns;  // code, barcode: Enter adds the one item
    bool m_indexed = false;
    QList<QPair<QString, QString>> m_initials; // code, initials of the name
};

#endif
