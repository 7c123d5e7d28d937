// The monitored place: identity, saved form, per-location settings and request keys.
#include "weather/OVWeatherLocation.h"

#include "core/OVConstants.h"
#include "core/OVLocationDB.h"
#include "platform/OVValueConversion.h"
#include "platform/OVLog.h"
#include "weather/OVWeatherController.h"
#include "weather/OVWeatherLocationSources.h"

#include <QHash>
#include <QUrl>

#include <functional>

namespace {

namespace Key {
const QString locationId = QStringLiteral("location_id");
const QString icao = QStringLiteral("icao");
const QString appSettings = QStringLiteral("appsettings");
const QString zipCode = QStringLiteral("zipcode");
const QString city = QStringLiteral("city");
const QString stateCode = QStringLiteral("statecode");
const QString stateName = QStringLiteral("statename");
const QString countryCode = QStringLiteral("countrycode");
const QString countryName = QStringLiteral("countryname");
const QString timeZoneName = QStringLiteral("timezonename");
const QString latitude = QStringLiteral("latitude");
const QString longitude = QStringLiteral("longitude");
const QString elevation = QStringLiteral("elevation");
} // namespace Key

// The program's texts are English only, so that is its one localisation.
const QString kPreferredLocalization = QStringLiteral("en");

QVariant presentValue(const QVariantMap &dictionary, const QString &key)
{
    const QVariant value = dictionary.value(key);
    return value.isNull() ? QVariant() : value;
}

double coordinateFromSaved(const QVariantMap &dictionary, const QString &key)
{
    const QVariant value = presentValue(dictionary, key);
    return value.isValid() ? double(OVValueConversion::toFloat(value)) : OVNoValue;
}

double coordinateFromText(const QString &text)
{
    if (text.isEmpty())
        return OVNoValue;
    return double(float(OVValueConversion::doubleValue(text)));
}

void insertIfSet(QVariantMap &dictionary, const QString &key, const QString &value)
{
    if (!value.isNull())
        dictionary.insert(key, value);
}

void replaceAll(QString &text, const QString &placeholder, const QString &value)
{
    text.replace(placeholder, QString::fromLatin1(QUrl::toPercentEncoding(value)));
}

using Getter = std::function<QVariant(const OVWeatherLocation &)>;
using Setter = std::function<void(OVWeatherLocation &, const QVariant &)>;

// Text-valued properties: a null QVariant sets nil.
Setter textSetter(void (OVWeatherLocation::*set)(const QString &))
{
    return [set](OVWeatherLocation &location, const QVariant &value) {
        (location.*set)(value.isNull() ? QString() : value.toString());
    };
}

Getter textGetter(QString (OVWeatherLocation::*get)() const)
{
    return [get](const OVWeatherLocation &location) {
        const QString text = (location.*get)();
        return text.isNull() ? QVariant() : QVariant(text);
    };
}

const QHash<QString, Setter> &setters()
{
    static const QHash<QString, Setter> table = {
        {QStringLiteral("zipCode"), textSetter(&OVWeatherLocation::setZipCode)},
        {QStringLiteral("city"), textSetter(&OVWeatherLocation::setCity)},
        {QStringLiteral("stateCode"), textSetter(&OVWeatherLocation::setStateCode)},
        {QStringLiteral("stateName"), textSetter(&OVWeatherLocation::setStateName)},
        {QStringLiteral("countryCode"), textSetter(&OVWeatherLocation::setCountryCode)},
        {QStringLiteral("countryName"), textSetter(&OVWeatherLocation::setCountryName)},
        {QStringLiteral("icao"), textSetter(&OVWeatherLocation::setIcao)},
        {QStringLiteral("locationTimeZoneName"), textSetter(&OVWeatherLocation::setLocationTimeZoneName)},
        {QStringLiteral("locationIdString"), textSetter(&OVWeatherLocation::setLocationIdString)},
        {QStringLiteral("latitudeString"), textSetter(&OVWeatherLocation::setLatitudeString)},
        {QStringLiteral("longitudeString"), textSetter(&OVWeatherLocation::setLongitudeString)},
        {QStringLiteral("elevationString"), textSetter(&OVWeatherLocation::setElevationString)},
        {QStringLiteral("locationID"),
         [](OVWeatherLocation &l, const QVariant &v) { l.setLocationID(OVValueConversion::toInteger(v)); }},
        {QStringLiteral("latitude"),
         [](OVWeatherLocation &l, const QVariant &v) { l.setLatitude(OVValueConversion::toDouble(v)); }},
        {QStringLiteral("longitude"),
         [](OVWeatherLocation &l, const QVariant &v) { l.setLongitude(OVValueConversion::toDouble(v)); }},
        {QStringLiteral("elevation"),
         [](OVWeatherLocation &l, const QVariant &v) { l.setElevation(OVValueConversion::toDouble(v)); }},
    };
    return table;
}

const QHash<QString, Getter> &getters()
{
    static const QHash<QString, Getter> table = {
        {QStringLiteral("zipCode"), textGetter(&OVWeatherLocation::zipCode)},
        {QStringLiteral("city"), textGetter(&OVWeatherLocation::city)},
        {QStringLiteral("stateCode"), textGetter(&OVWeatherLocation::stateCode)},
        {QStringLiteral("stateName"), textGetter(&OVWeatherLocation::stateName)},
        {QStringLiteral("countryCode"), textGetter(&OVWeatherLocation::countryCode)},
        {QStringLiteral("countryName"), textGetter(&OVWeatherLocation::countryName)},
        {QStringLiteral("icao"), textGetter(&OVWeatherLocation::icao)},
        {QStringLiteral("locationTimeZoneName"), textGetter(&OVWeatherLocation::locationTimeZoneName)},
        {QStringLiteral("locationID"),
         [](const OVWeatherLocation &l) { return QVariant::fromValue(qint64(l.locationID())); }},
        {QStringLiteral("latitude"), [](const OVWeatherLocation &l) { return QVariant(l.latitude()); }},
        {QStringLiteral("longitude"), [](const OVWeatherLocation &l) { return QVariant(l.longitude()); }},
        {QStringLiteral("elevation"), [](const OVWeatherLocation &l) { return QVariant(l.elevation()); }},
    };
    return table;
}

} // namespace

OVWeatherLocation::OVWeatherLocation(std::shared_ptr<OVWeatherLocationSources> sources)
    : mSources(sources ? std::move(sources) : OVWeatherLocationSources::standard())
{
}

OVWeatherLocationSources &OVWeatherLocation::dataSources() const
{
    return *mSources;
}

OVWeatherLocation::~OVWeatherLocation()
{
    if (mMyPiecesLeft <= 0)
        return;
    OVWeatherController &controller = OVWeatherController::sharedWeatherController();
    for (int32_t piece = 0; piece < mMyPiecesLeft; ++piece)
        controller.completeLoadPiece();
}

std::shared_ptr<OVWeatherLocation> OVWeatherLocation::fromLocationDictionary(const QVariantMap &dictionary)
{
    auto location = std::make_shared<OVWeatherLocation>();
    const auto text = [&](const QString &key) {
        const QVariant value = presentValue(dictionary, key);
        return value.isValid() ? value.toString() : QString();
    };
    location->setZipCode(text(Key::zipCode));
    location->setCity(text(Key::city));
    location->setStateCode(text(Key::stateCode));
    location->setStateName(text(Key::stateName));
    location->setCountryCode(text(Key::countryCode));
    location->setCountryName(text(Key::countryName));
    location->setLocationTimeZoneName(text(Key::timeZoneName));
    location->setLatitude(coordinateFromSaved(dictionary, Key::latitude));
    location->setLongitude(coordinateFromSaved(dictionary, Key::longitude));
    location->setElevation(coordinateFromSaved(dictionary, Key::elevation));
    location->setLocationID(int32_t(OVValueConversion::toInteger(dictionary.value(Key::locationId))));
    location->setIcao(text(Key::icao));
    const QVariantMap settings = dictionary.value(Key::appSettings).toMap();
    for (auto it = settings.begin(); it != settings.end(); ++it)
        location->setAppSetting(it.value(), it.key());
    return location;
}

QVariantMap OVWeatherLocation::locationDictionary() const
{
    QVariantMap dictionary;
    dictionary.insert(Key::locationId, int32_t(mLocationID));
    insertIfSet(dictionary, Key::icao, icao());
    dictionary.insert(Key::appSettings, mAppSettings);
    insertIfSet(dictionary, Key::zipCode, zipCode());
    insertIfSet(dictionary, Key::city, city());
    insertIfSet(dictionary, Key::stateCode, stateCode());
    insertIfSet(dictionary, Key::stateName, stateName());
    insertIfSet(dictionary, Key::countryCode, countryCode());
    insertIfSet(dictionary, Key::countryName, countryName());
    dictionary.insert(Key::timeZoneName, locationTimeZoneName());
    dictionary.insert(Key::latitude, float(latitude()));
    dictionary.insert(Key::longitude, float(longitude()));
    dictionary.insert(Key::elevation, float(elevation()));
    return dictionary;
}

void OVWeatherLocation::registerLocationFactory()
{
    OVLocationDB::setLocationFactory([] { return std::make_shared<OVWeatherLocation>(); });
}

QString OVWeatherLocation::icao() const
{
    return lockedRead(mIcao);
}

void OVWeatherLocation::setIcao(const QString &icao)
{
    lockedWrite(mIcao, icao);
}

void OVWeatherLocation::setAppSetting(const QVariant &value, const QString &key)
{
    mAppSettings.insert(key, value);
}

QVariant OVWeatherLocation::appSettingForKey(const QString &key) const
{
    return mAppSettings.value(key);
}

bool OVWeatherLocation::internationalLocation() const
{
    const QString code = countryCode();
    return code != QLatin1String("US") && code != QLatin1String("GU") && code != QLatin1String("PR");
}

QString OVWeatherLocation::brisantDescription(const OVClock &clock) const
{
    QString key = OVLocation::brisantDescription(clock);
    const QString station = icao();
    if (!station.isEmpty())
        key += QStringLiteral(",ICAO,") + station;
    return key;
}

QString OVWeatherLocation::replaceFieldsInURLString(const QString &urlTemplate, const OVClock &clock) const
{
    QString url = urlTemplate;
    const auto replaceIfSet = [&url](const char *placeholder, const QString &value) {
        if (!value.isNull())
            replaceAll(url, QString::fromLatin1(placeholder), value);
    };
    replaceIfSet("[city]", city());
    replaceIfSet("[state]", stateName());
    replaceIfSet("[country_name]", countryName());
    replaceIfSet("[country_code]", countryCode());
    replaceIfSet("[zip_code]", zipCode());
    replaceIfSet("[latitude]", QString::asprintf("%f", latitude()));
    replaceIfSet("[longitude]", QString::asprintf("%f", longitude()));
    replaceIfSet("[icao]", icao());
    const QString zoneName = locationTimeZoneName();
    replaceIfSet("[time_zone]", zoneName);
    if (!zoneName.isNull()) {
        const long minutes = long(locationTimeZone().offsetFromUtc(clock.now()) / 60);
        replaceIfSet("[time_zone_minute_offset]", QString::asprintf("%ld", minutes));
    }
    replaceIfSet("[locale]", kPreferredLocalization);
    return url;
}

void OVWeatherLocation::setLocationIdString(const QString &text)
{
    mLocationID = text.isEmpty() ? 0 : OVValueConversion::integerValue(text);
}

void OVWeatherLocation::setLatitudeString(const QString &text)
{
    setLatitude(coordinateFromText(text));
}

void OVWeatherLocation::setLongitudeString(const QString &text)
{
    setLongitude(coordinateFromText(text));
}

void OVWeatherLocation::setElevationString(const QString &text)
{
    setElevation(coordinateFromText(text));
}

QString OVWeatherLocation::description() const
{
    QString text = OVLocation::description();
    text.replace(QStringLiteral("OVLocation"), QStringLiteral("OVWeatherLocation"));
    const QString station = icao();
    if (!station.isNull())
        text += QStringLiteral(" ") + station;
    return text + QString::asprintf(" - %lld", static_cast<long long>(mLocationID));
}

QVariant OVWeatherLocation::valueForKey(const QString &key) const
{
    const auto found = getters().constFind(key);
    return found == getters().constEnd() ? QVariant() : found.value()(*this);
}

void OVWeatherLocation::setValue(const QVariant &value, const QString &key)
{
    const auto found = setters().constFind(key);
    if (found == setters().constEnd()) {
        OVLog(QStringLiteral("[OVWeatherLocation setValue] No property named %1; value ignored.").arg(key));
        return;
    }
    found.value()(*this, value);
}
