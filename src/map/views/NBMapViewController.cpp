#include "map/views/NBMapViewController.h"

#include "core/NBRegisteredDefaults.h"
#include "core/OVApplicationHooks.h"
#include "core/remote/OVURLManager.h"
#include "core/views/NBParentView.h"
#include "core/views/OVMainViewModeHost.h"
#include "core/views/OVNamedImage.h"
#include "map/views/NBMapControlView.h"
#include "map/views/NBMapPrefsPopover.h"
#include "map/views/NBMapPrefsView.h"
#include "map/views/OVMapAttributionView.h"
#include "map/OVMapSettings.h"
#include "map/layers/OVMapLayer.h"
#include "platform/OVLocalize.h"
#include "platform/OVNotificationCenter.h"
#include "platform/OVUserDefaults.h"
#include "weather/OVWeatherController.h"
#include "weather/OVWeatherLocation.h"
#include "weather/OVWeatherNotifications.h"

#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QToolButton>
#include <QUrl>

namespace {

/// The click area of the loading indicator: the indicator sits inside and lets clicks through.
class IndicatorArea final : public QWidget
{
public:
    IndicatorArea(QWidget *parent, std::function<void()> clicked)
        : QWidget(parent)
        , mClicked(std::move(clicked))
    {
    }

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton)
            mClicked();
        event->accept();
    }

private:
    std::function<void()> mClicked;
};

/// Shows the named image on `button` (none: nothing), noting its name on the button.
void setButtonImage(QToolButton *button, const QString &image)
{
    if (!button)
        return;
    button->setIcon(QIcon(QPixmap::fromImage(OVNamedImage::imageNamed(image))));
    button->setProperty("imageName", image);
}

QToolButton *makeButton(QWidget *parent, const QString &name, const QString &image, const QString &accessibleName)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(name);
    button->setAutoRaise(true);
    setButtonImage(button, image);
    button->setIconSize(QSize(20, 20));
    button->setAccessibleName(accessibleName);
    button->setToolTip(accessibleName);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

QLabel *makeLabel(QWidget *parent, const QString &name, const QString &text, Qt::Alignment alignment)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setAlignment(alignment | Qt::AlignVCenter);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(palette);
    QFont font = label->font();
    font.setPointSizeF(9.0);
    label->setFont(font);
    return label;
}

/// The host part of the model-data server's address; empty when none is set.
QString modelDataHost()
{
    const QString address = OVUserDefaults::standard().stringForKey(QString(NBSettingKey::modelDataServerURL));
    return QUrl(address).host();
}

} // namespace

NBMapViewController::NBMapViewController(QWidget *parent)
    : NBMapViewController(parent, NBMapView::Environment())
{
}

NBMapViewController::NBMapViewController(QWidget *parent, NBMapView::Environment environment)
{
    if (!NBMapView::openGLAvailable()) {
        mEmptyPanel = new NBParentView(parent);
        mEmptyPanel->setObjectName(QStringLiteral("mapView"));
        return;
    }
    mView = new NBMapView(parent, std::move(environment));
    mView->setAttributionView(new OVMapAttributionView(mView));
    mPlaying = OVUserDefaults::standard().boolForKey(QString(OVMapSettingKey::isPlaying));
    buildControls();
    updateParticleModeLoadingIndicator();
    OVNotificationCenter &center = OVNotificationCenter::defaultCenter();
    center.addObserver(this, OVNotifyNewCurrentLocation, [this](const OVNotification &) { locationChanged(); });
    center.addObserver(this, OVNotifyURLManagerChange,
                       [this](const OVNotification &) { updateParticleModeLoadingIndicator(); });
}

NBMapViewController::~NBMapViewController()
{
    OVNotificationCenter::defaultCenter().removeObserver(this);
    mPrefsPopover.reset();
}

void NBMapViewController::buildControls()
{
    // The panel's interface: the tab (30 high) at the top left, the controls in the body to its
    // right; x and y in the panel's own y-down widget coordinates.
    auto *panel = new NBMapControlView(mView);
    mControlView = panel;
    panel->resize(316, 62);
    const int body = int(panel->tabWidth() + panel->shadowWidth());

    mPlayPauseButton = makeButton(panel, QStringLiteral("playPauseButton"), mPlaying ? kPauseImage : kPlayImage,
                                  OVLocalizedString("Play or pause the radar and satellite loop"));
    mPlayPauseButton->setGeometry(body + 4, 17, 28, 28);
    QObject::connect(mPlayPauseButton, &QToolButton::clicked, mView, [this] { playPause(); });

    const int captionX = body + 36;
    makeLabel(panel, QStringLiteral("radarCaption"), OVLocalizedString("Radar"), Qt::AlignLeft)
        ->setGeometry(captionX, 8, 52, 20);
    makeLabel(panel, QStringLiteral("satelliteCaption"), OVLocalizedString("Satellite"), Qt::AlignLeft)
        ->setGeometry(captionX, 34, 52, 20);
    QLabel *radarTime = makeLabel(panel, QStringLiteral("radarTimeLabel"), QStringLiteral("\u2014"), Qt::AlignLeft);
    radarTime->setGeometry(captionX + 52, 8, 110, 20);
    QLabel *satelliteTime =
        makeLabel(panel, QStringLiteral("satelliteTimeLabel"), QStringLiteral("\u2014"), Qt::AlignLeft);
    satelliteTime->setGeometry(captionX + 52, 34, 110, 20);
    mView->setRadarTimeLabel(radarTime);
    mView->setSatelliteTimeLabel(satelliteTime);

    const int right = panel->width() - 4;
    auto *indicatorArea = new IndicatorArea(panel, [this] { particleLoadingIndicatorAreaClicked(); });
    indicatorArea->setObjectName(QStringLiteral("particleLoadingIndicatorArea"));
    indicatorArea->setGeometry(right - 78, 8, 26, 20);
    indicatorArea->setToolTip(OVLocalizedString("Wind data loading"));
    mIndicatorArea = indicatorArea;
    mIndicator = new QProgressBar(indicatorArea);
    mIndicator->setObjectName(QStringLiteral("particleLoadingIndicator"));
    mIndicator->setTextVisible(false);
    mIndicator->setRange(0, 1);
    mIndicator->setValue(0);
    mIndicator->setGeometry(2, 6, 22, 8);
    mIndicator->setAttribute(Qt::WA_TransparentForMouseEvents);
    mIndicator->hide();

    // The zoom buttons are plain white signs, legible on the dark panel.
    const auto makeZoomButton = [panel](const QString &name, const QString &sign, const QString &accessibleName) {
        auto *button = new QToolButton(panel);
        button->setObjectName(name);
        button->setAutoRaise(true);
        button->setText(sign);
        button->setAccessibleName(accessibleName);
        button->setToolTip(accessibleName);
        button->setFocusPolicy(Qt::NoFocus);
        button->setStyleSheet(QStringLiteral("QToolButton { color: white; font-size: 17px; font-weight: bold; }"));
        return button;
    };
    QToolButton *zoomOut = makeZoomButton(QStringLiteral("zoomOutButton"), QStringLiteral("\u2212"), OVLocalizedString("Zoom out"));
    zoomOut->setGeometry(right - 52, 4, 26, 26);
    QObject::connect(zoomOut, &QToolButton::clicked, mView, [this] { mView->zoomOutAction(); });
    QToolButton *zoomIn = makeZoomButton(QStringLiteral("zoomInButton"), QStringLiteral("+"), OVLocalizedString("Zoom in"));
    zoomIn->setGeometry(right - 26, 4, 26, 26);
    QObject::connect(zoomIn, &QToolButton::clicked, mView, [this] { mView->zoomInAction(); });

    mGearButton = makeButton(panel, QStringLiteral("prefsGearButton"), QStringLiteral("gear_20"),
                             OVLocalizedString("Map settings"));
    mGearButton->setGeometry(right - 52, 32, 26, 26);
    QObject::connect(mGearButton, &QToolButton::clicked, mView, [this] { showPrefs(); });
    mFullSizeButton = makeButton(panel, QStringLiteral("fullSizeButton"), QStringLiteral("enter_fullscreen_20"),
                                 OVLocalizedString("Toggle Map Size"));
    mFullSizeButton->setGeometry(right - 26, 32, 26, 26);
    QObject::connect(mFullSizeButton, &QToolButton::clicked, mView, [this] { toggleFullSize(); });

    mPrefsPopover = std::make_unique<NBMapPrefsPopover>(
        mView, mGearButton, [this] { return new NBMapPrefsView(*this, engine()); });

    // Hidden at first: only the tab shows at the map's top right.
    panel->placeHidden();
    panel->QWidget::show();
}

double NBMapViewController::zoom() const
{
    return mView ? mView->zoom() : mEmptyPanelZoom;
}

void NBMapViewController::setZoom(double zoom)
{
    if (mView)
        mView->setZoom(zoom);
    else
        mEmptyPanelZoom = zoom;
}

double NBMapViewController::width() const
{
    const QWidget *shown = mView ? static_cast<QWidget *>(mView) : mEmptyPanel.data();
    return shown ? shown->width() : 0.0;
}

void NBMapViewController::setCurrentLocation(const std::shared_ptr<OVWeatherLocation> &location, bool animate)
{
    if (!mView)
        return;
    const OVGeoPoint point = location ? OVGeoPointMake(location->latitude(), location->longitude()) : OVGeoPoint{};
    if (location && mView->mapGenerator())
        if (const OVMapLayerGroup texts = mView->mapGenerator()->layers(OVMapLayerType::Text); texts && !texts->isEmpty())
            if (auto *text = dynamic_cast<OVMapTextLayerControl *>(texts->first().get()))
                text->bringToFront(location->city(), point);
    const QPointF center(point.longitude, point.latitude);
    if (animate)
        mView->recenterWithAnimation(center);
    else
        mView->setCenter(center);
}

void NBMapViewController::locationChanged()
{
    const std::shared_ptr<OVWeatherLocation> location = OVWeatherController::sharedWeatherController().currentLocation();
    setCurrentLocation(location, location != nullptr);
}

// Actions ---------------------------------------------------------------------------------

void NBMapViewController::playPause()
{
    OVUserDefaults &defaults = OVUserDefaults::standard();
    OVMapController *controller = engine();
    if (!mPlaying) {
        if (controller)
            controller->timeTracker().play();
        mPlaying = true;
        setButtonImage(mPlayPauseButton, kPauseImage);
        defaults.setObject(QStringLiteral("YES"), QString(OVMapSettingKey::isPlaying));
    } else {
        if (controller) {
            controller->timeTracker().pause();
            controller->timeTracker().last();
        }
        mPlaying = false;
        setButtonImage(mPlayPauseButton, kPlayImage);
        defaults.setObject(QStringLiteral("NO"), QString(OVMapSettingKey::isPlaying));
    }
    defaults.synchronize();
}

void NBMapViewController::changeSetting(QLatin1String key, const QVariant &value, void (OVMapController::*apply)())
{
    OVMapController *controller = engine();
    if (!controller)
        return;
    controller->setSetting(QString(key), value);
    if (apply)
        (controller->*apply)();
}

void NBMapViewController::setTimeInterval(int segment)
{
    changeSetting(OVMapSettingKey::timeInterval, segment, &OVMapController::updateTimeInterval);
}

void NBMapViewController::setAnimationSpeed(double seconds)
{
    changeSetting(OVMapSettingKey::animationSpeed, seconds, &OVMapController::updateAnimationSpeed);
}

void NBMapViewController::opacityUpdated()
{
    OVMapController *controller = engine();
    if (!controller)
        return;
    const OVUserDefaults &defaults = OVUserDefaults::standard();
    // An opacity the user never set keeps the engine's value: taking an absent default as 0
    // would make that layer vanish when the other slider moves.
    for (const QLatin1String key : {OVMapSettingKey::radarOpacity, OVMapSettingKey::satelliteOpacity}) {
        const QVariant stored = defaults.objectForKey(QString(key));
        if (stored.isValid())
            controller->setSetting(QString(key), float(OVUserDefaults::variantToDouble(stored)));
    }
    mView->redraw();
}

void NBMapViewController::setShowSurfaceAnalysis(bool on)
{
    changeSetting(OVMapSettingKey::showSurfaceAnalysis, on, &OVMapController::updateShownLayers);
}

void NBMapViewController::setShowParticleMode(bool on)
{
    changeSetting(OVMapSettingKey::showParticleMode, on, &OVMapController::updateShownLayers);
}

void NBMapViewController::setParticleDensity()
{
    const QVariant stored = OVUserDefaults::standard().objectForKey(QString(OVMapSettingKey::particleDensity));
    if (!stored.isValid())
        return;
    const qint64 index = OVUserDefaults::variantToInteger(stored);
    if (quint64(index) > 3)
        return;
    changeSetting(OVMapSettingKey::particleDensity, OVMapSettings::particleColumnsForDensityIndex(index),
                  &OVMapController::updateParticleDensity);
}

void NBMapViewController::setParticleModeRunsInBackground(bool on)
{
    // The particle layer reads it at every tick.
    changeSetting(OVMapSettingKey::pauseParticleModeInBackground, on, nullptr);
}

// Indicator -------------------------------------------------------------------------------

void NBMapViewController::updateParticleModeLoadingIndicator()
{
    if (!mIndicator)
        return;
    const QString host = modelDataHost();
    bool loading = false;
    // An empty host would be found in every address.
    if (!host.isEmpty())
        for (const QVariantMap &entry : OVURLManager::sharedURLManager().urls())
            if (entry.value(QStringLiteral("urlString")).toString().contains(host, Qt::CaseInsensitive)) {
                loading = true;
                break;
            }
    if (loading == mParticleLoading)
        return;
    mParticleLoading = loading;
    if (loading) {
        mIndicator->setRange(0, 0); // busy: the bar spins
        mIndicator->show();
    } else {
        mIndicator->setRange(0, 1);
        mIndicator->setValue(0);
        mIndicator->hide();
    }
}

void NBMapViewController::particleLoadingIndicatorAreaClicked()
{
    if (!mParticleLoading)
        return;
    if (const std::shared_ptr<OVApplicationHooks> hooks = OVApplicationHooks::installed())
        hooks->openActivityPanel();
}

// Window ----------------------------------------------------------------------------------

void NBMapViewController::toggleFullSize()
{
    const std::optional<bool> toMap = OVMainViewModeHost::toggleFullSize(mView, OVMainViewModeHost::MapFullSize);
    if (toMap)
        setButtonImage(mFullSizeButton, *toMap ? QStringLiteral("exit_fullscreen_20") : QStringLiteral("enter_fullscreen_20"));
}

void NBMapViewController::showPrefs()
{
    if (mPrefsPopover)
        mPrefsPopover->showPrefs();
}
