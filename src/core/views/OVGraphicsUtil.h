// Two small geometry questions views and the map ask: the display's resolution scale and
// clamping a point into a rectangle.
#pragma once

#include <QPointF>
#include <QRectF>

class OVGraphicsUtil
{
public:
    /// The device pixel ratio of the application's main window (the active window, else the first
    /// visible main window); without one, of the primary screen; 1.0 when there is neither.
    /// Main thread.
    static double resolutionScaleFactor();

    /// Each coordinate clamped into the rectangle (x between rect x and x + width, likewise y).
    static QPointF restrictPoint(const QPointF &point, const QRectF &rect);
};
