// Catalogue, stock, staff, operator and rule pages of the main window: the
// buttons and double-clicks that open the edit dialogs, and the deletions.
#include "settingsactions.h"
#include "ui_mainwindow.h"

#include "addchanpindlg.h"
#include "addfuwuxiangmudlg.h"
#include "addtaocandlg.h"
#include "adduserdlg.h"
#include "addyuangongdlg.h"
#include "cataloguebook.h"
#include "chanpinrukudlg.h"
#include "cuxiaodlg.h"
#include "operatorsession.h"
#include "ruleslists.h"
#include "shezhitichengdlg.h"
#include "stockwriter.h"
#include "viewdeclarations.h"

#include <QAbstractButton>
#include <QTableView>
#include <algorithm>

namespace {
const QString kTichengList = QStringLiteral("提成策略临时列表");
const QString kTichengDetail = QStringLiteral("提成策略明细");
const QString kCuxiaoList = QStringLiteral("促销策略临时列表");
const QString kCuxiaoDetail = QStringLiteral("促销策略明细");

template <typename Dlg>
void runEditor(MainWindow *opener, int mode, const QStringList &row)
{
    Dlg *dlg = new Dlg;
    QObject::connect(dlg, &Dlg::DlgSend, opener, &MainWindow::DlgRecv);
    dlg->setData(mode, row);
    dlg->exec();
    delete dlg;
}
} // namespace

SettingsActions::SettingsActions(MainWindow *window, Ui::MainWindow *form, ctrlUiClass *ctrl)
    : MainPage(window, form, ctrl)
{
}

void SettingsActions::setup()
{
    const auto on = [this](QAbstractButton *button, auto action) {
        connect(button, &QAbstractButton::clicked, this, action);
    };
    on(ui->toolButton_37, [this] { openServiceItemDlg(1); });
    on(ui->toolButton_38, [this] { openServiceItemDlg(2); });
    on(ui->toolButton_44, [this] { openProductDlg(1); });
    on(ui->toolButton_45, [this] { openProductDlg(2); });
    on(ui->toolButton_104, [this] { openPackageDlg(1); });
    on(ui->toolButton_105, [this] { openPackageDlg(2); });
    on(ui->toolButton_141, [this] { openEmployeeDlg(1); });
    on(ui->toolButton_142, [this] { openEmployeeDlg(2); });
    on(ui->toolButton_138, [this] { openOperatorDlg(1); });
    on(ui->toolButton_140, [this] { openOperatorDlg(2); });
    on(ui->toolButton_153, [this] { openStockDlg(QStringLiteral("入库明细")); });
    on(ui->toolButton_148, [this] { openStockDlg(QStringLiteral("出库明细")); });
    // A double click on a settings list is its "修改".
    const auto edits = [this](QTableView *view, auto action) {
        connect(view, &QTableView::doubleClicked, this, action);
    };
    edits(ui->tableView_29, [this] { openOperatorDlg(2); });
    edits(ui->tableView_30, [this] { openEmployeeDlg(2); });
    edits(ui->tableView_24, [this] { openServiceItemDlg(2); });
    edits(ui->tableView_25, [this] { openProductDlg(2); });
    edits(ui->tableView_26, [this] { openPackageDlg(2); });
    // Each 删除 deletes the chosen row of the list declared with it.
    for (const ViewDeclaration &d : ViewDeclarations::all()) {
        if (d.deleteButton.isEmpty())
            continue;
        auto *button = m_window->findChild<QAbstractButton *>(d.deleteButton);
        m_deleteButtons.append(button);
        on(button, [this, view = d.name] { deleteRow(view); });
    }
    // The rule pages: a click shows the item's rules, a double click edits them.
    connect(ui->tableView_39, &QTableView::clicked, this, [this](const QModelIndex &index) {
        showRuleDetail(kTichengDetail, m_ctrl->rowValues(kTichengList, index.row()));
    });
    connect(ui->tableView_44, &QTableView::clicked, this, [this](const QModelIndex &index) {
        showRuleDetail(kCuxiaoDetail, m_ctrl->rowValues(kCuxiaoList, index.row()));
    });
    connect(ui->tableView_39, &QTableView::doubleClicked, this,
            [this](const QModelIndex &index) { editRules(kTichengList, index.row()); });
    connect(ui->tableView_44, &QTableView::doubleClicked, this,
            [this](const QModelIndex &index) { editRules(kCuxiaoList, index.row()); });
}

void SettingsActions::pageOpened(const QString &text)
{
    if (text == QStringLiteral("提成策略")) {
        refillTichengList();
        m_ctrl->showDefault(kTichengList);
    } else if (text == QStringLiteral("促销方案")) {
        refillCuxiaoList();
        m_ctrl->showDefault(kCuxiaoList);
    }
}

// "修改" needs a selected row: an edit dialog without one would save under
// whatever code is typed into it.
bool SettingsActions::catalogueRow(const QString &view, int mode, const QString &what, QStringList *row)
{
    if (!atWorkMayChangeSettings(m_window))
        return false;
    *row = m_ctrl->currentRowValues(view);
    if (mode == 2 && row->isEmpty()) {
        ctrlUiClass::showInfo(QStringLiteral("请先选择一个") + what, m_window);
        return false;
    }
    return true;
}

void SettingsActions::openServiceItemDlg(int mode)
{
    QStringList row;
    if (catalogueRow(QStringLiteral("服务项目列表"), mode, QStringLiteral("服务项目"), &row))
        runEditor<addfuwuxiangmuDlg>(m_window, mode, row);
}

void SettingsActions::openProductDlg(int mode)
{
    QStringList row;
    if (catalogueRow(QStringLiteral("产品管理"), mode, QStringLiteral("产品"), &row))
        runEditor<addchanpinDlg>(m_window, mode, row);
}

void SettingsActions::openPackageDlg(int mode)
{
    QStringList row;
    if (catalogueRow(QStringLiteral("套餐列表"), mode, QStringLiteral("套餐"), &row))
        runEditor<addtaocanDlg>(m_window, mode, row);
}

void SettingsActions::openEmployeeDlg(int mode)
{
    QStringList row;
    if (catalogueRow(QStringLiteral("员工管理"), mode, QStringLiteral("员工"), &row))
        runEditor<addyuangongDlg>(m_window, mode, row);
}

void SettingsActions::openOperatorDlg(int mode)
{
    QStringList row;
    if (catalogueRow(QStringLiteral("用户管理"), mode, QStringLiteral("操作员"), &row))
        runEditor<addUserDlg>(m_window, mode, mode == 2 ? row : QStringList());
}

void SettingsActions::openStockDlg(const QString &kind)
{
    chanpinrukuDlg *dlg = new chanpinrukuDlg;
    sendsToWindow(dlg);
    dlg->setData(kind);
    dlg->exec();
    delete dlg;
}

void SettingsActions::deleteRow(const QString &view)
{
    using Entry = CatalogueBook::Entry;
    struct Rule
    {
        const char *view;
        int minColumns;
        int shownColumn;
        Entry entry;
        const char *table; // whose lists follow the deletion
    };
    static const Rule rules[] = {
        {"服务项目列表", 1, 1, Entry::ServiceItem, "fuwuxiangmu"}, {"产品管理", 2, 1, Entry::Product, "chanpin"},
        {"套餐列表", 2, 1, Entry::Package, "taocanmingxi"},         {"会员卡信息", 1, 0, Entry::CardType, "huiyuanka"},
        {"用户管理", 1, 0, Entry::Operator, "user"},                {"员工管理", 2, 1, Entry::Employee, "yuangong"},
        {"产品库存", 2, 1, Entry::Product, "chanpinrukumingxi"}, // writes the stock off, the product stays
    };
    const auto found = std::find_if(std::begin(rules), std::end(rules),
                                    [&view](const Rule &r) { return view == QString::fromUtf8(r.view); });
    if (found == std::end(rules))
        return;
    const Rule &rule = *found;
    const bool stockOnly = view == QStringLiteral("产品库存");
    const QStringList row = m_ctrl->currentRowValues(QString::fromUtf8(rule.view));
    if (row.size() < rule.minColumns || row.size() <= rule.shownColumn)
        return;
    // Every one of these is a settings page's row (or writes goods off). What
    // refuses the deletion is told before anything is asked, and asked again
    // by the writer inside its transaction.
    if (!atWorkMayChangeSettings(m_window))
        return;
    if (!stockOnly) {
        const QString why = CatalogueBook::removalRefusal(rule.entry, row.at(0), operatorSession().loginName);
        if (!why.isEmpty()) {
            ctrlUiClass::showInfo(why, m_window);
            return;
        }
    }
    if (!ctrlUiClass::askYesNo("你确定要删除'" + row.at(rule.shownColumn) + "'吗?", m_window))
        return;
    if (stockOnly) {
        clearProductStock(row);
        return;
    }
    const LedgerResult r = CatalogueBook::remove(rule.entry, row.at(0), operatorSession().loginName);
    if (!r.ok)
        ctrlUiClass::showInfo(r.error, m_window);
    // Refused or not, the list shows what is stored now (another desk may have deleted it first).
    m_window->refreshByTable(QString::fromLatin1(rule.table));
}

void SettingsActions::clearProductStock(const QStringList &row)
{
    const LedgerResult r = StockWriter::clearStock(row.at(0), operatorSession().loginName);
    if (!r.ok) {
        ctrlUiClass::showInfo(r.error, m_window);
        return;
    }
    m_window->refreshByTable(QStringLiteral("chanpinrukumingxi"));
}

void SettingsActions::showRuleDetail(const QString &detail, const QStringList &row)
{
    if (row.size() < 5)
        return;
    m_ctrl->refreshView(detail, rulesOfItem(row.at(0), row.at(4)));
}

// The commission or promotion settings of one item, then its rules as saved.
void SettingsActions::editRules(const QString &list, int row)
{
    const QStringList item = m_ctrl->rowValues(list, row);
    if (item.size() < 5)
        return;
    if (!atWorkMayChangeSettings(m_window))
        return;
    if (list == kTichengList) {
        auto *dlg = new shezhitichengDlg;
        sendsToWindow(dlg);
        dlg->init(2, item);
        dlg->exec();
        delete dlg;
        showRuleDetail(kTichengDetail, item);
    } else {
        auto *dlg = new cuxiaoDlg;
        sendsToWindow(dlg);
        dlg->init(2, item);
        dlg->exec();
        delete dlg;
        showRuleDetail(kCuxiaoDetail, item);
    }
}
