// The main window as a person sees it, under the X server: the launched controller with two
// saved places and the observation service answering from a fixture reply. After the first
// update pass the window is grabbed from the screen and probed (header, ground, list), its
// parts are found by their outlet names, then the second row and the last-updated text are
// clicked and the window is grabbed again. Screenshots go to the test's artefact folder.
#include "AppControllerFixture.h"
#include "ViewTestSupport.h"
#include "app/NBBaseView.h"
#include "app/NBCurrentConditionsView.h"
#include "app/locations/NBTableView.h"
#include "core/NBRegisteredDefaults.h"
#include "core/views/OVGraphContainer.h"
#include "map/views/NBMapView.h"
#include "platform/OVLog.h"
#include "support/FixtureHttpServer.h"
#include "support/TextProbe.h"
#include "weather/OVBrisantObservationsBroker.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QSplitter>
#include <QTest>

#include <algorithm>
#include <functional>
#include <iostream>

namespace {


bool hasColour(const QImage &shot, QPoint at, QColor expected)
{
    const QColor got = shot.pixelColor(at);
    return std::abs(got.red() - expected.red()) <= 3 && std::abs(got.green() - expected.green()) <= 3
           && std::abs(got.blue() - expected.blue()) <= 3;
}

/// The window as it is on the screen once `ready` holds of it, or at the deadline; saved under
/// `name` for a person to look at.
QImage grabWhen(QWidget *window, const QString &name, const std::function<bool(const QImage &)> &ready)
{
    QImage shot;
    waitUntil(
        [&] {
            shot = window->screen()->grabWindow(window->winId()).toImage();
            return ready(shot);
        },
        15000);
    shot.save(testOutputPath(name));
    return shot;
}

void expectColour(const QImage &shot, QPoint at, QColor expected, const char *what)
{
    const QColor got = shot.pixelColor(at);
    EXPECT_LE(std::abs(got.red() - expected.red()), 3) << what << " at " << at.x() << "," << at.y();
    EXPECT_LE(std::abs(got.green() - expected.green()), 3) << what;
    EXPECT_LE(std::abs(got.blue() - expected.blue()), 3) << what;
}

TEST_F(AppControllerTest, MainWindowAsAPersonSeesIt)
{
    FixtureHttpServer server;
    ASSERT_TRUE(server.start());
    const QString endpoint = OVBrisantObservationsBroker::EndpointPath;
    server.serveFile(endpoint, testDataPath("app/observations_two_locations.json"), "application/json");
    OVUserDefaults::standard().setObject(server.baseUrl(), OVBrisantObservationsBroker::ServerURLKey);
    // Forecasts are not served here, but reads must never reach a public host.
    OVUserDefaults::standard().setObject(server.baseUrl(), NBSettingKey::ndfdServerURL);
    saveLocations({portlandDictionary(), londonDictionary()});
    launch();

    QMainWindow *window = controller->window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    env.scheduler->advance(2.5); // the panels at 0.5 s, the first update at 2 s
    const auto portland = controller->monitoredLocations().at(0);
    const auto london = controller->monitoredLocations().at(1);
    ASSERT_TRUE(waitUntil([&] { return portland->getCurrentData() && london->getCurrentData(); }, 10000));

    // Outlets and geometry.
    auto *splitView = window->findChild<QSplitter *>("splitView");
    auto *left = window->findChild<QWidget *>("leftSplitSubview");
    auto *table = window->findChild<NBTableView *>("locationTable");
    auto *info = window->findChild<QWidget *>("locationInfoView");
    auto *main = window->findChild<QWidget *>("mainSplitSubView");
    auto *base = window->findChild<NBBaseView *>("baseView");
    auto *label = window->findChild<QLabel *>("lastUpdatedLabel");
    auto *progress = window->findChild<QProgressBar *>("progressBar");
    for (QObject *outlet : std::initializer_list<QObject *>{splitView, left, table, info, main, base, label, progress})
        ASSERT_TRUE(outlet);
    EXPECT_EQ(base->parentWidget(), main);
    EXPECT_EQ(base->geometry(), main->rect());
    EXPECT_EQ(table->parentWidget(), left);
    ASSERT_TRUE(base->hasPanels());
    const int w = base->width(), h = base->height();
    EXPECT_EQ(base->currentConditionsView()->geometry(), QRect(7, 38, w - 13, 42));
    EXPECT_EQ(base->graphContainerView()->view()->geometry(), QRect(7, 288, (w - 1) / 2 - 6, h - 294));
    EXPECT_EQ(table->numberOfRows(), 2);
    EXPECT_GT(label->width(), label->fontMetrics().horizontalAdvance(label->text()));
    EXPECT_EQ(base->headerTitle(), "Portland, Oregon, United States");

    // What the list and the strip say: Portland's newest report is 45 °F with a 39 °F dew point
    // and 1012.5 hPa (29.90 inHg); London's is 47 °F.
    const QStringList listed = TextProbe::strings(*table);
    for (const char *text : {"Portland", "45°", "London", "47°"})
        EXPECT_TRUE(listed.contains(QString::fromUtf8(text))) << text << " in " << listed.join(" | ").toStdString();
    const QStringList strip = TextProbe::strings(*base->currentConditionsView());
    for (const char *text :
         {"Temperature", "Pressure", "29.90 in", "Dewpoint", "39.0°", "Humidity", "Visibility", "10 miles"})
        EXPECT_TRUE(strip.contains(QString::fromUtf8(text))) << text << " in " << strip.join(" | ").toStdString();

    const QPoint baseOrigin = base->mapTo(window, QPoint(0, 0));
    const QRect lastRow = table->visualRect(table->model()->index(1, 0));
    const QPoint header = baseOrigin + QPoint(5, 16);
    const QPoint ground = baseOrigin + QPoint(300, 35);
    const QPoint belowRows = table->viewport()->mapTo(window, QPoint(20, lastRow.bottom() + 40));
    const QImage first = grabWhen(window, "main_window.png", [&](const QImage &shot) {
        return hasColour(shot, header, QColor(0, 181, 242)) && hasColour(shot, ground, QColor(107, 115, 115))
               && hasColour(shot, belowRows, QColor(47, 50, 50));
    });
    expectColour(first, header, QColor(0, 181, 242), "header left of the title");
    expectColour(first, ground, QColor(107, 115, 115), "ground between header and strip");
    expectColour(first, belowRows, QColor(47, 50, 50), "list ground below the rows");

    // The second row becomes current everywhere; the label starts one more update.
    const int requests = server.requestCount(endpoint);
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, lastRow.center());
    EXPECT_EQ(OVWeatherController::sharedWeatherController().currentLocation(), london);
    EXPECT_EQ(base->headerTitle(), "London, England, United Kingdom");
    QTest::mouseClick(label, Qt::LeftButton, {}, label->rect().center());
    EXPECT_TRUE(waitUntil([&] { return server.requestCount(endpoint) == requests + 1; }, 10000));

    const QPoint margin = table->viewport()->mapTo(window, QPoint(2, lastRow.center().y()));
    const QImage second = grabWhen(window, "main_window_second_row.png", [&](const QImage &shot) {
        return hasColour(shot, margin, QColor(100, 105, 107));
    });
    expectColour(second, margin, QColor(100, 105, 107), "selection in the selected row's margin");
    EXPECT_NE(first, second);

    // At the window's minimum size every text of the strip lies fully inside it.
    window->resize(window->minimumSize());
    ASSERT_TRUE(waitUntil([&] { return window->size() == QSize(800, 560); }, 10000));
    NBCurrentConditionsView *conditions = base->currentConditionsView();
    // The strip follows the window's new width in a later layout pass.
    QList<DrawnText> drawn;
    waitUntil(
        [&] {
            drawn = TextProbe::drawnTexts(*conditions);
            return drawn.size() == 14 && std::all_of(drawn.cbegin(), drawn.cend(), [&](const DrawnText &text) {
                       return QRectF(conditions->rect()).contains(text.rect);
                   });
        },
        10000);
    EXPECT_EQ(drawn.size(), 14) << "strip width " << conditions->width();
    for (const DrawnText &text : drawn) {
        SCOPED_TRACE(text.text.toStdString());
        EXPECT_TRUE(QRectF(conditions->rect()).contains(text.rect)) << "strip width " << conditions->width();
        EXPECT_FALSE(text.text.contains(QChar(0x2026)));
    }
}

/// The main window's map, launched with the places saved.
class MapWindowTest : public AppControllerTest
{
protected:
    /// The launched controller's map after its first frame; null (the test failed) without one.
    NBMapView *launchedMap()
    {
        launch();
        QMainWindow *window = controller->window();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
        env.scheduler->advance(0.5); // the panels
        auto *map = window->findChild<NBMapView *>("mapView");
        if (!map || !waitUntil([&] { return map->paintCount() > 0 && map->mapGenerator(); }, 10000)) {
            ADD_FAILURE() << "no map frame";
            return nullptr;
        }
        return map;
    }
};

TEST_F(MapWindowTest, TheMapFollowsADragAndKeepsItsCentre)
{
    saveLocations({portlandDictionary(), londonDictionary()});
    NBMapView *map = launchedMap();
    ASSERT_TRUE(map);
    const double latitude = map->center().y();
    const int painted = map->paintCount();

    // Dragging down by 40 points moves the map north.
    const QPoint start = map->rect().center();
    const QPoint end = start + QPoint(0, 40);
    QTest::mousePress(map, Qt::LeftButton, {}, start);
    QMouseEvent move(QEvent::MouseMove, QPointF(end), map->mapToGlobal(QPointF(end)), Qt::NoButton, Qt::LeftButton, {});
    QCoreApplication::sendEvent(map, &move);
    QTest::mouseRelease(map, Qt::LeftButton, {}, end);
    EXPECT_GT(map->center().y(), latitude);
    EXPECT_FLOAT_EQ(OVUserDefaults::standard().doubleForKey(NBMapView::kCenterLatitudeKey), float(map->center().y()));
    EXPECT_TRUE(waitUntil([&] { return map->paintCount() > painted; }));
}

TEST_F(MapWindowTest, TheMapShowsBordersAndEachPlacesNameAboveAndRightOfItsPoint)
{
    saveLocations({denverDictionary(), londonDictionary()});
    OVUserDefaults::standard().setObject(30.0, NBMapView::kZoomKey);
    NBMapView *map = launchedMap();
    ASSERT_TRUE(map);

    const auto white = [](QRgb pixel) { return qGray(pixel) > 200; };
    // The borders: grey 0.1 at alpha 0.9 or 1 over the cleared frame.
    const auto border = [](QRgb pixel) {
        return qRed(pixel) == qGreen(pixel) && qGreen(pixel) == qBlue(pixel) && qRed(pixel) >= 18 && qRed(pixel) <= 32;
    };
    const struct
    {
        const char *name;
        QPointF point; // longitude, latitude
    } places[] = {{"Denver", {-104.75, 39.70}}, {"London", {-0.13, 51.51}}};
    for (const auto &place : places) {
        SCOPED_TRACE(place.name);
        map->setCenter(place.point);
        // Where the place lies in the view: the map's centre and its points per degree.
        const auto placePoint = [&] {
            const double perDegree = map->width() / (2.0 * map->zoom());
            return QPointF(map->width() / 2.0 + (place.point.x() - map->center().x()) * perDegree,
                           map->height() / 2.0 - (place.point.y() - map->center().y()) * perDegree)
                .toPoint();
        };
        QImage frame;
        QPoint point;
        waitUntil(
            [&] {
                map->redraw();
                QApplication::processEvents();
                frame = map->lastFrame().convertToFormat(QImage::Format_RGB32);
                point = placePoint();
                return countPixels(frame, QRect(point.x() + 1, point.y() - 24, 70, 24), white) >= 20;
            },
            10000);
        frame.save(testOutputPath(QStringLiteral("map-%1.png").arg(QLatin1String(place.name))));
        EXPECT_GE(countPixels(frame, QRect(point.x() + 1, point.y() - 24, 70, 24), white), 20) << "the label's ink";
        EXPECT_LT(countPixels(frame, QRect(point.x() - 70, point.y() + 4, 60, 20), white), 5) << "nothing below and left";
        EXPECT_GT(countPixels(frame, frame.rect(), border), 300) << "the borders";
    }
}

} // namespace
