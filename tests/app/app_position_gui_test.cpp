// The machine's position at a launch without saved locations: a recorded NMEA position through
// Qt's nmea plugin adds the nearest fixture place; no source, a source that fails, or a
// position no place is known for opens the add panel and leaves the list empty.
#include "AppControllerFixture.h"

#include <QGeoPositionInfoSource>

namespace {

class PositionTest : public AppControllerTest
{
protected:
    void launchWithPosition(std::function<QGeoPositionInfoSource *(QObject *)> source,
                            std::function<std::shared_ptr<OVLocationDB>()> database = nullptr)
    {
        NBControllerEnvironment environment = env.make();
        environment.positionSource = std::move(source);
        if (database)
            environment.locationDatabase = std::move(database);
        controller = std::make_unique<NBController>(std::move(environment));
        controller->awakeFromNib();
        QObject::connect(controller->locationController(), &NBLocationController::addPanelRequested,
                         [this] { ++addPanelRequests; });
        controller->applicationDidFinishLaunching();
    }

    static QGeoPositionInfoSource *recordedPosition(QObject *parent)
    {
        return QGeoPositionInfoSource::createSource(
            QStringLiteral("nmea"), {{QStringLiteral("nmea.source"), testDataPath(QStringLiteral("app/position.nmea"))}}, parent);
    }

    int addPanelRequests = 0;
};

} // namespace

TEST_F(PositionTest, ARecordedPositionAddsTheNearestPlace)
{
    ASSERT_TRUE(QGeoPositionInfoSource::availableSources().contains(QStringLiteral("nmea"))) << "Qt's nmea position plugin is needed";
    launchWithPosition(&PositionTest::recordedPosition);
    ASSERT_TRUE(waitUntil([&] { return !controller->monitoredLocations().isEmpty(); }, 10000));
    EXPECT_EQ(cities(), QStringList{QStringLiteral("Portland")});
    EXPECT_EQ(controller->monitoredLocations().first()->icao(), QStringLiteral("KPDX"));
    EXPECT_EQ(OVWeatherController::sharedWeatherController().currentLocation(), controller->monitoredLocations().first());
    EXPECT_EQ(addPanelRequests, 0);
}

TEST_F(PositionTest, NoSourceOpensTheAddPanel)
{
    launchWithPosition([](QObject *) { return nullptr; });
    EXPECT_EQ(addPanelRequests, 1);
    EXPECT_TRUE(controller->monitoredLocations().isEmpty());
}

TEST_F(PositionTest, APositionWithoutAPlaceOpensTheAddPanel)
{
    launchWithPosition(&PositionTest::recordedPosition,
                       [] { return OVLocationDB::initWithDatabasePath(QStringLiteral("/nonexistent/location.db")); });
    ASSERT_TRUE(waitUntil([&] { return addPanelRequests > 0; }, 10000));
    EXPECT_EQ(addPanelRequests, 1);
    EXPECT_TRUE(controller->monitoredLocations().isEmpty());
}

TEST_F(PositionTest, ASourceThatCannotReadOpensTheAddPanel)
{
    launchWithPosition([](QObject *parent) {
        return QGeoPositionInfoSource::createSource(
            QStringLiteral("nmea"), {{QStringLiteral("nmea.source"), QStringLiteral("/nonexistent/position.nmea")}}, parent);
    });
    ASSERT_TRUE(waitUntil([&] { return addPanelRequests > 0; }, 10000));
    EXPECT_TRUE(controller->monitoredLocations().isEmpty());
}
