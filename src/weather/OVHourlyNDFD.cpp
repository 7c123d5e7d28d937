#include "weather/OVHourlyNDFD.h"

#include "core/NSArrayUtil.h"
#include "core/NSDateUtil.h"
#include "core/OVConstants.h"
#include "core/remote/OVURLManager.h"
#include "platform/OVLog.h"
#include "platform/OVUserDefaults.h"
#include "platform/OVValueConversion.h"
#include "weather/OVForecastPeriod.h"

#include <cmath>

namespace {

OVNDFDClient::Product hourlyProduct()
{
    return {
        QStringLiteral("OVHourlyNDFD"),
        QStringLiteral("/xml/sample_products/browser_interface/ndfdXMLclient.php"),
        QStringLiteral("?listLatLon=%1&product=time-series&begin=&end=&Unit=e&pop12=pop12"
                       "&icons=icons&wx=wx&mint=mint&maxt=maxt&temp=temp&sky=sky&wdir=wdir"
                       "&wspd=wspd&wgust=wgust&qpf=qpf&snow=snow&waveh=waveh&rh=rh&dew=dew"),
        QStringLiteral("Hourly forecast data for US locations"),
        QString(),
        false,
    };
}

// The DWML elements besides "temperature" read once per type attribute, and the series they
// fill; other types (wind-speed probabilities such as "incremental34") are not read.
struct TypedElement
{
    const char *element;
    const char *type;
    const QString &key;
};

const TypedElement kTypedElements[] = {
    {"precipitation", "liquid", OVForecastKey::liquidPrecip},
    {"precipitation", "snow", OVForecastKey::snowPrecip},
    {"wind-speed", "sustained", OVForecastKey::windSpeed},
    {"wind-speed", "gust", OVForecastKey::gustSpeed},
};

// The elements read from their first occurrence only.
const std::pair<const char *, const QString &> kFirstElements[] = {
    {"direction", OVForecastKey::windDirection},
    {"cloud-amount", OVForecastKey::cloudCover},
    {"humidity", OVForecastKey::humidity},
};

// Series interpolated onto the 3-hourly steps.
const QString *const kInterpolatedKeys[] = {
    &OVForecastKey::hourlyt,    &OVForecastKey::dewpoint,  &OVForecastKey::humidity,
    &OVForecastKey::windDirection, &OVForecastKey::windSpeed, &OVForecastKey::gustSpeed,
    &OVForecastKey::cloudCover, &OVForecastKey::waveHeight, &OVForecastKey::popFromIcon,
};

constexpr int kCombinedSteps = 60;
constexpr qint64 kStepSeconds = 10800;

} // namespace

OVHourlyNDFD &OVHourlyNDFD::sharedNDFDClient()
{
    static OVHourlyNDFD *const instance = new OVHourlyNDFD(
        OVURLManager::sharedURLManager(), OVUserDefaults::standard(), OVClock::system());
    return *instance;
}

OVHourlyNDFD::OVHourlyNDFD(OVURLManager &urlManager, OVUserDefaults &settings, const OVClock &clock)
    : OVNDFDClient(hourlyProduct(), urlManager, settings, clock)
{
}

OVHourlyNDFD::~OVHourlyNDFD() = default;

QVariantMap OVHourlyNDFD::pointForecastFromParameters(const QDomElement &parameters,
                                                      const OVDWMLTimeLayouts &layouts)
{
    QVariantMap pointForecast;
    const auto add = [&](const QString &key, const std::optional<QVariantList> &series) {
        if (series)
            pointForecast.insert(key, *series);
    };
    for (QDomElement element = parameters.firstChildElement(); !element.isNull();
         element = element.nextSiblingElement()) {
        const QString type = element.attribute(QStringLiteral("type"));
        if (element.tagName() == QLatin1String("temperature")) {
            const QString key = OVDWMLReader::temperatureKey(type);
            if (!key.isNull())
                add(key, OVDWMLReader::createForecastFloatDataset(element, layouts));
            continue;
        }
        for (const TypedElement &typed : kTypedElements)
            if (element.tagName() == QLatin1String(typed.element) && type == QLatin1String(typed.type))
                add(typed.key, OVDWMLReader::createForecastFloatDataset(element, layouts));
    }
    for (const auto &[name, key] : kFirstElements) {
        const QDomElement element = parameters.firstChildElement(QLatin1String(name));
        if (!element.isNull())
            add(key, OVDWMLReader::createForecastFloatDataset(element, layouts));
    }
    const QDomElement waterState = parameters.firstChildElement(QStringLiteral("water-state"));
    const QDomElement waves = waterState.firstChildElement(QStringLiteral("waves"));
    if (!waves.isNull())
        add(OVForecastKey::waveHeight,
            OVDWMLReader::createForecastFloatDataset(
                waves, layouts, waterState.attribute(QStringLiteral("time-layout"))));

    const QDomElement icons = parameters.firstChildElement(QStringLiteral("conditions-icon"));
    if (icons.isNull())
        return pointForecast;
    const auto links = OVDWMLReader::createForecastStringDataset(icons, layouts, QString(),
                                                                 QStringLiteral("icon-link"));
    if (!links)
        return pointForecast;
    QVariantList images;
    QVariantList pops;
    for (const QVariant &entry : *links) {
        QVariantMap image = entry.toMap();
        QVariantMap pop = image;
        const OVDWMLIcon icon = OVDWMLReader::iconFromLink(image.value(OVForecastKey::value).toString());
        image.insert(OVForecastKey::value, icon.name);
        pop.insert(OVForecastKey::value, icon.probability);
        images.append(image);
        pops.append(pop);
    }
    pointForecast.insert(OVForecastKey::image, images);
    pointForecast.insert(OVForecastKey::popFromIcon, pops);
    return pointForecast;
}

std::optional<QVariantList>
OVHourlyNDFD::forecastForLocation(const std::shared_ptr<OVWeatherLocation> &location)
{
    checkIfNeedLoadLocation(location);
    if (!location)
        return std::nullopt;
    const QString key = ndfdKeyForLocation(*location);
    if (key.isNull())
        return std::nullopt;
    QVariantMap pointForecast = pointForecastForKey(key);
    const auto stored = pointForecast.constFind(combined3HourlyKey);
    if (stored != pointForecast.constEnd())
        return stored->toList();

    const QVariantList hourly = pointForecast.value(OVForecastKey::hourlyt).toList();
    if (hourly.isEmpty())
        return std::nullopt;
    const QDateTime origin = OVForecastPeriod::dateValue(hourly.first().toMap(), OVForecastKey::startDate);
    if (!origin.isValid())
        return std::nullopt;
    const QVariantList steps = combinedSteps(pointForecast, origin);
    pointForecast.insert(combined3HourlyKey, steps);
    storePointForecast(key, pointForecast);
    return steps;
}

QVariantList OVHourlyNDFD::combinedSteps(const QVariantMap &pointForecast, const QDateTime &origin)
{
    QHash<QString, QList<QVariantMap>> series;
    for (auto it = pointForecast.cbegin(); it != pointForecast.cend(); ++it) {
        QList<QVariantMap> entries;
        for (const QVariant &entry : it.value().toList())
            entries.append(entry.toMap());
        series.insert(it.key(), entries);
    }
    QVariantList steps;
    steps.reserve(kCombinedSteps);
    for (int step = 0; step < kCombinedSteps; ++step) {
        const QDateTime t = origin.addSecs(step * kStepSeconds);
        QVariantMap period{{OVForecastKey::startDate, t}, {OVForecastKey::date, t}};
        for (const QString *key : kInterpolatedKeys) {
            float value = 0;
            if (series.contains(*key))
                value = float(NSArrayUtil::interpolatedFloatValueForDate(
                    series.value(*key), t, OVForecastKey::startDate, OVForecastKey::value, OVNoValue));
            period.insert(*key, value);
        }
        const auto icon = NSArrayUtil::closestObjectToDate(series.value(OVForecastKey::image), t,
                                                           OVForecastKey::startDate);
        if (icon)
            period.insert(OVForecastKey::image, icon->value(OVForecastKey::value));
        for (const QString *key : {&OVForecastKey::liquidPrecip, &OVForecastKey::snowPrecip})
            period.insert(*key, adjustedSumForTimeRange(t.addSecs(-kStepSeconds), t, pointForecast, *key));
        steps.append(period);
    }
    return steps;
}

QVariantList OVHourlyNDFD::forecastForLocation(const std::shared_ptr<OVWeatherLocation> &location,
                                               const QString &key, const QDateTime &startDate,
                                               const QDateTime &endDate)
{
    checkIfNeedLoadLocation(location);
    QVariantList result;
    if (!location)
        return result;
    const QString ndfdKey = ndfdKeyForLocation(*location);
    if (ndfdKey.isNull())
        return result;
    const QVariantMap pointForecast = pointForecastForKey(ndfdKey);
    for (const QVariant &entry : pointForecast.value(key).toList()) {
        QVariantMap period = entry.toMap();
        const QDateTime start = OVForecastPeriod::dateValue(period, OVForecastKey::startDate);
        if (!start.isValid())
            continue;
        if ((startDate.isValid() && start < startDate) || (endDate.isValid() && start > endDate))
            continue;
        period.insert(key, period.value(OVForecastKey::value));
        result.append(period);
    }
    return result;
}

double OVHourlyNDFD::adjustedSumForTimeRange(const QDateTime &startDate, const QDateTime &endDate,
                                             const QVariantMap &pointForecast, const QString &key)
{
    if (!startDate.isValid() || !endDate.isValid() || endDate <= startDate)
        return OVNoValue;
    double sum = 0;
    for (const QVariant &entry : pointForecast.value(key).toList()) {
        const QVariantMap period = entry.toMap();
        const QDateTime start = OVForecastPeriod::dateValue(period, OVForecastKey::startDate);
        const QDateTime end = OVForecastPeriod::dateValue(period, OVForecastKey::endDate);
        if (!start.isValid() || !end.isValid())
            continue;
        const double overlap =
            NSDateUtil::overlappingIntervalBetweenRangeAStart(start, end, startDate, endDate);
        // A missing amount (-1000) adds nothing rather than a negative share of the marker.
        const std::optional<float> amount = OVForecastPeriod::floatValue(period, OVForecastKey::value);
        if (overlap <= 0 || !amount)
            continue;
        sum += double(*amount) * overlap / double(start.secsTo(end));
    }
    return sum;
}

void OVHourlyNDFD::logPointForecast(const QVariantMap &pointForecast, const QString &key)
{
    OVLog(QStringLiteral("Forecast for key: %1").arg(key));
    for (const QVariant &entry : pointForecast.value(key).toList()) {
        const QVariantMap period = entry.toMap();
        const QDateTime start = OVForecastPeriod::dateValue(period, OVForecastKey::startDate);
        const QDateTime end = OVForecastPeriod::dateValue(period, OVForecastKey::endDate);
        const double hours = start.isValid() && end.isValid() ? start.secsTo(end) / 3600.0 : 0;
        OVLog(QString::asprintf("  Value: %.2f   Time:(%s to %s, %.0f hours)",
                                OVValueConversion::toDouble(period.value(OVForecastKey::value)),
                                qPrintable(start.toString(Qt::ISODate)),
                                qPrintable(end.toString(Qt::ISODate)), hours));
    }
}
