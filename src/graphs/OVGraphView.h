// The time-series graph engine: every graph panel owns one. It takes graph points, places them
// on a horizontal axis of dates (or values) and a vertical value range, and draws the main series
// as a smoothed or straight line with its area, as bars or as a band between low and high values,
// a second series, a background colour or value-tied gradient, markers, an average line, the
// "Range:" and hover read-outs and the no-data messages.
//
// The view is flipped: Qt's y-down space, top = 0, bottom = height. Scales, mapping and path
// building work without painting; `paint` draws into any QPainter, so tests render into a QImage.
// Point positions (`graphAdjustedX`...) are recomputed lazily, by the first of `paint`,
// `closestDataToX` or `yForX` after the points or the window changed.
//
// Main thread only. The view is handed its state by its panel; it reads no shared controller.
#pragma once

#include "core/views/OVGradient.h"
#include "graphs/OVGraphDataPoint.h"
#include "graphs/OVGraphModes.h"
#include "graphs/OVGraphRange.h"
#include "graphs/OVKeptRenderingView.h"

#include <QColor>
#include <QDateTime>
#include <QList>
#include <QPainterPath>
#include <QPointer>
#include <QString>
#include <QTimeZone>
#include <QVariantMap>

#include <optional>
#include <vector>

/// Which point field a path or scale reads (`y`, `secondaryY`, `yMin` or `yMax`); null = none.
using OVGraphYMethod = double OVGraphDataPoint::*;

/// One element of a path as the builders emit it, before it becomes a QPainterPath.
struct OVGraphPathOp
{
    enum Kind { Move, Line, Curve };
    Kind kind = Move;
    QPointF point;
    QPointF control1; // curves only
    QPointF control2;
    bool operator==(const OVGraphPathOp &) const = default;
};
using OVGraphPathOps = std::vector<OVGraphPathOp>;

class OVGraphView : public OVKeptRenderingView
{
    Q_OBJECT

public:
    explicit OVGraphView(QWidget *parent = nullptr);

    OVGraphXMode graphXMode() const { return mGraphXMode; }
    void setGraphXMode(OVGraphXMode mode);
    OVGraphYMode graphYMode() const { return mGraphYMode; }
    void setGraphYMode(OVGraphYMode mode);
    OVGraphSecondaryYMode graphSecondaryYMode() const { return mGraphSecondaryYMode; }
    void setGraphSecondaryYMode(OVGraphSecondaryYMode mode);

    OVGraphRange xRange() const { return mXRange; }
    /// Also marks the point positions dirty.
    void setXRange(const OVGraphRange &range);
    QDateTime minDate() const { return mMinDate; }
    QDateTime maxDate() const { return mMaxDate; }
    /// These two leave the positions alone; `setMinDate(min, max)` marks them dirty.
    void setMinDate(const QDateTime &date);
    void setMaxDate(const QDateTime &date);
    void setMinDate(const QDateTime &minDate, const QDateTime &maxDate);
    /// The zone of read-out dates; invalid = the system zone.
    QTimeZone timeZone() const { return mTimeZone; }
    void setTimeZone(const QTimeZone &zone);
    OVGraphRange yRange() const { return mYRange; }
    void setYRange(const OVGraphRange &range);
    OVGraphRange backgroundGradientRange() const { return mBackgroundGradientRange; }
    /// {0, 0} spans the whole view.
    void setBackgroundGradientRange(const OVGraphRange &range);

    bool smoothed() const { return mSmoothed; }
    void setSmoothed(bool on);
    bool autoScale() const { return mAutoScale; }
    void setAutoScale(bool on) { mAutoScale = on; }
    bool inverted() const { return mInverted; }
    void setInverted(bool on);
    bool drawForegroundWhenNoData() const { return mDrawForegroundWhenNoData; }
    void setDrawForegroundWhenNoData(bool on);
    bool extendTheData() const { return mExtendTheData; }
    void setExtendTheData(bool on);
    bool stroke() const { return mStroke; }
    void setStroke(bool on);
    double strokeWidth() const { return mStrokeWidth; }
    void setStrokeWidth(double width);
    bool plot() const { return mPlot; }
    void setPlot(bool on);
    bool showAverageValue() const { return mShowAverageValue; }
    void setShowAverageValue(bool on);
    bool showMinMaxValues() const { return mShowMinMaxValues; }
    void setShowMinMaxValues(bool on);

    // Colours: an invalid colour means none.
    QColor backgroundColor() const { return mBackgroundColor; }
    void setBackgroundColor(const QColor &color);
    QColor foregroundColor() const { return mForegroundColor; }
    void setForegroundColor(const QColor &color);
    QColor strokeColor() const { return mStrokeColor; }
    void setStrokeColor(const QColor &color);
    QColor plotColor() const { return mPlotColor; }
    void setPlotColor(const QColor &color);
    QColor averageValueColor() const { return mAverageValueColor; }
    void setAverageValueColor(const QColor &color);
    /// No colour suppresses the second series.
    QColor secondaryYColor() const { return mSecondaryYColor; }
    void setSecondaryYColor(const QColor &color);
    const std::optional<OVGradient> &backgroundGradient() const { return mBackgroundGradient; }
    void setBackgroundGradient(const std::optional<OVGradient> &gradient);
    const std::optional<OVGradient> &foregroundGradient() const { return mForegroundGradient; }
    void setForegroundGradient(const std::optional<OVGradient> &gradient);

    const std::vector<OVGraphDataPoint> &dataPoints() const { return mDataPoints; }
    /// Takes the points (sorted by time in date mode), rescales when `autoScale`, marks the
    /// positions dirty.
    virtual void setDataPoints(std::vector<OVGraphDataPoint> points);
    const std::vector<OVGraphDataPoint> &splinePoints() const { return mSplinePoints; }
    bool xPointsDirty() const { return mXPointsDirty; }

    /// View x of the mouse; -1 when it is not over the graph.
    double hoverOverX() const { return mHoverOverX; }
    void setHoverOverX(double x);
    /// Empty: no hover read-out and no "Range:" read-out.
    QVariantMap hoverTextAttributes() const { return mHoverTextAttributes; }
    void setHoverTextAttributes(const QVariantMap &attributes);
    /// Unit text after read-out numbers; null reads as "".
    QString hoverUnits() const { return mHoverUnits; }
    void setHoverUnits(const QString &units);
    /// Empty: no messages.
    QVariantMap errorTextAttributes() const { return mErrorTextAttributes; }
    void setErrorTextAttributes(const QVariantMap &attributes);
    QString noMatchingPointsString() const { return mNoMatchingPointsString; }
    void setNoMatchingPointsString(const QString &text);
    QString noDataString() const { return mNoDataString; }
    void setNoDataString(const QString &text);
    /// Views laid over the graph and redrawn with it (the panel's legend).
    QList<QPointer<QWidget>> overlayViews() const { return mOverlayViews; }
    void setOverlayViews(const QList<QPointer<QWidget>> &views);

    // Scales. Pure functions of their arguments.
    static OVGraphRange graphScaleForData(const std::vector<OVGraphDataPoint> &points, bool useSecondaryData = false);
    static OVGraphRange graphScaleForData(const std::vector<OVGraphDataPoint> &points, const QDateTime &startDate,
                                          const QDateTime &endDate, bool useSecondaryData = false);
    /// The padded scale of one field over the points in the window (both dates or none).
    static OVGraphRange graphScaleForData(const std::vector<OVGraphDataPoint> &points, OVGraphYMethod yMethod,
                                          const QDateTime &startDate, const QDateTime &endDate);
    /// Plain min and max of `y` over the points dated in the window.
    static OVGraphRange rangeForData(const std::vector<OVGraphDataPoint> &points, const QDateTime &startDate,
                                     const QDateTime &endDate);

    // Mapping between values and view coordinates.
    double xForDate(const QDateTime &date) const;
    /// Invalid without a window.
    QDateTime dateForX(double x) const;
    double xForValue(double value) const;
    virtual double yForValue(double value) const;
    /// The main series `y` under a view x, interpolated, as a view y.
    double yForX(double x);

    void updateXValues();
    void updateSplinePoints();

    // Paths over a range of view x. Empty when there is nothing to draw.
    QPainterPath filledPathForXRange(const OVGraphRange &xRange) const;
    QPainterPath strokePathForXRange(const OVGraphRange &xRange) const;
    QPainterPath secondaryFilledPathForXRange(const OVGraphRange &xRange) const;
    QPainterPath secondaryStrokePathForXRange(const OVGraphRange &xRange) const;
    QPainterPath pathForXRange(const OVGraphRange &xRange, OVGraphYMethod yMethod, bool filled) const;
    /// The same as elements; none (nullopt) without an accessor or with fewer than 3 spline points.
    std::optional<OVGraphPathOps> pathOpsForXRange(const OVGraphRange &xRange, OVGraphYMethod yMethod, bool filled,
                                                   bool inverted) const;
    QPainterPath barChartPathForXRange(const OVGraphRange &xRange) const;
    /// The bars of that path, one rectangle per point, in the same order.
    std::vector<QRectF> barRectsForXRange(const OVGraphRange &xRange) const;
    /// The band between the yMin and yMax curves; with `inverted`, everything outside it.
    QPainterPath rangeChartPathForXRange(const OVGraphRange &xRange, bool inverted) const;
    QPainterPath rangeChartPathForXRange(const OVGraphRange &xRange) const
    {
        return rangeChartPathForXRange(xRange, mInverted);
    }
    static QPainterPath pathFromOps(const OVGraphPathOps &ops);

    // Drawing and read-outs.
    void paint(QPainter &painter) override;
    void drawBackgroundForXRange(QPainter &painter, const OVGraphRange &xRange);
    virtual void drawGraphForXRange(QPainter &painter, const OVGraphRange &xRange);
    void drawMinMax(QPainter &painter);
    void drawHover(QPainter &painter);
    /// The texts the read-outs show (without their bubbles).
    QString minMaxText() const;
    QString hoverText(const OVGraphDataPoint &point);
    /// The point under a view x: in bar mode the bar that spans it, otherwise the nearest point
    /// (the earlier of two equally near); none outside the data.
    virtual std::optional<OVGraphDataPoint> closestDataToX(double x);

protected:
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void ensureXValues();
    /// `yForX` over positions that are already up to date.
    double interpolatedYForX(double x) const;
    void redisplayWithOverlays();
    int hoverPointIndex() const;
    double width_() const { return double(width()); }

    OVGraphXMode mGraphXMode = OVGraphXMode::Values;
    OVGraphYMode mGraphYMode = OVGraphYMode::Line;
    OVGraphSecondaryYMode mGraphSecondaryYMode = OVGraphSecondaryYMode::None;
    OVGraphRange mXRange;
    QDateTime mMinDate;
    QDateTime mMaxDate;
    QTimeZone mTimeZone;
    OVGraphRange mYRange = OVGraphNoDataRange;
    bool mSmoothed = false;
    bool mAutoScale = true;
    bool mInverted = false;
    bool mDrawForegroundWhenNoData = false;
    bool mExtendTheData = true;
    bool mStroke = false;
    double mStrokeWidth = 1.0;
    bool mPlot = false;
    bool mShowAverageValue = false;
    bool mShowMinMaxValues = false;
    QColor mBackgroundColor;
    QColor mForegroundColor;
    QColor mStrokeColor = Qt::white;
    QColor mPlotColor = Qt::white;
    QColor mAverageValueColor = Qt::yellow;
    QColor mSecondaryYColor;
    std::optional<OVGradient> mBackgroundGradient;
    std::optional<OVGradient> mForegroundGradient;
    OVGraphRange mBackgroundGradientRange;
    std::vector<OVGraphDataPoint> mDataPoints;
    std::vector<OVGraphDataPoint> mSplinePoints;
    bool mXPointsDirty = false;
    double mHoverOverX = -1.0;
    QVariantMap mHoverTextAttributes;
    QString mHoverUnits;
    QVariantMap mErrorTextAttributes;
    QString mNoMatchingPointsString;
    QString mNoDataString;
    QList<QPointer<QWidget>> mOverlayViews;
};
