// bench-libraries: nimbrel_core PkgConfig::SQLITE3
// Location database on the full location.db: nearest station (true-distance order against plain
// squared degree differences), nearest place, the map's per-redraw rectangle scans and the name
// search, whole and as its bare statement. Reads the file named by NIMBREL_LOCATION_DB, else
// build-release/src/location.db (what scripts/run.sh builds); skips with a message when there is
// none.
#include "core/OVKeyValueMap.h"
#include "core/OVLocationDB.h"
#include "core/OVSQLite3DB.h"

#include <benchmark/benchmark.h>

#include <QFileInfo>

#include <sqlite3.h>

#include <cstdlib>

namespace {

QString databasePath()
{
    if (const char *path = std::getenv("NIMBREL_LOCATION_DB"))
        return QString::fromLocal8Bit(path);
    return QStringLiteral("build-release/src/location.db");
}

std::shared_ptr<OVLocationDB> database(benchmark::State &state)
{
    static const std::shared_ptr<OVLocationDB> db = [] {
        OVLocationDB::setLocationFactory([] { return std::make_shared<OVKeyValueMap>(); });
        return QFileInfo::exists(databasePath()) ? OVLocationDB::initWithDatabasePath(databasePath()) : nullptr;
    }();
    if (!db || !db->databaseReady())
        state.SkipWithError("no location.db: run tools/locationdb/build.sh or set NIMBREL_LOCATION_DB");
    return db && db->databaseReady() ? db : nullptr;
}

// 100 fixed points spread over the inhabited latitudes and every longitude.
std::vector<OVGeoPoint> fixedPoints()
{
    std::vector<OVGeoPoint> points;
    for (int i = 0; i < 100; ++i)
        points.push_back(OVGeoPointMake(-50.0 + (i * 37 % 120), -180.0 + i * 3.6));
    return points;
}

void BM_ClosestICAOByGeoDistance(benchmark::State &state)
{
    const auto db = database(state);
    if (!db)
        return;
    const auto points = fixedPoints();
    for (auto _ : state) {
        for (const OVGeoPoint &p : points)
            benchmark::DoNotOptimize(db->closestICAOToGeoPoint(p));
    }
    state.SetItemsProcessed(state.iterations() * qint64(points.size()));
}
BENCHMARK(BM_ClosestICAOByGeoDistance)->Unit(benchmark::kMillisecond);

// The former order by squared degree differences, for the cost of ordering by true distance.
void BM_ClosestICAOBySquaredDegrees(benchmark::State &state)
{
    if (!database(state))
        return;
    const auto raw = OVSQLite3DB::initWithDatabasePath(databasePath(), true);
    const auto points = fixedPoints();
    const QString sql = QStringLiteral(
        "select i.icao as icao, (((i.latitude - ?) * (i.latitude - ?)) + ((i.longitude - ?) * (i.longitude - ?))) "
        "as distance_squared from icao i order by distance_squared asc limit 1");
    for (auto _ : state) {
        for (const OVGeoPoint &p : points) {
            const QString lat = QString::number(p.latitude, 'g', 17), lon = QString::number(p.longitude, 'g', 17);
            benchmark::DoNotOptimize(raw->selectStringArrayWithQuery(sql, {lat, lat, lon, lon}));
        }
    }
    state.SetItemsProcessed(state.iterations() * qint64(points.size()));
}
BENCHMARK(BM_ClosestICAOBySquaredDegrees)->Unit(benchmark::kMillisecond);

void BM_WeatherLocationForGeoPoint(benchmark::State &state)
{
    const auto db = database(state);
    if (!db)
        return;
    for (auto _ : state)
        benchmark::DoNotOptimize(db->weatherLocationForGeoPoint(OVGeoPointMake(45.5, -122.6)));
}
BENCHMARK(BM_WeatherLocationForGeoPoint)->Unit(benchmark::kMillisecond);

const OVGeoRect kContinent = OVGeoRectMake(15, -170, 72, -50); // North America
const OVGeoRect kCity = OVGeoRectMake(45.3, -122.9, 45.7, -122.4); // Portland

void BM_CitiesInGeoRect(benchmark::State &state, OVGeoRect rect)
{
    const auto db = database(state);
    if (!db)
        return;
    db->cacheCities();
    for (auto _ : state)
        benchmark::DoNotOptimize(db->citiesInGeoRect(rect));
}
BENCHMARK_CAPTURE(BM_CitiesInGeoRect, continent, kContinent);
BENCHMARK_CAPTURE(BM_CitiesInGeoRect, city, kCity);

void BM_ICAOStationsInGeoRect(benchmark::State &state, OVGeoRect rect)
{
    const auto db = database(state);
    if (!db)
        return;
    db->cacheICAOs();
    for (auto _ : state)
        benchmark::DoNotOptimize(db->icaoStationsInGeoRect(rect));
}
BENCHMARK_CAPTURE(BM_ICAOStationsInGeoRect, continent, kContinent);
BENCHMARK_CAPTURE(BM_ICAOStationsInGeoRect, city, kCity);

void BM_NameSearch(benchmark::State &state)
{
    const auto db = database(state);
    if (!db)
        return;
    for (auto _ : state)
        benchmark::DoNotOptimize(db->weatherLocationsForSearchTerm(QStringLiteral("Portland")));
}
BENCHMARK(BM_NameSearch)->Unit(benchmark::kMillisecond);

// Search as you type: the two-letter terms the search panel sends first, small and large answers
// ("Un" is the broadest: every place in the United States and the United Kingdom).
const char *twoLetterTerm(benchmark::State &state)
{
    static const char *const terms[] = {"Pa", "Po", "Ca", "Un"};
    state.SetLabel(terms[state.range(0)]);
    return terms[state.range(0)];
}

void BM_TwoLetterSearch(benchmark::State &state)
{
    const auto db = database(state);
    if (!db)
        return;
    const QString term = QString::fromLatin1(twoLetterTerm(state));
    qint64 rows = 0;
    for (auto _ : state) {
        const auto found = db->weatherLocationsForSearchTerm(term);
        rows = found ? found->size() : 0;
        benchmark::DoNotOptimize(found);
    }
    state.counters["rows"] = double(rows);
}
BENCHMARK(BM_TwoLetterSearch)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// The same search's statement stepped through SQLite alone, each column read as text and no
// dictionary made: what the database costs of the whole search.
void BM_TwoLetterSearchStatement(benchmark::State &state)
{
    if (!database(state))
        return;
    sqlite3 *connection = nullptr;
    if (sqlite3_open_v2(databasePath().toUtf8().constData(), &connection, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(connection);
        state.SkipWithError("cannot open location.db");
        return;
    }
    const auto [sql, params] = OVLocationDB::searchStatement(QString::fromLatin1(twoLetterTerm(state)));
    const QByteArray sqlUtf8 = sql.toUtf8();
    const QByteArray param = params.first().toUtf8();
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(connection, sqlUtf8.constData(), -1, &statement, nullptr) != SQLITE_OK) {
        state.SkipWithError(sqlite3_errmsg(connection));
        sqlite3_close(connection);
        return;
    }
    const int columns = sqlite3_column_count(statement);
    for (auto _ : state) {
        sqlite3_reset(statement);
        for (int i = 1; i <= params.size(); ++i)
            sqlite3_bind_text(statement, i, param.constData(), int(param.size()), SQLITE_STATIC);
        while (sqlite3_step(statement) == SQLITE_ROW) {
            for (int c = 0; c < columns; ++c)
                benchmark::DoNotOptimize(sqlite3_column_text(statement, c));
        }
    }
    sqlite3_finalize(statement);
    sqlite3_close(connection);
}
BENCHMARK(BM_TwoLetterSearchStatement)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

} // namespace
