#include "numbers.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace colour {

std::optional<double> readNumber(const QString &text)
{
    const QString trimmed = text.trimmed();
    qsizetype i = 0;
    if (i < trimmed.size() && (trimmed.at(i) == QLatin1Char('+') || trimmed.at(i) == QLatin1Char('-')))
        ++i;
    bool digit = false;
    bool point = false;
    for (; i < trimmed.size(); ++i) {
        const QChar c = trimmed.at(i);
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digit = true;
        else if (c == QLatin1Char('.') && !point)
            point = true;
        else
            return std::nullopt;
    }
    if (!digit)
        return std::nullopt;
    bool ok = false;
    const double value = trimmed.toDouble(&ok); // C locale: "." is the separator
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<qint32> roundHalfEven(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const double rounded = std::nearbyint(value); // the default rounding mode is to nearest, ties to even
    if (rounded < double(std::numeric_limits<qint32>::min()) || rounded > double(std::numeric_limits<qint32>::max()))
        return std::nullopt;
    return qint32(rounded);
}

std::optional<qint32> readInteger(const QString &text)
{
    const std::optional<double> value = readNumber(text);
    if (!value)
        return std::nullopt;
    return roundHalfEven(*value);
}

QString formatFixed(double value, int decimals, QChar separator)
{
    decimals = std::max(decimals, 0);
    if (!std::isfinite(value))
        return QString::number(value);
    // Rounding works on the value's decimal digits (fifteen significant, as a number is shown), so
    // that a tie such as 2.675 goes away from zero although its binary value lies just below it.
    const QString scientific = QString::number(std::fabs(value), 'e', 14); // d.dddddddddddddde+XX
    const qsizetype e = scientific.indexOf(QLatin1Char('e'));
    const QString mantissa = scientific.left(e).remove(QLatin1Char('.'));
    const int exponent = scientific.mid(e + 1).toInt();

    const qsizetype kept = qsizetype(exponent) + 1 + decimals; // digits of the mantissa that stay
    QString units;
    if (kept >= mantissa.size()) {
        units = mantissa + QString(kept - mantissa.size(), QLatin1Char('0'));
    } else if (kept >= 0) {
        units = mantissa.left(kept);
        if (mantissa.at(kept) >= QLatin1Char('5')) {
            qsizetype i = units.size() - 1;
            for (; i >= 0 && units.at(i) == QLatin1Char('9'); --i)
                units[i] = QLatin1Char('0');
            if (i >= 0)
                units[i] = QChar(units.at(i).unicode() + 1);
            else
                units.prepend(QLatin1Char('1'));
        }
    }
    while (units.size() > 1 && units.front() == QLatin1Char('0'))
        units.remove(0, 1);
    const bool zero = units.isEmpty() || units == QLatin1String("0");
    if (units.size() < decimals + 1)
        units.prepend(QString(decimals + 1 - units.size(), QLatin1Char('0')));
    if (decimals > 0)
        units.insert(units.size() - decimals, separator);
    if (value < 0 && !zero)
        units.prepend(QLatin1Char('-'));
    return units;
}

} // namespace colour
