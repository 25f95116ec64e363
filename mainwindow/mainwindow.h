#ifndef MAINWINDOW_H
#define MAINWINDOW_H

#include <QList>
#include <QHash>
#include <QMainWindow>
#include <QMap>
#include <QPair>
#include <QPoint>
#include <QStringList>
#include <QVariant>
#include <memory>

#include "ctrluiclass.h"
#include "membersummary.h"
#include "viewfilter.h"
#include "tableregistry.h"

enum class ImportKind;

namespace Ui {
class MainWindow;
}

class QAbstractButton;
class QComboBox;
class QLabel;
class QStandardItemModel;
class QTableView;

// The single top-level window: every page, the navigation list, the request
// hub of all dialogs and the refresh of the lists that show a changed table.
// Page behaviour of each area lives in mainwindow_<area>.cpp (declarations in
// the marked blocks below); the area hooks are in mainwindow_hooks.cpp.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // Re-runs every list that shows the table ("huiyuan", "user", ...).
    void refreshByTable(const QString &table);
    // Re-runs the five front-desk lists for one member.
    void refreshMemberViews(const QString &memberId);
    // The member ID in the member panel; empty while no member is chosen.
    QString currentMemberId() const;
    // Selects the page of a navigation text, with the administrator check for
    // the settings pages. Returns whether the page changed.
    bool navigateTo(const QString &text);
    // Gives every list that has not been shown yet its first load now (the lists
    // of the pages behind the front desk load when first shown).
    void loadDeferredViews();

public slots:
    // Entry point of every request a dialog sends through DlgSend.
    void DlgRecv(const QString &key, const QVariant &value);

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    void on_listView_pressed(const QModelIndex &index);
    void btClick();
    void deletebtClick();
    void tableViewClick();
    void tableViewDoubleClick();
    void exportClick();
    void on_toolButton_7_clicked();   // 日志查询
    void on_toolButton_10_clicked();  // 帮助
    void on_changePasswordButton_clicked(); // 修改密码 of the operator at work
    void on_toolButton_31_clicked();  // exit
    void on_toolButton_35_clicked();  // minimise
    void on_toolButton_138_clicked(); // operator: add
    void on_toolButton_140_clicked(); // operator: change

private:
    void applyStyle();
    void setupTitleArea();
    void setupFrame();
    void setupViews();
    void setupNavigation();
    void setupCombos();
    void connectLists();
    void deleteRow(int position);
    void openOperatorDialog(int mode);

    // ---- area hooks (mainwindow_hooks.cpp; each area fills in its lines) ----
    // Keys other than the generic ones ("会员选择", "收款", ...).
    void handleAreaRequest(const QString &key, const QVariant &value);
    // Construction: just before / after the tables are created, and at the end.
    void beforeTablesCreated();
    void afterTablesCreated();
    void afterConstruction();
    // After the navigation selected a page (the settings pages refill their lists).
    void afterNavigate(const QString &text);
    // After the lists of a member table were re-run (member totals, reload).
    void afterMemberDataChanged(const QString &table);

    Ui::MainWindow *ui;
    ctrlUiClass *m_ctrl = nullptr;
    std::unique_ptr<TableRegistry> m_registry;
    QStandardItemModel *m_statModel = nullptr; // comprehensive statistics tree
    QLabel *m_statusLabel = nullptr;
    // Current member as read from the store (the front desk fills it; the
    // walk-in customer is a value of its own).
    MemberSummary m_member;
    QList<QAbstractButton *> m_queryButtons;   // btClick(), in this order
    QList<QAbstractButton *> m_deleteButtons;  // deletebtClick(), in this order
    QList<QTableView *> m_doubleClickViews;    // tableViewDoubleClick()
    QList<QTableView *> m_clickViews;          // tableViewClick()
    QMap<QAbstractButton *, QString> m_exportButtons; // button -> view name
    QPoint m_dragOffset;
    bool m_dragging = false;

    // ---- frontdesk ----
public:
    // "会员选择": the member becomes the current one; panel, lists and totals follow.
    void selectMember(const MemberSummary &member);
    // The same for a list row whose first column is the member's ID.
    void selectMember(const QStringList &record);
    // "收款" of the repayment's payment dialog: books the repayment in one transaction.
    void repayDebt(const QStringList &reply);
    // Re-reads the current member's row into the panel.
    void reloadCurrentMember();
    // 累计消费 and the open debt of the current member beside the panel.
    void showMemberTotals();
private slots:
    void on_toolButton_27_clicked(); // 查询
    void on_toolButton_28_clicked(); // 散客
    void on_toolButton_14_clicked(); // 还款
    void on_toolButton_3_clicked();  // 会员管理: 删除
private:
    void setupFrontDesk();
    void fillMemberPanel(const MemberSummary &member);
    void clearMemberPanel();

    // ---- checkout ----
public:
    // The counter's feedback line in the status bar (document, balance, uses,
    // debt); the document becomes the one F9 prints.
    void showCounterStatus(const QString &text, const QString &documentId = QString());
    // "单号 … 余额 … 剩余次数 … 欠款 …" of a member after an operation on it.
    QString counterFeedback(const QString &what, const QString &documentId, const QString &memberId) const;
    QString resumedNotPaidText(const QString &heldId) const;
    void showRefundDone(const QString &what, const QString &documentId, const QString &memberId);
private slots:
    void on_toolButton_12_clicked(); // 添加消费
    void on_toolButton_13_clicked(); // 解挂
private:
    MemberSummary checkoutCustomer() const;
    void runCheckout(const QString &heldId, const QString &bookingId = QString());
    void setupCounterKeys();
    QString m_lastDocument; // the latest document of this desk, for F9

    // ---- members ----
public:
    // Card type editor; mode 2 edits the selected row of "会员卡信息".
    void openCardTypeDlg(int mode);
    // Member dialog; mode 2 edits the selected row of "会员管理". True when saved.
    bool openMemberDlg(int mode);
private slots:
    void on_toolButton_29_clicked();  // 添加会员 (front desk)
    void on_toolButton_15_clicked();  // 会员交费: top-up (front desk)
    void on_toolButton_16_clicked();  // 套餐续费 (front desk)
    void on_toolButton_clicked();     // member page: 添加
    void on_toolButton_2_clicked();   // member page: 修改
    void on_tableView_9_doubleClicked(const QModelIndex &index);
    void on_toolButton_4_clicked();   // member page: 充值
    void on_toolButton_33_clicked();  // member page: 套餐续费
    void on_toolButton_149_clicked(); // card type: 添加
    void on_toolButton_150_clicked(); // card type: 修改
private:
    void openTopUp(const MemberSummary &member);
    void openRenewal(const MemberSummary &member);

    // ---- catalogue ----
public:
    // The edit dialogs of the settings pages; mode 2 edits the selected row.
    void openServiceItemDlg(int mode);
    void openProductDlg(int mode);
    void openPackageDlg(int mode);
    void openEmployeeDlg(int mode);
    // The stock document window, kind "入库明细" or "出库明细".
    void openStockDlg(const QString &kind);
private slots:
    void on_toolButton_37_clicked();  // service item: add
    void on_toolButton_38_clicked();  // service item: change
    void on_toolButton_44_clicked();  // product: add
    void on_toolButton_45_clicked();  // product: change
    void on_toolButton_104_clicked(); // package: add
    void on_toolButton_105_clicked(); // package: change
    void on_toolButton_141_clicked(); // employee: add
    void on_toolButton_142_clicked(); // employee: change
    void on_toolButton_153_clicked(); // 入库
    void on_toolButton_148_clicked(); // 出库
    void on_tableView_26_doubleClicked(const QModelIndex &index); // package: change
private:
    bool catalogueRow(const QString &view, int mode, const QString &what, QStringList *row);
    // "删除" of the stock page: one correcting movement brings the product's
    // stock to zero; its history stays. row = a row of "产品库存".
    void clearProductStock(const QStringList &row);
    // ---- end catalogue ----

    // ---- rules ----
    void rulesBeforeTablesCreated();              // hooks the item-list refills into createTables
    void rulesAfterNavigate(const QString &text); // refills the page's item list
    void showTichengDetail(const QStringList &row);
    void showCuxiaoDetail(const QStringList &row);
private slots:
    void on_tableView_39_clicked(const QModelIndex &index);       // 提成策略临时列表 -> 提成策略明细
    void on_tableView_39_doubleClicked(const QModelIndex &index); // 服务提成设置
    void on_tableView_44_clicked(const QModelIndex &index);       // 促销策略临时列表 -> 促销策略明细
    void on_tableView_44_doubleClicked(const QModelIndex &index); // 促销设置
private:

    // ---- refunds, voids and receipts ----
public:
    // 作废消费单 of a sale, from whichever list showed it; true when voided.
    bool openVoidSale(const QString &saleId);
private slots:
    void on_toolButton_25_clicked();           // 退储值 (余额变动 tab)
    void on_toolButton_21_clicked();           // 退套餐 (会员套餐 tab)
    void on_toolButton_voidSale_clicked();     // 作废 (会员消费 tab)
    void on_toolButton_voidStatSale_clicked(); // 作废 (消费统计 page)
    void on_toolButton_17_clicked();           // 打印 (会员消费 tab)
    void on_toolButton_19_clicked();           // 打印 (会员交费 tab)
private:
    bool refundMember(QString *memberId);

    // ---- reports ----
public:
    // The "综合统计" tree for the period of dateEdit_13/dateEdit_14.
    void refreshTakingsStatistics();
    // "每日提醒": the reminder window; the notice after login (button caption and status bar).
    void openDailyReminders();
    void noticeDailyReminders();
private slots:
    void on_tableView_14_clicked(const QModelIndex &index); // 消费统计 -> 会员统计消费明细
    void on_tableView_10_clicked(const QModelIndex &index); // 会员交费统计 -> 明细
    void on_tableView_20_clicked(const QModelIndex &index); // 服务消费分析 -> 明细
    void on_tableView_22_clicked(const QModelIndex &index); // 产品消费分析 -> 明细
    void on_tableView_41_clicked(const QModelIndex &index); // 员工提成 -> 提成明细
    void on_tableView_33_clicked(const QModelIndex &index); // 入库统计 -> 入库明细
    void on_tableView_36_clicked(const QModelIndex &index); // 出库统计 -> 出库明细
    void on_tableView_clicked(const QModelIndex &index);    // 会员消费 -> 消费明细
    void on_toolButton_86_clicked(); // 综合统计 查询: tree and cash-register detail
    void on_toolButton_66_clicked(); // 交班历史 查询
    void on_toolButton_8_clicked();  // 交班
    void on_comboBox_32_activated(int index); // payment method of the cash-register detail
private:
    void reportsQuery(int position);          // btClick() branch by position
    void reportsDrillDown(QTableView *view);  // tableViewClick(): a master list with a detail
    void reportsShowDetail(const QString &master, int row);
    void refreshCashDetail();
    void followTheKeys();
    void setupReportFilters();
    QComboBox *addPeriodControls(QWidget *queryButton, const QString &page);
    ViewFilter analysisPeriod(const QString &page) const;
    static void showReminderNotice(MainWindow *window, const QString &notice);
    void clearDetailOf(const QString &master);
    bool reportsFirstLoad(QTableView *view);
    QHash<QTableView *, QString> m_firstLoads; // report lists not shown yet, and their list names
    void refreshStockDocuments();
    // ---- end reports ----

    // ---- import ----
private:
    // 导入 beside the page buttons of members, service items and products.
    void setupImports();
    void openImportDlg(ImportKind kind);
    // ---- end import ----

    // ---- booking ----
public:
    // The appointment book's page (F11); null before the construction ends.
    class BookingPage *bookingPage() const { return m_bookingPage; }
    // 开单 of a booking: its customer becomes current and the checkout opens with its lines.
    void checkoutBooking(const QString &bookingId);
private:
    void setupBooking();
    bool navigateToBooking(const QString &text);
    // The current member's next booking and no-shows in the member panel.
    void showMemberBookings();
    // Today's bookings and those of the coming hour, in the status bar.
    void showBookingStatus();
    void afterBookingCheckout();
    class BookingPage *m_bookingPage = nullptr;
    // ---- end booking ----

    // ---- member life ----
public:
    // 顾客档案 of the current member (F10).
    void openVisitNotes();
    // 会员卡升级 of the current member.
    void openCardUpgrade();
    // 充值规则 of the card type chosen in the card type list.
    void openTopUpRules();
    // 套餐有效期 of the current member's packages.
    void openPackageExpiry();
    // 积分兑换 of the current member.
    void openPointsRedemption();
    // 代金券: the numbered vouchers.
    void openVouchers();
private:
    void setupMemberLife();
    // The current member's warnings from the visit notes, in the member panel.
    void showMemberWarnings();
    // ---- end member life ----

};

#endif
