#include "receiptsettings.h"

#include "accountbooks.h"
#include "ledgersql.h"
#include "refundwriter.h"
#include "textlimits.h"
#include "operatorstore.h"
#include "transactionscope.h"

#include <QMap>

namespace {
const QString kName = QStringLiteral("店铺名称");
const QString kAddress = QStringLiteral("店铺地址");
const QString kPhone = QStringLiteral("店铺电话");
const QString kPaper = QStringLiteral("小票纸张");
const QString kAutoPrint = QStringLiteral("结账后自动打印");
const QString kPackageLowUses = QStringLiteral("套餐将用完次数"); // read by the reminder's list in dbset.xml
} // namespace

ReceiptSettings ReceiptSettings::load()
{
    QMap<QString, QString> v;
    for (const QVariantList &r : LedgerSql::rows(QStringLiteral("select mingcheng,zhi from dianpushezhi order by mingcheng")))
        v.insert(r.value(0).toString(), r.value(1).toString());
    ReceiptSettings s;
    s.shopName = v.value(kName);
    s.address = v.value(kAddress);
    s.phone = v.value(kPhone);
    s.paper = v.value(kPaper, s.paper);
    s.autoPrint = v.value(kAutoPrint) == QStringLiteral("是");
    s.bonusRefundable = v.value(QString::fromUtf8(kBonusRefundableSetting)) == QStringLiteral("是");
    s.packageLowUses = qMax(1, v.value(kPackageLowUses, QStringLiteral("1")).toInt());
    return s;
}

bool ReceiptSettings::save(const QString &operatorName, QString *error) const
{
    if (bonusRefundable != load().bonusRefundable && !RefundWriter::mayAuthorize(operatorName)) {
        if (error)
            *error = QStringLiteral("修改“赠送金额可退现”需要系统设置权限，设置未保存");
        return false;
    }
    // Printed at the head of every receipt: a text the paper cannot hold is
    // refused rather than cut off at the printer.
    const QString tooLong = TextLimits::firstRefusal({{kName, shopName, TextLimits::kName},
                                                      {kAddress, address, TextLimits::kRemark},
                                                      {kPhone, phone, TextLimits::kName}});
    if (!tooLong.isEmpty()) {
        if (error)
            *error = tooLong + QStringLiteral("，设置未保存");
        return false;
    }
    TransactionScope tx;
    // The shop's own name on every receipt: only for the settings right, looked
    // up here whichever window asked.
    OperatorStore::requireSettingsRight(operatorName);
    const QList<QPair<QString, QString>> values = {
        {kName, shopName.trimmed()}, {kAddress, address.trimmed()}, {kPhone, phone.trimmed()},
        {kPaper, paper}, {kAutoPrint, autoPrint ? QStringLiteral("是") : QStringLiteral("否")},
        {QString::fromUtf8(kBonusRefundableSetting), bonusRefundable ? QStringLiteral("是") : QStringLiteral("否")},
        {kPackageLowUses, QString::number(qMax(1, packageLowUses))}};
    for (const auto &v : values) {
        LedgerSql::exec(QStringLiteral("delete from dianpushezhi where mingcheng=?"), {v.first});
        LedgerSql::exec(QStringLiteral("insert into dianpushezhi(mingcheng,zhi) values(?,?)"), {v.first, v.second});
    }
    LedgerSql::log(operatorName, QStringLiteral("修改小票设置"));
    if (tx.commit())
        return true;
    if (error)
        *error = LedgerSql::failureText(QStringLiteral("保存小票设置失败"), tx.firstError());
    return false;
}
