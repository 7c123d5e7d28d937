// The assistant against the fixture model server (no grid cache folder is set in this process,
// as in the program): levels, grid requests with the server's request log, the turn of a
// global grid to -180, a regional grid across 180 degrees, short replies and unknown types.
#include "OpenDAPTestSupport.h"
#include "opendap/OVOpenDAPAssistant.h"

#include "core/NBRegisteredDefaults.h"
#include "core/OVGrid.h"
#include "platform/OVUserDefaults.h"
#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <QTimeZone>

#include <atomic>
#include <mutex>

namespace {

const QString kGFSRun = QStringLiteral("dods/gfs_0p25/gfs20240319/gfs_0p25_00z");
const QString kNAMRun = QStringLiteral("dods/nam/nam20240319/nam_ak_00z");

QDateTime utc(int day, int hour)
{
    return QDateTime(QDate(2024, 3, day), QTime(hour, 0), QTimeZone::utc());
}

// Holds what a block received and how often it was called.
template <class T>
class Answer
{
public:
    std::function<void(T)> block()
    {
        return [this](T value) {
            std::lock_guard lock(mMutex);
            mValue = std::move(value);
            ++mCalls;
        };
    }
    // Waits for the first call, then a little for a second one that must not come.
    T wait()
    {
        EXPECT_TRUE(waitUntil([this] { return mCalls >= 1; }, 15000));
        waitUntil([] { return false; }, 100);
        EXPECT_EQ(mCalls, 1);
        std::lock_guard lock(mMutex);
        return mValue;
    }

private:
    std::mutex mMutex;
    T mValue{};
    std::atomic<int> mCalls{0};
};

using GridAnswer = Answer<std::shared_ptr<OVGrid>>;
using LevelsAnswer = Answer<OVOpenDAPAssistant::Levels>;

// The collections live in the process-wide registry, so one server serves every test.
class Assistant : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        service = new DAP2Service;
        service->serveModelServer();
    }
    static void TearDownTestSuite()
    {
        OVUserDefaults::standard().removeObject(NBSettingKey::modelDataServerURL);
        delete service;
        service = nullptr;
    }
    void SetUp() override { service->http.clearRequests(); }

    static std::shared_ptr<OVGrid> grid(const QString &variable, std::optional<double> level,
                                        const QDateTime &forecastTime, int64_t type = 20,
                                        const QDateTime &run = utc(19, 0))
    {
        GridAnswer answer;
        if (level)
            OVOpenDAPAssistant::requestGridForVariable(variable, *level, run, forecastTime, type, answer.block());
        else
            OVOpenDAPAssistant::requestGridForVariable(variable, run, forecastTime, type, answer.block());
        return answer.wait();
    }

    static inline DAP2Service *service = nullptr;
    LogCapture log;
};

} // namespace

TEST_F(Assistant, LevelsOfAVariable)
{
    LevelsAnswer levels;
    OVOpenDAPAssistant::levelsForVariable("tmpprs", utc(19, 0), 20, levels.block());
    EXPECT_EQ(levels.wait(), (std::vector<double>{1000, 850, 500, 10}));
    const int requests = service->http.requests().size();

    // From memory the second time, on the caller's thread.
    auto again = std::make_shared<std::optional<OVOpenDAPAssistant::Levels>>();
    OVOpenDAPAssistant::levelsForVariable("tmpprs", utc(19, 0), 20,
                                          [again](const OVOpenDAPAssistant::Levels &values) { *again = values; });
    ASSERT_TRUE(*again);
    EXPECT_EQ(**again, (std::vector<double>{1000, 850, 500, 10}));
    EXPECT_EQ(service->http.requests().size(), requests);

    LevelsAnswer surface;
    OVOpenDAPAssistant::levelsForVariable("tmp2m", utc(19, 0), 20, surface.block());
    EXPECT_EQ(surface.wait(), std::vector<double>{0.0});

    LevelsAnswer unknown;
    OVOpenDAPAssistant::levelsForVariable("nosuch", utc(19, 0), 20, unknown.block());
    EXPECT_FALSE(unknown.wait());
    EXPECT_EQ(OVOpenDAPAssistant::cacheKeyOfDimensionData("lev", "tmpprs", utc(19, 0), 20),
              "lev_____tmpprs_____2024-03-19 00:00:00 +0000_____20");
    EXPECT_EQ(OVOpenDAPAssistant::cacheKeyOfDimensionData("lev", QString(), QDateTime(), 44), "lev_______________44");
}

TEST_F(Assistant, LevelAndStepChooseTheSlice)
{
    struct Case
    {
        const char *variable;
        std::optional<double> level;
        QDateTime forecastTime;
        const char *constraint;
    };
    const Case cases[] = {
        {"tmpprs", 500.0, utc(19, 3), "tmpprs[1][2][0:4][0:7]"},
        {"tmpprs", 520.0, utc(19, 0), "tmpprs[0][2][0:4][0:7]"},
        {"tmpprs", std::nullopt, utc(19, 5), "tmpprs[2][3][0:4][0:7]"},
        {"tmpprs", 1000.0, utc(20, 0), "tmpprs[2][0][0:4][0:7]"},
        {"tmp2m", 500.0, utc(19, 1), "tmp2m[0][0:4][0:7]"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.constraint);
        service->http.clearRequests();
        const auto result = grid(c.variable, c.level, c.forecastTime);
        ASSERT_TRUE(result);
        const QStringList constraints = service->dataConstraints(kGFSRun);
        ASSERT_FALSE(constraints.isEmpty());
        EXPECT_EQ(constraints.last(), QString::fromLatin1(c.constraint));
    }
    EXPECT_TRUE(log.contains("[OVOpenDAPCache cacheReady] Cache isn't ready."));
}

TEST_F(Assistant, AGlobalGridStartsAtMinus180WithNorthOnTop)
{
    const auto result = grid("tmpprs", 500.0, utc(19, 3));
    ASSERT_TRUE(result);
    EXPECT_EQ(result->xResolution(), 8u);
    EXPECT_EQ(result->yResolution(), 5u);
    EXPECT_EQ(result->geoRect().minPoint.longitude, -180.0);
    EXPECT_EQ(result->geoRect().maxPoint.longitude, 135.0);
    EXPECT_EQ(result->geoRect().minPoint.latitude, -90.0);
    EXPECT_EQ(result->geoRect().maxPoint.latitude, 90.0);
    int missing = 0;
    for (int row = 0; row < 5; ++row) {
        for (int column = 0; column < 8; ++column) {
            SCOPED_TRACE(testing::Message() << "row " << row << " column " << column);
            const int y = 4 - row;          // north first
            const int x = (column + 4) % 8; // the old column 4 (180 degrees) first
            const double served = gradsTmpprs(1, 2, y, x);
            const double expected = served == double(9.999e20f) ? -1000.0 : served;
            missing += expected == -1000.0;
            EXPECT_EQ(result->values()[size_t(column + 8 * row)], expected);
        }
    }
    EXPECT_GT(missing, 0);
}

TEST_F(Assistant, ARegionalGridAcross180KeepsItsColumns)
{
    const auto result = grid("tmp2m", std::nullopt, utc(19, 3), 44);
    ASSERT_TRUE(result);
    EXPECT_EQ(service->dataConstraints(kNAMRun).last(), "tmp2m[1][0:3][0:19]");
    EXPECT_EQ(result->geoRect().minPoint.longitude, 160.0);
    EXPECT_EQ(result->geoRect().maxPoint.longitude, 255.0);
    EXPECT_EQ(result->geoRect().minPoint.latitude, 40.0);
    EXPECT_EQ(result->geoRect().maxPoint.latitude, 70.0);
    ASSERT_EQ(result->values().size(), 80u);
    for (int row = 0; row < 4; ++row) {
        for (int x = 0; x < 20; ++x) {
            const int y = 3 - row;
            const double expected = (1 + y + x) % 11 == 3 ? -1000.0 : 251.0 + 2.0 * y + 0.25 * x;
            EXPECT_EQ(result->values()[size_t(x + 20 * row)], expected) << "row " << row << " column " << x;
        }
    }
}

TEST_F(Assistant, AReplyOneRowShortGivesNothing)
{
    // The levels first, so only the grid's reply is cut.
    LevelsAnswer levels;
    OVOpenDAPAssistant::levelsForVariable("tmpprs", utc(19, 0), 20, levels.block());
    ASSERT_TRUE(levels.wait());
    DAP2FixtureServer::Switches cut;
    cut.oneRowFewer = true;
    service->dap.setSwitches("/" + kGFSRun + ".dods", cut);
    EXPECT_FALSE(grid("tmpprs", 850.0, utc(19, 6)));
    service->dap.setSwitches("/" + kGFSRun + ".dods", DAP2FixtureServer::Switches{});
    EXPECT_TRUE(grid("tmpprs", 850.0, utc(19, 6)));
}

TEST_F(Assistant, NoRunNoVariableOrAnUnknownTypeGiveNothing)
{
    EXPECT_FALSE(grid("nosuch", 500.0, utc(19, 0)));
    EXPECT_FALSE(grid("tmpprs", 500.0, utc(19, 0), 23));
    EXPECT_TRUE(log.contains("[OVOpenDAPAssistant requestGridForVariable:] Collection type not valid."));
    LevelsAnswer levels;
    OVOpenDAPAssistant::levelsForVariable("tmpprs", utc(19, 0), 23, levels.block());
    EXPECT_FALSE(levels.wait());
    EXPECT_TRUE(log.contains("[OVOpenDAPAssistant requestDimensionDataForArgument:] Collection type not valid."));
    EXPECT_EQ(OVOpenDAPAssistant::collectionWithType(20), OVOpenDAPAssistant::collectionWithType(20));
    EXPECT_FALSE(OVOpenDAPAssistant::collectionWithType(23));
}

TEST(GridFromReply, TurnsOnlyGridsRoundTheWholeCircle)
{
    struct Case
    {
        const char *name;
        double lonMin, lonMax, resolution;
        int64_t columns;
        double west, east;
        int64_t firstColumn; // the served column that comes first
    };
    const Case cases[] = {
        {"quarter degree from 0", 0.0, 359.75, 0.25, 1440, -180.0, 179.75, 720},
        {"45 degrees from 0", 0.0, 315.0, 45.0, 8, -180.0, 135.0, 4},
        {"from -180", -180.0, 179.75, 0.25, 1440, -180.0, 179.75, 0},
        {"regional across 180", 160.0, 255.0, 5.0, 20, 160.0, 255.0, 0},
        {"regional east of 180", 200.0, 300.0, 1.0, 101, 200.0, 300.0, 0},
        {"one column", 190.0, 190.0, 0.5, 1, 190.0, 190.0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        OVOpenDAPSource::Axes axes;
        axes.latitudeMin = -10.0;
        axes.latitudeMax = 10.0;
        axes.latitudeSize = 3;
        axes.longitudeMin = c.lonMin;
        axes.longitudeMax = c.lonMax;
        axes.longitudeResolution = c.resolution;
        axes.longitudeSize = c.columns;
        std::vector<double> values;
        for (int64_t row = 0; row < 3; ++row) {
            for (int64_t column = 0; column < c.columns; ++column)
                values.push_back(double(column + 10000 * row));
        }
        const auto result = OVOpenDAPAssistant::gridFromReply(values, axes, -9999.0);
        ASSERT_TRUE(result);
        EXPECT_EQ(result->geoRect().minPoint.longitude, c.west);
        EXPECT_EQ(result->geoRect().maxPoint.longitude, c.east);
        EXPECT_EQ(result->values()[0], double(c.firstColumn + 20000)); // the northernmost row first
        if (c.columns > 1)
            EXPECT_EQ(result->values()[size_t(c.columns) * 2 + 1], double((c.firstColumn + 1) % c.columns));

        values.resize(values.size() - size_t(c.columns)); // one row short
        EXPECT_FALSE(OVOpenDAPAssistant::gridFromReply(values, axes, -9999.0));
    }
}

TEST(GridFromReply, LevelIndexIsTheFirstNearest)
{
    const std::vector<double> levels = {1000, 975, 950, 925, 900, 850, 800, 750, 700, 650, 600, 550, 500,
                                        450,  400, 350, 300, 250, 200, 150, 100, 70,  50,  30,  20,  10};
    EXPECT_EQ(OVOpenDAPAssistant::levelIndexForLevel(levels, 500.0), 12u);
    EXPECT_EQ(OVOpenDAPAssistant::levelIndexForLevel(levels, 0.0), levels.size() - 1);
    EXPECT_EQ(OVOpenDAPAssistant::levelIndexForLevel(levels, 987.5), 0u); // a tie: the first
    EXPECT_EQ(OVOpenDAPAssistant::levelIndexForLevel(std::vector<double>{}, 500.0), 0u);
    EXPECT_EQ(OVOpenDAPAssistant::levelIndexForLevel(std::nullopt, 500.0), 0u);
}

TEST_F(Assistant, PreparingAndRefreshing)
{
    const auto collection = OVOpenDAPAssistant::collectionWithType(20);
    BlockCounter first;
    OVOpenDAPAssistant::prepareCollection(collection, false, first.block());
    ASSERT_TRUE(first.waitFor(1));
    ASSERT_TRUE(collection->ready());
    service->http.clearRequests();

    // Ready: no new discovery unless forced.
    BlockCounter prepared;
    OVOpenDAPAssistant::prepareCollection(collection, false, prepared.block());
    ASSERT_TRUE(prepared.waitFor(1));
    EXPECT_EQ(service->http.requestCount("/dods/gfs_0p25/"), 0);
    OVOpenDAPAssistant::prepareCollection(collection, true, prepared.block());
    ASSERT_TRUE(prepared.waitFor(2));
    EXPECT_EQ(service->http.requestCount("/dods/gfs_0p25/"), 1);

    OVOpenDAPAssistant::prepareCollection(nullptr, false, prepared.block());
    OVOpenDAPAssistant::prepareSource(nullptr, false, prepared.block());
    EXPECT_TRUE(log.contains("[OVOpenDAPAssistant prepareCollection] collection is required."));
    EXPECT_TRUE(log.contains("[OVOpenDAPAssistant prepareSource] source is required."));

    // A refresh reads the listings again and loads the newest run's documents.
    service->http.clearRequests();
    OVOpenDAPAssistant::refreshCollectionSourceLists();
    EXPECT_TRUE(
        waitUntil([] { return service->http.requestCount("/dods/gfs_0p25/gfs20240319/gfs_0p25_18z.das") > 0; }));
    EXPECT_EQ(service->http.requestCount("/dods/gfs_0p25/"), 1);
    EXPECT_EQ(prepared.calls(), 2);
}
