// The conversions the settings store applies when a caller asks for a truth value, an integer or
// a float: one rule set for stored and in-memory values alike.
//
//   bool:    text through OVStringUtil::boolValue; numbers and booleans are true when non-zero;
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

/// The leading integer of a text (see above).
int64_t integerValue(QStringView text);
/// The leading decimal number of a text (see above).
double doubleValue(QStringView text);

} // namespace OVValueConversion
