// What the map controller decides about one layer before it exists: the values the layer
// factory hands to the layer it builds. One struct for every kind; a member a kind does not use
// keeps its default.
//
// Layer types (the integers of `OVMapController::layerTypeSetEnabled`) and their elevations
// are declared here once, so the layer issues and the controller agree on them:
//   0 terrain (pyramid -10..-5, boundary lines -4), 1 radar 45, 2 satellite 40, 3 text 49,
//   4 surface analysis 48, 5 grid 50, 6 particles 51, 7 placemarks 59.
// Terrain draws first; the rest are drawn by elevation, lowest first.
#pragma once

#include "core/OVGeoTypes.h"
#include "core/remote/OVInventory.h"

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <optional>

/// The eight layer groups of the map.
enum class OVMapLayerType : int64_t {
    Terrain = 0,
    Radar = 1,
    Satellite = 2,
    Text = 3,
    SurfaceAnalysis = 4,
    Grid = 5,
    ParticleMode = 6,
    Placemark = 7,
};
inline constexpr int64_t kOVMapLayerTypeCount = 8;

/// What a factory function builds. A group may hold layers of two kinds (terrain: tiles and
/// boundary lines).
enum class OVMapLayerKind {
    TerrainTiles,   // one level of the terrain pyramid
    BoundaryLines,  // a boundary file drawn as lines
    AnimatedTiles,  // one level of radar or satellite tiles over an inventory
    Text,           // place labels
    SurfaceAnalysis,
    Grid,
    ParticleMode,
    Placemark,
};
inline constexpr int kOVMapLayerKindCount = 8;

namespace OVMapElevation {
inline constexpr double kTerrainCoarsest = -10.0; // the 2048 level; each finer level one above
inline constexpr double kBoundaries = -4.0;
inline constexpr double kSatellite = 40.0;
inline constexpr double kRadar = 45.0;
inline constexpr double kSurfaceAnalysis = 48.0;
inline constexpr double kText = 49.0;
inline constexpr double kGrid = 50.0;
inline constexpr double kParticleMode = 51.0;
inline constexpr double kPlacemark = 59.0;
} // namespace OVMapElevation

namespace OVMapTextureFormat {
inline constexpr int32_t kCompressedRGB = 34029; // GL_COMPRESSED_RGB: terrain
inline constexpr int32_t kRGB5A1 = 32855;        // GL_RGB5_A1: radar
inline constexpr int32_t kIntensity = 32841;     // GL_INTENSITY: satellite
} // namespace OVMapTextureFormat

struct OVMapLayerConfiguration
{
    OVMapLayerKind kind = OVMapLayerKind::Text;
    OVMapLayerType type = OVMapLayerType::Terrain;
    double elevation = 0.0;
    double alpha = 1.0;
    /// Display band in view points per degree; nothing: unbounded at that end.
    std::optional<double> minDisplayResolution;
    std::optional<double> maxDisplayResolution;
    std::optional<QString> texturePatternForCleanup;
    OVGeoRect layerRect = OVGeoRectMake(-90.0, -180.0, 90.0, 180.0);
    /// Terrain: the two-digit month ("01".."12") the layer was configured for.
    QString terrainMonth;

    // Tile layers.
    /// Width in pixels of the whole world at this level (0 for layers without tiles).
    int64_t level = 0;
    int64_t numXTiles = 0;
    int64_t numYTiles = 0;
    int32_t textureInternalFormat = 0;
    /// Terrain: a path or URL with @x and @y. Animated tiles: a date-format pattern (quoted
    /// literals around "yyyyMMddHHmm"), formatted in UTC by `OVMapTilePattern::format`. Empty:
    /// the level has no source.
    QString sourceURLFormat;
    /// Terrain: where fetched tiles are kept; empty: no disk cache.
    QString localCacheDirectory;
    /// Animated tiles: the settings key of the opacity read at each draw.
    QString preferenceKeyForAlpha;
    /// Animated tiles: the shared list of frame times (nothing without an imagery server).
    OVInventoryPtr inventory;

    // Boundary lines.
    QString boundaryFile;
    double lineWidth = 1.0;
    double lineRed = 0.0;
    double lineGreen = 0.0;
    double lineBlue = 0.0;

    // Text and grid.
    bool checkOverlappingStrings = false;
    double gridColorAlpha = 1.0;
};

namespace OVMapTilePattern {
/// A date-format pattern of the tile time: `literalBefore` and `literalAfter` quoted (quotes
/// inside doubled) around the unquoted "yyyyMMddHHmm".
QString timePattern(const QString &literalBefore, const QString &literalAfter);
/// The pattern filled with `date` in UTC, whatever the local time zone.
QString format(const QString &pattern, const QDateTime &date);
} // namespace OVMapTilePattern
