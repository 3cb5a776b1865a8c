#include "effect/effectlibrary.h"
#include "effect/frames.h"
#include "effect/layers.h"
#include "effect/particles.h"
#include "effect/recipe.h"
#include "effect/simulation.h"
#include "preview/painting.h"
#include "preview/paintpool.h"
#include "preview/timeline.h"
#include "preview/windowfit.h"

#include <QImage>
#include <QPainter>
#include <QTest>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <functional>
#include <iterator>
#include <map>
#include <random>
#include <stdexcept>
#include <thread>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <cpuid.h>
#endif

using namespace effect;
using namespace preview;

Q_DECLARE_METATYPE(effect::SourceSettings)

namespace {

// The main window's start texts with the given fields (by number) replaced.
QStringList fields(std::initializer_list<std::pair<int, QString>> changed)
{
    QStringList texts{"",  "",  "",  "0", "0",  "0", "0", "0", "0", "0", "0", "0", "0", "0",
                      "0", "0", "0", "0", "[]", "0", "0", "0", "0", "0", "",  "",  ""};
    for (const auto &[number, text] : changed)
        texts[number - 1] = text;
    return texts;
}

// Source settings that emit at the given interval, with the given changes.
SourceSettings emitting(const QString &interval, const std::function<void(SourceSettings &)> &change = {})
{
    SourceSettings source;
    source.interval.text = interval;
    if (change)
        change(source);
    return source;
}

// A layer of particles that stay where they are born and live long, emitting at the interval from
// the offset and times given as their texts.
Layer floatingLayer(const QString &interval, const std::array<QString, 3> &offset = {"0", "0", "0"},
                    const QString &start = "0", const QString &end = {})
{
    Layer layer;
    layer.fields.texts = fields({{5, "1000"}, {13, "1.275"}, {14, "1"}});
    layer.fields.source = emitting(interval);
    layer.offset = offset;
    layer.start = start;
    layer.end = end;
    return layer;
}

// The same, pushed about and spread at random: particles that show whose draws they take.
Layer kickedLayer(const QString &interval, const std::array<QString, 3> &offset = {"0", "0", "0"},
                  const QString &start = "0", const QString &end = {})
{
    Layer layer = floatingLayer(interval, offset, start, end);
    layer.fields.texts = fields({{5, "1000"},
                                 {6, "random 2"},
                                 {9, "random 2 - 1"},
                                 {11, "2"},
                                 {13, "1"},
                                 {14, "1"},
                                 {15, "0.3"},
                                 {23, "0.2"},
                                 {24, "0.5"}});
    return layer;
}

// A particle that floats (buoyancy equals weight) unless the test says otherwise.
ParticleValues floating()
{
    ParticleValues values;
    values.lifeTime = 1000;
    values.weight = 1.275;
    values.volume = 1;
    return values;
}

// Follows a particle for the given time in the preview's fixed steps.
Particle follow(ParticleValues values, double seconds, Vec3 wind = {}, std::uint32_t seed = 1)
{
    sqf::Random random(seed);
    Particle particle = newParticle(std::move(values));
    const int steps = int(std::lround(seconds / kStep));
    for (int i = 0; i < steps; ++i)
        advance(particle, kStep, wind, random);
    return particle;
}

// setParticleRandom of the given element count with the given values; the others 0.
SourceSettings randomness(int elements, std::initializer_list<std::pair<int, QString>> values)
{
    return emitting("0.05", [&](SourceSettings &source) {
        source.random.set = true;
        source.random.elements = elements;
        for (const auto &[value, text] : values)
            source.random.texts[std::size_t(value)] = text;
    });
}

// The value of a particle that a setParticleRandom value moves; Size and Color by their first key.
double drawnValue(const ParticleValues &values, int value)
{
    switch (value) {
    case SourceRandom::LifeTime:
        return values.lifeTime;
    case SourceRandom::PositionX:
        return values.position.x;
    case SourceRandom::PositionZ:
        return values.position.z;
    case SourceRandom::VelocityY:
        return values.velocity.y;
    case SourceRandom::Size:
        return values.size.front();
    case SourceRandom::ColorR:
        return values.colours.front().r;
    case SourceRandom::DirIntensity:
        return values.rndmDirIntensity;
    default:
        qFatal("not a value this test draws");
    }
}

// The ways of blending the discs, by their names in the rows.
const std::array<std::pair<BlendPath, const char *>, 3> kBlendPaths{
    {{BlendPath::Plain, "plain"}, {BlendPath::Sse2, "SSE2"}, {BlendPath::Avx2, "AVX2"}}};

// A row of a painting test for each way of blending, named by the path and then the row; the
// test's first column is the path.
template <typename... Values> void addPathRows(const char *name, const Values &...values)
{
    for (const auto &[path, pathName] : kBlendPaths) {
        QTestData &row = QTest::addRow("%s: %s", pathName, name);
        row << path;
        if constexpr (sizeof...(values) > 0)
            (row << ... << values);
    }
}

// Blends with the row's path while it lives, then with the fastest again.
class BlendingWith {
public:
    explicit BlendingWith(BlendPath path)
        : m_runs(setBlendPathForTests(path))
    {}
    ~BlendingWith() { setBlendPathForTests(blendPaths().back()); }
    BlendingWith(const BlendingWith &) = delete;
    BlendingWith &operator=(const BlendingWith &) = delete;
    // False where this program or processor does not have the path.
    bool runs() const { return m_runs; }

private:
    bool m_runs;
};

} // namespace

class TestPreview : public QObject {
    Q_OBJECT
private slots:
    void freeFall_data();
    void freeFall();
    void floatingKeepsItsVelocity_data();
    void floatingKeepsItsVelocity();
    void dragIsQuadraticTowardTheWind_data();
    void dragIsQuadraticTowardTheWind();
    void rubbingPullsTowardTheWind();
    void lighterThanAirRises();
    void sizeAndColourOverTheLife_data();
    void sizeAndColourOverTheLife();
    void colourComponentsAreClamped();
    void randomKickComesByItsChance_data();
    void randomKickComesByItsChance();
    void oneParticlePerInterval();
    void resultDoesNotDependOnTheFrames();
    void sameSeedSameParticles();
    void limitStopsTheEmission();
    void editedRecipeChangesOnlyNewParticles();
    void layersEmitFromTheirOffsetsAtTheirTimes_data();
    void layersEmitFromTheirOffsetsAtTheirTimes();
    void mutedLayerVanishesAndComesBack();
    void layerLimitHoldsForAllLayers_data();
    void layerLimitHoldsForAllLayers();
    void layersDoNotDependOnTheFrames_data();
    void seekReachesTheMomentPlayingDoes_data();
    void seekReachesTheMomentPlayingDoes();
    void effectEndsAfterItsLongestLife_data();
    void effectEndsAfterItsLongestLife();
    void timeLineRange_data();
    void timeLineRange();
    void typedTimes_data();
    void typedTimes();
    void sheetFramesFollowTheModel_data();
    void sheetFramesFollowTheModel();
    void oldGameFramesFollowThePhase_data();
    void oldGameFramesFollowThePhase();
    void standardShapesByName_data();
    void standardShapesByName();
    void universalCellsHoldTheirLooks_data();
    void universalCellsHoldTheirLooks();
    void layersDoNotDependOnTheFrames();
    void lightIsReadByTheModel_data();
    void lightIsReadByTheModel();
    void lightPlaysFromItsStartToItsEnd_data();
    void lightPlaysFromItsStartToItsEnd();
    void flickerStaysWithinItsBoundsAndReplays();
    void glowIsDrawnWithinItsRadiusByNight();
    void layerTextsThatCannotBePlayed_data();
    void layerTextsThatCannotBePlayed();
    void fieldsThatCannotBePreviewed_data();
    void fieldsThatCannotBePreviewed();
    void variablesAreCollectedOnce();
    void colourListReadsWithOrWithoutOuterBrackets_data();
    void colourListReadsWithOrWithoutOuterBrackets();
    void randomSpreadsTheParticles();
    void sourceSpreadStaysWithinTheValue_data();
    void sourceSpreadStaysWithinTheValue();
    void circleBirthsLieOnTheRing();
    void intervalGivesTheBirths_data();
    void intervalGivesTheBirths();
    void intervalSetAfterZeroStartsWithoutABurst();
    void sourceValuesThatCannotBePreviewed_data();
    void sourceValuesThatCannotBePreviewed();
    void bounceFromTheObjectField_data();
    void bounceFromTheObjectField();
    void bounceKeepsParticlesAboveTheGround();
    void pathBoundsHoldTheSpreadAndTheRing();
    void notesListWhatIsLeftOut();
    void sizesAreEvenlySpacedPoints_data();
    void sizesAreEvenlySpacedPoints();
    void shapeArrayAndLaterParametersAreNamed();
    void fieldTextsAreQuotedOnce_data();
    void fieldTextsAreQuotedOnce();
    void gridLabelsAreCompact_data();
    void gridLabelsAreCompact();
    void gridStepCutsIntoFiveToFifteen_data();
    void gridStepCutsIntoFiveToFifteen();
    void pathBoundsHoldTheWholeLife();
    void pathBoundsCoverEveryLayer_data();
    void pathBoundsCoverEveryLayer();
    void softDiscFadesOutToItsRadius_data();
    void softDiscFadesOutToItsRadius();
    void laterDiscCoversEarlierOne_data();
    void laterDiscCoversEarlierOne();
    void layerIsCoarserForLargeDiscs_data();
    void layerIsCoarserForLargeDiscs();
    void discOverAnyBackgroundIsSourceOver_data();
    void discOverAnyBackgroundIsSourceOver();
    void discFollowsItsProfileToEveryPixel_data();
    void discFollowsItsProfileToEveryPixel();
    void largeDiscHasNoSeams_data();
    void largeDiscHasNoSeams();
    void repaintedViewIsTheFreshPicture_data();
    void repaintedViewIsTheFreshPicture();
    void everyPathBlendsThePlainPixels_data();
    void everyPathBlendsThePlainPixels();
    void fastestPathIsTaken();
    void viewsPaintedTogetherAreEachPaintedAlone_data();
    void viewsPaintedTogetherAreEachPaintedAlone();
    void poolRunsEveryJobOnce_data();
    void poolRunsEveryJobOnce();
    void poolOfOneThreadRunsOnTheCaller();
    void poolPassesOnAFailureAfterTheOtherJobs();
    void windowFitsTheScreen_data();
    void windowFitsTheScreen();
};

void TestPreview::freeFall_data()
{
    QTest::addColumn<double>("seconds");
    QTest::addColumn<double>("vz");
    QTest::newRow("half a second") << 0.5 << 0.0;
    QTest::newRow("thrown up, one second") << 1.0 << 5.0;
    QTest::newRow("thrown up, past the top") << 2.5 << 5.0;
    QTest::newRow("thrown down") << 1.5 << -3.0;
}

void TestPreview::freeFall()
{
    QFETCH(double, seconds);
    QFETCH(double, vz);
    ParticleValues values = floating();
    values.volume = 0;
    values.weight = 2;
    values.position = {1, 2, 10};
    values.velocity = {0.5, -1, vz};
    const Particle p = follow(values, seconds);
    // The position moves with the velocity after each step: t (t + step) / 2 in place of t² / 2.
    QCOMPARE_LE(std::abs(p.position.z - (10 + vz * seconds - 4.905 * seconds * (seconds + kStep))), 1e-9);
    QCOMPARE_LE(std::abs(p.velocity.z - (vz - 9.81 * seconds)), 1e-9);
    QCOMPARE_LE(std::abs(p.position.x - (1 + 0.5 * seconds)), 1e-9);
    QCOMPARE_LE(std::abs(p.position.y - (2 - seconds)), 1e-9);
}

void TestPreview::floatingKeepsItsVelocity_data()
{
    QTest::addColumn<double>("volume");
    QTest::newRow("one cubic metre") << 1.0;
    QTest::newRow("two cubic metres") << 2.0;
    QTest::newRow("a litre") << 0.001;
}

void TestPreview::floatingKeepsItsVelocity()
{
    QFETCH(double, volume);
    ParticleValues values = floating();
    values.volume = volume;
    values.weight = 1.275 * volume;
    values.velocity = {1, 2, 3};
    const Particle p = follow(values, 4);
    QCOMPARE_LE(std::abs(p.velocity.x - 1) + std::abs(p.velocity.y - 2) + std::abs(p.velocity.z - 3), 1e-9);
    QCOMPARE_LE(std::abs(p.position.z - 12), 1e-9);
}

void TestPreview::dragIsQuadraticTowardTheWind_data()
{
    // A particle of neutral weight (1.275 × Volume) moved along x, the wind along x. Over a step
    // the velocity changes by step · Rubbing · |w - v| (w - v) / (Weight + 1); over longer times
    // the worked values are the solutions without steps, 1/c ln(1 + c v0 t) thrown into still air
    // and w t - 1/c ln(1 + c w t) blown from rest, with c = Rubbing / (Weight + 1), which the steps
    // of 1/120 s meet to a centimetre a metre.
    QTest::addColumn<double>("speed");
    QTest::addColumn<double>("wind");
    QTest::addColumn<double>("rubbing");
    QTest::addColumn<double>("weight");
    QTest::addColumn<double>("seconds");
    QTest::addColumn<double>("distance");
    QTest::addColumn<double>("velocity");
    QTest::addColumn<double>("tolerance"); // of the distance in metres; the velocity's is a fifth
    const double c = 1 / 2.275;
    const double v1 = 10 - kStep * c * 100;
    QTest::newRow("still air, one step") << 10.0 << 0.0 << 1.0 << 1.275 << kStep << v1 * kStep << v1 << 1e-12;
    // 7.1 m, where a pull in proportion to the speed would have taken it 9.9 m.
    QTest::newRow("still air, 5 s") << 10.0 << 0.0 << 1.0 << 1.275 << 5.0 << std::log(1 + c * 50) / c
                                    << 10 / (1 + c * 50) << 0.12;
    const double c5 = 0.1 / 6;
    QTest::newRow("still air, heavy, 5 s")
        << 10.0 << 0.0 << 0.1 << 5.0 << 5.0 << std::log(1 + c5 * 50) / c5 << 10 / (1 + c5 * 50) << 0.05;
    const double w1 = kStep * c * 25;
    QTest::newRow("blown from rest, one step") << 0.0 << 5.0 << 1.0 << 1.275 << kStep << w1 * kStep << w1 << 1e-12;
    QTest::newRow("blown from rest, 2 s")
        << 0.0 << 5.0 << 1.0 << 1.275 << 2.0 << 10 - std::log(1 + c * 10) / c << 5 - 5 / (1 + c * 10) << 0.06;
    QTest::newRow("against the wind, 1 s")
        << 2.0 << -2.0 << 0.5 << 1.275 << 1.0 << -2 + std::log(1 + 0.5 / 2.275 * 4) / (0.5 / 2.275)
        << -2 + 4 / (1 + 0.5 / 2.275 * 4) << 0.05;
    QTest::newRow("no rubbing: the wind does nothing") << 1.0 << 5.0 << 0.0 << 1.275 << 3.0 << 3.0 << 1.0 << 1e-9;
}

void TestPreview::dragIsQuadraticTowardTheWind()
{
    QFETCH(double, speed);
    QFETCH(double, wind);
    QFETCH(double, rubbing);
    QFETCH(double, weight);
    QFETCH(double, seconds);
    QFETCH(double, distance);
    QFETCH(double, velocity);
    QFETCH(double, tolerance);
    ParticleValues values = floating();
    values.weight = weight;
    values.volume = weight / 1.275;
    values.rubbing = rubbing;
    values.velocity = {speed, 0, 0};
    const Particle p = follow(values, seconds, {wind, 0, 0});
    QCOMPARE_LE(std::abs(p.position.x - distance), tolerance);
    QCOMPARE_LE(std::abs(p.velocity.x - velocity), tolerance / 5);
    QCOMPARE_LE(std::abs(p.position.z) + std::abs(p.velocity.z) + std::abs(p.position.y), 1e-9);
}

void TestPreview::rubbingPullsTowardTheWind()
{
    // Every axis of the velocity goes toward the wind's, the height's toward 0.
    ParticleValues values = floating();
    values.rubbing = 0.8;
    values.velocity = {0, 0, 1};
    const Particle p = follow(values, 30, {3, -2, 0});
    QCOMPARE_LE(std::abs(p.velocity.x - 3), 0.1);
    QCOMPARE_LE(std::abs(p.velocity.y + 2), 0.1);
    QCOMPARE_LE(std::abs(p.velocity.z), 0.1);
    // A drag that one step would carry past the wind stops at the wind.
    values.rubbing = 1000;
    values.weight = values.volume = 0.001;
    values.velocity = {200, 0, 0};
    const Particle stopped = follow(values, 1, {3, -2, 0});
    QCOMPARE_LE(std::abs(stopped.velocity.x - 3) + std::abs(stopped.velocity.y + 2), 1e-9);
}

void TestPreview::lighterThanAirRises()
{
    QCOMPARE(rise(1.275, 1), 0.0);
    QVERIFY(rise(1, 1) > 0);
    QVERIFY(rise(2, 1) < 0);
    QCOMPARE(rise(1, 0), -9.81);
    // Rising against the drag settles at the speed where both balance: the lift a equals
    // Rubbing v² / (Weight + 1).
    ParticleValues values = floating();
    values.weight = 1;
    values.rubbing = 0.5;
    const Particle p = follow(values, 60);
    QCOMPARE_LE(std::abs(p.velocity.z - std::sqrt(rise(1, 1) * 2 / 0.5)), 1e-6);
}

void TestPreview::sizeAndColourOverTheLife_data()
{
    QTest::addColumn<double>("part");
    QTest::addColumn<double>("size");
    QTest::addColumn<double>("red");
    QTest::addColumn<double>("alpha");
    // Sizes 1, 3, 9; colours [0,..,1], [1,..,0.5], [0.5,..,0] at 0, 1/2 and 1 of a life of 4 s.
    QTest::newRow("start") << 0.0 << 1.0 << 0.0 << 1.0;
    QTest::newRow("quarter") << 0.25 << 2.0 << 0.5 << 0.75;
    QTest::newRow("middle") << 0.5 << 3.0 << 1.0 << 0.5;
    QTest::newRow("three quarters") << 0.75 << 6.0 << 0.75 << 0.25;
    QTest::newRow("end") << 1.0 << 9.0 << 0.5 << 0.0;
    QTest::newRow("past the end") << 1.5 << 9.0 << 0.5 << 0.0;
}

void TestPreview::sizeAndColourOverTheLife()
{
    QFETCH(double, part);
    QFETCH(double, size);
    QFETCH(double, red);
    QFETCH(double, alpha);
    ParticleValues values = floating();
    values.lifeTime = 4;
    values.size = {1, 3, 9};
    values.colours = {{0, 0, 0, 1}, {1, 1, 1, 0.5}, {0.5, 0.5, 0.5, 0}};
    QCOMPARE_LE(std::abs(sizeAt(values, part * 4) - size), 1e-12);
    const Rgba colour = colourAt(values, part * 4);
    QCOMPARE_LE(std::abs(colour.r - red), 1e-12);
    QCOMPARE_LE(std::abs(colour.a - alpha), 1e-12);
}

void TestPreview::colourComponentsAreClamped()
{
    ParticleValues values = floating();
    values.colours = {{2, -1, 0.5, 1.5}};
    QCOMPARE(colourAt(values, 0), (Rgba{1, 0, 0.5, 1}));
    values.colours.clear();
    QCOMPARE(colourAt(values, 0), (Rgba{1, 1, 1, 1}));
}

void TestPreview::randomKickComesByItsChance_data()
{
    QTest::addColumn<double>("period");
    QTest::addColumn<double>("intensity");
    QTest::newRow("every 0.5 s, 2 m/s") << 0.5 << 2.0;
    QTest::newRow("every 0.05 s, 0.3 m/s") << 0.05 << 0.3;
    QTest::newRow("every 10 s, 1 m/s") << 10.0 << 1.0;
    QTest::newRow("shorter than the step: every step") << 0.001 << 1.0;
    QTest::newRow("a negative intensity is the same range") << 0.5 << -2.0;
}

void TestPreview::randomKickComesByItsChance()
{
    QFETCH(double, period);
    QFETCH(double, intensity);
    ParticleValues values = floating();
    values.lifeTime = 1e6;
    values.rndmDirPeriod = period;
    values.rndmDirIntensity = intensity;
    sqf::Random random(3);
    Particle particle = newParticle(values);
    const int steps = 60000;
    int kicks = 0;
    std::array<double, 3> low{}, high{}, sumOfSize{};
    double shortest = 10 * std::abs(intensity);
    double longest = 0;
    for (int i = 0; i < steps; ++i) {
        const Vec3 before = particle.velocity;
        advance(particle, kStep, {}, random);
        const std::array<double, 3> kick{particle.velocity.x - before.x, particle.velocity.y - before.y,
                                         particle.velocity.z - before.z};
        if (kick == std::array<double, 3>{})
            continue;
        ++kicks;
        for (std::size_t axis = 0; axis < 3; ++axis) {
            low[axis] = std::min(low[axis], kick[axis]);
            high[axis] = std::max(high[axis], kick[axis]);
            sumOfSize[axis] += std::abs(kick[axis]);
        }
        const double size = std::sqrt(kick[0] * kick[0] + kick[1] * kick[1] + kick[2] * kick[2]);
        shortest = std::min(shortest, size);
        longest = std::max(longest, size);
    }
    // On average once a period, at most once a step: within four standard deviations.
    const double chance = std::min(1.0, kStep / period);
    const double expected = steps * chance;
    QCOMPARE_LE(std::abs(kicks - expected), 4 * std::sqrt(expected * (1 - chance)) + 1e-9);
    // Each axis, the height's too, on its own draw in ±intensity: the range filled, the mean size
    // half of it, a kick's length anywhere up to the cube's corner.
    const double range = std::abs(intensity);
    for (std::size_t axis = 0; axis < 3; ++axis) {
        QCOMPARE_GE(low[axis], -range);
        QCOMPARE_LE(high[axis], range);
        if (kicks > 500) {
            QCOMPARE_LT(low[axis], -0.95 * range);
            QCOMPARE_GT(high[axis], 0.95 * range);
            QCOMPARE_LE(std::abs(sumOfSize[axis] / kicks - range / 2), 0.05 * range);
        }
    }
    if (kicks > 500) {
        QCOMPARE_LT(shortest, 0.3 * range);
        QCOMPARE_GT(longest, 1.4 * range);
    }
}

void TestPreview::oneParticlePerInterval()
{
    Simulation simulation;
    simulation.setRecipe(readRecipe(fields({{5, "10"}, {13, "1.275"}, {14, "1"}})));
    QVERIFY(simulation.emitting());
    simulation.advance(1.0 + kStep / 2);
    // Born at 0, 0.05, ..., 1.0.
    QCOMPARE(simulation.particles().size(), std::size_t(21));
    // A particle lives its life and is gone.
    Simulation shortLived;
    shortLived.setRecipe(readRecipe(fields({{5, "0.5"}, {13, "1.275"}, {14, "1"}}), emitting("1")));
    shortLived.advance(0.6);
    QCOMPARE(shortLived.particles().size(), std::size_t(0));
    shortLived.advance(0.45);
    QCOMPARE(shortLived.particles().size(), std::size_t(1));
}

void TestPreview::resultDoesNotDependOnTheFrames()
{
    const Recipe recipe = readRecipe(fields(
        {{5, "3"}, {9, "random 2 - 1"}, {11, "2"}, {13, "1"}, {14, "1"}, {15, "0.3"}, {23, "0.2"}, {24, "0.5"}}));
    Simulation once(5);
    Simulation frames(5);
    once.setRecipe(recipe);
    frames.setRecipe(recipe);
    once.advance(2);
    for (int i = 0; i < 120; ++i)
        frames.advance(1.0 / 60);
    QCOMPARE(frames.particles().size(), once.particles().size());
    for (std::size_t i = 0; i < once.particles().size(); ++i) {
        QCOMPARE_LE(std::abs(frames.particles()[i].position.x - once.particles()[i].position.x), 1e-9);
        QCOMPARE_LE(std::abs(frames.particles()[i].position.z - once.particles()[i].position.z), 1e-9);
    }
}

void TestPreview::sameSeedSameParticles()
{
    const Recipe recipe = readRecipe(fields({{5, "5"}, {6, "random 4"}, {13, "1"}, {14, "1"}}));
    Simulation first(9);
    Simulation second(9);
    first.setRecipe(recipe);
    second.setRecipe(recipe);
    first.advance(1);
    second.advance(1);
    QCOMPARE(first.particles().back().values.position.x, second.particles().back().values.position.x);
    // A restart begins the same draws again.
    const double x = first.particles().front().values.position.x;
    first.restart();
    QCOMPARE(first.particles().size(), std::size_t(0));
    first.advance(kStep);
    QCOMPARE(first.particles().front().values.position.x, x);
}

void TestPreview::limitStopsTheEmission()
{
    Simulation simulation;
    simulation.setRecipe(readRecipe(fields({{5, "1000"}, {13, "1.275"}, {14, "1"}}), emitting("0.0001")));
    simulation.advance(double(kMaxParticles + 10) * 0.0001);
    QCOMPARE(simulation.particles().size(), std::size_t(kMaxParticles));
    QVERIFY(simulation.atLimit());
}

void TestPreview::editedRecipeChangesOnlyNewParticles()
{
    Simulation simulation;
    simulation.setRecipe(readRecipe(fields({{5, "10"}, {11, "1"}, {13, "1.275"}, {14, "1"}})));
    simulation.advance(0.5);
    const std::size_t before = simulation.particles().size();
    simulation.setRecipe(readRecipe(fields({{5, "10"}, {11, "7"}, {13, "1.275"}, {14, "1"}})));
    simulation.advance(0.5);
    for (std::size_t i = 0; i < simulation.particles().size(); ++i)
        QCOMPARE(simulation.particles()[i].values.velocity.z, i < before ? 1.0 : 7.0);
    QVERIFY(simulation.particles().size() > before);
}

void TestPreview::layersEmitFromTheirOffsetsAtTheirTimes_data()
{
    QTest::addColumn<QStringList>("times"); // the second layer's start and end; the first's are 0 and none
    QTest::addColumn<double>("duration");
    QTest::addColumn<int>("firstBirths"); // over the first second, its ends included
    QTest::addColumn<int>("secondBirths");
    QTest::addColumn<double>("secondFrom"); // the time of the second layer's first birth
    QTest::newRow("both from the start") << QStringList{"0", ""} << 0.0 << 11 << 11 << 0.0;
    QTest::newRow("second from 0.25") << QStringList{"0.25", ""} << 0.0 << 11 << 8 << 0.25;
    QTest::newRow("second from 0.25 to 0.6") << QStringList{"0.25", "0.6"} << 0.0 << 11 << 4 << 0.25;
    QTest::newRow("an end on a birth is before it") << QStringList{"0.25", "0.55"} << 0.0 << 11 << 3 << 0.25;
    QTest::newRow("both ended by the duration") << QStringList{"0.25", ""} << 0.5 << 5 << 3 << 0.25;
    QTest::newRow("the duration before the end") << QStringList{"0", "0.8"} << 0.3 << 3 << 3 << 0.0;
    QTest::newRow("start from a variable") << QStringList{"_t", ""} << 0.0 << 11 << 6 << 0.5;
    QTest::newRow("end from a variable") << QStringList{"0", "_t"} << 0.0 << 11 << 5 << 0.0;
    QTest::newRow("starting after the second") << QStringList{"2", ""} << 0.0 << 11 << 0 << 2.0;
}

void TestPreview::layersEmitFromTheirOffsetsAtTheirTimes()
{
    QFETCH(QStringList, times);
    QFETCH(double, duration);
    QFETCH(int, firstBirths);
    QFETCH(int, secondBirths);
    QFETCH(double, secondFrom);
    const sqf::VariableValues variables{{"_t", 0.5}, {"_h", 3}};
    Simulation simulation;
    simulation.setDuration(duration);
    simulation.setLayers({readLayer(floatingLayer("0.1"), variables),
                          readLayer(floatingLayer("0.1", {"2", "-1", "_h"}, times[0], times[1]), variables)});
    QVERIFY(simulation.layerEmitting(1));
    simulation.advance(1.0 + kStep / 2);
    QCOMPARE(simulation.layerStatus(0).emissions, std::int64_t(firstBirths));
    QCOMPARE(simulation.layerStatus(1).emissions, std::int64_t(secondBirths));
    QCOMPARE(simulation.layerStatus(0).live, firstBirths);
    QCOMPARE(simulation.layerStatus(1).live, secondBirths);
    QCOMPARE(simulation.emissions(), std::int64_t(firstBirths + secondBirths));
    const std::vector<Particle> &particles = simulation.particles();
    QCOMPARE(particles.size(), std::size_t(firstBirths + secondBirths));
    for (std::size_t i = 0; i < particles.size(); ++i) {
        const Particle &particle = particles[i];
        const bool second = particle.layer == 1;
        QCOMPARE(particle.position.x, second ? 2.0 : 0.0);
        QCOMPARE(particle.position.y, second ? -1.0 : 0.0);
        QCOMPARE(particle.position.z, second ? 3.0 : 0.0);
        // Born on its layer's own times, oldest first across the layers.
        const double born = simulation.time() - particle.age;
        const double intervals = (born - (second ? secondFrom : 0)) / 0.1;
        QCOMPARE_LE(std::abs(intervals - std::round(intervals)), 1e-6);
        QCOMPARE_GE(intervals, -1e-6);
        if (i > 0)
            QCOMPARE_LE(particle.age, particles[i - 1].age + 1e-12);
    }
}

void TestPreview::mutedLayerVanishesAndComesBack()
{
    Simulation alone(3);
    alone.setLayers({readLayer(kickedLayer("0.05"), {})});
    Simulation both(3);
    std::vector<LayerRecipe> layers{readLayer(kickedLayer("0.05"), {}),
                                    readLayer(kickedLayer("0.05", {"5", "0", "0"}), {})};
    both.setLayers(layers);
    // The first layer's particles are those it has alone: no draw of the second's changes them.
    const auto firstLayerAsAlone = [&] {
        std::vector<Particle> first;
        std::copy_if(both.particles().cbegin(), both.particles().cend(), std::back_inserter(first),
                     [](const Particle &particle) { return particle.layer == 0; });
        return std::equal(first.cbegin(), first.cend(), alone.particles().cbegin(), alone.particles().cend(),
                          [](const Particle &a, const Particle &b) {
                              return a.values.position.x == b.values.position.x && a.position.x == b.position.x
                                     && a.position.z == b.position.z;
                          });
    };
    alone.advance(0.5 + kStep / 2);
    both.advance(0.5 + kStep / 2);
    QCOMPARE(both.layerStatus(1).live, 11);
    QVERIFY(firstLayerAsAlone());
    // Muted, its particles are gone at once and the other layer plays on as it would alone.
    layers[1].muted = true;
    both.setLayers(layers);
    QCOMPARE(both.layerStatus(1).live, 0);
    QCOMPARE(both.particles().size(), alone.particles().size());
    alone.advance(0.5);
    both.advance(0.5);
    QCOMPARE(both.layerStatus(1).emissions, std::int64_t(11));
    QVERIFY(!both.emissionOver());
    QVERIFY(firstLayerAsAlone());
    // Unmuted, it starts again at the next step without the births it missed.
    layers[1].muted = false;
    both.setLayers(layers);
    alone.advance(0.25 + kStep / 2);
    both.advance(0.25 + kStep / 2);
    QCOMPARE(both.layerStatus(1).emissions, std::int64_t(11 + 6));
    QCOMPARE(both.layerStatus(1).live, 6);
    QVERIFY(firstLayerAsAlone());
    // A layer given only by its class has nothing to play.
    Layer classOnly = kickedLayer("0.05");
    classOnly.classOnly = true;
    QVERIFY(readLayer(classOnly, {}).muted);
}

void TestPreview::layerLimitHoldsForAllLayers_data()
{
    QTest::addColumn<QList<double>>("intervals");
    QTest::addColumn<int>("muted"); // the layer muted, or -1
    QTest::addColumn<QList<int>>("live");
    QTest::addColumn<QList<bool>>("marked");
    const double fast = kShortestInterval;
    QTest::newRow("four at the shortest interval share it evenly")
        << QList<double>{fast, fast, fast, fast} << -1 << QList<int>{4500, 4500, 4500, 4500}
        << QList<bool>{true, true, true, true};
    QTest::newRow("a slow layer is not refused")
        << QList<double>{fast, fast, fast, 10.0} << -1 << QList<int>{6000, 6000, 5999, 1}
        << QList<bool>{true, true, true, false};
    QTest::newRow("a muted layer takes no share")
        << QList<double>{fast, fast, fast, fast} << 2 << QList<int>{6000, 6000, 0, 6000}
        << QList<bool>{true, true, false, true};
    QTest::newRow("one layer alone below it") << QList<double>{fast} << -1 << QList<int>{7001} << QList<bool>{false};
}

void TestPreview::layerLimitHoldsForAllLayers()
{
    QFETCH(QList<double>, intervals);
    QFETCH(int, muted);
    QFETCH(QList<int>, live);
    QFETCH(QList<bool>, marked);
    std::vector<LayerRecipe> layers;
    for (qsizetype i = 0; i < intervals.size(); ++i) {
        Layer layer = floatingLayer(QString::number(intervals[i]), {QString::number(i), "0", "0"});
        layer.muted = i == muted;
        layers.push_back(readLayer(layer, {}));
    }
    Simulation simulation;
    simulation.setLayers(layers);
    simulation.advance(0.7 + kStep / 2);
    int total = 0;
    for (qsizetype i = 0; i < intervals.size(); ++i) {
        QCOMPARE(simulation.layerStatus(std::size_t(i)).live, live[i]);
        QCOMPARE(simulation.layerStatus(std::size_t(i)).atLimit, marked[i]);
        total += live[i];
    }
    QCOMPARE(simulation.particles().size(), std::size_t(total));
    QCOMPARE_LE(total, kMaxParticles);
    QCOMPARE(simulation.atLimit(), marked.contains(true));
}

void TestPreview::layersDoNotDependOnTheFrames_data()
{
    QTest::addColumn<double>("frame");
    QTest::newRow("60 frames a second") << 1.0 / 60;
    QTest::newRow("144 frames a second") << 1.0 / 144;
    QTest::newRow("long frames") << 0.3;
}

void TestPreview::layersDoNotDependOnTheFrames()
{
    QFETCH(double, frame);
    const std::vector<LayerRecipe> layers{readLayer(kickedLayer("0.05"), {}),
                                          readLayer(kickedLayer("0.05", {"3", "0", "0"}, "0.35", "1.4"), {}),
                                          readLayer(kickedLayer("0.003", {"0", "-2", "1"}, "0.7"), {})};
    Simulation once(5);
    Simulation frames(5);
    once.setLayers(layers);
    frames.setLayers(layers);
    const double seconds = 2 + kStep / 2;
    once.advance(seconds);
    const int whole = int(seconds / frame);
    for (int i = 0; i < whole; ++i)
        frames.advance(frame);
    frames.advance(seconds - whole * frame);
    QCOMPARE(frames.time(), once.time());
    QCOMPARE(frames.particles().size(), once.particles().size());
    QVERIFY(once.layerStatus(2).live > 100);
    for (std::size_t i = 0; i < once.particles().size(); ++i) {
        QCOMPARE(frames.particles()[i].layer, once.particles()[i].layer);
        QCOMPARE_LE(std::abs(frames.particles()[i].position.x - once.particles()[i].position.x), 1e-9);
        QCOMPARE_LE(std::abs(frames.particles()[i].position.z - once.particles()[i].position.z), 1e-9);
    }
}

void TestPreview::seekReachesTheMomentPlayingDoes_data()
{
    QTest::addColumn<int>("effect");
    QTest::addColumn<double>("seconds");
    const QList<Effect> &builtIns = builtInEffects();
    for (qsizetype i = 0; i < builtIns.size(); ++i)
        for (const double seconds : {0.5, 4.0, 12.0})
            QTest::addRow("%s at %g s", qPrintable(builtIns.at(i).name), seconds) << int(i) << seconds;
}

void TestPreview::seekReachesTheMomentPlayingDoes()
{
    QFETCH(int, effect);
    QFETCH(double, seconds);
    std::vector<LayerRecipe> recipes;
    for (const Layer &layer : builtInEffects().at(effect).layers)
        recipes.push_back(readLayer(layer, {}));
    Simulation played(3);
    Simulation sought(3);
    played.setLayers(recipes);
    sought.setLayers(recipes);
    played.restart();
    while (played.time() < seconds)
        played.advance(1.0 / 60);
    // Played on past the moment first: the seek starts again from the start.
    sought.advance(seconds + 1);
    sought.seek(played.time());
    QCOMPARE(sought.time(), played.time());
    QCOMPARE(sought.particles().size(), played.particles().size());
    QVERIFY(!played.particles().empty());
    for (std::size_t i = 0; i < played.particles().size(); ++i) {
        const Particle &a = sought.particles()[i];
        const Particle &b = played.particles()[i];
        QVERIFY(a.layer == b.layer && a.age == b.age && a.position.x == b.position.x && a.position.y == b.position.y
                && a.position.z == b.position.z && a.velocity.z == b.velocity.z);
    }
    for (std::size_t layer = 0; layer < recipes.size(); ++layer)
        QCOMPARE(sought.lightIntensity(layer), played.lightIntensity(layer));
    // Another seed is another spread of the same effect.
    sought.setSeed(4);
    sought.seek(played.time());
    QVERIFY(sought.particles().size() != played.particles().size()
            || sought.particles().front().position.x != played.particles().front().position.x);
}

void TestPreview::effectEndsAfterItsLongestLife_data()
{
    QTest::addColumn<double>("duration");
    QTest::addColumn<QStringList>("ends"); // each layer's, empty for none
    QTest::addColumn<double>("end");       // -1: none
    // The layers live 4 s, up to 5 s with their spread.
    QTest::newRow("emit for 10 s") << 10.0 << QStringList{"", ""} << 15.0;
    QTest::newRow("every layer ends") << 0.0 << QStringList{"3", "7"} << 12.0;
    QTest::newRow("a layer without end") << 0.0 << QStringList{"3", ""} << -1.0;
}

void TestPreview::effectEndsAfterItsLongestLife()
{
    QFETCH(double, duration);
    QFETCH(QStringList, ends);
    QFETCH(double, end);
    std::vector<LayerRecipe> layers;
    for (const QString &layerEnd : ends) {
        Layer layer = floatingLayer("0.1", {"0", "0", "0"}, "0", layerEnd);
        layer.fields.texts[4] = "4";
        layer.fields.source.random.set = true;
        layer.fields.source.random.texts[SourceRandom::LifeTime] = "1";
        layers.push_back(readLayer(layer, {}));
    }
    const std::optional<double> found = effectEnd(layers, duration);
    QCOMPARE(found.value_or(-1), end);
}

void TestPreview::timeLineRange_data()
{
    QTest::addColumn<double>("end"); // -1: the effect has none
    QTest::addColumn<double>("now");
    QTest::addColumn<double>("from");
    QTest::addColumn<double>("to");
    QTest::newRow("0 to the end") << 12.0 << 3.0 << 0.0 << 12.0;
    QTest::newRow("played past the end") << 12.0 << 14.0 << 0.0 << 14.0;
    QTest::newRow("without end: the first 30 s") << -1.0 << 10.0 << 0.0 << 30.0;
    QTest::newRow("without end: the last 30 s") << -1.0 << 45.0 << 15.0 << 45.0;
}

void TestPreview::timeLineRange()
{
    QFETCH(double, end);
    QFETCH(double, now);
    QFETCH(double, from);
    QFETCH(double, to);
    const TimeRange range = timeRange(end < 0 ? std::nullopt : std::optional<double>(end), now);
    QCOMPARE(range.from, from);
    QCOMPARE(range.to, to);
}

void TestPreview::typedTimes_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<double>("seconds"); // -1: refused
    QTest::newRow("seconds") << "2.5" << 2.5;
    QTest::newRow("a decimal comma") << "2,5" << 2.5;
    QTest::newRow("with its unit") << " 3 s " << 3.0;
    QTest::newRow("the unit close") << "4s" << 4.0;
    QTest::newRow("below 0") << "-1" << -1.0;
    QTest::newRow("a word") << "soon" << -1.0;
    QTest::newRow("nothing") << "" << -1.0;
}

void TestPreview::typedTimes()
{
    QFETCH(QString, typed);
    QFETCH(double, seconds);
    QCOMPARE(typedTime(typed).value_or(-1), seconds);
}

void TestPreview::sheetFramesFollowTheModel_data()
{
    QTest::addColumn<QList<double>>("run"); // ntieth, index, frameCount, loop as the shape array writes them
    QTest::addColumn<QList<double>>("speeds");
    QTest::addColumn<double>("lifeTime");
    QTest::addColumn<double>("age");
    QTest::addColumn<int>("cell");
    const QList<double> smoke{16, 7, 48, 1};
    QTest::newRow("smoke, half a cycle") << smoke << QList<double>{1} << 10.0 << 0.5 << 112 + 24;
    QTest::newRow("smoke loops round") << smoke << QList<double>{1} << 10.0 << 1.25 << 112 + 12;
    QTest::newRow("played once: held at the last")
        << QList<double>{16, 7, 48, 0} << QList<double>{1} << 10.0 << 1.25 << 112 + 47;
    QTest::newRow("speed 1000, once: the dust frame at once")
        << QList<double>{16, 12, 13, 0} << QList<double>{1000} << 5.0 << 0.001 << 204;
    QTest::newRow("speeds over the life: their integral")
        << QList<double>{16, 10, 32, 1} << QList<double>{0, 2} << 2.0 << 1.0 << 160 + 16;
    QTest::newRow("past the life: the life's phase")
        << QList<double>{16, 10, 32, 1} << QList<double>{1} << 2.0 << 5.0 << 160;
    QTest::newRow("a row past an 8 × 8 sheet: its last row")
        << QList<double>{8, 12, 8, 1} << QList<double>{0} << 1.0 << 0.5 << 7 * 8;
    QTest::newRow("no frames counts as one") << QList<double>{16, 12, 0, 1} << QList<double>{5} << 1.0 << 0.5 << 192;
    QTest::newRow("loop 8 loops") << QList<double>{16, 7, 48, 8} << QList<double>{1} << 10.0 << 1.25 << 112 + 12;
    QTest::newRow("a run longer than the sheet ends at its last cell")
        << QList<double>{16, 15, 400, 0} << QList<double>{1000} << 1.0 << 0.5 << 255;
    QTest::newRow("no number: the plain shape")
        << QList<double>{qQNaN(), qInf(), -3, qQNaN()} << QList<double>{1} << 1.0 << 0.5 << 0;
}

void TestPreview::sheetFramesFollowTheModel()
{
    QFETCH(QList<double>, run);
    QFETCH(QList<double>, speeds);
    QFETCH(double, lifeTime);
    QFETCH(double, age);
    QFETCH(int, cell);
    const SheetRun sheet = sheetRun(run.at(0), run.at(1), run.at(2), run.at(3));
    const double phase = animationPhase({speeds.cbegin(), speeds.cend()}, lifeTime, age);
    QCOMPARE(sheetCell(sheet, runFrame(sheet, phase)), cell);
}

void TestPreview::oldGameFramesFollowThePhase_data()
{
    QTest::addColumn<QList<double>>("phases");
    QTest::addColumn<double>("age"); // of a life of 4 s
    QTest::addColumn<int>("frame");  // of 8
    QTest::newRow("halfway") << QList<double>{0, 1} << 2.0 << 4;
    QTest::newRow("at the end: round once to the first") << QList<double>{0, 1} << 4.0 << 0;
    QTest::newRow("one phase throughout") << QList<double>{0.3} << 3.0 << 2;
    QTest::newRow("below 0: the first") << QList<double>{-1} << 1.0 << 0;
}

void TestPreview::oldGameFramesFollowThePhase()
{
    QFETCH(QList<double>, phases);
    QFETCH(double, age);
    QFETCH(int, frame);
    QCOMPARE(oldGameFrame({phases.cbegin(), phases.cend()}, 4, age, 8), frame);
}

void TestPreview::standardShapesByName_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("sheet");
    QTest::addColumn<int>("look");
    const auto row = [](const char *name, const char *file, StandardSheet sheet, Look look) {
        QTest::newRow(name) << QString::fromLatin1(file) << int(sheet) << int(look);
    };
    row("the Universal sheet", R"(\A3\data_f\ParticleEffects\Universal\Universal)", StandardSheet::Universal,
        Look::Smoke);
    row("slashes, letter case, .p3d", "/a3/DATA_F/particleeffects/UNIVERSAL/universal.P3D", StandardSheet::Universal,
        Look::Smoke);
    row("an 8 x 8 smoke sheet", R"(\A3\data_f\ParticleEffects\Universal\Universal_02.p3d)", StandardSheet::Smoke8,
        Look::Smoke);
    row("the old game's smoke", "cl_basic", StandardSheet::Single, Look::Smoke);
    row("its flame", "CL_FIRE", StandardSheet::Single, Look::Flame);
    row("its spark", "blesk1", StandardSheet::Single, Look::Spark);
    row("its glow", "koulesvetlo", StandardSheet::Single, Look::Glow);
    row("its drop", "cl_water", StandardSheet::Single, Look::Drop);
    row("refraction", R"(\A3\data_f\ParticleEffects\Universal\Refract.p3d)", StandardSheet::Single, Look::Shimmer);
    row("debris", R"(\A3\data_f\ParticleEffects\Pstone\PStone.p3d)", StandardSheet::Single, Look::Debris);
    row("an author's own model", R"(\mymod\data\ember.p3d)", StandardSheet::None, Look::Disc);
    row("none", "", StandardSheet::None, Look::Disc);
}

void TestPreview::standardShapesByName()
{
    QFETCH(QString, file);
    QFETCH(int, sheet);
    QFETCH(int, look);
    QCOMPARE(standardShape(file), (StandardShape{StandardSheet(sheet), Look(look)}));
}

void TestPreview::universalCellsHoldTheirLooks_data()
{
    QTest::addColumn<int>("cell");
    QTest::addColumn<int>("look");
    QTest::newRow("the fireball") << 20 << int(Look::Fireball);
    QTest::newRow("the smoke puff, row 7") << 112 + 24 << int(Look::Smoke);
    QTest::newRow("the flame, row 10") << 160 + 16 << int(Look::Flame);
    QTest::newRow("the most used dust") << 204 << int(Look::Dust);
    QTest::newRow("a spark streak") << 209 << int(Look::Spark);
    QTest::newRow("blood") << 208 << int(Look::Blood);
    QTest::newRow("a glow of row 14") << 230 << int(Look::Glow);
    QTest::newRow("water") << 215 << int(Look::Drop);
    QTest::newRow("a cell nothing names") << 205 << int(Look::Disc);
    QTest::newRow("past the sheet") << 256 << int(Look::Disc);
}

void TestPreview::universalCellsHoldTheirLooks()
{
    QFETCH(int, cell);
    QFETCH(int, look);
    QCOMPARE(int(universalCellLook(cell)), look);
}

void TestPreview::lightIsReadByTheModel_data()
{
    // Each row changes the new light: "command=text" sets a value, "command" alone clears it.
    QTest::addColumn<QStringList>("changes");
    QTest::addColumn<double>("intensity");
    QTest::addColumn<double>("radius"); // of the glow, in m
    QTest::addColumn<QString>("said");  // a problem or a note, in part; empty: none
    QTest::newRow("new light") << QStringList{} << 2500.0 << std::sqrt(50.0) << "";
    QTest::newRow("brightness alone") << QStringList{"intensity", "brightness=2"} << 10000.0 << std::sqrt(50.0) << "";
    QTest::newRow("brightness set last holds")
        << QStringList{"brightness=2"} << 10000.0 << std::sqrt(50.0) << "the preview takes the one set last";
    QTest::newRow("intensity set last holds") << QStringList{"brightness=2", "brightnessFirst"} << 2500.0
                                              << std::sqrt(50.0) << "the preview takes the one set last";
    QTest::newRow("neither") << QStringList{"intensity"} << 0.0 << std::sqrt(50.0) << "the preview draws none";
    QTest::newRow("hard limit cuts the glow") << QStringList{"attenuation=0,0,0,0.01,3,4"} << 2500.0 << 4.0 << "";
    QTest::newRow("start moves it out") << QStringList{"attenuation=2,0,0,2,30,40"} << 2500.0 << 2 + std::sqrt(50.0)
                                        << "";
    QTest::newRow("linear falloff") << QStringList{"attenuation=0,1,1,0,0,0"} << 2500.0 << 99.0 << "";
    QTest::newRow("no falloff") << QStringList{"attenuation=0,1,0,0,0,0"} << 2500.0 << kLongestGlow << "";
    QTest::newRow("hard limit end below the start")
        << QStringList{"attenuation=0,0,0,2,5,-1"} << 2500.0 << std::sqrt(50.0) << "";
    QTest::newRow("not set: 1 / d²") << QStringList{"attenuation"} << 2500.0 << 10.0 << "";
    QTest::newRow("four values as written")
        << QStringList{"asWritten=[0, 0, 0, 2]"} << 2500.0 << std::sqrt(50.0) << "Attenuation of 4 values";
    QTest::newRow("seven values: hard limits read")
        << QStringList{"asWritten=[0, 0, 0, 2, 1, 3, 9]"} << 2500.0 << 3.0 << "the next two as the hard limits";
    QTest::newRow("a variable as written")
        << QStringList{"asWritten=_att"} << 2500.0 << 10.0 << "is not an array of four values or more";
    QTest::newRow("variable intensity") << QStringList{"intensity=_i * 2"} << 600.0 << std::sqrt(50.0) << "";
    QTest::newRow("unreadable intensity")
        << QStringList{"intensity=2 +"} << 0.0 << std::sqrt(50.0) << "Intensity ends too early";
    QTest::newRow("unreadable day light")
        << QStringList{"dayLight=maybe *"} << 2500.0 << std::sqrt(50.0) << "Day light";
    QTest::newRow("a reflector") << QStringList{"type=#lightreflector"} << 2500.0 << std::sqrt(50.0)
                                 << "drawn as a point light, without its cone";
    QTest::newRow("kept commands") << QStringList{"other=setLightConePars [60, 30, 1]"} << 2500.0 << std::sqrt(50.0)
                                   << "Not previewed: setLightConePars [60, 30, 1]";
}

void TestPreview::lightIsReadByTheModel()
{
    QFETCH(QStringList, changes);
    QFETCH(double, intensity);
    QFETCH(double, radius);
    QFETCH(QString, said);
    LightSettings settings = newLight();
    for (const QString &change : changes) {
        const QString name = change.section('=', 0, 0);
        const QString value = change.section('=', 1);
        const bool set = change.contains('=');
        if (name == "intensity")
            settings.intensity = {set, value};
        else if (name == "brightness")
            settings.brightness = {set, value};
        else if (name == "brightnessFirst")
            settings.brightnessFirst = true;
        else if (name == "attenuation" && set)
            std::copy_n(value.split(',').cbegin(), 6, settings.attenuation.texts.begin());
        else if (name == "attenuation")
            settings.attenuation.set = false;
        else if (name == "asWritten")
            settings.attenuation.asWritten = value;
        else if (name == "dayLight")
            settings.dayLight = {set, value};
        else if (name == "type")
            settings.type = value;
        else if (name == "other")
            settings.otherCommands << value;
    }
    const LightRecipe light = readLight(settings, {{"_i", 300}});
    QStringList both = light.problems + light.notes;
    // Every new light sets both.
    QVERIFY(both.removeAll("Not drawn: the ambient colour (the views show no surfaces) and the flare's maximum "
                           "distance (the views have no camera).")
            == 1);
    QVERIFY2(said.isEmpty() ? both.isEmpty() : both.join('|').contains(said), qPrintable(both.join('|')));
    QCOMPARE(light.intensity, intensity);
    QVERIFY2(std::abs(glowRadius(light) - radius) < 1e-9, qPrintable(QString::number(glowRadius(light))));
    // The falloff is whole up to the start and at the glow's fraction at its radius, where the hard
    // limits do not cut it first.
    QCOMPARE(lightFalloff(light, light.attenuation[LightAttenuation::Start]), 1.0);
    if (radius < kLongestGlow && !(light.hardLimits && light.attenuation[LightAttenuation::HardLimitEnd] <= radius))
        QVERIFY(std::abs(lightFalloff(light, radius) - kGlowFraction) < 1e-9);
}

void TestPreview::lightPlaysFromItsStartToItsEnd_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<double>("duration");
    QTest::addColumn<QList<double>>("onAt");  // seconds
    QTest::addColumn<QList<double>>("offAt"); // seconds
    QTest::addColumn<bool>("settlesOn");      // settled once on, with no particles
    QTest::newRow("the whole effect") << "0"
                                      << "" << 0.0 << QList<double>{0, 5, 60} << QList<double>{} << true;
    QTest::newRow("later") << "1.5"
                           << "" << 0.0 << QList<double>{1.5, 3} << QList<double>{0, 1.4} << true;
    QTest::newRow("a flash") << "0"
                             << "0.5" << 0.0 << QList<double>{0, 0.4} << QList<double>{0.5, 2} << false;
    QTest::newRow("the duration ends it") << "1"
                                          << "" << 3.0 << QList<double>{1, 2.9} << QList<double>{0.5, 3, 5} << false;
}

void TestPreview::lightPlaysFromItsStartToItsEnd()
{
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(double, duration);
    QFETCH(QList<double>, onAt);
    QFETCH(QList<double>, offAt);
    QFETCH(bool, settlesOn);
    Layer light = lightLayerOf("_light", newLight());
    light.start = start;
    light.end = end;
    Layer silent = floatingLayer("0");
    Simulation simulation;
    simulation.setDuration(duration);
    simulation.setLayers({readLayer(silent, {}), readLayer(light, {})});
    QList<std::pair<double, bool>> expected;
    for (const double at : onAt)
        expected << std::pair{at, true};
    for (const double at : offAt)
        expected << std::pair{at, false};
    std::sort(expected.begin(), expected.end());
    for (const auto &[at, on] : expected) {
        simulation.advance(at - simulation.time() + kStep / 2);
        QCOMPARE(simulation.lightStatus(1).on, on);
        QCOMPARE(simulation.lightIntensity(1), on ? 2500.0 : 0.0);
        if (on)
            QCOMPARE(settled(simulation), settlesOn);
    }
    // Muted, it is off at once.
    light.muted = true;
    simulation.setLayers({readLayer(silent, {}), readLayer(light, {})});
    QVERIFY(!simulation.lightStatus(1).on);
}

void TestPreview::flickerStaysWithinItsBoundsAndReplays()
{
    LightSettings settings = newLight();
    settings.flicker = {LightFlicker::Brightness, "0.8", "1.2", "0.05", "0.15"};
    const std::vector<LayerRecipe> layers{readLayer(floatingLayer("0"), {}),
                                          readLayer(lightLayerOf("_light", settings), {})};
    Simulation simulation(7);
    simulation.setLayers(layers);
    QList<double> first;
    for (int frame = 0; frame < 300; ++frame) {
        simulation.advance(0.02);
        const double intensity = simulation.lightIntensity(1);
        QVERIFY(intensity >= intensityOfBrightness(0.8) && intensity <= intensityOfBrightness(1.2));
        first << intensity;
    }
    // One change every 0.05 to 0.15 s over the 6 s: about 60, never fewer than 40 or more than 120.
    QVERIFY2(simulation.lightStatus(1).changes >= 40 && simulation.lightStatus(1).changes <= 121,
             qPrintable(QString::number(simulation.lightStatus(1).changes)));
    QVERIFY(!settled(simulation));
    // The same draws after a restart, and the same in steps of another length.
    simulation.restart();
    QList<double> again;
    for (int frame = 0; frame < 300; ++frame) {
        simulation.advance(0.02);
        again << simulation.lightIntensity(1);
    }
    QCOMPARE(again, first);
    Simulation other(7);
    other.setLayers(layers);
    other.advance(6);
    QCOMPARE(other.lightIntensity(1), first.last());
}

void TestPreview::glowIsDrawnWithinItsRadiusByNight()
{
    // A red light 2 m up with a glow of sqrt(50) m, drawn at 20 pixels a metre.
    Layer light = lightLayerOf("_light", newLight());
    light.offset = {"0", "0", "2"};
    light.light->colour.texts = {"2", "0", "0"};
    Simulation simulation;
    simulation.setLayers({readLayer(floatingLayer("0"), {}), readLayer(light, {})});
    const QSize size(400, 400);
    const Frame frame{{0, 0}, 20};
    const auto painted = [&](bool night, bool dayLight) {
        light.light->dayLight.text = dayLight ? "true" : "false";
        simulation.setLayers({readLayer(floatingLayer("0"), {}), readLayer(light, {})});
        ViewImage view;
        paintViewImage(view, size, 1, QFont(), frame, Plane::Side, {}, lightsOf(simulation, night));
        return view.image;
    };
    const QImage night = painted(true, false);
    const QImage bare = [&] {
        ViewImage view;
        paintViewImage(view, size, 1, QFont(), frame, Plane::Side, {}, Lights{{}, true});
        return view.image;
    }();
    const QPoint centre(200, 200 - 40);
    const QColor lit = night.pixelColor(centre);
    const QColor dark = bare.pixelColor(centre);
    QCOMPARE_GT(lit.red() - dark.red(), 60);
    QCOMPARE(lit.blue(), dark.blue());
    // Fading out: less a metre away, nothing past the radius.
    QCOMPARE_LT(night.pixelColor(centre + QPoint(20, 0)).red(), lit.red());
    const int beyond = int(std::ceil(std::sqrt(50.0) * 20)) + 2;
    QCOMPARE(night.pixelColor(centre + QPoint(beyond, 0)), bare.pixelColor(centre + QPoint(beyond, 0)));
    // By day only a light with day light shows, and the background is the day's.
    const QImage day = [&] {
        ViewImage view;
        paintViewImage(view, size, 1, QFont(), frame, Plane::Side, {});
        return view.image;
    }();
    QCOMPARE(painted(false, false), day);
    QCOMPARE_GT(painted(false, true).pixelColor(centre).red() - day.pixelColor(centre).red(), 60);
    QVERIFY(day.pixelColor(5, 5) != bare.pixelColor(5, 5));
}

void TestPreview::layerTextsThatCannotBePlayed_data()
{
    QTest::addColumn<QStringList>("texts"); // offset x, start, end
    QTest::addColumn<QString>("problem");   // empty: none
    QTest::newRow("empty offset and start are 0") << QStringList{"", "", ""} << "";
    QTest::newRow("numbers and variables") << QStringList{"_x * 2", "_x", "_x + 1"} << "";
    QTest::newRow("offset cut short") << QStringList{"2 +", "0", ""} << "Offset x ends too early (\"2 +\")";
    QTest::newRow("no number") << QStringList{"sqrt -1", "0", ""} << "Offset x (\"sqrt -1\") is not a number";
    QTest::newRow("start below 0") << QStringList{"0", "-1", ""} << "Start (-1) is below 0";
    QTest::newRow("end before the start") << QStringList{"0", "1", "0.5"} << "End (0.5) is not after the start (1)";
    QTest::newRow("end at an empty start") << QStringList{"0", "", "0"} << "End (0) is not after the start (0)";
}

void TestPreview::layerTextsThatCannotBePlayed()
{
    QFETCH(QStringList, texts);
    QFETCH(QString, problem);
    const LayerRecipe layer = readLayer(floatingLayer("0.1", {texts[0], "0", "0"}, texts[1], texts[2]), {{"_x", 2}});
    Simulation simulation;
    simulation.setLayers({readLayer(floatingLayer("0.1"), {}), layer});
    QCOMPARE(simulation.layerEmitting(1), problem.isEmpty());
    if (problem.isEmpty()) {
        // The window asks for the values of the variables the offset and times name.
        QCOMPARE(layer.recipe.variables.contains("_x"), texts[0].contains("_x"));
        return;
    }
    QCOMPARE(layer.recipe.problems.size(), 1);
    QVERIFY2(layer.recipe.problems.front().startsWith(problem), qPrintable(layer.recipe.problems.front()));
    simulation.advance(1);
    QCOMPARE(simulation.layerStatus(1).emissions, std::int64_t(0));
    QVERIFY(simulation.layerStatus(0).emissions > 0);
}

void TestPreview::fieldsThatCannotBePreviewed_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QString>("problem");
    QTest::newRow("game command") << fields({{5, "5"}, {6, "getPos _x"}, {13, "1"}})
                                  << "Position x cannot be worked out at \"getPos\" (character 1)";
    QTest::newRow("select after a variable") << fields({{5, "5"}, {10, "velocity _v select 1"}, {13, "1"}})
                                             << "MoveVelocity y cannot be worked out at \"velocity\"";
    QTest::newRow("empty life") << fields({{5, ""}, {13, "1"}}) << "LifeTime is empty.";
    QTest::newRow("unreadable life") << fields({{5, "5 +"}, {13, "1"}}) << "LifeTime ends too early";
    QTest::newRow("no weight") << fields({{5, "5"}, {13, "0"}}) << "Weight is 0 or below";
    QTest::newRow("negative weight") << fields({{5, "5"}, {13, "-1"}}) << "Weight is 0 or below";
    QTest::newRow("no life") << fields({{5, "0"}, {13, "1"}}) << "LifeTime is 0 or below";
    QTest::newRow("colour of three") << fields({{5, "5"}, {13, "1"}, {19, "[1,1,1]"}})
                                     << "Color 1 (\"[1,1,1]\") is not";
    QTest::newRow("colour command") << fields({{5, "5"}, {13, "1"}, {19, "[1,1,1,1],[1,1,1,_a select 0]"}})
                                    << "Color 2 alpha cannot be worked out at \"select\"";
    QTest::newRow("size") << fields({{5, "5"}, {13, "1"}, {18, "1,5"}}) << "Size (end) cannot be worked out at \",\"";
    QTest::newRow("whole Position from a variable")
        << fields({{5, "5"}, {6, "_posb"}, {7, ""}, {8, ""}, {13, "1"}})
        << "Position (\"_posb\") is a variable for the whole [x, y, z]: it cannot be previewed";
    QTest::newRow("whole Position from a command")
        << fields({{5, "5"}, {6, "getPos _bullet"}, {7, ""}, {8, ""}, {13, "1"}})
        << "Position (\"getPos _bullet\") is one expression for the whole [x, y, z]";
    QTest::newRow("whole MoveVelocity as a number") << fields({{5, "5"}, {9, "2"}, {10, ""}, {11, ""}, {13, "1"}})
                                                    << "MoveVelocity (\"2\") is one expression for the whole";
    QTest::newRow("whole Size from a variable") << fields({{5, "5"}, {13, "1"}, {16, "_sizes"}, {17, ""}, {18, ""}})
                                                << "Size (\"_sizes\") is a variable for the whole list of sizes";
    QTest::newRow("middle size of several")
        << fields({{5, "5"}, {13, "1"}, {17, "1,2 +"}}) << "Size (middle 2) ends too early";
    QTest::newRow("colour list as one expression") << fields({{5, "5"}, {13, "1"}, {19, "(_e select 4)"}})
                                                   << "Color (\"(_e select 4)\") is one expression for the whole";
}

void TestPreview::fieldsThatCannotBePreviewed()
{
    QFETCH(QStringList, texts);
    QFETCH(QString, problem);
    const Recipe recipe = readRecipe(texts);
    const QStringList problems = recipe.problems + valueProblems(recipe, {});
    QCOMPARE(problems.size(), 1);
    QVERIFY2(problems.front().startsWith(problem), qPrintable(problems.front()));
    Simulation simulation;
    simulation.setRecipe(recipe);
    QVERIFY(!simulation.emitting());
    simulation.advance(1);
    QCOMPARE(simulation.particles().size(), std::size_t(0));
}

void TestPreview::variablesAreCollectedOnce()
{
    const Recipe recipe = readRecipe(
        fields({{5, "_life"}, {6, "_r1"}, {7, "_R1 * 2"}, {13, "1"}, {19, "[1,1,1,_fade]"}, {4, "_ignored"}}));
    QVERIFY(recipe.usable());
    QCOMPARE(recipe.variables, QStringList({"_life", "_r1", "_fade"}));
    // Assumed 0, the life is too short; a value for it mends the preview.
    Simulation simulation;
    simulation.setRecipe(recipe);
    QVERIFY(!simulation.emitting());
    simulation.setVariables({{"_life", 2.0}, {"_r1", 1.5}});
    QVERIFY(simulation.emitting());
    simulation.advance(kStep);
    QCOMPARE(simulation.particles().front().values.position.y, 3.0);
    QCOMPARE(simulation.particles().front().values.colours.front().a, 0.0);
}

void TestPreview::colourListReadsWithOrWithoutOuterBrackets_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<int>("colours");
    QTest::newRow("as the chooser writes it") << "[1,1,1,1],[0.5,0.5,0.5,0]" << 2;
    QTest::newRow("with blanks") << " [1, 0.5, 0, 1] , [0, 0, 0, 0] " << 2;
    QTest::newRow("outer brackets") << "[[1,1,1,1],[0.5,0.5,0.5,0]]" << 2;
    QTest::newRow("one colour") << "[1,1,1,1]" << 1;
    QTest::newRow("expressions") << "[random 1, 0.5 * 2, (1), abs -1]" << 1;
    QTest::newRow("empty") << "[]" << 0;
    QTest::newRow("nothing") << "" << 0;
}

void TestPreview::colourListReadsWithOrWithoutOuterBrackets()
{
    QFETCH(QString, list);
    QFETCH(int, colours);
    const Recipe recipe = readRecipe(fields({{5, "5"}, {13, "1"}, {19, list}}));
    QVERIFY2(recipe.usable(), qPrintable(recipe.problems.join('\n')));
    QCOMPARE(int(recipe.colours.size()), colours);
    QCOMPARE(recipe.notes.contains("Color is empty: the particles are drawn white."), colours == 0);
}

void TestPreview::randomSpreadsTheParticles()
{
    Simulation simulation(3);
    simulation.setRecipe(readRecipe(fields({{5, "100"}, {6, "random 2 + 5"}, {13, "1.275"}, {14, "1"}})));
    simulation.advance(5);
    double low = 10;
    double high = 0;
    for (const Particle &p : simulation.particles()) {
        QVERIFY(p.values.position.x >= 5 && p.values.position.x <= 7);
        low = std::min(low, p.values.position.x);
        high = std::max(high, p.values.position.x);
    }
    QVERIFY(high - low > 1.5);
}

void TestPreview::sourceSpreadStaysWithinTheValue_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("spread");
    QTest::addColumn<double>("base");
    QTest::newRow("Position x") << int(SourceRandom::PositionX) << "0.5" << 5.0;
    QTest::newRow("Position z, a negative value spreads as far") << int(SourceRandom::PositionZ) << "-2" << 1.0;
    QTest::newRow("MoveVelocity y, an expression") << int(SourceRandom::VelocityY) << "_v * 2" << 0.0;
    QTest::newRow("Size, every key") << int(SourceRandom::Size) << "0.75" << 2.0;
    QTest::newRow("LifeTime") << int(SourceRandom::LifeTime) << "4" << 10.0;
    QTest::newRow("Color r, kept within 0..1") << int(SourceRandom::ColorR) << "0.8" << 0.5;
    QTest::newRow("RndmDirIntensity") << int(SourceRandom::DirIntensity) << "0.3" << 0.0;
}

void TestPreview::sourceSpreadStaysWithinTheValue()
{
    QFETCH(int, value);
    QFETCH(QString, spread);
    QFETCH(double, base);
    const Recipe recipe = readRecipe(
        fields({{5, "10"}, {6, "5"}, {8, "1"}, {13, "1"}, {16, "2"}, {17, "3"}, {18, "4"}, {19, "[0.5,0.5,0.5,1]"}}),
        randomness(8, {{value, spread}}));
    QVERIFY2(recipe.usable(), qPrintable(recipe.problems.join('\n')));
    const double range = value == SourceRandom::VelocityY ? 1.0 : std::abs(spread.toDouble());
    const sqf::VariableValues variables{{"_v", 0.5}};
    sqf::Random random(7);
    double low = base;
    double high = base;
    for (int i = 0; i < 2000; ++i) {
        const auto values = drawParticle(recipe, variables, random);
        QVERIFY(values);
        const double drawn = drawnValue(*values, value);
        QVERIFY2(std::abs(drawn - base) <= range + 1e-12, qPrintable(QString::number(drawn)));
        low = std::min(low, drawn);
        high = std::max(high, drawn);
        // The Size draw moves every key alike; the colour keeps within 0..1.
        QCOMPARE_LE(std::abs(values->size[2] - values->size[0] - 2), 1e-9);
        QVERIFY(values->colours.front().r >= 0 && values->colours.front().r <= 1);
    }
    const double reach = value == SourceRandom::ColorR ? 0.5 : range * 0.95;
    QVERIFY2(low <= base - reach && high >= base + reach, qPrintable(QStringLiteral("%1 .. %2").arg(low).arg(high)));
}

void TestPreview::circleBirthsLieOnTheRing()
{
    const SourceSettings source = emitting("0.05", [](SourceSettings &s) {
        s.circle.set = true;
        s.circle.texts = {"3", "0", "0.25", "0.5"};
    });
    const Recipe recipe = readRecipe(fields({{5, "10"}, {6, "1"}, {8, "2"}, {11, "1"}, {13, "1"}}), source);
    QVERIFY2(recipe.usable(), qPrintable(recipe.problems.join('\n')));
    sqf::Random random(3);
    int quadrants[4] = {};
    for (int i = 0; i < 400; ++i) {
        const auto values = drawParticle(recipe, {}, random);
        QVERIFY(values);
        const double dx = values->position.x - 1;
        const double dy = values->position.y;
        QCOMPARE_LE(std::abs(std::hypot(dx, dy) - 3), 1e-9);
        QCOMPARE(values->position.z, 2.0);
        QCOMPARE(values->velocity.y, 0.25);
        QCOMPARE(values->velocity.z, 1.5);
        ++quadrants[(dx >= 0 ? 0 : 1) + (dy >= 0 ? 0 : 2)];
    }
    for (const int count : quadrants)
        QVERIFY(count > 50);
}

void TestPreview::intervalGivesTheBirths_data()
{
    QTest::addColumn<QString>("interval");
    QTest::addColumn<int>("births"); // over the first second, its ends included
    QTest::newRow("0 emits nothing") << "0" << 0;
    QTest::newRow("0.05") << "0.05" << 21;
    QTest::newRow("2000 a second") << "0.0005" << 2001;
    QTest::newRow("the shortest") << "0.0001" << 10001;
    QTest::newRow("a variable") << "_int" << 11;
    QTest::newRow("in parentheses") << "(0.1)" << 11;
    QTest::newRow("a whole second") << "1" << 2;
}

void TestPreview::intervalGivesTheBirths()
{
    QFETCH(QString, interval);
    QFETCH(int, births);
    Simulation simulation;
    simulation.setVariables({{"_int", 0.1}});
    simulation.setRecipe(readRecipe(fields({{5, "10"}, {13, "1.275"}, {14, "1"}}), emitting(interval)));
    QVERIFY(simulation.emitting());
    QCOMPARE_LE(std::abs(*simulation.interval() - sqf::constantValue(interval).value_or(0.1)), 1e-12);
    simulation.advance(1.0 + kStep / 2);
    QCOMPARE(simulation.emissions(), std::int64_t(births));
    QCOMPARE(simulation.particles().size(), std::size_t(births));
    // Each particle has its own birth time, also those born within one step.
    const std::vector<Particle> &particles = simulation.particles();
    for (std::size_t i = 1; i < particles.size(); ++i)
        QVERIFY(particles[i].age < particles[i - 1].age);
}

void TestPreview::intervalSetAfterZeroStartsWithoutABurst()
{
    const QStringList texts = fields({{5, "10"}, {13, "1.275"}, {14, "1"}});
    Simulation simulation;
    simulation.setRecipe(readRecipe(texts, emitting("0")));
    simulation.advance(2);
    QCOMPARE(simulation.emissions(), std::int64_t(0));
    simulation.setRecipe(readRecipe(texts, emitting("0.1")));
    simulation.advance(0.5 + kStep / 2);
    QCOMPARE_LE(simulation.emissions(), std::int64_t(6));
    QCOMPARE_GE(simulation.emissions(), std::int64_t(5));
}

void TestPreview::sourceValuesThatCannotBePreviewed_data()
{
    QTest::addColumn<SourceSettings>("source");
    QTest::addColumn<QString>("problem"); // empty: none
    QTest::newRow("a game command") << randomness(8, {{SourceRandom::Size, "getPos _x"}})
                                    << "setParticleRandom Size cannot be worked out at \"getPos\"";
    QTest::newRow("empty") << randomness(8, {{SourceRandom::ColorA, ""}}) << "setParticleRandom Color a is empty.";
    QTest::newRow("whole Position from a variable")
        << randomness(8,
                      {{SourceRandom::PositionX, "_pv"}, {SourceRandom::PositionY, ""}, {SourceRandom::PositionZ, ""}})
        << "setParticleRandom Position (\"_pv\") is a variable for the whole [x, y, z]";
    QTest::newRow("Angle beyond eight elements is not read")
        << randomness(8, {{SourceRandom::Angle, "bad +"}, {SourceRandom::BounceOnSurface, "bad +"}}) << "";
    QTest::newRow("Angle of nine") << randomness(9, {{SourceRandom::Angle, "bad +"}})
                                   << "setParticleRandom Angle ends too early";
    QTest::newRow("BounceOnSurface of ten") << randomness(10, {{SourceRandom::BounceOnSurface, "x select 1"}})
                                            << "setParticleRandom BounceOnSurface cannot be worked out";
    QTest::newRow("unset randomness is not read")
        << emitting("0.05", [](SourceSettings &s) { s.random.texts[SourceRandom::Size] = "bad +"; }) << "";
    QTest::newRow("circle radius") << emitting("0.05", [](SourceSettings &s) {
        s.circle.set = true;
        s.circle.texts[SourceCircle::Radius] = "getPos _x";
    }) << "setParticleCircle radius cannot be worked out";
    QTest::newRow("circle velocity whole") << emitting("0.05", [](SourceSettings &s) {
        s.circle.set = true;
        s.circle.texts = {"1", "_vel", "", ""};
    }) << "setParticleCircle velocity (\"_vel\") is a variable for the whole [x, y, z]";
    QTest::newRow("interval empty") << emitting("") << "setDropInterval is empty.";
    QTest::newRow("interval negative") << emitting("-0.1") << "setDropInterval is below 0 (-0.1).";
    QTest::newRow("interval too short") << emitting("0.00005") << "setDropInterval (5e-05) is shorter than 0.0001 s";
    QTest::newRow("interval unreadable though unset")
        << emitting("0.1 +", [](SourceSettings &s) { s.interval.set = false; }) << "setDropInterval ends too early";
}

void TestPreview::sourceValuesThatCannotBePreviewed()
{
    QFETCH(SourceSettings, source);
    QFETCH(QString, problem);
    const Recipe recipe = readRecipe(fields({{5, "5"}, {13, "1"}}), source);
    const QStringList problems = recipe.problems + valueProblems(recipe, {});
    Simulation simulation;
    simulation.setRecipe(recipe);
    if (problem.isEmpty()) {
        QCOMPARE(problems, QStringList());
        QVERIFY(simulation.emitting());
        return;
    }
    QCOMPARE(problems.size(), 1);
    QVERIFY2(problems.front().startsWith(problem), qPrintable(problems.front()));
    QVERIFY(!simulation.emitting());
    QCOMPARE(simulation.interval().has_value(), !problem.startsWith("setDropInterval"));
    simulation.advance(1);
    QCOMPARE(simulation.particles().size(), std::size_t(0));
}

void TestPreview::bounceFromTheObjectField_data()
{
    QTest::addColumn<QString>("object");
    QTest::addColumn<SourceSettings>("source");
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("high");
    QTest::newRow("none") << "player" << emitting("0.05") << -1.0 << -1.0;
    QTest::newRow("-1: no collision") << "player,0,false,-1" << emitting("0.05") << -1.0 << -1.0;
    QTest::newRow("half") << "_obj, 0, false, 0.5, [[0,0,0,0]]" << emitting("0.05") << 0.5 << 0.5;
    QTest::newRow("above 1 is 1") << "player,0,false,3" << emitting("0.05") << 1.0 << 1.0;
    QTest::newRow("a variable") << "player,0,false,_b" << emitting("0.05") << 0.25 << 0.25;
    QTest::newRow("with its randomness, within 0..1")
        << "player,0,false,0.5" << randomness(10, {{SourceRandom::BounceOnSurface, "0.8"}}) << 0.0 << 1.0;
    QTest::newRow("randomness without a bounce")
        << "player" << randomness(10, {{SourceRandom::BounceOnSurface, "1"}}) << -1.0 << -1.0;
}

void TestPreview::bounceFromTheObjectField()
{
    QFETCH(QString, object);
    QFETCH(SourceSettings, source);
    QFETCH(double, low);
    QFETCH(double, high);
    const Recipe recipe = readRecipe(fields({{5, "5"}, {13, "1"}, {27, object}}), source);
    QVERIFY2(recipe.usable(), qPrintable(recipe.problems.join('\n')));
    sqf::Random random(2);
    double least = 2;
    double most = -2;
    for (int i = 0; i < 500; ++i) {
        const auto values = drawParticle(recipe, {{"_b", 0.25}}, random);
        QVERIFY(values);
        least = std::min(least, values->bounce);
        most = std::max(most, values->bounce);
    }
    QCOMPARE(least, low);
    QCOMPARE(most, high);
}

void TestPreview::bounceKeepsParticlesAboveTheGround()
{
    ParticleValues values = floating();
    values.weight = 100; // falls as a stone
    values.position.z = 2;
    values.bounce = 0.5;
    sqf::Random random(1);
    Particle particle = newParticle(values);
    double lowest = 2;
    double fastestRise = 0;
    for (int i = 0; i < 240; ++i) {
        advance(particle, kStep, {}, random);
        lowest = std::min(lowest, particle.position.z);
        fastestRise = std::max(fastestRise, particle.velocity.z);
    }
    QCOMPARE_GE(lowest, 0.0);
    // Landing at about 6.3 m/s, it rises again at half of that.
    QCOMPARE_LE(std::abs(fastestRise - 0.5 * std::sqrt(2 * kGravity * 2)), 0.1);
    values.bounce = -1;
    QCOMPARE_LT(follow(values, 2).position.z, -10.0);
}

void TestPreview::pathBoundsHoldTheSpreadAndTheRing()
{
    // A particle that stays where it is born, 1 m across.
    const QStringList texts = fields({{5, "2"}, {13, "1.275"}, {14, "1"}, {16, "1"}, {17, "1"}, {18, "1"}});
    const SourceSettings source = randomness(8, {{SourceRandom::PositionX, "2"}, {SourceRandom::Size, "1"}});
    SourceSettings ring = source;
    ring.circle.set = true;
    ring.circle.texts = {"3", "0", "0", "0"};
    const Bounds spread = pathBounds(readRecipe(texts, source), {}, {}, 1);
    QCOMPARE_LE(std::abs(spread.high.x - 3), 1e-9); // 2 m out, 2 m across at the most
    QCOMPARE_LE(std::abs(spread.low.x + 3), 1e-9);
    QCOMPARE_LE(std::abs(spread.high.y - 1), 1e-9);
    const Bounds both = pathBounds(readRecipe(texts, ring), {}, {}, 1);
    QCOMPARE_LE(std::abs(both.high.x - 6), 1e-9);
    QCOMPARE_LE(std::abs(both.low.x + 6), 1e-9);
    QCOMPARE_LE(std::abs(both.high.y - 4), 1e-9);
    QCOMPARE_LE(std::abs(both.low.y + 4), 1e-9);
}

void TestPreview::notesListWhatIsLeftOut()
{
    QCOMPARE(readRecipe(fields({{5, "5"}, {13, "1"}, {19, "[1,1,1,1]"}})).notes, QStringList());
    const QStringList notes = readRecipe(fields({{1, "cl_basic"},
                                                 {4, "1"},
                                                 {12, "2"},
                                                 {19, "[1,1,1,1]"},
                                                 {21, "1"},
                                                 {26, "hint \"gone\""},
                                                 {27, "player"}}))
                                  .notes;
    QCOMPARE(notes.size(), 6);
    QVERIFY(notes[0].startsWith("ShapeName, Type"));
    QVERIFY(notes[1].startsWith("AnimationName, AnimationPhase"));
    QVERIFY(notes[2].startsWith("RotationVelocity"));
    QVERIFY(notes[3].startsWith("TimePeriod, OnTimer"));
    QVERIFY(notes[4].startsWith("BeforeDestroy"));
    QVERIFY(notes[5].startsWith("Object \"player\""));
}

void TestPreview::sizesAreEvenlySpacedPoints_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<std::vector<double>>("sizes");
    QTest::addColumn<double>("atThreeQuarters");
    const auto size = [](const QString &first, const QString &middle, const QString &last) {
        return fields({{5, "4"}, {13, "1"}, {16, first}, {17, middle}, {18, last}});
    };
    QTest::newRow("three") << size("1", "3", "9") << std::vector<double>{1, 3, 9} << 6.0;
    QTest::newRow("two: start and end") << size("1", "", "9") << std::vector<double>{1, 9} << 7.0;
    QTest::newRow("five") << size("1", "2, 3,4", "5") << std::vector<double>{1, 2, 3, 4, 5} << 4.0;
    QTest::newRow("whole value, a number") << size("2 * 3", "", "") << std::vector<double>{6} << 6.0;
}

void TestPreview::sizesAreEvenlySpacedPoints()
{
    QFETCH(QStringList, texts);
    QFETCH(std::vector<double>, sizes);
    QFETCH(double, atThreeQuarters);
    const Recipe recipe = readRecipe(texts);
    QVERIFY2(recipe.usable(), qPrintable(recipe.problems.join('\n')));
    sqf::Random random(1);
    const std::optional<ParticleValues> values = drawParticle(recipe, {}, random);
    QVERIFY(values);
    QCOMPARE(values->size, sizes);
    QCOMPARE_LE(std::abs(sizeAt(*values, 3) - atThreeQuarters), 1e-12);
}

void TestPreview::shapeArrayAndLaterParametersAreNamed()
{
    const Recipe recipe = readRecipe(fields({{1, R"(["\A3\data_f\ParticleEffects\Universal\Universal",16,12,8,0])"},
                                             {5, "5"},
                                             {13, "1"},
                                             {27, "_this,0,true,0,[[0,0,0,0]]"}}));
    QVERIFY(recipe.usable());
    QCOMPARE(recipe.shapeName, R"(\A3\data_f\ParticleEffects\Universal\Universal)");
    QVERIFY(recipe.notes.contains("Object \"_this\": the views are relative to it; the cross at 0 stands for it."));
    QVERIFY(recipe.notes.contains("Object: of the later games' parameters after the object "
                                  "(\"0,true,0,[[0,0,0,0]]\"), only BounceOnSurface is previewed."));
    QVERIFY(recipe.bounce);
    // Without a BounceOnSurface, none of them is.
    QVERIFY(readRecipe(fields({{5, "5"}, {13, "1"}, {27, "_this,0,true"}}))
                .notes.contains("Object: the later games' parameters after the object (\"0,true\") are not "
                                "previewed."));
}

void TestPreview::fieldTextsAreQuotedOnce_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("sentence");
    QTest::newRow("object in quotes") << 27 << "\"\""
                                      << "Object \"\": ";
    QTest::newRow("object named") << 27 << "player"
                                  << "Object \"player\": ";
    QTest::newRow("object quoted name") << 27 << "\"car1\""
                                        << "Object \"car1\": ";
    QTest::newRow("a string for a number") << 5 << "\"5\""
                                           << "LifeTime cannot be worked out at \" (character 1)";
    QTest::newRow("a colour of three") << 19 << "[1,1,1]"
                                       << "Color 1 (\"[1,1,1]\") is not a colour";
}

void TestPreview::fieldTextsAreQuotedOnce()
{
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(QString, sentence);
    const Recipe recipe = readRecipe(fields({{5, "5"}, {13, "1"}, {19, "[1,1,1,1]"}, {field, text}}));
    const QStringList lines = recipe.problems + recipe.notes;
    QVERIFY2(std::any_of(lines.cbegin(), lines.cend(), [&](const QString &line) { return line.startsWith(sentence); }),
             qPrintable(lines.join('\n')));
}

void TestPreview::gridLabelsAreCompact_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("step");
    QTest::addColumn<QString>("label");
    QTest::newRow("metres") << 10.0 << 10.0 << "10";
    QTest::newRow("fifths of a metre") << -0.6 << 0.2 << "-0.6";
    QTest::newRow("hundredths") << 0.05 << 0.05 << "0.05";
    QTest::newRow("zero by rounding") << 1e-18 << 0.5 << "0.0";
    QTest::newRow("far out") << 1e308 << 2e307 << "1e+308";
    QTest::newRow("far out, negative") << -6e307 << 2e307 << "-6e+307";
    QTest::newRow("a million") << 2e6 << 1e6 << "2e+06";
    QTest::newRow("tiny steps") << 3e-7 << 1e-7 << "3e-07";
}

void TestPreview::gridLabelsAreCompact()
{
    QFETCH(double, value);
    QFETCH(double, step);
    QFETCH(QString, label);
    QCOMPARE(gridLabel(value, step), label);
    // Any line of any grid: at most about eight characters.
    for (int i = -300; i <= 300; i += 7) {
        const double s = gridStep(std::pow(10.0, i));
        for (const int k : {-15, -7, 0, 3, 15})
            QVERIFY2(gridLabel(k * s, s).size() <= 9, qPrintable(gridLabel(k * s, s)));
    }
}

void TestPreview::gridStepCutsIntoFiveToFifteen_data()
{
    QTest::addColumn<double>("metres");
    QTest::addColumn<double>("step");
    QTest::newRow("10 m") << 10.0 << 1.0;
    QTest::newRow("15 m") << 15.0 << 1.0;
    QTest::newRow("16 m") << 16.0 << 2.0;
    QTest::newRow("40 m") << 40.0 << 5.0;
    QTest::newRow("75 m") << 75.0 << 5.0;
    QTest::newRow("76 m") << 76.0 << 10.0;
    QTest::newRow("3 m") << 3.0 << 0.2;
    QTest::newRow("0.07 m") << 0.07 << 0.005;
    QTest::newRow("12 km") << 12000.0 << 1000.0;
    QTest::newRow("nothing") << 0.0 << 1.0;
}

void TestPreview::gridStepCutsIntoFiveToFifteen()
{
    QFETCH(double, metres);
    QFETCH(double, step);
    QCOMPARE_LE(std::abs(gridStep(metres) - step), step * 1e-9);
    for (int i = 0; i < 50; ++i) {
        const double m = 0.01 * std::pow(1.37, i);
        const double lines = m / gridStep(m);
        QVERIFY2(lines >= 5 && lines <= 15, qPrintable(QString::number(m)));
    }
}

void TestPreview::pathBoundsHoldTheWholeLife()
{
    // Thrown sideways and falling for 2 s, in the simulation's steps: x reaches 6, z falls to
    // about -19.7, the size grows to 2.
    const Recipe recipe =
        readRecipe(fields({{5, "2"}, {9, "3"}, {13, "1"}, {14, "0"}, {16, "1"}, {17, "1"}, {18, "2"}}));
    const Bounds bounds = pathBounds(recipe, {}, {}, 1);
    QCOMPARE_LE(std::abs(bounds.high.x - 7), 3 * kStep);
    QCOMPARE_LE(std::abs(bounds.low.z - (-4.905 * 2 * (2 + kStep) - 1)), 9.81 * 2 * kStep);
    QCOMPARE_LE(std::abs(bounds.high.z - 0.5), 1e-6);
    QCOMPARE(bounds.low.x, -0.5);
}

void TestPreview::pathBoundsCoverEveryLayer_data()
{
    QTest::addColumn<bool>("firstMuted");
    QTest::addColumn<QList<double>>("bounds"); // low x, y, z, high x, y, z
    // 1 m across, born 1 m beyond the first layer's offset of (5, 0, 0) by its variable, and at the
    // second's of (-2, 3, 1); the anchor is always in.
    QTest::newRow("both layers") << false << QList<double>{-2.5, -0.5, -0.5, 6.5, 3.5, 1.5};
    QTest::newRow("a muted layer is left out") << true << QList<double>{-2.5, 0, 0, 0, 3.5, 1.5};
}

void TestPreview::pathBoundsCoverEveryLayer()
{
    QFETCH(bool, firstMuted);
    QFETCH(QList<double>, bounds);
    Layer first = floatingLayer("0.1", {"5", "0", "0"});
    first.fields.texts = fields({{5, "2"}, {6, "_x"}, {13, "1.275"}, {14, "1"}, {16, "1"}, {17, "1"}, {18, "1"}});
    first.muted = firstMuted;
    Layer second = first;
    second.offset = {"-2", "3", "1"};
    second.muted = false;
    const Bounds fit = pathBounds({readLayer(first, {{"_x", 1}}), readLayer(second, {})}, {}, 1);
    const QList<double> found{fit.low.x, fit.low.y, fit.low.z, fit.high.x, fit.high.y, fit.high.z};
    for (qsizetype i = 0; i < found.size(); ++i)
        QCOMPARE_LE(std::abs(found[i] - bounds[i]), 1e-9);
}

void TestPreview::softDiscFadesOutToItsRadius_data()
{
    QTest::addColumn<BlendPath>("path");
    QTest::addColumn<double>("distance"); // from the centre, in radii
    QTest::addColumn<int>("alpha");       // of a disc of opacity 1, give or take 4
    addPathRows("centre", 0.0, 255);
    addPathRows("core", 0.4, 255);
    addPathRows("half way out", 0.725, 128);
    addPathRows("near the edge", 0.95, 23);
    addPathRows("beyond", 1.05, 0);
}

void TestPreview::softDiscFadesOutToItsRadius()
{
    QFETCH(BlendPath, path);
    const BlendingWith blending(path);
    if (!blending.runs())
        QSKIP("This program or processor does not have the path");
    QFETCH(double, distance);
    QFETCH(int, alpha);
    QImage image(200, 200, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const double radius = 80;
    blendSoftDisc(image, {100, 100}, radius, {1, 0.5, 0, 1});
    const int x = 100 + int(std::floor(distance * radius));
    const QRgb pixel = image.pixel(x, 100);
    QCOMPARE_LE(std::abs(qAlpha(pixel) - alpha), 4);
    // The colour stays the colour at every opacity: red full, green half, blue none.
    QCOMPARE_LE(std::abs(qRed(pixel) - qAlpha(pixel)), 1);
    QCOMPARE_LE(std::abs(2 * qGreen(pixel) - qAlpha(pixel)), 2);
    QCOMPARE(qBlue(pixel), 0);
    // Round: the same at the same distance in any direction.
    const QRgb above = image.pixel(100, 100 - int(std::floor(distance * radius)) - 1);
    QCOMPARE_LE(std::abs(qAlpha(above) - qAlpha(pixel)), 8);
}

void TestPreview::laterDiscCoversEarlierOne_data()
{
    QTest::addColumn<BlendPath>("path");
    addPathRows("one disc over another");
}

void TestPreview::laterDiscCoversEarlierOne()
{
    QFETCH(BlendPath, path);
    const BlendingWith blending(path);
    if (!blending.runs())
        QSKIP("This program or processor does not have the path");
    QImage image(40, 40, QImage::Format_ARGB32_Premultiplied);
    image.fill(qRgb(0, 0, 255));
    blendSoftDisc(image, {20, 20}, 15, {1, 0, 0, 1});
    QCOMPARE(image.pixel(20, 20), qRgb(255, 0, 0));
    // Half transparent over red gives half green, half red.
    blendSoftDisc(image, {20, 20}, 15, {0, 1, 0, 0.5});
    const QRgb mixed = image.pixel(20, 20);
    QCOMPARE_LE(std::abs(qRed(mixed) - 128), 1);
    QCOMPARE_LE(std::abs(qGreen(mixed) - 128), 1);
    QCOMPARE(qAlpha(mixed), 255);
    // Outside both discs the background stays.
    QCOMPARE(image.pixel(1, 1), qRgb(0, 0, 255));
    // A disc smaller than a pixel tints its pixel by its area; one beyond the image does nothing.
    blendSoftDisc(image, {2.5, 2.5}, 0.4, {1, 1, 1, 1});
    const int tint = qRed(image.pixel(2, 2));
    QVERIFY(tint > 100 && tint < 160);
    const QImage before = image;
    blendSoftDisc(image, {-30, 20}, 10, {1, 1, 1, 1});
    blendSoftDisc(image, {20, 1e300}, 1e300, {1, 1, 1, 1});
    blendSoftDisc(image, {20, 20}, std::nan(""), {1, 1, 1, 1});
    QCOMPARE(image, before);
}

void TestPreview::layerIsCoarserForLargeDiscs_data()
{
    QTest::addColumn<double>("meanRadius");
    QTest::addColumn<int>("factor");
    QTest::newRow("dots") << 1.0 << 1;
    QTest::newRow("small") << 11.9 << 1;
    QTest::newRow("medium") << 12.0 << 2;
    QTest::newRow("large") << 24.0 << 4;
    QTest::newRow("huge") << 1e6 << 4;
}

void TestPreview::layerIsCoarserForLargeDiscs()
{
    QFETCH(double, meanRadius);
    QFETCH(int, factor);
    QCOMPARE(layerFactor(meanRadius), factor);
}

void TestPreview::discOverAnyBackgroundIsSourceOver_data()
{
    QTest::addColumn<BlendPath>("path");
    QTest::addColumn<double>("radius");
    QTest::addColumn<QPointF>("centre");
    addPathRows("a few pixels", 1.3, QPointF(20.2, 17.9));
    addPathRows("rows shorter and longer than a vector", 6.7, QPointF(31.5, 30.25));
    addPathRows("rows longer than a run", 47.0, QPointF(40.0, 33.0));
    addPathRows("cut by the left and top edges", 25.0, QPointF(3.0, -4.0));
    addPathRows("cut by the right and bottom edges", 30.0, QPointF(77.0, 63.0));
}

void TestPreview::discOverAnyBackgroundIsSourceOver()
{
    QFETCH(BlendPath, path);
    const BlendingWith blending(path);
    if (!blending.runs())
        QSKIP("This program or processor does not have the path");
    QFETCH(double, radius);
    QFETCH(QPointF, centre);
    // The disc alone, on clear, is the disc's own pixels; over a background of every colour and
    // opacity it must give what Qt's source over gives for those pixels, to the last bit.
    const Rgba colour{0.9, 0.35, 0.6, 0.7};
    QImage disc(80, 64, QImage::Format_ARGB32_Premultiplied);
    disc.fill(Qt::transparent);
    blendSoftDisc(disc, centre, radius, colour);
    QImage background(disc.size(), QImage::Format_ARGB32_Premultiplied);
    std::mt19937 random(7);
    for (int y = 0; y < background.height(); ++y)
        for (int x = 0; x < background.width(); ++x) {
            const int alpha = int(random() % 256);
            const auto channel = [&] { return int(random() % std::uint32_t(alpha + 1)); };
            background.setPixel(x, y, qRgba(channel(), channel(), channel(), alpha));
        }
    QImage expected = background;
    QPainter(&expected).drawImage(0, 0, disc);
    QImage blended = background;
    blendSoftDisc(blended, centre, radius, colour);
    QCOMPARE(blended, expected);
    QVERIFY(blended != background);
}

void TestPreview::discFollowsItsProfileToEveryPixel_data()
{
    QTest::addColumn<BlendPath>("path");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPointF>("centre");
    QTest::addColumn<double>("radius");
    addPathRows("smallest with a profile", QSize(9, 7), QPointF(3.3, 2.6), 0.75);
    addPathRows("a few pixels", QSize(11, 10), QPointF(5.1, 4.9), 2.4);
    addPathRows("image narrower than four pixels", QSize(3, 12), QPointF(1.7, 5.0), 5.0);
    addPathRows("image one pixel wide", QSize(1, 9), QPointF(0.2, 4.4), 3.0);
    addPathRows("at the right edge", QSize(17, 16), QPointF(14.2, 8.0), 6.5);
    addPathRows("an odd number of groups of four", QSize(30, 20), QPointF(11.6, 9.3), 5.2);
    addPathRows("cut on every side", QSize(37, 29), QPointF(20.0, 15.0), 40.0);
    addPathRows("wider than the image", QSize(6, 40), QPointF(3.1, 20.0), 18.0);
    addPathRows("a thousand pixels across", QSize(1100, 1100), QPointF(548.3, 551.7), 540.0);
}

void TestPreview::discFollowsItsProfileToEveryPixel()
{
    QFETCH(BlendPath, path);
    const BlendingWith blending(path);
    if (!blending.runs())
        QSKIP("This program or processor does not have the path");
    QFETCH(QSize, size);
    QFETCH(QPointF, centre);
    QFETCH(double, radius);
    // Opaque white on clear: every channel is the coverage. A pixel takes the profile's value at
    // the step of 1/32 of the squared radius its centre lies in; pixels within a hair of a step's
    // edge may take either step.
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    blendSoftDisc(image, centre, radius, {1, 1, 1, 1});
    const auto cover = [](double steps) {
        const double d = std::sqrt(std::floor(steps) / 32);
        return int(std::lround(255 * (d <= 0.45 ? 1.0 : std::max(0.0, 1 - (d - 0.45) / 0.55))));
    };
    int checked = 0;
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            const double dx = x + 0.5 - centre.x();
            const double dy = y + 0.5 - centre.y();
            const double steps = (dx * dx + dy * dy) / (radius * radius) * 32;
            if (std::abs(steps - std::round(steps)) < 0.01)
                continue;
            const int expected = steps >= 32 ? 0 : cover(steps);
            if (image.pixel(x, y) != qRgba(expected, expected, expected, expected))
                QFAIL(qPrintable(QStringLiteral("pixel %1, %2 is %3, not %4")
                                     .arg(x)
                                     .arg(y)
                                     .arg(qAlpha(image.pixel(x, y)))
                                     .arg(expected)));
            ++checked;
        }
    QVERIFY(checked * 5 >= size.width() * size.height() * 4);
}

void TestPreview::largeDiscHasNoSeams_data()
{
    QTest::addColumn<BlendPath>("path");
    QTest::addColumn<qreal>("ratio");
    addPathRows("one device pixel a pixel", qreal(1));
    addPathRows("two", qreal(2));
    addPathRows("three", qreal(3));
    addPathRows("one and a half", qreal(1.5));
}

void TestPreview::largeDiscHasNoSeams()
{
    QFETCH(BlendPath, path);
    const BlendingWith blending(path);
    if (!blending.runs())
        QSKIP("This program or processor does not have the path");
    QFETCH(qreal, ratio);
    // One disc 400 pixels across, drawn from a layer of a quarter of the view's resolution: down
    // its flat middle, every pixel is the disc's colour over what the view shows without it, the
    // same for the same background, with no row drawn twice or left out.
    ParticleValues values = floating();
    values.size = {8};
    values.colours = {{0.9, 0.3, 0.2, 0.6}};
    values.position = {0.13, 0, 0.21};
    const std::vector<Particle> disc{newParticle(values)};
    const Frame frame{{0, 0}, 50};
    const QSize size(400, 600);
    ViewImage empty;
    ViewImage drawn;
    paintViewImage(empty, size, ratio, QFont(), frame, Plane::Side, {});
    paintViewImage(drawn, size, ratio, QFont(), frame, Plane::Side, disc);
    const int x = int(std::lround((200 + 0.13 * 50 + 30) * ratio));
    const int middle = int(std::lround((300 - 0.21 * 50) * ratio));
    const int reach = int(0.4 * 200 * ratio);
    std::map<QRgb, QRgb> over;
    int rows = 0;
    for (int y = middle - reach; y <= middle + reach; ++y) {
        const QRgb background = empty.image.pixel(x, y);
        const QRgb pixel = drawn.image.pixel(x, y);
        QVERIFY(pixel != background);
        const auto [known, added] = over.emplace(background, pixel);
        if (!added)
            QCOMPARE(pixel, known->second);
        ++rows;
    }
    QVERIFY(rows > int(150 * ratio));
}

void TestPreview::repaintedViewIsTheFreshPicture_data()
{
    // A view painted once and then again with the second particles, frame and ratio.
    QTest::addColumn<BlendPath>("path");
    QTest::addColumn<Vec3>("first");
    QTest::addColumn<Vec3>("second");
    QTest::addColumn<double>("secondScale");
    QTest::addColumn<qreal>("secondRatio");
    addPathRows("particles moved", Vec3{-2, 0, 1}, Vec3{2.5, 0, -1}, 40.0, qreal(1));
    addPathRows("particles in the same place", Vec3{1, 0, 1}, Vec3{1, 0, 1}, 40.0, qreal(1));
    addPathRows("particles gone from the view", Vec3{0, 0, 0}, Vec3{90, 0, 0}, 40.0, qreal(1));
    addPathRows("zoomed", Vec3{0, 0, 0}, Vec3{0.5, 0, 0}, 55.0, qreal(1));
    addPathRows("on a screen of twice the pixels", Vec3{0, 0, 0}, Vec3{0.5, 0, 0}, 40.0, qreal(2));
}

void TestPreview::repaintedViewIsTheFreshPicture()
{
    QFETCH(BlendPath, path);
    const BlendingWith blending(path);
    if (!blending.runs())
        QSKIP("This program or processor does not have the path");
    QFETCH(Vec3, first);
    QFETCH(Vec3, second);
    QFETCH(double, secondScale);
    QFETCH(qreal, secondRatio);
    // A cloud of soft discs, large enough for a coarse layer.
    const auto cloud = [](Vec3 at) {
        std::vector<Particle> particles;
        for (int i = 0; i < 40; ++i) {
            ParticleValues values = floating();
            values.size = {1.5 + 0.05 * i};
            values.colours = {{0.2, 0.5 + 0.01 * i, 0.9, 0.5}};
            values.position = {at.x + 0.07 * i, at.y, at.z + std::sin(i) * 0.6};
            particles.push_back(newParticle(values));
        }
        return particles;
    };
    const QSize size(240, 180);
    ViewImage view;
    paintViewImage(view, size, 1, QFont(), {{0, 0}, 40}, Plane::Side, cloud(first));
    paintViewImage(view, size, secondRatio, QFont(), {{0, 0}, secondScale}, Plane::Side, cloud(second));
    ViewImage fresh;
    paintViewImage(fresh, size, secondRatio, QFont(), {{0, 0}, secondScale}, Plane::Side, cloud(second));
    QCOMPARE(view.image, fresh.image);
}

void TestPreview::everyPathBlendsThePlainPixels_data()
{
    QTest::addColumn<BlendPath>("path");
    addPathRows("random discs over a random background");
}

void TestPreview::everyPathBlendsThePlainPixels()
{
    QFETCH(BlendPath, path);
    // Discs of every size from a dot to wider than the image, anywhere on it and beyond its edges,
    // of every colour and opacity, over a background of every colour and opacity: the path gives
    // the plain path's pixels to the last bit, whatever their number of groups of four.
    QImage background(151, 97, QImage::Format_ARGB32_Premultiplied);
    std::mt19937 random(11);
    for (int y = 0; y < background.height(); ++y)
        for (int x = 0; x < background.width(); ++x) {
            const int alpha = int(random() % 256);
            const auto channel = [&] { return int(random() % std::uint32_t(alpha + 1)); };
            background.setPixel(x, y, qRgba(channel(), channel(), channel(), alpha));
        }
    std::uniform_real_distribution<double> unit(0, 1);
    struct Disc {
        QPointF centre;
        double radius;
        Rgba colour;
    };
    std::vector<Disc> discs;
    for (int i = 0; i < 600; ++i) {
        const double radius = 0.3 * std::pow(600.0, unit(random));
        discs.push_back({{unit(random) * 191 - 20, unit(random) * 137 - 20},
                         radius,
                         {unit(random), unit(random), unit(random), unit(random)}});
    }
    const auto blended = [&](BlendPath with) {
        const BlendingWith blending(with);
        QImage image = background;
        for (const Disc &disc : discs)
            blendSoftDisc(image, disc.centre, disc.radius, disc.colour);
        return image;
    };
    const std::vector<BlendPath> paths = blendPaths();
    if (std::find(paths.cbegin(), paths.cend(), path) == paths.cend())
        QSKIP("This program or processor does not have the path");
    const QImage plain = blended(BlendPath::Plain);
    QVERIFY(plain != background);
    QCOMPARE(blended(path), plain);
}

void TestPreview::fastestPathIsTaken()
{
    // Unless a test chose another, the discs are blended with the fastest path the program and
    // processor have: AVX2 on an x86-64 processor that has it, which the processor tells.
    const std::vector<BlendPath> paths = blendPaths();
    QCOMPARE(paths.front(), BlendPath::Plain);
    QCOMPARE(blendPath(), paths.back());
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    QVERIFY(std::find(paths.cbegin(), paths.cend(), BlendPath::Sse2) != paths.cend());
    unsigned eax = 0;
    unsigned ebx = 0;
    unsigned ecx = 0;
    unsigned edx = 0;
    __cpuid_count(1, 0, eax, ebx, ecx, edx);
    // AVX2 runs where the processor has it and the system saves the vector registers' upper halves.
    bool avx2 = (ecx & bit_OSXSAVE) != 0 && (ecx & bit_AVX) != 0;
    if (avx2) {
        unsigned low = 0;
        unsigned high = 0;
        asm volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
        __cpuid_count(7, 0, eax, ebx, ecx, edx);
        avx2 = (low & 6) == 6 && (ebx & bit_AVX2) != 0;
    }
    QCOMPARE(paths.back() == BlendPath::Avx2, avx2);
#endif
}

void TestPreview::viewsPaintedTogetherAreEachPaintedAlone_data()
{
    QTest::addColumn<int>("threads");
    QTest::addColumn<qreal>("ratio");
    QTest::newRow("one thread") << 1 << qreal(1);
    QTest::newRow("two threads") << 2 << qreal(1);
    QTest::newRow("two threads, twice the pixels") << 2 << qreal(2);
    QTest::newRow("two threads, a ratio without bands") << 2 << qreal(1.5);
    QTest::newRow("three threads") << 3 << qreal(1);
}

void TestPreview::viewsPaintedTogetherAreEachPaintedAlone()
{
    QFETCH(int, threads);
    QFETCH(qreal, ratio);
    // A column of soft discs over many bands of rows, moving from frame to frame, in views that
    // change size on the way, last to the same pixels at twice the ratio: painted together on the
    // pool, each view is the picture it is painted alone, whichever thread drew which of its bands.
    std::vector<Particle> particles;
    for (int i = 0; i < 300; ++i) {
        ParticleValues values = floating();
        values.size = {0.8 + 0.01 * (i % 40)};
        values.colours = {{0.3 + 0.002 * i, 0.6, 0.9, 0.4}};
        values.position = {std::sin(i) * 1.5, std::cos(i) * 1.5, 0.05 * i - 7};
        particles.push_back(newParticle(values));
    }
    PaintPool pool(threads);
    ViewImage side;
    ViewImage top;
    const std::pair<QSize, qreal> steps[] = {
        {{300, 500}, ratio}, {{300, 500}, ratio}, {{260, 420}, ratio}, {{130, 210}, 2 * ratio}};
    for (const auto &[size, viewRatio] : steps) {
        for (Particle &particle : particles)
            particle.position.x += 0.1;
        const Frame frame{{0, 0}, 30};
        const std::array<ViewToPaint, 2> views{{{&side, size, viewRatio, QFont(), frame, Plane::Side, &particles},
                                                {&top, size, viewRatio, QFont(), frame, Plane::Top, &particles}}};
        paintViewImages(views, pool);
        for (const ViewToPaint &painted : views) {
            ViewImage alone;
            paintViewImage(alone, size, viewRatio, QFont(), frame, painted.plane, particles);
            QCOMPARE(painted.view->image, alone.image);
        }
    }
}

void TestPreview::poolRunsEveryJobOnce_data()
{
    QTest::addColumn<int>("threads");
    QTest::addColumn<int>("jobs");
    QTest::addColumn<int>("pause"); // milliseconds between batches
    QTest::newRow("one thread") << 1 << 5 << 0;
    QTest::newRow("two threads, two views") << 2 << 2 << 0;
    QTest::newRow("two threads, more jobs") << 2 << 7 << 0;
    QTest::newRow("three threads, one job") << 3 << 1 << 0;
    QTest::newRow("no jobs") << 2 << 0 << 0;
    // Long enough for the helpers to stop watching and sleep between the batches.
    QTest::newRow("two threads, asleep between batches") << 2 << 3 << 2;
    QTest::newRow("three threads, asleep between batches") << 3 << 4 << 2;
}

void TestPreview::poolRunsEveryJobOnce()
{
    QFETCH(int, threads);
    QFETCH(int, jobs);
    QFETCH(int, pause);
    PaintPool pool(threads);
    QCOMPARE(pool.threadCount(), threads);
    // Batch after batch on the same threads: every job once, and all done when run() returns.
    for (int batch = 0; batch < 50; ++batch) {
        std::this_thread::sleep_for(std::chrono::milliseconds(pause));
        std::vector<std::atomic<int>> runs(std::size_t(jobs) + 1);
        std::vector<std::function<void()>> work;
        work.reserve(std::size_t(jobs));
        for (int i = 0; i < jobs; ++i)
            work.emplace_back([&runs, i] { ++runs[std::size_t(i)]; });
        pool.run(work);
        for (int i = 0; i < jobs; ++i)
            QCOMPARE(runs[std::size_t(i)].load(), 1);
    }
}

void TestPreview::poolOfOneThreadRunsOnTheCaller()
{
    QCOMPARE(PaintPool(0).threadCount(), 1);
    PaintPool pool(1);
    const std::thread::id caller = std::this_thread::get_id();
    std::vector<std::thread::id> ran;
    std::vector<std::function<void()>> work;
    work.reserve(3);
    for (int i = 0; i < 3; ++i)
        work.emplace_back([&ran] { ran.push_back(std::this_thread::get_id()); });
    pool.run(work);
    QCOMPARE(ran, std::vector<std::thread::id>(3, caller));
    QVERIFY(PaintPool::defaultThreadCount() == 1 || PaintPool::defaultThreadCount() == 2);
}

void TestPreview::poolPassesOnAFailureAfterTheOtherJobs()
{
    PaintPool pool(2);
    std::atomic<int> done = 0;
    const std::vector<std::function<void()>> work{[] { throw std::runtime_error("no memory for the image"); },
                                                  [&done] {
                                                      std::this_thread::sleep_for(std::chrono::milliseconds(20));
                                                      ++done;
                                                  }};
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, pool.run(work));
    QCOMPARE(done.load(), 1);
    // The pool goes on working after a failure.
    pool.run({work.begin() + 1, work.end()});
    QCOMPARE(done.load(), 2);
}

void TestPreview::windowFitsTheScreen_data()
{
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QMargins>("frame");
    QTest::addColumn<QRect>("window");

    // The preview's own sizes: the one it asks for and the least it can be made.
    const QMargins titleBar(1, 29, 1, 1);
    QTest::newRow("laptop 1366x768, a taskbar below") << QRect(0, 0, 1366, 740) << titleBar << QRect(1, 29, 1364, 710);
    QTest::newRow("1280x1024, wide enough for the height")
        << QRect(0, 0, 1280, 1024) << titleBar << QRect(1, 54, 1278, 944);
    QTest::newRow("1920x1080, centred") << QRect(0, 0, 1920, 1080) << titleBar << QRect(218, 82, 1483, 944);
    QTest::newRow("a second screen, no frame") << QRect(1920, 0, 1366, 768) << QMargins() << QRect(1920, 0, 1366, 768);
    QTest::newRow("smaller than the minimum: the corner")
        << QRect(0, 0, 800, 600) << titleBar << QRect(1, 29, 963, 570);
    QTest::newRow("smaller than the minimum both ways") << QRect(0, 0, 640, 380) << titleBar << QRect(1, 29, 963, 400);
}

void TestPreview::windowFitsTheScreen()
{
    QFETCH(QRect, available);
    QFETCH(QMargins, frame);
    QFETCH(QRect, window);
    QCOMPARE(fitWindow(QSize(1483, 944), QSize(963, 400), frame, available), window);
}

QTEST_MAIN(TestPreview)
#include "tst_preview.moc"
