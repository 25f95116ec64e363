#ifndef TESTSUPPORT_H
#define TESTSUPPORT_H

#include <QList>
#include <QPair>
#include <QStringList>
#include <QObject>
#include <QTemporaryDir>
#include <QVariant>
#include <functional>
#include <memory>

class QWidget;
class QAbstractButton;

// A fresh working directory holding the shipped dbset.xml, made current, with the
// database opened and every table created (as the main window's start-up does).
// One per test function (or per test case via init()/cleanup()).
class TestWorkdir
{
public:
    explicit TestWorkdir(bool createSchema = true);
    ~TestWorkdir();
    QString path() const;
    // Writes a dbset.xml of the test's own into the directory.
    void writeDbset(const QByteArray &xml);
    // A shop in its own SQLite file in the folder `name` under this directory,
    // made current and opened, every table created: its path. Empty, and the
    // test failed, when it cannot be made.
    QString openFileShop(const QString &name = QStringLiteral("file-shop"));
    // Moves the file shop in `folder` into this test's schema on the server
    // (MOCHEN_TEST_PG) with the owner's command, mochen-migrate, then opens the
    // server's shop from this directory. What the command said; the test failed
    // when either did not work.
    QString migrateToServer(const QString &folder);
private:
    QTemporaryDir m_dir;
    QString m_oldCwd;
};

class TableRegistry;

// The generic record requests a dialog sends ("添加数据", "修改数据",
// "删除数据"), carried out exactly as the main window carries them out (the
// store's RecordRequests), with every request remembered. Made after the
// TestWorkdir (its registry reads the shop folder's dbset.xml).
struct TestDispatch
{
    TestDispatch();
    ~TestDispatch();
    std::unique_ptr<TableRegistry> registry;
    QStringList keys;     // every key sent, in order
    QStringList tables;   // the table named by each record request
    QStringList requests; // each record request as "key table"

    void recv(const QString &key, const QVariant &value);
    void handle(const QString &key, const QVariant &value) { recv(key, value); }

    // Connects a dialog's DlgSend(QString,QVariant) to this dispatch.
    template <typename Dlg> void attach(Dlg *dlg)
    {
        QObject::connect(dlg, &Dlg::DlgSend, [this](const QString &k, const QVariant &v) { recv(k, v); });
    }
};

// Records every prompt and answers it with scripted button texts. The default
// answer when nothing is scripted is the first button ("确定", or "是").
class PromptRecorder
{
public:
    PromptRecorder();   // installs itself into the prompt seam
    ~PromptRecorder();  // restores the real boxes
    void answer(const QString &buttonText); // queue an answer ("是", "否", "确定", "" = Escape,
                                            // kEnter = the box's default button)
    static constexpr const char *kEnter = "\n";
    void saveFileName(const QString &path); // answer of the next save-file question
    QStringList texts() const;              // texts shown so far, in order
    QStringList titles() const;
    QString last() const;
    void clear();
private:
    struct Impl;
    Impl *d;
};

// Runs action on the next modal dialog that opens (polls until one is active),
// typically to fill it in and click its buttons. Call before the code that opens it.
void onNextModal(std::function<void(QWidget *dialog)> action, int timeoutMs = 5000);

// The child of that type and object name under root; the test program stops
// when there is none (a form out of step with its tests).
template <typename T> T *widgetNamed(QObject *root, const char *name)
{
    T *found = root->findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("no widget %s", name);
    return found;
}

// Clicks a button found by object name under the widget (fails the test when absent).
void clickButton(QWidget *root, const QString &objectName);

// Plain SQL on the default connection, for assertions.
QString sqlValue(const QString &sql);          // first column of the first row, "" if none
QList<QStringList> sqlRows(const QString &sql);
QList<QStringList> sqlRows(const QString &sql, const QVariantList &values); // values bound to its ? marks
void sqlExec(const QString &sql);              // fails the test when the statement fails
// A trigger that refuses the rows it fires on with `message` (the words of a
// full disk, a locked file…), written by the engine's driver; `event` is e.g.
// "BEFORE INSERT", `when` an optional condition on NEW/OLD.
void refuseRows(const QString &trigger, const QString &event, const QString &table, const QString &message,
                const QString &when = QString());
void dropTrigger(const QString &trigger, const QString &table);

// The shop's books checked whole, with the statement scripts/check-db.sh runs:
// every ledger chain, the members' figures against their ledgers, whole sales,
// unique document IDs. Returns the problems found ("问题 | 明细"), empty when
// all is well; verifyBooks() fails the test on any.
QStringList bookProblems();
// The daily summaries against the records they sum, one line per difference; empty when equal.
QString summaryDifferences();
#define verifyBooks() do { const QStringList p_ = bookProblems(); QVERIFY2(p_.isEmpty(), qPrintable(p_.join(QLatin1Char('\n')))); } while (0)

#endif
