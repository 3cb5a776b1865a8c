#include "recipe.h"

#include "drop/fieldtable.h"
#include "sqf/values.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace effect {
namespace {

using namespace drop::field;

// BounceOnSurface's place among the Object field's elements: after the object, angle and onSurface.
constexpr int kBounceElement = 3;

// The numeric fields whose values move a particle; Size is read on its own.
constexpr int kSimulated[] = {kLifeTime,     kPosition, kPosition + 1, kPosition + 2, kVelocity, kVelocity + 1,
                              kVelocity + 2, kWeight,   kVolume,       kRubbing,      kPeriod,   kIntensity};

// The Object field's elements: the object, then the later games' parameters.
QStringList objectElements(const QString &objectText)
{
    return sqf::splitElements(objectText).value_or(QStringList{objectText.trimmed()});
}

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

// A vector or list whose second and third fields are empty is one expression for all of it.
bool isWholeValue(const QStringList &texts, int first)
{
    const QString text = texts.value(first - 1);
    return !text.isEmpty() && texts.value(first).isEmpty() && texts.value(first + 1).isEmpty()
           && !sqf::isBracketed(text);
}

QString wholeValueProblem(const QString &parameter, const QString &text, const QString &what)
{
    const auto read = sqf::readExpression(text);
    if (const auto *expression = std::get_if<sqf::Expression>(&read); expression && !expression->variables().isEmpty())
        return QStringLiteral("%1 (\"%2\") is a variable for the whole %3: it cannot be previewed; give its values "
                              "instead.")
            .arg(parameter, text, what);
    return QStringLiteral("%1 (\"%2\") is one expression for the whole %3: it cannot be previewed.")
        .arg(parameter, text, what);
}

bool readNumber(Recipe &recipe, const QString &what, const QString &text, sqf::Expression &into)
{
    const auto read = sqf::readExpression(text);
    if (const auto *error = std::get_if<sqf::ExpressionError>(&read)) {
        recipe.problems << readingProblem(what, text, *error);
        return false;
    }
    into = std::get<sqf::Expression>(read);
    addVariables(recipe.variables, into);
    return true;
}

// Size: the first field, the values of the middle field (none, one, or several joined by commas),
// the last field; or one expression for the whole list, which the preview reads only as a number.
void readSizes(Recipe &recipe, const QStringList &texts)
{
    const QString first = texts.value(kSize - 1);
    if (isWholeValue(texts, kSize)) {
        const auto read = sqf::readExpression(first);
        const auto *expression = std::get_if<sqf::Expression>(&read);
        if (!expression || !expression->variables().isEmpty()) {
            recipe.problems << wholeValueProblem(QStringLiteral("Size"), first, QStringLiteral("list of sizes"));
            return;
        }
        recipe.sizes.push_back(*expression);
        return;
    }
    QList<std::pair<QString, QString>> points{{fieldName(kSize), first}};
    const QString middle = texts.value(kSize);
    const QStringList middles =
        middle.isEmpty() ? QStringList() : sqf::splitElements(middle).value_or(QStringList{middle});
    for (qsizetype i = 0; i < middles.size(); ++i)
        points.append({middles.size() == 1 ? fieldName(kSize + 1) : QStringLiteral("Size (middle %1)").arg(i + 1),
                       middles.at(i)});
    points.append({fieldName(kSize + 2), texts.value(kSize + 1)});
    for (const auto &[what, text] : points) {
        sqf::Expression expression;
        if (readNumber(recipe, what, text, expression))
            recipe.sizes.push_back(std::move(expression));
    }
}

// The file a shape array names: the string its first element is.
QString shapeFile(const QString &shape)
{
    const std::optional<QStringList> elements = sqf::arrayElements(shape);
    if (!elements || elements->isEmpty())
        return shape;
    return sqf::stringValue(elements->front()).value_or(elements->front());
}

void readColours(Recipe &recipe, const QString &text)
{
    if (sqf::isParenthesised(text.trimmed())) {
        recipe.problems << QStringLiteral("Color (\"%1\") is one expression for the whole colour list: it cannot be "
                                          "previewed.")
                               .arg(text.trimmed());
        return;
    }
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
    // The object is the first element of the Object field; the later games' parameters follow it.
    const QStringList object = objectElements(text(kObject));
    if (!object.isEmpty() && !object.front().isEmpty())
        recipe.notes << QStringLiteral("Object %1: the views are relative to it; the cross at 0 stands for it.")
                            .arg(quoted(object.front()));
    if (object.size() > 1) {
        const QString later = quoted(object.mid(1).join(QLatin1Char(',')));
        recipe.notes << (recipe.bounce ? QStringLiteral("Object: of the later games' parameters after the object "
                                                        "(%1), only BounceOnSurface is previewed.")
                                       : QStringLiteral("Object: the later games' parameters after the object (%1) "
                                                        "are not previewed."))
                            .arg(later);
    }
}

// BounceOnSurface, the third of the later parameters after the object; one that cannot be read
// leaves the particles without a bounce, as the rest of the later parameters are left out.
void readBounce(Recipe &recipe, const QString &objectText)
{
    const QString text = objectElements(objectText).value(kBounceElement);
    if (text.isEmpty())
        return;
    const auto read = sqf::readExpression(text);
    if (std::holds_alternative<sqf::ExpressionError>(read)) {
        recipe.notes << QStringLiteral("Object: BounceOnSurface (%1) cannot be worked out: the particles do not "
                                       "bounce.")
                            .arg(quoted(text));
        return;
    }
    recipe.bounce = std::get<sqf::Expression>(read);
    addVariables(recipe.variables, *recipe.bounce);
}

// A vector of a source command: its first value, how many it has, its name and what it is.
struct SourceVector {
    int first;
    int count;
    const char *name;
    const char *shape;
};

// Reads the values of one source command below `count`, a vector written as one expression (its
// first text set, the others empty) refused as the fields' vectors are.
template <std::size_t N>
void readSourceValues(Recipe &recipe, const QString &command, const std::array<QString, N> &texts, int count,
                      std::initializer_list<SourceVector> vectors, QString (*name)(int),
                      std::array<std::optional<sqf::Expression>, N> &into)
{
    for (int value = 0; value < count; ++value) {
        const auto vector = std::find_if(vectors.begin(), vectors.end(), [value](const SourceVector &v) {
            return value >= v.first && value < v.first + v.count;
        });
        if (vector != vectors.end()) {
            const QString &first = texts[std::size_t(vector->first)];
            const bool whole =
                !first.isEmpty() && !sqf::isBracketed(first)
                && std::all_of(texts.begin() + vector->first + 1, texts.begin() + vector->first + vector->count,
                               [](const QString &text) { return text.isEmpty(); });
            if (whole) {
                if (value == vector->first)
                    recipe.problems << wholeValueProblem(command + QLatin1Char(' ') + QLatin1String(vector->name),
                                                         first, QLatin1String(vector->shape));
                continue;
            }
        }
        sqf::Expression expression;
        if (readNumber(recipe, command + QLatin1Char(' ') + name(value), texts[std::size_t(value)], expression))
            into[std::size_t(value)] = std::move(expression);
    }
}

void readSource(Recipe &recipe, const SourceSettings &source)
{
    if (source.random.set) {
        // Angle and BounceOnSurface are the optional ninth and tenth elements.
        const int elements = std::clamp(source.random.elements, 8, 10);
        const int count = elements == 8   ? SourceRandom::Angle
                          : elements == 9 ? SourceRandom::BounceOnSurface
                                          : SourceRandom::ValueCount;
        readSourceValues(recipe, QStringLiteral("setParticleRandom"), source.random.texts, count,
                         {{SourceRandom::PositionX, 3, "Position", "[x, y, z]"},
                          {SourceRandom::VelocityX, 3, "MoveVelocity", "[x, y, z]"},
                          {SourceRandom::ColorR, 4, "Color", "[r, g, b, a]"}},
                         randomValueName, recipe.randomness);
        const auto turns = [&source](int value) { return isSet(source.random.texts[std::size_t(value)], "0"); };
        if (turns(SourceRandom::RotationVelocity) || (count > SourceRandom::Angle && turns(SourceRandom::Angle)))
            recipe.notes << QStringLiteral("setParticleRandom RotationVelocity, Angle: the particles do not turn.");
    }
    if (source.circle.set)
        readSourceValues(recipe, QStringLiteral("setParticleCircle"), source.circle.texts, SourceCircle::ValueCount,
                         {{SourceCircle::VelocityX, 3, "velocity", "[x, y, z]"}}, circleValueName, recipe.circle);
    sqf::Expression interval;
    if (readNumber(recipe, QStringLiteral("setDropInterval"), source.interval.text, interval))
        recipe.interval = std::move(interval);
    if (sqf::constantValue(source.interval.text) == 0.0)
        recipe.notes << QStringLiteral("setDropInterval is 0: no particle is emitted.");
}

double uniform(sqf::Random &random)
{
    return double(random()) / 4294967296.0;
}

// The preview's model of a particle source, an approximation of the game's, which does not
// publish how it draws:
// - each value of setParticleRandom is drawn once per particle at its birth, uniform within ± the
//   value (a negative value spreads as far as its positive), one draw per component;
// - LifeTime, Position, MoveVelocity, RndmDirPeriod and RndmDirIntensity get their draw added once;
//   Size is added to every Size key and Color to every colour key, each component kept within
//   0..1; BounceOnSurface's is added to the array's coefficient where that makes particles bounce,
//   kept within 0..1; RotationVelocity and Angle change nothing, as the particles do not turn;
// - with setParticleCircle, the particle is born at a point drawn uniformly on a horizontal circle
//   of the radius around its Position, and the circle's velocity is added to its own as written,
//   not turned with the point.
void applySource(ParticleValues &values, const Recipe &recipe, const sqf::VariableValues &variables,
                 sqf::Random &random, const SourceDraw &draw)
{
    const auto offset = [&](int value) {
        const auto &spread = recipe.randomness[std::size_t(value)];
        return spread ? std::abs(spread->evaluate(random, variables)) * draw.parts[std::size_t(value)] : 0.0;
    };
    values.lifeTime += offset(SourceRandom::LifeTime);
    values.position.x += offset(SourceRandom::PositionX);
    values.position.y += offset(SourceRandom::PositionY);
    values.position.z += offset(SourceRandom::PositionZ);
    values.velocity.x += offset(SourceRandom::VelocityX);
    values.velocity.y += offset(SourceRandom::VelocityY);
    values.velocity.z += offset(SourceRandom::VelocityZ);
    const double size = offset(SourceRandom::Size);
    for (double &key : values.size)
        key += size;
    const Rgba colour{offset(SourceRandom::ColorR), offset(SourceRandom::ColorG), offset(SourceRandom::ColorB),
                      offset(SourceRandom::ColorA)};
    if (colour != Rgba{0, 0, 0, 0})
        for (Rgba &key : values.colours)
            key = {std::clamp(key.r + colour.r, 0.0, 1.0), std::clamp(key.g + colour.g, 0.0, 1.0),
                   std::clamp(key.b + colour.b, 0.0, 1.0), std::clamp(key.a + colour.a, 0.0, 1.0)};
    values.rndmDirPeriod += offset(SourceRandom::DirPeriod);
    values.rndmDirIntensity += offset(SourceRandom::DirIntensity);
    if (values.bounce >= 0)
        values.bounce = std::clamp(values.bounce + offset(SourceRandom::BounceOnSurface), 0.0, 1.0);

    const auto circle = [&](int value) {
        const auto &expression = recipe.circle[std::size_t(value)];
        return expression ? expression->evaluate(random, variables) : 0.0;
    };
    if (recipe.circle[SourceCircle::Radius]) {
        const double radius = circle(SourceCircle::Radius);
        values.position.x += radius * std::cos(draw.circleAngle);
        values.position.y += radius * std::sin(draw.circleAngle);
        values.velocity.x += circle(SourceCircle::VelocityX);
        values.velocity.y += circle(SourceCircle::VelocityY);
        values.velocity.z += circle(SourceCircle::VelocityZ);
    }
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

QString randomValueName(int value)
{
    static const char *const names[] = {"LifeTime",       "Position x",     "Position y",       "Position z",
                                        "MoveVelocity x", "MoveVelocity y", "MoveVelocity z",   "RotationVelocity",
                                        "Size",           "Color r",        "Color g",          "Color b",
                                        "Color a",        "RndmDirPeriod",  "RndmDirIntensity", "Angle",
                                        "BounceOnSurface"};
    static_assert(std::size(names) == SourceRandom::ValueCount);
    return value >= 0 && value < SourceRandom::ValueCount ? QLatin1String(names[value]) : QString();
}

QString circleValueName(int value)
{
    static const char *const names[] = {"radius", "velocity x", "velocity y", "velocity z"};
    static_assert(std::size(names) == SourceCircle::ValueCount);
    return value >= 0 && value < SourceCircle::ValueCount ? QLatin1String(names[value]) : QString();
}

Recipe readRecipe(const QStringList &texts, const SourceSettings &source)
{
    Recipe recipe;
    const QString shape = texts.value(0);
    recipe.shapeName = shape.startsWith(QLatin1Char('[')) ? shapeFile(shape) : shape;
    for (const int number : kSimulated) {
        const int vector = number >= kPosition && number < kPosition + 3   ? kPosition
                           : number >= kVelocity && number < kVelocity + 3 ? kVelocity
                                                                           : 0;
        if (vector != 0 && isWholeValue(texts, vector)) {
            if (number == vector)
                recipe.problems << wholeValueProblem(QString::fromLatin1(drop::kFields.at(vector - 1).parameter),
                                                     texts.value(vector - 1), QStringLiteral("[x, y, z]"));
            continue;
        }
        sqf::Expression expression;
        if (readNumber(recipe, fieldName(number), texts.value(number - 1), expression))
            recipe.numbers[number - 1] = std::move(expression);
    }
    readSizes(recipe, texts);
    readColours(recipe, texts.value(kColour - 1));
    readSource(recipe, source);
    readBounce(recipe, texts.value(kObject - 1));
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
    if (recipe.interval) {
        sqf::Random draw(1);
        const double interval = recipe.interval->evaluate(draw, variables);
        if (!std::isfinite(interval))
            problems << QStringLiteral("setDropInterval is not a number.");
        else if (interval < 0)
            problems << QStringLiteral("setDropInterval is below 0 (%1).").arg(interval);
        else if (interval > 0 && interval < kShortestInterval)
            problems << QStringLiteral("setDropInterval (%1) is shorter than 0.0001 s: the preview takes 0, which "
                                       "emits nothing, or 0.0001 s and longer.")
                            .arg(interval);
    }
    return problems;
}

std::optional<double> intervalValue(const Recipe &recipe, const sqf::VariableValues &variables)
{
    if (!recipe.interval)
        return std::nullopt;
    sqf::Random draw(1);
    const double interval = recipe.interval->evaluate(draw, variables);
    if (!std::isfinite(interval) || interval < 0 || (interval > 0 && interval < kShortestInterval))
        return std::nullopt;
    return interval;
}

std::optional<ParticleValues> drawParticle(const Recipe &recipe, const sqf::VariableValues &variables,
                                           sqf::Random &random)
{
    // Only what is set is drawn, so that a recipe without a source draws as it always did.
    SourceDraw draw;
    for (std::size_t value = 0; value < draw.parts.size(); ++value)
        if (recipe.randomness[value])
            draw.parts[value] = 2 * uniform(random) - 1;
    if (recipe.circle[SourceCircle::Radius])
        draw.circleAngle = 2 * std::numbers::pi * uniform(random);
    return drawParticle(recipe, variables, random, draw);
}

std::optional<ParticleValues> drawParticle(const Recipe &recipe, const sqf::VariableValues &variables,
                                           sqf::Random &random, const SourceDraw &draw)
{
    if (!recipe.usable())
        return std::nullopt;
    const auto value = [&](int number) {
        const auto &expression = recipe.numbers[number - 1];
        return expression ? expression->evaluate(random, variables) : 0.0;
    };
    ParticleValues values;
    values.lifeTime = value(kLifeTime);
    values.position = {value(kPosition), value(kPosition + 1), value(kPosition + 2)};
    values.velocity = {value(kVelocity), value(kVelocity + 1), value(kVelocity + 2)};
    values.weight = value(kWeight);
    values.volume = value(kVolume);
    // Rubbing below 0 would speed the particle up without end.
    values.rubbing = std::max(0.0, value(kRubbing));
    values.size.clear();
    for (const sqf::Expression &size : recipe.sizes)
        values.size.push_back(size.evaluate(random, variables));
    values.rndmDirPeriod = value(kPeriod);
    values.rndmDirIntensity = value(kIntensity);
    for (const auto &colour : recipe.colours)
        values.colours.push_back({colour[0].evaluate(random, variables), colour[1].evaluate(random, variables),
                                  colour[2].evaluate(random, variables), colour[3].evaluate(random, variables)});
    if (recipe.bounce) {
        // A coefficient above 1 would gain speed at every bounce; below 0 there is no collision.
        const double bounce = recipe.bounce->evaluate(random, variables);
        values.bounce = bounce >= 0 ? std::min(bounce, 1.0) : -1;
    }
    applySource(values, recipe, variables, random, draw);

    const double scalars[] = {values.lifeTime, values.weight,        values.volume,
                              values.rubbing,  values.rndmDirPeriod, values.rndmDirIntensity};
    const auto isFinite = [](double x) { return std::isfinite(x); };
    if (!std::all_of(std::begin(scalars), std::end(scalars), isFinite)
        || !std::all_of(values.size.cbegin(), values.size.cend(), isFinite) || values.size.empty()
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

} // namespace effect
