// The radar loop and its credits in the running program: every service host, the imagery host
// included, points at the fixture server, which serves the radar and satellite inventories,
// every 2048 tile of each frame and the attribution file; the stored map centre and zoom look
// at the credited region. The screenshot must show the newest frame (blue) over the map panel
// with a white credits line near the panel's bottom.
#include "AppTestSupport.h"
#include "map/views/NBMapView.h"
#include "platform/OVUserDefaults.h"
#include "support/FixtureHttpServer.h"
#include "support/RunningProgram.h"
#include "support/TestHelpers.h"

#include <gtest/gtest.h>

namespace {

const QString kRadar = QStringLiteral("/equirectangular/radar_composites/base_reflectivity");
const QString kSatellite = QStringLiteral("/equirectangular/satellite/ir");
const QStringList kTimes = {QStringLiteral("202403100630"), QStringLiteral("202403100642"), QStringLiteral("202403100654")};

QString fixture(const QString &name)
{
    return testDataPath(QStringLiteral("map/radar/") + name);
}

void serveImagery(FixtureHttpServer &server)
{
    server.serveFile(kRadar + QStringLiteral("/inventory.txt"), fixture(QStringLiteral("inventory.txt")), "text/plain");
    server.serveFile(kSatellite + QStringLiteral("/short-inventory.txt"), fixture(QStringLiteral("inventory.txt")),
                     "text/plain");
    server.serveFile(QString::fromLatin1(NBMapView::kAttributionPath), fixture(QStringLiteral("attribution.txt")),
                     "text/plain");
    for (const QString &time : kTimes)
        for (int column = 0; column < 4; ++column)
            for (int row = 0; row < 2; ++row) {
                const QString tile = QStringLiteral("/2048/%1_%2/").arg(column).arg(row);
                server.serveFile(kRadar + tile + time + QStringLiteral(".png"), fixture(time + QStringLiteral(".png")),
                                 "image/png");
                server.serveFile(kSatellite + tile + QStringLiteral("clouds_") + time + QStringLiteral(".png"),
                                 fixture(QStringLiteral("clouds_") + time + QStringLiteral(".png")), "image/png");
            }
}

bool isRadarBlue(QRgb pixel)
{
    return qBlue(pixel) > 230 && qRed(pixel) < 30 && qGreen(pixel) < 30;
}

bool isWhite(QRgb pixel)
{
    return qRed(pixel) > 230 && qGreen(pixel) > 230 && qBlue(pixel) > 230;
}

} // namespace

TEST(AppMapLoops, TheNewestRadarFrameAndItsCreditsShowOverTheMap)
{
    FixtureHttpServer hosts;
    ASSERT_TRUE(hosts.start());
    serveImagery(hosts);
    storeServiceHosts(hosts.baseUrl());
    OVUserDefaults &defaults = OVUserDefaults::standard();
    // The plains of the credited region in the middle; some three pixels a degree, inside the
    // coarsest radar level's band.
    defaults.setObject(35.0, NBMapView::kCenterLatitudeKey);
    defaults.setObject(-95.0, NBMapView::kCenterLongitudeKey);
    defaults.setObject(120.0, NBMapView::kZoomKey);
    defaults.synchronize();

    RunningProgram app;
    ASSERT_TRUE(app.start(QStringLiteral(NIMBREL_APP_EXECUTABLE)));
    ASSERT_FALSE(app.waitForWindow("Nimbrel Core").isEmpty()) << "no window titled \"Nimbrel Core\"";

    QImage shot;
    QRect radar;
    QRect credits;
    waitUntil(
        [&] {
            shot = app.screenshot(testOutputPath("map-loops.png"));
            if (shot.isNull())
                return false;
            radar = pixelBox(shot, shot.rect(), isRadarBlue);
            if (radar.width() < 200 || radar.height() < 150)
                return false;
            credits = pixelBox(shot, radar.adjusted(0, radar.height() - 60, 0, 0), isWhite);
            return !credits.isEmpty();
        },
        40000);
    ASSERT_FALSE(shot.isNull());
    EXPECT_GE(radar.width(), 200) << "no radar frame over the map panel";
    EXPECT_GE(radar.height(), 150);
    ASSERT_FALSE(credits.isEmpty()) << "no credits line near the map panel's bottom";
    EXPECT_GT(credits.width(), 100);
    EXPECT_LE(radar.bottom() - credits.bottom(), 40);
    EXPECT_TRUE(app.terminate());

    EXPECT_GE(hosts.requestCount(kRadar + QStringLiteral("/inventory.txt")), 1);
    EXPECT_GE(hosts.requestCount(QString::fromLatin1(NBMapView::kAttributionPath)), 1);
    int newestTiles = 0;
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 2; ++row)
            newestTiles += hosts.requestCount(kRadar + QStringLiteral("/2048/%1_%2/202403100654.png").arg(column).arg(row));
    EXPECT_GE(newestTiles, 1);
}
