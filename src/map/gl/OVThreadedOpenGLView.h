// A widget that draws with OpenGL on a thread of its own through an OVThreadedOpenGLLayer,
// with a demonstration drawing (a red, green and blue triangle on dark grey); meant to be
// subclassed, overriding openGLDraw, prepareMasterContext and prepareDrawingContext.
//
// The widget hosts an OpenGL window (createWindowContainer) that the layer draws into. The
// first time that window is exposed the layer makes its contexts; every expose and resize asks
// for a frame. The view's size is kept for the render thread, which reads it while drawing.
// Made, used and destroyed on the GUI thread, but for the drawing operations, which the layer
// calls on its render thread.
#pragma once

#include "map/gl/OVThreadedOpenGLLayer.h"

#include <QWidget>

#include <atomic>
#include <memory>

class QWindow;

class OVThreadedOpenGLView : public QWidget, public OVThreadedLayerSupportedView
{
    Q_OBJECT

public:
    explicit OVThreadedOpenGLView(QWidget *parent = nullptr);
    ~OVThreadedOpenGLView() override;

    OVThreadedOpenGLLayer *openglLayer() const { return mLayer.get(); }
    /// The window the layer draws into.
    QWindow *surfaceWindow() const { return mSurface; }

    // OVThreadedLayerSupportedView; render thread.
    void openGLDraw() override;
    void prepareMasterContext() override;
    void prepareDrawingContext() override;
    /// Does nothing.
    virtual void reshape() {}
    /// Does nothing.
    virtual void clearContext() {}

    // Context helpers, forwarded to the layer.
    bool makeDrawingContextCurrent() { return mLayer->makeDrawingContextCurrent(); }
    bool makeMasterContextCurrent() { return mLayer->makeMasterContextCurrent(); }
    void lockContext() { mLayer->lockContext(); }
    void unlockContext() { mLayer->unlockContext(); }
    void flushBuffer() { mLayer->flushBuffer(); }

    /// Ends the drawing: joins the render thread. Closing the view does it; a subclass whose
    /// drawing reads its own members calls it in its destructor, before they go.
    void stopDrawing() { mLayer->stop(); }

    /// The view's size in whole points, as the render thread sees it.
    QSize drawingSize() const { return QSize(mWidth.load(), mHeight.load()); }

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    class Surface;
    void setupLayer();
    void surfaceExposed();

    QWindow *mSurface = nullptr;
    QWidget *mContainer = nullptr;
    std::unique_ptr<OVThreadedOpenGLLayer> mLayer;
    std::atomic<int> mWidth{0};
    std::atomic<int> mHeight{0};
};
