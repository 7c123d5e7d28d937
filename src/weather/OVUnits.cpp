// The unit types' setting reads, conversions and symbols.
#include "weather/OVUnits.h"

#include "core/NBPrefController.h"
#include "core/NBRegisteredDefaults.h"

namespace OVUnits {

namespace {

template <typename Unit>
Unit setting(QLatin1String key)
{
    return fromCode<Unit>(NBPrefController::integerForKey(key));
}

} // namespace

OVTemperatureUnit temperatureSetting()
{
    return setting<OVTemperatureUnit>(NBSettingKey::temperatureUnits);
}
OVWindSpeedUnit windSpeedSetting()
{
    return setting<OVWindSpeedUnit>(NBSettingKey::windSpeedUnits);
}
OVPressureUnit pressureSetting()
{
    return setting<OVPressureUnit>(NBSettingKey::pressureUnits);
}
OVDistanceUnit distanceSetting()
{
    return setting<OVDistanceUnit>(NBSettingKey::distanceUnits);
}
OVHeightUnit heightSetting()
{
    return setting<OVHeightUnit>(NBSettingKey::heightUnits);
}

double fromCelsius(double celsius, OVTemperatureUnit unit)
{
    switch (unit) {
    case OVTemperatureUnit::Fahrenheit: return fahrenheitFromCelsius(float(celsius));
    case OVTemperatureUnit::Kelvin: return kelvinFromCelsius(float(celsius));
    default: return celsius;
    }
}

double fromFahrenheit(double fahrenheit, OVTemperatureUnit unit)
{
    switch (unit) {
    case OVTemperatureUnit::Celsius: return celsiusFromFahrenheit(float(fahrenheit));
    case OVTemperatureUnit::Kelvin: return kelvinFromFahrenheit(float(fahrenheit));
    default: return fahrenheit;
    }
}

double fromKnots(double knots, OVWindSpeedUnit unit)
{
    switch (unit) {
    case OVWindSpeedUnit::MilesPerHour: return milesPerHourFromKnots(float(knots));
    case OVWindSpeedUnit::KilometersPerHour: return kilometersPerHourFromKnots(float(knots));
    case OVWindSpeedUnit::MetersPerSecond: return metersPerSecondFromKnots(float(knots));
    default: return knots;
    }
}

double fromMillibars(double millibars, OVPressureUnit unit)
{
    switch (unit) {
    case OVPressureUnit::InchesOfMercury: return inchesOfMercuryFromMillibars(float(millibars));
    case OVPressureUnit::Hectopascals: return float(millibars);
    case OVPressureUnit::Kilopascals: return kilopascalsFromMillibars(float(millibars));
    default: return millibars;
    }
}

QString temperatureSymbol(OVTemperatureUnit unit)
{
    return unit == OVTemperatureUnit::Kelvin ? QStringLiteral("K") : QStringLiteral("\u00B0");
}

const char *windSpeedWord(OVWindSpeedUnit unit)
{
    switch (unit) {
    case OVWindSpeedUnit::MilesPerHour: return "mph";
    case OVWindSpeedUnit::KilometersPerHour: return "km/h";
    case OVWindSpeedUnit::Knots: return "knots";
    default: return "m/s";
    }
}

const char *windSpeedAbbreviation(OVWindSpeedUnit unit)
{
    switch (unit) {
    case OVWindSpeedUnit::MilesPerHour: return "mph";
    case OVWindSpeedUnit::KilometersPerHour: return "km/h";
    case OVWindSpeedUnit::Knots: return "kts";
    default: return "m/s";
    }
}

} // namespace OVUnits
