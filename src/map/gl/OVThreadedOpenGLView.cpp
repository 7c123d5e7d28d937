#include "map/gl/OVThreadedOpenGLView.h"

#include "platform/OVLog.h"

#include <QCloseEvent>
#include <QExposeEvent>
#include <QOpenGLContext>
#include <QOpenGLFunctions_2_1>
#include <QOpenGLVersionFunctionsFactory>
#include <QResizeEvent>
#include <QWindow>

#include <functional>

/// The OpenGL window inside the view; it tells the view when it is exposed.
class OVThreadedOpenGLView::Surface final : public QWindow
{
public:
    explicit Surface(std::function<void()> exposed)
        : mExposed(std::move(exposed))
    {
        setSurfaceType(QSurface::OpenGLSurface);
    }

protected:
    void exposeEvent(QExposeEvent *) override
    {
        if (isExposed())
            mExposed();
    }

private:
    std::function<void()> mExposed;
};

OVThreadedOpenGLView::OVThreadedOpenGLView(QWidget *parent)
    : QWidget(parent)
{
    setupLayer();
}

OVThreadedOpenGLView::~OVThreadedOpenGLView()
{
    // The render thread must be gone before the window it draws into and this view.
    mLayer.reset();
}

void OVThreadedOpenGLView::setupLayer()
{
    mSurface = new Surface([this] { surfaceExposed(); });
    mContainer = QWidget::createWindowContainer(mSurface, this);
    mContainer->setGeometry(rect());
    mLayer = std::make_unique<OVThreadedOpenGLLayer>(mSurface);
    mLayer->setParentView(this);
}

void OVThreadedOpenGLView::surfaceExposed()
{
    if (!mLayer->isStopped() && !mLayer->drawingContext() && !mLayer->masterContext())
        mLayer->copyContext();
    mLayer->setNeedsDisplay();
}

void OVThreadedOpenGLView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    mWidth = width();
    mHeight = height();
    mContainer->setGeometry(rect());
    mLayer->setNeedsDisplay();
}

void OVThreadedOpenGLView::closeEvent(QCloseEvent *event)
{
    stopDrawing();
    QWidget::closeEvent(event);
}

void OVThreadedOpenGLView::openGLDraw()
{
    QOpenGLContext *context = QOpenGLContext::currentContext();
    QOpenGLFunctions_2_1 *gl = context ? QOpenGLVersionFunctionsFactory::get<QOpenGLFunctions_2_1>(context) : nullptr;
    if (!gl)
        return;
    const QSize size = drawingSize();
    const double a = size.height() > 0 ? double(size.width()) / size.height() : 1.0;
    gl->glClearColor(0.2f, 0.2f, 0.2f, 1.0f);
    gl->glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    gl->glViewport(0, 0, size.width(), size.height());
    gl->glMatrixMode(GL_PROJECTION);
    gl->glLoadIdentity();
    gl->glOrtho(-2.0 * a, 2.0 * a, -2.0, 2.0, 50.0, -50.0);
    gl->glMatrixMode(GL_MODELVIEW);
    gl->glLoadIdentity();
    gl->glBegin(GL_TRIANGLES);
    gl->glColor3f(1.0f, 0.0f, 0.0f);
    gl->glVertex3f(0.0f, 1.0f, 0.0f);
    gl->glColor3f(0.0f, 1.0f, 0.0f);
    gl->glVertex3f(-1.0f, -1.0f, 0.0f);
    gl->glColor3f(0.0f, 0.0f, 1.0f);
    gl->glVertex3f(1.0f, -1.0f, 0.0f);
    gl->glEnd();
}

void OVThreadedOpenGLView::prepareMasterContext()
{
    OVLog(QStringLiteral("Need to implement prepareMasterContext in subclass"));
}

void OVThreadedOpenGLView::prepareDrawingContext()
{
    OVLog(QStringLiteral("Need to implement prepareDrawingContext in subclass"));
}
