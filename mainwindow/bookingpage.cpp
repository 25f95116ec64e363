#include "bookingpage.h"
#include "ui_bookingpage.h"

#include "bookingbook.h"
#include "bookingdayview.h"
#include "bookingdlg.h"
#include "bookinghoursdlg.h"
#include "bookingwriter.h"
#include "receipts/bookingsheet.h"
#include "ctrluiclass.h"
#include "operatorsession.h"
#include "prompt.h"
#include "workinghours.h"

#include <QScrollBar>
#include <QShortcut>

BookingPage::BookingPage(QWidget *parent) : QWidget(parent), ui(new Ui::BookingPage)
{
    ui->setupUi(this);
    m_view = new BookingDayView;
    m_view->setObjectName(QStringLiteral("bookingDayView"));
    ui->bookingScroll->setWidget(m_view);
    // The stylists' names are drawn at the top of the visible part: redrawn as it scrolls.
    connect(ui->bookingScroll->verticalScrollBar(), &QScrollBar::valueChanged, m_view, [this] { m_view->update(); });
    ui->bookingDate->setDate(QDate::currentDate());
    connect(ui->bookingDate, &QDateEdit::dateChanged, this, [this] { refresh(); });
    connect(ui->bookingStylist, QOverload<int>::of(&QComboBox::activated), this, [this] { refresh(); });
    connect(m_view, &BookingDayView::freeSlotChosen, this, &BookingPage::bookAt);
    connect(m_view, &BookingDayView::blockOpened, this, &BookingPage::openBooking);
    connect(m_view, &BookingDayView::blockMoved, this, &BookingPage::moveBooking);
    connect(m_view, &BookingDayView::selectionChanged, this, &BookingPage::updateButtons);
    connect(m_view, &BookingDayView::cursorMoved, this, [this](const QRect &r) {
        ui->bookingScroll->ensureVisible(r.center().x(), r.center().y(), r.width() / 2 + 8, r.height() * 2);
    });
    setupKeys();
    updateButtons();
}

BookingPage::~BookingPage()
{
    delete ui;
}

void BookingPage::setupKeys()
{
    const struct
    {
        const char *keys;
        void (BookingPage::*slot)();
    } keys[] = {
        {"PgUp", &BookingPage::on_bookingPrevDay_clicked},  {"PgDown", &BookingPage::on_bookingNextDay_clicked},
        {"Home", &BookingPage::on_bookingToday_clicked},    {"Ctrl+N", &BookingPage::on_bookingNew_clicked},
        {"Ctrl+D", &BookingPage::on_bookingArrive_clicked}, {"Ctrl+K", &BookingPage::on_bookingCheckout_clicked},
        {"Ctrl+M", &BookingPage::on_bookingNoShow_clicked}, {"Del", &BookingPage::on_bookingCancel_clicked},
        {"Ctrl+P", &BookingPage::on_bookingPrint_clicked},
    };
    for (const auto &k : keys) {
        auto *s = new QShortcut(QKeySequence(QString::fromLatin1(k.keys)), this);
        s->setContext(Qt::WidgetWithChildrenShortcut);
        connect(s, &QShortcut::activated, this, k.slot);
    }
}

QDate BookingPage::date() const
{
    return ui->bookingDate->date();
}

void BookingPage::setDate(const QDate &date)
{
    if (ui->bookingDate->date() == date)
        refresh();
    else
        ui->bookingDate->setDate(date); // refreshes
}

QString BookingPage::weekStylist() const
{
    return ui->bookingStylist->currentData().toString();
}

void BookingPage::fillStylists(const QList<WorkingDay> &staff)
{
    const QString chosen = weekStylist();
    ui->bookingStylist->blockSignals(true);
    ui->bookingStylist->clear();
    ui->bookingStylist->addItem(QStringLiteral("全部员工（日视图）"), QString());
    for (const WorkingDay &d : staff)
        ui->bookingStylist->addItem(d.name + QStringLiteral("（周视图）"), d.employeeId);
    const int at = ui->bookingStylist->findData(chosen);
    ui->bookingStylist->setCurrentIndex(at >= 0 ? at : 0);
    ui->bookingStylist->blockSignals(false);
}

void BookingPage::refresh()
{
    // One read of the shop's hours and one of the day's staff serve the
    // stylist list, the rows and the columns.
    const ShopHours hours = WorkingHours::shopHours();
    const QList<WorkingDay> staff = WorkingHours::day(date(), hours);
    fillStylists(staff);
    m_view->setHours(hours.opens, hours.closes);
    QList<BookingDayView::Column> columns;
    QList<BookingBlock> blocks;
    const QString stylist = weekStylist();
    if (stylist.isEmpty()) {
        // The day: every stylist who works it, and anyone off who still has a booking.
        blocks = BookingBook::day(date());
        QSet<QString> booked;
        for (const BookingBlock &b : blocks)
            if (BookingState::holdsTime(b.state))
                booked.insert(b.employeeId);
        for (const WorkingDay &d : staff)
            if (d.working || booked.contains(d.employeeId))
                columns << BookingDayView::Column{d, date(), d.name};
    } else {
        // The week of one stylist, Monday first.
        const QDate monday = date().addDays(1 - date().dayOfWeek());
        blocks = BookingBook::stylist(stylist, monday, 7);
        const QList<QList<WorkingDay>> week = WorkingHours::days(monday, 7, hours, stylist);
        for (int i = 0; i < 7; ++i) {
            WorkingDay d = week.value(i).value(0);
            d.employeeId = stylist;
            columns << BookingDayView::Column{
                d, monday.addDays(i), QLocale(QLocale::Chinese).toString(monday.addDays(i), QStringLiteral("MM-dd dddd"))};
        }
    }
    const bool newDay = m_shownDate != date();
    m_shownDate = date();
    m_view->setColumns(columns);
    m_view->setBlocks(blocks);
    // A day opens at the time now (today) or at its first booking.
    if (newDay && !columns.isEmpty()) {
        QDateTime first = QDateTime::currentDateTime();
        if (first.date() != date()) {
            first = QDateTime(date(), QTime(23, 0));
            for (const BookingBlock &b : blocks)
                if (b.state != BookingState::text(BookingState::kCancelled))
                    first = qMin(first, b.start);
            if (first.time() == QTime(23, 0))
                first = QDateTime(date(), QTime(9, 0));
        }
        m_view->setCursor(qMax(0, m_view->cursorColumn()), first);
    }
    int held = 0, arrived = 0, done = 0, missed = 0;
    for (const BookingBlock &b : blocks) {
        if (b.line != 1)
            continue;
        using namespace BookingState;
        held += b.state == text(kBooked);
        arrived += b.state == text(kArrived);
        done += b.state == text(kDone);
        missed += b.state == text(kNoShow);
    }
    ui->bookingSummary->setText(QStringLiteral("%1：已预约 %2　已到店 %3　已完成 %4　爽约 %5")
                                    .arg(stylist.isEmpty() ? date().toString(Qt::ISODate) : ui->bookingStylist->currentText())
                                    .arg(held)
                                    .arg(arrived)
                                    .arg(done)
                                    .arg(missed));
    updateButtons();
}

QString BookingPage::selectedBooking() const
{
    const int i = m_view->selectedBlock();
    return i >= 0 && i < m_view->blocks().size() ? m_view->blocks().at(i).bookingId : QString();
}

void BookingPage::updateButtons()
{
    const int i = m_view->selectedBlock();
    const QString state = i >= 0 && i < m_view->blocks().size() ? m_view->blocks().at(i).state : QString();
    using namespace BookingState;
    ui->bookingOpen->setEnabled(!state.isEmpty());
    ui->bookingArrive->setEnabled(state == text(kBooked));
    ui->bookingNoShow->setEnabled(state == text(kBooked));
    ui->bookingCheckout->setEnabled(state == text(kBooked) || state == text(kArrived));
    ui->bookingCancel->setEnabled(state == text(kBooked) || state == text(kArrived));
}

void BookingPage::bookAt(const QString &employeeId, const QDateTime &start)
{
    BookingDlg dlg;
    dlg.setupNew(employeeId, start);
    dlg.exec();
    if (dlg.changed()) {
        refresh();
        m_view->selectBooking(dlg.bookingId());
        emit bookingsChanged();
    }
    m_view->setFocus();
}

void BookingPage::openBooking(const QString &bookingId)
{
    BookingDlg dlg;
    if (!dlg.setupExisting(bookingId)) {
        ctrlUiClass::showInfo(QStringLiteral("找不到该预约，可能已被删除"), this);
        refresh();
        return;
    }
    dlg.exec();
    if (dlg.changed()) {
        refresh();
        m_view->selectBooking(bookingId);
        emit bookingsChanged();
    }
    if (dlg.checkoutWanted())
        emit checkoutRequested(bookingId);
    m_view->setFocus();
}

bool BookingPage::moveBooking(const QString &bookingId, int line, const QString &employeeId, const QDateTime &start)
{
    BookingRecord rec;
    if (!BookingBook::find(bookingId, &rec) || line < 1 || line > rec.booking.items.size()) {
        refresh();
        return false;
    }
    BookingItem moved = rec.booking.items.at(line - 1);
    moved.employeeId = employeeId;
    moved.start = start;
    const QString outside = WorkingHours::outsideHours(moved);
    bool accepted = false;
    if (!outside.isEmpty()) {
        if (!ctrlUiClass::askYesNo(outside + QStringLiteral("，仍要改到这个时间吗？"), this))
            return false;
        accepted = true;
    }
    const LedgerResult r = BookingWriter::move(bookingId, line, employeeId, start, accepted, operatorSession().name);
    if (!r.ok) {
        ctrlUiClass::showInfo(r.error, this);
        return false;
    }
    if (start.date() != date() && weekStylist().isEmpty())
        setDate(start.date());
    else
        refresh();
    m_view->selectBooking(bookingId);
    emit bookingsChanged();
    return true;
}

void BookingPage::on_bookingPrevDay_clicked()
{
    setDate(date().addDays(weekStylist().isEmpty() ? -1 : -7));
}

void BookingPage::on_bookingNextDay_clicked()
{
    setDate(date().addDays(weekStylist().isEmpty() ? 1 : 7));
}

void BookingPage::on_bookingToday_clicked()
{
    setDate(QDate::currentDate());
}

void BookingPage::on_bookingNew_clicked()
{
    const QList<BookingDayView::Column> &columns = m_view->columns();
    const int c = m_view->cursorColumn();
    if (columns.isEmpty()) {
        ctrlUiClass::showInfo(QStringLiteral("这一天没有上班的员工，请先在“工作时间”里安排"), this);
        return;
    }
    bookAt(columns.at(c).day.employeeId, m_view->cursorTime());
}

void BookingPage::on_bookingOpen_clicked()
{
    if (!selectedBooking().isEmpty())
        openBooking(selectedBooking());
}

void BookingPage::on_bookingArrive_clicked()
{
    const QString id = selectedBooking();
    if (id.isEmpty())
        return;
    const LedgerResult r = BookingWriter::arrive(id, operatorSession().name);
    if (!r.ok)
        ctrlUiClass::showInfo(r.error, this);
    refresh();
    m_view->selectBooking(id);
    emit bookingsChanged();
}

void BookingPage::on_bookingCheckout_clicked()
{
    const QString id = selectedBooking();
    if (!id.isEmpty())
        emit checkoutRequested(id);
}

void BookingPage::on_bookingNoShow_clicked()
{
    const QString id = selectedBooking();
    if (id.isEmpty())
        return;
    const int i = m_view->selectedBlock();
    if (!ctrlUiClass::askYesNo(
            QStringLiteral("确定把%1的预约标为爽约吗？").arg(m_view->blocks().at(i).customerName), this))
        return;
    const LedgerResult r = BookingWriter::noShow(id, operatorSession().name);
    if (!r.ok)
        ctrlUiClass::showInfo(r.error, this);
    refresh();
    emit bookingsChanged();
}

void BookingPage::on_bookingCancel_clicked()
{
    const QString id = selectedBooking();
    if (id.isEmpty())
        return;
    const QStringList reasons = {QStringLiteral("顾客改期"), QStringLiteral("顾客取消"), QStringLiteral("店内安排"),
                                 QStringLiteral("返回")};
    const int answer = Prompt::ask({QStringLiteral("取消预约"), QStringLiteral("请选择取消预约的原因："), reasons, this});
    if (answer < 0 || answer >= reasons.size() - 1)
        return;
    const LedgerResult r = BookingWriter::cancel(id, reasons.at(answer), operatorSession().name);
    if (!r.ok)
        ctrlUiClass::showInfo(r.error, this);
    refresh();
    emit bookingsChanged();
}

// The hours are the owner's: the settings right, checked here where they are changed.
void BookingPage::on_bookingHours_clicked()
{
    if (operatorSession().xitongshezhi != QStringLiteral("是")) {
        ctrlUiClass::showInfo(QStringLiteral("你的权限不够，请使用管理员权限登录"), this);
        return;
    }
    BookingHoursDlg dlg;
    dlg.setDate(date());
    dlg.exec();
    if (dlg.changed())
        refresh();
}

// The day's sheet: the stylist of the week view, else the whole shop.
void BookingPage::on_bookingPrint_clicked()
{
    BookingSheet::preview(this, date(), weekStylist());
}
