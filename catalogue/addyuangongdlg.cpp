#include "addyuangongdlg.h"
#include "ui_addyuangongdlg.h"

#include "dialogkeys.h"

#include "addleibiedlg.h"
#include "cataloguebook.h"
#include "cataloguesupport.h"
#include "ctrluiclass.h"
#include "dbrecords.h"
#include "operatorsession.h"

namespace {
const char *kTypeList = "员工类别";
}

addyuangongDlg::addyuangongDlg(QWidget *parent)
    : QDialog(parent), ui(new Ui::addyuangongDlg), m_ctrl(new ctrlUiClass(this))
{
    ui->setupUi(this);
    DialogKeys::setMainAction(this, ui->toolButton);
    Catalogue::fillNamedList(ui->comboBox, QString::fromUtf8(kTypeList));
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
    Catalogue::refillNamedList(ui->comboBox, QString::fromUtf8(kTypeList));
}

void addyuangongDlg::on_toolButton_clicked()
{
    Employee e;
    e.id = ui->lineEdit->text().trimmed();
    e.name = ui->lineEdit_2->text().trimmed();
    if (e.id.isEmpty()) {
        Catalogue::plainMessage(QStringLiteral("员工编号不能为空"), this);
        return;
    }
    if (e.name.isEmpty()) {
        Catalogue::plainMessage(QStringLiteral("员工名不能为空"), this);
        return;
    }
    const bool isNew = m_mode != 2;
    if (!isNew && !m_oldId.isEmpty())
        e.id = m_oldId;
    e.type = ui->comboBox->currentText();
    e.phone = ui->lineEdit_3->text().trimmed();
    e.remark = ui->textEdit->toPlainText();
    const QString conflict = CatalogueBook::employeeConflict(e, isNew);
    if (!conflict.isEmpty()) {
        Catalogue::plainMessage(conflict, this);
        return;
    }
    const LedgerResult r = CatalogueBook::saveEmployee(e, isNew, operatorSession().loginName);
    if (!r.ok) {
        ctrlUiClass::showInfo(r.error, this);
        return;
    }
    emit DlgSend(QStringLiteral("刷新数据列表"), QVariant::fromValue(dbctrlstruct{QStringLiteral("yuangong"), {}}));
    accept();
}

void addyuangongDlg::on_toolButton_2_clicked()
{
    reject();
}
