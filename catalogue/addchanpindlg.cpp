#include "addchanpindlg.h"
#include "ui_addchanpindlg.h"
#include "productbook.h"

#include "dialogkeys.h"

#include "addleibiedlg.h"
#include "cataloguebook.h"
#include "cataloguesupport.h"
#include "ctrluiclass.h"
#include "dbrecords.h"
#include "operatorsession.h"
#include "sqltext.h"

namespace {
const char *kCategoryList = "产品类型";
const char *kUnitList = "产品单位";
}

addchanpinDlg::addchanpinDlg(QWidget *parent)
    : QDialog(parent), ui(new Ui::addchanpinDlg), m_ctrl(new ctrlUiClass(this))
{
    ui->setupUi(this);
    DialogKeys::setMainAction(this, ui->toolButton);
    Catalogue::fillNamedList(ui->comboBox, QString::fromUtf8(kCategoryList));
    Catalogue::fillNamedList(ui->comboBox_2, QString::fromUtf8(kUnitList));
}

addchanpinDlg::~addchanpinDlg()
{
    delete ui;
}

void addchanpinDlg::setData(int mode, const QStringList &row)
{
    m_mode = mode;
    if (row.size() <= 10)
        return;
    m_oldId = row.at(0);
    ui->lineEdit->setText(row.at(0));
    ui->lineEdit_2->setText(row.at(1));
    ui->lineEdit_3->setText(row.at(2));
    Catalogue::setComboText(ui->comboBox, row.at(3));
    Catalogue::setComboText(ui->comboBox_2, row.at(4));
    ui->lineEdit_4->setText(row.at(5));
    ui->checkBox->setChecked(row.at(6) == QStringLiteral("是"));
    ui->lineEdit_5->setText(row.at(7));
    ui->lineEdit_6->setText(row.at(8));
    ui->lineEdit_7->setText(row.at(9));
    ui->lineEdit_8->setText(row.at(10));
    if (const std::optional<double> level = ProductBook::stockLevel(row.at(0)))
        ui->lineEdit_lowStock->setText(numberText(*level));
    if (mode == 2)
        ui->lineEdit->setReadOnly(true);
}

void addchanpinDlg::on_toolButton_3_clicked()
{
    addleibieDlg *dlg = new addleibieDlg;
    dlg->setData(QString::fromUtf8(kCategoryList));
    dlg->exec();
    delete dlg;
    Catalogue::refillNamedList(ui->comboBox, QString::fromUtf8(kCategoryList));
}

void addchanpinDlg::on_toolButton_4_clicked()
{
    addleibieDlg *dlg = new addleibieDlg;
    dlg->setData(QString::fromUtf8(kUnitList));
    dlg->exec();
    delete dlg;
    Catalogue::refillNamedList(ui->comboBox_2, QString::fromUtf8(kUnitList));
}

void addchanpinDlg::on_toolButton_clicked()
{
    Product p;
    p.id = ui->lineEdit->text().trimmed();
    p.name = ui->lineEdit_2->text().trimmed();
    if (p.id.isEmpty()) {
        Catalogue::plainMessage(QStringLiteral("产品编码不能为空"), this);
        return;
    }
    if (p.name.isEmpty()) {
        Catalogue::plainMessage(QStringLiteral("产品名称不能为空"), this);
        return;
    }
    // The code is the key of an edit: it identifies the row, it is not edited.
    const bool isNew = m_mode != 2;
    if (!isNew && !m_oldId.isEmpty())
        p.id = m_oldId;
    p.barcode = ui->lineEdit_3->text().trimmed();
    p.category = ui->comboBox->currentText();
    p.unit = ui->comboBox_2->currentText();
    p.size = ui->lineEdit_4->text().trimmed();
    p.timePriced = ui->checkBox->isChecked();
    p.remark = ui->lineEdit_8->text();
    const QString conflict = CatalogueBook::productConflict(p, isNew);
    if (!conflict.isEmpty()) {
        Catalogue::plainMessage(conflict, this);
        return;
    }
    if (!Catalogue::readCents(ui->lineEdit_5, QStringLiteral("进货价格"), &p.purchaseCents, this)
        || !Catalogue::readCents(ui->lineEdit_6, QStringLiteral("销售价格"), &p.sellingCents, this)
        || !Catalogue::readCents(ui->lineEdit_7, QStringLiteral("底价"), &p.floorCents, this))
        return;
    // The low-stock level of the daily reminder: a count, 0 = remind when none is left.
    if (!Catalogue::readCount(ui->lineEdit_lowStock, QStringLiteral("库存下限"), &p.lowStock, this))
        return;

    const LedgerResult r = CatalogueBook::saveProduct(p, isNew, operatorSession().loginName);
    if (!r.ok) {
        ctrlUiClass::showInfo(r.error, this);
        return;
    }
    emit DlgSend(QStringLiteral("刷新数据列表"), QVariant::fromValue(dbctrlstruct{QStringLiteral("chanpin"), {}}));
    // The stock lists join movements to products: a new product is listed there too.
    if (isNew)
        emit DlgSend(QStringLiteral("刷新数据列表"),
                     QVariant::fromValue(dbctrlstruct{QStringLiteral("chanpinrukumingxi"), {}}));
    accept();
}

void addchanpinDlg::on_toolButton_2_clicked()
{
    reject();
}
