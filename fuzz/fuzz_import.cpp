// The import parser. Any pasted text: no crash, the cleaned text holds no blank or line break,
// and a successful cut gives 27 field texts. A drop string built from fields without blanks,
// line breaks, commas or brackets (the inline colour list is "[" ... "]" and may hold commas) cuts
// back into the same fields, in both colour modes.
#include "drop/dropstring.h"
#include "drop/fieldtable.h"
#include "fuzzinput.h"
#include "import/importparser.h"

namespace {

QString withoutSeparators(QString text, bool keepCommas)
{
    for (const char c : {' ', '\r', '\n', '[', ']', ','}) {
        if (!(keepCommas && c == ','))
            text.remove(QLatin1Char(c));
    }
    return text;
}

void anyPastedText(FuzzedDataProvider &data)
{
    const bool separate = data.ConsumeBool();
    const QString colourText = consumeText(data, 64);
    const QString pasted = consumeRemainingText(data);
    const import::ParseOutcome outcome = import::parseDropArray(pasted, separate, colourText);
    for (const char c : {' ', '\r', '\n'}) {
        if (outcome.cleanedText.contains(QLatin1Char(c)))
            violated("the cleaned text keeps a blank or line break", outcome.cleanedText);
    }
    if (outcome.array) {
        if (outcome.array->fields.size() != drop::kFieldCount)
            violated("a cut that does not give 27 fields", pasted);
        if (outcome.array->colorVarName.has_value() != separate)
            violated("a colour variable name in the wrong mode", pasted);
    }
}

void builtString(FuzzedDataProvider &data)
{
    const bool separate = data.ConsumeBool();
    QStringList fields;
    for (int i = 0; i < drop::kFieldCount; ++i) {
        const bool colour = i == drop::kColourField - 1;
        QString text = withoutSeparators(consumeText(data, 24), colour && !separate);
        // An inline colour list is a list of bracketed colour arrays.
        if (colour)
            text = QLatin1Char('[') + text + QLatin1Char(']');
        fields << text;
    }
    QString name = withoutSeparators(consumeText(data, 16), false);
    if (separate) {
        // The colour list goes into the dialog's own field as it is, blanks and commas included.
        fields[drop::kColourField - 1] = consumeRemainingText(data);
    }
    const auto mode = separate ? drop::ColourMode::Separate : drop::ColourMode::Inline;
    const QString dropString = drop::formatDropString(fields, mode, name);
    const import::ParseOutcome outcome =
        import::parseDropArray(dropString, separate, separate ? fields[drop::kColourField - 1] : QString());
    if (!outcome.array)
        violated("a built drop string does not cut", dropString);
    if (outcome.array->fields != fields)
        violated("a built drop string does not give back its fields", dropString);
    if (separate && outcome.array->colorVarName != std::optional<QString>(name))
        violated("a built drop string does not give back its colour variable", dropString);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    if (data.ConsumeBool())
        builtString(data);
    else
        anyPastedText(data);
    return 0;
}
