#pragma once

#include "sqf/expression.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace effect {

// One value of a light command as written, and whether the light's script sets it.
struct LightValue {
    bool set = false;
    QString text;
    bool operator==(const LightValue &) const = default;
};

// setLightColor or setLightAmbient [r, g, b]: values above 1 are common, and allowed.
struct LightColour {
    bool set = false;
    std::array<QString, 3> texts;
    bool operator==(const LightColour &) const = default;
};

// setLightAttenuation [start, constant, linear, quadratic, hardLimitStart, hardLimitEnd]: the
// falloff 1 / (constant + linear·d + quadratic·d²) at d metres past the start, faded to nothing
// between the two hard limits. Scripts also pass 4 or 7 values, whose effect the game does not
// document: such an argument is kept in asWritten and written back as it stands.
struct LightAttenuation {
    enum Value { Start, Constant, Linear, Quadratic, HardLimitStart, HardLimitEnd, ValueCount };
    bool set = false;
    std::array<QString, ValueCount> texts;
    QString asWritten; // the whole argument, brackets included, when it is not six values
    bool operator==(const LightAttenuation &) const = default;
};

// A light made to flicker by a loop of its script: every period the intensity (or the brightness)
// is set to a value drawn between low and high, and the period itself is drawn between shortest
// and longest. Each bound is kept as written.
struct LightFlicker {
    enum Kind { None, Intensity, Brightness };
    Kind kind = None;
    QString low;
    QString high;
    QString shortest; // seconds
    QString longest;  // seconds
    bool operator==(const LightFlicker &) const = default;
};

// What a light layer sets: the light object's type and its commands, each value as written and
// each command written only when it is set.
struct LightSettings {
    QString type = QStringLiteral("#lightpoint"); // or "#lightreflector"
    LightColour colour;
    LightColour ambient;
    LightValue intensity;
    LightValue brightness;
    // Where both are set, which was written first: the script keeps its order.
    bool brightnessFirst = false;
    LightAttenuation attenuation;
    LightValue dayLight; // true or false, as written
    LightValue useFlare; // true or false, as written
    LightValue flareSize;
    LightValue flareMaxDistance;
    LightFlicker flicker;
    // The light's other commands, each "command argument" as written (setLightConePars [...]),
    // in their order.
    QStringList otherCommands;
    bool operator==(const LightSettings &) const = default;
};

// A new light with every value set, as a script must write it: the state of a light before any
// command is not documented. A warm fire's light, steady.
LightSettings newLight();

// Intensity from the older games' brightness: intensity = 2500 × brightness².
double intensityOfBrightness(double brightness);

// A light as the preview plays it: its values worked out as numbers with the variables.
struct LightRecipe {
    std::array<double, 3> colour{1, 1, 1};
    std::array<double, 3> ambient{0, 0, 0};
    double intensity = 0; // as the commands leave it, brightness converted
    // start, constant, linear, quadratic; the hard limits where given (0 and 0 otherwise: none).
    std::array<double, LightAttenuation::ValueCount> attenuation{0, 0, 0, 1, 0, 0};
    bool hardLimits = false;
    bool dayLight = false;
    bool useFlare = false;
    double flareSize = 1;
    LightFlicker::Kind flicker = LightFlicker::None;
    // The flicker's bounds as intensities (a brightness flicker converted), and its period in s.
    double low = 0;
    double high = 0;
    double shortest = 0;
    double longest = 0;

    QStringList variables; // the variables its values name, in the order first named
    QStringList problems;  // values that cannot be read: the light is not drawn while there is one
    QStringList notes;     // what the preview leaves out of it
};

// Reads the light's values with the variables. A value that is not set takes the preview's
// assumption (see the model in light.cpp); one that cannot be read or gives no number is a
// problem.
LightRecipe readLight(const LightSettings &settings, const sqf::VariableValues &variables);

// The falloff of the attenuation at `distance` metres from the light, relative to its value at the
// start, from 1 down to 0.
double lightFalloff(const LightRecipe &light, double distance);

// The radius of the light's glow in the preview: where the falloff drops to kGlowFraction of its
// value at the start, cut at the hard limit's end.
double glowRadius(const LightRecipe &light);
inline constexpr double kGlowFraction = 0.01;
// No glow reaches further than this, for a light without falloff or hard limits.
inline constexpr double kLongestGlow = 500;

// How strongly the glow shows for an intensity, from 0 (none) towards kStrongestGlow.
double glowStrength(double intensity);
inline constexpr double kStrongestGlow = 0.75;

} // namespace effect
