// Everything around a graph's data: value labels with horizontal grid lines, the date (or value)
// axis with vertical grid lines, border lines, a dashed line at the present moment and optional
// axis titles. Laid over the graph view with the same frame, window and value range.
//
// The date axis picks the densest labelling that fits: weekday names refined by hours at 12, 6,
// 3 and 1 hour steps, or else short weekday names, day numbers every 2 and 7 days, month names
// and years. A level is placed whole or not at all, never over a label or a date already placed.
// Day boundaries, names and numbers are those of the view's zone.
//
// Flipped (Qt's y-down space). Geometry, intervals, value labels and the date-axis content work
// without painting. Main thread.
#pragma once

#include "core/views/OVAttributedString.h"
#include "core/views/OVGradient.h"
#include "graphs/OVGraphModes.h"
#include "graphs/OVGraphRange.h"
#include "graphs/OVKeptRenderingView.h"
#include "platform/OVClock.h"

#include <QColor>
#include <QDateTime>
#include <QList>
#include <QPair>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QTimeZone>
#include <QVariantMap>

#include <functional>
#include <optional>
#include <vector>

/// Labels of the date axis (or of one of its levels): entry i of each list belongs together.
struct OVGraphLegendContent
{
    std::vector<QRectF> rects;
    std::vector<OVAttributedString> strings;
    std::vector<QDateTime> dates;
};

/// One value label of the vertical axis and the row of its grid line.
struct OVGraphLegendValueLabel
{
    QString text;
    QRectF rect;
    double gridY = 0.0;
    /// False where the text would touch another label: its grid line is still drawn.
    bool shown = true;
};

/// Fixed value labels: value (single precision) -> text, in the order given.
using OVCustomYLegend = QList<QPair<float, QString>>;

class OVGraphLegendView : public OVKeptRenderingView
{
    Q_OBJECT

public:
    explicit OVGraphLegendView(QWidget *parent = nullptr);

    /// The clock of the present-moment line and of "Today" in day names; the system clock by
    /// default. Not owned; must outlive the view.
    void setClock(const OVClock *clock);
    const OVClock &clock() const { return *mClock; }

    OVGraphXMode graphXMode() const { return mGraphXMode; }
    void setGraphXMode(OVGraphXMode mode);
    OVGraphRange xRange() const { return mXRange; }
    void setXRange(const OVGraphRange &range);
    QDateTime minDate() const { return mMinDate; }
    void setMinDate(const QDateTime &date);
    QDateTime maxDate() const { return mMaxDate; }
    void setMaxDate(const QDateTime &date);
    /// Invalid: the system zone.
    QTimeZone timeZone() const { return mTimeZone; }
    void setTimeZone(const QTimeZone &zone);
    OVGraphRange yRange() const { return mYRange; }
    void setYRange(const OVGraphRange &range);

    const std::optional<OVGradient> &xGradient() const { return mXGradient; }
    void setXGradient(const std::optional<OVGradient> &gradient);
    const std::optional<OVGradient> &yGradient() const { return mYGradient; }
    void setYGradient(const std::optional<OVGradient> &gradient);
    const std::optional<OVGradient> &xLabelGradient() const { return mXLabelGradient; }
    void setXLabelGradient(const std::optional<OVGradient> &gradient);
    const std::optional<OVGradient> &yLabelGradient() const { return mYLabelGradient; }
    void setYLabelGradient(const std::optional<OVGradient> &gradient);

    double borderWidth() const { return mBorderWidth; }
    void setBorderWidth(double width);
    // Colours: invalid = none.
    QColor xBorderColor() const { return mXBorderColor; }
    void setXBorderColor(const QColor &color);
    QColor yBorderColor() const { return mYBorderColor; }
    void setYBorderColor(const QColor &color);
    QColor xGridColor() const { return mXGridColor; }
    void setXGridColor(const QColor &color);
    QColor yGridColor() const { return mYGridColor; }
    void setYGridColor(const QColor &color);
    QString units() const { return mUnits; }
    void setUnits(const QString &units);

    QVariantMap xTextAttributes() const { return mXTextAttributes; }
    void setXTextAttributes(const QVariantMap &attributes);
    QVariantMap yTextAttributes() const { return mYTextAttributes; }
    void setYTextAttributes(const QVariantMap &attributes);
    QVariantMap xLabelAttributes() const { return mXLabelAttributes; }
    void setXLabelAttributes(const QVariantMap &attributes);
    QVariantMap yLabelAttributes() const { return mYLabelAttributes; }
    void setYLabelAttributes(const QVariantMap &attributes);

    bool drawXLegend() const { return mDrawXLegend; }
    void setDrawXLegend(bool on);
    bool drawYLegend() const { return mDrawYLegend; }
    void setDrawYLegend(bool on);
    double minXLegendHeight() const { return mMinXLegendHeight; }
    void setMinXLegendHeight(double height);
    double minYLegendWidth() const { return mMinYLegendWidth; }
    void setMinYLegendWidth(double width);
    double forceXInterval() const { return mForceXInterval; }
    void setForceXInterval(double interval);
    double forceYInterval() const { return mForceYInterval; }
    void setForceYInterval(double interval);
    QString xLabel() const { return mXLabel; }
    void setXLabel(const QString &label);
    QString yLabel() const { return mYLabel; }
    void setYLabel(const QString &label);
    const std::optional<OVCustomYLegend> &customYLegend() const { return mCustomYLegend; }
    void setCustomYLegend(const std::optional<OVCustomYLegend> &legend);

    QSizeF xTextSize() const { return mXTextSize; }
    QSizeF yTextSize() const { return mYTextSize; }
    QSizeF xLabelTextSize() const { return mXLabelTextSize; }
    QSizeF yLabelTextSize() const { return mYLabelTextSize; }

    // Layout, in view coordinates (the bands stack from the top-left corner).
    QRectF xLabelRect() const;
    virtual QRectF xLegendRect() const;
    QRectF yLabelRect() const;
    QRectF yLegendRect() const;
    /// The data area: right of the value band, below the date band.
    QRectF viewableGraphRect() const;

    /// A raw label interval snapped up to the next of 0.01, 0.02, 0.05 ... 50, 100; above 100,
    /// zero, negative or NaN it comes back unchanged.
    static double snappedInterval(double raw);
    double xInterval() const;
    double yInterval() const;

    double xForDate(const QDateTime &date) const { return xForDate(date, yLegendRect()); }
    virtual double xForDate(const QDateTime &date, const QRectF &yLegendRect) const;
    double xForValue(double value) const;
    double yForValue(double value) const;

    /// The value labels and their grid lines: none for the no-data range. Each lies inside the
    /// value band; where two would touch, the texts of labels between the two ends are not shown.
    std::vector<OVGraphLegendValueLabel> yLegendLabels() const;
    /// The width the value band takes for its own labels, before `minYLegendWidth` widens it.
    double naturalYLegendWidth() const;
    /// The rectangles of every label the legend draws (value labels, date labels), in view
    /// coordinates.
    virtual std::vector<QRectF> drawnLabelRects() const;
    /// Which of `rects` (labels along one axis) can be drawn without two of them touching: the
    /// two outermost by their centres' y always (the lower one when even they touch), the others
    /// in order while they keep clear of all kept ones. Indices in ascending order.
    static std::vector<size_t> labelsKeptApart(const std::vector<QRectF> &rects);
    /// The date labels that are drawn: those whose date lies in the data area and whose text
    /// fits inside the view. Rectangles are the texts' own, without the spare margin.
    OVGraphLegendContent drawnXLegendContent() const;
    /// A date label's text without its spare margin, and whether that lies inside the view.
    static QRectF dateLabelText(const QRectF &labelRect);
    bool dateLabelFitsView(const QRectF &labelRect) const;
    /// The date axis; none outside date mode, without a window or when nothing fits.
    std::optional<OVGraphLegendContent> xLegendContent() const;
    /// A label's rectangle: centred on its date with 5 to spare on each side.
    QRectF textRectForString(OVAttributedString &text, const QDateTime &date, const QRectF &xLegendRect,
                             const QRectF &yLegendRect) const;
    static bool rectOverlapsWithRectInArray(const QRectF &rect, const std::vector<QRectF> &rects);
    static bool dateIsInArray(const QDateTime &date, const std::vector<QDateTime> &dates);

    void paint(QPainter &painter) override;
    virtual void renderXLegend(QPainter &painter);
    virtual void renderYLegend(QPainter &painter);
    void renderXLabel(QPainter &painter);
    void renderYLabel(QPainter &painter);

    void updateXTextSize();
    void updateYTextSize();
    void updateXLabelTextSize();
    void updateYLabelTextSize();

private:
    using DateText = std::function<QString(const QDateTime &)>;
    using DateStep = std::function<QDateTime(const QDateTime &)>;
    /// One level of the date axis: labels from `start` on while not later than maxDate.
    std::optional<OVGraphLegendContent> placeLevel(const QDateTime &start, const DateText &text, const DateStep &step,
                                                   const QRectF &xLegendRect, const QRectF &yLegendRect,
                                                   const OVGraphLegendContent &taken) const;
    QDateTime addDays(const QDateTime &date, int days) const;

    const OVClock *mClock = &OVClock::system();
    OVGraphXMode mGraphXMode = OVGraphXMode::Values;
    OVGraphRange mXRange;
    QDateTime mMinDate;
    QDateTime mMaxDate;
    QTimeZone mTimeZone;
    OVGraphRange mYRange;
    std::optional<OVGradient> mXGradient;
    std::optional<OVGradient> mYGradient;
    std::optional<OVGradient> mXLabelGradient;
    std::optional<OVGradient> mYLabelGradient;
    double mBorderWidth = 2.0;
    QColor mXBorderColor = Qt::black;
    QColor mYBorderColor = Qt::black;
    QColor mXGridColor = QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.4f);
    QColor mYGridColor = QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.4f);
    QString mUnits = QStringLiteral("");
    QVariantMap mXTextAttributes;
    QVariantMap mYTextAttributes;
    QVariantMap mXLabelAttributes;
    QVariantMap mYLabelAttributes;
    bool mDrawXLegend = true;
    bool mDrawYLegend = true;
    double mMinXLegendHeight = 0.0;
    double mMinYLegendWidth = 0.0;
    double mForceXInterval = -1.0;
    double mForceYInterval = -1.0;
    QString mXLabel;
    QString mYLabel;
    std::optional<OVCustomYLegend> mCustomYLegend;
    QSizeF mXTextSize{0, 0};
    QSizeF mYTextSize{0, 0};
    QSizeF mXLabelTextSize{0, 0};
    QSizeF mYLabelTextSize{0, 0};
};
