#include "shopconnection.h"

#include "dbsetconfig.h"
#include "preparedqueries.h"
#include "enginedriver.h"
#include "sqllog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QPair>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSysInfo>
#include <QTimeZone>

ShopConnection ShopConnection::parse(const QString &text)
{
    ShopConnection c;
    QString all = text;
    all.replace(QLatin1Char(';'), QLatin1Char('\n'));
    for (QString line : all.split(QLatin1Char('\n'))) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')) || line.startsWith(QLatin1Char('['))
            || line.startsWith(QLatin1Char(';')))
            continue;
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        const QString key = line.left(eq).trimmed().toLower();
        const QString value = line.mid(eq + 1).trimmed();
        if (key == QLatin1String("engine")) {
            const QString v = value.toLower();
            c.postgres = v == QLatin1String("postgresql") || v == QLatin1String("postgres") || v == QLatin1String("pg");
            if (!c.postgres && v != QLatin1String("sqlite"))
                c.problem = QStringLiteral("数据库类型“%1”无法识别（可用：sqlite、postgresql）").arg(value);
        } else if (key == QLatin1String("host")) {
            c.host = value;
        } else if (key == QLatin1String("port")) {
            bool ok = false;
            c.port = value.toInt(&ok);
            if (!ok || c.port <= 0 || c.port > 65535)
                c.problem = QStringLiteral("端口“%1”不是有效的端口号").arg(value);
        } else if (key == QLatin1String("database") || key == QLatin1String("dbname")) {
            c.database = value;
        } else if (key == QLatin1String("user")) {
            c.user = value;
        } else if (key == QLatin1String("desk")) {
            c.desk = value;
        } else if (key == QLatin1String("schema")) {
            c.schema = value;
            static const QRegularExpression plain(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
            if (!plain.match(value).hasMatch())
                c.problem = QStringLiteral("模式名“%1”只能由字母、数字和下划线组成").arg(value);
        } else if (key == QLatin1String("password_file")) {
            c.passwordFile = value;
        } else if (key == QLatin1String("password")) {
            c.problem = QStringLiteral("密码不能写在设置文件里：请用环境变量 MOCHEN_DB_PASSWORD 或只有本人可读的密码文件");
        }
    }
    if (c.postgres && c.problem.isEmpty() && c.database.isEmpty())
        c.problem = QStringLiteral("设置文件没有写明数据库名（database=）");
    return c;
}

ShopConnection ShopConnection::load(const QString &folder)
{
    QFile f(QDir(folder).filePath(fileName()));
    if (!f.exists())
        return ShopConnection();
    if (!f.open(QIODevice::ReadOnly)) {
        ShopConnection c;
        c.problem = QStringLiteral("无法读取设置文件 %1").arg(fileName());
        return c;
    }
    ShopConnection c = parse(QString::fromUtf8(f.readAll()));
    if (!c.passwordFile.isEmpty() && QFileInfo(c.passwordFile).isRelative())
        c.passwordFile = QDir(folder).absoluteFilePath(c.passwordFile);
    return c;
}

QString ShopConnection::password(QString *problem) const
{
    const QByteArray env = qgetenv("MOCHEN_DB_PASSWORD");
    if (!env.isEmpty())
        return QString::fromUtf8(env);
    if (passwordFile.isEmpty())
        return QString();
    QFile f(passwordFile);
    if (!f.open(QIODevice::ReadOnly)) {
        *problem = QStringLiteral("无法读取密码文件 %1").arg(passwordFile);
        return QString();
    }
    // A password that the whole computer can read is no password.
    const QFile::Permissions others = QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther;
    if (f.permissions() & others) {
        *problem = QStringLiteral("密码文件 %1 其他用户也能读取，请改为只有本人可读（chmod 600）").arg(passwordFile);
        return QString();
    }
    return QString::fromUtf8(f.readAll()).section(QLatin1Char('\n'), 0, 0).trimmed();
}

QString ShopConnection::engineText() const
{
    if (!postgres)
        return QStringLiteral("SQLite mochenxinxi.db");
    const QString where = host.isEmpty() || host.startsWith(QLatin1Char('/')) ? QStringLiteral("本机")
                                                                               : host + QLatin1Char(':') + QString::number(port);
    return QStringLiteral("PostgreSQL %1@%2/%3").arg(user, where, database);
}

QString ShopConnection::statusText() const
{
    QString text = QStringLiteral("数据库：") + engineText();
    if (!desk.isEmpty())
        text += QStringLiteral("　收银台：") + desk;
    return text;
}

QString ShopConnection::deskName() const
{
    if (!desk.isEmpty())
        return desk;
    const QString machine = QSysInfo::machineHostName().trimmed();
    return machine.isEmpty() ? QStringLiteral("本机") : machine;
}

bool ShopConnection::openServer(const QString &connectionName, QString *error) const
{
    QString problem;
    const QString pass = password(&problem);
    if (!problem.isEmpty()) {
        *error = problem;
        return false;
    }
    QSqlDatabase db = QSqlDatabase::contains(connectionName) ? QSqlDatabase::database(connectionName, false)
                                                             : QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
    if (!db.isValid()) {
        *error = QStringLiteral("缺少 PostgreSQL 驱动（Debian：apt-get install libqt5sql5-psql）");
        return false;
    }
    if (!host.isEmpty())
        db.setHostName(host);
    db.setPort(port);
    db.setDatabaseName(database);
    db.setUserName(user);
    db.setPassword(pass);
    // The session's settings travel with the connection itself, so that a
    // connection Qt opens again on its own (after the server dropped it) has
    // them too: the limits on waiting and the shop's schema. No JIT: a period
    // list's plan is costed high enough for it, and compiling it took longer
    // than the list (员工提成's detail of a year at a large shop: 1.5 s with,
    // 0.7 s without).
    QString options = QStringLiteral("-c lock_timeout=5s -c statement_timeout=20s "
                                     "-c idle_in_transaction_session_timeout=30s -c jit=off");
    if (!schema.isEmpty())
        options += QStringLiteral(" -c search_path=") + schema;
    db.setConnectOptions(QStringLiteral("connect_timeout=5;options='%1'").arg(options));
    // Money is numeric(14,2) on the server; the program reads it as it reads
    // SQLite's numbers.
    db.setNumericalPrecisionPolicy(QSql::LowPrecisionDouble);
    if (!db.open()) {
        *error = db.lastError().text();
        return false;
    }
    QSqlQuery q(db);
    // Dates are text written by the desks in local time; the server's own
    // "now" must be the same clock.
    const QString zone = QString::fromUtf8(QTimeZone::systemTimeZoneId());
    if (!zone.isEmpty() && !q.exec(QStringLiteral("SET TIME ZONE '%1'").arg(zone)))
        qCWarning(lcSql) << "SET TIME ZONE" << q.lastError().text();
    q.exec(QStringLiteral("SET application_name = 'mochen %1'").arg(QString(desk).replace(QLatin1Char('\''), QString())));
    q.exec(QStringLiteral("SET client_min_messages = warning"));
    // A counter never waits without end: a row or table another session holds
    // fails the statement after a few seconds (the operation is then rolled
    // back whole and the cashier told), and so does a statement that runs away.
    for (const QString &limit : serverTimeouts())
        if (!q.exec(limit))
            qCWarning(lcSql) << limit << q.lastError().text();
    if (!schema.isEmpty() && !q.exec(QStringLiteral("SET search_path TO %1").arg(schema))) {
        *error = q.lastError().text();
        db.close();
        return false;
    }
    qCDebug(lcSql).noquote() << "Succeed to connect database." << engineText();
    return true;
}

QStringList ShopConnection::serverTimeouts()
{
    // A desk that stops in the middle of a transaction (its program hung, its
    // network gone) would hold the desks' write lock until the server noticed
    // the dead connection, which can take hours: the server ends its session
    // after half a minute instead, and the operation was never confirmed.
    return {QStringLiteral("SET lock_timeout = '5s'"), QStringLiteral("SET statement_timeout = '20s'"),
            QStringLiteral("SET idle_in_transaction_session_timeout = '30s'")};
}

namespace {
ShopConnection &current()
{
    static ShopConnection c;
    return c;
}
} // namespace

const ShopConnection &currentShopConnection()
{
    return current();
}

void setCurrentShopConnection(const ShopConnection &c)
{
    current() = c;
}

QString currentDeskName()
{
    return current().deskName();
}

namespace ShopLink {

namespace {
struct Link
{
    bool lost = false;
    bool told = false; // the desk heard that the server is gone
    int generation = 0;
    int nextId = 1;
    QList<QPair<int, std::function<void()>>> listeners;
    std::function<void(const QString &)> notice;
};
Link &link()
{
    static Link l;
    return l;
}
void tell(const QString &text)
{
    qCWarning(lcSql).noquote() << text;
    if (link().notice)
        link().notice(text);
}
} // namespace

QString lostNotice()
{
    return QStringLiteral("无法连接数据库服务器：收银暂时不能保存。请检查网络和服务器，恢复后本机会自动重新连接，"
                          "未保存的操作请在恢复后再做一次。");
}

QString backNotice()
{
    return QStringLiteral("已重新连接数据库服务器，可以继续收银。");
}

QString staleWindowText()
{
    return QStringLiteral("与数据库服务器的连接中断过，本窗口正在编辑的设置已经失效，没有保存。请关闭窗口后重新打开再设置。");
}

void noteLost(const QString &error)
{
    Link &l = link();
    if (!l.lost)
        qCWarning(lcSql).noquote() << QStringLiteral("数据库连接已断开：") + error;
    l.lost = true;
    if (!l.told) {
        l.told = true;
        tell(lostNotice());
    }
}

bool isLost()
{
    return link().lost;
}

bool reopen()
{
    Link &l = link();
    {
        QSqlDatabase db = QSqlDatabase::database(QSqlDatabase::defaultConnection, false);
        const bool server = db.isValid() && EngineDriver::of(db).isServer();
        if (db.isValid())
            db.close();
        // A server statement frees itself (DEALLOCATE) through its driver
        // when it is prepared again or destroyed. Statements of the old
        // session still held somewhere (a list's own, a caller's copy) would
        // free themselves on the new session, which never had them: the
        // error aborts the transaction open there, an operation lost. With
        // the old driver gone they free nothing; the new connection gets a
        // driver of its own.
        if (server) {
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(QString::fromLatin1(QSqlDatabase::defaultConnection));
        }
    }
    // The statements prepared on the old connection die with it. The kept
    // ones cannot tell by themselves: the new connection's handle may be
    // given the very address of the old one.
    PreparedQueries::forgetAll();
    if (!openDatabase()) {
        l.lost = true;
        if (!l.told) {
            l.told = true;
            tell(lostNotice());
        }
        return false;
    }
    l.lost = false;
    ++l.generation;
    // The working tables, the server's functions and their refills, as at start.
    createTables();
    qCInfo(lcSql) << "数据库已重新连接" << l.generation;
    const auto listeners = l.listeners; // a listener may remove itself
    for (const auto &entry : listeners)
        entry.second();
    if (l.told) {
        l.told = false;
        tell(backNotice());
    }
    return true;
}

int generation()
{
    return link().generation;
}

int addReopenListener(std::function<void()> listener)
{
    Link &l = link();
    const int id = l.nextId++;
    l.listeners.append(qMakePair(id, std::move(listener)));
    return id;
}

void removeReopenListener(int id)
{
    auto &all = link().listeners;
    for (int i = 0; i < all.size(); ++i) {
        if (all.at(i).first == id) {
            all.removeAt(i);
            return;
        }
    }
}

void setNotice(std::function<void(const QString &)> notice)
{
    link().notice = std::move(notice);
}

} // namespace ShopLink
