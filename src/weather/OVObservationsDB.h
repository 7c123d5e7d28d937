// The process-wide front of all station histories.
//
// Opens one OVObservationStationDB per station on demand from the observations folder and keeps
// at most ten open (least recently used out), remembers each station's newest observation in
// the user default "OVObservationsDB_CurrentConditions" (so current conditions survive a
// restart), and keeps one station's recent range of observations in memory: graphs ask for
// overlapping time windows again and again, and only the piece they have not seen is read.
//
// Station files are named after the upper-cased station code ("KDEN.db"); a code that is not 3
// to 8 letters and digits is refused, so a code from a reply can never name a file elsewhere.
//
// Threads: any thread. The connection cache has its own lock, the range cache a mutex; reads of
// a station go through its connection's lock. After prepareForShutdown every operation does
// nothing and answers nil until restartAfterShutdown.
#pragma once

#include "core/OVCacheHandler.h"
#include "platform/OVClock.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QTimeZone>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

class OVObservationStationDB;
class OVUserDefaults;
class OVWeatherConditions;

class OVObservationsDB
{
public:
    /// The user default holding station code -> dictionary form of the newest observation.
    static inline const QString CurrentConditionsKey =
        QStringLiteral("OVObservationsDB_CurrentConditions");

    /// A front over the station files in `databasePath`. The first one made becomes the shared
    /// one (until it is destroyed). An empty path is refused with a log line; such a front
    /// answers nothing. `defaults` (the standard user defaults when null) keeps the current
    /// conditions; `clock` says what "now" is for the range cache.
    explicit OVObservationsDB(const QString &databasePath,
                              const OVClock &clock = OVClock::system(),
                              OVUserDefaults *defaults = nullptr);
    ~OVObservationsDB();
    OVObservationsDB(const OVObservationsDB &) = delete;
    OVObservationsDB &operator=(const OVObservationsDB &) = delete;

    /// The first front made in this process that still exists; nullptr before.
    static OVObservationsDB *sharedDatabase();

    const QString &path() const { return mPath; }

    /// Closes every open station file and refuses all work until restartAfterShutdown.
    void prepareForShutdown();
    void restartAfterShutdown();
    bool isShutDown() const { return mShutdownLock; }

    /// The open station database for the code, opening it when needed; nullptr after shutdown,
    /// without a path, or for a code that is not 3 to 8 letters and digits (logged).
    std::shared_ptr<OVObservationStationDB> databaseForICAO(const QString &icao);

    /// Stores a batch (any order) in the station's file, remembers the newest record as the
    /// station's current conditions and drops the range cache when it holds this station.
    /// With a zone, the station's day buckets are rebuilt for the batch's span.
    void insertWeatherConditions(const QList<OVWeatherConditions> &records, const QString &icao,
                                 const std::optional<QTimeZone> &zone = std::nullopt);

    /// Observations of the station covering at least start..end (up to now), oldest first,
    /// through the range cache.
    QList<OVWeatherConditions> weatherConditionsForICAO(const QString &icao,
                                                        const QDateTime &start,
                                                        const QDateTime &end);

    /// The remembered current conditions, else the station file's newest row.
    std::optional<OVWeatherConditions> latestConditionsForICAO(const QString &icao);
    /// Keeps the conditions as the station's current ones unless those kept are as new or newer
    /// (observation times compared in UTC).
    void storeCurrentConditions(const OVWeatherConditions &conditions, const QString &icao);
    std::optional<OVWeatherConditions> retrieveCurrentConditionsForICAO(const QString &icao);

    // --- Forwarders to the station database ---------------------------------------------------
    QDateTime earliestObservationForICAO(const QString &icao);
    QDateTime lastUpdateForICAO(const QString &icao);
    std::optional<OVWeatherConditions> minConditionsForICAO(const QString &icao,
                                                            const QDateTime &start,
                                                            const QDateTime &end);
    std::optional<OVWeatherConditions> maxConditionsForICAO(const QString &icao,
                                                            const QDateTime &start,
                                                            const QDateTime &end);
    QList<OVWeatherConditions> condensedMaxWeatherConditionsForICAO(const QString &icao,
                                                                    const QDateTime &start,
                                                                    const QDateTime &end,
                                                                    const QTimeZone &zone);
    QList<OVWeatherConditions> condensedMinWeatherConditionsForICAO(const QString &icao,
                                                                    const QDateTime &start,
                                                                    const QDateTime &end,
                                                                    const QTimeZone &zone);

    // --- Range cache (one station's observations, oldest first) ------------------------------
    /// The cached records around start..end (one before the start, through the first at or
    /// after the end); none when nothing of this station is cached.
    std::optional<QList<OVWeatherConditions>> cacheDataForICAO(const QString &icao,
                                                               const QDateTime &start,
                                                               const QDateTime &end);
    /// Replaces the cache; arrays of fewer than two records are not cached. `latest` means the
    /// range reaches the present (no end date is kept).
    void setCacheData(const QList<OVWeatherConditions> &records, const QString &icao, bool latest,
                      const QDateTime &start = {}, const QDateTime &end = {});
    void addBeforeCacheData(const QList<OVWeatherConditions> &records, const QString &icao);
    void addAfterCacheData(const QList<OVWeatherConditions> &records, const QString &icao,
                           bool latest);
    void clearCacheData();

    QList<OVWeatherConditions> cacheWeatherConditions() const;
    QString cacheIcao() const;
    QDateTime cacheStartDate() const;
    /// Invalid while the cached range reaches the present.
    QDateTime cacheEndDate() const;

    /// How many times the range cache read the station file, and the range of the last read
    /// (for tests and benchmarks).
    int64_t rangeReadCount() const { return mRangeReads; }
    std::pair<QDateTime, QDateTime> lastRangeRead() const;

private:
    struct RangeCache;
    QList<OVWeatherConditions> readRange(const QString &icao, const QDateTime &start,
                                         const QDateTime &end);
    QList<OVWeatherConditions> fullReload(const QString &icao, const QDateTime &start,
                                          const QDateTime &end, bool latest);
    // The range-cache operations with mCacheMutex already held.
    std::optional<QList<OVWeatherConditions>> cacheDataLocked(const QString &icao,
                                                              const QDateTime &start,
                                                              const QDateTime &end) const;
    void setCacheDataLocked(const QList<OVWeatherConditions> &records, const QString &icao,
                            bool latest, const QDateTime &start, const QDateTime &end);
    void addBeforeCacheDataLocked(const QList<OVWeatherConditions> &records, const QString &icao);
    void addAfterCacheDataLocked(const QList<OVWeatherConditions> &records, const QString &icao,
                                 bool latest);
    OVUserDefaults &defaults() const;

    const QString mPath;
    const OVClock &mClock;
    OVUserDefaults *const mDefaults;
    OVCacheHandler mDbConnections{OVCacheHandler::DefaultSlots};
    std::mutex mOpenMutex; // one opener per station at a time
    std::mutex mCurrentConditionsMutex; // read-modify-write of the user default
    std::atomic<bool> mShutdownLock{false};

    mutable std::mutex mCacheMutex;
    std::unique_ptr<RangeCache> mCache;
    std::atomic<int64_t> mRangeReads{0};
    std::pair<QDateTime, QDateTime> mLastRangeRead;
};
