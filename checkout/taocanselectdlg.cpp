#include "taocanselectdlg.h"
#include "ui_taocanselectdlg.h"

#include "ctrluiclass.h"
#include "dbsetconfig.h"
#include "packagedraft.h"

namespace {
const char *kView = "套餐列表";
}

taocanselectDlg::taocanselectDlg(QWidget *parent)
    : QDialog(parent), ui(new Ui::taocanselectDlg), m_ctrl(new ctrlUiClass(this))
{
    ui->setupUi(this);
    m_ctrl->setupView(readDbset(), ui->tableView, QString::fromUtf8(kView));
}

taocanselectDlg::~taocanselectDlg()
{
    m_ctrl->clearViews();
    delete ui;
}

void taocanselectDlg::setData(const QString &huiyuanID)
{
    m_huiyuanID = huiyuanID;
}

void taocanselectDlg::choose()
{
    const QStringList row = m_ctrl->currentRowValues(QString::fromUtf8(kView));
    if (row.isEmpty())
        return;
    if (!PackageDraft::addPackage(m_huiyuanID, row.at(0))) {
        ctrlUiClass::showInfo(QStringLiteral("套餐项目读取失败，请重试"), this);
        return;
    }
    accept();
}

void taocanselectDlg::on_toolButton_3_clicked()
{
    choose();
}

void taocanselectDlg::on_toolButton_4_clicked()
{
    reject();
}

void taocanselectDlg::on_tableView_doubleClicked(const QModelIndex &index)
{
    if (index.isValid())
        ui->tableView->setCurrentIndex(index);
    choose();
}
