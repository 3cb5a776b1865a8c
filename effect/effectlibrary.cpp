#include "effectlibrary.h"

#include "drop/dropstring.h"
#include "drop/fieldtable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <array>
#include <cmath>
#include <variant>

namespace effect {
namespace {

const QString kFormatKey = QStringLiteral("format");
const QString kFormatName = QStringLiteral("Plumewright effects");
const QString kVersionKey = QStringLiteral("version");
const QString kEffectsKey = QStringLiteral("effects");
const QString kNameKey = QStringLiteral("name");
const QString kSavedKey = QStringLiteral("saved");
const QString kFieldsKey = QStringLiteral("fields");
const QString kCheckKey = QStringLiteral("Check1");
const QString kSourceKey = QStringLiteral("source");
const QString kSourceNameKey = QStringLiteral("name");
const QString kRandomKey = QStringLiteral("setParticleRandom");
const QString kCircleKey = QStringLiteral("setParticleCircle");
const QString kIntervalKey = QStringLiteral("setDropInterval");
const QString kOtherKey = QStringLiteral("otherCommands");
const QString kSetKey = QStringLiteral("set");
const QString kElementsKey = QStringLiteral("elements");
const QString kValuesKey = QStringLiteral("values");
const QString kValueKey = QStringLiteral("value");
const QString kClassKey = QStringLiteral("configClass");
const QString kClassNameKey = QStringLiteral("name");
const QString kClassBaseKey = QStringLiteral("base");
const QString kMarksKey = QStringLiteral("marks");
const QString kMarkFieldKey = QStringLiteral("field");
const QString kMarkWrittenKey = QStringLiteral("written");
const QString kMarkImportedKey = QStringLiteral("importedAs");
const QString kConfigOnlyKey = QStringLiteral("configOnly");
const QString kEntryArrayKey = QStringLiteral("array");
const QString kAppendsKey = QStringLiteral("appends");
const QString kLayersKey = QStringLiteral("layers");
const QString kOffsetKey = QStringLiteral("offset");
const QString kStartKey = QStringLiteral("start");
const QString kEndKey = QStringLiteral("end");
const QString kMutedKey = QStringLiteral("muted");
const QString kClassOnlyKey = QStringLiteral("classOnly");
const QString kLightKey = QStringLiteral("light");
const QString kLightTypeKey = QStringLiteral("type");
const QString kLightColourKey = QStringLiteral("setLightColor");
const QString kLightAmbientKey = QStringLiteral("setLightAmbient");
const QString kLightIntensityKey = QStringLiteral("setLightIntensity");
const QString kLightBrightnessKey = QStringLiteral("setLightBrightness");
const QString kBrightnessFirstKey = QStringLiteral("brightnessFirst");
const QString kLightAttenuationKey = QStringLiteral("setLightAttenuation");
const QString kAsWrittenKey = QStringLiteral("asWritten");
const QString kLightDayLightKey = QStringLiteral("setLightDayLight");
const QString kLightUseFlareKey = QStringLiteral("setLightUseFlare");
const QString kLightFlareSizeKey = QStringLiteral("setLightFlareSize");
const QString kLightFlareDistanceKey = QStringLiteral("setLightFlareMaxDistance");
const QString kFlickerKey = QStringLiteral("flicker");
const QString kPartKey = QStringLiteral("configPart");
const QString kEntriesKey = QStringLiteral("entries");
const QString kConfigEffectKey = QStringLiteral("configEffect");
const QString kKeptClassesKey = QStringLiteral("keptClasses");
const QString kWrapperKey = QStringLiteral("wrapper");
const QString kKeptClassKey = QStringLiteral("class");
const QString kClassesKey = QStringLiteral("classes");
const QString kFlickerKindKey = QStringLiteral("kind");
const QString kFlickerLowKey = QStringLiteral("low");
const QString kFlickerHighKey = QStringLiteral("high");
const QString kFlickerShortestKey = QStringLiteral("shortest");
const QString kFlickerLongestKey = QStringLiteral("longest");

// The flicker's kinds as the file names them, in the order of LightFlicker::Kind.
constexpr std::array<const char *, 3> kFlickerKinds{"none", "intensity", "brightness"};

QString fieldKey(int number)
{
    return QStringLiteral("Text%1").arg(number);
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

void sortByName(QList<Effect> &effects)
{
    std::stable_sort(effects.begin(), effects.end(),
                     [](const Effect &a, const Effect &b) { return a.name.compare(b.name, Qt::CaseInsensitive) < 0; });
}

// The texts of a JSON array of exactly as many texts as `into` holds.
template <std::size_t N> bool readTexts(const QJsonValue &value, std::array<QString, N> &into)
{
    const QJsonArray list = value.toArray();
    if (!value.isArray() || list.size() != qsizetype(N))
        return false;
    for (std::size_t i = 0; i < N; ++i) {
        if (!list.at(qsizetype(i)).isString())
            return false;
        into[i] = list.at(qsizetype(i)).toString();
    }
    return true;
}

// An effect's source settings, or the part of them that cannot be read.
std::variant<SourceSettings, QString> readSource(const QJsonValue &value)
{
    if (!value.isObject())
        return QStringLiteral("no source settings");
    const QJsonObject object = value.toObject();
    SourceSettings source;
    const QJsonValue name = object.value(kSourceNameKey);
    if (!name.isString())
        return QStringLiteral("no source name");
    source.name = name.toString();

    const QJsonObject random = object.value(kRandomKey).toObject();
    const QJsonValue elements = random.value(kElementsKey);
    if (!random.value(kSetKey).isBool() || !readTexts(random.value(kValuesKey), source.random.texts)
        || !elements.isDouble() || (elements.toDouble() != 8 && elements.toDouble() != 9 && elements.toDouble() != 10))
        return QStringLiteral("a %1 that cannot be read").arg(kRandomKey);
    source.random.set = random.value(kSetKey).toBool();
    source.random.elements = elements.toInt();

    const QJsonObject circle = object.value(kCircleKey).toObject();
    if (!circle.value(kSetKey).isBool() || !readTexts(circle.value(kValuesKey), source.circle.texts))
        return QStringLiteral("a %1 that cannot be read").arg(kCircleKey);
    source.circle.set = circle.value(kSetKey).toBool();

    const QJsonObject interval = object.value(kIntervalKey).toObject();
    if (!interval.value(kSetKey).isBool() || !interval.value(kValueKey).isString())
        return QStringLiteral("a %1 that cannot be read").arg(kIntervalKey);
    source.interval.set = interval.value(kSetKey).toBool();
    source.interval.text = interval.value(kValueKey).toString();

    const QJsonValue others = object.value(kOtherKey);
    if (!others.isArray())
        return QStringLiteral("no list of other source commands");
    for (const QJsonValue command : others.toArray()) {
        if (!command.isString())
            return QStringLiteral("another source command that is not a text");
        source.otherCommands << command.toString();
    }
    return source;
}

template <std::size_t N> QJsonArray textArray(const std::array<QString, N> &texts)
{
    QJsonArray list;
    for (const QString &text : texts)
        list.append(text);
    return list;
}

QJsonObject sourceObject(const SourceSettings &source)
{
    QJsonObject random;
    random.insert(kSetKey, source.random.set);
    random.insert(kElementsKey, source.random.elements);
    random.insert(kValuesKey, textArray(source.random.texts));
    QJsonObject circle;
    circle.insert(kSetKey, source.circle.set);
    circle.insert(kValuesKey, textArray(source.circle.texts));
    QJsonObject interval;
    interval.insert(kSetKey, source.interval.set);
    interval.insert(kValueKey, source.interval.text);
    QJsonObject object;
    object.insert(kSourceNameKey, source.name);
    object.insert(kRandomKey, random);
    object.insert(kCircleKey, circle);
    object.insert(kIntervalKey, interval);
    object.insert(kOtherKey, QJsonArray::fromStringList(source.otherCommands));
    return object;
}

// Config fields as written: each its name, array mark, value and, where true, its "+=".
std::optional<QList<sqf::ConfigEntry>> readEntries(const QJsonValue &value)
{
    if (!value.isArray())
        return std::nullopt;
    QList<sqf::ConfigEntry> entries;
    for (const QJsonValue item : value.toArray()) {
        const QJsonObject entry = item.toObject();
        const QJsonValue appends = entry.value(kAppendsKey);
        if (!entry.value(kClassNameKey).isString() || !entry.value(kEntryArrayKey).isBool()
            || !entry.value(kValueKey).isString() || !(appends.isUndefined() || appends.isBool()))
            return std::nullopt;
        entries << sqf::ConfigEntry{entry.value(kClassNameKey).toString(), entry.value(kEntryArrayKey).toBool(),
                                    entry.value(kValueKey).toString(), appends.toBool()};
    }
    return entries;
}

QJsonArray entriesArray(const QList<sqf::ConfigEntry> &entries)
{
    QJsonArray array;
    for (const sqf::ConfigEntry &entry : entries) {
        QJsonObject written{{kClassNameKey, entry.name}, {kEntryArrayKey, entry.isArray}, {kValueKey, entry.value}};
        if (entry.appends)
            written.insert(kAppendsKey, true);
        array.append(written);
    }
    return array;
}

// An effect's config class: its name and base, and from the third version on its marks and its
// config-only fields, each list optional.
std::optional<EffectClass> readClass(const QJsonValue &value)
{
    const QJsonObject object = value.toObject();
    if (!value.isObject() || !object.value(kClassNameKey).isString() || !object.value(kClassBaseKey).isString())
        return std::nullopt;
    EffectClass configClass;
    configClass.name = object.value(kClassNameKey).toString();
    configClass.base = object.value(kClassBaseKey).toString();
    const QJsonValue marks = object.value(kMarksKey);
    if (!marks.isUndefined() && !marks.isArray())
        return std::nullopt;
    // "appends" is written only where it is true.
    const auto appends = [](const QJsonObject &object) {
        const QJsonValue value = object.value(kAppendsKey);
        return value.isUndefined() ? std::optional<bool>(false)
               : value.isBool()    ? std::optional<bool>(value.toBool())
                                   : std::nullopt;
    };
    for (const QJsonValue item : marks.toArray()) {
        const QJsonObject mark = item.toObject();
        if (!mark.value(kMarkFieldKey).isString() || !mark.value(kMarkWrittenKey).isString()
            || !mark.value(kMarkImportedKey).isString() || !appends(mark))
            return std::nullopt;
        configClass.marks << ConfigFieldMark{mark.value(kMarkFieldKey).toString(),
                                             mark.value(kMarkWrittenKey).toString(),
                                             mark.value(kMarkImportedKey).toString(), *appends(mark)};
    }
    const QJsonValue configOnly = object.value(kConfigOnlyKey);
    if (configOnly.isUndefined())
        return configClass;
    auto entries = readEntries(configOnly);
    if (!entries)
        return std::nullopt;
    configClass.configOnly = std::move(*entries);
    return configClass;
}

QJsonObject classObject(const EffectClass &configClass)
{
    QJsonObject object;
    object.insert(kClassNameKey, configClass.name);
    object.insert(kClassBaseKey, configClass.base);
    QJsonArray marks;
    for (const ConfigFieldMark &mark : configClass.marks) {
        QJsonObject written{
            {kMarkFieldKey, mark.field}, {kMarkWrittenKey, mark.written}, {kMarkImportedKey, mark.importedAs}};
        if (mark.appends)
            written.insert(kAppendsKey, true);
        marks.append(written);
    }
    object.insert(kMarksKey, marks);
    object.insert(kConfigOnlyKey, entriesArray(configClass.configOnly));
    return object;
}

// A class written as a name, a base and its fields: a sub-class of a complex effect, or its root.
template <typename Class> std::optional<Class> readNamedEntries(const QJsonValue &value)
{
    const QJsonObject object = value.toObject();
    if (!value.isObject() || !object.value(kClassNameKey).isString() || !object.value(kClassBaseKey).isString())
        return std::nullopt;
    auto entries = readEntries(object.value(kEntriesKey));
    if (!entries)
        return std::nullopt;
    Class read;
    read.name = object.value(kClassNameKey).toString();
    read.base = object.value(kClassBaseKey).toString();
    read.entries = std::move(*entries);
    return read;
}

template <typename Class> QJsonObject namedEntriesObject(const Class &written)
{
    return {{kClassNameKey, written.name}, {kClassBaseKey, written.base}, {kEntriesKey, entriesArray(written.entries)}};
}

// A kept class with the classes inside it, as deep as a config nests them.
std::optional<sqf::ConfigNode> readNode(const QJsonValue &value, int depth = 0)
{
    auto node = readNamedEntries<sqf::ConfigNode>(value);
    const QJsonValue classes = value.toObject().value(kClassesKey);
    if (!node || depth > 64 || !(classes.isUndefined() || classes.isArray()))
        return std::nullopt;
    for (const QJsonValue inner : classes.toArray()) {
        auto read = readNode(inner, depth + 1);
        if (!read)
            return std::nullopt;
        node->classes << std::move(*read);
    }
    return node;
}

QJsonObject nodeObject(const sqf::ConfigNode &node)
{
    QJsonObject object = namedEntriesObject(node);
    if (!node.classes.isEmpty()) {
        QJsonArray classes;
        for (const sqf::ConfigNode &inner : node.classes)
            classes.append(nodeObject(inner));
        object.insert(kClassesKey, classes);
    }
    return object;
}

// The root class of a complex effect, with the config's classes that no layer is.
std::optional<ConfigEffect> readConfigEffect(const QJsonValue &value)
{
    auto root = readNamedEntries<ConfigEffect>(value);
    const QJsonValue kept = value.toObject().value(kKeptClassesKey);
    if (!root || !(kept.isUndefined() || kept.isArray()))
        return std::nullopt;
    for (const QJsonValue item : kept.toArray()) {
        const QJsonObject object = item.toObject();
        auto node = readNode(object.value(kKeptClassKey));
        if (!object.value(kWrapperKey).isString() || !node)
            return std::nullopt;
        root->kept << KeptConfigClass{object.value(kWrapperKey).toString(), std::move(*node)};
    }
    return root;
}

QJsonObject configEffectObject(const ConfigEffect &root)
{
    QJsonObject object = namedEntriesObject(root);
    if (!root.kept.isEmpty()) {
        QJsonArray kept;
        for (const KeptConfigClass &written : root.kept)
            kept.append(QJsonObject{{kWrapperKey, written.wrapper}, {kKeptClassKey, nodeObject(written.node)}});
        object.insert(kKeptClassesKey, kept);
    }
    return object;
}

// A light command of one value: its set flag and its text.
std::optional<LightValue> readLightValue(const QJsonValue &value)
{
    const QJsonObject object = value.toObject();
    if (!object.value(kSetKey).isBool() || !object.value(kValueKey).isString())
        return std::nullopt;
    return LightValue{object.value(kSetKey).toBool(), object.value(kValueKey).toString()};
}

QJsonObject lightValueObject(const LightValue &value)
{
    return {{kSetKey, value.set}, {kValueKey, value.text}};
}

std::optional<LightColour> readLightColour(const QJsonValue &value)
{
    const QJsonObject object = value.toObject();
    LightColour colour;
    if (!object.value(kSetKey).isBool() || !readTexts(object.value(kValuesKey), colour.texts))
        return std::nullopt;
    colour.set = object.value(kSetKey).toBool();
    return colour;
}

QJsonObject lightColourObject(const LightColour &colour)
{
    return {{kSetKey, colour.set}, {kValuesKey, textArray(colour.texts)}};
}

std::optional<LightFlicker> readFlicker(const QJsonValue &value)
{
    const QJsonObject object = value.toObject();
    const QString kind = object.value(kFlickerKindKey).toString();
    const auto named = std::find_if(kFlickerKinds.cbegin(), kFlickerKinds.cend(),
                                    [&kind](const char *name) { return kind == QLatin1String(name); });
    if (!object.value(kFlickerKindKey).isString() || named == kFlickerKinds.cend())
        return std::nullopt;
    LightFlicker flicker;
    flicker.kind = LightFlicker::Kind(named - kFlickerKinds.cbegin());
    const std::array<std::pair<const QString *, QString *>, 4> bounds{{{&kFlickerLowKey, &flicker.low},
                                                                       {&kFlickerHighKey, &flicker.high},
                                                                       {&kFlickerShortestKey, &flicker.shortest},
                                                                       {&kFlickerLongestKey, &flicker.longest}}};
    for (const auto &[key, text] : bounds) {
        if (!object.value(*key).isString())
            return std::nullopt;
        *text = object.value(*key).toString();
    }
    return flicker;
}

QJsonObject flickerObject(const LightFlicker &flicker)
{
    return {{kFlickerKindKey, QLatin1String(kFlickerKinds.at(std::size_t(flicker.kind)))},
            {kFlickerLowKey, flicker.low},
            {kFlickerHighKey, flicker.high},
            {kFlickerShortestKey, flicker.shortest},
            {kFlickerLongestKey, flicker.longest}};
}

// A light layer's settings, or the part of them that cannot be read.
std::variant<LightSettings, QString> readLightSettings(const QJsonValue &value)
{
    if (!value.isObject())
        return QStringLiteral("a %1 that is not an object").arg(kLightKey);
    const QJsonObject object = value.toObject();
    LightSettings light;
    if (!object.value(kLightTypeKey).isString())
        return QStringLiteral("a %1 without its %2").arg(kLightKey, kLightTypeKey);
    light.type = object.value(kLightTypeKey).toString();

    const auto cannotRead = [](const QString &key) { return QStringLiteral("a %1 that cannot be read").arg(key); };
    for (const auto &[key, colour] :
         {std::pair{&kLightColourKey, &light.colour}, {&kLightAmbientKey, &light.ambient}}) {
        const auto read = readLightColour(object.value(*key));
        if (!read)
            return cannotRead(*key);
        *colour = *read;
    }
    const std::array<std::pair<const QString *, LightValue *>, 6> values{
        {{&kLightIntensityKey, &light.intensity},
         {&kLightBrightnessKey, &light.brightness},
         {&kLightDayLightKey, &light.dayLight},
         {&kLightUseFlareKey, &light.useFlare},
         {&kLightFlareSizeKey, &light.flareSize},
         {&kLightFlareDistanceKey, &light.flareMaxDistance}}};
    for (const auto &[key, into] : values) {
        const auto read = readLightValue(object.value(*key));
        if (!read)
            return cannotRead(*key);
        *into = *read;
    }
    if (!object.value(kBrightnessFirstKey).isBool())
        return QStringLiteral("no %1 of true or false").arg(kBrightnessFirstKey);
    light.brightnessFirst = object.value(kBrightnessFirstKey).toBool();

    const QJsonObject attenuation = object.value(kLightAttenuationKey).toObject();
    if (!attenuation.value(kSetKey).isBool() || !readTexts(attenuation.value(kValuesKey), light.attenuation.texts)
        || !attenuation.value(kAsWrittenKey).isString())
        return cannotRead(kLightAttenuationKey);
    light.attenuation.set = attenuation.value(kSetKey).toBool();
    light.attenuation.asWritten = attenuation.value(kAsWrittenKey).toString();

    const auto flicker = readFlicker(object.value(kFlickerKey));
    if (!flicker)
        return QStringLiteral("a light's %1 that cannot be read").arg(kFlickerKey);
    light.flicker = *flicker;

    const QJsonValue others = object.value(kOtherKey);
    if (!others.isArray())
        return QStringLiteral("no list of other light commands");
    for (const QJsonValue command : others.toArray()) {
        if (!command.isString())
            return QStringLiteral("another light command that is not a text");
        light.otherCommands << command.toString();
    }
    return light;
}

QJsonObject lightObject(const LightSettings &light)
{
    QJsonObject attenuation;
    attenuation.insert(kSetKey, light.attenuation.set);
    attenuation.insert(kValuesKey, textArray(light.attenuation.texts));
    attenuation.insert(kAsWrittenKey, light.attenuation.asWritten);
    QJsonObject object;
    object.insert(kLightTypeKey, light.type);
    object.insert(kLightColourKey, lightColourObject(light.colour));
    object.insert(kLightAmbientKey, lightColourObject(light.ambient));
    object.insert(kLightIntensityKey, lightValueObject(light.intensity));
    object.insert(kLightBrightnessKey, lightValueObject(light.brightness));
    object.insert(kBrightnessFirstKey, light.brightnessFirst);
    object.insert(kLightAttenuationKey, attenuation);
    object.insert(kLightDayLightKey, lightValueObject(light.dayLight));
    object.insert(kLightUseFlareKey, lightValueObject(light.useFlare));
    object.insert(kLightFlareSizeKey, lightValueObject(light.flareSize));
    object.insert(kLightFlareDistanceKey, lightValueObject(light.flareMaxDistance));
    object.insert(kFlickerKey, flickerObject(light.flicker));
    object.insert(kOtherKey, QJsonArray::fromStringList(light.otherCommands));
    return object;
}

// A layer's fields, Check1, source settings and config class, as an effect of the earlier versions
// holds them in its own object; `named` says whose they are. The first version has no source
// settings.
std::variant<EffectFields, QString> readFields(const QJsonObject &object, const QString &named, int version)
{
    EffectFields read;
    const QJsonValue fields = object.value(kFieldsKey);
    if (!fields.isObject())
        return QStringLiteral("%1 has no fields").arg(named);
    const QJsonObject texts = fields.toObject();
    for (int n = 1; n <= drop::kFieldCount; ++n) {
        const QJsonValue text = texts.value(fieldKey(n));
        if (text.isUndefined())
            return QStringLiteral("%1 has no %2").arg(named, fieldKey(n));
        if (!text.isString())
            return QStringLiteral("%1 has a %2 that is not a text").arg(named, fieldKey(n));
        read.texts << text.toString();
    }
    const QJsonValue check = object.value(kCheckKey);
    if (!check.isBool())
        return QStringLiteral("%1 has no %2 of true or false").arg(named, kCheckKey);
    read.separateColours = check.toBool();
    if (version == 1)
        return read;
    auto source = readSource(object.value(kSourceKey));
    if (const auto *problem = std::get_if<QString>(&source))
        return QStringLiteral("%1 has %2").arg(named, *problem);
    read.source = std::get<SourceSettings>(std::move(source));
    const QJsonValue configClass = object.value(kClassKey);
    if (configClass.isUndefined())
        return read;
    auto readClassOf = readClass(configClass);
    if (!readClassOf)
        return QStringLiteral("%1 has a %2 that cannot be read").arg(named, kClassKey);
    read.configClass = std::move(*readClassOf);
    return read;
}

QJsonObject fieldsObject(const EffectFields &fields)
{
    QJsonObject texts;
    for (int n = 1; n <= drop::kFieldCount; ++n)
        texts.insert(fieldKey(n), fields.texts.value(n - 1));
    QJsonObject object;
    object.insert(kFieldsKey, texts);
    object.insert(kCheckKey, fields.separateColours);
    object.insert(kSourceKey, sourceObject(fields.source));
    if (fields.configClass != EffectClass{})
        object.insert(kClassKey, classObject(fields.configClass));
    return object;
}

// The offset, times and mute mark every layer has from the fourth version on.
std::optional<QString> readPlacing(const QJsonObject &object, const QString &named, Layer &layer)
{
    const QJsonArray offset = object.value(kOffsetKey).toArray();
    if (!object.value(kOffsetKey).isArray() || offset.size() != 3
        || !std::all_of(offset.cbegin(), offset.cend(), [](const QJsonValue &v) { return v.isString(); }))
        return QStringLiteral("%1 has no offset of three texts").arg(named);
    for (int axis = 0; axis < 3; ++axis)
        layer.offset[std::size_t(axis)] = offset.at(axis).toString();
    if (!object.value(kStartKey).isString() || !object.value(kEndKey).isString())
        return QStringLiteral("%1 has no start and end texts").arg(named);
    layer.start = object.value(kStartKey).toString();
    layer.end = object.value(kEndKey).toString();
    if (!object.value(kMutedKey).isBool())
        return QStringLiteral("%1 has no %2 of true or false").arg(named, kMutedKey);
    layer.muted = object.value(kMutedKey).toBool();
    return std::nullopt;
}

// The sub-class of a complex effect a layer came from, where it has one: from the fifth version on.
std::optional<QString> readPart(const QJsonObject &object, const QString &named, Layer &layer)
{
    if (!object.contains(kPartKey))
        return std::nullopt;
    layer.part = readNamedEntries<ConfigPart>(object.value(kPartKey));
    if (!layer.part)
        return QStringLiteral("%1 has a %2 that cannot be read").arg(named, kPartKey);
    return std::nullopt;
}

// A layer of the fourth version on: its fields as above, with its offset, times and marks. From
// the fifth, a layer with a light holds its name and light settings instead of the fields.
std::variant<Layer, QString> readLayer(const QJsonValue &value, const QString &named, int version)
{
    if (!value.isObject())
        return QStringLiteral("%1 is not an object").arg(named);
    const QJsonObject object = value.toObject();
    if (version >= 5 && object.contains(kLightKey)) {
        if (!object.value(kNameKey).isString())
            return QStringLiteral("%1 has a light without a name").arg(named);
        auto light = readLightSettings(object.value(kLightKey));
        if (const auto *problem = std::get_if<QString>(&light))
            return QStringLiteral("%1 has %2").arg(named, *problem);
        Layer layer = lightLayerOf(object.value(kNameKey).toString(), std::get<LightSettings>(std::move(light)));
        if (auto problem = readPlacing(object, named, layer))
            return *problem;
        if (object.contains(kClassKey)) {
            const auto configClass = readClass(object.value(kClassKey));
            if (!configClass)
                return QStringLiteral("%1 has a light class that cannot be read").arg(named);
            layer.fields.configClass = *configClass;
        }
        if (auto problem = readPart(object, named, layer))
            return *problem;
        return layer;
    }
    auto fields = readFields(object, named, version);
    if (const auto *problem = std::get_if<QString>(&fields))
        return *problem;
    Layer layer = layerOf(std::get<EffectFields>(std::move(fields)));
    if (auto problem = readPlacing(object, named, layer))
        return *problem;
    if (!object.value(kClassOnlyKey).isBool())
        return QStringLiteral("%1 has no %2 of true or false").arg(named, kClassOnlyKey);
    layer.classOnly = object.value(kClassOnlyKey).toBool();
    if (auto problem = readPart(object, named, layer))
        return *problem;
    return layer;
}

QJsonObject layerObject(const Layer &layer)
{
    QJsonObject object;
    if (layer.light) {
        object.insert(kNameKey, layer.name());
        object.insert(kLightKey, lightObject(*layer.light));
        if (layer.fields.configClass != EffectClass{})
            object.insert(kClassKey, classObject(layer.fields.configClass));
    } else {
        object = fieldsObject(layer.fields);
        object.insert(kClassOnlyKey, layer.classOnly);
    }
    object.insert(kOffsetKey, QJsonArray{layer.offset[0], layer.offset[1], layer.offset[2]});
    object.insert(kStartKey, layer.start);
    object.insert(kEndKey, layer.end);
    object.insert(kMutedKey, layer.muted);
    if (layer.part)
        object.insert(kPartKey, namedEntriesObject(*layer.part));
    return object;
}

// One effect of the file, or why it cannot be read; `place` says which one it is. Before the
// fourth version an effect is one layer, its fields in its own object.
std::variant<Effect, QString> readEffect(const QJsonValue &value, qsizetype index, int version)
{
    const QString place = QStringLiteral("effect %1").arg(index + 1);
    if (!value.isObject())
        return QStringLiteral("%1 is not an object").arg(place);
    const QJsonObject object = value.toObject();
    const QJsonValue name = object.value(kNameKey);
    if (!name.isString())
        return QStringLiteral("%1 has no name").arg(place);
    if (name.toString().trimmed().isEmpty())
        return QStringLiteral("%1 has an empty name").arg(place);
    Effect effect;
    effect.name = name.toString();
    const QString named = QStringLiteral("%1 (\"%2\")").arg(place, effect.name);
    const QJsonValue saved = object.value(kSavedKey);
    if (!saved.isString())
        return QStringLiteral("%1 has no time of saving").arg(named);
    effect.saved = QDateTime::fromString(saved.toString(), Qt::ISODate);
    if (!effect.saved.isValid())
        return QStringLiteral("%1 has a time of saving that is not a date (\"%2\")").arg(named, saved.toString());
    if (version < 4) {
        auto fields = readFields(object, named, version);
        if (const auto *problem = std::get_if<QString>(&fields))
            return *problem;
        effect.layers << layerOf(std::get<EffectFields>(std::move(fields)));
        return effect;
    }
    const QJsonValue layers = object.value(kLayersKey);
    if (!layers.isArray() || layers.toArray().isEmpty())
        return QStringLiteral("%1 has no layers").arg(named);
    const QJsonArray list = layers.toArray();
    for (qsizetype i = 0; i < list.size(); ++i) {
        auto layer = readLayer(list.at(i), QStringLiteral("%1, layer %2,").arg(named).arg(i + 1), version);
        if (const auto *problem = std::get_if<QString>(&layer))
            return *problem;
        effect.layers << std::get<Layer>(std::move(layer));
    }
    if (const QString problem = layersProblem(effect.layers); !problem.isEmpty())
        return QStringLiteral("%1 cannot be one effect: %2").arg(named, problem);
    if (version >= 5 && object.contains(kConfigEffectKey)) {
        const auto configEffect = readConfigEffect(object.value(kConfigEffectKey));
        if (!configEffect)
            return QStringLiteral("%1 has a %2 that cannot be read").arg(named, kConfigEffectKey);
        effect.configEffect = *configEffect;
    }
    return effect;
}

QString unreadable(const QString &path, const QString &what)
{
    return QStringLiteral("The effects file %1 cannot be read: %2.\n\nIt is left as it is: the built-in effects "
                          "can be loaded, but no effect can be saved or deleted until the file is mended or "
                          "removed.")
        .arg(QDir::toNativeSeparators(path), what);
}

} // namespace

const Effect *findBuiltIn(const QString &name)
{
    const QList<Effect> &effects = builtInEffects();
    const auto found = std::find_if(effects.cbegin(), effects.cend(),
                                    [&name](const Effect &effect) { return sameName(effect.name, name); });
    return found == effects.cend() ? nullptr : &*found;
}

FileReading readEffectFile(const QByteArray &bytes)
{
    FileReading reading;
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError) {
        reading.problem =
            QStringLiteral("it is not JSON (%1 at byte %2)").arg(error.errorString()).arg(error.offset + 1);
        return reading;
    }
    if (!document.isObject()) {
        reading.problem = QStringLiteral("it holds no object with a format version");
        return reading;
    }
    const QJsonObject root = document.object();
    const QJsonValue version = root.value(kVersionKey);
    if (!version.isDouble()) {
        reading.problem = QStringLiteral("it names no format version");
        return reading;
    }
    const double number = version.toDouble();
    if (number != std::floor(number) || number < 1 || number > kEffectFileVersion) {
        reading.problem = QStringLiteral("it has the format version %1; this program reads versions 1 to %2")
                              .arg(version.toDouble())
                              .arg(kEffectFileVersion);
        return reading;
    }
    reading.version = version.toInt();
    const QJsonValue effects = root.value(kEffectsKey);
    if (!effects.isArray()) {
        reading.problem = QStringLiteral("it has no list of effects");
        return reading;
    }
    const QJsonArray list = effects.toArray();
    for (qsizetype i = 0; i < list.size(); ++i) {
        auto effect = readEffect(list.at(i), i, reading.version);
        if (const auto *problem = std::get_if<QString>(&effect)) {
            reading.effects.clear();
            reading.version = 0;
            reading.problem = *problem;
            return reading;
        }
        reading.effects << std::get<Effect>(std::move(effect));
    }
    sortByName(reading.effects);
    return reading;
}

QByteArray writeEffectFile(const QList<Effect> &effects)
{
    QJsonArray list;
    for (const Effect &effect : effects) {
        QJsonArray layers;
        for (const Layer &layer : effect.layers)
            layers.append(layerObject(layer));
        QJsonObject object;
        object.insert(kNameKey, effect.name);
        object.insert(kSavedKey, effect.saved.toUTC().toString(Qt::ISODate));
        object.insert(kLayersKey, layers);
        if (effect.configEffect != ConfigEffect{})
            object.insert(kConfigEffectKey, configEffectObject(effect.configEffect));
        list.append(object);
    }
    QJsonObject root;
    root.insert(kFormatKey, kFormatName);
    root.insert(kVersionKey, kEffectFileVersion);
    root.insert(kEffectsKey, list);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

QString EffectLibrary::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/effects.json");
}

EffectLibrary::EffectLibrary(QString path)
    : m_path(std::move(path))
{
    reload();
}

QString EffectLibrary::earlierVersionPath(int version) const
{
    return QFileInfo(m_path).dir().filePath(QStringLiteral("effects.v%1.json").arg(version));
}

void EffectLibrary::reload()
{
    m_effects.clear();
    m_problem.clear();
    m_fileVersion = 0;
    QFile file(m_path);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly)) {
        m_problem = unreadable(m_path, QStringLiteral("it cannot be opened (%1)").arg(file.errorString()));
        return;
    }
    FileReading reading = readEffectFile(file.readAll());
    if (!reading.problem.isEmpty()) {
        m_problem = unreadable(m_path, reading.problem);
        return;
    }
    m_effects = std::move(reading.effects);
    m_fileVersion = reading.version;
}

const Effect *EffectLibrary::find(const QString &name) const
{
    const auto found = std::find_if(m_effects.cbegin(), m_effects.cend(),
                                    [&name](const Effect &effect) { return sameName(effect.name, name); });
    return found == m_effects.cend() ? nullptr : &*found;
}

std::optional<QString> EffectLibrary::nameRefusal(const QString &name)
{
    if (name.trimmed().isEmpty())
        return QStringLiteral("An effect needs a name.");
    if (const Effect *builtIn = findBuiltIn(name.trimmed()))
        return QStringLiteral("%1 is a built-in effect; choose another name.").arg(builtIn->name);
    return std::nullopt;
}

std::optional<QString> EffectLibrary::save(const QString &name, const QList<Layer> &layers, const QDateTime &when,
                                           const ConfigEffect &configEffect)
{
    if (auto refusal = nameRefusal(name))
        return refusal;
    if (const QString problem = layersProblem(layers); !problem.isEmpty())
        return QStringLiteral("The effect cannot be saved: %1.").arg(problem);
    // Another window or program may have changed the file since it was read.
    reload();
    if (!m_problem.isEmpty())
        return m_problem;
    Effect effect;
    effect.name = name.trimmed();
    effect.layers = layers;
    effect.configEffect = configEffect;
    effect.saved = when.toUTC();
    QList<Effect> effects = m_effects;
    const auto same = std::find_if(effects.begin(), effects.end(),
                                   [&effect](const Effect &other) { return sameName(other.name, effect.name); });
    if (same != effects.end())
        *same = effect;
    else
        effects << effect;
    sortByName(effects);
    return write(effects);
}

std::optional<QString> EffectLibrary::remove(const QString &name)
{
    reload();
    if (!m_problem.isEmpty())
        return m_problem;
    QList<Effect> effects = m_effects;
    const auto removed = effects.removeIf([&name](const Effect &effect) { return sameName(effect.name, name); });
    if (removed == 0)
        return QStringLiteral("There is no effect named %1 in the effects file.").arg(name);
    return write(effects);
}

std::optional<QString> EffectLibrary::write(const QList<Effect> &effects)
{
    const QString folder = QFileInfo(m_path).absolutePath();
    if (!QDir().mkpath(folder))
        return QStringLiteral("The folder %1 for the effects file cannot be made.")
            .arg(QDir::toNativeSeparators(folder));
    // An earlier version's file stays readable to a program that knows only that one.
    const QString earlier = earlierVersionPath(m_fileVersion);
    if (m_fileVersion > 0 && m_fileVersion < kEffectFileVersion && !QFileInfo::exists(earlier)) {
        QFile original(m_path);
        if (!original.copy(earlier))
            return QStringLiteral("The effects file %1 of the earlier format cannot be kept as %2 (%3); it is as it "
                                  "was.")
                .arg(QDir::toNativeSeparators(m_path), QDir::toNativeSeparators(earlier), original.errorString());
    }
    QSaveFile file(m_path);
    const QByteArray bytes = writeEffectFile(effects);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return QStringLiteral("The effects file %1 cannot be written (%2); it is as it was.")
            .arg(QDir::toNativeSeparators(m_path), file.errorString());
    m_effects = effects;
    m_fileVersion = kEffectFileVersion;
    return std::nullopt;
}

} // namespace effect
