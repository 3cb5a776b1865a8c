#pragma once

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

} // namespace exporter
