// Natural cubic and uniform cubic B-spline smoothing of polylines.
#include "core/OVSpline.h"

#include <algorithm>
#include <vector>

namespace {

double throughFloat(double value)
{
    return double(float(value));
}

void splitCoordinates(const QList<QPointF> &points, QList<double> &xs, QList<double> &ys)
{
    xs.reserve(points.size());
    ys.reserve(points.size());
    for (const QPointF &point : points) {
        xs.append(throughFloat(point.x()));
        ys.append(throughFloat(point.y()));
    }
}

} // namespace

std::optional<QList<QPointF>> OVSpline::smoothedPoints() const
{
    if (mPoints.size() <= 2)
        return mPoints;
    switch (mType) {
    case NaturalCubic:
        return naturalCubicSmoothedPoints();
    case BSpline:
        return bSplinePoints();
    default:
        return std::nullopt;
    }
}

QList<OVCubicPolynomial> OVSpline::calculateNaturalCubicPolynomials(const QList<double> &x)
{
    const qsizetype n = x.size();
    if (n < 3)
        return {};
    // Tridiagonal solution for the derivatives D at the points of a natural spline.
    const auto size = static_cast<size_t>(n);
    std::vector<double> gamma(size), delta(size), D(size);
    gamma[0] = 0.5;
    for (qsizetype i = 1; i < n - 1; ++i)
        gamma[i] = 1.0 / (4.0 - gamma[i - 1]);
    gamma[n - 1] = 1.0 / (2.0 - gamma[n - 2]);

    delta[0] = 3.0 * (x[1] - x[0]) * gamma[0];
    for (qsizetype i = 1; i < n - 1; ++i)
        delta[i] = (3.0 * (x[i + 1] - x[i - 1]) - delta[i - 1]) * gamma[i];
    delta[n - 1] = (3.0 * (x[n - 1] - x[n - 2]) - delta[n - 2]) * gamma[n - 1];

    D[n - 1] = delta[n - 1];
    for (qsizetype i = n - 2; i >= 0; --i)
        D[i] = delta[i] - gamma[i] * D[i + 1];

    QList<OVCubicPolynomial> segments;
    segments.reserve(n - 1);
    for (qsizetype i = 0; i < n - 1; ++i) {
        segments.append(OVCubicPolynomial(x[i], D[i], 3.0 * (x[i + 1] - x[i]) - 2.0 * D[i] - D[i + 1],
                                          2.0 * (x[i] - x[i + 1]) + D[i] + D[i + 1]));
    }
    return segments;
}

QList<QPointF> OVSpline::naturalCubicSmoothedPoints() const
{
    if (mPoints.size() < 3)
        return mPoints;
    QList<double> xs, ys;
    splitCoordinates(mPoints, xs, ys);
    const QList<OVCubicPolynomial> xSegments = calculateNaturalCubicPolynomials(xs);
    const QList<OVCubicPolynomial> ySegments = calculateNaturalCubicPolynomials(ys);

    QList<QPointF> result;
    result.reserve(1 + xSegments.size() * qsizetype(std::max<qint64>(mSteps, 0)));
    result.append(QPointF(xSegments[0].evaluate(0.0), ySegments[0].evaluate(0.0)));
    for (qsizetype i = 0; i < xSegments.size(); ++i) {
        for (qint64 j = 1; j <= mSteps; ++j) {
            const double u = double(j) / double(mSteps);
            result.append(QPointF(xSegments[i].evaluate(u), ySegments[i].evaluate(u)));
        }
    }
    return result;
}

QList<QPointF> OVSpline::bSplinePoints() const
{
    if (mPoints.size() < 3)
        return mPoints;
    // The end points tripled, so the curve starts and ends on them.
    QList<QPointF> padded;
    padded.reserve(mPoints.size() + 4);
    padded << mPoints.first() << mPoints.first() << mPoints << mPoints.last() << mPoints.last();
    QList<double> xs, ys;
    splitCoordinates(padded, xs, ys);

    QList<QPointF> result;
    for (qsizetype i = 2; i <= padded.size() - 2; ++i) {
        for (qint64 j = 1; j <= mSteps; ++j)
            result.append(bSplinePoint(xs, ys, i, double(j) / double(mSteps)));
    }
    return result;
}

QPointF OVSpline::bSplinePoint(const QList<double> &xPoints, const QList<double> &yPoints, qsizetype index, double t)
{
    QPointF point(0.0, 0.0);
    for (int k = -2; k <= 1; ++k) {
        const double weight = bSplineB(k, t);
        point += QPointF(weight * xPoints[index + k], weight * yPoints[index + k]);
    }
    return point;
}

double OVSpline::bSplineB(int k, double t)
{
    switch (k) {
    case -2:
        return (1.0 - t) * (1.0 - t) * (1.0 - t) / 6.0;
    case -1:
        return (3.0 * t * t * t - 6.0 * t * t + 4.0) / 6.0;
    case 0:
        return (-3.0 * t * t * t + 3.0 * t * t + 3.0 * t + 1.0) / 6.0;
    case 1:
        return t * t * t / 6.0;
    default:
        return 0.0;
    }
}
