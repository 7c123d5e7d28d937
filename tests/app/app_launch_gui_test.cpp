// Starts the real executable under the X server, finds its main window by title, takes a
// screenshot of it and asks it to quit. Every service host in the settings the program reads
// points at a local fixture server first. The map's panel shows the OpenGL map: a cleared
// (black) frame with the panel's rounded corners, where an empty panel used to be, and the
// tab of the map's control panel at its top right.
#include "AppTestSupport.h"
#include "support/FixtureHttpServer.h"
#include "support/RunningProgram.h"
#include "support/TestHelpers.h"

#include <gtest/gtest.h>

namespace {

/// The box of the rows' long runs of pure black: the map's cleared frame (other panels draw
/// black only in small pieces).
QRect mapFrame(const QImage &shot)
{
    constexpr int kLongRun = 200;
    QRect box;
    for (int y = 0; y < shot.height(); ++y) {
        int run = 0;
        for (int x = 0; x < shot.width(); ++x) {
            run = (shot.pixel(x, y) & 0xFFFFFF) == 0 ? run + 1 : 0;
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
    ASSERT_GT(map.height(), 200) << "no cleared map frame in the screenshot";
    EXPECT_EQ(shot.pixel(map.center()) & 0xFFFFFF, 0u);
    // The corners are rounded: the panel's background, not the frame, at the very corner.
    for (const QPoint corner : {map.topLeft(), map.topRight(), map.bottomLeft(), map.bottomRight()})
        EXPECT_NE(shot.pixel(corner) & 0xFFFFFF, 0u) << corner.x() << "," << corner.y();
    // The map's control panel waits at its top right with only its tab in view, whose light
    // chevron shows on the dark map.
    int light = 0;
    for (int y = map.top() + 8; y < map.top() + 38; ++y)
        for (int x = map.right() - 28; x <= map.right(); ++x)
            light += qGray(shot.pixel(x, y)) > 150 ? 1 : 0;
    EXPECT_GT(light, 6) << "no panel tab at the map's top right";
    EXPECT_TRUE(app.terminate());
}
