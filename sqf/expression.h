#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <random>
#include <variant>
#include <vector>

namespace sqf {

// Where the reading of an expression stopped: the character position (from 1) and the word found
// there, empty at the end of the text.
struct ExpressionError {
    int position = 0;
    QString word;
    bool operator==(const ExpressionError &) const = default;
};

// Values of the variables an expression names, keyed by the name in lower case (names in the
// script language do not distinguish case).
using VariableValues = QHash<QString, double>;

// The random source of the evaluation: the same seed gives the same draws on every platform.
using Random = std::mt19937;

// A numeric script expression, read once and evaluated as often as needed: numbers (with fraction
// and exponent, 0x and $ hexadecimal), pi, the unary operators - + random abs sqrt sin cos tan exp
// ln log floor ceil round, and the binary operators ^, * / %, + - min max, from tightest to loosest,
// each level left to right. Any other name standing alone is a variable.
class Expression {
public:
    enum class Op : std::uint8_t {
        Number,
        Variable,
        Negate,
        Random,
        Abs,
        Sqrt,
        Sin,
        Cos,
        Tan,
        Exp,
        Ln,
        Log,
        Floor,
        Ceil,
        Round,
        Power,
        Multiply,
        Divide,
        Modulo,
        Add,
        Subtract,
        Min,
        Max,
    };
    struct Step {
        Op op;
        double number; // the value of a Number, the index into variables() of a Variable
    };

    // The names of the variables in the order of their first appearance, as first written.
    const QStringList &variables() const { return m_variables; }
    // True when the expression draws a random number, so that two evaluations can differ.
    bool isRandom() const;
    // The value with the given variables (a missing one counts as 0). A division by zero gives 0,
    // as in the game; other results that are not finite numbers come out as they are.
    double evaluate(Random &random, const VariableValues &values = {}) const;
    // The value with every random draw at the same part of its range, from 0 (random x gives 0)
    // to 1 (random x gives x): the ends of a draw's range, for writers that give a range.
    double evaluateAt(double draw, const VariableValues &values = {}) const;

private:
    template <typename Draw> double run(Draw draw, const VariableValues &values) const;
    friend std::variant<Expression, ExpressionError> readExpression(const QString &text);
    std::vector<Step> m_steps; // postfix order
    QStringList m_variables;
};

// Reads the whole text as one expression; surrounding blanks are allowed.
std::variant<Expression, ExpressionError> readExpression(const QString &text);

// The value of a text that is an expression without variables or random draws, or nothing.
std::optional<double> constantValue(const QString &text);

} // namespace sqf
