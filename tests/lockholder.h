#ifndef LOCKHOLDER_H
#define LOCKHOLDER_H

#include <QCoreApplication>
#include <QDir>
#include <QProcess>

// Another copy of the program holding the shop file's write lock for `ms`
// (the crash child's "hold" mode): start() returns once the lock is held.
struct LockHolder
{
    QProcess p;
    bool start(int ms)
    {
        p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/mochen_crashchild"),
                {QDir::currentPath(), QStringLiteral("hold"), QString::number(ms)});
        if (!p.waitForStarted())
            return false;
        while (p.waitForReadyRead(5000))
            if (p.readAllStandardOutput().contains("held"))
                return true;
        return false;
    }
    ~LockHolder()
    {
        if (p.state() != QProcess::NotRunning && !p.waitForFinished(15000))
            p.kill();
    }
};

#endif
