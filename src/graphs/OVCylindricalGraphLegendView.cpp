// The cylindrical graph's axes.
#include "graphs/OVCylindricalGraphLegendView.h"

#include "core/OVTextAttributes.h"
#include "core/views/OVAttributedString.h"
#include "graphs/OVCylindricalGraphView.h"
#include "platform/OVLog.h"

#include <QFont>
#include <QPainter>

#include <algorithm>
#include <cmath>

OVCylindricalGraphLegendView::OVCylindricalGraphLegendView(QWidget *parent)
    : OVGraphLegendView(parent)
{
    QFont font(QStringLiteral("Helvetica"));
    font.setBold(true);
    font.setPixelSize(11);
    setYTextAttributes(OVAttributedString::addRightAttributes(
        {{OVFontAttributeName, font}, {OVForegroundColorAttributeName, QColor::fromRgbF(1.0f, 1.0f, 1.0f, 1.0f)}}));
}

void OVCylindricalGraphLegendView::setGeometryFromGraphView(const OVCylindricalGraphView *graph)
{
    if (!graph) {
        mGeometry = OVCylinderGeometry{};
    } else {
        mGeometry = graph->geometry();
        const QPoint shift = mapFromGlobal(graph->mapToGlobal(QPoint(0, 0)));
        mGeometry.rect.translate(shift);
    }
    setNeedsDisplay();
}

void OVCylindricalGraphLegendView::setVerticalOffset(double degrees)
{
    mGeometry.verticalOffset = degrees;
    setNeedsDisplay();
}

double OVCylindricalGraphLegendView::xForDate(const QDateTime &date, const QRectF &) const
{
    if (graphXMode() != OVGraphXMode::Dates || !minDate().isValid() || !maxDate().isValid() || !date.isValid())
        return 0.0;
    const double window = double(minDate().msecsTo(maxDate()));
    return mGeometry.faceX(double(minDate().msecsTo(date)) / window);
}

QRectF OVCylindricalGraphLegendView::xLegendRect() const
{
    QRectF r = OVGraphLegendView::xLegendRect();
    r.setX(mGeometry.rect.x());
    r.setWidth(mGeometry.rect.width());
    return r;
}

QPainterPath OVCylindricalGraphLegendView::bezierPathForXLine(double x, const QRectF &graphRect) const
{
    const double c = mGeometry.width;
    const QRectF r(x - c / 2.0, graphRect.y() + 2.0, c, graphRect.height() - 4.0);
    QPainterPath path(QPointF(r.center().x(), r.bottom()));
    OVCylinderGeometry::appendArc(path, r, 90.0, 270.0, false);
    return path;
}

QPainterPath OVCylindricalGraphLegendView::bezierPathForYLine(double degrees, const QRectF &) const
{
    const double offset = mGeometry.xOffsetForDegrees(degrees);
    const double y = mGeometry.yForDegrees(degrees);
    if (std::isnan(offset))
        OVDebugLog(QStringLiteral("here"));
    if (std::isnan(y))
        OVDebugLog(QStringLiteral("here2"));
    QPainterPath path(QPointF(mGeometry.rect.x() + mGeometry.width / 2.0 + offset, y));
    path.lineTo(mGeometry.rect.x() + mGeometry.rect.width() - mGeometry.width / 2.0 + offset, y);
    return path;
}

void OVCylindricalGraphLegendView::renderXLegend(QPainter &painter)
{
    const QRectF xr = xLegendRect();
    const QRectF yr = yLegendRect();
    if (xGradient())
        xGradient()->drawInRect(painter, xr, -90.0);
    if (xBorderColor().isValid()) {
        const double w = xr.width() - yr.width();
        painter.fillRect(QRectF(xr.x() + yr.width(), xr.y() + xr.height(), w, borderWidth()), xBorderColor());
        painter.fillRect(QRectF(xr.x() + yr.width(), yr.y() + yr.height() - borderWidth(), w, borderWidth()),
                         xBorderColor());
    }
    if (graphXMode() != OVGraphXMode::Dates || !minDate().isValid() || !maxDate().isValid())
        return;
    const QRectF g = viewableGraphRect();

    const double nowX = xForDate(clock().now(), yr);
    if (onFace(nowX) && xGridColor().isValid()) {
        QPen pen(xGridColor(), 3.0);
        pen.setCapStyle(Qt::FlatCap);
        // Dash 5 on, 5 off, starting 6 into the pattern; Qt counts dashes in pen widths.
        pen.setDashPattern({5.0 / 3.0, 5.0 / 3.0});
        pen.setDashOffset(2.0);
        painter.strokePath(bezierPathForXLine(nowX, g), pen);
    }

    const std::optional<OVGraphLegendContent> content = xLegendContent();
    if (!content)
        return;
    for (size_t i = 0; i < content->dates.size(); ++i) {
        const double x = std::round(xForDate(content->dates[i], yr));
        if (!onFace(x))
            continue;
        if (dateLabelFitsView(content->rects[i]))
            content->strings[i].drawInRect(painter, content->rects[i]);
        if (xGridColor().isValid())
            painter.strokePath(bezierPathForXLine(x, g), QPen(xGridColor(), 1.0));
    }
}

std::optional<OVCylindricalGraphLegendView::DirectionLabel>
OVCylindricalGraphLegendView::directionLabel(double degrees, const QString &text) const
{
    const double offset = mGeometry.xOffsetForDegrees(degrees);
    if (offset > 0.0)
        return std::nullopt; // the back face shows no labels and no grid lines
    const double labelWidth = yLegendRect().width() - borderWidth();
    const double labelHeight = yTextSize().height();
    // Labels follow the face's curve but stay inside the view: left of the face, below the
    // date axis and above the bottom border line.
    const double x = offset + mGeometry.rect.x() + mGeometry.width / 2.0 - labelWidth - 10.0;
    const double highest = yLegendRect().y();
    const double lowest = std::max(highest, double(height()) - borderWidth() - labelHeight);
    const QRectF labelRect(std::max(0.0, x),
                           std::clamp(mGeometry.yForDegrees(degrees) - labelHeight / 2.0, highest, lowest),
                           labelWidth, labelHeight);
    return DirectionLabel{text, labelRect, degrees};
}

std::vector<OVCylindricalGraphLegendView::DirectionLabel> OVCylindricalGraphLegendView::directionLabels() const
{
    std::vector<DirectionLabel> labels;
    const OVGraphRange range = yRange();
    if (OVGraphRangeIsNoData(range))
        return labels;
    const auto add = [&labels](std::optional<DirectionLabel> label) {
        if (label)
            labels.push_back(*label);
    };
    if (customYLegend()) {
        for (const auto &[value, text] : *customYLegend()) {
            if (range.min < value && value < range.max)
                add(directionLabel(value, text));
        }
        return keptApart(labels);
    }
    const double interval = yInterval();
    if (!(interval > 0.0) || !std::isfinite(interval))
        return labels;
    const char *format = interval > 1.0 ? "%.0f%s" : interval > 0.1 ? "%.1f%s" : "%.2f%s";
    const QByteArray units = this->units().toUtf8();
    const double labelHeight = yTextSize().height();
    for (double d = std::trunc(range.min / interval) * interval; d <= range.max; d += interval) {
        std::optional<DirectionLabel> label =
            directionLabel(d, QString::asprintf(format, d, units.constData()));
        // The range's ends keep clear of the view's edges: the lowest at the bottom of the value
        // axis, the highest at its top.
        if (label && d == range.min)
            label->rect.moveTop(std::max(yLegendRect().y(), double(height()) - borderWidth() - labelHeight));
        else if (label && d == range.max)
            label->rect.moveTop(yLegendRect().y());
        add(std::move(label));
    }
    return keptApart(labels);
}

std::vector<OVCylindricalGraphLegendView::DirectionLabel>
OVCylindricalGraphLegendView::keptApart(const std::vector<DirectionLabel> &labels)
{
    std::vector<QRectF> rects;
    for (const DirectionLabel &label : labels)
        rects.push_back(label.rect);
    std::vector<DirectionLabel> kept = labels;
    for (DirectionLabel &label : kept)
        label.shown = false;
    for (size_t index : labelsKeptApart(rects))
        kept[index].shown = true;
    return kept;
}

std::vector<QRectF> OVCylindricalGraphLegendView::drawnLabelRects() const
{
    std::vector<QRectF> rects;
    if (drawYLegend()) {
        for (const DirectionLabel &label : directionLabels()) {
            if (label.shown)
                rects.push_back(label.rect);
        }
    }
    if (!drawXLegend() || graphXMode() != OVGraphXMode::Dates || !minDate().isValid() || !maxDate().isValid())
        return rects;
    const std::optional<OVGraphLegendContent> content = xLegendContent();
    if (!content)
        return rects;
    const QRectF yr = yLegendRect();
    for (size_t i = 0; i < content->dates.size(); ++i) {
        if (onFace(std::round(xForDate(content->dates[i], yr))) && dateLabelFitsView(content->rects[i]))
            rects.push_back(dateLabelText(content->rects[i]));
    }
    return rects;
}

bool OVCylindricalGraphLegendView::onFace(double x) const
{
    const QRectF g = viewableGraphRect();
    const double c = mGeometry.width;
    return g.x() + c / 2.0 <= x && x <= g.x() + g.width() - c / 2.0;
}

void OVCylindricalGraphLegendView::renderYLegend(QPainter &painter)
{
    const QRectF yr = yLegendRect();
    const QRectF xr = xLegendRect();
    if (yGradient())
        yGradient()->drawInRect(painter, yr, 0.0);
    if (yBorderColor().isValid()) {
        painter.fillRect(QRectF(yr.x() + yr.width() - borderWidth(), yr.y(), borderWidth(), yr.height()),
                         yBorderColor());
        painter.fillRect(QRectF(xr.x() + xr.width() - borderWidth(), yr.y(), borderWidth(), yr.height()),
                         yBorderColor());
    }
    for (const DirectionLabel &label : directionLabels()) {
        if (label.shown)
            OVAttributedString::drawOVString(painter, label.text, yTextAttributes(), label.rect);
        if (yGridColor().isValid())
            painter.strokePath(bezierPathForYLine(label.degrees, viewableGraphRect()), QPen(yGridColor(), 1.0));
    }
}
