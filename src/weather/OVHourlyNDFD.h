// Hourly-resolution NDFD forecasts for domestic locations (the service's time-series product):
// element series for the weather location's merging and the graphs, and a 60-step 3-hourly
// series combining them.
//
// A point forecast holds "lastUpdatedTime" and the series "maxt", "mint", "hourlyt", "dewpoint",
// "liquidPrecip", "snowPrecip", "windSpeed", "gustSpeed", "windDirection", "cloudCover",
// "waveHeight", "humidity", "image" and "popFromIcon" as far as the reply has them, and once
// computed the 3-hourly steps under "combined3Hourly". The cache file is the cache dictionary
// itself ("HourlyNDFDCache.plist" in the Cache folder, set by the shell).
//
// Reads never wait for the network: they answer from the cache and ask for a refresh when the
// point forecast is stale. Threads as OVNDFDClient: main thread, cache on the client's queue.
#pragma once

#include "weather/OVNDFDClient.h"

#include <QDateTime>
#include <QVariantList>

class OVHourlyNDFD : public OVNDFDClient
{
public:
    /// Cache key of the 3-hourly steps inside a point forecast.
    static inline const QString combined3HourlyKey = QStringLiteral("combined3Hourly");

    /// The program's client (download manager, standard user defaults, system clock); made on
    /// first use, never released.
    static OVHourlyNDFD &sharedNDFDClient();

    OVHourlyNDFD(OVURLManager &urlManager, OVUserDefaults &settings, const OVClock &clock);
    ~OVHourlyNDFD() override;

    /// The 60 steps 3 hours apart from the first hourly temperature: interpolated values,
    /// the nearest icon, and precipitation summed over the 3 hours before each step. Computed
    /// once per point forecast; none when there is no hourly temperature.
    std::optional<QVariantList> forecastForLocation(const std::shared_ptr<OVWeatherLocation> &location);
    /// The entries of one element series whose start lies within start..end (both included),
    /// each with its value also under the element key. Invalid bounds mean unbounded.
    QVariantList forecastForLocation(const std::shared_ptr<OVWeatherLocation> &location,
                                     const QString &key, const QDateTime &startDate = QDateTime(),
                                     const QDateTime &endDate = QDateTime());

    /// The element's amounts over start..end, each entry counted by the share of it that lies
    /// inside (missing amounts add nothing); -1000 when a bound is missing or the range is
    /// empty, 0 without entries.
    static double adjustedSumForTimeRange(const QDateTime &startDate, const QDateTime &endDate,
                                          const QVariantMap &pointForecast, const QString &key);

    /// Writes one series of a point forecast to the log.
    static void logPointForecast(const QVariantMap &pointForecast, const QString &key);

protected:
    QVariantMap pointForecastFromParameters(const QDomElement &parameters,
                                            const OVDWMLTimeLayouts &layouts) override;

private:
    static QVariantList combinedSteps(const QVariantMap &pointForecast, const QDateTime &origin);
};
