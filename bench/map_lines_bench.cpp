// bench-libraries: nimbrel_map
// Boundary lines: parsing the built country boundary file, and one frame of the country and
// state lines layers (buffers uploaded, drawn into a 1600 x 1000 framebuffer, glFinish).
// Reads NIMBREL_MAPDATA_DIR (the folder holding boundaries_i.txt and states_i.txt), else
// build-release/src; skips without the files.
//
//   xvfb-run -a ./map_lines_bench
#include "map/OVMapControllerInterface.h"
#include "map/OVMapSupportedView.h"
#include "map/layers/OVMapVectorLayers.h"
#include "platform/OVOpenGLFormat.h"

#include <QApplication>
#include <QFile>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions_2_1>
#include <QOpenGLVersionFunctionsFactory>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <thread>

namespace {

QString dataPath(const char *name)
{
    const char *folder = std::getenv("NIMBREL_MAPDATA_DIR");
    return QString::fromLocal8Bit(folder ? folder : "build-release/src") + QLatin1Char('/') + QLatin1String(name);
}

QByteArray fileText(const char *name)
{
    QFile file(dataPath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void BM_ParseBoundaries(benchmark::State &state)
{
    const QByteArray text = fileText("boundaries_i.txt");
    if (text.isEmpty())
        state.SkipWithError("no boundaries_i.txt: build nimbrel_mapdata or set NIMBREL_MAPDATA_DIR");
    size_t vertices = 0;
    for (auto _ : state)
        vertices = OVMapLinesLayer::parseBoundaryText(text).size();
    state.counters["segments"] = double(vertices / 2);
    state.SetBytesProcessed(int64_t(state.iterations()) * text.size());
}
BENCHMARK(BM_ParseBoundaries)->Unit(benchmark::kMillisecond);

void BM_DrawBothLinesLayers(benchmark::State &state)
{
    QOffscreenSurface surface;
    surface.setFormat(QSurfaceFormat::defaultFormat());
    surface.create();
    QOpenGLContext context;
    context.setFormat(QSurfaceFormat::defaultFormat());
    if (!context.create() || !context.makeCurrent(&surface)) {
        state.SkipWithError("no OpenGL context");
        return;
    }
    auto *gl = QOpenGLVersionFunctionsFactory::get<QOpenGLFunctions_2_1>(&context);
    QOpenGLFramebufferObject framebuffer(1600, 1000);
    framebuffer.bind();
    gl->glViewport(0, 0, 1600, 1000);
    gl->glMatrixMode(GL_PROJECTION);
    gl->glLoadIdentity();
    gl->glOrtho(-180.0, 180.0, -90.0, 90.0, -100.0, 100.0);
    gl->glMatrixMode(GL_MODELVIEW);
    gl->glLoadIdentity();

    struct View final : OVMapSupportedView
    {
        OVGeoRect visibleGeoRect() const override { return OVGeoRectMake(-90, -180, 90, 180); }
        QSizeF viewSize() const override { return {1600, 1000}; }
        double resolutionPixelsPerDegree() const override { return 1600.0 / 360.0; }
        double devicePixelRatioF() const override { return 1.0; }
        void radarTimeShownDidChange(const QDateTime &) override {}
        void satelliteTimeShownDidChange(const QDateTime &) override {}
        void redraw() override {}
    } view;
    struct Controller final : OVMapControllerInterface
    {
        OVMapSupportedView *view() const override { return mapView; }
        const OVMapProjection *mapProjection() const override { return nullptr; }
        QVariantMap settings() const override { return {}; }
        bool bindTextureWithKey(const QString &) override { return false; }
        OVMapSupportedView *mapView = nullptr;
    } controller;
    controller.mapView = &view;

    OVMapLinesLayer countries(&controller, nullptr, dataPath("boundaries_i.txt"));
    OVMapLinesLayer states(&controller, nullptr, dataPath("states_i.txt"));
    for (OVMapLinesLayer *layer : {&countries, &states}) {
        layer->setLineColorAlpha(1.0f);
        while (!layer->parseFinished())
            std::this_thread::yield();
        layer->draw();
    }
    if (!countries.verticesReady() || !states.verticesReady())
        state.SkipWithError("no boundary files: build nimbrel_mapdata or set NIMBREL_MAPDATA_DIR");
    for (auto _ : state) {
        gl->glClear(GL_COLOR_BUFFER_BIT);
        countries.draw();
        states.draw();
        gl->glFinish();
    }
    state.counters["vertices"] = double(countries.numVertices() + states.numVertices());
}
BENCHMARK(BM_DrawBothLinesLayers)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    ::setenv("QT_QPA_PLATFORM", "xcb", 0);
    OVOpenGLFormat::configureBeforeApplication();
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
