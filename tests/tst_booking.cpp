#include <QtTest>
#include <QApplication>
#include <QProcess>

#include "basket.h"
#include "bookingbook.h"
#include "bookingcheckout.h"
#include "bookingtestkit.h"
#include "bookingwriter.h"
#include "checkoutfixture.h"
#include "dbrecords.h"
#include "dbsetconfig.h"
#include "heldbills.h"
#include "ledgersql.h"
#include "membersummary.h"
#include "refundwriter.h"
#include "salewriter.h"
#include "visitnotes.h"
#include "workinghours.h"

using namespace checkout_fixture;

// The appointment book's rules without a window: what the booking writer
// writes and refuses, the clash found inside its transaction (also between two
// processes), the hours, and a booking settled by its sale and reopened by the
// sale's void.
class TestBooking : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void bookingRowsAndStates();
    void clashes_data();
    void clashes();
    void workingHours();
    void dayMarks();
    void bookingBecomesSale();
    void settledElsewhereRefusesTheSale();
    void heldBillKeepsItsBooking();
    void twoDesksOneSlot();

private:
    std::unique_ptr<TestWorkdir> m_wd;
};

namespace {

QDate bookDay()
{
    return QDate::currentDate().addDays(1);
}

QDateTime at(const QString &hhmm, const QDate &day = bookDay())
{
    return QDateTime(day, QTime::fromString(hhmm, QStringLiteral("HH:mm")));
}

Booking booking(const QString &member, const QString &item, const QString &employee, const QString &start,
                int minutes = 60)
{
    return oneItemBooking(member, item, employee, at(start), minutes);
}

} // namespace

void TestBooking::init()
{
    m_wd = std::make_unique<TestWorkdir>();
    seedShop();
}

void TestBooking::cleanup()
{
    m_wd.reset();
}

// A booking is one document: header, lines, its number registered, a log row
// for each change; the states move only the ways a desk may move them.
void TestBooking::bookingRowsAndStates()
{
    Booking b = booking("1001", "S02", "E01", "14:00");
    BookingItem second;
    second.itemId = QStringLiteral("S01");
    second.employeeId = QStringLiteral("E02");
    second.start = at("15:00");
    second.minutes = 30;
    b.items << second;
    const LedgerResult r = BookingWriter::book(b);
    QVERIFY2(r.ok, qPrintable(r.error));
    QVERIFY(r.documentId.startsWith("yy"));
    QCOMPARE(r.documentId.size(), 19);
    const QString id = r.documentId;
    QCOMPARE(sqlValue("select leixing from danjuhao where ID='" + id + "'"), QString("预约"));
    QCOMPARE(sqlRows("select huiyuanid,kehuming,riqi,kaishi,jieshu,zhuangtai,laiyuan from yuyue order by rowid").value(0),
             QStringList({"1001", "王五", bookDay().toString(Qt::ISODate), at("14:00").toString("yyyy-MM-dd HH:mm"),
                          at("15:30").toString("yyyy-MM-dd HH:mm"), "已预约", "电话"}));
    QCOMPARE(sqlRows("select hangID,xiangmuID,xiangmumingcheng,yuangongID,shichang from yuyuemingxi order by hangID"),
             QList<QStringList>({{"1", "S02", "烫发", "E01", "60"}, {"2", "S01", "洗剪吹", "E02", "30"}}));

    // Nothing half-done: a booking refused for its shape writes nothing at all.
    Booking walkIn = booking(kWalkInId, "S01", "E01", "10:00");
    walkIn.customerName.clear();
    QCOMPARE(BookingWriter::book(walkIn).error, QString("请填写顾客姓名"));
    QCOMPARE(BookingWriter::book(booking("1001", "S99", "E01", "10:00")).error, QString("找不到服务项目 S99"));
    QCOMPARE(sqlValue("select count(*) from yuyue"), QString("1"));
    QCOMPARE(sqlValue("select count(*) from danjuhao"), QString("1"));

    QCOMPARE(BookingWriter::cancel(id, "  ", "admin").error, QString("请填写取消原因"));
    QVERIFY(BookingWriter::arrive(id, "admin").ok);
    QCOMPARE(BookingWriter::noShow(id, "admin").error, QString("该预约现在是“已到店”，不能标为爽约"));
    QVERIFY(BookingWriter::cancel(id, "顾客临时有事", "admin").ok);
    QCOMPARE(sqlRows("select zhuangtai,quxiaoyuanyin from yuyue order by rowid").value(0), QStringList({"已取消", "顾客临时有事"}));
    QCOMPARE(BookingWriter::arrive(id, "admin").error, QString("该预约现在是“已取消”，不能到店"));
    QCOMPARE(BookingWriter::move(id, 1, "E01", at("16:00"), false, "admin").error,
             QString("该预约现在是“已取消”，不能再修改"));
    QCOMPARE(sqlRows("select dongzuo,zhuangtai from yuyuerizhi order by rowid"),
             QList<QStringList>({{"新建预约", "已预约"}, {"到店", "已到店"}, {"取消预约", "已取消"}}));

    // A no-show counts against the member and leaves the next booking shown.
    const QString kept = BookingWriter::book(booking("1001", "S01", "E01", "10:00")).documentId;
    const QString missed = BookingWriter::book(booking("1001", "S01", "E01", "11:00")).documentId;
    QVERIFY(BookingWriter::noShow(missed, "admin").ok);
    const MemberBookings m = BookingBook::member("1001", QDateTime::currentDateTime());
    QCOMPARE(m.noShows, 1);
    QCOMPARE(m.nextId, kept);
    QCOMPARE(m.nextText, at("10:00").toString("MM-dd HH:mm") + " 张三 洗剪吹");

    // The front desk reads the same line with the member, and the visit notes'
    // warnings (one warning twice, a note without one): still one member each time.
    for (const char *warning : {"对PPD过敏", "", "头皮敏感", "对PPD过敏"}) {
        VisitNote n;
        n.memberId = QStringLiteral("1001");
        n.date = QDate::currentDate().toString("yyyy-MM-dd");
        n.service = QStringLiteral("洗剪吹");
        n.warning = QString::fromUtf8(warning);
        n.operatorName = QStringLiteral("admin");
        QVERIFY(VisitNotes::save(n).ok);
    }
    const QString name = MemberSummary::read("1001").name;
    const QList<MemberSummary> byName = MemberSummary::find(name, 2);
    const QList<MemberSummary> byCard = MemberSummary::find("1001", 2);
    QCOMPARE(byName.size(), 1);
    QCOMPARE(byCard.size(), 1);
    for (const MemberSummary &desk : {MemberSummary::readWithNotes("1001"), byName.first(), byCard.first()}) {
        QVERIFY(desk.notesRead);
        QCOMPARE(desk.id, QString("1001"));
        QCOMPARE(desk.noShows, m.noShows);
        QCOMPARE(desk.nextBooking, m.nextText);
        QCOMPARE(desk.warnings, VisitNotes::warnings("1001"));
        QCOMPARE(desk.warnings.size(), 2);
    }
}

void TestBooking::clashes_data()
{
    QTest::addColumn<QString>("employee");
    QTest::addColumn<QString>("start");
    QTest::addColumn<int>("minutes");
    QTest::addColumn<QString>("refusal");
    const QString taken = QStringLiteral("发型师 张三 14:00–15:00 已有预约：李娜 烫发");
    QTest::newRow("same time") << "E01" << "14:00" << 60 << taken;
    QTest::newRow("starts inside") << "E01" << "14:45" << 30 << taken;
    QTest::newRow("ends inside") << "E01" << "13:30" << 45 << taken;
    QTest::newRow("around it") << "E01" << "13:00" << 180 << taken;
    QTest::newRow("ends as it starts") << "E01" << "13:00" << 60 << "";
    QTest::newRow("starts as it ends") << "E01" << "15:00" << 60 << "";
    QTest::newRow("another stylist") << "E02" << "14:00" << 60 << "";
}

// One stylist, one customer at a time; the refusal names who is there.
void TestBooking::clashes()
{
    QFETCH(QString, employee);
    QFETCH(QString, start);
    QFETCH(int, minutes);
    QFETCH(QString, refusal);
    const LedgerResult first = BookingWriter::book(booking(kWalkInId, "S02", "E01", "14:00"));
    QVERIFY2(first.ok, qPrintable(first.error));
    const LedgerResult second = BookingWriter::book(booking("1002", "S01", employee, start, minutes));
    QCOMPARE(second.error, refusal);
    QCOMPARE(sqlValue("select count(*) from yuyue").toInt(), refusal.isEmpty() ? 2 : 1);
    QCOMPARE(sqlValue("select count(*) from danjuhao").toInt(), refusal.isEmpty() ? 2 : 1);
    if (!refusal.isEmpty()) {
        // A move into the taken time is refused the same way, and moves nothing.
        const QString other = BookingWriter::book(booking("1002", "S01", employee, "17:00", minutes)).documentId;
        QVERIFY(!other.isEmpty());
        QCOMPARE(BookingWriter::move(other, 1, employee, at(start), false, "admin").error, refusal);
        QCOMPARE(sqlValue("select kaishi from yuyuemingxi where yuyueID='" + other + "' order by rowid"),
                 at("17:00").toString("yyyy-MM-dd HH:mm"));
        // Time given up by a cancel or a no-show is free again.
        QVERIFY(BookingWriter::noShow(first.documentId, "admin").ok);
        const LedgerResult moved = BookingWriter::move(other, 1, employee, at(start), false, "admin");
        QVERIFY2(moved.ok, qPrintable(moved.error));
        QCOMPARE(sqlValue("select kaishi from yuyuemingxi where yuyueID='" + other + "' order by rowid"),
                 at(start).toString("yyyy-MM-dd HH:mm"));
        QCOMPARE(sqlValue("select count(*) from yuyuemingxi where yuyueID='" + other + "'"), QString("1"));
    }
}

void TestBooking::workingHours()
{
    QVERIFY(WorkingHours::setShopHours("10:00", "20:00", "admin").ok);
    QCOMPARE(WorkingHours::setShopHours("10:00", "09:00", "admin").error, QString("结束时间必须晚于开始时间"));
    QCOMPARE(WorkingHours::outsideHours(booking("1001", "S01", "E01", "09:30").items.first()),
             QString("09:30–10:30 不在营业时间 10:00–20:00 内"));
    const LedgerResult early = BookingWriter::book(booking("1001", "S01", "E01", "09:30"));
    QCOMPARE(early.error, QString("09:30–10:30 不在营业时间 10:00–20:00 内，本次预约未保存"));
    Booking asked = booking("1001", "S01", "E01", "09:30");
    asked.outsideHoursAccepted = true; // the cashier was asked and said yes
    QVERIFY(BookingWriter::book(asked).ok);

    // Weekly hours: E02 works mornings on the booking's weekday, and is off the other days.
    const int weekday = bookDay().dayOfWeek();
    QVERIFY(WorkingHours::setWeekly("E02", {{weekday, "10:00", "14:00"}}, "admin").ok);
    QCOMPARE(WorkingHours::outsideHours(booking("1001", "S01", "E02", "13:30").items.first()),
             QString("13:30–14:30 不在 李四 的工作时间 10:00–14:00 内"));
    QCOMPARE(WorkingHours::dayOf("E02", bookDay().addDays(1)).working, false);
    QCOMPARE(WorkingHours::dayOf("E01", bookDay().addDays(1)).end, QString("20:00"));
    // A day off, then a changed day, for that one date only.
    QVERIFY(WorkingHours::setDay("E01", bookDay(), "休息", "", "", "admin").ok);
    QCOMPARE(WorkingHours::outsideHours(booking("1001", "S01", "E01", "12:00").items.first()),
             QString("张三 %1 休息").arg(bookDay().toString(Qt::ISODate)));
    QVERIFY(WorkingHours::setDay("E01", bookDay(), "调班", "15:00", "20:00", "admin").ok);
    const QList<WorkingDay> day = WorkingHours::day(bookDay());
    QCOMPARE(day.size(), 2);
    QCOMPARE(QStringList({day.at(0).start, day.at(0).end, day.at(0).note}), QStringList({"15:00", "20:00", "调班"}));
    QCOMPARE(WorkingHours::outsideHours(booking("1001", "S01", "E01", "15:00").items.first()), QString());
    QCOMPARE(WorkingHours::setDay("E01", bookDay(), "调班", "15:00", "3pm", "admin").error,
             QString("时间格式应为 时:分，例如 09:30"));

    // A week read at once (the week view, the utilisation list) says what
    // each day read alone says: the day off, the changed day, the weekly
    // hours, the shop's hours.
    QVERIFY(WorkingHours::setDay("E02", bookDay().addDays(2), "休息", "", "", "admin").ok);
    QVERIFY(WorkingHours::setDay("E01", bookDay().addDays(3), "休息", "", "", "admin").ok);
    const auto shown = [](const QList<WorkingDay> &staff) {
        QStringList out;
        for (const WorkingDay &d : staff)
            out << QStringList{d.employeeId, d.name, d.type, d.working ? "上班" : "不上班", d.start, d.end, d.note}.join('/');
        return out;
    };
    const QList<QList<WorkingDay>> week = WorkingHours::days(bookDay().addDays(-1), 7, WorkingHours::shopHours());
    QCOMPARE(week.size(), 7);
    for (int i = 0; i < 7; ++i)
        QCOMPARE(shown(week.at(i)), shown(WorkingHours::day(bookDay().addDays(i - 1))));
    QCOMPARE(shown(week.at(1)).value(0), QString("E01/张三/发型师/上班/15:00/20:00/调班"));
    QCOMPARE(shown(WorkingHours::days(bookDay(), 1, WorkingHours::shopHours(), "E02").value(0)),
             QStringList({"E02/李四/助理/上班/10:00/14:00/"}));
}

// Each block of the day carries its member's marks: a birthday within the
// coming week, and a package item of the booking with two uses or fewer left.
void TestBooking::dayMarks()
{
    sqlExec("update huiyuan set birthday='1990-" + QDate::currentDate().addDays(3).toString("MM-dd") + "' where ID='1001'");
    sqlExec("update huiyuan set birthday='1990-" + QDate::currentDate().addDays(9).toString("MM-dd") + "' where ID='1002'");
    QVERIFY(BookingWriter::book(booking("1001", "S02", "E01", "10:00")).ok);
    QVERIFY(BookingWriter::book(booking("1002", "S01", "E02", "10:00")).ok);
    QVERIFY(BookingWriter::book(booking(kWalkInId, "S01", "E01", "12:00")).ok);
    const auto marks = [] {
        QStringList out;
        for (const BookingBlock &b : BookingBook::day(bookDay()))
            out << b.memberId + (b.birthdaySoon ? "生日" : "") + (b.packageRunningOut ? "套餐将用完" : "");
        return out;
    };
    QCOMPARE(marks(), QStringList({"1001生日", "1002", "0000"}));
    sqlExec("update huiyuantaocan set shengyucishu=2 where huiyuanID='1001'");
    QCOMPARE(marks(), QStringList({"1001生日套餐将用完", "1002", "0000"}));
}

// The booking brings its lines to the checkout (the held package first, the
// stylist credited), the sale settles it in the same transaction, the void
// opens it again.
void TestBooking::bookingBecomesSale()
{
    Booking b = booking("1001", "S02", "E01", "14:00");
    BookingItem cut;
    cut.itemId = QStringLiteral("S01");
    cut.employeeId = QStringLiteral("E02");
    cut.start = at("15:00");
    b.items << cut;
    const QString id = BookingWriter::book(b).documentId;
    QVERIFY(!id.isEmpty());
    QVERIFY(BookingWriter::arrive(id, "admin").ok);

    Basket basket(QStringLiteral("xf_") + LedgerSql::serialNow());
    basket.open("1001");
    QCOMPARE(BookingCheckout::fill(basket, id, "1002", "普通卡", "admin").error,
             QString("该预约不是这位顾客的，请先选择预约的会员"));
    QVERIFY(basket.isEmpty());
    const LedgerResult filled = BookingCheckout::fill(basket, id, "1001", "金卡", "admin");
    QVERIFY2(filled.ok, qPrintable(filled.error));
    Sale sale = basket.toSale();
    QCOMPARE(sale.lines.size(), 2);
    QCOMPARE(sale.lines.at(0).type, QString("套餐消费"));
    QCOMPARE(sale.lines.at(0).employeeId, QString("E01"));
    QCOMPARE(sale.lines.at(1).type, QString("服务项目"));
    QCOMPARE(sale.lines.at(1).amountCents, qint64(8000)); // 金卡: services at 0.8
    QCOMPARE(sale.lines.at(1).employeeId, QString("E02"));
    QCOMPARE(sale.lines.at(1).commissions.value(0).cents, qint64(1500)); // 点单提成, fixed 15

    sale.memberId = "1001";
    sale.operatorName = "admin";
    sale.lineMethod = "现金";
    sale.payments << PaymentPart{"现金", 8000};
    sale.bookingId = id;
    const LedgerResult sold = SaleWriter::commit(sale);
    QVERIFY2(sold.ok, qPrintable(sold.error));
    QCOMPARE(sqlRows("select zhuangtai,xiaofeiID from yuyue order by rowid").value(0), QStringList({"已完成", sold.documentId}));
    QCOMPARE(sqlValue("select shengyucishu from huiyuantaocan where huiyuanID='1001' and xiangmuID='S02' order by rowid"), QString("4"));
    QCOMPARE(sqlValue("select yuangongID from tichengmingxi where xiaofeiID='" + sold.documentId + "' and xiangmuID='S01' order by rowid"),
             QString("E02"));

    const LedgerResult voided = RefundWriter::voidSale({sold.documentId, "收错了", "admin", "admin"});
    QVERIFY2(voided.ok, qPrintable(voided.error));
    QCOMPARE(sqlRows("select zhuangtai,xiaofeiID from yuyue order by rowid").value(0), QStringList({"已到店", ""}));
    QCOMPARE(sqlValue("select dongzuo from yuyuerizhi order by rowid desc LIMIT 1"), QString("消费单作废"));
    verifyBooks();
}

// A booking another desk settled or cancelled while this checkout was open:
// the sale is refused whole, nothing of it written.
void TestBooking::settledElsewhereRefusesTheSale()
{
    const QString id = BookingWriter::book(booking("1002", "S01", "E01", "14:00")).documentId;
    Basket basket(QStringLiteral("xf_") + LedgerSql::serialNow());
    basket.open("1002");
    QVERIFY(BookingCheckout::fill(basket, id, "1002", "普通卡", "admin").ok);
    QVERIFY(BookingWriter::cancel(id, "改天再来", "admin").ok);
    Sale sale = basket.toSale();
    sale.memberId = "1002";
    sale.operatorName = "admin";
    sale.lineMethod = "现金";
    sale.payments << PaymentPart{"现金", 10000};
    sale.bookingId = id;
    const LedgerResult sold = SaleWriter::commit(sale);
    QCOMPARE(sold.error, QString("这张消费单的预约现在是“已取消”（可能刚在其他收银台处理过），本次消费未保存"));
    QCOMPARE(sqlValue("select count(*) from huiyuanxiaofei"), QString("0"));
    QCOMPARE(sqlValue("select count(*) from xiaofeimingxi"), QString("0"));
    QCOMPARE(sqlValue("select zhuangtai from yuyue order by rowid"), QString("已取消"));
    verifyBooks();
}

// A bill rung up from a booking and held (挂单) keeps its booking: held
// again it still has it, thrown away it gives the booking back as it was, and
// while it is held the booking is not rung up a second time.
void TestBooking::heldBillKeepsItsBooking()
{
    const QString id = BookingWriter::book(booking("1002", "S01", "E01", "14:00")).documentId;
    const auto holdFromBooking = [&](const QString &basketId) {
        Basket basket(basketId);
        basket.open("1002");
        const LedgerResult filled = BookingCheckout::fill(basket, id, "1002", "普通卡", "admin");
        if (!filled.ok)
            return filled;
        return HeldBills::hold(basketId, "1002", "赵六", "admin", QString(), id);
    };
    const QString held = holdFromBooking("xf_one").documentId;
    QVERIFY(held.startsWith("gd_"));
    QCOMPARE(sqlRows("select yuyueID,yuyuezhuangtai from guadan order by rowid").value(0), QStringList({id, "已预约"}));
    QCOMPARE(sqlValue("select zhuangtai from yuyue order by rowid"), QString("已到店"));
    QCOMPARE(holdFromBooking("xf_two").error, QString("该预约已挂单（挂单号：%1），请从挂单中取回").arg(held));
    QCOMPARE(sqlValue("select count(*) from tempxiaofeimingxi where ID='xf_two'"), QString("0"));

    // Taken up and held again: the new bill has the booking and what it was at first.
    Basket again(QStringLiteral("xf_three"));
    again.open("1002");
    QVERIFY(HeldBills::resume(held, again.saleId(), "admin").ok);
    const QString heldAgain = HeldBills::hold(again.saleId(), "1002", "赵六", "admin", held).documentId;
    QVERIFY(heldAgain.startsWith("gd_"));
    QCOMPARE(sqlRows("select ID,yuyueID,yuyuezhuangtai from guadan order by rowid"), QList<QStringList>({{heldAgain, id, "已预约"}}));

    // Thrown away: the booking is open again as it was, and can be rung up.
    QVERIFY(HeldBills::discard(heldAgain, "admin", "admin").ok);
    QCOMPARE(sqlValue("select zhuangtai from yuyue order by rowid"), QString("已预约"));
    QCOMPARE(sqlRows("select dongzuo,zhuangtai from yuyuerizhi order by rowid"),
             QList<QStringList>({{"新建预约", "已预约"}, {"挂单", "已到店"}, {"挂单", "已到店"}, {"删除挂单", "已预约"}}));

    // Arrived first: thrown away it stays arrived. Cancelled while held: the
    // sale is refused, and throwing the bill away leaves the cancellation.
    QVERIFY(BookingWriter::arrive(id, "admin").ok);
    const QString arrived = holdFromBooking("xf_four").documentId;
    QVERIFY(HeldBills::discard(arrived, "admin", "admin").ok);
    QCOMPARE(sqlValue("select zhuangtai from yuyue order by rowid"), QString("已到店"));
    const QString cancelled = holdFromBooking("xf_five").documentId;
    QVERIFY(BookingWriter::cancel(id, "客人改期", "admin").ok);
    Basket late(QStringLiteral("xf_six"));
    late.open("1002");
    QVERIFY(HeldBills::resume(cancelled, late.saleId(), "admin").ok);
    Sale sale = late.toSale();
    sale.memberId = "1002";
    sale.operatorName = "admin";
    sale.lineMethod = "现金";
    sale.payments << PaymentPart{"现金", 10000};
    sale.heldBillId = cancelled;
    QCOMPARE(SaleWriter::commit(sale).error,
             QString("这张消费单的预约现在是“已取消”（可能刚在其他收银台处理过），本次消费未保存"));
    QCOMPARE(sqlValue("select count(*) from huiyuanxiaofei"), QString("0"));
    QCOMPARE(sqlValue("select count(*) from guadan"), QString("1"));
    QVERIFY(HeldBills::discard(cancelled, "admin", "admin", late.saleId()).ok);
    QCOMPARE(sqlValue("select zhuangtai from yuyue order by rowid"), QString("已取消"));
    verifyBooks();
}

// Two desks book the same slotCount at the same moment, each its own customer:
// every slot ends with exactly one booking, and every refusal names the
// booking the other desk made.
void TestBooking::twoDesksOneSlot()
{
    const int slotCount = 24;
    QProcess desks[2];
    for (int d = 0; d < 2; ++d) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_LOGGING_RULES", "*.debug=false;*.warning=false;*.info=false");
        desks[d].setProcessEnvironment(env);
        desks[d].start(QCoreApplication::applicationFilePath(),
                       {QStringLiteral("--booking-desk"), m_wd->path(), QString::number(d), QString::number(slotCount)});
        QVERIFY(desks[d].waitForStarted());
    }
    QStringList booked, refused;
    for (QProcess &p : desks) {
        QVERIFY2(p.waitForFinished(240000), "a desk did not finish");
        QCOMPARE(p.exitCode(), 0);
        for (const QByteArray &raw : p.readAllStandardOutput().split('\n')) {
            const QString line = QString::fromUtf8(raw).trimmed();
            if (line.startsWith("booked "))
                booked << line.mid(7);
            else if (line.startsWith("refused "))
                refused << line.mid(8);
        }
    }
    QCOMPARE(booked.size() + refused.size(), 2 * slotCount);
    QCOMPARE(booked.size(), slotCount);
    QCOMPARE(sqlValue("select count(*) from yuyue").toInt(), slotCount);
    QCOMPARE(sqlValue("select count(distinct kaishi) from yuyuemingxi").toInt(), slotCount);
    QCOMPARE(sqlValue("select count(*) from danjuhao").toInt(), slotCount);
    const QRegularExpression named(QStringLiteral("^发型师 张三 \\d\\d:\\d\\d–\\d\\d:\\d\\d 已有预约：(甲|乙)客 洗剪吹$"));
    for (const QString &why : refused)
        QVERIFY2(named.match(why).hasMatch(), qPrintable(why));
    qInfo("two desks: %d booked, %d refused with the clash named", int(booked.size()), int(refused.size()));
}

// One desk of the two-desk test: books its customer into each half hour of the
// day with E01, saying what became of each.
static int bookingDesk(char *argv[])
{
    QDir::setCurrent(QString::fromLocal8Bit(argv[2]));
    registerRecordTypes();
    openDatabase();
    const int desk = QString::fromLatin1(argv[3]).toInt();
    const int slotCount = QString::fromLatin1(argv[4]).toInt();
    QTextStream out(stdout);
    for (int n = 0; n < slotCount; ++n) {
        Booking b;
        b.memberId = QString::fromUtf8(kWalkInId);
        b.customerName = desk == 0 ? QStringLiteral("甲客") : QStringLiteral("乙客");
        BookingItem i;
        i.itemId = QStringLiteral("S01");
        i.employeeId = QStringLiteral("E01");
        i.start = QDateTime(bookDay(), QTime(9, 0)).addSecs(n * 1800);
        i.minutes = 30;
        b.items << i;
        b.operatorName = QStringLiteral("desk%1").arg(desk);
        b.outsideHoursAccepted = true;
        const LedgerResult r = BookingWriter::book(b);
        out << (r.ok ? QStringLiteral("booked ") + r.documentId : QStringLiteral("refused ") + r.error) << '\n';
        out.flush();
    }
    return 0;
}

int main(int argc, char *argv[])
{
    if (argc >= 5 && qstrcmp(argv[1], "--booking-desk") == 0) {
        QCoreApplication app(argc, argv);
        return bookingDesk(argv);
    }
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestBooking tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_booking.moc"
