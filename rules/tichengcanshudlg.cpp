#include "tichengcanshudlg.h"
#include "ui_tichengcanshudlg.h"

#include "rulevalues.h"
#include "sqltext.h"

tichengcanshuDlg::tichengcanshuDlg(QWidget *parent)
    : QDialog(parent), ui(new Ui::tichengcanshuDlg)
{
    ui->setupUi(this);
    m_ctrl.fillCombo(ui->comboBox, QStringLiteral("提成类型设置"), QStringLiteral("xml"));
    for (QLineEdit *edit : {ui->lineEdit, ui->lineEdit_2, ui->lineEdit_3})
        connect(edit, &QLineEdit::returnPressed, ui->toolButton, &QToolButton::click);
}

tichengcanshuDlg::~tichengcanshuDlg()
{
    delete ui;
}

void tichengcanshuDlg::init(const QStringList &row)
{
    if (row.size() < 8)
        return;
    ui->label_2->setText(row.at(0));
    const QString method = row.at(1);
    const int idx = ui->comboBox->findText(method);
    if (idx >= 0)
        ui->comboBox->setCurrentIndex(idx);
    on_comboBox_currentTextChanged(ui->comboBox->currentText());
    // A fixed-amount rule keeps its figures in the amount columns.
    const int offset = method == RuleWords::byAmount() ? 1 : 0;
    ui->lineEdit->setText(row.at(2 + offset));
    ui->lineEdit_2->setText(row.at(4 + offset));
    ui->lineEdit_3->setText(row.at(6 + offset));
}

void tichengcanshuDlg::on_comboBox_currentTextChanged(const QString &method)
{
    const bool takesPart = method != RuleWords::noCommission();
    ui->lineEdit->setEnabled(takesPart);
    ui->lineEdit_2->setEnabled(takesPart);
    ui->lineEdit_3->setEnabled(takesPart);
    const QString unit = method == RuleWords::byAmount() ? QStringLiteral("元")
                         : method == RuleWords::byRatio() ? QStringLiteral("%")
                                                          : QString();
    ui->label_7->setText(unit);
    ui->label_8->setText(unit);
    ui->label_9->setText(unit);
}

void tichengcanshuDlg::on_toolButton_clicked()
{
    const QString method = ui->comboBox->currentText();
    QStringList result{ui->label_2->text(), method};
    for (QLineEdit *edit : {ui->lineEdit, ui->lineEdit_2, ui->lineEdit_3}) {
        double v = 0;
        if (method != RuleWords::noCommission()) {
            const QString problem = checkCommissionValue(edit->text(), &v);
            if (!problem.isEmpty()) {
                ctrlUiClass::showInfo(problem, this);
                edit->setFocus();
                return;
            }
        }
        result << (method == RuleWords::byAmount() ? moneyText(v) : numberText(v));
    }
    emit DlgSend(QVariant(result));
    accept();
}

void tichengcanshuDlg::on_toolButton_2_clicked()
{
    reject();
}
