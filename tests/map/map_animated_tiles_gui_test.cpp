// The radar and satellite tile layers drawing the 4 x 2 level from the local fixture server into
// a 1024 x 512 framebuffer of the whole world: the frame nearest the animation time, the tile
// addresses, inventory changes, bad replies (empty, missing, undecodable), the satellite's grey
// blended at its opacity, and the loop of a real map controller.
#include "map/layers/OVMapAnimatedTileLayer.h"

#include "map/OVMapController.h"
#include "map/layers/OVMapLayerFactory.h"
#include "map/OVMapNotifications.h"
#include "map/OVMapSettings.h"
#include "platform/OVNotificationCenter.h"

#include "support/FakeClock.h"
#include "support/TileLayerTest.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QOpenGLFunctions_2_1>
#include <QTimeZone>

#include <GL/glext.h>

#include <cmath>

namespace {

constexpr int kRadarTolerance = 8;     // GL_RGB5_A1 keeps five bits a channel
constexpr int kSatelliteTolerance = 4;
const QStringList kTimes = {QStringLiteral("202403100630"), QStringLiteral("202403100642"), QStringLiteral("202403100654")};
const QList<QColor> kRadarColours = {QColor(255, 0, 0), QColor(0, 255, 0), QColor(0, 0, 255)};
const QList<int> kCloudGreys = {80, 140, 200};

QDateTime at(int hour, int minute)
{
    return QDateTime(QDate(2024, 3, 10), QTime(hour, minute), QTimeZone::utc());
}

QString fixture(const QString &name)
{
    return testDataPath(QStringLiteral("map/radar/") + name);
}

QColor pixelAt(const QImage &image, QPointF lonLat, const OVGeoRect &view)
{
    const double width = view.maxPoint.longitude - view.minPoint.longitude;
    const double height = view.maxPoint.latitude - view.minPoint.latitude;
    const int x = int((lonLat.x() - view.minPoint.longitude) / width * image.width());
    const int y = int((view.maxPoint.latitude - lonLat.y()) / height * image.height());
    return image.pixelColor(x, y);
}

::testing::AssertionResult near(const QColor &actual, const QColor &expected, int tolerance)
{
    if (std::abs(actual.red() - expected.red()) <= tolerance && std::abs(actual.green() - expected.green()) <= tolerance
        && std::abs(actual.blue() - expected.blue()) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << qPrintable(actual.name()) << " is not " << qPrintable(expected.name());
}

/// Grey `grey` kept as GL_INTENSITY (colour and alpha both the grey), drawn at `alpha` over
/// black: the source alpha is the grey times the colour byte of the opacity.
int satelliteBlend(int grey, double alpha)
{
    const double intensity = grey / 255.0;
    const double sourceAlpha = intensity * std::trunc(alpha * 255.0) / 255.0;
    return int(std::lround(255.0 * intensity * sourceAlpha));
}

int decodeFailures(const LogCapture &log)
{
    int count = 0;
    for (const QString &line : log.lines())
        count += line.contains(QLatin1String("[OVTextureLoader handleJob]"));
    return count;
}

/// Serves the three frames of every tile of the 4 x 2 level under `folder`, with `prefix`
/// before the time ("" for radar, "clouds_" for satellite).
void serveFrames(FixtureHttpServer &server, const QString &folder, const QString &prefix)
{
    for (const QString &time : kTimes)
        for (int column = 0; column < 4; ++column)
            for (int row = 0; row < 2; ++row)
                server.serveFile(QStringLiteral("%1/2048/%2_%3/%4%5.png").arg(folder).arg(column).arg(row).arg(prefix, time),
                                 fixture(prefix + time + QStringLiteral(".png")), "image/png");
}

class AnimatedTiles : public TileLayerTest<OVMapAnimatedTileLayer>
{
protected:
    void SetUp() override
    {
        TileLayerTest::SetUp();
        if (HasFatalFailure())
            return;
        server.serveFile(QStringLiteral("/radar/inventory.txt"), fixture(QStringLiteral("inventory.txt")), "text/plain");
        server.serveFile(QStringLiteral("/sat/inventory.txt"), fixture(QStringLiteral("inventory.txt")), "text/plain");
        serveFrames(server, QStringLiteral("/radar"), QString());
        serveFrames(server, QStringLiteral("/sat"), QStringLiteral("clouds_"));
    }

    /// The inventory at `path` on the server, loaded.
    OVInventoryPtr loadedInventory(const QString &path)
    {
        OVInventoryPtr inventory = OVInventory::inventoryWithURLString(server.baseUrl() + path);
        refresh(inventory);
        return inventory;
    }

    void refresh(const OVInventoryPtr &inventory)
    {
        inventory->update();
        EXPECT_TRUE(waitUntil([&] { return !inventory->inventoryLoading(); }));
    }

    OVMapAnimatedTileLayer &makeLayer(const OVInventoryPtr &inventory, const QString &folder = QStringLiteral("/radar"),
                                      const QString &prefix = QString(), int32_t format = GL_RGB5_A1)
    {
        const QString pattern = OVMapTilePattern::timePattern(server.baseUrl() + folder + QStringLiteral("/2048/@x_@y/") + prefix,
                                                              QStringLiteral(".png"));
        auto layer = std::make_unique<OVMapAnimatedTileLayer>(&controller, loader, pattern, inventory, 4, 2, clock);
        layer->setElevation(45.0);
        layer->setTextureInternalFormat(format);
        return keep(std::move(layer));
    }

    /// The overlay tile (column, row) shows at the layer's animation time.
    OVMapOverlayPtr shown(OVMapAnimatedTileLayer &layer, int column, int row)
    {
        return layer.overlaySetForTile(column, row)->closestOverlayToTime(layer.currentAnimationTime());
    }

    bool textureReady(OVMapAnimatedTileLayer &layer, int column, int row)
    {
        const OVMapOverlayPtr overlay = shown(layer, column, row);
        return overlay && !overlay->urlString().isEmpty()
            && loader->textureNumberForKey(overlay->urlString()) != uint32_t(-1);
    }

    bool drawUntilAllReady(OVMapAnimatedTileLayer &layer)
    {
        return drawUntilEveryTile(layer, [&](int column, int row) { return textureReady(layer, column, row); });
    }

    /// Draws `count` frames with the event loop run after each.
    void drawFrames(OVMapAnimatedTileLayer &layer, int count)
    {
        for (int i = 0; i < count; ++i) {
            frame(layer);
            QCoreApplication::processEvents();
        }
    }

    /// Only tile (1, 0) in view, with the server answering `response` for its 06:30 frame.
    OVMapAnimatedTileLayer &singleTileServing(const FixtureResponse &response)
    {
        server.serve(tilePath, response);
        view.rect = OVGeoRectMake(10.0, -80.0, 80.0, -10.0);
        OVMapAnimatedTileLayer &layer = makeLayer(loadedInventory(QStringLiteral("/radar/inventory.txt")));
        layer.setCurrentAnimationTime(at(6, 30));
        return layer;
    }

    const QString tilePath = QStringLiteral("/radar/2048/1_0/202403100630.png");
    FakeClock clock{at(7, 0)};
};

struct FrameCase
{
    const char *name;
    QDateTime animationTime;
    int frameIndex;
};

TEST_F(AnimatedTiles, EveryTileShowsTheFrameNearestTheAnimationTime)
{
    const FrameCase cases[] = {
        {"06:40 is nearest 06:42", at(6, 40), 1},
        {"06:55 is after the last frame", at(6, 55), 2},
        {"06:36 is as far from 06:30 as from 06:42: the first listed", at(6, 36), 0},
    };
    OVMapAnimatedTileLayer &layer = makeLayer(loadedInventory(QStringLiteral("/radar/inventory.txt")));
    for (const FrameCase &test : cases) {
        SCOPED_TRACE(test.name);
        layer.setCurrentAnimationTime(test.animationTime);
        ASSERT_TRUE(drawUntilAllReady(layer));
        const QImage image = frame(layer);
        for (int column = 0; column < 4; ++column)
            for (int row = 0; row < 2; ++row)
                EXPECT_TRUE(near(pixelAt(image, centreOf(column, row), view.rect), kRadarColours[test.frameIndex],
                                 kRadarTolerance))
                    << "tile " << column << "," << row;
    }
    // Each frame of each tile was fetched once.
    EXPECT_EQ(server.requestCount(QStringLiteral("/radar/2048/2_1/202403100642.png")), 1);
}

TEST_F(AnimatedTiles, TileAddressesCarryColumnRowAndTheTimeInUtc)
{
    // The test runs with TZ=America/New_York: the address must still say 06:30 UTC.
    view.rect = OVGeoRectMake(-80.0, 100.0, -10.0, 170.0); // tile (3, 1) only
    OVMapAnimatedTileLayer &layer = makeLayer(loadedInventory(QStringLiteral("/radar/inventory.txt")));
    layer.setCurrentAnimationTime(at(6, 30));
    ASSERT_TRUE(drawUntil(layer, [&] { return textureReady(layer, 3, 1); }));
    EXPECT_EQ(server.requestCount(QStringLiteral("/radar/2048/3_1/202403100630.png")), 1);
    EXPECT_EQ(server.requestCount(), 2) << "the inventory and the one visible tile";

    layer.setSourceURLFormat(QStringLiteral("'http://host/@x/@y/@x_'yyyyMMddHHmm"));
    EXPECT_EQ(layer.urlStringForTile(3, 1), QStringLiteral("'http://host/3/1/3_'yyyyMMddHHmm"));
}

TEST_F(AnimatedTiles, AnInventoryWithoutTimesRequestsAndDrawsNothing)
{
    server.serveFile(QStringLiteral("/radar/inventory.txt"), fixture(QStringLiteral("inventory_empty.txt")), "text/plain");
    OVMapAnimatedTileLayer &layer = makeLayer(loadedInventory(QStringLiteral("/radar/inventory.txt")));
    drawFrames(layer, 20);
    const QImage image = frame(layer);
    EXPECT_EQ(server.requestCount(), 1) << "only the inventory";
    for (int column = 0; column < 4; ++column)
        EXPECT_TRUE(near(pixelAt(image, centreOf(column, 0), view.rect), Qt::black, 0));
}

TEST_F(AnimatedTiles, ATimeLeavingTheInventoryIsForgottenByEveryTileOfItsLayerOnly)
{
    const OVInventoryPtr radar = loadedInventory(QStringLiteral("/radar/inventory.txt"));
    const OVInventoryPtr satellite = loadedInventory(QStringLiteral("/sat/inventory.txt"));
    OVMapAnimatedTileLayer &layer = makeLayer(radar);
    for (const QDateTime &time : {at(6, 30), at(6, 42)}) {
        layer.setCurrentAnimationTime(time);
        frame(layer);
    }
    const auto timesOf = [&](int column, int row) { return layer.overlaySetForTile(column, row)->overlays().keys(); };
    ASSERT_EQ(timesOf(2, 1), (QList<QDateTime>{at(6, 30), at(6, 42)}));

    server.serveFile(QStringLiteral("/sat/inventory.txt"), fixture(QStringLiteral("inventory_dropped.txt")), "text/plain");
    refresh(satellite);
    ASSERT_EQ(satellite->inventoryDates().size(), 2);
    EXPECT_EQ(timesOf(2, 1), (QList<QDateTime>{at(6, 30), at(6, 42)})) << "another inventory's change";

    server.serveFile(QStringLiteral("/radar/inventory.txt"), fixture(QStringLiteral("inventory_dropped.txt")), "text/plain");
    refresh(radar);
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 2; ++row)
            EXPECT_EQ(timesOf(column, row), QList<QDateTime>{at(6, 42)}) << "tile " << column << "," << row;
}

TEST_F(AnimatedTiles, AnEmptyReplyMakesTheFrameReadyWithoutNoticeOrTexture)
{
    OVMapAnimatedTileLayer &layer = singleTileServing(FixtureResponse::text(QByteArray(), "image/png"));
    int notices = 0;
    OVNotificationCenter::defaultCenter().addObserver(this, OVGeographyGeoDatasetLoaded,
                                                      [&](const OVNotification &) { ++notices; });
    LogCapture log;
    ASSERT_TRUE(drawUntil(layer, [&] { return shown(layer, 1, 0)->dataReady(); }));
    drawFrames(layer, 10);
    OVNotificationCenter::defaultCenter().removeObserver(this);
    EXPECT_EQ(notices, 0);
    EXPECT_EQ(decodeFailures(log), 0) << "no texture job";
    EXPECT_FALSE(textureReady(layer, 1, 0));
    EXPECT_EQ(server.requestCount(tilePath), 1);
}

TEST_F(AnimatedTiles, AMissingFrameStaysEmptyAndIsAskedForAgainOnlyAfterTheCleanUp)
{
    OVMapAnimatedTileLayer &layer = singleTileServing(FixtureResponse::error(404));
    ASSERT_TRUE(drawUntil(layer, [&] {
        const OVMapOverlayPtr overlay = shown(layer, 1, 0);
        return server.requestCount(tilePath) == 1 && !overlay->dataLoading();
    }));
    drawFrames(layer, 100);
    EXPECT_EQ(server.requestCount(tilePath), 1);
    EXPECT_TRUE(near(pixelAt(frame(layer), QPointF(-45.0, 45.0), view.rect), Qt::black, 0));

    layer.cleanupMemory();
    ASSERT_TRUE(drawUntil(layer, [&] { return server.requestCount(tilePath) == 2; }));
    drawFrames(layer, 20);
    EXPECT_EQ(server.requestCount(tilePath), 2);
}

TEST_F(AnimatedTiles, UndecodableBytesAreTriedOncePerDownload)
{
    OVMapAnimatedTileLayer &layer = singleTileServing(FixtureResponse::file(fixture(QStringLiteral("corrupt.png")), "image/png"));
    LogCapture log;
    ASSERT_TRUE(drawUntil(layer, [&] { return shown(layer, 1, 0)->decodeFailed(); }));
    drawFrames(layer, 100);
    EXPECT_EQ(decodeFailures(log), 1);
    EXPECT_TRUE(near(pixelAt(frame(layer), QPointF(-45.0, 45.0), view.rect), Qt::black, 0));

    layer.cleanupMemory();
    EXPECT_FALSE(shown(layer, 1, 0)->decodeFailed());
    ASSERT_TRUE(drawUntil(layer, [&] { return shown(layer, 1, 0)->decodeFailed(); }));
    drawFrames(layer, 20);
    EXPECT_EQ(decodeFailures(log), 2);
}

TEST_F(AnimatedTiles, SatelliteGreyBlendsAtTheOpacityReadAtEachDraw)
{
    OVMapAnimatedTileLayer &layer = makeLayer(loadedInventory(QStringLiteral("/sat/inventory.txt")), QStringLiteral("/sat"),
                                              QStringLiteral("clouds_"), GL_INTENSITY);
    layer.setPreferenceKeyForAlpha(QString(OVMapSettingKey::satelliteOpacity));
    controller.mapSettings.insert(QString(OVMapSettingKey::satelliteOpacity), 0.75);
    layer.setCurrentAnimationTime(at(6, 54));
    ASSERT_TRUE(drawUntilAllReady(layer));
    const int grey = kCloudGreys[2];
    for (const double alpha : {0.75, 0.5}) {
        SCOPED_TRACE(alpha);
        controller.mapSettings.insert(QString(OVMapSettingKey::satelliteOpacity), alpha);
        const int expected = satelliteBlend(grey, alpha);
        EXPECT_TRUE(near(pixelAt(frame(layer), centreOf(1, 1), view.rect), QColor(expected, expected, expected),
                         kSatelliteTolerance));
    }
}

// The loop of a real map controller -------------------------------------------------------

class AnimatedTilesWithController : public AnimatedTiles
{
protected:
    void SetUp() override
    {
        AnimatedTiles::SetUp();
        const QString radar = QStringLiteral("/equirectangular/radar_composites/base_reflectivity");
        const QString satellite = QStringLiteral("/equirectangular/satellite/ir");
        server.serveFile(radar + QStringLiteral("/inventory.txt"), fixture(QStringLiteral("inventory.txt")), "text/plain");
        server.serveFile(satellite + QStringLiteral("/short-inventory.txt"), fixture(QStringLiteral("inventory.txt")),
                         "text/plain");
        serveFrames(server, radar, QString());
        serveFrames(server, satellite, QStringLiteral("clouds_"));
        OVMapAnimatedTileLayer::registerWithFactory(factory);
        // Between the satellite's 2048 band (4..10) and the radar's (0..8).
        view.resolution = 5.0;
        // The loop's window is then 06:00..08:00 in twelve-minute steps: from the held end (08:00)
        // the ten steps wrap round to 06:00 and climb to 07:00, passing every frame.
        clock.set(at(8, 0));
    }

    void TearDown() override
    {
        mapController.reset();
        AnimatedTiles::TearDown();
    }

    void make(bool radar, int64_t timeInterval)
    {
        OVMapController::Environment environment;
        environment.clock = &clock;
        environment.factory = &factory;
        environment.imageryServerURL = server.baseUrl();
        const QVariantMap settings{{QString(OVMapSettingKey::showRadar), radar},
                                   {QString(OVMapSettingKey::showSatellite), !radar},
                                   {QString(OVMapSettingKey::showTerrain), false},
                                   {QString(OVMapSettingKey::showParticleMode), false},
                                   {QString(OVMapSettingKey::showPlacemarks), false},
                                   {QString(OVMapSettingKey::timeInterval), qlonglong(timeInterval)}};
        mapController = std::make_unique<OVMapController>(&view, loader, environment, nullptr, settings);
        const OVInventoryPtr inventory = radar ? mapController->radarInventory() : mapController->satelliteInventory();
        ASSERT_TRUE(inventory);
        ASSERT_TRUE(waitUntil([&] { return inventory->dataReady(); }));
        mapController->updateTimeInterval();
    }

    QColor drawnAt(const QPointF &lonLat)
    {
        gl.beginDrawing(Qt::black);
        mapController->prepareCurrentContext();
        QOpenGLFunctions_2_1 *f = gl.gl();
        f->glMatrixMode(GL_PROJECTION);
        f->glLoadIdentity();
        f->glOrtho(-180.0, 180.0, -90.0, 90.0, -100.0, 100.0);
        f->glMatrixMode(GL_MODELVIEW);
        mapController->draw();
        return pixelAt(gl.readBack(), lonLat, kTileFrameWorld);
    }

    /// Draws until the colour at the point holds still for a few frames, and answers it.
    QColor settledColourAt(const QPointF &lonLat)
    {
        QColor last;
        int same = 0;
        waitUntil([&] {
            const QColor now = drawnAt(lonLat);
            same = now == last ? same + 1 : 0;
            last = now;
            return same >= 5 && (now.rgb() & 0xFFFFFF) != 0;
        }, 20000);
        return last;
    }

    OVMapLayerFactory factory;
    std::unique_ptr<OVMapController> mapController;
};

TEST_F(AnimatedTilesWithController, TenLoopStepsShowTheRadarFramesInOrder)
{
    make(true, 0);
    const OVInventoryPtr inventory = mapController->radarInventory();
    QSet<int> seen;
    for (int step = 0; step < 10; ++step) {
        mapController->timeTracker().next();
        const QDateTime loopTime = mapController->timeTracker().currentTime();
        const int expected = int(inventory->inventoryDates().indexOf(inventory->closestInventoryToDate(loopTime)));
        SCOPED_TRACE(qPrintable(QStringLiteral("step %1 at %2").arg(step).arg(loopTime.toString(Qt::ISODate))));
        ASSERT_GE(expected, 0);
        seen.insert(expected);
        EXPECT_TRUE(near(settledColourAt(centreOf(1, 0)), kRadarColours[expected], kRadarTolerance));
    }
    EXPECT_EQ(seen.size(), 3) << "the loop passes every frame";
}

TEST_F(AnimatedTilesWithController, WithTwelveMinuteStepsTheSatelliteShowsTheNewestFrameThroughout)
{
    make(false, 0);
    const int expected = satelliteBlend(kCloudGreys[2], 0.75);
    for (int step = 0; step < 10; ++step) {
        SCOPED_TRACE(step);
        mapController->timeTracker().next();
        EXPECT_TRUE(near(settledColourAt(centreOf(2, 1)), QColor(expected, expected, expected), kSatelliteTolerance));
    }
}

} // namespace
