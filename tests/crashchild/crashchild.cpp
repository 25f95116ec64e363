// Works the shop in a loop — sales, top-ups and package renewals through the real
// dialogs — and prints each committed document, until it is killed. The crash
// test (tst_crash) kills it at random moments and checks what is left; the
// two-desk test (tst_twodesk) runs two of them on one shop folder, each for a
// given number of operations. "ledgerdesk N" works the rules layer itself, with
// no window (the four-desk test, on SQLite or on a shop server): sales, top-ups,
// renewals, repayments, voids and balance refunds; "ledgerdesk N DESK" works as
// the desk of that name and hands its shift over at the end. "script DESK"
// is the desk of that name doing what the test tells it, one operation per
// line read (JSON), each answered by one line (tst_shopday, tst_memberdesks).
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThread>
#include <QTableView>
#include <QTextStream>

#include "checkoutfixture.h"
#include "dbrecords.h"
#include "dbsetconfig.h"
#include "handoverwriter.h"
#include "ledgersql.h"
#include "shopconnection.h"
#include "basket.h"
#include "cardupgrade.h"
#include "pointsredemption.h"
#include "huiyuankachongchi.h"
#include "memberwriter.h"
#include "refundwriter.h"
#include "salewriter.h"
#include "mainwindow.h"
#include "powercutvfs.h"
#include "taocanxufeidlg.h"

using namespace checkout_fixture;

namespace {
QTextStream out(stdout);

void say(const QString &line)
{
    // One answer, one line: a refusal's cause (its own line in the message
    // box) stays with it instead of passing for the next answer.
    out << QString(line).replace(QLatin1Char('\n'), QLatin1Char(' ')) << Qt::endl; // flushed: the parent reads it after the kill
}

bool sale(MainWindow &main, const QString &member, bool usePackageToo)
{
    AddXiaofeiDlg dlg;
    QObject::connect(&dlg, &AddXiaofeiDlg::DlgSend, &main, &MainWindow::DlgRecv);
    dlg.setHuiyuanInfo(memberInfo(member));
    dlg.show();
    addLine(dlg, "toolButton_3", "S01", "1");
    if (usePackageToo && sqlValue("select shengyucishu from huiyuantaocan where huiyuanID='" + member
                                  + "' and xiangmuID='S02'").toDouble() >= 1)
        usePackage(dlg, "S02", "1");
    const double balance = sqlValue("select shengyujine from huiyuan where ID='" + member + "'").toDouble();
    const QString due = text(&dlg, "label_26");
    setMethod(dlg, balance >= due.toDouble() ? QStringLiteral("储蓄卡") : QStringLiteral("现金"));
    setText(&dlg, "lineEdit_4", due);
    clickButton(&dlg, "toolButton_10");
    if (dlg.result() != QDialog::Accepted)
        return false;
    say("sale " + dlg.saleId());
    return true;
}

bool topUp(MainWindow &main, const QString &member)
{
    huiyuankachongchi dlg;
    QObject::connect(&dlg, &huiyuankachongchi::DlgSend, &main, &MainWindow::DlgRecv);
    const QStringList m = sqlRows("select ID,name,shengyujine,phone from huiyuan where ID='" + member + "'").value(0);
    dlg.setup(m);
    dlg.show();
    dlg.findChild<QLineEdit *>("lineEdit")->setText("100");
    dlg.findChild<QLineEdit *>("lineEdit_2")->setText("10");
    clickButton(&dlg, "toolButton");
    if (dlg.result() != QDialog::Accepted)
        return false;
    say("topup " + dlg.documentId());
    return true;
}

bool renew(MainWindow &main, const QString &member)
{
    taocanxufeidlg dlg;
    QObject::connect(&dlg, &taocanxufeidlg::DlgSend, &main, &MainWindow::DlgRecv);
    const QStringList m = sqlRows("select ID,name,type,0,jifen,shengyujine from huiyuan where ID='" + member + "'").value(0);
    dlg.setup(QStringLiteral("会员交费"), m);
    dlg.show();
    onNextModal([](QWidget *w) {
        auto *code = w->findChild<QLineEdit *>("lineEdit");
        code->setText("S02");
        QMetaObject::invokeMethod(code, "editingFinished");
        w->findChild<QLineEdit *>("lineEdit_2")->setText("2");
        w->findChild<QLineEdit *>("lineEdit_4")->setText("150");
        clickButton(w, "toolButton");
    });
    clickButton(&dlg, "toolButton_2");
    clickButton(&dlg, "toolButton_4");
    if (dlg.result() != QDialog::Accepted)
        return false;
    say("renewal " + dlg.documentId());
    return true;
}
// The rules layer as a desk uses it: each operation one writer call, its
// outcome told on one line ("sale xf_…", "refused …").
QString ledgerOperation(int op, const QString &member, int serial)
{
    auto *rng = QRandomGenerator::global();
    LedgerResult r;
    QString kind;
    if (op == 0) {
        TopUp t;
        t.memberId = member;
        t.paidInCents = 10000;
        t.bonusCents = 1000;
        t.receivedCents = 9000; // 10 owed, repaid later
        t.method = QStringLiteral("现金");
        t.operatorName = QStringLiteral("admin");
        r = MemberWriter::topUp(t);
        kind = QStringLiteral("topup");
    } else if (op == 1) {
        Renewal n;
        n.memberId = member;
        n.items = {PackageItem{QStringLiteral("S02"), 2}};
        n.dueCents = 15000;
        n.payments = {PaymentPart{QStringLiteral("现金"), 15000}};
        n.remark = QStringLiteral("烫发×2");
        n.operatorName = QStringLiteral("admin");
        r = MemberWriter::renew(n);
        kind = QStringLiteral("renewal");
    } else if (op == 2) {
        const QString debt = sqlValue("select ID from huiyuanjiaofei where huiyuanid='" + member
                                      + "' and qiankuanjine>0 order by ID limit 1");
        if (debt.isEmpty())
            return QStringLiteral("refused 没有欠款");
        Repayment p;
        p.documentId = debt;
        p.cents = 1000;
        p.method = QStringLiteral("微信");
        p.operatorName = QStringLiteral("admin");
        r = MemberWriter::repay(p);
        kind = QStringLiteral("repay");
    } else if (op == 4) {
        // The newest sale not voided yet, whichever desk rang it up: two desks
        // may reach for the same one, and it voids once.
        const QString sale = sqlValue("select ID from huiyuanxiaofei where ID like 'xf%' and ID not in "
                                      "(select ID from xiaofeizuofei) order by rowid desc limit 1");
        if (sale.isEmpty())
            return QStringLiteral("refused 没有可作废的消费单");
        r = RefundWriter::voidSale(SaleVoid{sale, QStringLiteral("收错了"), QStringLiteral("admin"), QStringLiteral("admin")});
        kind = QStringLiteral("void");
    } else if (op == 5) {
        // Half of them from a card that only refunds draw on (when the shop
        // has one): whether the busy members' cards can pay anything back at
        // a given moment is their debts' and sales' luck, and a run where no
        // refund ever could land tells nothing of refunds under contention.
        const bool spare = rng->bounded(2) && sqlValue("select count(*) from huiyuan where ID='1003'") == "1";
        BalanceRefund b{spare ? QStringLiteral("1003") : member, 1000, 900, QStringLiteral("现金"),
                        QStringLiteral("退一部分"), QStringLiteral("admin"), QStringLiteral("admin")};
        r = RefundWriter::refundBalance(b);
        kind = QStringLiteral("refund");
    } else {
        Basket basket(QStringLiteral("xf_%1_%2").arg(QCoreApplication::applicationPid()).arg(serial));
        basket.open(member);
        SaleLine line;
        line.key = QStringLiteral("k1");
        line.type = QStringLiteral("服务项目");
        line.itemId = QStringLiteral("S01");
        line.name = QStringLiteral("洗剪吹");
        line.listCents = 10000;
        line.unitCents = 8000;
        line.quantity = 1;
        line.amountCents = 8000;
        line.points = 8;
        line.enteredBy = QStringLiteral("admin");
        const LedgerResult added = basket.addLine(line);
        if (!added.ok)
            return QStringLiteral("refused ") + added.error;
        if (rng->bounded(2) && basket.usesLeft(QStringLiteral("S02")) >= 1) {
            SaleLine use = line;
            use.key = QStringLiteral("k2");
            use.type = QStringLiteral("套餐消费");
            use.itemId = QStringLiteral("S02");
            use.name = QStringLiteral("烫发");
            use.amountCents = 0;
            use.points = 0;
            basket.addLine(use);
        }
        Sale sale = basket.toSale();
        sale.memberId = member;
        sale.operatorName = QStringLiteral("admin");
        // The card when it looks enough; another desk may have spent it meanwhile.
        const bool card = sqlValue("select shengyujine from huiyuan where ID='" + member + "'").toDouble() >= 80;
        sale.lineMethod = card ? QStringLiteral("储蓄卡") : QStringLiteral("现金");
        sale.payments = {PaymentPart{sale.lineMethod, 8000}};
        r = SaleWriter::commit(sale);
        basket.close();
        kind = QStringLiteral("sale");
    }
    return r.ok ? kind + QLatin1Char(' ') + r.documentId : QStringLiteral("refused ") + r.error;
}
qint64 centsOf(const QJsonValue &v)
{
    return qint64(v.toDouble());
}

QList<PaymentPart> paymentsOf(const QJsonValue &v)
{
    QList<PaymentPart> out;
    for (const QJsonValue &p : v.toArray())
        out << PaymentPart{p.toArray().at(0).toString(), centsOf(p.toArray().at(1)), p.toArray().at(2).toString()};
    return out;
}

// One operation the test asks for, through the writer a window would call,
// with admin at work and confirming: "ok DOCUMENT" or "refused WHY".
QString scriptedOperation(const QJsonObject &o)
{
    const QString op = o.value("op").toString();
    const QString admin = QStringLiteral("admin");
    const QString member = o.value("member").toString();
    LedgerResult r;
    if (op == "sale") {
        Sale s;
        s.memberId = member;
        int n = 0;
        for (const QJsonValue &v : o.value("lines").toArray()) {
            const QJsonObject l = v.toObject();
            SaleLine line;
            line.key = QStringLiteral("line%1").arg(++n);
            line.type = l.value("type").toString();
            line.itemId = line.name = l.value("item").toString();
            line.listCents = line.unitCents = centsOf(l.value("unit"));
            line.quantity = centsOf(l.value("qty"));
            const bool use = line.type == QStringLiteral("套餐消费");
            line.amountCents = use ? 0 : line.unitCents * line.quantity;
            line.points = use ? 0 : double(line.amountCents) / 100;
            line.enteredBy = admin;
            if (l.contains("employee")) {
                line.employeeId = l.value("employee").toString();
                line.commissions = {CommissionRow{line.employeeId, QStringLiteral("轮单提成"),
                                                  QStringLiteral("按比例提成"), 10, centsOf(l.value("commission"))}};
            }
            s.lines << line;
        }
        s.payments = paymentsOf(o.value("payments"));
        s.lineMethod = s.payments.value(0).method;
        s.debtCents = centsOf(o.value("debt"));
        s.operatorName = admin;
        r = SaleWriter::commit(s);
    } else if (op == "topup") {
        TopUp t;
        t.memberId = member;
        t.paidInCents = centsOf(o.value("paidIn"));
        t.bonusCents = centsOf(o.value("bonus"));
        t.receivedCents = centsOf(o.value("received"));
        t.method = o.value("method").toString();
        t.operatorName = admin;
        r = MemberWriter::topUp(t);
    } else if (op == "issue") {
        CardIssue c;
        c.memberId = member;
        c.name = o.value("name").toString();
        c.cardType = o.value("card").toString();
        c.employeeId = o.value("employee").toString();
        c.priceCents = centsOf(o.value("price"));
        c.receivedCents = centsOf(o.value("received"));
        c.method = o.value("method").toString();
        c.operatorName = admin;
        r = MemberWriter::issueCard(c);
    } else if (op == "renew") {
        Renewal n;
        n.memberId = member;
        for (const QJsonValue &i : o.value("items").toArray())
            n.items << PackageItem{i.toArray().at(0).toString(), centsOf(i.toArray().at(1))};
        n.dueCents = centsOf(o.value("due"));
        n.payments = paymentsOf(o.value("payments"));
        n.operatorName = admin;
        r = MemberWriter::renew(n);
    } else if (op == "repay") {
        r = MemberWriter::repay(Repayment{o.value("doc").toString(), centsOf(o.value("cents")),
                                          o.value("method").toString(), admin});
    } else if (op == "refundBalance") {
        r = RefundWriter::refundBalance(BalanceRefund{member, centsOf(o.value("taken")), centsOf(o.value("back")),
                                                      o.value("method").toString(), QStringLiteral("会员退卡"), admin,
                                                      admin});
    } else if (op == "refundPackage") {
        r = RefundWriter::refundPackage(PackageRefund{member, o.value("item").toString(), centsOf(o.value("uses")),
                                                      centsOf(o.value("back")), o.value("method").toString(),
                                                      QStringLiteral("不做了"), admin, admin, QString()});
    } else if (op == "void") {
        r = RefundWriter::voidSale(SaleVoid{o.value("sale").toString(), QStringLiteral("收错了"), admin, admin});
    } else if (op == "upgrade") {
        CardUpgrade u;
        u.memberId = member;
        u.fromType = o.value("from").toString();
        u.newType = o.value("card").toString();
        u.dueCents = centsOf(o.value("due"));
        u.receivedCents = centsOf(o.value("received"));
        u.method = o.value("method").toString();
        u.employee = o.value("employee").toString();
        u.operatorName = admin;
        r = CardUpgrades::upgrade(u);
    } else if (op == "redeem") {
        r = PointsRedemption::redeem(member, o.value("reward").toString(), int(o.value("qty").toDouble()), admin);
    } else if (op == "handover") {
        Handover h;
        h.desk = LedgerSql::desk();
        h.operatorName = admin;
        h.from = HandoverWriter::shiftStart(h.desk);
        h.to = LedgerSql::now();
        r = HandoverWriter::write(h);
    } else {
        r = LedgerResult::failure(QStringLiteral("unknown operation ") + op);
    }
    return r.ok ? QStringLiteral("ok ") + r.documentId : QStringLiteral("refused ") + r.error;
}
} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) // a desk may also be watched on a display
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    registerRecordTypes();
    if (argc < 2)
        return 2;
    // "cut N seed" / "kill N seed": the power fails, or the process is killed,
    // at the Nth write or sync after start-up (writes happen only in commits
    // and checkpoints). "desk N": one desk of several, stopping after N
    // operations (refusals included).
    const QString how = argc >= 3 ? QString::fromLatin1(argv[2]) : QString();
    if (how == QLatin1String("hold") && argc >= 4) {
        // "hold MS": another program holding the shop file's write lock for MS
        // milliseconds, as a desk in the middle of a long save would.
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("holder"));
        db.setDatabaseName(QDir(QString::fromLocal8Bit(argv[1])).filePath(QStringLiteral("mochenxinxi.db")));
        if (!db.open())
            return 3;
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("BEGIN IMMEDIATE")))
            return 4;
        say("held");
        QThread::msleep(QString::fromLatin1(argv[3]).toULong());
        q.exec(QStringLiteral("ROLLBACK"));
        say("released");
        return 0;
    }
    const bool powerCut = argc >= 5 && (how == QLatin1String("cut") || how == QLatin1String("kill"));
    const bool scripted = how == QLatin1String("script") && argc >= 4;
    const bool ledgerDesk = how == QLatin1String("ledgerdesk") || scripted;
    const int operations = argc >= 4 && (how == QLatin1String("desk") || ledgerDesk)
                               ? QString::fromLocal8Bit(argv[3]).toInt()
                               : -1;
    if (powerCut)
        PowerCut::install();
    const QString dir = QString::fromLocal8Bit(argv[1]);
    QDir::setCurrent(dir);
    // On a shop server the test has made and seeded the shop already.
    const bool fresh = !QFile::exists("mochenxinxi.db") && !QFile::exists("mochen-db.ini");
    if (!QFile::exists("dbset.xml"))
        QFile::copy(QStringLiteral(MOCHEN_SOURCE_DIR "/dbset.xml"), "dbset.xml");
    openDatabase();
    createTables();
    if (fresh) {
        seedShop();
        sqlExec("update huiyuan set jifen=40 where ID='1001'"); // as its points row says
    }
    operatorSession().loginName = QStringLiteral("admin");
    operatorSession().name = QStringLiteral("admin");
    if (ledgerDesk && argc >= 5) {
        ShopConnection desk = currentShopConnection();
        desk.desk = QString::fromLocal8Bit(argv[4]);
        setCurrentShopConnection(desk);
    }
    if (scripted) {
        ShopConnection desk = currentShopConnection();
        desk.desk = QString::fromLocal8Bit(argv[3]);
        setCurrentShopConnection(desk);
        say("ready");
        QFile in;
        if (!in.open(stdin, QIODevice::ReadOnly))
            return 5;
        for (QByteArray line = in.readLine(); !line.trimmed().isEmpty(); line = in.readLine())
            say(scriptedOperation(QJsonDocument::fromJson(line).object()));
        say("done");
        return 0;
    }
    if (ledgerDesk) {
        say("ready");
        const QStringList members = {QStringLiteral("1001"), QStringLiteral("1002")};
        // A desk that hands its shift over keeps to sales, top-ups, renewals and
        // repayments, so that its own account of its takings stays simple.
        const int kinds = argc >= 5 ? 4 : 7;
        for (int done = 0; done < operations; ++done)
            say(ledgerOperation(QRandomGenerator::global()->bounded(kinds),
                                members.at(QRandomGenerator::global()->bounded(2)), done));
        if (argc >= 5) {
            Handover h;
            h.desk = LedgerSql::desk();
            h.operatorName = QStringLiteral("admin");
            h.from = HandoverWriter::shiftStart(h.desk);
            h.to = LedgerSql::now();
            const LedgerResult r = HandoverWriter::write(h);
            say(r.ok ? QStringLiteral("handover ") + r.documentId : QStringLiteral("refused ") + r.error);
        }
        say("done");
        return 0;
    }
    MainWindow main;
    PromptRecorder prompts; // every question gets its first answer
    if (powerCut) {
        // Checkpoints now and then as well, not only after 1000 pages.
        sqlExec("pragma wal_autocheckpoint=50");
        PowerCut::arm(how == QLatin1String("cut") ? PowerCut::Mode::Cut : PowerCut::Mode::Kill,
                      QString::fromLatin1(argv[3]).toLong(), QString::fromLatin1(argv[4]).toUInt());
    }
    say("ready");
    auto *rng = QRandomGenerator::global();
    for (int done = 0; operations < 0 || done < operations; ++done) {
        const QString member = rng->bounded(3) ? QStringLiteral("1001") : QStringLiteral("1002");
        const int op = rng->bounded(4);
        bool ok = op == 0 ? topUp(main, member) : op == 1 ? renew(main, member) : sale(main, member, rng->bounded(2));
        if (!ok)
            say("refused " + prompts.last());
    }
    say("done");
    return 0;
}
