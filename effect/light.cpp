#include "light.h"

#include "recipe.h"
#include "sqf/values.h"

#include <algorithm>
#include <cmath>

// The preview's model of a light, an approximation: the game documents the commands but not how a
// light looks, nor the state of a new light.
// - A value the script does not set is assumed: colour white, ambient black, intensity 0 (no
//   glow), the falloff 1 / d² (attenuation [0, 0, 0, 1]), no day light, no flare, flare size 1.
// - Where both intensity and brightness are set, the one written last holds, brightness as
//   intensity = 2500 × brightness².
// - The falloff never exceeds the light's own intensity: its denominator is taken as at least 1.
//   The glow reaches where the falloff drops to kGlowFraction of its value at the start, and no
//   further than the hard limit's end. Negative coefficients count as 0; a hard limit's end of 0
//   or less is no limit.
// - An attenuation of other than six values gives its first four as start, constant, linear and
//   quadratic, and hard limits only from its fifth and sixth.
// - A flicker draws its value and its period evenly between their bounds; a period below one
//   engine step is taken as one step, as the script's loop runs at most once a frame.

namespace effect {
namespace {

constexpr double kShortestPeriod = 0.01;

// Reads a value of the light, noting the variables it names; nothing, with the problem added,
// when it gives no number.
std::optional<double> lightNumber(LightRecipe &light, const QString &what, const QString &text,
                                  const sqf::VariableValues &variables)
{
    const auto read = sqf::readExpression(text);
    if (const auto *error = std::get_if<sqf::ExpressionError>(&read)) {
        light.problems << readingProblem(what, text, *error);
        return std::nullopt;
    }
    const sqf::Expression &expression = std::get<sqf::Expression>(read);
    for (const QString &name : expression.variables())
        if (!light.variables.contains(name, Qt::CaseInsensitive))
            light.variables << name;
    // One value, as the command takes it once.
    sqf::Random draw(1);
    const double value = expression.evaluate(draw, variables);
    if (!std::isfinite(value)) {
        light.problems << QStringLiteral("%1 (\"%2\") is not a number with these values.").arg(what, text);
        return std::nullopt;
    }
    return value;
}

bool lightSwitch(LightRecipe &light, const QString &what, const LightValue &value, const sqf::VariableValues &variables)
{
    if (!value.set)
        return false;
    const QString text = value.text.trimmed();
    if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    return lightNumber(light, what, text, variables).value_or(0) != 0;
}

void readColour(LightRecipe &light, const QString &what, const LightColour &colour,
                const sqf::VariableValues &variables, std::array<double, 3> &into)
{
    if (!colour.set)
        return;
    static const char *const channels[] = {"r", "g", "b"};
    for (std::size_t i = 0; i < into.size(); ++i)
        into[i] = lightNumber(light, QStringLiteral("%1 %2").arg(what, QLatin1String(channels[i])), colour.texts[i],
                              variables)
                      .value_or(0);
}

void readAttenuation(LightRecipe &light, const LightAttenuation &attenuation, const sqf::VariableValues &variables)
{
    static const char *const names[] = {"start",     "constant",         "linear",
                                        "quadratic", "hard limit start", "hard limit end"};
    light.attenuation = {0, 0, 0, 1, 0, 0};
    if (!attenuation.set)
        return;
    QStringList texts(attenuation.texts.cbegin(), attenuation.texts.cend());
    if (!attenuation.asWritten.isEmpty()) {
        texts = sqf::arrayElements(attenuation.asWritten).value_or(QStringList{});
        light.notes << QStringLiteral("Attenuation of %1 values, whose meaning is not documented: the preview reads "
                                      "the first four as start, constant, linear and quadratic%2.")
                           .arg(texts.size())
                           .arg(texts.size() >= 6 ? QStringLiteral(", the next two as the hard limits") : QString());
    }
    if (texts.size() < 4) {
        light.problems
            << QStringLiteral("Attenuation %1 is not an array of four values or more.").arg(attenuation.asWritten);
        return;
    }
    const qsizetype count = std::min<qsizetype>(texts.size(), LightAttenuation::ValueCount);
    for (qsizetype i = 0; i < count; ++i)
        light.attenuation[std::size_t(i)] =
            lightNumber(light, QStringLiteral("Attenuation %1").arg(QLatin1String(names[i])), texts.at(i), variables)
                .value_or(0);
    light.hardLimits = count == LightAttenuation::ValueCount;
}

} // namespace

LightSettings newLight()
{
    LightSettings light;
    light.colour = {true, {QStringLiteral("1"), QStringLiteral("0.45"), QStringLiteral("0.15")}};
    light.ambient = {true, {QStringLiteral("0.15"), QStringLiteral("0.05"), QStringLiteral("0")}};
    light.intensity = {true, QStringLiteral("2500")};
    light.attenuation.set = true;
    light.attenuation.texts = {QStringLiteral("0"), QStringLiteral("0"),  QStringLiteral("0"),
                               QStringLiteral("2"), QStringLiteral("30"), QStringLiteral("40")};
    light.dayLight = {true, QStringLiteral("false")};
    light.useFlare = {true, QStringLiteral("false")};
    light.flareSize = {true, QStringLiteral("1")};
    light.flareMaxDistance = {true, QStringLiteral("300")};
    return light;
}

double intensityOfBrightness(double brightness)
{
    return 2500 * brightness * brightness;
}

LightRecipe readLight(const LightSettings &settings, const sqf::VariableValues &variables)
{
    LightRecipe light;
    readColour(light, QStringLiteral("Colour"), settings.colour, variables, light.colour);
    readColour(light, QStringLiteral("Ambient"), settings.ambient, variables, light.ambient);

    std::optional<double> intensity;
    std::optional<double> fromBrightness;
    if (settings.intensity.set)
        intensity = lightNumber(light, QStringLiteral("Intensity"), settings.intensity.text, variables);
    if (settings.brightness.set)
        if (const auto brightness =
                lightNumber(light, QStringLiteral("Brightness"), settings.brightness.text, variables))
            fromBrightness = intensityOfBrightness(*brightness);
    if (intensity && fromBrightness) {
        light.intensity = settings.brightnessFirst ? *intensity : *fromBrightness;
        light.notes << QStringLiteral("Sets both intensity and brightness, which of them holds in the game is not "
                                      "known: the preview takes the one set last.");
    } else {
        light.intensity = intensity.value_or(fromBrightness.value_or(0));
    }
    if (!settings.intensity.set && !settings.brightness.set && settings.flicker.kind == LightFlicker::None)
        light.notes << QStringLiteral("Sets neither intensity nor brightness: the light of a new object is not "
                                      "known, the preview draws none.");
    light.intensity = std::max(0.0, light.intensity);

    readAttenuation(light, settings.attenuation, variables);
    for (std::size_t i = 0; i < 4; ++i)
        light.attenuation[i] = std::max(0.0, light.attenuation[i]);

    light.dayLight = lightSwitch(light, QStringLiteral("Day light"), settings.dayLight, variables);
    light.useFlare = lightSwitch(light, QStringLiteral("Use flare"), settings.useFlare, variables);
    if (settings.flareSize.set)
        light.flareSize = std::max(
            0.0, lightNumber(light, QStringLiteral("Flare size"), settings.flareSize.text, variables).value_or(1));
    if (settings.flareMaxDistance.set)
        lightNumber(light, QStringLiteral("Flare maximum distance"), settings.flareMaxDistance.text, variables);

    const LightFlicker &flicker = settings.flicker;
    if (flicker.kind != LightFlicker::None) {
        light.flicker = flicker.kind;
        const bool brightness = flicker.kind == LightFlicker::Brightness;
        const auto bound = [&](const char *what, const QString &text) {
            const double value =
                lightNumber(light, QStringLiteral("Flicker %1").arg(QLatin1String(what)), text, variables).value_or(0);
            return brightness ? intensityOfBrightness(value) : value;
        };
        light.low = std::max(0.0, bound("low", flicker.low));
        light.high = std::max(light.low, bound("high", flicker.high));
        light.shortest =
            lightNumber(light, QStringLiteral("Flicker period (shortest)"), flicker.shortest, variables).value_or(0);
        light.longest =
            lightNumber(light, QStringLiteral("Flicker period (longest)"), flicker.longest, variables).value_or(0);
        light.shortest = std::max(kShortestPeriod, light.shortest);
        light.longest = std::max(light.shortest, light.longest);
    }
    QStringList undrawn;
    if (settings.ambient.set)
        undrawn << QStringLiteral("the ambient colour (the views show no surfaces)");
    if (settings.flareMaxDistance.set)
        undrawn << QStringLiteral("the flare's maximum distance (the views have no camera)");
    if (!undrawn.isEmpty())
        light.notes << QStringLiteral("Not drawn: %1.").arg(undrawn.join(QStringLiteral(" and ")));
    if (!settings.otherCommands.isEmpty())
        light.notes << QStringLiteral("Not previewed: %1.").arg(settings.otherCommands.join(QStringLiteral("; ")));
    if (settings.type.compare(QLatin1String("#lightreflector"), Qt::CaseInsensitive) == 0)
        light.notes << QStringLiteral("A reflector: drawn as a point light, without its cone.");
    return light;
}

double lightFalloff(const LightRecipe &light, double distance)
{
    const auto &a = light.attenuation;
    const double d = std::max(0.0, distance - a[LightAttenuation::Start]);
    const auto value = [&a](double past) {
        return 1
               / std::max(1.0, a[LightAttenuation::Constant] + a[LightAttenuation::Linear] * past
                                   + a[LightAttenuation::Quadratic] * past * past);
    };
    double falloff = value(d) / value(0);
    if (light.hardLimits && a[LightAttenuation::HardLimitEnd] > 0) {
        const double from = a[LightAttenuation::HardLimitStart];
        const double to = a[LightAttenuation::HardLimitEnd];
        if (distance >= to)
            falloff = 0;
        else if (distance > from && to > from)
            falloff *= (to - distance) / (to - from);
    }
    return falloff;
}

double glowRadius(const LightRecipe &light)
{
    const auto &a = light.attenuation;
    const double constant = a[LightAttenuation::Constant];
    const double linear = a[LightAttenuation::Linear];
    const double quadratic = a[LightAttenuation::Quadratic];
    // The denominator at which the falloff is the fraction of its value at the start.
    const double target = std::max(1.0, constant) / kGlowFraction;
    double past = kLongestGlow;
    if (quadratic > 0)
        past = (-linear + std::sqrt(linear * linear + 4 * quadratic * (target - constant))) / (2 * quadratic);
    else if (linear > 0)
        past = (target - constant) / linear;
    double radius = std::min(kLongestGlow, a[LightAttenuation::Start] + past);
    if (light.hardLimits && a[LightAttenuation::HardLimitEnd] > 0)
        radius = std::min(radius, a[LightAttenuation::HardLimitEnd]);
    return std::max(0.0, radius);
}

double glowStrength(double intensity)
{
    // Half of the most at a campfire's 2500, nearly the most at a flare's 100 000; never opaque, so
    // that what stands behind a light still shows.
    return intensity > 0 ? kStrongestGlow * intensity / (intensity + 2500) : 0;
}

} // namespace effect
