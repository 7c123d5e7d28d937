// bench-libraries: nimbrel_map
// The wind particles and the front symbols: one movement step for 19,764 particles (lattice of
// 122 columns) and 212,400 (400 columns), on one thread and spread over the pool; one particle
// frame (four point draws, the date-line copy) into a 1600 x 1000 framebuffer with glFinish; and
// the symbol placement of 20 fronts. Target: a step and a frame of 19,764 particles within one
// timer interval (33 ms) on llvmpipe.
//
// Needs an X display with OpenGL: xvfb-run -a -s "-screen 0 1600x1000x24" ./map_particles_bench
#include "MapBenchGL.h"
#include "core/OVGrid.h"
#include "core/OVSpline.h"
#include "map/OVMapControllerInterface.h"
#include "map/OVMapSupportedView.h"
#include "map/layers/OVMapFrontCaret.h"
#include "map/layers/OVMapParticleModeLayer.h"

#include <QOpenGLFramebufferObject>
#include <QThreadPool>

#include <array>
#include <cmath>

namespace {

constexpr QSize kFrame(1600, 1000);

class BenchController final : public OVMapControllerInterface
{
public:
    OVMapSupportedView *view() const override { return const_cast<MapBenchView *>(&mView); }
    const OVMapProjection *mapProjection() const override { return nullptr; }
    QVariantMap settings() const override { return {}; }
    bool bindTextureWithKey(const QString &) override { return false; }

private:
    // The world and a little more west of the date line, so the copy is drawn.
    MapBenchView mView{OVGeoRectMake(-90, -200, 90, 160), kFrame};
};

/// A quarter-degree world of varying wind and temperature, as the model grids are.
std::shared_ptr<OVMapParticleModeLayer> windLayer(BenchController &controller, int64_t columns)
{
    static const std::array<OVMapParticleDataSource::GridPtr, 3> grids = [] {
        const uint64_t w = 1440;
        const uint64_t h = 721;
        std::vector<double> u(w * h), v(w * h), t(w * h);
        for (uint64_t i = 0; i < w * h; ++i) {
            u[i] = 10.0 * std::sin(double(i % w) * 0.01);
            v[i] = 5.0 * std::cos(double(i / w) * 0.02);
            t[i] = 250.0 + double(i / w) * 0.1;
        }
        const OVGeoRect rect = OVGeoRectMake(-90, -180, 90, 179.75);
        return std::array<OVMapParticleDataSource::GridPtr, 3>{OVGrid::make(u, rect, w, h), OVGrid::make(v, rect, w, h),
                                                               OVGrid::make(t, rect, w, h)};
    }();
    auto layer = std::make_shared<OVMapParticleModeLayer>(&controller, nullptr,
                                                          std::make_shared<OVMapParticleDataSource>());
    layer->invalidateTimers();
    layer->resizeParticleArrayUsingNumXParticles(columns);
    layer->setGrids(grids[0], grids[1], grids[2]);
    for (int i = 0; i < 60; ++i) // every set visible and off its lattice point
        layer->moveParticlesByTimeInterval(2.0);
    return layer;
}

void BM_Step(benchmark::State &state)
{
    BenchController controller;
    auto layer = windLayer(controller, state.range(0));
    QThreadPool *pool = QThreadPool::globalInstance();
    const int threads = pool->maxThreadCount();
    if (state.range(1) == 0)
        pool->setMaxThreadCount(1); // apply then runs every row on the calling thread
    for (auto _ : state)
        layer->moveParticlesByTimeInterval(2.0);
    pool->setMaxThreadCount(threads);
    state.counters["particles"] = double(layer->particles().size());
}
BENCHMARK(BM_Step)
    ->ArgNames({"columns", "pool"})
    ->Args({122, 0})
    ->Args({122, 1})
    ->Args({400, 0})
    ->Args({400, 1})
    ->Unit(benchmark::kMillisecond);

void BM_Frame(benchmark::State &state)
{
    MapBenchGL &gl = MapBenchGL::shared();
    gl.makeCurrent();
    QOpenGLFramebufferObject framebuffer(kFrame, QOpenGLFramebufferObject::CombinedDepthStencil);
    framebuffer.bind();
    QOpenGLFunctions_2_1 *f = gl.gl;
    f->glViewport(0, 0, kFrame.width(), kFrame.height());
    f->glMatrixMode(GL_PROJECTION);
    f->glLoadIdentity();
    f->glOrtho(-200, 160, -90, 90, 100, -100);
    f->glMatrixMode(GL_MODELVIEW);
    f->glLoadIdentity();
    f->glEnable(GL_BLEND);
    f->glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    BenchController controller;
    auto layer = windLayer(controller, state.range(0));
    layer->draw(); // the first draw compiles the rasteriser's shaders
    f->glFinish();
    for (auto _ : state) {
        f->glClear(GL_COLOR_BUFFER_BIT);
        layer->draw();
        f->glFinish();
    }
    framebuffer.release();
}
BENCHMARK(BM_Frame)->ArgName("columns")->Arg(122)->Arg(400)->Unit(benchmark::kMillisecond);

void BM_CaretPlacement(benchmark::State &state)
{
    // 20 fronts of 6 points across 15 degrees, smoothed as the layer smooths them.
    QList<QList<QPointF>> points;
    QList<QList<QPointF>> smoothed;
    for (int k = 0; k < 20; ++k) {
        QList<QPointF> front;
        for (int i = 0; i < 6; ++i)
            front.append(QPointF(-120.0 + 3.0 * i, 30.0 + k + std::sin(i) * 2.0));
        OVSpline spline(front);
        spline.setType(OVSpline::BSpline);
        points.append(front);
        smoothed.append(*spline.smoothedPoints());
    }
    for (auto _ : state)
        for (int k = 0; k < 20; ++k)
            benchmark::DoNotOptimize(OVMapFrontCaret::caretsForPoints(points[k], smoothed[k], 20.0, 48.0));
}
BENCHMARK(BM_CaretPlacement)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    return MapBenchGL::run(argc, argv);
}
