#pragma once

#include "values.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

// Reading a script text statement by statement: where one statement ends and the next begins, and
// what shape each one has. Read by shape alone, without the game's list of commands.
namespace sqf {

// The statements of a text, cut at the ';' that stand outside strings (both quote kinds, a
// doubled quote inside), square brackets, parentheses, braces and comments. Comments go as
// removeComments takes them ("//" to the end of its line, "/* ... */" for one blank), also inside
// brackets; blanks and line breaks at either end of a statement go, and a statement left empty is
// dropped. A fault of the strings or brackets (positions in the given text) leaves no statements.
struct StatementSplit {
    QStringList statements;
    std::optional<Fault> fault;
};
StatementSplit splitStatements(QStringView text);

// One statement by its shape.
struct Statement {
    enum class Kind {
        // "name command argument": an operand (a word, a string, a number or one bracketed group),
        // then a command word, then whatever follows it, which may be nothing.
        // "_ps setDropInterval 0.1", "(_this select 0) setPos [0, 0, 1]".
        Command,
        // "name = expression", with "private" before it or not.
        Assignment,
        // Anything else: "playSound "x"", "deleteVehicle _ps", "if (a) then {b}".
        Other,
    };
    Kind kind = Kind::Other;
    QString text;           // the statement as given, blanks and line breaks at either end removed
    QString name;           // Command: the operand before the command; Assignment: the variable
    QString command;        // Command: the command; Other: its first command word, or empty (see commandWord)
    QString argument;       // Command: what follows the command; Assignment: the expression
    bool isPrivate = false; // Assignment: written with "private" before the name
    bool operator==(const Statement &) const = default;
};
Statement readStatement(QStringView statement);

// True for a word of the script language: a letter or '_', then letters, digits and '_'
// (ASCII only).
bool isIdentifier(QStringView text);

// The first word outside strings and brackets that can be a command: not a local variable (no
// leading '_'), not part of a number; empty when there is none. "[_a] call _f" gives "call",
// "hint str _x" gives "hint".
QString commandWord(QStringView text);

} // namespace sqf
