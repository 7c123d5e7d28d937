// A station file's summaries: the per-day buckets of `min_max_cache` (rebuilt for the span of
// each batch and whenever they do not cover the history), the condensed per-day reads, and the
// minimum/maximum conditions over a range of raw rows.
//
// Day buckets group rows by UTC day; each bucket is labelled with that day's 12:00 UTC moved by
// the zone's offset (local noon in UTC), computed as a real instant so that half-hour offsets
// and offsets beyond +12 h still give valid date texts.
#include "weather/OVObservationStationDB.h"

#include "core/NSDateUtil.h"
#include "core/OVConstants.h"
#include "platform/OVLog.h"
#include "weather/OVObservationColumns.h"
#include "weather/OVWeatherConditions.h"

#include <cmath>

namespace Columns = OVObservationColumns;

namespace {

// The SELECT feeding `min_max_cache`: one row per UTC day. Parameters: the label's time shift
// as an SQLite modifier ("+18000 seconds"), the offset text, and the date range.
QString bucketSelectStatement()
{
    const QString day = QStringLiteral("(entry_date / 1000000)");
    // Built by concatenation: the SQL's own format strings must not meet QString::arg.
    const QString label = QStringLiteral("CAST(strftime('%Y%m%d%H%M%S', printf('%04d-%02d-%02d "
                                         "12:00:00', ")
                          + day + QStringLiteral(" / 10000, ") + day + QStringLiteral(" / 100 % 100, ")
                          + day + QStringLiteral(" % 100), ?) AS INTEGER)");
    QStringList aggregates{label, QStringLiteral("?"), QStringLiteral("AVG(wind_direction)")};
    for (const char *column : {"wind_speed_knots", "gust_speed_knots", "visibility_miles",
                               "temperature_c", "dewpoint_c", "pressure_hpa"})
        aggregates << QStringLiteral("MIN(%1)").arg(QLatin1String(column))
                   << QStringLiteral("MAX(%1)").arg(QLatin1String(column));
    for (const char *column : {"h1_precipitation", "h3_precipitation", "h6_precipitation",
                               "h24_precipitation"})
        aggregates << QStringLiteral("SUM(%1)").arg(QLatin1String(column));
    for (const char *column : {"snow_depth_inches", "solar_radiation_watts_per_meter2"})
        aggregates << QStringLiteral("MIN(%1)").arg(QLatin1String(column))
                   << QStringLiteral("MAX(%1)").arg(QLatin1String(column));
    return QStringLiteral("INSERT INTO min_max_cache (%1) SELECT %2 FROM icao_history WHERE "
                          "entry_date BETWEEN ? AND ? GROUP BY %3 ORDER BY entry_date")
        .arg(Columns::minMaxColumns().join(QStringLiteral(", ")),
             aggregates.join(QStringLiteral(", ")), day);
}

QDateTime now()
{
    return QDateTime::currentDateTimeUtc();
}

// Seconds the zone is ahead of UTC now (the instant offsetStringForTimeZone describes).
int offsetSeconds(const QTimeZone &zone)
{
    return zone.offsetFromUtc(now());
}

QList<OVWeatherConditions> selectRecords(OVSQLite3DB &db, const QString &sql, const OVKeyMap &keyMap)
{
    QList<OVWeatherConditions> records;
    const auto rows = db.selectObjectArrayWithQuery<OVWeatherConditions>(
        sql, {}, keyMap, [] { return std::make_shared<OVWeatherConditions>(); });
    if (rows) {
        for (const auto &row : *rows)
            records.append(*row);
    }
    return records;
}

} // namespace

void OVObservationStationDB::updateMinMaxValues(const QTimeZone &zone, const QDateTime &start,
                                                const QDateTime &end)
{
    if (!zone.isValid() || !start.isValid() || !end.isValid())
        return;
    const QString offset = OVSQLite3DB::offsetStringForTimeZone(zone);
    const QString from = OVSQLite3DB::stringForBound(NSDateUtil::beginningOfDayInTimeZone(
        NSDateUtil::dateByAddingYears(start, 0, 0, -1, 0, 0, 0, zone), zone));
    const QString to = OVSQLite3DB::stringForBound(NSDateUtil::endOfDayInTimeZone(
        NSDateUtil::dateByAddingYears(end, 0, 0, 1, 0, 0, 0, zone), zone));
    const QString shift = QString::asprintf("%+d seconds", -offsetSeconds(zone));

    // One unit under the connection lock, and one transaction for other connections.
    std::lock_guard lock(mDatabase->databaseLock());
    if (!mDatabase->connectionOpen())
        return;
    mDatabase->doQuery(QStringLiteral("BEGIN TRANSACTION"));
    const bool deleted = mDatabase->doQuery(
        QStringLiteral("DELETE FROM min_max_cache WHERE time_zone_offset=? AND entry_date BETWEEN ? AND ?"),
        {offset, from, to});
    const bool inserted = deleted && mDatabase->doQuery(bucketSelectStatement(), {shift, offset, from, to});
    if (!inserted) {
        mDatabase->doQuery(QStringLiteral("ROLLBACK TRANSACTION"));
        OVLog(QStringLiteral("[OVObservationStationDB updateMinMaxValues] Could not rebuild the "
                             "day buckets of %1.")
                  .arg(mPath));
        return;
    }
    mDatabase->doQuery(QStringLiteral("COMMIT"));
}

void OVObservationStationDB::checkMinMaxValuesForTimeZone(const QTimeZone &zone)
{
    {
        std::lock_guard lock(mStateMutex);
        if (mMinMaxValuesOKTimeZone != zone) {
            mMinMaxValuesOK = false;
            mMinMaxValuesOKTimeZone.reset();
        }
        if (mMinMaxValuesOK)
            return;
    }
    if (!zone.isValid() || !mDatabase->connectionOpen())
        return;
    const auto range = [&](const QString &sql, const QStringList &params) {
        const auto rows = mDatabase->selectDictionaryArrayWithQuery(sql, params);
        if (!rows || rows->isEmpty())
            return std::pair<QDateTime, QDateTime>();
        return std::pair(OVSQLite3DB::dateForString(rows->first().value("min_date").toString()),
                         OVSQLite3DB::dateForString(rows->first().value("max_date").toString()));
    };
    const auto [earliest, latest] = range(
        QStringLiteral("SELECT MIN(entry_date) AS min_date, MAX(entry_date) AS max_date FROM icao_history "
                       "WHERE %1")
            .arg(Columns::storedDatesCondition()),
        {});
    if (!earliest.isValid() || !latest.isValid())
        return;
    const auto [cacheMin, cacheMax] =
        range(QStringLiteral("SELECT MIN(entry_date) AS min_date, MAX(entry_date) AS max_date FROM "
                             "min_max_cache WHERE time_zone_offset = ?"),
              {OVSQLite3DB::offsetStringForTimeZone(zone)});
    if (cacheMin.isValid() && cacheMax.isValid()
        && NSDateUtil::beginningOfDayInTimeZone(cacheMin, zone) <= earliest
        && NSDateUtil::endOfDayInTimeZone(cacheMax, zone) >= latest) {
        std::lock_guard lock(mStateMutex);
        mMinMaxValuesOK = true;
        mMinMaxValuesOKTimeZone = zone;
        return;
    }
    updateMinMaxValues(zone, earliest, latest);
}

QList<OVWeatherConditions> OVObservationStationDB::condensedMaxWeatherConditionsWithStartDate(
    const QDateTime &start, const QDateTime &end, const QTimeZone &zone)
{
    return condensedConditions(start, end, zone, false);
}

QList<OVWeatherConditions> OVObservationStationDB::condensedMinWeatherConditionsWithStartDate(
    const QDateTime &start, const QDateTime &end, const QTimeZone &zone)
{
    return condensedConditions(start, end, zone, true);
}

QList<OVWeatherConditions> OVObservationStationDB::condensedConditions(const QDateTime &start,
                                                                       const QDateTime &end,
                                                                       const QTimeZone &zone,
                                                                       bool minimum)
{
    if (!start.isValid() || !end.isValid() || !zone.isValid())
        return {};
    checkMinMaxValuesForTimeZone(zone);
    const QString sql =
        QStringLiteral("SELECT %1 FROM min_max_cache WHERE entry_date BETWEEN %2 AND %3 AND "
                       "time_zone_offset = %4 ORDER BY entry_date")
            .arg(Columns::condensedColumnList(minimum),
                 OVSQLite3DB::stringForBound(NSDateUtil::beginningOfDayInTimeZone(start, zone)),
                 OVSQLite3DB::stringForBound(NSDateUtil::endOfDayInTimeZone(end, zone)),
                 OVSQLite3DB::offsetStringForTimeZone(zone));
    return selectRecords(*mDatabase, sql, Columns::condensedKeyMap(minimum));
}

// --- Aggregates over raw rows ---------------------------------------------------------------

std::optional<OVWeatherConditions> OVObservationStationDB::minConditionsFromStartDate(
    const QDateTime &start, const QDateTime &end)
{
    return aggregateConditions(start, end, true);
}

std::optional<OVWeatherConditions> OVObservationStationDB::maxConditionsFromStartDate(
    const QDateTime &start, const QDateTime &end)
{
    return aggregateConditions(start, end, false);
}

std::optional<OVWeatherConditions> OVObservationStationDB::aggregateConditions(
    const QDateTime &start, const QDateTime &end, bool minimum)
{
    if (!start.isValid() || !end.isValid())
        return std::nullopt;
    const auto selected = mDatabase->selectDictionaryArrayWithQuery(
        QStringLiteral("SELECT * FROM icao_history WHERE entry_date BETWEEN %1 AND %2")
            .arg(OVSQLite3DB::stringForBound(start), OVSQLite3DB::stringForBound(end)));
    if (!selected || selected->isEmpty())
        return std::nullopt;
    const QList<QVariantMap> &rows = *selected;
    const auto extreme = [&](const char *column) {
        return minimum ? minOfKey(QLatin1String(column), rows) : maxOfKey(QLatin1String(column), rows);
    };
    OVWeatherConditions record;
    record.setWindDirection(averageOfKey(QStringLiteral("wind_direction"), rows));
    record.setWindSpeedKnots(extreme("wind_speed_knots"));
    record.setGustSpeedKnots(extreme("gust_speed_knots"));
    record.setVisibilityMiles(extreme("visibility_miles"));
    record.setTemperatureC(extreme("temperature_c"));
    record.setDewpointC(extreme("dewpoint_c"));
    record.setPressureMB(extreme("pressure_hpa"));
    record.setSolarRadiation(extreme("solar_radiation_watts_per_meter2"));
    record.setH1PrecipitationInches(sumOfKey(QStringLiteral("h1_precipitation"), rows));

    struct Phenomenon
    {
        const char *column;
        bool countEmpty;
        const char *guard;
        void (OVWeatherConditions::*set)(const QString &);
    };
    static const Phenomenon phenomena[] = {
        {"precipitation_intensity", true, "precipitation_type", &OVWeatherConditions::setPrecipitationIntensity},
        {"precipitation_descriptor", false, nullptr, &OVWeatherConditions::setPrecipitationDescriptor},
        {"precipitation_type", false, nullptr, &OVWeatherConditions::setPrecipitationType},
        {"obscuration_intensity", true, "obscuration_type", &OVWeatherConditions::setObscurationIntensity},
        {"obscuration_descriptor", false, nullptr, &OVWeatherConditions::setObscurationDescriptor},
        {"obscuration_type", true, nullptr, &OVWeatherConditions::setObscurationType},
        {"other_phenomena_intensity", true, "other_phenomena_type", &OVWeatherConditions::setOtherPhenomenaIntensity},
        {"other_phenomena_descriptor", false, nullptr, &OVWeatherConditions::setOtherPhenomenaDescriptor},
        {"other_phenomena_type", false, nullptr, &OVWeatherConditions::setOtherPhenomenaType},
    };
    for (const Phenomenon &p : phenomena) {
        const auto value = mostFrequentValueOfKey(QLatin1String(p.column), rows, p.countEmpty,
                                                  p.guard ? QLatin1String(p.guard) : QString());
        if (value)
            (record.*p.set)(*value);
    }
    record.setDateString(rows.first().value(QStringLiteral("entry_date")).toString());
    if (minimum)
        record.setSkyCover(rankedSkyCover(rows));
    return record;
}

// --- Helpers --------------------------------------------------------------------------------

double OVObservationStationDB::floatValueForKey(const QString &key, const QVariantMap &row)
{
    const QString text = row.value(key).toString().trimmed();
    if (text.isEmpty())
        return OVNoValue; // SQL NULL: a missing value, not zero
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok && std::isfinite(value) ? value : OVNoValue;
}

double OVObservationStationDB::minOfKey(const QString &key, const QList<QVariantMap> &rows)
{
    double result = OVNoValue;
    for (const QVariantMap &row : rows) {
        const double value = floatValueForKey(key, row);
        if (value != OVNoValue && (result == OVNoValue || value < result))
            result = value;
    }
    return result;
}

double OVObservationStationDB::maxOfKey(const QString &key, const QList<QVariantMap> &rows)
{
    double result = OVNoValue;
    for (const QVariantMap &row : rows) {
        const double value = floatValueForKey(key, row);
        if (value != OVNoValue && (result == OVNoValue || value > result))
            result = value;
    }
    return result;
}

double OVObservationStationDB::averageOfKey(const QString &key, const QList<QVariantMap> &rows)
{
    double sum = 0;
    int count = 0;
    for (const QVariantMap &row : rows) {
        const double value = floatValueForKey(key, row);
        if (value != OVNoValue) {
            sum += value;
            ++count;
        }
    }
    return count ? sum / count : OVNoValue;
}

double OVObservationStationDB::sumOfKey(const QString &key, const QList<QVariantMap> &rows)
{
    if (rows.isEmpty())
        return OVNoValue;
    double sum = 0;
    for (const QVariantMap &row : rows) {
        const double value = floatValueForKey(key, row);
        if (value != OVNoValue)
            sum += value;
    }
    return sum;
}

std::optional<QString> OVObservationStationDB::mostFrequentValueOfKey(
    const QString &key, const QList<QVariantMap> &rows, bool countEmptyAsValue,
    const QString &onlyCountIfKeyIsNotNull)
{
    QStringList seen; // in order of first appearance
    QList<int> counts;
    for (const QVariantMap &row : rows) {
        if (!onlyCountIfKeyIsNotNull.isEmpty()
            && row.value(onlyCountIfKeyIsNotNull).toString().isEmpty())
            continue;
        const QString value = row.value(key).toString();
        if (!countEmptyAsValue && value.isEmpty())
            continue;
        const qsizetype index = seen.indexOf(value);
        if (index < 0) {
            seen.append(value);
            counts.append(1);
        } else {
            ++counts[index];
        }
    }
    if (seen.isEmpty())
        return std::nullopt;
    qsizetype best = 0;
    for (qsizetype i = 1; i < counts.size(); ++i) {
        if (counts[i] > counts[best])
            best = i;
    }
    return seen[best];
}

QString OVObservationStationDB::rankedSkyCover(const QList<QVariantMap> &rows)
{
    // Cloudiest first: a row counts for the first category its sky text contains.
    static const char *const categories[] = {"OVC", "BKN", "SCT", "FEW"};
    int counts[4] = {0, 0, 0, 0};
    for (const QVariantMap &row : rows) {
        const QString sky = row.value(QStringLiteral("sky_cover")).toString();
        for (int i = 0; i < 4; ++i) {
            if (sky.contains(QLatin1String(categories[i]))) {
                ++counts[i];
                break;
            }
        }
    }
    // Least cloudy first, and only a strictly larger count wins: a tie keeps the clearer sky.
    QString result = QStringLiteral("CLR");
    int best = 0;
    for (int i = 3; i >= 0; --i) {
        if (counts[i] > best) {
            best = counts[i];
            result = QLatin1String(categories[i]);
        }
    }
    return result;
}
