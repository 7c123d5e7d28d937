// A station file: opening, schema set-up and upgrade, the vacuum counter, the batch insert and
// the plain reads. The day buckets and aggregates live in OVObservationStationDBAggregates.cpp.
#include "weather/OVObservationStationDB.h"

#include "core/OVConstants.h"
#include "platform/OVDispatch.h"
#include "platform/OVFileAside.h"
#include "platform/OVLog.h"
#include "weather/OVObservationColumns.h"
#include "weather/OVWeatherConditions.h"

#include <algorithm>
#include <limits>

namespace Columns = OVObservationColumns;

namespace {

std::function<std::shared_ptr<OVWeatherConditions>()> recordFactory()
{
    return [] { return std::make_shared<OVWeatherConditions>(); };
}

QList<OVWeatherConditions> values(const std::optional<QList<std::shared_ptr<OVWeatherConditions>>> &rows)
{
    QList<OVWeatherConditions> records;
    if (!rows)
        return records;
    records.reserve(rows->size());
    for (const auto &row : *rows)
        records.append(*row);
    return records;
}

} // namespace

std::shared_ptr<OVObservationStationDB> OVObservationStationDB::initWithPath(const QString &path)
{
    if (path.isEmpty()) {
        OVLog("[OVObservationStationDB initWithPath] Cannot open a station database without a "
              "path.");
        return nullptr;
    }
    auto station = std::make_shared<OVObservationStationDB>(Private(), path);
    station->checkDB();
    return station;
}

OVObservationStationDB::OVObservationStationDB(Private, const QString &path)
    : mPath(path)
    , mDatabase(OVSQLite3DB::initWithDatabasePath(path))
    , mMinMaxUpdates(std::make_unique<OVDispatchGroup>())
{
}

OVObservationStationDB::~OVObservationStationDB() = default;

QString OVObservationStationDB::icao() const
{
    std::lock_guard lock(mStateMutex);
    return mIcao;
}

void OVObservationStationDB::setIcao(const QString &icao)
{
    std::lock_guard lock(mStateMutex);
    mIcao = icao;
}

void OVObservationStationDB::closeDatabaseConnection()
{
    if (mDatabase)
        mDatabase->closeDatabaseConnection(); // takes the connection lock
}

// --- Schema ---------------------------------------------------------------------------------

void OVObservationStationDB::createTable(const QString &createStatement)
{
    std::lock_guard lock(mDatabase->databaseLock());
    mDatabase->doQuery(QStringLiteral("BEGIN TRANSACTION"));
    mDatabase->doQuery(createStatement);
    mDatabase->doQuery(QStringLiteral("COMMIT"));
}

void OVObservationStationDB::checkNewRecordsTable()
{
    mNewRecordsTableGood = false;
    if (!mDatabase || !mDatabase->connectionOpen())
        return;
    if (!mDatabase->tableExists(Columns::StatusTable))
        createTable(Columns::createStatusStatement());
    const auto count = mDatabase->selectStringArrayWithQuery(
        QStringLiteral("SELECT count(*) AS count FROM db_status"));
    if (!count)
        return; // no such table: the file could not be written
    if (count->value(0) != QLatin1String("1")) {
        std::lock_guard lock(mDatabase->databaseLock());
        mDatabase->doQuery(QStringLiteral("BEGIN TRANSACTION"));
        mDatabase->doQuery(QStringLiteral("DELETE FROM db_status"));
        mDatabase->doQuery(
            QStringLiteral("INSERT INTO db_status (new_records_since_vacuum) VALUES (0)"));
        mDatabase->doQuery(QStringLiteral("COMMIT"));
    }
    mNewRecordsTableGood = true;
}

void OVObservationStationDB::setAsideIfDamaged()
{
    QString problem;
    if (mDatabase->quickCheck(&problem) != OVSQLite3DB::FileCheck::Damaged)
        return;
    // The damaged file is kept for the user under another name; the station's next reports go
    // into a fresh file. Reading on from a damaged one answers nothing, and writing into it
    // can report success for rows that are never read back.
    mDatabase->closeDatabaseConnection();
    const QString aside = OVFileAside::setAside(mPath, {QStringLiteral("-journal"), QStringLiteral("-wal"),
                                                        QStringLiteral("-shm")});
    if (aside.isEmpty()) {
        OVLog(QStringLiteral("[OVObservationStationDB checkDB] %1 is damaged (%2) and could not be "
                             "set aside; it is not used.")
                  .arg(mPath, problem));
        return;
    }
    OVLog(QStringLiteral("[OVObservationStationDB checkDB] %1 is damaged (%2); it was set aside as %3 "
                         "and a new file takes the station's reports.")
              .arg(mPath, problem, aside));
    mDatabase->openDatabaseConnection();
}

void OVObservationStationDB::checkDB()
{
    if (!mDatabase || !mDatabase->connectionOpen())
        return;
    setAsideIfDamaged();
    if (!mDatabase->connectionOpen())
        return;
    // A file that is not a database (or not readable) is left exactly as it is.
    if (!mDatabase->selectStringArrayWithQuery(QStringLiteral("SELECT count(*) FROM sqlite_master"))) {
        OVLog(QStringLiteral("[OVObservationStationDB checkDB] %1 is not a readable station "
                             "database; it is left untouched.")
                  .arg(mPath));
        return;
    }
    checkNewRecordsTable();

    if (!mDatabase->tableExists(Columns::HistoryTable)) {
        OVDebugLog("[OVObservationStationDB checkDB] Table icao_history does not exist.");
        createTable(Columns::createHistoryStatement());
    } else {
        OVDebugLog("[OVObservationStationDB checkDB] Table icao_history exists.");
    }
    upgradeHistoryColumns();

    if (!mDatabase->indexExists(Columns::HistoryIndex)) {
        OVDebugLog("[OVObservationStationDB checkDB] Index history_index does not exist.  "
                   "Creating it now.");
        mDatabase->doQuery(Columns::createIndexStatement());
    } else {
        OVDebugLog("[OVObservationStationDB checkDB] Index history_index exists.");
        vacuumIfNeeded();
    }
    checkMinMaxTable();
}

void OVObservationStationDB::upgradeHistoryColumns()
{
    const QStringList present = mDatabase->columnsInTable(Columns::HistoryTable).value_or(QStringList());
    if (present.isEmpty())
        return;
    for (const Columns::HistoryColumn &column : Columns::history()) {
        const QString name = QLatin1String(column.name);
        if (present.contains(name))
            continue;
        OVDebugLog(QStringLiteral("[OVObservationStationDB checkDB] Adding column %1.").arg(name));
        mDatabase->doQuery(QStringLiteral("ALTER TABLE icao_history ADD COLUMN %1 %2")
                               .arg(name, QLatin1String(column.sqlType)));
    }
    // A file that could not be upgraded (read-only) is still read, with its own columns.
    const QString selectList =
        Columns::selectColumnList(mDatabase->columnsInTable(Columns::HistoryTable).value_or(QStringList()));
    std::lock_guard lock(mStateMutex);
    mSelectColumnList = selectList;
}

void OVObservationStationDB::vacuumIfNeeded()
{
    const auto count = mDatabase->selectStringArrayWithQuery(
        QStringLiteral("SELECT COUNT(*) as count FROM icao_history"));
    const int64_t rows = count && !count->isEmpty() ? count->first().toLongLong() : 0;
    OVDebugLog(QStringLiteral("[OVObservationStationDB checkDB] icao_history has %1 records.").arg(rows));
    const int64_t threshold = std::max<int64_t>(rows / 15, 2000);
    if (newRecordsSinceVacuum() > threshold) {
        OVDebugLog("[OVObservationStationDB checkDB] Vacuuming the weather database to clean up "
                   "any loose ends.");
        mDatabase->doQuery(QStringLiteral("VACUUM"));
        setNewRecordsSinceVacuum(0);
    }
}

void OVObservationStationDB::checkMinMaxTable()
{
    const auto columns = mDatabase->columnsInTable(Columns::MinMaxTable);
    if (columns && columns->size() == Columns::MinMaxColumnCount) {
        OVDebugLog("[OVObservationStationDB checkDB] Table min_max_cache exists.");
        return;
    }
    std::lock_guard lock(mDatabase->databaseLock());
    mDatabase->doQuery(QStringLiteral("BEGIN TRANSACTION"));
    if (columns) {
        OVDebugLog("[OVObservationStationDB checkDB] Table min_max_cache has an old layout.  "
                   "Recreating it now.");
        mDatabase->doQuery(QStringLiteral("DROP TABLE min_max_cache"));
    } else {
        OVDebugLog("[OVObservationStationDB checkDB] Table min_max_cache does not exist.  "
                   "Creating it now.");
    }
    mDatabase->doQuery(Columns::createMinMaxStatement());
    mDatabase->doQuery(QStringLiteral("COMMIT"));
}

// --- Vacuum counter -------------------------------------------------------------------------

int32_t OVObservationStationDB::newRecordsSinceVacuum()
{
    if (!mNewRecordsTableGood || !mDatabase->connectionOpen())
        return -1;
    const auto rows = mDatabase->selectStringArrayWithQuery(
        QStringLiteral("SELECT new_records_since_vacuum FROM db_status LIMIT 1"));
    if (!rows || rows->isEmpty())
        return -1;
    bool ok = false;
    const qlonglong value = rows->first().trimmed().toLongLong(&ok);
    if (!ok)
        return -1;
    return static_cast<int32_t>(std::clamp<qlonglong>(value, std::numeric_limits<int32_t>::min(),
                                                      std::numeric_limits<int32_t>::max()));
}

void OVObservationStationDB::setNewRecordsSinceVacuum(int32_t count)
{
    if (mNewRecordsTableGood && mDatabase->connectionOpen())
        mDatabase->doQuery(
            QStringLiteral("UPDATE db_status SET new_records_since_vacuum = %1").arg(count));
}

void OVObservationStationDB::addNewRecordsSinceVacuum(int32_t count)
{
    if (mNewRecordsTableGood && mDatabase->connectionOpen())
        mDatabase->doQuery(QStringLiteral("UPDATE db_status SET new_records_since_vacuum = "
                                          "new_records_since_vacuum + %1")
                               .arg(count));
}

// --- Insert ---------------------------------------------------------------------------------

bool OVObservationStationDB::insertWeatherConditions(const QList<OVWeatherConditions> &records,
                                                     const std::optional<QTimeZone> &zone)
{
    if (records.isEmpty())
        return true;
    return insertStorable(storableRecords(records, mPath), zone);
}

QList<OVWeatherConditions> OVObservationStationDB::storableRecords(const QList<OVWeatherConditions> &records,
                                                                   const QString &where)
{
    // A record without a storable date would be written under the date text "0", where it
    // hides every later one as a duplicate.
    QList<OVWeatherConditions> storable;
    storable.reserve(records.size());
    for (const OVWeatherConditions &record : records) {
        if (OVSQLite3DB::isStorableDate(record.date()))
            storable.append(record);
        else
            OVLog(QStringLiteral("[OVObservationStationDB insertWeatherConditions] Leaving out an "
                                 "observation dated '%1' for %2: not a date from 1900 to 2099.")
                      .arg(record.date().toString(Qt::ISODate), where));
    }
    return storable;
}

bool OVObservationStationDB::insertStorable(const QList<OVWeatherConditions> &records,
                                            const std::optional<QTimeZone> &zone)
{
    if (records.isEmpty())
        return true;
    if (!mDatabase->insertObjectArray(records, Columns::insertKeyMap(), Columns::HistoryTable,
                                      {QVariant(double(OVNoValue))})) {
        OVLog(QStringLiteral("[OVObservationStationDB insertWeatherConditions] Could not store %1 "
                             "observations in %2.")
                  .arg(records.size())
                  .arg(mPath));
        return false;
    }
    addNewRecordsSinceVacuum(static_cast<int32_t>(records.size()));

    if (zone && zone->isValid()) {
        QDateTime earliest, latest;
        for (const OVWeatherConditions &record : records) {
            const QDateTime date = record.date();
            if (!date.isValid())
                continue;
            if (!earliest.isValid() || date < earliest)
                earliest = date;
            if (!latest.isValid() || date > latest)
                latest = date;
        }
        mMinMaxUpdates->async([self = shared_from_this(), zone = *zone, earliest, latest] {
            self->updateMinMaxValues(zone, earliest, latest);
        });
    }
    return true;
}

bool OVObservationStationDB::waitForMinMaxUpdates(int timeoutMs)
{
    return mMinMaxUpdates->wait(timeoutMs);
}

// --- Reads ----------------------------------------------------------------------------------

QList<OVWeatherConditions> OVObservationStationDB::weatherConditionsWithStartDate(
    const QDateTime &start, const QDateTime &end)
{
    if (!start.isValid() || !end.isValid())
        return {};
    const QString sql = QStringLiteral("SELECT %1 FROM icao_history WHERE entry_date BETWEEN %2 "
                                       "AND %3 ORDER BY entry_date")
                            .arg(selectColumnList(), OVSQLite3DB::stringForBound(start),
                                 OVSQLite3DB::stringForBound(end));
    return values(mDatabase->selectObjectArrayWithQuery<OVWeatherConditions>(
        sql, {}, Columns::selectKeyMap(), recordFactory()));
}

QString OVObservationStationDB::selectColumnList() const
{
    std::lock_guard lock(mStateMutex);
    return mSelectColumnList.isEmpty() ? Columns::selectColumnList() : mSelectColumnList;
}

QDateTime OVObservationStationDB::earliestObservation()
{
    const auto rows = mDatabase->selectStringArrayWithQuery(
        QStringLiteral("select min(entry_date) as entry_date from icao_history where %1")
            .arg(Columns::storedDatesCondition()));
    return rows && !rows->isEmpty() ? OVSQLite3DB::dateForString(rows->first()) : QDateTime();
}

QDateTime OVObservationStationDB::lastUpdate()
{
    const auto rows = mDatabase->selectStringArrayWithQuery(
        QStringLiteral("select max(entry_date) as entry_date from icao_history where %1")
            .arg(Columns::storedDatesCondition()));
    return rows && !rows->isEmpty() ? OVSQLite3DB::dateForString(rows->first()) : QDateTime();
}

std::optional<OVWeatherConditions> OVObservationStationDB::latestConditions()
{
    const auto rows = mDatabase->selectDictionaryArrayWithQuery(
        QStringLiteral("SELECT * FROM icao_history ORDER BY entry_date DESC LIMIT 1"));
    if (!rows || rows->isEmpty())
        return std::nullopt;
    const QVariantMap &row = rows->first();
    OVWeatherConditions record;
    const auto number = [&](const char *column) { return floatValueForKey(QLatin1String(column), row); };
    record.setWindDirection(number("wind_direction"));
    record.setWindSpeedKnots(number("wind_speed_knots"));
    record.setGustSpeedKnots(number("gust_speed_knots"));
    record.setVisibilityMiles(number("visibility_miles"));
    record.setTemperatureC(number("temperature_c"));
    record.setDewpointC(number("dewpoint_c"));
    record.setPressureMB(number("pressure_hpa"));
    record.setH1PrecipitationInches(number("h1_precipitation"));
    record.setSolarRadiation(number("solar_radiation_watts_per_meter2"));
    // Texts go through the record's key-value names, which the column table already pairs.
    for (const Columns::HistoryColumn &column : Columns::history()) {
        if (QLatin1String(column.sqlType) == QLatin1String("text"))
            record.setValue(row.value(QLatin1String(column.name)), QLatin1String(column.readKey));
    }
    record.setDateString(row.value(QStringLiteral("entry_date")).toString());
    return record;
}
