// bench-libraries: nimbrel_map
// One frame of the 32 x 16 terrain level (the 8192 level) in a 1600 x 1000 framebuffer at the
// level's own scale, drawn by the terrain tile layer: every visible tile registered (the
// layer's per-tile work on top of the engine's bind, see map_frame_bench), and the same frame
// with twenty visible tiles pending in the loader, once as the layer does it (the pending-key
// check skips their cache files) and once with those twenty cache reads added back, which is
// what each frame would cost without the check.
//
// Needs an X display with OpenGL: xvfb-run -a -s "-screen 0 1600x1000x24" ./map_tiles_bench
#include "MapBenchGL.h"
#include "map/OVMapControllerInterface.h"
#include "map/OVMapSupportedView.h"
#include "map/layers/OVMapTerrainTileLayer.h"
#include "map/gl/OVTextureLoader.h"
#include "map/gl/OVTextureRegistry.h"
#include "map/projection/OVMapProjection.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QOpenGLFramebufferObject>
#include <QTemporaryDir>
#include <QThread>

#include <GL/glext.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>

namespace {

constexpr QSize kFrame(1600, 1000);
constexpr int kTile = 512;
constexpr int kPendingTiles = 20;
// 8192 pixels round the world: 1600 x 1000 pixels cover 70.3 x 43.9 degrees.
const OVGeoRect kVisible = OVGeoRectMake(-21.97, -35.16, 21.97, 35.16);

class BenchView final : public OVMapSupportedView
{
public:
    OVGeoRect visibleGeoRect() const override { return kVisible; }
    QSizeF viewSize() const override { return kFrame; }
    double resolutionPixelsPerDegree() const override { return 8192.0 / 360.0; }
    double devicePixelRatioF() const override { return 1.0; }
    void radarTimeShownDidChange(const QDateTime &) override {}
    void satelliteTimeShownDidChange(const QDateTime &) override {}
    void redraw() override {}
};

/// Binds through the loader's registry lookup, as the map controller does.
class BenchController final : public OVMapControllerInterface
{
public:
    OVMapSupportedView *view() const override { return const_cast<BenchView *>(&mView); }
    const OVMapProjection *mapProjection() const override { return &mProjection; }
    QVariantMap settings() const override { return {}; }
    bool bindTextureWithKey(const QString &key) override
    {
        const uint32_t texture = loader->textureNumberForKey(key);
        if (texture == uint32_t(-1))
            return false;
        MapBenchGL::shared().gl->glBindTexture(GL_TEXTURE_2D, texture);
        return true;
    }

    OVTextureLoader *loader = nullptr;

private:
    BenchView mView;
    OVEquirectangularMapProjection mProjection;
};

/// The terrain layer over a cache folder, its visible tiles registered except the first
/// `pending` ones, which are marked pending and have a cache file each.
struct Scene
{
    explicit Scene(int pending)
    {
        loader = std::make_shared<OVTextureLoader>(&MapBenchGL::shared().context, registry);
        controller.loader = loader.get();
        layer = std::make_unique<OVMapTerrainTileLayer>(&controller, loader);
        layer->setNumXTiles(32);
        layer->setNumYTiles(16);
        layer->setTextureInternalFormat(GL_COMPRESSED_RGB);
        layer->setSourceURLFormat(QStringLiteral("http://127.0.0.1:9/gen2-nb/01/8192/@x_@y.jpg"));
        layer->setLocalCacheDirectory(folder.path());

        QByteArray pixels(kTile * kTile * 4, '\0');
        for (int i = 0; i < pixels.size(); ++i)
            pixels[i] = char((i * 7) & 0xFF);
        const QByteArray cacheBytes(30000, 'j'); // about one JPEG tile
        QStringList loading;
        for (const OVMapTilePlacement &tile : layer->visibleTiles()) {
            const QString key = layer->urlStringForTile(tile.textureColumn, tile.textureRow);
            if (pendingTiles.size() < pending) {
                registry.queueKey(key);
                pendingTiles.append(tile);
                QFile file(*layer->cachedPathForTile(tile.textureColumn, tile.textureRow));
                if (file.open(QIODevice::WriteOnly))
                    file.write(cacheBytes);
                continue;
            }
            loader->loadTextureWithRGBAPixels(reinterpret_cast<const uchar *>(pixels.constData()), kTile, kTile, key,
                                              GL_COMPRESSED_RGB);
            loading.append(key);
        }
        // High-priority loads run newest first: wait for every one.
        while (std::any_of(loading.cbegin(), loading.cend(),
                           [&](const QString &key) { return loader->textureNumberForKey(key) == uint32_t(-1); })) {
            QCoreApplication::processEvents();
            QThread::msleep(5);
        }
        MapBenchGL::shared().makeCurrent();
        framebuffer = std::make_unique<QOpenGLFramebufferObject>(kFrame);
        framebuffer->bind();
        QOpenGLFunctions_2_1 *gl = MapBenchGL::shared().gl;
        gl->glViewport(0, 0, kFrame.width(), kFrame.height());
        gl->glMatrixMode(GL_PROJECTION);
        gl->glLoadIdentity();
        gl->glOrtho(kVisible.minPoint.longitude, kVisible.maxPoint.longitude, kVisible.minPoint.latitude,
                    kVisible.maxPoint.latitude, -100.0, 100.0);
        gl->glMatrixMode(GL_MODELVIEW);
    }
    ~Scene()
    {
        framebuffer.reset();
        layer.reset();
        loader.reset();
    }

    void frame()
    {
        QOpenGLFunctions_2_1 *gl = MapBenchGL::shared().gl;
        gl->glClear(GL_COLOR_BUFFER_BIT);
        layer->draw();
        gl->glFinish();
    }

    QTemporaryDir folder;
    OVTextureRegistry registry;
    BenchController controller;
    std::shared_ptr<OVTextureLoader> loader;
    std::unique_ptr<OVMapTerrainTileLayer> layer;
    std::unique_ptr<QOpenGLFramebufferObject> framebuffer;
    QList<OVMapTilePlacement> pendingTiles;
};

void BM_TerrainFrameAllRegistered(benchmark::State &state)
{
    Scene scene(0);
    for (auto _ : state)
        scene.frame();
    state.counters["tiles"] = double(scene.layer->visibleTiles().size());
}
BENCHMARK(BM_TerrainFrameAllRegistered)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TerrainFrameTwentyPending(benchmark::State &state)
{
    Scene scene(kPendingTiles);
    for (auto _ : state)
        scene.frame();
    state.counters["pending"] = double(scene.pendingTiles.size());
}
BENCHMARK(BM_TerrainFrameTwentyPending)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TerrainFrameTwentyPendingReadingTheirCacheFiles(benchmark::State &state)
{
    Scene scene(kPendingTiles);
    for (auto _ : state) {
        scene.frame();
        for (const OVMapTilePlacement &tile : std::as_const(scene.pendingTiles))
            benchmark::DoNotOptimize(scene.layer->cacheDataForTile(tile.textureColumn, tile.textureRow));
    }
    state.counters["pending"] = double(scene.pendingTiles.size());
}
BENCHMARK(BM_TerrainFrameTwentyPendingReadingTheirCacheFiles)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    return MapBenchGL::run(argc, argv);
}
