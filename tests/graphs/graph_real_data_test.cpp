// The graph panels over real data end to end: the NDFD client fetches the 10 November 2013
// Denver reply from the fixture server, and the station file KDEN.db is made from SQL by the
// sqlite3 shell and read through the observations database. Clock 2013-11-10T20:00Z.
#include "graph_panel_fakes.h"

#include "core/NBPrefController.h"
#include "core/NBRegisteredDefaults.h"
#include "core/remote/OVURLManager.h"
#include "graphs/NBGraphSeries.h"
#include "graphs/NBMultiGraphPart.h"
#include "graphs/OVGraphHoverView.h"
#include "graphs/OVGraphLegendView.h"
#include "graphs/OVGraphView.h"
#include "platform/OVUserDefaults.h"
#include "support/FixtureHttpServer.h"
#include "support/TestHelpers.h"
#include "weather/OVBrisantDataBroker.h"
#include "weather/OVHourlyNDFD.h"
#include "weather/OVObservationsDB.h"
#include "weather/OVWeatherClientSources.h"
#include "weather/OVForecastPeriod.h"
#include "weather/OVUnitConversions.h"
#include "core/views/OVAttributedString.h"

#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kHourlyPath = QStringLiteral("/xml/sample_products/browser_interface/ndfdXMLclient.php");

class RealDataContainer final : public NBMultiGraphPartDelegate
{
public:
    std::shared_ptr<OVWeatherLocation> currentLocation() const override { return location; }
    int graphHeight() const override { return 155; }
    QDateTime startDate() const override { return utcAt(10, 6); }
    QDateTime endDate() const override { return utcAt(12, 6); }
    double verticalOffset() const override { return 0; }
    std::shared_ptr<OVWeatherLocation> location;
};

const OVGraphDataPoint *pointAt(const NBMultiGraphPart &part, const QDateTime &date)
{
    for (const OVGraphDataPoint &p : part.graph()->dataPoints())
        if (p.date == date)
            return &p;
    return nullptr;
}

} // namespace

TEST(GraphPanelsRealData, DenverForecastAndStationFileEndToEnd)
{
    NBPrefController::resetStore();
    NBPrefController::initSettings();
    for (const char *key : {"temperatureUnits", "windSpeedUnits", "pressureUnits", "heightUnits"})
        NBPrefController::setSetting(0, QLatin1String(key));

    FixtureHttpServer server(FixtureHttpServer::Mode::Tls);
    ASSERT_TRUE(server.start()) << server.errorString().toStdString();
    QSslConfiguration trusting = QSslConfiguration::defaultConfiguration();
    trusting.addCaCertificates(QSslCertificate::fromData(server.certificatePem()));
    QSslConfiguration::setDefaultConfiguration(trusting);
    server.serveFile(kHourlyPath, testDataPath("weather/ndfd/timeseries_all_elements_2013-11-10_39.70_-104.75.xml"),
                     "text/xml");
    OVUserDefaults &defaults = OVUserDefaults::standard();
    defaults.registerDefaults(NBRegisteredDefaults::table());
    defaults.setObject(server.baseUrl(), QString(NBSettingKey::ndfdServerURL));

    QTemporaryDir folder;
    const QString stations = folder.filePath(QStringLiteral("Observations"));
    QDir().mkpath(stations);
    QProcess shell;
    shell.setStandardInputFile(testDataPath(QStringLiteral("graphs/kden_2013-11.sql")));
    shell.start(QStringLiteral("sqlite3"), {stations + QStringLiteral("/KDEN.db")});
    ASSERT_TRUE(shell.waitForFinished(20000));
    ASSERT_EQ(shell.exitCode(), 0) << shell.readAllStandardError().toStdString();

    FakeClock clock(utcAt(10, 20));
    OVURLManager manager;
    OVObservationsDB database(stations, clock, &defaults);
    OVHourlyNDFD hourly(manager, defaults, clock);
    OVBrisantDataBroker service(clock);
    const auto sources = std::make_shared<OVWeatherClientSources>(&hourly, &service, &database, clock);
    RealDataContainer container;
    container.location = std::make_shared<OVWeatherLocation>(sources);
    container.location->setLatitude(39.70, -104.75);
    container.location->setCountryCode(QStringLiteral("US"));
    container.location->setIcao(QStringLiteral("KDEN"));
    container.location->setLocationTimeZoneName(QStringLiteral("America/Denver"));

    // The first read makes the client fetch.
    container.location->forecastForKey(QStringLiteral("hourlyt"));
    ASSERT_TRUE(waitUntil([&] { return !container.location->forecastForKey(QStringLiteral("hourlyt")).isEmpty(); },
                          10000));

    const auto panel = [&](int type) { return loadedPanel(container, type); };
    const QDateTime first = utcAt(10, 21);

    const auto temperature = panel(NBGraphTypeTemperature);
    const OVGraphDataPoint *t = pointAt(*temperature, first);
    ASSERT_NE(t, nullptr);
    EXPECT_NEAR(t->displayValue, 64.0, 1e-4);
    EXPECT_NEAR(fahrenheitFromCelsius(float(t->secondaryY)), 24.0, 1e-3);
    EXPECT_EQ(temperature->graph()->dataPoints().front().date, utcAt(10, 14, 53)) << "observations first";

    const auto wind = panel(NBGraphTypeWindSpeed);
    const OVGraphDataPoint *w = pointAt(*wind, first);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->y, 6.0);
    EXPECT_EQ(w->displayValue, 30.0);
    EXPECT_EQ(w->secondaryY, 6.0);
    OVGraphHoverView hover;
    wind->updateHover(hover, wind->graph()->xForDate(first));
    EXPECT_EQ(hover.label()->string(), QStringLiteral("NE 7 mph"));

    const auto humidity = panel(NBGraphTypeHumidity);
    const OVGraphDataPoint *h = pointAt(*humidity, first);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h->y, 22.0);

    // Cloud cover: points only where the reply has numbers.
    const auto cloud = panel(NBGraphTypeCloudCover);
    const QList<QVariantMap> cover = container.location->forecastForKey(QStringLiteral("cloudCover"));
    const QDateTime lastObservation = utcAt(10, 19, 53);
    qsizetype numbers = 0;
    for (const QVariantMap &p : cover) {
        if (OVForecastPeriod::floatValue(p, QStringLiteral("cloudCover")) && NBGraphSeries::periodDate(p) > lastObservation)
            ++numbers;
    }
    qsizetype forecastPoints = 0;
    for (const OVGraphDataPoint &p : cloud->graph()->dataPoints())
        forecastPoints += p.date > lastObservation ? 1 : 0;
    EXPECT_GT(numbers, 0);
    EXPECT_LT(numbers, cover.size()) << "the reply has periods without a number";
    EXPECT_EQ(forecastPoints, numbers);

    // The forecast's precipitation is all zero: the total is what the station reported.
    const auto precipitation = panel(NBGraphTypePrecipitation);
    EXPECT_EQ(precipitation->leftLabel()->text(), QStringLiteral("Total: 0.01\""));

    const auto snow = panel(NBGraphTypeSnowfall);
    EXPECT_EQ(snow->leftLabel()->text(), QStringLiteral("Total: none"));
    EXPECT_EQ(snow->legend()->yRange().max, 3.0);
}
