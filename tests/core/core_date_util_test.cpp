// Date helpers in a zone with daylight saving. Runs with TZ=America/New_York and LANG=en_US.UTF-8
// (set by CTest). Expected instants follow the published IANA transitions of 2024:
// EST -> EDT at 2024-03-10 07:00Z, EDT -> EST at 2024-11-03 06:00Z.
#include "core/NSDateUtil.h"
#include "core/OVDateFormattingTool.h"
#include "platform/OVLog.h"
#include "support/FakeClock.h"
#include "support/TestHelpers.h"

#include <gtest/gtest.h>

namespace {

QDateTime utc(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC);
}

const QTimeZone NewYork("America/New_York");

std::string text(const QDateTime &date)
{
    return date.isValid() ? date.toString(Qt::ISODate).toStdString() : "no date";
}

} // namespace

TEST(DateUtil, RunsInNewYork)
{
    ASSERT_EQ(QTimeZone::systemTimeZone().offsetFromUtc(utc(2024, 1, 1)), -5 * 3600)
        << "TZ=America/New_York is expected from CTest";
}

TEST(DateUtil, WeekBoundsAreSundayMidnightAndSaturdayLastSecondAcrossDaylightChanges)
{
    struct Case
    {
        const char *name;
        QDateTime date, start, end;
    };
    const Case cases[] = {
        {"ordinary Sunday 15:30", utc(2024, 5, 19, 19, 30), utc(2024, 5, 19, 4), utc(2024, 5, 26, 3, 59, 59)},
        {"Sunday 15:30 of the spring change", utc(2024, 3, 10, 19, 30), utc(2024, 3, 10, 5),
         utc(2024, 3, 17, 3, 59, 59)},
        {"Tuesday after the spring change", utc(2024, 3, 12, 14), utc(2024, 3, 10, 5),
         utc(2024, 3, 17, 3, 59, 59)},
        {"Saturday before the spring change", utc(2024, 3, 9, 17), utc(2024, 3, 3, 5),
         utc(2024, 3, 10, 4, 59, 59)},
        {"Tuesday after the autumn change", utc(2024, 11, 5, 17), utc(2024, 11, 3, 4),
         utc(2024, 11, 10, 4, 59, 59)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(text(NSDateUtil::beginningOfWeekInTimeZone(c.date, NewYork)), text(c.start));
        EXPECT_EQ(text(NSDateUtil::endOfWeekInTimeZone(c.date, NewYork)), text(c.end));
        // The system zone stands in when none is given.
        EXPECT_EQ(NSDateUtil::beginningOfWeekInTimeZone(c.date), c.start);
    }
}

TEST(DateUtil, DayMonthAndYearBounds)
{
    struct Case
    {
        const char *name;
        QDateTime (*bound)(const QDateTime &, const QTimeZone &);
        QDateTime date, expected;
    };
    const Case cases[] = {
        {"start of the 23-hour day", NSDateUtil::beginningOfDayInTimeZone, utc(2024, 3, 10, 20), utc(2024, 3, 10, 5)},
        {"end of the 23-hour day", NSDateUtil::endOfDayInTimeZone, utc(2024, 3, 10, 20), utc(2024, 3, 11, 3, 59, 59)},
        {"start of the 25-hour day", NSDateUtil::beginningOfDayInTimeZone, utc(2024, 11, 3, 20), utc(2024, 11, 3, 4)},
        {"start of February", NSDateUtil::beginningOfMonthInTimeZone, utc(2024, 2, 10), utc(2024, 2, 1, 5)},
        {"end of a leap February", NSDateUtil::endOfMonthInTimeZone, utc(2024, 2, 10), utc(2024, 3, 1, 4, 59, 59)},
        {"end of an ordinary February", NSDateUtil::endOfMonthInTimeZone, utc(2023, 2, 10), utc(2023, 3, 1, 4, 59, 59)},
        {"end of March (month changes offset)", NSDateUtil::endOfMonthInTimeZone, utc(2024, 3, 2), utc(2024, 4, 1, 3, 59, 59)},
        {"start of the year", NSDateUtil::beginningOfYearInTimeZone, utc(2024, 7, 4), utc(2024, 1, 1, 5)},
        {"end of the year", NSDateUtil::endOfYearInTimeZone, utc(2024, 7, 4), utc(2025, 1, 1, 4, 59, 59)},
        {"New Year's Eve evening is still the old year", NSDateUtil::beginningOfYearInTimeZone,
         utc(2025, 1, 1, 2), utc(2024, 1, 1, 5)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(text(c.bound(c.date, NewYork)), text(c.expected));
    }
    EXPECT_FALSE(NSDateUtil::endOfMonthInTimeZone(QDateTime(), NewYork).isValid());
}

TEST(DateUtil, ConstructionFromComponentsIsLenient)
{
    struct Case
    {
        const char *name;
        int y, mo, d, h;
        QDateTime expected;
    };
    const Case cases[] = {
        {"30 February is 1 March", 2024, 2, 30, 12, utc(2024, 3, 1, 17)},
        {"hour 24 is the next day", 2024, 3, 9, 24, utc(2024, 3, 10, 5)},
        {"hour -1 is the previous day", 2024, 3, 11, -1, utc(2024, 3, 11, 3)},
        {"month 13 is next January", 2024, 13, 1, 0, utc(2025, 1, 1, 5)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(text(NSDateUtil::dateForYear(c.y, c.mo, c.d, c.h, 0, 0, NewYork)), text(c.expected));
    }
    EXPECT_EQ(NSDateUtil::dateForYear(2024, 6, 1, 12, 0, 0, QTimeZone(19800)), utc(2024, 6, 1, 6, 30));
}

TEST(DateUtil, AdditionKeepsWallClockForDaysAndElapsedTimeForHours)
{
    const QDateTime saturdayNoon = utc(2024, 3, 9, 17); // 12:00 EST
    EXPECT_EQ(NSDateUtil::dateByAddingYears(saturdayNoon, 0, 0, 1, 0, 0, 0, NewYork), utc(2024, 3, 10, 16));
    EXPECT_EQ(NSDateUtil::dateByAddingYears(saturdayNoon, 0, 0, 0, 24, 0, 0, NewYork), utc(2024, 3, 10, 17));
    EXPECT_EQ(NSDateUtil::dateByAddingYears(utc(2024, 1, 31, 17), 0, 1, 0, 0, 0, 0, NewYork), utc(2024, 2, 29, 17));
    EXPECT_EQ(NSDateUtil::dateByAddingYears(utc(2024, 2, 29, 17), 1, 0, 0, 0, 0, -1, NewYork),
              utc(2025, 2, 28, 16, 59, 59));
}

TEST(DateUtil, DayNamesWithAFixedClock)
{
    struct Case
    {
        const char *name;
        QDateTime now, todayStart, tomorrowStart;
        const char *dayBefore; // name of todayStart - 86400 s
    };
    const Case cases[] = {
        {"ordinary day", utc(2024, 5, 22, 16), utc(2024, 5, 22, 4), utc(2024, 5, 23, 4), "Yesterday"},
        {"day of the spring change", utc(2024, 3, 10, 16), utc(2024, 3, 10, 5), utc(2024, 3, 11, 4), "Yesterday"},
        {"day of the autumn change", utc(2024, 11, 3, 16), utc(2024, 11, 3, 4), utc(2024, 11, 4, 5), "Yesterday"},
        // Sunday had 23 hours, so 86400 s before Monday 00:00 is Saturday 23:00.
        {"day after the spring change", utc(2024, 3, 11, 16), utc(2024, 3, 11, 4), utc(2024, 3, 12, 4), "Saturday"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const FakeClock clock(c.now);
        EXPECT_EQ(NSDateUtil::dayStringInTimeZone(c.todayStart, NewYork, clock), "Today");
        EXPECT_EQ(NSDateUtil::dayStringInTimeZone(c.tomorrowStart.addSecs(-1), NewYork, clock), "Today");
        EXPECT_EQ(NSDateUtil::dayStringInTimeZone(c.tomorrowStart, NewYork, clock), "Tomorrow");
        EXPECT_EQ(NSDateUtil::dayStringInTimeZone(c.todayStart.addSecs(-86400), NewYork, clock), c.dayBefore);
        EXPECT_EQ(NSDateUtil::shortDayStringInTimeZone(c.todayStart.addSecs(3600), NewYork, clock), "Now");
    }
    const FakeClock clock(utc(2024, 5, 22, 16)); // Wednesday
    EXPECT_EQ(NSDateUtil::dayStringInTimeZone(utc(2024, 5, 25, 16), NewYork, clock), "Saturday");
    EXPECT_EQ(NSDateUtil::shortDayStringInTimeZone(utc(2024, 5, 25, 16), NewYork, clock), "Sat");
    // In Tokyo it is already Thursday morning.
    EXPECT_EQ(NSDateUtil::dayStringInTimeZone(utc(2024, 5, 22, 16), QTimeZone("Asia/Tokyo"), clock), "Today");
    EXPECT_EQ(NSDateUtil::dayStringInTimeZone(utc(2024, 5, 22, 14), QTimeZone("Asia/Tokyo"), clock), "Yesterday");
}

TEST(DateUtil, PatternTextIsTheWallClockOfTheZoneEvenNearTheSystemZonesChange)
{
    const QDateTime date = utc(2024, 3, 10, 6, 30);
    EXPECT_EQ(NSDateUtil::stringValueWithFormat(date, "HHmm", QTimeZone(0)), "0630");
    EXPECT_EQ(NSDateUtil::stringValueWithFormat(date, "HHmm", NewYork), "0130");
    EXPECT_EQ(NSDateUtil::stringValueWithFormat(utc(2024, 3, 10, 7, 30), "yyyy-MM-dd HH:mm zzz"),
              "2024-03-10 03:30 EDT");
    EXPECT_EQ(NSDateUtil::stringValueWithFormat(date, "EEEE d MMMM", QTimeZone("Asia/Kolkata")),
              "Sunday 10 March");
}

TEST(DateUtil, ConvertShiftsByTheOffsetDifference)
{
    const QDateTime date = utc(2024, 7, 1, 12);
    EXPECT_EQ(NSDateUtil::convertFromTimeZone(date, NewYork, QTimeZone(0)), utc(2024, 7, 1, 8));
    EXPECT_EQ(NSDateUtil::convertFromLocalToTimeZone(date, QTimeZone(3600)), utc(2024, 7, 1, 7));
    EXPECT_EQ(NSDateUtil::middleDateBetweenDate(utc(2024, 7, 1), utc(2024, 7, 2)), utc(2024, 7, 1, 12));
    EXPECT_FALSE(NSDateUtil::middleDateBetweenDate(utc(2024, 7, 1), QDateTime()).isValid());
}

TEST(DateUtil, RangeTests)
{
    const QDateTime t0 = utc(2024, 1, 1);
    const auto at = [&](int s) { return t0.addSecs(s); };
    struct Case
    {
        const char *name;
        int date, interval, start, end;
        bool overlaps;
    };
    const Case cases[] = {
        {"starts inside", 15, 100, 10, 20, true},
        {"starts at start", 10, 1, 10, 20, true},
        {"starts at end", 20, 5, 10, 20, false},
        {"ends inside", 5, 10, 10, 20, true},
        {"ends at end", 5, 15, 10, 20, true},
        {"ends at start", 5, 5, 10, 20, false},
        {"encloses", 5, 30, 10, 20, false},
        {"after", 25, 5, 10, 20, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(NSDateUtil::rangeWithTimeInterval(at(c.date), c.interval, at(c.start), at(c.end)), c.overlaps);
        EXPECT_EQ(NSDateUtil::rangeWithEndDate(at(c.date), at(c.date + c.interval), at(c.start), at(c.end)),
                  c.overlaps);
    }
    EXPECT_TRUE(NSDateUtil::isBetweenStartDate(at(10), at(10), at(20)));
    EXPECT_TRUE(NSDateUtil::isBetweenStartDate(at(20), at(10), at(20)));
    EXPECT_FALSE(NSDateUtil::isBetweenStartDate(at(21), at(10), at(20)));
}

TEST(DateUtil, OverlapTable)
{
    const QDateTime t0 = utc(2024, 1, 1);
    const auto at = [&](int s) { return t0.addSecs(s); };
    struct Case
    {
        int aStart, aEnd, bStart, bEnd;
        double seconds;
    };
    const Case cases[] = {
        {10, 20, 15, 30, 5}, {10, 20, 20, 30, 0}, {10, 20, 0, 30, 10}, {0, 30, 10, 20, 10},
        {15, 30, 10, 20, 5}, {20, 30, 10, 20, 0}, {10, 20, 10, 20, 10}, {0, 5, 10, 20, 0},
        {20, 10, 0, 30, 0},  {0, 30, 20, 10, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "[" << c.aStart << "," << c.aEnd << "] and [" << c.bStart
                                        << "," << c.bEnd << "]");
        EXPECT_EQ(NSDateUtil::overlappingIntervalBetweenRangeAStart(at(c.aStart), at(c.aEnd), at(c.bStart),
                                                                   at(c.bEnd)),
                  c.seconds);
    }
}

TEST(DateUtil, MissingArgumentsAreLoggedUnderTheDebugFlag)
{
    const QDateTime t = utc(2024, 1, 1);
    LogCapture log;
    OVSetDebugLoggingEnabled(1);
    EXPECT_EQ(NSDateUtil::overlappingIntervalBetweenRangeAStart(t, t, QDateTime(), QDateTime()), 0);
    EXPECT_EQ(NSDateUtil::overlappingIntervalBetweenRangeAStart(t.addSecs(5), t, t, t), 0);
    EXPECT_FALSE(NSDateUtil::rangeWithEndDate(t, QDateTime(), t, t));
    OVSetDebugLoggingEnabled(0);
    EXPECT_EQ(log.lines(),
              (QStringList{"[NSDateUtil overlapIntervalBetweenRangeAStart] Error:  Start date for range B is nil.",
                           "[NSDateUtil overlapIntervalBetweenRangeAStart] Error:  Range A has an end date "
                           "before its start date.",
                           "[NSDateUtil rangeWithEndDate] Error:  End range is nil."}));
}

TEST(DateFormattingTool, ShortTextsAndStartToEndTexts)
{
    OVDateFormattingTool &tool = OVDateFormattingTool::sharedFormattingTool();
    const QString nnbsp(QChar(0x202F)); // ICU 72 puts a narrow no-break space before AM/PM
    const QDateTime start = utc(2024, 5, 22, 18), sameDayEnd = utc(2024, 5, 22, 20, 30);
    const QDateTime nextDayEnd = utc(2024, 5, 23, 13);
    EXPECT_EQ(tool.timeStringFromDate(start, NewYork), "2:00" + nnbsp + "PM");
    EXPECT_EQ(tool.dateStringFromDate(start, NewYork), "5/22/24");
    EXPECT_EQ(tool.combinedStringFromDate(start, NewYork), "5/22/24, 2:00" + nnbsp + "PM");
    EXPECT_EQ(tool.combinedStringFromDate(start, NewYork, true), "5/22 2:00" + nnbsp + "PM");
    EXPECT_EQ(tool.combinedStringFromStartDate(start, sameDayEnd, NewYork),
              "5/22/24, 2:00" + nnbsp + "PM - 4:30" + nnbsp + "PM");
    EXPECT_EQ(tool.combinedStringFromStartDate(start, nextDayEnd, NewYork),
              "5/22/24, 2:00" + nnbsp + "PM - 5/23/24, 9:00" + nnbsp + "AM");
    EXPECT_EQ(tool.combinedStringFromStartDate(start, sameDayEnd, NewYork, true),
              "5/22 2:00" + nnbsp + "PM - 4:30" + nnbsp + "PM");
    // 22:00 and 02:30 New York time are one day in Tokyo (11:00 and 15:30 on 23 May).
    EXPECT_EQ(tool.combinedStringFromStartDate(utc(2024, 5, 23, 2), utc(2024, 5, 23, 6, 30),
                                               QTimeZone("Asia/Tokyo")),
              "5/23/24, 11:00" + nnbsp + "AM - 3:30" + nnbsp + "PM");
    EXPECT_EQ(tool.combinedStringFromStartDate(start, QDateTime(), NewYork), QString());
    EXPECT_EQ(tool.weekdayFromDate(start, QTimeZone("Asia/Tokyo")), "Thursday");
    EXPECT_EQ(tool.shortWeekdayFromDate(start, NewYork), "Wed");
    EXPECT_EQ(tool.monthSymbols().value(1), "February");
    EXPECT_EQ(tool.shortWeekdaySymbols().value(0), "Sun");
}
