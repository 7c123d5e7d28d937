// Path makers the views share: circular arcs, ring segments and polyline elliptical arcs.
//
// Every point is computed with cos/sin in the caller's logical space (angles in degrees,
// counter-clockwise from the positive x axis), so a path built for a y-up view looks the same
// on screen as one built for a flipped view through `addArc`. Stateless; any thread.
#pragma once

#include <QPainterPath>
#include <QPointF>
#include <QRectF>

class OVPathUtil
{
public:
    /// Appends a circular arc from `startDeg` to `endDeg`, counter-clockwise (increasing angle)
    /// or clockwise. A path with a current point gets a line to the arc's start, an empty path
    /// a move. Equal angles (after wrapping) give no sweep; a whole turn is kept whole.
    static void appendArc(QPainterPath &path, const QPointF &center, double radius, double startDeg,
                          double endDeg, bool clockwise);

    /// A ring segment: the outer arc from `fromDeg` to `toDeg` counter-clockwise, then the inner
    /// arc back clockwise, joined by lines; the path is not closed explicitly.
    static QPainterPath arcAroundPoint(const QPointF &center, double fromDeg, double toDeg, double outerRadius,
                                       double innerRadius);

    /// Appends a polyline approximation of the elliptical arc inscribed in `rect`: n = the integer
    /// part of max(rx, ry) x span / 45 steps of span / n degrees (downward when `clockWise`), from
    /// `fromDeg` through the point at the end of the span. The first point is a move when
    /// `startNewSubpath`, otherwise a line. Returns n (0: only the first point was added).
    static int appendArcInRect(QPainterPath &path, const QRectF &rect, double fromDeg, double toDeg, bool clockWise,
                               bool startNewSubpath);

    /// A circular arc that looks the same in flipped (y-down) and y-up views: in a flipped
    /// space both angles are negated and the direction reversed.
    static void addArc(QPainterPath &path, const QPointF &center, double radius, double startDeg, double endDeg,
                       bool clockwise, bool spaceFlipped);
};
