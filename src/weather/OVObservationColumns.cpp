// The station file layout: see OVObservationColumns.h.
#include "weather/OVObservationColumns.h"

namespace OVObservationColumns {

namespace {

constexpr HistoryColumn kHistory[] = {
    {"entry_date", "date", "date", "dateString"},
    {"wind_direction", "float", "windDirection", "windDirectionString"},
    {"wind_speed_knots", "float", "windSpeedKnots", "windSpeedKnotsString"},
    {"gust_speed_knots", "float", "gustSpeedKnots", "gustSpeedKnotsString"},
    {"visibility_miles", "float", "visibilityMiles", "visibilityMilesString"},
    {"temperature_c", "float", "temperatureC", "temperatureCString"},
    {"dewpoint_c", "float", "dewpointC", "dewpointCString"},
    {"pressure_hpa", "float", "pressureHPA", "pressureMBString"},
    {"h1_precipitation", "float", "h1PrecipitationInches", "h1PrecipitationInchesString"},
    {"h3_precipitation", "float", "h3PrecipitationInches", nullptr},
    {"h6_precipitation", "float", "h6PrecipitationInches", nullptr},
    {"h24_precipitation", "float", "h24PrecipitationInches", nullptr},
    {"sky_cover", "text", "skyCover", "skyCover"},
    {"snow_depth_inches", "float", "snowDepthInches", nullptr},
    {"precipitation_intensity", "text", "precipitationIntensity", "precipitationIntensity"},
    {"precipitation_descriptor", "text", "precipitationDescriptor", "precipitationDescriptor"},
    {"precipitation_type", "text", "precipitationType", "precipitationType"},
    {"obscuration_intensity", "text", "obscurationIntensity", "obscurationIntensity"},
    {"obscuration_descriptor", "text", "obscurationDescriptor", "obscurationDescriptor"},
    {"obscuration_type", "text", "obscurationType", "obscurationType"},
    {"other_phenomena_intensity", "text", "otherPhenomenaIntensity", "otherPhenomenaIntensity"},
    {"other_phenomena_descriptor", "text", "otherPhenomenaDescriptor", "otherPhenomenaDescriptor"},
    {"other_phenomena_type", "text", "otherPhenomenaType", "otherPhenomenaType"},
    {"solar_radiation_watts_per_meter2", "float", "solarRadiation", "solarRadiationString"},
};

// The order in which the range select names its columns.
constexpr const char *kSelectOrder[] = {
    "wind_direction", "wind_speed_knots", "gust_speed_knots", "visibility_miles", "temperature_c",
    "dewpoint_c", "pressure_hpa", "h1_precipitation", "precipitation_intensity",
    "precipitation_descriptor", "precipitation_type", "obscuration_intensity",
    "obscuration_descriptor", "obscuration_type", "other_phenomena_intensity",
    "other_phenomena_descriptor", "other_phenomena_type", "sky_cover",
    "solar_radiation_watts_per_meter2", "entry_date",
};

// Measured quantities that get a minimum and a maximum per day, in table order.
constexpr const char *kRanged[] = {"wind_speed_knots", "gust_speed_knots", "visibility_miles",
                                   "temperature_c",    "dewpoint_c",       "pressure_hpa"};
constexpr const char *kTotals[] = {"h1_precipitation", "h3_precipitation", "h6_precipitation",
                                   "h24_precipitation"};

// Condensed read: (column stem, record key); the stem gets "_min"/"_max" unless it is fixed.
struct CondensedColumn
{
    const char *column;
    bool ranged;
    const char *key;
};
constexpr CondensedColumn kCondensed[] = {
    {"wind_direction_avg", false, "windDirectionString"},
    {"wind_speed_knots", true, "windSpeedKnotsString"},
    {"gust_speed_knots", true, "gustSpeedKnotsString"},
    {"visibility_miles", true, "visibilityMilesString"},
    {"temperature_c", true, "temperatureCString"},
    {"dewpoint_c", true, "dewpointCString"},
    {"pressure_hpa", true, "pressureMBString"},
    {"h1_precipitation_total", false, "h1PrecipitationInchesString"},
    {"h3_precipitation_total", false, "h3PrecipitationInchesString"},
    {"h6_precipitation_total", false, "h6PrecipitationInchesString"},
    {"h24_precipitation_total", false, "h24PrecipitationInchesString"},
    {"snow_depth_inches", true, "snowDepthInchesString"},
    {"solar_radiation_watts_per_meter2", true, "solarRadiationString"},
    {"entry_date", false, "dateString"},
};

QString condensedColumnName(const CondensedColumn &column, bool minimum)
{
    QString name = QLatin1String(column.column);
    if (column.ranged)
        name += minimum ? QStringLiteral("_min") : QStringLiteral("_max");
    return name;
}

} // namespace

std::span<const HistoryColumn> history()
{
    return kHistory;
}

QString createHistoryStatement()
{
    QStringList columns;
    for (const HistoryColumn &column : kHistory) {
        columns << QStringLiteral("%1 %2%3").arg(QLatin1String(column.name),
                                                 QLatin1String(column.sqlType),
                                                 &column == &kHistory[0]
                                                     ? QStringLiteral(" primary key")
                                                     : QString());
    }
    return QStringLiteral("CREATE TABLE icao_history (%1)").arg(columns.join(QStringLiteral(", ")));
}

QString createStatusStatement()
{
    return QStringLiteral("CREATE TABLE db_status (new_records_since_vacuum int)");
}

QString createIndexStatement()
{
    return QStringLiteral("CREATE index history_index ON icao_history(entry_date)");
}

QStringList minMaxColumns()
{
    QStringList columns{QStringLiteral("entry_date"), QStringLiteral("time_zone_offset"),
                        QStringLiteral("wind_direction_avg")};
    for (const char *name : kRanged)
        columns << QLatin1String(name) + QStringLiteral("_min")
                << QLatin1String(name) + QStringLiteral("_max");
    for (const char *name : kTotals)
        columns << QLatin1String(name) + QStringLiteral("_total");
    for (const char *name : {"snow_depth_inches", "solar_radiation_watts_per_meter2"})
        columns << QLatin1String(name) + QStringLiteral("_min")
                << QLatin1String(name) + QStringLiteral("_max");
    return columns;
}

QString createMinMaxStatement()
{
    QStringList columns;
    const QStringList names = minMaxColumns();
    for (int i = 0; i < names.size(); ++i) {
        const char *type = i == 0 ? "date" : i == 1 ? "int" : "float";
        columns << names[i] + QLatin1Char(' ') + QLatin1String(type);
    }
    return QStringLiteral("CREATE TABLE min_max_cache (%1, PRIMARY KEY (entry_date, "
                          "time_zone_offset))")
        .arg(columns.join(QStringLiteral(", ")));
}

OVKeyMap insertKeyMap()
{
    OVKeyMap map;
    for (const HistoryColumn &column : kHistory)
        map.insert(QLatin1String(column.writeKey), QLatin1String(column.name));
    return map;
}

OVKeyMap selectKeyMap()
{
    OVKeyMap map;
    for (const HistoryColumn &column : kHistory) {
        if (column.readKey)
            map.insert(QLatin1String(column.name), QLatin1String(column.readKey));
    }
    return map;
}

QString selectColumnList()
{
    QStringList names;
    for (const char *name : kSelectOrder)
        names << QLatin1String(name);
    return names.join(QStringLiteral(", "));
}

OVKeyMap condensedKeyMap(bool minimum)
{
    OVKeyMap map;
    for (const CondensedColumn &column : kCondensed)
        map.insert(condensedColumnName(column, minimum), QLatin1String(column.key));
    return map;
}

QString condensedColumnList(bool minimum)
{
    QStringList names;
    for (const CondensedColumn &column : kCondensed)
        names << condensedColumnName(column, minimum);
    return names.join(QStringLiteral(", "));
}

} // namespace OVObservationColumns
