// A place: names, codes, time zone and coordinates.
#include "weather/OVLocation.h"

#include "core/OVConstants.h"
#include "platform/OVNotificationCenter.h"
#include "weather/OVWeatherNotifications.h"

#include <cmath>

namespace {

// Offset of the zone from GMT in whole minutes at `at`, truncated toward zero.
int minuteOffset(const QTimeZone &zone, const QDateTime &at)
{
    return zone.offsetFromUtc(at) / 60;
}

QString coordinateText(double value, double limit, const char *positive, const char *negative)
{
    if (std::fabs(value) > limit)
        return QStringLiteral("n/a");
    return value >= 0 ? QString::asprintf("%.3f° %s", value, positive)
                      : QString::asprintf("%.3f° %s", std::fabs(value), negative);
}

} // namespace

OVLocation::OVLocation()
    : mLatitude(OVNoValue)
    , mLongitude(OVNoValue)
    , mElevation(OVNoValue)
{
}

OVLocation::~OVLocation() = default;

QString OVLocation::lockedRead(const QString &field) const
{
    std::lock_guard lock(mMutex);
    return field;
}

void OVLocation::lockedWrite(QString &field, const QString &value)
{
    std::lock_guard lock(mMutex);
    field = value;
}

QString OVLocation::zipCode() const { return lockedRead(mZipCode); }
void OVLocation::setZipCode(const QString &zipCode) { lockedWrite(mZipCode, zipCode); }
QString OVLocation::city() const { return lockedRead(mCity); }
void OVLocation::setCity(const QString &city) { lockedWrite(mCity, city); }
QString OVLocation::stateCode() const { return lockedRead(mStateCode); }
void OVLocation::setStateCode(const QString &stateCode) { lockedWrite(mStateCode, stateCode); }
QString OVLocation::stateName() const { return lockedRead(mStateName); }
void OVLocation::setStateName(const QString &stateName) { lockedWrite(mStateName, stateName); }
QString OVLocation::countryCode() const { return lockedRead(mCountryCode); }
void OVLocation::setCountryCode(const QString &countryCode) { lockedWrite(mCountryCode, countryCode); }
QString OVLocation::countryName() const { return lockedRead(mCountryName); }
void OVLocation::setCountryName(const QString &countryName) { lockedWrite(mCountryName, countryName); }

void OVLocation::setLatitude(double latitude, double longitude)
{
    mLatitude = latitude;
    mLongitude = longitude;
}

QTimeZone OVLocation::gmtZone()
{
    // tzdata normally has "GMT"; where it does not, UTC stands in and is still reported as "GMT".
    static const QTimeZone zone = [] {
        QTimeZone gmt(QByteArrayLiteral("GMT"));
        return gmt.isValid() ? gmt : QTimeZone::utc();
    }();
    return zone;
}

QString OVLocation::gmtZoneName()
{
    return QStringLiteral("GMT");
}

QTimeZone OVLocation::locationTimeZone() const
{
    std::lock_guard lock(mMutex);
    return mTimeZone ? *mTimeZone : gmtZone();
}

bool OVLocation::hasLocationTimeZone() const
{
    std::lock_guard lock(mMutex);
    return mTimeZone.has_value();
}

void OVLocation::setLocationTimeZone(const QTimeZone &zone)
{
    {
        std::lock_guard lock(mMutex);
        const bool clearing = !zone.isValid();
        if (clearing ? !mTimeZone : (mTimeZone && mTimeZone->id() == zone.id()))
            return;
        if (clearing)
            mTimeZone.reset();
        else
            mTimeZone = zone;
    }
    OVNotificationCenter::defaultCenter().post(
        OVNotifyTimeNeedsDisplay,
        QVariant::fromValue(std::shared_ptr<OVLocation>(weak_from_this().lock())));
}

QString OVLocation::locationTimeZoneName() const
{
    std::lock_guard lock(mMutex);
    if (!mTimeZone || *mTimeZone == gmtZone())
        return gmtZoneName();
    return QString::fromLatin1(mTimeZone->id());
}

void OVLocation::setLocationTimeZoneName(const QString &name)
{
    if (name.isNull()) {
        setLocationTimeZone(QTimeZone());
        return;
    }
    if (name == gmtZoneName()) {
        setLocationTimeZone(gmtZone());
        return;
    }
    setLocationTimeZone(QTimeZone(name.toLatin1()));
}

QString OVLocation::brisantDescription(const OVClock &clock) const
{
    int offsetMinutes = 0;
    {
        std::lock_guard lock(mMutex);
        if (mTimeZone)
            offsetMinutes = minuteOffset(*mTimeZone, clock.now());
    }
    return QString::asprintf("%.2f,%.2f,%d", mLatitude, mLongitude, offsetMinutes);
}

QString OVLocation::latLonString() const
{
    return QStringLiteral("%1, %2")
        .arg(coordinateText(mLatitude, 90.0, "N", "S"), coordinateText(mLongitude, 180.0, "E", "W"));
}

QString OVLocation::locationString() const
{
    QString text;
    {
        std::lock_guard lock(mMutex);
        if (!mCity.isNull())
            text += mCity;
        // A present but empty name is not replaced by its code.
        const QString state = mStateName.isNull() ? mStateCode : mStateName;
        if (!state.isEmpty())
            text += QStringLiteral(", ") + state;
        const QString country = mCountryName.isNull() ? mCountryCode : mCountryName;
        if (!country.isEmpty())
            text += QStringLiteral(", ") + country;
    }
    return text.isEmpty() ? latLonString() : text;
}

QString OVLocation::description() const
{
    QString text = QStringLiteral("OVLocation: ") + city();
    const QString state = stateCode();
    if (!state.isNull())
        text += QStringLiteral("/") + state;
    const QString country = countryCode();
    if (!country.isNull())
        text += QStringLiteral("/") + country;
    return text + QString::asprintf(" (%f, %f)", mLatitude, mLongitude);
}
