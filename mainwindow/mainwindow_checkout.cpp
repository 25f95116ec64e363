// The front desk's "添加消费": the checkout for the current member or walk-in.
#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "addxiaofeidlg.h"
#include "sqltext.h"

// What the checkout shows of the customer: ID, name, card type, consumption so
// far, points, balance, read afresh from the database: the card is debited
// against the stored balance, not against a panel older than the last payment.
QStringList MainWindow::checkoutCustomer() const
{
    const QString id = currentMemberId();
    if (id == QStringLiteral("0000"))
        return {QStringLiteral("0000"), QStringLiteral("散客"), QStringLiteral("00"), QStringLiteral("0"),
                QStringLiteral("0"), QStringLiteral("0")};

    const QString key = sqlLiteral(id);
    QStringList info = m_ctrl->queryRow(QStringLiteral("select ID,name,type from huiyuan where ID=") + key);
    if (info.size() < 3) {
        info = m_member.mid(0, 3);
        while (info.size() < 3)
            info << QString();
        info[0] = id;
    }
    const QStringList spent = m_ctrl->queryRow(
        QStringLiteral("select ROUND(sum(jine),3) from huiyuanxiaofei where huiyuanid=") + key);
    info << moneyText(parseNumber(spent.value(0)));
    const QStringList points = m_ctrl->queryRow(
        QStringLiteral("select shengyujifen from huiyuanjifen where huiyuanid=") + key
        + QStringLiteral(" order by ID desc LIMIT 1"));
    info << (points.isEmpty() ? m_member.value(7, QStringLiteral("0")) : numberText(parseNumber(points.first())));
    const QStringList balance = m_ctrl->queryRow(QStringLiteral("select shengyujine from huiyuan where ID=") + key);
    info << (balance.isEmpty() ? m_member.value(5, QStringLiteral("0")) : moneyText(parseNumber(balance.first())));
    return info;
}

void MainWindow::on_toolButton_12_clicked()
{
    if (currentMemberId().isEmpty()) {
        ctrlUiClass::showInfo(QStringLiteral("请选择一个会员或散户！"), this);
        return;
    }
    auto *dlg = new AddXiaofeiDlg;
    connect(dlg, &AddXiaofeiDlg::DlgSend, this, &MainWindow::DlgRecv);
    dlg->setHuiyuanInfo(checkoutCustomer());
    dlg->exec();
    delete dlg;
    refreshMemberViews(currentMemberId());
}
