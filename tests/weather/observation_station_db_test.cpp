// A station's history file against files made and read by the sqlite3 shell: schema upgrade,
// the vacuum rule, files that are not databases, aggregates and the per-day buckets.
#include "ObservationTestSupport.h"
#include "support/TestHelpers.h"
#include "weather/OVObservationStationDB.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

using namespace ObservationTest;

namespace {

class StationDB : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path(const QString &name = QStringLiteral("KDEN.db")) const { return dir.filePath(name); }

    QTemporaryDir dir;
};

} // namespace

TEST_F(StationDB, NewFileHasTheFullSchemaAndStoresARepeatedObservationOnce)
{
    auto station = OVObservationStationDB::initWithPath(path());
    ASSERT_TRUE(station);
    const QList<OVWeatherConditions> batch{record(utc(2024, 1, 2, 10), 5.5), record(utc(2024, 1, 2, 11), -1000)};
    ASSERT_TRUE(station->insertWeatherConditions(batch));
    ASSERT_TRUE(station->insertWeatherConditions(batch + QList{record(utc(2024, 1, 2, 12), 6)}));

    EXPECT_EQ(shell(path(), "SELECT count(*) FROM pragma_table_info('icao_history');", true), "24");
    EXPECT_EQ(shell(path(), "SELECT count(*) FROM pragma_table_info('min_max_cache');", true), "23");
    EXPECT_EQ(shell(path(), "SELECT entry_date, typeof(entry_date), quote(temperature_c) FROM "
                            "icao_history ORDER BY entry_date;", true),
              "20240102100000|integer|5.5\n20240102110000|integer|NULL\n20240102120000|integer|6.0");
    EXPECT_EQ(station->newRecordsSinceVacuum(), 5); // counts the batch sizes, not the new rows
}

TEST_F(StationDB, LegacyFileGainsTheSolarColumnKeepsItsRowsAndGetsANewBucketTable)
{
    shell(path(), QString::fromUtf8(readFile(testDataPath("weather/observations/legacy_station.sql"))));
    auto station = OVObservationStationDB::initWithPath(path());

    EXPECT_EQ(shell(path(), "SELECT type FROM pragma_table_info('icao_history') WHERE name = "
                            "'solar_radiation_watts_per_meter2';", true),
              "float");
    EXPECT_EQ(shell(path(), "SELECT count(*), count(temperature_c) FROM icao_history;", true), "3|2");
    EXPECT_EQ(shell(path(), "SELECT count(*) FROM pragma_table_info('min_max_cache');", true), "23");
    EXPECT_EQ(shell(path(), "SELECT count(*) FROM min_max_cache;", true), "0");
    EXPECT_EQ(station->newRecordsSinceVacuum(), 12);

    const auto latest = station->latestConditions();
    ASSERT_TRUE(latest);
    EXPECT_EQ(latest->date(), utc(2024, 1, 1));
    EXPECT_EQ(latest->temperatureC(), -1000); // a stored NULL is missing, not 0 °C
    EXPECT_DOUBLE_EQ(latest->pressureMB(), 1010.6);
    EXPECT_EQ(latest->skyCover(), "OVC025");
}

TEST_F(StationDB, VacuumRunsOnlyAboveTheLargerOfTwoThousandAndAFifteenthOfTheRows)
{
    struct Case
    {
        int rows;
        int counter;
        bool vacuums;
    };
    for (const Case c : {Case{45000, 3000, false}, Case{45000, 3001, true}, Case{15000, 2000, false},
                         Case{15000, 2001, true}}) {
        SCOPED_TRACE(testing::Message() << c.rows << " rows, counter " << c.counter);
        const QString file = path(QStringLiteral("V%1%2.db").arg(c.rows).arg(c.counter));
        OVObservationStationDB::initWithPath(file).reset();
        shell(file, QStringLiteral("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n "
                                   "WHERE x < %1) INSERT INTO icao_history (entry_date) SELECT "
                                   "20200101000000 + x FROM n; UPDATE db_status SET "
                                   "new_records_since_vacuum = %2;")
                        .arg(c.rows)
                        .arg(c.counter));
        auto station = OVObservationStationDB::initWithPath(file);
        EXPECT_EQ(station->newRecordsSinceVacuum(), c.vacuums ? 0 : c.counter);
        EXPECT_EQ(shell(file, "SELECT count(*) FROM icao_history;", true), QString::number(c.rows));
    }
}

// Bytes that are not a database, or a database with one page overwritten by noise: the file is
// set aside with its bytes (never written, never deleted), a log line names it, and the station's
// next reports go into a fresh file that reads them back.
TEST_F(StationDB, DamagedFilesAreSetAsideAndAFreshFileTakesTheNextReports)
{
    QRandomGenerator generator(11);
    const auto noise = [&](int size) {
        QByteArray bytes(size, Qt::Uninitialized);
        for (char &byte : bytes)
            byte = char(generator.bounded(256));
        return bytes;
    };
    const auto writeAt = [](const QString &file, qint64 offset, const QByteArray &bytes) {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::ReadWrite));
        ASSERT_TRUE(out.seek(offset));
        ASSERT_EQ(out.write(bytes), bytes.size());
    };

    const QString noiseFile = path(QStringLiteral("NOISE.db"));
    writeAt(noiseFile, 0, noise(8192));
    const QString pageFile = path(QStringLiteral("PAGE.db"));
    ASSERT_TRUE(OVObservationStationDB::initWithPath(pageFile)->insertWeatherConditions(hourly(utc(2024, 1, 20), 2000)));
    const int pageSize = shell(pageFile, "PRAGMA page_size;", true).toInt();
    const int pages = shell(pageFile, "PRAGMA page_count;", true).toInt();
    ASSERT_GT(pages, 10);
    writeAt(pageFile, qint64(pageSize) * (pages / 2), noise(pageSize)); // one page in the middle

    for (const QString &file : {noiseFile, pageFile}) {
        SCOPED_TRACE(file.toStdString());
        const QByteArray damaged = readFile(file);
        LogCapture log;
        auto station = OVObservationStationDB::initWithPath(file);
        ASSERT_TRUE(station);
        EXPECT_TRUE(log.contains("[OVObservationStationDB checkDB] " + file + " is damaged"))
            << log.lines().join('\n').toStdString();
        const QStringList aside = QDir(dir.path()).entryList({QFileInfo(file).fileName() + ".corrupt-*"});
        ASSERT_EQ(aside.size(), 1);
        EXPECT_TRUE(log.contains("set aside as " + dir.filePath(aside.first())));
        EXPECT_EQ(readFile(dir.filePath(aside.first())), damaged);

        const QList<OVWeatherConditions> next{record(utc(2024, 2, 1, 10), 3), record(utc(2024, 2, 1, 11), 4)};
        EXPECT_TRUE(station->insertWeatherConditions(next, QTimeZone(-18000)));
        station->waitForMinMaxUpdates();
        const auto back = station->weatherConditionsWithStartDate(utc(2000, 1, 1), utc(2100, 1, 1));
        ASSERT_EQ(back.size(), 2);
        EXPECT_EQ(back[1].temperatureC(), 4);
        station.reset();
        EXPECT_EQ(shell(file, "PRAGMA integrity_check;", true), "ok");
    }
}

// A file of the older layout that cannot be upgraded (read-only) still reads its rows; the
// column it lacks reads as missing.
TEST_F(StationDB, ReadOnlyFileOfTheOlderLayoutStillReadsItsRows)
{
    shell(path(), QString::fromUtf8(readFile(testDataPath("weather/observations/legacy_station.sql"))));
    QFile::setPermissions(path(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    bool immutable = false;
    if (QFileInfo(path()).isWritable()) { // the superuser writes anyway: make the file immutable
        immutable = QProcess::execute("chattr", {"+i", path()}) == 0;
        if (!immutable)
            GTEST_SKIP() << "the file cannot be made read-only for this user";
    }
    auto station = OVObservationStationDB::initWithPath(path());
    const auto rows = station->weatherConditionsWithStartDate(utc(2000, 1, 1), utc(2100, 1, 1));
    station.reset();
    if (immutable)
        QProcess::execute("chattr", {"-i", path()});
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0].date(), utc(2023, 12, 31, 22));
    EXPECT_DOUBLE_EQ(rows[0].temperatureC(), 3.5);
    EXPECT_EQ(rows[0].solarRadiation(), -1000);
    EXPECT_EQ(shell(path(), "SELECT count(*) FROM pragma_table_info('icao_history');", true), "23");
}

TEST_F(StationDB, MinimumConditionsSkipMissingValuesAndRankTheSky)
{
    auto station = OVObservationStationDB::initWithPath(path());
    station->insertWeatherConditions({record(utc(2024, 1, 2, 1), -1000, "OVC010"),
                                      record(utc(2024, 1, 2, 2), 4, "BKN020"),
                                      record(utc(2024, 1, 2, 3), 2.5, "FEW030 BKN040"),
                                      record(utc(2024, 1, 2, 4), 7, "OVC008")});
    const auto minimum = station->minConditionsFromStartDate(utc(2024, 1, 2), utc(2024, 1, 3));
    const auto maximum = station->maxConditionsFromStartDate(utc(2024, 1, 2), utc(2024, 1, 3));
    ASSERT_TRUE(minimum && maximum);
    EXPECT_EQ(minimum->skyCover(), "BKN"); // OVC, BKN, BKN, OVC: the tie goes to the clearer sky
    EXPECT_DOUBLE_EQ(minimum->temperatureC(), 2.5);
    EXPECT_DOUBLE_EQ(maximum->temperatureC(), 7);
    EXPECT_EQ(minimum->date(), utc(2024, 1, 2, 1));
    EXPECT_EQ(minimum->h1PrecipitationInches(), 0); // all missing sums to 0
    EXPECT_FALSE(station->minConditionsFromStartDate(utc(2024, 2, 1), utc(2024, 2, 2)));

    const QList<QVariantMap> missing{{{"h1_precipitation", ""}}, {{"h1_precipitation", ""}}};
    EXPECT_EQ(OVObservationStationDB::sumOfKey("h1_precipitation", missing), 0);
    EXPECT_EQ(OVObservationStationDB::sumOfKey("h1_precipitation", {}), -1000);
    EXPECT_EQ(OVObservationStationDB::minOfKey("h1_precipitation", missing), -1000);
}

TEST_F(StationDB, DayBucketLabelsAreLocalNoonAsRealInstants)
{
    struct Case
    {
        const char *name;
        int offsetSeconds;
        const char *offsetText;
        const char *label;
    };
    const Case cases[] = {{"UTC-5", -18000, "-50000", "20240102170000"},
                          {"UTC+5:30", 19800, "53000", "20240102063000"},
                          {"UTC+13", 46800, "130000", "20240101230000"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = path(QStringLiteral("B%1.db").arg(c.offsetSeconds + 100000));
        auto station = OVObservationStationDB::initWithPath(file);
        const QTimeZone zone(c.offsetSeconds);
        station->insertWeatherConditions({record(utc(2024, 1, 2, 3), 1.5), record(utc(2024, 1, 2, 15), 9),
                                          record(utc(2024, 1, 2, 22), 4)},
                                         zone);
        ASSERT_TRUE(station->waitForMinMaxUpdates(10000));
        EXPECT_EQ(shell(file, "SELECT entry_date, time_zone_offset, temperature_c_min, "
                              "temperature_c_max FROM min_max_cache;", true),
                  QStringLiteral("%1|%2|1.5|9.0").arg(c.label, c.offsetText));
        EXPECT_TRUE(OVSQLite3DB::dateForString(c.label).isValid());

        const auto days = station->condensedMaxWeatherConditionsWithStartDate(utc(2024, 1, 1), utc(2024, 1, 3), zone);
        ASSERT_EQ(days.size(), 1);
        EXPECT_EQ(OVSQLite3DB::stringForDate(days[0].date()), c.label);
        EXPECT_DOUBLE_EQ(days[0].temperatureC(), 9);
    }
}

TEST_F(StationDB, DayBucketsAreBuiltForAZoneOnDemandAndGiveEachDaysMinimumAndMaximum)
{
    // Stored without a zone, so no buckets exist until a zone asks for them.
    auto station = OVObservationStationDB::initWithPath(path());
    station->insertWeatherConditions({record(utc(2024, 1, 2, 3), 1.5), record(utc(2024, 1, 2, 15), 9),
                                      record(utc(2024, 1, 2, 22), 4), record(utc(2024, 1, 3, 5), -2),
                                      record(utc(2024, 1, 3, 14), 6)});
    ASSERT_TRUE(station->waitForMinMaxUpdates(10000));
    ASSERT_EQ(shell(path(), "SELECT count(*) FROM min_max_cache;", true), "0");
    const QTimeZone zone(0);
    station->checkMinMaxValuesForTimeZone(zone);
    EXPECT_EQ(
        shell(path(), "SELECT temperature_c_min, temperature_c_max FROM min_max_cache ORDER BY entry_date;", true),
        "1.5|9.0\n-2.0|6.0");

    struct Case
    {
        const char *name;
        QList<OVWeatherConditions> days;
        QList<double> temperatures;
    };
    const Case cases[] = {
        {"minima",
         station->condensedMinWeatherConditionsWithStartDate(utc(2024, 1, 1), utc(2024, 1, 4), zone),
         {1.5, -2}},
        {"maxima", station->condensedMaxWeatherConditionsWithStartDate(utc(2024, 1, 1), utc(2024, 1, 4), zone), {9, 6}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QList<double> temperatures;
        for (const OVWeatherConditions &day : c.days)
            temperatures << day.temperatureC();
        EXPECT_EQ(temperatures, c.temperatures);
    }
    EXPECT_EQ(station->earliestObservation(), utc(2024, 1, 2, 3));
    EXPECT_EQ(station->lastUpdate(), utc(2024, 1, 3, 14));
}
