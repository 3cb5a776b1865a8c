#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace import {

// What a pasted drop array yields for the main window.
struct ImportedArray {
    QStringList fields;                  // 27 texts for Text1 .. Text27
    std::optional<QString> colorVarName; // set only with separateColours
    // The 27 values as read (the colour variable's name in place of the colour list with
    // separateColours, the object alone), then every element after the nineteenth as written:
    // what goes into List1.
    QStringList tokens;
};

// Why a pasted text cannot be read into the fields.
struct ImportFailure {
    enum class Kind {
        Empty,
        NotAnArray,      // the text does not open with '['
        UnclosedString,  // at: the opening quote
        UnclosedBracket, // at: the bracket
        StrayBracket,    // at: a closing bracket that closes nothing
        WrongBracket,    // at: a closing bracket that does not match the one at `opening`
        TextAfterArray,  // at: the array's closing bracket, followed by more than one ';'
        TooFewValues,    // count: the values found
        NotAString,      // parameter: empty
        WrongValueCount, // parameter, count: a bracketed Position or MoveVelocity of other than 3, [] elsewhere
        NoColourList,    // box clear, the colour is empty
        NoColourName,    // box set, the colour is not a variable name, bare or in brackets
    };
    Kind kind;
    int parameter = -1;    // 0 .. 18, in drop order
    qsizetype count = 0;   // values found
    qsizetype at = 0;      // character in the cleaned text, from 1
    qsizetype opening = 0; // WrongBracket: the opening bracket's character, from 1
    bool operator==(const ImportFailure &) const = default;
};

struct ParseOutcome {
    // The pasted text without its comments, with line breaks turned into spaces, the blanks removed
    // that touch a comma, a square bracket, the start or the end, and a leading "drop" keyword or
    // everything up to a "setParticleParams" before the array (any letter case) removed: what the
    // dialog's text field shows afterwards.
    QString cleanedText;
    std::optional<ImportedArray> array;   // empty when the text cannot be read into the 27 values
    std::optional<ImportFailure> failure; // set exactly when array is empty
};

// Reads a pasted drop command or drop array into the texts of Text1 .. Text27 by its structure:
// one bracketed array of at least nineteen elements, string parameters in quotes (their text
// between the quotes taken as written; an expression in parentheses, a shape array as written),
// vectors in brackets or as one expression in the first field, Size and AnimationPhase with any
// number of values, the elements after the object kept with it in Text27, blanks inside values
// kept. With separateColours the array carries the colour variable's name, in brackets or bare,
// and the colour list is separateColourText, taken as it is; without, the array carries the
// colour list itself.
ParseOutcome parseDropArray(const QString &pasted, bool separateColours, const QString &separateColourText);

// The sentence that tells the user why the import failed.
QString failureReason(const ImportFailure &failure);

} // namespace import
