#include "sourcescript.h"

#include "drop/dropstring.h"
#include "drop/fieldtable.h"

#include "sqf/statements.h"
#include "sqf/values.h"

#include <QRegularExpression>

#include <algorithm>

namespace exporter {

using namespace effect;

namespace {

const QString kSeparator = QStringLiteral(", ");

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The vector of `count` texts from `first`: bracketed, or the first text alone when the others are
// empty, as a vector kept as one expression is.
template <std::size_t N> QString vector(const std::array<QString, N> &texts, int first, int count)
{
    const auto begin = texts.begin() + first;
    const auto end = begin + count;
    if (!begin->isEmpty() && std::all_of(begin + 1, end, [](const QString &text) { return text.isEmpty(); }))
        return *begin;
    return QLatin1Char('[') + QStringList(begin, end).join(kSeparator) + QLatin1Char(']');
}

// The command word of a kept command: the text up to the first blank, quote or bracket.
QString commandWord(const QString &command)
{
    static const QRegularExpression word(QStringLiteral("^\\s*([A-Za-z_][A-Za-z0-9_]*)"));
    return word.match(command).captured(1);
}

bool isClassCommand(const QString &command)
{
    return sameName(commandWord(command), QStringLiteral("setParticleClass"));
}

// What the script is started with and where it makes the source.
enum class Start {
    ObjectVariable, // [unit] execVM: the Object field's local variable is the argument's first element
    ObjectArgument, // unit execVM: the Object field is _this, the argument itself
    Place,          // [place] execVM: a position or an object
};

// A plain global name, such as player or tank1, that the script can watch.
bool isGlobalName(const QString &name)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z][A-Za-z0-9_]*$"));
    return pattern.match(name).hasMatch() && !sameName(name, QStringLiteral("objNull"));
}

QString sourceName(const SourceSettings &source)
{
    return source.name.trimmed().isEmpty() ? QStringLiteral("_ps") : source.name.trimmed();
}

} // namespace

QString randomArray(const SourceRandom &random)
{
    const auto &t = random.texts;
    QStringList elements{t[SourceRandom::LifeTime],
                         vector(t, SourceRandom::PositionX, 3),
                         vector(t, SourceRandom::VelocityX, 3),
                         t[SourceRandom::RotationVelocity],
                         t[SourceRandom::Size],
                         vector(t, SourceRandom::ColorR, 4),
                         t[SourceRandom::DirPeriod],
                         t[SourceRandom::DirIntensity]};
    const int count = std::clamp(random.elements, 8, 10);
    if (count >= 9)
        elements << t[SourceRandom::Angle];
    if (count >= 10)
        elements << t[SourceRandom::BounceOnSurface];
    return QLatin1Char('[') + elements.join(kSeparator) + QLatin1Char(']');
}

QString circleArray(const SourceCircle &circle)
{
    return QLatin1Char('[') + circle.texts[SourceCircle::Radius] + kSeparator
           + vector(circle.texts, SourceCircle::VelocityX, 3) + QLatin1Char(']');
}

namespace {

// A bound that stands alone in an expression: a plain number or a variable.
bool standsAlone(const QString &text)
{
    return sqf::plainNumber(text).has_value() || sqf::isIdentifier(text);
}

QString parenthesised(const QString &text)
{
    return QLatin1Char('(') + text + QLatin1Char(')');
}

// A value drawn between low and high: "(2000 + random 1000)" where the span worked out reads back
// to high itself, else "(low + random ((high) - (low)))".
QString randomBetween(const QString &low, const QString &high)
{
    const std::optional<QString> span = sqf::plainDifference(high, low);
    if (span && sqf::plainSum(low, *span) == high)
        return parenthesised(low + QStringLiteral(" + random ") + *span);
    return parenthesised((standsAlone(low) ? low : parenthesised(low)) + QStringLiteral(" + random (")
                         + parenthesised(high) + QStringLiteral(" - ") + parenthesised(low) + QLatin1Char(')'));
}

// The flicker's period: fixed, or drawn between its bounds. A fixed period of a random draw is
// written as a range of one value, so that its draw is not read as the range.
QString periodOf(const LightFlicker &flicker)
{
    static const QRegularExpression random(QStringLiteral("(?<![A-Za-z0-9_])random(?![A-Za-z0-9_])"),
                                           QRegularExpression::CaseInsensitiveOption);
    if (flicker.shortest != flicker.longest || random.match(flicker.shortest).hasMatch())
        return randomBetween(flicker.shortest, flicker.longest);
    return standsAlone(flicker.shortest) ? flicker.shortest : parenthesised(flicker.shortest);
}

QString lightName(const Layer &layer)
{
    return layer.name().trimmed().isEmpty() ? QStringLiteral("_light") : layer.name().trimmed();
}

QString colourArray(const LightColour &colour)
{
    return QLatin1Char('[') + QStringList(colour.texts.cbegin(), colour.texts.cend()).join(kSeparator)
           + QLatin1Char(']');
}

// The light's commands without its flicker, each only where it is set.
QStringList lightSettingLines(const Layer &layer)
{
    const LightSettings &light = *layer.light;
    const QString name = lightName(layer);
    QStringList lines;
    const auto command = [&name, &lines](const char *word, const QString &argument) {
        lines << name + QLatin1Char(' ') + QLatin1String(word) + QLatin1Char(' ') + argument + QLatin1Char(';');
    };
    if (light.colour.set)
        command("setLightColor", colourArray(light.colour));
    if (light.ambient.set)
        command("setLightAmbient", colourArray(light.ambient));
    const bool brightnessFirst = light.brightnessFirst && light.intensity.set;
    if (light.brightness.set && brightnessFirst)
        command("setLightBrightness", light.brightness.text);
    if (light.intensity.set)
        command("setLightIntensity", light.intensity.text);
    if (light.brightness.set && !brightnessFirst)
        command("setLightBrightness", light.brightness.text);
    const LightAttenuation &attenuation = light.attenuation;
    if (attenuation.set)
        command("setLightAttenuation",
                !attenuation.asWritten.isEmpty()
                    ? attenuation.asWritten
                    : QLatin1Char('[')
                          + QStringList(attenuation.texts.cbegin(), attenuation.texts.cend()).join(kSeparator)
                          + QLatin1Char(']'));
    if (light.dayLight.set)
        command("setLightDayLight", light.dayLight.text);
    if (light.useFlare.set)
        command("setLightUseFlare", light.useFlare.text);
    if (light.flareSize.set)
        command("setLightFlareSize", light.flareSize.text);
    if (light.flareMaxDistance.set)
        command("setLightFlareMaxDistance", light.flareMaxDistance.text);
    for (const QString &kept : light.otherCommands)
        if (!kept.trimmed().isEmpty())
            lines << name + QLatin1Char(' ') + kept.trimmed() + QLatin1Char(';');
    return lines;
}

// The flicker as spawned code that ends when the light is deleted; none for a steady light.
QStringList flickerLines(const Layer &layer)
{
    const LightFlicker &flicker = layer.light->flicker;
    if (flicker.kind == LightFlicker::None)
        return {};
    const QString command = flicker.kind == LightFlicker::Brightness ? QStringLiteral("setLightBrightness")
                                                                     : QStringLiteral("setLightIntensity");
    return {QStringLiteral("[%1] spawn { params [\"_l\"]; while {!isNull _l} do { _l %2 %3; sleep %4; }; };")
                .arg(lightName(layer), command, randomBetween(flicker.low, flicker.high), periodOf(flicker))};
}

} // namespace

QStringList lightCommandLines(const Layer &layer)
{
    if (!layer.isLight())
        return {};
    return lightSettingLines(layer) + flickerLines(layer);
}

namespace {

// The source's commands as sourceCommandLines writes them; without the array for a source given
// by its class alone, which has none.
QStringList commandLines(const SourceSettings &source, const QString &dropString, bool separateColours,
                         const QString &colourLine, bool withArray)
{
    const QString name = sourceName(source);
    const auto command = [&name](const QString &text) { return name + QLatin1Char(' ') + text + QLatin1Char(';'); };
    QStringList lines;
    if (withArray && separateColours && !colourLine.trimmed().isEmpty())
        lines << colourLine + QLatin1Char(';');
    for (const QString &kept : source.otherCommands)
        if (isClassCommand(kept))
            lines << command(kept.trimmed());
    if (withArray)
        lines << command(QStringLiteral("setParticleParams ") + dropArray(dropString));
    for (const QString &kept : source.otherCommands)
        if (!isClassCommand(kept) && !kept.trimmed().isEmpty())
            lines << command(kept.trimmed());
    if (source.random.set)
        lines << command(QStringLiteral("setParticleRandom ") + randomArray(source.random));
    if (source.circle.set)
        lines << command(QStringLiteral("setParticleCircle ") + circleArray(source.circle));
    if (source.interval.set)
        lines << command(QStringLiteral("setDropInterval ") + source.interval.text);
    return lines;
}

} // namespace

QStringList sourceCommandLines(const SourceSettings &source, const QString &dropString, bool separateColours,
                               const QString &colourLine)
{
    return commandLines(source, dropString, separateColours, colourLine, true);
}

namespace {

// Where a script makes its sources and what it watches, from the Object field.
struct ScriptPlace {
    Start start = Start::Place;
    QString variable; // the Object field's local variable
    QString watched;  // the object whose end ends the sources; empty when none
    QString object;   // what the sources are attached to; empty at a place
    QString at;       // where createVehicleLocal makes them
};

const QString kPlace = QStringLiteral("_plwPlace");

ScriptPlace scriptPlace(const EmitterSettings &settings)
{
    ScriptPlace place;
    const QString objectText = objectElement(settings.objectText);
    place.variable = objectVariable(settings.objectText);
    place.start = !place.variable.isEmpty()                       ? Start::ObjectVariable
                  : sameName(objectText, QStringLiteral("_this")) ? Start::ObjectArgument
                                                                  : Start::Place;
    // The object whose end ends the source: the argument's, or one the mission names.
    place.watched = place.start == Start::ObjectVariable   ? place.variable
                    : place.start == Start::ObjectArgument ? QStringLiteral("_this")
                    : isGlobalName(objectText)             ? objectText
                                                           : QString();
    place.object = place.start == Start::ObjectVariable   ? place.variable
                   : place.start == Start::ObjectArgument ? QStringLiteral("_this")
                                                          : QString();
    place.at = place.object.isEmpty() ? kPlace : QStringLiteral("getPos ") + place.object;
    return place;
}

QStringList startComments(Start start, const QString &fileName, const QString &made)
{
    QStringList lines;
    switch (start) {
    case Start::ObjectVariable:
        lines << QStringLiteral("// Start it with: [unit] execVM \"%1\";").arg(fileName);
        lines << QStringLiteral("// unit: the object the %1 made at (this in the object's init line).").arg(made);
        break;
    case Start::ObjectArgument:
        lines << QStringLiteral("// Start it with: unit execVM \"%1\";").arg(fileName);
        lines << QStringLiteral("// unit: the object the %1 made at (this in the object's init line).").arg(made);
        break;
    case Start::Place:
        lines << QStringLiteral("// Start it with: [place] execVM \"%1\";").arg(fileName);
        lines << QStringLiteral("// place: a position [x, y, z] or an object, where the %1 made.").arg(made);
        break;
    }
    lines << QStringLiteral("// Source commands act only on the machine that runs them: run this script on every "
                            "machine (from init.sqf, for example) for every player to see the effect.");
    return lines;
}

// The lines that take the argument and set the assumed values.
QStringList prologue(const ScriptPlace &place, const ScriptVariables &variables)
{
    QStringList lines;
    switch (place.start) {
    case Start::ObjectVariable:
        lines << QStringLiteral("private %1 = _this select 0;").arg(place.variable);
        break;
    case Start::ObjectArgument:
        break;
    case Start::Place:
        lines << QStringLiteral("private %1 = _this select 0;").arg(kPlace);
        lines << QStringLiteral("if (%1 isEqualType objNull) then {%1 = getPos %1};").arg(kPlace);
        break;
    }
    lines << variableAssignments(variables, ScriptFormat::Sqf);
    return lines;
}

// The vehicle type a layer is created as.
QString vehicleOf(const Layer &layer)
{
    return sqf::doubleQuoted(layer.isLight() ? layer.light->type : QStringLiteral("#particlesource"));
}

// The creation, "private" for a local variable not declared before.
QString createLine(const Layer &layer, const QString &name, bool declared = false)
{
    const QString local = isLocalName(name) && !declared ? QStringLiteral("private ") : QString();
    return local + name + QStringLiteral(" = ") + vehicleOf(layer) + QStringLiteral(" createVehicleLocal ");
}

bool atTheAnchor(const Layer &layer)
{
    return std::all_of(layer.offset.cbegin(), layer.offset.cend(),
                       [](const QString &text) { return text.trimmed() == QLatin1String("0"); });
}

QString offsetArray(const Layer &layer)
{
    return QLatin1Char('[') + QStringList(layer.offset.cbegin(), layer.offset.cend()).join(kSeparator)
           + QLatin1Char(']');
}

// The line that places the layer at its offset: attached to an object (a light as lights are),
// else moved from the place.
QString offsetLine(const Layer &layer, const QString &object, const QString &place)
{
    const QString name = layer.isLight() ? lightName(layer) : sourceName(layer.fields.source);
    if (!object.isEmpty())
        return QStringLiteral("%1 %2 [%3, %4];")
            .arg(name, layer.isLight() ? QStringLiteral("lightAttachObject") : QStringLiteral("attachTo"), object,
                 offsetArray(layer));
    return QStringLiteral("%1 setPos (%2 vectorAdd %3);").arg(name, place, offsetArray(layer));
}

bool startsAtOnce(const Layer &layer)
{
    const QString start = layer.start.trimmed();
    return start.isEmpty() || start == QLatin1String("0");
}

// A time of the timeline as a number to order by; a time that is no number goes first.
double secondsOf(const QString &text)
{
    bool ok = false;
    const double seconds = text.trimmed().toDouble(&ok);
    return ok ? seconds : 0;
}

} // namespace

QString layerColourName(const EmitterSettings &settings)
{
    const QString name = drop::colourVarNameFromLine(settings.colourLine).value_or(QString());
    return name.isEmpty() ? QStringLiteral("_color") : name;
}

QStringList layerCommandLines(const Layer &layer, const QString &colourName)
{
    if (layer.isLight())
        return lightCommandLines(layer);
    const EffectFields &fields = layer.fields;
    const drop::ColourMode mode = fields.separateColours ? drop::ColourMode::Separate : drop::ColourMode::Inline;
    const QString colourLine = fields.separateColours
                                   ? drop::formatColourLine(colourName, fields.texts.value(drop::kColourField - 1))
                                   : QString();
    return commandLines(fields.source, drop::formatDropString(fields.texts, mode, colourName), fields.separateColours,
                        colourLine, !layer.classOnly);
}

namespace {

// A part of a complex effect that no script command makes (a light or a source of a class not in
// the config, a sound) has no place in a script: the layers without them, with a comment naming
// those left out.
QList<Layer> scriptedLayers(const QList<Layer> &layers, QStringList &comment)
{
    QList<Layer> scripted;
    QStringList leftOut;
    for (const Layer &layer : layers) {
        if (layer.classOnly && layer.fields.source.otherCommands.isEmpty())
            leftOut << layer.name();
        else
            scripted << layer;
    }
    if (!leftOut.isEmpty())
        comment << QStringLiteral("// Left out, as no script command makes them: %1.").arg(leftOut.join(kSeparator));
    return scripted;
}

QStringList scriptedCommandLines(const QList<Layer> &layers, const EmitterSettings &settings)
{
    const QString colourName = layerColourName(settings);
    if (layers.size() == 1 && !layers.front().isLight() && atTheAnchor(layers.front()))
        return layerCommandLines(layers.front(), colourName);
    // The anchor as the Object field names it: an object to attach to, else a position.
    const QString anchor = objectElement(settings.objectText);
    const bool object = sqf::isIdentifier(anchor) && !sameName(anchor, QStringLiteral("objNull"));
    const QString place = object || sqf::isBracketed(anchor) ? anchor : QStringLiteral("_pos");
    QStringList lines;
    for (const Layer &layer : layers) {
        const QString name = layer.isLight() ? lightName(layer) : sourceName(layer.fields.source);
        lines << name + QStringLiteral(" = ") + vehicleOf(layer) + QStringLiteral(" createVehicleLocal ")
                     + (object ? QStringLiteral("getPos ") + anchor : place) + QLatin1Char(';');
        if (layer.isLight()) {
            lines << lightSettingLines(layer);
            lines << offsetLine(layer, object ? anchor : QString(), place);
            lines << flickerLines(layer);
        } else {
            lines << layerCommandLines(layer, colourName);
            lines << offsetLine(layer, object ? anchor : QString(), place);
        }
    }
    return lines;
}

} // namespace

QStringList effectCommandLines(const QList<Layer> &layers, const EmitterSettings &settings)
{
    QStringList lines;
    const QList<Layer> scripted = scriptedLayers(layers, lines);
    return scripted.isEmpty() ? lines : lines + scriptedCommandLines(scripted, settings);
}

QStringList sourceScriptLines(const EmitterSettings &settings, const SourceSettings &source, const QString &fileName)
{
    const QString name = sourceName(source);
    const ScriptPlace place = scriptPlace(settings);
    const QString colourName = colourVariable(settings);
    const ScriptVariables variables =
        scriptVariables(settings.variables, {place.variable, colourName, name, kPlace}, ScriptFormat::Sqf);

    QStringList lines;
    const QString shape =
        settings.shapeName.trimmed().isEmpty() ? QStringLiteral("no shape given") : settings.shapeName.trimmed();
    const QString lasting = settings.duration > 0     ? QStringLiteral("for %1 s").arg(scriptNumber(settings.duration))
                            : place.watched.isEmpty() ? QStringLiteral("without end")
                                                      : QStringLiteral("while %1 exists").arg(place.watched);
    lines << QStringLiteral("// Particle source of %1: setDropInterval %2, %3.")
                 .arg(shape, source.interval.text.trimmed(), lasting);
    lines << startComments(place.start, fileName, QStringLiteral("source is"));
    lines << variableComments(variables, ScriptFormat::Sqf);
    lines << prologue(place, variables);
    lines << createLine(Layer(), name) + place.at + QLatin1Char(';');
    lines << sourceCommandLines(source, settings.dropString, settings.separateColours, settings.colourLine);

    if (settings.duration > 0) {
        lines << QStringLiteral("sleep %1;").arg(scriptNumber(settings.duration));
        lines << QStringLiteral("deleteVehicle %1;").arg(name);
    } else if (!place.watched.isEmpty()) {
        lines << QStringLiteral("waitUntil {sleep 1; isNull %1};").arg(place.watched);
        lines << QStringLiteral("deleteVehicle %1;").arg(name);
    }
    return lines;
}

namespace {

QStringList scriptedEffectLines(const EmitterSettings &settings, const QList<Layer> &layers, const QString &fileName)
{
    const QString colourName = layerColourName(settings);
    if (layers.size() == 1 && !layers.front().isLight() && startsAtOnce(layers.front())
        && layers.front().end.trimmed().isEmpty() && !layers.front().classOnly && atTheAnchor(layers.front())) {
        const EffectFields &fields = layers.front().fields;
        EmitterSettings one = settings;
        one.separateColours = fields.separateColours;
        one.dropString = drop::formatDropString(
            fields.texts, fields.separateColours ? drop::ColourMode::Separate : drop::ColourMode::Inline, colourName);
        one.colourLine = fields.separateColours
                             ? drop::formatColourLine(colourName, fields.texts.value(drop::kColourField - 1))
                             : settings.colourLine;
        return sourceScriptLines(one, fields.source, fileName);
    }

    const ScriptPlace place = scriptPlace(settings);
    QStringList names;
    for (const Layer &layer : layers)
        names << (layer.isLight() ? lightName(layer) : sourceName(layer.fields.source));
    const QString clock = QStringLiteral("_plwStart");
    const ScriptVariables variables = scriptVariables(
        settings.variables, QStringList{place.variable, colourName, kPlace, clock} + names, ScriptFormat::Sqf);

    QStringList lines;
    const QString lasting = settings.duration > 0     ? QStringLiteral("for %1 s").arg(scriptNumber(settings.duration))
                            : place.watched.isEmpty() ? QStringLiteral("without end")
                                                      : QStringLiteral("while %1 exists").arg(place.watched);
    const QString count =
        layers.size() == 1 ? QStringLiteral("1 layer") : QStringLiteral("%1 layers").arg(layers.size());
    lines << QStringLiteral("// Particle effect of %1, %2: %3.").arg(count, lasting, names.join(kSeparator));
    for (qsizetype i = 0; i < layers.size(); ++i) {
        const Layer &layer = layers.at(i);
        QString times =
            QStringLiteral("from %1 s").arg(startsAtOnce(layer) ? QStringLiteral("0") : layer.start.trimmed());
        if (!layer.end.trimmed().isEmpty())
            times += QStringLiteral(" to %1 s").arg(layer.end.trimmed());
        const QString what = layer.isLight() ? QStringLiteral("a light (%1)").arg(layer.light->type)
                             : layer.classOnly
                                 ? QStringLiteral("its class as written")
                                 : QStringLiteral("setDropInterval ") + layer.fields.source.interval.text.trimmed();
        lines << QStringLiteral("// Layer %1: %2, %3, at %4 from the anchor.")
                     .arg(names.at(i), what, times, offsetArray(layer));
    }
    lines << startComments(place.start, fileName, QStringLiteral("effect is"));
    lines << variableComments(variables, ScriptFormat::Sqf);
    lines << prologue(place, variables);
    lines << QStringLiteral("private %1 = time;").arg(clock);

    // A light is made at its start with every command it has: a new light's state is not known.
    const auto lightLines = [&place](const Layer &layer, const QString &name, bool declared) {
        QStringList made{createLine(layer, name, declared) + place.at + QLatin1Char(';')};
        made << lightSettingLines(layer);
        if (!atTheAnchor(layer))
            made << offsetLine(layer, place.object, kPlace);
        return made + flickerLines(layer);
    };
    // Every source is made at once, in order, and given its commands at its start.
    for (qsizetype i = 0; i < layers.size(); ++i) {
        const Layer &layer = layers.at(i);
        if (layer.isLight()) {
            // A light made later is declared here, which keeps its place among the layers.
            if (startsAtOnce(layer))
                lines << lightLines(layer, names.at(i), false);
            else
                lines << QStringLiteral("%1%2 = objNull;")
                             .arg(isLocalName(names.at(i)) ? QStringLiteral("private ") : QString(), names.at(i));
            continue;
        }
        lines << createLine(layer, names.at(i)) + place.at + QLatin1Char(';');
        if (!atTheAnchor(layer))
            lines << offsetLine(layer, place.object, kPlace);
        if (startsAtOnce(layer))
            lines << layerCommandLines(layer, colourName);
    }
    struct Step {
        QString time;
        qsizetype layer;
        bool ends;
    };
    QList<Step> steps;
    for (qsizetype i = 0; i < layers.size(); ++i)
        if (!startsAtOnce(layers.at(i)))
            steps << Step{layers.at(i).start.trimmed(), i, false};
    for (qsizetype i = 0; i < layers.size(); ++i)
        if (!layers.at(i).end.trimmed().isEmpty())
            steps << Step{layers.at(i).end.trimmed(), i, true};
    std::stable_sort(steps.begin(), steps.end(),
                     [](const Step &a, const Step &b) { return secondsOf(a.time) < secondsOf(b.time); });
    const QString orGone = place.watched.isEmpty() ? QString() : QStringLiteral(" || isNull ") + place.watched;
    QString reached;
    for (const Step &step : std::as_const(steps)) {
        if (step.time != reached)
            lines << QStringLiteral("waitUntil {time >= %1 + %2%3};").arg(clock, step.time, orGone);
        reached = step.time;
        const Layer &layer = layers.at(step.layer);
        if (step.ends)
            lines << QStringLiteral("deleteVehicle %1;").arg(names.at(step.layer));
        else if (layer.isLight())
            lines << lightLines(layer, names.at(step.layer), true);
        else
            lines << layerCommandLines(layer, colourName);
    }

    const QString all = QStringLiteral("{deleteVehicle _x} forEach [%1];").arg(names.join(kSeparator));
    if (settings.duration > 0) {
        lines << QStringLiteral("waitUntil {time >= %1 + %2%3};").arg(clock, scriptNumber(settings.duration), orGone);
        lines << all;
    } else if (!place.watched.isEmpty()) {
        lines << QStringLiteral("waitUntil {sleep 1; isNull %1};").arg(place.watched);
        lines << all;
    }
    return lines;
}

} // namespace

QStringList effectScriptLines(const EmitterSettings &settings, const QList<Layer> &layers, const QString &fileName)
{
    QStringList leftOut;
    const QList<Layer> scripted = scriptedLayers(layers, leftOut);
    if (scripted.isEmpty())
        return leftOut;
    return leftOut + scriptedEffectLines(settings, scripted, fileName);
}

} // namespace exporter
