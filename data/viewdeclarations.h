#ifndef VIEWDECLARATIONS_H
#define VIEWDECLARATIONS_H

#include "viewfilter.h"

#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <QVector>
#include <optional>

// Everything a list of the main window is besides its statement (the TableView
// entry of dbset.xml of the same name): where it is shown, the conditions it
// always carries, its default condition, its grouping, and which list a click on
// one of its rows fills, through which columns. Written here once; the pages,
// refreshes, drill-downs and tests all read it from here.
struct ViewDeclaration
{
    QString name;          // the TableView entry
    QString widget;        // the main window's table view that shows it
    QString fixed;         // conditions every statement of the list carries (joins)
    bool whereOpen = false; // the entry's statement ends inside its own WHERE
    bool hasDefault = false; // run as soon as bound (or shown), with the default condition
    QString defaultCondition; // fixed text, no typed values
    QString grouping;      // GROUP BY / ORDER BY after the conditions
    QStringList keys;      // the columns, by name, a click on a row hands to the detail
    QString detail;        // the list that follows a click on a row
    QString detailCondition; // condition on the detail, one ? per key
    // An aggregate over the same rows as the list, without its grouping: the
    // number of the list's rows, then the sum of each totalled column in the
    // list's order (ending inside its WHERE when the list's statement does).
    // Empty: the totals are summed over the list's statement.
    QString totals;
    // The same totals from the daily summaries (ending inside its WHERE), for a
    // filter that is a period of summaryDate alone (or none): whole days, one row each.
    QString summaryTotals;
    QString summaryDate;
    bool summaryHasFixed = false; // the summary stands for the fixed conditions too
    // A ranking per member read from the sales per member and day, and its 合计,
    // for a filter that is a period of summaryDate (or none) and conditions on the
    // member's row (b) alone (ViewFilter::memberSummary): %1 takes the period,
    // %2 the member's conditions. The analyses per item are read the same way
    // from the lines per day and item, their conditions on the item's row (b).
    QString memberList;
    QString memberTotals;
    // The same for a period of one whole year, from the sales per member and year
    // (one row per member, nothing grouped): %1 takes the year, %2 the member's conditions.
    QString memberYearList;
    QString memberYearTotals;
    // The 合计 with no condition on the member, from rows of the members on file
    // alone, so that no row is joined to its member: of a period (%1 takes it on
    // the summary's days) and of a whole year (%1 takes the year). Empty: as above.
    QString everyTotals;
    QString yearTotals;
    // The list itself with no condition on the member, of a period (%1) or none,
    // from the same rows of the members on file (%2 stays empty).
    QString everyList;
    // A list of documents read from the sales per document and day, for a filter
    // that is a period of summaryDate alone (or none): %1 takes the period.
    QString periodList;
    // A list read from its summary's rows chosen first, for conditions on those
    // rows (s) alone: they lead in a WITH s AS %2 (EngineDriver::drivingRowsFirst),
    // so that neither engine can start from the detail rows; %1 takes the conditions.
    QString summaryList;
    // The 合计 of an analysis detail (the lines of one item on the period's
    // documents, found by the days recorded for them: documentsOnDays, then the
    // master's click) from the lines per day and item, ending inside its WHERE
    // with the summary as a (its days a.riqi, its item a.xiangmuID).
    QString linesTotals;

    // How a list gets its first rows.
    enum class FirstLoad {
        AtOnce,    // at start-up, before the window is shown: the member lists, for nobody
        Shown,     // its default condition, when it is first shown
        PageQuery, // its page's 查询 (the page's period and filters), when it is first shown
        Waits,     // nothing until its page's 查询, a row of its master or a member is chosen
    };
    FirstLoad firstLoad = FirstLoad::Waits;
    // The buttons (object names on the main window) that run its page's 查询,
    // and the one that exports it.
    QStringList queryButtons;
    QString exportButton;
    QString deleteButton; // the settings or stock page's 删除 of its chosen row
    // The navigation entry that shows the list: its page, and the tabs above it.
    QString page;
    bool totalled = false; // a 合计 line under the list
    // The front desk's lists of the member chosen: run for that member through
    // this column, whatever else changes.
    QString memberColumn;
    // The tables whose changes re-run the list: a member list for its member,
    // a list whose first load is its page's query by that query, any other by
    // its default condition; a list not loaded yet is left to its first load.
    QStringList refreshedBy;

    ViewFilter defaultFilter() const { return ViewFilter(defaultCondition); }
    // The member comes in through a subquery the server cannot look into when
    // it plans, so the list has one plan for every member and the server keeps
    // it instead of planning the list anew at every member chosen; SQLite
    // searches the column's index for it as for a bound value.
    ViewFilter memberFilter(const QString &memberId) const
    {
        return ViewFilter(memberColumn + QStringLiteral("=(select cast(? as text))"), {memberId});
    }
};

namespace ViewDeclarations {
const QVector<ViewDeclaration> &all(); // the main window's lists
// The main window's lists whose refreshedBy names one of the tables, each once,
// in the order of all().
QVector<const ViewDeclaration *> refreshedBy(const QStringList &tables);
// The main window's lists, or a dialog's declared list (pickers, the checkout's
// packages); nullptr for a list that is not declared.
const ViewDeclaration *find(const QString &name);
// The statement of a list for a filter: base, the fixed and the filter's
// conditions, then the grouping. A list not declared gets "base where conditions".
QString statement(const QString &base, const QString &name, const ViewFilter &filter);
// The filter of the detail list for a row of the master, read by column name;
// nothing when the master has no detail or the row lacks a key column.
std::optional<ViewFilter> detailFilter(const QString &master, const QVariantMap &row);
// The condition on the lines (a) of the documents whose recorded day (d.riqi)
// meets dayCondition: the analysis details' period.
QString documentsOnDays(const QString &dayCondition);
// The declared totals statement for a filter; empty when the list has none.
QString totalsStatement(const QString &name, const ViewFilter &filter);
} // namespace ViewDeclarations

#endif
