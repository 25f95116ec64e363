#include "jiaobandlg.h"
#include "ui_jiaobandlg.h"

#include "amounts.h"
#include "ctrluiclass.h"
#include "handoverwriter.h"
#include "listcelldelegate.h"
#include "ledgersql.h"
#include "logdlg.h"
#include "operatorsession.h"
#include "takingstree.h"

#include <QDateTime>
#include <QStandardItemModel>

namespace {
const char *kTimeFormat = "yyyy-MM-dd hh:mm:ss";
}

jiaobanDlg::jiaobanDlg(QWidget *parent)
    : QDialog(parent), ui(new Ui::jiaobanDlg), m_model(new QStandardItemModel(this)), m_desk(LedgerSql::desk())
{
    ui->setupUi(this);
    ui->treeView->setModel(m_model);
    // Amounts with their cents, as every list shows them.
    ui->treeView->setItemDelegate(new ListCellDelegate(ui->treeView));
    ui->label_desk->setText(QStringLiteral("收银台：") + m_desk);

    ui->dateTimeEdit->setDateTime(
        QDateTime::fromString(HandoverWriter::shiftStart(m_desk), QLatin1String(kTimeFormat)));
    ui->dateTimeEdit_2->setDateTime(QDateTime::currentDateTime());
    connect(ui->lineEdit_cash, &QLineEdit::textChanged, this, &jiaobanDlg::showCashDifference);

    requery();
}

jiaobanDlg::~jiaobanDlg()
{
    delete ui;
}

QString jiaobanDlg::startText() const
{
    return ui->dateTimeEdit->dateTime().toString(QLatin1String(kTimeFormat));
}

QString jiaobanDlg::endText() const
{
    return ui->dateTimeEdit_2->dateTime().toString(QLatin1String(kTimeFormat));
}

// The takings of this desk alone: another desk's sales are in its own shift.
void jiaobanDlg::requery()
{
    m_takings = TakingsRead::period(startText(), endText(), m_desk);
    showTree();
}

void jiaobanDlg::showTree()
{
    TakingsTree::build(m_model, m_takings);
    ui->treeView->expandAll();
    ui->treeView->resizeColumnToContents(0);
    showCashDifference();
}

// The counted cash: not counted when empty; false for anything but money.
bool jiaobanDlg::countedCash(qint64 *cents, bool *counted) const
{
    const QString typed = ui->lineEdit_cash->text().trimmed();
    *cents = 0;
    *counted = !typed.isEmpty();
    if (typed.isEmpty())
        return true;
    const MoneyInput cash = parseMoneyInput(typed, QStringLiteral("实点现金"));
    *cents = cash.cents;
    return cash.ok;
}

void jiaobanDlg::showCashDifference()
{
    const qint64 takings = m_takings.methodCents(QStringLiteral("现金"));
    ui->label_cashTakings->setText(QStringLiteral("现金收入：") + centsShown(takings));
    qint64 counted = 0;
    bool any = false;
    if (!countedCash(&counted, &any) || !any) {
        ui->label_cashDifference->setText(QString());
        return;
    }
    const qint64 difference = counted - takings;
    ui->label_cashDifference->setText(QStringLiteral("差额：") + centsShown(difference)
                                      + (difference < 0 ? QStringLiteral("（短款）")
                                                        : difference > 0 ? QStringLiteral("（长款）") : QString()));
}

void jiaobanDlg::on_toolButton_83_clicked()
{
    requery();
}

void jiaobanDlg::on_toolButton_84_clicked()
{
    // The shift belongs to whoever is logged in now; the login below replaces the session.
    const QString outgoing = operatorSession().loginName;
    const OperatorSession atWork = operatorSession();
    Handover h;
    if (!countedCash(&h.countedCashCents, &h.cashCounted)) {
        ctrlUiClass::showInfo(QStringLiteral("实点现金请填写金额（不小于 0，最多两位小数），不清点可留空"), this);
        return;
    }

    logDlg login;
    if (login.exec() != QDialog::Accepted)
        return; // no next operator: nothing is handed over, nothing written

    // The shift ends at the moment of handover; the next one starts right after it.
    ui->dateTimeEdit_2->setDateTime(QDateTime::currentDateTime());
    h.desk = m_desk;
    h.operatorName = outgoing;
    h.from = startText();
    h.to = endText();
    const LedgerResult done = HandoverWriter::write(h);
    if (!done.ok) {
        // Not handed over: the shift, and the counter, stay with the outgoing operator.
        operatorSession() = atWork;
        ctrlUiClass::showInfo(done.error, this);
        return;
    }
    // Handed over at an earlier try whose answer was lost, not again.
    if (!done.notice.isEmpty())
        ctrlUiClass::showInfo(done.notice, this);
    requery();
    ctrlUiClass::showInfo(QStringLiteral("交班成功，当前操作员：") + operatorSession().loginName, this);
    accept();
}

HandoverSlip jiaobanDlg::slip() const
{
    qint64 cents = 0;
    bool counted = false;
    if (!countedCash(&cents, &counted))
        counted = false;
    return HandoverSlip::read(m_desk, operatorSession().loginName, startText(), endText(), counted, cents);
}

void jiaobanDlg::on_toolButton_printSlip_clicked()
{
    qint64 cents = 0;
    bool counted = false;
    if (!countedCash(&cents, &counted)) {
        ctrlUiClass::showInfo(QStringLiteral("实点现金请填写金额（不小于 0，最多两位小数），不清点可留空"), this);
        return;
    }
    slip().preview(this);
}

void jiaobanDlg::on_toolButton_5_clicked()
{
    close();
}
