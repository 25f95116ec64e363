#include "visitnotes.h"

#include "conflictretry.h"
#include "ledgersql.h"
#include "textlimits.h"
#include "transactionscope.h"

using LedgerSql::execOne;
using LedgerSql::refuse;
using LedgerSql::value;

namespace {

const char kNoteColumns[] =
    "select a.ID,a.huiyuanid,a.riqi,a.yuangongID,a.fuwuneirong,a.peifang,a.chanpin,a.jinggao,a.beizhu,a.xiaofeiID,"
    "a.caozuoyuan,coalesce(e.name,a.yuangongID),a.jianlishijian,"
    "(select count(*) from gukedangantupian p where p.danganID=a.ID) "
    "from gukedangan a left join yuangong e on e.ID=a.yuangongID ";

VisitNote noteOf(const QVariantList &r)
{
    VisitNote n;
    n.id = r.value(0).toString();
    n.memberId = r.value(1).toString();
    n.date = r.value(2).toString();
    n.employeeId = r.value(3).toString();
    n.service = r.value(4).toString();
    n.formula = r.value(5).toString();
    n.products = r.value(6).toString();
    n.warning = r.value(7).toString();
    n.remark = r.value(8).toString();
    n.saleId = r.value(9).toString();
    n.operatorName = r.value(10).toString();
    n.employeeName = r.value(11).toString();
    n.writtenAt = r.value(12).toString();
    n.pictureCount = r.value(13).toInt();
    return n;
}

bool blank(const VisitNote &n)
{
    for (const QString *s : {&n.service, &n.formula, &n.products, &n.warning, &n.remark})
        if (!s->trimmed().isEmpty())
            return false;
    return true;
}

QString logText(const QString &what, const QString &memberId, const QString &noteId)
{
    return what + QStringLiteral("  会员号：") + memberId + QStringLiteral("  档案号：") + noteId;
}

LedgerResult saveOnce(const VisitNote &n, const QList<VisitPicture> &added, const QList<int> &removed)
{
    if (n.memberId.trimmed().isEmpty() || n.memberId == QLatin1String(kWalkInId))
        return LedgerResult::failure(QStringLiteral("请先选择一个会员，散客没有顾客档案"));
    if (blank(n))
        return LedgerResult::failure(QStringLiteral("请填写服务内容、配方、使用产品或注意事项"));
    if (n.date.size() != 10)
        return LedgerResult::failure(QStringLiteral("请填写服务日期"));
    for (const VisitPicture &p : added) {
        if (p.bytes.isEmpty())
            return LedgerResult::failure(QStringLiteral("图片“%1”无法读取").arg(p.fileName));
        if (p.bytes.size() > VisitNotes::kMaxPictureBytes)
            return LedgerResult::failure(QStringLiteral("图片“%1”太大（不能超过2MB）").arg(p.fileName));
    }

    TransactionScope tx;
    if (!value(QStringLiteral("select 1 from huiyuan where ID=?"), {n.memberId}).isValid())
        refuse(QStringLiteral("找不到该会员，可能已被删除"));
    const bool fresh = n.id.isEmpty();
    QString id = n.id;
    if (!fresh && !tx.failed()
        && value(QStringLiteral("select huiyuanid from gukedangan where ID=?"), {id}).toString() != n.memberId)
        refuse(QStringLiteral("找不到这条顾客档案，可能已被另一台收银机删除"));
    if (tx.failed())
        return LedgerResult::failure(LedgerSql::failureText(QStringLiteral("顾客档案保存失败"), tx.firstError()));

    const QString now = LedgerSql::now();
    if (fresh) {
        id = LedgerSql::newDocumentId(QStringLiteral("DA"), QStringLiteral("顾客档案"), n.operatorName);
        execOne(QStringLiteral("insert into gukedangan(ID,huiyuanid,riqi,yuangongID,fuwuneirong,peifang,chanpin,jinggao,"
                               "beizhu,xiaofeiID,caozuoyuan,shouyintai,jianlishijian,xiugaishijian) "
                               "values(?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
                {id, n.memberId, n.date, n.employeeId, n.service.trimmed(), n.formula.trimmed(), n.products.trimmed(),
                 n.warning.trimmed(), n.remark.trimmed(), n.saleId, n.operatorName, LedgerSql::desk(), now, now},
                QStringLiteral("顾客档案未写入"));
    } else {
        execOne(QStringLiteral("update gukedangan set riqi=?,yuangongID=?,fuwuneirong=?,peifang=?,chanpin=?,jinggao=?,"
                               "beizhu=?,xiugaishijian=? where ID=?"),
                {n.date, n.employeeId, n.service.trimmed(), n.formula.trimmed(), n.products.trimmed(),
                 n.warning.trimmed(), n.remark.trimmed(), now, id},
                QStringLiteral("顾客档案未修改"));
    }
    for (int number : removed)
        execOne(QStringLiteral("delete from gukedangantupian where danganID=? and xuhao=?"), {id, number},
                QStringLiteral("图片未删除，可能已被另一台收银机删除"));
    int next = value(QStringLiteral("select coalesce(max(xuhao),0) from gukedangantupian where danganID=?"), {id}).toInt();
    for (const VisitPicture &p : added)
        execOne(QStringLiteral("insert into gukedangantupian(danganID,xuhao,leixing,wenjianming,neirong,caozuoyuan,shijian) "
                               "values(?,?,?,?,?,?,?)"),
                {id, ++next, p.kind, p.fileName, QString::fromLatin1(p.bytes.toBase64()), n.operatorName, now},
                QStringLiteral("图片未写入"));
    if (value(QStringLiteral("select count(*) from gukedangantupian where danganID=?"), {id}).toInt()
        > VisitNotes::kMaxPicturesPerNote)
        refuse(QStringLiteral("每条档案最多%1张图片").arg(VisitNotes::kMaxPicturesPerNote));
    if (!tx.failed())
        LedgerSql::log(n.operatorName, logText(fresh ? QStringLiteral("增加顾客档案") : QStringLiteral("修改顾客档案"),
                                               n.memberId, id));
    return LedgerSql::committed(tx, QStringLiteral("顾客档案保存失败"), id);
}

LedgerResult removeOnce(const QString &noteId, const QString &operatorName)
{
    TransactionScope tx;
    const QString member = value(QStringLiteral("select huiyuanid from gukedangan where ID=?"), {noteId}).toString();
    if (member.isEmpty())
        refuse(QStringLiteral("找不到这条顾客档案，可能已被另一台收银机删除"));
    if (!tx.failed()) {
        LedgerSql::exec(QStringLiteral("delete from gukedangantupian where danganID=?"), {noteId});
        execOne(QStringLiteral("delete from gukedangan where ID=?"), {noteId}, QStringLiteral("顾客档案未删除"));
        LedgerSql::log(operatorName, logText(QStringLiteral("删除顾客档案"), member, noteId));
    }
    return LedgerSql::committed(tx, QStringLiteral("删除顾客档案失败"), noteId);
}

} // namespace

LedgerResult VisitNotes::save(const VisitNote &note, const QList<VisitPicture> &added, const QList<int> &removed)
{
    const QString tooLong = TextLimits::firstRefusal({{QStringLiteral("服务内容"), note.service, TextLimits::kNote},
                                                      {QStringLiteral("配方"), note.formula, TextLimits::kNote},
                                                      {QStringLiteral("使用产品"), note.products, TextLimits::kNote},
                                                      {QStringLiteral("过敏与注意"), note.warning, TextLimits::kNote},
                                                      {QStringLiteral("备注"), note.remark, TextLimits::kNote}});
    if (!tooLong.isEmpty())
        return LedgerResult::failure(tooLong + QStringLiteral("，档案未保存"));
    return retryOnConflict([&] { return saveOnce(note, added, removed); });
}

LedgerResult VisitNotes::remove(const QString &noteId, const QString &operatorName)
{
    return retryOnConflict([&] { return removeOnce(noteId, operatorName); });
}

QList<VisitNote> VisitNotes::find(const QString &memberId, const QString &text, int limit)
{
    QString sql = QString::fromUtf8(kNoteColumns) + QStringLiteral("where 1=1");
    QVariantList values;
    if (!memberId.isEmpty()) {
        sql += QStringLiteral(" and a.huiyuanid=?");
        values << memberId;
    }
    const QString t = text.trimmed();
    if (!t.isEmpty()) {
        // Typed text is a bound pattern: % and _ stay wildcards, quotes are harmless.
        sql += QStringLiteral(" and (lower(a.fuwuneirong) like lower(?) or lower(a.peifang) like lower(?) "
                              "or lower(a.chanpin) like lower(?) or lower(a.jinggao) like lower(?) "
                              "or lower(a.beizhu) like lower(?) or lower(coalesce(e.name,'')) like lower(?))");
        const QString pattern = QLatin1Char('%') + t + QLatin1Char('%');
        for (int i = 0; i < 6; ++i)
            values << pattern;
    }
    sql += QStringLiteral(" order by a.riqi desc, a.jianlishijian desc, a.ID desc LIMIT ?");
    values << qMax(1, limit);
    QList<VisitNote> out;
    for (const QVariantList &r : LedgerSql::rows(sql, values))
        out << noteOf(r);
    return out;
}

VisitNote VisitNotes::note(const QString &noteId)
{
    const QList<QVariantList> r =
        LedgerSql::rows(QString::fromUtf8(kNoteColumns) + QStringLiteral("where a.ID=?"), {noteId});
    return r.isEmpty() ? VisitNote() : noteOf(r.first());
}

QList<VisitPicture> VisitNotes::pictures(const QString &noteId)
{
    QList<VisitPicture> out;
    for (const QVariantList &r : LedgerSql::rows(
             QStringLiteral("select xuhao,leixing,wenjianming,neirong from gukedangantupian where danganID=? order by xuhao"),
             {noteId})) {
        VisitPicture p;
        p.number = r.value(0).toInt();
        p.kind = r.value(1).toString();
        p.fileName = r.value(2).toString();
        p.bytes = QByteArray::fromBase64(r.value(3).toString().toLatin1());
        out << p;
    }
    return out;
}

QStringList VisitNotes::warnings(const QString &memberId)
{
    QStringList out;
    if (memberId.isEmpty() || memberId == QLatin1String(kWalkInId))
        return out;
    for (const QVariantList &r :
         LedgerSql::rows(QStringLiteral("select jinggao from gukedangan where huiyuanid=? and jinggao<>'' "
                                        "order by riqi desc, jianlishijian desc"),
                         {memberId}))
        addWarning(out, r.value(0).toString());
    return out;
}

void VisitNotes::addWarning(QStringList &warnings, const QString &text)
{
    const QString w = text.trimmed();
    if (!w.isEmpty() && !warnings.contains(w))
        warnings << w;
}

QString VisitNotes::saleStylist(const QString &saleId)
{
    return value(QStringLiteral("select tichengyuangongID from xiaofeimingxi where ID=? and coalesce(tichengyuangongID,'')<>'' "
                                "order by case when xiaofeileixing='产品' then 1 else 0 end, rowid LIMIT 1"),
                 {saleId})
        .toString();
}
