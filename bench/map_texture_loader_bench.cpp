// bench-libraries: nimbrel_map
// Texture loading for the map: 512-pixel tiles through the loader (100 queued, timed to the last
// callback), against decoding alone and against a plain glTexImage2D on the drawing thread
// without the pixel buffer. Counters: tiles/s, MB/s of 32-bit pixels, and the bytes the
// registry charges per tile for the internal format.
//
// Needs an X display with OpenGL: xvfb-run -a -s "-screen 0 1600x1000x24" ./map_texture_loader_bench
#include "MapBenchGL.h"
#include "map/gl/OVTextureLoader.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions_2_1>
#include <QOpenGLVersionFunctionsFactory>

#include <GL/glext.h>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace {

constexpr int kTile = 512;
constexpr int kQueue = 100;

enum Source { PngColour, PngGrey, Jpeg, RawBGRA };

QImage tileImage(bool grey)
{
    QImage image(kTile, kTile, QImage::Format_ARGB32);
    uint32_t noise = 12345;
    for (int y = 0; y < kTile; ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < kTile; ++x) {
            noise = noise * 1664525u + 1013904223u;
            const int n = int(noise >> 28);
            const int v = (x / 2 + y / 4 + n) & 0xFF;
            row[x] = grey ? qRgb(v, v, v) : qRgba(v, (x + n) & 0xFF, (y * 3) & 0xFF, 255);
        }
    }
    return grey ? image.convertToFormat(QImage::Format_Grayscale8) : image;
}

QByteArray encoded(Source source)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    tileImage(source == PngGrey).save(&buffer, source == Jpeg ? "JPEG" : "PNG");
    return bytes;
}

QByteArray bgraPixels()
{
    const QImage image = tileImage(false).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    return QByteArray(reinterpret_cast<const char *>(image.constBits()), qsizetype(image.sizeInBytes()));
}

using GLSetup = MapBenchGL;

GLSetup &glSetup()
{
    return MapBenchGL::shared();
}

void setCounters(benchmark::State &state, int32_t internalFormat)
{
    const double tiles = double(state.iterations()) * kQueue;
    state.counters["tiles/s"] = benchmark::Counter(tiles, benchmark::Counter::kIsRate);
    state.counters["MB/s"] = benchmark::Counter(tiles * kTile * kTile * 4 / 1e6, benchmark::Counter::kIsRate);
    state.counters["charged_bytes_per_tile"] =
        double(uint64_t(kTile) * kTile * OVTextureRegistry::pixelSizeOfFormat(uint32_t(internalFormat)));
}

void BM_Loader(benchmark::State &state, Source source, int32_t internalFormat)
{
    GLSetup &setup = glSetup();
    OVTextureRegistry registry;
    registry.setMaxTextureMemory(uint64_t(4) << 30);
    OVTextureLoader loader(&setup.context, registry);
    const QByteArray data = source == RawBGRA ? bgraPixels() : encoded(source);
    int round = 0;
    for (auto _ : state) {
        int loaded = 0;
        const auto done = [&](uint32_t) { ++loaded; };
        for (int i = 0; i < kQueue; ++i) {
            const QString key = QStringLiteral("bench/%1/%2").arg(round).arg(i);
            if (source == RawBGRA)
                loader.loadTextureWithBGRAPixels(reinterpret_cast<const uchar *>(data.constData()), kTile, kTile, key,
                                                 internalFormat, false, false, {}, done);
            else
                loader.loadTextureData(data, key, internalFormat, false, false, {}, done);
        }
        while (loaded < kQueue)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        state.PauseTiming();
        loader.deleteAllTextures();
        ++round;
        state.ResumeTiming();
    }
    setCounters(state, internalFormat);
}

void BM_DecodeOnly(benchmark::State &state, Source source)
{
    const QByteArray data = encoded(source);
    for (auto _ : state) {
        for (int i = 0; i < kQueue; ++i) {
            OVTextureLoaderJob job;
            job.imageData = data;
            job.generateCGImage();
            job.generateBGRA();
            benchmark::DoNotOptimize(job.bgra.constData());
        }
    }
    setCounters(state, 0);
}

void BM_PlainTexImage(benchmark::State &state, int32_t internalFormat)
{
    GLSetup &setup = glSetup();
    const QByteArray pixels = bgraPixels();
    QList<GLuint> names(kQueue);
    for (auto _ : state) {
        setup.gl->glGenTextures(kQueue, names.data());
        for (GLuint name : names) {
            setup.gl->glBindTexture(GL_TEXTURE_2D, name);
            setup.gl->glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, kTile, kTile, 0, GL_BGRA,
                                   GL_UNSIGNED_INT_8_8_8_8_REV, pixels.constData());
        }
        setup.gl->glFinish();
        state.PauseTiming();
        setup.gl->glDeleteTextures(kQueue, names.data());
        state.ResumeTiming();
    }
    setCounters(state, internalFormat);
}

BENCHMARK_CAPTURE(BM_Loader, png_to_rgb5_a1, PngColour, GL_RGB5_A1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Loader, grey_png_to_intensity, PngGrey, GL_INTENSITY)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Loader, jpeg_to_compressed_rgb, Jpeg, GL_COMPRESSED_RGB)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Loader, bgra_to_rgb5_a1, RawBGRA, GL_RGB5_A1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Loader, bgra_to_intensity, RawBGRA, GL_INTENSITY)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Loader, bgra_to_compressed_rgb, RawBGRA, GL_COMPRESSED_RGB)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_DecodeOnly, png, PngColour)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DecodeOnly, grey_png, PngGrey)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DecodeOnly, jpeg, Jpeg)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PlainTexImage, rgb5_a1, GL_RGB5_A1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_PlainTexImage, intensity, GL_INTENSITY)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_PlainTexImage, compressed_rgb, GL_COMPRESSED_RGB)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    return MapBenchGL::run(argc, argv);
}
