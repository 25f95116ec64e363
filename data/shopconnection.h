#ifndef SHOPCONNECTION_H
#define SHOPCONNECTION_H

#include <QString>

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
};

// Why openDatabase() failed, in the cashier's words (empty after success or
// when the SQLite file itself failed: its error is the connection's).
QString shopOpenProblem();

// The connection the program opened, as read at start.
const ShopConnection &currentShopConnection();
void setCurrentShopConnection(const ShopConnection &c);
// currentShopConnection().deskName()
QString currentDeskName();

#endif
