// Front desk and member page: choosing the current member (search, picker,
// walk-in), the member panel and its totals, member deletion and the repayment
// of a sale's debt.
#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "receipts/receiptprinter.h"

#include "accountbooks.h"
#include "commissionrules.h"
#include "amounts.h"
#include "fukuandlg.h"
#include "memberwriter.h"
#include "huiyuandlg.h"
#include "operatorsession.h"
#include "reportquery.h"
#include "sqltext.h"
#include "transactionscope.h"

#include <QLineEdit>
#include <QTableView>
#include <QToolButton>
#include <cmath>

void MainWindow::setupFrontDesk()
{
    // Enter in the search field searches, as the "查询" button does.
    connect(ui->lineEdit, &QLineEdit::returnPressed, this, &MainWindow::on_toolButton_27_clicked);
    setupCounterKeys();
}

void MainWindow::fillMemberPanel(const MemberSummary &m)
{
    ui->label_18->setText(m.id);
    ui->label_15->setText(m.name);
    // The walk-in customer has no card, balance, phone, points or adviser:
    // nothing is shown for them rather than a row of "00".
    const bool shown = !m.walkIn;
    ui->label_10->setText(shown ? m.cardType : QString());
    ui->label_16->setText(shown ? m.birthdayShown() : QString());
    // 交费金额: the card's price alone would never move after a top-up.
    ui->label_13->setText(shown ? centsShown(m.paidInCents) : QString());
    ui->label_11->setText(shown ? centsShown(m.balanceCents) : QString());
    ui->label_17->setText(shown ? m.phone : QString());
    ui->label_14->setText(shown ? QVariant(m.cardPoints).toString() : QString());
    ui->label_12->setText(shown ? m.adviserName : QString());
}

void MainWindow::clearMemberPanel()
{
    m_member = MemberSummary();
    for (QLabel *label : {ui->label_18, ui->label_15, ui->label_10, ui->label_16, ui->label_13, ui->label_11,
                          ui->label_17, ui->label_14, ui->label_12, ui->label_20})
        label->clear();
    ui->label_19->setText(QStringLiteral("累计消费："));
}

void MainWindow::selectMember(const QStringList &record)
{
    selectMember(MemberSummary::of(record.value(0)));
}

void MainWindow::selectMember(const MemberSummary &member)
{
    if (!member.found()) {
        clearMemberPanel();
        return;
    }
    m_member = member;
    fillMemberPanel(member);
    showMemberTotals();
    // The walk-in customer's lists are nobody's: the previous member's sales,
    // payments and packages must not stay on screen.
    refreshMemberViews(member.walkIn ? QStringLiteral("卿") : member.id);
    showMemberBookings(); // booking
    showMemberWarnings(); // member life
}

void MainWindow::on_toolButton_27_clicked()
{
    const QString text = ui->lineEdit->text();
    // Two matches are enough to tell one from several, however many members the shop has.
    const QStringList found = MemberSummary::search(text, 2);
    if (found.isEmpty()) {
        ctrlUiClass::showInfo(text.trimmed().isEmpty() ? QStringLiteral("请输入会员姓名、电话或卡号再查询")
                                                       : QStringLiteral("没有找到与“%1”相符的会员").arg(text),
                              this);
        return;
    }
    if (found.size() == 1) {
        selectMember(MemberSummary::read(found.first()));
        return;
    }
    huiyuanDlg picker;
    connect(&picker, &huiyuanDlg::DlgSend, this, &MainWindow::DlgRecv);
    picker.setData(QStringLiteral("会员选择"), ReportQuery::memberPickerFilter(text));
    const QPoint corner = ui->toolButton_27->mapToGlobal(QPoint(0, 0)) + QPoint(-150, 30);
    picker.setGeometry(corner.x(), corner.y(), 630, 400);
    picker.exec();
}

void MainWindow::on_toolButton_28_clicked()
{
    selectMember(MemberSummary::walkInCustomer());
}

void MainWindow::reloadCurrentMember()
{
    if (m_member.walkIn || !m_member.found())
        return;
    const MemberSummary again = MemberSummary::read(m_member.id);
    if (!again.found())
        return;
    m_member = again;
    fillMemberPanel(m_member);
    showMemberTotals();
}

void MainWindow::showMemberTotals()
{
    // The walk-in customer is everybody who is not a member: no totals of its own.
    const bool own = m_member.found() && !m_member.walkIn;
    ui->label_19->setText(QStringLiteral("累计消费：") + (own ? centsShown(m_member.spentCents) : QString()));
    // Open debts of every source: sales, card issues, top-ups and renewals.
    ui->label_20->setText(centsShown(own ? m_member.debtCents : 0));
}

void MainWindow::on_toolButton_3_clicked()
{
    const QStringList row = m_ctrl->currentRowValues(QStringLiteral("会员管理"));
    if (row.size() < 15) {
        ctrlUiClass::showInfo(QStringLiteral("请先选择一个需要删除的会员！"), this);
        return;
    }
    const QString id = row.at(0);
    const QString name = row.at(1);
    // The list may be older than the card: decide on the balance stored now.
    const MemberSummary stored = MemberSummary::read(id);
    const qint64 balance = stored.found() ? stored.balanceCents : parseMoneyInput(row.at(14), QString(), true).cents;
    if (balance > 0) {
        ctrlUiClass::showInfo(QStringLiteral("会员：") + name + QStringLiteral("余额不为0不能删除"), this);
        return;
    }
    if (!ctrlUiClass::askYesNo(QStringLiteral("是否真的要删除会员:") + name + QStringLiteral("?"), this))
        return;
    // Balance, uses left and open debts are prepaid or owed value: the rules layer refuses.
    const LedgerResult removed = MemberWriter::deleteMember(id, operatorSession().loginName);
    if (!removed.ok) {
        ctrlUiClass::showInfo(removed.error, this);
        return;
    }
    m_ctrl->refreshView(QStringLiteral("会员管理"), ReportQuery::memberSearch(ui->lineEdit_3->text().trimmed()));
    // A deleted member cannot stay the current one: a sale would be booked to nobody.
    if (currentMemberId() == id)
        clearMemberPanel();
}

// 还款: the selected sale of 会员消费, or the selected card issue, top-up or
// renewal of 会员交费, whichever list is on screen and shows a debt.
void MainWindow::on_toolButton_14_clicked()
{
    if (currentMemberId().isEmpty()) {
        ctrlUiClass::showInfo(QStringLiteral("请选择一个会员！"), this);
        return;
    }
    QStringList debt; // amount, document, date
    const QStringList sale = m_ctrl->currentRowValues(QStringLiteral("会员消费"));
    const QStringList payment = m_ctrl->currentRowValues(QStringLiteral("会员交费"));
    QTableView *paymentView = m_ctrl->boundView(QStringLiteral("会员交费"));
    const bool paymentShown = paymentView && paymentView->isVisible();
    if (paymentShown && payment.size() > 8 && parseNumber(payment.at(8)) > 0)
        debt = QStringList{payment.at(8), payment.at(0), payment.at(2)};
    else if (sale.size() >= 10 && parseNumber(sale.at(9)) > 0)
        debt = QStringList{sale.at(9), sale.at(1), sale.at(0)};
    // import: a debt the member brought along (期初导入) is in neither list; with no
    // document chosen, it is the one repaid.
    if (debt.isEmpty())
        for (const DebtBook::Open &o : DebtBook::openOf(currentMemberId()))
            if (o.opening) {
                debt = QStringList{centsText(o.cents), o.documentId, QString()};
                break;
            }
    if (debt.isEmpty()) {
        ctrlUiClass::showInfo(QStringLiteral("请选择欠费金额大于0的订单"), this);
        return;
    }
    fukuanDlg dlg;
    connect(&dlg, &fukuanDlg::DlgSend, this, &MainWindow::DlgRecv);
    dlg.setData(debt);
    dlg.exec();
}

void MainWindow::repayDebt(const QStringList &reply)
{
    auto *pay = qobject_cast<fukuanDlg *>(sender());
    if (reply.size() < 4)
        return;
    Repayment r;
    r.cents = parseMoneyInput(reply.at(0), QString()).cents;
    r.method = reply.at(2);
    r.documentId = reply.at(3);
    r.operatorName = operatorSession().name;
    const LedgerResult done = MemberWriter::repay(r);
    if (!done.ok) {
        // The payment dialog stays open with what the cashier typed.
        ctrlUiClass::showInfo(done.error, this);
        if (pay)
            pay->keepOpen();
        return;
    }
    refreshByTable(QStringLiteral("huiyuanxiaofei"));
    refreshByTable(QStringLiteral("huiyuanjiaofei"));
    showCounterStatus(counterFeedback(QStringLiteral("还款"), done.documentId, currentMemberId()), done.documentId);
    ReceiptPrinter::afterDocument(this, done.documentId);
}
