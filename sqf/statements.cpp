#include "statements.h"

#include <vector>

namespace sqf {
namespace {

bool isQuote(QChar c)
{
    return c == QLatin1Char('"') || c == QLatin1Char('\'');
}

bool isOpening(QChar c)
{
    return c == QLatin1Char('[') || c == QLatin1Char('(') || c == QLatin1Char('{');
}

bool isClosing(QChar c)
{
    return c == QLatin1Char(']') || c == QLatin1Char(')') || c == QLatin1Char('}');
}

bool closes(QChar closing, QChar opening)
{
    return (opening == QLatin1Char('[') && closing == QLatin1Char(']'))
           || (opening == QLatin1Char('(') && closing == QLatin1Char(')'))
           || (opening == QLatin1Char('{') && closing == QLatin1Char('}'));
}

bool isAsciiLetter(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isWordChar(QChar c)
{
    return isAsciiLetter(c) || isDigit(c) || c == QLatin1Char('_');
}

bool startsWord(QChar c)
{
    return isAsciiLetter(c) || c == QLatin1Char('_');
}

qsizetype skipSpace(QStringView text, qsizetype i)
{
    while (i < text.size() && text[i].isSpace())
        ++i;
    return i;
}

qsizetype wordEnd(QStringView text, qsizetype i)
{
    while (i < text.size() && isWordChar(text[i]))
        ++i;
    return i;
}

// The position after the group that opens at text[at] with '[', '(' or '{', strings inside
// skipped; -1 when it does not close as it opened.
qsizetype groupEnd(QStringView text, qsizetype at)
{
    std::vector<QChar> open;
    qsizetype i = at;
    while (i < text.size()) {
        const QChar c = text[i];
        if (isQuote(c)) {
            i = stringEnd(text, i);
            if (i < 0)
                return -1;
            continue;
        }
        if (isOpening(c)) {
            open.push_back(c);
        } else if (isClosing(c)) {
            if (open.empty() || !closes(c, open.back()))
                return -1;
            open.pop_back();
            if (open.empty())
                return i + 1;
        }
        ++i;
    }
    return -1;
}

// The position after the operand that starts the statement at text[at]: a word, a string, a
// number or one bracketed group; -1 when the statement does not start with one.
qsizetype operandEnd(QStringView text, qsizetype at)
{
    if (at >= text.size())
        return -1;
    const QChar c = text[at];
    if (startsWord(c))
        return wordEnd(text, at);
    if (isQuote(c))
        return stringEnd(text, at);
    if (isOpening(c))
        return groupEnd(text, at);
    if (isDigit(c) || (c == QLatin1Char('.') && at + 1 < text.size() && isDigit(text[at + 1]))) {
        qsizetype i = at;
        while (i < text.size() && (isWordChar(text[i]) || text[i] == QLatin1Char('.')))
            ++i;
        return i;
    }
    return -1;
}

// An assignment's '=' at text[at]: one '=', not the first of "==".
bool isAssignmentSign(QStringView text, qsizetype at)
{
    return at < text.size() && text[at] == QLatin1Char('=')
           && (at + 1 >= text.size() || text[at + 1] != QLatin1Char('='));
}

// "[private] name = expression" from text[0], when the statement has that shape.
bool readAssignment(QStringView text, Statement &statement)
{
    qsizetype i = 0;
    qsizetype end = wordEnd(text, 0);
    if (end == 0 || !startsWord(text[0]))
        return false;
    bool isPrivate = false;
    if (text.first(end).compare(QLatin1StringView("private"), Qt::CaseInsensitive) == 0) {
        const qsizetype next = skipSpace(text, end);
        const qsizetype nextEnd = wordEnd(text, next);
        if (next > end && nextEnd > next && startsWord(text[next])
            && isAssignmentSign(text, skipSpace(text, nextEnd))) {
            isPrivate = true;
            i = next;
            end = nextEnd;
        }
    }
    const qsizetype sign = skipSpace(text, end);
    if (!isAssignmentSign(text, sign))
        return false;
    statement.kind = Statement::Kind::Assignment;
    statement.name = text.sliced(i, end - i).toString();
    statement.argument = text.sliced(sign + 1).trimmed().toString();
    statement.isPrivate = isPrivate;
    return true;
}

// "operand command argument" from text[0], when the statement has that shape.
bool readCommand(QStringView text, Statement &statement)
{
    const qsizetype nameEnd = operandEnd(text, 0);
    if (nameEnd <= 0)
        return false;
    const qsizetype command = skipSpace(text, nameEnd);
    // Two words need a blank between them to be two.
    if (command == nameEnd && isWordChar(text[nameEnd - 1]))
        return false;
    if (command >= text.size() || !isAsciiLetter(text[command]))
        return false;
    const qsizetype commandEnd = wordEnd(text, command);
    statement.kind = Statement::Kind::Command;
    statement.name = text.first(nameEnd).toString();
    statement.command = text.sliced(command, commandEnd - command).toString();
    statement.argument = text.sliced(commandEnd).trimmed().toString();
    return true;
}

} // namespace

StatementSplit splitStatements(QStringView text)
{
    StatementSplit split;
    QString current;
    std::vector<qsizetype> open;
    const auto finish = [&split, &current] {
        const QString statement = current.trimmed();
        if (!statement.isEmpty())
            split.statements << statement;
        current.clear();
    };
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = text[i];
        if (isQuote(c)) {
            const qsizetype end = stringEnd(text, i);
            if (end < 0) {
                split.fault = Fault{Fault::Kind::UnclosedString, i};
                break;
            }
            current.append(text.sliced(i, end - i));
            i = end;
            continue;
        }
        if (c == QLatin1Char('/') && i + 1 < n && text[i + 1] == QLatin1Char('/')) {
            while (i < n && text[i] != QLatin1Char('\n') && text[i] != QLatin1Char('\r'))
                ++i;
            continue;
        }
        if (c == QLatin1Char('/') && i + 1 < n && text[i + 1] == QLatin1Char('*')) {
            const qsizetype close = text.indexOf(QLatin1StringView("*/"), i + 2);
            i = close < 0 ? n : close + 2;
            current.append(QLatin1Char(' '));
            continue;
        }
        if (isOpening(c)) {
            open.push_back(i);
        } else if (isClosing(c)) {
            if (open.empty()) {
                split.fault = Fault{Fault::Kind::StrayClosing, i};
                break;
            }
            if (!closes(c, text[open.back()])) {
                split.fault = Fault{Fault::Kind::WrongClosing, i, open.back()};
                break;
            }
            open.pop_back();
        } else if (c == QLatin1Char(';') && open.empty()) {
            finish();
            ++i;
            continue;
        }
        current.append(c);
        ++i;
    }
    if (!split.fault && !open.empty())
        split.fault = Fault{Fault::Kind::UnclosedBracket, open.back()};
    if (split.fault) {
        split.statements.clear();
        return split;
    }
    finish();
    return split;
}

Statement readStatement(QStringView statement)
{
    Statement read;
    const QStringView text = statement.trimmed();
    read.text = text.toString();
    if (readAssignment(text, read) || readCommand(text, read))
        return read;
    read.kind = Statement::Kind::Other;
    read.command = commandWord(text);
    return read;
}

bool isIdentifier(QStringView text)
{
    return !text.isEmpty() && startsWord(text[0]) && wordEnd(text, 0) == text.size();
}

QString commandWord(QStringView text)
{
    qsizetype depth = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text[i];
        if (isQuote(c)) {
            const qsizetype end = stringEnd(text, i);
            if (end < 0)
                break;
            i = end;
        } else if (isOpening(c)) {
            ++depth;
            ++i;
        } else if (isClosing(c)) {
            depth = depth > 0 ? depth - 1 : 0;
            ++i;
        } else if (isWordChar(c)) {
            const qsizetype end = wordEnd(text, i);
            if (depth == 0 && isAsciiLetter(c))
                return text.sliced(i, end - i).toString();
            i = end;
        } else {
            ++i;
        }
    }
    return {};
}

} // namespace sqf
