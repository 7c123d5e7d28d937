// The surface analysis in the running program, under the X server: Denver saved, every service
// host at a fixture server whose forecast data service answers with the bulletin fixture, the
// surface-analysis switch on and a stored zoom of 14 degrees either side, so the view centred
// on Denver holds the bulletin's cold front (35 N 105 W to 42.5 N 90 W, listed towards the
// north-east) and its high over 43.9 N 116.9 W. Once the first update pass has brought the
// bulletin, the map must show the front's blue triangles on its right (south-east) side only and
// a blue "H" on the high: in the real binary's screenshot, and in the launched controller's
// window grabbed from the screen.
#include "AppControllerFixture.h"
#include "ViewTestSupport.h"
#include "core/NBRegisteredDefaults.h"
#include "map/views/NBMapView.h"
#include "map/layers/OVMapHPCSurfaceAnalysisLayer.h"
#include "platform/OVUserDefaults.h"
#include "support/FixtureHttpServer.h"
#include "support/RunningProgram.h"
#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <QTest>

#include <cmath>
#include <functional>
#include <iostream>

namespace {

const QString kBrokerPath = QStringLiteral("/cgi-bin/data_broker.cgi");
constexpr double kZoom = 14.0;
const QPointF kFrontStart(-105.0, 35.0);
const QPointF kFrontEnd(-90.0, 42.5);
const QPointF kHigh(-116.9, 43.9);

/// Where a geographic point (x longitude, y latitude) lands in the image.
using ToImage = std::function<QPointF(const QPointF &)>;

bool isBlue(const QColor &c)
{
    return c.blue() > 200 && c.red() < 60 && c.green() < 60;
}

void serveBulletinAndShowFronts(FixtureHttpServer &server)
{
    server.serve(kBrokerPath, FixtureResponse::text(readTestFile(
                                  testDataPath(QStringLiteral("map/bulletin/brisant_surface_analysis.txt")))));
    OVUserDefaults &defaults = OVUserDefaults::standard();
    defaults.setObject(server.baseUrl(), NBSettingKey::brisantDataServerURL);
    defaults.setObject(QStringLiteral("YES"), QStringLiteral("OVGeographyMapLayerShowSurfaceAnalysis"));
    defaults.setObject(kZoom, NBMapView::kZoomKey);
    defaults.setObject(QVariantList{denverDictionary()}, QStringLiteral("locations"));
    defaults.synchronize();
}

/// Blue pixels beside the cold front, within `reach` pixels of it but more than 4 away: on its
/// right and on its left (facing along its listed order).
struct Sides
{
    int right = 0;
    int left = 0;
};

Sides frontSides(const QImage &image, const QRect &area, const ToImage &toImage, double reach = 16.0)
{
    const QPointF a = toImage(kFrontStart);
    const QPointF b = toImage(kFrontEnd);
    const QPointF along = b - a;
    const double length = std::hypot(along.x(), along.y());
    Sides sides;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            if (!isBlue(image.pixelColor(x, y)))
                continue;
            const QPointF d = QPointF(x + 0.5, y + 0.5) - a;
            const double t = (d.x() * along.x() + d.y() * along.y()) / (length * length);
            // Image rows run down, so a positive cross product lies on the right.
            const double off = (along.x() * d.y() - along.y() * d.x()) / length;
            if (t < 0.0 || t > 1.0 || std::abs(off) > reach || std::abs(off) <= 4.0)
                continue;
            (off > 0.0 ? sides.right : sides.left) += 1;
        }
    return sides;
}

/// Blue pixels within 30 pixels of the high.
int blueNearHigh(const QImage &image, const ToImage &toImage)
{
    const QPointF h = toImage(kHigh);
    return countPixels(image, QRect(int(h.x()) - 30, int(h.y()) - 30, 60, 60), [](QRgb pixel) { return isBlue(QColor(pixel)); });
}

} // namespace

TEST(AppMapFronts, TheRunningProgramShowsTheFrontsTrianglesAndTheHigh)
{
    FixtureHttpServer hosts;
    ASSERT_TRUE(hosts.start());
    serveBulletinAndShowFronts(hosts);
    storeServiceHosts(hosts.baseUrl());
    RunningProgram app;
    ASSERT_TRUE(app.start(QStringLiteral(NIMBREL_APP_EXECUTABLE)));
    ASSERT_FALSE(app.waitForWindow("Nimbrel Core").isEmpty());

    // The map is centred on Denver at the stored zoom: its resolution is the frame's width over
    // twice the zoom, in both directions.
    QImage shot;
    QRect frame;
    ToImage toImage;
    Sides sides;
    const bool shown = waitUntil(
        [&] {
            if (hosts.requestCount(kBrokerPath) == 0)
                return false;
            shot = app.screenshot(testOutputPath("fronts-program.png"));
            frame = shot.isNull() ? QRect() : mapFrame(shot);
            if (frame.width() < 200 || frame.height() < 200)
                return false;
            const double p = frame.width() / (2.0 * kZoom);
            const QPointF centre = QRectF(frame).center();
            toImage = [centre, p](const QPointF &g) {
                return QPointF(centre.x() + (g.x() + 104.75) * p, centre.y() - (g.y() - 39.70) * p);
            };
            sides = frontSides(shot, frame, toImage);
            return sides.right > 50 && blueNearHigh(shot, toImage) > 80;
        },
        30000);
    std::cout << "screenshot: " << testOutputPath("fronts-program.png").toStdString() << std::endl;
    EXPECT_TRUE(shown) << "right " << sides.right << ", near the high " << (toImage ? blueNearHigh(shot, toImage) : 0);
    EXPECT_EQ(sides.left, 0);
    for (const FixtureRequest &request : hosts.requests())
        if (request.path == kBrokerPath)
            EXPECT_EQ(request.method, "POST");
    EXPECT_TRUE(app.terminate());
}

TEST_F(AppControllerTest, TheMainWindowsMapHasTheColdFrontsTrianglesOnItsRightOnly)
{
    ASSERT_TRUE(hosts.start());
    serveBulletinAndShowFronts(hosts);
    launch();
    QMainWindow *window = controller->window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    env.scheduler->advance(2.5); // the panels at 0.5 s, the first update pass at 2 s

    auto *map = window->findChild<NBMapView *>("mapView");
    ASSERT_TRUE(map);
    const auto features = [&] {
        OVMapController *generator = map->mapGenerator();
        const OVMapLayerGroup group = generator ? generator->layers(OVMapLayerType::SurfaceAnalysis) : nullptr;
        auto *layer = group && !group->isEmpty()
                          ? dynamic_cast<OVMapHPCSurfaceAnalysisLayer *>(group->first().get())
                          : nullptr;
        return layer ? layer->surfaceFeatures().size() : -1;
    };
    ASSERT_TRUE(waitUntil([&] { return features() == 6; }, 20000)) << "features: " << features();

    // The features are in the layer before their drawing reaches the screen: grab until the
    // front and the high show, then look at the front's other side in that same picture.
    QImage shot;
    ToImage toImage;
    Sides sides;
    const bool shown = waitUntil(
        [&] {
            shot = window->screen()->grabWindow(window->winId()).toImage();
            const QPoint origin = map->mapTo(window, QPoint(0, 0));
            const OVGeoRect visible = map->visibleGeoRect();
            const QSizeF size = map->viewSize();
            toImage = [origin, visible, size](const QPointF &g) {
                const double sx = size.width() / (visible.maxPoint.longitude - visible.minPoint.longitude);
                const double sy = size.height() / (visible.maxPoint.latitude - visible.minPoint.latitude);
                return QPointF(origin.x() + (g.x() - visible.minPoint.longitude) * sx,
                               origin.y() + (visible.maxPoint.latitude - g.y()) * sy);
            };
            sides = frontSides(shot, QRect(origin, size.toSize()) & shot.rect(), toImage);
            return sides.right > 50 && blueNearHigh(shot, toImage) > 80;
        },
        30000);
    shot.save(testOutputPath(QStringLiteral("fronts-main-window.png")));
    EXPECT_TRUE(shown) << "right " << sides.right << ", near the high " << blueNearHigh(shot, toImage);
    EXPECT_EQ(sides.left, 0);
}
