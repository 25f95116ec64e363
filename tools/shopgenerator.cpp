#include "shopgenerator.h"

#include "accountbooks.h"
#include "bookingwriter.h"
#include "visitnotes.h"
#include "cardupgrade.h"
#include "topupoffers.h"
#include "packageexpiry.h"
#include "pointsredemption.h"
#include "vouchers.h"
#include "commissionrules.h"
#include "handoverwriter.h"
#include "ledgersql.h"
#include "memberwriter.h"
#include "refundwriter.h"
#include "salewriter.h"
#include "stockwriter.h"
#include "transactionscope.h"

#include "passwordhash.h"
#include "sqltext.h"

#include <QElapsedTimer>
#include <QMap>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <QVector>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <stdexcept>

bool ShopScale::fromName(const QString &name, ShopScale *out)
{
    ShopScale s;
    s.name = name;
    if (name == QLatin1String("demo")) {
        s.members = 30;
        s.days = 28;
        s.sales = 180;
        s.topups = 18;
        s.renewals = 6;
        s.serviceItems = 20;
        s.products = 12;
        s.employees = 6;
        *out = s;
        return true;
    }
    int factor = 0;
    if (name == QLatin1String("large")) {
        factor = 1;
    } else if (name.endsWith(QLatin1Char('x'))) {
        bool ok = false;
        factor = name.left(name.size() - 1).toInt(&ok);
        if (!ok || factor < 1 || factor > 16)
            return false;
    } else {
        return false;
    }
    // Ten years of a busy salon; multiples grow the customers and the takings,
    // not the years or the catalogue.
    s.members = 50000 * factor;
    s.days = 3650;
    s.sales = 500000 * factor;
    s.topups = 50000 * factor;
    s.renewals = 8000 * factor;
    s.serviceItems = 40;
    s.products = 30;
    s.employees = 20;
    *out = s;
    return true;
}

namespace {

// A small generator of our own: the same numbers on every platform and library.
struct Rng
{
    quint64 s;
    explicit Rng(quint64 seed) : s(seed * 0x9E3779B97F4A7C15ULL + 0x2545F4914F6CDD1DULL) {}
    quint64 next()
    {
        // splitmix64
        quint64 z = (s += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    int below(int n) { return n <= 1 ? 0 : int(next() % quint64(n)); }
    double real() { return double(next() >> 11) / double(1ULL << 53); }
    bool chance(double p) { return real() < p; }
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }
};

QString money(qint64 cents) { return moneyText(double(cents) / 100.0); }
const QString kAuthorizer = QStringLiteral("店长");
QVariant moneyV(qint64 cents) { return QVariant(double(cents) / 100.0); }
QVariant nullText() { return QVariant(QString()); }
qint64 roundCents(double v) { return qint64(std::llround(v)); }

struct Item { QString id, name, cat; qint64 price = 0, cost = 0; };
struct Product { QString id, name, cat, unit, guige, barcode; qint64 buy = 0, sell = 0; int stock = 0; };
struct PackageLine { int item = 0; int uses = 0; qint64 unit = 0; };
struct Package { QString id, name; qint64 price = 0; QVector<PackageLine> lines; };
struct CardType { QString name; qint64 value = 0, price = 0; double svc = 1, prod = 1, pkg = 1; int weight = 0; };
struct Employee { QString id, name, type; };
struct Uses { int total = 0, left = 0, used = 0; };
struct Promo { int item = 0; QString start, end; qint64 price = 0; };
struct Rule { QString calc; double rate = 0; qint64 fixed = 0; };

struct Member
{
    QString id, name, sex, birthday, phone, expiry, registered, adviser, card, issueEmployee, packageId;
    int cardType = 0;
    qint64 paidForCard = 0, balance = 0, points = 0;
    int lastCount = 0;                 // dangshikaneicishu of the member's latest ledger row
    QMap<QString, Uses> uses;          // item ID -> package uses held
};

struct Debt { int member = 0; QString saleId; qint64 rowid = 0; qint64 amount = 0; };

struct Event { int ms = 0; int kind = 0; int arg = 0; };
enum EventKind { IssueCard = 0, StockIn = 1, StockOut = 2, Sale = 3, TopUp = 4, Renewal = 5, Repay = 6,
                 RefundBalance = 7, RefundPackage = 8,
                 CardUpgradeEvent = 9 };

// Text of one day plus a time of day, without QDateTime's cost per row.
struct DayClock
{
    QByteArray date;    // yyyy-MM-dd
    QByteArray compact; // yyyyMMdd
    void set(const QDate &d)
    {
        date = d.toString(QStringLiteral("yyyy-MM-dd")).toLatin1();
        compact = d.toString(QStringLiteral("yyyyMMdd")).toLatin1();
    }
    static void put2(char *p, int v) { p[0] = char('0' + v / 10); p[1] = char('0' + v % 10); }
    QString at(int ms) const // "yyyy-MM-dd hh:mm:ss"
    {
        char buf[20];
        memcpy(buf, date.constData(), 10);
        const int s = ms / 1000;
        buf[10] = ' ';
        put2(buf + 11, s / 3600);
        buf[13] = ':';
        put2(buf + 14, s / 60 % 60);
        buf[16] = ':';
        put2(buf + 17, s % 60);
        return QString::fromLatin1(buf, 19);
    }
    QString serial(int ms) const // "yyyyMMddhhmmsszzz"
    {
        char buf[17];
        memcpy(buf, compact.constData(), 8);
        const int s = ms / 1000;
        put2(buf + 8, s / 3600);
        put2(buf + 10, s / 60 % 60);
        put2(buf + 12, s % 60);
        const int z = ms % 1000;
        buf[14] = char('0' + z / 100);
        buf[15] = char('0' + z / 10 % 10);
        buf[16] = char('0' + z % 10);
        return QString::fromLatin1(buf, 17);
    }
};

// Prepared statement with positional values; a failure ends the generation.
class Stmt
{
public:
    explicit Stmt(const QString &sql) : m_q(QSqlDatabase::database())
    {
        if (!m_q.prepare(sql))
            throw std::runtime_error(("prepare: " + sql + " — " + m_q.lastError().text()).toStdString());
        m_sql = sql;
    }
    void run(std::initializer_list<QVariant> values)
    {
        int i = 0;
        for (const QVariant &v : values)
            m_q.bindValue(i++, v);
        if (!m_q.exec())
            throw std::runtime_error(("exec: " + m_sql + " — " + m_q.lastError().text()).toStdString());
    }
    qint64 lastId() const { return m_q.lastInsertId().toLongLong(); }
private:
    QSqlQuery m_q;
    QString m_sql;
};

QString placeholders(int n)
{
    QStringList p;
    for (int i = 0; i < n; ++i)
        p << QStringLiteral("?");
    return p.join(QLatin1Char(','));
}

std::unique_ptr<Stmt> insertInto(const QString &table, const QString &columns)
{
    const int n = columns.count(QLatin1Char(',')) + 1;
    return std::make_unique<Stmt>(QStringLiteral("insert into ") + table + QLatin1Char('(') + columns
                                  + QStringLiteral(") values(") + placeholders(n) + QLatin1Char(')'));
}


const char *const kSurnames[] = {"王", "李", "张", "刘", "陈", "杨", "黄", "赵", "吴", "周", "徐", "孙",
                                 "马", "朱", "胡", "郭", "何", "高", "林", "罗", "郑", "梁", "谢", "宋"};
const char *const kGiven[] = {"伟", "芳", "娜", "敏", "静", "丽", "强", "磊", "军", "洋", "勇", "艳",
                              "杰", "娟", "涛", "明", "超", "秀", "霞", "平", "刚", "桂", "英", "华",
                              "红", "玲", "兰", "婷", "雪", "琳", "晨", "悦", "欣", "佳", "怡", "宇"};

class Builder
{
public:
    Builder(const ShopScale &scale, quint64 seed, const QDate &end, int lastDayEnd, ShopCounts &counts)
        : sc(scale), rng(seed), endDate(end), lastDayEnd(lastDayEnd), cnt(counts) {}

    void run();
    QDateTime now() const { return eventTime; }

private:
    const ShopScale &sc;
    Rng rng;
    QDate endDate;
    int lastDayEnd;
    ShopCounts &cnt;

    QVector<Item> items;
    QVector<Product> products;
    QVector<Package> packages;
    QVector<CardType> cards;
    QVector<Employee> staff;
    QVector<int> commissionStaff; // employees whose type has commission rules
    QMap<QString, Rule> rules;    // key: itemType|itemID|employeeType|mode
    QVector<Promo> promos;
    QStringList operators;
    QStringList otherMethods{QStringLiteral("现金"), QStringLiteral("支付宝"), QStringLiteral("微信"),
                             QStringLiteral("刷卡")};
    QStringList renewMethods{QStringLiteral("现金"), QStringLiteral("支付宝"), QStringLiteral("微信"),
                             QStringLiteral("刷卡"), QStringLiteral("代金券")};

    QVector<Member> members;
    qint64 walkInPoints = 0;
    QMap<int, QVector<Debt>> debtsDue; // day -> debts repaid that day

    // The day being generated.
    DayClock clock;
    int day = 0;
    QString op;

    std::unique_ptr<Stmt> sStock, sLog;

    void prepare();
    void catalogue();
    void oneDay(int d, int issueQuota, int saleQuota, int topupQuota, int renewQuota);

    void log(int ms, const QString &user, const QString &text)
    {
        sLog->run({clock.at(ms), user, text});
        ++cnt.logRows;
    }
    void issueCard(int ms);
    void stockDocument(int ms, bool in);
    void sale(int ms);
    void topUp(int ms);
    void renewal(int ms);
    void repay(int ms, const Debt &debt);
    void handover(int ms, int loginMs);

    // Money given back: a sale voided at once, part of a card balance or a
    // package's unused uses refunded. Drawn from a generator of their own; the
    // manager (kAuthorizer) confirms each, as the refund dialogs ask.
    Rng backRng{0xBAC4};
    void voidAtOnce(const QString &saleId);
    void refundBalance(int ms);
    void refundPackage(int ms);
    // The rows the writers wrote for one of them, counted by the tables' row numbers.
    struct Tally { qint64 headers = 0, lines = 0, logs = 0, points = 0, ledger = 0; };
    static Tally tally();
    void counted(const Tally &before);

    // The appointment book, drawn from a generator of its own so that the rest
    // of the history stays what it was without it.
    Rng bookRng{0xB00C};
    int lastBookMs = -1;
    QString book(int ms, const QString &memberId, const QString &name, const QString &phone,
                 const QVector<BookingItem> &lines);
    void bookingsNotKept();
    void bookingsToCome();

    // Visit notes after a part of the members' service sales, from a
    // generator of their own as well.
    Rng lifeRng{0x11FE};
    void visitNote(int ms, const Member &m, const QString &saleId, const QString &stylist, const QString &service);
    void cardUpgrade(int ms);
    void redemptions();

    // Numbered vouchers: given away and sold ten days before the end of the
    // history, then taken by some sales through the sale writer, partly used
    // ones keeping their rest. From a generator of their own too.
    Rng voucherRng{0xD41C};
    struct VoucherHeld { QString number; qint64 rest = 0; };
    QVector<VoucherHeld> vouchersOut;
    void issueVouchers(int ms);
    // A voucher with something left on it, by its place; -1: none.
    int voucherHeld();
    // A method for card issues, top-ups, renewals and repayments: once the
    // shop numbers its vouchers, 代金券 pays only at the checkout (the writers
    // refuse it elsewhere), so that draw is paid in cash.
    QString renewMethod()
    {
        const QString m = renewMethods.at(rng.below(renewMethods.size()));
        return !vouchersOut.isEmpty() && m == QStringLiteral("代金券") ? QStringLiteral("现金") : m;
    }

    // The writers take the operation's time from the ledger clock: the event's time.
    QDateTime eventTime;
    void at(int ms)
    {
        eventTime = QDateTime(QDate::fromString(QString::fromLatin1(clock.date), QStringLiteral("yyyy-MM-dd")),
                              QTime::fromMSecsSinceStartOfDay(ms));
    }
    static void write(const LedgerResult &r)
    {
        if (!r.ok)
            throw std::runtime_error(("ledger: " + r.error).toStdString());
    }

    int pickMember() { return members.isEmpty() ? -1 : rng.below(members.size()); }
    const Employee &pickCommissionEmployee() { return staff.at(commissionStaff.at(rng.below(commissionStaff.size()))); }
    static QString ruleKey(const QString &itemType, const QString &item, const QString &empType, const QString &mode)
    {
        return itemType + QLatin1Char('|') + item + QLatin1Char('|') + empType + QLatin1Char('|') + mode;
    }
};

void Builder::prepare()
{
    sStock = insertInto(QStringLiteral("chanpinrukumingxi"),
                        QStringLiteral("rukuID,time,type,chanpinID,xiaoshoujiage,shuliang,jine,rukutype,\"user\",beizhu"));
    sLog = insertInto(QStringLiteral("log"), QStringLiteral("time,\"user\",log"));
}

void Builder::catalogue()
{
    const QDate first = endDate.addDays(-(sc.days - 1));
    clock.set(first);
    const QString created = clock.at(8 * 3600 * 1000);

    // Named lists.
    Stmt leibie(QStringLiteral("INSERT INTO leibie(mingchen,leibiestr,beizhu) VALUES(?,?,'')"));
    const QStringList itemCats{QStringLiteral("剪发"), QStringLiteral("烫发"), QStringLiteral("染发"),
                               QStringLiteral("护理"), QStringLiteral("美容"), QStringLiteral("美甲")};
    const QStringList productCats{QStringLiteral("洗护"), QStringLiteral("造型"), QStringLiteral("护肤")};
    const QStringList units{QStringLiteral("瓶"), QStringLiteral("支"), QStringLiteral("盒")};
    const QStringList staffTypes{QStringLiteral("发型师"), QStringLiteral("美容师"), QStringLiteral("助理"),
                                 QStringLiteral("前台")};
    for (const QString &c : itemCats)
        leibie.run({c, QStringLiteral("项目类型")});
    for (const QString &c : productCats)
        leibie.run({c, QStringLiteral("产品类型")});
    for (const QString &c : units)
        leibie.run({c, QStringLiteral("产品单位")});
    for (const QString &c : staffTypes)
        leibie.run({c, QStringLiteral("员工类别")});

    // Service items.
    struct Base { const char *name; int cat; int price; };
    const Base itemBase[] = {
        {"女士精剪", 0, 58}, {"男士精剪", 0, 38}, {"儿童理发", 0, 25}, {"洗剪吹", 0, 48}, {"造型设计", 0, 88},
        {"数码烫", 1, 380}, {"冷烫", 1, 260}, {"陶瓷烫", 1, 480}, {"时尚染发", 2, 280}, {"植物染发", 2, 360},
        {"挑染", 2, 220}, {"头皮护理", 3, 168}, {"深层修护", 3, 198}, {"头部按摩", 3, 68}, {"面部清洁", 4, 128},
        {"补水护理", 4, 198}, {"美白嫩肤", 4, 298}, {"眼部护理", 4, 158}, {"基础美甲", 5, 68}, {"光疗甲", 5, 168}};
    const int nBase = int(sizeof(itemBase) / sizeof(itemBase[0]));
    Stmt insItem(QStringLiteral("insert into fuwuxiangmu(ID,name,leibie,fuwushijian,xiaoshoujiage,chengbenjiage,dijia,"
                                "shijiaxiangmu,shifouhuifan,huifangshijian,shifouyouhulizhouqi,zhouqi,beizhu,jinyong) "
                                "values(?,?,?,?,?,?,?,?,?,?,?,?,?,?)"));
    for (int i = 0; i < sc.serviceItems; ++i) {
        const Base &b = itemBase[i % nBase];
        const int tier = i / nBase;
        Item it;
        it.id = QStringLiteral("X%1").arg(i + 1, 3, 10, QLatin1Char('0'));
        it.name = QString::fromUtf8(b.name) + (tier ? QStringLiteral("(高级%1)").arg(tier) : QString());
        it.cat = itemCats.at(b.cat);
        it.price = qint64(b.price) * 100 * (2 + tier) / 2;
        it.cost = it.price * 3 / 10;
        insItem.run({it.id, it.name, it.cat, double(30 + 15 * (b.cat % 3)), moneyV(it.price), moneyV(it.cost),
                     moneyV(it.price * 6 / 10), QStringLiteral("否"), b.cat >= 3 ? QStringLiteral("是") : QStringLiteral("否"),
                     double(b.cat >= 3 ? 30 : 0), b.cat >= 3 ? QStringLiteral("是") : QStringLiteral("否"),
                     double(b.cat >= 3 ? 30 : 0), QString(), QStringLiteral("否")});
        items << it;
    }

    // Products, each with the zero movement of its creation.
    struct PBase { const char *name; int cat; int unit; int buy; int sell; const char *guige; };
    const PBase productBase[] = {
        {"洗发水", 0, 0, 30, 68, "500ml"}, {"护发素", 0, 0, 26, 58, "500ml"}, {"发膜", 0, 2, 45, 98, "250g"},
        {"护发精油", 0, 0, 60, 128, "100ml"}, {"发蜡", 1, 2, 18, 45, "80g"}, {"啫喱水", 1, 0, 12, 35, "250ml"},
        {"定型喷雾", 1, 0, 16, 42, "300ml"}, {"洁面乳", 2, 1, 36, 88, "120g"}, {"爽肤水", 2, 0, 50, 118, "150ml"},
        {"面霜", 2, 0, 85, 198, "50g"}, {"精华液", 2, 0, 120, 268, "30ml"}, {"面膜", 2, 2, 40, 98, "10片"}};
    const int nPBase = int(sizeof(productBase) / sizeof(productBase[0]));
    Stmt insProduct(QStringLiteral("insert into chanpin(ID,name,tiaoma,leibie,danwei,guige,jinhuojiage,xiaoshoujiage,dijia,"
                                   "shijiashangpin,beizhu) values(?,?,?,?,?,?,?,?,?,?,?)"));
    for (int i = 0; i < sc.products; ++i) {
        const PBase &b = productBase[i % nPBase];
        const int tier = i / nPBase;
        Product p;
        p.id = QStringLiteral("C%1").arg(i + 1, 3, 10, QLatin1Char('0'));
        p.name = QString::fromUtf8(b.name) + (tier ? QStringLiteral("(%1号)").arg(tier + 1) : QString());
        p.cat = productCats.at(b.cat);
        p.unit = units.at(b.unit);
        p.guige = QString::fromUtf8(b.guige);
        p.barcode = QStringLiteral("69%1").arg(1000000000 + i * 7919 % 1000000000, 10, 10, QLatin1Char('0')).left(13);
        p.buy = qint64(b.buy) * 100 * (3 + tier) / 3;
        p.sell = qint64(b.sell) * 100 * (3 + tier) / 3;
        sStock->run({QStringLiteral("000000"), created, QStringLiteral("入库明细"), p.id, QStringLiteral("0"),
                     QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"),
                     QStringLiteral("0")});
        insProduct.run({p.id, p.name, p.barcode, p.cat, p.unit, p.guige, moneyV(p.buy), moneyV(p.sell),
                        moneyV(p.sell * 7 / 10), QStringLiteral("否"), nullText()});
        products << p;
    }

    // Packages: one row per line, each repeating the package header.
    struct KLine { int item; int uses; };
    struct KBase { const char *name; int price; KLine lines[3]; };
    const KBase packageBase[] = {
        {"剪发十次卡", 480, {{0, 10}, {-1, 0}, {-1, 0}}},
        {"头皮护理套餐", 880, {{11, 5}, {13, 5}, {-1, 0}}},
        {"美容年卡", 2280, {{14, 12}, {15, 6}, {-1, 0}}},
        {"烫染套餐", 798, {{5, 1}, {8, 1}, {12, 2}}},
        {"男士剪发卡", 368, {{1, 12}, {-1, 0}, {-1, 0}}},
        {"美甲套餐", 560, {{18, 6}, {19, 2}, {-1, 0}}}};
    Stmt insPackage(QStringLiteral("insert into taocanmingxi(taocanID,name,youxiaoqi,zongjia,xiangmuID,yuanjia,fuwucishu,"
                                   "youhuijiage,heji,zhouqi,beizhu) values(?,?,?,?,?,?,?,?,?,?,?)"));
    int pkgNo = 0;
    for (const KBase &k : packageBase) {
        Package p;
        p.id = QStringLiteral("TC%1").arg(++pkgNo, 2, 10, QLatin1Char('0'));
        p.name = QString::fromUtf8(k.name);
        p.price = qint64(k.price) * 100;
        qint64 list = 0;
        for (const KLine &l : k.lines)
            if (l.item >= 0 && l.item < items.size())
                list += items.at(l.item).price * l.uses;
        for (const KLine &l : k.lines) {
            if (l.item < 0 || l.item >= items.size())
                continue;
            PackageLine pl;
            pl.item = l.item;
            pl.uses = l.uses;
            pl.unit = list > 0 ? items.at(l.item).price * p.price / list : 0;
            insPackage.run({p.id, p.name, QStringLiteral("365天"), moneyV(p.price), items.at(l.item).id,
                            moneyV(items.at(l.item).price), double(l.uses), moneyV(pl.unit),
                            moneyV(pl.unit * l.uses), double(30), QStringLiteral("购买后一年内有效")});
            p.lines << pl;
        }
        if (!p.lines.isEmpty())
            packages << p;
    }

    // Card types.
    cards = {{QStringLiteral("普通卡"), 50000, 50000, 0.95, 0.98, 1, 35},
             {QStringLiteral("银卡"), 100000, 100000, 0.9, 0.95, 0.95, 30},
             {QStringLiteral("金卡"), 220000, 200000, 0.85, 0.9, 0.9, 18},
             {QStringLiteral("钻石卡"), 550000, 500000, 0.8, 0.88, 0.85, 7},
             {QStringLiteral("次卡"), 0, 0, 1, 1, 1, 10}};
    Stmt insCard(QStringLiteral("insert into huiyuanka(name,kaneijine,jiage,fuwuzekou,chanpinzekou,taocanzekou,beizhu) "
                                "values(?,?,?,?,?,?,?)"));
    for (const CardType &c : cards)
        insCard.run({c.name, moneyV(c.value), moneyV(c.price), c.svc, c.prod, c.pkg,
                     c.value > c.price ? QStringLiteral("充%1送%2").arg(money(c.price), money(c.value - c.price))
                                       : QString()});

    // Staff.
    Stmt insStaff(QStringLiteral("insert into yuangong(ID,name,type,phone,jinyong,beizhu) values(?,?,?,?,?,?)"));
    const int typeOf[] = {0, 0, 1, 2, 3, 0, 1, 2, 0, 1};
    for (int i = 0; i < sc.employees; ++i) {
        Employee e;
        e.id = QStringLiteral("E%1").arg(i + 1, 2, 10, QLatin1Char('0'));
        e.name = QString::fromUtf8(kSurnames[(i * 7 + 3) % 24]) + QString::fromUtf8(kGiven[(i * 5 + 1) % 36])
                 + (i % 3 == 0 ? QString::fromUtf8(kGiven[(i * 11 + 4) % 36]) : QString());
        e.type = staffTypes.at(typeOf[i % 10]);
        insStaff.run({e.id, e.name, e.type, QStringLiteral("139%1").arg(20000000 + i * 3137, 8, 10, QLatin1Char('0')),
                      QStringLiteral("否"), QString()});
        if (e.type != QStringLiteral("前台"))
            commissionStaff << staff.size();
        staff << e;
    }

    // Commission rules: per service item and staff type, a rate for the rota and a
    // higher one when the customer asked for the person; products pay everyone alike.
    Stmt insRule(QStringLiteral("insert into tichengshezhi(xiangmuID,xiangmuleixing,yuangongleixing,tichengfangshi,"
                                "jisuanfanshi,tichengbili,tichengjiner) values(?,?,?,?,?,?,?)"));
    auto addRule = [&](const QString &itemType, const QString &item, const QString &empType, const QString &mode,
                       const Rule &r) {
        insRule.run({item, itemType, empType, mode, r.calc, r.rate, moneyV(r.fixed)});
        rules.insert(ruleKey(itemType, item, empType, mode), r);
    };
    const QString ratio = QStringLiteral("按比例提成"), fixed = QStringLiteral("按固定金额提成");
    for (const Item &it : qAsConst(items)) {
        for (int t = 0; t < 3; ++t) {
            const QString type = staffTypes.at(t);
            if (t < 2) {
                addRule(QStringLiteral("服务项目"), it.id, type, QStringLiteral("轮单提成"), Rule{ratio, 10 + 2.0 * t, 0});
                addRule(QStringLiteral("服务项目"), it.id, type, QStringLiteral("点单提成"), Rule{ratio, 15 + 2.0 * t, 0});
            } else {
                addRule(QStringLiteral("服务项目"), it.id, type, QStringLiteral("轮单提成"), Rule{fixed, 0, 500});
                addRule(QStringLiteral("服务项目"), it.id, type, QStringLiteral("点单提成"), Rule{fixed, 0, 800});
            }
        }
    }
    // Selling a card earns 5 % of its price, the 发型师 8 %.
    for (const CardType &c : qAsConst(cards)) {
        addRule(QStringLiteral("会员卡"), c.name, QStringLiteral("所有员工"), QStringLiteral("轮单提成"), Rule{ratio, 5, 0});
        addRule(QStringLiteral("会员卡"), c.name, staffTypes.at(0), QStringLiteral("轮单提成"), Rule{ratio, 8, 0});
    }
    for (const Product &p : qAsConst(products)) {
        addRule(QStringLiteral("产品"), p.id, QStringLiteral("所有员工"), QStringLiteral("轮单提成"), Rule{ratio, 5, 0});
        addRule(QStringLiteral("产品"), p.id, QStringLiteral("所有员工"), QStringLiteral("点单提成"), Rule{ratio, 8, 0});
    }

    // Promotions: a month-long offer every half year, and one running now.
    Stmt insPromo(QStringLiteral("insert into cuxiaoshezhi(xiangmuID,xiangmuleixing,starttime,endtime,huiyuanleixing,"
                                 "cuxiaofangshi,cuxiaobili,cuxiaojiner) values(?,?,?,?,?,?,?,?)"));
    auto addPromo = [&](int item, const QDate &from, const QDate &to) {
        Promo p;
        p.item = item;
        p.start = from.toString(QStringLiteral("yyyy-MM-dd"));
        p.end = to.toString(QStringLiteral("yyyy-MM-dd"));
        p.price = items.at(item).price * 8 / 10;
        insPromo.run({items.at(item).id, QStringLiteral("项目"), p.start, p.end, QStringLiteral("所有会员"),
                      QStringLiteral("按比例促销"), 0.8, moneyV(p.price)});
        promos << p;
    };
    for (int d = 30, k = 0; d + 30 < sc.days; d += 182, ++k)
        addPromo((k * 3 + 4) % items.size(), first.addDays(d), first.addDays(d + 29));
    addPromo(14 % items.size(), endDate.addDays(-13), endDate.addDays(16));

    // Two cashiers beside the owner's admin account.
    Stmt insUser(QStringLiteral("insert into \"user\"(name,password,zuidizekou,qiandanjine,xiugaixiaoshoudanjia,xiugaibankajiage,"
                                "tupodijia,xiugaitaocanxiaofeicishu,xitongshezhi,jinyong) values(?,?,?,?,?,?,?,?,?,?)"));
    for (const QString &name : {QStringLiteral("小王"), QStringLiteral("小李")})
        insUser.run({name, PasswordHash::hash(QStringLiteral("123456")), 0.8, 0, QStringLiteral("否"),
                     QStringLiteral("否"), QStringLiteral("否"), QStringLiteral("否"), QStringLiteral("否"),
                     QStringLiteral("否")});
    operators = QStringList{QStringLiteral("小王"), QStringLiteral("小李"), QStringLiteral("admin")};
    // The manager who confirms the history's refunds and voids: a password of
    // her own (the default authorises nothing), hashed with few rounds because
    // the generator has it checked at every one of thousands of refunds. A
    // demo shop's account, like the cashiers'.
    insUser.run({kAuthorizer, PasswordHash::hash(QStringLiteral("654321"), 50), 0, 0, QStringLiteral("是"),
                 QStringLiteral("是"), QStringLiteral("是"), QStringLiteral("是"), QStringLiteral("是"),
                 QStringLiteral("否")});
}

// Card issue as the member dialog does it, through the same writer: member row,
// payment row, opening commission, package uses, points and their ledger rows.
void Builder::issueCard(int ms)
{
    Member m;
    const int n = members.size();
    m.id = QString::number(n + 1);
    const bool female = rng.chance(0.7);
    m.sex = female ? QStringLiteral("女") : QStringLiteral("男");
    m.name = QString::fromUtf8(kSurnames[rng.below(24)]) + QString::fromUtf8(kGiven[rng.below(36)])
             + (rng.chance(0.6) ? QString::fromUtf8(kGiven[rng.below(36)]) : QString());
    const QDate born = QDate(1960 + rng.below(45), 1 + rng.below(12), 1 + rng.below(28));
    m.birthday = born.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 00:00:00");
    // Unique: the member number scrambled by a number prime to 10^8.
    m.phone = QStringLiteral("1%1%2").arg(3 + rng.below(6)).arg((qint64(n + 1) * 48271 + 12345678) % 100000000, 9, 10,
                                                                 QLatin1Char('0'));
    m.registered = clock.at(ms);
    m.expiry = QDate::fromString(QString::fromLatin1(clock.date), QStringLiteral("yyyy-MM-dd"))
                   .addYears(3)
                   .toString(QStringLiteral("yyyy-MM-dd"))
               + QStringLiteral(" 00:00:00");
    m.adviser = staff.at(rng.below(staff.size())).id;

    int total = 0;
    for (const CardType &c : qAsConst(cards))
        total += c.weight;
    int pick = rng.below(total);
    int ct = 0;
    while (pick >= cards.at(ct).weight) {
        pick -= cards.at(ct).weight;
        ++ct;
    }
    m.cardType = ct;
    const CardType &card = cards.at(ct);
    m.card = card.name;
    const int pkg = (card.value == 0 || rng.chance(0.25)) && !packages.isEmpty() ? rng.below(packages.size()) : -1;
    m.packageId = pkg >= 0 ? packages.at(pkg).id : QStringLiteral("0");
    m.paidForCard = card.price;
    m.balance = card.value;
    m.points = 0;
    const Employee *seller = rng.chance(0.6) && !commissionStaff.isEmpty() ? &pickCommissionEmployee() : nullptr;
    m.issueEmployee = seller ? seller->id : QString();

    const qint64 packagePrice = pkg >= 0 ? packages.at(pkg).price : 0;
    const qint64 due = card.price + packagePrice;
    const qint64 paid = rng.chance(0.04) ? due - due / 100 * 10 * (1 + rng.below(3)) : due;
    const QString method = renewMethod();
    const QString now = clock.at(ms);
    const QString login = op;
    const QString docId = QStringLiteral("BK") + clock.serial(ms);

    // Package uses, one entry per item in item order (as "group by xiangmuID" gives them).
    QMap<QString, int> bought;
    QMap<QString, QString> names;
    if (pkg >= 0) {
        for (const PackageLine &l : packages.at(pkg).lines) {
            bought[items.at(l.item).id] += l.uses;
            names[items.at(l.item).id] = items.at(l.item).name;
        }
    }
    QString remark = QStringLiteral("卡内金额:") + money(card.value);
    for (auto it = bought.cbegin(); it != bought.cend(); ++it)
        remark += QLatin1Char(' ') + names.value(it.key()) + QLatin1Char(':') + QString::number(it.value());

    at(ms);
    CardIssue c;
    c.memberId = m.id;
    c.name = m.name;
    c.sex = m.sex;
    c.birthday = m.birthday;
    c.phone = m.phone;
    c.expiry = m.expiry;
    c.adviser = m.adviser;
    c.cardType = card.name;
    c.employeeId = m.issueEmployee;
    c.packageId = pkg >= 0 ? m.packageId : QString();
    c.priceCents = card.price;
    c.receivedCents = paid;
    c.method = method;
    c.operatorName = login;
    write(MemberWriter::issueCard(c));
    for (auto it = bought.cbegin(); it != bought.cend(); ++it) {
        Uses &u = m.uses[it.key()];
        u.total += it.value();
        u.left += it.value();
    }
    m.points = card.price / 2;
    members << m;
    ++cnt.members;
    cnt.ledgerRows += 1 + bought.size();
    ++cnt.pointRows;
    ++cnt.logRows;
}

void Builder::topUp(int ms)
{
    const int mi = pickMember();
    if (mi < 0)
        return;
    Member &m = members[mi];
    static const int amounts[] = {300, 500, 500, 1000, 1000, 1000, 2000, 2000, 3000, 5000};
    const qint64 paidIn = qint64(amounts[rng.below(10)]) * 100;
    const qint64 bonus = rng.chance(0.4) ? paidIn / 10 : 0;
    const qint64 received = rng.chance(0.04) ? paidIn - paidIn / 10 * (2 + rng.below(3)) : paidIn;
    const qint64 credited = paidIn + bonus;
    const QString now = clock.at(ms);
    const QString docId = QStringLiteral("CZ") + clock.serial(ms);
    const QString method = renewMethod();
    Q_UNUSED(now)
    Q_UNUSED(docId)
    at(ms);
    ::TopUp t;
    t.memberId = m.id;
    t.paidInCents = paidIn;
    t.bonusCents = bonus;
    t.receivedCents = received;
    t.method = method;
    t.employee = staff.at(rng.below(staff.size())).name;
    t.operatorName = op;
    write(MemberWriter::topUp(t));
    m.balance += credited;
    ++cnt.topups;
    ++cnt.ledgerRows;
    ++cnt.logRows;
}

void Builder::renewal(int ms)
{
    const int mi = pickMember();
    if (mi < 0 || packages.isEmpty())
        return;
    Member &m = members[mi];
    const Package &p = packages.at(rng.below(packages.size()));
    const qint64 due = p.price;
    const qint64 paid = rng.chance(0.04) ? due / 2 : due;
    const QString method = renewMethod();
    const QString now = clock.at(ms);
    const QString docId = QStringLiteral("tcxf") + clock.serial(ms);

    QMap<QString, int> bought;
    QMap<QString, QString> names;
    for (const PackageLine &l : p.lines) {
        bought[items.at(l.item).id] += l.uses;
        names[items.at(l.item).id] = items.at(l.item).name;
    }
    QString remark = QStringLiteral("会员套餐交费:") + money(paid);
    for (auto it = bought.cbegin(); it != bought.cend(); ++it)
        remark += QLatin1Char(' ') + names.value(it.key()) + QLatin1Char(':') + QString::number(it.value());
    Q_UNUSED(now)
    Q_UNUSED(docId)
    at(ms);
    ::Renewal r;
    r.memberId = m.id;
    for (auto it = bought.cbegin(); it != bought.cend(); ++it)
        r.items << PackageItem{it.key(), it.value()};
    r.dueCents = due;
    r.payments << PaymentPart{method, paid};
    r.debtCents = due - paid;
    r.employee = staff.at(rng.below(staff.size())).name;
    r.remark = remark;
    r.operatorName = op;
    write(MemberWriter::renew(r));
    for (auto it = bought.cbegin(); it != bought.cend(); ++it) {
        Uses &u = m.uses[it.key()];
        u.total += it.value();
        u.left += it.value();
    }
    ++cnt.renewals;
    cnt.ledgerRows += bought.size();
    ++cnt.logRows;
}

void Builder::sale(int ms)
{
    const bool walkIn = members.isEmpty() || rng.chance(0.25);
    const int mi = walkIn ? -1 : pickMember();
    Member *m = walkIn ? nullptr : &members[mi];
    const QString memberId = walkIn ? QStringLiteral("0000") : m->id;
    const QString saleId = QStringLiteral("xf_") + clock.serial(ms - 120000);
    const QString now = clock.at(ms);
    const QString date = QString::fromLatin1(clock.date);
    const CardType *card = walkIn ? nullptr : &cards.at(m->cardType);

    struct Line { QString type, id, name; qint64 list = 0, unit = 0; int qty = 1; qint64 amount = 0;
                  QString employee, mode; Rule rule; bool commission = false; int product = -1; };
    QVector<Line> lines;
    static const int lineCounts[] = {1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 2, 3, 3, 3, 3, 3, 4, 4, 4, 5};
    const int nLines = lineCounts[rng.below(20)];
    QMap<QString, int> usesTaken;
    for (int k = 0; k < nLines; ++k) {
        Line l;
        // A member with package uses left takes one of them now and then.
        if (m && usesTaken.isEmpty() && rng.chance(0.5)) {
            QStringList held;
            const QString today = QString::fromLatin1(clock.date);
            for (auto it = m->uses.cbegin(); it != m->uses.cend(); ++it) {
                // Uses past their package's 有效期 are refused at the counter.
                const QString until = it.value().left > 0 ? PackageExpiry::expiry(m->id, it.key()) : QString();
                if (it.value().left > 0 && (until.isEmpty() || until >= today))
                    held << it.key();
            }
            if (!held.isEmpty()) {
                const QString itemId = held.at(rng.below(held.size()));
                const Item *it = nullptr;
                for (const Item &x : qAsConst(items))
                    if (x.id == itemId)
                        it = &x;
                l.type = QStringLiteral("套餐消费");
                l.id = itemId;
                l.name = it ? it->name : itemId;
                l.list = it ? it->price : 0;
                l.unit = 0;
                l.amount = 0;
                usesTaken[itemId] = 1;
                lines << l;
                continue;
            }
        }
        if (rng.chance(0.78) || products.isEmpty()) {
            const int ii = rng.below(items.size());
            const Item &it = items.at(ii);
            l.type = QStringLiteral("服务项目");
            l.id = it.id;
            l.name = it.name;
            l.list = it.price;
            l.unit = card ? roundCents(double(it.price) * card->svc) : it.price;
            if (card) {
                for (const Promo &p : qAsConst(promos))
                    if (p.item == ii && p.start <= date && date <= p.end)
                        l.unit = p.price;
            }
            l.qty = 1;
            if (rng.chance(0.8) && !commissionStaff.isEmpty()) {
                const Employee &e = pickCommissionEmployee();
                l.mode = rng.chance(0.3) ? QStringLiteral("点单提成") : QStringLiteral("轮单提成");
                l.rule = rules.value(ruleKey(QStringLiteral("服务项目"), it.id, e.type, l.mode));
                l.employee = e.id;
                l.commission = true;
            }
        } else {
            const int pi = rng.below(products.size());
            const Product &p = products.at(pi);
            l.type = QStringLiteral("产品");
            l.id = p.id;
            l.name = p.name;
            l.list = p.sell;
            l.unit = card ? roundCents(double(p.sell) * card->prod) : p.sell;
            l.qty = rng.chance(0.8) ? 1 : 2;
            l.product = pi;
            if (rng.chance(0.3) && !staff.isEmpty()) {
                const Employee &e = staff.at(rng.below(staff.size()));
                l.mode = QStringLiteral("轮单提成");
                l.rule = rules.value(ruleKey(QStringLiteral("产品"), p.id, QStringLiteral("所有员工"), l.mode));
                l.employee = e.id;
                l.commission = true;
            }
        }
        l.amount = l.unit * l.qty;
        lines << l;
    }

    qint64 receivable = 0, points = 0;
    for (const Line &l : qAsConst(lines)) {
        if (l.type != QStringLiteral("套餐消费"))
            receivable += l.amount;
        points += l.list;
    }

    // Payment.
    QVector<QPair<QString, qint64>> pays;
    qint64 debt = 0, cardAmount = 0;
    QString remark;
    const double r = rng.real();
    if (walkIn) {
        pays.append({otherMethods.at(rng.below(otherMethods.size())), receivable});
    } else if (receivable > 0 && r < 0.03) {
        const qint64 paid = receivable * (3 + rng.below(5)) / 10;
        debt = receivable - paid;
        remark = QStringLiteral("会员欠费");
        pays.append({otherMethods.at(rng.below(otherMethods.size())), paid});
    } else if (receivable > 0 && r < 0.09 && m->balance > 0) {
        // Part from the card, the rest another way; the combined payment lists the
        // methods in its fixed order 支付宝, 微信, 现金, 储蓄卡.
        cardAmount = qMin(m->balance, receivable / 2);
        static const char *const firstMethods[] = {"支付宝", "微信", "现金"};
        pays.append({QString::fromUtf8(firstMethods[rng.below(3)]), receivable - cardAmount});
        pays.append({QStringLiteral("储蓄卡"), cardAmount});
    } else if (m->balance >= receivable && r < 0.7) {
        cardAmount = receivable;
        pays.append({QStringLiteral("储蓄卡"), receivable});
    } else {
        pays.append({otherMethods.at(rng.below(otherMethods.size())), receivable});
    }
    // Now and then the customer hands over a voucher: it pays what it holds,
    // the rest is paid the way it was going to be.
    QString voucherNo;
    qint64 voucherCents = 0;
    // At most about two a day whatever the shop's size, so that a large shop too keeps
    // some vouchers whole and some partly used.
    const double voucherShare = qMin(0.3, 2.0 * sc.days / double(qMax<qint64>(1, sc.sales)));
    if (pays.size() == 1 && debt == 0 && cardAmount == 0 && receivable > 0 && voucherRng.chance(voucherShare)) {
        const int v = voucherHeld();
        if (v >= 0) {
            voucherNo = vouchersOut.at(v).number;
            // Some keep part of it for another day (the cashier types the amount).
            const qint64 rest = vouchersOut.at(v).rest;
            voucherCents = qMin(receivable, voucherRng.chance(0.4) ? qMax<qint64>(100, rest / 200 * 100) : rest);
            vouchersOut[v].rest -= voucherCents;
            if (voucherCents == receivable)
                pays.clear();
            else
                pays.first().second -= voucherCents;
            pays.append({QStringLiteral("代金券"), voucherCents});
            ++cnt.voucherPayments;
        }
    }
    const QString comboMethod = pays.first().first;

    // The sale goes through the sale writer exactly as the checkout hands it over.
    ::Sale value;
    value.documentId = saleId;
    value.memberId = memberId;
    value.lineMethod = comboMethod;
    value.operatorName = op;
    value.debtCents = debt;
    for (const auto &p : qAsConst(pays))
        value.payments << PaymentPart{p.first, p.second, p.first == QStringLiteral("代金券") ? voucherNo : QString()};
    int lineNo = 0;
    for (const Line &l : qAsConst(lines)) {
        ++lineNo;
        SaleLine sl;
        sl.key = saleId.mid(3) + QStringLiteral("%1").arg(lineNo, 2, 10, QLatin1Char('0'));
        sl.type = l.type;
        sl.itemId = l.id;
        sl.name = l.name;
        sl.listCents = l.list;
        sl.unitCents = l.unit;
        sl.quantity = l.qty;
        sl.amountCents = l.amount;
        sl.points = double(l.list) / 100.0;
        sl.enteredBy = op;
        if (l.commission) {
            sl.employeeId = l.employee;
            CommissionRow c;
            c.employeeId = l.employee;
            c.orderMode = l.mode;
            c.method = l.rule.calc;
            c.rate = l.rule.calc == QStringLiteral("按比例提成") ? l.rule.rate : 0.0;
            // On the line's amount, as the checkout computes it.
            c.cents = CommissionRules::commissionCents(l.rule.calc, l.rule.rate, l.rule.fixed, l.amount);
            sl.commissions << c;
        }
        value.lines << sl;
    }
    // A part of the members' service work was booked a few hours before.
    if (m && bookRng.chance(0.35)) {
        QVector<BookingItem> booked;
        QDateTime start = QDateTime(QDate::fromString(date, QStringLiteral("yyyy-MM-dd")),
                                    QTime::fromMSecsSinceStartOfDay(ms / (15 * 60000) * (15 * 60000)));
        for (const Line &l : qAsConst(lines)) {
            if (l.type != QStringLiteral("服务项目") || !l.commission)
                continue;
            BookingItem b;
            b.itemId = l.id;
            b.itemName = l.name;
            b.employeeId = l.employee;
            b.start = start;
            b.minutes = 30 + 15 * bookRng.below(3);
            start = b.end();
            if (b.end().date() == b.start.date())
                booked << b;
        }
        if (!booked.isEmpty())
            value.bookingId = book(qMax(60000, ms - bookRng.between(1, 4) * 3600000), memberId, m->name, m->phone, booked);
    }
    at(ms);
    write(SaleWriter::commit(value));
    if (!value.bookingId.isEmpty())
        ++cnt.logRows; // the booking settled
    if (m)
        for (const Line &l : qAsConst(lines))
            if (l.type == QStringLiteral("服务项目") && l.commission) {
                visitNote(ms + 60000, *m, saleId, l.employee, l.name);
                break;
            }
    cnt.saleLines += lines.size();
    cnt.headerRows += pays.size();
    if (m) {
        m->balance -= cardAmount;
        for (auto it = usesTaken.cbegin(); it != usesTaken.cend(); ++it) {
            Uses &u = m->uses[it.key()];
            u.left -= it.value();
            u.used += it.value();
        }
    }
    qint64 &held = m ? m->points : walkInPoints;
    held += points;
    ++cnt.pointRows;
    for (const Line &l : qAsConst(lines))
        if (l.product >= 0)
            products[l.product].stock -= l.qty;
    ++cnt.sales;
    ++cnt.logRows;
    cnt.ledgerRows += (cardAmount > 0 ? 1 : 0) + usesTaken.size();

    // Now and then a sale is voided at once (the wrong item rung up): all of
    // it comes back. A sale on credit or of a booking is left as it is.
    if (debt == 0 && value.bookingId.isEmpty() && backRng.chance(0.02)) {
        voidAtOnce(saleId);
        for (VoucherHeld &v : vouchersOut)
            if (v.number == voucherNo)
                v.rest += voucherCents; // good again
        if (m) {
            m->balance += cardAmount;
            for (auto it = usesTaken.cbegin(); it != usesTaken.cend(); ++it) {
                Uses &u = m->uses[it.key()];
                u.left += it.value();
                u.used -= it.value();
            }
        }
        held -= points;
        for (const Line &l : qAsConst(lines))
            if (l.product >= 0)
                products[l.product].stock += l.qty;
        return;
    }

    // Most debts are paid back within three weeks.
    if (debt > 0 && rng.chance(0.7)) {
        const int due = day + 1 + rng.below(20);
        if (due < sc.days - 1)
            debtsDue[due].append(Debt{mi, saleId, 0, debt});
    }
}

void Builder::repay(int ms, const Debt &d)
{
    const qint64 paid = rng.chance(0.85) ? d.amount : d.amount / 2;
    // The debt was planned at the sale; a refund earlier today may have
    // repaid it from the card since. Pay what the store says is still open.
    const DebtBook::Open open = DebtBook::open(d.saleId);
    if (!open.found || open.cents <= 0)
        return;
    const QString method = renewMethod();
    at(ms);
    Repayment r;
    r.documentId = d.saleId;
    r.cents = qMin(paid, open.cents);
    r.method = method;
    r.operatorName = op;
    write(MemberWriter::repay(r));
    ++cnt.logRows;
    ++cnt.headerRows;
    ++cnt.repayments;
}

// A stock document: restock (in) brings every low product back up; a use (out)
// takes a few for the salon's own work.
void Builder::stockDocument(int ms, bool in)
{
    const QString docId = (in ? QStringLiteral("入库ID: rk") : QStringLiteral("出库ID: ck")) + clock.serial(ms);
    const QString date = QString::fromLatin1(clock.date);
    at(ms);
    for (Product &p : products) {
        int qty = 0;
        if (in) {
            if (p.stock >= 40)
                continue;
            qty = 120 - p.stock;
        } else {
            if (p.stock < 10 || !rng.chance(0.2))
                continue;
            qty = -(1 + rng.below(3));
        }
        StockLine line;
        line.documentId = docId;
        line.date = date;
        line.kind = in ? QStringLiteral("入库明细") : QStringLiteral("出库明细");
        line.productId = p.id;
        line.unitCents = p.buy;
        line.quantity = qAbs(qty);
        line.reason = in ? QStringLiteral("采购入库") : QStringLiteral("领用出库");
        line.operatorName = op;
        write(StockWriter::addLine(line));
        ++cnt.logRows;
        p.stock += qty;
    }
}

// The shift handover at the end of the day, through the handover writer as
// the dialog does it: the desk's takings from the day's login to a minute
// after the handover.
void Builder::handover(int ms, int loginMs)
{
    Handover h;
    h.desk = LedgerSql::desk();
    h.operatorName = op;
    h.from = clock.at(loginMs);
    h.to = clock.at(ms + 60000);
    // The writer holds its lock into the next second, so that nothing more of
    // the shift can be written: on the generator's clock that second has come.
    at(ms + 61000);
    write(HandoverWriter::write(h));
    // The next operator logs in through the handover, then the handover is logged.
    const QString next = operators.at((day + 1) % operators.size());
    log(ms, next, QStringLiteral("系统登录成功"));
    ++cnt.logRows;
    ++cnt.handovers;
}

Builder::Tally Builder::tally()
{
    const auto last = [](const char *table) {
        return LedgerSql::value(QStringLiteral("select coalesce(max(rowid),0) from ") + QLatin1String(table)).toLongLong();
    };
    return Tally{last("huiyuanxiaofei"), last("xiaofeimingxi"), last("log"), last("huiyuanjifen"),
                 last("huiyuanyuebiandong")};
}

void Builder::counted(const Tally &before)
{
    const Tally after = tally();
    cnt.headerRows += after.headers - before.headers;
    cnt.saleLines += after.lines - before.lines;
    cnt.logRows += after.logs - before.logs;
    cnt.pointRows += after.points - before.points;
    cnt.ledgerRows += after.ledger - before.ledger;
}

void Builder::voidAtOnce(const QString &saleId)
{
    const Tally before = tally();
    write(RefundWriter::voidSale(SaleVoid{saleId, QStringLiteral("收银员点错了项目"), op, kAuthorizer}));
    counted(before);
    ++cnt.voids;
}

// A member hands their card back, or takes part of what they paid: the
// refundable amount (paid value less debt, the bonus kept), the debt repaid
// from the card first.
void Builder::refundBalance(int ms)
{
    for (int tries = 0; tries < 5; ++tries) {
        const int mi = members.isEmpty() ? -1 : backRng.below(members.size());
        if (mi < 0)
            return;
        Member &m = members[mi];
        const StoredValue sv = BalanceBook::storedValue(m.id);
        if (sv.refundableCents <= 0)
            continue;
        const bool whole = backRng.chance(0.4);
        // Or a part of it, at least a yuan, but never more than the store pays
        // out: a card with 0.30 left to refund gives 0.30, not the yuan. (The
        // part is drawn only when asked for, so a seed keeps its shop.)
        const qint64 back = whole ? sv.refundableCents
                                  : qMin(sv.refundableCents,
                                         qMax<qint64>(100, sv.refundableCents * backRng.between(2, 6) / 10));
        const qint64 taken = whole ? sv.balanceCents : qMin(sv.balanceCents, back + sv.debtCents);
        at(ms);
        const Tally before = tally();
        write(RefundWriter::refundBalance(BalanceRefund{m.id, taken, back,
                                                        backRng.chance(0.7) ? QStringLiteral("现金") : QStringLiteral("微信"),
                                                        whole ? QStringLiteral("会员退卡") : QStringLiteral("会员搬家"), op,
                                                        kAuthorizer}));
        counted(before);
        m.balance = BalanceBook::balance(m.id);
        // The refund took back its share of the points the card's money earned.
        m.points = qRound64(PointsBook::points(m.id) * 100);
        // Its debts are repaid: none is left for a later day.
        for (auto it = debtsDue.begin(); it != debtsDue.end(); ++it)
            it.value().erase(std::remove_if(it.value().begin(), it.value().end(),
                                            [mi](const Debt &d) { return d.member == mi; }),
                             it.value().end());
        ++cnt.balanceRefunds;
        return;
    }
}

// Unused uses of a package given back at what they cost, onto the card or in cash.
void Builder::refundPackage(int ms)
{
    for (int tries = 0; tries < 5; ++tries) {
        const int mi = members.isEmpty() ? -1 : backRng.below(members.size());
        if (mi < 0)
            return;
        Member &m = members[mi];
        QStringList held;
        for (auto it = m.uses.cbegin(); it != m.uses.cend(); ++it)
            if (it.value().left > 0)
                held << it.key();
        if (held.isEmpty())
            continue;
        const QString item = held.at(backRng.below(held.size()));
        Uses &u = m.uses[item];
        const int uses = backRng.chance(0.3) ? u.left : 1;
        const PackageQuote q = RefundWriter::quotePackage(m.id, item);
        at(ms);
        const Tally before = tally();
        write(RefundWriter::refundPackage(PackageRefund{m.id, item, uses, q.limitCents(uses),
                                                        backRng.chance(0.5) ? QStringLiteral("储蓄卡") : QStringLiteral("现金"),
                                                        QStringLiteral("不做了"), op, kAuthorizer, QString()}));
        counted(before);
        u.left -= uses;
        u.total -= uses;
        m.balance = BalanceBook::balance(m.id);
        ++cnt.packageRefunds;
        return;
    }
}

void Builder::oneDay(int d, int issueQuota, int saleQuota, int topupQuota, int renewQuota)
{
    day = d;
    clock.set(endDate.addDays(d - (sc.days - 1)));
    op = operators.at(d % operators.size());
    lastBookMs = -1;

    const int open = 9 * 3600 * 1000;
    int close = 21 * 3600 * 1000;
    const bool lastDay = d == sc.days - 1;
    if (lastDay && lastDayEnd >= 0)
        close = qBound(open + 60000, lastDayEnd * 1000, close);
    const int loginMs = open - 5 * 60 * 1000;
    log(loginMs, op, QStringLiteral("系统登录成功"));
    if (d == qMax(0, sc.days - 10))
        issueVouchers(loginMs + 60000);

    QVector<Event> ev;
    ev.reserve(issueQuota + saleQuota + topupQuota + renewQuota + 8);
    auto at = [&](int from, int to) { return from + int(rng.next() % quint64(qMax(1, to - from))); };
    // On the first day the cards are issued before the first customer is served.
    const int issueEnd = d == 0 ? open + 3600 * 1000 : close;
    for (int i = 0; i < issueQuota; ++i)
        ev.append({at(open, issueEnd), IssueCard, 0});
    const int busyFrom = d == 0 ? issueEnd : open;
    for (int i = 0; i < saleQuota; ++i)
        ev.append({at(busyFrom, close), Sale, 0});
    for (int i = 0; i < topupQuota; ++i)
        ev.append({at(busyFrom, close), TopUp, 0});
    for (int i = 0; i < renewQuota; ++i)
        ev.append({at(busyFrom, close), Renewal, 0});
    const QVector<Debt> due = debtsDue.take(d);
    for (int i = 0; i < due.size(); ++i)
        ev.append({at(busyFrom, close), Repay, i});
    if (backRng.chance(0.12))
        ev.append({busyFrom + backRng.below(close - busyFrom), RefundBalance, 0});
    if (backRng.chance(0.12))
        ev.append({busyFrom + backRng.below(close - busyFrom), RefundPackage, 0});
    if (d % 7 == 0)
        ev.append({open - 20 * 60 * 1000, StockIn, 0});
    if (d % 30 == 15)
        ev.append({at(open, close), StockOut, 0});
    // Now and then a member moves to a better card: at least every ninth day,
    // so even a four-week demo shop shows some.
    if (d > 0 && (d % 9 == 4 || lifeRng.chance(0.08)))
        ev.append({open + int(lifeRng.next() % quint64(close - open)), CardUpgradeEvent, 0});
    std::sort(ev.begin(), ev.end(), [](const Event &a, const Event &b) {
        return a.ms != b.ms ? a.ms < b.ms : a.kind < b.kind;
    });
    // Document numbers carry the millisecond: no two events share one.
    for (int i = 1; i < ev.size(); ++i)
        if (ev[i].ms <= ev[i - 1].ms)
            ev[i].ms = ev[i - 1].ms + 1;

    for (const Event &e : qAsConst(ev)) {
        switch (e.kind) {
        case IssueCard: issueCard(e.ms); break;
        case StockIn: stockDocument(e.ms, true); break;
        case StockOut: stockDocument(e.ms, false); break;
        case Sale: sale(e.ms); break;
        case TopUp: topUp(e.ms); break;
        case Renewal: renewal(e.ms); break;
        case Repay: repay(e.ms, due.at(e.arg)); break;
        case RefundBalance: refundBalance(e.ms); break;
        case RefundPackage: refundPackage(e.ms); break;
        case CardUpgradeEvent: cardUpgrade(e.ms); break;
        }
    }
    bookingsNotKept();
    if (lastDay)
        bookingsToCome();
    // Today's shift is still open when the shop is generated during the day.
    if (!(lastDay && lastDayEnd >= 0))
        handover(close + 30 * 60 * 1000, loginMs);
}

// One booking through the writer, made at ms of the day; none when a stylist
// is taken then (the writer would refuse it).
QString Builder::book(int ms, const QString &memberId, const QString &name, const QString &phone,
                      const QVector<BookingItem> &lines)
{
    for (const BookingItem &i : lines)
        if (!BookingWriter::clashOf(i).isEmpty())
            return QString();
    // Document numbers carry the millisecond.
    lastBookMs = qMax(ms, lastBookMs + 1);
    at(lastBookMs);
    Booking b;
    b.memberId = memberId;
    b.customerName = name;
    b.phone = phone;
    b.items = lines.toList();
    static const char *const sources[] = {"电话", "电话", "电话", "到店", "其他"};
    b.source = QString::fromUtf8(sources[bookRng.below(5)]);
    b.operatorName = op;
    b.desk = QStringLiteral("前台");
    b.outsideHoursAccepted = true;
    const LedgerResult r = BookingWriter::book(b);
    write(r);
    ++cnt.logRows; // every change of a booking is logged
    ++cnt.bookings;
    return r.documentId;
}

void Builder::visitNote(int ms, const Member &m, const QString &saleId, const QString &stylist, const QString &service)
{
    if (!lifeRng.chance(0.3))
        return;
    static const char *const kFormulas[] = {"6/0 + 7/43 1:1，双氧 6%，35分钟", "8/1 + 9/0 2:1，双氧 9%，40分钟",
                                            "5/5 单色，双氧 6%，30分钟", "冷烫 2号药水，卷杠 18号，15分钟"};
    static const char *const kProducts[] = {"护色洗发水", "修护发膜", "免洗精油", "控油洗发水"};
    static const char *const kWarnings[] = {"对PPD过敏", "头皮敏感，勿用高浓度双氧", "孕期，避免化学处理"};
    VisitNote n;
    n.memberId = m.id;
    n.date = QString::fromLatin1(clock.date);
    n.employeeId = stylist;
    n.service = service;
    if (lifeRng.chance(0.5))
        n.formula = QString::fromUtf8(kFormulas[lifeRng.below(4)]);
    n.products = QString::fromUtf8(kProducts[lifeRng.below(4)]);
    // The same few members carry a warning, on some of their notes.
    if (m.id.toInt() % 12 == 0 && lifeRng.chance(0.6))
        n.warning = QString::fromUtf8(kWarnings[m.id.toInt() % 3]);
    n.saleId = saleId;
    n.operatorName = op;
    at(ms);
    write(VisitNotes::save(n));
    ++cnt.logRows;
    ++cnt.visitNotes;
}

void Builder::cardUpgrade(int ms)
{
    if (members.isEmpty())
        return;
    Member &m = members[lifeRng.below(members.size())];
    int better = -1;
    for (int i = 0; i < cards.size(); ++i)
        if (cards.at(i).price > cards.at(m.cardType).price && (better < 0 || cards.at(i).price < cards.at(better).price))
            better = i;
    if (better < 0)
        return;
    at(ms);
    const CardUpgradeQuote q = CardUpgrades::quote(m.id, cards.at(better).name);
    if (!q.ok)
        throw std::runtime_error(("upgrade: " + q.error).toStdString());
    CardUpgrade u;
    u.memberId = m.id;
    u.fromType = q.oldType;
    u.newType = q.newType;
    u.dueCents = q.dueCents;
    u.receivedCents = q.dueCents;
    u.method = otherMethods.at(lifeRng.below(otherMethods.size()));
    u.employee = m.issueEmployee; // the seller of the first card sells the better one
    u.operatorName = op;
    write(CardUpgrades::upgrade(u));
    m.cardType = better;
    m.card = q.newType;
    m.balance += q.valueCents;
    m.points += qRound64(q.points * 100); // kept in hundredths, as the sales keep them
    cnt.ledgerRows += q.valueCents > 0 ? 1 : 0;
    cnt.pointRows += q.points > 0 ? 1 : 0;
    ++cnt.logRows;
    ++cnt.cardUpgrades;
}

// Every day a few bookings are cancelled and a few customers do not come.
void Builder::bookingsNotKept()
{
    if (commissionStaff.isEmpty() || items.isEmpty())
        return;
    const QDate today = QDate::fromString(QString::fromLatin1(clock.date), QStringLiteral("yyyy-MM-dd"));
    const int n = bookRng.below(3);
    for (int k = 0; k < n; ++k) {
        const bool walkIn = members.isEmpty() || bookRng.chance(0.3);
        const Member *m = walkIn ? nullptr : &members.at(bookRng.below(members.size()));
        const Item &it = items.at(bookRng.below(items.size()));
        BookingItem b;
        b.itemId = it.id;
        b.itemName = it.name;
        b.employeeId = staff.at(commissionStaff.at(bookRng.below(commissionStaff.size()))).id;
        b.start = QDateTime(today, QTime(10 + bookRng.below(10), 15 * bookRng.below(4)));
        b.minutes = 30 + 15 * bookRng.below(3);
        const QString id = book(9 * 3600000 - 3600000 + bookRng.below(3000000), m ? m->id : QStringLiteral("0000"),
                                m ? m->name : QStringLiteral("散客") + QString::fromUtf8(kGiven[bookRng.below(36)]),
                                m ? m->phone : QString(), {b});
        if (id.isEmpty())
            continue;
        at(qMin(b.start.time().msecsSinceStartOfDay() + 1800000, 22 * 3600000));
        if (bookRng.chance(0.5))
            write(BookingWriter::cancel(id, bookRng.chance(0.5) ? QStringLiteral("顾客改期") : QStringLiteral("顾客取消"), op));
        else
            write(BookingWriter::noShow(id, op));
        ++cnt.logRows;
    }
}

// On the last day the book is filled for the next days.
void Builder::bookingsToCome()
{
    if (commissionStaff.isEmpty() || items.isEmpty() || members.isEmpty())
        return;
    const QDate today = QDate::fromString(QString::fromLatin1(clock.date), QStringLiteral("yyyy-MM-dd"));
    const int perDay = qMax(3, sc.sales / qMax(1, sc.days) / 3);
    for (int d = 0; d < 4; ++d) {
        for (int k = 0; k < perDay; ++k) {
            const Member &m = members.at(bookRng.below(members.size()));
            const Item &it = items.at(bookRng.below(items.size()));
            BookingItem b;
            b.itemId = it.id;
            b.itemName = it.name;
            b.employeeId = staff.at(commissionStaff.at(bookRng.below(commissionStaff.size()))).id;
            b.start = QDateTime(today.addDays(d), QTime(9 + bookRng.below(11), 15 * bookRng.below(4)));
            b.minutes = 30 + 15 * bookRng.below(3);
            if (d == 0 && b.start.time() < QTime(13, 0))
                continue; // today's morning is over
            book(8 * 3600000 + k * 1000, m.id, m.name, m.phone, {b});
        }
    }
}

// Share of a total that falls on day d, so that the days add up to the total exactly.
int quota(int d, qint64 total, int days)
{
    return int((qint64(d + 1) * total) / days - (qint64(d) * total) / days);
}

void Builder::run()
{
    prepare();
    catalogue();
    // A fifth of the members were customers before the program came; they get
    // their cards on the first day.
    const int opening = sc.members / 5;
    const int rest = sc.members - opening;
    // A big shop takes a while: a line on stderr every hundred days says how far it is.
    const bool progress = qEnvironmentVariableIsSet("MOCHEN_GEN_PROGRESS");
    QElapsedTimer clockOn;
    clockOn.start();
    for (int d = 0; d < sc.days; ++d) {
        oneDay(d, (d == 0 ? opening : 0) + quota(d, rest, sc.days), quota(d, sc.sales, sc.days),
               quota(d, sc.topups, sc.days), quota(d, sc.renewals, sc.days));
        if (progress && d % 100 == 0)
            std::fprintf(stderr, "day %d of %d, %.1f s\n", d, sc.days, clockOn.elapsed() / 1000.0);
    }
    // The owner set the top-up offers at the end of the history: the top-ups
    // above were given their bonus by hand.
    write(TopUpOffers::setTiers(QString::fromUtf8(kAllCardTypes),
                                {TopUpTier{100000, 10000, 0}, TopUpTier{200000, 30000, 100}}, QStringLiteral("admin")));
    ++cnt.logRows;
    redemptions();
}

// Twenty vouchers of 50 given away at the counter and five of 200 sold at
// 180, valid three months; the shop keeps a partly used voucher's rest.
void Builder::issueVouchers(int ms)
{
    at(ms);
    write(Vouchers::setKeepsRest(true, QStringLiteral("admin")));
    ++cnt.logRows;
    for (const qint64 price : {qint64(0), qint64(18000)}) {
        ms += 1000;
        at(ms);
        VoucherBatch b;
        b.prefix = QStringLiteral("DJ");
        b.first = price > 0 ? 21 : 1;
        b.count = price > 0 ? 5 : 20;
        b.valueCents = price > 0 ? 20000 : 5000;
        b.priceCents = price;
        b.method = QStringLiteral("现金");
        b.validUntil = QDate::fromString(QString::fromLatin1(clock.date), Qt::ISODate).addMonths(3);
        b.operatorName = QStringLiteral("admin"); // given away and sold below face: the owner's call
        write(Vouchers::issue(b));
        ++cnt.logRows;
        cnt.vouchers += b.count;
        for (int i = 0; i < b.count; ++i)
            vouchersOut.append({b.prefix + QStringLiteral("%1").arg(b.first + i, b.digits, 10, QLatin1Char('0')),
                                b.valueCents});
    }
}

int Builder::voucherHeld()
{
    // Any voucher with something left; most customers bring one they have not used yet.
    QVector<int> held;
    for (int i = 0; i < vouchersOut.size(); ++i)
        if (vouchersOut.at(i).rest > 0)
            held << i;
    return held.isEmpty() ? -1 : held.at(voucherRng.below(held.size()));
}

// The rewards for points, and the members with most points taking one each.
void Builder::redemptions()
{
    if (items.isEmpty())
        return;
    Reward wash;
    wash.id = QStringLiteral("JF01");
    wash.name = items.first().name + QStringLiteral("一次");
    wash.kind = QString::fromUtf8(kRewardService);
    wash.itemId = items.first().id;
    wash.amount = 1;
    wash.points = 1000;
    Reward value;
    value.id = QStringLiteral("JF02");
    value.name = QStringLiteral("储值50元");
    value.kind = QString::fromUtf8(kRewardValue);
    value.amount = 5000;
    value.points = 3000;
    for (const Reward &r : {wash, value}) {
        at(eventTime.time().msecsSinceStartOfDay() + 1000);
        write(PointsRedemption::saveReward(r, QStringLiteral("admin")));
        ++cnt.logRows;
    }
    int given = 0;
    for (Member &m : members) {
        if (given >= qMax(1, sc.members / 10))
            break;
        // The store's own figure: the rules that take points back (refunds,
        // voids limited by what is left) are not all followed here.
        m.points = qRound64(PointsBook::points(m.id) * 100);
        const Reward &r = m.points >= 300000 ? value : wash;
        if (m.points < qRound64(r.points * 100))
            continue;
        // A second apart after the day's last event: each document its own number.
        at(eventTime.time().msecsSinceStartOfDay() + 1000);
        write(PointsRedemption::redeem(m.id, r.id, 1, op));
        m.points -= qRound64(r.points * 100);
        ++cnt.pointRows;
        ++cnt.ledgerRows;
        ++cnt.logRows;
        ++cnt.redemptions;
        ++given;
    }
}

} // namespace

ShopGenerator::ShopGenerator(const ShopScale &scale, quint64 seed, const QDate &endDate)
    : m_scale(scale), m_seed(seed), m_end(endDate)
{
}

bool ShopGenerator::setReportIndexesAside()
{
    // Each row of these lands somewhere inside its index, not at its end; the
    // writers look nothing up by them (MOCHEN_GEN_PROFILE shows it: no read
    // of the history is slower without them).
    bool ok = true;
    for (const char *index : {"idx_xiaofeimingxi_fenxi", "idx_xiaofeimingxi_xiangmuID", "idx_huiyuanjifen_leixing",
                              "idx_huiyuanyuebiandong_leixing", "idx_tichengmingxi_yuangongID"}) {
        // As it stands, not prepared: the server refuses a DROP as a prepared statement.
        QSqlQuery q;
        ok = q.exec(QStringLiteral("DROP INDEX IF EXISTS ") + QLatin1String(index)) && ok;
    }
    return ok;
}

bool ShopGenerator::run(QString *error)
{
    QSqlDatabase db = QSqlDatabase::database();
    if (!db.isOpen()) {
        if (error)
            *error = QStringLiteral("database is not open");
        return false;
    }
    m_counts = ShopCounts();
    // One transaction for the whole history; every writer joins it.
    TransactionScope tx;
    if (tx.failed()) {
        if (error)
            *error = tx.firstError();
        return false;
    }
    try {
        Builder b(m_scale, m_seed, m_end, m_lastDayEnd, m_counts);
        LedgerSql::setClock([&b]() { return b.now(); });
        b.run();
    } catch (const std::exception &e) {
        LedgerSql::setClock({});
        tx.rollback();
        if (error)
            *error = QString::fromUtf8(e.what());
        return false;
    }
    LedgerSql::setClock({});
    if (!tx.commit()) {
        if (error)
            *error = tx.firstError();
        return false;
    }
    return true;
}
