// The forecast strip and the sun and moon dial in the launched main window, under the X server:
// Denver saved, the controller's clock at 2013-11-12 20:30 UTC, and the NDFD client answered
// by the fixture server with the 12-hourly reply of that day. The window is grabbed from the
// screen; the strip's icons and tooltips and the dial's rings, hand and moon are probed.
#include "AppControllerFixture.h"
#include "ViewTestSupport.h"
#include "app/NBBaseView.h"
#include "app/NBForecastView.h"
#include "app/NBTimeView.h"
#include "support/FixtureHttpServer.h"
#include "support/TestHelpers.h"
#include "weather/OVForecastPeriod.h"
#include "weather/OVMoon.h"

#include <QHelpEvent>
#include <QTest>
#include <QToolTip>

#include <cmath>

namespace {

const QString kNdfdPath = QStringLiteral("/xml/sample_products/browser_interface/ndfdBrowserClientByDay.php");

bool near(const QColor &got, const QColor &expected, int tolerance = 6)
{
    return std::abs(got.red() - expected.red()) <= tolerance && std::abs(got.green() - expected.green()) <= tolerance
           && std::abs(got.blue() - expected.blue()) <= tolerance;
}

std::string describe(const QColor &color)
{
    return QStringLiteral("(%1,%2,%3)").arg(color.red()).arg(color.green()).arg(color.blue()).toStdString();
}

TEST_F(AppControllerTest, ForecastStripAndDialInTheMainWindow)
{
    FixtureHttpServer server;
    ASSERT_TRUE(server.start());
    server.serveFile(kNdfdPath, testDataPath("weather/ndfd/byday_12hourly_39.70_-104.75.xml"), "text/xml");
    OVUserDefaults::standard().setObject(server.baseUrl(), QStringLiteral("OVNDFDServerURL"));
    saveLocations({denverDictionary()});
    env.scheduler->set(QDateTime(QDate(2013, 11, 12), QTime(20, 30), Qt::UTC));
    launch();

    QMainWindow *window = controller->window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    env.scheduler->advance(2.5); // the panels at 0.5 s, the first update at 2 s
    auto *base = window->findChild<NBBaseView *>("baseView");
    ASSERT_TRUE(base && base->hasPanels());
    auto *strip = qobject_cast<NBForecastView *>(base->forecastView());
    auto *dial = qobject_cast<NBTimeView *>(base->timeView());
    ASSERT_TRUE(strip && dial);
    EXPECT_EQ(strip, window->findChild<QWidget *>("forecastView"));
    EXPECT_EQ(dial, window->findChild<QWidget *>("timeView"));
    const auto denver = controller->monitoredLocations().at(0);
    EXPECT_EQ(strip->currentLocation(), denver);
    EXPECT_EQ(dial->currentLocation(), denver);
    ASSERT_TRUE(waitUntil([&] { return !strip->forecastArrayForLocation(denver).isEmpty(); }, 10000));
    EXPECT_GE(server.requestCount(kNdfdPath), 1);
    strip->repaint(); // the strip works out its periods' places and tooltips as it draws
    dial->repaint();
    // The grab is repeated until the strip's icons and the dial's rings are on the screen (a
    // busy machine shows them late); the checks below then look at that same picture.
    const QVariantList periods = strip->forecastArrayForLocation(denver);
    const auto &tips = strip->tooltips();
    ASSERT_GE(tips.size(), 2);
    ASSERT_GE(periods.size(), 2);
    QImage shot;
    QColor panel;
    const auto inkedInIcon = [&](int i) {
        const QRect half = tips[i].first.toRect();
        int inked = 0;
        for (int x = half.left() + 2; x < half.left() + 2 + int(strip->imageDimension()); ++x)
            for (int y = half.top(); y <= half.bottom(); ++y)
                inked += near(shot.pixelColor(strip->mapTo(window, QPoint(x, y))), panel, 12) ? 0 : 1;
        return inked;
    };
    const QPointF c = dial->centerPoint();
    const auto at = [&](double radius, double hour) {
        const double a = (hour / 24.0 * 360.0 + 90.0) * M_PI / 180.0;
        return shot.pixelColor(dial->mapTo(window, QPointF(c.x() + radius * std::cos(a), c.y() + radius * std::sin(a)).toPoint()));
    };
    const double ring = dial->sunOuterRadius() - 5.0;
    waitUntil(
        [&] {
            strip->update();
            dial->update();
            shot = window->screen()->grabWindow(window->winId()).toImage();
            panel = shot.pixelColor(strip->mapTo(window, QPoint(strip->width() / 2, strip->height() / 2)));
            return inkedInIcon(0) > 600 && inkedInIcon(1) > 600 && near(at(ring, 10.0), QColor(255, 255, 3))
                   && near(at(ring, 2.0), QColor(0, 174, 255)) && near(at(35.0, 13.5), QColor(246, 149, 55));
        },
        15000);
    shot.save(testOutputPath(QStringLiteral("forecast_and_dial_in_window.png")));

    // The strip: NDFD's periods, each with its icon in its own half, and the first one's
    // full text as the tooltip.
    for (int i = 0; i < 2; ++i) {
        const QVariantMap period = periods[i].toMap();
        const bool isDay = OVForecastPeriod::boolValue(period, OVForecastKey::isDay).value_or(false);
        const QRect half = tips[i].first.toRect();
        EXPECT_EQ(half.center().y() < strip->height() / 2, isDay) << "period " << i;
        EXPECT_GT(inkedInIcon(i), 600) << "icon of period " << i;
    }
    const QString firstText = OVForecastPeriod::stringValue(periods.first().toMap(), OVForecastKey::fullDesc);
    ASSERT_FALSE(firstText.isEmpty());
    EXPECT_EQ(tips.first().second, firstText);
    const QPoint inside = tips.first().first.center().toPoint();
    QHelpEvent help(QEvent::ToolTip, inside, strip->mapToGlobal(inside));
    QApplication::sendEvent(strip, &help);
    EXPECT_EQ(QToolTip::text(), firstText);

    // The dial: daylight at 10:00, night at 02:00, the hand at 13:30 local, and a waxing moon
    // (phase about 0.385) with its dark sliver on the left.
    EXPECT_TRUE(near(at(ring, 10.0), QColor(255, 255, 3))) << describe(at(ring, 10.0));
    EXPECT_TRUE(near(at(ring, 2.0), QColor(0, 174, 255))) << describe(at(ring, 2.0));
    EXPECT_TRUE(near(at(35.0, 13.5), QColor(246, 149, 55))) << describe(at(35.0, 13.5));
    EXPECT_NEAR(OVMoon::moonPhase(env.scheduler->now(), denver->locationTimeZone()), 0.385, 0.01);
    const auto moon = [&](int dx) { return shot.pixelColor(dial->mapTo(window, QPoint(int(c.x()) + dx, int(c.y())))); };
    EXPECT_TRUE(near(moon(-18), QColor(0, 0, 0), 10)) << describe(moon(-18));
    EXPECT_GT(moon(-10).lightness(), 150) << describe(moon(-10));
    EXPECT_GT(moon(10).lightness(), 150) << describe(moon(10));
}

} // namespace
