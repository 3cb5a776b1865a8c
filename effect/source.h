#pragma once

#include "sqf/configreader.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>

namespace effect {

// setParticleRandom: how much each value of a particle varies, in the command's order. The game
// takes 8, 9 or 10 elements; Angle and BounceOnSurface are the optional ninth and tenth.
struct SourceRandom {
    enum Value {
        LifeTime,
        PositionX,
        PositionY,
        PositionZ,
        VelocityX,
        VelocityY,
        VelocityZ,
        RotationVelocity,
        Size,
        ColorR,
        ColorG,
        ColorB,
        ColorA,
        DirPeriod,
        DirIntensity,
        Angle,
        BounceOnSurface,
        ValueCount
    };
    bool set = false;
    int elements = 8; // 8, 9 or 10, as written
    // Each value as written: a number, a variable or an expression. A vector written as one
    // expression keeps it in its x with y and z empty, as the main window's vector fields do.
    std::array<QString, ValueCount> texts;

    SourceRandom();
    bool operator==(const SourceRandom &) const = default;
};

// setParticleCircle [radius, [vx, vy, vz]].
struct SourceCircle {
    enum Value { Radius, VelocityX, VelocityY, VelocityZ, ValueCount };
    bool set = false;
    std::array<QString, ValueCount> texts;

    SourceCircle();
    bool operator==(const SourceCircle &) const = default;
};

// setDropInterval: seconds between two particles. The preview and the drop loop emit at this
// interval whether or not the source sets it; set says whether the command is written.
struct SourceInterval {
    bool set = false;
    QString text = QStringLiteral("0.05");
    bool operator==(const SourceInterval &) const = default;
};

// What a particle source does beside its setParticleParams. Every value is kept as the text it was
// written as; a command that is not set keeps its texts but is not written.
struct SourceSettings {
    QString name = QStringLiteral("_ps"); // the source's variable, as the block wrote it
    SourceRandom random;
    SourceCircle circle;
    SourceInterval interval;
    // The source's other commands, each "command argument" as written (setParticleClass "Name",
    // setParticleFire [...]), in their order.
    QStringList otherCommands;
    bool operator==(const SourceSettings &) const = default;
};

// A field of the config class that an imported class did not write, inherited from its base, or
// wrote in a form the fields cannot hold as it stands (an expression string, a macro, arithmetic).
// While the effect still gives the field as it did at the import, the class is written back with
// the field as the class wrote it, or without the field.
struct ConfigFieldMark {
    QString field;        // its name, as the class is written with it: "interval", "positionVar"
    QString written;      // as the class wrote the value; empty where it did not write the field
    QString importedAs;   // the field as the effect gave it at the import (exporter::fieldAsGiven)
    bool appends = false; // written with "+=", adding to the base's array
    bool operator==(const ConfigFieldMark &) const = default;
};

// The config class an effect is written as: its name and its base, as written (a macro call such
// as CLASS(Flare_Blue) stays one), with what an imported class keeps beyond the fields. An empty
// name takes the effect's name; an empty base is Default.
struct EffectClass {
    QString name;
    QString base;
    QList<ConfigFieldMark> marks;
    // The fields only a config has (ignoreWind, colorCoef[], ...), as written, in their order.
    QList<sqf::ConfigEntry> configOnly;
    bool operator==(const EffectClass &) const = default;
};

} // namespace effect
