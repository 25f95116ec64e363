#include "unsettledoutcomes.h"

#include "conflictretry.h"
#include "ledgersql.h"
#include "sqllog.h"
#include "transactionscope.h"

#include <QHash>
#include <QSet>

namespace {
struct Unsettled
{
    QString documentId;
    QString probeSql; // a row exactly when the try landed
    QVariantList probeValues;
};

QHash<QString, Unsettled> &unsettled()
{
    static QHash<QString, Unsettled> all;
    return all;
}

QSet<QString> &onceUnknown()
{
    static QSet<QString> all;
    return all;
}
} // namespace

QString UnsettledOutcomes::landedNotice(const QString &documentId)
{
    return QStringLiteral("上次保存时与数据库服务器的连接中断；经核对，上次已经保存（单号：%1），这次没有重复保存。")
        .arg(documentId);
}

QString UnsettledOutcomes::unknownText(const QString &what)
{
    return what + QStringLiteral("：保存时与数据库服务器的连接中断，无法确认本次操作是否已经保存。\n"
                                 "请在连接恢复后再保存一次：会先核对上次是否已经保存，不会重复收款。");
}

QString UnsettledOutcomes::stillUnknownText(const QString &what)
{
    return what + QStringLiteral("：与数据库服务器的连接还没有恢复，仍无法确认上次是否已经保存。\n"
                                 "请稍后再保存一次：会先核对上次是否已经保存，不会重复收款。");
}

bool UnsettledOutcomes::pending(const QString &key)
{
    return !key.isEmpty() && unsettled().contains(key);
}

bool UnsettledOutcomes::wasUnknown(const QString &key)
{
    return !key.isEmpty() && onceUnknown().contains(key);
}

QString UnsettledOutcomes::documentOf(const QString &key)
{
    return unsettled().value(key).documentId;
}

std::optional<LedgerResult> UnsettledOutcomes::settle(const QString &key, const QString &what)
{
    if (!pending(key))
        return std::nullopt;
    const Unsettled earlier = unsettled().value(key);
    // The read connects again first when the shop was lost; a read that could
    // not run is no answer (an empty one would say "not landed").
    bool found = false;
    const bool asked = LedgerSql::each(earlier.probeSql, earlier.probeValues, [&found](const QVariantList &) { found = true; });
    if (!asked) {
        qCWarning(lcSql) << "仍无法确认上次的操作是否已保存" << earlier.documentId;
        return LedgerResult::failure(stillUnknownText(what));
    }
    unsettled().remove(key);
    if (!found) {
        qCInfo(lcSql) << "上次的操作没有保存，现在保存" << earlier.documentId;
        return std::nullopt;
    }
    qCWarning(lcSql) << "上次的操作已经保存，不再重复" << earlier.documentId;
    LedgerResult saved = LedgerResult::success(earlier.documentId);
    saved.notice = landedNotice(earlier.documentId);
    return saved;
}

LedgerResult UnsettledOutcomes::run(const QString &key, const QString &what, const std::function<LedgerResult()> &operation)
{
    if (const std::optional<LedgerResult> earlier = settle(key, what))
        return *earlier;
    LedgerResult r = retryOnConflict(operation);
    if (r.ok)
        onceUnknown().remove(key);
    QString probeSql;
    QVariantList probeValues;
    // Inside an open scope the outermost operation commits, and settles.
    if (!r.ok && !TransactionScope::active() && TransactionScope::takeUnknownOutcome(&probeSql, &probeValues)
        && !key.isEmpty() && !probeSql.isEmpty()) {
        unsettled().insert(key, Unsettled{probeValues.value(0).toString(), probeSql, probeValues});
        onceUnknown().insert(key);
        r.error = unknownText(what);
    }
    return r;
}
