// mochen-gen: makes a shop folder (dbset.xml + mochenxinxi.db) filled with a
// generated shop, for the demo and for measuring the program on a big shop.
//
//   mochen-gen --scale demo|large|2x|4x [--seed N] [--end yyyy-MM-dd] --out DIR
//              [--dbset FILE] [--force]
//   mochen-gen --import-samples DIR [--members N] [--faulty N] [--seed N]

#include "dbsetconfig.h"
#include "importsamples.h"
#include "shopgenerator.h"
#include "statementprofile.h"
#include "summarybook.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTextStream>
#include <QTime>

#include <cstdio>

namespace {

void usage()
{
    std::fprintf(stderr,
                 "usage: mochen-gen --scale demo|large|2x|4x [--seed N] [--end yyyy-MM-dd] --out DIR\n"
                 "                  [--dbset FILE] [--force]\n"
                 "       mochen-gen --import-samples DIR [--members 500] [--faulty 20] [--seed N]\n"
                 "  writes sample files for 导入 (members as GB18030 CSV and .xlsx, service items, products).\n"
                 "  Creates DIR/mochenxinxi.db from dbset.xml (copied into DIR) and fills it with a\n"
                 "  generated shop. Without --end the history ends now. --force replaces an existing\n"
                 "  database in DIR. --dbset defaults to the source tree's dbset.xml.\n"
                 "  MOCHEN_GEN_PROGRESS=1 reports the progress and each phase's time on stderr,\n"
                 "  MOCHEN_GEN_PROFILE=1 also the statements that took the most time.\n");
}

QString findDbset(const QString &given)
{
    if (!given.isEmpty())
        return given;
    // The source tree the build was configured from first: the copy beside the
    // program is refreshed only when the program is built, and a generator
    // built alone would make a shop from yesterday's schema. Beside the program
    // only where the sources are gone (an installed copy).
    const QString exeDir = QCoreApplication::applicationDirPath();
    const QStringList candidates{QStringLiteral(MOCHEN_SOURCE_DIR "/dbset.xml"), exeDir + QStringLiteral("/../dbset.xml"),
                                 exeDir + QStringLiteral("/dbset.xml")};
    for (const QString &c : candidates)
        if (QFileInfo::exists(c))
            return QFileInfo(c).canonicalFilePath();
    return QString();
}

void pragma(const QString &sql)
{
    QSqlQuery q;
    q.exec(sql);
}

} // namespace

int main(int argc, char **argv)
{
    // Every local time the writers format asks the C library for the zone, which
    // looks at /etc/localtime again each time unless TZ names it: hundreds of
    // thousands of stat calls in a big shop's history. The same zone, read once.
    if (!qEnvironmentVariableIsSet("TZ"))
        qputenv("TZ", ":/etc/localtime");
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("mochen.sql.debug=false"));

    QString scaleName, outDir, dbsetArg, endArg, samplesDir;
    int sampleMembers = 500, sampleFaulty = 20;
    quint64 seed = 1;
    bool force = false;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString a = args.at(i);
        auto value = [&]() { return i + 1 < args.size() ? args.at(++i) : QString(); };
        if (a == QLatin1String("--scale"))
            scaleName = value();
        else if (a == QLatin1String("--seed"))
            seed = value().toULongLong();
        else if (a == QLatin1String("--out"))
            outDir = value();
        else if (a == QLatin1String("--dbset"))
            dbsetArg = value();
        else if (a == QLatin1String("--end"))
            endArg = value();
        else if (a == QLatin1String("--force"))
            force = true;
        else if (a == QLatin1String("--import-samples"))
            samplesDir = value();
        else if (a == QLatin1String("--members"))
            sampleMembers = value().toInt();
        else if (a == QLatin1String("--faulty"))
            sampleFaulty = value().toInt();
        else {
            usage();
            return 2;
        }
    }
    if (!samplesDir.isEmpty()) {
        QStringList written;
        ImportSamples::Faults faults;
        QString error;
        if (!ImportSamples::write(samplesDir, sampleMembers, sampleFaulty, seed, &written, &faults, &error)) {
            std::fprintf(stderr, "mochen-gen: %s\n", qPrintable(error));
            return 1;
        }
        QTextStream out(stdout);
        for (const QString &f : written)
            out << f << "\n";
        QStringList rows;
        for (int r : faults.rows)
            rows << QString::number(r);
        out << "faulty member rows: " << rows.join(QLatin1Char(' ')) << "\n";
        return 0;
    }
    ShopScale scale;
    if (outDir.isEmpty() || !ShopScale::fromName(scaleName, &scale)) {
        usage();
        return 2;
    }
    // Without an end date the history runs up to now: today's sales so far when the
    // shop has been open a while, else up to yesterday's closing.
    QDate end = QDate::currentDate();
    int lastDayEnd = QTime::currentTime().msecsSinceStartOfDay() / 1000;
    if (lastDayEnd < 10 * 3600) {
        end = end.addDays(-1);
        lastDayEnd = -1;
    }
    if (!endArg.isEmpty()) {
        end = QDate::fromString(endArg, QStringLiteral("yyyy-MM-dd"));
        lastDayEnd = -1;
        if (!end.isValid()) {
            std::fprintf(stderr, "mochen-gen: --end wants a date yyyy-MM-dd\n");
            return 2;
        }
    }

    const QString dbset = findDbset(dbsetArg);
    if (dbset.isEmpty() || !QFileInfo::exists(dbset)) {
        std::fprintf(stderr, "mochen-gen: dbset.xml not found (give --dbset FILE)\n");
        return 2;
    }
    if (!QDir().mkpath(outDir)) {
        std::fprintf(stderr, "mochen-gen: cannot create %s\n", qPrintable(outDir));
        return 1;
    }
    QDir out(outDir);
    const QString target = out.absoluteFilePath(QStringLiteral("dbset.xml"));
    if (QFileInfo(dbset).canonicalFilePath() != QFileInfo(target).canonicalFilePath()) {
        QFile::remove(target);
        if (!QFile::copy(dbset, target)) {
            std::fprintf(stderr, "mochen-gen: cannot copy %s to %s\n", qPrintable(dbset), qPrintable(target));
            return 1;
        }
    }
    const QString dbFile = out.absoluteFilePath(QStringLiteral("mochenxinxi.db"));
    if (QFileInfo::exists(dbFile)) {
        if (!force) {
            std::fprintf(stderr, "mochen-gen: %s exists; use --force to replace it\n", qPrintable(dbFile));
            return 1;
        }
        for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
            QFile::remove(dbFile + suffix);
    }
    QDir::setCurrent(out.absolutePath());

    QElapsedTimer timer;
    timer.start();
    const bool progress = qEnvironmentVariableIsSet("MOCHEN_GEN_PROGRESS");
    // Each phase's own time, for finding where a big shop's time goes.
    QElapsedTimer lap;
    lap.start();
    auto phase = [&](const char *done) {
        if (progress)
            std::fprintf(stderr, "%s, %.1f s\n", done, lap.restart() / 1000.0);
    };
    // The database is made exactly as the program makes it at start-up.
    if (!openDatabase()) {
        std::fprintf(stderr, "mochen-gen: cannot open %s\n", qPrintable(dbFile));
        return 1;
    }
    createTables();
    if (!QSqlDatabase::database().tables().contains(QStringLiteral("huiyuan"))) {
        std::fprintf(stderr, "mochen-gen: dbset.xml did not create the tables\n");
        return 1;
    }
    // The history is written without the summaries' triggers (a sale's documents,
    // days and commissions written again at every row); they come back after it,
    // and the summaries are filled from the rows in one statement each.
    if (!SummaryBook::dropTriggers(readDbset())) {
        std::fprintf(stderr, "mochen-gen: cannot set the summaries aside\n");
        return 1;
    }
    // So are a few report indexes, made again from the rows by the same second createTables().
    if (!ShopGenerator::setReportIndexesAside()) {
        std::fprintf(stderr, "mochen-gen: cannot set the report indexes aside\n");
        return 1;
    }
    // One big transaction; the file is new, so a crash only loses the generation.
    pragma(QStringLiteral("PRAGMA journal_mode=DELETE"));
    pragma(QStringLiteral("PRAGMA synchronous=OFF"));
    // The statement journal of every write inside the one transaction stays in
    // memory: on a file, once spilled, it cost a write of each changed page.
    pragma(QStringLiteral("PRAGMA temp_store=MEMORY"));
    // The indexes a sale updates are spread over a file of gigabytes: the cache
    // grows with the shop, and clean pages are read through a map of the file
    // rather than copied into it.
    const qint64 cacheMb = qBound<qint64>(256, 512 * qMax<qint64>(1, scale.sales / 500000), 2048);
    pragma(QStringLiteral("PRAGMA cache_size=-%1").arg(cacheMb * 1024));
    pragma(QStringLiteral("PRAGMA mmap_size=%1").arg(qint64(16) << 30));
    phase("tables made");

    const bool profile = qEnvironmentVariableIsSet("MOCHEN_GEN_PROFILE") && StatementProfile::start();
    ShopGenerator gen(scale, seed, end);
    gen.setLastDayEndsAt(lastDayEnd);
    QString error;
    const bool ok = gen.run(&error);
    phase("history written");
    if (ok) {
        createTables(); // the summaries' triggers again, and their fills
        phase("summaries filled");
    }
    if (profile)
        StatementProfile::print(stderr);
    pragma(QStringLiteral("PRAGMA synchronous=FULL"));
    pragma(QStringLiteral("PRAGMA journal_mode=WAL"));
    phase("journal set back to the program's");
    if (!ok) {
        std::fprintf(stderr, "mochen-gen: generation failed: %s\n", qPrintable(error));
        return 1;
    }
    const ShopCounts &c = gen.counts();
    QTextStream(stdout) << "mochen-gen: " << scale.name << " shop (seed " << seed << ", " << scale.days
                        << " days to " << end.toString(QStringLiteral("yyyy-MM-dd")) << ") in " << dbFile << "\n"
                        << "  members " << c.members << ", sales " << c.sales << " (" << c.saleLines << " lines, "
                        << c.headerRows << " header rows), top-ups " << c.topups << ", renewals " << c.renewals
                        << ", repayments " << c.repayments << ", handovers " << c.handovers << ", voids " << c.voids << ", refunds "
                        << c.balanceRefunds + c.packageRefunds << ", bookings " << c.bookings
                        << ", visit notes " << c.visitNotes << ", card upgrades " << c.cardUpgrades << ", redemptions " << c.redemptions << "\n"
                        << "  ledger rows " << c.ledgerRows << ", points rows " << c.pointRows << ", log rows "
                        << c.logRows << "; " << timer.elapsed() / 1000.0 << " s\n";
    return 0;
}
