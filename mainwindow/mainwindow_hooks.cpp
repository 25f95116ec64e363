// The places where the areas plug their page behaviour into the main window.
// Each area adds its calls on the lines marked with its name; its own class
// (frontdesk.h, reportpages.h, ...) holds what its widgets do.
#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "bookingdesk.h"
#include "frontdesk.h"
#include "heldbills.h"
#include "ledgersql.h"
#include "memberactions.h"
#include "memberlife.h"
#include "refundactions.h"
#include "reportpages.h"
#include "ruleslists.h"
#include "settingsactions.h"

// Keys other than the generic record requests.
void MainWindow::handleAreaRequest(const QString &key, const QVariant &value)
{
    if (key == QStringLiteral("会员选择"))
        m_frontDesk->selectMember(value.toStringList()); // frontdesk
    else if (key == QStringLiteral("收款"))
        m_frontDesk->repayDebt(value.toStringList(), sender()); // frontdesk
}

// Before createTables(): install the refills of the working lists.
void MainWindow::beforeTablesCreated()
{
    // rules: setTempTableRefill("temptichengliebiao_db", ...) / ("tempcuxiaoliebiao_db", ...)
    installRulesListRefills();
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
    m_frontDesk->setup(); // frontdesk: search, walk-in, checkout, held bills, repayment, keys
    m_members->setup(); // members: member, top-up, renewal and card type dialogs
    m_refunds->setup(); // refunds, voids and receipts
    m_reports->setup(); // reports: periods and dates agree, totals lines, details follow
    m_reports->refreshTakingsStatistics(); // reports: the 综合统计 tree for the default period
    m_booking->setup(); // booking: the page, its key and the status bar
    setupImports(); // import: 导入 on the member, service-item and product pages
    m_memberLife->setup(); // member life: visit notes (F10) and their warnings in the member panel
    m_settings->setup(); // catalogue, staff, operators, stock and rules pages
}

// After the navigation selected the page of `text`.
void MainWindow::afterNavigate(const QString &text)
{
    // rules: "提成策略" / "促销方案" -> refill the item list, then re-run it
    m_settings->pageOpened(text);
    // reports: the takings are those of now, not of the start-up
    if (text == QStringLiteral("综合统计"))
        m_reports->refreshTakings();
}

// After the member's lists were re-run for a document (a sale, top-up, refund ...).
void MainWindow::afterMemberDataChanged()
{
    // frontdesk: member totals (debt of every source), then the current
    // member's row again; booking and member life follow the panel
    m_frontDesk->memberDataChanged();
}
