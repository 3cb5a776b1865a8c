#pragma once

#include "effect/source.h"
#include "sqf/configreader.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace import {

// What a pasted config class yields for the main window, its particle source and the class name.
struct ImportedClass {
    QStringList fields; // Text1 .. Text27
    effect::SourceSettings settings;
    effect::EffectClass configClass; // its name and base, the marks of its fields, its config-only fields
    QStringList notes;               // what was left out or stood in for, one line each
};

struct ClassOutcome {
    std::optional<ImportedClass> imported;
    QString problem; // why the text cannot be read as a class; empty when imported
};

// Reads the first class of a pasted config text (see sqf::readConfigClasses) into the fields and
// the source settings by the config's mapping, the reverse of exporter::configClassLines: field
// names in any letter case, true and false as 1 and 0, texts quoted or bare, vectors in the
// config's axis order (the height second). A class setting neither circle nor randomness leaves
// them unset. Fields the class does not write take stand-ins that show a particle (LifeTime 1,
// Weight 1.275, Volume 1, Size [1], Color [[1,1,1,1]]), named in the notes as inherited from the
// base; fields that have no place in the main window or the source are named as left out.
ClassOutcome parseConfigClass(const QString &pasted);

// The note naming a class's config-only fields; empty where it has none.
QString configOnlyNote(const QList<sqf::ConfigEntry> &configOnly);

// One class already read, as parseConfigClass takes the first.
ImportedClass importConfigClass(const sqf::ConfigClass &read);

} // namespace import
