// Smooths a polyline (the map's weather fronts): a natural cubic spline through the points, or a
// uniform cubic B-spline near them with its ends clamped to the first and last point.
//
// Each coordinate is treated separately as a function of a uniform parameter, and read through
// single precision before use, as the fronts' points have always been. Pure computation.
#pragma once

#include "core/OVCubicPolynomial.h"

#include <QList>
#include <QPointF>

#include <optional>

class OVSpline
{
public:
    enum Type : int { NaturalCubic = 0, BSpline = 1 };

    /// Natural cubic, 20 points per segment.
    explicit OVSpline(QList<QPointF> points) : mPoints(std::move(points)) {}

    /// Two points or fewer come back as they are; otherwise the curve of `type`. No result for a
    /// type other than NaturalCubic or BSpline.
    std::optional<QList<QPointF>> smoothedPoints() const;

    /// The first point, then `steps` points per segment; passes through every point. Fewer than
    /// three points come back as they are.
    QList<QPointF> naturalCubicSmoothedPoints() const;
    /// (N + 1) * `steps` points; ends exactly on the last point. Fewer than three points come
    /// back as they are.
    QList<QPointF> bSplinePoints() const;

    /// The N - 1 segments of the natural spline through `values` on the parameter 0..N-1; empty
    /// for fewer than three values.
    static QList<OVCubicPolynomial> calculateNaturalCubicPolynomials(const QList<double> &values);
    /// Sum of the four basis weights at `t` times the points i-2 .. i+1.
    static QPointF bSplinePoint(const QList<double> &xPoints, const QList<double> &yPoints, qsizetype index, double t);
    /// Uniform cubic B-spline basis for k = -2..1; 0 for any other k.
    static double bSplineB(int k, double t);

    const QList<QPointF> &points() const { return mPoints; }
    void setPoints(QList<QPointF> points) { mPoints = std::move(points); }
    qint64 steps() const { return mSteps; }
    void setSteps(qint64 steps) { mSteps = steps; }
    int type() const { return mType; }
    void setType(int type) { mType = type; }

private:
    QList<QPointF> mPoints;
    int mType = NaturalCubic;
    qint64 mSteps = 20;
};
