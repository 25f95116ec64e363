#include "liabilityread.h"

#include "accountbooks.h"
#include "amounts.h"
#include "ledgersql.h"

#include <QHash>
#include <QVarLengthArray>
#include <QVector>
#include <algorithm>
#include <functional>

// Every member is a position in one sorted list: the rows read are put in
// place by one look-up of their member's number, and all that is kept per
// member lies in vectors by that position, not in hashes keyed by text (at
// 50,000 members the hashing and freeing of such keys was most of the time).

namespace {

struct Member
{
    QString id;
    QString name;
    QString registered; // login_time
    qint64 balanceCents = 0; // huiyuan.shengyujine: now
};

// The member rows, sorted by number as the list shows them.
struct Members
{
    QVector<Member> list;
    QHash<QString, int> position;

    void read()
    {
        LedgerSql::each(QStringLiteral("select ID, name, coalesce(login_time,''), coalesce(shengyujine,0) from huiyuan order by rowid"),
                        {}, [this](const QVariantList &r) {
                            list << Member{r.value(0).toString(), r.value(1).toString(), r.value(2).toString(),
                                           yuanToCents(r.value(3).toDouble())};
                        });
        std::sort(list.begin(), list.end(), [](const Member &a, const Member &b) { return a.id < b.id; });
        position.reserve(list.size());
        for (int i = 0; i < list.size(); ++i)
            position.insert(list.at(i).id, i);
    }
    int of(const QString &id) const { return position.value(id, -1); }
    int size() const { return list.size(); }
};

// A row that put uses on a card.
struct UseRow
{
    qint64 id = 0;
    QString item;
    QString remark;
    QString when;
    double uses = 0;
    bool sale = false; // a card issue's or renewal's: it prices the uses
};

// A card issue's or renewal's payment rows, summed.
struct DocPayment
{
    bool renewal = false; // a row of it is a renewal's (套餐交费): its due is all the package's
    double due = 0;
    double onCard = 0;
    double bonus = 0;
};

// The price of a use depends on nothing but which of its sales had happened
// (always those before a moment): one price per member, item and count of
// them, so a walk over many moments prices each item again only after a sale.
struct Priced
{
    QString item;
    int sales = -1;
    double cents = 0;
};

// What prices a use: the sales of uses and the payments behind them.
struct Pricing
{
    QVector<QVector<UseRow>> rows; // by member, in the order they were written
    QHash<QString, DocPayment> payments; // by document
    QHash<QString, double> price;        // list price of the item, yuan
    mutable QVector<QVarLengthArray<Priced, 2>> priced;

    void read(const Members &members)
    {
        rows.resize(members.size());
        priced.resize(members.size());
        LedgerSql::each(QStringLiteral("select ID, coalesce(xiaoshoujiage,0) from fuwuxiangmu order by rowid"), {},
                        [this](const QVariantList &r) { price.insert(r.value(0).toString(), r.value(1).toDouble()); });
        // Few rows put uses on a card; read as they are, they cost less than
        // grouped by the server.
        LedgerSql::each(QStringLiteral("select ID, huiyuanid, coalesce(xiangmumingchen,''), coalesce(beizhu,''), CASE WHEN "
                                       "biandongleixing in ('会员办卡','会员套餐充值') THEN 1 ELSE 0 END, biandongriqi, "
                                       "cishuzengjia from huiyuanyuebiandong where cishuzengjia>0 order by ID"),
                        {}, [&](const QVariantList &r) {
                            const int m = members.of(r.value(1).toString());
                            if (m >= 0)
                                rows[m] << UseRow{r.value(0).toLongLong(), r.value(2).toString(), r.value(3).toString(),
                                                  r.value(5).toString(), r.value(6).toDouble(), r.value(4).toInt() == 1};
                        });
        for (QVector<UseRow> &l : rows)
            if (l.size() > 1)
                std::sort(l.begin(), l.end(), [](const UseRow &a, const UseRow &b) { return a.id < b.id; });
        // Their payment rows as they lie (most documents have one): grouped by
        // the server, SQLite would look each row up through the document index.
        payments.reserve(members.size());
        LedgerSql::each(QStringLiteral("select ID, CASE WHEN jiaofeileixing='套餐交费' THEN 1 ELSE 0 END, "
                                       "coalesce(yingjiaojine,0), coalesce(kaneijine,0), coalesce(zengsongjine,0) from "
                                       "huiyuanjiaofei where jiaofeileixing in ('办卡交费','套餐交费') order by rowid"),
                        {}, [this](const QVariantList &r) {
                            DocPayment &p = payments[r.value(0).toString()];
                            p.renewal = p.renewal || r.value(1).toInt() == 1;
                            p.due += r.value(2).toDouble();
                            p.onCard += r.value(3).toDouble();
                            p.bonus += r.value(4).toDouble();
                        });
    }

    double perUseCents(int member, const QString &item, const QString &asOf) const
    {
        int sales = 0;
        for (const UseRow &r : rows.at(member))
            sales += r.sale && r.item == item && (asOf.isEmpty() || r.when <= asOf) ? 1 : 0;
        auto &known = priced[member];
        Priced *p = std::find_if(known.begin(), known.end(), [&item](const Priced &one) { return one.item == item; });
        if (p == known.end()) {
            known.append(Priced{item, -1, 0});
            p = &known.last();
        }
        if (p->sales != sales) {
            p->sales = sales;
            p->cents = pricedNow(member, item, asOf);
        }
        return p->cents;
    }

    // Cents a use of the item is worth to the member at asOf (empty: now): the
    // money of each sale of it over the uses they sold; never sold, its list price.
    double pricedNow(int member, const QString &item, const QString &asOf) const
    {
        const QVector<UseRow> &mine = rows.at(member);
        // The sales of the item by document, in the order they were written.
        struct Group
        {
            QString remark;
            double uses = 0;
        };
        QVarLengthArray<Group, 4> groups;
        for (const UseRow &r : mine) {
            if (!r.sale || r.item != item || (!asOf.isEmpty() && r.when > asOf))
                continue;
            Group *g = std::find_if(groups.begin(), groups.end(), [&r](const Group &one) { return one.remark == r.remark; });
            if (g == groups.end())
                groups.append(Group{r.remark, r.uses});
            else
                g->uses += r.uses;
        }
        double money = 0, uses = 0;
        for (const Group &g : groups) {
            const QString doc = g.remark.mid(g.remark.indexOf(QStringLiteral("：")) + 1);
            const auto pay = payments.constFind(doc);
            if (pay == payments.constEnd())
                continue; // no payment on file: not priced
            // A card issue's due is the card's price and the package's; the card's
            // price is what it holds less its bonus.
            const double docMoney = pay->renewal ? pay->due : pay->due - (pay->onCard - pay->bonus);
            // The document's items weighed by their list price, in the items' order.
            QVarLengthArray<QPair<QString, double>, 4> sameSale;
            for (const UseRow &r : mine) {
                if (r.remark != g.remark)
                    continue;
                auto *i = std::find_if(sameSale.begin(), sameSale.end(),
                                       [&r](const QPair<QString, double> &one) { return one.first == r.item; });
                if (i == sameSale.end())
                    sameSale.append(qMakePair(r.item, r.uses));
                else
                    i->second += r.uses;
            }
            std::sort(sameSale.begin(), sameSale.end(),
                      [](const QPair<QString, double> &a, const QPair<QString, double> &b) { return a.first < b.first; });
            double weightAll = 0, weightThis = 0, usesAll = 0;
            for (const auto &i : sameSale) {
                const double weight = i.second * price.value(i.first);
                weightAll += weight;
                usesAll += i.second;
                if (i.first == item)
                    weightThis = weight;
            }
            const double share = weightAll > 0 ? weightThis / weightAll : (usesAll > 0 ? g.uses / usesAll : 0.0);
            money += qMax(0.0, docMoney) * 100.0 * share;
            uses += g.uses;
        }
        return uses > 0 ? money / uses : double(yuanToCents(price.value(item)));
    }
};

// The last ledger row of a member, or of a member's item, seen so far.
struct Last
{
    qint64 id = -1;
    double value = 0;
};

// A member's uses of one item.
struct Held
{
    QString item;
    Last last;
};

// What every member holds at one moment, by position.
struct Holdings
{
    QVector<qint64> balanceCents;
    QVector<QVarLengthArray<Held, 2>> uses; // in the items' order
    QVector<qint64> bonusCents;             // bonus given so far

    explicit Holdings(int members) : balanceCents(members), uses(members), bonusCents(members) {}

    Last &usesOf(int member, const QString &item)
    {
        auto &held = uses[member];
        Held *at = std::lower_bound(held.begin(), held.end(), item,
                                    [](const Held &h, const QString &i) { return h.item < i; });
        if (at == held.end() || at->item != item)
            at = held.insert(at, Held{item, Last{}});
        return at->last;
    }
};

// What the shop owes one member, from their balance and uses at asOf.
MemberLiability owedBy(const Member &m, int member, const Holdings &h, const Pricing &pricing, const QString &asOf)
{
    MemberLiability o;
    const qint64 cents = h.balanceCents.at(member);
    if (cents > 0) {
        const StoredValue v = BalanceBook::split(cents, CreditSums{h.bonusCents.at(member), 0});
        o.paidCents = v.paidCents;
        o.bonusCents = v.bonusCents;
    }
    for (const Held &held : h.uses.at(member)) {
        if (held.last.value <= 0)
            continue;
        o.usesLeft += held.last.value;
        o.packageCents += qRound64(pricing.perUseCents(member, held.item, asOf) * held.last.value);
    }
    if (o.totalCents() != 0) {
        o.memberId = m.id;
        o.name = m.name;
    }
    return o;
}

void addBonus(const Members &members, QVector<qint64> &bonus, QVector<bool> *moved, const QString &asOf,
              const QString &after)
{
    BalanceBook::eachBonusGiven(asOf, after, [&](const QString &id, qint64 cents) {
        const int m = members.of(id);
        if (m < 0)
            return;
        bonus[m] += cents;
        if (moved)
            (*moved)[m] = true;
    });
}

void add(LiabilityTotals &t, const MemberLiability &o, int sign)
{
    t.paidCents += sign * o.paidCents;
    t.bonusCents += sign * o.bonusCents;
    t.packageCents += sign * o.packageCents;
}

// The moments' liabilities one after the other: the history is read once up to
// the first, then only what moved until the next, and only the members it moved
// are valued again. With owedLast, the members owed something at the last moment.
QList<LiabilityTotals> walk(const QStringList &moments, QVector<MemberLiability> *owedLast)
{
    QList<LiabilityTotals> out;
    if (moments.isEmpty())
        return out;
    Members members;
    members.read();
    const int n = members.size();
    Pricing pricing;
    pricing.read(members);
    Holdings h(n);
    QVector<Last> lastBalance(n);
    QVector<bool> moved(n, true);
    // A later row of the same member or item replaces an earlier one, by ID: the
    // order the rows were written in, whatever their clocks said.
    const auto apply = [&](const QVariantList &r) {
        const int m = members.of(r.value(1).toString());
        if (m < 0)
            return;
        moved[m] = true;
        const qint64 id = r.value(0).toLongLong();
        Last &b = lastBalance[m];
        if (id > b.id)
            b = Last{id, r.value(3).toDouble()};
        const QString item = r.value(2).toString();
        if (!item.isEmpty()) {
            Last &u = h.usesOf(m, item);
            if (id > u.id)
                u = Last{id, r.value(4).toDouble()};
        }
    };
    // Until the first moment: each member's and item's last row.
    const QString first = moments.first();
    // The rows with no later one of their member and item, in one pass over
    // idx_huiyuanyuebiandong_lastrow as it lies (member, item, ID, and the
    // values): no table row, no sort and no grouping. Grouped by max(ID) and
    // joined back, the server hashed 80,000 groups (spilling to disk) and read
    // the table twice. An item stored as NULL and as '' makes two partitions;
    // the later of their rows wins in apply() all the same.
    LedgerSql::each(QStringLiteral("select ID, huiyuanid, coalesce(xiangmumingchen,''), dangshikaneiyue, dangshikaneicishu "
                                   "from (select ID, huiyuanid, xiangmumingchen, dangshikaneiyue, dangshikaneicishu, "
                                   "lead(ID) over (partition by huiyuanid, xiangmumingchen order by ID) as later from "
                                   "huiyuanyuebiandong where biandongriqi<=?) t where later is null"),
                    {first}, apply);
    // A member with no row by then had what their first row started from, once
    // registered (a balance brought over from before the ledger), or what the
    // card holds when there is no row at all.
    QVector<qint64> opening(n);
    LedgerSql::each(QStringLiteral("select h.ID, (select coalesce(y.dangshikaneiyue,0)-coalesce(y.yuezengjia,0)+"
                                   "coalesce(y.yuejianshao,0) from huiyuanyuebiandong y where y.huiyuanid=h.ID order by "
                                   "y.ID LIMIT 1), coalesce(h.shengyujine,0) from huiyuan h where not exists (select 1 from "
                                   "huiyuanyuebiandong x where x.huiyuanid=h.ID and x.biandongriqi<=?)"),
                    {first}, [&](const QVariantList &r) {
                        const int m = members.of(r.value(0).toString());
                        if (m >= 0)
                            opening[m] = yuanToCents(r.value(1).isNull() ? r.value(2).toDouble() : r.value(1).toDouble());
                    });
    // What moved after it, up to the last moment, in the order of its clock.
    QList<QVariantList> later;
    if (moments.size() > 1)
        later = LedgerSql::rows(QStringLiteral("select ID, huiyuanid, coalesce(xiangmumingchen,''), dangshikaneiyue, "
                                               "dangshikaneicishu, biandongriqi from huiyuanyuebiandong where "
                                               "biandongriqi>? and biandongriqi<=? order by biandongriqi, ID"),
                                {first, moments.last()});
    addBonus(members, h.bonusCents, nullptr, first, QString());

    QVector<MemberLiability> owed(n);
    LiabilityTotals sum;
    int next = 0;
    for (int k = 0; k < moments.size(); ++k) {
        const QString &moment = moments.at(k);
        if (k > 0) {
            for (; next < later.size() && later.at(next).value(5).toString() <= moment; ++next)
                apply(later.at(next));
            addBonus(members, h.bonusCents, &moved, moment, moments.at(k - 1));
        }
        for (int m = 0; m < n; ++m) {
            const Member &member = members.list.at(m);
            // Registered since the last moment, with no row yet: the opening balance starts to count.
            if (!moved.at(m)
                && !(k > 0 && member.registered > moments.at(k - 1) && member.registered <= moment))
                continue;
            moved[m] = false;
            const Last &b = lastBalance.at(m);
            h.balanceCents[m] = b.id >= 0 ? yuanToCents(b.value)
                                : !member.registered.isEmpty() && member.registered > moment ? 0
                                                                                             : opening.at(m);
            add(sum, owed.at(m), -1);
            owed[m] = owedBy(member, m, h, pricing, moment);
            add(sum, owed.at(m), 1);
        }
        sum.asOf = moment;
        out << sum;
    }
    if (owedLast)
        for (const MemberLiability &o : owed)
            if (o.totalCents() != 0)
                *owedLast << o;
    return out;
}

} // namespace

Liability LiabilityRead::now()
{
    Members members;
    members.read();
    const int n = members.size();
    Holdings h(n);
    for (int m = 0; m < n; ++m)
        h.balanceCents[m] = members.list.at(m).balanceCents;
    // The rows as they lie (one per member and item, mostly), summed here: grouped
    // by the server, SQLite looks each row up through the member index.
    LedgerSql::each(QStringLiteral("select huiyuanID, xiangmuID, shengyucishu from huiyuantaocan where shengyucishu<>0 order by rowid"),
                    {}, [&](const QVariantList &r) {
                        const int m = members.of(r.value(0).toString());
                        if (m >= 0)
                            h.usesOf(m, r.value(1).toString()).value += r.value(2).toDouble();
                    });
    addBonus(members, h.bonusCents, nullptr, QString(), QString());
    Pricing pricing;
    pricing.read(members);
    Liability l;
    for (int m = 0; m < n; ++m) {
        const MemberLiability o = owedBy(members.list.at(m), m, h, pricing, QString());
        if (o.totalCents() != 0)
            l.members << o;
    }
    return l;
}

Liability LiabilityRead::at(const QString &moment)
{
    Liability l;
    l.asOf = moment;
    walk({moment}, &l.members);
    return l;
}

QList<LiabilityTotals> LiabilityRead::totalsAt(const QStringList &moments)
{
    return walk(moments, nullptr);
}
