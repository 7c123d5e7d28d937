// The map view's geometry as a value: the centre (x longitude, y latitude, degrees), the zoom
// (half the visible longitude span, degrees; larger is farther out) and the view's size in
// points. Points in the view are y-up (origin bottom left), as OVYUp gives them.
//
// `check` brings a geometry into range. A change whose result is not finite, or any change
// while the view has no area, leaves the previous geometry in place: an infinite longitude
// would otherwise never wrap, and a zero-sized view has no valid zoom. Pure value; the map
// view keeps one on the GUI thread.
#pragma once

#include "core/OVGeoTypes.h"

#include <QPointF>
#include <QSizeF>

class OVMapGeometry
{
public:
    static constexpr double kDefaultZoom = 8.0;
    /// One degree of longitude across the view.
    static constexpr double kMinimumZoom = 0.5;
    /// Scroll: the zoom shrinks by this fraction per wheel notch forward.
    static constexpr double kWheelStep = 0.03;

    QPointF center; // x longitude, y latitude
    double zoom = kDefaultZoom;
    QSizeF size;

    bool hasArea() const { return size.width() > 0.0 && size.height() > 0.0; }
    /// min(180, width / height x 90): all longitudes or pole to pole.
    double widestZoom() const;
    /// View points per degree: width / (2 x zoom).
    double resolution() const;
    /// The geographic rectangle on screen; the aspect uses whole points.
    OVGeoRect visibleGeoRect() const;
    /// The geographic point under a y-up view point.
    OVGeoPoint geoPointForViewPoint(const QPointF &point) const;

    /// Zoom within kMinimumZoom..widestZoom, longitude wrapped into -180..180, latitude held so
    /// that no pole is passed. False, and nothing changed, when the view has no area or the
    /// geometry is not finite.
    bool check();
    /// Takes `candidate` when it checks out; false (this one unchanged) otherwise.
    bool adopt(OVMapGeometry candidate);

    /// The centre that keeps the geographic point under `point` in place when the zoom becomes
    /// `newZoom`.
    QPointF centerKeepingPoint(const QPointF &point, double newZoom) const;
    /// The centre after dragging the pointer from `from` to `to` (view points, y-up), starting
    /// from `originalCenter` at the present resolution: the map follows the pointer.
    QPointF centerAfterDrag(const QPointF &originalCenter, const QPointF &from, const QPointF &to) const;
    /// A pinch: zoom / (1 + magnification) about `point`. Ignored (false) when the new zoom is
    /// not finite and positive, or the result does not check out.
    bool pinch(double magnification, const QPointF &point);
    /// `notches` wheel steps, forward positive (zooms in).
    bool scroll(double notches);

    /// The recentring flight's zoom at progress t (0..1): out by up to `bump` halfway, landing
    /// at `endZoom`; bump = min(min(widest, startZoom + 5) - startZoom, 0.3 x distance).
    static double recenterZoom(double t, double startZoom, double endZoom, const QPointF &startCenter,
                               const QPointF &endCenter, double widestZoom);
};
