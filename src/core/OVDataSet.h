// A fixed-size ring buffer of floats that keeps its minimum, maximum and sum up to date, for
// running statistics over the most recent values.
//
// A new set has no slots; `resize` gives it some. Misuse (no slots, a mismatched other set, a
// negative offset) gets a debug log line and a neutral answer (0 or no change). One thread at a
// time.
#pragma once

#include <QList>

#include <memory>

class OVDataSet
{
public:
    OVDataSet() = default;

    /// A copy of `other`'s values, current index, minimum, maximum and sum; an `other` without
    /// values gives a plain empty set; no `other` gives nothing (and a log line).
    static std::unique_ptr<OVDataSet> initWithContentsOfOtherDataSet(const OVDataSet *other);

    /// Stores a value in the next slot, wrapping round, and updates min, max and sum.
    void setNextValue(float value);
    /// A ring of `count` slots (at least 1) holding the newest values, ending in its last slot;
    /// min, max and sum are recomputed over the new ring (zero-filled slots included).
    void resize(int count);
    /// The values oldest first.
    QList<float> valuesInOrder() const;

    float average() const;
    float currentValue() const;
    /// The value `offset` steps before the newest, wrapping round the ring; 0 for a negative
    /// offset or an empty set.
    float valueWithOffset(int offset) const;

    /// Slot-by-slot addition or subtraction of a set of the same size; then min, max and sum are
    /// recomputed. Any other set changes nothing.
    void addOtherDataSetValues(const OVDataSet *other);
    void subtractOtherDataSetValues(const OVDataSet *other);

    float min() const { return mMin; }
    float max() const { return mMax; }
    float sum() const { return mSum; }
    int numValues() const { return mNumValues; }
    int currentIndex() const { return mCurrentIndex; }
    const QList<float> &values() const { return mValues; }

private:
    void combine(const OVDataSet *other, float sign, const char *operation);
    void recomputeStatistics();

    QList<float> mValues;
    float mMin = 0.0f;
    float mMax = 0.0f;
    float mSum = 0.0f;
    int mCurrentIndex = 0;
    int mNumValues = 0;
};
