// One update pass end to end: the weather controller's pass makes the observation client and the
// forecast data service client post their forms, reads make the NDFD clients fetch, and then a
// domestic and a foreign location answer every read from the caches.
#include "ObservationTestSupport.h"
#include "core/NBRegisteredDefaults.h"
#include "core/OVConstants.h"
#include "core/remote/OVURLManager.h"
#include "platform/OVUserDefaults.h"
#include "support/FakeClock.h"
#include "support/FixtureHttpServer.h"
#include "support/TestHelpers.h"
#include "weather/OVBrisantDataBroker.h"
#include "weather/OVBrisantObservationsBroker.h"
#include "weather/OVHourlyNDFD.h"
#include "weather/OVNDFD.h"
#include "weather/OVObservationsDB.h"
#include "weather/OVWeatherClientSources.h"
#include "weather/OVWeatherConditions.h"
#include "weather/OVWeatherController.h"
#include "weather/OVWeatherLocation.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kHourlyPath = QStringLiteral("/xml/sample_products/browser_interface/ndfdXMLclient.php");
const QString kDailyPath = QStringLiteral("/xml/sample_products/browser_interface/ndfdBrowserClientByDay.php");
const QString kServicePath = QStringLiteral("/cgi-bin/data_broker.cgi");

QDateTime at(int day, int hour, int minute = 0)
{
    return QDateTime(QDate(2013, 11, day), QTime(hour, minute), Qt::UTC);
}

QString locationData(const QString &name)
{
    return testDataPath(QStringLiteral("weather/location/") + name);
}

// The served observations of one station, newest first, as the service lists them.
QJsonArray servedObservations(const QString &station)
{
    QFile file(locationData("observations_2013-11-10.json"));
    file.open(QIODevice::ReadOnly);
    for (const QJsonValue &entry : QJsonDocument::fromJson(file.readAll())["Locations"].toArray()) {
        if (entry["Station"]["Station ID"].toString() == station)
            return entry["Observations"].toArray();
    }
    return {};
}

std::shared_ptr<OVWeatherLocation> place(const std::shared_ptr<OVWeatherLocationSources> &sources,
                                         double latitude, double longitude, const char *country,
                                         const char *icao, const char *zone)
{
    auto location = std::make_shared<OVWeatherLocation>(sources);
    location->setLatitude(latitude, longitude);
    location->setCountryCode(country);
    location->setIcao(icao);
    location->setLocationTimeZoneName(zone);
    return location;
}

bool fromService(const QList<QVariantMap> &forecast)
{
    return !forecast.isEmpty() && forecast.first().contains("Time");
}

} // namespace

TEST(WeatherLocationUpdate, OnePassFillsEveryReadFromTheCaches)
{
    FixtureHttpServer server(FixtureHttpServer::Mode::Tls);
    ASSERT_TRUE(server.start()) << server.errorString().toStdString();
    QSslConfiguration trusting = QSslConfiguration::defaultConfiguration();
    trusting.addCaCertificates(QSslCertificate::fromData(server.certificatePem()));
    QSslConfiguration::setDefaultConfiguration(trusting);
    server.serveFile(kHourlyPath, testDataPath("weather/ndfd/timeseries_all_elements_2013-11-10_39.70_-104.75.xml"), "text/xml");
    server.serveFile(kDailyPath, testDataPath("weather/ndfd/byday_12hourly_39.70_-104.75.xml"), "text/xml");
    server.serveFile(kServicePath, locationData("brisant_2013-11-10.txt"), "text/plain");
    server.serveFile(OVBrisantObservationsBroker::EndpointPath,
                     locationData("observations_2013-11-10.json"), "application/json");

    QTemporaryDir folder;
    OVUserDefaults &defaults = OVUserDefaults::standard();
    defaults.registerDefaults(NBRegisteredDefaults::table());
    for (const QString &key : {QString(NBSettingKey::brisantDataServerURL), QString(NBSettingKey::ndfdServerURL),
                               OVBrisantObservationsBroker::ServerURLKey})
        defaults.setObject(server.baseUrl(), key);

    FakeClock clock(at(10, 20));
    OVWeatherController controller;
    OVURLManager manager;
    OVObservationsDB database(folder.filePath("Observations"), clock, &defaults);
    OVHourlyNDFD hourly(manager, defaults, clock);
    OVNDFD daily(manager, defaults, clock);
    OVBrisantDataBroker service(clock);
    service.setLocationSource(&controller);
    service.setSaveFilePath(folder.filePath("BrisantCache.plist"));
    OVBrisantObservationsBroker observations(
        OVBrisantObservationsBroker::Services{&database, &controller, &manager, &defaults, &clock});
    observations.setLocationSource([&] { return controller.weatherLocations(); });

    const auto sources = std::make_shared<OVWeatherClientSources>(&hourly, &service, &database, clock);
    const auto denver = place(sources, 39.70, -104.75, "US", "KDEN", "America/Denver");
    const auto london = place(sources, 51.51, -0.13, "GB", "EGLL", "Europe/London");
    controller.setWeatherLocations({denver, london});

    NotificationWaiter forecasts(OVNotifyForecastNeedsDisplay, QVariant::fromValue(&service));
    NotificationWaiter stations(OVNotifyICAONeedsDisplay);
    controller.update();
    ASSERT_TRUE(forecasts.wait(10000));
    ASSERT_TRUE(stations.wait(10000));
    ASSERT_TRUE(waitUntil([&] { return controller.loadPercentCompleted() == 100; }, 10000));

    // The first reads find nothing from NDFD and make each NDFD client fetch once.
    EXPECT_TRUE(fromService(denver->forecastForKey("hourlyt")));
    EXPECT_FALSE(daily.dayForecastForLocation(denver).has_value());
    ASSERT_TRUE(waitUntil([&] { return !fromService(denver->forecastForKey("hourlyt")); }, 10000));
    ASSERT_TRUE(waitUntil([&] { return daily.dayForecastForLocation(denver).has_value(); }, 10000));

    const QList<QVariantMap> denverHourly = denver->forecastForKey("hourlyt");
    EXPECT_EQ(denverHourly, sources->ndfdSeries(*denver, "hourlyt", {}, {}));
    const QList<QVariantMap> londonHourly = london->forecastForKey("hourlyt");
    EXPECT_TRUE(fromService(londonHourly));
    EXPECT_EQ(londonHourly.size(), 24);

    // Current conditions: the newest served observation of the station.
    const QJsonObject newest = servedObservations("KDEN").first().toObject();
    const std::optional<OVWeatherConditions> current = denver->getCurrentData();
    ASSERT_TRUE(current);
    EXPECT_EQ(current->date(), at(10, 19, 53));
    EXPECT_NEAR(current->temperatureF(), newest["Temperature F"].toDouble(), 0.01);
    EXPECT_TRUE(current->isDay()); // 13:00 in Denver

    // Six hours of observations, then forecasts out to twelve hours ahead. Forecast entries
    // before now are dropped: NDFD's steps (19:00, 22:00, ...) answer from 22:00 on, the
    // service's first row (38 °F at 21:00) answers 21:00.
    QVariantMap ndfdAt22;
    for (const QVariantMap &step : sources->ndfdSteps(*denver)) {
        if (step.value("date").toDateTime() == at(10, 22))
            ndfdAt22 = step;
    }
    ASSERT_FALSE(ndfdAt22.isEmpty());
    const auto regular = denver->conditionsBetweenStartDate(at(10, 14), at(11, 8), 3600);
    ASSERT_TRUE(regular);
    ASSERT_EQ(regular->size(), 18);
    for (qsizetype i = 0; i < regular->size(); ++i) {
        const OVWeatherConditions &record = regular->at(i);
        SCOPED_TRACE(record.date().toString(Qt::ISODate).toStdString());
        EXPECT_EQ(record.date(), at(10, 14).addSecs(3600 * i));
        if (record.date() < clock.now()) { // the observation of hh:53 the hour before
            const QJsonObject served = servedObservations("KDEN").at(19 - 13 - int(i)).toObject();
            EXPECT_NEAR(record.temperatureF(), served["Temperature F"].toDouble(), 0.01);
        } else if (record.date() == at(10, 21)) {
            EXPECT_NEAR(record.temperatureF(), 38.0, 1e-3);
        } else if (record.date() == at(10, 22)) {
            EXPECT_NEAR(record.temperatureF(), ndfdAt22.value("hourlyt").toDouble(), 1e-3);
        } else if (record.date() > at(10, 22)) {
            EXPECT_NE(record.temperatureC(), OVNoValue);
        }
    }

    const QStringList bulletin{"HIGHS 1030 4512 1028 35120", "COLD 4512 4613", "4714 4815"};
    EXPECT_EQ(service.surfaceAnalysis(), bulletin);
    EXPECT_FALSE(daily.dayForecastForLocation(denver)->isEmpty());
    EXPECT_EQ(ObservationTest::shell(folder.filePath("Observations/KDEN.db"),
                                     "SELECT count(*) FROM icao_history;", true),
              QString::number(servedObservations("KDEN").size()));

    QStringList requests;
    for (const FixtureRequest &request : server.requests())
        requests.append(QString::fromLatin1(request.method) + " " + request.path);
    requests.sort();
    EXPECT_EQ(requests.join('\n').toStdString(),
              QStringList({"GET " + kDailyPath, "GET " + kHourlyPath,
                           "POST " + kServicePath, "POST " + OVBrisantObservationsBroker::EndpointPath})
                  .join('\n')
                  .toStdString());
}
