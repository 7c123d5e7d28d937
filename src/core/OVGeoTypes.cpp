// Spherical-earth functions on a sphere of radius OVEarthRadiusKm.
#include "core/OVGeoTypes.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;

double radians(double degrees)
{
    return degrees * kPi / 180.0;
}

double degrees(double radians)
{
    return radians * 180.0 / kPi;
}

} // namespace

OVGeoPoint OVGeoPointMake(double latitude, double longitude)
{
    return OVGeoPoint{latitude, longitude, 0.0};
}

OVGeoRect OVGeoRectMakeWithPoints(const OVGeoPoint &minPoint, const OVGeoPoint &maxPoint)
{
    return OVGeoRect{minPoint, maxPoint};
}

OVGeoRect OVGeoRectMake(double minLatitude, double minLongitude, double maxLatitude, double maxLongitude)
{
    return OVGeoRect{OVGeoPointMake(minLatitude, minLongitude), OVGeoPointMake(maxLatitude, maxLongitude)};
}

OVCartesianPoint OVCartesianPointForGeoPoint(double latitude, double longitude, double radiusKm)
{
    const double lat = radians(latitude);
    const double lon = radians(longitude + 90.0);
    const double ring = radiusKm * std::abs(std::cos(lat));
    return OVCartesianPoint{-ring * std::cos(lon), radiusKm * std::sin(lat), ring * std::sin(lon)};
}

OVCartesianPoint OVCartesianPointForGeoPointAboveEarth(double latitude, double longitude, double heightKm)
{
    return OVCartesianPointForGeoPoint(latitude, longitude, OVEarthRadiusKm + heightKm);
}

OVGeoPoint OVGeoPointForCartesianPoint(const OVCartesianPoint &point)
{
    const double d = std::sqrt(point.x * point.x + point.y * point.y + point.z * point.z);
    if (d == 0.0)
        return OVGeoPoint{0.0, 0.0, -OVEarthRadiusKm};

    OVGeoPoint result;
    result.height = d - OVEarthRadiusKm;
    const double latRad = std::asin(point.y / d);
    result.latitude = degrees(latRad);
    if (std::abs(result.latitude) > 89.99) {
        result.longitude = 0.0;
        return result;
    }
    // The asymmetric limits keep asin defined against rounding just past +-1.
    const double t = std::clamp(point.z / (d * std::abs(std::cos(latRad))), -0.99999999999, 0.999999999999);
    const double a = degrees(std::asin(t));
    result.longitude = point.x < 0.0 ? a - 90.0 : 90.0 - a;
    return result;
}

OVGeoPoint OVGeoPointNormalize(const OVGeoPoint &point)
{
    OVGeoPoint result = point;
    double lat = std::fmod(point.latitude, 360.0);
    if (lat < 0.0)
        lat += 360.0;
    if (lat > 90.0 && lat <= 270.0) {
        lat = 180.0 - lat;
        result.longitude += 180.0;
    } else if (lat > 270.0) {
        lat -= 360.0;
    }
    result.latitude = lat;

    double lon = std::fmod(result.longitude, 360.0);
    if (lon > 180.0)
        lon -= 360.0;
    else if (lon < -180.0)
        lon += 360.0;
    result.longitude = lon;
    return result;
}

double OVHorizonAngleForHeight(double heightKm)
{
    return 90.0 - degrees(std::acos(OVEarthRadiusKm / (OVEarthRadiusKm + heightKm)));
}

double OVHorizonDepthForHeight(double heightKm)
{
    return OVEarthRadiusKm - OVEarthRadiusKm * std::cos(std::acos(OVEarthRadiusKm / (OVEarthRadiusKm + heightKm)));
}

OVGeoRect OVGeoRectForViewAngle(float viewAngleRad, double distanceKm, const OVGeoPoint &centre)
{
    const double e = 2.0 * distanceKm * std::tan(viewAngleRad / 2.0) * 360.0 / OVEarthCircumferenceKm;
    return OVGeoRectMake(centre.latitude - e, centre.longitude - e, centre.latitude + e, centre.longitude + e);
}

double OVCartesianDistance(const OVCartesianPoint &a, const OVCartesianPoint &b)
{
    const double dx = a.x - b.x;
    const double dy = a.y - b.y;
    const double dz = a.z - b.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

double OVGeoDistanceInMeters(const OVGeoPoint &a, const OVGeoPoint &b)
{
    const double lat1 = radians(a.latitude);
    const double lat2 = radians(b.latitude);
    const double c = std::sin(lat1) * std::sin(lat2)
        + std::cos(lat1) * std::cos(lat2) * std::cos(radians(b.longitude - a.longitude));
    return std::acos(std::clamp(c, -1.0, 1.0)) * OVEarthRadiusKm * 1000.0;
}

OVGeoPoint OVGeoPointAtBearingAndDistance(double bearingRad, double distanceKm, const OVGeoPoint &start)
{
    using Real = long double;
    const Real pi = std::numbers::pi_v<long double>;
    const Real delta = Real(distanceKm) / Real(OVEarthRadiusKm);
    const Real theta = bearingRad;
    const Real lat1 = Real(start.latitude) * pi / 180.0L;
    const Real lon1 = Real(start.longitude) * pi / 180.0L;
    const Real lat2 = std::asin(std::cos(lat1) * std::sin(delta) * std::cos(theta) + std::sin(lat1) * std::cos(delta));
    const Real lon2 = std::fmod(std::atan2(std::cos(lat1) * std::sin(delta) * std::sin(theta),
                                    std::cos(delta) - std::sin(lat1) * std::sin(lat2))
                                    + lon1 + pi,
                          2.0L * pi)
        - pi;
    return OVGeoPoint{double(lat2 * 180.0L / pi), double(lon2 * 180.0L / pi), 0.0};
}

double OVResolutionForViewAngle(double distanceKm, double viewAngleRad, double viewSizePx)
{
    return (viewSizePx / 2.0) / degrees(std::atan2(std::tan(viewAngleRad / 2.0) * distanceKm, OVEarthRadiusKm));
}

OVMercatorPoint OVMercatorPointForGeoPoint(double worldSize, const OVGeoPoint &point)
{
    const double s = std::sin(radians(point.latitude));
    return OVMercatorPoint{worldSize * (point.longitude + 180.0) / 360.0,
                           worldSize * (0.5 - std::log((1.0 + s) / (1.0 - s)) / (4.0 * kPi))};
}

OVGeoPoint OVGeoPointForMercatorPoint(double worldSize, const OVMercatorPoint &point)
{
    const double latitude = 90.0 - std::atan(std::exp(-(0.5 - point.y / worldSize) * 2.0 * kPi)) * 360.0 / kPi;
    return OVGeoPointMake(latitude, (point.x / worldSize - 0.5) * 360.0);
}
