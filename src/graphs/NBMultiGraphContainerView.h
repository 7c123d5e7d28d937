// The graph side of the main window: a rounded panel holding a vertically scrolling stack of the
// eleven graph panels in a fixed order, all showing the current location over one shared time
// window. It owns that window (width, pan offset, clamping to the station's history and a week
// ahead), shows each panel by its show setting, pans the window by dragging, widens or narrows it
// by pinching, shows the hover read-out for the panel under the pointer (every graph's value
// while Alt is held) and switches the main window between all panels and graphs alone.
//
// Geometry is y-up through OVYUp: the container, the stack's content and the scroll position
// (distance of the visible top from the content's top is the scroll bar's value) are unflipped.
// The one exception is the hover read-out, a raised child of the scroll viewport whose frame is
// the y-down rectangle `frameForGraphView` returns. Main thread.
#pragma once

#include "core/views/NBParentView.h"
#include "core/views/OVGraphContainer.h"
#include "graphs/NBGraphTimeWindow.h"
#include "graphs/NBGraphType.h"

#include <QDateTime>
#include <QList>
#include <QPointF>
#include <QPointer>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class NBGraphViewPrefs;
class NBMultiGraphPart;
class OVBubbleView;
class OVClock;
class OVGraphHoverView;
class OVWeatherLocation;
class QScrollArea;
class QToolButton;

class NBMultiGraphContainerView : public NBParentView, public OVGraphContainer, public NBMultiGraphPartDelegate
{
    Q_OBJECT

public:
    /// Graph types from the top of the stack to its bottom.
    static constexpr std::array<int, NBGraphTypeCount> kStackOrder = NBGraphTypeStackOrder();
    /// Where "now" lies in the window, as a fraction of its width from the start.
    static constexpr double kCenterRatio = NBGraphTimeWindow::kCenterRatio;
    /// How far ahead of now the window may reach, and how far back without a location.
    static constexpr double kWeekSeconds = NBGraphTimeWindow::kWeekSeconds;

    explicit NBMultiGraphContainerView(QWidget *parent = nullptr);
    ~NBMultiGraphContainerView() override;

    /// The show setting of a graph type; empty outside 0..10 (such a panel counts as shown).
    static QString visibilityKey(int type);

    // OVGraphContainer
    QWidget *view() override { return this; }
    /// Restacks the shown panels; shown ones take their slot at once, hidden ones slide out.
    void relayoutGraphs(QObject *sender, bool animate) override;

    // NBMultiGraphPartDelegate
    std::shared_ptr<OVWeatherLocation> currentLocation() const override;
    int graphHeight() const override { return mGraphHeight; }
    /// The window, clamped; a clamp is kept in the pan offset.
    QDateTime startDate() const override;
    QDateTime endDate() const override;
    double verticalOffset() const override { return mVerticalOffset; }
    /// Gives every panel the widest value-label band any of them needs.
    void labelBandMayHaveChanged() override;

    void setGraphHeight(int height) { mGraphHeight = height; }
    void setVerticalOffset(double degrees) { mVerticalOffset = degrees; }
    /// Seconds from now to the window's anchor (a third from its start).
    double centerTimeOffset() const { return mTimeWindow.panOffset(); }
    void setCenterTimeOffset(double seconds) { mTimeWindow.setPanOffset(seconds); }
    /// Width of the window in seconds.
    double graphInterval() const { return mTimeWindow.interval(); }
    /// A new width that keeps the window's end where it was.
    void updateGraphIntervalWhileHoldingRightSide(double seconds);

    const QList<NBMultiGraphPart *> &parts() const { return mParts; }
    OVGraphHoverView *hover() const { return mHover; }
    QScrollArea *scrollView() const { return mScrollView; }
    QWidget *contentView() const { return mContent; }
    QToolButton *gearButton() const { return mGearButton; }
    QToolButton *fullSizeButton() const { return mFullSizeButton; }

    /// The title over the stack: the window's first and last day in the location's zone.
    QString titleText() const;
    /// Reloads every shown panel (and the station's earliest observation), then redraws.
    void refreshDisplay();
    /// After a pan: reloads when the window left the shown panel's data, else only re-dates.
    void checkIfNeedLoadDataAndRedisplay();
    /// Between all panels and graphs alone, through the main view that holds the container.
    void toggleFullSize();
    /// Whether a panel is shown (alpha 0.1 or more).
    static bool isShown(const NBMultiGraphPart &part);
    NBMultiGraphPart *firstVisiblePart() const;
    /// The panel whose graph holds a point (y-up, in the container).
    NBMultiGraphPart *partForMouseLocation(const QPointF &point) const;
    /// Places and fills the read-out for the pointer's last known position.
    void updateHover();
    bool optionKeyHeld() const { return mOptionKeyHeld; }

    /// Opens the settings popover beside the gear, or closes it when it is open.
    void showPrefs();
    bool prefsOpen() const;
    /// The popover's content; null before the first opening.
    NBGraphViewPrefs *graphViewPrefs() const;
    /// The bubble that shows the popover over the main window's content; null before the first
    /// opening.
    OVBubbleView *graphViewPrefsBubble() const;

    /// What "now" is while there is no current location (the system clock by default).
    void setFallbackClock(const OVClock *clock);
    /// Where the current location comes from (the shared weather controller by default).
    void setLocationSource(std::function<std::shared_ptr<OVWeatherLocation>()> source);
    /// Duration of a hidden panel's slide out, in milliseconds (250; tests use 0).
    void setSlideMilliseconds(int milliseconds) { mSlideMilliseconds = milliseconds; }
    /// How often the station's earliest observation was read (it is read once per refresh and
    /// per drag, never per window question).
    int earliestObservationQueries() const { return mEarliestQueries; }

protected:
    void drawRect(QPainter &painter, const QRectF &dirty) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    using Window = NBGraphTimeWindow::Dates;
    Window clampedWindow() const;
    /// What the panels' data was last loaded for: the window widened by its width on each side.
    struct LoadedWindow
    {
        QDateTime start, end;
        const OVWeatherLocation *location = nullptr;
    };
    qint64 dataWindowMargin() const;
    /// Loads every shown panel for the widened window, then shows the window itself.
    void loadDataWindow();
    bool windowIsLoaded(const Window &window) const;
    QDateTime now() const;
    void reloadEarliestObservation() const;
    void layoutChrome();
    void setupGraphParts();
    void trackEverywhere(QWidget *widget);
    /// The stack's visible top, as distance from the content's top.
    int scrollDistanceFromTop() const;
    void setScrollDistanceFromTop(int distance);
    QPointF yUp(const QPointF &widgetPoint) const;
    void slideOut(NBMultiGraphPart &part);
    void magnify(QEvent *event);
    QWidget *popoverHost() const;
    void closePrefs();

    QList<NBMultiGraphPart *> mParts;
    OVGraphHoverView *mHover = nullptr;
    QScrollArea *mScrollView = nullptr;
    QWidget *mContent = nullptr;
    QToolButton *mGearButton = nullptr;
    QToolButton *mFullSizeButton = nullptr;
    int mGraphHeight = 155;
    double mVerticalOffset = 0.0;
    // Clamping keeps its correction in the pan offset, also when asked from a const question.
    mutable NBGraphTimeWindow mTimeWindow;
    int mSlideMilliseconds = 250;
    const OVClock *mFallbackClock = nullptr;
    std::function<std::shared_ptr<OVWeatherLocation>()> mLocationSource;

    // The station's earliest observation, read once per refresh and drag.
    mutable QString mEarliestIcao;
    mutable QDateTime mEarliest;
    mutable bool mEarliestKnown = false;
    mutable int mEarliestQueries = 0;
    bool mLoadingDataWindow = false;
    std::optional<LoadedWindow> mLoadedWindow;

    bool mInView = false;
    bool mInDrag = false;
    bool mPressed = false;
    bool mOptionKeyHeld = false;
    QPointF mLastMouse{-1, -1};
    QPointF mInitialMouse;
    double mInitialCenterTimeOffset = 0.0;
    double mInitialVerticalOffset = 0.0;
    bool mDragOnCylinder = false;
    double mPinchMagnification = 0.0;

    QPointer<NBGraphViewPrefs> mGraphViewPrefs;
    QPointer<OVBubbleView> mPrefsBubble;
    QObject *mCloseMonitor = nullptr; // installed on the application while the popover is open
};
