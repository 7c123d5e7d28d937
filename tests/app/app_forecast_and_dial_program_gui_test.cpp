// The forecast strip and the sun and moon dial in the running program, on the real clock:
// Denver saved and the NDFD host pointing at the fixture server, which serves the 12-hourly
// reply with every time moved by whole days so that it begins today. The window is found on the
// screen, the dial located by its ring colours and probed at Denver's solar noon, at 02:00 (or
// beside them, away from the hand) and along its hand; the strip's rows must hold icons, a drag
// must move the strip and the wheel bring it back.
#include "ViewTestSupport.h"
#include "platform/OVUserDefaults.h"
#include "support/FixtureHttpServer.h"
#include "support/RunningProgram.h"
#include "support/TestHelpers.h"
#include "weather/OVSun.h"
#include "weather/OVWeatherLocation.h"

#include <gtest/gtest.h>

#include <QTest>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <optional>

namespace {

const QString kNdfdPath = QStringLiteral("/xml/sample_products/browser_interface/ndfdBrowserClientByDay.php");
const QColor kYellow(255, 255, 3);
const QColor kBlue(0, 174, 255);
const QColor kOrange(246, 149, 55);

bool near(const QColor &got, const QColor &expected, int tolerance = 4)
{
    return std::abs(got.red() - expected.red()) <= tolerance && std::abs(got.green() - expected.green()) <= tolerance
           && std::abs(got.blue() - expected.blue()) <= tolerance;
}

/// The dial's outer ring found by its colours: centre and outer radius.
struct Dial
{
    QPointF centre;
    double radius = 0.0;

    QColor at(const QImage &image, double r, double angleDeg) const
    {
        const double a = angleDeg * M_PI / 180.0;
        return image.pixelColor(QPoint(int(std::floor(centre.x() + r * std::cos(a))),
                                       int(std::floor(centre.y() + r * std::sin(a)))));
    }
};

std::optional<Dial> findDial(const QImage &image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (near(c, kYellow) || near(c, kBlue))
                box |= QRect(x, y, 1, 1);
        }
    if (box.width() < 60 || std::abs(box.width() - box.height()) > 3)
        return std::nullopt;
    return Dial{QRectF(box).center(), box.width() / 2.0};
}

double angleOf(const QDateTime &time, const QTimeZone &zone)
{
    const QTime local = time.toTimeZone(zone).time();
    return (local.hour() * 60 + local.minute() + local.second() / 60.0) / 1440.0 * 360.0 + 90.0;
}

/// Coloured pixels (icons, not the white text or the dark panel) in a band of the image.
int iconPixels(const QImage &image, const QRect &band)
{
    int count = 0;
    for (int y = band.top(); y <= band.bottom(); ++y)
        for (int x = band.left(); x <= band.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            count += c.hsvSaturation() > 80 && c.value() > 120 ? 1 : 0;
        }
    return count;
}

TEST(ForecastAndDialProgram, StripAndDialOnTheRealClock)
{
    const auto denver = placeFrom(denverDictionary());
    const QTimeZone zone = denver->locationTimeZone();
    FixtureHttpServer server;
    ASSERT_TRUE(server.start());
    const QByteArray body = testDataWithDatesMoved(QStringLiteral("weather/ndfd/byday_12hourly_39.70_-104.75.xml"),
                                                   QDate(2013, 11, 12),
                                                   QDateTime::currentDateTimeUtc().toTimeZone(zone).date());
    ASSERT_FALSE(body.isEmpty());
    server.serve(kNdfdPath, FixtureResponse::text(body, "text/xml"));
    OVUserDefaults &defaults = OVUserDefaults::standard();
    defaults.setObject(server.baseUrl(), QStringLiteral("OVNDFDServerURL"));
    defaults.setObject(QVariantList{denverDictionary()}, QStringLiteral("locations"));
    ASSERT_TRUE(defaults.synchronize());

    RunningProgram app;
    ASSERT_TRUE(app.start(QStringLiteral(NIMBREL_APP_EXECUTABLE)));
    ASSERT_FALSE(app.waitForWindow("Nimbrel Core").isEmpty());
    const QString shotPath = testOutputPath("forecast_and_dial.png");

    // The first update runs 2 s after launch; wait for the strip's icons and the dial's ring.
    QImage shot;
    std::optional<Dial> dial;
    waitUntil(
        [&] {
            shot = app.screenshot(shotPath);
            dial = shot.isNull() ? std::nullopt : findDial(shot);
            return dial && server.requestCount(kNdfdPath) > 0
                   && iconPixels(shot, QRect(0, int(dial->centre.y()) - 90, int(dial->centre.x()) - 100, 80)) > 40;
        },
        30000);
    std::cout << "screenshot: " << shotPath.toStdString() << std::endl;
    ASSERT_TRUE(dial) << "no dial ring in " << shotPath.toStdString();
    EXPECT_NEAR(dial->radius, 46.5, 1.5);

    // The strip is the panel left of the dial, level with it: icons in both rows.
    const int top = int(dial->centre.y()) - 90;
    const int stripRight = int(dial->centre.x()) - 100;
    const QRect upper(0, top + 20, stripRight, 80);
    const QRect lower(0, top + 110, stripRight, 80);
    EXPECT_GT(iconPixels(shot, upper), 40);
    EXPECT_GT(iconPixels(shot, lower), 40);

    // The dial: daylight at Denver's solar noon, night at 02:00, the hand at local time. The hand
    // covers the ring at the present hour, so a probe within 20° of it moves on to the next
    // candidate: two hours either side of noon, 23:00.
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QDateTime sunrise = OVSun::sunrise(now, *denver);
    const QDateTime sunset = OVSun::sunset(now, *denver);
    ASSERT_TRUE(sunrise.isValid() && sunset.isValid());
    const QDateTime noon = sunrise.addSecs(sunrise.secsTo(sunset) / 2);
    const double expected = angleOf(now, zone);
    const auto clearOfHand = [expected](std::initializer_list<double> angles) {
        return *std::find_if(angles.begin(), angles.end(), [expected](double a) {
            return std::abs(std::remainder(a - expected, 360.0)) > 20.0;
        });
    };
    const double ring = dial->radius - 5.0;
    const double day = clearOfHand({angleOf(noon, zone), angleOf(noon.addSecs(-7200), zone), angleOf(noon.addSecs(7200), zone)});
    const double night = clearOfHand({2.0 / 24.0 * 360.0 + 90.0, 23.0 / 24.0 * 360.0 + 90.0});
    EXPECT_TRUE(near(dial->at(shot, ring, day), kYellow, 8)) << "no daylight at " << day << "°";
    EXPECT_TRUE(near(dial->at(shot, ring, night), kBlue, 8)) << "no night at " << night << "°";
    double sum = 0.0;
    int hits = 0;
    for (double a = expected - 20.0; a <= expected + 20.0; a += 0.25) {
        if (near(dial->at(shot, dial->radius - 11.5, a), kOrange, 10)) {
            sum += a;
            ++hits;
        }
    }
    ASSERT_GT(hits, 0) << "no hand near " << expected << "°";
    EXPECT_NEAR(sum / hits, expected, 2.0);

    // A drag moves the strip, the wheel turned away from the user brings it back.
    const QRect strip(0, top, stripRight, 196);
    const QImage before = shot.copy(strip);
    const QPoint grip(stripRight / 2 + 100, top + 100);
    // Each picture is taken again until it shows the move (or a generous deadline passes).
    app.drag(grip, grip - QPoint(150, 0));
    QImage dragged;
    waitUntil(
        [&] {
            dragged = app.screenshot(testOutputPath("forecast_dragged.png")).copy(strip);
            return dragged != before;
        },
        10000);
    EXPECT_NE(dragged, before);
    app.wheel(grip, 40);
    QImage back;
    waitUntil(
        [&] {
            back = app.screenshot(testOutputPath("forecast_back.png")).copy(strip);
            return back == before;
        },
        10000);
    EXPECT_EQ(back, before);

    EXPECT_TRUE(app.terminate());
}

} // namespace
