#include "addtaocandlg.h"
#include "ui_addtaocandlg.h"

#include "dialogkeys.h"

#include "addtaocanxiangmudlg.h"
#include "amounts.h"
#include "cataloguebook.h"
#include "cataloguesupport.h"
#include "ctrluiclass.h"
#include "dbrecords.h"
#include "dbsetconfig.h"
#include "operatorsession.h"
#include "packagelines.h"
#include "sqltext.h"
#include "viewfilter.h"

namespace {
const char *kLines = "套餐明细临时列表";
const char *kScratch = "temptaocanxiangmuliebiao";

// A line as the line dialog sends it: code, name, list price, uses,
// discounted price, total, care cycle, remark.
PackageLine lineOf(const QStringList &v)
{
    const auto cents = [](const QString &text) { return yuanToCents(parseNumber(text)); };
    PackageLine l;
    l.itemId = v.value(0);
    l.itemName = v.value(1);
    if (!v.value(2).trimmed().isEmpty())
        l.listCents = cents(v.value(2));
    l.uses = parseNumber(v.value(3));
    l.unitCents = cents(v.value(4));
    l.totalCents = cents(v.value(5));
    if (!v.value(6).trimmed().isEmpty())
        l.cycleDays = parseNumber(v.value(6));
    l.remark = v.value(7);
    return l;
}
}

addtaocanDlg::addtaocanDlg(QWidget *parent)
    : QDialog(parent), ui(new Ui::addtaocanDlg), m_ctrl(new ctrlUiClass(this))
{
    ui->setupUi(this);
    DialogKeys::setMainAction(this, ui->toolButton);
    // Lines left over from a dialog that did not close cleanly must not leak
    // into this package.
    PackageLines::clear();
    m_ctrl->setupView(readDbset(), ui->tableView, QString::fromUtf8(kLines));
    reloadLines();
}

addtaocanDlg::~addtaocanDlg()
{
    m_ctrl->clearViews();
    PackageLines::clear();
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
    // The remark is part of every stored row; without it an edit would wipe it.
    ui->lineEdit_5->setText(row.at(4));
    PackageLines::loadPackage(m_oldCode);
    reloadLines();
}

void addtaocanDlg::reloadLines()
{
    m_ctrl->refreshView(QString::fromUtf8(kLines), ViewFilter());
    ui->label_6->setText(QStringLiteral("原价：") + PackageLines::totalText());
}

void addtaocanDlg::DlgRecv(QString key, QVariant value)
{
    if (key == QStringLiteral("添加数据") && value.canConvert<dbctrlstruct>()) {
        const dbctrlstruct rec = value.value<dbctrlstruct>();
        if (rec.table != QLatin1String(kScratch))
            return;
        // A line that did not land fails the line dialog's save, which says so.
        PackageLines::add(lineOf(rec.values));
    } else if (key == QStringLiteral("删除数据") && value.canConvert<redbctrlstruct>()) {
        const redbctrlstruct rec = value.value<redbctrlstruct>();
        if (rec.table != QLatin1String(kScratch) || rec.fields.value(0) != QLatin1String("xiangmuID"))
            return;
        PackageLines::removeItem(rec.values.value(0));
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
    PackageLines::removeItem(row.at(0));
    reloadLines();
}

void addtaocanDlg::on_toolButton_clicked()
{
    Package p;
    p.id = ui->lineEdit->text().trimmed();
    p.name = ui->lineEdit_2->text().trimmed();
    if (p.id.isEmpty()) {
        Catalogue::plainMessage(QStringLiteral("员工编号不能为空"), this);
        return;
    }
    if (p.name.isEmpty()) {
        Catalogue::plainMessage(QStringLiteral("员工名不能为空"), this);
        return;
    }
    QString price;
    if (!Catalogue::readMoney(ui->lineEdit_4, QStringLiteral("售价"), &price, this, false))
        return;
    p.priceCents = parseMoneyInput(price, QStringLiteral("售价")).cents;
    p.validity = ui->lineEdit_3->text().trimmed();
    p.remark = ui->lineEdit_5->text();
    const QString replaces = m_mode == 2 ? m_oldCode : QString();
    const QString conflict = CatalogueBook::packageConflict(p.id, replaces);
    if (!conflict.isEmpty()) {
        Catalogue::plainMessage(conflict, this);
        return;
    }
    p.lines = PackageLines::lines();
    if (p.lines.isEmpty()) {
        // A package exists only through its lines; saving none would lose it.
        Catalogue::plainMessage(QStringLiteral("套餐还没有服务项目，请先添加套餐包含的服务项目"), this);
        return;
    }
    const LedgerResult r = CatalogueBook::savePackage(p, replaces, operatorSession().loginName);
    if (!r.ok) {
        ctrlUiClass::showInfo(r.error, this);
        return;
    }
    emit DlgSend(QStringLiteral("刷新数据列表"), QVariant::fromValue(dbctrlstruct{QStringLiteral("taocanmingxi"), {}}));
    accept();
}

void addtaocanDlg::on_toolButton_2_clicked()
{
    reject();
}
