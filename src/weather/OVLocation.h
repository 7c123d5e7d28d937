// A place: names, codes, time zone and coordinates.
//
// The base of OVWeatherLocation; it also forms the coordinate part of the key under which the
// data services know a place. Coordinates and elevation are OVNoValue (-1000) until set; the
// time zone reads as the zero-offset zone "GMT" until one is stored.
//
// Threads: the string fields may be read and written from any thread; coordinates and the zone
// belong to the main thread.
#pragma once

#include "platform/OVClock.h"

#include <QString>
#include <QTimeZone>

#include <memory>
#include <mutex>
#include <optional>

class OVLocation : public std::enable_shared_from_this<OVLocation>
{
public:
    OVLocation();
    virtual ~OVLocation();

    OVLocation(const OVLocation &) = delete;
    OVLocation &operator=(const OVLocation &) = delete;

    QString zipCode() const;
    void setZipCode(const QString &zipCode);
    QString city() const;
    void setCity(const QString &city);
    QString stateCode() const;
    void setStateCode(const QString &stateCode);
    QString stateName() const;
    void setStateName(const QString &stateName);
    QString countryCode() const;
    void setCountryCode(const QString &countryCode);
    QString countryName() const;
    void setCountryName(const QString &countryName);

    /// Degrees north; OVNoValue while unknown.
    double latitude() const { return mLatitude; }
    void setLatitude(double latitude) { mLatitude = latitude; }
    /// Degrees east; OVNoValue while unknown.
    double longitude() const { return mLongitude; }
    void setLongitude(double longitude) { mLongitude = longitude; }
    double elevation() const { return mElevation; }
    void setElevation(double elevation) { mElevation = elevation; }
    void setLatitude(double latitude, double longitude);

    /// The stored zone, or the zero-offset zone "GMT" when none is stored (never invalid).
    QTimeZone locationTimeZone() const;
    /// True once a zone has been stored.
    bool hasLocationTimeZone() const;
    /// Stores the zone (an invalid one clears it). A zone with the same id as the stored one
    /// changes nothing; any other change posts "OVNotifyTimeNeedsDisplay" with this location
    /// (a std::shared_ptr<OVLocation>, null when the location is not shared-owned) as object.
    void setLocationTimeZone(const QTimeZone &zone);
    /// The IANA name of `locationTimeZone` ("GMT" when none is stored).
    QString locationTimeZoneName() const;
    /// A null name clears the zone; an unknown name clears it too.
    void setLocationTimeZoneName(const QString &name);

    /// "%.2f,%.2f,%d": latitude, longitude and the stored zone's offset from GMT in whole
    /// minutes at the clock's present instant (0 without a stored zone).
    virtual QString brisantDescription(const OVClock &clock = OVClock::system()) const;
    /// "37.323° N, 122.032° W"; "n/a" for a coordinate beyond ±90 / ±180.
    QString latLonString() const;
    /// City, state and country joined with ", "; the coordinates when all are empty.
    QString locationString() const;
    /// Debugging text.
    virtual QString description() const;

    /// The zero-offset zone every unset location reads as.
    static QTimeZone gmtZone();
    static QString gmtZoneName();

protected:
    /// Reads and writes a text field under the location's lock (subclasses' fields too).
    QString lockedRead(const QString &field) const;
    void lockedWrite(QString &field, const QString &value);

private:
    mutable std::mutex mMutex;
    QString mZipCode;
    QString mCity;
    QString mStateCode;
    QString mStateName;
    QString mCountryCode;
    QString mCountryName;
    std::optional<QTimeZone> mTimeZone;
    double mLatitude;
    double mLongitude;
    double mElevation;
};
