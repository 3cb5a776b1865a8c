#pragma once

#include "particles.h"
#include "source.h"
#include "sqf/expression.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

namespace effect {

// The field texts of the main window and the source settings read for the preview: one expression
// per field and source value the preview plays, the colour list, the variables they name, and what
// keeps them from being previewed.
struct Recipe {
    std::array<std::optional<sqf::Expression>, 27> numbers; // Text1 .. Text27 at index 0 .. 26
    std::vector<sqf::Expression> sizes;                     // Size at evenly spaced times over the life
    std::vector<std::array<sqf::Expression, 4>> colours;
    // setParticleRandom's values, in its order, when it is set: those within its element count.
    std::array<std::optional<sqf::Expression>, SourceRandom::ValueCount> randomness;
    // setParticleCircle's radius and velocity, when it is set.
    std::array<std::optional<sqf::Expression>, SourceCircle::ValueCount> circle;
    // setDropInterval, read whether it is set or not: the preview emits at it. Nothing in a recipe
    // made without reading, which emits nothing.
    std::optional<sqf::Expression> interval;
    // The array's BounceOnSurface, the third of the later parameters after the object in Text27.
    std::optional<sqf::Expression> bounce;
    QStringList variables; // in the order of first appearance, as first written
    QStringList problems;  // fields that cannot be read; nothing is emitted while there is one
    QStringList notes;     // what the preview leaves out although the fields ask for it
    QString shapeName;     // the file of a shape array

    bool usable() const { return problems.isEmpty(); }
};

// Reads the texts of Text1 .. Text27 and the source settings; a missing text counts as empty.
// setParticleRandom and setParticleCircle are read only when set, the interval always.
Recipe readRecipe(const QStringList &texts, const SourceSettings &source = {});

// Why a text cannot be read as a number or a calculation, for the value named `what`.
QString readingProblem(const QString &what, const QString &text, const sqf::ExpressionError &error);

// The name of a field in the user's terms, such as "Position z" or "Size (end)".
QString fieldName(int number);

// The game's name of a source value, as labels and problems give it: "Position x", "Color a",
// "BounceOnSurface" for setParticleRandom; "radius", "velocity z" for setParticleCircle.
QString randomValueName(int value);
QString circleValueName(int value);

// Intervals other than 0 below this are refused: the preview emits at most 10 000 particles a second.
inline constexpr double kShortestInterval = 0.0001;

// Values that make every particle impossible (a LifeTime or a Weight of 0 or below) or the
// emission (an interval below 0, or between 0 and kShortestInterval) with the current variable
// values; values drawn at random are judged one particle at a time.
QStringList valueProblems(const Recipe &recipe, const sqf::VariableValues &variables);

// The seconds between two particles with the current variable values: 0 switches the emission off.
// Nothing when the interval cannot be read or is refused (see valueProblems). An interval that
// draws at random is drawn once, as the command takes one value: always the same draw.
std::optional<double> intervalValue(const Recipe &recipe, const sqf::VariableValues &variables);

// Where one particle's source draws fall: each random value's part of its range, from -1 to 1
// (-1 is the value below, 1 above), and the angle of its point on the circle, in radians.
struct SourceDraw {
    std::array<double, SourceRandom::ValueCount> parts{};
    double circleAngle = 0;
};

// The values of one new particle, drawing the random parts anew; nothing when the recipe cannot
// be previewed or this draw gives a particle that cannot exist (no life, no weight, no number).
std::optional<ParticleValues> drawParticle(const Recipe &recipe, const sqf::VariableValues &variables,
                                           sqf::Random &random);
// The same with the source's draws given instead of drawn, to follow the extremes of a spread.
std::optional<ParticleValues> drawParticle(const Recipe &recipe, const sqf::VariableValues &variables,
                                           sqf::Random &random, const SourceDraw &draw);

} // namespace effect
