// The weather conditions record: checked values, derived values against published NWS charts and
// issued forecasts, texts in every unit, the dictionary form through a real settings file, station
// rows through SQLite, the day flag and forecast periods.
#include "ReferenceTable.h"
#include "support/FakeClock.h"
#include "support/TestHelpers.h"

#include "core/OVSQLite3DB.h"
#include "platform/OVUserDefaults.h"
#include "weather/OVForecastPeriod.h"
#include "weather/OVLocation.h"
#include "weather/OVWeatherConditions.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

const QString kDash = QString(QChar(0x2014));

using Fill = std::function<void(OVWeatherConditions &)>;

// The unit a text member takes, from the code stored in the settings.
template <typename Unit>
Unit unitFor(QString (OVWeatherConditions::*)(Unit) const, int code)
{
    return OVUnits::fromCode<Unit>(code);
}

// The dew point (°C) at which the record's own humidity formula gives `humidity` percent at
// `temperatureC`: es(d) = humidity / 100 * es(t), solved for d.
double dewpointForHumidity(double temperatureC, double humidity)
{
    const double es = 6.11 * std::pow(10.0, 7.5 * temperatureC / (237.7 + temperatureC));
    const double y = std::log10(humidity / 100.0 * es / 6.11);
    return 237.7 * y / (7.5 - y);
}

OVWeatherConditions withTemperatureF(double fahrenheit, double dewpointF)
{
    OVWeatherConditions c;
    c.setTemperatureF(fahrenheit);
    c.setDewpointF(dewpointF);
    return c;
}

} // namespace

TEST(WeatherConditions, NewRecordIsMissingEverythingAndSaysSo)
{
    const OVWeatherConditions c;
    for (double value : {c.windDirection(), c.windSpeedKnots(), c.gustSpeedKnots(),
                         c.visibilityMiles(), c.temperatureC(), c.dewpointC(), c.pressureMB(),
                         c.pressureHPA(), c.pressureIn(), c.relativeHumidity(), c.windChillF(),
                         c.heatIndexF(), c.feelsLikeF(), c.snowDepthInches(), c.waveHeightFeet()})
        EXPECT_EQ(value, -1000.0);
    EXPECT_TRUE(c.skyCover().isNull());
    EXPECT_TRUE(c.isDay());
    for (int units : {0, 1, 2, 3}) {
        SCOPED_TRACE(units);
        const auto temperatureUnit = OVUnits::fromCode<OVTemperatureUnit>(units);
        const auto windUnit = OVUnits::fromCode<OVWindSpeedUnit>(units);
        const auto pressureUnit = OVUnits::fromCode<OVPressureUnit>(units);
        EXPECT_EQ(c.temperatureStringWithUnits(temperatureUnit), kDash);
        EXPECT_EQ(c.integerTemperatureStringWithUnits(temperatureUnit), kDash);
        EXPECT_EQ(c.dewpointStringWithUnits(temperatureUnit), kDash);
        EXPECT_EQ(c.feelsLikeTemperatureStringWithUnits(temperatureUnit), kDash);
        EXPECT_EQ(c.windChillStringWithUnits(temperatureUnit), kDash);
        EXPECT_EQ(c.heatIndexStringWithUnits(temperatureUnit), kDash);
        EXPECT_EQ(c.visibilityStringWithUnits(OVUnits::fromCode<OVDistanceUnit>(units)), kDash);
        EXPECT_EQ(c.shortPressureStringWithUnits(pressureUnit), kDash);
        EXPECT_EQ(c.pressureStringWithUnits(pressureUnit), kDash);
        EXPECT_EQ(c.windSpeedStringWithUnits(windUnit), QStringLiteral("Calm"));
        EXPECT_EQ(c.windStringWithUnits(windUnit), QStringLiteral("Calm"));
        EXPECT_EQ(c.gustSpeedStringWithUnits(windUnit), QString());
    }
    EXPECT_EQ(c.humidityString(), kDash);
    EXPECT_EQ(c.skyCoverPercentageString(), QStringLiteral("Clear"));
    EXPECT_EQ(c.windDirectionString(), kDash);
    EXPECT_EQ(c.dateStringUsingTimeZone(QTimeZone::utc(), false), kDash);
}

TEST(WeatherConditions, CheckedGettersRefuseValuesOutsidePhysicalRanges)
{
    OVWeatherConditions c;
    c.setTemperatureC(20.0);
    c.setDewpointC(21.0);
    EXPECT_EQ(c.dewpointC(), -1000.0);
    EXPECT_EQ(c.relativeHumidity(), -1000.0);
    c.setWindDirection(361.0);
    EXPECT_EQ(c.windDirection(), -1000.0);
    c.setWindSpeedKnots(301.0);
    EXPECT_EQ(c.windSpeedMPH(), -1000.0);
    c.setPressureMB(750.0);
    EXPECT_EQ(c.pressureHPA(), -1000.0);
    EXPECT_EQ(c.pressureKPA(), -1000.0);
    EXPECT_NEAR(c.pressureIn(), 22.15, 0.005);
    c.setPressureMB(1013.25);
    EXPECT_DOUBLE_EQ(c.pressureHPA(), 1013.25);
    EXPECT_NEAR(c.pressureKPA(), 101.325, 1e-9);
    // The stored values stay as they were set.
    EXPECT_EQ(c.valueForKey(QStringLiteral("windSpeedKnots")).toDouble(), -1000.0);
    EXPECT_EQ(c.dictionaryRepresentation().value(QStringLiteral("windSpeedKnots")).toFloat(), 301.0f);
}

TEST(WeatherConditions, SettersInOtherUnitsKeepTheMissingMarker)
{
    OVWeatherConditions c;
    c.setWindSpeedMPS(10.0);
    EXPECT_NEAR(c.windSpeedKnots(), 19.438445, 1e-9);
    c.setVisibilityKilometers(10.0);
    EXPECT_NEAR(c.visibilityMiles(), 6.21371192, 1e-9);
    c.setPressureIn(29.92);
    EXPECT_NEAR(c.pressureMB(), 1013.21, 0.01);
    c.setTemperatureF(212.0);
    EXPECT_NEAR(c.temperatureC(), 100.0, 1e-4);
    for (const auto &set : std::initializer_list<Fill>{
             [](auto &r) { r.setWindSpeedMPS(-1000); }, [](auto &r) { r.setGustSpeedMPS(-1000); },
             [](auto &r) { r.setVisibilityKilometers(-1000); },
             [](auto &r) { r.setTemperatureF(-1000); }, [](auto &r) { r.setDewpointF(-1000); },
             [](auto &r) { r.setPressureIn(-1000); }})
        set(c);
    EXPECT_EQ(c.windSpeedKnots(), -1000.0);
    EXPECT_EQ(c.visibilityMiles(), -1000.0);
    EXPECT_EQ(c.temperatureC(), -1000.0);
    EXPECT_EQ(c.pressureMB(), -1000.0);
}

TEST(WeatherConditions, HeatIndexFollowsTheNwsChart)
{
    const ReferenceTable chart =
        readReferenceTable(QStringLiteral("weather/conditions/nws_heat_index_chart.csv"), ',');
    ASSERT_EQ(chart.rows.size(), 135);
    for (const QStringList &row : chart.rows) {
        const double t = chart.number(row, QStringLiteral("temperature_F"));
        const double rh = chart.number(row, QStringLiteral("relative_humidity_pct"));
        SCOPED_TRACE(QStringLiteral("%1 F, %2 %").arg(t).arg(rh).toStdString());
        OVWeatherConditions c;
        c.setTemperatureF(t);
        c.setDewpointC(std::min(dewpointForHumidity(c.temperatureC(), rh), c.temperatureC()));
        ASSERT_NEAR(c.relativeHumidity(), rh, 0.01);
        const double expected = chart.number(row, QStringLiteral("nws_chart_heat_index_F"));
        // The 16-term polynomial leaves the chart at high humidity.
        EXPECT_NEAR(c.heatIndexF(), expected, rh <= 70.0 ? 2.0 : 5.5);
    }
    OVWeatherConditions c;
    c.setTemperatureF(90.0);
    c.setDewpointC(dewpointForHumidity(c.temperatureC(), 50.0));
    EXPECT_NEAR(c.heatIndexF(), 95.55, 0.01);
    c.setTemperatureF(79.0);
    EXPECT_NEAR(c.heatIndexF(), 79.0, 1e-4);
}

TEST(WeatherConditions, HumidityAndHeatIndexMatchIssuedForecasts)
{
    const ReferenceTable mapclick = readReferenceTable(
        QStringLiteral("weather/conditions/nws_mapclick_T_Td_RH_HI_2024-05-22.csv"), ',');
    ASSERT_EQ(mapclick.rows.size(), 168);
    for (const QStringList &row : mapclick.rows) {
        SCOPED_TRACE(mapclick.value(row, QStringLiteral("valid_time")).toStdString());
        const OVWeatherConditions c = withTemperatureF(mapclick.number(row, QStringLiteral("temperature_F")),
                                                       mapclick.number(row, QStringLiteral("dewpoint_F")));
        EXPECT_NEAR(c.relativeHumidity(), mapclick.number(row, QStringLiteral("nws_relative_humidity_pct")), 3.5);
        if (!mapclick.value(row, QStringLiteral("nws_heat_index_F")).isEmpty()) {
            EXPECT_NEAR(c.heatIndexF(), mapclick.number(row, QStringLiteral("nws_heat_index_F")), 3.5);
        }
    }

    const ReferenceTable ndfd =
        readReferenceTable(QStringLiteral("weather/conditions/ndfd_T_Td_RH_triples.csv"), ',');
    ASSERT_EQ(ndfd.rows.size(), 96);
    for (const QStringList &row : ndfd.rows) {
        SCOPED_TRACE(ndfd.value(row, QStringLiteral("valid_time")).toStdString());
        OVWeatherConditions c;
        const double t = ndfd.number(row, QStringLiteral("temperature"));
        const double d = ndfd.number(row, QStringLiteral("dewpoint"));
        if (ndfd.value(row, QStringLiteral("unit")) == QLatin1String("F")) {
            c = withTemperatureF(t, d);
        } else {
            c.setTemperatureC(t);
            c.setDewpointC(d);
        }
        EXPECT_NEAR(c.relativeHumidity(), ndfd.number(row, QStringLiteral("ndfd_relative_humidity_pct")), 3.5);
    }
}

TEST(WeatherConditions, WindChillFollowsTheNwsChart)
{
    const ReferenceTable chart = readReferenceTable(
        QStringLiteral("weather/conditions/nws_wind_chill_chart_computed.csv"), ',');
    ASSERT_EQ(chart.rows.size(), 18);
    for (const QStringList &row : chart.rows) {
        for (int mph = 5; mph <= 60; mph += 5) {
            const double t = chart.number(row, QStringLiteral("temperature_F"));
            SCOPED_TRACE(QStringLiteral("%1 F, %2 mph").arg(t).arg(mph).toStdString());
            OVWeatherConditions c;
            c.setTemperatureF(t);
            c.setWindSpeedKnots(mph / 1.15077945);
            EXPECT_NEAR(c.windChillF(), chart.number(row, QStringLiteral("wind_%1mph").arg(mph)), 0.51);
        }
    }
    for (double t : {60.0, -60.0}) {
        OVWeatherConditions c;
        c.setTemperatureF(t);
        c.setWindSpeedKnots(20.0);
        EXPECT_NEAR(c.windChillF(), t, 1e-4);
    }
    OVWeatherConditions c;
    c.setTemperatureF(30.0);
    c.setWindSpeedKnots(10.0 / 1.15077945);
    EXPECT_NEAR(c.windChillF(), 21.25, 0.01);
    EXPECT_NEAR(c.feelsLikeF(), 21.25, 0.01);
}

TEST(WeatherConditions, TextsInEveryUnit)
{
    struct Case
    {
        const char *name;
        Fill fill;
        std::function<QString(const OVWeatherConditions &)> text;
        QString expected;
    };
    const auto temperature = [](double c) { return [c](OVWeatherConditions &r) { r.setTemperatureC(c); }; };
    const auto wind = [](double dir, double knots, double gust) {
        return [=](OVWeatherConditions &r) {
            r.setWindDirection(dir);
            r.setWindSpeedKnots(knots);
            r.setGustSpeedKnots(gust);
        };
    };
    const auto pressure = [](double mb) { return [mb](OVWeatherConditions &r) { r.setPressureMB(mb); }; };
    const auto visibility = [](double mi) { return [mi](OVWeatherConditions &r) { r.setVisibilityMiles(mi); }; };
    const auto text = [](auto member, int units) {
        return [=](const OVWeatherConditions &r) { return (r.*member)(unitFor(member, units)); };
    };
    using C = OVWeatherConditions;
    const QString deg(QChar(0x00B0));
    const std::vector<Case> cases = {
        {"temperature F", temperature(20), text(&C::temperatureStringWithUnits, 0), "68.0" + deg},
        {"temperature C", temperature(20), text(&C::temperatureStringWithUnits, 1), "20.0" + deg},
        {"temperature K", temperature(20), text(&C::temperatureStringWithUnits, 2), "293.1K"},
        {"integer -0.4", temperature(-0.4), text(&C::integerTemperatureStringWithUnits, 1), "0" + deg},
        {"integer -0.5", temperature(-0.5), text(&C::integerTemperatureStringWithUnits, 1), "0" + deg},
        {"integer -0.6", temperature(-0.6), text(&C::integerTemperatureStringWithUnits, 1), "-1" + deg},
        {"integer 2.5", temperature(2.5), text(&C::integerTemperatureStringWithUnits, 1), "3" + deg},
        {"integer K", temperature(0), text(&C::integerTemperatureStringWithUnits, 2), "273K"},
        {"wind chill missing without wind", temperature(-5), text(&C::windChillStringWithUnits, 0), kDash},
        {"heat index missing without dew point", temperature(35), text(&C::heatIndexStringWithUnits, 1), kDash},
        {"wind chill C", [](C &r) { r.setTemperatureF(30); r.setWindSpeedKnots(10 / 1.15077945); },
         text(&C::windChillStringWithUnits, 1), "-6.0" + deg + "C"},
        {"wind chill F", [](C &r) { r.setTemperatureF(30); r.setWindSpeedKnots(10 / 1.15077945); },
         text(&C::windChillStringWithUnits, 0), "21.2" + deg + "F"},
        {"feels like", [](C &r) { r.setTemperatureF(30); r.setWindSpeedKnots(10 / 1.15077945); },
         text(&C::integerFeelsLikeTemperatureStringWithUnits, 0), "21" + deg},
        {"humidity", [](C &r) { r.setTemperatureC(20); r.setDewpointC(10); },
         [](const C &r) { return r.humidityString(); }, "52%"},
        {"direction 22", wind(22, 5, -1000), [](const C &r) { return r.windDirectionString(); }, "N"},
        {"direction 23", wind(23, 5, -1000), [](const C &r) { return r.windDirectionString(); }, "NE"},
        {"direction 350", wind(350, 5, -1000), [](const C &r) { return r.windDirectionString(); }, "N"},
        {"direction -1", wind(-1, 5, -1000), [](const C &r) { return r.windDirectionString(); }, "Variable"},
        {"direction 361", wind(361, 5, -1000), [](const C &r) { return r.windDirectionString(); }, kDash},
        {"speed mph", wind(270, 10, -1000), text(&C::windSpeedStringWithUnits, 0), "12 mph"},
        {"speed km/h", wind(270, 10, -1000), text(&C::windSpeedStringWithUnits, 1), "19 km/h"},
        {"speed knots", wind(270, 10, -1000), text(&C::windSpeedStringWithUnits, 2), "10 knots"},
        {"speed m/s", wind(270, 10, -1000), text(&C::windSpeedStringWithUnits, 3), "5 m/s"},
        {"calm", wind(270, 0.5, -1000), text(&C::windSpeedStringWithUnits, 0), "Calm"},
        {"gust empty", wind(270, 10, -1000), text(&C::gustSpeedStringWithUnits, 2), ""},
        {"gust", wind(270, 10, 20), text(&C::gustSpeedStringWithUnits, 2), "20 knots"},
        {"wind with gusts", wind(270, 10, 20), text(&C::windStringWithUnits, 2), "W\n10 knots,\n20 knot gusts"},
        {"wind variable", wind(-1, 10, 20), text(&C::windStringWithUnits, 0), "Variable\n12 mph"},
        {"wind m/s", wind(90, 10, -1000), text(&C::windStringWithUnits, 3), "E\n5 m/s"},
        {"compact", wind(270, 10, 20), [](const C &r) { return r.shortCombinedSpeedStringWithUnits(OVWindSpeedUnit::Knots); }, "10-20\nkts"},
        {"compact no word", wind(270, 10, 20), [](const C &r) { return r.shortCombinedSpeedStringWithUnits(OVWindSpeedUnit::Knots, false); }, "10-20"},
        {"compact no gust", wind(270, 10, -1000), [](const C &r) { return r.shortCombinedSpeedStringWithUnits(OVWindSpeedUnit::KilometersPerHour); }, "19 km/h"},
        {"pressure in", pressure(1013.25), text(&C::shortPressureStringWithUnits, 0), "29.92 in"},
        {"pressure hPa", pressure(1013.25), text(&C::shortPressureStringWithUnits, 1), "1013 hPa"},
        {"pressure kPa", pressure(1013.25), text(&C::shortPressureStringWithUnits, 2), "101.3 kPa"},
        {"pressure mb", pressure(1013.25), text(&C::shortPressureStringWithUnits, 3), "1013 mb"},
        {"pressure long", pressure(1013.25), text(&C::pressureStringWithUnits, 1), "1013 hectopascals"},
        {"750 mb hPa", pressure(750), text(&C::shortPressureStringWithUnits, 1), kDash},
        {"750 mb in", pressure(750), text(&C::shortPressureStringWithUnits, 0), "22.15 in"},
        {"750 mb inches", pressure(750), text(&C::pressureStringWithUnits, 0), "22.15 inches"},
        {"one mile", visibility(1), text(&C::visibilityStringWithUnits, 0), "1 mile"},
        {"ten miles", visibility(10), text(&C::visibilityStringWithUnits, 0), "10 miles"},
        {"km", visibility(10), text(&C::visibilityStringWithUnits, 1), "16 km"},
        {"sky", [](C &r) { r.setSkyCover(QStringLiteral("FEW008 SCT250")); },
         [](const C &r) { return r.skyCoverPercentageString(); }, "50%"},
        {"conditions calm", [](C &r) { r.setTemperatureC(20); r.setWindSpeedKnots(0); r.setWindDirection(0); },
         [](const C &r) { return r.conditionsStringWithTemperatureUnits(OVTemperatureUnit::Celsius, OVWindSpeedUnit::MilesPerHour); }, "20.0" + deg + " with calm conditions."},
        {"conditions wind", [](C &r) { r.setTemperatureC(20); r.setWindSpeedKnots(10); r.setWindDirection(180); },
         [](const C &r) { return r.conditionsStringWithTemperatureUnits(OVTemperatureUnit::Celsius, OVWindSpeedUnit::Knots); }, "20.0" + deg + " with wind from the S\n10 knots."},
        {"conditions no direction", [](C &r) { r.setTemperatureC(20); r.setWindSpeedKnots(10); },
         [](const C &r) { return r.conditionsStringWithTemperatureUnits(OVTemperatureUnit::Celsius, OVWindSpeedUnit::Knots); }, "20.0" + deg},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        OVWeatherConditions record;
        c.fill(record);
        EXPECT_EQ(c.text(record), c.expected);
        EXPECT_FALSE(c.text(record).contains(QLatin1String("-1000")));
    }
}

TEST(WeatherConditions, SkyLayersSortByHeight)
{
    OVWeatherConditions c;
    EXPECT_FALSE(c.skyCoverComponents().has_value());
    c.setSkyCover(QStringLiteral("BKN020 FEW008 OVC100 SCT///"));
    EXPECT_EQ(c.skyCoverPercentage(), 100.0);
    const QVariantList expected = {
        QVariantMap{{"coverage", "FEW"}, {"height", 800}},
        QVariantMap{{"coverage", "BKN"}, {"height", 2000}},
        QVariantMap{{"coverage", "OVC"}, {"height", 10000}},
    };
    const auto layers = c.skyCoverComponents();
    ASSERT_TRUE(layers.has_value());
    ASSERT_EQ(layers->size(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(layers->at(i).toMap().value("coverage"), expected.at(i).toMap().value("coverage"));
        EXPECT_EQ(layers->at(i).toMap().value("height").toLongLong(), expected.at(i).toMap().value("height").toLongLong());
    }
    c.setSkyCover(QStringLiteral("CLR"));
    EXPECT_EQ(c.skyCoverComponents(), QVariantList());
}

TEST(WeatherConditions, DictionaryFormSurvivesASettingsFile)
{
    OVWeatherConditions c;
    c.setWindDirection(280);
    c.setWindSpeedKnots(15);
    c.setGustSpeedKnots(25);
    c.setVisibilityMiles(10);
    c.setTemperatureC(18.3);
    c.setMinTemperatureC(10);
    c.setMaxTemperatureC(21);
    c.setDewpointC(9.4);
    c.setPressureMB(1016.6);
    c.setH1PrecipitationInches(0.15);
    c.setH3PrecipitationInches(0.3);
    c.setH6PrecipitationInches(0.6);
    c.setH24PrecipitationInches(1.2);
    c.setProbabilityOfPrecipitation(100);
    c.setSnowDepthInches(4);
    c.setSolarRadiation(640);
    c.setCloudCoverPercent(50);
    c.setPrecipitationIntensity(QStringLiteral("-"));
    c.setPrecipitationDescriptor(QStringLiteral("SH"));
    c.setPrecipitationType(QStringLiteral("RA"));
    c.setObscurationIntensity(QStringLiteral(""));
    c.setObscurationType(QStringLiteral("BR"));
    c.setSkyCover(QStringLiteral("FEW008 SCT250"));
    c.setIconName(QStringLiteral("hi_shwrs.png"));
    c.setLongDescription(QStringLiteral("Showers likely."));
    c.setDate(QDateTime(QDate(2024, 5, 22), QTime(17, 56), Qt::UTC));
    c.setSnowPrecipitationInches(2);
    c.setWaveHeightFeet(3);
    c.setIsDay(false);

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Nimbrel Core.conf"));
    {
        OVUserDefaults defaults(path);
        defaults.setObject(QVariantMap{{QStringLiteral("KSFO"), c.dictionaryRepresentation()}},
                           QStringLiteral("OVObservationsDB_CurrentConditions"));
        ASSERT_TRUE(defaults.synchronize());
    }
    const QVariantMap stored = OVUserDefaults(path)
                                   .dictionaryForKey(QStringLiteral("OVObservationsDB_CurrentConditions"))
                                   .value(QStringLiteral("KSFO"))
                                   .toMap();
    const OVWeatherConditions back = OVWeatherConditions::initWithDictionary(stored);
    for (const char *key : {"windDirection", "windSpeedKnots", "gustSpeedKnots", "visibilityMiles",
                            "temperatureC", "minTemperatureC", "maxTemperatureC", "dewpointC",
                            "pressureMB", "h1PrecipitationInches", "h3PrecipitationInches",
                            "h6PrecipitationInches", "h24PrecipitationInches",
                            "probabilityOfPrecipitation", "snowDepthInches", "solarRadiation",
                            "cloudCoverPercent", "precipitationIntensity", "precipitationDescriptor",
                            "precipitationType", "obscurationIntensity", "obscurationType", "skyCover",
                            "iconName", "longDescription", "date"}) {
        SCOPED_TRACE(key);
        const QVariant want = c.valueForKey(QLatin1String(key));
        const QVariant got = back.valueForKey(QLatin1String(key));
        if (want.typeId() == QMetaType::Double)
            EXPECT_FLOAT_EQ(float(got.toDouble()), float(want.toDouble()));
        else
            EXPECT_EQ(got, want);
    }
    EXPECT_TRUE(back.obscurationDescriptor().isNull());
    EXPECT_EQ(back.snowPrecipitationInches(), -1000.0);
    EXPECT_EQ(back.waveHeightFeet(), -1000.0);
    EXPECT_TRUE(back.isDay());
}

TEST(WeatherConditions, StationRowsFillTheRecordThroughItsTextSetters)
{
    QTemporaryDir folder;
    const auto db = OVSQLite3DB::initWithDatabasePath(folder.filePath(QStringLiteral("KSFO.db")));
    ASSERT_TRUE(db && db->connectionOpen());
    ASSERT_TRUE(db->doQuery(QStringLiteral(
        "CREATE TABLE icao_history (entry_date date primary key, wind_direction float, "
        "temperature_c float, dewpoint_c float, pressure_hpa float, sky_cover text, "
        "precipitation_type text)")));
    ASSERT_TRUE(db->doQuery(QStringLiteral("INSERT INTO icao_history VALUES "
                                           "(20240522175600, 280, 18.3, NULL, 1016.6, 'FEW008', 'RA')")));
    const OVKeyMap keyMap = {{"wind_direction", "windDirectionString"},
                             {"temperature_c", "temperatureCString"},
                             {"dewpoint_c", "dewpointCString"},
                             {"pressure_hpa", "pressureMBString"},
                             {"sky_cover", "skyCover"},
                             {"precipitation_type", "precipitationType"},
                             {"entry_date", "dateString"}};
    const auto rows = db->selectObjectArrayWithQuery<OVWeatherConditions>(
        QStringLiteral("SELECT * FROM icao_history"), {}, keyMap,
        [] { return std::make_shared<OVWeatherConditions>(); });
    ASSERT_TRUE(rows && rows->size() == 1);
    const OVWeatherConditions &c = *rows->first();
    EXPECT_EQ(c.windDirection(), 280.0);
    EXPECT_FLOAT_EQ(float(c.temperatureC()), 18.3f);
    EXPECT_EQ(c.dewpointC(), -1000.0);
    EXPECT_FLOAT_EQ(float(c.pressureMB()), 1016.6f);
    EXPECT_EQ(c.skyCover(), QStringLiteral("FEW008"));
    EXPECT_EQ(c.precipitationType(), QStringLiteral("RA"));
    EXPECT_EQ(c.date(), QDateTime(QDate(2024, 5, 22), QTime(17, 56), Qt::UTC));
}

TEST(WeatherConditions, DayFlagFollowsTheSunIncludingPolarDaysAndNights)
{
    struct Case
    {
        const char *name;
        double latitude;
        QDateTime now;
        bool before;
        bool expected;
    };
    const std::vector<Case> cases = {
        {"Cupertino noon", 37.32, QDateTime(QDate(2024, 6, 21), QTime(20, 0), Qt::UTC), false, true},
        {"Cupertino midnight", 37.32, QDateTime(QDate(2024, 6, 21), QTime(8, 0), Qt::UTC), true, false},
        {"polar night", 78.2, QDateTime(QDate(2024, 12, 21), QTime(20, 0), Qt::UTC), true, false},
        // Local solar midnight under the midnight sun.
        {"polar day", 78.2, QDateTime(QDate(2024, 6, 21), QTime(8, 30), Qt::UTC), false, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        OVLocation place;
        place.setLatitude(c.latitude, -122.03);
        OVWeatherConditions record;
        record.setIsDay(c.before);
        record.setIsDayFromLocation(place, FakeClock(c.now));
        EXPECT_EQ(record.isDay(), c.expected);
    }
    OVWeatherConditions record;
    record.setIsDay(false);
    record.setIsDayFromLocation(OVLocation(), FakeClock());
    EXPECT_FALSE(record.isDay());
}

TEST(WeatherConditions, ForecastPeriodsBecomeRecords)
{
    using namespace OVForecastKey;
    const QDateTime when(QDate(2024, 5, 22), QTime(18, 0), Qt::UTC);
    const OVWeatherConditions hourly = OVWeatherConditions::initWithForecastDictionary(
        {{hourlyt, 50.0f}, {temp, 70.0f}, {dewpoint, -1000.0f}, {windSpeed, 12.0f},
         {isDay, false}, {image, QStringLiteral("nra")}, {date, when}, {waveHeight, 3.0f}});
    EXPECT_NEAR(hourly.temperatureC(), 10.0, 1e-5);
    EXPECT_EQ(hourly.dewpointC(), -1000.0);
    EXPECT_EQ(hourly.windSpeedKnots(), 12.0);
    EXPECT_EQ(hourly.windDirection(), -1000.0);
    EXPECT_EQ(hourly.gustSpeedKnots(), -1000.0);
    EXPECT_EQ(hourly.waveHeightFeet(), 3.0);
    EXPECT_FALSE(hourly.isDay());
    EXPECT_EQ(hourly.iconName(), QStringLiteral("nra"));
    EXPECT_EQ(hourly.date(), when);
    EXPECT_EQ(OVWeatherConditions::initWithForecastDictionary({{temp, 70.0f}}).temperatureF(),
              OVWeatherConditions::initWithForecastDictionary({{hourlyt, 70.0f}}).temperatureF());
    EXPECT_EQ(OVWeatherConditions::initWithForecastDictionary({{temp, -1000.0f}}).temperatureC(), -1000.0);

    const OVWeatherConditions daily = OVWeatherConditions::weatherConditionsFromForecastDictionary(
        {{temp, 68.0f}, {precip, 40}, {image, QStringLiteral("ra")}, {startDate, when},
         {fullDesc, QStringLiteral("Rain.")}});
    EXPECT_NEAR(daily.temperatureC(), 20.0, 1e-5);
    EXPECT_EQ(daily.dewpointC(), -1000.0);
    EXPECT_EQ(daily.relativeHumidity(), -1000.0);
    EXPECT_EQ(daily.probabilityOfPrecipitation(), 40.0);
    EXPECT_EQ(daily.windSpeedKnots(), -1000.0);
    EXPECT_EQ(daily.windDirection(), -1000.0);
    EXPECT_EQ(daily.iconName(), QStringLiteral("ra.png"));
    EXPECT_EQ(daily.longDescription(), QStringLiteral("Rain."));
    EXPECT_EQ(daily.date(), when);
    EXPECT_EQ(OVWeatherConditions::weatherConditionsFromForecastDictionary({}).iconName(),
              QStringLiteral("na.png"));
    EXPECT_EQ(OVWeatherConditions::weatherConditionsFromForecastDictionary(
                  {{windSpeed, std::numeric_limits<float>::infinity()}})
                  .windSpeedKnots(),
              -1000.0);
}

TEST(WeatherConditions, CopiesAreIndependentAndOrderByDate)
{
    OVWeatherConditions first;
    first.setDate(QDateTime(QDate(2024, 5, 22), QTime(10, 0), Qt::UTC));
    first.setTemperatureC(12);
    OVWeatherConditions second = first;
    second.setTemperatureC(14);
    second.setDate(first.date().addSecs(3600));
    EXPECT_EQ(first.temperatureC(), 12.0);
    EXPECT_EQ(OVWeatherConditions::dateComparator(first, second), -1);
    EXPECT_EQ(OVWeatherConditions::dateComparator(second, first), 1);
    EXPECT_EQ(OVWeatherConditions::dateComparator(first, OVWeatherConditions()), 0);
    EXPECT_TRUE(second.description().contains(QLatin1String("T[14.00C/")));
}
