#include "core/OVTimeTracker.h"
#include "support/TestHelpers.h"

#include <gtest/gtest.h>

namespace {

struct CountingDelegate : OVTimeTrackerDelegate
{
    QList<int64_t> seen;
    void incrementUpdated(OVTimeTracker &tracker) override { seen << tracker.tickPosition(); }
};

} // namespace

TEST(TimeTracker, StepSequences)
{
    struct Case
    {
        const char *name;
        int64_t increments;
        int64_t start;       // reached with `next` from 0
        QString moves;       // n next, p previous, f first, l last
        int64_t position;    // tick position afterwards
        int64_t shown;       // currentIncrement afterwards
        int calls;           // delegate calls for the moves
    };
    const Case cases[] = {
        {"next within range", 10, 0, "nn", 2, 2, 2},
        {"hold keeps the last frame", 10, 10, "nn", 12, 10, 2},
        {"wrap tells twice", 10, 14, "n", 0, 0, 2},
        {"previous at 0 goes to increments", 10, 0, "p", 10, 10, 2},
        {"previous steps back", 10, 5, "p", 4, 4, 1},
        {"first and last", 10, 7, "fl", 10, 10, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        OVTimeTracker tracker;
        tracker.setIncrements(c.increments);
        for (int64_t i = 0; i < c.start; ++i)
            tracker.next();
        CountingDelegate delegate;
        tracker.setDelegate(&delegate);
        for (QChar m : c.moves) {
            if (m == 'n') tracker.next();
            if (m == 'p') tracker.previous();
            if (m == 'f') tracker.first();
            if (m == 'l') tracker.last();
        }
        EXPECT_EQ(tracker.tickPosition(), c.position);
        EXPECT_EQ(tracker.currentIncrement(), c.shown);
        EXPECT_EQ(delegate.seen.size(), c.calls);
    }

    // Lowering `increments` past the position wraps at the next step instead of running away.
    OVTimeTracker tracker;
    tracker.setIncrements(10);
    for (int i = 0; i < 12; ++i)
        tracker.next();
    tracker.setIncrements(3);
    tracker.next();
    EXPECT_EQ(tracker.tickPosition(), 0);
}

TEST(TimeTracker, TimesAndClosestDates)
{
    const QDateTime begin(QDate(2024, 5, 22), QTime(12, 0), Qt::UTC);
    OVTimeTracker tracker;
    EXPECT_FALSE(tracker.currentTime().isValid());
    tracker.setBeginDate(begin);
    tracker.setEndDate(begin.addSecs(3600));
    EXPECT_FALSE(tracker.currentTime().isValid()) << "no increments";
    tracker.setIncrements(12);

    struct Case
    {
        qint64 offsetSeconds;
        int64_t step;
    };
    for (const Case c : {Case{-600, 0}, Case{0, 0}, Case{149, 0}, Case{150, 1}, Case{1790, 6}, Case{3600, 12}, Case{9000, 12}}) {
        SCOPED_TRACE(c.offsetSeconds);
        tracker.setCurrentIncrementClosestToDate(begin.addSecs(c.offsetSeconds));
        EXPECT_EQ(tracker.currentIncrement(), c.step);
        EXPECT_EQ(tracker.currentTime(), begin.addSecs(300 * c.step));
    }

    // Missing dates, no increments or an empty range change nothing.
    tracker.setCurrentIncrementClosestToDate(begin.addSecs(900));
    ASSERT_EQ(tracker.currentIncrement(), 3);
    tracker.setCurrentIncrementClosestToDate(QDateTime());
    tracker.setEndDate(begin);
    tracker.setCurrentIncrementClosestToDate(begin.addSecs(3000));
    EXPECT_EQ(tracker.currentIncrement(), 3);
}

TEST(TimeTracker, PlayTwiceThenPauseLeavesNoTimer)
{
    OVTimeTracker tracker;
    tracker.setIncrements(4);
    tracker.setTimerInterval(0.01);
    CountingDelegate delegate;
    tracker.setDelegate(&delegate);
    tracker.play();
    tracker.play();
    EXPECT_FALSE(tracker.isPaused());
    ASSERT_TRUE(waitUntil([&] { return delegate.seen.size() >= 3; }, 2000));
    tracker.pause();
    EXPECT_TRUE(tracker.isPaused());
    const auto seen = delegate.seen.size();
    waitUntil([] { return false; }, 100);
    EXPECT_EQ(delegate.seen.size(), seen);
}
