// A location's current conditions, forecast series, icon and regular series, read from sources
// the test fills by hand.
#include "core/OVConstants.h"
#include "support/FakeClock.h"
#include "weather/OVForecastPeriod.h"
#include "weather/OVWeatherConditions.h"
#include "weather/OVWeatherIconImages.h"
#include "weather/OVWeatherLocation.h"
#include "weather/OVWeatherLocationSources.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

QDateTime utc(int day, int hour, int minute = 0)
{
    return QDateTime(QDate(2013, 11, day), QTime(hour, minute), Qt::UTC);
}

class FakeSources final : public OVWeatherLocationSources
{
public:
    const OVClock &clock() const override { return fakeClock; }
    QList<QVariantMap> ndfdSeries(const OVWeatherLocation &, const QString &, const QDateTime &,
                                  const QDateTime &) override
    {
        return ndfd;
    }
    QList<QVariantMap> ndfdSteps(const OVWeatherLocation &) override { return steps; }
    QList<QVariantMap> serviceHourly(const OVWeatherLocation &) override { return service; }
    std::optional<OVWeatherConditions> latestConditions(const QString &) override { return latest; }
    QList<OVWeatherConditions> observations(const QString &, const QDateTime &start,
                                            const QDateTime &end) override
    {
        askedFrom = start;
        askedTo = end;
        return history;
    }
    QList<OVWeatherConditions> condensedMax(const QString &, const QDateTime &, const QDateTime &,
                                            const QTimeZone &) override
    {
        return dailyMaxima;
    }
    QList<OVWeatherConditions> condensedMin(const QString &, const QDateTime &, const QDateTime &,
                                            const QTimeZone &) override
    {
        return dailyMinima;
    }

    FakeClock fakeClock{utc(10, 20)};
    QList<QVariantMap> ndfd;
    QList<QVariantMap> steps;
    QList<QVariantMap> service;
    std::optional<OVWeatherConditions> latest;
    QList<OVWeatherConditions> history;
    QList<OVWeatherConditions> dailyMaxima;
    QList<OVWeatherConditions> dailyMinima;
    QDateTime askedFrom;
    QDateTime askedTo;
};

OVWeatherConditions observed(const QDateTime &date, double temperatureC,
                             const QString &icon = QString())
{
    OVWeatherConditions record;
    record.setDate(date);
    record.setTemperatureC(temperatureC);
    if (!icon.isNull())
        record.setIconName(icon);
    return record;
}

QList<QVariantMap> series(qsizetype count, const QString &key, const QVariant &value,
                          const QString &source)
{
    QList<QVariantMap> entries;
    for (qsizetype i = 0; i < count; ++i)
        entries.append({{key, value}, {"source", source}, {"date", utc(11, 0).addSecs(3600 * i)}});
    return entries;
}

class WeatherLocationSeriesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        denver->setLatitude(39.70, -104.75);
        denver->setLocationTimeZoneName("America/Denver");
        denver->setIcao("KDEN");
    }

    std::shared_ptr<FakeSources> sources = std::make_shared<FakeSources>();
    std::shared_ptr<OVWeatherLocation> denver = std::make_shared<OVWeatherLocation>(sources);
};

} // namespace

TEST_F(WeatherLocationSeriesTest, ChoosesNDFDUnlessItLacksValuesOrFallsShortBy17Entries)
{
    struct Case
    {
        const char *name;
        qsizetype ndfdCount;
        double ndfdValue;
        qsizetype serviceCount;
        const char *expected;
    };
    const Case cases[] = {
        {"40 good against 50", 40, 45.0, 50, "ndfd"},
        {"40 good against 60", 40, 45.0, 60, "service"},
        {"44 good against 60", 44, 45.0, 60, "ndfd"},
        {"43 good against 60", 43, 45.0, 60, "service"},
        {"1 good against 18", 1, 45.0, 18, "service"},
        {"1 good against 17", 1, 45.0, 17, "ndfd"},
        {"all missing against 50", 40, OVNoValue, 50, "service"},
        {"40 good against none", 40, 45.0, 0, "ndfd"},
        {"none against 50", 0, 45.0, 50, "service"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        sources->ndfd = series(c.ndfdCount, "hourlyt", c.ndfdValue, "ndfd");
        sources->service = series(c.serviceCount, "hourlyt", "45", "service");
        const QList<QVariantMap> chosen = denver->forecastForKey("hourlyt");
        if (QLatin1String(c.expected) == QLatin1String("service") && c.serviceCount == 0) {
            EXPECT_TRUE(chosen.isEmpty());
            continue;
        }
        ASSERT_FALSE(chosen.isEmpty());
        EXPECT_EQ(chosen.first().value("source").toString(), QLatin1String(c.expected));
    }
}

TEST_F(WeatherLocationSeriesTest, CurrentDataIsTheNewestRecordWithATemperatureAndKnowsTheDay)
{
    struct Case
    {
        const char *name;
        QDateTime now; // 20:00 UTC is 13:00 in Denver, 06:00 UTC is 23:00 the day before
        std::optional<OVWeatherConditions> latest;
        QList<OVWeatherConditions> history;
        std::optional<double> expectedTemperature;
        bool expectedDay;
    };
    const Case cases[] = {
        {"latest has a temperature", utc(10, 20), observed(utc(10, 19), 12.0),
         {observed(utc(10, 17), 9.0)}, 12.0, true},
        {"latest without one, by day", utc(10, 20), observed(utc(10, 19), OVNoValue),
         {observed(utc(10, 16), 8.0), observed(utc(10, 17), 9.0), observed(utc(10, 19), OVNoValue)},
         9.0, true},
        {"latest without one, by night", utc(10, 6), observed(utc(10, 5), OVNoValue),
         {observed(utc(10, 3), 2.0), observed(utc(10, 5), OVNoValue)}, 2.0, false},
        {"no temperature for 3 days", utc(10, 20), std::nullopt,
         {observed(utc(10, 19), OVNoValue)}, std::nullopt, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        sources->fakeClock.set(c.now);
        sources->latest = c.latest;
        sources->history = c.history;
        const std::optional<OVWeatherConditions> current = denver->getCurrentData();
        ASSERT_EQ(current.has_value(), c.expectedTemperature.has_value());
        if (!current)
            continue;
        EXPECT_DOUBLE_EQ(current->temperatureC(), *c.expectedTemperature);
        EXPECT_EQ(current->isDay(), c.expectedDay);
        if (!c.latest || c.latest->temperatureC() == OVNoValue) {
            EXPECT_EQ(sources->askedFrom, c.now.addDays(-3));
        }
    }
    denver->setIcao(QString());
    EXPECT_FALSE(denver->getCurrentData());
}

TEST_F(WeatherLocationSeriesTest, IconFromAFreshObservationElseFromTheForecast)
{
    struct Case
    {
        const char *name;
        qint64 observationAgeSeconds;
        QStringList forecastImages;
        const char *expected;
    };
    const Case cases[] = {
        {"observation 2 hours old", 7200, {"skc"}, "ra.png"},
        {"observation 4 hours old", 14400, {"skc", "ra"}, "skc.png"},
        {"first forecast image na", 14400, {"na", "ra"}, "ra.png"},
        {"only forecast image na", 14400, {"na"}, "na.png"},
        {"image without a bundled picture", 14400, {"no-such-icon"}, "na.png"},
        {"nothing at all", 14400, {}, "na.png"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        sources->latest = observed(utc(10, 20).addSecs(-c.observationAgeSeconds), 5.0, "ra.png");
        sources->service.clear();
        for (const QString &image : c.forecastImages)
            sources->service.append({{"image", image}, {"date", utc(10, 21)}});
        EXPECT_EQ(denver->currentConditionsIconName(), QLatin1String(c.expected));
        const QImage icon = denver->currentConditionsIcon();
        EXPECT_FALSE(icon.isNull());
        EXPECT_EQ(icon, QImage(QStringLiteral(":/weather-icons/") + c.expected));
    }
}

TEST_F(WeatherLocationSeriesTest, RegularSeriesSlotsJoinObservationsToForecasts)
{
    sources->fakeClock.set(utc(10, 11, 30));
    sources->history = {observed(utc(10, 10, 50), 4.0), observed(utc(10, 11, 20), 5.0)};
    // The 11:00 step lies before now and is dropped, so NDFD cannot bracket 12:00 and the
    // service's rows answer.
    sources->steps = {{{"date", utc(10, 11)}, {"hourlyt", 41.0}},
                      {{"date", utc(10, 13)}, {"hourlyt", 59.0}}};
    sources->service = {{{"date", utc(10, 12)}, {"startDate", utc(10, 9)}, {"endDate", utc(10, 12)},
                         {"hourlyt", "52"}, {"windSpeed", "10"}, {"liquidPrecip", "0.3"}},
                        {{"date", utc(10, 18)}, {"startDate", utc(10, 12)}, {"endDate", utc(10, 18)},
                         {"hourlyt", "40"}, {"windSpeed", "4"}, {"liquidPrecip", "0.6"}}};

    const auto regular = denver->conditionsBetweenStartDate(utc(10, 10, 7), utc(10, 13), 3600);
    ASSERT_TRUE(regular);
    ASSERT_EQ(regular->size(), 2);
    const OVWeatherConditions &past = regular->at(0);
    EXPECT_EQ(past.date(), utc(10, 11));
    EXPECT_DOUBLE_EQ(past.temperatureC(), 4.0); // the 10:50 observation is closest
    const OVWeatherConditions &future = regular->at(1);
    EXPECT_EQ(future.date(), utc(10, 12));
    EXPECT_NEAR(future.temperatureF(), 52.0, 1e-4);
    EXPECT_NEAR(future.windSpeedKnots(), 10.0, 1e-4);
    EXPECT_NEAR(future.h1PrecipitationInches(), 0.1, 1e-6);

    EXPECT_FALSE(denver->conditionsBetweenStartDate(utc(10, 10, 7), utc(10, 13), 59));
    EXPECT_FALSE(denver->conditionsBetweenStartDate(utc(10, 13), utc(10, 10), 3600));
    const auto none = denver->conditionsBetweenStartDate(utc(10, 12, 30), utc(10, 13), 3600);
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->isEmpty());
}

TEST(WeatherLocationSums, ProratesEachPeriodByItsShareOfTheRange)
{
    const QList<QVariantMap> sixHours = {
        {{"startDate", utc(10, 6)}, {"endDate", utc(10, 12)}, {"liquidPrecip", "0.6"}}};
    const QList<QVariantMap> twoPeriods = {
        sixHours.first(),
        {{"startDate", utc(10, 12)}, {"endDate", utc(10, 15)}, {"liquidPrecip", 0.3}},
        {{"date", utc(10, 13)}, {"liquidPrecip", 5.0}}};
    struct Case
    {
        const char *name;
        QDateTime start;
        QDateTime end;
        QList<QVariantMap> forecast;
        double expected;
    };
    const Case cases[] = {
        {"two hours of six", utc(10, 10), utc(10, 14), sixHours, 0.2},
        {"across two periods", utc(10, 10), utc(10, 13), twoPeriods, 0.3},
        {"no overlap", utc(10, 12), utc(10, 14), sixHours, OVNoValue},
        {"reversed range", utc(10, 11), utc(10, 10), sixHours, OVNoValue},
        {"missing date", QDateTime(), utc(10, 10), sixHours, OVNoValue},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_NEAR(OVWeatherLocation::adjustedSumForTimeRange(c.start, c.end, c.forecast,
                                                               "liquidPrecip"),
                    c.expected, 1e-6);
    }
}

TEST_F(WeatherLocationSeriesTest, AnIconNameOutsideTheIconSetFallsBackToTheObservationsOwnWeather)
{
    // The service names "rain.png", which the icon set does not have; the report itself says
    // light rain under a broken sky.
    OVWeatherConditions latest = observed(utc(10, 20).addSecs(-7200), 10.0, "rain.png");
    latest.setPrecipitationIntensity("-");
    latest.setPrecipitationType("RA");
    latest.setSkyCover("BKN030");
    sources->latest = latest;
    sources->service = {{{"image", "skc"}, {"date", utc(10, 21)}}};
    ASSERT_FALSE(OVWeatherIconImages::hasImage("rain.png"));
    const QString icon = denver->currentConditionsIconName();
    EXPECT_TRUE(QStringList({"drizzle.png", "ndrizzle.png", "ra.png", "nra.png"}).contains(icon)) << icon.toStdString();
}

TEST_F(WeatherLocationSeriesTest, DailyMaximaAndMinimaComeFromTheirOwnSeries)
{
    sources->dailyMaxima = {observed(utc(10, 12), 14.0)};
    sources->dailyMinima = {observed(utc(10, 12), -3.0)};
    const auto maxima = denver->getMaxDataFrom(utc(9, 0), utc(11, 0));
    const auto minima = denver->getMinDataFrom(utc(9, 0), utc(11, 0));
    ASSERT_EQ(maxima.size(), 1);
    ASSERT_EQ(minima.size(), 1);
    EXPECT_DOUBLE_EQ(maxima.first().temperatureC(), 14.0);
    EXPECT_DOUBLE_EQ(minima.first().temperatureC(), -3.0);
}
