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

namespace {

const QString kUrlKey = QStringLiteral("urlKey");
const QString kUrlString = QStringLiteral("urlString");
const QString kQueuedTime = QStringLiteral("queuedTime");
const QString kUrlStatus = QStringLiteral("urlStatus");
const QString kUrlDescription = QStringLiteral("urlDescription");
const QString kNotifyName = QStringLiteral("notifyName");
const QString kNotifyUserInfo = QStringLiteral("notifyUserInfo");
const QString kLoadTime = QStringLiteral("loadTime");

OVURLPtr requestOf(const QVariantMap &entry)
{
    return entry.value(kUrlKey).value<OVURLPtr>();
}

} // namespace

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
    QVariantMap entry{
        {kUrlKey, QVariant::fromValue(url)},
        {kUrlString, url->urlString()},
        {kQueuedTime, QDateTime::currentDateTimeUtc()},
        {kUrlStatus, OVLocalizedString("Queued")},
    };
    if (!description.isNull())
        entry.insert(kUrlDescription, description);
    if (!notify.isEmpty())
        entry.insert(kNotifyName, notify);
    if (!userInfo.isEmpty())
        entry.insert(kNotifyUserInfo, userInfo);
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
                       [&](const QVariantMap &e) { return e.value(kUrlString).toString() == urlString; });
}

QList<QVariantMap> OVURLManager::managedURLStatus() const
{
    std::lock_guard lock(mMutex);
    return mUrls;
}

void OVURLManager::workReady()
{
    QList<QVariantMap> removed;
    int64_t running = 0;
    bool changed = false;
    {
        std::lock_guard lock(mMutex);
        if (mUrls.isEmpty())
            return;
        const QDateTime now = QDateTime::currentDateTimeUtc();
        for (qsizetype i = 0; i < mUrls.size();) {
            const QVariantMap &entry = mUrls.at(i);
            const OVURLPtr url = requestOf(entry);
            if (!entry.contains(kLoadTime) || !url) {
                ++i;
                continue;
            }
            const double elapsed = entry.value(kLoadTime).toDateTime().msecsTo(now) / 1000.0;
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
        running = std::count_if(mUrls.begin(), mUrls.end(), [](const QVariantMap &e) {
            const OVURLPtr url = requestOf(e);
            return url && url->isLoading();
        });
    }
    while (running < concurrentLoads() && loadNextURL()) {
        ++running;
        changed = true;
    }
    // Each requester hears about its own entry after the pass, outside the lock.
    for (const QVariantMap &entry : removed) {
        if (!entry.contains(kNotifyName))
            continue;
        OVNotificationCenter::defaultCenter().postOnMainThread(entry.value(kNotifyName).toString(),
                                                              entry.value(kUrlKey),
                                                              entry.value(kNotifyUserInfo).toMap());
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
        for (QVariantMap &entry : mUrls) {
            if (entry.contains(kLoadTime))
                continue;
            entry.insert(kLoadTime, QDateTime::currentDateTimeUtc());
            entry.insert(kUrlStatus, OVLocalizedString("Loading"));
            url = requestOf(entry);
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
