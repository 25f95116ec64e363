// Member page and front-desk buttons that open the member dialogs: card types,
// registration with card issue, top-up and package renewal; member deletion.
#include "memberactions.h"
#include "ui_mainwindow.h"

#include "amounts.h"
#include "frontdesk.h"
#include "memberwriter.h"
#include "operatorsession.h"
#include "reportquery.h"

#include "addhuiyuandlg.h"
#include "addhuiyuankadlg.h"
#include "huiyuankachongchi.h"
#include "taocanxufeidlg.h"
#include "receipts/receiptprinter.h"

#include <QItemSelectionModel>
#include <QTableView>

namespace {
const char *kMemberList = "会员管理";
const char *kCardTypeList = "会员卡信息";

// The row the operator has selected in a list. A list that was just re-run
// keeps no selection, but the view may still hold a current index (it moves
// to the first row when the view gets the focus back); acting on that row
// would open the dialog for a member nobody chose.
QStringList selectedRow(ctrlUiClass *ctrl, const char *viewName)
{
    QTableView *view = ctrl->boundView(QString::fromUtf8(viewName));
    if (!view || !view->selectionModel())
        return QStringList();
    const QModelIndex current = view->currentIndex();
    if (!current.isValid() || !view->selectionModel()->isRowSelected(current.row(), QModelIndex()))
        return QStringList();
    return ctrl->currentRowValues(QString::fromUtf8(viewName));
}
} // namespace

MemberActions::MemberActions(MainWindow *window, Ui::MainWindow *form, ctrlUiClass *ctrl, FrontDesk *desk)
    : MainPage(window, form, ctrl), m_desk(desk)
{
}

void MemberActions::setup()
{
    connect(ui->toolButton_29, &QAbstractButton::clicked, this, &MemberActions::registerAtDesk);
    connect(ui->toolButton_15, &QAbstractButton::clicked, this, &MemberActions::topUpAtDesk);
    connect(ui->toolButton_16, &QAbstractButton::clicked, this, &MemberActions::renewAtDesk);
    connect(ui->toolButton, &QAbstractButton::clicked, this, [this] { openMemberDlg(1); });
    connect(ui->toolButton_2, &QAbstractButton::clicked, this, [this] { openMemberDlg(2); });
    connect(ui->tableView_9, &QTableView::doubleClicked, this, [this] { openMemberDlg(2); });
    connect(ui->toolButton_4, &QAbstractButton::clicked, this, &MemberActions::topUpChosen);
    connect(ui->toolButton_33, &QAbstractButton::clicked, this, &MemberActions::renewChosen);
    connect(ui->toolButton_3, &QAbstractButton::clicked, this, &MemberActions::deleteChosen);
    connect(ui->toolButton_149, &QAbstractButton::clicked, this, [this] { openCardTypeDlg(1); });
    connect(ui->toolButton_150, &QAbstractButton::clicked, this, [this] { openCardTypeDlg(2); });
    connect(ui->tableView_32, &QTableView::doubleClicked, this, [this] { openCardTypeDlg(2); });
}

void MemberActions::openCardTypeDlg(int mode)
{
    if (!atWorkMayChangeSettings(m_window))
        return;
    QStringList row;
    if (mode == 2) {
        row = selectedRow(m_ctrl, kCardTypeList);
        if (row.size() < 8) {
            ctrlUiClass::showInfo(QStringLiteral("请先选择一个会员卡"), m_window);
            return;
        }
    }
    auto *dlg = new addhuiyuankaDlg;
    sendsToWindow(dlg);
    dlg->setup(mode, row);
    dlg->exec();
    delete dlg;
}

bool MemberActions::openMemberDlg(int mode)
{
    QStringList row;
    if (mode == 2) {
        row = selectedRow(m_ctrl, kMemberList);
        if (row.isEmpty()) {
            ctrlUiClass::showInfo(QStringLiteral("请先选择一个会员"), m_window);
            return false;
        }
    }
    auto *dlg = new addhuiyuandlg;
    sendsToWindow(dlg);
    dlg->setup(mode, row);
    const bool accepted = dlg->exec() == QDialog::Accepted;
    const QString issued = dlg->documentId();
    delete dlg;
    if (!issued.isEmpty())
        ReceiptPrinter::afterDocument(m_window, issued);
    return accepted;
}

// A top-up or renewal for one member: its dialog, then the figures after it
// in the status bar and the receipt. The dialog's own refresh is the one the
// member's lists get.
template <typename Dlg> void MemberActions::openPayment(const MemberSummary &member, const QString &what)
{
    auto *dlg = new Dlg;
    sendsToWindow(dlg);
    dlg->setMember(member);
    quint64 reads = FrontDesk::kNoRead;
    {
        const MainWindow::RefreshHold once(m_window);
        dlg->exec();
        reads = m_desk->memberReads(); // the held refresh reads the member again
    }
    const QString done = dlg->documentId();
    delete dlg;
    if (!done.isEmpty()) {
        m_desk->showCounterStatus(m_desk->counterFeedback(what, done, member.id, reads), done);
        ReceiptPrinter::afterDocument(m_window, done);
    }
}

void MemberActions::openTopUp(const MemberSummary &member)
{
    openPayment<huiyuankachongchi>(member, QStringLiteral("充值"));
}

void MemberActions::openRenewal(const MemberSummary &member)
{
    openPayment<taocanxufeidlg>(member, QStringLiteral("套餐续费"));
}

// 添加会员 (front desk): the member just registered becomes the current one.
void MemberActions::registerAtDesk()
{
    if (!openMemberDlg(1))
        return;
    const MemberSummary newest = MemberSummary::read(MemberSummary::lastRegistered());
    if (newest.found())
        m_desk->selectMember(newest);
}

// 会员交费 (front desk): top-up of the current member.
void MemberActions::topUpAtDesk()
{
    const QString id = m_desk->currentMemberId();
    if (id.isEmpty()) {
        ctrlUiClass::showInfo(QStringLiteral("请选择一个会员或散户！"), m_window);
        return;
    }
    openTopUp(MemberSummary::of(id));
}

// 套餐续费 (front desk).
void MemberActions::renewAtDesk()
{
    const QString id = m_desk->currentMemberId();
    if (id.isEmpty()) {
        ctrlUiClass::showInfo(QStringLiteral("请先选择一个会员"), m_window);
        return;
    }
    openRenewal(MemberSummary::of(id));
}

// 充值 (member page): top-up of the selected member.
void MemberActions::topUpChosen()
{
    const QStringList row = selectedRow(m_ctrl, kMemberList);
    if (row.size() < 15) {
        ctrlUiClass::showInfo(QStringLiteral("请选择一个会员！"), m_window);
        return;
    }
    openTopUp(MemberSummary::read(row.at(0)));
}

// 套餐续费 (member page).
void MemberActions::renewChosen()
{
    const QStringList row = selectedRow(m_ctrl, kMemberList);
    if (row.isEmpty()) {
        ctrlUiClass::showInfo(QStringLiteral("请先选择一个会员"), m_window);
        return;
    }
    openRenewal(MemberSummary::read(row.at(0)));
}

void MemberActions::deleteChosen()
{
    const QStringList row = m_ctrl->currentRowValues(QStringLiteral("会员管理"));
    if (row.size() < 15) {
        ctrlUiClass::showInfo(QStringLiteral("请先选择一个需要删除的会员！"), m_window);
        return;
    }
    const QString id = row.at(0);
    const QString name = row.at(1);
    // The list may be older than the card: decide on the balance stored now.
    const MemberSummary stored = MemberSummary::read(id);
    const qint64 balance = stored.found() ? stored.balanceCents : parseMoneyInput(row.at(14), QString(), true).cents;
    if (balance > 0) {
        ctrlUiClass::showInfo(QStringLiteral("会员：") + name + QStringLiteral("余额不为0不能删除"), m_window);
        return;
    }
    if (!ctrlUiClass::askYesNo(QStringLiteral("是否真的要删除会员:") + name + QStringLiteral("?"), m_window))
        return;
    // Balance, uses left and open debts are prepaid or owed value: the rules layer refuses.
    const LedgerResult removed = MemberWriter::deleteMember(id, operatorSession().loginName);
    if (!removed.ok) {
        ctrlUiClass::showInfo(removed.error, m_window);
        return;
    }
    m_ctrl->refreshView(QStringLiteral("会员管理"), ReportQuery::memberSearch(ui->lineEdit_3->text().trimmed()));
    // A deleted member cannot stay the current one: a sale would be booked to nobody.
    if (m_desk->currentMemberId() == id)
        m_desk->clearMember();
}
