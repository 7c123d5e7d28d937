// Where a weather location reads its weather: the hourly NDFD client, the forecast data service
// client and the observations database, and the clock that says what "now" is.
//
// A location is given its sources when it is made; the standard sources are the process's
// shared clients and shared database. Tests give a location sources of their own.
#pragma once

#include "platform/OVClock.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QTimeZone>
#include <QVariantMap>

#include <memory>
#include <optional>

class OVWeatherConditions;
class OVWeatherLocation;

class OVWeatherLocationSources
{
public:
    virtual ~OVWeatherLocationSources() = default;

    /// The shared clients, the shared database (none: empty answers) and the system clock.
    static std::shared_ptr<OVWeatherLocationSources> standard();

    virtual const OVClock &clock() const = 0;

    /// The NDFD series of one element between the dates (invalid dates: unbounded); empty for
    /// a place NDFD does not serve.
    virtual QList<QVariantMap> ndfdSeries(const OVWeatherLocation &location, const QString &key,
                                          const QDateTime &start, const QDateTime &end) = 0;
    /// NDFD's combined 3-hourly steps, keyed by "date".
    virtual QList<QVariantMap> ndfdSteps(const OVWeatherLocation &location) = 0;
    /// The forecast data service's hourly rows for the place (the whole series).
    virtual QList<QVariantMap> serviceHourly(const OVWeatherLocation &location) = 0;

    /// The station's newest observation.
    virtual std::optional<OVWeatherConditions> latestConditions(const QString &icao) = 0;
    /// The station's observations between the dates, oldest first.
    virtual QList<OVWeatherConditions> observations(const QString &icao, const QDateTime &start,
                                                    const QDateTime &end) = 0;
    /// Per-day maxima and minima of the station in the zone (invalid: none stored).
    virtual QList<OVWeatherConditions> condensedMax(const QString &icao, const QDateTime &start,
                                                    const QDateTime &end,
                                                    const QTimeZone &zone) = 0;
    virtual QList<OVWeatherConditions> condensedMin(const QString &icao, const QDateTime &start,
                                                    const QDateTime &end,
                                                    const QTimeZone &zone) = 0;
};
