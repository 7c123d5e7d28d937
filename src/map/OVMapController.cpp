#include "map/OVMapController.h"

#include "core/NBPrefController.h"
#include "core/NBRegisteredDefaults.h"
#include "core/views/OVGraphicsUtil.h"
#include "map/layers/OVMapLayerControls.h"
#include "map/layers/OVMapLayerFactory.h"
#include "map/OVMapNotifications.h"
#include "map/projection/OVMapProjection.h"
#include "map/OVMapSettings.h"
#include "map/OVMapSupportedView.h"
#include "map/layers/OVMapLayer.h"
#include "map/layers/OVMapVectorLayers.h"
#include "map/gl/OVTextureLoader.h"
#include "platform/OVDispatch.h"
#include "platform/OVLog.h"
#include "platform/OVNotificationCenter.h"
#include "platform/OVUserDefaults.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QOpenGLContext>
#include <QOpenGLFunctions_2_1>
#include <QOpenGLVersionFunctionsFactory>
#include <QTimer>

#include <algorithm>
#include <atomic>

namespace {

QOpenGLFunctions_2_1 *currentGL()
{
    QOpenGLContext *context = QOpenGLContext::currentContext();
    return context ? QOpenGLVersionFunctionsFactory::get<QOpenGLFunctions_2_1>(context) : nullptr;
}

// One level of a tile pyramid: world width in pixels, tiles across and down (before the
// Mercator doubling of rows), display band in points per degree (0: unbounded).
struct TileLevel
{
    int64_t level;
    int64_t xTiles;
    int64_t yTiles;
    double minResolution;
    double maxResolution;
};

constexpr TileLevel kTerrainLevels[] = {
    {2048, 4, 2, 0, 96}, {4096, 8, 4, 9, 18},       {8192, 16, 8, 18, 36},
    {16384, 32, 16, 36, 72}, {32768, 64, 32, 72, 144}, {65536, 128, 64, 144, 0},
};
constexpr TileLevel kRadarLevels[] = {{2048, 4, 2, 0, 8}, {4096, 8, 4, 8, 24}, {16384, 32, 16, 24, 0}};
constexpr TileLevel kSatelliteLevels[] = {{1024, 2, 1, 0, 4}, {2048, 4, 2, 4, 10}, {4096, 8, 4, 10, 0}};

void setBand(OVMapLayerConfiguration &configuration, const TileLevel &level)
{
    if (level.minResolution > 0)
        configuration.minDisplayResolution = level.minResolution;
    if (level.maxResolution > 0)
        configuration.maxDisplayResolution = level.maxResolution;
}

bool isDirectory(const QString &path)
{
    return QFileInfo(path).isDir();
}

// Makes the folder with its parents; empty when that fails.
QString madeFolder(const QString &path)
{
    return !path.isEmpty() && QDir().mkpath(path) ? path : QString();
}

std::atomic<bool> gImageryHostLogged{false};
std::atomic<bool> gTerrainHostLogged{false};

void logOnce(std::atomic<bool> &logged, const QString &line)
{
    if (!logged.exchange(true))
        OVLog(line);
}

} // namespace

OVMapController::Environment OVMapController::Environment::fromApplication()
{
    Environment environment;
    environment.cachePath = NBPrefController::nimbrelCoreCachePath();
    environment.resourceRoot = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
    const OVUserDefaults &defaults = OVUserDefaults::standard();
    environment.imageryServerURL = defaults.objectForKey(NBSettingKey::mapImageryServerURL).toString();
    environment.terrainServerURL = defaults.objectForKey(NBSettingKey::mapTerrainServerURL).toString();
    return environment;
}

QVariantMap OVMapController::settingsDefaults()
{
    return OVMapSettings::defaults();
}

OVMapController::OVMapController(OVMapSupportedView *view, std::shared_ptr<OVTextureLoader> textureLoader,
                                 Environment environment, std::unique_ptr<OVMapProjection> projection,
                                 const QVariantMap &settings)
    : mEnvironment(std::move(environment))
    , mFactory(mEnvironment.factory ? *mEnvironment.factory : OVMapLayerFactory::shared())
    , mProjection(projection ? std::move(projection) : std::make_unique<OVEquirectangularMapProjection>())
    , mView(view)
    , mTextureLoader(std::move(textureLoader))
{
    Q_ASSERT(OVDispatch::isMainThread());
    if (!mEnvironment.clock)
        mEnvironment.clock = &OVClock::system();
    mSettings = settingsDefaults();
    for (auto it = settings.begin(); it != settings.end(); ++it)
        mSettings.insert(it.key(), it.value());

    // The number of steps is read only here.
    const QDateTime now = mEnvironment.clock->now();
    const int64_t steps = OVMapSettings::integerValue(mSettings, OVMapSettingKey::animationFrames);
    mTimeTracker.setIncrements(steps);
    mTimeTracker.setTimerInterval(OVMapSettings::doubleValue(mSettings, OVMapSettingKey::animationSpeed));
    mTimeTracker.setEndDate(now);
    mTimeTracker.setBeginDate(now.addSecs(-steps * 12 * 60));
    mTimeTracker.setDelegate(this);
    mTimeTracker.setCurrentIncrementClosestToDate(now);
    if (OVMapSettings::boolValue(mSettings, OVMapSettingKey::isPlaying))
        mTimeTracker.play();

    mTicker = std::make_unique<QTimer>();
    mTicker->setInterval(kTickerSeconds * 1000);
    QObject::connect(mTicker.get(), &QTimer::timeout, [this] { updateTimeInterval(); });
    mTicker->start();
    updateTimeInterval();

    updateShownLayers();

    mCleanupTimer = std::make_unique<QTimer>();
    mCleanupTimer->setInterval(kCleanupSeconds * 1000);
    QObject::connect(mCleanupTimer.get(), &QTimer::timeout, [this] { cleanupMemory(); });
    mCleanupTimer->start();

    OVNotificationCenter &center = OVNotificationCenter::defaultCenter();
    center.addObserver(this, OVGeographyGeoDatasetLoaded, [this](const OVNotification &) { geoDatasetLoaded(); });
    center.addObserver(this, OVInventoryUpdatedNotification, [this](const OVNotification &notification) {
        inventoryUpdated(notification.object.value<OVInventoryPtr>());
    });
}

OVMapController::~OVMapController()
{
    Q_ASSERT(OVDispatch::isMainThread());
    OVNotificationCenter::defaultCenter().removeObserver(this);
    for (const OVMapLayerPtr &layer : allLayers()) {
        layer->setMapController(nullptr);
        layer->invalidateTimers();
    }
    for (OVMapLayerGroup &group : mGroups)
        group.reset();
    mFrameLayerReceiver.reset(); // the frames' layer lists still queued go now, before the loader
    mTimeTracker.setDelegate(nullptr);
    mTimeTracker.pause();
    invalidateTimers();
}

QVariantMap OVMapController::settings() const
{
    std::lock_guard lock(mSettingsMutex);
    return mSettings;
}

void OVMapController::setSettings(const QVariantMap &settings)
{
    std::lock_guard lock(mSettingsMutex);
    mSettings = settings;
}

void OVMapController::setSetting(const QString &key, const QVariant &value)
{
    std::lock_guard lock(mSettingsMutex);
    mSettings.insert(key, value);
}

bool OVMapController::bindTextureWithKey(const QString &key)
{
    if (!mTextureLoader)
        return false;
    const uint32_t texture = mTextureLoader->textureNumberForKey(key);
    if (texture == uint32_t(-1))
        return false;
    if (QOpenGLFunctions_2_1 *gl = currentGL()) {
        gl->glBindTexture(GL_TEXTURE_2D, texture);
        return true;
    }
    return false;
}

void OVMapController::invalidateTimers()
{
    if (mTicker)
        mTicker->stop();
    if (mCleanupTimer)
        mCleanupTimer->stop();
}

// Settings --------------------------------------------------------------------------------

void OVMapController::updateShownLayers()
{
    const QVariantMap current = settings();
    using namespace OVMapSettingKey;
    const std::pair<OVMapLayerType, QLatin1String> order[] = {
        {OVMapLayerType::Terrain, showTerrain},
        {OVMapLayerType::Radar, showRadar},
        {OVMapLayerType::Satellite, showSatellite},
        {OVMapLayerType::Grid, showGrid},
        {OVMapLayerType::Text, showText},
        {OVMapLayerType::SurfaceAnalysis, showSurfaceAnalysis},
        {OVMapLayerType::ParticleMode, showParticleMode},
        {OVMapLayerType::Placemark, showPlacemarks},
    };
    for (const auto &[type, key] : order)
        layerTypeSetEnabled(int64_t(type), OVMapSettings::boolValue(current, key));

    const bool dark = OVMapSettings::boolValue(current, useDarkParticles);
    if (const OVMapLayerGroup group = layers(OVMapLayerType::ParticleMode))
        for (const OVMapLayerPtr &layer : *group)
            if (auto *particles = dynamic_cast<OVMapParticleLayerControl *>(layer.get()))
                particles->setUseDarkColors(dark);
    if (mView)
        mView->redraw();
}

void OVMapController::updateAnimationSpeed()
{
    const double speed = OVMapSettings::doubleValue(settings(), OVMapSettingKey::animationSpeed);
    mTimeTracker.setTimerInterval(speed < 0.01 ? 0.2 : speed);
    if (!mTimeTracker.isPaused()) {
        // The tracker's timer takes the new rate only when it starts again.
        mTimeTracker.pause();
        mTimeTracker.play();
    }
}

void OVMapController::updateTimeInterval()
{
    const int64_t interval = OVMapSettings::integerValue(settings(), OVMapSettingKey::timeInterval);
    const QDateTime now = mEnvironment.clock->now();
    const int64_t stepSeconds = interval != 0 ? 3 * 3600 : 12 * 60;
    mTimeTracker.setEndDate(now);
    mTimeTracker.setBeginDate(now.addSecs(-mTimeTracker.increments() * stepSeconds));
    mTimeTracker.setCurrentIncrementClosestToDate(now);
}

void OVMapController::updateParticleDensity()
{
    const int64_t columns =
        std::clamp<int64_t>(OVMapSettings::integerValue(settings(), OVMapSettingKey::particleDensity), 50, 400);
    std::weak_ptr<int> alive = mLifeToken;
    OVDispatch::mainAsync([this, alive, columns] {
        if (alive.expired())
            return;
        if (const OVMapLayerGroup group = layers(OVMapLayerType::ParticleMode))
            for (const OVMapLayerPtr &layer : *group)
                if (auto *particles = dynamic_cast<OVMapParticleLayerControl *>(layer.get()))
                    particles->resizeParticleArrayUsingNumXParticles(columns);
    });
}

// Groups ----------------------------------------------------------------------------------

OVMapLayerGroup OVMapController::layers(OVMapLayerType type) const
{
    std::lock_guard lock(mGroupMutex);
    return mGroups[size_t(type)];
}

namespace {

OVMapPlacemarkLayer *firstPlacemarkLayer(const OVMapLayerGroup &group)
{
    if (!group || group->isEmpty())
        return nullptr;
    return dynamic_cast<OVMapPlacemarkLayer *>(group->constFirst().get());
}

} // namespace

void OVMapController::clearPlacemarks()
{
    if (OVMapPlacemarkLayer *layer = firstPlacemarkLayer(layers(OVMapLayerType::Placemark)))
        layer->setPlacemarks({});
}

void OVMapController::addPlacemark(const std::shared_ptr<OVMapPlacemarkItem> &placemark)
{
    const OVMapLayerGroup group = layers(OVMapLayerType::Placemark);
    OVMapPlacemarkLayer *layer = firstPlacemarkLayer(group);
    if (!layer || !placemark)
        return;
    // The list is replaced whole, so a frame being drawn keeps the list it took.
    QList<OVMapPlacemarkItemPtr> placemarks = layer->placemarks();
    placemarks.append(placemark);
    layer->setPlacemarks(placemarks);
}

QList<OVMapLayerPtr> OVMapController::allLayers() const
{
    QList<OVMapLayerPtr> all;
    for (int64_t type = 0; type < kOVMapLayerTypeCount; ++type)
        if (const OVMapLayerGroup group = layers(OVMapLayerType(type)))
            all += *group;
    return all;
}

void OVMapController::setGroup(OVMapLayerType type, OVMapLayerGroup group)
{
    std::lock_guard lock(mGroupMutex);
    mGroups[size_t(type)] = std::move(group);
}

void OVMapController::layerTypeSetEnabled(int64_t type, bool enabled)
{
    if (type < 0 || type >= kOVMapLayerTypeCount)
        return;
    const OVMapLayerGroup group = layers(OVMapLayerType(type));
    const bool empty = !group || group->isEmpty();
    if (enabled && empty)
        enableType(OVMapLayerType(type));
    else if (!enabled && !empty)
        disableType(OVMapLayerType(type));
    holdLoopUnlessItHasFrames();
}

bool OVMapController::loopHasFrames() const
{
    const auto hasFrames = [this](OVMapLayerType type, const OVInventoryPtr &inventory) {
        const OVMapLayerGroup group = layers(type);
        return group && !group->isEmpty() && inventory && inventory->closestInventory().isValid();
    };
    return hasFrames(OVMapLayerType::Radar, mRadarInventory) || hasFrames(OVMapLayerType::Satellite, mSatelliteInventory);
}

void OVMapController::holdLoopUnlessItHasFrames()
{
    // Each tick of the loop asks for a frame: with nothing to step through, it only costs.
    mTimeTracker.setHeld(!loopHasFrames());
}

void OVMapController::enableType(OVMapLayerType type)
{
    if (type == OVMapLayerType::Terrain) {
        // The terrain group is built for one month.
        const QString month = QStringLiteral("%1").arg(mEnvironment.clock->now().toLocalTime().date().month(), 2, 10,
                                                       QLatin1Char('0'));
        if (!mCurrentTerrainMonthString.isEmpty() && mCurrentTerrainMonthString == month)
            return;
    }
    const QList<OVMapLayerConfiguration> configurations = configurationsForType(type);
    if (type == OVMapLayerType::Radar && !configurations.isEmpty())
        mRadarInventory = configurations.first().inventory;
    if (type == OVMapLayerType::Satellite && !configurations.isEmpty())
        mSatelliteInventory = configurations.first().inventory;

    auto built = std::make_shared<QList<OVMapLayerPtr>>();
    for (const OVMapLayerConfiguration &configuration : configurations)
        if (OVMapLayerPtr layer = mFactory.build(configuration, this, mTextureLoader))
            built->append(std::move(layer));

    if (type == OVMapLayerType::Terrain)
        mCurrentTerrainMonthString = configurations.isEmpty() ? QString() : configurations.first().terrainMonth;
    setGroup(type, built);

    if (type == OVMapLayerType::ParticleMode) {
        for (const OVMapLayerPtr &layer : *built)
            if (auto *particles = dynamic_cast<OVMapParticleLayerControl *>(layer.get()))
                particles->update();
        updateParticleDensity();
    }
}

void OVMapController::disableType(OVMapLayerType type)
{
    const OVMapLayerGroup group = layers(type);
    if (group)
        for (const OVMapLayerPtr &layer : *group) {
            layer->setMapController(nullptr);
            layer->invalidateTimers();
        }
    setGroup(type, nullptr);
    if (type == OVMapLayerType::Radar)
        mRadarInventory.reset();
    else if (type == OVMapLayerType::Satellite)
        mSatelliteInventory.reset();
    else if (type == OVMapLayerType::Terrain)
        mCurrentTerrainMonthString.clear();
}

// Configurations --------------------------------------------------------------------------

QString OVMapController::projectionWord() const
{
    if (dynamic_cast<const OVMercatorMapProjection *>(mProjection.get()))
        return QStringLiteral("mercator");
    if (dynamic_cast<const OVEquirectangularMapProjection *>(mProjection.get()))
        return QStringLiteral("equirectangular");
    return QString();
}

QList<OVMapLayerConfiguration> OVMapController::configurationsForType(OVMapLayerType type)
{
    OVMapLayerConfiguration configuration;
    configuration.type = type;
    switch (type) {
    case OVMapLayerType::Terrain:
        return terrainConfigurations();
    case OVMapLayerType::Radar:
    case OVMapLayerType::Satellite:
        return tileConfigurations(type);
    case OVMapLayerType::Text:
        configuration.kind = OVMapLayerKind::Text;
        configuration.elevation = OVMapElevation::kText;
        configuration.checkOverlappingStrings = true;
        break;
    case OVMapLayerType::SurfaceAnalysis:
        configuration.kind = OVMapLayerKind::SurfaceAnalysis;
        configuration.elevation = OVMapElevation::kSurfaceAnalysis;
        break;
    case OVMapLayerType::Grid:
        configuration.kind = OVMapLayerKind::Grid;
        configuration.elevation = OVMapElevation::kGrid;
        configuration.gridColorAlpha = 0.5;
        break;
    case OVMapLayerType::ParticleMode:
        configuration.kind = OVMapLayerKind::ParticleMode;
        configuration.elevation = OVMapElevation::kParticleMode;
        break;
    case OVMapLayerType::Placemark:
        configuration.kind = OVMapLayerKind::Placemark;
        configuration.elevation = OVMapElevation::kPlacemark;
        break;
    }
    return {configuration};
}

QList<OVMapLayerConfiguration> OVMapController::terrainConfigurations()
{
    const QString month =
        QStringLiteral("%1").arg(mEnvironment.clock->now().toLocalTime().date().month(), 2, 10, QLatin1Char('0'));
    const QDir resources(mEnvironment.resourceRoot);
    const QString bundleBase = resources.filePath(QStringLiteral("Gen2Maps/") + month);
    const QString cacheBase =
        mEnvironment.cachePath.isEmpty()
            ? QString()
            : madeFolder(QDir(mEnvironment.cachePath).filePath(QStringLiteral("Terrain-gen2-nb/") + month));
    const QString host = mEnvironment.terrainServerURL;
    const QString urlBase = host.isEmpty() ? QString() : host + QStringLiteral("/gen2-nb/") + month + QLatin1Char('/');
    const QString bundled2048 = resources.filePath(QStringLiteral("gen2-nb-2048/") + month);

    QList<OVMapLayerConfiguration> configurations;
    double elevation = OVMapElevation::kTerrainCoarsest;
    for (const TileLevel &level : kTerrainLevels) {
        OVMapLayerConfiguration configuration;
        configuration.kind = OVMapLayerKind::TerrainTiles;
        configuration.type = OVMapLayerType::Terrain;
        configuration.terrainMonth = month;
        configuration.level = level.level;
        configuration.numXTiles = level.xTiles;
        configuration.numYTiles = level.yTiles;
        configuration.elevation = elevation;
        elevation += 1.0;
        configuration.alpha = 1.0;
        configuration.textureInternalFormat = OVMapTextureFormat::kCompressedRGB;
        setBand(configuration, level);
        const QString levelName = QString::number(level.level);
        if (level.level == 2048 && isDirectory(bundled2048)) {
            // The coarsest level ships with the program: it stays under the finer ones at every zoom.
            configuration.sourceURLFormat = bundled2048 + QStringLiteral("/@x_@y.jpg");
            configuration.maxDisplayResolution.reset();
            configuration.texturePatternForCleanup = resources.filePath(QStringLiteral("gen2-nb-2048"));
        } else {
            if (isDirectory(bundleBase + QLatin1Char('/') + levelName))
                configuration.sourceURLFormat = bundleBase + QLatin1Char('/') + levelName + QStringLiteral("/@x_@y.jpg");
            else if (!urlBase.isEmpty())
                configuration.sourceURLFormat = urlBase + levelName + QStringLiteral("/@x_@y.jpg");
            else
                logOnce(gTerrainHostLogged,
                        QStringLiteral("Map: no terrain server is set; terrain levels not among the resources stay empty."));
            if (!cacheBase.isEmpty())
                configuration.localCacheDirectory = madeFolder(cacheBase + QLatin1Char('/') + levelName);
            configuration.texturePatternForCleanup = host + QStringLiteral("/gen2-nb/");
        }
        configurations.append(configuration);
    }

    const double scale = OVGraphicsUtil::resolutionScaleFactor();
    const struct
    {
        const char *file;
        double width;
        double alpha;
    } boundaries[] = {{"boundaries_i.txt", 1.4, 1.0}, {"states_i.txt", 1.0, 0.9}};
    for (const auto &boundary : boundaries) {
        OVMapLayerConfiguration configuration;
        configuration.kind = OVMapLayerKind::BoundaryLines;
        configuration.type = OVMapLayerType::Terrain;
        configuration.terrainMonth = month;
        configuration.elevation = OVMapElevation::kBoundaries;
        configuration.boundaryFile = resources.filePath(QLatin1String(boundary.file));
        configuration.lineWidth = boundary.width * scale;
        configuration.lineRed = configuration.lineGreen = configuration.lineBlue = 0.1;
        configuration.alpha = boundary.alpha;
        configurations.append(configuration);
    }
    return configurations;
}

OVInventoryPtr OVMapController::makeInventory(OVMapLayerType type)
{
    const QString host = mEnvironment.imageryServerURL;
    if (host.isEmpty()) {
        logOnce(gImageryHostLogged, QStringLiteral("Map: no imagery server is set; radar and satellite stay empty."));
        return nullptr;
    }
    const bool radar = type == OVMapLayerType::Radar;
    const QString path = radar ? QStringLiteral("/%1/radar_composites/base_reflectivity/inventory.txt")
                               : QStringLiteral("/%1/satellite/ir/short-inventory.txt");
    OVInventoryPtr inventory = OVInventory::inventoryWithURLString(host + path.arg(projectionWord()));
    if (inventory) {
        inventory->setClock(mEnvironment.clock);
        inventory->setUpdateTimeInterval(radar ? kRadarInventoryRefreshSeconds : kSatelliteInventoryRefreshSeconds);
        inventory->updateIfNeeded();
    }
    return inventory;
}

QList<OVMapLayerConfiguration> OVMapController::tileConfigurations(OVMapLayerType type)
{
    const bool radar = type == OVMapLayerType::Radar;
    const QString word = projectionWord();
    const int64_t k = word == QLatin1String("mercator") ? 2 : 1;
    const QString host = mEnvironment.imageryServerURL;
    const OVInventoryPtr inventory = makeInventory(type);

    QList<OVMapLayerConfiguration> configurations;
    const auto levels = radar ? std::begin(kRadarLevels) : std::begin(kSatelliteLevels);
    const auto end = radar ? std::end(kRadarLevels) : std::end(kSatelliteLevels);
    for (auto level = levels; level != end; ++level) {
        const QString levelName = QString::number(level->level);
        const QString folder = radar ? QStringLiteral("/%1/radar_composites/base_reflectivity/").arg(word)
                                     : QStringLiteral("/%1/satellite/ir/").arg(word);
        OVMapLayerConfiguration configuration;
        configuration.kind = OVMapLayerKind::AnimatedTiles;
        configuration.type = type;
        configuration.level = level->level;
        configuration.numXTiles = level->xTiles;
        configuration.numYTiles = level->yTiles * k;
        configuration.elevation = radar ? OVMapElevation::kRadar : OVMapElevation::kSatellite;
        configuration.alpha = 1.0;
        setBand(configuration, *level);
        configuration.textureInternalFormat = radar ? OVMapTextureFormat::kRGB5A1 : OVMapTextureFormat::kIntensity;
        configuration.preferenceKeyForAlpha =
            radar ? QString(OVMapSettingKey::radarOpacity) : QString(OVMapSettingKey::satelliteOpacity);
        configuration.layerRect = mProjection ? mProjection->validGeoRect() : OVGeoRect{};
        configuration.inventory = inventory;
        if (!host.isEmpty()) {
            const QString tileFolder = host + folder + levelName + QStringLiteral("/@x_@y/");
            configuration.sourceURLFormat = OVMapTilePattern::timePattern(
                radar ? tileFolder : tileFolder + QStringLiteral("clouds_"), QStringLiteral(".png"));
        }
        configuration.texturePatternForCleanup = host + folder + levelName + QLatin1Char('/');
        configurations.append(configuration);
    }
    return configurations;
}

// Time loop -------------------------------------------------------------------------------

void OVMapController::incrementUpdated(OVTimeTracker &tracker)
{
    const int64_t interval = OVMapSettings::integerValue(settings(), OVMapSettingKey::timeInterval);
    const QDateTime loopTime = tracker.currentTime();
    // With 12-minute steps the satellite shows its newest image while the radar loops.
    const QDateTime satelliteTime = interval != 0 ? loopTime : mEnvironment.clock->now();
    for (int64_t type = 1; type < kOVMapLayerTypeCount; ++type) {
        const OVMapLayerGroup group = layers(OVMapLayerType(type));
        if (!group)
            continue;
        const QDateTime time = OVMapLayerType(type) == OVMapLayerType::Satellite ? satelliteTime : loopTime;
        for (const OVMapLayerPtr &layer : *group)
            if (auto *animated = dynamic_cast<OVMapAnimatedLayerControl *>(layer.get()))
                animated->setCurrentAnimationTime(time);
    }
    if (!mView)
        return;
    mView->satelliteTimeShownDidChange(mSatelliteInventory ? mSatelliteInventory->closestInventoryToDate(satelliteTime)
                                                           : QDateTime());
    mView->radarTimeShownDidChange(mRadarInventory ? mRadarInventory->closestInventoryToDate(loopTime) : QDateTime());
    mView->redraw();
}

void OVMapController::inventoryUpdated(const OVInventoryPtr &inventory)
{
    if (!inventory || (inventory != mRadarInventory && inventory != mSatelliteInventory))
        return;
    holdLoopUnlessItHasFrames();
    updateTimeInterval();
    incrementUpdated(mTimeTracker);
}

void OVMapController::geoDatasetLoaded()
{
    if (mView)
        mView->redraw();
}

void OVMapController::cleanupMemory()
{
    for (const OVMapLayerPtr &layer : allLayers())
        layer->cleanupMemory();
    if (mTextureLoader)
        mTextureLoader->deleteTexturesWithKeyMatchingPattern(std::nullopt, kCleanupGraceSeconds);
    if (mView)
        mView->redraw();
}

// Drawing ---------------------------------------------------------------------------------

void OVMapController::prepareFrame()
{
    Q_ASSERT(OVDispatch::isMainThread());
    for (const OVMapLayerPtr &layer : allLayers())
        layer->prepareFrame();
}

void OVMapController::prepareCurrentContext()
{
    QOpenGLFunctions_2_1 *gl = currentGL();
    if (!gl)
        return;
    gl->glEnable(GL_BLEND);
    gl->glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    gl->glEnable(GL_LINE_SMOOTH);
    gl->glHint(GL_LINE_SMOOTH_HINT, GL_FASTEST);
    gl->glEnable(GL_ALPHA_TEST);
    gl->glAlphaFunc(GL_GREATER, 0.0f);
    gl->glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    mContextPrepared = true;
}

void OVMapController::drawGroup(const OVMapLayerGroup &group)
{
    if (group)
        for (const OVMapLayerPtr &layer : *group)
            layer->draw();
}

void OVMapController::draw()
{
    // The loader's uploads wait for the frame: see OVTextureLoader::sharedGLMutex.
    const std::lock_guard glLock(OVTextureLoader::sharedGLMutex());
    QOpenGLFunctions_2_1 *gl = currentGL();
    if (!gl) {
        OVLog(QStringLiteral("Map: drawing without an OpenGL context; the frame is skipped."));
        return;
    }
    if (!mContextPrepared)
        prepareCurrentContext();
    gl->glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    // Projection over the visible rectangle, in projected units.
    gl->glMatrixMode(GL_PROJECTION);
    gl->glLoadIdentity();
    const OVGeoRect visible = mView ? mView->visibleGeoRect() : OVGeoRect{};
    const QPointF p1 = mProjection->pointForGeoPoint(visible.minPoint);
    const QPointF p2 = mProjection->pointForGeoPoint(visible.maxPoint);
    if (p1.x() != p2.x() && p1.y() != p2.y())
        gl->glOrtho(p1.x(), p2.x(), p1.y(), p2.y(), 100.0, -100.0);

    gl->glMatrixMode(GL_MODELVIEW);
    gl->glPushMatrix();
    gl->glLoadIdentity();
    QList<OVMapLayerPtr> frameLayers;
    if (const OVMapLayerGroup terrain = layers(OVMapLayerType::Terrain)) {
        frameLayers = *terrain;
        drawGroup(terrain);
    }
    if (!mDisableAloftLayers) {
        QList<OVMapLayerPtr> aloft;
        const OVMapLayerType order[] = {OVMapLayerType::Radar,   OVMapLayerType::Satellite,
                                        OVMapLayerType::Text,    OVMapLayerType::SurfaceAnalysis,
                                        OVMapLayerType::Grid,    OVMapLayerType::ParticleMode,
                                        OVMapLayerType::Placemark};
        for (OVMapLayerType type : order)
            if (const OVMapLayerGroup group = layers(type))
                aloft += *group;
        std::stable_sort(aloft.begin(), aloft.end(),
                         [](const OVMapLayerPtr &a, const OVMapLayerPtr &b) { return a->elevation() < b->elevation(); });
        for (const OVMapLayerPtr &layer : aloft)
            layer->draw();
        frameLayers += aloft;
    }
    gl->glPopMatrix();
    // A layer the GUI thread dropped during the frame may be held by this frame alone; its
    // timers and observers belong to the GUI thread, so the last reference goes there (or
    // with the controller, should it go first).
    if (!OVDispatch::isMainThread())
        QMetaObject::invokeMethod(mFrameLayerReceiver.get(), [layers = std::move(frameLayers)] {}, Qt::QueuedConnection);
}
