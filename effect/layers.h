#pragma once

#include "effectlibrary.h"
#include "simulation.h"

#include <QList>
#include <QString>

#include <array>

namespace effect {

// One part of a layered effect: a particle source with its own array, settings and times, placed
// at an offset from the effect's anchor (the object or position every part is created at). Every
// value is kept as the text it was written as.
struct Layer {
    EffectFields fields; // its source settings' name is the layer's name: the script's variable
    std::array<QString, 3> offset{QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0")}; // x, y, z in m
    QString start = QStringLiteral("0"); // seconds after the effect starts
    QString end;                         // seconds after the effect starts; empty: it ends with the effect
    bool muted = false;                  // kept from being played in the preview; nothing else
    // A source given only by setParticleClass, a class of the game's or a mod's: it has no array to
    // play, keeps its commands in fields.source.otherCommands and is written back as it was.
    bool classOnly = false;

    const QString &name() const { return fields.source.name; }
    bool operator==(const Layer &) const = default;
};

// A layer of the given fields, at the anchor, from the start, to the end of the effect.
Layer layerOf(const EffectFields &fields);

// The wanted name where no layer has it (letter case aside, as the game's variables), else the
// wanted name without its trailing digits followed by 2, 3, ... until unique: _ps, _ps2, _ps3.
QString uniqueLayerName(const QList<Layer> &layers, const QString &wanted);

// Why the layers cannot be one effect: none, an empty name, or a name given twice; empty when
// they can.
QString layersProblem(const QList<Layer> &layers);

// The layer as the simulation plays it with the given variable values: its fields read as a
// recipe, its offset and times worked out as numbers (an empty offset or start is 0). A text that
// cannot be read or gives no number, a start below 0 and an end not after the start are problems
// of the recipe, so that the layer emits nothing while it has one; the variables these texts name
// join the recipe's. A class-only layer has nothing to play: it comes out muted, without a recipe.
LayerRecipe readLayer(const Layer &layer, const sqf::VariableValues &variables);

} // namespace effect
