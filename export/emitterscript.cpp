#include "emitterscript.h"

#include "drop/dropstring.h"
#include "sqf/values.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace exporter {
namespace {

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString commentStart(ScriptFormat format)
{
    return format == ScriptFormat::Sqf ? QStringLiteral("// ") : QStringLiteral("; ");
}

} // namespace

bool isLocalName(const QString &name)
{
    static const QRegularExpression pattern(QStringLiteral("^_[A-Za-z0-9_]+$"));
    return pattern.match(name).hasMatch();
}

QString objectElement(const QString &objectText)
{
    const std::optional<QStringList> elements = sqf::splitElements(objectText);
    return elements && !elements->isEmpty() ? elements->constFirst() : QString();
}

QString dropArray(const QString &dropString)
{
    QString text = dropString.trimmed();
    if (text.startsWith(QLatin1String("drop"), Qt::CaseInsensitive)) {
        const QString rest = text.mid(4);
        if (rest.isEmpty() || rest.front().isSpace() || rest.front() == QLatin1Char('['))
            text = rest.trimmed();
    }
    return text;
}

ScriptFormat scriptFormatFor(const QString &fileName)
{
    return fileName.endsWith(QLatin1String(".sqf"), Qt::CaseInsensitive) ? ScriptFormat::Sqf : ScriptFormat::Sqs;
}

QString proposedScriptName(const QString &shapeName, ScriptFormat format)
{
    QString name = shapeName.trimmed();
    name = name.mid(std::max(name.lastIndexOf(QLatin1Char('\\')), name.lastIndexOf(QLatin1Char('/'))) + 1);
    if (const qsizetype dot = name.lastIndexOf(QLatin1Char('.')); dot > 0)
        name.truncate(dot);
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9_\\-]"));
    name.replace(unsafe, QStringLiteral("_"));
    if (name.isEmpty() || name.count(QLatin1Char('_')) == name.size())
        name = QStringLiteral("effect");
    return name + (format == ScriptFormat::Sqf ? QLatin1String(".sqf") : QLatin1String(".sqs"));
}

QString objectVariable(const QString &objectText)
{
    const QString first = objectElement(objectText);
    return isLocalName(first) && !sameName(first, QStringLiteral("_this")) ? first : QString();
}

QString scriptNumber(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("0");
    QString text = QString::number(value, 'f', 6);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

QString colourVariable(const EmitterSettings &settings)
{
    return settings.separateColours ? drop::colourVarNameFromLine(settings.colourLine).value_or(QString()) : QString();
}

std::optional<QString> emitterScriptRefusal(const EmitterSettings &settings)
{
    if (settings.interval == 0)
        return QStringLiteral("The interval is 0, which switches a particle source off: a drop loop would drop "
                              "without waiting. Give an interval above 0, or save a source script.");
    if (!(settings.interval > 0) || !std::isfinite(settings.interval))
        return QStringLiteral("The interval is not a time a drop loop can wait: give an interval above 0.");
    return std::nullopt;
}

ScriptVariables scriptVariables(const QList<AssumedValue> &variables, const QStringList &setElsewhere,
                                ScriptFormat format)
{
    ScriptVariables sorted;
    for (const AssumedValue &variable : variables) {
        if (!variable.name.startsWith(QLatin1Char('_'))) {
            sorted.expected << variable.name;
            continue;
        }
        // The argument has its value; in the loop format _time is the script's clock, which an
        // assignment would stop.
        const bool elsewhere = std::any_of(setElsewhere.cbegin(), setElsewhere.cend(),
                                           [&variable](const QString &name) { return sameName(variable.name, name); });
        if (elsewhere || sameName(variable.name, QStringLiteral("_this"))
            || (format == ScriptFormat::Sqs && sameName(variable.name, QStringLiteral("_time"))))
            continue;
        sorted.assumed << variable;
    }
    return sorted;
}

QStringList variableComments(const ScriptVariables &variables, ScriptFormat format)
{
    QStringList lines;
    if (!variables.expected.isEmpty())
        lines << commentStart(format)
                     + QStringLiteral("Expected from the mission: %1.")
                           .arg(variables.expected.join(QStringLiteral(", ")));
    if (!variables.assumed.isEmpty())
        lines << commentStart(format) + QStringLiteral("The values the preview assumed; change them here.");
    return lines;
}

QStringList variableAssignments(const ScriptVariables &variables, ScriptFormat format)
{
    const bool sqf = format == ScriptFormat::Sqf;
    QStringList lines;
    for (const AssumedValue &variable : variables.assumed)
        lines << (sqf ? QStringLiteral("private ") : QString()) + variable.name + QStringLiteral(" = ")
                     + scriptNumber(variable.value) + (sqf ? QStringLiteral(";") : QString());
    return lines;
}

QStringList emitterScriptLines(const EmitterSettings &settings, ScriptFormat format, const QString &fileName)
{
    if (emitterScriptRefusal(settings))
        return {};
    const bool sqf = format == ScriptFormat::Sqf;
    const QString comment = commentStart(format);
    const QString end = sqf ? QStringLiteral(";") : QString();
    const QString local = sqf ? QStringLiteral("private ") : QString();
    const QString object = objectVariable(settings.objectText);
    const bool objectIsArgument = sameName(objectElement(settings.objectText), QStringLiteral("_this"));
    const bool endless = !(settings.duration > 0);
    const QString interval = scriptNumber(settings.interval);
    const QString colourName = colourVariable(settings);
    // The object and the colour variable get their values below.
    const ScriptVariables variables = scriptVariables(settings.variables, {object, colourName}, format);

    QStringList lines;
    const QString shape =
        settings.shapeName.trimmed().isEmpty() ? QStringLiteral("no shape given") : settings.shapeName.trimmed();
    lines << comment
                 + QStringLiteral("Particles of %1: one drop every %2 s, %3.")
                       .arg(shape, interval,
                            endless ? QStringLiteral("without end")
                                    : QStringLiteral("for %1 s").arg(scriptNumber(settings.duration)));
    const QString argument = object.isEmpty() ? (objectIsArgument ? QStringLiteral("unit ") : QStringLiteral("[] "))
                                              : QStringLiteral("[unit] ");
    lines << comment
                 + QStringLiteral("Start it with: %1%2 \"%3\"%4")
                       .arg(argument, sqf ? QStringLiteral("execVM") : QStringLiteral("exec"), fileName, end);
    if (!object.isEmpty() || objectIsArgument)
        lines << comment + QStringLiteral("unit: the object the particles come from (this in the object's init line).");
    if (settings.sourceRandom || settings.sourceCircle) {
        QStringList unplayed;
        if (settings.sourceRandom)
            unplayed << QStringLiteral("setParticleRandom");
        if (settings.sourceCircle)
            unplayed << QStringLiteral("setParticleCircle");
        lines << comment
                     + QStringLiteral("A drop loop does not play %1: every drop is alike. A source script does.")
                           .arg(unplayed.join(QStringLiteral(" or ")));
    }
    lines << variableComments(variables, format);

    if (!object.isEmpty())
        lines << local + object + QStringLiteral(" = _this select 0") + end;
    lines << variableAssignments(variables, format);
    if (settings.separateColours && !settings.colourLine.isEmpty())
        lines << (isLocalName(colourName) ? local : QString()) + settings.colourLine + end;

    if (sqf) {
        if (endless) {
            lines << QStringLiteral("while {true} do {");
        } else {
            lines << QStringLiteral("private _plwEnd = time + %1;").arg(scriptNumber(settings.duration));
            lines << QStringLiteral("while {time < _plwEnd} do {");
        }
        lines << QStringLiteral("    drop ") + dropArray(settings.dropString) + end;
        lines << QStringLiteral("    sleep ") + interval + end;
        lines << QStringLiteral("};");
        return lines;
    }
    if (!endless)
        lines << QStringLiteral("_plwEnd = _time + %1").arg(scriptNumber(settings.duration));
    lines << QStringLiteral("#loop");
    lines << settings.dropString;
    lines << QLatin1Char('~') + interval;
    if (endless) {
        lines << QStringLiteral("goto \"loop\"");
    } else {
        lines << QStringLiteral("? _time < _plwEnd : goto \"loop\"");
        lines << QStringLiteral("exit");
    }
    return lines;
}

} // namespace exporter
