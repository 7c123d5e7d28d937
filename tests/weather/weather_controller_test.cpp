// The weather controller: current-location announcements, update passes and load progress.
#include "core/OVConstants.h"
#include "support/TestHelpers.h"
#include "weather/OVWeatherController.h"
#include "weather/OVWeatherLocation.h"

#include <gtest/gtest.h>

namespace {

std::shared_ptr<OVWeatherLocation> announced(const OVNotification &notification)
{
    return notification.object.value<std::shared_ptr<OVWeatherLocation>>();
}

} // namespace

TEST(WeatherController, AnnouncesTheCurrentLocationOnEverySet)
{
    NotificationWaiter waiter(QStringLiteral("OVNotifyNewCurrentLocation"));
    {
        OVWeatherController controller;
        ASSERT_EQ(waiter.count(), 1);
        EXPECT_EQ(announced(waiter.received().at(0)), nullptr);

        const auto here = std::make_shared<OVWeatherLocation>();
        controller.setCurrentLocation(here);
        controller.setCurrentLocation(here);
        controller.setCurrentLocation(nullptr);
        ASSERT_EQ(waiter.count(), 4);
        EXPECT_EQ(announced(waiter.received().at(1)), here);
        EXPECT_EQ(announced(waiter.received().at(2)), here);
        EXPECT_EQ(announced(waiter.received().at(3)), nullptr);
        EXPECT_EQ(controller.currentLocation(), nullptr);
    }
    ASSERT_EQ(waiter.count(), 5);
    EXPECT_EQ(announced(waiter.received().at(4)), nullptr);
}

TEST(WeatherController, AnObserverOfTheFirstAnnouncementMayReachTheSharedController)
{
    // The shared controller's first announcement goes out once it exists: an observer that asks
    // for it in response gets it instead of re-entering its construction.
    OVWeatherController *seen = nullptr;
    int announcements = 0;
    OVNotificationCenter::defaultCenter().addObserver(&seen, QStringLiteral("OVNotifyNewCurrentLocation"),
                                                      [&](const OVNotification &) {
                                                          ++announcements;
                                                          seen = &OVWeatherController::sharedWeatherController();
                                                      });
    OVWeatherController &shared = OVWeatherController::sharedWeatherController();
    OVNotificationCenter::defaultCenter().removeObserver(&seen);
    EXPECT_EQ(announcements, 1);
    EXPECT_EQ(seen, &shared);
}

TEST(WeatherController, UpdateClearsTheCountersThenAsksForAForcedReload)
{
    OVWeatherController controller;
    controller.addLoadPiece();
    int piecesSeenByObserver = -1;
    OVNotificationCenter::defaultCenter().addObserver(
        &controller, QStringLiteral("OVNotifyForceReload"),
        [&](const OVNotification &) { piecesSeenByObserver = controller.loadPieces(); });
    controller.update();
    OVNotificationCenter::defaultCenter().removeObserver(&controller);
    EXPECT_EQ(piecesSeenByObserver, 0);
    EXPECT_EQ(controller.completedLoadPieces(), 0);
}

TEST(WeatherController, LoadPercentage)
{
    struct Case
    {
        int added;
        int completed;
        int percent;
    };
    for (const Case &c : {Case{0, 0, 100}, Case{1, 1, 100}, Case{2, 1, 50}, Case{3, 1, 33}, Case{3, 2, 67},
                          Case{8, 1, 13}}) {
        SCOPED_TRACE(testing::Message() << c.completed << "/" << c.added);
        OVWeatherController controller;
        controller.update();
        for (int i = 0; i < c.added; ++i)
            controller.addLoadPiece();
        for (int i = 0; i < c.completed; ++i)
            controller.completeLoadPiece();
        EXPECT_EQ(controller.loadPercentCompleted(), c.percent);
    }
}

TEST(WeatherController, PiecesOfAnEarlierPassCountAgainstTheNewOne)
{
    OVWeatherController controller;
    controller.update();
    controller.addLoadPiece();
    controller.addLoadPiece();
    controller.update();
    controller.addLoadPiece();
    controller.addLoadPiece();
    controller.completeLoadPiece(); // a late reply of the first pass
    EXPECT_EQ(controller.loadPercentCompleted(), 50);
}

TEST(WeatherController, IndexOfLocationComparesObjects)
{
    OVWeatherController controller;
    const auto first = std::make_shared<OVWeatherLocation>();
    const auto second = std::make_shared<OVWeatherLocation>();
    const auto twin = std::make_shared<OVWeatherLocation>();
    controller.setWeatherLocations({first, second});
    EXPECT_EQ(controller.indexOfLocation(second), 1);
    EXPECT_EQ(controller.indexOfLocation(twin), OVNotFound);
    EXPECT_EQ(controller.weatherLocations().size(), 2);
}
