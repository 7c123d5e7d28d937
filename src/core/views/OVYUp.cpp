// Conversions between the y-up drawing space and Qt's y-down widget space.
#include "core/views/OVYUp.h"

#include <QImage>
#include <QPainter>
#include <QWidget>

#include <cmath>

QTransform OVYUp::transform(double height)
{
    return QTransform(1.0, 0.0, 0.0, -1.0, 0.0, height);
}

void OVYUp::begin(QPainter &painter, double height)
{
    painter.translate(0.0, height);
    painter.scale(1.0, -1.0);
}

void OVYUp::beginView(QPainter &painter, const QWidget &view, bool flipped)
{
    if (!flipped)
        begin(painter, view.height());
}

bool OVYUp::isYUp(const QPainter &painter)
{
    const QTransform t = painter.worldTransform();
    // The determinant's sign tells a mirrored space apart even under rotation.
    return t.m11() * t.m22() - t.m12() * t.m21() < 0.0;
}

QRect OVYUp::toWidgetGeometry(const QRectF &yUpRect, double parentHeight)
{
    const QRectF qtRect(yUpRect.x(), parentHeight - yUpRect.y() - yUpRect.height(), yUpRect.width(),
                        yUpRect.height());
    return QRect(int(std::lround(qtRect.x())), int(std::lround(qtRect.y())), int(std::lround(qtRect.width())),
                 int(std::lround(qtRect.height())));
}

QRectF OVYUp::fromWidgetGeometry(const QRectF &geometry, double parentHeight)
{
    return QRectF(geometry.x(), parentHeight - geometry.y() - geometry.height(), geometry.width(),
                  geometry.height());
}

QPointF OVYUp::toYUp(const QPointF &widgetPoint, double height)
{
    return QPointF(widgetPoint.x(), height - widgetPoint.y());
}

void OVYUp::enterUprightFrame(QPainter &painter, const QRectF &rect)
{
    enterUprightFrame(painter, QPointF(rect.x(), isYUp(painter) ? rect.y() + rect.height() : rect.y()));
}

void OVYUp::enterUprightFrame(QPainter &painter, const QPointF &point)
{
    const bool yUp = isYUp(painter);
    painter.translate(point);
    if (yUp)
        painter.scale(1.0, -1.0);
}

void OVYUp::drawImage(QPainter &painter, const QRectF &rect, const QImage &image)
{
    painter.save();
    enterUprightFrame(painter, rect);
    painter.drawImage(QRectF(0, 0, rect.width(), rect.height()), image);
    painter.restore();
}

void OVYUp::setFrame(QWidget &child, const QRectF &yUpFrame)
{
    const QWidget *parent = child.parentWidget();
    child.setGeometry(toWidgetGeometry(yUpFrame, parent ? parent->height() : yUpFrame.height()));
}

QRectF OVYUp::frame(const QWidget &child)
{
    const QWidget *parent = child.parentWidget();
    return fromWidgetGeometry(child.geometry(), parent ? parent->height() : child.height());
}
