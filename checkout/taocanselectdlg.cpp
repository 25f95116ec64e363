#include "taocanselectdlg.h"
#include "ui_taocanselectdlg.h"

#include "ctrluiclass.h"
#include "dbsetconfig.h"
#include "sqltext.h"

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
    // Package codes are typed by people ("A01"), so the code is compared as text.
    const QString sql =
        QStringLiteral("insert into temphuiyuantaocan(huiyuanID,xiangmuID,xiangmuname,yuanjia,"
                       "shengyucishu,youhui,heji,bencishu,shishou,zongcishu,xiaofeicishu) select '")
        + sqlEsc(m_huiyuanID)
        + QStringLiteral("', xiangmuID as 项目编号,name as 项目名称, yuanjia as 原价 ,fuwucishu as 服务次数 "
                         ",youhuijiage as 优惠价 ,heji as 合计,fuwucishu,zongjia,fuwucishu,0 from "
                         "taocanmingxi where taocanID='")
        + sqlEsc(row.at(0)) + QStringLiteral("'");
    if (!m_ctrl->execSql(sql)) {
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
