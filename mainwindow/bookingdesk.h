#ifndef BOOKINGDESK_H
#define BOOKINGDESK_H

#include "mainpage.h"

class BookingPage;
class FrontDesk;

// The appointment book in the main window: its page behind the navigation's
// "预约" (and F11), the checkout of a booking, the member panel's next booking
// and no-shows, and the status bar's bookings of today and the coming hour.
class BookingDesk : public MainPage
{
    Q_OBJECT
public:
    BookingDesk(MainWindow *window, Ui::MainWindow *form, ctrlUiClass *ctrl, FrontDesk *desk);
    void setup();
    BookingPage *page() const { return m_page; }
    // Shows the page for the navigation text "预约"; false for any other text.
    bool navigate(const QString &text);
    // 开单 of a booking: its customer becomes current and the checkout opens with its lines.
    void checkoutBooking(const QString &bookingId);

private:
    void afterCheckout();
    // The current member's next booking and no-shows in the member panel.
    void showMemberBookings();
    // Today's bookings and those of the coming hour, in the status bar.
    void showStatus();

    FrontDesk *m_desk;
    BookingPage *m_page = nullptr;
};

#endif
