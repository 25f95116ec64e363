#include "adddlg.h"
#include "ui_adddlg.h"

#include "dialogkeys.h"

#include "cataloguebook.h"
#include "cataloguesupport.h"
#include "ctrluiclass.h"
#include "operatorsession.h"

addDlg::addDlg(QWidget *parent)
    : QDialog(parent), ui(new Ui::addDlg), m_ctrl(new ctrlUiClass(this))
{
    ui->setupUi(this);
    DialogKeys::setMainAction(this, ui->toolButton);
}

addDlg::~addDlg()
{
    delete ui;
}

void addDlg::setData(const QString &listName)
{
    m_list = listName;
    setWindowTitle(QStringLiteral("类别编辑 - ") + listName);
}

void addDlg::on_toolButton_clicked()
{
    const QString entry = ui->lineEdit->text().trimmed();
    const QString conflict = CatalogueBook::categoryConflict(m_list, entry);
    if (!conflict.isEmpty()) {
        Catalogue::plainMessage(conflict, this);
        return;
    }
    const LedgerResult r = CatalogueBook::addCategory(m_list, entry, operatorSession().loginName);
    if (!r.ok) {
        ctrlUiClass::showInfo(r.error, this);
        return;
    }
    accept();
}

void addDlg::on_toolButton_2_clicked()
{
    reject();
}
