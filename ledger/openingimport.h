#ifndef OPENINGIMPORT_H
#define OPENINGIMPORT_H

#include "ledgertypes.h"
#include "sheetreader.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>

// A shop moving in: its members with their balances, points, open debts and
// package uses, or its card types, service items and products, taken from its own
// spreadsheet. The sheet's rows become values here (every cell checked as the
// dialogs check typed text), a dry run lists every row that cannot be taken,
// and the writer takes the good rows in one transaction as one opening
// document (期初导入): ledger rows that are not takings.

enum class ImportKind { Members, ServiceItems, Products, CardTypes };

// What happens to a row whose member (same card number or phone), item (same
// code) or card type (same name) is already on file.
enum class ExistingRows { Skip, UpdateFields, Refuse };

struct ImportField
{
    QString key;
    QString caption;       // the column's name in the template
    QStringList aliases;   // header texts that mean it (Chinese and pinyin)
    bool required = false;
    QString example;       // the template's sample cell
};

// One refused row of the sheet: its number as the spreadsheet shows it, the
// column and why.
struct RowProblem
{
    int row = 0;
    QString column;
    QString reason;
};

// The field key of a column that holds the uses of one service item
// ("次数:剪发" in the header): uses: followed by the item as written.
extern const char kUsesColumnPrefix[];

struct MemberOpening
{
    int row = 0;
    QString memberId;     // empty: numbered as a card issue numbers
    QString name, sex, phone, birthday, expiry, cardType, address, referrer, remark, withinCode, height, age;
    qint64 balanceCents = 0;  // stored value paid for
    qint64 bonusCents = 0;    // 赠送 on the card
    double points = 0;
    qint64 debtCents = 0;
    QList<QPair<QString, qint64>> uses; // service item (code or name as written), uses left
    QStringList given;    // the field keys the sheet filled for this row (an update touches only them)
};

struct CatalogueOpening
{
    int row = 0;
    QMap<QString, QString> fields; // field key → text as checked (money as the formatter writes it)
    QStringList given;
};

struct OpeningImport
{
    ImportKind kind = ImportKind::Members;
    QString fileName;
    int sheetRows = 0;         // data rows in the file
    ExistingRows existing = ExistingRows::Skip;
    QString defaultCardType;   // for members whose row names none
    QString operatorName;
    QList<MemberOpening> members;
    QList<CatalogueOpening> items;
    QList<RowProblem> problems; // found while reading the sheet (values that are no values)
};

struct ImportCheck
{
    QList<RowProblem> problems; // every refused row, in row order
    int added = 0;
    int updated = 0;
    int skipped = 0;
    bool ok() const { return problems.isEmpty(); }
};

// Told after each batch of rows; returning false cancels (nothing is written).
using ImportProgress = std::function<bool(int done, int total)>;

namespace OpeningImportFields {
QList<ImportField> fields(ImportKind kind);
// Column index → field key for a header, guessed from the names; columns it
// does not know are left out.
QMap<int, QString> guess(ImportKind kind, const QStringList &header);
// The kind's name in the documents and messages: 会员 / 服务项目 / 产品 / 会员卡类型.
QString kindName(ImportKind kind);
ImportKind kindOfName(const QString &name);
// The table whose lists an import of the kind changes.
QString tableOf(ImportKind kind);
// A template a shop fills in: the header and one sample row, as CSV text.
QStringList templateHeader(ImportKind kind);
QStringList templateSample(ImportKind kind);
// The template as a file a shop fills in: .xlsx when the path ends so, else CSV.
bool saveTemplate(ImportKind kind, const QString &path, QString *error);
} // namespace OpeningImportFields

namespace OpeningImportWriter {

// The sheet read as values with the mapping (column → field key); the cells
// that are no values (a balance that is not a number, three decimals, a date
// that is no date, a missing name) are in the problems.
OpeningImport fromSheet(ImportKind kind, const Sheet &sheet, const QMap<int, QString> &mapping);

// Checks every row against the shop as it is now (card types, items, members
// on file, duplicates within the file) and writes nothing.
ImportCheck dryRun(const OpeningImport &import);

// Takes the rows the dry run accepts, in one transaction: every one of them or
// none. The refused rows stay out and are in `check`; the whole sheet is
// refused when its columns are wrong, when no row is left, when the operator
// lacks the settings right, or when cancelled. The document is the import's
// number.
LedgerResult write(const OpeningImport &import, const ImportProgress &progress = ImportProgress(),
                   ImportCheck *check = nullptr);

// Undoes an import whole: its members and their opening rows go, updated
// fields get their old values back, its items and card types go. Refused once
// any of its members has had a sale, top-up, repayment or refund since, or
// once anything uses an item or card type it added.
LedgerResult takeBack(const QString &documentId, const QString &operatorName);

// The shop's members (or service items, or products) written in the import's
// own columns, so that another shop (or this one, moved) takes them in again:
// balance and bonus as the books hold them, points, open debt, uses left per
// item by its code. .xlsx when the path ends so, else CSV. The number of rows,
// or -1 with *error.
int exportSheet(ImportKind kind, const QString &path, QString *error);

// The card types a row without one may be given.
QStringList cardTypeNames();

} // namespace OpeningImportWriter

#endif
