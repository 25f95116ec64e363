// The appointment book's owner windows: the hours editor behind 工作时间,
// the day sheet behind 打印, and the utilisation list (预约利用率) under
// 经营分析, each driven through its window and checked against the rows.

#include <QtTest>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QSplitter>
#include <QTableWidget>
#include <QTimeEdit>

#include "basket.h"
#include "bookingcheckout.h"
#include "bookingdayview.h"
#include "bookingpage.h"
#include "bookingtestkit.h"
#include "bookingusereport.h"
#include "bookingwriter.h"
#include "checkoutfixture.h"
#include "ledgersql.h"
#include "mainwindow.h"
#include "receipts/bookingsheet.h"
#include "salewriter.h"
#include "workinghours.h"

using namespace checkout_fixture;

namespace {

QDateTime at(const QDate &day, const QString &hhmm)
{
    return QDateTime(day, QTime::fromString(hhmm, QStringLiteral("HH:mm")));
}

QString book(const QString &member, const QString &item, const QString &employee, const QDateTime &start,
             int minutes = 60)
{
    Booking b = oneItemBooking(member, item, employee, start, minutes);
    b.remark = QStringLiteral("要靠窗");
    b.outsideHoursAccepted = true;
    return bookOne(b);
}

// The hours editor as the owner fills it in.
struct HoursEditor
{
    QWidget *dlg;
    void shopHours(const QString &opens, const QString &closes)
    {
        dlg->findChild<QTimeEdit *>("timeEdit_opens")->setTime(QTime::fromString(opens, "HH:mm"));
        dlg->findChild<QTimeEdit *>("timeEdit_closes")->setTime(QTime::fromString(closes, "HH:mm"));
        clickButton(dlg, "toolButton_saveShop");
    }
    void employee(const QString &id)
    {
        auto *box = dlg->findChild<QComboBox *>("comboBox_employee");
        box->setCurrentIndex(box->findData(id));
    }
    // Weekdays 1…7 with their hours; none: the shop's hours every day.
    void week(const QList<WeeklyHours> &days)
    {
        dlg->findChild<QCheckBox *>("checkBox_shopHours")->setChecked(days.isEmpty());
        for (int d = 1; d <= 7; ++d)
            dlg->findChild<QCheckBox *>(QStringLiteral("checkBox_day%1").arg(d))->setChecked(false);
        for (const WeeklyHours &h : days) {
            dlg->findChild<QCheckBox *>(QStringLiteral("checkBox_day%1").arg(h.weekday))->setChecked(true);
            dlg->findChild<QTimeEdit *>(QStringLiteral("timeEdit_from%1").arg(h.weekday))
                ->setTime(QTime::fromString(h.start, "HH:mm"));
            dlg->findChild<QTimeEdit *>(QStringLiteral("timeEdit_to%1").arg(h.weekday))
                ->setTime(QTime::fromString(h.end, "HH:mm"));
        }
        clickButton(dlg, "toolButton_saveWeek");
    }
    void day(const QDate &date, const QString &kind, const QString &from = "09:00", const QString &to = "21:00")
    {
        dlg->findChild<QDateEdit *>("dateEdit_change")->setDate(date);
        auto *kinds = dlg->findChild<QComboBox *>("comboBox_kind");
        kinds->setCurrentIndex(kinds->findText(kind));
        dlg->findChild<QTimeEdit *>("timeEdit_changeFrom")->setTime(QTime::fromString(from, "HH:mm"));
        dlg->findChild<QTimeEdit *>("timeEdit_changeTo")->setTime(QTime::fromString(to, "HH:mm"));
        clickButton(dlg, "toolButton_saveDay");
    }
};

QStringList columnsOf(BookingDayView *view)
{
    QStringList out;
    for (const BookingDayView::Column &c : view->columns())
        out << c.day.employeeId;
    return out;
}

} // namespace

class TestBookingPages : public QObject
{
    Q_OBJECT
private slots:
    void hoursEditor();
    void hoursEditorKeepsMidnight();
    void daySheet();
    void utilisationList();
};

// 工作时间 on the page: the shop's hours, a stylist's week and one changed
// day are stored as typed, bad input is refused with nothing written, and the
// day view follows at once. Without the settings right nothing opens and the
// writers refuse too.
void TestBookingPages::hoursEditor()
{
    TestWorkdir dir;
    PromptRecorder prompts;
    seedShop();
    MainWindow w;
    w.navigateTo(QStringLiteral("预约"));
    // A Monday, so that the week's first day is the day on the page.
    QDate monday = QDate::currentDate().addDays(8 - QDate::currentDate().dayOfWeek());
    w.bookingPage()->setDate(monday);
    QCOMPARE(columnsOf(w.bookingPage()->view()), QStringList({"E01", "E02"}));

    onNextModal([&](QWidget *dlg) {
        HoursEditor hours{dlg};
        hours.shopHours("10:00", "20:00");
        QCOMPARE(prompts.last(), QString("营业时间已保存"));
        hours.shopHours("20:00", "10:00");
        QCOMPARE(prompts.last(), QString("结束时间必须晚于开始时间"));

        hours.employee("E02");
        hours.week({{1, "12:00", "18:00"}, {3, "10:00", "16:30"}});
        QCOMPARE(prompts.last(), QString("工作时间已保存"));
        // Every box unticked is no week at all: asked again, nothing replaced.
        prompts.clear();
        dlg->findChild<QCheckBox *>("checkBox_shopHours")->setChecked(false);
        for (int d = 1; d <= 7; ++d)
            dlg->findChild<QCheckBox *>(QStringLiteral("checkBox_day%1").arg(d))->setChecked(false);
        clickButton(dlg, "toolButton_saveWeek");
        QCOMPARE(prompts.last(), QString("请至少勾选一天，或选择“每天按营业时间上班”"));

        hours.employee("E01");
        hours.day(monday, "休息");
        QCOMPARE(prompts.last(), monday.toString(Qt::ISODate) + QString(" 的安排已保存"));
        hours.day(monday.addDays(1), "调班", "15:00", "11:00");
        QCOMPARE(prompts.last(), QString("结束时间必须晚于开始时间"));
        hours.day(monday.addDays(2), "调班", "13:00", "19:00");
        clickButton(dlg, "toolButton_close");
    });
    clickButton(w.bookingPage(), "bookingHours");

    QCOMPARE(sqlRows("select mingcheng,zhi from dianpushezhi where mingcheng in ('营业开始','营业结束') order by mingcheng"),
             QList<QStringList>({{"营业开始", "10:00"}, {"营业结束", "20:00"}}));
    QCOMPARE(sqlRows("select yuangongID,xingqi,kaishi,jieshu from yuangongpaiban order by xingqi"),
             QList<QStringList>({{"E02", "1", "12:00", "18:00"}, {"E02", "3", "10:00", "16:30"}}));
    QCOMPARE(sqlRows("select yuangongID,riqi,leixing,kaishi,jieshu from yuangongtiaoban order by riqi"),
             QList<QStringList>({{"E01", monday.toString(Qt::ISODate), "休息", "", ""},
                                 {"E01", monday.addDays(2).toString(Qt::ISODate), "调班", "13:00", "19:00"}}));
    // The page read the hours again: on Monday E01 is off, E02 works 12–18.
    BookingDayView *view = w.bookingPage()->view();
    QCOMPARE(columnsOf(view), QStringList({"E02"}));
    QCOMPARE(view->columns().at(0).day.start, QString("12:00"));
    // Tuesday E02 has no weekly hours: no column; E01 works the shop's 10–20.
    w.bookingPage()->setDate(monday.addDays(1));
    QCOMPARE(columnsOf(view), QStringList({"E01"}));
    QCOMPARE(view->columns().at(0).day.start + view->columns().at(0).day.end, QString("10:0020:00"));
    // The editor shows what is stored when it opens again.
    onNextModal([&](QWidget *dlg) {
        HoursEditor{dlg}.employee("E02");
        QVERIFY(!dlg->findChild<QCheckBox *>("checkBox_shopHours")->isChecked());
        QVERIFY(dlg->findChild<QCheckBox *>("checkBox_day3")->isChecked());
        QVERIFY(!dlg->findChild<QCheckBox *>("checkBox_day2")->isChecked());
        QCOMPARE(dlg->findChild<QTimeEdit *>("timeEdit_to3")->time(), QTime(16, 30));
        QCOMPARE(dlg->findChild<QTimeEdit *>("timeEdit_opens")->time(), QTime(10, 0));
        clickButton(dlg, "toolButton_close");
    });
    clickButton(w.bookingPage(), "bookingHours");

    // A cashier: the window does not open, and the writers refuse whatever reached them.
    sqlExec("insert into \"user\"(name,password,zuidizekou,qiandanjine,xiugaixiaoshoudanjia,xiugaibankajiage,tupodijia,"
            "xiugaitaocanxiaofeicishu,xitongshezhi,jinyong) values('小王','',0,0,'否','否','否','否','否','否')");
    operatorSession().loginName = operatorSession().name = QStringLiteral("小王");
    operatorSession().xitongshezhi = QStringLiteral("否");
    prompts.clear();
    clickButton(w.bookingPage(), "bookingHours");
    QCOMPARE(prompts.texts(), QStringList({"你的权限不够，请使用管理员权限登录"}));
    const QString before = sqlValue("select count(*) from log");
    QCOMPARE(WorkingHours::setShopHours("08:00", "22:00", "小王").error.contains("权限"), true);
    QVERIFY(!WorkingHours::setWeekly("E01", {}, "小王").ok);
    QVERIFY(!WorkingHours::setDay("E01", monday, QString(), QString(), QString(), "小王").ok);
    QCOMPARE(sqlValue("select zhi from dianpushezhi where mingcheng='营业开始'"), QString("10:00"));
    QCOMPARE(sqlValue("select count(*) from yuangongtiaoban"), QString("2"));
    QCOMPARE(sqlValue("select count(*) from log"), before);
}

// A shop open until midnight: 24:00 is shown as 24:00 and saved back as it
// was (the editor once showed 23:59 and saving it unchanged shortened the day).
void TestBookingPages::hoursEditorKeepsMidnight()
{
    TestWorkdir dir;
    PromptRecorder prompts;
    seedShop();
    QVERIFY(WorkingHours::setShopHours("10:00", "24:00", operatorSession().loginName).ok);
    QVERIFY(WorkingHours::setWeekly("E02", {{3, "18:00", "24:00"}}, operatorSession().loginName).ok);
    MainWindow w;
    w.navigateTo(QStringLiteral("预约"));
    onNextModal([&](QWidget *dlg) {
        auto *closes = dlg->findChild<QTimeEdit *>("timeEdit_closes");
        QCOMPARE(closes->text(), QString("24:00"));
        clickButton(dlg, "toolButton_saveShop");
        QCOMPARE(prompts.last(), QString("营业时间已保存"));
        HoursEditor hours{dlg};
        hours.employee("E02");
        auto *to = dlg->findChild<QTimeEdit *>("timeEdit_to3");
        QCOMPARE(to->text(), QString("24:00"));
        clickButton(dlg, "toolButton_saveWeek");
        QCOMPARE(prompts.last(), QString("工作时间已保存"));
        // Stepping: past 23:59 is the end of the day, and one step down from it is 23:00 or 23:59.
        to->setTime(QTime(23, 30));
        to->setCurrentSection(QDateTimeEdit::HourSection);
        to->stepBy(1);
        QCOMPARE(to->text(), QString("24:00"));
        to->stepBy(1);
        QCOMPARE(to->text(), QString("24:00"));
        to->stepBy(-1);
        QCOMPARE(to->text(), QString("23:00"));
        to->setTime(QTime(23, 59));
        to->setCurrentSection(QDateTimeEdit::MinuteSection);
        to->stepBy(1);
        QCOMPARE(to->text(), QString("24:00"));
        to->stepBy(-1);
        QCOMPARE(to->text(), QString("23:59"));
        clickButton(dlg, "toolButton_close");
    });
    clickButton(w.bookingPage(), "bookingHours");
    QCOMPARE(sqlValue("select zhi from dianpushezhi where mingcheng='营业结束'"), QString("24:00"));
    QCOMPARE(sqlRows("select xingqi,kaishi,jieshu from yuangongpaiban where yuangongID='E02'"),
             QList<QStringList>({{"3", "18:00", "24:00"}}));
}

// 打印 on the page: the sheet of the day lists each working stylist with the
// hours and the bookings by time, cancelled ones left out; the week view's
// stylist prints alone; the PDF is written.
void TestBookingPages::daySheet()
{
    TestWorkdir dir;
    PromptRecorder prompts;
    seedShop();
    const QDate day = QDate::currentDate().addDays(1);
    QVERIFY(!book("1001", "S02", "E01", at(day, "15:00"), 90).isEmpty());
    QVERIFY(!book(kWalkInId, "S01", "E01", at(day, "10:30"), 30).isEmpty());
    const QString gone = book("1002", "S01", "E02", at(day, "11:00"));
    QVERIFY(BookingWriter::cancel(gone, "改天", "admin").ok);
    QVERIFY(WorkingHours::setDay("E02", day, "调班", "12:00", "18:00", "admin").ok);

    const auto texts = [](const QList<BookingSheet::Line> &lines) {
        QList<QStringList> out;
        for (const BookingSheet::Line &l : lines)
            out << l.cells;
        return out;
    };
    const QStringList head{"时间", "顾客", "电话", "项目", "状态", "备注"};
    const QString title = "预约表  " + day.toString(Qt::ISODate);
    QCOMPARE(texts(BookingSheet::lines(day, QString())),
             QList<QStringList>({{title},
                                 {"张三 发型师  09:00–21:00"},
                                 head,
                                 {"10:30–11:00", "李娜", "13900000000", "洗剪吹", "已预约", "要靠窗"},
                                 {"15:00–16:30", "王五", "", "烫发", "已预约", "要靠窗"},
                                 {"李四 助理  12:00–18:00"},
                                 head,
                                 {"", "（没有预约）"}}));
    QCOMPARE(texts(BookingSheet::lines(day, "E02")).size(), 4);

    // The week view of 李四 prints 李四 only; the preview opens from the page.
    MainWindow w;
    w.navigateTo(QStringLiteral("预约"));
    w.bookingPage()->setDate(day);
    auto *stylists = w.bookingPage()->findChild<QComboBox *>("bookingStylist");
    stylists->setCurrentIndex(stylists->findData("E02"));
    QString previewName;
    onNextModal([&](QWidget *dlg) {
        previewName = dlg->objectName() + " " + dlg->windowTitle();
        dlg->close();
    });
    clickButton(w.bookingPage(), "bookingPrint");
    QCOMPARE(previewName, "bookingSheetPreview 预约表 " + day.toString(Qt::ISODate));

    const QString pdf = QDir::current().filePath("sheet.pdf");
    QString error;
    QVERIFY2(BookingSheet::savePdf(day, QString(), pdf, &error), qPrintable(error));
    QFile f(pdf);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.read(5), QByteArray("%PDF-"));
    QVERIFY(!BookingSheet::savePdf(day, QString(), QDir::current().filePath("no/such/folder/sheet.pdf"), &error));
    QVERIFY(error.startsWith("PDF文件未能写入："));
}

// 预约利用率 under 经营分析, for today: working hours from the shop's hours,
// booked hours of the bookings that held the time, kept / cancelled / not
// kept, and the stylists' revenue from booked and from walk-in sales, with
// the 合计 line; the export writes the same rows and needs the settings right.
void TestBookingPages::utilisationList()
{
    TestWorkdir dir;
    PromptRecorder prompts;
    seedShop();
    const QDate today = QDate::currentDate();
    QVERIFY(WorkingHours::setShopHours("09:00", "19:00", "admin").ok);
    QVERIFY(WorkingHours::setWeekly("E02", {{today.dayOfWeek(), "13:00", "17:00"}}, "admin").ok);
    // E01: an hour kept and sold through its booking, half an hour cancelled.
    const QString kept = book("1002", "S01", "E01", at(today, "09:00"));
    const QString cancelled = book(kWalkInId, "S01", "E01", at(today, "11:00"), 30);
    QVERIFY(BookingWriter::cancel(cancelled, "临时有事", "admin").ok);
    // E02: 45 minutes not kept, 20 still booked.
    QVERIFY(BookingWriter::noShow(book(kWalkInId, "S01", "E02", at(today, "13:00"), 45), "admin").ok);
    QVERIFY(!book("1001", "S03", "E02", at(today, "16:00"), 20).isEmpty());

    const auto sell = [](const QString &member, const QString &bookingId, const QString &employee) {
        Basket basket(QStringLiteral("xf_") + LedgerSql::serialNow());
        basket.open(member);
        if (!bookingId.isEmpty()) {
            QVERIFY(BookingCheckout::fill(basket, bookingId, member, "普通卡", "admin").ok);
        } else {
            SaleLine line;
            line.key = "walkin-1";
            line.type = "服务项目";
            line.itemId = "S03";
            line.name = "染发";
            line.listCents = line.unitCents = line.amountCents = 15000;
            line.quantity = 1;
            line.employeeId = employee;
            line.enteredBy = "admin";
            QVERIFY(basket.addLine(line).ok);
        }
        Sale sale = basket.toSale();
        sale.memberId = member;
        sale.operatorName = "admin";
        sale.lineMethod = "现金";
        sale.payments << PaymentPart{"现金", basket.moneyCents()};
        sale.bookingId = bookingId;
        const LedgerResult sold = SaleWriter::commit(sale);
        QVERIFY2(sold.ok, qPrintable(sold.error));
    };
    sell("1002", kept, QString());
    sell(kWalkInId, QString(), "E02");

    MainWindow w;
    QVERIFY(w.navigateTo(QStringLiteral("经营分析")));
    auto *report = w.findChild<BookingUseReport *>("bookingUseReport");
    QVERIFY(report);
    // It shares the page with the charts: below them, the smaller part.
    auto *split = w.findChild<QSplitter *>("splitter_bookingUse");
    QVERIFY(split && split->widget(1) == report);
    report->setPeriod(today, today);
    clickButton(report, "bookingUseQuery");
    const QList<QStringList> expected{
        {"E01", "张三", "10.0", "1.0", "10.0%", "1", "1", "0", "100", "0"},
        {"E02", "李四", "4.0", "0.3", "8.3%", "0", "0", "1", "0", "150"},
        {"合计", "", "14.0", "1.3", "9.5%", "1", "1", "1", "100", "150"}};
    QCOMPARE(report->rows(), expected);
    auto *table = report->findChild<QTableWidget *>("bookingUseTable");
    QCOMPARE(table->rowCount(), 3);
    QCOMPARE(table->item(2, 0)->text(), QString("合计"));
    QCOMPARE(table->item(1, 9)->text(), QString("150"));

    const QString csv = QDir::current().filePath("use.csv");
    prompts.saveFileName(csv);
    clickButton(report, "bookingUseExport");
    QFile f(csv);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(f.readAll()).remove(QChar(0xFEFF)).split("\r\n", Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines.first(), BookingUseReport::header().join(','));
    QCOMPARE(lines.last(), expected.last().join(','));
    f.close();
    QFile::remove(csv);

    // A cashier is refused the export and no file is written.
    sqlExec("insert into \"user\"(name,password,zuidizekou,qiandanjine,xiugaixiaoshoudanjia,xiugaibankajiage,tupodijia,"
            "xiugaitaocanxiaofeicishu,xitongshezhi,jinyong) values('小王','',0,0,'否','否','否','否','否','否')");
    operatorSession().loginName = operatorSession().name = QStringLiteral("小王");
    prompts.clear();
    prompts.saveFileName(csv);
    clickButton(report, "bookingUseExport");
    QCOMPARE(prompts.texts(), QStringList({"你的权限不够，请使用管理员权限登录"}));
    QVERIFY(!QFile::exists(csv));
    verifyBooks();
}

QTEST_MAIN(TestBookingPages)
#include "tst_booking_pages.moc"
