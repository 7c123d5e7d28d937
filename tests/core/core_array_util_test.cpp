// Time-series reads over arrays of dictionaries and key-value objects.
#include "core/NSArrayUtil.h"

#include <gtest/gtest.h>

namespace {

const QDateTime TenOClock(QDate(2024, 5, 22), QTime(10, 0), Qt::UTC);
constexpr double E = -1000;

QVariantMap sample(int minutesAfterTen, const QVariant &value)
{
    return {{"date", TenOClock.addSecs(minutesAfterTen * 60)}, {"value", value}};
}

double valueAt(const QList<QVariantMap> &series, int minutesAfterTen)
{
    return NSArrayUtil::interpolatedFloatValueForDate(series, TenOClock.addSecs(minutesAfterTen * 60), "date",
                                                      "value", E);
}

} // namespace

TEST(ArrayUtil, InterpolatesLinearlyInTime)
{
    const QList<QVariantMap> series{sample(0, 10), sample(60, 20)};
    struct Case
    {
        const char *name;
        int minutes;
        double expected;
    };
    const Case cases[] = {
        {"a quarter of the way", 15, 12.5}, {"on the first sample", 0, 10}, {"on the last sample", 60, 20},
        {"after the last", 61, E},          {"before the first", -1, E},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_DOUBLE_EQ(valueAt(series, c.minutes), c.expected);
    }
    EXPECT_DOUBLE_EQ(valueAt({}, 0), E);
    EXPECT_DOUBLE_EQ(NSArrayUtil::interpolatedFloatValueForDate(series, TenOClock, "date", "", E), E);
}

TEST(ArrayUtil, ErrorSamplesAreSkippedAndARecordWithoutDateFailsTheSeries)
{
    // The 10:30 sample is missing: 10:45 lies between 10:00 and 11:00.
    EXPECT_DOUBLE_EQ(valueAt({sample(0, 10), sample(30, E), sample(60, 20)}, 45), 17.5);
    EXPECT_DOUBLE_EQ(valueAt({sample(0, 10), sample(30, "-1000"), sample(60, 20)}, 45), 17.5);

    const QList<QVariantMap> undated{sample(0, 10), {{"value", 15}}, sample(60, 20)};
    EXPECT_DOUBLE_EQ(valueAt(undated, 15), E);
    EXPECT_FALSE(NSArrayUtil::closestObjectToDate(undated, TenOClock, "date"));
    EXPECT_DOUBLE_EQ(valueAt({sample(0, 10), sample(60, "not a number")}, 15), E);
}

TEST(ArrayUtil, ClosestRecord)
{
    const QList<QVariantMap> series{sample(0, 10), sample(20, E), sample(40, 30), sample(60, 40)};
    struct Case
    {
        const char *name;
        int minutes;
        QString valueKey;
        QVariant errorValue;
        std::optional<int> expectedIndex;
    };
    const Case cases[] = {
        {"nearest by date alone", 19, "", QVariant(), 1},
        {"error value skipped", 19, "value", E, 0},
        {"tie goes to the first", 50, "", QVariant(), 2},
        {"value key without error object", 19, "value", QVariant(), std::nullopt},
        {"far after the last", 600, "value", E, 3},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const auto found = NSArrayUtil::closestObjectToDate(series, TenOClock.addSecs(c.minutes * 60), "date",
                                                            c.valueKey, c.errorValue);
        ASSERT_EQ(found.has_value(), c.expectedIndex.has_value());
        if (found) {
            EXPECT_EQ(*found, series[*c.expectedIndex]);
        }
    }
    EXPECT_FALSE(NSArrayUtil::closestObjectToDate(QList<QVariantMap>(), TenOClock, "date"));
}

TEST(ArrayUtil, ReadsKeyValueObjectsAndFirstObject)
{
    const QList<std::shared_ptr<OVKeyValue>> objects{std::make_shared<OVKeyValueMap>(sample(0, 10)),
                                                     std::make_shared<OVKeyValueMap>(sample(60, 20))};
    EXPECT_DOUBLE_EQ(NSArrayUtil::interpolatedFloatValueForDate(objects, TenOClock.addSecs(1800), "date", "value", E),
                     15);
    EXPECT_EQ(NSArrayUtil::closestObjectToDate(objects, TenOClock.addSecs(3000), "date"), objects[1]);
    EXPECT_EQ(NSArrayUtil::firstObject(objects), objects[0]);
    EXPECT_FALSE(NSArrayUtil::firstObject(QList<QVariantMap>()));
}
