#include "core/PrefTestSupport.h"

#include "core/NBControllerSettings.h"
#include "core/views/NBPreferencesWindow.h"
#include "support/TestHelpers.h"

#include <QCheckBox>
#include <QComboBox>

class PrefWindowTest : public PrefTest
{
protected:
    void SetUp() override
    {
        PrefTest::SetUp();
        NBControllerSettings::launchSetupPreferences();
    }
};

TEST_F(PrefWindowTest, UpdateFrequencyPopUpShowsTheStoredSeconds)
{
    const std::pair<const char *, int> cases[] = {{"1800", 0}, {"3600", 1}, {"7200", 1}, {"10800", 2}, {"21600", 3}};
    for (const auto &[seconds, item] : cases) {
        SCOPED_TRACE(seconds);
        NBPrefController::setSetting(seconds, "updateFrequency");
        NBPrefController controller;
        EXPECT_EQ(controller.window()->updateFrequency()->currentIndex(), item);
    }
}

TEST_F(PrefWindowTest, ChoicesAreStored)
{
    NBPrefController::setSetting("7200", "updateFrequency");
    NBPrefController::setSetting("1", "pressureUnits");
    NBPrefController controller;
    NBPreferencesWindow *window = controller.window();
    EXPECT_EQ(window->pressureUnits()->currentIndex(), 1);
    EXPECT_TRUE(window->showDewpoint()->isChecked());
    EXPECT_EQ(OVUserDefaults::standard().storedObjectForKey("updateFrequency"), QVariant("7200"))
        << "showing the window writes nothing";

    emit window->updateFrequency()->activated(2);
    EXPECT_EQ(NBPrefController::settingForKey("updateFrequency").toLongLong(), 10800);
    controller.actionHandler(9);
    EXPECT_EQ(NBPrefController::integerForKey("updateFrequency"), 3600);

    emit window->windSpeedUnits()->activated(3);
    EXPECT_EQ(NBPrefController::integerForKey("windSpeedUnits"), 3);
    window->showDewpoint()->click();
    EXPECT_EQ(NBPrefController::settingForKey("showDewpoint"), QVariant("0"));
    window->checkForUpdates()->click();
    EXPECT_EQ(NBPrefController::settingForKey("checkForUpdates"), QVariant("1"));
}

TEST_F(PrefWindowTest, ClosingSavesRedrawsAndPostsTheRedisplay)
{
    auto hooks = std::make_shared<FakeApplicationHooks>();
    hooks->locations = {QVariantMap{{"location_id", 1}, {"icao", "KDEN"}}};
    OVApplicationHooks::install(hooks);
    NBPrefController controller;
    OVNotificationCenter::defaultCenter().addObserver(this, "OVNotifyRedisplayEverything",
                                                      [&](const OVNotification &) { hooks->calls << "posted"; });
    NotificationWaiter waiter("OVNotifyRedisplayEverything");

    controller.window()->show();
    EXPECT_TRUE(controller.window()->close());
    OVNotificationCenter::defaultCenter().removeObserver(this);

    EXPECT_EQ(hooks->calls, (QStringList{"locations", "splitView", "redisplay", "journal", "posted"}));
    ASSERT_EQ(waiter.count(), 1);
    EXPECT_EQ(waiter.received().at(0).object.value<QObject *>(), &controller);
    EXPECT_EQ(OVUserDefaults::standard().arrayForKey("locations"), hooks->locations);
}
