// bench-libraries: nimbrel_graphs
// The graph panels' costs: each of the eleven types over a 10-day hourly series drawn into a
// 600 x 155 image, cold (data update, scale and a fresh rendering) and kept (the kept rendering
// redrawn); each type's repaint at device pixel ratios 1 and 2 beside a plain-QPainter floor, over
// ten days of hourly data and over a year of daily data; and the cylinder at 1200 x 300 and device
// pixel ratio 2 in its parts (stroking the faces, the warps, the composition) against a flat
// wind-direction draw of the same series.
#include "GraphBenchSources.h"
#include "graphs/OVCylindricalGraphLegendView.h"
#include "graphs/OVCylindricalGraphView.h"
#include "graphs/OVGraphLegendView.h"
#include "graphs/OVGraphView.h"

#include <QElapsedTimer>
#include <QFont>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <optional>
#include <utility>
#include <vector>

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

// Each type's repaint (graph and legend, as the kept renderings draw them after a change) at
// device pixel ratio 1 and 2, beside a floor drawn in the same run: the same geometry with plain
// QPainter calls (background, the series through the same points filled and outlined, or the same
// bars filled and outlined, the same grid lines and label texts; for the cylinder its body's
// outline filled and outlined and the series through the points where it lies on the cylinder).
// The counters give both times and the ratio; a ratio above 2 is a type that paints too slowly.
struct FloorGeometry
{
    QRectF graphRect;
    QColor background;
    QColor foreground;
    QColor stroke;
    double strokeWidth = 1.0;
    bool bars = false;
    std::vector<QRectF> barRects;
    QPainterPath area;
    QPainterPath line;
    std::vector<QRectF> gridLines;
    std::vector<std::pair<QRectF, QString>> labels;
    QFont font;
    QPainterPath body; // the cylinder's outline; empty for the flat types
    QColor bodyColor;
};

struct PanelScene
{
    BenchContainer container;
    NBMultiGraphPart part;
    QImage image;
    FloorGeometry floor;

    PanelScene(int type, double dpr, BenchDataSet set)
        : container(set)
    {
        part.resize(600, 155);
        part.setDelegate(&container);
        part.setGraphType(type);
        part.updateGraphData();
        const QSize size = part.legend()->size();
        image = QImage((QSizeF(size) * dpr).toSize(), QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(dpr);
        paint();
        floor = floorGeometry();
    }

    void paint()
    {
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.save();
        painter.translate(part.graph()->pos() - part.legend()->pos());
        part.graph()->paint(painter);
        painter.restore();
        part.legend()->paint(painter);
    }

    FloorGeometry floorGeometry() const
    {
        FloorGeometry g;
        const OVGraphView &graph = *part.graph();
        const QPointF at = graph.pos() - part.legend()->pos();
        g.graphRect = QRectF(at, QSizeF(graph.size()));
        g.background = QColor(40, 40, 60);
        g.foreground = QColor(90, 160, 255);
        g.stroke = Qt::white;
        g.strokeWidth = 2.0;
        g.bars = graph.graphYMode() == OVGraphYMode::Bars;
        if (const auto *cylinder = qobject_cast<const OVCylindricalGraphView *>(&graph)) {
            addCylinder(g, *cylinder, at);
            return g;
        }
        const double bottom = at.y() + graph.height();
        bool started = false;
        for (const OVGraphDataPoint &p : graph.dataPoints()) {
            if (!OVGraphDataPoint::isDrawable(p.y))
                continue;
            const double y = at.y() + graph.yForValue(p.y);
            if (g.bars) {
                g.barRects.emplace_back(at.x() + p.graphAdjustedXMin, y, p.graphAdjustedXMax - p.graphAdjustedXMin,
                                        bottom - y);
                continue;
            }
            const QPointF point(at.x() + p.graphAdjustedX, y);
            if (!started) {
                g.area.moveTo(point.x(), bottom);
                g.line.moveTo(point);
                started = true;
            } else {
                g.line.lineTo(point);
            }
            g.area.lineTo(point);
        }
        if (started)
            g.area.lineTo(g.line.currentPosition().x(), bottom);
        const OVGraphLegendView &legend = *part.legend();
        for (const OVGraphLegendValueLabel &label : legend.yLegendLabels()) {
            g.gridLines.emplace_back(g.graphRect.x(), label.gridY, g.graphRect.width(), 1.0);
            if (label.shown)
                g.labels.emplace_back(label.rect, label.text);
        }
        const OVGraphLegendContent dates = legend.drawnXLegendContent();
        for (size_t i = 0; i < dates.rects.size(); ++i) {
            g.gridLines.emplace_back(std::round(legend.xForDate(dates.dates[i])), g.graphRect.y(), 1.0,
                                     g.graphRect.height());
            g.labels.emplace_back(dates.rects[i], dates.strings[i].string());
        }
        g.font.setBold(true);
        g.font.setPixelSize(11);
        return g;
    }

    // The cylinder's body outline, the series through its points on the cylinder (a new line
    // where it passes from one face to the other) and the front face's labels with straight lines.
    void addCylinder(FloorGeometry &g, const OVCylindricalGraphView &graph, QPointF at) const
    {
        const OVCylinderGeometry c = graph.geometry();
        const QRectF r = c.rect.translated(at);
        g.body.moveTo(r.x() + c.width / 2.0, r.bottom());
        g.body.arcTo(QRectF(r.x(), r.y(), c.width, r.height()), 270.0, -180.0);
        g.body.lineTo(r.right() - c.width / 2.0, r.y());
        g.body.arcTo(QRectF(r.right() - c.width, r.y(), c.width, r.height()), 90.0, -360.0);
        g.body.closeSubpath();
        g.bodyColor = graph.cylinderColor();
        g.bodyColor.setAlphaF(0.8f);
        std::optional<bool> front;
        for (const OVGraphDataPoint &p : graph.dataPoints()) {
            if (!OVGraphDataPoint::isDrawable(p.y))
                continue;
            const double offset = c.xOffsetForDegrees(p.y);
            const QPointF point(at.x() + c.faceX(p.graphAdjustedX / graph.width()) + offset, at.y() + c.yForDegrees(p.y));
            if (front != (offset <= 0.0))
                g.line.moveTo(point);
            else
                g.line.lineTo(point);
            front = offset <= 0.0;
        }
        const auto &legend = static_cast<const OVCylindricalGraphLegendView &>(*part.legend());
        for (const auto &label : legend.directionLabels()) {
            g.gridLines.emplace_back(g.graphRect.x(), legend.yForDegrees(label.degrees), g.graphRect.width(), 1.0);
            if (label.shown)
                g.labels.emplace_back(label.rect, label.text);
        }
        g.font.setBold(true);
        g.font.setPixelSize(11);
    }

    void paintFloor()
    {
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        const FloorGeometry &g = floor;
        painter.fillRect(g.graphRect, g.background);
        QPen pen(g.stroke, g.strokeWidth);
        if (!g.body.isEmpty()) {
            painter.fillPath(g.body, g.bodyColor);
            painter.strokePath(g.body, QPen(QColor(255, 255, 255, 102), 2.0));
            painter.strokePath(g.line, pen);
        } else if (g.bars) {
            for (const QRectF &bar : g.barRects)
                painter.fillRect(bar, g.foreground);
            painter.setPen(pen);
            painter.setBrush(Qt::NoBrush);
            painter.drawRects(g.barRects.data(), int(g.barRects.size()));
        } else {
            painter.fillPath(g.area, g.foreground);
            painter.strokePath(g.line, pen);
        }
        for (const QRectF &line : g.gridLines)
            painter.fillRect(line, QColor(255, 255, 255, 102));
        painter.setFont(g.font);
        painter.setPen(Qt::white);
        for (const auto &[rect, text] : g.labels)
            painter.drawText(rect, Qt::AlignCenter, text);
    }
};

void typePaint(benchmark::State &state, BenchDataSet set)
{
    ensureApplication();
    const double dpr = double(state.range(1));
    PanelScene scene(int(state.range(0)), dpr, set);
    // Paint and floor take turns, so a busy machine weighs on both alike.
    QElapsedTimer timer;
    qint64 paintNs = 0;
    qint64 floorNs = 0;
    for (auto _ : state) {
        timer.start();
        scene.paint();
        paintNs += timer.nsecsElapsed();
        state.PauseTiming();
        timer.start();
        scene.paintFloor();
        floorNs += timer.nsecsElapsed();
        state.ResumeTiming();
    }
    const double floorMs = double(floorNs) / 1e6 / double(state.iterations());
    const double paintMs = double(paintNs) / 1e6 / double(state.iterations());
    state.counters["paint_ms"] = paintMs;
    state.counters["floor_ms"] = floorMs;
    state.counters["ratio"] = floorMs > 0.0 ? paintMs / floorMs : 0.0;
}

void BM_TypePaint(benchmark::State &state)
{
    typePaint(state, kTenDaysHourly);
}
BENCHMARK(BM_TypePaint)->ArgsProduct({benchmark::CreateDenseRange(0, 10, 1), {1, 2}})->Unit(benchmark::kMillisecond);

void BM_TypePaintYear(benchmark::State &state)
{
    typePaint(state, kYearDaily);
}
BENCHMARK(BM_TypePaintYear)->ArgsProduct({benchmark::CreateDenseRange(0, 10, 1), {1, 2}})->Unit(benchmark::kMillisecond);

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
    CylinderScene()
    {
        setUpDirectionGraph(view, OVGraphRangeMake(-180, 180));
        // A first paint places the points; the stages below draw from them.
        QImage image(2400, 600, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(2.0);
        QPainter painter(&image);
        view.paint(painter);
    }
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
