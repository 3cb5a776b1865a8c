#pragma once

#include "effect/particles.h"
#include "effect/simulation.h"
#include "paintpool.h"

#include <QFont>
#include <QImage>
#include <QPointF>
#include <QSizeF>
#include <QString>

#include <optional>
#include <span>
#include <vector>

namespace preview {

// The side view looks along y (x to the right, the height z up); the top view looks down (x to
// the right, y up).
enum class Plane { Side, Top };

// Which metres a view shows: the point at its centre and the pixels per metre.
struct Frame {
    QPointF centre;
    double scale = 50;
};

// The view's two coordinates of a point.
QPointF planeCoordinates(const effect::Vec3 &at, Plane plane);

// The pixels per metre at which the bounds fit into both views with a margin, and each view's
// frame centred on them.
double fitScale(const effect::Bounds &bounds, const QSizeF &side, const QSizeF &top);
Frame fitFrame(const effect::Bounds &bounds, Plane plane, double scale);

// The label of the grid line at `value` for lines `step` apart: as many decimals as the step
// needs, or compact (1e+308) where that would be long.
QString gridLabel(double value, double step);

// The ways the discs are blended: plain C++ on any processor, SSE2 four pixels at a time on any
// x86-64 processor, AVX2 eight at a time where the processor has it. Each gives the same pixels.
// The fastest this program and processor have is chosen when the first disc is blended.
enum class BlendPath { Plain, Sse2, Avx2 };

// The paths this program has and this processor can run, the fastest last.
std::vector<BlendPath> blendPaths();
// The path the discs are blended with.
BlendPath blendPath();
// For tests only, which run the painting on every path: blends the discs with `path` from now on,
// on every thread, if the processor can run it; returns whether it can.
bool setBlendPathForTests(BlendPath path);

// Blends one soft disc into a premultiplied ARGB32 image: full colour out to 0.45 of the radius,
// then fading linearly to clear at the radius. A disc smaller than a pixel adds its colour to the
// pixel it stands on, weighted by its area.
void blendSoftDisc(QImage &image, QPointF centre, double radius, const effect::Rgba &colour);

// How many view pixels one pixel of the particles' layer stands for: 1, 2 or 4, so that discs of
// the given mean radius in view pixels keep about six layer pixels of radius.
int layerFactor(double meanRadius);

// A view painted into an image of its own, so that the two views can be painted on separate
// threads at the same time.
struct ViewImage {
    QImage image; // opaque, in device pixels, with their ratio set
    QImage layer; // the discs' layer, kept from frame to frame

    // What the view shows without particles, and what it was painted for.
    struct Background {
        QSize size;
        qreal ratio;
        QPointF centre;
        double scale;
        Plane plane;
        QFont font;
        bool night;
        bool operator==(const Background &) const = default;
    };
    QImage background;
    std::optional<Background> kept;
    QRect drawn; // the device pixels of image that the particles were drawn into

    // Where the layer goes once its discs are blended: its covered part smoothly scaled to the
    // target, in bands of rows, each of which draws the pixels the whole drawing would there.
    struct LayerDrawing {
        QRectF area; // the view, in logical pixels
        QRect covered;
        QRectF target;
        bool smooth;
        int band;      // logical rows in a band; 0 draws the whole at once
        int top;       // the row the bands are counted from
        int firstBand; // the band of the target's top, counted from there
        int bands;
    };
    std::optional<LayerDrawing> layerDrawing;
    // A second image over image's pixels, for a second thread to draw bands into at the same time;
    // made again whenever image's pixels move.
    QImage alongside;
};

// A light as the views draw it: a glow in its colour around its position, fading out to its
// radius, and by night its flare.
struct Glow {
    effect::Vec3 at;
    QColor colour;     // the light's hue at the glow's strength in its alpha
    double radius = 0; // metres
    // The glow's alpha at evenly spaced distances from the centre (0) to the radius (the last,
    // 0), as fractions of the colour's alpha.
    std::vector<double> profile;
    bool flare = false;
    double flareSize = 1; // the flare's radius in units of kFlarePixels
};
inline constexpr double kFlarePixels = 14;

// What the views show beside the particles: the lights and whether it is night.
struct Lights {
    std::vector<Glow> glows;
    bool night = false;
};

// The glows of the simulation's lights that are on: by day only those with day light and without
// flares, by night all with their flares. A light's alpha follows its intensity now
// (effect::glowStrength), its profile its falloff as the eye reads a light's fading: by its
// logarithm, from whole at the falloff's top to nothing at the glow's fraction.
Lights lightsOf(const effect::Simulation &simulation, bool night);

// Paints the view of `size` logical pixels at the device pixel ratio into view.image: background,
// metre grid with labels in the font (darker by night), the object's marker at the origin, the
// lights' glows and flares added on, then the particles as soft
// discs, the oldest first. The discs are blended into view.layer, at a lower resolution when they
// are large, and the layer is drawn over the grid, smoothly scaled. The background, grid and labels
// are painted only when the size, ratio, frame, plane or font change; otherwise the part the
// particles took is put back from the kept background before they are drawn again.
void paintViewImage(ViewImage &view, QSize size, qreal ratio, const QFont &font, const Frame &frame, Plane plane,
                    const std::vector<effect::Particle> &particles, const Lights &lights = {});

// A view for paintViewImages(), with what paintViewImage() takes.
struct ViewToPaint {
    ViewImage *view;
    QSize size;
    qreal ratio;
    QFont font;
    Frame frame;
    Plane plane;
    const std::vector<effect::Particle> *particles;
    const Lights *lights = nullptr; // none: no lights, by day
};

// Paints the views as paintViewImage() paints each, at the same time on the pool: the discs of
// each view on a thread of their own, then the layers drawn band by band on every thread.
void paintViewImages(std::span<const ViewToPaint> views, PaintPool &pool);

} // namespace preview
