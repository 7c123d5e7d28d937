// The legend: value labels and intervals, the date axis in the view's zone (daylight-saving
// changes, a zone other than the system's), the present-moment line and image cases.
#include "graphs/OVGraphLegendView.h"
#include "support/FakeClock.h"
#include "support/ImageCompare.h"
#include "support/draw_test_util.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTimeZone>

#include <cmath>
#include <numeric>
#include <set>
#include <vector>

namespace {

QDateTime midnight(int year, int month, int day, const char *zone)
{
    return QDateTime(QDate(year, month, day), QTime(0, 0), QTimeZone(zone)).toUTC();
}

// A legend whose data area is `dataHeight` high under its date band.
void sizeForDataHeight(OVGraphLegendView &legend, int width, int dataHeight)
{
    legend.setMinXLegendHeight(20); // a whole number, above the measured band height
    legend.resize(width, 20 + dataHeight);
}

QImage render(OVGraphLegendView &legend)
{
    QImage image = transparentImage(legend.width(), legend.height());
    QPainter painter(&image);
    legend.paint(painter);
    return image;
}

bool isDayNumber(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^\\d{1,2}/\\d{1,2}$"));
    return pattern.match(text).hasMatch();
}

void expectNoOverlaps(const OVGraphLegendContent &content)
{
    for (size_t i = 0; i < content.rects.size(); ++i)
        for (size_t j = i + 1; j < content.rects.size(); ++j)
            EXPECT_FALSE(content.rects[i].intersects(content.rects[j])) << i << " " << j;
}

} // namespace

TEST(OVGraphLegendView, ValueLabelsOfAHundredInTwoHundredPixels)
{
    OVGraphLegendView legend;
    legend.setYRange(OVGraphRangeMake(0, 100));
    sizeForDataHeight(legend, 300, 200);
    ASSERT_DOUBLE_EQ(legend.viewableGraphRect().height(), 200.0);
    const double h = legend.yTextSize().height();
    // k = whole part of 200 / h, n = whole part of 0.78 k: 10 for labels 12 to 14 high.
    ASSERT_GE(h, 12.0);
    ASSERT_LE(h, 14.0);
    EXPECT_EQ(legend.yInterval(), 10.0);

    const std::vector<OVGraphLegendValueLabel> labels = legend.yLegendLabels();
    ASSERT_EQ(labels.size(), 11u);
    EXPECT_EQ(labels.front().text, QStringLiteral("0"));
    EXPECT_EQ(labels.back().text, QStringLiteral("100"));
    // The ends lie inside the value band: the lowest above the bottom border line, the highest
    // below the date axis. Their neighbours (10 and 90) would touch them and are not shown.
    EXPECT_DOUBLE_EQ(labels.front().rect.bottom(), legend.height() - legend.borderWidth());
    EXPECT_DOUBLE_EQ(labels.back().rect.y(), legend.yLegendRect().y());
    std::vector<QString> shown;
    for (const OVGraphLegendValueLabel &label : labels)
        if (label.shown)
            shown.push_back(label.text);
    EXPECT_EQ(shown, (std::vector<QString>{"0", "20", "30", "40", "50", "60", "70", "80", "100"}));
    EXPECT_DOUBLE_EQ(labels[5].rect.y(), legend.yForValue(50) - h / 2);
    EXPECT_DOUBLE_EQ(labels[5].gridY, std::round(legend.yForValue(50)));
}

TEST(OVGraphLegendView, LabelsStartAtTheIntervalMultipleTruncatedTowardZero)
{
    OVGraphLegendView legend;
    legend.setUnits(QStringLiteral("\u00B0"));
    legend.setYRange(OVGraphRangeMake(-7.3, 12.9));
    legend.setForceYInterval(5);
    sizeForDataHeight(legend, 300, 150);
    std::vector<QString> texts;
    for (const OVGraphLegendValueLabel &label : legend.yLegendLabels())
        texts.push_back(label.text);
    EXPECT_EQ(texts, (std::vector<QString>{"-5\u00B0", "0\u00B0", "5\u00B0", "10\u00B0"}));

    legend.setYRange(OVGraphNoDataRange);
    EXPECT_TRUE(legend.yLegendLabels().empty());

    // A data area lower than one label: no label fits (n = 0, an infinite interval).
    legend.setForceYInterval(-1);
    legend.setYRange(OVGraphRangeMake(0, 10));
    sizeForDataHeight(legend, 300, 5);
    EXPECT_TRUE(std::isinf(legend.yInterval()));
    EXPECT_TRUE(legend.yLegendLabels().empty());
    render(legend);
}

TEST(OVGraphLegendView, IntervalsSnapUpToOneTwoFiveSteps)
{
    struct Case
    {
        double raw;
        double expected;
    };
    const std::vector<Case> cases{{0.005, 0.01}, {0.02, 0.02}, {0.0200001, 0.05}, {0.3, 0.5},
                                  {7, 10},       {100, 100},   {150, 150},        {0, 0},
                                  {-1, -1}};
    for (const Case &c : cases)
        EXPECT_EQ(OVGraphLegendView::snappedInterval(c.raw), c.expected) << c.raw;
    EXPECT_TRUE(std::isnan(OVGraphLegendView::snappedInterval(std::nan(""))));
}

TEST(OVGraphLegendView, CustomLabelsOutsideTheRangeAreSkipped)
{
    OVGraphLegendView legend;
    legend.setYRange(OVGraphRangeMake(0, 360));
    legend.setCustomYLegend(OVCustomYLegend{{-90.f, "W-"}, {0.f, "N"}, {180.f, "S"}, {400.f, "far"}});
    sizeForDataHeight(legend, 300, 150);
    std::vector<QString> texts;
    for (const OVGraphLegendValueLabel &label : legend.yLegendLabels())
        texts.push_back(label.text);
    EXPECT_EQ(texts, (std::vector<QString>{"N", "S"}));
}

TEST(OVGraphLegendDateAxis, ThreeDaysLabelMidnightsAndWholeHourLevels)
{
    // Over the spring change the hour levels step 3600 s from the first day start, so the
    // 12-hour level meets the 01:00 after the short day and is left out whole. In May the hours
    // fit.
    struct Case
    {
        int month;
        int day;
        bool hoursExpected;
    };
    for (const Case &c : {Case{3, 9, false}, Case{5, 14, true}}) {
        SCOPED_TRACE(c.month);
        const QDateTime start = midnight(2024, c.month, c.day, "America/New_York");
        FakeClock clock(start.addSecs(30 * 3600));
        OVGraphLegendView legend;
        legend.setClock(&clock);
        legend.resize(1200, 155);
        legend.setGraphXMode(OVGraphXMode::Dates);
        legend.setMinDate(start);
        legend.setMaxDate(midnight(2024, c.month, c.day + 3, "America/New_York"));
        const auto content = legend.xLegendContent();
        ASSERT_TRUE(content.has_value());
        expectNoOverlaps(*content);

        std::set<QDateTime> midnights;
        for (int d = c.day; d <= c.day + 3; ++d)
            midnights.insert(midnight(2024, c.month, d, "America/New_York"));
        std::set<qint64> hourOffsets;
        int dayLabels = 0;
        for (const QDateTime &date : content->dates) {
            if (midnights.count(date)) {
                ++dayLabels;
                continue;
            }
            const qint64 seconds = start.secsTo(date);
            ASSERT_EQ(seconds % 3600, 0) << date.toString(Qt::ISODate).toStdString();
            hourOffsets.insert(seconds / 3600);
        }
        EXPECT_EQ(dayLabels, 4);
        EXPECT_EQ(content->dates.size(), size_t(dayLabels) + hourOffsets.size()); // no date twice
        // None, the 12-hour steps, those and the 6-hour steps, ...: whole levels only.
        const qint64 lastHour = start.secsTo(legend.maxDate()) / 3600;
        bool matched = hourOffsets.empty();
        for (int finest : {12, 6, 3, 1}) {
            std::set<qint64> expected;
            for (qint64 h = 0; h <= lastHour; h += finest)
                if (!midnights.count(start.addSecs(h * 3600)))
                    expected.insert(h);
            matched = matched || expected == hourOffsets;
        }
        EXPECT_TRUE(matched) << hourOffsets.size();
        EXPECT_EQ(!hourOffsets.empty(), c.hoursExpected);
    }
}

TEST(OVGraphLegendDateAxis, AnotherZoneLabelsItsOwnMidnightsWithItsOwnDayNumbers)
{
    OVGraphLegendView legend;
    legend.resize(600, 155);
    legend.setGraphXMode(OVGraphXMode::Dates);
    legend.setTimeZone(QTimeZone("Asia/Tokyo"));
    legend.setMinDate(midnight(2024, 5, 1, "Asia/Tokyo"));
    legend.setMaxDate(midnight(2024, 6, 1, "Asia/Tokyo"));
    const auto content = legend.xLegendContent();
    ASSERT_TRUE(content.has_value());
    expectNoOverlaps(*content);
    int checked = 0;
    for (size_t i = 0; i < content->dates.size(); ++i) {
        const QString text = content->strings[i].string();
        if (!isDayNumber(text))
            continue;
        const QDateTime tokyo = content->dates[i].toTimeZone(QTimeZone("Asia/Tokyo"));
        EXPECT_EQ(tokyo.time(), QTime(0, 0)) << text.toStdString();
        EXPECT_EQ(text, QStringLiteral("%1/%2").arg(tokyo.date().month()).arg(tokyo.date().day()));
        ++checked;
    }
    EXPECT_GE(checked, 10);
}

TEST(OVGraphLegendDateAxis, WeeklyLabelsStayOnMidnightsAcrossTwoChanges)
{
    OVGraphLegendView legend;
    legend.resize(2000, 155);
    legend.setGraphXMode(OVGraphXMode::Dates);
    const QTimeZone sydney("Australia/Sydney");
    legend.setTimeZone(sydney);
    legend.setMinDate(midnight(2024, 3, 30, "Australia/Sydney"));
    legend.setMaxDate(midnight(2024, 10, 10, "Australia/Sydney"));
    const auto content = legend.xLegendContent();
    ASSERT_TRUE(content.has_value());
    int checked = 0;
    for (size_t i = 0; i < content->dates.size(); ++i) {
        const QString text = content->strings[i].string();
        if (!isDayNumber(text))
            continue;
        EXPECT_EQ(content->dates[i].toTimeZone(sydney).time(), QTime(0, 0)) << text.toStdString();
        ++checked;
    }
    EXPECT_GE(checked, 20);
}

TEST(OVGraphLegendDateAxis, NothingOutsideDateModeOrWithoutAWindow)
{
    OVGraphLegendView legend;
    legend.resize(600, 155);
    legend.setMinDate(midnight(2024, 5, 1, "UTC"));
    legend.setMaxDate(midnight(2024, 5, 2, "UTC"));
    EXPECT_FALSE(legend.xLegendContent().has_value());
    legend.setGraphXMode(OVGraphXMode::Dates);
    legend.setMaxDate(QDateTime());
    EXPECT_FALSE(legend.xLegendContent().has_value());
}

namespace {

// A legend as the panels dress it: shaded bands, a value range with units, a window in a zone.
void dress(OVGraphLegendView &legend, const QDateTime &start, int days, const char *zone)
{
    legend.resize(600, 155);
    legend.setGraphXMode(OVGraphXMode::Dates);
    legend.setTimeZone(QTimeZone(zone));
    legend.setXGradient(OVGradient(QColor(70, 80, 90), QColor(40, 45, 50)));
    legend.setYGradient(OVGradient(QColor(40, 45, 50), QColor(70, 80, 90)));
    legend.setUnits(QStringLiteral("\u00B0"));
    legend.setYRange(OVGraphRangeMake(-5, 25));
    legend.setMinDate(start);
    legend.setMaxDate(start.addDays(days));
}

// The instant whose x on the legend is `x`.
QDateTime dateAtX(const OVGraphLegendView &legend, double x)
{
    const double band = legend.yLegendRect().width();
    const double fraction = (x - band) / (legend.width() - band);
    return legend.minDate().addMSecs(qint64(fraction * double(legend.minDate().msecsTo(legend.maxDate()))));
}

int inkInColumn(const QImage &image, int x, int fromRow)
{
    int count = 0;
    for (int y = fromRow; y < image.height(); ++y)
        count += pixelAt(image, x, y).alpha() > 0;
    return count;
}

} // namespace

TEST(OVGraphLegendImages, OneDayInDenverWithThePresentLine)
{
    const QDateTime start = midnight(2024, 7, 4, "America/Denver");
    FakeClock clock(start.addSecs(9 * 3600 + 1800));
    OVGraphLegendView legend;
    legend.setClock(&clock);
    dress(legend, start, 1, "America/Denver");
    const QImage image = render(legend);
    EXPECT_TRUE(imageMatches(image, QStringLiteral("graphs/legend_1day_denver"), ImageTolerance{2, 93}));

    // The dashed line: about half of its column below the date band is inked, a column beside
    // it only where horizontal grid lines cross.
    const int nowX = int(std::lround(legend.xForDate(clock.now())));
    const int band = int(legend.xLegendRect().bottom()) + 1;
    EXPECT_GT(inkInColumn(image, nowX, band), inkInColumn(image, nowX + 6, band) + 40);
}

TEST(OVGraphLegendImages, PresentLineOnlyWithinTwoPixelsOfTheDataArea)
{
    const QDateTime start = midnight(2024, 7, 4, "America/Denver");
    FakeClock clock;
    OVGraphLegendView legend;
    legend.setClock(&clock);
    dress(legend, start, 1, "America/Denver");
    legend.setYBorderColor(QColor());
    const double left = legend.yLegendRect().right();
    // Day names say "Today" or "Tomorrow" by the clock: every time here lies on the day before.
    clock.set(start.addSecs(-6 * 3600));
    const QImage without = render(legend);
    clock.set(dateAtX(legend, left - 1.5));
    EXPECT_GT(differingPixels(render(legend), without), 30);
    clock.set(dateAtX(legend, left - 3.0));
    EXPECT_EQ(differingPixels(render(legend), without), 0);
}

TEST(OVGraphLegendImages, TenDaysAndAYear)
{
    struct Case
    {
        const char *name;
        int days;
    };
    for (const Case &c : {Case{"graphs/legend_10days", 10}, Case{"graphs/legend_366days", 366}}) {
        SCOPED_TRACE(c.name);
        const QDateTime start = midnight(2024, 1, 1, "America/New_York");
        FakeClock clock(start.addDays(c.days / 2).addSecs(7 * 3600));
        OVGraphLegendView legend;
        legend.setClock(&clock);
        dress(legend, start, c.days, "America/New_York");
        const QImage image = render(legend);
        EXPECT_TRUE(imageMatches(image, QString::fromLatin1(c.name), ImageTolerance{2, 93}));

        // Grid lines stand on New York's midnights (10 days) or first days of months (a year),
        // taken from the zone directly; a row between value grid lines shows them.
        const QRectF area = legend.viewableGraphRect();
        const int row = int(std::lround(legend.yForValue(12.5)));
        int lines = 0;
        for (int step = 1; step < (c.days > 31 ? 12 : c.days); ++step) {
            const QDate day = c.days > 31 ? QDate(2024, 1 + step, 1) : QDate(2024, 1, 1 + step);
            const QDateTime local = QDateTime(day, QTime(0, 0), QTimeZone("America/New_York"));
            const int x = int(std::lround(legend.xForDate(local)));
            if (x < area.left() || x > area.right())
                continue;
            EXPECT_GT(pixelAt(image, x, row).alpha(), 0) << day.toString(Qt::ISODate).toStdString();
            EXPECT_EQ(pixelAt(image, x - 3, row).alpha(), 0) << day.toString(Qt::ISODate).toStdString();
            ++lines;
        }
        EXPECT_GE(lines, 9);
    }
}
