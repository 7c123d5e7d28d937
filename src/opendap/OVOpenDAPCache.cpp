#include "opendap/OVOpenDAPCache.h"

#include "core/OVGrid.h"
#include "core/OVSQLite3DB.h"
#include "platform/OVLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>

#include <sqlite3.h>

#include <cstdio>

namespace {

const QString kStoreName = QStringLiteral("OpenDAP_Cache.sqlite");
constexpr int kSchemaVersion = 1;

// One record per grid; the five keys identify it, so storing it again replaces it.
const QString kCreateTable = QStringLiteral(
    "CREATE TABLE OVOpenDAPCachedGrid ("
    "queryVariableName TEXT NOT NULL, queryLevelIndex INTEGER NOT NULL, queryModelRunTime TEXT NOT NULL, "
    "queryTimeIndex INTEGER NOT NULL, queryCollectionType INTEGER NOT NULL, "
    "gridMinLatitude REAL NOT NULL, gridMaxLatitude REAL NOT NULL, "
    "gridMinLongitude REAL NOT NULL, gridMaxLongitude REAL NOT NULL, "
    "gridXResolution INTEGER NOT NULL, gridYResolution INTEGER NOT NULL, cacheFilePath TEXT NOT NULL, "
    "UNIQUE (queryCollectionType, queryModelRunTime, queryTimeIndex, queryVariableName, queryLevelIndex))");

const QString kColumns = QStringLiteral(
    "queryVariableName, queryLevelIndex, queryModelRunTime, queryTimeIndex, queryCollectionType, "
    "gridMinLatitude, gridMaxLatitude, gridMinLongitude, gridMaxLongitude, gridXResolution, gridYResolution, "
    "cacheFilePath");

// The stored rect keeps single precision, as the cache always has.
QString floatText(double value)
{
    return QString::number(double(float(value)), 'g', 17);
}

// GrADS variable names are plain words; anything else could lead a file name out of the folder.
bool isFileSafeName(const QString &name)
{
    static const QRegularExpression safe(QStringLiteral("^[A-Za-z0-9_-]+$"));
    return safe.match(name).hasMatch();
}

QString errorText(OVSQLite3DB &database)
{
    std::lock_guard lock(database.databaseLock());
    return database.database() ? QString::fromUtf8(sqlite3_errmsg(database.database()))
                               : QStringLiteral("the store could not be opened");
}

} // namespace

struct OVOpenDAPCache::Record
{
    QString variable;
    uint64_t levelIndex = 0;
    QDateTime modelRunTime;
    uint64_t timeIndex = 0;
    int64_t collectionType = 0;
    OVGeoRect rect;
    uint64_t columns = 0;
    uint64_t rows = 0;

    static Record fromRow(const QVariantMap &row)
    {
        Record record;
        record.variable = row.value(QStringLiteral("queryVariableName")).toString();
        record.levelIndex = row.value(QStringLiteral("queryLevelIndex")).toULongLong();
        record.modelRunTime = OVSQLite3DB::dateForString(row.value(QStringLiteral("queryModelRunTime")).toString());
        record.timeIndex = row.value(QStringLiteral("queryTimeIndex")).toULongLong();
        record.collectionType = row.value(QStringLiteral("queryCollectionType")).toLongLong();
        // SQLite reads a REAL out as 15 significant digits; the float it stands for is exact.
        const auto number = [&row](const char *column) {
            return double(float(row.value(QLatin1StringView(column)).toDouble()));
        };
        record.rect = OVGeoRectMake(number("gridMinLatitude"), number("gridMinLongitude"), number("gridMaxLatitude"),
                                    number("gridMaxLongitude"));
        record.columns = row.value(QStringLiteral("gridXResolution")).toULongLong();
        record.rows = row.value(QStringLiteral("gridYResolution")).toULongLong();
        return record;
    }
};

OVOpenDAPCache &OVOpenDAPCache::sharedCache()
{
    static OVOpenDAPCache cache;
    return cache;
}

OVOpenDAPCache::OVOpenDAPCache() = default;
OVOpenDAPCache::~OVOpenDAPCache() = default;

// --- Opening -------------------------------------------------------------------------------------

void OVOpenDAPCache::setCacheDirectory(const QString &path)
{
    std::lock_guard lock(mMutex);
    if (!mCacheDirectory.isNull()) {
        OVLog(QStringLiteral("[OVOpenDAPCache setCacheDirectory] The cache directory has previously been set.  Create "
                             "a new cache object if you want to use a new cache location."));
        return;
    }
    if (path.isEmpty()) {
        OVLog(QStringLiteral("[OVOpenDAPCache setCacheDirectory] Can't set a nil path for the cache."));
        return;
    }
    mCacheDirectory = path;
    mGridsDirectory = QDir(path).filePath(QStringLiteral("Grids"));
    QDir().mkpath(mGridsDirectory);
    if (openStore())
        return;
    removeStoreFiles();
    QDir(mGridsDirectory).removeRecursively();
    QDir().mkpath(mGridsDirectory);
    if (!openStore()) {
        OVLog(QStringLiteral("[OVOpenDAPCache setCacheDirectory] Tried resetting the database but still failed.  "
                             "Cache disabled."));
    }
}

bool OVOpenDAPCache::openStore()
{
    const QString storePath = QDir(mCacheDirectory).filePath(kStoreName);
    auto database = OVSQLite3DB::initWithDatabasePath(storePath);
    bool opened = false;
    if (database && database->connectionOpen()) {
        std::lock_guard lock(database->databaseLock());
        const auto version = database->selectStringArrayWithQuery(QStringLiteral("PRAGMA user_version"));
        if (version && version->value(0) == QString::number(kSchemaVersion)) {
            opened = database->tableExists(QStringLiteral("OVOpenDAPCachedGrid"));
        } else if (version && version->value(0) == u"0" &&
                   !database->tableExists(QStringLiteral("OVOpenDAPCachedGrid"))) {
            opened = database->doQuery(QStringLiteral("BEGIN")) && database->doQuery(kCreateTable) &&
                     database->doQuery(QStringLiteral("PRAGMA user_version = %1").arg(kSchemaVersion)) &&
                     database->doQuery(QStringLiteral("COMMIT"));
            if (!opened)
                database->doQuery(QStringLiteral("ROLLBACK"));
        }
    }
    if (!opened) {
        const QString error = database ? errorText(*database) : QStringLiteral("no path");
        OVLog(
            QStringLiteral("[OVOpenDAPCache setCacheDirectory] Couldn't initialize persistentStoreCoordinator: %1, %2")
                .arg(error, storePath));
        if (database)
            database->closeDatabaseConnection();
        return false;
    }
    mDatabase = std::move(database);
    return true;
}

void OVOpenDAPCache::removeStoreFiles() const
{
    const QString storePath = QDir(mCacheDirectory).filePath(kStoreName);
    for (const char *suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(storePath + QLatin1StringView(suffix));
}

bool OVOpenDAPCache::cacheReady() const
{
    return readyDatabase() != nullptr;
}

std::shared_ptr<OVSQLite3DB> OVOpenDAPCache::readyDatabase() const
{
    std::lock_guard lock(mMutex);
    if (!mDatabase)
        OVLog(QStringLiteral("[OVOpenDAPCache cacheReady] Cache isn't ready.  Have you set a cache directory yet?"));
    return mDatabase;
}

QString OVOpenDAPCache::cacheDirectory() const
{
    std::lock_guard lock(mMutex);
    return mCacheDirectory;
}

QString OVOpenDAPCache::gridsDirectory() const
{
    std::lock_guard lock(mMutex);
    return mGridsDirectory;
}

QString OVOpenDAPCache::gridDataPath(const QString &variable, uint64_t levelIndex, const QDateTime &modelRunTime,
                                     uint64_t forecastTimeIndex, int64_t collectionType) const
{
    const QString grids = gridsDirectory();
    if (grids.isNull() || !isFileSafeName(variable))
        return QString();
    return QStringLiteral("%1/%2_%3_%4_%5_%6.data")
        .arg(grids)
        .arg(collectionType)
        .arg(modelRunTime.toUTC().toString(QStringLiteral("yyyyMMddHHmmss")))
        .arg(forecastTimeIndex)
        .arg(variable)
        .arg(levelIndex);
}

// --- Storing -------------------------------------------------------------------------------------

void OVOpenDAPCache::insertGrid(const OVGrid &grid, const QString &variable, uint64_t levelIndex,
                                const QDateTime &modelRunTime, uint64_t forecastTimeIndex, int64_t collectionType)
{
    const auto database = readyDatabase();
    if (!database)
        return;
    if (!isFileSafeName(variable)) {
        OVLog(QStringLiteral("[OVOpenDAPCache insertGrid] Not caching variable \"%1\": a value file can only be "
                             "named by letters, digits, \"_\" and \"-\".")
                  .arg(variable));
        return;
    }
    const QByteArray data = grid.dataForValues();
    if (data.isEmpty()) {
        OVLog(QStringLiteral("[OVOpenDAPCache insertGrid] Couldn't convert values to data format."));
        return;
    }
    const QString path = gridDataPath(variable, levelIndex, modelRunTime, forecastTimeIndex, collectionType);
    if (path.isNull()) {
        OVLog(QStringLiteral("[OVOpenDAPCache insertGrid] Couldn't calculate cache file path."));
        return;
    }
    std::lock_guard lock(database->databaseLock());

    // The values go beside their final name until the record is stored, so a failed insert
    // leaves the earlier file (and record) of the same keys as they were.
    const QString pending = path + QStringLiteral(".pending");
    QSaveFile file(pending);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit()) {
        OVLog(QStringLiteral("[OVOpenDAPCache insertGrid] Couldn't save grid data: %1, %2")
                  .arg(file.errorString(), pending));
        return;
    }
    const OVGeoRect &rect = grid.geoRect();
    const QStringList values = {variable,
                                QString::number(levelIndex),
                                OVSQLite3DB::stringForDate(modelRunTime),
                                QString::number(forecastTimeIndex),
                                QString::number(collectionType),
                                floatText(rect.minPoint.latitude),
                                floatText(rect.maxPoint.latitude),
                                floatText(rect.minPoint.longitude),
                                floatText(rect.maxPoint.longitude),
                                QString::number(grid.xResolution()),
                                QString::number(grid.yResolution()),
                                path};
    const bool stored = database->doQuery(
        QStringLiteral("INSERT OR REPLACE INTO OVOpenDAPCachedGrid (%1) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
            .arg(kColumns),
        values);
    if (!stored || std::rename(QFile::encodeName(pending).constData(), QFile::encodeName(path).constData()) != 0) {
        OVLog(QStringLiteral("[OVOpenDAPCache insertGrid] Couldn't save managed object context: %1, %2")
                  .arg(errorText(*database), path));
        QFile::remove(pending);
    }
}

// --- Reading -------------------------------------------------------------------------------------

std::shared_ptr<OVGrid> OVOpenDAPCache::queryGrid(const QString &variable, uint64_t levelIndex,
                                                  const QDateTime &modelRunTime, uint64_t forecastTimeIndex,
                                                  int64_t collectionType)
{
    return queryFirst(QStringLiteral("queryVariableName = ? AND queryLevelIndex = ? AND queryModelRunTime = ? AND "
                                     "queryTimeIndex = ? AND queryCollectionType = ?"),
                      {variable, QString::number(levelIndex), OVSQLite3DB::stringForDate(modelRunTime),
                       QString::number(forecastTimeIndex), QString::number(collectionType)});
}

std::shared_ptr<OVGrid> OVOpenDAPCache::queryGridLatest(const QString &variable, uint64_t levelIndex,
                                                        int64_t collectionType)
{
    return queryFirst(QStringLiteral("queryVariableName = ? AND queryLevelIndex = ? AND queryCollectionType = ? "
                                     "ORDER BY queryModelRunTime DESC, queryTimeIndex DESC"),
                      {variable, QString::number(levelIndex), QString::number(collectionType)});
}

std::shared_ptr<OVGrid> OVOpenDAPCache::queryFirst(const QString &condition, const QStringList &parameters)
{
    const auto database = readyDatabase();
    if (!database)
        return nullptr;
    std::lock_guard lock(database->databaseLock());
    const auto rows = database->selectDictionaryArrayWithQuery(
        QStringLiteral("SELECT %1 FROM OVOpenDAPCachedGrid WHERE %2 LIMIT 1").arg(kColumns, condition), parameters);
    if (!rows || rows->isEmpty())
        return nullptr;
    return gridFromRecord(*database, Record::fromRow(rows->first()));
}

// Called with the database lock held.
std::shared_ptr<OVGrid> OVOpenDAPCache::gridFromRecord(OVSQLite3DB &database, const Record &record)
{
    const QString path =
        gridDataPath(record.variable, record.levelIndex, record.modelRunTime, record.timeIndex, record.collectionType);
    auto grid = OVGrid::make({}, record.rect, record.columns, record.rows);
    QFile file(path);
    const QByteArray data = !path.isNull() && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    if (grid && !data.isEmpty() && grid->setValuesFromData(data))
        return grid;
    // The values are gone or damaged: the record answers nothing any more.
    OVLog(QStringLiteral("[OVOpenDAPCache queryGrid] Dropping the record of the unreadable value file %1").arg(path));
    database.doQuery(QStringLiteral("DELETE FROM OVOpenDAPCachedGrid WHERE queryVariableName = ? AND "
                                    "queryLevelIndex = ? AND queryModelRunTime = ? AND queryTimeIndex = ? AND "
                                    "queryCollectionType = ?"),
                     {record.variable, QString::number(record.levelIndex),
                      OVSQLite3DB::stringForDate(record.modelRunTime), QString::number(record.timeIndex),
                      QString::number(record.collectionType)});
    return nullptr;
}

// --- Pruning -------------------------------------------------------------------------------------

void OVOpenDAPCache::deleteGridsOlderThan(const QDateTime &date)
{
    const auto ready = readyDatabase();
    if (!ready)
        return;
    OVSQLite3DB &database = *ready;
    std::lock_guard lock(database.databaseLock());
    const QString before = OVSQLite3DB::stringForDate(date);
    const auto oldFiles = database.selectStringArrayWithQuery(
        QStringLiteral("SELECT cacheFilePath FROM OVOpenDAPCachedGrid WHERE queryModelRunTime < ?"), {before});
    if (!oldFiles ||
        !database.doQuery(QStringLiteral("DELETE FROM OVOpenDAPCachedGrid WHERE queryModelRunTime < ?"), {before})) {
        OVLog(QStringLiteral("[OVOpenDAPCache deleteGridsOlderThan] Couldn't save managed object context: %1, %2")
                  .arg(errorText(database), before));
        return;
    }
    for (const QString &path : *oldFiles) {
        if (!path.isEmpty())
            QFile::remove(path);
    }
    // Files no record names: left by a crash between writing a file and storing its record.
    const auto kept =
        database.selectStringArrayWithQuery(QStringLiteral("SELECT cacheFilePath FROM OVOpenDAPCachedGrid"));
    if (!kept)
        return;
    QSet<QString> named;
    for (const QString &path : *kept)
        named.insert(QFileInfo(path).fileName());
    QDir grids(gridsDirectory());
    for (const QString &name : grids.entryList(QDir::Files)) {
        if (!named.contains(name))
            grids.remove(name);
    }
}
