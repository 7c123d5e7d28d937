// METAR decoding checked against NOAA's own decoding of 735 real reports, the groups one by one
// (wind, visibility, temperature, pressure, precipitation, weather, sky, date), the observation
// client's one-code-at-a-time use, and malformed input.
#include "ReferenceTable.h"
#include "support/FakeClock.h"
#include "support/TestHelpers.h"

#include "core/OVConstants.h"
#include "platform/OVLog.h"
#include "weather/OVWeatherConditions.h"

#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

namespace {

const FakeClock kJanuary2018(QDateTime(QDate(2018, 1, 11), QTime(16, 0), Qt::UTC));

std::optional<OVWeatherConditions> decode(const QString &metar, const OVClock &clock = kJanuary2018)
{
    return OVWeatherConditions::weatherConditionsFromMETAR(metar, metar.section(QLatin1Char(' '), 0, 0),
                                                           nullptr, clock);
}

/// NOAA's value, or -1000 for an empty cell.
double expectedNumber(const ReferenceTable &table, const QStringList &row, const char *column)
{
    const QString text = table.value(row, QLatin1String(column));
    return text.isEmpty() ? OVNoValue : text.toDouble();
}

struct WeatherGroup
{
    QString intensity, descriptor, type;
};

/// The first token of NOAA's weather string whose type belongs to `types`, split like a group.
std::optional<WeatherGroup> firstToken(const QString &wxString, const QSet<QString> &types)
{
    static const QStringList kDescriptors = {"MI", "PR", "BC", "DR", "BL", "SH", "TS", "FZ"};
    for (const QString &token : wxString.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        WeatherGroup group;
        QString rest = token;
        if (rest.startsWith(QLatin1Char('-')) || rest.startsWith(QLatin1Char('+'))) {
            group.intensity = rest.left(1);
            rest.remove(0, 1);
        }
        if (kDescriptors.contains(rest.left(2))) {
            group.descriptor = rest.left(2);
            rest.remove(0, 2);
        }
        group.type = rest.left(2);
        if (types.contains(group.type))
            return group;
    }
    return std::nullopt;
}

} // namespace

TEST(MetarDecoding, AgreesWithNoaaOnEveryReport)
{
    const ReferenceTable table =
        readReferenceTable(QStringLiteral("weather/conditions/adds_metars_decoded.tsv"), '\t');
    ASSERT_EQ(table.rows.size(), 735);
    const QSet<QString> precipitationTypes = {"DZ", "RA", "SN", "SG", "IC", "PE", "GR", "GS", "UP"};
    const QSet<QString> obscurationTypes = {"BR", "FG", "FU", "VA", "DU", "SA", "HZ", "PY"};
    const QSet<QString> otherTypes = {"PO", "SQ", "FC", "SS"};
    int checkedWeather = 0;
    for (const QStringList &row : table.rows) {
        const QString raw = table.value(row, QStringLiteral("raw_text"));
        SCOPED_TRACE(raw.toStdString());
        const auto c = decode(raw);
        ASSERT_TRUE(c.has_value());
        EXPECT_EQ(c->date(), QDateTime::fromString(table.value(row, "observation_time"), Qt::ISODate));

        // KNSI's remarks carry a truncated T group that NOAA still reads.
        if (!raw.startsWith(QLatin1String("KNSI "))) {
            EXPECT_NEAR(c->temperatureC(), expectedNumber(table, row, "temp_c"), 0.05);
            EXPECT_NEAR(c->dewpointC(), expectedNumber(table, row, "dewpoint_c"), 0.05);
        }
        const double direction = c->windDirection();
        // NOAA writes 0 for a variable direction.
        EXPECT_EQ(direction == -1.0 ? 0.0 : direction, expectedNumber(table, row, "wind_dir_degrees"));
        EXPECT_EQ(c->windSpeedKnots(), expectedNumber(table, row, "wind_speed_kt"));
        EXPECT_EQ(c->gustSpeedKnots(), expectedNumber(table, row, "wind_gust_kt"));
        if (!raw.contains(QLatin1String(" CAVOK "))) {
            EXPECT_NEAR(c->visibilityMiles(), expectedNumber(table, row, "visibility_statute_mi"), 0.01);
        }
        if (const double altimeter = expectedNumber(table, row, "altim_in_hg"); altimeter != OVNoValue) {
            EXPECT_NEAR(c->pressureIn(), altimeter, 0.01);
        }

        const QString wx = table.value(row, QStringLiteral("wx_string"));
        const std::tuple<const QSet<QString> &, QString, QString, QString> groups[] = {
            {precipitationTypes, c->precipitationIntensity(), c->precipitationDescriptor(), c->precipitationType()},
            {obscurationTypes, c->obscurationIntensity(), c->obscurationDescriptor(), c->obscurationType()},
            {otherTypes, c->otherPhenomenaIntensity(), c->otherPhenomenaDescriptor(), c->otherPhenomenaType()},
        };
        for (const auto &[types, intensity, descriptor, type] : groups) {
            const auto expected = firstToken(wx, types);
            EXPECT_EQ(intensity, expected ? expected->intensity : QString());
            EXPECT_EQ(descriptor, expected ? expected->descriptor : QString());
            EXPECT_EQ(type, expected ? expected->type : QString());
            checkedWeather += expected ? 1 : 0;
        }

        // KHOP repeats a cover code in its remarks; KTRK runs two layers together.
        if (raw.startsWith(QLatin1String("KHOP ")) || raw.startsWith(QLatin1String("KTRK ")))
            continue;
        QStringList expectedLayers;
        for (const QString &layer : table.value(row, "sky_condition(cover/base_ft_agl)").split(' ', Qt::SkipEmptyParts)) {
            if (QRegularExpression(QStringLiteral("^(FEW|SCT|BKN|OVC)/")).match(layer).hasMatch())
                expectedLayers.append(layer);
        }
        QStringList layers;
        for (const QVariant &layer : c->skyCoverComponents().value_or(QVariantList())) {
            const QVariantMap map = layer.toMap();
            layers.append(map.value("coverage").toString() + '/' + map.value("height").toString());
        }
        EXPECT_EQ(layers, expectedLayers);
    }
    EXPECT_GT(checkedWeather, 240);
}

TEST(MetarDecoding, WholeReportOfItsStation)
{
    const QString metar =
        QStringLiteral("KSFO 121756Z 28015G25KT 10SM FEW008 SCT250 18/09 A3002 RMK T01830094");
    const FakeClock clock(QDateTime(QDate(2024, 5, 20), QTime(9, 0), Qt::UTC));
    const auto c = OVWeatherConditions::weatherConditionsFromMETAR(metar, "KSFO", nullptr, clock);
    ASSERT_TRUE(c.has_value());
    EXPECT_EQ(c->windDirection(), 280.0);
    EXPECT_EQ(c->windSpeedKnots(), 15.0);
    EXPECT_EQ(c->gustSpeedKnots(), 25.0);
    EXPECT_EQ(c->visibilityMiles(), 10.0);
    EXPECT_DOUBLE_EQ(c->temperatureC(), 18.3);
    EXPECT_DOUBLE_EQ(c->dewpointC(), 9.4);
    EXPECT_NEAR(c->pressureMB(), 30.02 * 33.863867253640365, 1e-9);
    EXPECT_EQ(c->skyCover(), QStringLiteral("FEW008 SCT250"));
    EXPECT_EQ(c->date(), QDateTime(QDate(2024, 5, 12), QTime(17, 56), Qt::UTC));
    EXPECT_EQ(c->probabilityOfPrecipitation(), 0.0);
    EXPECT_FALSE(OVWeatherConditions::weatherConditionsFromMETAR(metar, "KOAK", nullptr, clock));
    // Line breaks and tabs inside the text do not split groups.
    EXPECT_TRUE(OVWeatherConditions::weatherConditionsFromMETAR(
        QStringLiteral("KSFO 121756Z\r\n 28015KT\t"), "KSFO", nullptr, clock));
}

TEST(MetarDecoding, Groups)
{
    struct Case
    {
        const char *report;
        std::function<double(const OVWeatherConditions &)> value;
        double expected;
    };
    using C = OVWeatherConditions;
    const auto temperature = [](const C &c) { return c.temperatureC(); };
    const auto dewpoint = [](const C &c) { return c.dewpointC(); };
    const auto pressure = [](const C &c) { return c.pressureMB(); };
    const auto direction = [](const C &c) { return c.windDirection(); };
    const auto speed = [](const C &c) { return c.windSpeedKnots(); };
    const auto gust = [](const C &c) { return c.gustSpeedKnots(); };
    const auto visibility = [](const C &c) { return c.visibilityMiles(); };
    const auto hourly = [](const C &c) { return c.h1PrecipitationInches(); };
    const std::vector<Case> cases = {
        {"KXXX 121756Z M05/M12", temperature, -5},
        {"KXXX 121756Z M05/M12", dewpoint, -12},
        {"KXXX 121756Z 12/", temperature, 12},
        {"KXXX 121756Z 12/", dewpoint, -1000},
        {"KXXX 121756Z 12/XX", temperature, 12},
        {"KXXX 121756Z M/M", temperature, -1000},
        {"KXXX 121756Z 05/M01 RMK T00521013", temperature, 5.2},
        {"KXXX 121756Z 05/M01 RMK T00521013", dewpoint, -1.3},
        {"KXXX 121756Z M01/M01 RMK T10061006", dewpoint, -0.6},
        {"KXXX 121756Z Q1013", pressure, 1013},
        {"KXXX 121756Z SLP982", pressure, 998.2},
        {"KXXX 121756Z SLP125", pressure, 1012.5},
        {"KXXX 121756Z A2992 Q1013 SLP125", pressure, 29.92 * 33.863867253640365},
        {"KXXX 121756Z Q0998 SLP125", pressure, 998},
        {"KXXX 121756Z P0015", hourly, 0.15},
        {"KXXX 121756Z P9999", hourly, -1000},
        {"KXXX 121756Z RMK 4/012", [](const C &c) { return c.snowDepthInches(); }, 12},
        {"KXXX 121756Z RMK 60123 70250", [](const C &c) { return c.h24PrecipitationInches(); }, 2.5},
        {"KXXX 121756Z P0015", [](const C &c) { return c.probabilityOfPrecipitation(); }, 100},
        // Variable winds keep their speed and gust; three-digit speeds; metres per second.
        {"KXXX 121756Z VRB05KT", direction, -1},
        {"KXXX 121756Z VRB05KT", speed, 5},
        {"KXXX 121756Z VRB05KT", gust, -1000},
        {"KXXX 121756Z VRB10G20KT", gust, 20},
        {"KXXX 121756Z 270105G125KT", speed, 105},
        {"KXXX 121756Z 270105G125KT", gust, 125},
        {"KXXX 121756Z 00000KT", direction, 0},
        {"KXXX 121756Z 00000KT", speed, 0},
        {"KXXX 121756Z 24005MPS", speed, 5 * 1.9438445},
        {"KXXX 121756Z GRID27015KT", direction, 270},
        {"KXXX 121756Z GRID27015KT", speed, 15},
        {"KXXX 121756Z /////KT", speed, -1000},
        // Fractions, whole plus fraction, and the M and P bounds read as the value.
        {"KXXX 121756Z 10SM", visibility, 10},
        {"KXXX 121756Z 1/2SM", visibility, 0.5},
        {"KXXX 121756Z M1/4SM", visibility, 0.25},
        {"KXXX 121756Z 1 1/2SM", visibility, 1.5},
        {"KXXX 121756Z P6SM", visibility, 6},
        {"KXXX 121756Z SM", visibility, -1000},
        {"KXXX 121756Z ////SM", visibility, -1000},
        {"KXXX 121756Z 9999", visibility, 9999 / 1000.0 / 1.609},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.report);
        const auto record = decode(QLatin1String(c.report));
        ASSERT_TRUE(record.has_value());
        EXPECT_NEAR(c.value(*record), c.expected, 1e-9);
    }
}

TEST(MetarDecoding, WeatherAndSkyGroups)
{
    const auto c = decode(QStringLiteral(
        "KXXX 121756Z 4SM -SHRASN BR FC VCTS FEW008 BKN020 RMK BKN V OVC"));
    ASSERT_TRUE(c.has_value());
    EXPECT_EQ(c->precipitationIntensity(), QStringLiteral("-"));
    EXPECT_EQ(c->precipitationDescriptor(), QStringLiteral("SH"));
    EXPECT_EQ(c->precipitationType(), QStringLiteral("RA"));
    EXPECT_EQ(c->obscurationIntensity(), QString(""));
    EXPECT_TRUE(c->obscurationDescriptor().isEmpty());
    EXPECT_EQ(c->obscurationType(), QStringLiteral("BR"));
    EXPECT_EQ(c->otherPhenomenaType(), QStringLiteral("FC"));
    // Remarks groups that begin with a cover code join the sky text.
    EXPECT_EQ(c->skyCover(), QStringLiteral("FEW008 BKN020 BKN OVC"));
    const auto clear = decode(QStringLiteral("YSWG 092100Z 10007KT CAVOK 20/14 Q1016"));
    EXPECT_EQ(clear->skyCover(), QStringLiteral("CAVOK"));
    EXPECT_EQ(clear->skyCoverComponents(), QVariantList());
}

TEST(MetarDecoding, DayAndTime)
{
    const FakeClock newYear(QDateTime(QDate(2024, 1, 1), QTime(3, 0), Qt::UTC));
    const auto late = decode(QStringLiteral("KXXX 312350Z 00000KT"), newYear);
    ASSERT_TRUE(late.has_value());
    EXPECT_EQ(late->date(), QDateTime(QDate(2023, 12, 31), QTime(23, 50), Qt::UTC));
    const auto today = decode(QStringLiteral("KXXX 010250Z 00000KT"), newYear);
    EXPECT_EQ(today->date(), QDateTime(QDate(2024, 1, 1), QTime(2, 50), Qt::UTC));

    // "Today" is read in the zone of the call: 2 January already in Tokyo.
    OVWeatherConditions tokyo;
    tokyo.setDay(2, 830, QTimeZone("Asia/Tokyo"),
                 FakeClock(QDateTime(QDate(2024, 1, 1), QTime(23, 0), Qt::UTC)));
    EXPECT_EQ(tokyo.date(), QDateTime(QDate(2024, 1, 1), QTime(23, 30), Qt::UTC));

    for (const char *bad : {"000000Z", "999999Z", "321200Z", "012400Z", "011260Z", "1217Z", "12175AZ"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(decode(QStringLiteral("KXXX %1 00000KT").arg(QLatin1String(bad))));
    }
}

TEST(MetarDecoding, ObservationCodesOneAtATimeKeepEachOther)
{
    OVWeatherConditions c;
    c.setPrecipitationFromMETARFields({"ICAO", "-RA"});
    c.setPrecipitationFromMETARFields({"ICAO", "BR"});
    c.setPrecipitationFromMETARFields({"ICAO", "FC"});
    EXPECT_EQ(c.precipitationIntensity(), QStringLiteral("-"));
    EXPECT_EQ(c.precipitationType(), QStringLiteral("RA"));
    EXPECT_EQ(c.obscurationType(), QStringLiteral("BR"));
    EXPECT_EQ(c.otherPhenomenaType(), QStringLiteral("FC"));

    // A decoder that finds nothing leaves what the record holds.
    c.setTemperatureC(12.0);
    c.setWindSpeedKnots(8.0);
    c.setTemperatureFromMETARFields({"ICAO", "FC"});
    c.setWindSpeedFromMETARFields({"ICAO", "FC"});
    EXPECT_EQ(c.temperatureC(), 12.0);
    EXPECT_EQ(c.windSpeedKnots(), 8.0);
}

TEST(MetarDecoding, BadInputGivesNothingOrMissingFields)
{
    for (const char *text : {"", "KXXX", "KXXX ", "KYYY 121756Z 28015KT", " KXXX 121756Z"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(OVWeatherConditions::weatherConditionsFromMETAR(QLatin1String(text), "KXXX",
                                                                     nullptr, kJanuary2018));
    }
    const auto c = decode(QStringLiteral("KXXX 111556Z /////KT ////SM M/M A//// Q//// SLP/// P//// T////"));
    ASSERT_TRUE(c.has_value());
    for (double value : {c->windDirection(), c->windSpeedKnots(), c->gustSpeedKnots(), c->visibilityMiles(),
                         c->temperatureC(), c->dewpointC(), c->pressureMB(), c->h1PrecipitationInches()})
        EXPECT_EQ(value, -1000.0);

    OVSetDebugLoggingEnabled(1);
    LogCapture log;
    EXPECT_EQ(OVWeatherConditions::findString(QString(), {"KXXX", "10SM"}), OVNotFound);
    EXPECT_EQ(OVWeatherConditions::findString(QStringLiteral(""), {"KXXX", "10SM"}), OVNotFound);
    EXPECT_EQ(OVWeatherConditions::findString(QStringLiteral("SM$"), {"KXXX", QString(), "", "10SM"}), 3);
    OVSetDebugLoggingEnabled(0);
    EXPECT_TRUE(log.contains(QStringLiteral("[OVWeatherConditions findString] search regex is nil")));
    EXPECT_TRUE(log.contains(QStringLiteral("[OVWeatherConditions findString] search regex is 0 length")));
    EXPECT_TRUE(log.contains(QStringLiteral("[OVWeatherConditions findString] array string is nil")));
}
