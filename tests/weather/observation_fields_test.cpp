// Every field of the observation record through each form it is kept in: key-value access,
// the dictionary form, a station file, and a station file written before the fields were listed
// in one table. The names below are the stored ones and must never change.
#include "ObservationTestSupport.h"
#include "support/TestHelpers.h"
#include "weather/OVBrisantObservationsBroker.h"
#include "weather/OVObservationStationDB.h"

#include <QFile>
#include <QJsonObject>
#include <QTemporaryDir>

#include <algorithm>

using namespace ObservationTest;

namespace {

struct FieldCase
{
    const char *key;
    /// Name in the dictionary form; nullptr when not stored there.
    const char *dictionaryKey;
    /// Station-file column; nullptr when the file does not keep it.
    const char *column;
    /// Whether the range select reads the column back (else only the file holds it).
    bool rangeRead;
    /// Whether key-value access may set it.
    bool settable = true;
};

const FieldCase kFields[] = {
    {"date", "date", "entry_date", true},
    {"windDirection", "windDirection", "wind_direction", true},
    {"windSpeedKnots", "windSpeedKnots", "wind_speed_knots", true},
    {"gustSpeedKnots", "gustSpeedKnots", "gust_speed_knots", true},
    {"visibilityMiles", "visibilityMiles", "visibility_miles", true},
    {"temperatureC", "temperatureC", "temperature_c", true},
    {"dewpointC", "dewpointC", "dewpoint_c", true},
    {"pressureMB", "pressureMB", "pressure_hpa", true},
    {"h1PrecipitationInches", "h1PrecipitationInches", "h1_precipitation", true},
    {"h3PrecipitationInches", "h3PrecipitationInches", "h3_precipitation", false},
    {"h6PrecipitationInches", "h6PrecipitationInches", "h6_precipitation", false},
    {"h24PrecipitationInches", "h24PrecipitationInches", "h24_precipitation", false},
    {"skyCover", "skyCover", "sky_cover", true},
    {"snowDepthInches", "snowDepthInches", "snow_depth_inches", false},
    {"precipitationIntensity", "precipitationIntensity", "precipitation_intensity", true},
    {"precipitationDescriptor", "precipitationDescriptor", "precipitation_descriptor", true},
    {"precipitationType", "precipitationType", "precipitation_type", true},
    {"obscurationIntensity", "obscurationIntensity", "obscuration_intensity", true},
    {"obscurationDescriptor", "obscurationDescriptor", "obscuration_descriptor", true},
    {"obscurationType", "obscurationType", "obscuration_type", true},
    {"otherPhenomenaIntensity", "otherPhenomenaIntensity", "other_phenomena_intensity", true},
    {"otherPhenomenaDescriptor", "otherPhenomenaDescriptor", "other_phenomena_descriptor", true},
    {"otherPhenomenaType", "otherPhenomenaType", "other_phenomena_type", true},
    {"solarRadiation", "solarRadiation", "solar_radiation_watts_per_meter2", true},
    {"minTemperatureC", "minTemperatureC", nullptr, false},
    {"maxTemperatureC", "maxTemperatureC", nullptr, false},
    {"probabilityOfPrecipitation", "probabilityOfPrecipitation", nullptr, false},
    {"cloudCoverPercent", "cloudCoverPercent", nullptr, false},
    {"iconName", "icon", nullptr, false},
    {"longDescription", "longDescription", nullptr, false},
    {"snowPrecipitationInches", nullptr, nullptr, false, false},
    {"waveHeightFeet", nullptr, nullptr, false, false},
};

/// A record with every field set to a value of its own (exact in float, so the dictionary
/// form's float numbers keep it); `k` shifts them. The two records of the committed station
/// file were made by this with k = 0 and 1.
OVWeatherConditions everyField(int k, const QDateTime &date)
{
    OVWeatherConditions c;
    c.setDate(date);
    c.setWindDirection(200 + k);
    c.setWindSpeedKnots(11.5 + k);
    c.setGustSpeedKnots(22.25 + k);
    c.setVisibilityMiles(7.5 + k);
    c.setTemperatureC(-3.5 + k);
    c.setDewpointC(-6.25 + k);
    c.setPressureMB(1013.5 + k);
    c.setH1PrecipitationInches(0.01 + k);
    c.setH3PrecipitationInches(0.03 + k);
    c.setH6PrecipitationInches(0.06 + k);
    c.setH24PrecipitationInches(0.24 + k);
    c.setSkyCover(k ? QStringLiteral("FEW030 BKN250") : QStringLiteral("OVC008"));
    c.setSnowDepthInches(4 + k);
    c.setPrecipitationIntensity(k ? QStringLiteral("+") : QStringLiteral("-"));
    c.setPrecipitationDescriptor(k ? QStringLiteral("SH") : QStringLiteral("FZ"));
    c.setPrecipitationType(k ? QStringLiteral("SN") : QStringLiteral("RA"));
    c.setObscurationIntensity(k ? QStringLiteral("VC") : QStringLiteral(""));
    c.setObscurationDescriptor(k ? QStringLiteral("BL") : QStringLiteral("MI"));
    c.setObscurationType(k ? QStringLiteral("HZ") : QStringLiteral("BR"));
    c.setOtherPhenomenaIntensity(k ? QStringLiteral("+") : QStringLiteral("VC"));
    c.setOtherPhenomenaDescriptor(k ? QStringLiteral("DR") : QStringLiteral("TS"));
    c.setOtherPhenomenaType(k ? QStringLiteral("SS") : QStringLiteral("PO"));
    c.setSolarRadiation(455.5 + k);
    return c;
}

/// everyField plus the values the station file does not keep.
OVWeatherConditions allFields()
{
    OVWeatherConditions c = everyField(0, utc(2024, 3, 4, 5, 6, 7));
    c.setMinTemperatureC(-8.5);
    c.setMaxTemperatureC(2.75);
    c.setProbabilityOfPrecipitation(40);
    c.setCloudCoverPercent(62.5);
    c.setIconName(QStringLiteral("sct_rain"));
    c.setLongDescription(QStringLiteral("Light freezing rain"));
    c.setSnowPrecipitationInches(1.5);
    c.setWaveHeightFeet(3.25);
    return c;
}

/// The same value, numbers compared to float precision (the dictionary form keeps floats).
void expectSame(const QVariant &actual, const QVariant &expected, const char *key)
{
    if (expected.typeId() == QMetaType::Double)
        EXPECT_NEAR(actual.toDouble(), expected.toDouble(), 1e-5 * std::max(1.0, std::abs(expected.toDouble())))
            << key;
    else
        EXPECT_EQ(actual, expected) << key;
}

/// A field the record knows: set, and not the missing-number marker.
void expectKnown(const QVariant &value, const char *key)
{
    EXPECT_TRUE(value.isValid()) << key << " is not a key of the record";
    EXPECT_NE(value.toDouble(), -1000.0) << key;
}

/// The column's stored value as the sqlite3 shell prints it.
QString stored(const QString &path, const char *column, const QString &entryDate)
{
    return shell(path,
                 QStringLiteral("SELECT %1 FROM icao_history WHERE entry_date = %2;").arg(QLatin1String(column), entryDate),
                 true);
}

/// What the shell prints for the record's value of the field.
QString shellText(const OVWeatherConditions &record, const FieldCase &field)
{
    if (QLatin1String(field.key) == QLatin1String("date"))
        return record.date().toString(QStringLiteral("yyyyMMddHHmmss"));
    const QVariant value = record.valueForKey(QLatin1String(field.key));
    if (value.typeId() == QMetaType::Double)
        return QString::number(value.toDouble(), 'f', 2);
    return value.toString();
}

QString asShellNumber(const QString &text, const QVariant &like)
{
    return like.typeId() == QMetaType::Double ? QString::number(text.toDouble(), 'f', 2) : text;
}

class ObservationFields : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QTemporaryDir dir;
};

} // namespace

TEST_F(ObservationFields, EveryFieldRoundTripsThroughKeyValueAccess)
{
    const OVWeatherConditions full = allFields();
    for (const FieldCase &field : kFields) {
        const QString key = QLatin1String(field.key);
        const QVariant value = full.valueForKey(key);
        expectKnown(value, field.key);
        if (!field.settable)
            continue;
        OVWeatherConditions copy;
        copy.setValue(value, key);
        expectSame(copy.valueForKey(key), value, field.key);
    }
}

TEST_F(ObservationFields, EveryStoredFieldRoundTripsThroughTheDictionaryFormUnderItsName)
{
    const OVWeatherConditions full = allFields();
    const QVariantMap form = full.dictionaryRepresentation();
    QStringList expectedKeys;
    for (const FieldCase &field : kFields) {
        if (field.dictionaryKey)
            expectedKeys << QLatin1String(field.dictionaryKey);
    }
    expectedKeys.sort();
    EXPECT_EQ(form.keys(), expectedKeys);

    const OVWeatherConditions back = OVWeatherConditions::initWithDictionary(form);
    for (const FieldCase &field : kFields) {
        if (field.dictionaryKey)
            expectSame(back.valueForKey(QLatin1String(field.key)), full.valueForKey(QLatin1String(field.key)), field.key);
    }
}

TEST_F(ObservationFields, EveryColumnOfAStationFileHoldsItsFieldAndReadsBack)
{
    const QString path = dir.filePath(QStringLiteral("KXYZ.db"));
    const OVWeatherConditions full = allFields();
    {
        auto station = OVObservationStationDB::initWithPath(path);
        ASSERT_TRUE(station);
        ASSERT_TRUE(station->insertWeatherConditions({full}));
        const auto rows = station->weatherConditionsWithStartDate(full.date(), full.date());
        ASSERT_EQ(rows.size(), 1);
        for (const FieldCase &field : kFields) {
            if (field.rangeRead)
                expectSame(rows[0].valueForKey(QLatin1String(field.key)), full.valueForKey(QLatin1String(field.key)),
                           field.key);
        }
        station->closeDatabaseConnection();
    }
    int columns = 0;
    for (const FieldCase &field : kFields) {
        if (!field.column)
            continue;
        ++columns;
        const QVariant like = full.valueForKey(QLatin1String(field.key));
        EXPECT_EQ(asShellNumber(stored(path, field.column, QStringLiteral("20240304050607")), like),
                  shellText(full, field))
            << field.column;
    }
    EXPECT_EQ(shell(path, "SELECT count(*) FROM pragma_table_info('icao_history');", true), QString::number(columns));
}

TEST_F(ObservationFields, AStationFileWrittenBeforeTheFieldTableReadsTheSame)
{
    const QString path = dir.filePath(QStringLiteral("KOLD.db"));
    ASSERT_TRUE(QFile::copy(testDataPath(QStringLiteral("weather/observations/station_every_field.db")), path));
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    // A file made today has the same tables, columns and types.
    const QString fresh = dir.filePath(QStringLiteral("KNEW.db"));
    OVObservationStationDB::initWithPath(fresh)->closeDatabaseConnection();
    const QString schema = QStringLiteral("SELECT name, sql FROM sqlite_master ORDER BY name;");
    EXPECT_EQ(shell(path, schema, true), shell(fresh, schema, true));

    const QList<OVWeatherConditions> expected{everyField(0, utc(2024, 3, 4, 5, 6, 7)),
                                              everyField(1, utc(2024, 3, 4, 6, 56, 0))};
    auto station = OVObservationStationDB::initWithPath(path);
    ASSERT_TRUE(station);
    const auto rows = station->weatherConditionsWithStartDate(utc(2024, 3, 4), utc(2024, 3, 5));
    ASSERT_EQ(rows.size(), 2);
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const QString entryDate = expected[i].date().toString(QStringLiteral("yyyyMMddHHmmss"));
        for (const FieldCase &field : kFields) {
            if (!field.column)
                continue;
            const QVariant want = expected[i].valueForKey(QLatin1String(field.key));
            expectKnown(want, field.key);
            if (field.rangeRead)
                expectSame(rows[i].valueForKey(QLatin1String(field.key)), want, field.key);
            else
                EXPECT_EQ(asShellNumber(stored(path, field.column, entryDate), want), shellText(expected[i], field))
                    << field.column;
        }
    }
}

TEST_F(ObservationFields, EveryFieldTheObservationServiceSendsFillsTheRecord)
{
    // One observation in the service's wire form, each value distinct and in its sent unit.
    const QJsonObject observation{
        {"Time", "20240304050607"},
        {"Precipitation Code", "-FZRA"},
        {"Temperature F", 50.0},
        {"Dewpoint F", 41.0},
        {"Wind Direction Degrees", 200.0},
        {"Wind Speed Knots", 11.5},
        {"Gust Speed Knots", 22.25},
        {"Visibility Miles", 7.5},
        {"Pressure MB", 1013.5},
        {"1 Hour Precipitation Inches", 0.01},
        {"3 Hour Precipitation Inches", 0.03},
        {"6 Hour Precipitation Inches", 0.06},
        {"24 Hour Precipitation Inches", 0.24},
        {"Snow Depth Inches", 4.0},
        {"Sky Cover", "OVC008"},
        {"Icon Name", "ra"},
        {"Solar Radiation Watts/Meter^2", 455.5},
    };
    const auto record = OVBrisantObservationsBroker::conditionsForJSONObservation(observation);
    ASSERT_TRUE(record);
    const std::pair<const char *, QVariant> expected[] = {
        {"date", utc(2024, 3, 4, 5, 6, 7)},
        {"temperatureC", 10.0},
        {"dewpointC", 5.0},
        {"windDirection", 200.0},
        {"windSpeedKnots", 11.5},
        {"gustSpeedKnots", 22.25},
        {"visibilityMiles", 7.5},
        {"pressureMB", 1013.5},
        {"h1PrecipitationInches", 0.01},
        {"h3PrecipitationInches", 0.03},
        {"h6PrecipitationInches", 0.06},
        {"h24PrecipitationInches", 0.24},
        {"snowDepthInches", 4.0},
        {"skyCover", "OVC008"},
        {"iconName", "ra"},
        {"solarRadiation", 455.5},
        {"precipitationIntensity", "-"},
        {"precipitationDescriptor", "FZ"},
        {"precipitationType", "RA"},
    };
    for (const auto &[key, value] : expected)
        expectSame(record->valueForKey(QLatin1String(key)), value, key);
}
