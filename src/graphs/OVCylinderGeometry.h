// Where a direction lies on the cylinder: the geometry the cylindrical graph and its legend
// share (the legend holds a copy of the graph's). Direction runs round the circumference; the
// half within 90° of `verticalOffset` faces the viewer. Plain value; any thread.
#pragma once

#include <QPainterPath>
#include <QRectF>

struct OVCylinderGeometry
{
    /// The cylinder's outline, in the owning view's coordinates (y down).
    QRectF rect;
    /// Width of an end ellipse.
    double width = 0.0;
    /// The direction at the middle of the front face, in degrees.
    double verticalOffset = 0.0;

    /// The geometry of a graph of this size: its bounds inset by 2, end width 0.33 x height.
    static OVCylinderGeometry forBounds(const QRectF &bounds, double verticalOffset);

    /// Sideways shift of a direction from the face's axis: negative on the front face.
    double xOffsetForDegrees(double degrees) const;
    double yForDegrees(double degrees) const;
    /// The x of a fraction (0..1) of the time axis along the face.
    double faceX(double fraction) const { return rect.x() + width / 2.0 + fraction * (rect.width() - width); }

    /// Appends the ellipse inscribed in `r` from one angle to another as straight segments
    /// (points (cx + rx cos t, cy + ry sin t)), at least one, about one per 90/max(rx, ry) degrees.
    static void appendArc(QPainterPath &path, const QRectF &r, double fromDegrees, double toDegrees,
                          bool clockwise);
};
