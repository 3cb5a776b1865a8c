#include "sourcescript.h"

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

QStringList sourceCommandLines(const SourceSettings &source, const QString &dropString, bool separateColours,
                               const QString &colourLine)
{
    const QString name = source.name.trimmed().isEmpty() ? QStringLiteral("_ps") : source.name.trimmed();
    const auto command = [&name](const QString &text) { return name + QLatin1Char(' ') + text + QLatin1Char(';'); };
    QStringList lines;
    if (separateColours && !colourLine.trimmed().isEmpty())
        lines << colourLine + QLatin1Char(';');
    for (const QString &kept : source.otherCommands)
        if (isClassCommand(kept))
            lines << command(kept.trimmed());
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

QStringList sourceScriptLines(const EmitterSettings &settings, const SourceSettings &source, const QString &fileName)
{
    const QString name = source.name.trimmed().isEmpty() ? QStringLiteral("_ps") : source.name.trimmed();
    const QString objectText = objectElement(settings.objectText);
    const QString variable = objectVariable(settings.objectText);
    const Start start = !variable.isEmpty()                             ? Start::ObjectVariable
                        : sameName(objectText, QStringLiteral("_this")) ? Start::ObjectArgument
                                                                        : Start::Place;
    // The object whose end ends the source: the argument's, or one the mission names.
    const QString watched = start == Start::ObjectVariable   ? variable
                            : start == Start::ObjectArgument ? QStringLiteral("_this")
                            : isGlobalName(objectText)       ? objectText
                                                             : QString();
    const QString place = QStringLiteral("_plwPlace");
    const QString colourName = colourVariable(settings);
    const ScriptVariables variables =
        scriptVariables(settings.variables, {variable, colourName, name, place}, ScriptFormat::Sqf);

    QStringList lines;
    const QString shape =
        settings.shapeName.trimmed().isEmpty() ? QStringLiteral("no shape given") : settings.shapeName.trimmed();
    const QString lasting =
        settings.duration > 0
            ? QStringLiteral("for %1 s").arg(scriptNumber(settings.duration))
            : (watched.isEmpty() ? QStringLiteral("without end") : QStringLiteral("while %1 exists").arg(watched));
    lines << QStringLiteral("// Particle source of %1: setDropInterval %2, %3.")
                 .arg(shape, source.interval.text.trimmed(), lasting);
    switch (start) {
    case Start::ObjectVariable:
        lines << QStringLiteral("// Start it with: [unit] execVM \"%1\";").arg(fileName);
        lines << QStringLiteral("// unit: the object the source is made at (this in the object's init line).");
        break;
    case Start::ObjectArgument:
        lines << QStringLiteral("// Start it with: unit execVM \"%1\";").arg(fileName);
        lines << QStringLiteral("// unit: the object the source is made at (this in the object's init line).");
        break;
    case Start::Place:
        lines << QStringLiteral("// Start it with: [place] execVM \"%1\";").arg(fileName);
        lines << QStringLiteral("// place: a position [x, y, z] or an object, where the source is made.");
        break;
    }
    lines << QStringLiteral("// Source commands act only on the machine that runs them: run this script on every "
                            "machine (from init.sqf, for example) for every player to see the effect.");
    lines << variableComments(variables, ScriptFormat::Sqf);

    const QString local = isLocalName(name) ? QStringLiteral("private ") : QString();
    const QString create = local + name + QStringLiteral(" = \"#particlesource\" createVehicleLocal ");
    switch (start) {
    case Start::ObjectVariable:
        lines << QStringLiteral("private %1 = _this select 0;").arg(variable);
        lines << variableAssignments(variables, ScriptFormat::Sqf);
        lines << create + QStringLiteral("getPos %1;").arg(variable);
        break;
    case Start::ObjectArgument:
        lines << variableAssignments(variables, ScriptFormat::Sqf);
        lines << create + QStringLiteral("getPos _this;");
        break;
    case Start::Place:
        lines << QStringLiteral("private %1 = _this select 0;").arg(place);
        lines << QStringLiteral("if (%1 isEqualType objNull) then {%1 = getPos %1};").arg(place);
        lines << variableAssignments(variables, ScriptFormat::Sqf);
        lines << create + place + QLatin1Char(';');
        break;
    }
    lines << sourceCommandLines(source, settings.dropString, settings.separateColours, settings.colourLine);

    if (settings.duration > 0) {
        lines << QStringLiteral("sleep %1;").arg(scriptNumber(settings.duration));
        lines << QStringLiteral("deleteVehicle %1;").arg(name);
    } else if (!watched.isEmpty()) {
        lines << QStringLiteral("waitUntil {sleep 1; isNull %1};").arg(watched);
        lines << QStringLiteral("deleteVehicle %1;").arg(name);
    }
    return lines;
}

} // namespace exporter
