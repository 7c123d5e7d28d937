// The entry point of the OpenDAP client: one collection per product type, the vertical levels
// of a variable (kept in memory), and one horizontal grid of a variable at a level and forecast
// time, answered from the persistent grid cache when it holds it.
//
// A grid comes back with north on top, longitudes from -180 when it covers the whole circle,
// and missing values as OVNoValue. Nothing in the program calls the assistant yet.
//
// Threads: static operations, any thread. The registry sits behind a mutex, the level cache is
// a QCache behind another. Every block is called exactly once: on a pool thread after a reply,
// on the main thread after a discovery, or on the caller's thread for a failure found at once
// or a level list already in memory.
#pragma once

#include "opendap/OVOpenDAPCollection.h"

#include <QDateTime>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class OVGrid;

class OVOpenDAPAssistant
{
public:
    /// Axis values; nullopt when there is no answer.
    using Levels = std::optional<std::vector<double>>;
    using LevelsBlock = std::function<void(const Levels &)>;
    using GridBlock = std::function<void(std::shared_ptr<OVGrid>)>;

    /// The registered collection of that type, made and registered on first use; null for a
    /// type outside the table.
    static OVOpenDAPCollectionPtr collectionWithType(int64_t type);
    /// Starts a discovery of every registered collection, then the loading of each newest run.
    static void refreshCollectionSourceLists();
    /// Discovers the collection's runs when asked to or not yet done, then calls the block.
    static void prepareCollection(const OVOpenDAPCollectionPtr &collection, bool forceRefresh,
                                  std::function<void()> block);
    /// Loads the run's documents when asked to or not yet done, then calls the block.
    static void prepareSource(const OVOpenDAPSourcePtr &source, bool forceRefresh, std::function<void()> block);

    /// The values of the "lev" axis of a variable.
    static void levelsForVariable(const QString &variable, const QDateTime &modelRunTime, int64_t collectionType,
                                  LevelsBlock block);
    /// The values of an axis of a variable in the run nearest `modelRunTime` (invalid: now):
    /// {0} when the variable has no such axis or only one value on it.
    static void requestDimensionDataForArgument(const QString &argument, const QString &variable,
                                                const QDateTime &modelRunTime, int64_t collectionType,
                                                LevelsBlock block);
    static Levels cacheQueryDimensionData(const QString &argument, const QString &variable,
                                          const QDateTime &modelRunTime, int64_t collectionType);
    static void cacheInsertDimensionData(const std::vector<double> &values, const QString &argument,
                                         const QString &variable, const QDateTime &modelRunTime,
                                         int64_t collectionType);
    static QString cacheKeyOfDimensionData(const QString &argument, const QString &variable,
                                           const QDateTime &modelRunTime, int64_t collectionType);

    /// The grid at the lowest level (the last on the axis).
    static void requestGridForVariable(const QString &variable, const QDateTime &modelRunTime,
                                       const QDateTime &forecastTime, int64_t collectionType, GridBlock block);
    /// The whole grid of `variable` at the level nearest `level` (in the axis' unit) and the
    /// step nearest `forecastTime` (invalid: now), in the run nearest `modelRunTime` (invalid:
    /// the newest).
    static void requestGridForVariable(const QString &variable, double level, const QDateTime &modelRunTime,
                                       const QDateTime &forecastTime, int64_t collectionType, GridBlock block);

    /// The grid of a reply's rows (southernmost first, `axes` as the run declares them):
    /// null when `values` is not exactly one value per point.
    static std::shared_ptr<OVGrid> gridFromReply(const std::vector<double> &values, const OVOpenDAPSource::Axes &axes,
                                                 double missingValue);
    /// The position of the first value nearest `level` (compared in single precision); 0 for
    /// no values.
    static size_t levelIndexForLevel(const Levels &levels, double level);
};
