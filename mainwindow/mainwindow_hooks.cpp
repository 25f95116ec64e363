// The places where the areas plug their page behaviour into the main window.
// Each area adds its calls on the lines marked with its name; the functions it
// calls are declared in its block of mainwindow.h and defined in
// mainwindow_<area>.cpp.
#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "heldbills.h"
#include "ledgersql.h"

#include <QAbstractButton>
#include <QTableView>

// Keys other than the generic record requests.
void MainWindow::handleAreaRequest(const QString &key, const QVariant &value)
{
    if (key == QStringLiteral("会员选择"))
        selectMember(value.toStringList()); // frontdesk
    else if (key == QStringLiteral("收款"))
        repayDebt(value.toStringList()); // frontdesk
}

// Before createTables(): install the refills of the working lists.
void MainWindow::beforeTablesCreated()
{
    // rules: setTempTableRefill("temptichengliebiao_db", ...) / ("tempcuxiaoliebiao_db", ...)
    rulesBeforeTablesCreated();
}

// After createTables(), before the views are set up.
void MainWindow::afterTablesCreated()
{
    // checkout: held bills this desk's checkouts had taken up when the program
    // ended are offered again
    HeldBills::releaseDesk(LedgerSql::desk());
    // reports: the cash-register detail is filled per query (on "查询"), never at start-up
}

// Last step of the construction.
void MainWindow::afterConstruction()
{
    setupFrontDesk(); // frontdesk
    setupReportFilters(); // reports: periods and dates agree, totals lines, details follow
    refreshTakingsStatistics(); // reports: the 综合统计 tree for the default period
    setupBooking(); // booking: the page, its key and the status bar
    setupImports(); // import: 导入 on the member, service-item and product pages
    setupMemberLife(); // member life: visit notes (F10) and their warnings in the member panel
}

// After the navigation selected the page of `text`.
void MainWindow::afterNavigate(const QString &text)
{
    // rules: "提成策略" -> refill the commission item list (the view is re-run afterwards)
    // rules: "促销方案" -> refill the promotion item list (the view is re-run afterwards)
    rulesAfterNavigate(text);
    // reports: the takings are those of now, not of the start-up
    if (text == QStringLiteral("综合统计"))
        on_toolButton_86_clicked();
}

// After the lists of "huiyuanxiaofei" or "huiyuanjiaofei" were re-run.
void MainWindow::afterMemberDataChanged(const QString &table)
{
    // frontdesk: member totals (debt of every source: a top-up, card issue or
    // renewal may leave one too), then the current member's row again
    Q_UNUSED(table)
    showMemberTotals();
    reloadCurrentMember();
    showMemberBookings(); // booking
    showMemberWarnings(); // member life
}

// Query buttons, in the order of m_queryButtons.
void MainWindow::btClick()
{
    const int position = m_queryButtons.indexOf(qobject_cast<QAbstractButton *>(sender()));
    reportsQuery(position); // reports: one branch per position (toolButton_79 ... toolButton_36)
}

// Single click on a master list: the detail list follows.
void MainWindow::tableViewClick()
{
    auto *view = qobject_cast<QTableView *>(sender());
    reportsDrillDown(view); // reports: tableView_9, tableView_46, tableView_37
    // catalogue: tableView_26 ("套餐列表" -> "套餐明细")
    // members/reports: tableView_9 ("会员管理" -> "会员套餐管理")
    // reports: tableView_46 ("交班查询" -> "交班明细查询"), tableView_37 ("产品库存" -> "库存变动")
}

// Double click on a settings list: the "修改" dialog of that list.
void MainWindow::tableViewDoubleClick()
{
    auto *view = qobject_cast<QTableView *>(sender());
    if (view == ui->tableView_29)
        on_toolButton_140_clicked();
    if (view == ui->tableView_32) // members: card type
        openCardTypeDlg(2);
    // catalogue:
    if (view == ui->tableView_30)
        openEmployeeDlg(2);
    else if (view == ui->tableView_24)
        openServiceItemDlg(2);
    else if (view == ui->tableView_25)
        openProductDlg(2);
}
