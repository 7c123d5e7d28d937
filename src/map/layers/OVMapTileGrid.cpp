#include "map/layers/OVMapTileGrid.h"

#include "map/projection/OVMapProjection.h"

#include <algorithm>
#include <cmath>

namespace OVMapTileGrid {

int64_t wrap(int64_t index, int64_t count)
{
    if (count <= 0)
        return 0;
    const int64_t remainder = index % count;
    return remainder < 0 ? remainder + count : remainder;
}

uint8_t alphaByte(double alpha)
{
    const double scaled = std::trunc(alpha * 255.0);
    return static_cast<uint8_t>(std::clamp(scaled, 0.0, 255.0));
}

OVGeoRect geoRectOfTile(const OVMapProjection *projection, const OVGeoRect &layerRect, int64_t numXTiles,
                        int64_t numYTiles, int64_t column, int64_t row)
{
    if (!projection || numXTiles <= 0 || numYTiles <= 0)
        return OVGeoRect{};
    const double minX = layerRect.minPoint.longitude;
    const double maxY = layerRect.maxPoint.latitude;
    const double width = (layerRect.maxPoint.longitude - minX) / double(numXTiles);
    const double height = (maxY - layerRect.minPoint.latitude) / double(numYTiles);
    const OVGeoPoint southWest = projection->geoPointForPoint(
        QPointF(minX + double(column) * width, maxY - double(row + 1) * height));
    const OVGeoPoint northEast = projection->geoPointForPoint(
        QPointF(minX + double(column + 1) * width, maxY - double(row) * height));
    return OVGeoRectMakeWithPoints(southWest, northEast);
}

bool needTile(const OVGeoRect &tileRect, const OVGeoRect &rect)
{
    return rect.minPoint.latitude < tileRect.maxPoint.latitude && rect.maxPoint.latitude > tileRect.minPoint.latitude
        && rect.minPoint.longitude < tileRect.maxPoint.longitude
        && rect.maxPoint.longitude > tileRect.minPoint.longitude;
}

OVMapTileSpan spanForVisibleRect(const OVGeoRect &visible, const OVMapProjection &projection, int64_t numXTiles,
                                 int64_t numYTiles)
{
    OVMapTileSpan span;
    span.firstColumn = projection.xTileForGeoPoint(visible.minPoint, numXTiles);
    span.lastColumn = projection.xTileForGeoPoint(visible.maxPoint, numXTiles);
    const int64_t lastRow = std::max<int64_t>(numYTiles - 1, 0);
    span.topRow = std::clamp<int64_t>(projection.yTileForGeoPoint(visible.maxPoint, numYTiles), 0, lastRow);
    span.bottomRow = std::clamp<int64_t>(projection.yTileForGeoPoint(visible.minPoint, numYTiles), 0, lastRow);
    span.walkEveryTile = span.lastColumn < span.firstColumn || span.bottomRow < span.topRow;
    return span;
}

QList<OVMapTilePlacement> tilesToDraw(const OVGeoRect &visible, const OVMapProjection *projection,
                                      const OVGeoRect &layerRect, int64_t numXTiles, int64_t numYTiles)
{
    QList<OVMapTilePlacement> tiles;
    if (!projection || numXTiles <= 0 || numYTiles <= 0)
        return tiles;
    const auto placement = [&](int64_t column, int64_t row) {
        return OVMapTilePlacement{column, row, wrap(column, numXTiles), wrap(row, numYTiles),
                                  geoRectOfTile(projection, layerRect, numXTiles, numYTiles, column, row)};
    };
    const OVMapTileSpan span = spanForVisibleRect(visible, *projection, numXTiles, numYTiles);
    if (span.walkEveryTile) {
        for (int64_t column = 0; column < numXTiles; ++column) {
            for (int64_t row = 0; row < numYTiles; ++row) {
                OVMapTilePlacement tile = placement(column, row);
                if (needTile(tile.geoRect, visible))
                    tiles.append(tile);
            }
        }
        return tiles;
    }
    for (int64_t column = span.firstColumn; column <= span.lastColumn; ++column) {
        for (int64_t row = span.topRow; row <= span.bottomRow; ++row)
            tiles.append(placement(column, row));
    }
    return tiles;
}

} // namespace OVMapTileGrid
