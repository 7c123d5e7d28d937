// Projections: the points the map draws at, and the tiles that cover them.
#include "map/projection/OVMapProjection.h"

#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(MapProjection, EquirectangularMapsDegreesOntoThemselvesAndBack)
{
    const OVEquirectangularMapProjection projection;
    const QPointF point = projection.pointForLatitude(40.0, -100.0);
    EXPECT_DOUBLE_EQ(point.x(), -100.0);
    EXPECT_DOUBLE_EQ(point.y(), 40.0);
    const OVGeoPoint back = projection.geoPointForPoint(QPointF(-100.0, 40.0));
    EXPECT_DOUBLE_EQ(back.latitude, 40.0);
    EXPECT_DOUBLE_EQ(back.longitude, -100.0);
    EXPECT_EQ(back.height, 0.0);
}

TEST(MapProjection, RectForGeoRectHasOriginAtTheMinimumCorner)
{
    const OVEquirectangularMapProjection projection;
    EXPECT_EQ(projection.rectForGeoRect(OVGeoRectMake(10.0, 20.0, 30.0, 60.0)), QRectF(20.0, 10.0, 40.0, 20.0));
}

TEST(MapProjection, MercatorRoundTripsEveryValidLatitude)
{
    const OVMercatorMapProjection projection;
    EXPECT_EQ(projection.pointForLatitude(0.0, 0.0).y(), 0.0);
    for (double latitude = -85.05; latitude <= 85.05; latitude += 0.35) {
        SCOPED_TRACE(latitude);
        const OVGeoPoint back = projection.geoPointForPoint(projection.pointForLatitude(latitude, 12.5));
        EXPECT_NEAR(back.latitude, latitude, 1e-9);
        EXPECT_NEAR(back.longitude, 12.5, 1e-9);
    }
    const OVGeoPoint edge = projection.geoPointForPoint(projection.pointForLatitude(85.05, 0.0));
    EXPECT_NEAR(edge.latitude, 85.05, 1e-9);
}

TEST(MapProjection, MercatorRowsFollowTheSlippyMapFormula)
{
    const OVMercatorMapProjection projection;
    for (int64_t rows : {2, 8, 64, 1024}) {
        for (double latitude : {-84.0, -61.3, -33.9, -5.2, 0.7, 12.0, 37.77, 51.5, 70.1, 84.9}) {
            SCOPED_TRACE(QStringLiteral("%1 rows, latitude %2").arg(rows).arg(latitude).toStdString());
            const double phi = latitude * M_PI / 180.0;
            const auto expected = int64_t(std::floor(double(rows) / 2.0 * (1.0 - std::log(std::tan(phi) + 1.0 / std::cos(phi)) / M_PI)));
            EXPECT_EQ(projection.yTileForLatitude(latitude, 0.0, rows), expected);
        }
    }
}

struct TileCase
{
    const char *name;
    double latitude;
    double longitude;
    int64_t total;
    bool column;
    int64_t expected;
};

TEST(MapProjection, TilesAreCountedFromNorthWestWithoutClamping)
{
    const TileCase cases[] = {
        {"west edge", 0.0, -180.0, 4, true, 0},
        {"just inside the east edge", 0.0, 179.9, 4, true, 3},
        {"east edge is past the grid", 0.0, 180.0, 4, true, 4},
        {"just west of the grid", 0.0, std::nextafter(-180.0, -181.0), 4, true, -1},
        {"northern row", 89.0, 0.0, 2, false, 0},
        {"equator belongs to the southern row", 0.0, 0.0, 2, false, 1},
        {"southern row", -89.0, 0.0, 2, false, 1},
    };
    const OVEquirectangularMapProjection projection;
    for (const TileCase &c : cases) {
        SCOPED_TRACE(c.name);
        const OVGeoPoint point = OVGeoPointMake(c.latitude, c.longitude);
        EXPECT_EQ(c.column ? projection.xTileForGeoPoint(point, c.total) : projection.yTileForGeoPoint(point, c.total),
                  c.expected);
    }
}

// At a pole (and within about 1e-7 degrees of one) Mercator's y is infinite: the row must still
// lie on the right side of the grid, north above the first row and south below the last.
TEST(MapProjection, MercatorRowsAtThePolesStayOnTheirSideOfTheGrid)
{
    const OVMercatorMapProjection projection;
    const int64_t rows = 4;
    for (double offset : {0.0, 1e-9, 1e-8, 5e-8}) {
        SCOPED_TRACE(offset);
        EXPECT_LT(projection.yTileForLatitude(90.0 - offset, 0.0, rows), 0);
        EXPECT_GE(projection.yTileForLatitude(-90.0 + offset, 0.0, rows), rows);
        const OVGeoRect world = OVGeoRectMake(-90.0 + offset, -180.0, 90.0 - offset, 180.0);
        EXPECT_LT(projection.yTileForGeoPoint(world.maxPoint, rows), projection.yTileForGeoPoint(world.minPoint, rows));
    }
}

TEST(MapProjection, PointListsSkipOtherValuesAndReadTheirOwnAxisOrder)
{
    const QVariantList input{QPointF(40.0, -100.0), QStringLiteral("not a point"), QPointF(0.0, 10.0)};
    const auto equirectangular = OVEquirectangularMapProjection().pointsForGeoNSPoints(input);
    ASSERT_TRUE(equirectangular);
    EXPECT_EQ(*equirectangular, (QVariantList{QPointF(-100.0, 40.0), QPointF(10.0, 0.0)}));
    const auto mercator = OVMercatorMapProjection().pointsForGeoNSPoints(QVariantList{QPointF(-100.0, 0.0)});
    ASSERT_TRUE(mercator);
    EXPECT_EQ(*mercator, QVariantList{QPointF(-100.0, 0.0)});
    EXPECT_FALSE(OVEquirectangularMapProjection().pointsForGeoNSPoints(std::nullopt));
}

TEST(MapProjection, TheBaseLogsWhatASubclassMustProvide)
{
    LogCapture log;
    const OVMapProjection base;
    EXPECT_EQ(base.pointForLatitude(10.0, 20.0), QPointF(0.0, 0.0));
    EXPECT_FALSE(base.pointsForGeoNSPoints(QVariantList{}));
    EXPECT_EQ(base.geoPointForPoint(QPointF(1.0, 2.0)), OVGeoPoint{});
    EXPECT_TRUE(log.contains(QStringLiteral("[OVMapProjection pointForGeoPoint] Must be implemented in a subclass.")));
    EXPECT_TRUE(log.contains(QStringLiteral("[OVMapProjection pointsForGeoNSPoints] Must be implemented in a subclass.")));
    EXPECT_TRUE(log.contains(QStringLiteral("[OVMapProjection geoPointForPoint] Must be implemented in a subclass.")));
}

} // namespace
