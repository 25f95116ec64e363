#include "recordrequests.h"
#include "operatorstore.h"
#include "changelogtext.h"
#include "dbrecords.h"
#include "sqllog.h"
#include "sqlstatements.h"
#include "tableregistry.h"
#include "transactionscope.h"

RecordRequests::RecordRequests(const TableRegistry &registry) : m_registry(registry) {}

bool RecordRequests::isRecordRequest(const QString &key)
{
    return key == QStringLiteral("添加数据") || key == QStringLiteral("修改数据") || key == QStringLiteral("删除数据");
}

namespace {
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
    TransactionScope tx;
    if (key == QStringLiteral("添加数据")) {
        if (value.userType() == qMetaTypeId<dbctrlstruct>()) {
            const dbctrlstruct rec = value.value<dbctrlstruct>();
            const TableEntry *entry = m_registry.find(rec.table);
            if (!entry)
                return out;
            out.table = rec.table;
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
