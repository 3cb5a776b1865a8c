#include "decimalcolour.h"

#include "numbers.h"

namespace colour {

std::optional<QString> correctedDecimalText(const QString &text)
{
    if (text.isEmpty())
        return std::nullopt;
    const std::optional<double> value = readNumber(text);
    if (!value || *value > kLargestDecimalColour)
        return QString::number(kLargestDecimalColour);
    if (*value < 0)
        return QStringLiteral("0");
    return std::nullopt;
}

std::optional<Rgb> previewColour(const QString &text)
{
    const std::optional<qint32> value = readInteger(text);
    if (!value || *value < 0 || *value > kLargestDecimalColour)
        return std::nullopt;
    return splitDecimalColour(*value);
}

Rgb splitDecimalColour(qint32 value)
{
    if (value < 0)
        value = 0;
    return {value & 255, (value / 256) & 255, (value / 65536) & 255};
}

Rgb decimalColourOf(const QString &text)
{
    return splitDecimalColour(readInteger(text).value_or(0));
}

} // namespace colour
