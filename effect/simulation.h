#pragma once

#include "layers.h"
#include "light.h"
#include "particles.h"
#include "recipe.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace effect {

// One layer of an effect as the simulation plays it: its recipe and variable values, placed at an
// offset from the effect's anchor, emitting from `start` seconds after the effect starts until
// `end` (without one, until the effect's duration is over). A muted layer is not played.
struct LayerRecipe {
    Recipe recipe;
    sqf::VariableValues variables;
    Vec3 offset;
    double start = 0; // below 0, or no number, the layer starts with the effect
    std::optional<double> end;
    bool muted = false;
    // A light layer's values; its recipe then emits nothing and holds the light's variables,
    // problems and notes beside those of its offset and times.
    std::optional<LightRecipe> light;
};

// What one layer has done since the start.
struct LayerStatus {
    int live = 0; // its particles alive now
    // True when its last emission was refused because the effect's particles reached the limit.
    bool atLimit = false;
    std::int64_t emissions = 0; // counting those the limit refused
    double lastEmission = 0;    // the simulated time of the last of them
    bool emissionOver = false;  // its end or the effect's duration has passed
};

// What a light layer shows now. A light is on from its start until its end or the effect's
// duration, while its values can be read. A flicker sets a new intensity drawn from the layer's
// random source at the light's start and then at the end of every period, itself drawn; the
// steady light has its intensity.
struct LightStatus {
    bool on = false;
    double flickered = 0;  // the last intensity the flicker drew
    double nextChange = 0; // when the flicker draws again
    std::int64_t changes = 0;
};

// Particles emitted one every interval of simulated time from time 0 on (for a duration, or
// without end), each from the recipe as it stands when the particle is born, moved on in fixed
// steps so that the result depends only on the simulated time and the seed, never on the frame
// rate. The interval is the recipe's setDropInterval with the current variables; at 0 nothing is
// born. With a duration D the particles are born at 0, I, 2I, ... while that time is less than D:
// the count and times of a script that drops, waits I and loops while its clock reads less than D.
// Every particle due within a step is born in it, each at its own time, and catches up to the
// step's end: an interval shorter than the step gives several particles a step.
//
// An effect of several layers plays them all in the one list of particles, each layer emitting as
// above from its own start (its births at start, start + I, ... while before its end and the
// duration) at its offset. Each layer draws from a random source of its own, seeded from the seed
// and its index, so that a layer's particles do not depend on the other layers, except where the
// limit of live particles, which holds for all layers together, refuses a birth. The births of a
// step are taken in the order of their times (a tie in the order of the layers), so the list
// stays oldest first. The single-layer setters and getters below act on the first layer.
class Simulation {
public:
    explicit Simulation(std::uint32_t seed = 1);

    void setRecipe(Recipe recipe);
    const Recipe &recipe() const { return m_layers.front().recipe; }
    void setVariables(sqf::VariableValues variables);
    const sqf::VariableValues &variables() const { return m_layers.front().variables; }
    void setWind(Vec3 wind) { m_wind = wind; }
    const Vec3 &wind() const { return m_wind; }
    // Seconds between two particles: the recipe's interval with the current variables, 0 when the
    // emission is off. Nothing while the interval cannot be read or is refused (see valueProblems).
    std::optional<double> interval() const { return m_emitters.front().interval; }
    // Seconds of simulated time from the start during which particles are born; 0 (or less)
    // without end. Takes effect for the emissions still to come, of every layer.
    void setDuration(double seconds);
    double duration() const { return m_duration; }

    // The layers of the effect; an empty list is one layer that emits nothing. With as many layers
    // as before, matched by their place in the list, each takes its new values as setRecipe does,
    // for the particles still to be born: a layer muted now loses its particles at once, one
    // unmuted starts again at the next step without the births it missed, and a new start begins
    // its births anew there, or at the next step once it has passed. With another number of layers
    // the simulation restarts.
    void setLayers(std::vector<LayerRecipe> layers);
    const std::vector<LayerRecipe> &layers() const { return m_layers; }
    const LayerStatus &layerStatus(std::size_t layer) const { return m_emitters[layer].status; }
    // The interval of a layer, as interval() gives the first layer's.
    std::optional<double> layerInterval(std::size_t layer) const { return m_emitters[layer].interval; }
    // True while the layer's recipe can be previewed and gives particles with its variables.
    bool layerEmitting(std::size_t layer) const;
    const LightStatus &lightStatus(std::size_t layer) const { return m_emitters[layer].light; }
    // A light layer's intensity now: 0 while it is off, its flicker's draw or its own intensity.
    double lightIntensity(std::size_t layer) const;

    // No particles, time 0, the random draws from the seed again.
    void restart();
    // The seed of the random draws from the next restart on: another seed, another spread of the
    // same effect.
    void setSeed(std::uint32_t seed) { m_seed = seed; }
    std::uint32_t seed() const { return m_seed; }
    // The moment `seconds` after the start, as playing from the start reaches it: a restart and a
    // replay of every whole step up to it, particle for particle the same.
    void seek(double seconds);
    // Runs the whole steps that fit into the simulated time so far plus the given seconds.
    void advance(double seconds);

    // Of all layers, oldest first.
    const std::vector<Particle> &particles() const { return m_particles; }
    // Changes whenever the particles do, so that a picture of them can tell whether it is current.
    std::uint64_t revision() const { return m_revision; }
    double time() const { return double(m_steps) * kStep; }
    // The whole steps taken since the start.
    std::int64_t steps() const { return m_steps; }
    // The whole steps from the start to the moment `seconds` after it, as playing reaches it: the
    // time of a whole number of steps gives that number back, whatever its rounding.
    static std::int64_t stepsTo(double seconds);
    // True when the last emission of a layer was refused because the limit of live particles was
    // reached.
    bool atLimit() const;
    // True while the first layer's recipe can be previewed and gives particles with its variables.
    bool emitting() const { return layerEmitting(0); }
    // Particles born since the start in all layers (counting those the limit refused), and the
    // simulated time at which the last of them was born.
    std::int64_t emissions() const;
    double lastEmission() const;
    // True once the emission of every layer that plays is over: no particle is born any more until
    // the restart.
    bool emissionOver() const;

    // Puts particles in directly, for measurements of the step and the painting; a particle of a
    // layer the simulation does not have counts as the first layer's.
    void addParticle(Particle particle);
    void step();

private:
    // A layer's emission as it goes: its next birth and what it has done.
    struct Emitter {
        QStringList valueProblems;
        std::optional<double> interval;
        // The next particle is born at base + count * interval: a product, not a sum of
        // intervals, so that a long run does not drift from the times a script's loop would have.
        double emissionBase = 0;
        std::int64_t sinceBase = 0;
        LayerStatus status;
        LightStatus light;
    };

    // Switches the light layers on and off at the current time and draws their flickers.
    void updateLights();

    void emitParticle(std::size_t layer, double ahead);
    double nextEmission(std::size_t layer) const;
    // The time at which the layer's births stop, or infinity.
    double emissionStop(std::size_t layer) const;
    bool playing(std::size_t layer) const;
    void updateLayer(std::size_t layer);
    void updateInterval(std::size_t layer);
    void removeParticles(std::size_t layer);

    std::vector<LayerRecipe> m_layers = std::vector<LayerRecipe>(1);
    std::vector<Emitter> m_emitters = std::vector<Emitter>(1);
    std::vector<sqf::Random> m_randoms; // one for each layer
    Vec3 m_wind;
    std::uint32_t m_seed;
    std::vector<Particle> m_particles;
    std::int64_t m_steps = 0;
    double m_pending = 0; // simulated seconds not yet stepped
    double m_duration = 0;
    std::uint64_t m_revision = 0;
};

// The seed of a layer's random draws: the simulation's seed for the first layer.
std::uint32_t layerSeed(std::uint32_t seed, std::size_t layer);

// True while nothing moves and nothing is to be born: no particles live, the emission of every
// layer that plays is over or its interval is 0, and no light that plays is still to start, to
// end or to flicker. Until the recipe, the variables or the duration change, stepping on changes
// nothing.
bool settled(const Simulation &simulation);

// The longest life a layer's particles can have with its variables: the LifeTime with its
// setParticleRandom spread at the top; 0 for a light or a layer that gives no particle.
double longestLife(const LayerRecipe &layer);

// The time at which the effect is over: the end of its emission ("Emit for", else the end of every
// layer that plays, where each has one) and then the longest life of a layer's particles.
// Nothing for an effect without end.
std::optional<double> effectEnd(const std::vector<LayerRecipe> &layers, double duration);

// Where the path of the particles reaches over a whole life: one particle with the current
// values, followed ahead in time (a few when values are drawn at random, so that a spread fits),
// with the extremes of setParticleRandom's spread and points on all sides of setParticleCircle.
struct Bounds {
    Vec3 low;
    Vec3 high;
};
Bounds pathBounds(const Recipe &recipe, const sqf::VariableValues &variables, const Vec3 &wind, std::uint32_t seed);
// The same for every layer that plays, each with its variables and moved by its offset, and the
// anchor: where the whole effect reaches.
Bounds pathBounds(const std::vector<LayerRecipe> &layers, const Vec3 &wind, std::uint32_t seed);

// A grid step of 1, 2 or 5 times a power of ten that cuts the given length into 5 to 15 pieces.
double gridStep(double metres);

// The layer as the simulation plays it with the given variable values: its fields read as a
// recipe, its offset and times worked out as numbers (an empty offset or start is 0). A text that
// cannot be read or gives no number, a start below 0 and an end not after the start are problems
// of the recipe, so that the layer emits nothing while it has one; the variables these texts name
// join the recipe's. A class-only layer has nothing to play: it comes out muted, without a recipe.
// A light layer comes out with its light read, and a recipe that emits nothing.
LayerRecipe readLayer(const Layer &layer, const sqf::VariableValues &variables);

} // namespace effect
