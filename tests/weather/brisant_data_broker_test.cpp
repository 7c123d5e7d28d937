// The forecast data service client against a real HTTPS server on the loopback interface:
// request bodies, the line-format reply, the section cache, malformed replies, overlapping
// requests and failed loads.
#include "core/NBRegisteredDefaults.h"
#include "core/OVReloadNotifications.h"
#include "platform/OVLog.h"
#include "platform/OVPropertyList.h"
#include "platform/OVUserDefaults.h"
#include "support/FakeClock.h"
#include "support/FixtureHttpServer.h"
#include "support/TestHelpers.h"
#include "weather/OVBrisantDataBroker.h"
#include "weather/OVBrisantReplyParser.h"
#include "weather/OVForecastPeriod.h"
#include "weather/OVWeatherLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kPath = QStringLiteral("/cgi-bin/data_broker.cgi");
const QString kSanJose = QStringLiteral("37.32,-122.03,-420");
const QString kLondon = QStringLiteral("51.50,-0.12,0");

QByteArray fixture(const QString &name)
{
    QFile file(testDataPath(QStringLiteral("weather/brisant/") + name));
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

std::shared_ptr<OVWeatherLocation> place(double latitude, double longitude,
                                         const QString &zone = QString(),
                                         const QString &icao = QString())
{
    auto location = std::make_shared<OVWeatherLocation>();
    location->setLatitude(latitude, longitude);
    location->setLocationTimeZoneName(zone);
    location->setIcao(icao);
    return location;
}

QDateTime utc(int year, int month, int day, int hour)
{
    return QDateTime(QDate(year, month, day), QTime(hour, 0), Qt::UTC);
}

class BrisantDataBrokerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.start()) << server.errorString().toStdString();
        QSslConfiguration trusting = QSslConfiguration::defaultConfiguration();
        trusting.addCaCertificates(QSslCertificate::fromData(server.certificatePem()));
        QSslConfiguration::setDefaultConfiguration(trusting);

        OVUserDefaults &defaults = OVUserDefaults::standard();
        defaults.registerDefaults(NBRegisteredDefaults::table());
        defaults.setObject(server.baseUrl(), NBSettingKey::brisantDataServerURL);
        broker = std::make_unique<OVBrisantDataBroker>(clock);
        broker->setSaveFilePath(cacheDir.filePath(QStringLiteral("BrisantCache.plist")));
        broker->setLocationSource(&controller);
    }

    void TearDown() override
    {
        broker.reset();
        OVUserDefaults::standard().removeObject(NBSettingKey::brisantDataServerURL);
    }

    // Sends an update pass for the controller's locations and waits for its reply.
    void updateWith(const QByteArray &reply)
    {
        server.serve(kPath, FixtureResponse::text(reply));
        NotificationWaiter loaded(OVNotifyForecastNeedsDisplay);
        controller.update();
        ASSERT_TRUE(loaded.wait(10000));
    }

    FakeClock clock{utc(2024, 1, 5, 12)};
    FixtureHttpServer server{FixtureHttpServer::Mode::Tls};
    QTemporaryDir cacheDir;
    OVWeatherController controller;
    std::unique_ptr<OVBrisantDataBroker> broker;
};

} // namespace

TEST_F(BrisantDataBrokerTest, PostsTheFormOfLocationsAndOfSections)
{
    clock.set(utc(2024, 7, 1, 12)); // San José on daylight time: -420 minutes
    server.serve(kPath, FixtureResponse::text(""));
    controller.setWeatherLocations({place(37.323, -122.032, "America/Los_Angeles", "KSJC"),
                                    place(51.50, -0.12), place(91.0, 10.0)});
    NotificationWaiter loaded(OVNotifyForecastNeedsDisplay);
    LogCapture log;
    OVSetDebugLoggingEnabled(1);
    controller.update();
    OVSetDebugLoggingEnabled(0);
    ASSERT_TRUE(loaded.wait(10000)); // while it is in flight a section request would join it
    broker->updateSections({OVBrisantSection::surfaceAnalysis});
    ASSERT_TRUE(waitUntil([&] { return server.requestCount(kPath) == 2; }, 10000));

    // The two requests travel on connections of their own, so they may arrive in either order.
    QStringList bodies;
    for (const FixtureRequest &request : server.requests()) {
        EXPECT_EQ(request.method, "POST");
        EXPECT_EQ(request.headers.value("content-type"), "application/x-www-form-urlencoded");
        bodies.append(QString::fromLatin1(request.body));
    }
    bodies.sort();
    EXPECT_EQ(bodies, (QStringList{
                          "key=Wq4Ne8Rt2Yb6Um0Io3Pa7Sd5Fg9Hj1Kl&datatypes=DAILY_FORECAST,"
                          "HOURLY_FORECAST,SURFACE_ANALYSIS&locations=37.32,-122.03,-420,ICAO,"
                          "KSJC|51.50,-0.12,0",
                          "key=Wq4Ne8Rt2Yb6Um0Io3Pa7Sd5Fg9Hj1Kl&datatypes=SURFACE_ANALYSIS"}));
    // The debug line shows the form with the access key masked.
    EXPECT_TRUE(log.contains("POST")) << log.lines().join('\n').toStdString();
    EXPECT_TRUE(log.contains("key=***&datatypes=DAILY_FORECAST"));
    EXPECT_FALSE(log.contains("Wq4Ne8Rt2Yb6Um0Io3Pa7Sd5Fg9Hj1Kl"));
}

TEST_F(BrisantDataBrokerTest, StoresEveryDatasetOfAReplyAndReadsItBackFromTheCacheFile)
{
    QStringList posted;
    OVNotificationCenter::defaultCenter().addObserver(this, QString(), [&](const OVNotification &n) {
        if (n.object.value<OVBrisantDataBroker *>() == broker.get())
            posted.append(n.name);
    });
    updateWith(fixture("two_locations.txt"));
    OVNotificationCenter::defaultCenter().removeObserver(this);
    EXPECT_EQ(posted, (QStringList{OVEnvironmentNotifyForecastLoaded,
                                   OVEnvironmentNotifySurfaceAnalysisLoaded,
                                   OVNotifyForecastNeedsDisplay}));

    const QVariant hourly = broker->dataArrayForSection(kSanJose + ",ICAO,KSJC",
                                                        OVBrisantSection::hourlyForecast);
    ASSERT_EQ(hourly.toList().size(), 2);
    const QVariantMap noon = hourly.toList().at(0).toMap();
    EXPECT_EQ(noon.value("date").toDateTime(), utc(2024, 1, 5, 12));
    EXPECT_EQ(noon.value("endDate").toDateTime(), utc(2024, 1, 5, 12));
    EXPECT_EQ(noon.value("startDate").toDateTime(), utc(2024, 1, 5, 9));
    for (const char *key : {"temp", "maxt", "mint", "hourlyt"})
        EXPECT_EQ(noon.value(key).toString(), "52") << key;
    EXPECT_EQ(noon.value("windSpeed").toString(), "6");
    EXPECT_EQ(noon.value("Time").toString(), "2024-01-05 12:00:00");
    EXPECT_EQ(noon.value("image").toString(), "skc");

    const QVariantList daily =
        broker->dataArrayForSection(kSanJose, OVBrisantSection::dailyForecast).toList();
    ASSERT_EQ(daily.size(), 2);
    EXPECT_EQ(daily.at(0).toMap().value("fullDesc").toString(),
              QString::fromUtf8("Sunny, with a high near 58°F."));
    EXPECT_EQ(daily.at(0).toMap().value("endDate").toDateTime(), utc(2024, 1, 6, 2));
    EXPECT_EQ(broker->dataArrayForSection(kLondon, OVBrisantSection::hourlyForecast).toList().size(), 2);
    EXPECT_EQ(broker->lastUpdatedForSection(kLondon), clock.now());

    const QStringList bulletin{"HIGHS 1030 4512 1028 35120", "COLD 4512 4613", "4714 4815", "",
                               "STNRY WK 4512 4613"};
    EXPECT_EQ(broker->surfaceAnalysis(), bulletin);

    OVBrisantDataBroker reloaded(clock);
    reloaded.setSaveFilePath(broker->saveFilePath());
    reloaded.loadFromPrefs();
    EXPECT_EQ(reloaded.content(), broker->content());
    EXPECT_EQ(reloaded.surfaceAnalysis(), bulletin);
}

TEST_F(BrisantDataBrokerTest, MalformedRepliesLogTheFaultAndKeepTheRest)
{
    struct Case
    {
        const char *name;
        QByteArray reply;
        const char *logged;
        QStringList sectionsKept;
        qsizetype hourlyRowsOfLondon;
    };
    const QByteArray london = "##LOCATION\t51.50\t-0.12\t0\n##DATASET\tHOURLY_FORECAST\n"
                              "Time\tTemperature F\n2024-01-05 12:00:00\t45\n"
                              "2024-01-05 15:00:00\t44\n##/DATASET\n##/LOCATION\n";
    const QByteArray sanJoseOpen = "##LOCATION\t37.323\t-122.032\t-420\n"
                                   "##DATASET\tDAILY_FORECAST\nTime\tTemperature F\n"
                                   "2024-01-05 12:00:00\t52\n##/DATASET\n"
                                   "##DATASET\tHOURLY_FORECAST\nTime\tTemperature F\n";
    const Case cases[] = {
        {"nested location", sanJoseOpen + london,
         "OVBrisantBroker parse warning:  Starting a new location while still working on a "
         "dataset.  In-progress dataset will be skipped.",
         {kLondon}, 2},
        {"dataset end without a dataset",
         "##LOCATION\t51.50\t-0.12\t0\n##/DATASET\n" + london.mid(london.indexOf("##DATASET")),
         "OVBrisantBroker parse error:  Ending a dataset that was never started.", {kLondon}, 2},
        {"short row",
         QByteArray(london).replace("2024-01-05 15:00:00\t44\n", "2024-01-05 15:00:00\n"),
         "OVBrisantBroker parse error:  Line columns doesn't match key count.", {kLondon}, 1},
        {"missing location end",
         london + QByteArray(sanJoseOpen).replace("##DATASET\tHOURLY_FORECAST\nTime\tTemperature F\n", "")
             + "##SURFACE_ANALYSIS\n##DATASET\tLATEST\nCOLD 4512 4613\n##/DATASET\n##/SURFACE_ANALYSIS\n",
         "OVBrisantBroker parse warning:  Starting surface analysis without ending an old section.",
         {kLondon, OVBrisantSection::surfaceAnalysis}, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        OVBrisantDataBroker fresh(clock);
        fresh.setSaveFilePath(cacheDir.filePath(QString::fromLatin1(c.name) + ".plist"));
        LogCapture log;
        fresh.updatePostProcessing(QString::fromUtf8(c.reply));
        EXPECT_TRUE(log.contains(QString::fromLatin1(c.logged))) << log.lines().join('\n').toStdString();
        // The unclosed San José section never got its time, so the save pruned it.
        EXPECT_EQ(fresh.content().keys(), c.sectionsKept);
        EXPECT_EQ(fresh.dataArrayForSection(kLondon, OVBrisantSection::hourlyForecast).toList().size(),
                  c.hourlyRowsOfLondon);
    }
}

TEST_F(BrisantDataBrokerTest, OverlappingRequestsEachKeepTheirOwnReply)
{
    const QByteArray full = fixture("two_locations.txt");
    const qsizetype split = full.indexOf("##LOCATION\t51.50");
    const QByteArray sanJose = full.left(split);
    const QByteArray london = full.mid(split);
    clock.set(utc(2024, 7, 1, 12)); // San José on daylight time: -420 minutes
    server.route("POST", kPath, [&](const FixtureRequest &request) {
        FixtureResponse response = FixtureResponse::text(
            request.body.contains("37.32,-122.03") ? sanJose : london);
        if (request.body.contains("37.32,-122.03"))
            response.delayMs = 700;
        response.chunked = true;
        return response;
    });
    NotificationWaiter loaded(OVNotifyForecastNeedsDisplay);
    broker->updateLocations({place(37.323, -122.032, "America/Los_Angeles")});
    broker->updateLocations({place(51.50, -0.12)});
    ASSERT_TRUE(waitUntil([&] { return loaded.count() == 2; }, 10000));

    const QVariantList first = broker->dataArrayForSection(kSanJose, OVBrisantSection::hourlyForecast).toList();
    const QVariantList second = broker->dataArrayForSection(kLondon, OVBrisantSection::hourlyForecast).toList();
    ASSERT_EQ(first.size(), 2);
    ASSERT_EQ(second.size(), 2);
    EXPECT_EQ(first.at(1).toMap().value("hourlyt").toString(), "57");
    EXPECT_EQ(second.at(1).toMap().value("hourlyt").toString(), "44");
    EXPECT_EQ(broker->surfaceAnalysis().size(), 5);
    EXPECT_TRUE(broker->sectionsLoading().isEmpty());
}

TEST_F(BrisantDataBrokerTest, AFailedLoadChangesNothingAndPostsNothing)
{
    broker->updatePostProcessing(QString::fromUtf8(fixture("two_locations.txt")));
    const QVariantMap before = broker->content();
    FixtureHttpServer untrusted(FixtureHttpServer::Mode::Tls);
    ASSERT_TRUE(untrusted.start());
    untrusted.serve(kPath, FixtureResponse::text(fixture("two_locations.txt")));
    FixtureResponse dropped = FixtureResponse::text(fixture("two_locations.txt"));
    dropped.dropAfterBytes = 200;

    struct Case
    {
        const char *name;
        FixtureResponse response;
        QString serverUrl;
    };
    const Case cases[] = {
        {"server error", FixtureResponse::error(500), server.baseUrl()},
        {"dropped connection", dropped, server.baseUrl()},
        {"untrusted certificate", FixtureResponse::text(""), untrusted.baseUrl()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        server.serve(kPath, c.response);
        OVUserDefaults::standard().setObject(c.serverUrl, NBSettingKey::brisantDataServerURL);
        NotificationWaiter posted(OVNotifyForecastNeedsDisplay);
        NotificationWaiter surface(OVEnvironmentNotifySurfaceAnalysisLoaded);
        LogCapture log;
        broker->forceUpdateWeather();
        ASSERT_TRUE(waitUntil([&] { return log.contains("Failed to load international forecasts: "); },
                              10000));
        EXPECT_EQ(posted.count(), 0);
        EXPECT_EQ(surface.count(), 0);
        EXPECT_EQ(broker->content(), before);
    }
}

TEST_F(BrisantDataBrokerTest, StaleReadsAskForTheirLocationOnceAndAnEmptyHostSendsNothing)
{
    NotificationWaiter loaded(OVNotifyForecastNeedsDisplay);
    server.serve(kPath, FixtureResponse::text(fixture("two_locations.txt")));
    const auto london = place(51.50, -0.12);
    EXPECT_TRUE(broker->hourlyForecastForLocation(*london).isEmpty());
    EXPECT_TRUE(broker->hourlyForecastForLocation(*london).isEmpty()); // already loading
    ASSERT_TRUE(loaded.wait(10000));
    EXPECT_EQ(broker->hourlyForecastForLocation(*london).size(), 2);
    clock.advance(7200);
    broker->hourlyForecastForLocation(*london);
    ASSERT_TRUE(loaded.wait(10000));
    ASSERT_EQ(server.requestCount(kPath), 2);
    EXPECT_TRUE(server.requests().at(0).body.endsWith("&locations=51.50,-0.12,0"));

    OVUserDefaults::standard().setObject(QString(), NBSettingKey::brisantDataServerURL);
    LogCapture log;
    broker->forceUpdateWeather();
    broker->forceUpdateWeather();
    EXPECT_EQ(log.lines().filter("OVBrisantDataServerURL").size(), 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(server.requestCount(kPath), 2);
}

TEST(BrisantReplyParser, DecodesUtf8AndFallsBackToLatin1)
{
    EXPECT_EQ(OVBrisantReplyParser::decode("58\xc2\xb0"), QString::fromUtf8("58°"));
    EXPECT_EQ(OVBrisantReplyParser::decode("58\xb0"), QString::fromUtf8("58°"));
}

TEST_F(BrisantDataBrokerTest, AReplyIsFiledUnderTheKeyItWasAskedForAndAskedForAgainWhenStale)
{
    const QString londonWithStation = kLondon + QStringLiteral(",ICAO,EGLL");
    const auto london = place(51.50, -0.12, QString(), QStringLiteral("EGLL"));
    ASSERT_EQ(london->brisantDescription(clock), londonWithStation);
    controller.setWeatherLocations({london});
    updateWith(fixture("two_locations.txt"));

    EXPECT_EQ(broker->lastUpdatedForSection(londonWithStation), clock.now());
    EXPECT_EQ(broker->dataArrayForSection(londonWithStation, OVBrisantSection::hourlyForecast).toList().size(), 2);
    EXPECT_FALSE(broker->sectionsLoading().contains(londonWithStation));

    // One update interval later a read of the place asks for it again.
    clock.advance(7200);
    NotificationWaiter loaded(OVNotifyForecastNeedsDisplay);
    broker->hourlyForecastForLocation(*london);
    ASSERT_TRUE(loaded.wait(10000));
    ASSERT_EQ(server.requestCount(kPath), 2);
    EXPECT_TRUE(server.requests().at(1).body.endsWith("&locations=" + londonWithStation.toLatin1()));
}

TEST_F(BrisantDataBrokerTest, ARefreshWhileAPassIsInFlightJoinsIt)
{
    const auto gate = std::make_shared<FixtureGate>();
    server.route("POST", kPath, [gate](const FixtureRequest &) {
        FixtureResponse response = FixtureResponse::text(fixture("two_locations.txt"));
        response.gate = gate;
        return response;
    });
    controller.setWeatherLocations({place(51.50, -0.12)});
    NotificationWaiter results(OVNotifyUpdateResult);
    for (int i = 0; i < 5; ++i)
        controller.update();
    broker->checkIfNeedLoadSection(OVBrisantSection::surfaceAnalysis);
    ASSERT_TRUE(waitUntil([&] { return server.requestCount(kPath) == 1; }, 10000));
    waitUntil([] { return false; }, 300);
    EXPECT_EQ(server.requestCount(kPath), 1);

    gate->open();
    ASSERT_TRUE(results.wait(10000));
    EXPECT_FALSE(results.received().first().userInfo.contains(OVUpdateResultErrorKey));
    EXPECT_TRUE(broker->sectionsLoading().isEmpty());
    // After the pass has ended a forced reload starts a new one.
    controller.update();
    ASSERT_TRUE(waitUntil([&] { return server.requestCount(kPath) == 2; }, 10000));
}

TEST_F(BrisantDataBrokerTest, SavingPrunesSectionsOlderThanSevenDays)
{
    struct Case
    {
        const char *name;
        qint64 ageSeconds;
        bool kept;
    };
    const Case cases[] = {{"an hour", 3600, true}, {"7 days", 604800, true}, {"7 days + 1 s", 604801, false}};
    for (const Case &c : cases)
        broker->setLastUpdated(clock.now().addSecs(-c.ageSeconds), QString::fromLatin1(c.name));
    broker->saveToPrefs();
    const QVariantMap content = broker->content();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(content.contains(QString::fromLatin1(c.name)), c.kept);
    }
}

// A cache file damaged by a power cut (a block of zeros in it) is read at every start: the
// client starts empty, the file is set aside with a log line, and the next save writes a good one.
TEST_F(BrisantDataBrokerTest, ADamagedCacheIsSetAsideAndTheClientStartsEmpty)
{
    updateWith(readTestFile(testDataPath("weather/brisant/two_locations.txt")));
    broker->content(); // the save has been written
    const QString path = broker->saveFilePath();
    QByteArray damaged = readTestFile(path);
    ASSERT_GT(damaged.size(), 1024);
    damaged.replace(512, 512, QByteArray(512, '\0'));
    writeTestFile(path, damaged);

    LogCapture log;
    OVBrisantDataBroker restarted(clock);
    restarted.setSaveFilePath(path);
    restarted.loadFromPrefs();
    EXPECT_TRUE(restarted.content().isEmpty());
    EXPECT_TRUE(log.contains("[OVPropertyList readFile] " + path + " is not a readable property list; it was set aside as"));
    const QStringList aside = QDir(cacheDir.path()).entryList({"BrisantCache.plist.corrupt-*"});
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(readTestFile(cacheDir.filePath(aside.first())), damaged);
    restarted.saveToPrefs();
    EXPECT_TRUE(restarted.content().isEmpty());
    EXPECT_TRUE(OVPropertyList::readFile(path).isValid());
}
