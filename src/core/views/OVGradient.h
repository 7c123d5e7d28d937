// A multi-stop colour gradient: the panels' border and background shadings, the scrollers'
// optional shadings and the temperature colour scale.
//
// A gradient is an immutable value of stops (colour, location in 0..1). It answers the colour at
// any location and draws itself linearly at an angle or radially, into a rectangle or clipped to
// a path, in the painter's logical space (so an angle of 90 runs bottom to top in a y-up view
// and top to bottom in a flipped one). Any thread (with a painter on a QImage off the main thread).
#pragma once

#include <QColor>
#include <QGradientStops>
#include <QList>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>

class QPainter;

class OVGradient
{
public:
    struct Stop
    {
        QColor color;
        double location = 0.0;
        bool operator==(const Stop &) const = default;
    };

    /// From `start` at 0 to `end` at 1.
    OVGradient(const QColor &start, const QColor &end);
    /// The colours spaced evenly from 0 to 1 (one colour fills the whole range).
    explicit OVGradient(const QList<QColor> &colors);
    /// Colours at the given locations; stops are kept sorted by location. Extra colours without
    /// a location are dropped.
    OVGradient(const QList<QColor> &colors, const QList<double> &locations);

    const QList<Stop> &stops() const { return mStops; }
    int numberOfColorStops() const { return int(mStops.size()); }

    /// Every component (alpha too) interpolated between the neighbouring stops; beyond the end
    /// stops, the end colour. Invalid for a gradient without stops.
    QColor interpolatedColorAtLocation(double location) const;

    /// Fills `rect` with a linear shading along an axis through its centre at `angleDeg`
    /// counter-clockwise; the ends sit at the extreme corner projections.
    void drawInRect(QPainter &painter, const QRectF &rect, double angleDeg) const;
    /// The same over the path's bounds, clipped to the path.
    void drawInPath(QPainter &painter, const QPainterPath &path, double angleDeg) const;

    /// Radial shading over `rect`: focal point the rectangle's centre, end circle centred at
    /// centre + relativeCenter x half size (each in -1..1) with the smallest radius that covers
    /// the rectangle.
    void drawInRect(QPainter &painter, const QRectF &rect, const QPointF &relativeCenter) const;
    /// The same over the path's bounds, clipped to the path.
    void drawInPath(QPainter &painter, const QPainterPath &path, const QPointF &relativeCenter) const;

    QGradientStops gradientStops() const;

    bool operator==(const OVGradient &) const = default;

private:
    QList<Stop> mStops;
};
