// The sun and moon dial rendered into an image: its geometry, the hand at chosen times, the
// daylight ring for given times and for the real sun at a polar place, the moon's ring when it
// only rises or only sets, the phase drawing probed across the disc, and a panel too small for
// a dial.
#include "ViewTestSupport.h"
#include "app/NBTimeView.h"
#include "support/TestHelpers.h"
#include "weather/OVWeatherLocation.h"

#include <gtest/gtest.h>

#include <QImage>

#include <cmath>

namespace {

const QColor kYellow(255, 255, 3);
const QColor kBlue(0, 174, 255);
const QColor kOrange(246, 149, 55);
const QColor kBlack(0, 0, 0);
const QColor kWhite(255, 255, 255);

QDateTime utc(int year, int month, int day, int hour, int minute = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute), Qt::UTC);
}

bool near(const QColor &got, const QColor &expected, int tolerance = 4)
{
    return std::abs(got.red() - expected.red()) <= tolerance && std::abs(got.green() - expected.green()) <= tolerance
           && std::abs(got.blue() - expected.blue()) <= tolerance;
}

std::string describe(const QColor &color)
{
    return QStringLiteral("(%1,%2,%3)").arg(color.red()).arg(color.green()).arg(color.blue()).toStdString();
}

class TimeViewTest : public testing::Test
{
protected:
    NBTimeView &make(NBTimeView::SunMoonSource source, QDateTime now, QSize size = QSize(173, 196),
                     QVariantMap place = placeDictionary("Greenwich", "", "", "GB", "United Kingdom", "EGLL", 51.48, 0.0,
                                                         "UTC"))
    {
        mNow = std::move(now);
        view = std::make_unique<NBTimeView>(std::move(source), [this] { return mNow; });
        view->resize(size);
        view->setCurrentLocation(placeFrom(place));
        return *view;
    }
    static NBTimeView::SunMoonSource fixed(NBTimeView::SunMoonDay day)
    {
        return [day](const QDateTime &, const OVWeatherLocation &) { return day; };
    }
    QImage render()
    {
        QImage image(view->size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        view->render(&image);
        return image;
    }
    /// The colour at a radius and dial angle (degrees, y-down) from the centre.
    QColor at(const QImage &image, double radius, double angleDeg) const
    {
        const QPointF c = view->centerPoint();
        const double a = angleDeg * M_PI / 180.0;
        return image.pixelColor(QPoint(int(std::floor(c.x() + radius * std::cos(a))),
                                       int(std::floor(c.y() + radius * std::sin(a)))));
    }
    static double angleOfHour(double hour) { return hour / 24.0 * 360.0 + 90.0; }
    double sunRing() const { return view->sunOuterRadius() - 5.0; }
    double moonRing() const { return view->moonOuterRadius() - 5.0; }

    ViewTestData data;
    QDateTime mNow;
    std::unique_ptr<NBTimeView> view;
};

TEST_F(TimeViewTest, Geometry)
{
    make(fixed({}), utc(2024, 3, 1, 12));
    EXPECT_EQ(view->sunOuterRadius(), 46.5);
    EXPECT_EQ(view->moonRadius(), 20.5);
    EXPECT_EQ(view->centerPoint(), QPointF(86.5, 90.0));
}

TEST_F(TimeViewTest, TheHandPointsAtLocalTime)
{
    struct Case
    {
        int hour, minute;
        double angle;
    };
    for (const Case &c : {Case{0, 0, 90}, Case{6, 0, 180}, Case{12, 0, 270}, Case{18, 0, 360}, Case{6, 30, 187.5}}) {
        SCOPED_TRACE(testing::Message() << c.hour << ":" << c.minute);
        make(fixed({}), utc(2024, 3, 1, c.hour, c.minute));
        EXPECT_DOUBLE_EQ(view->angleForDate(mNow), c.angle);
        const QImage image = render();
        const QColor hand = at(image, 35.0, c.angle);
        EXPECT_TRUE(near(hand, kOrange)) << describe(hand);
        // A quarter turn away there is no hand.
        EXPECT_FALSE(near(at(image, 35.0, c.angle + 90.0), kOrange));
    }
}

TEST_F(TimeViewTest, DaylightFromSunriseToSunset)
{
    NBTimeView::SunMoonDay day;
    day.sunrise = utc(2024, 3, 1, 6);
    day.sunset = utc(2024, 3, 1, 18);
    day.moonPhase = 0.5;
    day.moonrise = utc(2024, 3, 1, 9);
    day.moonset = utc(2024, 3, 1, 20);
    day.moonPhase = 0.15;
    make(fixed(day), utc(2024, 3, 1, 3));
    const QImage image = render();
    EXPECT_TRUE(image.save(testOutputPath("dial.png")));
    EXPECT_TRUE(near(at(image, sunRing(), angleOfHour(12)), kYellow)) << describe(at(image, sunRing(), 270));
    EXPECT_TRUE(near(at(image, sunRing(), angleOfHour(9)), kYellow));
    EXPECT_TRUE(near(at(image, sunRing(), angleOfHour(0)), kBlue)) << describe(at(image, sunRing(), 90));
    EXPECT_TRUE(near(at(image, sunRing(), angleOfHour(21)), kBlue));
    EXPECT_EQ(NBTimeView::dayLengthText(day), "Day Length\n12h 0m");
}

TEST_F(TimeViewTest, PolarDayAndNightWithTheRealSun)
{
    const QVariantMap longyearbyen =
        placeDictionary("Longyearbyen", "", "", "SJ", "Svalbard", "ENSB", 78.2, 15.6, "Arctic/Longyearbyen");
    struct Case
    {
        QDateTime now;
        QColor ring;
        const char *length;
        bool sunriseShown;
    };
    for (const Case &c : {Case{utc(2024, 6, 21, 10), kYellow, "Day Length\n24h 0m", true},
                          Case{utc(2024, 12, 21, 10), kBlue, "Day Length\n0h 0m", false}}) {
        SCOPED_TRACE(c.now.toString(Qt::ISODate).toStdString());
        make(&NBTimeView::astronomicalDay, c.now, QSize(173, 196), longyearbyen);
        const NBTimeView::SunMoonDay day = NBTimeView::astronomicalDay(c.now, *view->currentLocation());
        EXPECT_EQ(NBTimeView::dayLengthText(day), c.length);
        const QImage image = render();
        for (int hour = 0; hour < 24; hour += 3) {
            const QColor got = at(image, sunRing(), angleOfHour(hour + 0.5));
            EXPECT_TRUE(near(got, c.ring)) << hour << "h " << describe(got);
        }
        const QString description = view->accessibleDescription();
        EXPECT_EQ(description.contains(QStringLiteral("Sunrise: %1 ").arg(QChar(0x2013))), !c.sunriseShown)
            << description.toStdString();
        EXPECT_TRUE(description.startsWith("Time view. Local Time: ")) << description.toStdString();
    }
}

TEST_F(TimeViewTest, AMoonThatOnlyRisesOrOnlySetsIsUpForItsPartOfTheDay)
{
    struct Case
    {
        const char *name;
        bool rises;
        QColor before, after;
    };
    for (const Case &c : {Case{"rise only", true, kBlack, kWhite}, Case{"set only", false, kWhite, kBlack}}) {
        SCOPED_TRACE(c.name);
        NBTimeView::SunMoonDay day;
        (c.rises ? day.moonrise : day.moonset) = utc(2024, 3, 1, 10);
        day.moonPhase = 0.5;
        make(fixed(day), utc(2024, 3, 1, 3));
        const QImage image = render();
        for (double hour : {0.5, 5.0, 9.5}) {
            const QColor got = at(image, moonRing(), angleOfHour(hour));
            EXPECT_TRUE(near(got, c.before)) << hour << "h " << describe(got);
        }
        for (double hour : {10.5, 15.0, 23.5}) {
            const QColor got = at(image, moonRing(), angleOfHour(hour));
            EXPECT_TRUE(near(got, c.after)) << hour << "h " << describe(got);
        }
        EXPECT_TRUE(view->accessibleDescription().contains(QStringLiteral("Moon%1: %2").arg(c.rises ? "set" : "rise").arg(QChar(0x2013))));
    }
}

TEST_F(TimeViewTest, MoonPhaseDarkAndLitAcrossTheDisc)
{
    struct Case
    {
        double phase;
        QList<int> dark;
        QList<int> lit;
    };
    const Case cases[] = {
        {0.005, {-19, -10, 0, 10, 19}, {}},
        {0.995, {-19, -10, 0, 10, 19}, {}},
        {0.495, {}, {-19, -10, 0, 10, 19}},
        {0.5, {}, {-19, -10, 0, 10, 19}},
        {0.505, {}, {-19, -10, 0, 10, 19}},
        {0.25, {-19, -10, -2}, {2, 10, 19}},
        {0.75, {2, 10, 19}, {-19, -10, -2}},
        {0.10, {-19, 0, 10}, {19}},
        {0.20, {-19, 0, 4}, {10, 19}},
        {0.40, {-19}, {-10, 0, 19}},
        {0.60, {19}, {-19, -10, 0, 10}},
        {0.90, {-10, 0, 10, 19}, {-19}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.phase);
        NBTimeView::SunMoonDay day;
        day.moonPhase = c.phase;
        make(fixed(day), utc(2024, 3, 1, 3));
        const QImage image = render();
        const QPointF centre = view->centerPoint();
        for (int d : c.dark) {
            const QColor got = image.pixelColor(QPoint(int(centre.x()) + d, int(centre.y())));
            EXPECT_TRUE(near(got, kBlack, 10)) << "dark at " << d << " " << describe(got);
        }
        for (int d : c.lit) {
            const QColor got = image.pixelColor(QPoint(int(centre.x()) + d, int(centre.y())));
            EXPECT_GT(got.lightness(), 150) << "lit at " << d << " " << describe(got);
        }
    }
}

TEST_F(TimeViewTest, APanelTooSmallForADialDrawsNoRing)
{
    NBTimeView::SunMoonDay day;
    day.sunrise = utc(2024, 3, 1, 6);
    day.sunset = utc(2024, 3, 1, 18);
    day.moonrise = utc(2024, 3, 1, 8);
    day.moonPhase = 0.3;
    for (QSize size : {QSize(100, 100), QSize(60, 40)}) {
        make(fixed(day), utc(2024, 3, 1, 12), size);
        const QImage image = render();
        int ringPixels = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                ringPixels += near(image.pixelColor(x, y), kYellow, 30) || near(image.pixelColor(x, y), kBlue, 30) ? 1 : 0;
        EXPECT_EQ(ringPixels, 0) << size.width() << "x" << size.height();
    }
}

} // namespace
