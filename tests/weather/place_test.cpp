// The place record: display texts, its time zone and the coordinate key.
#include "support/FakeClock.h"
#include "support/TestHelpers.h"
#include "weather/OVLocation.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

std::shared_ptr<OVLocation> placeAt(double latitude, double longitude, const char *zone = nullptr)
{
    auto location = std::make_shared<OVLocation>();
    location->setLatitude(latitude, longitude);
    if (zone)
        location->setLocationTimeZoneName(QString::fromLatin1(zone));
    return location;
}

QDateTime utc(int year, int month, int day)
{
    return QDateTime(QDate(year, month, day), QTime(12, 0), QTimeZone::utc());
}

} // namespace

TEST(Location, AFreshPlaceIsUnsetEverywhere)
{
    const auto location = std::make_shared<OVLocation>();
    EXPECT_TRUE(location->city().isNull());
    EXPECT_TRUE(location->countryCode().isNull());
    EXPECT_EQ(location->latitude(), -1000.0);
    EXPECT_EQ(location->elevation(), -1000.0);
    EXPECT_FALSE(location->hasLocationTimeZone());
    EXPECT_EQ(location->locationTimeZone().offsetFromUtc(utc(2024, 7, 1)), 0);
    EXPECT_EQ(location->locationTimeZoneName(), QStringLiteral("GMT"));
    EXPECT_EQ(location->brisantDescription(), QStringLiteral("-1000.00,-1000.00,0"));
    EXPECT_EQ(location->latLonString(), QStringLiteral("n/a, n/a"));
    EXPECT_EQ(location->locationString(), QStringLiteral("n/a, n/a"));
}

TEST(Location, CoordinateKeyCarriesTheZonesPresentOffsetInMinutes)
{
    struct Case
    {
        const char *name;
        double latitude;
        double longitude;
        const char *zone;
        QDateTime now;
        const char *key;
    };
    const Case cases[] = {
        {"Cupertino in July", 37.3229, -122.0322, "America/Los_Angeles", utc(2024, 7, 1), "37.32,-122.03,-420"},
        {"Cupertino in January", 37.3229, -122.0322, "America/Los_Angeles", utc(2024, 1, 15), "37.32,-122.03,-480"},
        {"Kolkata", 22.5726, 88.3639, "Asia/Kolkata", utc(2024, 7, 1), "22.57,88.36,330"},
        {"St John's, half an hour behind", 47.5615, -52.7126, "America/St_Johns", utc(2024, 1, 15), "47.56,-52.71,-210"},
        {"no zone stored", 51.5074, -0.1278, nullptr, utc(2024, 7, 1), "51.51,-0.13,0"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeClock clock(c.now);
        EXPECT_EQ(placeAt(c.latitude, c.longitude, c.zone)->brisantDescription(clock),
                  QString::fromLatin1(c.key));
    }
}

TEST(Location, DisplayTexts)
{
    EXPECT_EQ(placeAt(-33.8688, 151.2093)->latLonString(), QStringLiteral("33.869° S, 151.209° E"));
    EXPECT_EQ(placeAt(90.5, -180.0)->latLonString(), QStringLiteral("n/a, 180.000° W"));

    struct Case
    {
        const char *name;
        QString city, stateName, stateCode, countryName, countryCode;
        const char *expected;
    };
    const Case cases[] = {
        {"city and country name", "Paris", {}, {}, "France", "FR", "Paris, France"},
        {"no city", {}, "Ontario", "ON", "Canada", {}, ", Ontario, Canada"},
        {"codes stand in for missing names", "Portland", {}, "OR", {}, "US", "Portland, OR, US"},
        {"an empty name is not replaced by its code", "Lyon", "", "ARA", "", "FR", "Lyon"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        OVLocation location;
        location.setCity(c.city);
        location.setStateName(c.stateName);
        location.setStateCode(c.stateCode);
        location.setCountryName(c.countryName);
        location.setCountryCode(c.countryCode);
        EXPECT_EQ(location.locationString(), QString::fromUtf8(c.expected));
    }
}

TEST(Location, ChangingTheZoneAnnouncesTheLocationOnce)
{
    const auto location = std::make_shared<OVLocation>();
    NotificationWaiter waiter(QStringLiteral("OVNotifyTimeNeedsDisplay"));
    location->setLocationTimeZoneName(QStringLiteral("Europe/Paris"));
    ASSERT_EQ(waiter.count(), 1);
    EXPECT_EQ(waiter.received().first().object.value<std::shared_ptr<OVLocation>>(), location);

    // The same zone again (by name or as a zone object) changes nothing.
    location->setLocationTimeZoneName(QStringLiteral("Europe/Paris"));
    location->setLocationTimeZone(QTimeZone("Europe/Paris"));
    EXPECT_EQ(waiter.count(), 1);

    location->setLocationTimeZone(QTimeZone("Europe/Berlin"));
    EXPECT_EQ(waiter.count(), 2);
    EXPECT_EQ(location->locationTimeZoneName(), QStringLiteral("Europe/Berlin"));

    // An unknown name leaves the place without a zone.
    location->setLocationTimeZoneName(QStringLiteral("Nowhere/Atlantis"));
    EXPECT_FALSE(location->hasLocationTimeZone());
    EXPECT_EQ(location->locationTimeZoneName(), QStringLiteral("GMT"));
}
