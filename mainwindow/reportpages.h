#ifndef REPORTPAGES_H
#define REPORTPAGES_H

#include "mainpage.h"
#include "viewfilter.h"

#include <QHash>
#include <QList>
#include <QString>
#include <functional>

class QAbstractButton;
class QComboBox;
class QLabel;
class QStandardItemModel;
class QTableView;

// The query and statistics pages: each page's 查询 with its period and
// filters, the detail list that follows a master row, the first load of a
// list when its page is first shown, the 合计 lines, 综合统计 with the
// cash-register detail, the handover and its history, and the daily reminders.
class ReportPages : public MainPage
{
    Q_OBJECT
public:
    ReportPages(MainWindow *window, Ui::MainWindow *form, ctrlUiClass *ctrl);

    // Period combos and their dates agree, the analysis pages get a period, the
    // statistics lists their totals, the pages' buttons their actions.
    void setup();
    // A report list runs its page's own query (its period and filters) when it
    // is first shown, not the list's bare default.
    void deferFirstLoad(QTableView *view, const QString &name);
    // The "综合统计" tree for the period of dateEdit_13/dateEdit_14.
    void refreshTakingsStatistics();
    // 综合统计's 查询: the tree and the cash-register detail.
    void refreshTakings();
    // Runs the page query of a list whose first load is its page's query, once
    // it has been shown (until then its first load will read what changed).
    void requery(const QString &list);
    // "每日提醒": the reminder window; the notice after login (button caption and status bar).
    void openDailyReminders();
    void noticeDailyReminders();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setupQueries();
    // Runs the page query of the list with the filter its controls make; false
    // when the list has no page query.
    bool query(const QString &list);
    void showDetail(const QString &master, int row);
    void refreshCashDetail();
    void handOver();
    void followTheKeys();
    QComboBox *addPeriodControls(QWidget *queryButton, const QString &page);
    // The analysis page's period: of the summary's days, or (lines) the
    // documents whose lines its detail lists.
    ViewFilter analysisPeriod(const QString &page, bool lines) const;
    static void showReminderNotice(ReportPages *pages, const QString &notice);
    void clearDetailOf(const QString &master);
    void firstLoad(const QString &list);

    struct PageQuery
    {
        std::function<ViewFilter()> filter; // what the page's controls make at the press
        std::function<void()> prepare;      // what the page makes before the list is read
    };
    QHash<QString, PageQuery> m_queries; // list -> its page's query
    QStandardItemModel *m_statModel = nullptr; // comprehensive statistics tree
    QHash<QTableView *, QString> m_firstLoads; // report lists not shown yet, and their list names
};

#endif
