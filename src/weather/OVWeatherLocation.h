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
#include <optional>

class OVWeatherConditions;
class OVWeatherLocationSources;
class QImage;

class OVWeatherLocation : public OVLocation, public OVKeyValue
{
public:
    /// A location that reads its weather from `sources` (null: the standard sources).
    explicit OVWeatherLocation(std::shared_ptr<OVWeatherLocationSources> sources = nullptr);
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
    /// Per-day maxima and minima of the station's observations in the stored time zone.
    QList<OVWeatherConditions> getMaxDataFrom(const QDateTime &start, const QDateTime &end) const;
    QList<OVWeatherConditions> getMinDataFrom(const QDateTime &start, const QDateTime &end) const;

    // --- Current conditions and series (OVWeatherLocationSeries.cpp; main thread) -----------

    /// The newest observation with a temperature (the latest one, else the newest of the last
    /// 3 days), its day flag set from this place; none without a station or such a record.
    std::optional<OVWeatherConditions> getCurrentData() const;
    /// The forecast series of one element key: NDFD's while it has real values and is at most
    /// 16 entries shorter than the forecast data service's hourly series, else the service's.
    QList<QVariantMap> forecastForKey(const QString &key, const QDateTime &startDate = QDateTime(),
                                      const QDateTime &endDate = QDateTime()) const;
    /// True when some entry's integer value under the key is not -1000 (an entry without the
    /// key reads as 0 and counts); false for an empty series.
    static bool forecastHasGoodData(const QList<QVariantMap> &forecast, const QString &key);
    /// Name of the image for the weather now: the latest observation's icon while it is less
    /// than 3 hours old, else the first forecast image (the second when the first is "na"),
    /// else "na.png". A name without a bundled image reads as "na.png".
    QString currentConditionsIconName() const;
    /// The bundled image of `currentConditionsIconName`.
    QImage currentConditionsIcon() const;
    /// One record per `intervalSeconds` slot from start to end (slots aligned to the interval
    /// from midnight UTC): observations before now, forecasts from now on. None for a missing
    /// date, an interval below 60 s or an end before the start.
    std::optional<QList<OVWeatherConditions>>
    conditionsBetweenStartDate(const QDateTime &startDate, const QDateTime &endDate,
                               double intervalSeconds) const;
    /// The record of one slot: a copy of the closest observation (none before the first one) for
    /// a past slot; for a slot now or later, values interpolated in the NDFD steps, else in the
    /// service's rows, and precipitation prorated over the interval before the slot.
    std::optional<OVWeatherConditions>
    assembleConditionsForDate(const QDateTime &date, double intervalSeconds,
                              const QList<OVWeatherConditions> &pastConditions,
                              const QList<QVariantMap> &ndfdForecast,
                              const QList<QVariantMap> &brisantForecast) const;
    /// The amount of `key` falling into start..end: each period with "startDate" and "endDate"
    /// contributes its value times the share of it inside the range; -1000 when none overlaps
    /// or a date is missing.
    static double adjustedSumForTimeRange(const QDateTime &startDate, const QDateTime &endDate,
                                          const QList<QVariantMap> &forecast, const QString &key);

    OVWeatherLocationSources &dataSources() const;

    /// Key-value access under the property names (the location database's row key map).
    QVariant valueForKey(const QString &key) const override;
    void setValue(const QVariant &value, const QString &key) override;

private:
    int64_t mLocationID = 0;
    QString mIcao;
    int32_t mMyPiecesLeft = 0;
    QVariantMap mAppSettings;
    std::shared_ptr<OVWeatherLocationSources> mSources;
};
