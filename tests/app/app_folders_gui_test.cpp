// The support folders at launch: the one-time migration from the old folder, the folders a
// fresh install gets, and the launch failures (files stand in the way: the tests may run as
// root, for whom permissions stop nothing).
#include "AppControllerFixture.h"
#include "app/NBSupportFolders.h"
#include "core/NBPrefController.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

void writeFile(const QString &path, const QByteArray &contents = "x")
{
    writeTestFile(path, contents);
}



} // namespace

TEST_F(AppControllerTest, TheOldFolderMigratesOnce)
{
    const QString old = NBPrefController::oldNimbrelSupportPath();
    writeFile(old + "/Observations/KPDX.db", "observations");
    writeFile(old + "/Journal Entries/5746545/2024-05-22.rtf", "journal");
    writeFile(old + "/TerrainCache/3/1/2.png", "terrain");
    launch();

    const QString support = NBPrefController::nimbrelCoreSupportPath();
    EXPECT_EQ(readTestFile(NBPrefController::nimbrelCoreObservationsPath() + "/KPDX.db"), "observations");
    EXPECT_EQ(readTestFile(NBPrefController::nimbrelCoreJournalPath() + "/5746545/2024-05-22.rtf"), "journal");
    EXPECT_EQ(readTestFile(NBPrefController::nimbrelCoreCachePath() + "/Terrain/3/1/2.png"), "terrain");
    EXPECT_FALSE(QFileInfo::exists(old + "/TerrainCache")) << "the terrain cache is moved, not copied";
    EXPECT_EQ(readTestFile(old + "/Observations/KPDX.db"), "observations") << "the old folder keeps its data";
    EXPECT_TRUE(env.alerts->alerts.empty());

    writeFile(old + "/Observations/EGLL.db", "later");
    EXPECT_FALSE(NBSupportFolders::migrateOldSupportFolder(support, old).has_value());
    EXPECT_FALSE(QFileInfo::exists(NBPrefController::nimbrelCoreObservationsPath() + "/EGLL.db")) << "migrated once only";
}

TEST_F(AppControllerTest, AFreshInstallGetsEveryFolderIncludingTheCache)
{
    launch();
    for (const QString &folder : {NBPrefController::nimbrelCoreSupportPath(), NBPrefController::nimbrelCoreJournalPath(),
                                  NBPrefController::nimbrelCoreObservationsPath(), NBPrefController::nimbrelCoreCachePath()}) {
        SCOPED_TRACE(folder.toStdString());
        EXPECT_TRUE(QFileInfo(folder).isDir());
    }
    EXPECT_TRUE(controller->appDidFinishLaunching());
}

namespace {

struct BlockedCase
{
    const char *name;
    bool fileAtDataHome; // else a file at the journal folder
    const char *title;
};

void PrintTo(const BlockedCase &c, std::ostream *out)
{
    *out << c.name;
}

class BlockedFolderTest : public AppControllerTest, public testing::WithParamInterface<BlockedCase>
{
};

} // namespace

TEST_P(BlockedFolderTest, EndsTheLaunchWithACriticalAlert)
{
    const BlockedCase &c = GetParam();
    if (c.fileAtDataHome) {
        const QString dataHome = QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME"));
        ASSERT_TRUE(QDir(dataHome).removeRecursively());
        writeFile(dataHome);
    } else {
        QDir().mkpath(NBPrefController::nimbrelCoreSupportPath());
        writeFile(NBPrefController::nimbrelCoreJournalPath());
    }
    saveLocations({portlandLookup()});
    LogCapture log;
    NotificationWaiter updates(QStringLiteral("OVNotifyForceReload"));
    launch();

    ASSERT_EQ(env.alerts->alerts.size(), 1u);
    EXPECT_TRUE(env.alerts->alerts.front().critical);
    EXPECT_EQ(env.alerts->alerts.front().title, QString::fromUtf8(c.title));
    EXPECT_EQ(env.alerts->alerts.front().button, QStringLiteral("Quit"));
    EXPECT_EQ(env.exitCode, 1);
    if (!c.fileAtDataHome) {
        EXPECT_TRUE(log.contains("Strange...Nimbrel Journal Directory exists, but it's not a directory."));
    }

    EXPECT_FALSE(controller->appDidFinishLaunching());
    EXPECT_TRUE(controller->monitoredLocations().isEmpty()) << "no later launch step runs";
    env.scheduler->advance(120);
    EXPECT_EQ(updates.count(), 0);
    OVUserDefaults::standard().synchronize();
    EXPECT_FALSE(OVUserDefaults::standard().hasStoredValue(QStringLiteral("splitViewLocation"))) << "no settings written";
}

INSTANTIATE_TEST_SUITE_P(Folders, BlockedFolderTest,
                         testing::Values(BlockedCase{"FileAtTheJournalFolder", false, "Couldn't create journal directory."},
                                         BlockedCase{"FileAtTheDataHome", true, "Couldn't create application support directory."}),
                         [](const testing::TestParamInfo<BlockedCase> &info) { return std::string(info.param.name); });
