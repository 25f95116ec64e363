#include "ctrluiclass.h"
#include "csvexport.h"
#include "prompt.h"
#include "operatorstore.h"
#include "sqllog.h"
#include "tableregistry.h"
#include "transactionscope.h"
#include "sqltext.h"
#include "sqldialect.h"
#include "viewdeclarations.h"

#include <QComboBox>
#include <QSet>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QHeaderView>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QTableView>


namespace {
QStringList rowTexts(const QSqlQuery &q)
{
    QStringList row;
    const int n = q.record().count();
    row.reserve(n);
    for (int i = 0; i < n; ++i)
        row << q.value(i).toString();
    return row;
}

void noteFailure(const QString &sql, const QSqlQuery &q)
{
    TransactionScope::noteFailure(sql, q.lastError().text());
}

// Runs a statement; a failure goes to the debug output and into the open transaction scope.
bool run(QSqlQuery &q, const QString &sql)
{
    if (q.exec(SqlDialect::translate(sql)))
        return true;
    qCWarning(lcSql).noquote() << QStringLiteral("数据库操作错误：") + sql << q.lastError().text();
    noteFailure(sql, q);
    return false;
}

// The same with values bound to its ? marks, in order.
bool runBound(QSqlQuery &q, const QString &sql, const QVariantList &values)
{
    if (values.isEmpty())
        return run(q, sql);
    if (q.prepare(SqlDialect::translate(sql))) {
        for (int i = 0; i < values.size(); ++i)
            q.bindValue(i, values.at(i));
        if (q.exec())
            return true;
    }
    qCWarning(lcSql).noquote() << QStringLiteral("数据库操作错误：") + sql << SqlLog::shown(sql, values) << q.lastError().text();
    noteFailure(sql, q);
    return false;
}

} // namespace

ViewBinding::~ViewBinding()
{
    if (view && view->model() == model)
        view->setModel(nullptr);
    delete model;
}

namespace {
// Rows a query's columns are sized from.
constexpr int kSizingRows = 64;
}

namespace {
QSet<ctrlUiClass *> &liveInstances()
{
    static QSet<ctrlUiClass *> all;
    return all;
}
} // namespace

ctrlUiClass::ctrlUiClass(QObject *parent) : QObject(parent)
{
    liveInstances().insert(this);
    TransactionScope::setReleaseReads(&ctrlUiClass::releasePendingReads);
}

ctrlUiClass::~ctrlUiClass()
{
    liveInstances().remove(this);
    clearViews();
}

void ctrlUiClass::releasePendingReads()
{
    for (ctrlUiClass *c : qAsConst(liveInstances())) {
        for (ViewBinding *b : qAsConst(c->m_views)) {
            if (b->model && b->model->canFetchMore()) {
                QSqlQuery q = b->model->query(); // shares the model's result
                q.finish();
            }
        }
    }
}

bool ctrlUiClass::execSql(const QString &sql)
{
    QSqlQuery q;
    if (!run(q, sql))
        return false;
    qCDebug(lcSql).noquote() << sql;
    return true;
}

bool ctrlUiClass::execSql(const QString &sql, const QVariantList &values)
{
    QSqlQuery q;
    if (!runBound(q, sql, values))
        return false;
    qCDebug(lcSql).noquote() << sql << SqlLog::shown(sql, values);
    return true;
}

QList<QStringList> ctrlUiClass::queryRows(const QString &sql)
{
    QList<QStringList> rows;
    QSqlQuery q;
    q.setForwardOnly(true);
    if (!run(q, sql))
        return rows;
    while (q.next())
        rows << rowTexts(q);
    qCDebug(lcSql).noquote() << sql << QStringLiteral(":查询结果") << rows.size();
    return rows;
}

QStringList ctrlUiClass::queryRow(const QString &sql)
{
    return queryRow(sql, QVariantList());
}

QStringList ctrlUiClass::queryRow(const QString &sql, const QVariantList &values)
{
    QSqlQuery q;
    q.setForwardOnly(true);
    if (!runBound(q, sql, values))
        return {};
    QStringList row;
    if (q.next()) {
        row = rowTexts(q);
        if (q.next())
            row.clear(); // more than one row counts as none
    }
    qCDebug(lcSql).noquote() << sql << QStringLiteral(":查询结果") << SqlLog::shown(sql, row);
    return row;
}

int ctrlUiClass::countRows(const QString &sql)
{
    QSqlQuery q;
    q.setForwardOnly(true);
    if (!run(q, sql))
        return 0;
    int n = 0;
    while (q.next())
        ++n;
    qCDebug(lcSql).noquote() << sql << QStringLiteral(":查询结果") << n;
    return n;
}

void ctrlUiClass::writeLog(const QString &user, const QString &text)
{
    execSql(QStringLiteral("insert into log(time,user,log) values('") + nowText() + QStringLiteral("','")
            + sqlEsc(user) + QStringLiteral("','") + sqlEsc(text) + QStringLiteral("')"));
}

int ctrlUiClass::rowCountOf(QSqlQuery &query)
{
    if (query.last()) {
        const int n = query.at() + 1;
        query.seek(QSql::BeforeFirstRow);
        return n;
    }
    return 0;
}

QString ctrlUiClass::nowText()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

QString ctrlUiClass::todayText()
{
    return QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
}

QString ctrlUiClass::serialNow()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddhhmmsszzz"));
}

void ctrlUiClass::showInfo(const QString &text, QWidget *parent)
{
    Prompt::ask({QStringLiteral("提示"), text, {QStringLiteral("确定")}, parent});
}

bool ctrlUiClass::askYesNo(const QString &text, QWidget *parent)
{
    return Prompt::ask({QStringLiteral("警告"), text, {QStringLiteral("是"), QStringLiteral("否")}, parent}) == 0;
}

bool ctrlUiClass::insertRecord(const TableEntry *table, const QStringList &values)
{
    if (!table)
        return false;
    QStringList marks;
    for (int i = 0; i < values.size(); ++i)
        marks << QStringLiteral("?");
    const QString sql = QStringLiteral("INSERT INTO ") + table->name + QStringLiteral(" (")
                        + table->columns.join(QLatin1Char(',')) + QStringLiteral(") ")
                        + QStringLiteral("VALUES (") + marks.join(QLatin1Char(',')) + QStringLiteral(")");
    QSqlQuery q;
    if (!q.prepare(SqlDialect::translate(sql))) {
        qCWarning(lcSql).noquote() << sql << QStringLiteral("数据库操作出错") << q.lastError().text();
        noteFailure(sql, q);
        return false;
    }
    qCDebug(lcSql).noquote() << sql;
    for (int i = 0; i < values.size(); ++i) {
        if (values.at(i).isEmpty())
            q.bindValue(i, QVariant(QVariant::String));
        else
            q.bindValue(i, values.at(i));
    }
    if (values.size() != table->columns.size()) {
        qCWarning(lcSql).noquote() << QStringLiteral("插入数据错误，数据不对应") + table->name;
        TransactionScope::noteFailure(sql, QStringLiteral("插入数据错误，数据不对应"));
        return false;
    }
    if (!q.exec()) {
        qCWarning(lcSql).noquote() << QStringLiteral("数据库操作错误：") + sql << q.lastError().text();
        noteFailure(sql, q);
        return false;
    }
    return true;
}

bool ctrlUiClass::insertSelect(const TableEntry *table, const QString &select)
{
    if (!table)
        return false;
    const QString sql = QStringLiteral("INSERT INTO ") + table->name + QStringLiteral(" (")
                        + table->columns.join(QLatin1Char(',')) + QStringLiteral(") ") + select;
    QSqlQuery q;
    if (q.exec(SqlDialect::translate(sql))) {
        qCDebug(lcSql).noquote() << sql;
        return true;
    }
    qCWarning(lcSql).noquote() << QStringLiteral("插入数据失败！！！！") << sql << q.lastError().text();
    noteFailure(sql, q);
    return false;
}

bool ctrlUiClass::updateRecord(const TableEntry *table, const QStringList &fields,
                               const QStringList &values, int whereCount)
{
    if (!table)
        return false;
    if (fields.size() != values.size()) {
        qCWarning(lcSql) << "修改数据时发现数据对应错误";
        TransactionScope::noteFailure(table->name, QStringLiteral("修改数据时发现数据对应错误"));
        return false;
    }
    const int n = fields.size();
    const int k = n - whereCount;
    QString setPart;
    for (int i = 0; i < k; ++i)
        setPart += fields.at(i) + (i == k - 1 ? QStringLiteral("=? ") : QStringLiteral("=? ,"));
    QString keyPart;
    for (int i = qMax(k, 0); i < n; ++i)
        keyPart += (i == k ? QStringLiteral("where ") : QStringLiteral("and ")) + fields.at(i) + QStringLiteral("=? ");
    const QString sql = QStringLiteral("update ") + table->name + QStringLiteral(" set ") + setPart + keyPart;
    QSqlQuery q;
    if (!q.prepare(SqlDialect::translate(sql))) {
        qCWarning(lcSql).noquote() << QStringLiteral("数据库操作错误：") + sql << q.lastError().text();
        noteFailure(sql, q);
        return false;
    }
    qCDebug(lcSql).noquote() << sql;
    for (int i = 0; i < n; ++i)
        q.bindValue(i, values.at(i));
    if (!q.exec()) {
        qCWarning(lcSql).noquote() << QStringLiteral("数据库操作错误：") + sql << q.lastError().text();
        noteFailure(sql, q);
        return false;
    }
    return true;
}

bool ctrlUiClass::deleteRecord(const TableEntry *table, const QStringList &fields,
                               const QStringList &values)
{
    if (!table)
        return false;
    if (fields.size() != values.size() || fields.isEmpty()) {
        qCWarning(lcSql) << "删除数据时发现数据对应错误";
        TransactionScope::noteFailure(table->name, QStringLiteral("删除数据时发现数据对应错误"));
        return false;
    }
    QString sql = QStringLiteral("delete from ") + table->name + QStringLiteral(" where ") + fields.at(0)
                  + QStringLiteral("=?");
    for (int i = 1; i < fields.size(); ++i)
        sql += QStringLiteral(" and ") + fields.at(i) + QStringLiteral("=?");
    QSqlQuery q;
    if (!q.prepare(SqlDialect::translate(sql))) {
        qCWarning(lcSql).noquote() << QStringLiteral("数据库操作错误：") + sql << q.lastError().text();
        noteFailure(sql, q);
        return false;
    }
    qCDebug(lcSql).noquote() << sql;
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values.at(i));
    if (!q.exec()) {
        qCWarning(lcSql).noquote() << QStringLiteral("数据库操作错误：") + sql << q.lastError().text();
        noteFailure(sql, q);
        return false;
    }
    return true;
}

void ctrlUiClass::setupView(const DbsetMap &map, QTableView *view, const QString &name)
{
    if (ViewBinding *b = bind(map, view, name))
        runView(b, b->baseSql);
}

void ctrlUiClass::setupViewWith(const DbsetMap &map, QTableView *view, const QString &name,
                                const QString &extra)
{
    if (ViewBinding *b = bind(map, view, name))
        runView(b, b->baseSql + extra);
}

void ctrlUiClass::setupViewDeferred(const DbsetMap &map, QTableView *view, const QString &name,
                                    const QString &extra)
{
    ViewBinding *b = bind(map, view, name);
    if (!b)
        return;
    if (view->isVisible()) {
        runView(b, b->baseSql + extra);
        return;
    }
    b->pending = true;
    b->pendingSql = b->baseSql + extra;
    b->pendingValues.clear();
}

ViewBinding *ctrlUiClass::bind(const DbsetMap &map, QTableView *view, const QString &name)
{
    if (!view)
        return nullptr;
    if (!map.contains(name)) {
        qCWarning(lcSql).noquote() << QStringLiteral("没有这个列表：") + name;
        return nullptr;
    }
    auto *b = new ViewBinding;
    b->owner = this;
    b->view = view;
    b->model = new QSqlQueryModel;
    b->info = dbsetEntry<TableViewinfo>(map, name);
    b->baseSql = b->info.SqlStr;
    // Captions come from the file as it is now, like every other reader.
    b->info.row_name = dbsetEntry<TableViewinfo>(readDbset(), name).row_name;
    view->setModel(b->model);

    // Columns are sized once per query from its first rows: sizing to every row
    // would read the whole result, and sizing at every fetch makes columns jump.
    QHeaderView *header = view->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setResizeContentsPrecision(kSizingRows);
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(28);
    view->setAlternatingRowColors(true);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->installEventFilter(this);

    if (ViewBinding *old = m_views.take(name)) {
        if (old->view == view)
            old->view = nullptr; // the new binding owns the view's model now
        delete old;
    }
    m_views.insert(name, b);
    return b;
}

// The model fetches its first rows now and the rest as the list scrolls.
// Takes copies: sql and values may be the binding's own pending ones.
void ctrlUiClass::runView(ViewBinding *b, QString sql, QVariantList values, std::optional<ViewFilter> declared)
{
    b->pending = false;
    b->pendingSql.clear();
    b->pendingValues.clear();
    b->lastSql = sql;
    b->lastValues = values;
    b->lastFilter = std::move(declared);
    if (values.isEmpty()) {
        b->model->setQuery(SqlDialect::translate(sql));
    } else {
        QSqlQuery q;
        if (q.prepare(SqlDialect::translate(sql))) {
            for (int i = 0; i < values.size(); ++i)
                q.bindValue(i, values.at(i));
            q.exec();
        }
        b->model->setQuery(q);
    }
    if (b->model->lastError().isValid())
        qCWarning(lcSql).noquote() << QStringLiteral("数据库操作错误：") + sql << SqlLog::shown(sql, values) << b->model->lastError().text();
    else
        qCDebug(lcSql).noquote() << sql << SqlLog::shown(sql, values);
    // setQuery drops the header data; give the captions back.
    const QStringList &captions = b->info.row_name;
    if (captions.size() > 1) {
        for (int i = 0; i < captions.size(); ++i)
            b->model->setHeaderData(i, Qt::Horizontal, captions.at(i), Qt::EditRole);
    }
    if (b->view) {
        b->view->setModel(b->model);
        b->view->resizeColumnsToContents();
    }
    if (b->owner)
        emit b->owner->viewRefreshed(b->info.name);
}

ViewBinding *ctrlUiClass::loaded(ViewBinding *b)
{
    if (b && b->pending)
        runView(b, b->pendingSql, b->pendingValues);
    return b;
}

ViewBinding *ctrlUiClass::binding(const QString &name) const
{
    ViewBinding *b = m_views.value(name);
    if (!b)
        qCWarning(lcSql).noquote() << QStringLiteral("没有这个列表：") + name;
    return b;
}

void ctrlUiClass::setupDeclaredView(const DbsetMap &map, QTableView *view, const QString &name)
{
    const ViewDeclaration *d = ViewDeclarations::find(name);
    if (!d) {
        qCWarning(lcSql).noquote() << QStringLiteral("没有这个列表：") + name;
        return;
    }
    ViewBinding *b = bind(map, view, name);
    if (!b || !d->hasDefault)
        return;
    const ViewFilter filter = d->defaultFilter();
    b->pendingSql = ViewDeclarations::statement(b->baseSql, name, filter);
    b->pendingValues = filter.values;
    b->pending = true;
    if (view->isVisible())
        loaded(b);
}

void ctrlUiClass::refreshView(const QString &name, const ViewFilter &filter)
{
    ViewBinding *b = binding(name);
    if (!b)
        return;
    runView(b, ViewDeclarations::statement(b->baseSql, name, filter), filter.values, filter);
}

bool ctrlUiClass::declaredTotals(const QString &name, QString *sql, QVariantList *values) const
{
    ViewBinding *b = m_views.value(name);
    if (!b || b->pending || !b->lastFilter)
        return false;
    const QString totals = ViewDeclarations::totalsStatement(name, *b->lastFilter);
    if (totals.isEmpty())
        return false;
    *sql = totals;
    *values = b->lastFilter->values;
    return true;
}

void ctrlUiClass::showDefault(const QString &name)
{
    const ViewDeclaration *d = ViewDeclarations::find(name);
    if (!d) {
        qCWarning(lcSql).noquote() << QStringLiteral("没有这个列表：") + name;
        return;
    }
    refreshView(name, d->defaultFilter());
}

QVariantMap ctrlUiClass::rowMap(const QString &name, int row) const
{
    const QStringList values = rowValues(name, row);
    ViewBinding *b = m_views.value(name);
    QVariantMap map;
    if (!b || values.isEmpty())
        return map;
    const QSqlRecord record = b->model->record();
    for (int c = 0; c < record.count() && c < values.size(); ++c)
        map.insert(record.fieldName(c), values.at(c));
    return map;
}

bool ctrlUiClass::showDetail(const QString &master, int row, const ViewFilter &extra)
{
    const ViewDeclaration *d = ViewDeclarations::find(master);
    if (!d || d->detail.isEmpty())
        return false;
    const std::optional<ViewFilter> filter = ViewDeclarations::detailFilter(master, rowMap(master, row));
    if (!filter)
        return false;
    refreshView(d->detail, extra + *filter);
    return true;
}

bool ctrlUiClass::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show) {
        for (ViewBinding *b : qAsConst(m_views)) {
            if (b->pending && b->view == watched) {
                runView(b, b->pendingSql, b->pendingValues);
                break;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

void ctrlUiClass::loadPendingViews()
{
    for (ViewBinding *b : qAsConst(m_views))
        loaded(b);
}

bool ctrlUiClass::isPending(const QString &name) const
{
    ViewBinding *b = m_views.value(name);
    return b && b->pending;
}

void ctrlUiClass::refreshView(const QString &name, const QString &text, bool replace)
{
    if (ViewBinding *b = binding(name))
        runView(b, replace ? text : b->baseSql + text);
}

QStringList ctrlUiClass::rowValues(const QString &name, int row) const
{
    ViewBinding *b = loaded(m_views.value(name));
    if (!b || row < 0)
        return {};
    // A statement that stops giving rows (aborted by a rollback, a failed step)
    // still says it can fetch more: stop where it stands.
    while (row >= b->model->rowCount() && b->model->canFetchMore()) {
        const int before = b->model->rowCount();
        b->model->fetchMore();
        if (b->model->rowCount() == before)
            break;
    }
    if (row >= b->model->rowCount())
        return {};
    QStringList values;
    for (int c = 0; c < b->model->columnCount(); ++c)
        values << b->model->data(b->model->index(row, c), Qt::DisplayRole).toString();
    return values;
}

QStringList ctrlUiClass::currentRowValues(const QString &name) const
{
    ViewBinding *b = m_views.value(name);
    if (!b || !b->view)
        return {};
    const QModelIndex idx = b->view->currentIndex();
    if (!idx.isValid())
        return {};
    return rowValues(name, idx.row());
}

int ctrlUiClass::viewRowCount(const QString &name) const
{
    ViewBinding *b = loaded(m_views.value(name));
    return b ? b->model->rowCount() : 0;
}

QStringList ctrlUiClass::viewTotals(const QString &name, const QList<int> &columns)
{
    QStringList totals;
    for (int i = 0; i < columns.size(); ++i)
        totals << QString();
    ViewBinding *b = m_views.value(name);
    if (!b) {
        qCWarning(lcSql).noquote() << QStringLiteral("没有这个列表：") + name;
        return totals;
    }
    loaded(b);
    const QSqlRecord record = b->model->record();
    QStringList sums;
    for (int c : columns) {
        if (c < 0 || c >= record.count()) {
            sums << QStringLiteral("NULL");
            continue;
        }
        QString column = record.fieldName(c);
        column.replace(QLatin1String("\""), QLatin1String("\"\""));
        sums << QStringLiteral("ROUND(SUM(\"") + column + QStringLiteral("\"),3)");
    }
    if (sums.isEmpty())
        return totals;
    const QStringList row = queryRow(QStringLiteral("select ") + sums.join(QLatin1Char(','))
                                     + QStringLiteral(" from (") + b->lastSql + QStringLiteral(")"), b->lastValues);
    return row.size() == totals.size() ? row : totals;
}

QString ctrlUiClass::baseSql(const QString &name) const
{
    ViewBinding *b = m_views.value(name);
    return b ? b->baseSql : QString();
}

QString ctrlUiClass::currentSql(const QString &name) const
{
    ViewBinding *b = m_views.value(name);
    return !b ? QString() : b->pending ? b->pendingSql : b->lastSql;
}

QVariantList ctrlUiClass::currentValues(const QString &name) const
{
    ViewBinding *b = m_views.value(name);
    return !b ? QVariantList() : b->pending ? b->pendingValues : b->lastValues;
}

QTableView *ctrlUiClass::boundView(const QString &name) const
{
    ViewBinding *b = m_views.value(name);
    return b ? b->view : nullptr;
}

void ctrlUiClass::exportView(const QString &name, const QString &byOperator)
{
    ViewBinding *b = m_views.value(name);
    if (!b)
        return;
    if (!OperatorStore::holdsSettingsRight(byOperator)) {
        showInfo(OperatorStore::noRightText(), b->view);
        return;
    }
    b = loaded(b);
    if (!b)
        return;
    const QString suggested = CsvExport::defaultFolder() + QLatin1Char('/') + name + QLatin1Char('_')
                              + QDate::currentDate().toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".csv");
    const QString chosen = Prompt::saveFileName(b->view, QStringLiteral("导出到 Excel（CSV 文件）"), suggested,
                                                QStringLiteral("CSV 文件 (*.csv)"));
    if (chosen.isEmpty())
        return;
    const QString file = CsvExport::withCsvSuffix(chosen);
    QAbstractItemModel *m = b->model;
    QStringList header;
    for (int c = 0; c < m->columnCount(); ++c)
        header << m->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    // Everything the list's statement selects goes out, not only the rows the
    // list has fetched so far.
    const CsvExport::Result r = CsvExport::write(file, header, currentSql(name), b->view, currentValues(name));
    if (r.cancelled) {
        showInfo(QStringLiteral("导出已取消，没有写入文件。"), b->view);
        return;
    }
    if (!r.ok) {
        showInfo(QStringLiteral("导出失败，文件没有保存：%1\n%2").arg(file, r.error), b->view);
        return;
    }
    showInfo(QStringLiteral("导出数据成功,") + tr("信息已保存在%1！").arg(file), b->view);
}

void ctrlUiClass::clearViews()
{
    for (ViewBinding *b : qAsConst(m_views)) {
        if (b->view)
            b->view->removeEventFilter(this);
    }
    qDeleteAll(m_views);
    m_views.clear();
}

void ctrlUiClass::fillComboFromSql(QComboBox *box, const QString &sql)
{
    if (!box)
        return;
    box->clear();
    QSqlQuery q;
    q.setForwardOnly(true);
    if (!q.exec(SqlDialect::translate(sql))) {
        qCWarning(lcSql).noquote() << QStringLiteral("数据库操作错误：") + sql << q.lastError().text();
        return;
    }
    qCDebug(lcSql).noquote() << sql;
    while (q.next()) {
        ComboBoxdata d;
        d.id = q.value(0).toInt();
        d.text = q.value(1).toString();
        box->addItem(d.text, QVariant::fromValue(d));
    }
}

QString ctrlUiClass::comboCurrentId(QComboBox *box)
{
    if (!box)
        return QStringLiteral("0");
    const QVariant v = box->currentData();
    if (v.userType() != qMetaTypeId<ComboBoxdata>())
        return QStringLiteral("0");
    return QString::number(v.value<ComboBoxdata>().id);
}

void ctrlUiClass::fillCombo(QComboBox *box, const QString &key, const QString &mode)
{
    if (!box)
        return;
    if (mode == QLatin1String("xml")) {
        const DbsetMap map = readDbset();
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            if (it.value().userType() != qMetaTypeId<ComBoxinfo>())
                continue;
            const ComBoxinfo info = it.value().value<ComBoxinfo>();
            if (info.name != key)
                continue;
            if (info.type == QLatin1String("row_name")) {
                box->addItems(info.row_name);
            } else if (info.type == QLatin1String("SqlStr")) {
                auto *model = new QSqlQueryModel(box);
                model->setQuery(SqlDialect::translate(info.SqlStr));
                box->setModel(model);
            }
            return;
        }
    } else if (mode == QLatin1String("Db") || mode == QLatin1String("db")) {
        auto *model = new QSqlQueryModel(box);
        model->setQuery(SqlDialect::translate(key));
        if (model->lastError().isValid())
            qCWarning(lcSql).noquote() << QStringLiteral("数据库操作错误：") + key;
        box->setModel(model);
    }
}

QString ctrlUiClass::periodWhere(const QString &period, const QString &c)
{
    // Stored times are local text "yyyy-MM-dd hh:mm:ss", so "now" is the local now
    // and a period is a half-open range of such texts: the date indexes serve it,
    // where a function of every row's column could not use them.
    auto d = [](const QString &modifiers) {
        return QStringLiteral("date('now','localtime'") + modifiers + QStringLiteral(")");
    };
    auto range = [&c](const QString &from, const QString &to) {
        return QStringLiteral(" where ") + c + QStringLiteral(" >= ") + from + QStringLiteral(" and ") + c
               + QStringLiteral(" < ") + to;
    };
    // Weeks start on Monday and, as strftime's %W counts them, never cross a new year.
    auto week = [&](const QString &shift) {
        const QString monday = d(shift + QStringLiteral(",'-6 days','weekday 1'"));
        const QString yearStart = d(shift + QStringLiteral(",'start of year'"));
        const QString yearEnd = d(shift + QStringLiteral(",'start of year','+1 years'"));
        return range(QStringLiteral("max(") + monday + QStringLiteral(",") + yearStart + QStringLiteral(")"),
                     QStringLiteral("min(date(") + monday + QStringLiteral(",'+7 days'),") + yearEnd + QStringLiteral(")"));
    };
    // First day of the quarter that holds the given day.
    auto quarterStart = [&](const QString &shift) {
        return QStringLiteral("date(") + d(shift + QStringLiteral(",'start of month'"))
               + QStringLiteral(",'-'||((cast(strftime('%m',") + d(shift)
               + QStringLiteral(") as integer)-1)%3)||' months')");
    };
    if (period == QStringLiteral("今天"))
        return range(d(QString()), d(QStringLiteral(",'+1 days'")));
    if (period == QStringLiteral("昨天"))
        return range(d(QStringLiteral(",'-1 days'")), d(QString()));
    if (period == QStringLiteral("本周"))
        return week(QString());
    if (period == QStringLiteral("上周"))
        return week(QStringLiteral(",'-7 days'"));
    if (period == QStringLiteral("本月"))
        return range(d(QStringLiteral(",'start of month'")), d(QStringLiteral(",'start of month','+1 months'")));
    if (period == QStringLiteral("上月"))
        return range(d(QStringLiteral(",'start of month','-1 months'")), d(QStringLiteral(",'start of month'")));
    if (period == QStringLiteral("本季")) {
        const QString start = quarterStart(QString());
        return range(start, QStringLiteral("date(") + start + QStringLiteral(",'+3 months')"));
    }
    if (period == QStringLiteral("上季")) {
        const QString start = quarterStart(QString());
        return range(QStringLiteral("date(") + start + QStringLiteral(",'-3 months')"), start);
    }
    if (period == QStringLiteral("本年"))
        return range(d(QStringLiteral(",'start of year'")), d(QStringLiteral(",'start of year','+1 years'")));
    if (period == QStringLiteral("上年"))
        return range(d(QStringLiteral(",'start of year','-1 years'")), d(QStringLiteral(",'start of year'")));
    if (period == QStringLiteral("其他"))
        return QStringLiteral(" where ");
    return QString();
}
