#include "addchanpindlg.h"
#include "ui_addchanpindlg.h"
#include "productbook.h"

#include "dialogkeys.h"

#include "addleibiedlg.h"
#include "cataloguesupport.h"
#include "ctrluiclass.h"
#include "dbrecords.h"
#include "sqltext.h"
#include "transactionscope.h"

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
    const QString id = ui->lineEdit->text().trimmed();
    if (id.isEmpty()) {
        Catalogue::plainMessage(QStringLiteral("产品编码不能为空"), this);
        return;
    }
    if (ui->lineEdit_2->text().trimmed().isEmpty()) {
        Catalogue::plainMessage(QStringLiteral("产品名称不能为空"), this);
        return;
    }
    if (m_mode != 2 && ProductBook::exists(id)) {
        Catalogue::plainMessage(QStringLiteral("该产品编码已经存在！请更换产品编码"), this);
        return;
    }
    // A deleted product's movements stay as its history: a new product under
    // the same code would inherit its stock and its sales. (The zero movement
    // of its creation carries nothing.)
    if (m_mode != 2 && ProductBook::codeHasMovements(id)) {
        Catalogue::plainMessage(QStringLiteral("该产品编码曾用于已删除的产品，还有它的出入库记录！请更换产品编码"), this);
        return;
    }
    QString purchase, selling, floor;
    if (!Catalogue::readMoney(ui->lineEdit_5, QStringLiteral("进货价格"), &purchase, this)
        || !Catalogue::readMoney(ui->lineEdit_6, QStringLiteral("销售价格"), &selling, this)
        || !Catalogue::readMoney(ui->lineEdit_7, QStringLiteral("底价"), &floor, this))
        return;
    // The low-stock level of the daily reminder: a count, 0 = remind when none is left.
    double level = 0;
    if (!Catalogue::readCount(ui->lineEdit_lowStock, QStringLiteral("库存下限"), &level, this))
        return;

    const QStringList values{ui->lineEdit_2->text().trimmed(),
                             ui->lineEdit_3->text().trimmed(),
                             ui->comboBox->currentText(),
                             ui->comboBox_2->currentText(),
                             ui->lineEdit_4->text().trimmed(),
                             purchase,
                             selling,
                             floor,
                             ui->checkBox->isChecked() ? QStringLiteral("是") : QStringLiteral("否"),
                             ui->lineEdit_8->text()};

    TransactionScope tx;
    if (m_mode == 2) {
        redbctrlstruct rec;
        rec.table = QStringLiteral("chanpin");
        rec.fields = QStringList{QStringLiteral("name"), QStringLiteral("tiaoma"), QStringLiteral("leibie"),
                                 QStringLiteral("danwei"), QStringLiteral("guige"), QStringLiteral("jinhuojiage"),
                                 QStringLiteral("xiaoshoujiage"), QStringLiteral("dijia"),
                                 QStringLiteral("shijiashangpin"), QStringLiteral("beizhu"), QStringLiteral("ID")};
        rec.values = values;
        rec.values << (m_oldId.isEmpty() ? id : m_oldId);
        rec.whereCount = 1;
        emit DlgSend(QStringLiteral("修改数据"), QVariant::fromValue(rec));
    } else {
        // The zero movement lists the product in every stock list before it
        // has any real movement; product and movement land together or not at all.
        const QString zero = QStringLiteral("0");
        dbctrlstruct move;
        move.table = QStringLiteral("chanpinrukumingxi");
        move.values = QStringList{QStringLiteral("000000"), ctrlUiClass::nowText(), QStringLiteral("入库明细"),
                                  id, zero, zero, zero, zero, zero, zero};
        emit DlgSend(QStringLiteral("添加数据"), QVariant::fromValue(move));
        dbctrlstruct rec;
        rec.table = QStringLiteral("chanpin");
        rec.values = QStringList{id} + values;
        emit DlgSend(QStringLiteral("添加数据"), QVariant::fromValue(rec));
    }
    ProductBook::setStockLevel(m_mode == 2 && !m_oldId.isEmpty() ? m_oldId : id, level);
    if (!tx.commit()) {
        ctrlUiClass::showInfo(Catalogue::saveFailedText(tx.firstError()), this);
        return;
    }
    if (m_mode != 2) {
        // The stock lists join movements to products: they were re-run before
        // the product row existed, so they are asked again.
        dbctrlstruct refresh;
        refresh.table = QStringLiteral("chanpinrukumingxi");
        emit DlgSend(QStringLiteral("刷新数据列表"), QVariant::fromValue(refresh));
    }
    accept();
}

void addchanpinDlg::on_toolButton_2_clicked()
{
    reject();
}
