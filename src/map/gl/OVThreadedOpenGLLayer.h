// Drawing with OpenGL on a thread of its own, with two kinds of context: one master context
// that holds the shared objects (textures, buffers) and the drawing contexts that share with
// it. A view adopting OVThreadedLayerSupportedView hosts the layer and does the drawing.
//
// Threads: the layer is made and destroyed on the GUI thread, which also creates every context
// (and the master's offscreen surface) and then moves it to the render thread; everything GL
// runs on the render thread. `setNeedsDisplay` may come from any thread: it marks new content
// and wakes the render thread, which draws one frame for any number of requests made before it
// got to them. A frame (make current, the view's `openGLDraw`, swap) runs under the context
// lock that `lockContext`/`unlockContext` take, so other threads may use the drawing context
// safely in between. Teardown joins the render thread, then deletes the contexts and the
// offscreen surface on the GUI thread.
#pragma once

#include <QString>
#include <QSurfaceFormat>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

class QOffscreenSurface;
class QOpenGLContext;
class QThread;
class QWindow;

/// What the layer asks of the view that hosts it. Called on the render thread, with the
/// context in question current.
class OVThreadedLayerSupportedView
{
public:
    virtual ~OVThreadedLayerSupportedView() = default;
    virtual void openGLDraw() = 0;
    /// Sets up the master context's GL state and shared objects.
    virtual void prepareMasterContext() = 0;
    /// Sets up a drawing context's GL state.
    virtual void prepareDrawingContext() = 0;
};

class OVThreadedOpenGLLayer
{
public:
    /// Draws into `surface` (an OpenGL window that outlives the layer) with contexts of
    /// `format`; the render thread starts at once. GUI thread.
    OVThreadedOpenGLLayer(QWindow *surface, const QSurfaceFormat &format = QSurfaceFormat::defaultFormat());
    ~OVThreadedOpenGLLayer();
    OVThreadedOpenGLLayer(const OVThreadedOpenGLLayer &) = delete;
    OVThreadedOpenGLLayer &operator=(const OVThreadedOpenGLLayer &) = delete;

    /// Whether this platform lets a context be used on a thread other than the GUI thread.
    static bool supportsThreadedOpenGL();

    /// The view is not owned; clear it before it goes.
    void setParentView(OVThreadedLayerSupportedView *view);
    OVThreadedLayerSupportedView *parentView() const;

    /// Makes a new drawing context sharing with the master (making the master first, with
    /// prepareDrawingContext and prepareMasterContext in it), makes it current on the render
    /// thread and calls prepareDrawingContext there. The newest becomes the drawing context.
    /// Null, after a log line, when a context cannot be made. GUI thread; waits for the render
    /// thread.
    QOpenGLContext *copyContext();
    QOpenGLContext *masterContext() const;
    QOpenGLContext *drawingContext() const;

    /// Asks for a frame. Any thread.
    void setNeedsDisplay();
    /// Whether a frame was asked for since the last answer; clears the request.
    bool canDraw();

    /// Ends the render thread after the frame or work under way and waits for it; no frame and
    /// no work runs afterwards. Safe to call again. GUI thread.
    void stop();
    bool isStopped() const;

    /// Runs `work` on the render thread and waits for it; nothing once the layer is stopped.
    /// GUI thread (or any thread but the render thread).
    void runOnRenderThread(const std::function<void()> &work);
    QThread *renderThread() const;

    // Context helpers; each logs when it fails.
    /// Render thread.
    bool makeDrawingContextCurrent();
    bool makeMasterContextCurrent();
    void lockContext();
    void unlockContext();
    /// Shows what was drawn into the drawing context. Render thread.
    void flushBuffer();

private:
    class RenderThread;
    void renderLoop();
    void drawFrame();
    void post(std::function<void()> work);

    QWindow *mSurface;
    QSurfaceFormat mFormat;
    std::unique_ptr<QOffscreenSurface> mMasterSurface;
    std::unique_ptr<QOpenGLContext> mMasterContext;
    std::vector<std::unique_ptr<QOpenGLContext>> mDrawingContexts; // the newest is drawn with

    mutable std::mutex mStateMutex; // everything below but the context lock
    std::condition_variable mWake;
    std::deque<std::function<void()>> mJobs;
    bool mNewContent = false;
    bool mQuit = false;
    OVThreadedLayerSupportedView *mParentView = nullptr;
    QOpenGLContext *mDrawingContext = nullptr;

    std::recursive_mutex mContextLock;
    std::unique_ptr<QThread> mThread;
};
