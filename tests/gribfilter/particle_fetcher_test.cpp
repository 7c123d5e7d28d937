// The particle grid fetcher against a model-data server on the loopback interface: run search,
// forecast hour, filter download, decoding and conversion into north-up grids from -180, the
// answer on the main thread, turned-away fetches, the run cache and the hand-over to the layer.
#include "GribFilterTestSupport.h"
#include "gribfilter/OVMapParticleGribFetcher.h"

#include "core/OVConstants.h"
#include "core/OVGrid.h"
#include "core/remote/OVURLManager.h"
#include "grib/GRIB2DecodedRecord.h"
#include "map/layers/OVMapParticleModeLayer.h"
#include "platform/OVDispatch.h"

#include "support/FakeClock.h"
#include "support/FakeMapView.h"
#include "support/FixtureHttpServer.h"
#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <optional>

namespace {

using GridPtr = OVMapParticleDataSource::GridPtr;

const QString kGfs = QStringLiteral("/pub/data/nccf/com/gfs/prod");
const QString kDay = kGfs + QStringLiteral("/gfs.20240301");
const QString kRun12 = kDay + QStringLiteral("/12/atmos");
const QString kRun18 = kDay + QStringLiteral("/18/atmos");
const QString kFilter = QStringLiteral("/cgi-bin/filter_gfs_0p25_1hr.pl");
const QString kFile25 = QStringLiteral("grib/gfs_2p5deg_2011011012_f120_2t_10u_10v.grib2");
const QString kFile25SouthToNorth =
    QStringLiteral("particlefetcher/gfs_2p5deg_2011011012_f120_2t_10u_10v_south_to_north.grib2");
const QString kFile10 = QStringLiteral("grib/gfs_1p00_grib-filter_10m_wind_2018100618_f000.grib2");

FixtureResponse html(const QString &relative)
{
    return FixtureResponse::file(testDataPath(relative), "text/html");
}

FixtureResponse grib(const QByteArray &bytes)
{
    return FixtureResponse::text(bytes, "application/octet-stream");
}

// The one query the particle fetcher may send for hour f001 of the 12Z run.
const QList<std::pair<QString, QString>> kParticleQuery{
    {"file", "gfs.t12z.pgrb2.0p25.f001"}, {"var_UGRD", "on"}, {"lev_10_m_above_ground", "on"},
    {"var_VGRD", "on"},                   {"lev_10_m_above_ground", "on"}, {"var_TMP", "on"},
    {"lev_2_m_above_ground", "on"},       {"dir", "/gfs.20240301/12/atmos"}};

// A model-data server: gfs/prod, the day with cycles 00-18, an incomplete 18Z run, a complete
// 12Z run from f001, and a filter that answers only the particle query.
class ModelServer
{
public:
    explicit ModelServer(FixtureResponse filterReply, FixtureResponse runListing = html("particlefetcher/gfs.20240301_12_atmos_from_f001.html"))
    {
        started = server.start();
        server.serve(kGfs, html(QStringLiteral("gribfilter/gfs_prod.html")));
        server.serve(kDay, html(QStringLiteral("gribfilter/gfs.20240301.html")));
        server.serve(kRun18, html(QStringLiteral("gribfilter/gfs.20240301_18_atmos.html")));
        server.serve(kRun12, runListing);
        server.route("GET", kFilter, [filterReply](const FixtureRequest &request) {
            return cgiQueryItems(request.query) == kParticleQuery ? filterReply : FixtureResponse::error(404);
        });
    }

    QUrl url() const { return QUrl(server.baseUrl()); }

    FixtureHttpServer server;
    bool started = false;
};

// What one call's completion received.
struct Answer
{
    int calls = 0;
    bool onMain = false;
    GridPtr u;
    GridPtr v;
    GridPtr temperature;

    bool allNull() const { return !u && !v && !temperature; }
};

std::shared_ptr<Answer> ask(OVMapParticleDataSource &source, QStringList *order = nullptr, const QString &name = {})
{
    auto answer = std::make_shared<Answer>();
    source.fetchCurrentGridsWithCompletion([answer, order, name](GridPtr u, GridPtr v, GridPtr t) {
        ++answer->calls;
        answer->onMain = OVDispatch::isMainThread();
        answer->u = std::move(u);
        answer->v = std::move(v);
        answer->temperature = std::move(t);
        if (order)
            order->append(name);
    });
    return answer;
}

bool answered(const std::shared_ptr<Answer> &answer)
{
    return waitUntil([&] { return answer->calls > 0; }, 60000);
}

// One fetch to the end: the answer after the fetcher is gone and the main queue drained, so a
// second call of the completion would show.
Answer fetchOnce(std::unique_ptr<OVMapParticleGribFetcher> fetcher)
{
    const auto answer = ask(*fetcher);
    const bool done = answered(answer);
    fetcher.reset();
    QCoreApplication::processEvents();
    EXPECT_TRUE(done) << "no answer";
    return *answer;
}

// The values of the 2.5 degree file as ecCodes lists them, by field ("TMP", "UGRD", "VGRD"),
// latitude and longitude (0 to 357.5), with the number of digits printed.
struct Listed
{
    double value;
    int digits;
};
using ListedField = std::map<std::pair<double, double>, Listed>;

std::map<QString, ListedField> listedValues()
{
    std::map<QString, ListedField> fields;
    QFile file(testDataPath(QStringLiteral("grib/values/gfs_2p5deg_2011011012_f120_2t_10u_10v.eccodes_values.txt")));
    if (!file.open(QIODevice::ReadOnly))
        return fields;
    const QStringList names{QStringLiteral("TMP"), QStringLiteral("UGRD"), QStringLiteral("VGRD")};
    int field = -1;
    QTextStream stream(&file);
    while (!stream.atEnd()) {
        const QStringList parts = stream.readLine().simplified().split(QLatin1Char(' '));
        if (parts.size() != 3)
            continue;
        if (parts[0] == QLatin1String("Latitude")) {
            ++field;
            continue;
        }
        const qsizetype dot = parts[2].indexOf(QLatin1Char('.'));
        const int digits = dot < 0 ? 0 : int(parts[2].size() - dot - 1);
        fields[names.at(field)][{parts[0].toDouble(), parts[1].toDouble()}] = Listed{parts[2].toDouble(), digits};
    }
    return fields;
}

// Compares a fetched 2.5 degree grid with the listing; `slack` is added to the printed precision.
void expectListedGrid(const GridPtr &grid, const ListedField &listed, double slack)
{
    ASSERT_TRUE(grid);
    ASSERT_EQ(grid->xResolution(), 144u);
    ASSERT_EQ(grid->yResolution(), 73u);
    EXPECT_DOUBLE_EQ(grid->geoRect().minPoint.latitude, -90.0);
    EXPECT_DOUBLE_EQ(grid->geoRect().maxPoint.latitude, 90.0);
    EXPECT_DOUBLE_EQ(grid->geoRect().minPoint.longitude, -180.0);
    EXPECT_DOUBLE_EQ(grid->geoRect().maxPoint.longitude, 177.5);
    ASSERT_EQ(listed.size(), 144u * 73u);
    int wrong = 0;
    for (uint64_t row = 0; row < 73; ++row) {
        for (uint64_t column = 0; column < 144; ++column) {
            const double latitude = 90.0 - 2.5 * double(row);
            const double longitude = std::fmod(180.0 + 2.5 * double(column), 360.0); // -180 + 2.5 c, as 0..360
            const Listed &expected = listed.at({latitude, longitude});
            const double tolerance = 0.5 * std::pow(10.0, -expected.digits) + 1e-4 + slack;
            const double value = grid->values()[column + 144 * row];
            if (std::fabs(value - expected.value) > tolerance && ++wrong <= 5)
                ADD_FAILURE() << "row " << row << " column " << column << ": " << value << " listed "
                              << expected.value;
        }
    }
    EXPECT_EQ(wrong, 0);
}

// The second decoder's values of the 1.0 degree reply, field 0 (u) or 1 (v), in storage order.
std::vector<float> secondDecoderValues(int field)
{
    const QByteArray dump = readTestFile(
        testDataPath(QStringLiteral("grib/values/gfs_1p00_grib-filter_10m_wind_2018100618_f000.grib2json-values-le-float32.bin")));
    std::vector<float> values(65160);
    if (dump.size() != qsizetype(2 * values.size() * sizeof(float)))
        return {};
    std::memcpy(values.data(), dump.constData() + field * values.size() * sizeof(float), values.size() * sizeof(float));
    return values;
}

void expectRotatedOneDegree(const GridPtr &grid, int field)
{
    ASSERT_TRUE(grid);
    ASSERT_EQ(grid->xResolution(), 360u);
    ASSERT_EQ(grid->yResolution(), 181u);
    EXPECT_DOUBLE_EQ(grid->geoRect().minPoint.longitude, -180.0);
    EXPECT_DOUBLE_EQ(grid->geoRect().maxPoint.longitude, 179.0);
    EXPECT_DOUBLE_EQ(grid->geoRect().minPoint.latitude, -90.0);
    EXPECT_DOUBLE_EQ(grid->geoRect().maxPoint.latitude, 90.0);
    const std::vector<float> expected = secondDecoderValues(field);
    ASSERT_EQ(expected.size(), 65160u);
    int wrong = 0;
    for (size_t row = 0; row < 181; ++row) {
        for (size_t column = 0; column < 360; ++column) {
            const double want = expected[row * 360 + (column + 180) % 360];
            const double value = grid->values()[row * 360 + column];
            if (std::fabs(value - want) > 1e-4 && ++wrong <= 5)
                ADD_FAILURE() << "row " << row << " column " << column << ": " << value << " expected " << want;
        }
    }
    EXPECT_EQ(wrong, 0);
}

// --- Filter replies -------------------------------------------------------------------------

TEST(ParticleFetcher, FilterRepliesBecomeGridsOrThreeNulls)
{
    const std::map<QString, ListedField> listed = listedValues();
    ASSERT_EQ(listed.size(), 3u);
    const QByteArray file25 = readTestFile(testDataPath(kFile25));
    const QByteArray file10 = readTestFile(testDataPath(kFile10));
    ASSERT_FALSE(file25.isEmpty());
    ASSERT_FALSE(file10.isEmpty());

    enum class Expect { listedGrids, listedGridsRepacked, oneDegreeWind, oneDegreeWindOverTemperature, threeNulls };
    struct Row
    {
        const char *name;
        FixtureResponse filterReply;
        Expect expect;
        bool stopServer = false;
        std::optional<FixtureResponse> runListing = std::nullopt;
        bool modelDirectory404 = false;
    };
    FixtureResponse cut = grib(file25);
    cut.dropAfterBytes = 20000;
    const std::vector<Row> rows{
        {"2.5 degree file, U and V in one message", grib(file25), Expect::listedGrids},
        {"the same, rows stored south to north", grib(readTestFile(testDataPath(kFile25SouthToNorth))),
         Expect::listedGridsRepacked},
        {"a real filter reply of wind only", grib(file10), Expect::oneDegreeWind},
        {"a later field of the same name wins", grib(file25 + file10), Expect::oneDegreeWindOverTemperature},
        {"a 200 HTML page", FixtureResponse::text("<html><body>busy</body></html>", "text/html"),
         Expect::threeNulls},
        {"a 500", FixtureResponse::error(500), Expect::threeNulls},
        {"a connection dropped mid-body", cut, Expect::threeNulls},
        {"a stopped server", grib(file25), Expect::threeNulls, true},
        {"a 404 on the model directory", grib(file25), Expect::threeNulls, false, std::nullopt, true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        ModelServer site(row.filterReply);
        ASSERT_TRUE(site.started);
        if (row.modelDirectory404)
            site.server.serve(kGfs, FixtureResponse::error(404));
        FakeClock clock;
        auto fetcher = std::make_unique<OVMapParticleGribFetcher>(site.url(), clock);
        if (row.stopServer)
            site.server.stop();
        const Answer answer = fetchOnce(std::move(fetcher));
        EXPECT_EQ(answer.calls, 1);
        EXPECT_TRUE(answer.onMain);
        switch (row.expect) {
        case Expect::listedGrids:
        case Expect::listedGridsRepacked: {
            // ecCodes repacks the south-to-north copy: a value may move by one packing step.
            const double slack = row.expect == Expect::listedGridsRepacked ? 0.01 : 0.0;
            expectListedGrid(answer.u, listed.at("UGRD"), slack);
            expectListedGrid(answer.v, listed.at("VGRD"), slack);
            expectListedGrid(answer.temperature, listed.at("TMP"), slack);
            EXPECT_EQ(site.server.requestCount(kFilter), 1);
            break;
        }
        case Expect::oneDegreeWind:
        case Expect::oneDegreeWindOverTemperature:
            expectRotatedOneDegree(answer.u, 0);
            expectRotatedOneDegree(answer.v, 1);
            if (row.expect == Expect::oneDegreeWind) {
                EXPECT_FALSE(answer.temperature);
            } else {
                ASSERT_TRUE(answer.temperature);
                EXPECT_EQ(answer.temperature->xResolution(), 144u);
            }
            break;
        case Expect::threeNulls:
            EXPECT_TRUE(answer.allNull());
            break;
        }
    }
}

// --- Conversion -----------------------------------------------------------------------------

GRIB2DecodedRecord record(uint32_t width, uint32_t height, double lat1, double lon1, double lat2, double lon2,
                          std::vector<float> values, GRIB2Grid::Template gridTemplate = GRIB2Grid::Template::latLon)
{
    GRIB2DecodedRecord r;
    r.variableName = "UGRD";
    r.grid.gridTemplate = gridTemplate;
    r.grid.width = width;
    r.grid.height = height;
    r.grid.numberOfDataPoints = uint32_t(values.size());
    r.grid.latitudeOfFirstGridPoint = lat1;
    r.grid.longitudeOfFirstGridPoint = lon1;
    r.grid.latitudeOfLastGridPoint = lat2;
    r.grid.longitudeOfLastGridPoint = lon2;
    r.values = std::move(values);
    return r;
}

TEST(ParticleFetcher, RecordsBecomeNorthUpGridsFromMinus180)
{
    constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
    constexpr float kInf = std::numeric_limits<float>::infinity();
    constexpr double kDInf = std::numeric_limits<double>::infinity();
    using T = GRIB2Grid::Template;
    struct Expected
    {
        uint64_t width;
        uint64_t height;
        double minLat, minLon, maxLat, maxLon;
        std::vector<double> values;
    };
    struct Row
    {
        const char *name;
        GRIB2DecodedRecord input;
        std::optional<Expected> expected;
    };
    const std::vector<Row> rows{
        {"rows north to south, no rotation (first longitude 1)",
         record(3, 2, 10, 1, 0, 359, {1, 2, 3, 4, 5, 6}), Expected{3, 2, 0, 1, 10, 359, {1, 2, 3, 4, 5, 6}}},
        {"rows south to north are reversed", record(3, 2, 0, 1, 10, 359, {1, 2, 3, 4, 5, 6}),
         Expected{3, 2, 0, 1, 10, 359, {4, 5, 6, 1, 2, 3}}},
        {"one row is never reversed", record(3, 1, -5, 10, 5, 30, {1, 2, 3}), Expected{3, 1, -5, 10, 5, 30, {1, 2, 3}}},
        {"last longitude 180 does not rotate", record(3, 1, 0, 0, 0, 180, {1, 2, 3}),
         Expected{3, 1, 0, 0, 0, 180, {1, 2, 3}}},
        {"a globe from 0 turns to start at -180", record(4, 1, 0, 0, 0, 270, {1, 2, 3, 4}),
         Expected{4, 1, 0, -180, 0, 90, {3, 4, 1, 2}}},
        {"k = 2.5 rounds away from zero to 3", record(6, 1, 0, 0, 0, 360, {1, 2, 3, 4, 5, 6}),
         Expected{6, 1, 0, -144, 0, 144, {4, 5, 6, 1, 2, 3}}},
        {"k = 0 leaves the longitudes", record(2, 1, 0, 0, 0, 400, {1, 2}), Expected{2, 1, 0, 0, 0, 400, {1, 2}}},
        {"one column has an infinite step: no rotation", record(1, 2, 10, 0, 0, 359, {1, 2}),
         Expected{1, 2, 0, 0, 10, 359, {1, 2}}},
        {"NaN becomes -1000, infinities stay", record(3, 1, 0, 10, 0, 20, {kNaN, kInf, -kInf}),
         Expected{3, 1, 0, 10, 0, 20, {OVNoValue, kDInf, -kDInf}}},
        {"a Gaussian grid converts", record(2, 1, 0, 10, 0, 20, {1, 2}, T::gaussian), Expected{2, 1, 0, 10, 0, 20, {1, 2}}},
        {"polar stereographic gives nothing", record(2, 1, 0, 10, 0, 20, {1, 2}, T::polarStereographic), std::nullopt},
        {"Lambert conformal gives nothing", record(2, 1, 0, 10, 0, 20, {1, 2}, T::lambertConformal), std::nullopt},
        {"width 0", record(0, 1, 0, 0, 0, 0, {}), std::nullopt},
        {"height 0", record(1, 0, 0, 0, 0, 0, {}), std::nullopt},
        {"too few values", record(3, 2, 10, 1, 0, 359, {1, 2, 3, 4, 5}), std::nullopt},
        {"too many values", record(3, 2, 10, 1, 0, 359, {1, 2, 3, 4, 5, 6, 7}), std::nullopt},
        // 0xFFFFFFFF squared is 1 in 32 bits: a narrow product would read far past the one value.
        {"a reduced grid's width", record(0xFFFFFFFFu, 0xFFFFFFFFu, 0, 0, 0, 0, {1}), std::nullopt},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const GridPtr grid = OVMapParticleGribFetcher::makeGridFromRecord(row.input);
        if (!row.expected) {
            EXPECT_FALSE(grid);
            continue;
        }
        ASSERT_TRUE(grid);
        const Expected &e = *row.expected;
        EXPECT_EQ(grid->xResolution(), e.width);
        EXPECT_EQ(grid->yResolution(), e.height);
        EXPECT_DOUBLE_EQ(grid->geoRect().minPoint.latitude, e.minLat);
        EXPECT_DOUBLE_EQ(grid->geoRect().minPoint.longitude, e.minLon);
        EXPECT_DOUBLE_EQ(grid->geoRect().maxPoint.latitude, e.maxLat);
        EXPECT_DOUBLE_EQ(grid->geoRect().maxPoint.longitude, e.maxLon);
        EXPECT_EQ(grid->values(), e.values);
    }
}

TEST(ParticleFetcher, TheQuarterDegreeGlobeStartsAtMinus180WithNorthOnTop)
{
    constexpr uint32_t width = 1440;
    constexpr uint32_t height = 721;
    std::vector<float> values(size_t(width) * height);
    for (size_t i = 0; i < values.size(); ++i)
        values[i] = float(i); // column + 1440 x row, exact in single precision
    for (const bool northFirst : {true, false}) {
        SCOPED_TRACE(northFirst ? "north first" : "south first");
        const GridPtr grid = OVMapParticleGribFetcher::makeGridFromRecord(
            record(width, height, northFirst ? 90 : -90, 0, northFirst ? -90 : 90, 359.75, values));
        ASSERT_TRUE(grid);
        EXPECT_EQ(grid->xResolution(), width);
        EXPECT_EQ(grid->yResolution(), height);
        EXPECT_DOUBLE_EQ(grid->geoRect().minPoint.latitude, -90.0);
        EXPECT_DOUBLE_EQ(grid->geoRect().maxPoint.latitude, 90.0);
        EXPECT_DOUBLE_EQ(grid->geoRect().minPoint.longitude, -180.0);
        EXPECT_DOUBLE_EQ(grid->geoRect().maxPoint.longitude, 179.75);
        for (const uint64_t row : {uint64_t(0), uint64_t(1), uint64_t(360), uint64_t(720)}) {
            const uint64_t sourceRow = northFirst ? row : height - 1 - row;
            EXPECT_EQ(grid->values()[row * width + 0], double(sourceRow * width + 720)) << row;
            EXPECT_EQ(grid->values()[row * width + 719], double(sourceRow * width + 1439)) << row;
            EXPECT_EQ(grid->values()[row * width + 720], double(sourceRow * width + 0)) << row;
        }
    }
}

// --- Concurrency ----------------------------------------------------------------------------

bool listsModelDataFetch()
{
    for (const QVariantMap &entry : OVURLManager::sharedURLManager().managedURLStatus()) {
        if (entry.value(QStringLiteral("urlDescription")).toString() == QLatin1String("Fetching model data for UGRD/VGRD/TMP"))
            return true;
    }
    return false;
}

FixtureResponse heldBehind(FixtureResponse response, const std::shared_ptr<FixtureGate> &gate)
{
    response.gate = gate;
    return response;
}

TEST(ParticleFetcher, ACallDuringAFetchJoinsItAndGetsTheSameGrids)
{
    auto gate = std::make_shared<FixtureGate>();
    ModelServer site(heldBehind(grib(readTestFile(testDataPath(kFile25))), gate));
    ASSERT_TRUE(site.started);
    FakeClock clock;
    OVMapParticleGribFetcher fetcher(site.url(), clock);

    const auto first = ask(fetcher);
    ASSERT_TRUE(waitUntil([&] { return site.server.requestCount(kFilter) == 1; }, 60000));
    EXPECT_TRUE(listsModelDataFetch()) << "the download queue shows the held filter download";

    const auto second = ask(fetcher);
    EXPECT_EQ(second->calls, 0) << "a joined call waits for the download";

    gate->open();
    ASSERT_TRUE(answered(first));
    ASSERT_TRUE(answered(second));
    EXPECT_TRUE(first->onMain && second->onMain);
    ASSERT_TRUE(first->u && first->v && first->temperature);
    EXPECT_EQ(second->u, first->u);
    EXPECT_EQ(second->v, first->v);
    EXPECT_EQ(second->temperature, first->temperature);
    EXPECT_EQ(site.server.requestCount(kFilter), 1) << "the joined call downloads nothing";
}

// A launch asks from several places at once (the layer as it is made, the load-data notice, a
// second map) and again soon after: one run search, one listing of the run, one download.
TEST(ParticleFetcher, ALaunchSearchesTheRunAndDownloadsTheFieldsOnce)
{
    ModelServer site(grib(readTestFile(testDataPath(kFile25))));
    ASSERT_TRUE(site.started);
    FakeClock clock;
    OVMapParticleGribFetcher fetcher(site.url(), clock);

    const QList<std::shared_ptr<Answer>> burst{ask(fetcher), ask(fetcher), ask(fetcher)};
    for (const auto &answer : burst) {
        ASSERT_TRUE(answered(answer));
        EXPECT_TRUE(answer->u && answer->v && answer->temperature);
    }
    clock.advance(600);
    const auto later = ask(fetcher);
    ASSERT_TRUE(answered(later));
    EXPECT_EQ(later->u, burst.first()->u) << "the same file's grids are not made again";

    EXPECT_EQ(site.server.requestCount(kGfs), 1);
    EXPECT_EQ(site.server.requestCount(kDay), 1);
    EXPECT_EQ(site.server.requestCount(kFilter), 1);
    for (const auto &answer : burst)
        EXPECT_EQ(answer->calls, 1);

    // A forced reload downloads afresh.
    fetcher.resetCache();
    const auto reloaded = ask(fetcher);
    ASSERT_TRUE(answered(reloaded));
    EXPECT_TRUE(reloaded->u && reloaded->v && reloaded->temperature);
    EXPECT_EQ(site.server.requestCount(kFilter), 2);
}

TEST(ParticleFetcher, AResetDuringTheRunSearchRunsAtOnceAndTheSearchStillStoresItsRun)
{
    auto gate = std::make_shared<FixtureGate>();
    ModelServer site(grib(readTestFile(testDataPath(kFile25))),
                     heldBehind(html(QStringLiteral("particlefetcher/gfs.20240301_12_atmos_from_f001.html")), gate));
    ASSERT_TRUE(site.started);
    FakeClock clock;
    OVMapParticleGribFetcher fetcher(site.url(), clock);

    const auto first = ask(fetcher);
    ASSERT_TRUE(waitUntil([&] { return site.server.requestCount(kRun12) == 1; }, 60000));
    fetcher.resetCache();
    // The actor is free between the search's waits: a call after the reset joins the fetch.
    const auto probe = ask(fetcher);
    EXPECT_EQ(first->calls, 0);

    gate->open();
    ASSERT_TRUE(answered(first));
    ASSERT_TRUE(answered(probe));
    EXPECT_TRUE(first->u && first->v && first->temperature);
    EXPECT_EQ(probe->u, first->u);

    site.server.clearRequests();
    const auto next = ask(fetcher);
    ASSERT_TRUE(answered(next));
    EXPECT_TRUE(next->u && next->v && next->temperature);
    EXPECT_EQ(site.server.requestCount(kGfs), 0) << "the run found across the reset is cached";
}

TEST(ParticleFetcher, AFetchCutShortByTheFetchersEndStillAnswersOnceWithThreeNulls)
{
    auto gate = std::make_shared<FixtureGate>();
    ModelServer site(heldBehind(grib(readTestFile(testDataPath(kFile25))), gate));
    ASSERT_TRUE(site.started);
    FakeClock clock;
    auto fetcher = std::make_unique<OVMapParticleGribFetcher>(site.url(), clock);
    const auto answer = ask(*fetcher);
    ASSERT_TRUE(waitUntil([&] { return site.server.requestCount(kFilter) == 1; }, 60000));
    fetcher.reset();
    ASSERT_TRUE(answered(answer));
    EXPECT_TRUE(answer->allNull());
    EXPECT_TRUE(answer->onMain);
    gate->open();
    // The held download finishes into nothing: no second answer.
    ASSERT_TRUE(waitUntil([] { return OVURLManager::sharedURLManager().managedURLStatus().isEmpty(); }, 60000));
    QCoreApplication::processEvents();
    EXPECT_EQ(answer->calls, 1);
}

// --- The run cache --------------------------------------------------------------------------

TEST(ParticleFetcher, TheRunIsReusedForSixHoursAndForgottenOnReset)
{
    ModelServer site(grib(readTestFile(testDataPath(kFile25))));
    ASSERT_TRUE(site.started);
    FakeClock clock;
    OVMapParticleGribFetcher fetcher(site.url(), clock);
    auto fetchAndCountSearches = [&] {
        const auto answer = ask(fetcher);
        EXPECT_TRUE(answered(answer));
        EXPECT_TRUE(answer->u && answer->v && answer->temperature);
        return site.server.requestCount(kGfs);
    };
    EXPECT_EQ(fetchAndCountSearches(), 1);
    clock.advance(21599);
    EXPECT_EQ(fetchAndCountSearches(), 1) << "young at 21599 s";
    clock.advance(1);
    EXPECT_EQ(fetchAndCountSearches(), 2) << "searched again at 21600 s";
    fetcher.resetCache();
    EXPECT_EQ(fetchAndCountSearches(), 3) << "searched again after the reset";
    clock.advance(-3600);
    EXPECT_EQ(fetchAndCountSearches(), 3) << "a find time in the future counts as young";
}

// --- Hand-over to the particle layer --------------------------------------------------------

TEST(ParticleFetcher, IsTheSharedSourceOnceRegistered)
{
    OVMapParticleGribFetcher::registerFactory();
    const auto shared = OVMapParticleDataSource::sharedDataSource();
    EXPECT_NE(dynamic_cast<OVMapParticleGribFetcher *>(shared.get()), nullptr);
}

TEST(ParticleFetcher, ALayerOnTheFetcherMovesByTheListedWind)
{
    const std::map<QString, ListedField> listed = listedValues();
    ASSERT_EQ(listed.size(), 3u);
    ModelServer site(grib(readTestFile(testDataPath(kFile25))));
    ASSERT_TRUE(site.started);
    FakeClock clock;
    auto fetcher = std::make_shared<OVMapParticleGribFetcher>(site.url(), clock);

    FakeMapView view;
    FakeMapController controller;
    controller.mapView = &view;
    auto layer = std::make_shared<OVMapParticleModeLayer>(&controller, nullptr, fetcher, clock);
    layer->invalidateTimers(); // stepped by hand
    layer->update();
    ASSERT_TRUE(waitUntil([&] { return layer->tmpGrid() != nullptr; }, 60000));
    ASSERT_TRUE(layer->uGrid() && layer->vGrid());
    EXPECT_EQ(layer->uGrid()->xResolution(), 144u);

    layer->resizeParticleArrayUsingNumXParticles(36); // row 8, column 18 lies at (0, 0)
    layer->moveParticlesByTimeInterval(2.0);
    const uint64_t perSet = layer->numXParticles() * layer->numYParticles();
    const OVGeoVertex particle = layer->particles().at(size_t(perSet + 8 * 36 + 18)); // set 1 is visible
    const float u = float(listed.at("UGRD").at({0.0, 0.0}).value);
    const float v = float(listed.at("VGRD").at({0.0, 0.0}).value);
    const double t = listed.at("TMP").at({0.0, 0.0}).value;
    const float latitude = v * float(2.0 * (1.0 / OVMapParticleModeLayer::kCircumferenceKm) * 360.0);
    const float longitude =
        u * float(2.0 * 360.0) * OVMapParticleModeLayer::invCircumferenceForLatitudes()[size_t(int(latitude) + 90)];
    EXPECT_NEAR(particle.latitude, latitude, 1e-5);
    EXPECT_NEAR(particle.longitude, longitude, 1e-5);
    const auto entry = size_t(OVMapParticleModeLayer::colorIndexForTemperature(t));
    EXPECT_FLOAT_EQ(particle.red, float(OVMapParticleModeLayer::normalRamp().red[entry]));
    EXPECT_FLOAT_EQ(particle.green, float(OVMapParticleModeLayer::normalRamp().green[entry]));
    EXPECT_FLOAT_EQ(particle.blue, float(OVMapParticleModeLayer::normalRamp().blue[entry]));
}

} // namespace
