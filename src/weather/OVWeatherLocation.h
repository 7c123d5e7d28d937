// A monitored place: an OVLocation plus the place's database id, the ICAO code of the station
// whose observations belong to it, and its per-location settings. Gives its saved form (the
// 13-key OVLocationDictionary kept in the user default `locations`), the service key under which
// the data services file its data, whether the NDFD clients serve it, and URL template filling.
//
// Rows of the location database become weather locations through the key-value interface (the
// row's texts go to the string setters); `registerLocationFactory` makes the database produce
// them and is called once at start.
//
// Threads: as OVLocation; the station code is guarded, the settings and id belong to the main
// thread.
#pragma once

#include "core/OVKeyValue.h"
#include "weather/OVLocation.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariantMap>

#include <cstdint>
#include <memory>

class OVWeatherConditions;

class OVWeatherLocation : public OVLocation, public OVKeyValue
{
public:
    OVWeatherLocation();
    /// Completes on the shared weather controller every load piece this location counted and
    /// did not complete, so that an update pass in progress can still reach 100 percent.
    ~OVWeatherLocation() override;

    /// A location restored from its saved form. Strings and the zone are taken as saved; a
    /// present coordinate is read as a single-precision float; a missing coordinate stays -1000.
    static std::shared_ptr<OVWeatherLocation> fromLocationDictionary(const QVariantMap &dictionary);
    /// The saved form: "location_id" (32-bit), "appsettings", "timezonename" and the three
    /// coordinates (single-precision floats, -1000 when unset) always; "icao" and the six place
    /// strings when set.
    QVariantMap locationDictionary() const;

    /// Makes the location database build its place rows as OVWeatherLocation objects.
    static void registerLocationFactory();

    int64_t locationID() const { return mLocationID; }
    void setLocationID(int64_t locationID) { mLocationID = locationID; }
    QString icao() const;
    void setIcao(const QString &icao);

    void setAppSetting(const QVariant &value, const QString &key);
    /// A null QVariant when nothing is stored under the key.
    QVariant appSettingForKey(const QString &key) const;
    QVariantMap appSettings() const { return mAppSettings; }

    /// Load pieces this location counted on the weather controller and has not completed.
    int32_t myPiecesLeft() const { return mMyPiecesLeft; }
    void setMyPiecesLeft(int32_t pieces) { mMyPiecesLeft = pieces; }

    /// True unless the country code is exactly "US", "GU" or "PR" (no code is international).
    bool internationalLocation() const;

    /// The coordinate key, followed by ",ICAO,<code>" when the station code is not empty.
    QString brisantDescription(const OVClock &clock = OVClock::system()) const override;

    /// A copy of the template with the place's fields in place of "[city]", "[state]",
    /// "[country_name]", "[country_code]", "[zip_code]", "[latitude]", "[longitude]", "[icao]",
    /// "[time_zone]", "[time_zone_minute_offset]" and "[locale]". Each value is percent-encoded
    /// (UTF-8, all but the RFC 3986 unreserved characters) so that it stays one query value; a
    /// placeholder whose field is not set stays in the text.
    QString replaceFieldsInURLString(const QString &urlTemplate,
                                     const OVClock &clock = OVClock::system()) const;

    /// Text setters for database rows. Empty or null text: id 0, coordinates -1000. The id is
    /// read as a 64-bit integer (ids name journal files, so none may change); coordinates as
    /// the leading decimal number, in single precision.
    void setLocationIdString(const QString &text);
    void setLatitudeString(const QString &text);
    void setLongitudeString(const QString &text);
    void setElevationString(const QString &text);

    QString description() const override;

    /// Observations of the location's station between the dates, oldest first, from the shared
    /// observations database; empty without a station or a database. Any thread.
    QList<OVWeatherConditions> getDataFrom(const QDateTime &start, const QDateTime &end) const;
    /// getDataFrom(now moved back `days` calendar days in the system zone, now).
    QList<OVWeatherConditions> getDataForLastDays(int32_t days,
                                                  const OVClock &clock = OVClock::system()) const;

    /// Key-value access under the property names (the location database's row key map).
    QVariant valueForKey(const QString &key) const override;
    void setValue(const QVariant &value, const QString &key) override;

private:
    int64_t mLocationID = 0;
    QString mIcao;
    int32_t mMyPiecesLeft = 0;
    QVariantMap mAppSettings;
};
