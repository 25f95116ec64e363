#include "amounts.h"

#include <QRegularExpression>
#include <cmath>

namespace {

// Splits "[-]digits[.digits]" exactly, without going through a double, so that
// 0.1 + 0.2 never enters the picture. Returns false when the text has another shape.
bool splitDecimal(const QString &text, bool *negative, QString *whole, QString *fraction)
{
    static const QRegularExpression shape(QStringLiteral("^([+-]?)(\\d*)(?:\\.(\\d*))?$"));
    const QRegularExpressionMatch m = shape.match(text);
    if (!m.hasMatch())
        return false;
    *negative = m.captured(1) == QLatin1String("-");
    *whole = m.captured(2);
    *fraction = m.captured(3);
    return !(whole->isEmpty() && fraction->isEmpty());
}

int significantDecimals(const QString &fraction)
{
    int n = fraction.size();
    while (n > 0 && fraction.at(n - 1) == QLatin1Char('0'))
        --n;
    return n;
}

} // namespace

static MoneyInput parseMoney(const QString &typed, const QString &what, bool allowNegative);

MoneyInput parseMoneyInput(const QString &typed, const QString &what, bool allowNegative)
{
    MoneyInput r = parseMoney(typed, what, allowNegative);
    if (!r.ok)
        r.cents = 0; // a refused amount is no amount
    return r;
}

static MoneyInput parseMoney(const QString &typed, const QString &what, bool allowNegative)
{
    MoneyInput r;
    const QString text = typed.trimmed();
    if (text.isEmpty()) {
        r.ok = true;
        return r;
    }
    bool negative = false;
    QString whole, fraction;
    if (!splitDecimal(text, &negative, &whole, &fraction)) {
        bool good = false;
        const double v = text.toDouble(&good);
        if (!good || !std::isfinite(v)) {
            r.notNumber = true;
            r.error = what + QStringLiteral("不是有效的数字");
            return r;
        }
        // "1e3" and the like: accepted only when it is a whole number of cents.
        const double c = v * 100.0;
        if (std::fabs(c) > double(kMaxMoneyCents)) {
            r.tooLarge = true;
            r.error = what + QStringLiteral("不能超过1000000000");
            return r;
        }
        if (std::fabs(c - std::round(c)) > 1e-6) {
            r.error = what + QStringLiteral("最多只能有两位小数");
            return r;
        }
        negative = c < 0;
        r.cents = qint64(std::llround(std::fabs(c)));
    } else {
        if (significantDecimals(fraction) > 2) {
            r.error = what + QStringLiteral("最多只能有两位小数");
            return r;
        }
        static const QRegularExpression leadingZeros(QStringLiteral("^0+"));
        whole.remove(leadingZeros);
        if (whole.size() > 10) {
            r.tooLarge = true;
            r.error = what + QStringLiteral("不能超过1000000000");
            return r;
        }
        const QString cents2 = (fraction + QStringLiteral("00")).left(2);
        r.cents = (whole.isEmpty() ? 0 : whole.toLongLong()) * 100 + cents2.toLongLong();
    }
    if (r.cents > kMaxMoneyCents) {
        r.tooLarge = true;
        r.error = what + QStringLiteral("不能超过1000000000");
        return r;
    }
    if (negative && r.cents != 0) {
        if (!allowNegative) {
            r.negative = true;
            r.error = what + QStringLiteral("不能小于0");
            return r;
        }
        r.cents = -r.cents;
    }
    r.ok = true;
    return r;
}

CountInput parseCountInput(const QString &typed, const QString &what, int maxDecimals)
{
    CountInput r;
    const QString text = typed.trimmed();
    if (text.isEmpty()) {
        r.ok = true;
        return r;
    }
    bool good = false;
    const double v = text.toDouble(&good);
    if (!good || !std::isfinite(v)) {
        r.notNumber = true;
        r.error = what + QStringLiteral("不是有效的数字");
        return r;
    }
    if (v < 0) {
        r.negative = true;
        r.error = what + QStringLiteral("不能小于0");
        return r;
    }
    if (v > kMaxCount) {
        r.tooLarge = true;
        r.error = what + QStringLiteral("不能超过1000000");
        return r;
    }
    const double scale = std::pow(10.0, maxDecimals);
    if (std::fabs(v * scale - std::round(v * scale)) > 1e-6) {
        r.error = maxDecimals == 0 ? what + QStringLiteral("必须是整数")
                                   : what + QStringLiteral("最多只能有%1位小数").arg(maxDecimals);
        return r;
    }
    r.value = v;
    r.ok = true;
    return r;
}

QString centsShown(qint64 cents)
{
    const QString s = centsText(cents);
    const int dot = s.indexOf(QLatin1Char('.'));
    if (dot < 0)
        return s + QStringLiteral(".00");
    return s.leftJustified(dot + 3, QLatin1Char('0'));
}

QString centsText(qint64 cents)
{
    const bool negative = cents < 0;
    const qint64 a = negative ? -cents : cents;
    QString s = QString::number(a / 100);
    const qint64 frac = a % 100;
    if (frac != 0) {
        s += QLatin1Char('.') + QStringLiteral("%1").arg(frac, 2, 10, QLatin1Char('0'));
        if (s.endsWith(QLatin1Char('0')))
            s.chop(1);
    }
    return negative ? QLatin1Char('-') + s : s;
}

double centsToYuan(qint64 cents)
{
    return double(cents) / 100.0;
}

qint64 yuanToCents(double yuan)
{
    if (!std::isfinite(yuan))
        return 0;
    return qint64(std::llround(yuan * 100.0));
}
