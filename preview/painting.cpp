#include "painting.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>

namespace preview {
namespace {

const QColor kBackground(0x5f, 0x6e, 0x7e);
const QColor kGridLine(255, 255, 255, 40);
const QColor kGround(0xc8, 0xb0, 0x80, 200);
const QColor kLabel(255, 255, 255, 190);
const QColor kMarker(0xff, 0xd0, 0x40);

} // namespace

QString gridLabel(double value, double step)
{
    // Enough decimals for the step, no more: 0.25 m steps print 0.25, 10 m steps print 10. Very
    // large or very fine values go compact, 1e+308 rather than three hundred digits.
    const int decimals = step >= 1 ? 0 : int(std::ceil(-std::log10(step) - 1e-9));
    const double shown = std::abs(value) < step / 1000 ? 0.0 : value;
    if (decimals <= 4 && std::abs(shown) < 1e6)
        return QString::number(shown, 'f', decimals);
    return QString::number(shown, 'g', 3);
}

namespace {

// The soft disc's coverage (0 to 255) by the squared distance from the centre in radii, in steps
// of 1/32: 255 out to 0.45 of the radius, then falling linearly to 0 at the radius. The steps are
// finer than the layer's pixels show once the layer is scaled up.
constexpr int kProfileSteps = 32;
const std::array<quint8, kProfileSteps + 1> &discProfile()
{
    static const std::array<quint8, kProfileSteps + 1> profile = [] {
        std::array<quint8, kProfileSteps + 1> table{};
        for (int i = 0; i <= kProfileSteps; ++i) {
            const double d = std::sqrt(double(i) / kProfileSteps);
            const double cover = d <= 0.45 ? 1.0 : std::max(0.0, 1 - (d - 0.45) / 0.55);
            table[std::size_t(i)] = quint8(std::lround(cover * 255));
        }
        return table;
    }();
    return profile;
}

// The four channels of a premultiplied pixel times a / 255, each rounded: the channels spread
// into the four 16-bit lanes of one 64-bit number, so that one multiplication serves them all.
quint32 byteMul(quint32 x, quint32 a)
{
    constexpr quint64 kLanes = 0x00ff00ff00ff00ffull;
    quint64 t = ((quint64(x) | quint64(x) << 24) & kLanes) * a;
    t = ((t + ((t >> 8) & kLanes) + 0x0080008000800080ull) >> 8) & kLanes;
    return quint32(t | t >> 24);
}

// Source over: the pixel of the disc (premultiplied) over what is there.
void blendPixel(quint32 &target, quint32 source)
{
    target = source + byteMul(target, 255 - (source >> 24));
}

// A pixel position from 0 to count - 1, for coordinates of any size.
int pixelWithin(double at, int count)
{
    return at > 0 ? int(std::min(at, double(std::max(0, count - 1)))) : 0;
}

quint32 premultiplied(const Rgba &colour, double weight)
{
    const double a = std::clamp(colour.a * weight, 0.0, 1.0);
    const auto channel = [a](double c) { return quint32(std::lround(std::clamp(c, 0.0, 1.0) * a * 255)); };
    return channel(1) << 24 | channel(colour.r) << 16 | channel(colour.g) << 8 | channel(colour.b);
}

} // namespace

void blendSoftDisc(QImage &image, QPointF centre, double radius, const Rgba &colour)
{
    if (image.format() != QImage::Format_ARGB32_Premultiplied || !(radius > 0) || !(colour.a > 0))
        return;
    const int width = image.width();
    const int height = image.height();
    const double cx = centre.x();
    const double cy = centre.y();
    if (!(cx + radius > 0 && cx - radius < width && cy + radius > 0 && cy - radius < height))
        return;
    if (radius < 0.75) {
        // Too small for its profile: its colour goes to the one pixel, weighted by the disc's area.
        const int x = int(std::floor(cx));
        const int y = int(std::floor(cy));
        if (x >= 0 && x < width && y >= 0 && y < height)
            blendPixel(reinterpret_cast<quint32 *>(image.scanLine(y))[x],
                       premultiplied(colour, std::min(1.0, 3.14159 * radius * radius)));
        return;
    }
    const quint32 full = premultiplied(colour, 1);
    if (full == 0)
        return;
    // The disc's pixel for each step of the profile.
    std::array<quint32, kProfileSteps + 1> source{};
    const auto &profile = discProfile();
    for (std::size_t i = 0; i < source.size(); ++i)
        source[i] = profile[i] == 255 ? full : byteMul(full, profile[i]);
    const double scale = kProfileSteps / (radius * radius);
    const int top = pixelWithin(std::floor(cy - radius), height);
    const int bottom = pixelWithin(std::ceil(cy + radius), height);
    for (int y = top; y <= bottom; ++y) {
        const double dy = y + 0.5 - cy;
        const double reach = radius * radius - dy * dy;
        if (!(reach > 0 && std::isfinite(reach)))
            continue;
        const double half = std::sqrt(reach);
        const int left = pixelWithin(std::ceil(cx - half - 0.5), width);
        const int right = pixelWithin(std::floor(cx + half - 0.5), width);
        if (left > right)
            continue;
        auto *line = reinterpret_cast<quint32 *>(image.scanLine(y));
        // The squared distance in profile steps as a 16.16 fixed-point number, carried from pixel
        // to pixel by its differences; within the row's span it stays below kProfileSteps + 1.
        const double dx = left + 0.5 - cx;
        constexpr double kOne = 65536;
        auto q = qint64(std::lround((dx * dx + dy * dy) * scale * kOne));
        auto dq = qint64(std::lround((2 * dx + 1) * scale * kOne));
        const auto ddq = qint64(std::lround(2 * scale * kOne));
        for (int x = left; x <= right; ++x) {
            const auto step = std::size_t(std::clamp<qint64>(q >> 16, 0, kProfileSteps));
            q += dq;
            dq += ddq;
            blendPixel(line[x], source[step]);
        }
    }
}

int layerFactor(double meanRadius)
{
    if (meanRadius >= 24)
        return 4;
    if (meanRadius >= 12)
        return 2;
    return 1;
}

QPointF planeCoordinates(const Vec3 &at, Plane plane)
{
    return plane == Plane::Side ? QPointF(at.x, at.z) : QPointF(at.x, at.y);
}

double fitScale(const Bounds &bounds, const QSizeF &side, const QSizeF &top)
{
    // At least a metre across, so that a particle standing still still gets a readable view.
    const double width = std::max(1.0, bounds.high.x - bounds.low.x) * 1.2;
    const double height = std::max(1.0, bounds.high.z - bounds.low.z) * 1.2;
    const double depth = std::max(1.0, bounds.high.y - bounds.low.y) * 1.2;
    const double scale =
        std::min({side.width() / width, side.height() / height, top.width() / width, top.height() / depth});
    return std::isfinite(scale) && scale > 0 ? scale : 1e-6;
}

Frame fitFrame(const Bounds &bounds, Plane plane, double scale)
{
    const QPointF low = planeCoordinates(bounds.low, plane);
    const QPointF high = planeCoordinates(bounds.high, plane);
    return {(low + high) / 2, scale};
}

void paintView(QPainter &painter, const QRectF &area, const Frame &frame, Plane plane,
               const std::vector<Particle> &particles, QImage &layer)
{
    painter.save();
    painter.setClipRect(area);
    painter.fillRect(area, kBackground);
    const QPointF middle = area.center();
    const auto toPixels = [&](QPointF at) {
        return QPointF(middle.x() + (at.x() - frame.centre.x()) * frame.scale,
                       middle.y() - (at.y() - frame.centre.y()) * frame.scale);
    };
    const double halfWidth = area.width() / 2 / frame.scale;
    const double halfHeight = area.height() / 2 / frame.scale;
    const double step = gridStep(std::max(halfWidth, halfHeight) * 2);

    painter.setRenderHint(QPainter::Antialiasing, false);
    // Counted in whole steps, so that the line at 0 is exactly 0; every `labelled`-th line is
    // labelled. Where the step count leaves the exact range of a double, the lines would not be
    // told apart anyway: none are drawn.
    const auto lines = [&](double from, double to, int labelled, auto draw) {
        if (!(std::abs(from / step) < 1e15 && std::abs(to / step) < 1e15))
            return;
        const auto first = static_cast<long long>(std::ceil(from / step));
        const auto last = static_cast<long long>(std::floor(to / step));
        for (long long k = first; k <= last; ++k)
            draw(double(k) * step, k % labelled == 0);
    };
    // Labels at least their own size apart, so that long ones never run over each other.
    const double stepPixels = step * frame.scale;
    const QFontMetricsF metrics(painter.font());
    const auto every = [stepPixels](double labelSize) {
        const double needed = std::ceil((labelSize + 8) / std::max(stepPixels, 1e-9));
        return needed < 1000 ? std::max(1, int(needed)) : 1000;
    };
    const double widest = std::max(metrics.horizontalAdvance(gridLabel(frame.centre.x() - halfWidth, step)),
                                   metrics.horizontalAdvance(gridLabel(frame.centre.x() + halfWidth, step)));
    lines(frame.centre.x() - halfWidth, frame.centre.x() + halfWidth, every(widest), [&](double x, bool label) {
        const double px = toPixels({x, 0}).x();
        painter.setPen(kGridLine);
        painter.drawLine(QPointF(px, area.top()), QPointF(px, area.bottom()));
        painter.setPen(kLabel);
        if (label)
            painter.drawText(QPointF(px + 3, area.bottom() - 4), gridLabel(x, step));
    });
    lines(frame.centre.y() - halfHeight, frame.centre.y() + halfHeight, every(metrics.height()),
          [&](double y, bool label) {
              const double py = toPixels({0, y}).y();
              painter.setPen(y == 0 && plane == Plane::Side ? QPen(kGround, 2) : QPen(kGridLine));
              painter.drawLine(QPointF(area.left(), py), QPointF(area.right(), py));
              painter.setPen(kLabel);
              if (label)
                  painter.drawText(QPointF(area.left() + 3, py - 3), gridLabel(y, step));
          });
    painter.drawText(area.adjusted(0, 4, -6, 0), Qt::AlignRight | Qt::AlignTop,
                     plane == Plane::Side ? QStringLiteral("x → , height z ↑ (m)") : QStringLiteral("x → , y ↑ (m)"));
    const QPointF origin = toPixels({0, 0});
    // An outline with an open centre, under the particles: what stands at the origin shows.
    painter.setPen(QPen(kMarker, 2));
    for (const QPointF arm : {QPointF(1, 0), QPointF(-1, 0), QPointF(0, 1), QPointF(0, -1)})
        painter.drawLine(origin + arm * 4, origin + arm * 8);
    painter.setPen(QPen(kMarker, 1));
    painter.drawEllipse(origin, 4, 4);

    // The particles go into a layer of their own, which is cleared and blended into directly: far
    // cheaper than a gradient per disc, and large soft discs lose nothing at a lower resolution.
    struct Disc {
        QPointF at;
        double radius;
        Rgba colour;
    };
    std::vector<Disc> discs;
    discs.reserve(particles.size());
    double radii = 0;
    for (const Particle &particle : particles) {
        const Rgba colour = colourAt(particle.values, particle.age);
        const double radius = std::abs(sizeAt(particle.values, particle.age)) * frame.scale / 2;
        const QPointF at = toPixels(planeCoordinates(particle.position, plane)) - area.topLeft();
        if (colour.a <= 0 || !std::isfinite(at.x()) || !std::isfinite(at.y()) || !std::isfinite(radius))
            continue;
        if (at.x() + radius < 0 || at.y() + radius < 0 || at.x() - radius > area.width()
            || at.y() - radius > area.height())
            continue;
        discs.push_back({at, radius, colour});
        radii += radius;
    }
    if (discs.empty()) {
        painter.restore();
        return;
    }
    const int factor = layerFactor(radii / double(discs.size()));
    const QSize size(int(std::ceil(area.width() / factor)), int(std::ceil(area.height() / factor)));
    if (layer.width() < size.width() || layer.height() < size.height()
        || layer.format() != QImage::Format_ARGB32_Premultiplied)
        layer = QImage(size.expandedTo(layer.size()), QImage::Format_ARGB32_Premultiplied);
    // Only the part the discs cover is cleared and drawn: a column of smoke fills little of the
    // top view. A pixel of margin keeps the smooth scaling from reading beyond the cleared part.
    QRect covered;
    for (const Disc &disc : discs) {
        const double r = disc.radius / factor + 1;
        const QPointF at = disc.at / factor;
        covered |= QRect(QPoint(pixelWithin(std::floor(at.x() - r), size.width()),
                                pixelWithin(std::floor(at.y() - r), size.height())),
                         QPoint(pixelWithin(std::ceil(at.x() + r), size.width()),
                                pixelWithin(std::ceil(at.y() + r), size.height())));
    }
    if (covered.isEmpty()) {
        painter.restore();
        return;
    }
    for (int y = covered.top(); y <= covered.bottom(); ++y)
        std::fill_n(reinterpret_cast<quint32 *>(layer.scanLine(y)) + covered.left(), covered.width(), 0u);
    for (const Disc &disc : discs)
        blendSoftDisc(layer, disc.at / factor, disc.radius / factor, disc.colour);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, factor > 1);
    painter.drawImage(QRectF(area.topLeft() + QPointF(covered.topLeft()) * factor, QSizeF(covered.size()) * factor),
                      layer, covered);
    painter.restore();
}

} // namespace preview
