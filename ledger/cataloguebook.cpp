#include "cataloguebook.h"

#include "accountbooks.h"
#include "amounts.h"
#include "changelogtext.h"
#include "conflictretry.h"
#include "deletionlog.h"
#include "ledgersql.h"
#include "memberwriter.h"
#include "operatorstore.h"
#include "productbook.h"
#include "textlimits.h"
#include "transactionscope.h"

#include <functional>

using LedgerSql::exec;
using LedgerSql::refuse;
using LedgerSql::value;

namespace {

const QString kSaveFailed = QStringLiteral("保存失败");
const QString kNotSaved = QStringLiteral("，本次操作未保存");

QString yesNo(bool on)
{
    return on ? QStringLiteral("是") : QStringLiteral("否");
}

// A time or a period left empty is stored as none.
QVariant optionalNumber(const std::optional<double> &v)
{
    return v ? QVariant(*v) : QVariant(QVariant::Double);
}

QVariant money(qint64 cents)
{
    return centsToYuan(cents);
}

bool taken(const QString &sql, const QVariantList &values)
{
    return value(sql, values).isValid();
}

// The texts a save keeps, bounded and refused in the words the generic record
// requests have always used: a name fits a list column, any other text a
// remark's length.
QString tooLong(const QStringList &names, const QStringList &others)
{
    for (const QString &n : names)
        if (!TextLimits::refusal(QString(), n, TextLimits::kName).isEmpty())
            return QStringLiteral("名称不能超过%1个字，未保存").arg(TextLimits::kName);
    for (const QString &t : others)
        if (!TextLimits::refusal(QString(), t, TextLimits::kRemark).isEmpty())
            return QStringLiteral("输入的文字不能超过%1个字，未保存").arg(TextLimits::kRemark);
    return QString();
}

// Inside a save's transaction: the operator holds the settings right as the
// rows say now, and nothing the rows hold forbids the save (asked after the
// right). Otherwise the transaction is failed with the reason.
bool mayWrite(const QString &op, const std::function<QString()> &conflict)
{
    if (!OperatorStore::requireSettingsRight(op))
        return false;
    const QString why = conflict();
    if (!why.isEmpty())
        refuse(why);
    return why.isEmpty();
}

// The row's log line, as the generic record requests have always written it.
bool logChange(bool isAdd, const char *table, const char *keyColumn, const QString &key, const QString &operatorName)
{
    return LedgerSql::log(operatorName, ChangeLogText::text(isAdd, QString::fromUtf8(table),
                                                            {QString::fromUtf8(keyColumn)}, {key}));
}

LedgerResult saveServiceItemOnce(const ServiceItem &i, bool isNew, const QString &op)
{
    TransactionScope tx;
    if (!mayWrite(op, [&] { return CatalogueBook::serviceItemConflict(i, isNew); }))
        return LedgerSql::committed(tx, kSaveFailed, QString());
    const QVariantList values{i.name,
                              i.category,
                              optionalNumber(i.serviceTime),
                              money(i.priceCents),
                              money(i.costCents),
                              money(i.floorCents),
                              yesNo(i.timePriced),
                              yesNo(i.callBack),
                              optionalNumber(i.callBackDays),
                              yesNo(i.careCycle),
                              optionalNumber(i.cycleDays),
                              i.remark,
                              yesNo(i.disabled),
                              i.id};
    bool written;
    if (isNew)
        written = LedgerSql::execOne(QStringLiteral("insert into fuwuxiangmu(name,leibie,fuwushijian,xiaoshoujiage,"
                                                    "chengbenjiage,dijia,shijiaxiangmu,shifouhuifan,huifangshijian,"
                                                    "shifouyouhulizhouqi,zhouqi,beizhu,jinyong,ID) "
                                                    "values(?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
                                     values, QStringLiteral("服务项目未写入") + kNotSaved);
    else
        written = LedgerSql::execOne(QStringLiteral("update fuwuxiangmu set name=?,leibie=?,fuwushijian=?,"
                                                    "xiaoshoujiage=?,chengbenjiage=?,dijia=?,shijiaxiangmu=?,"
                                                    "shifouhuifan=?,huifangshijian=?,shifouyouhulizhouqi=?,zhouqi=?,"
                                                    "beizhu=?,jinyong=? where ID=?"),
                                     values, QStringLiteral("找不到该服务项目，可能已在另一台收银机删除") + kNotSaved);
    if (written)
        logChange(isNew, "fuwuxiangmu", "ID", i.id, op);
    return LedgerSql::committed(tx, kSaveFailed, i.id);
}

LedgerResult saveEmployeeOnce(const Employee &e, bool isNew, const QString &op)
{
    TransactionScope tx;
    if (!mayWrite(op, [&] { return CatalogueBook::employeeConflict(e, isNew); }))
        return LedgerSql::committed(tx, kSaveFailed, QString());
    // Every save enables the employee: the dialog has no control for it.
    const QVariantList values{e.name, e.type, e.phone, QStringLiteral("否"), e.remark, e.id};
    bool written;
    if (isNew)
        written = LedgerSql::execOne(
            QStringLiteral("insert into yuangong(name,type,phone,jinyong,beizhu,ID) values(?,?,?,?,?,?)"), values,
            QStringLiteral("员工未写入") + kNotSaved);
    else
        written = LedgerSql::execOne(
            QStringLiteral("update yuangong set name=?,type=?,phone=?,jinyong=?,beizhu=? where ID=?"), values,
            QStringLiteral("找不到该员工，可能已在另一台收银机删除") + kNotSaved);
    if (written)
        logChange(isNew, "yuangong", "ID", e.id, op);
    return LedgerSql::committed(tx, kSaveFailed, e.id);
}

LedgerResult saveProductOnce(const Product &p, bool isNew, const QString &op)
{
    TransactionScope tx;
    if (!mayWrite(op, [&] { return CatalogueBook::productConflict(p, isNew); }))
        return LedgerSql::committed(tx, kSaveFailed, QString());
    const QVariantList values{p.name, p.barcode, p.category, p.unit, p.size, money(p.purchaseCents),
                              money(p.sellingCents), money(p.floorCents), yesNo(p.timePriced), p.remark, p.id};
    bool written;
    if (isNew) {
        StockMove zero;
        zero.documentId = QStringLiteral("000000");
        zero.kind = QStringLiteral("入库明细");
        zero.productId = p.id;
        zero.reason = zero.operatorName = zero.remark = QStringLiteral("0");
        written = StockBook::move(zero)
                  && LedgerSql::execOne(QStringLiteral("insert into chanpin(name,tiaoma,leibie,danwei,guige,jinhuojiage,"
                                                       "xiaoshoujiage,dijia,shijiashangpin,beizhu,ID) "
                                                       "values(?,?,?,?,?,?,?,?,?,?,?)"),
                                        values, QStringLiteral("产品未写入") + kNotSaved);
    } else {
        written = LedgerSql::execOne(QStringLiteral("update chanpin set name=?,tiaoma=?,leibie=?,danwei=?,guige=?,"
                                                    "jinhuojiage=?,xiaoshoujiage=?,dijia=?,shijiashangpin=?,beizhu=? "
                                                    "where ID=?"),
                                     values, QStringLiteral("找不到该产品，可能已在另一台收银机删除") + kNotSaved);
    }
    if (written && ProductBook::setStockLevel(p.id, p.lowStock))
        logChange(isNew, "chanpin", "ID", p.id, op);
    return LedgerSql::committed(tx, kSaveFailed, p.id);
}

LedgerResult addCategoryOnce(const QString &list, const QString &entry, const QString &op)
{
    TransactionScope tx;
    if (mayWrite(op, [&] { return CatalogueBook::categoryConflict(list, entry); }))
        LedgerSql::execOne(QStringLiteral("insert into leibie(mingchen,leibiestr,beizhu) values(?,?,'')"), {entry, list},
                           QStringLiteral("类别未写入") + kNotSaved);
    return LedgerSql::committed(tx, kSaveFailed, entry);
}

LedgerResult removeCategoryOnce(const QString &list, const QString &entry, const QString &op)
{
    TransactionScope tx;
    if (!OperatorStore::requireSettingsRight(op))
        return LedgerSql::committed(tx, QStringLiteral("删除失败"), QString());
    // Gone already (another desk): nothing to log, nothing lost.
    if (exec(QStringLiteral("delete from leibie where mingchen=? and leibiestr=?"), {entry, list}) > 0)
        LedgerSql::log(op, deletionLogText(QStringLiteral("类别（%1）").arg(list), QString(), entry));
    return LedgerSql::committed(tx, QStringLiteral("删除失败"), entry);
}

LedgerResult savePackageOnce(const Package &p, const QString &replaces, const QString &op)
{
    TransactionScope tx;
    if (!mayWrite(op, [&] { return CatalogueBook::packageConflict(p.id, replaces); }))
        return LedgerSql::committed(tx, kSaveFailed, QString());
    if (!replaces.isEmpty())
        exec(QStringLiteral("delete from taocanmingxi where taocanID=?"), {replaces});
    // One row per line, in the editor's order: the order the package is
    // listed and sold in.
    for (const PackageLine &l : p.lines) {
        const bool written = LedgerSql::execOne(
            QStringLiteral("insert into taocanmingxi(taocanID,name,youxiaoqi,zongjia,xiangmuID,yuanjia,fuwucishu,"
                           "youhuijiage,heji,zhouqi,beizhu) values(?,?,?,?,?,?,?,?,?,?,?)"),
            {p.id, p.name, p.validity, money(p.priceCents), l.itemId,
             l.listCents ? money(*l.listCents) : QVariant(QVariant::Double), l.uses, money(l.unitCents),
             money(l.totalCents), optionalNumber(l.cycleDays), p.remark},
            QStringLiteral("套餐未写入") + kNotSaved);
        if (!written || !LedgerSql::log(op, ChangeLogText::text(true, QStringLiteral("taocanmingxi"),
                                                                {QStringLiteral("taocanID"), QStringLiteral("xiangmuID")},
                                                                {p.id, l.itemId})))
            break;
    }
    return LedgerSql::committed(tx, kSaveFailed, p.id);
}

struct Removal
{
    const char *what;      // in the log row
    const char *table;
    const char *keyColumn;
    const char *nameSql;   // the name the log row gives, read before the row goes; nullptr for none
};

const Removal &removalOf(CatalogueBook::Entry e)
{
    static const Removal removals[] = {
        {"服务项目", "fuwuxiangmu", "ID", "select name from fuwuxiangmu where ID=?"},
        {"产品", "chanpin", "ID", "select name from chanpin where ID=?"},
        {"套餐", "taocanmingxi", "taocanID", "select min(name) from taocanmingxi where taocanID=?"},
        {"会员卡类型", "huiyuanka", "name", nullptr},
        {"操作员", "\"user\"", "name", nullptr},
        {"员工", "yuangong", "ID", "select name from yuangong where ID=?"},
    };
    return removals[int(e)];
}

LedgerResult removeOnce(CatalogueBook::Entry entry, const QString &key, const QString &op)
{
    const QString failed = QStringLiteral("删除失败");
    TransactionScope tx;
    const QString why = CatalogueBook::removalRefusal(entry, key, op);
    if (!why.isEmpty()) {
        refuse(why);
        return LedgerSql::committed(tx, failed, QString());
    }
    const Removal &r = removalOf(entry);
    const QString name = r.nameSql ? value(QString::fromUtf8(r.nameSql), {key}).toString() : QString();
    // Table and column are this file's own words; the key, typed by a person, is bound.
    const int gone = exec(QStringLiteral("delete from %1 where %2=?")
                              .arg(QString::fromUtf8(r.table), QString::fromUtf8(r.keyColumn)),
                          {key});
    if (gone == 0)
        refuse(QStringLiteral("找不到要删除的记录，可能已在另一台收银机删除"));
    else if (gone > 0)
        LedgerSql::log(op, deletionLogText(QString::fromUtf8(r.what), key, name));
    return LedgerSql::committed(tx, failed, key);
}

} // namespace

QString CatalogueBook::serviceItemConflict(const ServiceItem &item, bool isNew)
{
    const QString limits = tooLong({item.name}, {item.id, item.category, item.remark});
    if (!limits.isEmpty())
        return limits;
    // An edit may keep its own name; a new item may take none that is in use.
    if (isNew ? taken(QStringLiteral("select 1 from fuwuxiangmu where name=?"), {item.name})
              : taken(QStringLiteral("select 1 from fuwuxiangmu where name=? and ID<>?"), {item.name, item.id}))
        return QStringLiteral("服务项目已经存在！请更换服务项目名");
    // A new item copied from the selected one keeps its code unless the
    // operator changes it; a second item under one code would be written over.
    if (isNew && taken(QStringLiteral("select 1 from fuwuxiangmu where ID=?"), {item.id}))
        return QStringLiteral("服务项目编号已经存在！请更换服务项目编号");
    return QString();
}

QString CatalogueBook::employeeConflict(const Employee &e, bool isNew)
{
    const QString limits = tooLong({e.name}, {e.id, e.type, e.phone, e.remark});
    if (!limits.isEmpty())
        return limits;
    // The name is what the combos show: it stays unique, also when an edit
    // renames someone to the name of another employee.
    if (isNew ? taken(QStringLiteral("select 1 from yuangong where name=?"), {e.name})
              : taken(QStringLiteral("select 1 from yuangong where name=? and ID<>?"), {e.name, e.id}))
        return QStringLiteral("该操作员已经存在！请更换会员名");
    // Commission rows and the pickers find an employee by code; two employees
    // under one code could not be told apart.
    if (isNew && taken(QStringLiteral("select 1 from yuangong where ID=?"), {e.id}))
        return QStringLiteral("该员工编号已经存在！请更换员工编号");
    return QString();
}

QString CatalogueBook::productConflict(const Product &p, bool isNew)
{
    const QString limits = tooLong({p.name}, {p.id, p.barcode, p.category, p.unit, p.size, p.remark});
    if (!limits.isEmpty() || !isNew)
        return limits;
    if (ProductBook::exists(p.id))
        return QStringLiteral("该产品编码已经存在！请更换产品编码");
    // A deleted product's movements stay as its history: a new product under
    // the same code would inherit its stock and its sales. (The zero movement
    // of its creation carries nothing.)
    if (ProductBook::codeHasMovements(p.id))
        return QStringLiteral("该产品编码曾用于已删除的产品，还有它的出入库记录！请更换产品编码");
    return QString();
}

QString CatalogueBook::categoryConflict(const QString &listName, const QString &entry)
{
    // An empty entry cannot be chosen sensibly, and a second copy of one
    // would be deleted together with the first.
    if (entry.trimmed().isEmpty())
        return QStringLiteral("类别名称不能为空");
    if (taken(QStringLiteral("select 1 from leibie where mingchen=? and leibiestr=?"), {entry, listName}))
        return QStringLiteral("该类别已经存在！");
    return QString();
}

QString CatalogueBook::packageConflict(const QString &packageId, const QString &replaces)
{
    // Rows of one package are found by their code: a second package under a
    // code already taken would mix its lines into the other one.
    if (packageId != replaces && taken(QStringLiteral("select 1 from taocanmingxi where taocanID=? LIMIT 1"), {packageId}))
        return QStringLiteral("该套餐编号已经存在！请更换套餐编号");
    return QString();
}

LedgerResult CatalogueBook::saveServiceItem(const ServiceItem &item, bool isNew, const QString &operatorName)
{
    return retryOnConflict([&] { return saveServiceItemOnce(item, isNew, operatorName); });
}

LedgerResult CatalogueBook::saveEmployee(const Employee &employee, bool isNew, const QString &operatorName)
{
    return retryOnConflict([&] { return saveEmployeeOnce(employee, isNew, operatorName); });
}

LedgerResult CatalogueBook::saveProduct(const Product &product, bool isNew, const QString &operatorName)
{
    return retryOnConflict([&] { return saveProductOnce(product, isNew, operatorName); });
}

LedgerResult CatalogueBook::addCategory(const QString &listName, const QString &entry, const QString &operatorName)
{
    return retryOnConflict([&] { return addCategoryOnce(listName, entry, operatorName); });
}

LedgerResult CatalogueBook::removeCategory(const QString &listName, const QString &entry, const QString &operatorName)
{
    return retryOnConflict([&] { return removeCategoryOnce(listName, entry, operatorName); });
}

LedgerResult CatalogueBook::savePackage(const Package &package, const QString &replaces, const QString &operatorName)
{
    const QString limits = tooLong({package.name}, {package.id, package.validity, package.remark});
    if (!limits.isEmpty())
        return LedgerResult::failure(limits);
    // A package exists only through its lines; saving none would lose it.
    if (package.lines.isEmpty())
        return LedgerResult::failure(QStringLiteral("套餐还没有服务项目，请先添加套餐包含的服务项目"));
    return retryOnConflict([&] { return savePackageOnce(package, replaces, operatorName); });
}

QString CatalogueBook::removalRefusal(Entry entry, const QString &key, const QString &operatorName)
{
    if (!OperatorStore::holdsSettingsRight(operatorName))
        return OperatorStore::noRightText();
    // A service item that members still hold uses of, or that a package
    // sells, is prepaid value: deleting it would lose those uses.
    if (entry == Entry::ServiceItem)
        return MemberWriter::serviceItemInUse(key);
    // Members holding the type would lose its discounts at the counter, the
    // rules would offer to no card. A card upgrade's history may name it.
    if (entry == Entry::CardType) {
        const QString usedBy = MemberWriter::cardTypeUser(key, false);
        if (!usedBy.isEmpty())
            return QStringLiteral("该会员卡类型还有%1在使用，不能删除").arg(usedBy);
    }
    // Nobody may lock the shop out of its own settings: the operator at work
    // and the last one holding the settings right stay.
    if (entry == Entry::Operator) {
        if (key == operatorName)
            return QStringLiteral("不能删除当前登录的操作员");
        if (OperatorStore::isLastSettingsOperator(key))
            return QStringLiteral("至少要保留一个未禁用、有系统设置权限的操作员");
    }
    return QString();
}

LedgerResult CatalogueBook::remove(Entry entry, const QString &key, const QString &operatorName)
{
    return retryOnConflict([&] { return removeOnce(entry, key, operatorName); });
}

QStringList CatalogueBook::serviceItem(const QString &itemId)
{
    const QList<QVariantList> rows = LedgerSql::rows(
        QStringLiteral("select ID,name,leibie,xiaoshoujiage from fuwuxiangmu where ID=?"), {itemId});
    if (rows.isEmpty())
        return QStringList();
    QStringList out;
    for (const QVariant &v : rows.first())
        out << v.toString();
    return out;
}
