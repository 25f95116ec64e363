#ifndef DESKPROCESS_H
#define DESKPROCESS_H

#include <QCoreApplication>
#include <QProcess>
#include <QString>

// A desk of its own: the crash child in "script DESK" mode, working the shop
// in `shop` (its file, or the server its folder names) through the writers,
// one JSON operation a line, each answered "ok DOCUMENT" or "refused WHY".
class DeskProcess
{
public:
    DeskProcess() = default;
    DeskProcess(const DeskProcess &) = delete;
    DeskProcess &operator=(const DeskProcess &) = delete;
    ~DeskProcess()
    {
        if (m_p.state() != QProcess::NotRunning) { // a test that failed half-way
            m_p.kill();
            m_p.waitForFinished(5000);
        }
    }
    bool start(const QString &shop, const QString &desk)
    {
        return launch({shop, QStringLiteral("script"), desk}) && answer() == QStringLiteral("ready");
    }
    // Another program holding the shop file's write lock for `ms`, as a desk
    // in the middle of a long save would: whoever asks meanwhile waits for it.
    bool hold(const QString &shop, int ms)
    {
        return launch({shop, QStringLiteral("hold"), QString::number(ms)}) && answer() == QStringLiteral("held");
    }
    QString run(const QString &operation)
    {
        send(operation);
        return answer();
    }
    void send(const QString &operation) { m_p.write(operation.toUtf8() + '\n'); }
    QString answer()
    {
        while (!m_p.canReadLine())
            if (!m_p.waitForReadyRead(60000))
                return QStringLiteral("<no answer>");
        return QString::fromUtf8(m_p.readLine()).trimmed();
    }
    // The holder has let go and ended.
    bool released() { return answer() == QStringLiteral("released") && m_p.waitForFinished(10000); }
    bool finish()
    {
        m_p.write("\n");
        const bool done = answer() == QStringLiteral("done");
        return m_p.waitForFinished(30000) && m_p.exitCode() == 0 && done;
    }

private:
    bool launch(const QStringList &arguments)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_LOGGING_RULES", "*.debug=false;*.warning=false;*.info=false");
        m_p.setProcessEnvironment(env);
        m_p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/mochen_crashchild"), arguments);
        return m_p.waitForStarted();
    }
    QProcess m_p;
};

#endif
