// An axis range of the graphs: min then max, for value axes, vertical scales and the span of a
// background gradient. Plain value; any thread.
#pragma once

#include <limits>

struct OVGraphRange
{
    double min = 0.0;
    double max = 0.0;
    bool operator==(const OVGraphRange &) const = default;
};

inline constexpr OVGraphRange OVGraphRangeMake(double min, double max)
{
    return OVGraphRange{min, max};
}

/// What every scale operation answers when no value qualifies; legends draw no value labels for
/// it. The smallest positive normal double and the largest double.
inline constexpr OVGraphRange OVGraphNoDataRange{std::numeric_limits<double>::min(),
                                                 std::numeric_limits<double>::max()};

inline bool OVGraphRangeIsNoData(const OVGraphRange &range)
{
    return range.min == OVGraphNoDataRange.min || range.max == OVGraphNoDataRange.max;
}
