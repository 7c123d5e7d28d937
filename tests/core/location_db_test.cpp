// The location database over a fixture built by the real build script (tools/locationdb) from a
// dozen rows in the data packages' shapes, checked with the sqlite3 shell where it can.
#include "core/OVGeoDistanceFunction.h"
#include "core/OVKeyValueMap.h"
#include "core/OVLocationDB.h"
#include "core/OVSQLite3DB.h"
#include "platform/OVDispatch.h"
#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <numbers>
#include <thread>

namespace {

QString scriptPath()
{
    return QDir(testDataPath(QStringLiteral("core/locationdb")))
        .absoluteFilePath(QStringLiteral("../../../../tools/locationdb/build-location-db.js"));
}

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString() << " failed: " << process.readAllStandardError().toStdString();
        return QString();
    }
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

void buildFixture(const QString &out)
{
    run(QStringLiteral("node"), {scriptPath(), QStringLiteral("--input"), testDataPath(QStringLiteral("core/locationdb")),
                                 QStringLiteral("--out"), out});
}

QString sqlite(const QString &file, const QString &sql)
{
    return run(QStringLiteral("sqlite3"), {file, sql});
}

QString text(const std::shared_ptr<OVKeyValue> &location, const char *key)
{
    return location ? location->valueForKey(QString::fromUtf8(key)).toString() : QString();
}

class LocationDBTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        sFolder = new QTemporaryDir();
        buildFixture(fixturePath());
    }
    static void TearDownTestSuite()
    {
        delete sFolder;
        sFolder = nullptr;
    }
    void SetUp() override
    {
        OVLocationDB::setLocalDBPath(QString());
        OVLocationDB::setLocationFactory([] { return std::make_shared<OVKeyValueMap>(); });
        db = OVLocationDB::initWithDatabasePath(fixturePath());
        ASSERT_TRUE(db->databaseReady());
    }
    static QString fixturePath() { return sFolder->filePath(QStringLiteral("location.db")); }
    static QString folderPath(const QString &name) { return sFolder->filePath(name); }

    std::shared_ptr<OVLocationDB> db;
    static inline QTemporaryDir *sFolder = nullptr;
};

QStringList column(const QList<QVariantMap> &rows, const char *key)
{
    QStringList values;
    for (const QVariantMap &row : rows)
        values << row.value(QString::fromUtf8(key)).toString();
    return values;
}

} // namespace

TEST_F(LocationDBTest, ScriptGivesTheSameFileTwiceWithTheExpectedSchema)
{
    const QString second = folderPath(QStringLiteral("second.db"));
    buildFixture(second);
    QFile a(fixturePath()), b(second);
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    EXPECT_EQ(a.readAll(), b.readAll());

    EXPECT_EQ(sqlite(fixturePath(), QStringLiteral("pragma integrity_check")), QStringLiteral("ok"));
    struct Table { const char *name; const char *columns; };
    const Table tables[] = {
        {"location", "location_id city state_code state_name country_code country_name latitude longitude "
                     "time_zone_name population"},
        {"location_icao", "location_id icao"},
        {"icao", "icao station_name latitude longitude elevation country_code state"},
        {"zip_code", "zip_code location_id"},
        {"country", "country_code country_name"},
        {"settings", "key int_value"},
    };
    for (const Table &t : tables) {
        SCOPED_TRACE(t.name);
        const QString names = sqlite(fixturePath(), QStringLiteral("select group_concat(name, ' ') from pragma_table_info('%1')")
                                                        .arg(QString::fromUtf8(t.name)));
        EXPECT_EQ(names, QString::fromUtf8(t.columns));
    }
    // Typed columns: ids and populations compare as numbers, postal codes keep their zeros.
    EXPECT_EQ(sqlite(fixturePath(), QStringLiteral("select typeof(location_id) || typeof(population) || typeof(latitude) "
                                                   "from location limit 1")),
              QStringLiteral("integerintegerreal"));
    EXPECT_EQ(sqlite(fixturePath(), QStringLiteral("select zip_code from zip_code order by zip_code limit 1")),
              QStringLiteral("00601"));
    EXPECT_EQ(sqlite(fixturePath(), QStringLiteral("select int_value from settings where key = 'creation_date'")).size(), 10);
}

TEST_F(LocationDBTest, Searches)
{
    struct Case { const char *text; const char *cities; const char *stations; };
    const Case cases[] = {
        {"97201", "Portland", "KPDX"},
        {"972", "Portland", "KPDX"},
        {"00601", "O'Fallon", "KSTL"},
        {"KPDX", "Ab, Cd|Portland", "KPDX|KPDX"},
        {"kpd", "Ab, Cd|Portland", "KPDX|KPDX"},
        {"O'Fallon", "O'Fallon", "KSTL"},
        {"Paris, France", "Paris|Paris", "LFPG|KPRX"},  // France sorts before United States
        {"Ab, Cd", "Ab, Cd", "KPDX"},                   // comma at index 2: searched whole
        {"Oregon", "Ab, Cd|Portland", "KPDX|KPDX"},
        {"K' OR '1'='1", "", ""},
        {"' OR 1=1 --", "", ""},
        {"Nowhere", "", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        const auto rows = db->weatherLocationsForSearchTerm(QString::fromUtf8(c.text));
        ASSERT_TRUE(rows);
        EXPECT_EQ(column(*rows, "city").join('|'), QString::fromUtf8(c.cities));
        EXPECT_EQ(column(*rows, "icao").join('|'), QString::fromUtf8(c.stations));
    }
    const auto portland = *db->weatherLocationsForSearchTerm(QStringLiteral("97201"));
    EXPECT_EQ(portland.first().keys(), (QStringList{"city", "country_name", "icao", "location_id", "state", "station_name"}));
    EXPECT_EQ(portland.first().value("state"), QStringLiteral("OR"));
    EXPECT_EQ(portland.first().value("station_name"), QStringLiteral("Portland International Airport"));
    EXPECT_FALSE(db->weatherLocationsForSearchTerm(QString()));
}

// Searching as the user types must not scan every place: each LIKE of the query is answered
// from an index range, and the rows and their order are those of the plain join it replaced.
TEST_F(LocationDBTest, SearchesUseAnIndexForEveryBranchAndAnswerAsThePlainJoinDid)
{
    const auto raw = OVSQLite3DB::initWithDatabasePath(fixturePath(), true);
    ASSERT_TRUE(raw);
    const QString plainJoin = QStringLiteral(
        "select l.location_id as location_id, li.icao as icao, l.city as city, l.state_code as state, "
        "l.country_name as country_name, i.station_name as station_name from location l, location_icao li, icao i "
        "where (l.city like ? or l.state_name like ? or l.country_name like ? or i.icao like ?) "
        "and li.icao = i.icao and l.location_id = li.location_id order by l.country_name, l.state_code, l.city");
    for (const char *text : {"Pa", "pa", "Po", "Or", "Un", "Fr", "KP", "kp", "LF", "O'", "Ab"}) {
        SCOPED_TRACE(text);
        const auto [sql, params] = OVLocationDB::searchStatement(QString::fromUtf8(text));
        const auto plan = raw->selectDictionaryArrayWithQuery(QStringLiteral("explain query plan ") + sql, params);
        ASSERT_TRUE(plan && !plan->isEmpty());
        QStringList details = column(*plan, "detail");
        for (const QString &step : details)
            EXPECT_FALSE(step.startsWith(QLatin1String("SCAN"))) << step.toStdString();
        const QString steps = details.join('\n');
        for (const char *index : {"location_search_city_nocase", "location_search_state_name_nocase",
                                  "location_search_country_name_nocase", "location_search_icao_nocase"})
            EXPECT_TRUE(steps.contains(QLatin1String(index))) << index << "\n" << steps.toStdString();

        const QString prefix = QString::fromUtf8(text) + QLatin1Char('%');
        const auto expected = raw->selectDictionaryArrayWithQuery(plainJoin, {prefix, prefix, prefix, prefix});
        ASSERT_TRUE(expected);
        EXPECT_EQ(db->weatherLocationsForSearchTerm(QString::fromUtf8(text)), *expected);
    }
    const auto [zipSql, zipParams] = OVLocationDB::searchStatement(QStringLiteral("97"));
    const auto zipPlan = raw->selectDictionaryArrayWithQuery(QStringLiteral("explain query plan ") + zipSql, zipParams);
    ASSERT_TRUE(zipPlan);
    EXPECT_TRUE(column(*zipPlan, "detail").join('\n').contains(QLatin1String("zip_code_zip_code_nocase")));
}

// What the user types or pastes is text: LIKE's wildcards and its escape character match only
// themselves (still through the indexes), a NUL ends the term, and a pasted run of wildcards is
// cut short instead of being matched against every place.
TEST_F(LocationDBTest, SearchTermsAreLiteralText)
{
    struct Case { QString text; const char *cities; };
    const Case cases[] = {
        {QStringLiteral("%a"), ""},
        {QStringLiteral("_"), ""},
        {QStringLiteral("%"), ""},
        {QStringLiteral("P_ris"), ""},
        {QStringLiteral("Par%"), ""},
        {QStringLiteral("\\"), ""},
        {QStringLiteral("Pa\\%"), ""},
        {QStringLiteral("9720_"), ""},
        {QString(32765, QLatin1Char('%')) + QStringLiteral("zq"), ""},
        {QStringLiteral("Paris") + QChar(u'\0') + QStringLiteral("x"), "Paris|Paris"},
        {QStringLiteral("Portland") + QString(200, QLatin1Char('x')), ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text.left(40).toStdString());
        const auto rows = db->weatherLocationsForSearchTerm(c.text);
        ASSERT_TRUE(rows);
        EXPECT_EQ(column(*rows, "city").join('|'), QString::fromUtf8(c.cities));
    }
    EXPECT_FALSE(db->weatherLocationsForSearchTerm(QString(QChar(u'\0')) + QStringLiteral("Paris")))
        << "a term that is empty before its NUL searches nothing";

    const auto raw = OVSQLite3DB::initWithDatabasePath(fixturePath(), true);
    ASSERT_TRUE(raw);
    for (const QString &text : {QStringLiteral("%a"), QStringLiteral("_"), QStringLiteral("P_")}) {
        const auto [sql, params] = OVLocationDB::searchStatement(text);
        const auto plan = raw->selectDictionaryArrayWithQuery(QStringLiteral("explain query plan ") + sql, params);
        ASSERT_TRUE(plan && !plan->isEmpty());
        for (const QString &step : column(*plan, "detail"))
            EXPECT_FALSE(step.startsWith(QLatin1String("SCAN"))) << text.toStdString() << ": " << step.toStdString();
    }
}

TEST_F(LocationDBTest, SavedLocationByIdAndStation)
{
    const auto portland = db->weatherLocationWithID(5746545, QStringLiteral("KPDX"));
    ASSERT_TRUE(portland);
    EXPECT_EQ(text(portland, "city"), QStringLiteral("Portland"));
    EXPECT_EQ(text(portland, "stateCode"), QStringLiteral("OR"));
    EXPECT_EQ(text(portland, "stateName"), QStringLiteral("Oregon"));
    EXPECT_EQ(text(portland, "countryCode"), QStringLiteral("US"));
    EXPECT_EQ(text(portland, "countryName"), QStringLiteral("United States"));
    EXPECT_EQ(text(portland, "locationIdString"), QStringLiteral("5746545"));
    EXPECT_EQ(text(portland, "latitudeString"), QStringLiteral("45.52345"));
    EXPECT_EQ(text(portland, "longitudeString"), QStringLiteral("-122.67621"));
    EXPECT_EQ(text(portland, "elevationString"), QStringLiteral("9.4"));
    EXPECT_EQ(text(portland, "locationTimeZoneName"), QStringLiteral("America/Los_Angeles"));
    EXPECT_EQ(text(portland, "icao"), QStringLiteral("KPDX"));

    EXPECT_FALSE(db->weatherLocationWithID(5746545, QStringLiteral("LFPG")));
    EXPECT_FALSE(db->weatherLocationWithID(5746545, QStringLiteral("K' OR '1'='1")));
    EXPECT_FALSE(db->weatherLocationWithID(1, QStringLiteral("KPDX")));
}

TEST_F(LocationDBTest, PostalCodes)
{
    EXPECT_EQ(text(db->weatherLocationForZip(QStringLiteral("97201")), "city"), QStringLiteral("Portland"));
    EXPECT_EQ(text(db->weatherLocationForZip(QStringLiteral("97201")), "icao"), QStringLiteral("KPDX"));
    EXPECT_EQ(text(db->weatherLocationForZip(QStringLiteral("00601")), "city"), QStringLiteral("O'Fallon"));
    EXPECT_FALSE(db->weatherLocationForZip(QStringLiteral("601")));
    EXPECT_FALSE(db->weatherLocationForZip(QStringLiteral("' OR '1'='1")));
}

TEST_F(LocationDBTest, NearestPlaceAndStation)
{
    const auto portland = db->weatherLocationForGeoPoint(OVGeoPointMake(45.5, -122.6));
    EXPECT_EQ(text(portland, "city"), QStringLiteral("Portland"));
    EXPECT_EQ(text(portland, "icao"), QStringLiteral("KPDX"));

    // The settlement lies west of 180 degrees; its nearest station lies just east of it.
    const auto settlement = db->weatherLocationForGeoPoint(OVGeoPointMake(-16.5, 179.95));
    EXPECT_EQ(text(settlement, "city"), QStringLiteral("Eastern Cape Settlement"));
    EXPECT_EQ(text(settlement, "icao"), QStringLiteral("ZAEA"));
}

// Squared degree differences would choose NFNL (0.6 degrees west, 65 km) over ZAEA across the
// antimeridian (16 km), and ZHNB (4 degrees south, 445 km) over ZHNA (11.5 degrees of
// longitude at 80 N, 222 km).
TEST_F(LocationDBTest, NearestStationByTrueDistance)
{
    struct Case { double lat, lon; const char *icao; };
    const Case cases[] = {
        {-16.5, 179.95, "ZAEA"}, {-16.5, -179.95, "ZAEA"}, {-16.45, 179.3, "NFNL"},
        {80.0, 0.5, "ZHNA"},     {45.52345, -122.67621, "KPDX"}, {48.85, 2.35, "LFPG"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.lat << ", " << c.lon);
        EXPECT_EQ(db->closestICAOToGeoPoint(OVGeoPointMake(c.lat, c.lon)), QString::fromUtf8(c.icao));
    }
}

TEST_F(LocationDBTest, StationRecords)
{
    const auto record = db->icaoRecord(QStringLiteral("KPDX"));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->value("station_name"), QStringLiteral("Portland International Airport"));
    EXPECT_EQ(record->value("latitude"), QStringLiteral("45.58869934"));
    EXPECT_EQ(record->value("elevation"), QStringLiteral("9.4"));
    EXPECT_EQ(record->value("country_code"), QStringLiteral("US"));
    EXPECT_FALSE(db->icaoRecord(QStringLiteral("K' OR '1'='1")));
    EXPECT_FALSE(db->icaoRecord(QString()));

    const auto cached = db->icaoDictionary(QStringLiteral("KPDX"));
    ASSERT_TRUE(cached);
    EXPECT_EQ(cached->value("state"), QStringLiteral("OR"));
    EXPECT_EQ(cached->value("station_name"), QStringLiteral("Portland International Airport"));
    EXPECT_FALSE(db->icaoDictionary(QStringLiteral("XXXX")));
}

TEST_F(LocationDBTest, SameNamedCitiesGiveOneEntryAtTheLargest)
{
    const auto rows = db->citiesWithPopulationAbove(50000);
    ASSERT_TRUE(rows);
    EXPECT_EQ(column(*rows, "city").join('|'), QStringLiteral("Paris|Portland|O'Fallon"));
    EXPECT_EQ(rows->first().value("latitude"), QStringLiteral("48.85341"));
    EXPECT_EQ(rows->first().value("population"), QStringLiteral("2138551"));
}

TEST_F(LocationDBTest, RectangleScansIncludeTheirBounds)
{
    struct Case { const char *name; OVGeoRect rect; const char *cities; const char *stations; };
    const Case cases[] = {
        {"Portland's own point", OVGeoRectMake(45.52345, -122.67621, 45.52345, -122.67621), "Portland", ""},
        {"KPDX's own point", OVGeoRectMake(45.58869934, -122.5979996, 45.58869934, -122.5979996), "", "KPDX"},
        {"Pacific north-west", OVGeoRectMake(40, -125, 50, -120), "Portland", "KPDX"},
        {"just short of Portland", OVGeoRectMake(45.5235, -122.67621, 46, -122), "", "KPDX"},
        {"the world", OVGeoRectMake(-90, -180, 90, 180), "Paris|Portland|O'Fallon|Paris",
         "ZAEA|NFNL|KPRX|KSTL|KPDX|LFPG|LFOI|ZHNB|ENSB|ZHNA"},
        {"Fiji either side of 180", OVGeoRectMake(-17, 179, -16, 180), "", "NFNL"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QStringList cities;
        for (const OVCityCacheItem &item : db->citiesInGeoRect(c.rect))
            cities << item.city;
        EXPECT_EQ(cities.join('|'), QString::fromUtf8(c.cities));
        const auto stations = db->icaoStationsInGeoRect(c.rect);
        ASSERT_TRUE(stations);
        EXPECT_EQ(column(*stations, "icao").join('|'), QString::fromUtf8(c.stations));
    }
}

TEST_F(LocationDBTest, CountryList)
{
    const auto countries = db->countryList();
    ASSERT_TRUE(countries);
    EXPECT_EQ(column(*countries, "country_name").join('|'),
              QStringLiteral("Fiji|France|Norway|Svalbard and Jan Mayen|United States"));
    EXPECT_EQ(countries->first().value("country_code"), QStringLiteral("FJ"));
}

TEST_F(LocationDBTest, TwoThreadsOnAFreshInstanceSeeOneCache)
{
    const auto fresh = OVLocationDB::initWithDatabasePath(fixturePath());
    const OVGeoRect world = OVGeoRectMake(-90, -180, 90, 180);
    struct Seen { qsizetype stations = 0, cities = 0; QString state; };
    Seen seen[2];
    auto work = [&](Seen &out) {
        for (int i = 0; i < 50; ++i) {
            out.stations = fresh->icaoStationsInGeoRect(world).value_or(QList<QVariantMap>()).size();
            out.cities = fresh->citiesInGeoRect(world).size();
            out.state = fresh->icaoDictionary(QStringLiteral("KSTL")).value_or(QVariantMap()).value("state").toString();
        }
    };
    std::thread first(work, std::ref(seen[0]));
    std::thread second(work, std::ref(seen[1]));
    first.join();
    second.join();
    for (const Seen &s : seen) {
        EXPECT_EQ(s.stations, 10);
        EXPECT_EQ(s.cities, 4);
        EXPECT_EQ(s.state, QStringLiteral("MO"));
    }
}

namespace {

class SearchDelegate : public QObject, public OVLocationSearchDelegate
{
public:
    void setLocationSearch(const QList<QVariantMap> &results) override
    {
        EXPECT_TRUE(OVDispatch::isMainThread());
        received = results;
        calls++;
    }
    QList<QVariantMap> received;
    int calls = 0;
};

} // namespace

TEST_F(LocationDBTest, ThreadedSearchAnswersOnTheMainThread)
{
    SearchDelegate delegate;
    db->threadedWeatherLocationsForSearchTerm(QStringLiteral("O'Fallon"), &delegate);
    ASSERT_TRUE(waitUntil([&] { return delegate.calls == 1; }));
    EXPECT_EQ(column(delegate.received, "city"), QStringList{QStringLiteral("O'Fallon")});

    // A delegate gone before the answer gets nothing (and nothing crashes).
    auto *gone = new SearchDelegate;
    db->threadedWeatherLocationsForSearchTerm(QStringLiteral("Paris"), gone);
    delete gone;
    SearchDelegate later;
    db->threadedWeatherLocationsForSearchTerm(QStringLiteral("Paris"), &later);
    ASSERT_TRUE(waitUntil([&] { return later.calls == 1; }));
    QCoreApplication::processEvents();
}

TEST_F(LocationDBTest, MissingEmptyAndGarbageFilesAnswerNothing)
{
    QFile empty(folderPath(QStringLiteral("empty.db")));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    QFile garbage(folderPath(QStringLiteral("garbage.db")));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray(8192, '\x5a'));
    garbage.close();

    struct Case { const char *name; QString path; const char *log; };
    const Case cases[] = {
        {"missing", folderPath(QStringLiteral("missing.db")), "No location database could be opened"},
        {"empty", empty.fileName(), "is not a location database"},
        {"garbage", garbage.fileName(), "is not a location database"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        LogCapture log;
        const auto bad = OVLocationDB::initWithDatabasePath(c.path);
        EXPECT_TRUE(log.contains(QString::fromUtf8(c.log))) << log.lines().join('\n').toStdString();
        EXPECT_FALSE(bad->databaseReady());
        EXPECT_EQ(bad->weatherLocationsForSearchTerm(QStringLiteral("Paris")), QList<QVariantMap>());
        EXPECT_EQ(bad->countryList(), QList<QVariantMap>());
        EXPECT_FALSE(bad->weatherLocationWithID(5746545, QStringLiteral("KPDX")));
        EXPECT_FALSE(bad->weatherLocationForGeoPoint(OVGeoPointMake(45, -122)));
        EXPECT_TRUE(bad->closestICAOToGeoPoint(OVGeoPointMake(45, -122)).isEmpty());
        EXPECT_FALSE(bad->citiesWithPopulationAbove(0));
        EXPECT_TRUE(bad->citiesInGeoRect(OVGeoRectMake(-90, -180, 90, 180)).isEmpty());
        EXPECT_FALSE(bad->icaoStationsInGeoRect(OVGeoRectMake(-90, -180, 90, 180)));
        EXPECT_FALSE(bad->icaoRecord(QStringLiteral("KPDX")));
    }
    EXPECT_EQ(QFileInfo(garbage.fileName()).size(), 8192); // opened read-only: left as it was
}

TEST_F(LocationDBTest, WithoutAFactoryNoPlaceIsMade)
{
    OVLocationDB::setLocationFactory({});
    LogCapture log;
    EXPECT_FALSE(db->weatherLocationWithID(5746545, QStringLiteral("KPDX")));
    EXPECT_TRUE(log.contains(QStringLiteral("No location factory")));
}

TEST(GeoDistanceFunction, NullsEqualPointsAndAQuarterMeridian)
{
    const auto memory = OVSQLite3DB::initWithDatabasePath(QStringLiteral(":memory:"));
    ASSERT_TRUE(memory && memory->connectionOpen());
    ASSERT_TRUE(OVRegisterGeoDistanceFunction(*memory));
    auto value = [&](const char *sql) { return memory->selectStringArrayWithQuery(QString::fromUtf8(sql))->value(0); };
    EXPECT_EQ(value("select geo_distance(NULL, 0, 0, 0) is null"), QStringLiteral("1"));
    EXPECT_EQ(value("select geo_distance(1, 2, 3, NULL) is null"), QStringLiteral("1"));
    for (const char *sql : {"select geo_distance(45.123, -120.456, 45.123, -120.456)",
                            "select geo_distance(45.52345, -122.67621, 45.52345, -122.67621)",
                            "select geo_distance(-16.4332, 179.36451, -16.4332, 179.36451)"}) {
        SCOPED_TRACE(sql);
        EXPECT_EQ(value(sql).toDouble(), 0.0);
        EXPECT_FALSE(value(sql).isEmpty()); // not NULL
    }
    EXPECT_NEAR(value("select geo_distance(0, 0, 0, 90)").toDouble(), 6371009 * std::numbers::pi / 2, 1e-6);
}

TEST_F(LocationDBTest, LocalCopyFollowsTheMastersStamp)
{
    const QString master = fixturePath();
    const QString local = folderPath(QStringLiteral("local.db"));
    struct Case { const char *name; const char *stamp; bool replaced; };
    const Case cases[] = {
        {"other stamp", "1999010100", true},
        {"same stamp", nullptr, false},
        {"no stamp", "NULL", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(local);
        ASSERT_TRUE(QFile::copy(master, local));
        QFile::setPermissions(local, QFile::ReadOwner | QFile::WriteOwner);
        // Mark the copy so we can tell whether it was replaced.
        sqlite(local, QStringLiteral("insert into country values ('ZZ', 'Marker')"));
        if (c.stamp)
            sqlite(local, QStringLiteral("update settings set int_value = %1 where key = 'creation_date'")
                              .arg(QString::fromUtf8(c.stamp)));
        OVLocationDB::setLocalDBPath(local);
        const auto withCopy = OVLocationDB::initWithDatabasePath(master);
        OVLocationDB::setLocalDBPath(QString());
        EXPECT_TRUE(withCopy->databaseReady());
        const bool marked = column(*withCopy->countryList(), "country_code").contains(QStringLiteral("ZZ"));
        EXPECT_EQ(marked, !c.replaced);
        EXPECT_EQ(sqlite(local, QStringLiteral("select int_value from settings")),
                  sqlite(master, QStringLiteral("select int_value from settings")));
    }

    // No master to copy from: the local copy stays.
    const QString lonely = folderPath(QStringLiteral("lonely.db"));
    ASSERT_TRUE(QFile::copy(master, lonely));
    OVLocationDB::setLocalDBPath(lonely);
    const auto withoutMaster = OVLocationDB::initWithDatabasePath(folderPath(QStringLiteral("gone.db")));
    OVLocationDB::setLocalDBPath(QString());
    EXPECT_TRUE(QFileInfo::exists(lonely));
    EXPECT_TRUE(withoutMaster->databaseReady());
}
