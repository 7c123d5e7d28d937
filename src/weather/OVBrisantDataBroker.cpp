// The forecast data service's client: requests, replies, and the section cache.
#include "weather/OVBrisantDataBroker.h"

#include "core/NBRegisteredDefaults.h"
#include "core/OVReloadNotifications.h"
#include "core/remote/OVInventory.h"
#include "platform/OVDispatch.h"
#include "platform/OVLog.h"
#include "platform/OVNotificationCenter.h"
#include "platform/OVPropertyList.h"
#include "platform/OVUserDefaults.h"
#include "weather/OVBrisantReplyParser.h"
#include "weather/OVForecastPeriod.h"
#include "weather/OVLocation.h"
#include "weather/OVWeatherLocation.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

#include <cmath>
#include <utility>

namespace {

const QString kPath = QStringLiteral("/cgi-bin/data_broker.cgi");
const QString kDefaultDatatypes = QStringLiteral("DAILY_FORECAST,HOURLY_FORECAST,SURFACE_ANALYSIS");
const QString kUpdateIntervalKey = QStringLiteral("OVUpdateIntervalForecast");

constexpr qint64 kStaleAfterSeconds = 7200;
constexpr qint64 kPruneAfterSeconds = 604800;
constexpr int kTransferTimeoutMs = 60000;

bool inRange(double latitude, double longitude)
{
    return std::fabs(latitude) <= 90.0 && std::fabs(longitude) <= 180.0;
}

const QString kServiceName = QStringLiteral("Forecasts");
const char *const kRequestKeysProperty = "nimbrelRequestKeys";

void logFailure(const QString &reason)
{
    OVLog(QStringLiteral("[OVBrisantDataBroker connection] Failed to load international forecasts: ")
          + reason);
}

QList<QVariantMap> periodList(const QVariant &rows)
{
    QList<QVariantMap> periods;
    const QVariantList list = rows.toList();
    periods.reserve(list.size());
    for (const QVariant &row : list)
        periods.append(row.toMap());
    return periods;
}

} // namespace

OVBrisantDataBroker &OVBrisantDataBroker::sharedBrisantClient()
{
    // Made on the main thread, which owns its connections; kept until the process ends.
    static OVBrisantDataBroker *instance = [] {
        OVBrisantDataBroker *made = nullptr;
        OVDispatch::mainSync([&made] { made = new OVBrisantDataBroker(); });
        return made;
    }();
    return *instance;
}

OVBrisantDataBroker::OVBrisantDataBroker(const OVClock &clock)
    : mClock(clock)
    , mCacheQueue(std::make_unique<OVSerialQueue>(QStringLiteral("Nimbrel.OVBrisantBroker")))
    , mServerKey(OVUserDefaults::standard().stringForKey(NBSettingKey::brisantServerKey))
    , mServerDatatypes(kDefaultDatatypes)
    , mNetwork(new QNetworkAccessManager(this))
{
    OVNotificationCenter &center = OVNotificationCenter::defaultCenter();
    center.addObserver(this, OVNotifyLoadDataIfNeeded,
                       [this](const OVNotification &) { updateWeatherIfNeeded(); });
    center.addObserver(this, OVNotifyForceReload,
                       [this](const OVNotification &) { forceUpdateWeather(); });
}

OVBrisantDataBroker::~OVBrisantDataBroker()
{
    OVNotificationCenter::defaultCenter().removeObserver(this);
    dropRequests();
    mCacheQueue->sync([] {});
}

// --- Properties ---------------------------------------------------------------------------------

void OVBrisantDataBroker::setLocationSource(OVWeatherController *source)
{
    std::lock_guard lock(mMutex);
    mLocationSource = source;
}

void OVBrisantDataBroker::setSaveFilePath(const QString &path)
{
    std::lock_guard lock(mMutex);
    mSaveFilePath = path;
}

QString OVBrisantDataBroker::saveFilePath() const
{
    std::lock_guard lock(mMutex);
    return mSaveFilePath;
}

QString OVBrisantDataBroker::serverKey() const
{
    std::lock_guard lock(mMutex);
    return mServerKey;
}

void OVBrisantDataBroker::setServerKey(const QString &key)
{
    std::lock_guard lock(mMutex);
    mServerKey = key;
}

QString OVBrisantDataBroker::serverDatatypes() const
{
    std::lock_guard lock(mMutex);
    return mServerDatatypes;
}

void OVBrisantDataBroker::setServerDatatypes(const QString &datatypes)
{
    std::lock_guard lock(mMutex);
    mServerDatatypes = datatypes;
}

QDateTime OVBrisantDataBroker::lastUpdated() const
{
    std::lock_guard lock(mMutex);
    return mLastUpdated;
}

QStringList OVBrisantDataBroker::sectionsLoading() const
{
    std::lock_guard lock(mMutex);
    return mSectionsLoading;
}

// --- Reads --------------------------------------------------------------------------------------

QString OVBrisantDataBroker::keyForLocation(const OVLocation &location) const
{
    return location.brisantDescription(mClock);
}

QList<QVariantMap> OVBrisantDataBroker::hourlyForecastForLocation(const OVLocation &location)
{
    checkIfNeedLoadLocation(location);
    return periodList(dataArrayForSection(keyForLocation(location), OVBrisantSection::hourlyForecast));
}

QList<QVariantMap> OVBrisantDataBroker::dailyForecastForLocation(const OVLocation &location)
{
    checkIfNeedLoadLocation(location);
    return periodList(dataArrayForSection(keyForLocation(location), OVBrisantSection::dailyForecast));
}

QStringList OVBrisantDataBroker::surfaceAnalysis()
{
    checkIfNeedLoadSection(OVBrisantSection::surfaceAnalysis);
    return dataArrayForSection(OVBrisantSection::surfaceAnalysis, OVBrisantSection::latest)
        .toStringList();
}

QVariant OVBrisantDataBroker::dataArrayForSection(const QString &section, const QString &key) const
{
    if (section.isEmpty() || key.isEmpty())
        return QVariant();
    QVariant dataset;
    mCacheQueue->sync([&] {
        auto found = mContent.constFind(section);
        if (found == mContent.constEnd()) {
            const QString shortKey = OVForecastPeriod::serviceKeyFallback(section);
            if (!shortKey.isNull())
                found = mContent.constFind(shortKey);
        }
        if (found != mContent.constEnd())
            dataset = found->toMap().value(key);
    });
    return dataset;
}

void OVBrisantDataBroker::setDataArray(const QVariantList &array, const QString &section,
                                       const QString &key)
{
    if (section.isEmpty() || key.isEmpty())
        return;
    mCacheQueue->async([this, array, section, key] {
        QVariantMap stored = mContent.value(section).toMap();
        stored.insert(key, array);
        mContent.insert(section, stored);
    });
}

QDateTime OVBrisantDataBroker::lastUpdatedForSection(const QString &section) const
{
    if (section.isEmpty())
        return QDateTime();
    QDateTime date;
    mCacheQueue->sync([&] {
        date = OVForecastPeriod::dateValue(mContent.value(section).toMap(),
                                           OVForecastKey::lastUpdatedTime);
    });
    return date;
}

void OVBrisantDataBroker::setLastUpdated(const QDateTime &date, const QString &section)
{
    if (!date.isValid() || section.isEmpty())
        return;
    mCacheQueue->async([this, date, section] {
        QVariantMap stored = mContent.value(section).toMap();
        stored.insert(OVForecastKey::lastUpdatedTime, date);
        mContent.insert(section, stored);
    });
}

QVariantMap OVBrisantDataBroker::content() const
{
    QVariantMap copy;
    mCacheQueue->sync([&] { copy = mContent; });
    return copy;
}

// --- Requests -----------------------------------------------------------------------------------

bool OVBrisantDataBroker::isStale(const QString &section) const
{
    const QDateTime updated = lastUpdatedForSection(section);
    if (updated.isValid() && updated.secsTo(mClock.now()) < kStaleAfterSeconds)
        return false;
    std::lock_guard lock(mMutex);
    return !mSectionsLoading.contains(section);
}

void OVBrisantDataBroker::checkIfNeedLoadLocation(const OVLocation &location)
{
    if (!inRange(location.latitude(), location.longitude()))
        return;
    const QString key = keyForLocation(location);
    if (!isStale(key))
        return;
    // Reads come in bursts (every row of the list, every panel): the stale places of one burst
    // go out together in one request, sent once the main thread is free again.
    bool first = false;
    {
        std::lock_guard lock(mMutex);
        if (!mSectionsLoading.contains(key))
            mSectionsLoading.append(key);
        first = mStaleReadKeys.isEmpty();
        if (!mStaleReadKeys.contains(key))
            mStaleReadKeys.append(key);
    }
    if (first)
        QMetaObject::invokeMethod(
            this,
            [this] {
                QStringList keys;
                {
                    std::lock_guard lock(mMutex);
                    keys = std::exchange(mStaleReadKeys, {});
                }
                requestLocationKeys(keys);
            },
            Qt::QueuedConnection);
}

void OVBrisantDataBroker::checkIfNeedLoadSection(const QString &section)
{
    if (!section.isEmpty() && isStale(section))
        updateSections({section});
}

void OVBrisantDataBroker::updateWeatherIfNeeded()
{
    const qint64 interval = OVUserDefaults::standard().integerForKey(kUpdateIntervalKey);
    const QDateTime now = mClock.now();
    {
        std::lock_guard lock(mMutex);
        if (mLastUpdated.isValid() && mLastUpdated.secsTo(now) < interval)
            return;
        mLastUpdated = now;
    }
    update();
}

void OVBrisantDataBroker::forceUpdateWeather()
{
    {
        std::lock_guard lock(mMutex);
        mSectionsLoading.clear();
    }
    update();
}

void OVBrisantDataBroker::update()
{
    updateLocations(locations());
}

OVWeatherLocationList OVBrisantDataBroker::locations() const
{
    OVWeatherController *source = nullptr;
    {
        std::lock_guard lock(mMutex);
        source = mLocationSource;
    }
    if (!source)
        source = &OVWeatherController::sharedWeatherController();
    return source->weatherLocations();
}

void OVBrisantDataBroker::updateLocations(const OVWeatherLocationList &locations)
{
    QStringList keys;
    for (const std::shared_ptr<OVWeatherLocation> &location : locations) {
        if (location && inRange(location->latitude(), location->longitude()))
            keys.append(keyForLocation(*location));
    }
    requestLocationKeys(keys);
}

void OVBrisantDataBroker::requestLocationKeys(const QStringList &keys)
{
    {
        std::lock_guard lock(mMutex);
        for (const QString &key : keys + QStringList{OVBrisantSection::surfaceAnalysis}) {
            if (!mSectionsLoading.contains(key))
                mSectionsLoading.append(key);
            if (key.count(QLatin1Char(',')) > 2 && !mRequestedKeys.contains(key))
                mRequestedKeys.append(key);
        }
    }
    sendRequest(keys, false);
}

void OVBrisantDataBroker::updateSections(const QStringList &sections)
{
    {
        std::lock_guard lock(mMutex);
        for (const QString &section : sections) {
            if (!mSectionsLoading.contains(section))
                mSectionsLoading.append(section);
        }
    }
    sendRequest(sections, true);
}

QString OVBrisantDataBroker::postStringForLocations(const OVWeatherLocationList &locations) const
{
    QStringList keys;
    for (const std::shared_ptr<OVWeatherLocation> &location : locations) {
        if (location && inRange(location->latitude(), location->longitude()))
            keys.append(keyForLocation(*location));
    }
    return postStringForLocationKeys(keys);
}

QString OVBrisantDataBroker::postStringForLocationKeys(const QStringList &keys) const
{
    QString body = QStringLiteral("key=%1&datatypes=%2").arg(serverKey(), serverDatatypes());
    if (!keys.isEmpty())
        body += QStringLiteral("&locations=") + keys.join(QLatin1Char('|'));
    return body;
}

QString OVBrisantDataBroker::postStringForDataTypes(const QStringList &sections) const
{
    return QStringLiteral("key=%1&datatypes=").arg(serverKey()) + sections.join(QLatin1Char(','));
}

void OVBrisantDataBroker::sendRequest(const QStringList &keys, bool sectionsOnly)
{
    if (OVDispatch::isMainThread()) {
        startRequest(keys, sectionsOnly);
        return;
    }
    // Dropped with the client when it goes before the main thread gets to it.
    QMetaObject::invokeMethod(
        this, [this, keys, sectionsOnly] { startRequest(keys, sectionsOnly); }, Qt::QueuedConnection);
}

void OVBrisantDataBroker::startRequest(const QStringList &keys, bool sectionsOnly)
{
    // A key already asked for by a request in flight is answered by that request's reply: only
    // the others are sent, and nothing at all when every key is in flight.
    QStringList fresh;
    for (const QString &key : keys)
        if (!mInFlightKeys.contains(key) && !fresh.contains(key))
            fresh.append(key);
    const bool freshSurfaceAnalysis = !sectionsOnly && !mInFlightKeys.contains(OVBrisantSection::surfaceAnalysis);
    if (fresh.isEmpty() && !freshSurfaceAnalysis) {
        OVDebugLog(QStringLiteral("[OVBrisantDataBroker update] Joined the request in flight."));
        return;
    }
    const QByteArray body =
        (sectionsOnly ? postStringForDataTypes(fresh) : postStringForLocationKeys(fresh)).toLatin1();
    if (freshSurfaceAnalysis)
        fresh.append(OVBrisantSection::surfaceAnalysis);

    const QString server =
        OVUserDefaults::standard().stringForKey(NBSettingKey::brisantDataServerURL).trimmed();
    if (server.isEmpty()) {
        std::lock_guard lock(mMutex);
        if (!mLoggedMissingHost)
            OVLog(QStringLiteral("[OVBrisantDataBroker update] No forecast data server is set "
                                 "(OVBrisantDataServerURL); no forecasts are requested."));
        mLoggedMissingHost = true;
        return;
    }
    const QUrl url(server + kPath);
    if (!url.isValid() || url.host().isEmpty()) {
        logFailure(QStringLiteral("failed to create the connection"));
        return;
    }
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QByteArrayLiteral("application/x-www-form-urlencoded"));
    request.setTransferTimeout(kTransferTimeoutMs);
    OVDebugLog(QStringLiteral("[OVBrisantDataBroker update] POST %1: %2")
                   .arg(url.toString(), QString::fromLatin1(body)));
    QNetworkReply *reply = mNetwork->post(request, body);
    reply->setProperty(kRequestKeysProperty, fresh);
    for (const QString &key : std::as_const(fresh))
        mInFlightKeys.insert(key);
    mReplies.append(reply);
    connect(reply, &QNetworkReply::finished, this, [this, reply] { replyFinished(reply); });
}

void OVBrisantDataBroker::replyFinished(QNetworkReply *reply)
{
    mReplies.removeAll(reply);
    reply->deleteLater();
    for (const QString &key : reply->property(kRequestKeysProperty).toStringList())
        mInFlightKeys.remove(key);
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status >= 400) {
        logFailure(QStringLiteral("HTTP status %1").arg(status));
        OVPostUpdateResult(kServiceName, QStringLiteral("HTTP status %1").arg(status));
        return;
    }
    if (reply->error() != QNetworkReply::NoError) {
        logFailure(reply->errorString());
        OVPostUpdateResult(kServiceName, reply->errorString());
        return;
    }
    updatePostProcessing(OVBrisantReplyParser::decode(reply->readAll()));
    OVPostUpdateResult(kServiceName);
}

void OVBrisantDataBroker::dropRequests()
{
    for (const QPointer<QNetworkReply> &reply : std::as_const(mReplies)) {
        if (!reply)
            continue;
        disconnect(reply, nullptr, this, nullptr);
        reply->abort();
        delete reply.data();
    }
    mReplies.clear();
    mInFlightKeys.clear();
}

// --- Replies ------------------------------------------------------------------------------------

QStringList OVBrisantDataBroker::filingKeys(const QString &section) const
{
    // The reply names a place by its coordinates alone; a place asked for with its station code
    // gets the section under the key it was asked for, so its staleness check finds it.
    std::lock_guard lock(mMutex);
    QStringList keys;
    for (const QString &requested : mRequestedKeys)
        if (OVForecastPeriod::serviceKeyFallback(requested) == section)
            keys.append(requested);
    if (keys.isEmpty() || mSectionsLoading.contains(section))
        keys.append(section);
    return keys;
}

void OVBrisantDataBroker::updatePostProcessing(const QString &reply)
{
    const QDateTime now = mClock.now();
    for (const OVBrisantReplyParser::Step &step : OVBrisantReplyParser::parse(reply)) {
        if (const auto *store = std::get_if<OVBrisantReplyParser::StoreDataset>(&step)) {
            for (const QString &key : filingKeys(store->section))
                setDataArray(store->rows, key, store->dataset);
        } else {
            const QString &section = std::get<OVBrisantReplyParser::CloseSection>(step).section;
            for (const QString &key : filingKeys(section)) {
                setLastUpdated(now, key);
                std::lock_guard lock(mMutex);
                mSectionsLoading.removeAll(key);
            }
        }
    }
    saveToPrefs();
    OVNotificationCenter &center = OVNotificationCenter::defaultCenter();
    const QVariant object = QVariant::fromValue(this);
    center.post(OVEnvironmentNotifyForecastLoaded, object);
    center.post(OVEnvironmentNotifySurfaceAnalysisLoaded, object);
    center.post(OVNotifyForecastNeedsDisplay, object);
}

// --- Cache --------------------------------------------------------------------------------------

void OVBrisantDataBroker::saveToPrefs()
{
    const QString path = saveFilePath();
    if (path.isEmpty())
        return;
    cleanupOldContent();
    mCacheQueue->async([this, path] {
        if (!OVPropertyList::writeFile(path, mContent))
            OVLog(QStringLiteral("[OVBrisantDataBroker saveToPrefs] Could not write the cache %1.")
                      .arg(path));
    });
}

void OVBrisantDataBroker::loadFromPrefs()
{
    const QString path = saveFilePath();
    if (path.isEmpty())
        return;
    mCacheQueue->sync([this, path] {
        const QVariant stored = OVPropertyList::readFile(path);
        if (stored.typeId() == QMetaType::QVariantMap)
            mContent = stored.toMap();
    });
}

void OVBrisantDataBroker::cleanupOldContent()
{
    const QDateTime now = mClock.now();
    mCacheQueue->async([this, now] {
        for (auto section = mContent.begin(); section != mContent.end();) {
            const QDateTime updated = OVForecastPeriod::dateValue(section->toMap(),
                                                                  OVForecastKey::lastUpdatedTime);
            if (!updated.isValid() || updated.secsTo(now) > kPruneAfterSeconds)
                section = mContent.erase(section);
            else
                ++section;
        }
    });
}
