#include "guadandlg.h"
#include "ui_guadandlg.h"

#include "ctrluiclass.h"
#include "dbsetconfig.h"
#include "heldbills.h"
#include "operatorsession.h"
#include "shouquandlg.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QShortcut>

namespace {
const QString kView = QStringLiteral("挂单列表");
}

guadanDlg::guadanDlg(QWidget *parent)
    : QDialog(parent), ui(new Ui::guadanDlg), m_ctrl(new ctrlUiClass(this))
{
    ui->setupUi(this);
    ui->toolButton->setToolTip(QStringLiteral("取回选中的挂单（回车）"));
    ui->toolButton_2->setToolTip(QStringLiteral("删除选中的挂单（Delete）"));
    ui->toolButton_3->setToolTip(QStringLiteral("取消（Esc）"));
    auto *del = new QShortcut(QKeySequence(QKeySequence::Delete), this);
    connect(del, &QShortcut::activated, this, &guadanDlg::on_toolButton_2_clicked);
    m_ctrl->setupDeclaredView(readDbset(), ui->tableView, kView);
    ui->tableView->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    // The operator's column takes the rest of the width: no grey gap beside the list.
    ui->tableView->horizontalHeader()->setStretchLastSection(true);
    reload();
}

guadanDlg::~guadanDlg()
{
    m_ctrl->clearViews();
    delete ui;
}

void guadanDlg::reload()
{
    m_ctrl->refreshView(kView, ViewFilter());
    if (m_ctrl->viewRowCount(kView) > 0)
        ui->tableView->selectRow(0);
    ui->tableView->setFocus();
}

int guadanDlg::billCount() const
{
    return m_ctrl->viewRowCount(kView);
}

QString guadanDlg::currentId() const
{
    return m_ctrl->currentRowValues(kView).value(0);
}

void guadanDlg::on_toolButton_clicked()
{
    const QString id = currentId();
    if (id.isEmpty()) {
        ctrlUiClass::showInfo(QStringLiteral("请先选择一张挂单"), this);
        return;
    }
    emit DlgSend(QStringLiteral("解挂"), id);
    accept();
}

void guadanDlg::on_tableView_doubleClicked(const QModelIndex &index)
{
    if (index.isValid())
        ui->tableView->setCurrentIndex(index);
    on_toolButton_clicked();
}

void guadanDlg::on_toolButton_2_clicked()
{
    const QStringList row = m_ctrl->currentRowValues(kView);
    if (row.isEmpty()) {
        ctrlUiClass::showInfo(QStringLiteral("请先选择一张挂单"), this);
        return;
    }
    if (!ctrlUiClass::askYesNo(QStringLiteral("你确定要删除挂单'") + row.at(0) + QStringLiteral("'（") + row.value(2)
                                   + QStringLiteral("）吗?"),
                               this))
        return;
    // A held bill may stand for goods handed over and cash taken: throwing it
    // away is allowed as money going back out is.
    const QString by = shouquandlg::authorizer(this);
    if (by.isEmpty())
        return;
    const LedgerResult done = HeldBills::discard(row.at(0), operatorSession().loginName, by);
    if (!done.ok)
        ctrlUiClass::showInfo(done.error, this);
    reload();
}

// Enter takes the chosen bill, as a double-click does.
void guadanDlg::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        on_toolButton_clicked();
        return;
    }
    QDialog::keyPressEvent(event);
}

void guadanDlg::on_toolButton_3_clicked()
{
    reject();
}
