// The location list in a launched controller's window: arrow-key stepping at both ends, clicks on
// a row and below the rows, the context menu, reloading one location from every forecast and
// observation client, the row height table, and the wind glyph's orientation.
#include "AppControllerFixture.h"
#include "ViewTestSupport.h"
#include "app/NBBaseView.h"
#include "app/locations/NBLocationCell.h"
#include "app/locations/NBTableView.h"
#include "core/NBRegisteredDefaults.h"
#include "support/FixtureHttpServer.h"
#include "weather/OVBrisantObservationsBroker.h"

#include <QMenu>
#include <QSignalSpy>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTest>

namespace {

const QString kNewCurrentLocation = QStringLiteral("OVNotifyNewCurrentLocation");

class LocationListTest : public AppControllerTest
{
protected:
    /// A launched controller listing Denver, Portland and London.
    NBTableView &launchWithThreePlaces()
    {
        saveLocations({denverDictionary(), portlandDictionary(), londonDictionary()});
        launch();
        table = qobject_cast<NBTableView *>(controller->window()->locationTable());
        EXPECT_TRUE(table);
        EXPECT_EQ(table->numberOfRows(), 3);
        // The view lays its rows out on a later pass of the event loop; the points the tests
        // click and open menus at are worked out from that layout.
        EXPECT_TRUE(waitUntil(
            [&] {
                const QRect first = table->visualRect(table->model()->index(0, 0));
                return first.height() > 0 && table->visualRect(table->model()->index(2, 0)).top() >= first.bottom();
            },
            10000));
        return *table;
    }
    QString currentCity() const
    {
        const auto current = OVWeatherController::sharedWeatherController().currentLocation();
        return current ? current->city() : QString();
    }
    QPoint rowCentre(int row) const { return table->visualRect(table->model()->index(row, 0)).center(); }
    QPoint belowTheRows() const { return QPoint(20, table->visualRect(table->model()->index(2, 0)).bottom() + 30); }

    NBTableView *table = nullptr;
};

TEST_F(LocationListTest, ArrowKeysStepThroughTheRowsAndStopAtTheEnds)
{
    launchWithThreePlaces();
    struct Case
    {
        int selected;
        Qt::Key key;
        int expected; // selected row afterwards
        const char *current; // current city afterwards; null: unchanged
    };
    const Case cases[] = {
        {-1, Qt::Key_Up, 2, "London"},
        {-1, Qt::Key_Down, 0, "Denver"},
        {0, Qt::Key_Up, 0, nullptr},
        {2, Qt::Key_Down, 2, nullptr},
        {0, Qt::Key_Down, 1, "Portland"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "from row " << c.selected << (c.key == Qt::Key_Up ? " up" : " down"));
        // Selecting in code makes nothing current.
        if (c.selected < 0)
            table->selectionModel()->clear();
        else
            table->selectionModel()->select(table->model()->index(c.selected, 0), QItemSelectionModel::ClearAndSelect);
        NotificationWaiter announced(kNewCurrentLocation);
        QTest::keyClick(table, c.key);
        EXPECT_EQ(table->selectedRow(), c.expected);
        EXPECT_EQ(announced.count(), c.current ? 1 : 0);
        if (c.current) {
            EXPECT_EQ(currentCity(), c.current);
        }
    }
}

TEST_F(LocationListTest, AClickMakesTheRowCurrentAndAClickBelowTheRowsClearsIt)
{
    launchWithThreePlaces();
    NotificationWaiter announced(kNewCurrentLocation);
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, rowCentre(1));
    ASSERT_EQ(announced.count(), 1);
    EXPECT_EQ(announced.received().first().object.value<std::shared_ptr<OVWeatherLocation>>(),
              controller->monitoredLocations().at(1));
    EXPECT_EQ(table->selectedRow(), 1);
    EXPECT_EQ(qobject_cast<NBBaseView *>(controller->window()->baseView())->headerTitle(), "Fetching Weather for Portland, Oregon, United States...");
    // New data reloads the rows; the selection stays, and nothing is announced.
    controller->refreshLocationTable();
    EXPECT_EQ(table->selectedRow(), 1);
    EXPECT_EQ(announced.count(), 1);

    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, belowTheRows());
    EXPECT_EQ(announced.count(), 2);
    EXPECT_EQ(table->selectedRow(), -1);
    EXPECT_EQ(currentCity(), QString());
    EXPECT_EQ(qobject_cast<NBBaseView *>(controller->window()->baseView())->headerTitle(), "No Location Selected...");
}

TEST_F(LocationListTest, ContextMenuOffersReloadAndRemoveOnARowAndAddBelow)
{
    launchWithThreePlaces();
    struct Case
    {
        QPoint at;
        QStringList titles;
        int tag;
    };
    const Case cases[] = {
        {rowCentre(0), {"Reload Weather Data", "Remove Location"}, 0},
        {rowCentre(2), {"Reload Weather Data", "Remove Location"}, 2},
        {belowTheRows(), {"Add Location..."}, -1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.titles.join(", ").toStdString() + " " + std::to_string(c.tag));
        const std::unique_ptr<QMenu> menu = table->menuForEvent(c.at);
        EXPECT_EQ(menu->title(), "Location Table Element");
        QStringList titles;
        for (const QAction *item : menu->actions()) {
            titles << item->text();
            EXPECT_EQ(item->data().toInt(), c.tag);
            EXPECT_TRUE(item->shortcut().isEmpty());
        }
        EXPECT_EQ(titles, c.titles);
    }

    // The menu's actions reach the controller's stand-ins (the removal asks first; kept here).
    QSignalSpy removal(table, &NBTableView::removeLocationAtIndex);
    env.alerts->answers = {QStringLiteral("Cancel")};
    table->menuForEvent(rowCentre(2))->actions().at(1)->trigger();
    EXPECT_EQ(removal.count(), 1);
    EXPECT_EQ(removal.first().first().toInt(), 2);
    EXPECT_EQ(env.alerts->alerts.size(), 1u);
    QSignalSpy add(controller->locationController(), &NBLocationController::addPanelRequested);
    table->menuForEvent(belowTheRows())->actions().at(0)->trigger();
    EXPECT_EQ(add.count(), 1);
}

TEST_F(LocationListTest, ReloadWeatherDataAsksEveryClientForThatLocationAlone)
{
    launchWithThreePlaces();
    FixtureHttpServer server(FixtureHttpServer::Mode::Tls);
    ASSERT_TRUE(server.start()) << server.errorString().toStdString();
    QSslConfiguration trusting = QSslConfiguration::defaultConfiguration();
    trusting.addCaCertificates(QSslCertificate::fromData(server.certificatePem()));
    QSslConfiguration::setDefaultConfiguration(trusting);
    const QString hourly = QStringLiteral("/xml/sample_products/browser_interface/ndfdXMLclient.php");
    const QString daily = QStringLiteral("/xml/sample_products/browser_interface/ndfdBrowserClientByDay.php");
    const QString service = QStringLiteral("/cgi-bin/data_broker.cgi");
    const QString observations = OVBrisantObservationsBroker::EndpointPath;
    for (const QString &path : {hourly, daily, service, observations})
        server.serve(path, FixtureResponse::error(500));
    for (const QString &key : {QString(NBSettingKey::brisantDataServerURL), QString(NBSettingKey::ndfdServerURL),
                               OVBrisantObservationsBroker::ServerURLKey})
        OVUserDefaults::standard().setObject(server.baseUrl(), key);

    // A tag beyond the list (it changed while the menu was open) reloads nothing.
    {
        LogCapture log;
        QAction stale;
        stale.setData(7);
        table->reloadWeather(&stale);
        EXPECT_TRUE(log.contains("No location at row 7 of 3"));
    }

    const std::unique_ptr<QMenu> menu = table->menuForEvent(rowCentre(0));
    ASSERT_EQ(menu->actions().at(0)->text(), QStringLiteral("Reload Weather Data"));
    menu->actions().at(0)->trigger();
    ASSERT_TRUE(waitUntil([&] {
        return server.requestCount(hourly) && server.requestCount(daily) && server.requestCount(service) &&
               server.requestCount(observations);
    }, 30000));
    for (const FixtureRequest &request : server.requests()) {
        SCOPED_TRACE(request.path.toStdString());
        const QString asked = QUrl::fromPercentEncoding(request.query.toLatin1() + request.body);
        EXPECT_TRUE(asked.contains("39.7")) << asked.toStdString();
        EXPECT_FALSE(asked.contains("45.52") || asked.contains("51.51")) << asked.toStdString();
    }
}

TEST_F(LocationListTest, RowHeightTableGrowsByTenAndTheRowsStayAtLeast48High)
{
    launchWithThreePlaces();
    table->setHeight(30.0f, 25, false);
    EXPECT_EQ(table->numRowHeights(), 30u);
    EXPECT_EQ(table->heightForRow(25), 30.0f);
    EXPECT_EQ(table->heightForRow(24), 0.0f);
    EXPECT_EQ(table->heightForRow(30), 0.0f);
    EXPECT_TRUE(table->changedRowHeight());

    table->setHeight(40.0f, 3, true);
    EXPECT_EQ(table->rowHeight(), 48.0);
    EXPECT_FALSE(table->changedRowHeight());
    table->setHeight(60.5f, 4, true);
    EXPECT_EQ(table->rowHeight(), 60.5);
    // The rows take the new height with the view's delayed relayout.
    EXPECT_TRUE(waitUntil([&] { return table->visualRect(table->model()->index(1, 0)).height() == 60; }, 10000))
        << "row height " << table->visualRect(table->model()->index(1, 0)).height();
}

TEST(LocationCellGlyph, ArrowTipPointsToLargerYAtZeroAndSmallerAt180)
{
    // Rectangle 100 x 100: shaft round(0.6 x 100 x 0.27) = 16, head 43.2, tip 80 + 10.8.
    struct Case
    {
        double direction;
        QPointF tip;
    };
    for (const Case c : {Case{0, {50, 90.8}}, Case{180, {50, 9.2}}, Case{90, {9.2, 50}}}) {
        SCOPED_TRACE(testing::Message() << "direction " << c.direction);
        const QPainterPath path = NBLocationCell::arrowPathInRect(QRectF(0, 0, 100, 100), c.direction);
        EXPECT_EQ(path.fillRule(), Qt::OddEvenFill);
        bool found = false;
        for (int i = 0; i < path.elementCount(); ++i) {
            const QPainterPath::Element e = path.elementAt(i);
            found = found || (std::abs(e.x - c.tip.x()) < 1e-9 && std::abs(e.y - c.tip.y()) < 1e-9);
        }
        EXPECT_TRUE(found);
        // Inside the arrow is a hole in the disc; beside it the disc is filled.
        const QPointF centre(50, 50);
        EXPECT_FALSE(path.contains(centre));
        EXPECT_TRUE(path.contains(QPointF(50 + (c.tip.y() - 50) * 0.6, 50 + (c.tip.x() - 50) * 0.6)));
    }
}

} // namespace
