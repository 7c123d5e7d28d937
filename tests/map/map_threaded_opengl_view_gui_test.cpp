// The threaded OpenGL view under Xvfb: one frame for any number of requests made before it,
// contexts (one master, a new drawing context at each request), the demonstration drawing read
// back before the swap, a texture made in the master context drawn in the drawing context, and
// a view that joins its render thread when it is closed.
#include "map/gl/OVThreadedOpenGLView.h"

#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <QOpenGLContext>
#include <QOpenGLFunctions_2_1>
#include <QOpenGLVersionFunctionsFactory>
#include <QTest>
#include <QThread>

#include <atomic>
#include <mutex>

namespace {

QOpenGLFunctions_2_1 *currentGL()
{
    QOpenGLContext *context = QOpenGLContext::currentContext();
    return context ? QOpenGLVersionFunctionsFactory::get<QOpenGLFunctions_2_1>(context) : nullptr;
}

/// Counts the layer's calls and reads every frame back before it is shown. With `textured`,
/// draws a texture made in the master context over the whole view instead of the triangle.
class ProbeView final : public OVThreadedOpenGLView
{
public:
    static constexpr QRgb kTextureColour = qRgb(200, 40, 90);

    explicit ProbeView(bool textured = false)
        : mTextured(textured)
    {
    }
    ~ProbeView() override { stopDrawing(); } // the drawing reads members of this class

    void openGLDraw() override
    {
        QOpenGLFunctions_2_1 *gl = currentGL();
        ASSERT_TRUE(gl);
        if (mTextured)
            drawTexture(*gl);
        else
            OVThreadedOpenGLView::openGLDraw();
        const QSize size = drawingSize();
        QImage frame(size, QImage::Format_RGBA8888);
        gl->glReadPixels(0, 0, size.width(), size.height(), GL_RGBA, GL_UNSIGNED_BYTE, frame.bits());
        {
            std::lock_guard lock(mMutex);
            mFrame = frame.mirrored(); // GL rows run bottom up
        }
        ++draws;
    }
    void prepareMasterContext() override
    {
        ++masterPreparations;
        QOpenGLFunctions_2_1 *gl = currentGL();
        ASSERT_TRUE(gl);
        const QRgb texel = kTextureColour;
        const unsigned char pixels[16] = {
            uchar(qRed(texel)), uchar(qGreen(texel)), uchar(qBlue(texel)), 255, uchar(qRed(texel)), uchar(qGreen(texel)),
            uchar(qBlue(texel)), 255, uchar(qRed(texel)), uchar(qGreen(texel)), uchar(qBlue(texel)), 255,
            uchar(qRed(texel)), uchar(qGreen(texel)), uchar(qBlue(texel)), 255};
        gl->glGenTextures(1, &texture);
        gl->glBindTexture(GL_TEXTURE_2D, texture);
        gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        gl->glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
        gl->glFinish(); // visible to the sharing contexts from here on
    }
    void prepareDrawingContext() override { ++drawingPreparations; }

    QImage frame() const
    {
        std::lock_guard lock(mMutex);
        return mFrame;
    }

    std::atomic<int> draws{0};
    std::atomic<int> masterPreparations{0};
    std::atomic<int> drawingPreparations{0};
    GLuint texture = 0;

private:
    void drawTexture(QOpenGLFunctions_2_1 &gl)
    {
        const QSize size = drawingSize();
        gl.glViewport(0, 0, size.width(), size.height());
        gl.glClearColor(0, 0, 0, 1);
        gl.glClear(GL_COLOR_BUFFER_BIT);
        gl.glMatrixMode(GL_PROJECTION);
        gl.glLoadIdentity();
        gl.glMatrixMode(GL_MODELVIEW);
        gl.glLoadIdentity();
        gl.glEnable(GL_TEXTURE_2D);
        gl.glBindTexture(GL_TEXTURE_2D, texture);
        gl.glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
        gl.glBegin(GL_QUADS);
        gl.glTexCoord2f(0, 0);
        gl.glVertex2f(-1, -1);
        gl.glTexCoord2f(1, 0);
        gl.glVertex2f(1, -1);
        gl.glTexCoord2f(1, 1);
        gl.glVertex2f(1, 1);
        gl.glTexCoord2f(0, 1);
        gl.glVertex2f(-1, 1);
        gl.glEnd();
        gl.glDisable(GL_TEXTURE_2D);
    }

    bool mTextured;
    mutable std::mutex mMutex;
    QImage mFrame;
};

class ThreadedViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!OVThreadedOpenGLLayer::supportsThreadedOpenGL())
            GTEST_SKIP() << "this display cannot draw with OpenGL on another thread";
    }

    ProbeView &shown(bool textured = false)
    {
        view = std::make_unique<ProbeView>(textured);
        view->resize(300, 200);
        view->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        EXPECT_TRUE(waitUntil([&] { return view->draws > 0; }));
        // Settle: no frame is owed once a job queued after the requests has run.
        view->openglLayer()->runOnRenderThread([] {});
        return *view;
    }

    std::unique_ptr<ProbeView> view;
};

TEST_F(ThreadedViewTest, TheDemonstrationDrawing)
{
    ProbeView &probe = shown();
    const QImage frame = probe.frame();
    ASSERT_EQ(frame.size(), QSize(300, 200));
    const auto near = [](QRgb pixel, int grey, int tolerance) {
        return std::abs(qRed(pixel) - grey) <= tolerance && std::abs(qGreen(pixel) - grey) <= tolerance &&
               std::abs(qBlue(pixel) - grey) <= tolerance;
    };
    EXPECT_TRUE(near(frame.pixel(5, 5), 51, 1));
    EXPECT_TRUE(near(frame.pixel(295, 195), 51, 1));
    // The centroid (0, -1/3) of the triangle: 7/12 of the height from the top.
    const QRgb centroid = frame.pixel(150, 200 * 7 / 12);
    EXPECT_TRUE(near(centroid, 85, 4)) << qRed(centroid) << "," << qGreen(centroid) << "," << qBlue(centroid);
    // Just below the top vertex (0, 1), a quarter of the height from the top.
    const QRgb top = frame.pixel(150, 50 + 3);
    EXPECT_GT(qRed(top), 200);
    EXPECT_LT(qGreen(top), 40);
    EXPECT_LT(qBlue(top), 40);
}

TEST_F(ThreadedViewTest, TwoRequestsBeforeAFrameGiveOneFrame)
{
    ProbeView &probe = shown();
    OVThreadedOpenGLLayer &layer = *probe.openglLayer();
    const int before = probe.draws;
    probe.lockContext(); // the render thread cannot start a frame meanwhile
    layer.setNeedsDisplay();
    layer.setNeedsDisplay();
    probe.unlockContext();
    ASSERT_TRUE(waitUntil([&] { return probe.draws > before; }));
    layer.runOnRenderThread([] {}); // any owed frame comes before this
    EXPECT_EQ(probe.draws, before + 1);
    EXPECT_FALSE(layer.canDraw());
}

TEST_F(ThreadedViewTest, ASecondRequestMakesOnlyANewDrawingContext)
{
    ProbeView &probe = shown();
    OVThreadedOpenGLLayer &layer = *probe.openglLayer();
    EXPECT_EQ(probe.masterPreparations, 1);
    EXPECT_EQ(probe.drawingPreparations, 2); // in the master, then in the first drawing context
    QOpenGLContext *master = layer.masterContext();
    QOpenGLContext *first = layer.drawingContext();
    ASSERT_TRUE(master && first);
    EXPECT_NE(master, first);
    EXPECT_TRUE(QOpenGLContext::areSharing(first, master));

    QOpenGLContext *second = layer.copyContext();
    ASSERT_TRUE(second);
    EXPECT_NE(second, first);
    EXPECT_EQ(layer.masterContext(), master);
    EXPECT_EQ(layer.drawingContext(), second);
    EXPECT_EQ(probe.masterPreparations, 1);
    EXPECT_EQ(probe.drawingPreparations, 3);

    const int before = probe.draws;
    layer.setNeedsDisplay();
    EXPECT_TRUE(waitUntil([&] { return probe.draws > before; }));
}

TEST_F(ThreadedViewTest, ATextureMadeInTheMasterContextDrawsInTheDrawingContext)
{
    ProbeView &probe = shown(true);
    ASSERT_NE(probe.texture, 0u);
    const QImage frame = probe.frame();
    ASSERT_FALSE(frame.isNull());
    EXPECT_EQ(frame.pixel(150, 100) & 0xffffff, ProbeView::kTextureColour & 0xffffff);
}

TEST_F(ThreadedViewTest, ClosingTheViewJoinsItsThread)
{
    ProbeView &probe = shown();
    QThread *thread = probe.openglLayer()->renderThread();
    ASSERT_TRUE(thread->isRunning());
    std::atomic<bool> finished{false};
    QObject::connect(thread, &QThread::finished, thread, [&] { finished = true; }, Qt::DirectConnection);
    probe.close();
    EXPECT_TRUE(finished);
    EXPECT_EQ(probe.openglLayer()->copyContext(), nullptr); // nothing draws any more
    const int draws = probe.draws;
    probe.openglLayer()->setNeedsDisplay();
    probe.openglLayer()->runOnRenderThread([] {});
    EXPECT_EQ(probe.draws, draws);
    view.reset();
}

} // namespace
