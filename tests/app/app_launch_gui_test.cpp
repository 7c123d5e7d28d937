// Starts the real executable under the X server, finds its main window by title, takes a
// screenshot of it and asks it to quit. Every service host in the settings the program reads
// points at a local fixture server first. The map's panel shows the OpenGL map: the bundled
// backdrop's land and sea (and the cleared black beyond the poles) with the panel's rounded
// corners, where an empty panel used to be, and the tab of the map's control panel at its top
// right; with places saved, the country and state borders, the grid when it is switched on,
// and the places' names.
#include "AppTestSupport.h"
#include "ViewTestSupport.h"
#include "map/views/NBMapView.h"
#include "support/FixtureHttpServer.h"
#include "support/RunningProgram.h"
#include "support/TestHelpers.h"

#include "platform/OVUserDefaults.h"

#include <gtest/gtest.h>

#include <QDirIterator>

#include <iostream>

namespace {

/// Whether every channel of `pixel` lies at least `by` below (`by` < 0: above) `colour`'s.
bool shiftedFrom(QRgb pixel, const QColor &colour, int by)
{
    const int channels[3][2] = {{qRed(pixel), colour.red()}, {qGreen(pixel), colour.green()}, {qBlue(pixel), colour.blue()}};
    for (const auto &channel : channels)
        if (by > 0 ? channel[1] - channel[0] < by : channel[0] - channel[1] < -by)
            return false;
    return true;
}

/// The borders' dark grey (0.1 at alpha 0.9) over the backdrop's land, where the borders lie.
bool borderInk(QRgb pixel)
{
    return shiftedFrom(pixel, kBackdropLand, 25) && qRed(pixel) + qGreen(pixel) + qBlue(pixel) > 45;
}

/// The grid's white at alpha 0.5 (smoothed over two pixels) over the backdrop's land or sea.
bool gridInk(QRgb pixel)
{
    return shiftedFrom(pixel, kBackdropLand, -25) || shiftedFrom(pixel, kBackdropSea, -25);
}

/// The screen point of a geographic point in the map's frame, for the equirectangular map
/// centred at `center` (x longitude) with `zoom` half the visible longitude span.
QPoint screenPoint(const QRect &frame, const QPointF &center, double zoom, double latitude, double longitude)
{
    const double perDegree = frame.width() / (2.0 * zoom);
    const QPointF middle = QRectF(frame).center();
    return QPointF(middle.x() + (longitude - center.x()) * perDegree, middle.y() - (latitude - center.y()) * perDegree)
        .toPoint();
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
            // A frame of the settled window: the map shows the sea at its centre.
            return map.width() > 200 && map.height() > 200 && map.width() < shot.width() - 100
                   && nearBackdropColour(shot.pixel(map.center()), kBackdropSea);
        },
        40000);
    ASSERT_FALSE(shot.isNull());
    ASSERT_GT(map.height(), 200) << "no map frame in the screenshot";
    EXPECT_TRUE(nearBackdropColour(shot.pixel(map.center()), kBackdropSea)) << "the sea at latitude 0, longitude 0";
    // The corners are rounded: the panel's background, not the frame, at the very corner.
    for (const QPoint corner : {map.topLeft(), map.topRight(), map.bottomLeft(), map.bottomRight()})
        EXPECT_FALSE(isMapPixel(shot.pixel(corner))) << corner.x() << "," << corner.y();
    // The map's control panel waits at its top right with only its tab in view, whose light
    // chevron shows on the dark map.
    const int light = countPixels(shot, QRect(map.right() - 28, map.top() + 8, 29, 30), [](QRgb pixel) { return qGray(pixel) > 150; });
    EXPECT_GT(light, 6) << "no panel tab at the map's top right";
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
    const auto isBackdrop = [](QRgb pixel) { return nearBackdropColour(pixel, kBackdropLand) || nearBackdropColour(pixel, kBackdropSea); };
    QImage shot;
    QRect world;
    const auto at = [&](double latitude, double longitude) {
        const double pixelsPerDegree = world.height() / 180.0;
        const QPointF centre = QRectF(world).center();
        return shot.pixel(int(centre.x() + longitude * pixelsPerDegree), int(centre.y() - latitude * pixelsPerDegree));
    };
    waitUntil(
        [&] {
            shot = app.screenshot(testOutputPath("backdrop.png"));
            world = shot.isNull() ? QRect() : mapFrame(shot, isBackdrop);
            return world.width() > 200 && world.height() > 100 && nearBackdropColour(at(0.0, 20.0), kBackdropLand)
                   && nearBackdropColour(at(-30.0, -20.0), kBackdropSea);
        },
        40000);
    ASSERT_GT(world.width(), 200) << "no land and sea in the screenshot";
    EXPECT_TRUE(nearBackdropColour(at(0.0, 20.0), kBackdropLand)) << "central Africa: " << qPrintable(QColor(at(0.0, 20.0)).name());
    EXPECT_TRUE(nearBackdropColour(at(-30.0, -20.0), kBackdropSea)) << "South Atlantic: " << qPrintable(QColor(at(-30.0, -20.0)).name());
    EXPECT_TRUE(app.terminate());

    QDirIterator files(qEnvironmentVariable("XDG_CACHE_HOME"), {QStringLiteral("*.data")}, QDir::Files,
                       QDirIterator::Subdirectories);
    EXPECT_FALSE(files.hasNext()) << "a tile was cached: " << qPrintable(files.next());
}

TEST(AppLaunch, TheMapShowsBordersTheGridAndTheSavedPlacesNames)
{
    FixtureHttpServer hosts;
    ASSERT_TRUE(hosts.start());
    storeServiceHosts(hosts.baseUrl());
    OVUserDefaults &defaults = OVUserDefaults::standard();
    defaults.setObject(QVariantList{denverDictionary(), londonDictionary()}, QStringLiteral("locations"));
    // A view over the North Atlantic with both places in it. The launch centres the map on the
    // place it selects, the first one; London then lies outside the panel at any zoom its
    // shape allows, so only places inside the frame are probed.
    const double zoom = 70.0;
    defaults.setObject(zoom, NBMapView::kZoomKey);
    defaults.setObject(45.0, NBMapView::kCenterLatitudeKey);
    defaults.setObject(-52.0, NBMapView::kCenterLongitudeKey);
    // No pole is passed: the centre's latitude comes down until the top edge is at 90 degrees.
    const auto centerIn = [&](const QRect &frame) {
        const double halfHeight = frame.height() / 2.0 / (frame.width() / (2.0 * zoom));
        return QPointF(-104.75, std::min(39.70, 90.0 - halfHeight));
    };
    defaults.setObject(QStringLiteral("YES"), QStringLiteral("OVGeographyMapLayerShowGrid"));
    ASSERT_TRUE(defaults.synchronize());

    RunningProgram app;
    ASSERT_TRUE(app.start(QStringLiteral(NIMBREL_APP_EXECUTABLE)));
    ASSERT_FALSE(app.waitForWindow("Nimbrel Core").isEmpty());
    const QString path = testOutputPath("map-borders-and-labels.png");
    const struct
    {
        const char *name;
        double latitude;
        double longitude;
    } places[] = {{"Denver", 39.70, -104.75}, {"London", 51.51, -0.13}};
    // White ink of a label lies above and right of its place's point.
    const auto inFrame = [&](const QRect &frame, double latitude, double longitude) {
        return frame.adjusted(10, 30, -80, -10).contains(screenPoint(frame, centerIn(frame), zoom, latitude, longitude));
    };
    const auto labelInk = [&](const QImage &shot, const QRect &frame, double latitude, double longitude) {
        const QPoint point = screenPoint(frame, centerIn(frame), zoom, latitude, longitude);
        return countPixels(shot, QRect(point.x() + 1, point.y() - 24, 70, 24),
                     [](QRgb pixel) { return qGray(pixel) > 200; });
    };
    QImage shot;
    QRect frame;
    // The meridian at -100 degrees: a 1-pixel grid line of white at alpha 0.5.
    const auto meridianX = [&] { return screenPoint(frame, centerIn(frame), zoom, 0.0, -100.0).x(); };
    const auto gridRowsOf = [&] {
        const int meridian = meridianX();
        int rows = 0;
        for (int y = frame.top() + 20; y < frame.bottom() - 20; ++y) {
            for (int x = meridian - 2; x <= meridian + 2; ++x) {
                if (gridInk(shot.pixel(x, y))) {
                    ++rows;
                    break;
                }
            }
        }
        return rows;
    };
    waitUntil(
        [&] {
            shot = app.screenshot(path);
            frame = shot.isNull() ? QRect() : mapFrame(shot);
            if (frame.width() < 200 || frame.height() < 200)
                return false;
            for (const auto &place : places)
                if (inFrame(frame, place.latitude, place.longitude) && labelInk(shot, frame, place.latitude, place.longitude) < 20)
                    return false;
            return gridRowsOf() > (frame.height() - 40) * 8 / 10 && countPixels(shot, frame, borderInk) > 300;
        },
        30000);
    std::cout << "map: " << path.toStdString() << std::endl;
    ASSERT_GT(frame.height(), 200) << "no map frame";
    ASSERT_TRUE(inFrame(frame, places[0].latitude, places[0].longitude)) << "the map is centred on Denver";
    for (const auto &place : places) {
        if (!inFrame(frame, place.latitude, place.longitude))
            continue;
        EXPECT_GE(labelInk(shot, frame, place.latitude, place.longitude), 20) << place.name << "'s label";
        const QPoint point = screenPoint(frame, centerIn(frame), zoom, place.latitude, place.longitude);
        EXPECT_LT(countPixels(shot, QRect(point.x() - 70, point.y() + 4, 60, 20), [](QRgb pixel) { return qGray(pixel) > 200; }),
                  5)
            << "nothing of " << place.name << "'s label below and left of its point";
    }
    EXPECT_GT(countPixels(shot, frame, borderInk), 300) << "country and state borders";
    EXPECT_GT(gridRowsOf(), (frame.height() - 40) * 8 / 10) << "the grid's meridian at x " << meridianX();
    EXPECT_TRUE(app.terminate());
}

TEST(AppLaunch, TheActivityPanelOpenAtQuitAndTheWindowsSizeComeBackNextTime)
{
    FixtureHttpServer hosts;
    ASSERT_TRUE(hosts.start());
    storeServiceHosts(hosts.baseUrl());
    OVUserDefaults &defaults = OVUserDefaults::standard();
    defaults.setObject(QVariantList{denverDictionary(), portlandDictionary()}, QStringLiteral("locations"));
    defaults.setObject(1, QStringLiteral("showActivityWindow"));
    ASSERT_TRUE(defaults.synchronize());

    const QSize size(1000, 700);
    {
        RunningProgram app;
        ASSERT_TRUE(app.start(QStringLiteral(NIMBREL_APP_EXECUTABLE)));
        ASSERT_FALSE(app.waitForWindow("Nimbrel Core").isEmpty());
        EXPECT_FALSE(app.waitForOtherWindow(QStringLiteral("Activity"), 20000).isEmpty());
        app.resizeWindow(size);
        EXPECT_TRUE(waitUntil([&] { return app.windowSize() == size; }, 10000));
        EXPECT_TRUE(app.terminate()); // quitting closes every window, the panel too
    }
    RunningProgram again;
    ASSERT_TRUE(again.start(QStringLiteral(NIMBREL_APP_EXECUTABLE)));
    ASSERT_FALSE(again.waitForWindow("Nimbrel Core").isEmpty());
    EXPECT_FALSE(again.waitForOtherWindow(QStringLiteral("Activity"), 20000).isEmpty())
        << "the activity panel open at quit is not reopened";
    EXPECT_TRUE(waitUntil([&] { return again.windowSize() == size; }, 10000))
        << again.windowSize().width() << "x" << again.windowSize().height();
    EXPECT_TRUE(again.terminate());
}
