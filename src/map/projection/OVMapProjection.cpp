#include "map/projection/OVMapProjection.h"

#include "platform/OVLog.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kMercatorLatitudeLimit = 85.05;

template<typename Project>
std::optional<QVariantList> projectPointValues(const std::optional<QVariantList> &points, Project project)
{
    if (!points)
        return std::nullopt;
    QVariantList projected;
    for (const QVariant &value : *points) {
        if (value.typeId() == QMetaType::QPointF)
            projected.append(project(value.toPointF()));
    }
    return projected;
}

// The tile index of a fraction of the plane times the tile count. Latitudes at a pole make
// Mercator's y infinite, and casting an infinity (or NaN) to an integer is undefined: the index
// is held to a range far beyond any tile count instead, which callers clamp as usual.
int64_t tileIndex(double scaled)
{
    constexpr double kLimit = 9007199254740992.0; // 2^53
    if (std::isnan(scaled))
        return 0;
    return static_cast<int64_t>(std::floor(std::clamp(scaled, -kLimit, kLimit)));
}

} // namespace

OVMapProjection::OVMapProjection()
{
    setValidGeoRect(OVGeoRectMake(-90.0, -180.0, 90.0, 180.0));
    setCartesianRect(QRectF(-180.0, -90.0, 360.0, 180.0));
}

void OVMapProjection::setCartesianRect(const QRectF &rect)
{
    mCartesianRect = rect;
    mInverseCartesianRectWidth = 1.0 / rect.width();
    mInverseCartesianRectHeight = 1.0 / rect.height();
}

OVGeoRect OVMapProjection::validGeoRect() const
{
    std::lock_guard lock(mValidGeoRectMutex);
    return mValidGeoRect;
}

void OVMapProjection::setValidGeoRect(const OVGeoRect &rect)
{
    std::lock_guard lock(mValidGeoRectMutex);
    mValidGeoRect = rect;
}

QPointF OVMapProjection::pointForLatitude(double latitude, double longitude) const
{
    return pointForGeoPoint(OVGeoPointMake(latitude, longitude));
}

QPointF OVMapProjection::pointForGeoPoint(const OVGeoPoint &) const
{
    OVLog(QStringLiteral("[OVMapProjection pointForGeoPoint] Must be implemented in a subclass."));
    return QPointF(0.0, 0.0);
}

QRectF OVMapProjection::rectForGeoRect(const OVGeoRect &rect) const
{
    const QPointF p1 = pointForGeoPoint(rect.minPoint);
    const QPointF p2 = pointForGeoPoint(rect.maxPoint);
    return QRectF(p1.x(), p1.y(), p2.x() - p1.x(), p2.y() - p1.y());
}

std::optional<QVariantList> OVMapProjection::pointsForGeoNSPoints(const std::optional<QVariantList> &) const
{
    OVLog(QStringLiteral("[OVMapProjection pointsForGeoNSPoints] Must be implemented in a subclass."));
    return std::nullopt;
}

OVGeoPoint OVMapProjection::geoPointForPoint(const QPointF &) const
{
    OVLog(QStringLiteral("[OVMapProjection geoPointForPoint] Must be implemented in a subclass."));
    return OVGeoPoint{};
}

int64_t OVMapProjection::xTileForLatitude(double latitude, double longitude, int64_t totalXTiles) const
{
    const double x = pointForLatitude(latitude, longitude).x();
    return tileIndex(double(totalXTiles) * ((x - mCartesianRect.x()) * mInverseCartesianRectWidth));
}

int64_t OVMapProjection::yTileForLatitude(double latitude, double longitude, int64_t totalYTiles) const
{
    const double y = pointForLatitude(latitude, longitude).y();
    const double top = mCartesianRect.y() + mCartesianRect.height();
    return tileIndex(double(totalYTiles) * ((top - y) * mInverseCartesianRectHeight));
}

int64_t OVMapProjection::xTileForGeoPoint(const OVGeoPoint &point, int64_t totalXTiles) const
{
    return xTileForLatitude(point.latitude, point.longitude, totalXTiles);
}

int64_t OVMapProjection::yTileForGeoPoint(const OVGeoPoint &point, int64_t totalYTiles) const
{
    return yTileForLatitude(point.latitude, point.longitude, totalYTiles);
}

QPointF OVEquirectangularMapProjection::pointForGeoPoint(const OVGeoPoint &point) const
{
    return QPointF((point.longitude + 180.0) / 360.0 * mCartesianRect.width() + mCartesianRect.x(),
                   (point.latitude + 90.0) / 180.0 * mCartesianRect.height() + mCartesianRect.y());
}

std::optional<QVariantList> OVEquirectangularMapProjection::pointsForGeoNSPoints(const std::optional<QVariantList> &points) const
{
    return projectPointValues(points, [this](const QPointF &latLon) {
        return pointForGeoPoint(OVGeoPointMake(latLon.x(), latLon.y()));
    });
}

OVGeoPoint OVEquirectangularMapProjection::geoPointForPoint(const QPointF &point) const
{
    return OVGeoPointMake((point.y() - mCartesianRect.y()) * mInverseCartesianRectHeight * 180.0 - 90.0,
                          (point.x() - mCartesianRect.x()) * mInverseCartesianRectWidth * 360.0 - 180.0);
}

OVMercatorMapProjection::OVMercatorMapProjection()
{
    setValidGeoRect(OVGeoRectMake(-kMercatorLatitudeLimit, -180.0, kMercatorLatitudeLimit, 180.0));
    setCartesianRect(QRectF(-180.0, -kMercatorLatitudeLimit, 360.0, 2.0 * kMercatorLatitudeLimit));
}

double OVMercatorMapProjection::yForLatitude(double latitude) const
{
    const double s = std::sin(latitude * kPi / 180.0);
    const double m = std::log((1.0 + s) / (1.0 - s));
    const double h = mCartesianRect.height();
    return mCartesianRect.y() + h - (m / (-4.0 * kPi) + 0.5) * h;
}

QPointF OVMercatorMapProjection::pointForGeoPoint(const OVGeoPoint &point) const
{
    return QPointF((point.longitude + 180.0) / 360.0 * mCartesianRect.width() + mCartesianRect.x(),
                   yForLatitude(point.latitude));
}

std::optional<QVariantList> OVMercatorMapProjection::pointsForGeoNSPoints(const std::optional<QVariantList> &points) const
{
    return projectPointValues(points, [this](const QPointF &lonLat) {
        return pointForGeoPoint(OVGeoPointMake(lonLat.y(), lonLat.x()));
    });
}

OVGeoPoint OVMercatorMapProjection::geoPointForPoint(const QPointF &point) const
{
    const double v = (point.y() - mCartesianRect.y()) * mInverseCartesianRectHeight;
    return OVGeoPointMake(std::atan(std::exp((0.5 - v) * (-2.0 * kPi))) * 360.0 / kPi - 90.0,
                          (point.x() - mCartesianRect.x()) * mInverseCartesianRectWidth * 360.0 - 180.0);
}
