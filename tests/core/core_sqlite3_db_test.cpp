// The SQLite access layer against files made and checked by the sqlite3 shell.
#include "core/OVSQLite3DB.h"
#include "platform/OVLog.h"
#include "support/TestHelpers.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <thread>

namespace {

QDateTime utc(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC);
}

// Runs SQL through the sqlite3 shell on `path`; its output, trimmed (one line per row).
QString shell(const QString &path, const QString &sql)
{
    QProcess process;
    process.start(QStringLiteral("sqlite3"), {QStringLiteral("-batch"), path});
    process.write(sql.toUtf8());
    process.closeWriteChannel();
    process.waitForFinished(30000);
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}


class SQLite3DB : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath("fixture.db");
        shell(path, QString::fromUtf8(readTestFile(testDataPath("core/sqlite_layer_fixture.sql"))));
        db = OVSQLite3DB::initWithDatabasePath(path);
        ASSERT_TRUE(db && db->connectionOpen());
    }

    QTemporaryDir dir;
    QString path;
    std::shared_ptr<OVSQLite3DB> db;
};

// Key map of the observations table: property key -> column.
const OVKeyMap ObservationColumns{{"station", "icao"}, {"date", "entry_date"}, {"temperature", "temp"},
                                  {"direction", "wind_dir"}, {"text", "conditions"}};

QVariantMap observation(const QString &icao, const QDateTime &date, const QVariant &temperature,
                        const QVariant &direction = QVariant(), const QVariant &text = QVariant())
{
    return {{"station", icao}, {"date", date}, {"temperature", temperature}, {"direction", direction},
            {"text", text}};
}

} // namespace

TEST_F(SQLite3DB, SelectsAsStringsDictionariesAndObjects)
{
    EXPECT_EQ(db->selectStringArrayWithQuery("SELECT country FROM stations ORDER BY icao"),
              (QStringList{"", "US", "US", "JP"}));
    EXPECT_EQ(db->selectStringArrayWithQuery("SELECT name FROM stations WHERE country = ?", {"JP"}),
              QStringList{"Tökyō Haneda"});
    EXPECT_EQ(db->selectStringArrayWithQuery("SELECT name FROM stations WHERE icao = 'none'"), QStringList());

    const auto rows = db->selectDictionaryArrayWithQuery(
        "SELECT icao, elevation, country FROM stations WHERE icao IN (?, ?) ORDER BY icao", {"EGLL", "RJTT"});
    ASSERT_TRUE(rows);
    EXPECT_EQ(*rows, (QList<QVariantMap>{{{"icao", "EGLL"}, {"elevation", "25.3"}, {"country", ""}},
                                         {{"icao", "RJTT"}, {"elevation", ""}, {"country", "JP"}}}));

    const auto objects = db->selectObjectArrayWithQuery<OVKeyValueMap>(
        "SELECT icao, elevation, country, name FROM stations WHERE icao IN ('EGLL', 'KJFK') ORDER BY icao", {},
        {{"icao", "code"}, {"elevation", "height"}, {"country", "nation"}},
        [] { return std::make_shared<OVKeyValueMap>(); });
    ASSERT_TRUE(objects);
    ASSERT_EQ(objects->size(), 2);
    EXPECT_EQ(objects->at(0)->map(), (QVariantMap{{"code", "EGLL"}, {"height", "25.3"}})); // NULL country is nil
    EXPECT_EQ(objects->at(1)->map(), (QVariantMap{{"code", "KJFK"}, {"height", "4.0"}, {"nation", "US"}}));

    const auto none = db->selectObjectArrayWithQuery<OVKeyValueMap>("SELECT icao FROM stations", {}, {},
                                                                    [] { return std::make_shared<OVKeyValueMap>(); });
    EXPECT_FALSE(none);
}

TEST_F(SQLite3DB, WrongBindCountGivesNilAndLeavesTheLockFree)
{
    LogCapture log;
    OVSetDebugLoggingEnabled(1);
    const QString sql = "SELECT name FROM stations WHERE icao = ?";
    EXPECT_FALSE(db->selectStringArrayWithQuery(sql, {"KJFK", "KBOS"}));
    EXPECT_FALSE(db->selectDictionaryArrayWithQuery(sql));
    EXPECT_FALSE(db->doQuery("DELETE FROM stations WHERE icao = ?"));
    OVSetDebugLoggingEnabled(0);
    EXPECT_TRUE(log.contains("[OVSQLite3DB selectStringArrayWithQuery] Failed to execute query: " + sql
                             + ".  Wrong number of bind parameters."));
    bool lockedElsewhere = false;
    std::thread other([&] {
        lockedElsewhere = db->databaseLock().try_lock();
        if (lockedElsewhere)
            db->databaseLock().unlock();
    });
    other.join();
    EXPECT_TRUE(lockedElsewhere);
    EXPECT_EQ(shell(path, "SELECT count(*) FROM stations"), "4");
}

TEST_F(SQLite3DB, DoQuerySucceedsOnlyWhenTheStatementRan)
{
    EXPECT_TRUE(db->doQuery("UPDATE stations SET name = ? WHERE icao = ?", {"JFK", "KJFK"}));
    EXPECT_TRUE(db->doQuery("SELECT * FROM stations"));
    EXPECT_FALSE(db->doQuery("INSERT INTO stations (icao) VALUES ('KBOS')")); // constraint
    EXPECT_FALSE(db->doQuery(""));
    EXPECT_FALSE(db->doQuery("SELEC nothing"));
    EXPECT_EQ(shell(path, "SELECT name FROM stations WHERE icao = 'KJFK'"), "JFK");
}

TEST_F(SQLite3DB, SchemaQuestions)
{
    EXPECT_EQ(db->columnsInTable("stations"), (QStringList{"icao", "name", "elevation", "country"}));
    EXPECT_FALSE(db->columnsInTable("missing"));
    EXPECT_TRUE(db->tableExists("observations"));
    EXPECT_FALSE(db->tableExists("missing"));
    EXPECT_TRUE(db->indexExists("stations_by_country"));
    EXPECT_FALSE(db->indexExists("missing"));
}

TEST(SQLite3DBDateText, StringForDateMatchesTheShellsStrftime)
{
    const QDateTime dates[] = {utc(1970, 1, 1),     utc(1999, 12, 31, 23, 59, 59), utc(2000, 2, 29, 12),
                               utc(2024, 2, 29, 23, 59, 59), utc(2024, 3, 10, 7, 0, 1),  utc(2099, 12, 31, 23, 59, 59),
                               QDateTime(QDate(2024, 7, 1), QTime(8, 30), QTimeZone("Asia/Kolkata"))};
    QTemporaryDir dir;
    for (const QDateTime &date : dates) {
        SCOPED_TRACE(date.toString(Qt::ISODate).toStdString());
        const QString expected = shell(dir.filePath("x.db"), QStringLiteral("SELECT strftime('%Y%m%d%H%M%S', %1, "
                                                                            "'unixepoch');")
                                                                 .arg(date.toSecsSinceEpoch()));
        EXPECT_EQ(OVSQLite3DB::stringForDate(date), expected);
        EXPECT_EQ(OVSQLite3DB::dateForString(expected), date);
    }
    EXPECT_EQ(OVSQLite3DB::stringForDate(QDateTime()), "0");
    EXPECT_EQ(OVSQLite3DB::stringForDate(utc(2100, 1, 1)), "0");
    EXPECT_EQ(OVSQLite3DB::stringForDate(utc(1899, 12, 31, 23, 59, 59)), "0");
}

TEST(SQLite3DBDateText, DateForString)
{
    struct Case
    {
        const char *text;
        QDateTime expected;
    };
    const Case cases[] = {
        {"20240230120000", utc(2024, 3, 1, 12)}, // lenient day, fields in range
        {"19991231235959", utc(1999, 12, 31, 23, 59, 59)},
        {"19000101000000", utc(1900, 1, 1)},     // outside the digit range: the formatter reads it
        {"20241301000000", QDateTime()},          // month 13
        {"20240101240000", QDateTime()},          // hour 24
        {"0", QDateTime()},
        {"", QDateTime()},
        {"2024010112000", QDateTime()},
        {"2024-01-01 12:00", QDateTime()},
    };
    for (int pass = 0; pass < 2; ++pass) { // the second pass answers from the cache
        for (const Case &c : cases) {
            SCOPED_TRACE(c.text);
            EXPECT_EQ(OVSQLite3DB::dateForString(c.text), c.expected);
        }
    }
}

// One storable range for the writer, the readers and the range bounds: a date text of another
// century reads as no date, a report's time must be a real calendar date, and a range bound
// beyond the range is clamped to it.
TEST(SQLite3DBDateText, OneStorableRangeForWritingReadingAndBounds)
{
    struct Case
    {
        const char *text;
        QDateTime read;  // dateForString
        QDateTime exact; // exactDateForString
    };
    const Case cases[] = {
        {"20240102153045", utc(2024, 1, 2, 15, 30, 45), utc(2024, 1, 2, 15, 30, 45)},
        {"20240230120000", utc(2024, 3, 1, 12), QDateTime()}, // lenient for stored rows only
        {"20240229120000", utc(2024, 2, 29, 12), utc(2024, 2, 29, 12)},
        {"21240102153045", QDateTime(), QDateTime()},
        {"18500102153045", QDateTime(), QDateTime()},
        {"99990102153045", QDateTime(), QDateTime()},
        {"19000101000000", utc(1900, 1, 1), utc(1900, 1, 1)},
        {"20991231235959", utc(2099, 12, 31, 23, 59, 59), utc(2099, 12, 31, 23, 59, 59)},
        {"0", QDateTime(), QDateTime()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(OVSQLite3DB::dateForString(c.text), c.read);
        EXPECT_EQ(OVSQLite3DB::exactDateForString(c.text), c.exact);
    }
    const QDateTime first(QDate(1, 1, 1), QTime(0, 0), QTimeZone::utc());
    EXPECT_EQ(OVSQLite3DB::stringForBound(first), "19000101000000");
    EXPECT_EQ(OVSQLite3DB::stringForBound(utc(9999, 12, 31)), "20991231235959");
    EXPECT_EQ(OVSQLite3DB::stringForBound(utc(2024, 5, 1)), "20240501000000");
    EXPECT_EQ(OVSQLite3DB::stringForBound(QDateTime()), "0");
    EXPECT_TRUE(OVSQLite3DB::isStorableDate(OVSQLite3DB::latestStorableDate()));
    EXPECT_FALSE(OVSQLite3DB::isStorableDate(OVSQLite3DB::latestStorableDate().addMSecs(1)));
    EXPECT_FALSE(OVSQLite3DB::isStorableDate(OVSQLite3DB::earliestStorableDate().addMSecs(-1)));
}

TEST(SQLite3DBDateText, OffsetStringIsFlooredHHMMSS)
{
    EXPECT_EQ(OVSQLite3DB::offsetStringForTimeZone(QTimeZone(0)), "0");
    EXPECT_EQ(OVSQLite3DB::offsetStringForTimeZone(QTimeZone(-12600)), "-37000");
    EXPECT_EQ(OVSQLite3DB::offsetStringForTimeZone(QTimeZone(19800)), "53000");
    EXPECT_EQ(OVSQLite3DB::offsetStringForTimeZone(QTimeZone(-18000)), "-50000");
}

TEST_F(SQLite3DB, BatchInsertStoresNullsDatesAndShortestNumbersAndSkipsDuplicates)
{
    const QDateTime t0 = utc(2024, 5, 22, 12);
    const QList<QVariantMap> rows{
        observation("KJFK", t0, 72.1f, 270, "Clear"),
        observation("KJFK", t0.addSecs(300), -1000, -1000.0, "NULL"),
        observation("KJFK", t0, 99.0, 90, "Re-sent"), // same key as the first row
        observation("KJFK", t0.addSecs(600), 0.1, QVariant(), "Fog"),
    };
    EXPECT_TRUE(db->insertObjectArray(rows, ObservationColumns, "observations", {-1000}));
    EXPECT_EQ(shell(path, "SELECT entry_date, typeof(entry_date), temp, typeof(temp), quote(wind_dir), "
                          "quote(conditions) FROM observations ORDER BY entry_date"),
              "20240522120000|integer|72.1|real|270|'Clear'\n"
              "20240522120500|integer||null|NULL|NULL\n"
              "20240522121000|integer|0.1|real|NULL|'Fog'");
    EXPECT_TRUE(db->insertDictionaryArray({{{"icao", "LFPG"}, {"name", "Paris"}}}, "stations"));
    EXPECT_EQ(shell(path, "SELECT name FROM stations WHERE icao = 'LFPG'"), "Paris");
    EXPECT_TRUE(db->insertObjectArray(QList<QVariantMap>(), ObservationColumns, "observations"));
}

TEST_F(SQLite3DB, BatchInsertRefusedByAFullDatabaseStoresNothing)
{
    ASSERT_TRUE(db->insertObjectArray(QList<QVariantMap>{observation("KBOS", utc(2024, 1, 1), 1.5)},
                                      ObservationColumns, "observations"));
    const int pages = shell(path, "PRAGMA page_count").toInt();
    ASSERT_TRUE(db->doQuery(QStringLiteral("PRAGMA max_page_count = %1").arg(pages)));
    QList<QVariantMap> rows;
    for (int i = 1; i <= 200; ++i)
        rows.append(observation("KBOS", utc(2024, 1, 1).addSecs(300 * i), i, i, QString(200, QLatin1Char('x'))));
    LogCapture log;
    EXPECT_FALSE(db->insertObjectArray(rows, ObservationColumns, "observations"));
    EXPECT_TRUE(log.contains("rolled back"));
    EXPECT_EQ(shell(path, "SELECT count(*), sum(temp) FROM observations"), "1|1.5");
    // A single statement that loses its write says why at the normal level, debug flag off.
    LogCapture writeLog;
    EXPECT_FALSE(db->doQuery("UPDATE observations SET conditions = ?", {QString(100000, QLatin1Char('x'))}));
    EXPECT_TRUE(writeLog.contains("Error: database or disk is full")) << writeLog.lines().join('\n').toStdString();
    EXPECT_EQ(shell(path, "PRAGMA integrity_check"), "ok");
}

TEST_F(SQLite3DB, CommitBlockedByAnotherReaderIsRolledBackAndTheConnectionStillWorks)
{
    ASSERT_TRUE(db->insertObjectArray(QList<QVariantMap>{observation("KBOS", utc(2024, 1, 1), 1.5)},
                                      ObservationColumns, "observations"));
    db->setBusyTimeout(50);
    sqlite3 *reader = nullptr;
    ASSERT_EQ(sqlite3_open_v2(path.toUtf8().constData(), &reader, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt *open = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(reader, "SELECT * FROM observations", -1, &open, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(open), SQLITE_ROW); // holds a shared lock until finalized

    LogCapture log;
    EXPECT_FALSE(db->insertObjectArray(QList<QVariantMap>{observation("KBOS", utc(2024, 1, 2), 2.5)},
                                       ObservationColumns, "observations"));
    EXPECT_TRUE(log.contains("[OVSQLite3DB doQuery] Failed to commit"));
    sqlite3_finalize(open);
    sqlite3_close(reader);

    EXPECT_TRUE(db->insertObjectArray(QList<QVariantMap>{observation("KBOS", utc(2024, 1, 3), 3.5)},
                                      ObservationColumns, "observations"));
    EXPECT_EQ(shell(path, "SELECT group_concat(temp) FROM observations"), "1.5,3.5");
}

TEST(SQLite3DBFiles, OpeningMissingAndForeignFiles)
{
    QTemporaryDir dir;
    EXPECT_EQ(OVSQLite3DB::initWithDatabasePath(QString()), nullptr);

    const QString missing = dir.filePath("missing.db");
    const auto readonly = OVSQLite3DB::initWithDatabasePath(missing, true);
    ASSERT_TRUE(readonly);
    EXPECT_FALSE(readonly->connectionOpen());
    EXPECT_FALSE(readonly->selectStringArrayWithQuery("SELECT 1"));
    EXPECT_FALSE(QFile::exists(missing));
    const auto created = OVSQLite3DB::initWithDatabasePath(missing);
    EXPECT_TRUE(created->connectionOpen());
    EXPECT_TRUE(created->doQuery("CREATE TABLE t (a)"));
    EXPECT_EQ(shell(missing, ".tables"), "t");

    const QString foreign = dir.filePath("foreign.db");
    QByteArray bytes;
    for (int i = 0; i < 256; ++i)
        bytes += "These bytes are no database. ";
    QFile file(foreign);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    const auto db = OVSQLite3DB::initWithDatabasePath(foreign);
    LogCapture log;
    OVSetDebugLoggingEnabled(1);
    EXPECT_FALSE(db->selectStringArrayWithQuery("SELECT name FROM sqlite_master"));
    EXPECT_FALSE(db->selectDictionaryArrayWithQuery("SELECT name FROM sqlite_master"));
    EXPECT_FALSE(db->insertDictionaryArray({{{"a", 1}}}, "t"));
    OVSetDebugLoggingEnabled(0);
    EXPECT_TRUE(log.contains("[OVSQLite3DB selectStringArrayWithQuery] Failed to prepare query"));
    EXPECT_EQ(readTestFile(foreign), bytes);
}
