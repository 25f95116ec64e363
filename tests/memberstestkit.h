#ifndef MEMBERSTESTKIT_H
#define MEMBERSTESTKIT_H

// Shared by the members test programs: a stand-in for the main window's
// request dispatch, a small shop to work on, and table snapshots.

#include <QObject>
#include <QStringList>
#include <QVariant>

#include "ctrluiclass.h"
#include "dbrecords.h"
#include "tableregistry.h"
#include "testsupport.h"

// The members tests' name for the shared dispatch (testsupport.h).
using DispatchStub = TestDispatch;

// Employees, service items, two packages, card types and a commission rule.
inline void seedShop()
{
    sqlExec(QStringLiteral("insert into yuangong(ID,name,type,phone,jinyong,beizhu) values "
                           "('A01','王美发','发型师','','否',''),('7','李助理','助理','','否','')"));
    sqlExec(QStringLiteral("insert into fuwuxiangmu(ID,name,leibie,xiaoshoujiage,jinyong) values "
                           "('X1','洗发','洗护',30,'否'),('X2','护理','洗护',80,'否'),"
                           "('X3','剪发','造型',50,'否')"));
    sqlExec(QStringLiteral(
        "insert into taocanmingxi(taocanID,name,youxiaoqi,zongjia,xiangmuID,yuanjia,fuwucishu,youhuijiage,heji,zhouqi,beizhu) values "
        "('T1','洗护套餐','365',300,'X1',30,10,20,200,0,''),"
        "('T1','洗护套餐','365',300,'X2',80,2,50,100,0,''),"
        "('T2','剪发卡','365',400,'X3',50,10,40,400,0,'')"));
    sqlExec(QStringLiteral(
        "insert into huiyuanka(name,kaneijine,jiage,fuwuzekou,chanpinzekou,taocanzekou,beizhu) values "
        "('金卡',500,400,0.8,0.9,1,''),('银卡',1000,1000,0.95,1,1,'')"));
    sqlExec(QStringLiteral(
        "insert into tichengshezhi(xiangmuID,xiangmuleixing,yuangongleixing,tichengfangshi,jisuanfanshi,tichengbili,tichengjiner) values "
        "('T1','套餐','发型师','轮单提成','按比例提成',10,0),('X1','服务项目','发型师','轮单提成','按固定金额提成',0,5),"
        "('金卡','会员卡','发型师','轮单提成','按比例提成',10,0)"));
}

// Members 1..n with a balance and a ledger that explains it.
inline void seedMembers(int n, double balance = 0)
{
    for (int i = 1; i <= n; ++i) {
        sqlExec(QStringLiteral("insert into huiyuan(ID,name,sex,phone,type,shengyujine,jifen) values "
                               "('%1','会员%1','女','1380000000%1','金卡',%2,0)")
                    .arg(i)
                    .arg(balance));
        if (balance != 0)
            sqlExec(QStringLiteral(
                        "insert into huiyuanyuebiandong(huiyuanid,biandongriqi,biandongleixing,xiangmumingchen,"
                        "yuezengjia,yuejianshao,cishuzengjia,cishujianshao,dangshikaneiyue,dangshikaneicishu,caozuoyuan,beizhu) "
                        "values('%1','2026-01-01 10:00:00','会员办卡','',%2,0,0,0,%2,0,'admin','')")
                        .arg(i)
                        .arg(balance));
    }
}

// Every row of the tables a money operation writes, for before/after comparison.
inline QList<QStringList> moneySnapshot()
{
    QList<QStringList> all;
    for (const char *t : {"huiyuan", "huiyuanjiaofei", "huiyuantaocan", "huiyuanyuebiandong",
                          "tichengmingxi", "log"}) {
        all << QStringList{QString::fromLatin1(t)};
        all += sqlRows(QStringLiteral("select * from ") + QLatin1String(t) + QStringLiteral(" order by rowid"));
    }
    return all;
}

// The latest ledger row explains the balance.
inline bool ledgerAgrees(const QString &memberId)
{
    const QString balance = sqlValue(QStringLiteral("select coalesce(shengyujine,0) from huiyuan where ID='%1'").arg(memberId));
    const QString ledger = sqlValue(QStringLiteral(
        "select dangshikaneiyue from huiyuanyuebiandong where huiyuanid='%1' order by ID desc limit 1").arg(memberId));
    return !ledger.isEmpty() && qAbs(balance.toDouble() - ledger.toDouble()) < 0.001;
}

// Makes every insert into a table fail, to force a failure mid-operation.
inline void breakTable(const QString &table)
{
    refuseRows(QStringLiteral("break_%1").arg(table), QStringLiteral("BEFORE INSERT"), table, QStringLiteral("forced"));
}

#endif
