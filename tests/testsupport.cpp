#include "testsupport.h"

#include "dbrecords.h"
#include "operatorsession.h"
#include "recordrequests.h"
#include "tableregistry.h"
#include "dbsetconfig.h"
#include "enginedriver.h"
#include "prompt.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QThread>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>
#include <QTimer>
#include <QWidget>

namespace {
// The work folders of the TestWorkdirs alive. QtTest skips cleanup() after an
// init() that failed, so one made there would never be deleted: what is left
// goes when the program ends.
struct LeftBehind
{
    QStringList paths;
    ~LeftBehind()
    {
        for (const QString &p : qAsConst(paths))
            QDir(p).removeRecursively();
    }
};

LeftBehind &leftBehind()
{
    static LeftBehind folders;
    return folders;
}

// Test programs run side by side against one test server: each has its own schema.
QString testSchema()
{
    return QStringLiteral("t%1").arg(QCoreApplication::applicationPid());
}
} // namespace

TestWorkdir::TestWorkdir(bool createSchema)
{
    registerRecordTypes();
    leftBehind().paths << m_dir.path();
    m_oldCwd = QDir::currentPath();
    QFile::copy(QStringLiteral(MOCHEN_SOURCE_DIR "/dbset.xml"), m_dir.filePath(QStringLiteral("dbset.xml")));
    QDir::setCurrent(m_dir.path());
    // MOCHEN_TEST_PG="host=…;port=…;database=…;user=…" runs the test against a
    // PostgreSQL server instead (scripts/pg-throwaway.sh starts one): the shop
    // folder names the server, and the server's shop starts empty.
    const QByteArray server = qgetenv("MOCHEN_TEST_PG");
    if (!server.isEmpty()) {
        QFile ini(m_dir.filePath(QStringLiteral("mochen-db.ini")));
        if (ini.open(QIODevice::WriteOnly))
            ini.write("engine=postgresql\n" + QByteArray(server).replace(';', '\n') + "\ndesk=测试\nschema="
                      + testSchema().toUtf8() + "\n");
        ini.close();
        if (openDatabase()) {
            // Dropping a schema's views can meet another session's DDL on the
            // same catalogue rows and be chosen as a deadlock's victim: the
            // next try finds the other done (seen once, in a whole server pass).
            bool reset = false;
            for (int attempt = 1; !reset && attempt <= 5; ++attempt) {
                QSqlQuery q;
                reset = q.exec(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(testSchema()))
                        && q.exec(QStringLiteral("CREATE SCHEMA %1").arg(testSchema()));
                if (!reset) {
                    qWarning("resetting the test server failed (try %d): %s", attempt,
                             qPrintable(q.lastError().text()));
                    QThread::msleep(200);
                }
            }
        } else {
            qWarning("the test server (MOCHEN_TEST_PG) cannot be reached");
        }
    }
    if (createSchema) {
        openDatabase();
        createTables();
    }
}

TestWorkdir::~TestWorkdir()
{
    {
        QSqlDatabase db = QSqlDatabase::database(QSqlDatabase::defaultConnection, false);
        if (db.isValid())
            db.close();
    }
    QDir::setCurrent(m_oldCwd);
    leftBehind().paths.removeOne(m_dir.path());
}

QString TestWorkdir::path() const { return m_dir.path(); }

QString TestWorkdir::openFileShop(const QString &name)
{
    const QString folder = m_dir.filePath(name);
    if (!QDir().mkpath(folder)
        || !QFile::copy(QStringLiteral(MOCHEN_SOURCE_DIR "/dbset.xml"), folder + QStringLiteral("/dbset.xml"))) {
        QTest::qFail("the file shop's folder cannot be made", __FILE__, __LINE__);
        return QString();
    }
    QDir::setCurrent(folder);
    if (!openDatabase() || EngineDriver::current().isServer()) {
        QTest::qFail("the file shop cannot be opened", __FILE__, __LINE__);
        return QString();
    }
    createTables();
    return folder;
}

QString TestWorkdir::migrateToServer(const QString &folder)
{
    QProcess migrate;
    migrate.start(QCoreApplication::applicationDirPath() + QStringLiteral("/../tools/mochen-migrate"),
                  {folder, qEnvironmentVariable("MOCHEN_TEST_PG") + QStringLiteral(";schema=") + testSchema()});
    const bool finished = migrate.waitForFinished(120000);
    const QString told = QString::fromUtf8(migrate.readAllStandardOutput() + migrate.readAllStandardError());
    if (!finished || migrate.exitCode() != 0) {
        QTest::qFail(qPrintable(QStringLiteral("mochen-migrate: ") + told), __FILE__, __LINE__);
        return told;
    }
    QDir::setCurrent(m_dir.path());
    if (!openDatabase() || !EngineDriver::current().isServer())
        QTest::qFail("the moved shop cannot be opened on the server", __FILE__, __LINE__);
    return told;
}

void TestWorkdir::writeDbset(const QByteArray &xml)
{
    QFile f(m_dir.filePath(QStringLiteral("dbset.xml")));
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(xml);
}

struct PromptRecorder::Impl
{
    QStringList texts, titles, answers, files;
};

PromptRecorder::PromptRecorder() : d(new Impl)
{
    Prompt::setHandler([this](const PromptRequest &r) {
        d->texts << r.text;
        d->titles << r.title;
        if (d->answers.isEmpty())
            return r.buttons.isEmpty() ? -1 : 0;
        const QString a = d->answers.takeFirst();
        if (a == QLatin1String(kEnter))
            return r.buttons.isEmpty() ? -1 : r.defaultButton;
        return int(r.buttons.indexOf(a));
    });
    Prompt::setSaveFileHandler([this](QWidget *, const QString &, const QString &, const QString &) {
        return d->files.isEmpty() ? QString() : d->files.takeFirst();
    });
}

PromptRecorder::~PromptRecorder()
{
    Prompt::setHandler({});
    Prompt::setSaveFileHandler({});
    delete d;
}

void PromptRecorder::answer(const QString &buttonText) { d->answers << buttonText; }
void PromptRecorder::saveFileName(const QString &path) { d->files << path; }
QStringList PromptRecorder::texts() const { return d->texts; }
QStringList PromptRecorder::titles() const { return d->titles; }
QString PromptRecorder::last() const { return d->texts.isEmpty() ? QString() : d->texts.last(); }
void PromptRecorder::clear()
{
    d->texts.clear();
    d->titles.clear();
}

void onNextModal(std::function<void(QWidget *)> action, int timeoutMs)
{
    // Remember what is modal now, so that only a dialog opened later is acted on.
    QWidget *before = QApplication::activeModalWidget();
    auto *timer = new QTimer;
    auto deadline = std::make_shared<QDeadlineTimer>(timeoutMs);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, action, before, deadline]() {
        QWidget *w = QApplication::activeModalWidget();
        if (w && w != before && w->isVisible()) {
            timer->stop();
            timer->deleteLater();
            action(w);
        } else if (deadline->hasExpired()) {
            timer->stop();
            timer->deleteLater();
            qWarning("onNextModal: no modal dialog opened");
        }
    });
    timer->start();
}

void clickButton(QWidget *root, const QString &objectName)
{
    auto *b = root ? root->findChild<QAbstractButton *>(objectName) : nullptr;
    if (!b) {
        QTest::qFail(qPrintable(QStringLiteral("no button ") + objectName), __FILE__, __LINE__);
        return;
    }
    b->click();
}

namespace {
// A value as SQLite shows it: a comparison is 1 or 0 (the server says true or false).
QString shown(const QVariant &v)
{
    if (v.userType() == QMetaType::Bool)
        return v.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    return v.toString();
}
} // namespace

QString sqlValue(const QString &sql)
{
    QSqlQuery q;
    if (!q.exec(sql)) {
        QTest::qFail(qPrintable(sql + QStringLiteral(" : ") + q.lastError().text()), __FILE__, __LINE__);
        return {};
    }
    return q.next() ? shown(q.value(0)) : QString();
}

QList<QStringList> sqlRows(const QString &sql)
{
    return sqlRows(sql, {});
}

QList<QStringList> sqlRows(const QString &sql, const QVariantList &values)
{
    QList<QStringList> rows;
    QSqlQuery q;
    bool ran = values.isEmpty() ? q.exec(sql) : q.prepare(sql);
    for (int i = 0; ran && i < values.size(); ++i)
        q.bindValue(i, values.at(i));
    if (ran && !values.isEmpty())
        ran = q.exec();
    if (!ran) {
        QTest::qFail(qPrintable(sql + QStringLiteral(" : ") + q.lastError().text()), __FILE__, __LINE__);
        return rows;
    }
    // The server's tables carry their row number as a column; "*" shows it,
    // SQLite's does not. Named among the columns (not only in the order), it stays.
    static const QRegularExpression from(QStringLiteral("\\bfrom\\b"), QRegularExpression::CaseInsensitiveOption);
    const bool rowidAsked = sql.left(from.match(sql).capturedStart()).contains(QLatin1String("rowid"), Qt::CaseInsensitive);
    while (q.next()) {
        QStringList r;
        for (int i = 0; i < q.record().count(); ++i)
            if (rowidAsked || q.record().fieldName(i) != QLatin1String("rowid"))
                r << shown(q.value(i));
        rows << r;
    }
    return rows;
}

void refuseRows(const QString &trigger, const QString &event, const QString &table, const QString &message,
                const QString &when)
{
    CreateTriggerinfo t;
    t.trigger = trigger;
    t.event = event;
    t.table = table;
    t.when = when;
    t.refusal = message;
    // The engine's own statements, as its driver writes them.
    for (const QString &sql : EngineDriver::current().createTrigger(t)) {
        QSqlQuery q;
        if (!q.exec(sql))
            QTest::qFail(qPrintable(sql + QStringLiteral(" : ") + q.lastError().text()), __FILE__, __LINE__);
    }
}

void dropTrigger(const QString &trigger, const QString &table)
{
    QSqlQuery q;
    const QString sql = EngineDriver::current().dropTrigger(trigger, table);
    if (!q.exec(sql))
        QTest::qFail(qPrintable(sql + QStringLiteral(" : ") + q.lastError().text()), __FILE__, __LINE__);
}

void sqlExec(const QString &sql)
{
    QSqlQuery q;
    if (!q.exec(sql))
        QTest::qFail(qPrintable(sql + QStringLiteral(" : ") + q.lastError().text()), __FILE__, __LINE__);
}

namespace {
// The desk's bound on a statement is for a cashier at the counter: the books
// of a long history checked whole on a busy test server take longer.
struct UnboundStatements
{
    UnboundStatements()
    {
        if (!EngineDriver::current().isServer())
            return;
        QSqlQuery q;
        if (q.exec(QStringLiteral("SHOW statement_timeout")) && q.next())
            bound = q.value(0).toString();
        q.exec(QStringLiteral("SET statement_timeout = 0"));
    }
    ~UnboundStatements()
    {
        if (!bound.isEmpty())
            QSqlQuery().exec(QStringLiteral("SET statement_timeout = '%1'").arg(bound));
    }
    QString bound;
};
} // namespace

QStringList bookProblems()
{
    QFile file(QStringLiteral(MOCHEN_SOURCE_DIR "/scripts/check-db.sql"));
    if (!file.open(QIODevice::ReadOnly))
        return {QStringLiteral("scripts/check-db.sql 打不开")};
    const QString sql = QString::fromUtf8(file.readAll());
    const UnboundStatements unbound;
    QStringList problems;
    for (const QStringList &r : sqlRows(sql))
        problems << r.join(QStringLiteral(" | "));
    // The daily summaries must equal the records they sum, whatever the test wrote.
    QFile summaries(QStringLiteral(MOCHEN_SOURCE_DIR "/scripts/check-summaries.sql"));
    if (!summaries.open(QIODevice::ReadOnly))
        return problems << QStringLiteral("scripts/check-summaries.sql 打不开");
    for (const QStringList &r : sqlRows(QString::fromUtf8(summaries.readAll())))
        problems << r.join(QStringLiteral(" | "));
    return problems;
}

QString summaryDifferences()
{
    QFile file(QStringLiteral(MOCHEN_SOURCE_DIR "/scripts/check-summaries.sql"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("scripts/check-summaries.sql 打不开");
    const UnboundStatements unbound;
    QStringList out;
    for (const QStringList &r : sqlRows(QString::fromUtf8(file.readAll())))
        out << r.join(QStringLiteral(" | "));
    return out.join(QLatin1Char('\n'));
}

TestDispatch::TestDispatch() : registry(new TableRegistry) {}
TestDispatch::~TestDispatch() = default;

void TestDispatch::recv(const QString &key, const QVariant &value)
{
    keys << key;
    if (!RecordRequests::isRecordRequest(key))
        return;
    // A test that logged nobody in works as the shop's admin, as the program
    // does once the login has passed.
    const QString by = operatorSession().loginName.isEmpty() ? QStringLiteral("admin") : operatorSession().loginName;
    const RecordRequests::Outcome done = RecordRequests(*registry).carryOut(key, value, by);
    if (!done.table.isEmpty()) {
        tables << done.table;
        requests << key + QLatin1Char(' ') + done.table;
    }
}
