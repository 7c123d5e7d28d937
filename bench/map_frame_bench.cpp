// bench-libraries: nimbrel_map
// Frames of the map engine at 1600 x 1000: an empty frame, and frames of 8, 32 and 128 textured
// 512-pixel tiles in the three tile formats (terrain, radar, satellite), drawn by a tile layer
// that binds each tile through the controller's registry lookup; that lookup against a plain
// glBindTexture; and a frame into a framebuffer object against a repaint of the map widget.
//
// Needs an X display with OpenGL: xvfb-run -a -s "-screen 0 1600x1000x24" ./map_frame_bench
#include "MapBenchGL.h"
#include "map/views/NBMapView.h"
#include "map/OVMapController.h"
#include "map/layers/OVMapLayerFactory.h"
#include "map/OVMapSupportedView.h"
#include "map/layers/OVMapLayer.h"
#include "map/gl/OVTextureLoader.h"
#include "map/gl/OVTextureRegistry.h"
#include "platform/OVUserDefaults.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions_2_1>
#include <QOpenGLVersionFunctionsFactory>
#include <QTemporaryDir>
#include <QThread>

#include <GL/glext.h>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace {

constexpr int kTile = 512;
constexpr QSize kFrame(1600, 1000);

QString tileKey(int i)
{
    return QStringLiteral("bench-tile-%1").arg(i);
}

/// `tiles` quads in a grid over the world, each bound through the controller.
class BenchTileLayer final : public OVMapLayer
{
public:
    BenchTileLayer(OVMapControllerInterface *controller, std::shared_ptr<OVTextureLoader> loader, int tiles)
        : OVMapLayer(controller, std::move(loader))
        , mTiles(tiles)
    {
    }
    void draw() override
    {
        auto *gl = QOpenGLVersionFunctionsFactory::get<QOpenGLFunctions_2_1>(QOpenGLContext::currentContext());
        gl->glEnable(GL_TEXTURE_2D);
        const int columns = 16;
        const double w = 360.0 / columns;
        const double h = 180.0 / ((mTiles + columns - 1) / columns);
        for (int i = 0; i < mTiles; ++i) {
            if (!mapController()->bindTextureWithKey(tileKey(i)))
                continue;
            const double x = -180.0 + (i % columns) * w;
            const double y = -90.0 + (i / columns) * h;
            gl->glBegin(GL_QUADS);
            gl->glTexCoord2d(0, 1), gl->glVertex3d(x, y, elevation());
            gl->glTexCoord2d(1, 1), gl->glVertex3d(x + w, y, elevation());
            gl->glTexCoord2d(1, 0), gl->glVertex3d(x + w, y + h, elevation());
            gl->glTexCoord2d(0, 0), gl->glVertex3d(x, y + h, elevation());
            gl->glEnd();
        }
        gl->glDisable(GL_TEXTURE_2D);
    }

private:
    int mTiles;
};

struct FrameBenchGL
{
    FrameBenchGL()
        : framebuffer(kFrame, QOpenGLFramebufferObject::CombinedDepthStencil)
    {
    }
    MapBenchGL &base = MapBenchGL::shared();
    QOpenGLContext &context = base.context;
    QOffscreenSurface &surface = base.surface;
    QOpenGLFunctions_2_1 *gl = base.gl;
    QOpenGLFramebufferObject framebuffer;
};

/// Made at first use, once the program's context exists; left to the end of the process (the
/// framebuffer cannot outlive the application's context cleanly).
FrameBenchGL &frameGL()
{
    static FrameBenchGL *setup = new FrameBenchGL;
    return *setup;
}

/// A controller drawing `tiles` tiles uploaded in `format` (none: an empty frame).
struct Scene
{
    Scene(int tiles, int32_t format)
    {
        loader = std::make_shared<OVTextureLoader>(&frameGL().context, registry);
        registry.setMaxTextureMemory(NBMapView::kTextureMemoryBudget);
        factory.registerBuilder(OVMapLayerKind::Grid, [tiles](const OVMapLayerConfiguration &, OVMapControllerInterface *c,
                                                              const std::shared_ptr<OVTextureLoader> &l) {
            return std::make_shared<BenchTileLayer>(c, l, tiles);
        });
        OVMapController::Environment environment;
        environment.factory = &factory;
        controller = std::make_unique<OVMapController>(
            &view, loader, environment, nullptr,
            QVariantMap{{QStringLiteral("OVGeographyMapLayerShowGrid"), tiles > 0},
                        {QStringLiteral("OVGeographyMapLayerShowParticleMode"), false},
                        {QStringLiteral("OVGeographyMapLayerShowPlacemarks"), false}});
        QByteArray pixels(kTile * kTile * 4, '\0');
        for (int i = 0; i < pixels.size(); ++i)
            pixels[i] = char((i * 7) & 0xFF);
        for (int i = 0; i < tiles; ++i)
            loader->loadTextureWithRGBAPixels(reinterpret_cast<const uchar *>(pixels.constData()), kTile, kTile,
                                              tileKey(i), format);
        while (tiles > 0 && loader->textureNumberForKey(tileKey(tiles - 1)) == uint32_t(-1)) {
            QCoreApplication::processEvents();
            QThread::msleep(5);
        }
        frameGL().context.makeCurrent(&frameGL().surface);
    }
    ~Scene()
    {
        controller.reset();
        loader.reset();
    }

    OVTextureRegistry registry;
    OVMapLayerFactory factory;
    MapBenchView view{OVGeoRectMake(-90, -180, 90, 180), kFrame}; // the whole world
    std::shared_ptr<OVTextureLoader> loader;
    std::unique_ptr<OVMapController> controller;
};

void BM_Frame(benchmark::State &state, int32_t format)
{
    Scene scene(int(state.range(0)), format);
    frameGL().framebuffer.bind();
    frameGL().gl->glViewport(0, 0, kFrame.width(), kFrame.height());
    for (auto _ : state) {
        scene.controller->draw();
        frameGL().gl->glFinish();
    }
    state.counters["tiles"] = double(state.range(0));
}
BENCHMARK_CAPTURE(BM_Frame, empty, GL_RGB5_A1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Frame, terrain_compressed_rgb, GL_COMPRESSED_RGB)
    ->Arg(8)->Arg(32)->Arg(128)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Frame, radar_rgb5_a1, GL_RGB5_A1)->Arg(8)->Arg(32)->Arg(128)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Frame, satellite_intensity, GL_INTENSITY)
    ->Arg(8)->Arg(32)->Arg(128)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RegistryBind(benchmark::State &state)
{
    Scene scene(32, GL_RGB5_A1);
    int i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(scene.controller->bindTextureWithKey(tileKey(i++ % 32)));
}
BENCHMARK(BM_RegistryBind);

void BM_PlainBind(benchmark::State &state)
{
    Scene scene(32, GL_RGB5_A1);
    QList<uint32_t> names;
    for (int i = 0; i < 32; ++i)
        names.append(scene.loader->textureNumberForKey(tileKey(i)));
    int i = 0;
    for (auto _ : state)
        frameGL().gl->glBindTexture(GL_TEXTURE_2D, names[i++ % 32]);
}
BENCHMARK(BM_PlainBind);

void BM_WidgetRepaint(benchmark::State &state)
{
    QTemporaryDir folder;
    OVUserDefaults::resetStandard(folder.filePath(QStringLiteral("defaults.conf")));
    NBMapView::Environment environment;
    environment.controllerEnvironment = [] { return OVMapController::Environment(); };
    NBMapView view(nullptr, environment);
    view.resize(kFrame);
    view.show();
    while (view.paintCount() == 0)
        QCoreApplication::processEvents();
    for (auto _ : state) {
        view.repaint();
        QCoreApplication::processEvents();
    }
    view.hide();
    frameGL().context.makeCurrent(&frameGL().surface);
}
BENCHMARK(BM_WidgetRepaint)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    return MapBenchGL::run(argc, argv);
}
