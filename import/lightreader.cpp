#include "lightreader.h"

#include "sourcereader.h"
#include "sqf/values.h"

#include <QRegularExpression>

#include <algorithm>
#include <tuple>

namespace import {
namespace {

using sqf::Statement;

bool is(const QString &word, QLatin1StringView name)
{
    return word.compare(name, Qt::CaseInsensitive) == 0;
}

// The three texts of a bracketed [x, y, z], as written.
std::optional<std::array<QString, 3>> vectorOf(const QString &text)
{
    const std::optional<QStringList> elements = sqf::arrayElements(text);
    if (!elements || elements->size() != 3 || elements->contains(QString()))
        return std::nullopt;
    return std::array<QString, 3>{elements->at(0), elements->at(1), elements->at(2)};
}

// The text without one pair of parentheses around the whole of it.
QString unwrapped(const QString &text)
{
    const QString trimmed = text.trimmed();
    return sqf::isParenthesised(trimmed) ? trimmed.sliced(1, trimmed.size() - 2).trimmed() : trimmed;
}

// Calls visit(i) for each position of the text outside strings and brackets.
template <typename Visit> void atTopLevel(QStringView text, Visit visit)
{
    int depth = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            const qsizetype end = sqf::stringEnd(text, i);
            if (end < 0)
                return;
            i = end - 1;
        } else if (c == QLatin1Char('(') || c == QLatin1Char('[') || c == QLatin1Char('{')) {
            ++depth;
        } else if (c == QLatin1Char(')') || c == QLatin1Char(']') || c == QLatin1Char('}')) {
            --depth;
        } else if (depth == 0) {
            visit(i);
        }
    }
}

// The position after the group that opens at text[at], or -1.
qsizetype groupEnd(QStringView text, qsizetype at)
{
    if (at >= text.size() || text[at] != QLatin1Char('{'))
        return -1;
    int depth = 0;
    for (qsizetype i = at; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            const qsizetype end = sqf::stringEnd(text, i);
            if (end < 0)
                return -1;
            i = end - 1;
        } else if (c == QLatin1Char('(') || c == QLatin1Char('[') || c == QLatin1Char('{')) {
            ++depth;
        } else if ((c == QLatin1Char(')') || c == QLatin1Char(']') || c == QLatin1Char('}')) && --depth == 0) {
            return i + 1;
        }
    }
    return -1;
}

// The statements of a code block "{...}"; nothing when the text is not one block.
std::optional<QList<Statement>> blockStatements(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (groupEnd(trimmed, 0) != trimmed.size())
        return std::nullopt;
    const sqf::StatementSplit split = sqf::splitStatements(QStringView(trimmed).sliced(1, trimmed.size() - 2));
    if (split.fault)
        return std::nullopt;
    QList<Statement> statements;
    for (const QString &statement : split.statements)
        statements << sqf::readStatement(statement);
    return statements;
}

// How a loop names its light, for comparing: "(_this select 0)" as "_this select 0".
QString aliasKey(const QString &text)
{
    return unwrapped(text).simplified().toLower();
}

// "while {!isNull X} do {X setLightIntensity value; sleep period}", X one of the aliases (or, with
// none, any variable, which is then the light).
std::optional<FlickerLoop> whileFlicker(const QString &text, QStringList aliases)
{
    static const QRegularExpression head(QStringLiteral("^while\\s*"), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch matched = head.match(text);
    if (!matched.hasMatch())
        return std::nullopt;
    const qsizetype conditionAt = matched.capturedEnd();
    const qsizetype conditionEnd = groupEnd(text, conditionAt);
    if (conditionEnd < 0)
        return std::nullopt;
    static const QRegularExpression doWord(QStringLiteral("^\\s*do\\s*"), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch doMatch = doWord.match(QStringView(text).sliced(conditionEnd));
    if (!doMatch.hasMatch())
        return std::nullopt;
    const QString condition = text.sliced(conditionAt + 1, conditionEnd - conditionAt - 2).simplified();
    static const QRegularExpression notNull(
        QStringLiteral("^(?:!|not\\s+)\\s*(?:isNull\\s+(.+)|\\(\\s*isNull\\s+(.+)\\))$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch watched = notNull.match(condition);
    if (!watched.hasMatch())
        return std::nullopt;
    const QString subject = watched.captured(1).isEmpty() ? watched.captured(2) : watched.captured(1);
    FlickerLoop loop;
    if (aliases.isEmpty()) {
        if (!sqf::isIdentifier(subject.trimmed()))
            return std::nullopt;
        loop.light = subject.trimmed();
        aliases << loop.light;
    }
    for (QString &alias : aliases)
        alias = aliasKey(alias);
    if (!aliases.contains(aliasKey(subject)))
        return std::nullopt;

    const std::optional<QList<Statement>> body = blockStatements(text.sliced(conditionEnd + doMatch.capturedEnd()));
    if (!body || body->size() != 2)
        return std::nullopt;
    static const QRegularExpression sleep(QStringLiteral("^sleep\\s+(\\S.*)$"),
                                          QRegularExpression::CaseInsensitiveOption);
    std::optional<std::pair<QString, QString>> value;
    std::optional<std::pair<QString, QString>> period;
    for (const Statement &statement : *body) {
        if (const QRegularExpressionMatch pause = sleep.match(statement.text); pause.hasMatch()) {
            period = readRandomRange(pause.captured(1), true);
        } else if (statement.kind == Statement::Kind::Command && aliases.contains(aliasKey(statement.name))) {
            if (is(statement.command, QLatin1StringView("setLightIntensity")))
                loop.flicker.kind = effect::LightFlicker::Intensity;
            else if (is(statement.command, QLatin1StringView("setLightBrightness")))
                loop.flicker.kind = effect::LightFlicker::Brightness;
            else
                return std::nullopt;
            value = readRandomRange(statement.argument, false);
        }
    }
    if (!value || !period || loop.flicker.kind == effect::LightFlicker::None)
        return std::nullopt;
    std::tie(loop.flicker.low, loop.flicker.high) = *value;
    std::tie(loop.flicker.shortest, loop.flicker.longest) = *period;
    return loop;
}

// The statement without "name = " or "0 = " before it, which keeps the handle of spawned code.
Statement withoutHandle(const Statement &statement)
{
    static const QRegularExpression handle(QStringLiteral("^(?:private\\s+)?[A-Za-z0-9_]+\\s*=(?!=)\\s*"),
                                           QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch matched = handle.match(statement.text);
    return matched.hasMatch() ? sqf::readStatement(QStringView(statement.text).sliced(matched.capturedEnd()))
                              : statement;
}

// The light commands that set one value each, where a later one replaces an earlier one.
enum Counted {
    kColour,
    kAmbient,
    kIntensity,
    kBrightness,
    kAttenuation,
    kDayLight,
    kUseFlare,
    kFlareSize,
    kFlareMaxDistance,
    kCountedCount
};
constexpr std::array<const char *, kCountedCount> kCounted{
    "setLightColor",    "setLightAmbient",  "setLightIntensity", "setLightBrightness",      "setLightAttenuation",
    "setLightDayLight", "setLightUseFlare", "setLightFlareSize", "setLightFlareMaxDistance"};

int countedCommand(const QString &command)
{
    for (std::size_t i = 0; i < kCounted.size(); ++i)
        if (is(command, QLatin1StringView(kCounted.at(i))))
            return int(i);
    return -1;
}

// A colour's three texts, or nothing for any other argument.
bool readColour(const QString &argument, effect::LightColour &colour)
{
    const std::optional<QStringList> elements = sqf::arrayElements(argument);
    if (!elements || elements->size() != 3 || elements->contains(QString()))
        return false;
    colour = {true, {elements->at(0), elements->at(1), elements->at(2)}};
    return true;
}

// "_l spawn {...}" and the like run code with the light, as a loop does: no command of the light.
bool runsCode(const Statement &statement)
{
    return is(statement.command, QLatin1StringView("spawn")) || is(statement.command, QLatin1StringView("call"))
           || is(statement.command, QLatin1StringView("execVM"));
}

} // namespace

bool createsALight(const Statement &statement)
{
    return createsA(statement, QLatin1StringView("#lightpoint"))
           || createsA(statement, QLatin1StringView("#lightreflector"));
}

bool declaresALight(const Statement &statement, const QString &name)
{
    return statement.kind == Statement::Kind::Assignment && sameName(statement.name, name)
           && is(statement.argument, QLatin1StringView("objNull"));
}

std::optional<std::array<QString, 3>> offsetOf(const Statement &statement)
{
    if (is(statement.command, QLatin1StringView("attachTo"))
        || is(statement.command, QLatin1StringView("lightAttachObject"))) {
        const std::optional<QStringList> elements = sqf::arrayElements(statement.argument);
        if (!elements || elements->isEmpty() || elements->size() > 3)
            return std::nullopt;
        if (elements->size() == 1)
            return std::array<QString, 3>{QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0")};
        return vectorOf(elements->at(1));
    }
    if (is(statement.command, QLatin1StringView("setPos"))) {
        static const QRegularExpression relative(
            QStringLiteral("^\\(\\s*\\S.*?\\s+(?:vectorAdd|modelToWorld)\\s+(\\[.*\\])\\s*\\)$"),
            QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
        const QRegularExpressionMatch match = relative.match(statement.argument);
        return match.hasMatch() ? vectorOf(match.captured(1)) : std::nullopt;
    }
    return std::nullopt;
}

LightRead readLightCommands(const QList<Statement> &statements, const QString &name)
{
    LightRead read;
    effect::LightSettings &light = read.settings;
    std::array<int, kCountedCount> repeats{};
    qsizetype lastIntensity = -1;
    qsizetype lastBrightness = -1;
    for (qsizetype i = 0; i < statements.size(); ++i) {
        const Statement &statement = statements.at(i);
        if (createsALight(statement) && sameName(statement.name, name)) {
            static const QRegularExpression type(QStringLiteral("\"(#light[A-Za-z]*)\""),
                                                 QRegularExpression::CaseInsensitiveOption);
            light.type = type.match(statement.argument).captured(1);
            read.used << i;
            continue;
        }
        if (declaresALight(statement, name)) {
            read.used << i;
            continue;
        }
        if (statement.kind != Statement::Kind::Command || !sameName(statement.name, name) || offsetOf(statement)
            || runsCode(statement))
            continue;
        read.used << i;
        const QString &argument = statement.argument;
        const int counted = countedCommand(statement.command);
        if (counted < 0) {
            light.otherCommands << (argument.isEmpty() ? statement.command : statement.command + ' ' + argument);
            continue;
        }
        if (argument.isEmpty()) {
            read.failure = QStringLiteral("%1 has no value").arg(statement.command);
            return read;
        }
        ++repeats.at(counted);
        switch (counted) {
        case kColour:
        case kAmbient:
            if (!readColour(argument, counted == kColour ? light.colour : light.ambient)) {
                light.otherCommands << statement.command + ' ' + argument;
                read.notes << QStringLiteral("%1 %2 is not [r, g, b]: kept as written, not previewed")
                                  .arg(statement.command, argument);
            }
            break;
        case kIntensity:
            light.intensity = {true, argument};
            lastIntensity = i;
            break;
        case kBrightness:
            light.brightness = {true, argument};
            lastBrightness = i;
            break;
        case kAttenuation: {
            const std::optional<QStringList> values = sqf::arrayElements(argument);
            light.attenuation = {};
            light.attenuation.set = true;
            if (values && values->size() == effect::LightAttenuation::ValueCount && !values->contains(QString()))
                std::copy(values->cbegin(), values->cend(), light.attenuation.texts.begin());
            else
                light.attenuation.asWritten = argument;
            break;
        }
        case kDayLight:
            light.dayLight = {true, argument};
            break;
        case kUseFlare:
            light.useFlare = {true, argument};
            break;
        case kFlareSize:
            light.flareSize = {true, argument};
            break;
        default:
            light.flareMaxDistance = {true, argument};
            break;
        }
    }
    light.brightnessFirst = lastIntensity >= 0 && lastBrightness >= 0 && lastBrightness < lastIntensity;
    const QString &asWritten = light.attenuation.asWritten;
    if (!asWritten.isEmpty()) {
        const std::optional<QStringList> values = sqf::arrayElements(asWritten);
        read.notes << (values ? QStringLiteral("setLightAttenuation of %1 values: kept as written").arg(values->size())
                              : QStringLiteral("setLightAttenuation %1 is no array: kept as written").arg(asWritten));
    }
    for (std::size_t i = 0; i < kCounted.size(); ++i)
        if (repeats.at(i) > 1)
            read.notes << QStringLiteral("%1 %2: the last was taken")
                              .arg(repeats.at(i))
                              .arg(QLatin1StringView(kCounted.at(i)));
    return read;
}

std::optional<FlickerLoop> flickerLoopOf(const Statement &statement)
{
    const Statement loop = withoutHandle(statement);
    if (loop.kind != Statement::Kind::Command || !is(loop.command, QLatin1StringView("spawn")))
        return loop.kind == Statement::Kind::Other ? whileFlicker(loop.text, {}) : std::nullopt;
    // The light is the spawned code's argument: [_l] as _this select 0, or _l as _this.
    QString light;
    QStringList aliases;
    const std::optional<QStringList> elements = sqf::arrayElements(loop.name);
    if (elements && elements->size() == 1 && sqf::isIdentifier(elements->front())) {
        light = elements->front();
        aliases << QStringLiteral("_this select 0");
    } else if (sqf::isIdentifier(loop.name)) {
        light = loop.name;
        aliases << QStringLiteral("_this");
    } else {
        return std::nullopt;
    }
    std::optional<QList<Statement>> code = blockStatements(loop.argument);
    if (!code || code->isEmpty())
        return std::nullopt;
    static const QRegularExpression params(QStringLiteral("^params\\s*\\[\\s*\"([A-Za-z_][A-Za-z0-9_]*)\"\\s*\\]$"),
                                           QRegularExpression::CaseInsensitiveOption);
    const Statement &first = code->front();
    const QRegularExpressionMatch named = params.match(first.text);
    if (named.hasMatch() && elements) {
        aliases << named.captured(1);
        code->removeFirst();
    } else if (first.kind == Statement::Kind::Assignment && aliases.contains(aliasKey(first.argument))) {
        aliases << first.name;
        code->removeFirst();
    }
    if (code->size() != 1)
        return std::nullopt;
    std::optional<FlickerLoop> flicker = whileFlicker(code->front().text, aliases);
    if (flicker)
        flicker->light = light;
    return flicker;
}

bool isLoop(const Statement &statement)
{
    static const QRegularExpression loop(QStringLiteral("(?<![A-Za-z0-9_])(?:while|for)(?![A-Za-z0-9_])"),
                                         QRegularExpression::CaseInsensitiveOption);
    const Statement unhandled = withoutHandle(statement);
    const bool spawned =
        unhandled.kind == Statement::Kind::Command && is(unhandled.command, QLatin1StringView("spawn"));
    const QString word = sqf::commandWord(unhandled.text);
    return is(word, QLatin1StringView("while")) || is(word, QLatin1StringView("for"))
           || (spawned && loop.match(unhandled.argument).hasMatch());
}

std::optional<std::pair<QString, QString>> readRandomRange(const QString &text, bool fixed)
{
    const QString whole = unwrapped(text);
    static const QRegularExpression random(QStringLiteral("^\\+\\s*random(?![A-Za-z0-9_])"),
                                           QRegularExpression::CaseInsensitiveOption);
    // The last "+ random" outside brackets: random binds tighter than +, so it ends the low bound.
    qsizetype plus = -1;
    qsizetype spanAt = -1;
    atTopLevel(whole, [&](qsizetype i) {
        if (whole[i] != QLatin1Char('+'))
            return;
        const QRegularExpressionMatch matched = random.match(QStringView(whole).sliced(i));
        if (matched.hasMatch()) {
            plus = i;
            spanAt = i + matched.capturedLength();
        }
    });
    if (plus < 0) {
        if (!fixed || whole.isEmpty())
            return std::nullopt;
        return std::pair{whole, whole};
    }
    const QString a = whole.first(plus).trimmed();
    const QString b = whole.sliced(spanAt).trimmed();
    if (a.isEmpty() || b.isEmpty())
        return std::nullopt;
    const QString low = unwrapped(a);
    if (const std::optional<QString> sum = sqf::plainSum(a, b))
        return std::pair{low, *sum};
    // "(X - a)": the span from the low bound up to X, the high bound as written.
    if (sqf::isParenthesised(b)) {
        const QString span = b.sliced(1, b.size() - 2);
        QList<qsizetype> minuses;
        atTopLevel(span, [&](qsizetype i) {
            if (span[i] == QLatin1Char('-'))
                minuses << i;
        });
        for (auto at = minuses.crbegin(); at != minuses.crend(); ++at) {
            const QString tail = span.sliced(*at + 1).trimmed();
            const QString high = span.first(*at).trimmed();
            if (!high.isEmpty() && (tail == a || tail == low || tail == QLatin1Char('(') + low + QLatin1Char(')')))
                return std::pair{low, unwrapped(high)};
        }
    }
    return std::pair{low, a + QStringLiteral(" + ") + b};
}

} // namespace import
