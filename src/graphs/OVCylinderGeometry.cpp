// Where a direction lies on the cylinder.
#include "graphs/OVCylinderGeometry.h"

#include <cmath>

OVCylinderGeometry OVCylinderGeometry::forBounds(const QRectF &bounds, double verticalOffset)
{
    return OVCylinderGeometry{bounds.adjusted(2.0, 2.0, -2.0, -2.0), std::round(0.33 * bounds.height()),
                              verticalOffset};
}

double OVCylinderGeometry::xOffsetForDegrees(double degrees) const
{
    return -0.5 * width * std::cos(float((degrees - verticalOffset) * M_PI / 180.0));
}

double OVCylinderGeometry::yForDegrees(double degrees) const
{
    const double half = rect.height() / 2.0;
    return rect.y() + half + half * std::sin(float(-(degrees - verticalOffset) * M_PI / 180.0));
}

void OVCylinderGeometry::appendArc(QPainterPath &path, const QRectF &r, double fromDegrees, double toDegrees,
                                   bool clockwise)
{
    const QPointF centre = r.center();
    const double rx = r.width() / 2.0;
    const double ry = r.height() / 2.0;
    const auto point = [&](double degrees) {
        const double t = degrees * M_PI / 180.0;
        return QPointF(centre.x() + rx * std::cos(t), centre.y() + ry * std::sin(t));
    };
    const double span = std::fabs(toDegrees - fromDegrees);
    const int n = std::max(1, int(std::max(rx, ry) * span / 90.0));
    const double step = (clockwise ? -span : span) / n;
    for (int i = 1; i < n; ++i)
        path.lineTo(point(fromDegrees + i * step));
    path.lineTo(point(toDegrees));
}
