#include "daijinquandlg.h"
#include "ui_daijinquandlg.h"

#include "amounts.h"
#include "dbsetconfig.h"
#include "operatorsession.h"
#include "totalsline.h"
#include "viewfilter.h"
#include "vouchers.h"

namespace {
const char kList[] = "代金券列表";
}

daijinquandlg::daijinquandlg(QWidget *parent) : QDialog(parent), ui(new Ui::daijinquandlg)
{
    ui->setupUi(this);
    m_ctrl.fillCombo(ui->comboBox_method, QStringLiteral("续费方式"), QStringLiteral("xml"));
    ui->dateEdit_validUntil->setDate(QDate::currentDate().addMonths(3));
    ui->lineEdit_first->setText(QStringLiteral("1"));
    ui->lineEdit_count->setText(QStringLiteral("1"));
    ui->lineEdit_price->setText(QStringLiteral("0"));
    ui->checkBox_keepRest->setChecked(Vouchers::keepsRest());
    m_ctrl.setupView(readDbset(), ui->tableView_vouchers, QString::fromUtf8(kList));
    new TotalsLine(&m_ctrl, QString::fromUtf8(kList), ui->tableView_vouchers);
    connect(ui->lineEdit_search, &QLineEdit::returnPressed, this, &daijinquandlg::on_toolButton_search_clicked);
    on_toolButton_search_clicked();
}

daijinquandlg::~daijinquandlg()
{
    m_ctrl.clearViews();
    delete ui;
}

void daijinquandlg::on_toolButton_search_clicked()
{
    const QString t = ui->lineEdit_search->text().trimmed();
    m_ctrl.refreshView(QString::fromUtf8(kList),
                       t.isEmpty() ? ViewFilter() : ViewFilter(QStringLiteral("(lower(ID) like lower(?) or huiyuanid=?)"),
                                                              {QLatin1Char('%') + t + QLatin1Char('%'), t}));
}

void daijinquandlg::on_toolButton_issue_clicked()
{
    VoucherBatch b;
    b.prefix = ui->lineEdit_prefix->text().trimmed();
    const CountInput first = parseCountInput(ui->lineEdit_first->text(), QStringLiteral("起始号码"), 0);
    const CountInput count = parseCountInput(ui->lineEdit_count->text(), QStringLiteral("张数"), 0);
    const MoneyInput value = parseMoneyInput(ui->lineEdit_value->text(), QStringLiteral("面值"));
    const MoneyInput price = parseMoneyInput(ui->lineEdit_price->text().isEmpty() ? QStringLiteral("0") : ui->lineEdit_price->text(),
                                             QStringLiteral("每张售价"));
    const QString error = !first.ok ? first.error : !count.ok ? count.error : !value.ok ? value.error : !price.ok ? price.error : QString();
    if (!error.isEmpty()) {
        ctrlUiClass::showInfo(error, this);
        return;
    }
    b.first = int(first.value);
    b.count = int(count.value);
    b.digits = qMax(4, ui->lineEdit_first->text().trimmed().size());
    b.valueCents = value.cents;
    b.priceCents = price.cents;
    b.validUntil = ui->dateEdit_validUntil->date();
    b.method = ui->comboBox_method->currentText();
    b.memberId = ui->lineEdit_member->text().trimmed();
    b.operatorName = operatorSession().loginName;
    const LedgerResult r = Vouchers::issue(b);
    if (!r.ok) {
        ctrlUiClass::showInfo(r.error, this);
        return;
    }
    m_last = r.documentId;
    ui->lineEdit_first->setText(QString::number(b.first + b.count));
    on_toolButton_search_clicked();
    ctrlUiClass::showInfo(QStringLiteral("已%1代金券 %2 张  单号：%3")
                              .arg(b.priceCents > 0 ? QStringLiteral("售出") : QStringLiteral("发放"))
                              .arg(b.count)
                              .arg(r.documentId),
                          this);
}

void daijinquandlg::on_toolButton_void_clicked()
{
    const QString number = m_ctrl.rowMap(QString::fromUtf8(kList), ui->tableView_vouchers->currentIndex().row())
                               .value(QStringLiteral("券号"))
                               .toString();
    if (number.isEmpty() || !ui->tableView_vouchers->selectionModel()->hasSelection()) {
        ctrlUiClass::showInfo(QStringLiteral("请先选择一张代金券"), this);
        return;
    }
    if (!ctrlUiClass::askYesNo(QStringLiteral("是否作废代金券 %1？作废后不能再使用。").arg(number), this))
        return;
    const LedgerResult r = Vouchers::voidVoucher(number, ui->lineEdit_voidReason->text(), operatorSession().loginName);
    if (!r.ok) {
        ctrlUiClass::showInfo(r.error, this);
        return;
    }
    on_toolButton_search_clicked();
}

void daijinquandlg::on_toolButton_saveSetting_clicked()
{
    const LedgerResult r = Vouchers::setKeepsRest(ui->checkBox_keepRest->isChecked(), operatorSession().loginName);
    ctrlUiClass::showInfo(r.ok ? QStringLiteral("设置已保存") : r.error, this);
}

void daijinquandlg::on_toolButton_export_clicked()
{
    m_ctrl.exportView(QString::fromUtf8(kList), operatorSession().loginName);
}

void daijinquandlg::on_toolButton_close_clicked()
{
    accept();
}
