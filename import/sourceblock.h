#pragma once

#include "effect/source.h"
#include "importparser.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace import {

// Why a pasted particle source block cannot be read into the fields and the source settings.
struct BlockFailure {
    enum class Kind {
        Array,            // the drop array or the source's setParticleParams array: see detail
        Text,             // a string or bracket of the block: see detail, whose `at` counts in the cleaned text
        NoParticleParams, // the source has commands but no setParticleParams; source: its name
        NotAnArray,       // command: given a variable or an expression where its array belongs
        NoValue,          // command: written without a value
        ValueCount,       // command, count, expected: setParticleRandom or setParticleCircle of the wrong size
        VectorCount,      // command, part, count, expected: a bracketed vector of the wrong size
        EmptyValue,       // command, part: an empty value, or an empty component of a vector
    };
    Kind kind = Kind::Array;
    ImportFailure detail{ImportFailure::Kind::Empty}; // Array and Text
    QString command;                                  // as the block wrote it
    QString source;                                   // NoParticleParams
    QString part;                                     // the value's name: "Position", "Velocity"
    qsizetype count = 0;
    qsizetype expected = 0;
    bool operator==(const BlockFailure &) const = default;
};

// What a pasted block yields for the main window and its particle source.
struct ImportedBlock {
    ImportedArray array;          // the fields as parseDropArray reads the setParticleParams array
    bool separateColours = false; // the main window's Check1: the colour list is array.fields[18]
    effect::SourceSettings settings;
    QStringList notes; // what was left out, one line each; empty for a plain array
};

struct BlockOutcome {
    // What the dialog's text field shows afterwards: for a plain array parseDropArray's cleaned
    // text, for a block the pasted text without its comments, on one line.
    QString cleanedText;
    std::optional<ImportedBlock> block;
    std::optional<BlockFailure> failure; // set exactly when block is empty
};

// Reads a pasted particle source block: the statements that create the source and give it its
// commands, in any order, with other statements between them, which are left out and named in
// the notes. The source is the first one the block names (created as "#particlesource" or given a
// setParticle... or setDropInterval command, its name in any letter case); the last of each of
// its commands counts, as in the game. Its setParticleParams array fills the fields exactly as
// parseDropArray reads it; a colour variable assigned in the block before it and used there as
// value 13 ([name] or a bare name) gives the separate colour mode with that list, whatever the
// dialog's box and colour field say. setParticleRandom, setParticleCircle and setDropInterval
// fill the settings with their values as written; its other setParticle... commands are kept as
// written. A text that is a plain drop array or has no source command reads as parseDropArray
// reads it, with the default source settings.
BlockOutcome parseSourceBlock(const QString &pasted, bool separateColours, const QString &separateColourText);

// The sentence that tells the user why the block cannot be imported.
QString blockFailureReason(const BlockFailure &failure);

} // namespace import
