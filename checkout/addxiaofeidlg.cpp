#include "addxiaofeidlg.h"
#include "visitwarninglabel.h"
#include "daijinquanhaodlg.h"
#include "bookingcheckout.h"
#include "ui_addxiaofeidlg.h"

#include "ledgersql.h"
#include "fuwuxiaofeidlg.h"
#include "lianhefukuandlg.h"
#include "operatorsession.h"
#include "packageexpiry.h"
#include "packageexpirydelegate.h"
#include "shangpindlg.h"
#include "shouquandlg.h"
#include "amounts.h"
#include "membersummary.h"
#include "heldbills.h"
#include "prompt.h"
#include "salewriter.h"
#include "sqltext.h"

#include <QDoubleValidator>
#include <QShortcut>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QToolButton>
#include <QThread>
#include <QTimer>
#include <cmath>

namespace {

const QString kServiceView = QStringLiteral("消费明细临时表服务");
const QString kProductView = QStringLiteral("消费明细临时表产品");
const QString kPackageView = QStringLiteral("套餐消费");
const int kLineKeyColumn = 8;

// Sale IDs key every row of a sale; two checkouts must never share one. Across
// desks the sale writer makes the final document ID unique.
QString uniqueSaleId()
{
    static QString last;
    QString serial = ctrlUiClass::serialNow();
    while (serial <= last) {
        QThread::usleep(200);
        serial = ctrlUiClass::serialNow();
    }
    last = serial;
    return QStringLiteral("xf_") + serial;
}

} // namespace

AddXiaofeiDlg::AddXiaofeiDlg(QWidget *parent)
    : QDialog(parent), ui(new Ui::AddXiaofeiDlg), m_basket(uniqueSaleId())
{
    ui->setupUi(this);

    const DbsetMap map = readDbset();
    createWorkingTable(QStringLiteral("tempxiaofeimingxi_db"));
    m_saleId = m_basket.saleId();

    // The basket is opened, and its lists run, for the customer the opener
    // gives (setCustomer); a checkout shown without one opens for nobody.
    m_db.setupViewDeferred(map, ui->tableView, kServiceView, QString());
    m_db.setupViewDeferred(map, ui->tableView_2, kProductView, QString());
    ui->tableView_3->setItemDelegate(new PackageExpiryDelegate(ui->tableView_3));
    m_db.setupDeclaredView(map, ui->tableView_3, kPackageView);
    m_db.fillCombo(ui->comboBox, QStringLiteral("付款方式"), QStringLiteral("xml"));

    ui->label_26->setStyleSheet(QStringLiteral("#label_26{color:rgb(255,0,0)}"));
    ui->label_30->setStyleSheet(QStringLiteral("#label_30{color:rgb(255,100,0)}"));
    ui->label_7->setStyleSheet(QStringLiteral("#label_7{color:rgb(100,250,0)}"));

    // Any amount from nothing up; a minus sign is never accepted.
    auto *validator = new QDoubleValidator(0.0, 1.0e9, 2, ui->lineEdit_4);
    validator->setNotation(QDoubleValidator::StandardNotation);
    QLocale plain = QLocale::c();
    plain.setNumberOptions(QLocale::RejectGroupSeparator);
    validator->setLocale(plain);
    ui->lineEdit_4->setValidator(validator);

    ui->lineEdit->setText(QStringLiteral("0.00"));
    // No sign-bill discount is given at this counter.
    ui->label_24->setText(QStringLiteral("0.00"));
    ui->label_26->setText(QStringLiteral("0.00"));
    ui->lineEdit_4->setText(QStringLiteral("0.00"));
    ui->label_30->clear();
    connect(ui->lineEdit_4, &QLineEdit::textEdited, this, [this] { m_paidTyped = true; });
    ui->toolButton_4->hide();
    ui->toolButton_7->hide();
    setupKeys();
    // The member's allergies and warnings from the visit notes, above the lines.
    ui->verticalLayout->insertWidget(1, new VisitWarningLabel(this));
    updateButtons();
    ui->lineEdit_2->setFocus();
}

AddXiaofeiDlg::~AddXiaofeiDlg()
{
    // Closed without selling, holding or discarding it: the held bill is
    // offered again as it was held.
    if (!m_resumedFrom.isEmpty())
        HeldBills::release(m_resumedFrom, m_basket.saleId());
    qDeleteAll(m_pickers);
    m_basket.close();
    m_db.clearViews();
    delete ui;
}

void AddXiaofeiDlg::setHuiyuanInfo(const QStringList &info)
{
    QLabel *labels[] = {ui->label_12, ui->label_10, ui->label_8, ui->label_11, ui->label_9, ui->label_7};
    for (int i = 0; i < info.size() && i < 6; ++i)
        labels[i]->setText(info.at(i));
    // 累计消费 and 卡内余额 are money; the walk-in customer has neither.
    const bool walkIn = ui->label_12->text() == QLatin1String(kWalkInId);
    for (QLabel *money : {ui->label_11, ui->label_7}) {
        const MoneyInput m = parseMoneyInput(money->text(), QString(), true);
        money->setText(walkIn || money->text().isEmpty() ? QString() : m.ok ? centsShown(m.cents) : money->text());
    }
    if (walkIn)
        ui->label_9->clear();

    const QString id = ui->label_12->text();
    findChild<VisitWarningLabel *>(QStringLiteral("label_visitWarnings"))->showFor(id);
    m_basket.open(id);
    m_opened = true;
    refreshAll();

    if (id == QStringLiteral("0000") && ui->label_10->text() == QStringLiteral("散客"))
        ui->comboBox->setCurrentText(QStringLiteral("支付宝"));
    updateButtons();
}

void AddXiaofeiDlg::setCustomer(const MemberSummary &c)
{
    if (c.walkIn)
        setHuiyuanInfo({c.id, c.name, QStringLiteral("00"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0")});
    else
        setHuiyuanInfo({c.id, c.name, c.cardType, centsText(c.spentCents), numberText(c.points), centsText(c.balanceCents)});
}

void AddXiaofeiDlg::openPicker(const QString &mode, const QString &typed)
{
    // One picker per kind for the whole checkout: built, laid out and its
    // list sized once, not at every line.
    shangpinDlg *&picker = m_pickers[mode];
    if (!picker) {
        picker = new shangpinDlg;
        connect(picker, &shangpinDlg::DlgSend, this, &AddXiaofeiDlg::DlgRecv);
    }
    picker->setup(ui->label_8->text(), mode, m_saleId, typed);
    picker->exec();
}

// Enter in 项目编号或名称 / 产品编号或名称: a code or barcode of one item adds
// it at once with quantity 1 (a scanner types the digits and Enter); any other
// text opens the picker with the matches.
void AddXiaofeiDlg::scanned(const QString &mode, QLineEdit *field)
{
    const QString typed = field->text().trimmed();
    bool added = false;
    if (!typed.isEmpty()) {
        shangpinDlg quick;
        connect(&quick, &shangpinDlg::DlgSend, this, &AddXiaofeiDlg::DlgRecv);
        quick.setup(ui->label_8->text(), mode, m_saleId, typed);
        added = quick.addByCode(typed);
    }
    if (!added)
        openPicker(mode, typed);
    field->clear();
    field->setFocus();
}

void AddXiaofeiDlg::setupKeys()
{
    connect(ui->lineEdit_2, &QLineEdit::returnPressed, this,
            [this] { scanned(QStringLiteral("服务项目选择"), ui->lineEdit_2); });
    connect(ui->lineEdit_3, &QLineEdit::returnPressed, this,
            [this] { scanned(QStringLiteral("产品选择"), ui->lineEdit_3); });
    ui->lineEdit_2->setPlaceholderText(QStringLiteral("编号或拼音首字母，回车添加（F2）"));
    ui->lineEdit_3->setPlaceholderText(QStringLiteral("编号、条码或拼音首字母，回车添加（F3）"));
    // Enter in 支付 checks out, as 结账 does.
    connect(ui->lineEdit_4, &QLineEdit::returnPressed, this, [this] {
        if (ui->toolButton_10->isEnabled())
            on_toolButton_10_clicked();
    });
    auto focusSearch = [this](int tab, QLineEdit *field) {
        return [this, tab, field] {
            ui->tabWidget->setCurrentIndex(tab);
            field->setFocus();
            field->selectAll();
        };
    };
    connect(new QShortcut(QKeySequence(Qt::Key_F2), this), &QShortcut::activated, this, focusSearch(0, ui->lineEdit_2));
    connect(new QShortcut(QKeySequence(Qt::Key_F3), this), &QShortcut::activated, this, focusSearch(1, ui->lineEdit_3));
    connect(new QShortcut(QKeySequence(Qt::Key_F4), this), &QShortcut::activated, this, [this] {
        ui->lineEdit_4->setFocus();
        ui->lineEdit_4->selectAll();
    });
    const struct
    {
        QToolButton *button;
        Qt::Key key;
        const char *what;
    } keys[] = {
        {ui->toolButton_10, Qt::Key_F10, "结账"},
        {ui->toolButton_11, Qt::Key_F11, "联合结账"},
        {ui->toolButton, Qt::Key_F8, "挂单"},
    };
    for (const auto &k : keys) {
        k.button->setShortcut(QKeySequence(k.key));
        k.button->setToolTip(QStringLiteral("%1（%2）").arg(QString::fromUtf8(k.what), QKeySequence(k.key).toString()));
    }
    // The add buttons sit on their tabs; their keys work from any tab.
    connect(new QShortcut(QKeySequence(Qt::Key_F5), this), &QShortcut::activated, this, [this] {
        ui->tabWidget->setCurrentIndex(0);
        on_toolButton_3_clicked();
    });
    connect(new QShortcut(QKeySequence(Qt::Key_F6), this), &QShortcut::activated, this, [this] {
        ui->tabWidget->setCurrentIndex(1);
        on_toolButton_6_clicked();
    });
    // F7: the member's packages; Enter on one records a use, as a double click does.
    connect(new QShortcut(QKeySequence(Qt::Key_F7), this), &QShortcut::activated, this, [this] {
        ui->tabWidget->setCurrentIndex(2);
        ui->tableView_3->setFocus();
        if (!ui->tableView_3->currentIndex().isValid() && m_db.viewRowCount(kPackageView) > 0)
            ui->tableView_3->selectRow(0);
    });
    for (const Qt::Key enter : {Qt::Key_Return, Qt::Key_Enter})
        connect(new QShortcut(QKeySequence(enter), ui->tableView_3, nullptr, nullptr, Qt::WidgetShortcut),
                &QShortcut::activated, this, [this] { on_tableView_3_doubleClicked(ui->tableView_3->currentIndex()); });
    ui->label_31->setText(QStringLiteral("双击或回车选择需要的项目（F7 到套餐列表）"));
    ui->toolButton_3->setToolTip(QStringLiteral("添加服务项目（F5）"));
    ui->toolButton_6->setToolTip(QStringLiteral("添加产品（F6）"));
    ui->toolButton_2->setToolTip(QStringLiteral("取消（Esc）"));
    ui->toolButton_5->setToolTip(QStringLiteral("删除选中的服务项目（Delete）"));
    ui->toolButton_8->setToolTip(QStringLiteral("删除选中的产品（Delete）"));
    ui->lineEdit_4->setToolTip(QStringLiteral("支付金额（F4），回车结账"));
    connect(new QShortcut(QKeySequence(QKeySequence::Delete), ui->tableView), &QShortcut::activated, this,
            &AddXiaofeiDlg::on_toolButton_5_clicked);
    connect(new QShortcut(QKeySequence(QKeySequence::Delete), ui->tableView_2), &QShortcut::activated, this,
            &AddXiaofeiDlg::on_toolButton_8_clicked);
}

// A card past its expiry date is told before its balance pays.
bool AddXiaofeiDlg::cardExpiredRefused(qint64 cardCents)
{
    if (cardCents <= 0)
        return false;
    const QString expiry = MemberSummary::cardExpiry(ui->label_12->text());
    if (expiry.size() < 10 || expiry.left(10) >= ctrlUiClass::todayText())
        return false;
    return !ctrlUiClass::askYesNo(
        QStringLiteral("会员卡已于%1到期，仍要用卡内余额付款吗？").arg(expiry.left(10)), this);
}

void AddXiaofeiDlg::on_toolButton_3_clicked()
{
    openPicker(QStringLiteral("服务项目选择"));
}

void AddXiaofeiDlg::on_toolButton_6_clicked()
{
    openPicker(QStringLiteral("产品选择"));
}

void AddXiaofeiDlg::on_tableView_3_doubleClicked(const QModelIndex &)
{
    QStringList row = m_db.currentRowValues(kPackageView);
    if (row.isEmpty())
        return;
    // Said before the line is added: the sale would refuse the use at the end.
    const QString expired = PackageExpiry::whyNot(ui->label_12->text(), row.first());
    if (!expired.isEmpty()) {
        ctrlUiClass::showInfo(expired, this);
        return;
    }
    row << ui->label_8->text();
    auto *editor = new FuwuxiaofeiDlg;
    connect(editor, &FuwuxiaofeiDlg::DlgSend, this, &AddXiaofeiDlg::DlgRecv);
    editor->setup(row, QStringLiteral("套餐消费"), m_saleId);
    editor->exec();
    delete editor;
}

void AddXiaofeiDlg::DlgRecv(QString key, QVariant value)
{
    if (key == QStringLiteral("刷新数据")) {
        refreshLines(value.toString());
    } else if (key == QStringLiteral("套餐消费刷新数据")) {
        refreshPackages();
    } else if (key == QStringLiteral("联合付款")) {
        if (value.canConvert<redbctrlstruct>() && value.userType() == qMetaTypeId<redbctrlstruct>()) {
            const redbctrlstruct reply = value.value<redbctrlstruct>();
            Payment payment;
            payment.combined = true;
            payment.unpaid = reply.table;
            payment.methods = reply.fields;
            payment.amounts = reply.values;
            m_committed = commitSale(payment);
            // The payment dialog keeps the cashier's amounts when the sale is refused.
            if (!m_committed) {
                if (auto *pay = qobject_cast<lianhefukuanDlg *>(sender()))
                    pay->keepOpen();
            }
        }
    } else {
        emit DlgSend(key, value);
    }
    updateButtons();
}

void AddXiaofeiDlg::showEvent(QShowEvent *event)
{
    if (!m_opened) {
        m_opened = true;
        m_basket.open(QString());
        refreshAll();
        updateButtons();
    }
    QDialog::showEvent(event);
}

// Every list of the basket, then its totals once.
void AddXiaofeiDlg::refreshAll()
{
    m_db.refreshView(kServiceView, QString());
    m_db.refreshView(kProductView, QString());
    hideLineKeys();
    m_db.refreshView(kPackageView, ViewFilter());
    refreshTotals();
}

// The line key tells two lines of one item apart; the cashier never needs to
// see it. Hidden once the lists have their columns.
void AddXiaofeiDlg::hideLineKeys()
{
    ui->tableView->setColumnHidden(kLineKeyColumn, true);
    ui->tableView_2->setColumnHidden(kLineKeyColumn, true);
}

// A line of one kind changes only its own list; without a kind, both.
void AddXiaofeiDlg::refreshLines(const QString &type)
{
    if (type != QStringLiteral("产品"))
        m_db.refreshView(kServiceView, QString());
    if (type != QStringLiteral("服务项目"))
        m_db.refreshView(kProductView, QString());
    hideLineKeys();
    refreshTotals();
}

void AddXiaofeiDlg::refreshPackages()
{
    m_db.refreshView(kPackageView, ViewFilter());
    refreshTotals();
}

// Every total is taken from the lines as they stand, so a deleted line never
// leaves its amount behind in the receivable.
void AddXiaofeiDlg::refreshTotals()
{
    const BasketTotals totals = m_basket.totals();
    const qint64 services = totals.servicesCents;
    const qint64 products = totals.productsCents;
    const qint64 money = totals.moneyCents;
    const qint64 uses = totals.uses;
    const bool anyMoneyLine = totals.moneyLines > 0;
    ui->label_17->setText(services > 0 ? centsShown(services) : QString());
    ui->label_18->setText(products > 0 ? centsShown(products) : QString());
    ui->label_19->setText(uses > 0 ? QString::number(uses) : QString());
    // A sale of package uses only shows the uses in 合计; any money line shows money.
    ui->label_20->setText(anyMoneyLine ? centsShown(money) : (uses > 0 ? QString::number(uses) : QString()));
    ui->lineEdit->setText(centsShown(money));
    ui->label_26->setText(centsShown(money));
    if (!m_paidTyped) {
        const QSignalBlocker quiet(ui->lineEdit_4);
        ui->lineEdit_4->setText(centsShown(qMax<qint64>(0, money - parseMoneyInput(ui->label_24->text(), QString()).cents)));
    }
    on_lineEdit_4_textChanged(ui->lineEdit_4->text());
}

void AddXiaofeiDlg::updateButtons()
{
    const bool any = !m_basket.isEmpty();
    // A sale whose answer was lost took its lines with it if it landed: 结账
    // is how the cashier learns which.
    ui->toolButton_10->setEnabled(any || SaleWriter::awaitsOutcome(m_basket.saleId()));
    ui->toolButton_11->setEnabled(any);
    ui->toolButton->setEnabled(any);
}

void AddXiaofeiDlg::deleteLine(const QString &viewName)
{
    const QStringList row = m_db.currentRowValues(viewName);
    if (row.size() <= kLineKeyColumn)
        return;
    if (!ctrlUiClass::askYesNo(QStringLiteral("你确定要删除'") + row.at(1) + QStringLiteral("' ?"), this))
        return;
    if (!m_basket.removeLine(row.at(kLineKeyColumn)))
        ctrlUiClass::showInfo(LedgerSql::failureText(QStringLiteral("删除消费项目失败"), LedgerSql::lastError()), this);
    refreshAll();
    updateButtons();
}

void AddXiaofeiDlg::on_toolButton_5_clicked()
{
    deleteLine(kServiceView);
}

void AddXiaofeiDlg::on_toolButton_8_clicked()
{
    deleteLine(kProductView);
}

void AddXiaofeiDlg::on_lineEdit_4_textChanged(const QString &text)
{
    const qint64 paid = parseMoneyInput(text, QString()).cents;
    const qint64 receivable = parseMoneyInput(ui->label_26->text(), QString()).cents;
    if (receivable <= 0 && paid <= 0)
        ui->label_30->clear();
    else if (paid >= receivable)
        ui->label_30->setText(centsShown(paid - receivable));
    else
        ui->label_30->setText(QStringLiteral("欠款") + centsShown(receivable - paid));
}

void AddXiaofeiDlg::on_toolButton_10_clicked()
{
    m_committed = commitSale(Payment());
    if (m_committed)
        accept();
}

void AddXiaofeiDlg::on_toolButton_11_clicked()
{
    if (m_basket.moneyCents() <= 0) {
        ctrlUiClass::showInfo(QStringLiteral("消费金额为零或消费的是套餐不需要联合结账"), this);
        return;
    }
    m_committed = false;
    auto *pay = new lianhefukuanDlg;
    connect(pay, &lianhefukuanDlg::DlgSend, this, &AddXiaofeiDlg::DlgRecv);
    pay->setData(QStringList{ui->lineEdit->text(), ui->lineEdit->text(),
                             QStringLiteral("会员卡号：") + ui->label_12->text(), ui->label_7->text()});
    pay->exec();
    delete pay;
    if (m_committed)
        accept();
}

void AddXiaofeiDlg::on_toolButton_2_clicked()
{
    reject();
}

void AddXiaofeiDlg::on_toolButton_clicked()
{
    if (holdBill())
        accept();
}

bool AddXiaofeiDlg::holdBill()
{
    const bool empty = m_basket.isEmpty();
    const QString unreachable = LedgerSql::unreachableText(QStringLiteral("挂单失败"));
    if (!unreachable.isEmpty()) {
        ctrlUiClass::showInfo(unreachable, this);
        return false;
    }
    if (empty) {
        ctrlUiClass::showInfo(QStringLiteral("请先添加消费项目"), this);
        return false;
    }
    const LedgerResult held = HeldBills::hold(m_basket.saleId(), ui->label_12->text(), ui->label_10->text(),
                                              operatorSession().name, m_resumedFrom, m_bookingId);
    if (!held.ok) {
        ctrlUiClass::showInfo(held.error, this);
        refreshAll();
        updateButtons();
        return false;
    }
    m_heldId = held.documentId;
    m_resumedFrom.clear();
    return true;
}

LedgerResult AddXiaofeiDlg::takeBooking(const QString &bookingId)
{
    const LedgerResult taken =
        BookingCheckout::fill(m_basket, bookingId, ui->label_12->text(), ui->label_8->text(), operatorSession().name);
    if (taken.ok)
        m_bookingId = bookingId;
    m_basket.recountUses();
    refreshAll();
    updateButtons();
    return taken;
}

LedgerResult AddXiaofeiDlg::resumeHeld(const QString &heldId)
{
    ResumeChanges changes;
    const LedgerResult resumed =
        HeldBills::resume(heldId, m_basket.saleId(), operatorSession().name, &changes, ui->label_12->text());
    m_basket.recountUses();
    refreshAll();
    updateButtons();
    if (!resumed.ok)
        return resumed;
    m_resumedFrom = heldId;
    // Another desk offers the bill again only when this checkout stops saying
    // it is still working on it.
    if (!m_keepTaken) {
        m_keepTaken = new QTimer(this);
        connect(m_keepTaken, &QTimer::timeout, this, [this] {
            if (!m_resumedFrom.isEmpty())
                HeldBills::keepTaken(m_resumedFrom, m_basket.saleId());
        });
    }
    m_keepTaken->start(HeldBills::kKeepAliveSecs * 1000);
    if (!changes.isEmpty())
        ctrlUiClass::showInfo(changes.text(), this);
    return resumed;
}

void AddXiaofeiDlg::reject()
{
    // Escape, 取消 and the window's close button all come here: a bill with
    // lines is never dropped without the cashier saying so.
    if (!m_committed && m_heldId.isEmpty() && !m_basket.isEmpty()) {
        const int answer = Prompt::ask({QStringLiteral("警告"),
                                        QStringLiteral("本单还有未结账的消费项目，要挂单保存、放弃本单，还是返回继续？"),
                                        {QStringLiteral("挂单"), QStringLiteral("放弃"), QStringLiteral("返回")},
                                        this});
        if (answer == 0) {
            if (holdBill())
                accept();
            return;
        }
        if (answer != 1)
            return;
        // A held bill taken up and thrown away is gone for good.
        if (!m_resumedFrom.isEmpty()) {
            // A bill another checkout has taken meanwhile, or sold, is not this
            // one's to throw away: only the basket goes.
            const auto stillOurs = [this] {
                HeldBill bill;
                return HeldBills::find(m_resumedFrom, &bill)
                       && (bill.takenBy.isEmpty() || bill.takenBy == m_basket.saleId());
            };
            if (stillOurs()) {
                // Throwing a held bill away needs the same authoriser here as
                // in the held-bill list, or resuming it first would be a way round.
                const QString by = shouquandlg::authorizer(this);
                if (by.isEmpty())
                    return;
                const LedgerResult gone =
                    HeldBills::discard(m_resumedFrom, operatorSession().name, by, m_basket.saleId());
                if (!gone.ok && stillOurs()) {
                    ctrlUiClass::showInfo(gone.error, this);
                    return;
                }
            }
            m_resumedFrom.clear();
        }
        // Thrown away at once, not when the window is gone.
        m_basket.clear();
    }
    QDialog::reject();
}

void AddXiaofeiDlg::on_toolButton_7_clicked()
{
}

// Builds the sale from the basket and the payment and hands it to the sale
// writer, which checks it again and writes all of it or nothing; on a refusal
// the checkout stays open with its lines.
bool AddXiaofeiDlg::commitSale(const Payment &payment)
{
    const QString id = ui->label_12->text();
    const bool walkIn = id == QLatin1String(kWalkInId) || ui->label_10->text() == QStringLiteral("散客");

    // A sale whose last answer was lost is settled before the basket is
    // looked at: one that landed took its lines with it.
    if (const std::optional<LedgerResult> earlier = SaleWriter::settle(m_basket.saleId())) {
        if (!earlier->ok) {
            ctrlUiClass::showInfo(earlier->error, this);
            return false;
        }
        return saleSaved(*earlier);
    }
    Sale sale = m_basket.toSale();
    // The lines could not be read: the basket is kept, not empty.
    const QString unreachable = LedgerSql::unreachableText(QStringLiteral("保存消费记录失败"));
    if (!unreachable.isEmpty()) {
        ctrlUiClass::showInfo(unreachable, this);
        return false;
    }
    if (sale.lines.isEmpty()) {
        ctrlUiClass::showInfo(QStringLiteral("请先添加消费项目"), this);
        return false;
    }
    sale.memberId = walkIn ? QString::fromUtf8(kWalkInId) : id;
    sale.operatorName = operatorSession().name;
    sale.bookingId = m_bookingId;
    sale.lineMethod = ui->comboBox->currentText();
    sale.heldBillId = m_resumedFrom;
    sale.signBillCents = parseMoneyInput(ui->label_24->text(), QString()).cents;
    const qint64 receivable = m_basket.moneyCents() - sale.signBillCents;

    if (!payment.combined) {
        const MoneyInput paid = parseMoneyInput(ui->lineEdit_4->text(), QStringLiteral("支付金额"));
        if (!paid.ok) {
            ctrlUiClass::showInfo(paid.notNumber ? QStringLiteral("支付金额必须是不小于0的数字") : paid.error, this);
            return false;
        }
        if (paid.cents < receivable) {
            if (walkIn) {
                ctrlUiClass::showInfo(QStringLiteral("散客不能欠费"), this);
                return false;
            }
            sale.debtCents = receivable - paid.cents;
            if (!ctrlUiClass::askYesNoDefaultNo(QStringLiteral("欠款") + centsShown(sale.debtCents) + QStringLiteral(",确定吗"),
                                       this))
                return false;
        }
        // Change goes back to the customer: the takings (and a card debit) are
        // what the sale costs, never more.
        sale.payments << PaymentPart{sale.lineMethod, qMin(paid.cents, receivable)};
        m_tenderedCents = paid.cents;
    } else {
        m_tenderedCents = -1;
        const MoneyInput unpaid = parseMoneyInput(payment.unpaid, QStringLiteral("欠款金额"));
        if (!unpaid.ok) {
            ctrlUiClass::showInfo(unpaid.error, this);
            return false;
        }
        if (payment.methods.isEmpty() || payment.methods.size() != payment.amounts.size()) {
            ctrlUiClass::showInfo(QStringLiteral("请至少选择一种付款方式"), this);
            return false;
        }
        for (int i = 0; i < payment.methods.size(); ++i) {
            const MoneyInput amount = parseMoneyInput(payment.amounts.at(i), payment.methods.at(i) + QStringLiteral("付款金额"));
            if (!amount.ok) {
                ctrlUiClass::showInfo(amount.error, this);
                return false;
            }
            sale.payments << PaymentPart{payment.methods.at(i), amount.cents};
        }
        sale.debtCents = unpaid.cents;
    }

    qint64 cardCents = 0;
    for (const PaymentPart &p : qAsConst(sale.payments))
        if (p.method == QString::fromUtf8(kCardMethod))
            cardCents += p.cents;
    if (!walkIn && cardExpiredRefused(cardCents))
        return false;

    // 代金券: the number of each voucher paid with.
    if (!daijinquanhaodlg::askNumbers(this, &sale.payments))
        return false;
    const LedgerResult result = SaleWriter::commit(sale);
    if (!result.ok) {
        ctrlUiClass::showInfo(result.error, this);
        refreshAll();
        updateButtons();
        return false;
    }
    return saleSaved(result);
}

bool AddXiaofeiDlg::saleSaved(const LedgerResult &result)
{
    // Saved at an earlier try whose answer was lost: the cashier hears it
    // before the checkout closes as after any sale.
    if (!result.notice.isEmpty())
        ctrlUiClass::showInfo(result.notice, this);
    m_saleId = result.documentId;
    m_resumedFrom.clear(); // sold with the sale
    dbctrlstruct refresh;
    refresh.table = QStringLiteral("huiyuanxiaofei");
    emit DlgSend(QStringLiteral("刷新数据列表"), QVariant::fromValue(refresh));
    return true;
}
