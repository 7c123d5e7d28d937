#include "GLTestContext.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions_2_1>
#include <QOpenGLVersionFunctionsFactory>

GLTestContext::GLTestContext(QSize size)
    : mSize(size)
    , mSurface(std::make_unique<QOffscreenSurface>())
    , mContext(std::make_unique<QOpenGLContext>())
{
    mContext->setFormat(QSurfaceFormat::defaultFormat());
    mSurface->setFormat(mContext->format());
    mSurface->create();
    if (!mContext->create() || !mContext->makeCurrent(mSurface.get()))
        return;
    mGL = QOpenGLVersionFunctionsFactory::get<QOpenGLFunctions_2_1>(mContext.get());
    mFramebuffer = std::make_unique<QOpenGLFramebufferObject>(mSize);
}

GLTestContext::~GLTestContext()
{
    if (mContext && mContext->makeCurrent(mSurface.get())) {
        mFramebuffer.reset();
        mContext->doneCurrent();
    }
}

void GLTestContext::makeCurrent()
{
    mContext->makeCurrent(mSurface.get());
}

void GLTestContext::beginDrawing(const QColor &clear)
{
    makeCurrent();
    mFramebuffer->bind();
    mGL->glViewport(0, 0, mSize.width(), mSize.height());
    mGL->glClearColor(clear.redF(), clear.greenF(), clear.blueF(), clear.alphaF());
    mGL->glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    mGL->glMatrixMode(GL_PROJECTION);
    mGL->glLoadIdentity();
    mGL->glOrtho(0.0, mSize.width(), 0.0, mSize.height(), -1.0, 1.0);
    mGL->glMatrixMode(GL_MODELVIEW);
    mGL->glLoadIdentity();
    mGL->glDisable(GL_BLEND);
    mGL->glDisable(GL_DEPTH_TEST);
}

void GLTestContext::beginMapDrawing(double west, double east, double south, double north)
{
    beginDrawing(Qt::black);
    mGL->glMatrixMode(GL_PROJECTION);
    mGL->glLoadIdentity();
    mGL->glOrtho(west, east, south, north, 100.0, -100.0);
    mGL->glMatrixMode(GL_MODELVIEW);
    mGL->glLoadIdentity();
    mGL->glEnable(GL_BLEND);
    mGL->glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    mGL->glEnable(GL_ALPHA_TEST);
    mGL->glAlphaFunc(GL_GREATER, 0.0f);
}

void GLTestContext::drawTexturedQuad(unsigned texture, const QRectF &rect)
{
    mGL->glEnable(GL_TEXTURE_2D);
    mGL->glBindTexture(GL_TEXTURE_2D, texture);
    mGL->glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    mGL->glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    mGL->glBegin(GL_QUADS);
    mGL->glTexCoord2f(0.0f, 1.0f);
    mGL->glVertex2d(rect.left(), rect.top());
    mGL->glTexCoord2f(1.0f, 1.0f);
    mGL->glVertex2d(rect.right(), rect.top());
    mGL->glTexCoord2f(1.0f, 0.0f);
    mGL->glVertex2d(rect.right(), rect.bottom());
    mGL->glTexCoord2f(0.0f, 0.0f);
    mGL->glVertex2d(rect.left(), rect.bottom());
    mGL->glEnd();
    mGL->glBindTexture(GL_TEXTURE_2D, 0);
    mGL->glDisable(GL_TEXTURE_2D);
}

QImage GLTestContext::readBack()
{
    makeCurrent();
    mFramebuffer->bind();
    QImage image(mSize, QImage::Format_RGBA8888);
    mGL->glPixelStorei(GL_PACK_ALIGNMENT, 4);
    mGL->glReadPixels(0, 0, mSize.width(), mSize.height(), GL_RGBA, GL_UNSIGNED_BYTE, image.bits());
    return image.mirrored(false, true); // GL's rows run bottom-up
}

QByteArray GLTestContext::textureBytes(unsigned texture, int width, int height)
{
    makeCurrent();
    QByteArray bytes(qsizetype(width) * height * 4, '\0');
    mGL->glBindTexture(GL_TEXTURE_2D, texture);
    mGL->glPixelStorei(GL_PACK_ALIGNMENT, 1);
    mGL->glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
    mGL->glBindTexture(GL_TEXTURE_2D, 0);
    return bytes;
}
