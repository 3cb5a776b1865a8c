#include "particles.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace effect {
namespace {

double uniform(sqf::Random &random)
{
    return double(random()) / 4294967296.0;
}

// One axis of dv/dt = a − r·(v − w) over dt: the velocity tends to w + a/r at the rate r, by the
// factor decay = exp(−r·dt), which the three axes share.
void moveAxis(double &x, double &v, double a, double r, double w, double dt, double decay)
{
    if (r <= 0) {
        x += v * dt + 0.5 * a * dt * dt;
        v += a * dt;
        return;
    }
    const double terminal = w + a / r;
    x += terminal * dt + (v - terminal) * (1 - decay) / r;
    v = terminal + (v - terminal) * decay;
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
    particle.nextKick = values.rndmDirPeriod;
    particle.values = std::move(values);
    return particle;
}

void advance(Particle &particle, double dt, const Vec3 &wind, sqf::Random &random)
{
    const ParticleValues &values = particle.values;
    const double r = values.rubbing;
    const double fromHeight = particle.position.z;
    const double decay = r <= 0 ? 1 : std::exp(-r * dt);
    moveAxis(particle.position.x, particle.velocity.x, 0, r, wind.x, dt, decay);
    moveAxis(particle.position.y, particle.velocity.y, 0, r, wind.y, dt, decay);
    moveAxis(particle.position.z, particle.velocity.z, rise(values.weight, values.volume), r, 0, dt, decay);
    if (values.bounce >= 0 && fromHeight >= 0 && particle.position.z < 0) {
        particle.position.z *= -values.bounce;
        particle.velocity.z = std::abs(particle.velocity.z) * values.bounce;
    }
    particle.age += dt;
    if (values.rndmDirPeriod > 0 && values.rndmDirIntensity != 0 && particle.age + 1e-9 >= particle.nextKick
        && particle.age < values.lifeTime) {
        const Vec3 kick = randomDirection(values.rndmDirIntensity, random);
        particle.velocity.x += kick.x;
        particle.velocity.y += kick.y;
        particle.velocity.z += kick.z;
        // At most one kick per step: a period shorter than the step is previewed as the step.
        particle.nextKick = std::max(particle.nextKick + values.rndmDirPeriod, particle.age + dt * 0.5);
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

Vec3 randomDirection(double length, sqf::Random &random)
{
    const double z = 2 * uniform(random) - 1;
    const double angle = 2 * std::numbers::pi * uniform(random);
    const double ring = std::sqrt(std::max(0.0, 1 - z * z));
    return {length * ring * std::cos(angle), length * ring * std::sin(angle), length * z};
}

} // namespace effect
