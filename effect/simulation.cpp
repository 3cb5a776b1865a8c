#include "simulation.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <variant>

namespace effect {
namespace {

// Simulated times closer than this are the same time.
constexpr double kTimeTolerance = 1e-9;
// 100 s of the simulation's steps.
constexpr double kFollowedSteps = 12000;

// The source draws whose particles reach farthest: every component of the spread at its low end,
// then at its high end, each with the longest life, the largest size and the strongest random
// push; with a circle, each on the two sides of the circle toward that end.
std::vector<SourceDraw> extremeDraws(const Recipe &recipe)
{
    const bool spread = std::any_of(recipe.randomness.cbegin(), recipe.randomness.cend(),
                                    [](const auto &expression) { return expression.has_value(); });
    const bool circle = recipe.circle[SourceCircle::Radius].has_value();
    if (!spread && !circle)
        return {SourceDraw{}};
    std::vector<SourceDraw> draws;
    for (const double end : {-1.0, 1.0}) {
        SourceDraw draw;
        for (const int value : {SourceRandom::PositionX, SourceRandom::PositionY, SourceRandom::PositionZ,
                                SourceRandom::VelocityX, SourceRandom::VelocityY, SourceRandom::VelocityZ})
            draw.parts[std::size_t(value)] = end;
        for (const int value : {SourceRandom::LifeTime, SourceRandom::Size, SourceRandom::DirIntensity})
            draw.parts[std::size_t(value)] = 1;
        if (!circle) {
            draws.push_back(draw);
            continue;
        }
        // Toward +x and +y at the high end, toward -x and -y at the low end.
        const double quarter = std::numbers::pi / 2;
        draw.circleAngle = end > 0 ? 0 : 2 * quarter;
        draws.push_back(draw);
        draw.circleAngle = end > 0 ? quarter : 3 * quarter;
        draws.push_back(draw);
    }
    return draws;
}

// Follows one particle of the given draws over its life, handing every place it reaches and its
// size there to `include`.
template <typename Include>
void followPath(const Recipe &recipe, const sqf::VariableValues &variables, const Vec3 &wind, sqf::Random &random,
                const SourceDraw &draw, const Include &include)
{
    auto values = drawParticle(recipe, variables, random, draw);
    if (!values)
        return;
    Particle particle = newParticle(std::move(*values));
    const double life = particle.values.lifeTime;
    // In the simulation's own steps, as the particles move; only a life of more than
    // kFollowedSteps of them is followed in longer steps, which keep the fit quick on every edit.
    const double dt = std::max(kStep, life / kFollowedSteps);
    include(particle.position, sizeAt(particle.values, 0));
    while (particle.age < life) {
        advance(particle, std::min(dt, life - particle.age), wind, random);
        if (!std::isfinite(particle.position.x) || !std::isfinite(particle.position.y)
            || !std::isfinite(particle.position.z))
            break;
        include(particle.position, sizeAt(particle.values, particle.age));
    }
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

std::uint32_t layerSeed(std::uint32_t seed, std::size_t layer)
{
    // Golden-ratio steps keep the layers' seeds apart, and the first layer draws as a single one.
    return seed + std::uint32_t(layer) * 0x9E3779B9u;
}

Simulation::Simulation(std::uint32_t seed)
    : m_randoms{sqf::Random(seed)}
    , m_seed(seed)
{}

void Simulation::setRecipe(Recipe recipe)
{
    m_layers.front().recipe = std::move(recipe);
    updateLayer(0);
}

void Simulation::setVariables(sqf::VariableValues variables)
{
    m_layers.front().variables = std::move(variables);
    updateLayer(0);
}

void Simulation::updateLayer(std::size_t layer)
{
    m_emitters[layer].valueProblems = valueProblems(m_layers[layer].recipe, m_layers[layer].variables);
    updateInterval(layer);
}

void Simulation::updateInterval(std::size_t layer)
{
    Emitter &emitter = m_emitters[layer];
    const std::optional<double> interval = intervalValue(m_layers[layer].recipe, m_layers[layer].variables);
    if (interval == emitter.interval)
        return;
    // The particle already due keeps its time; the new spacing starts from it. Without an interval
    // the steps keep the next birth at their own time.
    if (emitter.interval > 0.0) {
        emitter.emissionBase = nextEmission(layer);
        emitter.sinceBase = 0;
    }
    emitter.interval = interval;
}

void Simulation::setDuration(double seconds)
{
    m_duration = std::isfinite(seconds) && seconds > 0 ? seconds : 0;
}

void Simulation::setLayers(std::vector<LayerRecipe> layers)
{
    if (layers.empty())
        layers.resize(1);
    if (layers.size() != m_layers.size()) {
        m_layers = std::move(layers);
        m_emitters.assign(m_layers.size(), Emitter{});
        for (std::size_t layer = 0; layer < m_layers.size(); ++layer) {
            m_emitters[layer].valueProblems = valueProblems(m_layers[layer].recipe, m_layers[layer].variables);
            m_emitters[layer].interval = intervalValue(m_layers[layer].recipe, m_layers[layer].variables);
        }
        m_randoms.resize(m_layers.size());
        restart();
        return;
    }
    for (std::size_t layer = 0; layer < m_layers.size(); ++layer) {
        LayerRecipe &current = m_layers[layer];
        LayerRecipe &next = layers[layer];
        const bool newStart = next.start != current.start;
        const bool newEnd = next.end != current.end;
        const bool muting = next.muted && !current.muted;
        current = std::move(next);
        updateLayer(layer);
        Emitter &emitter = m_emitters[layer];
        if (newStart) {
            emitter.emissionBase = std::max(time(), current.start);
            emitter.sinceBase = 0;
        }
        if (newStart || newEnd)
            emitter.status.emissionOver = false;
        if (newStart)
            emitter.light = LightStatus{};
        if (muting)
            removeParticles(layer);
    }
    // The lights are drawn from the layers' values, which may have changed.
    ++m_revision;
    updateLights();
}

void Simulation::removeParticles(std::size_t layer)
{
    std::erase_if(m_particles, [layer](const Particle &p) { return std::size_t(p.layer) == layer; });
    m_emitters[layer].status.live = 0;
    m_emitters[layer].status.atLimit = false;
    ++m_revision;
}

double Simulation::nextEmission(std::size_t layer) const
{
    const Emitter &emitter = m_emitters[layer];
    return emitter.emissionBase + double(emitter.sinceBase) * emitter.interval.value_or(0);
}

double Simulation::emissionStop(std::size_t layer) const
{
    double stop = m_layers[layer].end.value_or(std::numeric_limits<double>::infinity());
    if (m_duration > 0)
        stop = std::min(stop, m_duration);
    return stop;
}

bool Simulation::playing(std::size_t layer) const
{
    return !m_layers[layer].muted;
}

bool Simulation::layerEmitting(std::size_t layer) const
{
    return m_layers[layer].recipe.usable() && m_emitters[layer].valueProblems.isEmpty();
}

double Simulation::lightIntensity(std::size_t layer) const
{
    const LightStatus &status = m_emitters[layer].light;
    const std::optional<LightRecipe> &light = m_layers[layer].light;
    if (!status.on || !light)
        return 0;
    return light->flicker == LightFlicker::None ? light->intensity : status.flickered;
}

void Simulation::updateLights()
{
    const double now = time();
    for (std::size_t layer = 0; layer < m_layers.size(); ++layer) {
        const std::optional<LightRecipe> &light = m_layers[layer].light;
        if (!light)
            continue;
        Emitter &emitter = m_emitters[layer];
        LightStatus &status = emitter.light;
        const double start = std::max(0.0, m_layers[layer].start);
        const bool over = !(now < emissionStop(layer) - kTimeTolerance);
        emitter.status.emissionOver = over;
        const bool on = playing(layer) && m_layers[layer].recipe.usable() && !over && now >= start - kTimeTolerance;
        if (!on) {
            status.on = false;
            continue;
        }
        sqf::Random &random = m_randoms[layer];
        const auto draw = [&random](double low, double high) {
            return low + (high - low) * std::uniform_real_distribution<double>(0, 1)(random);
        };
        if (!status.on) {
            // The script's loop starts with the light: its first value at once.
            status.on = true;
            status.nextChange = std::max(start, now - kStep);
            status.flickered = light->intensity;
        }
        if (light->flicker == LightFlicker::None)
            continue;
        while (status.nextChange <= now + kTimeTolerance) {
            status.flickered = draw(light->low, light->high);
            status.nextChange += draw(light->shortest, light->longest);
            ++status.changes;
        }
    }
}

bool Simulation::atLimit() const
{
    return std::any_of(m_emitters.cbegin(), m_emitters.cend(),
                       [](const Emitter &emitter) { return emitter.status.atLimit; });
}

std::int64_t Simulation::emissions() const
{
    std::int64_t total = 0;
    for (const Emitter &emitter : m_emitters)
        total += emitter.status.emissions;
    return total;
}

double Simulation::lastEmission() const
{
    double last = 0;
    for (const Emitter &emitter : m_emitters)
        last = std::max(last, emitter.status.lastEmission);
    return last;
}

bool Simulation::emissionOver() const
{
    for (std::size_t layer = 0; layer < m_layers.size(); ++layer)
        if (playing(layer) && !m_emitters[layer].status.emissionOver)
            return false;
    return true;
}

bool settled(const Simulation &simulation)
{
    if (!simulation.particles().empty())
        return false;
    for (std::size_t layer = 0; layer < simulation.layers().size(); ++layer) {
        const LayerRecipe &played = simulation.layers()[layer];
        if (played.muted || simulation.layerStatus(layer).emissionOver)
            continue;
        if (!played.light) {
            if (simulation.layerInterval(layer) != 0.0)
                return false;
            continue;
        }
        if (!played.recipe.usable())
            continue;
        // A steady light that is on and has no end to come changes nothing more.
        const bool ends = played.end || simulation.duration() > 0;
        if (!simulation.lightStatus(layer).on || ends || played.light->flicker != LightFlicker::None)
            return false;
    }
    return true;
}

void Simulation::restart()
{
    m_particles.clear();
    ++m_revision;
    for (std::size_t layer = 0; layer < m_layers.size(); ++layer) {
        m_randoms[layer].seed(layerSeed(m_seed, layer));
        Emitter &emitter = m_emitters[layer];
        emitter.emissionBase = std::max(0.0, m_layers[layer].start); // nothing is born before the effect starts
        emitter.sinceBase = 0;
        emitter.status = LayerStatus{};
        emitter.light = LightStatus{};
    }
    m_steps = 0;
    m_pending = 0;
    updateLights();
}

std::int64_t Simulation::stepsTo(double seconds)
{
    return std::int64_t(std::floor(std::min(std::max(0.0, seconds), 1e9) / kStep + 1e-6));
}

void Simulation::seek(double seconds)
{
    restart();
    for (const std::int64_t steps = stepsTo(seconds); m_steps < steps;)
        step();
}

void Simulation::advance(double seconds)
{
    if (!(seconds > 0))
        return;
    m_pending += seconds;
    while (m_pending >= kStep) {
        m_pending -= kStep;
        step();
    }
}

void Simulation::addParticle(Particle particle)
{
    if (particle.layer < 0 || std::size_t(particle.layer) >= m_layers.size())
        particle.layer = 0;
    ++m_emitters[std::size_t(particle.layer)].status.live;
    m_particles.push_back(std::move(particle));
    ++m_revision;
}

void Simulation::emitParticle(std::size_t layer, double ahead)
{
    LayerStatus &status = m_emitters[layer].status;
    if (int(m_particles.size()) >= kMaxParticles) {
        status.atLimit = true;
        return;
    }
    status.atLimit = false;
    const LayerRecipe &source = m_layers[layer];
    sqf::Random &random = m_randoms[layer];
    auto values = drawParticle(source.recipe, source.variables, random);
    if (!values)
        return;
    values->position.x += source.offset.x;
    values->position.y += source.offset.y;
    values->position.z += source.offset.z;
    Particle particle = newParticle(std::move(*values));
    particle.layer = int(layer);
    // Born between two steps, the particle catches up to the end of the step.
    if (ahead > 0)
        effect::advance(particle, ahead, m_wind, random);
    if (particle.age < particle.values.lifeTime) {
        m_particles.push_back(std::move(particle));
        ++status.live;
    }
}

void Simulation::step()
{
    ++m_revision;
    // One pass: each particle moves on, and the living close up behind the dead, in their order.
    auto kept = m_particles.begin();
    for (auto particle = m_particles.begin(); particle != m_particles.end(); ++particle) {
        effect::advance(*particle, kStep, m_wind, m_randoms[std::size_t(particle->layer)]);
        if (particle->age >= particle->values.lifeTime) {
            --m_emitters[std::size_t(particle->layer)].status.live;
            continue;
        }
        if (kept != particle)
            *kept = std::move(*particle);
        ++kept;
    }
    m_particles.erase(kept, m_particles.end());
    ++m_steps;
    updateLights();
    const double now = time();
    const auto emits = [this](std::size_t layer) {
        return playing(layer) && layerEmitting(layer) && m_emitters[layer].interval > 0.0;
    };
    for (std::size_t layer = 0; layer < m_layers.size(); ++layer)
        if (!emits(layer)) {
            m_emitters[layer].emissionBase = std::max(now, m_layers[layer].start);
            m_emitters[layer].sinceBase = 0;
        }
    for (;;) {
        // The earliest birth due in this step of any layer.
        std::size_t first = m_layers.size();
        double firstTime = 0;
        for (std::size_t layer = 0; layer < m_layers.size(); ++layer) {
            if (!emits(layer))
                continue;
            const double next = nextEmission(layer);
            if (next > now + kTimeTolerance)
                continue;
            // A birth time within the tolerance of the end counts as at the end, not before it: a
            // product such as 10 * 0.1 lands a rounding error either side of 1.
            if (!(next < emissionStop(layer) - kTimeTolerance)) {
                m_emitters[layer].status.emissionOver = true;
                continue;
            }
            if (first == m_layers.size() || next < firstTime) {
                first = layer;
                firstTime = next;
            }
        }
        if (first == m_layers.size())
            break;
        emitParticle(first, now - firstTime);
        LayerStatus &status = m_emitters[first].status;
        status.lastEmission = firstTime;
        ++status.emissions;
        ++m_emitters[first].sinceBase;
    }
}

double longestLife(const LayerRecipe &layer)
{
    if (layer.light || !layer.recipe.usable())
        return 0;
    SourceDraw draw;
    draw.parts[SourceRandom::LifeTime] = 1;
    sqf::Random random(1);
    const std::optional<ParticleValues> values = drawParticle(layer.recipe, layer.variables, random, draw);
    return values ? std::max(0.0, values->lifeTime) : 0;
}

std::optional<double> effectEnd(const std::vector<LayerRecipe> &layers, double duration)
{
    double emission = duration;
    double life = 0;
    for (const LayerRecipe &layer : layers) {
        if (layer.muted)
            continue;
        life = std::max(life, longestLife(layer));
        if (duration > 0)
            continue;
        if (!layer.end)
            return std::nullopt;
        emission = std::max(emission, *layer.end);
    }
    return emission + life;
}

Bounds pathBounds(const Recipe &recipe, const sqf::VariableValues &variables, const Vec3 &wind, std::uint32_t seed)
{
    Bounds bounds; // the origin, where the object stands, is always in view
    sqf::Random random(seed);
    const auto isRandom = [](const auto &expression) { return expression && expression->isRandom(); };
    const bool drawn = std::any_of(recipe.numbers.cbegin(), recipe.numbers.cend(), isRandom)
                       || std::any_of(recipe.randomness.cbegin(), recipe.randomness.cend(), isRandom)
                       || std::any_of(recipe.circle.cbegin(), recipe.circle.cend(), isRandom);
    const auto include = [&bounds](const Vec3 &at, double size) {
        const double r = std::abs(size) / 2;
        bounds.low = {std::min(bounds.low.x, at.x - r), std::min(bounds.low.y, at.y - r),
                      std::min(bounds.low.z, at.z - r)};
        bounds.high = {std::max(bounds.high.x, at.x + r), std::max(bounds.high.y, at.y + r),
                       std::max(bounds.high.z, at.z + r)};
    };
    const std::vector<SourceDraw> draws = extremeDraws(recipe);
    for (int sample = 0; sample < (drawn ? 8 : 1); ++sample)
        for (const SourceDraw &draw : draws)
            followPath(recipe, variables, wind, random, draw, include);
    return bounds;
}

Bounds pathBounds(const std::vector<LayerRecipe> &layers, const Vec3 &wind, std::uint32_t seed)
{
    Bounds bounds; // the anchor
    for (std::size_t layer = 0; layer < layers.size(); ++layer) {
        const LayerRecipe &played = layers[layer];
        if (played.muted)
            continue;
        const Bounds own = pathBounds(played.recipe, played.variables, wind, layerSeed(seed, layer));
        const Vec3 &at = played.offset;
        bounds.low = {std::min(bounds.low.x, own.low.x + at.x), std::min(bounds.low.y, own.low.y + at.y),
                      std::min(bounds.low.z, own.low.z + at.z)};
        bounds.high = {std::max(bounds.high.x, own.high.x + at.x), std::max(bounds.high.y, own.high.y + at.y),
                       std::max(bounds.high.z, own.high.z + at.z)};
    }
    return bounds;
}

double gridStep(double metres)
{
    if (!(metres > 0) || !std::isfinite(metres))
        return 1;
    double step = std::pow(10.0, std::floor(std::log10(metres / 15)));
    for (;;) {
        for (const double factor : {1.0, 2.0, 5.0})
            if (metres / (step * factor) <= 15)
                return step * factor;
        step *= 10;
    }
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
    if (layer.light) {
        played.light = readLight(*layer.light, variables);
        recipe.variables = played.light->variables;
        recipe.problems = played.light->problems;
        recipe.notes = played.light->notes;
    } else {
        recipe = readRecipe(layer.fields.texts, layer.fields.source);
    }
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

} // namespace effect
