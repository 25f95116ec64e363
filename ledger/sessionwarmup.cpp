#include "sessionwarmup.h"

#include "enginedriver.h"
#include "ledgersql.h"
#include "membersummary.h"
#include "salewriter.h"
#include "sqllog.h"
#include "transactionscope.h"

#include <QElapsedTimer>

namespace {

SaleLine serviceLine(const QVariantList &item, const QString &operatorName)
{
    SaleLine l;
    l.key = QStringLiteral("warmup");
    l.type = QStringLiteral("服务项目");
    l.itemId = item.value(0).toString();
    l.name = item.value(1).toString();
    // At least a cent, so that the card's part and the points have something to move.
    l.listCents = l.unitCents = l.amountCents = qMax<qint64>(2, qRound64(item.value(2).toDouble() * 100));
    l.quantity = 1;
    l.points = double(l.amountCents) / 100;
    l.enteredBy = operatorName;
    return l;
}

} // namespace

int SessionWarmUp::run(const QString &operatorName)
{
    if (!EngineDriver::current().isServer())
        return 0;
    QElapsedTimer clock;
    clock.start();
    const QList<QVariantList> members = LedgerSql::rows(
        QStringLiteral("select ID, coalesce(shengyujine,0) from huiyuan where ID<>? order by ID LIMIT 1"),
        {QString::fromLatin1(kWalkInId)});
    // The desk's member reads (the search, the member read again after a
    // document) keep one plan once the server has planned them five times
    // with their values: read six times now, they are planned for the first
    // customers too.
    if (!members.isEmpty())
        for (int i = 0; i < 6; ++i) {
            MemberSummary::find(members.first().value(0).toString(), 2);
            MemberSummary::readWithNotes(members.first().value(0).toString());
        }
    const QList<QVariantList> items = LedgerSql::rows(
        QStringLiteral("select ID, name, coalesce(xiaoshoujiage,0) from fuwuxiangmu order by ID LIMIT 1"));
    if (items.isEmpty())
        return 0;
    const QVariant stylist = LedgerSql::value(QStringLiteral("select ID from yuangong order by ID LIMIT 1"));

    Sale walkIn;
    walkIn.memberId = QString::fromLatin1(kWalkInId);
    walkIn.operatorName = operatorName;
    walkIn.lineMethod = QStringLiteral("现金");
    walkIn.lines << serviceLine(items.first(), operatorName);
    walkIn.payments << PaymentPart{QStringLiteral("现金"), walkIn.lines.first().amountCents};
    QList<Sale> sales{walkIn};
    if (!members.isEmpty()) {
        Sale member = walkIn;
        member.memberId = members.first().value(0).toString();
        SaleLine &line = member.lines.first();
        if (stylist.isValid())
            line.commissions << CommissionRow{stylist.toString(), QStringLiteral("轮单提成"), QStringLiteral("按比例提成"), 10,
                                              line.amountCents / 10};
        // A cent off the card when it holds one: the balance book's statements too.
        const bool card = members.first().value(1).toDouble() >= 0.01;
        member.payments = {PaymentPart{QStringLiteral("现金"), line.amountCents - (card ? 1 : 0)}};
        if (card)
            member.payments.prepend(PaymentPart{QString::fromUtf8(kCardMethod), 1});
        member.lineMethod = member.payments.first().method;
        sales << member;
    }
    int written = 0;
    {
        // One transaction around both: the writers' own scopes join it, and it
        // is rolled back whatever they answered.
        TransactionScope tx;
        for (const Sale &s : sales)
            if (!tx.failed() && SaleWriter::commit(s).ok)
                ++written;
        tx.rollback();
    }
    qCDebug(lcSql) << "会话预热：" << written << "笔销售已回滚，" << clock.elapsed() << "ms";
    return written;
}
