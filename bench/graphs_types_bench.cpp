// bench-libraries: nimbrel_graphs
// The graph panels' costs: each of the eleven types over a 10-day hourly series drawn into a
// 600 x 155 image, cold (data update, scale and a fresh rendering) and kept (the kept rendering
// redrawn); and the cylinder at 1200 x 300 and device pixel ratio 2 in its parts (stroking the
// faces, the two warps, the composition) against a flat wind-direction draw of the same series.
#include "GraphBenchSources.h"
#include "graphs/OVCylindricalGraphView.h"
#include "graphs/OVGraphView.h"

#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>

namespace {

using namespace graphbench;

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
    view.setGraphXMode(OVGraphXMode::Dates);
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
