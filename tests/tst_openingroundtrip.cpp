#include <QtTest>

#include "accountbooks.h"
#include "amounts.h"
#include "openingimport.h"
#include "sheetreader.h"
#include "shopgenerator.h"
#include "takingsread.h"
#include "testsupport.h"

// A shop moves: the demo shop's own export in the import's format, taken into
// an empty shop (on the server too, with the pg label). Every member arrives
// with the same balance, bonus, points, uses per item and open debt, and the
// new shop's takings stay at nothing.
class TestOpeningRoundTrip : public QObject
{
    Q_OBJECT
private slots:
    void demoShopMovesMemberByMember_data();
    void demoShopMovesMemberByMember();
};

namespace {

struct Holding
{
    qint64 balance = 0, bonus = 0, debt = 0;
    double points = 0;
    QMap<QString, double> uses;
    bool operator==(const Holding &o) const
    {
        return balance == o.balance && bonus == o.bonus && debt == o.debt && qAbs(points - o.points) < 0.0005
               && uses == o.uses;
    }
    QString text() const
    {
        QStringList u;
        for (auto it = uses.cbegin(); it != uses.cend(); ++it)
            u << it.key() + QLatin1Char(':') + QString::number(it.value());
        return QStringLiteral("余额%1 赠送%2 积分%3 欠款%4 次数%5")
            .arg(centsText(balance), centsText(bonus), QString::number(points), centsText(debt), u.join(QLatin1Char(',')));
    }
};

QMap<QString, Holding> holdings()
{
    QMap<QString, Holding> out;
    for (const QStringList &m : sqlRows(QStringLiteral("select ID from huiyuan order by rowid"))) {
        Holding h;
        const StoredValue v = BalanceBook::storedValue(m.value(0));
        h.balance = v.balanceCents;
        h.bonus = v.bonusCents;
        h.debt = v.debtCents;
        h.points = PointsBook::points(m.value(0));
        for (const QStringList &u : sqlRows(QStringLiteral("select xiangmuID, sum(shengyucishu) from huiyuantaocan where "
                                                           "huiyuanID='%1' group by xiangmuID")
                                                .arg(m.value(0))))
            if (u.value(1).toDouble() > 0)
                h.uses.insert(u.value(0), u.value(1).toDouble());
        out.insert(m.value(0), h);
    }
    return out;
}

OpeningImport importOf(ImportKind kind, const QString &path)
{
    const Sheet sheet = SheetReader::readFile(path);
    OpeningImport im = OpeningImportWriter::fromSheet(kind, sheet, OpeningImportFields::guess(kind, sheet.header));
    im.fileName = QFileInfo(path).fileName();
    im.operatorName = QStringLiteral("admin");
    return im;
}

} // namespace

void TestOpeningRoundTrip::demoShopMovesMemberByMember_data()
{
    QTest::addColumn<QString>("suffix");
    QTest::newRow("xlsx") << "xlsx";
    QTest::newRow("csv") << "csv";
}

void TestOpeningRoundTrip::demoShopMovesMemberByMember()
{
    QFETCH(QString, suffix);
    QTemporaryDir files;
    const QString members = files.filePath(QStringLiteral("会员.") + suffix);
    const QString items = files.filePath(QStringLiteral("服务项目.") + suffix);
    QMap<QString, Holding> before;
    QList<QStringList> cardTypes;
    {
        // The demo shop is generated on SQLite whichever engine the test runs on:
        // what moves is its export.
        const QByteArray server = qgetenv("MOCHEN_TEST_PG");
        qunsetenv("MOCHEN_TEST_PG");
        TestWorkdir demo;
        ShopScale scale;
        QVERIFY(ShopScale::fromName(QStringLiteral("demo"), &scale));
        ShopGenerator gen(scale, 3, QDate(2026, 3, 1));
        QString error;
        QVERIFY2(gen.run(&error), qPrintable(error));
        before = holdings();
        cardTypes = sqlRows(QStringLiteral("select name,kaneijine,jiage,fuwuzekou,chanpinzekou,taocanzekou from huiyuanka order by rowid"));
        QVERIFY(OpeningImportWriter::exportSheet(ImportKind::ServiceItems, items, &error) > 0);
        QCOMPARE(OpeningImportWriter::exportSheet(ImportKind::Members, members, &error), before.size());
        if (!server.isEmpty())
            qputenv("MOCHEN_TEST_PG", server);
    }
    int withUses = 0, withDebt = 0, withBonus = 0;
    for (const Holding &h : before) {
        withUses += h.uses.isEmpty() ? 0 : 1;
        withDebt += h.debt > 0 ? 1 : 0;
        withBonus += h.bonus > 0 ? 1 : 0;
    }
    QVERIFY2(withUses > 0 && withDebt > 0 && withBonus > 0, "the demo shop holds uses, debts and bonus");

    TestWorkdir empty;
    // The owner sets up the card types by hand; the rest comes from the files.
    for (const QStringList &c : cardTypes)
        sqlExec(QStringLiteral("insert into huiyuanka(name,kaneijine,jiage,fuwuzekou,chanpinzekou,taocanzekou,beizhu) "
                               "values('%1',%2,%3,%4,%5,%6,'')")
                    .arg(c.value(0), c.value(1), c.value(2), c.value(3), c.value(4), c.value(5)));
    const LedgerResult itemsIn = OpeningImportWriter::write(importOf(ImportKind::ServiceItems, items));
    QVERIFY2(itemsIn.ok, qPrintable(itemsIn.error));
    ImportCheck check;
    const LedgerResult in = OpeningImportWriter::write(importOf(ImportKind::Members, members), ImportProgress(), &check);
    QVERIFY2(in.ok, qPrintable(in.error));
    QStringList refused;
    for (const RowProblem &p : check.problems)
        refused << QStringLiteral("%1 %2 %3").arg(p.row).arg(p.column, p.reason);
    QVERIFY2(check.problems.isEmpty(), qPrintable(refused.join(QLatin1Char('\n'))));
    QCOMPARE(check.added, before.size());

    const QMap<QString, Holding> after = holdings();
    QCOMPARE(after.keys(), before.keys());
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        QVERIFY2(after.value(it.key()) == it.value(),
                 qPrintable(it.key() + QStringLiteral(" 原店 ") + it.value().text() + QStringLiteral(" 新店 ")
                            + after.value(it.key()).text()));
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
    QCOMPARE(TakingsRead::period(QStringLiteral("2000-01-01"), today + QStringLiteral(" 23:59:59")).totalCents(), qint64(0));
    verifyBooks();
}

QTEST_MAIN(TestOpeningRoundTrip)
#include "tst_openingroundtrip.moc"
