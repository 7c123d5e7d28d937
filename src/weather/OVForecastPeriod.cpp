// Forecast period readers, the NDFD key and the service column table.
#include "weather/OVForecastPeriod.h"

#include "core/OVConstants.h"
#include "platform/OVValueConversion.h"

#include <cmath>

namespace OVForecastPeriod {

namespace {

QVariant present(const QVariantMap &period, const QString &key)
{
    const QVariant value = period.value(key);
    return value.isNull() ? QVariant() : value;
}

bool inRange(double latitude, double longitude)
{
    return std::fabs(latitude) <= 90.0 && std::fabs(longitude) <= 180.0;
}

// To the nearest hundredth in single precision, halves away from zero.
double hundredths(float value)
{
    return double(std::round(value * 100.0f)) * 0.01;
}

} // namespace

namespace {

// The value converted by `convert`, unless absent, null or the missing-value marker.
template <class Number>
std::optional<Number> numberUnlessMissing(const QVariantMap &period, const QString &key,
                                          Number (*convert)(const QVariant &))
{
    const QVariant value = present(period, key);
    if (!value.isValid())
        return std::nullopt;
    const Number number = convert(value);
    if (number == Number(OVNoValue))
        return std::nullopt;
    return number;
}

} // namespace

std::optional<float> floatValue(const QVariantMap &period, const QString &key)
{
    return numberUnlessMissing<float>(period, key, &OVValueConversion::toFloat);
}

std::optional<int64_t> integerValue(const QVariantMap &period, const QString &key)
{
    return numberUnlessMissing<int64_t>(period, key, &OVValueConversion::toInteger);
}

std::optional<bool> boolValue(const QVariantMap &period, const QString &key)
{
    const QVariant value = present(period, key);
    if (!value.isValid())
        return std::nullopt;
    return OVValueConversion::toBool(value);
}

QDateTime dateValue(const QVariantMap &period, const QString &key)
{
    const QVariant value = present(period, key);
    return value.typeId() == QMetaType::QDateTime ? value.toDateTime() : QDateTime();
}

QString stringValue(const QVariantMap &period, const QString &key)
{
    const QVariant value = present(period, key);
    return value.isValid() ? value.toString() : QString();
}

QString ndfdKey(double latitude, double longitude)
{
    if (!inRange(latitude, longitude))
        return QString();
    return QString::asprintf("%.2f,%.2f", hundredths(float(latitude)), hundredths(float(longitude)));
}

QString ndfdKey(const QString &latitudeText, const QString &longitudeText)
{
    if (latitudeText.isNull() || longitudeText.isNull())
        return QString();
    const float latitude = OVValueConversion::toFloat(latitudeText);
    const float longitude = OVValueConversion::toFloat(longitudeText);
    if (!std::isfinite(latitude) || !std::isfinite(longitude))
        return QString();
    return ndfdKey(double(latitude), double(longitude));
}

QString serviceKeyFallback(const QString &serviceKey)
{
    const QStringList fields = serviceKey.split(QLatin1Char(','));
    if (fields.size() <= 3)
        return QString();
    return fields.mid(0, 3).join(QLatin1Char(','));
}

const std::vector<ServiceColumn> &serviceColumns()
{
    using namespace OVForecastKey;
    static const std::vector<ServiceColumn> table = {
        {{QStringLiteral("Temperature F")}, {temp, maxt, mint, hourlyt}},
        {{QStringLiteral("Probability of Precipitation")}, {precip, popFromIcon}},
        {{QStringLiteral("Short Description")}, {shortDesc}},
        {{QStringLiteral("Long Description")}, {fullDesc}},
        {{QStringLiteral("Icon")}, {image}},
        {{QStringLiteral("Is Day")}, {isDay}},
        {{QStringLiteral("Dewpoint F")}, {dewpoint}},
        {{QStringLiteral("Precipitation Amount Inches")}, {liquidPrecip}},
        {{QStringLiteral("Snowfall Estimate Inches")}, {snowPrecip}},
        {{QStringLiteral("Wind Speed Knots"), QStringLiteral("Average Wind Speed Knots")}, {windSpeed}},
        {{QStringLiteral("Gust Speed Knots")}, {gustSpeed}},
        {{QStringLiteral("Wind Direction Degrees")}, {windDirection}},
        {{QStringLiteral("Cloud Cover Percent")}, {cloudCover}},
        {{QStringLiteral("Relative Humidity Percent")}, {humidity}},
    };
    return table;
}

void addElementKeys(QVariantMap &row)
{
    for (const ServiceColumn &entry : serviceColumns()) {
        for (const QString &column : entry.columns) {
            if (!row.contains(column))
                continue;
            // A copy, not a reference: inserting may detach the row and leave a reference dangling.
            const QVariant text = row.value(column);
            for (const QString &key : entry.keys)
                row.insert(key, text);
            break;
        }
    }
}

} // namespace OVForecastPeriod
