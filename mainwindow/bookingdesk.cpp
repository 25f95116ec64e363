// The appointment book in the main window: its page behind the navigation's
// "预约" (and F11), the checkout of a booking, the member panel's next booking
// and no-shows, and the status bar's bookings of today and the coming hour.
#include "bookingdesk.h"
#include "ui_mainwindow.h"

#include "bookingbook.h"
#include "bookingdayview.h"
#include "bookingpage.h"
#include "bookingusereport.h"
#include "heldbills.h"
#include "ctrluiclass.h"
#include "frontdesk.h"
#include "ledgertypes.h"

#include <QLabel>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QSplitter>
#include <QVBoxLayout>

namespace {
// Under the page's first row (its period and 查询), what the page holds goes
// into the upper part of a splitter and the widget into its lower part.
void underCharts(QVBoxLayout *box, QWidget *below)
{
    auto *charts = new QWidget;
    charts->setObjectName(QStringLiteral("businessChartsBody"));
    auto *moved = new QVBoxLayout(charts);
    moved->setContentsMargins(0, 0, 0, 0);
    while (box->count() > 1) {
        QLayoutItem *item = box->takeAt(1);
        if (QWidget *w = item->widget()) {
            delete item;
            moved->addWidget(w, 1);
        } else if (QLayout *l = item->layout()) {
            l->setParent(nullptr);
            moved->addLayout(l, 1);
        } else {
            moved->addItem(item);
        }
    }
    auto *split = new QSplitter(Qt::Vertical);
    split->setObjectName(QStringLiteral("splitter_bookingUse"));
    split->setChildrenCollapsible(false);
    split->addWidget(charts);
    split->addWidget(below);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);
    box->addWidget(split, 1);
}
} // namespace

BookingDesk::BookingDesk(MainWindow *window, Ui::MainWindow *form, ctrlUiClass *ctrl, FrontDesk *desk)
    : MainPage(window, form, ctrl), m_desk(desk)
{
}

void BookingDesk::setup()
{
    m_page = new BookingPage;
    m_page->setObjectName(QStringLiteral("bookingPage"));
    // A page of its own after the others: the existing pages keep their indexes.
    ui->tabWidget->addTab(m_page, QStringLiteral("预约"));
    connect(m_page, &BookingPage::checkoutRequested, this, &BookingDesk::checkoutBooking);
    connect(m_page, &BookingPage::bookingsChanged, this, [this] {
        showStatus();
        showMemberBookings();
    });
    connect(m_desk, &FrontDesk::memberChanged, this, &BookingDesk::showMemberBookings);
    connect(m_desk, &FrontDesk::bookingCheckedOut, this, &BookingDesk::afterCheckout);
    // The owner's utilisation list sits under the charts of 经营分析, below a
    // splitter that leaves the charts three quarters of the height.
    for (int i = 0; i < ui->tabWidget_5->count(); ++i)
        if (ui->tabWidget_5->tabText(i) == QStringLiteral("经营分析")) {
            if (auto *box = qobject_cast<QVBoxLayout *>(ui->tabWidget_5->widget(i)->layout()))
                underCharts(box, new BookingUseReport);
        }
    auto *key = new QShortcut(QKeySequence(Qt::Key_F11), m_window);
    connect(key, &QShortcut::activated, this, [this] { m_window->navigateTo(QStringLiteral("预约")); });

    auto *panel = new QLabel(ui->groupBox);
    panel->setObjectName(QStringLiteral("label_memberBookings"));
    panel->setWordWrap(true);
    if (auto *rows = ui->groupBox->findChild<QVBoxLayout *>(QStringLiteral("layout_12")))
        rows->addWidget(panel);

    auto *status = new QLabel(m_window->statusBar());
    status->setObjectName(QStringLiteral("bookingStatusLabel"));
    status->setStyleSheet(QStringLiteral("color:rgb(255,255,255)"));
    m_window->statusBar()->addPermanentWidget(status);
    // The coming hour moves on by itself.
    auto *clock = new QTimer(m_window);
    clock->setObjectName(QStringLiteral("bookingStatusClock"));
    connect(clock, &QTimer::timeout, this, &BookingDesk::showStatus);
    clock->start(60 * 1000);
    showStatus();
}

bool BookingDesk::navigate(const QString &text)
{
    if (text != QStringLiteral("预约") || !m_page)
        return false;
    ui->tabWidget->setCurrentWidget(m_page);
    m_page->refresh();
    m_page->view()->setFocus();
    return true;
}

void BookingDesk::checkoutBooking(const QString &bookingId)
{
    BookingRecord rec;
    if (!BookingBook::find(bookingId, &rec)) {
        ctrlUiClass::showInfo(QStringLiteral("找不到该预约，可能已被删除"), m_window);
        return;
    }
    const QString member = rec.booking.memberId;
    if (member.isEmpty() || member == QLatin1String(kWalkInId)) {
        m_desk->selectWalkIn();
    } else {
        const QStringList record = BookingBook::memberRecord(member);
        if (record.isEmpty()) {
            ctrlUiClass::showInfo(QStringLiteral("找不到预约的会员（%1），该会员可能已被删除").arg(member), m_window);
            return;
        }
        m_desk->selectMember(record);
    }
    // Rung up and held already: 开单 takes that bill up rather than a second one.
    const QString held = HeldBills::holding(bookingId);
    if (!held.isEmpty()) {
        m_desk->runCheckout(held, QString());
        afterCheckout();
        return;
    }
    m_desk->runCheckout(QString(), bookingId);
}

void BookingDesk::afterCheckout()
{
    if (m_page) {
        m_page->refresh();
        if (ui->tabWidget->currentWidget() == m_page)
            m_page->view()->setFocus();
    }
    showStatus();
    showMemberBookings();
}

void BookingDesk::showMemberBookings()
{
    auto *label = ui->groupBox->findChild<QLabel *>(QStringLiteral("label_memberBookings"));
    if (!label)
        return;
    const QString id = m_desk->currentMemberId();
    if (id.isEmpty() || id == QLatin1String(kWalkInId)) {
        label->clear();
        return;
    }
    // Read with the member when it was just chosen or read again.
    const MemberSummary &member = m_desk->member();
    MemberBookings m;
    if (member.notesRead) {
        m.nextText = member.nextBooking;
        m.noShows = member.noShows;
    } else {
        m = BookingBook::member(id, QDateTime::currentDateTime());
    }
    label->setText(QStringLiteral("下次预约：%1　爽约：%2次")
                       .arg(m.nextText.isEmpty() ? QStringLiteral("无") : m.nextText)
                       .arg(m.noShows));
    // A style sheet set again, even the same one, polishes the label anew and lays
    // out and repaints the whole front desk: most of a refresh after every sale.
    const QString sheet = m.noShows > 0 ? QStringLiteral("color:rgb(192,80,77)") : QString();
    if (label->styleSheet() != sheet)
        label->setStyleSheet(sheet);
}

void BookingDesk::showStatus()
{
    auto *label = m_window->statusBar()->findChild<QLabel *>(QStringLiteral("bookingStatusLabel"));
    if (!label)
        return;
    const QDateTime now = QDateTime::currentDateTime();
    const QList<BookingBlock> today = BookingBook::upcoming(QDateTime(now.date(), QTime(0, 0)),
                                                            QDateTime(now.date().addDays(1), QTime(0, 0)));
    QSet<QString> bookings;
    QStringList soon;
    for (const BookingBlock &b : today) {
        bookings.insert(b.bookingId);
        if (b.start >= now.addSecs(-15 * 60) && b.start < now.addSecs(3600))
            soon << QStringLiteral("%1 %2 %3").arg(b.start.toString(QStringLiteral("HH:mm")), b.customerName, b.itemName);
    }
    QString text = QStringLiteral("今日待到预约 %1 个").arg(bookings.size());
    if (!soon.isEmpty())
        text += QStringLiteral("　一小时内：") + soon.mid(0, 3).join(QStringLiteral("，"))
                + (soon.size() > 3 ? QStringLiteral(" 等%1个").arg(soon.size()) : QString());
    label->setText(text);
    label->setToolTip(soon.join(QLatin1Char('\n')));
}
