#include "addtichengdlg.h"
#include "ui_addtichengdlg.h"

#include "dialogkeys.h"

#include "huiyuandlg.h"
#include "amounts.h"
#include "basket.h"
#include "ledgersql.h"
#include "commissionrules.h"
#include "sqltext.h"

#include <QShortcut>

addtichengDlg::addtichengDlg(QWidget *parent)
    : QDialog(parent), ui(new Ui::addtichengDlg)
{
    ui->setupUi(this);
    DialogKeys::setMainAction(this, ui->toolButton);
    ui->radioButton->setChecked(true);
    // The stylist is chosen from the keys as well: F2 or Enter on "..." opens
    // the employee list, Enter there picks, Enter here saves.
    auto *choose = new QShortcut(QKeySequence(Qt::Key_F2), this);
    connect(choose, &QShortcut::activated, ui->toolButton_3, &QToolButton::click);
    ui->toolButton_3->setToolTip(QStringLiteral("选择员工（F2）"));
    ui->toolButton_3->setFocus();
}

addtichengDlg::~addtichengDlg()
{
    delete ui;
}

void addtichengDlg::setup(const QString &mode, const QString &itemId, qint64 baseCents, const QString &itemName,
                          const QString &saleId, const QString &lineKey)
{
    m_mode = mode;
    m_itemId = itemId;
    m_baseCents = baseCents;
    m_itemName = itemName;
    m_saleId = saleId;
    m_lineKey = lineKey;
}

QString addtichengDlg::orderMode() const
{
    if (ui->radioButton->isChecked())
        return QStringLiteral("轮单提成");
    if (ui->radioButton_2->isChecked())
        return QStringLiteral("点单提成");
    return QStringLiteral("其他提成");
}

void addtichengDlg::on_toolButton_3_clicked()
{
    auto *picker = new huiyuanDlg;
    connect(picker, &huiyuanDlg::DlgSend, this, &addtichengDlg::DlgRecv);
    picker->setData(QStringLiteral("员工管理"), QStringLiteral(" "));
    picker->exec();
    delete picker;
}

void addtichengDlg::DlgRecv(QString key, QVariant value)
{
    if (key != QStringLiteral("员工管理"))
        return;
    const QStringList row = value.toStringList();
    if (row.size() <= 2)
        return;
    ui->label_8->setText(row.at(0));
    ui->label_9->setText(row.at(1));
    ui->label_10->setText(row.at(2));
    lookUpRule();
    applyMethodState();
    // The figure the cashier may still change takes the keys.
    QLineEdit *next = !ui->lineEdit->isReadOnly() ? ui->lineEdit : ui->lineEdit_2;
    if (next->isReadOnly())
        ui->toolButton->setFocus();
    else {
        next->setFocus();
        next->selectAll();
    }
}

// Finds the one rule for the item, its type, the order mode and the employee's
// type (or all employees); with none, or with two that compete, nothing is proposed.
void addtichengDlg::lookUpRule()
{
    if (ui->label_8->text().isEmpty())
        return;
    QString itemType = QStringLiteral("套餐");
    if (m_mode == QStringLiteral("服务项目选择"))
        itemType = QStringLiteral("服务项目");
    else if (m_mode == QStringLiteral("产品选择"))
        itemType = QStringLiteral("产品");

    const CommissionRule rule = CommissionRules::find(m_itemId, itemType, orderMode(), ui->label_10->text());
    if (!rule.found)
        return;
    ui->label_11->setText(rule.method);
    m_fixedAmount.clear();
    if (rule.method == QStringLiteral("按固定金额提成")) {
        // A fixed-amount rule pays its amount, not a share of the price.
        m_fixedAmount = centsText(rule.fixedCents);
        ui->lineEdit->setText(QStringLiteral("0"));
        ui->lineEdit_2->setText(m_fixedAmount);
    } else if (rule.method == QStringLiteral("不参与提成")) {
        ui->lineEdit->setText(QStringLiteral("0"));
        ui->lineEdit_2->setText(QStringLiteral("0"));
    } else {
        ui->lineEdit->setText(numberText(rule.rate));
        ui->lineEdit_2->setText(centsText(CommissionRules::commissionCents(rule.method, rule.rate, 0, m_baseCents)));
    }
    applyMethodState();
}

void addtichengDlg::applyMethodState()
{
    const QString method = ui->label_11->text();
    if (method == QStringLiteral("按比例提成")) {
        ui->lineEdit->setReadOnly(false);
        ui->lineEdit_2->setReadOnly(true);
    } else if (method == QStringLiteral("按固定金额提成")) {
        ui->lineEdit->setReadOnly(true);
        ui->lineEdit_2->setReadOnly(false);
    } else if (method == QStringLiteral("不参与提成")) {
        ui->lineEdit->setReadOnly(true);
        ui->lineEdit_2->setReadOnly(true);
    }
}

void addtichengDlg::on_radioButton_clicked() { lookUpRule(); }
void addtichengDlg::on_radioButton_2_clicked() { lookUpRule(); }
void addtichengDlg::on_radioButton_3_clicked() { lookUpRule(); }

void addtichengDlg::on_lineEdit_textChanged(const QString &text)
{
    if (ui->label_11->text() == QStringLiteral("按固定金额提成")
        || ui->label_11->text() == QStringLiteral("不参与提成"))
        return;
    ui->lineEdit_2->setText(
        centsText(CommissionRules::commissionCents(QStringLiteral("按比例提成"), parseNumber(text), 0, m_baseCents)));
}

void addtichengDlg::on_toolButton_clicked()
{
    const QString employee = ui->label_8->text();
    if (employee.isEmpty()) {
        ctrlUiClass::showInfo(QStringLiteral("请先选择提成员工"), this);
        return;
    }
    bool ratioOk = false;
    const QString ratioText = ui->lineEdit->text().trimmed();
    const double ratio = ratioText.isEmpty() ? 0.0 : parseNumber(ratioText, &ratioOk);
    const MoneyInput amount = parseMoneyInput(ui->lineEdit_2->text(), QStringLiteral("提成金额"));
    if ((!ratioText.isEmpty() && !ratioOk) || ratio < 0 || ratio > 100 || !amount.ok) {
        ctrlUiClass::showInfo(amount.ok || amount.notNumber
                                  ? QStringLiteral("提成比例和提成金额必须是不小于0的数字")
                                  : amount.error,
                              this);
        return;
    }
    const QString mode = orderMode();
    CommissionRow row;
    row.employeeId = employee;
    row.orderMode = mode;
    row.method = ui->label_11->text();
    row.rate = ratio;
    row.cents = amount.cents;
    if (!Basket(m_saleId).addCommission(m_lineKey, m_itemId, m_itemName, row)) {
        ctrlUiClass::showInfo(LedgerSql::failureText(QStringLiteral("保存提成失败"), LedgerSql::lastError()), this);
        return;
    }
    emit DlgSend(QStringLiteral("员工提成"),
                 QStringList{employee, ui->label_9->text(), ui->label_11->text(), mode, numberText(ratio),
                             centsText(amount.cents)});
    accept();
}

void addtichengDlg::on_toolButton_2_clicked()
{
    reject();
}
