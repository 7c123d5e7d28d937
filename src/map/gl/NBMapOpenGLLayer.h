// The map's drawing layer: a thread of its own that draws the map with OpenGL into an offscreen
// framebuffer and hands each finished frame to the window as an image.
//
// The window's thread never touches OpenGL and never waits for a frame: a frame on Mesa's
// software renderer costs tens of milliseconds (far more with wind particles), and while the
// window's thread drew it, menus, typing and the graph drag waited. The view asks for a frame
// with `setNeedsDisplay` (any thread, any number of times: the render thread draws one frame for
// every run of requests made before it got to them), the render thread makes its context
// current, calls the view's `openGLDraw` with the layer's framebuffer bound at the size the view
// last gave, reads the pixels back and publishes them; `frame` answers the newest published
// image and the frame-drawn handler tells the view (on the render thread) that one is ready.
// Reading back costs a copy of the frame, a few milliseconds on the render thread; the window
// then draws an image, which takes it about a millisecond.
//
// Threads: made and stopped on the GUI thread, which also makes the context (sharing with the
// given share context, so the texture loader's textures are visible to it) and its offscreen
// surface; the context lives on the render thread until `stop`, which joins the thread and
// hands the context back to the GUI thread, where `makeCurrentForTeardown` lets the owner free
// what it drew with. Everything GL between the two runs on the render thread.
#pragma once

#include "map/gl/OVThreadedOpenGLLayer.h"

#include <QImage>
#include <QSize>
#include <QSurfaceFormat>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

class QOffscreenSurface;
class QOpenGLContext;
class QOpenGLFramebufferObject;
class QThread;

class NBMapOpenGLLayer
{
public:
    /// Makes the drawing context, sharing with `shareContext` when given, and starts the render
    /// thread. GUI thread. Without a context (logged) the layer draws nothing.
    explicit NBMapOpenGLLayer(QOpenGLContext *shareContext,
                              const QSurfaceFormat &format = QSurfaceFormat::defaultFormat());
    ~NBMapOpenGLLayer();
    NBMapOpenGLLayer(const NBMapOpenGLLayer &) = delete;
    NBMapOpenGLLayer &operator=(const NBMapOpenGLLayer &) = delete;

    bool hasContext() const { return mContext != nullptr; }
    QOpenGLContext *context() const { return mContext.get(); }
    QThread *renderThread() const;

    /// The view that draws (not owned); clear it before it goes. `prepareDrawingContext` is
    /// called before its first frame in the context.
    void setParentView(OVThreadedLayerSupportedView *view);
    /// Called on the render thread after each frame is published.
    void setFrameDrawnHandler(std::function<void()> handler);

    /// The size of the frames to draw, in device pixels, and the device pixels per point the
    /// images carry. Any thread; the next frame takes it.
    void setDrawableSize(const QSize &pixels, double scale);

    /// Asks for a frame. Any thread.
    void setNeedsDisplay();
    /// Whether a frame was asked for since the last answer; clears the request.
    bool canDraw();

    /// Whether a frame is asked for or being drawn.
    bool isBusy() const;
    /// The newest finished frame (null before the first), and how many frames were drawn.
    QImage frame() const;
    uint64_t framesDrawn() const { return mFramesDrawn.load(); }

    /// Ends the render thread after the frame under way and waits for it; no frame runs
    /// afterwards and the context comes back to the calling thread. Safe to call again.
    void stop();
    /// After `stop`: makes the context current on the offscreen surface (false when it cannot),
    /// so what was made in it can be deleted; `doneCurrentAfterTeardown` releases it.
    bool makeCurrentForTeardown();
    void doneCurrentAfterTeardown();

private:
    void renderLoop();
    void drawFrame();

    std::unique_ptr<QOffscreenSurface> mSurface;
    std::unique_ptr<QOpenGLContext> mContext;
    std::unique_ptr<QOpenGLFramebufferObject> mFramebuffer; // render thread only
    bool mPrepared = false;                                   // render thread only
    QThread *mOwnerThread = nullptr;

    mutable std::mutex mStateMutex; // everything below
    std::condition_variable mWake;
    bool mNewContent = false;
    bool mDrawing = false;
    bool mQuit = false;
    OVThreadedLayerSupportedView *mParentView = nullptr;
    std::function<void()> mFrameDrawn;
    QSize mPixelSize;
    double mScale = 1.0;
    QImage mFrame;

    std::atomic<uint64_t> mFramesDrawn{0};
    std::unique_ptr<QThread> mThread;
};
