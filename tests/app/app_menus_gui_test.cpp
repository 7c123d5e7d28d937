// The menu bar, the menu of monitored locations, the View and Help actions, removal of a
// place after confirmation and the badge of the window icon, on a launched controller.
#include "AppControllerFixture.h"
#include "BrowserRecorder.h"
#include "ViewTestSupport.h"
#include "app/NBDockTile.h"
#include "app/locations/NBTableView.h"
#include "core/NBPrefController.h"
#include "platform/OVNotificationCenter.h"
#include "weather/OVObservationsDB.h"
#include "weather/OVWeatherController.h"

#include <QAction>
#include <QApplication>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QSystemTrayIcon>
#include <QTest>

namespace {

const char *const kCities[] = {"Denver", "Boulder", "Aurora", "Pueblo", "Vail", "Aspen", "Durango", "Greeley", "Golden", "Salida"};

class MenusTest : public AppControllerTest
{
protected:
    NBController &launchWith(int count)
    {
        QVariantList saved;
        for (int i = 0; i < count; ++i) {
            QVariantMap place = denverDictionary();
            place[QStringLiteral("city")] = QString::fromLatin1(kCities[i]);
            place[QStringLiteral("zipcode")] = QStringLiteral("8%1").arg(i, 4, 10, QLatin1Char('0'));
            saved.append(place);
        }
        saveLocations(saved);
        return launch();
    }

    QAction *action(const char *name) const { return controller->menuAction(QString::fromLatin1(name)); }
    QList<QAction *> locationItems() const { return action("menuMonitoredLocations")->menu()->actions(); }

    /// The red of the badge in the window icon's 64 px picture.
    static bool iconHasBadge()
    {
        const QImage icon = QApplication::windowIcon().pixmap(64, 64).toImage();
        const QColor red = NBDockTile::badgeColor();
        for (int y = 0; y < icon.height() / 2; ++y)
            for (int x = icon.width() / 2; x < icon.width(); ++x)
                if (icon.pixelColor(x, y).rgb() == red.rgb())
                    return true;
        return false;
    }

    static void observe(double temperatureF)
    {
        OVObservationsDB::sharedDatabase()->insertWeatherConditions({observation(temperatureF)}, QStringLiteral("KDEN"));
        NBController::instance()->refreshLocationTable();
    }
};

} // namespace

TEST_F(MenusTest, TenPlacesTheFirstEightCarryShortcutsAndCtrl3WorksBeforeAnyMenuOpened)
{
    launchWith(10);
    const QList<QAction *> items = locationItems();
    ASSERT_EQ(items.size(), 10);
    for (int i = 0; i < 10; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(items[i]->text(), QStringLiteral("%1: Not Available").arg(QString::fromLatin1(kCities[i])));
        EXPECT_EQ(items[i]->data().toInt(), i + 1);
        EXPECT_EQ(items[i]->shortcut(), i < 8 ? QKeySequence(QStringLiteral("Ctrl+%1").arg(i + 1)) : QKeySequence());
    }
    EXPECT_TRUE(items[0]->isChecked());

    QWidget *window = controller->window();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    QTest::keyClick(window, Qt::Key_3, Qt::ControlModifier);
    EXPECT_EQ(OVWeatherController::sharedWeatherController().currentLocation()->city(), QStringLiteral("Aurora"));
    EXPECT_EQ(controller->window()->locationTable()->selectionModel()->selectedRows().value(0).row(), 2);

    controller->emptyAction(11);
    controller->emptyAction(0);
    EXPECT_EQ(OVWeatherController::sharedWeatherController().currentLocation()->city(), QStringLiteral("Aurora"));
}

TEST_F(MenusTest, TrayItemsCarryNothingAndDoNothing)
{
    launchWith(10);
    std::unique_ptr<QMenu> dock(controller->applicationDockMenu(reinterpret_cast<QSystemTrayIcon *>(controller.get())));
    ASSERT_EQ(dock->actions().size(), 10);
    for (QAction *item : dock->actions()) {
        EXPECT_TRUE(item->shortcut().isEmpty());
        EXPECT_FALSE(item->data().isValid());
        item->trigger();
    }
    EXPECT_EQ(OVWeatherController::sharedWeatherController().currentLocation()->city(), QStringLiteral("Denver"));
    EXPECT_FALSE(controller->dockTile()->tray()->isVisible()) << "no tray under Xvfb";
}

TEST_F(MenusTest, TheTrayBringsTheHiddenWindowBackAndItsMenuEndsWithShowAndQuit)
{
    launchWith(2);
    QWidget *window = controller->window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    NBDockTile *tile = controller->dockTile();

    // Hidden (without a window manager a minimised window does not stay so; a hidden one does),
    // then a click on the icon: the window comes back in front.
    window->hide();
    emit tile->tray()->activated(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(waitUntil([&] { return !window->isMinimized() && window->isVisible(); }));
    EXPECT_TRUE(waitUntil([&] { return window->isActiveWindow(); }));

    // The menu: the places, then the two items of every dock menu.
    QMenu *menu = tile->trayMenu();
    menu->popup(window->geometry().center());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    QStringList texts;
    for (QAction *item : menu->actions())
        texts << (item->isSeparator() ? QStringLiteral("-") : item->text());
    EXPECT_EQ(texts, (QStringList{"Denver: Not Available", "Boulder: Not Available", "-", "Show Nimbrel Core", "Quit"}));
    grabAndSave(menu, "tray_menu.png");
    menu->hide();

    window->hide();
    menu->actions().at(3)->trigger();
    EXPECT_TRUE(waitUntil([&] { return !window->isMinimized() && window->isVisible(); }));

    // Quitting outside a running event loop does nothing; the request is what is watched.
    bool quit = false;
    QMetaObject::Connection watch = QObject::connect(tile, &NBDockTile::quitRequested, [&] { quit = true; });
    menu->actions().at(4)->trigger();
    EXPECT_TRUE(quit);
    QObject::disconnect(watch);

    // The badge is left out where its text could not be read, kept where it can.
    const auto hasRed = [](const QImage &image) {
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y).rgb() == NBDockTile::badgeColor().rgb())
                    return true;
        return false;
    };
    EXPECT_FALSE(hasRed(NBDockTile::badgedIcon(22, QStringLiteral("72°"))));
    EXPECT_TRUE(hasRed(NBDockTile::badgedIcon(64, QStringLiteral("72°"))));
}

TEST_F(MenusTest, GraphSpanExpandsAndContractsWithinItsLimits)
{
    launchWith(1);
    struct Row
    {
        int days;
        const char *item;
        int after;
    };
    const Row rows[] = {{1, "menuViewExpandGraph", 2}, {7, "menuViewExpandGraph", 14}, {2, "menuViewContractGraph", 1}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.days);
        NBPrefController::setSetting(row.days, QStringLiteral("graphWidthDays"));
        action(row.item)->trigger();
        EXPECT_EQ(NBPrefController::integerForKey(QStringLiteral("graphWidthDays")), row.after);
    }
    for (const auto &[days, expand, contract] : {std::tuple{366, false, true}, std::tuple{1, true, false}, std::tuple{7, true, true}}) {
        NBPrefController::setSetting(days, QStringLiteral("graphWidthDays"));
        controller->validateMenuItems();
        EXPECT_EQ(action("menuViewExpandGraph")->isEnabled(), expand) << days;
        EXPECT_EQ(action("menuViewContractGraph")->isEnabled(), contract) << days;
    }
}

TEST_F(MenusTest, GraphItemsFlipTheirKeysAndShowCitiesStoresAndPosts)
{
    launchWith(1);
    const bool before = NBPrefController::boolForKey(QStringLiteral("showSnowfallGraph"));
    action("menuGraphShowSnowfall")->trigger();
    EXPECT_EQ(NBPrefController::boolForKey(QStringLiteral("showSnowfallGraph")), !before);
    controller->validateMenuItems();
    EXPECT_EQ(action("menuGraphShowSnowfall")->isChecked(), !before);

    int posted = 0;
    OVNotificationCenter::defaultCenter().addObserver(this, QStringLiteral("OVNotifyMapGeneratorNeedsDisplay"),
                                                      [&](const OVNotification &) { ++posted; });
    ASSERT_TRUE(action("menuShowCities")->isChecked());
    action("menuShowCities")->trigger();
    EXPECT_EQ(NBPrefController::settingForKey(QStringLiteral("showCities")).toInt(), 0);
    action("menuShowCities")->trigger();
    EXPECT_EQ(NBPrefController::settingForKey(QStringLiteral("showCities")).toInt(), 1);
    EXPECT_EQ(posted, 2);
    OVNotificationCenter::defaultCenter().removeObserver(this);
}

TEST_F(MenusTest, RemoveAsksAndCancelKeepsThePlaceAndItsSettings)
{
    launchWith(3);
    NBPrefController::setLocationSetting(5, QStringLiteral("graphOffset"), QStringLiteral("80001"));
    env.alerts->answers = {QStringLiteral("Cancel")};
    controller->removeLocationAtIndex(1);
    ASSERT_EQ(env.alerts->alerts.size(), 1u);
    EXPECT_EQ(env.alerts->alerts[0].title, QStringLiteral("Remove Boulder?"));
    EXPECT_EQ(env.alerts->alerts[0].button, QStringLiteral("Remove|Cancel"));
    EXPECT_EQ(cities(), (QStringList{"Denver", "Boulder", "Aurora"}));
    EXPECT_EQ(NBPrefController::locationSettingForKey(QStringLiteral("graphOffset"), QStringLiteral("80001")).toInt(), 5);

    env.alerts->answers = {QStringLiteral("Remove")};
    controller->removeLocationAtIndex(1);
    EXPECT_EQ(cities(), (QStringList{"Denver", "Aurora"}));
    EXPECT_FALSE(NBPrefController::locationSettingForKey(QStringLiteral("graphOffset"), QStringLiteral("80001")).isValid());
    EXPECT_EQ(locationItems().size(), 2);

    controller->removeLocationAtIndex(2);
    controller->removeLocationAtIndex(-1);
    EXPECT_EQ(env.alerts->alerts.size(), 2u) << "an index out of range asks nothing";
}

TEST_F(MenusTest, TheListsRightClickRemoveAsksAndRemovesThatRow)
{
    launchWith(3);
    auto *table = qobject_cast<NBTableView *>(controller->window()->locationTable());
    ASSERT_TRUE(table);
    const QPoint second = table->visualRect(table->model()->index(1, 0)).center();
    const std::unique_ptr<QMenu> menu = table->menuForEvent(second);
    QAction *remove = nullptr;
    for (QAction *item : menu->actions())
        if (item->text() == QStringLiteral("Remove Location"))
            remove = item;
    ASSERT_TRUE(remove);
    env.alerts->answers = {QStringLiteral("Remove")};
    remove->trigger();
    ASSERT_EQ(env.alerts->alerts.size(), 1u);
    EXPECT_EQ(env.alerts->alerts[0].title, QStringLiteral("Remove Boulder?"));
    EXPECT_EQ(cities(), (QStringList{"Denver", "Aurora"}));
}

TEST_F(MenusTest, HelpLinksOpenTheProductAddressesAndAnEmptyOneNothing)
{
    launchWith(1);
    BrowserRecorder browser;
    action("menuHelpVisitNimbrelWebsite")->trigger();
    EXPECT_TRUE(browser.opened.isEmpty());

    OVUserDefaults::standard().setObject(QStringLiteral("https://core.example.test"), QStringLiteral("NBProductWebURL"));
    OVUserDefaults::standard().setObject(QStringLiteral("https://social.example.test/core"), QStringLiteral("NBProductSocialURL"));
    OVUserDefaults::standard().setObject(QStringLiteral("help@core.example.test"), QStringLiteral("NBSupportEmail"));
    action("menuHelpVisitNimbrelWebsite")->trigger();
    action("menuHelpVisitNimbrelTwitter")->trigger();
    action("menuHelpEmailSupport")->trigger();
    EXPECT_EQ(browser.opened, (QList<QUrl>{QUrl(QStringLiteral("https://core.example.test/")),
                                           QUrl(QStringLiteral("https://social.example.test/core")),
                                           QUrl(QStringLiteral("mailto:help@core.example.test?Subject=Nimbrel%20Core%20Support%20Question"))}));
}

TEST_F(MenusTest, TheWindowIconCarriesTheFirstPlacesTemperature)
{
    launchWith(2);
    EXPECT_TRUE(controller->dockTile()->badgeLabel().isEmpty()) << "no observation yet";
    EXPECT_FALSE(iconHasBadge());

    observe(71.6);
    EXPECT_EQ(controller->dockTile()->badgeLabel(), QStringLiteral("72°"));
    EXPECT_TRUE(iconHasBadge());
    EXPECT_EQ(locationItems()[0]->text().left(8), QStringLiteral("Denver: "));
    EXPECT_NE(locationItems()[0]->text(), QStringLiteral("Denver: Not Available"));

    OVUserDefaults::standard().setObject(QStringLiteral("1"), QStringLiteral("temperatureUnits"));
    EXPECT_EQ(controller->dockTile()->badgeLabel(), QStringLiteral("22°"));
    OVUserDefaults::standard().setObject(false, QStringLiteral("NBShowTemperatureInDock"));
    EXPECT_TRUE(controller->dockTile()->badgeLabel().isEmpty());
    EXPECT_FALSE(iconHasBadge());
    OVUserDefaults::standard().setObject(true, QStringLiteral("NBShowTemperatureInDock"));
    EXPECT_EQ(controller->dockTile()->badgeLabel(), QStringLiteral("22°"));

    controller->setMonitoredLocations({});
    EXPECT_TRUE(controller->dockTile()->badgeLabel().isEmpty());
}
