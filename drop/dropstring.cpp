#include "dropstring.h"

#include "fieldtable.h"

namespace drop {

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
        if (entry.component == 1)
            out += QLatin1Char('[');
        switch (entry.emitted) {
        case Emit::Quoted:
            out += QLatin1Char('"') + field(i) + QLatin1Char('"');
            break;
        case Emit::Bare:
        case Emit::Component:
            out += field(i);
            break;
        case Emit::List:
            out += QLatin1Char('[') + (mode == ColourMode::Inline ? field(i) : colorVarName) + QLatin1Char(']');
            break;
        }
        if (entry.component == 3)
            out += QLatin1Char(']');
        if (i + 1 < kFieldCount)
            out += QLatin1Char(',');
    }
    out += QLatin1Char(']');
    return out;
}

QString formatColourLine(const QString &colorVarName, const QString &colourList)
{
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
