#include "recipe.h"

#include "drop/fieldtable.h"
#include "sqf/values.h"

#include <algorithm>
#include <cmath>

namespace preview {
namespace {

constexpr int kLifeTime = 5;
constexpr int kPosition = 6;
constexpr int kVelocity = 9;
constexpr int kWeight = 13;
constexpr int kVolume = 14;
constexpr int kRubbing = 15;
constexpr int kSize = 16;
constexpr int kColour = 19;
constexpr int kPeriod = 23;
constexpr int kIntensity = 24;

// The numeric fields whose values move, size or colour a particle.
constexpr int kSimulated[] = {kLifeTime,     kPosition,     kPosition + 1, kPosition + 2, kVelocity,
                              kVelocity + 1, kVelocity + 2, kWeight,       kVolume,       kRubbing,
                              kSize,         kSize + 1,     kSize + 2,     kPeriod,       kIntensity};

void addVariables(QStringList &into, const sqf::Expression &expression)
{
    for (const QString &name : expression.variables()) {
        const bool known = std::any_of(into.cbegin(), into.cend(), [&name](const QString &other) {
            return other.compare(name, Qt::CaseInsensitive) == 0;
        });
        if (!known)
            into.append(name);
    }
}

// A field text in quotes for a sentence, quoted once: a text with quotes of its own is shown as
// written.
QString quoted(const QString &text)
{
    if (text.contains(QLatin1Char('"')))
        return text;
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString readingProblem(const QString &what, const QString &text, const sqf::ExpressionError &error)
{
    if (text.trimmed().isEmpty())
        return QStringLiteral("%1 is empty.").arg(what);
    if (error.word.isEmpty())
        return QStringLiteral("%1 ends too early (%2): it is not a number or a calculation.").arg(what, quoted(text));
    return QStringLiteral("%1 cannot be worked out at %2 (character %3): only numbers, arithmetic, "
                          "random and variables can be previewed.")
        .arg(what, quoted(error.word))
        .arg(error.position);
}

void readColours(Recipe &recipe, const QString &text)
{
    const QString list = sqf::removeBlanks(text);
    if (list.isEmpty() || list == QLatin1String("[]")) {
        recipe.notes << QStringLiteral("Color is empty: the particles are drawn white.");
        return;
    }
    std::optional<QStringList> pieces = sqf::splitElements(list);
    if (!pieces) {
        recipe.problems << QStringLiteral("Color (%1) has a bracket or a quote that is not closed.").arg(quoted(list));
        return;
    }
    // A list typed with its outer brackets, [[1,1,1,1]], reads as the list inside them.
    if (pieces->size() == 1 && sqf::isBracketed(pieces->front())) {
        const auto inside = sqf::arrayElements(pieces->front());
        if (inside && !inside->isEmpty() && std::all_of(inside->cbegin(), inside->cend(), sqf::isBracketed))
            pieces = inside;
    }
    for (qsizetype i = 0; i < pieces->size(); ++i) {
        const QString what = QStringLiteral("Color %1").arg(i + 1);
        const QString &piece = pieces->at(i);
        const QStringList components =
            sqf::isBracketed(piece) ? sqf::arrayElements(piece).value_or(QStringList{}) : QStringList{};
        if (components.size() != 4) {
            recipe.problems
                << QStringLiteral("%1 (%2) is not a colour [red, green, blue, alpha].").arg(what, quoted(piece));
            continue;
        }
        std::array<sqf::Expression, 4> colour;
        bool readable = true;
        for (int c = 0; c < 4; ++c) {
            const auto read = sqf::readExpression(components.at(c));
            if (const auto *error = std::get_if<sqf::ExpressionError>(&read)) {
                const char *channel[] = {"red", "green", "blue", "alpha"};
                recipe.problems << readingProblem(QStringLiteral("%1 %2").arg(what, QLatin1String(channel[c])),
                                                  components.at(c), *error);
                readable = false;
                continue;
            }
            colour[c] = std::get<sqf::Expression>(read);
            addVariables(recipe.variables, colour[c]);
        }
        if (readable)
            recipe.colours.push_back(std::move(colour));
    }
}

bool isSet(const QString &text, const char *startText)
{
    const QString trimmed = text.trimmed();
    return !trimmed.isEmpty() && trimmed != QLatin1String(startText);
}

void addNotes(Recipe &recipe, const QStringList &texts)
{
    const auto text = [&texts](int number) { return texts.value(number - 1); };
    if (!text(1).trimmed().isEmpty() || !text(3).trimmed().isEmpty())
        recipe.notes << QStringLiteral("ShapeName, Type: the texture is not drawn; every particle is a soft disc.");
    if (!text(2).trimmed().isEmpty() || isSet(text(20), "0") || isSet(text(21), "0") || isSet(text(22), "0"))
        recipe.notes << QStringLiteral("AnimationName, AnimationPhase: the animation is not played.");
    if (isSet(text(12), "0"))
        recipe.notes << QStringLiteral("RotationVelocity: the particles do not turn.");
    if (isSet(text(4), "0") || !text(25).trimmed().isEmpty())
        recipe.notes << QStringLiteral("TimePeriod, OnTimer: the timer script is not run.");
    if (!text(26).trimmed().isEmpty())
        recipe.notes << QStringLiteral("BeforeDestroy: the script is not run.");
    if (!text(27).trimmed().isEmpty())
        recipe.notes << QStringLiteral("Object %1: the views are relative to it; the cross at 0 stands for it.")
                            .arg(quoted(text(27).trimmed()));
}

bool finite(const Vec3 &v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

} // namespace

QString fieldName(int number)
{
    const drop::FieldEntry &entry = drop::kFields.at(number - 1);
    QString parameter = QString::fromLatin1(entry.parameter);
    if (entry.component == 0)
        return parameter;
    if (number >= kSize && number <= kSize + 2) {
        const char *part[] = {"start", "middle", "end"};
        return QStringLiteral("%1 (%2)").arg(parameter, QLatin1String(part[entry.component - 1]));
    }
    if (number >= kPosition && number <= kVelocity + 2)
        return parameter + QLatin1Char(' ') + QLatin1Char("xyz"[entry.component - 1]);
    return QStringLiteral("%1 %2").arg(parameter).arg(entry.component);
}

Recipe readRecipe(const QStringList &texts)
{
    Recipe recipe;
    recipe.shapeName = texts.value(0);
    for (const int number : kSimulated) {
        const QString text = texts.value(number - 1);
        const auto read = sqf::readExpression(text);
        if (const auto *error = std::get_if<sqf::ExpressionError>(&read)) {
            recipe.problems << readingProblem(fieldName(number), text, *error);
            continue;
        }
        recipe.numbers[number - 1] = std::get<sqf::Expression>(read);
        addVariables(recipe.variables, *recipe.numbers[number - 1]);
    }
    readColours(recipe, texts.value(kColour - 1));
    addNotes(recipe, texts);
    return recipe;
}

QStringList valueProblems(const Recipe &recipe, const sqf::VariableValues &variables)
{
    QStringList problems;
    const auto settled = [&](int number) -> std::optional<double> {
        const auto &expression = recipe.numbers[number - 1];
        if (!expression || expression->isRandom())
            return std::nullopt;
        sqf::Random unused;
        return expression->evaluate(unused, variables);
    };
    if (const auto life = settled(kLifeTime); life && !(*life > 0))
        problems << QStringLiteral("LifeTime is 0 or below: the particles would vanish at once.");
    if (const auto weight = settled(kWeight); weight && !(*weight > 0))
        problems << QStringLiteral("Weight is 0 or below: a particle needs a weight above 0.");
    return problems;
}

std::optional<ParticleValues> drawParticle(const Recipe &recipe, const sqf::VariableValues &variables,
                                           sqf::Random &random)
{
    if (!recipe.usable())
        return std::nullopt;
    const auto value = [&](int number) { return recipe.numbers[number - 1]->evaluate(random, variables); };
    ParticleValues values;
    values.lifeTime = value(kLifeTime);
    values.position = {value(kPosition), value(kPosition + 1), value(kPosition + 2)};
    values.velocity = {value(kVelocity), value(kVelocity + 1), value(kVelocity + 2)};
    values.weight = value(kWeight);
    values.volume = value(kVolume);
    // Rubbing below 0 would speed the particle up without end.
    values.rubbing = std::max(0.0, value(kRubbing));
    values.size = {value(kSize), value(kSize + 1), value(kSize + 2)};
    values.rndmDirPeriod = value(kPeriod);
    values.rndmDirIntensity = value(kIntensity);
    for (const auto &colour : recipe.colours)
        values.colours.push_back({colour[0].evaluate(random, variables), colour[1].evaluate(random, variables),
                                  colour[2].evaluate(random, variables), colour[3].evaluate(random, variables)});

    const double scalars[] = {values.lifeTime, values.weight,        values.volume,
                              values.rubbing,  values.rndmDirPeriod, values.rndmDirIntensity,
                              values.size[0],  values.size[1],       values.size[2]};
    if (!std::all_of(std::begin(scalars), std::end(scalars), [](double x) { return std::isfinite(x); })
        || !finite(values.position) || !finite(values.velocity))
        return std::nullopt;
    if (!(values.lifeTime > 0) || !(values.weight > 0))
        return std::nullopt;
    for (Rgba &c : values.colours)
        for (double *component : {&c.r, &c.g, &c.b, &c.a})
            if (!std::isfinite(*component))
                *component = 0;
    return values;
}

} // namespace preview
