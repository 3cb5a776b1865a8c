#include "configeffect.h"

#include "classimport.h"
#include "drop/dropstring.h"
#include "export/configeffect.h"
#include "sqf/values.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace import {
namespace {

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool isWrapper(const sqf::ConfigNode &node)
{
    return node.name.startsWith(QLatin1String("Cfg"), Qt::CaseInsensitive);
}

// A class at the config's root whose sub-classes link parts.
bool isRoot(const sqf::ConfigNode &node)
{
    return !isWrapper(node) && std::any_of(node.classes.cbegin(), node.classes.cend(), [](const sqf::ConfigNode &c) {
        return std::any_of(c.entries.cbegin(), c.entries.cend(),
                           [](const sqf::ConfigEntry &e) { return sameName(e.name, QLatin1String("simulation")); });
    });
}

sqf::ConfigClass classOf(const sqf::ConfigNode &node)
{
    sqf::ConfigClass read{node.name, node.base, node.entries, {}};
    for (const sqf::ConfigNode &inner : node.classes)
        read.nestedClasses << inner.name;
    return read;
}

// A value a light holds as it stands: a number as written, with an exponent or not (1e4).
std::optional<QString> numberText(const QString &value)
{
    static const QRegularExpression exponent(QStringLiteral("^-?[0-9]+(\\.[0-9]*)?[eE][-+]?[0-9]+$"));
    const QString trimmed = value.trimmed();
    bool finite = false;
    const double number = trimmed.toDouble(&finite);
    finite = finite && std::isfinite(number);
    return sqf::plainNumber(trimmed) || (finite && exponent.match(trimmed).hasMatch()) ? std::optional<QString>(trimmed)
                                                                                       : std::nullopt;
}

std::optional<std::array<QString, 3>> threeNumbers(const QString &value)
{
    const auto elements = sqf::braceElements(value);
    if (!elements || elements->size() != 3)
        return std::nullopt;
    std::array<QString, 3> texts;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const auto number = numberText(elements->at(qsizetype(i)));
        if (!number)
            return std::nullopt;
        texts[i] = *number;
    }
    return texts;
}

// A switch as the script writes it: true for a number other than 0, or the word.
std::optional<QString> switchText(const QString &value)
{
    const QString trimmed = value.trimmed();
    if (trimmed.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("true");
    if (trimmed.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("false");
    const auto number = sqf::plainNumber(trimmed);
    if (!number)
        return std::nullopt;
    return *number != 0 ? QStringLiteral("true") : QStringLiteral("false");
}

// The fields of one class, the last of a name (letter case aside) counting, with those never
// looked up left over.
class Fields {
public:
    // The entries from `own` on are the class's own; those before them it inherits.
    explicit Fields(const QList<sqf::ConfigEntry> &entries, qsizetype own = 0)
        : m_entries(entries)
        , m_taken(entries.size(), false)
        , m_own(own)
    {}

    const sqf::ConfigEntry *take(const QString &name)
    {
        const sqf::ConfigEntry *found = nullptr;
        for (qsizetype i = 0; i < m_entries.size(); ++i)
            if (sameName(m_entries.at(i).name, name)) {
                found = &m_entries.at(i);
                m_taken[i] = true;
            }
        return found;
    }

    // The class's own entries that were never looked up.
    QList<sqf::ConfigEntry> untaken() const
    {
        QList<sqf::ConfigEntry> entries;
        for (qsizetype i = m_own; i < m_entries.size(); ++i)
            if (!m_taken.at(i))
                entries << m_entries.at(i);
        return entries;
    }

private:
    QList<sqf::ConfigEntry> m_entries;
    QList<bool> m_taken;
    qsizetype m_own = 0;
};

// A class of the text that a part may name, and the Cfg... class it stands in (empty: the root).
struct Candidate {
    const sqf::ConfigNode *node = nullptr;
    QString wrapper;
    bool used = false;
};

// The class a part's type names: in the wrapper of its kind first, then at the config's root.
Candidate *findClass(QList<Candidate> &candidates, const QString &wrapper, const QString &type)
{
    for (const QString &in : {wrapper, QString()})
        for (Candidate &candidate : candidates)
            if (sameName(candidate.wrapper, in) && sameName(candidate.node->name, type))
                return &candidate;
    return nullptr;
}

// The classes a class inherits from in the text, nearest first: its base, and the base's, where
// the text defines them in its Cfg... class or at the config's root.
QList<sqf::ConfigNode> basesInText(const Candidate &of, const QList<Candidate> &candidates)
{
    QList<sqf::ConfigNode> bases;
    QList<const sqf::ConfigNode *> seen{of.node};
    for (const sqf::ConfigNode *at = of.node; !at->base.isEmpty();) {
        const sqf::ConfigNode *found = nullptr;
        for (const QString &in : {of.wrapper, QString()})
            for (const Candidate &candidate : candidates)
                if (!found && sameName(candidate.wrapper, in) && sameName(candidate.node->name, at->base)
                    && !seen.contains(candidate.node))
                    found = candidate.node;
        if (!found)
            break;
        seen << found;
        bases << *found;
        at = found;
    }
    return bases;
}

// The entries of the bases, farthest first, then the class's own.
QList<sqf::ConfigEntry> withInherited(const sqf::ConfigNode &node, const QList<sqf::ConfigNode> &bases)
{
    QList<sqf::ConfigEntry> entries;
    for (auto base = bases.crbegin(); base != bases.crend(); ++base)
        entries << base->entries;
    return entries << node.entries;
}

QString inheritedNote(const QList<sqf::ConfigNode> &bases, const QStringList &fields)
{
    QStringList names;
    for (const sqf::ConfigNode &base : bases)
        names << base.name;
    return QStringLiteral("Inherited from %1 in the text, previewed and left out of the copy until edited: %2.")
        .arg(names.join(QStringLiteral(", ")), fields.join(QStringLiteral(", ")));
}

// A cloudlet class as importConfigClass reads it, previewed with the fields it inherits from its
// bases in the text, which are marked to stay out of its copy.
ImportedClass importCloudlet(const sqf::ConfigNode &node, const QList<sqf::ConfigNode> &bases)
{
    if (bases.isEmpty())
        return importConfigClass(classOf(node));
    sqf::ConfigClass read = classOf(node);
    read.entries = withInherited(node, bases);
    read.base = bases.back().base;
    ImportedClass imported = importConfigClass(read);
    imported.configClass.base = node.base;
    const auto own = [&node](const QString &field) {
        return std::any_of(node.entries.cbegin(), node.entries.cend(),
                           [&field](const sqf::ConfigEntry &entry) { return sameName(entry.name, field); });
    };
    QStringList inherited;
    QList<effect::ConfigFieldMark> &marks = imported.configClass.marks;
    for (const exporter::ClassLine &line : exporter::configClassFields(imported.fields, imported.settings)) {
        if (line.field.isEmpty() || own(line.field))
            continue;
        const bool written =
            std::any_of(read.entries.cbegin(), read.entries.cend(),
                        [&line](const sqf::ConfigEntry &entry) { return sameName(entry.name, line.field); });
        if (!written)
            continue;
        inherited << line.field;
        marks.erase(std::remove_if(marks.begin(), marks.end(),
                                   [&line](const effect::ConfigFieldMark &mark) { return mark.field == line.field; }),
                    marks.end());
        marks << effect::ConfigFieldMark{line.field, QString(), exporter::fieldAsGiven(line), false};
    }
    QList<sqf::ConfigEntry> &configOnly = imported.configClass.configOnly;
    configOnly.erase(std::remove_if(configOnly.begin(), configOnly.end(),
                                    [&node](const sqf::ConfigEntry &entry) { return !node.entries.contains(entry); }),
                     configOnly.end());
    // The note on them names the class's own alone.
    const QString ownNote = configOnlyNote(configOnly);
    for (QString &note : imported.notes)
        if (note.startsWith(QLatin1String("Config-only fields")))
            note = ownNote;
    imported.notes.removeAll(QString());
    if (!inherited.isEmpty())
        imported.notes << inheritedNote(bases, inherited);
    return imported;
}

// What the preview makes of a sub-class's position[], lifeTime and enabled where they are not
// numbers: a memory point of the model, an engine expression.
void notePlacing(const QList<sqf::ConfigEntry> &entries, const exporter::PartValues &values, const QString &said,
                 QStringList &notes)
{
    const auto last = [&entries](const char *name) -> const sqf::ConfigEntry * {
        const sqf::ConfigEntry *found = nullptr;
        for (const sqf::ConfigEntry &entry : entries)
            if (sameName(entry.name, QLatin1String(name)))
                found = &entry;
        return found;
    };
    const sqf::ConfigEntry *position = last("position");
    const auto elements = position ? sqf::braceElements(position->value) : std::nullopt;
    const bool numbers = elements && elements->size() == 3
                         && std::all_of(elements->cbegin(), elements->cend(),
                                        [](const QString &e) { return sqf::plainNumber(e).has_value(); });
    if (position && !elements)
        notes << said
                     + QStringLiteral("its position (%1) is a point of the model it is given to: the preview plays it "
                                      "at the anchor.")
                           .arg(position->value);
    else if (position && !numbers)
        notes << said
                     + QStringLiteral("its position (%1) is not three numbers: the preview plays it at the anchor.")
                           .arg(position->value);
    const sqf::ConfigEntry *lifeTime = last("lifeTime");
    if (lifeTime && values.end.isEmpty())
        notes << said
                     + QStringLiteral("its lifeTime (%1) is no number: the preview plays it to the effect's end.")
                           .arg(lifeTime->value);
    const sqf::ConfigEntry *enabled = last("enabled");
    if (enabled && !sqf::plainNumber(enabled->value.trimmed()))
        notes << said
                     + QStringLiteral("enabled (%1) is worked out by the game as it plays: the preview plays the part.")
                           .arg(enabled->value);
}

} // namespace

ImportedLight importLightClass(const sqf::ConfigNode &node, const std::array<QString, 3> &offset,
                               const QList<sqf::ConfigNode> &bases)
{
    ImportedLight imported;
    effect::LightSettings &light = imported.settings;
    imported.configClass.name = node.name;
    imported.configClass.base = node.base;
    const QList<sqf::ConfigEntry> entries = withInherited(node, bases);
    Fields fields(entries, entries.size() - node.entries.size());
    QStringList missing;
    QStringList kept;
    const auto keptAsWritten = [&kept](const sqf::ConfigEntry *entry) {
        kept << QStringLiteral("%1 (%2%3)")
                    .arg(entry->name, entry->appends ? QStringLiteral("+= ") : QString(), entry->value);
    };
    const auto colour = [&](const char *name, effect::LightColour &into) {
        const sqf::ConfigEntry *entry = fields.take(QLatin1String(name));
        if (!entry) {
            missing << QLatin1String(name);
        } else if (const auto texts = threeNumbers(entry->value); texts && !entry->appends) {
            into = {true, *texts};
        } else {
            keptAsWritten(entry);
        }
    };
    const auto value = [&](const char *name, effect::LightValue &into, bool isSwitch) {
        const sqf::ConfigEntry *entry = fields.take(QLatin1String(name));
        if (!entry) {
            missing << QLatin1String(name);
        } else if (const auto text = isSwitch ? switchText(entry->value) : numberText(entry->value)) {
            into = {true, *text};
        } else {
            keptAsWritten(entry);
        }
    };
    colour("color", light.colour);
    colour("ambient", light.ambient);
    value("intensity", light.intensity, false);
    // Deprecated beside the intensity: not missed where the class has none.
    if (fields.take(QStringLiteral("brightness")))
        value("brightness", light.brightness, false);
    // The config takes the brightness only where it has no intensity.
    light.brightnessFirst = true;
    value("dayLight", light.dayLight, true);
    value("useFlare", light.useFlare, true);
    value("flareSize", light.flareSize, false);
    value("flareMaxDistance", light.flareMaxDistance, false);
    fields.take(QStringLiteral("diffuse"));
    fields.take(QStringLiteral("position"));

    const auto attenuationOf = [](const sqf::ConfigNode &light) -> const sqf::ConfigNode * {
        const auto found = std::find_if(light.classes.cbegin(), light.classes.cend(), [](const sqf::ConfigNode &c) {
            return sameName(c.name, QLatin1String("Attenuation"));
        });
        return found == light.classes.cend() ? nullptr : &*found;
    };
    // Its own Attenuation, or the one its nearest base in the text has.
    const sqf::ConfigNode *ownAttenuation = attenuationOf(node);
    const sqf::ConfigNode *attenuationNode = ownAttenuation;
    for (qsizetype i = 0; !attenuationNode && i < bases.size(); ++i)
        attenuationNode = attenuationOf(bases.at(i));
    QStringList leftOut;
    std::optional<Fields> attenuation;
    const QStringList names = exporter::lightConfigFieldNames();
    const QString prefix = QLatin1String(exporter::kAttenuationPrefix);
    if (attenuationNode) {
        attenuation.emplace(attenuationNode->entries);
        light.attenuation.set = true;
        for (std::size_t i = 0; i < light.attenuation.texts.size(); ++i) {
            const QString field = names.at(names.size() - 6 + qsizetype(i)).mid(prefix.size());
            const sqf::ConfigEntry *entry = attenuation->take(field);
            const auto text = entry ? numberText(entry->value) : std::nullopt;
            light.attenuation.texts[i] = text.value_or(QStringLiteral("0"));
            if (!entry)
                missing << prefix + field;
            else if (!text)
                keptAsWritten(entry);
        }
        if (attenuationNode == ownAttenuation) {
            for (const sqf::ConfigEntry &entry : attenuation->untaken())
                leftOut << QStringLiteral("Attenuation's %1").arg(entry.name);
            for (const sqf::ConfigNode &inner : attenuationNode->classes)
                leftOut << QStringLiteral("the class %1 in Attenuation").arg(inner.name);
        }
    } else {
        missing << QStringLiteral("Attenuation");
    }
    for (const sqf::ConfigNode &inner : node.classes)
        if (&inner != ownAttenuation)
            leftOut << QStringLiteral("the class %1").arg(inner.name);

    // Every field is marked: written back as the class wrote it, or left out where it did not,
    // while the light gives it as it did at the import.
    const QList<exporter::ClassLine> given = exporter::lightConfigFields(light, offset);
    Fields written(node.entries);
    std::optional<Fields> writtenAttenuation;
    if (ownAttenuation)
        writtenAttenuation.emplace(ownAttenuation->entries);
    for (const QString &field : names) {
        const bool inAttenuation = field.startsWith(prefix);
        const sqf::ConfigEntry *entry =
            inAttenuation ? (writtenAttenuation ? writtenAttenuation->take(field.mid(prefix.size())) : nullptr)
                          : written.take(field);
        const auto line = std::find_if(given.cbegin(), given.cend(),
                                       [&field](const exporter::ClassLine &l) { return l.field == field; });
        if (!entry && line == given.cend())
            continue;
        imported.configClass.marks << effect::ConfigFieldMark{
            field, entry ? entry->value : QString(), line == given.cend() ? QString() : exporter::fieldAsGiven(*line),
            entry && entry->appends};
    }
    imported.configClass.configOnly = fields.untaken();

    QStringList &notes = imported.notes;
    const QString lastBase = bases.isEmpty() ? node.base : bases.back().base;
    if (!missing.isEmpty())
        notes << QStringLiteral("Not in the light's class, inherited from %1, whose values are not known here: %2 (the "
                                "preview assumes them; the class is copied without them until they are edited).")
                     .arg(lastBase.isEmpty() ? QStringLiteral("the game's defaults") : lastBase,
                          missing.join(QStringLiteral(", ")));
    QStringList inherited;
    for (const effect::ConfigFieldMark &mark : imported.configClass.marks) {
        const bool inBase = std::any_of(bases.cbegin(), bases.cend(), [&](const sqf::ConfigNode &base) {
            if (mark.field.startsWith(prefix)) {
                const sqf::ConfigNode *baseAttenuation = attenuationOf(base);
                return !ownAttenuation && baseAttenuation
                       && Fields(baseAttenuation->entries).take(mark.field.mid(prefix.size()));
            }
            return Fields(base.entries).take(mark.field) != nullptr;
        });
        if (mark.written.isEmpty() && inBase)
            inherited << mark.field;
    }
    if (!inherited.isEmpty())
        notes << inheritedNote(bases, inherited);
    if (!kept.isEmpty())
        notes << QStringLiteral("Written in a form the light does not hold, previewed as if not set and copied back "
                                "as written until edited: %1.")
                     .arg(kept.join(QStringLiteral(", ")));
    if (const QString note = configOnlyNote(imported.configClass.configOnly); !note.isEmpty())
        notes << note;
    if (!leftOut.isEmpty())
        notes << QStringLiteral("Not read, and left out when copied: %1.").arg(leftOut.join(QStringLiteral(", ")));
    return imported;
}

ConfigEffectOutcome parseConfigEffect(const QString &pasted)
{
    ConfigEffectOutcome outcome;
    const sqf::ConfigTree tree = sqf::readConfigTree(pasted);
    if (!tree.problem.isEmpty())
        return outcome;
    QList<Candidate> candidates;
    QList<const sqf::ConfigNode *> roots;
    QStringList otherWrappers;
    for (const sqf::ConfigNode &node : tree.classes) {
        if (sameName(node.name, QLatin1String("CfgCloudlets")) || sameName(node.name, QLatin1String("CfgLights"))) {
            for (const sqf::ConfigNode &inner : node.classes)
                candidates << Candidate{&inner, node.name};
        } else if (isWrapper(node)) {
            otherWrappers << node.name;
        } else if (isRoot(node)) {
            roots << &node;
        } else {
            candidates << Candidate{&node, QString()};
        }
    }
    if (roots.isEmpty())
        return outcome;
    outcome.isEffect = true;
    const sqf::ConfigNode &root = *roots.front();
    QStringList &notes = outcome.notes;
    if (roots.size() > 1) {
        QStringList others;
        for (qsizetype i = 1; i < roots.size(); ++i)
            others << roots.at(i)->name;
        notes << QStringLiteral("The text holds %1 complex effects: the first, %2, is imported, not %3.")
                     .arg(roots.size())
                     .arg(root.name, others.join(QStringLiteral(", ")));
    }
    outcome.root = {root.name, root.base, root.entries, {}};

    QList<effect::ConfigPart> parts;
    for (const sqf::ConfigNode &inner : root.classes)
        parts << effect::ConfigPart{inner.name, inner.base, inner.entries};
    QList<effect::Layer> layers;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const effect::ConfigPart &part = parts.at(i);
        const exporter::PartValues values = exporter::partValues(exporter::inheritedPartEntries(parts, i));
        // The layer's name is a script's variable, a macro call's parentheses left out.
        const QString name = effect::uniqueLayerName(layers, QLatin1Char('_') + exporter::configIdentifier(part.name));
        const QString said = part.name + QStringLiteral(": ");
        const bool particles = sameName(values.simulation, QLatin1String("particles"));
        const bool light = sameName(values.simulation, QLatin1String("light"));
        Candidate *found =
            particles || light ? findClass(
                candidates, particles ? QStringLiteral("CfgCloudlets") : QStringLiteral("CfgLights"), values.type)
                               : nullptr;
        effect::Layer layer;
        if (found && particles) {
            found->used = true;
            const ImportedClass imported = importCloudlet(*found->node, basesInText(*found, candidates));
            effect::SourceSettings settings = imported.settings;
            settings.name = name;
            layer = effect::layerOf({imported.fields, false, settings, imported.configClass});
            for (const QString &note : imported.notes)
                notes << said + note;
        } else if (found) {
            found->used = true;
            const ImportedLight imported =
                importLightClass(*found->node, values.offset, basesInText(*found, candidates));
            layer = effect::lightLayerOf(name, imported.settings);
            layer.fields.configClass = imported.configClass;
            for (const QString &note : imported.notes)
                notes << said + note;
        } else {
            layer = effect::layerOf(effect::startFields());
            layer.fields.source.name = name;
            layer.classOnly = true;
            if (particles && !values.type.isEmpty())
                layer.fields.source.otherCommands
                    << QStringLiteral("setParticleClass ") + sqf::doubleQuoted(values.type);
            if (values.simulation.isEmpty())
                notes << said
                             + QStringLiteral("it names no simulation, as the class it inherits from may: kept and "
                                              "copied back as it was, not played.");
            else if (particles || light)
                notes << said
                             + (values.type.isEmpty() ? QStringLiteral("it names no class")
                                                      : QStringLiteral("%1 is not in the pasted text").arg(values.type))
                             + QStringLiteral(": kept and copied back as it was, not played.");
            else
                notes << said
                             + QStringLiteral("a part of the simulation %1, kept and copied back as it was, not "
                                              "played.")
                                   .arg(values.simulation);
        }
        notePlacing(exporter::inheritedPartEntries(parts, i), values, said, notes);
        layer.offset = values.offset;
        layer.end = values.end;
        layer.muted = values.muted;
        layer.part = part;
        layers << layer;
    }
    QStringList unplayed;
    static const QStringList played{"simulation", "type", "position", "lifeTime", "enabled"};
    for (const effect::ConfigPart &part : parts)
        for (const sqf::ConfigEntry &entry : part.entries)
            if (!played.contains(entry.name, Qt::CaseInsensitive)
                && !unplayed.contains(entry.name, Qt::CaseInsensitive))
                unplayed << entry.name;
    if (!unplayed.isEmpty())
        notes << QStringLiteral("The parts' %1 are kept and copied back as written; the preview does not play them.")
                     .arg(unplayed.join(QStringLiteral(", ")));
    for (const Candidate &candidate : candidates)
        if (!candidate.used)
            outcome.root.kept << effect::KeptConfigClass{candidate.wrapper, *candidate.node};
    if (!otherWrappers.isEmpty())
        notes << QStringLiteral("Not part of the effect, left out: class %1.")
                     .arg(otherWrappers.join(QStringLiteral(", class ")));
    if (std::all_of(layers.cbegin(), layers.cend(), [](const effect::Layer &l) { return l.isLight(); }))
        notes << QStringLiteral("The effect has no particle part: the main window shows a new layer, which is "
                                "copied as a part of its own.");
    outcome.layers = layers;
    return outcome;
}

} // namespace import
