// The client of the Brisant observation service.
//
// On every update pass it sends one form POST for all monitored locations to
// <OVBrisantObservationsServerURL>/cgi-bin/observation_broker.cgi, counts one load piece on the
// weather controller, reads the JSON reply into OVWeatherConditions records off the main thread,
// stores each station's batch through OVObservationsDB (a re-sent observation is stored once)
// and posts "OVNotifyICAONeedsDisplay" (object: the client) once per handled reply. A failed or
// malformed reply changes nothing stored and still completes its load piece. Each request's end
// is reported with "OVNotifyUpdateResult" (service "Observations"). One request at a time: one
// asked for while another is in flight is joined to it. With no server
// configured nothing is sent (one log line).
//
// Threads: main thread. Replies are read on the main thread, records are made in a pool task,
// storing and the notification run back on the main thread in that order. A client destroyed
// while a reply is in flight drops the reply's results.
#pragma once

#include "core/NBRegisteredDefaults.h"
#include "platform/OVClock.h"

#include <QDateTime>
#include <QHash>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QSet>
#include <QString>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <optional>

class OVObservationsDB;
class OVURLManager;
class OVUserDefaults;
class OVWeatherConditions;
class OVWeatherController;
class OVWeatherLocation;
struct OVNotification;

using OVWeatherLocationList = QList<std::shared_ptr<OVWeatherLocation>>;

inline const QString OVNotifyICAONeedsDisplay = QStringLiteral("OVNotifyICAONeedsDisplay");
inline const QString OVBrisantObservationsLoaded = QStringLiteral("OVBrisantObservationsLoaded");

class OVBrisantObservationsBroker
{
public:
    /// Where the client reaches its collaborators; a null member means the shared one.
    struct Services
    {
        OVObservationsDB *database = nullptr;
        OVWeatherController *controller = nullptr;
        OVURLManager *urlManager = nullptr;
        OVUserDefaults *defaults = nullptr;
        const OVClock *clock = nullptr;
    };
    /// Answers the monitored locations; empty means the weather controller's.
    using LocationSource = std::function<OVWeatherLocationList()>;

    static inline const QString EndpointPath = QStringLiteral("/cgi-bin/observation_broker.cgi");
    static inline const QString ServerURLKey = QStringLiteral("OVBrisantObservationsServerURL");
    static inline const QString ServerKeyKey = NBSettingKey::brisantServerKey;

    /// The process's client, made on first use (main thread) and never released.
    static OVBrisantObservationsBroker &sharedClient();

    /// Observes "OVNotifyLoadDataIfNeeded", "OVNotifyForceReload" and the reply notification.
    OVBrisantObservationsBroker();
    explicit OVBrisantObservationsBroker(const Services &services);
    ~OVBrisantObservationsBroker();
    OVBrisantObservationsBroker(const OVBrisantObservationsBroker &) = delete;
    OVBrisantObservationsBroker &operator=(const OVBrisantObservationsBroker &) = delete;

    double updateInterval() const { return mUpdateInterval; }
    void setUpdateInterval(double seconds) { mUpdateInterval = seconds; }
    /// Time of the last request; invalid before the first.
    QDateTime lastUpdated() const { return mLastUpdated; }
    void setLastUpdated(const QDateTime &date) { mLastUpdated = date; }
    /// The service key and the data types the form carries.
    QString serverKey() const;
    QString serverDatatypes() const { return QStringLiteral("OBSERVATIONS"); }
    /// The endpoint URL; empty while no server is configured.
    QString endpointURL() const;

    /// Keeps the source; before the first request, seeds `lastUpdated` from the first
    /// location's stored observations (at most a week back).
    void setLocationSource(LocationSource source);
    OVWeatherLocationList locations() const;

    void forceUpdateWeather();
    void update();
    void updateWeatherIfNeeded();
    /// Requests the location unless its observations arrived within `updateInterval`; true when
    /// a request was made.
    bool checkIfNeedLoadLocation(const std::shared_ptr<OVWeatherLocation> &location);
    /// One request for every location with valid coordinates. While a request is in flight a
    /// new one is joined to it: places it does not cover are asked for once it has ended.
    void updateLocations(const OVWeatherLocationList &locations);
    /// The form text for the locations (with the current `lastUpdated`).
    QString postStringForLocations(const OVWeatherLocationList &locations) const;

    /// Handles the reply notification of the download manager.
    void dataLoaded(const OVNotification &notification);

    QString keyForLocation(const OVWeatherLocation &location) const;
    /// The location key a reply's location element is filed under; empty when it has none.
    static QString keyForJSONLocationDictionary(const QJsonObject &location);
    /// A number's value, else -1000.
    static double numberForJSONObject(const QJsonValue &value);
    /// A string as is, a number as decimal text without exponent; none otherwise.
    static std::optional<QString> stringForJSONObject(const QJsonValue &value);
    /// One observation element as a record; none without a readable "Time".
    static std::optional<OVWeatherConditions> conditionsForJSONObservation(const QJsonObject &obs);

    /// Newest conditions of the last reply for the location (day flag set from it).
    std::optional<OVWeatherConditions> currentConditionsForLocation(
        const std::shared_ptr<OVWeatherLocation> &location);
    QVariantMap stationDictionaryForLocation(const std::shared_ptr<OVWeatherLocation> &location);

    /// Records of the last reply per location key, newest first.
    QList<OVWeatherConditions> observationsForKey(const QString &key) const;
    QVariantMap stationMetaForKey(const QString &key) const;
    QDateTime lastUpdatedTimeForKey(const QString &key) const;

private:
    struct ParsedLocation;
    void parseDictionary(const QJsonObject &reply);
    void storeParsedLocations(const QList<ParsedLocation> &parsed);
    bool joinRequestInFlight(const OVWeatherLocationList &kept);
    void endRequestInFlight();
    OVObservationsDB *database() const;
    OVWeatherController &controller() const;
    OVURLManager &urlManager() const;
    OVUserDefaults &defaults() const;
    const OVClock &clock() const;

    Services mServices;
    LocationSource mLocationSource;
    double mUpdateInterval = 1800.0;
    QDateTime mLastUpdated;
    bool mLoggedMissingServer = false;
    QSet<QString> mInFlightKeys; // keys of the request awaiting its reply
    QDateTime mInFlightSince;
    QSet<QString> mWaitingKeys; // asked for while it was in flight
    OVWeatherLocationList mWaitingLocations;
    QHash<QString, QList<OVWeatherConditions>> mObservations;
    QHash<QString, QVariantMap> mStationMeta;
    QHash<QString, QDateTime> mLastUpdatedTimes;
    // Pool tasks hold a weak reference: results of a reply outlive no client.
    std::shared_ptr<int> mAlive = std::make_shared<int>(0);
};
