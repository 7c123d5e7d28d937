// The map panel of the main window. It owns the map geometry (centre and zoom), turns drag,
// scroll, pinch and double clicks into geometry changes and animations, keeps the geometry in
// the user defaults (a drag when it ends, other changes at most once a second, and whatever is
// unsaved when the view goes or the application quits), and at its first frame makes the
// texture loader and the map controller, hands it the user's map preferences and loads the
// place labels.
//
// The map is drawn by an NBMapOpenGLLayer on the layer's own render thread; the view itself is
// a plain widget that paints the newest finished frame, so the GUI thread never draws with
// OpenGL and never waits for a frame. `redraw` may be called from any thread: it queues, on the
// GUI thread, a frame request with a snapshot of what the frame needs (the checked geometry,
// the size in pixels, the corners' colour); several requests give one frame, and while the view
// is hidden or its window minimised the request waits for it to show again. While a frame is
// drawn, the controller and the layers ask the view for the visible rectangle, size and
// resolution: on the render thread they get the frame's snapshot, elsewhere the live geometry.
// Everything but the drawing runs on the GUI thread (the zoom and recentre animations use the
// main-thread mode at 60 frames a second). The view stops the layer, then the loader, before
// it goes.
//
// View points are y-up (origin bottom left) through OVYUp, as the geometry expects.
#pragma once

#include "core/OVAnimation.h"
#include "map/OVMapController.h"
#include "map/OVMapGeometry.h"
#include "map/layers/OVMapLayerControls.h"
#include "map/OVMapSupportedView.h"
#include "map/gl/NBMapOpenGLLayer.h"
#include "map/gl/OVTextureLoader.h"

#include <QLabel>
#include <QLatin1String>
#include <QWidget>
#include <QPointer>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

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

class NBMapView final : public QWidget,
                        public OVMapSupportedView,
                        public OVAnimationDelegate,
                        public OVTextureLoaderDelegate,
                        public OVThreadedLayerSupportedView
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
    double devicePixelRatioF() const override;
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

    // Drawing and set-up. The three OVThreadedLayerSupportedView calls come from the layer's
    // render thread with its context current.
    void openGLDraw() override;
    /// Asks the controller to set up the context's fixed state.
    void prepareDrawingContext() override;
    /// Does nothing: the layer has one context.
    void prepareMasterContext() override {}
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
    /// How many frames the layer has drawn.
    int paintCount() const { return mLayer ? int(mLayer->framesDrawn()) : 0; }
    /// The newest frame drawn, in device pixels (null before the first).
    QImage lastFrame() const { return mLayer ? mLayer->frame() : QImage(); }
    NBMapOpenGLLayer *openglLayer() const { return mLayer.get(); }
    /// Whether a frame is asked for and not yet drawn.
    bool isDrawing() const { return mRedrawQueued || (mLayer && mLayer->isBusy()); }
    /// Whether a frame would be seen: the view is visible and its window not minimised.
    bool canShowFrames() const;

protected:
    void paintEvent(QPaintEvent *event) override;
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
    /// Asks the layer for a frame with a snapshot of the present geometry when the map can be
    /// seen; otherwise the frame waits for it to show. Makes the layer, the loader and the
    /// controller first when they are not there.
    void requestFrame();
    /// The layer, the texture loader and the controller, once; false without OpenGL.
    bool makeEngine();
    bool onRenderThread() const;
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

    /// What a frame draws with, handed from the GUI thread to the render thread.
    struct FrameState
    {
        OVMapGeometry geometry;
        double scale = 1.0;
        QColor cornerColor;
    };

    Environment mEnvironment;
    OVMapGeometry mGeometry; // GUI thread
    mutable std::mutex mFrameStateMutex;
    FrameState mPublishedState; // under mFrameStateMutex
    FrameState mDrawingState;   // render thread, during a frame
    std::unique_ptr<NBMapOpenGLLayer> mLayer;
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
    bool mFramePending = false;
    std::atomic<bool> mRedrawQueued{false};
    QPointer<QWidget> mWatchedWindow;
};
