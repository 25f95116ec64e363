#ifndef FUKUANDLG_H
#define FUKUANDLG_H

#include <QDialog>
#include <QStringList>
#include <QVariant>

namespace Ui { class fukuanDlg; }
class ctrlUiClass;

// Single payment by one method. Writes nothing: the answer goes to the opener as
// "收款" with [received, debt, method] (+ set-up values 1 and 2 when the set-up
// list holds three values or more), then the dialog is accepted.
class fukuanDlg : public QDialog
{
    Q_OBJECT
public:
    explicit fukuanDlg(QWidget *parent = nullptr);
    ~fukuanDlg() override;

    // [amount due, (document ID, document date-time)]; value 0 is shown as due.
    void setData(const QStringList &list);

    // Called by the opener while it handles "收款": the payment was refused or
    // failed, so the dialog stays open with the cashier's input.
    void keepOpen() { m_keepOpen = true; }

signals:
    void DlgSend(QString key, QVariant value);

private slots:
    void on_toolButton_3_clicked(); // 确定
    void on_toolButton_2_clicked(); // 退出

private:
    Ui::fukuanDlg *ui;
    ctrlUiClass *m_ctrl;
    QStringList m_data;
    bool m_keepOpen = false;
};

#endif
