#ifndef SHOPCONNECTION_H
#define SHOPCONNECTION_H

#include <QString>
#include <QStringList>
#include <functional>

// Where this desk keeps the shop: the SQLite file in the shop folder (the
// default, nothing to set up) or a PostgreSQL server that several desks share.
// The choice is the small file "mochen-db.ini" in the shop folder:
//
//   engine=postgresql
//   host=192.168.1.10
//   port=5432
//   database=mochen
//   user=mochen
//   desk=前台1
//   password_file=mochen-db.pass    (optional)
//   schema=branch2                  (optional: several shops in one database)
//
// The password is never in this file nor in dbset.xml: it comes from the
// environment variable MOCHEN_DB_PASSWORD, or from the password file, which
// only its owner may read; without either, libpq's own ~/.pgpass applies.
struct ShopConnection
{
    bool postgres = false;
    QString host;
    int port = 5432;
    QString database;
    QString user;
    QString desk;          // this installation's name, told in the status bar
    QString passwordFile;
    QString schema;        // optional: one database holding several shops
    QString problem;       // why the file cannot be used; empty when it can

    static QString fileName() { return QStringLiteral("mochen-db.ini"); }
    // Reads the file of the current shop folder; the SQLite default without it.
    static ShopConnection load(const QString &folder = QStringLiteral("."));
    // Parses "key=value" lines, as in the file (also ';'-separated, as tests
    // and tools pass a server on one line).
    static ShopConnection parse(const QString &text);

    // The password, or a problem (a password file others can read is refused).
    QString password(QString *problem) const;
    // "PostgreSQL mochen@192.168.1.10:5432/mochen" or "SQLite mochenxinxi.db".
    QString engineText() const;
    // What the status bar says: engine and desk.
    QString statusText() const;
    // The name this desk's documents and handovers carry: desk= of the file,
    // else the computer's own name (desks sharing one shop folder each have
    // their own computer, but would share the file).
    QString deskName() const;

    // Opens Qt's default connection (or the named one) on the server: the
    // session's clock set to this computer's time zone, money read as numbers.
    bool openServer(const QString &connectionName, QString *error) const;
    // The session's limits on waiting, set at every connect: a lock held by
    // another session for longer than lock_timeout fails the statement.
    static QStringList serverTimeouts();
};

// Why openDatabase() failed, in the cashier's words (empty after success or
// when the SQLite file itself failed: its error is the connection's).
QString shopOpenProblem();

// The connection the program opened, as read at start.
const ShopConnection &currentShopConnection();
void setCurrentShopConnection(const ShopConnection &c);
// currentShopConnection().deskName()
QString currentDeskName();

// A desk on a shop server loses its connection now and then (the server
// restarts, the network drops, an administrator ends the session). The data
// layer notices it at the statement that failed; before the next statement it
// connects again and rebuilds what belonged to the old connection: the
// session settings, the server's functions and the connection's own working
// tables. Whatever the program keeps of its own for that connection (a
// checkout's basket, prepared queries) listens to the reopen and refills or
// forgets it.
namespace ShopLink {

// The statement's error says the connection is gone: the next statement
// reconnects first. The desk is told once that the server cannot be reached.
void noteLost(const QString &error);
bool isLost();
// Connects again and rebuilds the connection's state, then tells every
// listener; the desk is told that the server is back. False while the shop
// cannot be reached (still lost).
bool reopen();
// How many times the connection was opened anew: working rows filled on an
// earlier connection are gone.
int generation();

// Called after every reopen, in the order added; the id removes it.
int addReopenListener(std::function<void()> listener);
void removeReopenListener(int id);

// Where the desk's notices go ("无法连接数据库服务器…", "已重新连接…"); by
// default the debug output only. An empty function restores that.
void setNotice(std::function<void(const QString &)> notice);
QString lostNotice();
QString backNotice();
// Why a window that filled working rows on an earlier connection does not save.
QString staleWindowText();

} // namespace ShopLink

#endif
