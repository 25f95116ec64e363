// Query pages, the comprehensive statistics, the cash-register detail and the
// shift handover: the page behaviour of the reports area.
#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "jiaobandlg.h"
#include "reportquery.h"
#include "takingstree.h"

#include <QDateEdit>
#include <QStandardItemModel>

namespace {
QString dateText(const QDateEdit *edit)
{
    // Compared as text with the stored date-times, so always in their form.
    return edit->date().toString(QStringLiteral("yyyy-MM-dd"));
}

QString typed(const QLineEdit *edit)
{
    return edit->text().trimmed();
}
} // namespace

// One branch per query button, in the order of m_queryButtons.
void MainWindow::reportsQuery(int position)
{
    Ui::MainWindow *u = ui;
    switch (position) {
    case 0: // toolButton_79: sale documents
        m_ctrl->refreshView(QStringLiteral("消费统计"),
                            ReportQuery::consumptionStats(u->comboBox_4->currentText(), dateText(u->dateEdit),
                                                          dateText(u->dateEdit_2), typed(u->lineEdit_8),
                                                          typed(u->lineEdit_9), u->comboBox_5->currentText()));
        break;
    case 1: // toolButton_83: sale lines
        m_ctrl->refreshView(QStringLiteral("统计消费明细"),
                            ReportQuery::consumptionDetail(u->comboBox_6->currentText(), dateText(u->dateEdit_3),
                                                           dateText(u->dateEdit_4), typed(u->lineEdit_10),
                                                           u->comboBox_7->currentText(), typed(u->lineEdit_11)));
        break;
    case 2: // toolButton_91: consumption ranking
        m_ctrl->refreshView(QStringLiteral("会员消费排行"),
                            ReportQuery::consumptionRanking(u->comboBox_9->currentText(), dateText(u->dateEdit_7),
                                                            dateText(u->dateEdit_8), typed(u->lineEdit_14),
                                                            u->comboBox_10->currentText()));
        break;
    case 3: // toolButton_48: payments per member
        m_ctrl->refreshView(QStringLiteral("会员交费统计"),
                            ReportQuery::paymentStats(u->comboBox_12->currentText(), dateText(u->dateEdit_11),
                                                      dateText(u->dateEdit_12), typed(u->lineEdit_4),
                                                      typed(u->lineEdit_5), u->comboBox_33->currentText(),
                                                      u->comboBox_2->currentText()));
        break;
    case 4: // toolButton_75: package payment ranking
        m_ctrl->refreshView(QStringLiteral("会员套餐排行"),
                            ReportQuery::packageRanking(u->comboBox_11->currentText(), dateText(u->dateEdit_9),
                                                        dateText(u->dateEdit_10), u->comboBox_3->currentText()));
        break;
    case 5: // toolButton_52: service analysis
        m_ctrl->refreshView(QStringLiteral("服务消费分析"),
                            ReportQuery::serviceAnalysis(typed(u->lineEdit_15), u->comboBox_15->currentText()));
        break;
    case 6: // toolButton_65: product analysis
        m_ctrl->refreshView(QStringLiteral("产品消费分析"),
                            ReportQuery::productAnalysis(typed(u->lineEdit_16), u->comboBox_17->currentText()));
        break;
    case 7: // toolButton_123: balance changes
        m_ctrl->refreshView(QStringLiteral("余额变动"),
                            ReportQuery::balanceChanges(u->comboBox_29->currentText(), dateText(u->dateEdit_27),
                                                        dateText(u->dateEdit_28), typed(u->lineEdit_21),
                                                        u->comboBox_22->currentText()));
        break;
    case 8: // toolButton_136: points changes
        m_ctrl->refreshView(QStringLiteral("积分变动"),
                            ReportQuery::pointsChanges(u->comboBox_30->currentText(), dateText(u->dateEdit_29),
                                                       dateText(u->dateEdit_30), typed(u->lineEdit_22),
                                                       u->comboBox_23->currentText()));
        break;
    case 9: // toolButton_111: commissions
        m_ctrl->refreshView(QStringLiteral("员工提成"),
                            ReportQuery::commissions(u->comboBox_27->currentText(), dateText(u->dateEdit_23),
                                                     dateText(u->dateEdit_24), u->comboBox_34->currentText()));
        break;
    case 10: // toolButton_32: member page search
        m_ctrl->refreshView(QStringLiteral("会员管理"), ReportQuery::memberSearch(typed(u->lineEdit_3)));
        break;
    case 11: // toolButton_54: stock-in documents
        m_ctrl->refreshView(QStringLiteral("入库统计"),
                            ReportQuery::stockDocuments(QStringLiteral("入库明细"), dateText(u->dateEdit_19),
                                                        dateText(u->dateEdit_20), u->comboBox_24->currentText(),
                                                        typed(u->lineEdit_23)));
        break;
    case 12: // toolButton_139: stock-out documents
        m_ctrl->refreshView(QStringLiteral("出库统计"),
                            ReportQuery::stockDocuments(QStringLiteral("出库明细"), dateText(u->dateEdit_21),
                                                        dateText(u->dateEdit_22), u->comboBox_25->currentText(),
                                                        typed(u->lineEdit_24)));
        break;
    case 13: // toolButton_144: stock on hand
        m_ctrl->refreshView(QStringLiteral("产品库存"),
                            ReportQuery::stockQuery(typed(u->lineEdit_25), u->comboBox_26->currentText()));
        break;
    case 14: // toolButton_55: products
        m_ctrl->refreshView(QStringLiteral("产品管理"),
                            ReportQuery::productSearch(typed(u->lineEdit_18), u->comboBox_19->currentText()));
        break;
    case 15: // toolButton_36: service items
        m_ctrl->refreshView(QStringLiteral("服务项目列表"),
                            ReportQuery::serviceItemSearch(typed(u->lineEdit_17), u->comboBox_18->currentText()));
        break;
    default:
        break;
    }
}

// The detail list of a master list follows the clicked row.
void MainWindow::reportsShowDetail(const QString &master, const QStringList &row)
{
    const QString suffix = ReportQuery::drillDown(master, row);
    if (suffix.isEmpty())
        return; // no row, or fewer columns than the list promises
    m_ctrl->refreshView(ReportQuery::detailViewOf(master), suffix);
}

void MainWindow::reportsDrillDown(QTableView *view)
{
    QString master;
    if (view == ui->tableView_9)
        master = QStringLiteral("会员管理");
    else if (view == ui->tableView_46)
        master = QStringLiteral("交班查询");
    else if (view == ui->tableView_37)
        master = QStringLiteral("产品库存");
    else
        return;
    reportsShowDetail(master, m_ctrl->currentRowValues(master));
}

void MainWindow::on_tableView_14_clicked(const QModelIndex &index)
{
    reportsShowDetail(QStringLiteral("消费统计"), m_ctrl->rowValues(QStringLiteral("消费统计"), index.row()));
}

void MainWindow::on_tableView_10_clicked(const QModelIndex &index)
{
    reportsShowDetail(QStringLiteral("会员交费统计"), m_ctrl->rowValues(QStringLiteral("会员交费统计"), index.row()));
}

void MainWindow::on_tableView_20_clicked(const QModelIndex &index)
{
    reportsShowDetail(QStringLiteral("服务消费分析"), m_ctrl->rowValues(QStringLiteral("服务消费分析"), index.row()));
}

void MainWindow::on_tableView_22_clicked(const QModelIndex &index)
{
    reportsShowDetail(QStringLiteral("产品消费分析"), m_ctrl->rowValues(QStringLiteral("产品消费分析"), index.row()));
}

void MainWindow::on_tableView_41_clicked(const QModelIndex &index)
{
    reportsShowDetail(QStringLiteral("员工提成"), m_ctrl->rowValues(QStringLiteral("员工提成"), index.row()));
}

void MainWindow::on_tableView_33_clicked(const QModelIndex &index)
{
    reportsShowDetail(QStringLiteral("入库统计"), m_ctrl->rowValues(QStringLiteral("入库统计"), index.row()));
}

void MainWindow::on_tableView_36_clicked(const QModelIndex &index)
{
    reportsShowDetail(QStringLiteral("出库统计"), m_ctrl->rowValues(QStringLiteral("出库统计"), index.row()));
}

void MainWindow::on_tableView_clicked(const QModelIndex &index)
{
    reportsShowDetail(QStringLiteral("会员消费"), m_ctrl->rowValues(QStringLiteral("会员消费"), index.row()));
}

// The "综合统计" tree for the page's period (both days whole).
void MainWindow::refreshTakingsStatistics()
{
    if (!m_statModel)
        m_statModel = new QStandardItemModel(ui->treeView);
    const QString from = dateText(ui->dateEdit_13);
    const QString to = dateText(ui->dateEdit_14) + QStringLiteral(" 23:59:59");
    TakingsTree::refill(*m_ctrl, QStringLiteral("tempzonghetongji"), from, to);
    TakingsTree::build(*m_ctrl, m_statModel, QStringLiteral("tempzonghetongji"), from, to);
    ui->treeView->setModel(m_statModel);
    ui->treeView->expandAll();
}

// The cash-register detail is made for the period asked, every time it is asked:
// records taken since start-up are in it, and start-up does no work for it.
void MainWindow::refreshCashDetail()
{
    const QString from = dateText(ui->dateEdit_13);
    const QString to = dateText(ui->dateEdit_14);
    ReportQuery::fillCashDetail(*m_ctrl, from, to);
    m_ctrl->refreshView(QStringLiteral("收银明细查询"),
                        ReportQuery::cashDetail(from, to, ui->comboBox_32->currentText()));
}

void MainWindow::on_toolButton_86_clicked()
{
    refreshTakingsStatistics();
    refreshCashDetail();
}

void MainWindow::on_comboBox_32_activated(int)
{
    refreshCashDetail();
}

void MainWindow::on_toolButton_66_clicked()
{
    m_ctrl->refreshView(QStringLiteral("交班查询"),
                        ReportQuery::shiftHistory(dateText(ui->dateEdit_25), dateText(ui->dateEdit_26),
                                                  ui->comboBox_31->currentText()));
}

void MainWindow::on_toolButton_8_clicked()
{
    auto *dlg = new jiaobanDlg;
    connect(dlg, &jiaobanDlg::DlgSend, this, &MainWindow::DlgRecv);
    const bool handedOver = dlg->exec() == QDialog::Accepted;
    delete dlg;
    if (handedOver)
        on_toolButton_66_clicked();
}
