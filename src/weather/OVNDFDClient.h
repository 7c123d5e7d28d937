// The mechanics both NDFD clients share: one batched request per call for the NDFD keys of the
// domestic locations asked about, reply handling, the per-key point-forecast cache with its
// property-list file, the staleness check and forced reloads. OVHourlyNDFD and OVNDFD add the
// product they ask for and how a reply's parameters become a point forecast.
//
// Threads: every entry point runs on the main thread (the download manager posts there). The
// cache is touched only on the client's serial queue: reads and merges synchronously, pruning
// and saving asynchronously, in queue order. `forecastsLoading`, `haveForecastData` and the
// time-text cache are main-thread state.
//
// Notifications: observes "OVEnvironmentNotifyURLLoaded" (replies) and "OVNotifyForceReload";
// after a handled reply posts "OVEnvironmentNotifyForecastLoaded" then
// "OVNotifyForecastNeedsDisplay" with the client (a pointer to this object) as object. How each
// request ended is reported with "OVNotifyUpdateResult" (service: the product's description).
#pragma once

#include "core/OVReloadNotifications.h"

#include "weather/OVDWMLReader.h"
#include "weather/OVNDFDDateParser.h"
#include "weather/OVWeatherNotifications.h"
#include "weather/OVWeatherController.h"

#include <QDomElement>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <memory>
#include <mutex>
#include <variant>

class OVClock;
class OVSerialQueue;
class OVURLManager;
class OVUserDefaults;
class OVWeatherLocation;
struct OVNotification;

inline const QString OVEnvironmentNotifyURLLoaded = QStringLiteral("OVEnvironmentNotifyURLLoaded");

class OVNDFDClient
{
public:
    /// What tells the two products apart.
    struct Product
    {
        QString className;     // first word of log lines: "OVHourlyNDFD"
        QString scriptPath;    // "/xml/sample_products/browser_interface/ndfdXMLclient.php"
        QString query;         // "?listLatLon=%1&…", %1 = keys joined by "+"
        QString description;   // status text of the download
        QString cacheRootKey;  // the cache file's dictionary; empty: the cache itself
        bool emptyReplyFails;  // a reply with no point forecast counts as unreadable
    };

    virtual ~OVNDFDClient();
    OVNDFDClient(const OVNDFDClient &) = delete;
    OVNDFDClient &operator=(const OVNDFDClient &) = delete;

    void updateLocation(const std::shared_ptr<OVWeatherLocation> &location);
    /// Requests, in one download, every location that is domestic, has coordinates in range and
    /// whose NDFD key is not already part of this request.
    void updateLocations(const OVWeatherLocationList &locations);
    /// Handles a download notification (replies for other clients are ignored).
    void updatePostProcessing(const OVNotification &notification);

    /// The locations this client can serve: domestic, coordinates within ±90 / ±180.
    static OVWeatherLocationList filterLocations(const OVWeatherLocationList &locations);

    /// NDFD key -> point forecast of a reply text (already cleaned), or why it cannot be read.
    /// Removes the keys of the reply's points from `forecastsLoading`.
    std::variant<QVariantMap, OVDWMLError> parseXMLIntoForecastDictionary(const QString &text);

    static QString ndfdKeyForLocation(const OVWeatherLocation &location);
    static QString ndfdKeyForLatitude(double latitude, double longitude);
    QDateTime dateForNDFDString(const QString &text) { return mDates.dateForNDFDString(text); }
    OVNDFDDateParser &ndfdDateParser() { return mDates; }

    /// Requests the location when its point forecast is missing or older than the user default
    /// "OVUpdateIntervalForecast" (7200 s when unset) and its key is not loading. The stale
    /// places read within one turn of the main loop share one request.
    void checkIfNeedLoadLocation(const std::shared_ptr<OVWeatherLocation> &location);

    /// Marks every point forecast stale; requests nothing (the next read does).
    void forceUpdateWeather();
    /// Prunes, then writes the cache to `saveFilePath` atomically (both on the queue).
    void saveToPrefs();
    /// Adds the entries of the file at `saveFilePath` to the cache.
    void loadFromPrefs();
    /// Drops point forecasts last updated more than 7 days ago (or never).
    void cleanupOldContent();

    /// A copy of the cache (waits for the queue's earlier work).
    QVariantMap pointForecasts() const;
    /// The point forecast of one NDFD key; empty when there is none.
    QVariantMap pointForecastForKey(const QString &ndfdKey) const;

    bool haveForecastData() const { return mHaveForecastData; }
    QStringList forecastsLoading() const;
    QString saveFilePath() const;
    void setSaveFilePath(const QString &path);

    /// The scheme and host the requests go to (user default "OVNDFDServerURL").
    QString serverURL() const;

protected:
    OVNDFDClient(Product product, OVURLManager &urlManager, OVUserDefaults &settings,
                 const OVClock &clock);

    /// The point forecast (element key -> series) of one "parameters" element.
    virtual QVariantMap pointForecastFromParameters(const QDomElement &parameters,
                                                    const OVDWMLTimeLayouts &layouts) = 0;

    /// Stores a point forecast under its key, synchronously on the queue.
    void storePointForecast(const QString &ndfdKey, const QVariantMap &pointForecast);

    const OVClock &clock() const { return mClock; }
    const Product &product() const { return mProduct; }

private:
    QString endpointPrefix() const;
    void sendRequest(const QStringList &keys);
    void scheduleLoadingExpiry(const QString &ndfdKey);
    void postForecastNotifications();
    void logUnreadableReply(const QString &reason, const QString &text) const;

    Product mProduct;
    OVURLManager &mURLManager;
    OVUserDefaults &mSettings;
    const OVClock &mClock;
    std::unique_ptr<OVSerialQueue> mQueue;
    std::unique_ptr<QObject> mContext; // owns the loading-expiry timers
    QVariantMap mPointForecasts;       // on mQueue only

    mutable std::mutex mLoadingMutex;
    QStringList mForecastsLoading;

    mutable std::mutex mPathMutex;
    QString mSaveFilePath;

    bool mHaveForecastData = false;
    QStringList mStaleReadKeys; // stale places read since the last request went out
    OVNDFDDateParser mDates;
};
