#pragma once

#include "source.h"
#include "sqf/expression.h"

#include <QString>
#include <QStringList>

namespace effect {

inline constexpr const char *kDefaultClassName = "Plumewright_Effect";
inline constexpr const char *kDefaultClassBase = "Default";

// A name made a config identifier: letters, digits and '_' (every other character becomes '_',
// runs of them one), never a leading digit; a name without a letter or digit gives
// Plumewright_Effect.
QString configIdentifier(const QString &name);

// The class name an effect is written under: its own class name as written, or else its library
// name made an identifier; the base: its own, or else Default.
ConfigClassName classNameFor(const ConfigClassName &own, const QString &effectName);

// One config class for CfgCloudlets from the main window's texts (Text1 .. Text27) and the source
// settings, one line each: a comment on its use, the class header, the fields in the order of the
// script form (interval, circle, the shape and the array's elements, the later elements after the
// object, the ...Var fields of setParticleRandom), the closing line. Values a config cannot hold
// (variables, random draws, game commands) are written as numbers with a comment giving the text
// they stand for: a variable takes its value in `assumed` (keyed in lower case, 0 when missing), a
// random draw its middle with its spread added to the field's ...Var where it has one.
QStringList configClassLines(const QStringList &texts, const SourceSettings &source, const ConfigClassName &className,
                             const sqf::VariableValues &assumed = {});

} // namespace effect
