#pragma once

#include "particles.h"
#include "recipe.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace effect {

// Particles emitted one every interval of simulated time from time 0 on (for a duration, or
// without end), each from the recipe as it stands when the particle is born, moved on in fixed
// steps so that the result depends only on the simulated time and the seed, never on the frame
// rate. The interval is the recipe's setDropInterval with the current variables; at 0 nothing is
// born. With a duration D the particles are born at 0, I, 2I, ... while that time is less than D:
// the count and times of a script that drops, waits I and loops while its clock reads less than D.
// Every particle due within a step is born in it, each at its own time, and catches up to the
// step's end: an interval shorter than the step gives several particles a step.
class Simulation {
public:
    explicit Simulation(std::uint32_t seed = 1);

    void setRecipe(Recipe recipe);
    const Recipe &recipe() const { return m_recipe; }
    void setVariables(sqf::VariableValues variables);
    const sqf::VariableValues &variables() const { return m_variables; }
    void setWind(Vec3 wind) { m_wind = wind; }
    const Vec3 &wind() const { return m_wind; }
    // Seconds between two particles: the recipe's interval with the current variables, 0 when the
    // emission is off. Nothing while the interval cannot be read or is refused (see valueProblems).
    std::optional<double> interval() const { return m_interval; }
    // Seconds of simulated time from the start during which particles are born; 0 (or less)
    // without end. Takes effect for the emissions still to come.
    void setDuration(double seconds);
    double duration() const { return m_duration; }

    // No particles, time 0, the random draws from the seed again.
    void restart();
    // Runs the whole steps that fit into the simulated time so far plus the given seconds.
    void advance(double seconds);

    // Oldest first.
    const std::vector<Particle> &particles() const { return m_particles; }
    // Changes whenever the particles do, so that a picture of them can tell whether it is current.
    std::uint64_t revision() const { return m_revision; }
    double time() const { return double(m_steps) * kStep; }
    // True when the last emission was refused because the limit of live particles was reached.
    bool atLimit() const { return m_atLimit; }
    // True while the recipe can be previewed and gives particles with the current variables.
    bool emitting() const;
    // Particles born since the start (counting those the limit refused), and the simulated time at
    // which the last of them was born.
    std::int64_t emissions() const { return m_emissions; }
    double lastEmission() const { return m_lastEmission; }
    // True once the duration is over: no particle is born any more until the restart.
    bool emissionOver() const { return m_emissionOver; }

    // Puts particles in directly, for measurements of the step and the painting.
    void addParticle(Particle particle)
    {
        m_particles.push_back(std::move(particle));
        ++m_revision;
    }
    void step();

private:
    void emitParticle(double ahead);
    double nextEmission() const;
    void updateInterval();

    Recipe m_recipe;
    sqf::VariableValues m_variables;
    QStringList m_valueProblems;
    Vec3 m_wind;
    std::optional<double> m_interval;
    std::uint32_t m_seed;
    sqf::Random m_random;
    std::vector<Particle> m_particles;
    std::int64_t m_steps = 0;
    double m_pending = 0; // simulated seconds not yet stepped
    double m_duration = 0;
    // The next particle is born at base + count * interval: a product, not a sum of intervals,
    // so that a long run does not drift from the times a script's loop would have.
    double m_emissionBase = 0;
    std::int64_t m_sinceBase = 0;
    std::int64_t m_emissions = 0;
    double m_lastEmission = 0;
    bool m_emissionOver = false;
    bool m_atLimit = false;
    std::uint64_t m_revision = 0;
};

// Where the path of the particles reaches over a whole life: one particle with the current
// values, followed ahead in time (a few when values are drawn at random, so that a spread fits),
// with the extremes of setParticleRandom's spread and points on all sides of setParticleCircle.
struct Bounds {
    Vec3 low;
    Vec3 high;
};
Bounds pathBounds(const Recipe &recipe, const sqf::VariableValues &variables, const Vec3 &wind, std::uint32_t seed);

// A grid step of 1, 2 or 5 times a power of ten that cuts the given length into 5 to 15 pieces.
double gridStep(double metres);

} // namespace effect
