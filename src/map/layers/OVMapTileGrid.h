// Which tiles of a regular grid cover the visible rectangle, and where each is drawn.
//
// A tile layer lays numXTiles x numYTiles equal slices of its rectangle over the world, row 0
// in the north. The tiles repeat east and west without end: a column outside the grid draws the
// texture of the column it wraps to, at its own (unwrapped) position. Everything here is pure
// geometry, called once per frame per tile layer, from any thread.
#pragma once

#include "core/OVGeoTypes.h"

#include <QList>

#include <cstdint>

class OVMapProjection;

/// The tiles a frame draws: a column and row range, or every tile of the grid with the strict
/// overlap test (when the view's east column precedes its west column, or its rows are crossed).
struct OVMapTileSpan
{
    bool walkEveryTile = false;
    int64_t firstColumn = 0; // may lie outside the grid: such columns wrap
    int64_t lastColumn = -1;
    int64_t topRow = 0;      // clamped into the grid
    int64_t bottomRow = -1;

    friend bool operator==(const OVMapTileSpan &, const OVMapTileSpan &) = default;
};

/// One tile to draw: its place (`column`, `row`, unwrapped) and the tile whose texture it shows.
struct OVMapTilePlacement
{
    int64_t column = 0;
    int64_t row = 0;
    int64_t textureColumn = 0;
    int64_t textureRow = 0;
    OVGeoRect geoRect;
};

namespace OVMapTileGrid {

/// `index` mod `count` in 0..count - 1, also for negative indices; 0 for an empty grid.
int64_t wrap(int64_t index, int64_t count);

/// The colour byte of a layer opacity: trunc(alpha x 255), clamped to 0..255.
uint8_t alphaByte(double alpha);

/// The geographic rectangle of a tile (unwrapped indices allowed): `layerRect`'s numbers taken
/// as cartesian coordinates, cut into equal slices and mapped back through the projection.
/// All zeros without a projection or for an empty grid.
OVGeoRect geoRectOfTile(const OVMapProjection *projection, const OVGeoRect &layerRect, int64_t numXTiles,
                        int64_t numYTiles, int64_t column, int64_t row);

/// Strict overlap: a rectangle that only touches the tile's edge does not need it.
bool needTile(const OVGeoRect &tileRect, const OVGeoRect &rect);

/// The columns and rows covering `visible` in the projection's grid of the given counts.
OVMapTileSpan spanForVisibleRect(const OVGeoRect &visible, const OVMapProjection &projection, int64_t numXTiles,
                                 int64_t numYTiles);

/// Every tile a frame draws, in drawing order (columns outer, rows inner). Nothing without a
/// projection or for an empty grid.
QList<OVMapTilePlacement> tilesToDraw(const OVGeoRect &visible, const OVMapProjection *projection,
                                      const OVGeoRect &layerRect, int64_t numXTiles, int64_t numYTiles);

} // namespace OVMapTileGrid
