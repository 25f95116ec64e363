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

namespace {
const char *kMemberColumns =
    "select ID as 会员编号,name as 会员姓名,type as 会员类别,birthday as 会员生日,jiaofeijinE as 交费金额,"
    "shengyujine as 剩余金额 ,phone as 电话,jifen as 积分, guwenrenyuan as 会员顾问 from huiyuan ";


}

void MainWindow::setupFrontDesk()
{
    // Enter in the search field searches, as the "查询" button does.
    connect(ui->lineEdit, &QLineEdit::returnPressed, this, &MainWindow::on_toolButton_27_clicked);
    setupCounterKeys();
}

void MainWindow::fillMemberPanel(const QStringList &record)
{
    QLabel *const labels[] = {ui->label_18, ui->label_15, ui->label_10, ui->label_16, ui->label_13,
                              ui->label_11, ui->label_17, ui->label_14, ui->label_12};
    // The walk-in customer has no card, balance, phone, points or adviser:
    // nothing is shown for them rather than a row of "00".
    const bool walkIn = record.value(0) == QStringLiteral("0000");
    for (int i = 0; i < 9 && i < record.size(); ++i) {
        QString text = record.at(i);
        if (walkIn && i >= 2)
            text.clear();
        // The birthday is shown as month and day ("yyyy-MM-dd ..." -> "MM-dd").
        else if (i == 3 && text.size() >= 10)
            text = text.mid(5, 5);
        // 交费金额: the card's price alone would never move after a top-up.
        else if (i == 4 && !record.at(0).isEmpty())
            text = centsShown(BalanceBook::paidInCents(record.at(0)));
        else if ((i == 4 || i == 5) && !text.isEmpty())
            text = moneyShown(parseNumber(text));
        else if (const QString adviser = i == 8 ? CommissionRules::employeeName(text) : QString(); !adviser.isEmpty())
            text = adviser;
        labels[i]->setText(text);
    }
}

void MainWindow::selectMember(const QStringList &record)
{
    m_member = record;
    fillMemberPanel(record);
    if (record.isEmpty())
        return;
    refreshMemberViews(record.at(0));
    showMemberTotals();
    // The totals borrow the 交费金额 and 积分 labels; on choosing a member they
    // show the member's own row, as they do after every reload.
    fillMemberPanel(record);
    showMemberBookings(); // booking
    showMemberWarnings(); // member life
}

void MainWindow::on_toolButton_27_clicked()
{
    const QString text = ui->lineEdit->text();
    const QString filter = ReportQuery::memberPickerFilter(*m_ctrl, text);
    // Two rows are enough to tell one match from several, however many members the shop has.
    const QList<QStringList> rows =
        m_ctrl->queryRows(QString::fromUtf8(kMemberColumns) + filter + QStringLiteral(" LIMIT 2"));
    if (rows.isEmpty()) {
        ctrlUiClass::showInfo(text.trimmed().isEmpty() ? QStringLiteral("请输入会员姓名、电话或卡号再查询")
                                                       : QStringLiteral("没有找到与“%1”相符的会员").arg(text),
                              this);
        return;
    }
    if (rows.size() == 1) {
        selectMember(rows.first());
        return;
    }
    huiyuanDlg picker;
    connect(&picker, &huiyuanDlg::DlgSend, this, &MainWindow::DlgRecv);
    picker.setData(QStringLiteral("会员选择"), filter);
    const QPoint corner = ui->toolButton_27->mapToGlobal(QPoint(0, 0)) + QPoint(-150, 30);
    picker.setGeometry(corner.x(), corner.y(), 630, 400);
    picker.exec();
}

void MainWindow::on_toolButton_28_clicked()
{
    const QStringList walkIn{QStringLiteral("0000"), QStringLiteral("散客"), QStringLiteral("00"),
                             QStringLiteral("01-01"), QStringLiteral("00"), QStringLiteral("00"),
                             QStringLiteral("00"), QStringLiteral("00"), QStringLiteral("00"),
                             QStringLiteral("00"), QStringLiteral("00")};
    m_member = walkIn;
    fillMemberPanel(walkIn);
    // The previous member's sales, payments and packages must not stay on screen.
    refreshMemberViews(QStringLiteral("卿"));
    // The totals of the previous member must not stay beside the walk-in customer.
    showMemberTotals();
    showMemberBookings(); // booking
    showMemberWarnings(); // member life
}

void MainWindow::reloadCurrentMember()
{
    const QString id = currentMemberId();
    if (id.isEmpty())
        return;
    const QList<QStringList> rows = m_ctrl->queryRows(QString::fromUtf8(kMemberColumns)
                                                      + QStringLiteral(" where ID= ") + sqlLiteral(id));
    if (rows.size() != 1)
        return;
    m_member = rows.first();
    fillMemberPanel(m_member);
}

void MainWindow::showMemberTotals()
{
    // The walk-in customer is everybody who is not a member: no totals of its own.
    if (currentMemberId() == QLatin1String("0000") || currentMemberId().isEmpty()) {
        ui->label_19->setText(QStringLiteral("累计消费："));
        ui->label_20->setText(centsShown(0));
        return;
    }
    const QString id = sqlLiteral(currentMemberId());
    const QStringList sums = m_ctrl->queryRow(
        QStringLiteral("select ROUND(sum(jine),3),ROUND(sum(suodejifen),3) from huiyuanxiaofei where huiyuanid=") + id);
    if (sums.size() >= 2) {
        const QString total = sums.at(0).isEmpty() ? QStringLiteral("0") : sums.at(0);
        ui->label_13->setText(total);
        ui->label_19->setText(QStringLiteral("累计消费：") + moneyShown(total.toDouble()));
        ui->label_14->setText(sums.at(1).isEmpty() ? QStringLiteral("0") : sums.at(1));
    }
    // Open debts of every source: sales, card issues, top-ups and renewals.
    ui->label_20->setText(centsShown(DebtBook::memberDebt(currentMemberId())));
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
    const QStringList stored =
        m_ctrl->queryRow(QStringLiteral("select shengyujine from huiyuan where ID=") + sqlLiteral(id));
    const double balance = parseNumber(stored.isEmpty() ? row.at(14) : stored.at(0));
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
    if (currentMemberId() == id) {
        m_member.clear();
        for (QLabel *label : {ui->label_18, ui->label_15, ui->label_10, ui->label_16, ui->label_13,
                              ui->label_11, ui->label_17, ui->label_14, ui->label_12, ui->label_20})
            label->clear();
        ui->label_19->setText(QStringLiteral("累计消费："));
    }
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
