#ifndef CHOICELISTS_H
#define CHOICELISTS_H

#include <QList>
#include <QString>
#include <QVariantList>
#include <optional>

// What the member forms offer to choose from, and the terms of a card type,
// read by the store: the forms fill their combo boxes from these rows.
namespace ChoiceLists {

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
