// The OpenGL map view in a real window under Xvfb: its first frame (loader, controller, the
// user's preferences), the stored geometry, mouse, wheel and pinch input, recentring, and the
// place labels from a fixture location database, an older load never replacing a newer one.
// Layers are recording stubs.
#include "map/views/NBMapView.h"
#include "map/views/NBMapViewController.h"
#include "map/OVMapSettings.h"
#include "map/gl/OVTextureRegistry.h"

#include "core/NBPrefController.h"
#include "core/NBRegisteredDefaults.h"
#include "core/OVLocationDB.h"
#include "core/OVSQLite3DB.h"
#include "platform/OVDispatch.h"
#include "platform/OVUserDefaults.h"
#include "weather/OVWeatherController.h"
#include "weather/OVWeatherLocation.h"

#include "support/FakeClock.h"
#include "support/MapViewRig.h"
#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QOpenGLContext>
#include <QPointingDevice>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <QWheelEvent>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

namespace {

class MapViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        OVUserDefaults::resetStandard(folder.filePath("defaults.conf"));
        OVUserDefaults::standard().registerDefaults(NBRegisteredDefaults::table());
        NBPrefController::resetStore();
        NBPrefController::initSettings();
        OVWeatherController::sharedWeatherController().setWeatherLocations({});
    }
    void TearDown() override
    {
        view.reset();
        OVUserDefaults::resetStandard();
    }

    NBMapView::Environment environment() { return rig.environment(); }

    void store(const QString &key, const QVariant &value) { OVUserDefaults::standard().setObject(value, key); }

    /// A shown 800 x 400 view after its first frame.
    NBMapView &shown() { return shown(environment()); }
    NBMapView &shown(const NBMapView::Environment &collaborators)
    {
        view = std::make_unique<NBMapView>(nullptr, collaborators);
        view->resize(800, 400);
        view->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        EXPECT_TRUE(waitUntil([&] { return view->paintCount() > 0; }));
        return *view;
    }

    QPointF widget(const QPointF &yUp) const { return QPointF(yUp.x(), view->height() - yUp.y()); }

    void send(QEvent::Type type, const QPointF &position, Qt::MouseButton button, Qt::MouseButtons buttons,
              Qt::KeyboardModifiers modifiers = {})
    {
        QMouseEvent event(type, position, view->mapToGlobal(position), button, buttons, modifiers);
        QCoreApplication::sendEvent(view.get(), &event);
    }

    void pinch(double magnification, const QPointF &position)
    {
        QNativeGestureEvent event(Qt::ZoomNativeGesture, QPointingDevice::primaryPointingDevice(), 2, position, position,
                                  view->mapToGlobal(position), magnification, QPointF());
        QCoreApplication::sendEvent(view.get(), &event);
    }

    /// Runs a started animation to its end at once.
    static void finish(OVAnimation &animation)
    {
        ASSERT_TRUE(animation.isAnimating());
        animation.stopAnimation();
        animation.setCurrentProgress(1.0f);
    }

    MapViewRig rig;
    QTemporaryDir &folder = rig.folder;
    FakeClock &clock = rig.clock;
    OVTextureRegistry &registry = rig.registry;
    RecordingLayerFactory &recorder = rig.recorder;
    std::shared_ptr<OVLocationDB> &database = rig.database;
    std::unique_ptr<NBMapView> view;
};

TEST_F(MapViewTest, StoredGeometryIsReadWithinItsRanges)
{
    const struct
    {
        double zoom, latitude, longitude;
        double expectedZoom;
        QPointF expectedCenter;
    } cases[] = {
        {0.0, 10.0, 20.0, 8.0, QPointF(20, 10)},     // zoom 0 reads 8
        {10.0, 95.0, 20.0, 10.0, QPointF(20, 85)},   // accepted, then limited at the frame
        {10.0, 200.0, 20.0, 10.0, QPointF(0, 0)},    // out of range: the origin
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.latitude);
        store(QString(NBMapView::kZoomKey), c.zoom);
        store(QString(NBMapView::kCenterLatitudeKey), c.latitude);
        store(QString(NBMapView::kCenterLongitudeKey), c.longitude);
        NBMapView &map = shown();
        EXPECT_EQ(map.zoom(), c.expectedZoom);
        EXPECT_EQ(map.center(), c.expectedCenter);
    }
}

TEST_F(MapViewTest, TheFirstFrameMakesOneLoaderAndOneControllerWithTheUsersPreferences)
{
    store(QString(OVMapSettingKey::isPlaying), QStringLiteral("YES"));
    store(QString(OVMapSettingKey::showGrid), QStringLiteral("NO"));
    store(QString(OVMapSettingKey::showTerrain), QStringLiteral("NO"));
    store(QString(OVMapSettingKey::showPlacemarks), QStringLiteral("NO")); // not among the copied keys
    store(QString(OVMapSettingKey::particleDensity), 3);
    store(QString(OVMapSettingKey::animationSpeed), 0.5);
    NBMapView &map = shown();

    ASSERT_NE(map.textureLoader(), nullptr);
    ASSERT_NE(map.textureLoader()->context(), nullptr);
    EXPECT_TRUE(QOpenGLContext::areSharing(map.textureLoader()->context(), map.openglLayer()->context()));
    EXPECT_EQ(registry.maxTextureMemory(), 209715200u);
    OVMapController *controller = map.mapGenerator();
    ASSERT_NE(controller, nullptr);
    const auto loader = map.textureLoader();
    map.update();
    const int painted = map.paintCount();
    ASSERT_TRUE(waitUntil([&] { return map.paintCount() > painted; }));
    EXPECT_EQ(map.mapGenerator(), controller);
    EXPECT_EQ(map.textureLoader(), loader);

    const QVariantMap settings = controller->settings();
    for (const QString &key : OVMapSettings::userDefaultKeys()) {
        const QVariant held = OVUserDefaults::standard().objectForKey(key);
        if (held.isValid() && key != QString(OVMapSettingKey::particleDensity))
            EXPECT_EQ(settings.value(key), held) << key.toStdString();
    }
    EXPECT_EQ(settings.value(QString(OVMapSettingKey::showPlacemarks)), true);
    EXPECT_EQ(settings.value(QString(OVMapSettingKey::particleDensity)).toLongLong(), 400);
    EXPECT_FALSE(controller->timeTracker().isPaused()); // the loop resumes
    EXPECT_DOUBLE_EQ(controller->timeTracker().timerInterval(), 0.5);
    EXPECT_EQ(controller->layers(OVMapLayerType::Grid), nullptr);
    EXPECT_EQ(controller->layers(OVMapLayerType::Terrain), nullptr);
    EXPECT_NE(controller->layers(OVMapLayerType::Radar), nullptr); // registered: shown
    EXPECT_NE(controller->layers(OVMapLayerType::Placemark), nullptr);
    QCoreApplication::processEvents();
    EXPECT_EQ(recorder.ofType(OVMapLayerType::ParticleMode).at(0)->particleColumns, 400);
}

// Playing with no radar or satellite frame and particles off: nothing moves, so no frame is
// drawn until something changes; a minimised map draws none at all and catches up on return.
TEST_F(MapViewTest, WithNothingToAnimateOrMinimisedTheMapDrawsNoFrame)
{
    store(QString(OVMapSettingKey::isPlaying), QStringLiteral("YES"));
    store(QString(OVMapSettingKey::showParticleMode), QStringLiteral("NO"));
    store(QString(OVMapSettingKey::animationSpeed), 0.1);
    NBMapView &map = shown();
    ASSERT_TRUE(waitUntil([&] { return map.cityLabelDeliveries() > 0; }));
    map.redraw(); // gathers every frame asked for so far
    int painted = map.paintCount();
    ASSERT_TRUE(waitUntil([&] { return map.paintCount() > painted; }));

    OVMapController *controller = map.mapGenerator();
    ASSERT_NE(controller, nullptr);
    EXPECT_FALSE(controller->loopHasFrames());
    EXPECT_FALSE(controller->timeTracker().isPaused()) << "the play state is kept";
    EXPECT_FALSE(controller->timeTracker().isTicking());
    ASSERT_TRUE(waitUntil([&] { return !map.isDrawing(); })) << "the frames asked for are drawn";
    painted = map.paintCount();
    EXPECT_FALSE(waitUntil([&] { return map.paintCount() > painted; }, 5000)) << "idle for 5 s";

    map.redraw();
    ASSERT_TRUE(waitUntil([&] { return map.paintCount() > painted; })) << "a change still draws";

    map.showMinimized();
    QCoreApplication::processEvents();
    ASSERT_FALSE(map.canShowFrames());
    painted = map.paintCount();
    EXPECT_FALSE(waitUntil([&] {
        map.redraw();
        return map.paintCount() > painted;
    }, 3000)) << "minimised, while frames are asked for";

    map.showNormal();
    EXPECT_TRUE(waitUntil([&] { return map.paintCount() > painted; })) << "the frame asked for comes on return";
}

TEST_F(MapViewTest, ADensityIndexBeyondTheTableIsPassedOnAndRaised)
{
    store(QString(OVMapSettingKey::particleDensity), 7);
    NBMapView &map = shown();
    EXPECT_EQ(map.mapGenerator()->settings().value(QString(OVMapSettingKey::particleDensity)).toLongLong(), 7);
    QCoreApplication::processEvents();
    EXPECT_EQ(recorder.ofType(OVMapLayerType::ParticleMode).at(0)->particleColumns, 50);
}

TEST_F(MapViewTest, TwoRedrawsGiveOneFrame)
{
    NBMapView &map = shown();
    // The labels' arrival asks for a frame of its own.
    ASSERT_TRUE(waitUntil([&] { return map.cityLabelDeliveries() > 0 && !map.isDrawing(); }));
    const int painted = map.paintCount();
    map.redraw();
    map.redraw();
    EXPECT_EQ(map.paintCount(), painted); // queued, not drawn at once
    ASSERT_TRUE(waitUntil([&] { return map.paintCount() > painted && !map.isDrawing(); }));
    EXPECT_EQ(map.paintCount(), painted + 1);
}

// A frame is drawn on the layer's render thread, and the window's event loop keeps answering
// while a slow one (a layer that takes 200 ms) is drawn.
TEST_F(MapViewTest, FramesAreDrawnOffTheGuiThreadWhichAnswersDuringASlowFrame)
{
    NBMapView &map = shown();
    ASSERT_FALSE(recorder.built.isEmpty());
    const std::shared_ptr<StubMapLayer> slow = recorder.built.first();
    std::atomic<QThread *> drawnOn{nullptr};
    std::atomic<bool> drawing{false};
    slow->duringDraw = [&] {
        drawnOn = QThread::currentThread();
        drawing = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(200)); // the slow frame
        drawing = false;
    };
    map.redraw();
    ASSERT_TRUE(waitUntil([&] { return drawing.load(); }));

    // Queued calls, each posting the next, for as long as the frame draws.
    QList<qint64> latencies;
    QElapsedTimer posted;
    std::function<void()> post = [&] {
        posted.start();
        QMetaObject::invokeMethod(
            &map,
            [&] {
                latencies.append(posted.elapsed());
                if (drawing)
                    post();
            },
            Qt::QueuedConnection);
    };
    post();
    ASSERT_TRUE(waitUntil([&] { return !drawing.load() && !latencies.isEmpty(); }));
    slow->duringDraw = nullptr;

    EXPECT_NE(drawnOn.load(), QThread::currentThread());
    EXPECT_EQ(drawnOn.load(), map.openglLayer()->renderThread());
    ASSERT_GE(latencies.size(), 5) << "the event loop waited for the frame";
    std::sort(latencies.begin(), latencies.end());
    EXPECT_LT(latencies.at(latencies.size() / 2), 20) << "median ms from posting to running";
}

// A layer the window drops while a frame draws it may be held by that frame alone; it is still
// let go on the GUI thread, where its timers and observers live.
TEST_F(MapViewTest, ALayerDroppedDuringAFrameGoesOnTheGuiThread)
{
    NBMapView &map = shown();
    ASSERT_TRUE(waitUntil([&] { return !map.isDrawing(); }));
    std::shared_ptr<StubMapLayer> layer;
    for (const auto &built : std::as_const(recorder.built))
        if (built->configuration.type != OVMapLayerType::Terrain && built->mapController())
            layer = built;
    ASSERT_TRUE(layer);
    const OVMapLayerType type = layer->configuration.type;
    recorder.built.removeAll(layer); // the controller's group holds it alone
    std::atomic<bool> drawing{false};
    std::atomic<bool> dropped{false};
    std::atomic<QThread *> destroyedOn{nullptr};
    layer->onDestroyed = [&] { destroyedOn = QThread::currentThread(); };
    layer->duringDraw = [&] {
        drawing = true;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!dropped && std::chrono::steady_clock::now() < deadline)
            std::this_thread::yield();
    };
    const std::weak_ptr<StubMapLayer> watched = layer;
    layer.reset();
    map.redraw();
    ASSERT_TRUE(waitUntil([&] { return drawing.load(); }));
    map.mapGenerator()->layerTypeSetEnabled(int64_t(type), false);
    dropped = true;
    ASSERT_TRUE(waitUntil([&] { return watched.expired(); }));
    EXPECT_EQ(destroyedOn.load(), QThread::currentThread());
}

TEST_F(MapViewTest, DraggingDownMovesTheCentreNorth)
{
    NBMapView &map = shown();
    map.setZoom(10.0); // 40 points a degree
    map.setCenter(QPointF(20, 10));
    QTest::mousePress(&map, Qt::LeftButton, {}, QPoint(400, 200));
    send(QEvent::MouseMove, QPointF(400, 280), Qt::NoButton, Qt::LeftButton);
    EXPECT_DOUBLE_EQ(map.center().y(), 12.0);
    EXPECT_DOUBLE_EQ(map.center().x(), 20.0);
    QTest::mouseRelease(&map, Qt::LeftButton, {}, QPoint(400, 280));
    EXPECT_FLOAT_EQ(OVUserDefaults::standard().doubleForKey(NBMapView::kCenterLatitudeKey), 12.0f)
        << "stored when the drag ends";
}

// Every stored change rewrites the settings file: a long drag and a run of wheel steps store
// the view a few times, and what is unsaved when the view goes is not lost.
TEST_F(MapViewTest, PanningRewritesTheSettingsRarelyAndTheViewGoingKeepsTheLastView)
{
    NBMapView &map = shown();
    map.setZoom(10.0);
    map.setCenter(QPointF(0, 0));
    int writes = 0;
    QObject::connect(&OVUserDefaults::standard(), &OVUserDefaults::valueChanged, &map, [&](const QString &key) {
        if (key == NBMapView::kCenterLongitudeKey)
            ++writes;
    });

    QTest::mousePress(&map, Qt::LeftButton, {}, QPoint(400, 200));
    QElapsedTimer dragging;
    dragging.start();
    int moves = 0;
    while (dragging.elapsed() < 2000) {
        send(QEvent::MouseMove, QPointF(400 - (++moves % 300), 200), Qt::NoButton, Qt::LeftButton);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    const QPointF dragged = map.center();
    QTest::mouseRelease(&map, Qt::LeftButton, {}, QPoint(400 - (moves % 300), 200));
    EXPECT_GT(moves, 20);
    EXPECT_LE(writes, 2) << moves << " moves";
    EXPECT_GE(writes, 1) << "the drag's end stores the view";
    EXPECT_FLOAT_EQ(OVUserDefaults::standard().doubleForKey(NBMapView::kCenterLongitudeKey), float(dragged.x()));

    // Wheel steps: at most one write a second, and none lost when the view goes at once.
    writes = 0;
    for (int step = 0; step < 30; ++step) {
        QWheelEvent wheel(QPointF(400, 200), map.mapToGlobal(QPointF(400, 200)), QPoint(), QPoint(0, 120),
                          Qt::NoButton, {}, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&map, &wheel);
    }
    const double zoomed = map.zoom();
    EXPECT_EQ(writes, 0) << "wheel steps wait for the next write";
    view.reset();
    EXPECT_EQ(writes, 1);
    OVUserDefaults::standard().synchronize();
    OVUserDefaults reread(OVUserDefaults::standard().filePath());
    EXPECT_FLOAT_EQ(reread.doubleForKey(NBMapView::kZoomKey), float(zoomed));
    EXPECT_FLOAT_EQ(reread.doubleForKey(NBMapView::kCenterLongitudeKey), float(dragged.x()));
}

TEST_F(MapViewTest, ADragAcrossTheDateLineIsStoredWrapped)
{
    NBMapView &map = shown();
    map.setZoom(10.0);
    map.setCenter(QPointF(170, 0));
    QTest::mousePress(&map, Qt::LeftButton, {}, QPoint(700, 200));
    send(QEvent::MouseMove, QPointF(100, 200), Qt::NoButton, Qt::LeftButton); // 15 degrees east
    QTest::mouseRelease(&map, Qt::LeftButton, {}, QPoint(100, 200));
    EXPECT_DOUBLE_EQ(map.center().x(), -175.0);
    EXPECT_FLOAT_EQ(OVUserDefaults::standard().doubleForKey(NBMapView::kCenterLongitudeKey), -175.0f);

    NBMapView restored(nullptr, environment());
    EXPECT_FLOAT_EQ(restored.center().x(), -175.0f);
}

TEST_F(MapViewTest, DoubleClicksZoomAboutThePointer)
{
    const struct
    {
        Qt::MouseButton button;
        Qt::KeyboardModifiers modifiers;
        double factor;
    } cases[] = {{Qt::LeftButton, {}, 0.5}, {Qt::LeftButton, Qt::ControlModifier, 2.0}, {Qt::RightButton, {}, 2.0}};
    NBMapView &map = shown();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.factor);
        map.setZoom(20.0);
        map.setCenter(QPointF(0, 0));
        const QPoint pointer(600, 150);
        const OVGeoPoint before = map.geoPointForViewPoint(QPointF(600, 250));
        QTest::mouseDClick(&map, c.button, c.modifiers, pointer);
        finish(map.zoomAnimation());
        EXPECT_DOUBLE_EQ(map.zoom(), 20.0 * c.factor);
        const OVGeoPoint after = map.geoPointForViewPoint(QPointF(600, 250));
        EXPECT_NEAR(after.latitude, before.latitude, 1e-9);
        EXPECT_NEAR(after.longitude, before.longitude, 1e-9);
    }
}

TEST_F(MapViewTest, AWheelNotchAndPinches)
{
    NBMapView &map = shown();
    map.setZoom(20.0);
    map.setCenter(QPointF(0, 0));
    QWheelEvent wheel(QPointF(400, 200), map.mapToGlobal(QPointF(400, 200)), QPoint(), QPoint(0, 120), Qt::NoButton,
                      {}, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&map, &wheel);
    EXPECT_DOUBLE_EQ(map.zoom(), 20.0 * 0.97);

    map.setZoom(20.0);
    const OVGeoPoint before = map.geoPointForViewPoint(QPointF(200, 300));
    pinch(1.0, widget(QPointF(200, 300)));
    EXPECT_DOUBLE_EQ(map.zoom(), 10.0);
    const OVGeoPoint after = map.geoPointForViewPoint(QPointF(200, 300));
    EXPECT_NEAR(after.latitude, before.latitude, 1e-9);
    EXPECT_NEAR(after.longitude, before.longitude, 1e-9);

    const QPointF center = map.center();
    for (double magnification : {-2.0, -1.0}) {
        pinch(magnification, QPointF(100, 100));
        EXPECT_EQ(map.zoom(), 10.0);
        EXPECT_EQ(map.center(), center);
    }
}

TEST_F(MapViewTest, AnInterruptedZoomStillEndsAtItsTarget)
{
    NBMapView &map = shown();
    map.setZoom(10.0);
    map.setCenter(QPointF(0, 0));
    map.zoomWithAnimation(20.0);
    ASSERT_TRUE(map.zoomAnimation().isAnimating());
    map.recenterWithAnimation(QPointF(30, 10));
    EXPECT_FALSE(map.zoomAnimation().isAnimating());
    finish(map.recenterAnimation());
    EXPECT_DOUBLE_EQ(map.zoom(), 20.0);
    EXPECT_EQ(map.center(), QPointF(30, 10));
    EXPECT_FLOAT_EQ(OVUserDefaults::standard().doubleForKey(NBMapView::kCenterLongitudeKey), 30.0f);
}

TEST_F(MapViewTest, TimeLabelsShowTheTimeOrADash)
{
    NBMapView &map = shown();
    map.radarTimeShownDidChange(QDateTime());
    EXPECT_EQ(map.radarTimeText(), QStringLiteral("\u2014"));
    map.satelliteTimeShownDidChange(QDateTime(QDate(2024, 3, 10), QTime(6, 30), Qt::UTC));
    EXPECT_FALSE(map.satelliteTimeText().isEmpty());
    EXPECT_NE(map.satelliteTimeText(), QStringLiteral("\u2014"));
}

TEST_F(MapViewTest, SettingTheCurrentLocation)
{
    store(QString(OVMapSettingKey::showText), true);
    view.reset();
    auto panel = std::make_unique<NBMapViewController>(nullptr, environment());
    view.reset(panel->mapView());
    view->resize(800, 400);
    view->show();
    ASSERT_TRUE(waitUntil([&] { return view->paintCount() > 0; }));
    auto place = std::make_shared<OVWeatherLocation>();
    place->setCity(QStringLiteral("Springfield"));
    place->setLatitude(39.8);
    place->setLongitude(-89.6);

    view->setZoom(10.0);
    panel->setCurrentLocation(place, false);
    EXPECT_EQ(view->center(), QPointF(-89.6, 39.8));
    EXPECT_FALSE(view->recenterAnimation().isAnimating());
    const auto text = recorder.ofType(OVMapLayerType::Text).at(0);
    EXPECT_EQ(text->frontText, QStringLiteral("Springfield"));
    EXPECT_DOUBLE_EQ(text->frontPoint.latitude, 39.8);

    place->setLongitude(-80.0);
    panel->setCurrentLocation(place, true);
    EXPECT_TRUE(view->recenterAnimation().isAnimating());
    finish(view->recenterAnimation());
    EXPECT_EQ(view->center(), QPointF(-80.0, 39.8));
}

// Labels ------------------------------------------------------------------------------------

class MapLabelTest : public MapViewTest
{
protected:
    void SetUp() override
    {
        MapViewTest::SetUp();
        const QString path = folder.filePath("location.db");
        {
            auto db = OVSQLite3DB::initWithDatabasePath(path);
            ASSERT_TRUE(db->doQuery("create table location (location_id integer, city text, latitude real, "
                                    "longitude real, population integer)"));
            ASSERT_TRUE(db->doQuery("create table icao (icao text, latitude real, longitude real)"));
            const struct
            {
                const char *city;
                int population;
            } rows[] = {{"Metropolis", 5000001}, {"Gotham", 1000001}, {"Riverton", 250001}, {"Ashford", 50001},
                        {"Hamlet", 50000}};
            int id = 1;
            for (const auto &row : rows)
                ASSERT_TRUE(db->doQuery("insert into location values (?, ?, ?, ?, ?)",
                                        {QString::number(id++), row.city, "40.5", "-75.25", QString::number(row.population)}));
        }
        database = OVLocationDB::initWithDatabasePath(path);
        ASSERT_TRUE(database->databaseReady());

        OVWeatherLocationList places;
        for (const char *city : {"Home", "Work"}) {
            auto place = std::make_shared<OVWeatherLocation>();
            place->setCity(QString::fromLatin1(city));
            place->setLatitude(10.0, 20.0);
            places.append(place);
        }
        OVWeatherController::sharedWeatherController().setWeatherLocations(places);
        store(QStringLiteral("showText"), true);
        store(QString(OVMapSettingKey::showText), true);
    }
};

TEST_F(MapLabelTest, PlacesFirstThenCitiesByPopulationBand)
{
    NBMapView &map = shown();
    ASSERT_TRUE(waitUntil([&] { return map.cityLabelDeliveries() > 0; }));
    const QList<OVMapLabelRecord> labels = map.cityLabels();
    QStringList texts;
    QList<double> sizes;
    QList<double> alphas;
    for (const OVMapLabelRecord &label : labels) {
        texts.append(label.text);
        sizes.append(label.fontSize);
        alphas.append(std::round(double(label.textColor.alphaF()) * 100.0) / 100.0);
        EXPECT_EQ(label.strokeColor.rgb(), QColor(Qt::black).rgb());
        EXPECT_NEAR(label.strokeColor.alphaF(), 0.9, 0.01);
    }
    EXPECT_EQ(texts, QStringList({"Home", "Work", "Metropolis", "Gotham", "Riverton", "Ashford"}));
    EXPECT_EQ(sizes, QList<double>({15, 15, 15, 14, 13, 11}));
    EXPECT_EQ(alphas, QList<double>({1.0, 1.0, 0.85, 0.85, 0.85, 0.85}));
    EXPECT_DOUBLE_EQ(labels[2].point.latitude, 40.5);
    EXPECT_DOUBLE_EQ(labels[0].point.longitude, 20.0);
    EXPECT_EQ(recorder.ofType(OVMapLayerType::Text).at(0)->labels.size(), labels.size());
}

TEST_F(MapLabelTest, WithoutCitiesOnlyThePlaces)
{
    store(QStringLiteral("showCities"), QStringLiteral("NO"));
    NBMapView &map = shown();
    ASSERT_TRUE(waitUntil([&] { return map.cityLabelDeliveries() > 0; }));
    QStringList texts;
    for (const OVMapLabelRecord &label : map.cityLabels())
        texts.append(label.text);
    EXPECT_EQ(texts, QStringList({"Home", "Work"}));
}

TEST_F(MapLabelTest, AnOlderSlowerLoadDoesNotReplaceTheLabelsOfANewerOne)
{
    // The first load stalls in the database until the test lets it go.
    auto gate = std::make_shared<std::promise<void>>();
    const std::shared_future<void> opened = gate->get_future().share();
    auto calls = std::make_shared<std::atomic<int>>(0);
    NBMapView::Environment collaborators = environment();
    collaborators.locationDatabase = [db = database, opened, calls] {
        if (calls->fetch_add(1) == 0)
            opened.wait_for(std::chrono::minutes(2));
        return db;
    };
    NBMapView &map = shown(collaborators);
    ASSERT_TRUE(waitUntil([&] { return calls->load() >= 1; }, 30000));

    const QStringList expected{"Elsewhere", "Metropolis", "Gotham", "Riverton", "Ashford"};
    const auto texts = [](const QList<OVMapLabelRecord> &labels) {
        QStringList found;
        for (const OVMapLabelRecord &label : labels)
            found.append(label.text);
        return found;
    };
    auto place = std::make_shared<OVWeatherLocation>();
    place->setCity(QStringLiteral("Elsewhere"));
    OVWeatherController::sharedWeatherController().setWeatherLocations({place});
    map.loadCities();
    ASSERT_TRUE(waitUntil([&] { return texts(map.cityLabels()) == expected; }, 30000));
    const int deliveries = map.cityLabelDeliveries();

    // The stalled load finishes and its reply reaches the main thread, after the newer one's.
    gate->set_value();
    ASSERT_TRUE(QThreadPool::globalInstance()->waitForDone(60000));
    bool replied = false;
    OVDispatch::mainAsync([&replied] { replied = true; });
    ASSERT_TRUE(waitUntil([&] { return replied; }, 30000));

    EXPECT_EQ(map.cityLabelDeliveries(), deliveries);
    EXPECT_EQ(texts(map.cityLabels()), expected);
    EXPECT_EQ(texts(recorder.ofType(OVMapLayerType::Text).at(0)->labels), expected);
}

} // namespace
