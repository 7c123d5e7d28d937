// What the map benchmarks share: an OpenGL context (the application's format) current on an
// offscreen surface, made once in main while the application lives, and that main itself.
#pragma once

#include "map/OVMapSupportedView.h"
#include "platform/OVOpenGLFormat.h"

#include <QApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions_2_1>
#include <QOpenGLVersionFunctionsFactory>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

/// A view of a fixed geographic rectangle at a fixed size in pixels.
class MapBenchView final : public OVMapSupportedView
{
public:
    MapBenchView(const OVGeoRect &rect, QSizeF size)
        : mRect(rect)
        , mSize(size)
    {
    }
    OVGeoRect visibleGeoRect() const override { return mRect; }
    QSizeF viewSize() const override { return mSize; }
    double resolutionPixelsPerDegree() const override
    {
        return mSize.width() / (mRect.maxPoint.longitude - mRect.minPoint.longitude);
    }
    double devicePixelRatioF() const override { return 1.0; }
    void radarTimeShownDidChange(const QDateTime &) override {}
    void satelliteTimeShownDidChange(const QDateTime &) override {}
    void redraw() override {}

private:
    OVGeoRect mRect;
    QSizeF mSize;
};

struct MapBenchGL
{
    MapBenchGL()
    {
        surface.setFormat(QSurfaceFormat::defaultFormat());
        surface.create();
        context.setFormat(QSurfaceFormat::defaultFormat());
        context.create();
        context.makeCurrent(&surface);
        gl = QOpenGLVersionFunctionsFactory::get<QOpenGLFunctions_2_1>(&context);
    }
    void makeCurrent() { context.makeCurrent(&surface); }

    QOffscreenSurface surface;
    QOpenGLContext context;
    QOpenGLFunctions_2_1 *gl = nullptr;

    /// The one set-up of the running benchmark program.
    static MapBenchGL &shared() { return *instance(); }
    static MapBenchGL *&instance()
    {
        static MapBenchGL *setup = nullptr;
        return setup;
    }

    /// The body of main: an X display with OpenGL (xvfb-run), the context, the benchmarks.
    static int run(int argc, char **argv)
    {
        ::setenv("QT_QPA_PLATFORM", "xcb", 0);
        OVOpenGLFormat::configureBeforeApplication();
        QApplication application(argc, argv);
        benchmark::Initialize(&argc, argv);
        if (benchmark::ReportUnrecognizedArguments(argc, argv))
            return 1;
        auto setup = std::make_unique<MapBenchGL>();
        instance() = setup.get();
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
        instance() = nullptr;
        return 0;
    }
};
