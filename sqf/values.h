#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

// Reading the values of the game's script language as they stand in a script text: string
// literals, bracketed arrays and the commas between their elements. Plain functions on texts, no
// evaluation: an element is handed back as the text it was written as.
namespace sqf {

// Blanks are spaces and tabs.
bool isBlank(QChar c);

// The text without the blanks that touch a comma, a square bracket, the start or the end. Blanks
// inside string literals and anywhere else (inside an expression such as "random 0.5 - random 0.7",
// next to a parenthesis) stay as written. A string that is not closed runs to the end of the text.
QString removeBlanks(QStringView text);

// Where the string literal that opens at text[at] (a '"' or a '\'') ends: the position just after
// its closing quote. Inside, the quote written twice stands for one quote. -1 when the string is
// not closed or text[at] is no quote.
qsizetype stringEnd(QStringView text, qsizetype at);

// The text between the outer quotes, exactly as written (a doubled quote stays doubled), when the
// whole text is one string literal.
std::optional<QString> stringContent(QStringView text);

// The string's value, when the whole text is one string literal: a doubled quote becomes one.
std::optional<QString> stringValue(QStringView text);

// The string literal in double quotes that has the given value.
QString doubleQuoted(QStringView value);

// The text without its comments, as the game reads it: "//" up to the end of the line (the line
// break stays) and "/* ... */" (one blank in its place) outside string literals. A comment that is
// not closed runs to the end of the text.
QString removeComments(QStringView text);

// What keeps a text's strings and brackets from being read.
struct Fault {
    enum class Kind {
        UnclosedString,  // the quote at `at` opens a string that does not end
        UnclosedBracket, // the bracket at `at` is not closed
        StrayClosing,    // the closing bracket at `at` closes nothing
        WrongClosing,    // the closing bracket at `at` does not match the one at `opening`
    };
    Kind kind;
    qsizetype at;           // position in the text, from 0
    qsizetype opening = -1; // WrongClosing only
    bool operator==(const Fault &) const = default;
};

// The first fault of the strings, square brackets and parentheses of the text, if any.
std::optional<Fault> firstFault(QStringView text);

// The bracket that closes the '[' or '(' at text[at], or the fault that comes first.
struct Closing {
    qsizetype at = -1; // position of the closing bracket; -1 with a fault
    std::optional<Fault> fault;
};
Closing closingBracket(QStringView text, qsizetype at);

// The elements of a comma-separated text, cut at the commas that stand outside strings, square
// brackets and parentheses, with the blank rule of removeBlanks applied. An empty text (or one of
// blanks only) has no elements; "a," has two, the second empty. Nothing when a string or bracket
// is not closed or a closing bracket does not match.
std::optional<QStringList> splitElements(QStringView text);

// True when the text, after the blank rule, opens with '[' and that bracket closes at its end.
bool isBracketed(QStringView text);

// The text between the outer square brackets of a bracketed text, blank rule applied ("[[]]" gives
// "[]", "[ ]" gives "").
std::optional<QString> bracketContent(QStringView text);

// True when the text opens with '(' and that parenthesis closes at its last character, so that
// the whole text is one parenthesised expression ("(a + b)", not "(a) + (b)" nor " (a)").
bool isParenthesised(QStringView text);

// The elements of a bracketed array ("[]" has none, "[1, 2]" has "1" and "2").
std::optional<QStringList> arrayElements(QStringView text);

// The number a plain decimal number text stands for: an optional '-', digits with at most one
// '.', at least one digit, nothing else. Nothing for any other text and for numbers too large for
// a double.
std::optional<double> plainNumber(QStringView text);

// The shortest decimal text with '.' that reads back as the same double, without an exponent
// ("1.65", "0.00001", "3"); negative zero is written "0".
QString formatNumber(double value);

// The sum and the difference of two plain numbers as formatNumber writes them, rounded to the
// decimal places the two are written with, so that 0.2 + 0.1 gives 0.3 and not the double's
// 0.30000000000000004; nothing when either is no plain number.
std::optional<QString> plainSum(QStringView a, QStringView b);
std::optional<QString> plainDifference(QStringView a, QStringView b);

} // namespace sqf
