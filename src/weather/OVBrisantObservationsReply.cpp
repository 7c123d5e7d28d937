// The observation service's reply format, read once here: the key a location element is filed
// under, and the fields of one observation element in the order they are applied (the weather
// codes first, so a later number is never overwritten by a code's decoding).
//
// Times are 14-digit UTC texts ("20240102153045"), sent as strings or as plain numbers.
// Runs on any thread (the client reads replies in a pool task).
#include "weather/OVBrisantObservationsBroker.h"

#include "core/OVConstants.h"
#include "core/OVSQLite3DB.h"
#include "weather/OVWeatherConditions.h"

#include <QLocale>

#include <cmath>

namespace {

using Conditions = OVWeatherConditions;

enum class FieldKind { WeatherCode, Number, Text };

struct ObservationField
{
    const char *key;
    FieldKind kind;
    void (Conditions::*setNumber)(double) = nullptr;
    void (Conditions::*setText)(const QString &) = nullptr;
};

const ObservationField kObservationFields[] = {
    {"Precipitation Code", FieldKind::WeatherCode},
    {"Obscuration Code", FieldKind::WeatherCode},
    {"Other Phenomena Code", FieldKind::WeatherCode},
    {"Temperature F", FieldKind::Number, &Conditions::setTemperatureF},
    {"Dewpoint F", FieldKind::Number, &Conditions::setDewpointF},
    {"Wind Direction Degrees", FieldKind::Number, &Conditions::setWindDirection},
    {"Wind Speed Knots", FieldKind::Number, &Conditions::setWindSpeedKnots},
    {"Gust Speed Knots", FieldKind::Number, &Conditions::setGustSpeedKnots},
    {"Visibility Miles", FieldKind::Number, &Conditions::setVisibilityMiles},
    {"Pressure MB", FieldKind::Number, &Conditions::setPressureMB},
    {"1 Hour Precipitation Inches", FieldKind::Number, &Conditions::setH1PrecipitationInches},
    {"3 Hour Precipitation Inches", FieldKind::Number, &Conditions::setH3PrecipitationInches},
    {"6 Hour Precipitation Inches", FieldKind::Number, &Conditions::setH6PrecipitationInches},
    {"24 Hour Precipitation Inches", FieldKind::Number, &Conditions::setH24PrecipitationInches},
    {"Snow Depth Inches", FieldKind::Number, &Conditions::setSnowDepthInches},
    {"Sky Cover", FieldKind::Text, nullptr, &Conditions::setSkyCover},
    {"Icon Name", FieldKind::Text, nullptr, &Conditions::setIconName},
    {"Solar Radiation Watts/Meter^2", FieldKind::Number, &Conditions::setSolarRadiation},
};

} // namespace

double OVBrisantObservationsBroker::numberForJSONObject(const QJsonValue &value)
{
    return value.isDouble() ? value.toDouble() : OVNoValue;
}

std::optional<QString> OVBrisantObservationsBroker::stringForJSONObject(const QJsonValue &value)
{
    if (value.isString())
        return value.toString();
    if (value.isDouble())
        return QString::number(value.toDouble(), 'f', QLocale::FloatingPointShortest);
    return std::nullopt;
}

QString OVBrisantObservationsBroker::keyForJSONLocationDictionary(const QJsonObject &location)
{
    // The service echoes the requested key when it has it.
    const QString echoKey = QStringLiteral("Original Query String");
    if (location.contains(echoKey))
        return stringForJSONObject(location.value(echoKey)).value_or(QString());
    const double latitude = numberForJSONObject(location.value(QStringLiteral("Latitude")));
    const double longitude = numberForJSONObject(location.value(QStringLiteral("Longitude")));
    const double offset = numberForJSONObject(location.value(QStringLiteral("TZ Offset")));
    if (latitude == OVNoValue || longitude == OVNoValue || offset == OVNoValue
        || std::abs(offset) > 100000.0)
        return {};
    return QString::asprintf("%.2f,%.2f,%d", latitude, longitude, int(std::lround(offset)));
}

std::optional<OVWeatherConditions> OVBrisantObservationsBroker::conditionsForJSONObservation(
    const QJsonObject &observation)
{
    const auto time = stringForJSONObject(observation.value(QStringLiteral("Time")));
    const QDateTime date = time ? OVSQLite3DB::dateForString(*time) : QDateTime();
    if (!date.isValid())
        return std::nullopt;
    OVWeatherConditions record;
    record.setDate(date);
    for (const ObservationField &field : kObservationFields) {
        const QJsonValue value = observation.value(QLatin1String(field.key));
        switch (field.kind) {
        case FieldKind::WeatherCode:
            if (const auto code = stringForJSONObject(value))
                record.setPrecipitationFromMETARFields({QStringLiteral("ICAO"), *code});
            break;
        case FieldKind::Number:
            if (const double number = numberForJSONObject(value); number != OVNoValue)
                (record.*field.setNumber)(number);
            break;
        case FieldKind::Text:
            if (const auto text = stringForJSONObject(value))
                (record.*field.setText)(*text);
            break;
        }
    }
    return record;
}
