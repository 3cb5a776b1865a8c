// What one frame of the particle preview costs: the step of all live particles and the painting
// of both views into an 800 × 600 image, for a smoke column of 500 and of 10 000 particles, and
// the step alone per particle.
#include "preview/painting.h"
#include "preview/simulation.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <random>

namespace {

constexpr QSize kImage(800, 600);
constexpr double kHalfWidth = 400; // each view takes half of the image

// A column of smoke as a preview shows it some seconds after its start: particles of every age
// from 0 to 20 seconds in a life of 40, risen up to 15 m, 1 to 3 m across, from grey toward
// clear, slowing in the air and kicked now and then. Nothing dies or is emitted while it is
// measured.
preview::Simulation smokeColumn(int count)
{
    preview::Simulation simulation(7);
    sqf::Random random(11);
    std::uniform_real_distribution<double> spread(-0.5, 0.5);
    for (int i = 0; i < count; ++i) {
        preview::ParticleValues values;
        values.lifeTime = 40;
        values.weight = 1.2;
        values.volume = 1;
        values.rubbing = 0.3;
        values.size = {1, 3, 5};
        values.colours = {{0.5, 0.5, 0.5, 0.8}, {0.6, 0.6, 0.6, 0.4}, {0.7, 0.7, 0.7, 0}};
        values.rndmDirPeriod = 0.5;
        values.rndmDirIntensity = 0.2;
        const double fraction = double(i) / count;
        values.position = {spread(random), spread(random), 15 * fraction};
        values.velocity = {0.6 * spread(random), 0.6 * spread(random), 0.5};
        preview::Particle particle = preview::newParticle(values);
        particle.age = 20 * (1 - fraction);
        particle.nextKick = particle.age + values.rndmDirPeriod * fraction;
        simulation.addParticle(particle);
    }
    return simulation;
}

// The frame both views use, fitted to the column as the preview fits it at its start.
preview::Frame frameFor(preview::Plane plane)
{
    const preview::Bounds bounds{{-3, -3, 0}, {3, 3, 17}};
    const QSizeF view(kHalfWidth, kImage.height());
    return preview::fitFrame(bounds, plane, preview::fitScale(bounds, view, view));
}

void BM_Frame(benchmark::State &state)
{
    preview::Simulation simulation = smokeColumn(int(state.range(0)));
    const preview::Frame side = frameFor(preview::Plane::Side);
    const preview::Frame top = frameFor(preview::Plane::Top);
    QImage image(kImage, QImage::Format_ARGB32_Premultiplied);
    QImage sideLayer;
    QImage topLayer;
    int steps = 0;
    const QRectF left(0, 0, kHalfWidth, kImage.height());
    const QRectF right(kHalfWidth, 0, kHalfWidth, kImage.height());
    for (auto _ : state) {
        // Ten simulated seconds on, the column is built anew before its oldest particles die.
        if (++steps % 1200 == 0) {
            state.PauseTiming();
            simulation = smokeColumn(int(state.range(0)));
            state.ResumeTiming();
        }
        simulation.step();
        QPainter painter(&image);
        preview::paintView(painter, left, side, preview::Plane::Side, simulation.particles(), sideLayer);
        preview::paintView(painter, right, top, preview::Plane::Top, simulation.particles(), topLayer);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["particles"] = double(simulation.particles().size());
}
BENCHMARK(BM_Frame)->Arg(500)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_StepPerParticle(benchmark::State &state)
{
    preview::Simulation simulation = smokeColumn(int(state.range(0)));
    int steps = 0;
    for (auto _ : state) {
        if (++steps % 1200 == 0) {
            state.PauseTiming();
            simulation = smokeColumn(int(state.range(0)));
            state.ResumeTiming();
        }
        simulation.step();
    }
    // Seconds per particle and step, printed in the benchmark's time unit.
    state.counters["perParticle"] = benchmark::Counter(
        double(state.range(0)), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_StepPerParticle)->Arg(500)->Arg(10000)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    // The painting needs fonts for the grid labels; the offscreen platform needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
