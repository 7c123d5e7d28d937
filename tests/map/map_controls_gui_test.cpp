// The map's controls under Xvfb: play/pause remembered, the settings actions on the real engine
// (stub layers, fake clock, isolated settings), the particle loading indicator against the real
// download manager and a held fixture server, the flight to a new current location, the slide-out
// panel and the settings bubble.
#include "map/views/NBMapControlView.h"
#include "map/views/NBMapPrefsPopover.h"
#include "map/views/NBMapPrefsView.h"
#include "map/views/NBMapView.h"
#include "map/views/NBMapViewController.h"
#include "map/OVMapSettings.h"

#include "core/NBPrefController.h"
#include "core/NBRegisteredDefaults.h"
#include "core/PrefTestSupport.h"
#include "core/remote/OVURLManager.h"
#include "core/views/OVBubbleView.h"
#include "core/views/OVNamedImage.h"
#include "platform/OVUserDefaults.h"
#include "weather/OVWeatherController.h"
#include "weather/OVWeatherLocation.h"

#include "support/FixtureHttpServer.h"
#include "support/MapViewRig.h"
#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QProgressBar>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

namespace {

using namespace OVMapSettingKey;

class MapControlsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        OVUserDefaults::resetStandard(rig.folder.filePath("defaults.conf"));
        OVUserDefaults::standard().registerDefaults(NBRegisteredDefaults::table());
        NBPrefController::resetStore();
        NBPrefController::initSettings();
        OVApplicationHooks::install(nullptr);
        OVWeatherController::sharedWeatherController().setWeatherLocations({});
    }
    void TearDown() override
    {
        controller.reset();
        host.reset();
        OVApplicationHooks::install(nullptr);
        OVUserDefaults::resetStandard();
    }

    /// The map with its controls in an 800 x 400 window, not yet shown.
    NBMapViewController &made()
    {
        host = std::make_unique<QWidget>();
        host->resize(800, 400);
        controller = std::make_unique<NBMapViewController>(host.get(), rig.environment());
        map()->setGeometry(0, 0, 800, 400);
        return *controller;
    }
    /// Shown, after its first frame.
    NBMapViewController &shown()
    {
        if (!controller)
            made();
        host->move(300, 100);
        host->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(host.get()));
        EXPECT_TRUE(waitUntil([&] { return map()->paintCount() > 0 && map()->mapGenerator(); }));
        return *controller;
    }
    NBMapView *map() const { return controller->mapView(); }
    OVMapController &engine() const { return *map()->mapGenerator(); }
    QVariant setting(QLatin1String key) const { return engine().settings().value(QString(key)); }
    static QVariant stored(QLatin1String key) { return OVUserDefaults::standard().storedObjectForKey(QString(key)); }

    /// Slides the panel in and runs the slide to its end.
    void openPanel()
    {
        controller->controlView()->show();
        controller->controlView()->slideAnimation()->setCurrentTime(NBMapControlView::kSlideMs);
    }

    MapViewRig rig;
    std::unique_ptr<QWidget> host;
    std::unique_ptr<NBMapViewController> controller;
};

// Play / pause ------------------------------------------------------------------------------

TEST_F(MapControlsTest, PlayAndPauseAreRememberedAndPauseShowsTheNewestStep)
{
    NBMapViewController &panel = shown();
    OVTimeTracker &tracker = engine().timeTracker();
    ASSERT_TRUE(tracker.isPaused());
    EXPECT_EQ(panel.playPauseButton()->property("imageName").toString(), QStringLiteral("play_white_20"));
    for (const char *name : {"play_white_20", "pause_white_20"})
        EXPECT_EQ(OVNamedImage::imageNamed(QLatin1String(name)).size(), QSize(20, 20)) << name;

    panel.playPauseButton()->click();
    EXPECT_FALSE(tracker.isPaused());
    EXPECT_EQ(stored(isPlaying).toString(), QStringLiteral("YES"));
    EXPECT_EQ(panel.playPauseButton()->property("imageName").toString(), QStringLiteral("pause_white_20"));

    tracker.first();
    panel.playPauseButton()->click();
    EXPECT_TRUE(tracker.isPaused());
    const int64_t pausedAt = tracker.tickPosition();
    tracker.last();
    EXPECT_EQ(pausedAt, tracker.tickPosition()); // the newest step
    EXPECT_GT(pausedAt, 0);
    EXPECT_EQ(stored(isPlaying).toString(), QStringLiteral("NO"));
    EXPECT_EQ(panel.playPauseButton()->property("imageName").toString(), QStringLiteral("play_white_20"));
}

TEST_F(MapControlsTest, BeforeTheFirstFrameTheButtonSwitchesAndTheFrameFollowsIt)
{
    for (const bool storedPlaying : {false, true}) {
        SCOPED_TRACE(storedPlaying ? "stored playing" : "stored paused");
        controller.reset();
        host.reset();
        OVUserDefaults::standard().setObject(storedPlaying ? "YES" : "NO", QString(isPlaying));
        NBMapViewController &panel = made();
        EXPECT_EQ(panel.isPlaying(), storedPlaying);
        panel.playPause(); // no engine yet
        EXPECT_EQ(panel.isPlaying(), !storedPlaying);
        EXPECT_EQ(stored(isPlaying).toString(), storedPlaying ? QStringLiteral("NO") : QStringLiteral("YES"));
        shown();
        EXPECT_EQ(engine().timeTracker().isPaused(), storedPlaying);
    }
}

TEST_F(MapControlsTest, TheZoomButtonsHalveAndDoubleTheZoom)
{
    NBMapViewController &panel = shown();
    openPanel();
    const double zoom = map()->zoom();
    const QPointF centre = map()->center();
    for (const auto &[name, factor] : {std::pair{"zoomInButton", 0.5}, std::pair{"zoomOutButton", 1.0}}) {
        SCOPED_TRACE(name);
        QTest::mouseClick(panel.controlView()->findChild<QToolButton *>(QLatin1String(name)), Qt::LeftButton);
        OVAnimation &animation = map()->zoomAnimation();
        ASSERT_TRUE(animation.isAnimating());
        animation.stopAnimation();
        animation.setCurrentProgress(1.0f);
        EXPECT_DOUBLE_EQ(map()->zoom(), zoom * factor);
        EXPECT_EQ(map()->center(), centre);
    }
}

// Settings actions --------------------------------------------------------------------------

/// The keys whose values differ between two settings maps.
QStringList changedKeys(const QVariantMap &before, const QVariantMap &after)
{
    QStringList keys;
    for (const QString &key : after.keys())
        if (!before.contains(key) || before.value(key) != after.value(key))
            keys << key;
    for (const QString &key : before.keys())
        if (!after.contains(key))
            keys << key;
    return keys;
}

TEST_F(MapControlsTest, EachControlChangesExactlyItsSettingAndAppliesIt)
{
    NBMapViewController &panel = shown();
    NBMapPrefsView prefs(panel, &engine());
    const auto window = [&] {
        const OVTimeTracker &tracker = engine().timeTracker();
        return tracker.beginDate().secsTo(tracker.endDate());
    };
    const auto group = [&](OVMapLayerType type) {
        const OVMapLayerGroup layers = engine().layers(type);
        return layers ? layers->size() : 0;
    };
    const auto particleColumns = [&]() -> int64_t {
        const auto stubs = rig.recorder.ofType(OVMapLayerType::ParticleMode);
        return stubs.isEmpty() || !stubs.last()->particleColumns ? -1 : *stubs.last()->particleColumns;
    };
    QApplication::processEvents();

    const struct
    {
        const char *name;
        QLatin1String key;
        std::function<void()> act;
        QVariant expected;
        std::function<bool()> applied;
    } cases[] = {
        {"3-hour steps", timeInterval, [&] { prefs.findChild<QRadioButton *>("timeInterval1")->click(); }, 1,
         [&] { return window() == 30 * 3600; }},
        {"12-minute steps", timeInterval, [&] { prefs.findChild<QRadioButton *>("timeInterval0")->click(); }, 0,
         [&] { return window() == 2 * 3600; }},
        {"speed", animationSpeed, [&] { prefs.findChild<QSlider *>(QString(animationSpeed))->setValue(10); }, 0.5,
         [&] { return engine().timeTracker().timerInterval() == 0.5; }},
        {"surface analysis on", showSurfaceAnalysis,
         [&] { prefs.findChild<QCheckBox *>(QString(showSurfaceAnalysis))->setChecked(true); }, true,
         [&] { return group(OVMapLayerType::SurfaceAnalysis) == 1; }},
        {"surface analysis off", showSurfaceAnalysis,
         [&] { prefs.findChild<QCheckBox *>(QString(showSurfaceAnalysis))->setChecked(false); }, false,
         [&] { return group(OVMapLayerType::SurfaceAnalysis) == 0; }},
        {"particles off", showParticleMode,
         [&] { prefs.findChild<QCheckBox *>(QString(showParticleMode))->setChecked(false); }, false,
         [&] { return group(OVMapLayerType::ParticleMode) == 0; }},
        {"particles on", showParticleMode,
         [&] { prefs.findChild<QCheckBox *>(QString(showParticleMode))->setChecked(true); }, true,
         [&] { return group(OVMapLayerType::ParticleMode) == 1; }},
        {"density 0", particleDensity, [&] { prefs.findChild<QComboBox *>(QString(particleDensity))->setCurrentIndex(0); },
         100, [&] { return waitUntil([&] { return particleColumns() == 100; }); }},
        {"density 3", particleDensity, [&] { prefs.findChild<QComboBox *>(QString(particleDensity))->setCurrentIndex(3); },
         400, [&] { return waitUntil([&] { return particleColumns() == 400; }); }},
        {"density 2", particleDensity, [&] { prefs.findChild<QComboBox *>(QString(particleDensity))->setCurrentIndex(2); },
         250, [&] { return waitUntil([&] { return particleColumns() == 250; }); }},
        {"density 1", particleDensity, [&] { prefs.findChild<QComboBox *>(QString(particleDensity))->setCurrentIndex(1); },
         150, [&] { return waitUntil([&] { return particleColumns() == 150; }); }},
        {"pause in background", pauseParticleModeInBackground,
         [&] { prefs.findChild<QCheckBox *>(QString(pauseParticleModeInBackground))->setChecked(true); }, true,
         [] { return true; }},
    };
    for (const auto &row : cases) {
        SCOPED_TRACE(row.name);
        const QVariantMap before = engine().settings();
        row.act();
        const QVariantMap after = engine().settings();
        EXPECT_EQ(changedKeys(before, after), QStringList{QString(row.key)});
        EXPECT_EQ(after.value(QString(row.key)).toDouble(), row.expected.toDouble());
        EXPECT_TRUE(stored(row.key).isValid()); // the control keeps its value for the next start
        EXPECT_TRUE(row.applied());
    }
}

TEST_F(MapControlsTest, ADensityIndexOutsideTheTableLeavesTheSetting)
{
    NBMapViewController &panel = shown();
    const QVariant before = setting(particleDensity);
    for (const QVariant &index : {QVariant(7), QVariant(-1)}) {
        OVUserDefaults::standard().setObject(index, QString(particleDensity));
        panel.setParticleDensity();
        EXPECT_EQ(setting(particleDensity), before);
    }
}

TEST_F(MapControlsTest, MovingOneOpacitySliderLeavesTheOtherLayersOpacity)
{
    NBMapViewController &panel = shown();
    NBMapPrefsView prefs(panel, &engine());
    auto *radar = prefs.findChild<QSlider *>(QString(radarOpacity));
    ASSERT_TRUE(radar);
    EXPECT_EQ(radar->value(), 100); // the engine's setting, as nothing is stored
    const int painted = map()->paintCount();
    radar->setValue(40);
    EXPECT_NEAR(setting(radarOpacity).toDouble(), 0.4, 1e-6);
    EXPECT_DOUBLE_EQ(setting(satelliteOpacity).toDouble(), 0.75);
    EXPECT_TRUE(waitUntil([&] { return map()->paintCount() > painted; })); // shown at the next frame

    // A stored value is what a new settings view shows.
    NBMapPrefsView again(panel, &engine());
    EXPECT_EQ(again.findChild<QSlider *>(QString(radarOpacity))->value(), 40);
}

TEST_F(MapControlsTest, WithoutAnEngineTheActionsOnlyStoreTheirValues)
{
    NBMapViewController &panel = made();
    NBMapPrefsView prefs(panel, nullptr);
    prefs.findChild<QCheckBox *>(QString(showSurfaceAnalysis))->setChecked(true);
    prefs.findChild<QSlider *>(QString(satelliteOpacity))->setValue(30);
    EXPECT_TRUE(OVUserDefaults::variantToBool(stored(showSurfaceAnalysis)));
    shown(); // the first frame reads them
    EXPECT_TRUE(OVMapSettings::boolValue(engine().settings(), showSurfaceAnalysis));
    EXPECT_NEAR(setting(satelliteOpacity).toDouble(), 0.3, 1e-6);
}

// Loading indicator -------------------------------------------------------------------------

TEST_F(MapControlsTest, TheIndicatorSpinsWhileAModelDataDownloadIsQueued)
{
    FixtureHttpServer server;
    ASSERT_TRUE(server.start()) << server.errorString().toStdString();
    auto otherGate = std::make_shared<FixtureGate>();
    auto firstGate = std::make_shared<FixtureGate>();
    auto secondGate = std::make_shared<FixtureGate>();
    const auto held = [](const std::shared_ptr<FixtureGate> &gate) {
        FixtureResponse response = FixtureResponse::text("GRIB", "application/octet-stream");
        response.gate = gate;
        return response;
    };
    server.serve("/other", held(otherGate));
    server.serve("/first", held(firstGate));
    server.serve("/second", held(secondGate));
    const QString port = QString::number(server.port());
    OVUserDefaults::standard().setObject("http://localhost:" + port, QString(NBSettingKey::modelDataServerURL));
    auto hooks = std::make_shared<FakeApplicationHooks>();
    OVApplicationHooks::install(hooks);

    NBMapViewController &panel = shown();
    OVURLManager &manager = OVURLManager::sharedURLManager();
    const auto queued = [&](const QString &path) {
        for (const QVariantMap &entry : manager.urls())
            if (entry.value("urlString").toString().endsWith(path))
                return true;
        return false;
    };
    const auto clickIndicator = [&] {
        QTest::mouseClick(panel.particleLoadingIndicatorArea(), Qt::LeftButton, {}, QPoint(5, 5));
    };

    manager.loadURLString("http://127.0.0.1:" + port + "/other");
    ASSERT_TRUE(waitUntil([&] { return server.requestCount("/other") == 1; }));
    EXPECT_FALSE(panel.isParticleDataLoading());
    EXPECT_FALSE(panel.particleLoadingIndicator()->isVisibleTo(panel.controlView()));
    clickIndicator(); // idle: nothing
    EXPECT_FALSE(hooks->calls.contains("activityPanel"));

    manager.loadURLString("http://localhost:" + port + "/first");
    manager.loadURLString("http://localhost:" + port + "/second");
    ASSERT_TRUE(waitUntil([&] { return panel.isParticleDataLoading(); }));
    EXPECT_TRUE(panel.particleLoadingIndicator()->isVisibleTo(panel.controlView()));
    EXPECT_EQ(panel.particleLoadingIndicator()->maximum(), 0); // busy
    clickIndicator();
    EXPECT_EQ(hooks->calls.count("activityPanel"), 1);

    firstGate->open();
    ASSERT_TRUE(waitUntil([&] { return !queued("/first"); }));
    EXPECT_TRUE(panel.isParticleDataLoading()); // one remains
    otherGate->open();
    secondGate->open();
    ASSERT_TRUE(waitUntil([&] { return !panel.isParticleDataLoading(); }));
    EXPECT_FALSE(panel.particleLoadingIndicator()->isVisibleTo(panel.controlView()));
    EXPECT_TRUE(waitUntil([&] { return manager.urls().isEmpty(); }));

    // Without the shell's hooks a click while loading does nothing.
    auto gate = std::make_shared<FixtureGate>();
    server.serve("/third", held(gate));
    OVApplicationHooks::install(nullptr);
    manager.loadURLString("http://localhost:" + port + "/third");
    ASSERT_TRUE(waitUntil([&] { return panel.isParticleDataLoading(); }));
    clickIndicator();
    EXPECT_EQ(hooks->calls.count("activityPanel"), 1);
    gate->open();
    EXPECT_TRUE(waitUntil([&] { return manager.urls().isEmpty(); }));
}

TEST_F(MapControlsTest, AnEmptyModelDataAddressMatchesNoDownload)
{
    FixtureHttpServer server;
    ASSERT_TRUE(server.start());
    auto gate = std::make_shared<FixtureGate>();
    FixtureResponse response = FixtureResponse::text("x");
    response.gate = gate;
    server.serve("/any", response);
    OVUserDefaults::standard().setObject(QString(), QString(NBSettingKey::modelDataServerURL));
    NBMapViewController &panel = shown();
    OVURLManager::sharedURLManager().loadURLString(server.baseUrl() + "/any");
    ASSERT_TRUE(waitUntil([&] { return server.requestCount("/any") == 1; }));
    panel.updateParticleModeLoadingIndicator();
    EXPECT_FALSE(panel.isParticleDataLoading());
    gate->open();
    EXPECT_TRUE(waitUntil([&] { return OVURLManager::sharedURLManager().urls().isEmpty(); }));
}

// Location ----------------------------------------------------------------------------------

TEST_F(MapControlsTest, ANewCurrentLocationFliesTheMapThere)
{
    shown();
    auto place = std::make_shared<OVWeatherLocation>();
    place->setCity(QStringLiteral("Springfield"));
    place->setLatitude(39.8);
    place->setLongitude(-89.6);
    OVWeatherController::sharedWeatherController().setCurrentLocation(place);
    OVAnimation &flight = map()->recenterAnimation();
    ASSERT_TRUE(flight.isAnimating());
    flight.stopAnimation();
    flight.setCurrentProgress(1.0f);
    EXPECT_EQ(map()->center(), QPointF(-89.6, 39.8));

    OVWeatherController::sharedWeatherController().setCurrentLocation(nullptr);
    EXPECT_FALSE(flight.isAnimating());
    EXPECT_EQ(map()->center(), QPointF(0, 0));
}

// Panel -------------------------------------------------------------------------------------

TEST_F(MapControlsTest, ThePanelIsADarkBodyWithARoundedTabAtItsTopLeft)
{
    NBMapControlView panel;
    panel.resize(200, 80);
    QImage image(panel.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    panel.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    const auto alpha = [&](int x, int y) { return qAlpha(image.pixel(x, y)); };
    const struct
    {
        const char *where;
        QPoint point;
        int alpha;
    } cases[] = {
        {"tab", QPoint(28, 15), 204},
        {"tab's rounded left end, middle", QPoint(1, 15), 204},
        {"tab's top-left corner", QPoint(1, 1), 0},
        {"below the tab", QPoint(15, 50), 0},
        {"body", QPoint(100, 50), 204},
        {"body's rounded bottom-left corner", QPoint(39, 78), 0},
        {"body just inside that corner", QPoint(53, 65), 204},
        {"square top right", QPoint(199, 0), 204},
        {"square bottom right", QPoint(199, 79), 204},
    };
    for (const auto &row : cases) {
        SCOPED_TRACE(row.where);
        EXPECT_NEAR(alpha(row.point.x(), row.point.y()), row.alpha, 3);
        if (row.alpha) {
            EXPECT_EQ(qRed(image.pixel(row.point)), 0);
        }
    }
    // The tab's chevron shows light on the dark tab.
    int light = 0;
    for (int y = 8; y < 23; ++y)
        for (int x = 6; x < 22; ++x)
            light += qRed(image.pixel(x, y)) > 150 ? 1 : 0;
    EXPECT_GT(light, 6);
}

TEST_F(MapControlsTest, ThePanelSlidesInAndOutLeavingItsTabInView)
{
    QWidget parent;
    parent.resize(600, 300);
    parent.show(); // a hidden widget hears of a resize only once shown
    auto *panel = new NBMapControlView(&parent);
    panel->resize(200, 62);
    panel->placeHidden();
    EXPECT_EQ(panel->pos(), QPoint(600 - 28, 8));

    panel->show();
    EXPECT_EQ(panel->slideAnimation()->duration(), 250);
    EXPECT_EQ(panel->slideAnimation()->endValue().toPoint(), QPoint(400, 8));
    panel->slideAnimation()->setCurrentTime(250);
    EXPECT_EQ(panel->pos(), QPoint(400, 8));

    panel->toggleShown();
    panel->slideAnimation()->setCurrentTime(250);
    EXPECT_EQ(parent.width() - panel->x(), 28);
    panel->toggleShown(); // a second toggle while still moving brings it back
    panel->toggleShown();
    panel->slideAnimation()->setCurrentTime(250);
    EXPECT_EQ(parent.width() - panel->x(), 28);

    // A click on the tab slides it in; a wider map keeps it at the right edge.
    QTest::mouseClick(panel, Qt::LeftButton, {}, QPoint(15, 15));
    panel->slideAnimation()->setCurrentTime(250);
    EXPECT_EQ(panel->pos(), QPoint(400, 8));
    parent.resize(700, 300);
    EXPECT_EQ(panel->pos(), QPoint(500, 8));
}

// Settings bubble ---------------------------------------------------------------------------

TEST_F(MapControlsTest, TheBubbleOpensLeftOfTheGearOrToItsRightAtTheScreensEdge)
{
    const QRect screen(0, 0, 1280, 800);
    const QSize bubble(260, 300);
    const struct
    {
        const char *name;
        QRect gear;
        QPoint topLeft;
        int mode;
    } cases[] = {
        {"room on the left", QRect(700, 200, 26, 26), QPoint(440, 190), 1},
        {"at the left edge", QRect(100, 200, 26, 26), QPoint(126, 190), 0},
        {"just fits", QRect(260, 200, 26, 26), QPoint(0, 190), 1},
        {"top above the screen", QRect(700, 5, 26, 26), QPoint(726, -5), 0},
    };
    for (const auto &row : cases) {
        SCOPED_TRACE(row.name);
        const NBMapPrefsPopover::Placement placement = NBMapPrefsPopover::place(row.gear, bubble, screen);
        EXPECT_EQ(placement.topLeft, row.topLeft);
        EXPECT_EQ(placement.arrowDisplayMode, row.mode);
    }
}

TEST_F(MapControlsTest, TheBubbleClosesOnAnyPressElsewhereAndLetsItThrough)
{
    NBMapViewController &panel = shown();
    openPanel();
    QToolButton *gear = panel.prefsGearButton();
    NBMapPrefsPopover &popover = *panel.prefsPopover();

    QTest::mouseClick(gear, Qt::LeftButton);
    ASSERT_TRUE(popover.isOpen());
    QWidget *window = popover.window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    const QPoint gearTop = gear->mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(window->geometry().topLeft(), QPoint(gearTop.x() - window->width(), gearTop.y() - 10));
    EXPECT_EQ(popover.bubble()->arrowDisplayMode(), 1);

    // Presses inside pass and leave it open.
    auto *surface = window->findChild<QCheckBox *>(QString(showSurfaceAnalysis));
    ASSERT_TRUE(surface);
    QTest::mouseClick(surface, Qt::LeftButton, {}, QPoint(5, surface->height() / 2));
    EXPECT_TRUE(popover.isOpen());
    EXPECT_TRUE(surface->isChecked());
    EXPECT_TRUE(OVMapSettings::boolValue(engine().settings(), showSurfaceAnalysis));

    // The gear closes it, and opens it again.
    QTest::mouseClick(gear, Qt::LeftButton);
    EXPECT_FALSE(popover.isOpen());
    QTest::mouseClick(gear, Qt::LeftButton);
    EXPECT_TRUE(popover.isOpen());

    // A double click on the map closes it and still zooms.
    QTest::mouseDClick(map(), Qt::LeftButton, {}, QPoint(200, 200));
    EXPECT_FALSE(popover.isOpen());
    EXPECT_TRUE(map()->zoomAnimation().isAnimating());

    // A key press closes it.
    QTest::mouseClick(gear, Qt::LeftButton);
    ASSERT_TRUE(popover.isOpen());
    QTest::keyClick(map(), Qt::Key_A);
    EXPECT_FALSE(popover.isOpen());
}

} // namespace
