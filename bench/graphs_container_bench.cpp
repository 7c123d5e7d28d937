// bench-libraries: nimbrel_graphs
// The graph stack's costs, with eight panels over ten days of hourly data in a 600 x 500 stack
// (155-px panels, so it scrolls):
// - scrolling from top to bottom in 20-px steps, rendering the visible stack into an image at
//   each step, once with the panels' kept renderings used and once with them dropped first;
// - a 100-event drag on the temperature panel: time per event, and how often the station's
//   earliest observation is read per event. The window is asked for about 22 times an event;
//   the station is read once per drag and once per reload, so this stays at most about 1 (a
//   drag that carries the window past the loaded data reloads at each event).
#include "GraphBenchSources.h"
#include "graphs/NBMultiGraphContainerView.h"
#include "graphs/OVGraphLegendView.h"
#include "graphs/OVGraphView.h"

#include <QImage>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>

#include <benchmark/benchmark.h>

namespace {

using namespace graphbench;

struct Stack
{
    BenchContainer place;
    NBMultiGraphContainerView view;

    Stack()
    {
        NBPrefController::setSetting(7, QStringLiteral("graphWidthDays"));
        NBPrefController::setSetting(0.0f, QStringLiteral("graphOffset"));
        NBPrefController::setSetting(155, QStringLiteral("graphHeight"));
        for (int type : NBMultiGraphContainerView::kStackOrder)
            NBPrefController::setSetting(type == 2 || type == 8 || type == 9 ? 0 : 1,
                                         NBMultiGraphContainerView::visibilityKey(type));
        view.setSlideMilliseconds(0);
        std::shared_ptr<OVWeatherLocation> location = place.location;
        view.setLocationSource([location] { return location; });
        view.setGraphHeight(155);
        view.resize(600, 536);
        view.relayoutGraphs(nullptr, false);
    }

    void dropKeptRenderings()
    {
        for (NBMultiGraphPart *part : view.parts()) {
            part->graph()->setNeedsDisplay();
            part->legend()->setNeedsDisplay();
        }
    }
};

void BM_ScrollTopToBottom(benchmark::State &state)
{
    ensureApplication();
    const bool kept = state.range(0) != 0;
    Stack stack;
    QWidget *viewport = stack.view.scrollView()->viewport();
    QScrollBar *bar = stack.view.scrollView()->verticalScrollBar();
    QImage image(viewport->size(), QImage::Format_ARGB32_Premultiplied);
    int steps = 0;
    for (auto _ : state) {
        for (int distance = 0; distance <= bar->maximum(); distance += 20) {
            bar->setValue(distance);
            if (!kept)
                stack.dropKeptRenderings();
            viewport->render(&image);
            ++steps;
        }
        bar->setValue(0);
    }
    // Seconds per step: the inverse of the items rate.
    state.SetItemsProcessed(steps);
    state.counters["seconds_per_step"] =
        benchmark::Counter(double(steps), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.SetLabel(kept ? "kept renderings" : "renderings dropped");
}
BENCHMARK(BM_ScrollTopToBottom)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void sendMouse(QWidget &widget, QEvent::Type type, const QPoint &at, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, QPointF(at), widget.mapToGlobal(QPointF(at)),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

void BM_Drag100Events(benchmark::State &state)
{
    ensureApplication();
    Stack stack;
    OVGraphView *graph = stack.view.parts().front()->graph();
    const QPoint start = graph->mapTo(&stack.view, graph->rect().center());
    constexpr int kEvents = 100;
    const int before = stack.view.earliestObservationQueries();
    int drags = 0;
    for (auto _ : state) {
        sendMouse(stack.view, QEvent::MouseButtonPress, start, Qt::LeftButton);
        for (int i = 1; i <= kEvents; ++i)
            sendMouse(stack.view, QEvent::MouseMove, start - QPoint(i * 2, 0), Qt::LeftButton);
        sendMouse(stack.view, QEvent::MouseButtonRelease, start - QPoint(kEvents * 2, 0), Qt::NoButton);
        stack.view.setCenterTimeOffset(0.0);
        ++drags;
    }
    state.SetItemsProcessed(int64_t(drags) * kEvents);
    state.counters["earliest_queries_per_event"] =
        double(stack.view.earliestObservationQueries() - before) / (double(drags) * kEvents);
}
BENCHMARK(BM_Drag100Events)->Unit(benchmark::kMillisecond);

} // namespace
