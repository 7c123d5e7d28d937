// Arc and ring paths from cos/sin in the logical space (QPainterPath::arcTo would mirror its
// sweep under a y-up transform).
#include "core/views/OVPathUtil.h"

#include <QtMath>

#include <algorithm>
#include <cmath>

namespace {

QPointF pointOnEllipse(const QPointF &center, double rx, double ry, double degrees)
{
    const double radians = qDegreesToRadians(degrees);
    return QPointF(center.x() + rx * std::cos(radians), center.y() + ry * std::sin(radians));
}

// Sweep in degrees from start to end in the given direction, in [0, 360]; a whole-turn request
// (different angles that wrap onto each other) stays a whole turn.
double sweepDegrees(double startDeg, double endDeg, bool clockwise)
{
    const double raw = clockwise ? startDeg - endDeg : endDeg - startDeg;
    double sweep = std::fmod(raw, 360.0);
    if (sweep < 0.0)
        sweep += 360.0;
    if (sweep == 0.0 && raw != 0.0)
        sweep = 360.0;
    return sweep;
}

} // namespace

void OVPathUtil::appendArc(QPainterPath &path, const QPointF &center, double radius, double startDeg,
                           double endDeg, bool clockwise)
{
    const QPointF start = pointOnEllipse(center, radius, radius, startDeg);
    if (path.elementCount() == 0)
        path.moveTo(start);
    else
        path.lineTo(start);

    const double sweep = sweepDegrees(startDeg, endDeg, clockwise);
    if (sweep == 0.0)
        return;
    const int segments = std::max(1, int(std::ceil(sweep / 90.0)));
    const double step = (clockwise ? -sweep : sweep) / segments;
    // Cubic Bezier for a circular segment of `step` degrees: handles of length k x radius.
    const double k = 4.0 / 3.0 * std::tan(qDegreesToRadians(step) / 4.0);
    for (int i = 0; i < segments; ++i) {
        const double a0 = qDegreesToRadians(startDeg + i * step);
        const double a1 = qDegreesToRadians(startDeg + (i + 1) * step);
        const QPointF p0(center.x() + radius * std::cos(a0), center.y() + radius * std::sin(a0));
        const QPointF p1(center.x() + radius * std::cos(a1), center.y() + radius * std::sin(a1));
        const QPointF c0 = p0 + QPointF(-std::sin(a0), std::cos(a0)) * (k * radius);
        const QPointF c1 = p1 - QPointF(-std::sin(a1), std::cos(a1)) * (k * radius);
        path.cubicTo(c0, c1, p1);
    }
}

QPainterPath OVPathUtil::arcAroundPoint(const QPointF &center, double fromDeg, double toDeg, double outerRadius,
                                        double innerRadius)
{
    QPainterPath path;
    appendArc(path, center, outerRadius, fromDeg, toDeg, false);
    appendArc(path, center, innerRadius, toDeg, fromDeg, true);
    return path;
}

int OVPathUtil::appendArcInRect(QPainterPath &path, const QRectF &rect, double fromDeg, double toDeg,
                                bool clockWise, bool startNewSubpath)
{
    const QPointF center = rect.center();
    const double rx = rect.width() / 2.0;
    const double ry = rect.height() / 2.0;
    const double span = std::fabs(toDeg - fromDeg);
    const int n = int(std::max(rx, ry) * span / 45.0);

    const QPointF first = pointOnEllipse(center, rx, ry, fromDeg);
    if (startNewSubpath || path.elementCount() == 0)
        path.moveTo(first);
    else
        path.lineTo(first);
    if (n <= 0)
        return 0;

    const double step = (clockWise ? -span : span) / n;
    // i = n lands exactly on the end of the span, so the arc is not a step short.
    for (int i = 1; i <= n; ++i)
        path.lineTo(pointOnEllipse(center, rx, ry, fromDeg + i * step));
    return n;
}

void OVPathUtil::addArc(QPainterPath &path, const QPointF &center, double radius, double startDeg, double endDeg,
                        bool clockwise, bool spaceFlipped)
{
    if (spaceFlipped)
        appendArc(path, center, radius, -startDeg, -endDeg, !clockwise);
    else
        appendArc(path, center, radius, startDeg, endDeg, clockwise);
}
