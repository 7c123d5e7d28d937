// The application controller's launch and update cycle over a stepped clock: saved locations,
// the tick's timing rules, the progress display, quitting and the next launch.
#include "AppControllerFixture.h"
#include "core/NBPrefController.h"
#include "support/FixtureHttpServer.h"

#include <QListView>
#include <QTemporaryDir>

#include <atomic>

#include <unicode/datefmt.h>
#include <unicode/unistr.h>

namespace {

const QString kForceReload = QStringLiteral("OVNotifyForceReload");
const QString kRedisplayEverything = QStringLiteral("OVNotifyRedisplayEverything");

// The short time text as ICU writes it, in the process's zone and locale.
QString icuShortTime(const QDateTime &time)
{
    std::unique_ptr<icu::DateFormat> format(icu::DateFormat::createTimeInstance(icu::DateFormat::kShort));
    icu::UnicodeString text;
    format->format(UDate(time.toMSecsSinceEpoch()), text);
    return QString(reinterpret_cast<const QChar *>(text.getBuffer()), text.length());
}

QVariantMap londonDictionary()
{
    return {
        {QStringLiteral("location_id"), 0},
        {QStringLiteral("appsettings"), QVariantMap()},
        {QStringLiteral("timezonename"), QStringLiteral("Europe/London")},
        {QStringLiteral("latitude"), 51.51},
        {QStringLiteral("longitude"), -0.13},
        {QStringLiteral("elevation"), 11.0},
        {QStringLiteral("icao"), QStringLiteral("EGLL")},
        {QStringLiteral("zipcode"), QStringLiteral("SW1A")},
        {QStringLiteral("city"), QStringLiteral("London")},
        {QStringLiteral("statecode"), QStringLiteral("ENG")},
        {QStringLiteral("statename"), QStringLiteral("England")},
        {QStringLiteral("countrycode"), QStringLiteral("GB")},
        {QStringLiteral("countryname"), QStringLiteral("United Kingdom")},
    };
}

} // namespace

TEST_F(AppControllerTest, SavedLocationsAreRestoredAndTheFirstIsCurrent)
{
    // The observation service: the fixture reply; once `hold` is set, held until the test
    // lets it go.
    FixtureHttpServer server;
    ASSERT_TRUE(server.start());
    const QString endpoint = QStringLiteral("/cgi-bin/observation_broker.cgi");
    const auto gate = std::make_shared<FixtureGate>();
    std::atomic<bool> hold{false};
    server.route("POST", endpoint, [&hold, gate](const FixtureRequest &) {
        FixtureResponse reply = FixtureResponse::file(testDataPath(QStringLiteral("weather/observations/two_locations.json")), "application/json");
        if (hold)
            reply.gate = gate;
        return reply;
    });
    OVUserDefaults::standard().setObject(server.baseUrl(), QStringLiteral("OVBrisantObservationsServerURL"));

    ASSERT_EQ(londonDictionary().size(), 13);
    saveLocations({portlandLookup(), londonDictionary(),
                   QVariantMap{{QStringLiteral("location_id"), 999}, {QStringLiteral("icao"), QStringLiteral("KXXX")}},
                   QStringLiteral("not a location")});
    launch();

    EXPECT_EQ(cities(), (QStringList{QStringLiteral("Portland"), QStringLiteral("London")}));
    EXPECT_EQ(controller->monitoredLocations().first()->icao(), QStringLiteral("KPDX"));
    EXPECT_EQ(controller->monitoredLocations().last()->icao(), QStringLiteral("EGLL"));
    EXPECT_EQ(OVWeatherController::sharedWeatherController().currentLocation(), controller->monitoredLocations().first());
    EXPECT_EQ(controller->locationController()->rowCount(), 2);
    EXPECT_EQ(controller->locationController()->data(controller->locationController()->index(1)).toString(), QStringLiteral("London"));

    ASSERT_TRUE(waitUntil([&] { return server.requestCount(endpoint) >= 1; }));
    const FixtureRequest first = server.requests().first();
    EXPECT_TRUE(first.body.contains("ICAO%2CKPDX") || first.body.contains("ICAO,KPDX")) << first.body.toStdString();
    EXPECT_TRUE(first.body.contains("ICAO%2CEGLL") || first.body.contains("ICAO,EGLL")) << first.body.toStdString();
    EXPECT_EQ(first.headers.value("user-agent"), NBController::userAgent().toUtf8());
    ASSERT_TRUE(waitUntil([] { return OVWeatherController::sharedWeatherController().loadPercentCompleted() >= 100; }));
    const int beforeTick = server.requestCount(endpoint);
    hold = true;

    QProgressBar *bar = controller->window()->progressBar();
    QLabel *label = controller->window()->lastUpdatedLabel();
    ASSERT_TRUE(waitUntil([&] { return !label->text().isEmpty(); })) << "the launch's reply is stored";
    const QString launchReply = label->text();
    env.scheduler->advance(2.0);
    ASSERT_TRUE(waitUntil([&] { return server.requestCount(endpoint) > beforeTick; })) << "the first tick asks again";
    env.scheduler->advance(60.0);
    EXPECT_EQ(label->text(), launchReply) << "no reply yet: the label keeps its time";
    EXPECT_TRUE(bar->isVisible());
    env.scheduler->advance(1.0);
    EXPECT_TRUE(bar->isVisible()) << "the reply is still outstanding";

    gate->open();
    ASSERT_TRUE(waitUntil([] { return OVWeatherController::sharedWeatherController().loadPercentCompleted() >= 100; }));
    ASSERT_TRUE(waitUntil([&] { return label->text() != launchReply; }));
    EXPECT_EQ(label->text(), QStringLiteral("Last Updated: ") + icuShortTime(env.scheduler->now()));
    env.scheduler->advance(1.0);
    EXPECT_FALSE(bar->isVisible());
}

TEST_F(AppControllerTest, SameLocationsInTheSameOrderChangeNothing)
{
    saveLocations({portlandLookup(), londonDictionary()});
    launch();
    NotificationWaiter mapNeedsDisplay(QStringLiteral("OVNotifyMapGeneratorNeedsDisplay"));
    const OVWeatherLocationList same = controller->monitoredLocations();
    controller->setMonitoredLocations(OVWeatherLocationList(same.begin(), same.end()));
    EXPECT_EQ(mapNeedsDisplay.count(), 0);

    controller->setMonitoredLocations({same.last(), same.first()});
    EXPECT_EQ(mapNeedsDisplay.count(), 1);
}

TEST_F(AppControllerTest, RemovingTheSelectedLastRowSelectsTheNewLastRow)
{
    saveLocations({portlandLookup(), londonDictionary(), portlandLookup()});
    launch();
    const OVWeatherLocationList three = controller->monitoredLocations();
    ASSERT_EQ(three.size(), 3);
    controller->window()->locationTable()->selectionModel()->select(controller->locationController()->index(2),
                                                                    QItemSelectionModel::ClearAndSelect);

    controller->setMonitoredLocations({three.at(0), three.at(1)});
    EXPECT_EQ(OVWeatherController::sharedWeatherController().currentLocation(), three.at(1));
    EXPECT_EQ(controller->window()->locationTable()->selectionModel()->selectedRows().value(0).row(), 1);

    controller->setMonitoredLocations({});
    EXPECT_EQ(OVWeatherController::sharedWeatherController().currentLocation(), nullptr);
}

TEST(UpdateInterval, IsClampedTo1800Through21600)
{
    QTemporaryDir folder;
    OVUserDefaults::resetStandard(folder.filePath(QStringLiteral("defaults.conf")));
    NBPrefController::resetStore();
    NBPrefController::initSettings();
    EXPECT_EQ(NBController::updateInterval(), 1800) << "absent";

    const std::pair<QVariant, qint64> cases[] = {
        {QStringLiteral("0"), 1800},   {QStringLiteral("1800"), 1800},  {QStringLiteral("1801"), 1801},
        {QStringLiteral("3600"), 3600}, {QStringLiteral("21600"), 21600}, {QStringLiteral("100000"), 21600},
        {QStringLiteral("-5"), 1800},
    };
    for (const auto &[value, seconds] : cases) {
        SCOPED_TRACE(value.toString().toStdString());
        OVUserDefaults::standard().setObject(value, QStringLiteral("updateFrequency"));
        EXPECT_EQ(NBController::updateInterval(), seconds);
    }
}

TEST_F(AppControllerTest, TickUpdatesWhenTheIntervalHasPassedAndRedisplaysOnceAMinute)
{
    OVUserDefaults::standard().setObject(QStringLiteral("1800"), QStringLiteral("updateFrequency"));
    launch();
    NotificationWaiter updates(kForceReload);
    NotificationWaiter redisplays(kRedisplayEverything);
    env.scheduler->advance(2.0);
    ASSERT_EQ(updates.count(), 1) << "the distant past is due at the first tick";
    ASSERT_EQ(redisplays.count(), 1);
    const QDateTime first = env.scheduler->now();
    EXPECT_EQ(controller->lastUpdateTime(), first);

    struct Step
    {
        const char *name;
        qint64 offsetMs;
        int updates;
        int redisplays;
    };
    const Step steps[] = {
        {"59.9 s: nothing", 59900, 1, 1},
        {"60.0 s: redisplay", 60000, 1, 2},
        {"1799.9 s: redisplay only", 1799900, 1, 3},
        {"1800 s: update (last redisplay 0.1 s ago)", 1800000, 2, 3},
        {"clock set back an hour: both due", -3600000, 3, 4},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.name);
        env.scheduler->set(first.addMSecs(step.offsetMs));
        controller->tick();
        EXPECT_EQ(updates.count(), step.updates);
        EXPECT_EQ(redisplays.count(), step.redisplays);
    }
}

TEST_F(AppControllerTest, NothingHappensBeforeTheDatabasesAreReady)
{
    make();
    NotificationWaiter updates(kForceReload);
    NotificationWaiter redisplays(kRedisplayEverything);
    controller->tick();
    env.scheduler->advance(3600);
    EXPECT_FALSE(controller->databaseReady());
    EXPECT_EQ(updates.count(), 0);
    EXPECT_EQ(redisplays.count(), 0);
}

TEST_F(AppControllerTest, ARefreshStartsAnUpdateWithoutMovingTheLastUpdateTime)
{
    launch();
    env.scheduler->advance(2.0);
    const QDateTime last = controller->lastUpdateTime();
    NotificationWaiter updates(kForceReload);
    env.scheduler->advance(30.0);
    controller->refreshData();
    EXPECT_EQ(updates.count(), 1);
    EXPECT_EQ(controller->lastUpdateTime(), last);
}

TEST_F(AppControllerTest, QuitWritesTheLocationsAndTheNextLaunchRestoresThem)
{
    saveLocations({portlandLookup()});
    launch();
    auto paris = std::dynamic_pointer_cast<OVWeatherLocation>(fixtureLocationDatabase()->weatherLocationWithID(2988507, QStringLiteral("LFPG")));
    ASSERT_TRUE(paris);
    controller->addMonitoredLocation(paris);
    controller->applicationWillTerminate();

    const QVariantList saved = OVUserDefaults::standard().arrayForKey(QStringLiteral("locations"));
    ASSERT_EQ(saved.size(), 2);
    EXPECT_EQ(saved.at(1).toMap().value(QStringLiteral("icao")).toString(), QStringLiteral("LFPG"));
    controller.reset();

    launch();
    EXPECT_EQ(cities(), (QStringList{QStringLiteral("Portland"), QStringLiteral("Paris")}));
    EXPECT_EQ(controller->monitoredLocations().at(1)->locationID(), 2988507);
}

TEST_F(AppControllerTest, SavedPlacesThatCannotBeRestoredAreKeptAtQuit)
{
    // Without a location database the lookup forms restore nothing; quitting must not wipe them.
    const QVariantMap unknown{{QStringLiteral("location_id"), 999999999}, {QStringLiteral("icao"), QStringLiteral("KXXX")}};
    saveLocations({portlandLookup(), londonDictionary(), unknown});
    env.locationDatabaseOverride = [] { return std::shared_ptr<OVLocationDB>(); };
    launch();
    EXPECT_EQ(cities(), (QStringList{QStringLiteral("London")}));
    controller->applicationWillTerminate();
    const QVariantList saved = OVUserDefaults::standard().arrayForKey(QStringLiteral("locations"));
    ASSERT_EQ(saved.size(), 3);
    EXPECT_EQ(saved.at(0).toMap().value(QStringLiteral("city")).toString(), QStringLiteral("London"));
    EXPECT_EQ(saved.at(1).toMap(), portlandLookup());
    EXPECT_EQ(saved.at(2).toMap(), unknown);
}

TEST_F(AppControllerTest, QuittingBeforeTheLaunchCompletedWritesNoSettings)
{
    make();
    controller->applicationWillTerminate();
    EXPECT_FALSE(OVUserDefaults::standard().hasStoredValue(QStringLiteral("locations")));
    EXPECT_FALSE(OVUserDefaults::standard().hasStoredValue(QStringLiteral("splitViewLocation")));
}

TEST_F(AppControllerTest, HooksGiveTheLocationsAndTheSplitPosition)
{
    saveLocations({londonDictionary()});
    launch();
    const auto hooks = OVApplicationHooks::installed();
    ASSERT_EQ(hooks.get(), static_cast<OVApplicationHooks *>(controller.get()));
    const QVariantList dictionaries = hooks->monitoredLocationDictionaries();
    ASSERT_EQ(dictionaries.size(), 1);
    EXPECT_EQ(dictionaries.first().toMap().value(QStringLiteral("city")).toString(), QStringLiteral("London"));
    ASSERT_TRUE(hooks->splitViewFirstPaneWidth().has_value());
    EXPECT_GT(*hooks->splitViewFirstPaneWidth(), 0);
    controller.reset();
    EXPECT_EQ(OVApplicationHooks::installed(), nullptr);
}
