#include "importparser.h"

#include "drop/dropstring.h"
#include "drop/fieldtable.h"
#include "input/singleline.h"
#include "sqf/values.h"

#include <string_view>

namespace import {
namespace {

constexpr qsizetype kParameterCount = 19;
constexpr int kColourField = drop::kColourField - 1;

using Kind = ImportFailure::Kind;

ImportFailure failure(Kind kind, int parameter = -1, qsizetype count = 0)
{
    ImportFailure result{kind};
    result.parameter = parameter;
    result.count = count;
    return result;
}

ImportFailure fromFault(const sqf::Fault &fault)
{
    switch (fault.kind) {
    case sqf::Fault::Kind::UnclosedString:
        return {Kind::UnclosedString, -1, 0, fault.at + 1};
    case sqf::Fault::Kind::UnclosedBracket:
        return {Kind::UnclosedBracket, -1, 0, fault.at + 1};
    case sqf::Fault::Kind::StrayClosing:
        return {Kind::StrayBracket, -1, 0, fault.at + 1};
    case sqf::Fault::Kind::WrongClosing:
        break;
    }
    return {Kind::WrongBracket, -1, 0, fault.at + 1, fault.opening + 1};
}

// Where the array starts after a particle source's "... setParticleParams" (any letter case) when
// the text has one before its array, outside strings; -1 otherwise.
qsizetype afterSetParticleParams(const QString &text)
{
    const QLatin1StringView keyword("setparticleparams");
    qsizetype i = 0;
    while (i < text.size() && text[i] != QLatin1Char('[')) {
        if (text[i] == QLatin1Char('"') || text[i] == QLatin1Char('\'')) {
            const qsizetype end = sqf::stringEnd(text, i);
            if (end < 0)
                return -1;
            i = end;
            continue;
        }
        if (QStringView(text).sliced(i).startsWith(keyword, Qt::CaseInsensitive))
            return i + keyword.size();
        ++i;
    }
    return -1;
}

// The comments, the line breaks, the blanks at separators and the leading keyword removed.
QString cleanText(const QString &pasted)
{
    QString text = sqf::removeBlanks(input::joinLines(sqf::removeComments(pasted)));
    if (text.left(4).compare(QLatin1StringView("drop"), Qt::CaseInsensitive) == 0)
        return sqf::removeBlanks(QStringView(text).sliced(4));
    if (const qsizetype start = afterSetParticleParams(text); start >= 0)
        return sqf::removeBlanks(QStringView(text).sliced(start));
    return text;
}

// A value written as an expression where the drop string would add quotes or brackets: in one
// pair of parentheses, which the drop string writes as they stand.
QString expressionField(const QString &element)
{
    return sqf::isParenthesised(element) ? element : QLatin1Char('(') + element + QLatin1Char(')');
}

// A string parameter's field text: what the drop string writes between double quotes. Between
// double quotes that open and close the element the text is taken as written, even where inner
// quotes are not doubled (a command typed as hint "x" and built as "hint "x""): written back
// between quotes it gives the same element. A string in single quotes is rewritten in the double
// quote form, so that the rebuilt command means the same. Any other element is an expression.
std::optional<QString> stringField(const QString &element, int field)
{
    const QLatin1Char quote('"');
    if (element.isEmpty())
        return std::nullopt;
    std::optional<QString> text;
    if (element.startsWith(quote) && element.size() >= 2 && element.endsWith(quote)) {
        text = element.sliced(1, element.size() - 2);
    } else if (const std::optional<QString> value = sqf::stringValue(element)) {
        const QString literal = sqf::doubleQuoted(*value);
        text = literal.sliced(1, literal.size() - 2);
    }
    if (text) {
        // A string such as "(x)", which the drop string would write without its quotes, keeps them
        // inside parentheses: ("(x)") is the same string.
        if (drop::writtenWithoutQuotes(field, *text))
            return QStringLiteral("(\"%1\")").arg(*text);
        return text;
    }
    // A shape array of the later games: the drop string writes a ShapeName that begins with '['
    // as it stands.
    if (field == 0 && element.startsWith(QLatin1Char('[')))
        return element;
    return expressionField(element);
}

// Size and AnimationPhase may be written with any number of values, which the game spreads evenly
// over the particle's life: [a] stands for a, a, a; [a, b] keeps a and b in the first and last
// fields with the middle empty; from four on the values between the first and the last share the
// middle field, joined by commas.
bool spreads(int parameter)
{
    if (parameter < 0 || parameter >= kParameterCount)
        return false;
    const std::string_view name = drop::kParameterNames.at(parameter);
    return name == "Size" || name == "AnimationPhase";
}

std::optional<ImportFailure> readVector(const QString &element, int parameter, QStringList &fields)
{
    const std::optional<QStringList> values = sqf::arrayElements(element);
    if (!values) {
        // One expression for the whole vector or list.
        fields << element << QString() << QString();
        return std::nullopt;
    }
    const qsizetype count = values->size();
    if (count == 3) {
        fields << *values;
        return std::nullopt;
    }
    if (!spreads(parameter) || count == 0)
        return failure(Kind::WrongValueCount, parameter, count);
    if (count == 1)
        fields << values->at(0) << values->at(0) << values->at(0);
    else
        fields << values->front() << values->mid(1, count - 2).join(QLatin1Char(',')) << values->back();
    return std::nullopt;
}

// Box clear: the text between the brackets of a bracketed list, whatever its elements; any other
// element is an expression for the whole list. Nothing for an empty element.
std::optional<QString> colourList(const QString &element)
{
    if (element.isEmpty())
        return std::nullopt;
    std::optional<QString> content = sqf::bracketContent(element);
    if (!content)
        return expressionField(element);
    // A list of one parenthesised colour, [(c)], keeps a blank before it, so that the drop string
    // brackets it again instead of writing the colour as the whole list.
    if (sqf::isParenthesised(*content))
        return QLatin1Char(' ') + *content;
    return content;
}

// Box set: the colour variable's name, between brackets or bare, as the drop string writes it for
// one colour or for none or several; no separator, bracket, quote or blank belongs to it.
std::optional<QString> colourName(const QString &element)
{
    const std::optional<QString> content = sqf::bracketContent(element);
    if (!content && element.isEmpty())
        return std::nullopt;
    const QString name = content.value_or(element);
    for (const QChar c : name)
        if (sqf::isBlank(c) || QStringView(u",[]()\"'").contains(c))
            return std::nullopt;
    return name;
}

struct Reading {
    ImportedArray array;
    std::optional<ImportFailure> failure;
};

Reading readElements(const QStringList &elements, bool separateColours, const QString &separateColourText)
{
    Reading reading;
    QStringList &fields = reading.array.fields;
    QString colourToken;
    int parameter = -1;
    for (int field = 0; field < drop::kFieldCount; ++field) {
        const drop::FieldEntry &entry = drop::kFields.at(field);
        if (entry.component > 1)
            continue; // written with the vector's first component
        const QString &element = elements.at(++parameter);
        switch (entry.emitted) {
        case drop::Emit::Quoted:
            if (const std::optional<QString> text = stringField(element, field)) {
                fields << *text;
                break;
            }
            reading.failure = failure(Kind::NotAString, parameter);
            return reading;
        case drop::Emit::Bare:
            // The later games' parameters after the object stay with it in the Object field.
            fields << (parameter == kParameterCount - 1 ? elements.mid(parameter).join(QLatin1Char(',')) : element);
            break;
        case drop::Emit::Component:
            reading.failure = readVector(element, parameter, fields);
            if (reading.failure)
                return reading;
            break;
        case drop::Emit::List:
            if (separateColours) {
                const std::optional<QString> name = colourName(element);
                if (!name) {
                    reading.failure = failure(Kind::NoColourName, parameter);
                    return reading;
                }
                reading.array.colorVarName = *name;
                colourToken = *name;
                fields << separateColourText;
            } else {
                const std::optional<QString> list = colourList(element);
                if (!list) {
                    reading.failure = failure(Kind::NoColourList, parameter);
                    return reading;
                }
                colourToken = *list;
                fields << *list;
            }
            break;
        }
    }
    reading.array.tokens = fields;
    reading.array.tokens[kColourField] = colourToken;
    reading.array.tokens.back() = elements.at(kParameterCount - 1);
    reading.array.tokens << elements.mid(kParameterCount);
    return reading;
}

QString valueCount(qsizetype count)
{
    if (count == 0)
        return QStringLiteral("no values");
    return count == 1 ? QStringLiteral("1 value") : QStringLiteral("%1 values").arg(count);
}

} // namespace

ParseOutcome parseDropArray(const QString &pasted, bool separateColours, const QString &separateColourText)
{
    ParseOutcome outcome;
    outcome.cleanedText = cleanText(pasted);
    const QString &text = outcome.cleanedText;

    if (text.isEmpty()) {
        outcome.failure = failure(Kind::Empty);
        return outcome;
    }
    if (text[0] != QLatin1Char('[')) {
        outcome.failure = failure(Kind::NotAnArray);
        return outcome;
    }
    const sqf::Closing closing = sqf::closingBracket(text, 0);
    if (closing.fault) {
        outcome.failure = fromFault(*closing.fault);
        return outcome;
    }
    // A script line copied whole ends with a semicolon.
    const QStringView rest = QStringView(text).sliced(closing.at + 1);
    if (!rest.isEmpty() && rest != u";") {
        outcome.failure = ImportFailure{Kind::TextAfterArray, -1, 0, closing.at + 1};
        return outcome;
    }
    const std::optional<QStringList> elements = sqf::splitElements(QStringView(text).sliced(1, closing.at - 1));
    if (!elements || elements->size() < kParameterCount) {
        outcome.failure = failure(Kind::TooFewValues, -1, elements ? elements->size() : 0);
        return outcome;
    }
    Reading reading = readElements(*elements, separateColours, separateColourText);
    if (reading.failure)
        outcome.failure = reading.failure;
    else
        outcome.array = std::move(reading.array);
    return outcome;
}

QString failureReason(const ImportFailure &failure)
{
    const QString parameter = failure.parameter >= 0 && failure.parameter < kParameterCount
                                  ? QString::fromLatin1(drop::kParameterNames.at(failure.parameter))
                                  : QString();
    switch (failure.kind) {
    case Kind::Empty:
        return QStringLiteral("There is no drop array to import");
    case Kind::NotAnArray:
        return QStringLiteral("The drop array does not begin with [");
    case Kind::UnclosedString:
        return QStringLiteral("The string at character %1 is not closed").arg(failure.at);
    case Kind::UnclosedBracket:
        return QStringLiteral("The bracket at character %1 is not closed").arg(failure.at);
    case Kind::StrayBracket:
        return QStringLiteral("The bracket at character %1 closes nothing").arg(failure.at);
    case Kind::WrongBracket:
        return QStringLiteral("The bracket at character %1 does not close the one at character %2")
            .arg(failure.at)
            .arg(failure.opening);
    case Kind::TextAfterArray:
        return QStringLiteral("Only a ; may follow the closing ] at character %1").arg(failure.at);
    case Kind::TooFewValues:
        return QStringLiteral("The drop array has %1; drop takes 19").arg(valueCount(failure.count));
    case Kind::NotAString:
        return QStringLiteral("%1 is not a string in quotes").arg(parameter);
    case Kind::WrongValueCount:
        return QStringLiteral("%1 has %2; its fields take 3").arg(parameter, valueCount(failure.count));
    case Kind::NoColourList:
        return QStringLiteral("%1 is not a list of colour arrays; for a colour variable check \"Seperate color(s)\"")
            .arg(parameter);
    case Kind::NoColourName:
        return QStringLiteral("%1 is not a colour variable name; for a colour list clear \"Seperate color(s)\"")
            .arg(parameter);
    }
    return {};
}

} // namespace import
