#pragma once

#include "sqf/expression.h"

#include <array>
#include <vector>

namespace effect {

// A point or velocity in metres relative to the object; z is the height, up is positive.
struct Vec3 {
    double x = 0;
    double y = 0;
    double z = 0;
};

// Colour components and opacity from 0 to 1.
struct Rgba {
    double r = 1;
    double g = 1;
    double b = 1;
    double a = 1;
    bool operator==(const Rgba &) const = default;
};

// A particle moves by the step of the old game's engine, which its maker has published; the later
// games' engine is not public, and the same step is assumed for them. Each step of dt seconds:
//   v' = v + dt (gravity + lift + Rubbing |w - v| (w - v) / (Weight + 1))
//        gravity 9.81 m/s² down, lift 9.81 · 1.275 · Volume / Weight up, w the wind
//   with the chance dt / RndmDirPeriod, each axis of v' gets its own uniform draw in ±RndmDirIntensity
//   p' = p + dt v'
// and size and colour are linear between their points over the life. The old game has no ground:
// a particle passes through height 0. With a BounceOnSurface of 0 or more (later games), a
// particle that falls through height 0 in a step is put back above it as far as it went below,
// times the coefficient, and its fall turns into a rise of that part of its speed; the horizontal
// motion goes on unchanged. No rotation, no animation, no texture, no other collisions.
inline constexpr double kGravity = 9.81;     // m/s²
inline constexpr double kAirDensity = 1.275; // kg/m³
inline constexpr double kStep = 1.0 / 120;   // the integration step of the preview, in seconds
inline constexpr int kMaxParticles = 18000;  // the later games' limit of live particles

// What one particle was given when it was emitted.
struct ParticleValues {
    Vec3 position;
    Vec3 velocity;
    double lifeTime = 1;
    double weight = kAirDensity;
    double volume = 1;
    double rubbing = 0;
    std::vector<double> size{0}; // at evenly spaced times over the life, at least one
    std::vector<Rgba> colours;   // at evenly spaced times over the life; none means white
    double rndmDirPeriod = 0;
    double rndmDirIntensity = 0;
    double bounce = -1; // BounceOnSurface, 0..1; below 0 the particle passes through the ground
};

struct Particle {
    ParticleValues values;
    Vec3 position;
    Vec3 velocity;
    double age = 0;
    // From the values, once: the upward acceleration of gravity and lift, and Rubbing / (Weight + 1).
    double rise = 0;
    double drag = 0;
    int layer = 0; // the index of the effect's layer that emitted it
};

// The upward acceleration from weight and buoyancy.
double rise(double weight, double volume);

Particle newParticle(ParticleValues values);

// Ages a particle by dt seconds and, while it lives, moves it on by one step of the engine; the
// wind blows horizontally, z is 0.
void advance(Particle &particle, double dt, const Vec3 &wind, sqf::Random &random);

// Diameter in metres and colour at an age, linear between the given points of the life.
double sizeAt(const ParticleValues &values, double age);
Rgba colourAt(const ParticleValues &values, double age);

} // namespace effect
