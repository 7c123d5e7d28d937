// Stop interpolation and the linear/radial geometry of the gradient, drawn with Qt's gradients.
#include "core/views/OVGradient.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <QtMath>

#include <algorithm>
#include <cmath>

OVGradient::OVGradient(const QColor &start, const QColor &end)
    : mStops{{start, 0.0}, {end, 1.0}}
{
}

OVGradient::OVGradient(const QList<QColor> &colors)
{
    const qsizetype n = colors.size();
    for (qsizetype i = 0; i < n; ++i)
        mStops.append({colors[i], n == 1 ? 0.0 : double(i) / double(n - 1)});
}

OVGradient::OVGradient(const QList<QColor> &colors, const QList<double> &locations)
{
    const qsizetype n = std::min(colors.size(), locations.size());
    for (qsizetype i = 0; i < n; ++i)
        mStops.append({colors[i], locations[i]});
    std::stable_sort(mStops.begin(), mStops.end(),
                     [](const Stop &a, const Stop &b) { return a.location < b.location; });
}

QColor OVGradient::interpolatedColorAtLocation(double location) const
{
    if (mStops.isEmpty())
        return QColor();
    if (location <= mStops.first().location)
        return mStops.first().color;
    if (location >= mStops.last().location)
        return mStops.last().color;
    for (qsizetype i = 1; i < mStops.size(); ++i) {
        const Stop &a = mStops[i - 1];
        const Stop &b = mStops[i];
        if (location > b.location)
            continue;
        const double span = b.location - a.location;
        const double f = span > 0.0 ? (location - a.location) / span : 1.0;
        const QColor ca = a.color.toRgb();
        const QColor cb = b.color.toRgb();
        auto mix = [f](double x, double y) { return float(x + (y - x) * f); };
        return QColor::fromRgbF(mix(ca.redF(), cb.redF()), mix(ca.greenF(), cb.greenF()),
                                mix(ca.blueF(), cb.blueF()), mix(ca.alphaF(), cb.alphaF()));
    }
    return mStops.last().color;
}

QGradientStops OVGradient::gradientStops() const
{
    QGradientStops stops;
    for (const Stop &stop : mStops)
        stops.append({std::clamp(stop.location, 0.0, 1.0), stop.color});
    return stops;
}

void OVGradient::drawInRect(QPainter &painter, const QRectF &rect, double angleDeg) const
{
    if (mStops.isEmpty() || rect.isEmpty())
        return;
    const double radians = qDegreesToRadians(angleDeg);
    const QPointF axis(std::cos(radians), std::sin(radians));
    const QPointF center = rect.center();
    double low = 0.0, high = 0.0;
    for (const QPointF &corner : {rect.topLeft(), rect.topRight(), rect.bottomLeft(), rect.bottomRight()}) {
        const QPointF d = corner - center;
        const double t = d.x() * axis.x() + d.y() * axis.y();
        low = std::min(low, t);
        high = std::max(high, t);
    }
    QLinearGradient shading(center + axis * low, center + axis * high);
    shading.setStops(gradientStops());
    painter.fillRect(rect, shading);
}

void OVGradient::drawInPath(QPainter &painter, const QPainterPath &path, double angleDeg) const
{
    painter.save();
    painter.setClipPath(path, Qt::IntersectClip);
    drawInRect(painter, path.boundingRect(), angleDeg);
    painter.restore();
}

void OVGradient::drawInRect(QPainter &painter, const QRectF &rect, const QPointF &relativeCenter) const
{
    if (mStops.isEmpty() || rect.isEmpty())
        return;
    const QPointF focal = rect.center();
    const QPointF center(focal.x() + relativeCenter.x() * rect.width() / 2.0,
                         focal.y() + relativeCenter.y() * rect.height() / 2.0);
    double radius = 0.0;
    for (const QPointF &corner : {rect.topLeft(), rect.topRight(), rect.bottomLeft(), rect.bottomRight()})
        radius = std::max(radius, std::hypot(corner.x() - center.x(), corner.y() - center.y()));
    QRadialGradient shading(center, radius, focal);
    shading.setStops(gradientStops());
    painter.fillRect(rect, shading);
}

void OVGradient::drawInPath(QPainter &painter, const QPainterPath &path, const QPointF &relativeCenter) const
{
    painter.save();
    painter.setClipPath(path, Qt::IntersectClip);
    drawInRect(painter, path.boundingRect(), relativeCenter);
    painter.restore();
}
