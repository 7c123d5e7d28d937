// The conversions the settings store and the user defaults apply when a caller asks for a truth value, an integer or
// a float: one rule set for stored and in-memory values alike.
//
//   bool:    text through boolValue ("", "0" and any case of "no" are false, other text true); numbers and booleans are true when non-zero;
//            anything else (lists, maps, colours, nothing) is false.
//   integer: text gives an optional sign and the leading digits after leading blanks ("1.0" is 1,
//            "0.7" is 0, "YES" is 0), clamped to the 64-bit range; numbers are truncated
//            toward zero; booleans are 1 or 0.
//   float:   text gives its leading decimal number ("0.7abc" is 0.7), C locale whatever the
//            process locale; numbers as they are.
// Pure functions, safe on any thread.
#pragma once

#include <QVariant>

#include <cstdint>

namespace OVValueConversion {

bool toBool(const QVariant &value);
int64_t toInteger(const QVariant &value);
double toDouble(const QVariant &value);
inline float toFloat(const QVariant &value) { return float(toDouble(value)); }

/// Whether the value holds a number (any integer or floating-point type; not bool).
bool isNumber(const QVariant &value);
/// The truth value of a text: false for "", "0" and "no" in any case; true for anything else.
bool boolValue(QStringView text);
/// The leading integer of a text (see above).
int64_t integerValue(QStringView text);
/// The leading decimal number of a text (see above).
double doubleValue(QStringView text);

} // namespace OVValueConversion
