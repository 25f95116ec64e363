#ifndef BOOKINGDLG_H
#define BOOKINGDLG_H

#include <QDateTime>
#include <QDialog>
#include <QVariant>

#include "booking.h"
#include "bookingbook.h"
#include "ledgertypes.h"

namespace Ui {
class BookingDlg;
}

// One booking, new or as written: the customer (a member found by card
// number, phone or name, or a walk-in's name and phone), the items with their
// stylists and times, the source and a remark; for a booking already in the
// book also its state, its history and what the desk does next (到店, 开单,
// 爽约, 取消). Every change goes through the booking writer; on a refusal the
// dialog stays open with what was typed.
class BookingDlg : public QDialog
{
    Q_OBJECT
public:
    explicit BookingDlg(QWidget *parent = nullptr);
    ~BookingDlg() override;

    // A new booking in the slot of that stylist.
    void setupNew(const QString &employeeId, const QDateTime &start);
    // The booking as the book holds it; false when it is not there.
    bool setupExisting(const QString &bookingId);

    QString bookingId() const { return m_bookingId; }
    // 开单 was pressed: the opener runs the checkout of bookingId().
    bool checkoutWanted() const { return m_checkout; }
    // Whether anything was written.
    bool changed() const { return m_changed; }

signals:
    void DlgSend(QString key, QVariant value);

private slots:
    void on_toolButton_findMember_clicked();
    void on_toolButton_addItem_clicked();
    void on_toolButton_removeItem_clicked();
    void on_toolButton_save_clicked();
    void on_toolButton_arrive_clicked();
    void on_toolButton_checkout_clicked();
    void on_toolButton_noShow_clicked();
    void on_toolButton_cancel_clicked();
    void on_toolButton_close_clicked();
    void on_dateEdit_day_dateChanged(const QDate &date);

private:
    void addItemRow(const BookingItem &item);
    void fillEmployees(const QDate &date);
    Booking bookingFromForm() const;
    void showState();
    bool finishChange(const LedgerResult &r);

    Ui::BookingDlg *ui;
    QString m_bookingId;
    QString m_memberId;   // empty: a walk-in
    QString m_state;
    QList<BookableItem> m_items;
    QList<WorkingDay> m_staff;
    bool m_checkout = false;
    bool m_changed = false;
};

#endif
