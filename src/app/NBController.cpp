#include "app/NBController.h"

#include "app/NBJournalController.h"
#include "app/NBLastUpdatedTextField.h"
#include "app/NBLocationController.h"
#include "app/NBMainWindow.h"
#include "app/NBNotifications.h"
#include "app/NBSecondaryWindows.h"
#include "app/NBSleepWakeMonitor.h"
#include "app/NBUpdateManager.h"
#include "app/NBVersionCheck.h"
#include "app/Reachability.h"
#include "core/NBControllerSettings.h"
#include "core/NBPrefController.h"
#include "core/NBRegisteredDefaults.h"
#include "core/OVDateFormattingTool.h"
#include "core/OVDisplayNotifications.h"
#include "core/views/OVFilledView.h"
#include "core/OVLocationDB.h"
#include "core/OVReloadNotifications.h"
#include "core/remote/OVURL.h"
#include "core/remote/OVURLManager.h"
#include "gribfilter/OVMapParticleGribFetcher.h"
#include "map/OVMapBuiltinLayers.h"
#include "map/OVMapLayerFactory.h"
#include "map/gl/OVMapHPCSurfaceAnalysisLayer.h"
#include "map/gl/OVMapParticleModeLayer.h"
#include "map/gl/OVMapAnimatedTileLayer.h"
#include "map/gl/OVMapTerrainTileLayer.h"
#include "platform/OVLocalize.h"
#include "platform/OVLog.h"
#include "platform/OVNotificationCenter.h"
#include "platform/OVUserDefaults.h"
#include "weather/OVBrisantDataBroker.h"
#include "weather/OVBrisantObservationsBroker.h"
#include "weather/OVHourlyNDFD.h"
#include "weather/OVNDFD.h"
#include "weather/OVObservationsDB.h"
#include "weather/OVWeatherLocation.h"
#include "weather/OVWeatherNotifications.h"

#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>
#include <QProgressBar>
#include <QScreen>
#include <QSplitter>

#include <algorithm>
#include <atomic>

namespace {

const QString kFirstLaunchWindow = QStringLiteral("firstLaunchWindow");

constexpr qint64 kMinimumUpdateInterval = 1800;
constexpr qint64 kMaximumUpdateInterval = 21600;
constexpr qint64 kRedisplayIntervalMs = 60000;
constexpr double kTickerInterval = 60.0;
constexpr double kFirstTickDelay = 2.0;
constexpr double kProgressPollInterval = 1.0;
constexpr double kReachabilityDialogDelay = 45.0;
constexpr qint64 kReachabilityDialogWindowMs = 300000;

// Process-wide, as the power notifications are: touched on the main thread only.
NBController *gInstance = nullptr;
std::atomic<bool> gSystemSleeping{false};
std::atomic<bool> gSystemJustWokeUp{false};

// The distant past (an invalid time) is always due, and so is a time after now: with the clock
// set back, waiting for it to catch up would stop the updates for that long.
bool isDue(const QDateTime &last, const QDateTime &now, qint64 intervalMs)
{
    if (!last.isValid())
        return true;
    const qint64 elapsed = last.msecsTo(now);
    return elapsed < 0 || elapsed >= intervalMs;
}

bool sameLocations(const OVWeatherLocationList &a, const OVWeatherLocationList &b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
}

} // namespace

// --- Construction -------------------------------------------------------------------------------

NBController::NBController(NBControllerEnvironment environment, QObject *parent)
    : QObject(parent)
    , mEnvironment(std::move(environment))
    , mWeatherController(OVWeatherController::sharedWeatherController())
{
    gInstance = this;
    OVWeatherLocation::registerLocationFactory();
    OVMapParticleGribFetcher::registerFactory();
    OVMapTerrainTileLayer::registerWithFactory(OVMapLayerFactory::shared());
    OVMapHPCSurfaceAnalysisLayer::registerWithFactory(OVMapLayerFactory::shared());
    OVMapParticleModeLayer::registerWithFactory(OVMapLayerFactory::shared());
    OVMapAnimatedTileLayer::registerWithFactory(OVMapLayerFactory::shared());
    OVMapRegisterVectorAndTextLayers(OVMapLayerFactory::shared());
    launchSetupPreferences();
    OVURL::setUserAgent(userAgent());
    launchSetupSleepWakeNotifications();
    // The hooks only point at this controller; it uninstalls them when it goes.
    OVApplicationHooks::install(std::shared_ptr<OVApplicationHooks>(std::shared_ptr<OVApplicationHooks>(), this));
}

NBController::~NBController()
{
    OVNotificationCenter::defaultCenter().removeObserver(this);
    if (OVApplicationHooks::installed().get() == this)
        OVApplicationHooks::install(nullptr);
    if (mTicker)
        mEnvironment.scheduler->cancel(mTicker);
    mReachability.reset();
    if (gInstance == this)
        gInstance = nullptr;
}

NBController *NBController::instance()
{
    return gInstance;
}

std::shared_ptr<OVLocationDB> NBController::locationDatabase() const
{
    return mEnvironment.locationDatabase ? mEnvironment.locationDatabase() : nullptr;
}

QString NBController::userAgent()
{
    const QString site = OVUserDefaults::standard().stringForKey(NBSettingKey::productWebURL).trimmed();
    if (site.isEmpty())
        return QStringLiteral("Nimbrel Core/%1 (Linux)").arg(QStringLiteral(NIMBREL_VERSION));
    return QStringLiteral("Nimbrel Core/%1 (Linux; %2)").arg(QStringLiteral(NIMBREL_VERSION), site);
}

qint64 NBController::updateInterval()
{
    return std::clamp<qint64>(NBPrefController::integerForKey(NBSettingKey::updateFrequency), kMinimumUpdateInterval,
                              kMaximumUpdateInterval);
}

void NBController::launchSetupPreferences()
{
    NBControllerSettings::launchSetupPreferences();
}

void NBController::launchSetupSleepWakeNotifications()
{
    mSleepWakeMonitor = new NBSleepWakeMonitor(mEnvironment.systemBus(), this);
    connect(mSleepWakeMonitor, &NBSleepWakeMonitor::systemWillSleep, this, [] { gSystemSleeping = true; });
    connect(mSleepWakeMonitor, &NBSleepWakeMonitor::systemDidWake, this, [this] {
        gSystemJustWokeUp = true;
        tick();
        gSystemSleeping = false;
    });
    gSystemJustWokeUp = false;
}

bool NBController::systemJustWokeUp()
{
    return gSystemJustWokeUp;
}

void NBController::setSystemJustWokeUp(bool wokeUp)
{
    gSystemJustWokeUp = wokeUp;
}

bool NBController::systemSleeping()
{
    return gSystemSleeping;
}

QDateTime NBController::now() const
{
    return mEnvironment.scheduler->now();
}

// --- Window -------------------------------------------------------------------------------------

void NBController::awakeFromNib()
{
    if (mCompletedInit)
        return;
    mWindow = std::make_unique<NBMainWindow>();
    OVUserDefaults &defaults = OVUserDefaults::standard();
    const QByteArray savedGeometry = QByteArray::fromBase64(defaults.stringForKey(NBSettingKey::mainWindowGeometry).toLatin1());
    if (!savedGeometry.isEmpty() && !mWindow->restoreGeometry(savedGeometry))
        OVLog(QStringLiteral("[NBController awakeFromNib] The saved window geometry is unreadable; the default is used."));
    if (!defaults.boolForKey(kFirstLaunchWindow)) {
        if (const QScreen *screen = QGuiApplication::primaryScreen()) {
            QRect frame = mWindow->frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            mWindow->move(frame.topLeft());
        }
        defaults.setObject(true, kFirstLaunchWindow);
    }
    mWindow->locationInfoView()->setBackgroundColor(QColor(100, 105, 107));
    launchSetupLocationTable();
    launchSetupMainViews();
    launchSetupMenus();
    launchSetupNotifications();
    launchSetupSplitView();
    mCompletedInit = true;
}

void NBController::launchSetupLocationTable()
{
    mLocationController = new NBLocationController(this, this);
    mWindow->locationTable()->setModel(mLocationController);
}

void NBController::launchSetupNotifications()
{
    OVNotificationCenter &center = OVNotificationCenter::defaultCenter();
    center.addObserver(this, OVNotifyICAONeedsDisplay, [this](const OVNotification &) { refreshLocationTable(); });
    center.addObserver(this, OVNotifyForecastNeedsDisplay, [this](const OVNotification &) { refreshLocationTable(); });
    center.addObserver(this, OVNotifyURLManagerChange, [this](const OVNotification &) { urlManagerNotification(); });
    center.addObserver(this, OVNotifyUpdateResult, [this](const OVNotification &n) { updateResult(n); });
    connect(&OVUserDefaults::standard(), &OVUserDefaults::valueChanged, this, [this](const QString &key) {
        if (key == QLatin1String("NBShowTemperatureInDock") || key == NBSettingKey::temperatureUnits)
            updateDockTile();
        if (key == NBSettingKey::updateFrequency)
            restartUpdateTimer();
    });
}

void NBController::launchSetupMainWindow()
{
    mWindow->setBottomBorderThickness(NBMainWindow::kBottomBorderThickness);
}

int NBController::selectedRow() const
{
    if (!mWindow)
        return -1;
    const QModelIndexList rows = mWindow->locationTable()->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void NBController::selectRow(int row)
{
    if (!mWindow)
        return;
    QItemSelectionModel *selection = mWindow->locationTable()->selectionModel();
    if (row < 0)
        selection->clearSelection();
    else
        selection->select(mLocationController->index(row), QItemSelectionModel::ClearAndSelect);
}

// --- Launch -------------------------------------------------------------------------------------

void NBController::applicationDidFinishLaunching()
{
    awakeFromNib();
    launchSetupMainWindow();
    if (!launchCheckNimbrelCoreMigrationNeeded() || !launchSetupPaths())
        return;
    launchSetupDatabases();
    launchSetupLocations();
    launchShowSecondaryWindowsIfNeeded();
    launchCheckReachability();
    mAppDidFinishLaunching = true;
    mLastUpdateTime = QDateTime();
    mLastRedisplayTime = QDateTime();
    mTicker = mEnvironment.scheduler->callEvery(kTickerInterval, this, [this] { tick(); });
    mEnvironment.scheduler->callAfter(kFirstTickDelay, this, [this] { tick(); });
    checkServerForUpdates();
    NBUpdateManager::shared();
}

void NBController::terminateAfter(const NBLaunchFailure &failure)
{
    OVLog(QStringLiteral("[NBController applicationDidFinishLaunching] %1 %2").arg(failure.title, failure.message));
    mEnvironment.alerts->runCritical(failure.title, failure.message);
    mEnvironment.terminate(1);
}

bool NBController::launchCheckNimbrelCoreMigrationNeeded()
{
    const std::optional<NBLaunchFailure> failure = NBSupportFolders::migrateOldSupportFolder(
        NBPrefController::nimbrelCoreSupportPath(), NBPrefController::oldNimbrelSupportPath());
    if (failure)
        terminateAfter(*failure);
    return !failure;
}

bool NBController::launchSetupPaths()
{
    const std::optional<NBLaunchFailure> failure = NBSupportFolders::createFolders(
        NBPrefController::nimbrelCoreSupportPath(), NBPrefController::nimbrelCoreJournalPath(),
        NBPrefController::nimbrelCoreObservationsPath(), NBPrefController::nimbrelCoreCachePath());
    if (failure)
        terminateAfter(*failure);
    return !failure;
}

void NBController::launchSetupDatabases()
{
    if (!mObservationsDatabase)
        mObservationsDatabase = std::make_unique<OVObservationsDB>(NBPrefController::nimbrelCoreObservationsPath());
    mDatabaseReady = true;
}

std::shared_ptr<OVWeatherLocation> NBController::restoreLocation(const QVariantMap &entry) const
{
    const bool lookup = entry.size() == 2 && entry.contains(QStringLiteral("location_id")) && entry.contains(QStringLiteral("icao"));
    if (!lookup)
        return OVWeatherLocation::fromLocationDictionary(entry);
    const std::shared_ptr<OVLocationDB> database = mEnvironment.locationDatabase();
    const qint32 id = qint32(entry.value(QStringLiteral("location_id")).toLongLong());
    const QString icao = entry.value(QStringLiteral("icao")).toString();
    auto location = database ? std::dynamic_pointer_cast<OVWeatherLocation>(database->weatherLocationWithID(id, icao)) : nullptr;
    if (!location)
        OVLog(QStringLiteral("[NBController launchSetupLocations] No place %1 with station %2 in the location database; skipped.").arg(id).arg(icao));
    return location;
}

void NBController::launchSetupLocations()
{
    if (!mMonitoredLocations.isEmpty()) {
        const int row = std::max(0, selectedRow());
        mWeatherController.setCurrentLocation(mMonitoredLocations.value(row));
    }
    OVWeatherLocationList restored;
    restored.reserve(10);
    mUnrestoredLocationEntries.clear();
    for (const QVariant &entry : NBControllerSettings::savedLocations()) {
        if (std::shared_ptr<OVWeatherLocation> location = restoreLocation(entry.toMap()))
            restored.append(location);
        else
            mUnrestoredLocationEntries.append(entry); // written back at quit, never dropped
    }
    if (!restored.isEmpty()) {
        setMonitoredLocations(restored);
        // The place selected at quit is selected again (a row that is gone is ignored).
        const QVariant row = NBPrefController::settingForKey(NBSettingKey::selectedLocationRow);
        if (row.isValid())
            selectLocationRow(int(OVUserDefaults::variantToInteger(row)));
    } else {
        checkCoreLocation();
    }

    // The forecast clients start from their saved caches.
    const QString cache = NBPrefController::nimbrelCoreCachePath() + QLatin1Char('/');
    OVNDFD &daily = OVNDFD::sharedNDFDClient();
    daily.setSaveFilePath(cache + QStringLiteral("NDFDCache.plist"));
    daily.loadFromPrefs();
    OVHourlyNDFD &hourly = OVHourlyNDFD::sharedNDFDClient();
    hourly.setSaveFilePath(cache + QStringLiteral("HourlyNDFDCache.plist"));
    hourly.loadFromPrefs();
    OVBrisantDataBroker &forecasts = OVBrisantDataBroker::sharedBrisantClient();
    forecasts.setLocationSource(&OVWeatherController::sharedWeatherController());
    forecasts.setSaveFilePath(cache + QStringLiteral("BrisantCache.plist"));
    forecasts.loadFromPrefs();

    OVBrisantObservationsBroker &observations = OVBrisantObservationsBroker::sharedClient();
    observations.setLocationSource([] { return OVWeatherController::sharedWeatherController().weatherLocations(); });
    observations.forceUpdateWeather();
}

void NBController::launchCheckReachability()
{
    mLaunchTime = now();
    mIsReachable = true;
    mAlreadyShowedReachabilityDialog = false;
    OVNotificationCenter::defaultCenter().addObserver(this, kNetworkReachabilityChangedNotification,
                                                      [this](const OVNotification &) { reachabilityChanged(); });
    mReachability = Reachability::reachabilityForInternetConnection(mEnvironment.reachabilitySource());
    mReachability->startNotifier();
}

void NBController::checkServerForUpdates()
{
    if (!mVersionCheck)
        mVersionCheck = new NBVersionCheck(mEnvironment.alerts, mWindow.get(), this);
    mVersionCheck->checkServerForUpdates();
}

// --- Shutdown -----------------------------------------------------------------------------------

void NBController::applicationWillTerminate()
{
    if (mTerminated)
        return;
    mTerminated = true;
    // The journal entry on screen is stored while everything it needs is still there.
    if (mJournal)
        mJournal->applicationWillTerminate();
    if (OVObservationsDB *database = OVObservationsDB::sharedDatabase())
        database->prepareForShutdown();
    if (mAppDidFinishLaunching) {
        rememberWindows();
        NBControllerSettings::writeSettingsToDisk();
    }
}

// --- Update cycle -------------------------------------------------------------------------------

void NBController::tick()
{
    if (!mDatabaseReady)
        return;
    const QDateTime current = now();
    if (isDue(mLastUpdateTime, current, updateInterval() * 1000)) {
        mLastUpdateTime = current;
        updateWeather();
    }
    if (isDue(mLastRedisplayTime, current, kRedisplayIntervalMs)) {
        mLastRedisplayTime = current;
        if (mLocationController)
            mLocationController->reloadData();
        OVNotificationCenter::defaultCenter().post(OVNotifyRedisplayEverything);
    }
}

void NBController::restartUpdateTimer()
{
    if (!mTicker)
        return;
    // A new frequency counts from now: an update already due under it runs at once.
    mEnvironment.scheduler->cancel(mTicker);
    mTicker = mEnvironment.scheduler->callEvery(kTickerInterval, this, [this] { tick(); });
    tick();
}

void NBController::updateWeather()
{
    if (mSecondaryWindows)
        mSecondaryWindows->setActivityStatus(OVLocalizedString("Updating Weather Data"));
    if (mWindow) {
        mWindow->progressBar()->setValue(1);
        mWindow->progressBar()->show();
    }
    mEnvironment.scheduler->callAfter(kProgressPollInterval, this, [this] { updateProgressBar(); });
    mWeatherController.update();
}

void NBController::updateResult(const OVNotification &notification)
{
    // "Last Updated" tells when data last arrived: it moves with a good reply only, and every
    // service whose last request failed is named in its tooltip.
    const QString service = notification.userInfo.value(OVUpdateResultServiceKey).toString();
    const QString error = notification.userInfo.value(OVUpdateResultErrorKey).toString();
    if (service.isEmpty())
        return;
    if (error.isEmpty())
        mUpdateFailures.remove(service);
    else
        mUpdateFailures.insert(service, error);
    if (!mWindow)
        return;
    QLabel *label = mWindow->lastUpdatedLabel();
    if (error.isEmpty()) {
        const QString time = OVDateFormattingTool::sharedFormattingTool().timeStringFromDate(now());
        label->setText(OVLocalizedString("Last Updated: %1").arg(time));
    }
    QStringList failures;
    for (auto it = mUpdateFailures.cbegin(); it != mUpdateFailures.cend(); ++it)
        failures << OVLocalizedString("%1 could not be updated: %2").arg(it.key(), it.value());
    label->setToolTip(failures.join(QLatin1Char('\n')));
    if (auto *field = qobject_cast<NBLastUpdatedTextField *>(label))
        field->setUpdateFailed(!mUpdateFailures.isEmpty());
}

void NBController::updateProgressBar()
{
    const int percent = mWeatherController.loadPercentCompleted();
    if (mWindow)
        mWindow->progressBar()->setValue(std::clamp(percent, 0, 100));
    if (percent < 100) {
        mEnvironment.scheduler->callAfter(kProgressPollInterval, this, [this] { updateProgressBar(); });
        return;
    }
    if (mWindow)
        mWindow->progressBar()->hide();
    if (mSecondaryWindows)
        mSecondaryWindows->setActivityStatus(OVLocalizedString("Idle"));
}

// --- Locations ----------------------------------------------------------------------------------

void NBController::setMonitoredLocations(const OVWeatherLocationList &locations)
{
    if (sameLocations(locations, mMonitoredLocations))
        return;
    // The selection is read before the list changes: the list model answers from the new list.
    const int row = std::max(0, selectedRow());
    mMonitoredLocations = locations;
    OVDebugLog(QStringLiteral("Updating with %1 locations.").arg(locations.size()));
    mWeatherController.setWeatherLocations(locations);
    OVBrisantObservationsBroker::sharedClient().updateLocations(locations);
    if (mLocationController)
        mLocationController->reloadData();

    std::shared_ptr<OVWeatherLocation> current;
    if (row < locations.size()) {
        current = locations.at(row);
    } else if (!locations.isEmpty()) {
        selectRow(int(locations.size()) - 1);
        current = locations.last();
    } else {
        selectRow(-1);
    }
    mWeatherController.setCurrentLocation(current);
    OVNotificationCenter::defaultCenter().post(OVNotifyMapGeneratorNeedsDisplay, QVariant::fromValue(static_cast<QObject *>(this)));
    menuNeedsUpdate();
    updateDockTile();
}

void NBController::addMonitoredLocation(const std::shared_ptr<OVWeatherLocation> &location)
{
    OVWeatherLocationList locations = mMonitoredLocations;
    locations.append(location);
    setMonitoredLocations(locations);
}

void NBController::refreshLocationTable()
{
    if (mLocationController)
        mLocationController->reloadData();
    menuNeedsUpdate();
    updateDockTile();
}

void NBController::urlManagerNotification()
{
    setUrlsManaged(OVURLManager::sharedURLManager().managedURLStatus());
    if (mSecondaryWindows)
        mSecondaryWindows->setUrlsManaged(mUrlsManaged);
}

// --- Network ------------------------------------------------------------------------------------

void NBController::reachabilityChanged()
{
    if (gSystemSleeping || !mReachability)
        return;
    const bool reachable = mReachability->currentReachabilityStatus() != Reachability::NotReachable;
    if (reachable) {
        NBPrefController::setStatusMessage(OVLocalizedString("Loading..."));
        if (!mIsReachable)
            updateWeather();
    } else {
        NBPrefController::setStatusMessage(OVLocalizedString("Not Connected"));
        if (mIsReachable && !mAlreadyShowedReachabilityDialog) {
            mEnvironment.scheduler->callAfter(kReachabilityDialogDelay, this, [this] { displayDelayedReachabilityDialog(); });
            mAlreadyShowedReachabilityDialog = true;
        }
    }
    mIsReachable = reachable;
}

void NBController::displayDelayedReachabilityDialog()
{
    if (mReachability && mReachability->currentReachabilityStatus() != Reachability::NotReachable) {
        mAlreadyShowedReachabilityDialog = false;
        return;
    }
    if (mLaunchTime.msecsTo(now()) <= kReachabilityDialogWindowMs)
        mEnvironment.alerts->showAlert(
            OVLocalizedString("Network Error."),
            OVLocalizedString("Nimbrel Core could not connect to the internet.  Some data may not be available."),
            OVLocalizedString("OK"));
}

// --- Position -----------------------------------------------------------------------------------

std::shared_ptr<OVWeatherLocation> NBController::locationForPosition(const QGeoPositionInfo &position) const
{
    const std::shared_ptr<OVLocationDB> database = mEnvironment.locationDatabase();
    if (!database)
        return nullptr;
    const QGeoCoordinate coordinate = position.coordinate();
    return std::dynamic_pointer_cast<OVWeatherLocation>(
        database->weatherLocationForGeoPoint(OVGeoPointMake(coordinate.latitude(), coordinate.longitude())));
}

void NBController::checkCoreLocation()
{
    if (!mMonitoredLocations.isEmpty())
        return;
    mClManager = mEnvironment.positionSource(this);
    if (!mClManager) {
        OVLog(QStringLiteral("[NBController checkCoreLocation] No position source; a location must be added by hand."));
        if (mLocationController)
            mLocationController->openAddPanel();
        return;
    }
    const QGeoPositionInfo known = mClManager->lastKnownPosition();
    if (known.isValid()) {
        locationManagerDidUpdate(known);
        return;
    }
    connect(mClManager, &QGeoPositionInfoSource::positionUpdated, this, &NBController::locationManagerDidUpdate);
    connect(mClManager, &QGeoPositionInfoSource::errorOccurred, this, &NBController::locationManagerDidFail);
    mClManager->startUpdates();
}

void NBController::locationManagerDidUpdate(const QGeoPositionInfo &position)
{
    if (mMonitoredLocations.isEmpty()) {
        // The lookup can find nothing (no database, no place near); then the user picks one.
        if (std::shared_ptr<OVWeatherLocation> location = locationForPosition(position))
            addMonitoredLocation(location);
        else if (mLocationController)
            mLocationController->openAddPanel();
    }
    if (mClManager)
        mClManager->stopUpdates();
}

void NBController::locationManagerDidFail(QGeoPositionInfoSource::Error error)
{
    // A timeout only means no fix yet: keep waiting.
    if (error == QGeoPositionInfoSource::NoError || error == QGeoPositionInfoSource::UpdateTimeoutError)
        return;
    OVLog(QStringLiteral("[NBController locationManager:didFailWithError:] Position unavailable (error %1).").arg(int(error)));
    mClManager->stopUpdates();
    if (mLocationController)
        mLocationController->openAddPanel();
}

// --- Application hooks --------------------------------------------------------------------------

QVariantList NBController::monitoredLocationDictionaries() const
{
    QVariantList dictionaries;
    for (const std::shared_ptr<OVWeatherLocation> &location : mMonitoredLocations)
        dictionaries.append(location->locationDictionary());
    // Saved places that could not be restored this time (the location database missing or
    // damaged) stay in the user's list for the next launch.
    dictionaries.append(mUnrestoredLocationEntries);
    return dictionaries;
}

std::optional<double> NBController::splitViewFirstPaneWidth() const
{
    if (!mWindow || mWindow->splitView()->count() != 2)
        return std::nullopt;
    return double(mWindow->splitView()->sizes().value(0));
}

void NBController::redisplayMainWindow()
{
    if (!mWindow)
        return;
    // The list's rows and the menus show values in the user's units too.
    refreshLocationTable();
    mWindow->update();
}

void NBController::updateJournalValues()
{
    if (mJournal)
        mJournal->updateJournalValues();
}
