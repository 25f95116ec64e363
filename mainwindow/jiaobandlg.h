#ifndef JIAOBANDLG_H
#define JIAOBANDLG_H

#include <QDialog>
#include <QVariant>

#include "receipts/handoverslip.h"
#include "takingsread.h"

class QStandardItemModel;
namespace Ui { class jiaobanDlg; }

// "交班统计": this desk's takings since its last handover, per payment method,
// and the handover to the next operator. The handover record is written only
// after the next operator has logged in, and all of it in one transaction.
class jiaobanDlg : public QDialog
{
    Q_OBJECT
public:
    explicit jiaobanDlg(QWidget *parent = nullptr);
    ~jiaobanDlg() override;

    QString startText() const;
    QString endText() const;
    QString desk() const { return m_desk; }
    QStandardItemModel *treeModel() const { return m_model; }
    // The slip of the shift as the dialog shows it now (its period, the cash typed).
    HandoverSlip slip() const;

signals:
    void DlgSend(QString key, QVariant value);

private slots:
    void on_toolButton_83_clicked(); // 查询
    void on_toolButton_84_clicked(); // 交班
    void on_toolButton_5_clicked();  // 关闭
    void on_toolButton_printSlip_clicked(); // 打印交班单

private:
    void requery();
    void showTree();
    bool countedCash(qint64 *cents, bool *counted) const;
    void showCashDifference();

    Ui::jiaobanDlg *ui;
    QStandardItemModel *m_model;
    QString m_desk;
    Takings m_takings;
};

#endif
