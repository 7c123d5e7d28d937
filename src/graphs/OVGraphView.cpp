// The data side of the graph view: properties, accepting points, scales, mapping between values
// and view coordinates, the spline points and the path builders.
#include "graphs/OVGraphView.h"

#include "core/NSDateUtil.h"

#include <algorithm>
#include <cmath>

namespace {

// Builds the elements of one series' path. A value that is unset (a gap in the series) ends the
// current run; the next set value starts a new sub-path. A filled run is first closed down to
// the base line so that each run fills only its own stretch.
class PathWriter
{
public:
    PathWriter(bool filled, double base)
        : mFilled(filled)
        , mBase(base)
    {
    }

    void move(const QPointF &p)
    {
        mOps.push_back({OVGraphPathOp::Move, p, {}, {}});
        mInRun = true;
        mLast = p;
    }
    void line(const QPointF &p)
    {
        mOps.push_back({OVGraphPathOp::Line, p, {}, {}});
        mLast = p;
    }
    void curve(const QPointF &control, const QPointF &p)
    {
        mOps.push_back({OVGraphPathOp::Curve, p, control, control});
        mLast = p;
    }
    /// Line to a value point, or a gap when the value is unset.
    void lineToValue(double x, double value, double y)
    {
        if (!OVGraphDataPoint::isDrawable(value)) {
            breakRun();
            return;
        }
        if (!mInRun)
            resumeAt(QPointF(x, y));
        else
            line(QPointF(x, y));
    }
    void breakRun()
    {
        if (mInRun && mFilled)
            line(QPointF(mLast.x(), mBase));
        mInRun = false;
    }
    void resumeAt(const QPointF &p)
    {
        if (mFilled) {
            move(QPointF(p.x(), mBase));
            line(p);
        } else {
            move(p);
        }
    }
    bool inRun() const { return mInRun; }
    OVGraphPathOps take() { return std::move(mOps); }

private:
    OVGraphPathOps mOps;
    bool mFilled;
    double mBase;
    bool mInRun = false;
    QPointF mLast;
};

// Time order for date mode: the date, else the start of the interval; points with neither last.
const QDateTime &sortDate(const OVGraphDataPoint &p)
{
    return p.date.isValid() ? p.date : p.minDate;
}

bool earlierInTime(const OVGraphDataPoint &a, const OVGraphDataPoint &b)
{
    const QDateTime &da = sortDate(a);
    const QDateTime &db = sortDate(b);
    if (!da.isValid())
        return false;
    if (!db.isValid())
        return true;
    return da < db;
}

double secondsBetween(const QDateTime &from, const QDateTime &to)
{
    return double(from.msecsTo(to)) / 1000.0;
}

} // namespace

OVGraphView::OVGraphView(QWidget *parent)
    : OVKeptRenderingView(parent)
    , mTimeZone(QTimeZone::systemTimeZone())
{
    setAttribute(Qt::WA_TranslucentBackground);
    setMouseTracking(true);
}

// Setters: the picture changes with each of them.
#define OV_GRAPH_SETTER(Name, Type, member)                                                                 \
    void OVGraphView::Name(Type value)                                                                      \
    {                                                                                                       \
        member = value;                                                                                     \
        setNeedsDisplay();                                                                                  \
    }
OV_GRAPH_SETTER(setGraphXMode, OVGraphXMode, mGraphXMode)
OV_GRAPH_SETTER(setGraphYMode, OVGraphYMode, mGraphYMode)
OV_GRAPH_SETTER(setGraphSecondaryYMode, OVGraphSecondaryYMode, mGraphSecondaryYMode)
OV_GRAPH_SETTER(setMinDate, const QDateTime &, mMinDate)
OV_GRAPH_SETTER(setMaxDate, const QDateTime &, mMaxDate)
OV_GRAPH_SETTER(setYRange, const OVGraphRange &, mYRange)
OV_GRAPH_SETTER(setBackgroundGradientRange, const OVGraphRange &, mBackgroundGradientRange)
OV_GRAPH_SETTER(setSmoothed, bool, mSmoothed)
OV_GRAPH_SETTER(setInverted, bool, mInverted)
OV_GRAPH_SETTER(setDrawForegroundWhenNoData, bool, mDrawForegroundWhenNoData)
OV_GRAPH_SETTER(setExtendTheData, bool, mExtendTheData)
OV_GRAPH_SETTER(setStroke, bool, mStroke)
OV_GRAPH_SETTER(setStrokeWidth, double, mStrokeWidth)
OV_GRAPH_SETTER(setPlot, bool, mPlot)
OV_GRAPH_SETTER(setShowAverageValue, bool, mShowAverageValue)
OV_GRAPH_SETTER(setShowMinMaxValues, bool, mShowMinMaxValues)
OV_GRAPH_SETTER(setForegroundColor, const QColor &, mForegroundColor)
OV_GRAPH_SETTER(setStrokeColor, const QColor &, mStrokeColor)
OV_GRAPH_SETTER(setPlotColor, const QColor &, mPlotColor)
OV_GRAPH_SETTER(setAverageValueColor, const QColor &, mAverageValueColor)
OV_GRAPH_SETTER(setSecondaryYColor, const QColor &, mSecondaryYColor)
OV_GRAPH_SETTER(setBackgroundGradient, const std::optional<OVGradient> &, mBackgroundGradient)
OV_GRAPH_SETTER(setForegroundGradient, const std::optional<OVGradient> &, mForegroundGradient)
OV_GRAPH_SETTER(setHoverTextAttributes, const QVariantMap &, mHoverTextAttributes)
OV_GRAPH_SETTER(setHoverUnits, const QString &, mHoverUnits)
OV_GRAPH_SETTER(setErrorTextAttributes, const QVariantMap &, mErrorTextAttributes)
OV_GRAPH_SETTER(setNoMatchingPointsString, const QString &, mNoMatchingPointsString)
OV_GRAPH_SETTER(setNoDataString, const QString &, mNoDataString)
OV_GRAPH_SETTER(setOverlayViews, const QList<QPointer<QWidget>> &, mOverlayViews)
#undef OV_GRAPH_SETTER

void OVGraphView::setXRange(const OVGraphRange &range)
{
    mXRange = range;
    mXPointsDirty = true;
    setNeedsDisplay();
}

void OVGraphView::setMinDate(const QDateTime &minDate, const QDateTime &maxDate)
{
    mMinDate = minDate;
    mMaxDate = maxDate;
    mXPointsDirty = true;
    setNeedsDisplay();
}

void OVGraphView::setTimeZone(const QTimeZone &zone)
{
    mTimeZone = zone.isValid() ? zone : QTimeZone::systemTimeZone();
    setNeedsDisplay();
}

void OVGraphView::setBackgroundColor(const QColor &color)
{
    mBackgroundColor = color.isValid() ? color.toRgb() : QColor();
    setNeedsDisplay();
}

void OVGraphView::setHoverOverX(double x)
{
    mHoverOverX = x;
    redisplayWithOverlays();
}

void OVGraphView::setDataPoints(std::vector<OVGraphDataPoint> points)
{
    if (mGraphXMode == OVGraphXMode::Dates)
        std::stable_sort(points.begin(), points.end(), earlierInTime);
    mDataPoints = std::move(points);
    if (mAutoScale)
        mYRange = graphScaleForData(mDataPoints, mGraphSecondaryYMode != OVGraphSecondaryYMode::None);
    mXPointsDirty = true;
    setNeedsDisplay();
}

// ---- Scales ----

OVGraphRange OVGraphView::graphScaleForData(const std::vector<OVGraphDataPoint> &points, bool useSecondaryData)
{
    return graphScaleForData(points, QDateTime(), QDateTime(), useSecondaryData);
}

OVGraphRange OVGraphView::graphScaleForData(const std::vector<OVGraphDataPoint> &points, const QDateTime &startDate,
                                            const QDateTime &endDate, bool useSecondaryData)
{
    const OVGraphRange main = graphScaleForData(points, &OVGraphDataPoint::y, startDate, endDate);
    if (!useSecondaryData)
        return main;
    const OVGraphRange secondary = graphScaleForData(points, &OVGraphDataPoint::secondaryY, startDate, endDate);
    if (secondary.min == OVGraphNoDataRange.min || secondary.max == OVGraphNoDataRange.max)
        return main;
    return OVGraphRangeMake(std::min(main.min, secondary.min), std::max(main.max, secondary.max));
}

OVGraphRange OVGraphView::graphScaleForData(const std::vector<OVGraphDataPoint> &points, OVGraphYMethod yMethod,
                                            const QDateTime &startDate, const QDateTime &endDate)
{
    const bool window = startDate.isValid() && endDate.isValid();
    bool any = false;
    double min = 0.0;
    double max = 0.0;
    for (const OVGraphDataPoint &p : points) {
        if (window) {
            if (p.date.isValid() && !NSDateUtil::isBetweenStartDate(p.date, startDate, endDate))
                continue;
            if (p.minDate.isValid() && p.minDate > endDate)
                continue;
            if (p.maxDate.isValid() && p.maxDate < startDate)
                continue;
        }
        const double v = p.*yMethod;
        if (!OVGraphDataPoint::isSet(v))
            continue;
        if (!any) {
            min = max = v;
            any = true;
        } else {
            if (v < min)
                min = v;
            if (v > max)
                max = v;
        }
    }
    if (!any)
        return OVGraphNoDataRange;
    double pad = (max - min) * 0.2;
    if (pad < 0.01)
        pad = max < 1.0 ? 0.1 : (max < 10.0 ? 1.0 : 10.0);
    return OVGraphRangeMake(min - pad, max + pad);
}

OVGraphRange OVGraphView::rangeForData(const std::vector<OVGraphDataPoint> &points, const QDateTime &startDate,
                                       const QDateTime &endDate)
{
    bool any = false;
    OVGraphRange range;
    for (const OVGraphDataPoint &p : points) {
        if (!p.date.isValid() || !NSDateUtil::isBetweenStartDate(p.date, startDate, endDate))
            continue;
        if (!any) {
            range = OVGraphRangeMake(p.y, p.y);
            any = true;
        } else {
            range.min = std::min(range.min, p.y);
            range.max = std::max(range.max, p.y);
        }
    }
    return any ? range : OVGraphNoDataRange;
}

// ---- Mapping ----

double OVGraphView::xForDate(const QDateTime &date) const
{
    if (mGraphXMode != OVGraphXMode::Dates || !mMinDate.isValid() || !mMaxDate.isValid() || !date.isValid())
        return 0.0;
    return secondsBetween(mMinDate, date) / secondsBetween(mMinDate, mMaxDate) * width_();
}

QDateTime OVGraphView::dateForX(double x) const
{
    if (!mMinDate.isValid() || !mMaxDate.isValid())
        return {};
    const double seconds = std::trunc(secondsBetween(mMinDate, mMaxDate) * (x / width_()));
    // A zero width or a far-off x gives no date rather than an integer overflow.
    if (!std::isfinite(seconds) || std::fabs(seconds) > 1e13)
        return {};
    return mMinDate.addSecs(qint64(seconds));
}

double OVGraphView::xForValue(double value) const
{
    return (value - mXRange.min) / (mXRange.max - mXRange.min) * width_();
}

double OVGraphView::yForValue(double value) const
{
    const double h = double(height());
    return h - (value - mYRange.min) / (mYRange.max - mYRange.min) * h;
}

double OVGraphView::yForX(double x)
{
    ensureXValues();
    return interpolatedYForX(x);
}

double OVGraphView::interpolatedYForX(double x) const
{
    // Points without a y (gaps of the main series) take no part in the interpolation.
    const auto set = [](const OVGraphDataPoint &p) { return OVGraphDataPoint::isDrawable(p.y); };
    const auto firstIt = std::find_if(mDataPoints.begin(), mDataPoints.end(), set);
    if (firstIt == mDataPoints.end())
        return 0.0;
    const auto lastIt = std::find_if(mDataPoints.rbegin(), mDataPoints.rend(), set);
    const OVGraphDataPoint *left = &*firstIt;
    const OVGraphDataPoint *right = &*lastIt;

    const double n = double(mDataPoints.size());
    const double w = width_();
    long step = 1;
    if (w > 0.0 && n > w)
        step = std::lround(n / w);

    if (mGraphXMode == OVGraphXMode::Values || mGraphXMode == OVGraphXMode::Dates) {
        if (left->graphAdjustedX > x)
            return yForValue(left->y);
        if (x > right->graphAdjustedX)
            return yForValue(right->y);
    }
    double dL = x - left->graphAdjustedX;
    double dR = right->graphAdjustedX - x;
    long counter = 0;
    for (const OVGraphDataPoint &p : mDataPoints) {
        if (++counter < step)
            continue;
        counter = 0;
        if (!set(p))
            continue;
        const double toLeft = x - p.graphAdjustedX;
        if (toLeft >= 0.0 && toLeft < dL) {
            left = &p;
            dL = toLeft;
        }
        const double toRight = p.graphAdjustedX - x;
        if (toRight >= 0.0 && toRight < dR) {
            right = &p;
            dR = toRight;
        }
    }
    if (right->graphAdjustedX == left->graphAdjustedX)
        return yForValue(left->y);
    const double t = (x - left->graphAdjustedX) / (right->graphAdjustedX - left->graphAdjustedX);
    return yForValue(left->y + t * (right->y - left->y));
}

// ---- Positions and spline points ----

void OVGraphView::ensureXValues()
{
    if (!mXPointsDirty)
        return;
    updateXValues();
    updateSplinePoints();
    mXPointsDirty = false;
}

void OVGraphView::updateXValues()
{
    for (OVGraphDataPoint &p : mDataPoints)
        p.calculateXValuesForGraph(*this);
}

void OVGraphView::updateSplinePoints()
{
    mSplinePoints.clear();
    if (mDataPoints.size() < 3 || width() == 0)
        return;
    const double merge = 2.0 * width_() < double(mDataPoints.size()) ? 3.0 : 0.0;

    std::vector<OVGraphDataPoint> reduced;
    double lastX = -10000000.0;
    size_t groupStart = 0;
    for (size_t i = 0; i < mDataPoints.size(); ++i) {
        const OVGraphDataPoint &p = mDataPoints[i];
        if (p.graphAdjustedX > lastX + merge) {
            reduced.push_back(OVGraphDataPoint::averagePointOfPoints(
                std::span(mDataPoints).subspan(groupStart, i + 1 - groupStart)));
            lastX = p.graphAdjustedX;
            groupStart = i + 1;
        }
    }
    if (groupStart < mDataPoints.size())
        reduced.push_back(mDataPoints.back());
    // A first point far left of the view can swallow the whole series into one group: then
    // there is no curve to smooth.
    if (reduced.size() < 2)
        return;

    mSplinePoints.reserve(2 * reduced.size());
    mSplinePoints.push_back(reduced[0]);
    mSplinePoints.push_back(reduced[1]);
    for (size_t i = 2; i < reduced.size(); ++i) {
        mSplinePoints.push_back(OVGraphDataPoint::midPointOfPointA(reduced[i - 1], reduced[i]));
        mSplinePoints.push_back(reduced[i]);
    }
    mSplinePoints.push_back(reduced.back());
}

// ---- Paths ----

QPainterPath OVGraphView::filledPathForXRange(const OVGraphRange &xRange) const
{
    return pathForXRange(xRange, &OVGraphDataPoint::y, true);
}

QPainterPath OVGraphView::strokePathForXRange(const OVGraphRange &xRange) const
{
    return pathForXRange(xRange, &OVGraphDataPoint::y, false);
}

QPainterPath OVGraphView::secondaryFilledPathForXRange(const OVGraphRange &xRange) const
{
    return pathForXRange(xRange, &OVGraphDataPoint::secondaryY, true);
}

QPainterPath OVGraphView::secondaryStrokePathForXRange(const OVGraphRange &xRange) const
{
    return pathForXRange(xRange, &OVGraphDataPoint::secondaryY, false);
}

QPainterPath OVGraphView::pathForXRange(const OVGraphRange &xRange, OVGraphYMethod yMethod, bool filled) const
{
    const auto ops = pathOpsForXRange(xRange, yMethod, filled, mInverted);
    return ops ? pathFromOps(*ops) : QPainterPath();
}

std::optional<OVGraphPathOps> OVGraphView::pathOpsForXRange(const OVGraphRange &xRange, OVGraphYMethod yMethod,
                                                            bool filled, bool inverted) const
{
    const std::vector<OVGraphDataPoint> &sp = mSplinePoints;
    if (!yMethod || sp.size() < 3)
        return std::nullopt;
    const double x0 = xRange.min;
    const double x1 = xRange.max;
    const double top = 0.0;
    const double bottom = double(height());
    const double base = inverted ? top - 2.0 : bottom + 2.0;
    const auto X = [](const OVGraphDataPoint &p) { return p.graphAdjustedX; };
    const auto V = [yMethod](const OVGraphDataPoint &p) { return p.*yMethod; };
    const OVGraphDataPoint &first = sp.front();
    const OVGraphDataPoint &last = sp.back();

    PathWriter path(filled, base);
    if (filled)
        path.move(QPointF(x0, base));

    // Lead-in: from the range's left edge to the first spline point.
    if (mExtendTheData || (X(first) < x0 && X(last) > x0)) {
        const QPointF start(x0, interpolatedYForX(x0));
        if (!filled)
            path.move(start);
        path.line(start);
    } else if (filled) {
        const double b = bottom + 2.0;
        path.line(QPointF(x0, b));
        path.line(QPointF(X(first), b));
    } else if (OVGraphDataPoint::isDrawable(V(first))) {
        // A line that starts inside the range starts at its first point: a stroke along the
        // floor and up to that point would draw a post that is no part of the data.
        path.move(QPointF(X(first), yForValue(V(first))));
    }
    path.lineToValue(X(first), V(first), yForValue(V(first)));

    if (mSmoothed) {
        // The odd spline points are control points; the curve runs through the midpoints.
        for (size_t i = 1; i + 1 < sp.size(); i += 2) {
            const OVGraphDataPoint &a = sp[i - 1];
            const OVGraphDataPoint &b = sp[i];
            const OVGraphDataPoint &c = sp[i + 1];
            if ((X(a) < x0 && X(b) < x0 && X(c) < x0) || (X(a) > x1 && X(b) > x1 && X(c) > x1))
                continue;
            if (!OVGraphDataPoint::isDrawable(V(a)) || !OVGraphDataPoint::isDrawable(V(b))
                || !OVGraphDataPoint::isDrawable(V(c))) {
                path.breakRun();
                continue;
            }
            if (!path.inRun())
                path.resumeAt(QPointF(X(a), yForValue(V(a))));
            const QPointF m1((X(a) + X(b)) * 0.5, yForValue((V(a) + V(b)) * 0.5));
            const QPointF m2((X(c) + X(b)) * 0.5, yForValue((V(c) + V(b)) * 0.5));
            const QPointF m3((m1.x() + m2.x()) * 0.5,
                             yForValue(((V(a) + V(b)) * 0.5 + (V(c) + V(b)) * 0.5) * 0.5));
            path.curve(m1, m3);
            path.curve(m2, QPointF(X(c), yForValue(V(c))));
        }
    } else if (mDataPoints.size() >= 2) {
        for (size_t i = 1; i < mDataPoints.size(); ++i) {
            const OVGraphDataPoint &p = mDataPoints[i];
            if (!(x0 < X(p) && X(p) < x1))
                continue;
            path.lineToValue(X(p), V(p), yForValue(V(p)));
            if (!mExtendTheData && i + 1 == mDataPoints.size() && path.inRun())
                path.line(QPointF(X(p), top - 2.0));
        }
    }

    // Tail: on to the range's right edge, and back down to the base when filled.
    if (!path.inRun())
        return path.take();
    if (mExtendTheData || (X(last) > x1 && X(first) < x1)) {
        path.line(QPointF(x1, interpolatedYForX(x1)));
        if (filled)
            path.line(QPointF(x1, base));
    } else if (filled) {
        path.line(QPointF(X(last), bottom + 2.0));
        path.line(QPointF(x1, bottom + 2.0));
        path.line(QPointF(x1, base));
    }
    return path.take();
}

QPainterPath OVGraphView::pathFromOps(const OVGraphPathOps &ops)
{
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    for (const OVGraphPathOp &op : ops) {
        switch (op.kind) {
        case OVGraphPathOp::Move:
            path.moveTo(op.point);
            break;
        case OVGraphPathOp::Line:
            path.lineTo(op.point);
            break;
        case OVGraphPathOp::Curve:
            path.cubicTo(op.control1, op.control2, op.point);
            break;
        }
    }
    return path;
}

QPainterPath OVGraphView::barChartPathForXRange(const OVGraphRange &xRange) const
{
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    for (const QRectF &bar : barRectsForXRange(xRange))
        path.addRect(bar);
    return path;
}

std::vector<QRectF> OVGraphView::barRectsForXRange(const OVGraphRange &xRange) const
{
    std::vector<QRectF> bars;
    const auto within = [&xRange](double x) { return xRange.min <= x && x <= xRange.max; };
    for (const OVGraphDataPoint &p : mDataPoints) {
        if (!within(p.graphAdjustedXMin) && !within(p.graphAdjustedXMax))
            continue;
        if (!OVGraphDataPoint::isDrawable(p.y))
            continue; // a bar without a value has no height
        const double x = p.graphAdjustedXMin;
        const double w = p.graphAdjustedXMax - p.graphAdjustedXMin;
        const double valueY = yForValue(p.y);
        if (mInverted)
            bars.emplace_back(x, 0.0, w, valueY);
        else
            bars.emplace_back(x, valueY, w, double(height()) - valueY);
    }
    return bars;
}

QPainterPath OVGraphView::rangeChartPathForXRange(const OVGraphRange &xRange, bool inverted) const
{
    const auto maxOps = pathOpsForXRange(xRange, &OVGraphDataPoint::yMax, true, inverted);
    QPainterPath band = maxOps ? pathFromOps(*maxOps) : QPainterPath();
    // The low curve always fills down to the bottom: inverted, the even-odd union of "above the
    // high curve" and "below the low curve" is everything outside the band.
    const auto minOps = pathOpsForXRange(xRange, &OVGraphDataPoint::yMin, true, false);
    const QPainterPath low = minOps ? pathFromOps(*minOps) : QPainterPath();
    if (inverted) {
        band.addPath(low);
        band.setFillRule(Qt::OddEvenFill);
    } else {
        band.addPath(low.toReversed());
        band.setFillRule(Qt::WindingFill);
    }
    return band;
}
