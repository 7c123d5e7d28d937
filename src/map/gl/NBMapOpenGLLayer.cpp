#include "map/gl/NBMapOpenGLLayer.h"

#include "map/gl/OVTextureLoader.h"
#include "platform/OVLog.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions>
#include <QThread>

namespace {

/// Sets every pixel's alpha to one, leaving the colours as drawn. The frame is shown as an
/// opaque picture, as a window shows its framebuffer, so what the drawing left in the alpha
/// channel (blending writes it too) must not make the image see-through.
void makeOpaque(QOpenGLFunctions &gl)
{
    GLfloat clear[4] = {0, 0, 0, 0};
    GLboolean mask[4] = {GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE};
    gl.glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    gl.glGetBooleanv(GL_COLOR_WRITEMASK, mask);
    gl.glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_TRUE);
    gl.glClearColor(0, 0, 0, 1);
    gl.glClear(GL_COLOR_BUFFER_BIT);
    gl.glColorMask(mask[0], mask[1], mask[2], mask[3]);
    gl.glClearColor(clear[0], clear[1], clear[2], clear[3]);
}

} // namespace

NBMapOpenGLLayer::NBMapOpenGLLayer(QOpenGLContext *shareContext, const QSurfaceFormat &format)
    : mOwnerThread(QThread::currentThread())
    , mThread(QThread::create([this] { renderLoop(); }))
{
    mThread->setObjectName(QStringLiteral("NBMapOpenGLLayer"));
    if (!OVThreadedOpenGLLayer::supportsThreadedOpenGL()) {
        OVLog(QStringLiteral("Error: Could not create the map's drawing context: %1")
                  .arg(QStringLiteral("this platform cannot draw with OpenGL on a thread of its own")));
    } else {
        auto surface = std::make_unique<QOffscreenSurface>();
        surface->setFormat(format);
        surface->create();
        auto context = std::make_unique<QOpenGLContext>();
        context->setFormat(format);
        context->setShareContext(shareContext);
        if (!surface->isValid() || !context->create() || (shareContext && !context->shareContext())) {
            OVLog(QStringLiteral("Error: Could not create the map's drawing context: %1")
                      .arg(QStringLiteral("no OpenGL context of the requested format sharing with the texture loader's")));
        } else {
            context->moveToThread(mThread.get());
            mSurface = std::move(surface);
            mContext = std::move(context);
        }
    }
    mThread->start();
}

NBMapOpenGLLayer::~NBMapOpenGLLayer()
{
    stop();
    mContext.reset();
    mSurface.reset();
}

QThread *NBMapOpenGLLayer::renderThread() const
{
    return mThread.get();
}

void NBMapOpenGLLayer::setParentView(OVThreadedLayerSupportedView *view)
{
    std::lock_guard lock(mStateMutex);
    mParentView = view;
}

void NBMapOpenGLLayer::setFrameDrawnHandler(std::function<void()> handler)
{
    std::lock_guard lock(mStateMutex);
    mFrameDrawn = std::move(handler);
}

void NBMapOpenGLLayer::setDrawableSize(const QSize &pixels, double scale)
{
    std::lock_guard lock(mStateMutex);
    mPixelSize = pixels;
    mScale = scale > 0.0 ? scale : 1.0;
}

void NBMapOpenGLLayer::setNeedsDisplay()
{
    {
        std::lock_guard lock(mStateMutex);
        mNewContent = true;
    }
    mWake.notify_all();
}

bool NBMapOpenGLLayer::canDraw()
{
    std::lock_guard lock(mStateMutex);
    const bool draw = mNewContent;
    mNewContent = false;
    return draw;
}

bool NBMapOpenGLLayer::isBusy() const
{
    std::lock_guard lock(mStateMutex);
    return mNewContent || mDrawing;
}

QImage NBMapOpenGLLayer::frame() const
{
    std::lock_guard lock(mStateMutex);
    return mFrame;
}

void NBMapOpenGLLayer::stop()
{
    {
        std::lock_guard lock(mStateMutex);
        mQuit = true;
        mParentView = nullptr;
        mFrameDrawn = nullptr;
    }
    mWake.notify_all();
    mThread->wait();
}

bool NBMapOpenGLLayer::makeCurrentForTeardown()
{
    return mContext && mContext->thread() == QThread::currentThread() && mContext->makeCurrent(mSurface.get());
}

void NBMapOpenGLLayer::doneCurrentAfterTeardown()
{
    if (mContext && QOpenGLContext::currentContext() == mContext.get())
        mContext->doneCurrent();
}

void NBMapOpenGLLayer::renderLoop()
{
    for (;;) {
        {
            std::unique_lock lock(mStateMutex);
            mWake.wait(lock, [this] { return mQuit || mNewContent; });
            if (mQuit)
                break;
            mDrawing = true;
        }
        if (canDraw())
            drawFrame();
        std::lock_guard lock(mStateMutex);
        mDrawing = false;
    }
    if (!mContext)
        return;
    // The framebuffer goes in its own context; then the context goes home, so the owner can
    // make it current to free what was drawn with it.
    if (mFramebuffer)
        mContext->makeCurrent(mSurface.get());
    mFramebuffer.reset();
    if (QOpenGLContext::currentContext())
        QOpenGLContext::currentContext()->doneCurrent();
    mContext->moveToThread(mOwnerThread);
}

void NBMapOpenGLLayer::drawFrame()
{
    OVThreadedLayerSupportedView *view = nullptr;
    QSize size;
    double scale = 1.0;
    {
        std::lock_guard lock(mStateMutex);
        view = mParentView;
        size = mPixelSize;
        scale = mScale;
    }
    if (!mContext || !view || size.isEmpty())
        return;
    if (!mContext->makeCurrent(mSurface.get())) {
        OVLog(QStringLiteral("set current context failed %1").arg(1));
        return;
    }
    if (!mFramebuffer || mFramebuffer->size() != size) {
        mFramebuffer.reset();
        mFramebuffer = std::make_unique<QOpenGLFramebufferObject>(size, QOpenGLFramebufferObject::CombinedDepthStencil);
        if (!mFramebuffer->isValid()) {
            OVLog(QStringLiteral("Map: no framebuffer of %1 x %2 pixels; the frame is skipped.")
                      .arg(size.width())
                      .arg(size.height()));
            mFramebuffer.reset();
            return;
        }
    }
    QImage image;
    {
        // Reading back finishes the frame's drawing: it waits out the loader's uploads too.
        const std::lock_guard glLock(OVTextureLoader::sharedGLMutex());
        mFramebuffer->bind();
        if (!mPrepared) {
            view->prepareDrawingContext();
            mPrepared = true;
        }
        mContext->functions()->glViewport(0, 0, size.width(), size.height());
        view->openGLDraw();
        makeOpaque(*mContext->functions());
        image = mFramebuffer->toImage(true);
        mFramebuffer->release();
    }
    image.setDevicePixelRatio(scale);
    std::function<void()> handler;
    {
        std::lock_guard lock(mStateMutex);
        mFrame = std::move(image);
        handler = mFrameDrawn;
    }
    ++mFramesDrawn;
    if (handler)
        handler();
}
