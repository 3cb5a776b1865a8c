#include "frames.h"

#include <algorithm>
#include <cmath>

// The model of the frames, unconfirmed beyond the documented cases:
// - A run starts at the first cell of its row and runs on across rows, row by row (the vanilla
//   runs of 32, 48 and 80 frames only fit this reading).
// - The later games' speed is in cycles a second; the phase is its integral over the age, and the
//   frame ⌊phase × frameCount⌋, so that speed 1000 with loop 0 shows the last frame at once, the
//   documented way to pick one frame of a row.
// - The old game interpolates its phase list over the life and wraps the frame round once.
// - Authors write ntieth 8 on a 16 × 16 sheet, frameCount 0 and loop values such as 8: a run is
//   kept within its sheet rather than refused, and any loop value but 0 loops.

namespace effect {
namespace {

constexpr int kMostCells = 64; // a side of more cells than this is no sheet a particle uses

int whole(double value, int fallback)
{
    if (!std::isfinite(value))
        return fallback;
    return int(std::clamp(std::trunc(value), -1e9, 1e9));
}

// A value of the list at the fraction f of the life, in a straight line between its points.
double interpolated(const std::vector<double> &values, double f)
{
    if (values.empty())
        return 0;
    if (values.size() == 1)
        return values.front();
    const double at = std::clamp(f, 0.0, 1.0) * double(values.size() - 1);
    const std::size_t i = std::min(std::size_t(at), values.size() - 2);
    return values[i] + (values[i + 1] - values[i]) * (at - double(i));
}

} // namespace

SheetRun sheetRun(double ntieth, double index, double frameCount, double loop)
{
    SheetRun run;
    run.ntieth = std::clamp(whole(ntieth, 1), 1, kMostCells);
    run.index = std::clamp(whole(index, 0), 0, run.ntieth - 1);
    const int cellsLeft = (run.ntieth - run.index) * run.ntieth;
    run.frameCount = std::clamp(whole(frameCount, 1), 1, cellsLeft);
    run.loop = !std::isfinite(loop) || whole(loop, 1) != 0;
    return run;
}

double animationPhase(const std::vector<double> &speeds, double lifeTime, double age)
{
    if (speeds.empty() || !(lifeTime > 0) || !(age > 0))
        return 0;
    const double until = std::min(age, lifeTime);
    if (speeds.size() == 1)
        return speeds.front() * until;
    // Trapezoids between the points, the last one cut at the age.
    const double span = lifeTime / double(speeds.size() - 1);
    double phase = 0;
    for (std::size_t i = 0; i + 1 < speeds.size(); ++i) {
        const double from = double(i) * span;
        if (from >= until)
            break;
        const double to = std::min(from + span, until);
        const double endSpeed = speeds[i] + (speeds[i + 1] - speeds[i]) * (to - from) / span;
        phase += (speeds[i] + endSpeed) / 2 * (to - from);
    }
    return phase;
}

int runFrame(const SheetRun &run, double phase)
{
    if (!(phase > 0))
        return 0;
    const double frame = std::floor(std::min(phase, 1e12) * run.frameCount);
    if (!run.loop)
        return int(std::min(frame, double(run.frameCount - 1)));
    return int(std::fmod(frame, double(run.frameCount)));
}

int sheetCell(const SheetRun &run, int frame)
{
    const int last = run.ntieth * run.ntieth - 1;
    return std::clamp(run.index * run.ntieth + std::clamp(frame, 0, run.frameCount - 1), 0, last);
}

int oldGameFrame(const std::vector<double> &phases, double lifeTime, double age, int frames)
{
    if (frames <= 1 || !(lifeTime > 0))
        return 0;
    const double phase = interpolated(phases, age / lifeTime);
    if (!std::isfinite(phase) || phase <= 0)
        return 0;
    int frame = int(std::floor(std::min(phase, 1e6) * frames));
    if (frame >= frames)
        frame -= frames;
    return std::clamp(frame, 0, frames - 1);
}

QString shapeKey(const QString &file)
{
    QString key = file.trimmed().toLower();
    key.replace(QLatin1Char('/'), QLatin1Char('\\'));
    key = key.section(QLatin1Char('\\'), -1);
    if (key.endsWith(QLatin1String(".p3d")))
        key.chop(4);
    return key;
}

StandardShape standardShape(const QString &file)
{
    struct Named {
        const char *key;
        StandardSheet sheet;
        Look look;
    };
    static const Named shapes[] = {
        {"universal", StandardSheet::Universal, Look::Smoke}, {"universal_02", StandardSheet::Smoke8, Look::Smoke},
        {"smokeanim", StandardSheet::Smoke8, Look::Smoke},    {"cl_basic", StandardSheet::Single, Look::Smoke},
        {"cl_fire", StandardSheet::Single, Look::Flame},      {"cl_fired", StandardSheet::Single, Look::Flame},
        {"cl_exp", StandardSheet::Single, Look::Spark},       {"blesk1", StandardSheet::Single, Look::Spark},
        {"koulesvetlo", StandardSheet::Single, Look::Glow},   {"koule", StandardSheet::Single, Look::Glow},
        {"volumelight", StandardSheet::Single, Look::Glow},   {"cl_water", StandardSheet::Single, Look::Drop},
        {"refract", StandardSheet::Single, Look::Shimmer},    {"pstone", StandardSheet::Single, Look::Debris},
        {"shard", StandardSheet::Single, Look::Debris},       {"glassparts", StandardSheet::Single, Look::Debris},
    };
    const QString key = shapeKey(file);
    for (const Named &shape : shapes)
        if (key == QLatin1String(shape.key))
            return {shape.sheet, shape.look};
    return {};
}

Look universalCellLook(int cell)
{
    struct Cells {
        int first;
        int last;
        Look look;
    };
    static const Cells cells[] = {
        {0, 111, Look::Fireball}, {112, 159, Look::Smoke}, {160, 191, Look::Flame}, {192, 199, Look::Smoke},
        {200, 200, Look::Debris}, {201, 204, Look::Dust},  {207, 207, Look::Spark}, {208, 208, Look::Blood},
        {209, 209, Look::Spark},  {210, 212, Look::Glow},  {213, 223, Look::Drop},  {224, 239, Look::Glow},
        {240, 255, Look::Drop},
    };
    for (const Cells &run : cells)
        if (cell >= run.first && cell <= run.last)
            return run.look;
    return Look::Disc;
}

} // namespace effect
