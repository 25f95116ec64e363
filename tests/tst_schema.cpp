#include <QtTest>
#include <QSqlDatabase>

#include "ctrluiclass.h"
#include "sqlstatements.h"
#include "dbsetconfig.h"
#include "enginedriver.h"
#include "tableregistry.h"
#include "testsupport.h"
#include "transactionscope.h"

// The shipped dbset.xml creates every table the program reads and writes.
class TestSchema : public QObject
{
    Q_OBJECT
private slots:
    void tablesAndColumns_data();
    void tablesAndColumns();
    void genericInsertOrders();
    void secondStartIsHarmless();
    void moneyStaysRealInTheFile();
    void listsOfTheConfiguration();
};

// In lower case: the server folds the names it was given unquoted.
static QStringList columnsOf(const QString &table)
{
    return EngineDriver::current().columns(QSqlDatabase::database(), table);
}

void TestSchema::tablesAndColumns_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("columns"); // the columns every part of the program names
    QTest::newRow("huiyuan") << "huiyuan" << "ID,name,sex,birthday,phone,daoqi_time,login_time,password1,password2,height,age,within_code,guwenrenyuan,address,jieshaoren,beizhu,type,jiaofeijinE,shengyujine,jifen";
    QTest::newRow("huiyuanka") << "huiyuanka" << "ID,name,kaneijine,jiage,fuwuzekou,chanpinzekou,taocanzekou,beizhu";
    QTest::newRow("huiyuantaocan") << "huiyuantaocan" << "huiyuanID,xiangmuID,zongcishu,shengyucishu,xiaofeicishu";
    QTest::newRow("huiyuanjiaofei") << "huiyuanjiaofei" << "ID,huiyuanid,jiaofeiriqi,jiaofeileixing,shifujine,fukuanleixing,yuangongName,caozuoyuan";
    QTest::newRow("huiyuanyuebiandong") << "huiyuanyuebiandong" << "ID,huiyuanid,biandongriqi,biandongleixing,xiangmumingchen,yuezengjia,yuejianshao,cishuzengjia,cishujianshao,dangshikaneiyue,dangshikaneicishu,caozuoyuan,beizhu";
    QTest::newRow("huiyuanjifen") << "huiyuanjifen" << "ID,huiyuanid,biandongriqi,biandongleixing,jifenzengjia,jifenjianshao,shengyujifen,caozuoyuan,beizhu";
    QTest::newRow("huiyuanxiaofei") << "huiyuanxiaofei" << "ID,huiyuanid,xiaofeiriqi,shishoujine,fukuanfangshi,jine,xiaofeijine,yingshoujine,qiandanjine,qiankuanjine,shengyujine,suodejifen,caozuoyuan,beizhu";
    const QString lines = "ID,xiaofeileixing,xiangmuID,name,xiaoshoujiage,youhuijiage,shuliang,jine,jifen,fukuanfangshi,tichengyuangongID,fuwugonghao,beizhu";
    QTest::newRow("xiaofeimingxi") << "xiaofeimingxi" << lines;
    QTest::newRow("tempxiaofeimingxi") << "tempxiaofeimingxi" << lines;
    const QString commission = "yuangongID,xiangmuID,xiangmumingcheng,xiaofeiID,tichengfangshi,jisuanfangshi,tichengbili,tichengjine,beizhu,titleID";
    QTest::newRow("tichengmingxi") << "tichengmingxi" << commission;
    QTest::newRow("temptichengmingxi") << "temptichengmingxi" << commission;
    QTest::newRow("fuwuxiangmu") << "fuwuxiangmu" << "ID,name,leibie,fuwushijian,xiaoshoujiage,chengbenjiage,dijia,shijiaxiangmu,shifouhuifan,huifangshijian,shifouyouhulizhouqi,zhouqi,beizhu,jinyong";
    QTest::newRow("chanpin") << "chanpin" << "ID,name,tiaoma,leibie,danwei,guige,jinhuojiage,xiaoshoujiage,dijia,shijiashangpin,beizhu";
    QTest::newRow("chanpinrukumingxi") << "chanpinrukumingxi" << "rukuID,time,type,chanpinID,xiaoshoujiage,shuliang,jine,rukutype,user,beizhu";
    QTest::newRow("taocanmingxi") << "taocanmingxi" << "taocanID,name,youxiaoqi,zongjia,xiangmuID,yuanjia,fuwucishu,youhuijiage,heji,zhouqi,beizhu";
    QTest::newRow("leibie") << "leibie" << "ID,mingchen,leibiestr,beizhu";
    QTest::newRow("yuangong") << "yuangong" << "ID,name,type,phone,jinyong,beizhu";
    QTest::newRow("user") << "user" << "ID,name,password,zuidizekou,qiandanjine,xiugaixiaoshoudanjia,xiugaibankajiage,tupodijia,xiugaitaocanxiaofeicishu,xitongshezhi,jinyong";
    const QString rules = "xiangmuID,xiangmuleixing,yuangongleixing,tichengfangshi,jisuanfanshi,tichengbili,tichengjiner";
    QTest::newRow("tichengshezhi") << "tichengshezhi" << rules;
    QTest::newRow("temptichengshezhi") << "temptichengshezhi" << rules;
    QTest::newRow("cuxiaoshezhi") << "cuxiaoshezhi" << "xiangmuID,xiangmuleixing,starttime,endtime,huiyuanleixing,cuxiaofangshi,cuxiaobili,cuxiaojiner";
    QTest::newRow("tempcuxiaoshezhi") << "tempcuxiaoshezhi" << "xiangmuID,xiangmuleixing,huiyuanleixing,cuxiaofangshi,cuxiaobili,cuxiaojiner";
    QTest::newRow("cuxiao") << "cuxiao" << "xiangmuID,xiangmumingcheng,huiyuanleixing,xiaoshoujiage,youhuifangshi,youhuizekou,zuizhongjiage";
    QTest::newRow("log") << "log" << "time,user,log";
    QTest::newRow("jiaoban") << "jiaoban" << "jiaobanID,user,starttime,endtime,shijishouru,xunishouru";
    QTest::newRow("jiaobanmingxi") << "jiaobanmingxi" << "jiaobanID,user,fukuanfangshi,jine";
    QTest::newRow("tempjiaoban") << "tempjiaoban" << "jiaobanID,user,starttime,endtime,shijishouru,xunishouru";
    QTest::newRow("tempjiaobanmingxi") << "tempjiaobanmingxi" << "jiaobanID,user,fukuanfangshi,jine";
    QTest::newRow("temphuiyuantaocanxiaofei") << "temphuiyuantaocanxiaofei" << "huiyuanID,xiangmuID,zongcishu,shengyucishu,xiaofeicishu,bencixiaofeicishu";
    QTest::newRow("temphuiyuantaocan") << "temphuiyuantaocan" << "huiyuanID,xiangmuID,xiangmuname,yuanjia,shengyucishu,youhui,heji,bencishu,shishou,zongcishu,xiaofeicishu";
    QTest::newRow("temptaocanxiangmuliebiao") << "temptaocanxiangmuliebiao" << "xiangmuID";
    const QString list = "xiangmuID,xiangmuming,xiaoshoujiage,chengbenjiage,type,beizhu";
    for (const char *t : {"temptichengliebiao", "temptichengliebiao2", "tempcuxiaoliebiao", "tempcuxiaoliebiao2"})
        QTest::newRow(t) << t << list;
    QTest::newRow("tempzonghetongji") << "tempzonghetongji" << "fukuanfangshi,jine";
    QTest::newRow("tempshouyinmingxi") << "tempshouyinmingxi" << "jiluID,time,shouyinleibie,fukuanfangshi,jine,huiyuanID,user";
}

void TestSchema::tablesAndColumns()
{
    QFETCH(QString, table);
    QFETCH(QString, columns);
    TestWorkdir wd;
    const QStringList have = columnsOf(table);
    for (const QString &c : columns.split(','))
        QVERIFY2(have.contains(c.toLower()), qPrintable(table + " lacks " + c));
}

void TestSchema::genericInsertOrders()
{
    TestWorkdir wd;
    TableRegistry reg;
    const QMap<QString, int> sizes = {{"huiyuan", 23}, {"huiyuanjiaofei", 15}, {"huiyuanxiaofei", 13},
                                      {"tichengmingxi", 8}, {"fuwuxiangmu", 14}, {"chanpin", 11},
                                      {"chanpinrukumingxi", 10}, {"taocanmingxi", 11}, {"user", 10},
                                      {"huiyuanka", 7}, {"yuangong", 6}, {"tichengshezhi", 7},
                                      {"temptaocanxiangmuliebiao", 8}};
    for (auto it = sizes.cbegin(); it != sizes.cend(); ++it) {
        const TableEntry *t = reg.find(it.key());
        QVERIFY2(t, qPrintable(it.key()));
        QCOMPARE(t->columns.size(), it.value());
        const QStringList have = columnsOf(it.key());
        for (const QString &c : t->columns)
            QVERIFY2(have.contains(c.toLower()), qPrintable(it.key() + "." + c));
    }
    // The debt repayment record: thirteen values, the last is the remark.
    ctrlUiClass c;
    {
        TransactionScope tx; // a shop table is written inside an operation
        QVERIFY(c.insertRecord(reg.find("huiyuanxiaofei"),
                               {"xf_1", "1001", "2026-01-01 10:00:00", "50", "现金", "50", "0", "0", "0", "0", "0", "0", "会员还款"}));
        QVERIFY(tx.commit());
    }
    QCOMPARE(sqlRows("select shishoujine,beizhu,qiankuanjine from huiyuanxiaofei order by rowid").value(0),
             QStringList({"50", "会员还款", "0"}));
    QCOMPARE(reg.find("huiyuan")->columns.mid(0, 7),
             QStringList({"ID", "name", "sex", "birthday", "phone", "daoqi_time", "login_time"}));
    QCOMPARE(reg.find("huiyuan")->columns.mid(19), QStringList({"jiaofeijinE", reg.find("huiyuan")->columns.at(20), "shengyujine", "jifen"}));
}

// dbset.xml declares money as MONEY; the file keeps the REAL columns every
// earlier version wrote, so that 5 is stored and compared as 5.0 there too.
// Its catalogue is plain SQLite, readable and writable without the program.
void TestSchema::moneyStaysRealInTheFile()
{
    if (EngineDriver::current().isServer())
        QSKIP("the file's own affinity (typeof, sqlite_master); the server's money types are tst_migrate's");
    TestWorkdir wd;
    QCOMPARE(sqlValue("select count(*) from (select sql from sqlite_master union all select sql from sqlite_temp_master) t "
                      "where sql like '%MONEY%'"), QString("0"));
    sqlExec("insert into huiyuan(ID,name,shengyujine,jifen) values('1001','甲',5,2)");
    QCOMPARE(sqlRows("select typeof(shengyujine), typeof(jifen) from huiyuan order by rowid"), (QList<QStringList>{{"real", "real"}}));
    sqlExec("insert into tempxiaofeimingxi(ID,jine,shuliang) values('x',5,1)");
    QCOMPARE(sqlValue("select typeof(jine) from tempxiaofeimingxi order by rowid"), QString("real"));
    // The sqlite3 command line (the owner's check, a member added by hand)
    // knows none of the program's functions: no table, index or trigger of the
    // file may call one (members' numbers are SQLite's own CAST there).
    QCOMPARE(sqlValue("select coalesce(group_concat(name),'') from sqlite_master where type in ('table','index','trigger') "
                      "and (sql like '%mochen\\_int(%' escape '\\' or sql like '%mochen\\_day\\_number(%' escape '\\' "
                      "or sql like '%mochen\\_today(%' escape '\\')"),
             QString());
    QVERIFY(sqlValue("select sql from sqlite_master where name='huiyuan'").contains("GENERATED ALWAYS AS (CAST(ID AS INTEGER))"));
    // The triggers are there and keep the stock.
    sqlExec("insert into chanpinrukumingxi(rukuID,chanpinID,shuliang,jine) values('rk1','P1',2,20)");
    QCOMPARE(sqlRows("select shuliang, jine, typeof(jine) from chanpinkucun order by rowid"), (QList<QStringList>{{"2", "20", "real"}}));
}

void TestSchema::secondStartIsHarmless()
{
    TestWorkdir wd;
    sqlExec("insert into leibie(mingchen,leibiestr,beizhu) values('洗发','项目类型','')");
    sqlExec("insert into huiyuanyuebiandong(huiyuanid,dangshikaneiyue) values('1001',100)");
    createTables();
    createTables();
    QCOMPARE(sqlValue("select count(*) from leibie"), QString("1"));
    QCOMPARE(sqlValue("select count(*) from \"user\""), QString("1")); // admin is added once
    QCOMPARE(sqlValue("select password from \"user\" where name='admin'"), QString("fhjlom"));
    sqlExec("insert into huiyuanyuebiandong(huiyuanid,dangshikaneiyue) values('1001',50)");
    QCOMPARE(sqlValue("select dangshikaneiyue from huiyuanyuebiandong where huiyuanid='1001' order by ID desc LIMIT 1"),
             QString("50"));
    // Every index dbset.xml declares (and drops not again) is there after the second start too.
    static const QRegularExpression index(QStringLiteral("^\\s*(CREATE\\s+(?:UNIQUE\\s+)?INDEX\\s+IF\\s+NOT\\s+EXISTS|DROP\\s+INDEX\\s+IF\\s+EXISTS)\\s+(\\w+)"),
                                          QRegularExpression::CaseInsensitiveOption);
    QSet<QString> declared;
    const DbsetMap map = readDbset();
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        if (it.value().userType() != qMetaTypeId<CreateTableinfo>())
            continue;
        const auto m = index.match(it.value().value<CreateTableinfo>().SqlStr);
        if (m.hasMatch() && m.captured(1).startsWith(QLatin1String("CREATE"), Qt::CaseInsensitive))
            declared << m.captured(2);
    }
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        if (it.value().userType() == qMetaTypeId<CreateTableinfo>())
            if (const auto m = index.match(it.value().value<CreateTableinfo>().SqlStr);
                m.hasMatch() && m.captured(1).startsWith(QLatin1String("DROP"), Qt::CaseInsensitive))
                declared.remove(m.captured(2));
    const int indexes = declared.size();
    QStringList missing;
    for (const QString &name : declared)
        if (!EngineDriver::current().hasIndex(name))
            missing << name;
    QVERIFY(indexes > 10);
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QLatin1Char(' '))));
}

void TestSchema::listsOfTheConfiguration()
{
    TestWorkdir wd;
    const DbsetMap map = readDbset();
    QCOMPARE(dbsetEntry<ComBoxinfo>(map, "时间选择").row_name,
             QStringList({"今天", "昨天", "本周", "上周", "本月", "上月", "本季", "上季", "本年", "上年", "其他"}));
    for (const QString &period : dbsetEntry<ComBoxinfo>(map, "时间选择").row_name) {
        QVariantList bounds;
        QVERIFY(!SqlStatements::periodWhere(period, "time", &bounds).isEmpty());
    }
    const QStringList pay = dbsetEntry<ComBoxinfo>(map, "付款方式").row_name;
    for (const char *m : {"现金", "支付宝", "微信", "刷卡", "储蓄卡", "代金券"})
        QVERIFY(pay.contains(m));
    QCOMPARE(dbsetEntry<ComBoxinfo>(map, "入库类型").row_name.first(), QString("所有类型"));
    QCOMPARE(dbsetEntry<ComBoxinfo>(map, "出库类型").row_name.first(), QString("所有类型"));
    for (const char *name : {"交费类型", "消费类型", "续费方式", "提成类型设置", "促销类型设置"})
        QVERIFY2(dbsetEntry<ComBoxinfo>(map, name).row_name.size() > 1, name);
}

QTEST_MAIN(TestSchema)
#include "tst_schema.moc"
