// An OpenGL harness for tests that draw: a compatibility context (the application's default
// format) current on an offscreen surface, drawing into a framebuffer object of a given size,
// read back top-down (row 0 of the image is the top of the drawing).
//
// Run such tests as *_gui_test.cpp: CTest starts them under xvfb-run with QT_QPA_PLATFORM=xcb,
// where Mesa renders with llvmpipe (Qt's offscreen platform has no OpenGL). Use one harness per
// test, on the GUI thread. `beginDrawing` sets a y-up orthographic projection in pixels, the
// map's convention: (0, 0) is the bottom-left corner. A texture loader made with `context()`
// shares texture names with it.
#pragma once

#include <QImage>
#include <QRectF>
#include <QSize>

#include <memory>

class QOffscreenSurface;
class QOpenGLContext;
class QOpenGLFramebufferObject;
class QOpenGLFunctions_2_1;

class GLTestContext
{
public:
    explicit GLTestContext(QSize size = QSize(64, 64));
    ~GLTestContext();

    bool isValid() const { return mGL != nullptr; }
    QOpenGLContext *context() const { return mContext.get(); }
    QOpenGLFunctions_2_1 *gl() const { return mGL; }
    QSize size() const { return mSize; }

    void makeCurrent();
    /// Binds the framebuffer, clears it to `clear` and sets the pixel projection (y up).
    void beginDrawing(const QColor &clear = Qt::black);
    /// `beginDrawing` in black, then the map's drawing state: an orthographic projection over
    /// the given degrees (x longitude, y latitude, z from 100 to -100) and the map controller's
    /// blending and alpha test.
    void beginMapDrawing(double west, double east, double south, double north);
    /// Draws `texture` over `rect` (pixels, y up) with texture row 0 at the top edge, in
    /// GL_REPLACE mode, without blending.
    void drawTexturedQuad(unsigned texture, const QRectF &rect);
    /// What was drawn, top row first: the framebuffer's bytes as they are (Format_RGBA8888,
    /// alpha not applied), so channels can be checked one by one.
    QImage readBack();
    /// The RGBA bytes of level 0 of a texture, in its row order (row 0 first).
    QByteArray textureBytes(unsigned texture, int width, int height);

private:
    QSize mSize;
    std::unique_ptr<QOffscreenSurface> mSurface;
    std::unique_ptr<QOpenGLContext> mContext;
    std::unique_ptr<QOpenGLFramebufferObject> mFramebuffer;
    QOpenGLFunctions_2_1 *mGL = nullptr;
};
