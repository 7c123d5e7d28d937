// The map's place in the main window and the controller of its controls. It makes the map view
// as a child of the main view, hands the window's layout the view's zoom, centres the map on a
// location (flying there when the current location changes), and builds the control panel at
// the map's top right: play/pause of the radar and satellite loop, the two time labels, the
// particle loading indicator, the zoom buttons, the gear with the settings bubble and the
// full-size button. Where the platform has no OpenGL the place holds an empty panel instead,
// which keeps the zoom it is given and has no controls.
//
// Every setting action edits the map controller's settings and asks it to apply the change;
// before the map's first frame there is no controller and only the stored user defaults
// change (the first frame reads them). Play/pause is remembered in the user defaults. The
// indicator spins while a download to the model-data server is queued or loading.
// GUI thread.
#pragma once

#include "core/views/OVMapPanel.h"
#include "map/views/NBMapControlView.h"
#include "map/views/NBMapView.h"

#include <QPointer>
#include <QProgressBar>
#include <QToolButton>

#include <memory>

class NBMapPrefsPopover;

class NBMapViewController final : public OVMapPanel
{
public:
    static constexpr QLatin1String kPlayImage{"play_white_20"};
    static constexpr QLatin1String kPauseImage{"pause_white_20"};

    /// Makes the map view (or the empty panel) as a child of `parent`, which owns it.
    explicit NBMapViewController(QWidget *parent);
    NBMapViewController(QWidget *parent, NBMapView::Environment environment);
    ~NBMapViewController() override;

    QWidget *view() override { return mView ? static_cast<QWidget *>(mView) : mEmptyPanel.data(); }
    NBMapView *mapView() const { return mView; }
    double zoom() const override;
    void setZoom(double zoom) override;
    double width() const override;
    /// Brings the location's label to the front (when there is a text layer) and centres the
    /// map on it: at once (shown at the next frame), or by flying there. No location: (0, 0).
    void setCurrentLocation(const std::shared_ptr<OVWeatherLocation> &location, bool animate) override;

    // Actions of the panel and of the settings bubble.
    /// Plays the loop, or pauses it on its newest step; remembered for the next start.
    void playPause();
    /// 0: 12-minute steps; 1: 3-hour steps.
    void setTimeInterval(int segment);
    /// Seconds per loop step.
    void setAnimationSpeed(double seconds);
    /// Takes both opacities from the user defaults; an opacity never stored stays as it is.
    void opacityUpdated();
    void setShowSurfaceAnalysis(bool on);
    void setShowParticleMode(bool on);
    /// Takes the density index from the user defaults (0..3 give 100, 150, 250, 400
    /// columns); any other value, or none, leaves the setting.
    void setParticleDensity();
    void setParticleModeRunsInBackground(bool on);
    /// Opens the activity window while the indicator spins.
    void particleLoadingIndicatorAreaClicked();
    /// Flies to the new current location; none: (0, 0) at once.
    void locationChanged();
    void updateParticleModeLoadingIndicator();
    /// Shows the map alone in the main window, or all panels again.
    void toggleFullSize();
    /// Opens the settings bubble beside the gear, or closes it.
    void showPrefs();

    bool isPlaying() const { return mPlaying; }
    bool isParticleDataLoading() const { return mParticleLoading; }
    NBMapControlView *controlView() const { return mControlView; }
    QToolButton *playPauseButton() const { return mPlayPauseButton; }
    QWidget *particleLoadingIndicatorArea() const { return mIndicatorArea; }
    QProgressBar *particleLoadingIndicator() const { return mIndicator; }
    QToolButton *prefsGearButton() const { return mGearButton; }
    QToolButton *fullSizeButton() const { return mFullSizeButton; }
    NBMapPrefsPopover *prefsPopover() const { return mPrefsPopover.get(); }

private:
    void buildControls();
    /// The map controller, or null before the first frame.
    OVMapController *engine() const { return mView ? mView->mapGenerator() : nullptr; }
    /// Sets one map setting and applies it with `apply` (none: read where it is used); nothing
    /// before the first frame.
    void changeSetting(QLatin1String key, const QVariant &value, void (OVMapController::*apply)());

    QPointer<NBMapView> mView;
    QPointer<QWidget> mEmptyPanel;
    double mEmptyPanelZoom = OVMapGeometry::kDefaultZoom;

    bool mPlaying = false;
    bool mParticleLoading = false;
    QPointer<NBMapControlView> mControlView;
    QPointer<QToolButton> mPlayPauseButton;
    QPointer<QWidget> mIndicatorArea;
    QPointer<QProgressBar> mIndicator;
    QPointer<QToolButton> mGearButton;
    QPointer<QToolButton> mFullSizeButton;
    std::unique_ptr<NBMapPrefsPopover> mPrefsPopover;
};
