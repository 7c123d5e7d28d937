// bench-libraries: nimbrel_core
// Speed of the SQLite access layer on a station history: a batch insert of 100k observation rows
// (the layer, the bare C API with typed binds, and the sqlite3 shell's CSV import as the ceiling),
// range selects of 3 and 30 days on the indexed entry_date (objects, dictionaries, and a bare
// step loop as the ceiling), and the date text reader. Run in a Release build:
//   ./build-release/bench/sqlite_bench
#include "core/OVSQLite3DB.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

constexpr int RowCount = 100000;
const QDateTime FirstObservation(QDate(2023, 1, 1), QTime(0, 0), Qt::UTC);

const char *const CreateHistory =
    "CREATE TABLE icao_history (entry_date date primary key, wind_direction float, wind_speed_knots "
    "float, gust_speed_knots float, visibility_miles float, temperature_c float, dewpoint_c float, "
    "pressure_hpa float, h1_precipitation float, h3_precipitation float, h6_precipitation float, "
    "h24_precipitation float, sky_cover text, snow_depth_inches float, precipitation_intensity text, "
    "precipitation_descriptor text, precipitation_type text, obscuration_intensity text, "
    "obscuration_descriptor text, obscuration_type text, other_phenomena_intensity text, "
    "other_phenomena_descriptor text, other_phenomena_type text, solar_radiation_watts_per_meter2 "
    "float)";
const char *const CreateIndex = "CREATE index history_index ON icao_history(entry_date)";

const QStringList FloatColumns{"wind_direction", "wind_speed_knots", "gust_speed_knots", "visibility_miles",
                               "temperature_c", "dewpoint_c", "pressure_hpa", "h1_precipitation",
                               "h3_precipitation", "h6_precipitation", "h24_precipitation", "snow_depth_inches",
                               "solar_radiation_watts_per_meter2"};
const QStringList TextColumns{"sky_cover", "precipitation_intensity", "precipitation_descriptor",
                              "precipitation_type", "obscuration_intensity", "obscuration_descriptor",
                              "obscuration_type", "other_phenomena_intensity", "other_phenomena_descriptor",
                              "other_phenomena_type"};

// One observation as the weather records hand it over: property key = column name here.
struct Observation
{
    QDateTime date;
    float numbers[13];
    QString texts[10];
};

const std::vector<Observation> &observations()
{
    static const std::vector<Observation> rows = [] {
        std::vector<Observation> list(RowCount);
        for (int i = 0; i < RowCount; ++i) {
            Observation &o = list[i];
            o.date = FirstObservation.addSecs(300LL * i);
            for (int c = 0; c < 13; ++c)
                o.numbers[c] = (i + c) % 7 == 0 ? -1000.0f : static_cast<float>((i % 400) * 0.1 + c);
            for (int c = 0; c < 10; ++c)
                o.texts[c] = (i + c) % 3 == 0 ? QString() : QStringLiteral("T%1").arg(c);
        }
        return list;
    }();
    return rows;
}

const QList<QVariantMap> &observationMaps()
{
    static const QList<QVariantMap> maps = [] {
        QList<QVariantMap> list;
        list.reserve(RowCount);
        for (const Observation &o : observations()) {
            QVariantMap map{{"entry_date", o.date}};
            for (int c = 0; c < 13; ++c)
                map.insert(FloatColumns[c], o.numbers[c]);
            for (int c = 0; c < 10; ++c) {
                if (!o.texts[c].isNull())
                    map.insert(TextColumns[c], o.texts[c]);
            }
            list.append(map);
        }
        return list;
    }();
    return maps;
}

OVKeyMap historyKeyMap()
{
    OVKeyMap map{{"entry_date", "entry_date"}};
    for (const QStringList *columns : {&FloatColumns, &TextColumns}) {
        for (const QString &column : *columns)
            map.insert(column, column);
    }
    return map;
}

std::shared_ptr<OVSQLite3DB> freshHistory(const QString &path)
{
    QFile::remove(path);
    auto db = OVSQLite3DB::initWithDatabasePath(path);
    db->doQuery(CreateHistory);
    db->doQuery(CreateIndex);
    return db;
}

QTemporaryDir &benchDir()
{
    static QTemporaryDir dir;
    return dir;
}

void BM_InsertObjectArray(benchmark::State &state)
{
    const QList<QVariantMap> &rows = observationMaps();
    const OVKeyMap keyMap = historyKeyMap();
    const QString path = benchDir().filePath("layer.db");
    for (auto _ : state) {
        state.PauseTiming();
        auto db = freshHistory(path);
        state.ResumeTiming();
        if (!db->insertObjectArray(rows, keyMap, "icao_history", {-1000}))
            state.SkipWithError("insert failed");
    }
    state.SetItemsProcessed(state.iterations() * RowCount);
}
BENCHMARK(BM_InsertObjectArray)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_InsertBareCAPI(benchmark::State &state)
{
    const std::vector<Observation> &rows = observations();
    const QString path = benchDir().filePath("bare.db");
    QStringList columns{"entry_date"};
    columns << FloatColumns << TextColumns;
    const QByteArray sql = QStringLiteral("INSERT INTO icao_history (%1) VALUES (%2)")
                               .arg(columns.join(','), QStringList(columns.size(), "?").join(','))
                               .toUtf8();
    for (auto _ : state) {
        state.PauseTiming();
        freshHistory(path);
        sqlite3 *db = nullptr;
        sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        state.ResumeTiming();
        sqlite3_exec(db, "BEGIN TRANSACTION", nullptr, nullptr, nullptr);
        sqlite3_stmt *stmt = nullptr;
        sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr);
        for (const Observation &o : rows) {
            sqlite3_bind_int64(stmt, 1, OVSQLite3DB::stringForDate(o.date).toLongLong());
            for (int c = 0; c < 13; ++c) {
                if (o.numbers[c] == -1000.0f)
                    sqlite3_bind_null(stmt, 2 + c);
                else
                    sqlite3_bind_double(stmt, 2 + c, o.numbers[c]);
            }
            for (int c = 0; c < 10; ++c) {
                if (o.texts[c].isNull()) {
                    sqlite3_bind_null(stmt, 15 + c);
                } else {
                    const QByteArray text = o.texts[c].toUtf8();
                    sqlite3_bind_text(stmt, 15 + c, text.constData(), static_cast<int>(text.size()),
                                      SQLITE_TRANSIENT);
                }
            }
            sqlite3_step(stmt);
            sqlite3_reset(stmt);
        }
        sqlite3_finalize(stmt);
        sqlite3_exec(db, "COMMIT TRANSACTION", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    state.SetItemsProcessed(state.iterations() * RowCount);
}
BENCHMARK(BM_InsertBareCAPI)->Unit(benchmark::kMillisecond)->Iterations(3);

// The shell's CSV import of the same rows: the ceiling for a bulk load. Empty fields become ''
// rather than NULL, which does not matter for timing. The shell's own start-up is included.
void BM_ShellImportCSV(benchmark::State &state)
{
    const QString csvPath = benchDir().filePath("rows.csv");
    {
        QFile file(csvPath);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        QTextStream out(&file);
        for (const Observation &o : observations()) {
            out << OVSQLite3DB::stringForDate(o.date);
            for (float number : o.numbers)
                out << ',' << (number == -1000.0f ? QString() : QString::number(number));
            for (const QString &text : o.texts)
                out << ',' << text;
            out << '\n';
        }
    }
    const QString path = benchDir().filePath("shell.db");
    for (auto _ : state) {
        freshHistory(path);
        QProcess shell;
        QElapsedTimer timer;
        timer.start();
        shell.start("sqlite3", {path, QStringLiteral(".import --csv %1 icao_history").arg(csvPath)});
        shell.waitForFinished(-1);
        state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) / 1e9);
        if (shell.exitCode() != 0)
            state.SkipWithError("sqlite3 shell failed");
    }
    state.SetItemsProcessed(state.iterations() * RowCount);
}
BENCHMARK(BM_ShellImportCSV)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

// A filled history shared by the select benchmarks.
const std::shared_ptr<OVSQLite3DB> &filledHistory()
{
    static const std::shared_ptr<OVSQLite3DB> db = [] {
        auto history = freshHistory(benchDir().filePath("filled.db"));
        history->insertObjectArray(observationMaps(), historyKeyMap(), "icao_history", {-1000});
        return history;
    }();
    return db;
}

const QString RangeQuery = "SELECT wind_direction, wind_speed_knots, gust_speed_knots, visibility_miles, "
                           "temperature_c, dewpoint_c, pressure_hpa, h1_precipitation, precipitation_intensity, "
                           "precipitation_descriptor, precipitation_type, obscuration_intensity, "
                           "obscuration_descriptor, obscuration_type, other_phenomena_intensity, "
                           "other_phenomena_descriptor, other_phenomena_type, sky_cover, "
                           "solar_radiation_watts_per_meter2, entry_date FROM icao_history WHERE entry_date "
                           "BETWEEN %1 AND %2 ORDER BY entry_date";

QString rangeQuery(int days)
{
    const QDateTime start = FirstObservation.addDays(100);
    return RangeQuery.arg(OVSQLite3DB::stringForDate(start), OVSQLite3DB::stringForDate(start.addDays(days)));
}

// A record that turns its date text into a date as it is set, as the weather records do.
class HistoryRecord final : public OVKeyValue
{
public:
    QVariant valueForKey(const QString &key) const override
    {
        return key == QLatin1String("dateString") ? QVariant(date) : fields.value(key);
    }
    void setValue(const QVariant &value, const QString &key) override
    {
        if (key == QLatin1String("dateString"))
            date = OVSQLite3DB::dateForString(value.toString());
        else
            fields.insert(key, value);
    }

    QDateTime date;
    QVariantMap fields;
};

void BM_SelectObjects(benchmark::State &state)
{
    const auto &db = filledHistory();
    const QString sql = rangeQuery(static_cast<int>(state.range(0)));
    OVKeyMap keyMap{{"entry_date", "dateString"}};
    for (const QString &column : FloatColumns)
        keyMap.insert(column, column + "String");
    for (const QString &column : TextColumns)
        keyMap.insert(column, column);
    qsizetype rows = 0;
    for (auto _ : state) {
        const auto objects = db->selectObjectArrayWithQuery<HistoryRecord>(
            sql, {}, keyMap, [] { return std::make_shared<HistoryRecord>(); });
        rows += objects ? objects->size() : 0;
    }
    state.SetItemsProcessed(rows);
}
BENCHMARK(BM_SelectObjects)->Arg(3)->Arg(30)->Unit(benchmark::kMicrosecond);

void BM_SelectDictionaries(benchmark::State &state)
{
    const auto &db = filledHistory();
    const QString sql = rangeQuery(static_cast<int>(state.range(0)));
    qsizetype rows = 0;
    for (auto _ : state) {
        const auto dictionaries = db->selectDictionaryArrayWithQuery(sql);
        rows += dictionaries ? dictionaries->size() : 0;
    }
    state.SetItemsProcessed(rows);
}
BENCHMARK(BM_SelectDictionaries)->Arg(3)->Arg(30)->Unit(benchmark::kMicrosecond);

void BM_SelectBareStepLoop(benchmark::State &state)
{
    const auto &db = filledHistory();
    const QByteArray sql = rangeQuery(static_cast<int>(state.range(0))).toUtf8();
    qsizetype rows = 0;
    for (auto _ : state) {
        std::lock_guard lock(db->databaseLock());
        sqlite3_stmt *stmt = nullptr;
        sqlite3_prepare_v2(db->database(), sql.constData(), -1, &stmt, nullptr);
        const int columns = sqlite3_column_count(stmt);
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            for (int c = 0; c < columns; ++c)
                benchmark::DoNotOptimize(sqlite3_column_text(stmt, c));
            ++rows;
        }
        sqlite3_finalize(stmt);
    }
    state.SetItemsProcessed(rows);
}
BENCHMARK(BM_SelectBareStepLoop)->Arg(3)->Arg(30)->Unit(benchmark::kMicrosecond);

// More distinct texts than the cache holds, so every read in a cycle misses it.
QStringList dateTexts(const QDateTime &first, int count)
{
    QStringList texts;
    for (int i = 0; i < count; ++i)
        texts.append(QString::fromLatin1(first.addSecs(300LL * i).toString("yyyyMMddHHmmss").toLatin1()));
    return texts;
}

void BM_DateForStringCacheHit(benchmark::State &state)
{
    const QString text = "20240522120000";
    OVSQLite3DB::dateForString(text);
    for (auto _ : state)
        benchmark::DoNotOptimize(OVSQLite3DB::dateForString(text));
}
BENCHMARK(BM_DateForStringCacheHit);

void BM_DateForStringDigitParse(benchmark::State &state)
{
    const QStringList texts = dateTexts(FirstObservation, 4000);
    qsizetype i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(OVSQLite3DB::dateForString(texts[i++ % texts.size()]));
}
BENCHMARK(BM_DateForStringDigitParse);

void BM_DateForStringFormatterFallback(benchmark::State &state)
{
    // Years before 1901 are outside the digit reader's range.
    const QStringList texts = dateTexts(QDateTime(QDate(1850, 1, 1), QTime(0, 0), Qt::UTC), 4000);
    qsizetype i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(OVSQLite3DB::dateForString(texts[i++ % texts.size()]));
}
BENCHMARK(BM_DateForStringFormatterFallback);

} // namespace
