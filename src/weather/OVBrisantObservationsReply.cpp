// The observation service's reply format, read once here: the key a location element is filed
// under, and the fields of one observation element (the weather codes first, so a later number
// is never overwritten by a code's decoding; then every field the table gives a reply key).
//
// Times are 14-digit UTC texts ("20240102153045"), sent as strings or as plain numbers.
// Runs on any thread (the client reads replies in a pool task).
#include "weather/OVBrisantObservationsBroker.h"

#include "core/OVConstants.h"
#include "core/OVSQLite3DB.h"
#include "platform/OVLog.h"
#include "weather/OVObservationFields.h"
#include "weather/OVWeatherConditions.h"

#include <QLocale>

#include <cmath>

namespace {

// The three weather groups arrive as METAR texts; each decodes into several fields.
const char *const kWeatherCodeKeys[] = {"Precipitation Code", "Obscuration Code", "Other Phenomena Code"};

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
    if (!time)
        return std::nullopt;
    // Only a real calendar date that the station file can hold: a report with any other time
    // would be stored under a date that reads back differently, or not at all.
    const QDateTime date = OVSQLite3DB::exactDateForString(*time);
    if (!date.isValid()) {
        OVLog(QStringLiteral("[OVBrisantObservationsBroker parseDictionary] Refusing an observation "
                             "whose time '%1' is not a real date from 1900 to 2099.")
                  .arg(time->left(40)));
        return std::nullopt;
    }
    OVWeatherConditions record;
    record.setDate(date);
    for (const char *key : kWeatherCodeKeys) {
        if (const auto code = stringForJSONObject(observation.value(QLatin1String(key))))
            record.setPrecipitationFromMETARFields({QStringLiteral("ICAO"), *code});
    }
    for (const OVObservationField &field : OVObservationFields::all()) {
        if (!field.replyKey)
            continue;
        const QJsonValue value = observation.value(QLatin1String(field.replyKey));
        if (field.setReplyNumber) {
            if (const double number = numberForJSONObject(value); number != OVNoValue)
                (record.*field.setReplyNumber)(number);
        } else if (const auto text = stringForJSONObject(value)) {
            record.*field.text = *text;
        }
    }
    return record;
}
