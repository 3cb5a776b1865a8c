#pragma once

#include <QColor>
#include <QFont>

namespace platform {

// The program's window font: Verdana 8.25 pt, or the closest face installed where Verdana is not.
QFont windowFont(bool bold = false);

// The system colours a text field's background takes: editable ("window background") and
// locked ("button face").
QColor windowBackgroundColour();
QColor buttonFaceColour();

// The text colour of a field whose content was refused: a red that reads on the field's background,
// dark on a light one and light on a dark one.
QColor errorTextColour();

// Twips (1/1440 inch) in pixels at 96 dots per inch, the unit the window layouts are drawn in.
constexpr int twips(int value)
{
    return (value + 7) / 15;
}

} // namespace platform
