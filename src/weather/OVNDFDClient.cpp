#include "weather/OVNDFDClient.h"

#include "core/NBRegisteredDefaults.h"
#include "core/remote/OVURLManager.h"
#include "platform/OVClock.h"
#include "platform/OVDispatch.h"
#include "platform/OVLog.h"
#include "platform/OVNotificationCenter.h"
#include "platform/OVPropertyList.h"
#include "platform/OVUserDefaults.h"
#include "weather/OVForecastPeriod.h"
#include "weather/OVWeatherLocation.h"

#include <QTimer>
#include <QUrl>

#include <utility>

namespace {

constexpr int kLoadingExpiryMs = 600 * 1000;
constexpr qint64 kDefaultForecastIntervalSeconds = 7200;
constexpr qint64 kMaximumAgeSeconds = 604800;
const QString kUpdateIntervalForecast = QStringLiteral("OVUpdateIntervalForecast");

QDateTime distantPast()
{
    return QDateTime(QDate(1, 1, 1), QTime(0, 0), QTimeZone::utc());
}

} // namespace

OVNDFDClient::OVNDFDClient(Product product, OVURLManager &urlManager, OVUserDefaults &settings,
                           const OVClock &clock)
    : mProduct(std::move(product))
    , mURLManager(urlManager)
    , mSettings(settings)
    , mClock(clock)
    , mQueue(std::make_unique<OVSerialQueue>(QStringLiteral("Nimbrel.") + mProduct.className))
    , mContext(std::make_unique<QObject>())
{
    loadFromPrefs();
    OVNotificationCenter &center = OVNotificationCenter::defaultCenter();
    center.addObserver(this, OVEnvironmentNotifyURLLoaded,
                       [this](const OVNotification &n) { updatePostProcessing(n); });
    center.addObserver(this, OVNotifyForceReload,
                       [this](const OVNotification &) { forceUpdateWeather(); });
}

OVNDFDClient::~OVNDFDClient()
{
    OVNotificationCenter::defaultCenter().removeObserver(this);
    mQueue->sync([] {}); // let queued saves finish
}

void OVNDFDClient::updateLocation(const std::shared_ptr<OVWeatherLocation> &location)
{
    updateLocations({location});
}

OVWeatherLocationList OVNDFDClient::filterLocations(const OVWeatherLocationList &locations)
{
    OVWeatherLocationList kept;
    for (const auto &location : locations) {
        if (!location || location->internationalLocation())
            continue;
        if (location->latitude() < -90 || location->latitude() > 90
            || location->longitude() < -180 || location->longitude() > 180)
            continue;
        kept.append(location);
    }
    return kept;
}

void OVNDFDClient::updateLocations(const OVWeatherLocationList &locations)
{
    if (locations.isEmpty())
        return;
    mHaveForecastData = false;
    QStringList keys;
    for (const auto &location : filterLocations(locations)) {
        const QString key = ndfdKeyForLocation(*location);
        if (key.isNull() || keys.contains(key))
            continue;
        keys.append(key);
        {
            std::lock_guard lock(mLoadingMutex);
            mForecastsLoading.append(key);
        }
        scheduleLoadingExpiry(key);
    }
    sendRequest(keys);
}

void OVNDFDClient::sendRequest(const QStringList &keys)
{
    if (keys.isEmpty())
        return;
    // The key list keeps its "+" and "," as they are: QUrl::fromEncoded leaves them alone.
    const QByteArray encoded = (serverURL() + mProduct.scriptPath + mProduct.query.arg(keys.join(QLatin1Char('+')))).toUtf8();
    const QString urlString = QUrl::fromEncoded(encoded).toString(QUrl::FullyEncoded);
    mURLManager.loadURLString(urlString, mProduct.description, OVEnvironmentNotifyURLLoaded);
}

void OVNDFDClient::scheduleLoadingExpiry(const QString &ndfdKey)
{
    // Whatever becomes of the request, the key may be asked for again after ten minutes.
    QTimer::singleShot(kLoadingExpiryMs, mContext.get(), [this, ndfdKey] {
        std::lock_guard lock(mLoadingMutex);
        mForecastsLoading.removeAll(ndfdKey);
    });
}

QString OVNDFDClient::serverURL() const
{
    const QString key = NBSettingKey::ndfdServerURL;
    QString server = mSettings.stringForKey(key);
    if (server.isEmpty())
        server = NBRegisteredDefaults::table().value(key).toString();
    while (server.endsWith(QLatin1Char('/')))
        server.chop(1);
    return server;
}

QString OVNDFDClient::endpointPrefix() const
{
    return serverURL() + mProduct.scriptPath;
}

void OVNDFDClient::updatePostProcessing(const OVNotification &notification)
{
    mDates.clearCache();
    const OVURLPtr url = notification.object.value<OVURLPtr>();
    if (!url || !url->urlString().startsWith(endpointPrefix()))
        return;
    const QString name = mProduct.className;
    if (url->errorOccurred() || !url->dataReady()) {
        OVDebugLog(QStringLiteral("[%1 updatePostProcessing] Either the forecast url wasn't ready "
                                  "or an error occurred.")
                       .arg(name));
        OVPostUpdateResult(mProduct.description, url->httpStatus() >= 400
                                                     ? QStringLiteral("HTTP status %1").arg(url->httpStatus())
                                                     : QStringLiteral("no reply from the server"));
        postForecastNotifications();
        return;
    }
    const QString text = OVDWMLReader::cleanupResponseXML(QString::fromLatin1(url->urlData()));
    if (text.isEmpty()) {
        OVDebugLog(QStringLiteral("[%1 updatePostProcessing] convertedXML was nil.  Returning "
                                  "without a forecast.")
                       .arg(name));
        OVPostUpdateResult(mProduct.description, QStringLiteral("the reply could not be read"));
        return;
    }
    auto parsed = parseXMLIntoForecastDictionary(text);
    if (auto *error = std::get_if<OVDWMLError>(&parsed)) {
        logUnreadableReply(error->reason, text);
        return;
    }
    const QVariantMap forecasts = std::get<QVariantMap>(std::move(parsed));
    if (forecasts.isEmpty() && mProduct.emptyReplyFails) {
        logUnreadableReply(QStringLiteral("the reply has no forecast for any point"), text);
        return;
    }
    mQueue->sync([&] {
        for (auto it = forecasts.cbegin(); it != forecasts.cend(); ++it)
            mPointForecasts.insert(it.key(), it.value());
    });
    saveToPrefs();
    mHaveForecastData = true;
    OVPostUpdateResult(mProduct.description);
    postForecastNotifications();
}

void OVNDFDClient::logUnreadableReply(const QString &reason, const QString &text) const
{
    OVPostUpdateResult(mProduct.description, QStringLiteral("the reply could not be read"));
    OVDebugLog(QStringLiteral("[%1 updatePostProcessing] The reply cannot be read: %2")
                   .arg(mProduct.className, reason));
    OVDebugLog(QStringLiteral("Raw XML-----------------------------------------"));
    OVDebugLog(text);
    OVDebugLog(QStringLiteral("End XML-----------------------------------------"));
}

void OVNDFDClient::postForecastNotifications()
{
    OVNotificationCenter &center = OVNotificationCenter::defaultCenter();
    const QVariant object = QVariant::fromValue(this);
    center.post(OVEnvironmentNotifyForecastLoaded, object);
    center.post(OVNotifyForecastNeedsDisplay, object);
}

std::variant<QVariantMap, OVDWMLError>
OVNDFDClient::parseXMLIntoForecastDictionary(const QString &text)
{
    auto document = OVDWMLReader::parseDocument(text);
    if (auto *error = std::get_if<OVDWMLError>(&document))
        return *error;
    const QDomElement data = OVDWMLReader::dataElement(std::get<QDomDocument>(document));

    auto layouts = OVDWMLReader::timeLayouts(data, mDates);
    if (auto *error = std::get_if<OVDWMLError>(&layouts))
        return *error;
    auto points = OVDWMLReader::points(data);
    if (auto *error = std::get_if<OVDWMLError>(&points))
        return *error;

    const auto &pointList = std::get<QList<OVDWMLPoint>>(points);
    {
        std::lock_guard lock(mLoadingMutex);
        for (const OVDWMLPoint &point : pointList)
            mForecastsLoading.removeAll(point.ndfdKey);
    }
    QVariantMap byLocationKey;
    for (const OVDWMLPoint &point : pointList) {
        if (byLocationKey.contains(point.locationKey))
            continue;
        const QDomElement parameters = OVDWMLReader::parametersFor(data, point.locationKey);
        if (parameters.isNull())
            continue;
        QVariantMap pointForecast =
            pointForecastFromParameters(parameters, std::get<OVDWMLTimeLayouts>(layouts));
        pointForecast.insert(OVForecastKey::lastUpdatedTime, mClock.now());
        byLocationKey.insert(point.locationKey, pointForecast);
    }
    QVariantMap result;
    for (const OVDWMLPoint &point : pointList)
        if (byLocationKey.contains(point.locationKey))
            result.insert(point.ndfdKey, byLocationKey.value(point.locationKey));
    return result;
}

QString OVNDFDClient::ndfdKeyForLocation(const OVWeatherLocation &location)
{
    return ndfdKeyForLatitude(location.latitude(), location.longitude());
}

QString OVNDFDClient::ndfdKeyForLatitude(double latitude, double longitude)
{
    return OVForecastPeriod::ndfdKey(latitude, longitude);
}

void OVNDFDClient::checkIfNeedLoadLocation(const std::shared_ptr<OVWeatherLocation> &location)
{
    if (!location)
        return;
    const QString key = ndfdKeyForLocation(*location);
    if (key.isNull())
        return;
    const qint64 interval = mSettings.objectForKey(kUpdateIntervalForecast).isNull()
                                ? kDefaultForecastIntervalSeconds
                                : mSettings.integerForKey(kUpdateIntervalForecast);
    const QDateTime updated =
        OVForecastPeriod::dateValue(pointForecastForKey(key), OVForecastKey::lastUpdatedTime);
    if (updated.isValid() && updated.secsTo(mClock.now()) < interval)
        return;
    if (forecastsLoading().contains(key) || filterLocations({location}).isEmpty())
        return;
    // Reads come in bursts (every row of the list, every panel): the stale places of one burst
    // go out together in one request, sent once the main thread is free again.
    {
        std::lock_guard lock(mLoadingMutex);
        mForecastsLoading.append(key);
    }
    scheduleLoadingExpiry(key);
    mHaveForecastData = false;
    if (mStaleReadKeys.isEmpty())
        QTimer::singleShot(0, mContext.get(), [this] { sendRequest(std::exchange(mStaleReadKeys, {})); });
    mStaleReadKeys.append(key);
}

void OVNDFDClient::forceUpdateWeather()
{
    mQueue->sync([this] {
        for (auto it = mPointForecasts.begin(); it != mPointForecasts.end(); ++it) {
            QVariantMap pointForecast = it.value().toMap();
            pointForecast.insert(OVForecastKey::lastUpdatedTime, distantPast());
            it.value() = pointForecast;
        }
    });
}

void OVNDFDClient::saveToPrefs()
{
    const QString path = saveFilePath();
    if (path.isEmpty())
        return;
    cleanupOldContent();
    mQueue->async([this, path] {
        const QVariant saved = mProduct.cacheRootKey.isEmpty()
                                   ? QVariant(mPointForecasts)
                                   : QVariant(QVariantMap{{mProduct.cacheRootKey, mPointForecasts}});
        if (!OVPropertyList::writeFile(path, saved))
            OVLog(QStringLiteral("[%1 saveToPrefs] Cannot write the forecast cache %2")
                      .arg(mProduct.className, path));
    });
}

void OVNDFDClient::loadFromPrefs()
{
    const QString path = saveFilePath();
    if (path.isEmpty())
        return;
    QVariantMap saved = OVPropertyList::readFile(path).toMap();
    if (!mProduct.cacheRootKey.isEmpty())
        saved = saved.value(mProduct.cacheRootKey).toMap();
    mQueue->sync([&] {
        for (auto it = saved.cbegin(); it != saved.cend(); ++it)
            if (it.value().typeId() == QMetaType::QVariantMap)
                mPointForecasts.insert(it.key(), it.value());
    });
}

void OVNDFDClient::cleanupOldContent()
{
    const QDateTime now = mClock.now();
    mQueue->async([this, now] {
        for (auto it = mPointForecasts.begin(); it != mPointForecasts.end();) {
            const QDateTime updated =
                OVForecastPeriod::dateValue(it.value().toMap(), OVForecastKey::lastUpdatedTime);
            if (!updated.isValid() || updated.secsTo(now) > kMaximumAgeSeconds)
                it = mPointForecasts.erase(it);
            else
                ++it;
        }
    });
}

QVariantMap OVNDFDClient::pointForecasts() const
{
    QVariantMap copy;
    mQueue->sync([&] { copy = mPointForecasts; });
    return copy;
}

QVariantMap OVNDFDClient::pointForecastForKey(const QString &ndfdKey) const
{
    QVariantMap pointForecast;
    mQueue->sync([&] { pointForecast = mPointForecasts.value(ndfdKey).toMap(); });
    return pointForecast;
}

void OVNDFDClient::storePointForecast(const QString &ndfdKey, const QVariantMap &pointForecast)
{
    mQueue->sync([&] { mPointForecasts.insert(ndfdKey, pointForecast); });
}

QStringList OVNDFDClient::forecastsLoading() const
{
    std::lock_guard lock(mLoadingMutex);
    return mForecastsLoading;
}

QString OVNDFDClient::saveFilePath() const
{
    std::lock_guard lock(mPathMutex);
    return mSaveFilePath;
}

void OVNDFDClient::setSaveFilePath(const QString &path)
{
    std::lock_guard lock(mPathMutex);
    mSaveFilePath = path;
}
