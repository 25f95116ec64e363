// The front desk: choosing the current member (search, picker, walk-in), the
// member panel and its totals, 添加消费 and held bills, the repayment of a
// sale's debt and the counter's keys.
#include "frontdesk.h"
#include "ui_mainwindow.h"

#include "receipts/receiptprinter.h"

#include "accountbooks.h"
#include "addxiaofeidlg.h"
#include "amounts.h"
#include "elidedlabel.h"
#include "fukuandlg.h"
#include "guadandlg.h"
#include "heldbills.h"
#include "huiyuandlg.h"
#include "memberwriter.h"
#include "operatorsession.h"
#include "reportquery.h"
#include "sqltext.h"

#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QStatusBar>
#include <QTableView>
#include <QToolButton>

FrontDesk::FrontDesk(MainWindow *window, Ui::MainWindow *form, ctrlUiClass *ctrl) : MainPage(window, form, ctrl) {}

void FrontDesk::setup()
{
    // Enter in the search field searches, as the "查询" button does.
    connect(ui->lineEdit, &QLineEdit::returnPressed, this, &FrontDesk::search);
    connect(ui->toolButton_27, &QAbstractButton::clicked, this, &FrontDesk::search);
    connect(ui->toolButton_28, &QAbstractButton::clicked, this, &FrontDesk::selectWalkIn);
    connect(ui->toolButton_14, &QAbstractButton::clicked, this, &FrontDesk::askRepayment);
    connect(ui->toolButton_12, &QAbstractButton::clicked, this, &FrontDesk::checkout);
    connect(ui->toolButton_13, &QAbstractButton::clicked, this, &FrontDesk::takeUpHeldBill);
    setupCounterKeys();
}

void FrontDesk::fillMemberPanel(const MemberSummary &m)
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

void FrontDesk::clearMember()
{
    m_member = MemberSummary();
    for (QLabel *label : {ui->label_18, ui->label_15, ui->label_10, ui->label_16, ui->label_13, ui->label_11,
                          ui->label_17, ui->label_14, ui->label_12, ui->label_20})
        label->clear();
    ui->label_19->setText(QStringLiteral("累计消费："));
    emit memberChanged();
}

void FrontDesk::selectMember(const QStringList &record)
{
    selectMember(MemberSummary::of(record.value(0)));
}

void FrontDesk::selectMember(const MemberSummary &member)
{
    if (!member.found()) {
        clearMember();
        return;
    }
    m_member = member;
    fillMemberPanel(member);
    showMemberTotals();
    // The walk-in customer's lists are nobody's: the previous member's sales,
    // payments and packages must not stay on screen.
    m_window->refreshMemberViews(member.walkIn ? QStringLiteral("卿") : member.id);
    emit memberChanged(); // the booking and the visit notes' warnings in the panel
}

void FrontDesk::search()
{
    const QString text = ui->lineEdit->text();
    // Two matches are enough to tell one from several, however many members the shop has.
    const QList<MemberSummary> found = MemberSummary::find(text, 2);
    if (found.isEmpty()) {
        ctrlUiClass::showInfo(text.trimmed().isEmpty() ? QStringLiteral("请输入会员姓名、电话或卡号再查询")
                                                       : QStringLiteral("没有找到与“%1”相符的会员").arg(text),
                              m_window);
        return;
    }
    if (found.size() == 1) {
        selectMember(found.first());
        return;
    }
    huiyuanDlg picker;
    sendsToWindow(&picker);
    picker.setData(QStringLiteral("会员选择"), ReportQuery::memberPickerFilter(text));
    const QPoint corner = ui->toolButton_27->mapToGlobal(QPoint(0, 0)) + QPoint(-150, 30);
    picker.setGeometry(corner.x(), corner.y(), 630, 400);
    picker.exec();
}

void FrontDesk::selectWalkIn()
{
    selectMember(MemberSummary::walkInCustomer());
}

void FrontDesk::reloadCurrentMember()
{
    if (m_member.walkIn || !m_member.found())
        return;
    const MemberSummary again = MemberSummary::read(m_member.id);
    if (!again.found())
        return;
    m_member = again;
    ++m_memberReads;
    fillMemberPanel(m_member);
    showMemberTotals();
}

void FrontDesk::memberDataChanged()
{
    // Debt of every source: a top-up, card issue or renewal may leave one too.
    showMemberTotals();
    reloadCurrentMember();
    emit memberChanged();
}

void FrontDesk::showMemberTotals()
{
    // The walk-in customer is everybody who is not a member: no totals of its own.
    const bool own = m_member.found() && !m_member.walkIn;
    ui->label_19->setText(QStringLiteral("累计消费：") + (own ? centsShown(m_member.spentCents) : QString()));
    // Open debts of every source: sales, card issues, top-ups and renewals.
    ui->label_20->setText(centsShown(own ? m_member.debtCents : 0));
}

// 还款: the selected sale of 会员消费, or the selected card issue, top-up or
// renewal of 会员交费, whichever list is on screen and shows a debt.
void FrontDesk::askRepayment()
{
    if (currentMemberId().isEmpty()) {
        ctrlUiClass::showInfo(QStringLiteral("请选择一个会员！"), m_window);
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
        ctrlUiClass::showInfo(QStringLiteral("请选择欠费金额大于0的订单"), m_window);
        return;
    }
    fukuanDlg dlg;
    sendsToWindow(&dlg);
    dlg.setData(debt);
    dlg.exec();
}

void FrontDesk::repayDebt(const QStringList &reply, QObject *from)
{
    auto *pay = qobject_cast<fukuanDlg *>(from);
    if (reply.size() < 4)
        return;
    Repayment r;
    r.cents = parseMoneyInput(reply.at(0), QString()).cents;
    r.method = reply.at(2);
    r.documentId = reply.at(3);
    r.operatorName = operatorSession().name;
    const LedgerResult done = MemberWriter::repay(r);
    const quint64 reads = m_memberReads;
    if (!done.ok) {
        // The payment dialog stays open with what the cashier typed.
        ctrlUiClass::showInfo(done.error, m_window);
        if (pay)
            pay->keepOpen();
        return;
    }
    // Saved at an earlier try whose answer was lost, not again.
    if (!done.notice.isEmpty())
        ctrlUiClass::showInfo(done.notice, m_window);
    // A repaid sale or payment: the member's lists once, the member page's balance too.
    m_window->refreshByTable(QStringList{QStringLiteral("huiyuanxiaofei"), QStringLiteral("huiyuanjiaofei")});
    showCounterStatus(counterFeedback(QStringLiteral("还款"), done.documentId, currentMemberId(), reads), done.documentId);
    ReceiptPrinter::afterDocument(m_window, done.documentId);
}

MemberSummary FrontDesk::checkoutCustomer() const
{
    const MemberSummary stored = MemberSummary::of(currentMemberId());
    return stored.found() ? stored : m_member;
}

void FrontDesk::checkout()
{
    if (currentMemberId().isEmpty()) {
        ctrlUiClass::showInfo(QStringLiteral("请选择一个会员或散户！"), m_window);
        return;
    }
    runCheckout(QString());
}

void FrontDesk::runCheckout(const QString &heldId, const QString &bookingId)
{
    auto *dlg = new AddXiaofeiDlg;
    sendsToWindow(dlg);
    dlg->setCustomer(checkoutCustomer());
    if (!heldId.isEmpty()) {
        const LedgerResult resumed = dlg->resumeHeld(heldId);
        if (!resumed.ok) {
            ctrlUiClass::showInfo(resumed.error, m_window);
            delete dlg;
            return;
        }
    }
    if (!bookingId.isEmpty()) {
        const LedgerResult taken = dlg->takeBooking(bookingId);
        if (!taken.ok) {
            ctrlUiClass::showInfo(taken.error, m_window);
            delete dlg;
            return;
        }
    }
    quint64 reads = kNoRead;
    {
        const MainWindow::RefreshHold once(m_window);
        dlg->exec();
        // The held refresh that follows reads the member again, with the sale.
        reads = m_memberReads;
    }
    const QString sale = dlg->committedSaleId();
    const QString held = dlg->heldBillId();
    const qint64 tendered = dlg->tenderedCents();
    delete dlg;
    // The next customer starts at the search field, with the keys working again.
    m_window->activateWindow();
    ui->lineEdit->setFocus();
    ui->lineEdit->selectAll();
    // A committed sale has had the member's lists run by its own "刷新数据列表".
    if (sale.isEmpty())
        m_window->refreshMemberViews(currentMemberId());
    if (!bookingId.isEmpty())
        emit bookingCheckedOut(); // the page and the status bar show the booking settled
    if (!sale.isEmpty()) {
        showCounterStatus(counterFeedback(QStringLiteral("消费"), sale, currentMemberId(), reads), sale);
        ReceiptPrinter::afterDocument(m_window, sale, tendered);
    } else if (!held.isEmpty())
        showCounterStatus(QStringLiteral("已挂单  挂单号：%1  （%2 解挂可取回）").arg(held, QStringLiteral("F8")));
    else if (!heldId.isEmpty())
        // A bill taken up and then given up is no longer waiting: the status
        // bar must not keep offering it under F8.
        showCounterStatus(QStringLiteral("已取回挂单 %1，未结账").arg(heldId));
}

// 解挂: the shop's held bills; the chosen one is taken up in a checkout for its
// customer, who becomes the current member.
void FrontDesk::takeUpHeldBill()
{
    if (HeldBills::count() == 0) {
        ctrlUiClass::showInfo(QStringLiteral("目前没有挂单"), m_window);
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
        ctrlUiClass::showInfo(QStringLiteral("该挂单已被其他收银台取走或删除"), m_window);
        return;
    }
    if (bill.memberId == QLatin1String(kWalkInId)) {
        selectWalkIn();
    } else {
        const MemberSummary member = MemberSummary::read(bill.memberId);
        if (!member.found()) {
            ctrlUiClass::showInfo(QStringLiteral("找不到挂单的会员（%1），该会员可能已被删除").arg(bill.memberId), m_window);
            return;
        }
        selectMember(member);
    }
    runCheckout(chosen);
}

void FrontDesk::showCounterStatus(const QString &text, const QString &documentId)
{
    if (!documentId.isEmpty())
        m_lastDocument = documentId;
    auto *label = m_window->statusBar()->findChild<QLabel *>(QStringLiteral("counterStatusLabel"));
    if (!label) {
        // Beside the operator's line both give way at their ends on a
        // 1366-pixel screen; the tooltip keeps the whole text.
        label = new ElidedLabel(m_window->statusBar());
        label->setObjectName(QStringLiteral("counterStatusLabel"));
        label->setStyleSheet(QStringLiteral("color:rgb(255,255,255);font-weight:bold"));
        m_window->statusBar()->addWidget(label, 1);
    }
    label->setText(text);
}

QString FrontDesk::counterFeedback(const QString &what, const QString &documentId, const QString &memberId,
                                   quint64 readsAfterDocument) const
{
    QString text = what + QStringLiteral("成功  单号：") + documentId;
    if (memberId.isEmpty() || memberId == QLatin1String(kWalkInId))
        return text;
    const bool panelFresh = readsAfterDocument != kNoRead && m_memberReads != readsAfterDocument && memberId == m_member.id;
    const MemberSummary m = panelFresh ? m_member : MemberSummary::read(memberId);
    text += QStringLiteral("  会员：%1  卡内余额：%2  套餐剩余次数：%3  欠款：%4")
                .arg(m.name, centsShown(m.balanceCents), numberText(m.usesLeft), centsShown(m.debtCents));
    return text;
}

// The counter's keys: each button says its key in its tooltip.
void FrontDesk::setupCounterKeys()
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
    auto *find = new QShortcut(QKeySequence(Qt::Key_F2), m_window);
    connect(find, &QShortcut::activated, this, [this] {
        m_window->navigateTo(QStringLiteral("前台收银"));
        ui->lineEdit->setFocus();
        ui->lineEdit->selectAll();
    });
    ui->toolButton_27->setToolTip(QStringLiteral("查找会员（F2 到查询框，回车查询）"));
    // F9 prints the latest document of this desk; the lists' 打印 prints the chosen row.
    auto *print = new QShortcut(QKeySequence(Qt::Key_F9), m_window);
    connect(print, &QShortcut::activated, this, [this] {
        if (m_lastDocument.isEmpty())
            ctrlUiClass::showInfo(QStringLiteral("本机还没有可打印的单据，请在列表中选中单据后点“打印”"), m_window);
        else
            ReceiptPrinter::preview(m_window, m_lastDocument);
    });
    for (QToolButton *b : {ui->toolButton_17, ui->toolButton_19})
        b->setToolTip(QStringLiteral("打印选中的单据（F9 打印本机最近的一张单据）"));
    ui->lineEdit->setToolTip(ui->toolButton_27->toolTip());
}
