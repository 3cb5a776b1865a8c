// The import parser. Any pasted text: no crash, the cleaned text holds no line break and no blank
// the blank rule removes, a read gives 27 field texts and a failure a reason (all or nothing), and
// reading the cleaned text again gives the same. A drop string built from fields without blanks, quotes, line breaks,
// commas, brackets or comments (the inline colour list is "[" ... "]" and may hold commas) reads back into the same
// fields, in both colour modes; so does one built from field texts that the fuzzer's bytes choose among script
// expressions with blanks, strings and nested brackets, whole-value vectors, Size and AnimationPhase of two or of
// four and more values, shape arrays, string and colour list expressions and later parameters after the object.
// A pasted particle source block: any text reads into a block or a reason, and its statements split and read
// without a crash; a block written as a copy of a source (a colour variable line in either form, the source's
// commands with their values as numbers, variables or expressions, vectors whole or as one expression), with
// comments, blank lines, other statements and the commands in any order, reads into its fields and settings,
// and Copy Source of what it read reads back into the same.
// An effect script: any text reads into layers that are one effect or a problem, never both;
// generated layers (several sources, their commands interleaved, offsets, class-only layers, lights
// with some of their commands and a flicker, starts and ends) read back from an author's
// interleaving, from Copy Effect and from the saved script.
// A pasted config class: any text, bare or inside a class body, reads into a class or a reason, never
// both; what it reads gives 27 fields; a class copied from generated fields reads back, and copied
// again gives the same values.
#include "drop/dropstring.h"
#include "drop/fieldtable.h"
#include "export/configclass.h"
#include "export/configeffect.h"
#include "export/sourcescript.h"
#include "fuzzinput.h"
#include "import/classimport.h"
#include "import/configeffect.h"
#include "import/effectscript.h"
#include "import/importparser.h"
#include "import/sourceblock.h"
#include "roundtripfields.h"
#include "sqf/configreader.h"
#include "sqf/statements.h"
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

void anyBlock(FuzzedDataProvider &data)
{
    const bool separate = data.ConsumeBool();
    const QString colourText = consumeText(data, 64);
    const QString pasted = consumeRemainingText(data);
    const sqf::StatementSplit split = sqf::splitStatements(pasted);
    if (split.fault && !split.statements.isEmpty())
        violated("statements beside a fault", pasted);
    for (const QString &statement : split.statements) {
        if (statement.isEmpty() || statement != statement.trimmed())
            violated("a statement empty or with blanks at an end", statement);
        if (sqf::splitStatements(statement).statements != QStringList{statement})
            violated("a statement does not split into itself", statement);
        if (sqf::readStatement(statement).text != statement)
            violated("a statement reads as another text", statement);
    }
    const import::BlockOutcome outcome = import::parseSourceBlock(pasted, separate, colourText);
    if (outcome.block.has_value() == outcome.failure.has_value())
        violated("not exactly one of a block and a failure", pasted);
    if (outcome.failure && import::blockFailureReason(*outcome.failure).isEmpty())
        violated("a failure without a reason", pasted);
    if (outcome.cleanedText.contains(QLatin1Char('\r')) || outcome.cleanedText.contains(QLatin1Char('\n')))
        violated("the cleaned text keeps a line break", outcome.cleanedText);
    if (outcome.block && outcome.block->array.fields.size() != drop::kFieldCount)
        violated("a block that does not give 27 fields", pasted);
}

// What the block reader gives, as a copy of the source writes it and the reader reads it back.
struct SourceRead {
    QStringList fields;
    bool separate = false;
    QString colorVarName;
    effect::SourceSettings settings;
};

// One vector of texts as a copy writes it: whole in brackets, or the first text alone.
QString vectorText(const QStringList &texts)
{
    const bool whole = std::any_of(texts.cbegin() + 1, texts.cend(), [](const QString &t) { return !t.isEmpty(); });
    return whole ? QLatin1Char('[') + texts.join(QLatin1Char(',')) + QLatin1Char(']') : texts.front();
}

// The lines of a copy of the source, in Copy Source's order, without their ';', written here as
// compactly as a script may hold them.
QStringList copyLines(const SourceRead &read)
{
    const effect::SourceSettings &settings = read.settings;
    const QString &name = settings.name;
    QStringList lines;
    const auto mode = read.separate ? drop::ColourMode::Separate : drop::ColourMode::Inline;
    const QString array = drop::formatDropString(read.fields, mode, read.colorVarName).mid(5);
    if (read.separate)
        lines << drop::formatColourLine(read.colorVarName, read.fields.at(drop::kColourField - 1));
    QStringList classes;
    QStringList others;
    for (const QString &command : settings.otherCommands)
        (command.startsWith(QLatin1StringView("setParticleClass")) ? classes : others)
            << name + QLatin1Char(' ') + command;
    lines << classes << name + QStringLiteral(" setParticleParams ") + array << others;
    if (settings.random.set) {
        using R = effect::SourceRandom;
        const auto texts = [&settings](int first, int count) {
            QStringList list;
            for (int i = first; i < first + count; ++i)
                list << settings.random.texts.at(i);
            return list;
        };
        QStringList values{texts(R::LifeTime, 1).front(),      vectorText(texts(R::PositionX, 3)),
                           vectorText(texts(R::VelocityX, 3)), texts(R::RotationVelocity, 1).front(),
                           texts(R::Size, 1).front(),          vectorText(texts(R::ColorR, 4)),
                           texts(R::DirPeriod, 1).front(),     texts(R::DirIntensity, 1).front(),
                           texts(R::Angle, 1).front(),         texts(R::BounceOnSurface, 1).front()};
        lines << name + QStringLiteral(" setParticleRandom [")
                     + values.mid(0, settings.random.elements).join(QLatin1Char(',')) + QLatin1Char(']');
    }
    if (settings.circle.set) {
        const auto &t = settings.circle.texts;
        lines << name + QStringLiteral(" setParticleCircle [") + t.at(0) + QLatin1Char(',')
                     + vectorText({t.at(1), t.at(2), t.at(3)}) + QLatin1Char(']');
    }
    if (settings.interval.set)
        lines << name + QStringLiteral(" setDropInterval ") + settings.interval.text;
    return lines;
}

void compareRead(const import::BlockOutcome &outcome, const SourceRead &expected, const QString &block, bool noNotes)
{
    if (!outcome.block)
        violated("a block does not read", block + "\n" + import::blockFailureReason(*outcome.failure));
    const import::ImportedBlock &read = *outcome.block;
    if (read.array.fields != expected.fields)
        violated("a block does not give back its fields", block);
    if (read.separateColours != expected.separate
        || read.array.colorVarName.value_or(QString()) != expected.colorVarName)
        violated("a block does not give back its colour mode", block);
    if (!(read.settings == expected.settings))
        violated("a block does not give back its source settings", block);
    if (noNotes && !read.notes.isEmpty())
        violated("a block without other statements has notes", block + "\n" + read.notes.join('\n'));
}

void generatedBlock(FuzzedDataProvider &data)
{
    const auto pick = [&data](int n) { return data.ConsumeIntegralInRange<int>(0, n - 1); };
    const auto oneOf = [&pick](const QStringList &texts) { return texts.at(pick(int(texts.size()))); };
    const QStringList values{"0", "0.25", "-1", "_v", "random 0.5", "(0.1 + _a)", "1e-3"};
    SourceRead expected;
    expected.separate = data.ConsumeBool();
    RoundTripFields generate(pick);
    expected.fields = generate.fields(expected.separate);
    if (expected.separate) {
        expected.colorVarName = QStringLiteral("_c") + generate.name();
        QStringList colours;
        for (int i = pick(4); i > 0; --i)
            colours << QStringLiteral("[%1,%2,%3,%4]").arg(oneOf(values), oneOf(values), oneOf(values), oneOf(values));
        expected.fields[drop::kColourField - 1] = pick(4) == 0 ? QStringLiteral("[]") : colours.join(QLatin1Char(','));
    }
    effect::SourceSettings &settings = expected.settings;
    settings.name = oneOf({"_ps", "_PS", "_source1", "smoke", "(_this select 0)"});
    if (data.ConsumeBool()) {
        settings.random.set = true;
        settings.random.elements = pick(3) + 8;
        for (int first = 0; first < effect::SourceRandom::ValueCount; ++first)
            settings.random.texts.at(first) = first < 15 || first - 7 < settings.random.elements ? oneOf(values) : "0";
        // A vector written as one expression.
        for (const int first :
             {effect::SourceRandom::PositionX, effect::SourceRandom::VelocityX, effect::SourceRandom::ColorR}) {
            if (pick(3) == 0) {
                settings.random.texts.at(first) = QStringLiteral("_vec");
                for (int i = first + 1; i < first + (first == effect::SourceRandom::ColorR ? 4 : 3); ++i)
                    settings.random.texts.at(i).clear();
            }
        }
    }
    if (data.ConsumeBool()) {
        settings.circle.set = true;
        for (QString &text : settings.circle.texts)
            text = oneOf(values);
        if (pick(3) == 0) {
            settings.circle.texts.at(1) = QStringLiteral("_cv");
            settings.circle.texts.at(2).clear();
            settings.circle.texts.at(3).clear();
        }
    }
    if (data.ConsumeBool()) {
        settings.interval.set = true;
        settings.interval.text = oneOf({"0.1", "0", "_int", "(0.1)", "0.0005", "0.1 + random 0.05"});
    }
    for (int i = pick(3); i > 0; --i)
        settings.otherCommands << oneOf({"setParticleFire [0.3, 1, 0.5]", "setParticleFire [1,2,3]"});
    if (data.ConsumeBool())
        settings.otherCommands.prepend(QStringLiteral("setParticleClass \"Fire\""));

    // The copy's lines shuffled, the colour line kept before the array; the name's letter case
    // changed on the lines but the array's; comments, blank lines and other statements between.
    QStringList lines = copyLines(expected);
    const qsizetype fixed = expected.separate ? 1 : 0;
    for (qsizetype i = lines.size() - 1; i > fixed; --i)
        lines.swapItemsAt(i, fixed + pick(int(i - fixed + 1)));
    QStringList classes;
    QStringList others;
    for (QString &line : lines) {
        const bool isParams = line.contains(QLatin1StringView(" setParticleParams "));
        if (line.startsWith(settings.name + QLatin1Char(' ')) && !isParams && settings.name.startsWith('_') && pick(2))
            line.replace(0, settings.name.size(), settings.name.toUpper());
        const qsizetype command = line.indexOf(QLatin1StringView(" setParticle"));
        if (command >= 0 && !isParams && line.indexOf(QLatin1StringView("Fire"), command) == command + 12)
            others << line.mid(command + 1);
        else if (command >= 0 && line.indexOf(QLatin1StringView("Class"), command) == command + 12)
            classes << line.mid(command + 1);
    }
    settings.otherCommands = classes + others;
    const bool noisy = data.ConsumeBool();
    QString block;
    if (noisy && pick(2))
        block += QStringLiteral("private _pos = getPos player;\n");
    if (pick(2))
        block += settings.name.startsWith('_')
                     ? settings.name + QStringLiteral(" = \"#particlesource\" createVehicleLocal _pos;\n")
                     : QString();
    for (const QString &line : lines) {
        block += line + QLatin1Char(';');
        switch (noisy ? pick(5) : pick(2)) {
        case 0:
            block += QStringLiteral(" // note; [\n");
            break;
        case 1:
            block += QStringLiteral("\n\n/* ] ; */ ");
            break;
        case 2:
            block += QStringLiteral(" playSound \"x;\"; ");
            break;
        case 3:
            block += QStringLiteral("\n_pos attachTo [player, [0,0,1]];\n");
            break;
        default:
            block += QStringLiteral("\nsleep 0.5;");
            break;
        }
    }
    compareRead(import::parseSourceBlock(block, expected.separate && data.ConsumeBool(), QStringLiteral("[9,9,9,9]")),
                expected, block, !noisy);
    // Copy Source of what was read.
    const auto mode = expected.separate ? drop::ColourMode::Separate : drop::ColourMode::Inline;
    const QString &colours = expected.fields.at(drop::kColourField - 1);
    const QString copy =
        exporter::sourceCommandLines(
            settings, drop::formatDropString(expected.fields, mode, expected.colorVarName), expected.separate,
            expected.separate ? drop::formatColourLine(expected.colorVarName, colours) : QString())
            .join(QLatin1Char('\n'));
    compareRead(import::parseSourceBlock(copy, false, {}), expected, copy, true);
}

// Any text read as an effect script: layers or a problem, never both; layers that are one effect.
void anyEffect(FuzzedDataProvider &data)
{
    const bool separate = data.ConsumeBool();
    const QString colourText = consumeText(data, 64);
    const QString pasted = consumeRemainingText(data);
    const import::EffectOutcome outcome = import::parseEffectScript(pasted, separate, colourText);
    if (outcome.layers.has_value() == !outcome.problem.isEmpty())
        violated("not exactly one of layers and a problem", pasted);
    if (!outcome.layers)
        return;
    if (outcome.colourNames.size() != outcome.layers->size())
        violated("not one colour variable name for each layer", pasted);
    if (!effect::layersProblem(*outcome.layers).isEmpty())
        violated("layers that are no effect", pasted + "\n" + effect::layersProblem(*outcome.layers));
    for (const effect::Layer &layer : *outcome.layers)
        if (!layer.isLight() && layer.fields.texts.size() != drop::kFieldCount)
            violated("a layer that does not give 27 fields", pasted);
}

QList<effect::Layer> untimed(QList<effect::Layer> layers)
{
    for (effect::Layer &layer : layers) {
        layer.start = QStringLiteral("0");
        layer.end.clear();
    }
    return layers;
}

void compareLayers(const import::EffectOutcome &outcome, const QList<effect::Layer> &expected, const QString &text)
{
    if (!outcome.layers)
        violated("an effect does not read", text + "\n" + outcome.problem);
    if (outcome.layers->size() != expected.size())
        violated("an effect reads into another count of layers", text);
    for (qsizetype i = 0; i < expected.size(); ++i) {
        const effect::Layer &read = outcome.layers->at(i);
        const effect::Layer &layer = expected.at(i);
        if (read.name() != layer.name())
            violated("a layer reads back in another place or name", text);
        if (read.fields.texts != layer.fields.texts || read.fields.separateColours != layer.fields.separateColours)
            violated("a layer does not give back its fields", text);
        if (!(read.fields.source == layer.fields.source))
            violated("a layer does not give back its source settings", text);
        if (read.offset != layer.offset)
            violated("a layer does not give back its offset", text);
        if (read.start != layer.start || read.end != layer.end)
            violated("a layer does not give back its start and end", text);
        if (read.classOnly != layer.classOnly)
            violated("a layer does not give back its class-only mark", text);
        if (read.light != layer.light)
            violated("a light does not give back its settings", text);
    }
}

// A light layer with some of its commands set, each value as a script may write it.
effect::Layer generatedLight(FuzzedDataProvider &data, const QString &name)
{
    const auto pick = [&data](int n) { return data.ConsumeIntegralInRange<int>(0, n - 1); };
    const auto oneOf = [&pick](const QStringList &texts) { return texts.at(pick(int(texts.size()))); };
    const QStringList values{"0", "0.25", "-1", "_v", "random 0.5", "(0.1 + _a)", "1e-3", "2000", "3000.0", "0.15"};
    const auto value = [&](effect::LightValue &light, const QStringList &texts) {
        if (data.ConsumeBool())
            light = {true, oneOf(texts)};
    };
    effect::LightSettings light;
    light.type = oneOf({"#lightpoint", "#lightreflector"});
    for (effect::LightColour *colour : {&light.colour, &light.ambient})
        if (data.ConsumeBool())
            *colour = {true, {oneOf(values), oneOf(values), oneOf(values)}};
    value(light.intensity, values);
    value(light.brightness, values);
    light.brightnessFirst = light.intensity.set && light.brightness.set && data.ConsumeBool();
    if (data.ConsumeBool()) {
        light.attenuation.set = true;
        if (data.ConsumeBool())
            light.attenuation.asWritten = oneOf({"[2,4, 4, 0]", "[0, 0, 0, 1, 20, 40, 1]", "_att"});
        else
            for (QString &text : light.attenuation.texts)
                text = oneOf(values);
    }
    value(light.dayLight, {"true", "false", "_day"});
    value(light.useFlare, {"true", "False"});
    value(light.flareSize, values);
    value(light.flareMaxDistance, values);
    if (pick(3) == 0)
        light.otherCommands << QStringLiteral("setLightConePars [45, 20, 1]") << QStringLiteral("setLightIR true");
    if (data.ConsumeBool()) {
        light.flicker.kind = data.ConsumeBool() ? effect::LightFlicker::Intensity : effect::LightFlicker::Brightness;
        light.flicker.low = oneOf(values);
        light.flicker.high = oneOf(values);
        light.flicker.shortest = oneOf(values);
        light.flicker.longest = data.ConsumeBool() ? light.flicker.shortest : oneOf(values);
    }
    effect::Layer layer = effect::lightLayerOf(name, light);
    if (data.ConsumeBool())
        layer.offset = {oneOf(values), oneOf(values), oneOf(values)};
    layer.start = oneOf({"0", "0", "0.5", "2"});
    layer.end = oneOf({"", "", "1", "3.25"});
    return layer;
}

// Generated layers, written as authors interleave them, as Copy Effect copies them and as the
// saved script writes them, read back into the same layers.
void generatedEffect(FuzzedDataProvider &data)
{
    const auto pick = [&data](int n) { return data.ConsumeIntegralInRange<int>(0, n - 1); };
    const auto oneOf = [&pick](const QStringList &texts) { return texts.at(pick(int(texts.size()))); };
    const QStringList values{"0", "0.25", "-1", "_v", "random 0.5", "(0.1 + _a)", "1e-3"};
    const QStringList names{"_fire", "_Smoke", "_spark2", "_haze", "glow"};
    RoundTripFields generate(pick);
    QList<effect::Layer> layers;
    QList<SourceRead> reads;
    const int count = pick(4) + 1;
    for (int i = 0; i < count; ++i) {
        SourceRead read;
        read.separate = data.ConsumeBool();
        read.fields = generate.fields(read.separate);
        if (read.separate) {
            read.colorVarName = QStringLiteral("_c%1").arg(i);
            read.fields[drop::kColourField - 1] =
                QStringLiteral("[%1,%2,%3,%4]").arg(oneOf(values), oneOf(values), oneOf(values), oneOf(values));
        }
        effect::SourceSettings &settings = read.settings;
        settings.name = names.at(i);
        if (data.ConsumeBool()) {
            settings.interval.set = true;
            settings.interval.text = oneOf({"0.1", "0", "_int", "(0.1)", "0.1 + random 0.05"});
        }
        if (data.ConsumeBool()) {
            settings.circle.set = true;
            for (QString &text : settings.circle.texts)
                text = oneOf(values);
        }
        if (pick(3) == 0)
            settings.otherCommands << QStringLiteral("setParticleFire [0.3, 1, 0.5]");
        effect::Layer layer;
        layer.classOnly = pick(5) == 0;
        if (layer.classOnly || pick(4) == 0)
            settings.otherCommands.prepend(QStringLiteral("setParticleClass \"Fire%1\"").arg(i));
        if (layer.classOnly) {
            read.separate = false;
            read.colorVarName.clear();
            read.fields = drop::startTexts();
        }
        layer.fields.texts = read.fields;
        layer.fields.separateColours = read.separate;
        layer.fields.source = settings;
        if (data.ConsumeBool())
            layer.offset = {oneOf(values), oneOf(values), oneOf(values)};
        layer.start = oneOf({"0", "0", "0.5", "2", "10"});
        layer.end = oneOf({"", "", "1", "3.25", "12"});
        layers << layer;
        reads << read;
    }
    const QStringList lightNames{"_light", "_Glow2", "flash"};
    for (int i = pick(3); i > 0; --i) {
        const qsizetype at = pick(int(layers.size()) + 1);
        layers.insert(at, generatedLight(data, lightNames.at(i - 1)));
        reads.insert(at, SourceRead{});
    }

    // As an author writes them: each layer's creation, commands and attachTo in its order, the
    // layers' lines interleaved, the colour line kept before its array.
    QList<QStringList> lines;
    for (qsizetype i = 0; i < layers.size(); ++i) {
        if (layers.at(i).isLight()) {
            const effect::Layer &light = layers.at(i);
            QStringList own{light.name() + QStringLiteral(" = \"") + light.light->type
                            + QStringLiteral("\" createVehicle _pos")};
            for (const QString &line : exporter::lightCommandLines(light))
                own << line.chopped(1);
            const auto &offset = light.offset;
            own << light.name()
                       + (data.ConsumeBool() ? QStringLiteral(" lightAttachObject") : QStringLiteral(" attachTo"))
                       + QStringLiteral(" [_obj, [%1, %2, %3]]").arg(offset[0], offset[1], offset[2]);
            lines << own;
            continue;
        }
        QStringList own{layers.at(i).name() + QStringLiteral(" = \"#particlesource\" createVehicleLocal _pos")};
        QStringList commands = copyLines(reads.at(i));
        if (layers.at(i).classOnly)
            commands.removeIf(
                [](const QString &line) { return line.contains(QLatin1StringView("setParticleParams")); });
        own << commands;
        const auto &offset = layers.at(i).offset;
        own << layers.at(i).name()
                   + QStringLiteral(" attachTo [_obj, [%1, %2, %3]]").arg(offset[0], offset[1], offset[2]);
        lines << own;
    }
    QString written;
    // Each layer's creation first, so that the layers keep their order.
    for (QStringList &own : lines)
        written += own.takeFirst() + QStringLiteral(";\n");
    for (;;) {
        QList<qsizetype> open;
        for (qsizetype i = 0; i < lines.size(); ++i)
            if (!lines.at(i).isEmpty())
                open << i;
        if (open.isEmpty())
            break;
        written += lines[open.at(pick(int(open.size())))].takeFirst() + QStringLiteral(";\n");
        if (pick(4) == 0)
            written += QStringLiteral("sleep 0.5; // a pause\n");
    }
    const QList<effect::Layer> plain = untimed(layers);
    compareLayers(import::parseEffectScript(written, false, {}), plain, written);

    exporter::EmitterSettings settings;
    settings.objectText = oneOf({"_obj", "_this", "tank1", "[1, 2, 0]", "\"\""});
    settings.duration = oneOf({"0", "12.5"}).toDouble();
    settings.colourLine = QStringLiteral("_color = []");
    const QString copy = exporter::effectCommandLines(layers, settings).join(QLatin1Char('\n'));
    compareLayers(import::parseEffectScript(copy, false, {}), plain, copy);
    const QString script =
        exporter::effectScriptLines(settings, layers, QStringLiteral("fx.sqf")).join(QLatin1Char('\n'));
    compareLayers(import::parseEffectScript(script, false, {}), layers, script);
}

} // namespace

// A class's lines without their comments: the values a config reads.
QStringList classValues(const QStringList &lines)
{
    QStringList values;
    for (const QString &line : lines)
        if (!line.trimmed().startsWith(QLatin1String("//")))
            values << line.section(QLatin1String(" //"), 0, 0);
    return values;
}

void anyClass(FuzzedDataProvider &data)
{
    const bool inBody = data.ConsumeBool();
    const QString text = consumeRemainingText(data);
    const QString pasted = inBody ? QStringLiteral("class A: Default {\n") + text + QStringLiteral("\n};") : text;
    const sqf::ConfigReading reading = sqf::readConfigClasses(pasted);
    if (reading.problem.isEmpty() == reading.classes.isEmpty())
        violated("a class reading with both classes and a problem, or neither", pasted);
    sqf::startsWithClass(pasted);
    const import::ClassOutcome outcome = import::parseConfigClass(pasted);
    if (outcome.imported.has_value() == !outcome.problem.isEmpty())
        violated("not exactly one of a class and a problem", pasted);
    if (!outcome.imported)
        return;
    if (outcome.imported->fields.size() != drop::kFieldCount)
        violated("a class that does not give 27 fields", pasted);
    const QStringList copy =
        exporter::configClassLines(outcome.imported->fields, outcome.imported->settings, outcome.imported->configClass);
    const sqf::ConfigReading again = sqf::readConfigClasses(copy.join(QLatin1Char('\n')));
    if (!again.problem.isEmpty() || !import::parseConfigClass(copy.join(QLatin1Char('\n'))).imported)
        violated("the copy of an imported class does not read", pasted + "\n" + copy.join(QLatin1Char('\n')));
    // Copied back unedited, exactly the fields the class wrote, under its name and base.
    const auto fieldNames = [](const sqf::ConfigClass &read) {
        QStringList names;
        for (const sqf::ConfigEntry &entry : read.entries)
            names << entry.name.toLower();
        names.removeDuplicates();
        names.sort();
        return names;
    };
    const sqf::ConfigClass &first = reading.classes.front();
    if (again.classes.front().name != first.name.trimmed() || again.classes.front().base != first.base.trimmed()
        || fieldNames(again.classes.front()) != fieldNames(first))
        violated("an imported class is copied back with other fields", pasted + "\n" + copy.join(QLatin1Char('\n')));
}

void generatedClass(FuzzedDataProvider &data)
{
    const auto pick = [&data](int n) { return data.ConsumeIntegralInRange<int>(0, n - 1); };
    RoundTripFields generate(pick);
    const QStringList fields = generate.fields(false);
    effect::SourceSettings settings;
    settings.random.set = data.ConsumeBool();
    settings.circle.set = data.ConsumeBool();
    const QStringList values{"0", "0.25", "-1", "_v", "random 0.5", "(0.1 + _a)", "1e-3", "getPos player"};
    for (QString &text : settings.random.texts)
        text = values.at(pick(int(values.size())));
    for (QString &text : settings.circle.texts)
        text = values.at(pick(int(values.size())));
    const QStringList lines =
        exporter::configClassLines(fields, settings, {generate.name(), QString(), {}, {}}, {{"_v", 2}});
    const import::ClassOutcome outcome = import::parseConfigClass(lines.join(QLatin1Char('\n')));
    if (!outcome.imported)
        violated("a copied class does not read", lines.join(QLatin1Char('\n')) + "\n" + outcome.problem);
    const QStringList again =
        exporter::configClassLines(outcome.imported->fields, outcome.imported->settings, outcome.imported->configClass);
    if (classValues(again) != classValues(lines))
        violated("a class read back is copied with other values",
                 lines.join(QLatin1Char('\n')) + "\n--\n" + again.join(QLatin1Char('\n')));
}

// Any text as a complex effect's config, or put into one: read, copied back, read again and copied
// again, the second copy is the first.
void anyConfigEffect(FuzzedDataProvider &data)
{
    const bool inEffect = data.ConsumeBool();
    const QString part = consumeText(data, 200);
    const QString text = consumeRemainingText(data);
    const QString pasted =
        inEffect
            ? QStringLiteral("class R { class P { simulation = \"particles\"; type = \"C\"; %1 }; "
                             "class L: P { simulation = light; type = D; }; };\n"
                             "class CfgCloudlets { class C: Default { %2 }; };\nclass CfgLights { class D { %2 }; };")
                  .arg(part, text)
            : text;
    const import::ConfigEffectOutcome outcome = import::parseConfigEffect(pasted);
    if (!outcome.isEffect)
        return;
    if (!outcome.layers || outcome.layers->isEmpty())
        violated("a complex effect without layers", pasted);
    for (const effect::Layer &layer : *outcome.layers)
        if (!layer.part)
            violated("a layer of a complex effect without its sub-class", pasted);
    const QString copy =
        exporter::configEffectLines(*outcome.layers, outcome.root, QStringLiteral("Fuzzed")).join('\n');
    const import::ConfigEffectOutcome again = import::parseConfigEffect(copy);
    if (!again.isEffect || !again.layers || again.layers->size() != outcome.layers->size())
        violated("the copy of a complex effect does not read as the effect", pasted + "\n--\n" + copy);
    const QString second = exporter::configEffectLines(*again.layers, again.root, QStringLiteral("Fuzzed")).join('\n');
    if (second != copy)
        violated("a complex effect read back is copied otherwise", copy + "\n--\n" + second);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    switch (data.ConsumeIntegralInRange<int>(0, 9)) {
    case 0:
        builtString(data);
        break;
    case 1:
        generatedFields(data);
        break;
    case 2:
        anyPastedText(data);
        break;
    case 3:
        anyBlock(data);
        break;
    case 4:
        anyClass(data);
        break;
    case 5:
        generatedClass(data);
        break;
    case 6:
        anyEffect(data);
        break;
    case 7:
        generatedEffect(data);
        break;
    case 8:
        anyConfigEffect(data);
        break;
    default:
        generatedBlock(data);
        break;
    }
    return 0;
}
