// What one frame of the particle preview costs: the step of all live particles and the painting
// of both views, each into a 400 × 600 image of its own on one thread or on two at the same time
// (the discs of each view on a thread, then the layers' bands on both as they come free), then
// both drawn into an 800 × 600 image as the window draws them, for a smoke column of 500,
// 10 000 and 18 000 particles (the later games' limit), and for four columns of 4 500 each, the
// layers of one effect; a frame at four times the speed, eight
// steps and the painting; and the step alone per particle. The frame stays as it is, as it does
// while the preview plays, so the views keep their backgrounds; with keptBackground:0 they paint
// them every frame too, as while the window is resized. Then a particle source at its steady
// state, where every step also gives birth to the particles due in it; last, a seek to 30 s into
// such a source, replayed from its start.
#include "drop/dropstring.h"
#include "effect/simulation.h"
#include "preview/painting.h"
#include "preview/paintpool.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <vector>

namespace {

constexpr QSize kImage(800, 600);
constexpr double kHalfWidth = 400; // each view takes half of the image
constexpr QSize kView(int(kHalfWidth), kImage.height());

// Where a column stands: the columns on a square grid 3 m apart, centred on the anchor, so that
// four of them fit the views at the scale of one and each disc is as large on the screen.
effect::Vec3 columnOffset(int layer, int layers)
{
    const int side = int(std::ceil(std::sqrt(double(layers))));
    const int rows = (layers + side - 1) / side;
    const int row = layer / side;
    return {3.0 * (layer % side - (side - 1) / 2.0), 3.0 * (row - (rows - 1) / 2.0), 0};
}

// A column of smoke as a preview shows it some seconds after its start: particles of every age
// from 0 to 20 seconds in a life of 40, risen up to 15 m, 1 to 3 m across, from grey toward
// clear, slowing in the air and kicked now and then. Nothing dies or is emitted while it is
// measured. With several layers, one column for each (see columnOffset), their particles
// in the one list in turn, as the layers of an effect emit them.
effect::Simulation smokeColumns(int count, int layers)
{
    effect::Simulation simulation(7);
    simulation.setLayers(std::vector<effect::LayerRecipe>(std::size_t(layers)));
    sqf::Random random(11);
    std::uniform_real_distribution<double> spread(-0.5, 0.5);
    for (int i = 0; i < count; ++i) {
        effect::ParticleValues values;
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
        const int layer = i % layers;
        const effect::Vec3 offset = columnOffset(layer, layers);
        values.position.x += offset.x;
        values.position.y += offset.y;
        effect::Particle particle = effect::newParticle(values);
        particle.age = 20 * (1 - fraction);
        particle.layer = layer;
        simulation.addParticle(particle);
    }
    return simulation;
}

effect::Simulation smokeColumn(int count)
{
    return smokeColumns(count, 1);
}

// The frame both views use, fitted to the columns as the preview fits them at their start.
preview::Frame frameFor(preview::Plane plane, int layers = 1)
{
    effect::Bounds bounds{{-3, -3, 0}, {3, 3, 17}};
    for (int layer = 0; layer < layers; ++layer) {
        const effect::Vec3 at = columnOffset(layer, layers);
        bounds.low = {std::min(bounds.low.x, at.x - 3), std::min(bounds.low.y, at.y - 3), 0};
        bounds.high = {std::max(bounds.high.x, at.x + 3), std::max(bounds.high.y, at.y + 3), 17};
    }
    const QSizeF view(kHalfWidth, kImage.height());
    return preview::fitFrame(bounds, plane, preview::fitScale(bounds, view, view));
}

// The fastest repetition, beside the mean and the median: on a shared machine the others are slowed
// by whatever else runs.
double fastest(const std::vector<double> &times)
{
    return times.empty() ? 0 : *std::min_element(times.cbegin(), times.cend());
}

// The preview window's two views and its image, painting the particles of a simulation in the
// given frames: both views at the same time on the pool, then both drawn into the window's image.
class Window {
public:
    Window(const effect::Simulation &simulation, int threads, const preview::Frame &side, const preview::Frame &top)
        : m_pool(threads)
        , m_views{{{&m_side, kView, 1, m_font, side, preview::Plane::Side, &simulation.particles()},
                   {&m_top, kView, 1, m_font, top, preview::Plane::Top, &simulation.particles()}}}
    {}

    void paintFrame(bool keptBackground)
    {
        if (!keptBackground) {
            m_side.kept.reset();
            m_top.kept.reset();
        }
        preview::paintViewImages(m_views, m_pool);
        QPainter painter(&m_image);
        painter.drawImage(QPointF(0, 0), m_side.image);
        painter.drawImage(QPointF(kHalfWidth, 0), m_top.image);
        painter.end();
        benchmark::DoNotOptimize(m_image.constBits());
    }
    int threadCount() const { return m_pool.threadCount(); }

private:
    preview::PaintPool m_pool;
    QFont m_font = QGuiApplication::font();
    QImage m_image{kImage, QImage::Format_RGB32};
    preview::ViewImage m_side;
    preview::ViewImage m_top;
    std::array<preview::ViewToPaint, 2> m_views;
};

// One frame as the window plays it: `steps` steps of the simulation, both views painted, and both
// drawn into the window's image.
void playFrames(benchmark::State &state, int particles, int threads, bool keptBackground, int steps, int layers = 1)
{
    effect::Simulation simulation = smokeColumns(particles, layers);
    Window window(simulation, threads, frameFor(preview::Plane::Side, layers), frameFor(preview::Plane::Top, layers));
    int stepped = 0;
    for (auto _ : state) {
        // Ten simulated seconds on (1200 is a multiple of every `steps`), the column is built anew
        // before its oldest particles die.
        if ((stepped += steps) % 1200 == 0) {
            state.PauseTiming();
            simulation = smokeColumns(particles, layers);
            state.ResumeTiming();
        }
        for (int s = 0; s < steps; ++s)
            simulation.step();
        window.paintFrame(keptBackground);
    }
    state.counters["particles"] = double(simulation.particles().size());
    state.counters["threads"] = double(window.threadCount());
    state.counters["layers"] = double(simulation.layers().size());
}

void BM_Frame(benchmark::State &state)
{
    playFrames(state, int(state.range(0)), int(state.range(1)), state.range(2) != 0, 1);
}
BENCHMARK(BM_Frame)
    ->ArgNames({"particles", "threads", "keptBackground"})
    ->ArgsProduct({{500, 10000, 18000}, {1, 2}, {1, 0}})
    ->ComputeStatistics("min", fastest)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// An effect of several layers, all their particles in one list, costs a frame as one layer of as
// many particles does.
void BM_FrameLayers(benchmark::State &state)
{
    playFrames(state, int(state.range(1)), int(state.range(2)), true, 1, int(state.range(0)));
}
BENCHMARK(BM_FrameLayers)
    ->ArgNames({"layers", "particles", "threads"})
    ->ArgsProduct({{1, 4}, {18000}, {1, 2}})
    ->ComputeStatistics("min", fastest)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// At four times the speed the window runs about eight steps of 1/120 s for each frame of 1/60 s.
void BM_FrameAtFourTimesTheSpeed(benchmark::State &state)
{
    playFrames(state, int(state.range(0)), int(state.range(1)), true, 8);
}
BENCHMARK(BM_FrameAtFourTimesTheSpeed)
    ->ArgNames({"particles", "threads"})
    ->ArgsProduct({{18000}, {1, 2}})
    ->ComputeStatistics("min", fastest)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

void BM_StepPerParticle(benchmark::State &state)
{
    effect::Simulation simulation = smokeColumn(int(state.range(0)));
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
BENCHMARK(BM_StepPerParticle)->Arg(500)->Arg(10000)->Arg(18000)->Unit(benchmark::kMicrosecond);

// A particle source as the later games' rain, fog and dust sources run: one particle every 0.001 s
// living 15 s, spread by setParticleRandom and born on a circle of 5 m, read from the fields and the
// source's settings as the preview reads them. Measured once it holds its steady state of about
// 15 000 live particles, so that each frame's step has its births (about 8) and deaths too.
effect::Simulation steadySource(const char *lifeTime = "15")
{
    QStringList texts = drop::startTexts();
    const auto set = [&texts](int number, const char *text) { texts[number - 1] = QString::fromLatin1(text); };
    set(1, "cl_basic");
    set(3, "Billboard");
    set(5, lifeTime);
    set(11, "0.5");
    set(13, "1.2");
    set(14, "1");
    set(15, "0.3");
    set(16, "1");
    set(17, "3");
    set(18, "5");
    set(19, "[0.5,0.5,0.5,0.8],[0.6,0.6,0.6,0.4],[0.7,0.7,0.7,0]");
    set(23, "0.5");
    set(24, "0.2");
    effect::SourceSettings source;
    source.random.set = true;
    source.random.texts = {"2", "0.3", "0.3", "0.3", "0.2", "0.2",  "0.1", "0", "0.3",
                           "0", "0",   "0",   "0.1", "0.1", "0.05", "0",   "0"};
    source.circle.set = true;
    source.circle.texts = {"5", "0", "0", "0.1"};
    source.interval = {true, "0.001"};
    effect::Simulation simulation(7);
    simulation.setRecipe(effect::readRecipe(texts, source));
    simulation.advance(20);
    return simulation;
}

void BM_SourceAtSteadyState(benchmark::State &state)
{
    effect::Simulation simulation = steadySource();
    const effect::Bounds bounds = effect::pathBounds(simulation.recipe(), {}, {}, 7);
    const QSizeF half(kHalfWidth, kImage.height());
    const double scale = preview::fitScale(bounds, half, half);
    Window window(simulation, int(state.range(0)), preview::fitFrame(bounds, preview::Plane::Side, scale),
                  preview::fitFrame(bounds, preview::Plane::Top, scale));
    for (auto _ : state) {
        simulation.step();
        window.paintFrame(true);
    }
    state.counters["particles"] = double(simulation.particles().size());
    state.counters["threads"] = double(window.threadCount());
}
BENCHMARK(BM_SourceAtSteadyState)
    ->ArgNames({"threads"})
    ->Arg(1)
    ->Arg(2)
    ->ComputeStatistics("min", fastest)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// A seek: the moment a number of seconds after the start of the source above living 18 s, which
// holds the later games' 18 000 live particles from then on, replayed from the start as seeking
// does.
void BM_Seek(benchmark::State &state)
{
    effect::Simulation simulation = steadySource("18");
    for (auto _ : state) {
        simulation.seek(double(state.range(0)));
        benchmark::DoNotOptimize(simulation.particles().data());
    }
    state.counters["particles"] = double(simulation.particles().size());
}
BENCHMARK(BM_Seek)->ArgNames({"seconds"})->Arg(30)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", fastest);

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
