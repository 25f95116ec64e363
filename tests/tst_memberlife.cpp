// A member's life in the shop: visit notes with their pictures and warnings,
// driven through the real windows, the rows read back.
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QtTest>

#include "addxiaofeidlg.h"
#include "packageexpirydelegate.h"
#include "accountbooks.h"
#include "cardupgrade.h"
#include "chongzhiguizedlg.h"
#include "huiyuankachongchi.h"
#include "topupoffers.h"
#include "ledgersql.h"
#include "meiritixingdlg.h"
#include "memberwriter.h"
#include "packageexpiry.h"
#include "salewriter.h"
#include "refundwriter.h"
#include "taocanyouxiaoqidlg.h"
#include "jifenduihuandlg.h"
#include "pointsredemption.h"
#include "daijinquandlg.h"
#include "daijinquanhaodlg.h"
#include "deskprocess.h"
#include "sqldialect.h"
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include "vouchers.h"
#include "receipt.h"
#include "receipts/receiptlayout.h"
#include "receiptsettings.h"
#include <QTableView>
#include <QSpinBox>
#include <QStatusBar>
#include <QCheckBox>
#include "gukedangandlg.h"
#include "huiyuankashengjidlg.h"
#include "mainwindow.h"
#include "memberstestkit.h"
#include "operatorsession.h"
#include "prompt.h"
#include "passwordhash.h"
#include "visitnotes.h"

namespace {

// The visit notes window as the cashier sees it.
struct NotesScreen
{
    QWidget *d;
    template <typename T> T *w(const char *name) const { return d->findChild<T *>(QLatin1String(name)); }
    void fill(const QString &service, const QString &formula, const QString &warning, const QString &stylist = QString())
    {
        w<QLineEdit>("lineEdit_service")->setText(service);
        w<QPlainTextEdit>("plainTextEdit_formula")->setPlainText(formula);
        w<QLineEdit>("lineEdit_warning")->setText(warning);
        if (!stylist.isEmpty())
            w<QComboBox>("comboBox_employee")->setCurrentText(stylist);
    }
    void save() { clickButton(d, QStringLiteral("toolButton_save")); }
    int notes() const { return w<QTableWidget>("tableWidget_notes")->rowCount(); }
    void choose(int row) { w<QTableWidget>("tableWidget_notes")->selectRow(row); }
    int pictures() const { return w<QListWidget>("listWidget_pictures")->count(); }
    QString warnings() const { return w<QLabel>("label_warnings")->text(); }
    void search(const QString &text)
    {
        w<QLineEdit>("lineEdit_search")->setText(text);
        clickButton(d, QStringLiteral("toolButton_search"));
    }
};

// A picture file of the given size, answered to the next file question.
QString pictureFile(const QTemporaryDir &dir, const QString &name, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(200, 120, 40));
    const QString path = dir.filePath(name);
    image.save(path);
    return path;
}

// The answers to the next file questions, in order; then cancelled.
void answerFile(const QString &path)
{
    static QStringList queue;
    queue << path;
    Prompt::setOpenFileHandler([](QWidget *, const QString &, const QString &, const QString &) {
        return queue.isEmpty() ? QString() : queue.takeFirst();
    });
}

// The card upgrade window as the cashier sees it.
struct UpgradeScreen
{
    huiyuankashengjidlg dlg;
    explicit UpgradeScreen(const QString &memberId)
    {
        dlg.setup(memberId);
        dlg.show();
    }
    QString text(const char *name) const { return dlg.findChild<QLabel *>(QLatin1String(name))->text(); }
    void choose(const QString &type) { dlg.findChild<QComboBox *>(QStringLiteral("comboBox_newType"))->setCurrentText(type); }
    void receive(const QString &amount) { dlg.findChild<QLineEdit *>(QStringLiteral("lineEdit_received"))->setText(amount); }
    void confirm() { clickButton(&dlg, QStringLiteral("toolButton_ok")); }
};

// Members 1 and 2 on 金卡 (400 paid, 500 on the card); 钻石卡 costs 2000 and holds 2500.
void seedUpgradeShop()
{
    seedShop();
    seedMembers(2, 500);
    sqlExec(QStringLiteral("insert into huiyuanka(name,kaneijine,jiage,fuwuzekou,chanpinzekou,taocanzekou,beizhu) "
                           "values('钻石卡',2500,2000,0.7,0.8,0.9,'')"));
    // 店长 holds the settings right and a password of her own: she may authorise.
    sqlExec(QStringLiteral("insert into \"user\"(name,password,xitongshezhi,jinyong) values('店长','%1','是','否'),('小王','','否','否')")
                .arg(PasswordHash::legacyForm(QStringLiteral("boss-2026"))));
}

void saveWashReward(); // R9: one 洗发 (X1) for 100 points

QList<QStringList> upgradeRows()
{
    QList<QStringList> all;
    all += sqlRows(QStringLiteral("select type,shengyujine,jifen from huiyuan order by ID"));
    all += sqlRows(QStringLiteral("select * from huiyuanjiaofei order by rowid"));
    all += sqlRows(QStringLiteral("select * from huiyuankabiandong order by rowid"));
    all += sqlRows(QStringLiteral("select count(*) from huiyuanyuebiandong"));
    return all;
}

} // namespace

class TestMemberLife : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        operatorSession() = OperatorSession();
        operatorSession().loginName = QStringLiteral("小王");
    }
    void visitNoteWrittenChangedSearchedAndDeleted();
    void visitNoteRefusals();
    void warningsAtTheCounterAndTheKey();
    void cardUpgradeByRule_data();
    void cardUpgradeByRule();
    void cardUpgradeDebtDowngradeAndRefusals();
    void cardUpgradeAtTwoDesksLandsOnce();
    void cardUpgradeEarnsCommission();
    void cardUpgradeRefundTakesBackItsPoints();
    void topUpOffersSetAndApplied();
    void packageExpirySetRefusedAndExtended();
    void packageExpiryReminder();
    void pointsRedeemedAndVoided_data();
    void pointsRedeemedAndVoided();
    void pointsAtTwoDesksRedeemedOnce();
    void pointsRedeemedAtTheCounterShowTheNewBalance();
    void vouchersIssuedSoldAndListed();
    void vouchersPayOnceWithTheirRest();
    void racesAtTwoDeskProcesses();
};

void TestMemberLife::visitNoteWrittenChangedSearchedAndDeleted()
{
    TestWorkdir wd;
    PromptRecorder prompts;
    QTemporaryDir files;
    seedShop();
    seedMembers(2);

    gukedangandlg dlg;
    dlg.setup(QStringLiteral("1"), QStringLiteral("会员1"));
    dlg.show();
    NotesScreen s{&dlg};
    QCOMPARE(s.notes(), 0);
    s.fill(QStringLiteral("染发"), QStringLiteral("6/0 + 7/43 1:1，双氧 6%，35分钟"),
           QStringLiteral("对PPD过敏"), QStringLiteral("王美发"));
    s.w<QLineEdit>("lineEdit_products")->setText(QStringLiteral("O'Brien 护色素"));
    // A large photo is kept scaled down; a second one beside it.
    answerFile(pictureFile(files, QStringLiteral("before.jpg"), 3000, 1500));
    s.w<QComboBox>("comboBox_pictureKind")->setCurrentText(QStringLiteral("服务前"));
    clickButton(&dlg, QStringLiteral("toolButton_addPicture"));
    answerFile(pictureFile(files, QStringLiteral("after.png"), 400, 300));
    s.w<QComboBox>("comboBox_pictureKind")->setCurrentText(QStringLiteral("服务后"));
    clickButton(&dlg, QStringLiteral("toolButton_addPicture"));
    QCOMPARE(s.pictures(), 2);
    s.save();
    QVERIFY2(prompts.texts().isEmpty(), qPrintable(prompts.texts().join('\n')));

    const QString id = dlg.currentNoteId();
    QVERIFY(id.startsWith(QLatin1String("DA")));
    QCOMPARE(sqlRows(QStringLiteral("select huiyuanid,yuangongID,fuwuneirong,peifang,chanpin,jinggao,caozuoyuan,xiaofeiID "
                                    "from gukedangan")),
             (QList<QStringList>{{"1", "A01", "染发", "6/0 + 7/43 1:1，双氧 6%，35分钟", "O'Brien 护色素", "对PPD过敏",
                                  "小王", ""}}));
    QCOMPARE(sqlValue(QStringLiteral("select leixing from danjuhao where ID='%1'").arg(id)), QStringLiteral("顾客档案"));
    QCOMPARE(sqlRows(QStringLiteral("select xuhao,leixing,wenjianming from gukedangantupian order by xuhao")),
             (QList<QStringList>{{"1", "服务前", "before.jpg"}, {"2", "服务后", "after.png"}}));
    const QList<VisitPicture> stored = VisitNotes::pictures(id);
    QCOMPARE(stored.size(), 2);
    QImage first;
    QVERIFY(first.loadFromData(stored.first().bytes));
    QCOMPARE(first.size(), QSize(gukedangandlg::kPictureSide, gukedangandlg::kPictureSide / 2));
    QCOMPARE(s.notes(), 1);
    QCOMPARE(s.warnings(), QStringLiteral("注意：对PPD过敏"));
    QCOMPARE(sqlRows(QStringLiteral("select \"user\",log from log")),
             (QList<QStringList>{{"小王", QStringLiteral("增加顾客档案  会员号：1  档案号：") + id}}));

    // A second visit; the list shows the newest first, the warnings of both.
    clickButton(&dlg, QStringLiteral("toolButton_new"));
    QCOMPARE(s.pictures(), 0);
    s.w<QDateEdit>("dateEdit_date")->setDate(QDate::currentDate().addDays(1));
    s.fill(QStringLiteral("护理"), QString(), QStringLiteral("头皮敏感"));
    s.save();
    QCOMPARE(s.notes(), 2);
    QCOMPARE(s.w<QTableWidget>("tableWidget_notes")->item(0, 2)->text(), QStringLiteral("护理"));
    QCOMPARE(VisitNotes::warnings(QStringLiteral("1")), (QStringList{"头皮敏感", "对PPD过敏"}));

    // Changing the first: one picture fewer, the warning lifted.
    s.choose(1);
    QCOMPARE(dlg.currentNoteId(), id);
    QCOMPARE(s.pictures(), 2);
    s.w<QListWidget>("listWidget_pictures")->setCurrentRow(0);
    clickButton(&dlg, QStringLiteral("toolButton_removePicture"));
    s.w<QLineEdit>("lineEdit_warning")->clear();
    s.save();
    QCOMPARE(sqlRows(QStringLiteral("select xuhao,leixing from gukedangantupian")), (QList<QStringList>{{"2", "服务后"}}));
    QCOMPARE(sqlValue(QStringLiteral("select jinggao from gukedangan where ID='%1'").arg(id)), QString());
    QCOMPARE(VisitNotes::warnings(QStringLiteral("1")), (QStringList{"头皮敏感"}));
    QCOMPARE(sqlValue(QStringLiteral("select log from log order by rowid desc LIMIT 1")),
             QStringLiteral("修改顾客档案  会员号：1  档案号：") + id);

    // Searching: by the formula's words, by a quote, by nothing that is there.
    s.search(QStringLiteral("7/43"));
    QCOMPARE(s.notes(), 1);
    s.search(QStringLiteral("O'Brien"));
    QCOMPARE(s.notes(), 1);
    s.search(QStringLiteral("烫发"));
    QCOMPARE(s.notes(), 0);
    QCOMPARE(VisitNotes::find(QString(), QStringLiteral("护理")).size(), 1); // every member's notes
    s.search(QString());

    // Deleting asks first; "否" keeps it, "是" removes it with its pictures.
    s.choose(1);
    prompts.answer(QStringLiteral("否"));
    clickButton(&dlg, QStringLiteral("toolButton_delete"));
    QCOMPARE(sqlValue(QStringLiteral("select count(*) from gukedangan")), QStringLiteral("2"));
    prompts.answer(QStringLiteral("是"));
    clickButton(&dlg, QStringLiteral("toolButton_delete"));
    QCOMPARE(sqlValue(QStringLiteral("select count(*) from gukedangan")), QStringLiteral("1"));
    QCOMPARE(sqlValue(QStringLiteral("select count(*) from gukedangantupian")), QStringLiteral("0"));
    QCOMPARE(sqlValue(QStringLiteral("select log from log order by rowid desc LIMIT 1")),
             QStringLiteral("删除顾客档案  会员号：1  档案号：") + id);
    QCOMPARE(s.notes(), 1);
}

void TestMemberLife::visitNoteRefusals()
{
    TestWorkdir wd;
    PromptRecorder prompts;
    QTemporaryDir files;
    seedShop();
    seedMembers(1);
    gukedangandlg dlg;
    dlg.setup(QStringLiteral("1"), QStringLiteral("会员1"));
    NotesScreen s{&dlg};

    // Nothing written: an empty note, a file that is no picture.
    s.save();
    QCOMPARE(prompts.last(), QStringLiteral("请填写服务内容、配方、使用产品或注意事项"));
    QFile text(files.filePath(QStringLiteral("notes.jpg")));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("not a picture");
    text.close();
    answerFile(text.fileName());
    clickButton(&dlg, QStringLiteral("toolButton_addPicture"));
    QCOMPARE(prompts.last(), QStringLiteral("无法读取图片“notes.jpg”，请选择 JPG、PNG 或 BMP 图片"));
    QCOMPARE(s.pictures(), 0);
    QCOMPARE(sqlValue(QStringLiteral("select count(*) from gukedangan")), QStringLiteral("0"));

    // Another desk deleted the note while it was open here: the change is
    // refused, not written as a note of nobody's.
    s.fill(QStringLiteral("剪发"), QString(), QString());
    s.save();
    const QString id = dlg.currentNoteId();
    {
        const LedgerResult gone = VisitNotes::remove(id, QStringLiteral("小李"));
        QVERIFY(gone.ok);
    }
    s.fill(QStringLiteral("剪发+修眉"), QString(), QString());
    answerFile(pictureFile(files, QStringLiteral("a.png"), 50, 50));
    clickButton(&dlg, QStringLiteral("toolButton_addPicture"));
    s.save();
    QVERIFY(prompts.last().contains(QStringLiteral("可能已被另一台收银机删除")));
    QCOMPARE(sqlValue(QStringLiteral("select count(*) from gukedangan")), QStringLiteral("0"));
    QCOMPARE(sqlValue(QStringLiteral("select count(*) from gukedangantupian")), QStringLiteral("0"));

    // The walk-in customer and a member no longer on file have no notes.
    VisitNote n;
    n.memberId = QStringLiteral("0000");
    n.date = QStringLiteral("2026-05-01");
    n.service = QStringLiteral("剪发");
    QVERIFY(!VisitNotes::save(n).ok);
    n.memberId = QStringLiteral("99");
    QCOMPARE(VisitNotes::save(n).error, QStringLiteral("找不到该会员，可能已被删除"));
    QCOMPARE(sqlValue(QStringLiteral("select count(*) from gukedangan")), QStringLiteral("0"));
}

void TestMemberLife::warningsAtTheCounterAndTheKey()
{
    TestWorkdir wd;
    PromptRecorder prompts;
    seedShop();
    seedMembers(2, 100);
    VisitNote n;
    n.memberId = QStringLiteral("1");
    n.date = QStringLiteral("2026-05-01");
    n.warning = QStringLiteral("对PPD过敏");
    n.operatorName = QStringLiteral("小王");
    QVERIFY(VisitNotes::save(n).ok);

    {
        AddXiaofeiDlg checkout;
        checkout.setHuiyuanInfo({"1", "会员1", "金卡", "0", "0", "100"});
        auto *label = checkout.findChild<QLabel *>(QStringLiteral("label_visitWarnings"));
        QVERIFY(!label->isHidden());
        QCOMPARE(label->text(), QStringLiteral("⚠ 注意：对PPD过敏"));
    }
    {
        AddXiaofeiDlg checkout;
        checkout.setHuiyuanInfo({"2", "会员2", "金卡", "0", "0", "100"});
        QVERIFY(checkout.findChild<QLabel *>(QStringLiteral("label_visitWarnings"))->isHidden());
    }

    MainWindow w;
    auto *panel = w.findChild<QLabel *>(QStringLiteral("label_visitWarnings"));
    w.findChild<QLineEdit *>(QStringLiteral("lineEdit"))->setText(QStringLiteral("会员1"));
    clickButton(&w, QStringLiteral("toolButton_27"));
    QVERIFY(!panel->isHidden());
    QCOMPARE(panel->text(), QStringLiteral("⚠ 注意：对PPD过敏"));

    // The key opens the member's notes; a note written there shows at once.
    onNextModal([](QWidget *d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("顾客档案"));
        NotesScreen s{d};
        QCOMPARE(s.notes(), 1);
        clickButton(d, QStringLiteral("toolButton_new"));
        s.fill(QStringLiteral("烫发"), QString(), QStringLiteral("孕期"));
        s.save();
        clickButton(d, QStringLiteral("toolButton_close"));
    });
    w.openVisitNotes();
    QCOMPARE(panel->text(), QStringLiteral("⚠ 注意：孕期；对PPD过敏"));

    clickButton(&w, QStringLiteral("toolButton_28")); // 散客
    QVERIFY(panel->isHidden());
    w.openVisitNotes();
    QCOMPARE(prompts.last(), QStringLiteral("请先选择一个会员，散客没有顾客档案"));
}

void TestMemberLife::cardUpgradeByRule_data()
{
    QTest::addColumn<QString>("rule");
    QTest::addColumn<QString>("due");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("bonus");
    QTest::addColumn<QString>("points");
    QTest::newRow("补差价") << QString() << "1600" << "2000" << "400" << "800";
    QTest::newRow("新卡全价") << QStringLiteral("新卡全价") << "2000" << "2500" << "500" << "1000";
}

void TestMemberLife::cardUpgradeByRule()
{
    QFETCH(QString, rule);
    QFETCH(QString, due);
    QFETCH(QString, value);
    QFETCH(QString, bonus);
    QFETCH(QString, points);
    TestWorkdir wd;
    PromptRecorder prompts;
    seedUpgradeShop();
    if (!rule.isEmpty())
        sqlExec(QStringLiteral("insert into dianpushezhi(mingcheng,zhi) values('会员卡升级计价','%1')").arg(rule));

    UpgradeScreen s(QStringLiteral("1"));
    QCOMPARE(s.text("label_oldType"), QStringLiteral("金卡"));
    QCOMPARE(s.text("label_balance"), QStringLiteral("500.00"));
    s.choose(QStringLiteral("钻石卡"));
    // What the member pays and gets is shown before the payment.
    QCOMPARE(s.text("label_rule"), rule.isEmpty() ? QStringLiteral("补差价") : rule);
    QCOMPARE(s.text("label_due"), due + QStringLiteral(".00"));
    QCOMPARE(s.text("label_value"), value + QStringLiteral(".00"));
    QCOMPARE(s.text("label_bonus"), bonus + QStringLiteral(".00"));
    QCOMPARE(s.text("label_discounts"), QStringLiteral("服务 0.7　产品 0.8　套餐 0.9"));
    s.dlg.findChild<QComboBox *>(QStringLiteral("comboBox_method"))->setCurrentText(QStringLiteral("微信"));
    s.confirm();
    QVERIFY2(prompts.texts().isEmpty(), qPrintable(prompts.texts().join('\n')));
    QCOMPARE(s.dlg.result(), int(QDialog::Accepted));
    const QString id = s.dlg.documentId();
    QVERIFY(id.startsWith(QLatin1String("SJ")));

    const QString balance = QString::number(500 + value.toInt());
    QCOMPARE(sqlRows(QStringLiteral("select type,shengyujine,jifen from huiyuan where ID='1'")),
             (QList<QStringList>{{"钻石卡", balance, points}}));
    QCOMPARE(sqlRows(QStringLiteral("select ID,jiaofeileixing,yingjiaojine,shifujine,zengsongjine,kaneijine,qiankuanjine,"
                                    "fukuanleixing,caozuoyuan,beizhu from huiyuanjiaofei")),
             (QList<QStringList>{{id, "会员卡升级", due, due, bonus, value, "0", "微信", "小王", "会员卡升级:金卡→钻石卡"}}));
    QCOMPARE(sqlRows(QStringLiteral("select biandongleixing,yuezengjia,dangshikaneiyue,beizhu from huiyuanyuebiandong "
                                    "where huiyuanid='1' order by ID desc LIMIT 1")),
             (QList<QStringList>{{"会员卡升级", value, balance, QStringLiteral("升级单：") + id}}));
    QCOMPARE(sqlRows(QStringLiteral("select biandongleixing,jifenzengjia,shengyujifen from huiyuanjifen where huiyuanid='1'")),
             (QList<QStringList>{{"会员卡升级", points, points}}));
    QCOMPARE(sqlRows(QStringLiteral("select ID,huiyuanid,jiuka,xinka,guize,yingjiaojine,shifujine,kaneijine,zengsongjine "
                                    "from huiyuankabiandong")),
             (QList<QStringList>{{id, "1", "金卡", "钻石卡", rule.isEmpty() ? "补差价" : rule, due, due, value, bonus}}));
    QCOMPARE(sqlValue(QStringLiteral("select leixing from danjuhao where ID='%1'").arg(id)), QStringLiteral("会员卡升级"));
    QCOMPARE(sqlValue(QStringLiteral("select log from log order by rowid desc LIMIT 1")),
             QStringLiteral("会员卡升级  会员号：1  金卡→钻石卡"));
    // The bonus stays bonus: a refund pays out what was paid, not what was given.
    QCOMPARE(BalanceBook::storedValue(QStringLiteral("1")).bonusCents, qint64(bonus.toInt()) * 100);
    QCOMPARE(CardUpgrades::history(QStringLiteral("1")).size(), 1);
    verifyBooks();
}

void TestMemberLife::cardUpgradeDebtDowngradeAndRefusals()
{
    TestWorkdir wd;
    PromptRecorder prompts;
    seedUpgradeShop();
    const QList<QStringList> before = upgradeRows();

    // Paying less asks about the debt; "否" writes nothing and keeps the window open.
    {
        UpgradeScreen s(QStringLiteral("1"));
        s.choose(QStringLiteral("钻石卡"));
        s.receive(QStringLiteral("1000"));
        prompts.answer(QStringLiteral("否"));
        s.confirm();
        QCOMPARE(prompts.last(), QStringLiteral("欠款金额为：600.00 是否允许欠款?"));
        QVERIFY(s.dlg.isVisible());
        QCOMPARE(upgradeRows(), before);
        s.receive(QStringLiteral("16000"));
        s.confirm();
        QCOMPARE(prompts.last(), QStringLiteral("实际付款金额大于需付金额，请确认"));
        s.receive(QStringLiteral("1000"));
        prompts.answer(QStringLiteral("是"));
        s.confirm();
        QCOMPARE(s.dlg.result(), int(QDialog::Accepted));
    }
    QCOMPARE(sqlValue(QStringLiteral("select qiankuanjine from huiyuanjiaofei")), QStringLiteral("600"));
    QCOMPARE(DebtBook::memberDebt(QStringLiteral("1")), qint64(60000));

    // Back to a cheaper card: refused without the settings right, nothing written.
    const QList<QStringList> upgraded = upgradeRows();
    {
        UpgradeScreen s(QStringLiteral("1"));
        s.choose(QStringLiteral("金卡"));
        QCOMPARE(s.text("label_due"), QStringLiteral("0.00"));
        prompts.answer(QStringLiteral("是"));
        s.confirm();
        QCOMPARE(prompts.last(), QStringLiteral("换成价格更低的会员卡需要系统设置权限"));
        QVERIFY(s.dlg.isVisible());
    }
    QCOMPARE(upgradeRows(), upgraded);
    // With it: the type changes, no money moves, the history keeps both.
    operatorSession().loginName = QStringLiteral("店长");
    {
        UpgradeScreen s(QStringLiteral("1"));
        s.choose(QStringLiteral("金卡"));
        prompts.answer(QStringLiteral("是"));
        s.confirm();
        QCOMPARE(s.dlg.result(), int(QDialog::Accepted));
    }
    QCOMPARE(sqlValue(QStringLiteral("select type from huiyuan where ID='1'")), QStringLiteral("金卡"));
    QCOMPARE(sqlValue(QStringLiteral("select count(*) from huiyuanjiaofei")), QStringLiteral("1"));
    QCOMPARE(sqlValue(QStringLiteral("select shengyujine from huiyuan where ID='1'")), QStringLiteral("2500"));
    QCOMPARE(sqlRows(QStringLiteral("select jiuka,xinka,guize,caozuoyuan from huiyuankabiandong order by rowid")),
             (QList<QStringList>{{"金卡", "钻石卡", "补差价", "小王"}, {"钻石卡", "金卡", "降级", "店长"}}));

    // No upgrade to the card the member holds, or for someone not on file.
    QVERIFY(!CardUpgrades::quote(QStringLiteral("1"), QStringLiteral("金卡")).ok);
    QCOMPARE(CardUpgrades::quote(QStringLiteral("0000"), QStringLiteral("钻石卡")).error,
             QStringLiteral("只能给已登记的会员升级会员卡，请先选择一个会员"));
    verifyBooks();
}

void TestMemberLife::cardUpgradeAtTwoDesksLandsOnce()
{
    TestWorkdir wd;
    PromptRecorder prompts;
    seedUpgradeShop();
    // Two desks open the upgrade of member 2 at once; one confirms first.
    UpgradeScreen first(QStringLiteral("2"));
    UpgradeScreen second(QStringLiteral("2"));
    first.choose(QStringLiteral("钻石卡"));
    second.choose(QStringLiteral("银卡"));
    first.confirm();
    QCOMPARE(first.dlg.result(), int(QDialog::Accepted));
    second.confirm();
    QCOMPARE(prompts.last(), QStringLiteral("该会员的会员卡已被另一台收银机改为“钻石卡”，请重新打开会员卡升级"));
    QVERIFY(second.dlg.isVisible());
    QCOMPARE(sqlValue(QStringLiteral("select type from huiyuan where ID='2'")), QStringLiteral("钻石卡"));
    QCOMPARE(sqlValue(QStringLiteral("select count(*) from huiyuankabiandong")), QStringLiteral("1"));
    QCOMPARE(sqlValue(QStringLiteral("select count(*) from huiyuanjiaofei")), QStringLiteral("1"));

    // A price changed under an open window: the writer's own quote decides.
    UpgradeScreen third(QStringLiteral("1"));
    third.choose(QStringLiteral("钻石卡"));
    sqlExec(QStringLiteral("update huiyuanka set jiage=2100 where name='钻石卡'"));
    third.confirm();
    QCOMPARE(prompts.last(), QStringLiteral("会员卡的价格已经变动，应收 1700.00 元，请重新打开会员卡升级"));
    QCOMPARE(sqlValue(QStringLiteral("select type from huiyuan where ID='1'")), QStringLiteral("金卡"));
    verifyBooks();
}

void TestMemberLife::cardUpgradeEarnsCommission()
{
    TestWorkdir wd;
    PromptRecorder prompts;
    seedUpgradeShop();
    // 钻石卡's rule: 10 % to whoever sells it.
    sqlExec(QStringLiteral("insert into tichengshezhi(xiangmuID,xiangmuleixing,yuangongleixing,tichengfangshi,jisuanfanshi,"
                           "tichengbili,tichengjiner) values('钻石卡','会员卡','所有员工','轮单提成','按比例提成',10,0)"));
    const auto commission = [] {
        return sqlRows(QStringLiteral("select yuangongID,xiangmuID,tichengjine,beizhu from tichengmingxi order by rowid"));
    };
    QString id;
    {
        UpgradeScreen s(QStringLiteral("1"));
        s.choose(QStringLiteral("钻石卡"));
        auto *employee = s.dlg.findChild<QComboBox *>(QStringLiteral("comboBox_employee"));
        employee->setCurrentIndex(employee->findText(QStringLiteral("王美发")));
        QCOMPARE(employee->currentData().toString(), QStringLiteral("A01"));
        s.confirm();
        QCOMPARE(s.dlg.result(), int(QDialog::Accepted));
        id = s.dlg.documentId();
    }
    // On the 1600 paid for the difference, under the upgrade's own number.
    QCOMPARE(commission(), (QList<QStringList>{{"A01", "1", "160", "升级提成"}}));
    QCOMPARE(sqlValue(QStringLiteral("select xiaofeiID from tichengmingxi")), id);
    // Without a seller, or back down to 金卡 (whose issue earns 10 %), nobody earns.
    {
        UpgradeScreen s(QStringLiteral("2"));
        s.choose(QStringLiteral("钻石卡"));
        s.confirm();
    }
    operatorSession().loginName = QStringLiteral("店长");
    {
        UpgradeScreen s(QStringLiteral("2"));
        s.choose(QStringLiteral("金卡"));
        auto *employee = s.dlg.findChild<QComboBox *>(QStringLiteral("comboBox_employee"));
        employee->setCurrentIndex(employee->findText(QStringLiteral("王美发")));
        prompts.answer(QStringLiteral("是"));
        s.confirm();
        QCOMPARE(s.dlg.result(), int(QDialog::Accepted));
    }
    QCOMPARE(commission().size(), 1);

    // A refund of all that was paid takes the commission back with it.
    const StoredValue sv = BalanceBook::storedValue(QStringLiteral("1"));
    QCOMPARE(sv.paidEverCents, qint64(160000));
    const LedgerResult back = RefundWriter::refundBalance(BalanceRefund{
        QStringLiteral("1"), sv.balanceCents, sv.paidEverCents, QStringLiteral("现金"), QStringLiteral("会员退卡"),
        QStringLiteral("店长"), QStringLiteral("店长")});
    QVERIFY2(back.ok, qPrintable(back.error));
    QCOMPARE(sqlRows(QStringLiteral("select xiaofeiID,tichengjine from tichengmingxi order by rowid")),
             (QList<QStringList>{{id, "160"}, {back.documentId, "-160"}}));
    verifyBooks();
}

void TestMemberLife::cardUpgradeRefundTakesBackItsPoints()
{
    TestWorkdir wd;
    PromptRecorder prompts;
    seedUpgradeShop();
    const CardUpgradeQuote q = CardUpgrades::quote(QStringLiteral("1"), QStringLiteral("钻石卡"));
    CardUpgrade u;
    u.memberId = QStringLiteral("1");
    u.fromType = QStringLiteral("金卡");
    u.newType = QStringLiteral("钻石卡");
    u.dueCents = u.receivedCents = q.dueCents;
    u.method = QStringLiteral("现金");
    u.operatorName = QStringLiteral("小王");
    const LedgerResult up = CardUpgrades::upgrade(u);
    QVERIFY2(up.ok, qPrintable(up.error));
    // 1600 paid for the difference earns 800 points.
    QCOMPARE(sqlValue(QStringLiteral("select jifen from huiyuan where ID='1'")), QStringLiteral("800"));
    const auto refund = [](qint64 takenCents, qint64 backCents) {
        const LedgerResult r = RefundWriter::refundBalance(BalanceRefund{
            QStringLiteral("1"), takenCents, backCents, QStringLiteral("现金"), QStringLiteral("会员退卡"),
            QStringLiteral("店长"), QStringLiteral("店长")});
        if (!r.ok)
            qWarning("%s", qPrintable(r.error));
        return r;
    };
    const auto pointsRows = [] {
        return sqlRows(QStringLiteral("select biandongleixing,jifenzengjia,jifenjianshao,shengyujifen from huiyuanjifen "
                                      "order by ID"));
    };

    // Half of what was paid handed back takes half the points back, in the refund's own row.
    const LedgerResult half = refund(80000, 80000);
    QVERIFY(half.ok);
    QCOMPARE(pointsRows(), (QList<QStringList>{{"会员卡升级", "800", "0", "800"}, {"退储值", "0", "400", "400"}}));
    QCOMPARE(sqlValue(QStringLiteral("select beizhu from huiyuanjifen order by ID desc LIMIT 1")),
             QStringLiteral("退款单：") + half.documentId);

    // Points spent since cannot come back: the refund is not refused, it takes what is left.
    saveWashReward();
    QVERIFY(PointsRedemption::redeem(QStringLiteral("1"), QStringLiteral("R9"), 3, QStringLiteral("小王")).ok);
    const qint64 rest = BalanceBook::storedValue(QStringLiteral("1")).balanceCents;
    QVERIFY(refund(rest, 80000).ok);
    QCOMPARE(pointsRows().last(), (QStringList{"退储值", "0", "100", "0"}));
    QCOMPARE(sqlValue(QStringLiteral("select jifen from huiyuan where ID='1'")), QStringLiteral("0"));
    verifyBooks();
}

void TestMemberLife::topUpOffersSetAndApplied()
{
    TestWorkdir wd;
    PromptRecorder prompts;
    seedUpgradeShop();
    DispatchStub main;

    // The rules window: two tiers for 金卡 and one for every other card.
    const auto setRules = [](const QString &card, const QList<QStringList> &tiers) {
        chongzhiguizedlg dlg;
        dlg.setup(card);
        auto *t = dlg.findChild<QTableWidget *>(QStringLiteral("tableWidget_tiers"));
        while (t->rowCount())
            t->removeRow(0);
        for (const QStringList &tier : tiers) {
            clickButton(&dlg, QStringLiteral("toolButton_addTier"));
            for (int c = 0; c < 3; ++c)
                t->item(t->rowCount() - 1, c)->setText(tier.at(c));
        }
        clickButton(&dlg, QStringLiteral("toolButton_save"));
    };
    setRules(QStringLiteral("金卡"), {{"1000", "100", "50"}, {"2000", "300", "0"}});
    QCOMPARE(prompts.last(), QStringLiteral("修改充值规则需要系统设置权限"));
    QCOMPARE(sqlValue(QStringLiteral("select count(*) from chongzhiguize")), QStringLiteral("0"));
    operatorSession().loginName = QStringLiteral("店长");
    setRules(QStringLiteral("金卡"), {{"2000", "300", "0"}, {"1000", "100", "50"}});
    setRules(QStringLiteral("所有会员卡"), {{"500", "20", "0"}});
    setRules(QStringLiteral("银卡"), {{"1000", "-5", "0"}});
    QCOMPARE(prompts.last(), QStringLiteral("第1档的赠送金额不能小于0"));
    QCOMPARE(sqlRows(QStringLiteral("select kaming,chongzhijine,zengsongjine,zengsongjifen,caozuoyuan from chongzhiguize "
                                    "order by kaming,chongzhijine")),
             (QList<QStringList>{{"所有会员卡", "500", "20", "0", "店长"},
                                 {"金卡", "1000", "100", "50", "店长"},
                                 {"金卡", "2000", "300", "0", "店长"}}));
    QCOMPARE(sqlValue(QStringLiteral("select log from log where log like '修改充值规则%' order by rowid LIMIT 1")),
             QStringLiteral("修改充值规则  会员卡：金卡  充2000送300 充1000送100"));

    operatorSession().loginName = QStringLiteral("小王");
    const auto topUp = [&](const QString &member, const QString &paid, const QString &bonus, QString *offer) {
        huiyuankachongchi dlg;
        main.attach(&dlg);
        dlg.setup({member, QStringLiteral("会员") + member, QStringLiteral("500"), QString()});
        dlg.show();
        dlg.findChild<QLineEdit *>(QStringLiteral("lineEdit"))->setText(paid);
        auto *hint = dlg.findChild<QLabel *>(QStringLiteral("label_topUpOffer"));
        *offer = hint->isHidden() ? QString() : hint->text();
        auto *bonusField = dlg.findChild<QLineEdit *>(QStringLiteral("lineEdit_2"));
        const QString proposed = bonusField->text();
        if (!bonus.isNull())
            bonusField->setText(bonus);
        clickButton(&dlg, QStringLiteral("toolButton"));
        return proposed;
    };
    QString offer;
    // The tier reached is proposed and shown before payment.
    QCOMPARE(topUp("1", "1500", QString(), &offer), QStringLiteral("100"));
    QCOMPARE(offer, QStringLiteral("充值优惠：充1000送100，送积分50（赠送可改少，改多需要系统设置权限）"));
    QCOMPARE(sqlRows(QStringLiteral("select jiaofeileixing,yingjiaojine,zengsongjine,kaneijine from huiyuanjiaofei")),
             (QList<QStringList>{{"会员充值", "1500", "100", "1600"}}));
    QCOMPARE(sqlRows(QStringLiteral("select biandongleixing,jifenzengjia,shengyujifen,substr(beizhu,1,6) from huiyuanjifen")),
             (QList<QStringList>{{"充值赠送积分", "50", "50", "充值单：CZ"}}));
    QCOMPARE(sqlValue(QStringLiteral("select shengyujine from huiyuan where ID='1'")), QStringLiteral("2100"));
    QCOMPARE(topUp("1", "2500", QStringLiteral("250"), &offer), QStringLiteral("300")); // less is the cashier's call
    QCOMPARE(sqlValue(QStringLiteral("select zengsongjine from huiyuanjiaofei order by rowid desc LIMIT 1")),
             QStringLiteral("250"));
    QCOMPARE(topUp("1", "800", QString(), &offer), QStringLiteral("0"));
    QCOMPARE(offer, QStringLiteral("充值优惠：未达到充值规则"));

    // More than the tier: refused without the right, nothing written.
    const QList<QStringList> before = moneySnapshot();
    topUp("1", "1000", QStringLiteral("150"), &offer);
    QCOMPARE(prompts.last(), QStringLiteral("按充值规则（充1000送100，送积分50）最多赠送 100.00 元，赠送更多需要系统设置权限"));
    QCOMPARE(moneySnapshot(), before);
    operatorSession().loginName = QStringLiteral("店长");
    topUp("1", "1000", QStringLiteral("150"), &offer);
    QCOMPARE(sqlValue(QStringLiteral("select zengsongjine from huiyuanjiaofei order by rowid desc LIMIT 1")),
             QStringLiteral("150"));

    // A card without tiers of its own takes the shop's.
    sqlExec(QStringLiteral("update huiyuan set type='银卡' where ID='2'"));
    QCOMPARE(TopUpOffers::offerFor(QStringLiteral("2"), 60000).text(), QStringLiteral("充500送20"));
    QCOMPARE(BalanceBook::storedValue(QStringLiteral("1")).bonusCents, qint64(100 + 250 + 150) * 100);
    verifyBooks();
}

namespace {
void clockAt(const QString &when)
{
    // A clock that runs from the given moment, so that document numbers differ.
    const QDateTime t = QDateTime::fromString(when, QStringLiteral("yyyy-MM-dd hh:mm"));
    const QDateTime started = QDateTime::currentDateTime();
    LedgerSql::setClock([t, started] { return t.addMSecs(started.msecsTo(QDateTime::currentDateTime())); });
}

// A sale of one use of the member's package item.
LedgerResult useOne(const QString &memberId, const QString &itemId)
{
    Sale sale;
    sale.memberId = memberId;
    SaleLine use;
    use.key = QStringLiteral("k1");
    use.type = QStringLiteral("套餐消费");
    use.itemId = itemId;
    use.name = itemId;
    use.quantity = 1;
    sale.lines = {use};
    sale.payments = {PaymentPart{QStringLiteral("现金"), 0}};
    sale.lineMethod = QStringLiteral("现金");
    sale.operatorName = QStringLiteral("小王");
    return SaleWriter::commit(sale);
}
} // namespace

void TestMemberLife::packageExpirySetRefusedAndExtended()
{
    TestWorkdir wd;
    PromptRecorder prompts;
    seedUpgradeShop();
    sqlExec(QStringLiteral("update taocanmingxi set youxiaoqi='6个月' where taocanID='T2'"));

    // The card is issued with 洗护套餐 (365 days); later 剪发 uses are bought (6 months).
    clockAt(QStringLiteral("2026-01-10 10:00"));
    CardIssue c;
    c.memberId = QStringLiteral("5");
    c.name = QStringLiteral("会员5");
    c.cardType = QStringLiteral("金卡");
    c.packageId = QStringLiteral("T1");
    c.priceCents = 40000;
    c.receivedCents = 70000;
    c.method = QStringLiteral("现金");
    c.operatorName = QStringLiteral("小王");
    QVERIFY(MemberWriter::issueCard(c).ok);
    clockAt(QStringLiteral("2026-03-01 10:00"));
    Renewal r;
    r.memberId = QStringLiteral("5");
    r.items = {PackageItem{QStringLiteral("X3"), 5}, PackageItem{QStringLiteral("X1"), 2}};
    r.dueCents = 20000;
    r.payments = {PaymentPart{QStringLiteral("现金"), 20000}};
    r.operatorName = QStringLiteral("小王");
    QVERIFY(MemberWriter::renew(r).ok);
    QCOMPARE(sqlRows(QStringLiteral("select xiangmuID,shengyucishu,daoqiriqi from huiyuantaocan where huiyuanID='5' "
                                    "order by xiangmuID")),
             (QList<QStringList>{{"X1", "12", "2027-03-01"}, {"X2", "2", "2027-01-10"}, {"X3", "5", "2026-08-28"}}));

    // After the date a use is refused and nothing is written; before it, it is taken.
    clockAt(QStringLiteral("2027-02-05 10:00"));
    const QList<QStringList> before = moneySnapshot();
    const LedgerResult late = useOne(QStringLiteral("5"), QStringLiteral("X2"));
    QVERIFY(!late.ok);
    QVERIFY2(late.error.contains(QStringLiteral("套餐项目“护理”已于 2027-01-10 到期，不能再使用；如需使用请由店长授权延期")),
             qPrintable(late.error));
    QCOMPARE(moneySnapshot(), before);
    QVERIFY(useOne(QStringLiteral("5"), QStringLiteral("X1")).ok);
    QVERIFY(!useOne(QStringLiteral("5"), QStringLiteral("X3")).ok);

    // The checkout's package tab shows each date and marks the passed ones;
    // choosing one of those says why before any line is added.
    {
        AddXiaofeiDlg checkout;
        checkout.setHuiyuanInfo({"5", "会员5", "金卡", "0", "0", "0"});
        checkout.show();
        auto *packages = checkout.findChild<QTableView *>(QStringLiteral("tableView_3"));
        QMap<QString, QString> shown;
        for (int r = 0; r < packages->model()->rowCount(); ++r) {
            const QModelIndex at = packages->model()->index(r, 5);
            QStyleOptionViewItem o;
            static_cast<PackageExpiryDelegate *>(packages->itemDelegate())->initStyleOption(&o, at);
            shown.insert(packages->model()->index(r, 1).data().toString(), o.text);
            QCOMPARE(o.palette.color(QPalette::Text) == Qt::red, o.text.endsWith(QStringLiteral("已过期")));
        }
        QCOMPARE(shown, (QMap<QString, QString>{{"洗发", "2027-03-01"}, {"护理", "2027-01-10 已过期"},
                                                 {"剪发", "2026-08-28 已过期"}}));
        QCOMPARE(packages->model()->headerData(5, Qt::Horizontal).toString(), QStringLiteral("到期日期"));
        for (int r = 0; r < packages->model()->rowCount(); ++r)
            if (packages->model()->index(r, 1).data().toString() == QStringLiteral("护理"))
                packages->selectRow(r);
        auto editorOpened = std::make_shared<bool>(false);
        onNextModal([editorOpened](QWidget *editor) {
            *editorOpened = true;
            editor->close();
        }, 200);
        QMetaObject::invokeMethod(&checkout, "on_tableView_3_doubleClicked", Q_ARG(QModelIndex, packages->currentIndex()));
        QCOMPARE(prompts.last(), QStringLiteral("套餐项目“护理”已于 2027-01-10 到期，不能再使用；如需使用请由店长授权延期"));
        QTest::qWait(300); // the watch for a line editor ends unused
        QVERIFY(!*editorOpened);
        QCOMPARE(sqlValue(QStringLiteral("select coalesce(sum(bencixiaofeicishu),0) from temphuiyuantaocanxiaofei")),
                 QStringLiteral("0"));
    }

    // The window: the date shown, an extension without the right asks for an
    // authoriser (none comes: nothing changes), with it the use goes through.
    operatorSession().loginName = QStringLiteral("小王");
    {
        taocanyouxiaoqidlg dlg;
        dlg.setup(QStringLiteral("5"), QStringLiteral("会员5"), QStringLiteral("X2"));
        QCOMPARE(dlg.findChild<QLabel *>(QStringLiteral("label_expiry"))->text(), QStringLiteral("2027-01-10"));
        dlg.findChild<QDateEdit *>(QStringLiteral("dateEdit_until"))->setDate(QDate(2027, 6, 30));
        onNextModal([](QWidget *box) { clickButton(box, QStringLiteral("toolButton_cancel")); });
        clickButton(&dlg, QStringLiteral("toolButton_extend"));
        QCOMPARE(PackageExpiry::expiry(QStringLiteral("5"), QStringLiteral("X2")), QStringLiteral("2027-01-10"));
        clickButton(&dlg, QStringLiteral("toolButton_saveSettings"));
        QCOMPARE(prompts.last(), QStringLiteral("修改套餐有效期设置需要系统设置权限"));

        operatorSession().loginName = QStringLiteral("店长");
        operatorSession().xitongshezhi = QStringLiteral("是");
        clickButton(&dlg, QStringLiteral("toolButton_extend"));
        QCOMPARE(prompts.last(), QStringLiteral("已延期到 2027-06-30"));
    }
    QCOMPARE(sqlRows(QStringLiteral("select biandongleixing,xiangmumingchen,yuezengjia,cishuzengjia,dangshikaneicishu,caozuoyuan,beizhu "
                                    "from huiyuanyuebiandong where huiyuanid='5' order by ID desc LIMIT 1")),
             (QList<QStringList>{{"套餐延期", "X2", "0", "0", "2", "店长", "套餐延期：护理 2027-01-10→2027-06-30 授权：店长"}}));
    QVERIFY(sqlValue(QStringLiteral("select log from log order by rowid desc LIMIT 1")).startsWith(QStringLiteral("套餐延期  会员号：5")));
    const LedgerResult extended = useOne(QStringLiteral("5"), QStringLiteral("X2"));
    QVERIFY2(extended.ok, qPrintable(extended.error));

    // The shop may let expired uses be used.
    QVERIFY(PackageExpiry::setSettings(true, 15, QStringLiteral("店长")).ok);
    QVERIFY(useOne(QStringLiteral("5"), QStringLiteral("X3")).ok);
    QCOMPARE(PackageExpiry::noticeDays(), 15);
    LedgerSql::setClock({});
    verifyBooks();
}

void TestMemberLife::packageExpiryReminder()
{
    TestWorkdir wd;
    seedUpgradeShop();
    const QDate today = QDate::currentDate();
    sqlExec(QStringLiteral("insert into huiyuantaocan(huiyuanID,xiangmuID,zongcishu,shengyucishu,xiaofeicishu,daoqiriqi) values "
                           "('1','X1',5,3,2,'%1'),('1','X2',5,2,3,'%2'),('2','X1',5,0,5,'%1'),('2','X3',5,5,0,'%3'),"
                           "('2','X2',5,5,0,'')")
                .arg(today.addDays(10).toString(Qt::ISODate), today.addDays(-3).toString(Qt::ISODate),
                     today.addDays(50).toString(Qt::ISODate)));
    const auto count = [] {
        ctrlUiClass ctrl;
        for (const auto &c : meiritixingDlg::counts(ctrl))
            if (c.first == QStringLiteral("套餐到期提醒"))
                return c.second;
        return -1;
    };
    // Within 30 days or past, with uses left: not the used-up one, not the far one, not the unlimited one.
    QCOMPARE(count(), 2);
    QVERIFY(PackageExpiry::setSettings(false, 60, QStringLiteral("店长")).ok);
    QCOMPARE(count(), 3);
    QVERIFY(PackageExpiry::setSettings(false, 7, QStringLiteral("店长")).ok);
    QCOMPARE(count(), 1);
    QVERIFY(!PackageExpiry::setSettings(false, 45, QStringLiteral("店长")).ok);
}

namespace {
// The redemption window as the cashier sees it.
struct RedeemScreen
{
    jifenduihuandlg dlg;
    explicit RedeemScreen(const QString &memberId)
    {
        dlg.setup(memberId, QStringLiteral("会员") + memberId);
        dlg.show();
    }
    QTableWidget *table(const char *name) { return dlg.findChild<QTableWidget *>(QLatin1String(name)); }
    void addReward(const QString &id, const QString &kind, const QString &item, const QString &amount, const QString &points)
    {
        dlg.findChild<QLineEdit *>(QStringLiteral("lineEdit_rewardId"))->setText(id);
        dlg.findChild<QLineEdit *>(QStringLiteral("lineEdit_rewardName"))->setText(id + QStringLiteral("奖励"));
        dlg.findChild<QComboBox *>(QStringLiteral("comboBox_rewardKind"))->setCurrentText(kind);
        dlg.findChild<QLineEdit *>(QStringLiteral("lineEdit_rewardItem"))->setText(item);
        dlg.findChild<QLineEdit *>(QStringLiteral("lineEdit_rewardAmount"))->setText(amount);
        dlg.findChild<QLineEdit *>(QStringLiteral("lineEdit_rewardPoints"))->setText(points);
        clickButton(&dlg, QStringLiteral("toolButton_saveReward"));
    }
    void redeem(const QString &rewardId, int quantity)
    {
        QTableWidget *t = table("tableWidget_rewards");
        for (int r = 0; r < t->rowCount(); ++r)
            if (t->item(r, 0)->text() == rewardId)
                t->selectRow(r);
        dlg.findChild<QSpinBox *>(QStringLiteral("spinBox_quantity"))->setValue(quantity);
        clickButton(&dlg, QStringLiteral("toolButton_redeem"));
    }
};

// Member 1 holds 1000 points earned by a sale; the product P1 has 10 in stock.
// R9: one 洗发 (X1) for 100 points.
void saveWashReward()
{
    Reward w;
    w.id = QStringLiteral("R9");
    w.name = QStringLiteral("洗发一次");
    w.kind = QString::fromUtf8(kRewardService);
    w.itemId = QStringLiteral("X1");
    w.amount = 1;
    w.points = 100;
    QVERIFY(PointsRedemption::saveReward(w, QStringLiteral("店长")).ok);
}

void seedPointsShop()
{
    seedUpgradeShop();
    sqlExec(QStringLiteral("insert into chanpin(ID,name,xiaoshoujiage) values('P1','护发素',60)"));
    sqlExec(QStringLiteral("insert into chanpinrukumingxi(rukuID,time,type,chanpinID,xiaoshoujiage,shuliang,jine,rukutype,\"user\") "
                           "values('rk1','2026-01-01 09:00:00','入库明细','P1',60,10,600,'采购入库','admin')"));
    sqlExec(QStringLiteral("insert into huiyuanjifen(huiyuanid,biandongriqi,biandongleixing,jifenzengjia,jifenjianshao,shengyujifen,caozuoyuan) "
                           "values('1','2026-01-02 10:00:00','会员消费',1000,0,1000,'admin'),"
                           "('2','2026-01-02 10:00:00','会员消费',150,0,150,'admin')"));
    sqlExec(QStringLiteral("update huiyuan set jifen=1000 where ID='1'"));
    sqlExec(QStringLiteral("update huiyuan set jifen=150 where ID='2'"));
}
} // namespace

void TestMemberLife::pointsRedeemedAndVoided_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("check");    // what the reward moved, read back
    QTest::addColumn<QString>("given");
    QTest::addColumn<QString>("takenBack");
    QTest::newRow("产品") << "产品" << "P1" << "2"
                        << "select coalesce(sum(shuliang),0) from chanpinrukumingxi where chanpinID='P1'" << "6" << "10";
    QTest::newRow("服务次数") << "服务次数" << "X2" << "3"
                          << "select coalesce(sum(shengyucishu),0) from huiyuantaocan where huiyuanID='1' and xiangmuID='X2'"
                          << "6" << "0";
    QTest::newRow("储值") << "储值" << "" << "50"
                        << "select shengyujine from huiyuan where ID='1'" << "600" << "500";
}

void TestMemberLife::pointsRedeemedAndVoided()
{
    QFETCH(QString, kind);
    QFETCH(QString, item);
    QFETCH(QString, amount);
    QFETCH(QString, check);
    QFETCH(QString, given);
    QFETCH(QString, takenBack);
    TestWorkdir wd;
    PromptRecorder prompts;
    seedPointsShop();

    RedeemScreen s(QStringLiteral("1"));
    // The rewards list is the owner's: refused for the cashier, kept for the owner.
    s.addReward(QStringLiteral("R1"), kind, item, amount, QStringLiteral("300"));
    QCOMPARE(prompts.last(), QStringLiteral("修改积分兑换项目需要系统设置权限"));
    operatorSession().loginName = QStringLiteral("店长");
    operatorSession().xitongshezhi = QStringLiteral("是");
    s.addReward(QStringLiteral("R1"), kind, item, amount, QStringLiteral("300"));
    QCOMPARE(s.table("tableWidget_rewards")->rowCount(), 1);

    // Four times 300 is more than 1000 points: refused, nothing written.
    s.redeem(QStringLiteral("R1"), 4);
    QCOMPARE(prompts.last(), QStringLiteral("积分不足：需要 1200 积分，会员现有 1000 积分"));
    QCOMPARE(sqlValue(QStringLiteral("select count(*) from jifenduihuan")), QStringLiteral("0"));
    s.redeem(QStringLiteral("R1"), 2);
    const QString id = s.dlg.lastDocument();
    QVERIFY2(id.startsWith(QLatin1String("DH")), qPrintable(prompts.last()));
    QCOMPARE(sqlRows(QStringLiteral("select huiyuanid,jiangliID,leixing,shuliang,danweishuliang,jifen,zhuangtai from jifenduihuan")),
             (QList<QStringList>{{"1", "R1", kind, "2", kind == "储值" ? "5000" : amount, "600", "已兑换"}}));
    QCOMPARE(sqlRows(QStringLiteral("select biandongleixing,jifenjianshao,shengyujifen,beizhu from huiyuanjifen "
                                    "where huiyuanid='1' order by ID desc LIMIT 1")),
             (QList<QStringList>{{"积分兑换", "600", "400", QStringLiteral("兑换单：") + id}}));
    QCOMPARE(sqlValue(QStringLiteral("select jifen from huiyuan where ID='1'")), QStringLiteral("400"));
    QCOMPARE(sqlValue(check), given);
    QCOMPARE(s.dlg.findChild<QLabel *>(QStringLiteral("label_points"))->text(), QStringLiteral("400"));
    if (kind == QStringLiteral("储值"))
        QCOMPARE(BalanceBook::storedValue(QStringLiteral("1")).bonusCents, qint64(10000)); // given, not paid for
    verifyBooks();

    // The void gives everything back, once.
    QTableWidget *history = s.table("tableWidget_history");
    QCOMPARE(history->rowCount(), 1);
    history->selectRow(0);
    prompts.answer(QStringLiteral("是"));
    clickButton(&s.dlg, QStringLiteral("toolButton_void"));
    QCOMPARE(sqlValue(QStringLiteral("select zhuangtai||zuofeiren from jifenduihuan")), QStringLiteral("已作废店长"));
    QCOMPARE(sqlValue(QStringLiteral("select jifen from huiyuan where ID='1'")), QStringLiteral("1000"));
    QCOMPARE(sqlValue(check), takenBack);
    QVERIFY(!PointsRedemption::voidRedemption(id, QStringLiteral("店长"), QStringLiteral("店长")).ok);
    QCOMPARE(sqlValue(QStringLiteral("select jifen from huiyuan where ID='1'")), QStringLiteral("1000"));
    verifyBooks();
}

void TestMemberLife::pointsAtTwoDesksRedeemedOnce()
{
    TestWorkdir wd;
    PromptRecorder prompts;
    seedPointsShop();
    saveWashReward();
    // Member 2's 150 points are shown at two desks; each redeems 100.
    RedeemScreen first(QStringLiteral("2"));
    RedeemScreen second(QStringLiteral("2"));
    first.redeem(QStringLiteral("R9"), 1);
    QVERIFY(!first.dlg.lastDocument().isEmpty());
    second.redeem(QStringLiteral("R9"), 1);
    QCOMPARE(prompts.last(), QStringLiteral("积分不足：需要 100 积分，会员现有 50 积分"));
    QVERIFY(second.dlg.lastDocument().isEmpty());
    QCOMPARE(sqlValue(QStringLiteral("select count(*) from jifenduihuan")), QStringLiteral("1"));
    QCOMPARE(sqlValue(QStringLiteral("select shengyucishu from huiyuantaocan where huiyuanID='2'")), QStringLiteral("1"));
    // A used reward cannot be taken back: the void is refused whole.
    QVERIFY(useOne(QStringLiteral("2"), QStringLiteral("X1")).ok);
    const LedgerResult v = PointsRedemption::voidRedemption(first.dlg.lastDocument(), QStringLiteral("店长"), QStringLiteral("店长"));
    QVERIFY(!v.ok);
    QCOMPARE(sqlValue(QStringLiteral("select zhuangtai from jifenduihuan")), QStringLiteral("已兑换"));
    QCOMPARE(sqlValue(QStringLiteral("select jifen from huiyuan where ID='2'")), QStringLiteral("50"));
    verifyBooks();
}

// Stored value given for points at the counter: the status line under the
// window names the balance after it, not the one of the counter's last document.
void TestMemberLife::pointsRedeemedAtTheCounterShowTheNewBalance()
{
    TestWorkdir wd;
    PromptRecorder prompts;
    seedPointsShop();
    Reward value;
    value.id = QStringLiteral("R5");
    value.name = QStringLiteral("储值50");
    value.kind = QString::fromUtf8(kRewardValue);
    value.amount = 5000;
    value.points = 300;
    QVERIFY(PointsRedemption::saveReward(value, QStringLiteral("店长")).ok);

    MainWindow w;
    w.findChild<QLineEdit *>(QStringLiteral("lineEdit"))->setText(QStringLiteral("会员1"));
    clickButton(&w, QStringLiteral("toolButton_27"));
    // A top-up at the counter: the status line names the balance after it.
    onNextModal([](QWidget *dlg) {
        dlg->findChild<QLineEdit *>(QStringLiteral("lineEdit"))->setText(QStringLiteral("100"));
        clickButton(dlg, QStringLiteral("toolButton"));
    });
    clickButton(&w, QStringLiteral("toolButton_15"));
    auto *status = w.statusBar()->findChild<QLabel *>(QStringLiteral("counterStatusLabel"));
    QVERIFY(status);
    QVERIFY2(status->text().contains(QStringLiteral("卡内余额：600.00")), qPrintable(status->text()));

    onNextModal([](QWidget *d) {
        auto *dlg = qobject_cast<jifenduihuandlg *>(d);
        QVERIFY(dlg);
        dlg->findChild<QTableWidget *>(QStringLiteral("tableWidget_rewards"))->selectRow(0);
        clickButton(dlg, QStringLiteral("toolButton_redeem"));
        clickButton(dlg, QStringLiteral("toolButton_close"));
    });
    clickButton(&w, QStringLiteral("toolButton_22"));
    QVERIFY2(status->text().startsWith(QStringLiteral("积分兑换成功  单号：DH")), qPrintable(status->text()));
    QVERIFY2(status->text().contains(QStringLiteral("卡内余额：650.00")), qPrintable(status->text()));
    QCOMPARE(w.findChild<QLabel *>(QStringLiteral("label_11"))->text(), QStringLiteral("650.00"));
    QCOMPARE(BalanceBook::balance(QStringLiteral("1")), qint64(65000));
    verifyBooks();
}

namespace {
// A walk-in sale of one 剪发 paid by a voucher (its number, or none), and the rest in cash.
LedgerResult payByVoucher(const QString &number, qint64 cents, const QString &method = QStringLiteral("代金券"),
                          qint64 cashCents = 0)
{
    Sale sale;
    sale.memberId = QStringLiteral("0000");
    SaleLine cut;
    cut.key = QStringLiteral("k1");
    cut.type = QStringLiteral("服务项目");
    cut.itemId = QStringLiteral("X3");
    cut.name = QStringLiteral("剪发");
    cut.listCents = cut.unitCents = cut.amountCents = cents + cashCents;
    cut.quantity = 1;
    sale.lines = {cut};
    sale.payments = {PaymentPart{method, cents, number}};
    if (cashCents > 0)
        sale.payments << PaymentPart{QStringLiteral("现金"), cashCents};
    sale.lineMethod = method;
    sale.operatorName = QStringLiteral("小王");
    return SaleWriter::commit(sale);
}

void issueVouchers(int first, int count, qint64 valueCents, const QDate &until = QDate::currentDate().addDays(30))
{
    VoucherBatch b;
    b.prefix = QStringLiteral("DJ");
    b.first = first;
    b.count = count;
    b.valueCents = valueCents;
    b.validUntil = until;
    b.operatorName = QStringLiteral("店长");
    QVERIFY(Vouchers::issue(b).ok);
}
} // namespace

void TestMemberLife::vouchersIssuedSoldAndListed()
{
    TestWorkdir wd;
    PromptRecorder prompts;
    seedUpgradeShop();
    operatorSession().loginName = QStringLiteral("店长");
    daijinquandlg dlg;
    dlg.show();
    const auto type = [&](const char *name, const QString &text) { dlg.findChild<QLineEdit *>(QLatin1String(name))->setText(text); };
    type("lineEdit_prefix", QStringLiteral("DJ"));
    type("lineEdit_first", QStringLiteral("0001"));
    type("lineEdit_count", QStringLiteral("3"));
    type("lineEdit_value", QStringLiteral("100"));
    clickButton(&dlg, QStringLiteral("toolButton_issue"));
    QVERIFY2(prompts.last().startsWith(QStringLiteral("已发放代金券 3 张  单号：FQ")), qPrintable(prompts.last()));
    // The next batch starts where this one ended; these are sold, for 90 each.
    QCOMPARE(dlg.findChild<QLineEdit *>(QStringLiteral("lineEdit_first"))->text(), QStringLiteral("4"));
    type("lineEdit_count", QStringLiteral("2"));
    type("lineEdit_price", QStringLiteral("90"));
    type("lineEdit_member", QStringLiteral("1"));
    clickButton(&dlg, QStringLiteral("toolButton_issue"));
    QCOMPARE(sqlRows(QStringLiteral("select ID,mianzhi,yue,zhuangtai,laiyuan,shoujia,coalesce(huiyuanid,'') from daijinquan order by ID")),
             (QList<QStringList>{{"DJ0001", "100", "100", "未使用", "发放", "0", ""},
                                 {"DJ0002", "100", "100", "未使用", "发放", "0", ""},
                                 {"DJ0003", "100", "100", "未使用", "发放", "0", ""},
                                 {"DJ0004", "100", "100", "未使用", "售出", "90", "1"},
                                 {"DJ0005", "100", "100", "未使用", "售出", "90", "1"}}));
    QCOMPARE(sqlRows(QStringLiteral("select jiaofeileixing,huiyuanid,yingjiaojine,shifujine,fukuanleixing from huiyuanjiaofei")),
             (QList<QStringList>{{"代金券售出", "1", "180", "180", "现金"}}));
    QCOMPARE(sqlValue(QStringLiteral("select count(*) from daijinquanbiandong where leixing='发放' and zengjia=100 and dangshiyue=100")),
             QStringLiteral("5"));
    // A number already given is refused whole: none of the batch is written.
    type("lineEdit_first", QStringLiteral("5"));
    clickButton(&dlg, QStringLiteral("toolButton_issue"));
    QCOMPARE(prompts.last(), QStringLiteral("券号 DJ0005 已经存在，请换一个起始号码"));
    QCOMPARE(sqlValue(QStringLiteral("select count(*) from daijinquan")), QStringLiteral("5"));
    // A cashier without the settings right gives nothing away, nor sells below
    // face value, whatever window reached the writer; at face value she sells.
    operatorSession().loginName = QStringLiteral("小王");
    type("lineEdit_first", QStringLiteral("20"));
    type("lineEdit_count", QStringLiteral("1"));
    for (const char *price : {"0", "99.99"}) {
        type("lineEdit_price", QString::fromLatin1(price));
        clickButton(&dlg, QStringLiteral("toolButton_issue"));
        QVERIFY2(prompts.last().contains(QStringLiteral("需要系统设置权限")), qPrintable(prompts.last()));
    }
    QCOMPARE(sqlValue(QStringLiteral("select count(*) from daijinquan")), QStringLiteral("5"));
    type("lineEdit_price", QStringLiteral("100"));
    clickButton(&dlg, QStringLiteral("toolButton_issue"));
    QCOMPARE(sqlRows(QStringLiteral("select caozuoyuan,laiyuan,shoujia from daijinquan where ID='DJ0020'")),
             (QList<QStringList>{{"小王", "售出", "100"}}));
    operatorSession().loginName = QStringLiteral("店长");

    // Used and voided ones: the list and its totals say what is still owed.
    QVERIFY(payByVoucher(QStringLiteral("DJ0001"), 10000).ok);
    auto *view = dlg.findChild<QTableView *>(QStringLiteral("tableView_vouchers"));
    for (int r = 0; r < view->model()->rowCount(); ++r)
        if (view->model()->index(r, 0).data().toString() == QStringLiteral("DJ0002"))
            view->selectRow(r);
    dlg.findChild<QLineEdit *>(QStringLiteral("lineEdit_voidReason"))->setText(QStringLiteral("丢失"));
    prompts.answer(QStringLiteral("是"));
    clickButton(&dlg, QStringLiteral("toolButton_void"));
    QCOMPARE(sqlRows(QStringLiteral("select zhuangtai,yue,beizhu from daijinquan where ID='DJ0002'")),
             (QList<QStringList>{{"已作废", "0", "丢失"}}));
    clickButton(&dlg, QStringLiteral("toolButton_search"));
    QCOMPARE(view->model()->rowCount(), 6);
    const QString totals = dlg.findChild<QLabel *>(QStringLiteral("totals_tableView_vouchers"))->text();
    QCOMPARE(totals, QStringLiteral("合计：6 条　　面值金额 600.00　　已用金额 100.00　　未用金额 400.00"));
    dlg.findChild<QLineEdit *>(QStringLiteral("lineEdit_search"))->setText(QStringLiteral("DJ0004"));
    clickButton(&dlg, QStringLiteral("toolButton_search"));
    QCOMPARE(view->model()->rowCount(), 1);
    verifyBooks();
}

void TestMemberLife::vouchersPayOnceWithTheirRest()
{
    TestWorkdir wd;
    PromptRecorder prompts;
    seedUpgradeShop();
    // Before the shop numbers its vouchers, 代金券 is a plain method.
    QVERIFY(payByVoucher(QString(), 3000).ok);
    issueVouchers(1, 4, 10000);
    issueVouchers(9, 1, 10000, QDate::currentDate());
    sqlExec(QStringLiteral("update daijinquan set youxiaoqizhi='2020-01-01' where ID='DJ0009'"));
    sqlExec(QStringLiteral("update daijinquanbiandong set riqi=riqi where quanID='DJ0009'"));

    // Now a voucher payment must name one, valid, unused, holding enough.
    QCOMPARE(payByVoucher(QString(), 3000).error, QStringLiteral("用代金券付款请输入券号"));
    QCOMPARE(payByVoucher(QStringLiteral("DJ0009"), 3000).error, QStringLiteral("代金券 DJ0009 已于 2020-01-01 过期"));
    QCOMPARE(payByVoucher(QStringLiteral("DJ0007"), 3000).error, QStringLiteral("没有这张代金券：DJ0007"));
    QCOMPARE(payByVoucher(QStringLiteral("DJ0001"), 12000).error,
             QStringLiteral("代金券 DJ0001 只剩 100.00 元，不够支付 120.00 元"));

    // The rest of a partly used voucher lapses unless the shop keeps it.
    QVERIFY(payByVoucher(QStringLiteral("DJ0001"), 6000, QStringLiteral("代金卷")).ok);
    QCOMPARE(sqlRows(QStringLiteral("select leixing,jianshao,dangshiyue from daijinquanbiandong where quanID='DJ0001' order by ID")),
             (QList<QStringList>{{"发放", "0", "100"}, {"使用", "60", "40"}, {"余额失效", "40", "0"}}));
    QCOMPARE(sqlValue(QStringLiteral("select zhuangtai from daijinquan where ID='DJ0001'")), QStringLiteral("已用完"));
    QVERIFY(!Vouchers::setKeepsRest(true, QStringLiteral("小王")).ok);
    QVERIFY(Vouchers::setKeepsRest(true, QStringLiteral("店长")).ok);
    QVERIFY(payByVoucher(QStringLiteral("DJ0002"), 6000).ok);
    QCOMPARE(sqlRows(QStringLiteral("select zhuangtai,yue from daijinquan where ID='DJ0002'")), (QList<QStringList>{{"部分使用", "40"}}));
    QVERIFY(payByVoucher(QStringLiteral("DJ0002"), 4000).ok);
    QCOMPARE(sqlRows(QStringLiteral("select zhuangtai,yue from daijinquan where ID='DJ0002'")), (QList<QStringList>{{"已用完", "0"}}));

    // Two desks take one voucher: the first sale has it, the second is refused whole.
    const QList<QStringList> before = moneySnapshot();
    QVERIFY(payByVoucher(QStringLiteral("DJ0003"), 10000).ok);
    const int sales = sqlValue(QStringLiteral("select count(distinct ID) from huiyuanxiaofei")).toInt();
    QCOMPARE(payByVoucher(QStringLiteral("DJ0003"), 10000).error, QStringLiteral("代金券 DJ0003 已经用过了"));
    QCOMPARE(sqlValue(QStringLiteral("select count(distinct ID) from huiyuanxiaofei")).toInt(), sales);
    QCOMPARE(sqlValue(QStringLiteral("select count(*) from daijinquanbiandong where quanID='DJ0003' and leixing='使用'")),
             QStringLiteral("1"));
    Q_UNUSED(before)

    // At the counter the number is asked for each voucher payment, checked as typed.
    QList<PaymentPart> pays{PaymentPart{QStringLiteral("现金"), 1000}, PaymentPart{QStringLiteral("代金券"), 5000}};
    onNextModal([](QWidget *d) {
        auto *number = d->findChild<QLineEdit *>(QStringLiteral("lineEdit_number"));
        number->setText(QStringLiteral("DJ0003"));
        QCOMPARE(d->findChild<QLabel *>(QStringLiteral("label_state"))->text(), QStringLiteral("代金券 DJ0003 已经用过了"));
        number->setText(QStringLiteral("DJ0004"));
        QVERIFY(d->findChild<QLabel *>(QStringLiteral("label_state"))->text().startsWith(QStringLiteral("面值 100.00，余额 100.00，有效期至")));
        clickButton(d, QStringLiteral("toolButton_ok"));
    });
    QVERIFY(daijinquanhaodlg::askNumbers(nullptr, &pays));
    QCOMPARE(pays.at(1).voucherNo, QStringLiteral("DJ0004"));
    QVERIFY(pays.at(0).voucherNo.isEmpty());

    // Top-ups and renewals cannot take a numbered voucher: its number is asked only at the checkout.
    TopUp t;
    t.memberId = QStringLiteral("1");
    t.paidInCents = t.receivedCents = 5000;
    t.method = QStringLiteral("代金券");
    t.operatorName = QStringLiteral("小王");
    QCOMPARE(MemberWriter::topUp(t).error, QStringLiteral("有编号的代金券只能在结账时使用，充值请选择其他付款方式"));

    // A voided sale gives its voucher back.
    const LedgerResult sold = payByVoucher(QStringLiteral("DJ0004"), 3000, QStringLiteral("代金券"), 2500);
    QVERIFY(sold.ok);
    QCOMPARE(sqlRows(QStringLiteral("select zhuangtai,yue from daijinquan where ID='DJ0004'")), (QList<QStringList>{{"部分使用", "70"}}));
    // Its receipt names the voucher, what it gave and what is left on it.
    const Receipt receipt = Receipt::of(sold.documentId);
    QCOMPARE(receipt.notes, QStringList{QStringLiteral("代金券 DJ0004：本次使用 30.00，余额 70.00")});
    QVERIFY(ReceiptLayout::html(receipt, ReceiptSettings(), QStringLiteral("58mm"))
                .contains(QStringLiteral("代金券 DJ0004：本次使用 30.00，余额 70.00")));
    // A rest that lapses with the sale is shown as gone.
    QVERIFY(Vouchers::setKeepsRest(false, QStringLiteral("店长")).ok);
    issueVouchers(20, 1, 5000);
    const LedgerResult lapsed = payByVoucher(QStringLiteral("DJ0020"), 2000);
    QCOMPARE(Receipt::of(lapsed.documentId).notes, QStringList{QStringLiteral("代金券 DJ0020：本次使用 20.00，余额 0.00（未用完的 30.00 已失效）")});
    const LedgerResult voided = RefundWriter::voidSale({sold.documentId, QStringLiteral("点错"), QStringLiteral("店长"), QStringLiteral("店长")});
    QVERIFY2(voided.ok, qPrintable(voided.error));
    QCOMPARE(sqlRows(QStringLiteral("select zhuangtai,yue from daijinquan where ID='DJ0004'")), (QList<QStringList>{{"未使用", "100"}}));
    QCOMPARE(sqlValue(QStringLiteral("select leixing||danju from daijinquanbiandong where quanID='DJ0004' order by ID desc LIMIT 1")),
             QStringLiteral("消费作废退回") + voided.documentId);
    verifyBooks();
}

namespace {
QString json(const QJsonObject &o)
{
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

// Both desks are asked at the same moment and answer. On a shop file a third
// program holds the write lock meanwhile, so that both are waiting for it and
// go the instant it is free; on a server both transactions run side by side.
QStringList atOnce(DeskProcess *desks, const QString &first, const QString &second)
{
    DeskProcess holder;
    const bool held = !SqlDialect::isPostgres() && holder.hold(QDir::currentPath(), 400);
    desks[0].send(first);
    desks[1].send(second);
    QStringList answers{desks[0].answer(), desks[1].answer()};
    if (held)
        holder.released();
    return answers;
}

// Exactly one of the two answers is "ok …"; the other is the refusal, whose start is given.
void oneWins(const QStringList &answers, const QString &refusal)
{
    QVERIFY2(answers.filter(QRegularExpression(QStringLiteral("^ok "))).size() == 1, qPrintable(answers.join(" | ")));
    const QString refused = answers.at(answers.at(0).startsWith(QStringLiteral("ok ")) ? 1 : 0);
    QVERIFY2(refused.startsWith(QStringLiteral("refused ") + refusal), qPrintable(refused));
}
} // namespace

// Two desks, each its own program on the one shop, race for the same voucher,
// the same points and the same card: the one that comes second is refused
// with a word and writes nothing.
void TestMemberLife::racesAtTwoDeskProcesses()
{
    TestWorkdir wd;
    seedPointsShop();
    saveWashReward();
    issueVouchers(1, 1, 10000);
    const CardUpgradeQuote member1 = CardUpgrades::quote(QStringLiteral("1"), QStringLiteral("钻石卡"));
    const CardUpgradeQuote member2 = CardUpgrades::quote(QStringLiteral("2"), QStringLiteral("钻石卡"));
    QVERIFY(member1.ok && member2.ok);

    DeskProcess desks[2];
    QVERIFY(desks[0].start(wd.path(), QStringLiteral("前台1")));
    QVERIFY(desks[1].start(wd.path(), QStringLiteral("前台2")));

    // One voucher handed over at both desks for a 剪发 each.
    const QJsonObject cut{{"type", "服务项目"}, {"item", "X3"}, {"unit", 10000.0}, {"qty", 1.0}};
    const QString byVoucher = json({{"op", "sale"}, {"member", "0000"}, {"lines", QJsonArray{cut}},
                                    {"payments", QJsonArray{QJsonArray{"代金券", 10000.0, "DJ0001"}}}});
    oneWins(atOnce(desks, byVoucher, byVoucher), QStringLiteral("代金券 DJ0001 已经用过了"));
    QCOMPARE(sqlValue(QStringLiteral("select count(distinct ID) from huiyuanxiaofei")), QStringLiteral("1"));
    QCOMPARE(sqlRows(QStringLiteral("select leixing,jianshao,dangshiyue from daijinquanbiandong where quanID='DJ0001' order by ID")),
             (QList<QStringList>{{"发放", "0", "100"}, {"使用", "100", "0"}}));
    QCOMPARE(sqlRows(QStringLiteral("select zhuangtai,yue from daijinquan")), (QList<QStringList>{{"已用完", "0"}}));

    // Member 2's 150 points are redeemed for 100 at both desks.
    const QString redeem = json({{"op", "redeem"}, {"member", "2"}, {"reward", "R9"}, {"qty", 1.0}});
    oneWins(atOnce(desks, redeem, redeem), QStringLiteral("积分不足"));
    QCOMPARE(sqlValue(QStringLiteral("select count(*) from jifenduihuan")), QStringLiteral("1"));
    QCOMPARE(sqlValue(QStringLiteral("select jifen from huiyuan where ID='2'")), QStringLiteral("50"));
    QCOMPARE(sqlValue(QStringLiteral("select shengyucishu from huiyuantaocan where huiyuanID='2' and xiangmuID='X1'")),
             QStringLiteral("1"));

    // Member 2's card upgraded at both desks: it is paid for once.
    const QString upgrade2 = json({{"op", "upgrade"}, {"member", "2"}, {"from", "金卡"}, {"card", "钻石卡"},
                                   {"due", double(member2.dueCents)}, {"received", double(member2.dueCents)},
                                   {"method", "现金"}});
    oneWins(atOnce(desks, upgrade2, upgrade2), QStringLiteral("该会员的会员卡已被另一台收银机改为“钻石卡”"));
    QCOMPARE(sqlValue(QStringLiteral("select count(*) from huiyuankabiandong where huiyuanid='2'")), QStringLiteral("1"));
    QCOMPARE(sqlValue(QStringLiteral("select count(*) from huiyuanjiaofei where huiyuanid='2' and jiaofeileixing='会员卡升级'")),
             QStringLiteral("1"));
    QCOMPARE(BalanceBook::balance(QStringLiteral("2")), 50000 + member2.valueCents);

    // Member 1's card upgraded at one desk while the other tops it up: both
    // land, neither credit lost.
    const QString upgrade1 = json({{"op", "upgrade"}, {"member", "1"}, {"from", "金卡"}, {"card", "钻石卡"},
                                   {"due", double(member1.dueCents)}, {"received", double(member1.dueCents)},
                                   {"method", "现金"}});
    const QString topUp1 = json({{"op", "topup"}, {"member", "1"}, {"paidIn", 100000.0}, {"bonus", 0.0},
                                 {"received", 100000.0}, {"method", "现金"}});
    const QStringList both = atOnce(desks, upgrade1, topUp1);
    QVERIFY2(both.filter(QRegularExpression(QStringLiteral("^ok "))).size() == 2, qPrintable(both.join(" | ")));
    QCOMPARE(sqlValue(QStringLiteral("select type from huiyuan where ID='1'")), QStringLiteral("钻石卡"));
    QCOMPARE(BalanceBook::balance(QStringLiteral("1")), 50000 + member1.valueCents + 100000);
    QCOMPARE(sqlValue(QStringLiteral("select count(*) from huiyuanyuebiandong where huiyuanid='1'")).toInt(), 3);

    for (DeskProcess &d : desks)
        QVERIFY(d.finish());
    verifyBooks();
}

QTEST_MAIN(TestMemberLife)
#include "tst_memberlife.moc"
