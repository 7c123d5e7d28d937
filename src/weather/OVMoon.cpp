// Moon phase from the sun's and moon's ecliptic longitudes (a short lunar theory), and moonrise
// and moonset by sampling the moon's altitude hour by hour through the local day and solving a
// quadratic inside the hour where its sign changes.
#include "weather/OVMoon.h"

#include "core/NSDateUtil.h"

#include <QDate>

#include <cmath>

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 2.0 * kPi;
constexpr double kRadiansPerDegree = kPi / 180.0;
// Sidereal radians per solar hour.
constexpr double kSiderealPerHour = 0.26251616834300473;
// JD 2444238.5 (1980 Jan 0.0), the epoch of the phase theory.
constexpr double kPhaseEpoch = 2444238.5;
constexpr double kJ2000 = 2451545.0;

double sind(double x) { return std::sin(x * kRadiansPerDegree); }
double cosd(double x) { return std::cos(x * kRadiansPerDegree); }

double fraction(double x) { return x - std::floor(x); }

// x reduced by truncating division by 360 (keeps the sign of x).
double truncated360(double x) { return x - 360.0 * std::trunc(x / 360.0); }

double positive360(double x) { return x < 0 ? x + 360.0 : x; }

bool coordinatesKnown(const OVLocation &location)
{
    return std::fabs(location.latitude()) <= 90.0 && std::fabs(location.longitude()) <= 180.0;
}

// An instant from clock components on a calendar day in a zone; hour 24 rolls into the next day.
QDateTime instantForClock(const QDate &day, int hour, int minute, const QTimeZone &zone)
{
    return NSDateUtil::dateForYear(day.year(), day.month(), day.day(), hour, minute, 0, zone);
}

} // namespace

OVMoon &OVMoon::sharedInstance()
{
    static OVMoon instance;
    return instance;
}

double OVMoon::moonPhase(const QDateTime &date, const QTimeZone &zone)
{
    return sharedInstance().rawMoonPhase(date, zone);
}

QDateTime OVMoon::moonrise(const QDateTime &date, const OVLocation &location)
{
    return sharedInstance().rawMoonrise(date, location);
}

QDateTime OVMoon::moonset(const QDateTime &date, const OVLocation &location)
{
    return sharedInstance().rawMoonset(date, location);
}

double OVMoon::julianDay(const QDateTime &date, const QTimeZone &zone)
{
    const QDate local = date.toTimeZone(zone).date();
    double year = local.year();
    double month = local.month();
    if (month < 3) {
        year -= 1;
        month += 12;
    }
    double b = 0;
    if (local.year() >= 1583) {
        const double a = std::floor(year / 100.0);
        b = 2.0 - a + std::floor(a / 4.0);
    }
    return std::floor(365.25 * (year + 4716.0)) + std::floor(30.6001 * (month + 1.0))
           + local.day() + b - 1524.5;
}

double OVMoon::localSiderealTime(double longitude, double julianDay, double zone)
{
    const double seconds = longitude * 86400.0 + zone * 86636.6
                           + julianDay * 8640184.813 / 36525.0 + 24110.5;
    return fraction(seconds / 86400.0) * kTwoPi;
}

OVMoon::SkyPosition OVMoon::moonForJulianDay(double t)
{
    const double L = fraction(0.606434 + 0.03660110129 * t) * kTwoPi;
    const double M = fraction(0.374897 + 0.03629164709 * t) * kTwoPi;
    const double F = fraction(0.259091 + 0.0367481952 * t) * kTwoPi;
    const double D = fraction(0.827362 + 0.03386319198 * t) * kTwoPi;
    const double N = fraction(0.347343 - 0.00014709391 * t) * kTwoPi;
    const double G = fraction(0.993126 + 0.0027377785 * t) * kTwoPi;

    const double V = 0.39558 * std::sin(F + N) + 0.082 * std::sin(F)
                     + 0.03257 * std::sin(M - F - N) + 0.01092 * std::sin(M + F + N)
                     + 0.00666 * std::sin(M - F) - 0.00644 * std::sin(M + F - 2 * D + N)
                     - 0.00331 * std::sin(F - 2 * D + N) - 0.00304 * std::sin(F - 2 * D)
                     - 0.0024 * std::sin(M - F - 2 * D - N) + 0.00226 * std::sin(M + F)
                     - 0.00108 * std::sin(M + F - 2 * D) - 0.00079 * std::sin(F - N)
                     + 0.00078 * std::sin(F + 2 * D + N);
    const double U = 1 - 0.10828 * std::cos(M) - 0.0188 * std::cos(M - 2 * D)
                     - 0.01479 * std::cos(2 * D) + 0.00181 * std::cos(2 * M - 2 * D)
                     - 0.00147 * std::cos(2 * M) - 0.00105 * std::cos(2 * D - G)
                     - 0.00075 * std::cos(M - 2 * D + G);
    const double W = 0.10478 * std::sin(M) - 0.04105 * std::sin(2 * F + 2 * N)
                     - 0.0213 * std::sin(M - 2 * D) - 0.01779 * std::sin(2 * F + N)
                     + 0.01774 * std::sin(N) + 0.00987 * std::sin(2 * D)
                     - 0.00338 * std::sin(M - 2 * F - 2 * N) - 0.00309 * std::sin(G)
                     - 0.0019 * std::sin(2 * F) - 0.00144 * std::sin(M + N)
                     - 0.00144 * std::sin(M - 2 * F - N) - 0.00113 * std::sin(M + 2 * F + 2 * N)
                     - 0.00094 * std::sin(M - 2 * D + G) - 0.00092 * std::sin(2 * M - 2 * D);

    SkyPosition sky;
    double s = W / std::sqrt(U - V * V);
    sky.rightAscension = L + std::atan(s / std::sqrt(1 - s * s));
    s = V / std::sqrt(U);
    sky.declination = std::atan(s / std::sqrt(1 - s * s));
    sky.distance = 60.40974 * std::sqrt(U);
    return sky;
}

double OVMoon::interpolate(double f0, double f1, double f2, double p)
{
    return f0 + p * (2 * (f1 - f0) + (2 * p - 1) * (f2 - 2 * f1 + f0));
}

double OVMoon::sunPosition(double day)
{
    const double meanLongitude = truncated360(0.9856473320990837 * day);
    double meanAnomaly = meanLongitude - 3.762863;
    if (meanAnomaly < 0)
        meanAnomaly += 360.0;
    meanAnomaly *= kRadiansPerDegree;

    // Kepler's equation by Newton steps; the cap only guards against a non-finite input.
    constexpr double kEccentricity = 0.016718;
    double eccentricAnomaly = meanAnomaly;
    for (int step = 0; step < 50; ++step) {
        const double delta =
            eccentricAnomaly - kEccentricity * std::sin(eccentricAnomaly) - meanAnomaly;
        eccentricAnomaly -= delta / (1 - kEccentricity * std::cos(eccentricAnomaly));
        if (std::fabs(delta) < 1e-12)
            break;
    }
    const double trueAnomaly =
        114.59155902616465 * std::atan(1.01686011182 * std::tan(eccentricAnomaly / 2));
    return truncated360(trueAnomaly + 282.596403);
}

double OVMoon::moonPosition(double day, double sunLongitude)
{
    const double meanLongitude = positive360(truncated360(13.176396 * day + 64.975464));
    const double meanAnomaly = truncated360(meanLongitude - 0.1114041 * day - 349.383063);
    const double sunAnomaly = positive360(0.985647332099 * day - 3.762863);
    const double evection = 1.2739 * sind(2 * (meanLongitude - sunLongitude) - meanAnomaly);
    const double annual = 0.1858 * sind(sunAnomaly);
    const double correctedAnomaly = meanAnomaly + evection - annual - 0.37 * sind(sunAnomaly);
    const double corrected = meanLongitude + evection + 6.2886 * sind(correctedAnomaly) - annual
                             + 0.214 * sind(2 * correctedAnomaly);
    return corrected + 0.6583 * sind(2 * (corrected - sunLongitude));
}

double OVMoon::phaseOfDay(double day) const
{
    const double sun = sunPosition(day);
    const double age = moonPosition(day, sun) - sun;
    const double illuminated = (1 - cosd(age)) / 2;
    const double normalised = age - 360.0 * std::floor(age / 360.0);
    const bool waning = (int(normalised / 45.0) & 4) != 0;
    return (waning ? 2 - illuminated : illuminated) / 2;
}

double OVMoon::rawMoonPhase(const QDateTime &date, const QTimeZone &zone)
{
    if (!date.isValid() || !zone.isValid())
        return 0;
    std::lock_guard lock(mMutex);
    const QTimeZone gmt = OVLocation::gmtZone();
    const int hour = date.toTimeZone(gmt).time().hour();
    const double day = julianDay(date, gmt) - kPhaseEpoch;
    // One value per GMT calendar day: the dial asks on every redraw.
    if (std::fabs(day - mCacheDay) < 0.05)
        return mCachePhase;
    mCacheDay = day;
    const double p0 = phaseOfDay(day);
    double p1 = phaseOfDay(day + 1);
    if (p1 < p0)
        p1 += 1;
    mCachePhase = p0 + hour / 24.0 * (p1 - p0);
    return mCachePhase;
}

void OVMoon::testMoon(int hour, double siderealTime, double latitude, double distance)
{
    if (mRightAscension[0] > mRightAscension[2])
        mRightAscension[2] += kTwoPi;
    mDeclination[1] = (mDeclination[0] + mDeclination[2]) / 2;
    const double horizon = cosd(90.567 - 41.685 / distance);
    const double hourStart = siderealTime - mRightAscension[0] + hour * kSiderealPerHour;
    const double hourEnd = siderealTime - mRightAscension[2] + hour * kSiderealPerHour
                           + kSiderealPerHour;
    const double sinLat = std::sin(latitude);
    const double cosLat = std::cos(latitude);
    if (hour == 0) {
        mAltitude[0] = std::sin(mDeclination[0]) * sinLat
                       + std::cos(mDeclination[0]) * cosLat * std::cos(hourStart) - horizon;
    }
    mAltitude[2] = std::sin(mDeclination[2]) * sinLat
                   + std::cos(mDeclination[2]) * cosLat * std::cos(hourEnd) - horizon;
    const double v0 = mAltitude[0];
    const double v2 = mAltitude[2];
    if ((v0 >= 0) == (v2 >= 0))
        return;

    const double hourMiddle = (hourStart + hourEnd) / 2;
    const double v1 = std::sin(mDeclination[1]) * sinLat
                      + std::cos(mDeclination[1]) * cosLat * std::cos(hourMiddle) - horizon;
    const double a = 2 * v0 + 2 * v2 - 4 * v1;
    const double b = 4 * v1 - 3 * v0 - v2;
    double discriminant = b * b - 4 * a * v0;
    if (discriminant < 0)
        return;
    discriminant = std::sqrt(discriminant);
    double e = (-b + discriminant) / (2 * a);
    if (e > 1 || e < 0)
        e = (-b - discriminant) / (2 * a);
    // Half a minute added so that the floor below rounds to the nearest minute.
    const double t = hour + e + 0.008333333333333333;
    const int clockHour = int(std::floor(t));
    const int clockMinute = int(std::floor((t - clockHour) * 60));
    if (v0 < 0 && v2 > 0)
        mRiseTime = {clockHour, clockMinute};
    if (v0 > 0 && v2 < 0)
        mSetTime = {clockHour, clockMinute};
}

void OVMoon::riseSet(const QDateTime &date, const OVLocation &location)
{
    const QTimeZone zone = location.locationTimeZone();
    // The exact offset: a whole-hour rounding would shift events by 30 or 15 minutes in zones
    // such as +5:30 and +5:45.
    const double zoneDays = -zone.offsetFromUtc(date) / 86400.0;
    const double day = julianDay(date, zone) - kJ2000;
    const double siderealTime = localSiderealTime(location.longitude() / 360.0, day, zoneDays);
    const double latitude = location.latitude() * kRadiansPerDegree;

    const double start = day + zoneDays;
    const SkyPosition at0 = moonForJulianDay(start);
    const SkyPosition at12 = moonForJulianDay(start + 0.5);
    const SkyPosition at24 = moonForJulianDay(start + 1.0);

    const double ra0 = at0.rightAscension;
    double ra1 = at12.rightAscension;
    double ra2 = at24.rightAscension;
    if (ra0 >= ra1)
        ra1 += kTwoPi;
    if (ra2 <= ra1)
        ra2 += kTwoPi;

    mRightAscension[0] = ra0;
    mDeclination[0] = at0.declination;
    for (int hour = 0; hour < 24; ++hour) {
        const double p = (hour + 1) / 24.0;
        mRightAscension[2] = interpolate(ra0, ra1, ra2, p);
        mDeclination[2] = interpolate(at0.declination, at12.declination, at24.declination, p);
        testMoon(hour, siderealTime, latitude, at12.distance);
        mRightAscension[0] = mRightAscension[2];
        mDeclination[0] = mDeclination[2];
        mAltitude[0] = mAltitude[2];
    }
}

QDateTime OVMoon::rawMoonEvent(const QDateTime &date, const OVLocation &location, Event event)
{
    if (!date.isValid() || !coordinatesKnown(location))
        return QDateTime();
    std::lock_guard lock(mMutex);
    ClockTime &time = event == Event::Rise ? mRiseTime : mSetTime;
    time = ClockTime();
    riseSet(date, location);
    if (time.hour == -1 || time.minute == -1)
        return QDateTime();
    const QTimeZone zone = location.locationTimeZone();
    return instantForClock(date.toTimeZone(zone).date(), time.hour, time.minute, zone);
}

QDateTime OVMoon::rawMoonrise(const QDateTime &date, const OVLocation &location)
{
    return rawMoonEvent(date, location, Event::Rise);
}

QDateTime OVMoon::rawMoonset(const QDateTime &date, const OVLocation &location)
{
    return rawMoonEvent(date, location, Event::Set);
}
