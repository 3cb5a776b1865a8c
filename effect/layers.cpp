#include "layers.h"

#include <algorithm>
#include <cmath>

namespace effect {
namespace {

bool named(const QList<Layer> &layers, const QString &name)
{
    return std::any_of(layers.cbegin(), layers.cend(), [&name](const Layer &layer) {
        return layer.name().trimmed().compare(name, Qt::CaseInsensitive) == 0;
    });
}

// The number a layer's text gives with the variables, its variables added to the recipe's; nothing,
// with the problem added, when it gives none. An empty text is `empty`.
std::optional<double> layerValue(Recipe &recipe, const QString &what, const QString &text,
                                 const sqf::VariableValues &variables, std::optional<double> empty)
{
    if (text.trimmed().isEmpty())
        return empty;
    const auto read = sqf::readExpression(text);
    if (const auto *error = std::get_if<sqf::ExpressionError>(&read)) {
        recipe.problems << readingProblem(what, text, *error);
        return std::nullopt;
    }
    const sqf::Expression &expression = std::get<sqf::Expression>(read);
    for (const QString &name : expression.variables())
        if (!recipe.variables.contains(name, Qt::CaseInsensitive))
            recipe.variables << name;
    // One value for the layer, as a script that works it out once: a random draw is always the same.
    sqf::Random draw(1);
    const double value = expression.evaluate(draw, variables);
    if (!std::isfinite(value)) {
        recipe.problems << QStringLiteral("%1 (\"%2\") is not a number with these values.").arg(what, text);
        return std::nullopt;
    }
    return value;
}

} // namespace

Layer layerOf(const EffectFields &fields)
{
    Layer layer;
    layer.fields = fields;
    return layer;
}

LayerRecipe readLayer(const Layer &layer, const sqf::VariableValues &variables)
{
    LayerRecipe played;
    played.variables = variables;
    if (layer.classOnly) {
        played.muted = true;
        return played;
    }
    played.muted = layer.muted;
    Recipe &recipe = played.recipe;
    recipe = readRecipe(layer.fields.texts, layer.fields.source);
    const std::array<double *, 3> offset{&played.offset.x, &played.offset.y, &played.offset.z};
    for (std::size_t axis = 0; axis < offset.size(); ++axis) {
        const QString what = QStringLiteral("Offset %1").arg(QLatin1Char(char('x' + axis)));
        *offset[axis] = layerValue(recipe, what, layer.offset[axis], variables, 0.0).value_or(0);
    }
    const std::optional<double> start = layerValue(recipe, QStringLiteral("Start"), layer.start, variables, 0.0);
    played.start = start.value_or(0);
    if (start < 0.0)
        recipe.problems << QStringLiteral("Start (%1) is below 0: a layer starts with the effect or later.")
                               .arg(layer.start.trimmed());
    played.end = layerValue(recipe, QStringLiteral("End"), layer.end, variables, std::nullopt);
    if (start && played.end && !(*played.end > *start))
        recipe.problems << QStringLiteral("End (%1) is not after the start (%2): the layer would emit nothing.")
                               .arg(layer.end.trimmed(),
                                    layer.start.trimmed().isEmpty() ? QStringLiteral("0") : layer.start.trimmed());
    return played;
}

QString uniqueLayerName(const QList<Layer> &layers, const QString &wanted)
{
    const QString trimmed = wanted.trimmed();
    if (!trimmed.isEmpty() && !named(layers, trimmed))
        return trimmed;
    QString base = trimmed;
    while (!base.isEmpty() && base.back().isDigit())
        base.chop(1);
    if (base.isEmpty())
        base = QStringLiteral("_ps");
    for (int n = 2;; ++n) {
        const QString name = base + QString::number(n);
        if (!named(layers, name))
            return name;
    }
}

QString layersProblem(const QList<Layer> &layers)
{
    if (layers.isEmpty())
        return QStringLiteral("an effect has at least one layer");
    for (qsizetype i = 0; i < layers.size(); ++i) {
        const QString name = layers.at(i).name().trimmed();
        if (name.isEmpty())
            return QStringLiteral("layer %1 has no name").arg(i + 1);
        if (named(layers.mid(0, i), name))
            return QStringLiteral("two layers are named %1").arg(name);
    }
    return {};
}

} // namespace effect
