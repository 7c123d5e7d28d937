// The texture loader with a real context sharing names with the test's drawing context: what it
// uploads reads back and draws as GL's rules say, callbacks reach the GUI thread, keys load
// once, failures reach the error handler, and teardown stops cleanly.
#include "map/gl/OVTextureLoader.h"

#include "support/GLTestContext.h"
#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QOpenGLFunctions_2_1>
#include <QThread>

#include <GL/glext.h>

#include <atomic>
#include <cmath>

namespace {

using ErrorHandler = OVTextureLoader::ErrorHandler;
using LoadedCallback = OVTextureLoader::LoadedCallback;
using Issue = std::function<void(OVTextureLoader &, ErrorHandler, LoadedCallback)>;

struct CountingDelegate final : OVTextureLoaderDelegate
{
    void redraw() override { ++redraws; }
    std::atomic<int> redraws{0};
};

struct Outcome
{
    std::optional<uint32_t> texture;
    QString error;
    bool onGuiThread = true;
};

QByteArray fixture(const QString &name)
{
    return readTestFile(testDataPath(QStringLiteral("map/") + name));
}

/// The RGB samples of a binary P6 file (maxval 255).
QList<int> ppmSamples(const QString &name)
{
    const QByteArray data = fixture(name);
    int newlines = 0;
    qsizetype pos = 0;
    while (newlines < 3 && pos < data.size())
        newlines += data[pos++] == '\n';
    QList<int> samples;
    for (; pos < data.size(); ++pos)
        samples.append(uchar(data[pos]));
    return samples;
}

QList<int> bytes(const QByteArray &data)
{
    QList<int> values;
    for (char c : data)
        values.append(uchar(c));
    return values;
}

class TextureLoaderGL : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(gl.isValid());
        loader = std::make_unique<OVTextureLoader>(gl.context(), registry);
        ASSERT_TRUE(loader->hasContext());
        loader->setDelegate(&delegate);
    }

    Outcome load(const Issue &issue)
    {
        auto outcome = std::make_shared<Outcome>();
        auto done = std::make_shared<bool>(false);
        const auto onGui = [] { return QThread::currentThread() == QCoreApplication::instance()->thread(); };
        issue(
            *loader,
            [=](const QString &message) {
                outcome->error = message;
                outcome->onGuiThread = onGui();
                *done = true;
            },
            [=](uint32_t texture) {
                outcome->texture = texture;
                outcome->onGuiThread = onGui();
                *done = true;
            });
        EXPECT_TRUE(waitUntil([&] { return *done; }));
        return *outcome;
    }

    bool isTexture(uint32_t texture)
    {
        gl.makeCurrent();
        return gl.gl()->glIsTexture(texture) == GL_TRUE;
    }

    GLTestContext gl{QSize(16, 16)};
    OVTextureRegistry registry;
    CountingDelegate delegate;
    std::unique_ptr<OVTextureLoader> loader;
};

int quantised(int value, int levels)
{
    return int(std::lround(std::lround(value * levels / 255.0) * 255.0 / levels));
}

struct FormatCase
{
    const char *name;
    Issue issue;
    int width;
    int height;
    QList<int> readBack; // RGBA as glGetTexImage gives it
    QList<int> drawn;    // RGBA in the framebuffer after a white, unblended GL_REPLACE draw
    int tolerance;
};

TEST_F(TextureLoaderGL, UploadsReadBackAndDrawAsGLSays)
{
    const uchar rgba[] = {10, 200, 30, 255, 250, 128, 64, 255};
    const uchar bgra[] = {30, 200, 10, 255, 64, 128, 250, 128};

    OVTextureLoaderJob palette;
    palette.imageData = fixture(QStringLiteral("palette_trns.png"));
    palette.generateCGImage();
    palette.generateRGBA();
    QList<int> rgb5a1;
    for (int i = 0; i < palette.rgba.size(); ++i)
        rgb5a1.append(quantised(uchar(palette.rgba[i]), i % 4 == 3 ? 1 : 31));

    OVTextureLoaderJob grey;
    grey.imageData = fixture(QStringLiteral("grey8.png"));
    grey.generateCGImage();
    grey.generateRGBA();
    QList<int> intensityRead, intensityDrawn;
    for (int i = 0; i < grey.rgba.size(); i += 4) {
        const int value = uchar(grey.rgba[i]);
        intensityRead << value << 0 << 0 << 255;
        intensityDrawn << value << value << value << value;
    }

    QList<int> jpeg;
    const QList<int> solid = ppmSamples(QStringLiteral("solid.ppm"));
    for (qsizetype i = 0; i < solid.size(); i += 3)
        jpeg << solid[i] << solid[i + 1] << solid[i + 2] << 255;

    const FormatCase cases[] = {
        {"RGBA pixels as RGBA",
         [&](OVTextureLoader &l, ErrorHandler e, LoadedCallback c) {
             l.loadTextureWithRGBAPixels(rgba, 2, 1, QString(), GL_RGBA, true, false, e, c);
         },
         2, 1, bytes(QByteArray(reinterpret_cast<const char *>(rgba), 8)),
         bytes(QByteArray(reinterpret_cast<const char *>(rgba), 8)), 1},
        {"BGRA pixels as RGBA",
         [&](OVTextureLoader &l, ErrorHandler e, LoadedCallback c) {
             l.loadTextureWithBGRAPixels(bgra, 2, 1, QString(), GL_RGBA, true, false, e, c);
         },
         2, 1, {10, 200, 30, 255, 250, 128, 64, 128}, {10, 200, 30, 255, 250, 128, 64, 128}, 1},
        {"palette PNG as RGB5_A1",
         [&](OVTextureLoader &l, ErrorHandler e, LoadedCallback c) {
             l.loadTextureData(palette.imageData, QString(), GL_RGB5_A1, true, false, e, c);
         },
         4, 2, rgb5a1, rgb5a1, 9},
        {"grey PNG as INTENSITY",
         [&](OVTextureLoader &l, ErrorHandler e, LoadedCallback c) {
             l.loadTextureData(grey.imageData, QString(), GL_INTENSITY, true, false, e, c);
         },
         8, 4, intensityRead, intensityDrawn, 1},
        {"JPEG as COMPRESSED_RGB",
         [&](OVTextureLoader &l, ErrorHandler e, LoadedCallback c) {
             l.loadTextureData(fixture(QStringLiteral("solid.jpg")), QString(), GL_COMPRESSED_RGB, true, false, e, c);
         },
         16, 16, jpeg, jpeg, 8},
    };
    for (const FormatCase &c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome outcome = load(c.issue);
        ASSERT_TRUE(outcome.texture) << outcome.error.toStdString();
        EXPECT_TRUE(outcome.onGuiThread);
        ASSERT_EQ(c.readBack.size(), c.width * c.height * 4);
        const QList<int> read = bytes(gl.textureBytes(*outcome.texture, c.width, c.height));
        gl.beginDrawing(Qt::black);
        gl.drawTexturedQuad(*outcome.texture, QRectF(0.0, gl.size().height() - c.height, c.width, c.height));
        const QImage drawn = gl.readBack();
        for (int i = 0; i < c.width * c.height * 4; ++i) {
            const int x = (i / 4) % c.width, y = (i / 4) / c.width;
            EXPECT_NEAR(read[i], c.readBack[i], c.tolerance) << "read back, pixel " << i / 4 << " channel " << i % 4;
            EXPECT_NEAR(uchar(drawn.constScanLine(y)[x * 4 + i % 4]), c.drawn[i], c.tolerance)
                << "drawn, pixel " << x << "," << y << " channel " << i % 4;
        }
        gl.gl()->glDeleteTextures(1, &*outcome.texture);
    }
    EXPECT_TRUE(registry.allItemsForLoader(loader.get()).isEmpty()); // keyless loads register nothing
}

TEST_F(TextureLoaderGL, AKeyQueuedTwiceUploadsOnceAndIsRegisteredAtItsCost)
{
    const uchar pixel[] = {1, 2, 3, 4};
    std::atomic<int> loaded{0};
    const auto count = [&](uint32_t) { ++loaded; };
    for (int i = 0; i < 2; ++i)
        loader->loadTextureWithRGBAPixels(pixel, 1, 1, QStringLiteral("tile/1"), GL_RGB5_A1, false, false, {}, count);
    const Outcome marker = load([&](OVTextureLoader &l, ErrorHandler e, LoadedCallback c) {
        l.loadTextureWithRGBAPixels(pixel, 1, 1, QString(), GL_RGBA, false, false, e, c);
    });
    ASSERT_TRUE(marker.texture);
    EXPECT_EQ(loaded.load(), 1);
    const QList<OVTextureLoaderItemPtr> items = registry.allItemsForLoader(loader.get());
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items.first()->size(), 2u);
    gl.makeCurrent();
    EXPECT_EQ(loader->textureNumberForKey(QStringLiteral("tile/1")), items.first()->textureNumber());
    EXPECT_TRUE(registry.queueKey(QStringLiteral("tile/1"))); // released after the upload
}

TEST_F(TextureLoaderGL, FailuresReachTheErrorHandlerWithTheKey)
{
    const uchar pixel[] = {1, 2, 3, 4};
    const struct
    {
        const char *key;
        Issue issue;
    } cases[] = {
        {"zero-width", [&](OVTextureLoader &l, ErrorHandler e, LoadedCallback c) {
             l.loadTextureWithBGRAPixels(pixel, 0, 1, QStringLiteral("zero-width"), GL_RGBA, true, false, e, c);
         }},
        {"junk", [&](OVTextureLoader &l, ErrorHandler e, LoadedCallback c) {
             l.loadTextureData(QByteArray("no image here"), QStringLiteral("junk"), GL_RGBA, true, false, e, c);
         }},
        {"truncated", [&](OVTextureLoader &l, ErrorHandler e, LoadedCallback c) {
             l.loadTextureData(fixture(QStringLiteral("truncated.png")), QStringLiteral("truncated"), GL_RGBA, true,
                               false, e, c);
         }},
    };
    LogCapture log;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.key);
        const Outcome outcome = load(c.issue);
        EXPECT_FALSE(outcome.texture);
        EXPECT_TRUE(outcome.onGuiThread);
        EXPECT_TRUE(outcome.error.contains(QLatin1String(c.key))) << outcome.error.toStdString();
        EXPECT_TRUE(log.contains(outcome.error));
        gl.makeCurrent();
        EXPECT_EQ(loader->textureNumberForKey(QLatin1String(c.key)), 0xFFFFFFFFu);
    }
}

TEST_F(TextureLoaderGL, AnEvictedTextureIsGoneFromGL)
{
    const uchar pixel[] = {1, 2, 3, 4};
    loader->loadTextureWithRGBAPixels(pixel, 1, 1, QStringLiteral("evict-me"), GL_RGBA);
    uint32_t texture = 0xFFFFFFFFu;
    ASSERT_TRUE(waitUntil([&] {
        gl.makeCurrent();
        texture = loader->textureNumberForKey(QStringLiteral("evict-me"));
        return texture != 0xFFFFFFFFu;
    }));
    EXPECT_TRUE(isTexture(texture));
    registry.setMaxTextureMemory(0);
    EXPECT_TRUE(registry.allItemsForLoader(loader.get()).isEmpty());
    EXPECT_TRUE(waitUntil([&] { return !isTexture(texture); }));
}

TEST_F(TextureLoaderGL, ADecodedImageIsUploadedTopRowFirst)
{
    QImage image(1, 2, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgb(255, 0, 0));
    image.setPixel(0, 1, qRgb(0, 0, 255));
    loader->loadTextureFromCGImage(image, QStringLiteral("image"), GL_RGBA);
    uint32_t texture = 0xFFFFFFFFu;
    ASSERT_TRUE(waitUntil([&] {
        gl.makeCurrent();
        texture = loader->textureNumberForKey(QStringLiteral("image"));
        return texture != 0xFFFFFFFFu;
    }));
    EXPECT_EQ(bytes(gl.textureBytes(texture, 1, 2)), (QList<int>{255, 0, 0, 255, 0, 0, 255, 255}));
    EXPECT_EQ(registry.textureMemoryUsed(), 8u);
}

TEST_F(TextureLoaderGL, APassTakesAtMostTenOrdinaryJobsAndRedrawsAfterEach)
{
    const uchar pixel[] = {1, 2, 3, 4};
    std::atomic<int> loaded{0};
    for (int i = 0; i < 25; ++i)
        loader->loadTextureWithRGBAPixels(pixel, 1, 1, QStringLiteral("k%1").arg(i), GL_RGBA, false, false, {},
                                          [&](uint32_t) { ++loaded; });
    ASSERT_TRUE(waitUntil([&] { return loaded == 25; }));
    EXPECT_GE(delegate.redraws.load(), 3);
}

TEST_F(TextureLoaderGL, DestroyingABusyLoaderJoinsItAndNoCallbackFollows)
{
    const QByteArray pixels(256 * 256 * 4, '\x7f');
    std::atomic<int> called{0};
    for (int i = 0; i < 40; ++i)
        loader->loadTextureWithRGBAPixels(reinterpret_cast<const uchar *>(pixels.constData()), 256, 256,
                                          QStringLiteral("big%1").arg(i), GL_RGBA, false, false,
                                          [&](const QString &) { ++called; }, [&](uint32_t) { ++called; });
    const OVTextureLoader *gone = loader.get();
    loader.reset();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 200);
    EXPECT_EQ(called.load(), 0);
    EXPECT_TRUE(registry.allItemsForLoader(gone).isEmpty());
    EXPECT_TRUE(registry.queueKey(QStringLiteral("big39"))); // waiting keys were released
}

TEST_F(TextureLoaderGL, ACallbackForAReceiverThatIsGoneIsNotCalled)
{
    const uchar pixel[] = {1, 2, 3, 4};
    bool called = false;
    auto receiver = std::make_unique<QObject>();
    loader->loadTextureWithRGBAPixels(pixel, 1, 1, QString(), GL_RGBA, true, false, {},
                                      [&](uint32_t) { called = true; }, receiver.get());
    receiver.reset();
    const Outcome marker = load([&](OVTextureLoader &l, ErrorHandler e, LoadedCallback c) {
        l.loadTextureWithRGBAPixels(pixel, 1, 1, QString(), GL_RGBA, false, false, e, c);
    });
    EXPECT_TRUE(marker.texture);
    EXPECT_FALSE(called);
}

TEST(TextureLoaderWithoutContext, ReportsEveryLoadAndLogsOnce)
{
    OVTextureRegistry registry;
    LogCapture log;
    OVTextureLoader loader(nullptr, registry);
    QStringList errors;
    for (int i = 0; i < 2; ++i)
        loader.loadTextureData(QByteArray("x"), QStringLiteral("key%1").arg(i), GL_RGBA, true, false,
                               [&](const QString &message) { errors.append(message); });
    ASSERT_TRUE(waitUntil([&] { return errors.size() == 2; }));
    EXPECT_TRUE(errors[1].contains(QStringLiteral("No OpenGL context")));
    EXPECT_TRUE(errors[1].contains(QStringLiteral("key1")));
    EXPECT_EQ(log.lines().filter(QStringLiteral("[OVTextureLoader init]")).size(), 1);
    EXPECT_TRUE(registry.queueKey(QStringLiteral("key0")));
}

} // namespace
