#include "cuxiaocanshudlg.h"
#include "ui_cuxiaocanshudlg.h"

#include "rulevalues.h"
#include "sqltext.h"

cuxiaocanshuDlg::cuxiaocanshuDlg(QWidget *parent)
    : QDialog(parent), ui(new Ui::cuxiaocanshuDlg)
{
    ui->setupUi(this);
    m_ctrl.fillCombo(ui->comboBox, QStringLiteral("促销类型设置"), QStringLiteral("xml"));
    connect(ui->lineEdit, &QLineEdit::returnPressed, ui->toolButton, &QToolButton::click);
}

cuxiaocanshuDlg::~cuxiaocanshuDlg()
{
    delete ui;
}

void cuxiaocanshuDlg::init(const QStringList &row)
{
    if (row.size() < 5)
        return;
    ui->label_2->setText(row.at(0));
    m_price = parseNumber(row.at(1));
    ui->label_4->setText(row.at(1));
    const QString method = row.at(2);
    const int idx = ui->comboBox->findText(method);
    if (idx >= 0)
        ui->comboBox->setCurrentIndex(idx);
    on_comboBox_currentTextChanged(ui->comboBox->currentText());
    if (method == RuleWords::promoRatio())
        ui->lineEdit->setText(row.at(3));
    else if (method == RuleWords::promoPrice())
        ui->lineEdit->setText(row.at(4));
}

void cuxiaocanshuDlg::on_comboBox_currentTextChanged(const QString &method)
{
    ui->lineEdit->setEnabled(method == RuleWords::promoRatio() || method == RuleWords::promoPrice());
    if (method == RuleWords::promoRatio())
        ui->label_7->setText(QStringLiteral("按比例促销0.9表示9折，0.85表示85折"));
    else if (method == RuleWords::promoPrice())
        ui->label_7->setText(QStringLiteral("请输入一个固定金额，需要少于") + ui->label_4->text());
    else
        ui->label_7->clear();
}

void cuxiaocanshuDlg::on_toolButton_clicked()
{
    const QString method = ui->comboBox->currentText();
    double v = 0;
    const QString problem = checkPromotionValue(method, m_price, ui->lineEdit->text(), &v);
    if (!problem.isEmpty()) {
        ctrlUiClass::showInfo(problem, this);
        ui->lineEdit->setFocus();
        return;
    }
    const QString value = method == RuleWords::promoPrice() ? moneyText(v) : numberText(v);
    emit DlgSend(QVariant(QStringList{ui->label_2->text(), method, value}));
    accept();
}

void cuxiaocanshuDlg::on_toolButton_2_clicked()
{
    reject();
}
