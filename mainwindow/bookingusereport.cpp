#include "bookingusereport.h"

#include "amounts.h"
#include "csvexport.h"
#include "ctrluiclass.h"
#include "operatorsession.h"
#include "operatorstore.h"
#include "prompt.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChartView>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QToolButton>
#include <QValueAxis>

using namespace QtCharts;

namespace {
QString hours(int minutes)
{
    return QString::number(minutes / 60.0, 'f', 1);
}
QString share(int part, int whole)
{
    return whole > 0 ? QString::number(100.0 * part / whole, 'f', 1) + QLatin1Char('%') : QStringLiteral("—");
}
} // namespace

BookingUseReport::BookingUseReport(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("bookingUseReport"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *bar = new QHBoxLayout;
    bar->addWidget(new QLabel(QStringLiteral("预约利用率：")));
    m_from = new QDateEdit(QDate::currentDate().addDays(1 - QDate::currentDate().day()));
    m_from->setObjectName(QStringLiteral("bookingUseFrom"));
    m_to = new QDateEdit(QDate::currentDate());
    m_to->setObjectName(QStringLiteral("bookingUseTo"));
    for (QDateEdit *e : {m_from, m_to}) {
        e->setCalendarPopup(true);
        e->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    }
    bar->addWidget(m_from);
    bar->addWidget(new QLabel(QStringLiteral("至")));
    bar->addWidget(m_to);
    auto *run = new QToolButton;
    run->setObjectName(QStringLiteral("bookingUseQuery"));
    run->setText(QStringLiteral("查询"));
    connect(run, &QToolButton::clicked, this, &BookingUseReport::query);
    auto *save = new QToolButton;
    save->setObjectName(QStringLiteral("bookingUseExport"));
    save->setText(QStringLiteral("导出"));
    connect(save, &QToolButton::clicked, this, &BookingUseReport::exportCsv);
    bar->addWidget(run);
    bar->addWidget(save);
    bar->addStretch();
    layout->addLayout(bar);
    auto *body = new QHBoxLayout;
    m_table = new QTableWidget;
    m_table->setObjectName(QStringLiteral("bookingUseTable"));
    m_table->setColumnCount(header().size());
    m_table->setHorizontalHeaderLabels(header());
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_chart = new QChartView;
    m_chart->setObjectName(QStringLiteral("bookingUseChart"));
    m_chart->setMinimumWidth(360);
    body->addWidget(m_table, 3);
    body->addWidget(m_chart, 2);
    layout->addLayout(body);
    setMinimumHeight(220);
}

QStringList BookingUseReport::header()
{
    return {QStringLiteral("员工编号"), QStringLiteral("员工姓名"), QStringLiteral("工作小时"), QStringLiteral("预约小时"),
            QStringLiteral("利用率"),   QStringLiteral("到店完成"), QStringLiteral("取消"),     QStringLiteral("爽约"),
            QStringLiteral("预约消费"), QStringLiteral("非预约消费")};
}

void BookingUseReport::setPeriod(const QDate &from, const QDate &to)
{
    m_from->setDate(from);
    m_to->setDate(to);
}

QList<QStringList> BookingUseReport::rows() const
{
    return m_rows;
}

void BookingUseReport::query()
{
    if (m_from->date() > m_to->date()) {
        ctrlUiClass::showInfo(QStringLiteral("开始日期不能晚于结束日期"), this);
        return;
    }
    const QList<StylistUse> uses = BookingBook::utilisation(m_from->date(), m_to->date());
    StylistUse sum;
    m_rows.clear();
    auto *booked = new QBarSet(QStringLiteral("预约小时"));
    auto *working = new QBarSet(QStringLiteral("工作小时"));
    QStringList names;
    for (const StylistUse &u : uses) {
        m_rows << QStringList{u.employeeId, u.name, hours(u.workingMinutes), hours(u.bookedMinutes),
                              share(u.bookedMinutes, u.workingMinutes), QString::number(u.kept),
                              QString::number(u.cancelled), QString::number(u.noShows), centsText(u.bookedSalesCents),
                              centsText(u.walkInSalesCents)};
        sum.workingMinutes += u.workingMinutes;
        sum.bookedMinutes += u.bookedMinutes;
        sum.kept += u.kept;
        sum.cancelled += u.cancelled;
        sum.noShows += u.noShows;
        sum.bookedSalesCents += u.bookedSalesCents;
        sum.walkInSalesCents += u.walkInSalesCents;
        *booked << u.bookedMinutes / 60.0;
        *working << u.workingMinutes / 60.0;
        names << u.name;
    }
    m_rows << QStringList{QStringLiteral("合计"), QString(), hours(sum.workingMinutes), hours(sum.bookedMinutes),
                          share(sum.bookedMinutes, sum.workingMinutes), QString::number(sum.kept),
                          QString::number(sum.cancelled), QString::number(sum.noShows),
                          centsText(sum.bookedSalesCents), centsText(sum.walkInSalesCents)};
    m_table->setRowCount(m_rows.size());
    for (int r = 0; r < m_rows.size(); ++r)
        for (int c = 0; c < m_rows.at(r).size(); ++c)
            m_table->setItem(r, c, new QTableWidgetItem(m_rows.at(r).at(c)));

    auto *series = new QBarSeries;
    series->append(working);
    series->append(booked);
    auto *chart = new QChart;
    chart->addSeries(series);
    chart->setTitle(QStringLiteral("工作小时与预约小时"));
    auto *x = new QBarCategoryAxis;
    x->append(names);
    chart->addAxis(x, Qt::AlignBottom);
    series->attachAxis(x);
    auto *y = new QValueAxis;
    y->setLabelFormat(QStringLiteral("%.0f"));
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(y);
    QChart *old = m_chart->chart();
    m_chart->setChart(chart);
    delete old;
}

void BookingUseReport::exportCsv()
{
    // An export takes the shop's figures out of the program: the settings
    // right, as for every other list.
    if (!OperatorStore::holdsSettingsRight(operatorSession().loginName)) {
        ctrlUiClass::showInfo(OperatorStore::noRightText(), this);
        return;
    }
    if (m_rows.isEmpty())
        query();
    const QString path = Prompt::saveFileName(this, QStringLiteral("导出"),
                                              QDir(CsvExport::defaultFolder()).filePath(QStringLiteral("预约利用率.csv")),
                                              QStringLiteral("CSV 文件 (*.csv)"));
    if (path.isEmpty())
        return;
    QFile f(CsvExport::withCsvSuffix(path));
    QString text = QStringLiteral("\uFEFF") + CsvExport::line(header());
    for (const QStringList &r : m_rows)
        text += CsvExport::line(r);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(text.toUtf8()) < 0) {
        ctrlUiClass::showInfo(QStringLiteral("文件未能写入：") + f.fileName(), this);
        return;
    }
    ctrlUiClass::showInfo(QStringLiteral("已导出 %1 行到 %2").arg(m_rows.size()).arg(f.fileName()), this);
}
