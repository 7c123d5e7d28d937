#include "map/gl/OVThreadedOpenGLLayer.h"

#include "platform/OVLog.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QThread>
#include <QWindow>

#include <future>

namespace {

/// Makes `context` current on `surface`, logging when it cannot.
bool makeCurrentOrLog(QOpenGLContext *context, QSurface *surface)
{
    const bool made = context && context->makeCurrent(surface);
    if (!made)
        OVLog(QStringLiteral("set current context failed %1").arg(1));
    return made;
}

} // namespace

class OVThreadedOpenGLLayer::RenderThread final : public QThread
{
public:
    explicit RenderThread(OVThreadedOpenGLLayer &layer)
        : mLayer(layer)
    {
        setObjectName(QStringLiteral("OVThreadedOpenGLLayer"));
    }

protected:
    void run() override { mLayer.renderLoop(); }

private:
    OVThreadedOpenGLLayer &mLayer;
};

bool OVThreadedOpenGLLayer::supportsThreadedOpenGL()
{
    return QOpenGLContext::supportsThreadedOpenGL();
}

OVThreadedOpenGLLayer::OVThreadedOpenGLLayer(QWindow *surface, const QSurfaceFormat &format)
    : mSurface(surface)
    , mFormat(format)
    , mThread(std::make_unique<RenderThread>(*this))
{
    mThread->start();
}

OVThreadedOpenGLLayer::~OVThreadedOpenGLLayer()
{
    stop();
    // The render thread is gone: its contexts come home to be deleted here.
    mDrawingContext = nullptr;
    mDrawingContexts.clear();
    mMasterContext.reset();
    mMasterSurface.reset();
}

void OVThreadedOpenGLLayer::stop()
{
    {
        std::lock_guard lock(mStateMutex);
        mQuit = true;
        mParentView = nullptr;
    }
    mWake.notify_all();
    mThread->wait();
}

bool OVThreadedOpenGLLayer::isStopped() const
{
    std::lock_guard lock(mStateMutex);
    return mQuit;
}

void OVThreadedOpenGLLayer::setParentView(OVThreadedLayerSupportedView *view)
{
    std::lock_guard lock(mStateMutex);
    mParentView = view;
}

OVThreadedLayerSupportedView *OVThreadedOpenGLLayer::parentView() const
{
    std::lock_guard lock(mStateMutex);
    return mParentView;
}

QOpenGLContext *OVThreadedOpenGLLayer::masterContext() const
{
    return mMasterContext.get();
}

QOpenGLContext *OVThreadedOpenGLLayer::drawingContext() const
{
    std::lock_guard lock(mStateMutex);
    return mDrawingContext;
}

QThread *OVThreadedOpenGLLayer::renderThread() const
{
    return mThread.get();
}

QOpenGLContext *OVThreadedOpenGLLayer::copyContext()
{
    if (isStopped())
        return nullptr;
    if (!mMasterContext) {
        if (!supportsThreadedOpenGL()) {
            OVLog(QStringLiteral("Error: Could not create master context: %1")
                      .arg(QStringLiteral("this platform cannot draw with OpenGL on a thread of its own")));
            return nullptr;
        }
        auto surface = std::make_unique<QOffscreenSurface>();
        surface->setFormat(mFormat);
        surface->create();
        auto master = std::make_unique<QOpenGLContext>();
        master->setFormat(mFormat);
        if (!surface->isValid() || !master->create()) {
            OVLog(QStringLiteral("Error: Could not create master context: %1")
                      .arg(QStringLiteral("no OpenGL context of the requested format")));
            return nullptr;
        }
        master->moveToThread(mThread.get());
        mMasterSurface = std::move(surface);
        mMasterContext = std::move(master);
        runOnRenderThread([this] {
            if (!makeMasterContextCurrent())
                return;
            {
                std::lock_guard lock(mStateMutex);
                mDrawingContext = mMasterContext.get();
            }
            if (OVThreadedLayerSupportedView *view = parentView()) {
                view->prepareDrawingContext();
                view->prepareMasterContext();
            }
        });
    }
    auto drawing = std::make_unique<QOpenGLContext>();
    drawing->setFormat(mFormat);
    drawing->setShareContext(mMasterContext.get());
    if (!drawing->create() || !drawing->shareContext()) {
        OVLog(QStringLiteral("Error: Could not create drawing context: %1")
                  .arg(QStringLiteral("no OpenGL context sharing with the master context")));
        return nullptr;
    }
    drawing->moveToThread(mThread.get());
    QOpenGLContext *made = drawing.get();
    mDrawingContexts.push_back(std::move(drawing));
    runOnRenderThread([this, made] {
        std::lock_guard frame(mContextLock);
        if (!makeCurrentOrLog(made, mSurface))
            return;
        if (OVThreadedLayerSupportedView *view = parentView())
            view->prepareDrawingContext();
        std::lock_guard lock(mStateMutex);
        mDrawingContext = made;
    });
    return made;
}

void OVThreadedOpenGLLayer::setNeedsDisplay()
{
    {
        std::lock_guard lock(mStateMutex);
        mNewContent = true;
    }
    mWake.notify_all();
}

bool OVThreadedOpenGLLayer::canDraw()
{
    std::lock_guard lock(mStateMutex);
    const bool draw = mNewContent;
    mNewContent = false;
    return draw;
}

void OVThreadedOpenGLLayer::post(std::function<void()> work)
{
    {
        std::lock_guard lock(mStateMutex);
        mJobs.push_back(std::move(work));
    }
    mWake.notify_all();
}

void OVThreadedOpenGLLayer::runOnRenderThread(const std::function<void()> &work)
{
    if (QThread::currentThread() == mThread.get()) {
        work();
        return;
    }
    if (isStopped())
        return;
    std::promise<void> done;
    std::future<void> finished = done.get_future();
    post([&work, &done] {
        work();
        done.set_value();
    });
    finished.wait();
}

void OVThreadedOpenGLLayer::renderLoop()
{
    for (;;) {
        std::function<void()> job;
        bool frameOwed = false;
        {
            std::unique_lock lock(mStateMutex);
            mWake.wait(lock, [this] { return mQuit || !mJobs.empty() || mNewContent; });
            if (mQuit)
                break;
            // A requested frame comes before queued work, so work queued after a request
            // finds the frame drawn.
            frameOwed = mNewContent;
            if (!frameOwed) {
                job = std::move(mJobs.front());
                mJobs.pop_front();
            }
        }
        if (job) {
            job();
            continue;
        }
        // Requests made while another thread holds the context lock come to one frame.
        std::lock_guard frame(mContextLock);
        if (canDraw())
            drawFrame();
    }
    // Nothing stays current on a thread that ends.
    if (QOpenGLContext *current = QOpenGLContext::currentContext())
        current->doneCurrent();
    // Any job still waiting is run so its caller does not wait for ever.
    std::deque<std::function<void()>> left;
    {
        std::lock_guard lock(mStateMutex);
        left.swap(mJobs);
    }
    for (auto &job : left)
        job();
}

void OVThreadedOpenGLLayer::drawFrame()
{
    QOpenGLContext *context = drawingContext();
    OVThreadedLayerSupportedView *view = parentView();
    if (!context || context == mMasterContext.get() || !view)
        return;
    if (!makeCurrentOrLog(context, mSurface))
        return;
    view->openGLDraw();
    flushBuffer();
}

bool OVThreadedOpenGLLayer::makeDrawingContextCurrent()
{
    return makeCurrentOrLog(drawingContext(), mSurface);
}

bool OVThreadedOpenGLLayer::makeMasterContextCurrent()
{
    return makeCurrentOrLog(mMasterContext.get(), mMasterSurface.get());
}

void OVThreadedOpenGLLayer::lockContext()
{
    mContextLock.lock();
}

void OVThreadedOpenGLLayer::unlockContext()
{
    mContextLock.unlock();
}

void OVThreadedOpenGLLayer::flushBuffer()
{
    QOpenGLContext *context = drawingContext();
    if (context && mSurface->isExposed())
        context->swapBuffers(mSurface);
}
