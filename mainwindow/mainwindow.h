#ifndef MAINWINDOW_H
#define MAINWINDOW_H

#include <QList>
#include <QMainWindow>
#include <QMap>
#include <QPoint>
#include <QStringList>
#include <QVariant>
#include <memory>

#include "ctrluiclass.h"
#include "tableregistry.h"

enum class ImportKind;
struct MemberSummary;

namespace Ui {
class MainWindow;
}

class BookingDesk;
class BookingPage;
class FrontDesk;
class MemberActions;
class MemberLife;
class QAbstractButton;
class QLabel;
class RefundActions;
class ReportPages;
class SettingsActions;

// The single top-level window: the pages in one form, the navigation list,
// the requests the dialogs send (DlgRecv) and the refresh of the lists that
// show a changed table. What each area's widgets do lives in its own class
// (FrontDesk, MemberActions, RefundActions, MemberLife, BookingDesk,
// ReportPages, SettingsActions), made and wired here at start-up.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // Re-runs every list declared to show the table ("huiyuan", "user", ...)
    // that has been loaded (one not shown yet reads the change when it is).
    void refreshByTable(const QString &table);
    // The tables one document changed: each list that shows any of them re-runs once.
    void refreshByTable(const QStringList &tables);
    // Re-runs the front desk's lists of the member chosen for one member.
    void refreshMemberViews(const QString &memberId);

    // While one is alive the refreshes asked of the window are gathered, and
    // when the last one ends each list they name re-runs once: held around a
    // document's dialog, whose own "刷新数据列表" and its opener's then count once.
    class RefreshHold
    {
    public:
        explicit RefreshHold(MainWindow *window);
        ~RefreshHold();
        RefreshHold(const RefreshHold &) = delete;
        RefreshHold &operator=(const RefreshHold &) = delete;

    private:
        MainWindow *m_window;
    };

    // The member ID in the member panel; empty while no member is chosen.
    QString currentMemberId() const;
    // "会员选择" of a list row whose first column is the member's ID.
    void selectMember(const QStringList &record);
    // Selects the page of a navigation text, with the administrator check for
    // the settings pages. Returns whether the page changed.
    bool navigateTo(const QString &text);
    // The navigation texts only an operator with the settings right may open.
    static QStringList settingsPages();
    // The delete and export buttons wherever they are: each asks for the
    // settings right at the press.
    QList<QAbstractButton *> guardedButtons() const;
    // Gives every list that has not been shown yet its first load now (the lists
    // of the pages behind the front desk load when first shown).
    void loadDeferredViews();
    // The notice of the daily reminders after login (button caption and status bar).
    void noticeDailyReminders();
    // 顾客档案 of the current member (F10).
    void openVisitNotes();
    // The appointment book's page (F11); null before the construction ends.
    BookingPage *bookingPage() const;

    // The operator's line in the status bar, and the operator at work named in it.
    QLabel *statusLabel() const { return m_statusLabel; }
    void showOperatorLine();

public slots:
    // Entry point of every request a dialog sends through DlgSend.
    void DlgRecv(const QString &key, const QVariant &value);

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    void on_listView_pressed(const QModelIndex &index);
    void exportClick();
    void on_toolButton_7_clicked();   // 日志查询
    void on_toolButton_10_clicked();  // 帮助
    void on_changePasswordButton_clicked(); // 修改密码 of the operator at work
    void on_toolButton_31_clicked();  // exit
    void on_toolButton_35_clicked();  // minimise

private:
    void applyStyle();
    void setupTitleArea();
    void setupFrame();
    void setupViews();
    void setupNavigation();
    void setupCombos();
    void connectLists();

    // ---- area hooks (mainwindow_hooks.cpp; each area fills in its lines) ----
    // Keys other than the generic ones ("会员选择", "收款", ...).
    void handleAreaRequest(const QString &key, const QVariant &value);
    // Construction: just before / after the tables are created, and at the end.
    void beforeTablesCreated();
    void afterTablesCreated();
    void afterConstruction();
    // After the navigation selected a page (the settings pages refill their lists).
    void afterNavigate(const QString &text);
    QWidget *pageOf(const QString &text) const;
    // After the member's lists were re-run for a changed table (member totals, reload).
    void afterMemberDataChanged();
    void rerunLists(const QStringList &tables);

    Ui::MainWindow *ui;
    ctrlUiClass *m_ctrl = nullptr;
    std::unique_ptr<TableRegistry> m_registry;
    QLabel *m_statusLabel = nullptr;
    QMap<QAbstractButton *, QString> m_exportButtons; // button -> view name
    int m_refreshHolds = 0;
    QStringList m_heldTables; // asked for while held, in order, each once
    QPoint m_dragOffset;
    bool m_dragging = false;

    // The areas, children of the window.
    FrontDesk *m_frontDesk = nullptr;
    MemberActions *m_members = nullptr;
    RefundActions *m_refunds = nullptr;
    MemberLife *m_memberLife = nullptr;
    BookingDesk *m_booking = nullptr;
    ReportPages *m_reports = nullptr;
    SettingsActions *m_settings = nullptr;

    // ---- import ----
private:
    // 导入 beside the page buttons of members, service items and products.
    void setupImports();
    void openImportDlg(ImportKind kind);
    // ---- end import ----
};

#endif
