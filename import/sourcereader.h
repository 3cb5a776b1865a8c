#pragma once

#include "sourceblock.h"
#include "sqf/statements.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The reading of one particle source out of a text already taken apart into statements, shared by
// the block import and the effect script import.
namespace import {

// "_ps = "#particlesource" createVehicleLocal _pos", or createVehicle in either of its forms; with
// another vehicle type, "#lightpoint", when that is given.
bool createsA(const sqf::Statement &statement, QLatin1StringView type);
bool createsASource(const sqf::Statement &statement);

// A setParticle... or setDropInterval command given to a name.
bool commandsASource(const sqf::Statement &statement);

bool sameName(const QString &a, const QString &b);

// Today's drop array or bare array: "[" or the drop keyword first.
bool isPlainArray(QStringView text);

struct SourceRead {
    ImportedBlock block;                 // its settings even when failure is set; its notes empty
    std::optional<BlockFailure> failure; // NoParticleParams: block.settings holds what was read
    QList<qsizetype> used;               // the statements it took: its commands and its colour line
    QStringList repeats;                 // "2 setDropInterval: the last was taken"
    bool hasClass = false;               // given setParticleClass
};

// The source of that name (letter case aside) as its commands among the statements give it: the
// last of each counted command, the colour variable assigned before its array.
SourceRead readSource(const QList<sqf::Statement> &statements, const QString &name, bool separateColours,
                      const QString &separateColourText);

// The block's notes: "left out: ..." naming once each statement the reading did not use (beside
// the sources' creations and commands, "private"), the count of sources beyond one, the repeats.
QStringList blockNotes(const QList<sqf::Statement> &statements, const QList<qsizetype> &used, qsizetype sources,
                       const QStringList &repeats);

} // namespace import
