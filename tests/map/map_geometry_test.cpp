// The map view's geometry: the range checks, the wrap at the date line, the point under the
// pointer, pinches that would leave the map without a finite zoom, and the recentring flight.
#include "map/OVMapGeometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

OVMapGeometry geometry(double width, double height, double zoom, QPointF center = {})
{
    OVMapGeometry g;
    g.size = QSizeF(width, height);
    g.zoom = zoom;
    g.center = center;
    return g;
}

TEST(MapGeometry, ZoomStaysBetweenOneDegreeAndTheWholeWorld)
{
    EXPECT_EQ(geometry(800, 400, 8).widestZoom(), 180.0);
    EXPECT_EQ(geometry(400, 400, 8).widestZoom(), 90.0);
    struct Case
    {
        double width, height, zoom, expected;
    } cases[] = {{800, 400, 0.1, 0.5}, {800, 400, 0.5, 0.5}, {800, 400, 500, 180}, {400, 400, 100, 90}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.zoom);
        OVMapGeometry g = geometry(c.width, c.height, c.zoom);
        ASSERT_TRUE(g.check());
        EXPECT_EQ(g.zoom, c.expected);
    }
}

TEST(MapGeometry, LatitudeNeverShowsBeyondAPole)
{
    struct Case
    {
        double zoom, latitude, expected;
    } cases[] = {{180, 30, 0}, {90, 60, 45}, {90, -60, -45}, {90, 44, 44}, {10, 95, 85}};
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.zoom << " " << c.latitude);
        OVMapGeometry g = geometry(800, 400, c.zoom, QPointF(0, c.latitude));
        ASSERT_TRUE(g.check());
        EXPECT_DOUBLE_EQ(g.center.y(), c.expected);
    }
}

TEST(MapGeometry, LongitudeWrapsAtTheDateLine)
{
    struct Case
    {
        double longitude, expected;
    } cases[] = {{180, 180}, {-180, -180}, {190, -170}, {-190, 170}, {550, -170}, {1e12 + 10, -70}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.longitude);
        OVMapGeometry g = geometry(800, 400, 10, QPointF(c.longitude, 0));
        ASSERT_TRUE(g.check());
        EXPECT_NEAR(g.center.x(), c.expected, 1e-3);
        EXPECT_GE(g.center.x(), -180.0);
        EXPECT_LE(g.center.x(), 180.0);
    }
}

TEST(MapGeometry, AnythingNotFiniteOrWithoutAreaKeepsThePreviousGeometry)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const OVMapGeometry good = geometry(800, 400, 10, QPointF(20, 30));
    for (const OVMapGeometry &bad : {geometry(800, 400, 10, QPointF(inf, 0)), geometry(800, 400, nan),
                                     geometry(800, 400, 10, QPointF(0, -inf)), geometry(0, 400, 10),
                                     geometry(800, 0, 10)}) {
        OVMapGeometry kept = good;
        EXPECT_FALSE(kept.adopt(bad));
        EXPECT_EQ(kept.center, good.center);
        EXPECT_EQ(kept.zoom, good.zoom);
    }
}

TEST(MapGeometry, APointAboveTheCentreLiesNorth)
{
    const OVMapGeometry g = geometry(800, 400, 10, QPointF(20, 30)); // 40 points a degree
    const OVGeoPoint above = g.geoPointForViewPoint(QPointF(400, 280));
    EXPECT_DOUBLE_EQ(above.latitude, 32.0);
    EXPECT_DOUBLE_EQ(above.longitude, 20.0);
    const OVGeoPoint left = g.geoPointForViewPoint(QPointF(0, 200));
    EXPECT_DOUBLE_EQ(left.longitude, 10.0);
    EXPECT_EQ(g.visibleGeoRect(), OVGeoRectMake(25.0, 10.0, 35.0, 30.0));
}

TEST(MapGeometry, APinchKeepsThePointUnderThePointer)
{
    OVMapGeometry g = geometry(800, 400, 20, QPointF(10, 20));
    const QPointF pointer(600, 100);
    const OVGeoPoint before = g.geoPointForViewPoint(pointer);
    ASSERT_TRUE(g.pinch(1.0, pointer));
    EXPECT_DOUBLE_EQ(g.zoom, 10.0);
    const OVGeoPoint after = g.geoPointForViewPoint(pointer);
    EXPECT_NEAR(after.latitude, before.latitude, 1e-9);
    EXPECT_NEAR(after.longitude, before.longitude, 1e-9);
}

TEST(MapGeometry, APinchWithoutAFinitePositiveZoomChangesNothing)
{
    for (double magnification : {-1.0, -2.0, -1.5}) {
        SCOPED_TRACE(magnification);
        OVMapGeometry g = geometry(800, 400, 20, QPointF(10, 20));
        EXPECT_FALSE(g.pinch(magnification, QPointF(100, 100)));
        EXPECT_EQ(g.zoom, 20.0);
        EXPECT_EQ(g.center, QPointF(10, 20));
    }
}

TEST(MapGeometry, AWheelNotchZoomsByThreePercent)
{
    OVMapGeometry g = geometry(800, 400, 20);
    ASSERT_TRUE(g.scroll(1.0));
    EXPECT_DOUBLE_EQ(g.zoom, 20.0 * 0.97);
    ASSERT_TRUE(g.scroll(-2.0));
    EXPECT_DOUBLE_EQ(g.zoom, 20.0 * 0.97 * 1.06);
}

TEST(MapGeometry, ALongFlightZoomsOutHalfway)
{
    struct Case
    {
        QPointF end;
        double bump;
    } cases[] = {{QPointF(100, 0), 5.0}, {QPointF(10, 0), 3.0}, {QPointF(6, 8), 3.0}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.end.x());
        EXPECT_DOUBLE_EQ(OVMapGeometry::recenterZoom(0.5, 10, 10, QPointF(0, 0), c.end, 180), 10 + c.bump);
        EXPECT_DOUBLE_EQ(OVMapGeometry::recenterZoom(0.0, 10, 10, QPointF(0, 0), c.end, 180), 10.0);
        EXPECT_NEAR(OVMapGeometry::recenterZoom(1.0, 10, 12, QPointF(0, 0), c.end, 180), 12.0, 1e-9);
    }
    // Never beyond the widest zoom.
    EXPECT_DOUBLE_EQ(OVMapGeometry::recenterZoom(0.5, 178, 178, QPointF(0, 0), QPointF(100, 0), 180), 180.0);
}

} // namespace
