#include "fukuandlg.h"
#include "ui_fukuandlg.h"

#include "ctrluiclass.h"
#include "sqltext.h"

#include <QLineEdit>
#include <QToolButton>
#include <cmath>

namespace {
// Amounts are compared in whole cents, so 0.1 + 0.2 paid against 0.3 due is paid in full.
double toCents(double v) { return std::round(v * 100.0) / 100.0; }
}

fukuanDlg::fukuanDlg(QWidget *parent)
    : QDialog(parent), ui(new Ui::fukuanDlg), m_ctrl(new ctrlUiClass(this))
{
    ui->setupUi(this);
    ui->toolButton_4->hide();
    ui->label_4->setStyleSheet(QStringLiteral("#label_4{color:rgb(255,0,0);font:bold 16px;}"));
    // Enter in the amount field confirms, as the cashier expects.
    connect(ui->lineEdit, &QLineEdit::returnPressed, ui->toolButton_3, &QToolButton::click);
    m_ctrl->fillCombo(ui->comboBox, QStringLiteral("续费方式"), QStringLiteral("xml"));
}

fukuanDlg::~fukuanDlg()
{
    delete ui;
}

void fukuanDlg::setData(const QStringList &list)
{
    m_data = list;
    if (!list.isEmpty()) {
        ui->label_4->setText(list.at(0));
        // Most customers pay what is due: one Enter takes it, typing replaces it.
        ui->lineEdit->setText(list.at(0));
        ui->lineEdit->selectAll();
    }
}

void fukuanDlg::on_toolButton_3_clicked()
{
    const QString typed = ui->lineEdit->text().trimmed();
    bool ok = true;
    const double received = typed.isEmpty() ? 0.0 : parseNumber(typed, &ok);
    if (!ok) {
        ctrlUiClass::showInfo(QStringLiteral("请输入正确的实收金额"), this);
        return;
    }
    if (received < 0) {
        ctrlUiClass::showInfo(QStringLiteral("实收金额不能为负数"), this);
        return;
    }
    const double due = parseNumber(ui->label_4->text());
    const double debt = toCents(due - received);
    if (debt < 0) {
        ctrlUiClass::showInfo(QStringLiteral("实际付款金额大于需付金额，请确认"), this);
        return;
    }
    if (debt > 0
        && !ctrlUiClass::askYesNo(QStringLiteral("欠款金额为：") + moneyText(debt)
                                      + QStringLiteral(" 是否允许欠款?"),
                                  this))
        return;

    QStringList reply{moneyText(toCents(received)), moneyText(debt), ui->comboBox->currentText()};
    if (m_data.size() >= 3)
        reply << m_data.at(1) << m_data.at(2);
    emit DlgSend(QStringLiteral("收款"), QVariant(reply));
    accept();
}

void fukuanDlg::on_toolButton_2_clicked()
{
    reject();
}
