#include "emitterscript.h"

#include "sqf/values.h"

#include <QRegularExpression>

#include <cmath>

namespace effect {
namespace {

bool isLocalName(const QString &name)
{
    static const QRegularExpression pattern(QStringLiteral("^_[A-Za-z0-9_]+$"));
    return pattern.match(name).hasMatch();
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The first element of the Object field, blanks around it removed.
QString firstObjectElement(const QString &objectText)
{
    const std::optional<QStringList> elements = sqf::splitElements(objectText);
    return elements && !elements->isEmpty() ? elements->constFirst() : QString();
}

// The drop array of the drop string: the text after a leading "drop" keyword.
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

} // namespace

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
    const QString first = firstObjectElement(objectText);
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

QStringList emitterScriptLines(const EmitterSettings &settings, ScriptFormat format, const QString &fileName)
{
    const bool sqf = format == ScriptFormat::Sqf;
    const QString comment = sqf ? QStringLiteral("// ") : QStringLiteral("; ");
    const QString end = sqf ? QStringLiteral(";") : QString();
    const QString local = sqf ? QStringLiteral("private ") : QString();
    const QString object = objectVariable(settings.objectText);
    const bool objectIsArgument = sameName(firstObjectElement(settings.objectText), QStringLiteral("_this"));
    const bool endless = !(settings.duration > 0);
    const QString interval = scriptNumber(settings.interval);
    const QString colourName =
        settings.separateColours ? settings.colourLine.section(QLatin1Char(' '), 0, 0) : QString();

    QStringList globals;
    QList<AssumedValue> locals;
    for (const AssumedValue &variable : settings.variables) {
        if (!variable.name.startsWith(QLatin1Char('_'))) {
            globals << variable.name;
            continue;
        }
        // The argument, the object and the colour variable get their values below; in the loop
        // format _time is the script's clock, which an assignment would stop.
        if (sameName(variable.name, QStringLiteral("_this")) || sameName(variable.name, object)
            || sameName(variable.name, colourName) || (!sqf && sameName(variable.name, QStringLiteral("_time"))))
            continue;
        locals << variable;
    }

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
    if (!globals.isEmpty())
        lines << comment + QStringLiteral("Expected from the mission: %1.").arg(globals.join(QStringLiteral(", ")));
    if (!locals.isEmpty())
        lines << comment + QStringLiteral("The values the preview assumed; change them here.");

    if (!object.isEmpty())
        lines << local + object + QStringLiteral(" = _this select 0") + end;
    for (const AssumedValue &variable : locals)
        lines << local + variable.name + QStringLiteral(" = ") + scriptNumber(variable.value) + end;
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

} // namespace effect
