// The right-hand side of the main window: a blue header bar titled with the current location,
// and below it the current-conditions strip, the forecast strip beside the sun and moon dial,
// and the graph stack beside the map. It owns the five panels, lays them out for one of three
// display modes and forwards redisplay requests to them. The application controller hands it
// the current location, which it passes on to the conditions strip and the map.
//
// Geometry is y-up (origin bottom left) through OVYUp; the view sits at (0, 0) in its parent.
// The panels exist only from `setupViews` on, which `awakeFromNib` schedules half a second
// later; until then the view draws its background and header only. A change of mode moves the
// panels over 0.5 s and rescales the map's zoom to its new width; a resize does neither.
// Main thread only.
#pragma once

#include "core/views/OVMainViewModeHost.h"

#include <QParallelAnimationGroup>
#include <QPointer>
#include <QRectF>
#include <QString>
#include <QVariantMap>
#include <QWidget>

#include <functional>
#include <memory>

class NBCurrentConditionsView;
class NBForecastView;
class NBScheduler;
class NBTimeView;
class OVGraphContainer;
class OVMapPanel;
class OVWeatherLocation;

class NBBaseView : public QWidget, public OVMainViewModeHost
{
    Q_OBJECT

public:
    static constexpr double kSpacing = 6.0;
    static constexpr double kHeaderHeight = 32.0;
    static constexpr double kCurrentConditionsViewHeight = 42.0;
    static constexpr double kForecastViewHeight = 196.0;
    static constexpr double kTimeViewWidth = 173.0;
    /// Below this height the graph stack and the map are hidden.
    static constexpr double kMinimumGraphHeight = 100.0;
    /// Duration of the move to a new display mode, in milliseconds.
    static constexpr int kModeAnimationMs = 500;

    using MapFactory = std::function<std::unique_ptr<OVMapPanel>(QWidget *parent)>;

    explicit NBBaseView(QWidget *parent = nullptr);
    ~NBBaseView() override;

    /// Observes the redisplay notification and new observations (the title), and schedules
    /// `setupViews` 0.5 s later on `scheduler`.
    void awakeFromNib(NBScheduler &scheduler);
    /// Creates the panels, lays them out in mode 0 without animation and centres the map on
    /// the current location. Only the first call does anything.
    void setupViews();
    /// The location the view and its panels show (null for none), handed in by the controller
    /// whenever it changes; kept for panels made later. Redraws the view and its panels.
    void setCurrentLocation(const std::shared_ptr<OVWeatherLocation> &location);
    std::shared_ptr<OVWeatherLocation> currentLocation() const { return mCurrentLocation; }
    bool hasPanels() const { return mConditionsView != nullptr; }
    /// The map panel factory `setupViews` uses (the OpenGL map unless replaced).
    void setMapFactory(MapFactory factory) { mMapFactory = std::move(factory); }

    // OVMainViewModeHost
    int activeMode() const override { return mActiveMode; }
    void setActiveMode(int mode) override { mActiveMode = mode; }
    void positionSubviews() override;
    void redisplayGraphViews() override;

    /// Redraws this view and every panel.
    void refreshDisplay();

    bool splitviewInLiveResize() const { return mInLiveResize; }
    /// Ending a live resize redraws the view.
    void setSplitviewInLiveResize(bool inLiveResize);

    /// The height of a sample of letters, digits and punctuation drawn with the attributes.
    static double heightOfAttributes(const QVariantMap &attributes);

    /// The header's title for the current location.
    QString headerTitle() const { return headerTitleForLocation(mCurrentLocation); }
    static QString headerTitleForLocation(const std::shared_ptr<OVWeatherLocation> &location);
    /// The header bar, y-up in this view.
    QRectF headerRect() const;

    NBCurrentConditionsView *currentConditionsView() const { return mConditionsView; }
    QWidget *forecastView() const;
    QWidget *timeView() const;
    OVGraphContainer *graphContainerView() const { return mGraphContainer; }
    OVMapPanel *mapViewController() const { return mMapController.get(); }
    /// The move to a new display mode while it runs; null otherwise.
    QParallelAnimationGroup *modeAnimation() const
    {
        return mModeAnimation && mModeAnimation->state() == QAbstractAnimation::Running ? mModeAnimation.data() : nullptr;
    }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    /// Frames (y-up, in this view) and visibility of the panels for one mode.
    struct Layout
    {
        QRectF conditions, forecast, time, graphs, map;
        bool upperShown = true;
        bool graphsShown = true;
        bool mapShown = true;
    };

    Layout layoutForMode(int mode) const;
    /// The layout pass; `allowAnimation` false sets the frames at once even for a new mode.
    void layoutPanels(bool allowAnimation);
    QList<QWidget *> panelViews() const;
    void drawRect(QPainter &painter, const QRectF &dirty);

    std::shared_ptr<OVWeatherLocation> mCurrentLocation;
    NBCurrentConditionsView *mConditionsView = nullptr;
    NBForecastView *mForecastView = nullptr;
    NBTimeView *mTimeView = nullptr;
    NBScheduler *mScheduler = nullptr;
    OVGraphContainer *mGraphContainer = nullptr;
    std::unique_ptr<OVMapPanel> mMapController;
    MapFactory mMapFactory;
    bool mInLiveResize = false;
    int mActiveMode = AllPanels;
    int mLastMode = AllPanels;
    QPointer<QParallelAnimationGroup> mModeAnimation;
};
