// The map's credits line: parsing the attribution file, choosing and laying out the credits of
// the visible regions (rendered offscreen into an image), fetching the file from the local
// fixture server once, retrying after a failure, and the fade.
#include "map/views/OVMapAttributionView.h"

#include "support/FakeClock.h"
#include "support/FixtureHttpServer.h"
#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>

namespace {

const QString kPath = QStringLiteral("/equirectangular/radar_composites/base_reflectivity/attribution.txt");

QString fixture(const QString &name)
{
    return testDataPath(QStringLiteral("map/radar/") + name);
}

OVMapAttributionRegion region(float minLat, float minLon, float maxLat, float maxLon, const QString &name,
                              const QString &url)
{
    return {minLat, minLon, maxLat, maxLon, name, url};
}

/// The box of the near-white pixels.
QRect inkOf(const QImage &image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) > 200)
                box |= QRect(x, y, 1, 1);
    return box;
}

class AttributionView : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.start()) << qPrintable(server.errorString());
        server.serveFile(kPath, fixture(QStringLiteral("attribution.txt")), "text/plain");
        view.resize(600, 120);
    }

    /// Paints the view over black, as the map under it would be.
    QImage paint()
    {
        QImage image(view.size(), QImage::Format_ARGB32);
        image.fill(Qt::black);
        view.render(&image);
        return image;
    }

    /// Paints until the file has arrived (or failed) and the fade has settled.
    QImage paintUntilSettled()
    {
        waitUntil([&] {
            paint();
            return view.attributionRegions().has_value() && view.fadeOpacity() == (view.fadedOut() ? 0.0 : 1.0);
        },
        20000);
        return paint();
    }

    FixtureHttpServer server;
    FakeClock clock;
    OVMapAttributionView view{nullptr, clock};
    const OVGeoRect plains = OVGeoRectMake(30.0, -110.0, 40.0, -90.0);
    const OVGeoRect ocean = OVGeoRectMake(-40.0, -30.0, -20.0, 0.0);
};

TEST(AttributionFile, CommentsAndShortLinesAreSkippedAndExtraFieldsIgnored)
{
    const QList<OVMapAttributionRegion> regions = OVMapAttributionView::parseAttributionData(
        readTestFile(fixture(QStringLiteral("attribution.txt"))));
    EXPECT_EQ(regions, (QList<OVMapAttributionRegion>{
                           region(20, -130, 50, -60, "Northern Plains Radar", "https://radar.example.org")}));
}

TEST(AttributionFile, FieldsStayAsWrittenAndNumbersReadTheirLeadingDigits)
{
    const QList<OVMapAttributionRegion> regions =
        OVMapAttributionView::parseAttributionData("12.5 N,-7e1x,none,.5, Spaced Name , http://a.example \r\n");
    ASSERT_EQ(regions.size(), 1);
    EXPECT_EQ(regions[0], region(12.5f, -70.0f, 0.0f, 0.5f, " Spaced Name ", " http://a.example "));
}

TEST(AttributionFile, AccentedNamesReadFromUtf8AndLatin1)
{
    const QList<OVMapAttributionRegion> utf8 =
        OVMapAttributionView::parseAttributionData(readTestFile(fixture(QStringLiteral("attribution_utf8.txt"))));
    const QList<OVMapAttributionRegion> latin1 =
        OVMapAttributionView::parseAttributionData(readTestFile(fixture(QStringLiteral("attribution_latin1.txt"))));
    ASSERT_EQ(utf8.size(), 1);
    ASSERT_EQ(latin1.size(), 1);
    EXPECT_EQ(utf8[0].organizationName, QStringLiteral("Réseau Météo Européen"));
    EXPECT_EQ(utf8[0].url, QStringLiteral("https://meteo.example.eu")) << "the CR of a CR LF line end is cut";
    EXPECT_EQ(latin1[0].organizationName, QStringLiteral("Servicio Meteorológico Ibérico"));
}

TEST(AttributionCredits, OneLineEachNameOverAddressWhenTooWideAndShrinkingNeverBelowFive)
{
    const auto north = region(20, -130, 50, -60, "Northern Plains Radar", "https://radar.example.org");
    const auto lakes = region(30, -100, 45, -80, "Lakes Weather", "https://lakes.example.net");
    const QString longName(120, QLatin1Char('W'));

    auto credits = OVMapAttributionView::creditsForRegions({north, lakes}, 600);
    EXPECT_EQ(credits.lines, (QStringList{"Northern Plains Radar :: https://radar.example.org",
                                          "Lakes Weather :: https://lakes.example.net"}));
    EXPECT_EQ(credits.fontPixels, 12.0);

    credits = OVMapAttributionView::creditsForRegions({north}, 300); // wider than 300 - 40
    EXPECT_EQ(credits.lines, (QStringList{"Northern Plains Radar", "https://radar.example.org"}));
    EXPECT_EQ(credits.fontPixels, 12.0);

    credits = OVMapAttributionView::creditsForRegions({region(0, 0, 1, 1, longName, "x")}, 600);
    EXPECT_EQ(credits.lines.first(), longName);
    EXPECT_EQ(credits.fontPixels, 5.0);

    credits = OVMapAttributionView::creditsForRegions({region(0, 0, 1, 1, QString(60, QLatin1Char('W')), "x")}, 600);
    EXPECT_LT(credits.fontPixels, 12.0);
    EXPECT_GT(credits.fontPixels, 5.0);
}

TEST_F(AttributionView, OnlyRegionsOverlappingTheViewStrictlyAreCredited)
{
    view.setAttributionURL(server.baseUrl() + kPath);
    paintUntilSettled();
    EXPECT_EQ(view.regionsInGeoRect(plains)->size(), 1);
    EXPECT_TRUE(view.regionsInGeoRect(OVGeoRectMake(30.0, -60.0, 40.0, -50.0))->isEmpty()) << "touches the east edge";
    EXPECT_TRUE(view.regionsInGeoRect(OVGeoRectMake(50.0, -100.0, 60.0, -90.0))->isEmpty()) << "touches the north edge";
}

TEST_F(AttributionView, TheCreditIsWhiteCentredTenPixelsAboveTheBottom)
{
    view.setAttributionURL(server.baseUrl() + kPath);
    view.setVisibleGeoRect(plains);
    const QImage image = paintUntilSettled();
    image.save(testOutputPath(QStringLiteral("attribution.png")));
    EXPECT_FALSE(view.fadedOut());
    const QRect ink = inkOf(image);
    ASSERT_FALSE(ink.isEmpty()) << "no credit drawn";
    EXPECT_LE(std::abs(ink.center().x() - view.width() / 2), 2) << ink.left() << ".." << ink.right();
    const int aboveBottom = view.height() - 1 - ink.bottom();
    EXPECT_GE(aboveBottom, OVMapAttributionView::kBottomMargin);
    EXPECT_LE(aboveBottom, OVMapAttributionView::kBottomMargin + 12);
    EXPECT_LE(ink.height(), 16) << "one line";
    EXPECT_EQ(image.pixelColor(ink.center().x(), 5), QColor(Qt::black));
}

TEST_F(AttributionView, AccentedNamesAreShownFromEitherEncoding)
{
    for (const QString &file : {QStringLiteral("attribution_utf8.txt"), QStringLiteral("attribution_latin1.txt")}) {
        SCOPED_TRACE(qPrintable(file));
        server.serveFile(kPath, fixture(file), "text/plain");
        OVMapAttributionView europe(nullptr, clock);
        europe.resize(600, 120);
        europe.setAttributionURL(server.baseUrl() + kPath);
        europe.setVisibleGeoRect(OVGeoRectMake(45.0, 0.0, 50.0, 10.0));
        ASSERT_TRUE(waitUntil([&] {
            QImage image(europe.size(), QImage::Format_ARGB32);
            europe.render(&image);
            return europe.attributionRegions().has_value();
        }));
        ASSERT_EQ(europe.regionsInGeoRect(europe.visibleGeoRect())->size(), 1);
        EXPECT_TRUE(OVMapAttributionView::creditsForRegions(*europe.regionsInGeoRect(europe.visibleGeoRect()), 600)
                        .lines.first()
                        .contains(QStringLiteral("é")));
    }
}

TEST_F(AttributionView, FadesOutWithNoRegionInViewAndBackInWhenOneReturns)
{
    view.setAttributionURL(server.baseUrl() + kPath);
    view.setVisibleGeoRect(plains);
    paintUntilSettled();
    ASSERT_EQ(view.fadeOpacity(), 1.0);

    view.setVisibleGeoRect(ocean);
    paint();
    EXPECT_TRUE(view.fadedOut());
    ASSERT_TRUE(waitUntil([&] { return view.fadeOpacity() == 0.0; }));
    EXPECT_TRUE(inkOf(paint()).isEmpty());

    view.setVisibleGeoRect(plains);
    paint();
    EXPECT_FALSE(view.fadedOut());
    ASSERT_TRUE(waitUntil([&] { return view.fadeOpacity() == 1.0; }));
    EXPECT_FALSE(inkOf(paint()).isEmpty());
}

TEST_F(AttributionView, ManyPaintsFetchTheFileOnceAndAnEmptyAddressNever)
{
    for (int i = 0; i < 20; ++i)
        paint();
    QCoreApplication::processEvents();
    EXPECT_EQ(server.requestCount(), 0) << "no address";

    view.setAttributionURL(server.baseUrl() + kPath);
    view.setVisibleGeoRect(plains);
    paintUntilSettled();
    for (int i = 0; i < 20; ++i)
        paint();
    EXPECT_EQ(server.requestCount(kPath), 1);
}

TEST_F(AttributionView, AFailedFetchShowsNothingAndIsTriedAgainAfterFiveMinutes)
{
    LogCapture log;
    server.serve(kPath, FixtureResponse::error(500));
    view.setAttributionURL(server.baseUrl() + kPath);
    view.setVisibleGeoRect(plains);
    // The view has handled the failed reply once it says so; the server's count alone comes
    // before that, and a retry time taken after the clock moves on below would be a later one.
    ASSERT_TRUE(waitUntil(
        [&] {
            paint();
            return log.contains(QStringLiteral("trying again in"));
        },
        20000));
    EXPECT_EQ(server.requestCount(kPath), 1);
    QImage image;
    for (int i = 0; i < 20; ++i) {
        image = paint();
        QCoreApplication::processEvents();
    }
    EXPECT_FALSE(view.attributionRegions().has_value());
    EXPECT_TRUE(inkOf(image).isEmpty());

    server.serveFile(kPath, fixture(QStringLiteral("attribution.txt")), "text/plain");
    clock.advance(OVMapAttributionView::kRetrySeconds - 1);
    for (int i = 0; i < 20; ++i) {
        paint();
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(server.requestCount(kPath), 1) << "too soon";

    clock.advance(1);
    image = paintUntilSettled();
    EXPECT_EQ(server.requestCount(kPath), 2);
    EXPECT_FALSE(inkOf(image).isEmpty());
}

} // namespace
