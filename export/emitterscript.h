#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace exporter {

// The two script formats of the game: the loop of labels and jumps, and the later one of blocks
// and statements ended by ';'.
enum class ScriptFormat { Sqs, Sqf };

// The format a file name asks for by its extension: .sqf the later one, anything else .sqs.
ScriptFormat scriptFormatFor(const QString &fileName);

// The name proposed for the script of a shape: the shape's own name without its folders and
// extension, with the format's suffix ("cl_basic.sqs"), or "effect" with it when there is none.
QString proposedScriptName(const QString &shapeName, ScriptFormat format = ScriptFormat::Sqs);

// The object of the Object field: its first element (later games put more parameters after the
// object), blanks around it removed; empty when there is none or the field cannot be read.
QString objectElement(const QString &objectText);

// The object variable of the Object field: its first element when that is a local variable name
// other than _this, else an empty text.
QString objectVariable(const QString &objectText);

// True for a local variable's name: '_' and letters, digits or '_'.
bool isLocalName(const QString &name);

// The drop array of a drop string (Text28): the text after a leading "Drop" keyword.
QString dropArray(const QString &dropString);

// A variable named in the fields and the value the preview assumes for it.
struct AssumedValue {
    QString name;
    double value = 0;
};

// What the script is made of: the main window's texts as they are, and the preview's settings.
struct EmitterSettings {
    QString shapeName;
    QString objectText;            // Text27
    QString dropString;            // Text28
    bool separateColours = false;  // Check1
    QString colourLine;            // Text29
    QList<AssumedValue> variables; // the names the fields use, in the preview's order
    double interval = 0.05;        // seconds between two drops
    double duration = 0;           // seconds of emission; 0 without end
    // Set source commands that a drop loop does not play: its header says so.
    bool sourceRandom = false; // setParticleRandom
    bool sourceCircle = false; // setParticleCircle
};

// The colour variable the colour line assigns in the separate colour mode; empty otherwise.
QString colourVariable(const EmitterSettings &settings);

// Why no drop loop can be written for these settings: an interval of 0 (the source is off, and a
// loop that does not wait would stop the game) or one that is no time to wait. Nothing when it can.
std::optional<QString> emitterScriptRefusal(const EmitterSettings &settings);

// What a script does about the variables the values name: the global ones it expects from the
// mission, and the local ones it sets to the values the preview assumed. The names in
// `setElsewhere` (the object, the colour variable) get their values from the script itself.
struct ScriptVariables {
    QStringList expected;
    QList<AssumedValue> assumed;
};
ScriptVariables scriptVariables(const QList<AssumedValue> &variables, const QStringList &setElsewhere,
                                ScriptFormat format);
// The comment lines that name them: the expected ones, and a line before the assumed ones.
QStringList variableComments(const ScriptVariables &variables, ScriptFormat format);
// The assignments of the assumed values.
QStringList variableAssignments(const ScriptVariables &variables, ScriptFormat format);

// The lines of a script that drops what the preview emits: a drop at once, then one every
// interval while less than the duration has passed since the start (or without end), with the
// object taken from the script's argument and the local variables set to the preview's values.
// fileName is the script's own name, for the line that tells how to start it. No lines while
// emitterScriptRefusal refuses the settings.
QStringList emitterScriptLines(const EmitterSettings &settings, ScriptFormat format, const QString &fileName);

// Seconds or a value as the script writes it: at most six decimals, no trailing zeros, '.'.
QString scriptNumber(double value);

} // namespace exporter
