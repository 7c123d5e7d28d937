// The persistent grid cache of the OpenDAP client: one SQLite file ("OpenDAP_Cache.sqlite") of
// grid records beside a "Grids" folder of raw value files, keyed by collection type, run time,
// forecast time index, variable and level index. It works only once a cache folder is set, and
// nothing in the program sets one; until then queries answer nothing and inserts are skipped.
//
// A value file holds the grid's values exactly as OVGrid::dataForValues gives them (host-order
// doubles, no header). Its name is made from the keys, so a variable name may hold only
// letters, digits, "_" and "-". A repeated insert replaces its record; a record whose file has
// gone is deleted when read. A store that cannot be opened, or holds no cache of ours, is
// deleted with the value files and made afresh once; failing again, the cache stays disabled.
//
// Threads: any thread; every operation holds the connection's lock, so they run one at a time.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <mutex>

class OVGrid;
class OVSQLite3DB;

class OVOpenDAPCache
{
public:
    static OVOpenDAPCache &sharedCache();

    OVOpenDAPCache();
    ~OVOpenDAPCache();
    OVOpenDAPCache(const OVOpenDAPCache &) = delete;
    OVOpenDAPCache &operator=(const OVOpenDAPCache &) = delete;

    /// Opens the cache in `path` (made when missing). Only the first call counts.
    void setCacheDirectory(const QString &path);

    /// Stores the grid's values and its record; nothing when the cache is not ready.
    void insertGrid(const OVGrid &grid, const QString &variable, uint64_t levelIndex, const QDateTime &modelRunTime,
                    uint64_t forecastTimeIndex, int64_t collectionType);
    /// The stored grid for the keys, without projection; null when there is none.
    std::shared_ptr<OVGrid> queryGrid(const QString &variable, uint64_t levelIndex, const QDateTime &modelRunTime,
                                      uint64_t forecastTimeIndex, int64_t collectionType);
    /// The stored grid of the newest run, at its highest forecast time index.
    std::shared_ptr<OVGrid> queryGridLatest(const QString &variable, uint64_t levelIndex, int64_t collectionType);
    /// Deletes the records of runs before `date` with their files, then every file in the
    /// grids folder that no record names.
    void deleteGridsOlderThan(const QDateTime &date);

    /// "<grids>/<type>_<yyyyMMddHHmmss>_<time index>_<variable>_<level index>.data"; null before
    /// a cache folder is set or for a variable name that cannot name a file.
    QString gridDataPath(const QString &variable, uint64_t levelIndex, const QDateTime &modelRunTime,
                         uint64_t forecastTimeIndex, int64_t collectionType) const;
    /// Whether the store is open; logs when it is not.
    bool cacheReady() const;

    QString cacheDirectory() const;
    QString gridsDirectory() const;

private:
    struct Record;
    bool openStore();
    void removeStoreFiles() const;
    /// The open store; null, with the cacheReady line, when there is none.
    std::shared_ptr<OVSQLite3DB> readyDatabase() const;
    /// The grid of the first record that meets `condition` (an SQL WHERE clause, with order).
    std::shared_ptr<OVGrid> queryFirst(const QString &condition, const QStringList &parameters);
    std::shared_ptr<OVGrid> gridFromRecord(OVSQLite3DB &database, const Record &record);

    mutable std::mutex mMutex; // the members below; the database's own lock serialises its work
    QString mCacheDirectory;
    QString mGridsDirectory;
    std::shared_ptr<OVSQLite3DB> mDatabase;
};
