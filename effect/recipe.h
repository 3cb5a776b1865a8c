#pragma once

#include "particles.h"
#include "sqf/expression.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

namespace effect {

// The field texts of the main window read for the preview: one expression per field the preview
// simulates, the colour list, the variables they name, and what keeps them from being previewed.
struct Recipe {
    std::array<std::optional<sqf::Expression>, 27> numbers; // Text1 .. Text27 at index 0 .. 26
    std::vector<sqf::Expression> sizes;                     // Size at evenly spaced times over the life
    std::vector<std::array<sqf::Expression, 4>> colours;
    QStringList variables; // in the order of first appearance, as first written
    QStringList problems;  // fields that cannot be read; nothing is emitted while there is one
    QStringList notes;     // what the preview leaves out although the fields ask for it
    QString shapeName;     // the file of a shape array

    bool usable() const { return problems.isEmpty(); }
};

// Reads the texts of Text1 .. Text27; a missing text counts as empty.
Recipe readRecipe(const QStringList &texts);

// The name of a field in the user's terms, such as "Position z" or "Size (end)".
QString fieldName(int number);

// Values that make every particle impossible (a LifeTime or a Weight of 0 or below) with the
// current variable values; values drawn at random are judged one particle at a time.
QStringList valueProblems(const Recipe &recipe, const sqf::VariableValues &variables);

// The values of one new particle, drawing the random parts anew; nothing when the recipe cannot
// be previewed or this draw gives a particle that cannot exist (no life, no weight, no number).
std::optional<ParticleValues> drawParticle(const Recipe &recipe, const sqf::VariableValues &variables,
                                           sqf::Random &random);

} // namespace effect
