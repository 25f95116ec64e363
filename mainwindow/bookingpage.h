#ifndef BOOKINGPAGE_H
#define BOOKINGPAGE_H

#include <QDate>
#include <QWidget>

#include "booking.h"

namespace Ui {
class BookingPage;
}
class BookingDayView;

// The appointment book's page of the main window: the day of every working
// stylist, or the week of one, and what the desk does with a booking.
class BookingPage : public QWidget
{
    Q_OBJECT
public:
    explicit BookingPage(QWidget *parent = nullptr);
    ~BookingPage() override;

    BookingDayView *view() const { return m_view; }
    QDate date() const;
    void setDate(const QDate &date);
    // Reads the day (or week) again.
    void refresh();

    // The booking the desk has chosen (the selected block), empty for none.
    QString selectedBooking() const;
    // Opens the booking dialog for a new booking / for a booking.
    void bookAt(const QString &employeeId, const QDateTime &start);
    void openBooking(const QString &bookingId);
    // Moves one line of a booking, asking first when the time lies outside the hours.
    bool moveBooking(const QString &bookingId, int line, const QString &employeeId, const QDateTime &start);

signals:
    // 开单 of a booking: the main window runs its checkout.
    void checkoutRequested(const QString &bookingId);
    // A booking was written: the status bar and the member panel follow.
    void bookingsChanged();

private slots:
    void on_bookingPrevDay_clicked();
    void on_bookingNextDay_clicked();
    void on_bookingToday_clicked();
    void on_bookingNew_clicked();
    void on_bookingOpen_clicked();
    void on_bookingArrive_clicked();
    void on_bookingCheckout_clicked();
    void on_bookingNoShow_clicked();
    void on_bookingCancel_clicked();
    void on_bookingHours_clicked();
    void on_bookingPrint_clicked();

private:
    void setupKeys();
    void fillStylists(const QList<WorkingDay> &staff);
    void updateButtons();
    QString weekStylist() const;

    Ui::BookingPage *ui;
    BookingDayView *m_view = nullptr;
    QDate m_shownDate;
};

#endif
