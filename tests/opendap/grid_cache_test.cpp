// The persistent grid cache in a temporary folder: round trips, the newest run, replacing,
// pruning (checked with the sqlite3 shell), a damaged store, an SQLite VFS that refuses to open
// or reports a full disk, lost value files and variable names that cannot name a file.
#include "OpenDAPTestSupport.h"
#include "SQLiteFaultVFS.h"
#include "opendap/OVOpenDAPCache.h"

#include "core/OVGrid.h"
#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <QTimeZone>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

QDateTime utc(int day, int hour)
{
    return QDateTime(QDate(2024, 3, day), QTime(hour, 0), QTimeZone::utc());
}

// A 3 x 2 grid over an awkward rect, its values offset by `base`.
std::shared_ptr<OVGrid> sampleGrid(double base)
{
    const std::vector<double> values = {base, base + 1, base + 2, base + 3, -1000.0, base + 5.5};
    return OVGrid::make(values, OVGeoRectMake(10.1, 200.3, 50.7, 359.9), 3, 2);
}

class GridCache : public testing::Test
{
protected:
    QString storePath() const { return folder.filePath("OpenDAP_Cache.sqlite"); }
    QString sql(const QString &statement) const { return runTool("sqlite3", {storePath(), statement}).trimmed(); }
    // Every file below the temporary folder, relative to it, except the store's own.
    QStringList valueFiles() const
    {
        QStringList files;
        for (QDirIterator it(folder.path(), QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
            const QString path = QDir(folder.path()).relativeFilePath(it.next());
            if (!QFileInfo(path).fileName().startsWith("OpenDAP_Cache.sqlite"))
                files << path;
        }
        files.sort();
        return files;
    }

    QTemporaryDir folder;
    LogCapture log;
};

} // namespace

TEST_F(GridCache, AStoredGridComesBackWithItsValuesAndASinglePrecisionRect)
{
    OVOpenDAPCache cache;
    cache.setCacheDirectory(folder.path());
    ASSERT_TRUE(cache.cacheReady());
    EXPECT_EQ(cache.gridDataPath("tmp2m", 2, utc(19, 6), 3, 20),
              folder.filePath("Grids/20_20240319060000_3_tmp2m_2.data"));

    const auto grid = sampleGrid(270.25);
    cache.insertGrid(*grid, "tmp2m", 2, utc(19, 6), 3, 20);
    EXPECT_EQ(valueFiles(), QStringList{"Grids/20_20240319060000_3_tmp2m_2.data"});
    EXPECT_EQ(readTestFile(folder.filePath("Grids/20_20240319060000_3_tmp2m_2.data")), grid->dataForValues());

    const auto cached = cache.queryGrid("tmp2m", 2, utc(19, 6), 3, 20);
    ASSERT_TRUE(cached);
    EXPECT_EQ(cached->values(), grid->values());
    EXPECT_EQ(cached->xResolution(), 3u);
    EXPECT_EQ(cached->yResolution(), 2u);
    EXPECT_EQ(cached->geoRect().minPoint.latitude, double(10.1f));
    EXPECT_EQ(cached->geoRect().minPoint.longitude, double(200.3f));
    EXPECT_EQ(cached->geoRect().maxPoint.latitude, double(50.7f));
    EXPECT_EQ(cached->geoRect().maxPoint.longitude, double(359.9f));

    // Any other key: nothing.
    EXPECT_FALSE(cache.queryGrid("tmp2m", 1, utc(19, 6), 3, 20));
    EXPECT_FALSE(cache.queryGrid("tmp2m", 2, utc(19, 12), 3, 20));
    EXPECT_FALSE(cache.queryGrid("tmp2m", 2, utc(19, 6), 4, 20));
    EXPECT_FALSE(cache.queryGrid("tmpprs", 2, utc(19, 6), 3, 20));
    EXPECT_FALSE(cache.queryGrid("tmp2m", 2, utc(19, 6), 3, 21));
    EXPECT_EQ(sql("SELECT queryModelRunTime FROM OVOpenDAPCachedGrid"), "20240319060000");
}

TEST_F(GridCache, StoringTheSameKeysAgainReplacesTheRecord)
{
    OVOpenDAPCache cache;
    cache.setCacheDirectory(folder.path());
    cache.insertGrid(*sampleGrid(1), "tmp2m", 0, utc(19, 6), 0, 20);
    cache.insertGrid(*sampleGrid(100), "tmp2m", 0, utc(19, 6), 0, 20);
    EXPECT_EQ(sql("SELECT count(*) FROM OVOpenDAPCachedGrid"), "1");
    EXPECT_EQ(cache.queryGrid("tmp2m", 0, utc(19, 6), 0, 20)->values(), sampleGrid(100)->values());
    EXPECT_EQ(valueFiles().size(), 1);
}

TEST_F(GridCache, TheLatestQueryAnswersFromTheNewestRunAtItsLastStep)
{
    OVOpenDAPCache cache;
    cache.setCacheDirectory(folder.path());
    cache.insertGrid(*sampleGrid(1), "tmp2m", 0, utc(18, 18), 5, 20);
    cache.insertGrid(*sampleGrid(2), "tmp2m", 0, utc(19, 0), 1, 20);
    cache.insertGrid(*sampleGrid(3), "tmp2m", 0, utc(19, 0), 2, 20);
    cache.insertGrid(*sampleGrid(4), "tmp2m", 0, utc(19, 6), 0, 21); // another collection
    cache.insertGrid(*sampleGrid(5), "tmp2m", 1, utc(19, 6), 0, 20); // another level
    const auto latest = cache.queryGridLatest("tmp2m", 0, 20);
    ASSERT_TRUE(latest);
    EXPECT_EQ(latest->values(), sampleGrid(3)->values());
    EXPECT_FALSE(cache.queryGridLatest("tmpprs", 0, 20));
}

TEST_F(GridCache, ANotReadyCacheAnswersNothingAndStoresNothing)
{
    OVOpenDAPCache cache;
    EXPECT_FALSE(cache.cacheReady());
    EXPECT_FALSE(cache.queryGrid("tmp2m", 0, utc(19, 0), 0, 20));
    EXPECT_FALSE(cache.queryGridLatest("tmp2m", 0, 20));
    cache.insertGrid(*sampleGrid(1), "tmp2m", 0, utc(19, 0), 0, 20);
    cache.deleteGridsOlderThan(utc(19, 0));
    EXPECT_TRUE(cache.gridDataPath("tmp2m", 0, utc(19, 0), 0, 20).isNull());
    EXPECT_EQ(log.lines().count("[OVOpenDAPCache cacheReady] Cache isn't ready.  Have you set a cache directory yet?"),
              5);

    cache.setCacheDirectory(QString());
    EXPECT_TRUE(log.contains("[OVOpenDAPCache setCacheDirectory] Can't set a nil path for the cache."));
    EXPECT_FALSE(cache.cacheReady());
}

TEST_F(GridCache, ASecondCacheDirectoryOnlyLogs)
{
    OVOpenDAPCache cache;
    cache.setCacheDirectory(folder.path());
    QTemporaryDir other;
    cache.setCacheDirectory(other.path());
    EXPECT_TRUE(log.contains("[OVOpenDAPCache setCacheDirectory] The cache directory has previously been set.  Create "
                             "a new cache object if you want to use a new cache location."));
    EXPECT_EQ(cache.cacheDirectory(), folder.path());
    EXPECT_EQ(cache.gridsDirectory(), folder.filePath("Grids"));
    EXPECT_FALSE(QFile::exists(other.filePath("OpenDAP_Cache.sqlite")));
}

TEST_F(GridCache, PruningRemovesOldRunsTheirFilesAndOrphans)
{
    OVOpenDAPCache cache;
    cache.setCacheDirectory(folder.path());
    cache.insertGrid(*sampleGrid(1), "tmp2m", 0, utc(18, 12), 0, 20);
    cache.insertGrid(*sampleGrid(2), "tmp2m", 0, utc(18, 18), 1, 20);
    cache.insertGrid(*sampleGrid(3), "tmp2m", 0, utc(19, 0), 0, 20);
    writeTestFile(folder.filePath("Grids/20_20240101000000_0_lost_0.data"), "orphan");

    cache.deleteGridsOlderThan(utc(19, 0));
    EXPECT_EQ(sql("SELECT queryModelRunTime || ' ' || queryTimeIndex FROM OVOpenDAPCachedGrid"), "20240319000000 0");
    EXPECT_EQ(valueFiles(), QStringList{"Grids/20_20240319000000_0_tmp2m_0.data"});
    EXPECT_TRUE(cache.queryGrid("tmp2m", 0, utc(19, 0), 0, 20));
}

TEST_F(GridCache, ADamagedStoreIsMadeAfreshOnce)
{
    writeTestFile(storePath(), QByteArray("this is no database, just some text that fills a page").repeated(100));
    writeTestFile(folder.filePath("Grids/20_20240319000000_0_tmp2m_0.data"), "left from the damaged store");
    OVOpenDAPCache cache;
    cache.setCacheDirectory(folder.path());
    EXPECT_TRUE(log.contains("[OVOpenDAPCache setCacheDirectory] Couldn't initialize persistentStoreCoordinator: "));
    EXPECT_FALSE(log.contains("Cache disabled."));
    ASSERT_TRUE(cache.cacheReady());
    EXPECT_TRUE(valueFiles().isEmpty());
    cache.insertGrid(*sampleGrid(7), "tmp2m", 0, utc(19, 0), 0, 20);
    EXPECT_EQ(cache.queryGrid("tmp2m", 0, utc(19, 0), 0, 20)->values(), sampleGrid(7)->values());
    EXPECT_EQ(sql("PRAGMA user_version"), "1");
}

TEST_F(GridCache, AStoreThatCannotBeOpenedDisablesTheCache)
{
    SQLiteFaultVFS vfs;
    vfs.setMode(SQLiteFaultVFS::Mode::RefuseOpen);
    {
        OVOpenDAPCache cache;
        cache.setCacheDirectory(folder.path());
        EXPECT_EQ(log.lines().filter("Couldn't initialize persistentStoreCoordinator").size(), 2);
        EXPECT_TRUE(log.contains("[OVOpenDAPCache setCacheDirectory] Tried resetting the database but still failed.  "
                                 "Cache disabled."));
        vfs.setMode(SQLiteFaultVFS::Mode::Pass);
        EXPECT_FALSE(cache.cacheReady());
        EXPECT_FALSE(cache.queryGrid("tmp2m", 0, utc(19, 0), 0, 20));
        cache.insertGrid(*sampleGrid(1), "tmp2m", 0, utc(19, 0), 0, 20);
        EXPECT_TRUE(valueFiles().isEmpty());
        EXPECT_TRUE(log.contains("[OVOpenDAPCache cacheReady] Cache isn't ready."));
    }
}

TEST_F(GridCache, AFullDiskLeavesNoValueFileAndKeepsTheOlderRecords)
{
    SQLiteFaultVFS vfs;
    {
        OVOpenDAPCache cache;
        cache.setCacheDirectory(folder.path());
        ASSERT_TRUE(cache.cacheReady());
        cache.insertGrid(*sampleGrid(1), "tmp2m", 0, utc(18, 0), 0, 20);
        cache.insertGrid(*sampleGrid(2), "tmp2m", 0, utc(19, 0), 0, 20);

        vfs.setMode(SQLiteFaultVFS::Mode::DiskFull);
        cache.insertGrid(*sampleGrid(3), "tmp2m", 0, utc(19, 6), 0, 20);
        cache.insertGrid(*sampleGrid(4), "tmp2m", 0, utc(19, 0), 0, 20); // the same keys as a stored grid
        vfs.setMode(SQLiteFaultVFS::Mode::Pass);

        EXPECT_EQ(log.lines().filter("[OVOpenDAPCache insertGrid] Couldn't save managed object context: ").size(), 2);
        EXPECT_EQ(valueFiles(),
                  (QStringList{"Grids/20_20240318000000_0_tmp2m_0.data", "Grids/20_20240319000000_0_tmp2m_0.data"}));
        EXPECT_EQ(cache.queryGrid("tmp2m", 0, utc(18, 0), 0, 20)->values(), sampleGrid(1)->values());
        EXPECT_EQ(cache.queryGrid("tmp2m", 0, utc(19, 0), 0, 20)->values(), sampleGrid(2)->values());
        EXPECT_FALSE(cache.queryGrid("tmp2m", 0, utc(19, 6), 0, 20));
    }
}

TEST_F(GridCache, ARecordWhoseValueFileIsGoneIsDeleted)
{
    OVOpenDAPCache cache;
    cache.setCacheDirectory(folder.path());
    cache.insertGrid(*sampleGrid(1), "tmp2m", 0, utc(19, 0), 0, 20);
    cache.insertGrid(*sampleGrid(2), "tmp2m", 0, utc(19, 6), 0, 20);
    ASSERT_TRUE(QFile::remove(cache.gridDataPath("tmp2m", 0, utc(19, 6), 0, 20)));
    EXPECT_FALSE(cache.queryGrid("tmp2m", 0, utc(19, 6), 0, 20));
    EXPECT_EQ(sql("SELECT queryModelRunTime FROM OVOpenDAPCachedGrid"), "20240319000000");

    // A cut file reads as lost too.
    const QString path = cache.gridDataPath("tmp2m", 0, utc(19, 0), 0, 20);
    writeTestFile(path, readTestFile(path).left(10));
    EXPECT_FALSE(cache.queryGridLatest("tmp2m", 0, 20));
    EXPECT_EQ(sql("SELECT count(*) FROM OVOpenDAPCachedGrid"), "0");
}

TEST_F(GridCache, VariableNamesThatCannotNameAFileAreNotCached)
{
    OVOpenDAPCache cache;
    QDir(folder.path()).mkpath("cache");
    cache.setCacheDirectory(folder.filePath("cache"));
    for (const char *name : {"a/../../x", "a/b", "..", "a b", ""}) {
        SCOPED_TRACE(name);
        cache.insertGrid(*sampleGrid(1), QString::fromLatin1(name), 0, utc(19, 0), 0, 20);
        EXPECT_FALSE(cache.queryGrid(QString::fromLatin1(name), 0, utc(19, 0), 0, 20));
    }
    EXPECT_EQ(log.lines().filter("[OVOpenDAPCache insertGrid] Not caching variable").size(), 5);
    EXPECT_TRUE(valueFiles().isEmpty());
    EXPECT_EQ(
        runTool("sqlite3", {folder.filePath("cache/OpenDAP_Cache.sqlite"), "SELECT count(*) FROM OVOpenDAPCachedGrid"})
            .trimmed(),
        "0");

    cache.insertGrid(*sampleGrid(1), "UGRD-10m_above_ground", 0, utc(19, 0), 0, 20);
    EXPECT_TRUE(cache.queryGrid("UGRD-10m_above_ground", 0, utc(19, 0), 0, 20));
}
