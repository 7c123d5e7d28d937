// The process-wide download queue.
//
// Clients queue a request with a status text and the name of a notification; the manager
// starts at most `concurrentLoads` (6) at once on the main thread, ends a load that runs longer
// than `timeout` (45 s) as failed, and when an entry leaves the queue, well or badly, posts the
// client's notification on the main thread with the request (std::shared_ptr<OVURL>) as object
// and the client's user info. The client tells success from failure by the request's
// `dataReady` and `errorOccurred`. Queueing works from any thread; a mutex guards the entries,
// which double as the status list of the activity window ("OVNotifyURLManagerChange").
#pragma once

#include "core/remote/OVURL.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariantMap>

#include <QObject>

#include <memory>
#include <mutex>
#include <optional>

inline const QString OVNotifyURLManagerChange = QStringLiteral("OVNotifyURLManagerChange");

class QThreadPool;

class OVURLManager
{
public:
    /// One download in the queue.
    struct QueueEntry
    {
        OVURLPtr url;
        QString urlString;
        QDateTime queuedTime;
        /// "Queued", then "Loading" (localized).
        QString status;
        /// Null when the client gave none.
        QString description;
        /// Empty when the client wants no notification.
        QString notifyName;
        QVariantMap notifyUserInfo;
        /// Set when the load starts.
        std::optional<QDateTime> loadTime;

        /// The entry for the status listing: keys "urlKey", "urlString", "queuedTime",
        /// "urlStatus", and "urlDescription", "notifyName", "notifyUserInfo", "loadTime" when set.
        QVariantMap toStatusMap() const;
    };

    static OVURLManager &sharedURLManager();

    OVURLManager();
    ~OVURLManager();
    OVURLManager(const OVURLManager &) = delete;
    OVURLManager &operator=(const OVURLManager &) = delete;

    void loadURL(const OVURLPtr &url, const QString &description = QString(),
                 const QString &notify = QString(), const QVariantMap &userInfo = QVariantMap());
    void loadURLString(const QString &urlString, const QString &description = QString(),
                       const QString &notify = QString(), const QVariantMap &userInfo = QVariantMap());

    /// Whether a download of exactly this text is queued or loading.
    bool isManagingURLString(const QString &urlString) const;
    /// The queue entries' status maps, in queue order (see QueueEntry::toStatusMap).
    QList<QVariantMap> managedURLStatus() const;
    QList<QVariantMap> urls() const { return managedURLStatus(); }

    /// One work pass: ends finished and timed-out loads, starts waiting ones. Main thread only.
    void workReady();
    /// Starts the first waiting entry; false when none waits.
    bool loadNextURL();

    double timeout() const;
    void setTimeout(double seconds);
    int64_t concurrentLoads() const;
    void setConcurrentLoads(int64_t count);

private:
    // Queued work passes and timeout timers run through this main-thread object, so none of them
    // outlives the manager.
    void scheduleWorkPass(int delayMs = 0);

    std::unique_ptr<QObject> mContext;
    mutable std::mutex mMutex;
    QList<QueueEntry> mUrls;
    double mTimeout = 45.0;
    int64_t mConcurrentLoads = 6;
};

namespace NSOperationQueueUtil {
/// The shared queue for background work: the dispatch layer's global pool.
QThreadPool *sharedOperationQueue();
} // namespace NSOperationQueueUtil

Q_DECLARE_METATYPE(OVURLManager *)
