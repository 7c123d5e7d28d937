// The forecast strip on its own over fake sources and a fixed clock: which source's periods it
// shows, how it trims a list, its width, the temperature texts, a strip that starts with a
// night, the growing icon width, scrolling by wheel and drag, and the tooltips.
#include "ViewTestSupport.h"
#include "app/NBForecastView.h"
#include "core/NBPrefController.h"
#include "core/NBRegisteredDefaults.h"
#include "core/OVConstants.h"
#include "support/TestHelpers.h"
#include "weather/OVForecastPeriod.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHelpEvent>
#include <QPainter>
#include <QStyleHints>
#include <QTest>
#include <QToolTip>
#include <QWheelEvent>

#include <cmath>
#include <limits>

namespace {

const QDateTime kNow(QDate(2013, 11, 12), QTime(20, 30), Qt::UTC);

/// A twelve-hour period starting `hours` after now (negative: in the past).
QVariantMap period(double hours, bool isDay, const QString &tag = QStringLiteral("p"))
{
    const QDateTime start = kNow.addSecs(qint64(hours * 3600));
    return {
        {OVForecastKey::startDate, start},
        {OVForecastKey::endDate, start.addSecs(12 * 3600)},
        {OVForecastKey::isDay, isDay},
        {OVForecastKey::temp, 50.0},
        {OVForecastKey::image, isDay ? QStringLiteral("sct") : QStringLiteral("nsct")},
        {OVForecastKey::shortDesc, QStringLiteral("Partly Cloudy")},
        {OVForecastKey::fullDesc, tag},
    };
}

/// n alternating periods from a day period 1 h ahead (or from a night when `nightFirst`).
QVariantList periods(int n, const QString &tag = QStringLiteral("p"), bool nightFirst = false)
{
    QVariantList list;
    for (int i = 0; i < n; ++i)
        list.append(period(1 + 12.0 * i, (i % 2 == 0) != nightFirst, QStringLiteral("%1 %2").arg(tag).arg(i)));
    return list;
}

class ForecastStripTest : public testing::Test
{
protected:
    NBForecastView &make(int width, std::optional<QVariantList> ndfd, QVariantList brisant = {})
    {
        NBForecastView::Sources sources;
        sources.ndfd = [this](const std::shared_ptr<OVWeatherLocation> &) { return ndfdPeriods; };
        sources.brisant = [this](const OVLocation &) {
            QList<QVariantMap> list;
            for (const QVariant &p : std::as_const(brisantPeriods))
                list.append(p.toMap());
            return list;
        };
        ndfdPeriods = std::move(ndfd);
        brisantPeriods = std::move(brisant);
        view = std::make_unique<NBForecastView>(std::move(sources), [] { return kNow; });
        view->resize(width, 196);
        view->setCurrentLocation(denver);
        return *view;
    }
    /// Paints the strip as the window system would, which rebuilds the tooltips.
    void paintOnScreen()
    {
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        view->repaint();
    }

    ViewTestData data;
    std::shared_ptr<OVWeatherLocation> denver = placeFrom(denverDictionary());
    std::optional<QVariantList> ndfdPeriods;
    QVariantList brisantPeriods;
    std::unique_ptr<NBForecastView> view;
};

TEST_F(ForecastStripTest, ChoosesNdfdUnlessBrisantHasMoreThanSixMore)
{
    struct Case
    {
        std::optional<int> ndfd;
        int brisant;
        const char *expected;
    };
    const Case cases[] = {
        {10, 3, "ndfd"}, {10, 0, "ndfd"}, {10, 16, "ndfd"}, {10, 17, "brisant"}, {std::nullopt, 4, "brisant"},
        {0, 4, "brisant"}, {0, 0, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "ndfd " << c.ndfd.value_or(-1) << " brisant " << c.brisant);
        make(400, c.ndfd ? std::optional(periods(*c.ndfd, "ndfd")) : std::nullopt, periods(c.brisant, "brisant"));
        const QVariantList shown = view->forecastArrayForLocation(denver);
        const QString first = shown.isEmpty() ? QString() : shown.first().toMap().value(OVForecastKey::fullDesc).toString();
        EXPECT_EQ(first.section(' ', 0, 0), QLatin1String(c.expected));
        EXPECT_EQ(shown.size(), QString(c.expected) == "ndfd" ? *c.ndfd : QString(c.expected).isEmpty() ? 0 : c.brisant);
    }
}

TEST_F(ForecastStripTest, TrimsEndedAndThinTrailingPeriods)
{
    make(400, std::nullopt);
    const auto tags = [](const QVariantList &list) {
        QStringList result;
        for (const QVariant &p : list)
            result << p.toMap().value(OVForecastKey::fullDesc).toString();
        return result;
    };
    struct Case
    {
        const char *name;
        std::function<void(QVariantList &)> change;
        QStringList expected;
    };
    const Case cases[] = {
        {"one-character short text last", [](QVariantList &l) { auto p = l[3].toMap(); p[OVForecastKey::shortDesc] = "x"; l[3] = p; },
         {"p 0", "p 1", "p 2"}},
        {"trailing temperature-only run",
         [](QVariantList &l) {
             for (int i : {2, 3}) {
                 auto p = l[i].toMap();
                 p.remove(OVForecastKey::image);
                 p.remove(OVForecastKey::shortDesc);
                 l[i] = p;
             }
         },
         {"p 0", "p 1"}},
        {"an ended period", [](QVariantList &l) { l.prepend(period(-13, true, "ended")); }, {"p 0", "p 1", "p 2", "p 3"}},
        {"missing short text kept", [](QVariantList &l) { auto p = l[3].toMap(); p.remove(OVForecastKey::shortDesc); l[3] = p; },
         {"p 0", "p 1", "p 2", "p 3"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QVariantList list = periods(4);
        c.change(list);
        EXPECT_EQ(tags(view->massageForecastArray(list)), c.expected);
    }
}

TEST_F(ForecastStripTest, WidthIsTheRightEdgeOfTheLastPeriod)
{
    make(400, std::nullopt);
    struct Case
    {
        int count;
        bool nightFirst;
        double width;
    };
    for (const Case &c : {Case{1, false, 200}, Case{2, false, 254}, Case{3, false, 400}, Case{1, true, 200},
                          Case{2, true, 346}, Case{0, false, 0}}) {
        SCOPED_TRACE(testing::Message() << c.count << (c.nightFirst ? " from a night" : " from a day"));
        EXPECT_DOUBLE_EQ(view->widthForForecastArray(periods(c.count, "p", c.nightFirst)), c.width);
    }
}

TEST_F(ForecastStripTest, TemperatureTexts)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::pair<QVariant, QString> cases[] = {
        {72.4, "72°"},      {-0.3, "0°"},         {-0.5, "0°"},        {-0.6, "-1°"},     {QVariant(), "n/a"},
        {nan, "n/a"},       {inf, "n/a"},         {OVNoValue, "n/a"},  {"warm", "n/a"},   {"41", "41°"},
    };
    ViewTestData settings;
    for (const auto &[value, text] : cases) {
        SCOPED_TRACE(value.toString().toStdString());
        QVariantMap p;
        if (value.isValid())
            p[OVForecastKey::temp] = value;
        EXPECT_EQ(NBForecastView::temperatureText(p), text);
    }
    NBPrefController::setSetting(1, NBSettingKey::temperatureUnits);
    EXPECT_EQ(NBForecastView::temperatureText({{OVForecastKey::temp, 212.0}}), "100°");
}

TEST_F(ForecastStripTest, ANightFirstHasNoHeadingAndItsDayStartsAnIconWidthEarlier)
{
    make(700, periods(3, "p", true));
    paintOnScreen();
    const auto &tips = view->tooltips();
    ASSERT_EQ(tips.size(), 3);
    const double left = view->drawingRect().x();
    EXPECT_EQ(tips[0].first.x(), left);
    EXPECT_EQ(tips[1].first.x(), left + view->dayWidth() - view->imageDimension());
    EXPECT_EQ(tips[2].first.x(), left + view->dayWidth());
    // The night sits in the lower half, its day in the upper.
    EXPECT_GT(tips[0].first.y(), tips[1].first.y());

    // No weekday or date over the night: the top band stays the panel's colour there.
    const QImage shot = view->grab().toImage();
    shot.save(testOutputPath("strip_night_first.png"));
    const QColor panel = shot.pixelColor(100, 60); // empty panel between the rows
    int lettered = 0;
    for (int x = 8; x < int(left + view->dayWidth() - view->imageDimension()); ++x)
        for (int y = 4; y < 40; ++y)
            lettered += shot.pixelColor(x, y) != panel ? 1 : 0;
    EXPECT_EQ(lettered, 0);
    // The day's heading is drawn.
    int dayLettered = 0;
    for (int x = int(tips[1].first.x()) + 5; x < int(tips[1].first.x()) + 80; ++x)
        for (int y = 4; y < 40; ++y)
            dayLettered += shot.pixelColor(x, y) != panel ? 1 : 0;
    EXPECT_GT(dayLettered, 20);
}

TEST_F(ForecastStripTest, TheIconWidthGrowsToTheWidestTemperatureAndNeverShrinks)
{
    QVariantList list = periods(2);
    auto wide = list[1].toMap();
    wide[OVForecastKey::temp] = 1.0e12;
    list[1] = wide;
    make(900, list);
    EXPECT_EQ(view->imageDimension(), 54.0);
    QImage image(900, 196, QImage::Format_ARGB32_Premultiplied);
    view->render(&image);
    const double grown = view->imageDimension();
    EXPECT_GT(grown, 54.0);
    EXPECT_DOUBLE_EQ(view->widthForForecastArray(list), 200.0 + grown);

    ndfdPeriods = periods(2);
    view->render(&image);
    EXPECT_EQ(view->imageDimension(), grown);
}

TEST_F(ForecastStripTest, WheelScrollsBetweenBothEnds)
{
    make(400, periods(10));
    view->refreshDisplay();
    const double width = view->forecastWidth();
    ASSERT_GT(width, 400.0);
    const auto wheel = [&](int angle) {
        QWheelEvent event(QPointF(100, 100), view->mapToGlobal(QPointF(100, 100)), QPoint(), QPoint(0, angle),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view.get(), &event);
    };
    wheel(120); // away from the user: earlier periods, already at the start
    EXPECT_EQ(view->offset(), 0.0);
    wheel(-120);
    EXPECT_EQ(view->offset(), -3.0 * QApplication::styleHints()->wheelScrollLines());
    for (int i = 0; i < 200; ++i)
        wheel(-120);
    EXPECT_EQ(view->offset(), 400.0 - width);
    wheel(120);
    EXPECT_GT(view->offset(), 400.0 - width);

    make(400, periods(2));
    view->refreshDisplay();
    for (int angle : {-120, 120, -1200}) {
        wheel(angle);
        EXPECT_EQ(view->offset(), 0.0);
    }
}

TEST_F(ForecastStripTest, DragMovesByTheMouseDistanceOverTheScale)
{
    for (const auto &[scale, moved] : {std::pair{1.0, -100.0}, std::pair{2.0, -50.0}}) {
        SCOPED_TRACE(scale);
        make(400, periods(10));
        view->setResolutionScaleFactor(scale);
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        QTest::mousePress(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(300, 100));
        EXPECT_EQ(view->cursor().shape(), Qt::ClosedHandCursor);
        QTest::mouseMove(view.get(), QPoint(250, 100));
        QTest::mouseMove(view.get(), QPoint(200, 100));
        EXPECT_TRUE(view->inDrag());
        QTest::mouseRelease(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(200, 100));
        EXPECT_EQ(view->offset(), moved);
        EXPECT_FALSE(view->inDrag());
        EXPECT_EQ(view->cursor().shape(), Qt::OpenHandCursor);
    }
}

TEST_F(ForecastStripTest, TooltipsComeFromTheOnScreenPaintOnly)
{
    make(600, periods(4));
    QImage image(600, 196, QImage::Format_ARGB32_Premultiplied);
    view->render(&image);
    EXPECT_TRUE(view->tooltips().isEmpty());

    paintOnScreen();
    ASSERT_EQ(view->tooltips().size(), 4);
    const QRectF first = view->tooltips().first().first;
    const QPoint inside = first.center().toPoint();
    QHelpEvent help(QEvent::ToolTip, inside, view->mapToGlobal(inside));
    QApplication::sendEvent(view.get(), &help);
    EXPECT_EQ(QToolTip::text(), "p 0");

    view->render(&image);
    EXPECT_EQ(view->tooltips().size(), 4);
}

TEST_F(ForecastStripTest, WithoutPeriodsTheStripSaysSoAndDoesNotScroll)
{
    make(400, QVariantList());
    view->refreshDisplay();
    EXPECT_EQ(view->forecastWidth(), 0.0);
    QImage image(400, 196, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    view->render(&image);
    EXPECT_EQ(view->offset(), 0.0);
}

} // namespace

// A strip wider than the view never shows a period cut off mid-word at an edge where it goes on:
// there the strip fades into the panel's colour under an arrow pointing that way; an edge where
// it ends shows no arrow. Scrolled to the end, the cues swap sides.
TEST_F(ForecastStripTest, AnEdgeWhereTheStripGoesOnFadesUnderAnArrow)
{
    QVariantList list = periods(14);
    for (QVariant &p : list) {
        QVariantMap map = p.toMap();
        map[OVForecastKey::shortDesc] = QStringLiteral("Mostly Cloudy then Slight Chance Rain");
        p = map;
    }
    make(1000, list);
    view->refreshDisplay();
    const QColor panel = NBPrefController::settingForKey(QStringLiteral("viewBackgroundColor")).value<QColor>();
    const int top = 3;
    const int bottom = view->height() - 4;
    const auto whiteInArrowBox = [&](const QImage &image, bool right) {
        const int edge = right ? view->width() - 3 : 3;
        const int from = right ? edge - 18 : edge + 7;
        int count = 0;
        for (int x = from; x < from + 12; ++x)
            for (int y = view->height() / 2 - 9; y <= view->height() / 2 + 9; ++y)
                count += qGray(image.pixel(x, y)) > 220;
        return count;
    };
    // The last columns before the right edge show only the panel's colour: no cut text.
    const auto plainAtRightEdge = [&](const QImage &image) {
        for (int x = view->width() - 11; x < view->width() - 4; ++x)
            for (int y = top + 4; y < bottom - 4; ++y)
                if (std::abs(qGray(image.pixel(x, y)) - qGray(panel.rgb())) > 8)
                    return false;
        return true;
    };

    QImage image = view->grab().toImage();
    image.save(testOutputPath(QStringLiteral("forecast_strip_scrolls.png")));
    EXPECT_TRUE(view->continuesRight());
    EXPECT_FALSE(view->continuesLeft());
    EXPECT_GT(whiteInArrowBox(image, true), 5);
    EXPECT_TRUE(plainAtRightEdge(image));

    for (int i = 0; i < 400 && view->continuesRight(); ++i) {
        QWheelEvent event(QPointF(100, 100), view->mapToGlobal(QPointF(100, 100)), QPoint(), QPoint(0, -120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view.get(), &event);
    }
    image = view->grab().toImage();
    EXPECT_FALSE(view->continuesRight());
    EXPECT_TRUE(view->continuesLeft());
    EXPECT_GT(whiteInArrowBox(image, false), 5);
}
