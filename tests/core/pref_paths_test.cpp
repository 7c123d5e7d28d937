#include "core/NBPrefController.h"
#include "core/OVPreferenceImport.h"
#include "core/OVProcessHelpers.h"
#include "platform/OVUserDefaults.h"
#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/time.h>

namespace {

// Points HOME and XDG_DATA_HOME at fresh folders for one test.
class ScopedHome
{
public:
    ScopedHome()
        : mOldHome(qgetenv("HOME"))
        , mOldData(qgetenv("XDG_DATA_HOME"))
    {
        QDir().mkpath(data());
        qputenv("HOME", home().toUtf8());
        qputenv("XDG_DATA_HOME", data().toUtf8());
    }
    ~ScopedHome()
    {
        qputenv("HOME", mOldHome);
        qputenv("XDG_DATA_HOME", mOldData);
    }
    QString home() const { return mDir.path(); }
    QString data() const { return mDir.filePath("xdg-data"); }
    QStringList everything() const
    {
        QStringList found;
        QDirIterator it(home(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            found << it.next();
        return found;
    }

private:
    QTemporaryDir mDir;
    QByteArray mOldHome;
    QByteArray mOldData;
};

// Sets the modification time of a file or folder.
void setModified(const QString &path, const QDateTime &modified)
{
    const timeval times[2] = {{time_t(modified.toSecsSinceEpoch()), 0}, {time_t(modified.toSecsSinceEpoch()), 0}};
    ASSERT_EQ(::utimes(QFile::encodeName(path).constData(), times), 0);
}

void writeFile(const QString &path, const QByteArray &bytes, const QDateTime &modified)
{
    writeTestFile(path, bytes);
    setModified(path, modified);
}


} // namespace

TEST(SupportPaths, DataHomeUnlessTheSandboxFolderExists)
{
    ScopedHome home;
    const QStringList before = home.everything();
    EXPECT_EQ(NBPrefController::nimbrelCoreSupportPath(), home.data() + "/Nimbrel Core");
    EXPECT_EQ(NBPrefController::nimbrelCoreObservationsPath(), home.data() + "/Nimbrel Core/Observations");
    EXPECT_EQ(NBPrefController::nimbrelCoreJournalPath(), home.data() + "/Nimbrel Core/Journal Entries");
    EXPECT_EQ(NBPrefController::nimbrelCoreCachePath(), home.data() + "/Nimbrel Core/Cache");
    EXPECT_EQ(NBPrefController::oldNimbrelSupportPath(), home.data() + "/Nimbrel");
    EXPECT_EQ(NBPrefController::localizedUserSitesPath(), home.home() + "/Sites");
    EXPECT_EQ(home.everything(), before) << "nothing is created";

    const QString sandbox = home.home() + "/.var/app/" + QString(OVApplicationIdentifier) + "/data/Nimbrel Core";
    ASSERT_TRUE(QDir().mkpath(sandbox));
    EXPECT_EQ(NBPrefController::nimbrelCoreSupportPath(), sandbox);
    EXPECT_EQ(NBPrefController::nimbrelCoreCachePath(), sandbox + "/Cache");
}

TEST(PreferenceImport, ReplacesOnlyAnOlderOrMissingOwnFile)
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QDateTime earlier = now.addSecs(-3600);
    struct Case
    {
        const char *name;
        bool container;
        std::optional<QDateTime> own; // none: no own file
        bool blocked;                 // the own path cannot be replaced
        bool imported;
    };
    const Case cases[] = {
        {"no own file", true, std::nullopt, false, true},
        {"equal times", true, now, false, false},
        {"older own file", true, earlier, false, true},
        {"newer own file", true, now.addSecs(60), false, false},
        {"no container file", false, earlier, false, false},
        {"copy cannot be written", true, earlier, true, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString container = dir.filePath(".var/app/id/config/Nimbrel/Nimbrel Core.conf");
        const QString own = dir.filePath("config/Nimbrel/Nimbrel Core.conf");
        if (c.container)
            writeFile(container, "[General]\nupdateFrequency=7200\n", now);
        if (c.blocked) {
            // A folder where the file should be: the replacement must fail and leave it alone.
            ASSERT_TRUE(QDir().mkpath(own + "/kept"));
            setModified(own, *c.own);
        } else if (c.own) {
            writeFile(own, "[General]\nupdateFrequency=1800\n", *c.own);
        }
        const QByteArray ownBefore = readTestFile(own);

        LogCapture log;
        EXPECT_EQ(OVPreferenceImport::ovImportNewerPreferencesFromFile(container, own), c.imported);
        EXPECT_EQ(log.contains("Found newer preferences in " + container + " - importing"), c.imported);
        if (c.imported) {
            EXPECT_EQ(readTestFile(own), readTestFile(container));
        } else if (c.blocked) {
            EXPECT_TRUE(QFileInfo(own + "/kept").isDir());
        } else {
            EXPECT_EQ(readTestFile(own), ownBefore);
        }
        if (c.blocked) {
            EXPECT_TRUE(log.contains("[NSUserDefaultsUtil ovImportNewerPreferences] Could not replace"));
        }
    }
}

TEST(PreferenceImport, TheStandardDefaultsRereadTheImportedFile)
{
    ScopedHome home;
    const QString own = home.home() + "/own.conf";
    const QString container = OVPreferenceImport::containerPreferencesPath("org.example.Test");
    EXPECT_TRUE(container.startsWith(home.home() + "/.var/app/org.example.Test/config/"));
    EXPECT_TRUE(container.endsWith(QFileInfo(OVUserDefaults::standardPath()).fileName()));

    OVUserDefaults::resetStandard(own);
    OVUserDefaults::standard().setObject("1800", "updateFrequency");
    OVUserDefaults::standard().synchronize();
    setModified(own, QDateTime::currentDateTimeUtc().addSecs(-60));
    // A different size: QSettings keeps files it has read in a per-process cache and rereads
    // one only when its size or time changed, and both writes may fall in one clock tick.
    writeFile(container, "[General]\nupdateFrequency=10800\n", QDateTime::currentDateTimeUtc());

    EXPECT_TRUE(OVPreferenceImport::ovImportNewerPreferencesFromFile(container, own));
    EXPECT_EQ(OVUserDefaults::standard().integerForKey("updateFrequency"), 10800);
    OVUserDefaults::resetStandard();
}

TEST(ProcessHelpers, SystemVersionAndSmallHelpers)
{
    EXPECT_EQ(OVSystemVersion(), -1);
    QDomDocument document;
    ASSERT_TRUE(document.setContent(QStringLiteral("<a><b id='1'/><c/><b id='2'/></a>")));
    EXPECT_EQ(OVXMLElementUtil::firstElementWithName(document.documentElement(), "b").attribute("id"), "1");
    EXPECT_TRUE(OVXMLElementUtil::firstElementWithName(document.documentElement(), "d").isNull());
}
