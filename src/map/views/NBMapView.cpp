#include "map/views/NBMapView.h"

#include "core/NBPrefController.h"
#include "core/OVDateFormattingTool.h"
#include "core/OVDisplayNotifications.h"
#include "core/OVLocationDB.h"
#include "core/views/NBParentView.h"
#include "core/views/OVYUp.h"
#include "map/views/OVMapCityLabels.h"
#include "map/OVMapSettings.h"
#include "map/layers/OVMapLayer.h"
#include "map/gl/OVTextureRegistry.h"
#include "platform/OVDispatch.h"
#include "platform/OVLog.h"
#include "platform/OVNotificationCenter.h"
#include "platform/OVUserDefaults.h"
#include "weather/OVWeatherController.h"
#include "weather/OVWeatherLocation.h"

#include <QLabel>
#include <QMouseEvent>
#include <QCoreApplication>
#include <QNativeGestureEvent>
#include <QOpenGLContext>
#include <QOpenGLFunctions_2_1>
#include <QOpenGLVersionFunctionsFactory>
#include <QPainter>
#include <QThread>
#include <QWheelEvent>

#include <cmath>
#include <numbers>

namespace {

OVTextureRegistry &registryOf(const NBMapView::Environment &environment)
{
    return environment.registry ? *environment.registry : OVTextureRegistry::shared();
}

/// The panel's colour: the map's rounded corners and the view before its first frame.
QColor panelColour()
{
    return NBPrefController::settingForKey(QStringLiteral("backgroundColor")).value<QColor>();
}

} // namespace

bool NBMapView::openGLAvailable()
{
    static const bool available = [] {
        QOpenGLContext probe;
        const bool created = probe.create();
        if (!created)
            OVLog(QStringLiteral("Map: this display offers no OpenGL; the map stays empty."));
        return created;
    }();
    return available;
}

NBMapView::NBMapView(QWidget *parent)
    : NBMapView(parent, Environment())
{
}

NBMapView::NBMapView(QWidget *parent, Environment environment)
    : QWidget(parent)
    , mEnvironment(std::move(environment))
{
    setObjectName(QStringLiteral("mapView"));
    // Every pixel comes from the frame (or the panel's colour before the first).
    setAttribute(Qt::WA_OpaquePaintEvent);
    if (!mEnvironment.controllerEnvironment)
        mEnvironment.controllerEnvironment = &OVMapController::Environment::fromApplication;
    if (!mEnvironment.locationDatabase)
        mEnvironment.locationDatabase = &OVLocationDB::sharedLocationManager;
    readPreferences();
    for (OVAnimation *animation : {&mRecenterAnimation, &mZoomAnimation}) {
        animation->setFrameRate(kAnimationFramesPerSecond);
        animation->setAnimationBlockingMode(OVTimedAnimation::BlockingMode::NonBlocking);
        animation->setDelegate(this);
    }
    OVNotificationCenter::defaultCenter().addObserver(this, OVNotifyMapGeneratorNeedsDisplay,
                                                      [this](const OVNotification &) { loadCities(); });
    mGeometryWriteTimer.setSingleShot(true);
    mGeometryWriteTimer.setInterval(kGeometryWriteIntervalMs);
    connect(&mGeometryWriteTimer, &QTimer::timeout, this, &NBMapView::writePendingPreferences);
    if (QCoreApplication *application = QCoreApplication::instance())
        connect(application, &QCoreApplication::aboutToQuit, this, &NBMapView::writePendingPreferences);
}

NBMapView::~NBMapView()
{
    // The view a user left is what the next start shows.
    writePendingPreferences();
    OVNotificationCenter::defaultCenter().removeObserver(this);
    for (OVAnimation *animation : {&mRecenterAnimation, &mZoomAnimation}) {
        animation->setDelegate(nullptr);
        animation->stopAnimation();
    }
    // No frame runs from here on; the layers free what they made in the frame's context.
    if (mLayer) {
        mLayer->stop();
        mLayer->makeCurrentForTeardown();
    }
    mMapGenerator.reset();
    if (mTextureLoader) {
        // No redraw may reach a view that is going; the worker ends before the loader is let go.
        mTextureLoader->setDelegate(nullptr);
        mTextureLoader->stopThread();
        mTextureLoader.reset();
    }
    if (mLayer)
        mLayer->doneCurrentAfterTeardown();
    mLayer.reset();
}

// OVMapSupportedView ----------------------------------------------------------------------

bool NBMapView::onRenderThread() const
{
    return mLayer && QThread::currentThread() == mLayer->renderThread();
}

// A frame sees the geometry it was asked with, however the user moves the map meanwhile.

OVGeoRect NBMapView::visibleGeoRect() const
{
    return onRenderThread() ? mDrawingState.geometry.visibleGeoRect() : mGeometry.visibleGeoRect();
}

QSizeF NBMapView::viewSize() const
{
    return onRenderThread() ? mDrawingState.geometry.size : QSizeF(width(), height());
}

double NBMapView::resolutionPixelsPerDegree() const
{
    return onRenderThread() ? mDrawingState.geometry.resolution() : mGeometry.resolution();
}

double NBMapView::devicePixelRatioF() const
{
    return onRenderThread() ? mDrawingState.scale : QWidget::devicePixelRatioF();
}

QString NBMapView::timeLabelText(const QDateTime &date)
{
    return date.isValid() ? OVDateFormattingTool::sharedFormattingTool().combinedStringFromDate(date)
                          : QStringLiteral("\u2014");
}

void NBMapView::radarTimeShownDidChange(const QDateTime &date)
{
    mRadarTimeText = timeLabelText(date);
    if (mRadarTimeLabel)
        mRadarTimeLabel->setText(mRadarTimeText);
}

void NBMapView::satelliteTimeShownDidChange(const QDateTime &date)
{
    mSatelliteTimeText = timeLabelText(date);
    if (mSatelliteTimeLabel)
        mSatelliteTimeLabel->setText(mSatelliteTimeText);
}

void NBMapView::redraw()
{
    // Requests made before the GUI thread gets to them come to one frame.
    if (mRedrawQueued.exchange(true))
        return;
    QPointer<NBMapView> self(this);
    QMetaObject::invokeMethod(
        this,
        [self] {
            if (!self)
                return;
            self->mRedrawQueued = false;
            self->requestFrame();
            if (self->mAttribution) {
                self->mAttribution->setVisibleGeoRect(self->visibleGeoRect());
                self->mAttribution->widget()->update();
            }
        },
        Qt::QueuedConnection);
}

bool NBMapView::canShowFrames() const
{
    return isVisible() && !window()->isMinimized();
}

void NBMapView::requestFrame()
{
    // Nobody sees a hidden or minimised map: the frame waits until it shows again.
    if (!canShowFrames()) {
        mFramePending = true;
        return;
    }
    mFramePending = false;
    if (!makeEngine())
        return;
    checkGeometry();
    const double scale = QWidget::devicePixelRatioF();
    {
        std::lock_guard lock(mFrameStateMutex);
        mPublishedState.geometry = mGeometry;
        mPublishedState.scale = scale;
        mPublishedState.cornerColor = panelColour();
    }
    mMapGenerator->prepareFrame();
    mLayer->setDrawableSize((QSizeF(size()) * scale).toSize(), scale);
    mLayer->setNeedsDisplay();
}

void NBMapView::watchWindow()
{
    QWidget *top = window();
    if (top == mWatchedWindow)
        return;
    if (mWatchedWindow)
        mWatchedWindow->removeEventFilter(this);
    mWatchedWindow = top;
    if (top != this)
        top->installEventFilter(this);
}

bool NBMapView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == mWatchedWindow && event->type() == QEvent::WindowStateChange && mFramePending)
        requestFrame();
    return QWidget::eventFilter(watched, event);
}

void NBMapView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    watchWindow();
    requestFrame();
}

void NBMapView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // A top-level map sees its own state changes; a child one through the window it watches.
    if (event->type() == QEvent::WindowStateChange && mFramePending)
        requestFrame();
}

// Geometry --------------------------------------------------------------------------------

void NBMapView::syncGeometrySize()
{
    mGeometry.size = QSizeF(width(), height());
}

void NBMapView::checkGeometry()
{
    syncGeometrySize();
    mGeometry.check();
}

double NBMapView::widestZoom() const
{
    OVMapGeometry geometry = mGeometry;
    geometry.size = QSizeF(width(), height());
    return geometry.widestZoom();
}

OVGeoPoint NBMapView::geoPointForViewPoint(const QPointF &point) const
{
    return mGeometry.geoPointForViewPoint(point);
}

void NBMapView::readPreferences()
{
    const OVUserDefaults &defaults = OVUserDefaults::standard();
    mGeometry.zoom = OVMapGeometry::kDefaultZoom;
    const double storedZoom = defaults.doubleForKey(kZoomKey);
    if (storedZoom > 1e-5)
        mGeometry.zoom = storedZoom;
    mGeometry.center = QPointF(0.0, 0.0);
    const QVariant latitude = defaults.objectForKey(kCenterLatitudeKey);
    const QVariant longitude = defaults.objectForKey(kCenterLongitudeKey);
    if (latitude.isValid() && longitude.isValid()) {
        const double lat = OVUserDefaults::variantToDouble(latitude);
        const double lon = OVUserDefaults::variantToDouble(longitude);
        if (std::fabs(lat) <= 180.0 && std::fabs(lon) <= 180.0)
            mGeometry.center = QPointF(lon, lat);
    }
}

void NBMapView::writePendingPreferences()
{
    mGeometryWriteTimer.stop();
    if (mGeometryUnsaved)
        writePreferences();
}

void NBMapView::storeGeometrySoon()
{
    mGeometryUnsaved = true;
    // A drag is stored when it ends; other changes (wheel steps, pinches) at most once a second.
    if (!mDragging && !mGeometryWriteTimer.isActive())
        mGeometryWriteTimer.start();
}

void NBMapView::writePreferences()
{
    mGeometryUnsaved = false;
    OVUserDefaults &defaults = OVUserDefaults::standard();
    defaults.setObject(double(float(mGeometry.zoom)), kZoomKey);
    defaults.setObject(double(float(mGeometry.center.y())), kCenterLatitudeKey);
    defaults.setObject(double(float(mGeometry.center.x())), kCenterLongitudeKey);
}

QPointF NBMapView::yUp(const QPointF &widgetPoint) const
{
    return OVYUp::toYUp(widgetPoint, height());
}

void NBMapView::applyInputGeometry(const OVMapGeometry &candidate)
{
    // Checked before it is stored: a wrapped longitude is what the next start reads back.
    if (!mGeometry.adopt(candidate))
        return;
    // Every write rewrites the settings file: a gesture stores its view when it ends.
    storeGeometrySoon();
    redraw();
}

// Input -----------------------------------------------------------------------------------

void NBMapView::mousePressEvent(QMouseEvent *event)
{
    stopAllAnimation();
    syncGeometrySize();
    mDragging = event->button() == Qt::LeftButton;
    if (mDragging) {
        mInitialMouseClickLocation = yUp(event->position());
        mOriginalCenter = mGeometry.center;
    }
}

void NBMapView::mouseDoubleClickEvent(QMouseEvent *event)
{
    stopAllAnimation();
    syncGeometrySize();
    mDragging = false;
    const QPointF point = yUp(event->position());
    if (event->button() == Qt::LeftButton)
        zoomWithAnimation(mGeometry.zoom * (event->modifiers() & Qt::ControlModifier ? 2.0 : 0.5), point);
    else if (event->button() == Qt::RightButton)
        zoomWithAnimation(mGeometry.zoom * 2.0, point);
}

void NBMapView::mouseMoveEvent(QMouseEvent *event)
{
    if (!mDragging || !(event->buttons() & Qt::LeftButton))
        return;
    syncGeometrySize();
    OVMapGeometry candidate = mGeometry;
    candidate.center = mGeometry.centerAfterDrag(mOriginalCenter, mInitialMouseClickLocation, yUp(event->position()));
    applyInputGeometry(candidate);
}

void NBMapView::mouseReleaseEvent(QMouseEvent *)
{
    const bool dragged = mDragging;
    mDragging = false;
    if (dragged)
        writePendingPreferences();
}

void NBMapView::wheelEvent(QWheelEvent *event)
{
    syncGeometrySize();
    OVMapGeometry candidate = mGeometry;
    if (candidate.scroll(event->angleDelta().y() / 120.0))
        applyInputGeometry(candidate);
    event->accept();
}

bool NBMapView::event(QEvent *event)
{
    if (event->type() == QEvent::NativeGesture) {
        auto *gesture = static_cast<QNativeGestureEvent *>(event);
        if (gesture->gestureType() == Qt::ZoomNativeGesture) {
            stopAllAnimation();
            syncGeometrySize();
            OVMapGeometry candidate = mGeometry;
            if (candidate.pinch(gesture->value(), yUp(gesture->position())))
                applyInputGeometry(candidate);
        } else if (gesture->gestureType() == Qt::EndNativeGesture) {
            writePendingPreferences();
        }
        return true;
    }
    if (event->type() == QEvent::ParentChange && isVisible())
        watchWindow();
    return QWidget::event(event);
}

void NBMapView::zoomInAction()
{
    syncGeometrySize();
    zoomWithAnimation(mGeometry.zoom * 0.5, QPointF(width() / 2.0, height() / 2.0));
}

void NBMapView::zoomOutAction()
{
    syncGeometrySize();
    zoomWithAnimation(mGeometry.zoom * 2.0, QPointF(width() / 2.0, height() / 2.0));
}

// Animation -------------------------------------------------------------------------------

void NBMapView::zoomWithAnimation(double newZoom)
{
    mAnimationStartZoom = mGeometry.zoom;
    mAnimationEndZoom = newZoom;
    mAnimationStartCenter = mAnimationEndCenter = mGeometry.center;
    mZoomAnimation.startAnimation();
}

void NBMapView::zoomWithAnimation(double newZoom, const QPointF &clickPoint)
{
    syncGeometrySize();
    mAnimationStartZoom = mGeometry.zoom;
    mAnimationEndZoom = newZoom;
    mAnimationStartCenter = mGeometry.center;
    mAnimationEndCenter = mGeometry.centerKeepingPoint(clickPoint, newZoom);
    mZoomAnimation.startAnimation();
}

void NBMapView::recenterWithAnimation(const QPointF &target)
{
    const bool idle = !mZoomAnimation.isAnimating() && !mRecenterAnimation.isAnimating();
    stopAllAnimation();
    mAnimationStartCenter = mGeometry.center;
    mAnimationEndCenter = target;
    mAnimationStartZoom = mGeometry.zoom;
    // An interrupted zoom still ends at its target.
    if (idle)
        mAnimationEndZoom = mGeometry.zoom;
    mRecenterAnimation.startAnimation();
}

void NBMapView::stopAllAnimation()
{
    mRecenterAnimation.resetAnimation();
    mZoomAnimation.resetAnimation();
}

void NBMapView::animationProgressed(OVAnimation &animation)
{
    const double t = animation.currentProgress();
    syncGeometrySize();
    OVMapGeometry candidate = mGeometry;
    candidate.center = mAnimationStartCenter + t * (mAnimationEndCenter - mAnimationStartCenter);
    if (&animation == &mZoomAnimation)
        candidate.zoom = mAnimationStartZoom + t * (mAnimationEndZoom - mAnimationStartZoom);
    else
        candidate.zoom = OVMapGeometry::recenterZoom(t, mAnimationStartZoom, mAnimationEndZoom, mAnimationStartCenter,
                                                     mAnimationEndCenter, mGeometry.widestZoom());
    if (mGeometry.adopt(candidate))
        redraw();
}

void NBMapView::animationFinished(OVAnimation &)
{
    writePreferences();
}

// Drawing ---------------------------------------------------------------------------------

bool NBMapView::makeEngine()
{
    if (mMapGenerator)
        return true;
    if (!openGLAvailable())
        return false;
    // The application's share context outlives every other context, so the loader's textures
    // and the frame's context see the same names.
    QOpenGLContext *share = QOpenGLContext::globalShareContext();
    mLayer = std::make_unique<NBMapOpenGLLayer>(share);
    if (!mLayer->hasContext()) {
        mLayer.reset();
        return false;
    }
    mLayer->setParentView(this);
    QPointer<NBMapView> self(this);
    mLayer->setFrameDrawnHandler([this, self] {
        QMetaObject::invokeMethod(
            this,
            [self] {
                if (self)
                    self->update();
            },
            Qt::QueuedConnection);
    });
    mTextureLoader = std::make_shared<OVTextureLoader>(share ? share : mLayer->context(), registryOf(mEnvironment));
    if (!mTextureLoader->hasContext())
        OVLog(QStringLiteral("Error: Could not create texture context: no context shares with the map's"));
    mTextureLoader->setDelegate(this);
    registryOf(mEnvironment).setMaxTextureMemory(kTextureMemoryBudget);

    checkGeometry();
    mMapGenerator = std::make_unique<OVMapController>(this, mTextureLoader, mEnvironment.controllerEnvironment());
    sendPrefsToGenerator();
    loadCities();
    if (OVMapSettings::boolValue(mMapGenerator->settings(), OVMapSettingKey::isPlaying))
        mMapGenerator->timeTracker().play();
    return true;
}

void NBMapView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QImage frame = lastFrame();
    if (frame.isNull()) {
        painter.fillRect(rect(), panelColour());
        return;
    }
    // While a resize waits for its frame the last one is stretched over the new size.
    painter.drawImage(QRectF(rect()), frame);
}

void NBMapView::prepareDrawingContext()
{
    if (mMapGenerator)
        mMapGenerator->prepareCurrentContext();
}

void NBMapView::openGLDraw()
{
    {
        std::lock_guard lock(mFrameStateMutex);
        mDrawingState = mPublishedState;
    }
    if (mMapGenerator)
        mMapGenerator->draw();
    paintCorners();
}

void NBMapView::sendPrefsToGenerator()
{
    if (!mMapGenerator)
        return;
    const OVUserDefaults &defaults = OVUserDefaults::standard();
    QVariantMap settings = OVMapController::settingsDefaults();
    for (const QString &key : OVMapSettings::userDefaultKeys()) {
        const QVariant value = defaults.objectForKey(key); // stored or registered
        if (value.isValid())
            settings.insert(key, value);
    }
    const QString densityKey(OVMapSettingKey::particleDensity);
    const qint64 index = OVUserDefaults::variantToInteger(settings.value(densityKey));
    if (quint64(index) <= 3)
        settings.insert(densityKey, OVMapSettings::particleColumnsForDensityIndex(index));
    mMapGenerator->setSettings(settings);
    mMapGenerator->updateShownLayers();
    mMapGenerator->updateParticleDensity();
    mMapGenerator->updateAnimationSpeed();
}

void NBMapView::loadCities()
{
    QList<OVMapPlace> places;
    for (const auto &location : OVWeatherController::sharedWeatherController().weatherLocations())
        if (location)
            places.append({location->city(), OVGeoPointMake(location->latitude(), location->longitude())});
    const bool showCities = NBPrefController::boolForKey(QStringLiteral("showCities"));
    const quint64 request = ++mCityLabelRequest;
    const auto database = mEnvironment.locationDatabase;
    QPointer<NBMapView> self(this);
    OVDispatch::global([places, showCities, request, database, self] {
        std::optional<QList<QVariantMap>> rows;
        if (showCities)
            if (const std::shared_ptr<OVLocationDB> db = database())
                rows = db->citiesWithPopulationAbove(OVMapCityLabels::kPopulationFloor);
        const QList<OVMapLabelRecord> labels = OVMapCityLabels::labels(places, rows);
        OVDispatch::mainAsync([self, request, labels] {
            if (self)
                self->cityLabelsArrived(request, labels);
        });
    });
}

void NBMapView::cityLabelsArrived(quint64 request, const QList<OVMapLabelRecord> &labels)
{
    if (request != mCityLabelRequest)
        return; // a newer request is on its way
    mCityLabels = labels;
    ++mCityLabelDeliveries;
    if (mMapGenerator)
        if (const OVMapLayerGroup group = mMapGenerator->layers(OVMapLayerType::Text); group && !group->isEmpty())
            if (auto *text = dynamic_cast<OVMapTextLayerControl *>(group->first().get()))
                text->setStrings(labels);
    redraw();
}

void NBMapView::paintCorners()
{
    QOpenGLContext *current = QOpenGLContext::currentContext();
    if (!current)
        return;
    QOpenGLFunctions_2_1 *gl = QOpenGLVersionFunctionsFactory::get<QOpenGLFunctions_2_1>(current);
    if (!gl)
        return;
    const QColor color = mDrawingState.cornerColor;
    const double radius = NBParentView::cornerRadius();
    const double w = mDrawingState.geometry.size.width();
    const double h = mDrawingState.geometry.size.height();
    // Every change is undone, so the map's fixed state holds for the next frame.
    gl->glPushAttrib(GL_ALL_ATTRIB_BITS);
    gl->glMatrixMode(GL_PROJECTION);
    gl->glPushMatrix();
    gl->glLoadIdentity();
    gl->glOrtho(0.0, w, 0.0, h, -1.0, 1.0);
    gl->glMatrixMode(GL_MODELVIEW);
    gl->glPushMatrix();
    gl->glLoadIdentity();
    gl->glDisable(GL_TEXTURE_2D);
    gl->glDisable(GL_ALPHA_TEST);
    gl->glDisable(GL_BLEND);
    gl->glColor4d(color.redF(), color.greenF(), color.blueF(), 1.0);
    // Each corner: a fan from the corner point along the quarter circle that rounds it.
    const struct
    {
        double cornerX, cornerY, centreX, centreY, startAngle;
    } corners[] = {
        {0, 0, radius, radius, std::numbers::pi},
        {w, 0, w - radius, radius, 1.5 * std::numbers::pi},
        {w, h, w - radius, h - radius, 0.0},
        {0, h, radius, h - radius, 0.5 * std::numbers::pi},
    };
    constexpr int kSegments = 12;
    for (const auto &corner : corners) {
        gl->glBegin(GL_TRIANGLE_FAN);
        gl->glVertex2d(corner.cornerX, corner.cornerY);
        for (int i = 0; i <= kSegments; ++i) {
            const double angle = corner.startAngle + 0.5 * std::numbers::pi * i / kSegments;
            gl->glVertex2d(corner.centreX + radius * std::cos(angle), corner.centreY + radius * std::sin(angle));
        }
        gl->glEnd();
    }
    gl->glPopMatrix();
    gl->glMatrixMode(GL_PROJECTION);
    gl->glPopMatrix();
    gl->glMatrixMode(GL_MODELVIEW);
    gl->glPopAttrib();
}

void NBMapView::setAttributionView(OVMapAttributionControl *attribution)
{
    mAttribution = attribution;
    if (!mAttribution)
        return;
    mAttribution->widget()->setParent(this);
    const QString host = mEnvironment.controllerEnvironment().imageryServerURL;
    mAttribution->setAttributionURL(host.isEmpty() ? QString() : host + kAttributionPath);
    placeAttribution();
    mAttribution->widget()->show();
}

void NBMapView::placeAttribution()
{
    if (mAttribution)
        mAttribution->widget()->setGeometry(kAttributionInset, 0, std::max(0, width() - 2 * kAttributionInset), height());
}

void NBMapView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeAttribution();
    requestFrame();
}
