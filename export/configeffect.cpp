#include "configeffect.h"

#include "sqf/values.h"

#include <algorithm>
#include <optional>

namespace exporter {

using namespace effect;

namespace {

const char *const kAttenuationFields[] = {"start", "constant", "linear", "quadratic", "hardLimitStart", "hardLimitEnd"};

// The config's axis order: x, height, y.
constexpr std::array<std::size_t, 3> kScriptAxisAt{0, 2, 1};

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// A value as the game reads a text: a string's text, anything else as it stands.
QString textOf(const QString &value)
{
    const QString trimmed = value.trimmed();
    return sqf::stringValue(trimmed).value_or(trimmed);
}

QString withNote(const QString &line, const QString &note)
{
    return note.isEmpty() ? line : line + QStringLiteral(" // ") + note;
}

QString indented(const QString &line)
{
    return line.isEmpty() ? line : QStringLiteral("    ") + line;
}

// A vector of values in braces, the notes naming their places.
ClassLine vectorLine(const QString &field, const QList<ConfigValue> &values)
{
    QStringList texts;
    QStringList notes;
    for (qsizetype i = 0; i < values.size(); ++i) {
        texts << values.at(i).text;
        if (!values.at(i).note.isEmpty())
            notes << QStringLiteral("%1: %2").arg(i + 1).arg(values.at(i).note);
    }
    return {field, true, QLatin1Char('{') + texts.join(QStringLiteral(", ")) + QLatin1Char('}'),
            notes.join(QStringLiteral("; "))};
}

// An offset in the script's order (x, y, height) as the config writes it.
ClassLine offsetLine(const std::array<QString, 3> &offset, const sqf::VariableValues &assumed)
{
    QList<ConfigValue> values;
    for (const std::size_t axis : kScriptAxisAt)
        values << configNumber(offset[axis], assumed);
    return vectorLine(QStringLiteral("position"), values);
}

const ClassLine *lineOf(const QList<ClassLine> &lines, const QString &field)
{
    const auto found =
        std::find_if(lines.cbegin(), lines.cend(), [&field](const ClassLine &line) { return line.field == field; });
    return found == lines.cend() ? nullptr : &*found;
}

// The layer's name without its leading '_': a script's local variable.
QString stem(const QString &layerName)
{
    QString name = layerName.trimmed();
    while (name.startsWith(QLatin1Char('_')))
        name.remove(0, 1);
    return name;
}

// `wanted`, or with 2, 3, ... after it, where no name in `taken` has it (letter case aside).
QString uniqueName(const QStringList &taken, const QString &wanted)
{
    QString name = wanted;
    for (int n = 2; taken.contains(name, Qt::CaseInsensitive); ++n)
        name = wanted + QString::number(n);
    return name;
}

bool isLightArray(const QString &field)
{
    static const QStringList arrays{"color", "diffuse", "ambient", "position"};
    return arrays.contains(field);
}

QString classHeader(const QString &name, const QString &base)
{
    return base.isEmpty() ? QStringLiteral("class %1 {").arg(name) : QStringLiteral("class %1: %2 {").arg(name, base);
}

// The class a class-only layer from a script names by setParticleClass.
QString particleClassOf(const Layer &layer)
{
    for (const QString &command : layer.fields.source.otherCommands) {
        const QString trimmed = command.trimmed();
        if (trimmed.startsWith(QLatin1String("setParticleClass"), Qt::CaseInsensitive))
            return textOf(trimmed.mid(int(qstrlen("setParticleClass"))));
    }
    return {};
}

// The bases the classes name that neither they nor the kept classes define, each once, Default
// first.
QStringList declaredBases(const QList<EffectClass> &classes, const QList<sqf::ConfigNode> &kept)
{
    QStringList defined;
    for (const EffectClass &written : classes)
        defined << written.name;
    QStringList named;
    for (const sqf::ConfigNode &node : kept) {
        defined << node.name;
        named << node.base;
    }
    for (const EffectClass &written : classes)
        named << written.base;
    QStringList bases{QLatin1String(kDefaultClassBase)};
    for (const QString &base : named)
        if (!base.isEmpty() && !defined.contains(base, Qt::CaseInsensitive)
            && !bases.contains(base, Qt::CaseInsensitive))
            bases << base;
    return bases;
}

// A class as read, with the classes inside it.
QStringList nodeLines(const sqf::ConfigNode &node)
{
    QStringList lines{classHeader(node.name, node.base)};
    for (const sqf::ConfigEntry &entry : node.entries)
        lines << entryLine(entry);
    for (const sqf::ConfigNode &inner : node.classes)
        for (const QString &line : nodeLines(inner))
            lines << indented(line);
    lines << QStringLiteral("};");
    return lines;
}

// The kept classes that stood in a wrapper of that name (letter case aside).
QList<sqf::ConfigNode> keptIn(const ConfigEffect &root, const QString &wrapper)
{
    QList<sqf::ConfigNode> nodes;
    for (const KeptConfigClass &kept : root.kept)
        if (sameName(kept.wrapper, wrapper))
            nodes << kept.node;
    return nodes;
}

// A wrapper's block: its declarations, the kept classes, the layers' classes.
QStringList wrapperLines(const QString &wrapper, const QStringList &declared, const QList<sqf::ConfigNode> &kept,
                         const QList<QStringList> &classes)
{
    QStringList lines{QStringLiteral("class %1 {").arg(wrapper)};
    for (const QString &base : declared)
        lines << QStringLiteral("    class %1;").arg(base);
    for (const sqf::ConfigNode &node : kept)
        for (const QString &line : nodeLines(node))
            lines << indented(line);
    for (const QStringList &written : classes)
        for (const QString &line : written)
            lines << indented(line);
    lines << QStringLiteral("};");
    return lines;
}

// The value of a layer that a sub-class gives, written anew where the layer gives another than
// the sub-class gave.
struct PartField {
    QString name;
    bool isArray = false;
    bool changed = false;
    std::optional<QString> value; // none: the field goes
    QString note;
};

// The sub-class's own fields, with the fields the layer now gives otherwise put in.
QStringList partLines(const Layer &layer, const QList<ConfigPart> &parts, qsizetype index, const QString &className,
                      const sqf::VariableValues &assumed)
{
    const ConfigPart &part = *layer.part;
    const PartValues given = partValues(inheritedPartEntries(parts, index));
    QList<PartField> fields;
    const ClassLine offset = offsetLine(layer.offset, assumed);
    fields << PartField{QStringLiteral("position"), true, layer.offset != given.offset, offset.value, offset.note};
    const QString end = layer.end.trimmed();
    const ConfigValue lifeTime = configNumber(end, assumed);
    fields << PartField{QStringLiteral("lifeTime"), false, end != given.end,
                        end.isEmpty() ? std::nullopt : std::optional<QString>(lifeTime.text), lifeTime.note};
    fields << PartField{QStringLiteral("enabled"),
                        false,
                        layer.muted != given.muted,
                        layer.muted ? QStringLiteral("-1") : QStringLiteral("1"),
                        {}};
    if (!layer.classOnly && !className.isEmpty())
        fields << PartField{
            QStringLiteral("type"), false, !sameName(className, given.type), sqf::doubleQuoted(className), {}};

    QStringList lines;
    QList<bool> written(fields.size(), false);
    for (const sqf::ConfigEntry &entry : part.entries) {
        const auto field = std::find_if(fields.begin(), fields.end(), [&entry](const PartField &f) {
            return f.changed && sameName(f.name, entry.name);
        });
        if (field == fields.end()) {
            lines << entryLine(entry);
            continue;
        }
        const qsizetype at = field - fields.begin();
        if (written.at(at) || !field->value)
            continue;
        written[at] = true;
        lines << withNote(entryLine({entry.name, field->isArray, *field->value, false}), field->note);
    }
    for (qsizetype i = 0; i < fields.size(); ++i)
        if (fields.at(i).changed && !written.at(i) && fields.at(i).value)
            lines << withNote(entryLine({fields.at(i).name, fields.at(i).isArray, *fields.at(i).value, false}),
                              fields.at(i).note);
    return lines;
}

// A new layer's sub-class: every field.
QStringList newPartLines(const Layer &layer, const QString &className, const sqf::VariableValues &assumed)
{
    QStringList lines;
    lines << entryLine({QStringLiteral("simulation"), false,
                        layer.isLight() ? QStringLiteral("\"light\"") : QStringLiteral("\"particles\""), false})
          << entryLine({QStringLiteral("type"), false, sqf::doubleQuoted(className), false});
    const ClassLine offset = offsetLine(layer.offset, assumed);
    lines << withNote(entryLine({offset.field, true, offset.value, false}), offset.note);
    if (!layer.end.trimmed().isEmpty()) {
        const ConfigValue lifeTime = configNumber(layer.end, assumed);
        lines << withNote(entryLine({QStringLiteral("lifeTime"), false, lifeTime.text, false}), lifeTime.note);
    }
    lines << entryLine({QStringLiteral("qualityLevel"), false, QStringLiteral("-1"), false});
    if (layer.muted)
        lines << entryLine({QStringLiteral("enabled"), false, QStringLiteral("-1"), false});
    lines << entryLine({QStringLiteral("intensity"), false, QStringLiteral("1"), false})
          << entryLine({QStringLiteral("interval"), false, QStringLiteral("1"), false});
    return lines;
}

} // namespace

QStringList lightConfigFieldNames()
{
    QStringList names{"color",    "diffuse",  "ambient",   "intensity",        "brightness",
                      "dayLight", "useFlare", "flareSize", "flareMaxDistance", "position"};
    for (const char *field : kAttenuationFields)
        names << QLatin1String(kAttenuationPrefix) + QLatin1String(field);
    return names;
}

QList<ClassLine> lightConfigFields(const LightSettings &light, const std::array<QString, 3> &offset,
                                   const sqf::VariableValues &assumed)
{
    QList<ClassLine> lines;
    // Each field only where the light sets it.
    const auto colour = [&](const char *field, const LightColour &value) {
        if (!value.set)
            return;
        QList<ConfigValue> channels;
        for (const QString &text : value.texts)
            channels << configNumber(text, assumed);
        lines << vectorLine(QLatin1String(field), channels);
    };
    const auto scalar = [&](const char *field, const LightValue &value, bool isSwitch) {
        if (!value.set)
            return;
        const ConfigValue written = isSwitch ? configSwitch(value.text, assumed) : configNumber(value.text, assumed);
        lines << ClassLine{QLatin1String(field), false, written.text, written.note};
    };
    colour("color", light.colour);
    colour("diffuse", light.colour);
    colour("ambient", light.ambient);
    scalar("intensity", light.intensity, false);
    scalar("brightness", light.brightness, false);
    scalar("dayLight", light.dayLight, true);
    scalar("useFlare", light.useFlare, true);
    scalar("flareSize", light.flareSize, false);
    scalar("flareMaxDistance", light.flareMaxDistance, false);
    lines << offsetLine(offset, assumed);
    if (light.flicker.kind != LightFlicker::None)
        lines << ClassLine{
            {}, false, {}, QStringLiteral("The script's flicker has no config form: the light is written steady.")};

    const LightAttenuation &attenuation = light.attenuation;
    if (!attenuation.set)
        return lines;
    QStringList texts(attenuation.texts.cbegin(), attenuation.texts.cend());
    QString note;
    if (!attenuation.asWritten.isEmpty()) {
        texts = sqf::arrayElements(attenuation.asWritten).value_or(QStringList{});
        note = QStringLiteral("of the script's attenuation %1, %2 values whose meaning is not documented, read as "
                              "the preview reads it")
                   .arg(attenuation.asWritten)
                   .arg(texts.size());
        if (texts.size() < 4) {
            lines << ClassLine{{},
                               false,
                               {},
                               QStringLiteral("The attenuation %1 is no array of four values or more: left out.")
                                   .arg(attenuation.asWritten)};
            return lines;
        }
        if (texts.size() < 6)
            texts = texts.mid(0, 4);
    }
    for (qsizetype i = 0; i < std::min<qsizetype>(texts.size(), std::size(kAttenuationFields)); ++i) {
        const ConfigValue value = configNumber(texts.at(i), assumed);
        QStringList notes{note, value.note};
        notes.removeAll(QString());
        lines << ClassLine{QLatin1String(kAttenuationPrefix) + QLatin1String(kAttenuationFields[i]), false, value.text,
                           notes.join(QStringLiteral("; "))};
    }
    return lines;
}

QStringList lightClassLines(const LightSettings &light, const std::array<QString, 3> &offset, const EffectClass &named,
                            const sqf::VariableValues &assumed)
{
    const QList<ClassLine> fields = lightConfigFields(light, offset, assumed);
    const QList<ClassLine> given = named.marks.isEmpty() ? fields : lightConfigFields(light, offset, {});
    QStringList lines{classHeader(named.name, named.base)};
    QStringList attenuation;
    for (const ClassLine &line : fields)
        if (line.field.isEmpty())
            lines << QStringLiteral("    // ") + line.note;
    for (const QString &field : lightConfigFieldNames()) {
        const bool inAttenuation = field.startsWith(QLatin1String(kAttenuationPrefix));
        const QString name = inAttenuation ? field.mid(int(qstrlen(kAttenuationPrefix))) : field;
        const bool isArray = isLightArray(field);
        QStringList &into = inAttenuation ? attenuation : lines;
        const ClassLine *line = lineOf(fields, field);
        const ClassLine *asGiven = lineOf(given, field);
        const auto mark = std::find_if(named.marks.cbegin(), named.marks.cend(),
                                       [&field](const ConfigFieldMark &m) { return m.field == field; });
        if (mark != named.marks.cend() && mark->importedAs == (asGiven ? fieldAsGiven(*asGiven) : QString())) {
            if (!mark->written.isEmpty())
                into << entryLine({name, isArray, mark->written, mark->appends});
            continue;
        }
        if (line)
            into << withNote(entryLine({name, isArray, line->value, false}), line->note);
    }
    if (!named.configOnly.isEmpty()) {
        lines << QStringLiteral("    // Fields only a config has, as the class wrote them (the preview does not show "
                                "them):");
        for (const sqf::ConfigEntry &entry : named.configOnly)
            lines << entryLine(entry);
    }
    if (!attenuation.isEmpty()) {
        lines << QStringLiteral("    class Attenuation {");
        for (const QString &line : attenuation)
            lines << indented(line);
        lines << QStringLiteral("    };");
    }
    lines << QStringLiteral("};");
    return lines;
}

PartValues partValues(const QList<sqf::ConfigEntry> &entries)
{
    PartValues values;
    for (const sqf::ConfigEntry &entry : entries) {
        const QString &name = entry.name;
        if (sameName(name, QLatin1String("simulation"))) {
            values.simulation = textOf(entry.value);
        } else if (sameName(name, QLatin1String("type"))) {
            values.type = textOf(entry.value);
        } else if (sameName(name, QLatin1String("position"))) {
            const auto elements = sqf::braceElements(entry.value);
            const bool numbers = elements && elements->size() == 3
                                 && std::all_of(elements->cbegin(), elements->cend(),
                                                [](const QString &e) { return sqf::plainNumber(e).has_value(); });
            values.offset = numbers ? std::array<QString, 3>{elements->at(0), elements->at(2), elements->at(1)}
                                    : PartValues().offset;
        } else if (sameName(name, QLatin1String("lifeTime"))) {
            const QString text = entry.value.trimmed();
            values.end = sqf::plainNumber(text) ? text : QString();
        } else if (sameName(name, QLatin1String("enabled"))) {
            const auto number = sqf::plainNumber(entry.value.trimmed());
            values.muted = number && *number <= 0;
        }
    }
    return values;
}

QList<sqf::ConfigEntry> inheritedPartEntries(const QList<ConfigPart> &parts, qsizetype index)
{
    QList<sqf::ConfigEntry> entries;
    QList<qsizetype> seen;
    for (qsizetype at = index; at >= 0 && !seen.contains(at);) {
        seen << at;
        entries = parts.at(at).entries + entries;
        const QString &base = parts.at(at).base;
        const auto found =
            std::find_if(parts.cbegin(), parts.cend(), [&base](const ConfigPart &p) { return sameName(p.name, base); });
        at = base.isEmpty() || found == parts.cend() ? -1 : found - parts.cbegin();
    }
    return entries;
}

QStringList layerClassNames(const QList<Layer> &layers, const QString &effectName)
{
    QStringList names;
    QStringList particles;
    QStringList lights;
    // The imported names first, so that a new one never takes one of them.
    for (const Layer &layer : layers)
        if (!layer.classOnly && !layer.fields.configClass.name.trimmed().isEmpty())
            (layer.isLight() ? lights : particles) << layer.fields.configClass.name.trimmed();
    for (const Layer &layer : layers) {
        if (layer.classOnly) {
            names << QString();
            continue;
        }
        const QString own = layer.fields.configClass.name.trimmed();
        if (!own.isEmpty()) {
            names << own;
            continue;
        }
        QStringList &taken = layer.isLight() ? lights : particles;
        const QString wanted = configIdentifier(configIdentifier(effectName) + QLatin1Char('_') + stem(layer.name()));
        names << uniqueName(taken, wanted);
        taken << names.back();
    }
    return names;
}

QStringList configEffectLines(const QList<Layer> &layers, const ConfigEffect &root, const QString &effectName,
                              const sqf::VariableValues &assumed)
{
    const QString rootName = root.name.trimmed().isEmpty() ? configIdentifier(effectName) : root.name.trimmed();
    // New classes are named after the root class, an imported one's or the effect's.
    const QStringList classNames = layerClassNames(layers, rootName);

    // The particle and light classes, each name once: the first layer of a name writes it.
    QList<EffectClass> particleClasses;
    QList<EffectClass> lightClasses;
    QList<QStringList> particleLines;
    QList<QStringList> lightLines;
    QStringList sharedNotes;
    for (qsizetype i = 0; i < layers.size(); ++i) {
        const Layer &layer = layers.at(i);
        if (layer.classOnly)
            continue;
        EffectClass named = layer.fields.configClass;
        named.name = classNames.at(i);
        if (named.base.trimmed().isEmpty() && layer.fields.configClass.name.trimmed().isEmpty())
            named.base = layer.isLight() ? QString() : QLatin1String(kDefaultClassBase);
        QStringList lines =
            layer.isLight()
                ? lightClassLines(*layer.light, layer.offset, named, assumed)
                : configClassLines(layer.fields.texts, layer.fields.source, named, assumed).mid(1); // its own comment
        QList<EffectClass> &classes = layer.isLight() ? lightClasses : particleClasses;
        QList<QStringList> &written = layer.isLight() ? lightLines : particleLines;
        const auto same = std::find_if(classes.cbegin(), classes.cend(),
                                       [&named](const EffectClass &c) { return sameName(c.name, named.name); });
        if (same != classes.cend()) {
            if (written.at(same - classes.cbegin()) != lines)
                sharedNotes << QStringLiteral("// %1 names the class %2 as another layer does before it: the class is "
                                              "written once, as that layer gives it.")
                                   .arg(layer.name(), named.name);
            continue;
        }
        classes << named;
        written << lines;
    }

    QStringList lines;
    lines << QStringLiteral(
                 "// The complex effect %1, for a mod's config.cpp. The classes in CfgCloudlets and CfgLights "
                 "go into those classes of the config, merged with them where it has them; the class %1 "
                 "goes at the config's root, outside every Cfg... class.")
                 .arg(rootName)
          << QStringLiteral("// No script command plays a complex effect (setParticleClass takes only a CfgCloudlets "
                            "class): an engine field names it, such as explosionEffects = \"%1\"; or effectsSmoke = "
                            "\"%1\"; in an ammunition's class, effect = \"%1\"; in a class of a vehicle's Exhausts, "
                            "effectName = \"%1\"; in a class of a weapon's GunParticles, or particleEffects = \"%1\"; "
                            "in a cloudlet's class.")
                 .arg(rootName);
    for (const Layer &layer : layers) {
        if (layer.isLight() && layer.light->flicker.kind != LightFlicker::None)
            lines << QStringLiteral("// The flicker of %1 has no config form: its class is written steady.")
                         .arg(layer.name());
        const auto start = sqf::plainNumber(layer.start.trimmed());
        if (!start || *start != 0)
            lines << QStringLiteral("// %1 starts at %2 s, which has no config form: its part starts with the effect.")
                         .arg(layer.name(), layer.start.trimmed());
    }
    lines << sharedNotes;

    for (const sqf::ConfigNode &node : keptIn(root, QString()))
        lines << nodeLines(node);
    const QList<sqf::ConfigNode> keptCloudlets = keptIn(root, QStringLiteral("CfgCloudlets"));
    if (!particleClasses.isEmpty() || !keptCloudlets.isEmpty())
        lines << wrapperLines(QStringLiteral("CfgCloudlets"), declaredBases(particleClasses, keptCloudlets),
                              keptCloudlets, particleLines);
    const QList<sqf::ConfigNode> keptLights = keptIn(root, QStringLiteral("CfgLights"));
    if (!lightClasses.isEmpty() || !keptLights.isEmpty())
        // No light is written inheriting from Default.
        lines << wrapperLines(QStringLiteral("CfgLights"), declaredBases(lightClasses, keptLights).mid(1), keptLights,
                              lightLines);

    lines << classHeader(rootName, root.base.trimmed());
    for (const sqf::ConfigEntry &entry : root.entries)
        lines << entryLine(entry);
    QList<ConfigPart> parts;
    for (const Layer &layer : layers)
        parts << layer.part.value_or(ConfigPart{});
    // The sub-classes' names: a part keeps its own, unless a part before it has it (pasted from
    // another effect); a new one takes its layer's.
    QStringList partNames;
    for (const Layer &layer : layers)
        if (layer.part && !partNames.contains(layer.part->name, Qt::CaseInsensitive))
            partNames << layer.part->name;
    QStringList written;
    for (qsizetype i = 0; i < layers.size(); ++i) {
        const Layer &layer = layers.at(i);
        const QString className = layer.classOnly ? particleClassOf(layer) : classNames.at(i);
        if (layer.part) {
            QString name = layer.part->name;
            if (written.contains(name, Qt::CaseInsensitive)) {
                name = uniqueName(partNames, name);
                partNames << name;
                lines << QStringLiteral("    // %1: another part is named %2 before it.").arg(name, layer.part->name);
            }
            written << name;
            lines << indented(classHeader(name, layer.part->base));
            for (const QString &line : partLines(layer, parts, i, className, assumed))
                lines << indented(line);
        } else if (className.isEmpty()) {
            lines << QStringLiteral("    // %1 names no class to play: left out.").arg(layer.name());
            continue;
        } else {
            const QString name = uniqueName(partNames, configIdentifier(stem(layer.name())));
            partNames << name;
            written << name;
            lines << indented(classHeader(name, {}));
            for (const QString &line : newPartLines(layer, className, assumed))
                lines << indented(line);
        }
        lines << QStringLiteral("    };");
    }
    lines << QStringLiteral("};");
    return lines;
}

} // namespace exporter
