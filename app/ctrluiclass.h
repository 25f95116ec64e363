#ifndef CTRLUICLASS_H
#define CTRLUICLASS_H

#include <QList>
#include <QVector>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QTableView>
#include <QString>
#include <QStringList>

#include "dbrecords.h"
#include "dbsetconfig.h"
#include "liststatement.h"
#include "viewfilter.h"

#include <QVariantMap>
#include <optional>

class ListModel;
class QComboBox;
class QSqlQueryModel;
class QTableView;
struct TableEntry;

// A table view bound to a TableView entry of dbset.xml.
class ctrlUiClass;

struct ViewBinding
{
    QPointer<QTableView> view;        // owned by the dialog, which may go first
    ListModel *model = nullptr;       // owned by the binding
    TableViewinfo info;
    QString baseSql;
    QString lastSql;       // the statement the model holds now
    QVariantList lastValues; // its bound values
    std::optional<ViewFilter> lastFilter; // when it was run as a declared list
    QString pendingSql;    // a first load waiting for the view to be shown
    QVariantList pendingValues;
    std::optional<ViewFilter> pendingFilter; // the declared filter of that load, for its 合计
    bool pending = false;
    ctrlUiClass *owner = nullptr; // told when the list has been run again
    ListStatement prepared; // its bound statement, kept prepared
    // Column widths, set once from the header and the first rows and kept
    // through every later run (and the operator's own adjustments with them).
    QVector<int> widths;
    bool sizedFromRows = false;
    ~ViewBinding();
};

// The data-layer object every window owns: statements, queries, the operation
// log, the two message boxes, time texts, view bindings, combo fillers, CSV
// export and period filters. All on Qt's default connection.
class ctrlUiClass : public QObject
{
    Q_OBJECT
public:
    explicit ctrlUiClass(QObject *parent = nullptr);
    ~ctrlUiClass() override;

    // Ends the reads of every list that has not fetched to its end (it keeps
    // the rows it has until it is run again), so that the connection can write.
    static void releasePendingReads();

    QString flavour() const { return QStringLiteral("SQLite"); }

    void writeLog(const QString &user, const QString &text); // quotes are safe

    static QString nowText();    // yyyy-MM-dd hh:mm:ss, local
    static QString todayText();  // yyyy-MM-dd
    static QString serialNow();  // yyyyMMddhhmmsszzz

    // The "提示" notice and the "警告" question (true only for "是").
    static void showInfo(const QString &text, QWidget *parent = nullptr);
    static bool askYesNo(const QString &text, QWidget *parent = nullptr);
    // The same question with "否" under Enter: for a "是" that creates a debt.
    static bool askYesNoDefaultNo(const QString &text, QWidget *parent = nullptr);

    // The four generic statement builders; values are always bound.
    bool insertRecord(const TableEntry *table, const QStringList &values);
    bool updateRecord(const TableEntry *table, const QStringList &fields,
                      const QStringList &values, int whereCount);
    bool deleteRecord(const TableEntry *table, const QStringList &fields,
                      const QStringList &values);

    // Views bound to TableView entries, addressed by the entry name.
    void setupView(const DbsetMap &map, QTableView *view, const QString &name);
    void setupViewWith(const DbsetMap &map, QTableView *view, const QString &name,
                       const QString &extra);
    // Binds the view and runs nothing: for a list its caller runs at once with a
    // filter of its own (a picker), so that the unfiltered base statement (every
    // member of the shop) is never read for nothing.
    void bindView(const DbsetMap &map, QTableView *view, const QString &name);
    // Binds the view and runs no SQL: the base statement + extra is run when the
    // view is first shown, unless a refresh (which runs at once) came first.
    void setupViewDeferred(const DbsetMap &map, QTableView *view, const QString &name,
                           const QString &extra);
    // A declared list (see viewdeclarations.h): bound, its default condition run
    // when the view is first shown; a list without a default waits for its page.
    void setupDeclaredView(const DbsetMap &map, QTableView *view, const QString &name);
    void loadPendingViews();                       // every first load still waiting
    bool isPending(const QString &name) const;
    // Appends text to the base statement (or replaces it): for a dialog's own lists.
    void refreshView(const QString &name, const QString &text, bool replace = false);
    // Runs a statement of the store, its values bound, as a dialog's own list.
    void refreshViewBound(const QString &name, const QString &sql, const QVariantList &values);
    // Runs a list with its declared fixed conditions, the filter's (values bound)
    // and its grouping; an unknown name is said in the log and runs nothing.
    void refreshView(const QString &name, const ViewFilter &filter);
    // The same when the list is on screen; otherwise it becomes the list's next
    // load, run when its view is shown (a tab behind the one the cashier reads).
    void refreshViewWhenShown(const QString &name, const ViewFilter &filter);
    void showDefault(const QString &name);          // the declared default condition
    // The same when the list is on screen; otherwise it becomes the list's next
    // load, run when its view is shown again.
    void showDefaultWhenShown(const QString &name);
    // Fills the detail list of master for one of its rows (read by column name);
    // extra conditions (the master's period) apply to the detail too. False when
    // the master has no detail or the row lacks a key column.
    bool showDetail(const QString &master, int row, const ViewFilter &extra = ViewFilter());
    QVariantMap rowMap(const QString &name, int row) const; // column name -> value
    QStringList currentRowValues(const QString &name) const;
    QStringList rowValues(const QString &name, int row) const;
    int viewRowCount(const QString &name) const;  // rows fetched so far
    QString baseSql(const QString &name) const;
    QString currentSql(const QString &name) const; // what the list shows (or will, when shown)
    QVariantList currentValues(const QString &name) const; // the values bound to it
    // The list's declared 合计 for what it shows now, read by the store: the
    // count, then one sum per totalled column. Empty when it has none (or was
    // last run with a text of its own).
    QStringList declaredTotals(const QString &name) const;
    QTableView *boundView(const QString &name) const;
    // Saves everything the list's statement selects as a CSV file the user
    // chooses. A list leaves the shop with the members' names, phones and
    // balances: only an operator holding the settings right may take it.
    void exportView(const QString &name, const QString &byOperator);
    void clearViews();

    // Drop-down lists, from rows the store read: first column the id, second the text shown.
    static void fillComboFromRows(QComboBox *box, const QList<QVariantList> &rows);
    static QString comboCurrentId(QComboBox *box);
    void fillCombo(QComboBox *box, const QString &key, const QString &mode);


signals:
    // A list has been (re-)run: its rows are new, details and totals follow.
    void viewRefreshed(const QString &name);

private:
    ViewBinding *bind(const DbsetMap &map, QTableView *view, const QString &name);
    static void runView(ViewBinding *b, QString sql, QVariantList values = QVariantList(),
                        std::optional<ViewFilter> declared = std::nullopt);
    static void rememberColumnWidths(ViewBinding *b);
    static void keepColumnWidths(ViewBinding *b);
    ViewBinding *binding(const QString &name) const; // says so in the log when unknown
    static ViewBinding *loaded(ViewBinding *b); // runs a waiting first load
    bool eventFilter(QObject *watched, QEvent *event) override;
    QMap<QString, ViewBinding *> m_views;
};

#endif
