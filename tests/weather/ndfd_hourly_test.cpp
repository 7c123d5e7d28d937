// The hourly NDFD client against the fixture server: batched requests, reading real replies,
// the 3-hourly series, the cache file, and replies that must change nothing.
#include "NDFDTestSupport.h"

#include "platform/OVPropertyList.h"
#include "weather/OVForecastPeriod.h"
#include "weather/OVHourlyNDFD.h"

#include <algorithm>

#include <gtest/gtest.h>

namespace {

const QString kAllElements = QStringLiteral("timeseries_all_elements_2013-11-10_39.70_-104.75.xml");
const QString kTwoPoints = QStringLiteral("timeseries_qpf_pop_2015-06-27_38.99_-77.01.xml");
const QString kDenver = QStringLiteral("39.70,-104.75");

QDateTime isoDate(const QString &text)
{
    return QDateTime::fromString(text, Qt::ISODate).toUTC();
}

class HourlyNDFDTest : public NDFDServerTest
{
protected:
    void SetUp() override
    {
        NDFDServerTest::SetUp();
        client = std::make_unique<OVHourlyNDFD>(manager, *settings, clock);
        client->setSaveFilePath(cachePath());
    }

    void serveReply(const QByteArray &body, int status = 200, const QString &path = kHourlyPath)
    {
        server.serve(path, FixtureResponse::text(body, "text/xml", status));
    }

    /// Requests the location and runs the event loop until the reply has been handled.
    void loadLocation(const std::shared_ptr<OVWeatherLocation> &location)
    {
        NotificationWaiter loaded(OVEnvironmentNotifyURLLoaded);
        client->updateLocation(location);
        ASSERT_TRUE(loaded.wait(10000).has_value());
    }

    QList<QVariantMap> series(const QString &ndfdKey, const QString &key) const
    {
        QList<QVariantMap> entries;
        for (const QVariant &entry : client->pointForecastForKey(ndfdKey).value(key).toList())
            entries.append(entry.toMap());
        return entries;
    }

    std::unique_ptr<OVHourlyNDFD> client;
    std::shared_ptr<OVWeatherLocation> denver = usLocation(39.7, -104.75);
};

} // namespace

TEST_F(HourlyNDFDTest, OneRequestPerCallForTheServableKeys)
{
    serveReply(ndfdBytes(kTwoPoints));
    NotificationWaiter shown(OVNotifyForecastNeedsDisplay);
    client->updateLocations({usLocation(38.99, -77.01), usLocation(38.991, -77.009),
                             usLocation(45.5, -73.6, QStringLiteral("CA")), usLocation(91, -77)});
    ASSERT_TRUE(shown.wait(10000).has_value());
    const QList<FixtureRequest> requests = server.requests();
    ASSERT_EQ(requests.size(), 1);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].path, kHourlyPath);
    EXPECT_EQ(requests[0].query,
              "listLatLon=38.99,-77.01&product=time-series&begin=&end=&Unit=e&pop12=pop12"
              "&icons=icons&wx=wx&mint=mint&maxt=maxt&temp=temp&sky=sky&wdir=wdir&wspd=wspd"
              "&wgust=wgust&qpf=qpf&snow=snow&waveh=waveh&rh=rh&dew=dew");
    EXPECT_TRUE(client->haveForecastData());

    client->updateLocations({usLocation(45.5, -73.6, QStringLiteral("CA"))});
    waitUntil([] { return false; }, 300);
    EXPECT_EQ(server.requestCount(), 1) << "international locations are never requested";
}

TEST_F(HourlyNDFDTest, ReadsAskAgainOnlyWhenStaleAndNotLoading)
{
    auto gate = std::make_shared<FixtureGate>();
    FixtureResponse held = FixtureResponse::text(ndfdBytes(kAllElements), "text/xml");
    held.gate = gate;
    server.serve(kHourlyPath, held);

    NotificationWaiter shown(OVNotifyForecastNeedsDisplay);
    EXPECT_FALSE(client->forecastForLocation(denver).has_value()) << "reads never wait";
    ASSERT_TRUE(waitUntil([&] { return server.requestCount() == 1; }));
    EXPECT_TRUE(client->forecastForLocation(denver, OVForecastKey::hourlyt).isEmpty());
    EXPECT_EQ(client->forecastsLoading(), QStringList{kDenver});
    gate->open();
    ASSERT_TRUE(shown.wait(10000).has_value());
    EXPECT_TRUE(client->forecastsLoading().isEmpty());

    EXPECT_FALSE(client->forecastForLocation(denver, OVForecastKey::hourlyt).isEmpty());
    waitUntil([] { return false; }, 300);
    EXPECT_EQ(server.requestCount(), 1) << "a fresh point forecast is not asked for again";

    client->forceUpdateWeather();
    EXPECT_FALSE(client->forecastForLocation(denver, OVForecastKey::hourlyt).isEmpty())
        << "a stale point forecast still answers";
    ASSERT_TRUE(waitUntil([&] { return server.requestCount() == 2; }));
}

TEST_F(HourlyNDFDTest, TwoPointReplyMatchesTheFile)
{
    serveReply(ndfdBytes(kTwoPoints));
    loadLocation(usLocation(38.99, -77.01));
    const QVariantMap cache = client->pointForecasts();
    EXPECT_EQ(cache.keys(), (QStringList{"37.78,-122.42", "38.99,-77.01"}));

    struct Element
    {
        QString key;
        QString path;
    };
    const Element elements[] = {{OVForecastKey::hourlyt, "temperature[@type='hourly']"},
                                {OVForecastKey::liquidPrecip, "precipitation[@type='liquid']"}};
    const QPair<QString, QString> points[] = {{"point1", "38.99,-77.01"}, {"point2", "37.78,-122.42"}};
    for (const auto &[point, ndfdKey] : points) {
        for (const Element &element : elements) {
            SCOPED_TRACE((ndfdKey + " " + element.key).toStdString());
            const QString parameter =
                QStringLiteral("//parameters[@applicable-location='%1']/%2").arg(point, element.path);
            const QString layout = xpath(kTwoPoints, "string(" + parameter + "/@time-layout)").value(0);
            const QString times = QStringLiteral("//time-layout[layout-key='%1']/").arg(layout);
            const QStringList values = xpath(kTwoPoints, parameter + "/value/text()");
            const QStringList starts = xpath(kTwoPoints, times + "start-valid-time/text()");
            const QStringList ends = xpath(kTwoPoints, times + "end-valid-time/text()");
            const QList<QVariantMap> entries = series(ndfdKey, element.key);
            ASSERT_EQ(entries.size(), values.size());
            ASSERT_EQ(starts.size(), values.size());
            for (qsizetype i = 0; i < entries.size(); ++i) {
                EXPECT_EQ(entries[i].value("value").toFloat(), values[i].toFloat());
                EXPECT_EQ(entries[i].value("startDate").toDateTime(), isoDate(starts[i]));
                EXPECT_EQ(entries[i].value("endDate").toDateTime(), isoDate(ends[i]));
            }
        }
    }
}

TEST_F(HourlyNDFDTest, AllElementsReply)
{
    serveReply(ndfdBytes(kAllElements));
    loadLocation(denver);
    const QString first = "(//parameters/%1)[1]/%2";
    const QPair<QString, QString> counts[] = {
        {OVForecastKey::maxt, "//parameters/temperature[@type='maximum']/value"},
        {OVForecastKey::mint, "//parameters/temperature[@type='minimum']/value"},
        {OVForecastKey::hourlyt, "//parameters/temperature[@type='hourly']/value"},
        {OVForecastKey::dewpoint, "//parameters/temperature[@type='dew point']/value"},
        {OVForecastKey::liquidPrecip, "//parameters/precipitation[@type='liquid']/value"},
        {OVForecastKey::snowPrecip, "//parameters/precipitation[@type='snow']/value"},
        {OVForecastKey::windSpeed, "//parameters/wind-speed[@type='sustained']/value"},
        {OVForecastKey::gustSpeed, "//parameters/wind-speed[@type='gust']/value"},
        {OVForecastKey::windDirection, first.arg("direction", "value")},
        {OVForecastKey::cloudCover, first.arg("cloud-amount", "value")},
        {OVForecastKey::waveHeight, first.arg("water-state", "waves[1]/value")},
        {OVForecastKey::humidity, first.arg("humidity", "value")},
        {OVForecastKey::image, first.arg("conditions-icon", "icon-link")},
        {OVForecastKey::popFromIcon, first.arg("conditions-icon", "icon-link")},
    };
    const QVariantMap pointForecast = client->pointForecastForKey(kDenver);
    EXPECT_EQ(pointForecast.size(), std::size(counts) + 1) << "the series and lastUpdatedTime";
    for (const auto &[key, path] : counts) {
        SCOPED_TRACE(key.toStdString());
        const int expected = xpath(kAllElements, "count(" + path + ")").value(0).toInt();
        EXPECT_GT(expected, 0);
        EXPECT_EQ(series(kDenver, key).size(), expected);
    }
    for (const QVariantMap &wave : series(kDenver, OVForecastKey::waveHeight))
        EXPECT_EQ(wave.value("value").toFloat(), -1000.0f);

    // Layouts without end times: hourly and 3-hourly periods end a second before the next.
    const QPair<QString, qint64> lengths[] = {{OVForecastKey::hourlyt, 3599}, {OVForecastKey::humidity, 10799}};
    for (const auto &[key, seconds] : lengths) {
        SCOPED_TRACE(key.toStdString());
        const QList<QVariantMap> entries = series(kDenver, key);
        const QDateTime start = entries[0].value("startDate").toDateTime();
        EXPECT_EQ(start.secsTo(entries[0].value("endDate").toDateTime()), seconds);
        EXPECT_EQ(entries[1].value("startDate").toDateTime(), start.addSecs(seconds + 1));
    }

    const QStringList links = xpath(kAllElements, first.arg("conditions-icon", "icon-link/text()"));
    const QList<QVariantMap> images = series(kDenver, OVForecastKey::image);
    const QList<QVariantMap> pops = series(kDenver, OVForecastKey::popFromIcon);
    const QPair<const char *, QPair<QString, int>> icons[] = {{"/hi_nshwrs10.jpg", {"hi_nshwrs", 10}},
                                                              {"/nskc.jpg", {"nskc", 0}}};
    for (const auto &[file, expected] : icons) {
        SCOPED_TRACE(file);
        const auto link = std::find_if(links.cbegin(), links.cend(),
                                       [&](const QString &l) { return l.endsWith(QLatin1String(file)); });
        const qsizetype i = link == links.cend() ? -1 : link - links.cbegin();
        ASSERT_GE(i, 0);
        EXPECT_EQ(images[i].value("value").toString(), expected.first);
        EXPECT_EQ(pops[i].value("value").toInt(), expected.second);
    }
}

TEST_F(HourlyNDFDTest, ThreeHourlyStepsAreBuiltOnceAndStored)
{
    serveReply(ndfdBytes(kAllElements));
    loadLocation(denver);
    const QList<QVariantMap> hourly = series(kDenver, OVForecastKey::hourlyt);
    const auto steps = client->forecastForLocation(denver);
    ASSERT_TRUE(steps.has_value());
    ASSERT_EQ(steps->size(), 60);
    const QDateTime origin = hourly.first().value("startDate").toDateTime();
    EXPECT_EQ(steps->first().toMap().value("date").toDateTime(), origin);
    EXPECT_EQ(steps->last().toMap().value("startDate").toDateTime(), origin.addSecs(177 * 3600));
    EXPECT_FALSE(steps->first().toMap().contains("endDate"));
    EXPECT_EQ(steps->at(1).toMap().value("hourlyt").toFloat(), hourly[3].value("value").toFloat());
    EXPECT_EQ(client->pointForecastForKey(kDenver).value(OVHourlyNDFD::combined3HourlyKey).toList(), *steps);
    EXPECT_EQ(client->forecastForLocation(denver), steps);
}

TEST_F(HourlyNDFDTest, EscapedReplyReadsLikeThePlainOne)
{
    const QString plain = QString::fromLatin1(ndfdBytes("timeseries_maxt_mint_2012-11-26.xml"));
    const QString escaped = QString::fromLatin1(ndfdBytes("escaped_maxt_mint.txt"));
    auto fromPlain = client->parseXMLIntoForecastDictionary(OVDWMLReader::cleanupResponseXML(plain));
    auto fromEscaped = client->parseXMLIntoForecastDictionary(OVDWMLReader::cleanupResponseXML(escaped));
    ASSERT_TRUE(std::holds_alternative<QVariantMap>(fromPlain));
    ASSERT_TRUE(std::holds_alternative<QVariantMap>(fromEscaped));
    const QVariantMap pointForecast = std::get<QVariantMap>(fromPlain).value("38.99,-77.01").toMap();
    EXPECT_EQ(pointForecast.value(OVForecastKey::maxt).toList().size(), 7);
    EXPECT_EQ(pointForecast.value(OVForecastKey::mint).toList().size(), 7);
    EXPECT_EQ(std::get<QVariantMap>(fromEscaped), std::get<QVariantMap>(fromPlain));
}

TEST_F(HourlyNDFDTest, CacheFileSurvivesARestartAndForgetsAfterSevenDays)
{
    serveReply(ndfdBytes(kAllElements));
    loadLocation(denver);
    const QVariantList hourly = client->forecastForLocation(denver, OVForecastKey::hourlyt);
    ASSERT_FALSE(hourly.isEmpty());
    client->pointForecasts(); // the queued save has run

    OVHourlyNDFD restarted(manager, *settings, clock);
    restarted.setSaveFilePath(cachePath());
    restarted.loadFromPrefs();
    const QVariantList reloaded = restarted.forecastForLocation(denver, OVForecastKey::hourlyt);
    ASSERT_EQ(reloaded.size(), hourly.size());
    for (qsizetype i = 0; i < hourly.size(); ++i) {
        const QVariantMap a = hourly[i].toMap();
        const QVariantMap b = reloaded[i].toMap();
        EXPECT_EQ(a.value("startDate").toDateTime(), b.value("startDate").toDateTime());
        EXPECT_EQ(a.value("endDate").toDateTime(), b.value("endDate").toDateTime());
        EXPECT_EQ(a.value("value").toFloat(), b.value("value").toFloat());
    }

    clock.advance(7 * 86400 + 1);
    restarted.saveToPrefs();
    EXPECT_TRUE(restarted.pointForecasts().isEmpty());
    EXPECT_TRUE(OVPropertyList::readFile(cachePath()).toMap().isEmpty());
}

TEST_F(HourlyNDFDTest, BadRepliesChangeNothing)
{
    serveReply(ndfdBytes(kAllElements));
    loadLocation(denver);
    const QVariantMap cache = client->pointForecasts();
    QFile file(cachePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    file.close();

    const QByteArray all = ndfdBytes(kAllElements);
    struct Case
    {
        const char *name;
        QByteArray body;
        int status;
        int notifications; // of each of the two
    };
    const Case cases[] = {
        {"service error document",
         "<error><h2>ERROR</h2><pre>Point with latitude \"\" longitude \"\" is not on an NDFD "
         "grid</pre></error>",
         200, 0},
        {"HTML page", "<!DOCTYPE html><html><body><p>Service busy<br></body></html>", 200, 0},
        {"reply cut mid-element", all.left(all.indexOf("<value>", all.size() / 2) + 9), 200, 0},
        {"server error", "Internal Server Error", 500, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        serveReply(c.body, c.status);
        NotificationWaiter loaded(OVEnvironmentNotifyForecastLoaded);
        NotificationWaiter shown(OVNotifyForecastNeedsDisplay);
        loadLocation(denver);
        EXPECT_EQ(loaded.count(), c.notifications);
        EXPECT_EQ(shown.count(), c.notifications);
        EXPECT_EQ(client->pointForecasts(), cache);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), saved);
        file.close();
    }
}

TEST_F(HourlyNDFDTest, ASeriesThatDoesNotFitItsLayoutIsLeftOut)
{
    QByteArray reply = ndfdBytes(kAllElements);
    const qsizetype dewpoint = reply.indexOf("<temperature type=\"dew point\"");
    const qsizetype value = reply.indexOf("<value", dewpoint);
    reply.remove(value, reply.indexOf("</value>", value) + 8 - value);
    serveReply(reply);
    loadLocation(denver);
    const QVariantMap pointForecast = client->pointForecastForKey(kDenver);
    EXPECT_FALSE(pointForecast.contains(OVForecastKey::dewpoint));
    EXPECT_TRUE(pointForecast.contains(OVForecastKey::hourlyt));
    EXPECT_TRUE(pointForecast.contains(OVForecastKey::windSpeed));
}

TEST_F(HourlyNDFDTest, IgnoresRepliesForTheDailyEndpoint)
{
    serveReply(ndfdBytes(kAllElements), 200, kDailyPath);
    NotificationWaiter loaded(OVEnvironmentNotifyURLLoaded);
    NotificationWaiter shown(OVNotifyForecastNeedsDisplay);
    manager.loadURLString(server.baseUrl() + kDailyPath + "?listLatLon=39.70,-104.75&format=12+hourly",
                          "test", OVEnvironmentNotifyURLLoaded);
    ASSERT_TRUE(loaded.wait(10000).has_value());
    EXPECT_TRUE(client->pointForecasts().isEmpty());
    EXPECT_EQ(shown.count(), 0);
}

TEST(HourlyNDFDSum, AmountsCountByTheirShareOfTheRange)
{
    const QDateTime t0(QDate(2013, 11, 10), QTime(0, 0), QTimeZone::utc());
    const auto entry = [&](int fromHour, int toHour, float value) {
        return QVariantMap{{"startDate", t0.addSecs(fromHour * 3600)},
                           {"endDate", t0.addSecs(toHour * 3600)},
                           {"value", value}};
    };
    const QVariantMap pointForecast{
        {"liquidPrecip", QVariantList{entry(0, 1, 0.1f), entry(1, 2, -1000), entry(2, 4, 0.4f)}}};
    struct Case
    {
        const char *name;
        QDateTime start;
        QDateTime end;
        QString key;
        double expected;
    };
    const Case cases[] = {
        {"whole entries, a missing amount adds nothing", t0, t0.addSecs(4 * 3600), "liquidPrecip", 0.5},
        {"half of an entry", t0.addSecs(3 * 3600), t0.addSecs(5 * 3600), "liquidPrecip", 0.2},
        {"no series", t0, t0.addSecs(3600), "snowPrecip", 0},
        {"empty range", t0, t0, "liquidPrecip", -1000},
        {"missing bound", QDateTime(), t0, "liquidPrecip", -1000},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_NEAR(OVHourlyNDFD::adjustedSumForTimeRange(c.start, c.end, pointForecast, c.key),
                    c.expected, 1e-6);
    }
}
