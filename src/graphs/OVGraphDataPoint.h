// One sample of a graph: a value (or a low-high range) of one series, at an instant or over an
// interval of time, or at a place on a value axis, with the numbers its read-outs print and the
// screen position the graph view worked out for it.
//
// A field is "unset" while it holds `OVGraphDataPoint::Unset` (the largest finite float, kept in a
// double); the three maximum fields start at its negative so that folding with max starts right.
// OVNoValue never appears in a point: producers leave missing values out. NaN counts as set.
// Plain value; main thread (like the views that use it).
#pragma once

#include <QDateTime>
#include <QImage>
#include <QPointF>
#include <QString>

#include <span>

class OVGraphView;

struct OVGraphDataPoint
{
    static constexpr double Unset = 3.4028234663852886e38;

    double x = Unset;
    double xMin = Unset;
    double xMax = -Unset;
    double graphAdjustedX = 0.0;
    double graphAdjustedXMin = 0.0;
    double graphAdjustedXMax = 0.0;
    double y = Unset;
    double secondaryY = Unset;
    double yMin = Unset;
    double yMax = -Unset;
    QDateTime date;
    QDateTime minDate;
    QDateTime maxDate;
    double displayValue = Unset;
    double minDisplayValue = Unset;
    double maxDisplayValue = -Unset;
    QImage displayImage;
    QPointF displayImageOffset{0.0, 0.0};

    /// Whether a field holds a value (anything but +Unset; NaN is a value).
    static bool isSet(double value) { return value != Unset; }
    /// Whether a value can be drawn: neither marker (+Unset, nor -Unset of the maximum fields).
    static bool isDrawable(double value) { return value != Unset && value != -Unset; }

    /// A point with x, y, date and displayValue = y.
    static OVGraphDataPoint dataPointWithX(double x, double y, const QDateTime &date);
    static OVGraphDataPoint dataPointWithX(double x, double y, const QDateTime &date, double displayValue);
    /// A range point: y and displayValue the middle of yMin..yMax, both ends also as display values.
    static OVGraphDataPoint dataPointWithXYMin(double x, double yMin, double yMax, const QDateTime &date);

    /// Every numeric field the mean of the two points' fields (unset when unset in either); no
    /// dates, no image.
    static OVGraphDataPoint midPointOfPointA(const OVGraphDataPoint &a, const OVGraphDataPoint &b);
    /// The average of a group (at least one point) that lies too close on screen to draw apart.
    /// Sums are divided by the whole count; a field set in none of the points stays unset.
    static OVGraphDataPoint averagePointOfPoints(std::span<const OVGraphDataPoint> points);

    /// The drawing position (graphAdjustedX, y).
    QPointF point() const { return QPointF(graphAdjustedX, y); }
    /// Fills the graphAdjusted fields from the view's mapping for its x mode.
    void calculateXValuesForGraph(const OVGraphView &graph);
    /// -1, 0 or 1 comparing the dates (the minDates when either point has no date); 0 when one of
    /// the compared dates is missing. Not a strict weak ordering: use it with a stable sort only.
    int dateComparator(const OVGraphDataPoint &other) const;
    /// One line for logs.
    QString description() const;
};
