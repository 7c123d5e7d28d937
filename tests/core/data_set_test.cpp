// The float ring buffer: order, statistics, resizing and misuse.
#include "core/OVDataSet.h"

#include "support/TestHelpers.h"
#include "platform/OVLog.h"

#include <gtest/gtest.h>

namespace {

OVDataSet ringOf3With1To4()
{
    OVDataSet set;
    set.resize(3);
    for (float v : {1.0f, 2.0f, 3.0f, 4.0f})
        set.setNextValue(v);
    return set;
}

} // namespace

TEST(OVDataSet, RingKeepsTheNewestValuesAndTheirStatistics)
{
    const OVDataSet set = ringOf3With1To4();
    EXPECT_EQ(set.valuesInOrder(), (QList<float>{2, 3, 4}));
    EXPECT_EQ(set.sum(), 9.0f);
    EXPECT_EQ(set.min(), 2.0f);
    EXPECT_EQ(set.max(), 4.0f);
    EXPECT_EQ(set.currentValue(), 4.0f);
    EXPECT_EQ(set.average(), 3.0f);

    struct Case
    {
        int offset;
        float value;
    };
    for (const Case c : {Case{0, 4}, Case{1, 3}, Case{2, 2}, Case{5, 2}, Case{-1, 0}}) {
        SCOPED_TRACE(c.offset);
        EXPECT_EQ(set.valueWithOffset(c.offset), c.value);
    }
}

TEST(OVDataSet, ResizeKeepsTheNewestValuesAndRecomputesMinAndMax)
{
    struct Case
    {
        const char *name;
        int size;
        QList<float> ordered;
        float min, max, sum;
    };
    const Case cases[] = {
        // Growing brings zero-filled slots into the ring: the minimum becomes 0.
        {"grow to 5", 5, {0, 0, 2, 3, 4}, 0, 4, 9},
        // Shrinking drops the oldest values: 2 is gone, so the minimum becomes 3.
        {"shrink to 2", 2, {3, 4}, 3, 4, 7},
        {"shrink to 1", 1, {4}, 4, 4, 4},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        OVDataSet set = ringOf3With1To4();
        set.resize(c.size);
        EXPECT_EQ(set.valuesInOrder(), c.ordered);
        EXPECT_EQ(set.currentIndex(), c.size - 1);
        EXPECT_EQ(set.numValues(), c.size);
        EXPECT_EQ(set.min(), c.min);
        EXPECT_EQ(set.max(), c.max);
        EXPECT_EQ(set.sum(), c.sum);
    }
}

TEST(OVDataSet, EmptySetAnswersZeroWithoutDividing)
{
    OVSetDebugLoggingEnabled(1);
    LogCapture log;
    OVDataSet set;
    EXPECT_EQ(set.valueWithOffset(1), 0.0f);
    EXPECT_EQ(set.currentValue(), 0.0f);
    EXPECT_EQ(set.average(), 0.0f);
    set.setNextValue(3.0f);
    EXPECT_EQ(set.numValues(), 0);
    set.resize(0);
    EXPECT_EQ(set.numValues(), 0);
    OVSetDebugLoggingEnabled(0);
    EXPECT_TRUE(log.contains(QStringLiteral("[OVDataSet valueWithOffset] Error: numValues is 0")));
    EXPECT_TRUE(log.contains(QStringLiteral("[OVDataSet setNextValue] Error:  numValues = 0, won't take a nextVal")));
    EXPECT_TRUE(log.contains(QStringLiteral("[OVDataSet resize] Error:  newNumValues is less than 1")));
}

TEST(OVDataSet, AddingAndSubtractingNeedSetsOfTheSameSize)
{
    OVDataSet set = ringOf3With1To4();
    OVDataSet other;
    other.resize(3);
    for (float v : {10.0f, 20.0f, 30.0f})
        other.setNextValue(v);

    set.addOtherDataSetValues(&other);
    // Slot by slot: slots hold [4, 2, 3] and [10, 20, 30].
    EXPECT_EQ(set.values(), (QList<float>{14, 22, 33}));
    EXPECT_EQ(set.min(), 14.0f);
    EXPECT_EQ(set.max(), 33.0f);
    EXPECT_EQ(set.sum(), 69.0f);
    set.subtractOtherDataSetValues(&other);
    EXPECT_EQ(set.values(), (QList<float>{4, 2, 3}));

    OVDataSet small;
    small.resize(2);
    set.addOtherDataSetValues(&small);
    set.addOtherDataSetValues(nullptr);
    set.addOtherDataSetValues(std::make_unique<OVDataSet>().get());
    EXPECT_EQ(set.values(), (QList<float>{4, 2, 3}));
}

TEST(OVDataSet, CopyTakesEverythingOrNothing)
{
    const OVDataSet set = ringOf3With1To4();
    const auto copy = OVDataSet::initWithContentsOfOtherDataSet(&set);
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->valuesInOrder(), set.valuesInOrder());
    EXPECT_EQ(copy->currentIndex(), set.currentIndex());
    EXPECT_EQ(copy->sum(), set.sum());

    const OVDataSet empty;
    const auto emptyCopy = OVDataSet::initWithContentsOfOtherDataSet(&empty);
    ASSERT_TRUE(emptyCopy);
    EXPECT_EQ(emptyCopy->numValues(), 0);
    EXPECT_FALSE(OVDataSet::initWithContentsOfOtherDataSet(nullptr));
}
