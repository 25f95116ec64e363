#include "lianhefukuandlg.h"
#include "ui_lianhefukuandlg.h"

#include "dialogkeys.h"

#include "ctrluiclass.h"
#include "dbrecords.h"
#include "amounts.h"
#include "sqltext.h"

#include <QCheckBox>
#include <QLineEdit>
#include <cmath>

namespace {
const int kCardRow = 3; // 储蓄卡: paid from the member's stored value

double toCents(double v) { return std::round(v * 100.0) / 100.0; }
}

lianhefukuanDlg::lianhefukuanDlg(QWidget *parent)
    : QDialog(parent), ui(new Ui::lianhefukuanDlg)
{
    ui->setupUi(this);
    DialogKeys::setMainAction(this, ui->toolButton_4);
    ui->label_5->setStyleSheet(QStringLiteral("#label_5{color:rgb(255,0,0);font:bold 16px;}"));
    ui->label_6->setStyleSheet(QStringLiteral("#label_6{color:rgb(255,100,0);font:bold 16px;}"));
    m_boxes = {ui->checkBox, ui->checkBox_2, ui->checkBox_3, ui->checkBox_4, ui->checkBox_5};
    m_edits = {ui->lineEdit, ui->lineEdit_2, ui->lineEdit_3, ui->lineEdit_4, ui->lineEdit_5};
    for (QCheckBox *box : qAsConst(m_boxes))
        connect(box, &QCheckBox::clicked, this, &lianhefukuanDlg::checkboxClick);
    for (QLineEdit *edit : qAsConst(m_edits))
        edit->setEnabled(false);
}

lianhefukuanDlg::~lianhefukuanDlg()
{
    delete ui;
}

void lianhefukuanDlg::setData(const QStringList &list)
{
    if (list.size() < 4)
        return;
    ui->label_5->setText(list.at(0));
    ui->label_6->setText(list.at(1));
    ui->label->setText(list.at(2));
    ui->label_7->setText(list.at(3));
}

void lianhefukuanDlg::withoutCard()
{
    ui->checkBox_4->setChecked(false);
    ui->checkBox_4->setEnabled(false);
    ui->checkBox_4->setToolTip(QStringLiteral("充值不能用卡内余额付款"));
    ui->lineEdit_4->setText(QStringLiteral("0"));
}

bool lianhefukuanDlg::isWalkIn() const
{
    // The customer text is "会员卡号：" + member ID; the walk-in customer is "0000".
    const QString text = ui->label->text();
    const int colon = qMax(text.lastIndexOf(QChar(0xFF1A)), text.lastIndexOf(QLatin1Char(':')));
    return text.mid(colon + 1).trimmed() == QLatin1String("0000");
}

double lianhefukuanDlg::due() const { return parseNumber(ui->label_5->text()); }
double lianhefukuanDlg::balance() const { return parseNumber(ui->label_7->text()); }

double lianhefukuanDlg::unpaidWithout(int skipRow) const
{
    double paid = 0;
    for (int i = 0; i < m_boxes.size(); ++i) {
        if (i != skipRow && m_boxes.at(i)->isChecked())
            paid += parseNumber(m_edits.at(i)->text()); // not a number counts 0
    }
    return toCents(due() - paid);
}

void lianhefukuanDlg::recompute()
{
    ui->label_6->setText(moneyText(unpaidWithout(-1)));
}

void lianhefukuanDlg::checkboxClick()
{
    auto *box = qobject_cast<QCheckBox *>(sender());
    const int row = m_boxes.indexOf(box);
    if (row < 0)
        return;
    QLineEdit *edit = m_edits.at(row);
    edit->setEnabled(box->isChecked());
    if (!box->isChecked()) {
        edit->setText(QStringLiteral("0"));
        recompute();
        return;
    }
    // Propose the whole remainder; the card covers at most its balance. Nothing
    // below zero is proposed when the due is already covered.
    double proposal = qMax(0.0, unpaidWithout(row));
    if (row == kCardRow)
        proposal = qMax(0.0, qMin(proposal, balance()));
    m_adjusting = true;
    edit->setText(moneyText(proposal));
    m_adjusting = false;
    recompute();
    edit->setFocus();
    edit->selectAll();
}

void lianhefukuanDlg::on_lineEdit_textChanged(const QString &) { recompute(); }
void lianhefukuanDlg::on_lineEdit_2_textChanged(const QString &) { recompute(); }
void lianhefukuanDlg::on_lineEdit_3_textChanged(const QString &) { recompute(); }
void lianhefukuanDlg::on_lineEdit_5_textChanged(const QString &) { recompute(); }

void lianhefukuanDlg::on_lineEdit_4_textChanged(const QString &text)
{
    if (!m_adjusting && ui->checkBox_4->isChecked() && toCents(balance() - parseNumber(text)) < 0) {
        ctrlUiClass::showInfo(QStringLiteral("会员卡中余额余额少于输入余额"), this);
        const double capped = qMax(0.0, qMin(balance(), unpaidWithout(kCardRow)));
        m_adjusting = true;
        ui->lineEdit_4->setText(moneyText(capped));
        m_adjusting = false;
    }
    recompute();
}

void lianhefukuanDlg::on_toolButton_4_clicked()
{
    QStringList names;
    QStringList amounts;
    qint64 paid = 0;
    const qint64 balanceCents = yuanToCents(balance());
    for (int i = 0; i < m_boxes.size(); ++i) {
        if (!m_boxes.at(i)->isChecked())
            continue;
        const QString caption = m_boxes.at(i)->text();
        const QString typed = m_edits.at(i)->text();
        if (typed.trimmed().isEmpty() || parseMoneyInput(typed, caption).notNumber) {
            ctrlUiClass::showInfo(caption + QStringLiteral("的付款金额不是有效的数字"), this);
            return;
        }
        // Whole cents only: three times 33.334 against 100 is not paid in full.
        const MoneyInput amount = parseMoneyInput(typed, caption + QStringLiteral("的付款金额"), true);
        if (!amount.ok) {
            ctrlUiClass::showInfo(amount.error, this);
            return;
        }
        if (amount.cents < 0) {
            ctrlUiClass::showInfo(caption + QStringLiteral("的付款金额不能为负数"), this);
            return;
        }
        if (i == kCardRow && amount.cents > balanceCents) {
            ctrlUiClass::showInfo(QStringLiteral("会员卡中余额余额少于输入余额"), this);
            return;
        }
        paid += amount.cents;
        names << caption;
        amounts << centsText(amount.cents);
    }
    if (names.isEmpty()) {
        ctrlUiClass::showInfo(QStringLiteral("请至少选择一种付款方式"), this);
        return;
    }
    const qint64 unpaid = yuanToCents(due()) - paid;
    if (unpaid < 0) {
        ctrlUiClass::showInfo(QStringLiteral("付款金额合计大于应收金额，请确认"), this);
        return;
    }
    const QString unpaidText = centsText(unpaid);
    ui->label_6->setText(unpaidText);
    if (unpaid > 0) {
        if (isWalkIn()) {
            ctrlUiClass::showInfo(QStringLiteral("散客不能欠费"), this);
            return;
        }
        if (!ctrlUiClass::askYesNoDefaultNo(QStringLiteral("欠款金额未") + unpaidText
                                       + QStringLiteral("是否同意欠款？"),
                                   this))
            return;
    }

    redbctrlstruct answer;
    answer.table = unpaidText;
    answer.fields = names;
    answer.values = amounts;
    m_keepOpen = false;
    emit DlgSend(QStringLiteral("联合付款"), QVariant::fromValue(answer));
    if (!m_keepOpen)
        accept();
}

void lianhefukuanDlg::on_toolButton_5_clicked()
{
    reject();
}
