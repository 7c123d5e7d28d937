// The weather at one instant, observed or forecast: one copyable record that every observation
// store, data client, graph and view shares.
//
// Numbers are kept in base units (knots, statute miles, Celsius, millibars, inches, feet,
// percent, W/m²); OVNoValue (-1000) marks anything missing and stays -1000 through every getter
// and conversion. The checked getters answer -1000 for a stored value outside its physical range
// (the stored value stays). Texts for the views are localised and show "—" for a missing value.
//
// The record is filled from station rows through the key-value interface (the text setters such
// as "windDirectionString"), from METAR reports (OVWeatherConditionsMETAR.cpp), from forecast
// periods, and from its dictionary form kept in the user defaults. A plain value: copy it freely;
// one instance belongs to one thread at a time. The texts that format dates use the shared date
// formatting tool and so belong to the main thread.
#pragma once

#include "core/OVConstants.h"
#include "core/OVKeyValue.h"
#include "platform/OVClock.h"
#include "weather/OVUnits.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTimeZone>
#include <QVariantList>
#include <QVariantMap>

#include <cstdint>
#include <optional>
#include <span>

class OVLocation;
struct OVObservationField;
namespace OVObservationFields {
std::span<const OVObservationField> all();
}

class OVWeatherConditions final : public OVKeyValue
{
public:
    OVWeatherConditions() = default;

    // --- Stored numbers ---------------------------------------------------------------------

    /// Degrees the wind blows from; -1 for variable. Checked: -2 to 360.
    double windDirection() const;
    void setWindDirection(double degrees) { mWindDirection = degrees; }
    /// Checked: 0 to 300 knots.
    double windSpeedKnots() const;
    void setWindSpeedKnots(double knots) { mWindSpeedKnots = knots; }
    double gustSpeedKnots() const;
    void setGustSpeedKnots(double knots) { mGustSpeedKnots = knots; }
    /// Checked: 0 to 200 miles.
    double visibilityMiles() const;
    void setVisibilityMiles(double miles) { mVisibilityMiles = miles; }
    /// Checked: -274 to 100 °C.
    double temperatureC() const;
    void setTemperatureC(double celsius) { mTemperatureC = celsius; }
    double minTemperatureC() const { return mMinTemperatureC; }
    void setMinTemperatureC(double celsius) { mMinTemperatureC = celsius; }
    double maxTemperatureC() const { return mMaxTemperatureC; }
    void setMaxTemperatureC(double celsius) { mMaxTemperatureC = celsius; }
    /// Checked: -274 to 100 °C, and missing when the stored temperature lies below it.
    double dewpointC() const;
    void setDewpointC(double celsius) { mDewpointC = celsius; }
    /// Unchecked.
    double pressureMB() const { return mPressureMB; }
    void setPressureMB(double millibars) { mPressureMB = millibars; }
    double h1PrecipitationInches() const { return mH1PrecipitationInches; }
    void setH1PrecipitationInches(double inches) { mH1PrecipitationInches = inches; }
    double h3PrecipitationInches() const { return mH3PrecipitationInches; }
    void setH3PrecipitationInches(double inches) { mH3PrecipitationInches = inches; }
    double h6PrecipitationInches() const { return mH6PrecipitationInches; }
    void setH6PrecipitationInches(double inches) { mH6PrecipitationInches = inches; }
    double h24PrecipitationInches() const { return mH24PrecipitationInches; }
    void setH24PrecipitationInches(double inches) { mH24PrecipitationInches = inches; }
    double probabilityOfPrecipitation() const { return mProbabilityOfPrecipitation; }
    void setProbabilityOfPrecipitation(double percent) { mProbabilityOfPrecipitation = percent; }
    double solarRadiation() const { return mSolarRadiation; }
    void setSolarRadiation(double wattsPerSquareMeter) { mSolarRadiation = wattsPerSquareMeter; }
    double cloudCoverPercent() const { return mCloudCoverPercent; }
    void setCloudCoverPercent(double percent) { mCloudCoverPercent = percent; }
    double snowPrecipitationInches() const { return mSnowPrecipitationInches; }
    void setSnowPrecipitationInches(double inches) { mSnowPrecipitationInches = inches; }
    double snowDepthInches() const { return mSnowDepthInches; }
    void setSnowDepthInches(double inches) { mSnowDepthInches = inches; }
    double waveHeightFeet() const { return mWaveHeightFeet; }
    void setWaveHeightFeet(double feet) { mWaveHeightFeet = feet; }

    // --- Coded weather, texts and the instant -----------------------------------------------

    /// METAR codes of the three weather groups: intensity ("-", "+", "VC" or ""), descriptor
    /// ("MI", "PR", "BC", "DR", "BL", "SH", "TS", "FZ") and type ("RA", "BR", ...); null when
    /// never set.
    QString precipitationIntensity() const { return mPrecipitationIntensity; }
    void setPrecipitationIntensity(const QString &code) { mPrecipitationIntensity = code; }
    QString precipitationDescriptor() const { return mPrecipitationDescriptor; }
    void setPrecipitationDescriptor(const QString &code) { mPrecipitationDescriptor = code; }
    QString precipitationType() const { return mPrecipitationType; }
    void setPrecipitationType(const QString &code) { mPrecipitationType = code; }
    QString obscurationIntensity() const { return mObscurationIntensity; }
    void setObscurationIntensity(const QString &code) { mObscurationIntensity = code; }
    QString obscurationDescriptor() const { return mObscurationDescriptor; }
    void setObscurationDescriptor(const QString &code) { mObscurationDescriptor = code; }
    QString obscurationType() const { return mObscurationType; }
    void setObscurationType(const QString &code) { mObscurationType = code; }
    QString otherPhenomenaIntensity() const { return mOtherPhenomenaIntensity; }
    void setOtherPhenomenaIntensity(const QString &code) { mOtherPhenomenaIntensity = code; }
    QString otherPhenomenaDescriptor() const { return mOtherPhenomenaDescriptor; }
    void setOtherPhenomenaDescriptor(const QString &code) { mOtherPhenomenaDescriptor = code; }
    QString otherPhenomenaType() const { return mOtherPhenomenaType; }
    void setOtherPhenomenaType(const QString &code) { mOtherPhenomenaType = code; }
    /// The report's sky groups separated by single spaces ("FEW030 BKN250").
    QString skyCover() const { return mSkyCover; }
    void setSkyCover(const QString &groups) { mSkyCover = groups; }
    /// The weather icon's image name: the stored one, else chosen from sky, weather and
    /// temperature (night form when it is not day) and stored.
    QString iconName() const;
    void setIconName(const QString &name) { mIconName = name; }
    /// The icon to show: `iconName` when the application has an image for it, else the one
    /// chosen from the record's own weather, sky and temperature (a service may name an image
    /// the icon set lacks, such as "rain.png").
    QString displayIconName() const;
    QString longDescription() const { return mLongDescription; }
    void setLongDescription(const QString &text) { mLongDescription = text; }
    bool isDay() const { return mIsDay; }
    void setIsDay(bool isDay) { mIsDay = isDay; }
    /// The instant (UTC); invalid when unknown.
    QDateTime date() const { return mDate; }
    void setDate(const QDateTime &date) { mDate = date; }

    // --- Setters in other units (each keeps -1000) ------------------------------------------

    void setWindSpeedMPS(double metersPerSecond);
    void setGustSpeedMPS(double metersPerSecond);
    void setVisibilityKilometers(double kilometers);
    void setTemperatureF(double fahrenheit);
    void setDewpointF(double fahrenheit);
    void setPressureHPA(double hectopascals);
    void setPressureIn(double inchesOfMercury);

    /// Text setters for station rows: null or empty text stores -1000, other text its
    /// single-precision value.
    void setWindDirectionString(const QString &text);
    void setWindSpeedKnotsString(const QString &text);
    void setGustSpeedKnotsString(const QString &text);
    void setVisibilityMilesString(const QString &text);
    void setTemperatureCString(const QString &text);
    void setDewpointCString(const QString &text);
    void setPressureMBString(const QString &text);
    void setH1PrecipitationInchesString(const QString &text);
    void setH3PrecipitationInchesString(const QString &text);
    void setH6PrecipitationInchesString(const QString &text);
    void setH24PrecipitationInchesString(const QString &text);
    void setSnowDepthInchesString(const QString &text);
    void setSolarRadiationString(const QString &text);
    /// The 14-digit UTC date text of the databases; null or empty clears the date.
    void setDateString(const QString &text);

    // --- Checked and converted getters (-1000 when the source is missing) -------------------

    /// Missing outside 800 to 1200 mb.
    double pressureHPA() const;
    double pressureKPA() const;
    /// From the stored millibars, unchecked.
    double pressureIn() const;
    double windSpeedMPH() const;
    double gustSpeedMPH() const;
    double windSpeedKPH() const;
    double gustSpeedKPH() const;
    double windSpeedMPS() const;
    double gustSpeedMPS() const;
    double visibilityKilometers() const;
    double temperatureF() const;
    double dewpointF() const;
    double temperatureK() const;
    double dewpointK() const;
    double h1PrecipitationMeters() const;

    /// Relative humidity (percent) from temperature and dew point.
    double relativeHumidity() const;
    /// Wind chill (°F); the temperature itself beyond ±50 °F.
    double windChillF() const;
    /// Heat index (°F); the temperature itself below 80 °F.
    double heatIndexF() const;
    /// Wind chill when below the temperature, else heat index when above it, else the
    /// temperature (°F).
    double feelsLikeF() const;
    double windChillC() const;
    double heatIndexC() const;
    double feelsLikeC() const;
    double windChillK() const;
    double heatIndexK() const;
    double feelsLikeK() const;

    // --- Values in the user's units (an unnamed code reads as the last unit named below) -------

    /// °F, °C, other K.
    double temperatureWithUnits(OVTemperatureUnit unit) const;
    double dewpointWithUnits(OVTemperatureUnit unit) const;
    double windChillWithUnits(OVTemperatureUnit unit) const;
    double heatIndexWithUnits(OVTemperatureUnit unit) const;
    double feelsLikeWithUnits(OVTemperatureUnit unit) const;
    /// mph, km/h, knots, other m/s.
    double windSpeedWithUnits(OVWindSpeedUnit unit) const;
    double gustSpeedWithUnits(OVWindSpeedUnit unit) const;
    /// inHg, hPa, kPa, mb, other kPa.
    double pressureWithUnits(OVPressureUnit unit) const;
    /// miles, other km.
    double visibilityWithUnits(OVDistanceUnit unit) const;
    /// inches, other metres.
    double h1PrecipitationWithUnits(OVHeightUnit unit) const;

    // --- Texts for the views (OVWeatherConditionsText.cpp) ---------------------------------

    QString temperatureStringWithUnits(OVTemperatureUnit unit) const;
    QString integerTemperatureStringWithUnits(OVTemperatureUnit unit) const;
    QString dewpointStringWithUnits(OVTemperatureUnit unit) const;
    QString feelsLikeTemperatureStringWithUnits(OVTemperatureUnit unit) const;
    QString integerFeelsLikeTemperatureStringWithUnits(OVTemperatureUnit unit) const;
    QString windChillStringWithUnits(OVTemperatureUnit unit) const;
    QString heatIndexStringWithUnits(OVTemperatureUnit unit) const;
    QString humidityString() const;
    QString skyCoverPercentageString() const;
    QString visibilityStringWithUnits(OVDistanceUnit unit) const;
    QString shortPressureStringWithUnits(OVPressureUnit unit) const;
    QString pressureStringWithUnits(OVPressureUnit unit) const;
    /// "N" ... "NW", "Variable" or "—".
    QString windDirectionString() const;
    QString windSpeedStringWithUnits(OVWindSpeedUnit unit) const;
    QString gustSpeedStringWithUnits(OVWindSpeedUnit unit) const;
    QString windStringWithUnits(OVWindSpeedUnit unit) const;
    QString shortCombinedSpeedStringWithUnits(OVWindSpeedUnit unit, bool showUnitsString = true) const;
    QString conditionsStringWithTemperatureUnits(OVTemperatureUnit temperatureUnit,
                                                 OVWindSpeedUnit windUnit) const;
    /// Main thread only (shared date formatters).
    QString dateStringUsingTimeZone(const QTimeZone &zone, bool timeOnly) const;
    QString description() const;

    // --- Sky, day and order -----------------------------------------------------------------

    /// 100, 75, 50 or 25 for the first of OVC, BKN, SCT, FEW in the sky text; else 0.
    double skyCoverPercentage() const;
    /// The cloud layers as {"coverage": code, "height": feet} sorted by height; empty for a clear
    /// sky (CAVOK, CLR, SKC); none without a sky text.
    std::optional<QVariantList> skyCoverComponents() const;
    /// Day unless the clock's now lies before the location's sunrise or after its sunset. No
    /// sunrise (polar night) is night, no sunset after sunrise (polar day) is day; a location
    /// without coordinates leaves the flag as it is.
    void setIsDayFromLocation(const OVLocation &location, const OVClock &clock = OVClock::system());
    /// -1, 0 or 1 by date; 0 when either date is missing.
    static int dateComparator(const OVWeatherConditions &first, const OVWeatherConditions &second);

    // --- Dictionary form (OVWeatherConditionsDictionary) ------------------------------------

    QVariantMap dictionaryRepresentation() const;
    /// A record with every field of the form that `dictionary` holds; other fields default.
    static OVWeatherConditions initWithDictionary(const QVariantMap &dictionary);

    // --- Key-value interface ----------------------------------------------------------------

    QVariant valueForKey(const QString &key) const override;
    void setValue(const QVariant &value, const QString &key) override;

    // --- METAR decoding (OVWeatherConditionsMETAR.cpp) --------------------------------------

    /// A record decoded from one METAR report of `stationName`; none when the text is not a
    /// report of that station or has no valid day-and-time group. "Today" comes from `clock`
    /// in UTC. `location` is not read.
    static std::optional<OVWeatherConditions>
    weatherConditionsFromMETAR(const QString &metar, const QString &stationName,
                               const OVLocation *location = nullptr,
                               const OVClock &clock = OVClock::system());
    /// Index of the first field from index 1 on that is non-empty and matches `regex`;
    /// OVNotFound for none or for a null or empty pattern.
    static int64_t findString(const QString &regex, const QStringList &fields);

    /// Group decoders. Each reads the fields of a report split at spaces; one that finds no
    /// group leaves its fields as they are.
    bool setDayAndTimeFromMETARFields(const QStringList &fields, const QTimeZone &zone,
                                      const OVClock &clock = OVClock::system());
    /// The date of day-of-month `day` at `time` (HHMM) in `zone`: this month, or the previous
    /// one when today's day of month (from `clock`, in `zone`; UTC when invalid) is smaller
    /// than `day`.
    void setDay(int32_t day, int32_t time, const QTimeZone &zone,
                const OVClock &clock = OVClock::system());
    void setWindDirectionFromMETARFields(const QStringList &fields);
    void setWindSpeedFromMETARFields(const QStringList &fields);
    void setGustSpeedFromMETARFields(const QStringList &fields);
    void setVisibilityFromMETARFields(const QStringList &fields);
    void setTemperatureFromMETARFields(const QStringList &fields);
    void setDewpointFromMETARFields(const QStringList &fields);
    void setPressureFromMETARFields(const QStringList &fields);
    /// The precipitation amounts (P, 3, 6, 7 and 4/ groups) and the three weather groups
    /// (precipitation, obscuration, other phenomena).
    void setPrecipitationFromMETARFields(const QStringList &fields);
    void setSkyCoverFromMETARFields(const QStringList &fields);

    // --- Forecasts and icons (OVWeatherConditionsForecast.cpp) ------------------------------

    /// A record from an hourly forecast period (OVForecastPeriod keys); absent keys stay
    /// missing.
    static OVWeatherConditions initWithForecastDictionary(const QVariantMap &period);
    /// A record from a daily forecast period: temperature from "temp", icon from "image" with
    /// ".png" ("na.png" without one). The dew point stays missing.
    static OVWeatherConditions weatherConditionsFromForecastDictionary(const QVariantMap &period);
    /// Night and day forms of an icon name, used only when the application has that image.
    static QString nightEquivalentOfIcon(const QString &iconName);
    static QString dayEquivalentOfIcon(const QString &iconName);

private:
    // The field table names the members (see OVObservationFields.h).
    friend std::span<const OVObservationField> OVObservationFields::all();

    QString chooseIconName() const;

    double mWindDirection = OVNoValue;
    double mWindSpeedKnots = OVNoValue;
    double mGustSpeedKnots = OVNoValue;
    double mVisibilityMiles = OVNoValue;
    double mTemperatureC = OVNoValue;
    double mMinTemperatureC = OVNoValue;
    double mMaxTemperatureC = OVNoValue;
    double mDewpointC = OVNoValue;
    double mPressureMB = OVNoValue;
    double mH1PrecipitationInches = OVNoValue;
    double mH3PrecipitationInches = OVNoValue;
    double mH6PrecipitationInches = OVNoValue;
    double mH24PrecipitationInches = OVNoValue;
    double mProbabilityOfPrecipitation = OVNoValue;
    double mSolarRadiation = OVNoValue;
    QString mPrecipitationIntensity;
    QString mPrecipitationDescriptor;
    QString mPrecipitationType;
    QString mObscurationIntensity;
    QString mObscurationDescriptor;
    QString mObscurationType;
    QString mOtherPhenomenaIntensity;
    QString mOtherPhenomenaDescriptor;
    QString mOtherPhenomenaType;
    QString mSkyCover;
    double mCloudCoverPercent = OVNoValue;
    double mSnowPrecipitationInches = OVNoValue;
    double mSnowDepthInches = OVNoValue;
    double mWaveHeightFeet = OVNoValue;
    /// Chosen on first read when none was set.
    mutable QString mIconName;
    QString mLongDescription;
    bool mIsDay = true;
    QDateTime mDate;
};
