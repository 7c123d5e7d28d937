// bench-libraries: nimbrel_graphs
// The graph view's costs: a full repaint of a 10-day hourly series (positions dirty) against
// drawing the kept rendering, the date axis for 1, 10 and 366 days, and `yForX` over a year of
// hourly points with its sampling against a scan of every point.
#include "graphs/OVGraphLegendView.h"
#include "graphs/OVGraphView.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTimeZone>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

const QDateTime kStart(QDate(2024, 1, 1), QTime(0, 0), QTimeZone::utc());

// Widgets need an application; the benchmarks run without a display.
void ensureApplication()
{
    static QApplication *application = [] {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "graphs_view_bench";
        static char *argv[] = {name, nullptr};
        return new QApplication(argc, argv);
    }();
    (void)application;
}

std::vector<OVGraphDataPoint> hourly(int count)
{
    std::vector<OVGraphDataPoint> points;
    points.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        const double t = 10.0 + 8.0 * std::sin(i * 0.26) + 3.0 * std::sin(i * 0.031);
        OVGraphDataPoint p = OVGraphDataPoint::dataPointWithXYMin(0, t - 4, t + 4, kStart.addSecs(qint64(i) * 3600));
        p.minDate = p.date;
        p.maxDate = p.date.addSecs(3600);
        p.secondaryY = t - 6;
        points.push_back(p);
    }
    return points;
}

void setUpGraph(OVGraphView &view, int mode, int hours)
{
    const auto yMode = static_cast<OVGraphYMode>(mode);
    view.resize(600, 155);
    view.setGraphXMode(OVGraphXMode::Dates);
    view.setGraphYMode(yMode);
    view.setSmoothed(yMode != OVGraphYMode::Bars);
    view.setStroke(true);
    view.setGraphSecondaryYMode(OVGraphSecondaryYMode::Line);
    view.setSecondaryYColor(Qt::cyan);
    view.setForegroundColor(QColor(60, 120, 160));
    view.setBackgroundColor(QColor(20, 30, 40));
    view.setMinDate(kStart, kStart.addSecs(qint64(hours) * 3600));
    view.setDataPoints(hourly(hours));
}

QImage targetImage(double dpr)
{
    QImage image(QSize(600, 155) * dpr, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    return image;
}

// Args: mode (0 line, 1 bars, 2 band), device pixel ratio.
void BM_PaintTenDaysPositionsDirty(benchmark::State &state)
{
    ensureApplication();
    OVGraphView view;
    setUpGraph(view, int(state.range(0)), 240);
    QImage image = targetImage(double(state.range(1)));
    for (auto _ : state) {
        view.setMinDate(view.minDate(), view.maxDate()); // marks the positions dirty
        image.fill(Qt::transparent);
        QPainter painter(&image);
        view.paint(painter);
    }
}
BENCHMARK(BM_PaintTenDaysPositionsDirty)->ArgsProduct({{0, 1, 2}, {1, 2}})->Unit(benchmark::kMicrosecond);

// What a Qt-initiated repaint costs: drawing the kept rendering.
void BM_DrawKeptRendering(benchmark::State &state)
{
    ensureApplication();
    OVGraphView view;
    setUpGraph(view, 0, 240);
    const double dpr = double(state.range(0));
    QImage kept = targetImage(dpr);
    kept.fill(Qt::transparent);
    {
        QPainter painter(&kept);
        view.paint(painter);
    }
    QImage screen = targetImage(dpr);
    for (auto _ : state) {
        QPainter painter(&screen);
        painter.drawImage(QPointF(0, 0), kept);
    }
}
BENCHMARK(BM_DrawKeptRendering)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

void BM_XLegendContent(benchmark::State &state)
{
    ensureApplication();
    OVGraphLegendView legend;
    legend.resize(600, 155);
    legend.setGraphXMode(OVGraphXMode::Dates);
    legend.setTimeZone(QTimeZone("America/New_York"));
    legend.setMinDate(kStart);
    legend.setMaxDate(kStart.addDays(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(legend.xLegendContent());
}
BENCHMARK(BM_XLegendContent)->Arg(1)->Arg(10)->Arg(366)->Unit(benchmark::kMicrosecond);

// A leap year of hourly points (8,784) in 600 px: the view samples every 15th point.
void BM_YForXSampled(benchmark::State &state)
{
    ensureApplication();
    OVGraphView view;
    setUpGraph(view, 0, 8784);
    view.yForX(0);
    double x = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(view.yForX(x));
        x = x >= 600 ? 0 : x + 1.7;
    }
}
BENCHMARK(BM_YForXSampled)->Unit(benchmark::kMicrosecond);

// The same question answered by looking at every point.
void BM_YForXEveryPoint(benchmark::State &state)
{
    ensureApplication();
    OVGraphView view;
    setUpGraph(view, 0, 8784);
    view.yForX(0);
    const std::vector<OVGraphDataPoint> &points = view.dataPoints();
    double x = 0;
    for (auto _ : state) {
        const OVGraphDataPoint *left = &points.front();
        const OVGraphDataPoint *right = &points.back();
        for (const OVGraphDataPoint &p : points) {
            if (p.graphAdjustedX <= x && p.graphAdjustedX > left->graphAdjustedX)
                left = &p;
            if (p.graphAdjustedX >= x && p.graphAdjustedX < right->graphAdjustedX)
                right = &p;
        }
        const double span = right->graphAdjustedX - left->graphAdjustedX;
        const double t = span > 0 ? (x - left->graphAdjustedX) / span : 0;
        benchmark::DoNotOptimize(view.yForValue(left->y + t * (right->y - left->y)));
        x = x >= 600 ? 0 : x + 1.7;
    }
}
BENCHMARK(BM_YForXEveryPoint)->Unit(benchmark::kMicrosecond);

} // namespace
