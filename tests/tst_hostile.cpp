#include <QtTest>
#include <QComboBox>
#include <QLineEdit>
#include <QTextEdit>
#include <QSqlQuery>
#include <QSqlRecord>

#include "addchanpindlg.h"
#include "addfuwuxiangmudlg.h"
#include "addhuiyuandlg.h"
#include "addhuiyuankadlg.h"
#include "adduserdlg.h"
#include "cardupgrade.h"
#include "pointsredemption.h"
#include "textlimits.h"
#include "visitnotes.h"
#include "vouchers.h"
#include "addyuangongdlg.h"
#include "enginedriver.h"
#include "mainwindow.h"
#include "operatorsession.h"
#include "testsupport.h"

// Every text field of the edit dialogs takes hostile text: nothing crashes, no
// statement fails, and the text is stored exactly as typed.
class TestHostile : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void textsAreStoredAsTyped_data();
    void textsAreStoredAsTyped();
    void writersBoundTheirTexts();
};

namespace {
QStringList g_sqlFailures;
QtMessageHandler g_previous = nullptr;

void catchSqlFailures(QtMsgType type, const QMessageLogContext &context, const QString &msg)
{
    if (type >= QtWarningMsg && context.category && QByteArray(context.category) == "mochen.sql")
        g_sqlFailures << msg;
    if (g_previous)
        g_previous(type, context, msg);
}

struct Field
{
    const char *name;
    bool key;           // a code that must differ between saves
    bool trims = false; // codes and names are kept without surrounding blanks
};

struct DialogCase
{
    QString table;
    QList<Field> texts;
    std::function<void(QWidget *)> baseline;        // valid values in every field
    std::function<QDialog *(MainWindow &)> open;     // constructed, set up and shown
};

void put(QWidget *dlg, const char *name, const QString &text)
{
    if (auto *e = dlg->findChild<QLineEdit *>(name))
        e->setText(text);
    else if (auto *t = dlg->findChild<QTextEdit *>(name))
        t->setPlainText(text);
    else
        QFAIL(name);
}

template <typename Dlg> Dlg *connected(MainWindow &main, Dlg *dlg)
{
    QObject::connect(dlg, &Dlg::DlgSend, &main, &MainWindow::DlgRecv);
    return dlg;
}

QMap<QString, DialogCase> cases()
{
    QMap<QString, DialogCase> c;
    c["员工"] = {"yuangong", {{"lineEdit", true, true}, {"lineEdit_2", false, true}, {"lineEdit_3", false, true}, {"textEdit", false}},
                [](QWidget *d) {
                    put(d, "lineEdit", "E1");
                    put(d, "lineEdit_2", "张三");
                    put(d, "lineEdit_3", "13800000000");
                    put(d, "textEdit", "");
                },
                [](MainWindow &m) -> QDialog * {
                    auto *d = connected(m, new addyuangongDlg);
                    d->setData(1, {});
                    return d;
                }};
    c["会员卡"] = {"huiyuanka", {{"lineEdit", true, true}, {"textEdit", false}},
                 [](QWidget *d) {
                     put(d, "lineEdit", "金卡");
                     put(d, "lineEdit_2", "500");
                     put(d, "lineEdit_3", "400");
                     put(d, "textEdit", "");
                 },
                 [](MainWindow &m) -> QDialog * {
                     auto *d = connected(m, new addhuiyuankaDlg);
                     d->setup(1, {});
                     return d;
                 }};
    c["服务项目"] = {"fuwuxiangmu", {{"lineEdit", true, true}, {"lineEdit_2", false, true}, {"lineEdit_9", false}},
                   [](QWidget *d) {
                       put(d, "lineEdit", "S1");
                       put(d, "lineEdit_2", "洗剪吹");
                       for (const char *n : {"lineEdit_3", "lineEdit_4", "lineEdit_5", "lineEdit_6", "lineEdit_7", "lineEdit_8"})
                           put(d, n, "10");
                       put(d, "lineEdit_9", "");
                   },
                   [](MainWindow &m) -> QDialog * {
                       auto *d = connected(m, new addfuwuxiangmuDlg);
                       d->setData(1, {});
                       return d;
                   }};
    c["产品"] = {"chanpin",
               {{"lineEdit", true, true}, {"lineEdit_2", false, true}, {"lineEdit_3", false, true}, {"lineEdit_4", false, true},
                {"lineEdit_8", false}},
               [](QWidget *d) {
                   put(d, "lineEdit", "P1");
                   put(d, "lineEdit_2", "洗发水");
                   put(d, "lineEdit_3", "690001");
                   put(d, "lineEdit_4", "500ml");
                   for (const char *n : {"lineEdit_5", "lineEdit_6", "lineEdit_7"})
                       put(d, n, "20");
                   put(d, "lineEdit_8", "");
               },
               [](MainWindow &m) -> QDialog * {
                   auto *d = connected(m, new addchanpinDlg);
                   d->setData(1, {});
                   return d;
               }};
    c["操作员"] = {"user", {{"lineEdit", true, true}},
                 [](QWidget *d) {
                     put(d, "lineEdit", "cashier");
                     put(d, "lineEdit_2", "pw1234");
                     put(d, "lineEdit_3", "0.8");
                     put(d, "lineEdit_4", "100");
                 },
                 [](MainWindow &m) -> QDialog * {
                     auto *d = connected(m, new addUserDlg);
                     d->setData(1, {});
                     return d;
                 }};
    c["会员资料"] = {"huiyuan",
                   {{"lineEdit_2", false, true}, {"lineEdit_3", false}, {"lineEdit_6", false}, {"lineEdit_7", false},
                    {"lineEdit_8", false}, {"lineEdit_9", false}, {"lineEdit_10", false}, {"textEdit", false}},
                   [](QWidget *d) { put(d, "lineEdit_2", "王五"); },
                   [](MainWindow &m) -> QDialog * {
                       auto *d = connected(m, new addhuiyuandlg);
                       const QStringList row = sqlRows(
                           "select ID,name,sex,birthday,phone,daoqi_time,login_time,height,age,within_code,guwenrenyuan,"
                           "address,jieshaoren,type,shengyujine,jifen,jiaofeijinE,beizhu from huiyuan where ID='1001'").value(0);
                       d->setup(2, row);
                       return d;
                   }};
    return c;
}

const QStringList kHostile = {
    "'", "\\", "--", "%", "_", "'; drop table huiyuan; --", "O'Brien\\n", "😀表情", "  前后空格  ", "a\"b", "100%_off",
};
} // namespace

void TestHostile::initTestCase()
{
    g_previous = qInstallMessageHandler(catchSqlFailures);
}

void TestHostile::textsAreStoredAsTyped_data()
{
    QTest::addColumn<QString>("dialog");
    for (const QString &name : cases().keys())
        QTest::newRow(qPrintable(name)) << name;
}

void TestHostile::textsAreStoredAsTyped()
{
    QFETCH(QString, dialog);
    const DialogCase dc = cases().value(dialog);
    TestWorkdir wd;
    operatorSession().loginName = "admin";
    operatorSession().name = "admin";
    operatorSession().xitongshezhi = "是";
    sqlExec("insert into leibie(mingchen,leibiestr,beizhu) values('发型师','员工类别',''),('美发','项目类型',''),"
            "('洗护','产品类型',''),('瓶','产品单位','')");
    sqlExec("insert into huiyuanka(name,kaneijine,jiage,fuwuzekou,chanpinzekou,taocanzekou,beizhu) values('普通卡',0,0,1,1,1,'')");
    sqlExec("insert into huiyuan(ID,name,sex,birthday,phone,daoqi_time,login_time,type,shengyujine,jifen,jiaofeijinE) "
            "values('1001','王五','男','1990-01-01','139','2030-01-01','2026-01-01 10:00:00','普通卡',0,0,0)");
    PromptRecorder prompts;
    MainWindow main;

    QStringList texts = kHostile;
    texts << QString(28, QChar(0x957F)); // with a key's two digits, as long as a name may be
    int saved = 0;
    const QString table = EngineDriver::current().quotedName(dc.table); // "user" on the server
    for (const Field &field : dc.texts) {
        // Far too long for any column: refused with a word, and nothing written.
        {
            prompts.clear();
            const QString before = sqlValue("select count(*) from " + table);
            std::unique_ptr<QDialog> dlg(dc.open(main));
            dlg->show();
            dc.baseline(dlg.get());
            put(dlg.get(), field.name, QString(5000, QChar(0x957F)));
            clickButton(dlg.get(), "toolButton");
            const QString where = QStringLiteral("%1 %2 = 5000 characters").arg(dialog, field.name);
            QVERIFY2(!prompts.texts().filter("不能超过").isEmpty(), qPrintable(where + " : " + prompts.texts().join(" | ")));
            QVERIFY2(prompts.texts().filter("保存成功").isEmpty(), qPrintable(where));
            QCOMPARE(sqlValue("select count(*) from " + table), before);
            QSqlQuery q;
            QVERIFY(q.exec("select * from " + table));
            while (q.next())
                for (int c = 0; c < q.record().count(); ++c)
                    QVERIFY2(q.value(c).toString().size() < 5000, qPrintable(where + " was written after all"));
        }
        for (int i = 0; i < texts.size(); ++i) {
            const QString typed = field.key ? texts[i] + QString::number(i) : texts[i];
            g_sqlFailures.clear();
            prompts.clear();
            std::unique_ptr<QDialog> dlg(dc.open(main));
            dlg->show();
            dc.baseline(dlg.get());
            put(dlg.get(), field.name, typed);
            clickButton(dlg.get(), "toolButton");
            const QString where = QStringLiteral("%1 %2 = %3").arg(dialog, field.name, typed.left(30));
            QVERIFY2(g_sqlFailures.isEmpty(), qPrintable(where + " : " + g_sqlFailures.join(" | ")));
            const QStringList said = prompts.texts().filter(QRegularExpression("^(?!保存成功)"));
            QVERIFY2(said.isEmpty(), qPrintable(where + " : " + said.join(" | ")));
            // Some column of the table holds the text exactly as typed.
            QSqlQuery q;
            QVERIFY(q.exec("select * from " + table));
            bool found = false;
            while (q.next() && !found)
                for (int c = 0; c < q.record().count() && !found; ++c)
                    found = q.value(c).toString() == typed
                            || (field.trims && q.value(c).toString() == typed.trimmed());
            QVERIFY2(found, qPrintable(where + " was not stored as typed"));
            ++saved;
            if (dc.table != "huiyuan")
                sqlExec("delete from " + table + " where rowid=(select max(rowid) from " + table + ")");
        }
    }
    QCOMPARE(sqlValue("select count(*) from huiyuan"), QString("1")); // still there after every "drop table"
    qInfo("%d hostile saves", saved);
}

// The writers of the member's life bound what a person types as the windows'
// writers do: one character beyond the bound is refused with its caption and
// writes nothing; at the bound the length is no reason to refuse.
void TestHostile::writersBoundTheirTexts()
{
    TestWorkdir wd;
    sqlExec("insert into huiyuan(ID,name,sex,birthday,phone,daoqi_time,login_time,type,shengyujine,jifen,jiaofeijinE) "
            "values('1001','王五','男','1990-01-01','139','2030-01-01','2026-01-01 10:00:00','普通卡',0,0,0)");
    const auto text = [](int n) { return QString(n, QChar(0x5B57)); };
    const auto written = [] {
        QStringList n;
        for (const char *t : {"gukedangan", "daijinquan", "daijinquanbiandong", "huiyuankabiandong", "jifenjiangli",
                              "huiyuanjiaofei", "log"})
            n << sqlValue(QStringLiteral("select count(*) from %1").arg(QLatin1String(t)));
        return n.join(QLatin1Char('|'));
    };
    using Attempt = std::function<LedgerResult(int over)>;
    const QList<QPair<QString, Attempt>> attempts = {
        {"备注不能超过1000个字，档案未保存",
         [&](int over) {
             VisitNote n;
             n.memberId = "1001";
             n.date = "2026-01-02";
             n.service = "烫发";
             n.remark = text(TextLimits::kNote + over);
             n.operatorName = "admin";
             return VisitNotes::save(n);
         }},
        {"备注不能超过200个字，本次操作未保存",
         [&](int over) {
             CardUpgrade u;
             u.memberId = "1001";
             u.fromType = "普通卡";
             u.newType = "金卡";
             u.method = "现金";
             u.remark = text(TextLimits::kRemark + over);
             u.operatorName = "admin";
             return CardUpgrades::upgrade(u);
         }},
        {"券号前缀不能超过30个字，本次操作未保存",
         [&](int over) {
             VoucherBatch b;
             b.prefix = text(TextLimits::kName + over);
             b.valueCents = 5000;
             b.validUntil = QDate::currentDate().addDays(30);
             b.operatorName = "admin";
             return Vouchers::issue(b);
         }},
        {"作废原因不能超过100个字，本次操作未保存",
         [&](int over) { return Vouchers::voidVoucher("DJ0001", text(TextLimits::kReason + over), "admin"); }},
        {"名称不能超过30个字，本次操作未保存",
         [&](int over) {
             Reward w;
             w.id = "R1";
             w.name = text(TextLimits::kName + over);
             w.kind = "储值";
             w.amount = 1000;
             w.points = 100;
             return PointsRedemption::saveReward(w, "admin");
         }},
    };
    for (const auto &a : attempts) {
        const QString before = written();
        const LedgerResult beyond = a.second(1);
        QVERIFY(!beyond.ok);
        QCOMPARE(beyond.error, a.first);
        QCOMPARE(written(), before);
        const LedgerResult at = a.second(0);
        QVERIFY2(!at.error.contains(QStringLiteral("不能超过")), qPrintable(at.error));
    }
}

QTEST_MAIN(TestHostile)
#include "tst_hostile.moc"
