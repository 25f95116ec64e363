#include "openingimport.h"

#include "accountbooks.h"
#include "amounts.h"
#include "conflictretry.h"
#include "csvexport.h"
#include "ledgersql.h"
#include "memberwriter.h"
#include "operatorstore.h"
#include "textlimits.h"
#include "transactionscope.h"

#include <QDate>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include "xlsxfile.h"

using LedgerSql::exec;
using LedgerSql::execOne;
using LedgerSql::refuse;
using LedgerSql::value;

const char kUsesColumnPrefix[] = "uses:";

namespace {

const QString kKind = QStringLiteral("期初导入");

ImportField field(const char *key, const char *caption, const QStringList &aliases, bool required = false,
                  const char *example = "")
{
    ImportField f;
    f.key = QString::fromLatin1(key);
    f.caption = QString::fromUtf8(caption);
    f.aliases = aliases;
    f.required = required;
    f.example = QString::fromUtf8(example);
    return f;
}

QStringList words(const char *list)
{
    return QString::fromUtf8(list).split(QLatin1Char('|'));
}

// A header as it is compared: no blanks, no punctuation, lower case, the
// full-width forms of a Chinese keyboard folded.
QString folded(const QString &text)
{
    QString out;
    for (const QChar c : text.normalized(QString::NormalizationForm_KC))
        if (c.isLetterOrNumber())
            out += c.toLower();
    return out;
}

// The uses column of one item: "次数:剪发", "剪发次数", "剩余次数-剪发".
QString usesItemOfHeader(const QString &header)
{
    static const QRegularExpression prefixed(QStringLiteral("^\\s*(?:剩余)?次数\\s*[:：\\-_/（(]\\s*(.+?)\\s*[）)]?\\s*$"));
    const QRegularExpressionMatch m = prefixed.match(header);
    if (m.hasMatch())
        return m.captured(1);
    static const QRegularExpression suffixed(QStringLiteral("^\\s*(.+?)\\s*[\\-_（(]?\\s*(?:剩余)?次数\\s*[）)]?\\s*$"));
    const QRegularExpressionMatch s = suffixed.match(header);
    if (s.hasMatch()) {
        const QString item = s.captured(1);
        // 套餐次数 / 剩余次数 and the like are the list column, not an item.
        if (!QStringList{QStringLiteral("套餐"), QStringLiteral("剩余"), QStringLiteral("服务"), QStringLiteral("总")}
                 .contains(item))
            return item;
    }
    return QString();
}

QString normalDate(const QString &text, bool *ok)
{
    *ok = true;
    const QString t = text.trimmed();
    if (t.isEmpty())
        return QString();
    static const QRegularExpression parts(
        QStringLiteral("^(\\d{4})\\s*[-/.年]\\s*(\\d{1,2})\\s*[-/.月]\\s*(\\d{1,2})\\s*日?(?:[ T]\\d{1,2}:\\d{2}(?::\\d{2})?)?$"));
    QRegularExpressionMatch m = parts.match(t);
    QDate d;
    if (m.hasMatch())
        d = QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    else if (t.size() == 8 && t.toInt() > 0)
        d = QDate::fromString(t, QStringLiteral("yyyyMMdd"));
    if (!d.isValid() || d.year() < 1900 || d.year() > 2200) {
        *ok = false;
        return QString();
    }
    return d.toString(QStringLiteral("yyyy-MM-dd"));
}

QString normalSex(const QString &text, bool *ok)
{
    *ok = true;
    const QString t = text.trimmed().toLower();
    if (t.isEmpty())
        return QString();
    if (QStringList{QStringLiteral("男"), QStringLiteral("m"), QStringLiteral("male"), QStringLiteral("先生"),
                    QStringLiteral("nan")}
            .contains(t))
        return QStringLiteral("男");
    if (QStringList{QStringLiteral("女"), QStringLiteral("f"), QStringLiteral("female"), QStringLiteral("女士"),
                    QStringLiteral("nv"), QStringLiteral("小姐")}
            .contains(t))
        return QStringLiteral("女");
    *ok = false;
    return QString();
}

// Why a uses cell is refused. Uses are counted whole, here as at the counter:
// a sheet that keeps half uses says so, and the shop decides what they become.
QString usesRefusal(const CountInput &n)
{
    if (n.error.endsWith(QStringLiteral("必须是整数")))
        return n.error + QStringLiteral("（套餐次数按整次导入，半次请先折成整次，或把它的钱记入卡内余额）");
    return n.error;
}

// "剪发:10;烫发：3" or "剪发*10、烫发*3": the items and their uses as written.
bool parseUsesList(const QString &text, QList<QPair<QString, qint64>> *out, QString *why)
{
    static const QRegularExpression between(QStringLiteral("[;；,，、\\n]"));
    const QStringList pieces = text.split(between, Qt::SkipEmptyParts);
    static const QRegularExpression piece(QStringLiteral("^\\s*(.+?)\\s*[:：*×xX=]\\s*(\\S+)\\s*次?\\s*$"));
    for (const QString &p : pieces) {
        if (p.trimmed().isEmpty())
            continue;
        const QRegularExpressionMatch m = piece.match(p);
        if (!m.hasMatch()) {
            *why = QStringLiteral("“%1”应写成 项目:次数（多个项目用分号隔开）").arg(p.trimmed());
            return false;
        }
        const CountInput n = parseCountInput(m.captured(2), QStringLiteral("次数"), 0);
        if (!n.ok) {
            *why = QStringLiteral("%1：%2").arg(m.captured(1), usesRefusal(n));
            return false;
        }
        if (n.value > 0)
            out->append(qMakePair(m.captured(1), qint64(n.value)));
    }
    return true;
}

struct Reader
{
    OpeningImport *import;
    const QMap<QString, int> &columnOf; // field key → column
    const QStringList &header;
    const QStringList &cells;
    int row;
    bool good = true;
    QStringList given;

    QString text(const QString &key)
    {
        const auto it = columnOf.constFind(key);
        if (it == columnOf.cend())
            return QString();
        const QString t = cells.value(it.value()).trimmed();
        if (!t.isEmpty())
            given << key;
        return t;
    }
    void problem(const QString &key, const QString &why)
    {
        import->problems << RowProblem{row, header.value(columnOf.value(key)), why};
        good = false;
    }
    qint64 money(const QString &key, const QString &what)
    {
        QString t = text(key);
        t.remove(QLatin1Char(',')).remove(QStringLiteral("¥")).remove(QStringLiteral("￥")).remove(QStringLiteral("元"));
        const MoneyInput m = parseMoneyInput(t, what);
        if (!m.ok)
            problem(key, m.error + asWritten(key));
        return m.cents;
    }
    double count(const QString &key, const QString &what, int decimals)
    {
        const CountInput n = parseCountInput(text(key), what, decimals);
        if (!n.ok)
            problem(key, n.error + asWritten(key));
        return n.value;
    }
    // The cell as the sheet has it, so the cashier finds it among hundreds.
    QString asWritten(const QString &key)
    {
        return QStringLiteral("：“%1”").arg(text(key));
    }
    QString date(const QString &key, const QString &what)
    {
        bool ok = true;
        const QString d = normalDate(text(key), &ok);
        if (!ok)
            problem(key, what + QStringLiteral("“") + text(key) + QStringLiteral("”不是有效的日期（如 2024-05-01）"));
        return d;
    }
};


// The catalogue's columns by field key.
struct CatalogueTable
{
    QString table;
    QString key;         // the column a row is found by: its code, or a card type's name
    QString keyCaption;  // how the messages name it
    QStringList columns; // field keys are the column names
    QStringList moneyColumns;
    QStringList factorColumns; // discounts: the fraction of the list price charged
};

CatalogueTable catalogueTable(ImportKind kind)
{
    if (kind == ImportKind::ServiceItems)
        return {QStringLiteral("fuwuxiangmu"), QStringLiteral("ID"), QStringLiteral("编号"),
                {QStringLiteral("ID"), QStringLiteral("name"), QStringLiteral("leibie"), QStringLiteral("fuwushijian"),
                 QStringLiteral("xiaoshoujiage"), QStringLiteral("chengbenjiage"), QStringLiteral("dijia"),
                 QStringLiteral("beizhu")},
                {QStringLiteral("xiaoshoujiage"), QStringLiteral("chengbenjiage"), QStringLiteral("dijia")},
                {}};
    // Members, the top-up rules, the promotions and the card changes name a
    // card type by its name: it is the key (the ID is the table's own).
    if (kind == ImportKind::CardTypes)
        return {QStringLiteral("huiyuanka"), QStringLiteral("name"), QStringLiteral("会员卡名称"),
                {QStringLiteral("name"), QStringLiteral("kaneijine"), QStringLiteral("jiage"),
                 QStringLiteral("fuwuzekou"), QStringLiteral("chanpinzekou"), QStringLiteral("taocanzekou"),
                 QStringLiteral("beizhu")},
                {QStringLiteral("kaneijine"), QStringLiteral("jiage")},
                {QStringLiteral("fuwuzekou"), QStringLiteral("chanpinzekou"), QStringLiteral("taocanzekou")}};
    return {QStringLiteral("chanpin"), QStringLiteral("ID"), QStringLiteral("编号"),
            {QStringLiteral("ID"), QStringLiteral("name"), QStringLiteral("tiaoma"), QStringLiteral("leibie"),
             QStringLiteral("danwei"), QStringLiteral("guige"), QStringLiteral("jinhuojiage"),
             QStringLiteral("xiaoshoujiage"), QStringLiteral("dijia"), QStringLiteral("beizhu")},
            {QStringLiteral("jinhuojiage"), QStringLiteral("xiaoshoujiage"), QStringLiteral("dijia")},
            {}};
}

// A discount as shops write it: 0.9, 9折, 8.8折, 95折 or 90%. The factor is
// what the checkout multiplies the list price by, so it lies in (0, 1]; a
// bare 9 is refused rather than guessed (nine times the price, or 9折?).
QString normalFactor(const QString &text, const QString &what, QString *why)
{
    QString t = text.trimmed();
    t.remove(QLatin1Char(' '));
    if (t.isEmpty())
        return QString();
    double divisor = 1;
    if (t.endsWith(QStringLiteral("折"))) {
        t.chop(1);
        bool ok = false;
        const double n = t.toDouble(&ok);
        divisor = ok && n > 10 ? 100 : 10;
    } else if (t.endsWith(QLatin1Char('%')) || t.endsWith(QStringLiteral("％"))) {
        t.chop(1);
        divisor = 100;
    }
    static const QRegularExpression decimal(QStringLiteral("^\\d{1,3}(?:\\.\\d+)?$"));
    if (!decimal.match(t).hasMatch()) {
        *why = QStringLiteral("%1“%2”不是有效的折扣（如 0.9、9折 或 90%）").arg(what, text.trimmed());
        return QString();
    }
    const double f = t.toDouble() / divisor;
    if (!(f > 0) || f > 1) {
        *why = QStringLiteral("%1“%2”应在 0 到 1 之间（0.9 为九折，1 为不打折）").arg(what, text.trimmed());
        return QString();
    }
    const qint64 thousandths = qRound64(f * 1000);
    if (qAbs(f * 1000 - double(thousandths)) > 1e-6) {
        *why = QStringLiteral("%1“%2”最多精确到千分之一").arg(what, text.trimmed());
        return QString();
    }
    return QString::number(double(thousandths) / 1000, 'g', 6);
}


// What the shop holds now, read once for a whole sheet (inside the
// transaction when writing, so that no other desk changes it meanwhile).
struct ShopNow
{
    QHash<QString, QString> memberByPhone; // phone → member ID
    QSet<QString> members;
    QSet<QString> usedIds;                 // IDs with ledger rows (members deleted since count too)
    QSet<QString> cardTypes;
    QHash<QString, QString> itemByName;    // service item code or name → code
    QSet<QString> items;
    QSet<QString> itemNames;               // catalogue names already on file (for the catalogue import)
    qint64 nextMemberNumber = 1;

    void load(ImportKind kind)
    {
        if (kind == ImportKind::Members) {
            for (const QVariantList &r : LedgerSql::rows(QStringLiteral("select ID, coalesce(phone,'') from huiyuan order by rowid"))) {
                members.insert(r.value(0).toString());
                const QString phone = r.value(1).toString().trimmed();
                if (!phone.isEmpty())
                    memberByPhone.insert(phone, r.value(0).toString());
                bool isNumber = false;
                const qint64 n = r.value(0).toString().toLongLong(&isNumber);
                if (isNumber && n >= nextMemberNumber)
                    nextMemberNumber = n + 1;
            }
            for (const QString &sql : {QStringLiteral("select distinct huiyuanid from huiyuanyuebiandong"),
                                       QStringLiteral("select distinct huiyuanid from huiyuanjifen")})
                for (const QVariantList &r : LedgerSql::rows(sql))
                    usedIds.insert(r.value(0).toString());
            for (const QVariantList &r : LedgerSql::rows(QStringLiteral("select name from huiyuanka order by ID")))
                cardTypes.insert(r.value(0).toString());
            for (const QVariantList &r : LedgerSql::rows(QStringLiteral("select ID, name from fuwuxiangmu order by rowid"))) {
                items.insert(r.value(0).toString());
                itemByName.insert(r.value(0).toString(), r.value(0).toString());
                if (!itemByName.contains(r.value(1).toString()))
                    itemByName.insert(r.value(1).toString(), r.value(0).toString());
            }
        } else {
            const CatalogueTable t = catalogueTable(kind);
            for (const QVariantList &r : LedgerSql::rows(QStringLiteral("select ") + t.key + QStringLiteral(" from ") + t.table))
                items.insert(r.value(0).toString());
        }
    }
};

enum class Outcome { Add, Update, Skip, Refused };

struct Planned
{
    Outcome outcome = Outcome::Refused;
    QString memberId;                       // the member written or updated
    QList<QPair<QString, qint64>> uses;     // by item code
};

// Every row judged against the shop and against the rows above it.
QList<Planned> plan(const OpeningImport &im, ShopNow &shop, ImportCheck *check)
{
    QList<Planned> out;
    QHash<QString, int> idRow, phoneRow; // within the file
    QSet<int> refusedRows;
    for (const RowProblem &p : im.problems)
        refusedRows.insert(p.row);
    check->problems = im.problems;
    const auto refuseRow = [&](int row, const QString &column, const QString &why) {
        check->problems << RowProblem{row, column, why};
    };
    if (im.kind != ImportKind::Members) {
        const CatalogueTable t = catalogueTable(im.kind);
        for (const CatalogueOpening &c : im.items) {
            Planned p;
            const QString id = c.fields.value(t.key);
            bool bad = refusedRows.contains(c.row);
            if (idRow.contains(id)) {
                refuseRow(c.row, t.keyCaption, QStringLiteral("%1与第 %2 行重复").arg(t.keyCaption).arg(idRow.value(id)));
                bad = true;
            }
            idRow.insert(id, c.row);
            if (bad) {
                out << p;
                continue;
            }
            if (shop.items.contains(id)) {
                if (im.existing == ExistingRows::Refuse) {
                    refuseRow(c.row, t.keyCaption, QStringLiteral("%1 %2 已经存在").arg(t.keyCaption, id));
                    out << p;
                    continue;
                }
                p.outcome = im.existing == ExistingRows::Skip ? Outcome::Skip : Outcome::Update;
            } else {
                p.outcome = Outcome::Add;
            }
            p.memberId = id;
            out << p;
        }
    } else {
        qint64 next = shop.nextMemberNumber;
        for (const MemberOpening &m : im.members) {
            Planned p;
            bool bad = refusedRows.contains(m.row);
            const QString column = QStringLiteral("会员卡号");
            if (!m.memberId.isEmpty() && idRow.contains(m.memberId)) {
                refuseRow(m.row, column, QStringLiteral("会员卡号与第 %1 行重复").arg(idRow.value(m.memberId)));
                bad = true;
            }
            if (!m.phone.isEmpty() && phoneRow.contains(m.phone)) {
                refuseRow(m.row, QStringLiteral("电话"), QStringLiteral("电话与第 %1 行重复").arg(phoneRow.value(m.phone)));
                bad = true;
            }
            if (!m.memberId.isEmpty())
                idRow.insert(m.memberId, m.row);
            if (!m.phone.isEmpty())
                phoneRow.insert(m.phone, m.row);
            // The member on file: by card number, else by phone.
            QString onFile;
            if (!m.memberId.isEmpty() && shop.members.contains(m.memberId))
                onFile = m.memberId;
            else if (m.memberId.isEmpty() && !m.phone.isEmpty())
                onFile = shop.memberByPhone.value(m.phone);
            if (!onFile.isEmpty() && !m.phone.isEmpty() && shop.memberByPhone.contains(m.phone)
                && shop.memberByPhone.value(m.phone) != onFile) {
                refuseRow(m.row, QStringLiteral("电话"),
                          QStringLiteral("电话 %1 已被会员 %2 使用").arg(m.phone, shop.memberByPhone.value(m.phone)));
                bad = true;
            }
            if (onFile.isEmpty() && !m.phone.isEmpty() && shop.memberByPhone.contains(m.phone)) {
                if (im.existing == ExistingRows::Refuse || !m.memberId.isEmpty()) {
                    refuseRow(m.row, QStringLiteral("电话"),
                              QStringLiteral("电话 %1 已被会员 %2 使用").arg(m.phone, shop.memberByPhone.value(m.phone)));
                    bad = true;
                }
            }
            if (onFile.isEmpty() && !m.memberId.isEmpty() && shop.usedIds.contains(m.memberId)) {
                refuseRow(m.row, column,
                          QStringLiteral("会员卡号 %1 曾被已删除的会员使用过，其余额和积分记录还在，请换一个卡号").arg(m.memberId));
                bad = true;
            }
            const QString cardType = m.cardType.isEmpty() ? im.defaultCardType : m.cardType;
            if (onFile.isEmpty() && cardType.isEmpty()) {
                refuseRow(m.row, QStringLiteral("会员卡类型"), QStringLiteral("缺少会员卡类型"));
                bad = true;
            } else if (!cardType.isEmpty() && !shop.cardTypes.contains(cardType)
                       && (onFile.isEmpty() || m.given.contains(QStringLiteral("cardType")))) {
                refuseRow(m.row, QStringLiteral("会员卡类型"),
                          QStringLiteral("未知的会员卡类型“%1”（请先在会员卡设置中建立）").arg(cardType));
                bad = true;
            }
            for (const auto &u : m.uses) {
                const QString code = shop.itemByName.value(u.first);
                if (code.isEmpty()) {
                    refuseRow(m.row, QStringLiteral("套餐次数"), QStringLiteral("未知的服务项目“%1”").arg(u.first));
                    bad = true;
                } else {
                    p.uses << qMakePair(code, u.second);
                }
            }
            if (!onFile.isEmpty() && im.existing == ExistingRows::Refuse) {
                refuseRow(m.row, column, QStringLiteral("会员 %1 已经存在").arg(onFile));
                bad = true;
            }
            if (bad) {
                out << Planned{};
                continue;
            }
            if (!onFile.isEmpty()) {
                p.memberId = onFile;
                p.outcome = im.existing == ExistingRows::Skip ? Outcome::Skip : Outcome::Update;
            } else {
                p.outcome = Outcome::Add;
                if (!m.memberId.isEmpty()) {
                    p.memberId = m.memberId;
                } else {
                    while (shop.members.contains(QString::number(next)) || shop.usedIds.contains(QString::number(next))
                           || idRow.contains(QString::number(next)))
                        ++next;
                    p.memberId = QString::number(next++);
                }
                shop.members.insert(p.memberId);
            }
            out << p;
        }
    }
    for (const Planned &p : out) {
        if (p.outcome == Outcome::Add)
            ++check->added;
        else if (p.outcome == Outcome::Update)
            ++check->updated;
        else if (p.outcome == Outcome::Skip)
            ++check->skipped;
    }
    std::stable_sort(check->problems.begin(), check->problems.end(),
                     [](const RowProblem &a, const RowProblem &b) { return a.row < b.row; });
    return out;
}

// The member columns an update may set, by field key.
const QList<QPair<QString, QString>> &memberColumns()
{
    static const QList<QPair<QString, QString>> c{
        {QStringLiteral("name"), QStringLiteral("name")},         {QStringLiteral("sex"), QStringLiteral("sex")},
        {QStringLiteral("phone"), QStringLiteral("phone")},       {QStringLiteral("birthday"), QStringLiteral("birthday")},
        {QStringLiteral("expiry"), QStringLiteral("daoqi_time")}, {QStringLiteral("cardType"), QStringLiteral("type")},
        {QStringLiteral("address"), QStringLiteral("address")},   {QStringLiteral("referrer"), QStringLiteral("jieshaoren")},
        {QStringLiteral("remark"), QStringLiteral("beizhu")},     {QStringLiteral("withinCode"), QStringLiteral("within_code")},
        {QStringLiteral("height"), QStringLiteral("height")},     {QStringLiteral("age"), QStringLiteral("age")},
    };
    return c;
}

QString memberValue(const MemberOpening &m, const QString &key)
{
    if (key == QLatin1String("name"))
        return m.name;
    if (key == QLatin1String("sex"))
        return m.sex;
    if (key == QLatin1String("phone"))
        return m.phone;
    if (key == QLatin1String("birthday"))
        return m.birthday.isEmpty() ? QString() : m.birthday + QStringLiteral(" 00:00:00");
    if (key == QLatin1String("expiry"))
        return m.expiry.isEmpty() ? QString() : m.expiry + QStringLiteral(" 00:00:00");
    if (key == QLatin1String("cardType"))
        return m.cardType;
    if (key == QLatin1String("address"))
        return m.address;
    if (key == QLatin1String("referrer"))
        return m.referrer;
    if (key == QLatin1String("remark"))
        return m.remark;
    if (key == QLatin1String("withinCode"))
        return m.withinCode;
    if (key == QLatin1String("height"))
        return m.height;
    if (key == QLatin1String("age"))
        return m.age;
    return QString();
}

QVariant orNull(const QString &text)
{
    return text.isEmpty() ? QVariant(QVariant::String) : QVariant(text);
}

const QString kLineInsert = QStringLiteral(
    "insert into qichudaorumingxi(daoruID,hanghao,duixiang,chuli,yue,zengsong,jifen,qiankuan,qiankuanweihuan,"
    "qiankuandanhao,jiuzhi) values(?,?,?,?,?,?,?,?,?,?,?)");

bool writeMember(const QString &doc, const OpeningImport &im, const MemberOpening &m, const Planned &p)
{
    const Entry entry{kKind, im.operatorName, QStringLiteral("期初单：") + doc};
    const QString why = QStringLiteral("第 %1 行未写入").arg(m.row);
    if (p.outcome == Outcome::Update) {
        // Fields only: what the member holds stays as the shop's own books say.
        QJsonObject old;
        QStringList sets;
        QVariantList values;
        const QList<QVariantList> now = LedgerSql::rows(
            QStringLiteral("select name,sex,phone,birthday,daoqi_time,type,address,jieshaoren,beizhu,within_code,"
                           "height,age from huiyuan where ID=?"),
            {p.memberId});
        if (now.isEmpty()) {
            refuse(QStringLiteral("第 %1 行的会员已被删除").arg(m.row));
            return false;
        }
        for (int i = 0; i < memberColumns().size(); ++i) {
            const QString key = memberColumns().at(i).first;
            if (!m.given.contains(key))
                continue;
            old.insert(memberColumns().at(i).second, QJsonValue::fromVariant(now.first().value(i)));
            sets << memberColumns().at(i).second + QStringLiteral("=?");
            values << memberValue(m, key);
        }
        if (!sets.isEmpty()) {
            values << p.memberId;
            if (!execOne(QStringLiteral("update huiyuan set ") + sets.join(QLatin1Char(',')) + QStringLiteral(" where ID=?"),
                         values, why))
                return false;
        }
        return execOne(kLineInsert,
                       {doc, m.row, p.memberId, QStringLiteral("更新"), 0, 0, 0, 0, 0, QString(),
                        QString::fromUtf8(QJsonDocument(old).toJson(QJsonDocument::Compact))},
                       why);
    }
    // New members are written by NewMembers, many at a time.
    Q_UNUSED(im)
    refuse(why);
    return false;
}

// The members an import adds, written 25 at a time in multi-row
// statements. They are new inside this transaction (the plan checked that
// under the lock), so the rows their books would write one statement at a
// time are known here: the balance, each item's uses and the points are what
// the sheet gives, each ledger row stating them. On a shop server every
// statement is a round trip: about seventeen per member before, now one per
// table for 25 members (more rows to a statement cost more in binding
// their values than they save in round trips).
class NewMembers
{
public:
    NewMembers(const QString &doc, const OpeningImport &im)
        : m_doc(doc), m_im(im), m_remark(QStringLiteral("期初单：") + doc)
    {
    }

    bool add(const MemberOpening &m, const Planned &p)
    {
        if (m_count == 0)
            m_firstRow = m.row;
        m_lastRow = m.row;
        const QString now = LedgerSql::now();
        const QString cardType = m.cardType.isEmpty() ? m_im.defaultCardType : m.cardType;
        const qint64 onCard = m.balanceCents + m.bonusCents;
        const double balance = centsToYuan(onCard);
        const double points = m.points > 0 ? qRound64(m.points * 1000) / 1000.0 : 0.0;
        m_members << QVariantList{p.memberId, m.name, orNull(m.sex), orNull(memberValue(m, QStringLiteral("birthday"))),
                                  orNull(m.phone), orNull(memberValue(m, QStringLiteral("expiry"))), now,
                                  orNull(m.height), orNull(m.age), orNull(m.withinCode), orNull(m.address),
                                  orNull(m.referrer), orNull(m.remark), cardType, balance, points};
        if (onCard > 0)
            m_ledger << QVariantList{p.memberId, now, kKind, QString(), balance, 0, 0, 0, balance, 0,
                                     m_im.operatorName, m_remark};
        // An item named twice adds to its one package row, each ledger row
        // stating the uses after it.
        QList<QPair<QString, qint64>> items;
        for (const auto &u : p.uses) {
            int at = -1;
            for (int i = 0; i < items.size(); ++i)
                if (items.at(i).first == u.first)
                    at = i;
            if (at < 0) {
                items << u;
                at = items.size() - 1;
            } else {
                items[at].second += u.second;
            }
            m_ledger << QVariantList{p.memberId, now, kKind, u.first, 0, 0, u.second, 0, balance, items.at(at).second,
                                     m_im.operatorName, m_remark};
        }
        for (const auto &i : items)
            m_packages << QVariantList{p.memberId, i.first, i.second, i.second};
        if (points > 0)
            m_points << QVariantList{p.memberId, now, kKind, m.points, 0, points, m_im.operatorName, m_remark};
        m_lines << QVariantList{m_doc, m.row, p.memberId, QStringLiteral("新增"), centsToYuan(m.balanceCents),
                                centsToYuan(m.bonusCents), m.points, centsToYuan(m.debtCents), centsToYuan(m.debtCents),
                                m.debtCents > 0 ? QVariant(m_doc + QLatin1Char('-') + p.memberId)
                                                : QVariant(QVariant::String),
                                QString()};
        return ++m_count < kBatch || flush();
    }

    bool flush()
    {
        const QString why = m_firstRow == m_lastRow ? QStringLiteral("第 %1 行未写入").arg(m_firstRow)
                                                    : QStringLiteral("第 %1–%2 行未写入").arg(m_firstRow).arg(m_lastRow);
        const bool ok =
            insertAll(QStringLiteral("insert into huiyuan(ID,name,sex,birthday,phone,daoqi_time,login_time,password1,"
                                     "password2,height,age,within_code,guwenrenyuan,address,jieshaoren,beizhu,type,"
                                     "tichengyuangong,taocanID,jiaofeijinE,leijixiaofei,shengyujine,jifen) values "),
                      QStringLiteral("(?,?,?,?,?,?,?,NULL,NULL,?,?,?,NULL,?,?,?,?,NULL,'0',0,0,?,?)"), &m_members, why)
            && insertAll(QStringLiteral("insert into huiyuanyuebiandong(huiyuanid,biandongriqi,biandongleixing,"
                                        "xiangmumingchen,yuezengjia,yuejianshao,cishuzengjia,cishujianshao,"
                                        "dangshikaneiyue,dangshikaneicishu,caozuoyuan,beizhu) values "),
                         QStringLiteral("(?,?,?,?,?,?,?,?,?,?,?,?)"), &m_ledger, why)
            && insertAll(QStringLiteral("insert into huiyuantaocan(huiyuanID,xiangmuID,zongcishu,shengyucishu,"
                                        "xiaofeicishu) values "),
                         QStringLiteral("(?,?,?,?,0)"), &m_packages, why)
            && insertAll(QStringLiteral("insert into huiyuanjifen(huiyuanid,biandongriqi,biandongleixing,jifenzengjia,"
                                        "jifenjianshao,shengyujifen,caozuoyuan,beizhu) values "),
                         QStringLiteral("(?,?,?,?,?,?,?,?)"), &m_points, why)
            && insertAll(QStringLiteral("insert into qichudaorumingxi(daoruID,hanghao,duixiang,chuli,yue,zengsong,jifen,"
                                        "qiankuan,qiankuanweihuan,qiankuandanhao,jiuzhi) values "),
                         QStringLiteral("(?,?,?,?,?,?,?,?,?,?,?)"), &m_lines, why);
        m_count = 0;
        return ok;
    }

    int firstRow() const { return m_count > 0 ? m_firstRow : 0; }

private:
    static constexpr int kBatch = 25;

    // One statement for the rows gathered; a full batch's text is always the
    // same, so it is prepared once.
    static bool insertAll(const QString &head, const QString &tuple, QList<QVariantList> *rows, const QString &why)
    {
        if (rows->isEmpty())
            return true;
        QStringList tuples;
        QVariantList values;
        for (const QVariantList &r : qAsConst(*rows)) {
            tuples << tuple;
            values += r;
        }
        const int want = rows->size();
        rows->clear();
        if (LedgerSql::exec(head + tuples.join(QLatin1Char(',')), values) == want)
            return true;
        refuse(why);
        return false;
    }

    QString m_doc;
    const OpeningImport &m_im;
    QString m_remark;
    QList<QVariantList> m_members, m_ledger, m_packages, m_points, m_lines;
    int m_count = 0, m_firstRow = 0, m_lastRow = 0;
};

// A checked cell as its column stores it: numbers as numbers (a discount not
// given is none), texts as texts or NULL.
QVariant storedValue(const CatalogueTable &t, const QString &col, const QString &v)
{
    if (t.factorColumns.contains(col))
        return v.isEmpty() ? 1.0 : v.toDouble();
    if (t.moneyColumns.contains(col) || col == QLatin1String("fuwushijian"))
        return v.isEmpty() ? 0.0 : v.toDouble();
    return orNull(v);
}

bool writeItem(const QString &doc, const OpeningImport &im, const CatalogueOpening &c, const Planned &p)
{
    const CatalogueTable t = catalogueTable(im.kind);
    const QString why = QStringLiteral("第 %1 行未写入").arg(c.row);
    const QString whereKey = QStringLiteral(" where ") + t.key + QStringLiteral("=?");
    if (p.outcome == Outcome::Update) {
        QStringList sets, cols;
        QVariantList values;
        for (const QString &col : t.columns)
            if (col != t.key && c.given.contains(col)) {
                sets << col + QStringLiteral("=?");
                cols << col;
                values << storedValue(t, col, c.fields.value(col));
            }
        QJsonObject old;
        if (!cols.isEmpty()) {
            const QList<QVariantList> now = LedgerSql::rows(
                QStringLiteral("select ") + cols.join(QLatin1Char(',')) + QStringLiteral(" from ") + t.table + whereKey,
                {p.memberId});
            for (int i = 0; i < cols.size() && !now.isEmpty(); ++i)
                old.insert(cols.at(i), QJsonValue::fromVariant(now.first().value(i)));
            values << p.memberId;
            if (!execOne(QStringLiteral("update ") + t.table + QStringLiteral(" set ") + sets.join(QLatin1Char(',')) + whereKey,
                         values, why))
                return false;
        }
        return execOne(kLineInsert,
                       {doc, c.row, p.memberId, QStringLiteral("更新"), 0, 0, 0, 0, 0, QString(),
                        QString::fromUtf8(QJsonDocument(old).toJson(QJsonDocument::Compact))},
                       why);
    }
    QStringList marks;
    QVariantList values;
    for (const QString &col : t.columns) {
        marks << QStringLiteral("?");
        values << storedValue(t, col, c.fields.value(col));
    }
    QString extraCols, extraValues;
    if (im.kind == ImportKind::ServiceItems) {
        extraCols = QStringLiteral(",shijiaxiangmu,shifouhuifan,huifangshijian,shifouyouhulizhouqi,zhouqi,jinyong");
        extraValues = QStringLiteral(",'否','否',0,'否',0,'否'");
    } else if (im.kind == ImportKind::Products) {
        extraCols = QStringLiteral(",shijiashangpin");
        extraValues = QStringLiteral(",'否'");
    }
    if (!execOne(QStringLiteral("insert into ") + t.table + QStringLiteral("(") + t.columns.join(QLatin1Char(','))
                     + extraCols + QStringLiteral(") values(") + marks.join(QLatin1Char(',')) + extraValues
                     + QStringLiteral(")"),
                 values, why))
        return false;
    if (im.kind == ImportKind::Products) {
        // Every product has its zero movement, so the stock lists show it with 0.
        StockMove zero;
        zero.documentId = QStringLiteral("000000");
        zero.kind = QStringLiteral("入库明细");
        zero.productId = p.memberId;
        zero.reason = QStringLiteral("采购入库");
        zero.operatorName = im.operatorName;
        zero.remark = QStringLiteral("期初单：") + doc;
        if (!StockBook::move(zero))
            return false;
    }
    return execOne(kLineInsert, {doc, c.row, p.memberId, QStringLiteral("新增"), 0, 0, 0, 0, 0, QString(), QString()},
                   why);
}

QString problemsText(const ImportCheck &check)
{
    QStringList lines;
    for (int i = 0; i < check.problems.size() && i < 10; ++i) {
        const RowProblem &p = check.problems.at(i);
        lines << QStringLiteral("第 %1 行 %2：%3").arg(p.row).arg(p.column, p.reason);
    }
    if (check.problems.size() > 10)
        lines << QStringLiteral("……共 %1 处问题").arg(check.problems.size());
    return lines.join(QLatin1Char('\n'));
}

LedgerResult writeOnce(const OpeningImport &im, const ImportProgress &progress, ImportCheck *checkOut)
{
    const QString what = QStringLiteral("期初导入失败");
    if (!OperatorStore::holdsSettingsRight(im.operatorName))
        return LedgerResult::failure(OperatorStore::noRightText());
    TransactionScope tx;
    // Again inside: another desk may have taken the right away meanwhile.
    OperatorStore::requireSettingsRight(im.operatorName);
    ShopNow shop;
    shop.load(im.kind);
    ImportCheck check;
    const QList<Planned> planned = plan(im, shop, &check);
    if (checkOut)
        *checkOut = check;
    // The refused rows stay out (the check lists them); the sheet as a whole is
    // refused only when its columns are wrong or no row is left to take.
    bool sheetWrong = false;
    for (const RowProblem &p : check.problems)
        sheetWrong = sheetWrong || p.row <= 1;
    if (sheetWrong || check.added + check.updated == 0) {
        refuse((check.problems.isEmpty() ? QStringLiteral("文件中没有需要导入的行")
                                         : QStringLiteral("有 %1 处问题，没有可以导入的行：\n").arg(check.problems.size())
                                               + problemsText(check)));
        return LedgerResult::failure(LedgerSql::failureText(what, tx.firstError(), QStringLiteral("本次导入未保存")));
    }
    QSet<int> refusedRows;
    for (const RowProblem &p : check.problems)
        refusedRows.insert(p.row);
    if (tx.failed())
        return LedgerResult::failure(LedgerSql::failureText(what, tx.firstError(), QStringLiteral("本次导入未保存")));
    const QString doc = LedgerSql::newDocumentId(QStringLiteral("QC"), kKind, im.operatorName);
    const int total = planned.size();
    bool cancelled = false;
    int failedRow = 0; // the sheet row whose writing failed, for the message
    NewMembers added(doc, im);
    for (int i = 0; i < total && !tx.failed(); ++i) {
        const Planned &p = planned.at(i);
        if (im.kind == ImportKind::Members && p.outcome == Outcome::Add) {
            const int first = added.firstRow() > 0 ? added.firstRow() : im.members.at(i).row;
            if (!added.add(im.members.at(i), p))
                failedRow = first;
        } else if (p.outcome == Outcome::Add || p.outcome == Outcome::Update) {
            if (im.kind == ImportKind::Members)
                writeMember(doc, im, im.members.at(i), p);
            else
                writeItem(doc, im, im.items.at(i), p);
            if (tx.failed())
                failedRow = im.kind == ImportKind::Members ? im.members.at(i).row : im.items.at(i).row;
        }
        if (progress && (i % 250 == 249 || i == total - 1) && !progress(i + 1, total)) {
            cancelled = true;
            refuse(QStringLiteral("导入已取消"));
        }
    }
    if (!tx.failed()) {
        const int first = added.firstRow();
        if (!added.flush())
            failedRow = first;
    }
    if (!tx.failed())
        execOne(QStringLiteral("insert into qichudaoru(ID,leixing,riqi,caozuoyuan,wenjian,hangshu,xinzeng,gengxin,"
                               "tiaoguo,jujue,zhuangtai,shouyintai) values(?,?,?,?,?,?,?,?,?,?,'有效',?)"),
                {doc, OpeningImportFields::kindName(im.kind), LedgerSql::now(), im.operatorName, im.fileName,
                 im.sheetRows, check.added, check.updated, check.skipped, refusedRows.size(), LedgerSql::desk()},
                QStringLiteral("导入记录未写入"));
    if (!tx.failed())
        LedgerSql::log(im.operatorName, QStringLiteral("期初导入%1  单号：%2  文件：%3  新增%4 更新%5 跳过%6 未导入%7")
                                            .arg(OpeningImportFields::kindName(im.kind), doc, im.fileName)
                                            .arg(check.added)
                                            .arg(check.updated)
                                            .arg(check.skipped)
                                            .arg(refusedRows.size()));
    if (!tx.commit()) {
        if (cancelled)
            return LedgerResult::failure(QStringLiteral("导入已取消，没有写入任何数据。"));
        const QString where = failedRow > 0 ? QStringLiteral("（第 %1 行）").arg(failedRow) : QString();
        return LedgerResult::failure(LedgerSql::failureText(what + where, tx.firstError(), QStringLiteral("本次导入未保存")));
    }
    return LedgerResult::success(doc);
}

LedgerResult takeBackOnce(const QString &doc, const QString &operatorName)
{
    const QString what = QStringLiteral("撤销期初导入失败");
    if (!OperatorStore::holdsSettingsRight(operatorName))
        return LedgerResult::failure(OperatorStore::noRightText());
    TransactionScope tx;
    OperatorStore::requireSettingsRight(operatorName);
    const QList<QVariantList> head =
        LedgerSql::rows(QStringLiteral("select leixing, riqi, zhuangtai from qichudaoru where ID=?"), {doc});
    if (head.isEmpty()) {
        refuse(QStringLiteral("找不到该导入单"));
        return LedgerResult::failure(LedgerSql::failureText(what, tx.firstError()));
    }
    if (head.first().value(2).toString() != QStringLiteral("有效")) {
        refuse(QStringLiteral("该导入已经撤销过了"));
        return LedgerResult::failure(LedgerSql::failureText(what, tx.firstError()));
    }
    const QString kind = head.first().value(0).toString();
    const QString since = head.first().value(1).toString();
    const QString remark = QStringLiteral("期初单：") + doc;
    const QList<QVariantList> lines = LedgerSql::rows(
        QStringLiteral("select duixiang, chuli, coalesce(jiuzhi,''), hanghao, "
                       "CAST(ROUND(coalesce(qiankuan,0)*100) AS BIGINT), CAST(ROUND(coalesce(qiankuanweihuan,0)*100) AS BIGINT) "
                       "from qichudaorumingxi where daoruID=? order by hanghao"),
        {doc});
    const ImportKind importKind = OpeningImportFields::kindOfName(kind);
    const bool members = importKind == ImportKind::Members;
    const CatalogueTable t = catalogueTable(importKind);
    for (const QVariantList &l : lines) {
        if (tx.failed())
            break;
        const QString id = l.value(0).toString();
        const bool added = l.value(1).toString() == QStringLiteral("新增");
        if (members) {
            // Anything the member did after the import would be lost with it.
            // A member the import made may have no other row at all; one it
            // updated, none since the import.
            const QString after = added ? QString() : QStringLiteral(" and %1>=?");
            const QVariantList at = added ? QVariantList() : QVariantList{since};
            const auto any = [&](const QString &sql, const QString &timeColumn, const QVariantList &values) {
                return value(sql + after.arg(timeColumn) + QStringLiteral(" LIMIT 1"), values + at).isValid();
            };
            const bool moved =
                any(QStringLiteral("select 1 from huiyuanyuebiandong where huiyuanid=? and coalesce(beizhu,'')<>?"),
                    QStringLiteral("biandongriqi"), {id, remark})
                || any(QStringLiteral("select 1 from huiyuanjifen where huiyuanid=? and coalesce(beizhu,'')<>?"),
                       QStringLiteral("biandongriqi"), {id, remark})
                || any(QStringLiteral("select 1 from huiyuanxiaofei where huiyuanid=?"), QStringLiteral("xiaofeiriqi"), {id})
                || any(QStringLiteral("select 1 from huiyuanjiaofei where huiyuanid=?"), QStringLiteral("jiaofeiriqi"), {id})
                || l.value(4).toLongLong() != l.value(5).toLongLong();
            if (moved) {
                refuse(QStringLiteral("会员 %1（第 %2 行）在导入后已有消费、充值、还款或退款，不能撤销这次导入")
                           .arg(id)
                           .arg(l.value(3).toInt()));
                break;
            }
        } else if (added && importKind == ImportKind::CardTypes) {
            // A card type named anywhere, its history too, came into use after the import.
            const QString usedBy = MemberWriter::cardTypeUser(id, true);
            if (!usedBy.isEmpty()) {
                refuse(QStringLiteral("会员卡类型“%1”在导入后已被%2使用，不能撤销这次导入").arg(id, usedBy));
                break;
            }
        } else if (added && importKind == ImportKind::ServiceItems) {
            if (value(QStringLiteral("select 1 from xiaofeimingxi where xiangmuID=? LIMIT 1"), {id}).isValid()
                || value(QStringLiteral("select 1 from huiyuantaocan where xiangmuID=? LIMIT 1"), {id}).isValid()
                || value(QStringLiteral("select 1 from taocanmingxi where xiangmuID=? LIMIT 1"), {id}).isValid()) {
                refuse(QStringLiteral("服务项目 %1 在导入后已被使用，不能撤销这次导入").arg(id));
                break;
            }
        } else if (added) {
            if (value(QStringLiteral("select 1 from chanpinrukumingxi where chanpinID=? and rukuID<>'000000' LIMIT 1"), {id})
                    .isValid()) {
                refuse(QStringLiteral("产品 %1 在导入后已有出入库，不能撤销这次导入").arg(id));
                break;
            }
        }
        const QString table = members ? QStringLiteral("huiyuan") : t.table;
        const QString whereKey = QStringLiteral(" where ") + (members ? QStringLiteral("ID") : t.key) + QStringLiteral("=?");
        if (added) {
            if (members) {
                exec(QStringLiteral("delete from huiyuanyuebiandong where huiyuanid=? and beizhu=?"), {id, remark});
                exec(QStringLiteral("delete from huiyuanjifen where huiyuanid=? and beizhu=?"), {id, remark});
                exec(QStringLiteral("delete from huiyuantaocan where huiyuanID=?"), {id});
            } else if (t.table == QLatin1String("chanpin")) {
                exec(QStringLiteral("delete from chanpinrukumingxi where chanpinID=? and rukuID='000000'"), {id});
            }
            execOne(QStringLiteral("delete from ") + table + whereKey, {id},
                    QStringLiteral("第 %1 行的记录已不在，不能撤销").arg(l.value(3).toInt()));
        } else {
            const QJsonObject old = QJsonDocument::fromJson(l.value(2).toString().toUtf8()).object();
            QStringList sets;
            QVariantList values;
            for (auto it = old.constBegin(); it != old.constEnd(); ++it) {
                // Only names this import wrote itself are set back.
                bool known = !members && t.columns.contains(it.key()) && it.key() != t.key;
                for (const auto &c : memberColumns())
                    known = known || (members && c.second == it.key());
                if (!known)
                    continue;
                sets << it.key() + QStringLiteral("=?");
                values << (it.value().isNull() ? QVariant(QVariant::String) : it.value().toVariant());
            }
            if (!sets.isEmpty()) {
                values << id;
                exec(QStringLiteral("update ") + table + QStringLiteral(" set ") + sets.join(QLatin1Char(',')) + whereKey,
                     values);
            }
        }
    }
    // Debts of members no longer on file are owed by nobody.
    if (!tx.failed())
        exec(QStringLiteral("update qichudaorumingxi set qiankuanweihuan=0 where daoruID=?"), {doc});
    if (!tx.failed())
        execOne(QStringLiteral("update qichudaoru set zhuangtai='已撤销', chexiaoriqi=?, chexiaoren=? where ID=? "
                               "and zhuangtai='有效'"),
                {LedgerSql::now(), operatorName, doc}, QStringLiteral("该导入已经撤销过了"));
    if (!tx.failed())
        LedgerSql::log(operatorName, QStringLiteral("撤销期初导入  单号：") + doc);
    if (!tx.commit())
        return LedgerResult::failure(LedgerSql::failureText(what, tx.firstError(), QStringLiteral("没有撤销任何数据")));
    return LedgerResult::success(doc);
}

} // namespace

namespace OpeningImportFields {

QString kindName(ImportKind kind)
{
    switch (kind) {
    case ImportKind::Members:
        return QStringLiteral("会员");
    case ImportKind::ServiceItems:
        return QStringLiteral("服务项目");
    case ImportKind::Products:
        return QStringLiteral("产品");
    case ImportKind::CardTypes:
        return QStringLiteral("会员卡类型");
    }
    return QString();
}

ImportKind kindOfName(const QString &name)
{
    for (ImportKind k : {ImportKind::ServiceItems, ImportKind::Products, ImportKind::CardTypes})
        if (name == kindName(k))
            return k;
    return ImportKind::Members;
}

QString tableOf(ImportKind kind)
{
    return kind == ImportKind::Members ? QStringLiteral("huiyuan") : catalogueTable(kind).table;
}

QList<ImportField> fields(ImportKind kind)
{
    if (kind == ImportKind::Members)
        return {
            field("memberId", "会员卡号", words("会员卡号|卡号|会员编号|会员号|编号|会员id|id|huiyuanid|kahao|cardno|card"),
                  false, "1001"),
            field("name", "会员姓名", words("会员姓名|姓名|名字|客户姓名|顾客姓名|会员名称|name|xingming"), true, "张三"),
            field("sex", "性别", words("性别|sex|xingbie|gender"), false, "女"),
            field("phone", "电话", words("电话|手机|手机号|手机号码|电话号码|联系电话|联系方式|phone|mobile|tel|dianhua|shouji"),
                  false, "13800138000"),
            field("birthday", "生日", words("生日|出生日期|birthday|shengri"), false, "1990-05-01"),
            field("cardType", "会员卡类型", words("会员卡类型|卡类型|会员类别|会员类型|会员等级|卡种|type|leixing|kaleixing"),
                  false, "金卡"),
            field("balance", "卡内余额", words("卡内余额|余额|储值余额|剩余金额|卡余额|本金余额|shengyujine|yue|balance"),
                  false, "500.00"),
            field("bonus", "赠送余额", words("赠送余额|赠送金额|赠金|赠送|zengsong|bonus"), false, "50.00"),
            field("points", "积分", words("积分|剩余积分|当前积分|jifen|points"), false, "120"),
            field("debt", "欠款", words("欠款|欠款金额|欠费|qiankuan|debt"), false, "0"),
            field("uses", "套餐次数", words("套餐次数|剩余次数|套餐|次卡|taocan|cishu"), false, "剪发:10;烫发:2"),
            field("expiry", "到期时间", words("到期时间|到期日期|有效期|到期|daoqi|expiry"), false, "2026-12-31"),
            field("address", "地址", words("地址|住址|address|dizhi"), false, ""),
            field("referrer", "介绍人", words("介绍人|推荐人|jieshaoren"), false, ""),
            field("withinCode", "内码", words("内码|within_code|neima"), false, ""),
            field("height", "身高", words("身高|height"), false, ""),
            field("age", "年龄", words("年龄|age"), false, ""),
            field("remark", "备注", words("备注|说明|beizhu|remark|note"), false, ""),
        };
    if (kind == ImportKind::CardTypes)
        return {
            field("name", "会员卡名称", words("会员卡名称|卡名称|会员卡类型|卡类型|会员卡|卡种|会员等级|名称|name|kaming|mingcheng"),
                  true, "金卡"),
            field("kaneijine", "卡内金额", words("卡内金额|卡值|面值|储值金额|充值金额|kaneijine|value"), false, "1000.00"),
            field("jiage", "售价", words("售价|价格|办卡金额|办卡价格|交费金额|jiage|price"), false, "800.00"),
            field("fuwuzekou", "服务折扣", words("服务折扣|项目折扣|服务项目折扣|fuwuzekou"), false, "0.9"),
            field("chanpinzekou", "产品折扣", words("产品折扣|商品折扣|chanpinzekou"), false, "0.95"),
            field("taocanzekou", "套餐折扣", words("套餐折扣|taocanzekou"), false, "1"),
            field("beizhu", "备注", words("备注|说明|beizhu|remark"), false, ""),
        };
    if (kind == ImportKind::ServiceItems)
        return {
            field("ID", "项目编号", words("项目编号|编号|项目代码|代码|id|bianhao|code"), true, "F001"),
            field("name", "项目名称", words("项目名称|名称|项目|服务项目|name|mingcheng"), true, "洗剪吹"),
            field("leibie", "所属类别", words("所属类别|类别|分类|项目类型|leibie|category"), false, "美发"),
            field("fuwushijian", "服务时间", words("服务时间|时长|分钟|fuwushijian"), false, "30"),
            field("xiaoshoujiage", "单价", words("单价|价格|售价|销售价格|xiaoshoujiage|price"), true, "38.00"),
            field("chengbenjiage", "成本价", words("成本价|成本|chengbenjiage|cost"), false, "10.00"),
            field("dijia", "底价", words("底价|最低价|dijia"), false, "30.00"),
            field("beizhu", "备注", words("备注|说明|beizhu|remark"), false, ""),
        };
    return {
        field("ID", "产品编号", words("产品编号|编号|商品编号|货号|id|bianhao|code"), true, "P001"),
        field("name", "产品名称", words("产品名称|名称|商品名称|品名|name|mingcheng"), true, "洗发水"),
        field("tiaoma", "产品条码", words("产品条码|条码|条形码|tiaoma|barcode"), false, "6901234567890"),
        field("leibie", "产品类别", words("产品类别|类别|分类|leibie|category"), false, "洗护"),
        field("danwei", "产品单位", words("产品单位|单位|danwei|unit"), false, "瓶"),
        field("guige", "产品规格", words("产品规格|规格|guige|size"), false, "500ml"),
        field("jinhuojiage", "进货价格", words("进货价格|进价|进货价|成本价|jinhuojiage"), false, "20.00"),
        field("xiaoshoujiage", "销售价格", words("销售价格|售价|单价|价格|零售价|xiaoshoujiage|price"), true, "58.00"),
        field("dijia", "底价", words("底价|最低价|dijia"), false, "45.00"),
        field("beizhu", "备注", words("备注|说明|beizhu|remark"), false, ""),
    };
}

QMap<int, QString> guess(ImportKind kind, const QStringList &header)
{
    QMap<int, QString> out;
    QSet<QString> taken;
    const QList<ImportField> all = fields(kind);
    // Exact names first, then names that contain an alias (longest alias wins).
    for (int pass = 0; pass < 2; ++pass) {
        for (int c = 0; c < header.size(); ++c) {
            if (out.contains(c))
                continue;
            const QString h = folded(header.at(c));
            if (h.isEmpty())
                continue;
            if (kind == ImportKind::Members && pass == 0) {
                const QString item = usesItemOfHeader(header.at(c));
                if (!item.isEmpty()) {
                    out.insert(c, QString::fromLatin1(kUsesColumnPrefix) + item);
                    continue;
                }
            }
            QString best;
            int bestLength = 0;
            for (const ImportField &f : all) {
                if (taken.contains(f.key))
                    continue;
                for (const QString &a : f.aliases) {
                    const QString fa = folded(a);
                    const bool hit = pass == 0 ? h == fa : fa.size() >= 2 && h.contains(fa);
                    if (hit && fa.size() > bestLength) {
                        best = f.key;
                        bestLength = fa.size();
                    }
                }
            }
            if (!best.isEmpty()) {
                out.insert(c, best);
                taken.insert(best);
            }
        }
    }
    return out;
}

QStringList templateHeader(ImportKind kind)
{
    QStringList out;
    for (const ImportField &f : fields(kind))
        out << f.caption;
    return out;
}

QStringList templateSample(ImportKind kind)
{
    QStringList out;
    for (const ImportField &f : fields(kind))
        out << f.example;
    return out;
}

bool saveTemplate(ImportKind kind, const QString &path, QString *error)
{
    const QList<ImportField> all = fields(kind);
    if (path.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive)) {
        QList<XlsxFile::Column> columns;
        for (const ImportField &f : all) {
            // Money as numbers with two decimals; every other cell as text, so
            // that a card number keeps its zeros and a date stays as typed.
            const bool money = QStringList{QStringLiteral("balance"),       QStringLiteral("bonus"),
                                           QStringLiteral("debt"),          QStringLiteral("xiaoshoujiage"),
                                           QStringLiteral("chengbenjiage"), QStringLiteral("dijia"),
                                           QStringLiteral("jinhuojiage"),   QStringLiteral("kaneijine"),
                                           QStringLiteral("jiage")}
                                   .contains(f.key);
            columns << XlsxFile::Column{f.caption, money ? XlsxFile::CellKind::Money : XlsxFile::CellKind::Text};
        }
        XlsxFile::Writer w(columns, kindName(kind) + QStringLiteral("导入模板"));
        w.addRow(templateSample(kind));
        return w.save(path, error);
    }
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) {
        *error = f.errorString();
        return false;
    }
    const QByteArray bytes = QByteArray("\xEF\xBB\xBF") + CsvExport::line(templateHeader(kind)).toUtf8()
                             + CsvExport::line(templateSample(kind)).toUtf8();
    if (f.write(bytes) != bytes.size() || !f.commit()) {
        *error = f.errorString();
        return false;
    }
    return true;
}

} // namespace OpeningImportFields

namespace OpeningImportWriter {

OpeningImport fromSheet(ImportKind kind, const Sheet &sheet, const QMap<int, QString> &mapping)
{
    OpeningImport im;
    im.kind = kind;
    im.sheetRows = sheet.rows.size();
    QMap<QString, int> columnOf;
    QList<QPair<int, QString>> usesColumns; // column, item
    for (auto it = mapping.cbegin(); it != mapping.cend(); ++it) {
        if (it.value().startsWith(QLatin1String(kUsesColumnPrefix)))
            usesColumns << qMakePair(it.key(), it.value().mid(int(qstrlen(kUsesColumnPrefix))));
        else if (!it.value().isEmpty())
            columnOf.insert(it.value(), it.key());
    }
    const QList<ImportField> all = OpeningImportFields::fields(kind);
    for (const ImportField &f : all)
        if (f.required && !columnOf.contains(f.key)) {
            im.problems << RowProblem{1, f.caption, QStringLiteral("没有对应“%1”的列，请在列对应中选择").arg(f.caption)};
        }
    if (!im.problems.isEmpty())
        return im;
    for (int r = 0; r < sheet.rows.size(); ++r) {
        const int row = sheet.rowNumbers.value(r, r + 2);
        Reader rd{&im, columnOf, sheet.header, sheet.rows.at(r), row, true, {}};
        if (kind == ImportKind::Members) {
            MemberOpening m;
            m.row = row;
            m.memberId = rd.text(QStringLiteral("memberId"));
            m.name = rd.text(QStringLiteral("name"));
            if (m.name.isEmpty())
                rd.problem(QStringLiteral("name"), QStringLiteral("缺少会员姓名"));
            bool ok = true;
            m.sex = normalSex(rd.text(QStringLiteral("sex")), &ok);
            if (!ok)
                rd.problem(QStringLiteral("sex"), QStringLiteral("性别只能是“男”或“女”"));
            m.phone = rd.text(QStringLiteral("phone"));
            m.phone.remove(QLatin1Char(' ')).remove(QLatin1Char('-'));
            static const QRegularExpression phoneShape(QStringLiteral("^\\+?[0-9]{3,20}$"));
            if (!m.phone.isEmpty() && !phoneShape.match(m.phone).hasMatch())
                rd.problem(QStringLiteral("phone"), QStringLiteral("电话“%1”只能由数字组成").arg(m.phone));
            if (!m.memberId.isEmpty() && m.memberId.size() > 32)
                rd.problem(QStringLiteral("memberId"), QStringLiteral("会员卡号太长"));
            m.birthday = rd.date(QStringLiteral("birthday"), QStringLiteral("生日"));
            m.expiry = rd.date(QStringLiteral("expiry"), QStringLiteral("到期时间"));
            m.cardType = rd.text(QStringLiteral("cardType"));
            m.balanceCents = rd.money(QStringLiteral("balance"), QStringLiteral("卡内余额"));
            m.bonusCents = rd.money(QStringLiteral("bonus"), QStringLiteral("赠送余额"));
            m.debtCents = rd.money(QStringLiteral("debt"), QStringLiteral("欠款"));
            // Points are kept to thousandths (a refund takes back its share of them).
            m.points = rd.count(QStringLiteral("points"), QStringLiteral("积分"), 3);
            m.address = rd.text(QStringLiteral("address"));
            m.referrer = rd.text(QStringLiteral("referrer"));
            m.remark = rd.text(QStringLiteral("remark"));
            m.withinCode = rd.text(QStringLiteral("withinCode"));
            m.height = rd.text(QStringLiteral("height"));
            m.age = rd.text(QStringLiteral("age"));
            QString why;
            if (!parseUsesList(rd.text(QStringLiteral("uses")), &m.uses, &why))
                rd.problem(QStringLiteral("uses"), why);
            for (const auto &uc : usesColumns) {
                const QString t = sheet.rows.at(r).value(uc.first).trimmed();
                const CountInput n = parseCountInput(t, QStringLiteral("次数"), 0);
                if (!n.ok) {
                    im.problems << RowProblem{row, sheet.header.value(uc.first), usesRefusal(n)};
                    rd.good = false;
                } else if (n.value > 0) {
                    m.uses << qMakePair(uc.second, qint64(n.value));
                }
            }
            m.given = rd.given;
            im.members << m;
        } else {
            CatalogueOpening c;
            c.row = row;
            const CatalogueTable t = catalogueTable(kind);
            for (const ImportField &f : all) {
                if (t.moneyColumns.contains(f.key)) {
                    const qint64 cents = rd.money(f.key, f.caption);
                    c.fields.insert(f.key, centsText(cents));
                } else if (f.key == QLatin1String("fuwushijian")) {
                    c.fields.insert(f.key, QString::number(rd.count(f.key, f.caption, 0)));
                } else if (t.factorColumns.contains(f.key)) {
                    QString why;
                    c.fields.insert(f.key, normalFactor(rd.text(f.key), f.caption, &why));
                    if (!why.isEmpty())
                        rd.problem(f.key, why);
                } else {
                    c.fields.insert(f.key, rd.text(f.key));
                }
                if (f.required && rd.text(f.key).isEmpty())
                    rd.problem(f.key, QStringLiteral("缺少") + f.caption);
            }
            // A card type's name is what members, rules and receipts show.
            if (kind == ImportKind::CardTypes) {
                const QString tooLong = TextLimits::refusal(QStringLiteral("会员卡名称"), c.fields.value(t.key), TextLimits::kName);
                if (!tooLong.isEmpty())
                    rd.problem(t.key, tooLong);
            }
            c.given = rd.given;
            im.items << c;
        }
    }
    return im;
}

ImportCheck dryRun(const OpeningImport &import)
{
    ShopNow shop;
    shop.load(import.kind);
    ImportCheck check;
    plan(import, shop, &check);
    return check;
}

LedgerResult write(const OpeningImport &import, const ImportProgress &progress, ImportCheck *check)
{
    return retryOnConflict([&] { return writeOnce(import, progress, check); });
}

LedgerResult takeBack(const QString &documentId, const QString &operatorName)
{
    return retryOnConflict([&] { return takeBackOnce(documentId, operatorName); });
}

int exportSheet(ImportKind kind, const QString &path, QString *error)
{
    const QStringList header = OpeningImportFields::templateHeader(kind);
    QList<QStringList> rows;
    if (kind == ImportKind::Members) {
        QHash<QString, QStringList> uses;
        for (const QVariantList &u : LedgerSql::rows(QStringLiteral(
                 "select huiyuanID, xiangmuID, ROUND(sum(shengyucishu),3) from huiyuantaocan group by huiyuanID, xiangmuID "
                 "having sum(shengyucishu)>0 order by huiyuanID, xiangmuID")))
            uses[u.value(0).toString()] << u.value(1).toString() + QLatin1Char(':') + QString::number(u.value(2).toDouble());
        // In the order of fields(Members).
        for (const QVariantList &m : LedgerSql::rows(QStringLiteral(
                 "select ID,name,sex,phone,substr(birthday,1,10),type,coalesce(jifen,0),substr(daoqi_time,1,10),address,"
                 "jieshaoren,within_code,height,age,beizhu from huiyuan order by ID"))) {
            const QString id = m.value(0).toString();
            const StoredValue v = BalanceBook::storedValue(id);
            rows << QStringList{id,
                                m.value(1).toString(),
                                m.value(2).toString(),
                                m.value(3).toString(),
                                m.value(4).toString(),
                                m.value(5).toString(),
                                centsText(v.balanceCents - v.bonusCents),
                                centsText(v.bonusCents),
                                QString::number(m.value(6).toDouble(), 'f', 3).remove(QRegularExpression(QStringLiteral("\\.?0+$"))),
                                centsText(v.debtCents),
                                uses.value(id).join(QLatin1Char(';')),
                                m.value(7).toString(),
                                m.value(8).toString(),
                                m.value(9).toString(),
                                m.value(10).toString(),
                                m.value(11).toString(),
                                m.value(12).toString(),
                                m.value(13).toString()};
        }
    } else {
        const CatalogueTable t = catalogueTable(kind);
        for (const QVariantList &r : LedgerSql::rows(QStringLiteral("select ") + t.columns.join(QLatin1Char(','))
                                                     + QStringLiteral(" from ") + t.table + QStringLiteral(" order by ID"))) {
            QStringList row;
            for (int i = 0; i < t.columns.size(); ++i)
                row << (t.moneyColumns.contains(t.columns.at(i)) ? centsText(yuanToCents(r.value(i).toDouble()))
                                                                  : r.value(i).toString());
            rows << row;
        }
    }
    if (path.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive)) {
        QList<XlsxFile::Column> columns;
        for (const QString &h : header)
            columns << XlsxFile::Column{h, XlsxFile::CellKind::Text};
        XlsxFile::Writer w(columns, OpeningImportFields::kindName(kind));
        for (const QStringList &r : rows)
            w.addRow(r);
        return w.save(path, error) ? rows.size() : -1;
    }
    QByteArray bytes("\xEF\xBB\xBF");
    bytes += CsvExport::line(header).toUtf8();
    for (const QStringList &r : rows)
        bytes += CsvExport::line(r).toUtf8();
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit()) {
        *error = f.errorString();
        return -1;
    }
    return rows.size();
}

QStringList cardTypeNames()
{
    QStringList out;
    for (const QVariantList &r : LedgerSql::rows(QStringLiteral("select name from huiyuanka order by ID")))
        out << r.value(0).toString();
    return out;
}

} // namespace OpeningImportWriter
