// The weather conditions record by key: its dictionary form (kept in the user defaults with the
// latest observation of each station) and the key-value interface through which station rows
// fill it and batch inserts read it.
#include "weather/OVWeatherConditions.h"

#include "core/OVConstants.h"
#include "platform/OVValueConversion.h"

#include <array>
#include <utility>

namespace {

using Conditions = OVWeatherConditions;

struct StringKey
{
    const char *key;
    QString (Conditions::*get)() const;
    void (Conditions::*set)(const QString &);
};

const std::array<StringKey, 10> &codeStrings()
{
    static const std::array<StringKey, 10> keys = {{
        {"precipitationIntensity", &Conditions::precipitationIntensity,
         &Conditions::setPrecipitationIntensity},
        {"precipitationDescriptor", &Conditions::precipitationDescriptor,
         &Conditions::setPrecipitationDescriptor},
        {"precipitationType", &Conditions::precipitationType, &Conditions::setPrecipitationType},
        {"obscurationIntensity", &Conditions::obscurationIntensity,
         &Conditions::setObscurationIntensity},
        {"obscurationDescriptor", &Conditions::obscurationDescriptor,
         &Conditions::setObscurationDescriptor},
        {"obscurationType", &Conditions::obscurationType, &Conditions::setObscurationType},
        {"otherPhenomenaIntensity", &Conditions::otherPhenomenaIntensity,
         &Conditions::setOtherPhenomenaIntensity},
        {"otherPhenomenaDescriptor", &Conditions::otherPhenomenaDescriptor,
         &Conditions::setOtherPhenomenaDescriptor},
        {"otherPhenomenaType", &Conditions::otherPhenomenaType, &Conditions::setOtherPhenomenaType},
        {"skyCover", &Conditions::skyCover, &Conditions::setSkyCover},
    }};
    return keys;
}

// The text setters that station rows fill.
struct TextKey
{
    const char *key;
    void (Conditions::*set)(const QString &);
};

const std::array<TextKey, 14> &textSetters()
{
    static const std::array<TextKey, 14> keys = {{
        {"windDirectionString", &Conditions::setWindDirectionString},
        {"windSpeedKnotsString", &Conditions::setWindSpeedKnotsString},
        {"gustSpeedKnotsString", &Conditions::setGustSpeedKnotsString},
        {"visibilityMilesString", &Conditions::setVisibilityMilesString},
        {"temperatureCString", &Conditions::setTemperatureCString},
        {"dewpointCString", &Conditions::setDewpointCString},
        {"pressureMBString", &Conditions::setPressureMBString},
        {"h1PrecipitationInchesString", &Conditions::setH1PrecipitationInchesString},
        {"h3PrecipitationInchesString", &Conditions::setH3PrecipitationInchesString},
        {"h6PrecipitationInchesString", &Conditions::setH6PrecipitationInchesString},
        {"h24PrecipitationInchesString", &Conditions::setH24PrecipitationInchesString},
        {"snowDepthInchesString", &Conditions::setSnowDepthInchesString},
        {"solarRadiationString", &Conditions::setSolarRadiationString},
        {"dateString", &Conditions::setDateString},
    }};
    return keys;
}

} // namespace

std::span<const OVWeatherConditions::StoredNumber> OVWeatherConditions::dictionaryNumbers()
{
    // Written always (-1000 included), as stored: a reading outside its range survives the
    // round trip unchanged.
    static const StoredNumber keys[] = {
        {"windDirection", &OVWeatherConditions::mWindDirection},
        {"windSpeedKnots", &OVWeatherConditions::mWindSpeedKnots},
        {"gustSpeedKnots", &OVWeatherConditions::mGustSpeedKnots},
        {"visibilityMiles", &OVWeatherConditions::mVisibilityMiles},
        {"temperatureC", &OVWeatherConditions::mTemperatureC},
        {"minTemperatureC", &OVWeatherConditions::mMinTemperatureC},
        {"maxTemperatureC", &OVWeatherConditions::mMaxTemperatureC},
        {"dewpointC", &OVWeatherConditions::mDewpointC},
        {"pressureMB", &OVWeatherConditions::mPressureMB},
        {"h1PrecipitationInches", &OVWeatherConditions::mH1PrecipitationInches},
        {"h3PrecipitationInches", &OVWeatherConditions::mH3PrecipitationInches},
        {"h6PrecipitationInches", &OVWeatherConditions::mH6PrecipitationInches},
        {"h24PrecipitationInches", &OVWeatherConditions::mH24PrecipitationInches},
        {"probabilityOfPrecipitation", &OVWeatherConditions::mProbabilityOfPrecipitation},
        {"snowDepthInches", &OVWeatherConditions::mSnowDepthInches},
        {"solarRadiation", &OVWeatherConditions::mSolarRadiation},
        {"cloudCoverPercent", &OVWeatherConditions::mCloudCoverPercent},
    };
    return keys;
}

QVariantMap OVWeatherConditions::dictionaryRepresentation() const
{
    QVariantMap form;
    for (const StoredNumber &n : dictionaryNumbers())
        form.insert(QLatin1String(n.key), QVariant::fromValue(float(this->*n.field)));
    for (const StringKey &s : codeStrings()) {
        const QString value = (this->*s.get)();
        if (!value.isNull())
            form.insert(QLatin1String(s.key), value);
    }
    if (mDate.isValid())
        form.insert(QStringLiteral("date"), mDate);
    if (!mIconName.isNull())
        form.insert(QStringLiteral("icon"), mIconName);
    if (!mLongDescription.isNull())
        form.insert(QStringLiteral("longDescription"), mLongDescription);
    return form;
}

OVWeatherConditions OVWeatherConditions::initWithDictionary(const QVariantMap &dictionary)
{
    OVWeatherConditions conditions;
    for (const StoredNumber &n : dictionaryNumbers()) {
        const auto it = dictionary.constFind(QLatin1String(n.key));
        if (it != dictionary.cend())
            conditions.*n.field = double(OVValueConversion::toFloat(*it));
    }
    for (const StringKey &s : codeStrings()) {
        const auto it = dictionary.constFind(QLatin1String(s.key));
        if (it != dictionary.cend())
            (conditions.*s.set)(it->toString());
    }
    if (dictionary.contains(QStringLiteral("date")))
        conditions.mDate = dictionary.value(QStringLiteral("date")).toDateTime().toUTC();
    if (dictionary.contains(QStringLiteral("icon")))
        conditions.mIconName = dictionary.value(QStringLiteral("icon")).toString();
    if (dictionary.contains(QStringLiteral("longDescription")))
        conditions.mLongDescription = dictionary.value(QStringLiteral("longDescription")).toString();
    return conditions;
}

QVariant OVWeatherConditions::valueForKey(const QString &key) const
{
    using Getter = double (Conditions::*)() const;
    static const std::pair<const char *, Getter> kNumbers[] = {
        {"windDirection", &Conditions::windDirection},
        {"windSpeedKnots", &Conditions::windSpeedKnots},
        {"gustSpeedKnots", &Conditions::gustSpeedKnots},
        {"visibilityMiles", &Conditions::visibilityMiles},
        {"temperatureC", &Conditions::temperatureC},
        {"minTemperatureC", &Conditions::minTemperatureC},
        {"maxTemperatureC", &Conditions::maxTemperatureC},
        {"dewpointC", &Conditions::dewpointC},
        {"pressureMB", &Conditions::pressureMB},
        {"pressureHPA", &Conditions::pressureHPA},
        {"h1PrecipitationInches", &Conditions::h1PrecipitationInches},
        {"h3PrecipitationInches", &Conditions::h3PrecipitationInches},
        {"h6PrecipitationInches", &Conditions::h6PrecipitationInches},
        {"h24PrecipitationInches", &Conditions::h24PrecipitationInches},
        {"probabilityOfPrecipitation", &Conditions::probabilityOfPrecipitation},
        {"solarRadiation", &Conditions::solarRadiation},
        {"cloudCoverPercent", &Conditions::cloudCoverPercent},
        {"snowPrecipitationInches", &Conditions::snowPrecipitationInches},
        {"snowDepthInches", &Conditions::snowDepthInches},
        {"waveHeightFeet", &Conditions::waveHeightFeet},
    };
    for (const auto &[name, get] : kNumbers) {
        if (key == QLatin1String(name))
            return (this->*get)();
    }
    for (const StringKey &s : codeStrings()) {
        if (key == QLatin1String(s.key)) {
            const QString value = (this->*s.get)();
            return value.isNull() ? QVariant() : QVariant(value);
        }
    }
    if (key == QLatin1String("date"))
        return mDate.isValid() ? QVariant(mDate) : QVariant();
    if (key == QLatin1String("iconName"))
        return mIconName.isNull() ? QVariant() : QVariant(mIconName);
    if (key == QLatin1String("longDescription"))
        return mLongDescription.isNull() ? QVariant() : QVariant(mLongDescription);
    if (key == QLatin1String("isDay"))
        return mIsDay;
    return {};
}

void OVWeatherConditions::setValue(const QVariant &value, const QString &key)
{
    for (const TextKey &t : textSetters()) {
        if (key == QLatin1String(t.key)) {
            (this->*t.set)(value.isNull() ? QString() : value.toString());
            return;
        }
    }
    for (const StoredNumber &n : dictionaryNumbers()) {
        if (key == QLatin1String(n.key)) {
            this->*n.field = value.isNull() ? OVNoValue : OVValueConversion::toDouble(value);
            return;
        }
    }
    for (const StringKey &s : codeStrings()) {
        if (key == QLatin1String(s.key)) {
            (this->*s.set)(value.isNull() ? QString() : value.toString());
            return;
        }
    }
    if (key == QLatin1String("date"))
        mDate = value.toDateTime().toUTC();
    else if (key == QLatin1String("iconName"))
        mIconName = value.isNull() ? QString() : value.toString();
    else if (key == QLatin1String("longDescription"))
        mLongDescription = value.isNull() ? QString() : value.toString();
    else if (key == QLatin1String("isDay"))
        mIsDay = OVValueConversion::toBool(value);
}
