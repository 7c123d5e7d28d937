// Set operations on sorted sets of indexes.
#pragma once

#include <cstdint>
#include <set>

/// A sorted set of unsigned indexes.
using OVIndexSet = std::set<uint64_t>;

/// A new set of each index of `receiver` that `other` also holds.
OVIndexSet ovIntersectionWithIndexSet(const OVIndexSet &receiver, const OVIndexSet &other);
