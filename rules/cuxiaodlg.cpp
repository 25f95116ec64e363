#include "cuxiaodlg.h"
#include "shopconnection.h"
#include "ui_cuxiaodlg.h"

#include "cuxiaocanshudlg.h"
#include "dbsetconfig.h"
#include "operatorsession.h"
#include "rulebook.h"
#include "rulevalues.h"
#include "sqltext.h"

#include <QDate>

namespace {
const QString kView = QStringLiteral("促销策略明细临时表");
const QString kDateFormat = QStringLiteral("yyyy-MM-dd");
} // namespace

cuxiaoDlg::cuxiaoDlg(QWidget *parent)
    : QDialog(parent), ui(new Ui::cuxiaoDlg)
{
    ui->setupUi(this);
    const DbsetMap map = readDbset();
    RuleBook::openPromotionWork();
    m_ctrl.setupViewWith(map, ui->tableView, kView, RuleBook::promotionWorkCondition(RuleBook::WorkRows::None));
    m_ctrl.fillCombo(ui->comboBox, QStringLiteral("促销类型设置"), QStringLiteral("xml"));
    ui->dateEdit->setDisplayFormat(kDateFormat);
    ui->dateEdit_2->setDisplayFormat(kDateFormat);
    ui->dateEdit->setDate(QDate::currentDate());
    ui->dateEdit_2->setDate(QDate::currentDate().addMonths(1));
    on_comboBox_currentTextChanged(ui->comboBox->currentText());
    connect(ui->lineEdit_5, &QLineEdit::returnPressed, ui->toolButton_2, &QToolButton::click);
    m_linkGeneration = ShopLink::generation(); // the working rows are on this connection
}

cuxiaoDlg::~cuxiaoDlg()
{
    dropWorkTables();
    delete ui;
}

void cuxiaoDlg::done(int result)
{
    dropWorkTables();
    QDialog::done(result);
}

void cuxiaoDlg::dropWorkTables()
{
    if (m_tablesDropped)
        return;
    m_tablesDropped = true;
    m_ctrl.clearViews(); // a live model would keep the table locked
    RuleBook::closePromotionWork();
}

bool cuxiaoDlg::uniform() const
{
    return ui->radioButton->isChecked();
}

double cuxiaoDlg::price() const
{
    return parseNumber(ui->lineEdit_3->text());
}

void cuxiaoDlg::init(int mode, const QStringList &row)
{
    m_mode = mode;
    if (row.size() < 5)
        return;
    m_id = row.at(0);
    m_type = row.at(4);
    ui->lineEdit->setText(row.at(0));
    ui->lineEdit_2->setText(row.at(1));
    ui->lineEdit_3->setText(row.at(2));
    ui->lineEdit_4->setText(row.at(3));
    on_comboBox_currentTextChanged(ui->comboBox->currentText()); // the hint names the price

    // The rules and the period the item's promotions were saved with, if any.
    const PromotionPlan stored = RuleBook::loadPromotionWork(m_id, m_type);
    if (stored.start.isValid() && stored.end.isValid()) {
        ui->dateEdit->setDate(stored.start);
        ui->dateEdit_2->setDate(stored.end);
    }
    if (stored.rules.size() == 1 && stored.rules.first().cardType == RuleWords::allMembers()) {
        ui->radioButton->setChecked(true);
        const PromotionRule &r = stored.rules.first();
        setUniformFields(r.method, numberText(r.ratio), moneyText(r.finalPrice));
    } else if (stored.rules.isEmpty()) {
        ui->radioButton->setChecked(true);
    } else {
        ui->radioButton_2->setChecked(true);
    }
    showDetail();
}

// The stored method comes back with the figure that was typed for it: the
// ratio, or the fixed final price (showing a ratio under a fixed-price method
// would save a price of 0.8 on the next 保存).
void cuxiaoDlg::setUniformFields(const QString &method, const QString &ratio, const QString &finalPrice)
{
    const int idx = ui->comboBox->findText(method);
    if (idx >= 0)
        ui->comboBox->setCurrentIndex(idx);
    on_comboBox_currentTextChanged(ui->comboBox->currentText());
    if (method == RuleWords::promoPrice())
        ui->lineEdit_5->setText(finalPrice);
    else if (method == RuleWords::promoRatio())
        ui->lineEdit_5->setText(ratio);
    else
        ui->lineEdit_5->clear();
}

void cuxiaoDlg::showDetail()
{
    ui->groupBox_3->setEnabled(uniform());
    m_ctrl.refreshView(kView, RuleBook::promotionWorkCondition(uniform() ? RuleBook::WorkRows::Everybody
                                                                         : RuleBook::WorkRows::PerType));
}

void cuxiaoDlg::on_radioButton_clicked()
{
    showDetail();
}

void cuxiaoDlg::on_radioButton_2_clicked()
{
    // One no-discount row per card type that has no row yet, so choosing this
    // state again adds nothing twice.
    if (!m_id.isEmpty())
        RuleBook::addCardTypesToPromotionWork(m_id, m_type);
    showDetail();
}

void cuxiaoDlg::on_comboBox_currentTextChanged(const QString &method)
{
    ui->lineEdit_5->setEnabled(method == RuleWords::promoRatio() || method == RuleWords::promoPrice());
    if (method == RuleWords::promoRatio())
        ui->label_9->setText(QStringLiteral("按比例促销0.9表示9折，0.85表示85折"));
    else if (method == RuleWords::promoPrice())
        ui->label_9->setText(QStringLiteral("请输入一个固定金额，需要少于") + ui->lineEdit_3->text());
    else
        ui->label_9->clear();
}

void cuxiaoDlg::on_toolButton_clicked()
{
    const QStringList row = m_ctrl.currentRowValues(kView);
    if (row.isEmpty()) {
        ctrlUiClass::showInfo(QStringLiteral("请选择列表中一个促销方式后点击修改"), this);
        return;
    }
    auto *dlg = new cuxiaocanshuDlg;
    connect(dlg, &cuxiaocanshuDlg::DlgSend, this, &cuxiaoDlg::DlgRecv);
    dlg->init(row);
    dlg->exec();
    delete dlg;
}

void cuxiaoDlg::on_tableView_doubleClicked(const QModelIndex &)
{
    on_toolButton_clicked();
}

void cuxiaoDlg::DlgRecv(QVariant value)
{
    const QStringList row = value.toStringList();
    if (row.size() < 3)
        return;
    const QString method = row.at(1);
    double v = 0;
    checkPromotionValue(method, price(), row.at(2), &v); // the sender has refused bad figures already
    QString ratio, finalPrice;
    promotionFigures(method, price(), v, &ratio, &finalPrice);
    RuleBook::setPromotionWork(PromotionRule{row.at(0), method, parseNumber(ratio), parseNumber(finalPrice)});
    // In the uniform state the fields are what gets saved: keep them in step.
    if (uniform() && row.at(0) == RuleWords::allMembers())
        setUniformFields(method, ratio, finalPrice);
    showDetail();
}

void cuxiaoDlg::on_toolButton_2_clicked()
{
    if (m_id.isEmpty())
        return;
    if (save())
        accept();
}

bool cuxiaoDlg::save()
{
    const QDate startDate = ui->dateEdit->date();
    const QDate endDate = ui->dateEdit_2->date();
    if (startDate > endDate) {
        ctrlUiClass::showInfo(QStringLiteral("促销开始日期不能晚于结束日期"), this);
        return false;
    }
    const QString method = ui->comboBox->currentText();
    QString ratio, finalPrice;
    if (uniform()) {
        double v = 0;
        const QString problem = checkPromotionValue(method, price(), ui->lineEdit_5->text(), &v);
        if (!problem.isEmpty()) {
            ctrlUiClass::showInfo(problem, this);
            ui->lineEdit_5->setFocus();
            return false;
        }
        promotionFigures(method, price(), v, &ratio, &finalPrice);
    }

    // Its working rows were on the connection before a reconnect: saving them
    // now would replace the item's rules with nothing.
    if (ShopLink::generation() != m_linkGeneration) {
        ctrlUiClass::showInfo(ShopLink::staleWindowText(), this);
        return false;
    }
    PromotionPlan plan;
    plan.itemId = m_id;
    plan.itemType = m_type;
    plan.start = startDate;
    plan.end = endDate;
    if (uniform())
        plan.rules = {PromotionRule{RuleWords::allMembers(), method, parseNumber(ratio), parseNumber(finalPrice)}};
    else
        plan.rules = RuleBook::promotionWorkByCardType();
    const LedgerResult saved = RuleBook::savePromotions(plan, operatorSession().loginName);
    if (!saved.ok) {
        ctrlUiClass::showInfo(saved.error, this);
        return false;
    }
    return true;
}

void cuxiaoDlg::on_toolButton_3_clicked()
{
    reject();
}
