#include "expression.h"

#include <QChar>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

namespace sqf {
namespace {

using Op = Expression::Op;
using Step = Expression::Step;

struct UnaryName {
    const char *name;
    Op op;
};
constexpr UnaryName kUnary[] = {
    {"random", Op::Random}, {"abs", Op::Abs},     {"sqrt", Op::Sqrt}, {"sin", Op::Sin},
    {"cos", Op::Cos},       {"tan", Op::Tan},     {"exp", Op::Exp},   {"ln", Op::Ln},
    {"log", Op::Log},       {"floor", Op::Floor}, {"ceil", Op::Ceil}, {"round", Op::Round},
};

bool isNameStart(QChar c)
{
    return c == QLatin1Char('_') || (c.unicode() < 128 && c.isLetter());
}

bool isNameChar(QChar c)
{
    return isNameStart(c) || (c.unicode() < 128 && c.isDigit());
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// Recursive descent over the text, writing the steps in postfix order.
// Deeper nesting than any script needs; far less than the stack holds.
constexpr int kDeepest = 256;

class Reader {
public:
    explicit Reader(const QString &text)
        : m_text(text)
    {}

    bool read(std::vector<Step> &steps, QStringList &variables)
    {
        m_steps = &steps;
        m_variables = &variables;
        if (!sum())
            return false;
        skipBlanks();
        if (m_at < m_text.size())
            return fail();
        return true;
    }

    ExpressionError error() const { return m_error; }

private:
    void skipBlanks()
    {
        while (m_at < m_text.size() && m_text.at(m_at).isSpace())
            ++m_at;
    }

    // The word at the reading position: a name, a number, or one other character.
    QString wordHere() const
    {
        if (m_at >= m_text.size())
            return {};
        int end = m_at;
        if (isNameChar(m_text.at(end)) || m_text.at(end) == QLatin1Char('$') || m_text.at(end) == QLatin1Char('.')) {
            ++end;
            while (end < m_text.size() && (isNameChar(m_text.at(end)) || m_text.at(end) == QLatin1Char('.')))
                ++end;
        } else {
            ++end;
        }
        return m_text.mid(m_at, end - m_at);
    }

    bool fail()
    {
        skipBlanks();
        m_error = {int(m_at) + 1, wordHere()};
        return false;
    }

    // A name at the reading position without consuming it.
    QString peekName() const
    {
        if (m_at >= m_text.size() || !isNameStart(m_text.at(m_at)))
            return {};
        qsizetype end = m_at + 1;
        while (end < m_text.size() && isNameChar(m_text.at(end)))
            ++end;
        return m_text.mid(m_at, end - m_at);
    }

    bool peekOperandStart()
    {
        skipBlanks();
        if (m_at >= m_text.size())
            return false;
        const QChar c = m_text.at(m_at);
        return isNameStart(c) || isDigit(c) || c == QLatin1Char('.') || c == QLatin1Char('$') || c == QLatin1Char('(')
               || c == QLatin1Char('[') || c == QLatin1Char('"');
    }

    void push(Op op, double number = 0) { m_steps->push_back({op, number}); }

    // sum: product (("+" | "-" | "min" | "max") product)*
    bool sum()
    {
        if (!product())
            return false;
        for (;;) {
            skipBlanks();
            Op op;
            qsizetype length = 1;
            const QString name = peekName().toLower();
            if (m_at < m_text.size() && m_text.at(m_at) == QLatin1Char('+'))
                op = Op::Add;
            else if (m_at < m_text.size() && m_text.at(m_at) == QLatin1Char('-'))
                op = Op::Subtract;
            else if (name == QLatin1String("min"))
                op = Op::Min, length = 3;
            else if (name == QLatin1String("max"))
                op = Op::Max, length = 3;
            else
                return true;
            m_at += length;
            if (!product())
                return false;
            push(op);
        }
    }

    // product: power (("*" | "/" | "%") power)*
    bool product()
    {
        if (!power())
            return false;
        for (;;) {
            skipBlanks();
            if (m_at >= m_text.size())
                return true;
            const QChar c = m_text.at(m_at);
            Op op;
            if (c == QLatin1Char('*'))
                op = Op::Multiply;
            else if (c == QLatin1Char('/'))
                op = Op::Divide;
            else if (c == QLatin1Char('%'))
                op = Op::Modulo;
            else
                return true;
            ++m_at;
            if (!power())
                return false;
            push(op);
        }
    }

    // power: unary ("^" unary)*
    bool power()
    {
        if (!unary())
            return false;
        for (;;) {
            skipBlanks();
            if (m_at >= m_text.size() || m_text.at(m_at) != QLatin1Char('^'))
                return true;
            ++m_at;
            if (!unary())
                return false;
            push(Op::Power);
        }
    }

    // unary: ("-" | "+" | function) unary | number | "pi" | variable | "(" sum ")"
    bool unary()
    {
        // Each level of nesting is a level of recursion: a text of thousands of "(" or "-" stops
        // where it gets too deep instead of running out of stack.
        struct Level {
            int &depth;
            explicit Level(int &d)
                : depth(++d)
            {}
            ~Level() { --depth; }
        } level(m_depth);
        if (m_depth > kDeepest)
            return fail();
        skipBlanks();
        if (m_at >= m_text.size())
            return fail();
        const QChar c = m_text.at(m_at);
        if (c == QLatin1Char('-') || c == QLatin1Char('+')) {
            ++m_at;
            if (!unary())
                return false;
            if (c == QLatin1Char('-'))
                push(Op::Negate);
            return true;
        }
        if (c == QLatin1Char('(')) {
            ++m_at;
            if (!sum())
                return false;
            skipBlanks();
            if (m_at >= m_text.size() || m_text.at(m_at) != QLatin1Char(')'))
                return fail();
            ++m_at;
            return true;
        }
        if (isDigit(c) || c == QLatin1Char('.') || c == QLatin1Char('$'))
            return number();
        const QString name = peekName();
        if (name.isEmpty())
            return fail();
        const QString lower = name.toLower();
        if (lower == QLatin1String("pi")) {
            m_at += name.size();
            push(Op::Number, std::numbers::pi);
            return true;
        }
        for (const UnaryName &function : kUnary) {
            if (lower == QLatin1String(function.name)) {
                m_at += name.size();
                if (!unary())
                    return false;
                push(function.op);
                return true;
            }
        }
        if (lower == QLatin1String("min") || lower == QLatin1String("max"))
            return fail();
        // A name followed by an operand is a command of the game, not a variable; after a local
        // variable (_name) the next name is rather a binary command, where the reading stops.
        const qsizetype start = m_at;
        m_at += name.size();
        const bool local = name.startsWith(QLatin1Char('_'));
        if (peekOperandStart() && !(local && !peekName().isEmpty())) {
            m_at = start;
            return fail();
        }
        qsizetype index = -1;
        for (qsizetype i = 0; i < m_variables->size(); ++i)
            if (m_variables->at(i).compare(name, Qt::CaseInsensitive) == 0)
                index = i;
        if (index < 0) {
            index = m_variables->size();
            m_variables->append(name);
        }
        push(Op::Variable, double(index));
        return true;
    }

    bool number()
    {
        const qsizetype start = m_at;
        const auto hexadecimal = [this, start](qsizetype digitsFrom) {
            m_at = digitsFrom;
            double value = 0;
            while (m_at < m_text.size() && hexDigit(m_text.at(m_at)) >= 0)
                value = value * 16 + hexDigit(m_text.at(m_at++));
            if (m_at == digitsFrom || (m_at < m_text.size() && isNameChar(m_text.at(m_at)))) {
                m_at = start;
                return fail();
            }
            push(Op::Number, value);
            return true;
        };
        if (m_text.at(m_at) == QLatin1Char('$'))
            return hexadecimal(m_at + 1);
        if (m_text.at(m_at) == QLatin1Char('0') && m_at + 1 < m_text.size()
            && m_text.at(m_at + 1).toLower() == QLatin1Char('x'))
            return hexadecimal(m_at + 2);

        qsizetype end = m_at;
        int digits = 0;
        while (end < m_text.size() && isDigit(m_text.at(end)))
            ++end, ++digits;
        if (end < m_text.size() && m_text.at(end) == QLatin1Char('.')) {
            ++end;
            while (end < m_text.size() && isDigit(m_text.at(end)))
                ++end, ++digits;
        }
        if (digits == 0)
            return fail();
        if (end < m_text.size() && m_text.at(end).toLower() == QLatin1Char('e')) {
            qsizetype exponent = end + 1;
            if (exponent < m_text.size()
                && (m_text.at(exponent) == QLatin1Char('+') || m_text.at(exponent) == QLatin1Char('-')))
                ++exponent;
            qsizetype exponentEnd = exponent;
            while (exponentEnd < m_text.size() && isDigit(m_text.at(exponentEnd)))
                ++exponentEnd;
            if (exponentEnd == exponent)
                return fail();
            end = exponentEnd;
        }
        // A number runs into no name: "2pi" or "1.5.2" is not read as two values.
        if (end < m_text.size() && (isNameChar(m_text.at(end)) || m_text.at(end) == QLatin1Char('.')))
            return fail();
        bool ok = false;
        const double value = m_text.mid(start, end - start).toDouble(&ok);
        if (!ok)
            return fail();
        m_at = end;
        push(Op::Number, value);
        return true;
    }

    const QString &m_text;
    qsizetype m_at = 0;
    std::vector<Step> *m_steps = nullptr;
    QStringList *m_variables = nullptr;
    ExpressionError m_error;
    int m_depth = 0;
};

double radians(double degrees)
{
    return degrees * std::numbers::pi / 180.0;
}

} // namespace

std::variant<Expression, ExpressionError> readExpression(const QString &text)
{
    Expression expression;
    Reader reader(text);
    if (!reader.read(expression.m_steps, expression.m_variables))
        return reader.error();
    return expression;
}

bool Expression::isRandom() const
{
    return std::any_of(m_steps.begin(), m_steps.end(), [](const Step &step) { return step.op == Op::Random; });
}

double Expression::evaluate(Random &random, const VariableValues &values) const
{
    // 32 random bits scaled by hand: the standard distributions differ between libraries.
    return run([&random] { return double(random()) / 4294967296.0; }, values);
}

double Expression::evaluateAt(double draw, const VariableValues &values) const
{
    return run([draw] { return draw; }, values);
}

template <typename Draw> double Expression::run(Draw draw, const VariableValues &values) const
{
    std::vector<double> stack;
    stack.reserve(m_steps.size());
    std::vector<double> variableValues;
    variableValues.reserve(m_variables.size());
    for (const QString &name : m_variables)
        variableValues.push_back(values.value(name.toLower(), 0.0));

    for (const Step &step : m_steps) {
        switch (step.op) {
        case Op::Number:
            stack.push_back(step.number);
            continue;
        case Op::Variable:
            stack.push_back(variableValues[std::size_t(step.number)]);
            continue;
        default:
            break;
        }
        if (step.op >= Op::Power) {
            const double right = stack.back();
            stack.pop_back();
            double &left = stack.back();
            switch (step.op) {
            case Op::Power:
                left = std::pow(left, right);
                break;
            case Op::Multiply:
                left *= right;
                break;
            case Op::Divide:
                left = right == 0 ? 0 : left / right;
                break;
            case Op::Modulo:
                left = right == 0 ? 0 : std::fmod(left, right);
                break;
            case Op::Add:
                left += right;
                break;
            case Op::Subtract:
                left -= right;
                break;
            case Op::Min:
                left = std::min(left, right);
                break;
            case Op::Max:
                left = std::max(left, right);
                break;
            default:
                break;
            }
            continue;
        }
        double &x = stack.back();
        switch (step.op) {
        case Op::Negate:
            x = -x;
            break;
        case Op::Random:
            x *= draw();
            break;
        case Op::Abs:
            x = std::abs(x);
            break;
        case Op::Sqrt:
            x = std::sqrt(x);
            break;
        case Op::Sin:
            x = std::sin(radians(x));
            break;
        case Op::Cos:
            x = std::cos(radians(x));
            break;
        case Op::Tan:
            x = std::tan(radians(x));
            break;
        case Op::Exp:
            x = std::exp(x);
            break;
        case Op::Ln:
            x = std::log(x);
            break;
        case Op::Log:
            x = std::log10(x);
            break;
        case Op::Floor:
            x = std::floor(x);
            break;
        case Op::Ceil:
            x = std::ceil(x);
            break;
        case Op::Round:
            x = std::round(x);
            break;
        default:
            break;
        }
    }
    return stack.empty() ? 0.0 : stack.back();
}

std::optional<double> constantValue(const QString &text)
{
    const auto read = readExpression(text);
    const auto *expression = std::get_if<Expression>(&read);
    if (!expression || !expression->variables().isEmpty() || expression->isRandom())
        return std::nullopt;
    Random unused;
    return expression->evaluate(unused);
}

} // namespace sqf
