// The observations front: station codes and file names, current conditions kept in the user
// defaults, shutdown, and the range cache (counted reads of the station file).
#include "ObservationTestSupport.h"
#include "support/FakeClock.h"
#include "support/TestHelpers.h"
#include "platform/OVUserDefaults.h"
#include "weather/OVObservationStationDB.h"
#include "weather/OVObservationsDB.h"

#include <QDir>
#include <QTemporaryDir>

#include <algorithm>

using namespace ObservationTest;

namespace {

constexpr qint64 Day = 86400;

class ObservationsDB : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        db.insertWeatherConditions(hourly(clock.now(), 40 * 24), "KDEN");
        db.insertWeatherConditions(hourly(clock.now(), 48), "KBOS");
        db.clearCacheData();
    }

    QDateTime daysAgo(double days) const { return clock.now().addSecs(qint64(-days * Day)); }

    QTemporaryDir dir;
    FakeClock clock;
    OVUserDefaults defaults{dir.filePath("defaults.conf")};
    OVObservationsDB db{dir.filePath("Observations"), clock, &defaults};
};

} // namespace

TEST_F(ObservationsDB, StationCodesNameFilesInTheFolderOnly)
{
    LogCapture log;
    for (const char *code : {"../evil", "", "AB", "K/DEN", "KDEN.db", "ABCDEFGHI", "K DN", "KDEN\n",
                             "stra\xc3\x9f" "e", "K\xc3\x84N", "\xef\xbc\xab" "DEN"}) {
        SCOPED_TRACE(code);
        EXPECT_FALSE(db.databaseForICAO(QString::fromUtf8(code)));
        // The range read checks the code as given too, before any case change ("straße" is not
        // "STRASSE").
        EXPECT_TRUE(db.weatherConditionsForICAO(QString::fromUtf8(code), clock.now().addDays(-1), clock.now()).isEmpty());
    }
    EXPECT_TRUE(log.contains("Refusing station code 'KDEN\\n'"));
    EXPECT_TRUE(log.contains("[OVObservationsDB weatherConditionsForICAO] Refusing station code 'stra"));
    EXPECT_EQ(QDir(dir.filePath("Observations")).entryList(QDir::Files), QStringList({"KBOS.db", "KDEN.db"}));
    EXPECT_TRUE(log.contains("[OVObservationsDB databaseForICAO] Refusing station code '../evil'"));
    db.insertWeatherConditions({record(clock.now(), 1)}, "../evil");
    EXPECT_FALSE(QFile::exists(dir.filePath("evil.db")));

    const auto lower = db.databaseForICAO("kden");
    ASSERT_TRUE(lower);
    EXPECT_EQ(lower, db.databaseForICAO("KDEN")); // one station, one open file
    EXPECT_EQ(lower->path(), dir.filePath("Observations/KDEN.db"));
    EXPECT_EQ(QDir(dir.filePath("Observations")).entryList({"*.db"}), QStringList({"KBOS.db", "KDEN.db"}));
}

TEST_F(ObservationsDB, CurrentConditionsSurviveInTheUserDefaults)
{
    db.prepareForShutdown();
    QFile::remove(dir.filePath("Observations/KDEN.db"));
    OVObservationsDB restarted(dir.filePath("Observations"), clock, &defaults);
    const auto latest = restarted.latestConditionsForICAO("kden");
    ASSERT_TRUE(latest);
    EXPECT_EQ(latest->date(), clock.now());
    EXPECT_DOUBLE_EQ(latest->temperatureC(), (40 * 24 - 1) % 40);
}

TEST_F(ObservationsDB, AfterShutdownEverythingIsNilUntilRestart)
{
    ASSERT_FALSE(db.weatherConditionsForICAO("KDEN", daysAgo(3), daysAgo(1)).isEmpty());
    db.prepareForShutdown();
    EXPECT_FALSE(db.databaseForICAO("KDEN"));
    EXPECT_FALSE(db.latestConditionsForICAO("KDEN"));
    EXPECT_TRUE(db.weatherConditionsForICAO("KDEN", daysAgo(3), daysAgo(1)).isEmpty());
    EXPECT_TRUE(db.cacheWeatherConditions().isEmpty());
    EXPECT_FALSE(db.cacheDataForICAO("KDEN", daysAgo(3), daysAgo(1)));
    db.restartAfterShutdown();
    EXPECT_TRUE(db.latestConditionsForICAO("KDEN"));
}

TEST_F(ObservationsDB, RangeCacheWidensByAFifthOfTheSpanAndAtLeastADay)
{
    struct Case
    {
        double startDays, endDays;
        qint64 margin;
    };
    for (const Case c : {Case{20, 17, Day}, Case{30, 20, 2 * Day}}) {
        SCOPED_TRACE(testing::Message() << c.startDays - c.endDays << " days");
        db.clearCacheData();
        const QDateTime start = daysAgo(c.startDays), end = daysAgo(c.endDays);
        const auto records = db.weatherConditionsForICAO("KDEN", start, end);
        EXPECT_EQ(db.lastRangeRead(), std::pair(start.addSecs(-2 * c.margin), end.addSecs(2 * c.margin)));
        EXPECT_EQ(db.cacheStartDate(), start.addSecs(-2 * c.margin));
        EXPECT_EQ(db.cacheEndDate(), end.addSecs(2 * c.margin));
        ASSERT_FALSE(records.isEmpty());
        EXPECT_LE(records.first().date(), start);
        EXPECT_GE(records.last().date(), end);
    }
}

TEST_F(ObservationsDB, RangeReachingNowAnswersALaterRequestWithoutARead)
{
    db.weatherConditionsForICAO("KDEN", daysAgo(2), clock.now());
    EXPECT_FALSE(db.cacheEndDate().isValid());
    const int64_t reads = db.rangeReadCount();
    clock.advance(1800);
    const auto records = db.weatherConditionsForICAO("KDEN", daysAgo(2), clock.now());
    EXPECT_EQ(db.rangeReadCount(), reads);
    EXPECT_EQ(records.last().date(), clock.now().addSecs(-1800));
}

TEST_F(ObservationsDB, ExtendingBeforeAndAfterReadsOnlyTheMissingPiece)
{
    db.weatherConditionsForICAO("KDEN", daysAgo(20), daysAgo(17)); // cached: 22 .. 15 days ago
    ASSERT_EQ(db.cacheStartDate(), daysAgo(22));

    const auto earlier = db.weatherConditionsForICAO("KDEN", daysAgo(24), daysAgo(21));
    EXPECT_EQ(db.lastRangeRead(), std::pair(daysAgo(25), daysAgo(22).addSecs(-1)));
    EXPECT_EQ(db.cacheStartDate(), daysAgo(25));
    EXPECT_EQ(earlier.first().date(), daysAgo(25));

    const int64_t reads = db.rangeReadCount();
    const auto later = db.weatherConditionsForICAO("KDEN", daysAgo(17), daysAgo(14));
    EXPECT_EQ(db.rangeReadCount(), reads + 1);
    EXPECT_EQ(db.lastRangeRead(), std::pair(daysAgo(15).addSecs(1), daysAgo(13)));
    EXPECT_EQ(db.cacheEndDate(), daysAgo(13));
    EXPECT_EQ(later.last().date(), daysAgo(13));

    // The cache now holds 25 .. 13 days ago, hourly and without gaps.
    const auto cached = db.cacheWeatherConditions();
    EXPECT_EQ(cached.size(), 12 * 24 + 1);
    for (qsizetype i = 1; i < cached.size(); ++i)
        ASSERT_EQ(cached[i - 1].date().secsTo(cached[i].date()), 3600) << i;
}

TEST_F(ObservationsDB, AnotherStationReplacesTheRangeAndAnInsertClearsOnlyItsOwn)
{
    db.weatherConditionsForICAO("KDEN", daysAgo(3), daysAgo(1));
    EXPECT_EQ(db.cacheIcao(), "KDEN");
    db.insertWeatherConditions({record(clock.now().addSecs(60), 3)}, "KBOS");
    EXPECT_EQ(db.cacheIcao(), "KDEN");
    db.insertWeatherConditions({record(clock.now().addSecs(60), 3)}, "KDEN");
    EXPECT_TRUE(db.cacheWeatherConditions().isEmpty());

    db.weatherConditionsForICAO("KDEN", daysAgo(3), daysAgo(1));
    db.weatherConditionsForICAO("KBOS", daysAgo(1), clock.now());
    EXPECT_EQ(db.cacheIcao(), "KBOS");
    EXPECT_FALSE(db.cacheDataForICAO("KDEN", daysAgo(3), daysAgo(1)));
}

TEST_F(ObservationsDB, ASingleStoredObservationIsNotCached)
{
    db.insertWeatherConditions({record(daysAgo(1), 3)}, "KONE");
    EXPECT_EQ(db.weatherConditionsForICAO("KONE", daysAgo(2), clock.now()).size(), 1);
    EXPECT_TRUE(db.cacheWeatherConditions().isEmpty());
    EXPECT_TRUE(db.cacheIcao().isEmpty());
}

TEST_F(ObservationsDB, CurrentConditionsNeverGoBackInTime)
{
    // KDEN's newest stored report is at clock.now() with 39 °C (SetUp). A late reply may carry
    // an older report, or the same report again with other values.
    struct Case
    {
        const char *name;
        qint64 offsetSeconds;
        double temperatureC;
        double expectedC;
    };
    const Case cases[] = {
        {"the previous day's report", -Day - 1800, -7, 39},
        {"a report of the same time", 0, 1, 39},
        {"one second newer", 1, 15, 15},
        {"one second older than that", 0, -3, 15},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        db.insertWeatherConditions({record(clock.now().addSecs(c.offsetSeconds), c.temperatureC)}, "KDEN");
        const auto current = db.latestConditionsForICAO("KDEN");
        ASSERT_TRUE(current);
        EXPECT_DOUBLE_EQ(current->temperatureC(), c.expectedC);
    }
    // The station file still keeps the older report.
    const auto previousDay = db.weatherConditionsForICAO("KDEN", daysAgo(1.01), daysAgo(0.99));
    EXPECT_TRUE(std::any_of(previousDay.begin(), previousDay.end(), [&](const OVWeatherConditions &r) {
        return r.date() == daysAgo(1).addSecs(-1800) && r.temperatureC() == -7;
    }));
}

TEST_F(ObservationsDB, ForwardersAnswerFromTheStationFile)
{
    // KBOS holds 48 hourly records ending now, temperature = index (0 .. 39, then 0 .. 7).
    EXPECT_EQ(db.earliestObservationForICAO("KBOS"), clock.now().addSecs(-47 * 3600));
    EXPECT_EQ(db.lastUpdateForICAO("KBOS"), clock.now());
    EXPECT_FALSE(db.earliestObservationForICAO("KNONE").isValid());
    const auto maximum = db.maxConditionsForICAO("KBOS", daysAgo(2), clock.now());
    const auto minimum = db.minConditionsForICAO("KBOS", daysAgo(2), clock.now());
    ASSERT_TRUE(maximum && minimum);
    EXPECT_DOUBLE_EQ(maximum->temperatureC(), 39);
    EXPECT_DOUBLE_EQ(minimum->temperatureC(), 0);
}
