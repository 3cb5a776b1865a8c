#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace import {

// What a pasted drop array yields for the main window.
struct ImportedArray {
    QStringList fields;                  // 27 texts for Text1 .. Text27
    std::optional<QString> colorVarName; // set only with separateColours
    QStringList tokens;                  // every trimmed token, also those past 26: what goes into List1
};

struct ParseOutcome {
    // The pasted text with line breaks turned into spaces, then every space removed, then a leading
    // "drop" keyword (any letter case) removed: what the dialog's text field shows afterwards.
    QString cleanedText;
    std::optional<ImportedArray> array; // empty when the text cannot be cut into the 27 values
};

// Cuts a pasted drop command or drop array into the texts of Text1 .. Text27, by fixed token
// positions and fixed character trims. With separateColours the array carries a bracketed colour
// variable name and the colour list is separateColourText, taken as it is; without, the array
// carries the colour list itself between "[[" and "]]".
ParseOutcome parseDropArray(const QString &pasted, bool separateColours, const QString &separateColourText);

} // namespace import
