// The terrain tile layer drawing a 4 x 2 level from the local fixture server (or from files)
// into a 1024 x 512 framebuffer of the whole world: where each tile lands, wrapping across the
// date line, opacity, the tile cache, and the answers to bad input (damaged cache files, error
// replies, error pages, refused connections, missing files) with the retry time.
#include "map/layers/OVMapTerrainTileLayer.h"

#include "support/FakeClock.h"
#include "support/TileLayerTest.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QOpenGLFunctions_2_1>
#include <QTemporaryDir>

#include <GL/glext.h>

#include <algorithm>

namespace {

constexpr int kTolerance = 8; // Mesa keeps GL_COMPRESSED_RGB as DXT1

const QMap<QString, QColor> kTileColours = {
    {"0_0", QColor(200, 40, 40)},   {"1_0", QColor(40, 200, 40)},  {"2_0", QColor(40, 40, 200)},
    {"3_0", QColor(200, 200, 40)},  {"0_1", QColor(200, 40, 200)}, {"1_1", QColor(40, 200, 200)},
    {"2_1", QColor(232, 136, 24)},  {"3_1", QColor(120, 120, 120)},
};

QString fixturePath(const QString &name)
{
    return testDataPath(QStringLiteral("map/terrain/") + name);
}

::testing::AssertionResult near(const QImage &image, QPointF lonLat, const OVGeoRect &view, const QColor &expected)
{
    const double width = view.maxPoint.longitude - view.minPoint.longitude;
    const double height = view.maxPoint.latitude - view.minPoint.latitude;
    const int x = int((lonLat.x() - view.minPoint.longitude) / width * kTileFrameWidth);
    const int y = int((view.maxPoint.latitude - lonLat.y()) / height * kTileFrameHeight);
    const QColor actual = image.pixelColor(x, y);
    if (std::abs(actual.red() - expected.red()) <= kTolerance && std::abs(actual.green() - expected.green()) <= kTolerance
        && std::abs(actual.blue() - expected.blue()) <= kTolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "at (" << lonLat.x() << ", " << lonLat.y() << ") pixel " << x << "," << y
                                         << " is " << qPrintable(actual.name()) << ", expected "
                                         << qPrintable(expected.name());
}

class TerrainTiles : public TileLayerTest<OVMapTerrainTileLayer>
{
protected:
    void SetUp() override
    {
        TileLayerTest::SetUp();
        if (HasFatalFailure())
            return;
        for (auto it = kTileColours.cbegin(); it != kTileColours.cend(); ++it)
            server.serveFile(QStringLiteral("/tiles/%1.jpg").arg(it.key()), fixturePath(it.key() + ".jpg"), "image/jpeg");
        ASSERT_TRUE(cacheRoot.isValid());
        cacheFolder = cacheRoot.filePath(QStringLiteral("Terrain/2048"));
    }

    QString serverPattern() const { return server.baseUrl() + QStringLiteral("/tiles/@x_@y.jpg"); }

    OVMapTerrainTileLayer &makeLayer(const QString &source, const std::optional<QString> &cache, int64_t columns = 4,
                                     int64_t rows = 2)
    {
        auto layer = std::make_unique<OVMapTerrainTileLayer>(&controller, loader, clock);
        layer->setNumXTiles(columns);
        layer->setNumYTiles(rows);
        layer->setElevation(-10.0);
        layer->setTextureInternalFormat(GL_COMPRESSED_RGB);
        layer->setSourceURLFormat(source);
        layer->setLocalCacheDirectory(cache);
        return keep(std::move(layer));
    }

    bool loaded(OVMapTerrainTileLayer &layer, int64_t column, int64_t row)
    {
        return loader->textureNumberForKey(layer.urlStringForTile(column, row)) != uint32_t(-1);
    }

    bool drawUntilAllLoaded(OVMapTerrainTileLayer &layer)
    {
        return drawUntilEveryTile(layer, [&](int column, int row) { return loaded(layer, column, row); });
    }

    /// Draws `count` frames, each followed by the event loop until no download runs.
    void drawFrames(OVMapTerrainTileLayer &layer, int count, int stepSeconds = 0)
    {
        for (int i = 0; i < count; ++i) {
            frame(layer);
            waitUntil([&] { return layer.activeConnectionCount() == 0; });
            QCoreApplication::processEvents();
            clock.advance(stepSeconds);
        }
    }

    void expectEveryTileShown(OVMapTerrainTileLayer &layer)
    {
        const QImage image = frame(layer);
        for (int column = 0; column < 4; ++column) {
            for (int row = 0; row < 2; ++row)
                EXPECT_TRUE(near(image, centreOf(column, row), view.rect,
                                 kTileColours.value(QStringLiteral("%1_%2").arg(column).arg(row))));
        }
    }

    /// Runs the event loop until the loader's callbacks have kept the named tiles in the cache.
    bool waitForCacheFiles(const QStringList &names)
    {
        return waitUntil([&] {
            return std::all_of(names.cbegin(), names.cend(),
                               [&](const QString &name) { return QFile::exists(QDir(cacheFolder).filePath(name + ".data")); });
        });
    }

    int failureLines(const LogCapture &log) const
    {
        int count = 0;
        for (const QString &line : log.lines())
            count += line.contains(QLatin1String("Failed to load tile"));
        return count;
    }

    FakeClock clock;
    QTemporaryDir cacheRoot;
    QString cacheFolder;
};

TEST_F(TerrainTiles, EachTileShowsItsColourAtItsPlace)
{
    OVMapTerrainTileLayer &layer = makeLayer(serverPattern(), cacheFolder);
    ASSERT_TRUE(drawUntilAllLoaded(layer));
    expectEveryTileShown(layer);
}

TEST_F(TerrainTiles, AcrossTheDateLineTheEasternTilesShowTheWesternColumn)
{
    OVMapTerrainTileLayer &layer = makeLayer(serverPattern(), cacheFolder);
    view.rect = OVGeoRectMake(-10.0, 170.0, 10.0, 200.0);
    ASSERT_TRUE(drawUntil(layer, [&] { return loaded(layer, 3, 0) && loaded(layer, 0, 0) && loaded(layer, 0, 1); }));
    const QImage image = frame(layer);
    EXPECT_TRUE(near(image, QPointF(175.0, 5.0), view.rect, kTileColours.value("3_0")));
    EXPECT_TRUE(near(image, QPointF(190.0, 5.0), view.rect, kTileColours.value("0_0")));
    EXPECT_TRUE(near(image, QPointF(190.0, -5.0), view.rect, kTileColours.value("0_1")));
    EXPECT_EQ(server.requestCount(QStringLiteral("/tiles/1_0.jpg")), 0) << "only the visible tiles are asked for";
}

TEST_F(TerrainTiles, HalfOpacityDrawsTheBottomRowOnce)
{
    OVMapTerrainTileLayer &layer = makeLayer(serverPattern(), cacheFolder);
    ASSERT_TRUE(drawUntilAllLoaded(layer));
    layer.setPreferenceKeyForAlpha(QStringLiteral("OVGeographyMapTerrainOpacity"));
    controller.mapSettings.insert(QStringLiteral("OVGeographyMapTerrainOpacity"), 0.5);
    const QImage image = frame(layer);
    const QColor full = kTileColours.value("2_1");
    const QColor half(full.red() * 127 / 255, full.green() * 127 / 255, full.blue() * 127 / 255);
    EXPECT_TRUE(near(image, centreOf(2, 1), view.rect, half));
    controller.mapSettings.insert(QStringLiteral("OVGeographyMapTerrainOpacity"), 0.005);
    EXPECT_TRUE(near(frame(layer), centreOf(2, 1), view.rect, Qt::black)) << "below the minimum nothing is drawn";
}

TEST_F(TerrainTiles, HeldRepliesAreAskedForOnceAndKeptByteForByte)
{
    auto gate = std::make_shared<FixtureGate>();
    for (auto it = kTileColours.cbegin(); it != kTileColours.cend(); ++it) {
        FixtureResponse response = FixtureResponse::file(fixturePath(it.key() + ".jpg"), "image/jpeg");
        response.gate = gate;
        server.serve(QStringLiteral("/tiles/%1.jpg").arg(it.key()), response);
    }
    OVMapTerrainTileLayer &layer = makeLayer(serverPattern(), cacheFolder);
    // The network layer opens at most six connections to one host; the other two wait in it.
    ASSERT_TRUE(drawUntil(layer, [&] { return server.requestCount() >= 6; }));
    for (int i = 0; i < 20; ++i) {
        frame(layer);
        QCoreApplication::processEvents();
    }
    EXPECT_LE(server.requestCount(), 8);
    EXPECT_EQ(layer.activeConnectionCount(), 8);
    const int redrawsBefore = view.redraws;
    gate->open();
    ASSERT_TRUE(waitUntil([&] { return layer.activeConnectionCount() == 0; }));
    ASSERT_TRUE(drawUntilAllLoaded(layer));
    ASSERT_TRUE(waitForCacheFiles(kTileColours.keys()));
    EXPECT_GT(view.redraws.load(), redrawsBefore);
    EXPECT_EQ(server.requestCount(), 8);
    for (auto it = kTileColours.cbegin(); it != kTileColours.cend(); ++it) {
        SCOPED_TRACE(qPrintable(it.key()));
        EXPECT_EQ(readTestFile(QDir(cacheFolder).filePath(it.key() + ".data")), readTestFile(fixturePath(it.key() + ".jpg")));
    }
    expectEveryTileShown(layer);
}

TEST_F(TerrainTiles, TheFineLevelNamesItsSourceAndCacheFileByColumnThenRow)
{
    server.serveFile(QStringLiteral("/tiles/12_5.jpg"), fixturePath("12_5.jpg"), "image/jpeg");
    OVMapTerrainTileLayer &layer = makeLayer(serverPattern(), cacheFolder, 32, 16);
    view.rect = OVGeoRectMake(25.0, -40.0, 30.0, -35.0);
    EXPECT_TRUE(layer.urlStringForTile(12, 5).endsWith(QLatin1String("/tiles/12_5.jpg")));
    EXPECT_EQ(layer.cachedPathForTile(12, 5), QDir(cacheFolder).filePath("12_5.data"));
    ASSERT_TRUE(drawUntil(layer, [&] { return loaded(layer, 12, 5); }));
    ASSERT_TRUE(waitForCacheFiles({"12_5"}));
    EXPECT_EQ(server.requestCount(), 1);
    EXPECT_EQ(server.requestCount(QStringLiteral("/tiles/12_5.jpg")), 1);
    EXPECT_EQ(readTestFile(QDir(cacheFolder).filePath("12_5.data")), readTestFile(fixturePath("12_5.jpg")));
    EXPECT_TRUE(near(frame(layer), QPointF(-37.5, 27.5), view.rect, QColor(96, 160, 224)));
}

TEST_F(TerrainTiles, ASecondRunShowsEveryTileFromTheCacheAndSendsNothing)
{
    OVMapTerrainTileLayer &first = makeLayer(serverPattern(), cacheFolder);
    ASSERT_TRUE(drawUntilAllLoaded(first));
    ASSERT_TRUE(waitForCacheFiles(kTileColours.keys()));
    loader->deleteAllTextures();
    server.clearRequests();
    OVMapTerrainTileLayer &second = makeLayer(serverPattern(), cacheFolder);
    ASSERT_TRUE(drawUntilAllLoaded(second));
    expectEveryTileShown(second);
    EXPECT_EQ(server.requestCount(), 0);
}

TEST_F(TerrainTiles, ATruncatedCacheFileIsDeletedFetchedOnceAndShown)
{
    writeTestFile(QDir(cacheFolder).filePath("0_0.data"), readTestFile(fixturePath("truncated.jpg")));
    OVMapTerrainTileLayer &layer = makeLayer(serverPattern(), cacheFolder);
    view.rect = OVGeoRectMake(10.0, -170.0, 80.0, -100.0);
    ASSERT_TRUE(drawUntil(layer, [&] { return loaded(layer, 0, 0); }));
    ASSERT_TRUE(waitForCacheFiles({"0_0"}));
    EXPECT_EQ(server.requestCount(QStringLiteral("/tiles/0_0.jpg")), 1);
    EXPECT_EQ(readTestFile(QDir(cacheFolder).filePath("0_0.data")), readTestFile(fixturePath("0_0.jpg")));
    EXPECT_TRUE(near(frame(layer), QPointF(-135.0, 45.0), view.rect, kTileColours.value("0_0")));
}

struct BadReply
{
    const char *name;
    FixtureResponse response;
};

TEST_F(TerrainTiles, FailedRepliesKeepNothingAndWaitBeforeTheNextRequest)
{
    const BadReply replies[] = {
        {"404", FixtureResponse::error(404)},
        {"500", FixtureResponse::error(500)},
        {"HTML page with status 200", FixtureResponse::file(fixturePath("not_a_tile.html"), "text/html")},
    };
    view.rect = OVGeoRectMake(10.0, -170.0, 80.0, -100.0);
    for (const BadReply &reply : replies) {
        SCOPED_TRACE(reply.name);
        server.clearRequests();
        server.serve(QStringLiteral("/tiles/0_0.jpg"), reply.response);
        LogCapture log;
        OVMapTerrainTileLayer &layer = makeLayer(serverPattern(), cacheFolder);
        ASSERT_TRUE(drawUntil(layer, [&] { return failureLines(log) == 1; }));
        drawFrames(layer, 50);
        EXPECT_EQ(server.requestCount(), 1);
        EXPECT_EQ(failureLines(log), 1);
        EXPECT_FALSE(QFile::exists(QDir(cacheFolder).filePath("0_0.data")));
        clock.advance(OVMapTerrainTileLayer::kFirstRetrySeconds - 1);
        drawFrames(layer, 5);
        EXPECT_EQ(server.requestCount(), 1) << "still within the retry time";
        clock.advance(1);
        ASSERT_TRUE(drawUntil(layer, [&] { return failureLines(log) == 2; }));
        EXPECT_EQ(server.requestCount(), 2);
        EXPECT_FALSE(QFile::exists(QDir(cacheFolder).filePath("0_0.data")));
        EXPECT_TRUE(near(frame(layer), QPointF(-135.0, 45.0), view.rect, Qt::black));
        layers.clear();
    }
}

TEST_F(TerrainTiles, ARefusedConnectionLogsOncePerRetryPeriod)
{
    FixtureHttpServer gone;
    ASSERT_TRUE(gone.start());
    const QString pattern = gone.baseUrl() + QStringLiteral("/tiles/@x_@y.jpg");
    gone.stop();
    view.rect = OVGeoRectMake(10.0, -170.0, 80.0, -100.0);
    LogCapture log;
    OVMapTerrainTileLayer &layer = makeLayer(pattern, cacheFolder);
    drawFrames(layer, 100, 1);
    // Failures at 0 s, 30 s and 90 s: the wait doubles after each.
    EXPECT_EQ(failureLines(log), 3);
}

TEST_F(TerrainTiles, WithoutAUsableCacheFolderATileIsShownAfterOneRequest)
{
    QFile blocker(cacheRoot.filePath("a-file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const struct
    {
        const char *name;
        std::optional<QString> folder;
    } rows[] = {
        {"no cache folder", std::nullopt},
        {"a folder that cannot be made", cacheRoot.filePath("a-file/tiles")},
        {"a folder that takes no files", QStringLiteral("/proc/self")},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        loader->deleteAllTextures();
        server.clearRequests();
        LogCapture log;
        OVMapTerrainTileLayer &layer = makeLayer(serverPattern(), row.folder);
        ASSERT_TRUE(drawUntilAllLoaded(layer));
        drawFrames(layer, 20);
        EXPECT_EQ(server.requestCount(), 8);
        EXPECT_EQ(server.requestCount(QStringLiteral("/tiles/2_1.jpg")), 1);
        expectEveryTileShown(layer);
        EXPECT_TRUE(log.contains(QStringLiteral("not kept")) || log.contains(QStringLiteral("Cannot write")));
        layers.clear();
    }
}

TEST_F(TerrainTiles, AFolderOfTilesDrawsWithoutTheNetwork)
{
    OVMapTerrainTileLayer &layer = makeLayer(fixturePath("@x_@y.jpg"), std::nullopt);
    ASSERT_TRUE(drawUntilAllLoaded(layer));
    expectEveryTileShown(layer);
    EXPECT_EQ(server.requestCount(), 0);
}

TEST_F(TerrainTiles, AMissingTileFileLogsOncePerRetryPeriod)
{
    view.rect = OVGeoRectMake(10.0, -170.0, 80.0, -100.0);
    LogCapture log;
    OVMapTerrainTileLayer &layer = makeLayer(cacheRoot.filePath("missing/@x_@y.jpg"), std::nullopt);
    drawFrames(layer, 100, 1);
    EXPECT_EQ(failureLines(log), 3);
}

TEST_F(TerrainTiles, AnEmptySourceAsksForNothingAndDrawsNothing)
{
    LogCapture log;
    OVMapTerrainTileLayer &layer = makeLayer(QString(), cacheFolder);
    drawFrames(layer, 10, 60);
    EXPECT_EQ(server.requestCount(), 0);
    EXPECT_EQ(failureLines(log), 0);
    EXPECT_TRUE(near(frame(layer), centreOf(1, 0), view.rect, Qt::black));
    EXPECT_FALSE(QDir(cacheFolder).exists());
}

} // namespace
