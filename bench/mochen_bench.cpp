// The program's own windows against a generated shop, on the offscreen platform.
// QtTest benchmark program: run it with -median N; bench/run-bench.sh runs it on
// the generated shops and prints the table.
//
//   MOCHEN_BENCH_SHOP=/tmp/shop ./mochen-bench -median 5 -o result.csv,csv
//
// Every figure is wall time of the real code path: a click on the real button,
// the dialog the program opens, the rows the program writes. Start-up and login
// are measured in a child process (a fresh program start each time).

#include "bookingbook.h"
#include "bookingdayview.h"
#include "bookingpage.h"
#include "bookingwriter.h"
#include "workinghours.h"
#include "ctrluiclass.h"
#include "dbrecords.h"
#include "dbsetconfig.h"
#include "logdlg.h"
#include "mainwindow.h"
#include "huiyuandlg.h"
#include "accountbooks.h"
#include "ownerfigures.h"
#include "refundwriter.h"
#include "operatorsession.h"
#include "preparedqueries.h"
#include "prompt.h"
#include "receipt.h"
#include "salewriter.h"
#include "sessionwarmup.h"
#include "takingsread.h"
#include "takingstree.h"
#include "totalsline.h"
#include "enginedriver.h"
#include "startup.h"
#include "viewdeclarations.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QStandardItemModel>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <ctime>
#include <QtTest>

#include <algorithm>
#include <sqlite3.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

namespace {

double parseNumberText(QLabel *label) { return label ? label->text().toDouble() : 0.0; }

// CPU time of this thread, milliseconds.
double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

QString shopDir() { return QString::fromLocal8Bit(qgetenv("MOCHEN_BENCH_SHOP")); }

// On a server on this machine, the CPU its session (the backend process serving
// the desk's connection) has used, milliseconds; -1 elsewhere. Under load the
// wall time is mostly the wait for a core: the desk's CPU and the session's
// beside it say what a path costs on each side of the socket.
double serverSessionCpuMs()
{
    static qint64 pid = -2;
    static quint64 generation = 0;
    if (!EngineDriver::current().isServer())
        return -1;
    // Asked again after a reconnect: the session is then another process.
    if (pid == -2 || generation != PreparedQueries::generation()) {
        QSqlQuery q;
        pid = q.exec(QStringLiteral("select pg_backend_pid()")) && q.next() ? q.value(0).toLongLong() : -1;
        generation = PreparedQueries::generation();
    }
    if (pid < 0)
        return -1;
    QFile f(QStringLiteral("/proc/%1/schedstat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    return QString::fromLatin1(f.readAll()).section(QLatin1Char(' '), 0, 0).toDouble() / 1e6;
}

// The statement a list runs now, its values written in, one line per list in the
// file MOCHEN_BENCH_RAW names: run-bench.sh times the same statements in the
// sqlite3 command line beside the program's figures.
void noteRawStatement(QObject *window, const QString &label, const QString &view)
{
    const QString path = QString::fromLocal8Bit(qgetenv("MOCHEN_BENCH_RAW"));
    auto *ctrl = window ? window->findChild<ctrlUiClass *>() : nullptr;
    if (path.isEmpty() || !ctrl)
        return;
    const QStringList parts = ctrl->currentSql(view).split(QLatin1Char('?'));
    const QVariantList values = ctrl->currentValues(view);
    if (parts.size() != values.size() + 1)
        return;
    QString sql = parts.first();
    for (int i = 0; i < values.size(); ++i)
        sql += QStringLiteral("'") + values.at(i).toString().replace(QLatin1Char('\''), QStringLiteral("''"))
               + QStringLiteral("'") + parts.at(i + 1);
    QFile f(path);
    if (f.open(QIODevice::Append | QIODevice::Text))
        f.write((label + QLatin1Char('\t') + sql.simplified() + QLatin1Char('\n')).toUtf8());
}

// Statements run on the shop file, counted by SQLite itself (each statement
// as it starts, a trigger's too): what a path costs in round trips on a server.
int gStatements = 0;
// MOCHEN_BENCH_PROFILE: every statement of a timed action with SQLite's own
// time for it (a trigger's statements included), as the server's log gives them.
bool gProfiling = false;

QHash<void *, qint64> &statementStarts()
{
    static QHash<void *, qint64> starts;
    return starts;
}

qint64 nowNs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

int countStatement(unsigned type, void *, void *p, void *x)
{
    if (type == SQLITE_TRACE_STMT) {
        ++gStatements;
        // A trigger's statements are traced too ("-- …"); the first start counts.
        if (gProfiling && !statementStarts().contains(p))
            statementStarts().insert(p, nowNs());
    } else if (type == SQLITE_TRACE_PROFILE && gProfiling) {
        // SQLite's own figure is whole milliseconds here: the wall time from
        // the statement's start to its end is taken beside it.
        const qint64 started = statementStarts().take(p);
        const char *sql = sqlite3_sql(static_cast<sqlite3_stmt *>(p));
        std::fprintf(stderr, "PROFILE %8.3f ms  %.160s\n", started ? double(nowNs() - started) / 1e6 : -1.0,
                     QByteArray(sql ? sql : "?").simplified().constData());
        Q_UNUSED(x);
    }
    return 0;
}

void countStatementsOn(const QSqlDatabase &db)
{
    const QVariant handle = db.driver()->handle();
    const unsigned mask = SQLITE_TRACE_STMT | (qEnvironmentVariableIsEmpty("MOCHEN_BENCH_PROFILE") ? 0 : SQLITE_TRACE_PROFILE);
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0)
        if (auto *h = *static_cast<sqlite3 *const *>(handle.data()))
            sqlite3_trace_v2(h, mask, countStatement, nullptr);
}

// A shop in daily use has left the default password behind (its first login
// asks for a new one): the start-ups log in with this one.
const char kBenchPassword[] = "bench-admin";

long peakRssKb(int who = RUSAGE_SELF)
{
    struct rusage u {};
    getrusage(who, &u);
    return u.ru_maxrss;
}

QString scalar(const QString &sql)
{
    QSqlQuery q;
    if (q.exec(sql) && q.next())
        return q.value(0).toString();
    return QString();
}

// Runs `action` on the next dialog of the given class that is shown, after the
// event loop has painted it; records the time it appeared.
class DialogCatcher : public QObject
{
public:
    DialogCatcher(const char *className, std::function<void(QDialog *)> action)
        : m_class(className), m_action(std::move(action))
    {
        qApp->installEventFilter(this);
    }
    ~DialogCatcher() override { qApp->removeEventFilter(this); }
    bool seen() const { return m_seen; }
    void setAction(std::function<void(QDialog *)> action) { m_action = std::move(action); }

protected:
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (!m_seen && e->type() == QEvent::Show && o->isWidgetType()) {
            auto *dlg = qobject_cast<QDialog *>(o);
            if (dlg && (m_class.isEmpty() || dlg->inherits(m_class.constData()))) {
                m_seen = true;
                QPointer<QDialog> p(dlg);
                QTimer::singleShot(0, dlg, [this, p] {
                    if (p)
                        m_action(p);
                });
            }
        }
        return false;
    }

private:
    QByteArray m_class;
    std::function<void(QDialog *)> m_action;
    bool m_seen = false;
};

// The next dialog of that class, once shown: act on it (a one-shot catcher).
void onShown(const char *className, std::function<void(QDialog *)> action)
{
    auto *c = new DialogCatcher(className, nullptr);
    c->setAction([c, action](QDialog *d) {
        action(d);
        c->deleteLater();
    });
}

// Whether anything listens to a button's or a list's click yet (a page can be on
// the form before the code behind it).
struct ButtonPeek : QAbstractButton
{
    static bool listened(QAbstractButton *b)
    {
        auto *p = static_cast<ButtonPeek *>(b);
        return p->receivers(SIGNAL(clicked(bool))) + p->receivers(SIGNAL(clicked())) > 0;
    }
};
struct ViewPeek : QTableView
{
    static bool listened(QTableView *v)
    {
        return static_cast<ViewPeek *>(v)->receivers(SIGNAL(clicked(QModelIndex))) > 0;
    }
};

template <typename T> T *child(QWidget *root, const char *name)
{
    return root ? root->findChild<T *>(QLatin1String(name)) : nullptr;
}

// The child process: the program as it starts for a person, reporting when the
// login dialog is up and when the main window is ready after logging in.
int startupChild(int argc, char **argv)
{
    QApplication app(argc, argv);
    QElapsedTimer clock;
    clock.start();
    auto *poll = new QTimer(&app);
    bool loginSeen = false;
    QObject::connect(poll, &QTimer::timeout, [&] {
        if (!loginSeen) {
            auto *dlg = qobject_cast<logDlg *>(QApplication::activeModalWidget());
            if (!dlg || !dlg->isVisible())
                return;
            loginSeen = true;
            std::printf("LOGIN %lld\n", static_cast<long long>(clock.elapsed()));
            std::fflush(stdout);
            if (auto *combo = child<QComboBox>(dlg, "comboBox")) {
                const int admin = combo->findText(QStringLiteral("admin"));
                if (admin >= 0)
                    combo->setCurrentIndex(admin);
            }
            if (auto *pw = child<QLineEdit>(dlg, "lineEdit"))
                pw->setText(QLatin1String(kBenchPassword));
            if (auto *b = child<QAbstractButton>(dlg, "toolButton_3"))
                b->click();
            return;
        }
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (qobject_cast<QMainWindow *>(w) && w->isVisible() && !QApplication::activeModalWidget()) {
                poll->stop();
                // Let the first paint happen before calling it ready.
                QTimer::singleShot(0, [&] {
                    std::printf("READY %lld\nRSS %ld\n", static_cast<long long>(clock.elapsed()), peakRssKb());
                    std::fflush(stdout);
                    _exit(0);
                });
                return;
            }
        }
    });
    poll->start(1);
    return runMochen(app);
}

struct ChildRun { double toLogin = -1, toReady = -1; long rssKb = 0; };

ChildRun runChild()
{
    ChildRun r;
    QProcess p;
    p.setWorkingDirectory(shopDir());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("mochen.sql.debug=false"));
    p.setProcessEnvironment(env);
    QElapsedTimer t;
    t.start();
    p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--startup-child")});
    double loginAt = -1;
    QByteArray buf;
    while (p.state() != QProcess::NotRunning || p.bytesAvailable() > 0) {
        if (!p.waitForReadyRead(600000) && p.state() == QProcess::NotRunning && p.bytesAvailable() == 0)
            break;
        const qint64 now = t.elapsed();
        buf += p.readAllStandardOutput();
        while (buf.contains('\n')) {
            const int nl = buf.indexOf('\n');
            const QByteArray line = buf.left(nl).trimmed();
            buf.remove(0, nl + 1);
            if (line.startsWith("LOGIN ")) {
                loginAt = double(now);
                r.toLogin = loginAt;
            } else if (line.startsWith("READY ")) {
                r.toReady = double(now) - loginAt;
            } else if (line.startsWith("RSS ")) {
                r.rssKb = line.mid(4).toLong();
            }
        }
        if (r.rssKb > 0)
            break;
    }
    p.waitForFinished(60000);
    return r;
}

} // namespace

class Bench : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    void startupToLogin();
    void loginToReadyWindow();
    void startupFirstOfDayWithBackup();

    void memberSearchOneMatch();
    void memberSearchManyMatches();
    void refreshAfterSale();
    void refreshAfterDocument_data();
    void refreshAfterDocument();
    void saleWriterCommit();
    void saleWriterCommitCard();

    void pickerSearch_data();
    void pickerSearch();
    void checkoutOpen();
    void checkoutAddFiveLines();
    void checkoutCommitCardAndCash();

    void pageFirstOpen_data();
    void pageFirstOpen();
    void statisticsQuery_data();
    void statisticsQuery();
    void statisticsDrillDown_data();
    void statisticsDrillDown();
    void totalsLineYear_data();
    void totalsLineYear();
    void comprehensiveStatistics();
    void takingsTreeYear();
    void handoverDialogOpen();
    void exportMembers();

    void bookingDayView();
    void bookingCommit();

    void ownerFigures_data();
    void ownerFigures();
    void liabilityAgainstMembers();

    void receiptRead_data();
    void receiptRead();
    void dbsetRead();

private:
    MainWindow *w = nullptr;
    QList<ChildRun> childRuns;
    long childPeakKb = 0;
    QString onePhone, manyText, backupName;
    // Checkout state between its three measured steps.
    QString checkoutPhone;
    QList<double> addTimes, commitTimes;

    QAbstractButton *button(const char *name)
    {
        auto *b = child<QAbstractButton>(w, name);
        if (!b)
            qWarning("no button %s", name);
        return b;
    }
    // Wall time of one action and the paint that follows it, in fractions of a ms.
    // The CPU time beside it (a line "CPU_MS test tag ms"): on a machine shared with
    // others the wall time is mostly the wait for a core.
    static void timed(const std::function<void()> &action)
    {
        QElapsedTimer t;
        const double server = serverSessionCpuMs();
        const double cpu = threadCpuMs();
        gProfiling = true;
        t.start();
        action();
        QCoreApplication::processEvents();
        const double wall = double(t.nsecsElapsed()) / 1e6;
        const double desk = threadCpuMs() - cpu;
        gProfiling = false;
        QTest::setBenchmarkResult(wall, QTest::WalltimeMilliseconds);
        // QtTest prints a figure above 1 ms in whole milliseconds.
        if (server >= 0)
            qInfo("CPU_MS %s %s %.1f wall %.2f server %.1f", QTest::currentTestFunction(), QTest::currentDataTag(), desk,
                  wall, serverSessionCpuMs() - server);
        else
            qInfo("CPU_MS %s %s %.1f wall %.2f", QTest::currentTestFunction(), QTest::currentDataTag(), desk, wall);
    }
    void clickTimed(QAbstractButton *b) { timed([b] { b->click(); }); }
};

void Bench::initTestCase()
{
    // A shop folder holds the file, or a mochen-db.ini naming the server it is on.
    if (shopDir().isEmpty()
        || (!QFile::exists(shopDir() + QStringLiteral("/mochenxinxi.db"))
            && !QFile::exists(shopDir() + QStringLiteral("/mochen-db.ini"))))
        QSKIP("MOCHEN_BENCH_SHOP must name a generated shop folder");
    QDir::setCurrent(shopDir());
    // The daily backup is measured on its own (startupFirstOfDayWithBackup);
    // the other start-ups are the later starts of a day.
    backupName = QStringLiteral("backup/mochenxinxi-%1.db").arg(QDate::currentDate().toString(QStringLiteral("yyyyMMdd")));
    QDir().mkpath(QStringLiteral("backup"));
    if (!QFile::exists(backupName)) {
        QFile f(backupName);
        f.open(QIODevice::WriteOnly);
    }

    registerRecordTypes();
    QVERIFY(installationProblem().isEmpty());
    countStatementsOn(QSqlDatabase::database());
    {
        QSqlQuery q;
        q.prepare(QStringLiteral("update \"user\" set password=? where name='admin'"));
        q.addBindValue(encodePassword(QLatin1String(kBenchPassword)));
        QVERIFY(q.exec());
    }
    Prompt::setHandler([](const PromptRequest &) { return 0; });
    Prompt::setSaveFileHandler([](QWidget *, const QString &, const QString &, const QString &) {
        return QDir::temp().filePath(QStringLiteral("mochen-bench-export.csv"));
    });
    OperatorSession &s = operatorSession();
    s.loginName = s.name = QStringLiteral("admin");
    s.xiugaixiaoshoudanjia = s.xiugaibankajiage = s.tupodijia = s.xiugaitaocanxiaofeicishu = s.xitongshezhi =
        QStringLiteral("是");
    s.jinyong = QStringLiteral("否");

    w = new MainWindow;
    w->resize(1366, 768);
    w->show();
    QCoreApplication::processEvents();
    // As the login does (MOCHEN_BENCH_COLD: a session's first sales as they were without it).
    if (qEnvironmentVariableIsEmpty("MOCHEN_BENCH_COLD")) {
        QElapsedTimer warm;
        warm.start();
        const int sales = SessionWarmUp::run(s.name);
        qInfo("WARMUP_MS %.3f sales %d", double(warm.nsecsElapsed()) / 1e6, sales);
    }

    const int members = scalar(QStringLiteral("select count(*) from huiyuan")).toInt();
    onePhone = scalar(QStringLiteral("select phone from huiyuan where ID='%1'").arg(qMax(1, members / 2)));
    // The commonest surname that more than one member shares, so the search
    // opens the picker in every shop; "" (everybody) when no surname repeats.
    manyText = scalar(QStringLiteral("select substr(name,1,1) from huiyuan group by substr(name,1,1) "
                                     "having count(*)>1 order by count(*) desc limit 1"));
    checkoutPhone = scalar(QStringLiteral("select phone from huiyuan where shengyujine>3000 order by length(ID), ID limit 1 offset %1")
                               .arg(members / 20));
}

void Bench::cleanupTestCase()
{
    // The window stays until the process ends: only the figures matter here.
    if (w)
        w->hide();
    qInfo("PEAK_RSS_KB bench=%ld child=%ld", peakRssKb(), childPeakKb);
}

void Bench::startupToLogin()
{
    const ChildRun r = runChild();
    QVERIFY2(r.toLogin >= 0, "the login dialog never appeared");
    childRuns << r;
    childPeakKb = qMax(childPeakKb, r.rssKb);
    QTest::setBenchmarkResult(r.toLogin, QTest::WalltimeMilliseconds);
}

void Bench::loginToReadyWindow()
{
    // Paired with the start-ups just measured; a start of its own when there is none.
    const ChildRun r = childRuns.isEmpty() ? runChild() : childRuns.takeFirst();
    QVERIFY2(r.toReady >= 0, "the main window never became ready");
    QTest::setBenchmarkResult(r.toReady, QTest::WalltimeMilliseconds);
}

void Bench::startupFirstOfDayWithBackup()
{
    // Measured once: each run copies the whole database.
    static double measured = -1;
    if (measured < 0) {
        QFile::remove(backupName);
        const ChildRun r = runChild();
        measured = r.toLogin;
        if (!QFile::exists(backupName))
            qWarning("no daily backup was made");
        QFile::remove(backupName);
        QFile f(backupName);
        f.open(QIODevice::WriteOnly);
    }
    QVERIFY(measured >= 0);
    QTest::setBenchmarkResult(measured, QTest::WalltimeMilliseconds);
}

void Bench::memberSearchOneMatch()
{
    auto *edit = child<QLineEdit>(w, "lineEdit");
    QAbstractButton *b = button("toolButton_27");
    if (!edit || !b)
        QSKIP("front desk not there");
    edit->setText(onePhone);
    const int before = gStatements;
    clickTimed(b);
    qInfo("STATEMENTS memberSearchOneMatch %d", gStatements - before);
    QCOMPARE(child<QLabel>(w, "label_17") ? child<QLabel>(w, "label_17")->text() : onePhone, onePhone);
}

void Bench::memberSearchManyMatches()
{
    auto *edit = child<QLineEdit>(w, "lineEdit");
    QAbstractButton *b = button("toolButton_27");
    if (!edit || !b)
        QSKIP("front desk not there");
    const int matches = scalar(QStringLiteral("select count(*) from huiyuan where name like '%%1%' or phone like '%%1%'")
                                   .arg(manyText)).toInt();
    if (matches < 2)
        QSKIP("no text with several matches in this shop");
    edit->setText(manyText);
    // Until the member picker is up with its list; then it is closed unanswered.
    QElapsedTimer t;
    double shown = -1;
    DialogCatcher catcher("QDialog", [&](QDialog *d) {
        shown = double(t.nsecsElapsed()) / 1e6;
        d->reject();
    });
    t.start();
    b->click();
    QCoreApplication::processEvents();
    QVERIFY2(catcher.seen(), "no member picker opened");
    qInfo("WALL_MS memberSearchManyMatches %.2f", shown);
    QTest::setBenchmarkResult(shown, QTest::WalltimeMilliseconds);
}

// What the front desk does after a sale of the member on screen: the member's
// five lists run again (and the totals and the member's row), repainted.
void Bench::refreshAfterSale()
{
    auto *edit = child<QLineEdit>(w, "lineEdit");
    QAbstractButton *b = button("toolButton_27");
    if (!edit || !b)
        QSKIP("front desk not there");
    edit->setText(onePhone);
    b->click();
    QCoreApplication::processEvents();
    timed([this] { w->refreshByTable(QStringLiteral("huiyuanxiaofei")); });
}

void Bench::refreshAfterDocument_data()
{
    QTest::addColumn<bool>("atOnce");
    QTest::addColumn<bool>("memberPageOpened");
    QTest::newRow("table by table") << false << false;
    QTest::newRow("the document's tables at once") << true << false;
    QTest::newRow("table by table, member page opened") << false << true;
    QTest::newRow("at once, member page opened") << true << true;
}

// What the front desk does after a repayment or a void of the member on screen:
// the document changed both huiyuanxiaofei and huiyuanjiaofei. Named one table
// at a time (as the desk did) the member's lists ran twice; named at once, once.
void Bench::refreshAfterDocument()
{
    QFETCH(bool, atOnce);
    QFETCH(bool, memberPageOpened);
    auto *edit = child<QLineEdit>(w, "lineEdit");
    QAbstractButton *b = button("toolButton_27");
    if (!edit || !b)
        QSKIP("front desk not there");
    if (memberPageOpened) { // 会员管理 loaded: it follows a payment
        w->navigateTo(QStringLiteral("会员管理"));
        QCoreApplication::processEvents();
        w->navigateTo(QStringLiteral("前台收银"));
    }
    edit->setText(onePhone);
    b->click();
    QCoreApplication::processEvents();
    const QStringList tables = {QStringLiteral("huiyuanxiaofei"), QStringLiteral("huiyuanjiaofei")};
    const int before = gStatements;
    timed([this, atOnce, &tables] {
        if (atOnce) {
            w->refreshByTable(tables);
        } else {
            for (const QString &table : tables)
                w->refreshByTable(table);
        }
    });
    qInfo("STATEMENTS refreshAfterDocument %s %d", QTest::currentDataTag(), gStatements - before);
    if (!qEnvironmentVariableIsEmpty("MOCHEN_BENCH_RAW"))
        for (const ViewDeclaration *d : ViewDeclarations::refreshedBy(tables))
            noteRawStatement(w, QStringLiteral("refreshAfterDocument ") + d->name, d->name);
}

// The writer alone, timed: QtTest prints a figure above 1 ms in whole
// milliseconds, so the writer's own is also printed to the microsecond.
static void timeWriter(const Sale &sale)
{
    QElapsedTimer t;
    t.start();
    const LedgerResult r = SaleWriter::commit(sale);
    const double ms = double(t.nsecsElapsed()) / 1e6;
    qInfo("WRITER_MS %.3f", ms);
    QVERIFY2(r.ok, qPrintable(r.error));
    QTest::setBenchmarkResult(ms, QTest::WalltimeMilliseconds);
}

// The writer alone: a walk-in sale of one service paid in cash, one
// transaction with its synchronous commit (what 保存 waits for before the refresh).
void Bench::saleWriterCommit()
{
    const QStringList item = {scalar(QStringLiteral("select ID from fuwuxiangmu order by ID limit 1")),
                              scalar(QStringLiteral("select name from fuwuxiangmu order by ID limit 1")),
                              scalar(QStringLiteral("select xiaoshoujiage from fuwuxiangmu order by ID limit 1"))};
    if (item.first().isEmpty())
        QSKIP("no service item");
    Sale sale;
    sale.memberId = QString::fromLatin1(kWalkInId);
    sale.operatorName = QStringLiteral("admin");
    sale.lineMethod = QStringLiteral("现金");
    SaleLine line;
    line.key = QStringLiteral("bench");
    line.type = QStringLiteral("服务项目");
    line.itemId = item.at(0);
    line.name = item.at(1);
    line.listCents = line.unitCents = qRound64(item.at(2).toDouble() * 100);
    line.quantity = 1;
    line.amountCents = line.unitCents;
    line.enteredBy = sale.operatorName;
    sale.lines << line;
    sale.payments << PaymentPart{QStringLiteral("现金"), line.amountCents};
    timeWriter(sale);
}

// The writer alone for a member's sale of three services and two products, half
// on the card and half in cash (bench/salecommit-card.pgbench is the same sale's
// statements prepared once).
void Bench::saleWriterCommitCard()
{
    const QString member = scalar(QStringLiteral("select ID from huiyuan where shengyujine>3000 order by ID limit 1"));
    if (member.isEmpty())
        QSKIP("no member with 3000 on the card");
    Sale sale;
    sale.memberId = member;
    sale.operatorName = QStringLiteral("admin");
    sale.lineMethod = QStringLiteral("现金");
    qint64 total = 0;
    const auto add = [&](const QString &type, const QString &table, int offset) {
        const QString where = QStringLiteral(" from %1 order by ID limit 1 offset %2").arg(table).arg(offset);
        SaleLine l;
        l.key = type + QString::number(offset);
        l.type = type;
        l.itemId = scalar(QStringLiteral("select ID") + where);
        l.name = scalar(QStringLiteral("select name") + where);
        l.listCents = l.unitCents = l.amountCents = qRound64(scalar(QStringLiteral("select xiaoshoujiage") + where).toDouble() * 100);
        l.quantity = 1;
        l.points = double(l.amountCents) / 100;
        l.enteredBy = sale.operatorName;
        total += l.amountCents;
        sale.lines << l;
    };
    for (int i = 0; i < 3; ++i)
        add(QStringLiteral("服务项目"), QStringLiteral("fuwuxiangmu"), i);
    for (int i = 0; i < 2; ++i)
        add(QStringLiteral("产品"), QStringLiteral("chanpin"), i);
    sale.payments << PaymentPart{QString::fromUtf8(kCardMethod), total / 2} << PaymentPart{QStringLiteral("现金"), total - total / 2};
    timeWriter(sale);
}

// A picker's list for a text typed into its search field (the timer's pause
// skipped), with the statements it ran.
void Bench::pickerSearch_data()
{
    QTest::addColumn<QString>("view");
    QTest::addColumn<QString>("typed");
    QTest::newRow("member by surname") << "会员选择" << manyText;
    QTest::newRow("member by initials") << "会员选择" << "zl";
    QTest::newRow("member by phone prefix") << "会员选择" << onePhone.left(7);
    QTest::newRow("service by code") << "服务项目选择" << "X0";
    QTest::newRow("product by initials") << "产品选择" << "xf";
}

void Bench::pickerSearch()
{
    QFETCH(QString, view);
    QFETCH(QString, typed);
    // The generic picker runs the item pickers' lists and search too. A fresh
    // picker each time: the initials of every name are worked out at the first
    // letters typed, and that first search is the one a cashier waits for.
    QList<double> times;
    int statements = 0, rows = 0;
    for (int i = 0; i < 5; ++i) {
        auto picker = std::make_unique<huiyuanDlg>();
        picker->setData(view, QStringLiteral(" "));
        picker->show();
        QCoreApplication::processEvents();
        auto *field = child<QLineEdit>(picker.get(), "lineEdit");
        QVERIFY(field);
        field->setText(typed);
        const int before = gStatements;
        QElapsedTimer t;
        t.start();
        QMetaObject::invokeMethod(picker.get(), "search");
        QCoreApplication::processEvents();
        times << double(t.nsecsElapsed()) / 1e6;
        statements = gStatements - before;
        rows = child<QTableView>(picker.get(), "tableView")->model()->rowCount();
    }
    std::sort(times.begin(), times.end());
    qInfo("STATEMENTS pickerSearch %d rows %d", statements, rows);
    QTest::setBenchmarkResult(times.at(times.size() / 2), QTest::WalltimeMilliseconds);
}

// Makes the row whose first column is key the current row of a view.
static bool selectRow(QWidget *root, const QString &key)
{
    auto *view = child<QTableView>(root, "tableView");
    if (!view || !view->model())
        return false;
    QAbstractItemModel *m = view->model();
    for (int r = 0; r < m->rowCount(); ++r) {
        if (m->index(r, 0).data().toString() == key) {
            view->setCurrentIndex(m->index(r, 0));
            emit view->clicked(m->index(r, 0));
            return true;
        }
    }
    return false;
}

// One line as a cashier adds it: the add button, the item in the picker, the
// quantity in the line editor, save.
static void addLine(QDialog *checkout, const char *addButton, const QString &item)
{
    onShown("QDialog", [item](QDialog *picker) {
        if (!selectRow(picker, item)) {
            picker->reject();
            return;
        }
        onShown("QDialog", [](QDialog *editor) {
            if (auto *qty = child<QLineEdit>(editor, "lineEdit_4"))
                qty->setText(QStringLiteral("1"));
            if (auto *save = child<QAbstractButton>(editor, "toolButton_4"))
                save->click();
            if (editor->isVisible())
                editor->reject();
        });
        if (auto *choose = child<QAbstractButton>(picker, "toolButton"))
            choose->click();
        if (picker->isVisible())
            picker->reject();
    });
    if (auto *b = child<QAbstractButton>(checkout, addButton))
        b->click();
}

// The whole sale inside the checkout's modal loop: five lines (three services,
// two products), then the combined payment, half from the card, the rest in cash.
void Bench::checkoutOpen()
{
    auto *edit = child<QLineEdit>(w, "lineEdit");
    QAbstractButton *search = button("toolButton_27");
    QAbstractButton *open = button("toolButton_12");
    if (!edit || !search || !open)
        QSKIP("front desk not there");
    edit->setText(checkoutPhone);
    search->click();
    QCoreApplication::processEvents();

    QElapsedTimer t;
    double shown = -1, added = -1, committed = -1;
    int before = scalar(QStringLiteral("select count(distinct ID) from huiyuanxiaofei")).toInt();
    int statementsAtOpen = 0;
    onShown("AddXiaofeiDlg", [&](QDialog *dlg) {
        shown = double(t.nsecsElapsed()) / 1e6;
        qInfo("STATEMENTS checkoutOpen %d", gStatements - statementsAtOpen);
        // A cashier's first choice comes a moment after the checkout appears, and
        // the checkout builds its pickers in that moment: the lines are timed from
        // then (MOCHEN_BENCH_BUSY: at once, as a script clicks).
        if (qEnvironmentVariableIsEmpty("MOCHEN_BENCH_BUSY")) {
            const double cpuAtIdle = threadCpuMs();
            QTest::qWait(400);
            qInfo("CPU_MS checkoutIdle %.1f", threadCpuMs() - cpuAtIdle);
        }
        QElapsedTimer a;
        const int statementsAtAdd = gStatements;
        const double cpuAtAdd = threadCpuMs();
        a.start();
        for (const char *item : {"X001", "X004", "X012"})
            addLine(dlg, "toolButton_3", QString::fromLatin1(item));
        for (const char *item : {"C001", "C002"})
            addLine(dlg, "toolButton_6", QString::fromLatin1(item));
        QCoreApplication::processEvents();
        added = double(a.nsecsElapsed()) / 1e6;
        qInfo("STATEMENTS checkoutAddFiveLines %d", gStatements - statementsAtAdd);
        // On a shared machine the wall time is mostly the wait for a core.
        qInfo("CPU_MS checkoutAddFiveLines %.1f wall %.2f", threadCpuMs() - cpuAtAdd, added);
        const double due = parseNumberText(child<QLabel>(dlg, "label_26"));
        onShown("QDialog", [&, due](QDialog *pay) {
            const double card = qRound(due * 50) / 100.0; // half, to the cent
            auto tick = [pay](const char *box, const char *amount, double v) {
                if (auto *b = child<QAbstractButton>(pay, box))
                    if (!b->isChecked())
                        b->click();
                if (auto *e = child<QLineEdit>(pay, amount))
                    e->setText(QString::number(v, 'f', 2));
            };
            tick("checkBox_4", "lineEdit_4", card);
            tick("checkBox_3", "lineEdit_3", due - card);
            QElapsedTimer c;
            const int statementsAtCommit = gStatements;
            const double cpuAtCommit = threadCpuMs();
            c.start();
            if (auto *save = child<QAbstractButton>(pay, "toolButton_4"))
                save->click();
            QCoreApplication::processEvents();
            committed = double(c.nsecsElapsed()) / 1e6;
            qInfo("STATEMENTS checkoutCommitCardAndCash %d", gStatements - statementsAtCommit);
            qInfo("CPU_MS checkoutCommitCardAndCash %.1f wall %.2f", threadCpuMs() - cpuAtCommit, committed);
            if (pay->isVisible())
                pay->reject();
        });
        if (auto *combined = child<QAbstractButton>(dlg, "toolButton_11"))
            combined->click();
        if (dlg->isVisible())
            dlg->reject();
    });
    statementsAtOpen = gStatements;
    t.start();
    open->click();
    QCoreApplication::processEvents();
    if (shown < 0)
        QSKIP("the checkout did not open (no member found or no checkout yet)");
    const int after = scalar(QStringLiteral("select count(distinct ID) from huiyuanxiaofei")).toInt();
    QVERIFY2(after == before + 1, "the sale was not written");
    addTimes << added;
    commitTimes << committed;
    QTest::setBenchmarkResult(shown, QTest::WalltimeMilliseconds);
}

void Bench::checkoutAddFiveLines()
{
    if (addTimes.isEmpty())
        QSKIP("no checkout measured");
    QTest::setBenchmarkResult(addTimes.takeFirst(), QTest::WalltimeMilliseconds);
}

void Bench::checkoutCommitCardAndCash()
{
    if (commitTimes.isEmpty())
        QSKIP("no checkout measured");
    QTest::setBenchmarkResult(commitTimes.takeFirst(), QTest::WalltimeMilliseconds);
}

// Brings the page holding a widget to the front (every stacked page and tab on the
// way), as the navigation list does.
static void reveal(QWidget *widget)
{
    for (QWidget *p = widget; p && p->parentWidget(); p = p->parentWidget()) {
        if (auto *stack = qobject_cast<QStackedWidget *>(p->parentWidget())) {
            if (auto *tabs = qobject_cast<QTabWidget *>(stack->parentWidget()))
                tabs->setCurrentWidget(p);
            else
                stack->setCurrentWidget(p);
        }
    }
}

// The first time a page is opened its lists get their first load: measured once
// per list (later runs of -median N report that first figure again).
void Bench::pageFirstOpen_data()
{
    QTest::addColumn<QString>("viewName");
    const char *rows[][2] = {{"会员管理", "tableView_9"},      {"消费统计", "tableView_14"},
                             {"统计消费明细", "tableView_16"},  {"会员消费排行", "tableView_19"},
                             {"会员交费统计", "tableView_10"},  {"会员套餐排行", "tableView_13"},
                             {"服务消费分析", "tableView_20"},  {"产品消费分析", "tableView_22"},
                             {"余额变动", "tableView_27"},      {"积分变动", "tableView_28"},
                             {"员工提成", "tableView_41"},      {"出库统计", "tableView_36"},
                             {"产品库存", "tableView_37"},      {"交班查询", "tableView_46"}};
    for (auto &r : rows)
        QTest::newRow(r[0]) << QString::fromLatin1(r[1]);
}

void Bench::pageFirstOpen()
{
    QFETCH(QString, viewName);
    static QMap<QString, double> first;
    auto *view = w->findChild<QTableView *>(viewName);
    if (!view)
        QSKIP("page not there");
    if (!first.contains(viewName)) {
        QElapsedTimer t;
        t.start();
        reveal(view);
        QCoreApplication::processEvents();
        first.insert(viewName, double(t.nsecsElapsed()) / 1e6);
    }
    QTest::setBenchmarkResult(first.value(viewName), QTest::WalltimeMilliseconds);
}

// Query button, its period combo (set to this year), and the page's name.
void Bench::statisticsQuery_data()
{
    QTest::addColumn<QString>("buttonName");
    QTest::addColumn<QString>("periodCombo");
    QTest::addColumn<QString>("viewName");
    const char *rows[][4] = {{"消费统计", "toolButton_79", "comboBox_4", "消费统计"},
                             {"消费明细", "toolButton_83", "comboBox_6", "统计消费明细"},
                             {"会员消费排行", "toolButton_91", "comboBox_9", "会员消费排行"},
                             {"会员交费统计", "toolButton_48", "comboBox_12", "会员交费统计"},
                             {"会员套餐排行", "toolButton_75", "comboBox_11", "会员套餐排行"},
                             {"服务消费分析", "toolButton_52", "comboBox_servicePeriod", "服务消费分析"},
                             {"产品消费分析", "toolButton_65", "comboBox_productPeriod", "产品消费分析"},
                             {"余额变动", "toolButton_123", "comboBox_29", "余额变动"},
                             {"积分变动", "toolButton_136", "comboBox_30", "积分变动"},
                             {"员工提成", "toolButton_111", "comboBox_27", "员工提成"},
                             {"会员查询", "toolButton_32", "", "会员管理"},
                             {"产品库存", "toolButton_144", "", "产品库存"},
                             {"交班查询", "toolButton_66", "", "交班查询"}};
    for (auto &r : rows)
        QTest::newRow(r[0]) << QString::fromLatin1(r[1]) << QString::fromLatin1(r[2]) << QString::fromUtf8(r[3]);
}

void Bench::statisticsQuery()
{
    QFETCH(QString, buttonName);
    QFETCH(QString, periodCombo);
    QFETCH(QString, viewName);
    auto *b = w->findChild<QAbstractButton *>(buttonName);
    if (!b || !ButtonPeek::listened(b))
        QSKIP("page not there");
    reveal(b); // a person clicks the button of the page in front
    QCoreApplication::processEvents();
    if (!periodCombo.isEmpty()) {
        auto *combo = w->findChild<QComboBox *>(periodCombo);
        if (combo) {
            const int i = combo->findText(QStringLiteral("本年"));
            if (i >= 0)
                combo->setCurrentIndex(i);
        }
    }
    clickTimed(b);
    static QSet<QString> noted;
    if (!noted.contains(viewName)) {
        noted << viewName;
        noteRawStatement(w, QStringLiteral("statisticsQuery · ") + QString::fromUtf8(QTest::currentDataTag()), viewName);
    }
}

// The 合计 line under each statistics list alone, for 本年: the list is queried
// first (not timed), then its line computed again as a refresh computes it.
void Bench::totalsLineYear_data()
{
    statisticsQuery_data();
}

void Bench::totalsLineYear()
{
    QFETCH(QString, buttonName);
    QFETCH(QString, periodCombo);
    QFETCH(QString, viewName);
    auto *b = w->findChild<QAbstractButton *>(buttonName);
    const ViewDeclaration *d = ViewDeclarations::find(viewName);
    if (!b || !ButtonPeek::listened(b) || !d)
        QSKIP("page not there");
    reveal(b);
    QCoreApplication::processEvents();
    if (auto *combo = periodCombo.isEmpty() ? nullptr : w->findChild<QComboBox *>(periodCombo)) {
        const int i = combo->findText(QStringLiteral("本年"));
        if (i >= 0)
            combo->setCurrentIndex(i);
    }
    b->click();
    QCoreApplication::processEvents();
    auto *line = w->findChild<TotalsLine *>(QStringLiteral("totals_") + d->widget);
    if (!line)
        QSKIP("the list has no 合计 line");
    timed([line] { line->recompute(); });
}

// Master view, the query button that fills it, its detail view.
void Bench::statisticsDrillDown_data()
{
    QTest::addColumn<QString>("master");
    QTest::addColumn<QString>("fill");
    const char *rows[][3] = {{"消费统计→明细", "tableView_14", "toolButton_79"},
                             {"会员交费统计→明细", "tableView_10", "toolButton_48"},
                             {"服务消费分析→明细", "tableView_20", "toolButton_52"},
                             {"产品消费分析→明细", "tableView_22", "toolButton_65"},
                             {"员工提成→明细", "tableView_41", "toolButton_111"},
                             {"会员管理→会员套餐", "tableView_9", "toolButton_32"},
                             {"产品库存→库存变动", "tableView_37", "toolButton_144"},
                             {"入库统计→入库明细", "tableView_33", ""},
                             {"交班查询→交班明细", "tableView_46", "toolButton_66"}};
    for (auto &r : rows)
        QTest::newRow(r[0]) << QString::fromLatin1(r[1]) << QString::fromLatin1(r[2]);
}

void Bench::statisticsDrillDown()
{
    QFETCH(QString, master);
    QFETCH(QString, fill);
    auto *view = w->findChild<QTableView *>(master);
    if (!view || !ViewPeek::listened(view))
        QSKIP("page not there");
    reveal(view);
    QCoreApplication::processEvents();
    if (!fill.isEmpty()) {
        if (auto *b = w->findChild<QAbstractButton *>(fill))
            b->click();
    }
    if (!view->model() || view->model()->rowCount() == 0)
        QSKIP("the master list is empty");
    const QModelIndex first = view->model()->index(0, 0);
    view->setCurrentIndex(first);
    timed([&] { QMetaObject::invokeMethod(view, "clicked", Q_ARG(QModelIndex, first)); });
    static QSet<QString> noted;
    for (const ViewDeclaration &d : ViewDeclarations::all()) {
        if (d.widget == master && !d.detail.isEmpty() && !noted.contains(d.detail)) {
            noted << d.detail;
            noteRawStatement(w, QStringLiteral("statisticsDrillDown · ") + QString::fromUtf8(QTest::currentDataTag()),
                             d.detail);
        }
    }
}

void Bench::comprehensiveStatistics()
{
    QAbstractButton *b = button("toolButton_86");
    if (!b || !ButtonPeek::listened(b))
        QSKIP("page not there");
    reveal(b);
    QCoreApplication::processEvents();
    auto *from = child<QDateEdit>(w, "dateEdit_13");
    auto *to = child<QDateEdit>(w, "dateEdit_14");
    if (from && to) {
        from->setDate(QDate(QDate::currentDate().year(), 1, 1));
        to->setDate(QDate::currentDate());
    }
    clickTimed(b);
}

// The 综合统计 tree alone for this year (the page's 查询 also fills the
// cash-register detail with every record of the period).
void Bench::takingsTreeYear()
{
    QStandardItemModel model;
    const QString from = QDate(QDate::currentDate().year(), 1, 1).toString(QStringLiteral("yyyy-MM-dd"));
    const QString to = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 23:59:59");
    timed([&] { TakingsTree::build(&model, TakingsRead::period(from, to)); });
    QCOMPARE(model.rowCount(), 5);
}

void Bench::handoverDialogOpen()
{
    QAbstractButton *b = button("toolButton_8");
    if (!b)
        QSKIP("handover button not there");
    QElapsedTimer t;
    double shown = -1;
    DialogCatcher catcher("jiaobanDlg", [&](QDialog *d) {
        shown = double(t.nsecsElapsed()) / 1e6;
        d->reject();
    });
    t.start();
    b->click();
    QCoreApplication::processEvents();
    QVERIFY2(catcher.seen(), "the handover dialog did not open");
    QTest::setBenchmarkResult(shown, QTest::WalltimeMilliseconds);
}

void Bench::exportMembers()
{
    // The member page's list as it stands after its first load: every member.
    ctrlUiClass ctrl;
    QTableView view;
    ctrl.setupDeclaredView(readDbset(), &view, QStringLiteral("会员管理"));
    ctrl.showDefault(QStringLiteral("会员管理"));
    const QString file = QDir::temp().filePath(QStringLiteral("mochen-bench-export.csv"));
    QFile::remove(file);
    timed([&] { ctrl.exportView(QStringLiteral("会员管理"), operatorSession().loginName); });
    QVERIFY(QFile(file).size() > 0);
    QFile::remove(file);
}

// The appointment book on its busiest day: the page reads the day (stylists,
// their hours, every booked line) and paints it.
void Bench::bookingDayView()
{
    if (!w || !w->bookingPage())
        QSKIP("no appointment book");
    QSqlQuery q;
    q.exec(QStringLiteral("select riqi from yuyue group by riqi order by count(*) desc LIMIT 1"));
    if (!q.next())
        QSKIP("the shop has no bookings");
    const QDate busiest = QDate::fromString(q.value(0).toString(), Qt::ISODate);
    q.finish();
    w->navigateTo(QStringLiteral("预约"));
    // Each run comes from the day before, so the page reads and paints the day afresh.
    QList<double> runs;
    for (int i = 0; i < 5; ++i) {
        w->bookingPage()->setDate(busiest.addDays(-1));
        QCoreApplication::processEvents();
        QElapsedTimer t;
        t.start();
        w->bookingPage()->setDate(busiest);
        w->bookingPage()->view()->repaint();
        runs << double(t.nsecsElapsed()) / 1e6;
    }
    std::sort(runs.begin(), runs.end());
    QTest::setBenchmarkResult(runs.at(runs.size() / 2), QTest::WalltimeMilliseconds);
    // The reads alone, beside the statement in the sqlite3 shell.
    QElapsedTimer r;
    r.start();
    const int lines = BookingBook::day(busiest).size();
    const int staff = WorkingHours::day(busiest).size();
    qInfo("busiest day %s: %d lines, %d employees; page %.1f ms, its reads %.1f ms",
          qPrintable(busiest.toString(Qt::ISODate)), lines, staff, runs.at(runs.size() / 2),
          double(r.nsecsElapsed()) / 1e6);
}

// One booking through the writer: the clash look-up, the number, header, line and log.
void Bench::bookingCommit()
{
    QSqlQuery q;
    q.exec(QStringLiteral("select ID from yuangong where coalesce(jinyong,'否')<>'是' order by ID LIMIT 1"));
    if (!q.next())
        QSKIP("no employee");
    BookingItem item;
    item.employeeId = q.value(0).toString();
    q.exec(QStringLiteral("select ID from fuwuxiangmu order by ID LIMIT 1"));
    if (!q.next())
        QSKIP("no service item");
    item.itemId = q.value(0).toString();
    // Far ahead, one quarter after the other, after those of earlier runs: always a free slot.
    q.exec(QStringLiteral("select count(*) from yuyue where kehuming='测试顾客'"));
    int n = q.next() ? q.value(0).toInt() : 0;
    q.finish();
    Booking b;
    b.customerName = QStringLiteral("测试顾客");
    b.operatorName = QStringLiteral("admin");
    b.outsideHoursAccepted = true;
    QBENCHMARK {
        item.start = QDateTime(QDate::currentDate().addYears(3), QTime(9, 0)).addSecs(qint64(n++) * 900);
        item.minutes = 15;
        b.items = {item};
        const LedgerResult r = BookingWriter::book(b);
        QVERIFY2(r.ok, qPrintable(r.error));
    }
}

int main(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i)
        if (qstrcmp(argv[i], "--startup-child") == 0)
            return startupChild(argc, argv);
    // A start-up on a big shop can take minutes: let QtTest wait.
    if (qEnvironmentVariableIsEmpty("QTEST_FUNCTION_TIMEOUT"))
        qputenv("QTEST_FUNCTION_TIMEOUT", "7200000");
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    Bench bench;
    return QTest::qExec(&bench, argc, argv);
}

#include "mochen_bench.moc"

// The owner's figures (经营指标), each read as the page reads it on 查询.
void Bench::ownerFigures_data()
{
    QTest::addColumn<QString>("figure");
    for (const char *f : {"员工业绩 本月", "员工业绩 本年", "客户分析 本月", "同比环比 本月", "预收款 今天",
                          "预收款 上月末", "预收款 十二个月", "退款作废 本月", "回访 本月"})
        QTest::newRow(f) << QString::fromUtf8(f);
}

void Bench::ownerFigures()
{
    QFETCH(QString, figure);
    const QDate today = QDate::currentDate();
    const QDate month(today.year(), today.month(), 1);
    const QDate year(today.year(), 1, 1);
    const QString monthStart = month.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 00:00:00");
    const QString todayEnd = today.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 23:59:59");
    QElapsedTimer t;
    t.start();
    // On a machine others share the wall time is several times the CPU time:
    // both are given.
    const double cpuBefore = threadCpuMs();
    qint64 n = 0;
    QStringList totals; // the liability's figures to the cent, to compare one build with another
    const auto cents = [](qint64 paid, qint64 bonus, qint64 package) {
        return QStringLiteral("%1/%2/%3").arg(paid).arg(bonus).arg(package);
    };
    if (figure == QStringLiteral("员工业绩 本月"))
        n = OwnerFigures::stylists(month, today).size();
    else if (figure == QStringLiteral("员工业绩 本年"))
        n = OwnerFigures::stylists(year, today).size();
    else if (figure == QStringLiteral("客户分析 本月"))
        n = OwnerFigures::customers(month, today).bills;
    else if (figure == QStringLiteral("同比环比 本月"))
        n = OwnerFigures::compare(month, today).now.bills;
    else if (figure.startsWith(QStringLiteral("预收款 ")) && !figure.endsWith(QStringLiteral("十二个月"))) {
        const Liability l = figure.endsWith(QStringLiteral("今天"))
                                ? OwnerFigures::liability()
                                : OwnerFigures::liability(month.addDays(-1).toString(QStringLiteral("yyyy-MM-dd"))
                                                          + QStringLiteral(" 23:59:59"));
        n = l.members.size();
        totals << cents(l.paidCents(), l.bonusCents(), l.packageCents());
    } else if (figure == QStringLiteral("预收款 十二个月")) {
        const QList<LiabilityMonth> months = OwnerFigures::liabilityByMonth(month.addMonths(-11), today);
        n = months.size();
        for (const LiabilityMonth &m : months)
            totals << m.month + QLatin1Char('=') + cents(m.paidCents, m.bonusCents, m.packageCents);
    }
    else if (figure == QStringLiteral("退款作废 本月"))
        n = OwnerFigures::reversals(monthStart, todayEnd).size();
    else
        n = OwnerFigures::followUps(month, today).size();
    QTest::setBenchmarkResult(double(t.nsecsElapsed()) / 1e6, QTest::WalltimeMilliseconds);
    qInfo().noquote() << figure << "rows" << n << "cpu ms" << qRound(threadCpuMs() - cpuBefore)
                      << (totals.isEmpty() ? QString() : QStringLiteral("cents paid/bonus/package ") + totals.join(' '));
}

// Not timed: the whole-shop liability against the refund's own member-by-member
// pricing, for every 25th member, today and at last month's end.
void Bench::liabilityAgainstMembers()
{
    const QDate today = QDate::currentDate();
    const QString lastMonth = QDate(today.year(), today.month(), 1).addDays(-1).toString(QStringLiteral("yyyy-MM-dd"))
                              + QStringLiteral(" 23:59:59");
    for (const QString &asOf : {QString(), lastMonth}) {
        QHash<QString, MemberLiability> whole;
        for (const MemberLiability &m : OwnerFigures::liability(asOf).members)
            whole.insert(m.memberId, m);
        int checked = 0, differ = 0;
        QSqlQuery q(QStringLiteral("select ID from huiyuan order by ID"));
        for (int n = 0; q.next(); ++n) {
            if (n % 25)
                continue;
            const QString id = q.value(0).toString();
            const StoredValue v = BalanceBook::storedValue(id, asOf);
            qint64 package = 0;
            for (const PackageQuote &p : RefundWriter::packagesOf(id, asOf))
                package += qRound64(p.perUseCents * p.usesLeft);
            const MemberLiability got = whole.value(id);
            ++checked;
            if (got.paidCents != v.paidCents || got.bonusCents != v.bonusCents || got.packageCents != package) {
                if (++differ <= 5)
                    qWarning().noquote() << id << asOf << got.paidCents << v.paidCents << got.bonusCents << v.bonusCents
                                         << got.packageCents << package;
            }
        }
        qInfo().noquote() << (asOf.isEmpty() ? QStringLiteral("now") : asOf) << "members checked" << checked << "differ"
                          << differ;
        QCOMPARE(differ, 0);
    }
}

// A receipt as the printer reads it (the document, its lines, the member's
// figures after it and the shop's settings): the median of nine reads of the
// latest member's document of each kind.
void Bench::receiptRead_data()
{
    QTest::addColumn<QString>("table");
    QTest::newRow("消费单") << QStringLiteral("huiyuanxiaofei");
    QTest::newRow("交费单") << QStringLiteral("huiyuanjiaofei");
}

void Bench::receiptRead()
{
    QFETCH(QString, table);
    const QString id =
        scalar(QStringLiteral("select ID from ") + table + QStringLiteral(" where huiyuanid<>'0000' order by rowid desc limit 1"));
    if (id.isEmpty())
        QSKIP("no document");
    QList<double> times;
    for (int i = 0; i < 9; ++i) {
        QElapsedTimer t;
        t.start();
        const Receipt r = Receipt::of(id);
        times << double(t.nsecsElapsed()) / 1e6;
        QVERIFY(r.found);
    }
    std::sort(times.begin(), times.end());
    QTest::setBenchmarkResult(times.at(4), QTest::WalltimeMilliseconds);
}

// What a window pays for the configuration each time it binds its lists.
void Bench::dbsetRead()
{
    QList<double> times;
    for (int i = 0; i < 9; ++i) {
        QElapsedTimer t;
        t.start();
        const DbsetMap map = readDbset();
        times << double(t.nsecsElapsed()) / 1e6;
        QVERIFY(!map.isEmpty());
    }
    std::sort(times.begin(), times.end());
    QTest::setBenchmarkResult(times.at(4), QTest::WalltimeMilliseconds);
}
