#pragma once

#include "effect/layers.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace import {

struct EffectOutcome {
    std::optional<QList<effect::Layer>> layers; // empty when the text is refused
    // Beside each layer, the colour variable its array names in the separate colour mode; empty
    // for a layer of inline colours or of a class only.
    QStringList colourNames;
    QString problem;   // why the text is refused, naming the layer where one is at fault
    QStringList notes; // what was left out, each naming its layer when there are several
};

// Reads a pasted effect script, read once statement by statement: every "#particlesource" it
// creates (or, never created, commands) is a layer, and so is every "#lightpoint" or
// "#lightreflector" it creates, in the order created, with the commands given to its own variable
// wherever they stand. "_ps attachTo [obj, [x, y, z]]", a light's "lightAttachObject [obj, [x, y,
// z]]", and "_ps setPos (p vectorAdd [x, y, z])" or "(obj modelToWorld [x, y, z])", give its offset
// as written. A light takes its setLightColor, setLightAmbient, setLightIntensity,
// setLightBrightness (both kept, in their order), setLightAttenuation (six values, else the
// argument kept as written, with a note), setLightDayLight, setLightUseFlare, setLightFlareSize and
// setLightFlareMaxDistance as written, the last of each, and keeps its other commands as written; a
// loop that sets its intensity or brightness to "a + random b" every "sleep c" (or "sleep (c +
// random d)") while it exists, spawned or not, is its flicker (see readRandomRange in
// lightreader.h); another loop about it is left out with a note. In a script that keeps its own
// clock ("private _plwStart = time;", as the saved source script writes it), "waitUntil {time >=
// _plwStart + t}" steps the clock: a source starts at the step of its first command, a light at its
// creation's (keeping the place among the layers where "_light = objNull" declares it), and each
// ends at the step of its "deleteVehicle". A source given setParticleClass and no setParticleParams
// is a class-only layer with its commands kept. Any other statement (loops, sleep, deleteVehicle)
// is left out and named in the notes with the layer it belongs to: the one whose name it mentions,
// else the one before it. A text with one source and no light, a plain drop array or no source at
// all reads as parseSourceBlock reads it, with its notes and failure reasons, the offset and times
// read as above. A text whose layers cannot all be taken is refused, never taken in part, the
// reason naming the layer: a command the block import refuses, a source given no commands, or
// neither an array nor a class, a light command without a value, a variable made into two sources
// or lights or both, a source named by an expression beside others, lights without a particle
// source.
EffectOutcome parseEffectScript(const QString &pasted, bool separateColours, const QString &separateColourText);

// A text pasted as new layers: a complex effect's config gives its parts as parseConfigEffect
// reads them, a config class one layer of the class's fields, settings and class, with the class
// import's notes; any other text is read as parseEffectScript reads it, its colours inline. An
// empty text is refused.
EffectOutcome parsePastedLayers(const QString &pasted);

} // namespace import
