// The weather conditions record: checked and converted values, derived values (humidity, wind
// chill, heat index, feels-like), the sky layers, the day flag and the dictionary form.
#include "weather/OVWeatherConditions.h"

#include "core/OVConstants.h"
#include "core/OVSQLite3DB.h"
#include "platform/OVValueConversion.h"
#include "weather/OVLocation.h"
#include "weather/OVSun.h"
#include "weather/OVUnitConversions.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double kKnotsPerMPS = 1.9438445;
constexpr double kMilesPerKilometer = 0.621371192;
constexpr double kMillibarsPerInchOfMercury = 33.863867253640365;
constexpr double kInchesOfMercuryPerMillibar = 0.02953;
constexpr double kMPHPerKnot = 1.15077945;
constexpr double kKPHPerKnot = 1.852;
constexpr double kMPSPerKnot = 0.51444445;
constexpr double kKilometersPerMile = 1.609344;
constexpr double kMetersPerInch = 0.0254;

bool isMissing(double value)
{
    return value == OVNoValue;
}

double checked(double value, double lowest, double highest)
{
    return value < lowest || value > highest ? OVNoValue : value;
}

/// `value * factor`, keeping the missing marker.
double scaled(double value, double factor)
{
    return isMissing(value) ? OVNoValue : value * factor;
}

/// A unit conversion of the shared single-precision set, keeping the missing marker.
double converted(double value, float (*conversion)(float))
{
    return isMissing(value) ? OVNoValue : double(conversion(float(value)));
}

double numberFromText(const QString &text)
{
    if (text.isEmpty())
        return OVNoValue;
    return double(float(OVValueConversion::doubleValue(text)));
}

// Saturation vapour pressure (hPa) over water, in single precision.
float saturationPressure(double celsius)
{
    return float(6.11 * std::pow(10.0, 7.5 * celsius / (237.7 + celsius)));
}

} // namespace

// --- Checked getters ---------------------------------------------------------------------------

double OVWeatherConditions::windDirection() const
{
    return checked(mWindDirection, -2.0, 360.0);
}

double OVWeatherConditions::windSpeedKnots() const
{
    return checked(mWindSpeedKnots, 0.0, 300.0);
}

double OVWeatherConditions::gustSpeedKnots() const
{
    return checked(mGustSpeedKnots, 0.0, 300.0);
}

double OVWeatherConditions::visibilityMiles() const
{
    return checked(mVisibilityMiles, 0.0, 200.0);
}

double OVWeatherConditions::temperatureC() const
{
    return checked(mTemperatureC, -274.0, 100.0);
}

double OVWeatherConditions::dewpointC() const
{
    if (!isMissing(mTemperatureC) && mTemperatureC < mDewpointC)
        return OVNoValue;
    return checked(mDewpointC, -274.0, 100.0);
}

double OVWeatherConditions::pressureHPA() const
{
    return checked(mPressureMB, 800.0, 1200.0);
}

double OVWeatherConditions::pressureKPA() const
{
    return scaled(pressureHPA(), 0.1);
}

// --- Setters in other units --------------------------------------------------------------------

void OVWeatherConditions::setWindSpeedMPS(double metersPerSecond)
{
    mWindSpeedKnots = scaled(metersPerSecond, kKnotsPerMPS);
}

void OVWeatherConditions::setGustSpeedMPS(double metersPerSecond)
{
    mGustSpeedKnots = scaled(metersPerSecond, kKnotsPerMPS);
}

void OVWeatherConditions::setVisibilityKilometers(double kilometers)
{
    mVisibilityMiles = scaled(kilometers, kMilesPerKilometer);
}

void OVWeatherConditions::setTemperatureF(double fahrenheit)
{
    mTemperatureC = converted(fahrenheit, celsiusFromFahrenheit);
}

void OVWeatherConditions::setDewpointF(double fahrenheit)
{
    mDewpointC = converted(fahrenheit, celsiusFromFahrenheit);
}

void OVWeatherConditions::setPressureHPA(double hectopascals)
{
    mPressureMB = hectopascals;
}

void OVWeatherConditions::setPressureIn(double inchesOfMercury)
{
    mPressureMB = scaled(inchesOfMercury, kMillibarsPerInchOfMercury);
}

void OVWeatherConditions::setWindDirectionString(const QString &text)
{
    mWindDirection = numberFromText(text);
}

void OVWeatherConditions::setWindSpeedKnotsString(const QString &text)
{
    mWindSpeedKnots = numberFromText(text);
}

void OVWeatherConditions::setGustSpeedKnotsString(const QString &text)
{
    mGustSpeedKnots = numberFromText(text);
}

void OVWeatherConditions::setVisibilityMilesString(const QString &text)
{
    mVisibilityMiles = numberFromText(text);
}

void OVWeatherConditions::setTemperatureCString(const QString &text)
{
    mTemperatureC = numberFromText(text);
}

void OVWeatherConditions::setDewpointCString(const QString &text)
{
    mDewpointC = numberFromText(text);
}

void OVWeatherConditions::setPressureMBString(const QString &text)
{
    mPressureMB = numberFromText(text);
}

void OVWeatherConditions::setH1PrecipitationInchesString(const QString &text)
{
    mH1PrecipitationInches = numberFromText(text);
}

void OVWeatherConditions::setH3PrecipitationInchesString(const QString &text)
{
    mH3PrecipitationInches = numberFromText(text);
}

void OVWeatherConditions::setH6PrecipitationInchesString(const QString &text)
{
    mH6PrecipitationInches = numberFromText(text);
}

void OVWeatherConditions::setH24PrecipitationInchesString(const QString &text)
{
    mH24PrecipitationInches = numberFromText(text);
}

void OVWeatherConditions::setSnowDepthInchesString(const QString &text)
{
    mSnowDepthInches = numberFromText(text);
}

void OVWeatherConditions::setSolarRadiationString(const QString &text)
{
    mSolarRadiation = numberFromText(text);
}

void OVWeatherConditions::setDateString(const QString &text)
{
    mDate = text.isEmpty() ? QDateTime() : OVSQLite3DB::dateForString(text);
}

// --- Converted getters -------------------------------------------------------------------------

double OVWeatherConditions::pressureIn() const
{
    return scaled(mPressureMB, kInchesOfMercuryPerMillibar);
}

double OVWeatherConditions::windSpeedMPH() const
{
    return scaled(windSpeedKnots(), kMPHPerKnot);
}

double OVWeatherConditions::gustSpeedMPH() const
{
    return scaled(gustSpeedKnots(), kMPHPerKnot);
}

double OVWeatherConditions::windSpeedKPH() const
{
    return scaled(windSpeedKnots(), kKPHPerKnot);
}

double OVWeatherConditions::gustSpeedKPH() const
{
    return scaled(gustSpeedKnots(), kKPHPerKnot);
}

double OVWeatherConditions::windSpeedMPS() const
{
    return scaled(windSpeedKnots(), kMPSPerKnot);
}

double OVWeatherConditions::gustSpeedMPS() const
{
    return scaled(gustSpeedKnots(), kMPSPerKnot);
}

double OVWeatherConditions::visibilityKilometers() const
{
    return scaled(visibilityMiles(), kKilometersPerMile);
}

double OVWeatherConditions::temperatureF() const
{
    return converted(temperatureC(), fahrenheitFromCelsius);
}

double OVWeatherConditions::dewpointF() const
{
    return converted(dewpointC(), fahrenheitFromCelsius);
}

double OVWeatherConditions::temperatureK() const
{
    return converted(temperatureC(), kelvinFromCelsius);
}

double OVWeatherConditions::dewpointK() const
{
    return converted(dewpointC(), kelvinFromCelsius);
}

double OVWeatherConditions::h1PrecipitationMeters() const
{
    return scaled(mH1PrecipitationInches, kMetersPerInch);
}

// --- Derived values ----------------------------------------------------------------------------

double OVWeatherConditions::relativeHumidity() const
{
    const double t = temperatureC();
    const double d = dewpointC();
    if (isMissing(t) || isMissing(d))
        return OVNoValue;
    return double(saturationPressure(d)) / double(saturationPressure(t)) * 100.0;
}

double OVWeatherConditions::windChillF() const
{
    const double t = temperatureF();
    const double v = windSpeedMPH();
    if (isMissing(t) || isMissing(v))
        return OVNoValue;
    if (std::fabs(t) > 50.0)
        return t;
    const double v16 = std::pow(v, 0.16);
    return 35.74 + 0.6215 * t - 35.75 * v16 + 0.4275 * t * v16;
}

double OVWeatherConditions::heatIndexF() const
{
    const double t = temperatureF();
    const double r = relativeHumidity();
    if (isMissing(t) || isMissing(r))
        return OVNoValue;
    if (t < 80.0)
        return t;
    const double t2 = t * t, t3 = t2 * t, r2 = r * r, r3 = r2 * r;
    return 16.923 + 0.185212 * t + 5.37941 * r - 0.100254 * t * r + 0.00941695 * t2
           + 0.00728898 * r2 + 0.000345372 * t2 * r - 0.000814971 * t * r2
           + 1.02102e-5 * t2 * r2 - 3.8646e-5 * t3 + 2.91583e-5 * r3 + 1.42721e-6 * t3 * r
           + 1.97483e-7 * t * r3 - 2.18429e-8 * t3 * r2 + 8.43296e-10 * t2 * r3
           - 4.81975e-11 * t3 * r3;
}

double OVWeatherConditions::feelsLikeF() const
{
    const double t = temperatureF();
    const double chill = windChillF();
    if (!isMissing(chill) && chill < t)
        return chill;
    const double heat = heatIndexF();
    if (!isMissing(heat) && heat > t)
        return heat;
    return t;
}

double OVWeatherConditions::windChillC() const
{
    return converted(windChillF(), celsiusFromFahrenheit);
}

double OVWeatherConditions::heatIndexC() const
{
    return converted(heatIndexF(), celsiusFromFahrenheit);
}

double OVWeatherConditions::feelsLikeC() const
{
    return converted(feelsLikeF(), celsiusFromFahrenheit);
}

double OVWeatherConditions::windChillK() const
{
    return converted(windChillF(), kelvinFromFahrenheit);
}

double OVWeatherConditions::heatIndexK() const
{
    return converted(heatIndexF(), kelvinFromFahrenheit);
}

double OVWeatherConditions::feelsLikeK() const
{
    return converted(feelsLikeF(), kelvinFromFahrenheit);
}

// --- Values by unit code -----------------------------------------------------------------------

namespace {

/// The reading of a temperature record in `unit`: °F, °C, and Kelvin for any other code.
double inTemperatureUnit(OVTemperatureUnit unit, double fahrenheit, double celsius, double kelvin)
{
    switch (unit) {
    case OVTemperatureUnit::Fahrenheit: return fahrenheit;
    case OVTemperatureUnit::Celsius: return celsius;
    default: return kelvin;
    }
}

/// The reading of a speed record in `unit`: m/s for any code not named.
double inWindSpeedUnit(OVWindSpeedUnit unit, double mph, double kph, double knots, double mps)
{
    switch (unit) {
    case OVWindSpeedUnit::MilesPerHour: return mph;
    case OVWindSpeedUnit::KilometersPerHour: return kph;
    case OVWindSpeedUnit::Knots: return knots;
    default: return mps;
    }
}

} // namespace

double OVWeatherConditions::temperatureWithUnits(OVTemperatureUnit unit) const
{
    return inTemperatureUnit(unit, temperatureF(), temperatureC(), temperatureK());
}

double OVWeatherConditions::dewpointWithUnits(OVTemperatureUnit unit) const
{
    return inTemperatureUnit(unit, dewpointF(), dewpointC(), dewpointK());
}

double OVWeatherConditions::windChillWithUnits(OVTemperatureUnit unit) const
{
    return inTemperatureUnit(unit, windChillF(), windChillC(), windChillK());
}

double OVWeatherConditions::heatIndexWithUnits(OVTemperatureUnit unit) const
{
    return inTemperatureUnit(unit, heatIndexF(), heatIndexC(), heatIndexK());
}

double OVWeatherConditions::feelsLikeWithUnits(OVTemperatureUnit unit) const
{
    return inTemperatureUnit(unit, feelsLikeF(), feelsLikeC(), feelsLikeK());
}

double OVWeatherConditions::windSpeedWithUnits(OVWindSpeedUnit unit) const
{
    return inWindSpeedUnit(unit, windSpeedMPH(), windSpeedKPH(), windSpeedKnots(), windSpeedMPS());
}

double OVWeatherConditions::gustSpeedWithUnits(OVWindSpeedUnit unit) const
{
    return inWindSpeedUnit(unit, gustSpeedMPH(), gustSpeedKPH(), gustSpeedKnots(), gustSpeedMPS());
}

double OVWeatherConditions::pressureWithUnits(OVPressureUnit unit) const
{
    switch (unit) {
    case OVPressureUnit::InchesOfMercury: return pressureIn();
    case OVPressureUnit::Hectopascals: return pressureHPA();
    case OVPressureUnit::Millibars: return pressureMB();
    default: return pressureKPA();
    }
}

double OVWeatherConditions::visibilityWithUnits(OVDistanceUnit unit) const
{
    return unit == OVDistanceUnit::Miles ? visibilityMiles() : visibilityKilometers();
}

double OVWeatherConditions::h1PrecipitationWithUnits(OVHeightUnit unit) const
{
    return unit == OVHeightUnit::InchesAndFeet ? mH1PrecipitationInches : h1PrecipitationMeters();
}

// --- Sky, day and order ------------------------------------------------------------------------

double OVWeatherConditions::skyCoverPercentage() const
{
    if (mSkyCover.isEmpty())
        return 0.0;
    static const std::pair<const char *, double> kCovers[] = {
        {"OVC", 100.0}, {"BKN", 75.0}, {"SCT", 50.0}, {"FEW", 25.0}};
    for (const auto &[code, percent] : kCovers) {
        if (mSkyCover.contains(QLatin1String(code)))
            return percent;
    }
    return 0.0;
}

std::optional<QVariantList> OVWeatherConditions::skyCoverComponents() const
{
    if (mSkyCover.isNull())
        return std::nullopt;
    if (mSkyCover.contains(QLatin1String("CAVOK")) || mSkyCover.contains(QLatin1String("CLR"))
        || mSkyCover.contains(QLatin1String("SKC")))
        return QVariantList();
    static const QStringList kCoverCodes = {QStringLiteral("OVC"), QStringLiteral("BKN"),
                                            QStringLiteral("SCT"), QStringLiteral("FEW")};
    QList<std::pair<int64_t, QString>> layers;
    for (const QString &part : mSkyCover.split(QLatin1Char(' '))) {
        const auto code = std::find_if(kCoverCodes.cbegin(), kCoverCodes.cend(),
                                       [&](const QString &c) { return part.startsWith(c); });
        if (code == kCoverCodes.cend())
            continue;
        const int64_t hundreds = OVValueConversion::integerValue(QStringView(part).mid(3));
        if (hundreds == 0 || hundreds > std::numeric_limits<int32_t>::max()
            || hundreds < std::numeric_limits<int32_t>::min())
            continue;
        layers.append({hundreds * 100, *code});
    }
    std::stable_sort(layers.begin(), layers.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    QVariantList components;
    for (const auto &[height, code] : layers)
        components.append(QVariantMap{{QStringLiteral("coverage"), code},
                                      {QStringLiteral("height"), QVariant::fromValue(height)}});
    return components;
}

void OVWeatherConditions::setIsDayFromLocation(const OVLocation &location, const OVClock &clock)
{
    if (isMissing(location.latitude()) || isMissing(location.longitude()))
        return;
    const QDateTime now = clock.now();
    const QDateTime sunrise = OVSun::sunrise(now, location);
    const QDateTime sunset = OVSun::sunset(now, location);
    if (!sunrise.isValid()) {
        // Polar night: the sun does not rise today.
        mIsDay = false;
        return;
    }
    mIsDay = now >= sunrise && (!sunset.isValid() || now <= sunset);
}

int OVWeatherConditions::dateComparator(const OVWeatherConditions &first,
                                        const OVWeatherConditions &second)
{
    if (!first.mDate.isValid() || !second.mDate.isValid())
        return 0;
    return first.mDate < second.mDate ? -1 : first.mDate > second.mDate ? 1 : 0;
}
