// The location database: queries over location.db and the map's city and station caches.
#include "core/OVLocationDB.h"

#include "core/OVGeoDistanceFunction.h"
#include "core/OVSQLite3DB.h"
#include "platform/OVDispatch.h"
#include "platform/OVLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <limits>

namespace {

// Column -> key under which a place object takes the column's text.
const OVKeyMap &locationRowKeyMap()
{
    static const OVKeyMap map{
        {QStringLiteral("location_id"), QStringLiteral("locationIdString")},
        {QStringLiteral("icao"), QStringLiteral("icao")},
        {QStringLiteral("city"), QStringLiteral("city")},
        {QStringLiteral("state_code"), QStringLiteral("stateCode")},
        {QStringLiteral("state_name"), QStringLiteral("stateName")},
        {QStringLiteral("country_code"), QStringLiteral("countryCode")},
        {QStringLiteral("country_name"), QStringLiteral("countryName")},
        {QStringLiteral("latitude"), QStringLiteral("latitudeString")},
        {QStringLiteral("longitude"), QStringLiteral("longitudeString")},
        {QStringLiteral("elevation"), QStringLiteral("elevationString")},
        {QStringLiteral("time_zone_name"), QStringLiteral("locationTimeZoneName")},
    };
    return map;
}

const QString kLocationSelect = QStringLiteral(
    "SELECT l.location_id as location_id, li.icao as icao, l.city as city, l.state_code as state_code, "
    "l.state_name as state_name, l.country_code as country_code, l.country_name as country_name, "
    "l.latitude as latitude, l.longitude as longitude, i.elevation as elevation, "
    "l.time_zone_name as time_zone_name FROM location l, location_icao li, icao i ");

// Search rows carry the state code under "state".
const QString kSearchSelect = QStringLiteral(
    "select l.location_id as location_id, li.icao as icao, l.city as city, l.state_code as state, "
    "l.country_name as country_name, i.station_name as station_name from location l, location_icao li, icao i ");

const QString kSearchOrder = QStringLiteral(
    " and li.icao = i.icao and l.location_id = li.location_id order by l.country_name, l.state_code, l.city, l.location_id");

constexpr qint64 kCityCachePopulation = 50000;

// A search term is text the user typed or pasted, never a pattern: it ends at the first NUL, is
// cut to a length no place name comes near, and LIKE's wildcards in it match only themselves.
constexpr qsizetype kMaxSearchTermLength = 100;

QString searchableText(const QString &text)
{
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    QString term = (nul >= 0 ? text.left(nul) : text).left(kMaxSearchTermLength);
    if (term.size() == kMaxSearchTermLength && term.back().isHighSurrogate())
        term.chop(1);
    return term;
}

// The escape character is '\\' (see the statements' ESCAPE clauses), so it is escaped too.
QString likePrefix(const QString &term)
{
    QString escaped;
    escaped.reserve(term.size() + 1);
    for (const QChar c : term) {
        if (c == u'\\' || c == u'%' || c == u'_')
            escaped += u'\\';
        escaped += c;
    }
    return escaped + u'%';
}

struct ClassState
{
    std::mutex mutex;
    QString localPath;
    OVLocationFactory factory;
};

ClassState &classState()
{
    static ClassState state;
    return state;
}

QString number(double value)
{
    return QString::number(value, 'g', 17);
}

/// The creation stamp of a location file: the leading digits of settings.creation_date, 0 when
/// the file cannot be read or has none.
qint64 creationStamp(const QString &path, bool readonly)
{
    const auto database = OVSQLite3DB::initWithDatabasePath(path, readonly);
    if (!database || !database->connectionOpen())
        return 0;
    const auto values = database->selectStringArrayWithQuery(
        QStringLiteral("select int_value from settings where key = 'creation_date'"));
    database->closeDatabaseConnection();
    if (!values || values->isEmpty())
        return 0;
    qint64 stamp = 0;
    for (QChar c : values->first()) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9') || stamp > (std::numeric_limits<qint64>::max() - 9) / 10)
            break;
        stamp = stamp * 10 + (c.unicode() - '0');
    }
    return stamp;
}

bool isReadableFile(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isReadable();
}

} // namespace

std::shared_ptr<OVLocationDB> OVLocationDB::sharedLocationManager()
{
    static const std::shared_ptr<OVLocationDB> shared = initWithDatabasePath();
    return shared;
}

void OVLocationDB::setLocalDBPath(const QString &path)
{
    std::lock_guard lock(classState().mutex);
    classState().localPath = path;
}

void OVLocationDB::setLocationFactory(OVLocationFactory factory)
{
    std::lock_guard lock(classState().mutex);
    classState().factory = std::move(factory);
}

QString OVLocationDB::defaultMasterPath()
{
    static const QString path = [] {
        if (!QCoreApplication::instance())
            return QString();
        const QString candidate = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("location.db"));
        return QFileInfo::exists(candidate) ? candidate : QString();
    }();
    return path;
}

std::shared_ptr<OVLocationDB> OVLocationDB::initWithDatabasePath(const QString &masterPath)
{
    return std::make_shared<OVLocationDB>(Private(), masterPath.isEmpty() ? defaultMasterPath() : masterPath);
}

OVLocationDB::OVLocationDB(Private, const QString &masterPath)
    : mMasterPath(masterPath)
{
    QString localPath;
    {
        std::lock_guard lock(classState().mutex);
        localPath = classState().localPath;
    }
    if (!localPath.isEmpty() && localPath.endsWith(QLatin1String(".db"))) {
        checkLocalDB(mMasterPath, localPath);
        if (isReadableFile(localPath))
            mDatabase = OVSQLite3DB::initWithDatabasePath(localPath, false);
    }
    if (!mDatabase && !mMasterPath.isEmpty())
        mDatabase = OVSQLite3DB::initWithDatabasePath(mMasterPath, true);

    if (!mDatabase || !mDatabase->connectionOpen()) {
        OVLog(QStringLiteral("[OVLocationManager initWithDatabasePath] No location database could be opened (%1).")
                  .arg(mMasterPath.isEmpty() ? QStringLiteral("none found beside the application") : mMasterPath));
        mDatabase.reset();
        return;
    }
    if (!mDatabase->tableExists(QStringLiteral("location")) || !mDatabase->tableExists(QStringLiteral("icao"))) {
        OVLog(QStringLiteral("[OVLocationManager initWithDatabasePath] '%1' is not a location database; "
                             "no place or station will be found.")
                  .arg(mDatabase->databasePath()));
        mDatabase->closeDatabaseConnection();
        mDatabase.reset();
        return;
    }
    OVRegisterGeoDistanceFunction(*mDatabase);
}

OVLocationDB::~OVLocationDB() = default;

bool OVLocationDB::databaseReady() const
{
    return mDatabase && mDatabase->connectionOpen();
}

std::shared_ptr<OVKeyValue> OVLocationDB::firstLocation(const QString &sql, const QStringList &params)
{
    OVLocationFactory factory;
    {
        std::lock_guard lock(classState().mutex);
        factory = classState().factory;
    }
    if (!factory) {
        OVLog(QStringLiteral("[OVLocationManager] No location factory is registered; places cannot be made."));
        return nullptr;
    }
    std::lock_guard lock(mLock);
    if (!databaseReady())
        return nullptr;
    const auto rows = mDatabase->selectObjectArrayWithQuery<OVKeyValue>(sql, params, locationRowKeyMap(), factory);
    if (!rows || rows->isEmpty())
        return nullptr;
    return rows->first();
}

std::shared_ptr<OVKeyValue> OVLocationDB::weatherLocationWithID(qint32 locationId, const QString &icao)
{
    const QString sql = kLocationSelect
        + QStringLiteral("WHERE l.location_id = ? and l.location_id = li.location_id and li.icao = ? and i.icao = li.icao");
    auto location = firstLocation(sql, {QString::number(locationId), icao});
    if (location)
        OVDebugLog(QStringLiteral("[OVLocationManager weatherLocationWithID] Found location %1 in database with icao=%2")
                       .arg(locationId)
                       .arg(icao));
    else
        OVDebugLog(QStringLiteral("[OVLocationManager weatherLocationWithID] Didn't find any records for the "
                                  "following query: %1 (%2, %3)")
                       .arg(sql)
                       .arg(locationId)
                       .arg(icao));
    return location;
}

std::shared_ptr<OVKeyValue> OVLocationDB::weatherLocationForZip(const QString &zipCode)
{
    const QString sql = kLocationSelect
        + QStringLiteral("WHERE l.location_id = (select location_id from zip_code where zip_code = ?) "
                         "and l.location_id = li.location_id and i.icao = li.icao");
    auto location = firstLocation(sql, {zipCode});
    if (location)
        OVDebugLog(QStringLiteral("[OVLocationManager getWeatherLocationForZip] Found zip %1 in database with icao=%2")
                       .arg(zipCode, location->valueForKey(QStringLiteral("icao")).toString()));
    else
        OVDebugLog(QStringLiteral("[OVLocationManager getWeatherLocationForZip] Didn't find any records for the "
                                  "following query: %1 (%2)")
                       .arg(sql, zipCode));
    return location;
}

std::shared_ptr<OVKeyValue> OVLocationDB::weatherLocationForGeoPoint(const OVGeoPoint &point)
{
    auto location = firstLocation(
        QStringLiteral("SELECT l.*, geo_distance(l.latitude, l.longitude, ?, ?) AS distance FROM location l "
                       "ORDER BY distance ASC LIMIT 1"),
        {number(point.latitude), number(point.longitude)});
    if (location)
        location->setValue(closestICAOToGeoPoint(point), QStringLiteral("icao"));
    return location;
}

QString OVLocationDB::closestICAOToGeoPoint(const OVGeoPoint &point)
{
    // By true distance: plain degree differences pick far stations near the antimeridian and at
    // high latitudes, where a degree of longitude is short.
    std::lock_guard lock(mLock);
    if (!databaseReady())
        return QString();
    const auto codes = mDatabase->selectStringArrayWithQuery(
        QStringLiteral("select icao from icao order by geo_distance(latitude, longitude, ?, ?) asc limit 1"),
        {number(point.latitude), number(point.longitude)});
    return codes && !codes->isEmpty() ? codes->first() : QString();
}

std::pair<QString, QStringList> OVLocationDB::searchStatement(const QString &text)
{
    const QString searchable = searchableText(text);
    const qsizetype comma = searchable.indexOf(QLatin1Char(','));
    const QString term = comma >= 3 ? searchable.left(comma) : searchable;
    const bool hasLetter = std::any_of(term.cbegin(), term.cend(), [](QChar c) { return c.isLetter(); });
    const QString prefix = likePrefix(term);
    if (!hasLetter) {
        return {kSearchSelect
                    + QStringLiteral("where l.location_id in (select location_id from zip_code "
                                     "where zip_code like ? escape '\\')")
                    + kSearchOrder,
                {prefix}};
    }
    // The places come pre-joined with their stations and numbered in answer order. Each LIKE is
    // answered from its column's NOCASE index (a prefix range); the matching numbers are then
    // read back in ascending order, so thousands of answers to a broad term need no sort.
    return {QStringLiteral("select location_id, icao, city, state, country_name, station_name from location_search "
                           "where search_order in (select search_order from location_search "
                           "where city like ? escape '\\' or state_name like ? escape '\\' "
                           "or country_name like ? escape '\\' or icao like ? escape '\\') "
                           "order by search_order"),
            {prefix, prefix, prefix, prefix}};
}

std::optional<QList<QVariantMap>> OVLocationDB::weatherLocationsForSearchTerm(const QString &text)
{
    const QString searchable = searchableText(text);
    if (searchable.size() != text.size())
        OVLog(QStringLiteral("[OVLocationManager weatherLocationsForSearchTerm] A term of %1 characters is searched "
                             "as its first %2 (it held a NUL or was longer than %3).")
                  .arg(text.size())
                  .arg(searchable.size())
                  .arg(kMaxSearchTermLength));
    if (searchable.isEmpty() || mMasterPath.isEmpty())
        return std::nullopt;
    const auto [sql, params] = searchStatement(searchable);
    OVDebugLog(QStringLiteral("[OVLocationManager weatherLocationsForSearchTerm] Term: %1\nQuery: %2").arg(searchable, sql));

    std::lock_guard lock(mLock);
    if (!databaseReady())
        return QList<QVariantMap>();
    return mDatabase->selectDictionaryArrayWithQuery(sql, params).value_or(QList<QVariantMap>());
}

void OVLocationDB::startThreadedSearch(const QString &text, QPointer<QObject> guard, OVLocationSearchDelegate *delegate)
{
    OVDispatch::global([self = shared_from_this(), text, guard, delegate] {
        QList<QVariantMap> results = self->weatherLocationsForSearchTerm(text).value_or(QList<QVariantMap>());
        OVDispatch::mainAsync([guard, delegate, results = std::move(results)]() mutable {
            if (guard)
                delegate->setLocationSearch(results);
            // Thousands of rows take a while to free: never on the main thread, which may be
            // answering keystrokes (the delegate keeps its own share when it wants the rows).
            OVDispatch::global([rows = std::move(results)] {});
        });
    });
}

std::optional<QList<QVariantMap>> OVLocationDB::citiesWithPopulationAbove(qint64 population)
{
    std::lock_guard lock(mLock);
    if (!databaseReady())
        return std::nullopt;
    // The bare columns come from the row of max(population), so each name sits at its largest place.
    return mDatabase->selectDictionaryArrayWithQuery(
        QStringLiteral("select city, latitude, longitude, max(population) as population from location "
                       "where population > ? group by city order by population desc"),
        {QString::number(population)});
}

void OVLocationDB::cacheCities()
{
    std::lock_guard lock(mLock);
    cacheCitiesLocked();
}

void OVLocationDB::cacheICAOs()
{
    std::lock_guard lock(mLock);
    cacheICAOsLocked();
}

void OVLocationDB::cacheCitiesLocked()
{
    if (mCityCacheBuilt || !databaseReady())
        return;
    const auto rows = mDatabase->selectDictionaryArrayWithQuery(
        QStringLiteral("select city, latitude, longitude from location where population > ? "
                       "order by population desc, location_id"),
        {QString::number(kCityCachePopulation)});
    if (!rows)
        OVLog(QStringLiteral("[OVLocationManager cacheCities] The city list could not be read."));
    for (const QVariantMap &row : rows.value_or(QList<QVariantMap>())) {
        mCityCache.push_back(OVCityCacheItem{row.value(QStringLiteral("city")).toString(),
                                             row.value(QStringLiteral("latitude")).toFloat(),
                                             row.value(QStringLiteral("longitude")).toFloat()});
    }
    mCityCacheBuilt.store(true, std::memory_order_release);
}

void OVLocationDB::cacheICAOsLocked()
{
    if (mStationCacheBuilt || !databaseReady())
        return;
    const auto rows = mDatabase->selectDictionaryArrayWithQuery(
        QStringLiteral("select icao, latitude, longitude, station_name, country_code, state from icao "
                       "order by latitude asc, icao"));
    if (!rows)
        OVLog(QStringLiteral("[OVLocationManager cacheICAOs] The station list could not be read."));
    for (const QVariantMap &row : rows.value_or(QList<QVariantMap>())) {
        mWeatherStationCache.push_back(OVICAOCacheItem{row, row.value(QStringLiteral("latitude")).toFloat(),
                                                       row.value(QStringLiteral("longitude")).toFloat()});
    }
    mStationCacheBuilt.store(true, std::memory_order_release);
}

QList<OVCityCacheItem> OVLocationDB::citiesInGeoRect(const OVGeoRect &rect)
{
    if (!mCityCacheBuilt.load(std::memory_order_acquire)) {
        std::lock_guard lock(mLock);
        cacheCitiesLocked();
    }
    // Bounds compared in the cache's single precision, so a rectangle drawn through a city's
    // own coordinates includes it.
    const float minLat = float(rect.minPoint.latitude), maxLat = float(rect.maxPoint.latitude);
    const float minLon = float(rect.minPoint.longitude), maxLon = float(rect.maxPoint.longitude);
    QList<OVCityCacheItem> result;
    result.reserve(100);
    for (const OVCityCacheItem &item : mCityCache) {
        if (item.latitude >= minLat && item.latitude <= maxLat && item.longitude >= minLon && item.longitude <= maxLon)
            result.append(item);
    }
    return result;
}

std::optional<QList<QVariantMap>> OVLocationDB::icaoStationsInGeoRect(const OVGeoRect &rect)
{
    if (!mStationCacheBuilt.load(std::memory_order_acquire)) {
        std::lock_guard lock(mLock);
        cacheICAOsLocked();
    }
    if (mWeatherStationCache.empty())
        return std::nullopt;
    const float minLat = float(rect.minPoint.latitude), maxLat = float(rect.maxPoint.latitude);
    const float minLon = float(rect.minPoint.longitude), maxLon = float(rect.maxPoint.longitude);
    auto it = std::lower_bound(mWeatherStationCache.begin(), mWeatherStationCache.end(), minLat,
                               [](const OVICAOCacheItem &item, float latitude) { return item.latitude < latitude; });
    QList<QVariantMap> result;
    for (; it != mWeatherStationCache.end() && it->latitude <= maxLat; ++it) {
        if (it->longitude >= minLon && it->longitude <= maxLon)
            result.append(it->row);
    }
    return result;
}

std::optional<QVariantMap> OVLocationDB::icaoRecord(const QString &icao)
{
    if (icao.isEmpty())
        return std::nullopt;
    std::lock_guard lock(mLock);
    if (!databaseReady())
        return std::nullopt;
    const auto rows = mDatabase->selectDictionaryArrayWithQuery(
        QStringLiteral("select icao, station_name, latitude, longitude, elevation, country_code from icao i "
                       "where icao = ? limit 1"),
        {icao});
    if (!rows || rows->isEmpty())
        return std::nullopt;
    return rows->first();
}

std::optional<QVariantMap> OVLocationDB::icaoDictionary(const QString &icao)
{
    if (!mStationCacheBuilt.load(std::memory_order_acquire)) {
        std::lock_guard lock(mLock);
        cacheICAOsLocked();
    }
    const QString key = QStringLiteral("icao");
    for (const OVICAOCacheItem &item : mWeatherStationCache) {
        if (item.row.value(key).toString() == icao)
            return item.row;
    }
    return std::nullopt;
}

std::optional<QList<QVariantMap>> OVLocationDB::countryList()
{
    if (mMasterPath.isEmpty())
        return std::nullopt;
    std::lock_guard lock(mLock);
    if (!databaseReady())
        return QList<QVariantMap>();
    return mDatabase
        ->selectDictionaryArrayWithQuery(
            QStringLiteral("select country_name, country_code from country order by country_name"))
        .value_or(QList<QVariantMap>());
}

void OVLocationDB::checkLocalDB(const QString &masterPath, const QString &localPath)
{
    if (!masterPath.endsWith(QLatin1String(".db")) || !localPath.endsWith(QLatin1String(".db")))
        return;
    if (isReadableFile(localPath)) {
        const qint64 localStamp = creationStamp(localPath, false);
        OVDebugLog(QStringLiteral("[OVLocationManager checkLocalDB] Local DB Mod Time: %1").arg(localStamp));
        if (localStamp != 0) {
            const qint64 masterStamp = creationStamp(masterPath, true);
            OVDebugLog(QStringLiteral("[OVLocationManager checkLocalDB] Master DB Mod Time: %1").arg(masterStamp));
            if (localStamp == masterStamp)
                return;
        }
    }
    // Without a master to copy, a local copy (even an old one) is better than none.
    if (!isReadableFile(masterPath)) {
        OVLog(QStringLiteral("[OVLocationManager checkLocalDB] No master location database at '%1'; nothing "
                             "to copy, any local copy is kept.")
                  .arg(masterPath));
        return;
    }
    const QFileInfo local(localPath);
    if (local.exists() && local.isFile()) {
        OVDebugLog(QStringLiteral("[OVLocationManager checkLocalDB] Removing old location database (%1).").arg(localPath));
        QFile::remove(localPath);
    }
    OVDebugLog(QStringLiteral("[OVLocationManager checkLocalDB] Copying master location database."));
    if (!QFile::copy(masterPath, localPath)) {
        OVLog(QStringLiteral("[OVLocationManager checkLocalDB] Could not copy '%1' to '%2'.").arg(masterPath, localPath));
        return;
    }
    // The master may be installed read-only; the copy is ours to open read-write.
    QFile::setPermissions(localPath, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
}
