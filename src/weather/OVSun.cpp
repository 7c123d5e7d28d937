// Sun events by the low-precision solar theory of the day-number method: the sun's position at
// local solar noon, one hour angle for the wanted altitude, rise and set symmetric about noon.
#include "weather/OVSun.h"

#include "core/NSDateUtil.h"

#include <QDate>
#include <QTimeZone>

#include <cmath>
#include <optional>

namespace {

constexpr double kRadiansPerDegree = 3.141592653589793 / 180.0;
constexpr double kDegreesPerRadian = 180.0 / 3.141592653589793;
constexpr double kSunRadiusAtOneAU = 0.2666;

double sind(double x) { return std::sin(x * kRadiansPerDegree); }
double cosd(double x) { return std::cos(x * kRadiansPerDegree); }
double atan2d(double y, double x) { return kDegreesPerRadian * std::atan2(y, x); }
double acosd(double x) { return kDegreesPerRadian * std::acos(x); }

bool coordinatesKnown(const OVLocation &location)
{
    return std::fabs(location.latitude()) <= 90.0 && std::fabs(location.longitude()) <= 180.0;
}

// The calendar day whose events are wanted: the date's day in the place's zone, moved by whole
// days where the zone runs more than half a day ahead of (or behind) the longitude's solar
// time, so that the events computed about that day's solar noon fall on the local date.
std::optional<QDate> eventDay(const QDateTime &date, const OVLocation &location)
{
    if (!date.isValid() || !coordinatesKnown(location))
        return std::nullopt;
    const QTimeZone zone = location.locationTimeZone();
    const QDate local = date.toTimeZone(zone).date();
    const double offsetHours = zone.offsetFromUtc(date) / 3600.0;
    const double solarHours = location.longitude() / 15.0;
    return local.addDays(std::lround((solarHours - offsetHours) / 24.0));
}

// An instant from UT hours on a calendar day; hours below 0 or above 23 roll into the
// neighbouring day. Hour, minute and second are each truncated toward zero (a negative time
// keeps its sign in every component).
QDateTime instantForUTHours(const QDate &day, double hours)
{
    const int hour = int(std::trunc(hours));
    const double minutes = (hours - hour) * 60.0;
    const int minute = int(std::trunc(minutes));
    const int second = int(std::trunc((minutes - minute) * 60.0));
    return NSDateUtil::dateForYear(day.year(), day.month(), day.day(), hour, minute, second,
                                   OVLocation::gmtZone());
}

double altitudeWithLimb(double altitude, bool useUpperLimb, double radius)
{
    return useUpperLimb ? altitude - kSunRadiusAtOneAU / radius : altitude;
}

} // namespace

int64_t OVSun::daysSince2000Jan0(int year, int month, int day)
{
    const int64_t y = year;
    const int64_t m = month;
    return 367 * y - (7 * (y + (m + 9) / 12)) / 4 + (275 * m) / 9 + day - 730530;
}

double OVSun::reduceAngleTo360(double degrees)
{
    return degrees - 360.0 * std::floor(degrees * 0.002777777777777778);
}

double OVSun::reduceAngleTo180(double degrees)
{
    return degrees - 360.0 * std::floor(degrees * 0.002777777777777778 + 0.5);
}

double OVSun::gmst0(double day)
{
    return reduceAngleTo360(818.9874 + 0.985647352 * day);
}

void OVSun::calculateSunPosition(double day, double *longitude, double *radius)
{
    const double meanAnomaly = reduceAngleTo360(356.047 + 0.9856002585 * day);
    const double perihelion = 282.9404 + 4.70935e-5 * day;
    const double eccentricity = 0.016709 - 1.151e-9 * day;
    const double eccentricAnomaly =
        meanAnomaly
        + eccentricity * kDegreesPerRadian * sind(meanAnomaly)
              * (1.0 + eccentricity * cosd(meanAnomaly));
    const double x = cosd(eccentricAnomaly) - eccentricity;
    const double y = sind(eccentricAnomaly) * std::sqrt(1.0 - eccentricity * eccentricity);
    *radius = std::sqrt(x * x + y * y);
    double trueLongitude = atan2d(y, x) + perihelion;
    if (trueLongitude >= 360.0)
        trueLongitude -= 360.0;
    *longitude = trueLongitude;
}

void OVSun::calculateRelativeAngle(double day, double *rightAscension, double *declination,
                                   double *solarDistance)
{
    double longitude = 0;
    calculateSunPosition(day, &longitude, solarDistance);
    double x = *solarDistance * cosd(longitude);
    double y = *solarDistance * sind(longitude);
    const double obliquity = 23.4393 - 3.563e-7 * day;
    const double z = y * sind(obliquity);
    y = y * cosd(obliquity);
    *rightAscension = atan2d(y, x);
    *declination = atan2d(z, std::sqrt(x * x + y * y));
}

int32_t OVSun::calculateSunriseAndSunset(int year, int month, int day, double latitude,
                                         double longitude, double sunTransitionAltitude,
                                         bool useUpperLimb, double *storeSunrise,
                                         double *storeSunset)
{
    const double d = double(daysSince2000Jan0(year, month, day)) + 0.5 - longitude / 360.0;
    const double siderealTime = reduceAngleTo360(gmst0(d) + 180.0 + longitude);
    double rightAscension = 0, declination = 0, radius = 1;
    calculateRelativeAngle(d, &rightAscension, &declination, &radius);
    const double solarNoon = 12.0 - reduceAngleTo180(siderealTime - rightAscension) / 15.0;
    const double altitude = altitudeWithLimb(sunTransitionAltitude, useUpperLimb, radius);
    const double cost = (sind(altitude) - sind(latitude) * sind(declination))
                        / (cosd(latitude) * cosd(declination));
    int32_t result = 0;
    double halfArc = 0;
    if (cost >= 1.0) {
        result = -1;
        halfArc = 0.0;
    } else if (cost <= -1.0) {
        result = 1;
        halfArc = 12.0;
    } else {
        halfArc = acosd(cost) / 15.0;
    }
    *storeSunrise = solarNoon - halfArc;
    *storeSunset = solarNoon + halfArc;
    return result;
}

double OVSun::dayLength(int year, int month, int day, double latitude, double longitude,
                        double sunTransitionAltitude, bool useUpperLimb)
{
    const double d = double(daysSince2000Jan0(year, month, day)) + 0.5 - longitude / 360.0;
    const double obliquity = 23.4393 - 3.563e-7 * d;
    double sunLongitude = 0, radius = 1;
    calculateSunPosition(d, &sunLongitude, &radius);
    const double sinDeclination = sind(obliquity) * sind(sunLongitude);
    const double cosDeclination = std::sqrt(1.0 - sinDeclination * sinDeclination);
    const double altitude = altitudeWithLimb(sunTransitionAltitude, useUpperLimb, radius);
    const double cost = (sind(altitude) - sind(latitude) * sinDeclination)
                        / (cosd(latitude) * cosDeclination);
    if (cost >= 1.0)
        return 0.0;
    if (cost <= -1.0)
        return 24.0;
    return 0.13333333333333333 * acosd(cost);
}

namespace {

// Rise (or set) of the altitude on the event day; none where the sun stays below (above) it.
QDateTime rawEvent(const QDateTime &date, const OVLocation &location, double altitude,
                   bool useUpperLimb, bool rise)
{
    const std::optional<QDate> day = eventDay(date, location);
    if (!day)
        return QDateTime();
    double riseHours = 0, setHours = 0;
    const int32_t result = OVSun::calculateSunriseAndSunset(
        day->year(), day->month(), day->day(), location.latitude(), location.longitude(), altitude,
        useUpperLimb, &riseHours, &setHours);
    if (result == (rise ? -1 : 1))
        return QDateTime();
    return instantForUTHours(*day, rise ? riseHours : setHours);
}

} // namespace

QDateTime OVSun::rawSunrise(const QDateTime &date, const OVLocation &location,
                            double sunTransitionAltitude, bool useUpperLimb)
{
    return rawEvent(date, location, sunTransitionAltitude, useUpperLimb, true);
}

QDateTime OVSun::rawSunset(const QDateTime &date, const OVLocation &location,
                           double sunTransitionAltitude, bool useUpperLimb)
{
    return rawEvent(date, location, sunTransitionAltitude, useUpperLimb, false);
}

double OVSun::rawDayLength(const QDateTime &date, const OVLocation &location,
                           double sunTransitionAltitude, bool useUpperLimb)
{
    const std::optional<QDate> day = eventDay(date, location);
    if (!day)
        return 0.0;
    return dayLength(day->year(), day->month(), day->day(), location.latitude(),
                     location.longitude(), sunTransitionAltitude, useUpperLimb);
}

QDateTime OVSun::sunrise(const QDateTime &date, const OVLocation &location)
{
    return rawSunrise(date, location, kHorizonAltitude, true);
}

QDateTime OVSun::sunset(const QDateTime &date, const OVLocation &location)
{
    return rawSunset(date, location, kHorizonAltitude, true);
}

double OVSun::dayLength(const QDateTime &date, const OVLocation &location)
{
    return rawDayLength(date, location, kHorizonAltitude, true);
}

QDateTime OVSun::sunriseWithCivilTwilight(const QDateTime &date, const OVLocation &location)
{
    return rawSunrise(date, location, kCivilAltitude, false);
}

QDateTime OVSun::sunsetWithCivilTwilight(const QDateTime &date, const OVLocation &location)
{
    return rawSunset(date, location, kCivilAltitude, false);
}

double OVSun::dayLengthWithCivilTwilight(const QDateTime &date, const OVLocation &location)
{
    return rawDayLength(date, location, kCivilAltitude, false);
}

QDateTime OVSun::sunriseWithNauticalTwilight(const QDateTime &date, const OVLocation &location)
{
    return rawSunrise(date, location, kNauticalAltitude, false);
}

QDateTime OVSun::sunsetWithNauticalTwilight(const QDateTime &date, const OVLocation &location)
{
    return rawSunset(date, location, kNauticalAltitude, false);
}

double OVSun::dayLengthWithNauticalTwilight(const QDateTime &date, const OVLocation &location)
{
    return rawDayLength(date, location, kNauticalAltitude, false);
}

QDateTime OVSun::sunriseWithAstronomicalTwilight(const QDateTime &date,
                                                 const OVLocation &location)
{
    return rawSunrise(date, location, kAstronomicalAltitude, false);
}

QDateTime OVSun::sunsetWithAstronomicalTwilight(const QDateTime &date,
                                                const OVLocation &location)
{
    return rawSunset(date, location, kAstronomicalAltitude, false);
}

double OVSun::dayLengthWithAstronomicalTwilight(const QDateTime &date,
                                                const OVLocation &location)
{
    return rawDayLength(date, location, kAstronomicalAltitude, false);
}
