// Model collections: the product table, run discovery from the fixture server's listing pages
// (request log, order, exclusions, run times and titles, repeats and failures), run lookups and
// the run-time patterns.
#include "OpenDAPTestSupport.h"
#include "opendap/OVOpenDAPCollection.h"

#include "core/NBRegisteredDefaults.h"
#include "map/projection/OVMapProjection.h"
#include "platform/OVUserDefaults.h"
#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <QTimeZone>

namespace {

QDateTime utc(int year, int month, int day, int hour)
{
    return QDateTime(QDate(year, month, day), QTime(hour, 0), QTimeZone::utc());
}

class Collection : public testing::Test
{
protected:
    void SetUp() override { service.serveModelServer(); }
    void TearDown() override { OVUserDefaults::standard().removeObject(NBSettingKey::modelDataServerURL); }

    OVOpenDAPCollectionPtr gfs() { return OVOpenDAPCollection::collectionOfType(20, &service.manager); }

    // One discovery; false when its block was not called in time.
    bool discover(const OVOpenDAPCollectionPtr &collection)
    {
        BlockCounter counter;
        collection->gatherDataWithCompletionBlock(counter.block());
        const bool called = counter.waitFor(1);
        EXPECT_EQ(counter.calls(), 1);
        return called;
    }

    QString runURL(const QString &day, const QString &run) const
    {
        return service.http.baseUrl() + QStringLiteral("/dods/gfs_0p25/gfs%1/gfs_0p25_%2").arg(day, run);
    }

    DAP2Service service;
    LogCapture log;
};

} // namespace

TEST(CollectionTable, ProductsByType)
{
    struct Row
    {
        int64_t type;
        const char *name, *shortName, *detail, *path, *pattern, *exclude, *label;
    };
    const Row rows[] = {
        {20, "GFS 0.25°", "GFS", "NOMADS Global Forecast System 0.25 Degree", "/dods/gfs_0p25/",
         "'/dods/gfs_0p25/gfs'yyyyMMdd'/gfs_0p25_'HH'z'", "_anl", "GFS 0.25°"},
        {21, "GFS 0.5°", "GFS", "NOMADS Global Forecast System 0.5 Degree", "/dods/gfs_0p50/",
         "'/dods/gfs_0p50/gfs'yyyyMMdd'/gfs_0p50_'HH'z'", "_anl", "GFS 0.5°"},
        {40, "NAM 12km CONUS", "NAM", "NOMADS North American Model 12km CONUS", "/dods/nam/",
         "'/dods/nam/nam'yyyyMMdd'/nam_'HH'z'",
         "(nam1hr|nam_ak|nam_alaskanest|nam_conusnest|nam_crb|nam_hawaiinest|nam_na|nam_pac|nam_priconest)",
         "NAM 12km CONUS"},
        {44, "NAM 12km Alaska", "NAM", "NOMADS North American Model 12km Alaska", "/dods/nam/",
         "'/dods/nam/nam'yyyyMMdd'/nam_ak_'HH'z'",
         "(nam1hr|nam_[0-9]|nam_alaskanest|nam_conusnest|nam_crb|nam_hawaiinest|nam_na|nam_pac|nam_priconest)",
         "NAM 12km Alaska"},
        {61, "RAP 32km North America", "RAP", "NOMADS Rapid Refresh 32km North America", "/dods/rap/",
         "'/dods/rap/rap'yyyyMMdd'/rap32_'HH'z'", "(rap_|rap_f)", "RAP 32km North America"},
        {62, "High Resolution Rapid Refresh 3km", "HRRR", "NOMADS HRRR", "/dods/hrrr/",
         "'/dods/hrrr/hrrr'yyyyMMdd'/hrrr_sfc_'HH'z'", "", "HRRR"},
        {81, "HIRES CONUS NMM Core", "HIRES", "NOMADS HIRES (WRF-based) NMMB Core", "/dods/hiresw/",
         "'/dods/hiresw/hiresw'yyyyMMdd'/hiresw_conusnmmb_'HH'z'",
         "(hiresw_akarw|hiresw_aknmm|hiresw_conusarw|hiresw_guamarw|hiresw_guamnmm|hiresw_hiarw|hiresw_hinmm|"
         "hiresw_prarw|hiresw_prnmm)",
         "HIRES CONUS NMMB"},
        {88, "HIRES Puerto Rico ARW Core", "HIRES", "NOMADS HIRES (WRF-based) ARW Core", "/dods/hiresw/",
         "'/dods/hiresw/hiresw'yyyyMMdd'/hiresw_prarw_'HH'z'",
         "(hiresw_akarw|hiresw_aknmm|hiresw_conusarw|hiresw_conusnmm|hiresw_guamarw|hiresw_guamnmm|hiresw_hiarw|"
         "hiresw_hinmm|hiresw_prnmm)",
         "HIRES Puerto Rico ARW"},
        {100, "Wave Global", "Wave", "NOMADS Wave (WAVEWATCH-based)", "/dods/wave/nww3/",
         "'/dods/wave/nww3/nww3'yyyyMMdd'/nww3'yyyyMMdd'_'HH'z'", "", "Wave Global"},
        {106, "Wave Great Lakes (NDFD Winds)", "Wave", "NOMADS Wave (WAVEWATCH-based)", "/dods/wave/glw/",
         "'/dods/wave/glw/glw'yyyyMMdd'/glwn_'HH'z'", "(glw_)", "Wave Great Lakes (NDFD Winds)"},
    };
    OVUserDefaults::standard().setObject(QStringLiteral("https://models.example/"), NBSettingKey::modelDataServerURL);
    for (const Row &row : rows) {
        SCOPED_TRACE(row.type);
        const auto collection = OVOpenDAPCollection::collectionOfType(row.type);
        ASSERT_TRUE(collection);
        EXPECT_EQ(collection->type(), row.type);
        EXPECT_EQ(collection->name(), QString::fromUtf8(row.name));
        EXPECT_EQ(collection->shortName(), QString::fromUtf8(row.shortName));
        EXPECT_EQ(collection->detailDescription(), QString::fromUtf8(row.detail));
        EXPECT_EQ(collection->urlString(), QStringLiteral("https://models.example") + QString::fromUtf8(row.path));
        EXPECT_EQ(collection->uriToDateFormat(), QString::fromUtf8(row.pattern));
        EXPECT_EQ(collection->excludePattern(), QString::fromUtf8(row.exclude));
        EXPECT_EQ(OVOpenDAPCollection::collectionTypes().value(row.type), QString::fromUtf8(row.label));
        EXPECT_EQ(collection->numberOfRecentSourcesToGather(), 5);
        EXPECT_TRUE(dynamic_cast<const OVEquirectangularMapProjection *>(collection->projection().get()));
        EXPECT_FALSE(collection->ready());
        EXPECT_TRUE(collection->sources().empty());
    }
    OVUserDefaults::standard().removeObject(NBSettingKey::modelDataServerURL);
    EXPECT_EQ(OVOpenDAPCollection::collectionTypes().size(), 29);
    EXPECT_FALSE(OVOpenDAPCollection::collectionOfType(23));
    EXPECT_EQ(OVOpenDAPCollection::collectionOfType(22)->urlString(),
              NBRegisteredDefaults::table().value(NBSettingKey::modelDataServerURL).toString() + "/dods/gfs_1p00/");
}

TEST(CollectionTable, RunTimesFromWholePaths)
{
    struct Case
    {
        int64_t type;
        const char *path;
        QDateTime expected; // invalid: the path does not fit
    };
    const Case cases[] = {
        {20, "/dods/gfs_0p25/gfs20240319/gfs_0p25_18z", utc(2024, 3, 19, 18)},
        {20, "/dods/gfs_0p25/gfs20240319/gfs_0p25_18z_anl", QDateTime()},
        {20, "/dods/gfs_0p25/gfs20240319/gfs_0p25_24z", QDateTime()},
        {20, "/dods/gfs_0p50/gfs20240319/gfs_0p50_18z", QDateTime()},
        {44, "/dods/nam/nam20240101/nam_ak_06z", utc(2024, 1, 1, 6)},
        {100, "/dods/wave/nww3/nww320240319/nww320240319_06z", utc(2024, 3, 19, 6)},
        {105, "/dods/wave/glw/glw20231231/glw_12z", utc(2023, 12, 31, 12)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(OVOpenDAPCollection::collectionOfType(c.type)->runTimeForPath(QString::fromLatin1(c.path)),
                  c.expected);
    }
}

TEST_F(Collection, ListingsGiveDayLinksAndRunNames)
{
    const auto collection = gfs();
    const QString base = service.http.baseUrl() + "/dods/gfs_0p25/gfs202403";
    QByteArray page = opendapFixture("grads/listings/gfs_0p25.html");
    page.replace("@SERVER@", service.http.baseUrl().toLatin1());
    EXPECT_EQ(collection->linksFromHTMLListing(QString::fromLatin1(page)),
              (QStringList{base + "17", base + "18", base + "19"}));

    QByteArray day = opendapFixture("grads/listings/gfs20240319.html");
    EXPECT_EQ(collection->modelTimesFromHTMLListing(QString::fromLatin1(day)),
              (QStringList{"gfs_0p25_00z", "gfs_0p25_06z", "gfs_0p25_12z", "gfs_0p25_18z"}));

    const QString nam = QString::fromLatin1(opendapFixture("grads/listings/nam20240319.html"));
    EXPECT_EQ(OVOpenDAPCollection::collectionOfType(40)->modelTimesFromHTMLListing(nam), QStringList{"nam_00z"});
    EXPECT_EQ(OVOpenDAPCollection::collectionOfType(41)->modelTimesFromHTMLListing(nam), QStringList{"nam_na_00z"});
    EXPECT_EQ(OVOpenDAPCollection::collectionOfType(44)->modelTimesFromHTMLListing(nam), QStringList{"nam_ak_00z"});
    EXPECT_TRUE(collection->linksFromHTMLListing(QString()).isEmpty());
}

TEST_F(Collection, DiscoveryReadsDayPagesNewestFirstUntilEnoughRuns)
{
    const auto collection = gfs();
    ASSERT_TRUE(discover(collection));

    EXPECT_EQ(service.http.requestCount("/dods/gfs_0p25/"), 1);
    EXPECT_EQ(service.http.requestCount("/dods/gfs_0p25/gfs20240319"), 1);
    EXPECT_EQ(service.http.requestCount("/dods/gfs_0p25/gfs20240318"), 1);
    EXPECT_EQ(service.http.requestCount("/dods/gfs_0p25/gfs20240317"), 0);
    EXPECT_EQ(service.http.requests().size(), 3);

    const auto sources = collection->sources();
    const char *const expected[][2] = {{"20240319", "18z"}, {"20240319", "12z"}, {"20240319", "06z"},
                                       {"20240319", "00z"}, {"20240318", "18z"}, {"20240318", "12z"},
                                       {"20240318", "06z"}, {"20240318", "00z"}};
    ASSERT_EQ(sources.size(), 8u);
    for (size_t i = 0; i < sources.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(sources[i]->baseURLString(), runURL(expected[i][0], expected[i][1]));
        const QDateTime runTime = utc(2024, 3, i < 4 ? 19 : 18, 18 - 6 * int(i % 4));
        EXPECT_EQ(sources[i]->modelRunTime(), runTime);
        EXPECT_EQ(sources[i]->title(),
                  "GFS 0.25° run at " + runTime.toString("yyyy-MM-dd HH:mm:ss") + QStringLiteral(" +0000"));
    }
    EXPECT_TRUE(collection->ready());
    EXPECT_FALSE(collection->isLoading());
    EXPECT_TRUE(collection->linksToCheck().isEmpty());
    EXPECT_EQ(collection->latestCompleteSource(), sources.front());
}

TEST_F(Collection, ARepeatWithTheSameNewestRunKeepsTheSameSources)
{
    const auto collection = gfs();
    ASSERT_TRUE(discover(collection));
    const auto first = collection->sources();
    ASSERT_TRUE(discover(collection));
    EXPECT_EQ(collection->sources(), first);
    EXPECT_EQ(service.http.requestCount("/dods/gfs_0p25/"), 2);
}

TEST_F(Collection, AFailedDayPageEndsTheDiscoveryAndKeepsTheRuns)
{
    const auto collection = gfs();
    ASSERT_TRUE(discover(collection));
    const auto first = collection->sources();

    service.http.serve("/dods/gfs_0p25/gfs20240319", FixtureResponse::error(404));
    ASSERT_TRUE(discover(collection));
    EXPECT_TRUE(log.contains("[OVOpenDAPCollection gatherDataPost4] Failed to get data from " + service.http.baseUrl() +
                             "/dods/gfs_0p25/gfs20240319"));
    EXPECT_EQ(collection->sources(), first);
    EXPECT_EQ(service.http.requestCount("/dods/gfs_0p25/gfs20240318"), 1);
    EXPECT_FALSE(collection->isLoading());

    // A fresh collection whose first discovery fails stays not ready, without runs.
    const auto fresh = gfs();
    ASSERT_TRUE(discover(fresh));
    EXPECT_FALSE(fresh->ready());
    EXPECT_TRUE(fresh->sources().empty());
    EXPECT_FALSE(fresh->latestCompleteSource());
}

TEST_F(Collection, RunLookups)
{
    const auto collection = gfs();
    EXPECT_FALSE(collection->sourceForTime(utc(2024, 3, 19, 0)));
    ASSERT_TRUE(discover(collection));
    const auto sources = collection->sources();
    ASSERT_EQ(sources.size(), 8u);

    // 03:00 lies exactly between the 00z and 06z runs: the newer one.
    EXPECT_EQ(collection->sourceForTime(utc(2024, 3, 19, 3)), sources[2]);
    EXPECT_EQ(collection->sourceForTime(utc(2024, 3, 19, 2)), sources[3]);
    EXPECT_EQ(collection->sourceForTime(utc(2030, 1, 1, 0)), sources[0]);
    EXPECT_EQ(collection->sourceForTime(utc(2000, 1, 1, 0)), sources[7]);
    EXPECT_EQ(collection->sourceForTime(QDateTime()), sources[0]);

    EXPECT_FALSE(collection->sourceBefore(sources[0], -1));
    EXPECT_EQ(collection->sourceBefore(sources[0], 1), sources[1]);
    EXPECT_EQ(collection->sourceBefore(sources[3], -2), sources[1]);
    EXPECT_FALSE(collection->sourceBefore(sources[7], 1));
    EXPECT_FALSE(collection->sourceBefore(OVOpenDAPSource::create("elsewhere"), 0));

    // One run without a run time: no answer by time, the others still work.
    sources[5]->setModelRunTime(QDateTime());
    EXPECT_FALSE(collection->sourceForTime(utc(2024, 3, 19, 3)));
    EXPECT_EQ(collection->sourceBefore(sources[4], 1), sources[5]);
}

TEST_F(Collection, ABlockMayStartTheNextDiscovery)
{
    const auto collection = gfs();
    BlockCounter second;
    BlockCounter first;
    collection->gatherDataWithCompletionBlock([&] {
        first.block()();
        collection->gatherDataWithCompletionBlock(second.block());
    });
    ASSERT_TRUE(first.waitFor(1));
    ASSERT_TRUE(second.waitFor(1));
    EXPECT_EQ(service.http.requestCount("/dods/gfs_0p25/"), 2);
    EXPECT_EQ(collection->sources().size(), 8u);
}

TEST_F(Collection, CallersDuringADiscoveryJoinIt)
{
    const auto collection = gfs();
    BlockCounter counter;
    collection->gatherDataWithCompletionBlock(counter.block());
    collection->gatherDataWithCompletionBlock(counter.block());
    EXPECT_TRUE(collection->isLoading());
    ASSERT_TRUE(counter.waitFor(2));
    EXPECT_EQ(service.http.requestCount("/dods/gfs_0p25/"), 1);

    const auto nowhere = OVOpenDAPCollection::collectionWithName("x", "x", "x", QString(), QString(), &service.manager);
    BlockCounter immediate;
    nowhere->gatherDataWithCompletionBlock(immediate.block());
    EXPECT_EQ(immediate.calls(), 1);
    EXPECT_TRUE(log.contains("[OVOpenDAPCollection gatherData] Attempting to collect data without a url defined."));
}

TEST_F(Collection, AnIdleCollectionIgnoresPagesOfAnotherOnTheSameListing)
{
    const auto conus = OVOpenDAPCollection::collectionOfType(40, &service.manager);
    const auto alaska = OVOpenDAPCollection::collectionOfType(44, &service.manager);
    ASSERT_TRUE(discover(alaska));
    ASSERT_EQ(alaska->sources().size(), 1u);
    EXPECT_EQ(alaska->sources().front()->baseURLString(), service.http.baseUrl() + "/dods/nam/nam20240319/nam_ak_00z");
    EXPECT_EQ(alaska->sources().front()->title(), "NAM 12km Alaska run at 2024-03-19 00:00:00 +0000");
    EXPECT_FALSE(conus->ready());
    EXPECT_TRUE(conus->sources().empty());

    ASSERT_TRUE(discover(conus));
    ASSERT_EQ(conus->sources().size(), 1u);
    EXPECT_EQ(conus->sources().front()->baseURLString(), service.http.baseUrl() + "/dods/nam/nam20240319/nam_00z");
}
