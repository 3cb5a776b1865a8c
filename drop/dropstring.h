#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace drop {

enum class ColourMode { Inline, Separate };

// The complete drop command for the texts of Text1 .. Text27 (fields[0] is Text1).
// Field texts are copied unchanged; a list shorter than 27 reads as empty fields. String fields are
// quoted unless they are a shape array (ShapeName beginning with '[') or wholly in parentheses; a
// vector whose second and third fields are empty is its first field alone (a whole-value
// expression); a Size or AnimationPhase with an empty middle is [first, last]; an inline colour
// field wholly in parentheses is written as it stands; the separate colour mode writes
// colourVariableValue.
QString formatDropString(const QStringList &fields, ColourMode mode, const QString &colorVarName);

// True when the drop string carries the text of a string field (index 0 is Text1) as it stands,
// without quotes: a shape array in ShapeName, or an expression wholly in one pair of parentheses.
bool writtenWithoutQuotes(int field, const QString &text);

// Whether the separate colour mode writes the colour list (the text of Text19) in one pair of
// brackets in the colour variable line and names the variable bare in the drop string:
// "_color = [[1,0,0,1],[0,1,0,0.5]]" with _color. True for a list of no colour or of two and more;
// one colour, and any text not surely read as none or several, stays as typed with the variable in
// brackets: "_color = [1,1,1,1]" with [_color].
bool colourVariableHoldsTheList(const QString &colourList);

// Value 13 of the drop string in the separate colour mode: the colour variable, bare or in brackets
// as colourVariableHoldsTheList says. An empty name stays in brackets.
QString colourVariableValue(const QString &colorVarName, const QString &colourList);

// The colour variable line of the separate colour mode: name, " = ", the colour list, in brackets
// as colourVariableHoldsTheList says.
QString formatColourLine(const QString &colorVarName, const QString &colourList);

// Status bar size readout: "N Byte" inline, "N Byte + M Byte" separate.
QString formatSizeDisplay(ColourMode mode, qsizetype resultLength, qsizetype colourLineLength);

// The colour variable name the line names: the text before its first blank.
// An empty line names nothing.
std::optional<QString> colourVarNameFromLine(const QString &colourLine);

// The corrected spelling of a shape type that needs one ("billboard" -> "Billboard").
std::optional<QString> correctedShapeType(const QString &type);

// The initial texts of Text1 .. Text27.
QStringList startTexts();

} // namespace drop
