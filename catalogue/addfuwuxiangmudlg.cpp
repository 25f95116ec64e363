#include "addfuwuxiangmudlg.h"
#include "ui_addfuwuxiangmudlg.h"

#include "dialogkeys.h"

#include "addleibiedlg.h"
#include "cataloguebook.h"
#include "cataloguesupport.h"
#include "ctrluiclass.h"
#include "dbrecords.h"
#include "operatorsession.h"

namespace {
const char *kCategoryList = "项目类型";
}

addfuwuxiangmuDlg::addfuwuxiangmuDlg(QWidget *parent)
    : QDialog(parent), ui(new Ui::addfuwuxiangmuDlg), m_ctrl(new ctrlUiClass(this))
{
    ui->setupUi(this);
    DialogKeys::setMainAction(this, ui->toolButton);
    Catalogue::fillNamedList(ui->comboBox, QString::fromUtf8(kCategoryList));
}

addfuwuxiangmuDlg::~addfuwuxiangmuDlg()
{
    delete ui;
}

void addfuwuxiangmuDlg::setData(int mode, const QStringList &row)
{
    m_mode = mode;
    if (row.size() <= 5)
        return;
    // Rows shorter than the fourteen columns fill what they have.
    const auto at = [&row](int i) { return row.value(i); };
    m_oldId = at(0);
    ui->lineEdit->setText(at(0));
    ui->lineEdit_2->setText(at(1));
    Catalogue::setComboText(ui->comboBox, at(2));
    ui->lineEdit_3->setText(at(3));
    ui->lineEdit_4->setText(at(4));
    ui->lineEdit_5->setText(at(5));
    ui->lineEdit_6->setText(at(6));
    ui->checkBox->setChecked(at(7) == QStringLiteral("是"));
    ui->checkBox_2->setChecked(at(8) == QStringLiteral("是"));
    ui->checkBox_3->setChecked(at(9) == QStringLiteral("是"));
    ui->lineEdit_7->setText(at(10));
    ui->lineEdit_8->setText(at(11));
    ui->lineEdit_9->setText(at(12));
    ui->checkBox_4->setChecked(at(13) == QStringLiteral("是"));
    if (mode == 2)
        ui->lineEdit->setReadOnly(true);
}

void addfuwuxiangmuDlg::on_toolButton_3_clicked()
{
    addleibieDlg *dlg = new addleibieDlg;
    dlg->setData(QString::fromUtf8(kCategoryList));
    dlg->exec();
    delete dlg;
    Catalogue::refillNamedList(ui->comboBox, QString::fromUtf8(kCategoryList));
}

void addfuwuxiangmuDlg::on_toolButton_clicked()
{
    ServiceItem item;
    item.id = ui->lineEdit->text().trimmed();
    item.name = ui->lineEdit_2->text().trimmed();
    if (item.id.isEmpty()) {
        Catalogue::plainMessage(QStringLiteral("服务项目编号不能为空"), this);
        return;
    }
    if (item.name.isEmpty()) {
        Catalogue::plainMessage(QStringLiteral("服务项目名不能为空"), this);
        return;
    }
    // The code is the key of an edit: it identifies the row, it is not edited.
    const bool isNew = m_mode != 2;
    if (!isNew && !m_oldId.isEmpty())
        item.id = m_oldId;
    const QString conflict = CatalogueBook::serviceItemConflict(item, isNew);
    if (!conflict.isEmpty()) {
        Catalogue::plainMessage(conflict, this);
        return;
    }
    if (!Catalogue::readCents(ui->lineEdit_4, QStringLiteral("单价"), &item.priceCents, this)
        || !Catalogue::readCents(ui->lineEdit_5, QStringLiteral("成本价"), &item.costCents, this)
        || !Catalogue::readCents(ui->lineEdit_6, QStringLiteral("底价"), &item.floorCents, this))
        return;
    // Times and periods are optional; when given they are sane numbers.
    std::optional<double> *times[3] = {&item.serviceTime, &item.callBackDays, &item.cycleDays};
    QLineEdit *timeEdits[3] = {ui->lineEdit_3, ui->lineEdit_7, ui->lineEdit_8};
    const char *const timeNames[3] = {"服务时间", "回访时间", "护理周期"};
    for (int i = 0; i < 3; ++i) {
        double v = 0;
        if (!Catalogue::readCount(timeEdits[i], QString::fromUtf8(timeNames[i]), &v, this))
            return;
        if (!timeEdits[i]->text().trimmed().isEmpty())
            *times[i] = v;
    }
    item.category = ui->comboBox->currentText();
    item.timePriced = ui->checkBox->isChecked();
    item.callBack = ui->checkBox_2->isChecked();
    item.careCycle = ui->checkBox_3->isChecked();
    item.remark = ui->lineEdit_9->text();
    item.disabled = ui->checkBox_4->isChecked();

    const LedgerResult r = CatalogueBook::saveServiceItem(item, isNew, operatorSession().loginName);
    if (!r.ok) {
        ctrlUiClass::showInfo(r.error, this);
        return;
    }
    emit DlgSend(QStringLiteral("刷新数据列表"), QVariant::fromValue(dbctrlstruct{QStringLiteral("fuwuxiangmu"), {}}));
    accept();
}

void addfuwuxiangmuDlg::on_toolButton_2_clicked()
{
    reject();
}
