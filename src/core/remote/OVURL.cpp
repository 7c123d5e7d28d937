#include "core/remote/OVURL.h"

#include "platform/OVLog.h"
#include "platform/OVNotificationCenter.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkDiskCache>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStandardPaths>
#include <QThread>
#include <QUrl>

namespace {

constexpr int kRequestTimeoutMs = 60000;

std::mutex gUserAgentMutex;
QString gUserAgent;

QNetworkDiskCache *makeDiskCache(QObject *parent)
{
    auto *cache = new QNetworkDiskCache(parent);
    cache->setCacheDirectory(QStandardPaths::writableLocation(QStandardPaths::CacheLocation)
                             + QStringLiteral("/network"));
    return cache;
}

// The main thread's access managers live as long as the application; a worker's foreground
// loads make their own for the duration of the call. Mode 0 ("reload, ignoring cached data")
// goes through a manager without a cache: it never reads or writes one, and a server error for a
// URL that has a cache entry cannot stall the reply.
QNetworkAccessManager *mainThreadAccessManager(int32_t cacheMode)
{
    static QPointer<QNetworkAccessManager> uncached;
    static QPointer<QNetworkAccessManager> cached;
    QPointer<QNetworkAccessManager> &manager = cacheMode == OVURL::ReloadIgnoringCache ? uncached : cached;
    if (!manager) {
        manager = new QNetworkAccessManager(QCoreApplication::instance());
        if (cacheMode != OVURL::ReloadIgnoringCache)
            manager->setCache(makeDiskCache(manager));
    }
    return manager;
}

QNetworkRequest::CacheLoadControl cachePolicy(int32_t mode)
{
    switch (mode) {
    case OVURL::ReturnCacheElseLoad:
        return QNetworkRequest::PreferCache;
    case OVURL::ReturnCacheDontLoad:
        return QNetworkRequest::AlwaysCache;
    default:
        return QNetworkRequest::AlwaysNetwork;
    }
}

int statusOf(QNetworkReply *reply)
{
    return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

bool replyFailed(QNetworkReply *reply)
{
    return reply->error() != QNetworkReply::NoError || statusOf(reply) >= 400;
}

} // namespace

std::shared_ptr<OVURL> OVURL::create()
{
    return std::shared_ptr<OVURL>(new OVURL());
}

std::shared_ptr<OVURL> OVURL::createWithURLString(const QString &urlString)
{
    auto url = create();
    url->setUrlString(urlString);
    return url;
}

OVURL::~OVURL()
{
    setURLConnection(nullptr);
}

void OVURL::setUserAgent(const QString &userAgent)
{
    std::lock_guard lock(gUserAgentMutex);
    gUserAgent = userAgent;
}

QString OVURL::userAgent()
{
    std::lock_guard lock(gUserAgentMutex);
    return gUserAgent;
}

QString OVURL::urlString() const
{
    std::lock_guard lock(mMutex);
    return mUrlString;
}

void OVURL::setUrlString(const QString &urlString)
{
    std::lock_guard lock(mMutex);
    mUrlString = urlString;
}

QByteArray OVURL::urlData() const
{
    std::lock_guard lock(mMutex);
    return mUrlData;
}

void OVURL::setUrlData(const QByteArray &data)
{
    std::lock_guard lock(mMutex);
    mUrlData = data;
    mBytesLoaded = data.size();
}

QString OVURL::httpMethod() const
{
    std::lock_guard lock(mMutex);
    return mHttpMethod;
}

void OVURL::setHttpMethod(const QString &method)
{
    std::lock_guard lock(mMutex);
    mHttpMethod = method;
}

QByteArray OVURL::httpBody() const
{
    std::lock_guard lock(mMutex);
    return mHttpBody;
}

void OVURL::setHttpBody(const QByteArray &body)
{
    std::lock_guard lock(mMutex);
    mHttpBody = body;
}

void OVURL::setHeader(const QByteArray &name, const QByteArray &value)
{
    std::lock_guard lock(mMutex);
    mHeaders.append({name, value});
}

void OVURL::appendData(const QByteArray &chunk)
{
    std::lock_guard lock(mMutex);
    mUrlData.append(chunk);
    mBytesLoaded = mUrlData.size();
}

QString OVURL::description() const
{
    return QStringLiteral("OVURL: %1 (%2/%3)").arg(urlString()).arg(mBytesLoaded.load()).arg(mBytesTotal.load());
}

bool OVURL::prepareForURLLoad()
{
    if (urlString().isEmpty()) {
        OVDebugLog(QStringLiteral("[OVURL prepareForURLLoad] Error:  Attempted to load URL with empty URL String."));
        return false;
    }
    mDataReady = false;
    mErrorOccurred = false;
    mHttpStatus = 0;
    std::lock_guard lock(mMutex);
    mUrlData.clear();
    mBytesLoaded = 0;
    return true;
}

void OVURL::setURLConnection(QNetworkReply *connection)
{
    if (mConnection == connection)
        return;
    if (QNetworkReply *previous = mConnection) {
        QObject::disconnect(previous, nullptr, nullptr, nullptr);
        previous->abort();
        previous->deleteLater();
    }
    mConnection = connection;
}

void OVURL::cancelLoading()
{
    if (QNetworkReply *connection = mConnection) {
        // Disconnect first: a cancelled load reports nothing.
        QObject::disconnect(connection, nullptr, nullptr, nullptr);
        connection->abort();
    }
    {
        std::lock_guard lock(mMutex);
        mUrlData.clear();
        mBytesLoaded = 0;
    }
    mErrorOccurred = false;
    mIsLoading = false;
    mDataReady = false;
}

bool OVURL::buildRequest(QNetworkRequest &request, const char *operation)
{
    const QString text = urlString();
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty() || url.host().isEmpty()) {
        OVDebugLog(QStringLiteral("[OVURL %1] Error:  Failed to initialize NSURL with urlString: %2.")
                       .arg(QLatin1String(operation), text));
        return false;
    }
    request.setUrl(url);
    request.setTransferTimeout(kRequestTimeoutMs);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, cachePolicy(mCacheMode));
    const QString agent = userAgent();
    if (!agent.isEmpty())
        request.setHeader(QNetworkRequest::UserAgentHeader, agent);
    std::lock_guard lock(mMutex);
    for (const auto &[name, value] : mHeaders)
        request.setRawHeader(name, value);
    if (!mHttpBody.isEmpty() && !request.hasRawHeader("Content-Type"))
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("application/x-www-form-urlencoded"));
    return true;
}

namespace {

QNetworkReply *send(QNetworkAccessManager *manager, const QNetworkRequest &request, const QString &method,
                    const QByteArray &body)
{
    const QByteArray verb = method.isEmpty() ? QByteArray(body.isEmpty() ? "GET" : "POST") : method.toLatin1();
    if (verb == "GET" && body.isEmpty())
        return manager->get(request);
    return manager->sendCustomRequest(request, verb, body);
}

} // namespace

void OVURL::loadURLInBackground()
{
    if (!prepareForURLLoad()) {
        mErrorOccurred = true;
        return;
    }
    OVDebugLog(QStringLiteral("[OVURL] Started Background Loading %1").arg(urlString()));
    mIsLoading = true;
    QNetworkRequest request;
    if (!buildRequest(request, "loadURLInBackground"))
        return; // stays loading: the download manager's timeout ends it
    if (mCacheMode > 2)
        return;

    QNetworkAccessManager *manager = QThread::currentThread() == QCoreApplication::instance()->thread()
        ? mainThreadAccessManager(mCacheMode)
        : nullptr;
    if (!manager) {
        OVDebugLog(QStringLiteral("[OVURL loadURLInBackground] Error: Failed to initialize NSURLConnection with urlString: %1.").arg(urlString()));
        return;
    }
    QNetworkReply *reply = send(manager, request, httpMethod(), httpBody());
    setURLConnection(reply);
    std::weak_ptr<OVURL> weak = weak_from_this();
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [weak, reply] {
        if (auto self = weak.lock())
            self->connectionReceivedResponse(reply);
    });
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [weak, reply] {
        if (auto self = weak.lock())
            self->connectionReceivedData(reply);
    });
    QObject::connect(reply, &QNetworkReply::redirected, reply, [weak](const QUrl &to) {
        if (auto self = weak.lock(); self && to.toString() != self->urlString())
            OVDebugLog(QStringLiteral("[OVURL] Connection is redirecting to %1.").arg(to.toString()));
    });
    QObject::connect(reply, &QNetworkReply::finished, reply, [weak, reply] {
        if (auto self = weak.lock())
            self->connectionFinished(reply);
    });
}

void OVURL::connectionReceivedResponse(QNetworkReply *reply)
{
    if (reply != mConnection)
        return;
    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
    mBytesTotal = length.isValid() ? std::max<qint64>(0, length.toLongLong()) : 0;
    mHttpStatus = statusOf(reply);
}

void OVURL::connectionReceivedData(QNetworkReply *reply)
{
    if (reply != mConnection) {
        OVDebugLog(QStringLiteral("[OVURL]  Hmm, we got data but the connections didn't match"));
        return;
    }
    appendData(reply->readAll());
    postNotification(OVURLReceivedData);
}

void OVURL::connectionFinished(QNetworkReply *reply)
{
    if (reply != mConnection) {
        OVDebugLog(QStringLiteral("[OVURL]  Hmm, we finished loading but the connections didn't match"));
        postNotification(OVURLFinishedLoading);
        return;
    }
    if (reply->bytesAvailable() > 0)
        appendData(reply->readAll());
    mHttpStatus = statusOf(reply);
    mIsLoading = false;
    if (replyFailed(reply)) {
        const QString reason = reply->error() != QNetworkReply::NoError
            ? reply->errorString()
            : QStringLiteral("HTTP status %1").arg(mHttpStatus.load());
        OVDebugLog(QStringLiteral("[OVURL] Failed Loading %1: %2").arg(urlString(), reason));
        mErrorOccurred = true;
    } else {
        mDataReady = true;
        OVDebugLog(QStringLiteral("[OVURL] Finished Loading %1").arg(urlString()));
    }
    postNotification(OVURLFinishedLoading);
}

void OVURL::postNotification(const QString &name)
{
    OVNotificationCenter::defaultCenter().post(name, QVariant::fromValue(shared_from_this()));
}

void OVURL::loadURLInForeground()
{
    if (!prepareForURLLoad())
        return;
    QNetworkRequest request;
    if (!buildRequest(request, "loadURLInForeground"))
        return;
    OVDebugLog(QStringLiteral("[OVURL loadURLInForeground] Loading URL: %1").arg(urlString()));
    if (mCacheMode <= 2) {
        QNetworkAccessManager manager;
        if (mCacheMode != ReloadIgnoringCache)
            manager.setCache(makeDiskCache(&manager));
        QNetworkReply *reply = send(&manager, request, httpMethod(), httpBody());
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        if (!reply->isFinished())
            loop.exec(QEventLoop::ExcludeUserInputEvents);
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        mBytesTotal = length.isValid() ? std::max<qint64>(0, length.toLongLong()) : 0;
        mHttpStatus = statusOf(reply);
        const QByteArray body = reply->readAll();
        const bool failed = replyFailed(reply);
        delete reply;
        if (!failed)
            setUrlData(body);
    }
    OVDebugLog(QStringLiteral("[OVURL loadURLInForeground] Finished loading URL: %1").arg(urlString()));
    if (urlData().isEmpty())
        mErrorOccurred = true;
    mDataReady = true;
}
