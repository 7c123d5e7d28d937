// bench-libraries: nimbrel_map
// The wind particles and the front symbols: one movement step for 19,764 particles (lattice of
// 122 columns) and 212,400 (400 columns), on one thread and spread over the pool; one particle
// frame (one trail sprite per particle, the date-line copy) into a 1600 x 1000 framebuffer
// with glFinish; and the symbol placement of 20 fronts. Target: a step and a frame of 19,764
// particles within one timer interval (33 ms) on llvmpipe. At the widest zoom of a 1400 x 960
// map, 19,764 and the default density's 29,700 particles (150 columns), as drawn again
// unchanged and after a step (the array uploaded again), each beside a floor drawn in the same
// run: the bare context drawing as many plain GL_POINTS of the layer's head size. The memory
// case reports the resident set at each step of making a default-density layer and drawing it.
//
// Needs an X display with OpenGL: xvfb-run -a -s "-screen 0 1600x1000x24" ./map_particles_bench
#include "MapBenchGL.h"
#include "core/OVGrid.h"
#include "core/OVSpline.h"
#include "map/OVMapControllerInterface.h"
#include "map/OVMapSupportedView.h"
#include "map/layers/OVMapFrontCaret.h"
#include "map/layers/OVMapParticleModeLayer.h"

#include <QFile>
#include <QOpenGLFramebufferObject>
#include <QThreadPool>

#include <array>
#include <cmath>
#include <vector>

namespace {

constexpr QSize kFrame(1600, 1000);

class BenchController final : public OVMapControllerInterface
{
public:
    // The world and a little more west of the date line, so the copy is drawn.
    explicit BenchController(const OVGeoRect &rect = OVGeoRectMake(-90, -200, 90, 160), QSizeF size = kFrame)
        : mView(rect, size)
    {
    }
    OVMapSupportedView *view() const override { return const_cast<MapBenchView *>(&mView); }
    const OVMapProjection *mapProjection() const override { return nullptr; }
    QVariantMap settings() const override { return {}; }
    bool bindTextureWithKey(const QString &) override { return false; }

private:
    MapBenchView mView;
};

// The widest zoom of a 1400 x 960 map: the whole width of the world, and above and below it.
constexpr QSize kWideFrame(1400, 960);
const OVGeoRect kWidestRect = OVGeoRectMake(-180.0 * 960 / 1400, -180, 180.0 * 960 / 1400, 180);

/// Resident set size in MiB, from /proc/self/status.
double residentMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0.0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0.0;
}

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
    // Set ages -10, 40 and 90: all three sets visible (two of them half faded) and off their
    // lattice points. After 60 steps the third set would be back before its fade-in, invisible.
    for (int i = 0; i < 40; ++i)
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

/// A framebuffer of the wide map with the map's projection and blending, current.
struct WideTarget
{
    WideTarget()
        : framebuffer((MapBenchGL::shared().makeCurrent(), kWideFrame), QOpenGLFramebufferObject::CombinedDepthStencil)
    {
        framebuffer.bind();
        QOpenGLFunctions_2_1 *f = MapBenchGL::shared().gl;
        f->glViewport(0, 0, kWideFrame.width(), kWideFrame.height());
        f->glMatrixMode(GL_PROJECTION);
        f->glLoadIdentity();
        f->glOrtho(kWidestRect.minPoint.longitude, kWidestRect.maxPoint.longitude, kWidestRect.minPoint.latitude,
                   kWidestRect.maxPoint.latitude, 100, -100);
        f->glMatrixMode(GL_MODELVIEW);
        f->glLoadIdentity();
        f->glEnable(GL_BLEND);
        f->glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
    ~WideTarget() { framebuffer.release(); }
    QOpenGLFramebufferObject framebuffer;
};

void BM_WidestFrame(benchmark::State &state)
{
    WideTarget target;
    QOpenGLFunctions_2_1 *f = MapBenchGL::shared().gl;
    BenchController controller(kWidestRect, kWideFrame);
    auto layer = windLayer(controller, state.range(0));
    const bool moved = state.range(1) != 0;
    layer->draw();
    f->glFinish();
    for (auto _ : state) {
        if (moved) {
            // A changed particle array, as after each step: the frame uploads it again.
            state.PauseTiming();
            layer->setElevation(0.0);
            state.ResumeTiming();
        }
        f->glClear(GL_COLOR_BUFFER_BIT);
        layer->draw();
        f->glFinish();
    }
    state.counters["particles"] = double(layer->particles().size());
}
BENCHMARK(BM_WidestFrame)
    ->ArgNames({"columns", "moved"})
    ->Args({122, 0})
    ->Args({122, 1})
    ->Args({150, 0})
    ->Args({150, 1})
    ->Unit(benchmark::kMillisecond);

// The floor: the same number of plain points at the layer's head size, one draw, same target.
void BM_WidestFramePointsFloor(benchmark::State &state)
{
    WideTarget target;
    QOpenGLFunctions_2_1 *f = MapBenchGL::shared().gl;
    BenchController controller(kWidestRect, kWideFrame);
    auto layer = windLayer(controller, state.range(0));
    std::vector<float> points;
    for (const OVGeoVertex &p : layer->particles())
        points.insert(points.end(), {p.x0, p.y0, p.red, p.green, p.blue, p.alpha});
    const auto count = GLsizei(layer->particles().size());
    // Plain points, whatever a layer drawn before in this context left enabled.
    f->glDisable(GL_POINT_SMOOTH);
    f->glPointSize(float(OVMapParticleModeLayer::pointSizeForColumns(
        uint64_t(state.range(0)), kWideFrame.width() / (kWidestRect.maxPoint.longitude - kWidestRect.minPoint.longitude))));
    f->glEnableClientState(GL_VERTEX_ARRAY);
    f->glEnableClientState(GL_COLOR_ARRAY);
    f->glVertexPointer(2, GL_FLOAT, 6 * sizeof(float), points.data());
    f->glColorPointer(4, GL_FLOAT, 6 * sizeof(float), points.data() + 2);
    f->glDrawArrays(GL_POINTS, 0, count);
    f->glFinish();
    for (auto _ : state) {
        f->glClear(GL_COLOR_BUFFER_BIT);
        f->glDrawArrays(GL_POINTS, 0, count);
        f->glFinish();
    }
    f->glDisableClientState(GL_COLOR_ARRAY);
    f->glDisableClientState(GL_VERTEX_ARRAY);
    f->glPointSize(1.0f);
    state.counters["particles"] = double(count);
}
BENCHMARK(BM_WidestFramePointsFloor)->ArgName("columns")->Arg(122)->Arg(150)->Unit(benchmark::kMillisecond);

// Where a default-density layer's memory goes: the resident set after each step, in MiB.
void BM_ParticleMemory(benchmark::State &state)
{
    for (auto _ : state) {
        const double start = residentMiB();
        BenchController controller(kWidestRect, kWideFrame);
        auto layer = windLayer(controller, 150); // grids made at first use, lattice, 60 steps
        const double withLayer = residentMiB();
        WideTarget target;
        for (int i = 0; i < 10; ++i)
            layer->draw();
        MapBenchGL::shared().gl->glFinish();
        const double drawn = residentMiB();
        state.counters["rss_start_MiB"] = start;
        state.counters["grids_layer_steps_MiB"] = withLayer - start;
        state.counters["framebuffer_draws_MiB"] = drawn - withLayer;
        state.counters["rss_MiB"] = drawn;
        state.counters["particle_array_MiB"] = double(layer->particles().size() * sizeof(OVGeoVertex)) / 1048576.0;
    }
}
BENCHMARK(BM_ParticleMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

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
