#include "fuwuxiaofeidlg.h"
#include "ui_fuwuxiaofeidlg.h"

#include "addtichengdlg.h"
#include "operatorsession.h"
#include "accountbooks.h"
#include "amounts.h"
#include "lineprices.h"
#include "sqltext.h"

#include <QShortcut>
#include <QThread>
#include <cmath>

namespace {

// Line keys tell the commission rows of one line from those of the next; two
// editors opened within the same millisecond must not share one.
QString uniqueSerial()
{
    static QString last;
    QString key = ctrlUiClass::serialNow();
    while (key <= last) {
        QThread::usleep(200);
        key = ctrlUiClass::serialNow();
    }
    last = key;
    return key;
}

// Whole positive number typed by the cashier; anything else is 0.
int wholeNumber(const QString &text)
{
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    return ok ? n : 0;
}

} // namespace

FuwuxiaofeiDlg::FuwuxiaofeiDlg(QWidget *parent)
    : QDialog(parent), ui(new Ui::FuwuxiaofeiDlg)
{
    ui->setupUi(this);
    createWorkingTable(QStringLiteral("temptichengmingxi_db"));
    m_db.setupDeclaredView(readDbset(), ui->tableView, QStringLiteral("提成明细临时表"));
    // Enter in the price or the quantity saves the line, as 保存 does.
    connect(ui->lineEdit_3, &QLineEdit::returnPressed, this, &FuwuxiaofeiDlg::on_toolButton_4_clicked);
    connect(ui->lineEdit_4, &QLineEdit::returnPressed, this, &FuwuxiaofeiDlg::on_toolButton_4_clicked);
    ui->toolButton_4->setToolTip(QStringLiteral("保存（回车）"));
    ui->toolButton_5->setToolTip(QStringLiteral("退出（Esc）"));
    // F2 adds the stylist or assistant who served this line.
    connect(new QShortcut(QKeySequence(Qt::Key_F2), this), &QShortcut::activated, this,
            &FuwuxiaofeiDlg::on_toolButton_clicked);
    ui->toolButton->setToolTip(QStringLiteral("添加服务员工（F2）"));
}

FuwuxiaofeiDlg::~FuwuxiaofeiDlg()
{
    m_db.clearViews();
    delete ui;
}

QString FuwuxiaofeiDlg::lineType() const
{
    if (m_mode == QStringLiteral("产品选择"))
        return QStringLiteral("产品");
    if (packageMode())
        return QStringLiteral("套餐消费");
    return QStringLiteral("服务项目");
}

void FuwuxiaofeiDlg::setup(const QStringList &row, const QString &mode, const QString &saleId)
{
    // Every setup begins a line of its own: a picker sets its editor up again
    // for the next line, with a new key for its commission rows.
    m_lineKey = uniqueSerial();
    m_saved = false;
    m_mode = mode;
    m_saleId = saleId;
    m_basket = Basket(saleId);
    // The fields are filled first; the total and the commission list follow once.
    m_filling = true;
    m_cardName = row.isEmpty() ? QString() : row.last();

    if (row.size() > 2) {
        ui->label_2->setText(row.at(0));
        ui->label_4->setText(row.at(1));
    }

    // The right to change a sale's unit price decides whether 优惠价 is typed.
    ui->lineEdit_3->setReadOnly(operatorSession().xiugaixiaoshoudanjia == QStringLiteral("否"));

    if (packageMode()) {
        if (row.size() > 3) {
            ui->lineEdit_5->setText(row.at(3));
            ui->label_6->setText(row.at(2));
        }
        ui->label_5->setText(QStringLiteral("总次数"));
        ui->label_11->setText(QStringLiteral("剩余次数"));
        ui->lineEdit_4->setText(QStringLiteral("1"));
        applyOffer(-1);
        ui->lineEdit_4->selectAll();
        ui->lineEdit_4->setFocus();
        m_filling = false;
        refreshEmployees();
        return;
    }

    // The picked row's price stands for an item no longer on file.
    applyOffer(yuanToCents(parseNumber(row.value(3))));
    m_offeredCents = parseMoneyInput(ui->lineEdit_3->text(), QString()).cents;
    // One is what a counter sells most; the cashier types over it.
    ui->lineEdit_4->setText(QStringLiteral("1"));
    ui->lineEdit_4->selectAll();
    ui->lineEdit_4->setFocus();
    m_filling = false;
    recomputeTotal();
}

bool FuwuxiaofeiDlg::addAtOnce()
{
    ui->lineEdit_4->setText(QStringLiteral("1"));
    on_toolButton_4_clicked();
    return m_saved;
}

QString FuwuxiaofeiDlg::priceAndStockRefusal(qint64 listCents, qint64 unitCents, int quantity)
{
    const OperatorSession &op = operatorSession();
    const bool product = lineType() == QStringLiteral("产品");
    const qint64 floorCents = m_offer.floorCents;
    if (floorCents > 0 && unitCents < floorCents && op.tupodijia != QStringLiteral("是"))
        return QStringLiteral("优惠价%1低于该项目的底价%2，你没有突破底价的权限")
            .arg(centsText(unitCents), centsText(floorCents));
    // The lowest discount bounds what the operator gives by hand, not what the
    // card or a promotion gives.
    const double lowest = double(op.zuidizekou);
    if (lowest > 0 && lowest < 1 && listCents > 0 && unitCents < m_offeredCents
        && double(unitCents) < double(listCents) * lowest - 0.5)
        return QStringLiteral("折扣低于你的最低折扣%1，不能保存").arg(numberText(lowest));
    if (product) {
        const double stock = StockBook::onHand(ui->label_2->text());
        const double inBasket = Basket(m_saleId).quantityOf(QStringLiteral("产品"), ui->label_2->text());
        const double left = stock - inBasket;
        if (quantity > left + 1e-9
            && !ctrlUiClass::askYesNo(QStringLiteral("产品'%1'库存只有%2，仍要卖出%3吗？")
                                          .arg(ui->label_4->text(), numberText(qMax(0.0, left)))
                                          .arg(quantity),
                                      this))
            return QStringLiteral("-"); // the cashier said no: nothing to tell
    }
    return QString();
}

// The price every checkout path offers (a promotion for the item, its name
// and the card type, else the card's discount), shown with its factor.
void FuwuxiaofeiDlg::applyOffer(qint64 pickedListCents)
{
    const QString itemId = ui->label_2->text();
    const QString name = ui->label_4->text();
    m_offer = LinePrices::offer(lineType(), itemId, name, m_cardName);
    if (!m_offer.found && pickedListCents >= 0)
        m_offer = LinePrices::offerAt(lineType(), itemId, name, m_cardName, pickedListCents);
    if (m_offer.found || pickedListCents >= 0)
        ui->lineEdit->setText(moneyText(centsToYuan(m_offer.listCents)));
    ui->lineEdit_2->setText(m_offer.discountText);
    ui->lineEdit_3->setText(moneyText(centsToYuan(m_offer.unitCents)));
    if (!packageMode())
        ui->label_6->setText(!m_offer.promoted          ? QStringLiteral("无")
                             : m_offer.promotionKind.isEmpty() ? QStringLiteral("促销")
                                                               : m_offer.promotionKind);
}

qint64 FuwuxiaofeiDlg::lineAmountCents() const
{
    const MoneyInput unit = parseMoneyInput(ui->lineEdit_3->text(), QString());
    if (!unit.ok)
        return 0;
    // Before a quantity is typed the line is one unit.
    const int quantity = ui->lineEdit_4->text().trimmed().isEmpty() ? 1 : wholeNumber(ui->lineEdit_4->text());
    return quantity > 0 ? unit.cents * quantity : 0;
}

// The total and every proportional commission follow the price and quantity
// as they are typed: quantity 2 earns twice the commission of 1.
void FuwuxiaofeiDlg::recomputeTotal()
{
    if (packageMode() || m_filling)
        return;
    const qint64 amount = lineAmountCents();
    const qint64 shown = wholeNumber(ui->lineEdit_4->text()) > 0 ? amount : 0;
    ui->lineEdit_5->setText(QString::number(double(shown) / 100.0, 'f', 2));
    m_basket.rescaleCommissions(m_lineKey, amount);
    refreshEmployees();
}

void FuwuxiaofeiDlg::on_lineEdit_3_textChanged(const QString &)
{
    recomputeTotal();
}

void FuwuxiaofeiDlg::on_lineEdit_4_textChanged(const QString &)
{
    recomputeTotal();
}

void FuwuxiaofeiDlg::refreshEmployees()
{
    m_db.refreshView(QStringLiteral("提成明细临时表"), ViewFilter(QStringLiteral("a.titleID=?"), {m_lineKey}));
}

void FuwuxiaofeiDlg::on_toolButton_clicked()
{
    auto *dlg = new addtichengDlg;
    connect(dlg, &addtichengDlg::DlgSend, this, &FuwuxiaofeiDlg::DlgRecv);
    // A package use earns its commission on the item's price.
    const qint64 base = packageMode() ? parseMoneyInput(ui->lineEdit_3->text(), QString()).cents : lineAmountCents();
    dlg->setup(packageMode() ? QStringLiteral("服务项目选择") : m_mode, ui->label_2->text(), base,
               ui->label_4->text(), m_saleId, m_lineKey);
    dlg->exec();
    delete dlg;
}

// Takes an employee off this line again.
void FuwuxiaofeiDlg::on_toolButton_3_clicked()
{
    const QStringList row = m_db.currentRowValues(QStringLiteral("提成明细临时表"));
    if (row.isEmpty())
        return;
    if (!ctrlUiClass::askYesNo(QStringLiteral("你确定要删除'") + row.value(1) + QStringLiteral("'的提成吗?"), this))
        return;
    m_basket.removeCommission(m_lineKey, row.first());
    refreshEmployees();
}

void FuwuxiaofeiDlg::on_groupBox_3_clicked()
{
    on_toolButton_clicked();
}

void FuwuxiaofeiDlg::DlgRecv(QString key, QVariant value)
{
    if (key == QStringLiteral("员工提成")) {
        refreshEmployees();
        return;
    }
    emit DlgSend(key, value);
}

void FuwuxiaofeiDlg::on_toolButton_4_clicked()
{
    if (m_saved)
        return;
    const QString itemId = ui->label_2->text();
    if (itemId.isEmpty()) {
        ctrlUiClass::showInfo(QStringLiteral("请先选择一个项目"), this);
        return;
    }
    const MoneyInput unit = parseMoneyInput(ui->lineEdit_3->text(), QStringLiteral("优惠价"), true);
    if (!unit.ok && !unit.notNumber) {
        ctrlUiClass::showInfo(unit.error, this);
        return;
    }
    if (!unit.ok || unit.cents < 0 || ui->lineEdit_3->text().trimmed().isEmpty()) {
        ctrlUiClass::showInfo(QStringLiteral("优惠价必须是不小于0的数字"), this);
        return;
    }
    const CountInput count = parseCountInput(ui->lineEdit_4->text(), QStringLiteral("数量"), 0);
    if (!count.ok || count.value <= 0) {
        // Only a bound has a sentence of its own; every other slip gets the hint.
        ctrlUiClass::showInfo(count.tooLarge ? count.error : QStringLiteral("数量必须是大于0的整数"), this);
        return;
    }
    const int quantity = int(count.value);

    if (!packageMode()) {
        const QString refused =
            priceAndStockRefusal(parseMoneyInput(ui->lineEdit->text(), QString()).cents, unit.cents, quantity);
        if (!refused.isEmpty()) {
            if (refused != QStringLiteral("-"))
                ctrlUiClass::showInfo(refused, this);
            return;
        }
    }

    SaleLine line;
    line.key = m_lineKey;
    line.type = lineType();
    line.itemId = itemId;
    line.name = ui->label_4->text();
    line.listCents = parseMoneyInput(ui->lineEdit->text(), QString()).cents;
    line.unitCents = unit.cents;
    line.quantity = quantity;
    line.points = centsToYuan(line.listCents);
    line.enteredBy = operatorSession().name;
    // The line names its commission employee only when it has exactly one.
    const QList<CommissionRow> staff = m_basket.commissions(m_lineKey);
    if (staff.size() == 1)
        line.employeeId = staff.first().employeeId;

    const LedgerResult added = m_basket.addLine(line);
    if (!added.ok) {
        ctrlUiClass::showInfo(added.error, this);
        if (packageMode()) {
            m_basket.dropCommissions(m_lineKey);
            QDialog::reject();
        }
        return;
    }
    m_saved = true;
    // The line's kind tells the checkout which of its lists changed.
    emit DlgSend(packageMode() ? QStringLiteral("套餐消费刷新数据") : QStringLiteral("刷新数据"), line.type);
    accept();
}

void FuwuxiaofeiDlg::on_toolButton_5_clicked()
{
    reject();
}

void FuwuxiaofeiDlg::reject()
{
    // Employees already chosen would be lost: ask first.
    if (!m_saved && !m_basket.commissions(m_lineKey).isEmpty()
        && !ctrlUiClass::askYesNo(QStringLiteral("这一行还没有保存，确定放弃吗？"), this))
        return;
    // A line that was never added earns nobody a commission.
    if (!m_saved)
        m_basket.dropCommissions(m_lineKey);
    QDialog::reject();
}
