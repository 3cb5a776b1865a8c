// The number rules of the colour windows: readNumber accepts exactly blanks, a sign, digits with
// at most one ".", blanks; readInteger is readNumber rounded half to even; formatFixed writes the
// asked number of decimals and reads back within half a unit of the last one; the decimal colour
// number splits into channels that give it back.
#include "colour/decimalcolour.h"
#include "colour/numbers.h"
#include "fuzzinput.h"

#include <QRegularExpression>

#include <cmath>

namespace {

void readsNumbers(const QString &text)
{
    static const QRegularExpression number(QStringLiteral("^[+-]?(?=[0-9.]*[0-9])[0-9]*\\.?[0-9]*$"));
    const QString core = text.trimmed();
    const std::optional<double> value = colour::readNumber(text);
    const bool grammar = number.match(core).hasMatch();
    if (value && !grammar)
        violated("readNumber took a text that is not a number", text);
    if (grammar) {
        const double expected = std::strtod(core.toLatin1().constData(), nullptr);
        if (std::isfinite(expected) && (!value || *value != expected))
            violated("readNumber refused or misread a number", text);
    }
    const std::optional<qint32> integer = colour::readInteger(text);
    if (integer != (value ? colour::roundHalfEven(*value) : std::nullopt))
        violated("readInteger is not readNumber rounded", text);
    if (integer && value && std::fabs(double(*integer) - *value) > 0.5)
        violated("readInteger is more than a half away", text);

    const std::optional<colour::Rgb> preview = colour::previewColour(text);
    if (preview && (!integer || *integer < 0 || *integer > colour::kLargestDecimalColour))
        violated("a preview colour for a text out of range", text);
    if (const std::optional<QString> corrected = colour::correctedDecimalText(text)) {
        if (*corrected != QLatin1String("16777215") && *corrected != QLatin1String("0"))
            violated("a decimal text corrected to something else than a bound", text);
    }
}

void formatsFixed(double value, int decimals)
{
    const QString text = colour::formatFixed(value, decimals);
    if (!std::isfinite(value))
        return;
    static const QRegularExpression fixed(QStringLiteral("^-?[0-9]+(\\.[0-9]+)?$"));
    if (!fixed.match(text).hasMatch())
        violated("formatFixed wrote no fixed-point number", text);
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    if ((decimals == 0 && point >= 0) || (decimals > 0 && text.size() - point - 1 != decimals))
        violated("formatFixed wrote the wrong number of decimals", QStringLiteral("%1 for %2").arg(text).arg(decimals));
    if (std::fabs(value) < 1e12) {
        const std::optional<double> back = colour::readNumber(text);
        const double allowed = 0.5 * std::pow(10.0, -decimals) + std::fabs(value) * 1e-13 + 1e-300;
        if (!back || std::fabs(*back - value) > allowed)
            violated("formatFixed reads back too far away",
                     QStringLiteral("%1 from %2").arg(text).arg(value, 0, 'g', 17));
    }
}

void splitsColours(qint32 value)
{
    const colour::Rgb rgb = colour::splitDecimalColour(value);
    for (const int channel : {rgb.red, rgb.green, rgb.blue}) {
        if (channel < 0 || channel > 255)
            violated("a channel outside 0 .. 255", QString::number(value));
    }
    if (value >= 0 && value <= colour::kLargestDecimalColour && rgb.red + 256 * rgb.green + 65536 * rgb.blue != value)
        violated("the channels do not give back the colour number", QString::number(value));
    if (value < 0 && !(rgb == colour::Rgb{}))
        violated("a negative colour number is not black", QString::number(value));
    const QString text = QString::number(value);
    if (value >= 0 && value <= colour::kLargestDecimalColour) {
        if (colour::previewColour(text) != std::optional<colour::Rgb>(rgb) || colour::decimalColourOf(text) != rgb)
            violated("the preview or OK colour differs from the split", text);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    const int decimals = data.ConsumeIntegralInRange(0, 12);
    const double value = data.ConsumeFloatingPoint<double>();
    const qint32 colourNumber = data.ConsumeIntegral<qint32>();
    formatsFixed(value, decimals);
    formatsFixed(value / 1e6, decimals);
    splitsColours(colourNumber);
    readsNumbers(consumeRemainingText(data));
    return 0;
}
