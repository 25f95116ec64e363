#include "receipts/receiptsettings.h"

#include "ledgersql.h"
#include "operatorstore.h"
#include "transactionscope.h"

#include <QMap>

namespace {
const QString kName = QStringLiteral("店铺名称");
const QString kAddress = QStringLiteral("店铺地址");
const QString kPhone = QStringLiteral("店铺电话");
const QString kPaper = QStringLiteral("小票纸张");
const QString kAutoPrint = QStringLiteral("结账后自动打印");
} // namespace

ReceiptSettings ReceiptSettings::load()
{
    QMap<QString, QString> v;
    for (const QVariantList &r : LedgerSql::rows(QStringLiteral("select mingcheng,zhi from dianpushezhi")))
        v.insert(r.value(0).toString(), r.value(1).toString());
    ReceiptSettings s;
    s.shopName = v.value(kName);
    s.address = v.value(kAddress);
    s.phone = v.value(kPhone);
    s.paper = v.value(kPaper, s.paper);
    s.autoPrint = v.value(kAutoPrint) == QStringLiteral("是");
    return s;
}

bool ReceiptSettings::save(const QString &operatorName, QString *error) const
{
    TransactionScope tx;
    // The shop's own name on every receipt: only for the settings right, looked
    // up here whichever window asked.
    OperatorStore::requireSettingsRight(operatorName);
    const QList<QPair<QString, QString>> values = {
        {kName, shopName.trimmed()}, {kAddress, address.trimmed()}, {kPhone, phone.trimmed()},
        {kPaper, paper}, {kAutoPrint, autoPrint ? QStringLiteral("是") : QStringLiteral("否")}};
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
