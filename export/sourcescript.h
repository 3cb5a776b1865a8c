#pragma once

#include "effect/layers.h"
#include "effect/source.h"
#include "emitterscript.h"

#include <QString>
#include <QStringList>

namespace exporter {

// The source's commands as authors paste them after their own createVehicleLocal, one per line,
// each ended by ';' and given to the source's name: the colour variable's line (Text29) when the
// colours are separate; a kept setParticleClass; setParticleParams with the drop string's array
// (Text28 after its "Drop"); the other kept commands; then setParticleRandom, setParticleCircle
// and setDropInterval, each only where it is set. Arrays are written with ", " between elements;
// a vector kept as one expression is written as that expression, every text as it stands.
QStringList sourceCommandLines(const effect::SourceSettings &source, const QString &dropString, bool separateColours,
                               const QString &colourLine);

// The setParticleRandom and setParticleCircle arrays as sourceCommandLines writes them.
QString randomArray(const effect::SourceRandom &random);
QString circleArray(const effect::SourceCircle &circle);

// The lines of a script (.sqf) that makes a local particle source and runs the source's commands
// on it. With an object variable in the Object field the script takes that object as its argument
// and makes the source at it; with _this the argument is the object itself; otherwise the first
// argument is a position or an object, where the source is made. The local variables the values
// name are set to the preview's values first. With a duration the source is deleted after it;
// without one it is deleted once the object is gone (an object the Object field names by a
// variable); with no such object it stays. The settings' interval and randomness flags are not
// used: the source's own settings say them. fileName is the script's own name, for the line that
// tells how to start it.
QStringList sourceScriptLines(const EmitterSettings &settings, const effect::SourceSettings &source,
                              const QString &fileName);

// The colour variable the layers' arrays name in the separate colour mode: the one the colour line
// assigns, else _color.
QString layerColourName(const EmitterSettings &settings);

// A light layer's commands, one per line, each ended by ';' and given to the layer's name:
// setLightColor, setLightAmbient, setLightIntensity and setLightBrightness in the order the light
// keeps, setLightAttenuation (its six values, or the argument kept as written), setLightDayLight,
// setLightUseFlare, setLightFlareSize, setLightFlareMaxDistance, then its other commands, each only
// where it is set, every value as it stands. A flicker follows as spawned code that sets the
// intensity (or the brightness) to "(low + random span)" every "sleep period" (fixed, or
// "(shortest + random span)") until the light is deleted; the span is worked out where the bounds
// are plain numbers, else written "((high) - (low))". Nothing for a particle layer.
QStringList lightCommandLines(const effect::Layer &layer);

// A layer's commands as sourceCommandLines writes them for its fields, its drop string and colour
// line made in its colour mode; a class-only layer's without the colour line and the array; a
// light's as lightCommandLines writes them.
QStringList layerCommandLines(const effect::Layer &layer, const QString &colourName);

// What Copy Effect copies: a single particle layer at the anchor as Copy Source copies it;
// otherwise each layer in order as its createVehicleLocal at the anchor (the Object field's
// object, else its position, else _pos), its commands, and "attachTo [object, [x, y, z]]" with
// its offset, or at a position "setPos (position vectorAdd [x, y, z])". A light is created as its
// own type ("#lightpoint", "#lightreflector") and follows the object by "lightAttachObject
// [object, [x, y, z]]", its flicker after that. Starts and ends are the saved script's. A
// class-only layer without commands (a part of a complex effect that no script command makes, such
// as a sound) is left out, named in a comment first; so it is in effectScriptLines.
QStringList effectCommandLines(const QList<effect::Layer> &layers, const EmitterSettings &settings);

// The saved source script of the whole effect. A single particle layer from the start, at the
// anchor and without an end is the script sourceScriptLines writes. Otherwise the header names
// every layer with its times and offset, a light as a light; the script makes every source at once
// at the object or place, in order, placed at its offset as effectCommandLines places it, takes
// "private _plwStart = time;" and gives each source its commands at its start, makes each light
// at its start with all its commands, placing and flicker, and deletes each layer at its end,
// each a step "waitUntil {time >= _plwStart + t};" (with " || isNull object" while an object is
// watched) in the order of the times. Once the duration is over ("waitUntil {time >= _plwStart +
// d}"), or without one once the watched object is gone, "{deleteVehicle _x} forEach [...]" deletes
// them all; with neither they stay.
QStringList effectScriptLines(const EmitterSettings &settings, const QList<effect::Layer> &layers,
                              const QString &fileName);

} // namespace exporter
