#ifndef CRASHCHECKS_H
#define CRASHCHECKS_H

// What must hold in a shop's database after any crash or power cut, checked by
// tst_crash and tst_powercut on the file the crash child left behind.

#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>

namespace crash_checks {
inline QStringList column(QSqlDatabase &db, const QString &sql)
{
    QStringList out;
    QSqlQuery q(db);
    if (!q.exec(sql))
        return {QStringLiteral("<failed: %1>").arg(sql)};
    while (q.next())
        out << q.value(0).toString();
    return out;
}

// Everything that must hold after any kill; returns what does not.
inline QStringList problems(const QString &file, const QStringList &confirmed)
{
    QStringList bad;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
        db.setDatabaseName(file);
        if (!db.open())
            return {QStringLiteral("cannot open")};
        if (column(db, "pragma integrity_check") != QStringList{"ok"})
            bad << "integrity: " + column(db, "pragma integrity_check").join(';');
        const QStringList checks = {
            // balance = latest ledger balance, per member
            "select 'balance '||h.ID from huiyuan h join huiyuanyuebiandong y on y.ID=(select max(ID) from huiyuanyuebiandong "
            "where huiyuanid=h.ID) where abs(h.shengyujine-y.dangshikaneiyue)>0.005",
            // uses left = latest ledger count of the item
            "select 'uses '||t.huiyuanID||'/'||t.xiangmuID from huiyuantaocan t join huiyuanyuebiandong y on y.ID=(select max(ID) "
            "from huiyuanyuebiandong where huiyuanid=t.huiyuanID and xiangmumingchen=t.xiangmuID) "
            "where abs(t.shengyucishu-y.dangshikaneicishu)>0.005",
            // one points row per sale (the shop starts with one)
            "select 'points rows' where (select count(*) from huiyuanjifen)-1<>"
            "(select count(distinct ID) from huiyuanxiaofei where ID like 'xf_%')",
            // a sale has its lines and its lines have their sale
            "select 'sale without lines '||ID from huiyuanxiaofei where ID like 'xf_%' and ID not in (select ID from xiaofeimingxi)",
            "select 'lines without sale '||ID from xiaofeimingxi where ID not in (select ID from huiyuanxiaofei)",
            "select 'commission without sale '||xiaofeiID from tichengmingxi where xiaofeiID like 'xf_%' "
            "and xiaofeiID not in (select ID from huiyuanxiaofei)",
            // a product sold left the stock in the same sale
            "select 'stock row without sale '||rukuID from chanpinrukumingxi where rukuID like 'xf_%' "
            "and rukuID not in (select ID from huiyuanxiaofei)",
            // a top-up has exactly its one ledger row, a renewal its rows, and no ledger row lacks its payment
            "select 'top-up ledger '||ID from huiyuanjiaofei where ID like 'CZ%' and "
            "(select count(*) from huiyuanyuebiandong where beizhu='充值单：'||huiyuanjiaofei.ID)<>1",
            "select 'renewal ledger '||ID from huiyuanjiaofei where ID like 'tcxf%' and "
            "(select count(*) from huiyuanyuebiandong where beizhu like '%'||huiyuanjiaofei.ID)=0",
            "select 'orphan ledger '||beizhu from huiyuanyuebiandong where (beizhu like '%CZ%' or beizhu like '%tcxf%') "
            "and length(beizhu)>20 and substr(beizhu,5) not in (select ID from huiyuanjiaofei)",
            // one log row per sale
            "select 'sale log' where (select count(*) from log where log like '增加会员消费%')<>"
            "(select count(distinct ID) from huiyuanxiaofei where ID like 'xf_%')",
        };
        for (const QString &sql : checks)
            bad << column(db, sql);
        const QStringList ids = column(db, "select ID from huiyuanxiaofei union select ID from huiyuanjiaofei");
        const QSet<QString> docs(ids.begin(), ids.end());
        for (const QString &doc : confirmed)
            if (!docs.contains(doc))
                bad << "confirmed but lost: " + doc;
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("check"));
    return bad;
}

// The documents the child confirmed ("sale ID", "topup ID", "renewal ID"
// lines), appended to confirmed; returns how many.
inline int readConfirmed(const QByteArray &output, QStringList *confirmed)
{
    int n = 0;
    for (const QByteArray &line : output.split('\n')) {
        const QList<QByteArray> words = line.trimmed().split(' ');
        if (words.size() == 2 && (words[0] == "sale" || words[0] == "topup" || words[0] == "renewal")) {
            *confirmed << QString::fromLatin1(words[1]);
            ++n;
        }
    }
    return n;
}
} // namespace crash_checks

#endif
