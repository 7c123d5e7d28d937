// A weather location's sources over the real clients: an hourly NDFD client, a forecast data
// service client and an observations database. A client left null is the process's shared one,
// looked up when it is needed; a database left null is the shared database, and while there is
// none every observation read answers empty.
#pragma once

#include "weather/OVWeatherLocationSources.h"

class OVBrisantDataBroker;
class OVHourlyNDFD;
class OVObservationsDB;

class OVWeatherClientSources final : public OVWeatherLocationSources
{
public:
    explicit OVWeatherClientSources(OVHourlyNDFD *ndfd = nullptr,
                                    OVBrisantDataBroker *service = nullptr,
                                    OVObservationsDB *database = nullptr,
                                    const OVClock &clock = OVClock::system());

    const OVClock &clock() const override { return mClock; }
    QList<QVariantMap> ndfdSeries(const OVWeatherLocation &location, const QString &key,
                                  const QDateTime &start, const QDateTime &end) override;
    QList<QVariantMap> ndfdSteps(const OVWeatherLocation &location) override;
    QList<QVariantMap> serviceHourly(const OVWeatherLocation &location) override;
    std::optional<OVWeatherConditions> latestConditions(const QString &icao) override;
    QList<OVWeatherConditions> observations(const QString &icao, const QDateTime &start,
                                            const QDateTime &end) override;
    QList<OVWeatherConditions> condensedMax(const QString &icao, const QDateTime &start,
                                            const QDateTime &end, const QTimeZone &zone) override;
    QList<OVWeatherConditions> condensedMin(const QString &icao, const QDateTime &start,
                                            const QDateTime &end, const QTimeZone &zone) override;

private:
    OVHourlyNDFD &ndfd() const;
    OVBrisantDataBroker &service() const;
    OVObservationsDB *database() const;

    OVHourlyNDFD *mNDFD;
    OVBrisantDataBroker *mService;
    OVObservationsDB *mDatabase;
    const OVClock &mClock;
};
