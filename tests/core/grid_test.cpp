// The latitude/longitude grid: lookups at and beyond its edges, refused shapes, byte blocks.
#include "core/OVGrid.h"

#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

// 3 columns over longitude 100..104, 2 rows over latitude 10..20; cell i holds i.
std::shared_ptr<OVGrid> smallGrid()
{
    const std::vector<double> values{0, 1, 2, 3, 4, 5};
    return OVGrid::make(values, OVGeoRectMake(10, 100, 20, 104), 3, 2);
}

} // namespace

TEST(Grid, LatitudeLongitudeLookup)
{
    const auto grid = smallGrid();
    ASSERT_TRUE(grid);
    struct Case { double lat, lon; uint64_t index; };
    const Case cases[] = {
        {20, 100, 0},   // north-west corner
        {10, 104, 5},   // south-east corner
        {15, 102, 1},   // row offset 0.5 truncates to row 0, column 1
        {15, 98, 2},    // column offset -1: the last column
        {15, 99, 0},    // column offset -0.5: the first column
        {15, 110, 2},   // east of the grid: the last column
        {25, 100, 0},   // half a row north (offset -0.5): row 0
        {0, 100, 3},    // south of the grid: the last row
        {40, 100, 3},   // two rows north (offset -2): the last row
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.lat << ", " << c.lon);
        EXPECT_EQ(grid->indexForLatitude(c.lat, c.lon), c.index);
        EXPECT_EQ(grid->valueForLatitude(c.lat, c.lon), double(c.index));
    }
}

TEST(Grid, PointLookupCountsRowsFromTheSouth)
{
    const auto grid = smallGrid();
    ASSERT_TRUE(grid);
    EXPECT_EQ(grid->indexForGeoPoint(OVGeoPointMake(10, 100)), 0u);
    EXPECT_EQ(grid->indexForGeoPoint(OVGeoPointMake(20, 104)), 5u);
    EXPECT_EQ(grid->valueForGeoPoint(OVGeoPointMake(20, 98)), 5.0);
}

TEST(Grid, DegenerateRectanglesAndOddPositionsStayInside)
{
    // A rectangle of no extent: scales are 0, not infinite or NaN, and every lookup is in range.
    const auto flat = OVGrid::make({}, OVGeoRectMake(10, 100, 10, 100), 4, 3);
    ASSERT_TRUE(flat);
    EXPECT_EQ(flat->cachedXScale(), 0.0);
    EXPECT_EQ(flat->cachedYScale(), 0.0);
    EXPECT_EQ(flat->indexForLatitude(50, 50), 0u);

    const auto grid = smallGrid();
    const double odd[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                          -std::numeric_limits<double>::infinity(), 1e300, -1e300};
    for (double v : odd) {
        SCOPED_TRACE(v);
        EXPECT_LT(grid->indexForLatitude(v, v), 6u);
        EXPECT_LT(grid->indexForGeoPoint(OVGeoPointMake(15, v)), 6u);
    }
}

TEST(Grid, RefusedShapes)
{
    struct Case { const char *name; uint64_t x, y; size_t values; const char *log; };
    const Case cases[] = {
        {"no columns", 0, 5, 0, "[OVGrid initWithValues] xResolution cannot be 0."},
        {"no rows", 5, 0, 0, "[OVGrid initWithValues] yResolution cannot be 0."},
        {"both zero: columns first", 0, 0, 0, "[OVGrid initWithValues] xResolution cannot be 0."},
        {"cell count overflows", uint64_t(1) << 33, uint64_t(1) << 33, 0, "too large"},
        {"byte size overflows", uint64_t(1) << 31, uint64_t(1) << 30, 0, "too large"},
        {"too few values", 3, 2, 5, "5 values given for 6 cells"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        LogCapture log;
        const std::vector<double> values(c.values, 1.0);
        EXPECT_FALSE(OVGrid::make(values, OVGeoRectMake(0, 0, 1, 1), c.x, c.y));
        EXPECT_TRUE(log.contains(QString::fromUtf8(c.log))) << log.lines().join('\n').toStdString();
    }
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        LogCapture log;
        EXPECT_FALSE(OVGrid::makeTakingValues(std::vector<double>(c.values, 1.0), OVGeoRectMake(0, 0, 1, 1), c.x, c.y));
        EXPECT_TRUE(log.contains(QString::fromUtf8(c.log))) << log.lines().join('\n').toStdString();
    }
}

TEST(Grid, TakenValuesAreKeptAsACopyWouldBe)
{
    std::vector<double> values{0, 1, 2, 3, 4, 5, 6};
    const double *storage = values.data();
    const auto grid = OVGrid::makeTakingValues(std::move(values), OVGeoRectMake(10, 100, 20, 104), 3, 2);
    ASSERT_TRUE(grid);
    EXPECT_EQ(grid->values(), (std::vector<double>{0, 1, 2, 3, 4, 5})) << "values beyond the cells are dropped";
    EXPECT_EQ(grid->values().data(), storage) << "taken over, not copied";
    EXPECT_EQ(grid->valueForLatitude(15, 102), smallGrid()->valueForLatitude(15, 102));

    const auto zeros = OVGrid::makeTakingValues({}, OVGeoRectMake(0, 0, 1, 1), 2, 2);
    ASSERT_TRUE(zeros);
    EXPECT_EQ(zeros->values(), std::vector<double>(4, 0.0));
}

TEST(Grid, ZeroFilledWithoutValues)
{
    const auto grid = OVGrid::make({}, OVGeoRectMake(0, 0, 1, 1), 2, 2);
    ASSERT_TRUE(grid);
    EXPECT_EQ(grid->values(), std::vector<double>(4, 0.0));
}

TEST(Grid, ByteBlocks)
{
    const auto grid = smallGrid();
    const QByteArray block = grid->dataForValues();
    ASSERT_EQ(block.size(), 6 * 8);

    const auto other = OVGrid::make({}, grid->geoRect(), 3, 2);
    LogCapture log;
    EXPECT_FALSE(other->setValuesFromData(block.left(block.size() - 1)));
    EXPECT_TRUE(log.contains(QStringLiteral("[OVGrid setValuesFromData] Can't set data because size doesn't match.")));
    EXPECT_EQ(other->values(), std::vector<double>(6, 0.0));

    EXPECT_TRUE(other->setValuesFromData(block));
    EXPECT_EQ(other->values(), grid->values());
}

TEST(Grid, GeographicEquivalence)
{
    const auto a = OVGrid::make({}, OVGeoRectMake(10, 100, 20, 104), 3, 2);
    struct Case { const char *name; OVGeoRect rect; uint64_t x, y; bool equivalent; };
    const Case cases[] = {
        {"same", OVGeoRectMake(10, 100, 20, 104), 3, 2, true},
        {"corner within a thousandth", OVGeoRectMake(10.0004, 100, 20, 103.9996), 3, 2, true},
        {"heights ignored", OVGeoRect{OVGeoPoint{10, 100, 5}, OVGeoPoint{20, 104, 9}}, 3, 2, true},
        {"corner off by a hundredth", OVGeoRectMake(10.01, 100, 20, 104), 3, 2, false},
        {"other counts", OVGeoRectMake(10, 100, 20, 104), 2, 3, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const auto b = OVGrid::make({}, c.rect, c.x, c.y);
        EXPECT_EQ(a->isGeographicallyEquivalent(b.get()), c.equivalent);
    }
    EXPECT_FALSE(a->isGeographicallyEquivalent(nullptr));
}
