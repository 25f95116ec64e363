#include "stockwriter.h"

#include "accountbooks.h"
#include "amounts.h"
#include "conflictretry.h"
#include "ledgersql.h"
#include "operatorstore.h"
#include "sqltext.h"
#include "textlimits.h"
#include "transactionscope.h"

#include <QtMath>

using LedgerSql::refuse;
using LedgerSql::value;

namespace {

const QString kIn = QStringLiteral("入库明细");
const QString kOut = QStringLiteral("出库明细");

// What a line asks, checked before anything is written.
QString refusalOf(const StockLine &l)
{
    if (l.kind != kIn && l.kind != kOut)
        return QStringLiteral("单据类型不对，本次操作未保存");
    if (l.documentId.trimmed().isEmpty() || l.productId.isEmpty())
        return QStringLiteral("单号或产品编号为空，本次操作未保存");
    if (!(l.quantity > 0) || l.quantity > kMaxCount)
        return QStringLiteral("产品数量必须大于0且不超过1000000");
    if (l.unitCents < 0 || l.unitCents > kMaxMoneyCents)
        return QStringLiteral("产品单价不能小于0");
    if (double(l.unitCents) * l.quantity > double(kMaxMoneyCents))
        return QStringLiteral("金额不能超过1000000000，请检查单价和数量");
    // The remark is shown in the document lists and printed on the slip.
    const QString tooLong = TextLimits::firstRefusal({{QStringLiteral("出入库类型"), l.reason, TextLimits::kName},
                                                      {QStringLiteral("备注"), l.remark, TextLimits::kRemark}});
    if (!tooLong.isEmpty())
        return tooLong + QStringLiteral("，本次操作未保存");
    return QString();
}

// Pieces that leave are stored negative, and so is their amount.
StockMove moveOf(const StockLine &l)
{
    const double sign = l.kind == kOut ? -1 : 1;
    StockMove m;
    m.documentId = l.documentId;
    m.kind = l.kind;
    m.productId = l.productId;
    m.unitCents = l.unitCents;
    m.quantity = sign * l.quantity;
    m.amountCents = qRound64(sign * double(l.unitCents) * l.quantity);
    m.reason = l.reason;
    m.operatorName = l.operatorName;
    m.remark = l.remark;
    m.time = l.date;
    return m;
}

QString logText(bool isAdd, const StockLine &l)
{
    return (isAdd ? QStringLiteral("增加") : QStringLiteral("修改")) + l.kind + QStringLiteral("  单号：")
           + l.documentId + QStringLiteral("  产品编号：") + l.productId;
}

LedgerResult finish(TransactionScope &tx, const QString &what, const QString &id)
{
    if (!tx.commit())
        return LedgerResult::failure(LedgerSql::failureText(what, tx.firstError()));
    return LedgerResult::success(id);
}

QString documentPrefix(const QString &kind)
{
    return kind == kOut ? QStringLiteral("出库ID: ck") : QStringLiteral("入库ID: rk");
}

LedgerResult writeLine(const StockLine &asked, bool isAdd)
{
    const QString why = refusalOf(asked);
    if (!why.isEmpty())
        return LedgerResult::failure(why);
    TransactionScope tx;
    StockLine l = asked;
    // Document numbers come from the clock when the window opens: two desks
    // opening a document in the same millisecond would mix their lines.
    if (isAdd && l.opensDocument)
        l.documentId = LedgerSql::newDocumentId(documentPrefix(l.kind), l.kind, l.operatorName, l.documentId);
    if (l.documentId.isEmpty()) {
        refuse(QStringLiteral("无法生成单号，本次操作未保存"));
        return finish(tx, QStringLiteral("保存失败"), QString());
    }
    // Another desk may have deleted the product while the document was open.
    if (!value(QStringLiteral("select 1 from chanpin where ID=?"), {l.productId}).isValid())
        refuse(QStringLiteral("找不到该产品，本次操作未保存"));
    else if (isAdd ? StockBook::move(moveOf(l)) : StockBook::correct(l.lineKey, moveOf(l)))
        LedgerSql::log(l.operatorName, logText(isAdd, l));
    return finish(tx, QStringLiteral("保存失败"), l.documentId);
}

LedgerResult clearOnce(const QString &productId, const QString &operatorName)
{
    TransactionScope tx;
    // Clearing writes goods off: only for the settings right, looked up here
    // whatever button or key asked for it.
    if (!OperatorStore::requireSettingsRight(operatorName))
        return finish(tx, QStringLiteral("库存清零失败"), QString());
    // Read inside the transaction: a document saved at another desk meanwhile is cleared too.
    const QList<QVariantList> product = LedgerSql::rows(
        QStringLiteral("select name,coalesce(jinhuojiage,0) from chanpin where ID=?"), {productId});
    if (product.isEmpty()) {
        refuse(QStringLiteral("找不到该产品，本次操作未保存"));
        return finish(tx, QStringLiteral("库存清零失败"), QString());
    }
    const QString name = product.first().value(0).toString();
    const double stock = StockBook::stock(productId);
    if (stock == 0) {
        refuse(QStringLiteral("产品'") + name + QStringLiteral("'的库存已经是0，无需清零"));
        return finish(tx, QStringLiteral("库存清零失败"), QString());
    }
    const bool out = stock > 0;
    StockMove m;
    m.kind = out ? kOut : kIn;
    m.documentId = LedgerSql::newDocumentId(documentPrefix(m.kind), m.kind, operatorName);
    if (m.documentId.isEmpty()) {
        refuse(QStringLiteral("无法生成单号，本次操作未保存"));
        return finish(tx, QStringLiteral("库存清零失败"), QString());
    }
    m.productId = productId;
    m.unitCents = yuanToCents(product.first().value(1).toDouble());
    m.quantity = -stock;
    m.amountCents = qRound64(-double(m.unitCents) * stock);
    m.reason = QStringLiteral("库存清零");
    m.operatorName = operatorName;
    m.remark = QStringLiteral("库存清零，原库存 ") + moneyText(stock);
    m.time = LedgerSql::today();
    if (StockBook::move(m))
        LedgerSql::log(operatorName, QStringLiteral("库存清零  产品编号：") + productId + QStringLiteral("  名称：")
                                         + name + QStringLiteral("  原库存：") + moneyText(stock));
    return finish(tx, QStringLiteral("库存清零失败"), m.documentId);
}

} // namespace

LedgerResult StockWriter::addLine(const StockLine &line)
{
    return retryOnConflict([&] { return writeLine(line, true); });
}

LedgerResult StockWriter::correctLine(const StockLine &line)
{
    return retryOnConflict([&] { return writeLine(line, false); });
}

LedgerResult StockWriter::clearStock(const QString &productId, const QString &operatorName)
{
    return retryOnConflict([&] { return clearOnce(productId, operatorName); });
}
