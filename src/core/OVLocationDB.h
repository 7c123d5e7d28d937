// The location database: known places and weather stations from the SQLite file location.db
// (built by tools/locationdb, installed beside the binary). It answers the location panel's
// searches, restores saved locations by id and station, finds the nearest place and station to a
// position, lists countries, and gives the map the large cities and the stations inside the
// visible rectangle on every redraw.
//
// Threads: any thread may call anything. Queries run under the instance's lock; the city and
// station caches are built once, under the same lock, on first use, and never change afterwards,
// so the per-redraw rectangle scans only read them. Every value is bound as a statement
// parameter, never written into the statement text.
//
// Rows that describe a place become objects of the registered location factory (the weather
// subsystem registers OVWeatherLocation at start); each row value goes in as text through the
// key-value interface under the keys of the location row key map.
#pragma once

#include "core/OVGeoTypes.h"
#include "core/OVKeyValue.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantMap>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class OVSQLite3DB;

/// A large city for the map's labels.
struct OVCityCacheItem
{
    QString city;
    float latitude = 0;
    float longitude = 0;
};

/// A station: its row (icao, latitude, longitude, station_name, country_code, state) and position.
struct OVICAOCacheItem
{
    QVariantMap row;
    float latitude = 0;
    float longitude = 0;
};

/// Makes an empty place object for a row; the weather subsystem registers one at start.
using OVLocationFactory = std::function<std::shared_ptr<OVKeyValue>()>;

/// Receives the result of a threaded search on the main thread.
class OVLocationSearchDelegate
{
public:
    virtual ~OVLocationSearchDelegate() = default;
    virtual void setLocationSearch(const QList<QVariantMap> &results) = 0;
};

class OVLocationDB : public std::enable_shared_from_this<OVLocationDB>
{
    struct Private
    {
        explicit Private() = default;
    };

public:
    /// The shared instance over the default file (or the local copy, see setLocalDBPath), made
    /// once on first use.
    static std::shared_ptr<OVLocationDB> sharedLocationManager();
    /// A local read-write copy of the master file (ending in ".db") for instances made afterwards;
    /// refreshed from the master when its creation stamp differs. Empty: read the master.
    static void setLocalDBPath(const QString &path);
    static void setLocationFactory(OVLocationFactory factory);
    /// location.db beside the running binary; empty when there is none.
    static QString defaultMasterPath();

    /// Opens `masterPath` (empty: defaultMasterPath()). Always gives an instance; databaseReady()
    /// tells whether it can answer. A file without the location tables is logged and not used.
    static std::shared_ptr<OVLocationDB> initWithDatabasePath(const QString &masterPath = QString());

    OVLocationDB(Private, const QString &masterPath);
    ~OVLocationDB();
    OVLocationDB(const OVLocationDB &) = delete;
    OVLocationDB &operator=(const OVLocationDB &) = delete;

    const QString &locationDatabasePath() const { return mMasterPath; }
    bool databaseReady() const;

    /// The place with this id served by this station; nullptr when there is none.
    std::shared_ptr<OVKeyValue> weatherLocationWithID(qint32 locationId, const QString &icao);
    /// The place of a postal code with its station; nullptr when unknown.
    std::shared_ptr<OVKeyValue> weatherLocationForZip(const QString &zipCode);
    /// The nearest place to a position, with the nearest station to the position as its "icao".
    std::shared_ptr<OVKeyValue> weatherLocationForGeoPoint(const OVGeoPoint &point);
    /// The station nearest to a position by great-circle distance; empty when there is none.
    QString closestICAOToGeoPoint(const OVGeoPoint &point);

    /// Places matching a search text, as rows with keys location_id, icao, city, state,
    /// country_name, station_name. Digits-only text searches postal-code prefixes; other text
    /// searches city, state, country and station code prefixes. Text with a comma at index 3 or
    /// later searches the part before it ("Paris, France" searches "Paris"). No result for empty
    /// text or when there is no master file; an empty list when the database cannot answer.
    std::optional<QList<QVariantMap>> weatherLocationsForSearchTerm(const QString &text);
    /// The query and its parameters that a search for `text` (not empty) runs. Ties in the
    /// order (country, state, city) go by place id.
    static std::pair<QString, QStringList> searchStatement(const QString &text);
    /// Runs the search on the global pool and hands the rows to the delegate on the main thread;
    /// a delegate destroyed in the meantime gets nothing.
    template <class Delegate>
    void threadedWeatherLocationsForSearchTerm(const QString &text, Delegate *delegate)
    {
        static_assert(std::is_base_of_v<QObject, Delegate> && std::is_base_of_v<OVLocationSearchDelegate, Delegate>);
        startThreadedSearch(text, QPointer<QObject>(delegate), delegate);
    }

    /// Cities above a population, one row per name (keys city, latitude, longitude, population)
    /// at the most populous place of that name, largest first. No result when not ready.
    std::optional<QList<QVariantMap>> citiesWithPopulationAbove(qint64 population);
    /// Cities of more than 50000 people inside the rectangle, bounds included, largest first.
    QList<OVCityCacheItem> citiesInGeoRect(const OVGeoRect &rect);
    /// Station rows inside the rectangle, bounds included, by latitude; no result when there
    /// are no stations.
    std::optional<QList<QVariantMap>> icaoStationsInGeoRect(const OVGeoRect &rect);
    /// The station's record (icao, station_name, latitude, longitude, elevation, country_code).
    std::optional<QVariantMap> icaoRecord(const QString &icao);
    /// The station's cached row; no result for an unknown code.
    std::optional<QVariantMap> icaoDictionary(const QString &icao);
    /// Rows (country_name, country_code) by name; empty when not ready, no result without a
    /// master file.
    std::optional<QList<QVariantMap>> countryList();

    /// Build the caches now (they are otherwise built on first use). Nothing when built or not ready.
    void cacheCities();
    void cacheICAOs();

    /// Brings the local copy up to date with the master: kept when both carry the same
    /// creation stamp, else replaced by a copy of the master (kept when the master is missing).
    static void checkLocalDB(const QString &masterPath, const QString &localPath);

private:
    std::shared_ptr<OVKeyValue> firstLocation(const QString &sql, const QStringList &params);
    void startThreadedSearch(const QString &text, QPointer<QObject> guard, OVLocationSearchDelegate *delegate);
    void cacheCitiesLocked();
    void cacheICAOsLocked();

    const QString mMasterPath;
    std::shared_ptr<OVSQLite3DB> mDatabase;
    mutable std::recursive_mutex mLock;
    std::vector<OVICAOCacheItem> mWeatherStationCache;
    std::vector<OVCityCacheItem> mCityCache;
    // Set once, under the lock, when a cache is complete: the rectangle scans on every map
    // redraw then read it without waiting behind a search that holds the lock.
    std::atomic<bool> mStationCacheBuilt = false;
    std::atomic<bool> mCityCacheBuilt = false;
};
