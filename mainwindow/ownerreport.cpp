#include "ownerreport.h"

#include "amounts.h"
#include "businesscharts.h"
#include "ctrluiclass.h"
#include "dbsetconfig.h"
#include "operatorsession.h"
#include "ownerfigures.h"
#include "periodfilter.h"
#include "totalsline.h"
#include "viewfilter.h"

#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QValueAxis>
#include <QVBoxLayout>

using namespace QtCharts;

namespace {

struct ListPage
{
    const char *list;
    const char *widget;
};

const ListPage kLists[] = {
    {"员工业绩", "tableView_ownerStylists"},   {"客户分析", "tableView_ownerCustomers"},
    {"预收款", "tableView_ownerLiability"},     {"预收款月度", "tableView_ownerLiabilityMonths"},
    {"退款作废", "tableView_ownerReversals"},   {"回访提醒", "tableView_ownerFollowUps"},
};

// A column of a page's splitter, holding a list (and what goes under it).
QWidget *column(QSplitter *split)
{
    auto *w = new QWidget;
    w->setLayout(new QVBoxLayout);
    w->layout()->setContentsMargins(0, 0, 0, 0);
    split->addWidget(w);
    return w;
}

QString endOf(const QDate &d)
{
    return d.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 23:59:59");
}

} // namespace

OwnerReport::OwnerReport(ctrlUiClass *ctrl, QWidget *parent) : QWidget(parent), m_ctrl(ctrl)
{
    setObjectName(QStringLiteral("ownerReport"));
    auto *layout = new QVBoxLayout(this);
    auto *bar = new QHBoxLayout;
    m_period = new QComboBox;
    m_period->setObjectName(QStringLiteral("comboBox_ownerPeriod"));
    m_period->setMinimumWidth(80);
    ctrl->fillCombo(m_period, QStringLiteral("时间选择"), QStringLiteral("xml"));
    m_from = PeriodFilter::dateEdit(QStringLiteral("dateEdit_ownerFrom"));
    m_to = PeriodFilter::dateEdit(QStringLiteral("dateEdit_ownerTo"));
    m_asOf = PeriodFilter::dateEdit(QStringLiteral("dateEdit_ownerAsOf"));
    m_asOf->setToolTip(QStringLiteral("预收款截至这一天营业结束；月度变动列出到这一天为止的十二个月"));
    auto *run = new QPushButton(QStringLiteral("查询"));
    run->setObjectName(QStringLiteral("toolButton_ownerQuery"));
    run->setMinimumSize(80, 30);
    auto *save = new QPushButton(QStringLiteral("导出"));
    save->setObjectName(QStringLiteral("toolButton_ownerExport"));
    save->setToolTip(QStringLiteral("导出当前列表（CSV 文件，可用 Excel 打开）"));
    save->setMinimumSize(80, 30);
    bar->addWidget(new QLabel(QStringLiteral("时间选择：")));
    bar->addWidget(m_period);
    bar->addWidget(new QLabel(QStringLiteral("开始日期：")));
    bar->addWidget(m_from);
    bar->addWidget(new QLabel(QStringLiteral("结束日期：")));
    bar->addWidget(m_to);
    bar->addWidget(new QLabel(QStringLiteral("预收款截至：")));
    bar->addWidget(m_asOf);
    bar->addWidget(run);
    bar->addWidget(save);
    bar->addStretch(1);
    layout->addLayout(bar);

    m_tabs = new QTabWidget;
    m_tabs->setObjectName(QStringLiteral("ownerReportTabs"));
    layout->addWidget(m_tabs, 1);

    const auto page = [this](const QString &title) {
        auto *w = new QWidget;
        auto *box = new QVBoxLayout(w);
        box->setContentsMargins(2, 2, 2, 2);
        m_tabs->addTab(w, title);
        return w;
    };
    addList(QStringLiteral("员工业绩"), QLatin1String(kLists[0].widget), page(QStringLiteral("员工业绩")));

    QWidget *customers = page(QStringLiteral("客户与同比"));
    auto *split = new QSplitter(Qt::Horizontal);
    customers->layout()->addWidget(split);
    QWidget *left = column(split);
    addList(QStringLiteral("客户分析"), QLatin1String(kLists[1].widget), left);
    m_comparisonChart = new QChartView;
    m_comparisonChart->setObjectName(QStringLiteral("ownerComparisonChart"));
    m_comparisonChart->setRenderHint(QPainter::Antialiasing);
    m_comparisonChart->setMinimumWidth(360);
    split->addWidget(m_comparisonChart);
    // The figures whole, their picture beside them.
    left->setMinimumWidth(560);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);

    QWidget *owed = page(QStringLiteral("预收款"));
    auto *owedSplit = new QSplitter(Qt::Horizontal);
    owed->layout()->addWidget(owedSplit);
    addList(QStringLiteral("预收款"), QLatin1String(kLists[2].widget), column(owedSplit));
    QWidget *months = column(owedSplit);
    addList(QStringLiteral("预收款月度"), QLatin1String(kLists[3].widget), months);
    m_liabilityChart = new QChartView;
    m_liabilityChart->setObjectName(QStringLiteral("ownerLiabilityChart"));
    m_liabilityChart->setRenderHint(QPainter::Antialiasing);
    m_liabilityChart->setMinimumHeight(180);
    months->layout()->addWidget(m_liabilityChart);
    auto *saveMonths = new QPushButton(QStringLiteral("导出月度"));
    saveMonths->setObjectName(QStringLiteral("toolButton_ownerExportMonths"));
    months->layout()->addWidget(saveMonths);
    connect(saveMonths, &QPushButton::clicked, this, [this] { m_ctrl->exportView(listNames().at(3), operatorSession().loginName); });

    addList(QStringLiteral("退款作废"), QLatin1String(kLists[4].widget), page(QStringLiteral("退款作废")));
    addList(QStringLiteral("回访提醒"), QLatin1String(kLists[5].widget), page(QStringLiteral("回访提醒")));

    auto *filter = new PeriodFilter(m_period, m_from, m_to, this);
    filter->select(QStringLiteral("本月"));
    connect(run, &QPushButton::clicked, this, &OwnerReport::query);
    connect(m_tabs, &QTabWidget::currentChanged, this, &OwnerReport::fill);
    connect(save, &QPushButton::clicked, this, &OwnerReport::exportCurrent);
}

QStringList OwnerReport::listNames()
{
    QStringList names;
    for (const ListPage &l : kLists)
        names << QString::fromUtf8(l.list);
    return names;
}

QTableView *OwnerReport::addList(const QString &name, const QString &objectName, QWidget *page)
{
    auto *view = new QTableView;
    view->setObjectName(objectName);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->verticalHeader()->hide();
    page->layout()->addWidget(view);
    m_ctrl->setupView(readDbset(), view, name);
    new TotalsLine(m_ctrl, name, view);
    return view;
}

void OwnerReport::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // The figures of the period are there when the page is first opened.
    if (!m_shownOnce) {
        m_shownOnce = true;
        query();
    }
}

void OwnerReport::setPeriod(const QDate &from, const QDate &to)
{
    m_from->setDate(from);
    m_to->setDate(to);
}

void OwnerReport::setLiabilityDate(const QDate &asOf)
{
    m_asOf->setDate(asOf);
}

void OwnerReport::query()
{
    if (m_from->date() > m_to->date()) {
        ctrlUiClass::showInfo(QStringLiteral("开始日期不能晚于结束日期"), this);
        return;
    }
    // Each page is read when it is looked at: at a large shop the liability of
    // fifty thousand members takes seconds the other pages need not wait for.
    m_filled.clear();
    m_tabs->setTabText(2, QStringLiteral("预收款"));
    fill(m_tabs->currentIndex());
}

void OwnerReport::fill(int tab)
{
    if (tab < 0 || m_filled.contains(tab))
        return;
    m_filled.insert(tab);
    const QDate from = m_from->date(), to = m_to->date();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    bool filled = true;
    QStringList lists;
    PeriodComparison comparison;
    QList<LiabilityMonth> months;
    switch (tab) {
    case 0:
        filled = OwnerFigures::fillStylists(OwnerFigures::stylists(from, to));
        lists << listNames().at(0);
        break;
    case 1:
        comparison = OwnerFigures::compare(from, to);
        filled = OwnerFigures::fillComparison(comparison);
        lists << listNames().at(1);
        break;
    case 2: {
        const QDate asOf = m_asOf->date();
        const Liability owed = OwnerFigures::liability(asOf >= QDate::currentDate() ? QString() : endOf(asOf));
        // The twelve months up to the date the liability is read at.
        months = OwnerFigures::liabilityByMonth(asOf.addMonths(-11), asOf);
        filled = OwnerFigures::fillLiability(owed, months);
        lists << listNames().at(2) << listNames().at(3);
        m_tabs->setTabText(2, QStringLiteral("预收款 ") + centsShown(owed.totalCents()));
        break;
    }
    case 3:
        filled = OwnerFigures::fillReversals(OwnerFigures::reversals(
            from.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 00:00:00"), endOf(to)));
        lists << listNames().at(4);
        break;
    default:
        filled = OwnerFigures::fillFollowUps(OwnerFigures::followUps(from, to));
        lists << listNames().at(5);
        break;
    }
    for (const QString &name : lists)
        m_ctrl->refreshView(name, ViewFilter());
    // The charts draw the figures the lists were filled with: a list that could
    // not be filled is drawn as empty as it shows.
    if (tab == 1)
        drawComparison(filled ? &comparison : nullptr);
    if (tab == 2)
        drawLiability(filled ? months : QList<LiabilityMonth>());
    QApplication::restoreOverrideCursor();
    if (!filled)
        ctrlUiClass::showInfo(QStringLiteral("经营指标未能全部列出，请重新查询"), this);
}

void OwnerReport::drawComparison(const PeriodComparison *p)
{
    auto *series = new QBarSeries;
    const QStringList periods{QStringLiteral("本期"), QStringLiteral("上期"), QStringLiteral("去年同期")};
    // The two sums; the average bill, a hundredth of them, would not show.
    const QStringList labels = p ? QStringList{QStringLiteral("消费金额"), QStringLiteral("实际收入")} : QStringList();
    double top = 0;
    for (int i = 0; i < 3; ++i) {
        auto *set = new QBarSet(periods.at(i));
        if (p) {
            const CustomerFigures &f = i == 0 ? p->now : i == 1 ? p->previous : p->lastYear;
            for (const qint64 cents : {f.takingsCents, f.realIncomeCents}) {
                const double yuan = double(cents) / 100.0;
                *set << yuan;
                top = qMax(top, yuan);
            }
        }
        series->append(set);
    }
    QChart *chart = drawBars(m_comparisonChart, QStringLiteral("本期、上期与去年同期（元）"), series, labels, top);
    chart->legend()->setAlignment(Qt::AlignBottom);
}

QChart *OwnerReport::drawBars(QChartView *view, const QString &title, QBarSeries *series, const QStringList &labels,
                              double top)
{
    auto *chart = new QChart;
    chart->setTitle(title);
    chart->addSeries(series);
    auto *x = new QBarCategoryAxis;
    x->append(labels.isEmpty() ? QStringList{QString()} : labels);
    chart->addAxis(x, Qt::AlignBottom);
    series->attachAxis(x);
    QValueAxis *y = BusinessCharts::valueAxisOver(top * 1.15);
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(y);
    QChart *old = view->chart();
    view->setChart(chart);
    delete old;
    return chart;
}

void OwnerReport::drawLiability(const QList<LiabilityMonth> &months)
{
    auto *set = new QBarSet(QStringLiteral("月末预收款"));
    QStringList labels;
    double top = 0;
    // Twelve "yyyy-MM" under bars a few dozen pixels wide were cut to "2…": the
    // bars say the month, the title the months' span.
    for (const LiabilityMonth &m : months) {
        const double yuan = double(m.totalCents()) / 100.0;
        labels << QString::number(m.month.mid(5).toInt());
        *set << yuan;
        top = qMax(top, yuan);
    }
    auto *series = new QBarSeries;
    series->append(set);
    const QString title = months.isEmpty() ? QStringLiteral("月末预收款：本期没有数据")
                                           : QStringLiteral("月末预收款（元）：%1 至 %2 各月")
                                                 .arg(months.first().month, months.last().month);
    QChart *chart = drawBars(m_liabilityChart, title, series, labels, top);
    chart->legend()->hide();
}

void OwnerReport::exportCurrent()
{
    // The 预收款 page holds two lists: this is the members'; the months' has its own button.
    const int tab = m_tabs->currentIndex();
    m_ctrl->exportView(listNames().at(tab <= 2 ? tab : tab + 1), operatorSession().loginName);
}
