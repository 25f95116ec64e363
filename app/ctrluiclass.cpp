#include "ctrluiclass.h"
#include "csvexport.h"
#include "xlsxfile.h"
#include "listcelldelegate.h"
#include "listmodel.h"
#include "prompt.h"
#include "reportreads.h"
#include "promptboxes.h"
#include "operatorstore.h"
#include "sqllog.h"
#include "sqlstatements.h"
#include "transactionscope.h"
#include "enginedriver.h"
#include "shopconnection.h"
#include "viewdeclarations.h"

#include <QComboBox>
#include <QSet>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QHeaderView>
#include <QProgressDialog>
#include <QSqlError>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QTableView>

#include <memory>

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
    PromptBoxes::install(); // every window asks through the seam
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
            if (b->model && b->model->canFetchMore())
                ListStatement::finish(b->model);
        }
    }
}

void ctrlUiClass::writeLog(const QString &user, const QString &text) { SqlStatements::writeLog(user, text); }
QString ctrlUiClass::nowText() { return SqlStatements::nowText(); }
QString ctrlUiClass::todayText() { return SqlStatements::todayText(); }
QString ctrlUiClass::serialNow() { return SqlStatements::serialNow(); }


void ctrlUiClass::showInfo(const QString &text, QWidget *parent)
{
    Prompt::ask({QStringLiteral("提示"), text, {QStringLiteral("确定")}, parent});
}

bool ctrlUiClass::askYesNo(const QString &text, QWidget *parent)
{
    return Prompt::ask({QStringLiteral("警告"), text, {QStringLiteral("是"), QStringLiteral("否")}, parent}) == 0;
}

bool ctrlUiClass::askYesNoDefaultNo(const QString &text, QWidget *parent)
{
    PromptRequest r{QStringLiteral("警告"), text, {QStringLiteral("是"), QStringLiteral("否")}, parent};
    r.defaultButton = 1;
    return Prompt::ask(r) == 0;
}

bool ctrlUiClass::insertRecord(const TableEntry *table, const QStringList &values)
{
    return SqlStatements::insertRecord(table, values);
}
bool ctrlUiClass::updateRecord(const TableEntry *table, const QStringList &fields,
                               const QStringList &values, int whereCount)
{
    return SqlStatements::updateRecord(table, fields, values, whereCount);
}
bool ctrlUiClass::deleteRecord(const TableEntry *table, const QStringList &fields,
                               const QStringList &values)
{
    return SqlStatements::deleteRecord(table, fields, values);
}


void ctrlUiClass::setupView(const DbsetMap &map, QTableView *view, const QString &name)
{
    if (ViewBinding *b = bind(map, view, name))
        runView(b, b->baseSql);
}

void ctrlUiClass::bindView(const DbsetMap &map, QTableView *view, const QString &name)
{
    bind(map, view, name);
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
    b->model = new ListModel;
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
    if (!qobject_cast<ListCellDelegate *>(view->itemDelegate()))
        view->setItemDelegate(new ListCellDelegate(view));
    view->installEventFilter(this);

    if (ViewBinding *old = m_views.take(name)) {
        if (old->view == view)
            old->view = nullptr; // the new binding owns the view's model now
        delete old;
    }
    m_views.insert(name, b);
    return b;
}

// Sizing columns to their contents measures every cell of the first rows: done
// at every run it was most of a refresh's time, and it made the columns jump
// under the cashier's eyes. So a list is sized once, when it first has rows (an
// empty list from its header alone), and every later run keeps the widths it had,
// including those the operator dragged.
void ctrlUiClass::rememberColumnWidths(ViewBinding *b)
{
    if (!b->view)
        return;
    const QHeaderView *header = b->view->horizontalHeader();
    if (b->widths.isEmpty() || header->count() != b->widths.size())
        return;
    for (int i = 0; i < b->widths.size(); ++i)
        b->widths[i] = header->sectionSize(i);
}

void ctrlUiClass::keepColumnWidths(ViewBinding *b)
{
    QHeaderView *header = b->view->horizontalHeader();
    const int columns = b->model->columnCount();
    if (columns == 0)
        return; // a failed statement: the widths wait for the next good one
    const bool hasRows = b->model->rowCount() > 0;
    if (columns == b->widths.size() && (b->sizedFromRows || !hasRows)) {
        for (int i = 0; i < columns; ++i)
            if (header->sectionSize(i) != b->widths.at(i))
                header->resizeSection(i, b->widths.at(i));
        return;
    }
    b->view->resizeColumnsToContents();
    b->sizedFromRows = hasRows;
    b->widths.resize(columns);
    for (int i = 0; i < columns; ++i)
        b->widths[i] = header->sectionSize(i);
}

// The model fetches its first rows now and the rest as the list scrolls.
// Takes copies: sql and values may be the binding's own pending ones.
void ctrlUiClass::runView(ViewBinding *b, QString sql, QVariantList values, std::optional<ViewFilter> declared)
{
    b->pending = false;
    b->pendingSql.clear();
    b->pendingValues.clear();
    b->pendingFilter.reset();
    b->lastSql = sql;
    b->lastValues = values;
    b->lastFilter = std::move(declared);
    rememberColumnWidths(b);
    const auto read = [&] { b->prepared.fill(b->model, sql, values); };
    // A list reads through the same door as every statement: nothing in a
    // scope whose BEGIN failed, and a desk that lost its server connects again
    // first; a read that the lost connection broke runs once more on the new one.
    if (!TransactionScope::admits(sql)) {
        b->model->clear();
        qCWarning(lcSql).noquote() << QStringLiteral("列表未读取：") + sql;
    } else {
        read();
        const QString error = EngineDriver::errorText(b->model->lastError());
        if (b->model->lastError().isValid() && !TransactionScope::active()
            && (EngineDriver::isConnectionLost(error) || EngineDriver::current().isWorkingTableMissing(error))) {
            ShopLink::noteLost(error);
            if (ShopLink::reopen())
                read();
        }
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
        keepColumnWidths(b);
    }
    if (b->owner)
        emit b->owner->viewRefreshed(b->info.name);
}

ViewBinding *ctrlUiClass::loaded(ViewBinding *b)
{
    if (b && b->pending)
        runView(b, b->pendingSql, b->pendingValues, b->pendingFilter);
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
    b->pendingFilter = filter;
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

QStringList ctrlUiClass::declaredTotals(const QString &name) const
{
    ViewBinding *b = m_views.value(name);
    if (!b || b->pending || !b->lastFilter)
        return {};
    return ReportReads::declaredTotals(name, *b->lastFilter);
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

void ctrlUiClass::showDefaultWhenShown(const QString &name)
{
    const ViewDeclaration *d = ViewDeclarations::find(name);
    if (!d) {
        showDefault(name);
        return;
    }
    refreshViewWhenShown(name, d->defaultFilter());
}

void ctrlUiClass::refreshViewWhenShown(const QString &name, const ViewFilter &filter)
{
    ViewBinding *b = m_views.value(name);
    if (!b || !b->view || b->view->isVisible()) {
        refreshView(name, filter);
        return;
    }
    b->pendingSql = ViewDeclarations::statement(b->baseSql, name, filter);
    b->pendingValues = filter.values;
    b->pendingFilter = filter;
    b->pending = true;
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
                loaded(b);
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

void ctrlUiClass::refreshViewBound(const QString &name, const QString &sql, const QVariantList &values)
{
    if (ViewBinding *b = binding(name))
        runView(b, sql, values);
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
    // A list waiting for its next load shows rows of before (another member's):
    // nothing of them is chosen.
    if (!b || !b->view || b->pending)
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
                                                QStringLiteral("CSV 文件 (*.csv);;Excel 工作簿 (*.xlsx)"));
    if (chosen.isEmpty())
        return;
    // A name ending in .xlsx is a workbook: money as numbers, codes as text, the 合计 line.
    const bool workbook = chosen.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive);
    const QString file = workbook ? chosen : CsvExport::withCsvSuffix(chosen);
    QAbstractItemModel *m = b->model;
    QStringList header;
    for (int c = 0; c < m->columnCount(); ++c)
        header << m->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    // Everything the list's statement selects goes out, not only the rows the
    // list has fetched so far.
    // A long export shows its progress over the list, with a cancel button.
    std::unique_ptr<QProgressDialog> progress;
    QWidget *parent = b->view;
    const auto told = [&progress, parent](qint64 done, qint64 total) {
        if (!progress) {
            progress = std::make_unique<QProgressDialog>(QStringLiteral("正在导出数据…"), QStringLiteral("取消"), 0,
                                                         int(total), parent);
            progress->setWindowTitle(QStringLiteral("导出"));
            progress->setWindowModality(Qt::WindowModal);
            progress->setMinimumDuration(400);
        }
        progress->setValue(int(done));
        return !progress->wasCanceled();
    };
    const CsvExport::Result r =
        workbook ? XlsxFile::writeQuery(file, header, currentSql(name), currentValues(name), told, name)
                 : CsvExport::write(file, header, currentSql(name), currentValues(name), told);
    progress.reset();
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

void ctrlUiClass::fillComboFromRows(QComboBox *box, const QList<QVariantList> &rows)
{
    if (!box)
        return;
    box->clear();
    for (const QVariantList &r : rows) {
        ComboBoxdata d;
        d.id = r.value(0).toInt();
        d.text = r.value(1).toString();
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
                ListStatement::fillOnce(model, info.SqlStr);
                box->setModel(model);
            }
            return;
        }
    } else if (mode == QLatin1String("Db") || mode == QLatin1String("db")) {
        auto *model = new QSqlQueryModel(box);
        ListStatement::fillOnce(model, key);
        if (model->lastError().isValid())
            qCWarning(lcSql).noquote() << QStringLiteral("数据库操作错误：") + key;
        box->setModel(model);
    }
}
