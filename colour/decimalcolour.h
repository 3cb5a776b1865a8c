#pragma once

#include <QString>

#include <optional>

// The decimal colour number: red + 256 * green + 65536 * blue, from 0 to 16777215.
namespace colour {

constexpr qint32 kLargestDecimalColour = 16777215;

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
    friend bool operator==(const Rgb &, const Rgb &) = default;
};

// The text a decimal value field must be corrected to at once, or nothing when it stands: a text
// that is not a number or lies above 16777215 becomes "16777215", a negative number "0". The empty
// text stands.
std::optional<QString> correctedDecimalText(const QString &text);

// The colour the preview shows for a value text, or nothing when the text names no colour (empty,
// not a number, out of range): the value rounded half to even, split into its channels.
std::optional<Rgb> previewColour(const QString &text);

// The channels of a colour number: red = v AND 255, green = (v / 256) AND 255,
// blue = (v / 65536) AND 255. A negative number is taken as 0 (black).
Rgb splitDecimalColour(qint32 value);

// The colour "OK" hands on for a value text: the text rounded half to even and split; a text that
// cannot be read gives black.
Rgb decimalColourOf(const QString &text);

} // namespace colour
