// One level of the radar or infrared-satellite imagery: every visible tile shows the frame of
// the listed time nearest the map's animation time, or nothing.
//
// Each tile keeps an OVMapOverlaySet (its frames by time); a frame's texture key is its
// formatted address. A frame not yet a texture is downloaded once, then its bytes go to the
// texture loader (high priority, dropped when it falls far behind); the loader's redraw brings
// the tile in. A tile whose frame has no time, no bytes, a failed download or bytes that do
// not decode stays empty: only the texture of its own key is ever bound.
//
// Threads: `prepareTile` (the frame's plan), the downloads' completions, the inventory's notices
// and the loader's callbacks all run on the GUI thread, so the sets need no lock; the drawing
// thread only binds the planned keys.
#pragma once

#include "core/OVMultikeyDictionary.h"
#include "core/remote/OVInventory.h"
#include "map/layers/OVMapLayerControls.h"
#include "map/layers/OVMapOverlaySet.h"
#include "map/layers/OVMapTileLayer.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>

class OVMapLayerFactory;
struct OVMapLayerConfiguration;

class OVMapAnimatedTileLayer final : public OVMapTileLayer, public OVMapAnimatedLayerControl
{
public:
    /// The animation time starts at the clock's now.
    OVMapAnimatedTileLayer(OVMapControllerInterface *mapController, std::shared_ptr<OVTextureLoader> textureLoader,
                           const QString &sourceURLFormat, const OVInventoryPtr &inventory, int64_t xTiles,
                           int64_t yTiles, const OVClock &clock = OVClock::system());
    ~OVMapAnimatedTileLayer() override;

    /// Makes the factory build this layer for the radar and satellite levels
    /// (OVMapLayerKind::AnimatedTiles).
    static void registerWithFactory(OVMapLayerFactory &factory);
    static std::shared_ptr<OVMapAnimatedTileLayer> makeForConfiguration(const OVMapLayerConfiguration &configuration,
                                                                        OVMapControllerInterface *mapController,
                                                                        const std::shared_ptr<OVTextureLoader> &loader);

    QString prepareTile(int64_t column, int64_t row) override;
    /// The layer's pattern with every "@x" replaced by the column, then every "@y" by the row.
    QString urlStringForTile(int64_t column, int64_t row) const;
    /// The tile's set, made (and kept) on first use.
    std::shared_ptr<OVMapOverlaySet> overlaySetForTile(int64_t column, int64_t row);
    /// Drops every frame's bytes and images, then the layer's stale textures.
    void cleanupMemory() override;

    void setCurrentAnimationTime(const QDateTime &time) override { mCurrentAnimationTime = time; }
    QDateTime currentAnimationTime() const { return mCurrentAnimationTime; }
    QString sourceURLFormat() const { return mSourceURLFormat; }
    void setSourceURLFormat(const QString &format) { mSourceURLFormat = format; }
    OVInventoryPtr inventory() const { return mInventory; }
    void setInventory(const OVInventoryPtr &inventory) { mInventory = inventory; }
    const OVMultikeyDictionary<std::shared_ptr<OVMapOverlaySet>> &overlaySets() const { return mOverlaySets; }

private:
    void queueTextureLoad(const OVMapOverlayPtr &overlay, const QByteArray &bytes, const QString &key);

    QDateTime mCurrentAnimationTime;
    QString mSourceURLFormat;
    OVMultikeyDictionary<std::shared_ptr<OVMapOverlaySet>> mOverlaySets;
    OVInventoryPtr mInventory;
    // The loader's callbacks are tied to it, so none runs once the layer is gone.
    std::unique_ptr<QObject> mCallbackReceiver;
};
