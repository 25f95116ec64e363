#ifndef ADDXIAOFEIDLG_H
#define ADDXIAOFEIDLG_H

#include <QDialog>
#include <QHash>
#include <QModelIndex>
#include <QVariant>

#include "basket.h"
#include "ctrluiclass.h"

namespace Ui { class AddXiaofeiDlg; }
class QLineEdit;
class QTimer;
class shangpinDlg;
struct MemberSummary;

// The cashier's checkout: one sale for one member or for a walk-in customer,
// from the first line to the committed sale.
class AddXiaofeiDlg : public QDialog
{
    Q_OBJECT
public:
    explicit AddXiaofeiDlg(QWidget *parent = nullptr);
    ~AddXiaofeiDlg() override;

    // The customer summary: member ID, name, card-type name, two display-only
    // values and the card balance (at most six are used).
    void setHuiyuanInfo(const QStringList &info);
    // The customer as the store read it (the main window's way in).
    void setCustomer(const MemberSummary &customer);
    QString saleId() const { return m_saleId; }
    // Takes a held bill up into this (still empty) checkout, priced again for
    // the member's card type of now; the differences are told.
    LedgerResult resumeHeld(const QString &heldId);
    // The held bill this checkout took up and still works on.
    QString resumedBillId() const { return m_resumedFrom; }
    // Takes a booking's items up into this (still empty) checkout; the sale's
    // commit then settles the booking.
    LedgerResult takeBooking(const QString &bookingId);
    // The document this checkout ended with: the sale written, or the held bill.
    QString committedSaleId() const { return m_committed ? m_saleId : QString(); }
    QString heldBillId() const { return m_heldId; }
    // What the customer handed over in a single payment (for the change on
    // the receipt); -1 for a combined payment.
    qint64 tenderedCents() const { return m_tenderedCents; }

    // Closing a checkout that still has lines asks whether to hold them,
    // throw them away or go back.
    void reject() override;

signals:
    void DlgSend(QString key, QVariant value);

public slots:
    void DlgRecv(QString key, QVariant value);

private slots:
    void on_toolButton_3_clicked();
    void on_toolButton_6_clicked();
    void on_tableView_3_doubleClicked(const QModelIndex &index);
    void on_toolButton_5_clicked();
    void on_toolButton_8_clicked();
    void on_lineEdit_4_textChanged(const QString &text);
    void on_toolButton_10_clicked();
    void on_toolButton_11_clicked();
    void on_toolButton_2_clicked();
    void on_toolButton_clicked();
    void on_toolButton_7_clicked();

protected:
    void showEvent(QShowEvent *event) override;

private:
    struct Payment
    {
        bool combined = false;
        QString unpaid;       // combined: what stays unpaid
        QStringList methods;  // combined: ticked methods, in the dialog's order
        QStringList amounts;  // combined: their amounts
    };

    void openPicker(const QString &mode, const QString &typed = QString());
    void scanned(const QString &mode, QLineEdit *field);
    void setupKeys();
    bool cardExpiredRefused(qint64 cardCents);
    void deleteLine(const QString &viewName);
    void refreshAll();
    void hideLineKeys();
    void refreshLines(const QString &type = QString());
    void refreshPackages();
    void refreshTotals();
    void updateButtons();
    bool commitSale(const Payment &payment);
    bool saleSaved(const LedgerResult &result);
    bool holdBill();

    Ui::AddXiaofeiDlg *ui;
    ctrlUiClass m_db;
    Basket m_basket;
    QString m_saleId;
    bool m_committed = false;
    QString m_heldId;
    QString m_resumedFrom;
    QTimer *m_keepTaken = nullptr;
    qint64 m_tenderedCents = -1;
    // Until the cashier types in 支付 it proposes the amount due, so Enter
    // pays in full; what she typed is never overwritten.
    bool m_paidTyped = false;
    bool m_opened = false; // the basket opened for a customer (or for nobody, when shown without one)
    QString m_bookingId; // the booking this sale settles
    QHash<QString, shangpinDlg *> m_pickers; // by kind, kept between lines
};

#endif
