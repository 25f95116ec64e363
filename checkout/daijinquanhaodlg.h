#ifndef DAIJINQUANHAODLG_H
#define DAIJINQUANHAODLG_H

#include <QDialog>

#include "ledgertypes.h"

namespace Ui {
class daijinquanhaodlg;
}

// 代金券付款: the number of the voucher a payment by 代金券 is made with,
// checked as it is typed (what is left, its day); the sale's transaction
// checks it again and takes it.
class daijinquanhaodlg : public QDialog
{
    Q_OBJECT
public:
    explicit daijinquanhaodlg(QWidget *parent = nullptr);
    ~daijinquanhaodlg() override;

    // Asks the number of every voucher payment that has none, when the shop
    // numbers its vouchers; false when the cashier gave one up.
    static bool askNumbers(QWidget *parent, QList<PaymentPart> *payments);

private slots:
    void on_lineEdit_number_textChanged(const QString &text);
    void on_toolButton_ok_clicked();
    void on_toolButton_cancel_clicked();

private:
    Ui::daijinquanhaodlg *ui;
    qint64 m_cents = 0;
};

#endif
