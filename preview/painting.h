#pragma once

#include "particles.h"
#include "simulation.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <vector>

class QPainter;

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
QPointF planeCoordinates(const Vec3 &at, Plane plane);

// The pixels per metre at which the bounds fit into both views with a margin, and each view's
// frame centred on them.
double fitScale(const Bounds &bounds, const QSizeF &side, const QSizeF &top);
Frame fitFrame(const Bounds &bounds, Plane plane, double scale);

// Background, metre grid with labels, the object's marker at the origin, then the particles as
// soft discs, the oldest first.
void paintView(QPainter &painter, const QRectF &area, const Frame &frame, Plane plane,
               const std::vector<Particle> &particles);

} // namespace preview
