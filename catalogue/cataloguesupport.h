#ifndef CATALOGUESUPPORT_H
#define CATALOGUESUPPORT_H

#include <QString>

class QComboBox;
class QLineEdit;
class QWidget;

// Small helpers shared by the catalogue and staff dialogs.
namespace Catalogue {

// The plain box (no title, one button) the edit dialogs use for refusals.
void plainMessage(const QString &text, QWidget *parent = nullptr);

// Reads a money field typed by a person. Empty counts as 0 when allowEmpty.
// Text that is not a number, a negative amount, more than two decimals or more
// than 1e9 is refused with a message naming the field; the field then gets the
// focus. On success *out holds the amount as the money formatter writes it.
bool readMoney(QLineEdit *edit, const QString &label, QString *out,
               QWidget *parent, bool allowEmpty = true);
// The same, the amount in cents.
bool readCents(QLineEdit *edit, const QString &label, qint64 *cents, QWidget *parent, bool allowEmpty = true);

// Reads a quantity, a number of uses or a time typed by a person: empty is 0,
// otherwise a number from 0 to 1e6 with at most maxDecimals decimals (above 0
// when positive). Refusals as for readMoney.
bool readCount(QLineEdit *edit, const QString &label, double *out, QWidget *parent,
               bool positive = false, int maxDecimals = 2);

// Makes text the combo's current entry. An entry that is no longer in the list
// (deleted from its named list since) is kept as edit text instead of silently
// becoming the first entry, so saving a row never changes its category.
void setComboText(QComboBox *box, const QString &text);

// Fills a combo with the entries of one named list ("项目类型" …); the refill
// after the list was edited keeps the current text.
void fillNamedList(QComboBox *box, const QString &listName);
void refillNamedList(QComboBox *box, const QString &listName);

// The message every catalogue dialog shows when its save did not land, with
// the cause (full disk, read-only file ...) read from the failure's text.
QString saveFailedText(const QString &error = QString());
}

#endif
