// The OpenGL context every window and shared context of the process gets: fixed-function 2.1
// compatibility with depth and stencil, and one share group for all contexts (the texture
// loader's thread uploads into names the map's drawing context binds).
//
// Header only: the platform library links Qt Core alone; the application and the test main
// (both link Qt Gui) call this before they make their QApplication.
#pragma once

#include <QCoreApplication>
#include <QSurfaceFormat>

namespace OVOpenGLFormat {

/// Sets the default surface format and context sharing; call before QApplication exists.
inline void configureBeforeApplication()
{
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setVersion(2, 1);
    format.setDepthBufferSize(24);
    format.setStencilBufferSize(8);
    QSurfaceFormat::setDefaultFormat(format);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

} // namespace OVOpenGLFormat
