#include "numbers.h"

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
    double scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    const double scaled = std::round(std::fabs(value) * scale); // std::round takes ties away from zero
    if (!std::isfinite(scaled) || scaled > 9e15)
        return QString::number(value, 'f', decimals).replace(QLatin1Char('.'), separator);
    const auto units = qint64(scaled);
    const auto whole = qint64(scale);
    QString text = QString::number(units / whole);
    if (decimals > 0)
        text += separator + QStringLiteral("%1").arg(units % whole, decimals, 10, QLatin1Char('0'));
    if (value < 0 && units != 0)
        text.prepend(QLatin1Char('-'));
    return text;
}

} // namespace colour
