// The appointment book at the counter: the page behind 预约, booking in a
// free slot through the booking window, a clash refused with the window left
// open, a block dragged to another stylist, a no-show from the keyboard shown
// in the member panel, and a booking checked out with its lines and stylist.

#include <QtTest>
#include <QComboBox>
#include <QSpinBox>
#include <QTableView>

#include "bookingdayview.h"
#include "bookingpage.h"
#include "bookingtestkit.h"
#include "bookingbook.h"
#include "bookingwriter.h"
#include "checkoutfixture.h"
#include "mainwindow.h"
#include "shopconnection.h"

using namespace checkout_fixture;

namespace {

QDate bookDay()
{
    return QDate::currentDate().addDays(1);
}

QDateTime at(const QString &hhmm)
{
    return QDateTime(bookDay(), QTime::fromString(hhmm, QStringLiteral("HH:mm")));
}

// The page of the window, on the booking day.
BookingDayView *openBook(MainWindow &w)
{
    w.navigateTo(QStringLiteral("预约"));
    w.bookingPage()->setDate(bookDay());
    return w.bookingPage()->view();
}

int columnOf(BookingDayView *view, const QString &employeeId)
{
    for (int c = 0; c < view->columns().size(); ++c)
        if (view->columns().at(c).day.employeeId == employeeId)
            return c;
    return -1;
}

void mouse(QWidget *w, QEvent::Type type, const QPoint &p, Qt::MouseButtons buttons)
{
    QMouseEvent e(type, p, w->mapToGlobal(p), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// The booking window: the member looked up, the first item, its minutes, save.
void fillBooking(QWidget *dlg, const QString &member, const QString &item, int minutes)
{
    setText(dlg, "lineEdit_member", member);
    clickButton(dlg, "toolButton_findMember");
    auto *items = dlg->findChild<QComboBox *>("bookingItem_0");
    QVERIFY(items);
    items->setCurrentIndex(items->findData(item));
    dlg->findChild<QSpinBox *>("bookingMinutes_0")->setValue(minutes);
    clickButton(dlg, "toolButton_save");
}

} // namespace

class TestBookingWindow : public QObject
{
    Q_OBJECT
private slots:
    void bookMoveClashNoShow();
    void bookingToSale();
    void heldBookingBillSettlesAtTheOtherDesk();
    void heldBookingBillStaysItsMembers();
    void checkoutOfAHeldBookingTakesUpItsBill();
};

void TestBookingWindow::bookMoveClashNoShow()
{
    TestWorkdir dir;
    PromptRecorder prompts;
    seedShop();
    MainWindow w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    BookingDayView *view = openBook(w);
    view->resize(900, 1400);
    QCOMPARE(view->columns().size(), 2);
    const int e01 = columnOf(view, "E01"), e02 = columnOf(view, "E02");

    // A click in a free slot books there.
    onNextModal([&](QWidget *dlg) { fillBooking(dlg, "1001", "S02", 60); });
    QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, view->slotRect(e01, at("14:00")).center());
    QCOMPARE(sqlRows("select y.huiyuanid,y.kehuming,m.xiangmuID,m.yuangongID,m.kaishi,m.shichang from yuyue y "
                     "join yuyuemingxi m on m.yuyueID=y.ID"),
             QList<QStringList>({{"1001", "王五", "S02", "E01", at("14:00").toString("yyyy-MM-dd HH:mm"), "60"}}));
    QCOMPARE(view->blocks().size(), 1);

    // The same stylist half an hour earlier for an hour: refused, named, the window stays.
    bool stillOpen = false;
    onNextModal([&](QWidget *dlg) {
        fillBooking(dlg, "1002", "S01", 60);
        stillOpen = dlg->isVisible();
        clickButton(dlg, "toolButton_close");
    });
    QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, view->slotRect(e01, at("13:30")).center());
    QVERIFY(stillOpen);
    QCOMPARE(prompts.last(), QString("发型师 张三 14:00–15:00 已有预约：王五 烫发"));
    QCOMPARE(sqlValue("select count(*) from yuyue"), QString("1"));

    // Dragged to the other stylist at 15:00.
    const QPoint from = view->blockRect(0).center();
    const QPoint to = view->slotRect(e02, at("15:00")).center() + QPoint(0, 2);
    mouse(view, QEvent::MouseButtonPress, from, Qt::LeftButton);
    mouse(view, QEvent::MouseMove, from + QPoint(20, 20), Qt::LeftButton);
    mouse(view, QEvent::MouseMove, to, Qt::LeftButton);
    mouse(view, QEvent::MouseButtonRelease, to, Qt::NoButton);
    QCOMPARE(sqlRows("select yuangongID,kaishi from yuyuemingxi order by rowid").value(0),
             QStringList({"E02", at("15:00").toString("yyyy-MM-dd HH:mm")}));

    // From the keyboard: the cursor on the block, Ctrl+Up moves it a quarter earlier, Ctrl+M marks it missed.
    view->setCursor(e02, at("15:00"));
    QTest::keyClick(view, Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(sqlValue("select kaishi from yuyuemingxi order by rowid"), at("14:45").toString("yyyy-MM-dd HH:mm"));
    prompts.answer("是");
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    view->setFocus();
    QTest::keyClick(view, Qt::Key_M, Qt::ControlModifier);
    QCOMPARE(sqlValue("select zhuangtai from yuyue order by rowid"), QString("爽约"));
    QCOMPARE(sqlRows("select dongzuo from yuyuerizhi order by rowid"),
             QList<QStringList>({{"新建预约"}, {"移动预约"}, {"移动预约"}, {"标为爽约"}}));

    // The member panel remembers it.
    w.DlgRecv("会员选择", QStringList{"1001", "王五", "金卡", "", "0", "500", "", "40", ""});
    auto *bookings = w.findChild<QLabel *>("label_memberBookings");
    QCOMPARE(bookings->text(), QString("下次预约：无　爽约：1次"));
    // The refresh after a sale keeps the panel's look: its style set again would
    // polish the label and lay out and repaint the whole front desk each time.
    struct StyleChanges : QObject {
        int n = 0;
        bool eventFilter(QObject *, QEvent *e) override { n += e->type() == QEvent::StyleChange; return false; }
    } restyled;
    const QString red = bookings->styleSheet();
    QVERIFY(!red.isEmpty());
    bookings->installEventFilter(&restyled);
    w.refreshByTable(QStringList{"huiyuanxiaofei", "huiyuanjiaofei"});
    bookings->removeEventFilter(&restyled);
    QCOMPARE(restyled.n, 0);
    QCOMPARE(bookings->styleSheet(), red);
    // A panel emptied (the member deleted, or nobody found) keeps no other member's bookings.
    w.selectMember(QStringList{"9999"});
    QCOMPARE(w.currentMemberId(), QString());
    QCOMPARE(w.findChild<QLabel *>("label_memberBookings")->text(), QString());
}

// 开单 on the page: the booking's member becomes current, the checkout opens
// with the booked line and its stylist, the sale settles the booking.
void TestBookingWindow::bookingToSale()
{
    TestWorkdir dir;
    PromptRecorder prompts;
    seedShop();
    const QString id = bookOne(oneItemBooking("1002", "S01", "E02", at("10:00")));
    QVERIFY(!id.isEmpty());
    MainWindow w;
    BookingDayView *view = openBook(w);
    view->selectBooking(id);
    clickButton(w.bookingPage(), "bookingArrive");
    QCOMPARE(sqlValue("select zhuangtai from yuyue order by rowid"), QString("已到店"));

    QString staff, receivable;
    onNextModal([&](QWidget *dialog) {
        auto *checkout = qobject_cast<AddXiaofeiDlg *>(dialog);
        QVERIFY(checkout);
        QVERIFY(selectRow(checkout, "tableView", "S01"));
        const QAbstractItemModel *lines = checkout->findChild<QTableView *>("tableView")->model();
        staff = lines->index(0, 6).data().toString();
        receivable = text(checkout, "label_26");
        setMethod(*checkout, "现金");
        setText(checkout, "lineEdit_4", receivable);
        clickButton(checkout, "toolButton_10");
    });
    clickButton(w.bookingPage(), "bookingCheckout");
    QCOMPARE(w.currentMemberId(), QString("1002"));
    QCOMPARE(staff, QString("李四")); // the line names its stylist
    QCOMPARE(receivable, QString("100.00"));
    const QString sale = sqlValue("select ID from huiyuanxiaofei order by rowid");
    QCOMPARE(sqlRows("select zhuangtai,xiaofeiID from yuyue order by rowid").value(0), QStringList({"已完成", sale}));
    QCOMPARE(sqlValue("select yuangongID from tichengmingxi where xiaofeiID='" + sale + "' order by rowid"), QString("E02"));
    verifyBooks();
}

// 开单, then 挂单 (the customer pays later): the bill keeps its booking, and
// the other desk that takes it up and sells it settles the booking once.
void TestBookingWindow::heldBookingBillSettlesAtTheOtherDesk()
{
    TestWorkdir dir;
    PromptRecorder prompts;
    seedShop();
    const QString id = bookOne(oneItemBooking("1002", "S01", "E02", at("10:00")));
    QVERIFY(!id.isEmpty());

    QString held;
    {
        AddXiaofeiDlg checkout;
        checkout.setHuiyuanInfo(memberInfo("1002"));
        checkout.show();
        const LedgerResult taken = checkout.takeBooking(id);
        QVERIFY2(taken.ok, qPrintable(taken.error));
        clickButton(&checkout, "toolButton"); // 挂单
        held = checkout.heldBillId();
        QVERIFY(held.startsWith("gd_"));
    }
    // Served and waiting to pay: the customer is here, not a no-show.
    QCOMPARE(sqlRows("select zhuangtai,xiaofeiID from yuyue order by rowid").value(0), QStringList({"已到店", ""}));
    QCOMPARE(BookingWriter::noShow(id, "admin").error, QString("该预约现在是“已到店”，不能标为爽约"));

    ShopConnection desk = currentShopConnection();
    desk.desk = "前台2";
    setCurrentShopConnection(desk);
    AddXiaofeiDlg other;
    other.setHuiyuanInfo(memberInfo("1002"));
    other.show();
    QVERIFY(other.resumeHeld(held).ok);
    setMethod(other, "现金");
    setText(&other, "lineEdit_4", text(&other, "label_26"));
    clickButton(&other, "toolButton_10");
    QCOMPARE(other.result(), int(QDialog::Accepted));
    const QString sale = sqlValue("select ID from huiyuanxiaofei order by rowid");
    QVERIFY(!sale.isEmpty());
    QCOMPARE(sqlRows("select zhuangtai,xiaofeiID from yuyue order by rowid").value(0), QStringList({"已完成", sale}));
    QCOMPARE(sqlRows("select dongzuo,zhuangtai from yuyuerizhi order by rowid"),
             QList<QStringList>({{"新建预约", "已预约"}, {"挂单", "已到店"}, {"开单结账", "已完成"}}));
    QCOMPARE(sqlValue("select count(*) from guadan"), QString("0"));
    verifyBooks();
}

// A booking's held bill belongs to the booking's member: the booking cannot be
// given to another member while the bill waits, and no checkout of another
// member takes the bill up (it would settle the booking with someone else's sale).
void TestBookingWindow::heldBookingBillStaysItsMembers()
{
    TestWorkdir dir;
    PromptRecorder prompts;
    seedShop();
    const QString id = bookOne(oneItemBooking("1002", "S01", "E02", at("10:00")));
    QString held;
    {
        AddXiaofeiDlg checkout;
        checkout.setHuiyuanInfo(memberInfo("1002"));
        QVERIFY(checkout.takeBooking(id).ok);
        clickButton(&checkout, "toolButton"); // 挂单
        held = checkout.heldBillId();
    }
    QVERIFY(!held.isEmpty());
    BookingRecord rec;
    QVERIFY(BookingBook::find(id, &rec));
    Booking changed = rec.booking;
    changed.memberId = "1001";
    changed.customerName.clear();
    changed.phone.clear();
    changed.operatorName = "admin";
    const QString before = sqlValue("select count(*) from log");
    QCOMPARE(BookingWriter::change(changed).error,
             QString("该预约已挂单（挂单号 %1），不能改为其他会员；请先结账，或删除挂单后再修改").arg(held));
    QCOMPARE(sqlValue("select huiyuanid from yuyue order by rowid"), QString("1002"));
    QCOMPARE(sqlValue("select count(*) from log"), before);
    // Its own member may still change the rest of it.
    Booking remark = rec.booking;
    remark.remark = "改到靠窗";
    remark.operatorName = "admin";
    QVERIFY(BookingWriter::change(remark).ok);

    {
        AddXiaofeiDlg other;
        other.setHuiyuanInfo(memberInfo("1001"));
        QCOMPARE(other.resumeHeld(held).error,
                 QString("挂单 %1 是预约会员 %2（1002）的，不能给其他会员结账，请选择该会员后再取单")
                     .arg(held, sqlValue("select name from huiyuan where ID='1002'")));
    }
    // Nothing taken: the bill waits as it was, and its member's checkout takes it up.
    QCOMPARE(sqlRows("select coalesce(qudanID,''),huiyuanID from guadan order by rowid"), QList<QStringList>({{"", "1002"}}));
    QCOMPARE(sqlValue("select count(*) from tempxiaofeimingxi"), QString("0"));
    AddXiaofeiDlg own;
    own.setHuiyuanInfo(memberInfo("1002"));
    QVERIFY(own.resumeHeld(held).ok);
    verifyBooks();
}

// 开单 on a booking whose bill is held opens that bill, not a second one.
void TestBookingWindow::checkoutOfAHeldBookingTakesUpItsBill()
{
    TestWorkdir dir;
    PromptRecorder prompts;
    seedShop();
    const QString id = bookOne(oneItemBooking("1002", "S01", "E02", at("10:00")));
    {
        AddXiaofeiDlg checkout;
        checkout.setHuiyuanInfo(memberInfo("1002"));
        QVERIFY(checkout.takeBooking(id).ok);
        clickButton(&checkout, "toolButton"); // 挂单
    }
    const QString held = sqlValue("select ID from guadan order by rowid");
    QVERIFY(!held.isEmpty());
    MainWindow w;
    BookingDayView *view = openBook(w);
    view->selectBooking(id);
    QString lines;
    onNextModal([&](QWidget *dialog) {
        auto *checkout = qobject_cast<AddXiaofeiDlg *>(dialog);
        QVERIFY(checkout);
        lines = QString::number(checkout->findChild<QTableView *>("tableView")->model()->rowCount());
        setMethod(*checkout, "现金");
        setText(checkout, "lineEdit_4", text(checkout, "label_26"));
        clickButton(checkout, "toolButton_10");
    });
    clickButton(w.bookingPage(), "bookingCheckout");
    QCOMPARE(lines, QString("1"));
    QCOMPARE(prompts.texts().filter("挂单").size(), 0);
    const QString sale = sqlValue("select ID from huiyuanxiaofei order by rowid");
    QCOMPARE(sqlRows("select zhuangtai,xiaofeiID from yuyue order by rowid").value(0), QStringList({"已完成", sale}));
    QCOMPARE(sqlValue("select count(*) from guadan"), QString("0"));
    QCOMPARE(sqlValue("select count(*) from xiaofeimingxi"), QString("1"));
    verifyBooks();
}

QTEST_MAIN(TestBookingWindow)
#include "tst_booking_window.moc"
