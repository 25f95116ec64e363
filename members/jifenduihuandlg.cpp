#include "jifenduihuandlg.h"
#include "ui_jifenduihuandlg.h"

#include "accountbooks.h"
#include "amounts.h"
#include "ctrluiclass.h"
#include "operatorsession.h"
#include "shouquandlg.h"

#include <QHeaderView>

namespace {
void fill(QTableWidget *t, const QStringList &headers, const QList<QStringList> &rows)
{
    t->setColumnCount(headers.size());
    t->setHorizontalHeaderLabels(headers);
    t->setRowCount(rows.size());
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < headers.size(); ++c)
            t->setItem(r, c, new QTableWidgetItem(rows.at(r).value(c)));
    t->resizeColumnsToContents();
    t->horizontalHeader()->setStretchLastSection(true);
    t->verticalHeader()->hide();
}

QString amountText(const Reward &w)
{
    return w.kind == QString::fromUtf8(kRewardValue) ? centsShown(w.amount) + QStringLiteral("元")
                                                     : QString::number(w.amount);
}
} // namespace

jifenduihuandlg::jifenduihuandlg(QWidget *parent) : QDialog(parent), ui(new Ui::jifenduihuandlg)
{
    ui->setupUi(this);
    ui->comboBox_rewardKind->addItems(
        {QString::fromUtf8(kRewardProduct), QString::fromUtf8(kRewardService), QString::fromUtf8(kRewardValue)});
    ui->label_points->setStyleSheet(QStringLiteral("color:rgb(255,0,0);font-weight:bold"));
    connect(ui->spinBox_quantity, qOverload<int>(&QSpinBox::valueChanged), this, &jifenduihuandlg::showNeed);
    connect(ui->tableWidget_rewards, &QTableWidget::itemSelectionChanged, this, &jifenduihuandlg::showNeed);
}

jifenduihuandlg::~jifenduihuandlg()
{
    delete ui;
}

void jifenduihuandlg::setup(const QString &memberId, const QString &memberName)
{
    m_memberId = memberId;
    ui->label_member->setText(QStringLiteral("%1（%2）").arg(memberName, memberId));
    reload();
}

void jifenduihuandlg::reload()
{
    ui->label_points->setText(QString::number(PointsBook::points(m_memberId)));
    m_offered = PointsRedemption::rewards(true);
    m_all = PointsRedemption::rewards();
    m_history = PointsRedemption::ofMember(m_memberId);
    QList<QStringList> rows;
    for (const Reward &w : m_offered)
        rows << QStringList{w.id, w.name, w.kind, amountText(w), QString::number(w.points)};
    fill(ui->tableWidget_rewards, {QStringLiteral("编号"), QStringLiteral("名称"), QStringLiteral("类型"),
                                   QStringLiteral("每份"), QStringLiteral("所需积分")},
         rows);
    rows.clear();
    for (const Reward &w : m_all)
        rows << QStringList{w.id, w.name, w.kind, w.itemId, amountText(w), QString::number(w.points),
                            w.enabled ? QStringLiteral("是") : QStringLiteral("否")};
    fill(ui->tableWidget_rewardList, {QStringLiteral("编号"), QStringLiteral("名称"), QStringLiteral("类型"),
                                      QStringLiteral("产品或项目"), QStringLiteral("每份"), QStringLiteral("所需积分"),
                                      QStringLiteral("启用")},
         rows);
    rows.clear();
    for (const Redemption &d : m_history)
        rows << QStringList{d.id, d.date, d.rewardName, QString::number(d.quantity), QString::number(d.points), d.state,
                            d.operatorName};
    fill(ui->tableWidget_history, {QStringLiteral("兑换单号"), QStringLiteral("日期"), QStringLiteral("名称"),
                                   QStringLiteral("份数"), QStringLiteral("积分"), QStringLiteral("状态"),
                                   QStringLiteral("操作员")},
         rows);
    showNeed();
}

void jifenduihuandlg::showNeed()
{
    const int r = ui->tableWidget_rewards->currentRow();
    const bool chosen = r >= 0 && r < m_offered.size() && ui->tableWidget_rewards->selectionModel()->hasSelection();
    ui->label_need->setText(chosen ? QStringLiteral("共需 %1 积分").arg(m_offered.at(r).points * ui->spinBox_quantity->value())
                                   : QString());
    ui->toolButton_redeem->setEnabled(chosen);
}

void jifenduihuandlg::on_toolButton_redeem_clicked()
{
    const int r = ui->tableWidget_rewards->currentRow();
    if (r < 0 || r >= m_offered.size())
        return;
    const LedgerResult done = PointsRedemption::redeem(m_memberId, m_offered.at(r).id, ui->spinBox_quantity->value(),
                                                       operatorSession().loginName);
    if (!done.ok) {
        ctrlUiClass::showInfo(done.error, this);
        return;
    }
    // Saved at an earlier try whose answer was lost, not again.
    if (!done.notice.isEmpty())
        ctrlUiClass::showInfo(done.notice, this);
    m_last = done.documentId;
    m_lastAction = QStringLiteral("积分兑换");
    reload();
    ctrlUiClass::showInfo(QStringLiteral("兑换成功  兑换单：") + done.documentId, this);
}

void jifenduihuandlg::on_toolButton_void_clicked()
{
    const int r = ui->tableWidget_history->currentRow();
    if (r < 0 || r >= m_history.size() || !ui->tableWidget_history->selectionModel()->hasSelection()) {
        ctrlUiClass::showInfo(QStringLiteral("请先在兑换记录中选择要作废的兑换单"), this);
        return;
    }
    const Redemption d = m_history.at(r);
    if (!ctrlUiClass::askYesNo(QStringLiteral("是否作废兑换单 %1（%2×%3）？积分退回，兑换的东西收回。")
                                   .arg(d.id, d.rewardName)
                                   .arg(d.quantity),
                               this))
        return;
    const QString who = shouquandlg::authorizer(this);
    if (who.isEmpty())
        return;
    const LedgerResult done = PointsRedemption::voidRedemption(d.id, who, operatorSession().loginName);
    if (!done.ok) {
        ctrlUiClass::showInfo(done.error, this);
        return;
    }
    m_last = d.id;
    m_lastAction = QStringLiteral("作废积分兑换");
    reload();
}

void jifenduihuandlg::on_tableWidget_rewardList_itemSelectionChanged()
{
    const int r = ui->tableWidget_rewardList->currentRow();
    if (r < 0 || r >= m_all.size())
        return;
    const Reward &w = m_all.at(r);
    ui->lineEdit_rewardId->setText(w.id);
    ui->lineEdit_rewardName->setText(w.name);
    ui->comboBox_rewardKind->setCurrentText(w.kind);
    ui->lineEdit_rewardItem->setText(w.itemId);
    ui->lineEdit_rewardAmount->setText(w.kind == QString::fromUtf8(kRewardValue) ? centsText(w.amount)
                                                                                 : QString::number(w.amount));
    ui->lineEdit_rewardPoints->setText(QString::number(w.points));
    ui->checkBox_rewardEnabled->setChecked(w.enabled);
}

void jifenduihuandlg::on_toolButton_saveReward_clicked()
{
    Reward w;
    w.id = ui->lineEdit_rewardId->text().trimmed();
    w.name = ui->lineEdit_rewardName->text().trimmed();
    w.kind = ui->comboBox_rewardKind->currentText();
    w.itemId = ui->lineEdit_rewardItem->text().trimmed();
    w.enabled = ui->checkBox_rewardEnabled->isChecked();
    const bool stored = w.kind == QString::fromUtf8(kRewardValue);
    if (stored) {
        const MoneyInput m = parseMoneyInput(ui->lineEdit_rewardAmount->text(), QStringLiteral("储值金额"));
        if (!m.ok) {
            ctrlUiClass::showInfo(m.error, this);
            return;
        }
        w.amount = m.cents;
    } else {
        const CountInput c = parseCountInput(ui->lineEdit_rewardAmount->text(), QStringLiteral("每份数量"), 0);
        if (!c.ok) {
            ctrlUiClass::showInfo(c.error, this);
            return;
        }
        w.amount = qint64(c.value);
    }
    const CountInput points = parseCountInput(ui->lineEdit_rewardPoints->text(), QStringLiteral("所需积分"));
    if (!points.ok) {
        ctrlUiClass::showInfo(points.error, this);
        return;
    }
    w.points = points.value;
    const LedgerResult r = PointsRedemption::saveReward(w, operatorSession().loginName);
    if (!r.ok) {
        ctrlUiClass::showInfo(r.error, this);
        return;
    }
    reload();
}

void jifenduihuandlg::on_toolButton_removeReward_clicked()
{
    const QString id = ui->lineEdit_rewardId->text().trimmed();
    if (id.isEmpty() || !ctrlUiClass::askYesNo(QStringLiteral("是否删除兑换项目 %1？").arg(id), this))
        return;
    const LedgerResult r = PointsRedemption::removeReward(id, operatorSession().loginName);
    if (!r.ok) {
        ctrlUiClass::showInfo(r.error, this);
        return;
    }
    reload();
}

void jifenduihuandlg::on_toolButton_close_clicked()
{
    accept();
}
