#include "addyuangongdlg.h"
#include "ui_addyuangongdlg.h"

#include "dialogkeys.h"

#include "addleibiedlg.h"
#include "cataloguesupport.h"
#include "ctrluiclass.h"
#include "dbrecords.h"
#include "sqltext.h"
#include "transactionscope.h"

namespace {
const char *kTypeList = "员工类别";
}

addyuangongDlg::addyuangongDlg(QWidget *parent)
    : QDialog(parent), ui(new Ui::addyuangongDlg), m_ctrl(new ctrlUiClass(this))
{
    ui->setupUi(this);
    DialogKeys::setMainAction(this, ui->toolButton);
    m_ctrl->fillCombo(ui->comboBox, Catalogue::listSql(QString::fromUtf8(kTypeList)), QStringLiteral("db"));
}

addyuangongDlg::~addyuangongDlg()
{
    delete ui;
}

void addyuangongDlg::setData(int mode, const QStringList &row)
{
    m_mode = mode;
    if (mode == 2)
        setWindowTitle(QStringLiteral("员工编辑"));
    if (row.size() < 6)
        return;
    m_oldId = row.at(0);
    ui->lineEdit->setText(row.at(0));
    ui->lineEdit_2->setText(row.at(1));
    Catalogue::setComboText(ui->comboBox, row.at(2));
    ui->lineEdit_3->setText(row.at(3));
    ui->textEdit->setPlainText(row.at(5));
    // The code is the key of the update: it identifies, it is not edited.
    if (mode == 2)
        ui->lineEdit->setReadOnly(true);
}

void addyuangongDlg::on_toolButton_3_clicked()
{
    addleibieDlg *dlg = new addleibieDlg;
    dlg->setData(QString::fromUtf8(kTypeList));
    dlg->exec();
    delete dlg;
    Catalogue::refillCombo(*m_ctrl, ui->comboBox, Catalogue::listSql(QString::fromUtf8(kTypeList)));
}

void addyuangongDlg::on_toolButton_clicked()
{
    const QString id = ui->lineEdit->text().trimmed();
    const QString name = ui->lineEdit_2->text().trimmed();
    if (id.isEmpty()) {
        Catalogue::plainMessage(QStringLiteral("员工编号不能为空"), this);
        return;
    }
    if (name.isEmpty()) {
        Catalogue::plainMessage(QStringLiteral("员工名不能为空"), this);
        return;
    }
    // The name is what the combos show: it stays unique, also when an edit
    // renames someone to the name of another employee.
    QString sameName = QStringLiteral("select ID from yuangong where name='%1'").arg(sqlEsc(name));
    if (m_mode == 2)
        sameName += QStringLiteral(" and ID!='%1'").arg(sqlEsc(m_oldId));
    if (!m_ctrl->queryRows(sameName).isEmpty()) {
        Catalogue::plainMessage(QStringLiteral("该操作员已经存在！请更换会员名"), this);
        return;
    }
    if (m_mode != 2) {
        // Commission rows and the pickers find an employee by code; two
        // employees under one code could not be told apart.
        if (!m_ctrl->queryRows(QStringLiteral("select ID from yuangong where ID='%1'").arg(sqlEsc(id))).isEmpty()) {
            Catalogue::plainMessage(QStringLiteral("该员工编号已经存在！请更换员工编号"), this);
            return;
        }
    }
    const QString type = ui->comboBox->currentText();
    const QString phone = ui->lineEdit_3->text().trimmed();
    const QString remark = ui->textEdit->toPlainText();

    TransactionScope tx;
    if (m_mode == 2) {
        redbctrlstruct rec;
        rec.table = QStringLiteral("yuangong");
        rec.fields = QStringList{QStringLiteral("name"), QStringLiteral("type"), QStringLiteral("phone"),
                                 QStringLiteral("jinyong"), QStringLiteral("beizhu"), QStringLiteral("ID")};
        rec.values = QStringList{name, type, phone, QStringLiteral("否"), remark,
                                 m_oldId.isEmpty() ? id : m_oldId};
        rec.whereCount = 1;
        emit DlgSend(QStringLiteral("修改数据"), QVariant::fromValue(rec));
    } else {
        dbctrlstruct rec;
        rec.table = QStringLiteral("yuangong");
        rec.values = QStringList{id, name, type, phone, QStringLiteral("否"), remark};
        emit DlgSend(QStringLiteral("添加数据"), QVariant::fromValue(rec));
    }
    if (!tx.commit()) {
        ctrlUiClass::showInfo(Catalogue::saveFailedText(tx.firstError()), this);
        return;
    }
    accept();
}

void addyuangongDlg::on_toolButton_2_clicked()
{
    reject();
}
