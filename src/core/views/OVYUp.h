// The one helper between the program's y-up drawing geometry and Qt's y-down widgets.
//
// Views draw in a space whose origin is the bottom left and whose y axis points up, unless they
// are "flipped", in which case they use Qt's own top-left, y-down space. An unflipped view
// paints through `begin` and places its child widgets with `toWidgetGeometry`; mouse positions
// come back through `toYUp`. Text and images stay upright: whoever draws them counter-flips about
// their own baseline or top edge when `isYUp` says the painter's vertical scale is negative.
//
// Used by every custom view (core, graphs, shell). Stateless; any thread.
#pragma once

#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QTransform>

class QImage;
class QPainter;
class QWidget;

class OVYUp
{
public:
    /// The transform from a y-up space of the given height to Qt's y-down space:
    /// translate(0, height), then scale(1, -1).
    static QTransform transform(double height);

    /// Makes `painter` draw in the y-up space of a view `height` high (origin bottom left).
    static void begin(QPainter &painter, double height);

    /// Sets `painter` up for a view: the y-up space unless the view is flipped.
    static void beginView(QPainter &painter, const QWidget &view, bool flipped);

    /// Whether the painter's current transform has a negative vertical scale (a y-up space).
    static bool isYUp(const QPainter &painter);

    /// A y-up rectangle inside a parent of the given height, as Qt widget geometry.
    static QRect toWidgetGeometry(const QRectF &yUpRect, double parentHeight);
    /// Qt widget geometry inside a parent of the given height, as a y-up rectangle.
    static QRectF fromWidgetGeometry(const QRectF &geometry, double parentHeight);

    /// A point in a widget `height` high, from Qt's y-down position to y-up and back (the
    /// conversion is its own inverse).
    static QPointF toYUp(const QPointF &widgetPoint, double height);
    static QPointF toWidget(const QPointF &yUpPoint, double height) { return toYUp(yUpPoint, height); }

    /// Moves the painter to an upright (y-down) local frame whose origin is the top-left corner of
    /// `rect` as seen on screen: its far y edge in a y-up space, its near one in a y-down space.
    static void enterUprightFrame(QPainter &painter, const QRectF &rect);
    /// Moves the painter to an upright (y-down) local frame whose origin is `point`.
    static void enterUprightFrame(QPainter &painter, const QPointF &point);
    /// Draws `image` upright, filling `rect` (in the painter's space, either orientation).
    static void drawImage(QPainter &painter, const QRectF &rect, const QImage &image);

    /// Places `child` at a y-up frame inside its parent.
    static void setFrame(QWidget &child, const QRectF &yUpFrame);
    /// The y-up frame of `child` inside its parent.
    static QRectF frame(const QWidget &child);
};
