#include "values.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <vector>

namespace sqf {
namespace {

bool isQuote(QChar c)
{
    return c == QLatin1Char('"') || c == QLatin1Char('\'');
}

bool isOpening(QChar c)
{
    return c == QLatin1Char('[') || c == QLatin1Char('(');
}

bool isClosing(QChar c)
{
    return c == QLatin1Char(']') || c == QLatin1Char(')');
}

bool closes(QChar closing, QChar opening)
{
    return (opening == QLatin1Char('[') && closing == QLatin1Char(']'))
           || (opening == QLatin1Char('(') && closing == QLatin1Char(')'));
}

// The characters whose neighbouring blanks the blank rule removes.
bool isSeparator(QChar c)
{
    return c == QLatin1Char(',') || c == QLatin1Char('[') || c == QLatin1Char(']');
}

// Reads strings and brackets from `from` to the end, or until the bracket open at `from` closes
// (stopWhenClosed). Commas outside every string and bracket go into topLevelCommas when given.
struct Walk {
    qsizetype closedAt = -1;
    std::optional<Fault> fault;
};

Walk walk(QStringView text, qsizetype from, bool stopWhenClosed, std::vector<qsizetype> *topLevelCommas)
{
    Walk result;
    std::vector<qsizetype> open;
    qsizetype i = from;
    while (i < text.size()) {
        const QChar c = text[i];
        if (isQuote(c)) {
            const qsizetype end = stringEnd(text, i);
            if (end < 0) {
                result.fault = Fault{Fault::Kind::UnclosedString, i};
                return result;
            }
            i = end;
            continue;
        }
        if (isOpening(c)) {
            open.push_back(i);
        } else if (isClosing(c)) {
            if (open.empty()) {
                result.fault = Fault{Fault::Kind::StrayClosing, i};
                return result;
            }
            if (!closes(c, text[open.back()])) {
                result.fault = Fault{Fault::Kind::WrongClosing, i, open.back()};
                return result;
            }
            open.pop_back();
            if (open.empty() && stopWhenClosed) {
                result.closedAt = i;
                return result;
            }
        } else if (c == QLatin1Char(',') && open.empty() && topLevelCommas) {
            topLevelCommas->push_back(i);
        }
        ++i;
    }
    if (!open.empty())
        result.fault = Fault{Fault::Kind::UnclosedBracket, open.back()};
    return result;
}

// Appends the string literal that opens at text[at] as written, an unclosed one to the end of the
// text; gives the position after it.
qsizetype copyString(QString &result, QStringView text, qsizetype at)
{
    qsizetype end = stringEnd(text, at);
    if (end < 0)
        end = text.size();
    result.append(text.sliced(at, end - at));
    return end;
}

} // namespace

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

QString removeBlanks(QStringView text)
{
    QString result;
    result.reserve(text.size());
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = text[i];
        if (isQuote(c)) {
            i = copyString(result, text, i);
        } else if (isBlank(c)) {
            qsizetype j = i;
            while (j < n && isBlank(text[j]))
                ++j;
            const bool touches = i == 0 || j == n || isSeparator(text[i - 1]) || isSeparator(text[j]);
            if (!touches)
                result.append(text.sliced(i, j - i));
            i = j;
        } else {
            result.append(c);
            ++i;
        }
    }
    return result;
}

qsizetype stringEnd(QStringView text, qsizetype at)
{
    if (at < 0 || at >= text.size() || !isQuote(text[at]))
        return -1;
    const QChar quote = text[at];
    qsizetype i = at + 1;
    while (i < text.size()) {
        if (text[i] == quote) {
            if (i + 1 < text.size() && text[i + 1] == quote) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return -1;
}

std::optional<QString> stringContent(QStringView text)
{
    if (text.isEmpty() || stringEnd(text, 0) != text.size())
        return std::nullopt;
    return text.sliced(1, text.size() - 2).toString();
}

std::optional<QString> stringValue(QStringView text)
{
    std::optional<QString> content = stringContent(text);
    if (!content)
        return std::nullopt;
    const QString quote(text[0]);
    return content->replace(quote + quote, quote);
}

QString doubleQuoted(QStringView value)
{
    QString literal = value.toString();
    literal.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + literal + QLatin1Char('"');
}

QString removeComments(QStringView text)
{
    const qsizetype n = text.size();
    QString result;
    result.reserve(n);
    qsizetype i = 0;
    while (i < n) {
        const QChar c = text[i];
        if (isQuote(c)) {
            i = copyString(result, text, i);
        } else if (c == QLatin1Char('/') && i + 1 < n && text[i + 1] == QLatin1Char('/')) {
            while (i < n && text[i] != QLatin1Char('\n') && text[i] != QLatin1Char('\r'))
                ++i;
        } else if (c == QLatin1Char('/') && i + 1 < n && text[i + 1] == QLatin1Char('*')) {
            const qsizetype close = text.indexOf(QLatin1StringView("*/"), i + 2);
            i = close < 0 ? n : close + 2;
            // A blank keeps the words on either side apart.
            result.append(QLatin1Char(' '));
        } else {
            result.append(c);
            ++i;
        }
    }
    return result;
}

std::optional<Fault> firstFault(QStringView text)
{
    return walk(text, 0, false, nullptr).fault;
}

Closing closingBracket(QStringView text, qsizetype at)
{
    Closing closing;
    if (at < 0 || at >= text.size() || !isOpening(text[at]))
        return closing;
    const Walk result = walk(text, at, true, nullptr);
    closing.at = result.closedAt;
    closing.fault = result.fault;
    return closing;
}

std::optional<QStringList> splitElements(QStringView text)
{
    const QString tidy = removeBlanks(text);
    std::vector<qsizetype> commas;
    if (walk(tidy, 0, false, &commas).fault)
        return std::nullopt;
    QStringList elements;
    if (tidy.isEmpty())
        return elements;
    qsizetype from = 0;
    for (const qsizetype comma : commas) {
        elements.append(tidy.sliced(from, comma - from));
        from = comma + 1;
    }
    elements.append(tidy.sliced(from));
    return elements;
}

bool isBracketed(QStringView text)
{
    return bracketContent(text).has_value();
}

std::optional<QString> bracketContent(QStringView text)
{
    const QString tidy = removeBlanks(text);
    if (tidy.isEmpty() || tidy[0] != QLatin1Char('['))
        return std::nullopt;
    if (closingBracket(tidy, 0).at != tidy.size() - 1)
        return std::nullopt;
    return tidy.sliced(1, tidy.size() - 2);
}

bool isParenthesised(QStringView text)
{
    return !text.isEmpty() && text[0] == QLatin1Char('(') && closingBracket(text, 0).at == text.size() - 1;
}

std::optional<QStringList> arrayElements(QStringView text)
{
    const std::optional<QString> content = bracketContent(text);
    if (!content)
        return std::nullopt;
    return splitElements(*content);
}

std::optional<double> plainNumber(QStringView text)
{
    qsizetype i = text.startsWith(QLatin1Char('-')) ? 1 : 0;
    qsizetype digits = 0;
    bool point = false;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            ++digits;
        } else if (c == QLatin1Char('.') && !point) {
            point = true;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0)
        return std::nullopt;
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QString formatNumber(double value)
{
    if (value == 0)
        return QStringLiteral("0");
    return QString::number(value, 'f', QLocale::FloatingPointShortest);
}

namespace {

int decimalPlaces(QStringView text)
{
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    return point < 0 ? 0 : int(text.size() - point - 1);
}

std::optional<QString> plainCombination(QStringView a, QStringView b, double sign)
{
    const std::optional<double> x = plainNumber(a);
    const std::optional<double> y = plainNumber(b);
    if (!x || !y)
        return std::nullopt;
    double value = *x + sign * *y;
    if (!std::isfinite(value))
        return std::nullopt;
    // Powers of ten up to 10^15 and whole numbers below 2^53 are exact: the division rounds once.
    const int places = std::max(decimalPlaces(a), decimalPlaces(b));
    const double scale = std::pow(10.0, places);
    if (places <= 15 && std::abs(value * scale) < 9e15)
        value = std::round(value * scale) / scale;
    return formatNumber(value);
}

} // namespace

std::optional<QString> plainSum(QStringView a, QStringView b)
{
    return plainCombination(a, b, 1);
}

std::optional<QString> plainDifference(QStringView a, QStringView b)
{
    return plainCombination(a, b, -1);
}

} // namespace sqf
