#pragma once

#include "light.h"
#include "source.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <array>

namespace effect {

// What a layer sets: the texts of Text1 .. Text27, the separate colour mode of Check1, the
// particle source's settings and the config class it is written as.
struct EffectFields {
    QStringList texts; // 27 texts, Text1 at index 0
    bool separateColours = false;
    SourceSettings source;
    EffectClass configClass;
    bool operator==(const EffectFields &) const = default;
};

// The program's start values: the fields' start texts, Check1 clear.
EffectFields startFields();

// A sub-class of a complex effect's root class as an imported config wrote it: its name, the
// sibling it inherits from, and every field as written, in order (simulation, type, position[],
// lifeTime, qualityLevel, enabled, start, intensity, interval and any other). The layer's offset,
// end and mute mark come from it at the import; written back, a field stays as written while the
// layer still gives what it gave then.
struct ConfigPart {
    QString name;
    QString base; // empty where it names none
    QList<sqf::ConfigEntry> entries;
    bool operator==(const ConfigPart &) const = default;
};

// A class of an imported complex effect's config that no layer is (a base its classes inherit
// from, a class no sub-class names), kept as written with the Cfg... class it stood in: empty for
// one at the config's root.
struct KeptConfigClass {
    QString wrapper;
    sqf::ConfigNode node;
    bool operator==(const KeptConfigClass &) const = default;
};

// The root class of a complex effect as an imported config wrote it: its name and base, and the
// fields of its own beside its sub-classes, as written, with the config's other classes. An empty
// name: the effect is none, or a new one, named after the effect when written.
struct ConfigEffect {
    QString name;
    QString base;
    QList<sqf::ConfigEntry> entries;
    QList<KeptConfigClass> kept;
    bool operator==(const ConfigEffect &) const = default;
};

// One part of a layered effect: a particle source with its own array, settings and times, or a
// light, placed at an offset from the effect's anchor (the object or position every part is
// created at). Every value is kept as the text it was written as.
struct Layer {
    EffectFields fields; // its source settings' name is the layer's name: the script's variable
    // A light layer's settings; it has no particles, and its fields only give its name.
    std::optional<LightSettings> light;
    std::array<QString, 3> offset{QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0")}; // x, y, z in m
    QString start = QStringLiteral("0"); // seconds after the effect starts
    QString end;                         // seconds after the effect starts; empty: it ends with the effect
    bool muted = false;                  // kept from being played in the preview; nothing else
    // A source given only by setParticleClass, a class of the game's or a mod's: it has no array to
    // play, keeps its commands in fields.source.otherCommands and is written back as it was. Also
    // an external part of an imported complex effect: a sub-class whose class is not in the text,
    // or of a simulation the preview does not play (sound, ruin), kept by its part alone.
    bool classOnly = false;
    // The sub-class of an imported complex effect that links this layer; none for a layer made
    // here or read from a script. A light layer from a config keeps its CfgLights class's name,
    // base, marks and config-only fields in fields.configClass, as a particle layer does its
    // CfgCloudlets class's.
    std::optional<ConfigPart> part;

    const QString &name() const { return fields.source.name; }
    bool isLight() const { return light.has_value(); }
    bool operator==(const Layer &) const = default;
};

// A layer of the given fields, at the anchor, from the start, to the end of the effect.
Layer layerOf(const EffectFields &fields);
// A light layer of the given name and settings, at the anchor, for the whole effect.
Layer lightLayerOf(const QString &name, const LightSettings &light);

// The wanted name where no layer has it (letter case aside, as the game's variables), else the
// wanted name without its trailing digits followed by 2, 3, ... until unique: _ps, _ps2, _ps3.
QString uniqueLayerName(const QList<Layer> &layers, const QString &wanted);

// Puts the added layers into the list from the place `at` on, in their order, each under its own
// name where no layer has it, else numbered on (uniqueLayerName); gives the place of the last.
int insertLayers(QList<Layer> &layers, int at, const QList<Layer> &added);

// Why the layers cannot be one effect: no particle layer (the main window shows one), an empty
// name, or a name given twice; empty when they can.
QString layersProblem(const QList<Layer> &layers);

// The edited effect beside the main window's fields: the shown layer's source settings, which the
// preview edits and shows and the import writes, and the effect's layers. The shown layer is the
// particle layer last selected: its texts are the main window's fields and its settings these; its
// entry in layers() is what they were when it was last stored. A selected light leaves the shown
// layer as it is. Outlives the preview window.
class Source : public QObject {
    Q_OBJECT
public:
    const SourceSettings &settings() const { return m_settings; }
    // Tells the listeners when anything differs.
    void setSettings(const SourceSettings &settings);

    // What the last import left out of the block, one line each; kept until the next import.
    const QStringList &importNotes() const { return m_importNotes; }
    void setImportNotes(const QStringList &notes);

    // The config class of the effect: an imported class's, or the loaded effect's; kept until
    // another effect is loaded or imported.
    const EffectClass &configClass() const { return m_configClass; }
    void setConfigClass(const EffectClass &configClass) { m_configClass = configClass; }

    // The root class of the effect where it was imported from a complex effect, or loaded with one;
    // kept until another effect is loaded or imported.
    const ConfigEffect &configEffect() const { return m_configEffect; }
    void setConfigEffect(const ConfigEffect &configEffect) { m_configEffect = configEffect; }

    // The layers, at least one particle layer among them, the selected one's place and the shown
    // one's.
    const QList<Layer> &layers() const { return m_layers; }
    int selected() const { return m_selected; }
    int shown() const { return m_shown; }
    const Layer &selectedLayer() const { return m_layers.at(m_selected); }
    // Tells the listeners; a selection outside the list selects the first layer. A selected
    // particle layer is shown; with a light selected, the layer shown before stays shown where it
    // is still in the list (by its name), else the first particle layer. A list without particle
    // layers gets one of the start fields after its lights.
    void setLayers(const QList<Layer> &layers, int selected);

signals:
    void changed();
    void importNotesChanged();
    void layersChanged();

private:
    SourceSettings m_settings;
    QStringList m_importNotes;
    EffectClass m_configClass;
    ConfigEffect m_configEffect;
    QList<Layer> m_layers{layerOf(startFields())};
    int m_selected = 0;
    int m_shown = 0;
};

} // namespace effect
