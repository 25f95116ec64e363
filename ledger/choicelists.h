#ifndef CHOICELISTS_H
#define CHOICELISTS_H

#include <QList>
#include <QString>
#include <QVariantList>
#include <optional>

// What the forms and the query pages offer to choose from, and the terms of a
// card type, read by the store: the windows fill their combo boxes from these
// rows (code or 0 first, the text shown second).
namespace ChoiceLists {

// Code and name of every operator, in the table's order.
QList<QVariantList> operators();
// Code and name of the categories of one kind ("产品类型", "项目类型", "员工类别"…).
QList<QVariantList> categories(const QString &kind);
// Code and name of every card type, in the table's order.
QList<QVariantList> cardTypes();
// The kinds of change the balance ledger and the points ledger hold, sorted,
// each once (with 0 for a code).
QList<QVariantList> balanceChangeKinds();
QList<QVariantList> pointsChangeKinds();

// Code and name of every employee, in the table's order.
QList<QVariantList> employees();
// Code and name of every package, one entry per code (two packages of one name
// are two packages), in the order they were defined.
QList<QVariantList> packages();
// The card types' names, in the table's order.
QStringList cardTypeNames();
bool cardTypeExists(const QString &name);

// What a card type gives as stored, texts as the form shows them.
struct CardTerms
{
    QString balance;         // kaneijine, 卡内金额
    QString price;           // jiage, 交费金额
    QString serviceDiscount; // fuwuzekou
    QString productDiscount; // chanpinzekou
};
// Nothing for no card type of that name, and for two of one name: neither is
// taken for the other.
std::optional<CardTerms> cardTerms(const QString &name);

} // namespace ChoiceLists

#endif
