// Works the shop in a loop — sales, top-ups and package renewals through the real
// dialogs — and prints each committed document, until it is killed. The crash
// test (tst_crash) kills it at random moments and checks what is left; the
// two-desk test (tst_twodesk) runs two of them on one shop folder, each for a
// given number of operations.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTableView>
#include <QTextStream>

#include "checkoutfixture.h"
#include "dbrecords.h"
#include "dbsetconfig.h"
#include "huiyuankachongchi.h"
#include "mainwindow.h"
#include "powercutvfs.h"
#include "taocanxufeidlg.h"

using namespace checkout_fixture;

namespace {
QTextStream out(stdout);

void say(const QString &line)
{
    out << line << Qt::endl; // flushed: the parent reads it after the kill
}

bool sale(MainWindow &main, const QString &member, bool usePackageToo)
{
    AddXiaofeiDlg dlg;
    QObject::connect(&dlg, &AddXiaofeiDlg::DlgSend, &main, &MainWindow::DlgRecv);
    dlg.setHuiyuanInfo(memberInfo(member));
    dlg.show();
    addLine(dlg, "toolButton_3", "S01", "1");
    if (usePackageToo && sqlValue("select shengyucishu from huiyuantaocan where huiyuanID='" + member
                                  + "' and xiangmuID='S02'").toDouble() >= 1)
        usePackage(dlg, "S02", "1");
    const double balance = sqlValue("select shengyujine from huiyuan where ID='" + member + "'").toDouble();
    const QString due = text(&dlg, "label_26");
    setMethod(dlg, balance >= due.toDouble() ? QStringLiteral("储蓄卡") : QStringLiteral("现金"));
    setText(&dlg, "lineEdit_4", due);
    clickButton(&dlg, "toolButton_10");
    if (dlg.result() != QDialog::Accepted)
        return false;
    say("sale " + dlg.saleId());
    return true;
}

bool topUp(MainWindow &main, const QString &member)
{
    huiyuankachongchi dlg;
    QObject::connect(&dlg, &huiyuankachongchi::DlgSend, &main, &MainWindow::DlgRecv);
    const QStringList m = sqlRows("select ID,name,shengyujine,phone from huiyuan where ID='" + member + "'").value(0);
    dlg.setup(m);
    dlg.show();
    dlg.findChild<QLineEdit *>("lineEdit")->setText("100");
    dlg.findChild<QLineEdit *>("lineEdit_2")->setText("10");
    clickButton(&dlg, "toolButton");
    if (dlg.result() != QDialog::Accepted)
        return false;
    say("topup " + dlg.documentId());
    return true;
}

bool renew(MainWindow &main, const QString &member)
{
    taocanxufeidlg dlg;
    QObject::connect(&dlg, &taocanxufeidlg::DlgSend, &main, &MainWindow::DlgRecv);
    const QStringList m = sqlRows("select ID,name,type,0,jifen,shengyujine from huiyuan where ID='" + member + "'").value(0);
    dlg.setup(QStringLiteral("会员交费"), m);
    dlg.show();
    onNextModal([](QWidget *w) {
        auto *code = w->findChild<QLineEdit *>("lineEdit");
        code->setText("S02");
        QMetaObject::invokeMethod(code, "editingFinished");
        w->findChild<QLineEdit *>("lineEdit_2")->setText("2");
        w->findChild<QLineEdit *>("lineEdit_4")->setText("150");
        clickButton(w, "toolButton");
    });
    clickButton(&dlg, "toolButton_2");
    clickButton(&dlg, "toolButton_4");
    if (dlg.result() != QDialog::Accepted)
        return false;
    say("renewal " + dlg.documentId());
    return true;
}
} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) // a desk may also be watched on a display
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    registerRecordTypes();
    if (argc < 2)
        return 2;
    // "cut N seed" / "kill N seed": the power fails, or the process is killed,
    // at the Nth write or sync after start-up (writes happen only in commits
    // and checkpoints). "desk N": one desk of several, stopping after N
    // operations (refusals included).
    const QString how = argc >= 3 ? QString::fromLatin1(argv[2]) : QString();
    const bool powerCut = argc >= 5 && (how == QLatin1String("cut") || how == QLatin1String("kill"));
    const int operations = argc >= 4 && how == QLatin1String("desk") ? QString::fromLocal8Bit(argv[3]).toInt() : -1;
    if (powerCut)
        PowerCut::install();
    const QString dir = QString::fromLocal8Bit(argv[1]);
    QDir::setCurrent(dir);
    const bool fresh = !QFile::exists("mochenxinxi.db");
    if (!QFile::exists("dbset.xml"))
        QFile::copy(QStringLiteral(MOCHEN_SOURCE_DIR "/dbset.xml"), "dbset.xml");
    openDatabase();
    createTables();
    if (fresh) {
        seedShop();
        sqlExec("update huiyuan set jifen=40 where ID='1001'"); // as its points row says
    }
    operatorSession().loginName = QStringLiteral("admin");
    operatorSession().name = QStringLiteral("admin");
    MainWindow main;
    PromptRecorder prompts; // every question gets its first answer
    if (powerCut) {
        // Checkpoints now and then as well, not only after 1000 pages.
        sqlExec("pragma wal_autocheckpoint=50");
        PowerCut::arm(how == QLatin1String("cut") ? PowerCut::Mode::Cut : PowerCut::Mode::Kill,
                      QString::fromLatin1(argv[3]).toLong(), QString::fromLatin1(argv[4]).toUInt());
    }
    say("ready");
    auto *rng = QRandomGenerator::global();
    for (int done = 0; operations < 0 || done < operations; ++done) {
        const QString member = rng->bounded(3) ? QStringLiteral("1001") : QStringLiteral("1002");
        const int op = rng->bounded(4);
        bool ok = op == 0 ? topUp(main, member) : op == 1 ? renew(main, member) : sale(main, member, rng->bounded(2));
        if (!ok)
            say("refused " + prompts.last());
    }
    say("done");
    return 0;
}
