#include "chongzhiguizedlg.h"
#include "ui_chongzhiguizedlg.h"

#include "amounts.h"
#include "ctrluiclass.h"
#include "operatorsession.h"
#include "topupoffers.h"

#include <QHeaderView>

chongzhiguizedlg::chongzhiguizedlg(QWidget *parent) : QDialog(parent), ui(new Ui::chongzhiguizedlg)
{
    ui->setupUi(this);
    ui->tableWidget_tiers->setColumnCount(3);
    ui->tableWidget_tiers->setHorizontalHeaderLabels(
        {QStringLiteral("充值金额"), QStringLiteral("赠送金额"), QStringLiteral("赠送积分")});
    ui->tableWidget_tiers->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    const QSignalBlocker quiet(ui->comboBox_cardType);
    ui->comboBox_cardType->addItems(TopUpOffers::cardTypesOffered());
}

chongzhiguizedlg::~chongzhiguizedlg()
{
    delete ui;
}

void chongzhiguizedlg::setup(const QString &cardType)
{
    const int i = ui->comboBox_cardType->findText(cardType);
    ui->comboBox_cardType->setCurrentIndex(i >= 0 ? i : 0);
    on_comboBox_cardType_currentTextChanged(ui->comboBox_cardType->currentText());
}

void chongzhiguizedlg::on_comboBox_cardType_currentTextChanged(const QString &text)
{
    const QList<TopUpTier> tiers = TopUpOffers::tiers(text);
    ui->tableWidget_tiers->setRowCount(tiers.size());
    for (int r = 0; r < tiers.size(); ++r) {
        const TopUpTier &t = tiers.at(r);
        ui->tableWidget_tiers->setItem(r, 0, new QTableWidgetItem(centsText(t.thresholdCents)));
        ui->tableWidget_tiers->setItem(r, 1, new QTableWidgetItem(centsText(t.bonusCents)));
        ui->tableWidget_tiers->setItem(r, 2, new QTableWidgetItem(QString::number(t.points)));
    }
}

void chongzhiguizedlg::on_toolButton_addTier_clicked()
{
    const int r = ui->tableWidget_tiers->rowCount();
    ui->tableWidget_tiers->insertRow(r);
    for (int c = 0; c < 3; ++c)
        ui->tableWidget_tiers->setItem(r, c, new QTableWidgetItem(QStringLiteral("0")));
    ui->tableWidget_tiers->setCurrentCell(r, 0);
    ui->tableWidget_tiers->editItem(ui->tableWidget_tiers->item(r, 0));
}

void chongzhiguizedlg::on_toolButton_removeTier_clicked()
{
    const int r = ui->tableWidget_tiers->currentRow();
    if (r >= 0)
        ui->tableWidget_tiers->removeRow(r);
}

void chongzhiguizedlg::on_toolButton_save_clicked()
{
    QList<TopUpTier> tiers;
    for (int r = 0; r < ui->tableWidget_tiers->rowCount(); ++r) {
        const auto cell = [&](int c) { return ui->tableWidget_tiers->item(r, c) ? ui->tableWidget_tiers->item(r, c)->text() : QString(); };
        const MoneyInput threshold = parseMoneyInput(cell(0), QStringLiteral("第%1档的充值金额").arg(r + 1));
        const MoneyInput bonus = parseMoneyInput(cell(1), QStringLiteral("第%1档的赠送金额").arg(r + 1));
        const CountInput points = parseCountInput(cell(2).isEmpty() ? QStringLiteral("0") : cell(2),
                                                  QStringLiteral("第%1档的赠送积分").arg(r + 1));
        const QString error = !threshold.ok ? threshold.error : !bonus.ok ? bonus.error : !points.ok ? points.error : QString();
        if (!error.isEmpty()) {
            ctrlUiClass::showInfo(error, this);
            return;
        }
        tiers << TopUpTier{threshold.cents, bonus.cents, points.value};
    }
    const LedgerResult r = TopUpOffers::setTiers(ui->comboBox_cardType->currentText(), tiers,
                                                 operatorSession().loginName);
    if (!r.ok) {
        ctrlUiClass::showInfo(r.error, this);
        return;
    }
    on_comboBox_cardType_currentTextChanged(ui->comboBox_cardType->currentText());
    ctrlUiClass::showInfo(QStringLiteral("充值规则已保存"), this);
}

void chongzhiguizedlg::on_toolButton_close_clicked()
{
    accept();
}
