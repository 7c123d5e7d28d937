// The units a user may choose, one type per quantity, with their typed setting reads,
// conversions from the stored units and their symbols.
//
// Each enumerator's value is the integer stored under the quantity's setting, so settings files
// keep their codes. The preferences only ever store a named code, but a hand-edited file may hold
// any integer: a read carries it through unchanged (`OVUnits::fromCode`), and each reader decides
// what it shows for a code it does not name (most fall to the last unit they know); `isNamed`
// tells such a code apart. Nothing outside this header compares a bare unit code.
#pragma once

#include "weather/OVUnitConversions.h"

#include <QString>

#include <cstdint>

/// `temperatureUnits`.
enum class OVTemperatureUnit : int32_t { Fahrenheit = 0, Celsius = 1, Kelvin = 2 };
/// `windSpeedUnits`.
enum class OVWindSpeedUnit : int32_t { MilesPerHour = 0, KilometersPerHour = 1, Knots = 2, MetersPerSecond = 3 };
/// `pressureUnits`.
enum class OVPressureUnit : int32_t { InchesOfMercury = 0, Hectopascals = 1, Kilopascals = 2, Millibars = 3 };
/// `distanceUnits`: miles; any other code kilometres.
enum class OVDistanceUnit : int32_t { Miles = 0, Kilometers = 1 };
/// `heightUnits` (precipitation, snowfall, wave height; not registered, absent reads 0): inches
/// and feet, or millimetres, centimetres and metres.
enum class OVHeightUnit : int32_t { InchesAndFeet = 0, Metric = 1 };

namespace OVUnits {

/// A stored code as its unit, carried unchanged even when it names none.
template <typename Unit>
constexpr Unit fromCode(int64_t code)
{
    return static_cast<Unit>(static_cast<int32_t>(code));
}

/// The code stored for a unit.
template <typename Unit>
constexpr int32_t code(Unit unit)
{
    return static_cast<int32_t>(unit);
}

/// Whether a unit read from the settings is one the preferences can choose.
constexpr bool isNamed(OVTemperatureUnit unit)
{
    return unit == OVTemperatureUnit::Fahrenheit || unit == OVTemperatureUnit::Celsius ||
           unit == OVTemperatureUnit::Kelvin;
}
constexpr bool isNamed(OVWindSpeedUnit unit)
{
    return unit == OVWindSpeedUnit::MilesPerHour || unit == OVWindSpeedUnit::KilometersPerHour ||
           unit == OVWindSpeedUnit::Knots || unit == OVWindSpeedUnit::MetersPerSecond;
}
constexpr bool isNamed(OVHeightUnit unit)
{
    return unit == OVHeightUnit::InchesAndFeet || unit == OVHeightUnit::Metric;
}

// --- The settings, read at each call (the user may change them at any time) ---------------------

OVTemperatureUnit temperatureSetting();
OVWindSpeedUnit windSpeedSetting();
OVPressureUnit pressureSetting();
OVDistanceUnit distanceSetting();
OVHeightUnit heightSetting();

// --- Conversions from the stored units --------------------------------------------------------
// Through the single-precision conversions, so a value matches the same value converted
// elsewhere. An unnamed code leaves the value in its stored unit.

/// Celsius in `unit`.
double fromCelsius(double celsius, OVTemperatureUnit unit);
/// Fahrenheit in `unit`.
double fromFahrenheit(double fahrenheit, OVTemperatureUnit unit);
/// Knots in `unit`.
double fromKnots(double knots, OVWindSpeedUnit unit);
/// Millibars in `unit`; hectopascals narrowed to single precision as the other conversions are.
double fromMillibars(double millibars, OVPressureUnit unit);

// --- Symbols ---------------------------------------------------------------------------------

/// The symbol a temperature scale or reading ends with: "K" for Kelvin, the degree sign else.
QString temperatureSymbol(OVTemperatureUnit unit);
/// The speed's word in running text ("mph", "km/h", "knots", "m/s"; "m/s" for an unnamed code),
/// in English: callers localise the format it goes into.
const char *windSpeedWord(OVWindSpeedUnit unit);
/// The speed's short word beside a number ("mph", "km/h", "kts", "m/s"; "m/s" for an unnamed
/// code), in English.
const char *windSpeedAbbreviation(OVWindSpeedUnit unit);

} // namespace OVUnits
