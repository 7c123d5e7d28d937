// The observation service client: requests, reply handling and the in-memory last reply. The
// wire format of a reply's observations is read in OVBrisantObservationsReply.cpp.
#include "weather/OVBrisantObservationsBroker.h"

#include "core/OVReloadNotifications.h"
#include "core/OVSQLite3DB.h"
#include "core/remote/OVInventory.h"
#include "core/remote/OVURLManager.h"
#include "platform/OVDispatch.h"
#include "platform/OVLog.h"
#include "platform/OVNotificationCenter.h"
#include "platform/OVUserDefaults.h"
#include "weather/OVObservationsDB.h"
#include "weather/OVWeatherConditions.h"
#include "weather/OVWeatherController.h"
#include "weather/OVWeatherLocation.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <utility>

namespace {

// How far back the form asks the service to repeat observations, and how far back the first
// request of a run may reach.
constexpr qint64 StartTimeOverlapSeconds = 21600;
constexpr qint64 FirstRequestReachSeconds = 604800;
// A request whose reply never came stops holding back later ones after this long.
constexpr qint64 InFlightExpirySeconds = 300;
const QString ServiceName = QStringLiteral("Observations");

} // namespace

struct OVBrisantObservationsBroker::ParsedLocation
{
    QString key;
    QList<OVWeatherConditions> records; // newest first
    std::optional<QVariantMap> station;
    QString stationId;
};

OVBrisantObservationsBroker &OVBrisantObservationsBroker::sharedClient()
{
    // Never released: replies and notifications may reach it until the process ends.
    static OVBrisantObservationsBroker *const shared = new OVBrisantObservationsBroker();
    return *shared;
}

OVBrisantObservationsBroker::OVBrisantObservationsBroker()
    : OVBrisantObservationsBroker(Services())
{
}

OVBrisantObservationsBroker::OVBrisantObservationsBroker(const Services &services)
    : mServices(services)
{
    auto &center = OVNotificationCenter::defaultCenter();
    center.addObserver(this, OVNotifyLoadDataIfNeeded,
                       [this](const OVNotification &) { updateWeatherIfNeeded(); });
    center.addObserver(this, OVNotifyForceReload,
                       [this](const OVNotification &) { forceUpdateWeather(); });
    center.addObserver(this, OVBrisantObservationsLoaded,
                       [this](const OVNotification &n) { dataLoaded(n); });
}

OVBrisantObservationsBroker::~OVBrisantObservationsBroker()
{
    OVNotificationCenter::defaultCenter().removeObserver(this);
}

OVObservationsDB *OVBrisantObservationsBroker::database() const
{
    return mServices.database ? mServices.database : OVObservationsDB::sharedDatabase();
}

OVWeatherController &OVBrisantObservationsBroker::controller() const
{
    return mServices.controller ? *mServices.controller : OVWeatherController::sharedWeatherController();
}

OVURLManager &OVBrisantObservationsBroker::urlManager() const
{
    return mServices.urlManager ? *mServices.urlManager : OVURLManager::sharedURLManager();
}

OVUserDefaults &OVBrisantObservationsBroker::defaults() const
{
    return mServices.defaults ? *mServices.defaults : OVUserDefaults::standard();
}

const OVClock &OVBrisantObservationsBroker::clock() const
{
    return mServices.clock ? *mServices.clock : OVClock::system();
}

QString OVBrisantObservationsBroker::serverKey() const
{
    return defaults().stringForKey(ServerKeyKey);
}

QString OVBrisantObservationsBroker::endpointURL() const
{
    QString server = defaults().stringForKey(ServerURLKey).trimmed();
    while (server.endsWith(QLatin1Char('/')))
        server.chop(1);
    return server.isEmpty() ? QString() : server + EndpointPath;
}

// --- Locations and requests -----------------------------------------------------------------

void OVBrisantObservationsBroker::setLocationSource(LocationSource source)
{
    mLocationSource = std::move(source);
    if (mLastUpdated.isValid())
        return;
    const OVWeatherLocationList all = locations();
    if (all.isEmpty() || !all.first())
        return;
    OVObservationsDB *db = database();
    const QString station = all.first()->icao();
    if (!db || station.isEmpty())
        return;
    const auto latest = db->latestConditionsForICAO(station);
    if (!latest || !latest->date().isValid())
        return;
    mLastUpdated = std::min(latest->date(), clock().now().addSecs(-FirstRequestReachSeconds));
}

OVWeatherLocationList OVBrisantObservationsBroker::locations() const
{
    return mLocationSource ? mLocationSource() : controller().weatherLocations();
}

void OVBrisantObservationsBroker::forceUpdateWeather()
{
    updateLocations(locations());
}

void OVBrisantObservationsBroker::update()
{
    updateLocations(locations());
}

void OVBrisantObservationsBroker::updateWeatherIfNeeded()
{
    if (!mLastUpdated.isValid() || mLastUpdated.secsTo(clock().now()) > mUpdateInterval)
        update();
}

bool OVBrisantObservationsBroker::checkIfNeedLoadLocation(const std::shared_ptr<OVWeatherLocation> &location)
{
    if (!location)
        return false;
    const QString key = keyForLocation(*location);
    const auto updated = mLastUpdatedTimes.constFind(key);
    if (mObservations.contains(key) && updated != mLastUpdatedTimes.cend()
        && updated->secsTo(clock().now()) <= mUpdateInterval)
        return false;
    updateLocations({location});
    return true;
}

void OVBrisantObservationsBroker::updateLocations(const OVWeatherLocationList &all)
{
    OVWeatherLocationList kept;
    for (const auto &location : all) {
        if (location && location->latitude() >= -90.0 && location->latitude() <= 90.0
            && location->longitude() >= -180.0 && location->longitude() <= 180.0)
            kept.append(location);
    }
    if (joinRequestInFlight(kept))
        return;
    const QString form = postStringForLocations(kept);
    mLastUpdated = clock().now();
    if (kept.isEmpty())
        return;
    const QString endpoint = endpointURL();
    if (endpoint.isEmpty()) {
        if (!mLoggedMissingServer)
            OVLog("[OVBrisantObservationsBroker updateLocations] No observation server is "
                  "configured (OVBrisantObservationsServerURL); nothing is requested.");
        mLoggedMissingServer = true;
        return;
    }
    controller().addLoadPiece();
    mInFlightKeys.clear();
    for (const auto &location : kept)
        mInFlightKeys.insert(keyForLocation(*location));
    mInFlightSince = clock().now();
    const OVURLPtr url = OVURL::createWithURLString(endpoint);
    url->setHttpMethod(QStringLiteral("POST"));
    url->setHttpBody(form.toLatin1());
    url->setHeader("Content-Type", "application/x-www-form-urlencoded");
    urlManager().loadURL(url, QStringLiteral("Observations for all locations"),
                         OVBrisantObservationsLoaded);
}

bool OVBrisantObservationsBroker::joinRequestInFlight(const OVWeatherLocationList &kept)
{
    if (mInFlightKeys.isEmpty() || mInFlightSince.secsTo(clock().now()) > InFlightExpirySeconds)
        return false;
    // Places the request in flight does not cover are asked for once it has ended.
    for (const auto &location : kept) {
        const QString key = keyForLocation(*location);
        if (!mInFlightKeys.contains(key) && !mWaitingKeys.contains(key)) {
            mWaitingKeys.insert(key);
            mWaitingLocations.append(location);
        }
    }
    return true;
}

void OVBrisantObservationsBroker::endRequestInFlight()
{
    mInFlightKeys.clear();
    const OVWeatherLocationList waiting = std::exchange(mWaitingLocations, {});
    mWaitingKeys.clear();
    if (!waiting.isEmpty())
        updateLocations(waiting);
}

QString OVBrisantObservationsBroker::postStringForLocations(const OVWeatherLocationList &all) const
{
    const QString head = QStringLiteral("key=%1&datatypes=%2&output=JSON").arg(serverKey(), serverDatatypes());
    if (all.isEmpty())
        return head;
    QString start;
    if (mLastUpdated.isValid() && all.size() > 1)
        start = QStringLiteral("starttime=%1&")
                    .arg(OVSQLite3DB::stringForDate(mLastUpdated.addSecs(-StartTimeOverlapSeconds)));
    QStringList keys;
    for (const auto &location : all)
        keys << keyForLocation(*location);
    return head + QLatin1Char('&') + start + QStringLiteral("locations=") + keys.join(QLatin1Char('|'));
}

QString OVBrisantObservationsBroker::keyForLocation(const OVWeatherLocation &location) const
{
    return location.brisantDescription(clock());
}

// --- Replies --------------------------------------------------------------------------------

void OVBrisantObservationsBroker::dataLoaded(const OVNotification &notification)
{
    const OVURLPtr url = notification.object.value<OVURLPtr>();
    const QString endpoint = endpointURL();
    if (!url || endpoint.isEmpty() || !url->urlString().startsWith(endpoint))
        return; // another client's download under the same name
    if (url->errorOccurred() || !url->dataReady()) {
        const QString why = url->httpStatus() >= 400 ? QStringLiteral("HTTP status %1").arg(url->httpStatus())
                                                     : QStringLiteral("no reply from the server");
        OVLog(QStringLiteral("[OVBrisantObservationsBroker dataLoaded] The observation request "
                             "failed (%1); nothing was stored.")
                  .arg(why));
        OVPostUpdateResult(ServiceName, why);
    } else {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(url->urlData(), &error);
        if (error.error != QJsonParseError::NoError) {
            OVLog(QStringLiteral("[OVBrisantObservationsBroker dataLoaded] The reply is not JSON "
                                 "(%1 at offset %2); nothing was stored.")
                      .arg(error.errorString())
                      .arg(error.offset));
            OVPostUpdateResult(ServiceName, QStringLiteral("the reply could not be read"));
        } else if (!document.isObject()) {
            OVLog("[OVBrisantObservationsBroker dataLoaded] The reply is not a JSON dictionary; "
                  "nothing was stored.");
            OVPostUpdateResult(ServiceName, QStringLiteral("the reply could not be read"));
        } else {
            parseDictionary(document.object());
        }
    }
    controller().completeLoadPiece();
    endRequestInFlight();
}

void OVBrisantObservationsBroker::parseDictionary(const QJsonObject &reply)
{
    const QJsonValue locationsValue = reply.value(QStringLiteral("Locations"));
    if (!locationsValue.isArray()) {
        OVLog("[OVBrisantObservationsBroker parseDictionary] The reply has no \"Locations\" "
              "array; nothing was stored.");
        OVPostUpdateResult(ServiceName, QStringLiteral("the reply could not be read"));
        return;
    }
    // The pool task gets the reply by value; its results come back only to a living client.
    std::weak_ptr<int> alive = mAlive;
    OVDispatch::global([this, alive, array = locationsValue.toArray()] {
        QList<ParsedLocation> parsed;
        for (const QJsonValue &element : array) {
            if (!element.isObject())
                continue;
            const QJsonObject location = element.toObject();
            ParsedLocation entry;
            entry.key = keyForJSONLocationDictionary(location);
            const QJsonValue observations = location.value(QStringLiteral("Observations"));
            if (entry.key.isEmpty() || !observations.isArray())
                continue;
            for (const QJsonValue &observation : observations.toArray()) {
                if (observation.isObject()) {
                    if (auto record = conditionsForJSONObservation(observation.toObject()))
                        entry.records.append(*record);
                }
            }
            std::stable_sort(entry.records.begin(), entry.records.end(), [](const auto &a, const auto &b) {
                return OVWeatherConditions::dateComparator(a, b) > 0;
            });
            const QJsonValue station = location.value(QStringLiteral("Station"));
            if (station.isObject()) {
                entry.station = station.toObject().toVariantMap();
                entry.stationId = stringForJSONObject(station.toObject().value(QStringLiteral("Station ID")))
                                      .value_or(QString());
            }
            parsed.append(entry);
        }
        OVDispatch::mainAsync([this, alive, parsed] {
            if (!alive.expired())
                storeParsedLocations(parsed);
        });
    });
}

void OVBrisantObservationsBroker::storeParsedLocations(const QList<ParsedLocation> &parsed)
{
    const QDateTime now = clock().now();
    for (const ParsedLocation &entry : parsed) {
        mObservations.insert(entry.key, entry.records);
        if (entry.station)
            mStationMeta.insert(entry.key, *entry.station);
        mLastUpdatedTimes.insert(entry.key, now);
        if (OVObservationsDB *db = database(); db && !entry.stationId.isEmpty())
            db->insertWeatherConditions(entry.records, entry.stationId);
    }
    OVNotificationCenter::defaultCenter().post(OVNotifyICAONeedsDisplay, QVariant::fromValue(this));
    OVPostUpdateResult(ServiceName);
}

// --- The last reply -------------------------------------------------------------------------

std::optional<OVWeatherConditions> OVBrisantObservationsBroker::currentConditionsForLocation(
    const std::shared_ptr<OVWeatherLocation> &location)
{
    if (!location)
        return std::nullopt;
    checkIfNeedLoadLocation(location);
    const QList<OVWeatherConditions> records = mObservations.value(keyForLocation(*location));
    if (records.isEmpty())
        return std::nullopt;
    OVWeatherConditions newest = records.first();
    newest.setIsDayFromLocation(*location, clock());
    return newest;
}

QVariantMap OVBrisantObservationsBroker::stationDictionaryForLocation(
    const std::shared_ptr<OVWeatherLocation> &location)
{
    if (!location)
        return {};
    checkIfNeedLoadLocation(location);
    return mStationMeta.value(keyForLocation(*location));
}

QList<OVWeatherConditions> OVBrisantObservationsBroker::observationsForKey(const QString &key) const
{
    return mObservations.value(key);
}

QVariantMap OVBrisantObservationsBroker::stationMetaForKey(const QString &key) const
{
    return mStationMeta.value(key);
}

QDateTime OVBrisantObservationsBroker::lastUpdatedTimeForKey(const QString &key) const
{
    return mLastUpdatedTimes.value(key);
}
