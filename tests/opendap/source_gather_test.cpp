// Gathering a dataset's documents over the DAP2 fixture service: repeats, give-ups, joined
// gathers and the single finish of each gather.
#include "OpenDAPTestSupport.h"

#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <QMutex>

namespace {

class SourceGather : public testing::Test
{
protected:
    DAP2Service service;
    LogCapture log;
};

} // namespace

TEST_F(SourceGather, ADasThatFailsOnceIsLoadedAgain)
{
    service.dap.setSwitches("/gfs_0p25_00z.das", {.status = 404, .times = 1});
    const auto source = service.gatheredSource("gfs_0p25_00z");
    EXPECT_TRUE(source->ready());
    EXPECT_FALSE(source->isLoading());
    EXPECT_EQ(service.http.requestCount("/gfs_0p25_00z.das"), 2);
    EXPECT_EQ(service.http.requestCount("/gfs_0p25_00z.dds"), 1);
    EXPECT_TRUE(log.contains("[OVOpenDAPSource gatherData] Unable to parse the DAS, retrying."));
}

TEST_F(SourceGather, ADdsWithoutGridGivesUpAfterTwoLoads)
{
    const auto source = service.source("fnoc1.nc");
    BlockCounter counter;
    source->gatherDataWithCompletionBlock(counter.block());
    ASSERT_TRUE(counter.waitFor(1));
    waitUntil([] { return false; }, 200); // time for a second call that must not come
    EXPECT_EQ(counter.calls(), 1);
    EXPECT_FALSE(source->ready());
    EXPECT_TRUE(source->dasReady());
    EXPECT_EQ(service.http.requestCount("/fnoc1.nc.dds"), 2);
    EXPECT_TRUE(log.contains("[OVOpenDAPSource gatherData] Could not parse the DDS:  Dataset {"));
}

TEST_F(SourceGather, ADocumentThatNeverArrivesGivesUpWithItsLine)
{
    service.dap.setSwitches("/gfs_0p25_00z.dds", {.status = 500});
    const auto source = service.gatheredSource("gfs_0p25_00z");
    EXPECT_FALSE(source->ready());
    EXPECT_EQ(service.http.requestCount("/gfs_0p25_00z.dds"), 2);
    EXPECT_TRUE(log.contains("[OVOpenDAPSource gatherData] Could not get DDS."));
}

TEST_F(SourceGather, ConcurrentGathersShareOneLoadAndFinishInOrder)
{
    auto gate = std::make_shared<FixtureGate>();
    service.dap.setSwitches("/gfs_0p25_00z.das", {.gate = gate});
    const auto source = service.source("gfs_0p25_00z");
    QMutex mutex;
    QStringList order;
    source->gatherDataWithCompletionBlock([&] {
        QMutexLocker lock(&mutex);
        order << "first";
    });
    source->gatherDataWithCompletionBlock([&] {
        QMutexLocker lock(&mutex);
        order << "second";
    });
    EXPECT_TRUE(source->isLoading());
    gate->open();
    ASSERT_TRUE(waitUntil([&] {
        QMutexLocker lock(&mutex);
        return order.size() == 2;
    }));
    EXPECT_EQ(order, (QStringList{"first", "second"}));
    EXPECT_EQ(service.http.requestCount("/gfs_0p25_00z.das"), 1);
    EXPECT_EQ(service.http.requestCount("/gfs_0p25_00z.dds"), 1);
    EXPECT_TRUE(source->ready());
}

// Both documents parse at the same moment on two pool threads: each gather still finishes once.
TEST_F(SourceGather, DocumentsReleasedTogetherFinishEveryGatherExactlyOnce)
{
    const auto source = service.source("gfs_0p25_00z");
    constexpr int kRounds = 200;
    std::vector<std::atomic<int>> calls(kRounds);
    for (int round = 0; round < kRounds; ++round) {
        auto gate = std::make_shared<FixtureGate>();
        service.dap.setSwitches("/gfs_0p25_00z.das", {.gate = gate, .times = 1});
        service.dap.setSwitches("/gfs_0p25_00z.dds", {.gate = gate, .times = 1});
        source->gatherDataWithCompletionBlock([&calls, round] { ++calls[round]; });
        ASSERT_TRUE(waitUntil([&] {
            return service.http.requestCount("/gfs_0p25_00z.das") == round + 1 &&
                   service.http.requestCount("/gfs_0p25_00z.dds") == round + 1;
        }));
        gate->open();
        ASSERT_TRUE(waitUntil([&] { return calls[round] > 0; }, 10000)) << "round " << round;
        ASSERT_TRUE(source->ready()) << "round " << round;
    }
    waitUntil([] { return false; }, 100);
    for (int round = 0; round < kRounds; ++round)
        EXPECT_EQ(calls[round], 1) << "round " << round;
}

TEST_F(SourceGather, ALaterGatherWaitsForItsOwnStructureDocument)
{
    const auto source = service.gatheredSource("gfs_0p25_00z");
    ASSERT_TRUE(source->ready());

    auto gate = std::make_shared<FixtureGate>();
    service.dap.setSwitches("/gfs_0p25_00z.dds", {.gate = gate});
    BlockCounter counter;
    source->gatherDataWithCompletionBlock(counter.block());
    ASSERT_TRUE(waitUntil([&] { return service.http.requestCount("/gfs_0p25_00z.das") == 2; }));
    waitUntil([] { return false; }, 300); // the DAS is parsed by now
    EXPECT_EQ(counter.calls(), 0);
    EXPECT_TRUE(source->isLoading());
    gate->open();
    ASSERT_TRUE(counter.waitFor(1));
    EXPECT_TRUE(source->ready());
}

TEST_F(SourceGather, WithoutABaseURLTheBlockRunsAtOnce)
{
    const auto source = OVOpenDAPSource::create(QString(), &service.manager);
    BlockCounter counter;
    source->gatherDataWithCompletionBlock(counter.block());
    EXPECT_EQ(counter.calls(), 1);
    EXPECT_FALSE(source->isLoading());
    EXPECT_TRUE(log.contains("[OVOpenDAPSource gatherData] Attempting to collect data without a url defined."));
}

TEST_F(SourceGather, GarbageIsNoDocument)
{
    service.dap.setSwitches("/gfs_0p25_00z.das", {.garbage = true});
    const auto source = service.gatheredSource("gfs_0p25_00z");
    EXPECT_FALSE(source->ready());
    EXPECT_EQ(service.http.requestCount("/gfs_0p25_00z.das"), 2);
    EXPECT_TRUE(log.contains("[OVOpenDAPSource gatherData] Could not get DAS."));
}

TEST_F(SourceGather, AttributeTextBeyondASCIIIsReadAsUTF8OrLatin1)
{
    const QByteArray das = opendapFixture("grads/gfs_0p25_00z.das");
    const QByteArray dds = opendapFixture("grads/gfs_0p25_00z.dds");
    ASSERT_TRUE(das.contains("String long_name \"** 2 m above ground temperature [k] \";"));
    const struct
    {
        const char *name;
        QByteArray longName;
    } cases[] = {
        {"UTF8", QStringLiteral("température à 2 m").toUtf8()},
        {"Latin1", QStringLiteral("température à 2 m").toLatin1()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray text = das;
        text.replace("** 2 m above ground temperature [k] ", c.longName);
        const QString path = QStringLiteral("/accents_%1").arg(QLatin1StringView(c.name));
        service.http.serve(path + ".das", FixtureResponse::text(text));
        service.http.serve(path + ".dds", FixtureResponse::text(dds));
        const auto source = OVOpenDAPSource::create(service.http.baseUrl() + path, &service.manager);
        BlockCounter counter;
        source->gatherDataWithCompletionBlock(counter.block());
        ASSERT_TRUE(counter.waitFor(1));
        EXPECT_TRUE(source->ready());
        EXPECT_EQ(source->latitudeSize(), 5);
        EXPECT_EQ(source->longitudeSize(), 8);
        EXPECT_EQ(source->numberOfSteps(), 3);
        ASSERT_TRUE(source->variableNamed("tmp2m"));
        EXPECT_EQ(source->variableNamed("tmp2m")->longName(), QStringLiteral("température à 2 m"));
    }
}
