#ifndef PICKERFILTER_H
#define PICKERFILTER_H

#include "viewfilter.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// What a picker finds for the text typed into its search field: rows whose
// code begins with it, whose name holds it, whose phone or barcode begins with
// it, or whose name's pinyin initials hold it ("xjc" finds 洗剪吹). The search
// is a filter of bound values on the list's declared statement, whose
// declaration (data/viewdeclarations.cpp) also caps the rows, so a shop with a
// hundred thousand members shows the first matches at once. What is typed is
// bound: a quote is a character of the name, and in the name "%" and "_" are
// wildcards, as in the report searches.
class PickerFilter
{
public:
    // The list the picker shows: "会员选择", "员工管理", "服务项目选择", "产品选择",
    // "产品信息". Other lists get no search (isValid() is false).
    explicit PickerFilter(const QString &viewName);

    bool isValid() const { return !m_table.isEmpty(); }
    // The conditions for the typed text; none (the whole list, up to its cap)
    // when nothing is typed.
    ViewFilter filter(const QString &typed);
    // The one row whose code (or barcode, for products) is exactly the text:
    // its code, or "" when there is none or more than one.
    QString exactCode(const QString &typed) const;

    // Members are many: the first matches are enough to choose from. The
    // catalogue is small enough to show whole.
    static constexpr int kMemberLimit = 200;
    static constexpr int kItemLimit = 2000;

private:
    QStringList initialsMatches(const QString &typed, int limit);

    QString m_table;      // the table searched
    QString m_alias;      // column prefix the list's statement uses ("c." or "")
    QStringList m_prefixColumns; // code, phone, barcode: begins with the text
    QString m_nameColumn;
    QStringList m_exactColumns;  // code, barcode: Enter adds the one item
    bool m_indexed = false;
    QList<QPair<QString, QString>> m_initials; // code, initials of the name
};

#endif
