// Resolution scale from the window or screen, and point clamping.
#include "core/views/OVGraphicsUtil.h"

#include <QApplication>
#include <QMainWindow>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace {

QWidget *mainWindow()
{
    if (QWidget *active = QApplication::activeWindow())
        return active;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (window->isVisible() && qobject_cast<QMainWindow *>(window))
            return window;
    }
    return nullptr;
}

} // namespace

double OVGraphicsUtil::resolutionScaleFactor()
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return 1.0;
    // Widgets exist only under a QApplication.
    if (qobject_cast<QApplication *>(QCoreApplication::instance())) {
        if (const QWidget *window = mainWindow())
            return window->devicePixelRatioF();
    }
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        return screen->devicePixelRatio();
    return 1.0;
}

QPointF OVGraphicsUtil::restrictPoint(const QPointF &point, const QRectF &rect)
{
    return QPointF(std::min(rect.x() + rect.width(), std::max(rect.x(), point.x())),
                   std::min(rect.y() + rect.height(), std::max(rect.y(), point.y())));
}
