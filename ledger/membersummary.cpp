#include "membersummary.h"
#include "sqltext.h"

#include "amounts.h"
#include "bookingbook.h"
#include "ledgersql.h"
#include "ledgertypes.h"
#include "visitnotes.h"

#include <QDateTime>

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

// The panel's notes after the member's columns: the booking line (15, 16) and
// one visit warning a row (17), the member's row repeated for each of them, in
// VisitNotes::warnings' order. A member chosen at the desk is then one
// statement instead of three: on a shop server each is a round trip.
QString notesColumns()
{
    return QLatin1Char(',') + BookingBook::memberColumns() + QStringLiteral(",g.jinggao");
}
const char kWarnings[] = "left join gukedangan g on g.huiyuanid=h.ID and g.jinggao<>'' ";
const char kWarningOrder[] = "g.riqi desc, g.jianlishijian desc";

// Rows of notesColumns(), each member's rows together: one value a member.
QList<MemberSummary> withNotes(const QList<QVariantList> &rows)
{
    QList<MemberSummary> out;
    for (const QVariantList &r : rows) {
        if (out.isEmpty() || out.last().id != r.value(0).toString()) {
            out << fromRow(r);
            MemberSummary &m = out.last();
            m.notesRead = true;
            m.noShows = r.value(15).toInt();
            m.nextBooking = r.value(16).toString();
        }
        if (!r.value(17).isNull())
            VisitNotes::addWarning(out.last().warnings, r.value(17).toString());
    }
    return out;
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

MemberSummary MemberSummary::readWithNotes(const QString &memberId)
{
    if (memberId.isEmpty())
        return MemberSummary();
    static const QString sql = memberSelect(notesColumns(), QStringLiteral("huiyuan h"),
                                            QLatin1String(kWarnings) + QStringLiteral("where h.ID=? order by ")
                                                + QLatin1String(kWarningOrder));
    const QList<MemberSummary> found =
        withNotes(LedgerSql::rows(sql, BookingBook::memberColumnValues(QDateTime::currentDateTime()) << memberId));
    return found.isEmpty() ? MemberSummary() : found.first();
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
    const QVariantList notes = BookingBook::memberColumnValues(QDateTime::currentDateTime());
    if (!text.isEmpty()) {
        // The card number and the names and phones that begin with the text in
        // one statement, each member read with them (one round trip to a server
        // instead of three). Every text that begins with `text` sorts from it up
        // to it followed by the last code point: both columns' indexes serve the range.
        const QString upTo = text + QString::fromUcs4(U"\U0010FFFF");
        // After the card number, the first by name and the first by phone, each in
        // its index's order, so that both engines pick the same members when more
        // than `limit` match ("王"), without sorting every match.
        // The search's values come in as one row (v) that the statement reads:
        // the server cannot see them when it plans, so its plan is the same for
        // every search and it keeps it, where values it can see (a phone number's
        // range, the limit) made it plan the statement anew at every search
        // (0.5–0.7 ms, most of the statement's time). SQLite's plan is the same.
        static const QString prefixes =
            QStringLiteral("with v(t, upto, lim) as (select cast(? as text), cast(? as text), cast(? as integer)) ")
            + memberSelect(
                notesColumns() + QStringLiteral(", f.k"),
                QStringLiteral("(select ID as ID, 0 as k from huiyuan where ID=(select t from v) union all select ID, 1 "
                               "from (select ID from (select ID from huiyuan where name >= (select t from v) and name < "
                               "(select upto from v) order by name, ID LIMIT (select lim from v)) n union select ID from "
                               "(select ID from huiyuan where phone >= (select t from v) and phone < (select upto from v) "
                               "order by phone, ID LIMIT (select lim from v)) p order by ID LIMIT (select lim from v)) b) f "
                               "join huiyuan h on h.ID=f.ID"),
                QLatin1String(kWarnings) + QStringLiteral("order by f.k, h.ID, ") + QLatin1String(kWarningOrder));
        const QList<QVariantList> rows = LedgerSql::rows(prefixes, QVariantList{text, upTo, limit} + notes);
        // A card number names one member: it wins over names and phones.
        QList<QVariantList> card;
        for (const QVariantList &r : rows)
            if (r.value(18).toInt() == 0)
                card << r;
        if (!card.isEmpty())
            return withNotes(card);
        if (!rows.isEmpty())
            return withNotes(rows);
    }
    const QString contains = likeContaining(text);
    static const QString containing = memberSelect(
        notesColumns(),
        QStringLiteral("(select ID from huiyuan where lower(name) like lower(?) escape '\\' or lower(phone) like lower(?) "
                       "escape '\\' order by ID LIMIT ?) f join huiyuan h on h.ID=f.ID"),
        QLatin1String(kWarnings) + QStringLiteral("order by h.ID, ") + QLatin1String(kWarningOrder));
    return withNotes(LedgerSql::rows(containing, notes + QVariantList{contains, contains, limit}));
}
