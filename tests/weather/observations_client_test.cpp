// The observation client end to end: form POSTs to the fixture server, replies in the service's
// JSON format, rows checked with the sqlite3 shell, and the location's history read back.
#include "ObservationTestSupport.h"
#include "core/OVReloadNotifications.h"
#include "core/remote/OVURLManager.h"
#include "platform/OVUserDefaults.h"
#include "support/FakeClock.h"
#include "support/FixtureHttpServer.h"
#include "support/TestHelpers.h"
#include "weather/OVBrisantObservationsBroker.h"
#include "weather/OVObservationStationDB.h"
#include "weather/OVObservationsDB.h"
#include "weather/OVWeatherController.h"
#include "weather/OVWeatherLocation.h"

#include <QDir>
#include <QTemporaryDir>

using namespace ObservationTest;
using Broker = OVBrisantObservationsBroker;

namespace {

const QString Key = QStringLiteral("Wq4Ne8Rt2Yb6Um0Io3Pa7Sd5Fg9Hj1Kl");

std::shared_ptr<OVWeatherLocation> place(double lat, double lon, const char *zone, const char *icao)
{
    auto location = std::make_shared<OVWeatherLocation>();
    location->setLatitude(lat, lon);
    location->setLocationTimeZoneName(QString::fromLatin1(zone));
    location->setIcao(QString::fromLatin1(icao));
    return location;
}

class ObservationsClient : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(server.start());
        server.serveFile(Broker::EndpointPath, testDataPath("weather/observations/two_locations.json"),
                         "application/json");
        defaults.setObject(server.baseUrl(), Broker::ServerURLKey);
        defaults.setObject(Key, Broker::ServerKeyKey);
        locations = {place(45.52, -122.68, "America/Los_Angeles", "KPDX"),
                     place(51.51, -0.13, "Europe/London", "EGLL")};
        client.setLocationSource([this] { return locations; });
    }

    QString stationFile(const QString &code) const { return folder + "/" + code + ".db"; }

    // Runs one update pass through the controller and waits until its reply was handled.
    void updatePass(bool expectDisplay = true)
    {
        NotificationWaiter shown(OVNotifyICAONeedsDisplay);
        controller.update();
        ASSERT_TRUE(waitUntil([&] { return controller.completedLoadPieces() == controller.loadPieces(); }));
        if (expectDisplay)
            ASSERT_TRUE(shown.wait(5000).has_value());
        else
            waitUntil([] { return false; }, 300); // time for anything that would follow
    }

    QTemporaryDir dir;
    QString folder = dir.filePath("Observations");
    FakeClock clock{utc(2024, 1, 2, 16, 0, 0)};
    FixtureHttpServer server;
    OVUserDefaults defaults{dir.filePath("defaults.conf")};
    OVObservationsDB db{folder, clock, &defaults};
    OVWeatherController controller;
    OVURLManager manager;
    Broker client{Broker::Services{&db, &controller, &manager, &defaults, &clock}};
    OVWeatherLocationList locations;
};

} // namespace

TEST_F(ObservationsClient, OnePassSendsOneFormAndStoresEachStationsBatch)
{
    client.setLastUpdated(utc(2024, 1, 2, 15, 30, 45));
    NotificationWaiter shown(OVNotifyICAONeedsDisplay, QVariant::fromValue(&client));
    updatePass();

    ASSERT_EQ(server.requestCount(Broker::EndpointPath), 1);
    const FixtureRequest request = server.requests().first();
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.body, "key=" + Key.toLatin1()
                                + "&datatypes=OBSERVATIONS&output=JSON&starttime=20240102093045"
                                  "&locations=45.52,-122.68,-480,ICAO,KPDX|51.51,-0.13,0,ICAO,EGLL");
    EXPECT_EQ(client.lastUpdated(), clock.now());

    EXPECT_EQ(shell(stationFile("KPDX"),
                    "SELECT entry_date, typeof(entry_date), quote(round(temperature_c, 2)), "
                    "round(dewpoint_c, 2), quote(wind_speed_knots), pressure_hpa, sky_cover, "
                    "precipitation_intensity, precipitation_type, obscuration_type, "
                    "other_phenomena_type FROM icao_history ORDER BY entry_date;",
                    true)
                  .toStdString(),
              "20240102135345|integer|NULL|-2.22|NULL|1013.1|OVC020||||\n"
              "20240102145345|integer|7.22|3.89|8.0|1012.5|FEW030 BKN250|-|RA|BR|SQ");
    EXPECT_EQ(shell(stationFile("EGLL"), "SELECT count(*) FROM icao_history;", true), "2");
    EXPECT_EQ(QDir(folder).entryList({"*.db"}), QStringList({"EGLL.db", "KPDX.db"}));

    // The second location had no echoed key: it is filed under its reported coordinates.
    EXPECT_EQ(client.observationsForKey("51.51,-0.13,-300").size(), 2);
    EXPECT_EQ(client.stationMetaForKey("51.51,-0.13,-300").value("Station ID"), "EGLL");
    const auto portland = client.observationsForKey("45.52,-122.68,-480,ICAO,KPDX");
    ASSERT_EQ(portland.size(), 2);
    EXPECT_EQ(portland.first().date(), utc(2024, 1, 2, 14, 53, 45)); // newest first

    ASSERT_EQ(OVObservationsDB::sharedDatabase(), &db);
    const auto history = locations[0]->getDataFrom(utc(2024, 1, 2), utc(2024, 1, 2, 23));
    ASSERT_EQ(history.size(), 2);
    EXPECT_EQ(history[0].date(), utc(2024, 1, 2, 13, 53, 45));
    EXPECT_EQ(history[0].temperatureC(), -1000);
    EXPECT_EQ(history[0].windSpeedKnots(), -1000);
    EXPECT_NEAR(history[0].dewpointC(), -2.22, 0.005);
    EXPECT_NEAR(history[1].temperatureC(), 7.22, 0.005);
    EXPECT_EQ(history[1].precipitationType(), "RA");
    EXPECT_EQ(locations[0]->getDataForLastDays(1, clock).size(), 2);

    OVObservationsDB restarted(folder, clock, &defaults);
    QFile::remove(stationFile("KPDX"));
    const auto current = restarted.latestConditionsForICAO("KPDX");
    ASSERT_TRUE(current);
    EXPECT_EQ(current->date(), utc(2024, 1, 2, 14, 53, 45));
    EXPECT_NEAR(current->temperatureC(), 7.22, 0.005);

    EXPECT_EQ(controller.loadPieces(), 1);
    EXPECT_EQ(controller.loadPercentCompleted(), 100);
    waitUntil([] { return false; }, 200);
    EXPECT_EQ(shown.count(), 1);
}

TEST_F(ObservationsClient, FormCarriesAStartTimeOnlyForSeveralLocationsWithValidCoordinates)
{
    struct Case
    {
        const char *name;
        OVWeatherLocationList list;
        const char *locationsPart;
    };
    const auto pdx = locations[0];
    const auto offMap = place(91, 10, "UTC", "XXXX");
    const Case cases[] = {
        {"one location", {pdx}, "locations=45.52,-122.68,-480,ICAO,KPDX"},
        {"latitude 91 left out", {offMap, pdx}, "locations=45.52,-122.68,-480,ICAO,KPDX"},
        {"two locations", {pdx, locations[1]},
         "starttime=20240102093045&locations=45.52,-122.68,-480,ICAO,KPDX|51.51,-0.13,0,ICAO,EGLL"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        server.clearRequests();
        client.setLastUpdated(utc(2024, 1, 2, 15, 30, 45));
        NotificationWaiter shown(OVNotifyICAONeedsDisplay);
        client.updateLocations(c.list);
        ASSERT_TRUE(shown.wait(5000).has_value());
        ASSERT_EQ(server.requestCount(), 1);
        EXPECT_EQ(QString::fromLatin1(server.requests().first().body),
                  "key=" + Key + "&datatypes=OBSERVATIONS&output=JSON&" + c.locationsPart);
    }

    server.clearRequests();
    client.updateLocations({offMap});
    EXPECT_EQ(client.lastUpdated(), clock.now());
    waitUntil([] { return false; }, 200);
    EXPECT_EQ(server.requestCount(), 0);
}

TEST_F(ObservationsClient, AReplyServedTwiceStoresEachObservationOnce)
{
    updatePass();
    updatePass();
    EXPECT_EQ(shell(stationFile("KPDX"), "SELECT count(*) FROM icao_history;", true), "2");
    EXPECT_EQ(shell(stationFile("EGLL"), "SELECT count(*) FROM icao_history;", true), "2");
    EXPECT_EQ(shell(stationFile("KPDX"), "SELECT new_records_since_vacuum FROM db_status;", true), "4");
    EXPECT_EQ(controller.loadPercentCompleted(), 100);
}

TEST_F(ObservationsClient, FailedOrMalformedRepliesChangeNothingAndCompleteThePiece)
{
    updatePass();
    const QByteArray portland = readFile(stationFile("KPDX"));
    const QVariant current = defaults.objectForKey(OVObservationsDB::CurrentConditionsKey);

    struct Case
    {
        const char *name;
        FixtureResponse response;
    };
    const Case cases[] = {
        {"HTTP 500", FixtureResponse::error(500)},
        {"not JSON", FixtureResponse::text("{", "application/json")},
        {"top-level array", FixtureResponse::text("[{\"Locations\": []}]", "application/json")},
        {"no Locations", FixtureResponse::text("{\"Status\": \"OK\"}", "application/json")},
        {"Locations not an array", FixtureResponse::text("{\"Locations\": {}}", "application/json")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        server.serve(Broker::EndpointPath, c.response);
        NotificationWaiter shown(OVNotifyICAONeedsDisplay);
        updatePass(false);
        EXPECT_EQ(controller.loadPieces(), 1);
        EXPECT_EQ(controller.loadPercentCompleted(), 100);
        EXPECT_EQ(shown.count(), 0);
        EXPECT_EQ(readFile(stationFile("KPDX")), portland);
        EXPECT_EQ(defaults.objectForKey(OVObservationsDB::CurrentConditionsKey), current);
    }
}

TEST_F(ObservationsClient, RefusedStationCodesStoreNothingAnywhere)
{
    server.serve(Broker::EndpointPath,
                 FixtureResponse::text(R"({"Locations": [
        {"Original Query String": "a", "Station": {"Station ID": ""},
         "Observations": [{"Time": "20240102150000", "Temperature F": 40}]},
        {"Original Query String": "b", "Station": {"Station ID": "../evil"},
         "Observations": [{"Time": "20240102150000", "Temperature F": 41}]}]})",
                                       "application/json"));
    LogCapture log;
    updatePass();
    EXPECT_TRUE(log.contains("Refusing station code '../evil'"));
    // Only the file the location source's first read opened, and it holds nothing.
    EXPECT_EQ(QDir(folder).entryList({"*.db"}), QStringList({"KPDX.db"}));
    EXPECT_EQ(shell(stationFile("KPDX"), "SELECT count(*) FROM icao_history;", true), "0");
    EXPECT_TRUE(QDir(dir.path()).entryList({"*.db"}).isEmpty());
    EXPECT_FALSE(defaults.objectForKey(OVObservationsDB::CurrentConditionsKey).isValid());
    EXPECT_EQ(client.observationsForKey("b").size(), 1); // the reply itself was read
}

TEST_F(ObservationsClient, WithoutAServerNothingIsSentAndOneLineIsLogged)
{
    defaults.setObject(QString(), Broker::ServerURLKey);
    LogCapture log;
    client.update();
    clock.advance(60);
    client.update();
    EXPECT_EQ(client.lastUpdated(), clock.now());
    EXPECT_EQ(controller.loadPieces(), 0);
    EXPECT_EQ(log.lines().filter("No observation server is configured").size(), 1);
    waitUntil([] { return false; }, 200);
    EXPECT_EQ(server.requestCount(), 0);
}

TEST_F(ObservationsClient, ARefreshWhileARequestIsInFlightJoinsIt)
{
    const auto gate = std::make_shared<FixtureGate>();
    server.route("POST", Broker::EndpointPath, [gate](const FixtureRequest &) {
        FixtureResponse reply =
            FixtureResponse::file(testDataPath("weather/observations/two_locations.json"), "application/json");
        reply.gate = gate;
        return reply;
    });
    NotificationWaiter results(OVNotifyUpdateResult);
    for (int i = 0; i < 5; ++i)
        controller.update();
    client.updateLocations({locations[1]}); // covered by the request in flight
    const auto boston = place(42.36, -71.01, "America/New_York", "KBOS");
    client.updateLocations({boston}); // not covered: asked for once the first has ended
    ASSERT_TRUE(waitUntil([&] { return server.requestCount() == 1; }));
    waitUntil([] { return false; }, 300);
    EXPECT_EQ(server.requestCount(), 1);

    gate->open();
    ASSERT_TRUE(results.wait(5000).has_value());
    EXPECT_EQ(results.received().first().userInfo.value(OVUpdateResultServiceKey), "Observations");
    EXPECT_FALSE(results.received().first().userInfo.contains(OVUpdateResultErrorKey));
    ASSERT_TRUE(waitUntil([&] { return server.requestCount() == 2; }));
    EXPECT_TRUE(server.requests().at(1).body.endsWith("locations=42.36,-71.01,-300,ICAO,KBOS"))
        << server.requests().at(1).body.toStdString();
}

TEST_F(ObservationsClient, AFailedRequestIsReportedWithItsService)
{
    server.serve(Broker::EndpointPath, FixtureResponse::error(500));
    NotificationWaiter results(OVNotifyUpdateResult);
    controller.update();
    const auto result = results.wait(5000);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->userInfo.value(OVUpdateResultServiceKey), "Observations");
    EXPECT_EQ(result->userInfo.value(OVUpdateResultErrorKey), "HTTP status 500");
}

// Report times the station file cannot hold, or that name no real day, are refused one by one
// with a log line: the rows stored before stay, the oldest date stays readable, and the day
// buckets of a restarted program still cover every day.
TEST_F(ObservationsClient, ReportsWithTimesOutsideTheStorableRangeAreRefusedAndTheHistoryStaysWhole)
{
    const auto reply = [](const QStringList &times) {
        QStringList observations;
        for (qsizetype i = 0; i < times.size(); ++i)
            observations << QStringLiteral(R"({"Time": "%1", "Temperature F": %2, "Pressure MB": %3})")
                                .arg(times[i])
                                .arg(40 + i)
                                .arg(i == 0 ? QStringLiteral("1e15") : QStringLiteral("1010"));
        return FixtureResponse::text(QStringLiteral(R"({"Locations": [{"Original Query String": "q",
            "Station": {"Station ID": "KPDX"}, "Observations": [%1]}]})")
                                         .arg(observations.join(','))
                                         .toUtf8(),
                                     "application/json");
    };
    server.serve(Broker::EndpointPath, reply({"20240101120000", "20240102120000"}));
    updatePass();

    const char *refused[] = {"21240102153045", "18500102153045", "99990102153045", "20240230120000"};
    QStringList times{"20240103120000"};
    for (const char *time : refused)
        times << QString::fromLatin1(time);
    server.serve(Broker::EndpointPath, reply(times));
    LogCapture log;
    updatePass();
    for (const char *time : refused) {
        SCOPED_TRACE(time);
        EXPECT_TRUE(log.contains(QStringLiteral("Refusing an observation whose time '%1'").arg(time)));
    }
    EXPECT_EQ(shell(stationFile("KPDX"), "SELECT group_concat(entry_date) FROM icao_history ORDER BY entry_date;", true),
              "20240101120000,20240102120000,20240103120000");
    EXPECT_EQ(db.earliestObservationForICAO("KPDX"), utc(2024, 1, 1, 12));
    EXPECT_EQ(db.latestConditionsForICAO("KPDX")->date(), utc(2024, 1, 3, 12));
    // A pressure beyond any int in the newest report: its debugging text is still well defined.
    EXPECT_TRUE(db.latestConditionsForICAO("KPDX")->description().contains("Pr[2147483647mb]"));

    OVObservationsDB restarted(folder, clock, &defaults);
    const QTimeZone zone("America/Los_Angeles");
    EXPECT_EQ(restarted.condensedMaxWeatherConditionsForICAO("KPDX", utc(2023, 12, 31), utc(2024, 1, 5), zone).size(), 3);
    // Bounds beyond the storable years still select every row between them.
    const QDateTime first(QDate(1, 1, 1), QTime(0, 0), QTimeZone::utc());
    const QDateTime last(QDate(9999, 12, 31), QTime(0, 0), QTimeZone::utc());
    EXPECT_EQ(restarted.databaseForICAO("KPDX")->weatherConditionsWithStartDate(first, last).size(), 3);
    EXPECT_TRUE(restarted.minConditionsForICAO("KPDX", first, last).has_value());
}
