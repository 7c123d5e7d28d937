#include "platform/OVUserDefaults.h"
#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>

TEST(UserDefaults, RegisteredDefaultAnsweredUntilAValueIsStored)
{
    QTemporaryDir dir;
    OVUserDefaults defaults(dir.filePath("settings.conf"));
    defaults.registerDefaults({{"updateFrequency", "3600"}, {"showCities", "YES"}});
    EXPECT_EQ(defaults.integerForKey("updateFrequency"), 3600);
    EXPECT_FALSE(defaults.hasStoredValue("updateFrequency"));

    QStringList changed;
    QObject::connect(&defaults, &OVUserDefaults::valueChanged, [&](const QString &k) { changed << k; });
    defaults.setObject("7200", "updateFrequency");
    EXPECT_EQ(defaults.integerForKey("updateFrequency"), 7200);
    defaults.removeObject("updateFrequency");
    EXPECT_EQ(defaults.integerForKey("updateFrequency"), 3600);
    EXPECT_EQ(changed, (QStringList{"updateFrequency", "updateFrequency"}));
}

TEST(UserDefaults, CoercionTable)
{
    struct Case
    {
        const char *name;
        QVariant value;
        bool asBool;
        qint64 asInteger;
    };
    const Case cases[] = {
        {"YES", "YES", true, 0},      {"NO", "NO", false, 0},
        {"yes", "yes", true, 0},      {"string 1", "1", true, 1},
        {"string 0", "0", false, 0},  {"number 3", 3, true, 3},
        {"number 0", 0, false, 0},    {"double 2.7", 2.7, true, 2},
        {"bool true", true, true, 1}, {"bool false", false, false, 0},
        {"text", "hello", true, 0},   {"1.0", "1.0", true, 1},
        {"0.7", "0.7", true, 0},
        {"missing", QVariant(), false, 0},
    };
    QTemporaryDir dir;
    OVUserDefaults defaults(dir.filePath("coerce.conf"));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        defaults.setObject(c.value, "k");
        EXPECT_EQ(defaults.boolForKey("k"), c.asBool);
        EXPECT_EQ(defaults.integerForKey("k"), c.asInteger);
    }
}

TEST(UserDefaults, ValuesSurviveARestartThroughTheFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("restart.conf");
    const QVariantList locations{QVariantMap{{"city", "Denver"}, {"icao", "KDEN"}, {"latitude", 39.7}}};
    {
        OVUserDefaults defaults(path);
        defaults.setObject("YES", "debug");
        defaults.setObject(locations, "locations");
        defaults.setObject(42.5, "splitViewLocation");
        defaults.setObject(false, "showCities");
    }
    ASSERT_TRUE(QFile::exists(path));
    OVUserDefaults reopened(path);
    EXPECT_TRUE(reopened.boolForKey("debug"));
    EXPECT_EQ(reopened.arrayForKey("locations"), locations);
    EXPECT_DOUBLE_EQ(reopened.doubleForKey("splitViewLocation"), 42.5);
    EXPECT_FALSE(reopened.boolForKey("showCities")) << "a stored false must not come back true";
}

// Dates with any zone, alone or inside lists and maps, come back as the same instant after the
// file is read again (a copy under a new name, so nothing answers from memory).
TEST(UserDefaults, DatesComeBackAsTheSameInstantWhateverTheirZone)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("dates.conf");
    const QDateTime denver(QDate(2024, 7, 1), QTime(8, 30, 15, 250), QTimeZone("America/Denver"));
    const QDateTime utc(QDate(2024, 1, 2), QTime(15, 30, 45), QTimeZone::utc());
    const QDateTime offset(QDate(2024, 1, 2), QTime(1, 0), QTimeZone(19800));
    {
        OVUserDefaults defaults(path);
        defaults.setObject(denver, "top");
        defaults.setObject(QVariantMap{{"KDEN", QVariantMap{{"date", denver}}}, {"utc", utc}}, "map");
        defaults.setObject(QVariantList{offset, utc}, "list");
    }
    const QString copy = dir.filePath("dates-copy.conf");
    ASSERT_TRUE(QFile::copy(path, copy));
    OVUserDefaults reopened(copy);
    EXPECT_EQ(reopened.objectForKey("top").toDateTime(), denver);
    const QVariantMap map = reopened.dictionaryForKey("map");
    EXPECT_EQ(map.value("KDEN").toMap().value("date").toDateTime(), denver);
    EXPECT_EQ(map.value("utc").toDateTime(), utc);
    const QVariantList list = reopened.arrayForKey("list");
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(list[0].toDateTime(), offset);
    EXPECT_EQ(list[1].toDateTime(), utc);
    EXPECT_EQ(list[1].toDateTime().timeSpec(), Qt::UTC);
}

TEST(UserDefaults, UnreadableFileIsCopiedAsideBeforeItIsOverwritten)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("broken.conf");
    const QByteArray garbage("[General\n\x01\x02=\"unterminated\n[[[\n");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(garbage);
    }
    LogCapture log;
    OVUserDefaults defaults(path);
    defaults.setObject("1", "showCities");
    defaults.synchronize();
    QFile aside(path + ".corrupt");
    ASSERT_TRUE(aside.open(QIODevice::ReadOnly));
    EXPECT_EQ(aside.readAll(), garbage);
    EXPECT_TRUE(log.contains("[OVUserDefaults"));
}
