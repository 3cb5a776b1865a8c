#include "drop/dropstring.h"
#include "effect/effectlibrary.h"
#include "effect/layers.h"
#include "effect/recipe.h"
#include "effect/simulation.h"
#include "export/configclass.h"
#include "export/sourcescript.h"
#include "import/classimport.h"
#include "import/importparser.h"
#include "sqf/configreader.h"
#include "sqf/values.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

#include <cmath>

using namespace effect;
using namespace exporter;

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

EffectFields fieldsWith(std::initializer_list<std::pair<int, QString>> changed, bool separate = false)
{
    EffectFields fields = startFields();
    for (const auto &[number, text] : changed)
        fields.texts[number - 1] = text;
    fields.separateColours = separate;
    return fields;
}

// A saved file of one effect, with its JSON changed by `damage`.
// A file of one effect as the third version wrote it, its one layer's keys in the effect's object;
// or of the current version, with its layers.
QByteArray damagedFile(const std::function<void(QJsonObject &root, QJsonObject &effect)> &damage,
                       const QList<Layer> &layers = {layerOf(startFields())})
{
    Effect mine;
    mine.name = QStringLiteral("Mine");
    mine.layers = layers;
    mine.saved = QDateTime(QDate(2026, 12, 1), QTime(10, 0), QTimeZone::utc());
    QJsonObject root = QJsonDocument::fromJson(writeEffectFile({mine})).object();
    QJsonArray effects = root.value("effects").toArray();
    QJsonObject effect = effects.at(0).toObject();
    if (layers.size() == 1) {
        root.insert("version", 3);
        const QJsonObject layer = effect.take("layers").toArray().at(0).toObject();
        for (const char *key : {"fields", "Check1", "source", "configClass"})
            if (layer.contains(key))
                effect.insert(key, layer.value(key));
    }
    damage(root, effect);
    effects[0] = effect;
    root.insert("effects", effects);
    return QJsonDocument(root).toJson();
}

// The class's line of that field (the name before " =" or "[] ="), trimmed; empty when none.
QString classLine(const QStringList &lines, const QString &field)
{
    for (const QString &line : lines) {
        QString trimmed = line.trimmed();
        if (trimmed.startsWith(field + " =") || trimmed.startsWith(field + "[] ="))
            return trimmed;
    }
    return {};
}

// A class's lines without their comments: the values a config reads.
QStringList withoutComments(const QStringList &lines)
{
    QStringList values;
    for (const QString &line : lines)
        if (!line.trimmed().startsWith("//"))
            values << line.section(" //", 0, 0);
    return values;
}

// A config value as the game reads it: numbers by value, true and false as 1 and 0, a quoted text
// and an unquoted word alike, braces element by element; anything else as written, blanks aside.
QString asTheGameReads(const QString &value)
{
    const QString trimmed = value.trimmed();
    if (const auto elements = sqf::braceElements(trimmed)) {
        QStringList read;
        for (const QString &element : *elements)
            read << asTheGameReads(element);
        return '{' + read.join(',') + '}';
    }
    if (const auto number = sqf::plainNumber(trimmed))
        return sqf::formatNumber(*number);
    if (trimmed.compare("true", Qt::CaseInsensitive) == 0)
        return "1";
    if (trimmed.compare("false", Qt::CaseInsensitive) == 0)
        return "0";
    if (const auto text = sqf::stringValue(trimmed))
        return *text;
    return QString(trimmed).remove(' ');
}

// The fields of the first class of a text, by their names in lower case, the last one written
// counting, each as the game reads it.
QMap<QString, QString> classValues(const QString &text)
{
    const sqf::ConfigReading reading = sqf::readConfigClasses(text);
    QMap<QString, QString> values;
    if (!reading.classes.isEmpty())
        for (const sqf::ConfigEntry &entry : reading.classes.front().entries)
            values.insert(entry.name.toLower() + (entry.isArray ? "[]" : "") + (entry.appends ? "+=" : ""),
                          asTheGameReads(entry.value));
    return values;
}

} // namespace

Q_DECLARE_METATYPE(effect::SourceSettings)
Q_DECLARE_METATYPE(effect::LightSettings)

class TestEffects : public QObject {
    Q_OBJECT
private slots:
    void init();

    void builtInsImportBackAndMove_data();
    void builtInsImportBackAndMove();
    void builtInSourcesForTheLaterGames();
    void builtInNamesAreDistinct();
    void builtInLightsPlay_data();
    void builtInLightsPlay();
    void builtInFlashAndFlareOutshineTheFires();

    void saveRestartLoadKeepsTextsExactly();
    void fileIsReadableJsonWithAVersion();
    void sameNameIsReplacedWithoutRegardToCase();
    void ownEffectsSortedWithoutRegardToCase();
    void builtInNameRefused_data();
    void builtInNameRefused();
    void removeDeletesOnlyThatEffect();
    void unwritableFolderRefusedAndNothingLost();

    void sourceSettingsRoundTrip();
    void configClassNameKeptInTheFile();
    void complexEffectKeptInTheFile();
    void layersKeptInTheFile();
    void lightLayerKeptInTheFile_data();
    void lightLayerKeptInTheFile();
    void earlierVersionFileLoadsAndIsKept_data();
    void earlierVersionFileLoadsAndIsKept();
    void firstVersionCopyIsNeverOverwritten();

    void damagedFileReportedAndKept_data();
    void damagedFileReportedAndKept();

    void layerNames_data();
    void layerNames();
    void configClassFields_data();
    void configClassFields();
    void configClassHeaderAndObject();
    void configIdentifiers_data();
    void configIdentifiers();
    void importedClassCopiedBackUnedited_data();
    void importedClassCopiedBackUnedited();
    void markedFieldsWrittenOnceEdited();
    void builtInsAsConfigClassesReadBack_data();
    void builtInsAsConfigClassesReadBack();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

void TestEffects::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_path = m_dir->filePath(QStringLiteral("data/effects.json"));
}

void TestEffects::builtInsImportBackAndMove_data()
{
    QTest::addColumn<int>("index");
    QVERIFY(builtInEffects().size() >= 8);
    for (int i = 0; i < builtInEffects().size(); ++i)
        QTest::newRow(qPrintable(builtInEffects().at(i).name)) << i;
}

void TestEffects::builtInsImportBackAndMove()
{
    QFETCH(int, index);
    const Effect &effect = builtInEffects().at(index);
    QVERIFY(!effect.description.isEmpty());
    QVERIFY(!effect.layers.front().isLight());
    // Every particle layer on its own as a built-in of one layer is; the lights are below.
    for (const Layer &layer : effect.layers) {
        if (layer.isLight())
            continue;
        const EffectFields &fields = layer.fields;
        QCOMPARE(fields.texts.size(), 27);
        QVERIFY(!fields.separateColours);
        // Size and AnimationPhase are three plain numbers each.
        for (const int number : {16, 17, 18, 20, 21, 22}) {
            bool number_ok = false;
            fields.texts.at(number - 1).toDouble(&number_ok);
            QVERIFY2(number_ok, qPrintable(fields.texts.at(number - 1)));
        }

        const QString dropString = drop::formatDropString(fields.texts, drop::ColourMode::Inline, "_color");
        const import::ParseOutcome outcome = import::parseDropArray(dropString, false, {});
        QVERIFY2(outcome.array, qPrintable(dropString));
        QCOMPARE(outcome.array->fields, fields.texts);

        const Recipe recipe = readRecipe(fields.texts, fields.source);
        QCOMPARE(recipe.problems, QStringList());
        QCOMPARE(valueProblems(recipe, {}), QStringList());
        QVERIFY(recipe.variables.isEmpty());
        // Only what every effect is told: no texture, no timer script, the object stands at 0, no turning.
        for (const QString &note : recipe.notes)
            QVERIFY2(note.startsWith("ShapeName, Type:") || note.startsWith("Object ") || note.startsWith("TimePeriod")
                         || note.startsWith("setParticleRandom RotationVelocity, Angle:"),
                     qPrintable(note));

        // Copy Source gives plain commands: one each, the array as the drop string has it.
        const QStringList commands = sourceCommandLines(fields.source, dropString, false, {});
        QCOMPARE(commands.size(),
                 1 + int(fields.source.random.set) + int(fields.source.circle.set) + int(fields.source.interval.set));
        QCOMPARE(commands.front(), fields.source.name + " setParticleParams " + dropString.mid(5) + ";");
        for (const QString &command : commands)
            QVERIFY2(command.startsWith(fields.source.name + " set") && command.endsWith(';')
                         && command.count(';') == 1,
                     qPrintable(command));

        Simulation simulation(3);
        simulation.setRecipe(recipe);
        QVERIFY(simulation.emitting());
        simulation.advance(1.0);
        QVERIFY(!simulation.particles().empty());
        const bool moving =
            std::any_of(simulation.particles().cbegin(), simulation.particles().cend(), [](const Particle &p) {
                const Vec3 from = p.values.position;
                return std::hypot(p.position.x - from.x, p.position.y - from.y, p.position.z - from.z) > 0.05;
            });
        QVERIFY(moving);
    }
}

void TestEffects::builtInSourcesForTheLaterGames()
{
    int sources = 0;
    for (const Effect &effect : builtInEffects()) {
        const SourceSettings &source = effect.layers.front().fields.source;
        if (!source.random.set || effect.layers.size() > 1)
            continue;
        ++sources;
        QVERIFY(source.circle.set && source.interval.set);
        QVERIFY(effect.layers.front().fields.texts.at(0).startsWith("[\"\\A3\\"));
        QCOMPARE(source.name, QString("_ps"));
        Simulation simulation(5);
        simulation.setRecipe(readRecipe(effect.layers.front().fields.texts, source));
        QVERIFY(simulation.interval() > 0.0);
        simulation.advance(2);
        // The randomness spreads the particles: no two start at one place.
        const auto &particles = simulation.particles();
        QVERIFY(particles.size() > 10);
        QVERIFY(particles[0].values.position.x != particles[1].values.position.x);
    }
    QCOMPARE_GE(sources, 4);
}

void TestEffects::builtInNamesAreDistinct()
{
    const QList<Effect> &effects = builtInEffects();
    for (int i = 0; i < effects.size(); ++i) {
        QCOMPARE(findBuiltIn(effects.at(i).name.toUpper()), &effects.at(i));
        QVERIFY(effects.at(i).builtIn);
    }
    QCOMPARE(findBuiltIn("no such effect"), nullptr);
}

void TestEffects::builtInLightsPlay_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("dayLight");
    QTest::addColumn<bool>("flare");
    QTest::addColumn<double>("glowFrom"); // the glow's radius in m
    QTest::addColumn<double>("glowTo");
    QTest::addColumn<double>("onAt");  // s
    QTest::addColumn<double>("offAt"); // s; 0: on to the end
    QTest::newRow("Campfire") << "Campfire" << false << false << 2.0 << 6.0 << 1.0 << 0.0;
    QTest::newRow("Burning wreck") << "Burning wreck" << false << false << 6.0 << 15.0 << 1.0 << 0.0;
    QTest::newRow("Explosion") << "Explosion" << true << false << 8.0 << 30.0 << 0.2 << 0.6;
    QTest::newRow("Flare") << "Flare" << true << true << 20.0 << 80.0 << 1.0 << 0.0;
}

void TestEffects::builtInLightsPlay()
{
    QFETCH(QString, name);
    QFETCH(bool, dayLight);
    QFETCH(bool, flare);
    QFETCH(double, glowFrom);
    QFETCH(double, glowTo);
    QFETCH(double, onAt);
    QFETCH(double, offAt);
    const Effect *effect = findBuiltIn(name);
    QVERIFY(effect);
    QVERIFY2(effect->description.contains(" light"), qPrintable(effect->description));
    // One light, after the sources.
    const QList<Layer> &layers = effect->layers;
    QCOMPARE(std::count_if(layers.cbegin(), layers.cend(), [](const Layer &layer) { return layer.isLight(); }), 1);
    QVERIFY(layers.back().isLight());
    QCOMPARE(layersProblem(layers), QString());
    const LightSettings &settings = *layers.back().light;

    // Written as a new light is: every value set, six values of attenuation.
    const LightSettings fresh = newLight();
    QCOMPARE(settings.type, fresh.type);
    for (const auto &[mine, theirs] : {std::pair{&settings.colour, &fresh.colour}, {&settings.ambient, &fresh.ambient}})
        QCOMPARE(mine->set, theirs->set);
    for (const auto &[mine, theirs] : {std::pair{&settings.intensity, &fresh.intensity},
                                       {&settings.brightness, &fresh.brightness},
                                       {&settings.dayLight, &fresh.dayLight},
                                       {&settings.useFlare, &fresh.useFlare},
                                       {&settings.flareSize, &fresh.flareSize},
                                       {&settings.flareMaxDistance, &fresh.flareMaxDistance}}) {
        QCOMPARE(mine->set, theirs->set);
        QVERIFY(!mine->set || sqf::plainNumber(mine->text) || mine->text == "true" || mine->text == "false");
    }
    QVERIFY(settings.attenuation.set && settings.attenuation.asWritten.isEmpty());
    for (const QString &text : settings.attenuation.texts)
        QVERIFY2(sqf::plainNumber(text), qPrintable(text));
    QVERIFY(settings.otherCommands.isEmpty());

    const LightRecipe light = readLight(settings, {});
    QCOMPARE(light.problems, QStringList());
    // Written with every value, the ambient colour and the flare's distance among them, which the views leave out.
    QCOMPARE(light.notes, QStringList{"Not drawn: the ambient colour (the views show no surfaces) and the flare's "
                                      "maximum distance (the views have no camera)."});
    QVERIFY(light.variables.isEmpty());
    QCOMPARE(light.dayLight, dayLight);
    QCOMPARE(light.useFlare, flare);
    QVERIFY(light.intensity > 0);
    QVERIFY(!light.hardLimits || light.attenuation[LightAttenuation::HardLimitEnd] > glowRadius(light));
    QCOMPARE_GE(glowRadius(light), glowFrom);
    QCOMPARE_LE(glowRadius(light), glowTo);

    // The whole effect plays, its light on at its time, flickering within its bounds.
    std::vector<LayerRecipe> played;
    for (const Layer &layer : layers) {
        played.push_back(readLayer(layer, {}));
        QCOMPARE(played.back().recipe.problems, QStringList());
    }
    Simulation simulation(7);
    simulation.setLayers(played);
    const std::size_t last = played.size() - 1;
    QVERIFY(played.back().light);
    QCOMPARE(played.back().offset.z, sqf::plainNumber(layers.back().offset[2]).value_or(-1));
    QCOMPARE_GE(played.back().offset.z, 1.0);
    simulation.advance(onAt);
    QVERIFY(!simulation.particles().empty());
    QVERIFY(simulation.lightStatus(last).on);
    const double intensity = simulation.lightIntensity(last);
    if (light.flicker == LightFlicker::None) {
        QCOMPARE(intensity, light.intensity);
    } else {
        QCOMPARE_GE(intensity, light.low);
        QCOMPARE_LE(intensity, light.high);
        QCOMPARE_GT(simulation.lightStatus(last).changes, 1);
        // A flicker, not a blink: it never drops below half its highest.
        QCOMPARE_GE(light.low, light.high / 2);
    }
    if (offAt > 0) {
        simulation.advance(offAt - onAt);
        QVERIFY(!simulation.lightStatus(last).on);
        QCOMPARE(simulation.lightIntensity(last), 0.0);
    }
}

void TestEffects::builtInFlashAndFlareOutshineTheFires()
{
    const auto lightOf = [](const char *name) { return readLight(*findBuiltIn(name)->layers.back().light, {}); };
    const double fires = std::max(lightOf("Campfire").high, lightOf("Burning wreck").high);
    QCOMPARE_GT(lightOf("Burning wreck").intensity, lightOf("Campfire").intensity);
    QCOMPARE_GT(lightOf("Explosion").intensity, 4 * fires);
    QCOMPARE_GT(lightOf("Flare").low, lightOf("Explosion").intensity);

    // The flare's light burns where its sources are; its glow sinks and its sparks fall faster.
    const QList<Layer> &flare = findBuiltIn("Flare")->layers;
    QCOMPARE(flare.size(), 3);
    QCOMPARE(flare.at(0).offset, flare.back().offset);
    QCOMPARE(flare.at(1).offset, flare.back().offset);
    std::vector<LayerRecipe> played;
    for (const Layer &layer : flare)
        played.push_back(readLayer(layer, {}));
    Simulation simulation(3);
    simulation.setLayers(played);
    simulation.advance(3);
    std::array<double, 2> fastest{0, 0};
    std::array<int, 2> counted{0, 0};
    for (const Particle &particle : simulation.particles()) {
        if (particle.age < 0.5)
            continue;
        QVERIFY(particle.layer < 2);
        const double fall = (particle.values.position.z - particle.position.z) / particle.age;
        QCOMPARE_GT(fall, 0.2);
        fastest[std::size_t(particle.layer)] = std::max(fastest[std::size_t(particle.layer)], fall);
        ++counted[std::size_t(particle.layer)];
    }
    QVERIFY(counted[0] > 5 && counted[1] > 5);
    QCOMPARE_LT(fastest[0], 1.5); // under its chute
    QCOMPARE_GT(fastest[1], fastest[0]);
}

void TestEffects::saveRestartLoadKeepsTextsExactly()
{
    const EffectFields fields = fieldsWith({{1, " cl_basic "},
                                            {2, "\tanim\t"},
                                            {3, "Bill\"board\""},
                                            {6, "1,5"},
                                            {19, "[1, 1, 1, 1],[0.5,0.5,0.5,0]"},
                                            {25, "hint \"Grüße, 煙 😀\""},
                                            {26, ""},
                                            {27, "  "}},
                                           true);
    const QDateTime when(QDate(2026, 12, 9), QTime(4, 30, 15), QTimeZone::utc());
    {
        EffectLibrary library(m_path);
        QCOMPARE(library.problem(), QString());
        QVERIFY(!QFile::exists(m_path));
        QCOMPARE(library.save(" Rauch 煙 ", {layerOf(fields)}, when), std::nullopt);
        QVERIFY(QFile::exists(m_path));
    }
    const EffectLibrary restarted(m_path);
    QCOMPARE(restarted.problem(), QString());
    QCOMPARE(restarted.effects().size(), 1);
    const Effect *effect = restarted.find("RAUCH 煙");
    QVERIFY(effect);
    QCOMPARE(effect->name, QString("Rauch 煙"));
    QCOMPARE(effect->layers.front().fields.texts, fields.texts);
    QCOMPARE(effect->layers.front().fields.separateColours, true);
    QCOMPARE(effect->saved, when);
    QVERIFY(!effect->builtIn);
}

void TestEffects::fileIsReadableJsonWithAVersion()
{
    EffectLibrary library(m_path);
    QCOMPARE(library.save("Mine", {layerOf(fieldsWith({{1, "cl_basic"}}))}), std::nullopt);
    const QByteArray bytes = readAll(m_path);
    QVERIFY(bytes.contains("\n    \"version\": 5"));
    QVERIFY(bytes.contains("\"setParticleRandom\": {"));
    QVERIFY(bytes.contains("\"Text1\": \"cl_basic\""));
    QVERIFY(bytes.contains("\"Check1\": false"));
    QVERIFY(!bytes.contains("Drop ["));
}

void TestEffects::sameNameIsReplacedWithoutRegardToCase()
{
    EffectLibrary library(m_path);
    QCOMPARE(library.save("Smoke A", {layerOf(fieldsWith({{5, "1"}}))}), std::nullopt);
    QCOMPARE(library.save("Other", {layerOf(fieldsWith({{5, "3"}}))}), std::nullopt);
    QCOMPARE(library.save("smoke a", {layerOf(fieldsWith({{5, "2"}}))}), std::nullopt);
    const EffectLibrary restarted(m_path);
    QCOMPARE(restarted.effects().size(), 2);
    QCOMPARE(restarted.find("SMOKE A")->name, QString("smoke a"));
    QCOMPARE(restarted.find("Smoke A")->layers.front().fields.texts.at(4), QString("2"));
    QCOMPARE(restarted.find("other")->layers.front().fields.texts.at(4), QString("3"));
}

void TestEffects::ownEffectsSortedWithoutRegardToCase()
{
    EffectLibrary library(m_path);
    for (const char *name : {"beta", "Alpha", "gamma", "Beta 2"})
        QCOMPARE(library.save(name, {layerOf(startFields())}), std::nullopt);
    QStringList names;
    const EffectLibrary restarted(m_path);
    for (const Effect &effect : restarted.effects())
        names << effect.name;
    QCOMPARE(names, QStringList({"Alpha", "beta", "Beta 2", "gamma"}));
}

void TestEffects::builtInNameRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("refusal");
    const QString builtIn = builtInEffects().at(0).name;
    QTest::newRow("as written") << builtIn << builtIn + " is a built-in effect; choose another name.";
    QTest::newRow("other case, blanks") << " " + builtIn.toUpper() + " "
                                        << builtIn + " is a built-in effect; choose another name.";
    QTest::newRow("empty") << ""
                           << "An effect needs a name.";
    QTest::newRow("blanks") << "   "
                            << "An effect needs a name.";
}

void TestEffects::builtInNameRefused()
{
    QFETCH(QString, name);
    QFETCH(QString, refusal);
    EffectLibrary library(m_path);
    QCOMPARE(EffectLibrary::nameRefusal(name), std::optional<QString>(refusal));
    QCOMPARE(library.save(name, {layerOf(startFields())}), std::optional<QString>(refusal));
    QVERIFY(!QFile::exists(m_path));
}

void TestEffects::removeDeletesOnlyThatEffect()
{
    EffectLibrary library(m_path);
    QCOMPARE(library.save("One", {layerOf(fieldsWith({{5, "1"}}))}), std::nullopt);
    QCOMPARE(library.save("Two", {layerOf(fieldsWith({{5, "2"}}))}), std::nullopt);
    QCOMPARE(library.remove("ONE"), std::nullopt);
    QVERIFY(library.remove("One").has_value());
    const EffectLibrary restarted(m_path);
    QCOMPARE(restarted.effects().size(), 1);
    QCOMPARE(restarted.effects().at(0).name, QString("Two"));
    QCOMPARE(restarted.effects().at(0).layers.front().fields.texts.at(4), QString("2"));
}

void TestEffects::unwritableFolderRefusedAndNothingLost()
{
    // The folder's place is taken by a file.
    writeAll(m_dir->filePath("data"), "not a folder");
    EffectLibrary library(m_path);
    const auto refusal = library.save("Mine", {layerOf(startFields())});
    QVERIFY(refusal.has_value());
    QVERIFY(refusal->contains("cannot"));
    QVERIFY(library.effects().isEmpty());
    QCOMPARE(readAll(m_dir->filePath("data")), QByteArray("not a folder"));
}

void TestEffects::sourceSettingsRoundTrip()
{
    EffectFields fields = fieldsWith({{5, "2"}});
    SourceSettings &source = fields.source;
    source.name = "_Fire";
    source.random.set = true;
    source.random.elements = 9;
    source.random.texts[SourceRandom::PositionX] = "_pv";
    source.random.texts[SourceRandom::PositionY] = "";
    source.random.texts[SourceRandom::Angle] = "360";
    source.random.texts[SourceRandom::BounceOnSurface] = "0.2"; // kept beyond the count, as written
    source.circle.texts = {"3", "0", " 0 ", "0.5"};             // unset, texts kept
    source.interval = {true, "(0.1)"};
    source.otherCommands = {"setParticleClass \"X\"", "setParticleFire [0.3,1,0.5]"};
    EffectLibrary library(m_path);
    QCOMPARE(library.save("Fire", {layerOf(fields)}), std::nullopt);
    QCOMPARE(library.save("Plain", {layerOf(startFields())}), std::nullopt);
    const EffectLibrary restarted(m_path);
    QCOMPARE(restarted.problem(), QString());
    QVERIFY(restarted.find("Fire")->layers.front().fields == fields);
    QVERIFY(restarted.find("Plain")->layers.front().fields == startFields());
    QVERIFY(!QFile::exists(restarted.earlierVersionPath(2)));
}

void TestEffects::layersKeptInTheFile()
{
    Layer fire = layerOf(fieldsWith({{1, "cl_fire"}, {5, "0.8"}}));
    fire.fields.source.name = "_fire";
    Layer smoke = layerOf(fieldsWith({{5, "_life"}}));
    smoke.fields.source.name = "_smoke";
    smoke.offset = {"0", "-0.5", "0.6 + _h"};
    smoke.start = "0.5";
    smoke.end = "12";
    smoke.muted = true;
    Layer haze = layerOf(startFields());
    haze.fields.source.name = "_haze";
    haze.fields.source.otherCommands = {"setParticleClass \"HeatHaze\""};
    haze.classOnly = true;
    EffectLibrary library(m_path);
    QCOMPARE(library.save("My campfire", {fire, smoke, haze}), std::nullopt);
    const EffectLibrary restarted(m_path);
    QCOMPARE(restarted.problem(), QString());
    QVERIFY(restarted.find("My campfire")->layers == (QList<Layer>{fire, smoke, haze}));
    // Layers that cannot be one effect are not saved.
    haze.fields.source.name = "_Fire";
    QCOMPARE(library.save("Twice", {fire, haze}),
             std::optional<QString>("The effect cannot be saved: two layers are named _Fire."));
    QVERIFY(!EffectLibrary(m_path).find("Twice"));
}

void TestEffects::lightLayerKeptInTheFile_data()
{
    QTest::addColumn<LightSettings>("light");
    LightSettings every;
    every.type = "#lightreflector";
    every.colour = {true, {"255", " 0.5 ", "_g * 2"}};
    every.ambient = {true, {"0.1", "0", "0.05"}};
    every.intensity = {true, "1e5"};
    every.brightness = {true, "(6.3)"};
    every.brightnessFirst = true;
    every.attenuation = {true, {"0.5", "0", "1", "0.25", "20", "25"}, ""};
    every.dayLight = {true, "TRUE"};
    every.useFlare = {true, "_flare"};
    every.flareSize = {true, "2.5"};
    every.flareMaxDistance = {true, "600"};
    every.flicker = {LightFlicker::Brightness, "0.8", "1.1", "0.05", "random 0.15"};
    every.otherCommands = {"setLightConePars [60, 30, 1]", "lightAttachObject [_flare, [0, 0, 0]]"};
    QTest::newRow("every value set") << every;
    QTest::newRow("none set") << LightSettings{};
    LightSettings unset = every;
    for (LightColour *colour : {&unset.colour, &unset.ambient})
        colour->set = false;
    for (LightValue *value : {&unset.intensity, &unset.brightness, &unset.dayLight, &unset.useFlare, &unset.flareSize,
                              &unset.flareMaxDistance})
        value->set = false;
    unset.attenuation.set = false;
    unset.flicker.kind = LightFlicker::None;
    QTest::newRow("unset, texts kept") << unset;
    LightSettings asWritten = newLight();
    asWritten.attenuation.asWritten = "[0, 1, 0, 2, 30, 40, 1]";
    asWritten.flicker = {LightFlicker::Intensity, "2000", "3000", "0.05", "0.12"};
    QTest::newRow("attenuation of seven values, intensity flickering") << asWritten;
    QTest::newRow("new light") << newLight();
}

void TestEffects::lightLayerKeptInTheFile()
{
    QFETCH(LightSettings, light);
    Layer fire = layerOf(fieldsWith({{1, "cl_fire"}}));
    fire.fields.source.name = "_fire";
    Layer glow = lightLayerOf("_Glow 2", light);
    glow.offset = {"0", "-0.5", "1 + _h"};
    glow.start = "0.25";
    glow.end = "_end";
    glow.muted = true;
    Layer flash = lightLayerOf("_flash", light);
    EffectLibrary library(m_path);
    QCOMPARE(library.save("Lit", {glow, fire, flash}), std::nullopt);
    const EffectLibrary restarted(m_path);
    QCOMPARE(restarted.problem(), QString());
    const QList<Layer> &layers = restarted.find("Lit")->layers;
    QCOMPARE(layers.size(), 3);
    QVERIFY(layers.at(0).isLight() && !layers.at(1).isLight() && layers.at(2).isLight());
    QCOMPARE(*layers.at(0).light, light);
    QVERIFY(layers == (QList<Layer>{glow, fire, flash}));
    // Read as the file holds it, the same again.
    QVERIFY(readEffectFile(writeEffectFile(restarted.effects())).effects.front().layers == layers);
}

void TestEffects::configClassNameKeptInTheFile()
{
    EffectFields fields = startFields();
    fields.configClass = {"CLASS(Flare_Blue)",
                          "FlareBase",
                          {{"interval", "\"0.5 * speedSize\"", "0.5 // ", false},
                           {"lifeTime", "", "1 // ", false},
                           {"size", "{2}", "1 // ", true}},
                          {{"ignoreWind", false, "true", false}, {"colorCoef", true, "SMOKE_RED", true}}};
    EffectLibrary library(m_path);
    QCOMPARE(library.save("Blue flare", {layerOf(fields)}), std::nullopt);
    QCOMPARE(library.save("Plain", {layerOf(startFields())}), std::nullopt);
    const QJsonObject root = QJsonDocument::fromJson(readAll(m_path)).object();
    QCOMPARE(root.value("version").toInt(), 5);
    const EffectLibrary restarted(m_path);
    QCOMPARE(restarted.problem(), QString());
    QVERIFY(restarted.find("Blue flare")->layers.front().fields == fields);
    QVERIFY(restarted.find("Plain")->layers.front().fields == startFields());
}

void TestEffects::complexEffectKeptInTheFile()
{
    // A complex effect as a config import leaves it: its root class, each layer's sub-class, a
    // light's CfgLights class and an external part.
    Layer flames = layerOf(fieldsWith({{1, "cl_fire"}}));
    flames.fields.source.name = "_Flames";
    flames.part = ConfigPart{"Flames",
                             "",
                             {{"simulation", false, "\"particles\"", false},
                              {"type", false, "MyTag_Flames", false},
                              {"position", true, "{0, 0, 0}", false},
                              {"qualityLevel", false, "-1", false}}};
    Layer light = lightLayerOf("_Light1", newLight());
    light.fields.configClass = {"MyTag_FireLight",
                                "",
                                {{"intensity", "\"2500*power\"", "2500", false}},
                                {{"diffuse", true, "{1, 0.45, 0.15}", false}, {"drawLight", false, "1", false}}};
    light.part = ConfigPart{"Light1", "Flames", {{"simulation", false, "light", false}}};
    Layer external = layerOf(startFields());
    external.fields.source.name = "_Boom";
    external.classOnly = true;
    external.part =
        ConfigPart{"Boom", "", {{"simulation", false, "\"sound\"", false}, {"type", false, "\"x\"", false}}};
    // The config's classes that no layer is, nested classes and all.
    const sqf::ConfigNode base{"MyTag_SmokeBase", "Default", {{"lifeTime", false, "20", false}}, {}};
    const sqf::ConfigNode lamp{"MyTag_Lamp",
                               "",
                               {{"intensity", false, "800", false}},
                               {{"Attenuation", "", {{"quadratic", false, "1", false}}, {}}}};
    const ConfigEffect root{"MyTag_Campfire",
                            "",
                            {{"access", false, "0", false}},
                            {{"CfgCloudlets", base}, {"cfgLights", lamp}, {"", base}}};
    EffectLibrary library(m_path);
    QCOMPARE(library.save("Modded fire", {flames, light, external}, QDateTime::currentDateTimeUtc(), root),
             std::nullopt);
    QCOMPARE(library.save("Plain", {layerOf(startFields())}), std::nullopt);
    const EffectLibrary restarted(m_path);
    QCOMPARE(restarted.problem(), QString());
    const Effect &read = *restarted.find("Modded fire");
    QVERIFY(read.layers == (QList<Layer>{flames, light, external}));
    QVERIFY(read.configEffect == root);
    QVERIFY(restarted.find("Plain")->configEffect == ConfigEffect{});
    QVERIFY(!restarted.find("Plain")->layers.front().part);
}

void TestEffects::earlierVersionFileLoadsAndIsKept_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<bool>("withSource");
    QTest::newRow("first: no source settings") << 1 << false;
    QTest::newRow("second: a class without marks") << 2 << true;
    QTest::newRow("third: one layer") << 3 << true;
    QTest::newRow("fourth: layers without lights") << 4 << true;
}

void TestEffects::earlierVersionFileLoadsAndIsKept()
{
    QFETCH(int, version);
    QFETCH(bool, withSource);
    // A file as the earlier version wrote it: from the fourth on, with its layers.
    Layer smoke = layerOf(fieldsWith({{5, "9"}}));
    smoke.fields.source.name = "_smoke";
    smoke.offset = {"0", "0", "0.6"};
    smoke.start = "0.5";
    const QList<Layer> layers =
        version < 4 ? QList<Layer>{layerOf(startFields())} : QList<Layer>{layerOf(startFields()), smoke};
    const QJsonObject smokeClass{{"name", "Smoke"}, {"base", "Default"}};
    QJsonObject root = QJsonDocument::fromJson(damagedFile(
                                                   [&](QJsonObject &root, QJsonObject &effect) {
                                                       root.insert("version", version);
                                                       if (version >= 4) {
                                                           QJsonArray list = effect.value("layers").toArray();
                                                           QJsonObject first = list.at(0).toObject();
                                                           first.insert("configClass", smokeClass);
                                                           list[0] = first;
                                                           effect.insert("layers", list);
                                                       } else if (!withSource) {
                                                           effect.remove("source");
                                                       } else {
                                                           effect.insert("configClass", smokeClass);
                                                       }
                                                   },
                                                   layers))
                           .object();
    const QByteArray earlier = QJsonDocument(root).toJson();
    QVERIFY(QDir().mkpath(QFileInfo(m_path).absolutePath()));
    writeAll(m_path, earlier);

    EffectLibrary library(m_path);
    QCOMPARE(library.problem(), QString());
    QCOMPARE(library.effects().size(), 1);
    QCOMPARE(library.find("Mine")->layers.size(), layers.size());
    QVERIFY(library.find("Mine")->layers.front().fields.source == SourceSettings{});
    const EffectClass expected = withSource ? EffectClass{"Smoke", "Default", {}, {}} : EffectClass{};
    QCOMPARE(library.find("Mine")->layers.front().fields.configClass, expected);
    if (version >= 4)
        QVERIFY(library.find("Mine")->layers.back() == smoke);
    const QString copy = library.earlierVersionPath(version);
    QVERIFY(!QFile::exists(copy));
    QCOMPARE(copy, m_dir->filePath(QString("data/effects.v%1.json").arg(version)));

    EffectFields fields = startFields();
    fields.source.interval = {true, "0.2"};
    QCOMPARE(library.save("Other", {layerOf(fields), lightLayerOf("_light", newLight())}), std::nullopt);
    QCOMPARE(readAll(copy), earlier);
    const EffectLibrary restarted(m_path);
    QCOMPARE(restarted.effects().size(), 2);
    QVERIFY(restarted.find("Other")->layers == (QList<Layer>{layerOf(fields), lightLayerOf("_light", newLight())}));
    QCOMPARE(restarted.find("Mine")->layers.size(), layers.size());
    QVERIFY(readAll(m_path).contains("\"version\": 5"));
    // Written again in the current version, nothing more is copied.
    QCOMPARE(restarted.earlierVersionPath(kEffectFileVersion), m_dir->filePath("data/effects.v5.json"));
    EffectLibrary again(m_path);
    QCOMPARE(again.remove("Other"), std::nullopt);
    QCOMPARE(QDir(m_dir->filePath("data")).entryList(QDir::Files),
             QStringList({"effects.json", QString("effects.v%1.json").arg(version)}));
}

void TestEffects::firstVersionCopyIsNeverOverwritten()
{
    QJsonObject root = QJsonDocument::fromJson(damagedFile([](QJsonObject &root, QJsonObject &effect) {
                           root.insert("version", 1);
                           effect.remove("source");
                       })).object();
    QVERIFY(QDir().mkpath(QFileInfo(m_path).absolutePath()));
    writeAll(m_path, QJsonDocument(root).toJson());
    EffectLibrary library(m_path);
    writeAll(library.earlierVersionPath(1), "an earlier copy");
    QCOMPARE(library.remove("Mine"), std::nullopt);
    QCOMPARE(readAll(library.earlierVersionPath(1)), QByteArray("an earlier copy"));
    QVERIFY(library.effects().isEmpty());
}

void TestEffects::damagedFileReportedAndKept_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("what");
    QTest::newRow("not JSON") << QByteArray("{\n  \"version\": 1,\n  \"effects\": [\n") << "it is not JSON (";
    QTest::newRow("a list of names") << QByteArray("[\"Mine\"]") << "it holds no object with a format version";
    QTest::newRow("empty file") << QByteArray() << "it is not JSON (";
    QTest::newRow("no version") << damagedFile([](QJsonObject &root, QJsonObject &) { root.remove("version"); })
                                << "it names no format version";
    QTest::newRow("later version") << damagedFile([](QJsonObject &root, QJsonObject &) { root.insert("version", 6); })
                                   << "it has the format version 6; this program reads versions 1 to 5";
    QTest::newRow("no version 0") << damagedFile([](QJsonObject &root, QJsonObject &) { root.insert("version", 0); })
                                  << "it has the format version 0;";
    QTest::newRow("no source settings") << damagedFile([](QJsonObject &, QJsonObject &effect) {
        effect.remove("source");
    }) << "effect 1 (\"Mine\") has no source settings";
    QTest::newRow("seven random elements") << damagedFile([](QJsonObject &, QJsonObject &effect) {
        QJsonObject source = effect.value("source").toObject();
        QJsonObject random = source.value("setParticleRandom").toObject();
        random.insert("elements", 7);
        source.insert("setParticleRandom", random);
        effect.insert("source", source);
    }) << "effect 1 (\"Mine\") has a setParticleRandom that cannot be read";
    QTest::newRow("circle of three values") << damagedFile([](QJsonObject &, QJsonObject &effect) {
        QJsonObject source = effect.value("source").toObject();
        QJsonObject circle = source.value("setParticleCircle").toObject();
        circle.insert("values", QJsonArray{"1", "0", "0"});
        source.insert("setParticleCircle", circle);
        effect.insert("source", source);
    }) << "effect 1 (\"Mine\") has a setParticleCircle that cannot be read";
    QTest::newRow("interval a number") << damagedFile([](QJsonObject &, QJsonObject &effect) {
        QJsonObject source = effect.value("source").toObject();
        source.insert("setDropInterval", QJsonObject{{"set", true}, {"value", 0.1}});
        effect.insert("source", source);
    }) << "effect 1 (\"Mine\") has a setDropInterval that cannot be read";
    QTest::newRow("missing field") << damagedFile([](QJsonObject &, QJsonObject &effect) {
        QJsonObject fields = effect.value("fields").toObject();
        fields.remove("Text5");
        effect.insert("fields", fields);
    }) << "effect 1 (\"Mine\") has no Text5";
    QTest::newRow("number for a text") << damagedFile([](QJsonObject &, QJsonObject &effect) {
        QJsonObject fields = effect.value("fields").toObject();
        fields.insert("Text13", 1.25);
        effect.insert("fields", fields);
    }) << "effect 1 (\"Mine\") has a Text13 that is not a text";
    QTest::newRow("empty name") << damagedFile([](QJsonObject &, QJsonObject &effect) { effect.insert("name", " "); })
                                << "effect 1 has an empty name";
    QTest::newRow("no name") << damagedFile([](QJsonObject &, QJsonObject &effect) { effect.remove("name"); })
                             << "effect 1 has no name";
    QTest::newRow("Check1 a text") << damagedFile([](QJsonObject &, QJsonObject &effect) {
        effect.insert("Check1", "0");
    }) << "effect 1 (\"Mine\") has no Check1 of true or false";
    QTest::newRow("config class a text") << damagedFile([](QJsonObject &, QJsonObject &effect) {
        effect.insert("configClass", "Smoke");
    }) << "effect 1 (\"Mine\") has a configClass that cannot be read";
    QTest::newRow("config class mark without its import") << damagedFile([](QJsonObject &, QJsonObject &effect) {
        effect.insert(
            "configClass",
            QJsonObject{{"name", "A"}, {"base", "Default"}, {"marks", QJsonArray{QJsonObject{{"field", "interval"}}}}});
    }) << "effect 1 (\"Mine\") has a configClass that cannot be read";
    QTest::newRow("config-only fields an object") << damagedFile([](QJsonObject &, QJsonObject &effect) {
        effect.insert("configClass", QJsonObject{{"name", "A"}, {"base", "Default"}, {"configOnly", QJsonObject{}}});
    }) << "effect 1 (\"Mine\") has a configClass that cannot be read";
    QTest::newRow("saved not a date") << damagedFile([](QJsonObject &, QJsonObject &effect) {
        effect.insert("saved", "today");
    }) << "effect 1 (\"Mine\") has a time of saving that is not a date";
    Layer smoke = layerOf(startFields());
    smoke.fields.source.name = "_smoke";
    const QList<Layer> two{layerOf(startFields()), smoke};
    const auto secondLayer = [two](const std::function<void(QJsonObject & layer)> &damage) {
        return damagedFile(
            [&damage](QJsonObject &, QJsonObject &effect) {
                QJsonArray layers = effect.value("layers").toArray();
                QJsonObject layer = layers.at(1).toObject();
                damage(layer);
                layers[1] = layer;
                effect.insert("layers", layers);
            },
            two);
    };
    QTest::newRow("no layers") << damagedFile(
        [](QJsonObject &, QJsonObject &effect) { effect.insert("layers", QJsonArray{}); }, two)
                               << "effect 1 (\"Mine\") has no layers";
    QTest::newRow("a layer without its offset") << secondLayer([](QJsonObject &layer) { layer.remove("offset"); })
                                                << "effect 1 (\"Mine\"), layer 2, has no offset of three texts";
    QTest::newRow("a layer's start a number") << secondLayer([](QJsonObject &layer) { layer.insert("start", 1); })
                                              << "effect 1 (\"Mine\"), layer 2, has no start and end texts";
    QTest::newRow("a layer without its fields") << secondLayer([](QJsonObject &layer) { layer.remove("fields"); })
                                                << "effect 1 (\"Mine\"), layer 2, has no fields";
    QTest::newRow("two layers of one name") << secondLayer([](QJsonObject &layer) {
        QJsonObject source = layer.value("source").toObject();
        source.insert("name", "_PS");
        layer.insert("source", source);
    }) << "effect 1 (\"Mine\") cannot be one effect: two layers are named _PS";

    // A light layer after the particle layer, changed by the damage, or its light's object.
    const QList<Layer> lit{layerOf(startFields()), lightLayerOf("_light", newLight())};
    const auto lightLayer = [lit](const std::function<void(QJsonObject & layer)> &damage, int version = 5) {
        return damagedFile(
            [&damage, version](QJsonObject &root, QJsonObject &effect) {
                root.insert("version", version);
                QJsonArray layers = effect.value("layers").toArray();
                QJsonObject layer = layers.at(1).toObject();
                damage(layer);
                layers[1] = layer;
                effect.insert("layers", layers);
            },
            lit);
    };
    const auto secondLight = [lightLayer](const std::function<void(QJsonObject & light)> &damage) {
        return lightLayer([&damage](QJsonObject &layer) {
            QJsonObject light = layer.value("light").toObject();
            damage(light);
            layer.insert("light", light);
        });
    };
    const auto lightValue = [](const char *key, const QJsonValue &value) {
        return [key, value](QJsonObject &light) {
            QJsonObject command = light.value(key).toObject();
            command.insert("value", value);
            light.insert(key, command);
        };
    };
    const auto lightEntry = [](const char *key, const char *entry, const QJsonValue &value) {
        return [key, entry, value](QJsonObject &light) {
            QJsonObject object = light.value(key).toObject();
            if (value.isUndefined())
                object.remove(entry);
            else
                object.insert(entry, value);
            light.insert(key, object);
        };
    };
    const QString light = "effect 1 (\"Mine\"), layer 2, has ";
    QTest::newRow("a light a text") << lightLayer([](QJsonObject &layer) { layer.insert("light", "warm"); })
                                    << light + "a light that is not an object";
    QTest::newRow("a light class a text")
        << lightLayer([](QJsonObject &layer) { layer.insert("configClass", "MyTag_Light"); })
        << light + "a light class that cannot be read";
    QTest::newRow("a config part without its base") << lightLayer([](QJsonObject &layer) {
        layer.insert("configPart", QJsonObject{{"name", "Light1"}, {"entries", QJsonArray{}}});
    }) << light + "a configPart that cannot be read";
    QTest::newRow("a config part's field a number") << lightLayer([](QJsonObject &layer) {
        layer.insert("configPart", QJsonObject{{"name", "Light1"}, {"base", ""}, {"entries", QJsonArray{1}}});
    }) << light + "a configPart that cannot be read";
    QTest::newRow("a root class without its fields") << damagedFile(
        [](QJsonObject &root, QJsonObject &effect) {
            root.insert("version", 5);
            effect.insert("configEffect", QJsonObject{{"name", "MyTag_Fire"}, {"base", ""}});
        },
        lit) << "effect 1 (\"Mine\") has a configEffect that cannot be read";
    QTest::newRow("a kept class without its wrapper") << damagedFile(
        [](QJsonObject &root, QJsonObject &effect) {
            root.insert("version", 5);
            const QJsonObject kept{{"class", QJsonObject{{"name", "A"}, {"base", ""}, {"entries", QJsonArray{}}}}};
            effect.insert("configEffect", QJsonObject{{"name", "MyTag_Fire"},
                                                      {"base", ""},
                                                      {"entries", QJsonArray{}},
                                                      {"keptClasses", QJsonArray{kept}}});
        },
        lit) << "effect 1 (\"Mine\") has a configEffect that cannot be read";
    QTest::newRow("a kept class's inner class a text") << damagedFile(
        [](QJsonObject &root, QJsonObject &effect) {
            root.insert("version", 5);
            const QJsonObject inner{
                {"name", "A"}, {"base", ""}, {"entries", QJsonArray{}}, {"classes", QJsonArray{"B"}}};
            effect.insert("configEffect",
                          QJsonObject{{"name", "MyTag_Fire"},
                                      {"base", ""},
                                      {"entries", QJsonArray{}},
                                      {"keptClasses", QJsonArray{QJsonObject{{"wrapper", ""}, {"class", inner}}}}});
        },
        lit) << "effect 1 (\"Mine\") has a configEffect that cannot be read";
    QTest::newRow("a light without its name")
        << lightLayer([](QJsonObject &layer) { layer.remove("name"); }) << light + "a light without a name";
    QTest::newRow("a light without its type")
        << secondLight([](QJsonObject &l) { l.remove("type"); }) << light + "a light without its type";
    QTest::newRow("a colour of two values")
        << secondLight(lightEntry("setLightColor", "values", QJsonArray{"1", "0.5"}))
        << light + "a setLightColor that cannot be read";
    QTest::newRow("an ambient without its set flag")
        << secondLight(lightEntry("setLightAmbient", "set", QJsonValue::Undefined))
        << light + "a setLightAmbient that cannot be read";
    QTest::newRow("an intensity a number")
        << secondLight(lightValue("setLightIntensity", 2500)) << light + "a setLightIntensity that cannot be read";
    QTest::newRow("a brightness without its text")
        << secondLight(lightEntry("setLightBrightness", "value", QJsonValue::Undefined))
        << light + "a setLightBrightness that cannot be read";
    QTest::newRow("day light set by a text") << secondLight(lightEntry("setLightDayLight", "set", "true"))
                                             << light + "a setLightDayLight that cannot be read";
    QTest::newRow("use flare a switch") << secondLight(lightValue("setLightUseFlare", true))
                                        << light + "a setLightUseFlare that cannot be read";
    QTest::newRow("no flare size") << secondLight([](QJsonObject &l) { l.remove("setLightFlareSize"); })
                                   << light + "a setLightFlareSize that cannot be read";
    QTest::newRow("flare distance a number") << secondLight(lightValue("setLightFlareMaxDistance", 300))
                                             << light + "a setLightFlareMaxDistance that cannot be read";
    QTest::newRow("no brightness order") << secondLight([](QJsonObject &l) { l.remove("brightnessFirst"); })
                                         << light + "no brightnessFirst of true or false";
    QTest::newRow("attenuation of five values")
        << secondLight(lightEntry("setLightAttenuation", "values", QJsonArray{"0", "0", "0", "2", "30"}))
        << light + "a setLightAttenuation that cannot be read";
    QTest::newRow("attenuation as written a list")
        << secondLight(lightEntry("setLightAttenuation", "asWritten", QJsonArray{"0", "1", "0", "2"}))
        << light + "a setLightAttenuation that cannot be read";
    QTest::newRow("a flicker of another kind")
        << secondLight(lightEntry("flicker", "kind", "colour")) << light + "a light's flicker that cannot be read";
    QTest::newRow("a flicker kind by its number")
        << secondLight(lightEntry("flicker", "kind", 1)) << light + "a light's flicker that cannot be read";
    QTest::newRow("a flicker bound a number")
        << secondLight(lightEntry("flicker", "low", 0.5)) << light + "a light's flicker that cannot be read";
    QTest::newRow("no flicker period") << secondLight(lightEntry("flicker", "longest", QJsonValue::Undefined))
                                       << light + "a light's flicker that cannot be read";
    QTest::newRow("other light commands a text")
        << secondLight([](QJsonObject &l) { l.insert("otherCommands", "setLightConePars [1,2,3]"); })
        << light + "no list of other light commands";
    QTest::newRow("another light command a number") << secondLight([](QJsonObject &l) {
        l.insert("otherCommands", QJsonArray{"lightAttachObject [_o,[0,0,1]]", 2});
    }) << light + "another light command that is not a text";
    QTest::newRow("a light without its mute mark")
        << lightLayer([](QJsonObject &layer) { layer.remove("muted"); }) << light + "no muted of true or false";
    QTest::newRow("a light in a file of the fourth version")
        << lightLayer([](QJsonObject &) {}, 4) << light + "no fields";
    QTest::newRow("lights only") << damagedFile(
        [](QJsonObject &, QJsonObject &) {}, {lightLayerOf("_light", newLight()), lightLayerOf("_flash", newLight())})
                                 << "effect 1 (\"Mine\") cannot be one effect: an effect has at least one particle "
                                    "layer";
}

void TestEffects::damagedFileReportedAndKept()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, what);
    QVERIFY(QDir().mkpath(QFileInfo(m_path).absolutePath()));
    writeAll(m_path, bytes);

    EffectLibrary library(m_path);
    const QString problem = library.problem();
    QVERIFY2(problem.contains(QDir::toNativeSeparators(m_path)), qPrintable(problem));
    QVERIFY2(problem.contains(what), qPrintable(problem));
    if (what.startsWith("it is not JSON"))
        QVERIFY2(problem.contains(" at byte "), qPrintable(problem));
    QVERIFY(library.effects().isEmpty());

    QCOMPARE(library.save("New", {layerOf(startFields())}), std::optional<QString>(problem));
    QCOMPARE(library.remove("Mine"), std::optional<QString>(problem));
    QCOMPARE(readAll(m_path), bytes);
    QVERIFY(QFileInfo(m_path).isFile());

    // Mended, the file takes effects again.
    QVERIFY(QFile::remove(m_path));
    QCOMPARE(library.save("New", {layerOf(startFields())}), std::nullopt);
    QCOMPARE(EffectLibrary(m_path).effects().size(), 1);
}

void TestEffects::layerNames_data()
{
    QTest::addColumn<QStringList>("names"); // the effect's layers
    QTest::addColumn<QString>("wanted");
    QTest::addColumn<QString>("unique");
    QTest::addColumn<QString>("problem"); // of the layers with the unique name added
    QTest::newRow("free name kept") << QStringList{"_fire"} << "_smoke"
                                    << "_smoke"
                                    << "";
    QTest::newRow("taken: numbered from 2") << QStringList{"_ps"} << "_ps"
                                            << "_ps2"
                                            << "";
    QTest::newRow("taken in another letter case") << QStringList{"_Smoke"} << "_smoke"
                                                  << "_smoke2"
                                                  << "";
    QTest::newRow("numbers go on past the taken ones") << QStringList{"_ps", "_ps2", "_ps3"} << "_ps2"
                                                       << "_ps4"
                                                       << "";
    QTest::newRow("blank wanted") << QStringList{"_ps"} << "  "
                                  << "_ps2"
                                  << "";
    QTest::newRow("a copy of a numbered layer") << QStringList{"_ps", "_ps2"} << "_ps2"
                                                << "_ps3"
                                                << "";
    QTest::newRow("names given twice before") << QStringList{"_a", "_A"} << "_b"
                                              << "_b"
                                              << "two layers are named _A";
    QTest::newRow("an empty name before") << QStringList{"_a", ""} << "_b"
                                          << "_b"
                                          << "layer 2 has no name";
}

void TestEffects::layerNames()
{
    QFETCH(QStringList, names);
    QFETCH(QString, wanted);
    QFETCH(QString, unique);
    QFETCH(QString, problem);
    QList<Layer> layers;
    for (const QString &name : names) {
        Layer layer = layerOf(startFields());
        layer.fields.source.name = name;
        layers << layer;
    }
    QCOMPARE(uniqueLayerName(layers, wanted), unique);
    Layer added = layerOf(startFields());
    added.fields.source.name = unique;
    layers << added;
    QCOMPARE(layersProblem(layers), problem);
    QCOMPARE(layersProblem({}), QString("an effect has at least one layer"));
}

void TestEffects::configClassFields_data()
{
    QTest::addColumn<QStringList>("changed"); // "number:text" of the fields that differ from the start
    QTest::addColumn<SourceSettings>("source");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("line");

    SourceSettings none;
    SourceSettings random;
    random.random.set = true;
    random.random.texts[SourceRandom::LifeTime] = "2";
    random.random.texts[SourceRandom::PositionZ] = "0.3";
    random.random.texts[SourceRandom::VelocityX] = "1.5";
    random.random.texts[SourceRandom::ColorA] = "0.1";
    random.random.texts[SourceRandom::Angle] = "360"; // beyond the eight elements written
    SourceSettings ten = random;
    ten.random.elements = 10;
    ten.random.texts[SourceRandom::BounceOnSurface] = "_b";
    SourceSettings circle;
    circle.circle.set = true;
    circle.circle.texts = {"2", "1", "2", "3"};
    circle.interval = {true, "0.5 * 0.1"};
    SourceSettings wholeSpread = random;
    wholeSpread.random.texts[SourceRandom::PositionX] = "_spread";
    wholeSpread.random.texts[SourceRandom::PositionY] = "";
    wholeSpread.random.texts[SourceRandom::PositionZ] = "";

    const QStringList sheet{R"(1:["\a\Universal", 16, 12, 8, 0])"};
    QTest::newRow("shape file") << sheet << none << "particleShape"
                                << R"(particleShape = "\a\Universal";)";
    QTest::newRow("shape ntieth") << sheet << none << "particleFSNtieth"
                                  << "particleFSNtieth = 16;";
    QTest::newRow("shape index") << sheet << none << "particleFSIndex"
                                 << "particleFSIndex = 12;";
    QTest::newRow("shape frames") << sheet << none << "particleFSFrameCount"
                                  << "particleFSFrameCount = 8;";
    QTest::newRow("shape loop") << sheet << none << "particleFSLoop"
                                << "particleFSLoop = 0;";
    QTest::newRow("shape loop left out") << QStringList{R"(1:["\a\U", 8, 0, 4])"} << none << "particleFSLoop"
                                         << "particleFSLoop = 1;";
    QTest::newRow("plain shape") << QStringList{R"(1:\ca\data\cl_basic)"} << none << "particleShape"
                                 << R"(particleShape = "\ca\data\cl_basic";)";
    QTest::newRow("plain shape ntieth") << QStringList{"1:cl_basic"} << none << "particleFSNtieth"
                                        << "particleFSNtieth = 1;";
    QTest::newRow("plain shape index") << QStringList{"1:cl_basic"} << none << "particleFSIndex"
                                       << "particleFSIndex = 0;";
    QTest::newRow("plain shape frames") << QStringList{"1:cl_basic"} << none << "particleFSFrameCount"
                                        << "particleFSFrameCount = 1;";
    QTest::newRow("plain shape loop") << QStringList{"1:cl_basic"} << none << "particleFSLoop"
                                      << "particleFSLoop = 1;";
    QTest::newRow("shape array with a variable file")
        << QStringList{"1:[_fetti, 1, 0, 1, 1]"} << none << "particleShape"
        << R"(particleShape = "_fetti"; // stands for "_fetti", a text the preview cannot work out: written as it stands)";
    QTest::newRow("shape array with a variable file, its ntieth")
        << QStringList{"1:[_fetti, 4, 2, 1, 1]"} << none << "particleFSNtieth"
        << "particleFSNtieth = 4;";
    QTest::newRow("shape array with a number for its file")
        << QStringList{"1:[11111]"} << none << "particleShape"
        << R"(particleShape = "11111"; // stands for "11111", a text the preview cannot work out: written as it stands)";
    QTest::newRow("empty brackets are a name") << QStringList{"1:[]"} << none << "particleShape"
                                               << R"(particleShape = "[]";)";
    QTest::newRow("type") << QStringList{"3:Billboard"} << none << "particleType"
                          << R"(particleType = "Billboard";)";
    QTest::newRow("quotes doubled") << QStringList{R"(25:hint "on";)"} << none << "onTimerScript"
                                    << R"(onTimerScript = "hint ""on"";";)";
    QTest::newRow("before destroy") << QStringList{"26:x=1"} << none << "beforeDestroyScript"
                                    << R"(beforeDestroyScript = "x=1";)";
    QTest::newRow("timer period") << QStringList{"4:1.5"} << none << "timerPeriod"
                                  << "timerPeriod = 1.5;";
    QTest::newRow("position height second") << QStringList{"6:1", "7:2", "8:3"} << none << "position"
                                            << "position[] = {1, 3, 2};";
    QTest::newRow("rising smoke") << QStringList{"11:0.5"} << none << "moveVelocity"
                                  << "moveVelocity[] = {0, 0.5, 0};";
    QTest::newRow("size keys") << QStringList{"16:1", "17:2,3", "18:4"} << none << "size"
                               << "size[] = {1, 2, 3, 4};";
    QTest::newRow("one size") << QStringList{"16:7", "17:", "18:"} << none << "size"
                              << "size[] = {7};";
    QTest::newRow("colours") << QStringList{"19:[1,1,1,0.7],[1,1,1,0]"} << none << "color"
                             << "color[] = {{1, 1, 1, 0.7}, {1, 1, 1, 0}};";
    QTest::newRow("animation speed") << QStringList{"20:0.2", "21:0.5", "22:1"} << none << "animationSpeed"
                                     << "animationSpeed[] = {0.2, 0.5, 1};";
    QTest::newRow("direction period") << QStringList{"23:1"} << none << "randomDirectionPeriod"
                                      << "randomDirectionPeriod = 1;";
    QTest::newRow("angle") << QStringList{R"(27:"", 90, true, 0.5, [[100, 50, 0, 0]])"} << none << "angle"
                           << "angle = 90;";
    QTest::newRow("on surface true") << QStringList{R"(27:"", 90, true, 0.5, [[100, 50, 0, 0]])"} << none << "onSurface"
                                     << "onSurface = 1;";
    QTest::newRow("on surface false") << QStringList{R"(27:"", 0, false)"} << none << "onSurface"
                                      << "onSurface = 0;";
    QTest::newRow("bounce") << QStringList{R"(27:"", 90, true, 0.5, [[100, 50, 0, 0]])"} << none << "bounceOnSurface"
                            << "bounceOnSurface = 0.5;";
    QTest::newRow("no bounce") << QStringList{"27:player"} << none << "bounceOnSurface"
                               << "bounceOnSurface = -1;";
    QTest::newRow("emissive") << QStringList{R"(27:"", 90, true, 0.5, [[100, 50, 0, 0]])"} << none << "emissiveColor"
                              << "emissiveColor[] = {{100, 50, 0, 0}};";
    QTest::newRow("interval unset") << QStringList{} << none << "interval"
                                    << "interval = 0.05;";
    QTest::newRow("interval worked out") << QStringList{} << circle << "interval"
                                         << R"(interval = 0.05; // stands for "0.5 * 0.1")";
    QTest::newRow("circle radius") << QStringList{} << circle << "circleRadius"
                                   << "circleRadius = 2;";
    QTest::newRow("circle height second") << QStringList{} << circle << "circleVelocity"
                                          << "circleVelocity[] = {1, 3, 2};";
    QTest::newRow("no circle") << QStringList{} << none << "circleVelocity"
                               << "circleVelocity[] = {0, 0, 0};";
    QTest::newRow("life time spread") << QStringList{} << random << "lifeTimeVar"
                                      << "lifeTimeVar = 2;";
    QTest::newRow("position spread height second") << QStringList{} << random << "positionVar"
                                                   << "positionVar[] = {0, 0.3, 0};";
    QTest::newRow("velocity spread") << QStringList{} << random << "moveVelocityVar"
                                     << "moveVelocityVar[] = {1.5, 0, 0};";
    QTest::newRow("colour spread") << QStringList{} << random << "colorVar"
                                   << "colorVar[] = {0, 0, 0, 0.1};";
    QTest::newRow("angle spread beyond eight") << QStringList{} << random << "angleVar"
                                               << "angleVar = 0;";
    QTest::newRow("angle spread of ten") << QStringList{} << ten << "angleVar"
                                         << "angleVar = 360;";
    QTest::newRow("bounce spread a variable")
        << QStringList{} << ten << "bounceOnSurfaceVar"
        << R"(bounceOnSurfaceVar = 0; // stands for "_b" with the preview's assumed _b = 0)";
    QTest::newRow("no randomness") << QStringList{} << none << "sizeVar"
                                   << "sizeVar = 0;";
    QTest::newRow("spread for a whole vector")
        << QStringList{} << wholeSpread << "positionVar"
        << R"(positionVar[] = {0, 0, 0}; // 1: the spread is "_spread", one expression for all of it: 0 written)";
    QTest::newRow("random middle")
        << QStringList{"6:-0.15+random 0.3"} << none << "position"
        << R"(position[] = {0, 0, 0}; // 1: stands for "-0.15+random 0.3": the middle of its draw)";
    QTest::newRow("random spread to its Var")
        << QStringList{"6:-0.15+random 0.3"} << none << "positionVar"
        << "positionVar[] = {0.15, 0, 0}; // 1: 0.15 from the field's random draw";
    QTest::newRow("random height to its Var") << QStringList{"8:1 + random 1"} << none << "positionVar"
                                              << "positionVar[] = {0, 0.5, 0}; // 2: 0.5 from the field's random draw";
    QTest::newRow("random added to the source's spread") << QStringList{"5:9 + random 2"} << random << "lifeTimeVar"
                                                         << "lifeTimeVar = 3; // 1 from the field's random draw";
    QTest::newRow("random life time middle")
        << QStringList{"5:9 + random 2"} << none << "lifeTime"
        << R"(lifeTime = 10; // stands for "9 + random 2": the middle of its draw)";
    QTest::newRow("random without a Var") << QStringList{"13:random 2"} << none << "weight"
                                          << R"(weight = 1; // stands for "random 2": the middle of its draw)";
    QTest::newRow("random size to sizeVar") << QStringList{"16:1", "17:random 1", "18:1"} << none << "sizeVar"
                                            << "sizeVar = 0.5; // 0.5 from the field's random draw";
    QTest::newRow("random colour to colorVar") << QStringList{"19:[1,1,1,0.5+random 0.2]"} << none << "colorVar"
                                               << "colorVar[] = {0, 0, 0, 0.1}; // 4: 0.1 from the field's random draw";
    QTest::newRow("variable assumed") << QStringList{"13:_w * 2"} << none << "weight"
                                      << R"(weight = 3; // stands for "_w * 2" with the preview's assumed _w = 1.5)";
    QTest::newRow("variable in a vector")
        << QStringList{"9:_up", "10:", "11:"} << none << "moveVelocity"
        << R"(moveVelocity[] = {0, 0, 0}; // 1: the vector is "_up", one expression for all of it: 0 written)";
    QTest::newRow("game command")
        << QStringList{"5:getPos player select 2"} << none << "lifeTime"
        << R"(lifeTime = 0; // stands for "getPos player select 2", which cannot be worked out here: 0 written)";
    QTest::newRow("arithmetic") << QStringList{"14:3*10"} << none << "volume"
                                << R"(volume = 30; // stands for "3*10")";
}

void TestEffects::configClassFields()
{
    QFETCH(QStringList, changed);
    QFETCH(SourceSettings, source);
    QFETCH(QString, field);
    QFETCH(QString, line);
    EffectFields fields = startFields();
    for (const QString &change : changed)
        fields.texts[change.section(':', 0, 0).toInt() - 1] = change.section(':', 1);
    const QStringList lines = configClassLines(fields.texts, source, {"Smoke", "Default", {}, {}}, {{"_w", 1.5}});
    QCOMPARE(classLine(lines, field), line);
}

void TestEffects::configClassHeaderAndObject()
{
    EffectFields fields = startFields();
    fields.texts[26] = "player, 0, false";
    const QStringList lines = configClassLines(fields.texts, {}, {"CLASS(Flare_Blue)", "FlareBase", {}, {}});
    QVERIFY2(lines.at(0).startsWith("// ") && lines.at(0).contains("CfgCloudlets")
                 && lines.at(0).contains(R"x(setParticleClass "CLASS(Flare_Blue)")x"),
             qPrintable(lines.at(0)));
    QCOMPARE(lines.at(1), "class CLASS(Flare_Blue): FlareBase {");
    QCOMPARE(lines.back(), "};");
    QVERIFY(lines.contains("    // The object (player) has no field in a class: the source it is given to places it."));
    // Every field once, in the order of the script form, each line ended.
    QStringList names;
    for (const QString &line : lines.mid(2, lines.size() - 3))
        if (!line.trimmed().startsWith("//")) {
            QVERIFY2(line.section("//", 0, 0).trimmed().endsWith(';'), qPrintable(line));
            names << line.trimmed().section(' ', 0, 0).remove("[]");
        }
    QCOMPARE(names, QStringList({"interval",
                                 "circleRadius",
                                 "circleVelocity",
                                 "particleShape",
                                 "particleFSNtieth",
                                 "particleFSIndex",
                                 "particleFSFrameCount",
                                 "particleFSLoop",
                                 "animationName",
                                 "particleType",
                                 "timerPeriod",
                                 "lifeTime",
                                 "position",
                                 "moveVelocity",
                                 "rotationVelocity",
                                 "weight",
                                 "volume",
                                 "rubbing",
                                 "size",
                                 "color",
                                 "animationSpeed",
                                 "randomDirectionPeriod",
                                 "randomDirectionIntensity",
                                 "onTimerScript",
                                 "beforeDestroyScript",
                                 "angle",
                                 "onSurface",
                                 "bounceOnSurface",
                                 "emissiveColor",
                                 "lifeTimeVar",
                                 "positionVar",
                                 "moveVelocityVar",
                                 "rotationVelocityVar",
                                 "sizeVar",
                                 "colorVar",
                                 "randomDirectionPeriodVar",
                                 "randomDirectionIntensityVar",
                                 "angleVar",
                                 "bounceOnSurfaceVar"}));
    // Without a name of its own, the class takes the effect's; without any, the program's.
    QCOMPARE(classNameFor({}, "Big smoke 2"), EffectClass({"Big_smoke_2", "Default", {}, {}}));
    QCOMPARE(configClassLines(fields.texts, {}, {}).at(1), "class Plumewright_Effect: Default {");
}

void TestEffects::configIdentifiers_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("identifier");
    QTest::newRow("kept") << "MyTag_Smoke"
                          << "MyTag_Smoke";
    QTest::newRow("blanks") << "Big smoke"
                            << "Big_smoke";
    QTest::newRow("signs in a run") << "Fire (big)!"
                                    << "Fire_big";
    QTest::newRow("leading digit") << "3 fires"
                                   << "_3_fires";
    QTest::newRow("empty") << ""
                           << "Plumewright_Effect";
    QTest::newRow("signs only") << "?!"
                                << "Plumewright_Effect";
    QTest::newRow("letters beyond ASCII") << "Fumée"
                                          << "Fum_e";
}

void TestEffects::configIdentifiers()
{
    QFETCH(QString, name);
    QFETCH(QString, identifier);
    QCOMPARE(configIdentifier(name), identifier);
}

void TestEffects::importedClassCopiedBackUnedited_data()
{
    QTest::addColumn<QString>("pasted");
    QTest::newRow("a whole smoke, wrapped")
        << "class CfgCloudlets {\n  class Default;\n  class MyTag_Smoke: Default {\n"
           "    interval = 0.05; // setDropInterval\n    circleRadius = 0; circleVelocity[] = {0, 0, 0};\n"
           "    particleShape = \"\\a\\Universal\"; particleFSNtieth = 16; particleFSIndex = 12;\n"
           "    particleFSFrameCount = 8; particleFSLoop = 1;\n"
           "    particleType = \"Billboard\"; timerPeriod = 1; lifeTime = 10;\n"
           "    position[] = {0, 0, 0}; moveVelocity[] = {0, 0.5, 0}; rotationVelocity = 0;\n"
           "    weight = 1.277; volume = 1; rubbing = 0.025;\n"
           "    size[] = {0.5, 8, 12}; color[] = {{1, 1, 1, 0.7}, {1, 1, 1, 0}}; animationSpeed[] = {0.2};\n"
           "    randomDirectionPeriod = 1; randomDirectionIntensity = 0.04;\n"
           "    onTimerScript = \"\"; beforeDestroyScript = \"\";\n"
           "    lifeTimeVar = 2; positionVar[] = {0.3, 0.3, 0.3}; moveVelocityVar[] = {1.5, 1, 1.5};\n"
           "    rotationVelocityVar = 20; sizeVar = 0.2; colorVar[] = {0, 0, 0, 0.1};\n"
           "    randomDirectionPeriodVar = 0; randomDirectionIntensityVar = 0; angleVar = 360;\n  };\n};";
    QTest::newRow("one field") << "class A { lifeTime = 2; };";
    QTest::newRow("nothing") << "class A: B { };";
    QTest::newRow("macro names and calls")
        << "class CLASS(Flare_Blue): FlareBase { particleShape = QUOTE(PATHTO(flare)); colorCoef[] = SMOKE_RED; "
           "lifeTime = LIFE; moveVelocity[] = UP; };";
    QTest::newRow("words, true and false")
        << "class A: Default { onSurface = true; particleType = Billboard; ignoreWind = false; angle = 0; };";
    QTest::newRow("expression strings")
        << R"(class A { interval = "0.5 * speedSize + 0.5"; size[] = {"0.1 * speed", 2}; sizeVar = "x"; };)";
    QTest::newRow("arithmetic") << "class A { interval = 3*10; lifeTime = 2 + 1; rubbing = -0.5; };";
    QTest::newRow("over lines, comments")
        << "class A // the first\n{\n  color[] = {\n    {1, 0.5, 0}, /* dim */\n    {1, 1, 1}\n  };\n};";
    QTest::newRow("a sheet, loop inherited") << R"(class A { particleShape = "\x\U"; particleFSNtieth = 16; };)";
    QTest::newRow("a whole texture")
        << R"(class A { particleShape = "x"; particleFSNtieth = 1; particleFSIndex = 0; };)";
    QTest::newRow("later elements")
        << "class A { bounceOnSurface = -1; emissiveColor[] = {{0, 0, 0, 0}}; onSurface = 1; };";
    QTest::newRow("emissive colour not nested") << "class A { emissiveColor[] = {100, 50, 0, 0}; };";
    QTest::newRow("circle and spreads")
        << "class A { circleRadius = 2; circleVelocity[] = {1, 3, 2}; positionVar[] = {0.3, 0.2, 0.1}; "
           "angleVar = 360; bounceOnSurfaceVar = 0.2; };";
    QTest::newRow("a circle velocity alone") << "class A { circleVelocity[] = {0, 1, 0}; };";
    QTest::newRow("spreads of zero") << "class A { lifeTimeVar = 0; colorVar[] = {0, 0, 0, 0}; };";
    QTest::newRow("lists of other lengths")
        << "class A { position[] = {1, 2}; colorVar[] = {0.1}; size[] = {}; animationSpeed[] = {1, 2, 3, 4}; };";
    QTest::newRow("written twice, last counts") << "class A { lifeTime = 1; LIFETIME = 3; };";
    QTest::newRow("config-only, nested class")
        << "class A: Default { keepOnSurface = 1; postEffects = \"Smoke\"; class Inner { x = 1; }; "
           "destroyOnWaterSurface = -1; };";
    QTest::newRow("arrays added to") << "class A: B { size[] += {2}; colorCoef[] += {1, 0.5}; lifeTime = 2; };";
    QTest::newRow("any letter case") << "class A { MoveVelocity[] = {0, 2, 0}; LIFETIMEVAR = 1; };";
}

void TestEffects::importedClassCopiedBackUnedited()
{
    QFETCH(QString, pasted);
    const import::ClassOutcome outcome = import::parseConfigClass(pasted);
    QVERIFY2(outcome.imported, qPrintable(outcome.problem));
    const import::ImportedClass &imported = *outcome.imported;
    const QString copy = configClassLines(imported.fields, imported.settings, imported.configClass).join('\n');
    const sqf::ConfigReading original = sqf::readConfigClasses(pasted);
    const sqf::ConfigReading again = sqf::readConfigClasses(copy);
    QVERIFY2(again.problem.isEmpty(), qPrintable(copy));
    QCOMPARE(again.classes.front().name, original.classes.front().name);
    QCOMPARE(again.classes.front().base, original.classes.front().base);
    QCOMPARE(classValues(copy), classValues(pasted));
}

void TestEffects::markedFieldsWrittenOnceEdited()
{
    const import::ClassOutcome outcome = import::parseConfigClass(
        R"(class A: Default { interval = "0.5 * speedSize"; moveVelocity[] = {0, 2, 0}; ignoreWind = 1; };)");
    QVERIFY(outcome.imported);
    const import::ImportedClass &imported = *outcome.imported;
    QCOMPARE(classValues(configClassLines(imported.fields, imported.settings, imported.configClass).join('\n')).keys(),
             QStringList({"ignorewind", "interval", "movevelocity[]"}));

    // An inherited field is written once it is edited, an expression once it is replaced; the
    // other fields stay as they were.
    QStringList texts = imported.fields;
    texts[4] = "4";
    SourceSettings settings = imported.settings;
    settings.interval.text = "0.2";
    const QMap<QString, QString> edited =
        classValues(configClassLines(texts, settings, imported.configClass).join('\n'));
    QCOMPARE(edited.keys(), QStringList({"ignorewind", "interval", "lifetime", "movevelocity[]"}));
    QCOMPARE(edited.value("lifetime"), "4");
    QCOMPARE(edited.value("interval"), "0.2");

    // A variable's assumed value is no edit: the expression stays as written.
    const QString assumed =
        configClassLines(imported.fields, imported.settings, imported.configClass, {{"speedsize", 3}}).join('\n');
    QCOMPARE(classValues(assumed).value("interval"), "0.5 * speedSize");
}

void TestEffects::builtInsAsConfigClassesReadBack_data()
{
    builtInsImportBackAndMove_data();
}

void TestEffects::builtInsAsConfigClassesReadBack()
{
    QFETCH(int, index);
    const Effect &effect = builtInEffects().at(index);
    const EffectClass name = classNameFor({}, effect.name);
    const QStringList lines =
        configClassLines(effect.layers.front().fields.texts, effect.layers.front().fields.source, name);
    const import::ClassOutcome outcome = import::parseConfigClass(lines.join('\n'));
    QVERIFY2(outcome.imported, qPrintable(outcome.problem));
    const import::ImportedClass &imported = *outcome.imported;
    QCOMPARE(imported.configClass, name);
    // Copied again, the same class: the values the script drew at random are numbers now.
    QCOMPARE(withoutComments(configClassLines(imported.fields, imported.settings, imported.configClass)),
             withoutComments(lines));
    // The same numbers where the script had numbers, in the fields and in the source's commands.
    for (int n = 1; n <= 27; ++n)
        if (const auto number = sqf::plainNumber(effect.layers.front().fields.texts.at(n - 1)))
            QCOMPARE(sqf::plainNumber(imported.fields.at(n - 1)), number);
    const SourceSettings &source = effect.layers.front().fields.source;
    const bool drawsInFields = lines.join('\n').contains("from the field's random draw");
    QCOMPARE(imported.settings.random.set, source.random.set || drawsInFields);
    QCOMPARE(imported.settings.circle.set, source.circle.set);
    QCOMPARE(sqf::plainNumber(imported.settings.interval.text), sqf::plainNumber(source.interval.text));
    for (std::size_t i = 0; i < source.random.texts.size(); ++i)
        if (source.random.set && !drawsInFields
            && int(i) < (source.random.elements == 8 ? SourceRandom::Angle : SourceRandom::ValueCount))
            QCOMPARE(sqf::plainNumber(imported.settings.random.texts[i]), sqf::plainNumber(source.random.texts[i]));
    for (std::size_t i = 0; i < source.circle.texts.size(); ++i)
        if (source.circle.set)
            QCOMPARE(sqf::plainNumber(imported.settings.circle.texts[i]), sqf::plainNumber(source.circle.texts[i]));
}

QTEST_APPLESS_MAIN(TestEffects)
#include "tst_effects.moc"
