// The daily NDFD client: its request, day and night daySlots from a 12-hourly reply, the cache
// file, and the English weather texts.
#include "NDFDTestSupport.h"

#include "platform/OVPropertyList.h"
#include "weather/OVForecastPeriod.h"
#include "weather/OVNDFD.h"
#include "weather/OVNDFDForecastText.h"

#include <gtest/gtest.h>

namespace {

const QString kTwelveHourly = QStringLiteral("byday_12hourly_39.70_-104.75.xml");

class DailyNDFDTest : public NDFDServerTest
{
protected:
    void SetUp() override
    {
        NDFDServerTest::SetUp();
        client = std::make_unique<OVNDFD>(manager, *settings, clock);
        client->setSaveFilePath(cachePath());
        denver->setLocationTimeZone(QTimeZone("America/Denver"));
    }

    void load(const QString &reply, const std::shared_ptr<OVWeatherLocation> &location)
    {
        server.serve(kDailyPath, FixtureResponse::text(ndfdBytes(reply), "text/xml"));
        NotificationWaiter shown(OVNotifyForecastNeedsDisplay);
        client->updateLocation(location);
        ASSERT_TRUE(shown.wait(10000).has_value());
    }

    std::unique_ptr<OVNDFD> client;
    std::shared_ptr<OVWeatherLocation> denver = usLocation(39.7, -104.75);
};

QVariantMap weather(const char *coverage, const char *intensity, const char *type,
                    const char *qualifier = nullptr)
{
    using namespace OVNDFDForecastText;
    QVariantMap value;
    const QPair<const QString &, const char *> fields[] = {
        {coverageKey, coverage}, {intensityKey, intensity}, {weatherTypeKey, type}, {qualifierKey, qualifier}};
    for (const auto &[key, text] : fields) {
        const QString phrase = verifiedAttributeStringFromCondition(text ? QString::fromLatin1(text) : QString(), key);
        if (!phrase.isNull())
            value.insert(key, phrase);
    }
    return value;
}

} // namespace

TEST_F(DailyNDFDTest, RequestsTheTwelveHourlyProductOnce)
{
    load("byday_24hourly_2012-11-26.xml",
         usLocation(38.99, -77.01));
    client->updateLocations({usLocation(38.99, -77.01), usLocation(38.991, -77.009),
                             usLocation(45.5, -73.6, QStringLiteral("CA")), usLocation(91, -77)});
    ASSERT_TRUE(waitUntil([&] { return server.requestCount() == 2; }));
    for (const FixtureRequest &request : server.requests()) {
        EXPECT_EQ(request.path, kDailyPath);
        EXPECT_EQ(request.query, "listLatLon=38.99,-77.01&format=12+hourly");
    }
    EXPECT_EQ(client->pointForecastForKey("38.99,-77.01").value(OVForecastKey::maxt).toList().size(), 7);
}

TEST_F(DailyNDFDTest, DayAndNightSlots)
{
    load(kTwelveHourly, denver);
    const auto daySlots = client->dayForecastForLocation(denver);
    ASSERT_TRUE(daySlots.has_value());
    // The values of the reply, period by period; its last period (no summary, no icon) is left out.
    const QList<int> temps = {55, 36, 66, 32, 51, 31, 46, 30, 52, 31, 47, 19, 38};
    const QList<int> pops = {2, 0, 0, 7, 8, 18, 18, 3, 4, 7, 16, 33, 7};
    const QStringList icons = {"few", "nfew", "bkn", "nbkn", "sct", "nbkn", "sct",
                               "nfew", "sct", "nbkn", "bkn", "nsn", "sct"};
    ASSERT_EQ(daySlots->size(), temps.size());
    const QDateTime first(QDate(2013, 11, 12), QTime(13, 0), QTimeZone::utc());
    for (qsizetype i = 0; i < daySlots->size(); ++i) {
        SCOPED_TRACE(i);
        const QVariantMap slot = daySlots->at(i).toMap();
        EXPECT_EQ(slot.value("startDate").toDateTime(), first.addSecs(i * 43200));
        EXPECT_EQ(slot.value("endDate").toDateTime(), first.addSecs((i + 1) * 43200));
        EXPECT_EQ(slot.value("isDay").toBool(), i % 2 == 0);
        EXPECT_EQ(slot.value("temp").toInt(), temps[i]);
        EXPECT_EQ(slot.value("precip").toInt(), pops[i]);
        EXPECT_EQ(slot.value("image").toString(), icons[i]);
        EXPECT_FALSE(slot.contains("maxt") || slot.contains("mint"));
    }
    EXPECT_EQ(daySlots->first().toMap().value("shortDesc").toString(), "Mostly Sunny.");
    EXPECT_EQ(daySlots->at(11).toMap().value("shortDesc").toString(), "35% chance of light snow.");
    EXPECT_EQ(daySlots->at(11).toMap().value("fullDesc").toString(),
              "35% chance of slight chance of light snow.");
}

TEST_F(DailyNDFDTest, CacheFileHoldsThePointForecastsUnderOneKey)
{
    load(kTwelveHourly, denver);
    const QVariantMap cache = client->pointForecasts();
    const QVariantMap saved = OVPropertyList::readFile(cachePath()).toMap();
    EXPECT_EQ(saved.keys(), QStringList{"pointForecasts"});

    OVNDFD restarted(manager, *settings, clock);
    restarted.setSaveFilePath(cachePath());
    restarted.loadFromPrefs();
    EXPECT_EQ(restarted.dayForecastForLocation(denver)->size(), client->dayForecastForLocation(denver)->size());
    EXPECT_EQ(restarted.pointForecasts().keys(), cache.keys());
}

TEST_F(DailyNDFDTest, SavingKeepsAPointForecastSevenDaysAndDropsItOneSecondLater)
{
    load(kTwelveHourly, denver);
    const QStringList keys = client->pointForecasts().keys();
    ASSERT_FALSE(keys.isEmpty());
    struct Case
    {
        const char *name;
        qint64 advanceSeconds;
        bool kept;
    };
    for (const Case c : {Case{"7 days", 7 * 86400, true}, Case{"7 days + 1 s", 1, false}}) {
        SCOPED_TRACE(c.name);
        clock.advance(c.advanceSeconds);
        client->saveToPrefs();
        EXPECT_EQ(client->pointForecasts().keys(), c.kept ? keys : QStringList());
        const QVariantMap saved = OVPropertyList::readFile(cachePath()).toMap();
        EXPECT_EQ(saved.value("pointForecasts").toMap().keys(), c.kept ? keys : QStringList());
    }
}

TEST_F(DailyNDFDTest, AReplyWithoutForecastsChangesNothing)
{
    load(kTwelveHourly, denver);
    const QVariantMap cache = client->pointForecasts();
    server.serve(kDailyPath,
                 FixtureResponse::text("<dwml><data><time-layout><layout-key>k</layout-key>"
                                       "<start-valid-time>2013-11-12T06:00:00-07:00</start-valid-time>"
                                       "</time-layout></data></dwml>",
                                       "text/xml"));
    NotificationWaiter loaded(OVEnvironmentNotifyURLLoaded);
    NotificationWaiter shown(OVNotifyForecastNeedsDisplay);
    client->updateLocation(denver);
    ASSERT_TRUE(loaded.wait(10000).has_value());
    EXPECT_EQ(shown.count(), 0);
    EXPECT_EQ(client->pointForecasts(), cache);
}

TEST(NDFDForecastText, AttributePhrases)
{
    using OVNDFDForecastText::verifiedAttributeStringFromCondition;
    struct Case
    {
        const char *key;
        const char *value;
        QString expected; // null: refused
    };
    const Case cases[] = {
        {"coverage", "chance", "chance of"},
        {"coverage", "areas", "areas of"},
        {"coverage", "scattered", "scattered"},
        {"coverage", "likely", QString()},
        {"coverage", "none", QString()},
        {"intensity", "heavy", "heavy"},
        {"intensity", "none", QString()},
        {"weather-type", "freezing spray", "freezing spray"},
        {"weather-type", "none", QString()},
        {"qualifier", "heavy rain", "with heavy rain"},
        {"qualifier", "outlying areas", "in outlying areas"},
        {"qualifier", "on bridges and overpasses", "on bridges and overpasses"},
        {"qualifier", "include unconfirmed", QString()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.key) + " " + c.value);
        EXPECT_EQ(verifiedAttributeStringFromCondition(QString::fromLatin1(c.value), QString::fromLatin1(c.key)),
                  c.expected);
    }
}

TEST(NDFDForecastText, Texts)
{
    struct Case
    {
        const char *name;
        QVariantList values;
        QString shortText;
        QString fullText;
    };
    const Case cases[] = {
        {"coverage none", {weather("none", "none", "rain")}, "Rain.", "Rain."},
        {"rain and snow", {weather("chance", nullptr, "rain"), weather("chance", nullptr, "snow")},
         "Rain and snow.", "Chance of rain and snow."},
        {"with qualifier",
         {weather("scattered", "light", "thunderstorms", "heavy rain")},
         "Thunderstorms scattered with heavy rain.", "Scattered light thunderstorms with heavy rain."},
        {"in qualifier", {weather("patchy", nullptr, "fog", "outlying areas")}, "Fog in outlying areas.",
         "Patchy fog in outlying areas."},
        {"plain qualifier",
         {weather("areas", nullptr, "frost", "on bridges and overpasses")},
         "Frost on bridges and overpasses.", "Areas of frost on bridges and overpasses."},
        {"nothing to say", {}, QString(), QString()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(OVNDFDForecastText::getShortStringForWeatherArray(c.values), c.shortText);
        EXPECT_EQ(OVNDFDForecastText::getFullStringForWeatherArray(c.values), c.fullText);
    }
}

TEST(NDFDForecastText, ChanceOfPrecipitationPrefix)
{
    const QDateTime start(QDate(2013, 11, 12), QTime(13, 0), QTimeZone::utc());
    const QDateTime end = start.addSecs(43200);
    struct Case
    {
        const char *name;
        QVariantList values;
        QString summary;
        QVariant pop; // invalid: no matching probability
        QString expected;
    };
    const QVariantList showers = {weather(nullptr, nullptr, "rain showers")};
    const Case cases[] = {
        {"12 rounds to 10", showers, "", 12, "10% chance of rain showers."},
        {"13 rounds to 15", showers, "", 13, "15% chance of rain showers."},
        {"2 gives no prefix", showers, "", 2, "Rain showers."},
        {"a missing probability gives no prefix", showers, "", -1000.0f, "Rain showers."},
        {"no matching period", showers, "", QVariant(), "Rain showers."},
        {"text already a chance", {weather("chance", nullptr, "rain")}, "", 40, "40% chance of rain."},
        {"no weather word", {weather("areas", nullptr, "haze")}, "", 60, "Areas of haze."},
        {"no values: the summary", {}, "Mostly Sunny", 60, "Mostly Sunny."},
        {"no values, no summary", {}, "", 60, "."},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QVariantList conditions = {QVariantMap{
            {"startDate", start}, {"endDate", end}, {"value", c.values}, {"weather-summary", c.summary}}};
        QVariantList pops;
        if (c.pop.isValid())
            pops.append(QVariantMap{{"startDate", start}, {"endDate", end}, {"value", c.pop}});
        const QVariantList full = OVNDFDForecastText::fullDescriptionsFromConditions(conditions, pops);
        ASSERT_EQ(full.size(), 1);
        EXPECT_EQ(full[0].toMap().value("value").toString(), c.expected);
        EXPECT_EQ(full[0].toMap().value("weather-summary").toString(), c.summary);
    }
}
