#include "addtaocanxiangmudlg.h"
#include "ui_addtaocanxiangmudlg.h"

#include "dialogkeys.h"

#include "amounts.h"
#include "cataloguebook.h"
#include "cataloguesupport.h"
#include "ctrluiclass.h"
#include "dbrecords.h"
#include "huiyuandlg.h"
#include "sqltext.h"
#include "transactionscope.h"

addtaocanxiangmuDlg::addtaocanxiangmuDlg(QWidget *parent)
    : QDialog(parent), ui(new Ui::addtaocanxiangmuDlg), m_ctrl(new ctrlUiClass(this))
{
    ui->setupUi(this);
    DialogKeys::setMainAction(this, ui->toolButton);
    connect(ui->lineEdit_2, &QLineEdit::textChanged, this, &addtaocanxiangmuDlg::recomputeTotal);
    connect(ui->lineEdit_4, &QLineEdit::textChanged, this, &addtaocanxiangmuDlg::recomputeTotal);
    // 实收价格 is worked out, never typed: it must not look like a field that takes input.
    ui->lineEdit_5->setFocusPolicy(Qt::NoFocus);
    ui->lineEdit_5->setStyleSheet(QStringLiteral("QLineEdit{background:palette(window);border:none;}"));
    ui->lineEdit_5->setToolTip(QStringLiteral("实收价格 = 服务次数 × 优惠价格，要改实收请改优惠价格"));
}

addtaocanxiangmuDlg::~addtaocanxiangmuDlg()
{
    delete ui;
}

void addtaocanxiangmuDlg::setData(int mode, const QStringList &row)
{
    m_mode = mode;
    if (mode != 2 || row.size() < 8)
        return;
    m_oldCode = row.at(0);
    ui->lineEdit->setText(row.at(0));
    ui->lineEdit->setReadOnly(true);
    ui->toolButton_3->setEnabled(false);
    ui->label_5->setText(row.at(1));
    ui->label_7->setText(row.at(2));
    ui->label_6->setText(CatalogueBook::serviceItem(row.at(0)).value(2));
    ui->lineEdit_2->setText(row.at(3));
    ui->lineEdit_4->setText(row.at(4));
    ui->lineEdit_5->setText(row.at(5));
    ui->lineEdit_3->setText(row.at(6));
    ui->lineEdit_6->setText(row.at(7));
}

void addtaocanxiangmuDlg::showItem(const QStringList &item)
{
    ui->lineEdit->setText(item.at(0));
    ui->lineEdit->setReadOnly(true);
    ui->label_5->setText(item.at(1));
    ui->label_6->setText(item.at(2));
    ui->label_7->setText(item.at(3));
    ui->lineEdit_4->setText(item.at(3));
    ui->lineEdit_5->setText(item.at(3));
    ui->lineEdit_2->setText(QStringLiteral("1"));
    recomputeTotal();
}

void addtaocanxiangmuDlg::DlgRecv(QString key, QVariant value)
{
    if (key != QStringLiteral("服务项目选择"))
        return;
    const QStringList item = value.toStringList();
    if (item.size() < 4)
        return;
    showItem(item);
}

void addtaocanxiangmuDlg::on_toolButton_3_clicked()
{
    huiyuanDlg *dlg = new huiyuanDlg;
    connect(dlg, &huiyuanDlg::DlgSend, this, &addtaocanxiangmuDlg::DlgRecv);
    dlg->setData(QStringLiteral("服务项目选择"), QStringLiteral(" "));
    dlg->exec();
    delete dlg;
}

// A code typed by hand is looked up, so the line never carries a name or a
// price that does not belong to it.
void addtaocanxiangmuDlg::on_lineEdit_editingFinished()
{
    lookUpTypedCode();
}


bool addtaocanxiangmuDlg::lookUpTypedCode()
{
    if (ui->lineEdit->isReadOnly())
        return false;
    const QString code = ui->lineEdit->text().trimmed();
    if (code.isEmpty())
        return false;
    const QStringList item = CatalogueBook::serviceItem(code);
    if (item.size() < 4)
        return false;
    showItem(item);
    return true;
}

void addtaocanxiangmuDlg::presetItem(const QString &code)
{
    ui->lineEdit->setText(code);
    if (lookUpTypedCode()) {
        ui->lineEdit_2->setFocus();
        ui->lineEdit_2->selectAll();
    }
}

void addtaocanxiangmuDlg::recomputeTotal()
{
    const double uses = parseNumber(ui->lineEdit_2->text());
    const double price = parseNumber(ui->lineEdit_4->text());
    ui->lineEdit_5->setText(moneyText(uses * price));
}

void addtaocanxiangmuDlg::on_toolButton_clicked()
{
    const QString code = ui->lineEdit->text().trimmed();
    if (code.isEmpty()) {
        Catalogue::plainMessage(QStringLiteral("请输入项目编号，或点“...”选择服务项目"), this);
        ui->lineEdit->setFocus();
        return;
    }
    if (ui->label_5->text().isEmpty()) {
        if (!lookUpTypedCode()) {
            Catalogue::plainMessage(QStringLiteral("没有编号为“%1”的服务项目").arg(code), this);
            return;
        }
        // Enter right after a typed code finds the item and goes on to
        // 服务次数: the line is saved by the next Enter, once the cashier has
        // seen its price.
        if (ui->lineEdit->hasFocus()) {
            ui->lineEdit_2->setFocus();
            ui->lineEdit_2->selectAll();
            return;
        }
    }
    if (ui->lineEdit_2->text().trimmed().isEmpty()) {
        Catalogue::plainMessage(QStringLiteral("请输入服务次数"), this);
        ui->lineEdit_2->setFocus();
        return;
    }
    double uses = 0;
    if (!Catalogue::readCount(ui->lineEdit_2, QStringLiteral("服务次数"), &uses, this, true))
        return;
    QString price;
    if (!Catalogue::readMoney(ui->lineEdit_4, QStringLiteral("优惠价格"), &price, this))
        return;
    // The care cycle is a number of days, or none.
    double cycle = 0;
    if (!Catalogue::readCount(ui->lineEdit_3, QStringLiteral("护理周期"), &cycle, this))
        return;
    QString listPrice = ui->label_7->text().trimmed();
    if (!listPrice.isEmpty())
        listPrice = moneyText(parseNumber(listPrice));
    if (uses * parseNumber(price) > centsToYuan(kMaxMoneyCents)) {
        Catalogue::plainMessage(QStringLiteral("合计金额不能超过1000000000，请检查服务次数和优惠价格"), this);
        return;
    }
    const QString total = moneyText(uses * parseNumber(price));
    ui->lineEdit_5->setText(total);

    dbctrlstruct line;
    line.table = QStringLiteral("temptaocanxiangmuliebiao");
    line.values = QStringList{code, ui->label_5->text(), listPrice, moneyText(uses), price, total,
                              ui->lineEdit_3->text().trimmed(), ui->lineEdit_6->text()};

    TransactionScope tx;
    if (m_mode == 2) {
        redbctrlstruct old;
        old.table = line.table;
        old.fields = QStringList{QStringLiteral("xiangmuID")};
        old.values = QStringList{m_oldCode.isEmpty() ? code : m_oldCode};
        emit DlgSend(QStringLiteral("删除数据"), QVariant::fromValue(old));
    }
    emit DlgSend(QStringLiteral("添加数据"), QVariant::fromValue(line));
    if (!tx.commit()) {
        ctrlUiClass::showInfo(Catalogue::saveFailedText(tx.firstError()), this);
        return;
    }
    accept();
}

void addtaocanxiangmuDlg::on_toolButton_2_clicked()
{
    reject();
}
