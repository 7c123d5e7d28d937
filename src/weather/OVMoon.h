// The moon's phase for a date, and moonrise and moonset for a local date at a place.
//
// One shared instance holds the scratch state of the rise/set search and a one-day phase
// cache; every public operation goes through the class operations, which lock it for their
// whole run, so any thread may call them. Phase: 0 new, 0.25 first quarter, 0.5 full, 0.75
// last quarter; it may slightly exceed 1 just before a new moon (callers rely on that).
#pragma once

#include "weather/OVLocation.h"

#include <QDateTime>
#include <QTimeZone>

#include <array>
#include <cstdint>
#include <mutex>

class OVMoon
{
public:
    /// Rise or set clock time of the last search; -1 when none.
    struct ClockTime
    {
        int32_t hour = -1;
        int32_t minute = -1;
    };
    /// Right ascension (radians), declination (radians), distance (Earth radii).
    struct SkyPosition
    {
        double rightAscension = 0;
        double declination = 0;
        double distance = 0;
    };

    static OVMoon &sharedInstance();

    /// Phase at the date (the same value for every hour of one GMT day after the first
    /// request); 0 for an invalid date or zone.
    static double moonPhase(const QDateTime &date, const QTimeZone &zone);
    /// Moonrise / moonset on the date's calendar day in the place's zone; an invalid QDateTime
    /// when the moon does not rise (set) that day, for an invalid date or for unset coordinates.
    static QDateTime moonrise(const QDateTime &date, const OVLocation &location);
    static QDateTime moonset(const QDateTime &date, const OVLocation &location);

    /// Julian day number at 0h of the date's calendar day in the zone (1 Jan 2000 -> 2451544.5).
    static double julianDay(const QDateTime &date, const QTimeZone &zone);
    /// Local sidereal time (radians) at local midnight: `longitude` in turns, `julianDay`
    /// days from J2000, `zone` the day fraction to add to local time to reach UT.
    static double localSiderealTime(double longitude, double julianDay, double zone);
    /// Geocentric moon at `julianDay` days from J2000 (low-precision series).
    static SkyPosition moonForJulianDay(double julianDay);
    /// Quadratic through (0, f0), (0.5, f1), (1, f2) at p.
    static double interpolate(double f0, double f1, double f2, double p);
    /// Sun's ecliptic longitude (degrees) at `day` days from JD 2444238.5.
    static double sunPosition(double day);
    /// Moon's ecliptic longitude (degrees) at `day` days from JD 2444238.5.
    static double moonPosition(double day, double sunPosition);

    double rawMoonPhase(const QDateTime &date, const QTimeZone &zone);
    QDateTime rawMoonrise(const QDateTime &date, const OVLocation &location);
    QDateTime rawMoonset(const QDateTime &date, const OVLocation &location);

private:
    OVMoon() = default;

    enum class Event { Rise, Set };
    QDateTime rawMoonEvent(const QDateTime &date, const OVLocation &location, Event event);
    // Fills mRiseTime and mSetTime for the date's local day.
    void riseSet(const QDateTime &date, const OVLocation &location);
    // Looks for a horizon crossing within hour `hour` of the local day.
    void testMoon(int hour, double siderealTime, double latitude, double distance);
    double phaseOfDay(double day) const;

    std::mutex mMutex;
    ClockTime mRiseTime;
    ClockTime mSetTime;
    std::array<double, 3> mRightAscension{}; // start of the hour, (spare), end of the hour
    std::array<double, 3> mDeclination{};    // start, middle and end of the hour
    std::array<double, 3> mAltitude{};       // altitude function at start, middle and end
    double mCacheDay = -1.0e12;              // days from JD 2444238.5 of the cached phase
    double mCachePhase = 0;
};
