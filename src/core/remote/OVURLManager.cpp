#include "core/remote/OVURLManager.h"

#include "platform/OVDispatch.h"
#include "platform/OVLocalize.h"
#include "platform/OVLog.h"
#include "platform/OVNotificationCenter.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QThreadPool>
#include <QTimer>
#include <QUrl>

QVariantMap OVURLManager::QueueEntry::toStatusMap() const
{
    QVariantMap map{
        {QStringLiteral("urlKey"), QVariant::fromValue(url)},
        {QStringLiteral("urlString"), urlString},
        {QStringLiteral("queuedTime"), queuedTime},
        {QStringLiteral("urlStatus"), status},
    };
    if (!description.isNull())
        map.insert(QStringLiteral("urlDescription"), description);
    if (!notifyName.isEmpty())
        map.insert(QStringLiteral("notifyName"), notifyName);
    if (!notifyUserInfo.isEmpty())
        map.insert(QStringLiteral("notifyUserInfo"), notifyUserInfo);
    if (loadTime)
        map.insert(QStringLiteral("loadTime"), *loadTime);
    return map;
}

OVURLManager &OVURLManager::sharedURLManager()
{
    // Lives as long as the process (its entries may still be referenced during shutdown).
    static OVURLManager *manager = new OVURLManager;
    return *manager;
}

OVURLManager::OVURLManager()
    : mContext(std::make_unique<QObject>())
{
    if (QCoreApplication *app = QCoreApplication::instance())
        mContext->moveToThread(app->thread());
    OVNotificationCenter::defaultCenter().addObserver(this, OVURLFinishedLoading,
                                                      [this](const OVNotification &) { workReady(); });
}

OVURLManager::~OVURLManager()
{
    OVNotificationCenter::defaultCenter().removeObserver(this);
}

double OVURLManager::timeout() const
{
    std::lock_guard lock(mMutex);
    return mTimeout;
}

void OVURLManager::setTimeout(double seconds)
{
    std::lock_guard lock(mMutex);
    mTimeout = seconds;
}

int64_t OVURLManager::concurrentLoads() const
{
    std::lock_guard lock(mMutex);
    return mConcurrentLoads;
}

void OVURLManager::setConcurrentLoads(int64_t count)
{
    std::lock_guard lock(mMutex);
    mConcurrentLoads = count;
}

void OVURLManager::loadURL(const OVURLPtr &url, const QString &description, const QString &notify,
                           const QVariantMap &userInfo)
{
    if (!url || url->urlString().isEmpty()) {
        OVLog(QStringLiteral("[OVURLManager loadURL] URL is nil."));
        return;
    }
    QueueEntry entry{url, url->urlString(), QDateTime::currentDateTimeUtc(), OVLocalizedString("Queued"),
                     description, notify, userInfo, std::nullopt};
    {
        std::lock_guard lock(mMutex);
        mUrls.append(entry);
    }
    OVDebugLog(QStringLiteral("[OVURLManager loadURL] Adding URL to manager: %1")
                   .arg(QUrl::fromPercentEncoding(url->urlString().toUtf8())));
    scheduleWorkPass();
}

void OVURLManager::scheduleWorkPass(int delayMs)
{
    QObject *context = mContext.get();
    QMetaObject::invokeMethod(context, [this, context, delayMs] {
        if (delayMs <= 0)
            workReady();
        else
            QTimer::singleShot(delayMs, context, [this] { workReady(); });
    }, Qt::QueuedConnection);
}

void OVURLManager::loadURLString(const QString &urlString, const QString &description, const QString &notify,
                                 const QVariantMap &userInfo)
{
    loadURL(urlString.isEmpty() ? nullptr : OVURL::createWithURLString(urlString), description, notify, userInfo);
}

bool OVURLManager::isManagingURLString(const QString &urlString) const
{
    std::lock_guard lock(mMutex);
    return std::any_of(mUrls.begin(), mUrls.end(),
                       [&](const QueueEntry &e) { return e.urlString == urlString; });
}

QList<QVariantMap> OVURLManager::managedURLStatus() const
{
    std::lock_guard lock(mMutex);
    QList<QVariantMap> status;
    status.reserve(mUrls.size());
    for (const QueueEntry &entry : mUrls)
        status.append(entry.toStatusMap());
    return status;
}

void OVURLManager::workReady()
{
    QList<QueueEntry> removed;
    int64_t running = 0;
    bool changed = false;
    {
        std::lock_guard lock(mMutex);
        if (mUrls.isEmpty())
            return;
        const QDateTime now = QDateTime::currentDateTimeUtc();
        for (qsizetype i = 0; i < mUrls.size();) {
            const QueueEntry &entry = mUrls.at(i);
            const OVURLPtr url = entry.url;
            if (!entry.loadTime || !url) {
                ++i;
                continue;
            }
            const double elapsed = entry.loadTime->msecsTo(now) / 1000.0;
            if (elapsed > mTimeout) {
                url->cancelLoading();
                url->setErrorOccurred(true);
            }
            if (url->errorOccurred() || url->dataReady() || !url->isLoading()) {
                OVDebugLog(QStringLiteral("[OVURLManager workReady] Removing URL from queue: %1 (%2)")
                               .arg(url->urlString(), url->errorOccurred() ? QStringLiteral("Failed")
                                                                           : QStringLiteral("Success")));
                removed.append(mUrls.takeAt(i));
                changed = true;
                continue;
            }
            ++i;
        }
        running = std::count_if(mUrls.begin(), mUrls.end(), [](const QueueEntry &e) {
            return e.url && e.url->isLoading();
        });
    }
    while (running < concurrentLoads() && loadNextURL()) {
        ++running;
        changed = true;
    }
    // Each requester hears about its own entry after the pass, outside the lock.
    for (const QueueEntry &entry : removed) {
        if (entry.notifyName.isEmpty())
            continue;
        OVNotificationCenter::defaultCenter().postOnMainThread(entry.notifyName, QVariant::fromValue(entry.url),
                                                              entry.notifyUserInfo);
    }
    if (changed)
        OVNotificationCenter::defaultCenter().post(OVNotifyURLManagerChange,
                                                   QVariant::fromValue(this));
}

bool OVURLManager::loadNextURL()
{
    OVURLPtr url;
    double timeoutSeconds = 0;
    {
        std::lock_guard lock(mMutex);
        for (QueueEntry &entry : mUrls) {
            if (entry.loadTime)
                continue;
            entry.loadTime = QDateTime::currentDateTimeUtc();
            entry.status = OVLocalizedString("Loading");
            url = entry.url;
            break;
        }
        timeoutSeconds = mTimeout;
    }
    if (!url)
        return false;
    OVDispatch::mainSync([url] { url->loadURLInBackground(); });
    // A load that never reports back is ended by the pass after the timeout.
    scheduleWorkPass(int((timeoutSeconds + 1.0) * 1000));
    return true;
}

namespace NSOperationQueueUtil {

QThreadPool *sharedOperationQueue()
{
    return QThreadPool::globalInstance();
}

} // namespace NSOperationQueueUtil
