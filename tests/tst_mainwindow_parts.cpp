// The pieces around the main window: the navigation model and its badges, and
// the operation log query.
#include <QDateEdit>
#include <QFontMetrics>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTableView>
#include <QtTest>

#include "navdelegate.h"
#include "navlistview.h"
#include "navmodel.h"
#include "showlogdlg.h"
#include "helpdlg.h"
#include <QTextBrowser>
#include "testsupport.h"

namespace {
QStringList rowTexts(const QAbstractItemModel *model)
{
    QStringList out;
    for (int r = 0; r < model->rowCount(); ++r)
        out << model->index(r, 0).data().toString();
    return out;
}

QStringList logTexts(QTableView *view)
{
    QStringList out;
    for (int r = 0; r < view->model()->rowCount(); ++r)
        out << view->model()->index(r, 2).data().toString();
    return out;
}
} // namespace

class TstMainWindowParts : public QObject
{
    Q_OBJECT
private slots:
    void navModelRowsAndCollapse();
    void navBadges();
    void logQuery();
    void helpIsTheManualShippedWithTheProgram();
};

void TstMainWindowParts::navModelRowsAndCollapse()
{
    NavListView view;
    NavModel *model = view.navModel();
    model->setData({"前台收银||0|", "前台收银|前台收银||", "孤儿|不存在||", "短|",
                    "报表||1|", "消费|报表||3", "交费|报表||", "设置||0|", "服务|设置||"});
    // The orphan and the short string are dropped; a collapsed category hides its pages.
    QCOMPARE(rowTexts(model), (QStringList{"前台收银", "前台收银", "报表", "设置", "服务"}));
    QCOMPARE(model->nodeAt(1)->level, 2);
    QVERIFY(model->nodeAt(4)->last);
    QVERIFY(!model->nodeAt(1)->last);

    // Expanding announces the inserted rows and keeps the category in place.
    QSignalSpy inserted(model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(model, &QAbstractItemModel::rowsRemoved);
    emit view.doubleClicked(model->index(2, 0));
    QCOMPARE(rowTexts(model), (QStringList{"前台收银", "前台收银", "报表", "消费", "交费", "设置", "服务"}));
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted.at(0).at(1).toInt(), 3);
    QCOMPARE(inserted.at(0).at(2).toInt(), 4);
    QCOMPARE(model->index(3, 0).data(Qt::UserRole).value<const NavModel::TreeNode *>()->info, QString("3"));

    // A page row does nothing; the category collapses again.
    emit view.doubleClicked(model->index(3, 0));
    QCOMPARE(model->rowCount(), 7);
    emit view.doubleClicked(model->index(0, 0));
    QCOMPARE(rowTexts(model), (QStringList{"前台收银", "报表", "消费", "交费", "设置", "服务"}));
    QCOMPARE(removed.count(), 1);

    // Size hints: categories 50, pages 40.
    QStyleOptionViewItem option;
    QCOMPARE(view.navDelegate()->sizeHint(option, model->index(0, 0)).height(), 50);
    QCOMPARE(view.navDelegate()->sizeHint(option, model->index(2, 0)).height(), 40);
    QVERIFY(view.navDelegate()->iconFontLoaded());

    // Painting every row in every state must not fail (icons, badges, lines).
    view.resize(180, 400);
    view.setIcoStyle(NavListView::IcoStyle_Triangle);
    view.setIcoColorBg(true);
    view.setCurrentIndex(model->index(2, 0));
    QVERIFY(!view.grab().isNull());
}

void TstMainWindowParts::navBadges()
{
    QFont font;
    font.setPixelSize(11);
    const QFontMetrics fm(font);
    QCOMPARE(NavDelegate::badgeText("5", fm, 44), QString("5"));
    QCOMPARE(NavDelegate::badgeText("999", fm, 44), QString("999"));
    QCOMPARE(NavDelegate::badgeText("1000", fm, 44), QString("999+"));
    QCOMPARE(NavDelegate::badgeText("1000", fm, 12), QString(".."));
    QCOMPARE(NavDelegate::badgeText("新", fm, 44), QString());
    QCOMPARE(NavDelegate::badgeText("", fm, 44), QString());
}

void TstMainWindowParts::logQuery()
{
    TestWorkdir dir;
    const QString today = QDate::currentDate().toString("yyyy-MM-dd");
    for (const QString &row : {
             QString("'2026-01-04 23:59:59','admin','系统登录成功'"),
             QString("'2026-01-05 00:00:00','admin','系统登录成功'"),
             QString("'2026-01-05 12:00:00','O''Neil','增加会员消费  会员号：1'"),
             QString("'2026-01-05 23:59:59','admin','交班'"),
             QString("'2026-01-06 00:00:00','admin','系统登录失败'"),
             QString("'" + today + " 00:00:01','admin','今天的记录'")})
        sqlExec("insert into log(time,\"user\",log) values(" + row + ")");

    showLogDlg dlg;
    auto *view = dlg.findChild<QTableView *>("tableView");
    auto *from = dlg.findChild<QDateEdit *>("dateEdit");
    auto *to = dlg.findChild<QDateEdit *>("dateEdit_2");
    auto *keyword = dlg.findChild<QLineEdit *>("lineEdit");
    QVERIFY(view && view->model() && from && to && keyword);
    // Opening: today's rows up to now.
    QCOMPARE(logTexts(view), QStringList{"今天的记录"});
    QCOMPARE(from->date(), QDate::currentDate());

    struct Case
    {
        const char *from, *to, *keyword;
        QStringList expected;
    };
    const Case cases[] = {
        {"2026-01-05", "2026-01-05", "", {"系统登录成功", "增加会员消费  会员号：1", "交班"}},
        {"2026-01-04", "2026-01-06", "登录", {"系统登录成功", "系统登录成功", "系统登录失败"}},
        {"2026-01-04", "2026-01-06", "登录%功", {"系统登录成功", "系统登录成功"}},
        {"2026-01-06", "2026-01-04", "", {}},
        {"2026-01-01", "2026-01-31", "O'Neil", {}}, // the operator is not in the text
        {"2026-01-01", "2026-01-31", "会员号：1'", {}},
        {"2026-01-01", "2026-01-31", "号：1", {"增加会员消费  会员号：1"}},
    };
    for (const Case &c : cases) {
        from->setDate(QDate::fromString(c.from, "yyyy-MM-dd"));
        to->setDate(QDate::fromString(c.to, "yyyy-MM-dd"));
        keyword->setText(QString::fromUtf8(c.keyword));
        clickButton(&dlg, "toolButton_139");
        QCOMPARE(logTexts(view), c.expected);
    }
    // A quote in the keyword is searched for, not run.
    sqlExec("insert into log(time,\"user\",log) values('2026-01-07 08:00:00','admin','备注：O''Neil')");
    keyword->setText("O'Neil");
    clickButton(&dlg, "toolButton_139");
    QCOMPARE(logTexts(view), QStringList{"备注：O'Neil"});
}

// An offline shop computer: 帮助 shows the manual inside the program, with
// the web address only as a link beside it.
void TstMainWindowParts::helpIsTheManualShippedWithTheProgram()
{
    HelpDlg help(QStringLiteral("https://example.invalid/manual"));
    const QString text = help.findChild<QTextBrowser *>(QStringLiteral("textBrowser"))->toPlainText();
    QVERIFY2(text.contains(QStringLiteral("不需要上网")) && text.contains(QStringLiteral("经营指标")), qPrintable(text));
}

QTEST_MAIN(TstMainWindowParts)
#include "tst_mainwindow_parts.moc"
