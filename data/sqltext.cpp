#include "sqltext.h"
#include "amounts.h"

#include <QtMath>
#include <cmath>

QString sqlEsc(const QString &text)
{
    QString out = text;
    out.replace(QLatin1Char('\''), QLatin1String("''"));
    return out;
}

QString sqlLiteral(const QString &text)
{
    return QLatin1Char('\'') + sqlEsc(text) + QLatin1Char('\'');
}

const char kLikeEscape[] = " escape '\\'";

QString likeContaining(const QString &typed)
{
    return QLatin1Char('%') + QString(typed).replace(QLatin1Char('\\'), QLatin1String("\\\\")) + QLatin1Char('%');
}

QString sqlName(const QString &name)
{
    if (name.compare(QLatin1String("user"), Qt::CaseInsensitive) == 0)
        return QLatin1Char('"') + name + QLatin1Char('"');
    return name;
}

double parseNumber(const QString &text, bool *ok)
{
    bool good = false;
    double v = text.trimmed().toDouble(&good);
    if (!good || !std::isfinite(v)) {
        good = false;
        v = 0;
    }
    if (ok)
        *ok = good;
    return v;
}

QString moneyText(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("0");
    // Round to cents first so that 0.1+0.2 prints "0.3", never "0.30000000000000004".
    const double cents = std::round(value * 100.0);
    QString s = QString::number(cents / 100.0, 'f', 2);
    if (s.contains(QLatin1Char('.'))) {
        while (s.endsWith(QLatin1Char('0')))
            s.chop(1);
        if (s.endsWith(QLatin1Char('.')))
            s.chop(1);
    }
    if (s == QLatin1String("-0"))
        s = QStringLiteral("0");
    return s;
}

QString moneyShown(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("0.00");
    return centsShown(yuanToCents(value));
}

QString numberText(double value)
{
    return QString::number(value, 'g', 6);
}
