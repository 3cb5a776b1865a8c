#pragma once

#include "configclass.h"
#include "effect/layers.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>

// A layered effect written as a mod's config declares it: one CfgCloudlets class per particle
// layer, one CfgLights class per light, and the complex effect, a class at the config's root whose
// sub-classes put the parts together.
namespace exporter {

// The fields of a light's config class, in the order written; an Attenuation field is named with
// this before it ("Attenuation.quadratic") and written in the class's Attenuation sub-class.
inline constexpr const char *kAttenuationPrefix = "Attenuation.";
QStringList lightConfigFieldNames();

// The fields of a light's CfgLights class from its settings and its layer's offset: color[],
// diffuse[] (equal to color[], as the game's own lights write it), ambient[], intensity,
// brightness, dayLight, useFlare, flareSize, flareMaxDistance, each only where the light sets it;
// position[], the offset with the height second; and the six fields of the attenuation. Values as
// configNumber writes them, switches as configSwitch. An attenuation of another length gives its
// first four values, and the hard limits from its fifth and sixth, with a note. A flicker has no
// field: a comment line says so.
QList<ClassLine> lightConfigFields(const effect::LightSettings &light, const std::array<QString, 3> &offset,
                                   const sqf::VariableValues &assumed = {});

// The light's class, its Attenuation sub-class inside, as configClassLines writes a particle class:
// a field with a mark as the imported class wrote it, or left out where it did not write it,
// while the light still gives it as it did at the import; the config-only fields as written.
QStringList lightClassLines(const effect::LightSettings &light, const std::array<QString, 3> &offset,
                            const effect::EffectClass &named, const sqf::VariableValues &assumed = {});

// What a sub-class of a complex effect gives its layer: the simulation and the type as the game
// reads them (the text of a string, a bare word as it stands), the offset from position[] in the
// script's order (three numbers as written, else none), the end from lifeTime (a number as
// written, else none), muted where enabled is a number not above 0.
struct PartValues {
    QString simulation;
    QString type;
    std::array<QString, 3> offset{QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0")};
    QString end;
    bool muted = false;
};
// Of fields in the order they count: the last one of a name (letter case aside) holds.
PartValues partValues(const QList<sqf::ConfigEntry> &entries);

// The fields of the part at `index` with those it inherits: its base's (a sibling of that name,
// letter case aside), and theirs, first, its own last. A base that is no sibling gives nothing.
QList<sqf::ConfigEntry> inheritedPartEntries(const QList<effect::ConfigPart> &parts, qsizetype index);

// The class names the layers are written as: a layer from a config class keeps its class's name,
// a new one is the effect's name made an identifier with the layer's name after it
// (Campfire_fire), unique among the classes of its kind. Empty for a class-only layer.
QStringList layerClassNames(const QList<effect::Layer> &layers, const QString &effectName);

// What Copy Config Effect copies:
// - a comment on where each block goes, the engine fields that name a complex effect (no script
//   command plays one), and what has no config form: a flicker, a start after 0;
// - class CfgCloudlets with "class Default;" (and the other bases none of its classes defines)
//   and one class per particle layer, as configClassLines writes it, each class once;
// - class CfgLights with one class per light layer (lightClassLines), where there is a light;
// - the root class named after the effect (an imported one's name and base as written, its own
//   fields as written), with one sub-class per layer in order. A new layer's writes simulation,
//   type, position[] (the offset, height second), lifeTime where the layer ends, qualityLevel =
//   -1, enabled = -1 where it is muted, intensity = 1 and interval = 1. A layer from an imported
//   sub-class writes its fields as written, except where the layer now gives another offset, end,
//   mute mark or class than they gave: that field is written anew, added where it came from a
//   sibling, left out where an end was taken away.
// A class-only layer from a script is a particles sub-class of the class it names; one from a
// config, an external part, is written back as it was, and neither writes a class.
QStringList configEffectLines(const QList<effect::Layer> &layers, const effect::ConfigEffect &root,
                              const QString &effectName, const sqf::VariableValues &assumed = {});

} // namespace exporter
