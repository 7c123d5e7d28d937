// The graphs' shared time window as a value: where it lies around now, its clamps between the
// station's first observation and a week ahead (and which bound wins when it is wider than
// that span), a clamp kept in the pan offset, widening with the end held, and panning by drag.
#include "graphs/NBGraphTimeWindow.h"

#include <QTimeZone>

#include <gtest/gtest.h>

#include <optional>

namespace {

constexpr double kDay = 86400.0;
constexpr double kWeek = NBGraphTimeWindow::kWeekSeconds;
const QDateTime kNow(QDate(2013, 11, 10), QTime(20, 0), QTimeZone::utc());

QDateTime fromNow(double seconds)
{
    return kNow.addMSecs(qint64(std::llround(seconds * 1000.0)));
}

NBGraphTimeWindow window(double interval, double panOffset)
{
    NBGraphTimeWindow w;
    w.setInterval(interval);
    w.setPanOffset(panOffset);
    return w;
}

} // namespace

TEST(NBGraphTimeWindow, StartsAtAThirdOfItsWidthBeforeTheAnchor)
{
    NBGraphTimeWindow w = window(kDay, 0.0);
    const NBGraphTimeWindow::Dates dates = w.clamp(kNow, std::nullopt);
    EXPECT_EQ(dates.start, fromNow(-0.33 * kDay));
    EXPECT_EQ(dates.end, fromNow(0.67 * kDay));
    EXPECT_EQ(w.panOffset(), 0.0);
}

TEST(NBGraphTimeWindow, ClampsBetweenTheFirstObservationAndAWeekAhead)
{
    struct Case
    {
        const char *name;
        double interval, panOffset;
        std::optional<double> earliest; // seconds from now
        double start, end, panOffsetAfter;
    };
    const Case cases[] = {
        {"inside both bounds", kDay, -kDay, -3 * kDay, -1.33 * kDay, -0.33 * kDay, -kDay},
        {"before the first observation", kDay, -5 * kDay, -3 * kDay, -3 * kDay, -2 * kDay, -3 * kDay + 0.33 * kDay},
        {"starting exactly at it", kDay, -3 * kDay + 0.33 * kDay, -3 * kDay, -3 * kDay, -2 * kDay, -3 * kDay + 0.33 * kDay},
        {"no history bounds nothing behind", kDay, -30 * kDay, std::nullopt, -30.33 * kDay, -29.33 * kDay, -30 * kDay},
        {"past a week ahead", kDay, 7 * kDay, -3 * kDay, kWeek - kDay, kWeek, kWeek - 0.67 * kDay},
        {"ending exactly a week ahead", 2 * kDay, kWeek - 1.34 * kDay, std::nullopt, kWeek - 2 * kDay, kWeek,
         kWeek - 1.34 * kDay},
        // Wider than the span between the bounds: the week ahead wins, the start goes before
        // the first observation.
        {"wider than the span", 20 * kDay, 0.0, -3 * kDay, kWeek - 20 * kDay, kWeek, kWeek - 0.67 * 20 * kDay},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        NBGraphTimeWindow w = window(c.interval, c.panOffset);
        const std::optional<QDateTime> earliest = c.earliest ? std::optional(fromNow(*c.earliest)) : std::nullopt;
        const NBGraphTimeWindow::Dates dates = w.clamp(kNow, earliest);
        EXPECT_EQ(dates.start, fromNow(c.start));
        EXPECT_EQ(dates.end, fromNow(c.end));
        EXPECT_NEAR(w.panOffset(), c.panOffsetAfter, 1e-6);
        // Kept in the offset: asking again gives the same window without a further shift.
        const NBGraphTimeWindow::Dates again = w.clamp(kNow, earliest);
        EXPECT_EQ(again.start, dates.start);
        EXPECT_EQ(again.end, dates.end);
    }
}

TEST(NBGraphTimeWindow, ACorrectionOfASecondOrLessMovesTheDatesButNotTheOffset)
{
    const double offset = -3 * kDay + 0.33 * kDay - 0.5; // starts half a second too early
    NBGraphTimeWindow w = window(kDay, offset);
    const NBGraphTimeWindow::Dates dates = w.clamp(kNow, fromNow(-3 * kDay));
    EXPECT_EQ(dates.start, fromNow(-3 * kDay));
    EXPECT_EQ(w.panOffset(), offset);
}

TEST(NBGraphTimeWindow, WideningHoldsTheEndInPlace)
{
    for (const double to : {6 * kDay, 0.5 * kDay, kDay}) {
        SCOPED_TRACE(to);
        NBGraphTimeWindow w = window(kDay, -2 * kDay);
        const QDateTime end = w.clamp(kNow, std::nullopt).end;
        w.setIntervalHoldingEnd(to);
        EXPECT_EQ(w.interval(), to);
        const NBGraphTimeWindow::Dates dates = w.clamp(kNow, std::nullopt);
        EXPECT_EQ(dates.end, end);
        EXPECT_EQ(dates.start, end.addMSecs(qint64(std::llround(-to * 1000.0))));
    }
}

TEST(NBGraphTimeWindow, PanningMovesByTheDraggedShareOfTheWidthAndSnapsToNow)
{
    struct Case
    {
        const char *name;
        double startOffset, dx, referenceWidth, expected;
    };
    const Case cases[] = {
        {"right drag goes later", 0.0, 21.0, 700.0, 21.0 / 700.0 * kDay},
        {"left drag goes earlier", 0.0, -350.0, 700.0, -0.5 * kDay},
        {"from an earlier pan", kDay, 70.0, 700.0, 1.1 * kDay},
        {"within the snap of now", 0.0, 19.0, 700.0, 0.0},
        {"back to within the snap", kDay, -690.0, 700.0, 0.0},
        {"no width keeps the offset", 0.25 * kDay, 100.0, 0.0, 0.25 * kDay},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        NBGraphTimeWindow w = window(kDay, 0.25 * kDay);
        w.panFrom(c.startOffset, c.dx, c.referenceWidth, 20.0);
        EXPECT_NEAR(w.panOffset(), c.expected, 1e-6);
    }
}
