// Starts the real executable under the X server, finds its main window by title, takes a
// screenshot of it and asks it to quit. Every service host in the settings the program reads
// points at a local fixture server first. The map's panel shows the OpenGL map: the bundled
// backdrop's land and sea (and the cleared black beyond the poles) with the panel's rounded
// corners, where an empty panel used to be.
#include "AppTestSupport.h"
#include "support/FixtureHttpServer.h"
#include "support/RunningProgram.h"
#include "support/TestHelpers.h"
#include "map/NBMapView.h"

#include "platform/OVUserDefaults.h"

#include <gtest/gtest.h>

#include <QDirIterator>

namespace {

// The bundled backdrop's colours, as the map shows them (JPEG tiles kept as DXT1 textures).
const QColor kLand(134, 160, 96);
const QColor kSea(38, 78, 128);
constexpr int kBackdropTolerance = 30;

bool near(QRgb pixel, const QColor &colour)
{
    return std::abs(qRed(pixel) - colour.red()) <= kBackdropTolerance
        && std::abs(qGreen(pixel) - colour.green()) <= kBackdropTolerance
        && std::abs(qBlue(pixel) - colour.blue()) <= kBackdropTolerance;
}

bool isMapPixel(QRgb pixel)
{
    return (pixel & 0xFFFFFF) == 0 || near(pixel, kLand) || near(pixel, kSea);
}

/// The box of the rows' long runs of map pixels (cleared black, land, sea): the map's frame
/// (other panels draw such colours only in small pieces).
QRect mapFrame(const QImage &shot, bool (*isMap)(QRgb) = isMapPixel)
{
    constexpr int kLongRun = 200;
    QRect box;
    for (int y = 0; y < shot.height(); ++y) {
        int run = 0;
        for (int x = 0; x < shot.width(); ++x) {
            run = isMap(shot.pixel(x, y)) ? run + 1 : 0;
            if (run == kLongRun)
                box |= QRect(x - kLongRun + 1, y, kLongRun, 1);
            else if (run > kLongRun)
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

} // namespace

TEST(AppLaunch, OpensTheMainWindowWithTheMapAndQuitsCleanly)
{
    FixtureHttpServer hosts;
    ASSERT_TRUE(hosts.start());
    storeServiceHosts(hosts.baseUrl());
    RunningProgram app;
    ASSERT_TRUE(app.start(QStringLiteral(NIMBREL_APP_EXECUTABLE)));
    ASSERT_FALSE(app.waitForWindow("Nimbrel Core").isEmpty()) << "no window titled \"Nimbrel Core\"";

    // The panels come half a second after the window; the map draws its first frame then.
    QImage shot;
    QRect map;
    waitUntil(
        [&] {
            shot = app.screenshot(testOutputPath("main-window.png"));
            map = shot.isNull() ? QRect() : mapFrame(shot);
            return map.width() > 200 && map.height() > 200 && map.width() < shot.width() - 100;
        },
        20000);
    ASSERT_FALSE(shot.isNull());
    ASSERT_GT(map.height(), 200) << "no map frame in the screenshot";
    EXPECT_TRUE(near(shot.pixel(map.center()), kSea)) << "the sea at latitude 0, longitude 0";
    // The corners are rounded: the panel's background, not the frame, at the very corner.
    for (const QPoint corner : {map.topLeft(), map.topRight(), map.bottomLeft(), map.bottomRight()})
        EXPECT_FALSE(isMapPixel(shot.pixel(corner))) << corner.x() << "," << corner.y();
    EXPECT_TRUE(app.terminate());
}

TEST(AppLaunch, WithoutATerrainServerTheMapShowsTheBundledLandAndSea)
{
    FixtureHttpServer hosts;
    ASSERT_TRUE(hosts.start());
    OVUserDefaults &defaults = OVUserDefaults::standard();
    defaults.setObject(QString(), NBSettingKey::mapTerrainServerURL);
    storeServiceHosts(hosts.baseUrl());
    // Zoomed out as far as the map goes: pole to pole, centred on (0, 0), square degrees.
    defaults.setObject(0.0, NBMapView::kCenterLatitudeKey);
    defaults.setObject(0.0, NBMapView::kCenterLongitudeKey);
    defaults.setObject(180.0, NBMapView::kZoomKey);
    defaults.synchronize();
    RunningProgram app;
    ASSERT_TRUE(app.start(QStringLiteral(NIMBREL_APP_EXECUTABLE)));
    ASSERT_FALSE(app.waitForWindow("Nimbrel Core").isEmpty());

    // The panel is the box of land and sea.
    const auto isBackdrop = [](QRgb pixel) { return near(pixel, kLand) || near(pixel, kSea); };
    QImage shot;
    QRect world;
    waitUntil(
        [&] {
            shot = app.screenshot(testOutputPath("backdrop.png"));
            world = shot.isNull() ? QRect() : mapFrame(shot, isBackdrop);
            return world.width() > 200 && world.height() > 100;
        },
        20000);
    ASSERT_GT(world.width(), 200) << "no land and sea in the screenshot";
    const double pixelsPerDegree = world.height() / 180.0;
    const auto at = [&](double latitude, double longitude) {
        const QPointF centre = QRectF(world).center();
        return shot.pixel(int(centre.x() + longitude * pixelsPerDegree), int(centre.y() - latitude * pixelsPerDegree));
    };
    EXPECT_TRUE(near(at(0.0, 20.0), kLand)) << "central Africa: " << qPrintable(QColor(at(0.0, 20.0)).name());
    EXPECT_TRUE(near(at(-30.0, -20.0), kSea)) << "South Atlantic: " << qPrintable(QColor(at(-30.0, -20.0)).name());
    EXPECT_TRUE(app.terminate());

    QDirIterator files(qEnvironmentVariable("XDG_CACHE_HOME"), {QStringLiteral("*.data")}, QDir::Files,
                       QDirIterator::Subdirectories);
    EXPECT_FALSE(files.hasNext()) << "a tile was cached: " << qPrintable(files.next());
}
