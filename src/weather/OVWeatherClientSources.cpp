// A weather location's sources over the real clients and database.
#include "weather/OVWeatherClientSources.h"

#include "weather/OVBrisantDataBroker.h"
#include "weather/OVHourlyNDFD.h"
#include "weather/OVObservationsDB.h"
#include "weather/OVWeatherConditions.h"
#include "weather/OVWeatherLocation.h"

namespace {

QList<QVariantMap> periodList(const QVariantList &entries)
{
    QList<QVariantMap> periods;
    periods.reserve(entries.size());
    for (const QVariant &entry : entries)
        periods.append(entry.toMap());
    return periods;
}

// The NDFD client files its requests by shared location; a location that is not shared-owned
// cannot be requested and reads as unserved.
std::shared_ptr<OVWeatherLocation> sharedLocation(const OVWeatherLocation &location)
{
    const std::shared_ptr<const OVLocation> owner = location.weak_from_this().lock();
    return std::const_pointer_cast<OVWeatherLocation>(
        std::static_pointer_cast<const OVWeatherLocation>(owner));
}

} // namespace

std::shared_ptr<OVWeatherLocationSources> OVWeatherLocationSources::standard()
{
    static const std::shared_ptr<OVWeatherLocationSources> sources =
        std::make_shared<OVWeatherClientSources>();
    return sources;
}

OVWeatherClientSources::OVWeatherClientSources(OVHourlyNDFD *ndfd, OVBrisantDataBroker *service,
                                               OVObservationsDB *database, const OVClock &clock)
    : mNDFD(ndfd)
    , mService(service)
    , mDatabase(database)
    , mClock(clock)
{
}

OVHourlyNDFD &OVWeatherClientSources::ndfd() const
{
    return mNDFD ? *mNDFD : OVHourlyNDFD::sharedNDFDClient();
}

OVBrisantDataBroker &OVWeatherClientSources::service() const
{
    return mService ? *mService : OVBrisantDataBroker::sharedBrisantClient();
}

OVObservationsDB *OVWeatherClientSources::database() const
{
    return mDatabase ? mDatabase : OVObservationsDB::sharedDatabase();
}

QList<QVariantMap> OVWeatherClientSources::ndfdSeries(const OVWeatherLocation &location,
                                                      const QString &key, const QDateTime &start,
                                                      const QDateTime &end)
{
    const std::shared_ptr<OVWeatherLocation> shared = sharedLocation(location);
    return shared ? periodList(ndfd().forecastForLocation(shared, key, start, end))
                  : QList<QVariantMap>();
}

QList<QVariantMap> OVWeatherClientSources::ndfdSteps(const OVWeatherLocation &location)
{
    const std::shared_ptr<OVWeatherLocation> shared = sharedLocation(location);
    if (!shared)
        return {};
    return periodList(ndfd().forecastForLocation(shared).value_or(QVariantList()));
}

QList<QVariantMap> OVWeatherClientSources::serviceHourly(const OVWeatherLocation &location)
{
    return service().hourlyForecastForLocation(location);
}

std::optional<OVWeatherConditions> OVWeatherClientSources::latestConditions(const QString &icao)
{
    OVObservationsDB *db = database();
    return db ? db->latestConditionsForICAO(icao) : std::nullopt;
}

QList<OVWeatherConditions> OVWeatherClientSources::observations(const QString &icao,
                                                                const QDateTime &start,
                                                                const QDateTime &end)
{
    OVObservationsDB *db = database();
    return db ? db->weatherConditionsForICAO(icao, start, end) : QList<OVWeatherConditions>();
}

QList<OVWeatherConditions> OVWeatherClientSources::condensedMax(const QString &icao,
                                                                const QDateTime &start,
                                                                const QDateTime &end,
                                                                const QTimeZone &zone)
{
    OVObservationsDB *db = database();
    return db ? db->condensedMaxWeatherConditionsForICAO(icao, start, end, zone)
              : QList<OVWeatherConditions>();
}

QList<OVWeatherConditions> OVWeatherClientSources::condensedMin(const QString &icao,
                                                                const QDateTime &start,
                                                                const QDateTime &end,
                                                                const QTimeZone &zone)
{
    OVObservationsDB *db = database();
    return db ? db->condensedMinWeatherConditionsForICAO(icao, start, end, zone)
              : QList<OVWeatherConditions>();
}
