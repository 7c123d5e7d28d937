// Tile choice: which tiles of a grid a visible rectangle draws, which texture each shows and
// where, and the opacity byte.
#include "map/layers/OVMapTileGrid.h"

#include "map/projection/OVMapProjection.h"

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

namespace {

const OVGeoRect kWorld = OVGeoRectMake(-90.0, -180.0, 90.0, 180.0);

/// "column,row->textureColumn,textureRow@minLon..maxLon/minLat..maxLat" per drawn tile.
QStringList describe(const QList<OVMapTilePlacement> &tiles)
{
    QStringList out;
    for (const OVMapTilePlacement &tile : tiles) {
        out << QStringLiteral("%1,%2->%3,%4@%5..%6/%7..%8")
                   .arg(tile.column)
                   .arg(tile.row)
                   .arg(tile.textureColumn)
                   .arg(tile.textureRow)
                   .arg(tile.geoRect.minPoint.longitude)
                   .arg(tile.geoRect.maxPoint.longitude)
                   .arg(tile.geoRect.minPoint.latitude)
                   .arg(tile.geoRect.maxPoint.latitude);
    }
    return out;
}

struct ChoiceCase
{
    const char *name;
    OVGeoRect visible;
    int64_t numXTiles;
    int64_t numYTiles;
    bool walkEveryTile;
    QStringList drawn;
};

TEST(MapTileGrid, ChoosesTheTilesOfTheVisibleRectangle)
{
    const ChoiceCase cases[] = {
        {"across the date line the east column wraps to column 0",
         OVGeoRectMake(-10.0, 170.0, 10.0, 200.0), 4, 2, false,
         {"3,0->3,0@90..180/0..90", "3,1->3,1@90..180/-90..0", "4,0->0,0@180..270/0..90",
          "4,1->0,1@180..270/-90..0"}},
        {"a south edge at exactly -90 draws the bottom row once", OVGeoRectMake(-90.0, -10.0, -10.0, 10.0), 4, 2,
         false, {"1,1->1,1@-90..0/-90..0", "2,1->2,1@0..90/-90..0"}},
        {"west of the grid wraps to the last column", OVGeoRectMake(10.0, -200.0, 20.0, -170.0), 4, 2, false,
         {"-1,0->3,0@-270..-180/0..90", "0,0->0,0@-180..-90/0..90"}},
        {"the whole world of a single tile", kWorld, 1, 1, false, {"0,0->0,0@-180..180/-90..90", "1,0->0,0@180..540/-90..90"}},
        {"east column before the west column walks every tile and keeps none",
         OVGeoRectMake(-10.0, 100.0, 10.0, 80.0), 4, 2, true, {}},
        {"rows crossed walk every tile", OVGeoRectMake(10.0, 10.0, -10.0, 80.0), 4, 2, true, {}},
        {"a reversed span inside one tile is a plain range",
         OVGeoRectMake(10.0, 100.0, 20.0, 95.0), 4, 2, false, {"3,0->3,0@90..180/0..90"}},
    };
    const OVEquirectangularMapProjection projection;
    for (const ChoiceCase &row : cases) {
        SCOPED_TRACE(row.name);
        const OVMapTileSpan span = OVMapTileGrid::spanForVisibleRect(row.visible, projection, row.numXTiles, row.numYTiles);
        EXPECT_EQ(span.walkEveryTile, row.walkEveryTile);
        EXPECT_EQ(describe(OVMapTileGrid::tilesToDraw(row.visible, &projection, kWorld, row.numXTiles, row.numYTiles)),
                  row.drawn);
    }
}

TEST(MapTileGrid, TheWalkOfEveryTileUsesTheStrictOverlapTest)
{
    // A layer rectangle smaller than the projection's grid: the walk keeps only tiles the
    // reversed rectangle overlaps strictly.
    const OVEquirectangularMapProjection projection;
    const OVGeoRect visible = OVGeoRectMake(-10.0, 100.0, 10.0, 80.0);
    const OVGeoRect layer = OVGeoRectMake(-90.0, 60.0, 90.0, 140.0);
    EXPECT_EQ(describe(OVMapTileGrid::tilesToDraw(visible, &projection, layer, 1, 2)),
              (QStringList{"0,0->0,0@60..140/0..90", "0,1->0,1@60..140/-90..0"}));
}

TEST(MapTileGrid, TouchingAnEdgeIsNoOverlap)
{
    const OVGeoRect tile = OVGeoRectMake(0.0, 90.0, 90.0, 180.0);
    struct Row
    {
        const char *name;
        OVGeoRect rect;
        bool needed;
    } rows[] = {
        {"touches the west edge", OVGeoRectMake(10.0, 80.0, 20.0, 90.0), false},
        {"touches the east edge", OVGeoRectMake(10.0, 180.0, 20.0, 190.0), false},
        {"touches the south edge", OVGeoRectMake(-10.0, 100.0, 0.0, 110.0), false},
        {"touches the north edge", OVGeoRectMake(90.0, 100.0, 95.0, 110.0), false},
        {"overlaps by a hair", OVGeoRectMake(10.0, 80.0, 20.0, 90.000001), true},
        {"inside", OVGeoRectMake(10.0, 100.0, 20.0, 110.0), true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(OVMapTileGrid::needTile(tile, row.rect), row.needed);
    }
}

TEST(MapTileGrid, WrappingIsNeverNegative)
{
    const struct
    {
        int64_t index;
        int64_t count;
        int64_t wrapped;
    } rows[] = {{4, 4, 0}, {-1, 4, 3}, {-4, 4, 0}, {-5, 4, 3}, {9, 4, 1}, {0, 1, 0}, {3, 0, 0}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.index);
        EXPECT_EQ(OVMapTileGrid::wrap(row.index, row.count), row.wrapped);
    }
}

TEST(MapTileGrid, TheOpacityByteIsTruncated)
{
    const struct
    {
        double alpha;
        int byte;
    } rows[] = {{0.75, 191}, {0.5, 127}, {1.0, 255}, {0.0, 0}, {0.005, 1}, {1.5, 255}, {-0.2, 0}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.alpha);
        EXPECT_EQ(OVMapTileGrid::alphaByte(row.alpha), row.byte);
    }
}

TEST(MapTileGrid, MercatorSlicesAreEqualInProjectedSpace)
{
    const OVMercatorMapProjection projection;
    const OVGeoRect layer = projection.validGeoRect();
    const OVGeoRect north = OVMapTileGrid::geoRectOfTile(&projection, layer, 1, 2, 0, 0);
    EXPECT_NEAR(north.minPoint.latitude, 0.0, 1e-9);
    EXPECT_NEAR(north.maxPoint.latitude, layer.maxPoint.latitude, 2e-3);
    EXPECT_EQ(OVMapTileGrid::tilesToDraw(kWorld, nullptr, kWorld, 4, 2).size(), 0);
    EXPECT_EQ(OVMapTileGrid::geoRectOfTile(nullptr, kWorld, 4, 2, 0, 0), OVGeoRect{});
}

} // namespace
