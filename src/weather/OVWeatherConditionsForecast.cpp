// Weather conditions from forecast periods, and the choice of the weather icon with its day and
// night forms.
#include "weather/OVWeatherConditions.h"

#include "core/OVConstants.h"
#include "platform/OVValueConversion.h"
#include "weather/OVForecastPeriod.h"
#include "weather/OVUnitConversions.h"
#include "weather/OVWeatherIconImages.h"

#include <cmath>

namespace {

/// The number under `key` in single precision; none when the key is absent or null.
std::optional<double> number(const QVariantMap &period, const QString &key)
{
    const auto it = period.constFind(key);
    if (it == period.cend() || it->isNull())
        return std::nullopt;
    return double(OVValueConversion::toFloat(*it));
}

/// Fahrenheit to Celsius, keeping the missing marker.
double celsius(double fahrenheit)
{
    return fahrenheit == OVNoValue ? OVNoValue : double(celsiusFromFahrenheit(float(fahrenheit)));
}

/// The period's number for the daily record: infinite values are missing.
double dailyNumber(const QVariantMap &period, const QString &key)
{
    const std::optional<double> value = number(period, key);
    return !value || std::isinf(*value) ? OVNoValue : *value;
}

/// `candidate` when the application has its image, else `iconName` unchanged.
QString ifImageExists(const QString &candidate, const QString &iconName)
{
    return OVWeatherIconImages::hasImage(candidate) ? candidate : iconName;
}

} // namespace

OVWeatherConditions OVWeatherConditions::initWithForecastDictionary(const QVariantMap &period)
{
    namespace Key = OVForecastKey;
    OVWeatherConditions conditions;
    const std::optional<double> temperature =
        period.contains(Key::hourlyt) ? number(period, Key::hourlyt) : number(period, Key::temp);
    if (temperature && *temperature != OVNoValue)
        conditions.mTemperatureC = celsius(*temperature);
    const std::pair<const QString &, double OVWeatherConditions::*> temperatures[] = {
        {Key::maxt, &OVWeatherConditions::mMaxTemperatureC},
        {Key::mint, &OVWeatherConditions::mMinTemperatureC},
        {Key::dewpoint, &OVWeatherConditions::mDewpointC},
    };
    for (const auto &[key, field] : temperatures) {
        if (const auto value = number(period, key); value && *value != OVNoValue)
            conditions.*field = celsius(*value);
    }
    const std::pair<const QString &, double OVWeatherConditions::*> numbers[] = {
        {Key::windDirection, &OVWeatherConditions::mWindDirection},
        {Key::windSpeed, &OVWeatherConditions::mWindSpeedKnots},
        {Key::gustSpeed, &OVWeatherConditions::mGustSpeedKnots},
        {Key::liquidPrecip, &OVWeatherConditions::mH1PrecipitationInches},
        {Key::popFromIcon, &OVWeatherConditions::mProbabilityOfPrecipitation},
        {Key::snowPrecip, &OVWeatherConditions::mSnowPrecipitationInches},
        {Key::waveHeight, &OVWeatherConditions::mWaveHeightFeet},
        {Key::cloudCover, &OVWeatherConditions::mCloudCoverPercent},
    };
    for (const auto &[key, field] : numbers) {
        if (const auto value = number(period, key))
            conditions.*field = *value;
    }
    if (const auto isDay = OVForecastPeriod::boolValue(period, Key::isDay))
        conditions.mIsDay = *isDay;
    if (period.contains(Key::date))
        conditions.mDate = OVForecastPeriod::dateValue(period, Key::date);
    if (period.contains(Key::image))
        conditions.mIconName = OVForecastPeriod::stringValue(period, Key::image);
    if (period.contains(Key::fullDesc))
        conditions.mLongDescription = OVForecastPeriod::stringValue(period, Key::fullDesc);
    return conditions;
}

OVWeatherConditions
OVWeatherConditions::weatherConditionsFromForecastDictionary(const QVariantMap &period)
{
    namespace Key = OVForecastKey;
    OVWeatherConditions conditions;
    conditions.setTemperatureF(dailyNumber(period, Key::temp));
    conditions.mProbabilityOfPrecipitation = dailyNumber(period, Key::precip);
    conditions.mWindDirection = dailyNumber(period, Key::windDirection);
    conditions.mWindSpeedKnots = dailyNumber(period, Key::windSpeed);
    QString icon = OVForecastPeriod::stringValue(period, Key::image);
    if (icon.isEmpty())
        icon = QStringLiteral("na");
    if (!icon.endsWith(QLatin1String(".png")))
        icon += QLatin1String(".png");
    conditions.mIconName = icon;
    conditions.mLongDescription = OVForecastPeriod::stringValue(period, Key::fullDesc);
    conditions.mDate = OVForecastPeriod::dateValue(period, Key::startDate);
    return conditions;
}

QString OVWeatherConditions::iconName() const
{
    if (mIconName.isNull())
        mIconName = chooseIconName();
    return mIconName;
}

QString OVWeatherConditions::displayIconName() const
{
    const QString named = iconName();
    return OVWeatherIconImages::hasImage(named) ? named : chooseIconName();
}

QString OVWeatherConditions::chooseIconName() const
{
    const double p = skyCoverPercentage();
    const char *base = p > 95.0   ? "ovc.png"
                       : p > 62.5 ? "bkn.png"
                       : p > 37.5 ? "sct.png"
                       : p > 5.0  ? "few.png"
                                  : "skc.png";
    // A missing temperature is no reading at all: it neither turns rain into a mix nor makes a
    // clear sky cold.
    const double t = mTemperatureC;
    const bool hasTemperature = t != OVNoValue;
    const QString &precipitation = mPrecipitationType;
    const QString &obscuration = mObscurationType;
    const QString &other = mOtherPhenomenaType;
    const auto is = [](const QString &code, const char *value) { return code == QLatin1String(value); };

    const char *icon = nullptr;
    if (is(precipitation, "RA")) {
        if (is(mPrecipitationDescriptor, "TS"))
            icon = p > 62.5 ? "tsra.png" : "hi_tsra.png";
        else if (hasTemperature && t < 1.5)
            icon = "mix.png";
        else if (p > 62.5)
            icon = is(mPrecipitationIntensity, "-") ? "drizzle.png" : "ra.png";
        else
            icon = "hi_shwrs.png";
    } else if (is(precipitation, "DZ")) {
        icon = "drizzle.png";
    } else if (is(precipitation, "GR") || is(precipitation, "GS")) {
        icon = "tsra.png";
    } else if (is(precipitation, "IC") || is(precipitation, "PE")) {
        icon = "ip.png";
    } else if (is(precipitation, "SN")) {
        icon = is(mPrecipitationIntensity, "-") ? "flurries.png" : "sn.png";
    } else if (is(precipitation, "SG")) {
        icon = "flurries.png";
    } else if (is(obscuration, "DU") || is(obscuration, "SA")) {
        icon = "du.png";
    } else if (is(obscuration, "FG") || is(obscuration, "BR")) {
        icon = "fg.png";
    } else if (is(obscuration, "HZ")) {
        icon = "hazy.png";
    } else if (is(obscuration, "FU")) {
        icon = "smoke.png";
    } else if (is(obscuration, "PY")) {
        icon = "wind.png";
    } else if (is(other, "PO") || is(other, "SS")) {
        icon = "du.png";
    } else if (is(other, "FC")) {
        icon = "tsra.png";
    } else if (is(other, "SQ")) {
        icon = "wind.png";
    } else if (mSkyCover.contains(QLatin1String("FEW"))) {
        icon = "few.png";
    } else if (mSkyCover.contains(QLatin1String("SCT"))) {
        icon = "sct.png";
    } else if (mSkyCover.contains(QLatin1String("BKN"))) {
        icon = "bkn.png";
    } else if (mSkyCover.contains(QLatin1String("OVC"))) {
        icon = "ovc.png";
    } else if (hasTemperature && t < 0.0) {
        icon = "cold.png";
    } else if (hasTemperature && t > 32.0) {
        icon = "hot.png";
    } else {
        icon = base;
    }
    const QString name = QLatin1String(icon);
    return mIsDay ? name : nightEquivalentOfIcon(name);
}

QString OVWeatherConditions::nightEquivalentOfIcon(const QString &iconName)
{
    if (iconName == QLatin1String("na"))
        return iconName;
    static const std::pair<const char *, const char *> kSpecial[] = {
        {"hi_shwrs.png", "hi_nshwrs.png"},
        {"hi_shwrs", "hi_nshwrs"},
        {"hi_tsra.png", "nscttsra.png"},
        {"hi_tsra", "nscttsra"},
    };
    for (const auto &[day, night] : kSpecial) {
        if (iconName == QLatin1String(day))
            return ifImageExists(QLatin1String(night), iconName);
    }
    return ifImageExists(QLatin1Char('n') + iconName, iconName);
}

QString OVWeatherConditions::dayEquivalentOfIcon(const QString &iconName)
{
    if (iconName == QLatin1String("na"))
        return iconName;
    static const std::pair<const char *, const char *> kSpecial[] = {
        {"hi_nshwrs.png", "hi_shwrs.png"},
        {"hi_nshwrs", "hi_shwrs"},
        {"hi_ntsra.png", "hi_tsra.png"},
        {"hi_ntsra", "hi_tsra"},
        {"nbknfg.png", "fg.png"},
        {"nbknfg", "fg"},
    };
    for (const auto &[night, day] : kSpecial) {
        if (iconName == QLatin1String(night))
            return ifImageExists(QLatin1String(day), iconName);
    }
    if (iconName.startsWith(QLatin1Char('n')))
        return ifImageExists(iconName.mid(1), iconName);
    return iconName;
}
