#include "particles.h"

#include <algorithm>
#include <cmath>

namespace effect {
namespace {

double uniform(sqf::Random &random)
{
    return double(random()) / 4294967296.0;
}

double lerp(double a, double b, double f)
{
    return a + (b - a) * f;
}

} // namespace

double rise(double weight, double volume)
{
    return kGravity * (kAirDensity * volume / weight - 1);
}

Particle newParticle(ParticleValues values)
{
    Particle particle;
    particle.position = values.position;
    particle.velocity = values.velocity;
    particle.rise = rise(values.weight, values.volume);
    particle.drag = values.rubbing / (values.weight + 1);
    particle.values = std::move(values);
    return particle;
}

// The drag grows with the square of the speed and ties the three axes together through |w - v|,
// so that, unlike a pull in proportion to the speed, it has no exact solution over a step. The
// engine takes this step once a frame, with the frame's time; the preview takes it at its own
// fixed step, which gives the engine's paths at the game's usual frame rates and the same
// particles for a seed whatever the preview's frames.
void advance(Particle &particle, double dt, const Vec3 &wind, sqf::Random &random)
{
    particle.age += dt;
    const ParticleValues &values = particle.values;
    if (particle.age >= values.lifeTime)
        return;
    Vec3 &v = particle.velocity;
    const double rx = wind.x - v.x;
    const double ry = wind.y - v.y;
    const double rz = -v.z;
    // Where the drag of one step would take more than the whole relative speed, the engine's step
    // turns the velocity past the wind, and from twice that on ever farther at every step; the
    // preview stops it at the wind instead.
    const double pull = std::min(particle.drag * std::sqrt(rx * rx + ry * ry + rz * rz) * dt, 1.0);
    v.x += pull * rx;
    v.y += pull * ry;
    v.z += pull * rz + particle.rise * dt;
    // A period of 0 or less gives no kick: the chance dt / period has no meaning there.
    if (values.rndmDirPeriod > 0 && values.rndmDirIntensity != 0 && uniform(random) * values.rndmDirPeriod < dt) {
        const double intensity = values.rndmDirIntensity;
        v.x += intensity * (2 * uniform(random) - 1);
        v.y += intensity * (2 * uniform(random) - 1);
        v.z += intensity * (2 * uniform(random) - 1);
    }
    const double fromHeight = particle.position.z;
    particle.position.x += v.x * dt;
    particle.position.y += v.y * dt;
    particle.position.z += v.z * dt;
    if (values.bounce >= 0 && fromHeight >= 0 && particle.position.z < 0) {
        particle.position.z *= -values.bounce;
        v.z = std::abs(v.z) * values.bounce;
    }
}

double sizeAt(const ParticleValues &values, double age)
{
    const auto &sizes = values.size;
    if (sizes.empty())
        return 0;
    if (sizes.size() == 1)
        return sizes.front();
    const double f = values.lifeTime > 0 ? std::clamp(age / values.lifeTime, 0.0, 1.0) : 0.0;
    const double at = f * double(sizes.size() - 1);
    const std::size_t index = std::min(std::size_t(at), sizes.size() - 2);
    return lerp(sizes[index], sizes[index + 1], at - double(index));
}

Rgba colourAt(const ParticleValues &values, double age)
{
    const auto clamped = [](Rgba c) {
        return Rgba{std::clamp(c.r, 0.0, 1.0), std::clamp(c.g, 0.0, 1.0), std::clamp(c.b, 0.0, 1.0),
                    std::clamp(c.a, 0.0, 1.0)};
    };
    const auto &colours = values.colours;
    if (colours.empty())
        return {};
    if (colours.size() == 1)
        return clamped(colours.front());
    const double f = values.lifeTime > 0 ? std::clamp(age / values.lifeTime, 0.0, 1.0) : 0.0;
    const double at = f * double(colours.size() - 1);
    const std::size_t index = std::min(std::size_t(at), colours.size() - 2);
    const double part = at - double(index);
    const Rgba a = clamped(colours[index]);
    const Rgba b = clamped(colours[index + 1]);
    return {lerp(a.r, b.r, part), lerp(a.g, b.g, part), lerp(a.b, b.b, part), lerp(a.a, b.a, part)};
}

} // namespace effect
