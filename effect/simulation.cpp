#include "simulation.h"

#include <algorithm>
#include <cmath>
#include <numbers>

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

} // namespace

Simulation::Simulation(std::uint32_t seed)
    : m_seed(seed)
    , m_random(seed)
{}

void Simulation::setRecipe(Recipe recipe)
{
    m_recipe = std::move(recipe);
    m_valueProblems = valueProblems(m_recipe, m_variables);
    updateInterval();
}

void Simulation::setVariables(sqf::VariableValues variables)
{
    m_variables = std::move(variables);
    m_valueProblems = valueProblems(m_recipe, m_variables);
    updateInterval();
}

void Simulation::updateInterval()
{
    const std::optional<double> interval = intervalValue(m_recipe, m_variables);
    if (interval == m_interval)
        return;
    // The particle already due keeps its time; the new spacing starts from it. Without an interval
    // the steps keep the next birth at their own time.
    if (m_interval > 0.0) {
        m_emissionBase = nextEmission();
        m_sinceBase = 0;
    }
    m_interval = interval;
}

void Simulation::setDuration(double seconds)
{
    m_duration = std::isfinite(seconds) && seconds > 0 ? seconds : 0;
}

double Simulation::nextEmission() const
{
    return m_emissionBase + double(m_sinceBase) * m_interval.value_or(0);
}

bool Simulation::emitting() const
{
    return m_recipe.usable() && m_valueProblems.isEmpty();
}

bool settled(const Simulation &simulation)
{
    return simulation.particles().empty() && (simulation.emissionOver() || simulation.interval() == 0.0);
}

void Simulation::restart()
{
    m_particles.clear();
    ++m_revision;
    m_random.seed(m_seed);
    m_steps = 0;
    m_pending = 0;
    m_emissionBase = 0;
    m_sinceBase = 0;
    m_emissions = 0;
    m_lastEmission = 0;
    m_emissionOver = false;
    m_atLimit = false;
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

void Simulation::emitParticle(double ahead)
{
    if (int(m_particles.size()) >= kMaxParticles) {
        m_atLimit = true;
        return;
    }
    m_atLimit = false;
    auto values = drawParticle(m_recipe, m_variables, m_random);
    if (!values)
        return;
    Particle particle = newParticle(std::move(*values));
    // Born between two steps, the particle catches up to the end of the step.
    if (ahead > 0)
        effect::advance(particle, ahead, m_wind, m_random);
    if (particle.age < particle.values.lifeTime)
        m_particles.push_back(std::move(particle));
}

void Simulation::step()
{
    ++m_revision;
    for (Particle &particle : m_particles)
        effect::advance(particle, kStep, m_wind, m_random);
    std::erase_if(m_particles, [](const Particle &p) { return p.age >= p.values.lifeTime; });
    ++m_steps;
    const double now = time();
    if (!emitting() || !(m_interval > 0.0)) {
        m_emissionBase = now;
        m_sinceBase = 0;
        return;
    }
    for (;;) {
        const double next = nextEmission();
        if (next > now + kTimeTolerance)
            break;
        // A birth time within the tolerance of the end counts as at the end, not before it: a
        // product such as 10 * 0.1 lands a rounding error either side of 1.
        if (m_duration > 0 && !(next < m_duration - kTimeTolerance)) {
            m_emissionOver = true;
            break;
        }
        emitParticle(now - next);
        m_lastEmission = next;
        ++m_emissions;
        ++m_sinceBase;
    }
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

} // namespace effect
