// Sunrise, sunset, twilight times and day length for a calendar date at a place.
//
// The calendar date is read in the place's time zone; latitude and longitude are degrees, north
// and east positive. Event times are instants (UTC QDateTime); an invalid QDateTime means the
// event does not happen that day. Day lengths are hours. Stateless: callable from any thread.
//
// Kept for callers that rely on it: in polar night the sunset answers local solar noon (the
// sunrise none); in polar day the sunrise answers solar noon - 12 h (the sunset none).
#pragma once

#include "weather/OVLocation.h"

#include <QDateTime>

#include <cstdint>

class OVSun
{
public:
    OVSun() = delete;

    /// Altitudes (degrees) of the sun's centre at the four kinds of event.
    static constexpr double kHorizonAltitude = -35.0 / 60.0;
    static constexpr double kCivilAltitude = -6.0;
    static constexpr double kNauticalAltitude = -12.0;
    static constexpr double kAstronomicalAltitude = -18.0;

    /// The sun's upper limb at -35' (refraction included).
    static QDateTime sunrise(const QDateTime &date, const OVLocation &location);
    static QDateTime sunset(const QDateTime &date, const OVLocation &location);
    static double dayLength(const QDateTime &date, const OVLocation &location);

    /// The sun's centre at -6°.
    static QDateTime sunriseWithCivilTwilight(const QDateTime &date, const OVLocation &location);
    static QDateTime sunsetWithCivilTwilight(const QDateTime &date, const OVLocation &location);
    static double dayLengthWithCivilTwilight(const QDateTime &date, const OVLocation &location);

    /// The sun's centre at -12°.
    static QDateTime sunriseWithNauticalTwilight(const QDateTime &date, const OVLocation &location);
    static QDateTime sunsetWithNauticalTwilight(const QDateTime &date, const OVLocation &location);
    static double dayLengthWithNauticalTwilight(const QDateTime &date, const OVLocation &location);

    /// The sun's centre at -18°.
    static QDateTime sunriseWithAstronomicalTwilight(const QDateTime &date,
                                                     const OVLocation &location);
    static QDateTime sunsetWithAstronomicalTwilight(const QDateTime &date,
                                                    const OVLocation &location);
    static double dayLengthWithAstronomicalTwilight(const QDateTime &date,
                                                    const OVLocation &location);

    /// Rise and set of a given altitude; none for an invalid date or unset coordinates.
    static QDateTime rawSunrise(const QDateTime &date, const OVLocation &location,
                                double sunTransitionAltitude, bool useUpperLimb);
    static QDateTime rawSunset(const QDateTime &date, const OVLocation &location,
                               double sunTransitionAltitude, bool useUpperLimb);
    /// Hours the sun stays above the altitude; 0 for an invalid date or unset coordinates.
    static double rawDayLength(const QDateTime &date, const OVLocation &location,
                               double sunTransitionAltitude, bool useUpperLimb);

    /// The numeric core. Stores rise and set as UT hours of the given day (may lie below 0 or
    /// above 24) and answers -1 when the sun stays below the altitude all day (both hours at
    /// solar noon), +1 when it stays above (rise and set 12 h either side of noon), else 0.
    static int32_t calculateSunriseAndSunset(int year, int month, int day, double latitude,
                                             double longitude, double sunTransitionAltitude,
                                             bool useUpperLimb, double *storeSunrise,
                                             double *storeSunset);
    static double dayLength(int year, int month, int day, double latitude, double longitude,
                            double sunTransitionAltitude, bool useUpperLimb);

    /// Days from 2000 Jan 0.0 UT of a calendar date (integer arithmetic).
    static int64_t daysSince2000Jan0(int year, int month, int day);
    /// Sun's true ecliptic longitude (degrees) and distance (AU) at day number `day`.
    static void calculateSunPosition(double day, double *longitude, double *radius);
    /// Sun's right ascension and declination (degrees) and distance (AU) at day number `day`.
    static void calculateRelativeAngle(double day, double *rightAscension, double *declination,
                                       double *solarDistance);
    static double reduceAngleTo360(double degrees);
    static double reduceAngleTo180(double degrees);
    /// Greenwich mean sidereal time at 0h UT, in degrees.
    static double gmst0(double day);
};
