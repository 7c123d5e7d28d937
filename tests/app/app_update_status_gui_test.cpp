// What the main window says about updates, against the fixture server in the services' wire
// formats: the ticker drives updates on its own, current conditions never go back to an older
// report, a failed update keeps the last good time and names the failed service, and neither
// the launch nor a burst of clicks repeats a request.
#include "AppControllerFixture.h"
#include "ViewTestSupport.h"
#include "app/NBCurrentConditionsView.h"
#include "app/NBLastUpdatedTextField.h"
#include "core/NBRegisteredDefaults.h"
#include "core/OVReloadNotifications.h"
#include "support/FixtureHttpServer.h"
#include "support/TextProbe.h"
#include "weather/OVBrisantObservationsBroker.h"
#include "weather/OVObservationsDB.h"

#include <QApplication>
#include <QScreen>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QListView>
#include <QMouseEvent>

#include <atomic>
#include <mutex>

namespace {

const QString kObservationsPath = QStringLiteral("/cgi-bin/observation_broker.cgi");
const QString kForecastsPath = QStringLiteral("/cgi-bin/data_broker.cgi");
const QString kHourlyNDFDPath = QStringLiteral("/xml/sample_products/browser_interface/ndfdXMLclient.php");
const QString kDailyNDFDPath = QStringLiteral("/xml/sample_products/browser_interface/ndfdBrowserClientByDay.php");

QString wireTime(const QDateTime &time)
{
    return time.toUTC().toString(QStringLiteral("yyyyMMddHHmmss"));
}

// An observation reply for one place holding one report (temperature and dew point in °F).
QByteArray observationReply(const QString &key, const QDateTime &time, double temperatureF, double dewpointF)
{
    const QJsonObject observation{{"Time", wireTime(time)},  {"Temperature F", temperatureF},
                                  {"Dewpoint F", dewpointF}, {"Wind Direction Degrees", 200},
                                  {"Wind Speed Knots", 6},   {"Visibility Miles", 10},
                                  {"Pressure MB", 1015.2},   {"Sky Cover", "SCT040"}};
    const QJsonObject location{{"Original Query String", key},
                               {"Latitude", 45.52},
                               {"Longitude", -122.68},
                               {"Station", QJsonObject{{"Station ID", "KPDX"}}},
                               {"Observations", QJsonArray{observation}}};
    return QJsonDocument(QJsonObject{{"Status", "OK"}, {"Locations", QJsonArray{location}}}).toJson();
}

QByteArray fileBytes(const QString &relativePath)
{
    QFile file(testDataPath(relativePath));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class UpdateStatusTest : public AppControllerTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.start());
        pointServicesAt(server.baseUrl());
        for (const QString &path : {kObservationsPath, kForecastsPath, kHourlyNDFDPath, kDailyNDFDPath})
            server.route(path == kHourlyNDFDPath || path == kDailyNDFDPath ? "GET" : "POST", path,
                         [this, path](const FixtureRequest &) { return responseFor(path); });
        setResponse(kObservationsPath,
                    FixtureResponse::file(testDataPath("app/observations_two_locations.json"), "application/json"));
        setResponse(kForecastsPath, FixtureResponse::text(fileBytes("weather/brisant/two_locations.txt")));
        setResponse(kHourlyNDFDPath, FixtureResponse::error(500));
        setResponse(kDailyNDFDPath, FixtureResponse::error(500));
    }

    static void pointServicesAt(const QString &url)
    {
        OVUserDefaults &defaults = OVUserDefaults::standard();
        defaults.setObject(url, OVBrisantObservationsBroker::ServerURLKey);
        defaults.setObject(url, NBSettingKey::brisantDataServerURL);
        defaults.setObject(url, NBSettingKey::ndfdServerURL);
    }

    void setResponse(const QString &path, const FixtureResponse &response)
    {
        std::lock_guard lock(mutex);
        responses[path] = response;
    }
    FixtureResponse responseFor(const QString &path)
    {
        std::lock_guard lock(mutex);
        return responses.value(path);
    }

    QLabel *label() const { return controller->window()->lastUpdatedLabel(); }

    /// Asks for an update pass and waits for `condition`.
    void refreshUntil(const std::function<bool()> &condition)
    {
        env.scheduler->advance(120); // a later time of day on the label
        controller->refreshData();
        ASSERT_TRUE(waitUntil(condition, 10000)) << "tooltip: " << label()->toolTip().toStdString();
    }

    FixtureHttpServer server;
    std::mutex mutex;
    QHash<QString, FixtureResponse> responses;
};

} // namespace

TEST_F(UpdateStatusTest, TheRepeatingTimerStartsUpdatesAndRedisplaysOnItsOwn)
{
    OVUserDefaults::standard().setObject(QStringLiteral("1800"), QStringLiteral("updateFrequency"));
    launch();
    NotificationWaiter updates(OVNotifyForceReload);
    NotificationWaiter redisplays(QStringLiteral("OVNotifyRedisplayEverything"));
    env.scheduler->advance(2.0);
    EXPECT_EQ(updates.count(), 1) << "the first tick";
    env.scheduler->advance(118.0);
    EXPECT_EQ(redisplays.count(), 2) << "the ticker redisplays once 60 s have passed";
    env.scheduler->advance(1740.0);
    EXPECT_EQ(updates.count(), 2) << "the ticker starts the next update when it is due";
    EXPECT_EQ(redisplays.count(), 31);
}

TEST_F(UpdateStatusTest, CurrentConditionsStayWithTheNewerReportWhenAnOlderOneArrives)
{
    saveLocations({portlandDictionary()});
    const QDateTime newer = QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch() - 600, QTimeZone::utc());
    const QDateTime older = newer.addDays(-1);
    std::atomic<bool> late{false};
    const QString key = placeFrom(portlandDictionary())->brisantDescription();
    server.route("POST", kObservationsPath, [&](const FixtureRequest &) {
        return late ? FixtureResponse::text(observationReply(key, older, 20, 9), "application/json")
                    : FixtureResponse::text(observationReply(key, newer, 59, 41), "application/json");
    });
    launch();
    ASSERT_EQ(controller->monitoredLocations().first()->brisantDescription(), key);
    env.scheduler->advance(2.5); // the panels, and the first update pass
    auto *strip = controller->window()->findChild<NBCurrentConditionsView *>();
    ASSERT_TRUE(strip);
    QListView *list = controller->window()->locationTable();
    const auto shows = [](QWidget &widget, const QString &text) { return TextProbe::strings(widget).contains(text); };

    // The first reply may have been read before the key was known; ask once more.
    refreshUntil([&] { return shows(*strip, QStringLiteral("59°")) && shows(*list, QStringLiteral("59°")); });

    late = true;
    NotificationWaiter stored(OVNotifyICAONeedsDisplay);
    controller->refreshData();
    ASSERT_TRUE(stored.wait(10000).has_value());
    EXPECT_TRUE(shows(*strip, QStringLiteral("59°"))) << TextProbe::strings(*strip).join(" | ").toStdString();
    EXPECT_TRUE(shows(*strip, QStringLiteral("41.0°"))) << "the dew point of the newer report";
    // The list reloads on the same notification and lays its rows out on the next turn.
    waitUntil([] { return false; }, 300);
    EXPECT_TRUE(shows(*list, QStringLiteral("59°"))) << TextProbe::strings(*list).join(" | ").toStdString();

    // The station file keeps the older report.
    const auto history =
        OVObservationsDB::sharedDatabase()->weatherConditionsForICAO("KPDX", older.addSecs(-60), older.addSecs(60));
    EXPECT_TRUE(std::any_of(history.begin(), history.end(), [&](const OVWeatherConditions &r) {
        return r.date() == older && std::lround(r.temperatureF()) == 20;
    }));
}

TEST_F(UpdateStatusTest, AFailedUpdateKeepsTheLastGoodTimeAndNamesTheFailedService)
{
    saveLocations({portlandDictionary(), londonDictionary()});
    NotificationWaiter results(OVNotifyUpdateResult);
    launch();
    env.scheduler->advance(2.0);
    // Both services have answered the launch's requests.
    ASSERT_TRUE(waitUntil(
        [&] {
            QStringList services;
            for (const OVNotification &result : results.received())
                services << result.userInfo.value(OVUpdateResultServiceKey).toString();
            return services.contains("Observations") && services.contains("Forecasts");
        },
        10000));
    const QString good = label()->text();
    // The NDFD products answer 500 here and may already be named; these two services are not.
    EXPECT_FALSE(label()->toolTip().contains(QStringLiteral("Observations could not")));
    EXPECT_FALSE(label()->toolTip().contains(QStringLiteral("Forecasts could not")));
    EXPECT_TRUE(good.startsWith(QStringLiteral("Last Updated: ")));

    struct Step
    {
        const char *name;
        bool serverDown;
        bool observationsAnswer;
        const char *observationsError;
        const char *forecastsError;
    };
    const Step steps[] = {
        {"every server answers 500", false, false, "HTTP status 500", "HTTP status 500"},
        {"the server is down", true, false, "no reply from the server", nullptr},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.name);
        setResponse(kObservationsPath, FixtureResponse::error(500));
        setResponse(kForecastsPath, FixtureResponse::error(500));
        pointServicesAt(step.serverDown ? QStringLiteral("http://127.0.0.1:1") : server.baseUrl());
        const QString observations =
            QStringLiteral("Observations could not be updated: %1").arg(step.observationsError);
        refreshUntil([&] {
            const QString tip = label()->toolTip();
            return tip.contains(observations) && tip.contains(QStringLiteral("Forecasts could not be updated")) &&
                   (!step.forecastsError || tip.contains(step.forecastsError));
        });
        EXPECT_EQ(label()->text(), good);
    }

    // One good service is enough for the label to move; the other is still named.
    pointServicesAt(server.baseUrl());
    setResponse(kObservationsPath,
                FixtureResponse::file(testDataPath("app/observations_two_locations.json"), "application/json"));
    refreshUntil([&] { return label()->text() != good && !label()->toolTip().contains("Observations"); });
    EXPECT_TRUE(label()->text().startsWith(QStringLiteral("Last Updated: ")));
    EXPECT_FALSE(label()->toolTip().contains(QStringLiteral("Observations")));
    EXPECT_TRUE(label()->toolTip().contains(QStringLiteral("Forecasts could not be updated: HTTP status 500")));
}

TEST_F(UpdateStatusTest, AFailedPassShowsInTheWindowUntilAGoodPassClearsIt)
{
    saveLocations({londonDictionary()}); // outside the NDFD's area: only the two services are asked
    launch();
    env.scheduler->advance(2.0);
    auto *field = qobject_cast<NBLastUpdatedTextField *>(label());
    ASSERT_TRUE(field);
    const auto warned = [&] {
        return label()->palette().color(label()->foregroundRole()) == NBLastUpdatedTextField::warningColor();
    };
    ASSERT_TRUE(waitUntil([&] { return label()->text().startsWith(QStringLiteral("Last Updated: ")); }, 10000));
    EXPECT_FALSE(warned());

    setResponse(kObservationsPath, FixtureResponse::error(500));
    setResponse(kForecastsPath, FixtureResponse::error(500));
    refreshUntil([&] { return label()->toolTip().contains(QStringLiteral("Forecasts could not be updated")); });
    EXPECT_TRUE(warned()) << "the failure shows in the window, not only in the tooltip";
    // On screen the text turns red.
    const auto redOnScreen = [&] {
        QWidget *window = controller->window();
        const QRect area(label()->mapTo(window, QPoint(0, 0)), label()->size());
        const QImage shot =
            window->screen()->grabWindow(window->winId(), area.x(), area.y(), area.width(), area.height()).toImage();
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                if (const QColor c = shot.pixelColor(x, y); c.red() > 150 && c.green() < 90 && c.blue() < 90)
                    return true;
        return false;
    };
    EXPECT_TRUE(waitUntil(redOnScreen));
    grabAndSave(controller->window(), "update_failed_last_updated.png");

    setResponse(kObservationsPath,
                FixtureResponse::file(testDataPath("app/observations_two_locations.json"), "application/json"));
    setResponse(kForecastsPath, FixtureResponse::text(fileBytes("weather/brisant/two_locations.txt")));
    refreshUntil([&] { return label()->toolTip().isEmpty(); });
    EXPECT_FALSE(warned());
    EXPECT_TRUE(waitUntil([&] { return !redOnScreen(); }));
}

TEST_F(UpdateStatusTest, LaunchAsksEachServiceOnceAndABurstOfClicksJoinsThePassInFlight)
{
    saveLocations({portlandDictionary(), londonDictionary()});
    launch();
    env.scheduler->advance(5.0); // the first tick comes 2 s after launch
    // The first requests may take a while on a loaded machine (the map starts with the window);
    // then no second one may follow.
    waitUntil([&] { return server.requestCount(kObservationsPath) > 0 && server.requestCount(kForecastsPath) > 0; },
              10000);
    waitUntil([] { return false; }, 1500);
    EXPECT_EQ(server.requestCount(kObservationsPath), 1);
    EXPECT_EQ(server.requestCount(kForecastsPath), 1);
    EXPECT_LE(server.requestCount(kHourlyNDFDPath), 1);
    EXPECT_LE(server.requestCount(kDailyNDFDPath), 1);
    ASSERT_FALSE(label()->text().isEmpty());

    // 30 clicks on the label's text within 2 s while the replies are slow.
    const auto gate = std::make_shared<FixtureGate>();
    FixtureResponse held =
        FixtureResponse::file(testDataPath("app/observations_two_locations.json"), "application/json");
    held.gate = gate;
    setResponse(kObservationsPath, held);
    FixtureResponse heldForecasts = FixtureResponse::text(fileBytes("weather/brisant/two_locations.txt"));
    heldForecasts.gate = gate;
    setResponse(kForecastsPath, heldForecasts);
    server.clearRequests();
    env.scheduler->advance(120);
    const QPointF centre(label()->width() / 2.0, label()->height() / 2.0);
    for (int i = 0; i < 30; ++i) {
        QMouseEvent press(QEvent::MouseButtonPress, centre, label()->mapToGlobal(centre), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(label(), &press);
        env.scheduler->advance(2.0 / 30);
        waitUntil([] { return false; }, 2000 / 30);
    }
    waitUntil([] { return false; }, 500);
    EXPECT_LE(server.requestCount(kObservationsPath), 2);
    EXPECT_GE(server.requestCount(kObservationsPath), 1);
    EXPECT_LE(server.requestCount(kForecastsPath), 2);
    gate->open();
}
