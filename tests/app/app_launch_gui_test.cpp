// Starts the real executable under the X server, finds its main window by title, takes a
// screenshot of it and asks it to quit. Every service host in the settings the program reads
// points at a local fixture server first. The map's panel shows the OpenGL map: a cleared
// (black) frame with the panel's rounded corners, where an empty panel used to be.
#include "AppTestSupport.h"
#include "support/FixtureHttpServer.h"
#include "support/RunningProgram.h"
#include "support/TestHelpers.h"

#include <gtest/gtest.h>

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
    EXPECT_TRUE(app.terminate());
}
