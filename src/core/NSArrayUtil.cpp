// Time-series reads over key-value records; see NSArrayUtil.h.
#include "core/NSArrayUtil.h"

#include <cfloat>
#include <cmath>
#include <vector>

namespace {

struct Sample
{
    double secondsFromTarget;
    float value;
};

std::optional<QDateTime> readDate(const QVariant &value)
{
    if (value.metaType().id() != QMetaType::QDateTime)
        return std::nullopt;
    const QDateTime date = value.toDateTime();
    return date.isValid() ? std::optional(date) : std::nullopt;
}

std::optional<double> readNumber(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return std::nullopt;
    bool ok = false;
    const double number = value.toDouble(&ok);
    return ok ? std::optional(number) : std::nullopt;
}

double secondsFrom(const QDateTime &target, const QDateTime &date)
{
    return static_cast<double>(date.toMSecsSinceEpoch() - target.toMSecsSinceEpoch()) / 1000.0;
}

} // namespace

namespace NSArrayUtil {

double interpolatedFloatValueForDate(qsizetype count, const RecordReader &read,
                                     const QDateTime &date, const QString &dateKey,
                                     const QString &valueKey, double errorValue)
{
    if (dateKey.isEmpty() || valueKey.isEmpty() || !date.isValid())
        return errorValue;
    // One record without a date or a number spoils the whole series.
    std::vector<Sample> samples;
    samples.reserve(static_cast<size_t>(count));
    for (qsizetype i = 0; i < count; ++i) {
        const std::optional<QDateTime> recordDate = readDate(read(i, dateKey));
        const std::optional<double> value = readNumber(read(i, valueKey));
        if (!recordDate || !value)
            return errorValue;
        samples.push_back({secondsFrom(date, *recordDate), static_cast<float>(*value)});
    }
    const float error = static_cast<float>(errorValue);
    double beforeDt = -FLT_MAX, afterDt = FLT_MAX;
    std::optional<float> before, after;
    for (const Sample &sample : samples) {
        if (sample.value == error)
            continue;
        if (sample.secondsFromTarget < 0) {
            if (sample.secondsFromTarget > beforeDt) {
                beforeDt = sample.secondsFromTarget;
                before = sample.value;
            }
        } else if (sample.secondsFromTarget < afterDt) {
            afterDt = sample.secondsFromTarget;
            after = sample.value;
        }
    }
    if (before && after) {
        const double span = std::fabs(beforeDt) + afterDt;
        return *before * (afterDt / span) + *after * (std::fabs(beforeDt) / span);
    }
    if (after && afterDt == 0)
        return *after;
    return errorValue;
}

std::optional<qsizetype> closestIndexToDate(qsizetype count, const RecordReader &read,
                                            const QDateTime &date, const QString &dateKey,
                                            const QString &valueKey, const QVariant &errorValue)
{
    const bool checkValue = !valueKey.isEmpty();
    if (dateKey.isEmpty() || !date.isValid() || (checkValue && !errorValue.isValid()))
        return std::nullopt;
    std::vector<double> distances;
    std::vector<bool> qualifies;
    for (qsizetype i = 0; i < count; ++i) {
        const std::optional<QDateTime> recordDate = readDate(read(i, dateKey));
        if (!recordDate)
            return std::nullopt;
        bool isError = false;
        if (checkValue) {
            const QVariant value = read(i, valueKey);
            if (!value.isValid() || value.isNull())
                return std::nullopt;
            isError = value == errorValue;
        }
        distances.push_back(std::fabs(secondsFrom(date, *recordDate)));
        qualifies.push_back(!isError);
    }
    std::optional<qsizetype> best;
    for (qsizetype i = 0; i < count; ++i) {
        if (qualifies[i] && (!best || distances[i] < distances[*best]))
            best = i;
    }
    return best;
}

} // namespace NSArrayUtil
