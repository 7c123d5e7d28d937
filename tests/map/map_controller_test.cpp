// The map engine without drawing: its settings, which layer groups exist, the configuration of
// every level it asks the layer factory for, and the radar/satellite time loop over real
// inventories from a local server, moved to now by a newer inventory and by the minute ticker;
// the clean-up timer. Layers are recording stubs.
#include "map/layers/OVMapBuiltinLayers.h"
#include "map/OVMapController.h"
#include "map/layers/OVMapVectorLayers.h"
#include "map/projection/OVMapProjection.h"
#include "map/OVMapSettings.h"

#include "support/FakeClock.h"
#include "support/FakeMapView.h"
#include "support/FixtureHttpServer.h"
#include "support/MapStubLayers.h"
#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>

namespace {

QDateTime utc(int y, int mo, int d, int h, int mi)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi), Qt::UTC);
}

class MapControllerTest : public ::testing::Test
{
protected:
    std::unique_ptr<OVMapController> make(const QVariantMap &settings = {},
                                          std::unique_ptr<OVMapProjection> projection = nullptr)
    {
        OVMapController::Environment environment;
        environment.cachePath = cache.path();
        environment.resourceRoot = resources.path();
        environment.imageryServerURL = imageryHost;
        environment.terrainServerURL = terrainHost;
        environment.clock = &clock;
        environment.factory = &recorder.factory;
        return std::make_unique<OVMapController>(&view, nullptr, environment, std::move(projection), settings);
    }

    static int groupSize(const OVMapController &controller, OVMapLayerType type)
    {
        const OVMapLayerGroup group = controller.layers(type);
        return group ? int(group->size()) : 0;
    }

    FakeClock clock{utc(2024, 3, 10, 6, 30)};
    FakeMapView view;
    RecordingLayerFactory recorder;
    QTemporaryDir cache;
    QTemporaryDir resources;
    QString imageryHost;
    QString terrainHost = QStringLiteral("https://terrain.test");
};

TEST_F(MapControllerTest, DefaultsAreTheTwelveSettings)
{
    const QVariantMap defaults = OVMapController::settingsDefaults();
    EXPECT_EQ(defaults.size(), 12);
    EXPECT_FALSE(defaults.contains(QString(OVMapSettingKey::showTerrain)));
    EXPECT_EQ(defaults.value(QString(OVMapSettingKey::satelliteOpacity)).toDouble(), 0.75);
    EXPECT_EQ(defaults.value(QString(OVMapSettingKey::animationFrames)).toInt(), 10);
    EXPECT_EQ(OVMapSettings::userDefaultKeys().size(), 17);
    EXPECT_FALSE(OVMapSettings::userDefaultKeys().contains(QString(OVMapSettingKey::showPlacemarks)));
}

TEST_F(MapControllerTest, WithoutSettingsOnlyParticlesAndPlacemarksExist)
{
    auto controller = make();
    for (int64_t type = 0; type < kOVMapLayerTypeCount; ++type) {
        SCOPED_TRACE(type);
        const bool shown = type == int64_t(OVMapLayerType::ParticleMode) || type == int64_t(OVMapLayerType::Placemark);
        EXPECT_EQ(groupSize(*controller, OVMapLayerType(type)), shown ? 1 : 0);
    }
    const auto particles = recorder.ofType(OVMapLayerType::ParticleMode);
    ASSERT_EQ(particles.size(), 1);
    EXPECT_EQ(particles[0]->updates, 1);
    EXPECT_EQ(particles[0]->elevation(), 51.0);
    EXPECT_EQ(particles[0]->layerType(), 6);
    EXPECT_EQ(recorder.ofType(OVMapLayerType::Placemark)[0]->elevation(), 59.0);
}

TEST_F(MapControllerTest, GroupsAreBuiltOnceAndRebuiltAfterRemoval)
{
    auto controller = make();
    controller->layerTypeSetEnabled(int64_t(OVMapLayerType::Grid), true);
    controller->layerTypeSetEnabled(int64_t(OVMapLayerType::Grid), true);
    ASSERT_EQ(recorder.ofType(OVMapLayerType::Grid).size(), 1);
    EXPECT_EQ(recorder.ofType(OVMapLayerType::Grid)[0]->configuration.gridColorAlpha, 0.5);

    const int before = int(recorder.built.size());
    controller->layerTypeSetEnabled(8, true);
    controller->layerTypeSetEnabled(-1, true);
    controller->layerTypeSetEnabled(int64_t(OVMapLayerType::Text), false); // empty: nothing to do
    EXPECT_EQ(recorder.built.size(), before);

    controller->layerTypeSetEnabled(int64_t(OVMapLayerType::Terrain), true);
    EXPECT_EQ(groupSize(*controller, OVMapLayerType::Terrain), 8);
    const auto first = recorder.ofType(OVMapLayerType::Terrain);
    controller->layerTypeSetEnabled(int64_t(OVMapLayerType::Terrain), false);
    EXPECT_EQ(controller->layers(OVMapLayerType::Terrain), nullptr);
    for (const auto &layer : first) {
        EXPECT_EQ(layer->mapController(), nullptr);
        EXPECT_EQ(layer->timerInvalidations, 1);
    }
    EXPECT_TRUE(controller->currentTerrainMonthString().isEmpty());
    controller->layerTypeSetEnabled(int64_t(OVMapLayerType::Terrain), true);
    EXPECT_EQ(recorder.ofType(OVMapLayerType::Terrain).size(), 16);
    EXPECT_EQ(controller->currentTerrainMonthString(), QStringLiteral("03"));
}

TEST_F(MapControllerTest, AnimationSpeedHasAFloor)
{
    auto controller = make();
    const struct
    {
        double speed;
        double seconds;
    } cases[] = {{0.005, 0.2}, {0.01, 0.01}, {0.5, 0.5}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.speed);
        controller->setSetting(QString(OVMapSettingKey::animationSpeed), c.speed);
        controller->updateAnimationSpeed();
        EXPECT_DOUBLE_EQ(controller->timeTracker().timerInterval(), c.seconds);
    }
}

TEST_F(MapControllerTest, ParticleDensityIsClampedAndAppliedLater)
{
    auto controller = make();
    auto particles = recorder.ofType(OVMapLayerType::ParticleMode).at(0);
    QCoreApplication::processEvents();
    EXPECT_EQ(particles->particleColumns, 50); // the default 1, raised

    controller->setSetting(QString(OVMapSettingKey::particleDensity), 1000);
    controller->updateParticleDensity();
    EXPECT_EQ(particles->particleColumns, 50); // not before the call returns
    QCoreApplication::processEvents();
    EXPECT_EQ(particles->particleColumns, 400);

    // A controller gone before the queued resize runs sends nothing.
    controller->setSetting(QString(OVMapSettingKey::particleDensity), 200);
    controller->updateParticleDensity();
    controller.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(particles->particleColumns, 400);
    EXPECT_EQ(particles->mapController(), nullptr);
}

TEST_F(MapControllerTest, BooleanSettingsReadStoredTextRightly)
{
    // "NO" is text a plain QVariant conversion would take for true.
    auto controller = make({{QString(OVMapSettingKey::showGrid), QStringLiteral("NO")},
                            {QString(OVMapSettingKey::showText), QStringLiteral("YES")},
                            {QString(OVMapSettingKey::useDarkParticles), QStringLiteral("1")}});
    EXPECT_EQ(groupSize(*controller, OVMapLayerType::Grid), 0);
    EXPECT_EQ(groupSize(*controller, OVMapLayerType::Text), 1);
    EXPECT_TRUE(recorder.ofType(OVMapLayerType::Text)[0]->configuration.checkOverlappingStrings);
    EXPECT_TRUE(recorder.ofType(OVMapLayerType::ParticleMode)[0]->darkColors);
}

// Terrain -------------------------------------------------------------------------------------

TEST_F(MapControllerTest, TerrainPyramidFromTheServer)
{
    auto controller = make();
    const auto configurations = controller->configurationsForType(OVMapLayerType::Terrain);
    ASSERT_EQ(configurations.size(), 8);
    const struct
    {
        int64_t level, x, y;
        double elevation;
        std::optional<double> min, max;
    } rows[] = {
        {2048, 4, 2, -10, std::nullopt, 96}, {4096, 8, 4, -9, 9, 18},     {8192, 16, 8, -8, 18, 36},
        {16384, 32, 16, -7, 36, 72},         {32768, 64, 32, -6, 72, 144}, {65536, 128, 64, -5, 144, std::nullopt},
    };
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(rows[i].level);
        const OVMapLayerConfiguration &c = configurations[i];
        EXPECT_EQ(c.kind, OVMapLayerKind::TerrainTiles);
        EXPECT_EQ(c.level, rows[i].level);
        EXPECT_EQ(c.numXTiles, rows[i].x);
        EXPECT_EQ(c.numYTiles, rows[i].y);
        EXPECT_EQ(c.elevation, rows[i].elevation);
        EXPECT_EQ(c.minDisplayResolution, rows[i].min);
        EXPECT_EQ(c.maxDisplayResolution, rows[i].max);
        EXPECT_EQ(c.textureInternalFormat, 34029);
        const QString level = QString::number(rows[i].level);
        EXPECT_EQ(c.sourceURLFormat, "https://terrain.test/gen2-nb/03/" + level + "/@x_@y.jpg");
        EXPECT_EQ(c.localCacheDirectory, cache.path() + "/Terrain-gen2-nb/03/" + level);
        EXPECT_TRUE(QFileInfo(c.localCacheDirectory).isDir());
        EXPECT_EQ(c.texturePatternForCleanup, QStringLiteral("https://terrain.test/gen2-nb/"));
    }
    const OVMapLayerConfiguration &borders = configurations[6];
    const OVMapLayerConfiguration &states = configurations[7];
    EXPECT_EQ(borders.kind, OVMapLayerKind::BoundaryLines);
    EXPECT_EQ(borders.boundaryFile, resources.path() + "/boundaries_i.txt");
    EXPECT_EQ(states.boundaryFile, resources.path() + "/states_i.txt");
    EXPECT_EQ(borders.elevation, -4.0);
    EXPECT_DOUBLE_EQ(borders.lineWidth, 1.4);
    EXPECT_EQ(states.alpha, 0.9);
    EXPECT_EQ(states.lineRed, 0.1);
}

TEST_F(MapControllerTest, TerrainFromTheResourcesAndWithoutAHost)
{
    ASSERT_TRUE(QDir(resources.path()).mkpath("gen2-nb-2048/03"));
    ASSERT_TRUE(QDir(resources.path()).mkpath("Gen2Maps/03/4096"));
    terrainHost.clear();
    auto controller = make();
    const auto configurations = controller->configurationsForType(OVMapLayerType::Terrain);
    ASSERT_EQ(configurations.size(), 8);
    const OVMapLayerConfiguration &coarsest = configurations[0];
    EXPECT_EQ(coarsest.sourceURLFormat, resources.path() + "/gen2-nb-2048/03/@x_@y.jpg");
    EXPECT_EQ(coarsest.maxDisplayResolution, std::nullopt);
    EXPECT_TRUE(coarsest.localCacheDirectory.isEmpty());
    EXPECT_EQ(coarsest.texturePatternForCleanup, resources.path() + "/gen2-nb-2048");
    EXPECT_EQ(configurations[1].sourceURLFormat, resources.path() + "/Gen2Maps/03/4096/@x_@y.jpg");
    EXPECT_TRUE(configurations[2].sourceURLFormat.isEmpty()); // neither bundled nor a host
}

// Radar and satellite -----------------------------------------------------------------------

TEST_F(MapControllerTest, RadarAndSatelliteLevels)
{
    imageryHost = QStringLiteral("https://imagery.test");
    struct Row
    {
        bool mercator;
        OVMapLayerType type;
        int index;
        int64_t level, x, y;
        std::optional<double> min, max;
        const char *source;
        const char *cleanup;
    };
    const Row rows[] = {
        {false, OVMapLayerType::Radar, 0, 2048, 4, 2, std::nullopt, 8,
         "'https://imagery.test/equirectangular/radar_composites/base_reflectivity/2048/@x_@y/'yyyyMMddHHmm'.png'",
         "https://imagery.test/equirectangular/radar_composites/base_reflectivity/2048/"},
        {false, OVMapLayerType::Radar, 1, 4096, 8, 4, 8, 24, nullptr, nullptr},
        {false, OVMapLayerType::Radar, 2, 16384, 32, 16, 24, std::nullopt, nullptr, nullptr},
        {true, OVMapLayerType::Radar, 2, 16384, 32, 32, 24, std::nullopt,
         "'https://imagery.test/mercator/radar_composites/base_reflectivity/16384/@x_@y/'yyyyMMddHHmm'.png'",
         "https://imagery.test/mercator/radar_composites/base_reflectivity/16384/"},
        {false, OVMapLayerType::Satellite, 0, 1024, 2, 1, std::nullopt, 4,
         "'https://imagery.test/equirectangular/satellite/ir/1024/@x_@y/clouds_'yyyyMMddHHmm'.png'",
         "https://imagery.test/equirectangular/satellite/ir/1024/"},
        {false, OVMapLayerType::Satellite, 1, 2048, 4, 2, 4, 10, nullptr, nullptr},
        {true, OVMapLayerType::Satellite, 2, 4096, 8, 8, 10, std::nullopt,
         "'https://imagery.test/mercator/satellite/ir/4096/@x_@y/clouds_'yyyyMMddHHmm'.png'",
         "https://imagery.test/mercator/satellite/ir/4096/"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(testing::Message() << (row.mercator ? "mercator " : "") << int(row.type) << " " << row.level);
        std::unique_ptr<OVMapProjection> projection;
        if (row.mercator)
            projection = std::make_unique<OVMercatorMapProjection>();
        auto controller = make({}, std::move(projection));
        const auto configurations = controller->configurationsForType(row.type);
        ASSERT_EQ(configurations.size(), 3);
        const OVMapLayerConfiguration &c = configurations[row.index];
        const bool radar = row.type == OVMapLayerType::Radar;
        EXPECT_EQ(c.kind, OVMapLayerKind::AnimatedTiles);
        EXPECT_EQ(c.level, row.level);
        EXPECT_EQ(c.numXTiles, row.x);
        EXPECT_EQ(c.numYTiles, row.y);
        EXPECT_EQ(c.minDisplayResolution, row.min);
        EXPECT_EQ(c.maxDisplayResolution, row.max);
        EXPECT_EQ(c.elevation, radar ? 45.0 : 40.0);
        EXPECT_EQ(c.textureInternalFormat, radar ? 32855 : 32841);
        EXPECT_EQ(c.preferenceKeyForAlpha, radar ? "OVGeographyMapRadarOpacity" : "OVGeographyMapSatelliteOpacity");
        EXPECT_EQ(c.layerRect, controller->mapProjection()->validGeoRect());
        if (row.source) {
            EXPECT_EQ(c.sourceURLFormat, QString::fromLatin1(row.source));
            EXPECT_EQ(c.texturePatternForCleanup, QString::fromLatin1(row.cleanup));
        }
    }
}

TEST_F(MapControllerTest, TilePatternsAreFormattedInUTC)
{
    // The test runs under TZ=America/New_York (tests/map/CMakeLists.txt).
    ASSERT_NE(QDateTime::currentDateTime().offsetFromUtc(), 0);
    imageryHost = QStringLiteral("https://imagery.test");
    auto controller = make();
    const QString pattern = controller->configurationsForType(OVMapLayerType::Radar).at(0).sourceURLFormat;
    EXPECT_EQ(OVMapTilePattern::format(pattern, utc(2024, 3, 10, 6, 30)),
              "https://imagery.test/equirectangular/radar_composites/base_reflectivity/2048/@x_@y/202403100630.png");
    EXPECT_EQ(OVMapTilePattern::format(OVMapTilePattern::timePattern("it's/", ".png"), utc(2024, 3, 10, 6, 30)),
              "it's/202403100630.png");
}

// The time loop over real inventories --------------------------------------------------------

class MapControllerTimeTest : public MapControllerTest
{
protected:
    void SetUp() override
    {
        server.serveFile("/equirectangular/radar_composites/base_reflectivity/inventory.txt",
                         testDataPath("map/radar_inventory.txt"), "text/plain");
        server.serveFile("/equirectangular/satellite/ir/short-inventory.txt",
                         testDataPath("map/satellite_inventory.txt"), "text/plain");
        ASSERT_TRUE(server.start());
        imageryHost = server.baseUrl();
    }

    FixtureHttpServer server;
};

TEST_F(MapControllerTimeTest, TheServerGetsBothInventoriesAndTheLoopShowsTheirTimes)
{
    auto controller = make({{QString(OVMapSettingKey::showRadar), true},
                            {QString(OVMapSettingKey::showSatellite), true}});
    ASSERT_TRUE(controller->radarInventory() && controller->satelliteInventory());
    ASSERT_TRUE(waitUntil([&] {
        return controller->radarInventory()->dataReady() && controller->satelliteInventory()->dataReady()
            && view.radarTime.isValid() && view.satelliteTime.isValid();
    }));
    EXPECT_EQ(server.requestCount("/equirectangular/radar_composites/base_reflectivity/inventory.txt"), 1);
    EXPECT_EQ(server.requestCount("/equirectangular/satellite/ir/short-inventory.txt"), 1);

    OVTimeTracker &tracker = controller->timeTracker();
    EXPECT_EQ(tracker.endDate(), clock.now());
    EXPECT_EQ(tracker.beginDate(), clock.now().addSecs(-2 * 3600));
    EXPECT_EQ(tracker.currentIncrement(), 10);
    EXPECT_EQ(view.radarTime, utc(2024, 3, 10, 6, 24));
    EXPECT_EQ(view.satelliteTime, utc(2024, 3, 10, 6, 0));

    // 12-minute steps: the radar loops, the satellite stays on the present moment.
    tracker.previous();
    tracker.previous();
    EXPECT_EQ(view.radarTime, utc(2024, 3, 10, 6, 10));
    EXPECT_EQ(view.satelliteTime, utc(2024, 3, 10, 6, 0));
    for (const auto &layer : recorder.ofType(OVMapLayerType::Radar))
        EXPECT_EQ(layer->animationTime, utc(2024, 3, 10, 6, 6));
    for (const auto &layer : recorder.ofType(OVMapLayerType::Satellite))
        EXPECT_EQ(layer->animationTime, clock.now());

    // 3-hour steps: a 30-hour window at its newest step; both follow the loop.
    controller->setSetting(QString(OVMapSettingKey::timeInterval), 1);
    controller->updateTimeInterval();
    EXPECT_EQ(tracker.beginDate(), clock.now().addSecs(-30 * 3600));
    EXPECT_EQ(tracker.currentIncrement(), 10);
    tracker.previous();
    tracker.previous();
    EXPECT_EQ(view.satelliteTime, utc(2024, 3, 10, 0, 0));
    EXPECT_EQ(view.radarTime, utc(2024, 3, 10, 5, 40));
    for (const auto &layer : recorder.ofType(OVMapLayerType::Satellite))
        EXPECT_EQ(layer->animationTime, utc(2024, 3, 10, 0, 30));

    // A disabled group reports no time.
    controller->layerTypeSetEnabled(int64_t(OVMapLayerType::Radar), false);
    tracker.next();
    EXPECT_FALSE(view.radarTime.isValid());
}

TEST_F(MapControllerTimeTest, ANewerInventoryMovesTheLoopWindowToNow)
{
    auto controller = make({{QString(OVMapSettingKey::showRadar), true}});
    ASSERT_TRUE(controller->radarInventory());
    ASSERT_TRUE(waitUntil([&] { return view.radarTime.isValid(); }, 30000));
    ASSERT_EQ(view.radarTime, utc(2024, 3, 10, 6, 24));

    // Twenty minutes on, the refreshed list has a frame newer than the window's end.
    clock.advance(20 * 60);
    server.serve("/equirectangular/radar_composites/base_reflectivity/inventory.txt",
                 FixtureResponse::text("202403100624\n202403100636\n202403100648\n"));
    controller->radarInventory()->update(); // what its refresh timer does
    OVTimeTracker &tracker = controller->timeTracker();
    EXPECT_TRUE(waitUntil([&] { return view.radarTime == utc(2024, 3, 10, 6, 48); }, 30000));
    EXPECT_EQ(tracker.endDate(), clock.now());
    EXPECT_EQ(tracker.currentIncrement(), 10);
    for (const auto &layer : recorder.ofType(OVMapLayerType::Radar))
        EXPECT_EQ(layer->animationTime, clock.now());
}

TEST_F(MapControllerTest, TheMinuteTickerMovesTheWindowAndTheCleanupTimerSweepsEveryLayer)
{
    auto controller = make({{QString(OVMapSettingKey::showGrid), true}});
    const auto grid = recorder.ofType(OVMapLayerType::Grid);
    ASSERT_EQ(grid.size(), 1);
    QTimer *ticker = controller->ticker();
    QTimer *cleanup = controller->cleanupTimer();
    ASSERT_TRUE(ticker && cleanup);
    EXPECT_TRUE(ticker->isActive());
    EXPECT_EQ(ticker->interval(), 60 * 1000);
    EXPECT_TRUE(cleanup->isActive());
    EXPECT_EQ(cleanup->interval(), 1200 * 1000);

    // Each is fired by hand rather than waited for: the test's clock does not run Qt's timers.
    clock.advance(90);
    ASSERT_TRUE(QMetaObject::invokeMethod(ticker, "timeout"));
    EXPECT_EQ(controller->timeTracker().endDate(), clock.now());
    EXPECT_EQ(grid[0]->cleanups, 0);
    ASSERT_TRUE(QMetaObject::invokeMethod(cleanup, "timeout"));
    EXPECT_EQ(grid[0]->cleanups, 1);
}

TEST_F(MapControllerTest, WithoutAnImageryHostNothingIsAsked)
{
    auto controller = make({{QString(OVMapSettingKey::showRadar), true},
                            {QString(OVMapSettingKey::showSatellite), true}});
    EXPECT_EQ(controller->radarInventory(), nullptr);
    EXPECT_EQ(controller->satelliteInventory(), nullptr);
    EXPECT_EQ(recorder.ofType(OVMapLayerType::Radar).size(), 3);
    for (const auto &layer : recorder.ofType(OVMapLayerType::Radar))
        EXPECT_TRUE(layer->configuration.sourceURLFormat.isEmpty());
    controller->timeTracker().previous();
    EXPECT_FALSE(view.radarTime.isValid());
    EXPECT_FALSE(view.satelliteTime.isValid());
}

} // namespace

TEST_F(MapControllerTest, PlacemarksGoToTheFirstPlacemarkLayerWhileItExists)
{
    OVMapRegisterVectorAndTextLayers(recorder.factory);
    auto controller = make();
    const OVMapLayerGroup group = controller->layers(OVMapLayerType::Placemark);
    ASSERT_TRUE(group && group->size() == 1);
    auto *layer = dynamic_cast<OVMapPlacemarkLayer *>(group->constFirst().get());
    ASSERT_NE(layer, nullptr);

    auto denver = std::make_shared<OVMapPlacemarkItem>();
    denver->setGeoPoint({39.7, -104.75, 0.0});
    auto london = std::make_shared<OVMapPlacemarkItem>();
    london->setGeoPoint({51.51, -0.13, 0.0});
    const QList<OVMapPlacemarkItemPtr> before = layer->placemarks();
    controller->addPlacemark(denver);
    controller->addPlacemark(london);
    controller->addPlacemark(nullptr);
    EXPECT_EQ(layer->placemarks(), (QList<OVMapPlacemarkItemPtr>{denver, london}));
    EXPECT_TRUE(before.isEmpty()) << "a list already handed out is not changed";
    controller->clearPlacemarks();
    EXPECT_TRUE(layer->placemarks().isEmpty());

    // Hidden placemarks: no layer, nothing kept, nothing breaks.
    controller->layerTypeSetEnabled(int64_t(OVMapLayerType::Placemark), false);
    controller->addPlacemark(denver);
    controller->clearPlacemarks();
    EXPECT_FALSE(controller->layers(OVMapLayerType::Placemark));
    controller->layerTypeSetEnabled(int64_t(OVMapLayerType::Placemark), true);
    auto *rebuilt = dynamic_cast<OVMapPlacemarkLayer *>(controller->layers(OVMapLayerType::Placemark)->constFirst().get());
    ASSERT_NE(rebuilt, nullptr);
    EXPECT_TRUE(rebuilt->placemarks().isEmpty());
}
