// Query pages, the comprehensive statistics, the cash-register detail and the
// shift handover: the page behaviour of the reports area.
#include "reportpages.h"
#include "ui_mainwindow.h"

#include "businesscharts.h"
#include "jiaobandlg.h"
#include "listcelldelegate.h"
#include "listcounts.h"
#include "meiritixingdlg.h"
#include "operatorsession.h"
#include "ownerreport.h"
#include "periodfilter.h"
#include "reportquery.h"
#include "sqllog.h"
#include "takingstree.h"
#include "totalsline.h"
#include "viewdeclarations.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QDateEdit>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QLabel>
#include <QSplitter>
#include <QStandardItemModel>

#include <functional>

namespace {
QString dateText(const QDateEdit *edit)
{
    // Compared as text with the stored date-times, so always in their form.
    return edit->date().toString(QStringLiteral("yyyy-MM-dd"));
}

QString typed(const QLineEdit *edit)
{
    return edit->text().trimmed();
}

} // namespace

ReportPages::ReportPages(MainWindow *window, Ui::MainWindow *form, ctrlUiClass *ctrl)
    : MainPage(window, form, ctrl), m_statModel(new QStandardItemModel(form->treeView))
{
}

void ReportPages::deferFirstLoad(QTableView *view, const QString &name)
{
    m_firstLoads.insert(view, name);
    view->installEventFilter(this);
}

bool ReportPages::eventFilter(QObject *watched, QEvent *event)
{
    auto *view = static_cast<QTableView *>(watched);
    if (event->type() == QEvent::Show && m_firstLoads.contains(view)) {
        const QString name = m_firstLoads.take(view);
        view->removeEventFilter(this);
        if (m_ctrl->isPending(name))
            firstLoad(name);
    }
    return QObject::eventFilter(watched, event);
}

// Period combos and their dates agree, the analysis pages get a period, the
// statistics lists their totals, and a detail list empties when its master is re-run.
void ReportPages::setup()
{
    Ui::MainWindow *u = ui;
    auto *service = addPeriodControls(u->toolButton_52, QStringLiteral("service"));
    auto *product = addPeriodControls(u->toolButton_65, QStringLiteral("product"));
    const QList<QPair<QComboBox *, QPair<QDateEdit *, QDateEdit *>>> pairs = {
        {u->comboBox_4, {u->dateEdit, u->dateEdit_2}},      {u->comboBox_6, {u->dateEdit_3, u->dateEdit_4}},
        {u->comboBox_9, {u->dateEdit_7, u->dateEdit_8}},    {u->comboBox_12, {u->dateEdit_11, u->dateEdit_12}},
        {u->comboBox_11, {u->dateEdit_9, u->dateEdit_10}},  {u->comboBox_29, {u->dateEdit_27, u->dateEdit_28}},
        {u->comboBox_30, {u->dateEdit_29, u->dateEdit_30}}, {u->comboBox_27, {u->dateEdit_23, u->dateEdit_24}},
        {service, {m_window->findChild<QDateEdit *>(QStringLiteral("dateEdit_serviceFrom")),
                   m_window->findChild<QDateEdit *>(QStringLiteral("dateEdit_serviceTo"))}},
        {product, {m_window->findChild<QDateEdit *>(QStringLiteral("dateEdit_productFrom")),
                   m_window->findChild<QDateEdit *>(QStringLiteral("dateEdit_productTo"))}},
    };
    for (const auto &p : pairs) {
        if (p.first->findText(QStringLiteral("所有")) < 0)
            p.first->addItem(QStringLiteral("所有"));
        auto *filter = new PeriodFilter(p.first, p.second.first, p.second.second, this);
        filter->select(QStringLiteral("本月"));
    }
    for (QComboBox *category : {u->comboBox_15, u->comboBox_17}) {
        category->insertItem(0, QStringLiteral("所有"));
        category->setCurrentIndex(0);
    }
    for (const ViewDeclaration &d : ViewDeclarations::all())
        if (auto *table = d.totalled ? m_window->findChild<QTableView *>(d.widget) : nullptr)
            new TotalsLine(m_ctrl, d.name, table);
    followTheKeys();
    u->treeView->setItemDelegate(new ListCellDelegate(u->treeView)); // 综合统计's amounts with their cents
    // 综合统计: the cash-register detail is the wide one, the tree beside it narrow.
    if (auto *split = m_window->findChild<QSplitter *>(QStringLiteral("splitter_10"))) {
        split->setStretchFactor(0, 1);
        split->setStretchFactor(1, 3);
    }
    connect(m_ctrl, &ctrlUiClass::viewRefreshed, this, &ReportPages::clearDetailOf);
    connect(u->toolButton_6, &QAbstractButton::clicked, this, &ReportPages::openDailyReminders);
    setupQueries();
    // A click on a master row fills its detail list.
    for (const ViewDeclaration &d : ViewDeclarations::all()) {
        auto *view = d.detail.isEmpty() ? nullptr : m_window->findChild<QTableView *>(d.widget);
        if (!view)
            continue;
        const QString master = d.name;
        connect(view, &QTableView::clicked, this, [this, master](const QModelIndex &index) { showDetail(master, index.row()); });
    }
    connect(u->comboBox_32, QOverload<int>::of(&QComboBox::activated), this, &ReportPages::refreshCashDetail);
    connect(u->toolButton_8, &QAbstractButton::clicked, this, &ReportPages::handOver);
    // "经营分析" sits beside "综合统计" (page 9); it draws when shown and on 查询.
    auto *charts = new BusinessCharts(m_ctrl);
    u->tabWidget_5->addTab(charts, QStringLiteral("经营分析"));
    // "经营指标" follows it (page 10): the owner's figures, filled on 查询.
    u->tabWidget_5->addTab(new OwnerReport(m_ctrl), QStringLiteral("经营指标"));
}

// A master list's detail follows the row chosen with the arrow keys as it
// follows a click: the list tells its clicked() handlers, as a click does. A
// mouse press moves the row too, but its own click follows when it is released.
void ReportPages::followTheKeys()
{
    for (const ViewDeclaration &d : ViewDeclarations::all()) {
        auto *view = d.detail.isEmpty() ? nullptr : m_window->findChild<QTableView *>(d.widget);
        if (!view || !view->selectionModel())
            continue;
        connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, view,
                [view](const QModelIndex &current) {
                    if (current.isValid() && QGuiApplication::mouseButtons() == Qt::NoButton)
                        emit view->clicked(current);
                });
    }
}

void ReportPages::openDailyReminders()
{
    auto *dlg = new meiritixingDlg;
    sendsToWindow(dlg);
    const bool memberChosen = dlg->exec() == QDialog::Accepted;
    delete dlg;
    if (memberChosen)
        m_window->navigateTo(QStringLiteral("前台收银"));
}

// Said in the 每日提醒 button's tooltip and in the status bar, not in a box: the
// first customer of the day should not wait behind a question. The store counts
// them beside the window, which is at the cashier's disposal at once.
void ReportPages::noticeDailyReminders()
{
    const QStringList lists = meiritixingDlg::reminderLists();
    ListCounts::aside(lists, this, [this, lists](const QList<int> &counts) {
        QList<QPair<QString, int>> named;
        for (int i = 0; i < counts.size() && i < lists.size(); ++i)
            named << qMakePair(lists.at(i), counts.at(i));
        showReminderNotice(this, meiritixingDlg::noticeText(named));
    });
}

void ReportPages::showReminderNotice(ReportPages *pages, const QString &notice)
{
    if (!pages)
        return;
    pages->ui->toolButton_6->setToolTip(notice);
    if (notice.isEmpty())
        return;
    QLabel *status = pages->m_window->statusLabel();
    status->setText(status->text() + QStringLiteral("    ") + notice);
}

// A period combo with its two dates, in front of a page's query button.
QComboBox *ReportPages::addPeriodControls(QWidget *queryButton, const QString &page)
{
    auto *row = qobject_cast<QBoxLayout *>(queryButton->parentWidget()->layout());
    QBoxLayout *layout = nullptr;
    int at = -1;
    // The button sits in a nested row: find the layout that holds it.
    QList<QBoxLayout *> pending = {row};
    while (!pending.isEmpty() && at < 0) {
        QBoxLayout *l = pending.takeFirst();
        if (!l)
            continue;
        at = l->indexOf(queryButton);
        layout = l;
        for (int i = 0; i < l->count(); ++i)
            pending << qobject_cast<QBoxLayout *>(l->itemAt(i)->layout());
    }
    auto *combo = new QComboBox;
    combo->setObjectName(QStringLiteral("comboBox_%1Period").arg(page));
    combo->setMinimumWidth(80);
    m_ctrl->fillCombo(combo, QStringLiteral("时间选择"), QStringLiteral("xml"));
    const auto dateEdit = [](const QString &name) { return PeriodFilter::dateEdit(name); };
    const QList<QWidget *> widgets = {
        new QLabel(QStringLiteral("时间选择：")), combo,
        new QLabel(QStringLiteral("开始日期：")), dateEdit(QStringLiteral("dateEdit_%1From").arg(page)),
        new QLabel(QStringLiteral("结束日期：")), dateEdit(QStringLiteral("dateEdit_%1To").arg(page)),
    };
    if (!layout || at < 0)
        return combo;
    for (int i = 0; i < widgets.size(); ++i)
        layout->insertWidget(at + i, widgets.at(i));
    return combo;
}

void ReportPages::requery(const QString &list)
{
    const ViewDeclaration *d = ViewDeclarations::find(list);
    auto *view = d ? m_window->findChild<QTableView *>(d->widget) : nullptr;
    if (view && !m_firstLoads.contains(view))
        query(list);
}

// The analysis pages' period: whole days, a document on its first header row's day.
ViewFilter ReportPages::analysisPeriod(const QString &page, bool lines) const
{
    const auto *combo = m_window->findChild<QComboBox *>(QStringLiteral("comboBox_%1Period").arg(page));
    const auto *from = m_window->findChild<QDateEdit *>(QStringLiteral("dateEdit_%1From").arg(page));
    const auto *to = m_window->findChild<QDateEdit *>(QStringLiteral("dateEdit_%1To").arg(page));
    if (!combo || !from || !to || combo->currentText() == QStringLiteral("所有"))
        return ViewFilter();
    if (lines)
        return ReportQuery::documentsOfPeriod(combo->currentText(), dateText(from), dateText(to));
    return ReportQuery::dateFilter(combo->currentText(), QStringLiteral("xiaofeiriqi"), dateText(from), dateText(to));
}

// The detail list of a master shows nothing until a row of the new result is clicked.
void ReportPages::clearDetailOf(const QString &master)
{
    const QString detail = ReportQuery::detailViewOf(master);
    if (detail.isEmpty() || m_ctrl->baseSql(detail).isEmpty())
        return;
    // A false condition inside the list's own conditions and grouping (every detail
    // list is declared): the bare statement of a grouped list, 库存变动's running
    // sum, is not valid on a shop server.
    m_ctrl->refreshView(detail, ViewFilter(QStringLiteral("1=0")));
}

// First load of a report list when its page is first shown: its page's query.
void ReportPages::firstLoad(const QString &list)
{
    query(list);
}

// The filter each list's page query makes from its page's controls at the
// press (the buttons that run it are declared with the list), and what the
// page prepares before it.
void ReportPages::setupQueries()
{
    Ui::MainWindow *u = ui;
    const auto add = [this](const char *list, std::function<ViewFilter()> filter, std::function<void()> prepare = {}) {
        m_queries.insert(QString::fromUtf8(list), {std::move(filter), std::move(prepare)});
    };
    add("消费统计", [u] { // sale documents
        return ReportQuery::consumptionStats(u->comboBox_4->currentText(), dateText(u->dateEdit),
            dateText(u->dateEdit_2), typed(u->lineEdit_8), typed(u->lineEdit_9), u->comboBox_5->currentText());
    });
    add("统计消费明细", [u] { // sale lines
        return ReportQuery::consumptionDetail(u->comboBox_6->currentText(), dateText(u->dateEdit_3),
            dateText(u->dateEdit_4), typed(u->lineEdit_10), u->comboBox_7->currentText(),
            typed(u->lineEdit_11));
    });
    add("会员消费排行", [u] { // consumption ranking
        return ReportQuery::consumptionRanking(u->comboBox_9->currentText(), dateText(u->dateEdit_7),
            dateText(u->dateEdit_8), typed(u->lineEdit_14), u->comboBox_10->currentText());
    });
    add("会员交费统计", [u] { // payments per member
        return ReportQuery::paymentStats(u->comboBox_12->currentText(), dateText(u->dateEdit_11),
            dateText(u->dateEdit_12), typed(u->lineEdit_4), typed(u->lineEdit_5), u->comboBox_33->currentText(),
            u->comboBox_2->currentText());
    });
    add("会员套餐排行", [u] { // package payment ranking
        return ReportQuery::packageRanking(u->comboBox_11->currentText(), dateText(u->dateEdit_9),
            dateText(u->dateEdit_10), u->comboBox_3->currentText());
    });
    add("服务消费分析", [this, u] { // service analysis
        return ReportQuery::itemsOfPeriod(analysisPeriod(QStringLiteral("service"), false),
            ReportQuery::serviceAnalysis(typed(u->lineEdit_15), u->comboBox_15->currentText()));
    });
    add("产品消费分析", [this, u] { // product analysis
        return ReportQuery::itemsOfPeriod(analysisPeriod(QStringLiteral("product"), false),
            ReportQuery::productAnalysis(typed(u->lineEdit_16), u->comboBox_17->currentText()));
    });
    add("余额变动", [u] { // balance changes
        return ReportQuery::balanceChanges(u->comboBox_29->currentText(), dateText(u->dateEdit_27),
            dateText(u->dateEdit_28), typed(u->lineEdit_21), u->comboBox_22->currentText());
    });
    add("积分变动", [u] { // points changes
        return ReportQuery::pointsChanges(u->comboBox_30->currentText(), dateText(u->dateEdit_29),
            dateText(u->dateEdit_30), typed(u->lineEdit_22), u->comboBox_23->currentText());
    });
    add("员工提成", [u] { // commissions
        return ReportQuery::commissions(u->comboBox_27->currentText(), dateText(u->dateEdit_23),
            dateText(u->dateEdit_24), u->comboBox_34->currentText());
    });
    add("交班查询", [u] { // handovers
        return ReportQuery::shiftHistory(dateText(u->dateEdit_25), dateText(u->dateEdit_26),
                                         u->comboBox_31->currentText());
    });
    // 综合统计's 查询: the tree, then the cash records of the period and their list.
    add("收银明细查询", [u] { // cash-register detail
        return ReportQuery::cashDetail(dateText(u->dateEdit_13), dateText(u->dateEdit_14), u->comboBox_32->currentText());
    }, [this, u] {
        refreshTakingsStatistics();
        ReportQuery::fillCashDetail(dateText(u->dateEdit_13), dateText(u->dateEdit_14));
    });
    // Member numbers are numbers to the shop: 2 comes before 10.
    add("会员管理", [u] { // member page search
        return ReportQuery::memberSearch(typed(u->lineEdit_3));
    });
    add("入库统计", [u] { // stock-in documents
        return ReportQuery::stockDocuments(QStringLiteral("入库明细"), dateText(u->dateEdit_19),
            dateText(u->dateEdit_20), u->comboBox_24->currentText(), typed(u->lineEdit_23));
    });
    add("出库统计", [u] { // stock-out documents
        return ReportQuery::stockDocuments(QStringLiteral("出库明细"), dateText(u->dateEdit_21),
            dateText(u->dateEdit_22), u->comboBox_25->currentText(), typed(u->lineEdit_24));
    });
    add("产品库存", [u] { // stock on hand
        return ReportQuery::stockQuery(typed(u->lineEdit_25), u->comboBox_26->currentText());
    });
    add("产品管理", [u] { // products
        return ReportQuery::productSearch(typed(u->lineEdit_18), u->comboBox_19->currentText());
    });
    add("服务项目列表", [u] { // service items
        return ReportQuery::serviceItemSearch(typed(u->lineEdit_17), u->comboBox_18->currentText());
    });
    for (const ViewDeclaration &d : ViewDeclarations::all()) {
        for (const QString &name : d.queryButtons) {
            auto *button = m_window->findChild<QAbstractButton *>(name);
            if (!button || !m_queries.contains(d.name)) {
                qCWarning(lcSql).noquote() << QStringLiteral("没有这个查询：") + name + QLatin1Char(' ') + d.name;
                continue;
            }
            const QString list = d.name;
            connect(button, &QAbstractButton::clicked, this, [this, list] { query(list); });
        }
    }
}

bool ReportPages::query(const QString &list)
{
    const auto q = m_queries.constFind(list);
    if (q == m_queries.constEnd())
        return false;
    if (q->prepare)
        q->prepare();
    m_ctrl->refreshView(list, q->filter());
    return true;
}

// The detail list of a master list follows the clicked row; the analysis details
// show the sales of the period their master sums.
// The detail lists what its master row sums: an employee's commissions and a
// member's payments of the page's period and filters, not of every year.
void ReportPages::showDetail(const QString &master, int row)
{
    Ui::MainWindow *u = ui;
    ViewFilter extra;
    if (master == QStringLiteral("服务消费分析"))
        extra = analysisPeriod(QStringLiteral("service"), true);
    else if (master == QStringLiteral("产品消费分析"))
        extra = analysisPeriod(QStringLiteral("product"), true);
    else if (master == QStringLiteral("员工提成"))
        extra = ReportQuery::commissionLines(u->comboBox_27->currentText(), dateText(u->dateEdit_23),
                                             dateText(u->dateEdit_24));
    else if (master == QStringLiteral("会员交费统计"))
        extra = ReportQuery::paymentStats(u->comboBox_12->currentText(), dateText(u->dateEdit_11),
                                          dateText(u->dateEdit_12), QString(), typed(u->lineEdit_5),
                                          u->comboBox_33->currentText(), u->comboBox_2->currentText());
    m_ctrl->showDetail(master, row, extra);
}

// The "综合统计" tree for the page's period (both days whole).
void ReportPages::refreshTakingsStatistics()
{
    const QString from = dateText(ui->dateEdit_13);
    const QString to = dateText(ui->dateEdit_14) + QStringLiteral(" 23:59:59");
    TakingsTree::build(m_statModel, TakingsRead::period(from, to));
    ui->treeView->setModel(m_statModel);
    ui->treeView->expandAll();
    ui->treeView->resizeColumnToContents(0);
}

// The cash-register detail is made for the period asked, every time it is asked:
// records taken since start-up are in it, and start-up does no work for it.
void ReportPages::refreshCashDetail()
{
    ReportQuery::fillCashDetail(dateText(ui->dateEdit_13), dateText(ui->dateEdit_14));
    m_ctrl->refreshView(QStringLiteral("收银明细查询"), m_queries.value(QStringLiteral("收银明细查询")).filter());
}

void ReportPages::refreshTakings()
{
    query(QStringLiteral("收银明细查询"));
}

void ReportPages::handOver()
{
    auto *dlg = new jiaobanDlg;
    sendsToWindow(dlg);
    const bool handedOver = dlg->exec() == QDialog::Accepted;
    delete dlg;
    if (!handedOver)
        return;
    // The next operator works from now on: the status bar names them.
    m_window->showOperatorLine();
    query(QStringLiteral("交班查询"));
}
