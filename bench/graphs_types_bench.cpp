// bench-libraries: nimbrel_graphs
// The graph panels' costs: each of the eleven types over a 10-day hourly series drawn into a
// 600 x 155 image, cold (data update, scale and a fresh rendering) and kept (the kept rendering
// redrawn); and the cylinder at 1200 x 300 and device pixel ratio 2 in its parts (stroking the
// faces, the two warps, the composition) against a flat wind-direction draw of the same series.
#include "core/NBPrefController.h"
#include "graphs/NBMultiGraphPart.h"
#include "graphs/OVCylindricalGraphView.h"
#include "graphs/OVGraphView.h"
#include "weather/OVWeatherConditions.h"
#include "weather/OVWeatherLocation.h"
#include "weather/OVWeatherLocationSources.h"

#include <QApplication>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QTimeZone>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>

namespace {

const QDateTime kNow(QDate(2024, 1, 6), QTime(0, 0), QTimeZone::utc());

class FixedClock final : public OVClock
{
public:
    QDateTime now() const override { return kNow; }
};

// Five days of hourly observations before now and five of forecasts after it.
class BenchSources final : public OVWeatherLocationSources
{
public:
    BenchSources()
    {
        for (int hour = -120; hour <= 0; ++hour) {
            OVWeatherConditions c;
            c.setDate(kNow.addSecs(hour * 3600));
            c.setTemperatureC(8 + 7 * std::sin(hour * 0.26));
            c.setDewpointC(-2 + 2 * std::sin(hour * 0.1));
            c.setWindSpeedKnots(8 + 5 * std::sin(hour * 0.3));
            c.setWindDirection(std::fmod(720 + hour * 7.0, 360));
            c.setPressureMB(1012 + 6 * std::sin(hour * 0.12));
            c.setH1PrecipitationInches(hour % 5 == 0 ? 0.02 : 0.0);
            c.setSkyCover(QStringLiteral("SCT050"));
            history.append(c);
        }
        const char *keys[] = {"hourlyt",  "dewpoint",   "windSpeed",   "gustSpeed",  "windDirection", "humidity",
                              "cloudCover", "popFromIcon", "waveHeight", "liquidPrecip", "snowPrecip"};
        for (int hour = 1; hour <= 120; ++hour) {
            const QDateTime date = kNow.addSecs(hour * 3600);
            for (const char *key : keys) {
                const double value = 30 + 20 * std::sin(hour * 0.2);
                series[QLatin1String(key)].append({{QLatin1String(key), value},
                                                   {QStringLiteral("startDate"), date},
                                                   {QStringLiteral("endDate"), date.addSecs(3600)}});
            }
        }
    }
    const OVClock &clock() const override { return mClock; }
    QList<QVariantMap> ndfdSeries(const OVWeatherLocation &, const QString &key, const QDateTime &,
                                  const QDateTime &) override
    {
        return series.value(key);
    }
    QList<QVariantMap> ndfdSteps(const OVWeatherLocation &) override { return {}; }
    QList<QVariantMap> serviceHourly(const OVWeatherLocation &) override { return {}; }
    std::optional<OVWeatherConditions> latestConditions(const QString &) override { return std::nullopt; }
    QList<OVWeatherConditions> observations(const QString &, const QDateTime &, const QDateTime &) override
    {
        return history;
    }
    QList<OVWeatherConditions> condensedMax(const QString &, const QDateTime &, const QDateTime &,
                                            const QTimeZone &) override
    {
        return {};
    }
    QList<OVWeatherConditions> condensedMin(const QString &, const QDateTime &, const QDateTime &,
                                            const QTimeZone &) override
    {
        return {};
    }

    QList<OVWeatherConditions> history;
    QHash<QString, QList<QVariantMap>> series;

private:
    FixedClock mClock;
};

class BenchContainer final : public NBMultiGraphPartDelegate
{
public:
    BenchContainer()
    {
        location = std::make_shared<OVWeatherLocation>(std::make_shared<BenchSources>());
        location->setIcao(QStringLiteral("KDEN"));
        location->setLocationTimeZone(QTimeZone::utc());
    }
    std::shared_ptr<OVWeatherLocation> currentLocation() const override { return location; }
    int graphHeight() const override { return 155; }
    QDateTime startDate() const override { return kNow.addDays(-5); }
    QDateTime endDate() const override { return kNow.addDays(5); }
    double verticalOffset() const override { return 0; }
    std::shared_ptr<OVWeatherLocation> location;
};

void ensureApplication()
{
    static QApplication *application = [] {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "graphs_types_bench";
        static char *argv[] = {name, nullptr};
        auto *app = new QApplication(argc, argv);
        NBPrefController::initSettings();
        return app;
    }();
    (void)application;
}

void BM_PanelCold(benchmark::State &state)
{
    ensureApplication();
    BenchContainer container;
    NBMultiGraphPart part;
    part.resize(600, 155);
    part.setDelegate(&container);
    part.setGraphType(int(state.range(0)));
    QImage image(600, 155, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        part.updateGraphData();
        part.render(&image);
    }
}
BENCHMARK(BM_PanelCold)->DenseRange(0, 10)->Unit(benchmark::kMillisecond);

void BM_PanelKept(benchmark::State &state)
{
    ensureApplication();
    BenchContainer container;
    NBMultiGraphPart part;
    part.resize(600, 155);
    part.setDelegate(&container);
    part.setGraphType(int(state.range(0)));
    part.updateGraphData();
    QImage image(600, 155, QImage::Format_ARGB32_Premultiplied);
    part.render(&image);
    for (auto _ : state)
        part.render(&image);
}
BENCHMARK(BM_PanelKept)->DenseRange(0, 10)->Unit(benchmark::kMillisecond);

// The cylinder at 1200 x 300 with ten days of hourly directions.
// Ten days of hourly wind directions turning 7° an hour, stroked and smoothed in a 1200 × 300
// view: the same graph on the cylinder and flat, so the two costs compare.
void setUpDirectionGraph(OVGraphView &view, OVGraphRange yRange)
{
    view.resize(1200, 300);
    view.setGraphXMode(1);
    view.setAutoScale(false);
    view.setSmoothed(true);
    view.setStroke(true);
    view.setStrokeWidth(3);
    view.setMinDate(kNow.addDays(-5), kNow.addDays(5));
    std::vector<OVGraphDataPoint> points;
    for (int hour = -120; hour <= 120; ++hour)
        points.push_back(
            OVGraphDataPoint::dataPointWithX(0, std::fmod(720 + hour * 7.0, 360), kNow.addSecs(hour * 3600)));
    view.setDataPoints(points);
    view.setYRange(yRange);
}

struct CylinderScene
{
    OVCylindricalGraphView view;
    CylinderScene() { setUpDirectionGraph(view, OVGraphRangeMake(-180, 180)); }
};

const OVGraphRange kWholeWidth{0, 1201};

void BM_CylinderStroking(benchmark::State &state)
{
    ensureApplication();
    CylinderScene scene;
    for (auto _ : state)
        benchmark::DoNotOptimize(scene.view.strokeFaces(kWholeWidth, 2.0));
}
BENCHMARK(BM_CylinderStroking)->Unit(benchmark::kMillisecond);

void BM_CylinderWarps(benchmark::State &state)
{
    ensureApplication();
    CylinderScene scene;
    const auto faces = scene.view.strokeFaces(kWholeWidth, 2.0);
    for (auto _ : state)
        benchmark::DoNotOptimize(scene.view.warpFaces(faces, 2.0));
}
BENCHMARK(BM_CylinderWarps)->Unit(benchmark::kMillisecond);

void BM_CylinderComposition(benchmark::State &state)
{
    ensureApplication();
    CylinderScene scene;
    const auto warped = scene.view.warpFaces(scene.view.strokeFaces(kWholeWidth, 2.0), 2.0);
    for (auto _ : state)
        benchmark::DoNotOptimize(scene.view.compose(warped, 2.0));
}
BENCHMARK(BM_CylinderComposition)->Unit(benchmark::kMillisecond);

void BM_FlatDirectionDraw(benchmark::State &state)
{
    ensureApplication();
    OVGraphView view;
    setUpDirectionGraph(view, OVGraphRangeMake(0, 360));
    QImage image(2400, 600, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2.0);
    for (auto _ : state) {
        image.fill(Qt::transparent);
        QPainter painter(&image);
        view.paint(painter);
    }
}
BENCHMARK(BM_FlatDirectionDraw)->Unit(benchmark::kMillisecond);

} // namespace
