// One symbol on a weather front: a triangle (cold) or a half disc (warm) standing on a short
// base across the front's line, pointing to one side of it. Carets are placed afresh each frame
// (their spacing is in pixels), from the front's smoothed line.
//
// Geometry is in map degrees (x = longitude, y = latitude); the shapes are pure functions and
// the two draw calls send them to the current OpenGL context (drawing thread).
#pragma once

#include <QList>
#include <QPointF>

#include <array>
#include <cstdint>

class OVMapFrontCaret
{
public:
    /// Carets 80 pixels apart along a front.
    static constexpr double kSpacingPixels = 80.0;
    /// Half the base of a caret, pixels.
    static constexpr double kHalfBasePixels = 10.0;

    /// The carets of a front: `points` its bulletin points, `splinePoints` its smoothed line,
    /// `pixelsPerDegree` the view's resolution. The first caret sits half the leftover length
    /// in, the next ones 80 pixels on; a front that gets fewer than two also gets one at its
    /// middle. None for a resolution that is not finite or not above 0, or fewer than two
    /// smoothed points.
    static QList<OVMapFrontCaret> caretsForPoints(const QList<QPointF> &points, const QList<QPointF> &splinePoints,
                                                  double pixelsPerDegree, double elevation);

    /// A triangle fan: the centre of the base, the start point, the apex, the end point.
    std::array<QPointF, 4> coldCaretVertices() const;
    /// A triangle fan: the centre of the base, then eight points round from the start point to
    /// the end point.
    std::array<QPointF, 9> warmCaretVertices() const;
    /// The shapes in the current colour, at `elevation`.
    void drawColdCaret() const;
    void drawWarmCaret() const;

    QPointF startPoint;  // one end of the base, on the side of the line's beginning
    QPointF endPoint;    // the other end
    double elevation = 0.0;
    int64_t splinePointIndex = 0; // the smoothed point at which it was placed
    bool drawOnLeft = true;       // the symbol points left of the direction start -> end

private:
    /// The centre of the base, then N - 1 points round from the start point by `step` radians.
    template <size_t N>
    std::array<QPointF, N> fanVertices(double step) const;
};
