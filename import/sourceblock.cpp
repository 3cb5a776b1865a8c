#include "sourceblock.h"
#include "sourcereader.h"

#include "drop/fieldtable.h"
#include "input/singleline.h"
#include "sqf/statements.h"
#include "sqf/values.h"

#include <algorithm>
#include <array>
#include <span>
#include <string_view>

namespace import {
namespace {

using Kind = BlockFailure::Kind;
using sqf::Statement;

constexpr int kColourValue = 12; // value 13 of the array
static_assert(std::string_view(drop::kParameterNames.at(kColourValue)) == "Color");

// The names of setParticleRandom's values, in its order.
constexpr std::array<const char *, 10> kRandomParts{"LifeTime", "Position",       "MoveVelocity",  "RotationVelocity",
                                                    "Size",     "Color",          "RndmDirPeriod", "RndmDirIntensity",
                                                    "Angle",    "BounceOnSurface"};

// The source commands that set one thing each, where a later one replaces an earlier one.
constexpr std::array<const char *, 4> kCounted{"setParticleParams", "setParticleRandom", "setParticleCircle",
                                               "setDropInterval"};
enum Counted { kParams, kRandom, kCircle, kInterval };

bool is(const QString &command, QLatin1StringView name)
{
    return command.compare(name, Qt::CaseInsensitive) == 0;
}

// Where the command stands in kCounted, or -1.
int countedCommand(const QString &command)
{
    for (std::size_t i = 0; i < kCounted.size(); ++i) {
        if (is(command, QLatin1StringView(kCounted.at(i))))
            return int(i);
    }
    return -1;
}

// The commands that act on a particle source.
bool isSourceCommand(const QString &command)
{
    return command.startsWith(QLatin1StringView("setParticle"), Qt::CaseInsensitive)
           || is(command, QLatin1StringView("setDropInterval"));
}

// A text that no statement reading can take apart, yet names a source command outside its
// strings: a block whose fault should be told as the block's.
bool namesASourceCommand(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size()) {
        if (text[i] == QLatin1Char('"') || text[i] == QLatin1Char('\'')) {
            const qsizetype end = sqf::stringEnd(text, i);
            if (end < 0)
                return false;
            i = end;
            continue;
        }
        qsizetype end = i;
        while (end < text.size() && (text[end].isLetterOrNumber() || text[end] == QLatin1Char('_')))
            ++end;
        if (end == i) {
            ++i;
            continue;
        }
        if (isSourceCommand(text.sliced(i, end - i).toString()))
            return true;
        i = end;
    }
    return false;
}

BlockFailure failure(Kind kind, const QString &command = {})
{
    BlockFailure result;
    result.kind = kind;
    result.command = command;
    return result;
}

BlockFailure textFailure(const sqf::Fault &fault)
{
    BlockFailure result = failure(Kind::Text);
    switch (fault.kind) {
    case sqf::Fault::Kind::UnclosedString:
        result.detail = {ImportFailure::Kind::UnclosedString, -1, 0, fault.at + 1};
        break;
    case sqf::Fault::Kind::UnclosedBracket:
        result.detail = {ImportFailure::Kind::UnclosedBracket, -1, 0, fault.at + 1};
        break;
    case sqf::Fault::Kind::StrayClosing:
        result.detail = {ImportFailure::Kind::StrayBracket, -1, 0, fault.at + 1};
        break;
    case sqf::Fault::Kind::WrongClosing:
        result.detail = {ImportFailure::Kind::WrongBracket, -1, 0, fault.at + 1, fault.opening + 1};
        break;
    }
    return result;
}

BlockOutcome plainArray(const QString &pasted, bool separateColours, const QString &separateColourText)
{
    ParseOutcome parsed = parseDropArray(pasted, separateColours, separateColourText);
    BlockOutcome outcome;
    outcome.cleanedText = std::move(parsed.cleanedText);
    if (parsed.array) {
        outcome.block = ImportedBlock{std::move(*parsed.array), separateColours, {}, {}};
    } else {
        BlockFailure result = failure(Kind::Array);
        if (parsed.failure)
            result.detail = *parsed.failure;
        outcome.failure = result;
    }
    return outcome;
}

// A value of an array argument into `texts`: a vector of texts.size() components when bracketed,
// else one expression in the first text with the others empty.
std::optional<BlockFailure> readPart(const QString &value, const Statement &statement, const char *part,
                                     std::span<QString> texts)
{
    BlockFailure wrong = failure(Kind::EmptyValue, statement.command);
    wrong.part = QString::fromLatin1(part);
    if (value.isEmpty())
        return wrong;
    const std::optional<QStringList> components = texts.size() > 1 ? sqf::arrayElements(value) : std::nullopt;
    if (!components) {
        for (QString &text : texts)
            text.clear();
        texts.front() = value;
        return std::nullopt;
    }
    if (std::size_t(components->size()) != texts.size()) {
        wrong.kind = Kind::VectorCount;
        wrong.count = components->size();
        wrong.expected = qsizetype(texts.size());
        return wrong;
    }
    if (components->contains(QString()))
        return wrong;
    std::copy(components->cbegin(), components->cend(), texts.begin());
    return std::nullopt;
}

// The values of an array argument, or why there are none of a count from `least` to `most`.
std::optional<BlockFailure> argumentValues(const Statement &statement, qsizetype least, qsizetype most,
                                           QStringList &values)
{
    if (statement.argument.isEmpty())
        return failure(Kind::NoValue, statement.command);
    const std::optional<QStringList> elements = sqf::arrayElements(statement.argument);
    if (!elements)
        return failure(Kind::NotAnArray, statement.command);
    if (elements->size() < least || elements->size() > most) {
        BlockFailure wrong = failure(Kind::ValueCount, statement.command);
        wrong.count = elements->size();
        wrong.expected = least;
        return wrong;
    }
    values = *elements;
    return std::nullopt;
}

std::optional<BlockFailure> readRandom(const Statement &statement, effect::SourceRandom &random)
{
    using R = effect::SourceRandom;
    QStringList values;
    if (std::optional<BlockFailure> wrong = argumentValues(statement, 8, 10, values))
        return wrong;
    // The first text of each value in SourceRandom's order, and its size.
    constexpr std::array<std::pair<int, int>, 10> kLayout{{{R::LifeTime, 1},
                                                           {R::PositionX, 3},
                                                           {R::VelocityX, 3},
                                                           {R::RotationVelocity, 1},
                                                           {R::Size, 1},
                                                           {R::ColorR, 4},
                                                           {R::DirPeriod, 1},
                                                           {R::DirIntensity, 1},
                                                           {R::Angle, 1},
                                                           {R::BounceOnSurface, 1}}};
    R read;
    read.set = true;
    read.elements = int(values.size());
    for (qsizetype i = 0; i < values.size(); ++i) {
        const auto [first, size] = kLayout.at(i);
        const std::span<QString> texts = std::span(read.texts).subspan(first, size);
        if (std::optional<BlockFailure> wrong = readPart(values.at(i), statement, kRandomParts.at(i), texts))
            return wrong;
    }
    random = read;
    return std::nullopt;
}

std::optional<BlockFailure> readCircle(const Statement &statement, effect::SourceCircle &circle)
{
    using C = effect::SourceCircle;
    QStringList values;
    if (std::optional<BlockFailure> wrong = argumentValues(statement, 2, 2, values))
        return wrong;
    C read;
    read.set = true;
    const std::span<QString> texts(read.texts);
    if (std::optional<BlockFailure> wrong = readPart(values.at(0), statement, "Radius", texts.subspan(C::Radius, 1)))
        return wrong;
    if (std::optional<BlockFailure> wrong =
            readPart(values.at(1), statement, "Velocity", texts.subspan(C::VelocityX, 3)))
        return wrong;
    circle = read;
    return std::nullopt;
}

// The colour list of the separate colour mode that a colour variable line holds, for value 13
// written as [name] (the line holds one colour, or any text, as the colour field's text, even none)
// or bare (the line holds the list in one pair of brackets).
std::optional<QString> colourListOf(const QString &expression, bool bare)
{
    const QString value = sqf::removeBlanks(expression);
    return bare ? sqf::bracketContent(value) : std::optional<QString>(value);
}

// One source's commands among the statements, picked out by its name.
class SourceReader {
public:
    SourceReader(const QList<Statement> &statements, const QString &name, bool separateColours,
                 const QString &separateColourText)
        : m_statements(statements)
        , m_name(name)
        , m_separateColours(separateColours)
        , m_separateColourText(separateColourText)
    {}

    SourceRead read();

private:
    std::optional<BlockFailure> readCommands(SourceRead &read);
    std::optional<BlockFailure> readArray(SourceRead &read);

    const QList<Statement> &m_statements;
    const QString &m_name;
    const bool m_separateColours;
    const QString &m_separateColourText;
    qsizetype m_params = -1; // the setParticleParams taken
    std::array<int, kCounted.size()> m_repeats{};
};

std::optional<BlockFailure> SourceReader::readCommands(SourceRead &read)
{
    effect::SourceSettings &settings = read.block.settings;
    settings.name = m_name;
    qsizetype classes = 0;
    for (qsizetype i = 0; i < m_statements.size(); ++i) {
        const Statement &statement = m_statements.at(i);
        // Another source's commands go with it.
        if (!commandsASource(statement) || !sameName(statement.name, m_name))
            continue;
        read.used << i;
        const int counted = countedCommand(statement.command);
        if (counted < 0) {
            const QString command = statement.argument.isEmpty()
                                        ? statement.command
                                        : statement.command + QLatin1Char(' ') + statement.argument;
            // A class goes before the others, where a copy writes it: its values come first, and
            // setParticleParams overrides them.
            if (is(statement.command, QLatin1StringView("setParticleClass"))) {
                settings.otherCommands.insert(classes++, command);
                read.hasClass = true;
            } else {
                settings.otherCommands << command;
            }
            continue;
        }
        ++m_repeats.at(counted);
        if (statement.argument.isEmpty())
            return failure(Kind::NoValue, statement.command);
        std::optional<BlockFailure> wrong;
        switch (counted) {
        case kParams:
            if (!sqf::isBracketed(statement.argument))
                return failure(Kind::NotAnArray, statement.command);
            m_params = i;
            break;
        case kRandom:
            wrong = readRandom(statement, settings.random);
            break;
        case kCircle:
            wrong = readCircle(statement, settings.circle);
            break;
        default:
            settings.interval.set = true;
            settings.interval.text = statement.argument;
            break;
        }
        if (wrong)
            return wrong;
    }
    return std::nullopt;
}

std::optional<BlockFailure> SourceReader::readArray(SourceRead &read)
{
    ImportedBlock &block = read.block;
    const Statement &params = m_statements.at(m_params);
    block.settings.name = params.name;
    bool separate = m_separateColours;
    QString colourList = m_separateColourText;

    const std::optional<QStringList> values = sqf::arrayElements(params.argument);
    if (values && values->size() > kColourValue) {
        const QString &colour = values->at(kColourValue);
        const bool bare = sqf::isIdentifier(colour);
        const QString name = bare ? colour : sqf::bracketContent(colour).value_or(QString());
        // The value the variable holds where the array uses it: its last assignment before.
        for (qsizetype i = m_params - 1; sqf::isIdentifier(name) && i >= 0; --i) {
            const Statement &line = m_statements.at(i);
            if (line.kind != Statement::Kind::Assignment || !sameName(line.name, name))
                continue;
            if (const std::optional<QString> list = colourListOf(line.argument, bare)) {
                separate = true;
                colourList = *list;
                read.used << i;
            }
            break;
        }
    }

    ParseOutcome parsed = parseDropArray(params.argument, separate, colourList);
    if (!parsed.array) {
        BlockFailure wrong = failure(Kind::Array);
        if (parsed.failure)
            wrong.detail = *parsed.failure;
        return wrong;
    }
    block.array = std::move(*parsed.array);
    block.separateColours = separate;
    return std::nullopt;
}

SourceRead SourceReader::read()
{
    SourceRead read;
    read.failure = readCommands(read);
    if (!read.failure && m_params < 0) {
        read.failure = failure(Kind::NoParticleParams);
        read.failure->source = m_name;
    }
    if (!read.failure)
        read.failure = readArray(read);
    for (std::size_t i = 0; i < kCounted.size(); ++i) {
        if (m_repeats.at(i) > 1)
            read.repeats << QStringLiteral("%1 %2: the last was taken")
                                .arg(m_repeats.at(i))
                                .arg(QLatin1StringView(kCounted.at(i)));
    }
    std::sort(read.used.begin(), read.used.end());
    return read;
}

// The sources the statements create or command, as first named.
QStringList sourcesOf(const QList<Statement> &statements)
{
    QStringList sources;
    for (const Statement &statement : statements) {
        if (!commandsASource(statement) && !createsASource(statement))
            continue;
        const bool known = std::any_of(sources.cbegin(), sources.cend(),
                                       [&statement](const QString &name) { return sameName(name, statement.name); });
        if (!known)
            sources << statement.name;
    }
    return sources;
}

// What the fields and settings do not hold: statements other than the source's creation, its
// commands, the colour variable's line and "private", each named once by its command or the
// variable it assigns; the other sources; commands given more than once.
QStringList blockNotesOf(const QList<Statement> &statements, const SourceRead &read, qsizetype sources)
{
    return blockNotes(statements, read.used, sources, read.repeats);
}

} // namespace

QStringList blockNotes(const QList<Statement> &statements, const QList<qsizetype> &used, qsizetype sources,
                       const QStringList &repeats)
{
    QStringList leftOut;
    for (qsizetype i = 0; i < statements.size(); ++i) {
        const Statement &statement = statements.at(i);
        if (used.contains(i) || createsASource(statement) || commandsASource(statement))
            continue;
        const QString &word = statement.kind == Statement::Kind::Assignment ? statement.name : statement.command;
        if (word.isEmpty() || is(word, QLatin1StringView("private")))
            continue;
        if (std::none_of(leftOut.cbegin(), leftOut.cend(),
                         [&word](const QString &named) { return sameName(named, word); }))
            leftOut << word;
    }
    QStringList notes;
    if (!leftOut.isEmpty())
        notes << QStringLiteral("left out: %1").arg(leftOut.join(QStringLiteral(", ")));
    if (sources > 1)
        notes << QStringLiteral("%1 sources: the first was taken").arg(sources);
    return notes + repeats;
}

namespace {

QString valueCount(qsizetype count)
{
    if (count == 0)
        return QStringLiteral("no values");
    return count == 1 ? QStringLiteral("1 value") : QStringLiteral("%1 values").arg(count);
}

} // namespace

// Today's drop array or bare array: "[" or the drop keyword first.
bool isPlainArray(QStringView text)
{
    if (text.startsWith(QLatin1Char('[')))
        return true;
    if (!text.startsWith(QLatin1StringView("drop"), Qt::CaseInsensitive))
        return false;
    return text.size() == 4 || !(text[4].isLetterOrNumber() || text[4] == QLatin1Char('_'));
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool commandsASource(const Statement &statement)
{
    return statement.kind == Statement::Kind::Command && isSourceCommand(statement.command);
}

bool createsA(const Statement &statement, QLatin1StringView type)
{
    if (statement.kind != Statement::Kind::Assignment)
        return false;
    const QString word = sqf::commandWord(statement.argument);
    return (is(word, QLatin1StringView("createVehicle")) || is(word, QLatin1StringView("createVehicleLocal")))
           && statement.argument.contains(QLatin1Char('"') + type + QLatin1Char('"'), Qt::CaseInsensitive);
}

bool createsASource(const Statement &statement)
{
    return createsA(statement, QLatin1StringView("#particlesource"));
}

BlockOutcome parseSourceBlock(const QString &pasted, bool separateColours, const QString &separateColourText)
{
    const QString text = input::joinLines(sqf::removeComments(pasted)).trimmed();
    if (isPlainArray(text))
        return plainArray(pasted, separateColours, separateColourText);
    const sqf::StatementSplit split = sqf::splitStatements(text);
    if (split.fault) {
        if (!namesASourceCommand(text))
            return plainArray(pasted, separateColours, separateColourText);
        BlockOutcome outcome;
        outcome.cleanedText = text;
        outcome.failure = textFailure(*split.fault);
        return outcome;
    }
    QList<Statement> statements;
    statements.reserve(split.statements.size());
    for (const QString &statement : split.statements)
        statements << sqf::readStatement(statement);
    if (std::none_of(statements.cbegin(), statements.cend(), commandsASource))
        return plainArray(pasted, separateColours, separateColourText);
    const QStringList sources = sourcesOf(statements);
    SourceRead read = readSource(statements, sources.front(), separateColours, separateColourText);
    BlockOutcome outcome;
    outcome.cleanedText = text;
    if (read.failure) {
        outcome.failure = read.failure;
        return outcome;
    }
    read.block.notes = blockNotesOf(statements, read, sources.size());
    outcome.block = std::move(read.block);
    return outcome;
}

SourceRead readSource(const QList<Statement> &statements, const QString &name, bool separateColours,
                      const QString &separateColourText)
{
    return SourceReader(statements, name, separateColours, separateColourText).read();
}

QString blockFailureReason(const BlockFailure &failure)
{
    switch (failure.kind) {
    case Kind::Array:
    case Kind::Text:
        return failureReason(failure.detail);
    case Kind::NoParticleParams:
        return QStringLiteral("The block gives %1 no setParticleParams array").arg(failure.source);
    case Kind::NotAnArray:
        return QStringLiteral("%1 is given a variable or an expression: paste the array itself").arg(failure.command);
    case Kind::NoValue:
        return QStringLiteral("%1 has no value").arg(failure.command);
    case Kind::ValueCount:
        if (failure.expected == 2)
            return QStringLiteral("%1 has %2; it takes 2: [radius, [x, y, z]]")
                .arg(failure.command, valueCount(failure.count));
        return QStringLiteral("%1 has %2; it takes 8, 9 or 10").arg(failure.command, valueCount(failure.count));
    case Kind::VectorCount:
        return QStringLiteral("%1 of %2 has %3; it takes %4")
            .arg(failure.part, failure.command, valueCount(failure.count))
            .arg(failure.expected);
    case Kind::EmptyValue:
        return QStringLiteral("%1 of %2 has an empty value").arg(failure.part, failure.command);
    }
    return {};
}

} // namespace import
