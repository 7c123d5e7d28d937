#include "app/NBController.h"

#include "app/journal/NBJournalController.h"
#include "app/locations/NBLocationController.h"
#include "app/NBLaunchSequence.h"
#include "app/NBMainWindow.h"
#include "app/NBMenuBar.h"
#include "app/NBNotifications.h"
#include "app/NBSecondaryWindows.h"
#include "app/NBSleepWakeMonitor.h"
#include "app/NBUpdateCycle.h"
#include "app/update/NBUpdateManager.h"
#include "app/update/NBVersionCheck.h"
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
#include "map/layers/OVMapBuiltinLayers.h"
#include "map/layers/OVMapLayerFactory.h"
#include "map/layers/OVMapHPCSurfaceAnalysisLayer.h"
#include "map/layers/OVMapParticleModeLayer.h"
#include "map/layers/OVMapAnimatedTileLayer.h"
#include "map/layers/OVMapTerrainTileLayer.h"
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

constexpr double kReachabilityDialogDelay = 45.0;
constexpr qint64 kReachabilityDialogWindowMs = 300000;

// Process-wide, as the power notifications are: touched on the main thread only.
NBController *gInstance = nullptr;
std::atomic<bool> gSystemSleeping{false};
std::atomic<bool> gSystemJustWokeUp{false};

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
    NBUpdateCycle::Display display;
    display.progressBar = [this]() -> QProgressBar * { return mWindow ? mWindow->progressBar() : nullptr; };
    display.lastUpdatedLabel = [this]() -> QLabel * { return mWindow ? mWindow->lastUpdatedLabel() : nullptr; };
    display.activityStatus = [this](const QString &status) {
        if (mSecondaryWindows)
            mSecondaryWindows->setActivityStatus(status);
    };
    display.reloadList = [this] {
        if (mLocationController)
            mLocationController->reloadData();
    };
    mUpdateCycle = std::make_unique<NBUpdateCycle>(mEnvironment.scheduler, mWeatherController, std::move(display),
                                                   [this] { return mDatabaseReady; });
    NBMenuBar::Locations locations;
    locations.monitored = [this] { return mMonitoredLocations; };
    locations.selectRow = [this](int row) { selectLocationRow(row); };
    NBMenuBar::Commands commands;
    commands.addLocation = [this] { mLocationController->openAddPanel(); };
    commands.removeLocation = [this] { removeLocation(); };
    commands.toggleInfo = [this] { toggleInfo(); };
    commands.print = [this] { print(); };
    commands.openAboutBox = [this] { openAboutBox(); };
    commands.openPrefsWindow = [this] { openPrefsWindow(); };
    commands.openActivityPanel = [this] { openActivityPanel(); };
    commands.openWeatherJournal = [this] { openWeatherJournal(); };
    commands.insertJournalTable = [this] { insertJournalTable(); };
    commands.journalIsOpen = [this] { return journalIsOpen(); };
    commands.openHelp = [this] { openHelp(); };
    commands.openFutureUpdates = [this] { openFutureUpdates(); };
    mMenuBar = std::make_unique<NBMenuBar>([this] { return mWindow.get(); }, mWeatherController, std::move(locations),
                                           std::move(commands));
    makeLaunchSequence();
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
    NBUpdateManager::setNoticeHost([this]() -> QWidget * { return mWindow.get(); });
}

NBController::~NBController()
{
    OVNotificationCenter::defaultCenter().removeObserver(this);
    if (OVApplicationHooks::installed().get() == this)
        OVApplicationHooks::install(nullptr);
    mReachability.reset();
    if (gInstance == this) {
        gInstance = nullptr;
        NBUpdateManager::setNoticeHost({});
    }
}

NBController *NBController::instance()
{
    return gInstance;
}

std::shared_ptr<OVLocationDB> NBController::locationDatabase() const
{
    return mEnvironment.locationDatabase ? mEnvironment.locationDatabase() : nullptr;
}

QWidget *NBController::sheetParent() const
{
    return mWindow.get();
}

QListView *NBController::locationTable() const
{
    return mWindow ? mWindow->locationTable() : nullptr;
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
    return NBUpdateCycle::updateInterval();
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
    mMenuBar->build();
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
    mLaunchSequence->run();
}

void NBController::makeLaunchSequence()
{
    NBLaunchSequence::Steps steps;
    steps.setupMainWindow = [this] { launchSetupMainWindow(); };
    steps.setupDatabases = [this] { launchSetupDatabases(); };
    steps.setupLocations = [this] { launchSetupLocations(); };
    steps.showSecondaryWindows = [this] { launchShowSecondaryWindowsIfNeeded(); };
    steps.checkReachability = [this] { launchCheckReachability(); };
    steps.finished = [this] {
        mAppDidFinishLaunching = true;
        mUpdateCycle->start();
        checkServerForUpdates();
        NBUpdateManager::shared();
    };
    mLaunchSequence = std::make_unique<NBLaunchSequence>(mEnvironment.alerts, mEnvironment.terminate, std::move(steps));
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
    mUpdateCycle->tick();
}

void NBController::restartUpdateTimer()
{
    mUpdateCycle->restartTicker();
}

void NBController::updateWeather()
{
    mUpdateCycle->updateWeather();
}

void NBController::updateResult(const OVNotification &notification)
{
    mUpdateCycle->updateResult(notification);
}

void NBController::updateProgressBar()
{
    mUpdateCycle->updateProgressBar();
}

QDateTime NBController::lastUpdateTime() const
{
    return mUpdateCycle->lastUpdateTime();
}

QDateTime NBController::lastRedisplayTime() const
{
    return mUpdateCycle->lastRedisplayTime();
}

void NBController::setLastUpdateTime(const QDateTime &time)
{
    mUpdateCycle->setLastUpdateTime(time);
}

void NBController::setLastRedisplayTime(const QDateTime &time)
{
    mUpdateCycle->setLastRedisplayTime(time);
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

void NBController::removeLocation()
{
    removeLocationAtIndex(selectedRow());
}

void NBController::removeLocationAtIndex(qint64 index)
{
    if (index < 0 || index >= mMonitoredLocations.size())
        return;
    const std::shared_ptr<OVWeatherLocation> location = mMonitoredLocations.at(index);
    const QStringList buttons{OVLocalizedString("Remove"), OVLocalizedString("Cancel")};
    mEnvironment.alerts->ask(mWindow.get(), OVLocalizedString("Remove %1?").arg(location->city()), QString(), buttons,
                             [this, index, location](int chosen) {
                                 // The list may have changed while the question was open: only the
                                 // very location that was asked about goes.
                                 if (chosen != 0 || index >= mMonitoredLocations.size() || mMonitoredLocations.at(index) != location)
                                     return;
                                 NBPrefController::removeSettingsForLocation(location->zipCode());
                                 OVWeatherLocationList remaining = mMonitoredLocations;
                                 remaining.removeAt(index);
                                 setMonitoredLocations(remaining);
                                 refreshLocationTable();
                             });
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

// --- Menus and dock tile --------------------------------------------------------------------------

QMenu *NBController::applicationDockMenu(QSystemTrayIcon *tray)
{
    return mMenuBar->applicationDockMenu(tray);
}

void NBController::menuNeedsUpdate()
{
    mMenuBar->menuNeedsUpdate();
}

void NBController::emptyAction(int tag)
{
    mMenuBar->emptyAction(tag);
}

void NBController::actionHandler(QAction *sender)
{
    mMenuBar->actionHandler(sender);
}

void NBController::validateMenuItems()
{
    mMenuBar->validateMenuItems();
}

void NBController::updateDockTile()
{
    mMenuBar->updateDockTile();
}

QAction *NBController::menuAction(const QString &name) const
{
    return mMenuBar->menuAction(name);
}

NBDockTile *NBController::dockTile() const
{
    return mMenuBar->dockTile();
}
