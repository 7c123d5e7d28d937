// The base of the map's tile layers (terrain, radar, satellite): a grid of textured tiles over
// the layer rectangle, drawn as one textured quad per visible tile at the layer's opacity.
//
// Each frame the base picks the visible tiles (OVMapTileGrid), asks the subclass to bind each
// tile's texture (`prepareTile`, called once per drawn tile per frame, so it must answer at once
// from the texture registry and queue any loading), and draws the bound tiles. Drawing thread,
// with the drawing context current; the setters are for the controller before the first draw.
#pragma once

#include "map/layers/OVMapLayer.h"
#include "map/layers/OVMapTileGrid.h"

#include <QString>

#include <cstdint>
#include <optional>

class QOpenGLFunctions_2_1;
struct OVMapLayerConfiguration;

class OVMapTileLayer : public OVMapLayer
{
public:
    /// Below this opacity the layer does not draw.
    static constexpr double kMinimumDrawnAlpha = 0.01;

    OVMapTileLayer(OVMapControllerInterface *mapController, std::shared_ptr<OVTextureLoader> textureLoader);

    void draw() override;
    /// False below the minimum opacity; otherwise the base rule.
    bool shouldDraw() const override;

    /// Binds the texture of tile (column, row), both wrapped into the grid, to GL_TEXTURE_2D;
    /// false (nothing drawn) while it is not ready. The base binds nothing.
    virtual bool prepareTile(int64_t column, int64_t row);
    /// The tiles the current view needs, in drawing order.
    QList<OVMapTilePlacement> visibleTiles() const;
    OVGeoRect geoRectOfTile(int64_t column, int64_t row) const;
    /// `pattern` with every "@x" replaced by the column, then every "@y" by the row.
    static QString tileSource(QString pattern, int64_t column, int64_t row);

    int64_t numXTiles() const { return mNumXTiles; }
    void setNumXTiles(int64_t count) { mNumXTiles = count; }
    int64_t numYTiles() const { return mNumYTiles; }
    void setNumYTiles(int64_t count) { mNumYTiles = count; }
    double alpha() const { return mAlpha; }
    void setAlpha(double alpha) { mAlpha = alpha; }
    /// The map-settings key whose value, when present, replaces `alpha` at every draw.
    std::optional<QString> preferenceKeyForAlpha() const { return mPreferenceKeyForAlpha; }
    void setPreferenceKeyForAlpha(const std::optional<QString> &key) { mPreferenceKeyForAlpha = key; }
    /// The internal format the subclass asks the texture loader for.
    int32_t textureInternalFormat() const { return mTextureInternalFormat; }
    void setTextureInternalFormat(int32_t format) { mTextureInternalFormat = format; }

protected:
    /// Takes the tile counts, the opacity (and its settings key, when one is named) and the
    /// texture format from a level's configuration.
    void applyTileConfiguration(const OVMapLayerConfiguration &configuration);
    /// Draws one placed tile when its texture can be bound.
    void drawTile(QOpenGLFunctions_2_1 &gl, const OVMapTilePlacement &tile);

private:
    void readAlphaFromSettings();

    int64_t mNumXTiles = 1;
    int64_t mNumYTiles = 1;
    double mAlpha = 1.0;
    std::optional<QString> mPreferenceKeyForAlpha;
    int32_t mTextureInternalFormat;
};
