#pragma once

#include "effect/source.h"
#include "sqf/expression.h"

#include <QString>
#include <QStringList>

namespace exporter {

inline constexpr const char *kDefaultClassName = "Plumewright_Effect";
inline constexpr const char *kDefaultClassBase = "Default";

// A name made a config identifier: letters, digits and '_' (every other character becomes '_',
// runs of them one), never a leading digit; a name without a letter or digit gives
// Plumewright_Effect.
QString configIdentifier(const QString &name);

// The class an effect is written as: its own class as it is, an imported class with its name and
// base as written (or no base); an effect without a class name takes its library name made an
// identifier, and its base, where it names none, is Default.
effect::EffectClass classNameFor(const effect::EffectClass &own, const QString &effectName);

// A value as a config writes it: a plain number as it is; anything else worked out with the
// assumed values of its variables and its random draws at their middle, the note giving the text it
// stands for. A switch takes true and false as 1 and 0.
struct ConfigValue {
    QString text;
    QString note;
};
ConfigValue configNumber(const QString &text, const sqf::VariableValues &assumed);
ConfigValue configSwitch(const QString &text, const sqf::VariableValues &assumed);

// A field's line, indented once: "    name[] = value;", or "+=" where it adds to the base's array.
QString entryLine(const sqf::ConfigEntry &entry);

// One line of a config class: a field with its value, or a comment line alone.
struct ClassLine {
    QString field; // empty for a comment line
    bool isArray = false;
    QString value; // as the class writes it
    QString note;  // the comment after the value, or the comment line's text
    bool operator==(const ClassLine &) const = default;
};

// The fields of a config class for CfgCloudlets from the main window's texts (Text1 .. Text27) and
// the source settings, in the order of the script form (interval, circle, the shape and the
// array's elements, the later elements after the object, the ...Var fields of setParticleRandom),
// every one of them. Values a config cannot hold (variables, random draws, game commands) are
// written as numbers with a note giving the text they stand for: a variable takes its value in
// `assumed` (keyed in lower case, 0 when missing), a random draw its middle with its spread added
// to the field's ...Var where it has one.
QList<ClassLine> configClassFields(const QStringList &texts, const effect::SourceSettings &source,
                                   const sqf::VariableValues &assumed = {});

// A field as the effect gives it, without assumed values, for a ConfigFieldMark to compare.
QString fieldAsGiven(const ClassLine &line);

// The class as text, one line each: a comment on its use, the class header, the fields of
// configClassFields, the config-only fields, the closing line. A field with a mark is written as
// the imported class wrote it, or left out where the class did not write it, while the effect
// still gives it as it did at the import.
QStringList configClassLines(const QStringList &texts, const effect::SourceSettings &source,
                             const effect::EffectClass &configClass, const sqf::VariableValues &assumed = {});

} // namespace exporter
