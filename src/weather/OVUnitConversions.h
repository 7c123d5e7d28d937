// Unit conversions between the units the weather side stores (Celsius, Fahrenheit, knots,
// inches, feet, millibars, degrees) and the units a user may choose.
//
// The single-precision functions widen their argument, compute in double precision and narrow
// the result once, so a value converted here matches the same value converted anywhere else.
// They know nothing of the missing-value marker: a caller holding -1000 tests for it first.
#pragma once

float fahrenheitFromCelsius(float celsius);
float kelvinFromCelsius(float celsius);
float celsiusFromFahrenheit(float fahrenheit);
float kelvinFromFahrenheit(float fahrenheit);

float milesPerHourFromKnots(float knots);
float kilometersPerHourFromKnots(float knots);
float metersPerSecondFromKnots(float knots);

float millimetersFromInches(float inches);
float centimetersFromInches(float inches);
float inchesFromMillimeters(float millimeters);
float inchesFromCentimeters(float centimeters);
float metersFromFeet(float feet);
float feetFromMeters(float meters);

float inchesOfMercuryFromMillibars(float millibars);
float kilopascalsFromMillibars(float millibars);

double radiansFromDegrees(double degrees);
double degreesFromRadians(double radians);
