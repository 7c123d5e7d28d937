// A location's observation history: reads of its station through the location's observations
// database.
#include "weather/OVWeatherLocation.h"

#include "core/NSDateUtil.h"
#include "weather/OVWeatherConditions.h"
#include "weather/OVWeatherLocationSources.h"

QList<OVWeatherConditions> OVWeatherLocation::getDataFrom(const QDateTime &start,
                                                          const QDateTime &end) const
{
    const QString station = icao();
    if (station.isEmpty())
        return {};
    return dataSources().observations(station, start, end);
}

QList<OVWeatherConditions> OVWeatherLocation::getDataForLastDays(int32_t days,
                                                                 const OVClock &clock) const
{
    const QDateTime now = clock.now();
    return getDataFrom(NSDateUtil::dateByAddingYears(now, 0, 0, -int64_t(days), 0, 0, 0), now);
}

namespace {

// The stored zone; invalid when none is stored.
QTimeZone storedZone(const OVWeatherLocation &location)
{
    return location.hasLocationTimeZone() ? location.locationTimeZone() : QTimeZone();
}

} // namespace

QList<OVWeatherConditions> OVWeatherLocation::getMaxDataFrom(const QDateTime &start,
                                                             const QDateTime &end) const
{
    const QString station = icao();
    if (station.isEmpty())
        return {};
    return dataSources().condensedMax(station, start, end, storedZone(*this));
}

QList<OVWeatherConditions> OVWeatherLocation::getMinDataFrom(const QDateTime &start,
                                                             const QDateTime &end) const
{
    const QString station = icao();
    if (station.isEmpty())
        return {};
    return dataSources().condensedMin(station, start, end, storedZone(*this));
}
