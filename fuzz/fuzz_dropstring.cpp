// The drop string formatter: any field texts give "Drop [" ... "]" holding every field text in
// order, with no more than the fixed frame of brackets, quotes and commas around them and no less
// than the commas between the nineteen values (the frame the whole-value and two-value vectors,
// shape arrays, parenthesised expressions and a bare colour variable leave out). In the separate
// colour mode the colour variable stands bare only where its line gives it one whole array.
#include "drop/dropstring.h"
#include "drop/fieldtable.h"
#include "fuzzinput.h"
#include "sqf/values.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    const auto mode = data.ConsumeBool() ? drop::ColourMode::Separate : drop::ColourMode::Inline;
    const QString name = consumeText(data, 32);
    const int count = data.ConsumeIntegralInRange(0, drop::kFieldCount + 3);
    QStringList fields;
    for (int i = 0; i < count; ++i)
        fields << consumeText(data, 64);

    const QString result = drop::formatDropString(fields, mode, name);
    if (!result.startsWith(QLatin1String("Drop [")) || !result.endsWith(QLatin1Char(']')))
        violated("not framed by \"Drop [\" and \"]\"", result);

    // The whole frame: every field (and the name) one character long, none of them written bare.
    const qsizetype frame =
        drop::formatDropString(QStringList(drop::kFieldCount, QStringLiteral("x")), mode, QStringLiteral("x")).size()
        - drop::kFieldCount;
    const qsizetype leastFrame = qsizetype(sizeof("Drop [") - 1) + 18 + 1;
    qsizetype texts = 0;
    qsizetype from = 0;
    for (int i = 0; i < std::min<int>(count, drop::kFieldCount); ++i) {
        if (i == drop::kColourField - 1 && mode == drop::ColourMode::Separate)
            continue;
        texts += fields.at(i).size();
        const qsizetype at = result.indexOf(fields.at(i), from);
        if (at < 0)
            violated("a field text is not in its place", result);
        from = at + fields.at(i).size();
    }
    if (mode == drop::ColourMode::Separate)
        texts += name.size();
    if (result.size() > frame + texts || result.size() < leastFrame + texts)
        violated("length is not the field lengths plus at most the frame", result);

    if (mode == drop::ColourMode::Separate) {
        const QString colours = fields.value(drop::kColourField - 1);
        const QString line = drop::formatColourLine(name, colours);
        const QString value13 = drop::colourVariableValue(name, colours);
        if (!result.contains(QLatin1Char(',') + value13 + QLatin1Char(',')))
            violated("value 13 is not the colour variable", result);
        if (value13 == name && !sqf::isBracketed(QStringView(line).sliced(name.size() + 3)))
            violated("a bare colour variable is not given one array", line);
    }
    return 0;
}
