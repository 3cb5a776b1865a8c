#pragma once

#include "effect/layers.h"
#include "sqf/configreader.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace import {

struct ConfigEffectOutcome {
    // Whether the text holds a complex effect: a class at the config's root (not a Cfg... class)
    // with a sub-class that names its simulation. A text without one is a class for
    // parseConfigClass.
    bool isEffect = false;
    std::optional<QList<effect::Layer>> layers; // none when the text is refused
    effect::ConfigEffect root;
    QString problem;
    QStringList notes; // what was left out or is not played, each naming its sub-class
};

// Reads a pasted config of a complex effect, as mods write it: CfgCloudlets classes, CfgLights
// classes and the root class, in any order and number, in their Cfg... classes (any letter case)
// or outside them. The first root class is the effect; each of its sub-classes, in order, a layer
// named after it ("_Flames"), its fields kept with the layer as written (effect::ConfigPart) and
// its position[], lifeTime and enabled, its own or from the sibling it inherits from, giving the
// offset, the end and the mute mark (exporter::partValues). A particles sub-class takes the
// CfgCloudlets class its type names as importConfigClass reads it; a light sub-class takes its
// CfgLights class (importLightClass). A class whose bases the text defines is previewed with the
// fields it inherits from them, and copied without them while they are unedited. A sub-class whose class is not in the
// text, or of another simulation (sound, ruin), is a class-only layer, kept by its fields alone and not played. The
// CfgCloudlets and CfgLights classes that no layer is, and those outside them that no layer is,
// are kept with the root as they are written.
ConfigEffectOutcome parseConfigEffect(const QString &pasted);

// A CfgLights class as the light layer's settings, and as its class: color[], ambient[] (three
// numbers each), intensity, brightness (the intensity holding where both are set, as the config
// takes them), dayLight and useFlare (numbers or true and false), flareSize, flareMaxDistance, and
// the six fields of its Attenuation sub-class, each a number as written; the attenuation's missing
// fields stand in as 0. A field in another form (an engine expression, a macro, an array of
// another length) is not set, and noted. Every field of the light is marked, so that the class is
// written back as it was while the light gives what it gave; diffuse[] and position[] are known
// fields, the rest kept as config-only fields.
struct ImportedLight {
    effect::LightSettings settings;
    effect::EffectClass configClass;
    QStringList notes;
};
// The bases are the classes it inherits from that the text defines, nearest first: the fields
// they give and the class does not write are previewed, and left out of its copy while unedited.
ImportedLight importLightClass(const sqf::ConfigNode &node, const std::array<QString, 3> &offset,
                               const QList<sqf::ConfigNode> &bases = {});

} // namespace import
