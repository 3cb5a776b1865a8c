#pragma once

#include <array>

namespace drop {

// How the drop string carries the text of one parameter field.
enum class Emit {
    Quoted,    // enclosed in double quotes
    Bare,      // inserted unchanged
    Component, // one element of a three-element bracketed vector
    List,      // the colour list: bracketed in inline mode, replaced by the variable otherwise
};

// One row of the field table: what a field holds, how the drop string carries it, its texts.
struct FieldEntry {
    const char *parameter;
    Emit emitted;
    int component; // 1 to 3 inside a vector, 0 for a value of its own
    const char *startText;
    const char *helpText;
};

inline constexpr int kFieldCount = 27;

// Text1 .. Text27 in the order the drop string carries them (index 0 is Text1).
inline constexpr std::array<FieldEntry, kFieldCount> kFields{{
    {"ShapeName", Emit::Quoted, 0, "", "The name of the shape type (String)"},
    {"AnimationName", Emit::Quoted, 0, "", "The optional name of the animation if present (String)"},
    {"Type", Emit::Quoted, 0, "", "The type of the Shape (String)"},
    {"TimePeriod", Emit::Bare, 0, "0", "A time period for 'OnTime' (Number)"},
    {"LifeTime", Emit::Bare, 0, "0", "The lifetime for the particle (Number)"},
    {"Position", Emit::Component, 1, "0", "The relative X position to 'Object' (Number)"},
    {"Position", Emit::Component, 2, "0", "The relative Y position to 'Object' (Number)"},
    {"Position", Emit::Component, 3, "0", "The relative Z position to 'Object' (Number)"},
    {"MoveVelocity", Emit::Component, 1, "0", "The move velocity to the X axis in m/s (Number)"},
    {"MoveVelocity", Emit::Component, 2, "0", "The move velocity to the Y axis in m/s (Number)"},
    {"MoveVelocity", Emit::Component, 3, "0", "The move velocity to the Z axis in m/s (Number)"},
    {"RotationVelocity", Emit::Bare, 0, "0", "The rotation velocity of the partcle (Number)"},
    {"Weight", Emit::Bare, 0, "0", "The weight of the particle (Number)"},
    {"Volume", Emit::Bare, 0, "0", "The volume of the particle (Number)"},
    {"Rubbing", Emit::Bare, 0, "0", "The rubbing value of the particle (Number 0 to 1)"},
    {"Size", Emit::Component, 1, "0", "The start size of the particle (Number)"},
    {"Size", Emit::Component, 2, "0",
     "The decreasement/increasement size of the particle til the middle of 'LifeTime' (Number)"},
    {"Size", Emit::Component, 3, "0",
     "The decreasement/increasement size of the particle from the middle of 'LifeTime' til the end of "
     "'LifeTime' (Number)"},
    {"Color", Emit::List, 0, "[]", "The color value(s) of the particle (Array)"},
    {"AnimationPhase", Emit::Component, 1, "0", "The start animationphase time (Number)"},
    {"AnimationPhase", Emit::Component, 2, "0", "The middle animationphase time (Number)"},
    {"AnimationPhase", Emit::Component, 3, "0", "The end animationphase time (Number)"},
    {"RndmDirPeriod", Emit::Bare, 0, "0", "The time in seconds til change of random direction (Number)"},
    {"RndmDirIntensity", Emit::Bare, 0, "0", "The value of the velocity of 'RndmDirPeriod' in m/s (Number)"},
    {"OnTimer", Emit::Quoted, 0, "", "An optional command which execute start when 'TimePeriod' has expired (String)"},
    {"BeforeDestroy", Emit::Quoted, 0, "",
     "An optional command which will execute when 'LifeTime' has expired (String)"},
    {"Object", Emit::Bare, 0, "",
     "The object in the game where the particle will create (Variable). The later games' parameters after "
     "the object (angle, on surface, bounce, emissive color, direction) follow it here, separated by commas"},
}};

// The nineteen parameter names in drop string order: the captions of Label1 .. Label19.
inline constexpr std::array<const char *, 19> kParameterNames{
    "ShapeName",        "AnimationName",    "Type",    "TimePeriod",    "LifeTime", "Position", "MoveVelocity",
    "RotationVelocity", "Weight",           "Volume",  "Rubbing",       "Size",     "Color",    "AnimationPhase",
    "RndmDirPeriod",    "RndmDirIntensity", "OnTimer", "BeforeDestroy", "Object"};

// The fields by the parameter they hold: n for Text<n>, the first of three for a vector or a key
// list (Size, AnimationPhase).
namespace field {
inline constexpr int kShape = 1;
inline constexpr int kAnimationName = 2;
inline constexpr int kType = 3;
inline constexpr int kTimePeriod = 4;
inline constexpr int kLifeTime = 5;
inline constexpr int kPosition = 6;
inline constexpr int kVelocity = 9;
inline constexpr int kRotation = 12;
inline constexpr int kWeight = 13;
inline constexpr int kVolume = 14;
inline constexpr int kRubbing = 15;
inline constexpr int kSize = 16;
inline constexpr int kColour = 19;
inline constexpr int kPhase = 20;
inline constexpr int kPeriod = 23;
inline constexpr int kIntensity = 24;
inline constexpr int kOnTimer = 25;
inline constexpr int kBeforeDestroy = 26;
inline constexpr int kObject = 27;
} // namespace field

inline constexpr int kColourField = field::kColour;  // Text19
inline constexpr int kShapeTypeField = field::kType; // Text3

inline constexpr const char *kResultHelp = "The complete 'Drop' string, just copy and paste it into your script";
inline constexpr const char *kColourLineHelp =
    "If the checkbox is checked, the color array will be saved into a seperate variable";

} // namespace drop
