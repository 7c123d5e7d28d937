// The map engine behind the map view: the map settings, the projection, one layer group per
// layer type, the radar and satellite inventories, the stepping clock of the radar/satellite
// loop, and the drawing of every layer into the current OpenGL context (terrain first, the
// others by elevation).
//
// The controller decides which layers exist and computes each one's configuration as a value
// (`configurationsForType`); the layer factory builds it. Groups are immutable lists replaced
// whole; `draw` works on the copies it took, and a layer removed meanwhile is told
// `setMapController(nullptr)` first.
//
// Threads: made, used and destroyed on the GUI thread, where its timers (60 s window refresh,
// 1200 s clean-up), the loop's timer and the inventory notifications run; `draw` (and
// `prepareCurrentContext`) run on the map's render thread, with its context current. A loop
// step changes only what the GUI thread plans for the next frame (`prepareFrame`), so it never
// waits for a frame; the settings and the group pointers have locks of their own, since the GUI
// thread changes them while a frame reads them. Nothing queued by the
// controller runs after it is gone.
#pragma once

#include "core/OVTimeTracker.h"
#include "core/remote/OVInventory.h"
#include "map/OVMapControllerInterface.h"
#include "map/layers/OVMapLayerConfiguration.h"
#include "map/projection/OVMapProjection.h"
#include "platform/OVClock.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include <array>
#include <memory>
#include <mutex>

class OVMapLayer;
class OVMapLayerFactory;
class OVMapPlacemarkItem;
class OVMapProjection;
class OVTextureLoader;
class QTimer;

using OVMapLayerPtr = std::shared_ptr<OVMapLayer>;
using OVMapLayerGroup = std::shared_ptr<const QList<OVMapLayerPtr>>;

class OVMapController final : public OVMapControllerInterface, public OVTimeTrackerDelegate
{
public:
    static constexpr int kTickerSeconds = 60;
    static constexpr int kCleanupSeconds = 1200;
    /// Textures used within this many seconds of the newest use survive the clean-up.
    static constexpr double kCleanupGraceSeconds = 5.0;
    static constexpr int kRadarInventoryRefreshSeconds = 360;
    static constexpr int kSatelliteInventoryRefreshSeconds = 720;

    /// Where the controller finds its data; each part can be replaced in tests.
    struct Environment
    {
        /// The application's cache folder, root of the terrain tile cache; empty: no disk cache.
        QString cachePath;
        /// The folder of the bundled map data (Gen2Maps, gen2-nb-2048, boundary files).
        QString resourceRoot;
        /// Scheme and host of the imagery and terrain servers; empty: none is asked.
        QString imageryServerURL;
        QString terrainServerURL;
        const OVClock *clock = &OVClock::system();
        OVMapLayerFactory *factory = nullptr; // nothing: the shared factory

        /// The running program's: cache folder, the binary's folder, the hosts in the user
        /// defaults, the system clock.
        static Environment fromApplication();
    };

    /// A fresh map of the twelve default settings.
    static QVariantMap settingsDefaults();

    /// `settings` are laid over the defaults. Without a projection an equirectangular one is
    /// made. The view is not owned and must outlive the controller.
    OVMapController(OVMapSupportedView *view, std::shared_ptr<OVTextureLoader> textureLoader, Environment environment,
                    std::unique_ptr<OVMapProjection> projection = nullptr, const QVariantMap &settings = {});
    ~OVMapController() override;
    OVMapController(const OVMapController &) = delete;
    OVMapController &operator=(const OVMapController &) = delete;

    // OVMapControllerInterface
    OVMapSupportedView *view() const override { return mView; }
    const OVMapProjection *mapProjection() const override { return mProjection.get(); }
    QVariantMap settings() const override;
    bool bindTextureWithKey(const QString &key) override;

    /// Replaces the settings; apply them with the update operations.
    void setSettings(const QVariantMap &settings);
    /// Changes one setting; apply it with the update operations.
    void setSetting(const QString &key, const QVariant &value);

    // Applying the settings.
    void updateShownLayers();
    void updateAnimationSpeed();
    void updateTimeInterval();
    /// The resize reaches the particle layers on the GUI thread's event loop, after this returns.
    void updateParticleDensity();
    /// Builds (enabled, group empty) or removes (disabled, group not empty) one group; a type
    /// outside 0..7 is ignored.
    void layerTypeSetEnabled(int64_t type, bool enabled);

    /// What enabling a type would build now, in group order (terrain also makes its cache
    /// folders). Radar and satellite carry their inventory when the imagery server is known.
    QList<OVMapLayerConfiguration> configurationsForType(OVMapLayerType type);

    /// Lets every layer do, on the GUI thread, what the next frame needs from it there.
    void prepareFrame();
    // Drawing, with the map's OpenGL context current.
    void prepareCurrentContext();
    void draw();
    bool contextPrepared() const { return mContextPrepared; }
    /// Forgets the fixed GL state, for a new context.
    void setContextPrepared(bool prepared) { mContextPrepared = prepared; }
    bool disableAloftLayers() const { return mDisableAloftLayers; }
    void setDisableAloftLayers(bool disable) { mDisableAloftLayers = disable; }

    // Callbacks.
    void incrementUpdated(OVTimeTracker &tracker) override;
    void inventoryUpdated(const OVInventoryPtr &inventory);
    void geoDatasetLoaded();
    void cleanupMemory();
    void invalidateTimers();

    // Placemarks: the list of the first placemark layer; nothing while placemarks are hidden.
    void clearPlacemarks();
    void addPlacemark(const std::shared_ptr<OVMapPlacemarkItem> &placemark);

    OVMapLayerGroup layers(OVMapLayerType type) const;
    /// Every group, terrain first.
    QList<OVMapLayerPtr> allLayers() const;
    OVInventoryPtr radarInventory() const { return mRadarInventory; }
    OVInventoryPtr satelliteInventory() const { return mSatelliteInventory; }
    OVTimeTracker &timeTracker() { return mTimeTracker; }
    /// The window refresh and clean-up timers, so a test can see them run and fire them.
    QTimer *ticker() const { return mTicker.get(); }
    QTimer *cleanupTimer() const { return mCleanupTimer.get(); }
    /// Whether a shown radar or satellite layer has listed frames, so the loop has something
    /// to show; without, the loop's timer is held (its play state kept).
    bool loopHasFrames() const;
    std::shared_ptr<OVTextureLoader> textureLoader() const { return mTextureLoader; }
    QString cachePath() const { return mEnvironment.cachePath; }
    QString currentTerrainMonthString() const { return mCurrentTerrainMonthString; }

private:
    void enableType(OVMapLayerType type);
    void disableType(OVMapLayerType type);
    void setGroup(OVMapLayerType type, OVMapLayerGroup group);
    QList<OVMapLayerConfiguration> terrainConfigurations();
    QList<OVMapLayerConfiguration> tileConfigurations(OVMapLayerType type);
    OVInventoryPtr makeInventory(OVMapLayerType type);
    QString projectionWord() const;
    void drawGroup(const OVMapLayerGroup &group);
    void holdLoopUnlessItHasFrames();

    Environment mEnvironment;
    OVMapLayerFactory &mFactory;
    std::unique_ptr<OVMapProjection> mProjection;
    OVMapSupportedView *mView = nullptr;
    std::shared_ptr<OVTextureLoader> mTextureLoader;

    mutable std::mutex mSettingsMutex;
    QVariantMap mSettings;

    mutable std::mutex mGroupMutex; // guards the group pointers only
    std::array<OVMapLayerGroup, kOVMapLayerTypeCount> mGroups;

    OVInventoryPtr mRadarInventory;
    OVInventoryPtr mSatelliteInventory;
    OVTimeTracker mTimeTracker;
    std::unique_ptr<QObject> mFrameLayerReceiver = std::make_unique<QObject>(); // GUI thread
    std::unique_ptr<QTimer> mTicker;
    std::unique_ptr<QTimer> mCleanupTimer;
    QString mCurrentTerrainMonthString;
    bool mContextPrepared = false;
    bool mDisableAloftLayers = false;
    /// Expires with the controller, so queued work can tell it is gone.
    std::shared_ptr<int> mLifeToken = std::make_shared<int>(0);
};
