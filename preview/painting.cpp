#include "painting.h"

#include <QPainter>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>

namespace preview {
namespace {

const QColor kBackground(0x5f, 0x6e, 0x7e);
const QColor kGridLine(255, 255, 255, 40);
const QColor kGround(0xc8, 0xb0, 0x80, 200);
const QColor kLabel(255, 255, 255, 190);
const QColor kMarker(0xff, 0xd0, 0x40);

QString metres(double value, double step)
{
    // Enough decimals for the step, no more: 0.25 m steps print 0.25, 10 m steps print 10.
    const int decimals = step >= 1 ? 0 : int(std::ceil(-std::log10(step) - 1e-9));
    return QString::number(std::abs(value) < step / 1000 ? 0.0 : value, 'f', decimals);
}

} // namespace

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
               const std::vector<Particle> &particles)
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
    // Counted in whole steps, so that the line at 0 is exactly 0.
    const auto lines = [&](double from, double to, auto draw) {
        const auto first = static_cast<long long>(std::ceil(from / step));
        const auto last = static_cast<long long>(std::floor(to / step));
        for (long long k = first; k <= last; ++k)
            draw(double(k) * step);
    };
    lines(frame.centre.x() - halfWidth, frame.centre.x() + halfWidth, [&](double x) {
        const double px = toPixels({x, 0}).x();
        painter.setPen(kGridLine);
        painter.drawLine(QPointF(px, area.top()), QPointF(px, area.bottom()));
        painter.setPen(kLabel);
        painter.drawText(QPointF(px + 3, area.bottom() - 4), metres(x, step));
    });
    lines(frame.centre.y() - halfHeight, frame.centre.y() + halfHeight, [&](double y) {
        const double py = toPixels({0, y}).y();
        painter.setPen(y == 0 && plane == Plane::Side ? QPen(kGround, 2) : QPen(kGridLine));
        painter.drawLine(QPointF(area.left(), py), QPointF(area.right(), py));
        painter.setPen(kLabel);
        painter.drawText(QPointF(area.left() + 3, py - 3), metres(y, step));
    });
    painter.drawText(area.adjusted(0, 4, -6, 0), Qt::AlignRight | Qt::AlignTop,
                     plane == Plane::Side ? QStringLiteral("x → , height z ↑ (m)") : QStringLiteral("x → , y ↑ (m)"));
    const QPointF origin = toPixels({0, 0});
    painter.setPen(QPen(kMarker, 2));
    painter.drawLine(origin - QPointF(6, 0), origin + QPointF(6, 0));
    painter.drawLine(origin - QPointF(0, 6), origin + QPointF(0, 6));
    painter.drawEllipse(origin, 3, 3);

    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    const QRectF visible = area.adjusted(-1, -1, 1, 1);
    for (const Particle &particle : particles) {
        const Rgba colour = colourAt(particle.values, particle.age);
        const double radius = std::abs(sizeAt(particle.values, particle.age)) * frame.scale / 2;
        const QPointF at = toPixels(planeCoordinates(particle.position, plane));
        if (colour.a <= 0 || !std::isfinite(at.x()) || !std::isfinite(at.y()) || !std::isfinite(radius))
            continue;
        const double r = std::max(radius, 0.75);
        if (!visible.intersects(QRectF(at.x() - r, at.y() - r, 2 * r, 2 * r)))
            continue;
        QColor centre = QColor::fromRgbF(float(colour.r), float(colour.g), float(colour.b), float(colour.a));
        if (r < 2) {
            painter.setBrush(centre);
            painter.drawEllipse(at, r, r);
            continue;
        }
        QColor edge = centre;
        edge.setAlphaF(0);
        QRadialGradient soft(at, r);
        soft.setColorAt(0, centre);
        soft.setColorAt(0.45, centre);
        soft.setColorAt(1, edge);
        painter.setBrush(soft);
        painter.drawEllipse(at, r, r);
    }
    painter.restore();
}

} // namespace preview
