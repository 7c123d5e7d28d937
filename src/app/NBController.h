// The application controller, the shell's composition root: it makes the main window and the
// shell's parts and hands each what it needs. It owns the launch sequence (NBLaunchSequence:
// migration, folders, observation database, saved locations or the machine's position, network
// monitor, then the update cycle and the update notice), the update cycle (NBUpdateCycle: when
// the weather is updated and everything redisplayed) and the menu bar (NBMenuBar: menus and dock
// tile); it keeps the monitored places (the location list's host), follows system sleep and wake
// and the network, and saves the settings at quit. It is also the shell's side of
// OVApplicationHooks (saved locations, split position, redisplay).
//
// Only the controller's own files and main.cpp include this header: a part below the root is
// handed its dependencies (a narrow interface or constructor arguments) instead.
//
// One controller lives while the program runs (`instance`). Everything runs on the main thread;
// "now" and every delayed call come from the environment's scheduler.
#pragma once

#include "app/NBControllerEnvironment.h"
#include "app/NBSupportFolders.h"
#include "app/locations/NBLocationListHost.h"
#include "core/OVApplicationHooks.h"
#include "weather/OVWeatherController.h"

#include <QDateTime>
#include <QGeoPositionInfoSource>
#include <QList>
#include <QMap>
#include <QMarginsF>
#include <QObject>
#include <QSizeF>
#include <QVariantMap>

#include <memory>

class NBDockTile;
class NBLaunchSequence;
class NBMenuBar;
class NBUpdateCycle;
class NBJournalController;
class NBSchedulerClock;
class NBLocationController;
class NBLocationInfoController;
class NBSecondaryWindows;
class QAction;
class QPrinter;
class QMenu;
class QSystemTrayIcon;
class NBMainWindow;
class NBSleepWakeMonitor;
class NBTableView;
class NBVersionCheck;
class OVObservationsDB;
class Reachability;
struct OVNotification;

class NBController : public QObject, public OVApplicationHooks, public NBLocationListHost
{
    Q_OBJECT

public:
    /// Registers the defaults and reads the stored settings, sets the User-Agent of every
    /// download, registers for sleep and wake, and installs the controller as the shell's hooks.
    explicit NBController(NBControllerEnvironment environment = NBControllerEnvironment::standard(),
                          QObject *parent = nullptr);
    ~NBController() override;

    /// The live controller; null when none exists (it is never made on demand).
    static NBController *instance();

    /// The User-Agent of every request: "Nimbrel Core/<version> (Linux; <NBProductWebURL>)",
    /// or "Nimbrel Core/<version> (Linux)" when no product address is set.
    static QString userAgent();
    /// The `updateFrequency` setting in seconds, clamped to 1800..21600.
    static qint64 updateInterval();

    /// Builds the main window; only the first call does anything.
    void awakeFromNib();
    /// The launch sequence, in its fixed order. After a launch failure (critical alert) no
    /// later step runs and the environment's terminate is asked for exit code 1.
    void applicationDidFinishLaunching();
    /// Prepares the observation database for shutdown; writes the settings only after a
    /// completed launch. Runs once, however often it is called.
    void applicationWillTerminate();
    static bool applicationShouldTerminateAfterLastWindowClosed() { return true; }

    // The update cycle's work, as NBUpdateCycle describes it.
    void tick();
    void updateWeather();
    /// The update frequency changed: the ticker starts again and an update due under the new
    /// frequency runs now.
    void restartUpdateTimer();
    void updateResult(const OVNotification &notification);
    void updateProgressBar();
    /// The last-updated label's click: an update pass now.
    void refreshData() { updateWeather(); }

    OVWeatherLocationList monitoredLocations() const override { return mMonitoredLocations; }
    /// Hands the list to the weather controller and the observation client, reloads the list
    /// and makes the location at the selected row (else the last one) current. The same
    /// locations in the same order change nothing.
    void setMonitoredLocations(const OVWeatherLocationList &locations) override;
    void addMonitoredLocation(const std::shared_ptr<OVWeatherLocation> &location);

    void refreshLocationTable();
    /// The list's action: the clicked row's location, else the selected row's, else none
    /// becomes current. A null table does nothing.
    void setCurrentLocationFromTable(NBTableView *table) override;
    /// Selects `row` of the list and makes its location current; a row outside does nothing.
    void selectLocationRow(int row) override;
    /// Asks every forecast and observation client to reload the monitored location at `row`.
    void reloadLocationAtRow(int row);
    void urlManagerNotification();
    QList<QVariantMap> urlsManaged() const { return mUrlsManaged; }
    void setUrlsManaged(const QList<QVariantMap> &urls) { mUrlsManaged = urls; }

    /// Network handling: status text, an update when the network returns, and one delayed
    /// dialog when it is lost early in a run.
    void reachabilityChanged();
    void displayDelayedReachabilityDialog();

    /// The machine's position when no location was restored: the nearest known place is added,
    /// or the add panel opens when there is none or the position cannot be had.
    void checkCoreLocation();

    /// Asks the download server for the latest version once (see NBVersionCheck).
    void checkServerForUpdates();
    NBVersionCheck *versionCheck() const { return mVersionCheck; }

    // Menus and dock tile, as NBMenuBar describes them.
    QMenu *applicationDockMenu(QSystemTrayIcon *tray);
    void menuNeedsUpdate();
    void emptyAction(int tag);
    void actionHandler(QAction *sender);
    void validateMenuItems();
    void updateDockTile();
    QAction *menuAction(const QString &name) const;
    NBDockTile *dockTile() const;
    /// Asks, then removes the location at the selected row.
    void removeLocation();
    /// Asks "Remove <city>?"; on "Remove" drops that row and its per-location settings.
    void removeLocationAtIndex(qint64 index);

    // Secondary windows and split view (NBControllerWindows.cpp).
    void openActivityPanel() override;
    void openPrefsWindow();
    void openAboutBox();
    void openWeatherJournal();
    void openHelp();
    /// The sheet telling that the product is discontinued; "Learn More" opens its page.
    void openFutureUpdates();
    NBSecondaryWindows *secondaryWindows() const { return mSecondaryWindows; }
    /// The weather journal; null until it is first opened.
    NBJournalController *journalController() const { return mJournal.get(); }
    /// `menuJournalTable`: the conditions table goes into the journal while its window is open.
    void insertJournalTable();
    /// The journal window is shown and not minimised.
    bool journalIsOpen() const;

    // Printing (NBControllerPrint.cpp).
    /// Asks for a printer, then prints the content view on one page.
    void print();
    /// The content view drawn on one page of `printer`, inside its margins, scaled by
    /// `printScale` (its header then stands 32 x scale points high). False when nothing could
    /// be drawn.
    bool printContent(QPrinter &printer);
    /// The largest scale at which content of that size (in points) fits the paper inside the
    /// margins, in single precision.
    static float printScale(const QSizeF &paper, const QMarginsF &margins, const QSizeF &content);

    // The location info window (NBControllerLocationInfo.cpp).
    /// While `showInfoPanel` is 1: closes and drops the info window, stores 0. Otherwise opens a
    /// new info window on the current place and stores 1. The window closed by its own button
    /// leaves the setting at 1, so the next toggle only stores 0.
    void toggleInfo();
    NBLocationInfoController *locationInfoController() const { return mLocationInfoController; }

    static bool systemJustWokeUp();
    static void setSystemJustWokeUp(bool wokeUp);
    /// Set while the system is going to sleep; cleared after waking.
    static bool systemSleeping();

    NBMainWindow *window() const { return mWindow.get(); }
    /// The location database the controller was given (null when there is none).
    std::shared_ptr<OVLocationDB> locationDatabase() const override;
    NBAlertService &alerts() const override { return *mEnvironment.alerts; }
    NBLocationController *locationController() const { return mLocationController; }
    Reachability *reachability() const { return mReachability.get(); }
    QDateTime launchTime() const { return mLaunchTime; }
    /// The update cycle's; invalid stands for the distant past.
    QDateTime lastUpdateTime() const;
    QDateTime lastRedisplayTime() const;
    void setLastUpdateTime(const QDateTime &time);
    void setLastRedisplayTime(const QDateTime &time);
    bool databaseReady() const { return mDatabaseReady; }
    bool appDidFinishLaunching() const { return mAppDidFinishLaunching; }
    bool isReachable() const { return mIsReachable; }

    // OVApplicationHooks
    QVariantList monitoredLocationDictionaries() const override;
    std::optional<double> splitViewFirstPaneWidth() const override;
    void redisplayMainWindow() override;
    void updateJournalValues() override;

private:
    // NBLocationListHost
    QWidget *sheetParent() const override;
    QListView *locationTable() const override;

    void launchSetupPreferences();
    void launchSetupSleepWakeNotifications();
    void launchSetupLocationTable();
    /// The list's action, spacing and scroller, and the content view's delayed set-up.
    void launchSetupMainViews();
    void launchSetupNotifications();
    void launchSetupSplitView();
    void launchShowSecondaryWindowsIfNeeded();
    /// Stores the main window's geometry, the selected row and where the open secondary
    /// windows are, for the next launch.
    void rememberWindows();
    void openLocationInfo();
    void saveSplitViewState();
    NBSecondaryWindows *secondaryWindowsMade();
    NBJournalController *journalMade();
    void launchSetupMainWindow();
    void makeLaunchSequence();
    void launchSetupDatabases();
    void launchSetupLocations();
    void launchCheckReachability();

    std::shared_ptr<OVWeatherLocation> restoreLocation(const QVariantMap &entry) const;
    std::shared_ptr<OVWeatherLocation> locationForPosition(const QGeoPositionInfo &position) const;
    void locationManagerDidUpdate(const QGeoPositionInfo &position);
    void locationManagerDidFail(QGeoPositionInfoSource::Error error);
    int selectedRow() const;
    void selectRow(int row);
    QDateTime now() const;

    NBControllerEnvironment mEnvironment;
    OVWeatherController &mWeatherController;
    bool mCompletedInit = false;
    bool mDatabaseReady = false;
    bool mAppDidFinishLaunching = false;
    bool mTerminated = false;
    QDateTime mLaunchTime;
    std::unique_ptr<NBUpdateCycle> mUpdateCycle;
    OVWeatherLocationList mMonitoredLocations;
    QVariantList mUnrestoredLocationEntries;
    QList<QVariantMap> mUrlsManaged;
    std::unique_ptr<NBMainWindow> mWindow;
    NBLocationController *mLocationController = nullptr;
    std::unique_ptr<Reachability> mReachability;
    bool mIsReachable = true;
    bool mAlreadyShowedReachabilityDialog = false;
    NBSleepWakeMonitor *mSleepWakeMonitor = nullptr;
    std::unique_ptr<OVObservationsDB> mObservationsDatabase;
    QGeoPositionInfoSource *mClManager = nullptr;
    NBVersionCheck *mVersionCheck = nullptr;
    std::unique_ptr<NBMenuBar> mMenuBar;
    std::unique_ptr<NBLaunchSequence> mLaunchSequence;
    NBSecondaryWindows *mSecondaryWindows = nullptr;
    NBLocationInfoController *mLocationInfoController = nullptr;
    // Declared last: the journal (and its window) goes before the rest of the controller.
    std::unique_ptr<NBSchedulerClock> mJournalClock;
    std::unique_ptr<NBJournalController> mJournal;
};
