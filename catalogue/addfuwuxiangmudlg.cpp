#include "addfuwuxiangmudlg.h"
#include "ui_addfuwuxiangmudlg.h"

#include "dialogkeys.h"

#include "addleibiedlg.h"
#include "cataloguesupport.h"
#include "ctrluiclass.h"
#include "dbrecords.h"
#include "sqltext.h"
#include "transactionscope.h"

namespace {
const char *kCategoryList = "项目类型";

QString yesNo(bool on)
{
    return on ? QStringLiteral("是") : QStringLiteral("否");
}
}

addfuwuxiangmuDlg::addfuwuxiangmuDlg(QWidget *parent)
    : QDialog(parent), ui(new Ui::addfuwuxiangmuDlg), m_ctrl(new ctrlUiClass(this))
{
    ui->setupUi(this);
    DialogKeys::setMainAction(this, ui->toolButton);
    m_ctrl->fillCombo(ui->comboBox, Catalogue::listSql(QString::fromUtf8(kCategoryList)), QStringLiteral("db"));
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
    Catalogue::refillCombo(*m_ctrl, ui->comboBox, Catalogue::listSql(QString::fromUtf8(kCategoryList)));
}

void addfuwuxiangmuDlg::on_toolButton_clicked()
{
    const QString id = ui->lineEdit->text().trimmed();
    const QString name = ui->lineEdit_2->text().trimmed();
    if (id.isEmpty()) {
        Catalogue::plainMessage(QStringLiteral("服务项目编号不能为空"), this);
        return;
    }
    if (name.isEmpty()) {
        Catalogue::plainMessage(QStringLiteral("服务项目名不能为空"), this);
        return;
    }
    QString sameName = QStringLiteral("select ID from fuwuxiangmu where name='%1'").arg(sqlEsc(name));
    if (m_mode == 2)
        sameName += QStringLiteral(" and ID!='%1'").arg(sqlEsc(m_oldId));
    if (!m_ctrl->queryRows(sameName).isEmpty()) {
        Catalogue::plainMessage(QStringLiteral("服务项目已经存在！请更换服务项目名"), this);
        return;
    }
    // A new item copied from the selected one keeps its code unless the
    // operator changes it; a second item under one code would be written over.
    if (m_mode != 2
        && !m_ctrl->queryRows(QStringLiteral("select ID from fuwuxiangmu where ID='%1'").arg(sqlEsc(id))).isEmpty()) {
        Catalogue::plainMessage(QStringLiteral("服务项目编号已经存在！请更换服务项目编号"), this);
        return;
    }
    QString price, cost, floor;
    if (!Catalogue::readMoney(ui->lineEdit_4, QStringLiteral("单价"), &price, this)
        || !Catalogue::readMoney(ui->lineEdit_5, QStringLiteral("成本价"), &cost, this)
        || !Catalogue::readMoney(ui->lineEdit_6, QStringLiteral("底价"), &floor, this))
        return;
    // Times and periods are optional; when given they are sane numbers.
    QString times[3];
    QLineEdit *timeEdits[3] = {ui->lineEdit_3, ui->lineEdit_7, ui->lineEdit_8};
    const char *const timeNames[3] = {"服务时间", "回访时间", "护理周期"};
    for (int i = 0; i < 3; ++i) {
        double v = 0;
        if (!Catalogue::readCount(timeEdits[i], QString::fromUtf8(timeNames[i]), &v, this))
            return;
        times[i] = timeEdits[i]->text().trimmed().isEmpty() ? QString() : moneyText(v);
    }

    const QStringList values{name,
                             ui->comboBox->currentText(),
                             times[0],
                             price,
                             cost,
                             floor,
                             yesNo(ui->checkBox->isChecked()),
                             yesNo(ui->checkBox_2->isChecked()),
                             times[1],
                             yesNo(ui->checkBox_3->isChecked()),
                             times[2],
                             ui->lineEdit_9->text(),
                             yesNo(ui->checkBox_4->isChecked())};

    TransactionScope tx;
    if (m_mode == 2) {
        redbctrlstruct rec;
        rec.table = QStringLiteral("fuwuxiangmu");
        rec.fields = QStringList{QStringLiteral("name"), QStringLiteral("leibie"), QStringLiteral("fuwushijian"),
                                 QStringLiteral("xiaoshoujiage"), QStringLiteral("chengbenjiage"),
                                 QStringLiteral("dijia"), QStringLiteral("shijiaxiangmu"),
                                 QStringLiteral("shifouhuifan"), QStringLiteral("huifangshijian"),
                                 QStringLiteral("shifouyouhulizhouqi"), QStringLiteral("zhouqi"),
                                 QStringLiteral("beizhu"), QStringLiteral("jinyong"), QStringLiteral("ID")};
        rec.values = values;
        rec.values << (m_oldId.isEmpty() ? id : m_oldId);
        rec.whereCount = 1;
        emit DlgSend(QStringLiteral("修改数据"), QVariant::fromValue(rec));
    } else {
        dbctrlstruct rec;
        rec.table = QStringLiteral("fuwuxiangmu");
        rec.values = QStringList{id} + values;
        emit DlgSend(QStringLiteral("添加数据"), QVariant::fromValue(rec));
    }
    if (!tx.commit()) {
        ctrlUiClass::showInfo(Catalogue::saveFailedText(tx.firstError()), this);
        return;
    }
    accept();
}

void addfuwuxiangmuDlg::on_toolButton_2_clicked()
{
    reject();
}
