// The legend's properties, layout, label intervals, value labels and drawing.
#include "graphs/OVGraphLegendView.h"

#include "core/views/OVYUp.h"

#include <QFontDatabase>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// The labels' look until a panel sets its own: bold sans-serif at 11 px, white, centred.
QVariantMap defaultTextAttributes()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setStyleHint(QFont::SansSerif);
    font.setWeight(QFont::Bold);
    font.setPixelSize(11);
    return OVAttributedString::addCenterAttributes(
        QVariantMap{{OVFontAttributeName, font}, {OVForegroundColorAttributeName, QColor::fromRgbF(1, 1, 1, 1)}});
}

QSizeF measured(const QString &text, const QVariantMap &attributes)
{
    if (text.isNull() || attributes.isEmpty())
        return QSizeF(0, 0);
    return OVAttributedString(text, attributes).size();
}

void fillRect(QPainter &painter, const QRectF &rect, const QColor &color)
{
    if (color.isValid())
        painter.fillRect(rect, color);
}

// Labels can never be this many; a tiny interval over a huge range stops here.
constexpr int kMaxValueLabels = 10000;
// Room left between two value labels, so neighbours read as two.
constexpr double kValueLabelGap = 2.0;
// The spare margin on each side of a date label's text.
constexpr double kDateLabelMargin = 5.0;

} // namespace

OVGraphLegendView::OVGraphLegendView(QWidget *parent)
    : OVKeptRenderingView(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
    // Mouse events belong to the graph underneath.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    const QVariantMap attributes = defaultTextAttributes();
    setXTextAttributes(attributes);
    setYTextAttributes(attributes);
    setXLabelAttributes(attributes);
    setYLabelAttributes(attributes);
}

void OVGraphLegendView::setClock(const OVClock *clock)
{
    mClock = clock ? clock : &OVClock::system();
    setNeedsDisplay();
}

#define OV_LEGEND_SETTER(Name, Type, member)                                                                \
    void OVGraphLegendView::Name(Type value)                                                                \
    {                                                                                                       \
        member = value;                                                                                     \
        setNeedsDisplay();                                                                                  \
    }
OV_LEGEND_SETTER(setGraphXMode, OVGraphXMode, mGraphXMode)
OV_LEGEND_SETTER(setXRange, const OVGraphRange &, mXRange)
OV_LEGEND_SETTER(setMaxDate, const QDateTime &, mMaxDate)
OV_LEGEND_SETTER(setTimeZone, const QTimeZone &, mTimeZone)
OV_LEGEND_SETTER(setXGradient, const std::optional<OVGradient> &, mXGradient)
OV_LEGEND_SETTER(setYGradient, const std::optional<OVGradient> &, mYGradient)
OV_LEGEND_SETTER(setXLabelGradient, const std::optional<OVGradient> &, mXLabelGradient)
OV_LEGEND_SETTER(setYLabelGradient, const std::optional<OVGradient> &, mYLabelGradient)
OV_LEGEND_SETTER(setBorderWidth, double, mBorderWidth)
OV_LEGEND_SETTER(setXBorderColor, const QColor &, mXBorderColor)
OV_LEGEND_SETTER(setYBorderColor, const QColor &, mYBorderColor)
OV_LEGEND_SETTER(setXGridColor, const QColor &, mXGridColor)
OV_LEGEND_SETTER(setYGridColor, const QColor &, mYGridColor)
OV_LEGEND_SETTER(setUnits, const QString &, mUnits)
OV_LEGEND_SETTER(setDrawXLegend, bool, mDrawXLegend)
OV_LEGEND_SETTER(setDrawYLegend, bool, mDrawYLegend)
OV_LEGEND_SETTER(setMinXLegendHeight, double, mMinXLegendHeight)
OV_LEGEND_SETTER(setMinYLegendWidth, double, mMinYLegendWidth)
OV_LEGEND_SETTER(setForceXInterval, double, mForceXInterval)
OV_LEGEND_SETTER(setForceYInterval, double, mForceYInterval)
OV_LEGEND_SETTER(setCustomYLegend, const std::optional<OVCustomYLegend> &, mCustomYLegend)
#undef OV_LEGEND_SETTER

void OVGraphLegendView::setMinDate(const QDateTime &date)
{
    const bool presenceChanged = date.isValid() != mMinDate.isValid();
    mMinDate = date;
    if (presenceChanged)
        updateXTextSize();
    setNeedsDisplay();
}

void OVGraphLegendView::setYRange(const OVGraphRange &range)
{
    // The sample label only changes width with the magnitude of the top value. A negative max
    // has no logarithm (NaN never equals itself), so it is always measured again.
    const bool sameMagnitude = std::log10(mYRange.max) == std::log10(range.max);
    mYRange = range;
    if (!sameMagnitude)
        updateYTextSize();
    setNeedsDisplay();
}

void OVGraphLegendView::setXTextAttributes(const QVariantMap &attributes)
{
    mXTextAttributes = attributes;
    updateXTextSize();
    setNeedsDisplay();
}

void OVGraphLegendView::setYTextAttributes(const QVariantMap &attributes)
{
    mYTextAttributes = attributes;
    updateYTextSize();
    setNeedsDisplay();
}

void OVGraphLegendView::setXLabelAttributes(const QVariantMap &attributes)
{
    mXLabelAttributes = attributes;
    updateXLabelTextSize();
    setNeedsDisplay();
}

void OVGraphLegendView::setYLabelAttributes(const QVariantMap &attributes)
{
    mYLabelAttributes = attributes;
    updateYLabelTextSize();
    setNeedsDisplay();
}

void OVGraphLegendView::setXLabel(const QString &label)
{
    mXLabel = label;
    updateXLabelTextSize();
    setNeedsDisplay();
}

void OVGraphLegendView::setYLabel(const QString &label)
{
    mYLabel = label;
    updateYLabelTextSize();
    setNeedsDisplay();
}

// ---- Text sizes ----

void OVGraphLegendView::updateXTextSize()
{
    if (mXTextAttributes.isEmpty())
        return;
    const QString sample = mMinDate.isValid() ? QStringLiteral("12/31") : QString::asprintf("%.1f", mXRange.min);
    mXTextSize = measured(sample, mXTextAttributes);
}

void OVGraphLegendView::updateYTextSize()
{
    if (mYTextAttributes.isEmpty())
        return;
    const QString sample = mYRange.max == OVGraphNoDataRange.max ? QStringLiteral("0") + mUnits
                                                                  : QString::asprintf("%.1f", mYRange.max) + mUnits;
    mYTextSize = measured(sample, mYTextAttributes);
}

void OVGraphLegendView::updateXLabelTextSize()
{
    mXLabelTextSize = measured(mXLabel, mXLabelAttributes);
}

void OVGraphLegendView::updateYLabelTextSize()
{
    mYLabelTextSize = measured(mYLabel, mYLabelAttributes);
}

// ---- Layout ----

QRectF OVGraphLegendView::xLabelRect() const
{
    if (mXLabel.isNull())
        return QRectF();
    return QRectF(0, 0, width(), mXLabelTextSize.height() + 2.0);
}

QRectF OVGraphLegendView::xLegendRect() const
{
    if (!mDrawXLegend)
        return QRectF();
    return QRectF(0, xLabelRect().height(), width(),
                  std::max(mMinXLegendHeight, mXTextSize.height() + mBorderWidth + 2.0));
}

QRectF OVGraphLegendView::yLabelRect() const
{
    const double above = xLabelRect().height() + xLegendRect().height();
    return QRectF(0, above, mYLabel.isNull() ? 0.0 : mYLabelTextSize.height() + 2.0, double(height()) - above);
}

QRectF OVGraphLegendView::yLegendRect() const
{
    if (!mDrawYLegend)
        return QRectF();
    const QRectF label = yLabelRect();
    return QRectF(label.x() + label.width(), label.y(),
                  std::max(mMinYLegendWidth, mYTextSize.width() + mBorderWidth + 2.0), label.height());
}

QRectF OVGraphLegendView::viewableGraphRect() const
{
    const QRectF yr = yLegendRect();
    const QRectF xr = xLegendRect();
    const QPointF origin(yr.x() + yr.width(), xr.y() + xr.height());
    return QRectF(origin, QPointF(width(), height()));
}

// ---- Intervals and mapping ----

double OVGraphLegendView::snappedInterval(double raw)
{
    static constexpr std::array<double, 13> steps{0.01, 0.02, 0.05, 0.1, 0.2, 0.5, 1, 2, 5, 10, 20, 50, 100};
    if (!(raw > 0.0))
        return raw;
    for (double step : steps)
        if (raw <= step)
            return step;
    return raw;
}

double OVGraphLegendView::xInterval() const
{
    if (mForceXInterval > 0.0)
        return mForceXInterval;
    // Whole parts taken in double: a zero sample width must not become an integer.
    const double k = std::trunc(double(width()) / mYTextSize.width());
    const double n = std::trunc(k * 0.5) - 1.0;
    return snappedInterval((mXRange.max - mXRange.min) / n);
}

double OVGraphLegendView::yInterval() const
{
    if (mForceYInterval > 0.0)
        return mForceYInterval;
    const double k = std::trunc(viewableGraphRect().height() / mYTextSize.height());
    const double n = std::trunc(k * 0.78);
    return snappedInterval((mYRange.max - mYRange.min) / n);
}

double OVGraphLegendView::xForDate(const QDateTime &date, const QRectF &yr) const
{
    if (mGraphXMode != OVGraphXMode::Dates || !mMinDate.isValid() || !mMaxDate.isValid() || !date.isValid())
        return 0.0;
    const double seconds = double(mMinDate.msecsTo(date)) / 1000.0;
    const double window = double(mMinDate.msecsTo(mMaxDate)) / 1000.0;
    return seconds / window * (double(width()) - yr.width()) + yr.width();
}

double OVGraphLegendView::xForValue(double value) const
{
    return (value - mXRange.min) / (mXRange.max - mXRange.min) * double(width());
}

double OVGraphLegendView::yForValue(double value) const
{
    const QRectF g = viewableGraphRect();
    return g.y() + g.height() - (value - mYRange.min) / (mYRange.max - mYRange.min) * g.height();
}

// ---- Value labels ----

double OVGraphLegendView::naturalYLegendWidth() const
{
    return mYTextSize.width() + mBorderWidth + 2.0;
}

std::vector<size_t> OVGraphLegendView::labelsKeptApart(const std::vector<QRectF> &rects)
{
    std::vector<size_t> order(rects.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    if (order.size() < 2)
        return order;
    // Lowest on screen first, so the first end is the axis' bottom.
    std::stable_sort(order.begin(), order.end(),
                     [&rects](size_t a, size_t b) { return rects[a].center().y() > rects[b].center().y(); });
    std::vector<QRectF> kept;
    std::vector<size_t> keptIndices;
    const auto clear = [&kept](const QRectF &rect) {
        const QRectF padded = rect.adjusted(0.0, -kValueLabelGap, 0.0, kValueLabelGap);
        return std::none_of(kept.begin(), kept.end(), [&padded](const QRectF &k) { return padded.intersects(k); });
    };
    const auto keep = [&](size_t index) {
        kept.push_back(rects[index]);
        keptIndices.push_back(index);
    };
    keep(order.front());
    if (clear(rects[order.back()]))
        keep(order.back());
    for (size_t i = 1; i + 1 < order.size(); ++i) {
        if (clear(rects[order[i]]))
            keep(order[i]);
    }
    std::sort(keptIndices.begin(), keptIndices.end());
    return keptIndices;
}

std::vector<OVGraphLegendValueLabel> OVGraphLegendView::yLegendLabels() const
{
    std::vector<OVGraphLegendValueLabel> labels;
    if (OVGraphRangeIsNoData(mYRange))
        return labels;
    const QRectF yr = yLegendRect();
    const double labelHeight = mYTextSize.height();
    // Labels stay inside the band: below the date axis and above the bottom border line.
    const double highest = yr.y();
    const double lowest = std::max(highest, yr.y() + yr.height() - mBorderWidth - labelHeight);
    const auto labelRect = [&](double y) {
        return QRectF(yr.x(), std::clamp(y, highest, lowest), yr.width() - mBorderWidth, labelHeight);
    };
    const auto apart = [&labels] {
        std::vector<QRectF> rects;
        for (const OVGraphLegendValueLabel &label : labels)
            rects.push_back(label.rect);
        for (OVGraphLegendValueLabel &label : labels)
            label.shown = false;
        for (size_t index : labelsKeptApart(rects))
            labels[index].shown = true;
        return labels;
    };
    const auto within = [this](double v) { return mYRange.min <= v && v <= mYRange.max; };

    if (mCustomYLegend) {
        for (const auto &[key, text] : *mCustomYLegend) {
            const double v = double(key);
            if (!within(v))
                continue;
            labels.push_back({text, labelRect(yForValue(v) - 0.5 * labelHeight), std::round(yForValue(v))});
        }
        return apart();
    }

    const double interval = yInterval();
    if (!(interval > 0.0) || !std::isfinite(interval))
        return labels;
    const double start = std::trunc(mYRange.min / interval) * interval;
    if (mYRange.max < start)
        return labels;
    const char *format = interval > 1.0 ? "%.0f" : (interval > 0.1 ? "%.1f" : "%.2f");
    const double bottom = double(height());
    for (int i = 0; i < kMaxValueLabels; ++i) {
        const double v = start + i * interval;
        if (!(v <= mYRange.max))
            break;
        double y = yForValue(v) - 0.5 * labelHeight;
        if (v == mYRange.min)
            y = bottom - labelHeight + 2.0;
        else if (v == mYRange.max)
            y = yr.y() - 2.0;
        labels.push_back({QString::asprintf(format, v) + mUnits, labelRect(y), std::round(yForValue(v))});
    }
    return apart();
}

QRectF OVGraphLegendView::dateLabelText(const QRectF &labelRect)
{
    return labelRect.adjusted(kDateLabelMargin, 0.0, -kDateLabelMargin, 0.0);
}

bool OVGraphLegendView::dateLabelFitsView(const QRectF &labelRect) const
{
    // A label at the window's edge would be cut by it: its grid line then stands alone.
    const QRectF text = dateLabelText(labelRect);
    return 0.0 <= text.left() && text.right() <= double(width());
}

OVGraphLegendContent OVGraphLegendView::drawnXLegendContent() const
{
    OVGraphLegendContent drawn;
    const std::optional<OVGraphLegendContent> content = xLegendContent();
    if (!content)
        return drawn;
    const QRectF yr = yLegendRect();
    const QRectF g = viewableGraphRect();
    for (size_t i = 0; i < content->dates.size(); ++i) {
        const double x = std::round(xForDate(content->dates[i], yr));
        if (!(g.x() <= x && x <= g.x() + g.width()))
            continue;
        if (!dateLabelFitsView(content->rects[i]))
            continue;
        drawn.rects.push_back(dateLabelText(content->rects[i]));
        drawn.strings.push_back(content->strings[i]);
        drawn.dates.push_back(content->dates[i]);
    }
    return drawn;
}

std::vector<QRectF> OVGraphLegendView::drawnLabelRects() const
{
    std::vector<QRectF> rects;
    if (mDrawYLegend) {
        for (const OVGraphLegendValueLabel &label : yLegendLabels()) {
            if (label.shown)
                rects.push_back(label.rect);
        }
    }
    if (mDrawXLegend) {
        const OVGraphLegendContent dates = drawnXLegendContent();
        rects.insert(rects.end(), dates.rects.begin(), dates.rects.end());
    }
    return rects;
}

// ---- Drawing ----

void OVGraphLegendView::paint(QPainter &painter)
{
    if (isHiddenOrInHiddenAncestor())
        return;
    painter.save();
    OVYUp::beginView(painter, *this, true);
    painter.setRenderHint(QPainter::Antialiasing);
    if (mDrawYLegend)
        renderYLegend(painter);
    if (mDrawXLegend)
        renderXLegend(painter);
    if (!mYLabel.isNull())
        renderYLabel(painter);
    if (!mXLabel.isNull())
        renderXLabel(painter);
    painter.restore();
}

void OVGraphLegendView::renderYLegend(QPainter &painter)
{
    const QRectF yr = yLegendRect();
    const QRectF xr = xLegendRect();
    if (mYGradient)
        mYGradient->drawInRect(painter, yr, 0.0);
    if (mYBorderColor.isValid()) {
        fillRect(painter, QRectF(yr.x() + yr.width() - mBorderWidth, yr.y(), mBorderWidth, yr.height()), mYBorderColor);
        fillRect(painter, QRectF(xr.x() + xr.width() - mBorderWidth, yr.y(), mBorderWidth, yr.height()), mYBorderColor);
    }
    for (const OVGraphLegendValueLabel &label : yLegendLabels()) {
        if (label.shown)
            OVAttributedString::drawOVString(painter, label.text, mYTextAttributes, label.rect);
        fillRect(painter, QRectF(yr.x() + yr.width(), label.gridY, double(width()) - yr.width(), 1.0), mYGridColor);
    }
}

void OVGraphLegendView::renderXLegend(QPainter &painter)
{
    const QRectF xr = xLegendRect();
    const QRectF yr = yLegendRect();
    const double top = 0.0;
    const double bottom = double(height());
    if (mXGradient)
        mXGradient->drawInRect(painter, xr, -90.0);
    if (mXBorderColor.isValid()) {
        fillRect(painter, QRectF(xr.x() + yr.width(), xr.y() + xr.height(), xr.width() - yr.width(), mBorderWidth),
                 mXBorderColor);
        fillRect(painter,
                 QRectF(xr.x() + yr.width(), yr.y() + yr.height() - mBorderWidth, xr.width() - yr.width(), mBorderWidth),
                 mXBorderColor);
    }

    if (mGraphXMode == OVGraphXMode::Dates && mMinDate.isValid() && mMaxDate.isValid() && mXGridColor.isValid()) {
        const double nowX = xForDate(mClock->now(), yr);
        if (yr.x() + yr.width() - 2.0 <= nowX && nowX <= double(width()) + 2.0) {
            QPainterPath line;
            line.moveTo(nowX, top + xr.height());
            line.lineTo(nowX, bottom);
            // Dash 5 on, 5 off, starting 6 into the pattern; Qt counts dashes in pen widths.
            QPen pen(mXGridColor, 3.0);
            pen.setCapStyle(Qt::FlatCap);
            pen.setJoinStyle(Qt::MiterJoin);
            pen.setDashPattern({5.0 / 3.0, 5.0 / 3.0});
            pen.setDashOffset(2.0);
            painter.strokePath(line, pen);
        }
    }

    const std::optional<OVGraphLegendContent> content = xLegendContent();
    if (!content)
        return;
    const QRectF g = viewableGraphRect();
    for (size_t i = 0; i < content->dates.size(); ++i) {
        const double x = std::round(xForDate(content->dates[i], yr));
        if (!(g.x() <= x && x <= g.x() + g.width()))
            continue;
        if (dateLabelFitsView(content->rects[i]))
            content->strings[i].drawInRect(painter, content->rects[i]);
        fillRect(painter, QRectF(x, top + xr.height(), 1.0, double(height()) - xr.height()), mXGridColor);
    }
}

void OVGraphLegendView::renderXLabel(QPainter &painter)
{
    const QRectF r = xLabelRect();
    if (mXLabelGradient)
        mXLabelGradient->drawInRect(painter, r, -90.0);
    OVAttributedString::drawOVString(painter, mXLabel, mXLabelAttributes, r);
}

void OVGraphLegendView::renderYLabel(QPainter &painter)
{
    // The title runs down the view in the y label band: the band is drawn turned a quarter turn.
    const QRectF r = yLabelRect();
    const double w = double(width());
    painter.save();
    painter.translate(w, 0.0);
    painter.rotate(90.0);
    const QRectF turned(r.y(), w - r.width(), r.height(), r.width());
    if (mYLabelGradient)
        mYLabelGradient->drawInRect(painter, turned, -90.0);
    OVAttributedString::drawOVString(painter, mYLabel, mYLabelAttributes, turned);
    painter.restore();
}
