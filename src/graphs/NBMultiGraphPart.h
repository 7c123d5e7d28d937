// One graph panel of the graph stack: a graph of one quantity of the current location over the
// container's time window, with its legend, the quantity's name on the right, a summary on the
// left (high and low, peak, total, mean direction) and, when there is nothing to draw, a dimmed
// status overlay with an alert icon and a message.
//
// The panel is built in code: the legend fills the panel above an 18-px strip that holds the
// two labels; the graph lies in the legend's data area, under the legend. What a graph type
// reads, how it scales and what its read-outs say belong to its NBGraphTypeStrategy; a type
// outside 0..10 has none and does nothing.
//
// The container calls, in this order: setDelegate, setGraphType, updateGraphData; later
// updateGraphData to reload, updateGraphDates when the window moved, setViewFrame when it
// restacks and updateHover while the pointer moves. "Now" is the current location's clock.
// Main thread.
#pragma once

#include "core/views/OVFilledView.h"
#include "graphs/NBGraphType.h"

#include <QDateTime>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>

class NBGraphTypeStrategy;
class OVClock;

struct OVGraphDataPoint;
class OVGraphHoverView;
class OVGraphLegendView;
class OVGraphView;
class OVWeatherLocation;
class OVWeatherLocationSources;
class QLabel;

class NBMultiGraphPart : public QWidget
{
    Q_OBJECT

public:
    /// Height of the strip with the two labels below the legend.
    static constexpr int kLabelStripHeight = 18;
    /// The least width of the value-label band.
    static constexpr double kMinLabelBandWidth = 40.0;

    explicit NBMultiGraphPart(QWidget *parent = nullptr);
    ~NBMultiGraphPart() override;

    /// The panel's view (the container stacks it).
    QWidget *view() { return this; }
    OVGraphView *graph() const { return mGraph; }
    OVGraphLegendView *legend() const { return mLegend; }
    /// Null while no message is shown.
    OVFilledView *statusOverlay() const { return mStatusOverlay; }
    QLabel *rightLabel() const { return mRightLabel; }
    QLabel *leftLabel() const { return mLeftLabel; }

    /// 1 while the container shows the panel, 0 while it is hidden (sliding out or gone).
    double alpha() const { return mAlpha; }
    void setAlpha(double alpha) { mAlpha = alpha; }

    int type() const { return mType; }
    /// The raw number only; `setGraphType` also sets the panel up.
    void setType(int type) { mType = type; }
    NBMultiGraphPartDelegate *delegate() const { return mDelegate; }
    /// Not owned; must outlive the panel or be cleared.
    void setDelegate(NBMultiGraphPartDelegate *delegate) { mDelegate = delegate; }

    /// Stores the type and runs `setup`.
    void setGraphType(int type);
    /// The settings all types share, then the type's own.
    void setup();
    /// With a current location, the type's data update; then, always, `updateGraphDates` and
    /// `checkStatus` (without a location the graph keeps its points).
    void updateGraphData();
    /// The window, zone and average setting into graph and legend, then the type's scale update.
    void updateGraphDates();
    /// Fills the hover read-out's time and label texts for the graph's point nearest `x` (the
    /// graph's coordinates); "No Data" without one.
    void updateHover(OVGraphHoverView &hover, double x);
    /// Lays the panel out in `frame` (its parent's coordinates); no animation.
    void setViewFrame(const QRect &frame, bool animate = false);
    /// Chooses the status message for the present state and shows it (empty: no overlay).
    void checkStatus();
    void updateStatusOverlay(const QString &text);

    /// Duration of the overlay's fade-in in milliseconds (250; tests use 0).
    void setStatusFadeMilliseconds(int milliseconds) { mFadeMilliseconds = milliseconds; }
    /// The clock used while there is no current location (the system clock by default).
    void setFallbackClock(const OVClock *clock);

    // For the graph types.
    std::shared_ptr<OVWeatherLocation> currentLocation() const;
    /// The current location's clock's time; the fallback clock's without a location.
    QDateTime now() const;
    QDateTime startDate() const;
    QDateTime endDate() const;
    /// Swaps in another graph or legend (the cylindrical pair), keeping the stacking order.
    void replaceGraph(OVGraphView *graph);
    void replaceLegend(OVGraphLegendView *legend);
    /// The graph settings every type starts from (line, dates, fixed scale, the legend above).
    static void applySharedGraphSettings(OVGraphView &graph, OVGraphLegendView *legend);
    /// The panel's "left label" text; the label shows it shortened where it would run into the
    /// quantity's name.
    void setLeftText(const QString &text);
    QString leftText() const { return mLeftText; }
    /// The value-label band's width this panel's labels need; the stack gives every panel the
    /// widest, so their time axes line up.
    double naturalLabelBandWidth() const;
    void setSharedLabelBandWidth(double width);

    /// The compass name of a direction (see NBGraphSeries::stringForDirection).
    static QString stringForDirection(double degrees);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void layoutContents();
    void fitLeftLabel();
    /// Hook after the graph took its frame (the cylindrical pair copies its geometry).
    void afterGraphLayout();
    QRect overlayFrame() const;
    const OVClock &clock() const;

    int mType = -1;
    double mAlpha = 1.0;
    NBMultiGraphPartDelegate *mDelegate = nullptr;
    std::unique_ptr<NBGraphTypeStrategy> mStrategy;
    OVGraphView *mGraph = nullptr;
    OVGraphLegendView *mLegend = nullptr;
    QPointer<OVFilledView> mStatusOverlay;
    QLabel *mRightLabel = nullptr;
    QLabel *mLeftLabel = nullptr;
    int mFadeMilliseconds = 250;
    QString mLeftText;
    static constexpr int kLabelGap = 12;
    const OVClock *mFallbackClock = nullptr;
    // Keeps the clock handed to the legend alive while the location changes.
    std::shared_ptr<OVWeatherLocation> mClockOwner;
};
