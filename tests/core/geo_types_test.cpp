// Spherical-earth functions against values worked out independently of them.
#include "core/OVCommon.h"
#include "core/OVGeoTypes.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QStandardPaths>

#include <cmath>
#include <numbers>

TEST(GeoTypes, QuarterMeridianIsAQuarterOfTheCircumference)
{
    const double expected = OVEarthRadiusKm * 1000.0 * std::numbers::pi / 2.0;
    EXPECT_NEAR(OVGeoDistanceInMeters(OVGeoPointMake(0, 0), OVGeoPointMake(0, 90)), expected, 1e-6);
    EXPECT_NEAR(OVGeoDistanceInMeters(OVGeoPointMake(90, 0), OVGeoPointMake(-90, 0)), 2 * expected, 1e-6);
}

TEST(GeoTypes, DistanceBetweenEqualPointsIsZero)
{
    // Without the clamp, rounding puts the cosine just above 1 for many such points.
    for (const OVGeoPoint &point : {OVGeoPointMake(45.5152, -122.6784), OVGeoPointMake(-33.8688, 151.2093),
                                    OVGeoPointMake(89.9, 179.9), OVGeoPointMake(0.1, 0.1)}) {
        SCOPED_TRACE(testing::Message() << point.latitude << ", " << point.longitude);
        EXPECT_EQ(OVGeoDistanceInMeters(point, point), 0.0);
    }
}

TEST(GeoTypes, CartesianRoundTrip)
{
    const OVCartesianPoint c = OVCartesianPointForGeoPointAboveEarth(45, -120, 10);
    EXPECT_NEAR(OVCartesianDistance(c, OVCartesianPoint{}), OVEarthRadiusKm + 10, 1e-9);
    const OVGeoPoint back = OVGeoPointForCartesianPoint(c);
    EXPECT_NEAR(back.latitude, 45, 1e-9);
    EXPECT_NEAR(back.longitude, -120, 1e-9);
    EXPECT_NEAR(back.height, 10, 1e-9);

    const OVGeoPoint origin = OVGeoPointForCartesianPoint(OVCartesianPoint{});
    EXPECT_EQ(origin, (OVGeoPoint{0, 0, -OVEarthRadiusKm}));
    // Above a pole the longitude cannot be told and is 0.
    EXPECT_EQ(OVGeoPointForCartesianPoint(OVCartesianPointForGeoPoint(90, 33, 7000)).longitude, 0.0);
}

// Tile numbers from the usual slippy-map formula x = (lon+180)/360 * 2^z,
// y = (1 - asinh(tan lat)/pi)/2 * 2^z, truncated.
TEST(GeoTypes, MercatorMatchesSlippyMapTiles)
{
    struct Case { const char *place; double lat, lon; int zoom, tileX, tileY; };
    const Case cases[] = {
        {"London", 51.5074, -0.1278, 10, 511, 340},
        {"London", 51.5074, -0.1278, 14, 8186, 5448},
        {"Sydney", -33.8688, 151.2093, 10, 942, 614},
        {"Portland", 45.5152, -122.6784, 14, 2608, 5860},
        {"Reykjavik", 64.1466, -21.9426, 5, 14, 8},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.place << " z" << c.zoom);
        const double world = 256.0 * std::pow(2.0, c.zoom);
        const OVMercatorPoint m = OVMercatorPointForGeoPoint(world, OVGeoPointMake(c.lat, c.lon));
        EXPECT_EQ(int(std::floor(m.x / 256.0)), c.tileX);
        EXPECT_EQ(int(std::floor(m.y / 256.0)), c.tileY);
        const OVGeoPoint back = OVGeoPointForMercatorPoint(world, m);
        EXPECT_NEAR(back.latitude, c.lat, 1e-9);
        EXPECT_NEAR(back.longitude, c.lon, 1e-9);
    }
}

TEST(GeoTypes, NormalizeFoldsLatitudeAndWrapsLongitude)
{
    struct Case { double lat, lon, wantLat, wantLon; };
    const Case cases[] = {
        {45, 10, 45, 10},   {90, 10, 90, 10},     {100, 10, 80, -170}, {270, 0, -90, 180},
        {280, 0, -80, 0},   {-10, 190, -10, -170}, {45, 540, 45, 180}, {-100, -10, -80, 170},
        {45, -190, 45, 170}, {720 + 30, 0, 30, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.lat << ", " << c.lon);
        const OVGeoPoint p = OVGeoPointNormalize(OVGeoPoint{c.lat, c.lon, 3});
        EXPECT_NEAR(p.latitude, c.wantLat, 1e-12);
        EXPECT_NEAR(p.longitude, c.wantLon, 1e-12);
        EXPECT_EQ(p.height, 3);
    }
}

TEST(GeoTypes, BearingAndDistanceReachesKnownPoints)
{
    const double quarter = OVEarthRadiusKm * std::numbers::pi / 2.0;
    struct Case { double bearingDeg, startLat, startLon, distanceKm, wantLat, wantLon; };
    const Case cases[] = {
        {90, 0, 0, quarter, 0, 90},
        {0, 0, 170, quarter / 9.0, 10, 170},
        {90, 0, 170, quarter / 9.0 * 2.0, 0, -170}, // across the antimeridian
        {180, 10, 20, quarter / 9.0 * 3.0, -20, 20},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "bearing " << c.bearingDeg << " from " << c.startLat << ", " << c.startLon);
        const OVGeoPoint p = OVGeoPointAtBearingAndDistance(c.bearingDeg * std::numbers::pi / 180.0, c.distanceKm,
                                                            OVGeoPointMake(c.startLat, c.startLon));
        EXPECT_NEAR(p.latitude, c.wantLat, 1e-9);
        EXPECT_NEAR(p.longitude, c.wantLon, 1e-9);
    }
}

TEST(GeoTypes, HorizonFromTheGroundIsLevel)
{
    EXPECT_NEAR(OVHorizonAngleForHeight(0), 90.0, 1e-12);
    EXPECT_NEAR(OVHorizonDepthForHeight(0), 0.0, 1e-9);
    // From a height h the horizon lies at depth R - R^2/(R+h).
    const double R = OVEarthRadiusKm;
    EXPECT_NEAR(OVHorizonDepthForHeight(400), R - R * R / (R + 400), 1e-9);
}

TEST(Common, ApplicationSupportPathIsTheDataFolderAndExecutableName)
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    EXPECT_EQ(OVCommon::applicationSupportPath(), QDir(base).filePath(QStringLiteral("core_geo_types_test")));
}
