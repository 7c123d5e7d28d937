#include "weather/OVNDFD.h"

#include "core/NSDateUtil.h"
#include "core/remote/OVURLManager.h"
#include "platform/OVUserDefaults.h"
#include "weather/OVForecastPeriod.h"
#include "weather/OVNDFDForecastText.h"
#include "weather/OVWeatherLocation.h"

#include <QTimeZone>

#include <cstdlib>

namespace {

OVNDFDClient::Product dailyProduct()
{
    return {
        QStringLiteral("OVNDFD"),
        QStringLiteral("/xml/sample_products/browser_interface/ndfdBrowserClientByDay.php"),
        QStringLiteral("?listLatLon=%1&format=12+hourly"),
        QStringLiteral("Daily forecast data."),
        QStringLiteral("pointForecasts"),
        true,
    };
}

constexpr int kDaySlots = 20;
constexpr qint64 kSlotSeconds = 12 * 3600;
constexpr qint64 kMatchSeconds = 7200;

// A weather value from the attributes of one "value" element; attributes the texts do not
// use are left out.
QVariantMap weatherValue(const QDomElement &value)
{
    using namespace OVNDFDForecastText;
    QVariantMap result;
    for (const QString *key : {&coverageKey, &intensityKey, &weatherTypeKey, &qualifierKey}) {
        const QString phrase =
            verifiedAttributeStringFromCondition(value.attribute(*key, QStringLiteral("")), *key);
        if (!phrase.isNull())
            result.insert(*key, phrase);
    }
    return result;
}

// The first entry of the series whose middle lies within two hours of the slot's middle.
const QVariantMap *entryCentredAt(const QList<QVariantMap> &series, const QDateTime &middle)
{
    for (const QVariantMap &entry : series) {
        const QDateTime entryMiddle = NSDateUtil::middleDateBetweenDate(
            OVForecastPeriod::dateValue(entry, OVForecastKey::startDate),
            OVForecastPeriod::dateValue(entry, OVForecastKey::endDate));
        if (entryMiddle.isValid() && std::abs(entryMiddle.secsTo(middle)) < kMatchSeconds)
            return &entry;
    }
    return nullptr;
}

bool withoutIconOrText(const QVariantMap &slot, bool emptyIconCounts)
{
    const QVariant image = slot.value(OVForecastKey::image);
    if (image.toString() == QLatin1String("na") || (emptyIconCounts && image.isValid() && image.toString().isEmpty()))
        return true;
    return slot.value(OVForecastKey::shortDesc).toString() == QLatin1String(".");
}

} // namespace

OVNDFD &OVNDFD::sharedNDFDClient()
{
    static OVNDFD *const instance =
        new OVNDFD(OVURLManager::sharedURLManager(), OVUserDefaults::standard(), OVClock::system());
    return *instance;
}

OVNDFD::OVNDFD(OVURLManager &urlManager, OVUserDefaults &settings, const OVClock &clock)
    : OVNDFDClient(dailyProduct(), urlManager, settings, clock)
{
}

OVNDFD::~OVNDFD() = default;

QVariantMap OVNDFD::pointForecastFromParameters(const QDomElement &parameters,
                                                const OVDWMLTimeLayouts &layouts)
{
    QVariantMap pointForecast;
    for (const QDomElement &temperature :
         OVDWMLReader::childElements(parameters, QStringLiteral("temperature"))) {
        const QString key = OVDWMLReader::temperatureKey(temperature.attribute(QStringLiteral("type")));
        if (key.isNull())
            continue;
        if (auto series = OVDWMLReader::createForecastFloatDataset(temperature, layouts))
            pointForecast.insert(key, *series);
    }
    const QDomElement pop = parameters.firstChildElement(QStringLiteral("probability-of-precipitation"));
    std::optional<QVariantList> precip;
    if (!pop.isNull())
        precip = OVDWMLReader::createForecastFloatDataset(pop, layouts);
    if (precip)
        pointForecast.insert(OVForecastKey::precip, *precip);

    const QDomElement weather = parameters.firstChildElement(QStringLiteral("weather"));
    if (!weather.isNull()) {
        if (auto conditions = createForecastConditionsDatasetFromXMLElement(weather, layouts)) {
            const QVariantList pops = precip.value_or(QVariantList());
            pointForecast.insert(OVForecastKey::fullDesc,
                                 OVNDFDForecastText::fullDescriptionsFromConditions(*conditions, pops));
            pointForecast.insert(OVForecastKey::shortDesc,
                                 OVNDFDForecastText::shortDescriptionsFromConditions(*conditions, pops));
        }
    }

    const QDomElement icons = parameters.firstChildElement(QStringLiteral("conditions-icon"));
    if (!icons.isNull()) {
        if (auto links = OVDWMLReader::createForecastStringDataset(icons, layouts, QString(),
                                                                   QStringLiteral("icon-link"))) {
            for (QVariant &entry : *links) {
                QVariantMap period = entry.toMap();
                period.insert(OVForecastKey::value,
                              OVDWMLReader::iconFromLink(period.value(OVForecastKey::value).toString()).name);
                entry = period;
            }
            pointForecast.insert(OVForecastKey::image, *links);
        }
    }
    return pointForecast;
}

std::optional<QVariantList> OVNDFD::createForecastConditionsDatasetFromXMLElement(
    const QDomElement &element, const OVDWMLTimeLayouts &layouts, const QString &layoutKey)
{
    const auto periods = OVDWMLReader::layoutFor(element, layouts, layoutKey);
    if (!periods)
        return std::nullopt;
    const QList<QDomElement> conditions =
        OVDWMLReader::childElements(element, QStringLiteral("weather-conditions"));
    if (conditions.size() != periods->size())
        return std::nullopt;
    QVariantList series;
    series.reserve(conditions.size());
    for (qsizetype i = 0; i < conditions.size(); ++i) {
        QVariantList values;
        for (const QDomElement &value : OVDWMLReader::childElements(conditions[i], QStringLiteral("value")))
            values.append(weatherValue(value));
        series.append(QVariantMap{
            {OVForecastKey::startDate, periods->at(i).start},
            {OVForecastKey::endDate, periods->at(i).end},
            {OVForecastKey::value, values},
            {OVForecastKey::weatherSummary,
             conditions[i].attribute(OVForecastKey::weatherSummary, QStringLiteral(""))},
        });
    }
    return series;
}

std::optional<QVariantList>
OVNDFD::dayForecastForLocation(const std::shared_ptr<OVWeatherLocation> &location)
{
    checkIfNeedLoadLocation(location);
    if (!location)
        return std::nullopt;
    const QString ndfdKey = ndfdKeyForLocation(*location);
    if (ndfdKey.isNull())
        return std::nullopt;
    QVariantMap pointForecast = pointForecastForKey(ndfdKey);
    pointForecast.remove(OVForecastKey::lastUpdatedTime);
    if (pointForecast.isEmpty())
        return std::nullopt;

    // Every series of the product shares the 12-hour phase; the maxima are the surest guide.
    const QString firstKey = pointForecast.contains(OVForecastKey::maxt) ? OVForecastKey::maxt
                                                                         : pointForecast.firstKey();
    const QVariantList first = pointForecast.value(firstKey).toList();
    if (first.isEmpty())
        return std::nullopt;
    QDateTime start = OVForecastPeriod::dateValue(first.first().toMap(), OVForecastKey::startDate);
    if (!start.isValid())
        return std::nullopt;
    start = start.addSecs(-24 * 3600);

    QHash<QString, QList<QVariantMap>> series;
    for (auto it = pointForecast.cbegin(); it != pointForecast.cend(); ++it) {
        QList<QVariantMap> entries;
        for (const QVariant &entry : it.value().toList())
            entries.append(entry.toMap());
        series.insert(it.key(), entries);
    }

    const QTimeZone zone = location->locationTimeZone();
    QVariantList daySlots;
    for (int i = 0; i < kDaySlots; ++i, start = start.addSecs(kSlotSeconds)) {
        const QDateTime end = start.addSecs(kSlotSeconds);
        const int hour = start.toTimeZone(zone).time().hour();
        QVariantMap slot{{OVForecastKey::startDate, start},
                         {OVForecastKey::endDate, end},
                         {OVForecastKey::isDay, hour >= 1 && hour <= 11}};
        const QDateTime middle = NSDateUtil::middleDateBetweenDate(start, end);
        bool filled = false;
        for (auto it = pointForecast.cbegin(); it != pointForecast.cend(); ++it) {
            const QString target = it.key() == OVForecastKey::maxt || it.key() == OVForecastKey::mint
                                       ? OVForecastKey::temp
                                       : it.key();
            if (const QVariantMap *entry = entryCentredAt(*series.constFind(it.key()), middle)) {
                slot.insert(target, entry->value(OVForecastKey::value));
                filled = true;
            }
        }
        if (filled)
            daySlots.append(slot);
    }
    if (!daySlots.isEmpty() && withoutIconOrText(daySlots.first().toMap(), false))
        daySlots.removeFirst();
    if (!daySlots.isEmpty() && withoutIconOrText(daySlots.last().toMap(), true))
        daySlots.removeLast();
    return daySlots;
}

QString OVNDFD::lastWeatherSummary() const
{
    std::lock_guard lock(mSummaryMutex);
    return mLastWeatherSummary;
}

void OVNDFD::setLastWeatherSummary(const QString &summary)
{
    std::lock_guard lock(mSummaryMutex);
    mLastWeatherSummary = summary;
}
