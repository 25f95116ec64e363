#include "huiyuankashengjidlg.h"
#include "ui_huiyuankashengjidlg.h"

#include "accountbooks.h"
#include "amounts.h"
#include "operatorsession.h"
#include "workinghours.h"

#include <QHeaderView>

huiyuankashengjidlg::huiyuankashengjidlg(QWidget *parent) : QDialog(parent), ui(new Ui::huiyuankashengjidlg)
{
    ui->setupUi(this);
    m_ctrl.fillCombo(ui->comboBox_method, QStringLiteral("续费方式"), QStringLiteral("xml"));
    ui->comboBox_employee->addItem(QString(), QString());
    for (const WorkingDay &e : WorkingHours::day(QDate::currentDate()))
        ui->comboBox_employee->addItem(e.name, e.employeeId);
    ui->label_due->setStyleSheet(QStringLiteral("color:rgb(255,0,0);font-weight:bold"));
    ui->tableWidget_history->setColumnCount(5);
    ui->tableWidget_history->setHorizontalHeaderLabels({QStringLiteral("日期"), QStringLiteral("原会员卡"),
                                                         QStringLiteral("新会员卡"), QStringLiteral("实收金额"),
                                                         QStringLiteral("操作员")});
    ui->tableWidget_history->horizontalHeader()->setStretchLastSection(true);
    ui->tableWidget_history->verticalHeader()->hide();
    connect(ui->lineEdit_received, &QLineEdit::returnPressed, this, &huiyuankashengjidlg::on_toolButton_ok_clicked);
}

huiyuankashengjidlg::~huiyuankashengjidlg()
{
    delete ui;
}

void huiyuankashengjidlg::setup(const QString &memberId)
{
    m_memberId = memberId;
    const CardUpgradeQuote none = CardUpgrades::quote(memberId, QString());
    ui->label_memberId->setText(memberId);
    ui->label_memberName->setText(none.memberName);
    ui->label_oldType->setText(none.oldType);
    ui->label_balance->setText(centsShown(BalanceBook::balance(memberId)));
    const QSignalBlocker quiet(ui->comboBox_newType);
    ui->comboBox_newType->clear();
    ui->comboBox_newType->addItem(QString());
    for (const QString &t : CardUpgrades::cardTypes())
        if (t != none.oldType)
            ui->comboBox_newType->addItem(t);
    on_comboBox_newType_currentTextChanged(QString());
    showHistory();
}

void huiyuankashengjidlg::showHistory()
{
    const QList<CardUpgrades::Change> all = CardUpgrades::history(m_memberId);
    ui->tableWidget_history->setRowCount(all.size());
    for (int r = 0; r < all.size(); ++r) {
        const CardUpgrades::Change &c = all.at(r);
        const QString cells[] = {c.date, c.fromType, c.toType, centsShown(c.receivedCents), c.operatorName};
        for (int col = 0; col < 5; ++col)
            ui->tableWidget_history->setItem(r, col, new QTableWidgetItem(cells[col]));
    }
    ui->tableWidget_history->resizeColumnsToContents();
}

void huiyuankashengjidlg::on_comboBox_newType_currentTextChanged(const QString &text)
{
    m_quote = text.isEmpty() ? CardUpgradeQuote() : CardUpgrades::quote(m_memberId, text);
    const bool ok = m_quote.ok;
    ui->label_rule->setText(!ok ? QString()
                            : m_quote.downgrade ? QStringLiteral("降级（不退差价，需要系统设置权限）")
                                                : m_quote.rule);
    ui->label_due->setText(ok ? centsShown(m_quote.dueCents) : QString());
    ui->label_value->setText(ok ? centsShown(m_quote.valueCents) : QString());
    ui->label_bonus->setText(ok ? centsShown(m_quote.bonusCents) : QString());
    ui->label_points->setText(ok ? QString::number(m_quote.points) : QString());
    ui->label_discounts->setText(ok ? m_quote.discounts : QString());
    ui->lineEdit_received->setText(ok ? centsShown(m_quote.dueCents) : QString());
    ui->lineEdit_received->setEnabled(ok && m_quote.dueCents > 0);
    ui->toolButton_ok->setEnabled(ok);
}

void huiyuankashengjidlg::on_toolButton_ok_clicked()
{
    if (!m_quote.ok) {
        ctrlUiClass::showInfo(QStringLiteral("请选择要升级的会员卡"), this);
        return;
    }
    const MoneyInput received = parseMoneyInput(ui->lineEdit_received->text(), QStringLiteral("实收金额"));
    if (!received.ok) {
        ctrlUiClass::showInfo(received.error, this);
        return;
    }
    if (received.cents > m_quote.dueCents) {
        ctrlUiClass::showInfo(QStringLiteral("实际付款金额大于需付金额，请确认"), this);
        return;
    }
    if (received.cents < m_quote.dueCents
        && !ctrlUiClass::askYesNoDefaultNo(
            QStringLiteral("欠款金额为：%1 是否允许欠款?").arg(centsShown(m_quote.dueCents - received.cents)), this))
        return;
    if (m_quote.downgrade
        && !ctrlUiClass::askYesNo(QStringLiteral("“%1”比“%2”便宜，换卡不退差价，确定要换吗？")
                                      .arg(m_quote.newType, m_quote.oldType),
                                  this))
        return;
    CardUpgrade u;
    u.memberId = m_memberId;
    u.fromType = m_quote.oldType;
    u.newType = m_quote.newType;
    u.dueCents = m_quote.dueCents;
    u.receivedCents = received.cents;
    u.method = ui->comboBox_method->currentText();
    u.employee = ui->comboBox_employee->currentData().toString();
    u.remark = ui->lineEdit_remark->text().trimmed();
    u.operatorName = operatorSession().loginName;
    const LedgerResult r = CardUpgrades::upgrade(u);
    if (!r.ok) {
        ctrlUiClass::showInfo(r.error, this);
        return;
    }
    // Saved at an earlier try whose answer was lost, not again.
    if (!r.notice.isEmpty())
        ctrlUiClass::showInfo(r.notice, this);
    m_documentId = r.documentId;
    accept();
}

void huiyuankashengjidlg::on_toolButton_cancel_clicked()
{
    reject();
}
