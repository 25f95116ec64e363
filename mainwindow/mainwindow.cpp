#include "mainwindow.h"
#include "helpdlg.h"
#include "ui_mainwindow.h"

#include "bookingdesk.h"
#include "frontdesk.h"
#include "memberactions.h"
#include "memberlife.h"
#include "refundactions.h"
#include "reportpages.h"
#include "settingsactions.h"

#include "elidedlabel.h"

#include "shopconnection.h"

#include "appresources.h"
#include "recordrequests.h"
#include "dbfailure.h"
#include "changepassworddlg.h"
#include "choicelists.h"
#include "dbsetconfig.h"
#include "navlistview.h"
#include "operatorpasswords.h"
#include "operatorsession.h"
#include "operatorstore.h"
#include "showlogdlg.h"
#include "sqllog.h"
#include "sqltext.h"
#include "transactionscope.h"
#include "viewdeclarations.h"

#include <QApplication>
#include <QDate>
#include <QDateEdit>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSplitter>
#include <QSqlQueryModel>
#include <QStandardItemModel>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTabBar>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <utility>

namespace {


// Start/end date pairs of the query pages: start = a month ago, end = today.
const char *const kDatePairs[][2] = {
    {"dateEdit", "dateEdit_2"},       {"dateEdit_3", "dateEdit_4"},
    {"dateEdit_7", "dateEdit_8"},     {"dateEdit_9", "dateEdit_10"},
    {"dateEdit_11", "dateEdit_12"},   {"dateEdit_13", "dateEdit_14"},
    {"dateEdit_19", "dateEdit_20"},   {"dateEdit_21", "dateEdit_22"},
    {"dateEdit_23", "dateEdit_24"},   {"dateEdit_25", "dateEdit_26"},
    {"dateEdit_27", "dateEdit_28"},   {"dateEdit_29", "dateEdit_30"},
};

const char *const kHiddenTabBars[] = {"tabWidget", "tabWidget_3", "tabWidget_5",
                                      "tabWidget_6", "tabWidget_9", "tabWidget_11"};

// Ctrl+Tab and Ctrl+Shift+Tab that no widget took rise to the enclosing tab
// widget, which turns its pages even with its bar hidden: a way past the
// navigation's rights check onto the settings pages.
bool isTabTurningKey(QEvent *event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    return (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) && (key->modifiers() & Qt::ControlModifier);
}

} // namespace

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent), ui(new Ui::MainWindow)
{
    initAppResources();
    registerRecordTypes();
    ui->setupUi(this);
    m_ctrl = new ctrlUiClass(this);
    m_frontDesk = new FrontDesk(this, ui, m_ctrl);
    m_members = new MemberActions(this, ui, m_ctrl, m_frontDesk);
    m_refunds = new RefundActions(this, ui, m_ctrl, m_frontDesk);
    m_memberLife = new MemberLife(this, ui, m_ctrl, m_frontDesk);
    m_booking = new BookingDesk(this, ui, m_ctrl, m_frontDesk);
    m_reports = new ReportPages(this, ui, m_ctrl);
    m_settings = new SettingsActions(this, ui, m_ctrl);

    const QDate today = QDate::currentDate();
    for (const auto &pair : kDatePairs) {
        if (auto *start = findChild<QDateEdit *>(QLatin1String(pair[0])))
            start->setDate(today.addMonths(-1));
        if (auto *end = findChild<QDateEdit *>(QLatin1String(pair[1])))
            end->setDate(today);
    }
    setWindowTitle(QStringLiteral("沐辰会员管理系统"));

    openDatabase();

    applyStyle();
    setupFrame();
    beforeTablesCreated();
    createTables();
    optimizeDatabase();
    afterTablesCreated();
    setWindowState(windowState() | Qt::WindowMaximized);
    for (const char *name : kHiddenTabBars) {
        auto *tabs = findChild<QTabWidget *>(QLatin1String(name));
        tabs->setStyleSheet(QStringLiteral(
            "QTabWidget::pane{border-width: 0px; border-style: solid; border-color: rgb(230, 230, 230); "
            "border-top: 0px solid #bbbbbb;}"));
        if (auto *bar = tabs->findChild<QTabBar *>(QString(), Qt::FindDirectChildrenOnly))
            bar->hide();
        tabs->installEventFilter(this);
    }
    setupTitleArea();
    // Master lists above their details get the larger share.
    for (QSplitter *splitter : findChildren<QSplitter *>()) {
        splitter->setStretchFactor(0, splitter->orientation() == Qt::Vertical ? 3 : 1);
        splitter->setStretchFactor(1, splitter->orientation() == Qt::Vertical ? 2 : 1);
    }
    ui->dateEdit_2->setDate(today);
    ui->label_11->setStyleSheet(QStringLiteral("color:rgb(255,2,2)"));
    setupViews();
    setupNavigation();
    setupCombos();
    connectLists();

    m_registry = std::make_unique<TableRegistry>();
    afterConstruction();
}

MainWindow::~MainWindow()
{
    ShopLink::setNotice({});
    // A worker still counting the reminders ends before its window does.
    for (QThread *worker : findChildren<QThread *>())
        worker->wait();
    // The bindings point at the views: they go before the widgets do.
    delete m_ctrl;
    m_ctrl = nullptr;
    delete ui;
}

QString MainWindow::currentMemberId() const
{
    return m_frontDesk->currentMemberId();
}

void MainWindow::selectMember(const QStringList &record)
{
    m_frontDesk->selectMember(record);
}

void MainWindow::noticeDailyReminders()
{
    m_reports->noticeDailyReminders();
}

void MainWindow::openVisitNotes()
{
    m_memberLife->openVisitNotes();
}

BookingPage *MainWindow::bookingPage() const
{
    return m_booking->page();
}

// ---- construction steps ------------------------------------------------------

void MainWindow::applyStyle()
{
    QFile file(QStringLiteral(":/qss/lightblue.css"));
    if (!file.open(QFile::ReadOnly))
        return;
    const QString qss = QString::fromUtf8(file.readAll());
    // The sheet begins with the palette colour; the widgets that the sheet does
    // not reach take it from the palette.
    qApp->setPalette(QPalette(QColor(qss.mid(20, 7))));
    qApp->setStyleSheet(qss);
    // One text size on every platform, so the pages fit a 1366 x 768 screen.
    QFont font = qApp->font();
    font.setPixelSize(13);
    qApp->setFont(font);
}

void MainWindow::setupTitleArea()
{
    statusBar()->setSizeGripEnabled(false);
    m_statusLabel = new ElidedLabel(this);
    m_statusLabel->setObjectName(QStringLiteral("statusLabel"));
    m_statusLabel->setAlignment(Qt::AlignCenter);
    m_statusLabel->setStyleSheet(QStringLiteral("color:rgb(255,255,255)"));
    statusBar()->addPermanentWidget(m_statusLabel, 1);
    // Which database and which desk: with several desks on one shop server the
    // cashier sees at a glance where the sales go.
    auto *engine = new QLabel(currentShopConnection().statusText(), this);
    engine->setObjectName(QStringLiteral("engineLabel"));
    engine->setStyleSheet(QStringLiteral("color:rgb(255,255,255)"));
    statusBar()->addPermanentWidget(engine);
    // Told once when the shop server cannot be reached and once when it is
    // back: in the status bar, and in a box once the operation at hand ended.
    ShopLink::setNotice([this, engine](const QString &text) {
        engine->setText(ShopLink::isLost() ? currentShopConnection().statusText() + QStringLiteral("　（服务器无法连接）")
                                           : currentShopConnection().statusText());
        QTimer::singleShot(0, this, [this, text] { ctrlUiClass::showInfo(text, this); });
    });
    if (!currentShopConnection().desk.isEmpty())
        setWindowTitle(windowTitle() + QStringLiteral(" - ") + currentShopConnection().desk);

    ui->frame_2->setStyleSheet(QStringLiteral("#frame_2{border-image:url(:/image/title.png);}"));
    statusBar()->setStyleSheet(QStringLiteral("#statusBar{border-image:url(:/image/title.png);}"));
    const char *const buttons[] = {"toolButton_6", "toolButton_7", "toolButton_8", "toolButton_9",
                                   "toolButton_10", "toolButton_31", "toolButton_35", "changePasswordButton"};
    for (const char *name : buttons) {
        const QString n = QLatin1String(name);
        findChild<QAbstractButton *>(n)->setStyleSheet(
            QStringLiteral("#%1{border-image:url(:/image/toolbutton.png);color:rgb(255,255,255)}"
                           "#%1:hover{border-image:url(:/image/toolbutton2.png);}").arg(n));
    }
    // 商品寄存 (customers' products kept at the shop) is not a feature of this
    // program: a button that does nothing is not shown.
    ui->toolButton_9->hide();
    // The window has no system frame: the title area moves it.
    ui->frame_2->installEventFilter(this);
    ui->labTitle->installEventFilter(this);
}

// Lists on pages other than the front desk run their first load when they are
// first shown: the statistics over years of sales would otherwise keep the login
// waiting. What the person sees when the page opens is the same.
void MainWindow::setupViews()
{
    const DbsetMap map = readDbset();
    for (const ViewDeclaration &d : ViewDeclarations::all()) {
        auto *view = findChild<QTableView *>(d.widget);
        if (!view || !map.contains(d.name)) {
            qCWarning(lcSql).noquote() << QStringLiteral("没有这个列表：") + d.name + QLatin1Char(' ') + d.widget;
            continue;
        }
        m_ctrl->setupDeclaredView(map, view, d.name);
        // A report page's first load is its page's own query (its period and
        // filters): this filter sees the first showing before the list layer's.
        if (d.firstLoad == ViewDeclaration::FirstLoad::PageQuery)
            m_reports->deferFirstLoad(view, d.name);
    }
    // The lists loaded at once are the member's: for a member ID that matches
    // nobody, so that the front desk starts empty.
    refreshMemberViews(QStringLiteral("卿"));
}

void MainWindow::setupFrame()
{
    // Set before the lists are filled: restyling the window later re-measures
    // every list column against its rows.
    setProperty("form", true);
    setProperty("canMove", true);
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint);
    setStyleSheet(QStringLiteral(
        "QLabel#labTitle{background-color:qlineargradient(spread:pad, x1:0, y1:0, x2:1, y2:0, "
        "stop:0 #2AA2DA, stop:1 #12B5C9);color:#F0F0F0;}"
        "QWidget#widgetTop{background:#FFFFFF;}"
        "QWidget#widgetMain{background:#F1F3F6;}"
        "QListView#listView{background:rgb(52,73,94);border-width:0px;}"));
}

void MainWindow::setupNavigation()
{
    qDebug() << "MainWindow initListview start";

    const QStringList items = {
        "前台收银||0|", "前台收银|前台收银||",
        "会员管理||0|", "会员管理|会员管理||",
        "库存管理||0|", "产品管理|库存管理||", "入库查询|库存管理||", "出库查询|库存管理||",
        "库存管理|库存管理||",
        "统计报表||0|", "会员消费统计|统计报表||", "会员交费统计|统计报表||", "消费分析|统计报表||",
        "交班历史查询|统计报表||", "变动统计|统计报表||", "员工提成查询|统计报表||", "综合统计|统计报表||",
        "经营分析|统计报表||", "经营指标|统计报表||",
        "预约||0|", "预约|预约||",
        "系统设置||0|", "服务项目|系统设置||", "产品管理|系统设置||", "套餐设置|系统设置||",
        "提成策略|系统设置||", "促销方案|系统设置||", "会员卡设置|系统设置||", "操作员设置|系统设置||",
        "员工管理|系统设置||",
    };
    NavListView *nav = ui->listView;
    nav->setData(items);
    nav->setColorLine(QColor(225, 225, 225));
    nav->setColorBgNormal(QColor(231, 244, 255));
    nav->setColorBgSelected(QColor(248, 250, 251));
    nav->setColorBgHover(QColor(24, 189, 155));
    nav->setColorTextNormal(QColor(0, 0, 0));
    nav->setColorTextSelected(QColor(77, 133, 219));
    nav->setColorTextHover(QColor(250, 250, 250));
    nav->setStyleSheet(QStringLiteral("border: 0px;background-color: #EAF7FF"));
    nav->setCurrentIndex(nav->model()->index(1, 0)); // the front desk is the first page shown
    qDebug() << "MainWindow initListview end";
}

void MainWindow::setupCombos()
{
    const auto withAll = [](QComboBox *box) {
        box->insertItem(0, QStringLiteral("所有"));
        box->setCurrentIndex(0);
    };
    for (QComboBox *box : {ui->comboBox_4, ui->comboBox_6, ui->comboBox_9, ui->comboBox_12,
                           ui->comboBox_11, ui->comboBox_29, ui->comboBox_30, ui->comboBox_27})
        m_ctrl->fillCombo(box, QStringLiteral("时间选择"), QStringLiteral("xml"));
    m_ctrl->fillCombo(ui->comboBox_32, QStringLiteral("付款方式"), QStringLiteral("xml"));
    withAll(ui->comboBox_32);
    m_ctrl->fillCombo(ui->comboBox_2, QStringLiteral("交费类型"), QStringLiteral("xml"));
    withAll(ui->comboBox_2);
    m_ctrl->fillCombo(ui->comboBox_24, QStringLiteral("入库类型"), QStringLiteral("xml"));
    m_ctrl->fillCombo(ui->comboBox_25, QStringLiteral("出库类型"), QStringLiteral("xml"));
    m_ctrl->fillCombo(ui->comboBox_7, QStringLiteral("消费类型"), QStringLiteral("xml"));

    const auto fill = [](QComboBox *box, const QList<QVariantList> &rows) {
        ctrlUiClass::fillComboFromRows(box, rows);
    };
    const QList<QVariantList> users = ChoiceLists::operators();
    for (QComboBox *box : {ui->comboBox_5, ui->comboBox_33, ui->comboBox_31}) {
        fill(box, users);
        withAll(box);
    }
    const QList<QVariantList> productKinds = ChoiceLists::categories(QStringLiteral("产品类型"));
    const QList<QVariantList> itemKinds = ChoiceLists::categories(QStringLiteral("项目类型"));
    fill(ui->comboBox_17, productKinds);
    fill(ui->comboBox_15, itemKinds);
    const QList<QVariantList> cards = ChoiceLists::cardTypes();
    for (QComboBox *box : {ui->comboBox_3, ui->comboBox_10}) {
        fill(box, cards);
        withAll(box);
    }
    fill(ui->comboBox_22, ChoiceLists::balanceChangeKinds());
    withAll(ui->comboBox_22);
    fill(ui->comboBox_23, ChoiceLists::pointsChangeKinds());
    withAll(ui->comboBox_23);
    fill(ui->comboBox_34, ChoiceLists::employees());
    withAll(ui->comboBox_34);
    for (QComboBox *box : {ui->comboBox_26, ui->comboBox_19}) {
        fill(box, productKinds);
        withAll(box);
    }
    fill(ui->comboBox_18, itemKinds);
    withAll(ui->comboBox_18);
}

void MainWindow::connectLists()
{
    for (const ViewDeclaration &d : ViewDeclarations::all()) {
        if (d.exportButton.isEmpty())
            continue;
        auto *button = findChild<QAbstractButton *>(d.exportButton);
        if (!button) {
            qCWarning(lcSql).noquote() << QStringLiteral("没有这个导出按钮：") + d.exportButton + QLatin1Char(' ') + d.name;
            continue;
        }
        m_exportButtons.insert(button, d.name);
        connect(button, &QAbstractButton::clicked, this, &MainWindow::exportClick);
    }
}

// ---- refresh -------------------------------------------------------------------

void MainWindow::refreshMemberViews(const QString &memberId)
{
    for (const ViewDeclaration &d : ViewDeclarations::all())
        if (!d.memberColumn.isEmpty())
            m_ctrl->refreshView(d.name, d.memberFilter(memberId));
}

void MainWindow::refreshByTable(const QString &table)
{
    refreshByTable(QStringList{table});
}

void MainWindow::refreshByTable(const QStringList &tables)
{
    if (m_refreshHolds == 0) {
        rerunLists(tables);
        return;
    }
    for (const QString &table : tables)
        if (!m_heldTables.contains(table))
            m_heldTables << table;
}

// Each list once, however many of its tables changed. The member's lists stay
// filtered to the member (an unfiltered points list here would show every
// member's points on the front desk).
void MainWindow::rerunLists(const QStringList &tables)
{
    bool memberLists = false;
    for (const ViewDeclaration *d : ViewDeclarations::refreshedBy(tables)) {
        if (!d->memberColumn.isEmpty()) {
            m_ctrl->refreshView(d->name, d->memberFilter(currentMemberId()));
            memberLists = true;
        } else if (d->firstLoad == ViewDeclaration::FirstLoad::PageQuery) {
            m_reports->requery(d->name); // listed at once once its page has been shown
        } else if (!m_ctrl->isPending(d->name)) {
            // A list not on screen reads the change when its page is shown again:
            // 会员管理 read the first screen of every member (70 ms at 50,000
            // members, 0.2-0.45 s on a shop server) after every top-up and refund at
            // the desk. A window not shown yet (one being set up) reads at once.
            if (isVisible())
                m_ctrl->showDefaultWhenShown(d->name);
            else
                m_ctrl->showDefault(d->name);
        }
    }
    if (memberLists)
        afterMemberDataChanged();
}

MainWindow::RefreshHold::RefreshHold(MainWindow *window) : m_window(window)
{
    ++m_window->m_refreshHolds;
}

MainWindow::RefreshHold::~RefreshHold()
{
    if (--m_window->m_refreshHolds > 0)
        return;
    const QStringList tables = std::exchange(m_window->m_heldTables, QStringList());
    if (!tables.isEmpty())
        m_window->rerunLists(tables);
}

// ---- requests ------------------------------------------------------------------

void MainWindow::DlgRecv(const QString &key, const QVariant &value)
{
    if (RecordRequests::isRecordRequest(key)) {
        const RecordRequests::Outcome done =
            RecordRequests(*m_registry).carryOut(key, value, operatorSession().loginName);
        if (!done.refused.isEmpty())
            ctrlUiClass::showInfo(done.refused, this);
        if (!done.table.isEmpty())
            refreshByTable(done.table);
    } else if (key == QStringLiteral("刷新数据列表")) {
        if (value.userType() == qMetaTypeId<dbctrlstruct>())
            refreshByTable(value.value<dbctrlstruct>().table);
    } else {
        handleAreaRequest(key, value);
    }
}

// ---- navigation ----------------------------------------------------------------

void MainWindow::on_listView_pressed(const QModelIndex &index)
{
    navigateTo(index.data(Qt::DisplayRole).toString());
}

bool MainWindow::navigateTo(const QString &text)
{
    if (m_booking->navigate(text))
        return true;
    if (text == QStringLiteral("前台收银")) {
        ui->tabWidget->setCurrentIndex(0); // the desk's own tab stays as the cashier left it
        afterNavigate(text);
        return true;
    }
    QWidget *page = pageOf(text);
    // A settings page, and the category rows above its entries, need the right.
    if ((!page || ui->tab_shezhi->isAncestorOf(page)) && !atWorkMayChangeSettings(this))
        return false;
    if (!page)
        return false;
    if (text == QStringLiteral("会员管理"))
        m_ctrl->showDefault(text); // before the page shows: loaded once, afresh
    // Every tab above the page, outermost first.
    QList<QPair<QTabWidget *, QWidget *>> tabs;
    for (QWidget *w = page; w && w != this; w = w->parentWidget())
        if (auto *t = qobject_cast<QTabWidget *>(w->parentWidget() ? w->parentWidget()->parentWidget() : nullptr))
            if (t->indexOf(w) >= 0)
                tabs.prepend({t, w});
    for (const auto &t : qAsConst(tabs))
        t.first->setCurrentWidget(t.second);
    afterNavigate(text);
    return true;
}

// The page of a navigation entry: where the list declared for it is shown, or
// a report page of no list of its own (经营分析, 经营指标) by its tab's title.
QWidget *MainWindow::pageOf(const QString &text) const
{
    for (const ViewDeclaration &d : ViewDeclarations::all())
        if (d.page == text)
            return findChild<QWidget *>(d.widget);
    for (int i = 0; i < ui->tabWidget_5->count(); ++i)
        if (ui->tabWidget_5->tabText(i) == text)
            return ui->tabWidget_5->widget(i);
    return nullptr;
}

QStringList MainWindow::settingsPages()
{
    return {QStringLiteral("服务项目"), QStringLiteral("产品管理"),   QStringLiteral("套餐设置"),
            QStringLiteral("提成策略"), QStringLiteral("促销方案"),   QStringLiteral("会员卡设置"),
            QStringLiteral("操作员设置"), QStringLiteral("员工管理")};
}

QList<QAbstractButton *> MainWindow::guardedButtons() const
{
    QList<QAbstractButton *> out = m_settings->deleteButtons() + m_exportButtons.keys();
    // 导入 writes members' balances and the catalogue: the settings right, also
    // on the member page, which is no settings page.
    for (QAbstractButton *b : findChildren<QAbstractButton *>(QRegularExpression(QStringLiteral("^toolButton_import"))))
        out << b;
    return out;
}

// ---- deletions, export, title buttons -------------------------------------------

void MainWindow::exportClick()
{
    const QString view = m_exportButtons.value(qobject_cast<QAbstractButton *>(sender()));
    if (!view.isEmpty())
        m_ctrl->exportView(view, operatorSession().loginName);
}

void MainWindow::on_toolButton_7_clicked()
{
    auto *dlg = new showLogDlg;
    dlg->exec();
    delete dlg;
}

void MainWindow::on_changePasswordButton_clicked()
{
    ChangePasswordDlg dlg;
    dlg.setOperator(operatorSession().loginName, false);
    dlg.exec();
}

void MainWindow::on_toolButton_10_clicked()
{
    HelpDlg help(dbsetEntry<Softwareinfo>(readDbset(), QStringLiteral("helpUrl")).info);
    help.exec();
}

void MainWindow::on_toolButton_31_clicked()
{
    if (ctrlUiClass::askYesNo(QStringLiteral("是否确定退出软件？"), this))
        close();
}

void MainWindow::on_toolButton_35_clicked()
{
    showMinimized();
}

// ---- window ------------------------------------------------------------------------

void MainWindow::showOperatorLine()
{
    const OperatorSession &session = operatorSession();
    m_statusLabel->setText(session.name.isEmpty()
                               ? QStringLiteral("沐辰会员管理系统")
                               : QStringLiteral("沐辰会员管理系统    当前操作员：%1    登录时间：%2")
                                     .arg(session.name, ctrlUiClass::nowText()));
}

void MainWindow::showEvent(QShowEvent *event)
{
    showOperatorLine();
    QMainWindow::showEvent(event);
}

void MainWindow::loadDeferredViews()
{
    m_ctrl->loadPendingViews();
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && isTabTurningKey(event) && qobject_cast<QTabWidget *>(watched)) {
        for (const char *name : kHiddenTabBars)
            if (watched->objectName() == QLatin1String(name))
                return true;
    }
    if (watched == ui->frame_2 || watched == ui->labTitle) {
        switch (event->type()) {
        case QEvent::MouseButtonDblClick:
            setWindowState(windowState() ^ Qt::WindowMaximized);
            return true;
        case QEvent::MouseButtonPress: {
            auto *me = static_cast<QMouseEvent *>(event);
            if (me->button() == Qt::LeftButton && !isMaximized()) {
                m_dragging = true;
                m_dragOffset = me->globalPos() - frameGeometry().topLeft();
            }
            break;
        }
        case QEvent::MouseMove:
            if (m_dragging)
                move(static_cast<QMouseEvent *>(event)->globalPos() - m_dragOffset);
            break;
        case QEvent::MouseButtonRelease:
            m_dragging = false;
            break;
        default:
            break;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}
