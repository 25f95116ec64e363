#include "membersummary.h"
#include "sqltext.h"

#include "amounts.h"
#include "ledgersql.h"
#include "ledgertypes.h"

#include <limits>
#include <QVariantList>
#include <cmath>

namespace {
// One row: the card's columns, then each sum by its own key lookup.
const char *kRead =
    "select h.ID,h.name,h.type,h.birthday,h.phone,h.guwenrenyuan,h.jifen,coalesce(h.shengyujine,0),"
    "(select name from yuangong where ID=h.guwenrenyuan),"
    "coalesce(h.jiaofeijinE,0)+coalesce((select sum(yingjiaojine) from huiyuanjiaofei where huiyuanid=h.ID and "
    "jiaofeileixing in ('会员充值','会员卡升级','退储值')),0),"
    "coalesce((select ROUND(sum(jine),3) from huiyuanxiaofei where huiyuanid=h.ID),0),"
    "(select shengyujifen from huiyuanjifen where huiyuanid=h.ID order by ID desc LIMIT 1),"
    "(select coalesce(sum(qiankuanjine),0) from huiyuanxiaofei where huiyuanid=h.ID)+(select coalesce(sum(qiankuanjine),0) "
    "from huiyuanjiaofei where huiyuanid=h.ID)+(select coalesce(sum(qiankuanweihuan),0) from qichudaorumingxi where "
    "duixiang=h.ID and qiankuandanhao is not null),"
    "(select coalesce(sum(shengyucishu),0) from huiyuantaocan where huiyuanID=h.ID) "
    "from huiyuan h where h.ID=?";

QStringList ids(const QList<QVariantList> &rows)
{
    QStringList out;
    for (const QVariantList &r : rows)
        out << r.value(0).toString();
    return out;
}
} // namespace

QString MemberSummary::birthdayShown() const
{
    return birthday.size() >= 10 ? birthday.mid(5, 5) : birthday;
}

MemberSummary MemberSummary::read(const QString &memberId)
{
    MemberSummary m;
    if (memberId.isEmpty())
        return m;
    const QList<QVariantList> rows = LedgerSql::rows(QString::fromUtf8(kRead), {memberId});
    if (rows.isEmpty())
        return m;
    const QVariantList &r = rows.first();
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
    m.paidInCents = yuanToCents(r.value(9).toDouble());
    m.spentCents = yuanToCents(r.value(10).toDouble());
    m.points = r.value(11).isNull() ? m.cardPoints : r.value(11).toDouble();
    m.debtCents = qRound64(r.value(12).toDouble() * 100);
    m.usesLeft = r.value(13).toDouble();
    m.walkIn = m.id == QLatin1String(kWalkInId);
    return m;
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
    if (!text.isEmpty()) {
        // The card number and the names and phones that begin with the text in
        // one statement (one round trip to a server instead of two). Every
        // text that begins with `text` sorts from it up to it followed by the
        // last code point: both columns' indexes serve the range.
        const QString upTo = text + QString::fromUcs4(U"\U0010FFFF");
        // After the card number, the first by name and the first by phone, each in
        // its index's order, so that both engines pick the same members when more
        // than `limit` match ("王"), without sorting every match.
        const QList<QVariantList> rows = LedgerSql::rows(
            QStringLiteral("select ID, 0 from huiyuan where ID=? union all select ID, 1 from (select ID from "
                           "(select ID from huiyuan where name >= ? and name < ? order by name, ID LIMIT ?) n union "
                           "select ID from (select ID from huiyuan where phone >= ? and phone < ? order by phone, ID "
                           "LIMIT ?) p order by ID LIMIT ?) b order by 2, 1"),
            {text, text, upTo, limit, text, upTo, limit, limit});
        // A card number names one member: it wins over names and phones.
        for (const QVariantList &r : rows)
            if (r.value(1).toInt() == 0)
                return {r.value(0).toString()};
        if (!rows.isEmpty())
            return ids(rows);
    }
    const QString contains = likeContaining(text);
    return ids(LedgerSql::rows(QStringLiteral("select ID from huiyuan where lower(name) like lower(?) escape '\\' "
                                              "or lower(phone) like lower(?) escape '\\' order by ID LIMIT ?"),
                               {contains, contains, limit}));
}
