// Ring-buffer bookkeeping of the float data set.
#include "core/OVDataSet.h"

#include "platform/OVLog.h"

#include <algorithm>

std::unique_ptr<OVDataSet> OVDataSet::initWithContentsOfOtherDataSet(const OVDataSet *other)
{
    if (!other) {
        OVDebugLog(QStringLiteral("[OVDataSet initWithContentsOfOtherDataSet] Error:  otherDataSet is not defined."));
        return nullptr;
    }
    auto copy = std::make_unique<OVDataSet>();
    if (other->mValues.isEmpty())
        return copy;
    *copy = *other;
    return copy;
}

void OVDataSet::setNextValue(float value)
{
    if (mNumValues == 0) {
        OVDebugLog(QStringLiteral("[OVDataSet setNextValue] Error:  numValues = 0, won't take a nextVal"));
        return;
    }
    mCurrentIndex = mCurrentIndex >= mNumValues - 1 ? 0 : mCurrentIndex + 1;
    const float old = mValues[mCurrentIndex];
    mSum -= old;
    if (old == mMin || old == mMax) {
        // The leaving value may have been the extreme: recompute from the other slots.
        bool first = true;
        for (int i = 0; i < mNumValues; ++i) {
            if (i == mCurrentIndex)
                continue;
            mMin = first ? mValues[i] : std::min(mMin, mValues[i]);
            mMax = first ? mValues[i] : std::max(mMax, mValues[i]);
            first = false;
        }
        if (first)
            mMin = mMax = value;
    }
    mValues[mCurrentIndex] = value;
    mMin = std::min(mMin, value);
    mMax = std::max(mMax, value);
    mSum += value;
}

QList<float> OVDataSet::valuesInOrder() const
{
    QList<float> ordered;
    ordered.reserve(mNumValues);
    for (int i = mCurrentIndex + 1; i < mNumValues; ++i)
        ordered.append(mValues[i]);
    for (int i = 0; i <= mCurrentIndex && i < mNumValues; ++i)
        ordered.append(mValues[i]);
    return ordered;
}

void OVDataSet::resize(int count)
{
    if (count < 1) {
        OVDebugLog(QStringLiteral("[OVDataSet resize] Error:  newNumValues is less than 1, why use a dataset?"));
        return;
    }
    const QList<float> ordered = valuesInOrder();
    QList<float> ring(count, 0.0f);
    const qsizetype kept = std::min<qsizetype>(count, ordered.size());
    std::copy(ordered.end() - kept, ordered.end(), ring.end() - kept);
    mValues = ring;
    mNumValues = count;
    mCurrentIndex = count - 1;
    recomputeStatistics();
}

float OVDataSet::average() const
{
    if (mNumValues == 0) {
        OVDebugLog(QStringLiteral("[OVDataSet average] Error:  numValues is 0, can't compute an average."));
        return 0.0f;
    }
    return mSum / float(mNumValues);
}

float OVDataSet::currentValue() const
{
    if (mNumValues == 0) {
        OVDebugLog(QStringLiteral("[OVDataSet currentValue] Error: numValues is 0, can't return the current value."));
        return 0.0f;
    }
    return mValues[mCurrentIndex];
}

float OVDataSet::valueWithOffset(int offset) const
{
    if (offset < 0) {
        OVDebugLog(QStringLiteral("[OVDataSet valueWithOffset] Error: offset must be greater than 0."));
        return 0.0f;
    }
    if (mNumValues == 0) {
        OVDebugLog(QStringLiteral("[OVDataSet valueWithOffset] Error: numValues is 0, can't return a value."));
        return 0.0f;
    }
    const int steps = offset % mNumValues;
    const int index = (mCurrentIndex - steps + mNumValues) % mNumValues;
    return mValues[index];
}

void OVDataSet::addOtherDataSetValues(const OVDataSet *other)
{
    combine(other, 1.0f, "addOtherDataSetValues");
}

void OVDataSet::subtractOtherDataSetValues(const OVDataSet *other)
{
    combine(other, -1.0f, "subtractOtherDataSetValues");
}

void OVDataSet::combine(const OVDataSet *other, float sign, const char *operation)
{
    if (!other) {
        OVDebugLog(QStringLiteral("[OVDataSet %1] Error:  otherDataSet is not defined.").arg(QLatin1String(operation)));
        return;
    }
    if (other->mValues.isEmpty())
        return;
    if (other->mNumValues != mNumValues) {
        OVDebugLog(QStringLiteral("[OVDataSet %1] Error:  Number of values in otherDataSet does not match the "
                                  "number of values in current data set.")
                       .arg(QLatin1String(operation)));
        return;
    }
    for (int i = 0; i < mNumValues; ++i)
        mValues[i] += sign * other->mValues[i];
    recomputeStatistics();
}

void OVDataSet::recomputeStatistics()
{
    if (mValues.isEmpty()) {
        mMin = mMax = mSum = 0.0f;
        return;
    }
    const auto [low, high] = std::minmax_element(mValues.cbegin(), mValues.cend());
    mMin = *low;
    mMax = *high;
    mSum = 0.0f;
    for (float v : mValues)
        mSum += v;
}
