// The fixed-function calls of the context current on this thread, for layers that draw.
#pragma once

#include <QOpenGLContext>
#include <QOpenGLFunctions_2_1>
#include <QOpenGLVersionFunctionsFactory>

/// Nothing when no context is current (a layer then draws nothing).
inline QOpenGLFunctions_2_1 *OVCurrentGLFunctions()
{
    QOpenGLContext *context = QOpenGLContext::currentContext();
    return context ? QOpenGLVersionFunctionsFactory::get<QOpenGLFunctions_2_1>(context) : nullptr;
}
