#ifndef AMOUNTS_H
#define AMOUNTS_H

#include <QString>
#include <QtGlobal>

// Amounts and counts typed by a person, checked once before anything is
// written: money travels on as integer cents, so that 33.334 is refused instead
// of being rounded away and three thirds never lose a cent.

constexpr qint64 kMaxMoneyCents = Q_INT64_C(100000000000); // 1e9 yuan
constexpr double kMaxCount = 1e6;

struct MoneyInput
{
    bool ok = false;
    bool notNumber = false;  // the text is not a number at all
    bool negative = false;   // refused for being below 0
    bool tooLarge = false;   // refused for being above the bound
    qint64 cents = 0;
    QString error;           // a sentence for the cashier, naming the field
};

// Empty text is 0. Refused: text that is not a number, inf or NaN, more than two
// decimals (unless they are zeros), a negative amount unless allowed, and more
// than 1e9. `what` names the field in the message ("充值金额").
MoneyInput parseMoneyInput(const QString &text, const QString &what, bool allowNegative = false);

struct CountInput
{
    bool ok = false;
    bool notNumber = false;
    bool negative = false;
    bool tooLarge = false;
    double value = 0;
    QString error;
};

// Quantities and uses: finite, not negative, at most 1e6 and at most
// `maxDecimals` decimals (0 for whole uses).
CountInput parseCountInput(const QString &text, const QString &what, int maxDecimals = 2);

// Cents written as the money formatter writes amounts: "80", "12345.67", "-3.5".
QString centsText(qint64 cents);
// Cents as a person reads them: always two decimals ("36.10", "80.00").
QString centsShown(qint64 cents);
double centsToYuan(qint64 cents);
// A stored amount back to cents (rounded half away from zero; stored amounts
// already have at most two decimals).
qint64 yuanToCents(double yuan);

#endif
