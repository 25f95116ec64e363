#include "addtaocandlg.h"
#include "ui_addtaocandlg.h"

#include "dialogkeys.h"

#include <QDebug>

#include "addtaocanxiangmudlg.h"
#include "cataloguesupport.h"
#include "ctrluiclass.h"
#include "dbrecords.h"
#include "dbsetconfig.h"
#include "sqllog.h"
#include "sqltext.h"
#include "tableregistry.h"
#include "transactionscope.h"

namespace {
const char *kLines = "套餐明细临时列表";
const char *kScratch = "temptaocanxiangmuliebiao";
}

addtaocanDlg::addtaocanDlg(QWidget *parent)
    : QDialog(parent), ui(new Ui::addtaocanDlg), m_ctrl(new ctrlUiClass(this)),
      m_registry(new TableRegistry)
{
    ui->setupUi(this);
    DialogKeys::setMainAction(this, ui->toolButton);
    const DbsetMap map = readDbset();
    // A scratch table left over from a dialog that did not close cleanly must
    // not leak its lines into this package.
    m_ctrl->execSql(QStringLiteral("drop table if exists temptaocanxiangmuliebiao"));
    m_ctrl->execSql(dbsetEntry<tempCreateTableinfo>(map, QStringLiteral("temptaocanxiangmuliebiao_db")).SqlStr);
    m_ctrl->setupView(map, ui->tableView, QString::fromUtf8(kLines));
    reloadLines();
}

addtaocanDlg::~addtaocanDlg()
{
    m_ctrl->clearViews();
    m_ctrl->execSql(QStringLiteral("drop table temptaocanxiangmuliebiao"));
    delete m_registry;
    delete ui;
}

void addtaocanDlg::setData(int mode, const QStringList &row)
{
    m_mode = mode;
    if (mode != 2 || row.size() <= 4)
        return;
    m_oldCode = row.at(0);
    ui->lineEdit->setText(row.at(0));
    ui->lineEdit_2->setText(row.at(1));
    ui->lineEdit_3->setText(row.at(2));
    ui->lineEdit_4->setText(row.at(3));
    // A line whose service item was deleted since is kept (left join): an
    // edit must not drop it silently. The remark is part of every stored row; without it an edit would wipe it.
    ui->lineEdit_5->setText(row.at(4));
    const QString copy = QStringLiteral(
        "insert into temptaocanxiangmuliebiao select  xiangmuID as 项目编号,b.`name` 项目名称,"
        "ifnull(b.xiaoshoujiage,a.yuanjia) as 原价,a.fuwucishu as 服务次数,a.youhuijiage as 优惠价格,a.heji as 合计,"
        "a.zhouqi as 周期, b.beizhu as 备注  from taocanmingxi a left join fuwuxiangmu b "
        "on a.xiangmuID=b.ID where a.taocanID='%1' order by a.rowid").arg(sqlEsc(m_oldCode));
    if (!m_ctrl->execSql(copy))
        qCWarning(lcSql) << "插入 temptaocanxiangmuliebiao错误";
    reloadLines();
}

void addtaocanDlg::reloadLines()
{
    m_ctrl->refreshView(QString::fromUtf8(kLines), QStringLiteral(" "));
    const QStringList sum = m_ctrl->queryRow(
        QStringLiteral("select ROUND(SUM(heji),3) from temptaocanxiangmuliebiao"));
    const QString total = sum.value(0).isEmpty() ? QStringLiteral("0") : sum.value(0);
    ui->label_6->setText(QStringLiteral("原价：") + total);
}

void addtaocanDlg::DlgRecv(QString key, QVariant value)
{
    const TableEntry *scratch = m_registry->find(QString::fromUtf8(kScratch));
    if (!scratch)
        return;
    if (key == QStringLiteral("添加数据") && value.canConvert<dbctrlstruct>()) {
        const dbctrlstruct rec = value.value<dbctrlstruct>();
        if (rec.table == QLatin1String(kScratch))
            m_ctrl->insertRecord(scratch, rec.values);
    } else if (key == QStringLiteral("修改数据") && value.canConvert<redbctrlstruct>()) {
        const redbctrlstruct rec = value.value<redbctrlstruct>();
        if (rec.table == QLatin1String(kScratch))
            m_ctrl->updateRecord(scratch, rec.fields, rec.values, rec.whereCount);
    } else if (key == QStringLiteral("删除数据") && value.canConvert<redbctrlstruct>()) {
        const redbctrlstruct rec = value.value<redbctrlstruct>();
        if (rec.table == QLatin1String(kScratch))
            m_ctrl->deleteRecord(scratch, rec.fields, rec.values);
    } else {
        return;
    }
    reloadLines();
}

void addtaocanDlg::openLine(int mode, const QStringList &row)
{
    addtaocanxiangmuDlg *dlg = new addtaocanxiangmuDlg;
    connect(dlg, &addtaocanxiangmuDlg::DlgSend, this, &addtaocanDlg::DlgRecv);
    dlg->setData(mode, row);
    dlg->exec();
    delete dlg;
    reloadLines();
}

void addtaocanDlg::on_toolButton_4_clicked()
{
    openLine(1, QStringList());
}

void addtaocanDlg::on_toolButton_3_clicked()
{
    const QStringList row = m_ctrl->currentRowValues(QString::fromUtf8(kLines));
    if (row.isEmpty())
        return;
    openLine(2, row);
}

void addtaocanDlg::on_tableView_doubleClicked(const QModelIndex &)
{
    on_toolButton_3_clicked();
}

void addtaocanDlg::on_toolButton_5_clicked()
{
    const QStringList row = m_ctrl->currentRowValues(QString::fromUtf8(kLines));
    if (row.isEmpty())
        return;
    m_ctrl->execSql(QStringLiteral("delete from temptaocanxiangmuliebiao where xiangmuID='%1'")
                        .arg(sqlEsc(row.at(0))));
    reloadLines();
}

void addtaocanDlg::on_toolButton_clicked()
{
    const QString code = ui->lineEdit->text().trimmed();
    const QString name = ui->lineEdit_2->text().trimmed();
    if (code.isEmpty()) {
        Catalogue::plainMessage(QStringLiteral("员工编号不能为空"), this);
        return;
    }
    if (name.isEmpty()) {
        Catalogue::plainMessage(QStringLiteral("员工名不能为空"), this);
        return;
    }
    QString price;
    if (!Catalogue::readMoney(ui->lineEdit_4, QStringLiteral("售价"), &price, this, false))
        return;
    // Rows of one package are found by their code: a second package under a
    // code already taken would mix its lines into the other one.
    if ((m_mode != 2 || code != m_oldCode)
        && !m_ctrl->queryRows(QStringLiteral("select taocanID from taocanmingxi where taocanID='%1' limit 1")
                                  .arg(sqlEsc(code))).isEmpty()) {
        Catalogue::plainMessage(QStringLiteral("该套餐编号已经存在！请更换套餐编号"), this);
        return;
    }
    const QList<QStringList> lines = m_ctrl->queryRows(QStringLiteral(
        "select * from temptaocanxiangmuliebiao order by rowid"));
    if (lines.isEmpty()) {
        // A package exists only through its lines; saving none would lose it.
        Catalogue::plainMessage(QStringLiteral("套餐还没有服务项目，请先添加套餐包含的服务项目"), this);
        return;
    }

    TransactionScope tx;
    if (m_mode == 2) {
        redbctrlstruct old;
        old.table = QStringLiteral("taocanmingxi");
        old.fields = QStringList{QStringLiteral("taocanID")};
        old.values = QStringList{m_oldCode.isEmpty() ? code : m_oldCode};
        emit DlgSend(QStringLiteral("删除数据"), QVariant::fromValue(old));
    }
    for (const QStringList &line : lines) {
        dbctrlstruct rec;
        rec.table = QStringLiteral("taocanmingxi");
        rec.values = QStringList{code, name, ui->lineEdit_3->text().trimmed(), price,
                                 line.value(0), line.value(2), line.value(3), line.value(4),
                                 line.value(5), line.value(6), ui->lineEdit_5->text()};
        emit DlgSend(QStringLiteral("添加数据"), QVariant::fromValue(rec));
    }
    if (!tx.commit()) {
        ctrlUiClass::showInfo(Catalogue::saveFailedText(tx.firstError()), this);
        return;
    }
    accept();
}

void addtaocanDlg::on_toolButton_2_clicked()
{
    reject();
}
