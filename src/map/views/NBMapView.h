// The map panel of the main window: an OpenGL widget that owns the map geometry (centre and
// zoom), turns drag, scroll, pinch and double clicks into geometry changes and animations,
// keeps the geometry in the user defaults (a drag when it ends, other changes at most once a
// second, and whatever is unsaved when the view goes or the application quits), and at its first frame makes the map controller,
// hands it the user's map preferences and loads the place labels.
//
// The texture loader is made in initializeGL with a context sharing names with the widget's;
// paintGL draws the controller and then paints the panel's rounded corners. `redraw` may be
// called from any thread: it queues an update() on the GUI thread, so several requests give
// one frame; while the view is hidden or its window minimised the request waits for it to show
// again. Everything else runs on the GUI thread (the zoom and recentre animations use the
// main-thread mode at 60 frames a second). The view stops the loader before it goes.
//
// View points are y-up (origin bottom left) through OVYUp, as the geometry expects.
#pragma once

#include "core/OVAnimation.h"
#include "map/OVMapController.h"
#include "map/OVMapGeometry.h"
#include "map/layers/OVMapLayerControls.h"
#include "map/OVMapSupportedView.h"
#include "map/gl/OVTextureLoader.h"

#include <QLabel>
#include <QLatin1String>
#include <QOpenGLWidget>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>

class OVLocationDB;
class OVTextureRegistry;

/// What the map view hands a later attribution view: its address and the visible rectangle.
class OVMapAttributionControl
{
public:
    virtual ~OVMapAttributionControl() = default;
    virtual QWidget *widget() = 0;
    virtual void setAttributionURL(const QString &url) = 0;
    virtual void setVisibleGeoRect(const OVGeoRect &rect) = 0;
};

class NBMapView final : public QOpenGLWidget,
                        public OVMapSupportedView,
                        public OVAnimationDelegate,
                        public OVTextureLoaderDelegate
{
    Q_OBJECT

public:
    static constexpr uint64_t kTextureMemoryBudget = 209715200; // 200 MiB for all loaders
    static constexpr double kRecenterSeconds = 2.0;
    static constexpr double kZoomSeconds = 0.2;
    static constexpr float kAnimationFramesPerSecond = 60.0f;
    static constexpr int kAttributionInset = 30;
    static constexpr int kGeometryWriteIntervalMs = 1000;
    static constexpr QLatin1String kZoomKey{"MapView_zoom"};
    static constexpr QLatin1String kCenterLatitudeKey{"MapView_Center_Latitude"};
    static constexpr QLatin1String kCenterLongitudeKey{"MapView_Center_Longitude"};
    static constexpr QLatin1String kAttributionPath{"/equirectangular/radar_composites/base_reflectivity/attribution.txt"};

    /// Where the view finds its collaborators; tests replace them.
    struct Environment
    {
        std::function<OVMapController::Environment()> controllerEnvironment = &OVMapController::Environment::fromApplication;
        std::function<std::shared_ptr<OVLocationDB>()> locationDatabase;
        OVTextureRegistry *registry = nullptr; // nothing: the shared registry
    };

    /// Whether this platform can draw with OpenGL at all (Qt's offscreen platform cannot; a
    /// widget window holding an OpenGL widget there cannot even be flushed). Asked once.
    static bool openGLAvailable();

    explicit NBMapView(QWidget *parent = nullptr);
    NBMapView(QWidget *parent, Environment environment);
    ~NBMapView() override;

    // OVMapSupportedView
    OVGeoRect visibleGeoRect() const override;
    QSizeF viewSize() const override;
    double resolutionPixelsPerDegree() const override;
    double devicePixelRatioF() const override { return QOpenGLWidget::devicePixelRatioF(); }
    void radarTimeShownDidChange(const QDateTime &date) override;
    void satelliteTimeShownDidChange(const QDateTime &date) override;
    void redraw() override;

    // Geometry: plain accessors that neither check nor redraw.
    QPointF center() const { return mGeometry.center; }
    void setCenter(const QPointF &center) { mGeometry.center = center; }
    double zoom() const { return mGeometry.zoom; }
    void setZoom(double zoom) { mGeometry.zoom = zoom; }
    void checkGeometry();
    double widestZoom() const;
    /// The geographic point under a y-up view point.
    OVGeoPoint geoPointForViewPoint(const QPointF &point) const;
    void readPreferences();
    /// Stores the centre and zoom now.
    void writePreferences();
    /// Stores them when they changed since the last write (a gesture's end, the quit).
    void writePendingPreferences();

    // Animation.
    void zoomWithAnimation(double newZoom);
    /// Zooms keeping the geographic point under the y-up view point `clickPoint` in place.
    void zoomWithAnimation(double newZoom, const QPointF &clickPoint);
    /// Flies to (longitude, latitude), zooming out on the way for long moves.
    void recenterWithAnimation(const QPointF &target);
    void stopAllAnimation();
    void animationProgressed(OVAnimation &animation) override;
    void animationFinished(OVAnimation &animation) override;
    OVAnimation &recenterAnimation() { return mRecenterAnimation; }
    OVAnimation &zoomAnimation() { return mZoomAnimation; }
    void zoomInAction();
    void zoomOutAction();

    // Drawing and set-up.
    void openGLDraw();
    void sendPrefsToGenerator();
    /// Prepares the place labels on a worker; the newest request's labels reach the text layer.
    void loadCities();
    OVMapController *mapGenerator() const { return mMapGenerator.get(); }
    std::shared_ptr<OVTextureLoader> textureLoader() const { return mTextureLoader; }

    void setAttributionView(OVMapAttributionControl *attribution);
    void setRadarTimeLabel(QLabel *label) { mRadarTimeLabel = label; }
    void setSatelliteTimeLabel(QLabel *label) { mSatelliteTimeLabel = label; }
    QString radarTimeText() const { return mRadarTimeText; }
    QString satelliteTimeText() const { return mSatelliteTimeText; }
    /// The labels of the newest finished request, and how many requests have finished.
    QList<OVMapLabelRecord> cityLabels() const { return mCityLabels; }
    int cityLabelDeliveries() const { return mCityLabelDeliveries; }
    int paintCount() const { return mPaintCount; }
    /// Whether a frame would be seen: the view is visible and its window not minimised.
    bool canShowFrames() const;

protected:
    void initializeGL() override;
    void paintGL() override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QPointF yUp(const QPointF &widgetPoint) const;
    /// update() when the map can be seen; otherwise the frame waits for it to show.
    void requestFrame();
    /// Follows the top-level window's state changes (minimised and back).
    void watchWindow();
    /// Takes a changed geometry when it checks out, then stores it and asks for a frame.
    void applyInputGeometry(const OVMapGeometry &candidate);
    /// Marks the geometry unsaved and schedules its write.
    void storeGeometrySoon();
    void syncGeometrySize();
    void cityLabelsArrived(quint64 request, const QList<OVMapLabelRecord> &labels);
    void paintCorners();
    void placeAttribution();
    static QString timeLabelText(const QDateTime &date);

    Environment mEnvironment;
    OVMapGeometry mGeometry;
    std::shared_ptr<OVTextureLoader> mTextureLoader;
    std::unique_ptr<OVMapController> mMapGenerator;

    OVAnimation mRecenterAnimation{kRecenterSeconds, OVTimedAnimation::Curve::EaseInOut};
    OVAnimation mZoomAnimation{kZoomSeconds, OVTimedAnimation::Curve::EaseIn};
    double mAnimationStartZoom = 0.0;
    double mAnimationEndZoom = 0.0;
    QPointF mAnimationStartCenter;
    QPointF mAnimationEndCenter;

    bool mDragging = false;
    bool mGeometryUnsaved = false;
    QTimer mGeometryWriteTimer;
    QPointF mInitialMouseClickLocation;
    QPointF mOriginalCenter;

    OVMapAttributionControl *mAttribution = nullptr;
    QPointer<QLabel> mRadarTimeLabel;
    QPointer<QLabel> mSatelliteTimeLabel;
    QString mRadarTimeText;
    QString mSatelliteTimeText;

    quint64 mCityLabelRequest = 0;
    QList<OVMapLabelRecord> mCityLabels;
    int mCityLabelDeliveries = 0;
    int mPaintCount = 0;
    bool mFramePending = false;
    QPointer<QWidget> mWatchedWindow;
};
