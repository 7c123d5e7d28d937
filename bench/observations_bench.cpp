// bench-libraries: nimbrel_core nimbrel_weather
// Station history speed: a year of hourly observations stored in one batch, a 10-day range read
// cold from the station file and through the range cache (warm, and shifted by one hour so only
// the new piece is read). The ceiling beside them is the sqlite3 shell on the same file system
// doing the same 8760 INSERTs in one transaction and the same SELECT (its own `.timer on` times).
#include "core/OVSQLite3DB.h"
#include "platform/OVUserDefaults.h"
#include "weather/OVObservationColumns.h"
#include "weather/OVObservationStationDB.h"
#include "weather/OVObservationsDB.h"
#include "weather/OVWeatherConditions.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

const QString Station = QStringLiteral("KBEN");
const QDateTime YearStart(QDate(2023, 1, 1), QTime(0, 0), QTimeZone::utc());
constexpr int Hours = 8760;

// "Now" well after the stored year, so ranges are never cut at the present.
class FixedClock final : public OVClock
{
public:
    QDateTime now() const override { return QDateTime(QDate(2025, 1, 1), QTime(0, 0), QTimeZone::utc()); }
};

// Every column filled, with a missing value now and then.
QList<OVWeatherConditions> yearOfObservations()
{
    QList<OVWeatherConditions> records;
    records.reserve(Hours);
    for (int i = 0; i < Hours; ++i) {
        OVWeatherConditions r;
        r.setDate(YearStart.addSecs(3600LL * i));
        r.setWindDirection(i % 360);
        r.setWindSpeedKnots(i % 7 == 0 ? -1000 : i % 25);
        r.setGustSpeedKnots(i % 3 == 0 ? -1000 : i % 25 + 8);
        r.setVisibilityMiles(10 - i % 5);
        r.setTemperatureC(-5 + (i % 300) * 0.1);
        r.setDewpointC(-8 + (i % 300) * 0.05);
        r.setPressureMB(1000 + i % 30);
        r.setH1PrecipitationInches(i % 11 == 0 ? 0.02 : -1000);
        r.setH3PrecipitationInches(0.05);
        r.setH6PrecipitationInches(0.1);
        r.setH24PrecipitationInches(0.4);
        r.setSkyCover(i % 2 ? QStringLiteral("FEW030 BKN250") : QStringLiteral("OVC010"));
        r.setSnowDepthInches(i % 13 == 0 ? -1000 : 1);
        r.setPrecipitationIntensity(QStringLiteral("-"));
        r.setPrecipitationDescriptor(QStringLiteral("SH"));
        r.setPrecipitationType(QStringLiteral("RA"));
        r.setObscurationIntensity(QString());
        r.setObscurationDescriptor(QString());
        r.setObscurationType(QStringLiteral("BR"));
        r.setOtherPhenomenaIntensity(QString());
        r.setOtherPhenomenaDescriptor(QString());
        r.setOtherPhenomenaType(QStringLiteral("SQ"));
        r.setSolarRadiation(i % 24 < 6 ? -1000 : 300);
        records.append(r);
    }
    return records;
}

const QList<OVWeatherConditions> &observations()
{
    static const QList<OVWeatherConditions> records = yearOfObservations();
    return records;
}

// A year stored in a fresh folder, shared by the read benchmarks.
struct StoredYear
{
    QTemporaryDir dir;
    OVUserDefaults defaults{dir.filePath("defaults.conf")};
    FixedClock clock;
    OVObservationsDB db{dir.filePath("Observations"), clock, &defaults};
    StoredYear() { db.insertWeatherConditions(observations(), Station); }
};

StoredYear &storedYear()
{
    static StoredYear year;
    return year;
}

const QDateTime RangeEnd = YearStart.addDays(200);
const QDateTime RangeStart = RangeEnd.addDays(-10).addSecs(3600); // 240 hourly records

// Runs a script through the sqlite3 shell with `.timer on`; the sum of its "real" times.
double shellSeconds(const QString &database, const QString &script)
{
    QProcess process;
    process.start(QStringLiteral("sqlite3"), {QStringLiteral("-batch"), database});
    process.write(".timer on\n" + script.toUtf8());
    process.closeWriteChannel();
    process.waitForFinished(120000);
    static const QRegularExpression realTime(QStringLiteral("Run Time: real ([0-9.]+)"));
    double seconds = 0;
    auto matches = realTime.globalMatch(QString::fromUtf8(process.readAllStandardOutput()));
    while (matches.hasNext())
        seconds += matches.next().captured(1).toDouble();
    return seconds;
}

// The same batch as SQL text: one INSERT per record inside one transaction.
QString insertScript()
{
    const OVKeyMap keyMap = OVObservationColumns::insertKeyMap();
    const QStringList keys = keyMap.keys();
    const QString head = QStringLiteral("INSERT INTO icao_history (%1) VALUES (")
                             .arg(keyMap.values().join(QLatin1Char(',')));
    QString script = QStringLiteral("BEGIN TRANSACTION;\n");
    for (const OVWeatherConditions &record : observations()) {
        QStringList values;
        for (const QString &key : keys) {
            const QVariant value = record.valueForKey(key);
            if (!value.isValid() || value.isNull() || (value.typeId() == QMetaType::Double && value.toDouble() == -1000))
                values << QStringLiteral("NULL");
            else if (value.typeId() == QMetaType::QDateTime)
                values << OVSQLite3DB::stringForDate(value.toDateTime());
            else if (value.typeId() == QMetaType::QString)
                values << QLatin1Char('\'') + value.toString() + QLatin1Char('\'');
            else
                values << QString::number(value.toDouble(), 'g', 17);
        }
        script += head + values.join(QLatin1Char(',')) + QStringLiteral(");\n");
    }
    return script + QStringLiteral("COMMIT;\n");
}

QString selectScript()
{
    return QStringLiteral("SELECT %1 FROM icao_history WHERE entry_date BETWEEN %2 AND %3 ORDER BY entry_date;\n")
        .arg(OVObservationColumns::selectColumnList(), OVSQLite3DB::stringForDate(RangeStart),
             OVSQLite3DB::stringForDate(RangeEnd));
}

} // namespace

static void StoreYearThroughObservationsDB(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        OVUserDefaults defaults(dir.filePath("defaults.conf"));
        FixedClock clock;
        auto db = std::make_unique<OVObservationsDB>(dir.filePath("Observations"), clock, &defaults);
        state.ResumeTiming();
        db->insertWeatherConditions(observations(), Station);
        state.PauseTiming();
        db.reset();
        state.ResumeTiming();
    }
    state.counters["records"] = Hours;
}
BENCHMARK(StoreYearThroughObservationsDB)->Unit(benchmark::kMillisecond)->Iterations(5);

static void ShellCeilingInsertYear(benchmark::State &state)
{
    const QString script = insertScript();
    for (auto _ : state) {
        QTemporaryDir dir;
        const QString file = dir.filePath("KBEN.db");
        OVObservationStationDB::initWithPath(file).reset(); // the same schema
        state.SetIterationTime(shellSeconds(file, script));
    }
    state.counters["records"] = Hours;
}
BENCHMARK(ShellCeilingInsertYear)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

static void ReadTenDaysFromStationFileCold(benchmark::State &state)
{
    const auto station = storedYear().db.databaseForICAO(Station);
    qsizetype count = 0;
    for (auto _ : state)
        count = station->weatherConditionsWithStartDate(RangeStart, RangeEnd).size();
    state.counters["records"] = double(count);
}
BENCHMARK(ReadTenDaysFromStationFileCold)->Unit(benchmark::kMicrosecond);

static void ShellCeilingReadTenDays(benchmark::State &state)
{
    const QString file = storedYear().db.databaseForICAO(Station)->path();
    for (auto _ : state)
        state.SetIterationTime(shellSeconds(file, selectScript()));
}
BENCHMARK(ShellCeilingReadTenDays)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(20);

static void ReadTenDaysThroughRangeCacheWarm(benchmark::State &state)
{
    OVObservationsDB &db = storedYear().db;
    db.clearCacheData();
    db.weatherConditionsForICAO(Station, RangeStart, RangeEnd);
    const int64_t reads = db.rangeReadCount();
    qsizetype count = 0;
    for (auto _ : state)
        count = db.weatherConditionsForICAO(Station, RangeStart, RangeEnd).size();
    state.counters["records"] = double(count);
    state.counters["file_reads"] = double(db.rangeReadCount() - reads);
}
BENCHMARK(ReadTenDaysThroughRangeCacheWarm)->Unit(benchmark::kMicrosecond);

// The cache holds 14 days ending at RangeEnd; the request's widened end lies one hour later,
// so each call reads just that hour and appends it.
static void ReadTenDaysShiftedByOneHour(benchmark::State &state)
{
    OVObservationsDB &db = storedYear().db;
    const auto station = db.databaseForICAO(Station);
    const auto cached = station->weatherConditionsWithStartDate(RangeEnd.addDays(-14), RangeEnd);
    const QDateTime end = RangeEnd.addDays(-2).addSecs(3600); // widened by 2 days: RangeEnd + 1 h
    const QDateTime start = end.addDays(-10);
    const int64_t reads = db.rangeReadCount();
    qsizetype count = 0;
    for (auto _ : state) {
        state.PauseTiming();
        db.setCacheData(cached, Station, false, RangeEnd.addDays(-14), RangeEnd);
        state.ResumeTiming();
        count = db.weatherConditionsForICAO(Station, start, end).size();
    }
    state.counters["records"] = double(count);
    state.counters["file_reads_per_call"] =
        benchmark::Counter(double(db.rangeReadCount() - reads), benchmark::Counter::kAvgIterations);
}
BENCHMARK(ReadTenDaysShiftedByOneHour)->Unit(benchmark::kMicrosecond);
