// The monitored place: its saved form through a real settings file, service and NDFD keys, URL
// templates, the database row setters and the restore through the location database.
#include "core/OVLocationDB.h"
#include "platform/OVUserDefaults.h"
#include "support/FakeClock.h"
#include "support/TestHelpers.h"
#include "weather/OVForecastPeriod.h"
#include "weather/OVWeatherController.h"
#include "weather/OVWeatherLocation.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

namespace {

std::shared_ptr<OVWeatherLocation> cupertino()
{
    auto location = std::make_shared<OVWeatherLocation>();
    location->setLocationID(5341145);
    location->setIcao(QStringLiteral("KSJC"));
    location->setCity(QStringLiteral("Cupertino"));
    location->setStateCode(QStringLiteral("CA"));
    location->setStateName(QStringLiteral("California"));
    location->setCountryCode(QStringLiteral("US"));
    location->setCountryName(QStringLiteral("United States"));
    location->setZipCode(QStringLiteral("95014"));
    location->setLocationTimeZoneName(QStringLiteral("America/Los_Angeles"));
    location->setLatitude(37.3229, -122.0322);
    location->setElevation(72.0);
    location->setAppSetting(QStringLiteral("1"), QStringLiteral("showRadar"));
    location->setAppSetting(QVariantMap{{QStringLiteral("zoom"), 4}}, QStringLiteral("map"));
    return location;
}

// Saves the forms under `locations` in a settings file and reads them back through a fresh
// defaults object over the same file, as the next start does.
QVariantList throughSettingsFile(const QVariantList &forms)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Nimbrel Core.conf"));
    {
        OVUserDefaults defaults(path);
        defaults.setObject(forms, QStringLiteral("locations"));
        EXPECT_TRUE(defaults.synchronize());
    }
    return OVUserDefaults(path).arrayForKey(QStringLiteral("locations"));
}

} // namespace

TEST(WeatherLocation, SavedFormSurvivesARestart)
{
    const auto original = cupertino();
    auto unset = std::make_shared<OVWeatherLocation>();
    unset->setCity(QStringLiteral("Nowhere"));
    const QVariantList restored = throughSettingsFile({original->locationDictionary(), unset->locationDictionary()});
    ASSERT_EQ(restored.size(), 2);

    const auto back = OVWeatherLocation::fromLocationDictionary(restored.at(0).toMap());
    EXPECT_EQ(back->locationID(), 5341145);
    EXPECT_EQ(back->icao(), QStringLiteral("KSJC"));
    EXPECT_EQ(back->city(), QStringLiteral("Cupertino"));
    EXPECT_EQ(back->stateCode(), QStringLiteral("CA"));
    EXPECT_EQ(back->stateName(), QStringLiteral("California"));
    EXPECT_EQ(back->countryCode(), QStringLiteral("US"));
    EXPECT_EQ(back->countryName(), QStringLiteral("United States"));
    EXPECT_EQ(back->zipCode(), QStringLiteral("95014"));
    EXPECT_EQ(back->locationTimeZoneName(), QStringLiteral("America/Los_Angeles"));
    // Coordinates pass through single precision.
    EXPECT_EQ(back->latitude(), double(37.3229f));
    EXPECT_NE(back->latitude(), 37.3229);
    EXPECT_EQ(back->longitude(), double(-122.0322f));
    EXPECT_EQ(back->elevation(), 72.0);
    EXPECT_EQ(back->appSettingForKey(QStringLiteral("showRadar")), QVariant(QStringLiteral("1")));
    EXPECT_EQ(back->appSettingForKey(QStringLiteral("map")).toMap().value(QStringLiteral("zoom")).toInt(), 4);
    EXPECT_EQ(back->locationDictionary(), restored.at(0).toMap());

    const QVariantMap unsetForm = restored.at(1).toMap();
    EXPECT_EQ(unsetForm.value(QStringLiteral("timezonename")), QVariant(QStringLiteral("GMT")));
    EXPECT_FALSE(unsetForm.contains(QStringLiteral("icao")));
    EXPECT_FALSE(unsetForm.contains(QStringLiteral("zipcode")));
    EXPECT_EQ(unsetForm.value(QStringLiteral("latitude")).typeId(), QMetaType::Float);
    const auto unsetBack = OVWeatherLocation::fromLocationDictionary(unsetForm);
    EXPECT_TRUE(unsetBack->hasLocationTimeZone());
    EXPECT_EQ(unsetBack->locationTimeZoneName(), QStringLiteral("GMT"));
    EXPECT_EQ(unsetBack->latitude(), -1000.0);
    EXPECT_TRUE(unsetBack->icao().isNull());
}

TEST(WeatherLocation, ADamagedFormWithoutCoordinatesStaysUnplaced)
{
    // Restoring such a form at 0°, 0° would fetch weather for the Gulf of Guinea.
    QVariantMap form = cupertino()->locationDictionary();
    form.remove(QStringLiteral("latitude"));
    form.remove(QStringLiteral("longitude"));
    form.remove(QStringLiteral("elevation"));
    const auto back = OVWeatherLocation::fromLocationDictionary(throughSettingsFile({form}).value(0).toMap());
    EXPECT_EQ(back->latitude(), -1000.0);
    EXPECT_EQ(back->longitude(), -1000.0);
    EXPECT_EQ(back->elevation(), -1000.0);
    EXPECT_EQ(back->city(), QStringLiteral("Cupertino"));
    EXPECT_TRUE(OVForecastPeriod::ndfdKey(back->latitude(), back->longitude()).isNull());
}

TEST(WeatherLocation, ServiceKeyAndDomesticTest)
{
    FakeClock july(QDateTime(QDate(2024, 7, 1), QTime(12, 0), QTimeZone::utc()));
    const auto location = cupertino();
    EXPECT_EQ(location->brisantDescription(july), QStringLiteral("37.32,-122.03,-420,ICAO,KSJC"));
    location->setIcao(QString());
    EXPECT_EQ(location->brisantDescription(july), QStringLiteral("37.32,-122.03,-420"));
    EXPECT_EQ(OVWeatherLocation().brisantDescription(), QStringLiteral("-1000.00,-1000.00,0"));

    struct Case
    {
        QString code;
        bool international;
    };
    for (const Case &c : {Case{"US", false}, Case{"GU", false}, Case{"PR", false}, Case{"CA", true},
                          Case{"us", true}, Case{QString(), true}}) {
        SCOPED_TRACE(c.code.toStdString());
        OVWeatherLocation place;
        place.setCountryCode(c.code);
        EXPECT_EQ(place.internationalLocation(), c.international);
    }
}

TEST(WeatherLocation, NdfdKeyOfAPlaceMeetsTheKeyOfTheReplysPoint)
{
    OVWeatherLocation washington;
    washington.setLatitude(38.9901, -77.0087);
    const QString key = OVForecastPeriod::ndfdKey(washington.latitude(), washington.longitude());
    EXPECT_EQ(key, QStringLiteral("38.99,-77.01"));
    EXPECT_EQ(key, OVForecastPeriod::ndfdKey(QStringLiteral("38.99"), QStringLiteral("-77.01")));
    EXPECT_EQ(OVForecastPeriod::ndfdKey(0.125, -0.125), QStringLiteral("0.13,-0.13"));
    EXPECT_TRUE(OVForecastPeriod::ndfdKey(90.01, 0).isNull());
    EXPECT_TRUE(OVForecastPeriod::ndfdKey(0, -180.01).isNull());
    EXPECT_TRUE(OVForecastPeriod::ndfdKey(QStringLiteral("1e39"), QStringLiteral("0")).isNull());
}

TEST(WeatherLocation, TemplateValuesArePercentEncoded)
{
    FakeClock january(QDateTime(QDate(2024, 1, 15), QTime(12, 0), QTimeZone::utc()));
    const auto location = cupertino();
    location->setCity(QStringLiteral("Saint-Jean & Co #2"));
    location->setStateName(QStringLiteral("Québec"));
    EXPECT_EQ(location->replaceFieldsInURLString(
                  QStringLiteral("/w?city=[city]&state=[state]&lat=[latitude]&lon=[longitude]&icao=[icao]"
                                 "&tz=[time_zone]&off=[time_zone_minute_offset]&loc=[locale]&again=[city]"),
                  january),
              QStringLiteral("/w?city=Saint-Jean%20%26%20Co%20%232&state=Qu%C3%A9bec&lat=37.322900"
                             "&lon=-122.032200&icao=KSJC&tz=America%2FLos_Angeles&off=-480&loc=en"
                             "&again=Saint-Jean%20%26%20Co%20%232"));

    OVWeatherLocation unplaced;
    unplaced.setLatitude(37.5);
    EXPECT_EQ(unplaced.replaceFieldsInURLString(QStringLiteral("lat=[latitude]&icao=[icao]&zip=[zip_code]")),
              QStringLiteral("lat=37.500000&icao=[icao]&zip=[zip_code]"));
}

TEST(WeatherLocation, RowTextSetters)
{
    struct Case
    {
        const char *text;
        double expected;
    };
    for (const Case &c : {Case{"", -1000.0}, Case{"12.5", 12.5}, Case{"12.5abc", 12.5},
                          Case{"-77.0087", double(-77.0087f)}, Case{"abc", 0.0}}) {
        SCOPED_TRACE(c.text);
        OVWeatherLocation location;
        location.setLatitudeString(QString::fromLatin1(c.text));
        location.setLongitudeString(QString::fromLatin1(c.text));
        location.setElevationString(QString::fromLatin1(c.text));
        EXPECT_EQ(location.latitude(), c.expected);
        EXPECT_EQ(location.longitude(), c.expected);
        EXPECT_EQ(location.elevation(), c.expected);
    }
    OVWeatherLocation location;
    location.setLatitudeString(QString());
    EXPECT_EQ(location.latitude(), -1000.0);

    // Ids name journal files: none may change on the way in.
    struct IdCase
    {
        QString text;
        int64_t expected;
    };
    for (const IdCase &c : {IdCase{"16777217", 16777217}, IdCase{"5746545", 5746545},
                            IdCase{"4294967297", 4294967297}, IdCase{"", 0}, IdCase{QString(), 0}}) {
        SCOPED_TRACE(c.text.toStdString());
        OVWeatherLocation place;
        place.setLocationIdString(c.text);
        EXPECT_EQ(place.locationID(), c.expected);
    }
}

TEST(WeatherLocation, RestoredFromTheLocationDatabaseByIdAndStation)
{
    QTemporaryDir folder;
    const QString databasePath = folder.filePath(QStringLiteral("location.db"));
    const QString script = QDir(testDataPath(QStringLiteral("core/locationdb")))
                               .absoluteFilePath(QStringLiteral("../../../../tools/locationdb/build-location-db.js"));
    QProcess node;
    node.start(QStringLiteral("node"), {script, QStringLiteral("--input"), testDataPath(QStringLiteral("core/locationdb")),
                                        QStringLiteral("--out"), databasePath});
    ASSERT_TRUE(node.waitForFinished(60000)) << "node did not finish";
    ASSERT_EQ(node.exitCode(), 0) << node.readAllStandardError().toStdString();

    OVWeatherLocation::registerLocationFactory();
    const auto database = OVLocationDB::initWithDatabasePath(databasePath);
    ASSERT_TRUE(database->databaseReady());
    const auto portland =
        std::dynamic_pointer_cast<OVWeatherLocation>(database->weatherLocationWithID(5746545, QStringLiteral("KPDX")));
    ASSERT_TRUE(portland);
    EXPECT_EQ(portland->locationID(), 5746545);
    EXPECT_EQ(portland->icao(), QStringLiteral("KPDX"));
    EXPECT_EQ(portland->city(), QStringLiteral("Portland"));
    EXPECT_EQ(portland->stateName(), QStringLiteral("Oregon"));
    EXPECT_EQ(portland->countryCode(), QStringLiteral("US"));
    EXPECT_EQ(portland->locationTimeZoneName(), QStringLiteral("America/Los_Angeles"));
    EXPECT_EQ(portland->latitude(), double(45.52345f));
    EXPECT_EQ(portland->longitude(), double(-122.67621f));
    EXPECT_EQ(portland->elevation(), double(9.4f));
    EXPECT_FALSE(portland->internationalLocation());
}

TEST(WeatherLocation, ALocationDestroyedWithPiecesOutstandingCompletesThem)
{
    OVWeatherController &controller = OVWeatherController::sharedWeatherController();
    controller.resetLoadPieces();
    controller.addLoadPiece();
    controller.addLoadPiece();
    controller.addLoadPiece();
    {
        auto location = std::make_shared<OVWeatherLocation>();
        location->setMyPiecesLeft(2);
    }
    EXPECT_EQ(controller.completedLoadPieces(), 2);
    EXPECT_EQ(controller.loadPercentCompleted(), 67);
    controller.resetLoadPieces();
}

TEST(WeatherLocation, KeyValueAccessUnderPropertyNames)
{
    OVWeatherLocation location;
    location.setValue(QStringLiteral("KPDX"), QStringLiteral("icao"));
    location.setValue(QStringLiteral("45.5"), QStringLiteral("latitudeString"));
    location.setValue(QStringLiteral("Europe/Oslo"), QStringLiteral("locationTimeZoneName"));
    location.setValue(QVariant(), QStringLiteral("city"));
    EXPECT_EQ(location.valueForKey(QStringLiteral("icao")), QVariant(QStringLiteral("KPDX")));
    EXPECT_EQ(location.valueForKey(QStringLiteral("latitude")).toDouble(), 45.5);
    EXPECT_EQ(location.valueForKey(QStringLiteral("locationTimeZoneName")), QVariant(QStringLiteral("Europe/Oslo")));
    EXPECT_FALSE(location.valueForKey(QStringLiteral("city")).isValid());

    LogCapture log;
    location.setValue(QStringLiteral("x"), QStringLiteral("noSuchKey"));
    EXPECT_TRUE(log.contains(QStringLiteral("[OVWeatherLocation setValue]")));
    EXPECT_FALSE(location.valueForKey(QStringLiteral("noSuchKey")).isValid());
}
