// The base of the map's tile layers (terrain, radar, satellite): a grid of textured tiles over
// the layer rectangle, drawn as one textured quad per visible tile at the layer's opacity.
//
// Before each frame, on the GUI thread (`prepareFrame`), the base picks the visible tiles
// (OVMapTileGrid) and asks the subclass for each tile's texture key (`prepareTile`, which must
// answer at once and queue any download or loading: the subclasses' tile records, downloads
// and loader callbacks belong to the GUI thread). The frame, on the drawing thread with the
// drawing context current, draws the tiles of that plan whose textures can be bound; the plan
// is the one thing both threads touch, under its own lock. A draw on the GUI thread (a test,
// a benchmark) makes its own plan first. The setters are for the controller before the first
// draw.
#pragma once

#include "map/layers/OVMapLayer.h"
#include "map/layers/OVMapTileGrid.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <mutex>
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

    /// Plans the next frame's tiles. GUI thread.
    void prepareFrame() override;
    /// Readies the texture of tile (column, row), both wrapped into the grid, and answers its
    /// key; empty when the tile shows nothing. Loading is queued, never waited for. GUI thread;
    /// the base answers nothing.
    virtual QString prepareTile(int64_t column, int64_t row);
    /// The tiles the current view needs, in drawing order.
    QList<OVMapTilePlacement> visibleTiles() const;
    OVGeoRect geoRectOfTile(int64_t column, int64_t row) const;
    /// `pattern` with every "@x" replaced by the column, then every "@y" by the row.
    static QString tileSource(QString pattern, int64_t column, int64_t row);

    int64_t numXTiles() const { return mNumXTiles; }
    void setNumXTiles(int64_t count) { mNumXTiles = count; }
    int64_t numYTiles() const { return mNumYTiles; }
    void setNumYTiles(int64_t count) { mNumYTiles = count; }
    double alpha() const { return mAlpha.load(); }
    void setAlpha(double alpha) { mAlpha.store(alpha); }
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
    /// Draws one placed tile when the texture of `key` can be bound.
    void drawTile(QOpenGLFunctions_2_1 &gl, const OVMapTilePlacement &tile, const QString &key);

private:
    struct PlannedTile
    {
        OVMapTilePlacement placement;
        QString key;
    };
    void readAlphaFromSettings();

    int64_t mNumXTiles = 1;
    int64_t mNumYTiles = 1;
    std::atomic<double> mAlpha{1.0};
    mutable std::mutex mPlanMutex;
    QList<PlannedTile> mPlan; // under mPlanMutex
    std::optional<QString> mPreferenceKeyForAlpha;
    int32_t mTextureInternalFormat;
};
