#include "map/layers/OVMapAnimatedTileLayer.h"

#include "map/OVMapControllerInterface.h"
#include "map/layers/OVMapLayerConfiguration.h"
#include "map/layers/OVMapLayerFactory.h"

#include <QCoreApplication>
#include <QEvent>

OVMapAnimatedTileLayer::OVMapAnimatedTileLayer(OVMapControllerInterface *mapController,
                                               std::shared_ptr<OVTextureLoader> textureLoader,
                                               const QString &sourceURLFormat, const OVInventoryPtr &inventory,
                                               int64_t xTiles, int64_t yTiles, const OVClock &clock)
    : OVMapTileLayer(mapController, std::move(textureLoader))
    , mCurrentAnimationTime(clock.now())
    , mSourceURLFormat(sourceURLFormat)
    , mInventory(inventory)
    , mCallbackReceiver(std::make_unique<QObject>())
{
    setNumXTiles(xTiles);
    setNumYTiles(yTiles);
    setAlpha(1.0);
}

OVMapAnimatedTileLayer::~OVMapAnimatedTileLayer() = default;

void OVMapAnimatedTileLayer::registerWithFactory(OVMapLayerFactory &factory)
{
    factory.registerBuilder(OVMapLayerKind::AnimatedTiles, &OVMapAnimatedTileLayer::makeForConfiguration);
}

std::shared_ptr<OVMapAnimatedTileLayer>
OVMapAnimatedTileLayer::makeForConfiguration(const OVMapLayerConfiguration &configuration,
                                             OVMapControllerInterface *mapController,
                                             const std::shared_ptr<OVTextureLoader> &loader)
{
    auto layer = std::make_shared<OVMapAnimatedTileLayer>(mapController, loader, configuration.sourceURLFormat,
                                                          configuration.inventory, configuration.numXTiles,
                                                          configuration.numYTiles);
    layer->applyTileConfiguration(configuration);
    return layer;
}

QString OVMapAnimatedTileLayer::urlStringForTile(int64_t column, int64_t row) const
{
    return tileSource(mSourceURLFormat, column, row);
}

std::shared_ptr<OVMapOverlaySet> OVMapAnimatedTileLayer::overlaySetForTile(int64_t column, int64_t row)
{
    if (std::optional<std::shared_ptr<OVMapOverlaySet>> known = mOverlaySets.objectForIntegerKey(column, row))
        return *known;
    auto set = std::make_shared<OVMapOverlaySet>();
    set->setInventory(mInventory);
    set->setUrlString(urlStringForTile(column, row));
    set->setGeoRect(geoRectOfTile(column, row));
    mOverlaySets.setObjectForIntegerKey(set, column, row);
    return set;
}

QString OVMapAnimatedTileLayer::prepareTile(int64_t column, int64_t row)
{
    OVMapControllerInterface *controller = mapController();
    const std::shared_ptr<OVTextureLoader> loader = textureLoader();
    if (!controller || !loader || mSourceURLFormat.isEmpty())
        return {};
    const OVMapOverlayPtr overlay = overlaySetForTile(column, row)->closestOverlayToTime(mCurrentAnimationTime);
    if (!overlay)
        return {};
    if (!overlay->urlString().isEmpty() && loader->hasTextureForKey(overlay->urlString()))
        return overlay->urlString();
    // The first ask forms the address and queues the download; the answer comes later.
    const QByteArray bytes = overlay->data();
    const QString key = overlay->urlString();
    if (bytes.isEmpty() || key.isEmpty() || overlay->decodeFailed())
        return {};
    queueTextureLoad(overlay, bytes, key);
    return key;
}

void OVMapAnimatedTileLayer::queueTextureLoad(const OVMapOverlayPtr &overlay, const QByteArray &bytes,
                                              const QString &key)
{
    const std::shared_ptr<OVTextureLoader> loader = textureLoader();
    if (loader->registry().isKeyPending(key))
        return;
    if (overlay->textureLoadQueued()) {
        // The loader releases a key only after posting the job's callback, so whatever it has to
        // say about this key is waiting in the event queue: hear it now. A job it dropped as
        // stale says nothing and is queued again below.
        QCoreApplication::sendPostedEvents(loader.get(), QEvent::MetaCall);
        if (overlay->decodeFailed())
            return;
        overlay->setTextureLoadQueued(false);
        if (mapController()->bindTextureWithKey(key))
            return;
    }
    const std::weak_ptr<OVMapOverlay> weakOverlay = overlay;
    const auto onError = [weakOverlay](const QString &) {
        if (const OVMapOverlayPtr failed = weakOverlay.lock()) {
            failed->setTextureLoadQueued(false);
            failed->setDecodeFailed(true);
        }
    };
    const auto onLoaded = [this, weakOverlay](uint32_t) {
        if (const OVMapOverlayPtr loaded = weakOverlay.lock())
            loaded->setTextureLoadQueued(false);
        redrawView();
    };
    overlay->setTextureLoadQueued(true);
    loader->loadTextureData(bytes, key, textureInternalFormat(), true, true, onError, onLoaded,
                            mCallbackReceiver.get());
}

void OVMapAnimatedTileLayer::cleanupMemory()
{
    for (const std::shared_ptr<OVMapOverlaySet> &set : mOverlaySets.allValues()) {
        set->unloadData();
        set->unloadImages();
    }
    OVMapTileLayer::cleanupMemory();
}
