// The drawing half of the graph view: background, series, markers, average line, the "Range:"
// and hover read-outs, the no-data messages, and following the mouse.
#include "graphs/OVGraphView.h"

#include "core/OVDateFormattingTool.h"
#include "core/views/OVAttributedString.h"
#include "core/views/OVYUp.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace {

// Bubble behind read-outs: margins 10 left and right, 4 above and below, corner radius 2.
constexpr double kBubbleMarginX = 10.0;
constexpr double kBubbleMarginY = 4.0;
constexpr double kBubbleRadius = 2.0;
// Distance of a read-out from the top or bottom edge.
constexpr double kReadOutMargin = 8.0;

QPen graphPen(const QColor &color, double width)
{
    QPen pen(color, width);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

void drawBubble(QPainter &painter, const QRectF &textRect)
{
    const QRectF bubble = textRect.adjusted(-kBubbleMarginX, -kBubbleMarginY, kBubbleMarginX, kBubbleMarginY);
    QPainterPath path;
    path.addRoundedRect(bubble, kBubbleRadius, kBubbleRadius);
    painter.fillPath(path, QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.5f));
    painter.strokePath(path, graphPen(Qt::black, 1.0));
}

// Two decimals below 1 in magnitude, none from 1 upward.
QString rangeNumber(double v)
{
    return std::fabs(v) < 1.0 ? QString::asprintf("%.2f", v) : QString::asprintf("%.0f", v);
}

bool nearZero(double v)
{
    return -1.0 < v && v < 1.0;
}

} // namespace

void OVGraphView::paint(QPainter &painter)
{
    if (isHiddenOrInHiddenAncestor())
        return;
    painter.save();
    OVYUp::beginView(painter, *this, true);
    painter.setRenderHint(QPainter::Antialiasing);
    ensureXValues();

    // Always the whole width: Qt repaints whatever lies under a moving overlay, and a partial
    // range would draw a different curve there.
    const OVGraphRange xRange = OVGraphRangeMake(0.0, width_() + 1.0);
    drawBackgroundForXRange(painter, xRange);
    drawGraphForXRange(painter, xRange);
    drawMinMax(painter);
    drawHover(painter);

    if (!mErrorTextAttributes.isEmpty()) {
        QString message;
        const auto visible = [this](const OVGraphDataPoint &p) {
            return 0.0 <= p.graphAdjustedX && p.graphAdjustedX < width_();
        };
        if (!mNoDataString.isNull() && mDataPoints.empty())
            message = mNoDataString;
        else if (!mNoMatchingPointsString.isNull() && std::none_of(mDataPoints.begin(), mDataPoints.end(), visible))
            message = mNoMatchingPointsString;
        if (!message.isNull()) {
            OVAttributedString text(message, mErrorTextAttributes);
            const QSizeF size = text.size();
            if (mInverted && mForegroundColor.isValid())
                painter.fillRect(rect(), mForegroundColor);
            const QPointF origin(width_() / 2.0 - size.width() / 2.0, double(height()) / 2.0 - size.height() / 2.0);
            text.drawInRect(painter, QRectF(origin, size));
        }
    }
    painter.restore();
}

void OVGraphView::drawBackgroundForXRange(QPainter &painter, const OVGraphRange &xRange)
{
    const double x0 = xRange.min;
    const double w = xRange.max - xRange.min;
    const double h = double(height());
    if (!mBackgroundGradient) {
        if (mBackgroundColor.isValid())
            painter.fillRect(QRectF(x0, 0.0, w, h), mBackgroundColor);
        return;
    }
    if (mBackgroundGradientRange == OVGraphRange{}) {
        mBackgroundGradient->drawInRect(painter, QRectF(x0, 0.0, w, h), -90.0);
        return;
    }
    // The gradient spans its value range; beyond it the end colours carry on.
    const double yHi = yForValue(mBackgroundGradientRange.max);
    const double yLo = yForValue(mBackgroundGradientRange.min);
    mBackgroundGradient->drawInRect(painter, QRectF(x0, yHi, w, yLo - yHi), -90.0);
    if (mBackgroundGradientRange.min > mYRange.min) {
        const double from = std::floor(yLo);
        painter.fillRect(QRectF(x0, from, w, h - from), mBackgroundGradient->interpolatedColorAtLocation(0.0));
    } else if (mYRange.max > mBackgroundGradientRange.max) {
        painter.fillRect(QRectF(x0, 0.0, w, std::ceil(yHi)), mBackgroundGradient->interpolatedColorAtLocation(1.0));
    }
}

void OVGraphView::drawGraphForXRange(QPainter &painter, const OVGraphRange &xRange)
{
    const double x0 = xRange.min;
    const double x1 = xRange.max;
    const QRectF whole(x0, 0.0, x1 - x0, double(height()));
    if (mDataPoints.empty()) {
        if (!mDrawForegroundWhenNoData && !mInverted)
            return;
        if (mForegroundGradient)
            mForegroundGradient->drawInRect(painter, whole, -90.0);
        else if (mForegroundColor.isValid())
            painter.fillRect(whole, mForegroundColor);
        return;
    }

    if (mGraphSecondaryYMode == OVGraphSecondaryYMode::FilledUnder && mSecondaryYColor.isValid()) {
        const QPainterPath below = secondaryFilledPathForXRange(xRange);
        if (!below.isEmpty())
            painter.fillPath(below, mSecondaryYColor);
    }

    QPainterPath main;
    if (mForegroundColor.isValid() || mForegroundGradient) {
        if (mGraphYMode == OVGraphYMode::Bars)
            main = barChartPathForXRange(xRange);
        else if (mGraphYMode == OVGraphYMode::Band)
            main = rangeChartPathForXRange(xRange);
        else
            main = filledPathForXRange(xRange);
        if (main.isEmpty())
            return;
        if (mForegroundGradient) {
            mForegroundGradient->drawInPath(painter, main, -90.0);
        } else if (mGraphYMode == OVGraphYMode::Bars) {
            // Bars one by one: a rectangle fill is far cheaper than the fill of a path of many.
            // Without smoothing, neighbours meet on whole pixels and show no seam between them.
            painter.save();
            painter.setRenderHint(QPainter::Antialiasing, false);
            for (const QRectF &bar : barRectsForXRange(xRange))
                painter.fillRect(bar, mForegroundColor);
            painter.restore();
        } else {
            painter.fillPath(main, mForegroundColor);
        }
    }

    if (mStroke) {
        const QPen pen = graphPen(mStrokeColor, mStrokeWidth);
        if (mGraphYMode == OVGraphYMode::Line) {
            painter.strokePath(strokePathForXRange(xRange), pen);
        } else if (mGraphYMode == OVGraphYMode::Bars && !main.isEmpty()) {
            // Bar by bar: one stroke of the whole bar path costs the rasteriser many times
            // more, above all at a device pixel ratio of 2.
            const std::vector<QRectF> bars = barRectsForXRange(xRange);
            painter.save();
            painter.setPen(pen);
            painter.setBrush(Qt::NoBrush);
            painter.drawRects(bars.data(), int(bars.size()));
            painter.restore();
        }
    }

    if (mPlot) {
        const double h = mGraphYMode == OVGraphYMode::Bars ? 1.0 : 3.5;
        const double s = mGraphYMode == OVGraphYMode::Bars ? 2.0 : 7.0;
        QPainterPath markers;
        for (const OVGraphDataPoint &p : mDataPoints) {
            if (!OVGraphDataPoint::isDrawable(p.y))
                continue;
            const double markerTop = yForValue(p.y) - h;
            if (mGraphXMode == OVGraphXMode::Dates && p.date.isValid()) {
                const double x = xForDate(p.date);
                if (x0 < x && x < x1)
                    markers.addEllipse(QRectF(p.graphAdjustedX - h, markerTop, s, s));
            } else if (mGraphXMode == OVGraphXMode::Dates) {
                if (double(height()) > markerTop + s)
                    markers.addRect(QRectF(p.graphAdjustedXMin, markerTop,
                                           p.graphAdjustedXMax - p.graphAdjustedXMin, s));
            } else if (mGraphXMode == OVGraphXMode::Values && x0 < p.graphAdjustedX && p.graphAdjustedX < x1) {
                markers.addEllipse(QRectF(p.graphAdjustedX - h, markerTop, s, s));
            }
        }
        painter.fillPath(markers, mPlotColor);
    }

    if (mGraphSecondaryYMode == OVGraphSecondaryYMode::Line && mSecondaryYColor.isValid()) {
        const QPainterPath line = secondaryStrokePathForXRange(xRange);
        if (!line.isEmpty())
            painter.strokePath(line, graphPen(mSecondaryYColor, mStrokeWidth));
    }

    if (mShowAverageValue) {
        double sum = 0.0;
        int count = 0;
        for (const OVGraphDataPoint &p : mDataPoints) {
            if (x0 < p.graphAdjustedX && p.graphAdjustedX < x1 && OVGraphDataPoint::isDrawable(p.y)) {
                sum += p.y;
                ++count;
            }
        }
        const double y = count > 0 ? std::round(yForValue(sum / count)) : NAN;
        if (std::isfinite(y))
            painter.fillRect(QRectF(x0, y, x1 - x0, 1.0), mAverageValueColor);
    }
}

QString OVGraphView::minMaxText() const
{
    bool any = false;
    double min = 0.0;
    double max = 0.0;
    for (const OVGraphDataPoint &p : mDataPoints) {
        if (!(0.0 <= p.graphAdjustedX && p.graphAdjustedX <= width_()))
            continue;
        const double low = mGraphYMode == OVGraphYMode::Band ? p.minDisplayValue : p.displayValue;
        const double high = mGraphYMode == OVGraphYMode::Band ? p.maxDisplayValue : p.displayValue;
        // A point without a number has nothing to contribute to the range.
        if (!OVGraphDataPoint::isDrawable(low) || !OVGraphDataPoint::isDrawable(high))
            continue;
        min = any ? std::min(min, low) : low;
        max = any ? std::max(max, high) : high;
        any = true;
    }
    if (!any)
        return {};
    const QString units = mHoverUnits.isNull() ? QString() : mHoverUnits;
    return QStringLiteral("Range: %1%2 \u279C %3%4").arg(rangeNumber(min), units, rangeNumber(max), units);
}

void OVGraphView::drawMinMax(QPainter &painter)
{
    if (!mShowMinMaxValues || mHoverTextAttributes.isEmpty() || mDataPoints.empty())
        return;
    const QString text = minMaxText();
    if (text.isEmpty())
        return;
    OVAttributedString label(text, mHoverTextAttributes);
    const QSizeF size = label.size();
    const QRectF textRect(QPointF((width_() - size.width()) * 0.5, kReadOutMargin), size);
    drawBubble(painter, textRect);
    label.drawInRect(painter, textRect);
}

QString OVGraphView::hoverText(const OVGraphDataPoint &point)
{
    OVDateFormattingTool &tool = OVDateFormattingTool::sharedFormattingTool();
    const QString units = mHoverUnits.isNull() ? QString() : mHoverUnits;
    const double v = point.displayValue;
    const char *number = nearZero(v) ? "%.2f" : "%.1f";
    if (mGraphYMode == OVGraphYMode::Bars) {
        const QString when = tool.combinedStringFromStartDate(point.minDate, point.maxDate, mTimeZone);
        return QString::asprintf(number, v) + units + QStringLiteral(" from ") + when;
    }
    if (mGraphYMode == OVGraphYMode::Band) {
        const auto end = [](double e) {
            return nearZero(e) ? QString::asprintf("%.2f", e) : QString::asprintf("%.0f", e);
        };
        return QStringLiteral("%1%2 \u279C %3%4 on %5")
            .arg(end(point.yMin), units, end(point.yMax), units, tool.dateStringFromDate(point.date, mTimeZone));
    }
    return QString::asprintf(number, v) + units + QStringLiteral(" at ")
        + tool.combinedStringFromDate(point.date, mTimeZone);
}

int OVGraphView::hoverPointIndex() const
{
    int best = -1;
    double bestDistance = width_();
    for (size_t i = 0; i < mDataPoints.size(); ++i) {
        const double x = mDataPoints[i].graphAdjustedX;
        if (!(0.0 <= x && x <= width_()))
            continue;
        const double distance = std::fabs(x - mHoverOverX);
        if (distance < bestDistance) {
            best = int(i);
            bestDistance = distance;
        }
    }
    return best;
}

void OVGraphView::drawHover(QPainter &painter)
{
    if (mDataPoints.empty() || mHoverTextAttributes.isEmpty() || !(0.0 <= mHoverOverX && mHoverOverX <= width_()))
        return;
    const int index = hoverPointIndex();
    if (index < 0)
        return;
    const OVGraphDataPoint &p = mDataPoints[size_t(index)];
    const double x = p.graphAdjustedX;
    const double markerY = yForValue(mGraphYMode == OVGraphYMode::Band ? (p.yMin + p.yMax) * 0.5 : p.y);
    QPainterPath marker;
    marker.addEllipse(QRectF(x - 3.5, markerY - 3.5, 7.0, 7.0));
    painter.fillPath(marker, mPlotColor);

    OVAttributedString label(hoverText(p), mHoverTextAttributes);
    const QSizeF size = label.size();
    double tx = (width_() - size.width()) * 0.5;
    const double ty = double(height()) - size.height() - kReadOutMargin;
    QRectF imageRect;
    if (!p.displayImage.isNull()) {
        const QPointF offset = p.displayImageOffset;
        const QSizeF imageSize = p.displayImage.deviceIndependentSize();
        imageRect = QRectF(x + offset.x(), yForValue(p.y) + offset.y(), imageSize.width(), imageSize.height());
        if (x + offset.x() + imageSize.width() > x)
            tx += offset.x() + imageSize.width();
    }
    const QRectF textRect(QPointF(tx, ty), size);
    drawBubble(painter, textRect);
    label.drawInRect(painter, textRect);
    if (!p.displayImage.isNull())
        painter.drawImage(imageRect, p.displayImage);
}

std::optional<OVGraphDataPoint> OVGraphView::closestDataToX(double x)
{
    ensureXValues();
    if (mDataPoints.empty())
        return std::nullopt;
    const OVGraphDataPoint &first = mDataPoints.front();
    const OVGraphDataPoint &last = mDataPoints.back();
    const bool bars = mGraphYMode == OVGraphYMode::Bars;
    if (bars ? (first.graphAdjustedXMin > x || x > last.graphAdjustedXMax)
             : (first.graphAdjustedX > x || x > last.graphAdjustedX))
        return std::nullopt;

    const OVGraphDataPoint *best = nullptr;
    double bestDistance = width_();
    for (const OVGraphDataPoint &p : mDataPoints) {
        if (!(0.0 <= p.graphAdjustedX && p.graphAdjustedX <= width_()))
            continue;
        if (bars) {
            if (p.graphAdjustedXMin <= x && x <= p.graphAdjustedXMax)
                return p;
            continue;
        }
        const double distance = std::fabs(p.graphAdjustedX - x);
        if (distance < bestDistance) {
            best = &p;
            bestDistance = distance;
        }
    }
    if (!best)
        return std::nullopt;
    return *best;
}

void OVGraphView::redisplayWithOverlays()
{
    setNeedsDisplay();
    for (const QPointer<QWidget> &view : mOverlayViews)
        markForRedisplay(view);
}

void OVGraphView::mouseMoveEvent(QMouseEvent *event)
{
    if (!mHoverTextAttributes.isEmpty()) {
        const QPointF at = event->position();
        mHoverOverX = (at.y() < 0.0 || at.y() > double(height())) ? -1.0 : at.x();
        redisplayWithOverlays();
    }
    // A tracking parent (the graph stack) follows the mouse too.
    event->ignore();
}

void OVGraphView::leaveEvent(QEvent *event)
{
    mHoverOverX = -1.0;
    if (!mHoverTextAttributes.isEmpty())
        redisplayWithOverlays();
    OVKeptRenderingView::leaveEvent(event);
}

void OVGraphView::resizeEvent(QResizeEvent *event)
{
    OVKeptRenderingView::resizeEvent(event);
    mXPointsDirty = true;
}
