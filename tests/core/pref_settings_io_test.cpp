#include "core/PrefTestSupport.h"

#include "core/NBControllerSettings.h"
#include "support/TestHelpers.h"

#include <QFile>

namespace {

QVariantMap fullLocation()
{
    return {
        {"location_id", 4242},
        {"icao", "KDEN"},
        {"appsettings", QVariantMap{{"showGraph", "1"}, {"graphs", QVariantMap{{"NBGraph1Type", 3}}}}},
        {"zipcode", "80202"},
        {"city", "Denver"},
        {"statecode", "CO"},
        {"statename", "Colorado"},
        {"countrycode", "US"},
        {"countryname", "United States"},
        {"timezonename", "America/Denver"},
        {"latitude", 39.7392f},
        {"longitude", -104.9903f},
        {"elevation", 1609.3f},
    };
}

QVariantMap locationWithoutStation()
{
    QVariantMap location = fullLocation();
    location.remove("icao");
    location["location_id"] = 0;
    location["city"] = "Custom place";
    return location;
}


} // namespace

class SettingsIOTest : public PrefTest
{
protected:
    /// As at the next launch: the file written so far is read by a fresh defaults object and a
    /// fresh store. The copy gets a new name because QSettings keeps files it has read in a
    /// per-process cache, which a real new process would not have.
    void relaunch(const QString &name)
    {
        OVUserDefaults::standard().synchronize();
        const QString next = path(name);
        ASSERT_TRUE(QFile::copy(OVUserDefaults::standard().filePath(), next));
        useSettingsFile(next);
        NBControllerSettings::launchSetupPreferences();
    }
};

TEST_F(SettingsIOTest, SettingsSurviveAQuitAndRelaunch)
{
    NBControllerSettings::launchSetupPreferences();
    EXPECT_EQ(OVUserDefaults::standard().storedObjectForKey("updateFrequency"), QVariant("3600"))
        << "the first read stores the registered value";
    EXPECT_FALSE(OVUserDefaults::standard().hasStoredValue("NBGraph1Type"));

    NBPrefController::setSetting("7", "graphWidthDays");
    NBPrefController::setSetting(3, "NBGraph1Type");
    NBPrefController::setSetting("12", "NBGraph2Type");
    NBPrefController::setSetting("1", "checkForUpdates");
    auto hooks = std::make_shared<FakeApplicationHooks>();
    hooks->locations = {fullLocation(), locationWithoutStation()};
    hooks->splitWidth = 312.5;
    OVApplicationHooks::install(hooks);
    NBControllerSettings::writeSettingsToDisk();

    relaunch("relaunch.conf");
    const QVariantList restored = NBControllerSettings::savedLocations();
    ASSERT_EQ(restored.size(), 2);
    EXPECT_EQ(restored, hooks->locations);
    const QVariantMap first = restored.at(0).toMap();
    EXPECT_EQ(first.size(), 13);
    EXPECT_EQ(restored.at(1).toMap().size(), 12);
    EXPECT_EQ(first.value("latitude").typeId(), QMetaType::Float);
    EXPECT_EQ(first.value("location_id").typeId(), QMetaType::Int);
    EXPECT_EQ(first.value("appsettings").toMap().value("graphs").toMap().value("NBGraph1Type"), QVariant(3));

    EXPECT_EQ(NBPrefController::integerForKey("graphWidthDays"), 7);
    EXPECT_EQ(NBPrefController::integerForKey("NBGraph1Type"), 3);
    EXPECT_EQ(NBPrefController::integerForKey("NBGraph2Type"), 12);
    EXPECT_FLOAT_EQ(NBPrefController::floatForKey("splitViewLocation"), 312.5f);
    EXPECT_TRUE(NBPrefController::boolForKey("checkForUpdates"));
}

TEST_F(SettingsIOTest, ShellValuesAreWrittenOnlyWhenTheShellHasThem)
{
    OVUserDefaults::standard().setObject(QVariantList{fullLocation()}, "locations");
    OVUserDefaults::standard().setObject(200.0, "splitViewLocation");
    NBControllerSettings::launchSetupPreferences();

    NBControllerSettings::writeSettingsToDisk(); // no hooks installed
    EXPECT_EQ(OVUserDefaults::standard().arrayForKey("locations"), QVariantList{fullLocation()});
    EXPECT_FALSE(OVUserDefaults::standard().hasStoredValue("checkForUpdates"));

    auto hooks = std::make_shared<FakeApplicationHooks>(); // one pane, no locations
    OVApplicationHooks::install(hooks);
    NBControllerSettings::writeSettingsToDisk();
    EXPECT_EQ(OVUserDefaults::standard().arrayForKey("locations"), QVariantList());
    EXPECT_DOUBLE_EQ(OVUserDefaults::standard().doubleForKey("splitViewLocation"), 200.0);
}

TEST_F(SettingsIOTest, DebugFlagFollowsTheStoredSetting)
{
    const std::pair<QVariant, int32_t> cases[] = {{"YES", 1}, {"yes", 0}, {"1", 0}, {QVariant(), 0}};
    for (const auto &[stored, expected] : cases) {
        SCOPED_TRACE(stored.toString().toStdString());
        OVSetDebugLoggingEnabled(1);
        OVUserDefaults::standard().setObject(stored, "debug");
        NBControllerSettings::launchSetupPreferences();
        EXPECT_EQ(OVDebugLoggingEnabled(), expected);
    }
}

TEST_F(SettingsIOTest, MalformedFileGivesDefaultsAndIsKeptAside)
{
    const QByteArray garbage("[General\n\x01\x02=\"unterminated\nupdateFrequency=\n[[[\n");
    const QString file = path("malformed.conf");
    writeTestFile(file, garbage);
    LogCapture log;
    useSettingsFile(file);
    NBControllerSettings::launchSetupPreferences();
    EXPECT_TRUE(log.contains("[OVUserDefaults"));
    EXPECT_EQ(NBPrefController::integerForKey("updateFrequency"), 3600);
    EXPECT_TRUE(NBPrefController::boolForKey("showCities"));
    EXPECT_TRUE(NBControllerSettings::savedLocations().isEmpty());

    NBControllerSettings::writeSettingsToDisk();
    QFile aside(file + ".corrupt");
    ASSERT_TRUE(aside.open(QIODevice::ReadOnly));
    EXPECT_EQ(aside.readAll(), garbage);
}

TEST_F(SettingsIOTest, LocationsThatAreNotAListGiveNone)
{
    const QString file = path("string-locations.conf");
    writeTestFile(file, "[General]\nlocations=Denver\ngraphWidthDays=7\n");
    useSettingsFile(file);
    LogCapture log;
    NBControllerSettings::launchSetupPreferences();
    EXPECT_TRUE(NBControllerSettings::savedLocations().isEmpty());
    EXPECT_TRUE(log.contains("[NBController readSettingsFromDisk] The saved locations are not a list"));
    EXPECT_EQ(NBPrefController::integerForKey("graphWidthDays"), 7);
}

TEST_F(SettingsIOTest, IncompleteLocationEntriesAreRepaired)
{
    const QVariantMap lookup{{"location_id", 17}, {"icao", "KSJC"}};
    const QVariantMap partial{{"city", "Denver"}, {"zipcode", "80202"}, {"latitude", 39.7f}};
    OVUserDefaults::standard().setObject(QVariantList{"not a location", lookup, partial}, "locations");
    relaunch("partial.conf");

    LogCapture log;
    const QVariantList restored = NBControllerSettings::savedLocations();
    ASSERT_EQ(restored.size(), 2);
    EXPECT_EQ(restored.at(0).toMap(), lookup) << "the database lookup form stays as it is";
    const QVariantMap repaired = restored.at(1).toMap();
    EXPECT_EQ(repaired.value("city"), QVariant("Denver"));
    EXPECT_FLOAT_EQ(repaired.value("latitude").toFloat(), 39.7f);
    EXPECT_FLOAT_EQ(repaired.value("longitude").toFloat(), -1000.0f);
    EXPECT_EQ(repaired.value("location_id").toInt(), 0);
    EXPECT_TRUE(repaired.contains("appsettings"));
    EXPECT_TRUE(log.contains("Saved location 0 is not a dictionary"));
    EXPECT_TRUE(log.contains("Saved location 2 lacks"));
}

TEST(GraphWidthSlider, EveryWidthSurvivesTheRoundTrip)
{
    for (const int days : {1, 2, 3, 4, 5, 6, 7, 14, 21, 31, 62, 93, 186, 366}) {
        SCOPED_TRACE(days);
        const int slider = NBControllerSettings::sliderValueForDays(days);
        EXPECT_GE(slider, 1);
        EXPECT_LE(slider, 14);
        EXPECT_EQ(NBControllerSettings::daysForSliderValue(slider), days);
    }
    EXPECT_EQ(NBControllerSettings::sliderValueForDays(10), 1);
    EXPECT_EQ(NBControllerSettings::daysForSliderValue(1), 366);
    EXPECT_EQ(NBControllerSettings::sliderValueForDays(0), 14);
    EXPECT_EQ(NBControllerSettings::daysForSliderValue(0), 366);
    EXPECT_EQ(NBControllerSettings::daysForSliderValue(15), 1);
    EXPECT_EQ(NBControllerSettings::textForDays(14), "Two Week");
    EXPECT_EQ(NBControllerSettings::textForDays(10), "1 Day");
}
