// The observations front: the shared instance, the connection cache of station files, the
// current-conditions default, the forwarders and the range cache.
#include "weather/OVObservationsDB.h"

#include "platform/OVLog.h"
#include "platform/OVUserDefaults.h"
#include "weather/OVObservationStationDB.h"
#include "weather/OVWeatherConditions.h"

#include <QDir>

#include <algorithm>
#include <optional>

namespace {

std::mutex gSharedMutex;
OVObservationsDB *gShared = nullptr;

const QString IcaoItemKey = QStringLiteral("icao");
const QString ConnectionItemKey = QStringLiteral("dbConnection");

// A station code names a file: 3 to 8 ASCII letters and digits, checked on the text exactly as
// given (no pattern anchor that stops before a final newline, no case change first: "straße"
// must not become "STRASSE"), so no code reaches another folder or another station's file.
// The file is named by the checked code in upper case.
std::optional<QString> checkedStationCode(const QString &icao)
{
    if (icao.size() < 3 || icao.size() > 8)
        return std::nullopt;
    for (const QChar c : icao) {
        const char16_t u = c.unicode();
        const bool letterOrDigit = (u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z');
        if (!letterOrDigit)
            return std::nullopt;
    }
    return icao.toUpper();
}

// checkedStationCode() with the refusal logged for `operation`.
std::optional<QString> stationCode(const QString &icao, const char *operation)
{
    std::optional<QString> code = checkedStationCode(icao);
    if (!code) {
        QString shown = icao.left(40);
        shown.replace(QLatin1Char('\n'), QStringLiteral("\\n")).replace(QChar(0), QStringLiteral("\\0"));
        OVLog(QStringLiteral("[OVObservationsDB %1] Refusing station code '%2': a station code is 3 "
                             "to 8 letters and digits.")
                  .arg(QLatin1String(operation), shown));
    }
    return code;
}

std::shared_ptr<OVObservationStationDB> stationOf(const QVariantMap &item)
{
    return item.value(ConnectionItemKey).value<std::shared_ptr<OVObservationStationDB>>();
}

} // namespace

struct OVObservationsDB::RangeCache
{
    QList<OVWeatherConditions> records; // oldest first
    QString icao;
    QDateTime start;
    QDateTime end; // invalid: the range reaches the present
};

OVObservationsDB::OVObservationsDB(const QString &databasePath, const OVClock &clock,
                                   OVUserDefaults *defaults)
    : mPath(databasePath)
    , mClock(clock)
    , mDefaults(defaults)
    , mCache(std::make_unique<RangeCache>())
{
    if (mPath.isEmpty())
        OVLog("[OVObservationsDB init] Cannot initialize without a database path.");
    std::lock_guard lock(gSharedMutex);
    if (!gShared)
        gShared = this;
}

OVObservationsDB::~OVObservationsDB()
{
    {
        std::lock_guard lock(gSharedMutex);
        if (gShared == this)
            gShared = nullptr;
    }
    for (const QVariantMap &item : mDbConnections.objects()) {
        if (const auto station = stationOf(item))
            station->waitForMinMaxUpdates();
    }
}

OVObservationsDB *OVObservationsDB::sharedDatabase()
{
    std::lock_guard lock(gSharedMutex);
    return gShared;
}

OVUserDefaults &OVObservationsDB::defaults() const
{
    return mDefaults ? *mDefaults : OVUserDefaults::standard();
}

void OVObservationsDB::prepareForShutdown()
{
    mShutdownLock = true;
    for (const QVariantMap &item : mDbConnections.objects()) {
        if (const auto station = stationOf(item))
            station->closeDatabaseConnection();
    }
    mDbConnections.removeAllItems();
    std::lock_guard lock(mCacheMutex);
    *mCache = RangeCache();
}

void OVObservationsDB::restartAfterShutdown()
{
    mShutdownLock = false;
}

std::shared_ptr<OVObservationStationDB> OVObservationsDB::databaseForICAO(const QString &icao)
{
    if (mShutdownLock)
        return nullptr;
    if (mPath.isEmpty()) {
        OVDebugLog("[OVObservationsDB databaseForICAO] Cannot get an ICAO database because path is nil.");
        return nullptr;
    }
    if (icao.isEmpty()) {
        OVDebugLog("[OVObservationsDB databaseForICAO] Cannot get an ICAO database because icao is nil.");
        return nullptr;
    }
    const std::optional<QString> checked = stationCode(icao, "databaseForICAO");
    if (!checked)
        return nullptr;
    // Codes are one station whatever their case: the file is named by the upper-case code.
    const QString &code = *checked;
    std::lock_guard lock(mOpenMutex);
    if (const auto item = mDbConnections.itemWithKey(IcaoItemKey, code)) {
        if (const auto station = stationOf(*item))
            return station;
    }
    QDir().mkpath(mPath);
    auto station = OVObservationStationDB::initWithPath(mPath + QLatin1Char('/') + code
                                                       + QStringLiteral(".db"));
    if (!station)
        return nullptr;
    station->setIcao(code);
    mDbConnections.cacheItem({{IcaoItemKey, code}, {ConnectionItemKey, QVariant::fromValue(station)}});
    return station;
}

void OVObservationsDB::insertWeatherConditions(const QList<OVWeatherConditions> &records,
                                               const QString &icao,
                                               const std::optional<QTimeZone> &zone)
{
    if (mShutdownLock || icao.isEmpty() || records.isEmpty())
        return;
    const auto station = databaseForICAO(icao);
    if (!station)
        return;
    // Only storable records, so a refused one never becomes the current conditions either.
    QList<OVWeatherConditions> sorted = OVObservationStationDB::storableRecords(records, station->path());
    if (sorted.isEmpty())
        return;
    std::stable_sort(sorted.begin(), sorted.end(), [](const auto &a, const auto &b) {
        return OVWeatherConditions::dateComparator(a, b) < 0;
    });
    station->insertWeatherConditions(sorted, zone);
    storeCurrentConditions(sorted.last(), station->icao());
    std::lock_guard lock(mCacheMutex);
    if (mCache->icao == station->icao())
        *mCache = RangeCache();
}

std::optional<OVWeatherConditions> OVObservationsDB::latestConditionsForICAO(const QString &icao)
{
    if (mShutdownLock || icao.isEmpty())
        return std::nullopt;
    if (auto current = retrieveCurrentConditionsForICAO(icao))
        return current;
    const auto station = databaseForICAO(icao);
    return station ? station->latestConditions() : std::nullopt;
}

void OVObservationsDB::storeCurrentConditions(const OVWeatherConditions &conditions,
                                              const QString &icao)
{
    if (mShutdownLock || icao.isEmpty())
        return;
    const QVariantMap form = conditions.dictionaryRepresentation();
    if (form.isEmpty())
        return;
    std::lock_guard lock(mCurrentConditionsMutex);
    QVariantMap all = defaults().dictionaryForKey(CurrentConditionsKey);
    // A late reply may carry an older report than the one kept: the current conditions never
    // go back in time (an equal time keeps what is stored). The station file keeps both.
    const QVariantMap stored = all.value(icao.toUpper()).toMap();
    if (!stored.isEmpty() && conditions.date().isValid()) {
        const QDateTime kept = OVWeatherConditions::initWithDictionary(stored).date();
        if (kept.isValid() && conditions.date() <= kept)
            return;
    }
    all.insert(icao.toUpper(), form);
    defaults().setObject(all, CurrentConditionsKey);
}

std::optional<OVWeatherConditions> OVObservationsDB::retrieveCurrentConditionsForICAO(const QString &icao)
{
    if (mShutdownLock || icao.isEmpty())
        return std::nullopt;
    const QVariantMap entry =
        defaults().dictionaryForKey(CurrentConditionsKey).value(icao.toUpper()).toMap();
    if (entry.isEmpty())
        return std::nullopt;
    return OVWeatherConditions::initWithDictionary(entry);
}

// --- Forwarders -----------------------------------------------------------------------------

QDateTime OVObservationsDB::earliestObservationForICAO(const QString &icao)
{
    const auto station = databaseForICAO(icao);
    return station ? station->earliestObservation() : QDateTime();
}

QDateTime OVObservationsDB::lastUpdateForICAO(const QString &icao)
{
    const auto station = databaseForICAO(icao);
    return station ? station->lastUpdate() : QDateTime();
}

std::optional<OVWeatherConditions> OVObservationsDB::minConditionsForICAO(const QString &icao,
                                                                          const QDateTime &start,
                                                                          const QDateTime &end)
{
    const auto station = databaseForICAO(icao);
    return station ? station->minConditionsFromStartDate(start, end) : std::nullopt;
}

std::optional<OVWeatherConditions> OVObservationsDB::maxConditionsForICAO(const QString &icao,
                                                                          const QDateTime &start,
                                                                          const QDateTime &end)
{
    const auto station = databaseForICAO(icao);
    return station ? station->maxConditionsFromStartDate(start, end) : std::nullopt;
}

QList<OVWeatherConditions> OVObservationsDB::condensedMaxWeatherConditionsForICAO(
    const QString &icao, const QDateTime &start, const QDateTime &end, const QTimeZone &zone)
{
    const auto station = databaseForICAO(icao);
    return station ? station->condensedMaxWeatherConditionsWithStartDate(start, end, zone)
                   : QList<OVWeatherConditions>();
}

QList<OVWeatherConditions> OVObservationsDB::condensedMinWeatherConditionsForICAO(
    const QString &icao, const QDateTime &start, const QDateTime &end, const QTimeZone &zone)
{
    const auto station = databaseForICAO(icao);
    return station ? station->condensedMinWeatherConditionsWithStartDate(start, end, zone)
                   : QList<OVWeatherConditions>();
}

// --- Range cache ----------------------------------------------------------------------------

QList<OVWeatherConditions> OVObservationsDB::readRange(const QString &icao, const QDateTime &start,
                                                       const QDateTime &end)
{
    const auto station = databaseForICAO(icao);
    if (!station)
        return {};
    ++mRangeReads;
    mLastRangeRead = {start, end};
    return station->weatherConditionsWithStartDate(start, end);
}

QList<OVWeatherConditions> OVObservationsDB::weatherConditionsForICAO(const QString &icao,
                                                                      const QDateTime &start,
                                                                      const QDateTime &end)
{
    if (mShutdownLock || icao.isEmpty() || !start.isValid() || !end.isValid())
        return {};
    const std::optional<QString> checked = stationCode(icao, "weatherConditionsForICAO");
    if (!checked)
        return {};
    const QString &code = *checked;
    const QDateTime now = mClock.now();
    // Widen by 20 % of the span (at least a day) on each side, so a scrolling graph finds its
    // next window already cached.
    const qint64 margin = std::max<qint64>(qint64(0.2 * double(start.secsTo(end))), 86400);
    const QDateTime widenedStart = start.addSecs(-margin);
    const QDateTime widenedEnd = std::min(now, end.addSecs(margin));
    const bool latest = widenedEnd.secsTo(now) < 60;

    std::lock_guard lock(mCacheMutex);
    const auto cached = cacheDataLocked(code, widenedStart, widenedEnd);
    if (cached && !cached->isEmpty()) {
        const bool startsBefore = widenedStart < mCache->start;
        const bool hasEnd = mCache->end.isValid();
        if (!hasEnd || widenedEnd > mCache->end) {
            if (startsBefore && hasEnd)
                return fullReload(code, widenedStart.addSecs(-margin), widenedEnd.addSecs(margin), latest);
            if (!startsBefore && hasEnd) {
                const QList<OVWeatherConditions> after =
                    readRange(code, mCache->records.last().date().addSecs(1), widenedEnd);
                addAfterCacheDataLocked(after, code, latest);
                return *cached + after;
            }
        }
        if (!startsBefore)
            return *cached;
        const QList<OVWeatherConditions> before =
            readRange(code, widenedStart, cached->first().date().addSecs(-1));
        addBeforeCacheDataLocked(before, code);
        return before + *cached;
    }
    return fullReload(code, widenedStart.addSecs(-margin), widenedEnd.addSecs(margin), latest);
}

QList<OVWeatherConditions> OVObservationsDB::fullReload(const QString &icao, const QDateTime &start,
                                                        const QDateTime &end, bool latest)
{
    const QList<OVWeatherConditions> records = readRange(icao, start, end);
    setCacheDataLocked(records, icao, latest, start, end);
    return records;
}

std::optional<QList<OVWeatherConditions>> OVObservationsDB::cacheDataForICAO(const QString &icao,
                                                                             const QDateTime &start,
                                                                             const QDateTime &end)
{
    std::lock_guard lock(mCacheMutex);
    return cacheDataLocked(icao, start, end);
}

std::optional<QList<OVWeatherConditions>> OVObservationsDB::cacheDataLocked(const QString &icao,
                                                                            const QDateTime &start,
                                                                            const QDateTime &end) const
{
    const QList<OVWeatherConditions> &records = mCache->records;
    if (mShutdownLock || records.isEmpty() || icao.isEmpty() || icao.toUpper() != mCache->icao)
        return std::nullopt;
    const auto notBefore = [](const QDateTime &date) {
        return [date](const OVWeatherConditions &record) { return record.date() >= date; };
    };
    // One record before the start as well, so a value at the start can be interpolated.
    const qsizetype first = std::find_if(records.begin(), records.end(), notBefore(start)) - records.begin();
    const qsizetype from = (first >= records.size() || first < 2) ? 0 : first - 1;
    const auto last = std::find_if(records.begin() + from, records.end(), notBefore(end));
    const qsizetype to = last == records.end() ? records.size() : (last - records.begin()) + 1;
    return records.mid(from, to - from);
}

void OVObservationsDB::setCacheData(const QList<OVWeatherConditions> &records, const QString &icao,
                                    bool latest, const QDateTime &start, const QDateTime &end)
{
    std::lock_guard lock(mCacheMutex);
    setCacheDataLocked(records, icao, latest, start, end);
}

void OVObservationsDB::setCacheDataLocked(const QList<OVWeatherConditions> &records,
                                          const QString &icao, bool latest,
                                          const QDateTime &start, const QDateTime &end)
{
    if (mShutdownLock || records.size() <= 1)
        return;
    mCache->records = records;
    mCache->icao = icao.toUpper();
    mCache->start = start.isValid() ? start : records.first().date();
    mCache->end = latest ? QDateTime() : (end.isValid() ? end : records.last().date());
}

void OVObservationsDB::addBeforeCacheData(const QList<OVWeatherConditions> &records,
                                          const QString &icao)
{
    std::lock_guard lock(mCacheMutex);
    addBeforeCacheDataLocked(records, icao);
}

void OVObservationsDB::addBeforeCacheDataLocked(const QList<OVWeatherConditions> &records,
                                                const QString &icao)
{
    if (mCache->records.isEmpty()) {
        setCacheDataLocked(records, icao, !mCache->end.isValid(), {}, {});
        return;
    }
    if (icao.toUpper() != mCache->icao || records.isEmpty())
        return;
    mCache->records = records + mCache->records;
    mCache->start = records.first().date();
}

void OVObservationsDB::addAfterCacheData(const QList<OVWeatherConditions> &records,
                                         const QString &icao, bool latest)
{
    std::lock_guard lock(mCacheMutex);
    addAfterCacheDataLocked(records, icao, latest);
}

void OVObservationsDB::addAfterCacheDataLocked(const QList<OVWeatherConditions> &records,
                                               const QString &icao, bool latest)
{
    if (mCache->records.isEmpty()) {
        setCacheDataLocked(records, icao, latest, {}, {});
        return;
    }
    if (icao.toUpper() != mCache->icao)
        return;
    mCache->records += records;
    mCache->end = latest ? QDateTime() : mCache->records.last().date();
}

void OVObservationsDB::clearCacheData()
{
    std::lock_guard lock(mCacheMutex);
    *mCache = RangeCache();
}

QList<OVWeatherConditions> OVObservationsDB::cacheWeatherConditions() const
{
    std::lock_guard lock(mCacheMutex);
    return mCache->records;
}

QString OVObservationsDB::cacheIcao() const
{
    std::lock_guard lock(mCacheMutex);
    return mCache->icao;
}

QDateTime OVObservationsDB::cacheStartDate() const
{
    std::lock_guard lock(mCacheMutex);
    return mCache->start;
}

QDateTime OVObservationsDB::cacheEndDate() const
{
    std::lock_guard lock(mCacheMutex);
    return mCache->end;
}

std::pair<QDateTime, QDateTime> OVObservationsDB::lastRangeRead() const
{
    std::lock_guard lock(mCacheMutex);
    return mLastRangeRead;
}
