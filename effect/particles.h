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

// The preview's model of a particle, an approximation of the game's, whose own is not published:
// gravity less the buoyancy of the air the particle's Volume displaces, air resistance that pulls
// the velocity toward the wind at the rate Rubbing per second, a push of RndmDirIntensity in a
// random direction every RndmDirPeriod seconds, and size and colour linear between their points
// over the life. No rotation, no animation, no texture, no collisions with the ground.
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
};

struct Particle {
    ParticleValues values;
    Vec3 position;
    Vec3 velocity;
    double age = 0;
    double nextKick = 0; // the age of the next random kick
};

// The upward acceleration from weight and buoyancy.
double rise(double weight, double volume);

Particle newParticle(ParticleValues values);

// Moves a particle on by dt seconds under gravity, buoyancy and the pull of the wind, solved
// exactly over the step, then gives it the random kicks that fall due; the wind blows
// horizontally, z is 0.
void advance(Particle &particle, double dt, const Vec3 &wind, sqf::Random &random);

// Diameter in metres and colour at an age, linear between the given points of the life.
double sizeAt(const ParticleValues &values, double age);
Rgba colourAt(const ParticleValues &values, double age);

// A velocity of the given length in a direction uniformly distributed over the sphere.
Vec3 randomDirection(double length, sqf::Random &random);

} // namespace effect
