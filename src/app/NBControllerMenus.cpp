// The application controller's menus and dock tile: the menu bar (each item an action named by
// its outlet), the menu of monitored locations in the menu bar and in the tray, the View and
// Help actions and their validation, removal of a location after confirmation, and the badge.
#include "app/NBBaseView.h"
#include "app/NBController.h"
#include "app/NBDockTile.h"
#include "app/NBLocationController.h"
#include "app/NBMainWindow.h"
#include "app/NBNotifications.h"
#include "app/NBProductLinks.h"
#include "core/NBControllerSettings.h"
#include "core/NBPrefController.h"
#include "core/NBRegisteredDefaults.h"
#include "core/OVDisplayNotifications.h"
#include "core/views/OVNamedImage.h"
#include "platform/OVLocalize.h"
#include "platform/OVNotificationCenter.h"
#include "weather/OVWeatherConditions.h"
#include "weather/OVWeatherLocation.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>

namespace {

constexpr int kLocationsWithShortcut = 8;
constexpr int kWidestGraphDays = 366;
constexpr int kNarrowestGraphDays = 1;
constexpr int kDockMenuIconSize = 24;

struct GraphItem
{
    const char *outlet;
    const char *key;
    const char *title;
};

const GraphItem kGraphItems[] = {
    {"menuGraphShowTemperature", "showTemperatureGraph", "Temperature"},
    {"menuGraphShowWindSpeed", "showWindSpeedGraph", "Wind Speed"},
    {"menuGraphShowWindDirection", "showWindDirectionGraph", "Wind Direction"},
    {"menuGraphShowCylindricalWindDirection", "showCylindricalWindDirectionGraph", "Cylindrical Wind Direction"},
    {"menuGraphShowPressure", "showPressureGraph", "Pressure"},
    {"menuGraphShowPOP", "showProbabilityOfPrecipitationGraph", "Probability of Precipitation"},
    {"menuGraphShowPrecipitation", "showPrecipitationGraph", "Precipitation"},
    {"menuGraphShowSnowfall", "showSnowfallGraph", "Snowfall"},
    {"menuGraphShowCloudCover", "showCloudCoverGraph", "Cloud Cover"},
    {"menuGraphShowHumidity", "showHumidityGraph", "Humidity"},
    {"menuGraphShowWaveHeight", "showWaveHeightGraph", "Wave Height"},
};

// The menu image of an observation's icon: registered once at 24 x 24 under "<name>_dockmenu".
QIcon dockMenuIcon(const OVWeatherConditions &conditions)
{
    QString name = conditions.iconName();
    if (name.isEmpty())
        return QIcon();
    if (name.endsWith(QLatin1String(".png")))
        name.chop(4);
    const QString menuName = name + QStringLiteral("_dockmenu");
    QImage image = OVNamedImage::imageNamed(menuName);
    if (image.isNull()) {
        const QImage full = OVNamedImage::imageNamed(name);
        if (full.isNull())
            return QIcon();
        OVNamedImage::registerImage(menuName, full.scaled(kDockMenuIconSize, kDockMenuIconSize, Qt::IgnoreAspectRatio,
                                                          Qt::SmoothTransformation));
        image = OVNamedImage::imageNamed(menuName);
    }
    return QIcon(QPixmap::fromImage(image));
}

} // namespace

QMenu *NBController::buildMenu(const QString &title, const QList<std::pair<const char *, QString>> &items)
{
    QMenu *menu = mWindow->menuBar()->addMenu(title);
    for (const auto &[outlet, text] : items) {
        if (!outlet) {
            menu->addSeparator();
            continue;
        }
        QAction *action = menu->addAction(text);
        action->setObjectName(QString::fromLatin1(outlet));
    }
    connect(menu, &QMenu::aboutToShow, this, &NBController::validateMenuItems);
    return menu;
}

void NBController::launchSetupMenus()
{
    buildMenu(QStringLiteral("Nimbrel Core"), {{"menuNimbrelAbout", OVLocalizedString("About Nimbrel Core")},
                                               {"menuPreferences", OVLocalizedString("Preferences...")},
                                               {nullptr, {}},
                                               {"menuNimbrelHide", OVLocalizedString("Hide Nimbrel Core")},
                                               {"menuNimbrelQuit", OVLocalizedString("Quit Nimbrel Core")}});
    QMenu *location = buildMenu(OVLocalizedString("Location"), {{"menuAddLocation", OVLocalizedString("Add Location...")},
                                                                {"menuRemoveLocation", OVLocalizedString("Remove Location")},
                                                                {"menuLocationInfo", OVLocalizedString("Get Info")},
                                                                {nullptr, {}},
                                                                {"menuPrint", OVLocalizedString("Print...")}});
    QAction *monitored = location->addAction(OVLocalizedString("Locations"));
    monitored->setObjectName(QStringLiteral("menuMonitoredLocations"));
    monitored->setMenu(new QMenu(mWindow.get()));
    connect(location, &QMenu::aboutToShow, this, &NBController::menuNeedsUpdate);

    QMenu *view = buildMenu(OVLocalizedString("View"), {{"menuViewExpandGraph", OVLocalizedString("Expand Graph Time Span")},
                                                        {"menuViewContractGraph", OVLocalizedString("Contract Graph Time Span")},
                                                        {nullptr, {}},
                                                        {"menuShowCities", OVLocalizedString("Show Cities")}});
    view->addSeparator();
    for (const GraphItem &item : kGraphItems) {
        QAction *action = view->addAction(OVLocalizedString(item.title));
        action->setObjectName(QString::fromLatin1(item.outlet));
        action->setCheckable(true);
    }
    buildMenu(OVLocalizedString("Window"), {{"menuOpenActivityPanel", OVLocalizedString("Activity")},
                                            {"menuOpenJournal", OVLocalizedString("Weather Journal")},
                                            {"menuJournalTable", OVLocalizedString("Insert Current Conditions")},
                                            {nullptr, {}},
                                            {"menuWindowToggleFullscreen", OVLocalizedString("Toggle Full Screen")}});
    buildMenu(OVLocalizedString("Help"), {{"menuHelp", OVLocalizedString("Nimbrel Core Help")},
                                          {"menuHelpVisitNimbrelWebsite", OVLocalizedString("Visit the Nimbrel Core Website")},
                                          {"menuHelpVisitNimbrelTwitter", OVLocalizedString("Follow Nimbrel Core")},
                                          {"menuHelpEmailSupport", OVLocalizedString("Email Support")},
                                          {nullptr, {}},
                                          {"menuFutureUpdates", OVLocalizedString("Future Updates")}});

    QAction *cities = menuAction(QStringLiteral("menuShowCities"));
    cities->setCheckable(true);
    cities->setChecked(NBPrefController::boolForKey(QStringLiteral("showCities")));
    menuAction(QStringLiteral("menuNimbrelQuit"))->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    // Quitting works from every window of the program, not only the one with the menu bar.
    menuAction(QStringLiteral("menuNimbrelQuit"))->setShortcutContext(Qt::ApplicationShortcut);
    menuAction(QStringLiteral("menuNimbrelQuit"))->setMenuRole(QAction::NoRole);
    menuAction(QStringLiteral("menuRemoveLocation"))->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Backspace));
    menuAction(QStringLiteral("menuPrint"))->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    menuAction(QStringLiteral("menuLocationInfo"))->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));

    for (QAction *action : mWindow->menuBar()->findChildren<QAction *>()) {
        if (!action->objectName().startsWith(QLatin1String("menu")))
            continue;
        connect(action, &QAction::triggered, this, [this, action] { actionHandler(action); });
    }
    connect(menuAction(QStringLiteral("menuNimbrelHide")), &QAction::triggered, this, [] {
        for (QWidget *window : QApplication::topLevelWidgets())
            if (window->isVisible())
                window->showMinimized();
    });
    connect(menuAction(QStringLiteral("menuNimbrelQuit")), &QAction::triggered, qApp, &QCoreApplication::quit);
    connect(menuAction(QStringLiteral("menuRemoveLocation")), &QAction::triggered, this, &NBController::removeLocation);
    connect(menuAction(QStringLiteral("menuAddLocation")), &QAction::triggered, mLocationController, &NBLocationController::openAddPanel);
    connect(menuAction(QStringLiteral("menuLocationInfo")), &QAction::triggered, this, &NBController::toggleInfo);
    connect(menuAction(QStringLiteral("menuPrint")), &QAction::triggered, this, &NBController::print);
    const std::pair<const char *, void (NBController::*)()> windows[] = {
        {"menuNimbrelAbout", &NBController::openAboutBox},          {"menuPreferences", &NBController::openPrefsWindow},
        {"menuOpenActivityPanel", &NBController::openActivityPanel}, {"menuOpenJournal", &NBController::openWeatherJournal},
        {"menuJournalTable", &NBController::insertJournalTable},
        {"menuHelp", &NBController::openHelp},                      {"menuFutureUpdates", &NBController::openFutureUpdates}};
    for (const auto &[outlet, open] : windows)
        connect(menuAction(QString::fromLatin1(outlet)), &QAction::triggered, this, open);
    connect(menuAction(QStringLiteral("menuWindowToggleFullscreen")), &QAction::triggered, this, [this] {
        mWindow->setWindowState(mWindow->windowState() ^ Qt::WindowFullScreen);
    });

    mDockTile = new NBDockTile([this](QSystemTrayIcon *tray) { return applicationDockMenu(tray); }, this);
    connect(mDockTile, &NBDockTile::showMainWindowRequested, this, [this] {
        if (mWindow->isMinimized() || !mWindow->isVisible())
            mWindow->showNormal();
        mWindow->raise();
        mWindow->activateWindow();
    });
    connect(mDockTile, &NBDockTile::quitRequested, qApp, &QCoreApplication::quit);
    menuNeedsUpdate();
}

QAction *NBController::menuAction(const QString &name) const
{
    return mWindow ? mWindow->menuBar()->findChild<QAction *>(name) : nullptr;
}

QMenu *NBController::applicationDockMenu(QSystemTrayIcon *tray)
{
    auto *menu = new QMenu();
    const int temperatureUnits = int(NBPrefController::integerForKey(NBSettingKey::temperatureUnits));
    const int windUnits = int(NBPrefController::integerForKey(NBSettingKey::windSpeedUnits));
    const std::shared_ptr<OVWeatherLocation> current = mWeatherController.currentLocation();
    int n = 0;
    for (const std::shared_ptr<OVWeatherLocation> &location : mMonitoredLocations) {
        ++n;
        const std::optional<OVWeatherConditions> conditions = location->getCurrentData();
        QString text = conditions ? conditions->conditionsStringWithTemperatureUnits(temperatureUnits, windUnits) : QString();
        if (text.isEmpty())
            text = OVLocalizedString("Not Available");
        QAction *item = menu->addAction(QStringLiteral("%1: %2").arg(location->city(), text));
        if (tray)
            continue;
        if (conditions)
            item->setIcon(dockMenuIcon(*conditions));
        if (n <= kLocationsWithShortcut)
            item->setShortcut(QKeySequence(QStringLiteral("Ctrl+%1").arg(n)));
        item->setCheckable(true);
        item->setChecked(location == current);
        item->setData(n);
        connect(item, &QAction::triggered, this, [this, n] { emptyAction(n); });
    }
    return menu;
}

void NBController::menuNeedsUpdate()
{
    QAction *monitored = menuAction(QStringLiteral("menuMonitoredLocations"));
    if (!monitored)
        return;
    QMenu *old = monitored->menu();
    QMenu *fresh = applicationDockMenu(nullptr);
    fresh->setParent(mWindow.get(), fresh->windowFlags());
    // The shortcuts live on the window so Ctrl+1..8 work before the menu was ever opened.
    for (QAction *action : fresh->actions())
        action->setShortcutContext(Qt::ApplicationShortcut);
    if (old) {
        for (QAction *action : old->actions())
            mWindow->removeAction(action);
    }
    monitored->setMenu(fresh);
    mWindow->addActions(fresh->actions());
    if (old)
        old->deleteLater();
}

void NBController::emptyAction(int tag)
{
    if (tag < 1 || tag > mMonitoredLocations.size())
        return;
    selectRow(tag - 1);
    mWeatherController.setCurrentLocation(mMonitoredLocations.at(tag - 1));
}

void NBController::actionHandler(QAction *sender)
{
    const QString name = sender->objectName();
    const QString widthKey(NBSettingKey::graphWidthDays);
    auto *base = mWindow ? qobject_cast<NBBaseView *>(mWindow->baseView()) : nullptr;
    if (name == QLatin1String("menuViewExpandGraph") || name == QLatin1String("menuViewContractGraph")) {
        const int position = NBControllerSettings::sliderValueForDays(int(NBPrefController::integerForKey(widthKey)));
        const int moved = name == QLatin1String("menuViewExpandGraph") ? position - 1 : position + 1;
        NBPrefController::setSetting(NBControllerSettings::daysForSliderValue(moved), widthKey);
        if (base)
            base->redisplayGraphViews();
    } else if (name == QLatin1String("menuShowCities")) {
        NBPrefController::setSetting(sender->isChecked() ? 1 : 0, QStringLiteral("showCities"));
        OVNotificationCenter::defaultCenter().post(OVNotifyMapGeneratorNeedsDisplay);
        if (base)
            base->update();
    } else if (name == QLatin1String("menuHelpVisitNimbrelWebsite")) {
        NBProductLinks::openProductPage(QStringLiteral("/"), "actionHandler:");
    } else if (name == QLatin1String("menuHelpVisitNimbrelTwitter")) {
        NBProductLinks::openSocialPage();
    } else if (name == QLatin1String("menuHelpEmailSupport")) {
        NBProductLinks::emailSupport();
    } else {
        for (const GraphItem &item : kGraphItems) {
            if (name != QLatin1String(item.outlet))
                continue;
            const QString key = QString::fromLatin1(item.key);
            NBPrefController::setSetting(!NBPrefController::boolForKey(key), key);
            if (base)
                base->redisplayGraphViews();
        }
    }
}

void NBController::validateMenuItems()
{
    for (const GraphItem &item : kGraphItems) {
        if (QAction *action = menuAction(QString::fromLatin1(item.outlet)))
            action->setChecked(NBPrefController::boolForKey(QString::fromLatin1(item.key)));
    }
    const int days = int(NBPrefController::integerForKey(NBSettingKey::graphWidthDays));
    if (QAction *expand = menuAction(QStringLiteral("menuViewExpandGraph")))
        expand->setEnabled(days != kWidestGraphDays);
    if (QAction *contract = menuAction(QStringLiteral("menuViewContractGraph")))
        contract->setEnabled(days != kNarrowestGraphDays);
    if (QAction *table = menuAction(QStringLiteral("menuJournalTable")))
        table->setEnabled(journalIsOpen());
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

void NBController::updateDockTile()
{
    if (!mDockTile)
        return;
    if (mMonitoredLocations.isEmpty()) {
        mDockTile->setBadgeLabel(QString());
        return;
    }
    const std::optional<OVWeatherConditions> conditions = mMonitoredLocations.first()->getCurrentData();
    if (!conditions)
        return;
    const bool show = NBPrefController::boolForKey(QStringLiteral("NBShowTemperatureInDock"));
    mDockTile->setBadgeLabel(
        show ? conditions->integerTemperatureStringWithUnits(int(NBPrefController::integerForKey(NBSettingKey::temperatureUnits)))
             : QString());
}
