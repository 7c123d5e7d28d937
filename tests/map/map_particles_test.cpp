// The wind-particle layer without drawing: lattice, fades, reseeding, colour ramps, advection,
// bad grids, and how grids are asked for and kept.
#include "map/layers/OVMapParticleModeLayer.h"

#include "core/OVGrid.h"
#include "core/OVReloadNotifications.h"
#include "core/OVMapParticleDataSource.h"
#include "platform/OVDispatch.h"

#include "support/FakeClock.h"
#include "support/FakeMapView.h"
#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>

#include <cmath>
#include <limits>

namespace {

using GridPtr = OVMapParticleDataSource::GridPtr;

constexpr double kL = 40075.00411920787;
constexpr double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

/// A source that records what it is asked and answers only when the test says so.
class RecordingSource final : public OVMapParticleDataSource
{
public:
    void fetchCurrentGridsWithCompletion(Completion completion) override
    {
        calls.append(QStringLiteral("fetch"));
        pending.append(std::move(completion));
    }
    void resetCache() override { calls.append(QStringLiteral("reset")); }
    /// Answers the oldest request.
    void answer(GridPtr u, GridPtr v, GridPtr t)
    {
        Completion completion = pending.takeFirst();
        completion(std::move(u), std::move(v), std::move(t));
    }

    QStringList calls;
    QList<Completion> pending;
};

GridPtr uniformGrid(double value, uint64_t columns = 2, uint64_t rows = 2,
                    const OVGeoRect &rect = OVGeoRectMake(-90.0, -180.0, 90.0, 180.0))
{
    const std::vector<double> values(size_t(columns * rows), value);
    return OVGrid::make(values, rect, columns, rows);
}

class ParticleLayer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        controller.mapView = &view;
        layer = std::make_shared<OVMapParticleModeLayer>(&controller, nullptr, source, clock);
        layer->invalidateTimers(); // the test steps by hand
    }

    void setWind(double u, double v, double t = 273.15) { layer->setGrids(uniformGrid(u), uniformGrid(v), uniformGrid(t)); }

    /// Particle `column`, `row` of `set`.
    OVGeoVertex particle(int set, uint64_t row, uint64_t column) const
    {
        const uint64_t x = layer->numXParticles();
        const uint64_t y = layer->numYParticles();
        return layer->particles().at(size_t(uint64_t(set) * x * y + row * x + column));
    }

    FakeMapView view;
    FakeMapController controller;
    std::shared_ptr<RecordingSource> source = std::make_shared<RecordingSource>();
    FakeClock clock;
    std::shared_ptr<OVMapParticleModeLayer> layer;
};

TEST_F(ParticleLayer, LatticeSizesFollowTheColumnCount)
{
    struct Case
    {
        int64_t columns;
        uint64_t rows;
        size_t particles;
    };
    const Case cases[] = {{100, 44, 13200}, {50, 22, 3300}, {122, 54, 19764}, {400, 177, 212400}, {0, 0, 0}, {-5, 0, 0}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.columns);
        layer->resizeParticleArrayUsingNumXParticles(c.columns);
        EXPECT_EQ(layer->numYParticles(), c.rows);
        EXPECT_EQ(layer->particles().size(), c.particles);
    }
    layer->resizeParticleArrayUsingNumXParticles(50);
    const OVGeoVertex last = particle(2, 21, 49);
    EXPECT_FLOAT_EQ(last.latitude, 21.0f / 22.0f * 160.0f - 80.0f);
    EXPECT_FLOAT_EQ(last.longitude, 49.0f / 50.0f * 360.0f - 180.0f);
    EXPECT_FLOAT_EQ(last.x0, last.longitude); // plain degrees without a projection
    EXPECT_FLOAT_EQ(last.y0, last.latitude);
    EXPECT_EQ(last.alpha, 0.0f);
    EXPECT_EQ(last.red, 1.0f);
    const OVGeoVertex first = particle(0, 0, 0);
    EXPECT_EQ(first.latitude, -80.0f);
    EXPECT_EQ(first.longitude, -180.0f);
}

TEST(ParticleRules, AlphaByAge)
{
    const std::pair<int32_t, float> cases[] = {{-50, 0.0f}, {-21, 0.0f}, {-20, 0.0f}, {-10, 0.5f}, {0, 1.0f},
                                               {80, 1.0f},  {90, 0.5f},  {100, 0.0f}};
    for (const auto &[age, alpha] : cases)
        EXPECT_NEAR(OVMapParticleModeLayer::alphaForAge(age), alpha, 1e-6) << age;
}

TEST_F(ParticleLayer, SetsAreReseededWhenTheirAgePasses100)
{
    layer->resizeParticleArrayUsingNumXParticles(36); // 16 rows: latitude 10 r - 80
    setWind(10.0, 0.0);
    const auto moved = [&](int set) { return particle(set, 8, 18).longitude != 0.0f; };
    for (int step = 1; step <= 151; ++step) {
        layer->moveParticlesByTimeInterval(2.0);
        if (step == 50) {
            EXPECT_EQ(layer->particleSetAge(2), 100);
            EXPECT_TRUE(moved(2));
        }
        if (step == 51) {
            EXPECT_EQ(layer->particleSetAge(2), -50);
            EXPECT_FALSE(moved(2)) << "back on its lattice point";
            EXPECT_EQ(layer->particleSetAlpha(2), 0.0f);
            EXPECT_TRUE(moved(1));
            EXPECT_EQ(layer->particleSetAge(1), 51);
        }
        if (step == 101) {
            EXPECT_EQ(layer->particleSetAge(1), -50);
        }
        if (step == 150) {
            EXPECT_EQ(layer->particleSetAge(0), 100);
        }
    }
    EXPECT_EQ(layer->particleSetAge(0), -50);
    EXPECT_EQ(layer->particleSetAge(1), 0);
    EXPECT_EQ(layer->particleSetAge(2), 50);
}

TEST(ParticleRules, RampEntriesFallOnTheKeyColours)
{
    const OVMapParticleModeLayer::Ramp ramp = OVMapParticleModeLayer::normalRamp();
    const OVMapParticleModeLayer::Ramp dark = OVMapParticleModeLayer::darkRamp();
    struct Case
    {
        int entry;
        double red, green, blue;
    };
    const Case cases[] = {{0, 0.937254, 0.878431, 1.0}, {21, 0.0, 0.0, 1.0}, {42, 0.0, 1.0, 0.0}, {63, 1.0, 0.5, 0.0}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.entry);
        const auto i = size_t(c.entry);
        EXPECT_NEAR(ramp.red[i], c.red, 1e-4);
        EXPECT_NEAR(ramp.green[i], c.green, 1e-4);
        EXPECT_NEAR(ramp.blue[i], c.blue, 1e-4);
        EXPECT_NEAR(dark.red[i], 0.8 * c.red, 1e-4);
        EXPECT_NEAR(dark.green[i], 0.8 * c.green, 1e-4);
        EXPECT_NEAR(dark.blue[i], 0.8 * c.blue, 1e-4);
    }
    // The last entry lies at 83/84, short of the last key (0.580392, 0.180392, 0).
    EXPECT_GT(ramp.red[83], 0.580392 + 0.01);
    EXPECT_LT(ramp.green[83], 0.180392);
}

TEST(ParticleRules, ColourEntryOfATemperature)
{
    const std::pair<double, int> cases[] = {
        {233.15, 0}, {200.0, 0},  {233.9, 0},  {273.15, 40}, {274.0, 40}, {316.15, 83},
        {400.0, 83}, {kNaN, 0},   {kInf, 83},  {-kInf, 0},   {-1000.0, 0}, {1e300, 83},
    };
    for (const auto &[kelvin, entry] : cases)
        EXPECT_EQ(OVMapParticleModeLayer::colorIndexForTemperature(kelvin), entry) << kelvin;
}

TEST(ParticleRules, InverseCircumferenceByWholeDegree)
{
    const std::array<float, 181> &table = OVMapParticleModeLayer::invCircumferenceForLatitudes();
    EXPECT_EQ(table[0], 1.0f);
    EXPECT_EQ(table[180], 1.0f);
    EXPECT_FLOAT_EQ(table[90], float(1.0 / kL));
    EXPECT_FLOAT_EQ(table[150], float(2.0 / kL)); // latitude 60
    EXPECT_FLOAT_EQ(table[30], table[150]);
    EXPECT_FLOAT_EQ(table[1], float(1.0 / (std::cos(89.0 * M_PI / 180.0) * kL)));
}

TEST(ParticleRules, LongitudesWrapAsRepeatedTurnsWould)
{
    const std::pair<float, float> cases[] = {{181.0f, -179.0f}, {-181.0f, 179.0f}, {180.0f, 180.0f},
                                             {-180.0f, -180.0f}, {540.0f, 180.0f}, {-540.0f, -180.0f},
                                             {541.0f, -179.0f}, {12.5f, 12.5f},    {-1079.5f, 0.5f}};
    for (const auto &[in, out] : cases)
        EXPECT_FLOAT_EQ(OVMapParticleModeLayer::wrappedLongitude(in), out) << in;
    const float far = OVMapParticleModeLayer::wrappedLongitude(3.0e38f); // at once, not turn by turn
    EXPECT_TRUE(far >= -180.0f && far <= 180.0f);
    EXPECT_EQ(OVMapParticleModeLayer::wrappedLongitude(std::numeric_limits<float>::infinity()), 0.0f);
    EXPECT_EQ(OVMapParticleModeLayer::wrappedLongitude(std::numeric_limits<float>::quiet_NaN()), 0.0f);
}

TEST(ParticleRules, BackgroundSlowsToAStopAndRecovers)
{
    int64_t counter = 0;
    for (int step = 1; step <= 22; ++step) {
        counter = OVMapParticleModeLayer::nextBackgroundCounter(counter, true, false);
        EXPECT_NEAR(OVMapParticleModeLayer::stepFactorForCounter(counter), 2.0 - 0.1 * std::min(step, 20), 1e-9);
    }
    EXPECT_EQ(counter, 20);
    EXPECT_EQ(OVMapParticleModeLayer::nextBackgroundCounter(counter, false, false), 20) << "setting off: kept";
    for (int step = 1; step <= 21; ++step)
        counter = OVMapParticleModeLayer::nextBackgroundCounter(counter, true, true);
    EXPECT_EQ(counter, 0);
    EXPECT_EQ(OVMapParticleModeLayer::stepFactorForCounter(counter), 2.0);
}

TEST(ParticleRules, PointSizes)
{
    struct Case
    {
        uint64_t columns;
        double resolution;
        double size;
    };
    const Case cases[] = {{100, 1.0, 3.0}, {199, 1.0, 3.0}, {200, 1.0, 2.0}, {250, 1.0, 2.0},   {300, 1.0, 1.0},
                          {400, 0.0, 1.0}, {100, 50.0, 5.0}, {100, 200.0, 10.0}, {400, kNaN, 1.0}};
    for (const Case &c : cases)
        EXPECT_DOUBLE_EQ(OVMapParticleModeLayer::pointSizeForColumns(c.columns, c.resolution), c.size)
            << c.columns << " " << c.resolution;
}

TEST_F(ParticleLayer, WindMovesParticlesByTheHandComputedStep)
{
    layer->resizeParticleArrayUsingNumXParticles(36); // latitude 10 r - 80, longitude 10 c - 180
    setWind(10.0, 10.0, 300.0);
    layer->moveParticlesByTimeInterval(2.0);
    const double dLat = 10.0 * 2.0 * 360.0 / kL; // 0.179663
    EXPECT_NEAR(dLat, 0.179663, 1e-6);
    const OVGeoVertex equator = particle(1, 8, 18); // set 1 is visible after one step
    EXPECT_NEAR(equator.latitude, dLat, 1e-5);
    EXPECT_NEAR(equator.longitude, dLat, 1e-5);
    EXPECT_FLOAT_EQ(equator.x0, equator.longitude);
    EXPECT_FLOAT_EQ(equator.y0, equator.latitude);
    EXPECT_FLOAT_EQ(equator.x1, 0.0f) << "the old head is the first trail point";
    EXPECT_EQ(equator.alpha, 1.0f);
    const auto entry = size_t(OVMapParticleModeLayer::colorIndexForTemperature(300.0));
    EXPECT_FLOAT_EQ(equator.red, float(OVMapParticleModeLayer::normalRamp().red[entry]));
    EXPECT_FLOAT_EQ(equator.green, float(OVMapParticleModeLayer::normalRamp().green[entry]));

    const OVGeoVertex sixty = particle(1, 14, 18);
    EXPECT_NEAR(sixty.latitude, 60.0 + dLat, 1e-4);
    EXPECT_NEAR(sixty.longitude, 2.0 * dLat, 1e-5);

    const OVGeoVertex hidden = particle(0, 8, 18); // set 0 is still at age -49
    EXPECT_EQ(hidden.latitude, 0.0f);
    EXPECT_EQ(hidden.alpha, 0.0f);

    layer->setUseDarkColors(true);
    layer->moveParticlesByTimeInterval(2.0);
    EXPECT_FLOAT_EQ(particle(1, 8, 18).red, float(OVMapParticleModeLayer::darkRamp().red[entry]));
}

TEST_F(ParticleLayer, AParticlePushedPastThePoleStopsThere)
{
    layer->resizeParticleArrayUsingNumXParticles(36);
    setWind(0.0, 1.0e9);
    layer->moveParticlesByTimeInterval(2.0);
    const OVGeoVertex p = particle(1, 15, 3);
    EXPECT_EQ(p.latitude, 90.0f);
    EXPECT_FLOAT_EQ(p.longitude, -150.0f);
    setWind(1.0e6, 0.0);
    layer->moveParticlesByTimeInterval(2.0);
    EXPECT_GE(particle(1, 15, 3).longitude, -180.0f);
    EXPECT_LE(particle(1, 15, 3).longitude, 180.0f);
}

TEST_F(ParticleLayer, BrokenWindIsCalmAndNeverHangs)
{
    struct Case
    {
        const char *name;
        double u;
        double v;
    };
    const Case cases[] = {{"u +inf", kInf, 5.0},   {"u -inf", -kInf, 5.0}, {"u NaN", kNaN, 5.0},
                          {"u missing", -1000.0, 5.0}, {"v +inf", 5.0, kInf}, {"v NaN", 5.0, kNaN},
                          {"v missing", 5.0, -1000.0}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        layer->resizeParticleArrayUsingNumXParticles(36);
        const std::vector<OVGeoVertex> before = layer->particles();
        setWind(c.u, c.v, kNaN);
        for (int step = 0; step < 3; ++step)
            layer->moveParticlesByTimeInterval(2.0);
        const std::vector<OVGeoVertex> after = layer->particles();
        ASSERT_EQ(after.size(), before.size());
        for (size_t i = 0; i < after.size(); ++i) {
            ASSERT_EQ(after[i].latitude, before[i].latitude) << i;
            ASSERT_EQ(after[i].longitude, before[i].longitude) << i;
            ASSERT_TRUE(std::isfinite(after[i].x0) && std::isfinite(after[i].y0)) << i;
        }
        // A NaN temperature takes the coldest entry.
        EXPECT_FLOAT_EQ(particle(1, 8, 18).red, float(OVMapParticleModeLayer::normalRamp().red[0]));
    }
    // A grid that mixes good and broken cells moves only the particles on good cells.
    layer->resizeParticleArrayUsingNumXParticles(36);
    // 4 x 2 cells: west of -60 infinite, to +60 NaN, then 10 m/s.
    const std::vector<double> east{kInf, kNaN, 10.0, 10.0, kInf, kNaN, 10.0, 10.0};
    layer->setGrids(OVGrid::make(east, OVGeoRectMake(-90.0, -180.0, 90.0, 180.0), 4, 2), uniformGrid(0.0, 4, 2),
                    uniformGrid(273.15, 4, 2));
    layer->moveParticlesByTimeInterval(2.0);
    EXPECT_EQ(particle(1, 8, 2).longitude, -160.0f);
    EXPECT_EQ(particle(1, 8, 18).longitude, 0.0f);
    EXPECT_GT(particle(1, 8, 30).longitude, 120.0f);
}

TEST_F(ParticleLayer, GridsOfDifferentShapesMoveNothing)
{
    layer->resizeParticleArrayUsingNumXParticles(36);
    const std::vector<OVGeoVertex> before = layer->particles();
    layer->setGrids(uniformGrid(10.0, 4, 4), uniformGrid(10.0, 2, 2), uniformGrid(273.15, 1, 1));
    layer->moveParticlesByTimeInterval(2.0);
    layer->setGrids(uniformGrid(10.0, 4, 4), uniformGrid(10.0, 4, 4),
                    uniformGrid(273.15, 4, 4, OVGeoRectMake(-80.0, -180.0, 80.0, 180.0)));
    layer->moveParticlesByTimeInterval(2.0);
    const std::vector<OVGeoVertex> after = layer->particles();
    for (size_t i = 0; i < after.size(); ++i)
        ASSERT_EQ(after[i].longitude, before[i].longitude) << i;
    EXPECT_EQ(layer->particleSetAge(1), 0) << "a refused step does not age the sets";
}

TEST_F(ParticleLayer, ResizedToNothingMovesNothing)
{
    layer->resizeParticleArrayUsingNumXParticles(0);
    setWind(10.0, 10.0);
    layer->moveParticlesByTimeInterval(2.0);
    layer->setElevation(51.0);
    EXPECT_TRUE(layer->particles().empty());
    layer->resizeParticleArrayUsingNumXParticles(36);
    EXPECT_EQ(particle(2, 3, 3).z0, 51.0f);
    layer->setElevation(12.0);
    EXPECT_EQ(particle(2, 3, 3).z0, 12.0f);
}

TEST_F(ParticleLayer, AnswersKeepOrReplaceTheGrids)
{
    layer->update();
    ASSERT_EQ(source->calls, QStringList{QStringLiteral("fetch")});
    EXPECT_EQ(layer->lastUpdated(), clock.now());
    const GridPtr u = uniformGrid(1.0);
    source->answer(u, uniformGrid(2.0), uniformGrid(3.0));
    EXPECT_EQ(layer->uGrid(), u);

    LogCapture log;
    layer->update();
    source->answer(uniformGrid(5.0), nullptr, uniformGrid(6.0));
    EXPECT_TRUE(log.contains(
        QStringLiteral("[OVMapParticleModeLayer updateGridsUsingSourceDate:] GribFilter fetch returned nil grids.")));
    EXPECT_EQ(layer->uGrid(), u) << "the old grids stay";
    EXPECT_NE(layer->vGrid(), nullptr);

    layer->update();
    layer.reset();
    source->answer(uniformGrid(5.0), uniformGrid(5.0), uniformGrid(5.0)); // dropped, no crash
    EXPECT_EQ(source->pending.size(), 0);
}

TEST_F(ParticleLayer, ReloadNotificationsAskForGrids)
{
    OVNotificationCenter &center = OVNotificationCenter::defaultCenter();
    center.post(OVNotifyForceReload);
    EXPECT_EQ(source->calls, (QStringList{QStringLiteral("reset"), QStringLiteral("fetch")}));

    source->calls.clear();
    center.post(OVNotifyLoadDataIfNeeded);
    EXPECT_EQ(source->calls, QStringList{QStringLiteral("fetch")}) << "no grids yet";
    source->answer(nullptr, nullptr, nullptr);
    source->answer(uniformGrid(1.0), uniformGrid(1.0), uniformGrid(1.0));

    source->calls.clear();
    clock.advance(3600);
    center.post(OVNotifyLoadDataIfNeeded);
    EXPECT_TRUE(source->calls.isEmpty()) << "an hour old is not yet stale";
    clock.advance(1);
    center.post(OVNotifyLoadDataIfNeeded);
    EXPECT_EQ(source->calls, QStringList{QStringLiteral("fetch")});
    EXPECT_EQ(layer->lastUpdated(), clock.now());
}

TEST_F(ParticleLayer, TheTimerStepWaitsForGridsThenMovesAndAsksForAFrame)
{
    layer->resizeParticleArrayUsingNumXParticles(36);
    layer->moveParticlesUsingTimer();
    EXPECT_EQ(layer->particleSetAge(1), 0) << "no grids: no step";
    EXPECT_EQ(view.redraws.load(), 0);
    setWind(10.0, 0.0);
    layer->moveParticlesUsingTimer();
    EXPECT_EQ(layer->particleSetAge(1), 1);
    EXPECT_GT(view.redraws.load(), 0);
    EXPECT_NEAR(particle(1, 8, 18).longitude, 10.0 * 2.0 * 360.0 / kL, 1e-5) << "full speed in front";
}

TEST(ParticleTimer, RunsOnTheMainThreadUntilInvalidated)
{
    FakeMapView view;
    FakeMapController controller;
    controller.mapView = &view;
    auto source = std::make_shared<RecordingSource>();
    auto layer = std::make_shared<OVMapParticleModeLayer>(&controller, nullptr, source);
    EXPECT_TRUE(layer->timerActive());
    layer->setGrids(uniformGrid(0.0), uniformGrid(0.0), uniformGrid(273.15));
    EXPECT_TRUE(waitUntil([&] { return layer->particleSetAge(1) >= 3; }));
    layer->invalidateTimers();
    EXPECT_FALSE(layer->timerActive());
    const int32_t age = layer->particleSetAge(1);
    QCoreApplication::processEvents();
    QThread::msleep(100);
    QCoreApplication::processEvents();
    EXPECT_EQ(layer->particleSetAge(1), age);
}

TEST(ParticleDataSource, TheBaseAnswersThreeNullGridsLaterOnTheMainThread)
{
    OVMapParticleDataSource base;
    int calls = 0;
    bool allNull = false;
    bool onMain = false;
    base.fetchCurrentGridsWithCompletion([&](GridPtr u, GridPtr v, GridPtr t) {
        ++calls;
        allNull = !u && !v && !t;
        onMain = OVDispatch::isMainThread();
    });
    EXPECT_EQ(calls, 0) << "asynchronous";
    ASSERT_TRUE(waitUntil([&] { return calls > 0; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(allNull);
    EXPECT_TRUE(onMain);
}

TEST(ParticleDataSource, TheSharedSourceIsMadeOnceByTheRegisteredFactory)
{
    int made = 0;
    OVMapParticleDataSource::setFactory([&made]() -> std::shared_ptr<OVMapParticleDataSource> {
        ++made;
        return std::make_shared<RecordingSource>();
    });
    const std::shared_ptr<OVMapParticleDataSource> shared = OVMapParticleDataSource::sharedDataSource();
    EXPECT_NE(dynamic_cast<RecordingSource *>(shared.get()), nullptr);
    OVMapParticleDataSource::setFactory(nullptr); // too late to matter
    EXPECT_EQ(OVMapParticleDataSource::sharedDataSource(), shared);
    EXPECT_EQ(made, 1);

    // A layer made without a source uses the shared one.
    FakeMapController controller;
    auto layer = std::make_shared<OVMapParticleModeLayer>(&controller, nullptr);
    layer->update();
    EXPECT_EQ(static_cast<RecordingSource *>(shared.get())->calls, QStringList{QStringLiteral("fetch")});
}

} // namespace
