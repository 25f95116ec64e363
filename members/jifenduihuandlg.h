#ifndef JIFENDUIHUANDLG_H
#define JIFENDUIHUANDLG_H

#include <QDialog>

#include "pointsredemption.h"

namespace Ui {
class jifenduihuandlg;
}

// 积分兑换: the shop's rewards for the member's points, the member's
// redemptions and their void; the second tab keeps the rewards list.
class jifenduihuandlg : public QDialog
{
    Q_OBJECT
public:
    explicit jifenduihuandlg(QWidget *parent = nullptr);
    ~jifenduihuandlg() override;
    void setup(const QString &memberId, const QString &memberName);
    QString lastDocument() const { return m_last; }
    // What the last document was: 积分兑换, or 作废积分兑换 for a void.
    QString lastAction() const { return m_lastAction; }

private slots:
    void on_toolButton_redeem_clicked();
    void on_toolButton_void_clicked();
    void on_toolButton_saveReward_clicked();
    void on_toolButton_removeReward_clicked();
    void on_toolButton_close_clicked();
    void on_tableWidget_rewardList_itemSelectionChanged();
    void showNeed();

private:
    void reload();

    Ui::jifenduihuandlg *ui;
    QString m_memberId;
    QString m_last;
    QString m_lastAction;
    QList<Reward> m_offered;      // enabled rewards, as listed for redemption
    QList<Reward> m_all;          // every reward, as listed for editing
    QList<Redemption> m_history;
};

#endif
