// The grib filter client against a real HTTP server on the loopback interface, through the
// program's download queue.
#include "GribFilterTestSupport.h"
#include "gribfilter/OVGribFilterClient.h"
#include "gribfilter/OVGribFilterQueueFetcher.h"

#include "core/NBRegisteredDefaults.h"
#include "core/remote/OVURLManager.h"
#include "platform/OVUserDefaults.h"
#include "support/FixtureHttpServer.h"
#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <variant>

namespace {

using Error = OVGribFilterClient::Error;
using TransportError = OVGribFilterQueueFetcher::TransportError;

const QString kGfs = QStringLiteral("/pub/data/nccf/com/gfs/prod");
const QString kNam = QStringLiteral("/pub/data/nccf/com/nam/prod");
const QString kFilter = QStringLiteral("/cgi-bin/filter_gfs_0p25_1hr.pl");
const QString kGribReply = QStringLiteral("grib/gfs_1p00_grib-filter_10m_wind_2018100618_f000.grib2");

FixtureResponse listing(const char *file)
{
    return FixtureResponse::file(testDataPath(QStringLiteral("gribfilter/") + QLatin1String(file)), "text/html");
}

QString errorText(const Error &error)
{
    switch (error.errorCase()) {
    case Error::Case::invalidResponse: return QStringLiteral("invalidResponse %1").arg(error.statusCode());
    case Error::Case::noCompleteRunFound: return QStringLiteral("noCompleteRunFound");
    case Error::Case::noForecastHoursFound: return QStringLiteral("noForecastHoursFound");
    case Error::Case::invalidData: return QStringLiteral("invalidData");
    case Error::Case::invalidURL: return QStringLiteral("invalidURL");
    }
    return QString();
}

// Runs the event loop until the future is done: its value, or the text of its failure.
template <typename T>
std::variant<T, QString> settle(QFuture<T> future)
{
    if (!waitUntil([&] { return future.isFinished(); }, 60000))
        return QStringLiteral("still pending");
    try {
        future.waitForFinished();
    } catch (const Error &error) {
        return errorText(error);
    } catch (const TransportError &error) {
        return QStringLiteral("transport error for ") + error.url().path();
    } catch (const OVGribFilterClient::WriteError &error) {
        return QStringLiteral("write error for ") + error.path();
    }
    if (future.resultCount() == 0)
        return QStringLiteral("cancelled");
    return future.result();
}

QString describe(const std::variant<ModelRun, QString> &outcome)
{
    if (const auto *failure = std::get_if<QString>(&outcome))
        return *failure;
    const ModelRun &run = std::get<ModelRun>(outcome);
    return QStringLiteral("%1 %2 %3").arg(run.configuration.name, run.date).arg(run.hour);
}

struct Recorded
{
    QUrl url;
    QString description;
    qint64 expectedSize;
};

class GribFilterClientTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.start()) << server.errorString().toStdString();
        OVUserDefaults::standard().setObject(server.baseUrl(), NBSettingKey::modelDataServerURL);
    }

    void TearDown() override { OVUserDefaults::standard().removeObject(NBSettingKey::modelDataServerURL); }

    // A client on the download queue whose fetcher also notes every call.
    std::unique_ptr<OVGribFilterClient> makeClient()
    {
        OVGribFilterClient::DataFetcher queue = OVGribFilterQueueFetcher::dataFetcher();
        auto fetcher = [this, queue](const QUrl &url, const QString &description, qint64 expectedSize) {
            recorded.append({url, description, expectedSize});
            return queue(url, description, expectedSize);
        };
        return std::make_unique<OVGribFilterClient>(fetcher, OVGribFilterClient::defaultBaseURL());
    }

    QStringList requestedPaths() const
    {
        QStringList paths;
        for (const FixtureRequest &request : server.requests())
            paths.append(request.path);
        return paths;
    }

    // Serves a gfs model listing without gfs dates, held back until the gate opens.
    std::shared_ptr<FixtureGate> holdModelListing()
    {
        auto gate = std::make_shared<FixtureGate>();
        FixtureResponse held = listing("gfs_prod_without_gfs.html");
        held.gate = gate;
        server.serve(kGfs, held);
        return gate;
    }

    ModelRun gfsRun(const char *date, int hour) const
    {
        return ModelRun{ModelConfiguration::gfs_0p25_1hr(), QString::fromLatin1(date), hour};
    }

    FixtureHttpServer server;
    QList<Recorded> recorded;
};

const QList<ModelVariableLevel> kParticleRequest{
    {{"UGRD"}, {"10 m above ground"}}, {{"VGRD"}, {"10 m above ground"}}, {{"TMP"}, {"2 m above ground"}}};

} // namespace

TEST_F(GribFilterClientTest, DefaultBaseURLIsTheStoredHostElseTheRegisteredOne)
{
    EXPECT_EQ(OVGribFilterClient::defaultBaseURL(), QUrl(server.baseUrl()));
    OVUserDefaults::standard().setObject(server.baseUrl() + QStringLiteral("//"), NBSettingKey::modelDataServerURL);
    EXPECT_EQ(OVGribFilterClient::defaultBaseURL(), QUrl(server.baseUrl()));
    OVUserDefaults::standard().removeObject(NBSettingKey::modelDataServerURL);
    EXPECT_EQ(OVGribFilterClient::defaultBaseURL(), QUrl(QStringLiteral("https://nomads.ncep.noaa.gov")));
    EXPECT_EQ(NBRegisteredDefaults::table().value(NBSettingKey::modelDataServerURL).toString(),
              QStringLiteral("https://nomads.ncep.noaa.gov"));
}

TEST_F(GribFilterClientTest, RunSearch)
{
    const QString d0301 = kGfs + QStringLiteral("/gfs.20240301");
    const QString d0229 = kGfs + QStringLiteral("/gfs.20240229");
    FixtureResponse cutListing = listing("gfs_prod.html");
    cutListing.dropAfterBytes = 400;
    struct Case
    {
        const char *name;
        ModelConfiguration configuration;
        QList<std::pair<QString, FixtureResponse>> routes;
        QString outcome;
        QStringList requests;
    };
    const Case cases[] = {
        {"no gfs date",
         ModelConfiguration::gfs_0p25_1hr(),
         {{kGfs, listing("gfs_prod_without_gfs.html")}},
         "noCompleteRunFound",
         {kGfs}},
        {"cycle 18 lacks its final file, cycle 12 has it",
         ModelConfiguration::gfs_0p25_1hr(),
         {{kGfs, listing("gfs_prod.html")},
          {d0301, listing("gfs.20240301.html")},
          {d0301 + "/18/atmos", listing("gfs.20240301_18_atmos.html")},
          {d0301 + "/12/atmos", listing("gfs.20240301_12_atmos.html")}},
         "gfs_0p25_1hr 20240301 12",
         {kGfs, d0301, d0301 + "/18/atmos", d0301 + "/12/atmos"}},
        {"newest date incomplete, the day before complete at 06",
         ModelConfiguration::gfs_0p25_1hr(),
         {{kGfs, listing("gfs_prod.html")},
          {d0301, listing("gfs.20240301_cycle00_only.html")},
          {d0301 + "/00/atmos", listing("gfs.20240301_00_atmos_partial.html")},
          {d0229, listing("gfs.20240229.html")},
          {d0229 + "/06/atmos", listing("gfs.20240229_06_atmos.html")}},
         "gfs_0p25_1hr 20240229 6",
         {kGfs, d0301, d0301 + "/00/atmos", d0229, d0229 + "/06/atmos"}},
        {"no hour folders: one listing answers for every cycle",
         ModelConfiguration::nam_conus(),
         {{kNam, listing("nam_prod.html")}, {kNam + "/nam.20240301", listing("nam.20240301.html")}},
         "nam_conus 20240301 6",
         {kNam, kNam + "/nam.20240301"}},
        {"a failing model listing ends the search",
         ModelConfiguration::gfs_0p25_1hr(),
         {{kGfs, FixtureResponse::error(500)}},
         "invalidResponse 500",
         {kGfs}},
        {"a missing run folder ends the search",
         ModelConfiguration::gfs_0p25_1hr(),
         {{kGfs, listing("gfs_prod.html")},
          {d0301, listing("gfs.20240301.html")},
          {d0301 + "/12/atmos", listing("gfs.20240301_12_atmos.html")}},
         "invalidResponse 404",
         {kGfs, d0301, d0301 + "/18/atmos"}},
        {"a listing that is not UTF-8",
         ModelConfiguration::gfs_0p25_1hr(),
         {{kGfs, FixtureResponse::text("<a href=\"gfs.20240301/\">\xC3\x28</a>", "text/html")}},
         "invalidData",
         {kGfs}},
        {"a listing that ends inside a character",
         ModelConfiguration::gfs_0p25_1hr(),
         {{kGfs, FixtureResponse::text("<a href=\"gfs.20240301/\">gfs.20240301/</a>\xE2\x80", "text/html")}},
         "invalidData",
         {kGfs}},
        {"a listing cut off after its status",
         ModelConfiguration::gfs_0p25_1hr(),
         {{kGfs, cutListing}},
         "transport error for " + kGfs,
         {kGfs}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        server.clearRequests();
        for (const QString &path : {kGfs, d0301, d0301 + "/18/atmos", d0301 + "/12/atmos", d0301 + "/00/atmos", d0229,
                                    d0229 + "/06/atmos", kNam, kNam + "/nam.20240301"})
            server.serve(path, FixtureResponse::error(404));
        for (const auto &[path, response] : c.routes)
            server.serve(path, response);
        auto client = makeClient();
        EXPECT_EQ(describe(settle(client->fetchLatestCompleteRun(c.configuration))), c.outcome);
        EXPECT_EQ(requestedPaths(), c.requests);
    }
}

TEST_F(GribFilterClientTest, DescriptionsNameWhatIsFetched)
{
    const QString d0301 = kGfs + QStringLiteral("/gfs.20240301");
    server.serve(kGfs, listing("gfs_prod.html"));
    server.serve(d0301, listing("gfs.20240301.html"));
    server.serve(d0301 + "/18/atmos", listing("gfs.20240301_18_atmos.html"));
    server.serve(d0301 + "/12/atmos", listing("gfs.20240301_12_atmos.html"));
    server.serveFile(d0301 + "/12/atmos/gfs.t12z.pgrb2.0p25.f000.idx",
                     testDataPath("gribfilter/gfs.t06z.pgrb2.0p25.f000.idx"), "text/plain");
    server.serveFile(kFilter, testDataPath(kGribReply), "application/octet-stream");
    auto client = makeClient();
    const auto run = settle(client->fetchLatestCompleteRun(ModelConfiguration::gfs_0p25_1hr()));
    ASSERT_TRUE(std::holds_alternative<ModelRun>(run)) << describe(run).toStdString();
    const ModelRun found = std::get<ModelRun>(run);
    const auto hours = settle(client->fetchForecastHours(found));
    ASSERT_TRUE((std::holds_alternative<QList<ForecastHour>>(hours)));
    const ForecastHour first = std::get<QList<ForecastHour>>(hours).first();
    EXPECT_TRUE((std::holds_alternative<ModelInventory>(settle(client->fetchInventory(found)))));
    EXPECT_TRUE((std::holds_alternative<QByteArray>(settle(client->fetchModelData(found, first, kParticleRequest)))));

    const QString name = QStringLiteral("GFS 0.25° Hourly");
    const QList<std::pair<QString, qint64>> expected{
        {"Fetching model directory for " + name, 0},        {"Fetching cycle directory for " + name, 0},
        {"Fetching run directory for " + name, 0},          {"Fetching run directory for " + name, 0},
        {"Fetching forecast hours for " + name, 0},         {"Fetching model inventory for " + name, 0},
        {"Fetching model data for UGRD/VGRD/TMP", 12458880}};
    QList<std::pair<QString, qint64>> seen;
    for (const Recorded &r : recorded)
        seen.append({r.description, r.expectedSize});
    EXPECT_EQ(seen, expected);
}

TEST_F(GribFilterClientTest, TheDownloadQueueShowsARequestWhileItRuns)
{
    const auto gate = holdModelListing();
    auto client = makeClient();
    QFuture<ModelRun> search = client->fetchLatestCompleteRun(ModelConfiguration::gfs_0p25_1hr());

    const QString url = server.baseUrl() + kGfs;
    auto queued = [&] {
        for (const QVariantMap &entry : OVURLManager::sharedURLManager().managedURLStatus()) {
            if (entry.value("urlString").toString() == url &&
                entry.value("urlDescription").toString() ==
                    QStringLiteral("Fetching model directory for GFS 0.25° Hourly"))
                return true;
        }
        return false;
    };
    ASSERT_TRUE(waitUntil(queued, 10000));
    EXPECT_FALSE(search.isFinished());
    gate->open();
    EXPECT_EQ(describe(settle(search)), "noCompleteRunFound");
    EXPECT_FALSE(queued());
}

TEST_F(GribFilterClientTest, ForecastHoursOfARun)
{
    const QString runFolder = kGfs + QStringLiteral("/gfs.20240301/12/atmos");
    auto client = makeClient();

    server.serve(runFolder, listing("gfs.20240301_12_atmos.html"));
    const auto hours = settle(client->fetchForecastHours(gfsRun("20240301", 12)));
    ASSERT_TRUE((std::holds_alternative<QList<ForecastHour>>(hours)));
    const QList<ForecastHour> expected{{0, "gfs.t12z.pgrb2.0p25.f000"},
                                       {1, "gfs.t12z.pgrb2.0p25.f001"},
                                       {2, "gfs.t12z.pgrb2.0p25.f002"},
                                       {119, "gfs.t12z.pgrb2.0p25.f119"},
                                       {120, "gfs.t12z.pgrb2.0p25.f120"}};
    EXPECT_EQ(std::get<QList<ForecastHour>>(hours), expected);

    // A folder of another cycle's files lists no hour of this run.
    server.serve(runFolder, listing("gfs.20240301_18_atmos.html"));
    const auto none = settle(client->fetchForecastHours(gfsRun("20240301", 12)));
    ASSERT_TRUE(std::holds_alternative<QString>(none));
    EXPECT_EQ(std::get<QString>(none), "noForecastHoursFound");
}

TEST_F(GribFilterClientTest, InventoriesOfRealFiles)
{
    struct Case
    {
        ModelConfiguration configuration;
        const char *path;
        const char *file;
    };
    const Case cases[] = {
        {ModelConfiguration::hrrr(), "/pub/data/nccf/com/hrrr/prod/hrrr.20231201/conus/hrrr.t00z.wrfsfcf00.grib2.idx",
         "hrrr.t00z.wrfsfcf00.grib2.idx"},
        {ModelConfiguration::rap(), "/pub/data/nccf/com/rap/prod/rap.20231201/rap.t00z.awp130pgrbf00.grib2.idx",
         "rap.t00z.awp130pgrbf00.grib2.idx"},
    };
    auto client = makeClient();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        server.clearRequests();
        const QString file = testDataPath(QStringLiteral("gribfilter/") + QLatin1String(c.file));
        server.serveFile(QLatin1String(c.path), file, "text/plain");
        const auto outcome = settle(client->fetchInventory(ModelRun{c.configuration, "20231201", 0}));
        ASSERT_TRUE(std::holds_alternative<ModelInventory>(outcome)) << std::get<QString>(outcome).toStdString();
        EXPECT_EQ(requestedPaths(), QStringList{QLatin1String(c.path)});

        // The same pairs as `cut -d: -f4,5 | sort -u` of the file.
        QSet<QString> pairs;
        for (const auto &[variable, levels] : std::get<ModelInventory>(outcome).levelsForVariable) {
            for (const ModelLevel &level : levels)
                pairs.insert(variable.name + QLatin1Char(':') + level.description);
        }
        const QStringList expected =
            QString::fromUtf8(readTestFile(file + QStringLiteral(".fields"))).split('\n', Qt::SkipEmptyParts);
        EXPECT_EQ(pairs, QSet<QString>(expected.begin(), expected.end()));
        EXPECT_GT(pairs.size(), 100);
    }
}

TEST_F(GribFilterClientTest, InventoryWithoutAForecastHourIsTheFirstFileOfTheCycle)
{
    const QString path = kGfs + QStringLiteral("/gfs.20240301/06/atmos/gfs.t06z.pgrb2.0p25.f000.idx");
    server.serveFile(path, testDataPath("gribfilter/gfs.t06z.pgrb2.0p25.f000.idx"), "text/plain");
    auto client = makeClient();
    const auto outcome = settle(client->fetchInventory(gfsRun("20240301", 6)));
    ASSERT_TRUE(std::holds_alternative<ModelInventory>(outcome)) << std::get<QString>(outcome).toStdString();
    EXPECT_EQ(requestedPaths(), QStringList{path});
    const auto &levels = std::get<ModelInventory>(outcome).levelsForVariable;
    EXPECT_EQ(levels.size(), 4u);
    EXPECT_EQ(levels.at(ModelVariable{"TMP"}), ModelInventory::LevelSet{ModelLevel{"2 m above ground"}});
}

TEST_F(GribFilterClientTest, FilterDownloadOfTheParticleRequest)
{
    server.serveFile(kFilter, testDataPath(kGribReply), "application/octet-stream");
    auto client = makeClient();
    const ForecastHour hour{0, QStringLiteral("gfs.t12z.pgrb2.0p25.f000")};
    const auto outcome = settle(client->fetchModelData(gfsRun("20240301", 12), hour, kParticleRequest));
    ASSERT_TRUE(std::holds_alternative<QByteArray>(outcome)) << std::get<QString>(outcome).toStdString();
    EXPECT_EQ(std::get<QByteArray>(outcome), readTestFile(testDataPath(kGribReply)));

    ASSERT_EQ(server.requests().size(), 1);
    const FixtureRequest request = server.requests().first();
    EXPECT_EQ(request.path, kFilter);
    const QList<std::pair<QString, QString>> expected{
        {"file", "gfs.t12z.pgrb2.0p25.f000"}, {"var_UGRD", "on"},
        {"lev_10_m_above_ground", "on"},      {"var_VGRD", "on"},
        {"lev_10_m_above_ground", "on"},      {"var_TMP", "on"},
        {"lev_2_m_above_ground", "on"},       {"dir", "/gfs.20240301/12/atmos"}};
    EXPECT_EQ(cgiQueryItems(request.query), expected);

    ASSERT_EQ(recorded.size(), 1);
    EXPECT_EQ(recorded.first().expectedSize, 12458880);
    EXPECT_EQ(recorded.first().description, "Fetching model data for UGRD/VGRD/TMP");
}

TEST_F(GribFilterClientTest, FilterDownloadErrorsAreTyped)
{
    auto client = makeClient();
    const ForecastHour hour{0, QStringLiteral("gfs.t12z.pgrb2.0p25.f000")};
    server.serve(kFilter, FixtureResponse::text("<html>no such file</html>", "text/html", 404));
    EXPECT_EQ(std::get<QString>(settle(client->fetchModelData(gfsRun("20240301", 12), hour, kParticleRequest))),
              "invalidResponse 404");

    OVGribFilterClient noBase(OVGribFilterQueueFetcher::dataFetcher(), QUrl());
    server.clearRequests();
    EXPECT_EQ(std::get<QString>(settle(noBase.fetchModelData(gfsRun("20240301", 12), hour, kParticleRequest))),
              "invalidURL");
    EXPECT_EQ(server.requestCount(), 0);
}

TEST_F(GribFilterClientTest, FilterDownloadDestinations)
{
    server.serveFile(kFilter, testDataPath(kGribReply), "application/octet-stream");
    const QByteArray bytes = readTestFile(testDataPath(kGribReply));
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    auto client = makeClient();
    const ForecastHour hour{0, QStringLiteral("gfs.t12z.pgrb2.0p25.f000")};
    auto download = [&](const QString &path) {
        return settle(
            client->fetchModelData(gfsRun("20240301", 12), hour, kParticleRequest, QUrl::fromLocalFile(path)));
    };

    // A good destination holds the bytes, replacing an older file.
    const QString good = folder.filePath("wind.grib2");
    writeTestFile(good, "older file");
    auto outcome = download(good);
    ASSERT_TRUE(std::holds_alternative<QByteArray>(outcome)) << std::get<QString>(outcome).toStdString();
    EXPECT_EQ(std::get<QByteArray>(outcome), bytes);
    EXPECT_EQ(readTestFile(good), bytes);

    // A missing folder is logged; nothing is written, and the bytes still come back.
    const QString missingFolder = folder.filePath("missing");
    {
        LogCapture log;
        outcome = download(missingFolder + "/wind.grib2");
        ASSERT_TRUE(std::holds_alternative<QByteArray>(outcome)) << std::get<QString>(outcome).toStdString();
        EXPECT_EQ(std::get<QByteArray>(outcome), bytes);
        EXPECT_TRUE(log.contains("Error: parent directory does not exist: " + missingFolder));
    }
    EXPECT_FALSE(QFileInfo::exists(missingFolder));

    // A destination that cannot be written fails, and leaves nothing partial beside it.
    const QString taken = folder.filePath("taken.grib2");
    ASSERT_TRUE(QDir(folder.path()).mkdir("taken.grib2"));
    const QStringList before = QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    outcome = download(taken);
    ASSERT_TRUE(std::holds_alternative<QString>(outcome));
    EXPECT_EQ(std::get<QString>(outcome), "write error for " + taken);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
    EXPECT_TRUE(QFileInfo(taken).isDir());
}

TEST_F(GribFilterClientTest, FuturesResolveAfterTheClientIsGone)
{
    const auto gate = holdModelListing();
    auto client = makeClient();
    QFuture<ModelRun> search = client->fetchLatestCompleteRun(ModelConfiguration::gfs_0p25_1hr());
    ASSERT_TRUE(waitUntil([&] { return server.requestCount(kGfs) == 1; }, 10000));
    client.reset();
    gate->open();
    EXPECT_EQ(describe(settle(search)), "noCompleteRunFound");
}
