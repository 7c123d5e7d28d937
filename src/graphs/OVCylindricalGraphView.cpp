// The cylindrical wind-direction graph: unwrapping, the band mapping, the faces and the body.
#include "graphs/OVCylindricalGraphView.h"

#include "graphs/OVCylinderImageFilters.h"
#include "platform/OVDispatch.h"

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

// The lines and curves of a path that come within `margin` of `band` (their end and control
// points bound them), each run of them begun with a move to its first point. Inside the band it
// strokes to the same pixels as the whole path; the turns of the series that lie off the image
// are left out instead of being stroked and clipped.
QPainterPath partNear(const QPainterPath &path, const QRectF &band, double margin)
{
    const QRectF near = band.adjusted(-margin, -margin, margin, margin);
    QPainterPath part;
    part.setFillRule(path.fillRule());
    QPointF current;
    bool joined = false; // whether the part's last element ends at `current`
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.isMoveTo()) {
            current = e;
            joined = false;
            continue;
        }
        const bool curve = e.isCurveTo();
        const QPointF end = curve ? QPointF(path.elementAt(i + 2)) : QPointF(e);
        QRectF bounds = QRectF(current, end).normalized();
        if (curve) {
            bounds |= QRectF(QPointF(e), QSizeF(0.0, 0.0));
            bounds |= QRectF(QPointF(path.elementAt(i + 1)), QSizeF(0.0, 0.0));
        }
        // A zero-height or zero-width rectangle never intersects; compare the ranges instead.
        const bool meets = bounds.left() <= near.right() && near.left() <= bounds.right()
                        && bounds.top() <= near.bottom() && near.top() <= bounds.bottom();
        if (meets) {
            if (!joined)
                part.moveTo(current);
            if (curve)
                part.cubicTo(e, path.elementAt(i + 1), end);
            else
                part.lineTo(end);
        }
        joined = meets;
        current = end;
        if (curve)
            i += 2;
    }
    return part;
}

// Strokes the parts of the path that can reach the painter's image under its current transform.
void strokeOnImage(QPainter &painter, const QPainterPath &path, const QPen &pen, const QSize &imageSize)
{
    const QRectF band = painter.transform().inverted().mapRect(QRectF(QPointF(0.0, 0.0), QSizeF(imageSize)));
    const QPainterPath part = partNear(path, band, pen.widthF() + 2.0);
    if (!part.isEmpty())
        painter.strokePath(part, pen);
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

OVCylindricalGraphView::FacePlan OVCylindricalGraphView::facePlan(const OVGraphRange &xRange, double scale)
{
    FacePlan plan;
    plan.size = QSize(int(std::lround(width() * scale)), int(std::lround(height() * scale)));
    mStrokeRange = OVGraphRangeMake(mVerticalOffset - 90.0, mVerticalOffset + 90.0);
    plan.path = seriesPath(xRange);
    mStrokeRange.reset();
    if (scale != 1.0)
        plan.path = QTransform::fromScale(scale, scale).map(plan.path);
    const OVGraphRange data = rangeForData(dataPoints(), minDate(), maxDate());
    plan.dataMin = data.min;
    plan.topTurn = std::ceil(float(data.max / 360.0)) * 360.0;
    plan.verticalOffset = mVerticalOffset;
    plan.pen = QPen(strokeColor(), strokeWidth() * scale);
    plan.pen.setCapStyle(Qt::RoundCap);
    plan.pen.setJoinStyle(Qt::RoundJoin);
    const OVCylinderGeometry g = geometry();
    plan.cylinder = pixelCylinderRect(scale);
    plan.endWidth = g.width * scale;
    return plan;
}

void OVCylindricalGraphView::strokeFace(const FacePlan &plan, bool back, QImage &face)
{
    // The face images are kept from frame to frame (the turns of a drag draw into the same pixels).
    if (face.size() != plan.size)
        face = QImage(plan.size, QImage::Format_ARGB32_Premultiplied);
    face.fill(Qt::transparent);
    const double H = plan.size.height();
    const double F = plan.topTurn;
    // Each turn of the series lies 2H further up; the front face shows the band round the
    // offset, the back face the band half a turn away, mirrored.
    QPainter p(&face);
    p.setRenderHint(QPainter::Antialiasing);
    if (back) {
        p.translate(0.0, H);
        p.scale(1.0, -1.0);
        p.translate(0.0, -H);
    }
    p.translate(0.0, F / 360.0 * 2.0 * H);
    const double firstTurn = back ? F + plan.verticalOffset - 90.0 : plan.verticalOffset + 90.0 + F;
    for (double k = firstTurn; k > plan.dataMin; k -= 360.0) {
        strokeOnImage(p, plan.path, plan.pen, plan.size);
        p.translate(0.0, -2.0 * H);
    }
    strokeOnImage(p, plan.path, plan.pen, plan.size);
}

void OVCylindricalGraphView::warpFace(const FacePlan &plan, bool back, const QImage &face, QImage &warped)
{
    const QRect &r = plan.cylinder;
    if (r.width() <= 0 || r.height() <= 0) {
        warped = QImage();
        return;
    }
    OVCylinderFaceWarp onto;
    onto.setOutputSize(r.size());
    onto.setFaceWidth(r.width() * (r.width() - plan.endWidth) / r.width());
    onto.setBulgePixels((back ? kBulgeShare : -kBulgeShare) * float(r.height()));
    onto.apply(face, warped);
}

OVCylindricalGraphView::Faces OVCylindricalGraphView::strokeFaces(const OVGraphRange &xRange, double scale)
{
    const FacePlan plan = facePlan(xRange, scale);
    strokeFace(plan, false, mStrokedFaces.front);
    strokeFace(plan, true, mStrokedFaces.back);
    return mStrokedFaces;
}

QRect OVCylindricalGraphView::pixelCylinderRect(double scale) const
{
    const QRectF r = geometry().rect;
    return QRectF(r.x() * scale, r.y() * scale, r.width() * scale, r.height() * scale).toAlignedRect();
}

OVCylindricalGraphView::Faces OVCylindricalGraphView::warpFaces(const Faces &faces, double scale)
{
    FacePlan plan;
    plan.cylinder = pixelCylinderRect(scale);
    plan.endWidth = geometry().width * scale;
    warpFace(plan, false, faces.front, mWarpedFaces.front);
    warpFace(plan, true, faces.back, mWarpedFaces.back);
    return mWarpedFaces;
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

const QImage &OVCylindricalGraphView::body(const QSize &size, double scale) const
{
    const OVCylinderGeometry g = geometry();
    const QRectF r(g.rect.x() * scale, g.rect.y() * scale, g.rect.width() * scale, g.rect.height() * scale);
    const BodyKey key{size, r, g.width * scale, mCylinderColor};
    if (key != mBodyKey || mBody.isNull()) {
        mBody = QImage(size, QImage::Format_ARGB32_Premultiplied);
        mBody.fill(Qt::transparent);
        QPainter p(&mBody);
        drawCylinderInRect(p, r, g.width * scale);
        mBodyKey = key;
        ++mBodyRenderings;
    }
    return mBody;
}

QImage OVCylindricalGraphView::compose(const Faces &warped, double scale) const
{
    const QSize size(int(std::lround(width() * scale)), int(std::lround(height() * scale)));
    const QRect r = pixelCylinderRect(scale);
    if (mComposition.size() != size)
        mComposition = QImage(size, QImage::Format_ARGB32_Premultiplied);
    mComposition.fill(Qt::transparent);
    QPainter p(&mComposition);
    drawAverageLine(p, scale, true);
    if (!warped.back.isNull())
        p.drawImage(r, warped.back);
    p.drawImage(0, 0, body(size, scale));
    if (!warped.front.isNull())
        p.drawImage(r, warped.front);
    drawAverageLine(p, scale, false);
    return mComposition;
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
    // The two faces are independent pictures from the same plan: they are drawn side by side on
    // the pool (the calling thread takes part), each into its own kept images.
    const FacePlan plan = facePlan(xRange, scale);
    OVDispatch::apply(2, [&](size_t index) {
        const bool back = index == 1;
        QImage &stroked = back ? mStrokedFaces.back : mStrokedFaces.front;
        strokeFace(plan, back, stroked);
        warpFace(plan, back, stroked, back ? mWarpedFaces.back : mWarpedFaces.front);
    });
    painter.drawImage(QRectF(0.0, 0.0, width(), height()), compose(mWarpedFaces, scale));
}
