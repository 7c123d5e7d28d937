// Geographic value types and the spherical-earth functions of the map and the grids.
//
// A point is latitude, longitude (degrees) and height (km above the sphere where used, 0 from
// the makers); a rectangle is two corner points, min then max. Cartesian triples are
// Earth-centred {x, y, z} in km with y through the north pole. All functions are pure and may be
// called from any thread.
#pragma once

/// A geographic position: latitude and longitude in degrees, height in km above the sphere.
struct OVGeoPoint
{
    double latitude = 0.0;
    double longitude = 0.0;
    double height = 0.0;

    friend bool operator==(const OVGeoPoint &, const OVGeoPoint &) = default;
};

/// A geographic rectangle: `minPoint` (south-west corner) and `maxPoint` (north-east corner).
struct OVGeoRect
{
    OVGeoPoint minPoint;
    OVGeoPoint maxPoint;

    friend bool operator==(const OVGeoRect &, const OVGeoRect &) = default;
};

/// Earth-centred cartesian point in km.
struct OVCartesianPoint
{
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

/// A point on a Mercator world of a given size (pixels), x east, y south from the top edge.
struct OVMercatorPoint
{
    double x = 0.0;
    double y = 0.0;
};

/// Sphere radius of every spherical-earth function, km.
inline constexpr double OVEarthRadiusKm = 6378.135;
/// Earth circumference used for view angles, km (single precision, as the map has always used).
inline constexpr float OVEarthCircumferenceKm = 40075.004f;

OVGeoPoint OVGeoPointMake(double latitude, double longitude);
OVGeoRect OVGeoRectMakeWithPoints(const OVGeoPoint &minPoint, const OVGeoPoint &maxPoint);
OVGeoRect OVGeoRectMake(double minLatitude, double minLongitude, double maxLatitude, double maxLongitude);

/// Point on a sphere of radius `radiusKm` at the given latitude and longitude (degrees).
OVCartesianPoint OVCartesianPointForGeoPoint(double latitude, double longitude, double radiusKm);
/// The same on the sphere of radius OVEarthRadiusKm + `heightKm`.
OVCartesianPoint OVCartesianPointForGeoPointAboveEarth(double latitude, double longitude, double heightKm);
/// Inverse of the two above; the origin gives (0, 0, -R). Near the poles the longitude is 0.
OVGeoPoint OVGeoPointForCartesianPoint(const OVCartesianPoint &point);
/// Latitude folded into -90..90 (crossing a pole turns the longitude by 180), longitude into -180..180.
OVGeoPoint OVGeoPointNormalize(const OVGeoPoint &point);
/// Angle below the horizontal at which the horizon lies seen from `heightKm`, degrees.
double OVHorizonAngleForHeight(double heightKm);
/// Depth of the horizon below the observer's foot point, km.
double OVHorizonDepthForHeight(double heightKm);
/// Square of degrees around `centre` that a camera with view angle `viewAngleRad` sees from `distanceKm`.
OVGeoRect OVGeoRectForViewAngle(float viewAngleRad, double distanceKm, const OVGeoPoint &centre);
double OVCartesianDistance(const OVCartesianPoint &a, const OVCartesianPoint &b);
/// Great-circle distance in metres (law of cosines, cosine clamped so equal points give 0).
double OVGeoDistanceInMeters(const OVGeoPoint &a, const OVGeoPoint &b);
/// Destination from `start` along `bearingRad` (radians from north) after `distanceKm`; height 0.
OVGeoPoint OVGeoPointAtBearingAndDistance(double bearingRad, double distanceKm, const OVGeoPoint &start);
/// Pixels per degree for a view of `viewSizePx` pixels and angle `viewAngleRad` seen from `distanceKm`.
double OVResolutionForViewAngle(double distanceKm, double viewAngleRad, double viewSizePx);
/// Mercator position on a world `worldSize` pixels wide (256 * 2^zoom for slippy-map tiles).
OVMercatorPoint OVMercatorPointForGeoPoint(double worldSize, const OVGeoPoint &point);
OVGeoPoint OVGeoPointForMercatorPoint(double worldSize, const OVMercatorPoint &point);
