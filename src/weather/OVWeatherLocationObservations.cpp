// A location's observation history: reads of its station through the shared observations
// database.
#include "weather/OVWeatherLocation.h"

#include "core/NSDateUtil.h"
#include "weather/OVObservationsDB.h"
#include "weather/OVWeatherConditions.h"

QList<OVWeatherConditions> OVWeatherLocation::getDataFrom(const QDateTime &start,
                                                          const QDateTime &end) const
{
    OVObservationsDB *database = OVObservationsDB::sharedDatabase();
    const QString station = icao();
    if (!database || station.isEmpty())
        return {};
    return database->weatherConditionsForICAO(station, start, end);
}

QList<OVWeatherConditions> OVWeatherLocation::getDataForLastDays(int32_t days,
                                                                 const OVClock &clock) const
{
    const QDateTime now = clock.now();
    return getDataFrom(NSDateUtil::dateByAddingYears(now, 0, 0, -int64_t(days), 0, 0, 0), now);
}
