// The client of the forecast data service: daily and hourly forecast rows for every monitored
// location, domestic or not, and the surface-analysis bulletin of the weather map.
//
// Each update pass ("OVNotifyForceReload") sends one form POST for all monitored locations; a
// read of a section older than 2 hours asks for that section alone unless it is already loading.
// A key that a request in flight already asks for is not sent again (its reply answers it). A
// reply's section, named by coordinates alone, is filed under the key it was asked for (with
// the station code). Each request's end is reported with "OVNotifyUpdateResult".
// Requests go over a connection of their own (not the download manager), each with its own
// receive buffer, certificates verified normally, a 60 s transfer timeout. The service's scheme
// and host are the user default "OVBrisantDataServerURL"; while it is empty nothing is sent.
//
// A reply (OVBrisantReplyParser) is kept per section key in `content`: section key -> {dataset
// name -> rows, "lastUpdatedTime" -> date}, saved as a property list and pruned of sections older
// than 7 days. After a completed download the client posts "OVEnvironmentNotifyForecastLoaded",
// "OVEnvironmentNotifySurfaceAnalysisLoaded" and "OVNotifyForecastNeedsDisplay" (object: the
// client, as OVBrisantDataBroker *). A failed download changes nothing and posts nothing.
//
// Threads: requests, replies, parsing and notifications belong to the main thread (a request
// asked for elsewhere is handed to it). `content` is touched only on the client's serial queue:
// reads synchronously, stores, pruning and saving asynchronously and in that order, so a read
// right after a reply sees everything the reply stored.
#pragma once

#include "platform/OVClock.h"
#include "weather/OVWeatherController.h"
#include "weather/OVWeatherNotifications.h"

#include <QDateTime>
#include <QList>
#include <QMetaType>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

#include <memory>
#include <mutex>

class OVLocation;
class OVSerialQueue;
class QNetworkAccessManager;
class QNetworkReply;

class OVBrisantDataBroker : public QObject
{
    Q_OBJECT

public:
    /// The process's client, made on first use and never released.
    static OVBrisantDataBroker &sharedBrisantClient();
    /// The same instance, for the map's surface-analysis layer.
    static OVBrisantDataBroker &shared() { return sharedBrisantClient(); }

    /// Observes "OVNotifyLoadDataIfNeeded" and "OVNotifyForceReload". The access key is read
    /// from the user default "OVBrisantServerKey". Must be made on the main thread.
    explicit OVBrisantDataBroker(const OVClock &clock = OVClock::system());
    /// Stops observing, drops replies still in flight, and waits for queued cache work.
    ~OVBrisantDataBroker() override;

    /// Supplier of the locations to request; the shared weather controller when none is set.
    void setLocationSource(OVWeatherController *source);
    /// Cache file (none: nothing is saved or loaded).
    void setSaveFilePath(const QString &path);
    QString saveFilePath() const;
    QString serverKey() const;
    void setServerKey(const QString &key);
    QString serverDatatypes() const;
    void setServerDatatypes(const QString &datatypes);
    /// Time of the last update made by `updateWeatherIfNeeded`.
    QDateTime lastUpdated() const;
    /// Section keys requested and not yet answered.
    QStringList sectionsLoading() const;

    // --- Reads (any thread; a stale section is requested again) ----------------------------

    /// The location's "HOURLY_FORECAST" rows; empty when none are stored.
    QList<QVariantMap> hourlyForecastForLocation(const OVLocation &location);
    /// The location's "DAILY_FORECAST" rows; empty when none are stored.
    QList<QVariantMap> dailyForecastForLocation(const OVLocation &location);
    /// The bulletin: the raw lines of "SURFACE_ANALYSIS"/"LATEST"; empty when none are stored.
    QStringList surfaceAnalysis();

    /// The dataset of a section; null when absent. A key of more than three comma-separated
    /// fields (a location with a station code) that finds nothing tries its first three.
    QVariant dataArrayForSection(const QString &section, const QString &key) const;
    /// Stores a dataset (later, on the queue); ignored when an argument is missing.
    void setDataArray(const QVariantList &array, const QString &section, const QString &key);
    /// The section's "lastUpdatedTime" under exactly that key; invalid when none.
    QDateTime lastUpdatedForSection(const QString &section) const;
    void setLastUpdated(const QDateTime &date, const QString &section);

    // --- Requests (main thread) -------------------------------------------------------------

    void checkIfNeedLoadLocation(const OVLocation &location);
    void checkIfNeedLoadSection(const QString &section);
    /// Updates when the user default "OVUpdateIntervalForecast" (seconds, 0 when unset) has
    /// passed since the last such update.
    void updateWeatherIfNeeded();
    /// Forgets what is loading, then `update`.
    void forceUpdateWeather();
    /// Requests every location of `locations`.
    void update();
    OVWeatherLocationList locations() const;
    /// One request for the locations within ±90° / ±180° and the bulletin.
    void updateLocations(const OVWeatherLocationList &locations);
    void updateSections(const QStringList &sections);
    /// "key=K&datatypes=D", followed by "&locations=" and the keys joined by "|" when there
    /// are any. Nothing is escaped.
    QString postStringForLocations(const OVWeatherLocationList &locations) const;
    QString postStringForLocationKeys(const QStringList &keys) const;
    /// "key=K&datatypes=" followed by the section keys joined by ",".
    QString postStringForDataTypes(const QStringList &sections) const;

    /// Stores a decoded reply, saves the cache and posts the three notifications.
    void updatePostProcessing(const QString &reply);

    // --- Cache ------------------------------------------------------------------------------

    /// Prunes, then writes `content` to the save file (later, on the queue).
    void saveToPrefs();
    /// Replaces `content` with the save file's dictionary, when it holds one.
    void loadFromPrefs();
    /// Removes the sections without a "lastUpdatedTime" or older than 7 days (on the queue).
    void cleanupOldContent();
    /// A copy of everything stored (waits for queued stores).
    QVariantMap content() const;

private:
    struct LocationRequest
    {
        QString key;
        double latitude;
        double longitude;
    };

    QString keyForLocation(const OVLocation &location) const;
    QVariant readDataset(const QString &section, const QString &key) const;
    bool isStale(const QString &section) const;
    void requestLocationKeys(const QStringList &keys);
    void sendRequest(const QStringList &keys, bool sectionsOnly);
    void startRequest(const QStringList &keys, bool sectionsOnly);
    QStringList filingKeys(const QString &section) const;
    void replyFinished(QNetworkReply *reply);
    void dropRequests();

    const OVClock &mClock;
    std::unique_ptr<OVSerialQueue> mCacheQueue;
    QVariantMap mContent; // on mCacheQueue only

    mutable std::mutex mMutex; // guards the fields below
    OVWeatherController *mLocationSource = nullptr;
    QStringList mSectionsLoading;
    QDateTime mLastUpdated;
    QString mServerKey;
    QString mServerDatatypes;
    QString mSaveFilePath;
    bool mLoggedMissingHost = false;
    QStringList mRequestedKeys; // location keys with a station code that were asked for
    QStringList mStaleReadKeys; // stale places read since the last request went out

    // Main thread.
    QNetworkAccessManager *mNetwork = nullptr;
    QList<QPointer<QNetworkReply>> mReplies;
    QSet<QString> mInFlightKeys; // keys asked for by the requests awaiting their replies
};

Q_DECLARE_METATYPE(OVBrisantDataBroker *)
