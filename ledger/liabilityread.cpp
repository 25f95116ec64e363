#include "liabilityread.h"

#include "accountbooks.h"
#include "amounts.h"
#include "ledgersql.h"

#include <QHash>
#include <QMap>
#include <algorithm>
#include <functional>

using LedgerSql::rows;

namespace {

QString pairKey(const QString &a, const QString &b)
{
    return a + QChar(0x1f) + b;
}

// Uses a card issue or renewal sold of one item: the rows of one remark at one moment.
struct Sold
{
    qint64 firstId = 0;
    QString when;
    QString remark;
    double uses = 0;
};

// A card issue's or renewal's payment rows, summed.
struct DocPayment
{
    QString kind;
    double due = 0;
    double onCard = 0;
    double bonus = 0;
};

// What prices a use: the sales of uses and the payments behind them. None of it
// depends on the moment but which sales had happened by then.
struct Pricing
{
    QHash<QString, QList<Sold>> sold;            // member|item, oldest first
    QHash<QString, QMap<QString, double>> items; // member|remark: uses per item, whatever the kind
    QHash<QString, DocPayment> payments;         // by document
    QHash<QString, double> price;                // list price of the item, yuan

    void read()
    {
        LedgerSql::each(QStringLiteral("select ID, ifnull(xiaoshoujiage,0) from fuwuxiangmu"), {},
                        [this](const QVariantList &r) { price.insert(r.value(0).toString(), r.value(1).toDouble()); });
        // Few rows put uses on a card; read as they are, they cost less than
        // grouped by the server.
        QHash<QString, int> at;
        QList<Sold> all;
        QList<QString> owner;
        LedgerSql::each(QStringLiteral("select ID, huiyuanid, ifnull(xiangmumingchen,''), ifnull(beizhu,''), "
                                       "biandongleixing, biandongriqi, cishuzengjia from huiyuanyuebiandong where "
                                       "cishuzengjia>0"),
                        {}, [&](const QVariantList &r) {
            const QString member = r.value(1).toString();
            const QString item = r.value(2).toString();
            const QString remark = r.value(3).toString();
            const double uses = r.value(6).toDouble();
            items[pairKey(member, remark)][item] += uses;
            const QString kind = r.value(4).toString();
            if (kind != QStringLiteral("会员办卡") && kind != QStringLiteral("会员套餐充值"))
                return;
            const QString when = r.value(5).toString();
            const QString k = pairKey(pairKey(member, item), pairKey(remark, when));
            const qint64 id = r.value(0).toLongLong();
            const auto found = at.constFind(k);
            if (found == at.constEnd()) {
                at.insert(k, all.size());
                all << Sold{id, when, remark, uses};
                owner << pairKey(member, item);
            } else {
                Sold &s = all[found.value()];
                s.firstId = qMin(s.firstId, id);
                s.uses += uses;
            }
        });
        for (int i = 0; i < all.size(); ++i)
            sold[owner.at(i)] << all.at(i);
        for (QList<Sold> &l : sold)
            std::sort(l.begin(), l.end(), [](const Sold &a, const Sold &b) { return a.firstId < b.firstId; });
        // Their payment rows as they lie (most documents have one): grouped by
        // the server, SQLite would look each row up through the document index.
        LedgerSql::each(QStringLiteral("select ID, jiaofeileixing, ifnull(yingjiaojine,0), ifnull(kaneijine,0), "
                                       "ifnull(zengsongjine,0) from huiyuanjiaofei where jiaofeileixing in "
                                       "('办卡交费','套餐交费')"),
                        {}, [this](const QVariantList &r) {
                            DocPayment &p = payments[r.value(0).toString()];
                            p.kind = qMax(p.kind, r.value(1).toString());
                            p.due += r.value(2).toDouble();
                            p.onCard += r.value(3).toDouble();
                            p.bonus += r.value(4).toDouble();
                        });
    }

    // The price of a use depends on nothing but which of its sales had happened
    // (always those before a moment): one price per member, item and count of
    // them, so a walk over many moments prices each item again only after a sale.
    struct Priced
    {
        int sales = -1;
        double cents = 0;
    };
    mutable QHash<QString, Priced> priced;

    double perUseCents(const QString &member, const QString &item, const QString &asOf) const
    {
        const QString key = pairKey(member, item);
        const auto s = sold.constFind(key);
        int sales = 0;
        if (s != sold.constEnd())
            for (const Sold &one : *s)
                sales += asOf.isEmpty() || one.when <= asOf ? 1 : 0;
        Priced &p = priced[key];
        if (p.sales != sales)
            p = Priced{sales, pricedNow(member, item, asOf)};
        return p.cents;
    }

    // Cents a use of the item is worth to the member at asOf (empty: now): the
    // money of each sale of it over the uses they sold; never sold, its list price.
    double pricedNow(const QString &member, const QString &item, const QString &asOf) const
    {
        QList<Sold> groups;
        QHash<QString, int> byRemark;
        for (const Sold &s : sold.value(pairKey(member, item))) {
            if (!asOf.isEmpty() && s.when > asOf)
                continue;
            const auto found = byRemark.constFind(s.remark);
            if (found == byRemark.constEnd()) {
                byRemark.insert(s.remark, groups.size());
                groups << s;
            } else {
                groups[found.value()].uses += s.uses;
            }
        }
        double money = 0, uses = 0;
        for (const Sold &g : groups) {
            const QString doc = g.remark.mid(g.remark.indexOf(QStringLiteral("：")) + 1);
            const auto pay = payments.constFind(doc);
            if (pay == payments.constEnd())
                continue; // no payment on file: not priced
            // A card issue's due is the card's price and the package's; the card's
            // price is what it holds less its bonus.
            const double docMoney = pay->kind == QStringLiteral("办卡交费") ? pay->due - (pay->onCard - pay->bonus)
                                                                          : pay->due;
            double weightAll = 0, weightThis = 0, usesAll = 0;
            const QMap<QString, double> sameSale = items.value(pairKey(member, g.remark));
            for (auto i = sameSale.cbegin(); i != sameSale.cend(); ++i) {
                const double weight = i.value() * price.value(i.key());
                weightAll += weight;
                usesAll += i.value();
                if (i.key() == item)
                    weightThis = weight;
            }
            const double share = weightAll > 0 ? weightThis / weightAll : (usesAll > 0 ? g.uses / usesAll : 0.0);
            money += qMax(0.0, docMoney) * 100.0 * share;
            uses += g.uses;
        }
        return uses > 0 ? money / uses : double(yuanToCents(price.value(item)));
    }
};

struct Member
{
    QString id;
    QString name;
    QString registered; // login_time
};

// The last ledger row of a member, or of a member's item, seen so far.
struct Last
{
    qint64 id = -1;
    double value = 0;
};

using UsesHeld = QHash<QString, QMap<QString, Last>>; // member: item

// The member rows, sorted by number as the list shows them.
QList<Member> members()
{
    QList<Member> out;
    LedgerSql::each(QStringLiteral("select ID, name, ifnull(login_time,'') from huiyuan"), {},
                    [&out](const QVariantList &r) {
                        out << Member{r.value(0).toString(), r.value(1).toString(), r.value(2).toString()};
                    });
    std::sort(out.begin(), out.end(), [](const Member &a, const Member &b) { return a.id < b.id; });
    return out;
}

// One moment's liability, member by member, from their balance and uses then.
void evaluate(const QString &asOf, const QList<Member> &all, const std::function<qint64(const Member &)> &balance,
              const UsesHeld &uses, const QHash<QString, CreditSums> &credits, const Pricing &pricing,
              const std::function<void(const MemberLiability &)> &owed)
{
    for (const Member &m : all) {
        MemberLiability o;
        const qint64 cents = balance(m);
        if (cents > 0) {
            const StoredValue v = BalanceBook::split(cents, credits.value(m.id));
            o.paidCents = v.paidCents;
            o.bonusCents = v.bonusCents;
        }
        const auto held = uses.constFind(m.id);
        if (held != uses.constEnd())
            for (auto i = held->cbegin(); i != held->cend(); ++i) {
                if (i.value().value <= 0)
                    continue;
                o.usesLeft += i.value().value;
                o.packageCents += qRound64(pricing.perUseCents(m.id, i.key(), asOf) * i.value().value);
            }
        if (o.totalCents() == 0)
            continue;
        o.memberId = m.id;
        o.name = m.name;
        owed(o);
    }
}

// The moments' liabilities one after the other: the history is read once up to
// the first, then only what moved until the next.
void walk(const QStringList &moments,
          const std::function<void(int moment, const MemberLiability &)> &owed)
{
    if (moments.isEmpty())
        return;
    const QList<Member> all = members();
    Pricing pricing;
    pricing.read();

    QHash<QString, Last> balance;
    UsesHeld uses;
    // A later row of the same member or item replaces an earlier one, by ID: the
    // order the rows were written in, whatever their clocks said.
    const auto apply = [&balance, &uses](const QVariantList &r) {
        const qint64 id = r.value(0).toLongLong();
        const QString member = r.value(1).toString();
        const QString item = r.value(2).toString();
        Last &b = balance[member];
        if (id > b.id)
            b = Last{id, r.value(3).toDouble()};
        if (!item.isEmpty()) {
            Last &u = uses[member][item];
            if (id > u.id)
                u = Last{id, r.value(4).toDouble()};
        }
    };
    // Until the first moment: each member's and item's last row.
    const QString first = moments.first();
    // Grouped as the index idx_huiyuanyuebiandong_last lies, the groups are read
    // from it in order, without the rows. An item stored as NULL and as '' makes
    // two groups; the later of their rows wins in apply() all the same.
    LedgerSql::each(QStringLiteral("select y.ID, y.huiyuanid, ifnull(y.xiangmumingchen,''), y.dangshikaneiyue, "
                                   "y.dangshikaneicishu from huiyuanyuebiandong y join (select max(ID) as last from "
                                   "huiyuanyuebiandong where biandongriqi<=? group by huiyuanid, xiangmumingchen) l on "
                                   "l.last=y.ID"),
                    {first}, apply);
    // A member with no row by then had what their first row started from, once
    // registered (a balance brought over from before the ledger), or what the
    // card holds when there is no row at all.
    QHash<QString, qint64> opening;
    LedgerSql::each(QStringLiteral("select h.ID, (select ifnull(y.dangshikaneiyue,0)-ifnull(y.yuezengjia,0)+"
                                   "ifnull(y.yuejianshao,0) from huiyuanyuebiandong y where y.huiyuanid=h.ID order by "
                                   "y.ID LIMIT 1), ifnull(h.shengyujine,0) from huiyuan h where not exists (select 1 from "
                                   "huiyuanyuebiandong x where x.huiyuanid=h.ID and x.biandongriqi<=?)"),
                    {first}, [&opening](const QVariantList &r) {
                        opening.insert(r.value(0).toString(), yuanToCents(r.value(1).isNull() ? r.value(2).toDouble()
                                                                                             : r.value(1).toDouble()));
                    });
    // What moved after it, up to the last moment, in the order of its clock.
    QList<QVariantList> later;
    if (moments.size() > 1)
        later = rows(QStringLiteral("select ID, huiyuanid, ifnull(xiangmumingchen,''), dangshikaneiyue, dangshikaneicishu, "
                                    "biandongriqi from huiyuanyuebiandong where biandongriqi>? and biandongriqi<=? "
                                    "order by biandongriqi, ID"),
                     {first, moments.last()});
    QHash<QString, CreditSums> credits = BalanceBook::creditSums(QString(), first);
    int next = 0;
    for (int k = 0; k < moments.size(); ++k) {
        const QString &moment = moments.at(k);
        if (k > 0) {
            for (; next < later.size() && later.at(next).value(5).toString() <= moment; ++next)
                apply(later.at(next));
            const QHash<QString, CreditSums> moved = BalanceBook::creditSums(QString(), moment, moments.at(k - 1));
            for (auto i = moved.cbegin(); i != moved.cend(); ++i) {
                CreditSums &c = credits[i.key()];
                c.bonusGivenCents += i.value().bonusGivenCents;
                c.paidEverCents += i.value().paidEverCents;
            }
        }
        const auto balanceThen = [&balance, &opening, &moment](const Member &m) -> qint64 {
            const auto last = balance.constFind(m.id);
            if (last != balance.constEnd())
                return yuanToCents(last->value);
            if (!m.registered.isEmpty() && m.registered > moment)
                return 0;
            return opening.value(m.id);
        };
        evaluate(moment, all, balanceThen, uses, credits, pricing,
                 [&owed, k](const MemberLiability &o) { owed(k, o); });
    }
}

} // namespace

Liability LiabilityRead::now()
{
    QList<Member> all;
    QHash<QString, qint64> balances;
    LedgerSql::each(QStringLiteral("select ID, name, ifnull(shengyujine,0) from huiyuan"), {},
                    [&all, &balances](const QVariantList &r) {
                        all << Member{r.value(0).toString(), r.value(1).toString(), QString()};
                        const qint64 cents = yuanToCents(r.value(2).toDouble());
                        if (cents > 0)
                            balances.insert(all.last().id, cents);
                    });
    std::sort(all.begin(), all.end(), [](const Member &a, const Member &b) { return a.id < b.id; });
    UsesHeld uses;
    LedgerSql::each(QStringLiteral("select huiyuanID, xiangmuID, sum(shengyucishu) from huiyuantaocan group by "
                                   "huiyuanID, xiangmuID having sum(shengyucishu)>0"),
                    {}, [&uses](const QVariantList &r) {
                        uses[r.value(0).toString()][r.value(1).toString()] = Last{0, r.value(2).toDouble()};
                    });
    Pricing pricing;
    pricing.read();
    Liability l;
    evaluate(QString(), all, [&balances](const Member &m) { return balances.value(m.id); }, uses,
             BalanceBook::creditSums(QString(), QString()), pricing,
             [&l](const MemberLiability &o) { l.members << o; });
    return l;
}

Liability LiabilityRead::at(const QString &moment)
{
    Liability l;
    l.asOf = moment;
    walk({moment}, [&l](int, const MemberLiability &o) { l.members << o; });
    return l;
}

QList<LiabilityTotals> LiabilityRead::totalsAt(const QStringList &moments)
{
    QList<LiabilityTotals> out;
    for (const QString &m : moments)
        out << LiabilityTotals{m, 0, 0, 0};
    walk(moments, [&out](int k, const MemberLiability &o) {
        LiabilityTotals &t = out[k];
        t.paidCents += o.paidCents;
        t.bonusCents += o.bonusCents;
        t.packageCents += o.packageCents;
    });
    return out;
}
