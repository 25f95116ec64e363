// The front desk's "添加消费": the checkout for the current member or walk-in.
#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "receipts/receiptprinter.h"

#include "accountbooks.h"
#include "addxiaofeidlg.h"
#include "amounts.h"
#include "elidedlabel.h"
#include "guadandlg.h"
#include "heldbills.h"
#include "sqltext.h"

#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QStatusBar>
#include <QToolButton>

// The customer as stored now: the card is debited against the stored
// balance, not against a panel older than the last payment.
MemberSummary MainWindow::checkoutCustomer() const
{
    const MemberSummary stored = MemberSummary::of(currentMemberId());
    return stored.found() ? stored : m_member;
}

void MainWindow::on_toolButton_12_clicked()
{
    if (currentMemberId().isEmpty()) {
        ctrlUiClass::showInfo(QStringLiteral("请选择一个会员或散户！"), this);
        return;
    }
    runCheckout(QString());
}

void MainWindow::runCheckout(const QString &heldId, const QString &bookingId)
{
    auto *dlg = new AddXiaofeiDlg;
    connect(dlg, &AddXiaofeiDlg::DlgSend, this, &MainWindow::DlgRecv);
    dlg->setCustomer(checkoutCustomer());
    if (!heldId.isEmpty()) {
        const LedgerResult resumed = dlg->resumeHeld(heldId);
        if (!resumed.ok) {
            ctrlUiClass::showInfo(resumed.error, this);
            delete dlg;
            return;
        }
    }
    if (!bookingId.isEmpty()) {
        const LedgerResult taken = dlg->takeBooking(bookingId);
        if (!taken.ok) {
            ctrlUiClass::showInfo(taken.error, this);
            delete dlg;
            return;
        }
    }
    dlg->exec();
    const QString sale = dlg->committedSaleId();
    const QString held = dlg->heldBillId();
    const qint64 tendered = dlg->tenderedCents();
    delete dlg;
    // The next customer starts at the search field, with the keys working again.
    activateWindow();
    ui->lineEdit->setFocus();
    ui->lineEdit->selectAll();
    // A committed sale has had the member's lists run by its own "刷新数据列表".
    if (sale.isEmpty())
        refreshMemberViews(currentMemberId());
    if (!bookingId.isEmpty())
        afterBookingCheckout(); // booking: the page and the status bar show the booking settled
    if (!sale.isEmpty()) {
        showCounterStatus(counterFeedback(QStringLiteral("消费"), sale, currentMemberId()), sale);
        ReceiptPrinter::afterDocument(this, sale, tendered);
    } else if (!held.isEmpty())
        showCounterStatus(QStringLiteral("已挂单  挂单号：%1  （%2 解挂可取回）").arg(held, QStringLiteral("F8")));
    else if (!heldId.isEmpty())
        showCounterStatus(resumedNotPaidText(heldId));
}

// A bill taken up and then given up is no longer waiting: the status bar must
// not keep offering it under F8.
QString MainWindow::resumedNotPaidText(const QString &heldId) const
{
    return QStringLiteral("已取回挂单 %1，未结账").arg(heldId);
}

// 解挂: the shop's held bills; the chosen one is taken up in a checkout for its
// customer, who becomes the current member.
void MainWindow::on_toolButton_13_clicked()
{
    if (HeldBills::count() == 0) {
        ctrlUiClass::showInfo(QStringLiteral("目前没有挂单"), this);
        return;
    }
    QString chosen;
    {
        guadanDlg list;
        connect(&list, &guadanDlg::DlgSend, this, [&chosen](const QString &key, const QVariant &value) {
            if (key == QStringLiteral("解挂"))
                chosen = value.toString();
        });
        list.exec();
    }
    if (chosen.isEmpty())
        return;
    HeldBill bill;
    if (!HeldBills::find(chosen, &bill)) {
        ctrlUiClass::showInfo(QStringLiteral("该挂单已被其他收银台取走或删除"), this);
        return;
    }
    if (bill.memberId == QLatin1String(kWalkInId)) {
        on_toolButton_28_clicked();
    } else {
        const MemberSummary member = MemberSummary::read(bill.memberId);
        if (!member.found()) {
            ctrlUiClass::showInfo(QStringLiteral("找不到挂单的会员（%1），该会员可能已被删除").arg(bill.memberId), this);
            return;
        }
        selectMember(member);
    }
    runCheckout(chosen);
}

void MainWindow::showCounterStatus(const QString &text, const QString &documentId)
{
    if (!documentId.isEmpty())
        m_lastDocument = documentId;
    auto *label = statusBar()->findChild<QLabel *>(QStringLiteral("counterStatusLabel"));
    if (!label) {
        // Beside the operator's line both give way at their ends on a
        // 1366-pixel screen; the tooltip keeps the whole text.
        label = new ElidedLabel(statusBar());
        label->setObjectName(QStringLiteral("counterStatusLabel"));
        label->setStyleSheet(QStringLiteral("color:rgb(255,255,255);font-weight:bold"));
        statusBar()->addWidget(label, 1);
    }
    label->setText(text);
}

QString MainWindow::counterFeedback(const QString &what, const QString &documentId, const QString &memberId) const
{
    QString text = what + QStringLiteral("成功  单号：") + documentId;
    if (memberId.isEmpty() || memberId == QLatin1String(kWalkInId))
        return text;
    const MemberSummary m = MemberSummary::read(memberId);
    text += QStringLiteral("  会员：%1  卡内余额：%2  套餐剩余次数：%3  欠款：%4")
                .arg(m.name, centsShown(m.balanceCents), numberText(m.usesLeft), centsShown(m.debtCents));
    return text;
}

// The counter's keys: each button says its key in its tooltip.
void MainWindow::setupCounterKeys()
{
    const struct
    {
        QToolButton *button;
        Qt::Key key;
        const char *what;
    } keys[] = {
        {ui->toolButton_28, Qt::Key_F3, "散客"},
        {ui->toolButton_12, Qt::Key_F4, "添加消费"},  {ui->toolButton_15, Qt::Key_F5, "会员交费"},
        {ui->toolButton_16, Qt::Key_F6, "套餐续费"},  {ui->toolButton_14, Qt::Key_F7, "还款"},
        {ui->toolButton_13, Qt::Key_F8, "解挂"},
    };
    for (const auto &k : keys) {
        k.button->setShortcut(QKeySequence(k.key));
        k.button->setToolTip(QStringLiteral("%1（%2）").arg(QString::fromUtf8(k.what), QKeySequence(k.key).toString()));
    }
    // F2 finds a member: the search field takes the typing (name, phone or card
    // number), Enter searches.
    auto *find = new QShortcut(QKeySequence(Qt::Key_F2), this);
    connect(find, &QShortcut::activated, this, [this] {
        navigateTo(QStringLiteral("前台收银"));
        ui->lineEdit->setFocus();
        ui->lineEdit->selectAll();
    });
    ui->toolButton_27->setToolTip(QStringLiteral("查找会员（F2 到查询框，回车查询）"));
    // F9 prints the latest document of this desk; the lists' 打印 prints the chosen row.
    auto *print = new QShortcut(QKeySequence(Qt::Key_F9), this);
    connect(print, &QShortcut::activated, this, [this] {
        if (m_lastDocument.isEmpty())
            ctrlUiClass::showInfo(QStringLiteral("本机还没有可打印的单据，请在列表中选中单据后点“打印”"), this);
        else
            ReceiptPrinter::preview(this, m_lastDocument);
    });
    for (QToolButton *b : {ui->toolButton_17, ui->toolButton_19})
        b->setToolTip(QStringLiteral("打印选中的单据（F9 打印本机最近的一张单据）"));
    // F12 voids the sale chosen in 会员消费, else this desk's latest sale; the
    // void dialog shows which sale it is before anything is undone.
    auto *voidKey = new QShortcut(QKeySequence(Qt::Key_F12), this);
    connect(voidKey, &QShortcut::activated, this, [this] {
        QString sale = m_ctrl->currentRowValues(QStringLiteral("会员消费")).value(1);
        if (sale.isEmpty() && !m_lastDocument.isEmpty()
            && !m_ctrl->queryRow(QStringLiteral("select ID from huiyuanxiaofei where ID=") + sqlLiteral(m_lastDocument)
                                 + QStringLiteral(" LIMIT 1"))
                    .isEmpty())
            sale = m_lastDocument;
        openVoidSale(sale);
    });
    ui->toolButton_voidSale->setToolTip(QStringLiteral("作废选中的消费单（F12，未选中时为本机最近的一张消费单）"));
    ui->lineEdit->setToolTip(ui->toolButton_27->toolTip());
}
