#include "map/layers/OVMapFrontCaret.h"

#include "map/gl/OVCurrentGL.h"

#include <cmath>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;

double distance(const QPointF &a, const QPointF &b)
{
    return std::hypot(b.x() - a.x(), b.y() - a.y());
}

QPointF along(const QPointF &from, double length, double angle)
{
    return from + QPointF(length * std::cos(angle), length * std::sin(angle));
}

template <size_t N>
void drawFan(const std::array<QPointF, N> &points, double elevation)
{
    QOpenGLFunctions_2_1 *gl = OVCurrentGLFunctions();
    if (!gl)
        return;
    std::array<float, 3 * N> vertices{};
    for (size_t i = 0; i < N; ++i) {
        vertices[3 * i] = float(points[i].x());
        vertices[3 * i + 1] = float(points[i].y());
        vertices[3 * i + 2] = float(elevation);
    }
    gl->glEnableClientState(GL_VERTEX_ARRAY);
    gl->glVertexPointer(3, GL_FLOAT, 0, vertices.data());
    gl->glDrawArrays(GL_TRIANGLE_FAN, 0, GLsizei(N));
    gl->glDisableClientState(GL_VERTEX_ARRAY);
}

} // namespace

QList<OVMapFrontCaret> OVMapFrontCaret::caretsForPoints(const QList<QPointF> &points,
                                                        const QList<QPointF> &splinePoints, double pixelsPerDegree,
                                                        double elevation)
{
    QList<OVMapFrontCaret> carets;
    const double p = pixelsPerDegree;
    const qsizetype n = splinePoints.size();
    if (!std::isfinite(p) || p <= 0.0 || n < 2 || points.isEmpty())
        return carets;
    const double s = kHalfBasePixels / p;

    double length = 0.0;
    for (qsizetype i = 1; i < n; ++i)
        length += distance(splinePoints[i - 1], splinePoints[i]);
    length *= p;
    const double first = std::fmod(length, kSpacingPixels) * 0.5;

    QPointF anchor = splinePoints.first();
    for (qsizetype i = 1; i < n; ++i) {
        const double d = distance(anchor, splinePoints[i]) * p;
        if (d <= (carets.isEmpty() ? first : kSpacingPixels))
            continue;
        const QPointF &before = splinePoints[i - 1];
        const QPointF &here = splinePoints[i];
        const QPointF middle = (before + here) / 2.0;
        const double back = std::atan2(before.y() - here.y(), before.x() - here.x());
        OVMapFrontCaret caret;
        caret.startPoint = along(middle, s, back);
        caret.endPoint = along(middle, s, back + kPi);
        caret.elevation = elevation;
        caret.splinePointIndex = i;
        carets.append(caret);
        anchor = here;
    }

    if (carets.size() < 2) {
        const auto r = qsizetype(std::floor(double(n) * 0.5));
        QPointF centre;
        double heading = 0.0;
        int64_t index = 0;
        if (r >= 1 && r + 1 < n) {
            centre = splinePoints[r];
            heading = std::atan2(splinePoints[r + 1].y() - splinePoints[r - 1].y(),
                                 splinePoints[r + 1].x() - splinePoints[r - 1].x());
            index = r;
        } else {
            centre = (points.first() + points.last()) / 2.0;
            heading = std::atan2(points.last().y() - points.first().y(), points.last().x() - points.first().x());
        }
        OVMapFrontCaret caret;
        caret.startPoint = along(centre, s, heading + kPi);
        caret.endPoint = along(centre, s, heading);
        caret.elevation = elevation;
        caret.splinePointIndex = index;
        carets.append(caret);
    }
    return carets;
}

template <size_t N>
std::array<QPointF, N> OVMapFrontCaret::fanVertices(double step) const
{
    const QPointF centre = (startPoint + endPoint) / 2.0;
    const double radius = distance(startPoint, centre);
    const double toStart = std::atan2(endPoint.y() - startPoint.y(), endPoint.x() - startPoint.x()) - kPi;
    std::array<QPointF, N> vertices;
    vertices[0] = centre;
    for (size_t k = 0; k + 1 < N; ++k)
        vertices[k + 1] = along(centre, radius, toStart + double(k) * step);
    return vertices;
}

std::array<QPointF, 4> OVMapFrontCaret::coldCaretVertices() const
{
    return fanVertices<4>(drawOnLeft ? -kPi / 2.0 : kPi / 2.0);
}

std::array<QPointF, 9> OVMapFrontCaret::warmCaretVertices() const
{
    return fanVertices<9>(drawOnLeft ? -kPi / 7.0 : kPi / 7.0);
}

void OVMapFrontCaret::drawColdCaret() const
{
    drawFan(coldCaretVertices(), elevation);
}

void OVMapFrontCaret::drawWarmCaret() const
{
    drawFan(warmCaretVertices(), elevation);
}
