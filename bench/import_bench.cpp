// The opening import at scale: a member sheet of N rows (each member with a
// balance, bonus, points, and uses of two service items; one in ten with a
// debt), written as GB18030 CSV as Excel saves it on a Chinese system, read,
// checked and imported into an empty shop in the current folder. Beside it the
// same rows as plain inserts in one transaction on a SQLite file of their own
// (the floor no writer can go below).
//
//   mochen-import-bench [--rows 50000] [--dir /tmp/import-bench]
//   MOCHEN_TEST_PG=… mochen-import-bench …   the shop on a PostgreSQL server
//
// Prints one line per step: milliseconds.

#include "benchshop.h"
#include "dbsetconfig.h"
#include "openingimport.h"
#include "sheetreader.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLoggingCategory>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextCodec>
#include <cstdio>

namespace {

QString sheetText(int rows)
{
    QString csv = QStringLiteral("会员卡号,姓名,性别,手机,生日,会员卡类型,卡内余额,赠送余额,积分,欠款,套餐次数\r\n");
    csv.reserve(rows * 90);
    for (int i = 0; i < rows; ++i)
        csv += QStringLiteral("%1,会员%1,%2,139%3,1990-%4-%5,金卡,%6.%7,10,%8,%9,洗剪吹:%10;烫发:2\r\n")
                   .arg(100000 + i)
                   .arg(i % 2 ? QStringLiteral("男") : QStringLiteral("女"))
                   .arg(i, 8, 10, QLatin1Char('0'))
                   .arg(1 + i % 12, 2, 10, QLatin1Char('0'))
                   .arg(1 + i % 28, 2, 10, QLatin1Char('0'))
                   .arg(i % 3000)
                   .arg(i % 100, 2, 10, QLatin1Char('0'))
                   .arg(i % 500)
                   .arg(i % 10 == 0 ? 20 : 0)
                   .arg(1 + i % 9);
    return csv;
}

void line(const char *what, qint64 ms, const QString &extra = QString())
{
    std::printf("%-44s %8lld ms %s\n", what, static_cast<long long>(ms), qPrintable(extra));
    std::fflush(stdout);
}

// The rows the import writes for the same sheet, inserted as plainly as SQLite
// takes them: one prepared statement per table, one transaction.
qint64 rawInserts(const QString &path, int rows)
{
    QFile::remove(path);
    qint64 ms = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("raw"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery q(db);
        q.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
        q.exec(QStringLiteral("CREATE TABLE huiyuan (ID TEXT PRIMARY KEY, name TEXT, sex TEXT, birthday TEXT, phone TEXT, "
                              "type TEXT, shengyujine REAL, jifen REAL)"));
        q.exec(QStringLiteral("CREATE TABLE huiyuantaocan (huiyuanID TEXT, xiangmuID TEXT, zongcishu REAL, shengyucishu REAL)"));
        q.exec(QStringLiteral("CREATE TABLE huiyuanyuebiandong (ID INTEGER PRIMARY KEY AUTOINCREMENT, huiyuanid TEXT, "
                              "xiangmumingchen TEXT, yuezengjia REAL, cishuzengjia REAL, dangshikaneiyue REAL, "
                              "dangshikaneicishu REAL, beizhu TEXT)"));
        q.exec(QStringLiteral("CREATE TABLE huiyuanjifen (ID INTEGER PRIMARY KEY AUTOINCREMENT, huiyuanid TEXT, "
                              "jifenzengjia REAL, shengyujifen REAL, beizhu TEXT)"));
        QElapsedTimer t;
        t.start();
        q.exec(QStringLiteral("BEGIN IMMEDIATE"));
        QSqlQuery m(db), u(db), y(db), j(db);
        m.prepare(QStringLiteral("insert into huiyuan values(?,?,?,?,?,?,?,?)"));
        u.prepare(QStringLiteral("insert into huiyuantaocan values(?,?,?,?)"));
        y.prepare(QStringLiteral("insert into huiyuanyuebiandong(huiyuanid,xiangmumingchen,yuezengjia,cishuzengjia,"
                                 "dangshikaneiyue,dangshikaneicishu,beizhu) values(?,?,?,?,?,?,?)"));
        j.prepare(QStringLiteral("insert into huiyuanjifen(huiyuanid,jifenzengjia,shengyujifen,beizhu) values(?,?,?,?)"));
        for (int i = 0; i < rows; ++i) {
            const QString id = QString::number(100000 + i);
            m.addBindValue(id);
            m.addBindValue(QStringLiteral("会员") + id);
            m.addBindValue(QStringLiteral("女"));
            m.addBindValue(QStringLiteral("1990-01-01 00:00:00"));
            m.addBindValue(QStringLiteral("139") + id);
            m.addBindValue(QStringLiteral("金卡"));
            m.addBindValue(100.0);
            m.addBindValue(10.0);
            m.exec();
            y.addBindValue(id);
            y.addBindValue(QString());
            y.addBindValue(100.0);
            y.addBindValue(0);
            y.addBindValue(100.0);
            y.addBindValue(0);
            y.addBindValue(QStringLiteral("期初单：QC"));
            y.exec();
            for (const char *item : {"S01", "S02"}) {
                u.addBindValue(id);
                u.addBindValue(QString::fromLatin1(item));
                u.addBindValue(2);
                u.addBindValue(2);
                u.exec();
                y.addBindValue(id);
                y.addBindValue(QString::fromLatin1(item));
                y.addBindValue(0);
                y.addBindValue(2);
                y.addBindValue(100.0);
                y.addBindValue(2);
                y.addBindValue(QStringLiteral("期初单：QC"));
                y.exec();
            }
            j.addBindValue(id);
            j.addBindValue(10.0);
            j.addBindValue(10.0);
            j.addBindValue(QStringLiteral("期初单：QC"));
            j.exec();
        }
        q.exec(QStringLiteral("COMMIT"));
        ms = t.elapsed();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("raw"));
    return ms;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("mochen.sql.debug=false\nmochen.sql.info=false"));
    int rows = 50000;
    QString dir = QStringLiteral("/tmp/import-bench");
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--rows"))
            rows = args.at(i + 1).toInt();
        else if (args.at(i) == QLatin1String("--dir"))
            dir = args.at(i + 1);
    }
    if (!openEmptyBenchShop(dir, "importbench"))
        return 1;
    {
        QSqlQuery q;
        q.exec(QStringLiteral("insert into huiyuanka(name,kaneijine,jiage,fuwuzekou,chanpinzekou,taocanzekou,beizhu) "
                              "values('金卡',0,0,1,1,1,'')"));
        q.exec(QStringLiteral("insert into fuwuxiangmu(ID,name,xiaoshoujiage,jinyong) values('S01','洗剪吹',38,'否')"));
        q.exec(QStringLiteral("insert into fuwuxiangmu(ID,name,xiaoshoujiage,jinyong) values('S02','烫发',200,'否')"));
    }

    QElapsedTimer t;
    t.start();
    const QByteArray bytes = QTextCodec::codecForName("GB18030")->fromUnicode(sheetText(rows));
    QFile f(QStringLiteral("members.csv"));
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    f.close();
    line("sheet written (GB18030 CSV)", t.restart(), QStringLiteral("%1 rows, %2 KB").arg(rows).arg(bytes.size() / 1024));

    QElapsedTimer whole;
    whole.start();
    const Sheet sheet = SheetReader::readFile(QStringLiteral("members.csv"));
    line("read and decode", t.restart(), sheet.error);
    OpeningImport im = OpeningImportWriter::fromSheet(ImportKind::Members, sheet,
                                                      OpeningImportFields::guess(ImportKind::Members, sheet.header));
    im.fileName = QStringLiteral("members.csv");
    im.operatorName = QStringLiteral("admin");
    line("cells checked as values", t.restart(), QStringLiteral("%1 problems").arg(im.problems.size()));
    const ImportCheck check = OpeningImportWriter::dryRun(im);
    line("dry run", t.restart(), QStringLiteral("%1 to add, %2 refused").arg(check.added).arg(check.problems.size()));
    int batches = 0;
    const LedgerResult r = OpeningImportWriter::write(im, [&](int, int) {
        ++batches;
        return true;
    });
    line("import (one transaction)", t.restart(), r.ok ? r.documentId : r.error);
    line("file to imported shop, in all", whole.elapsed(), QStringLiteral("%1 progress calls").arg(batches));
    QSqlQuery q;
    q.exec(QStringLiteral("select count(*) from huiyuanyuebiandong"));
    q.next();
    line("  ledger rows written", 0, q.value(0).toString());
    if (qEnvironmentVariableIsEmpty("MOCHEN_TEST_PG"))
        line("raw SQLite inserts of the same rows", rawInserts(QDir(dir).filePath(QStringLiteral("raw.db")), rows));
    return r.ok ? 0 : 1;
}
