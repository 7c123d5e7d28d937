// Set operations on sorted sets of indexes.
#include "core/OVIndexSetAdditions.h"

#include <algorithm>
#include <iterator>

OVIndexSet ovIntersectionWithIndexSet(const OVIndexSet &receiver, const OVIndexSet &other)
{
    OVIndexSet result;
    std::set_intersection(receiver.begin(), receiver.end(), other.begin(), other.end(),
                          std::inserter(result, result.end()));
    return result;
}
