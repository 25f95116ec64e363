#ifndef BOOKINGUSEREPORT_H
#define BOOKINGUSEREPORT_H

#include <QWidget>

#include "bookingbook.h"

class QDateEdit;
class QTableWidget;
namespace QtCharts {
class QChartView;
}

// The owner's view of the appointment book in 经营分析: per stylist and period,
// booked hours against working hours, bookings kept, cancelled and not kept,
// and revenue from booked against walk-in sales, with a 合计 line, a chart
// and CSV export.
class BookingUseReport : public QWidget
{
    Q_OBJECT
public:
    explicit BookingUseReport(QWidget *parent = nullptr);
    void setPeriod(const QDate &from, const QDate &to);
    // The rows as shown, 合计 last.
    QList<QStringList> rows() const;
    static QStringList header();

public slots:
    void query();
    void exportCsv();

private:
    QDateEdit *m_from;
    QDateEdit *m_to;
    QTableWidget *m_table;
    QtCharts::QChartView *m_chart;
    QList<QStringList> m_rows;
};

#endif
