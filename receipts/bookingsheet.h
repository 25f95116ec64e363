#ifndef BOOKINGSHEET_H
#define BOOKINGSHEET_H

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

class QPagedPaintDevice;
class QWidget;

// The day's appointment sheet on A4, for the whole shop or one stylist: each
// stylist's bookings by time, with customer, phone, item, state and remark.
// Printed or saved as PDF like the receipts.
class BookingSheet
{
public:
    // One line of the sheet as it is laid out, before it is painted.
    struct Line
    {
        enum Kind { Title, Stylist, Head, Booking, Nothing } kind;
        QStringList cells;
    };
    // The sheet's lines: the title, then per stylist who works that day or
    // has a booking, a heading with the hours and the bookings by time
    // (cancelled ones left out).
    static QList<Line> lines(const QDate &date, const QString &employeeId);
    // The preview, with print and save-as-PDF. An empty employee: the whole shop.
    static void preview(QWidget *parent, const QDate &date, const QString &employeeId = QString());
    static bool savePdf(const QDate &date, const QString &employeeId, const QString &path, QString *error = nullptr);
    static void render(QPagedPaintDevice *device, const QDate &date, const QString &employeeId);
};

#endif
