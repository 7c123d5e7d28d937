#include "app/NBMenuBar.h"

#include "app/NBBaseView.h"
#include "app/NBDockTile.h"
#include "app/NBMainWindow.h"
#include "app/NBProductLinks.h"
#include "core/NBControllerSettings.h"
#include "core/NBGraphTypeTable.h"
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

NBMenuBar::NBMenuBar(std::function<NBMainWindow *()> window, OVWeatherController &weather, Locations locations,
                     Commands commands, QObject *parent)
    : QObject(parent)
    , mWindow(std::move(window))
    , mWeatherController(weather)
    , mLocations(std::move(locations))
    , mCommands(std::move(commands))
{
}

QMenu *NBMenuBar::buildMenu(const QString &title, const QList<std::pair<const char *, QString>> &items)
{
    QMenu *menu = mWindow()->menuBar()->addMenu(title);
    for (const auto &[outlet, text] : items) {
        if (!outlet) {
            menu->addSeparator();
            continue;
        }
        QAction *action = menu->addAction(text);
        action->setObjectName(QString::fromLatin1(outlet));
    }
    connect(menu, &QMenu::aboutToShow, this, &NBMenuBar::validateMenuItems);
    return menu;
}

void NBMenuBar::build()
{
    NBMainWindow *window = mWindow();
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
    monitored->setMenu(new QMenu(window));
    connect(location, &QMenu::aboutToShow, this, &NBMenuBar::menuNeedsUpdate);

    QMenu *view = buildMenu(OVLocalizedString("View"), {{"menuViewExpandGraph", OVLocalizedString("Expand Graph Time Span")},
                                                        {"menuViewContractGraph", OVLocalizedString("Contract Graph Time Span")},
                                                        {nullptr, {}},
                                                        {"menuShowCities", OVLocalizedString("Show Cities")}});
    view->addSeparator();
    for (const NBGraphTypeRow &item : NBGraphTypeTable) {
        QAction *action = view->addAction(OVLocalizedString(item.menuTitle));
        action->setObjectName(QString::fromLatin1(item.menuObjectName));
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

    for (QAction *action : window->menuBar()->findChildren<QAction *>()) {
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
    const std::pair<const char *, const std::function<void()> &> commands[] = {
        {"menuRemoveLocation", mCommands.removeLocation},     {"menuAddLocation", mCommands.addLocation},
        {"menuLocationInfo", mCommands.toggleInfo},           {"menuPrint", mCommands.print},
        {"menuNimbrelAbout", mCommands.openAboutBox},         {"menuPreferences", mCommands.openPrefsWindow},
        {"menuOpenActivityPanel", mCommands.openActivityPanel}, {"menuOpenJournal", mCommands.openWeatherJournal},
        {"menuJournalTable", mCommands.insertJournalTable},
        {"menuHelp", mCommands.openHelp},                     {"menuFutureUpdates", mCommands.openFutureUpdates}};
    for (const auto &[outlet, command] : commands)
        connect(menuAction(QString::fromLatin1(outlet)), &QAction::triggered, this, command);
    connect(menuAction(QStringLiteral("menuWindowToggleFullscreen")), &QAction::triggered, this, [window] {
        window->setWindowState(window->windowState() ^ Qt::WindowFullScreen);
    });

    mDockTile = new NBDockTile([this](QSystemTrayIcon *tray) { return applicationDockMenu(tray); }, this);
    connect(mDockTile, &NBDockTile::showMainWindowRequested, this, [this] {
        NBMainWindow *window = mWindow();
        if (!window)
            return;
        if (window->isMinimized() || !window->isVisible())
            window->showNormal();
        window->raise();
        window->activateWindow();
    });
    connect(mDockTile, &NBDockTile::quitRequested, qApp, &QCoreApplication::quit);
    menuNeedsUpdate();
}

QAction *NBMenuBar::menuAction(const QString &name) const
{
    NBMainWindow *window = mWindow();
    return window ? window->menuBar()->findChild<QAction *>(name) : nullptr;
}

QMenu *NBMenuBar::applicationDockMenu(QSystemTrayIcon *tray)
{
    auto *menu = new QMenu();
    const OVTemperatureUnit temperatureUnits = OVUnits::temperatureSetting();
    const OVWindSpeedUnit windUnits = OVUnits::windSpeedSetting();
    const std::shared_ptr<OVWeatherLocation> current = mWeatherController.currentLocation();
    int n = 0;
    for (const std::shared_ptr<OVWeatherLocation> &location : mLocations.monitored()) {
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

void NBMenuBar::menuNeedsUpdate()
{
    QAction *monitored = menuAction(QStringLiteral("menuMonitoredLocations"));
    if (!monitored)
        return;
    NBMainWindow *window = mWindow();
    QMenu *old = monitored->menu();
    QMenu *fresh = applicationDockMenu(nullptr);
    fresh->setParent(window, fresh->windowFlags());
    // The shortcuts live on the window so Ctrl+1..8 work before the menu was ever opened.
    for (QAction *action : fresh->actions())
        action->setShortcutContext(Qt::ApplicationShortcut);
    if (old) {
        for (QAction *action : old->actions())
            window->removeAction(action);
    }
    monitored->setMenu(fresh);
    window->addActions(fresh->actions());
    if (old)
        old->deleteLater();
}

void NBMenuBar::emptyAction(int tag)
{
    if (tag < 1 || tag > mLocations.monitored().size())
        return;
    mLocations.selectRow(tag - 1);
}

void NBMenuBar::actionHandler(QAction *sender)
{
    const QString name = sender->objectName();
    const QString widthKey(NBSettingKey::graphWidthDays);
    NBMainWindow *window = mWindow();
    auto *base = window ? qobject_cast<NBBaseView *>(window->baseView()) : nullptr;
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
        for (const NBGraphTypeRow &item : NBGraphTypeTable) {
            if (name != QLatin1String(item.menuObjectName))
                continue;
            const QString key = QString::fromLatin1(item.visibilityKey);
            NBPrefController::setSetting(!NBPrefController::boolForKey(key), key);
            if (base)
                base->redisplayGraphViews();
        }
    }
}

void NBMenuBar::validateMenuItems()
{
    for (const NBGraphTypeRow &item : NBGraphTypeTable) {
        if (QAction *action = menuAction(QString::fromLatin1(item.menuObjectName)))
            action->setChecked(NBPrefController::boolForKey(QString::fromLatin1(item.visibilityKey)));
    }
    const int days = int(NBPrefController::integerForKey(NBSettingKey::graphWidthDays));
    if (QAction *expand = menuAction(QStringLiteral("menuViewExpandGraph")))
        expand->setEnabled(days != kWidestGraphDays);
    if (QAction *contract = menuAction(QStringLiteral("menuViewContractGraph")))
        contract->setEnabled(days != kNarrowestGraphDays);
    if (QAction *table = menuAction(QStringLiteral("menuJournalTable")))
        table->setEnabled(mCommands.journalIsOpen && mCommands.journalIsOpen());
}

void NBMenuBar::updateDockTile()
{
    if (!mDockTile)
        return;
    const OVWeatherLocationList locations = mLocations.monitored();
    if (locations.isEmpty()) {
        mDockTile->setBadgeLabel(QString());
        return;
    }
    const std::optional<OVWeatherConditions> conditions = locations.first()->getCurrentData();
    if (!conditions)
        return;
    const bool show = NBPrefController::boolForKey(QStringLiteral("NBShowTemperatureInDock"));
    mDockTile->setBadgeLabel(
        show ? conditions->integerTemperatureStringWithUnits(OVUnits::temperatureSetting())
             : QString());
}
