#ifndef TAOCANXUFEIDLG_H
#define TAOCANXUFEIDLG_H

#include <QDialog>
#include <QList>
#include <QModelIndex>
#include <QPair>
#include <QStringList>
#include <QVariant>
#include <memory>

#include "ctrluiclass.h"
#include "dbrecords.h"

namespace Ui {
class taocanxufeidlg;
}
struct MemberSummary;

// Package renewal: sells a member further uses, whole packages or single
// service items, and takes the payment for them.
class taocanxufeidlg : public QDialog
{
    Q_OBJECT
public:
    explicit taocanxufeidlg(QWidget *parent = nullptr);
    ~taocanxufeidlg() override;

    // source "会员管理": a row of the member list (0 ID, 1 name, 13 card type,
    // 14 balance, 15 points; the total spent is looked up); "会员交费": [ID, name, card
    // type, total spent, points, balance] from the front desk.
    void setup(const QString &source, const QStringList &row);
    void setMember(const MemberSummary &member);

    // The document of the last saved operation (empty until one is saved).
    QString documentId() const { return m_documentId; }

signals:
    void DlgSend(const QString &key, const QVariant &value);

public slots:
    void DlgRecv(const QString &key, const QVariant &value);

private slots:
    void on_toolButton_clicked();   // 续费: more uses of the chosen item
    void on_tableView_doubleClicked(const QModelIndex &index);
    void on_toolButton_2_clicked(); // 添加项目
    void on_toolButton_3_clicked(); // 添加套餐
    void on_toolButton_4_clicked(); // 付款
    void on_toolButton_5_clicked(); // 联合付款
    void on_toolButton_6_clicked(); // 取消

private:
    using Payment = QPair<QString, qint64>; // method, amount in cents
    void loadPackages();
    void addItem(const QString &code);
    void showAmounts();
    bool checkCanPay();
    bool commit(const QList<Payment> &payments, qint64 debtCents);
    bool commitCombined();

    Ui::taocanxufeidlg *ui;
    ctrlUiClass m_ctrl;
    QString m_memberId;
    double m_due = 0; // price of everything added while the dialog is open
    bool m_haveCombined = false;
    redbctrlstruct m_combined;
    QString m_documentId;
};

#endif
