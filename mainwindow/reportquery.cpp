#include "reportquery.h"

#include "ctrluiclass.h"
#include "sqltext.h"

#include <QMap>
#include <QRegularExpression>

namespace {

// " and (a like '%T%' or b like '%T%') " — the OR stays inside its parentheses so
// that every condition after it applies to every row.
QString likeAny(const QString &text, const QStringList &columns)
{
    const QString pattern = QStringLiteral("'%") + sqlEsc(text) + QStringLiteral("%'");
    QStringList parts;
    for (const QString &c : columns)
        parts << c + QStringLiteral(" like ") + pattern;
    return QStringLiteral(" and (") + parts.join(QStringLiteral(" or ")) + QStringLiteral(") ");
}

QString equals(const QString &column, const QString &value)
{
    return QStringLiteral(" and ") + column + QStringLiteral("='") + sqlEsc(value) + QStringLiteral("'");
}

QString endOfDay(const QString &date)
{
    return sqlEsc(date) + QStringLiteral(" 23:59:59");
}

} // namespace

QString ReportQuery::dateFilter(const QString &period, const QString &column,
                                const QString &start, const QString &end)
{
    if (period == QStringLiteral("其他")) {
        return QStringLiteral(" where ") + column + QStringLiteral(">='") + sqlEsc(start)
            + QStringLiteral("' and ") + column + QStringLiteral("<='") + endOfDay(end)
            + QStringLiteral("' ");
    }
    const QString where = ctrlUiClass::periodWhere(period, column);
    return where.trimmed().isEmpty() ? QStringLiteral(" where 1=1 ") : where;
}

bool ReportQuery::isAll(const QString &comboText)
{
    return comboText.isEmpty() || comboText == QStringLiteral("所有");
}

// The member's name as the sale lists show it: the walk-in customer has no member row.
static QString saleMemberName(const QString &sale, const QString &member)
{
    return QStringLiteral("(CASE WHEN ") + sale + QStringLiteral(".huiyuanid='0000' THEN '散客' ELSE ") + member
        + QStringLiteral(".name END)");
}

QString ReportQuery::consumptionStats(const QString &period, const QString &start, const QString &end,
                                      const QString &member, const QString &document,
                                      const QString &operatorName)
{
    QString s = dateFilter(period, QStringLiteral("a.xiaofeiriqi"), start, end);
    if (!member.isEmpty())
        s += likeAny(member, {saleMemberName(QStringLiteral("a"), QStringLiteral("b")), QStringLiteral("a.huiyuanid")});
    if (!document.isEmpty())
        s += likeAny(document, {QStringLiteral("a.ID"), QStringLiteral("a.beizhu")});
    if (!isAll(operatorName))
        s += likeAny(operatorName, {QStringLiteral("a.caozuoyuan")});
    return s + QStringLiteral(" GROUP BY a.ID");
}

QString ReportQuery::consumptionDetail(const QString &period, const QString &start, const QString &end,
                                       const QString &member, const QString &kind,
                                       const QString &itemName)
{
    QString s = dateFilter(period, QStringLiteral("b.xiaofeiriqi"), start, end);
    if (!member.isEmpty())
        s += likeAny(member, {saleMemberName(QStringLiteral("b"), QStringLiteral("c")), QStringLiteral("b.huiyuanid")});
    if (!isAll(kind))
        s += equals(QStringLiteral("xiaofeileixing"), kind);
    if (!itemName.isEmpty())
        s += equals(QStringLiteral("a.name"), itemName);
    return s + firstSaleRow();
}

// A sale paid in several ways (or repaid later) has several header rows: its lines
// are listed once, with the first of them, and stream in date order.
QString ReportQuery::firstSaleRow()
{
    return QStringLiteral(" and not exists (select 1 from huiyuanxiaofei e where e.ID=b.ID and e.rowid<b.rowid)");
}

QString ReportQuery::consumptionRanking(const QString &period, const QString &start, const QString &end,
                                        const QString &member, const QString &cardType)
{
    QString s = dateFilter(period, QStringLiteral("xiaofeiriqi"), start, end);
    if (!member.isEmpty())
        s += likeAny(member, {QStringLiteral("b.name"), QStringLiteral("b.ID")});
    if (!isAll(cardType))
        s += equals(QStringLiteral("b.type"), cardType);
    return s + QStringLiteral(" and a.huiyuanid=b.ID GROUP BY a.huiyuanid ORDER BY  消费金额 DESC");
}

QString ReportQuery::paymentStats(const QString &period, const QString &start, const QString &end,
                                  const QString &memberId, const QString &employee,
                                  const QString &operatorName, const QString &paymentType)
{
    QString s = dateFilter(period, QStringLiteral("jiaofeiriqi"), start, end);
    if (!memberId.isEmpty())
        s += equals(QStringLiteral("huiyuanid"), memberId);
    if (!employee.isEmpty())
        s += equals(QStringLiteral("yuangongName"), employee);
    if (!isAll(operatorName))
        s += equals(QStringLiteral("caozuoyuan"), operatorName);
    if (!isAll(paymentType))
        s += equals(QStringLiteral("jiaofeileixing"), paymentType);
    return s + QStringLiteral(" and a.huiyuanid=b.ID GROUP BY huiyuanid ORDER BY 实付金额 DESC  ");
}

QString ReportQuery::packageRanking(const QString &period, const QString &start, const QString &end,
                                    const QString &cardType)
{
    QString s = dateFilter(period, QStringLiteral("jiaofeiriqi"), start, end);
    if (!isAll(cardType))
        s += equals(QStringLiteral("b.type"), cardType);
    return s + QStringLiteral(" and a.huiyuanid=b.ID and jiaofeileixing='套餐交费' GROUP BY huiyuanid ORDER BY 实付金额 DESC");
}

QString ReportQuery::serviceAnalysis(const QString &itemName, const QString &category)
{
    QString s;
    if (!itemName.isEmpty())
        s += equals(QStringLiteral("b.name"), itemName);
    if (!isAll(category))
        s += equals(QStringLiteral("b.leibie"), category);
    return s + QStringLiteral(" GROUP BY b.ID");
}

QString ReportQuery::productAnalysis(const QString &text, const QString &category)
{
    QString s;
    if (!text.isEmpty())
        s += likeAny(text, {QStringLiteral("b.name"), QStringLiteral("b.ID")});
    if (!isAll(category))
        s += equals(QStringLiteral("b.leibie"), category);
    return s + QStringLiteral(" GROUP BY b.ID");
}

// The ledgers are listed one row per change: several changes written in the same
// second (a sale taking uses of two items) must not fold into one line. The date
// index gives them in order (its rowid breaks the ties), so they stream.
QString ReportQuery::ledgerChanges(const QString &period, const QString &start, const QString &end,
                                   const QString &member, const QString &kind)
{
    QString s = dateFilter(period, QStringLiteral("a.biandongriqi"), start, end);
    if (!member.isEmpty())
        s += likeAny(member, {QStringLiteral("b.name"), QStringLiteral("b.ID")});
    if (!isAll(kind))
        s += equals(QStringLiteral("biandongleixing"), kind);
    return s + QStringLiteral(" and a.huiyuanid=b.ID order by a.biandongriqi, a.ID");
}

QString ReportQuery::balanceChanges(const QString &period, const QString &start, const QString &end,
                                    const QString &member, const QString &kind)
{
    return ledgerChanges(period, start, end, member, kind);
}

QString ReportQuery::pointsChanges(const QString &period, const QString &start, const QString &end,
                                   const QString &member, const QString &kind)
{
    return ledgerChanges(period, start, end, member, kind);
}

QString ReportQuery::commissions(const QString &period, const QString &start, const QString &end,
                                 const QString &employeeName)
{
    // The first header row of each document in the period, of sales and of card payments.
    auto firstRows = [&](const QString &table, const QString &column) {
        const QString range = dateFilter(period, QStringLiteral("h.") + column, start, end)
                                  .replace(QRegularExpression(QStringLiteral("^\\s*where\\s")), QString());
        return QStringLiteral("a.xiaofeiID in (select h.ID from ") + table + QStringLiteral(" h where ") + range
            + QStringLiteral(" and not exists (select 1 from ") + table + QStringLiteral(" e where e.ID=h.ID and e.rowid<h.rowid))");
    };
    QString s = QStringLiteral(" where (") + firstRows(QStringLiteral("huiyuanxiaofei"), QStringLiteral("xiaofeiriqi"))
        + QStringLiteral(" or ") + firstRows(QStringLiteral("huiyuanjiaofei"), QStringLiteral("jiaofeiriqi"))
        + QStringLiteral(")");
    if (!isAll(employeeName))
        s += equals(QStringLiteral("b.name"), employeeName) + QStringLiteral(" ");
    return s + QStringLiteral(" GROUP BY a.yuangongID");
}

QString ReportQuery::memberSearch(const QString &text)
{
    if (text.isEmpty())
        return QStringLiteral("  GROUP BY a.ID");
    const QString p = QStringLiteral("'%") + sqlEsc(text) + QStringLiteral("%'");
    return QStringLiteral(" where (a.name like ") + p + QStringLiteral(" or a.ID like ") + p
        + QStringLiteral(") GROUP BY a.ID");
}

QString ReportQuery::stockDocuments(const QString &kind, const QString &start, const QString &end,
                                    const QString &docType, const QString &docNumber)
{
    QString s = QStringLiteral(" WHERE a.chanpinID=b.ID and a.rukuID!='000000' and a.type='")
        + sqlEsc(kind) + QStringLiteral("'") + QStringLiteral(" and time<='") + endOfDay(end)
        + QStringLiteral("' and time>='") + sqlEsc(start) + QStringLiteral("'");
    if (!docType.isEmpty() && docType != QStringLiteral("所有类型") && docType != QStringLiteral("所有"))
        s += equals(QStringLiteral("rukutype"), docType);
    if (!docNumber.isEmpty())
        s += QStringLiteral(" and a.rukuID like '%") + sqlEsc(docNumber) + QStringLiteral("%' ");
    return s + QStringLiteral("  GROUP BY a.rukuID");
}

QString ReportQuery::stockQuery(const QString &text, const QString &category)
{
    QString s;
    if (!text.isEmpty()) {
        const QString p = QStringLiteral("'%") + sqlEsc(text) + QStringLiteral("%'");
        s = QStringLiteral(" where (a.chanpinID like ") + p + QStringLiteral(" or name like ") + p
            + QStringLiteral(") and a.chanpinID=b.ID ");
    } else {
        s = QStringLiteral("  WHERE a.chanpinID=b.ID ");
    }
    if (!isAll(category))
        s += equals(QStringLiteral("leibie"), category);
    return s + QStringLiteral(" GROUP BY a.chanpinID");
}

QString ReportQuery::productSearch(const QString &text, const QString &category)
{
    QStringList conds;
    if (!text.isEmpty()) {
        const QString p = QStringLiteral("'%") + sqlEsc(text) + QStringLiteral("%'");
        conds << QStringLiteral("(b.ID like ") + p + QStringLiteral(" or name like ") + p + QStringLiteral(")");
    }
    if (!isAll(category))
        conds << QStringLiteral("leibie='") + sqlEsc(category) + QStringLiteral("'");
    if (conds.isEmpty())
        return QStringLiteral(" GROUP BY b.ID");
    return QStringLiteral(" where ") + conds.join(QStringLiteral(" and ")) + QStringLiteral(" GROUP BY b.ID");
}

QString ReportQuery::serviceItemSearch(const QString &text, const QString &category)
{
    QStringList conds;
    if (!text.isEmpty()) {
        const QString p = QStringLiteral("'%") + sqlEsc(text) + QStringLiteral("%'");
        conds << QStringLiteral("(ID like ") + p + QStringLiteral(" or name like ") + p + QStringLiteral(")");
    }
    if (!isAll(category))
        conds << QStringLiteral("leibie='") + sqlEsc(category) + QStringLiteral("'");
    if (conds.isEmpty())
        return QStringLiteral(" GROUP BY ID");
    return QStringLiteral(" where ") + conds.join(QStringLiteral(" and ")) + QStringLiteral(" GROUP BY ID");
}

// Both days inclusive, like every other date filter of the program.
QString ReportQuery::shiftHistory(const QString &start, const QString &end, const QString &user)
{
    QString s = QStringLiteral(" where endtime>='") + sqlEsc(start) + QStringLiteral("' and endtime<='")
        + endOfDay(end) + QStringLiteral("' ");
    if (!isAll(user))
        s += equals(QStringLiteral("user"), user);
    return s + QStringLiteral(" order by endtime");
}

QString ReportQuery::cashDetail(const QString &start, const QString &end, const QString &method)
{
    QString s = QStringLiteral(" where time>='") + sqlEsc(start) + QStringLiteral("' and time<='")
        + endOfDay(end) + QStringLiteral("'");
    if (!isAll(method))
        s += equals(QStringLiteral("fukuanfangshi"), method);
    return s + QStringLiteral(" order by time");
}

// Filled for the period asked, each time: a record taken a minute ago is listed,
// and start-up does no work that grows with the records.
bool ReportQuery::fillCashDetail(ctrlUiClass &ctrl, const QString &start, const QString &end)
{
    const QString from = sqlEsc(start);
    const QString to = endOfDay(end);
    bool ok = ctrl.execSql(QStringLiteral("delete from tempshouyinmingxi"));
    ok = ctrl.execSql(QStringLiteral(
             "insert into tempshouyinmingxi(jiluID,time,shouyinleibie,fukuanfangshi,jine,huiyuanID,user) "
             "select ID,jiaofeiriqi,'客户交费',fukuanleixing,shifujine,huiyuanid,caozuoyuan from huiyuanjiaofei "
             "where jiaofeiriqi>='") + from + QStringLiteral("' and jiaofeiriqi<='") + to + QStringLiteral("'"))
        && ok;
    ok = ctrl.execSql(QStringLiteral(
             "insert into tempshouyinmingxi(jiluID,time,shouyinleibie,fukuanfangshi,jine,huiyuanID,user) "
             "select ID,xiaofeiriqi,'客户消费',fukuanfangshi,shishoujine,huiyuanid,caozuoyuan from huiyuanxiaofei "
             "where xiaofeiriqi>='") + from + QStringLiteral("' and xiaofeiriqi<='") + to + QStringLiteral("'"))
        && ok;
    return ok;
}

QString ReportQuery::detailViewOf(const QString &masterView)
{
    static const QMap<QString, QString> details = {
        {QStringLiteral("消费统计"), QStringLiteral("会员统计消费明细")},
        {QStringLiteral("会员交费统计"), QStringLiteral("会员交费统计明细")},
        {QStringLiteral("服务消费分析"), QStringLiteral("服务消费分析明细")},
        {QStringLiteral("产品消费分析"), QStringLiteral("产品消费分析明细")},
        {QStringLiteral("员工提成"), QStringLiteral("提成明细")},
        {QStringLiteral("入库统计"), QStringLiteral("入库明细")},
        {QStringLiteral("出库统计"), QStringLiteral("出库明细")},
        {QStringLiteral("套餐列表"), QStringLiteral("套餐明细")},
        {QStringLiteral("会员管理"), QStringLiteral("会员套餐管理")},
        {QStringLiteral("交班查询"), QStringLiteral("交班明细查询")},
        {QStringLiteral("产品库存"), QStringLiteral("库存变动")},
        {QStringLiteral("会员消费"), QStringLiteral("消费明细")},
    };
    return details.value(masterView);
}

// Codes are typed by people ("A01", "王'记"), so every code taken from a row is
// compared as a quoted text, never spliced as a number.
QString ReportQuery::drillDown(const QString &masterView, const QStringList &row)
{
    auto col = [&row](int i) { return sqlEsc(row.value(i)); };
    const int n = row.size();
    if (masterView == QStringLiteral("消费统计") && n >= 2)
        return QStringLiteral(" where a.ID='") + col(1) + QStringLiteral("'  GROUP BY i");
    if (masterView == QStringLiteral("会员交费统计") && n >= 2)
        return QStringLiteral(" where huiyuanid='") + col(0) + QStringLiteral("' order by jiaofeiriqi");
    if ((masterView == QStringLiteral("服务消费分析") || masterView == QStringLiteral("产品消费分析")) && n >= 4)
        return QStringLiteral(" and a.xiangmuID='") + col(0) + QStringLiteral("'");
    if (masterView == QStringLiteral("员工提成") && n >= 1)
        return QStringLiteral(" WHERE a.yuangongID='") + col(0) + QStringLiteral("'");
    if (masterView == QStringLiteral("入库统计") && n >= 1)
        return QStringLiteral(" WHERE a.chanpinID=b.ID and a.rukuID= '") + col(0)
            + QStringLiteral("'and a.rukuID!='000000'");
    if (masterView == QStringLiteral("出库统计") && n >= 1)
        return QStringLiteral(" WHERE a.chanpinID=b.ID and a.rukuID='") + col(0)
            + QStringLiteral("'and a.rukuID!='000000'");
    if (masterView == QStringLiteral("套餐列表") && n >= 1)
        return QStringLiteral(" where taocanID='") + col(0) + QStringLiteral("'");
    if (masterView == QStringLiteral("会员管理") && n >= 1)
        return QStringLiteral(" where xiangmuID=b.ID  and huiyuanID='") + col(0)
            + QStringLiteral("'  GROUP BY xiangmuID");
    if (masterView == QStringLiteral("交班查询") && n >= 1)
        return QStringLiteral(" where  jiaobanID='") + col(0) + QStringLiteral("'");
    if (masterView == QStringLiteral("产品库存") && n >= 1)
        return QStringLiteral(" where A.rukuID!='000000' AND A.chanpinID='") + col(0)
            + QStringLiteral("' group by A.time order by A.time");
    if (masterView == QStringLiteral("会员消费") && n >= 2)
        return QStringLiteral(" where a.ID='") + col(1) + QStringLiteral("' GROUP BY xiangmuID");
    return QString();
}

// Names and phone numbers that begin with the text, through their two indexes
// (an exact match is among them); only when nobody's begins with it does the
// search read every member for the text inside.
QString ReportQuery::memberPickerFilter(ctrlUiClass &ctrl, const QString &text)
{
    const QString t = QStringLiteral("'") + sqlEsc(text) + QStringLiteral("'");
    // Every text that begins with t sorts from t up to t followed by the last code point.
    auto prefix = [&t](const QString &c) {
        return QStringLiteral("(") + c + QStringLiteral(" >= ") + t + QStringLiteral(" and ") + c + QStringLiteral(" < ")
            + t + QStringLiteral(" || char(1114111))");
    };
    // A card number names one member: it wins over names and phones that begin with it.
    const QString card = QStringLiteral(" where ID=") + t;
    if (!text.isEmpty() && !ctrl.queryRow(QStringLiteral("select 1 from huiyuan") + card + QStringLiteral(" limit 1")).isEmpty())
        return card;
    const QString begins = QStringLiteral(" where ") + prefix(QStringLiteral("name")) + QStringLiteral(" or ")
        + prefix(QStringLiteral("phone"));
    if (!text.isEmpty() && !ctrl.queryRow(QStringLiteral("select 1 from huiyuan") + begins + QStringLiteral(" limit 1")).isEmpty())
        return begins;
    const QString p = QStringLiteral("'%") + sqlEsc(text) + QStringLiteral("%'");
    return QStringLiteral(" where name like ") + p + QStringLiteral(" or phone like ") + p;
}
