// The particle preview's model on any field texts: an expression that cannot be read names a
// position inside its text; one that can be read evaluates the same twice from the same seed; a
// recipe gives particles with finite values or none; the simulation keeps to its limit and to the
// intervals it takes, the source's commands are written whatever they hold, and the discs blend
// into an image wherever they land.
#include "drop/dropstring.h"
#include "effect/recipe.h"
#include "effect/simulation.h"
#include "export/sourcescript.h"
#include "fuzzinput.h"
#include "preview/painting.h"

#include <QImage>

#include <cmath>

namespace {

bool sameValue(double a, double b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

void readsExpression(const QString &text)
{
    const auto read = sqf::readExpression(text);
    if (const auto *error = std::get_if<sqf::ExpressionError>(&read)) {
        if (error->position < 1 || error->position > text.size() + 1)
            violated("the error's position lies outside the text", text);
        return;
    }
    const auto &expression = std::get<sqf::Expression>(read);
    sqf::VariableValues values;
    for (const QString &name : expression.variables())
        values.insert(name.toLower(), 1.5);
    sqf::Random first(3);
    sqf::Random second(3);
    if (!sameValue(expression.evaluate(first, values), expression.evaluate(second, values)))
        violated("two evaluations from the same seed differ", text);
    if (!expression.isRandom() && !sameValue(expression.evaluate(first, values), expression.evaluate(first, values)))
        violated("an expression without random differs between evaluations", text);
}

bool finite(const effect::Vec3 &v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *bytes, std::size_t size)
{
    FuzzedDataProvider data(bytes, size);
    // The main window's start texts, some of them replaced by the fuzzer's.
    QStringList texts{"",  "",  "",  "0", "1",  "0", "0", "0", "0", "0", "0", "0", "1", "1",
                      "0", "1", "1", "1", "[]", "0", "0", "0", "0", "0", "",  "",  ""};
    // The source settings, set or not, their texts replaced as the fields' are.
    effect::SourceSettings source;
    source.random.set = data.ConsumeBool();
    source.random.elements = data.ConsumeIntegralInRange(7, 11);
    source.circle.set = data.ConsumeBool();
    source.interval.set = data.ConsumeBool();
    constexpr int kRandomValues = effect::SourceRandom::ValueCount;
    constexpr int kCircleValues = effect::SourceCircle::ValueCount;
    while (data.remaining_bytes() > 0) {
        const int slot = data.ConsumeIntegralInRange(1, 27 + kRandomValues + kCircleValues + 2);
        QString text = consumeText(data, 64);
        readsExpression(text);
        if (slot <= 27)
            texts[slot - 1] = std::move(text);
        else if (slot <= 27 + kRandomValues)
            source.random.texts[std::size_t(slot - 28)] = std::move(text);
        else if (slot <= 27 + kRandomValues + kCircleValues)
            source.circle.texts[std::size_t(slot - 28 - kRandomValues)] = std::move(text);
        else if (slot == 28 + kRandomValues + kCircleValues)
            source.interval.text = std::move(text);
        else
            source.otherCommands << text;
    }

    const effect::Recipe recipe = effect::readRecipe(texts, source);
    const QString input = texts.join(QLatin1Char('|')) + QLatin1Char('|') + source.random.texts.front()
                          + QLatin1Char('|') + source.interval.text;
    if (recipe.usable() != recipe.problems.isEmpty())
        violated("a usable recipe with problems", texts.join(QLatin1Char('|')));
    sqf::VariableValues variables;
    for (const QString &name : recipe.variables)
        variables.insert(name.toLower(), 2);
    sqf::Random random(5);
    if (const auto values = effect::drawParticle(recipe, variables, random)) {
        if (!(values->lifeTime > 0) || !(values->weight > 0) || !finite(values->position) || !finite(values->velocity))
            violated("a particle without life, weight or a finite start", texts.join(QLatin1Char('|')));
    }

    effect::Simulation simulation(9);
    simulation.setRecipe(recipe);
    simulation.setVariables(variables);
    simulation.restart();
    simulation.advance(0.25);
    if (simulation.particles().size() > std::size_t(effect::kMaxParticles))
        violated("more particles than the limit", input);
    if (const auto interval = simulation.interval()) {
        if (*interval != 0 && !(*interval >= effect::kShortestInterval))
            violated("an interval the preview refuses was taken", input);
        if (*interval == 0 && simulation.emissions() != 0)
            violated("particles born at an interval of 0", input);
    }
    (void)effect::pathBounds(recipe, variables, {1, -1, 0}, 9);

    const QString dropString = drop::formatDropString(texts, drop::ColourMode::Inline, QStringLiteral("_color"));
    const QStringList commands = exporter::sourceCommandLines(source, dropString, false, {});
    for (const QString &command : commands)
        if (!command.endsWith(QLatin1Char(';')))
            violated("a source command not ended by ';'", command);
    exporter::EmitterSettings settings;
    settings.objectText = texts[26];
    settings.dropString = dropString;
    (void)exporter::sourceScriptLines(settings, source, QStringLiteral("x.sqf"));

    QImage image(32, 24, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    for (const effect::Particle &particle : simulation.particles())
        preview::blendSoftDisc(image, {particle.position.x * 4 + 16, 12 - particle.position.z * 4},
                               effect::sizeAt(particle.values, particle.age) * 2,
                               effect::colourAt(particle.values, particle.age));
    return 0;
}
