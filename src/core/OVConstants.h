// Constants that every subsystem shares.
#pragma once

#include <cstdint>
#include <limits>

/// Marks a missing number everywhere: records, coordinates, database rows, interpolation results.
inline constexpr double OVNoValue = -1000.0;

/// The "no match" location of string and range searches: the largest signed 64-bit value.
inline constexpr int64_t OVNotFound = std::numeric_limits<int64_t>::max();
