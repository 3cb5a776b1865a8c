#include "classimport.h"

#include "drop/dropstring.h"
#include "drop/fieldtable.h"
#include "export/configclass.h"
#include "sqf/configreader.h"
#include "sqf/values.h"

#include <algorithm>
#include <array>

namespace import {
namespace {

using effect::SourceCircle;
using effect::SourceRandom;
using namespace drop::field;

// The fields of the class, each taken at most once; what is never taken has no place here.
class ClassFields {
public:
    explicit ClassFields(const QList<sqf::ConfigEntry> &entries)
        : m_entries(entries)
        , m_taken(entries.size(), false)
    {}

    // The value of the field of that name, any letter case; the last one written counts.
    std::optional<QString> take(const char *name)
    {
        std::optional<QString> value = written(QLatin1String(name));
        for (qsizetype i = 0; i < m_entries.size(); ++i)
            if (m_entries.at(i).name.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
                m_taken[i] = true;
        if (!value)
            m_missing << QLatin1String(name);
        return value;
    }

    std::optional<QString> written(const QString &name) const
    {
        const sqf::ConfigEntry *entry = writtenEntry(name);
        return entry ? std::optional<QString>(entry->value) : std::nullopt;
    }

    // The field of that name as the class wrote it last, or nullptr.
    const sqf::ConfigEntry *writtenEntry(const QString &name) const
    {
        const sqf::ConfigEntry *written = nullptr;
        for (const sqf::ConfigEntry &entry : m_entries)
            if (entry.name.compare(name, Qt::CaseInsensitive) == 0)
                written = &entry;
        return written;
    }

    QList<sqf::ConfigEntry> untaken() const
    {
        QList<sqf::ConfigEntry> entries;
        for (qsizetype i = 0; i < m_entries.size(); ++i)
            if (!m_taken.at(i))
                entries << m_entries.at(i);
        return entries;
    }
    const QStringList &missing() const { return m_missing; }

private:
    QList<sqf::ConfigEntry> m_entries;
    QList<bool> m_taken;
    QStringList m_missing;
};

// A value as a field holds it: a string's text (an expression string is the expression), true and
// false as 1 and 0, anything else as written.
QString scalar(const QString &value)
{
    QString text = value.trimmed();
    if (const auto string = sqf::stringValue(text))
        return *string;
    if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("1");
    if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("0");
    return text;
}

// A value in braces as the script writes arrays, in brackets; other values as scalar() gives them.
QString bracketed(const QString &value)
{
    const auto elements = sqf::braceElements(value);
    if (!elements)
        return scalar(value);
    QStringList written;
    for (const QString &element : *elements)
        written << bracketed(element);
    return QLatin1Char('[') + written.join(QLatin1Char(',')) + QLatin1Char(']');
}

bool isNumber(const QString &text, double number)
{
    const auto value = sqf::plainNumber(text.trimmed());
    return value && *value == number;
}

// The elements of an array field; a value not in braces (a macro standing for the whole array)
// is one element as written.
QStringList elementsOf(const QString &value)
{
    return sqf::braceElements(value).value_or(QStringList{value.trimmed()});
}

// A vector in the config's axis order (x, height, y) into three fields in the script's (x, y,
// height); a vector not of three values goes whole into the first field.
void putVector(QStringList &fields, int first, const QString &value, QStringList &notes, const char *name)
{
    const QStringList elements = elementsOf(value);
    if (elements.size() != 3) {
        fields[first - 1] = scalar(value);
        fields[first] = QString();
        fields[first + 1] = QString();
        notes << QStringLiteral("%1 (%2) is not three values: it is kept whole.").arg(QLatin1String(name), value);
        return;
    }
    fields[first - 1] = scalar(elements.at(0));
    fields[first] = scalar(elements.at(2));
    fields[first + 1] = scalar(elements.at(1));
}

// A key list (size, animationSpeed) into its three fields: one key alone, two as first and last,
// more with the middle ones joined in the middle field.
void putKeys(QStringList &fields, int first, const QString &value)
{
    QStringList keys;
    for (const QString &key : elementsOf(value))
        keys << scalar(key);
    if (keys.isEmpty())
        keys << QStringLiteral("0");
    fields[first - 1] = keys.front();
    fields[first] = keys.size() > 2 ? keys.mid(1, keys.size() - 2).join(QLatin1Char(',')) : QString();
    fields[first + 1] = keys.size() > 1 ? keys.back() : QString();
}

bool isNumberValue(const QString &text)
{
    const QString trimmed = text.trimmed();
    return sqf::plainNumber(trimmed) || trimmed.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0
           || trimmed.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0;
}

// An unquoted word, which a config reads as the text it is.
bool isWord(const QString &text)
{
    return !text.isEmpty()
           && std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.isLetterOrNumber() || c == u'_'; });
}

// A value in braces of numbers alone: `count` of them, or any number of them from one when 0.
bool isNumbers(const QString &value, qsizetype count = 0)
{
    const auto elements = sqf::braceElements(value);
    return elements && !elements->isEmpty() && (count == 0 || elements->size() == count)
           && std::all_of(elements->cbegin(), elements->cend(), isNumberValue);
}

// Whether the fields hold the value of a config field as the class wrote it, to be written back
// from them: a number, a text, numbers in braces. Anything else (a string standing for an
// expression, a macro, arithmetic, a list of the wrong length) is kept as written.
bool fieldsHold(const QString &field, const QString &value)
{
    const QString trimmed = value.trimmed();
    static const QStringList texts{"particleShape", "animationName", "particleType", "onTimerScript",
                                   "beforeDestroyScript"};
    static const QStringList vectors{"position", "moveVelocity", "circleVelocity", "positionVar", "moveVelocityVar"};
    if (texts.contains(field))
        return sqf::stringValue(trimmed).has_value() || isWord(trimmed);
    if (vectors.contains(field))
        return isNumbers(trimmed, 3);
    if (field == QLatin1String("colorVar"))
        return isNumbers(trimmed, 4);
    if (field == QLatin1String("size") || field == QLatin1String("animationSpeed"))
        return isNumbers(trimmed);
    if (field == QLatin1String("color") || field == QLatin1String("emissiveColor")) {
        const auto colours = sqf::braceElements(trimmed);
        return colours && !colours->isEmpty()
               && std::all_of(colours->cbegin(), colours->cend(), [](const QString &c) { return isNumbers(c); });
    }
    return isNumberValue(trimmed);
}

} // namespace

ClassOutcome parseConfigClass(const QString &pasted)
{
    ClassOutcome outcome;
    const sqf::ConfigReading reading = sqf::readConfigClasses(pasted);
    if (!reading.problem.isEmpty()) {
        outcome.problem = QStringLiteral("The class cannot be read: %1.").arg(reading.problem);
        return outcome;
    }
    const sqf::ConfigClass &read = reading.classes.front();
    outcome.imported = importConfigClass(read);
    if (reading.classes.size() > 1)
        outcome.imported->notes.prepend(QStringLiteral("The text holds %1 classes: the first, %2, is imported.")
                                            .arg(reading.classes.size())
                                            .arg(read.name));
    return outcome;
}

ImportedClass importConfigClass(const sqf::ConfigClass &read)
{
    ImportedClass imported;
    imported.configClass.name = read.name;
    imported.configClass.base = read.base;
    QStringList &notes = imported.notes;
    ClassFields fields(read.entries);
    QStringList &texts = imported.fields;
    texts = drop::startTexts();
    const auto put = [&](int number, const char *name, const QString &standIn = QString()) {
        if (const auto value = fields.take(name))
            texts[number - 1] = scalar(*value);
        else if (!standIn.isEmpty())
            texts[number - 1] = standIn;
    };

    // The shape: a plain name while the frames are the whole texture (1, 0, 1, 1), unless the name
    // starts with a bracket, which the field would read as a shape array.
    const QString shape = scalar(fields.take("particleShape").value_or(QString()));
    std::array<QString, 4> frames{QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("1")};
    const char *frameNames[] = {"particleFSNtieth", "particleFSIndex", "particleFSFrameCount", "particleFSLoop"};
    bool sheet = false;
    for (std::size_t i = 0; i < frames.size(); ++i)
        if (const auto value = fields.take(frameNames[i])) {
            sheet = sheet || !isNumber(scalar(*value), frames[i].toDouble());
            frames[i] = scalar(*value);
        }
    sheet = sheet || shape.trimmed().startsWith(QLatin1Char('['));
    texts[kShape - 1] = sheet ? QStringLiteral("[%1,%2,%3,%4,%5]")
                                    .arg(sqf::doubleQuoted(shape), frames[0], frames[1], frames[2], frames[3])
                              : shape;
    put(kAnimationName, "animationName");
    put(kType, "particleType");
    put(kTimePeriod, "timerPeriod");
    put(kLifeTime, "lifeTime", QStringLiteral("1"));
    if (const auto value = fields.take("position"))
        putVector(texts, kPosition, *value, notes, "position");
    if (const auto value = fields.take("moveVelocity"))
        putVector(texts, kVelocity, *value, notes, "moveVelocity");
    put(kRotation, "rotationVelocity");
    put(kWeight, "weight", QStringLiteral("1.275"));
    put(kVolume, "volume", QStringLiteral("1"));
    put(kRubbing, "rubbing");
    putKeys(texts, kSize, fields.take("size").value_or(QStringLiteral("{1}")));
    if (const auto value = fields.take("color")) {
        QStringList colours;
        for (const QString &colour : elementsOf(*value))
            colours << bracketed(colour);
        texts[kColour - 1] = colours.join(QLatin1Char(','));
    } else {
        texts[kColour - 1] = QStringLiteral("[1,1,1,1]");
    }
    if (const auto value = fields.take("animationSpeed"))
        putKeys(texts, kPhase, *value);
    put(kPeriod, "randomDirectionPeriod");
    put(kIntensity, "randomDirectionIntensity");
    put(kOnTimer, "onTimerScript");
    put(kBeforeDestroy, "beforeDestroyScript");

    // The later elements after the object, which a class does not have: up to the last one that
    // differs from the game's default.
    const std::array<QString, 4> defaults{QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("-1"),
                                          QStringLiteral("[[0,0,0,0]]")};
    std::array<QString, 4> later = defaults;
    const char *laterNames[] = {"angle", "onSurface", "bounceOnSurface", "emissiveColor"};
    qsizetype lastSet = -1;
    for (std::size_t i = 0; i < later.size(); ++i)
        if (const auto value = fields.take(laterNames[i])) {
            later[i] = i == 3 ? bracketed(*value) : scalar(*value);
            const bool isDefault = i == 3 ? later[i] == defaults[i] : isNumber(later[i], defaults[i].toDouble());
            if (!isDefault)
                lastSet = qsizetype(i);
        }
    if (lastSet >= 0)
        texts[kObject - 1] = QStringLiteral("\"\", ")
                             + QStringList(later.begin(), later.begin() + lastSet + 1).join(QStringLiteral(", "));

    effect::SourceSettings &source = imported.settings;
    if (const auto value = fields.take("interval"))
        source.interval = {true, scalar(*value)};
    const auto radius = fields.take("circleRadius");
    const auto circleVelocity = fields.take("circleVelocity");
    if (radius)
        source.circle.texts[SourceCircle::Radius] = scalar(*radius);
    if (circleVelocity) {
        QStringList vector = drop::startTexts().mid(0, 3);
        putVector(vector, 1, *circleVelocity, notes, "circleVelocity");
        for (int i = 0; i < 3; ++i)
            source.circle.texts[std::size_t(SourceCircle::VelocityX) + std::size_t(i)] = vector.at(i);
    }
    source.circle.set = std::any_of(source.circle.texts.begin(), source.circle.texts.end(),
                                    [](const QString &text) { return !isNumber(text, 0); });

    const auto spread = [&](int value, const char *name) {
        if (const auto text = fields.take(name))
            source.random.texts[std::size_t(value)] = scalar(*text);
    };
    const auto spreadVector = [&](int first, const char *name) {
        if (const auto value = fields.take(name)) {
            QStringList vector{QString(), QString(), QString()};
            putVector(vector, 1, *value, notes, name);
            for (int i = 0; i < 3; ++i)
                source.random.texts[std::size_t(first) + std::size_t(i)] = vector.at(i);
        }
    };
    spread(SourceRandom::LifeTime, "lifeTimeVar");
    spreadVector(SourceRandom::PositionX, "positionVar");
    spreadVector(SourceRandom::VelocityX, "moveVelocityVar");
    spread(SourceRandom::RotationVelocity, "rotationVelocityVar");
    spread(SourceRandom::Size, "sizeVar");
    if (const auto value = fields.take("colorVar")) {
        const QStringList channels = elementsOf(*value);
        for (int c = 0; c < 4; ++c)
            source.random.texts[std::size_t(SourceRandom::ColorR) + std::size_t(c)] =
                channels.size() == 4 ? scalar(channels.at(c)) : (c == 0 ? scalar(*value) : QString());
    }
    spread(SourceRandom::DirPeriod, "randomDirectionPeriodVar");
    spread(SourceRandom::DirIntensity, "randomDirectionIntensityVar");
    spread(SourceRandom::Angle, "angleVar");
    spread(SourceRandom::BounceOnSurface, "bounceOnSurfaceVar");
    const auto &spreads = source.random.texts;
    source.random.set =
        std::any_of(spreads.begin(), spreads.end(), [](const QString &text) { return !isNumber(text, 0); });
    source.random.elements = !isNumber(spreads[SourceRandom::BounceOnSurface], 0) ? 10
                             : !isNumber(spreads[SourceRandom::Angle], 0)         ? 9
                                                                                  : 8;

    // What Copy Config Class writes back as the class wrote it, or leaves out, while unedited.
    QStringList kept;
    for (const exporter::ClassLine &line : exporter::configClassFields(texts, source)) {
        if (line.field.isEmpty())
            continue;
        // A field given with "+=" adds to what the base gives, which the fields cannot show.
        const sqf::ConfigEntry *written = fields.writtenEntry(line.field);
        if (!written || written->appends || !fieldsHold(line.field, written->value)) {
            imported.configClass.marks << effect::ConfigFieldMark{line.field, written ? written->value : QString(),
                                                                  exporter::fieldAsGiven(line),
                                                                  written && written->appends};
            if (written)
                kept << QStringLiteral("%1 (%2%3)")
                            .arg(line.field, written->appends ? QStringLiteral("+= ") : QString(), written->value);
        }
    }
    imported.configClass.configOnly = fields.untaken();

    const QStringList inherited = fields.missing();
    if (!inherited.isEmpty())
        notes << QStringLiteral("Not in the class, inherited from %1, whose values are not known here: %2 (the "
                                "preview shows stand-ins; the class is copied without them until they are "
                                "edited).")
                     .arg(read.base.isEmpty() ? QStringLiteral("the game's defaults") : read.base,
                          inherited.join(QStringLiteral(", ")));
    if (!kept.isEmpty())
        notes << QStringLiteral("Written in a form the fields do not hold, previewed with worked-out or assumed "
                                "values and copied back as written until edited: %1.")
                     .arg(kept.join(QStringLiteral(", ")));
    if (!read.nestedClasses.isEmpty())
        notes << QStringLiteral("Classes inside %1 are not read, and Copy Config Class leaves them out: %2.")
                     .arg(read.name, read.nestedClasses.join(QStringLiteral(", ")));
    if (const QString note = configOnlyNote(imported.configClass.configOnly); !note.isEmpty())
        notes << note;
    return imported;
}

QString configOnlyNote(const QList<sqf::ConfigEntry> &configOnly)
{
    QStringList names;
    for (const sqf::ConfigEntry &entry : configOnly)
        names << entry.name;
    if (names.isEmpty())
        return {};
    return QStringLiteral("Config-only fields, not previewed, kept and copied back as written: %1.")
        .arg(names.join(QStringLiteral(", ")));
}

} // namespace import
