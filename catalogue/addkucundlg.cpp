#include "addkucundlg.h"
#include "ui_addkucundlg.h"

#include "dialogkeys.h"

#include <QtMath>

#include "amounts.h"
#include "cataloguesupport.h"
#include "ctrluiclass.h"
#include "dbrecords.h"
#include "sqltext.h"
#include "operatorsession.h"
#include "productbook.h"
#include "stockwriter.h"

addkucunDlg::addkucunDlg(QWidget *parent)
    : QDialog(parent), ui(new Ui::addkucunDlg)
{
    ui->setupUi(this);
    DialogKeys::setMainAction(this, ui->toolButton);
    connect(ui->lineEdit, &QLineEdit::textChanged, this, &addkucunDlg::showAmount);
    connect(ui->lineEdit_2, &QLineEdit::textChanged, this, &addkucunDlg::showAmount);
}

addkucunDlg::~addkucunDlg()
{
    delete ui;
}

bool addkucunDlg::stockOut() const
{
    return m_kind == QStringLiteral("出库明细");
}

void addkucunDlg::setData(int mode, const QStringList &row, const QString &kind)
{
    m_mode = mode;
    m_row = row;
    m_kind = kind;
    if (row.size() > 9) {
        ui->label_2->setText(row.at(2));
        ui->label_4->setText(row.at(3));
        ui->label_6->setText(row.at(4));
        ui->label_8->setText(row.at(5));
        ui->lineEdit->setText(row.at(9));
        // Goods come in at what the shop paid for them, not at what they sell for.
        if (mode == 1 && !stockOut()) {
            if (const std::optional<double> cost = ProductBook::purchasePrice(row.at(2)))
                ui->lineEdit->setText(moneyText(*cost));
        }
    }
    if (mode == 2 && row.size() >= 6) {
        ui->lineEdit->setText(row.value(6));
        // A stock-out line is stored negative but typed and shown as the
        // number of pieces that leave.
        const double qty = parseNumber(row.value(7));
        ui->lineEdit_2->setText(stockOut() ? moneyText(qAbs(qty)) : row.value(7));
        ui->lineEdit_3->setText(row.value(9));
    }
    showAmount();
}

void addkucunDlg::showAmount()
{
    const double amount = parseNumber(ui->lineEdit->text()) * parseNumber(ui->lineEdit_2->text());
    ui->label_12->setText(moneyText(stockOut() ? -amount : amount));
}

void addkucunDlg::on_toolButton_clicked()
{
    if (ui->lineEdit->text().trimmed().isEmpty()) {
        Catalogue::plainMessage(QStringLiteral("产品单价不能为空"), this);
        return;
    }
    if (ui->lineEdit_2->text().trimmed().isEmpty()) {
        Catalogue::plainMessage(QStringLiteral("产品数量不能为空"), this);
        return;
    }
    QString priceTyped;
    double qty = 0;
    if (!Catalogue::readMoney(ui->lineEdit, QStringLiteral("产品单价"), &priceTyped, this)
        || !Catalogue::readCount(ui->lineEdit_2, QStringLiteral("产品数量"), &qty, this, true))
        return;
    const qint64 unitCents = parseMoneyInput(priceTyped, QStringLiteral("产品单价")).cents;
    if (double(unitCents) * qty > double(kMaxMoneyCents)) {
        Catalogue::plainMessage(QStringLiteral("金额不能超过1000000000，请检查单价和数量"), this);
        return;
    }
    if (m_row.size() < (m_mode == 2 ? 3 : 8))
        return;
    StockLine line;
    line.documentId = m_row.at(0);
    line.date = m_row.at(1);
    line.kind = m_kind;
    line.productId = m_row.at(2);
    line.unitCents = unitCents;
    line.quantity = qty;
    line.remark = ui->lineEdit_3->text();
    line.reason = m_mode == 2 ? QString() : m_row.at(6);
    line.operatorName = m_mode == 2 ? operatorSession().loginName : m_row.at(7);
    // Two lines of one product in one document share document ID and product
    // code: the line number keeps a correction to its own line.
    line.lineKey = m_mode == 2 ? m_row.value(12).toLongLong() : 0;
    line.opensDocument = m_mode == 1 && m_opensDocument;
    const LedgerResult r = m_mode == 2 ? StockWriter::correctLine(line) : StockWriter::addLine(line);
    if (!r.ok) {
        ctrlUiClass::showInfo(r.error, this);
        return;
    }
    m_savedDocumentId = r.documentId;
    dbctrlstruct refresh;
    refresh.table = QStringLiteral("chanpinrukumingxi");
    emit DlgSend(QStringLiteral("刷新数据列表"), QVariant::fromValue(refresh));
    accept();
}

void addkucunDlg::on_toolButton_2_clicked()
{
    reject();
}
