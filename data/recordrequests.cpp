#include "recordrequests.h"
#include "operatorstore.h"
#include "changelogtext.h"
#include "dbrecords.h"
#include "sqllog.h"
#include "sqlstatements.h"
#include "tableregistry.h"
#include "textlimits.h"
#include "transactionscope.h"

RecordRequests::RecordRequests(const TableRegistry &registry) : m_registry(registry) {}

bool RecordRequests::isRecordRequest(const QString &key)
{
    return key == QStringLiteral("添加数据") || key == QStringLiteral("修改数据") || key == QStringLiteral("删除数据");
}

namespace {
// A name column holds a name, any other text a remark's length; the password
// column holds a hash, not typed text.
int limitOf(const QString &column)
{
    const QString c = column.toLower();
    if (c == QLatin1String("password"))
        return -1;
    if (c.endsWith(QLatin1String("name")) || c.endsWith(QLatin1String("mingcheng")) || c.endsWith(QLatin1String("mingchen"))
        || c == QLatin1String("xiangmuming"))
        return TextLimits::kName;
    return TextLimits::kRemark;
}

// The first of the values (columns[i] ↔ values[i], the first `count`) that is
// longer than its column keeps, as the message the operator sees; "" when all fit.
QString tooLong(const QStringList &columns, const QStringList &values, int count)
{
    for (int i = 0; i < count && i < columns.size() && i < values.size(); ++i) {
        const int limit = limitOf(columns.at(i));
        if (limit > 0 && !TextLimits::refusal(QString(), values.at(i), limit).isEmpty())
            return (limit == TextLimits::kName ? QStringLiteral("名称") : QStringLiteral("输入的文字"))
                   + QStringLiteral("不能超过%1个字，未保存").arg(limit);
    }
    return QString();
}

// A text too long for its column: told as the missing right is, or, inside
// the asking dialog's transaction, failing it with the reason.
bool refusedAsTooLong(const QString &why, bool joined, RecordRequests::Outcome *out)
{
    if (why.isEmpty())
        return false;
    if (joined)
        TransactionScope::noteFailure(QStringLiteral("REFUSED"), why);
    else
        out->refused = why;
    return true;
}

void logChange(bool isAdd, const QString &table, const QStringList &columns, const QStringList &values,
               const QString &operatorName)
{
    const QString text = ChangeLogText::text(isAdd, table, columns, values);
    if (!text.isEmpty())
        SqlStatements::writeLog(operatorName, text);
}
} // namespace

RecordRequests::Outcome RecordRequests::carryOut(const QString &key, const QVariant &value,
                                                 const QString &operatorName) const
{
    Outcome out;
    static const QStringList settingsTables = {"user", "huiyuanka", "fuwuxiangmu", "chanpin",
                                               "taocanmingxi", "yuangong", "tichengshezhi"};
    QString table;
    if (value.userType() == qMetaTypeId<dbctrlstruct>())
        table = value.value<dbctrlstruct>().table;
    else if (value.userType() == qMetaTypeId<dbctrlsqlstruct>())
        table = value.value<dbctrlsqlstruct>().table;
    else if (value.userType() == qMetaTypeId<redbctrlstruct>())
        table = value.value<redbctrlstruct>().table;
    if (settingsTables.contains(table) && !OperatorStore::holdsSettingsRight(operatorName)) {
        if (TransactionScope::active())
            OperatorStore::requireSettingsRight(operatorName);
        else
            out.refused = OperatorStore::noRightText();
        out.table = m_registry.find(table) ? table : QString();
        return out;
    }
    // The row and its log row land together (joining the asking dialog's
    // transaction when it has one): no shop write runs outside a transaction.
    const bool joined = TransactionScope::active();
    TransactionScope tx;
    if (key == QStringLiteral("添加数据")) {
        if (value.userType() == qMetaTypeId<dbctrlstruct>()) {
            const dbctrlstruct rec = value.value<dbctrlstruct>();
            const TableEntry *entry = m_registry.find(rec.table);
            if (!entry)
                return out;
            out.table = rec.table;
            if (refusedAsTooLong(tooLong(entry->columns, rec.values, rec.values.size()), joined, &out))
                return out;
            out.ok = SqlStatements::insertRecord(entry, rec.values);
            // Inside the transaction of the dialog that asked for it.
            if (out.ok)
                logChange(true, rec.table, entry->columns, rec.values, operatorName);
        } else if (value.userType() == qMetaTypeId<dbctrlsqlstruct>()) {
            const dbctrlsqlstruct rec = value.value<dbctrlsqlstruct>();
            const TableEntry *entry = m_registry.find(rec.table);
            if (!entry)
                return out;
            out.table = rec.table;
            out.ok = SqlStatements::insertSelect(entry, rec.select);
        } else {
            return out;
        }
        qCDebug(lcSql) << "添加" << out.table;
    } else if (key == QStringLiteral("修改数据") || key == QStringLiteral("删除数据")) {
        if (value.userType() != qMetaTypeId<redbctrlstruct>())
            return out;
        const redbctrlstruct rec = value.value<redbctrlstruct>();
        const TableEntry *entry = m_registry.find(rec.table);
        if (!entry)
            return out;
        out.table = rec.table;
        if (key == QStringLiteral("修改数据")) {
            if (refusedAsTooLong(tooLong(rec.fields, rec.values, rec.fields.size() - rec.whereCount), joined, &out))
                return out;
            out.ok = SqlStatements::updateRecord(entry, rec.fields, rec.values, rec.whereCount);
            if (out.ok)
                logChange(false, rec.table, rec.fields, rec.values, operatorName);
            qCDebug(lcSql) << "修改" << rec.table;
        } else {
            out.ok = SqlStatements::deleteRecord(entry, rec.fields, rec.values);
            qCDebug(lcSql) << "删除" << rec.table;
        }
    }
    out.ok = tx.commit() && out.ok;
    return out;
}
