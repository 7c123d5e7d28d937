#include "map/OVMapGeometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
bool finite(const QPointF &point)
{
    return std::isfinite(point.x()) && std::isfinite(point.y());
}
} // namespace

double OVMapGeometry::widestZoom() const
{
    if (!hasArea())
        return 180.0;
    return std::min(180.0, size.width() / size.height() * 90.0);
}

double OVMapGeometry::resolution() const
{
    return size.width() / (2.0 * zoom);
}

OVGeoRect OVMapGeometry::visibleGeoRect() const
{
    const double width = std::trunc(size.width());
    const double height = std::trunc(size.height());
    const double latitudeSpan = width > 0.0 && height > 0.0 ? zoom / (width / height) : 0.0;
    return OVGeoRectMake(center.y() - latitudeSpan, center.x() - zoom, center.y() + latitudeSpan, center.x() + zoom);
}

OVGeoPoint OVMapGeometry::geoPointForViewPoint(const QPointF &point) const
{
    const double r = resolution();
    return OVGeoPointMake((point.y() - size.height() / 2.0) / r + center.y(),
                          (point.x() - size.width() / 2.0) / r + center.x());
}

bool OVMapGeometry::check()
{
    if (!hasArea() || !std::isfinite(zoom) || !finite(center))
        return false;
    double newZoom = std::min(std::max(zoom, kMinimumZoom), widestZoom());
    double longitude = center.x();
    if (longitude < -180.0 || longitude > 180.0) {
        // Arithmetic wrap: a loop adding 360 would take forever for a huge longitude.
        longitude = std::fmod(longitude + 180.0, 360.0);
        if (longitude < 0.0)
            longitude += 360.0;
        longitude -= 180.0;
    }
    const double halfSpan = newZoom * size.height() / size.width();
    double latitude = std::max(center.y(), halfSpan - 90.0);
    latitude = std::min(latitude, 90.0 - halfSpan);
    zoom = newZoom;
    center = QPointF(longitude, latitude);
    return true;
}

bool OVMapGeometry::adopt(OVMapGeometry candidate)
{
    if (!candidate.check())
        return false;
    *this = candidate;
    return true;
}

QPointF OVMapGeometry::centerKeepingPoint(const QPointF &point, double newZoom) const
{
    const OVGeoPoint geo = geoPointForViewPoint(point);
    const double newResolution = resolution() * zoom / newZoom;
    return QPointF(geo.longitude + (size.width() / 2.0 - point.x()) / newResolution,
                   geo.latitude + (size.height() / 2.0 - point.y()) / newResolution);
}

QPointF OVMapGeometry::centerAfterDrag(const QPointF &originalCenter, const QPointF &from, const QPointF &to) const
{
    const double r = resolution();
    return QPointF(originalCenter.x() + (from.x() - to.x()) / r, originalCenter.y() + (from.y() - to.y()) / r);
}

bool OVMapGeometry::pinch(double magnification, const QPointF &point)
{
    const double newZoom = zoom / (1.0 + magnification);
    if (!std::isfinite(newZoom) || newZoom <= 0.0)
        return false;
    OVMapGeometry candidate = *this;
    candidate.center = centerKeepingPoint(point, newZoom);
    candidate.zoom = newZoom;
    return adopt(candidate);
}

bool OVMapGeometry::scroll(double notches)
{
    OVMapGeometry candidate = *this;
    candidate.zoom = zoom * (1.0 - kWheelStep * notches);
    return adopt(candidate);
}

double OVMapGeometry::recenterZoom(double t, double startZoom, double endZoom, const QPointF &startCenter,
                                   const QPointF &endCenter, double widestZoom)
{
    const double distance = std::hypot(endCenter.x() - startCenter.x(), endCenter.y() - startCenter.y());
    const double bump = std::min(std::min(widestZoom, startZoom + 5.0) - startZoom, 0.3 * distance);
    const double wave = std::sin(std::numbers::pi * t);
    if (t < 0.5)
        return startZoom + wave * (bump + endZoom - startZoom);
    return endZoom + wave * bump;
}
