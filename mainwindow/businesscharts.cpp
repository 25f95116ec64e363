#include "businesscharts.h"

#include "ctrluiclass.h"
#include "periodfilter.h"
#include "sqltext.h"

#include <cmath>

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QColor>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHorizontalBarSeries>
#include <QLabel>
#include <QPieSeries>
#include <QPushButton>
#include <QValueAxis>
#include <QVBoxLayout>
#include <QCursor>
#include <QSignalBlocker>
#include <QToolTip>

using namespace QtCharts;

namespace {
// The smallest of 1, 2 or 5 times a power of ten that is at least x (x > 0).
double roundStep(double x)
{
    const double power = std::pow(10.0, std::floor(std::log10(x)));
    for (const double m : {1.0, 2.0, 5.0, 10.0})
        if (m * power >= x * (1 - 1e-9))
            return m * power;
    return 10 * power;
}

enum Kind { Columns, Pie, Bars };

} // namespace

BusinessCharts::BusinessCharts(ctrlUiClass *ctrl, QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("businessCharts"));
    auto *layout = new QVBoxLayout(this);
    auto *controls = new QHBoxLayout;
    m_period = new QComboBox;
    m_period->setObjectName(QStringLiteral("comboBox_chartsPeriod"));
    m_period->setMinimumWidth(80);
    ctrl->fillCombo(m_period, QStringLiteral("时间选择"), QStringLiteral("xml"));
    m_period->addItem(QStringLiteral("所有"));
    const auto dateEdit = [](const QString &name) { return PeriodFilter::dateEdit(name); };
    m_from = dateEdit(QStringLiteral("dateEdit_chartsFrom"));
    m_to = dateEdit(QStringLiteral("dateEdit_chartsTo"));
    auto *query = new QPushButton(QStringLiteral("查询"));
    query->setObjectName(QStringLiteral("toolButton_charts"));
    query->setMinimumSize(80, 30);
    controls->addWidget(new QLabel(QStringLiteral("时间选择：")));
    controls->addWidget(m_period);
    controls->addWidget(new QLabel(QStringLiteral("开始日期：")));
    controls->addWidget(m_from);
    controls->addWidget(new QLabel(QStringLiteral("结束日期：")));
    controls->addWidget(m_to);
    controls->addWidget(query);
    controls->addStretch(1);
    layout->addLayout(controls);
    m_grid = new QGridLayout;
    m_grid->setSpacing(6);
    layout->addLayout(m_grid, 1);
    for (int i = 0; i < 6; ++i) {
        auto *view = new QChartView;
        view->setRenderHint(QPainter::Antialiasing);
        view->setMinimumSize(300, 220);
        m_views << view;
        m_grid->addWidget(view, i / 3, i % 3);
    }
    auto *filter = new PeriodFilter(m_period, m_from, m_to, this);
    filter->select(QStringLiteral("本月"));
    connect(query, &QPushButton::clicked, this, &BusinessCharts::redraw);
}

void BusinessCharts::period(QString *from, QString *to) const
{
    if (m_period->currentText() == QStringLiteral("所有")) {
        *from = *to = QString();
        return;
    }
    *from = m_from->date().toString(QStringLiteral("yyyy-MM-dd"));
    *to = m_to->date().toString(QStringLiteral("yyyy-MM-dd"));
}

// Days run into months past two months of them: a column a day of a year, or of
// every year (所有), is a row of unreadable marks.
BusinessCharts::Series BusinessCharts::perMonthBeyondTwoMonths(const Series &days)
{
    if (days.size() <= 62)
        return days;
    Series months;
    for (const auto &d : days) {
        const QString month = d.first.left(7);
        if (!months.isEmpty() && months.last().first == month)
            months.last().second += d.second;
        else
            months << qMakePair(month, d.second);
    }
    for (auto &m : months)
        m.second = std::round(m.second * 100) / 100;
    return months;
}

QValueAxis *BusinessCharts::valueAxisOver(double span)
{
    // Ticks on round steps (1, 2 or 5 times a power of ten): with the range cut
    // in four equal parts a count of 5 sat between ticks labelled "4" and "6".
    auto *values = new QValueAxis;
    if (span <= 0)
        span = 1;
    const double step = roundStep(span / 4);
    const int ticks = int(std::ceil(span / step - 1e-9)) + 1;
    values->setRange(0, step * (ticks - 1));
    values->setTickCount(ticks);
    const int decimals = step >= 1 ? 0 : int(std::ceil(-std::log10(step) - 1e-9));
    values->setLabelFormat(QStringLiteral("%.%1f").arg(decimals));
    return values;
}

void BusinessCharts::redraw()
{
    QString from, to;
    period(&from, &to);
    m_shown.clear();
    const Series days = ChartReads::takingsPerDay(from, to);
    // 所有: the greyed dates say which days the charts cover.
    if (from.isEmpty() && !days.isEmpty()) {
        const QSignalBlocker a(m_from), b(m_to);
        m_from->setDate(QDate::fromString(days.first().first, QStringLiteral("yyyy-MM-dd")));
        m_to->setDate(QDate::fromString(days.last().first, QStringLiteral("yyyy-MM-dd")));
    }
    const Series shownDays = perMonthBeyondTwoMonths(days);
    place(0,
          shownDays.size() == days.size() ? QStringLiteral("每日实际收入（不含储蓄卡）")
                                          : QStringLiteral("每月实际收入（不含储蓄卡）"),
          shownDays, Columns);
    place(1, QStringLiteral("各付款方式收款"), ChartReads::takingsPerMethod(from, to), Pie);
    place(2, QStringLiteral("服务项目前十（金额）"), ChartReads::topItems(from, to, false), Bars);
    place(3, QStringLiteral("产品前十（金额）"), ChartReads::topItems(from, to, true), Bars);
    place(4, QStringLiteral("员工提成"), ChartReads::commissionPerEmployee(from, to), Columns);
    place(5, QStringLiteral("每周新会员（人）"), ChartReads::newMembersPerWeek(from, to), Columns);
}

void BusinessCharts::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    redraw();
}

void BusinessCharts::place(int index, const QString &title, const Series &data, int kind)
{
    m_shown << qMakePair(title, data);
    auto *chart = new QChart;
    chart->setTitle(data.isEmpty() ? title + QStringLiteral("：本期没有数据") : title);
    chart->legend()->setVisible(kind == Pie && !data.isEmpty());
    // Under the pie the legend has the chart's width: beside it, "支付宝 10151.…" was cut.
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setMargins(QMargins(4, 4, 4, 4));
    QChartView *view = m_views.at(index);
    if (data.isEmpty()) {
        // Nothing to draw: no axes running from 0.0 to 1.0 over nothing.
    } else if (kind == Pie) {
        // Colours far apart on the wheel: six blues could not be told apart.
        static const char *const colours[] = {"#2E86DE", "#F39C12", "#27AE60", "#E74C3C", "#8E44AD",
                                              "#16A085", "#D35400", "#7F8C8D"};
        auto *pie = new QPieSeries;
        double total = 0;
        for (const auto &p : data)
            total += p.second;
        int i = 0;
        for (const auto &p : data) {
            // The legend names the method; the amount and share are in its tooltip.
            QPieSlice *slice = pie->append(p.first, p.second);
            slice->setColor(QColor(QLatin1String(colours[i++ % 8])));
            const QString tip = p.first + QStringLiteral("：") + moneyShown(p.second)
                                + (total > 0 ? QStringLiteral("（%1%）").arg(100.0 * p.second / total, 0, 'f', 1)
                                             : QString());
            QObject::connect(slice, &QPieSlice::hovered, view, [view, tip](bool on) {
                if (on)
                    QToolTip::showText(QCursor::pos(), tip, view);
                else
                    QToolTip::hideText();
            });
        }
        chart->addSeries(pie);
    } else {
        // Bars read best with the largest at the top.
        Series ordered = data;
        if (kind == Bars)
            std::reverse(ordered.begin(), ordered.end());
        auto *set = new QBarSet(title);
        QStringList labels;
        double top = 0;
        for (const auto &p : ordered) {
            *set << p.second;
            labels << (kind == Columns && p.first.size() == 10 ? p.first.mid(5) : p.first);
            top = qMax(top, p.second);
        }
        QAbstractBarSeries *series = kind == Bars ? static_cast<QAbstractBarSeries *>(new QHorizontalBarSeries)
                                                  : static_cast<QAbstractBarSeries *>(new QBarSeries);
        series->append(set);
        const bool money = kind != Columns || index != 5;
        QObject::connect(set, &QBarSet::hovered, view, [view, ordered, money](bool on, int at) {
            if (on && at >= 0 && at < ordered.size())
                QToolTip::showText(QCursor::pos(),
                                   ordered.at(at).first + QStringLiteral("：")
                                       + (money ? moneyShown(ordered.at(at).second)
                                                : QString::number(ordered.at(at).second)),
                                   view);
            else
                QToolTip::hideText();
        });
        // Values on the bars only while they fit beside each other.
        series->setLabelsVisible(ordered.size() <= (kind == Bars ? 10 : 6));
        series->setLabelsFormat(QStringLiteral("@value"));
        // Inside a short bar a value is cut to a few digits: put it past the end.
        series->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
        set->setLabelColor(QColor(QStringLiteral("#333333")));
        chart->addSeries(series);
        auto *categories = new QBarCategoryAxis;
        categories->append(labels.isEmpty() ? QStringList{QString()} : labels);
        // Small labels, days on end: a month of days or ten names fit a 1366 x 768 screen.
        QFont small = categories->labelsFont();
        small.setPixelSize(10);
        categories->setLabelsFont(small);
        if (kind == Columns && labels.size() > 7)
            categories->setLabelsAngle(-90);
        // Horizontal bars leave room for the value written past their end.
        QValueAxis *values = valueAxisOver(top > 0 ? top * (kind == Bars ? 1.3 : 1.15) : 1);
        values->setLabelsFont(small);
        chart->addAxis(categories, kind == Bars ? Qt::AlignLeft : Qt::AlignBottom);
        chart->addAxis(values, kind == Bars ? Qt::AlignBottom : Qt::AlignLeft);
        series->attachAxis(categories);
        series->attachAxis(values);
    }
    QChart *old = view->chart();
    view->setChart(chart);
    delete old;
}
