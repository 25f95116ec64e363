#include "membersummary.h"
#include "sqltext.h"

#include "amounts.h"
#include "ledgersql.h"
#include "ledgertypes.h"

#include <limits>
#include <QVariantList>
#include <cmath>

namespace {
// The card's columns, the adviser's name, the member's running totals (kept
// by the writers' triggers beside every row they sum, so that a member found
// at the desk costs one row instead of their whole history) and the last
// points balance: the columns of huiyuan h and rihuizong_huiyuanleiji s.
const char kColumns[] =
    "h.ID,h.name,h.type,h.birthday,h.phone,h.guwenrenyuan,h.jifen,coalesce(h.shengyujine,0),"
    "(select name from yuangong where ID=h.guwenrenyuan),coalesce(h.jiaofeijinE,0),coalesce(s.jiaofei_fen,0),"
    "coalesce(s.xiaofei_fen,0),(select shengyujifen from huiyuanjifen where huiyuanid=h.ID order by ID desc LIMIT 1),"
    "coalesce(s.qiankuan_fen,0),coalesce(s.shengyucishu,0)";

// select <the columns> from huiyuan h, the totals joined, then `rest`.
QString memberSelect(const QString &extraColumns, const QString &from, const QString &rest)
{
    return QStringLiteral("select ") + QLatin1String(kColumns) + extraColumns + QStringLiteral(" from ") + from
           + QStringLiteral(" left join rihuizong_huiyuanleiji s on s.huiyuanid=h.ID ") + rest;
}

MemberSummary fromRow(const QVariantList &r)
{
    MemberSummary m;
    m.id = r.value(0).toString();
    m.name = r.value(1).toString();
    m.cardType = r.value(2).toString();
    m.birthday = r.value(3).toString();
    m.phone = r.value(4).toString();
    m.adviserId = r.value(5).toString();
    m.cardPoints = r.value(6).toDouble();
    m.balanceCents = yuanToCents(r.value(7).toDouble());
    m.adviserName = r.value(8).toString();
    if (m.adviserName.isEmpty())
        m.adviserName = m.adviserId;
    // The card's own price as stored, then the payments into it, already in cents.
    m.paidInCents = yuanToCents(r.value(9).toDouble()) + r.value(10).toLongLong();
    m.spentCents = r.value(11).toLongLong();
    m.points = r.value(12).isNull() ? m.cardPoints : r.value(12).toDouble();
    m.debtCents = r.value(13).toLongLong();
    m.usesLeft = r.value(14).toDouble();
    m.walkIn = m.id == QLatin1String(kWalkInId);
    return m;
}

} // namespace

QString MemberSummary::birthdayShown() const
{
    return birthday.size() >= 10 ? birthday.mid(5, 5) : birthday;
}

MemberSummary MemberSummary::read(const QString &memberId)
{
    if (memberId.isEmpty())
        return MemberSummary();
    static const QString sql = memberSelect(QString(), QStringLiteral("huiyuan h"), QStringLiteral("where h.ID=?"));
    const QList<QVariantList> rows = LedgerSql::rows(sql, {memberId});
    return rows.isEmpty() ? MemberSummary() : fromRow(rows.first());
}

MemberSummary MemberSummary::walkInCustomer()
{
    MemberSummary m;
    m.id = QString::fromLatin1(kWalkInId);
    m.name = QStringLiteral("散客");
    m.walkIn = true;
    return m;
}

MemberSummary MemberSummary::of(const QString &memberId)
{
    return memberId == QLatin1String(kWalkInId) ? walkInCustomer() : read(memberId);
}

bool MemberSummary::exists(const QString &memberId)
{
    return !memberId.isEmpty()
        && LedgerSql::value(QStringLiteral("select 1 from huiyuan where ID=? LIMIT 1"), {memberId}).isValid();
}

QString MemberSummary::cardExpiry(const QString &memberId)
{
    return LedgerSql::value(QStringLiteral("select coalesce(daoqi_time,'') from huiyuan where ID=?"), {memberId})
        .toString()
        .trimmed();
}

std::optional<MemberFormFields> MemberSummary::formFields(const QString &memberId)
{
    const QList<QVariantList> rows = LedgerSql::rows(
        QStringLiteral("select birthday,daoqi_time,password1,password2,guwenrenyuan,beizhu from huiyuan where ID=?"),
        {memberId});
    if (rows.size() != 1)
        return std::nullopt;
    const QVariantList &r = rows.first();
    return MemberFormFields{r.value(0).toString(), r.value(1).toString(), r.value(2).toString(),
                            r.value(3).toString(), r.value(4).toString(), r.value(5).toString()};
}

qlonglong MemberSummary::nextNumber()
{
    // bianhao_shu is mochen_int(ID), kept by the engine: the highest is one index look-up.
    const QVariant highest = LedgerSql::value(QStringLiteral("select max(bianhao_shu) from huiyuan"));
    if (highest.isNull())
        return 1;
    const qlonglong h = highest.toLongLong();
    return h < std::numeric_limits<qlonglong>::max() ? h + 1 : h;
}

QString MemberSummary::lastRegistered()
{
    return LedgerSql::value(QStringLiteral("select ID from huiyuan ORDER BY login_time desc LIMIT 1")).toString();
}

QStringList MemberSummary::search(const QString &text, int limit)
{
    QStringList out;
    for (const MemberSummary &m : find(text, limit))
        out << m.id;
    return out;
}

QList<MemberSummary> MemberSummary::find(const QString &text, int limit)
{
    QList<MemberSummary> found;
    if (!text.isEmpty()) {
        // The card number and the names and phones that begin with the text in
        // one statement, each member read with them (one round trip to a server
        // instead of three). Every text that begins with `text` sorts from it up
        // to it followed by the last code point: both columns' indexes serve the range.
        const QString upTo = text + QString::fromUcs4(U"\U0010FFFF");
        // After the card number, the first by name and the first by phone, each in
        // its index's order, so that both engines pick the same members when more
        // than `limit` match ("王"), without sorting every match.
        static const QString prefixes = memberSelect(
            QStringLiteral(", f.k"),
            QStringLiteral("(select ID as ID, 0 as k from huiyuan where ID=? union all select ID, 1 from (select ID from "
                           "(select ID from huiyuan where name >= ? and name < ? order by name, ID LIMIT ?) n union "
                           "select ID from (select ID from huiyuan where phone >= ? and phone < ? order by phone, ID "
                           "LIMIT ?) p order by ID LIMIT ?) b) f join huiyuan h on h.ID=f.ID"),
            QStringLiteral("order by f.k, h.ID"));
        const QList<QVariantList> rows = LedgerSql::rows(prefixes,
            {text, text, upTo, limit, text, upTo, limit, limit});
        // A card number names one member: it wins over names and phones.
        for (const QVariantList &r : rows)
            if (r.value(15).toInt() == 0)
                return {fromRow(r)};
        for (const QVariantList &r : rows)
            found << fromRow(r);
        if (!found.isEmpty())
            return found;
    }
    const QString contains = likeContaining(text);
    static const QString containing = memberSelect(
        QString(), QStringLiteral("huiyuan h"),
        QStringLiteral("where lower(h.name) like lower(?) escape '\\' or lower(h.phone) like lower(?) escape '\\' "
                       "order by h.ID LIMIT ?"));
    for (const QVariantList &r : LedgerSql::rows(containing, {contains, contains, limit}))
        found << fromRow(r);
    return found;
}
