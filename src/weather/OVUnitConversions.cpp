// Unit conversions; see the header for the precision rule.
#include "weather/OVUnitConversions.h"

namespace {

// The double nearest to 5/9; the subtraction of 32 comes first.
constexpr double kFiveNinths = 0.5555555555555556;
constexpr double kPi = 3.141592653589793;

float narrowed(double value)
{
    return static_cast<float>(value);
}

} // namespace

float fahrenheitFromCelsius(float celsius) { return narrowed(double(celsius) * 1.8 + 32.0); }
float kelvinFromCelsius(float celsius) { return narrowed(double(celsius) + 273.15); }
float celsiusFromFahrenheit(float fahrenheit) { return narrowed((double(fahrenheit) - 32.0) * kFiveNinths); }
float kelvinFromFahrenheit(float fahrenheit)
{
    return narrowed((double(fahrenheit) - 32.0) * kFiveNinths + 273.15);
}

float milesPerHourFromKnots(float knots) { return narrowed(double(knots) * 1.15077945); }
float kilometersPerHourFromKnots(float knots) { return narrowed(double(knots) * 1.852); }
float metersPerSecondFromKnots(float knots) { return narrowed(double(knots) * 0.51444445); }

float millimetersFromInches(float inches) { return narrowed(double(inches) * 25.4); }
float centimetersFromInches(float inches) { return narrowed(double(inches) * 2.54); }
float inchesFromMillimeters(float millimeters) { return narrowed(double(millimeters) * 0.0393701); }
float inchesFromCentimeters(float centimeters) { return narrowed(double(centimeters) * 0.393701); }
float metersFromFeet(float feet) { return narrowed(double(feet) * 0.3048); }
float feetFromMeters(float meters) { return narrowed(double(meters) * 3.2808399); }

float inchesOfMercuryFromMillibars(float millibars) { return narrowed(double(millibars) * 0.02953); }
float kilopascalsFromMillibars(float millibars) { return narrowed(double(millibars) * 0.1); }

double radiansFromDegrees(double degrees) { return degrees / 180.0 * kPi; }
double degreesFromRadians(double radians) { return radians / kPi * 180.0; }
