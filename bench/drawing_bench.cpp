// bench-libraries: nimbrel_core_views
// Drawable text: what the size cache saves when 500 labels are measured on every redraw, and
// what an outline costs when 500 labels are drawn into an image (map labels).
#include "core/views/OVAttributedString.h"
#include "core/views/OVYUp.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

namespace {

constexpr int kLabelCount = 500;

// Fonts need a GUI application; the benchmarks run without a display.
void ensureApplication()
{
    static QGuiApplication *application = [] {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "drawing_bench";
        static char *argv[] = {name, nullptr};
        return new QGuiApplication(argc, argv);
    }();
    (void)application;
}

std::vector<OVAttributedString> makeLabels(bool outlined)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    std::vector<OVAttributedString> labels;
    labels.reserve(kLabelCount);
    for (int i = 0; i < kLabelCount; ++i) {
        OVAttributedString label(QStringLiteral("Station %1").arg(i),
                                 {{OVFontAttributeName, font}, {OVForegroundColorAttributeName, QColor(Qt::white)}});
        if (outlined) {
            label.setStrokeColor(Qt::black);
            label.setStrokeWidth(3.0);
        }
        labels.push_back(std::move(label));
    }
    return labels;
}

void BM_SizeCached(benchmark::State &state)
{
    ensureApplication();
    auto labels = makeLabels(false);
    for (auto _ : state)
        for (OVAttributedString &label : labels)
            benchmark::DoNotOptimize(label.size());
    state.SetItemsProcessed(state.iterations() * kLabelCount);
}
BENCHMARK(BM_SizeCached);

void BM_SizeRemeasured(benchmark::State &state)
{
    ensureApplication();
    const auto labels = makeLabels(false);
    for (auto _ : state)
        for (const OVAttributedString &label : labels)
            benchmark::DoNotOptimize(label.sizeWithAttributes(label.attributeDictionary()));
    state.SetItemsProcessed(state.iterations() * kLabelCount);
}
BENCHMARK(BM_SizeRemeasured);

void drawLabels(benchmark::State &state, bool outlined)
{
    ensureApplication();
    const auto labels = makeLabels(outlined);
    QImage image(1024, 1024, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        image.fill(Qt::transparent);
        QPainter painter(&image);
        OVYUp::begin(painter, image.height());
        for (int i = 0; i < kLabelCount; ++i)
            labels[i].drawInRectInContext(QRectF((i % 10) * 100, (i / 10) * 20, 100, 20), &painter);
    }
    state.SetItemsProcessed(state.iterations() * kLabelCount);
}

void BM_DrawOutlined(benchmark::State &state)
{
    drawLabels(state, true);
}
BENCHMARK(BM_DrawOutlined);

void BM_DrawPlain(benchmark::State &state)
{
    drawLabels(state, false);
}
BENCHMARK(BM_DrawPlain);

} // namespace
