#include "taocanyouxiaoqidlg.h"
#include "ui_taocanyouxiaoqidlg.h"

#include "ctrluiclass.h"
#include "operatorsession.h"
#include "shouquandlg.h"

taocanyouxiaoqidlg::taocanyouxiaoqidlg(QWidget *parent) : QDialog(parent), ui(new Ui::taocanyouxiaoqidlg)
{
    ui->setupUi(this);
    for (int d : PackageExpiry::noticeChoices())
        ui->comboBox_noticeDays->addItem(QStringLiteral("%1天内到期的套餐").arg(d), d);
    ui->comboBox_noticeDays->setCurrentIndex(ui->comboBox_noticeDays->findData(PackageExpiry::noticeDays()));
    ui->checkBox_allowExpired->setChecked(PackageExpiry::expiredUseAllowed());
    ui->label_expiry->setStyleSheet(QStringLiteral("color:rgb(192,0,0)"));
    ui->gridLayout_extend->setColumnStretch(1, 1);
    ui->gridLayout_settings->setColumnStretch(1, 1);
}

taocanyouxiaoqidlg::~taocanyouxiaoqidlg()
{
    delete ui;
}

void taocanyouxiaoqidlg::setup(const QString &memberId, const QString &memberName, const QString &itemId)
{
    m_memberId = memberId;
    ui->label_member->setText(QStringLiteral("%1（%2）").arg(memberName, memberId));
    m_items = PackageExpiry::itemsOf(memberId);
    const QSignalBlocker quiet(ui->comboBox_item);
    ui->comboBox_item->clear();
    for (const HeldPackageItem &h : m_items)
        ui->comboBox_item->addItem(h.itemName, h.itemId);
    const int i = ui->comboBox_item->findData(itemId);
    ui->comboBox_item->setCurrentIndex(i >= 0 ? i : 0);
    on_comboBox_item_currentIndexChanged(ui->comboBox_item->currentIndex());
    ui->groupBox_extend->setEnabled(!m_items.isEmpty());
}

void taocanyouxiaoqidlg::on_comboBox_item_currentIndexChanged(int index)
{
    const HeldPackageItem h = m_items.value(index);
    ui->label_left->setText(QString::number(h.usesLeft));
    ui->label_expiry->setText(h.expiry.isEmpty() ? QStringLiteral("不限期") : h.expiry);
    const QDate from = h.expiry.isEmpty() ? QDate::currentDate() : qMax(QDate::currentDate(), QDate::fromString(h.expiry, Qt::ISODate));
    ui->dateEdit_until->setDate(from.addMonths(1));
}

void taocanyouxiaoqidlg::on_toolButton_extend_clicked()
{
    const QString item = ui->comboBox_item->currentData().toString();
    if (item.isEmpty())
        return;
    const QString who = shouquandlg::authorizer(this);
    if (who.isEmpty())
        return;
    const LedgerResult r = PackageExpiry::extend(m_memberId, item, ui->dateEdit_until->date(), who,
                                                 operatorSession().loginName);
    if (!r.ok) {
        ctrlUiClass::showInfo(r.error, this);
        return;
    }
    const int keep = ui->comboBox_item->currentIndex();
    m_items = PackageExpiry::itemsOf(m_memberId);
    on_comboBox_item_currentIndexChanged(keep);
    ctrlUiClass::showInfo(QStringLiteral("已延期到 %1").arg(m_items.value(keep).expiry), this);
}

void taocanyouxiaoqidlg::on_toolButton_saveSettings_clicked()
{
    const LedgerResult r = PackageExpiry::setSettings(ui->checkBox_allowExpired->isChecked(),
                                                      ui->comboBox_noticeDays->currentData().toInt(),
                                                      operatorSession().loginName);
    ctrlUiClass::showInfo(r.ok ? QStringLiteral("设置已保存") : r.error, this);
}

void taocanyouxiaoqidlg::on_toolButton_close_clicked()
{
    accept();
}
