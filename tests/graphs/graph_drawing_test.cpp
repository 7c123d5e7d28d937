// The graph view's drawing: image cases with probes computed apart from the drawing code, the
// gap in a second series, the read-out texts and the no-data fills.
#include "core/OVDateFormattingTool.h"
#include "core/OVTextAttributes.h"
#include "graphs/NBCommon.h"
#include "graphs/OVGraphView.h"
#include "support/ImageCompare.h"
#include "support/draw_test_util.h"

#include <gtest/gtest.h>

#include <QFont>
#include <QTimeZone>

#include <cmath>
#include <vector>

namespace {

constexpr double U = OVGraphDataPoint::Unset;
const QDateTime kStart(QDate(2024, 5, 20), QTime(0, 0), QTimeZone::utc());
const QColor kForeground = QColor::fromRgbF(0.2f, 0.22f, 0.24f);

QVariantMap textAttributes()
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    font.setBold(true);
    return QVariantMap{{OVFontAttributeName, font}, {OVForegroundColorAttributeName, QColor(Qt::white)}};
}

ImageTolerance tolerance(const QImage &image)
{
    return ImageTolerance{2, image.width() * image.height() / 1000};
}

// A date-mode view over two days with one point per `stepHours`, values from `value(i)`.
void showSeries(OVGraphView &view, int width, int height, int count, int stepHours,
                const std::function<OVGraphDataPoint(int, const QDateTime &)> &make)
{
    view.resize(width, height);
    view.setTimeZone(QTimeZone::utc());
    view.setGraphXMode(OVGraphXMode::Dates);
    view.setMinDate(kStart, kStart.addSecs(qint64(count - 1) * stepHours * 3600));
    std::vector<OVGraphDataPoint> points;
    for (int i = 0; i < count; ++i)
        points.push_back(make(i, kStart.addSecs(qint64(i) * stepHours * 3600)));
    view.setDataPoints(points);
}

QImage render(OVGraphView &view)
{
    QImage image = transparentImage(view.width(), view.height());
    QPainter painter(&image);
    view.paint(painter);
    return image;
}

double temperatureAt(int i)
{
    return 12.0 + 10.0 * std::sin(i * 0.26);
}

// The temperature panel's look: the medium scale behind, the foreground over the sky above the
// curve, a white outline.
void temperatureLook(OVGraphView &view)
{
    view.setSmoothed(true);
    view.setInverted(true);
    view.setForegroundColor(kForeground);
    view.setBackgroundGradient(NBCommon::mediumTemperatureGradient());
    view.setBackgroundGradientRange(OVGraphRangeMake(NBCommon::temperatureGradientMinC(),
                                                     NBCommon::temperatureGradientMaxC()));
    view.setStroke(true);
    view.setStrokeWidth(2.0);
}

} // namespace

TEST(OVGraphViewDrawing, InvertedAreaShowsTheTemperatureColourOfEachRowBelowTheCurve)
{
    OVGraphView view;
    temperatureLook(view);
    showSeries(view, 400, 150, 48, 1, [](int i, const QDateTime &d) {
        return OVGraphDataPoint::dataPointWithX(0, temperatureAt(i), d);
    });
    const QImage image = render(view);
    EXPECT_TRUE(imageMatches(image, QStringLiteral("graphs/inverted_area_gradient"), tolerance(image)));

    for (int i : {6, 18, 30, 41}) {
        SCOPED_TRACE(i);
        const int x = int(std::lround(view.xForDate(kStart.addSecs(i * 3600))));
        const double t = temperatureAt(i);
        for (double below : {t - 3.0, t - 8.0}) {
            const int row = int(std::lround(view.yForValue(below)));
            if (row >= view.height())
                continue;
            EXPECT_TRUE(sameColor(pixelAt(image, x, row), NBCommon::mediumColorForTemperatureC(below), 3))
                << below << " " << pixelAt(image, x, row).name().toStdString();
        }
        const int above = int(std::lround(view.yForValue(t + 4.0)));
        EXPECT_TRUE(sameColor(pixelAt(image, x, above), kForeground, 2));
    }
}

TEST(OVGraphViewDrawing, BarsFillFromTheBottomAndNeedAForegroundForTheirOutline)
{
    OVGraphView view;
    view.setGraphYMode(OVGraphYMode::Bars);
    view.setBackgroundColor(QColor(40, 40, 60));
    view.setForegroundColor(QColor(90, 160, 255));
    view.setStroke(true);
    view.setStrokeColor(Qt::white);
    view.setPlot(true);
    const auto bar = [](int i, const QDateTime &d) {
        OVGraphDataPoint p;
        p.minDate = d;
        p.maxDate = d.addSecs(3 * 3600);
        p.y = p.displayValue = double((i * 7) % 11);
        return p;
    };
    showSeries(view, 300, 120, 16, 3, bar);
    view.setAutoScale(false);
    view.setYRange(OVGraphRangeMake(0, 12));
    const QImage image = render(view);
    EXPECT_TRUE(imageMatches(image, QStringLiteral("graphs/bars"), tolerance(image)));
    // Bar 3 (value 10) spans x 60..80: filled at its middle down to the bottom.
    EXPECT_TRUE(sameColor(pixelAt(image, 70, 115), QColor(90, 160, 255)));
    EXPECT_TRUE(sameColor(pixelAt(image, 70, int(view.yForValue(10)) - 4), QColor(40, 40, 60)));

    view.setForegroundColor(QColor());
    const QImage bare = render(view);
    // Only the background and the small markers: no white outline along bar 3's side.
    for (int y = int(view.yForValue(10)) + 4; y < 118; ++y)
        EXPECT_TRUE(sameColor(pixelAt(bare, 60, y), QColor(40, 40, 60))) << y;
}

TEST(OVGraphViewDrawing, BandBetweenLowAndHighAndItsInverse)
{
    for (bool inverted : {false, true}) {
        SCOPED_TRACE(inverted);
        OVGraphView view;
        view.setGraphYMode(OVGraphYMode::Band);
        view.setSmoothed(true);
        view.setInverted(inverted);
        view.setBackgroundColor(QColor(30, 30, 30));
        view.setForegroundColor(QColor(250, 180, 60));
        showSeries(view, 300, 120, 25, 2, [](int i, const QDateTime &d) {
            const double mid = 50 + 20 * std::sin(i * 0.4);
            return OVGraphDataPoint::dataPointWithXYMin(0, mid - 15, mid + 15, d);
        });
        view.setAutoScale(false);
        view.setYRange(OVGraphRangeMake(0, 100));
        const QImage image = render(view);
        EXPECT_TRUE(imageMatches(image, inverted ? QStringLiteral("graphs/band_inverted") : QStringLiteral("graphs/band"),
                                 tolerance(image)));
        const int x = int(std::lround(view.xForDate(kStart.addSecs(12 * 2 * 3600))));
        const double mid = 50 + 20 * std::sin(12 * 0.4);
        const QColor inBand = pixelAt(image, x, int(std::lround(view.yForValue(mid))));
        const QColor aboveBand = pixelAt(image, x, int(std::lround(view.yForValue(mid + 25))));
        const QColor belowBand = pixelAt(image, x, int(std::lround(view.yForValue(mid - 25))));
        const QColor fill(250, 180, 60);
        const QColor back(30, 30, 30);
        EXPECT_TRUE(sameColor(inBand, inverted ? back : fill));
        EXPECT_TRUE(sameColor(aboveBand, inverted ? fill : back));
        EXPECT_TRUE(sameColor(belowBand, inverted ? fill : back));
        EXPECT_EQ(view.inverted(), inverted);
    }
}

TEST(OVGraphViewDrawing, MarkersAverageReadOutsAndMessages)
{
    QImage image = transparentImage(300, 240);
    QPainter painter(&image);

    OVGraphView view;
    view.setBackgroundColor(QColor(20, 40, 60));
    view.setForegroundColor(QColor(60, 120, 160));
    view.setPlot(true);
    view.setShowAverageValue(true);
    view.setAverageValueColor(Qt::yellow);
    view.setShowMinMaxValues(true);
    view.setHoverTextAttributes(textAttributes());
    view.setHoverUnits(QStringLiteral("\u00B0"));
    const std::vector<double> ys{2, 8, 5, 9, 4, 7, 3};
    showSeries(view, 300, 120, int(ys.size()), 4,
               [&ys](int i, const QDateTime &d) { return OVGraphDataPoint::dataPointWithX(0, ys[size_t(i)], d); });
    view.setHoverOverX(view.xForDate(kStart.addSecs(12 * 3600)) + 3);
    view.paint(painter);

    OVGraphView empty;
    empty.resize(300, 120);
    empty.setInverted(true);
    empty.setForegroundColor(QColor(80, 30, 30));
    empty.setErrorTextAttributes(textAttributes());
    empty.setNoDataString(QStringLiteral("No data"));
    painter.translate(0, 120);
    empty.paint(painter);
    painter.end();
    EXPECT_TRUE(imageMatches(image, QStringLiteral("graphs/markers_and_messages"), tolerance(image)));

    // The average of the points strictly inside the range (the first sits at x = 0): its row.
    const double mean = (8 + 5 + 9 + 4 + 7 + 3) / 6.0;
    const int row = int(std::lround(view.yForValue(mean)));
    EXPECT_TRUE(sameColor(pixelAt(image, 5, row), QColor(Qt::yellow)));
    EXPECT_FALSE(sameColor(pixelAt(image, 5, row - 2), QColor(Qt::yellow)));
    // No points and inverted: the foreground fills the whole view, corners included.
    EXPECT_TRUE(sameColor(pixelAt(image, 0, 120), QColor(80, 30, 30)));
    EXPECT_TRUE(sameColor(pixelAt(image, 299, 239), QColor(80, 30, 30)));
}

TEST(OVGraphViewDrawing, NoPointsWithInvertedFillsEverything)
{
    OVGraphView view;
    view.resize(50, 40);
    view.setInverted(true);
    view.setForegroundColor(QColor(10, 200, 10));
    const QImage image = render(view);
    EXPECT_EQ(differingPixels(image, [] {
        QImage full = transparentImage(50, 40);
        full.fill(QColor(10, 200, 10));
        return full;
    }()), 0);
}

TEST(OVGraphViewDrawing, GapInTheSecondSeriesDrawsNothingThere)
{
    OVGraphView view;
    view.setSmoothed(true);
    view.setGraphSecondaryYMode(OVGraphSecondaryYMode::Line);
    view.setSecondaryYColor(Qt::cyan);
    view.setStrokeWidth(2.0);
    showSeries(view, 300, 100, 31, 1, [](int i, const QDateTime &d) {
        OVGraphDataPoint p = OVGraphDataPoint::dataPointWithX(0, 20 + i % 5, d);
        p.secondaryY = (i >= 10 && i <= 20) ? U : 10 + i % 3;
        return p;
    });
    const QImage image = render(view);
    const int from = int(std::ceil(view.xForDate(kStart.addSecs(10 * 3600))));
    const int to = int(std::floor(view.xForDate(kStart.addSecs(20 * 3600))));
    for (int x = from; x <= to; ++x)
        for (int y = 0; y < image.height(); ++y)
            ASSERT_EQ(pixelAt(image, x, y).alpha(), 0) << x << "," << y;
    // The runs on either side are drawn.
    EXPECT_GT(inkBounds(image).width(), 200);
}

TEST(OVGraphViewReadOuts, TextsByModeAndMagnitude)
{
    OVGraphView view;
    view.setTimeZone(QTimeZone::utc());
    view.setHoverUnits(QStringLiteral("\u00B0"));
    OVDateFormattingTool &tool = OVDateFormattingTool::sharedFormattingTool();
    const QDateTime when = kStart.addSecs(3600 * 15);
    const QString combined = tool.combinedStringFromDate(when, QTimeZone::utc());

    OVGraphDataPoint band = OVGraphDataPoint::dataPointWithXYMin(0, 3, 17, when);
    OVGraphDataPoint bar;
    bar.minDate = when;
    bar.maxDate = when.addSecs(3600);
    bar.displayValue = 0.25;
    struct Case
    {
        OVGraphYMode mode;
        QString units;
        OVGraphDataPoint point;
        QString expected;
    };
    const std::vector<Case> cases{
        {OVGraphYMode::Line, "\u00B0", OVGraphDataPoint::dataPointWithX(0, 0.456, when), "0.46\u00B0 at " + combined},
        {OVGraphYMode::Line, "\u00B0", OVGraphDataPoint::dataPointWithX(0, 12.34, when), "12.3\u00B0 at " + combined},
        {OVGraphYMode::Line, "\u00B0", OVGraphDataPoint::dataPointWithX(0, -1.0, when), "-1.0\u00B0 at " + combined},
        {OVGraphYMode::Band, "%", band, "3% \u279C 17% on " + tool.dateStringFromDate(when, QTimeZone::utc())},
        {OVGraphYMode::Bars, "in", bar, "0.25in from " + tool.combinedStringFromStartDate(bar.minDate, bar.maxDate, QTimeZone::utc())},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.expected.toStdString());
        view.setGraphYMode(c.mode);
        view.setHoverUnits(c.units);
        EXPECT_EQ(view.hoverText(c.point), c.expected);
    }

    view.resize(100, 50);
    view.setGraphYMode(OVGraphYMode::Line);
    view.setHoverUnits(QStringLiteral("\u00B0"));
    view.setXRange(OVGraphRangeMake(0, 1));
    view.setGraphXMode(OVGraphXMode::Values);
    view.setDataPoints({OVGraphDataPoint::dataPointWithX(0, -0.5, QDateTime()),
                        OVGraphDataPoint::dataPointWithX(1, 23, QDateTime()),
                        OVGraphDataPoint::dataPointWithX(5, 99, QDateTime())});
    view.yForX(0);
    EXPECT_EQ(view.minMaxText(), QStringLiteral("Range: -0.50\u00B0 \u279C 23\u00B0"));
}

TEST(OVGraphViewDrawing, BackgroundGradientCarriesItsEndColourBeyondItsRange)
{
    struct Case
    {
        const char *name;
        OVGraphRange gradientRange;
        double probeValue;
        QColor expected;
    };
    const QColor low(200, 0, 0);
    const QColor high(0, 0, 200);
    const std::vector<Case> cases{
        {"range below the data: the top takes the end colour", {0, 50}, 80, high},
        {"range above the bottom: the bottom takes the start colour", {40, 100}, 15, low},
        {"inside the range: interpolated", {0, 100}, 50, QColor(100, 0, 100)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        OVGraphView view;
        view.resize(40, 100);
        view.setAutoScale(false);
        view.setYRange(OVGraphRangeMake(0, 100));
        view.setBackgroundGradient(OVGradient(low, high));
        view.setBackgroundGradientRange(c.gradientRange);
        const QImage image = render(view);
        const QColor actual = pixelAt(image, 20, int(view.yForValue(c.probeValue)));
        EXPECT_TRUE(sameColor(actual, c.expected, 3)) << actual.name().toStdString();
    }
}

// A line whose data begins inside the window starts at its first point: nothing is stroked along
// the floor or up from it to the first value, smoothed or straight.
TEST(OVGraphViewDrawing, LineStartingInsideTheWindowDrawsNoPostUpToItsFirstPoint)
{
    for (bool smoothed : {true, false}) {
        SCOPED_TRACE(smoothed);
        OVGraphView view;
        view.setExtendTheData(false);
        view.setSmoothed(smoothed);
        view.setStroke(true);
        view.setStrokeWidth(2.0);
        view.setStrokeColor(Qt::white);
        view.resize(400, 150);
        view.setTimeZone(QTimeZone::utc());
        view.setGraphXMode(OVGraphXMode::Dates);
        view.setAutoScale(false);
        view.setMinDate(kStart, kStart.addSecs(47 * 3600));
        view.setYRange(OVGraphRangeMake(0, 100));
        std::vector<OVGraphDataPoint> points;
        for (int hour = 24; hour < 48; ++hour)
            points.push_back(OVGraphDataPoint::dataPointWithX(0, 60.0 + 5.0 * std::sin(hour * 0.5),
                                                             kStart.addSecs(hour * 3600)));
        view.setDataPoints(points);
        const QImage image = render(view);

        const int firstX = int(std::lround(view.xForDate(kStart.addSecs(24 * 3600))));
        const int firstY = int(std::lround(view.yForValue(points.front().y)));
        // The line itself is there at its first point...
        EXPECT_GT(inkBounds(image.copy(firstX - 3, firstY - 3, 8, 7)).width(), 0);
        // ...but below it, down to the floor and along it to the left, nothing is drawn.
        for (int x = 0; x <= firstX + 1; ++x)
            for (int y = firstY + 4; y < image.height(); ++y)
                ASSERT_EQ(pixelAt(image, x, y).alpha(), 0) << x << "," << y;
    }
}
