#ifndef OWNERREPORT_H
#define OWNERREPORT_H

#include <QList>
#include <QSet>
#include <QWidget>

class ctrlUiClass;
struct LiabilityMonth;
struct PeriodComparison;
class QComboBox;
class QDateEdit;
class QTabWidget;
class QTableView;
namespace QtCharts {
class QBarSeries;
class QChart;
class QChartView;
}

// "经营指标": the figures an owner runs the shop by, for the chosen period:
// each employee's 业绩 and 点单率, customers and how they came back against
// the period before and the same days a year earlier, what the shop owes its
// members (预收款) at a date and month by month, the refunds and voids with
// who did and who allowed them, and the customers due for a follow-up call.
// Each is a list of dbset.xml with its 合计 line and export.
class OwnerReport : public QWidget
{
    Q_OBJECT
public:
    explicit OwnerReport(ctrlUiClass *ctrl, QWidget *parent = nullptr);

    // The lists, in the order of their tabs.
    static QStringList listNames();
    void setPeriod(const QDate &from, const QDate &to);
    void setLiabilityDate(const QDate &asOf);

public slots:
    void query();
    void exportCurrent();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void fill(int tab);
    QTableView *addList(const QString &name, const QString &objectName, QWidget *page);
    // Null: nothing to draw.
    void drawComparison(const PeriodComparison *p);
    void drawLiability(const QList<LiabilityMonth> &months);
    // Bars over labels on a round-step axis, in place of the view's chart.
    static QtCharts::QChart *drawBars(QtCharts::QChartView *view, const QString &title,
                                      QtCharts::QBarSeries *series, const QStringList &labels, double top);

    ctrlUiClass *m_ctrl;
    QComboBox *m_period;
    QDateEdit *m_from;
    QDateEdit *m_to;
    QDateEdit *m_asOf;
    QTabWidget *m_tabs;
    QtCharts::QChartView *m_comparisonChart;
    QtCharts::QChartView *m_liabilityChart;
    bool m_shownOnce = false;
    QSet<int> m_filled; // the pages read for the period on the page
};

#endif
