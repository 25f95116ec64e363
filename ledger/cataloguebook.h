#ifndef CATALOGUEBOOK_H
#define CATALOGUEBOOK_H

#include "ledgertypes.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// A service item as its edit dialog saves it. Times and periods a person left
// empty are none, not 0.
struct ServiceItem
{
    QString id;
    QString name;
    QString category;
    std::optional<double> serviceTime; // fuwushijian
    qint64 priceCents = 0;
    qint64 costCents = 0;
    qint64 floorCents = 0;
    bool timePriced = false;           // 时价项目
    bool callBack = false;             // 是否回访
    std::optional<double> callBackDays;
    bool careCycle = false;            // 是否有护理周期
    std::optional<double> cycleDays;
    QString remark;
    bool disabled = false;
};

struct Employee
{
    QString id;
    QString name;
    QString type;
    QString phone;
    QString remark;
};

struct Product
{
    QString id;
    QString name;
    QString barcode;
    QString category;
    QString unit;
    QString size; // 产品规格: "500ml", "10片"
    qint64 purchaseCents = 0;
    qint64 sellingCents = 0;
    qint64 floorCents = 0;
    bool timePriced = false;           // 时价商品
    QString remark;
    double lowStock = 0;               // the daily reminder's level: remind at or below it
};

// One line of a package: a service item, its uses and their price.
struct PackageLine
{
    QString itemId;
    QString itemName;                  // shown in the editor; the catalogue's name is the one that counts
    std::optional<qint64> listCents;   // the item's list price when the line was made
    double uses = 0;
    qint64 unitCents = 0;              // the discounted price of one use
    qint64 totalCents = 0;             // what the line costs within the package
    std::optional<double> cycleDays;   // 护理周期
    QString remark;
};

struct Package
{
    QString id;
    QString name;
    QString validity;                  // youxiaoqi, as typed
    qint64 priceCents = 0;             // what the package sells for
    QString remark;
    QList<PackageLine> lines;          // in the order they are listed
};

// The catalogue's writes (service items, employees, the named lists, packages,
// and the deletions of the settings pages' rows) and the reads their dialogs
// check with. Every save is one transaction with its log row, bound, and asks
// the settings right of the operator as the shop's rows hold it at that moment.
class CatalogueBook
{
public:
    // Why the shop's rows refuse the save ("" when nothing does): a name or a
    // code another row holds. Asked by the dialog before, and by the save
    // again inside its transaction (another desk may have saved meanwhile).
    static QString serviceItemConflict(const ServiceItem &item, bool isNew);
    static QString employeeConflict(const Employee &employee, bool isNew);
    static QString productConflict(const Product &product, bool isNew);
    static QString categoryConflict(const QString &listName, const QString &entry);
    // `replaces` is the code of the package being edited, empty for a new one.
    static QString packageConflict(const QString &packageId, const QString &replaces);

    // A new row (isNew) or the change of the row of item.id.
    static LedgerResult saveServiceItem(const ServiceItem &item, bool isNew, const QString &operatorName);
    static LedgerResult saveEmployee(const Employee &employee, bool isNew, const QString &operatorName);
    // A new product comes with its zero movement, which lists it in every
    // stock list before it has any real movement.
    static LedgerResult saveProduct(const Product &product, bool isNew, const QString &operatorName);
    static LedgerResult addCategory(const QString &listName, const QString &entry, const QString &operatorName);
    // The entry of this list only: the same word may stand in another list too.
    static LedgerResult removeCategory(const QString &listName, const QString &entry, const QString &operatorName);
    // Writes the package's rows, replacing those of `replaces` (the code it had
    // when the editor opened; empty for a new package).
    static LedgerResult savePackage(const Package &package, const QString &replaces, const QString &operatorName);

    // What a settings page's 删除 takes away, with its log row.
    enum class Entry { ServiceItem, Product, Package, CardType, Operator, Employee };
    // Why the row may not go ("" when it may): the operator lacks the settings
    // right, members still hold uses of the service item or a package sells it,
    // the operator is the one at work or the last who can open the settings.
    static QString removalRefusal(Entry entry, const QString &key, const QString &operatorName);
    static LedgerResult remove(Entry entry, const QString &key, const QString &operatorName);

    // A service item's code, name, category and list price as texts; empty when there is none.
    static QStringList serviceItem(const QString &itemId);
};

#endif
