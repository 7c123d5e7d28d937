// One weather station's observation history: one SQLite file per station, with the raw rows
// (`icao_history`), the count of rows inserted since the last VACUUM (`db_status`) and a
// per-day minimum/maximum table for a time-zone offset (`min_max_cache`).
//
// The schema is created or upgraded when the file is opened. First the file is checked (SQLite's
// quick check): a damaged file, or one that is not a database, is renamed aside (OVFileAside,
// never deleted, with a log line) and a new file takes its place.
//
// Threads: any thread. Every statement runs under the connection's lock; the rebuild of
// `min_max_cache` after an insert runs as a pool task that holds this object alive and the lock
// across its DELETE and INSERT, so readers never see the day buckets half rebuilt. Used through
// OVObservationsDB, which keeps one open instance per station.
#pragma once

#include "core/OVSQLite3DB.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QTimeZone>
#include <QVariantMap>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>

class OVDispatchGroup;
class OVWeatherConditions;

class OVObservationStationDB : public std::enable_shared_from_this<OVObservationStationDB>
{
    struct Private
    {
        explicit Private() = default;
    };

public:
    /// Opens (creating when missing) the station file at `path` and brings its schema up to
    /// date. nullptr for an empty path; a file that cannot be opened gives an object whose
    /// reads answer nothing.
    static std::shared_ptr<OVObservationStationDB> initWithPath(const QString &path);

    OVObservationStationDB(Private, const QString &path);
    ~OVObservationStationDB();
    OVObservationStationDB(const OVObservationStationDB &) = delete;
    OVObservationStationDB &operator=(const OVObservationStationDB &) = delete;

    std::shared_ptr<OVSQLite3DB> database() const { return mDatabase; }
    const QString &path() const { return mPath; }
    QString icao() const;
    void setIcao(const QString &icao);
    bool newRecordsTableGood() const { return mNewRecordsTableGood.load(); }

    /// Closes the connection, waiting for a statement or a rebuild that holds it.
    void closeDatabaseConnection();

    // --- Schema upkeep ------------------------------------------------------------------------
    void checkDB();
    void checkNewRecordsTable();

    /// Rows inserted since the last VACUUM; -1 when unknown.
    int32_t newRecordsSinceVacuum();
    void setNewRecordsSinceVacuum(int32_t count);
    void addNewRecordsSinceVacuum(int32_t count);

    // --- Writing ----------------------------------------------------------------------------
    /// Stores the records in one transaction; a record whose date is already stored is left
    /// out, and so (with a log line) is one whose date is not storable (OVSQLite3DB). With a zone, the day buckets of the batch's span are rebuilt on the pool afterwards.
    /// False (and a log line) when the batch could not be stored.
    bool insertWeatherConditions(const QList<OVWeatherConditions> &records,
                                 const std::optional<QTimeZone> &zone = std::nullopt);

    /// The records whose date a station file can hold; each other one is logged (naming
    /// `where`) and left out.
    static QList<OVWeatherConditions> storableRecords(const QList<OVWeatherConditions> &records,
                                                      const QString &where);

    // --- Reading ----------------------------------------------------------------------------
    /// Records with start <= date <= end, oldest first; missing values read as -1000.
    QList<OVWeatherConditions> weatherConditionsWithStartDate(const QDateTime &start,
                                                              const QDateTime &end);
    /// Dates of the oldest and newest rows with a readable date; invalid when there are none.
    QDateTime earliestObservation();
    QDateTime lastUpdate();
    /// The newest row; a stored NULL reads as -1000.
    std::optional<OVWeatherConditions> latestConditions();
    /// Aggregates over the rows between the dates: minima (resp. maxima), the average wind
    /// direction, the summed hourly precipitation and the most frequent weather codes; the
    /// minimum also ranks the sky cover. None when no row lies in the range.
    std::optional<OVWeatherConditions> minConditionsFromStartDate(const QDateTime &start,
                                                                  const QDateTime &end);
    std::optional<OVWeatherConditions> maxConditionsFromStartDate(const QDateTime &start,
                                                                  const QDateTime &end);
    /// One record per day bucket of `min_max_cache` for the zone (rebuilt first when it does
    /// not cover the history), oldest first.
    QList<OVWeatherConditions> condensedMaxWeatherConditionsWithStartDate(const QDateTime &start,
                                                                          const QDateTime &end,
                                                                          const QTimeZone &zone);
    QList<OVWeatherConditions> condensedMinWeatherConditionsWithStartDate(const QDateTime &start,
                                                                          const QDateTime &end,
                                                                          const QTimeZone &zone);

    // --- Day buckets --------------------------------------------------------------------------
    /// Rebuilds the buckets for the zone when they do not cover the history (on this thread).
    void checkMinMaxValuesForTimeZone(const QTimeZone &zone);
    /// Rebuilds the zone's buckets from the day before `start` to the day after `end`.
    void updateMinMaxValues(const QTimeZone &zone, const QDateTime &start, const QDateTime &end);
    /// Waits until the rebuilds started by inserts have finished; false on timeout.
    bool waitForMinMaxUpdates(int timeoutMs = -1);

    // --- Helpers over row dictionaries (columns -> texts, NULL as "") -----------------------
    /// The value as a number; an empty text, NULL or an infinite value reads as -1000.
    static double floatValueForKey(const QString &key, const QVariantMap &row);
    static double minOfKey(const QString &key, const QList<QVariantMap> &rows);
    static double maxOfKey(const QString &key, const QList<QVariantMap> &rows);
    static double averageOfKey(const QString &key, const QList<QVariantMap> &rows);
    /// 0 when every value is missing; -1000 only for no rows.
    static double sumOfKey(const QString &key, const QList<QVariantMap> &rows);
    static std::optional<QString> mostFrequentValueOfKey(const QString &key,
                                                         const QList<QVariantMap> &rows,
                                                         bool countEmptyAsValue,
                                                         const QString &onlyCountIfKeyIsNotNull);
    /// "CLR", "FEW", "SCT", "BKN" or "OVC": the most frequent cloud category, the less cloudy
    /// one on a tie.
    static QString rankedSkyCover(const QList<QVariantMap> &rows);

private:
    std::optional<OVWeatherConditions> aggregateConditions(const QDateTime &start,
                                                           const QDateTime &end, bool minimum);
    QList<OVWeatherConditions> condensedConditions(const QDateTime &start, const QDateTime &end,
                                                   const QTimeZone &zone, bool minimum);
    bool insertStorable(const QList<OVWeatherConditions> &records,
                        const std::optional<QTimeZone> &zone);
    void setAsideIfDamaged();
    QString selectColumnList() const;
    void createTable(const QString &createStatement);
    void upgradeHistoryColumns();
    void vacuumIfNeeded();
    void checkMinMaxTable();

    const QString mPath;
    const std::shared_ptr<OVSQLite3DB> mDatabase;
    std::unique_ptr<OVDispatchGroup> mMinMaxUpdates;
    std::atomic<bool> mNewRecordsTableGood{false};
    mutable std::mutex mStateMutex; // guards the fields below
    QString mIcao;
    bool mMinMaxValuesOK = false;
    std::optional<QTimeZone> mMinMaxValuesOKTimeZone;
    QString mSelectColumnList; // empty: every column of the current layout
};
