// The import parser. Any pasted text: no crash, the cleaned text holds no line break and no blank
// the blank rule removes, a read gives 27 field texts and a failure a reason (all or nothing), and
// reading the cleaned text again gives the same. A drop string built from fields without blanks, quotes, line breaks,
// commas, brackets or comments (the inline colour list is "[" ... "]" and may hold commas) reads back into the same
// fields, in both colour modes; so does one built from field texts that the fuzzer's bytes choose among script
// expressions with blanks, strings and nested brackets, whole-value vectors, Size and AnimationPhase of two or of
// four and more values, shape arrays, string and colour list expressions and later parameters after the object.
#include "drop/dropstring.h"
#include "drop/fieldtable.h"
#include "fuzzinput.h"
#include "import/importparser.h"
#include "roundtripfields.h"
#include "sqf/values.h"

namespace {

QString withoutSeparators(QString text, bool keepCommas)
{
    for (const char c : {' ', '\t', '\r', '\n', '[', ']', '(', ')', '"', '\'', ','}) {
        if (!(keepCommas && c == ','))
            text.remove(QLatin1Char(c));
    }
    return withoutCommentMarks(text);
}

void anyPastedText(FuzzedDataProvider &data)
{
    const bool separate = data.ConsumeBool();
    const QString colourText = consumeText(data, 64);
    const QString pasted = consumeRemainingText(data);
    const import::ParseOutcome outcome = import::parseDropArray(pasted, separate, colourText);
    const QString &cleaned = outcome.cleanedText;
    if (cleaned.contains(QLatin1Char('\r')) || cleaned.contains(QLatin1Char('\n')))
        violated("the cleaned text keeps a line break", cleaned);
    // Only a string that is not closed keeps blanks at the end, as part of the string.
    if (sqf::removeBlanks(cleaned) != cleaned)
        violated("the cleaned text keeps blanks the blank rule removes", cleaned);
    if (outcome.array.has_value() == outcome.failure.has_value())
        violated("not exactly one of a read and a failure", pasted);
    if (outcome.failure && import::failureReason(*outcome.failure).isEmpty())
        violated("a failure without a reason", pasted);
    if (outcome.array) {
        if (outcome.array->fields.size() != drop::kFieldCount)
            violated("a read that does not give 27 fields", pasted);
        if (outcome.array->tokens.size() < drop::kFieldCount)
            violated("fewer than 27 entries for the list", pasted);
        if (outcome.array->colorVarName.has_value() != separate)
            violated("a colour variable name in the wrong mode", pasted);
    }
    // What the dialog shows after a failure reads the same when OK is pressed again, unless a
    // second keyword stood behind the first.
    if (cleaned.startsWith(QLatin1StringView("drop"), Qt::CaseInsensitive)
        || (!cleaned.startsWith(QLatin1Char('['))
            && cleaned.contains(QLatin1StringView("setparticleparams"), Qt::CaseInsensitive)))
        return;
    const import::ParseOutcome again = import::parseDropArray(cleaned, separate, colourText);
    if (again.cleanedText != cleaned || again.failure != outcome.failure
        || (again.array && again.array->fields != outcome.array->fields))
        violated("the cleaned text reads differently", pasted);
}

void generatedFields(FuzzedDataProvider &data)
{
    const bool separate = data.ConsumeBool();
    RoundTripFields generate([&data](int n) { return data.ConsumeIntegralInRange<int>(0, n - 1); });
    const QStringList fields = generate.fields(separate);
    const QString name = generate.name();
    const auto mode = separate ? drop::ColourMode::Separate : drop::ColourMode::Inline;
    const QString dropString = drop::formatDropString(fields, mode, name);
    const import::ParseOutcome outcome = import::parseDropArray(dropString, separate, fields[drop::kColourField - 1]);
    if (!outcome.array)
        violated("a built drop string does not read", dropString);
    if (outcome.array->fields != fields)
        violated("a built drop string does not give back its fields", dropString);
    if (separate && outcome.array->colorVarName != std::optional<QString>(name))
        violated("a built drop string does not give back its colour variable", dropString);
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
    switch (data.ConsumeIntegralInRange<int>(0, 2)) {
    case 0:
        builtString(data);
        break;
    case 1:
        generatedFields(data);
        break;
    default:
        anyPastedText(data);
        break;
    }
    return 0;
}
