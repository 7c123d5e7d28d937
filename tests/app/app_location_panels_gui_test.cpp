// The sheets that add places: the search panel over the fixture location database and the
// custom panel with its checks and its station autofill, driven through their widgets.
#include "AppControllerFixture.h"
#include "ViewTestSupport.h"
#include "app/locations/NBCoordinateText.h"
#include "core/OVReloadNotifications.h"
#include "platform/OVNotificationCenter.h"
#include "weather/OVBrisantObservationsBroker.h"

#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <algorithm>
#include <vector>

namespace {

constexpr int kPlacesOfEachName = 15000;

/// The fixture database with thousands of places named "Unaville n" and as many "Union n", in
/// France so no country name matches "Un": searching "Un" takes long enough to be seen.
std::shared_ptr<OVLocationDB> broadLocationDatabase()
{
    // Several megabytes: the folder goes when the process ends (after the database, made later).
    static QTemporaryDir folder;
    static const std::shared_ptr<OVLocationDB> database = [] {
        const QDir fixture(testDataPath(QStringLiteral("core/locationdb")));
        const QDir input(folder.path());
        for (const char *name : {"airports.json", "countries.json", "zips.json"})
            QFile::copy(fixture.filePath(QString::fromLatin1(name)), input.filePath(QString::fromLatin1(name)));
        QJsonArray cities = QJsonDocument::fromJson(readTestFile(fixture.filePath(QStringLiteral("cities.json")))).array();
        int id = 20000000; // above every fixture place
        for (int i = 0; i < kPlacesOfEachName; ++i) {
            for (const char *name : {"Unaville", "Union"}) {
                const QJsonArray position{2.0 + (i % 100) * 0.01, 48.0 + (i / 100) * 0.01};
                cities.append(QJsonObject{{"cityId", ++id},
                                          {"name", QStringLiteral("%1 %2").arg(QString::fromLatin1(name)).arg(i)},
                                          {"altName", ""},
                                          {"country", "FR"},
                                          {"featureCode", "PPL"},
                                          {"adminCode", "11"},
                                          {"population", 1000},
                                          {"loc", QJsonObject{{"type", "Point"}, {"coordinates", position}}},
                                          {"timeZone", "Europe/Paris"}});
            }
        }
        writeTestFile(input.filePath(QStringLiteral("cities.json")), QJsonDocument(cities).toJson(QJsonDocument::Compact));
        const QString script = fixture.absoluteFilePath(QStringLiteral("../../../../tools/locationdb/build-location-db.js"));
        const QString out = input.filePath(QStringLiteral("location.db"));
        QProcess node;
        node.start(QStringLiteral("node"), {script, QStringLiteral("--input"), input.path(), QStringLiteral("--out"), out});
        if (!node.waitForFinished(120000) || node.exitCode() != 0)
            ADD_FAILURE() << "building the broad location database failed: " << node.readAllStandardError().toStdString();
        return OVLocationDB::initWithDatabasePath(out);
    }();
    return database;
}

class LocationPanelsTest : public AppControllerTest
{
protected:
    void launchWith(const QVariantList &saved)
    {
        ASSERT_TRUE(hosts.start());
        OVUserDefaults::standard().setObject(hosts.baseUrl(), OVBrisantObservationsBroker::ServerURLKey);
        saveLocations(saved);
        launch();
        panels = controller->locationController();
    }
    template <typename T>
    T *outlet(QDialog *sheet, const char *name) const
    {
        T *found = sheet ? sheet->findChild<T *>(QString::fromLatin1(name)) : nullptr;
        EXPECT_TRUE(found) << name;
        return found;
    }
    QDialog *custom() const { return panels->addCustomPanel(); }
    QLineEdit *field(const char *name) const { return outlet<QLineEdit>(custom(), name); }
    void type(const char *name, const QString &text) const
    {
        QLineEdit *edit = field(name);
        edit->clear();
        QTest::keyClicks(edit, text);
    }
    int selectedRow() const
    {
        return controller->window()->locationTable()->selectionModel()->selectedRows().value(0).row();
    }
    std::shared_ptr<OVWeatherLocation> current() const
    {
        return OVWeatherController::sharedWeatherController().currentLocation();
    }
    std::vector<RecordedAlert> &alerts() { return env.alerts->alerts; }

    NBLocationController *panels = nullptr;
};

} // namespace

TEST_F(LocationPanelsTest, SearchNeedsTwoLettersAndAddsEverySelectedResultInOrder)
{
    NotificationWaiter observations(OVBrisantObservationsLoaded);
    launchWith({QVariantMap{{QStringLiteral("location_id"), 2988507}, {QStringLiteral("icao"), QStringLiteral("LFPG")}}});
    ASSERT_EQ(cities(), QStringList{QStringLiteral("Paris")});
    panels->openAddPanel();
    QDialog *sheet = panels->addPanel();
    ASSERT_TRUE(sheet && sheet->isVisible());
    EXPECT_EQ(sheet->windowModality(), Qt::WindowModal);
    auto *searchBox = outlet<QLineEdit>(sheet, "searchBox");
    auto *results = outlet<QTableView>(sheet, "addLocationTable");

    QTest::keyClicks(searchBox, QStringLiteral("P"));
    EXPECT_TRUE(panels->locationSearch().isEmpty());
    EXPECT_EQ(results->model()->rowCount(), 0);
    QTest::keyClicks(searchBox, QStringLiteral("a"));
    ASSERT_TRUE(waitUntil([&] { return !panels->locationSearch().isEmpty(); }, 10000)) << "answered off the window";
    QList<int> parisRows;
    for (int row = 0; row < panels->locationSearch().size(); ++row)
        if (panels->locationSearch().at(row).value(QStringLiteral("city")) == QStringLiteral("Paris"))
            parisRows << row;
    ASSERT_EQ(parisRows.size(), 2);
    EXPECT_EQ(results->model()->rowCount(), panels->locationSearch().size());

    results->clearSelection();
    for (int row : parisRows)
        results->selectionModel()->select(results->model()->index(row, 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    // The saved place's request has ended: one still in flight would cover the French Paris
    // (the same station), which would then not be asked for again.
    ASSERT_TRUE(observations.wait(10000));
    hosts.clearRequests();
    QTest::mouseClick(outlet<QPushButton>(sheet, "addLocationButton"), Qt::LeftButton);

    EXPECT_FALSE(sheet->isVisible());
    ASSERT_EQ(cities(), (QStringList{"Paris", "Paris", "Paris"}));
    const auto list = controller->monitoredLocations();
    EXPECT_NE(list.at(1)->countryCode(), list.at(2)->countryCode()); // both places, in result order
    EXPECT_EQ(selectedRow(), 2);
    // The current place follows on a later pass of the event loop.
    EXPECT_TRUE(waitUntil([&] { return current() == list.at(2); }, 10000));
    const QString endpoint = OVBrisantObservationsBroker::EndpointPath;
    ASSERT_TRUE(waitUntil([&] {
        QString asked;
        for (const FixtureRequest &request : hosts.requests())
            if (request.path == endpoint)
                asked += QUrl::fromPercentEncoding(request.body);
        return asked.contains(list.at(1)->icao()) && asked.contains(list.at(2)->icao());
    }, 10000));
}

// Typing "Uni" quickly into the search field: no keystroke holds the window while the database
// answers (a call queued before the keys runs within 20 ms of them, and so does every call
// queued while the search runs), "Un"'s answer is never shown, and "Uni"'s fills the table in
// one reset.
TEST_F(LocationPanelsTest, SearchAsYouTypeKeepsTheWindowAnsweringAndShowsOnlyTheNewestAnswer)
{
    env.locationDatabaseOverride = [] { return broadLocationDatabase(); };
    launchWith({});
    const std::shared_ptr<OVLocationDB> database = broadLocationDatabase();
    ASSERT_TRUE(database->databaseReady());
    const QList<QVariantMap> uni = database->weatherLocationsForSearchTerm(QStringLiteral("Uni")).value_or(QList<QVariantMap>());
    ASSERT_GE(uni.size(), kPlacesOfEachName);
    ASSERT_GT(database->weatherLocationsForSearchTerm(QStringLiteral("Un")).value_or(QList<QVariantMap>()).size(), uni.size());

    panels->openAddPanel();
    QDialog *sheet = panels->addPanel();
    auto *searchBox = outlet<QLineEdit>(sheet, "searchBox");
    auto *results = outlet<QTableView>(sheet, "addLocationTable");
    QAbstractItemModel *model = results->model();
    QList<qsizetype> shown; // the answer's size at each change of the table
    int insertions = 0;
    QObject::connect(model, &QAbstractItemModel::modelReset, sheet, [&] { shown.append(panels->locationSearch().size()); });
    QObject::connect(model, &QAbstractItemModel::rowsInserted, sheet, [&] {
        ++insertions;
        shown.append(panels->locationSearch().size());
    });

    // How long a call queued now waits for the event loop, in milliseconds.
    const auto probe = [](const std::function<void()> &meanwhile) {
        QElapsedTimer timer;
        timer.start();
        qint64 ran = -1;
        QMetaObject::invokeMethod(qApp, [&] { ran = timer.nsecsElapsed(); }, Qt::QueuedConnection);
        meanwhile();
        EXPECT_TRUE(waitUntil([&] { return ran >= 0; }, 60000));
        return double(ran) / 1e6;
    };
    searchBox->setFocus();
    const double typing = probe([&] { QTest::keyClicks(searchBox, QStringLiteral("Uni")); });
    EXPECT_LT(typing, 20.0) << "the keystrokes held the window while searching";

    // A busy machine may hold any one probe back; a search on the window's thread holds them all.
    std::vector<double> waits;
    while (panels->locationSearch().isEmpty() && waits.size() < 100000) {
        const qsizetype changes = shown.size();
        const double waited = probe([] {});
        // A probe that waited for the answer's own arrival measures the table, not the search.
        if (shown.size() == changes)
            waits.push_back(waited);
    }
    ASSERT_FALSE(waits.empty()) << "the search answered before the window could be asked";
    std::sort(waits.begin(), waits.end());
    EXPECT_LT(waits[waits.size() / 2], 20.0)
        << "queued calls waited while the search ran (" << waits.size() << " probes, worst " << waits.back() << " ms)";

    ASSERT_TRUE(waitUntil([&] { return !panels->locationSearch().isEmpty(); }, 60000));
    // Any answer to "Un" would arrive before the newer one and be seen here.
    for (qsizetype size : shown)
        EXPECT_TRUE(size == 0 || size == uni.size()) << "a table of " << size << " rows was shown";
    EXPECT_EQ(insertions, 0) << "filled row by row";
    EXPECT_EQ(std::count(shown.cbegin(), shown.cend(), uni.size()), 1);
    EXPECT_EQ(panels->locationSearch(), uni);
    EXPECT_EQ(model->rowCount(), uni.size());
    EXPECT_EQ(model->index(0, 0).data().toString(), uni.first().value(QStringLiteral("city")).toString().trimmed());
}

TEST_F(LocationPanelsTest, CustomPanelChecksTheFieldsInOrderAndAddsAPlaceAtTheTypedPosition)
{
    launchWith({denverDictionary()});
    panels->openCustomAddPanel();
    ASSERT_TRUE(custom() && custom()->isVisible());
    auto *country = outlet<QComboBox>(custom(), "countryListController");
    auto *zone = outlet<QComboBox>(custom(), "timeZoneListController");
    EXPECT_EQ(country->currentIndex(), -1);
    EXPECT_EQ(zone->currentIndex(), -1);
    EXPECT_FALSE(zone->findText(QStringLiteral("posixrules")) >= 0);

    const QString missing = QStringLiteral("Missing Required Field");
    const QString invalid = QStringLiteral("Invalid Data");
    const QString latitudeRange = QStringLiteral("Latitude must be a decimal between -90 and 90 degrees.");
    const QString longitudeRange = QStringLiteral("Longitude must be a decimal between -180 and 180 degrees.");
    struct Step
    {
        const char *field; // null: choose the country
        QString text;
        QString title;
        QString message;
    };
    const Step steps[] = {
        {"icaoField", {}, missing, QStringLiteral("Please enter an ICAO code for this location.")},
        {"icaoField", QStringLiteral("kbos"), missing, QStringLiteral("Please enter a city or location name.")},
        {"cityField", QStringLiteral("Boston"), missing, QStringLiteral("Please choose a country for this location.")},
        {nullptr, {}, missing, QStringLiteral("Please enter a latitude between -90 and 90 degrees.")},
        {"latitudeField", QStringLiteral("90.5"), invalid, latitudeRange},
        {"latitudeField", QStringLiteral("abc"), invalid, latitudeRange},
        {"latitudeField", QStringLiteral("N40"), invalid, latitudeRange},
        {"latitudeField", QStringLiteral("12.5abc"), invalid, latitudeRange},
        {"latitudeField", QStringLiteral(" 90 "), missing, QStringLiteral("Please enter a longitude between -180 and 180 degrees.")},
        {"longitudeField", QStringLiteral("-180.5"), invalid, longitudeRange},
        {"longitudeField", QStringLiteral("1,5"), invalid, longitudeRange},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.text.toStdString());
        if (step.field)
            type(step.field, step.text);
        else
            country->setCurrentIndex(country->findText(QStringLiteral("United States")));
        alerts().clear();
        panels->closeCustomAddPanel();
        ASSERT_EQ(alerts().size(), 1u);
        EXPECT_EQ(alerts().front().title, step.title);
        EXPECT_EQ(alerts().front().message, step.message);
        EXPECT_TRUE(custom()->isVisible());
        EXPECT_EQ(cities(), QStringList{QStringLiteral("Denver")});
    }

    qsizetype countAtReload = -1;
    OVNotificationCenter::defaultCenter().addObserver(this, OVNotifyForceReload, [&](const OVNotification &) {
        countAtReload = controller->monitoredLocations().size();
    });
    type("longitudeField", QStringLiteral("-180"));
    alerts().clear();
    QTest::mouseClick(outlet<QPushButton>(custom(), "addCustomLocationButton"), Qt::LeftButton);
    OVNotificationCenter::defaultCenter().removeObserver(this);

    EXPECT_TRUE(alerts().empty());
    EXPECT_FALSE(custom()->isVisible());
    EXPECT_EQ(countAtReload, 1); // the reload goes out before the list changes
    ASSERT_EQ(cities(), (QStringList{"Denver", "Boston"}));
    const auto added = controller->monitoredLocations().last();
    EXPECT_EQ(added->icao(), QStringLiteral("KBOS"));
    EXPECT_EQ(added->countryCode(), QStringLiteral("US"));
    EXPECT_EQ(added->countryName(), QStringLiteral("United States"));
    EXPECT_EQ(added->locationTimeZoneName(), QStringLiteral("UTC"));
    EXPECT_EQ(added->latitude(), 90.0);
    EXPECT_EQ(added->longitude(), -180.0);
    EXPECT_EQ(selectedRow(), 1);
    EXPECT_TRUE(waitUntil([&] { return current() == added; }, 10000));

    // Opened again, it starts empty, and a chosen zone is the place's zone.
    panels->openCustomAddPanel();
    EXPECT_TRUE(field("cityField")->text().isEmpty());
    EXPECT_EQ(country->currentIndex(), -1);
    type("icaoField", QStringLiteral("zzzz"));
    type("cityField", QStringLiteral("Nowhere"));
    country->setCurrentIndex(0);
    zone->setCurrentIndex(zone->findText(QStringLiteral("Europe/Paris")));
    type("latitudeField", QStringLiteral("-90"));
    type("longitudeField", QStringLiteral("180"));
    panels->closeCustomAddPanel();
    EXPECT_EQ(controller->monitoredLocations().last()->locationTimeZoneName(), QStringLiteral("Europe/Paris"));
}

TEST_F(LocationPanelsTest, AKnownStationCodeFillsTheOtherFieldsAndAnUnknownOneNothing)
{
    launchWith({denverDictionary()});
    panels->openCustomAddPanel();
    auto *country = outlet<QComboBox>(custom(), "countryListController");
    type("icaoField", QStringLiteral("kpd"));
    EXPECT_TRUE(field("cityField")->text().isEmpty());
    QTest::keyClicks(field("icaoField"), QStringLiteral("x"));
    EXPECT_EQ(field("cityField")->text(), QStringLiteral("Portland International Airport"));
    EXPECT_EQ(field("latitudeField")->text(), QStringLiteral("45.5887"));
    EXPECT_EQ(field("longitudeField")->text(), QStringLiteral("-122.598"));
    EXPECT_EQ(country->currentText(), QStringLiteral("United States"));
    const QString state = field("stateField")->text();

    type("icaoField", QStringLiteral("ZZZZ"));
    EXPECT_EQ(field("cityField")->text(), QStringLiteral("Portland International Airport"));
    EXPECT_EQ(field("stateField")->text(), state);
    EXPECT_EQ(field("latitudeField")->text(), QStringLiteral("45.5887"));

    panels->closeCustomAddPanel();
    EXPECT_EQ(controller->monitoredLocations().last()->icao(), QStringLiteral("ZZZZ"));
}

TEST(CoordinateText, WholeNumbersOnlyAndTheShortestFloatText)
{
    const std::pair<const char *, std::optional<float>> cases[] = {
        {"90", 90.0f}, {" -180 ", -180.0f}, {"12.5", 12.5f}, {"1e1", 10.0f}, {"abc", std::nullopt}, {"N40", std::nullopt},
        {"12.5abc", std::nullopt}, {"1,5", std::nullopt}, {"nan", std::nullopt}, {"inf", std::nullopt}, {"", std::nullopt},
    };
    for (const auto &[text, expected] : cases)
        EXPECT_EQ(NBCoordinateText::wholeNumber(QString::fromLatin1(text)), expected) << text;
    EXPECT_EQ(NBCoordinateText::shortestText(39.75f), QStringLiteral("39.75"));
    EXPECT_EQ(NBCoordinateText::shortestText(float(45.58869934)), QStringLiteral("45.5887"));
    EXPECT_EQ(NBCoordinateText::shortestText(-104.65f, QLocale(QLocale::German)), QStringLiteral("-104,65"));
}

TEST_F(LocationPanelsTest, ReturnInEitherPanelAddsWhatWasTypedOrChosen)
{
    launchWith({denverDictionary()});

    // The search panel: the first result is selected; Return adds it, and no other panel opens.
    panels->openAddPanel();
    QDialog *sheet = panels->addPanel();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(sheet));
    auto *searchBox = outlet<QLineEdit>(sheet, "searchBox");
    searchBox->setFocus();
    QTest::keyClicks(searchBox, QStringLiteral("Portland"));
    ASSERT_TRUE(waitUntil([&] { return !panels->locationSearch().isEmpty(); }, 60000)) << "the search answered";
    const QString first = panels->locationSearch().first().value(QStringLiteral("city")).toString();
    QTest::keyClick(searchBox, Qt::Key_Return);
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_FALSE(custom() && custom()->isVisible()) << "Return opened the custom panel";
    EXPECT_EQ(cities(), (QStringList{QStringLiteral("Denver"), first}));

    // The custom panel: Return in the last field adds the place, it does not cancel.
    panels->openCustomAddPanel();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(custom()));
    type("icaoField", QStringLiteral("kbos"));
    type("cityField", QStringLiteral("Boston"));
    auto *country = outlet<QComboBox>(custom(), "countryListController");
    country->setCurrentIndex(country->findText(QStringLiteral("United States")));
    type("latitudeField", QStringLiteral("42.36"));
    type("longitudeField", QStringLiteral("-71.06"));
    QTest::keyClick(field("longitudeField"), Qt::Key_Return);
    EXPECT_TRUE(alerts().empty());
    EXPECT_FALSE(custom()->isVisible());
    EXPECT_EQ(cities(), (QStringList{QStringLiteral("Denver"), first, QStringLiteral("Boston")}));
}
