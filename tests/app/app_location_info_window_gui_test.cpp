// The location info window through its widgets: it follows the current place, edits go into
// that place, coordinate and station edits reload it from every data client, and "Get Info"
// opens and closes it as `showInfoPanel` says.
#include "AppControllerFixture.h"
#include "ViewTestSupport.h"
#include "app/locations/NBLocationInfoController.h"
#include "app/NBSecondaryWindows.h"
#include "core/OVDisplayNotifications.h"
#include "platform/OVNotificationCenter.h"
#include "core/NBPrefController.h"
#include "weather/OVBrisantObservationsBroker.h"
#include "weather/OVObservationsDB.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QTimeZone>

namespace {

const QString kHourly = QStringLiteral("/xml/sample_products/browser_interface/ndfdXMLclient.php");
const QString kDaily = QStringLiteral("/xml/sample_products/browser_interface/ndfdBrowserClientByDay.php");
const QString kForecasts = QStringLiteral("/cgi-bin/data_broker.cgi");

class LocationInfoWindowTest : public AppControllerTest
{
protected:
    void launchWithDenverAndPortland()
    {
        ASSERT_TRUE(hosts.start());
        OVUserDefaults::standard().setObject(hosts.baseUrl(), OVBrisantObservationsBroker::ServerURLKey);
        saveLocations({denverDictionary(), portlandDictionary()});
        launch();
        controller->selectLocationRow(0);
    }
    NBLocationInfoController *infoController() const { return controller->locationInfoController(); }
    static void typeAndReturn(QLineEdit *field, const QString &text)
    {
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Return);
    }
    std::shared_ptr<OVWeatherLocation> denver() const { return controller->monitoredLocations().first(); }
    /// Lets the launch's own downloads finish, then forgets them.
    void quietHosts()
    {
        EXPECT_TRUE(waitUntil([&] { return hosts.requestCount(OVBrisantObservationsBroker::EndpointPath) > 0; }, 10000));
        QTest::qWait(300);
        hosts.clearRequests();
    }
    static qint64 showInfoPanel() { return NBPrefController::integerForKey(QStringLiteral("showInfoPanel")); }
};

} // namespace

TEST_F(LocationInfoWindowTest, FollowsTheCurrentPlaceAndShowsAZoneTheListLacks)
{
    launchWithDenverAndPortland();
    controller->toggleInfo();
    ASSERT_TRUE(infoController());
    EXPECT_TRUE(infoController()->infoWindow()->isVisible());
    EXPECT_EQ(infoController()->cityField()->text(), QStringLiteral("Denver"));
    EXPECT_EQ(infoController()->icaoField()->text(), QStringLiteral("KDEN"));
    EXPECT_EQ(infoController()->latitudeField()->text(), QStringLiteral("39.7"));
    EXPECT_EQ(infoController()->countryPopUp()->currentText(), QStringLiteral("United States"));
    EXPECT_EQ(infoController()->timeZonePopUp()->currentText(), QStringLiteral("America/Denver"));

    controller->selectLocationRow(1);
    EXPECT_EQ(infoController()->cityField()->text(), QStringLiteral("Portland"));
    EXPECT_EQ(infoController()->longitudeField()->text(), QStringLiteral("-122.68"));
    EXPECT_EQ(infoController()->timeZonePopUp()->currentText(), QStringLiteral("America/Los_Angeles"));

    const QTimeZone own(QByteArrayLiteral("Nimbrel/Harbour"), 3600, QStringLiteral("Harbour Time"), QStringLiteral("HBT"));
    ASSERT_FALSE(QTimeZone::availableTimeZoneIds().contains(own.id()));
    denver()->setLocationTimeZone(own);
    controller->selectLocationRow(0);
    EXPECT_EQ(infoController()->timeZonePopUp()->currentText(), QStringLiteral("Nimbrel/Harbour"));
    EXPECT_EQ(infoController()->timeZonePopUp()->findText(QStringLiteral("Nimbrel/Harbour")),
              infoController()->timeZonePopUp()->count() - 1);
}

TEST_F(LocationInfoWindowTest, CoordinateEditsReloadThePlaceFromEveryClientAndNameEditsOnlyRedraw)
{
    launchWithDenverAndPortland();
    controller->toggleInfo();
    quietHosts();

    int redraws = 0;
    OVNotificationCenter::defaultCenter().addObserver(this, OVNotifyRedisplayEverything, [&](const OVNotification &) { ++redraws; });
    typeAndReturn(infoController()->cityField(), QStringLiteral("Mile High"));
    EXPECT_EQ(denver()->city(), QStringLiteral("Mile High"));
    EXPECT_EQ(redraws, 1);
    infoController()->latitudeField()->setFocus(); // focus moves on without a change: nothing goes out
    QTest::qWait(300);
    EXPECT_EQ(hosts.requestCount(), 0);
    EXPECT_EQ(redraws, 1);

    typeAndReturn(infoController()->latitudeField(), QStringLiteral("41.25"));
    EXPECT_EQ(denver()->latitude(), 41.25);
    EXPECT_EQ(redraws, 2);
    const QString observations = OVBrisantObservationsBroker::EndpointPath;
    ASSERT_TRUE(waitUntil([&] {
        return hosts.requestCount(kHourly) && hosts.requestCount(kDaily) && hosts.requestCount(kForecasts) &&
               hosts.requestCount(observations);
    }, 10000));
    QTest::qWait(300);
    for (const QString &path : {kHourly, kDaily, kForecasts, observations})
        EXPECT_EQ(hosts.requestCount(path), 1) << path.toStdString();
    for (const FixtureRequest &request : hosts.requests()) {
        EXPECT_EQ(request.method, request.path == observations || request.path == kForecasts ? "POST" : "GET");
        const QString asked = QUrl::fromPercentEncoding(request.query.toLatin1() + request.body);
        EXPECT_TRUE(asked.contains(QStringLiteral("41.25"))) << asked.toStdString();
        EXPECT_FALSE(asked.contains(QStringLiteral("45.52"))) << asked.toStdString();
    }
    OVNotificationCenter::defaultCenter().removeObserver(this);

    LogCapture log;
    const double longitude = denver()->longitude();
    typeAndReturn(infoController()->longitudeField(), QStringLiteral("abc"));
    EXPECT_EQ(denver()->longitude(), longitude) << "refused: the place keeps its longitude";
    EXPECT_TRUE(log.contains(QStringLiteral("\"abc\" is not a number")));
}

TEST_F(LocationInfoWindowTest, TypedCoordinatesPassTheOneCheckAndNothingIsAskedForARefusedOne)
{
    launchWithDenverAndPortland();
    controller->toggleInfo();
    quietHosts();
    const double latitude = denver()->latitude();
    const double longitude = denver()->longitude();
    const QString latitudeText = infoController()->latitudeField()->text();
    struct Case
    {
        bool isLatitude;
        const char *typed;
    };
    const Case refused[] = {{true, "nan"}, {true, "inf"}, {true, "95"}, {true, "-90.5"}, {true, "N40"},
                            {false, "200"}, {false, "-inf"}, {false, "12.5abc"}, {false, "1,5"}};
    for (const Case &c : refused) {
        SCOPED_TRACE(c.typed);
        LogCapture log;
        QLineEdit *field = c.isLatitude ? infoController()->latitudeField() : infoController()->longitudeField();
        typeAndReturn(field, QString::fromLatin1(c.typed));
        EXPECT_EQ(denver()->latitude(), latitude);
        EXPECT_EQ(denver()->longitude(), longitude);
        EXPECT_TRUE(log.contains(QStringLiteral("is not a number between")));
        if (c.isLatitude)
            EXPECT_EQ(field->text(), latitudeText);
    }

    // A station typed in lower case is stored and asked for in upper case; the requests that go
    // out then are the first since the refusals, and they carry the place's own coordinates.
    typeAndReturn(infoController()->icaoField(), QStringLiteral("kden"));
    EXPECT_EQ(denver()->icao(), QStringLiteral("KDEN"));
    EXPECT_EQ(infoController()->icaoField()->text(), QStringLiteral("KDEN"));
    const QString observations = OVBrisantObservationsBroker::EndpointPath;
    ASSERT_TRUE(waitUntil([&] {
        for (const FixtureRequest &request : hosts.requests())
            if (request.path == observations && QUrl::fromPercentEncoding(request.body).contains(QStringLiteral("ICAO,KDEN")))
                return true;
        return false;
    }, 10000));
    for (const FixtureRequest &request : hosts.requests()) {
        const QString asked = QUrl::fromPercentEncoding(request.query.toLatin1() + request.body);
        for (const char *refusedValue : {"95.00", "90.50", "200.00", "12.50", "nan", "inf"})
            EXPECT_FALSE(asked.contains(QLatin1String(refusedValue))) << asked.toStdString();
    }

    // The end of the range passes.
    typeAndReturn(infoController()->latitudeField(), QStringLiteral("-90"));
    EXPECT_EQ(denver()->latitude(), -90.0);
}

TEST_F(LocationInfoWindowTest, AStationTypedInLowerCaseIsStoredUpperCaseWithItsStationsData)
{
    launchWithDenverAndPortland();
    OVObservationsDB::sharedDatabase()->insertWeatherConditions({observation(72.0)}, QStringLiteral("KDEN"));
    controller->toggleInfo();
    typeAndReturn(infoController()->icaoField(), QStringLiteral("kden"));
    EXPECT_EQ(denver()->icao(), QStringLiteral("KDEN"));
    EXPECT_EQ(denver()->locationDictionary().value(QStringLiteral("icao")).toString(), QStringLiteral("KDEN"));
    const std::optional<OVWeatherConditions> now = denver()->getCurrentData();
    ASSERT_TRUE(now);
    EXPECT_NEAR(now->temperatureF(), 72.0, 0.01);
    EXPECT_EQ(denver()->getDataForLastDays(3).size(), 1);

    // Country and zone pop-ups write name and code, and the zone.
    QComboBox *country = infoController()->countryPopUp();
    const int france = country->findText(QStringLiteral("France"));
    ASSERT_GE(france, 0);
    country->setCurrentIndex(france);
    emit country->activated(france);
    EXPECT_EQ(denver()->countryCode(), QStringLiteral("FR"));
    EXPECT_EQ(denver()->countryName(), QStringLiteral("France"));
    QComboBox *zone = infoController()->timeZonePopUp();
    const int paris = zone->findText(QStringLiteral("Europe/Paris"));
    zone->setCurrentIndex(paris);
    emit zone->activated(paris);
    EXPECT_EQ(denver()->locationTimeZoneName(), QStringLiteral("Europe/Paris"));
}

TEST_F(LocationInfoWindowTest, ClosedByItsOwnButtonTheNextToggleOnlyForgetsItAndTheOneAfterOpensIt)
{
    launchWithDenverAndPortland();
    EXPECT_EQ(showInfoPanel(), 0);
    controller->toggleInfo();
    EXPECT_EQ(showInfoPanel(), 1);
    infoController()->infoWindow()->close();
    EXPECT_EQ(showInfoPanel(), 1);

    controller->toggleInfo();
    EXPECT_EQ(showInfoPanel(), 0);
    EXPECT_EQ(infoController(), nullptr);
    controller->toggleInfo();
    EXPECT_EQ(showInfoPanel(), 1);
    ASSERT_TRUE(infoController());
    EXPECT_TRUE(infoController()->infoWindow()->isVisible());

    // "Get Info" in the menu does the same.
    controller->menuAction(QStringLiteral("menuLocationInfo"))->trigger();
    EXPECT_EQ(showInfoPanel(), 0);
    EXPECT_EQ(infoController(), nullptr);
}

TEST_F(LocationInfoWindowTest, ALaunchReopensTheActivityPanelAndTheInfoWindow)
{
    NBPrefController::setSetting(1, QStringLiteral("showActivityWindow"));
    NBPrefController::setSetting(1, QStringLiteral("showInfoPanel"));
    launchWithDenverAndPortland();
    ASSERT_TRUE(controller->secondaryWindows());
    EXPECT_TRUE(controller->secondaryWindows()->activityPanel()->isVisible());
    ASSERT_TRUE(infoController());
    EXPECT_TRUE(infoController()->infoWindow()->isVisible());
    EXPECT_EQ(infoController()->cityField()->text(), QStringLiteral("Denver"));
    EXPECT_EQ(showInfoPanel(), 1);
}
