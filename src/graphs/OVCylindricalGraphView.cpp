// The cylindrical wind-direction graph: unwrapping, the band mapping, the faces and the body.
#include "graphs/OVCylindricalGraphView.h"

#include "graphs/OVCylinderImageFilters.h"

#include <QPainter>
#include <QPainterPath>
#include <QPaintDevice>

#include <cfloat>
#include <cmath>

namespace {

// How far the arch warp bends a face, as a share of its height.
constexpr float kBulgeShare = 0.1666f;

bool isNoData(const OVGraphRange &range)
{
    return range.min == DBL_MIN || range.max == DBL_MAX;
}

} // namespace

OVCylindricalGraphView::OVCylindricalGraphView(QWidget *parent)
    : OVGraphView(parent)
{
}

void OVCylindricalGraphView::setCylinderColor(const QColor &color)
{
    mCylinderColor = color;
    setNeedsDisplay();
}

void OVCylindricalGraphView::setVerticalOffset(double degrees)
{
    mVerticalOffset = degrees;
    setNeedsDisplay();
}

OVCylinderGeometry OVCylindricalGraphView::geometry() const
{
    return OVCylinderGeometry::forBounds(QRectF(rect()), mVerticalOffset);
}

void OVCylindricalGraphView::cleanupDataPoints(std::vector<OVGraphDataPoint> &points)
{
    double correction = 0.0;
    for (size_t i = 1; i < points.size(); ++i) {
        OVGraphDataPoint &p = points[i];
        p.y += correction;
        const double previous = points[i - 1].y;
        if (previous - p.y > 180.0) {
            p.y += 360.0;
            correction += 360.0;
        } else if (p.y - previous > 180.0) {
            p.y -= 360.0;
            correction -= 360.0;
        }
    }
}

void OVCylindricalGraphView::setDataPoints(std::vector<OVGraphDataPoint> points)
{
    OVGraphView::setDataPoints(std::move(points));
    std::vector<OVGraphDataPoint> sorted = dataPoints();
    cleanupDataPoints(sorted);
    OVGraphView::setDataPoints(std::move(sorted));
}

double OVCylindricalGraphView::yForValue(double value) const
{
    const OVGraphRange range = mStrokeRange.value_or(yRange());
    const double c = (range.min + range.max) / 2.0;
    const double h = double(height());
    // The whole number of half turns from c nearest to the value; on a tie the one nearer c.
    const double q = (value - c) / 180.0;
    const double bands = std::copysign(std::ceil(std::fabs(q) - 0.5), q);
    const double e = c + 180.0 * bands;
    return h / 2.0 + (h / 2.0) * std::sin(-(value - e) * M_PI / 180.0) - ((e - c) / 180.0) * h;
}

std::optional<OVGraphDataPoint> OVCylindricalGraphView::closestDataToX(double x)
{
    const OVCylinderGeometry g = geometry();
    const double faceWidth = g.rect.width() - g.width;
    if (faceWidth > 0.0)
        x = (x - (g.rect.x() + g.width / 2.0)) / faceWidth * double(width());
    return OVGraphView::closestDataToX(x);
}

void OVCylindricalGraphView::drawCylinderInRect(QPainter &painter, const QRectF &r, double c) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QPen rim(QColor::fromRgbF(1.0f, 1.0f, 1.0f, 0.4f), 2.0);
    const double x = r.x();
    const double y = r.y();
    const double w = r.width();
    const double h = r.height();
    const QRectF leftEnd(x, y, c, h);
    const QRectF rightEnd(x + w - c, y, c, h);

    QPainterPath farRim(QPointF(x + c / 2.0, y));
    OVCylinderGeometry::appendArc(farRim, leftEnd, -90.0, 90.0, false);
    painter.strokePath(farRim, rim);

    QColor body = mCylinderColor;
    body.setAlphaF(0.8f);
    QPainterPath bodyPath(QPointF(x + c / 2.0, y + h));
    OVCylinderGeometry::appendArc(bodyPath, leftEnd, 90.0, 270.0, false);
    bodyPath.lineTo(x + w - c / 2.0, y);
    OVCylinderGeometry::appendArc(bodyPath, rightEnd, 270.0, 90.0, true);
    bodyPath.lineTo(x + c / 2.0, y + h);
    painter.fillPath(bodyPath, body);
    painter.strokePath(bodyPath, rim);

    QColor face = mCylinderColor;
    face.setAlphaF(0.2f);
    QPainterPath nearHalf(QPointF(x + w - c / 2.0, y + h));
    OVCylinderGeometry::appendArc(nearHalf, rightEnd, 90.0, 270.0, false);
    painter.fillPath(nearHalf, face);
    QPainterPath farHalf(QPointF(x + w - c / 2.0, y));
    OVCylinderGeometry::appendArc(farHalf, rightEnd, -90.0, 90.0, false);
    painter.fillPath(farHalf, face);
    painter.strokePath(farHalf, rim);
    painter.restore();
}

QPainterPath OVCylindricalGraphView::seriesPath(const OVGraphRange &xRange) const
{
    std::optional<OVGraphPathOps> ops = pathOpsForXRange(xRange, &OVGraphDataPoint::y, false, inverted());
    if (!ops)
        return QPainterPath();
    // The flat graph comes up to its first point from just below the view; on the cylinder that
    // lead-in would cross every band, so the line starts at the first point.
    const double base = double(height()) + 2.0;
    size_t first = 0;
    while (first < ops->size() && (*ops)[first].kind != OVGraphPathOp::Curve && (*ops)[first].point.y() == base)
        ++first;
    if (first >= ops->size())
        return QPainterPath();
    OVGraphPathOps series(ops->begin() + qsizetype(first), ops->end());
    series.front().kind = OVGraphPathOp::Move;
    return pathFromOps(series);
}

OVCylindricalGraphView::Faces OVCylindricalGraphView::strokeFaces(const OVGraphRange &xRange, double scale)
{
    const int w = int(std::lround(width() * scale));
    const int h = int(std::lround(height() * scale));
    const double H = h;
    Faces faces{QImage(w, h, QImage::Format_ARGB32_Premultiplied), QImage(w, h, QImage::Format_ARGB32_Premultiplied)};
    faces.front.fill(Qt::transparent);
    faces.back.fill(Qt::transparent);

    mStrokeRange = OVGraphRangeMake(mVerticalOffset - 90.0, mVerticalOffset + 90.0);
    QPainterPath path = seriesPath(xRange);
    mStrokeRange.reset();
    if (scale != 1.0)
        path = QTransform::fromScale(scale, scale).map(path);

    const OVGraphRange data = rangeForData(dataPoints(), minDate(), maxDate());
    const double F = std::ceil(float(data.max / 360.0)) * 360.0;
    QPen pen(strokeColor(), strokeWidth() * scale);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);

    // Each turn of the series lies 2H further up; the front face shows the band round the
    // offset, the back face the band half a turn away, mirrored.
    {
        QPainter p(&faces.front);
        p.setRenderHint(QPainter::Antialiasing);
        p.translate(0.0, F / 360.0 * 2.0 * H);
        for (double k = mVerticalOffset + 90.0 + F; k > data.min; k -= 360.0) {
            p.strokePath(path, pen);
            p.translate(0.0, -2.0 * H);
        }
        p.strokePath(path, pen);
    }
    {
        QPainter p(&faces.back);
        p.setRenderHint(QPainter::Antialiasing);
        p.translate(0.0, H);
        p.scale(1.0, -1.0);
        p.translate(0.0, -H);
        p.translate(0.0, F / 360.0 * 2.0 * H);
        for (double k = F + mVerticalOffset - 90.0; k > data.min; k -= 360.0) {
            p.strokePath(path, pen);
            p.translate(0.0, -2.0 * H);
        }
        p.strokePath(path, pen);
    }
    return faces;
}

OVCylindricalGraphView::Faces OVCylindricalGraphView::warpFaces(const Faces &faces, double scale) const
{
    const OVCylinderGeometry g = geometry();
    const QRect r = QRectF(g.rect.x() * scale, g.rect.y() * scale, g.rect.width() * scale, g.rect.height() * scale)
                        .toAlignedRect();
    const double cw = g.width * scale;
    const auto warp = [&](const QImage &face, float bulgeShare) {
        if (r.width() <= 0 || r.height() <= 0)
            return QImage();
        OVResizeInCenterFilter shrink;
        shrink.setInputImage(face.scaled(r.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        shrink.setInputNewSize(QSizeF(r.width() * (r.width() - cw) / r.width(), r.height()));
        OVHorizontalArchFilter arch;
        arch.setInputImage(shrink.outputImage());
        arch.setInputBulgePixels(bulgeShare * float(r.height()));
        return arch.outputImage();
    };
    return Faces{warp(faces.front, -kBulgeShare), warp(faces.back, kBulgeShare)};
}

void OVCylindricalGraphView::drawAverageLine(QPainter &painter, double scale, bool backFace) const
{
    if (!showAverageValue())
        return;
    const OVCylinderGeometry g = geometry();
    const double a = yRange().min + 180.0;
    const double offset = g.xOffsetForDegrees(a) * scale;
    if ((offset > 0.0) != backFace)
        return;
    const QRectF r(g.rect.x() * scale, g.rect.y() * scale, g.rect.width() * scale, g.rect.height() * scale);
    const double cw = g.width * scale;
    const double y = std::round((g.yForDegrees(a) - g.rect.y() - g.rect.height() / 2.0) * scale + r.height() / 2.0
                                + r.y());
    painter.fillRect(QRectF(r.x() + cw / 2.0 + offset, y, r.width() - cw, scale), averageValueColor());
}

QImage OVCylindricalGraphView::compose(const Faces &warped, double scale) const
{
    const OVCylinderGeometry g = geometry();
    const QRectF r(g.rect.x() * scale, g.rect.y() * scale, g.rect.width() * scale, g.rect.height() * scale);
    QImage composition(int(std::lround(width() * scale)), int(std::lround(height() * scale)),
                       QImage::Format_ARGB32_Premultiplied);
    composition.fill(Qt::transparent);
    QPainter p(&composition);
    drawAverageLine(p, scale, true);
    if (!warped.back.isNull())
        p.drawImage(r.toAlignedRect(), warped.back);
    drawCylinderInRect(p, r, g.width * scale);
    if (!warped.front.isNull())
        p.drawImage(r.toAlignedRect(), warped.front);
    drawAverageLine(p, scale, false);
    return composition;
}

void OVCylindricalGraphView::drawGraphForXRange(QPainter &painter, const OVGraphRange &xRange)
{
    if (isHiddenOrInHiddenAncestor() || (parentWidget() && parentWidget()->windowOpacity() < 0.1))
        return;
    const OVCylinderGeometry g = geometry();
    const OVGraphRange data = rangeForData(dataPoints(), minDate(), maxDate());
    if (isNoData(data)) {
        drawCylinderInRect(painter, g.rect, g.width);
        return;
    }
    const double scale = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QImage composition = compose(warpFaces(strokeFaces(xRange, scale), scale), scale);
    painter.drawImage(QRectF(0.0, 0.0, width(), height()), composition);
}
