#ifndef BUSINESSCHARTS_H
#define BUSINESSCHARTS_H

#include "chartreads.h"

#include <QWidget>

class ctrlUiClass;
class QComboBox;
class QDateEdit;
class QGridLayout;
class QLabel;

namespace QtCharts {
class QChartView;
class QValueAxis;
}

// "经营分析": the period's takings per day and per payment method, the ten
// services and products that brought the most, commission per employee and new
// members per week, drawn as charts. Drawn on 查询 and whenever the page is shown.
class BusinessCharts : public QWidget
{
    Q_OBJECT
public:
    BusinessCharts(ctrlUiClass *ctrl, QWidget *parent = nullptr);

    // The figures behind each chart come from ChartReads.
    using Series = ChartSeries;

    // A value axis from 0 past span, its ticks on round steps (the caller owns it).
    static QtCharts::QValueAxis *valueAxisOver(double span);
    // A day's takings as they are drawn: per day, or per month past 62 days.
    static Series perMonthBeyondTwoMonths(const Series &days);
    // Redraws every chart for the period on the page.
    void redraw();
    // What the charts show now, per chart title (for tests and the eye).
    QList<QPair<QString, Series>> shown() const { return m_shown; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void period(QString *from, QString *to) const;
    void place(int index, const QString &title, const Series &data, int kind);

    QComboBox *m_period;
    QDateEdit *m_from;
    QDateEdit *m_to;
    QGridLayout *m_grid;
    QList<QtCharts::QChartView *> m_views;
    QList<QPair<QString, Series>> m_shown;
};

#endif
