#include <QtTest>

#include "dbsetconfig.h"
#include "testsupport.h"

// Replays the inputs the fuzzer kept for the dbset.xml reader: each must be read
// (or refused as empty) without a crash, and reading is repeatable.
class TestFuzzCorpus : public QObject
{
    Q_OBJECT
private slots:
    void replay();
};

void TestFuzzCorpus::replay()
{
    TestWorkdir wd(false);
    const QDir corpus(QStringLiteral(MOCHEN_SOURCE_DIR "/tests/fuzz/corpus-readdbset"));
    const QStringList files = corpus.entryList(QDir::Files);
    QVERIFY(!files.isEmpty());
    int nonEmpty = 0;
    for (const QString &name : files) {
        QFile in(corpus.filePath(name));
        QVERIFY(in.open(QIODevice::ReadOnly));
        wd.writeDbset(in.readAll());
        const DbsetMap first = readDbset();
        const DbsetMap second = readDbset();
        QCOMPARE(first.keys(), second.keys());
        if (!first.isEmpty())
            ++nonEmpty;
    }
    QVERIFY(nonEmpty > 0);
}

QTEST_MAIN(TestFuzzCorpus)
#include "tst_fuzzcorpus.moc"
