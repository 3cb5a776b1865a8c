#include "dropstring.h"

#include "fieldtable.h"
#include "sqf/values.h"

#include <string_view>

namespace drop {
namespace {

// Size and AnimationPhase: values spread evenly over the life, any number of them.
bool takesAnyNumberOfValues(int field)
{
    const std::string_view parameter = kFields.at(field).parameter;
    return parameter == "Size" || parameter == "AnimationPhase";
}

// A vector or list starting at `first`: its first field alone when the other two are empty (a
// whole-value expression, unless the first is itself bracketed and would read as the vector), two
// values when a Size or AnimationPhase has an empty middle, otherwise all three in brackets.
void appendVector(QString &out, int first, const QString &a, const QString &b, const QString &c)
{
    if (b.isEmpty() && c.isEmpty() && !sqf::isBracketed(a)) {
        out += a;
        return;
    }
    out += QLatin1Char('[') + a;
    if (!(b.isEmpty() && takesAnyNumberOfValues(first)))
        out += QLatin1Char(',') + b;
    out += QLatin1Char(',') + c + QLatin1Char(']');
}

} // namespace

bool writtenWithoutQuotes(int field, const QString &text)
{
    return (field == 0 && text.startsWith(QLatin1Char('['))) || sqf::isParenthesised(text);
}

QString formatDropString(const QStringList &fields, ColourMode mode, const QString &colorVarName)
{
    const auto field = [&fields](int index) { return index < fields.size() ? fields.at(index) : QString(); };

    qsizetype length = 64 + colorVarName.size();
    for (const QString &text : fields)
        length += text.size();
    QString out;
    out.reserve(length);

    out += QLatin1String("Drop [");
    for (int i = 0; i < kFieldCount; ++i) {
        const FieldEntry &entry = kFields[i];
        if (entry.component > 1)
            continue; // written with the vector's first component
        switch (entry.emitted) {
        case Emit::Quoted:
            if (writtenWithoutQuotes(i, field(i)))
                out += field(i);
            else
                out += QLatin1Char('"') + field(i) + QLatin1Char('"');
            break;
        case Emit::Bare:
            out += field(i);
            break;
        case Emit::Component:
            appendVector(out, i, field(i), field(i + 1), field(i + 2));
            break;
        case Emit::List:
            if (mode == ColourMode::Separate)
                out += colourVariableValue(colorVarName, field(i));
            else if (sqf::isParenthesised(field(i)))
                out += field(i); // a colour list given as one expression
            else
                out += QLatin1Char('[') + field(i) + QLatin1Char(']');
            break;
        }
        if (i + 1 < kFieldCount)
            out += QLatin1Char(',');
    }
    out += QLatin1Char(']');
    return out;
}

bool colourVariableHoldsTheList(const QString &colourList)
{
    // Elements as the game cuts a list: at the commas outside strings, brackets and parentheses.
    // Only none or two and more real elements change the form: neither "_color = " nor
    // "_color = a,b" runs.
    // A text that does not read (an open bracket or string) or has an empty element (a trailing
    // comma) runs in neither form and stays as typed; a parenthesised expression or a variable
    // name is one element, which may stand for a colour, and stays as typed too.
    const std::optional<QStringList> elements = sqf::splitElements(colourList);
    if (!elements)
        return false;
    return elements->isEmpty() || (elements->size() >= 2 && !elements->contains(QString()));
}

QString colourVariableValue(const QString &colorVarName, const QString &colourList)
{
    // Bare, an empty name would leave no value at all between the commas.
    if (!colorVarName.isEmpty() && colourVariableHoldsTheList(colourList))
        return colorVarName;
    return QLatin1Char('[') + colorVarName + QLatin1Char(']');
}

QString formatColourLine(const QString &colorVarName, const QString &colourList)
{
    if (colourVariableHoldsTheList(colourList))
        return colorVarName + QLatin1String(" = [") + colourList + QLatin1Char(']');
    return colorVarName + QLatin1String(" = ") + colourList;
}

QString formatSizeDisplay(ColourMode mode, qsizetype resultLength, qsizetype colourLineLength)
{
    if (mode == ColourMode::Inline)
        return QString::number(resultLength) + QLatin1String(" Byte");
    return QString::number(resultLength) + QLatin1String(" Byte + ") + QString::number(colourLineLength)
           + QLatin1String(" Byte");
}

std::optional<QString> colourVarNameFromLine(const QString &colourLine)
{
    if (colourLine.isEmpty())
        return std::nullopt;
    const qsizetype blank = colourLine.indexOf(QLatin1Char(' '));
    return blank < 0 ? colourLine : colourLine.left(blank);
}

std::optional<QString> correctedShapeType(const QString &type)
{
    if (type == QLatin1String("billboard"))
        return QStringLiteral("Billboard");
    if (type == QLatin1String("spaceobject"))
        return QStringLiteral("SpaceObject");
    return std::nullopt;
}

QStringList startTexts()
{
    QStringList texts;
    texts.reserve(kFieldCount);
    for (const FieldEntry &entry : kFields)
        texts << QString::fromLatin1(entry.startText);
    return texts;
}

} // namespace drop
