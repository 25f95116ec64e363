#include <QtTest>
#include <QProcess>
#include <QRandomGenerator>

#include "crashchecks.h"
#include "testsupport.h"

// The power fails in the middle of sales, top-ups and renewals: whatever the
// disk had not been told to keep is lost (some of it, or all of it). The shop
// must open again whole, with every operation it confirmed before the cut.
class TestPowerCut : public QObject
{
    Q_OBJECT
private slots:
    void cutAgainAndAgain();
};

using namespace crash_checks;

void TestPowerCut::cutAgainAndAgain()
{
    const QString child = QCoreApplication::applicationDirPath() + QStringLiteral("/mochen_crashchild");
    QVERIFY(QFile::exists(child));
    auto *rng = QRandomGenerator::global();
    // Two shops, cut in turn, so that both cores work.
    QTemporaryDir dirs[2];
    QStringList confirmed[2];
    int cuts = 0, operations = 0, lastEvent = 0;
    const int wanted = qEnvironmentVariableIntValue("MOCHEN_POWER_CUTS") > 0
                           ? qEnvironmentVariableIntValue("MOCHEN_POWER_CUTS") : 200;
    while (cuts < wanted) {
        QProcess p[2];
        for (int i = 0; i < 2; ++i) {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("QT_LOGGING_RULES", "*.debug=false;*.warning=false");
            p[i].setProcessEnvironment(env);
            // The writes and syncs of a few operations, sometimes of many.
            const int at = rng->bounded(8) == 0 ? rng->bounded(1, 400) : rng->bounded(1, 80);
            lastEvent = qMax(lastEvent, at);
            p[i].start(child, {dirs[i].path(), "cut", QString::number(at), QString::number(rng->generate())});
        }
        for (int i = 0; i < 2; ++i) {
            QVERIFY(p[i].waitForStarted());
            QVERIFY2(p[i].waitForFinished(120000), "the power was never cut");
            QCOMPARE(p[i].exitStatus(), QProcess::NormalExit);
            ++cuts;
            operations += readConfirmed(p[i].readAllStandardOutput(), &confirmed[i]);
            const QStringList bad = problems(dirs[i].filePath("mochenxinxi.db"), confirmed[i]);
            QVERIFY2(bad.isEmpty(), qPrintable(QStringLiteral("after cut %1: ").arg(cuts) + bad.join("; ")));
        }
    }
    qInfo("%d power cuts, %d operations confirmed before their cut, nothing lost, every check whole", cuts,
          operations);
    QVERIFY(operations > cuts / 4);
}

QTEST_MAIN(TestPowerCut)
#include "tst_powercut.moc"
