// Forecast periods: the dictionaries in which every forecast source hands its periods to the
// views, with the element keys, units and readers every client and graph shares.
//
// A period is a QVariantMap; a key is present only when its value is known. Values are numbers
// (NDFD periods) or the reply's column text (service rows), so readers convert with the settings
// store's rules, which accept both. Units: °F, knots, degrees, inches, feet, percent.
//
// A series is a time-ordered list of periods; a point forecast maps element keys to series plus
// OVForecastKey::lastUpdatedTime. NDFD point forecasts are filed under the NDFD key of a place,
// service sections under its service key (OVLocation::brisantDescription).
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <cstdint>
#include <optional>
#include <vector>

namespace OVForecastKey {

inline const QString startDate = QStringLiteral("startDate");
inline const QString endDate = QStringLiteral("endDate");
/// Instant of an hourly value.
inline const QString date = QStringLiteral("date");
/// Value of an NDFD series entry.
inline const QString value = QStringLiteral("value");
inline const QString temp = QStringLiteral("temp");
inline const QString maxt = QStringLiteral("maxt");
inline const QString mint = QStringLiteral("mint");
inline const QString hourlyt = QStringLiteral("hourlyt");
inline const QString dewpoint = QStringLiteral("dewpoint");
inline const QString humidity = QStringLiteral("humidity");
inline const QString windSpeed = QStringLiteral("windSpeed");
inline const QString gustSpeed = QStringLiteral("gustSpeed");
inline const QString windDirection = QStringLiteral("windDirection");
inline const QString cloudCover = QStringLiteral("cloudCover");
inline const QString waveHeight = QStringLiteral("waveHeight");
inline const QString liquidPrecip = QStringLiteral("liquidPrecip");
inline const QString snowPrecip = QStringLiteral("snowPrecip");
/// Probability of precipitation of a 12-hour period.
inline const QString precip = QStringLiteral("precip");
inline const QString popFromIcon = QStringLiteral("popFromIcon");
/// Icon name without extension ("na" when none).
inline const QString image = QStringLiteral("image");
inline const QString shortDesc = QStringLiteral("shortDesc");
inline const QString fullDesc = QStringLiteral("fullDesc");
inline const QString isDay = QStringLiteral("isDay");
/// Summary text of an NDFD daily text entry.
inline const QString weatherSummary = QStringLiteral("weather-summary");
/// Fetch time of a point forecast or a service section; never a period key.
inline const QString lastUpdatedTime = QStringLiteral("lastUpdatedTime");

} // namespace OVForecastKey

namespace OVForecastPeriod {

/// The number under `key` read as a float value; none when the key is absent, null, or holds
/// the missing-value marker -1000.
std::optional<float> floatValue(const QVariantMap &period, const QString &key);
/// The number under `key` read as an integer value; none as for floatValue.
std::optional<int64_t> integerValue(const QVariantMap &period, const QString &key);
/// The truth value under `key` (a boolean number or a text such as "1" or "YES"); none when
/// the key is absent or null.
std::optional<bool> boolValue(const QVariantMap &period, const QString &key);
/// The date under `key`; an invalid QDateTime when absent or not a date.
QDateTime dateValue(const QVariantMap &period, const QString &key);
/// The text under `key`; a null QString when absent.
QString stringValue(const QVariantMap &period, const QString &key);

/// The NDFD key of a place: each coordinate to the nearest hundredth in single precision,
/// "%.2f,%.2f" (38.99,-77.01). Null beyond ±90 latitude or ±180 longitude.
QString ndfdKey(double latitude, double longitude);
/// The NDFD key of a reply's point attributes, read as single-precision numbers; null when
/// either text is not a finite number or lies out of range.
QString ndfdKey(const QString &latitudeText, const QString &longitudeText);

/// The key a service lookup tries after the full key finds nothing: the first three
/// comma-separated fields of a key with more than three; null otherwise.
QString serviceKeyFallback(const QString &serviceKey);

/// One row of the service's column table: the first of `columns` a row has is copied, text
/// unchanged, under every one of `keys`.
struct ServiceColumn
{
    QStringList columns;
    QStringList keys;
};
/// The service's columns and the element keys they fill.
const std::vector<ServiceColumn> &serviceColumns();
/// Adds the element keys to a service row (its own columns stay).
void addElementKeys(QVariantMap &row);

} // namespace OVForecastPeriod
