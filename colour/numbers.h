#pragma once

#include <QString>

#include <optional>

// How the colour windows read and write numbers. Every window uses these, so that "a number"
// means the same everywhere.
namespace colour {

// A value text read as a number: optional blanks, an optional sign, then digits with at most one
// "." (at least one digit), then optional blanks. Anything else is not a number.
std::optional<double> readNumber(const QString &text);

// The whole number nearest to value, ties to the even one; nothing when it lies outside the
// 32-bit range (the conversion fails).
std::optional<qint32> roundHalfEven(double value);

// readNumber followed by roundHalfEven.
std::optional<qint32> readInteger(const QString &text);

// value with exactly `decimals` digits after the separator and at least one before it, ties
// rounded away from zero, written with the given decimal separator.
QString formatFixed(double value, int decimals, QChar separator = QLatin1Char('.'));

} // namespace colour
