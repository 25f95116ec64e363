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
    void cutAgainAndAgain_data();
    void cutAgainAndAgain();
    void cleanupTestCase();

private:
    // Two shops, cut in turn, so that both cores work; they live through all rounds.
    QTemporaryDir m_dirs[2];
    QStringList m_confirmed[2];
    int m_cuts = 0;
    int m_operations = 0;
    int m_cutsAfterWork = 0; // cuts of a child that had confirmed something first
    int m_stalled = 0;
    int m_starts = 0;
};

using namespace crash_checks;

// Rounds of twenty cuts, so that no single test function runs for minutes.
void TestPowerCut::cutAgainAndAgain_data()
{
    QTest::addColumn<int>("cuts");
    const int wanted = qEnvironmentVariableIntValue("MOCHEN_POWER_CUTS") > 0
                           ? qEnvironmentVariableIntValue("MOCHEN_POWER_CUTS") : 200;
    for (int done = 0, round = 1; done < wanted; done += 20, ++round)
        QTest::newRow(qPrintable(QStringLiteral("round %1").arg(round))) << qMin(20, wanted - done);
}

void TestPowerCut::cutAgainAndAgain()
{
    QFETCH(int, cuts);
    const QString child = QCoreApplication::applicationDirPath() + QStringLiteral("/mochen_crashchild");
    QVERIFY(QFile::exists(child));
    auto *rng = QRandomGenerator::global();
    for (int done = 0; done < cuts;) {
        QProcess p[2];
        for (int i = 0; i < 2; ++i) {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("QT_LOGGING_RULES", "*.debug=false;*.warning=false");
            p[i].setProcessEnvironment(env);
            // Into a file: a child never waits for this process to read its pipe.
            p[i].setStandardOutputFile(m_dirs[i].filePath("child.out"));
            // Mostly within the first operation's commit, where a cut finds the
            // most half-written pages; every fifth child after a few operations
            // (one sale with its summaries and a checkpoint is ~200 writes and
            // syncs), so that what was confirmed before a cut is checked too.
            const int at = ++m_starts % 5 == 0 ? rng->bounded(400, 1200)
                           : rng->bounded(8) == 0 ? rng->bounded(1, 400) : rng->bounded(1, 80);
            p[i].start(child, {m_dirs[i].path(), "cut", QString::number(at), QString::number(rng->generate())});
        }
        for (int i = 0; i < 2; ++i) {
            QVERIFY(p[i].waitForStarted());
            // A child that stalls (on a loaded machine a scripted dialog can be
            // missed) is killed instead; its file is checked all the same, but
            // only real cuts count.
            bool cut = false;
            if (p[i].waitForFinished(90000)) {
                QCOMPARE(p[i].exitStatus(), QProcess::NormalExit);
                ++m_cuts;
                ++done;
                cut = true;
            } else {
                p[i].kill();
                p[i].waitForFinished(10000);
                ++m_stalled;
            }
            QFile out(m_dirs[i].filePath("child.out"));
            QVERIFY(out.open(QIODevice::ReadOnly));
            const int confirmed = readConfirmed(out.readAll(), &m_confirmed[i]);
            m_operations += confirmed;
            if (cut && confirmed > 0)
                ++m_cutsAfterWork;
            const QStringList bad = problems(m_dirs[i].filePath("mochenxinxi.db"), m_confirmed[i]);
            QVERIFY2(bad.isEmpty(), qPrintable(QStringLiteral("after cut %1: ").arg(m_cuts) + bad.join("; ")));
        }
    }
}

void TestPowerCut::cleanupTestCase()
{
    qInfo("%d power cuts, %d of them after confirmed work, %d operations confirmed before their cut, "
          "nothing lost, every check whole (%d stalled children killed instead)",
          m_cuts, m_cutsAfterWork, m_operations, m_stalled);
    // The run means something only if some cuts came after confirmed work. A
    // starved child confirms fewer operations, so this counts the cuts that
    // found any, not how many operations the machine's load allowed.
    QVERIFY2(m_cutsAfterWork >= m_cuts / 10,
             qPrintable(QStringLiteral("only %1 of %2 cuts came after confirmed work").arg(m_cutsAfterWork).arg(m_cuts)));
}

int main(int argc, char *argv[])
{
    // Two hundred cuts take minutes on a busy machine, more than QtTest's
    // five-minute watchdog allows one test function.
    if (!qEnvironmentVariableIsSet("QTEST_FUNCTION_TIMEOUT"))
        qputenv("QTEST_FUNCTION_TIMEOUT", "1700000");
    QCoreApplication app(argc, argv);
    TestPowerCut test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_powercut.moc"
