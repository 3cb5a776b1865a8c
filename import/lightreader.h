#pragma once

#include "effect/light.h"
#include "sqf/statements.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// The reading of a light out of a text already taken apart into statements, for the effect script
// import: its creation, its commands and the loop that makes it flicker.
namespace import {

// "_l = "#lightpoint" createVehicleLocal _pos", or "#lightreflector", with createVehicle in either
// of its forms.
bool createsALight(const sqf::Statement &statement);

// "_l = objNull" (private or not): the light's variable declared before the light is made.
bool declaresALight(const sqf::Statement &statement, const QString &name);

// The offset an attachTo, a lightAttachObject or a relative setPos ("(p vectorAdd [x, y, z])",
// "(obj modelToWorld [x, y, z])") gives a source or a light, as written; nothing for any other
// statement.
std::optional<std::array<QString, 3>> offsetOf(const sqf::Statement &statement);

struct LightRead {
    effect::LightSettings settings; // without the flicker, which a loop gives
    QList<qsizetype> used;          // its declaration, creation and commands; the placing ones are offsetOf's
    QStringList notes;              // "2 setLightIntensity: the last was taken", values kept as written
    QString failure;                // a command written without a value
};

// The light of that name (letter case aside) as its creation and commands among the statements
// give it: the last of each command counted, any command the light has no value for kept in
// otherCommands as written, in order.
LightRead readLightCommands(const QList<sqf::Statement> &statements, const QString &name);

// A flicker loop and the light it acts on.
struct FlickerLoop {
    QString light;
    effect::LightFlicker flicker;
};

// The flicker a statement is: "[_l] spawn { params ["_l"]; while {!isNull _l} do { _l
// setLightIntensity (a + random b); sleep c; }; }" (or setLightBrightness, sleep (c + random d),
// _this select 0 for params, "_l spawn" with _this, assigned to a variable or to 0), or the same
// while loop in the script itself. Its bounds as readRandomRange reads them.
std::optional<FlickerLoop> flickerLoopOf(const sqf::Statement &statement);

// Whether a statement is a loop: a while or a for, alone or in spawned code.
bool isLoop(const sqf::Statement &statement);

// "a + random b" (in parentheses or not) as its two bounds: a, and a + b worked out where both are
// plain numbers, X where b is "(X - a)", else the text "a + b". A text without "+ random" is no
// range, or with `fixed` both bounds. A bound in parentheses loses them.
std::optional<std::pair<QString, QString>> readRandomRange(const QString &text, bool fixed);

} // namespace import
