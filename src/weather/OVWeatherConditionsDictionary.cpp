// The weather conditions record by key: its dictionary form (kept in the user defaults with the
// latest observation of each station) and the key-value interface through which station rows
// fill it and batch inserts read it. Both walk the field table (OVObservationFields.h).
#include "weather/OVWeatherConditions.h"

#include "core/OVConstants.h"
#include "platform/OVValueConversion.h"
#include "weather/OVObservationFields.h"

namespace {

QString textOf(const QVariant &value)
{
    return value.isNull() ? QString() : value.toString();
}

} // namespace

QVariantMap OVWeatherConditions::dictionaryRepresentation() const
{
    QVariantMap form;
    for (const OVObservationField &f : OVObservationFields::all()) {
        if (!f.dictionaryKey)
            continue;
        const QString key = QLatin1String(f.dictionaryKey);
        // Numbers are written always (-1000 included), as stored: a reading outside its range
        // survives the round trip unchanged. Texts and the date only when set.
        if (f.number)
            form.insert(key, QVariant::fromValue(float(this->*f.number)));
        else if (f.text && !(this->*f.text).isNull())
            form.insert(key, this->*f.text);
        else if (f.date && (this->*f.date).isValid())
            form.insert(key, this->*f.date);
    }
    return form;
}

OVWeatherConditions OVWeatherConditions::initWithDictionary(const QVariantMap &dictionary)
{
    OVWeatherConditions conditions;
    for (const OVObservationField &f : OVObservationFields::all()) {
        if (!f.dictionaryKey)
            continue;
        const auto it = dictionary.constFind(QLatin1String(f.dictionaryKey));
        if (it == dictionary.cend())
            continue;
        if (f.number)
            conditions.*f.number = double(OVValueConversion::toFloat(*it));
        else if (f.text)
            conditions.*f.text = it->toString();
        else if (f.date)
            conditions.*f.date = it->toDateTime().toUTC();
    }
    return conditions;
}

QVariant OVWeatherConditions::valueForKey(const QString &key) const
{
    for (const OVObservationField &f : OVObservationFields::all()) {
        if (key != QLatin1String(f.key))
            continue;
        if (f.get)
            return (this->*f.get)();
        if (f.text)
            return (this->*f.text).isNull() ? QVariant() : QVariant(this->*f.text);
        if (f.date)
            return (this->*f.date).isValid() ? QVariant(this->*f.date) : QVariant();
    }
    if (key == QLatin1String("isDay"))
        return mIsDay;
    return {};
}

void OVWeatherConditions::setValue(const QVariant &value, const QString &key)
{
    for (const OVObservationField &f : OVObservationFields::all()) {
        if (f.textKey && key == QLatin1String(f.textKey)) {
            (this->*f.setText)(textOf(value));
            return;
        }
    }
    for (const OVObservationField &f : OVObservationFields::all()) {
        if (key != QLatin1String(f.key))
            continue;
        // Only stored numbers are set by name; a derived or forecast-only one is read-only.
        if (f.number && f.dictionaryKey)
            this->*f.number = value.isNull() ? OVNoValue : OVValueConversion::toDouble(value);
        else if (f.text)
            this->*f.text = textOf(value);
        else if (f.date)
            this->*f.date = value.toDateTime().toUTC();
        return;
    }
    if (key == QLatin1String("isDay"))
        mIsDay = OVValueConversion::toBool(value);
}
