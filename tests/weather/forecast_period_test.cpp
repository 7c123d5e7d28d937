// Forecast periods: reading numbers and texts alike, missing values, the service column table
// and the service key's fallback.
#include "weather/OVForecastPeriod.h"

#include <gtest/gtest.h>

using namespace OVForecastKey;

TEST(ForecastPeriod, ReadersAcceptNumbersAndTextAndSeeMissingValues)
{
    const QVariantMap period = {
        {temp, 72.5f},          {dewpoint, QStringLiteral("55")}, {humidity, -1000.0f},
        {windSpeed, QStringLiteral("-1000")}, {isDay, QStringLiteral("1")}, {precip, 40},
        {image, QStringLiteral("sct")},       {cloudCover, QVariant()},
    };
    EXPECT_EQ(OVForecastPeriod::floatValue(period, temp), 72.5f);
    EXPECT_EQ(OVForecastPeriod::floatValue(period, dewpoint), 55.0f);
    EXPECT_EQ(OVForecastPeriod::integerValue(period, precip), 40);
    EXPECT_EQ(OVForecastPeriod::boolValue(period, isDay), true);
    EXPECT_EQ(OVForecastPeriod::stringValue(period, image), QStringLiteral("sct"));
    // Absent, null and -1000 all read as missing, never as zero.
    EXPECT_FALSE(OVForecastPeriod::floatValue(period, mint));
    EXPECT_FALSE(OVForecastPeriod::floatValue(period, cloudCover));
    EXPECT_FALSE(OVForecastPeriod::floatValue(period, humidity));
    EXPECT_FALSE(OVForecastPeriod::floatValue(period, windSpeed));
    EXPECT_FALSE(OVForecastPeriod::integerValue(period, windSpeed));
    EXPECT_FALSE(OVForecastPeriod::boolValue(period, shortDesc));
    EXPECT_FALSE(OVForecastPeriod::dateValue(period, startDate).isValid());
}

TEST(ForecastPeriod, ServiceRowGainsItsElementKeys)
{
    QVariantMap row = {
        {QStringLiteral("Temperature F"), QStringLiteral("72")},
        {QStringLiteral("Probability of Precipitation"), QStringLiteral("30")},
        {QStringLiteral("Wind Speed Knots"), QStringLiteral("12")},
        {QStringLiteral("Average Wind Speed Knots"), QStringLiteral("9")},
        {QStringLiteral("Icon"), QStringLiteral("ra")},
        {QStringLiteral("Station"), QStringLiteral("KSJC")},
    };
    OVForecastPeriod::addElementKeys(row);
    for (const QString &key : {temp, maxt, mint, hourlyt})
        EXPECT_EQ(row.value(key), QVariant(QStringLiteral("72"))) << key.toStdString();
    EXPECT_EQ(row.value(precip), QVariant(QStringLiteral("30")));
    EXPECT_EQ(row.value(popFromIcon), QVariant(QStringLiteral("30")));
    EXPECT_EQ(row.value(windSpeed), QVariant(QStringLiteral("12")));
    EXPECT_EQ(row.value(image), QVariant(QStringLiteral("ra")));
    EXPECT_EQ(row.value(QStringLiteral("Station")), QVariant(QStringLiteral("KSJC")));
    EXPECT_FALSE(row.contains(dewpoint));

    QVariantMap averageOnly = {{QStringLiteral("Average Wind Speed Knots"), QStringLiteral("9")}};
    OVForecastPeriod::addElementKeys(averageOnly);
    EXPECT_EQ(averageOnly.value(windSpeed), QVariant(QStringLiteral("9")));
}

TEST(ForecastPeriod, ServiceKeyFallsBackToItsFirstThreeFields)
{
    EXPECT_EQ(OVForecastPeriod::serviceKeyFallback(QStringLiteral("37.32,-122.03,-420,ICAO,KSJC")),
              QStringLiteral("37.32,-122.03,-420"));
    EXPECT_TRUE(OVForecastPeriod::serviceKeyFallback(QStringLiteral("37.32,-122.03,-420")).isNull());
}
