// The wind particles in the running program: the real executable, its model-data server a local
// fixture server. With a filter that serves the 2.5 degree file the program searches the run,
// downloads the particle fields and draws particles over the map; with a filter that answers
// 404 it draws none. Particles are counted as screenshot pixels in the colours of the
// particle ramp that are not the backdrop's land or sea.
#include "AppControllerFixture.h"
#include "AppTestSupport.h"
#include "app/NBBaseView.h"
#include "map/views/NBMapViewController.h"
#include "map/layers/OVMapParticleModeLayer.h"
#include "support/FixtureHttpServer.h"
#include "support/RunningProgram.h"
#include "support/TestHelpers.h"

#include "platform/OVUserDefaults.h"

#include <gtest/gtest.h>

#include <QMainWindow>
#include <QProgressBar>
#include <QTest>

namespace {

const QString kGfs = QStringLiteral("/pub/data/nccf/com/gfs/prod");
const QString kDay = kGfs + QStringLiteral("/gfs.20240301");
const QString kFilter = QStringLiteral("/cgi-bin/filter_gfs_0p25_1hr.pl");

int particlePixels(const QImage &shot)
{
    static const QList<QColor> ramp = [] {
        QList<QColor> colours;
        const OVMapParticleModeLayer::Ramp r = OVMapParticleModeLayer::normalRamp();
        for (int i = 0; i < OVMapParticleModeLayer::kRampSteps; ++i)
            colours.append(QColor::fromRgbF(float(r.red[i]), float(r.green[i]), float(r.blue[i])));
        return colours;
    }();
    return countPixels(shot, shot.rect(), [](QRgb pixel) {
        if (nearBackdropColour(pixel, kBackdropLand) || nearBackdropColour(pixel, kBackdropSea))
            return false;
        return std::any_of(ramp.begin(), ramp.end(), [&](const QColor &c) { return nearColour(pixel, c, 12); });
    });
}

FixtureResponse html(const QString &relative)
{
    return FixtureResponse::file(testDataPath(relative), "text/html");
}

/// The model-data server's run listings; the filter gives `filterReply`.
void serveModelData(FixtureHttpServer &model, const FixtureResponse &filterReply)
{
    model.serve(kGfs, html(QStringLiteral("gribfilter/gfs_prod.html")));
    model.serve(kDay, html(QStringLiteral("gribfilter/gfs.20240301.html")));
    model.serve(kDay + QStringLiteral("/18/atmos"), html(QStringLiteral("gribfilter/gfs.20240301_18_atmos.html")));
    model.serve(kDay + QStringLiteral("/12/atmos"),
                html(QStringLiteral("particlefetcher/gfs.20240301_12_atmos_from_f001.html")));
    model.serve(kFilter, filterReply);
}

// Launches the program against a model-data server whose filter gives `filterReply`, waits for
// the filter request and then for the particles (at most `waitMs`); the most particle pixels
// seen in the screenshots.
int launchAndCountParticles(const FixtureResponse &filterReply, const QString &shotName, int waitMs,
                            int enough, bool *searched)
{
    FixtureHttpServer hosts;
    FixtureHttpServer model;
    if (!hosts.start() || !model.start())
        return -1;
    serveModelData(model, filterReply);
    OVUserDefaults::standard().setObject(model.baseUrl(), NBSettingKey::modelDataServerURL);
    storeServiceHosts(hosts.baseUrl());

    RunningProgram app;
    if (!app.start(QStringLiteral(NIMBREL_APP_EXECUTABLE)) || app.waitForWindow("Nimbrel Core").isEmpty())
        return -1;
    waitUntil([&] { return model.requestCount(kFilter) > 0; }, 30000);
    *searched = model.requestCount(kGfs) > 0 && model.requestCount(kFilter) > 0;
    int most = 0;
    waitUntil(
        [&] {
            const QImage shot = app.screenshot(testOutputPath(shotName));
            if (!shot.isNull())
                most = std::max(most, particlePixels(shot));
            return most >= enough;
        },
        waitMs);
    EXPECT_TRUE(app.terminate());
    return most;
}

} // namespace

TEST(AppParticles, TheRunningProgramFetchesTheGridsAndDrawsParticlesOverTheMap)
{
    // Without grids the particles stay invisible: what the ramp's colours match elsewhere.
    bool searchedWithout = false;
    const int without = launchAndCountParticles(FixtureResponse::error(404), QStringLiteral("without-grids.png"),
                                                3000, 1 << 30, &searchedWithout);
    ASSERT_GE(without, 0) << "the program did not start";
    EXPECT_TRUE(searchedWithout) << "the run search and the filter request reach the model-data server";

    // Markedly more: several hundred particles of a few pixels each over what the map shows anyway.
    const int threshold = 3 * without + 500;
    bool searched = false;
    const QByteArray file = readTestFile(testDataPath(QStringLiteral("grib/gfs_2p5deg_2011011012_f120_2t_10u_10v.grib2")));
    const int with = launchAndCountParticles(FixtureResponse::text(file, "application/octet-stream"),
                                             QStringLiteral("with-grids.png"), 30000, threshold, &searched);
    EXPECT_TRUE(searched) << "the server's log shows the run search and the filter request";
    EXPECT_GE(with, threshold) << "particle pixels with grids " << with << ", without " << without;
}

// In the launched controller's window: the map's particle loading indicator is busy while the
// filter's reply is held back and idle once it has come.
TEST_F(AppControllerTest, TheParticleLoadingIndicatorIsBusyWhileTheGridsDownload)
{
    ASSERT_TRUE(hosts.start());
    auto gate = std::make_shared<FixtureGate>();
    FixtureResponse held = FixtureResponse::file(testDataPath(QStringLiteral("grib/gfs_2p5deg_2011011012_f120_2t_10u_10v.grib2")),
                                                 "application/octet-stream");
    held.gate = gate;
    serveModelData(hosts, held);
    launch();
    QMainWindow *window = controller->window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    env.scheduler->advance(2.5); // the panels at 0.5 s, the first update pass at 2 s
    auto *base = window->findChild<NBBaseView *>();
    ASSERT_TRUE(base);
    auto *map = dynamic_cast<NBMapViewController *>(base->mapViewController());
    ASSERT_TRUE(map && map->mapView());

    ASSERT_TRUE(waitUntil([&] { return hosts.requestCount(kFilter) > 0; }, 30000)) << "no filter request";
    EXPECT_TRUE(map->isParticleDataLoading());
    EXPECT_TRUE(map->particleLoadingIndicator()->isVisible());
    gate->open();
    EXPECT_TRUE(waitUntil([&] { return !map->isParticleDataLoading(); }, 20000));
    EXPECT_FALSE(map->particleLoadingIndicator()->isVisible());
}
